#include "game/scenes/GBaseSceneNode.h"

#include <string>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"

namespace brasquel {

using namespace oskel;

namespace {

const char* nameOf(const BaseNode* node) { return node ? node->getNodeName().c_str() : ""; }

// The control a one-node notice is about.
BaseNode* oneNode(CEvent* event) { return static_cast<CEventNodeOneNode*>(event)->getNode(); }
// The control a two-node notice is about: the sender (or target) word, else the other one.
BaseNode* twoNodes(CEvent* event) {
    auto* e = static_cast<CEventNodeTwoNodes*>(event);
    return e->getFirstNode() ? e->getFirstNode() : e->getSecondNode();
}

bool isButton(const BaseNode* node) { return node && node->isKindOf(NodeTypeButton); }

void logAbout(const char* text, const BaseNode* node) {
    CLogger::instance().logHint(text, nameOf(node), LogInformation);
}

}  // namespace

OSKEL_BEGIN_EVENT_MAP(GBaseSceneNode, ControlNode)
OSKEL_EVENT_HANDLER(EventSystemFlowQuit, onApplicationClose)
OSKEL_EVENT_HANDLER(EventSystemFlowWindowFocus, onWindowActivation)
OSKEL_EVENT_HANDLER(EventNodeMessageBoxResult, onMessageBoxResult)
// Whether the scene has been left is kept before the scene's own handling, whatever it does.
OSKEL_EVENT_ENTRY(EventNodeSceneSwitchBegin, [](CEventReceiver* r, CEvent* e) -> bool {
    auto* scene = static_cast<GBaseSceneNode*>(r);
    if (GBaseSceneNode::leavesThis(e, scene)) scene->m_left = true;
    if (GBaseSceneNode::entersThis(e, scene)) scene->m_left = false;
    return scene->onSceneChangeStarted(e);
})
// The end of an entry is also written to the log, after the scene's own handling, once per entry.
OSKEL_EVENT_ENTRY(EventNodeSceneSwitchEnd, [](CEventReceiver* r, CEvent* e) -> bool {
    auto* scene = static_cast<GBaseSceneNode*>(r);
    CRefPtr<BaseNode> keep(scene);
    const bool consumed = scene->onSceneChangeFinished(e);
    if (GBaseSceneNode::entersThis(e, scene)) {
        const std::string name = toUtf8(scene->getClassName().c_str());
        CLogger::instance().logHint("Scene entered", name.c_str(), LogInformation);
    }
    return consumed;
})
OSKEL_EVENT_HANDLER(EventNodeTabChangeStarted, onTabChangeStarted)
OSKEL_EVENT_HANDLER(EventNodeTabChangeFinished, onTabChangeFinished)
OSKEL_EVENT_HANDLER(EventNodePressPreview, onNodePressedPreview)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeHovered, onNodeHovered)
OSKEL_EVENT_HANDLER(EventNodeUnhovered, onNodeUnhovered)
OSKEL_EVENT_HANDLER(EventNodeFocused, onNodeFocused)
OSKEL_EVENT_HANDLER(EventNodeUnfocused, onNodeUnfocused)
OSKEL_EVENT_HANDLER(EventNodeValueChanged, onValueChanged)
OSKEL_EVENT_HANDLER(EventNodeListItemPressed, onListItemPressed)
OSKEL_EVENT_HANDLER(EventNodeListItemHovered, onListItemHovered)
OSKEL_END_EVENT_MAP()

GBaseSceneNode::GBaseSceneNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : SceneNode(context, parent, manager), IUpdateReceiver(DefaultUpdatePeriod) {}

GBaseSceneNode::~GBaseSceneNode() { setUpdateSource(nullptr); }

BaseNode* GBaseSceneNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GBaseSceneNode>(this, parent, manager);
}

const stringw& GBaseSceneNode::getClassName() const {
    static const stringw name(L"GBaseSceneNode");
    return name;
}

const stringw& GBaseSceneNode::getThisClassName() const {
    static const stringw name(L"GBaseSceneNode");
    return name;
}

s32 GBaseSceneNode::getTypeId() const { return GameNodeTypeBaseScene; }

bool GBaseSceneNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeBaseScene || SceneNode::isKindOf(typeId);
}

void GBaseSceneNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
}

bool GBaseSceneNode::onKeyUp(CEvent* event) {
    if (ControlNode::onKeyUp(event)) return true;
    if (!m_backByKey) return false;
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    if (key != VirtualKeyEscape && key != VirtualKeyEnter) return false;
    // Consumed whatever the scene manager answers (with nothing below, it refuses).
    static_cast<void>(goBack(0, transitionStates().NavBackFrom, transitionStates().NavBackTo));
    return true;
}

