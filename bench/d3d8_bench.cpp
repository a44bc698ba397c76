// Sprites through the quad batcher and the Direct3D 8 driver (its vertex format sent before every
// draw) against the same sprites through the OpenGL driver, in the same run: 1000 sprites of 64 x
// 64 a frame, from one atlas page (one draw call) or from eight textures taken in turn (a draw call
// per sprite). Each driver has a window of its own; each iteration draws an OpenGL frame and then a
// Direct3D 8 frame and times both (each up to the end of its drawing), so both sides see the same
// machine, and the two pictures must agree. The counter d3d8_rate is the Direct3D 8 driver's sprite
// rate relative to the OpenGL driver's (OpenGL time / Direct3D 8 time; the goal is at least 0.8).
// Repetitions give medians. Needs a display (the bench script runs it under a virtual one when
// there is none).

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/BenchMain.h"
#include "engine/image/CImage.h"
#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/opengl/COpenGLDriver.h"

using namespace oskel;

namespace {

constexpr s32 kWidth = 1024;
constexpr s32 kHeight = 768;
constexpr u32 kQuads = 1000;
constexpr u32 kPages = 8;

// One driver on a window of its own, with an atlas page of 8 × 8 frames of 64 × 64 and eight
// single textures.
struct Side {
    platform::CWindow window;
    IVideoDriver* driver = nullptr;
    CTextureResource* atlas = nullptr;
    std::vector<CTextureResource*> pages;
    SMaterial atlasMaterial;
    std::vector<SMaterial> pageMaterials;

    bool open(s32 type, const char* title) {
        if (!window.create(title, kWidth, kHeight, false, false)) return false;
        SDeviceParameters p;
        p.driverType = type;
        p.windowSize = {kWidth, kHeight};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = window.nativeHandle();
        driver = type == DriverDirect3D8 ? createDirect3D8Driver(p, nullptr)
                                         : createOpenGLDriver(p, nullptr);
        if (!driver) return false;
        driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
        atlas = makeTexture(512, 0);
        for (u32 i = 0; i < kPages; ++i) pages.push_back(makeTexture(64, i + 1));
        atlasMaterial = spriteMaterial(atlas);
        for (CTextureResource* page : pages) pageMaterials.push_back(spriteMaterial(page));
        return true;
    }

    CTextureResource* makeTexture(s32 size, u32 seed) {
        auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(size, size));
        for (s32 y = 0; y < size; ++y)
            for (s32 x = 0; x < size; ++x)
                image->setPixel(x, y,
                                0x80000000u | ((x * 4 + seed * 40) & 0xFF) << 16 |
                                    ((y * 4) & 0xFF) << 8 | (seed * 30 & 0xFF));
        ITexture* texture = driver->createTextureFromImage(image);
        image->drop();
        auto* resource = new CTextureResource(CCreationContext(), texture, "bench");
        texture->drop();
        return resource;
    }

    static SMaterial spriteMaterial(CTextureResource* texture) {
        SMaterial m;
        m.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
        m.Lighting = false;
        m.ZBuffer = ECFN_NEVER;
        m.TextureLayer[0].Texture = texture;
        return m;
    }

    // One frame of 1000 sprites through the batcher and the driver, finished.
    void frame(bool usePages) {
        CQuadBatcher* batcher = driver->getQuadBatcher();
        driver->beginScene(true, false, SColor(255, 0, 0, 0));
        batcher->reset();
        for (u32 i = 0; i < kQuads; ++i) {
            const f32 x = static_cast<f32>((i * 37) % (kWidth - 64));
            const f32 y = static_cast<f32>((i * 53) % (kHeight - 64));
            f32 u = usePages ? 0.0f : static_cast<f32>(i % 8) * 0.125f;
            f32 v = usePages ? 0.0f : static_cast<f32>((i / 8) % 8) * 0.125f;
            const f32 du = usePages ? 1.0f : 0.125f;
            const SMaterial* m = usePages ? &pageMaterials[i % kPages] : &atlasMaterial;
            batcher->addQuadCorners(
                m, vector2df(x, y), vector2df(x + 64, y), vector2df(x + 64, y + 64),
                vector2df(x, y + 64), vector2df(u, v), vector2df(u + du, v),
                vector2df(u + du, v + du), vector2df(u, v + du), 0.0f, SColor(255, 255, 255, 255));
        }
        batcher->flush();
        // The drawing is done when the context (current now) has finished it.
        glFinish();
    }

