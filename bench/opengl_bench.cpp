// Sprites through the quad batcher and the OpenGL driver against a minimal OpenGL loop drawing
// the same quads with client arrays in the same context: 1000 sprites of 64 x 64 a frame, from
// one atlas page (one draw call) or from eight textures taken in turn (a draw call per sprite).
// Each iteration draws a raw frame and then a driver frame and times both, so both sides see the
// same machine; the driver frame right after the raw one must show the same picture (the raw
// loop changes OpenGL's state behind the driver, which the driver must notice). Repetitions
// give medians. Needs a display (the bench script runs it under a virtual one when there is none).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "bench/BenchMain.h"
#include "engine/platform/Window.h"
#include "engine/image/CImage.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "engine/video/opengl/COpenGLTexture.h"

using namespace oskel;

namespace {

constexpr s32 kWidth = 1024;
constexpr s32 kHeight = 768;
constexpr u32 kQuads = 1000;
constexpr u32 kPages = 8;

// The window, the driver, an atlas page of 8 × 8 frames of 64 × 64 and eight single textures.
struct Scene {
    platform::CWindow window;
    COpenGLDriver* driver = nullptr;
    CTextureResource* atlas = nullptr;
    std::vector<CTextureResource*> pages;
    SMaterial atlasMaterial;
    std::vector<SMaterial> pageMaterials;

    bool open() {
        if (!platform::startVideo()) return false;
        if (!window.create("OpenGL bench", kWidth, kHeight, false, false)) return false;
        SDeviceParameters p;
        p.driverType = DriverOpenGL;
        p.windowSize = {kWidth, kHeight};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = window.nativeHandle();
        driver = static_cast<COpenGLDriver*>(createOpenGLDriver(p, nullptr));
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
                image->setPixel(x, y, 0x80000000u | ((x * 4 + seed * 40) & 0xFF) << 16 |
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

    ~Scene() {
        if (atlas) atlas->drop();
        for (CTextureResource* page : pages) page->drop();
        if (driver) driver->drop();
        window.destroy();
    }
};

Scene* g_scene = nullptr;

// Where quad i goes and which atlas frame it shows.
void quadPlace(u32 i, f32& x, f32& y, f32& u, f32& v) {
    x = static_cast<f32>((i * 37) % (kWidth - 64));
    y = static_cast<f32>((i * 53) % (kHeight - 64));
    u = static_cast<f32>(i % 8) * 0.125f;
    v = static_cast<f32>((i / 8) % 8) * 0.125f;
}

// One frame of 1000 sprites through the batcher and the driver.
void driverFrame(bool pages) {
    COpenGLDriver* driver = g_scene->driver;
    CQuadBatcher* batcher = driver->getQuadBatcher();
    {
        driver->beginScene(true, false, SColor(255, 0, 0, 0));
        batcher->reset();
        for (u32 i = 0; i < kQuads; ++i) {
            f32 x, y, u, v;
            quadPlace(i, x, y, u, v);
            const SMaterial* m = pages ? &g_scene->pageMaterials[i % kPages] : &g_scene->atlasMaterial;
            const f32 du = pages ? 1.0f : 0.125f;
            if (pages) u = v = 0.0f;
            batcher->addQuadCorners(m, vector2df(x, y), vector2df(x + 64, y),
                                    vector2df(x + 64, y + 64), vector2df(x, y + 64),
                                    vector2df(u, v), vector2df(u + du, v),
                                    vector2df(u + du, v + du), vector2df(u, v + du), 0.0f,
                                    SColor(255, 255, 255, 255));
        }
        batcher->flush();
        glFinish();
    }
}

// The same quads with client arrays and as few state changes as possible.
void rawFrame(bool pages) {
    static std::vector<f32> positions(kQuads * 8), coords(kQuads * 8);
    static std::vector<u8> colors(kQuads * 16, 255);
    static std::vector<u16> indices;
    if (indices.empty()) {
        for (u32 q = 0; q < kQuads; ++q) {
            const u16 b = static_cast<u16>(q * 4);
            for (u16 k : {u16(0), u16(1), u16(2), u16(0), u16(2), u16(3)})
                indices.push_back(static_cast<u16>(b + k));
        }
    }
    GLuint names[kPages + 1];
    names[0] = static_cast<COpenGLTexture*>(g_scene->atlas->getTexture())->getOpenGLTextureName();
    for (u32 i = 0; i < kPages; ++i)
        names[i + 1] =
            static_cast<COpenGLTexture*>(g_scene->pages[i]->getTexture())->getOpenGLTextureName();
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, kHeight, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (u32 i = 0; i < kQuads; ++i) {
            f32 x, y, u, v;
            quadPlace(i, x, y, u, v);
            const f32 du = pages ? 1.0f : 0.125f;
            if (pages) u = v = 0.0f;
            const f32 p[8] = {x, y, x + 64, y, x + 64, y + 64, x, y + 64};
            const f32 t[8] = {u, v, u + du, v, u + du, v + du, u, v + du};
            for (u32 k = 0; k < 8; ++k) {
                positions[i * 8 + k] = p[k];
                coords[i * 8 + k] = t[k];
            }
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, positions.data());
        glTexCoordPointer(2, GL_FLOAT, 0, coords.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors.data());
        if (pages) {
            for (u32 i = 0; i < kQuads; ++i) {
                glBindTexture(GL_TEXTURE_2D, names[1 + i % kPages]);
                glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices.data() + i * 6);
            }
        } else {
            glBindTexture(GL_TEXTURE_2D, names[0]);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(kQuads * 6), GL_UNSIGNED_SHORT,
                           indices.data());
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glFinish();
    }
    // The driver's own idea of what is bound is no longer true.
    g_scene->driver->disableTextures();
    glBindTexture(GL_TEXTURE_2D, 0);
}

// The back buffer's pixels (RGBA, bottom-up).
void readBack(std::vector<GLubyte>& pixels) {
    pixels.resize(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glReadBuffer(GL_FRONT);
}

// Pixels whose colour differs by more than 3 in a channel.
u32 differingPixels(const std::vector<GLubyte>& a, const std::vector<GLubyte>& b) {
    u32 differ = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a[i + c]) - int(b[i + c])) > 3) {
                ++differ;
                break;
            }
    return differ;
}

