// One set of scenes drawn through the OpenGL, the Direct3D 9 and the Direct3D 8 driver in turn on
// one window of the virtual display, each frame read back with the driver's screen shot after
// the frame's end, and the three pictures compared pixel by pixel: each colour channel within 2
// levels, except a band of one pixel along the edges of rotated or scaled geometry.
//
// Known differences are left out of the comparison:
// - flat-shaded primitives whose vertices have unequal colours (OpenGL takes the last vertex's
//   colour, Direct3D the first's): every flat-shaded primitive here has one colour;
// - stretched images (Direct3D 8 ignores the clip rectangle and samples them texel for texel,
//   Direct3D 9 without the half-texel shift): only the inside of flat-coloured stretched images
//   is compared, and they are drawn without a clip.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CMeshBuffer.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

constexpr s32 kWidth = 320;
constexpr s32 kHeight = 240;
constexpr int kTolerance = 2;

// What a scene draws with, made anew for each driver from the same images.
struct SSceneTextures {
    IVideoDriver* driver = nullptr;
    std::vector<CTextureResource*> owned;

    CTextureResource* of(CImage* image) {
        ITexture* texture = driver->createTextureFromImage(image);
        image->drop();
        if (!texture) return nullptr;
        auto* resource = new CTextureResource(CCreationContext(), texture, "conformance");
        texture->drop();
        owned.push_back(resource);
        return resource;
    }
    ~SSceneTextures() {
        for (CTextureResource* r : owned) r->drop();
    }
};

// An image of the size whose pixels come from the function.
CImage* imageOf(s32 w, s32 h, const std::function<u32(s32, s32)>& pixel,
                ECOLOR_FORMAT format = ECF_A8R8G8B8) {
    auto* image = new CImage(CCreationContext(), format, dimension2di(w, h));
    for (s32 y = 0; y < h; ++y)
        for (s32 x = 0; x < w; ++x) image->setPixel(x, y, pixel(x, y));
    return image;
}

// Four cells of an atlas page: red, green, blue and a half-transparent yellow, with a white
// border of one texel in each cell.
CImage* atlasPage() {
    return imageOf(32, 32, [](s32 x, s32 y) {
        const s32 cx = x % 16, cy = y % 16;
        if (cx == 0 || cy == 0 || cx == 15 || cy == 15) return 0xFFFFFFFFu;
        const u32 cell[4] = {0xFFE02020u, 0xFF20C040u, 0xFF2040E0u, 0x80E0E020u};
        return cell[(y / 16) * 2 + x / 16];
    });
}

// A glyph-like pattern: an opaque ring on a transparent ground, with a soft edge.
CImage* glyphImage() {
    return imageOf(16, 16, [](s32 x, s32 y) {
        const f32 dx = static_cast<f32>(x) - 7.5f, dy = static_cast<f32>(y) - 7.5f;
        const f32 r = std::sqrt(dx * dx + dy * dy);
        if (r > 7.0f || r < 3.0f) return 0x00FFFFFFu;
        if (r > 6.0f || r < 4.0f) return 0x80FFFFFFu;
        return 0xFFFFFFFFu;
    });
}

// The text node's material: one layer, wrap code 3, no Gouraud shading, no depth.
SMaterial textMaterial(CTextureResource* font, bool trilinear) {
    SMaterial m;
    m.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    m.LayerCount = 1;
    m.TextureLayer[0].Texture = font;
    m.TextureLayer[0].TextureWrap = 3;
    m.TextureLayer[0].BilinearFilter = true;
    m.TextureLayer[0].TrilinearFilter = trilinear;
    m.TextureLayer[0].AnisotropicFilter = 255;
    m.GouraudShading = false;
    m.Lighting = false;
    m.ZWriteEnable = false;
    m.ZBuffer = ECFN_NEVER;
    return m;
}

SMaterial spriteMaterial(s32 type, CTextureResource* texture) {
    SMaterial m;
    m.MaterialType = type;
    m.LayerCount = 1;
    m.TextureLayer[0].Texture = texture;
    m.Lighting = false;
    m.ZWriteEnable = false;
    m.ZBuffer = ECFN_NEVER;
    return m;
}

// The rectangle node's material: vertex alpha, no texture layer.
SMaterial rectangleMaterial() {
    SMaterial m;
    m.MaterialType = EMT_TRANSPARENT_VERTEX_ALPHA;
    m.LayerCount = 0;
    m.Lighting = false;
    m.ZWriteEnable = false;
    m.ZBuffer = ECFN_NEVER;
    return m;
}

