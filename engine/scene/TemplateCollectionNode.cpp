#include "engine/scene/TemplateCollectionNode.h"

#include "engine/scene/animation/Animator.h"

namespace oskel {

TemplateCollectionNode::TemplateCollectionNode(const CCreationContext& context, BaseNode* parent,
                                               SceneManager* manager)
    : BaseNode(context, parent, manager) {
    setSharingFlags(ERF_SHARED);
}

TemplateCollectionNode::~TemplateCollectionNode() { clear(); }

BaseNode* TemplateCollectionNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<TemplateCollectionNode>(this, parent, manager);
}

const stringw& TemplateCollectionNode::getClassName() const {
    static const stringw name(L"TemplateCollectionNode");
    return name;
}

const stringw& TemplateCollectionNode::getThisClassName() const { return getClassName(); }

bool TemplateCollectionNode::enter(BaseNode* node) {
    if (!node || m_templates.count(node->getNameId())) return false;
    node->grab();
    m_templates[node->getNameId()] = node;
    return true;
}

void TemplateCollectionNode::onLoaded() {
    for (BaseNode* child : getChildren()) enter(child);
}

bool TemplateCollectionNode::addTemplate(BaseNode* node) { return enter(node); }

BaseNode* TemplateCollectionNode::findTemplate(s32 nameId) const {
    auto found = m_templates.find(nameId);
    return found == m_templates.end() ? nullptr : found->second;
}

void TemplateCollectionNode::clear() {
    std::map<s32, BaseNode*> templates;
    templates.swap(m_templates);
    for (auto& entry : templates) entry.second->drop();
}

bool TemplateCollectionNode::applyTemplate(s32 nameId, BaseNode* target) const {
    if (!target) return false;
    CRefPtr<BaseNode> keep(target);
    {
        std::vector<CRefPtr<BaseNode>> children(target->getChildren().begin(), target->getChildren().end());
        for (const CRefPtr<BaseNode>& child : children) child->stopAllStates(false);
    }
    target->stopAllStates(false);
    target->removeAllChildren();
    target->clearStates();
    if (nameId == -1) return true;
    BaseNode* source = findTemplate(nameId);
    if (!source) return false;
    CRefPtr<BaseNode> keepSource(source);

    for (BaseNode* child : std::vector<BaseNode*>(source->getChildren()))
        if (!child->isInternal()) child->clone(target, target->getSceneManager());
    for (const auto& entry : source->getStates()) {
        CRefPtr<Animator> copy = CRefPtr<Animator>::fromRaw(entry.second->clone());
        target->addState(copy.get());
    }
    target->setDefaultState(source->getDefaultState());
    if (source->getDefaultState() != -1) target->playState(source->getDefaultState(), nullptr, -1);
    return true;
}

}  // namespace oskel
