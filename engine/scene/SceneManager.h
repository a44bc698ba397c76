#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "engine/core/CTimerScheduler.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/SceneNode.h"

namespace oskel {

class IVideoDriver;
class TemplateCollectionNode;

// What the scene manager needs of a message box node (a scene of node type 7).
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual void setButtonTexts(const array<stringw>& texts) = 0;
    virtual void setTitleText(const stringw& text) = 0;
    virtual void setBodyText(const stringw& text) = 0;
    // The index of the button that closed the box.
    virtual s32 getResult() const = 0;
};

// One scene change in progress. A change in which both scenes play a state is entered twice.
struct SceneTransition {
    SceneNode* leaving = nullptr;
    s32 leaveState = -1;
    SceneNode* entering = nullptr;
    s32 enterState = -1;
    u8 forward = 1;
    u8 keepPrevious = 0;
};

// The root of a tree of scenes: shows scenes and changes between them with transition states,
// keeps the scene stack (the previous-scene links from the current scene down), shows message
// boxes, delivers the events its nodes post once per update, gives every shown scene a timer
// scheduler of its own, holds the template collection and draws its scenes sorted by depth.
class SceneManager : public BaseNode, public IUpdateReceiver, public INodeEventQueue {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // The longest walk down the scene stack.
    static constexpr u32 MaxStackWalk = 4096;

    using MessageBoxCreator = SceneNode* (*)(const CCreationContext& context);

    SceneManager(const CCreationContext& context, BaseNode* parent = nullptr, SceneManager* manager = nullptr);
    ~SceneManager() override;

    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeSceneManager; }
    bool isKindOf(s32 typeId) const override { return typeId == NodeTypeSceneManager || typeId == NodeTypeBase; }
    // The node's own settings only: scenes, queue, templates and sorting are not copied.
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    using BaseNode::render;
    void render(DrawList& list) override;
    void renderClipped(IVideoDriver* driver, const rectf* clip) override;
    bool onStateFinished(CEvent* event) override;
    bool routeToParent(u32 mode, CEvent* event) override;
    bool routeToChildren(u32 mode, CEvent* event) override;
    void saveProperties(CPropertySet*) const override {}
    void loadProperties(const CPropertySet*) override {}

    // Scene changes. A change asked for while another change call runs (from a handler of 39)
    // is carried out, in order, when that call returns; the answer is then true.
    bool setScene(SceneNode* scene, s32 enterState = -1);
    bool switchScene(SceneNode* leaving, SceneNode* entering, s32 leaveState = -1, s32 enterState = -1,
                     bool keepPrevious = false);
    // switchScene from the scene that is current when the change is carried out.
    bool switchFromCurrent(SceneNode* entering, s32 leaveState = -1, s32 enterState = -1, bool keepPrevious = false);
    bool goBackTo(SceneNode* leaving, SceneNode* target, s32 leaveState = -1, s32 enterState = -1);
    SceneNode* showMessageBox(SceneNode* owner, s32 templateName, const array<stringw>& buttonTexts,
                              const stringw& title, const stringw& body);
    // Message boxes are made by this manager's creator, or else by the default creator that the
    // message box class installs for every manager (the node factory does not know the class).
    // The node must be of type 7 and an IMessageBox.
    void setMessageBoxCreator(MessageBoxCreator creator) { m_messageBoxCreator = creator; }
    static void setDefaultMessageBoxCreator(MessageBoxCreator creator);
    static MessageBoxCreator getDefaultMessageBoxCreator();

    // The queue.
    void postEvent(CEventReceiver* receiver, u32 mode, CEvent* event);
    void queueEvent(CEventReceiver* receiver, u32 mode, CEvent* event) override { postEvent(receiver, mode, event); }
    u32 getQueuedEventCount() const { return static_cast<u32>(m_queue.size()); }
    // Delivers the queue, then performs the queued removals.
    bool update(u32 elapsedMs) override;

    // Draws every shown scene through the driver's quad batcher.
    void render(IVideoDriver* driver);

    void setTemplateCollection(TemplateCollectionNode* collection);
    TemplateCollectionNode* getTemplateCollection() const { return m_templates; }
    void setEventSource(CTimerScheduler* scheduler);
    CTimerScheduler* getEventSource() const { return m_eventSource; }
    SceneNode* getCurrentScene() const { return m_currentScene.get(); }
    void setSortEnabled(bool enabled) { m_sortEnabled = enabled; }
    bool isSortEnabled() const { return m_sortEnabled; }

    bool isInTransition(const BaseNode* node) const;
    SceneTransition findTransition(const BaseNode* node) const;
    void removeTransition(const BaseNode* node);
    const std::vector<SceneTransition>& getTransitions() const { return m_transitions; }
    void queueRemoval(BaseNode* node);
    void flushRemovals();
    // The program around the manager: the schedulers of its scenes and the cursor (held). A
    // manager without a host gives its scenes no schedulers.
    void setHost(ISceneHost* host);
    ISceneHost* getHost() const { return m_host.get(); }
    // A new scheduler for the scene, driven through the host; the scene's earlier one is
    // released.
    void createSceneScheduler(SceneNode* scene);
    // The schedulers of the scenes shown now.
    u32 getSchedulerCount() const { return static_cast<u32>(m_schedulers.size()); }

protected:
    bool passesBindingToChildren() const override { return false; }

private:
    struct QueuedEvent {
        CRefPtr<CEventReceiver> receiver;
        u32 mode;
        CRefPtr<CEvent> event;
    };
    struct SceneScheduler {
        SceneNode* scene;
        CRefPtr<CTimerScheduler> scheduler;
    };

    bool isOnBackChain(const SceneNode* from, const SceneNode* scene) const;
    void releaseSceneScheduler(SceneNode* scene);
    void bindScene(SceneNode* scene);
    // Runs a change now, or lines it up when a change call is running.
    bool runChange(std::function<bool()> change);

    bool doSetScene(SceneNode* scene, s32 enterState);
    bool doSwitchScene(SceneNode* leaving, SceneNode* entering, s32 leaveState, s32 enterState, bool keepPrevious);
    bool doGoBackTo(SceneNode* leaving, SceneNode* target, s32 leaveState, s32 enterState);

    TemplateCollectionNode* m_templates = nullptr;
    CRefPtr<ISceneHost> m_host;
    CTimerScheduler* m_eventSource = nullptr;
    std::vector<SceneScheduler> m_schedulers;
    // Released schedulers, dropped after the next delivery (one may be running its update).
    std::vector<CRefPtr<CTimerScheduler>> m_retiredSchedulers;
    // Held: a scene taken out of the tree by other code must not leave input a dangling target.
    CRefPtr<SceneNode> m_currentScene;
    std::vector<SceneTransition> m_transitions;
    bool m_sortEnabled = false;
    DrawList m_drawList;
    std::vector<CRefPtr<BaseNode>> m_removals;
    std::deque<QueuedEvent> m_queue;
    bool m_delivering = false;
    u32 m_changeDepth = 0;
    std::deque<std::function<bool()>> m_pendingChanges;
    MessageBoxCreator m_messageBoxCreator = nullptr;
};

}  // namespace oskel
