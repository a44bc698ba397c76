#pragma once

#include "engine/core/CTimerScheduler.h"
#include "engine/scene/SceneNode.h"

namespace brasquel {

// The base of every game scene: a scene updated every period of its own scheduler while it is on
// screen and past its entry, one handler per event the game's scenes care about (the defaults log
// and play the standard button cues) and, when switched on, back navigation by Escape or Return.
class GBaseSceneNode : public oskel::SceneNode, public oskel::IUpdateReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // The update period of the game scenes.
    static constexpr oskel::u32 DefaultUpdatePeriod = 30;

    GBaseSceneNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                   oskel::SceneManager* manager = nullptr);
    ~GBaseSceneNode() override;

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    // The scene's own members are not copied: a clone starts with its constructor's values.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The handlers, each reached through the class's event map; true consumes the event.
    virtual bool onApplicationClose(oskel::CEvent* event);
    virtual bool onWindowActivation(oskel::CEvent* event);
    virtual bool onMessageBoxResult(oskel::CEvent* event);
    virtual bool onSceneChangeStarted(oskel::CEvent* event);
    virtual bool onSceneChangeFinished(oskel::CEvent* event);
    virtual bool onTabChangeStarted(oskel::CEvent* event);
    virtual bool onTabChangeFinished(oskel::CEvent* event);
    virtual bool onNodePressedPreview(oskel::CEvent* event);
    virtual bool onNodePressed(oskel::CEvent* event);
    virtual bool onNodeHovered(oskel::CEvent* event);
    virtual bool onNodeUnhovered(oskel::CEvent* event);
    virtual bool onNodeFocused(oskel::CEvent* event);
    virtual bool onNodeUnfocused(oskel::CEvent* event);
    virtual bool onValueChanged(oskel::CEvent* event);
    virtual bool onListItemPressed(oskel::CEvent* event);
    virtual bool onListItemHovered(oskel::CEvent* event);

    // The periodic update: counts the time during which the scene holds the focus. Scenes that
    // override it call it first; true keeps the scene scheduled.
    bool update(oskel::u32 elapsedMs) final { return onUpdate(elapsedMs); }
    virtual bool onUpdate(oskel::u32 periodMs);

    oskel::u32 getElapsedTime() const { return m_elapsedTime; }
    bool isBackByKey() const { return m_backByKey; }
    void setBackByKey(bool on) { m_backByKey = on; }
    // A switch away from the scene has begun and it has not been entered since.
    bool isLeft() const { return m_left; }

    // Loads the scene file and switches to it (-1 states: "NavFrom", "NavTo"). When that fails,
    // "Unable to load scene file" is logged with the path (unless quiet) and none is returned;
    // the scene stays as it was.
    oskel::SceneNode* switchToSceneFile(const oskel::stringc& path, bool keepPrevious = false,
                                        oskel::s32 leaveState = -1, oskel::s32 enterState = -1,
                                        bool quiet = false);

    // The scene the switch event names as entered or left, or none for another event.
    static bool entersThis(const oskel::CEvent* event, const oskel::SceneNode* scene);
    static bool leavesThis(const oskel::CEvent* event, const oskel::SceneNode* scene);

private:
    oskel::u32 m_elapsedTime = 0;
    bool m_backByKey = false;
    bool m_left = false;
};

}  // namespace brasquel
