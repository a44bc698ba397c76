#pragma once

// The scene-node events (category CategoryNode). Payload objects are not
// reference counted by the events.

#include "engine/core/event/CEvent.h"

namespace oskel {

class BaseNode;
class SceneNode;
class SceneManager;
class TemplateCollectionNode;
class Animator;
namespace animation {
class Base;
}

enum ENodeEventTypeId : u32 {
    EventNodeSceneActivated = 34,
    EventNodeTemplatesChanged = 35,
    EventNodeTemplatesReapply = 36,  // no class: never created
    EventNodeSceneSwitch = 37,
    EventNodeSceneSwitchEnd = 38,
    EventNodeSceneSwitchBegin = 39,
    EventNodeMessageBoxResult = 40,
    EventNodeTabChange = 41,
    EventNodeTabChangeFinished = 42,
    EventNodeTabChangeStarted = 43,
    EventNodePushRequest = 44,
    EventNodePushed = 45,
    EventNodeReleaseOthers = 46,
    EventNodeReleased = 47,
    EventNodeHoverEnter = 48,
    EventNodeHovered = 49,
    EventNodeHoverLeaveOthers = 50,
    EventNodeUnhovered = 51,
    EventNodeFocusEnter = 52,
    EventNodeFocused = 53,
    EventNodeFocusLeaveOthers = 54,
    EventNodeUnfocused = 55,
    EventNodePress = 56,
    EventNodePressPreview = 57,
    EventNodePressDone = 58,
    EventNodePressed = 59,
    EventNodeValueChanged = 60,
    EventNodeListSelectionChanged = 61,
    EventNodeListItemPressed = 62,
    EventNodeListItemChecked = 63,
    EventNodeListItemHovered = 64,
    EventNodeForward = 65,  // no class: never created
    EventAnimation = 66,
    EventNodeAnimatorStarted = 67,
    EventNodeAnimatorFinished = 68,
    EventNodeChildStateStarted = 69,
    EventNodeChildStateFinished = 71,
    EventNodeStateStarted = 73,
    EventNodeStateFinished = 75,
};

// A scene is shown; sent down its whole subtree.
class CEventNodeSceneActivated : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeSceneActivated, CEventNode, EventNodeSceneActivated)
public:
    explicit CEventNodeSceneActivated(SceneManager* manager) : m_manager(manager) {}
    SceneManager* getSceneManager() const { return m_manager; }

private:
    SceneManager* m_manager;
};

// The template collection has changed.
class CEventNodeTemplatesChanged : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeTemplatesChanged, CEventNode, EventNodeTemplatesChanged)
public:
    explicit CEventNodeTemplatesChanged(TemplateCollectionNode* templates)
        : m_templates(templates) {}
    TemplateCollectionNode* getTemplates() const { return m_templates; }

private:
    TemplateCollectionNode* m_templates;
};

// A scene switch: the scene left, the scene entered and the forward flag (set for a switch
// to a new scene, clear when going back).
class CEventNodeSceneSwitch : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeSceneSwitch, CEventNode, EventNodeSceneSwitch)
public:
    CEventNodeSceneSwitch(SceneNode* from, SceneNode* to, bool forward)
        : m_from(from), m_to(to), m_forward(forward) {}
    SceneNode* getFromScene() const { return m_from; }
    SceneNode* getToScene() const { return m_to; }
    bool isForward() const { return m_forward; }

private:
    SceneNode* m_from;
    SceneNode* m_to;
    bool m_forward;
};

// The switch's transition states have finished.
class CEventNodeSceneSwitchEnd : public CEventNodeSceneSwitch {
    OSKEL_EVENT_TYPE(CEventNodeSceneSwitchEnd, CEventNodeSceneSwitch, EventNodeSceneSwitchEnd)
public:
    using CEventNodeSceneSwitch::CEventNodeSceneSwitch;
};

// A switch starts.
class CEventNodeSceneSwitchBegin : public CEventNodeSceneSwitch {
    OSKEL_EVENT_TYPE(CEventNodeSceneSwitchBegin, CEventNodeSceneSwitch, EventNodeSceneSwitchBegin)
public:
    using CEventNodeSceneSwitch::CEventNodeSceneSwitch;
};

// A message box has closed with the index of the button pressed.
class CEventNodeMessageBoxResult : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeMessageBoxResult, CEventNode, EventNodeMessageBoxResult)
public:
    explicit CEventNodeMessageBoxResult(s32 button) : m_button(button) {}
    s32 getButton() const { return m_button; }

private:
    s32 m_button;
};

// A tab change: the page left and the page entered.
class CEventNodeTabChange : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeTabChange, CEventNode, EventNodeTabChange)
public:
    CEventNodeTabChange(BaseNode* pageLeft, BaseNode* pageEntered)
        : m_pageLeft(pageLeft), m_pageEntered(pageEntered) {}
    BaseNode* getPageLeft() const { return m_pageLeft; }
    BaseNode* getPageEntered() const { return m_pageEntered; }

