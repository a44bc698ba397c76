#include "engine/nodes/EngineNodes.h"

#include <cwchar>

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/MessageBoxNode.h"
#include "engine/nodes/NineGridSpriteNode.h"
#include "engine/nodes/ParticleSystemNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SliderNode.h"
#include "engine/nodes/SoundNode.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

namespace {

template <class T>
BaseNode* createNodeOf(const CCreationContext& context) {
    return new T(context, nullptr, nullptr);
}

struct SNodeCreator {
    const wchar_t* name;
    CNodeFactory::NodeCreator creator;
};

// The classes of this library by the names under which the engine's list orders them.
const SNodeCreator kNodeCreators[] = {
    {L"SpriteNode", &createNodeOf<SpriteNode>},
    {L"NineGridSpriteNode", &createNodeOf<NineGridSpriteNode>},
    {L"TextNode", &createNodeOf<TextNode>},
    {L"ButtonNode", &createNodeOf<ButtonNode>},
    {L"BackButtonNode", &createNodeOf<BackButtonNode>},
    {L"CheckBoxNode", &createNodeOf<CheckBoxNode>},
    {L"EditNode", &createNodeOf<EditNode>},
    {L"ListNode", &createNodeOf<ListNode>},
    {L"SliderNode", &createNodeOf<SliderNode>},
    {L"ProgressBarNode", &createNodeOf<ProgressBarNode>},
    {L"TabSceneNode", &createNodeOf<TabSceneNode>},
    {L"ParticleSystemNode", &createNodeOf<ParticleSystemNode>},
    {L"SoundNode", &createNodeOf<SoundNode>},
    {L"SpawnerNode", &createNodeOf<SpawnerNode>},
};

}  // namespace

void registerEngineNodes(CNodeFactory& factory) {
    u32 count = 0;
    const SEngineNodeClass* classes = getEngineNodeClasses(count);
    for (u32 i = 0; i < count; ++i)
        for (const SNodeCreator& entry : kNodeCreators)
            if (std::wcscmp(entry.name, classes[i].name) == 0)
                factory.registerNodeClass(classes[i].name, entry.creator);
    // Message boxes are made by the scene managers, not from scene files: every manager without
    // a creator of its own makes this library's.
    SceneManager::setDefaultMessageBoxCreator(&MessageBoxNode::create);
}

}  // namespace oskel