bool GBaseSceneNode::entersThis(const CEvent* event, const SceneNode* scene) {
    return event && event->isKindOf(EventNodeSceneSwitch) &&
           static_cast<const CEventNodeSceneSwitch*>(event)->getToScene() == scene;
}

bool GBaseSceneNode::leavesThis(const CEvent* event, const SceneNode* scene) {
    return event && event->isKindOf(EventNodeSceneSwitch) &&
           static_cast<const CEventNodeSceneSwitch*>(event)->getFromScene() == scene;
}

bool GBaseSceneNode::onApplicationClose(CEvent*) {
    CLogger::instance().logWideHint(L"Application Close, scene cleanup", getClassName().c_str(),
                                    LogInformation);
    return false;
}

bool GBaseSceneNode::onWindowActivation(CEvent*) { return false; }

bool GBaseSceneNode::onMessageBoxResult(CEvent* event) {
    const s32 result = static_cast<CEventNodeMessageBoxResult*>(event)->getButton();
    CLogger::instance().logHint("Message box result", std::to_string(result).c_str(),
                                LogInformation);
    return false;
}

bool GBaseSceneNode::onSceneChangeStarted(CEvent* event) {
    // Not updated from the start of the switch away, before the exit transition plays.
    if (leavesThis(event, this)) setUpdateSource(nullptr);
    return false;
}

bool GBaseSceneNode::onSceneChangeFinished(CEvent* event) {
    if (entersThis(event, this)) {
        m_elapsedTime = 0;
        // A scene that no scene manager has shown has no scheduler and stays without updates.
        setUpdateSource(getTimerScheduler());
    }
    return false;
}

bool GBaseSceneNode::onTabChangeStarted(CEvent*) { return false; }

bool GBaseSceneNode::onTabChangeFinished(CEvent*) { return false; }

bool GBaseSceneNode::onNodePressedPreview(CEvent* event) {
    BaseNode* control = oneNode(event);
    logAbout("Node was pressed (preview)", control);
    if (isButton(control)) playGameCue(GSoundCueIds::get().ButtonClick);
    return false;
}

bool GBaseSceneNode::onNodePressed(CEvent* event) {
    logAbout("Node was pressed", oneNode(event));
    // A press ends when its button's press animation does: one that ends after a switch away
    // from this scene has begun (two buttons clicked in quick succession) comes too late, and is
    // taken without acting on it until the scene is entered again.
    return m_left;
}

bool GBaseSceneNode::onNodeHovered(CEvent* event) {
    BaseNode* control = twoNodes(event);
    logAbout("Node was hovered", control);
    if (isButton(control)) playGameCue(GSoundCueIds::get().ButtonOver);
    return false;
}

bool GBaseSceneNode::onNodeUnhovered(CEvent* event) {
    logAbout("Node was unhovered", twoNodes(event));
    return false;
}

bool GBaseSceneNode::onNodeFocused(CEvent* event) {
    logAbout("Node was focused", twoNodes(event));
    return false;
}

bool GBaseSceneNode::onNodeUnfocused(CEvent* event) {
    logAbout("Node was unfocused", twoNodes(event));
    return false;
}

bool GBaseSceneNode::onValueChanged(CEvent* event) {
    logAbout("Value was changed", oneNode(event));
    return false;
}

bool GBaseSceneNode::onListItemPressed(CEvent* event) {
    logAbout("List item was pressed", static_cast<CEventNodeListItem*>(event)->getList());
    playGameCue(GSoundCueIds::get().ButtonClick);
    return false;
}

bool GBaseSceneNode::onListItemHovered(CEvent* event) {
    logAbout("List item was hovered", static_cast<CEventNodeListItem*>(event)->getList());
    playGameCue(GSoundCueIds::get().ButtonOver);
    return false;
}

bool GBaseSceneNode::onUpdate(u32 periodMs) {
    if (isFocused()) m_elapsedTime += periodMs;
    return true;
}

SceneNode* GBaseSceneNode::switchToSceneFile(const stringc& path, bool keepPrevious, s32 leaveState,
                                             s32 enterState, bool quiet) {
    SceneNode* scene = switchToFile(path, keepPrevious, leaveState, enterState);
    if (!scene && !quiet)
        CLogger::instance().logHint("Unable to load scene file", path.c_str(), LogError);
    return scene;
}

}  // namespace brasquel