private:
    BaseNode* m_pageLeft;
    BaseNode* m_pageEntered;
};

class CEventNodeTabChangeFinished : public CEventNodeTabChange {
    OSKEL_EVENT_TYPE(CEventNodeTabChangeFinished, CEventNodeTabChange, EventNodeTabChangeFinished)
public:
    using CEventNodeTabChange::CEventNodeTabChange;
};

class CEventNodeTabChangeStarted : public CEventNodeTabChange {
    OSKEL_EVENT_TYPE(CEventNodeTabChangeStarted, CEventNodeTabChange, EventNodeTabChangeStarted)
public:
    using CEventNodeTabChange::CEventNodeTabChange;
};

// The events with two node words. For 46, 50 and 54 the first word is the target (or none) and
// the second the node kept: a receiving control acts when the first word is itself or none, and
// never when it is the node kept.
#define OSKEL_TWO_NODE_EVENT(Class, Base, Id, First, Second)                         \
    class Class : public Base {                                                       \
        OSKEL_EVENT_TYPE(Class, Base, Id)                                             \
    public:                                                                           \
        Class(BaseNode* first, BaseNode* second) : Base(first, second) {}             \
        BaseNode* First() const { return getFirstNode(); }                            \
        BaseNode* Second() const { return getSecondNode(); }                          \
    };

// Common part of the two-node events.
class CEventNodeTwoNodes : public CEventNode {
public:
    BaseNode* getFirstNode() const { return m_first; }
    BaseNode* getSecondNode() const { return m_second; }

protected:
    CEventNodeTwoNodes(BaseNode* first, BaseNode* second) : m_first(first), m_second(second) {}

private:
    BaseNode* m_first;
    BaseNode* m_second;
};

OSKEL_TWO_NODE_EVENT(CEventNodePushRequest, CEventNodeTwoNodes, EventNodePushRequest, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodePushed, CEventNodePushRequest, EventNodePushed, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodeReleaseOthers, CEventNodeTwoNodes, EventNodeReleaseOthers, getTarget, getKeptNode)
OSKEL_TWO_NODE_EVENT(CEventNodeReleased, CEventNodeReleaseOthers, EventNodeReleased, getTarget, getKeptNode)
OSKEL_TWO_NODE_EVENT(CEventNodeHoverEnter, CEventNodeTwoNodes, EventNodeHoverEnter, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodeHovered, CEventNodeHoverEnter, EventNodeHovered, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodeHoverLeaveOthers, CEventNodeTwoNodes, EventNodeHoverLeaveOthers, getTarget, getKeptNode)
OSKEL_TWO_NODE_EVENT(CEventNodeUnhovered, CEventNodeHoverLeaveOthers, EventNodeUnhovered, getTarget, getKeptNode)
OSKEL_TWO_NODE_EVENT(CEventNodeFocusEnter, CEventNodeTwoNodes, EventNodeFocusEnter, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodeFocused, CEventNodeFocusEnter, EventNodeFocused, getSender, getNode)
OSKEL_TWO_NODE_EVENT(CEventNodeFocusLeaveOthers, CEventNodeTwoNodes, EventNodeFocusLeaveOthers, getTarget, getKeptNode)
OSKEL_TWO_NODE_EVENT(CEventNodeUnfocused, CEventNodeFocusLeaveOthers, EventNodeUnfocused, getTarget, getKeptNode)

#undef OSKEL_TWO_NODE_EVENT

// The events with one node word: the control (or the sender).
class CEventNodeOneNode : public CEventNode {
public:
    BaseNode* getNode() const { return m_node; }

protected:
    explicit CEventNodeOneNode(BaseNode* node) : m_node(node) {}

private:
    BaseNode* m_node;
};

#define OSKEL_ONE_NODE_EVENT(Class, Base, Id)                 \
    class Class : public Base {                                \
        OSKEL_EVENT_TYPE(Class, Base, Id)                      \
    public:                                                    \
        explicit Class(BaseNode* node) : Base(node) {}         \
    };

OSKEL_ONE_NODE_EVENT(CEventNodePress, CEventNodeOneNode, EventNodePress)
OSKEL_ONE_NODE_EVENT(CEventNodePressPreview, CEventNodePress, EventNodePressPreview)
OSKEL_ONE_NODE_EVENT(CEventNodePressDone, CEventNodeOneNode, EventNodePressDone)
OSKEL_ONE_NODE_EVENT(CEventNodePressed, CEventNodePressDone, EventNodePressed)
OSKEL_ONE_NODE_EVENT(CEventNodeValueChanged, CEventNodeOneNode, EventNodeValueChanged)