    void close() {
        if (atlas) atlas->drop();
        for (CTextureResource* page : pages) page->drop();
        pages.clear();
        atlas = nullptr;
        if (driver) driver->drop();
        driver = nullptr;
        window.destroy();
    }
};

Side* g_openGL = nullptr;
Side* g_direct3D9 = nullptr;

// The OpenGL side's context made current again (the Direct3D 8 side draws in its own).
void openGLCurrent() {
    SDL_GL_MakeCurrent(
        static_cast<SDL_Window*>(g_openGL->window.nativeHandle()),
        g_openGL->driver->getExposedVideoData().Words[SExposedVideoData::RenderingContext]);
}

// The OpenGL back buffer's pixels as ARGB rows from the top.
void openGLPixels(std::vector<u32>& argb) {
    std::vector<GLubyte> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadBuffer(GL_FRONT);
    argb.resize(static_cast<size_t>(kWidth) * kHeight);
    for (s32 y = 0; y < kHeight; ++y)
        for (s32 x = 0; x < kWidth; ++x) {
            const GLubyte* p = &rgba[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
            argb[static_cast<size_t>(y) * kWidth + x] =
                (static_cast<u32>(p[0]) << 16) | (static_cast<u32>(p[1]) << 8) | p[2];
        }
}

// Pixels whose colour differs by more than 3 in a channel.
u32 differingPixels(const std::vector<u32>& a, const std::vector<u32>& b) {
    if (a.size() != b.size()) return static_cast<u32>(std::max(a.size(), b.size()));
    u32 differ = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int ca = static_cast<int>((a[i] >> shift) & 0xFF);
            const int cb = static_cast<int>((b[i] >> shift) & 0xFF);
            if (std::abs(ca - cb) > 3) {
                ++differ;
                break;
            }
        }
    return differ;
}

void BM_SpritesDirect3D8AgainstOpenGL(benchmark::State& state) {
    if (!g_openGL || !g_direct3D9) {
        state.SkipWithError("no display");
        return;
    }
    const bool pages = state.range(0) != 0;
    using clock = std::chrono::steady_clock;
    std::vector<u32> gl, d3d;
    u32 w = 0, h = 0;
    double glSeconds = 0, d3dSeconds = 0;
    u32 worst = 0;
    for (auto _ : state) {
        openGLCurrent();
        const auto t0 = clock::now();
        g_openGL->frame(pages);
        const auto t1 = clock::now();
        openGLPixels(gl);
        const auto t2 = clock::now();
        g_direct3D9->frame(pages);
        const auto t3 = clock::now();
        d3d::D3DTestControl::readBackBuffer(d3d, w, h);
        g_direct3D9->driver->endScene();
        for (u32& p : d3d) p &= 0xFFFFFFu;
        worst = std::max(worst, differingPixels(gl, d3d));
        const double glFrame = std::chrono::duration<double>(t1 - t0).count();
        const double d3dFrame = std::chrono::duration<double>(t3 - t2).count();
        glSeconds += glFrame;
        d3dSeconds += d3dFrame;
        state.SetIterationTime(glFrame + d3dFrame);
    }
    if (worst > 0) {
        char message[128];
        std::snprintf(message, sizeof message,
                      "the Direct3D 8 frame differs from the OpenGL frame in %u of %d pixels",
                      worst, kWidth * kHeight);
        state.SkipWithError(message);
        return;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["opengl_ms"] = benchmark::Counter(glSeconds * 1000.0 / n);
    state.counters["d3d8_ms"] = benchmark::Counter(d3dSeconds * 1000.0 / n);
    state.counters["d3d8_rate"] = benchmark::Counter(d3dSeconds > 0 ? glSeconds / d3dSeconds : 0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kQuads * 2);
}

BENCHMARK(BM_SpritesDirect3D8AgainstOpenGL)
    ->ArgName("pages")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    oskel::bench::initializeWithDefaults(&argc, argv);
    Side openGL, direct3D9;
    if (platform::startVideo() && openGL.open(DriverOpenGL, "OpenGL bench") &&
        direct3D9.open(DriverDirect3D8, "Direct3D 8 bench")) {
        g_openGL = &openGL;
        g_direct3D9 = &direct3D9;
    }
    benchmark::RunSpecifiedBenchmarks();
    g_openGL = g_direct3D9 = nullptr;
    direct3D9.close();
    openGL.close();
    benchmark::Shutdown();
    return 0;
}
