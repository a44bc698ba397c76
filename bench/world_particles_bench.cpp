// The world's particle nodes per frame through the OpenGL driver: a full weather node (2048
// particles) and a hint node of the same count, each frame one 30 ms step plus the draw of the
// node's mesh, finished with glFinish; against the same quads (the node's own vertices of that
// frame) fed to the quad batcher in the same run. The budget of a weather frame is 2 ms
// (reported as `budget_ms`; `within_budget` is 1 when the mean frame fits). Needs a display (the
// bench script runs it under a virtual one when there is none).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "bench/BenchMain.h"
#include "engine/core/CRandom.h"
#include "engine/image/CImage.h"
#include "engine/platform/Window.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/world/GHOHintParticlesNode.h"
#include "game/world/GWeatherParticlesNode.h"

using namespace oskel;
using namespace brasquel;

namespace {

constexpr s32 kWidth = 1024;
constexpr s32 kHeight = 768;
constexpr u32 kParticles = 2048;
constexpr double kBudgetMs = 2.0;
constexpr u32 kStepMs = GMeshParticlesNode::UpdatePeriodMs;

struct Scene {
    platform::CWindow window;
    COpenGLDriver* driver = nullptr;
    CTextureResource* page = nullptr;
    CAtlasTexture* frame = nullptr;

    bool open() {
        if (!platform::startVideo()) return false;
        if (!window.create("World particles bench", kWidth, kHeight, false, false)) return false;
        SDeviceParameters p;
        p.driverType = DriverOpenGL;
        p.windowSize = {kWidth, kHeight};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = window.nativeHandle();
        driver = static_cast<COpenGLDriver*>(createOpenGLDriver(p, nullptr));
        if (!driver) return false;
        auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(64, 64));
        for (s32 y = 0; y < 64; ++y)
            for (s32 x = 0; x < 64; ++x)
                image->setPixel(x, y, (x < 16 && y < 32) ? 0xC0FFFFFFu : 0x00000000u);
        ITexture* texture = driver->createTextureFromImage(image);
        image->drop();
        if (!texture) return false;
        page = new CTextureResource(CCreationContext(), texture, "bench");
        texture->drop();
        SAtlasCoords coords;
        coords.right = 0.25f;
        coords.bottom = 0.5f;
        frame = new CAtlasTexture(CCreationContext(), page, coords, vector2df(0, 0),
                                  vector2df(0, 0));
        return true;
    }

    ~Scene() {
        if (frame) frame->drop();
        if (page) page->drop();
        if (driver) driver->drop();
        window.destroy();
    }
};

Scene* g_scene = nullptr;

// Rain over the whole screen whose head start alone fills the node.
CRefPtr<GWeatherParticlesNode> makeWeather() {
    auto node = makeRef<GWeatherParticlesNode>(CCreationContext());
    node->setAtlasTexture(g_scene->frame);
    node->EmitRectangleXSize = vector2df(0, 1024);
    node->EmitRectangleYSize = vector2df(768, 0);
    node->CenterPoint = vector2df(400, 4000);
    node->ParticleVelRange = vector2df(50, 80);
    node->ParticleAngularVelocityRange = vector2df(-40, 40);
    node->ParticleNormalDeltaRange = vector2df(4, 8);
    node->ParticleNormalDeltaPeriodRange = vector2df(1500, 2500);
    node->ParticleLifetimeRange = vector2df(1e8f, 1e8f);  // none dies during the run
    node->ColorA = {{0.0f, 0.0f}, {0.05f, 0.8f}, {1.0f, 0.0f}};
    node->ScaleX = {{0.0f, 0.5f}, {1.0f, 1.0f}};
    node->ScaleY = {{0.0f, 0.5f}, {1.0f, 1.0f}};
    node->PPS = 5000;
    return node;
}

CRefPtr<GHOHintParticlesNode> makeHint() {
    auto node = makeRef<GHOHintParticlesNode>(CCreationContext());
    node->setAtlasTexture(g_scene->frame);
    node->setPosition(vector3df(512, 384, 0));
    node->EmitRadiusXRange = vector2df(20, 300);
    node->EmitRadiusYRange = vector2df(20, 300);
    node->ParticlesDensity = vector2df(32, 32);
    node->ParticlesVelRange = vector2df(5, 20);
    node->ParticlesLifetimeRange = vector2df(1e8f, 1e8f);
    node->AngularVelocity = {{0.0f, 90.0f}, {1.0f, 0.0f}};
    node->Scale = {{0.0f, 0.5f}, {1.0f, 1.0f}};
    node->ColorA = {{0.0f, 1.0f}, {1.0f, 0.0f}};
    node->PPS = 128;  // the head start: 64 rings of 32
    return node;
}