#undef OSKEL_ONE_NODE_EVENT

// 61 to 64: the list node's notices: the list and an item index (61: the new selected item).
class CEventNodeListItem : public CEventNode {
public:
    BaseNode* getList() const { return m_list; }
    s32 getItem() const { return m_item; }

protected:
    CEventNodeListItem(BaseNode* list, s32 item) : m_list(list), m_item(item) {}

private:
    BaseNode* m_list;
    s32 m_item;
};

class CEventNodeListSelectionChanged : public CEventNodeListItem {
    OSKEL_EVENT_TYPE(CEventNodeListSelectionChanged, CEventNode, EventNodeListSelectionChanged)
public:
    CEventNodeListSelectionChanged(BaseNode* list, s32 item) : CEventNodeListItem(list, item) {}
};

class CEventNodeListItemPressed : public CEventNodeListItem {
    OSKEL_EVENT_TYPE(CEventNodeListItemPressed, CEventNode, EventNodeListItemPressed)
public:
    CEventNodeListItemPressed(BaseNode* list, s32 item) : CEventNodeListItem(list, item) {}
};

class CEventNodeListItemChecked : public CEventNodeListItem {
    OSKEL_EVENT_TYPE(CEventNodeListItemChecked, CEventNode, EventNodeListItemChecked)
public:
    CEventNodeListItemChecked(BaseNode* list, s32 item, bool checked)
        : CEventNodeListItem(list, item), m_checked(checked) {}
    bool isChecked() const { return m_checked; }

private:
    bool m_checked;
};

class CEventNodeListItemHovered : public CEventNodeListItem {
    OSKEL_EVENT_TYPE(CEventNodeListItemHovered, CEventNode, EventNodeListItemHovered)
public:
    CEventNodeListItemHovered(BaseNode* list, s32 item) : CEventNodeListItem(list, item) {}
};

// An animation has ended, looped or been stopped with notice.
class CAnimationEvent : public CEventNode {
    OSKEL_EVENT_TYPE(CAnimationEvent, CEventNode, EventAnimation)
public:
    CAnimationEvent(animation::Base* animation, s32 value, bool looped)
        : m_animation(animation), m_value(value), m_looped(looped) {}
    animation::Base* getAnimation() const { return m_animation; }
    s32 getValue() const { return m_value; }
    bool isLooped() const { return m_looped; }

private:
    animation::Base* m_animation;
    s32 m_value;
    bool m_looped;
};

// An animator has started the state.
class CEventNodeAnimatorStarted : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeAnimatorStarted, CEventNode, EventNodeAnimatorStarted)
public:
    CEventNodeAnimatorStarted(Animator* animator, s32 stateId)
        : m_animator(animator), m_stateId(stateId) {}
    Animator* getAnimator() const { return m_animator; }
    s32 getStateId() const { return m_stateId; }

private:
    Animator* m_animator;
    s32 m_stateId;
};

// An animator has ended (stopped flag clear) or been stopped (flag set).
class CEventNodeAnimatorFinished : public CEventNode {
    OSKEL_EVENT_TYPE(CEventNodeAnimatorFinished, CEventNode, EventNodeAnimatorFinished)
public:
    CEventNodeAnimatorFinished(Animator* animator, s32 stateId, bool stopped)
        : m_animator(animator), m_stateId(stateId), m_stopped(stopped) {}
    Animator* getAnimator() const { return m_animator; }
    s32 getStateId() const { return m_stateId; }
    bool wasStopped() const { return m_stopped; }

private:
    Animator* m_animator;
    s32 m_stateId;
    bool m_stopped;
};

// 69, 71, 73, 75: state notices: the node and the state's name id.
class CEventNodeState : public CEventNode {
public:
    BaseNode* getNode() const { return m_node; }
    s32 getStateId() const { return m_stateId; }

protected:
    CEventNodeState(BaseNode* node, s32 stateId) : m_node(node), m_stateId(stateId) {}

private:
    BaseNode* m_node;
    s32 m_stateId;
};

#define OSKEL_STATE_EVENT(Class, Id)                                                 \
    class Class : public CEventNodeState {                                            \
        OSKEL_EVENT_TYPE(Class, CEventNode, Id)                                       \
    public:                                                                           \
        Class(BaseNode* node, s32 stateId) : CEventNodeState(node, stateId) {}        \
    };

OSKEL_STATE_EVENT(CEventNodeChildStateStarted, EventNodeChildStateStarted)
OSKEL_STATE_EVENT(CEventNodeChildStateFinished, EventNodeChildStateFinished)
OSKEL_STATE_EVENT(CEventNodeStateStarted, EventNodeStateStarted)
OSKEL_STATE_EVENT(CEventNodeStateFinished, EventNodeStateFinished)

#undef OSKEL_STATE_EVENT

}  // namespace oskel
