#include "engine/nodes/EngineNodes.h"

#include <cwchar>

#include "engine/nodes/NineGridSpriteNode.h"
#include "engine/nodes/ParticleSystemNode.h"
#include "engine/nodes/SoundNode.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/CNodeFactory.h"

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
}

}  // namespace oskel
