// Sprites per second through the quad batcher and the OpenGL driver, against a minimal OpenGL
// loop drawing the same quads with client arrays in the same context. Needs a display (the
// bench script runs it under a virtual one when there is none).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <vector>

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

void BM_BatcherAndDriver(benchmark::State& state) {
    if (!g_scene) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) driverFrame(state.range(0) != 0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kQuads);
}

void BM_RawOpenGL(benchmark::State& state) {
    if (!g_scene) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) rawFrame(state.range(0) != 0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kQuads);
}

BENCHMARK(BM_BatcherAndDriver)->ArgName("pages")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RawOpenGL)->ArgName("pages")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The two loops timed in turns, so that both see the same load of a shared machine: the
// median over rounds of (raw time / driver time), the driver's rate relative to the raw loop's.
double interleavedRatio(bool pages) {
    using clock = std::chrono::steady_clock;
    for (int warm = 0; warm < 5; ++warm) {
        driverFrame(pages);
        rawFrame(pages);
    }
    std::vector<double> ratios;
    for (int round = 0; round < 15; ++round) {
        double ours = 0, raw = 0;
        for (int frame = 0; frame < 4; ++frame) {
            auto t0 = clock::now();
            driverFrame(pages);
            auto t1 = clock::now();
            rawFrame(pages);
            auto t2 = clock::now();
            ours += std::chrono::duration<double>(t1 - t0).count();
            raw += std::chrono::duration<double>(t2 - t1).count();
        }
        ratios.push_back(raw / ours);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Scene scene;
    if (scene.open()) g_scene = &scene;
    benchmark::RunSpecifiedBenchmarks();
    if (g_scene) {
        // Both loops draw the same picture: compare a grid of pixels of the back buffer.
        for (bool pages : {false, true}) {
            std::vector<GLubyte> ours(kWidth * kHeight * 4), raw(kWidth * kHeight * 4);
            glReadBuffer(GL_BACK);
            driverFrame(pages);
            glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, ours.data());
            rawFrame(pages);
            glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
            glReadBuffer(GL_FRONT);
            u32 differ = 0, lit = 0;
            for (size_t i = 0; i < ours.size(); i += 4) {
                for (int c = 0; c < 3; ++c)
                    if (std::abs(int(ours[i + c]) - int(raw[i + c])) > 3) {
                        ++differ;
                        break;
                    }
                if (ours[i] | ours[i + 1] | ours[i + 2]) ++lit;
            }
            std::printf("%s: %u of %u pixels lit, %u differ from the raw loop's\n",
                        pages ? "8 alternating textures" : "one atlas page", lit,
                        static_cast<u32>(kWidth * kHeight), differ);
        }
        for (bool pages : {false, true})
            std::printf("sprite rate of batcher + driver / raw loop, %s: %.3f (goal: at least 0.9)\n",
                        pages ? "8 alternating textures" : "one atlas page",
                        interleavedRatio(pages));
    }
    g_scene = nullptr;
    benchmark::Shutdown();
    return 0;
}