// A sprite quad through the batcher: centred at (cx, cy), half sizes, turned by the angle.
void sprite(CQuadBatcher* batcher, const SMaterial& m, f32 cx, f32 cy, f32 hw, f32 hh, f32 angle,
            SColor color, vector2df uv0 = {0, 0}, vector2df uv1 = {1, 1}) {
    const f32 c = std::cos(angle), s = std::sin(angle);
    auto at = [&](f32 x, f32 y) { return vector2df(cx + x * c - y * s, cy + x * s + y * c); };
    batcher->addQuadCorners(&m, at(-hw, -hh), at(hw, -hh), at(hw, hh), at(-hw, hh), uv0,
                            vector2df(uv1.X, uv0.Y), uv1, vector2df(uv0.X, uv1.Y), 0.0f, color);
}

// Where a scene's picture is compared.
struct SCompare {
    bool edgeBand = false;  // leave out pixels on the edges of rotated or scaled geometry
    recti area{0, 0, kWidth, kHeight};
};

struct SScene {
    const char* name;
    SCompare compare;
    std::function<void(IVideoDriver*, SSceneTextures&)> draw;
};

std::vector<SScene> scenes() {
    std::vector<SScene> list;
    list.push_back({"images at whole positions", {}, [](IVideoDriver* d, SSceneTextures& t) {
                        CTextureResource* page = t.of(atlasPage());
                        ITexture* tex = page->getTexture();
                        d->draw2DImage(tex, {10, 10}, recti(0, 0, 32, 32));
                        const recti clip(60, 15, 80, 35);
                        d->draw2DImage(tex, {55, 10}, recti(0, 0, 32, 32), &clip);
                        d->draw2DImage(tex, {100, 10}, recti(0, 0, 32, 32), nullptr,
                                       SColor(0xFFFFFFFFu), true);
                        d->draw2DImage(tex, {145, 10}, recti(16, 0, 32, 16), nullptr,
                                       SColor(0x80FFFFFFu), true);
                        d->draw2DImage(tex, {190, 10}, recti(0, 16, 16, 32), nullptr,
                                       SColor(0xFF80FF80u), false);
                    }});
    SCompare stretchedArea;
    stretchedArea.area = recti(22, 22, 98, 68);
    list.push_back(
        {"a flat-coloured image stretched", stretchedArea, [](IVideoDriver* d, SSceneTextures& t) {
             CTextureResource* flat = t.of(imageOf(8, 8, [](s32, s32) { return 0xFF3080C0u; }));
             d->draw2DImageStretched(flat->getTexture(), recti(20, 20, 100, 70), recti(0, 0, 8, 8));
         }});
    SCompare band;
    band.edgeBand = true;
    list.push_back(
        {"sprites of one atlas page and of several", band, [](IVideoDriver* d, SSceneTextures& t) {
             CTextureResource* page = t.of(atlasPage());
             CTextureResource* other =
                 t.of(imageOf(8, 8, [](s32 x, s32) { return x < 4 ? 0xFF804020u : 0xFF204080u; }));
             CQuadBatcher* b = d->getQuadBatcher();
             b->reset();
             const SMaterial blend =
                 spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, page);
             const SMaterial add =
                 spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD, page);
             sprite(b, blend, 30, 30, 16, 16, 0, SColor(0xFFFFFFFFu), {0, 0}, {0.5f, 0.5f});
             sprite(b, blend, 70, 30, 16, 16, 0, SColor(0xFF80FF80u), {0.5f, 0}, {1, 0.5f});
             sprite(b, blend, 110, 30, 16, 16, 0, SColor(0x80FFFFFFu), {0, 0.5f}, {0.5f, 1});
             sprite(b, blend, 150, 30, 16, 16, 0, SColor(0xFFFFFFFFu), {0.5f, 0.5f}, {1, 1});
             sprite(b, blend, 40, 90, 20, 14, 0.6f, SColor(0xFFFFFFFFu), {0, 0}, {0.5f, 0.5f});
             sprite(b, blend, 100, 90, 24, 24, 0.0f, SColor(0xFFFFFFFFu), {0.5f, 0}, {1, 0.5f});
             sprite(b, add, 160, 90, 16, 16, 0, SColor(0xFF404040u), {0, 0.5f}, {0.5f, 1});
             const SMaterial second =
                 spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, other);
             for (int i = 0; i < 4; ++i) {
                 sprite(b, i % 2 ? blend : second, 40.0f + i * 40.0f, 160, 12, 12, 0.3f * i,
                        SColor(0xFFFFFFFFu), {0, 0}, {0.5f, 0.5f});
             }
             b->flush();
         }});
    list.push_back({"rectangles, grid lines and fans after a textured batch", band,
                    [](IVideoDriver* d, SSceneTextures& t) {
                        CTextureResource* page = t.of(atlasPage());
                        CQuadBatcher* b = d->getQuadBatcher();
                        b->reset();
                        sprite(b, spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, page),
                               40, 40, 16, 16, 0, SColor(0xFFFFFFFFu), {0.5f, 0.5f}, {1, 1});
                        b->flush();
                        // As the rectangle node draws: its material set, then the rectangle.
                        d->setMaterial(rectangleMaterial());
                        d->draw2DRectangle(SColor(0xFF40A0A0u), recti(80, 20, 140, 60));
                        d->draw2DRectangle(SColor(0x80FF0000u), recti(100, 40, 160, 80));
                        // The selection grid: lines in one colour.
                        for (int i = 0; i <= 4; ++i) {
                            const f32 p = 180.0f + 15.0f * i;
                            d->draw2DLine({p, 20}, {p, 80}, SColor(0xFFFFFF00u));
                            d->draw2DLine({180, 20.0f + 15.0f * i}, {240, 20.0f + 15.0f * i},
                                          SColor(0xFFFFFF00u));
                        }
                        // A fan of one colour.
                        const S2DVertex fan[5] = {S2DVertex(60, 160, 0, SColor(0xFF8040C0u), 0, 0),
                                                  S2DVertex(20, 120, 0, SColor(0xFF8040C0u), 0, 0),
                                                  S2DVertex(100, 120, 0, SColor(0xFF8040C0u), 0, 0),
                                                  S2DVertex(100, 200, 0, SColor(0xFF8040C0u), 0, 0),
                                                  S2DVertex(20, 200, 0, SColor(0xFF8040C0u), 0, 0)};
                        const u16 fanIndices[6] = {0, 1, 2, 3, 4, 1};
                        d->set2DRenderMode();
                        d->drawVertexPrimitiveList(fan, 5, fanIndices, 4, EVT_2D, EPT_TRIANGLE_FAN);
                        // The letterbox bars.
                        d->draw2DRectangle(SColor(0xFF000000u), recti(0, 0, kWidth, 8));
                        d->draw2DRectangle(SColor(0xFF000000u),
                                           recti(0, kHeight - 8, kWidth, kHeight));
                    }});
    list.push_back({"a particle mesh buffer under a world transform", band,
                    [](IVideoDriver* d, SSceneTextures& t) {
                        CTextureResource* glyph = t.of(glyphImage());
                        auto* mesh = new CMeshBuffer();
                        mesh->Material =
                            spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, glyph);
                        for (int i = 0; i < 6; ++i) {
                            const f32 x = 10.0f + 22.0f * i, y = 10.0f + 6.0f * i;
                            const SColor c(0xFF000000u | (0x30u * i << 16) | 0x80FFu);
                            const S2DVertex v[4] = {S2DVertex(x, y, 0, c, 0, 0),
                                                    S2DVertex(x + 16, y, 0, c, 1, 0),
                                                    S2DVertex(x + 16, y + 16, 0, c, 1, 1),
                                                    S2DVertex(x, y + 16, 0, c, 0, 1)};
                            const u16 idx[6] = {0, 1, 2, 0, 2, 3};
                            mesh->append(v, 4, idx, 6);
                        }
                        mesh->PrimitiveCount = mesh->getIndexCount() / 3;
                        matrix4 world;
                        world.setTranslation(vector3df(30, 60, 0));
                        world.setScale(vector3df(1.5f, 1.5f, 1));
                        d->setTransform(ETS_WORLD, world);
                        d->setMaterial(mesh->Material);
                        d->set2DRenderMode();
                        d->drawMeshBuffer(mesh);
                        d->setTransform(ETS_WORLD, matrix4());
                        mesh->drop();
                    }});
    list.push_back(
        {"text quads at 1:1 and scaled", band, [](IVideoDriver* d, SSceneTextures& t) {
             CTextureResource* font = t.of(glyphImage());
             CQuadBatcher* b = d->getQuadBatcher();
             b->reset();
             for (bool trilinear : {false, true}) {
                 const SMaterial m = textMaterial(font, trilinear);
                 const f32 top = trilinear ? 120.0f : 20.0f;
                 for (int i = 0; i < 5; ++i)
                     sprite(b, m, 20.0f + 16.0f * i, top + 8, 8, 8, 0, SColor(0xFFFFFFFFu));
                 for (int i = 0; i < 3; ++i)
                     sprite(b, m, 140.0f + 40.0f * i, top + 40, 16, 16, 0, SColor(0xFF80C0FFu));
             }
             b->flush();
         }});
    list.push_back({"16-bit textures", {}, [](IVideoDriver* d, SSceneTextures& t) {
                        d->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, false);
                        d->setTextureCreationFlag(ETCF_ALWAYS_16_BIT, true);
                        CTextureResource* low = t.of(imageOf(16, 16, [](s32 x, s32 y) {
                            return (x + y) % 2 ? 0xFFF80000u : 0x00000000u;
                        }));
                        d->setTextureCreationFlag(ETCF_ALWAYS_16_BIT, false);
                        d->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
                        EXPECT_EQ(low->getTexture()->getColorFormat(), ECF_A1R5G5B5);
                        d->draw2DImage(low->getTexture(), {20, 20}, recti(0, 0, 16, 16), nullptr,
                                       SColor(0xFFFFFFFFu), true);
                        CQuadBatcher* b = d->getQuadBatcher();
                        b->reset();
                        sprite(b, spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, low),
                               80, 28, 8, 8, 0, SColor(0xFFFFFFFFu));
                        b->flush();
                    }});
    list.push_back({"a render target drawn into, read back and drawn",
                    {},
                    [](IVideoDriver* d, SSceneTextures& t) {
                        CTextureResource* page = t.of(atlasPage());
                        ITexture* target = d->createRenderTargetTexture({64, 64});
                        ASSERT_NE(target, nullptr);
                        ASSERT_TRUE(d->setRenderTarget(target, true, true, SColor(0xFF000000u)));
                        // Red over blue: the top half red.
                        d->setMaterial(rectangleMaterial());
                        d->draw2DRectangle(SColor(0xFFFF0000u), recti(0, 0, 64, 32));
                        d->draw2DRectangle(SColor(0xFF0000FFu), recti(0, 32, 64, 64));
                        d->draw2DImage(page->getTexture(), {16, 16}, recti(0, 0, 16, 16));
                        ASSERT_TRUE(d->setRenderTarget(nullptr, false, false));
                        // Read back by lock: rows from the top in every driver.
                        const auto* rows = static_cast<const u8*>(target->lock(true));
                        ASSERT_NE(rows, nullptr);
                        // Rows advance by the texture's pitch.
                        const u32 pitch = target->getPitch();
                        EXPECT_GE(pitch, 64u * 4u);
                        auto red = [&](s32 y) {
                            u32 p = 0;
                            std::memcpy(&p, rows + static_cast<size_t>(y) * pitch + 4 * 4, 4);
                            return (p >> 16) & 0xFFu;
                        };
                        EXPECT_GT(red(2), 200u);
                        EXPECT_LT(red(60), 50u);
                        target->unlock();
                        // Drawn as an image and as a sprite: right side up.
                        d->draw2DImage(target, {20, 20}, recti(0, 0, 64, 64));
                        CQuadBatcher* b = d->getQuadBatcher();
                        b->reset();
                        auto* resource = new CTextureResource(CCreationContext(), target, "target");
                        t.owned.push_back(resource);
                        sprite(b,
                               spriteMaterial(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, resource),
                               150, 52, 32, 32, 0, SColor(0xFFFFFFFFu));
                        b->flush();
                        target->drop();
                    }});
    return list;
}

