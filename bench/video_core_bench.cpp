// Benchmarks of the quad batcher's own cost: quads per second into a driver that only counts
// what reaches it, with one material and with eight materials taking turns.

#include <vector>

#include <benchmark/benchmark.h>

#include "engine/video/CNullDriver.h"
#include "engine/video/CQuadBatcher.h"

using namespace oskel;

namespace {

// Counts draw calls and primitives; draws nothing.
class CountingDriver : public CNullDriver {
public:
    CountingDriver() : CNullDriver(SDeviceParameters(), nullptr) {}
    void drawVertexPrimitiveList(const void* vertices, u32, const u16*, u32 primitiveCount, u32,
                                 u32) override {
        benchmark::DoNotOptimize(vertices);
        ++drawCalls;
        primitives += primitiveCount;
    }
    void setMaterial(const SMaterial&) override {}
    unsigned long long drawCalls = 0;
    unsigned long long primitives = 0;
};

// Queues frames of quads; range(0) materials take turns in runs of range(1) quads.
void BM_BatcherQuads(benchmark::State& state) {
    const int materialCount = static_cast<int>(state.range(0));
    const int run = static_cast<int>(state.range(1));
    const int quadsPerFrame = 4096;
    std::vector<SMaterial> materials(static_cast<size_t>(materialCount));
    for (int i = 0; i < materialCount; ++i) {
        materials[static_cast<size_t>(i)].MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
        materials[static_cast<size_t>(i)].TextureLayer[0].AnisotropicFilter = static_cast<u8>(i);
    }
    auto* driver = new CountingDriver();
    CQuadBatcher& batcher = *driver->getQuadBatcher();
    const vector2df t0(0, 0), t1(1, 0), t2(1, 1), t3(0, 1);
    for (auto _ : state) {
        batcher.reset();
        for (int q = 0; q < quadsPerFrame; ++q) {
            const SMaterial& m = materials[static_cast<size_t>((q / run) % materialCount)];
            const f32 x = static_cast<f32>(q & 255);
            const f32 y = static_cast<f32>(q >> 8);
            batcher.addQuadCorners(&m, vector2df(x, y), vector2df(x + 1, y),
                                   vector2df(x + 1, y + 1), vector2df(x, y + 1), t0, t1, t2, t3,
                                   0.0f, SColor(0xFFFFFFFFu));
        }
        batcher.flush();
    }
    state.SetItemsProcessed(state.iterations() * quadsPerFrame);
    state.counters["draws/frame"] =
        static_cast<double>(driver->drawCalls) / static_cast<double>(state.iterations());
    driver->drop();
}

}  // namespace

// One material; eight materials alternating every quad and in runs of 64 quads.
BENCHMARK(BM_BatcherQuads)->Args({1, 1})->Args({8, 1})->Args({8, 64});
