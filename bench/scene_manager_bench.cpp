// Benchmarks of the scene manager: one update and one draw-list collection (with sorting and
// drawing through the null driver) of a scene of 2,000 nodes of which 200 are controls, and a
// sweep of the mouse across the 200 controls, each move hovering one and unhovering another.

#include <benchmark/benchmark.h>

#include "engine/core/event/DeviceEvents.h"
#include "engine/device/IDevice.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"

using namespace oskel;

namespace {

// A node that is hit inside its bounds and adds one draw item.
class ImageNode : public BaseNode {
public:
    using BaseNode::BaseNode;
    bool hitTest(const vector2df& point) const override { return isPointInBounds(point); }
    void render(DrawList& list) override {
        if (!isVisible()) return;
        if (isTransformDirty()) updateAbsoluteTransform();
        list.push_back(SDrawItem{this, getDepth(), key});
        BaseNode::render(list);
    }
    u32 key = 0;
};

constexpr u32 kControls = 200;
constexpr u32 kNodes = 2000;

struct BenchScene {
    BenchScene() {
        device = getDevice();
        manager = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        manager->setSortEnabled(true);
        templates = makeRef<TemplateCollectionNode>(CCreationContext());
        auto* button = new BaseNode(CCreationContext(), templates.get(), nullptr);
        button->setNameId(CNameId("Button").getId());
        button->drop();
        auto* image = new ImageNode(CCreationContext(), button, nullptr);
        image->setBounds(40, 20);
        image->drop();
        templates->onLoaded();
        manager->setTemplateCollection(templates.get());

        scene = makeRef<SceneNode>(CCreationContext());
        // 200 controls in a row of 20 per line, each with 8 decorations (the template's image
        // makes the ninth node): 200 + 200 x 9 = 2,000 nodes.
        for (u32 i = 0; i < kControls; ++i) {
            auto* control = new ControlNode(CCreationContext(), scene.get(), nullptr);
            control->setPosition(vector3df(50.0f * (i % 20), 30.0f * (i / 20), static_cast<f32>(i % 7)));
            control->setTemplateName(CNameId("Button").getId());
            control->drop();
            for (u32 d = 0; d < (kNodes - 2 * kControls) / kControls; ++d) {
                auto* deco = new ImageNode(CCreationContext(), control, nullptr);
                deco->key = d % 3;
                deco->setPosition(vector3df(2.0f * d, 1.0f, 0.0f));
                deco->setBounds(4, 4);
                deco->setCanBeHit(false);
                deco->drop();
            }
        }
        manager->setScene(scene.get());
        manager->update(0);
    }
    ~BenchScene() {
        manager->setScene(nullptr);
        manager->update(0);
    }

    IDevice* device;
    CRefPtr<SceneManager> manager;
    CRefPtr<TemplateCollectionNode> templates;
    CRefPtr<SceneNode> scene;
};

void BM_UpdateAndDraw(benchmark::State& state) {
    BenchScene bench;
    IVideoDriver* driver = bench.device->getVideoDriver();
    for (auto _ : state) {
        bench.manager->update(10);
        bench.manager->render(driver);
    }
    state.SetItemsProcessed(state.iterations() * kNodes);
}
BENCHMARK(BM_UpdateAndDraw)->Unit(benchmark::kMicrosecond);

void BM_HoverSweep(benchmark::State& state) {
    BenchScene bench;
    bench.manager->render(bench.device->getVideoDriver());  // transforms for the hit tests
    for (auto _ : state) {
        for (u32 i = 0; i < kControls; ++i) {
            auto move = makeRef<CEventMouseMove>(static_cast<s32>(50 * (i % 20) + 10), static_cast<s32>(30 * (i / 20) + 10));
            bench.manager->dispatchEvent(DispatchSelfThenChildren, move.get());
        }
        bench.manager->update(10);
    }
    state.SetItemsProcessed(state.iterations() * kControls);
}
BENCHMARK(BM_HoverSweep)->Unit(benchmark::kMicrosecond);

}  // namespace
