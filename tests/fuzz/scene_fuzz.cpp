// Fuzz target of scene files: arbitrary bytes are read as a scene (the user-interface node
// classes included) through the scene node processor, and the tree is copied, attached to a scheduler that plays its default states and
// every state of the root, stepped, drawn and written out. Damaged files must never crash,
// overrun, recurse without end or hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/core/CLogger.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlWriter.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/scene/CSceneNodeProcessor.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/properties/PropertyTestSupport.h"

using namespace oskel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        // The resource values are registered as the device registers them.
        registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
        registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
        // And the user-interface node classes, as the device registers them.
        registerEngineNodes(CNodeFactory::instance());
        return true;
    }();
    (void)quiet;

    std::vector<u8> bytes(data, data + size);
    CRefPtr<CMemoryFile> file = makeRef<CMemoryFile>(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.oscn", false);
    CRefPtr<test::FakeContentManager> manager = makeRef<test::FakeContentManager>();
    CRefPtr<CSceneNodeProcessor> processor =
        makeRef<CSceneNodeProcessor>(nullptr, &CNodeFactory::instance());
    CResource* loaded = processor->load(manager.get(), file.get(), CCreationContext(manager.get(), "fuzz.oscn"));
    if (!loaded) return 0;
    CRefPtr<BaseNode> root = CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(loaded));

    {
        CTimerScheduler scheduler;
        CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(root->clone(nullptr, nullptr));
        copy->setSceneManager(nullptr, nullptr, &scheduler);
        std::vector<s32> states;
        for (const auto& entry : copy->getStates()) states.push_back(entry.first);
        for (s32 state : states) {
            copy->setState(state);
            copy->playState(state);
            for (int i = 0; i < 10; ++i) scheduler.update(20);
        }
        DrawList list;
        copy->render(list);
        sortDrawList(list);
        copy->stopAllStates(true);
        copy->setSceneManager(nullptr, nullptr, nullptr);
    }

    CRefPtr<CVirtualFile> out = makeRef<CVirtualFile>("out.oscn");
    static_cast<void>(processor->save(manager.get(), root.get(), out.get(), nullptr));
    return 0;
}