struct SDriverKind {
    s32 type;
    const char* name;
};
const SDriverKind kDrivers[] = {
    {DriverOpenGL, "OpenGL"}, {DriverDirect3D9, "Direct3D 9"}, {DriverDirect3D8, "Direct3D 8"}};

IVideoDriver* makeDriver(s32 type, platform::CWindow& window) {
    SDeviceParameters p;
    p.driverType = type;
    p.windowSize = {kWidth, kHeight};
    p.bits = 32;
    p.zBufferBits = 24;
    p.vsync = false;
    p.windowId = window.nativeHandle();
    if (type == DriverDirect3D9) return createDirect3D9Driver(p, nullptr);
    if (type == DriverDirect3D8) return createDirect3D8Driver(p, nullptr);
    return createOpenGLDriver(p, nullptr);
}

// Pixels that differ from a neighbour in the reference: the edges of its geometry.
bool onAnEdge(const CImage& image, s32 x, s32 y) {
    const u32 centre = image.getPixel(x, y);
    for (s32 dy = -1; dy <= 1; ++dy)
        for (s32 dx = -1; dx <= 1; ++dx) {
            const s32 nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight) continue;
            const u32 other = image.getPixel(nx, ny);
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(static_cast<int>((centre >> shift) & 0xFF) -
                             static_cast<int>((other >> shift) & 0xFF)) > kTolerance)
                    return true;
        }
    return false;
}