// Each iteration: a raw frame, its pixels, a driver frame, its pixels. Counters: the mean frame
// time of each side and the driver's sprite rate relative to the raw loop's (raw time / driver
// time; 1 is as fast, above 1 faster).
void BM_SpritesDriverAgainstRaw(benchmark::State& state) {
    if (!g_scene) {
        state.SkipWithError("no display");
        return;
    }
    const bool pages = state.range(0) != 0;
    using clock = std::chrono::steady_clock;
    std::vector<GLubyte> raw, ours;
    double rawSeconds = 0, driverSeconds = 0;
    u32 worst = 0;
    for (auto _ : state) {
        const auto t0 = clock::now();
        rawFrame(pages);
        const auto t1 = clock::now();
        readBack(raw);
        const auto t2 = clock::now();
        driverFrame(pages);
        const auto t3 = clock::now();
        readBack(ours);
        worst = std::max(worst, differingPixels(ours, raw));
        const double rawFrameSeconds = std::chrono::duration<double>(t1 - t0).count();
        const double driverFrameSeconds = std::chrono::duration<double>(t3 - t2).count();
        rawSeconds += rawFrameSeconds;
        driverSeconds += driverFrameSeconds;
        // The iteration's time is the two frames, without the read-backs.
        state.SetIterationTime(rawFrameSeconds + driverFrameSeconds);
    }
    if (worst > 0) {
        char message[128];
        std::snprintf(message, sizeof message,
                      "a driver frame after a raw frame differs from it in %u of %d pixels", worst,
                      kWidth * kHeight);
        state.SkipWithError(message);
        return;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = benchmark::Counter(rawSeconds * 1000.0 / n);
    state.counters["driver_ms"] = benchmark::Counter(driverSeconds * 1000.0 / n);
    state.counters["driver_rate"] = benchmark::Counter(driverSeconds > 0 ? rawSeconds / driverSeconds : 0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kQuads * 2);
}

BENCHMARK(BM_SpritesDriverAgainstRaw)
    ->ArgName("pages")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

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
