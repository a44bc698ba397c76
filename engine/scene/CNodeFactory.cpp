#include "engine/scene/CNodeFactory.h"

#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"

#include "engine/scene/BaseNode.h"
#include "engine/scene/animation/KeyFrame.h"
#include "engine/scene/animation/SetProps.h"

namespace oskel {

namespace {

template <class T>
BaseNode* createNodeOf(const CCreationContext& context) {
    return new T(context, nullptr, nullptr);
}

template <class T>
IReferenceCounted* createObjectOf() {
    return new T();
}

// The engine's node classes in the order of their registration. Classes still to come have no
// creator yet; each gets its creator here when it lands.
const SEngineNodeClass kEngineNodeClasses[] = {
    {L"BaseNode", NodeTypeBase, &createNodeOf<BaseNode>},
    {L"TemplateCollectionNode", NodeTypeTemplateCollection, &createNodeOf<TemplateCollectionNode>},
    {L"SpriteNode", NodeTypeSprite, nullptr},
    {L"NineGridSpriteNode", NodeTypeNineGridSprite, nullptr},
    {L"TextNode", NodeTypeText, nullptr},
    {L"ControlNode", NodeTypeControl, &createNodeOf<ControlNode>},
    {L"ButtonNode", NodeTypeButton, nullptr},
    {L"BackButtonNode", NodeTypeBackButton, nullptr},
    {L"CheckBoxNode", NodeTypeCheckBox, nullptr},
    {L"EditNode", NodeTypeEdit, nullptr},
    {L"ListNode", NodeTypeList, nullptr},
    {L"SliderNode", NodeTypeSlider, nullptr},
    {L"ProgressBarNode", NodeTypeProgressBar, nullptr},
    {L"SceneNode", NodeTypeScene, &createNodeOf<SceneNode>},
    {L"TabSceneNode", NodeTypeTabScene, nullptr},
    {L"ParticleSystemNode", NodeTypeParticleSystem, nullptr},
    {L"SoundNode", NodeTypeSound, nullptr},
    {L"SpawnerNode", NodeTypeSpawner, nullptr},
};

}  // namespace

const SEngineNodeClass* getEngineNodeClasses(u32& count) {
    count = sizeof(kEngineNodeClasses) / sizeof(kEngineNodeClasses[0]);
    return kEngineNodeClasses;
}

CNodeFactory::CNodeFactory() {
    for (const SEngineNodeClass& entry : kEngineNodeClasses)
        if (entry.creator) registerNodeClass(entry.name, entry.creator);
    registerObjectClass(animation::KeyFrame::staticTypeName(), &createObjectOf<animation::KeyFrame>);
    registerObjectClass(animation::SetProps::staticTypeName(), &createObjectOf<animation::SetProps>);
    registerObjectClass(animation::SetStates::staticTypeName(), &createObjectOf<animation::SetStates>);
}

CNodeFactory::~CNodeFactory() {
    m_nodeCreators.clear();
    m_objectCreators.clear();
}

void CNodeFactory::registerNodeClass(const stringw& className, NodeCreator creator) {
    if (!creator || className.empty()) return;
    if (m_nodeCreators.emplace(className, creator).second) m_nodeOrder.push_back(className);
}

void CNodeFactory::registerObjectClass(const stringw& typeName, ObjectCreator creator) {
    if (!creator || typeName.empty()) return;
    if (m_objectCreators.emplace(typeName, creator).second) m_objectOrder.push_back(typeName);
}

BaseNode* CNodeFactory::createNode(const stringw& className, const CCreationContext& context) const {
    auto found = m_nodeCreators.find(className);
    return found == m_nodeCreators.end() ? nullptr : found->second(context);
}

IReferenceCounted* CNodeFactory::createObject(const stringw& typeName, const CCreationContext&) const {
    auto found = m_objectCreators.find(typeName);
    return found == m_objectCreators.end() ? nullptr : found->second();
}

}  // namespace oskel