// The pixels of the picture that differ from the reference beyond the tolerance, as text; the
// count in `differing`.
std::string differences(const CImage& reference, const CImage& picture, const SCompare& compare,
                        int& differing) {
    differing = 0;
    std::string first;
    for (s32 y = compare.area.UpperLeftCorner.Y; y < compare.area.LowerRightCorner.Y; ++y)
        for (s32 x = compare.area.UpperLeftCorner.X; x < compare.area.LowerRightCorner.X; ++x) {
            const u32 a = reference.getPixel(x, y), b = picture.getPixel(x, y);
            bool same = true;
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                             static_cast<int>((b >> shift) & 0xFF)) > kTolerance)
                    same = false;
            if (same || (compare.edgeBand && onAnEdge(reference, x, y))) continue;
            if (++differing <= 5) {
                char text[96];
                std::snprintf(text, sizeof text, " (%d, %d): %08X against %08X;", x, y, b, a);
                first += text;
            }
        }
    return first;
}

TEST(DriverConformance, TheThreeDriversDrawTheSamePixels) {
    if (!platform::startVideo()) OSKEL_SKIP_WITHOUT_DISPLAY("no video on the display");
    d3d::D3DTestControl::reset();
    const std::vector<SScene> list = scenes();
    // pictures[driver][scene]
    std::vector<std::vector<CImage*>> pictures(3, std::vector<CImage*>(list.size(), nullptr));
    {
        platform::CWindow window;
        ASSERT_TRUE(window.create("Driver conformance", kWidth, kHeight, false, false))
            << "no window";
        for (size_t k = 0; k < 3; ++k) {
            SCOPED_TRACE(kDrivers[k].name);
            IVideoDriver* driver = makeDriver(kDrivers[k].type, window);
            ASSERT_NE(driver, nullptr) << "no " << kDrivers[k].name << " driver";
            driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
            driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);
            // A user of screen shots registers before the frames it takes.
            driver->addScreenShotUser();
            for (size_t s = 0; s < list.size(); ++s) {
                SCOPED_TRACE(list[s].name);
                SSceneTextures textures;
                textures.driver = driver;
                ASSERT_TRUE(driver->beginScene(true, true, SColor(0xFF203040u)));
                driver->setMaterial(SMaterial());
                list[s].draw(driver, textures);
                ASSERT_TRUE(driver->endScene());
                pictures[k][s] = driver->createScreenShot();
                ASSERT_NE(pictures[k][s], nullptr);
                ASSERT_EQ(pictures[k][s]->getDimension(), dimension2di(kWidth, kHeight));
            }
            driver->removeScreenShotUser();
            driver->drop();
        }
    }
    for (size_t s = 0; s < list.size(); ++s) {
        // Something was drawn: the picture is not the clear colour alone.
        int drawn = 0;
        SCompare whole;
        const CImage* reference = pictures[0][s];
        CImage* cleared = imageOf(kWidth, kHeight, [](s32, s32) { return 0xFF203040u; });
        differences(*cleared, *reference, whole, drawn);
        cleared->drop();
        EXPECT_GT(drawn, 50) << list[s].name << ": nothing drawn";
        for (size_t k = 1; k < 3; ++k) {
            int differing = 0;
            const std::string text =
                differences(*reference, *pictures[k][s], list[s].compare, differing);
            EXPECT_EQ(differing, 0)
                << list[s].name << ", " << kDrivers[k].name << " against OpenGL:" << text;
        }
    }
    for (auto& row : pictures)
        for (CImage* image : row)
            if (image) image->drop();
    platform::stopVideo();
    d3d::D3DTestControl::reset();
}

}  // namespace
