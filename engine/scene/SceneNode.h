#pragma once

#include "engine/scene/ControlNode.h"

namespace oskel {

// A whole screen: the root of a scene file, shown by a scene manager on its scene stack. It
// links to the scene below it, carries the timer scheduler of all its nodes' animations and
// asks its manager to switch scenes, go back or show a message box.
class SceneNode : public ControlNode {
public:
    SceneNode(const CCreationContext& context, BaseNode* parent = nullptr, SceneManager* manager = nullptr);
    ~SceneNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeScene; }
    bool isKindOf(s32 typeId) const override { return typeId == NodeTypeScene || ControlNode::isKindOf(typeId); }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    bool onStateFinished(CEvent* event) override;

    // The scene below this one (held), or none.
    SceneNode* getPreviousScene() const { return m_previousScene; }
    // False (and no change) when the scene lies above this one already: the links would turn
    // into a circle.
    bool setPreviousScene(SceneNode* scene);
    // Given by the scene manager when it shows the scene; the manager owns it.
    CTimerScheduler* getTimerScheduler() const { return m_timerScheduler; }
    void setTimerScheduler(CTimerScheduler* scheduler) { m_timerScheduler = scheduler; }

    // A switch from the manager's current scene to the scene (-1 states: "NavFrom", "NavTo").
    bool switchTo(SceneNode* scene, bool keepPrevious = false, s32 leaveState = -1, s32 enterState = -1);
    // Loads the scene file (relative to the content manager's current path) and switches to it;
    // the scene, or none when it cannot be loaded, is not a scene or the switch is refused.
    SceneNode* switchToFile(const stringc& path, bool keepPrevious = false, s32 leaveState = -1,
                            s32 enterState = -1);
    // Back to the scene steps + 1 places below (-1 states: "NavBackFrom", "NavBackTo"); false
    // when the stack is not that deep.
    bool goBack(u32 steps = 0, s32 leaveState = -1, s32 enterState = -1);
    // Back to the nearest scene below of that node type id; false when there is none.
    bool goBackToType(s32 typeId, s32 leaveState = -1, s32 enterState = -1);
    // A message box from the named template over this scene, or none.
    SceneNode* showMessageBox(s32 templateName, const array<stringw>& buttonTexts, const stringw& title,
                              const stringw& body);
    // Every direct child and every direct child of the template instance stops its animator of
    // the state at the state's end.
    void stopChildrenState(s32 state);

    // The transition state names.
    struct STransitionStates {
        s32 NavTo, NavFrom, NavBackTo, NavBackFrom;
    };
    static const STransitionStates& transitionStates();

private:
    CTimerScheduler* m_timerScheduler = nullptr;
    SceneNode* m_previousScene = nullptr;
};

// The node when it is a scene, else none.
inline SceneNode* asSceneNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeScene) ? static_cast<SceneNode*>(node) : nullptr;
}

}  // namespace oskel
