#include "engine/scene/SceneNode.h"

#include "engine/content/IContentManager.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

const SceneNode::STransitionStates& SceneNode::transitionStates() {
    static const STransitionStates states{CNameId("NavTo").getId(), CNameId("NavFrom").getId(),
                                          CNameId("NavBackTo").getId(), CNameId("NavBackFrom").getId()};
    return states;
}

SceneNode::SceneNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ControlNode(context, parent, manager) {}

SceneNode::~SceneNode() { setPreviousScene(nullptr); }

const CPropertyTable& SceneNode::getPropertyTable() const { return ControlNode::getPropertyTable(); }

BaseNode* SceneNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SceneNode>(this, parent, manager);
}

const stringw& SceneNode::getClassName() const {
    static const stringw name(L"SceneNode");
    return name;
}

const stringw& SceneNode::getThisClassName() const {
    static const stringw name(L"SceneNode");
    return name;
}

void SceneNode::copyFrom(const BaseNode* source, SceneManager* manager) { ControlNode::copyFrom(source, manager); }

bool SceneNode::setPreviousScene(SceneNode* scene) {
    if (scene == m_previousScene) return true;
    u32 walked = 0;
    for (const SceneNode* s = scene; s && walked < SceneManager::MaxStackWalk; s = s->m_previousScene, ++walked)
        if (s == this) return false;
    if (scene) scene->grab();
    SceneNode* old = m_previousScene;
    m_previousScene = scene;
    if (old) old->drop();
    return true;
}

bool SceneNode::onStateFinished(CEvent* event) {
    if (ControlNode::onStateFinished(event)) return true;
    // The manager (this scene's parent) learns that a state has ended in the whole scene.
    routeToParent(DispatchSelfThenParents, event);
    return true;
}

bool SceneNode::switchTo(SceneNode* scene, bool keepPrevious, s32 leaveState, s32 enterState) {
    SceneManager* manager = getSceneManager();
    if (!scene || !manager) return false;
    return manager->switchFromCurrent(scene, leaveState, enterState, keepPrevious);
}

SceneNode* SceneNode::switchToFile(const stringc& path, bool keepPrevious, s32 leaveState, s32 enterState) {
    IContentManager* content = getContentManager();
    if (path.empty() || !content) return nullptr;
    CResource* loaded = content->getContentByPath(TypeCodeSceneNode, path, true);
    if (!loaded) return nullptr;
    SceneNode* scene = nullptr;
    if (loaded->getTypeCode() == TypeCodeSceneNode) scene = asSceneNode(static_cast<BaseNode*>(loaded));
    if (!scene) {
        loaded->drop();
        return nullptr;
    }
    const bool switched = switchTo(scene, keepPrevious, leaveState, enterState);
    // The manager's tree holds the scene once the switch has taken it.
    const bool alive = scene->getReferenceCount() > 1;
    loaded->drop();
    return switched && alive ? scene : nullptr;
}

bool SceneNode::goBack(u32 steps, s32 leaveState, s32 enterState) {
    SceneManager* manager = getSceneManager();
    SceneNode* target = m_previousScene;
    for (u32 i = 0; i < steps && target; ++i) target = target->m_previousScene;
    if (!manager || !target) return false;
    return manager->goBackTo(this, target, leaveState, enterState);
}

bool SceneNode::goBackToType(s32 typeId, s32 leaveState, s32 enterState) {
    SceneManager* manager = getSceneManager();
    if (!manager) return false;
    u32 walked = 0;
    for (SceneNode* s = m_previousScene; s && walked < SceneManager::MaxStackWalk; s = s->m_previousScene, ++walked)
        if (s->getTypeId() == typeId) return manager->goBackTo(this, s, leaveState, enterState);
    return false;
}

SceneNode* SceneNode::showMessageBox(s32 templateName, const array<stringw>& buttonTexts, const stringw& title,
                                     const stringw& body) {
    SceneManager* manager = getSceneManager();
    if (!manager) return nullptr;
    return manager->showMessageBox(this, templateName, buttonTexts, title, body);
}

void SceneNode::stopChildrenState(s32 state) {
    CRefPtr<BaseNode> self(this);
    std::vector<CRefPtr<BaseNode>> nodes(getChildren().begin(), getChildren().end());
    if (ControlNode* instance = getTemplateInstance())
        for (BaseNode* child : instance->getChildren()) nodes.emplace_back(child);
    for (const CRefPtr<BaseNode>& node : nodes) node->stopState(state, true);
}

}  // namespace oskel
