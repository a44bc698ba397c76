#pragma once

#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/properties/IPropertyTableSource.h"
#include "engine/scene/NodeEvents.h"

namespace oskel {

class BaseNode;
class CXmlReader;
class CXmlWriter;
class IContentManager;
class Animator;

namespace animation {

// Animation type ids.
enum EAnimationTypeId : s32 {
    AnimationTypeBase = 0,
    AnimationTypeKeyFrame = 1,
    AnimationTypeSetProps = 2,
    AnimationTypeSetStates = 3,
};

// The base of every animation: acts on a target node, belongs to one animator (its listener),
// seeks to a time and applies the values of that moment, ticks on a timer scheduler and reports
// its end or its looping to the animator (EventAnimation).
class Base : public CEventReceiver, public IPropertyHolder, public IPropertyTableSource, public IUpdateReceiver {
public:
    Base() : IUpdateReceiver(20) {}
    ~Base() override = default;

    virtual const stringw& getTypeName() const;
    virtual const stringw& getClassName() const;
    virtual s32 getTypeId() const { return AnimationTypeBase; }
    virtual bool isKindOf(s32 id) const { return id == getTypeId() || id == AnimationTypeBase; }
    virtual void setTarget(BaseNode* node) { m_target = node; }
    // Seeks to a time (0 = the configured start) and, with apply, pushes that moment's values
    // into the target.
    virtual void setTime(u32 ms, bool apply) = 0;
    virtual u32 getTime() const = 0;
    virtual u32 getDuration() const = 0;
    // Attaches the tick to the scheduler; true.
    virtual bool start(CTimerScheduler* scheduler);
    // Detaches the tick; with notify, reports the end (value 0, not looped).
    virtual void stop(bool toEnd, bool notify);
    // Reads the animation's element up to its closing tag (the reader stands on it).
    virtual void readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) = 0;
    virtual void writeXml(CXmlWriter* writer, const stringw& elementName) const = 0;
    // A copy without listener and target, owned by the caller.
    virtual Base* clone() const = 0;

    // The tick: the base has nothing to do and detaches.
    bool update(u32) override { return false; }

    void setListener(Animator* listener) { m_listener = listener; }
    Animator* getListener() const { return m_listener; }
    BaseNode* getTarget() const { return m_target; }
    s32 getNameId() const { return m_nameId; }
    void setNameId(s32 nameId) { m_nameId = nameId; }
    bool isRunning() const { return m_running; }
    // Tells the listener (EventAnimation); its answer.
    bool notifyFinished(s32 value, bool looped);

protected:
    // Writes the opening tag with Type, Name and the extra attributes.
    void writeOpening(CXmlWriter* writer, const stringw& elementName, const array<stringw>& names,
                      const array<stringw>& values) const;

    s32 m_nameId = -1;
    Animator* m_listener = nullptr;
    BaseNode* m_target = nullptr;
    bool m_running = false;
};

}  // namespace animation

// Plays one state of one node: a start list applied when the state begins, a main list that
// runs over time and an end list applied when the main list has finished or the state is
// stopped. Tells its node when the state starts (67) and finishes (68).
class Animator : public IPropertyTableSource, public CEventReceiver, public IPropertyHolder {
    OSKEL_DECLARE_EVENT_MAP()

public:
    explicit Animator(s32 state = -1);
    ~Animator() override;
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    const CPropertyTable& getPropertyTable() const override;
    bool routeToParent(u32 mode, CEvent* event) override;

    void setTarget(BaseNode* node);
    BaseNode* getTarget() const { return m_target; }
    s32 getState() const { return m_state; }
    s32 getNextState() const { return m_nextState; }
    void setNextState(s32 state) { m_nextState = state; }
    s32 getReportedState() const { return m_reportedState; }
    u32 getRunningCount() const { return m_runningCount; }
    bool isEndApplied() const { return m_endApplied; }

    // Starts the state on the scheduler (none: the state finishes at once); the reported state
    // is carried by 67 and 68 (-1: the animator's own).
    void play(CTimerScheduler* scheduler, s32 reportedState = -1);
    void stop(bool toEnd);

    animation::Base* findAnimation(s32 nameId) const;
    animation::Base* getAnimation(u32 index) const;
    u32 getAnimationCount() const { return static_cast<u32>(m_main.size()); }
    const std::vector<animation::Base*>& getStartAnimations() const { return m_start; }
    const std::vector<animation::Base*>& getEndAnimations() const { return m_end; }
    void addAnimation(animation::Base* animation);
    void addStartAnimation(animation::Base* animation);
    void addEndAnimation(animation::Base* animation);
    void clear();
    Animator* clone() const;

    // The "State" element: the reader stands on it and reads up to its closing tag.
    void readXml(CXmlReader* reader, SceneManager* manager, BaseNode* node, IContentManager* contentManager);
    void writeXml(CXmlWriter* writer, SceneManager* manager, IContentManager* contentManager) const;

    stringc getStateName() const;
    void setStateName(const stringc& name);

    bool onForwardEvent(CEvent* event);
    bool onAnimationFinished(CEvent* event);

private:
    void append(std::vector<animation::Base*>& list, animation::Base* animation);
    void sendFinished(bool stopped);

    BaseNode* m_target = nullptr;
    s32 m_state;
    s32 m_nextState = -1;
    s32 m_reportedState = -1;
    u32 m_runningCount = 0;
    bool m_endApplied = false;
    std::vector<animation::Base*> m_main;
    std::vector<animation::Base*> m_start;
    std::vector<animation::Base*> m_end;
    // Main animations that have reported during the current play: each counts once.
    std::vector<const animation::Base*> m_reported;
};

}  // namespace oskel
