// Benchmarks of the scene framework: loading a generated scene file of 5,000 nodes with states
// and key frames through the content manager (a first load and a cached copy), and one
// scheduler step that animates 1,000 key-frame animations.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/CSceneNodeProcessor.h"
#include "engine/scene/animation/KeyFrame.h"
#include "engine/scene/animation/SetProps.h"

using namespace oskel;

namespace {

CRefPtr<animation::KeyFrame> loopingFrames(f32 offset) {
    auto frames = makeRef<animation::KeyFrame>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addVector3d("Position", vector3df(0, 0, 0));
    set->addColor("TintColor", irr::video::SColor(0xffffffffu));
    frames->setProperties(set.get());
    const u32 times[] = {0, 400, 400, 10};
    for (u32 k = 0; k < 4; ++k) {
        animation::KeyFrameKey key;
        key.t = times[k];
        key.glide = k == 0 ? -1 : 0;
        key.gotoKey = k == 3 ? 0 : -1;
        key.values.push_back(makePropertyDataVector3d(vector3df(offset + 10.0f * k, 5.0f * k, 0)));
        key.values.push_back(makePropertyDataColor(0xff000000u | (k * 0x303030u)));
        frames->addKey(key);
    }
    return frames;
}

// A node with a looping "Idle" state, a "Press" state and a SetProps start animation.
void addStates(BaseNode* node, f32 offset) {
    auto idle = makeRef<Animator>(CNameId("Idle").getId());
    idle->addAnimation(loopingFrames(offset).get());
    node->addState(idle.get());
    auto press = makeRef<Animator>(CNameId("Press").getId());
    auto props = makeRef<animation::SetProps>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addBool("Visible", true);
    props->setProperties(set.get());
    press->addStartAnimation(props.get());
    press->setNextState(CNameId("Idle").getId());
    node->addState(press.get());
    node->setDefaultState(CNameId("Idle").getId());
}

// 5,000 nodes: 50 groups of 99 children, every node with states.
CRefPtr<BaseNode> bigTree() {
    CRefPtr<BaseNode> root = makeRef<BaseNode>(CCreationContext());
    root->setNameId(CNameId("root").getId());
    int made = 1;
    for (int g = 0; g < 50 && made < 5000; ++g) {
        BaseNode* group = new BaseNode(CCreationContext(), root.get());
        group->drop();
        group->setNameId(CNameId(("group" + std::to_string(g)).c_str()).getId());
        addStates(group, static_cast<f32>(g));
        ++made;
        for (int i = 0; i < 99 && made < 5000; ++i, ++made) {
            BaseNode* node = new BaseNode(CCreationContext(), group);
            node->drop();
            node->setNameId(CNameId(("item" + std::to_string(i)).c_str()).getId());
            node->setPosition(vector3df(static_cast<f32>(i), static_cast<f32>(g), 0));
            addStates(node, static_cast<f32>(i));
        }
    }
    return root;
}

struct SceneFile {
    SceneFile() {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        folder = std::filesystem::temp_directory_path() / ("oskel-scene-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        path = stringc((folder / "big.oscn").string().c_str());
        fs = new CFileSystemLinux();
        CXmlWriter* writer = fs->createXmlWriter(path);
        writer->writeXMLHeader();
        if (!bigTree()->saveXml(writer)) std::abort();  // the benchmarks would read nothing
        writer->drop();
        processors = new CContentProcessorsManager();
        auto* processor = new CSceneNodeProcessor(fs, &CNodeFactory::instance());
        processors->registerProcessor(processor);
        processor->drop();
        manager = new CContentManager(fs, processors);
    }
    ~SceneFile() {
        manager->drop();
        processors->drop();
        fs->drop();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
    stringc path;
    CFileSystem* fs;
    CContentProcessorsManager* processors;
    CContentManager* manager;
};

SceneFile& sceneFile() {
    static SceneFile file;
    return file;
}

}  // namespace

static void BM_SceneLoadFirst(benchmark::State& state) {
    SceneFile& file = sceneFile();
    for (auto _ : state) {
        file.manager->releaseAll();
        CResource* scene = file.manager->getContentByPath(TypeCodeSceneNode, file.path, false);
        benchmark::DoNotOptimize(scene);
        if (scene) scene->drop();
    }
}
BENCHMARK(BM_SceneLoadFirst)->Unit(benchmark::kMillisecond);

static void BM_SceneLoadCachedCopy(benchmark::State& state) {
    SceneFile& file = sceneFile();
    file.manager->releaseAll();
    CResource* first = file.manager->getContentByPath(TypeCodeSceneNode, file.path, false);
    if (first) first->drop();
    for (auto _ : state) {
        CResource* scene = file.manager->getContentByPath(TypeCodeSceneNode, file.path, false);
        benchmark::DoNotOptimize(scene);
        if (scene) scene->drop();
    }
}
BENCHMARK(BM_SceneLoadCachedCopy)->Unit(benchmark::kMillisecond);

static void BM_KeyFrameStep1000(benchmark::State& state) {
    CTimerScheduler scheduler;
    CRefPtr<BaseNode> root = makeRef<BaseNode>(CCreationContext());
    for (int i = 0; i < 1000; ++i) {
        BaseNode* node = new BaseNode(CCreationContext(), root.get());
        node->drop();
        addStates(node, static_cast<f32>(i));
    }
    root->setSceneManager(nullptr, nullptr, &scheduler);  // every node plays "Idle"
    for (auto _ : state) scheduler.update(20);
    state.counters["animations"] = static_cast<double>(scheduler.getTimerCount());
    root->stopAllStates(false);
    for (BaseNode* child : root->getChildren()) child->stopAllStates(false);
}
BENCHMARK(BM_KeyFrameStep1000);