// Fills the node with its head start (`kParticles` live particles), stops its emission and
// grows its mesh.
void fill(GMeshParticlesNode& node) {
    node.updateAbsoluteTransform();
    node.updateAbsoluteColor();
    DrawList list;
    node.render(list);
    node.PPS = 0;
    for (u32 i = 0; i < 10; ++i) node.update(kStepMs);
}

// One frame of the node; the seconds its step took are added to `stepSeconds`.
void nodeFrame(GMeshParticlesNode& node, double& stepSeconds) {
    COpenGLDriver* driver = g_scene->driver;
    driver->beginScene(true, false, SColor(255, 0, 0, 0));
    driver->set2DRenderMode();
    const auto t0 = std::chrono::steady_clock::now();
    node.update(kStepMs);
    stepSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    node.renderClipped(driver, nullptr);
    glFinish();
}

// The node's quads of this frame through the batcher (the step is taken too, so both sides do
// the same simulation work).
void batcherFrame(GMeshParticlesNode& node, const SMaterial& material) {
    COpenGLDriver* driver = g_scene->driver;
    CQuadBatcher* batcher = driver->getQuadBatcher();
    driver->beginScene(true, false, SColor(255, 0, 0, 0));
    driver->set2DRenderMode();
    batcher->reset();
    node.update(kStepMs);
    const CMeshBuffer& mesh = node.getMeshBuffer();
    const S2DVertex* v = mesh.getVertices();
    const u32 quads = node.getLiveCount();
    const vector2df offset(node.getAbsoluteTransform()[12], node.getAbsoluteTransform()[13]);
    for (u32 q = 0; q < quads; ++q) {
        const S2DVertex* c = v + q * GMeshParticlesNode::VerticesPerQuad;
        batcher->addQuadCorners(&material, vector2df(c[0].Pos.X, c[0].Pos.Y) + offset,
                                vector2df(c[1].Pos.X, c[1].Pos.Y) + offset,
                                vector2df(c[2].Pos.X, c[2].Pos.Y) + offset,
                                vector2df(c[3].Pos.X, c[3].Pos.Y) + offset, c[0].TCoords,
                                c[1].TCoords, c[2].TCoords, c[3].TCoords, 0.0f, c[0].Color);
    }
    batcher->flush();
    glFinish();
}

template <class MakeNode>
void runAgainstBatcher(benchmark::State& state, MakeNode make) {
    if (!g_scene) {
        state.SkipWithError("no display");
        return;
    }
    CRandom::instance().seed(11);
    auto meshNode = make();
    auto batchedNode = make();
    fill(*meshNode);
    fill(*batchedNode);
    if (meshNode->getLiveCount() != kParticles || batchedNode->getLiveCount() != kParticles) {
        state.SkipWithError("the node did not fill up");
        return;
    }
    const SMaterial material = meshNode->getMaterial();
    using clock = std::chrono::steady_clock;
    double meshSeconds = 0, batcherSeconds = 0, stepSeconds = 0;
    for (auto _ : state) {
        const auto t0 = clock::now();
        nodeFrame(*meshNode, stepSeconds);
        const auto t1 = clock::now();
        batcherFrame(*batchedNode, material);
        const auto t2 = clock::now();
        const double a = std::chrono::duration<double>(t1 - t0).count();
        const double b = std::chrono::duration<double>(t2 - t1).count();
        meshSeconds += a;
        batcherSeconds += b;
        state.SetIterationTime(a + b);
    }
    const double n = static_cast<double>(state.iterations());
    const double meshMs = meshSeconds * 1000.0 / n;
    state.counters["particles"] = benchmark::Counter(meshNode->getLiveCount());
    state.counters["mesh_ms"] = benchmark::Counter(meshMs);
    // The simulation step alone, the rest of a mesh frame is the draw.
    state.counters["step_ms"] = benchmark::Counter(stepSeconds * 1000.0 / n);
    state.counters["batcher_ms"] = benchmark::Counter(batcherSeconds * 1000.0 / n);
    state.counters["mesh_rate"] =
        benchmark::Counter(meshSeconds > 0 ? batcherSeconds / meshSeconds : 0);
    state.counters["budget_ms"] = benchmark::Counter(kBudgetMs);
    state.counters["within_budget"] = benchmark::Counter(meshMs <= kBudgetMs ? 1 : 0);
}

void BM_WeatherNodeAgainstBatcher(benchmark::State& state) {
    runAgainstBatcher(state, makeWeather);
}
void BM_HintNodeAgainstBatcher(benchmark::State& state) { runAgainstBatcher(state, makeHint); }

BENCHMARK(BM_WeatherNodeAgainstBatcher)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_HintNodeAgainstBatcher)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    oskel::bench::initializeWithDefaults(&argc, argv);
    Scene scene;
    if (scene.open()) g_scene = &scene;
    benchmark::RunSpecifiedBenchmarks();
    g_scene = nullptr;
    benchmark::Shutdown();
    return 0;
}
