#include <cstring>
#include <functional>

#include "engine/platform/GLContext.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "tests/video/opengl/GLTestSupport.h"
#include "tests/video/opengl/WindowPixels.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// Pixel formats: which attributes are tried, in which order.

using platform::SGLAttributes;
using platform::SPixelFormatRequest;

TEST(PixelFormatTries, PlainFormatsWithTheirFallbacks) {
    struct Case {
        const char* name;
        SPixelFormatRequest request;
        std::vector<std::pair<int, int>> depthAndStencil;  // per try
        int red;
        bool stencilWarning;
    };
    const Case cases[] = {
        {"32-bit with stencil", {32, 24, true, 0}, {{24, 1}, {24, 0}, {24, 0}, {16, 0}}, 8, true},
        {"32-bit", {32, 24, false, 0}, {{24, 0}, {24, 0}, {16, 0}}, 8, false},
        {"16-bit skips the 16-bit depth", {16, 16, false, 0}, {{24, 0}, {24, 0}}, 5, false},
        {"anti-aliasing 1 is none", {32, 24, false, 1}, {{24, 0}, {24, 0}, {16, 0}}, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto tries = platform::listPixelFormatTries(c.request);
        ASSERT_EQ(tries.size(), c.depthAndStencil.size());
        for (size_t i = 0; i < tries.size(); ++i) {
            EXPECT_EQ(tries[i].attributes.depth, c.depthAndStencil[i].first) << i;
            EXPECT_EQ(tries[i].attributes.stencil, c.depthAndStencil[i].second) << i;
            EXPECT_EQ(tries[i].attributes.red, c.red);
            EXPECT_EQ(tries[i].attributes.samples, 0);
            EXPECT_EQ(tries[i].attributes.doubleBuffer, 1);
        }
        EXPECT_EQ(tries[1].warning ==
                      "Cannot create a GL device with stencil buffer, disabling stencil shadows.",
                  c.stencilWarning);
    }
}

TEST(PixelFormatTries, MultisampleCountsGoDownToTwoThenThePlainFormats) {
    const auto tries = platform::listPixelFormatTries({32, 16, true, 4});
    ASSERT_EQ(tries.size(), 3u + 4u);
    const int samples[] = {4, 3, 2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tries[i].attributes.samples, samples[i]);
        EXPECT_EQ(tries[i].attributes.sampleBuffers, 1);
        EXPECT_EQ(tries[i].attributes.depth, 16);  // the caller's depth
        EXPECT_EQ(tries[i].attributes.alpha, 8);
        EXPECT_EQ(tries[i].attributes.stencil, 1);
    }
    EXPECT_EQ(tries[3].attributes.samples, 0);
    EXPECT_EQ(tries[3].attributes.sampleBuffers, 0);

    // At most 16 samples; 16-bit colour asks for 15 colour bits and 1 alpha bit.
    const auto many = platform::listPixelFormatTries({16, 16, false, 64});
    EXPECT_EQ(many.front().attributes.samples, 16);
    EXPECT_EQ(many.front().attributes.red, 5);
    EXPECT_EQ(many.front().attributes.alpha, 1);
    EXPECT_EQ(many.size(), 15u + 2u);
}

TEST(OpenGLDriverNames, VersionTextAndColourFormat) {
    const struct {
        const char* version;
        const wchar_t* name;
    } names[] = {{"4.5 (Compatibility Profile) Mesa 22.3.6", L"OpenGL 4.5"},
                 {"2.1", L"OpenGL 2.1"},
                 {"1.4.0 NVIDIA 1.2", L"OpenGL 1.4.0"},
                 {"", L"OpenGL "}};
    for (const auto& n : names)
        EXPECT_EQ(COpenGLDriver::makeName(n.version), stringw(n.name)) << n.version;

    EXPECT_EQ(COpenGLDriver::colorFormatOfBits(8, 8), ECF_A8R8G8B8);
    EXPECT_EQ(COpenGLDriver::colorFormatOfBits(1, 5), ECF_A1R5G5B5);
    EXPECT_EQ(COpenGLDriver::colorFormatOfBits(0, 8), ECF_R8G8B8);
    EXPECT_EQ(COpenGLDriver::colorFormatOfBits(0, 5), ECF_R5G6B5);
}

TEST(OpenGLDriverCreation, WithoutAWindowThereIsNoDriver) {
    LogCapture logs;
    SDeviceParameters p;
    p.driverType = DriverOpenGL;
    EXPECT_EQ(createOpenGLDriver(p, nullptr), nullptr);
    EXPECT_TRUE(logs.contains("Cannot create a GL device context.", LogError));
}

// What only the OpenGL driver has: its pixel format and context, its units' state, GLSL and ARB
// programs.
using OpenGLOnly = GLFixture;

TEST_F(OpenGLOnly, CreationMakesTheWindowAgainForThePixelFormatAndReportsTheContext) {
    EXPECT_EQ(driver->getDriverType(), DriverOpenGL);
    const stringw name(driver->getName());
    EXPECT_EQ(name.subString(0, 7), stringw(L"OpenGL "));
    EXPECT_EQ(name.findFirst(L' '), 6);
    EXPECT_EQ(name.findNext(L' ', 7), -1);
    EXPECT_TRUE(
        logs.contains("Using renderer: " + std::string(stringc(name).c_str()), LogInformation));
    EXPECT_FALSE(driver->getVendorInfo().empty());
    EXPECT_EQ(driver->getMaximalPrimitiveCount(), 0xFFFFu);
    EXPECT_EQ(driver->getMaterialRendererCount(), 26u);
    EXPECT_STREQ(driver->getMaterialRendererName(24), "trans_alphach_vertexalpha");
    EXPECT_EQ(driver->getGPUProgrammingServices(), driver);

    // The window was made again for the pixel format; the exposed data names the new one.
    const SExposedVideoData& data = driver->getExposedVideoData();
    EXPECT_EQ(data.Words[SExposedVideoData::Window], window().nativeHandle());
    EXPECT_NE(data.Words[SExposedVideoData::RenderingContext], nullptr);
    EXPECT_EQ(platform::CWindow::fromHandle(window().nativeHandle()), &window());
    s32 w = 0, h = 0;
    window().getClientSize(w, h);
    EXPECT_EQ(w, Width);
    EXPECT_EQ(h, Height);

    // The colour format is read back from what the context got.
    const platform::SGLObtained& got = driver->getObtainedFormat();
    EXPECT_EQ(driver->getColorFormat(), COpenGLDriver::colorFormatOfBits(got.alpha, got.red));
    EXPECT_GE(got.depth, 16);
    EXPECT_TRUE(got.doubleBuffer);

    // Features follow the switches.
    EXPECT_TRUE(driver->queryFeature(EVDF_RENDER_TO_TARGET));
    EXPECT_FALSE(driver->queryFeature(EVDF_HLSL));
    const bool fbo = driver->queryFeature(EVDF_FRAMEBUFFER_OBJECT);
    driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, false);
    EXPECT_FALSE(driver->queryFeature(EVDF_FRAMEBUFFER_OBJECT));
    driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, true);
    EXPECT_EQ(driver->queryFeature(EVDF_FRAMEBUFFER_OBJECT), fbo);
}

TEST_F(OpenGLOnly, AntiAliasingEndsWithTheSamplesTheContextGot) {
    SDeviceParameters p = parameters();
    p.antiAlias = 4;
    ASSERT_TRUE(remakeDriver(p));
    // Never more than asked, and 0 (not the asked count) when no multisample format exists.
    EXPECT_EQ(driver->getAntiAliasSamples(), driver->getObtainedFormat().samples);
    EXPECT_LE(driver->getAntiAliasSamples(), 4);
    EXPECT_NE(driver->getAntiAliasSamples(), 1);
}

// The pixel suites, over both drivers.
using VideoDriver = DriverFixture;
OSKEL_OVER_BOTH_DRIVERS(VideoDriver);

// Making the driver shows nothing: the window's first picture is the first frame presented.
TEST_P(VideoDriver, CreationPresentsNoFrame) {
    // A driver of this test's own, on the suite's window.
    ASSERT_TRUE(remakeDriver(parameters()));
    if (isOpenGL()) EXPECT_EQ(gl()->getPresentedFrameCount(), 0u);
    int r = 0, g = 0, b = 0;
    ASSERT_TRUE(readWindowPixel(window().nativeHandle(), Width / 2, Height / 2, r, g, b));
    // Not the colour a test frame at creation once showed.
    EXPECT_FALSE(near(RGBA{r, g, b, 255}, 51, 102, 153)) << RGBA{r, g, b, 255};
    driver->beginScene(true, true, SColor(255, 10, 200, 30));
    driver->endScene();
    if (isOpenGL()) EXPECT_EQ(gl()->getPresentedFrameCount(), 1u);
    ASSERT_TRUE(readWindowPixel(window().nativeHandle(), Width / 2, Height / 2, r, g, b));
    EXPECT_TRUE(near(RGBA{r, g, b, 255}, 10, 200, 30));
}

TEST_P(VideoDriver, BeginSceneClearsToTheColour) {
    const SColor colors[] = {SColor(255, 10, 200, 30), SColor(0, 0, 0, 0),
                             SColor(255, 255, 255, 255)};
    for (SColor c : colors) {
        EXPECT_TRUE(driver->beginScene(true, true, c));
        EXPECT_TRUE(near(backPixel(0, 0), c.getRed(), c.getGreen(), c.getBlue(), 1));
        EXPECT_TRUE(
            near(backPixel(Width - 1, Height - 1), c.getRed(), c.getGreen(), c.getBlue(), 1));
        EXPECT_TRUE(driver->endScene());
    }
}

TEST_P(VideoDriver, TwoDModeQuadsLandExactlyOnTheirPixels) {
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    quad(m, 10, 20, 30, 25, SColor(255, 255, 255, 255));
    quad(m, Width - 1, Height - 1, Width, Height, SColor(255, 0, 255, 0));
    const struct {
        s32 x, y;
        bool inside;
    } probes[] = {{10, 20, true},  {29, 24, true},  {9, 20, false}, {10, 19, false},
                  {30, 24, false}, {29, 25, false}, {20, 22, true}};
    for (const auto& p : probes) {
        const int v = p.inside ? 255 : 0;
        EXPECT_TRUE(near(backPixel(p.x, p.y), v, v, v, 0)) << p.x << "," << p.y;
    }
    EXPECT_TRUE(near(backPixel(Width - 1, Height - 1), 0, 255, 0, 0));
    EXPECT_TRUE(near(backPixel(Width - 2, Height - 1), 0, 0, 0, 0));
    EXPECT_EQ(driver->getPrimitiveCountDrawn(), 4u);

    // The world transform moves the quads in 2D mode.
    matrix4 move;
    move.setTranslation(vector3df(100, 50, 0));
    driver->setTransform(ETS_WORLD, move);
    quad(m, 0, 0, 5, 5, SColor(255, 255, 0, 0));
    driver->setTransform(ETS_WORLD, matrix4());
    EXPECT_TRUE(near(backPixel(100, 50), 255, 0, 0, 0));
    EXPECT_TRUE(near(backPixel(104, 54), 255, 0, 0, 0));
    EXPECT_TRUE(near(backPixel(105, 50), 0, 0, 0, 0));
}

TEST_P(VideoDriver, SpriteMaterialsBlendWithTheVertexColour) {
    CTextureResource* texture = solidTexture(0xFFC86432);    // (200, 100, 50), opaque
    CTextureResource* halfAlpha = solidTexture(0x80FFFFFF);  // white, alpha 128
    CTextureResource* dark = solidTexture(0xFF643214);       // (100, 50, 20)
    ASSERT_TRUE(texture && halfAlpha && dark);
    const s32 alphaVertex = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    const s32 additive = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD;
    const struct {
        const char* name;
        s32 type;
        CTextureResource* texture;
        SColor vertex;
        SColor background;
        int r, g, b;
    } cases[] = {
        // Texture times vertex colour, over black by the vertex alpha.
        {"24 opaque", alphaVertex, texture, SColor(255, 255, 255, 255), SColor(255, 0, 0, 0), 200,
         100, 50},
        {"24 tinted", alphaVertex, texture, SColor(255, 128, 255, 0), SColor(255, 0, 0, 0), 100,
         100, 0},
        {"24 vertex alpha", alphaVertex, texture, SColor(128, 255, 255, 255), SColor(255, 0, 0, 0),
         100, 50, 25},
        {"24 texture alpha over white", alphaVertex, halfAlpha, SColor(255, 0, 0, 0),
         SColor(255, 255, 255, 255), 127, 127, 127},
        {"24 both alphas", alphaVertex, halfAlpha, SColor(128, 255, 255, 255), SColor(255, 0, 0, 0),
         64, 64, 64},
        // Texture plus vertex colour.
        {"25 additive", additive, dark, SColor(255, 50, 60, 70), SColor(255, 0, 0, 0), 150, 110,
         90},
        {"25 saturates", additive, texture, SColor(255, 100, 200, 0), SColor(255, 0, 0, 0), 255,
         255, 50},
        {"25 vertex alpha", additive, dark, SColor(128, 50, 60, 70), SColor(255, 0, 0, 0), 75, 55,
         45},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->beginScene(true, true, c.background);
        quad(material(c.type, c.texture), 0, 0, 16, 16, c.vertex);
        EXPECT_TRUE(near(backPixel(8, 8), c.r, c.g, c.b));
        driver->endScene();
    }
}

TEST_P(VideoDriver, UntexturedSpriteQuadIsItsVertexColour) {
    CTextureResource* texture = solidTexture(0xFF2040FF);
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    const s32 types[] = {EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA,
                         EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD,
                         EMT_TRANSPARENT_VERTEX_ALPHA, EMT_SOLID};
    for (s32 type : types) {
        SCOPED_TRACE(type);
        // A textured quad first leaves its texture bound on unit 0.
        quad(material(type, texture), 0, 0, 8, 8, SColor(255, 255, 255, 255));
        quad(material(type), 20, 0, 28, 8, SColor(255, 200, 150, 100));
        EXPECT_TRUE(near(backPixel(24, 4), 200, 150, 100));
        EXPECT_EQ(boundTexture(0), nullptr);
    }
}

TEST_P(VideoDriver, VertexAlphaAndSolidMaterials) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0x00C86432));  // alpha 0
    const struct {
        const char* name;
        s32 type;
        SColor vertex;
        int r, g, b;
    } cases[] = {
        // EMT_TRANSPARENT_VERTEX_ALPHA: blended by the vertex alpha alone; the texture's alpha does
        // not matter.
        {"15 opaque vertex", EMT_TRANSPARENT_VERTEX_ALPHA, SColor(255, 255, 255, 255), 200, 100,
         50},
        {"15 half vertex", EMT_TRANSPARENT_VERTEX_ALPHA, SColor(128, 255, 255, 255), 163, 113, 88},
        // EMT_SOLID: opaque whatever the alphas, texture times vertex colour.
        {"0 solid", EMT_SOLID, SColor(0, 255, 128, 255), 200, 50, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->beginScene(true, true, SColor(255, 128, 128, 128));
        quad(material(c.type, texture), 0, 0, 16, 16, c.vertex);
        EXPECT_TRUE(near(backPixel(8, 8), c.r, c.g, c.b));
    }
}

TEST_P(VideoDriver, RectanglesAndLinesLeaveTheNextSpritesTextured) {
    CTextureResource* texture = solidTexture(0xFF00FF00);
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, texture);
    for (int frame = 0; frame < 2; ++frame) {
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(m, 0, 0, 8, 8, SColor(255, 255, 255, 255));
        EXPECT_TRUE(near(backPixel(4, 4), 0, 255, 0)) << frame;
        // The frame's bars empty the texture units behind the material's back.
        driver->draw2DRectangle(SColor(255, 255, 0, 0), recti(50, 0, 60, 10));
        EXPECT_TRUE(near(backPixel(55, 5), 255, 0, 0));
        driver->endScene();
    }
}

// Whatever changes the texture units outside a material's application (emptied units, a texture
// made between two batches, raw OpenGL drawing in between) must not leave the next batch of the
// same material drawing with the wrong texture or none.
TEST_F(OpenGLOnly, SameMaterialAfterOpenGLUnitsChangedBehindItIsTexturedAgain) {
    CTextureResource* texture = solidTexture(0xFF00C800);  // (0, 200, 0)
    ASSERT_NE(texture, nullptr);
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, texture);
    const struct {
        const char* name;
        std::function<void()> between;
    } cases[] = {
        {"units emptied", [&] { driver->disableTextures(); }},
        {"a texture made", [&] { solidTexture(0xFFFF0000); }},
        {"raw drawing",
         [&] {
             glDisable(GL_TEXTURE_2D);
             glDisable(GL_BLEND);
             glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
             driver->disableTextures();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(m, 0, 0, 8, 8, SColor(255, 255, 255, 255));
        EXPECT_TRUE(near(backPixel(4, 4), 0, 200, 0));
        driver->endScene();
        c.between();
        // The next frame, the same material: its texture, tinted by the vertex colour.
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(m, 0, 0, 8, 8, SColor(255, 255, 255, 255));
        EXPECT_TRUE(near(backPixel(4, 4), 0, 200, 0));
        quad(m, 10, 0, 18, 8, SColor(128, 255, 0, 255));
        EXPECT_TRUE(near(backPixel(14, 4), 0, 0, 0));
        driver->endScene();
    }
}

TEST_P(VideoDriver, DepthWritingComesBackAfterSprites) {
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 0, 0, 8, 8,
         SColor(255, 255, 255, 255));
    // A solid quad near the viewer writes depth; a farther one behind it stays hidden.
    CQuadBatcher* batcher = driver->getQuadBatcher();
    const SMaterial solid = material(EMT_SOLID);
    batcher->addQuadCorners(&solid, vector2df(20, 0), vector2df(40, 0), vector2df(40, 20),
                            vector2df(20, 20), vector2df(0, 0), vector2df(1, 0), vector2df(1, 1),
                            vector2df(0, 1), 0.0f, SColor(255, 255, 0, 0));
    batcher->flush();
    batcher->addQuadCorners(&solid, vector2df(20, 0), vector2df(40, 0), vector2df(40, 20),
                            vector2df(20, 20), vector2df(0, 0), vector2df(1, 0), vector2df(1, 1),
                            vector2df(0, 1), 1000.0f, SColor(255, 0, 255, 0));
    batcher->flush();
    EXPECT_TRUE(near(backPixel(30, 10), 255, 0, 0));
}

TEST_P(VideoDriver, RectangleClippingAndGradients) {
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    driver->setMaterial(material(EMT_SOLID));
    const recti clip(0, 0, 15, 15);
    driver->draw2DRectangle(SColor(255, 0, 0, 255), recti(10, 10, 20, 20), &clip);
    EXPECT_TRUE(near(backPixel(12, 12), 0, 0, 255));
    EXPECT_TRUE(near(backPixel(16, 16), 0, 0, 0));
    // Outside the clip rectangle: nothing.
    const recti far(100, 100, 110, 110);
    driver->draw2DRectangle(SColor(255, 255, 0, 0), recti(0, 0, 20, 20), &far);
    EXPECT_TRUE(near(backPixel(5, 5), 0, 0, 0));
    driver->draw2DRectangleGradient(recti(200, 0, 300, 10), SColor(255, 0, 0, 0),
                                    SColor(255, 255, 0, 0), SColor(255, 0, 0, 0),
                                    SColor(255, 255, 0, 0));
    EXPECT_LT(backPixel(205, 5).r, 30);
    EXPECT_GT(backPixel(295, 5).r, 225);
    driver->drawPixel(Width + 1, 3, SColor(255, 255, 255, 255));
    driver->drawPixel(150, 100, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(150, 100), 255, 255, 255));
}

TEST_P(VideoDriver, ImagesDrawAtTheirPositionAndClip) {
    CTextureResource* texture = solidTexture(0xFFFF8000, 16);
    ITexture* t = texture->getTexture();
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    driver->draw2DImage(t, vector2di(40, 40), recti(0, 0, 16, 16));
    EXPECT_TRUE(near(backPixel(40, 40), 255, 128, 0));
    EXPECT_TRUE(near(backPixel(55, 55), 255, 128, 0));
    EXPECT_TRUE(near(backPixel(56, 56), 0, 0, 0));
    const recti clip(0, 0, 100, 45);
    driver->draw2DImage(t, vector2di(80, 40), recti(0, 0, 16, 16), &clip);
    EXPECT_TRUE(near(backPixel(82, 44), 255, 128, 0));
    EXPECT_TRUE(near(backPixel(82, 46), 0, 0, 0));
    const SColor corners[4] = {SColor(255, 255, 255, 255), SColor(255, 255, 255, 255),
                               SColor(255, 255, 255, 255), SColor(255, 255, 255, 255)};
    driver->draw2DImageStretched(t, recti(100, 100, 164, 132), recti(0, 0, 16, 16), nullptr,
                                 corners);
    EXPECT_TRUE(near(backPixel(160, 130), 255, 128, 0));
    // Sprites after the images have their own projection and states again.
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 200, 200, 210, 210,
         SColor(255, 0, 0, 255));
    EXPECT_TRUE(near(backPixel(200, 200), 0, 0, 255));
    EXPECT_TRUE(near(backPixel(210, 210), 0, 0, 0));
}

TEST_P(VideoDriver, OnResizeFollowsTheNewSize) {
    SDL_SetWindowSize(static_cast<SDL_Window*>(window().nativeHandle()), 200, 100);
    driver->OnResize(dimension2di(200, 100));
    EXPECT_EQ(driver->getScreenSize(), dimension2di(200, 100));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(200, 100));
    EXPECT_EQ(driver->getViewPort(), recti(0, 0, 200, 100));
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 190, 90, 200, 100,
         SColor(255, 255, 255, 255));
    // Rows of the new size: the lower-right corner is at row 99.
    EXPECT_EQ(backPixel(195, 94).r, 255);
    EXPECT_EQ(backPixel(185, 94).r, 0);
    driver->endScene();
    // The suite's window gets its size back.
    SDL_SetWindowSize(static_cast<SDL_Window*>(window().nativeHandle()), Width, Height);
    driver->OnResize(dimension2di(Width, Height));
    EXPECT_EQ(driver->getScreenSize(), dimension2di(Width, Height));
}

TEST_P(VideoDriver, ViewportIsClippedToTheTarget) {
    // The viewport the graphics interface holds, as left, top (OpenGL: bottom), width, height.
    auto held = [&]() {
        std::vector<int> v(4, 0);
        if (isOpenGL()) {
            GLint vp[4];
            glGetIntegerv(GL_VIEWPORT, vp);
            v.assign(vp, vp + 4);
        } else {
            d3d::D3DVIEWPORT vp{};
            if (isDirect3D9())
                d3d9()->getDirect3DDevice()->GetViewport(&vp);
            else
                d3d8()->getDirect3DDevice()->GetViewport(&vp);
            v = {static_cast<int>(vp.X), static_cast<int>(vp.Y), static_cast<int>(vp.Width),
                 static_cast<int>(vp.Height)};
        }
        return v;
    };
    driver->setViewPort(recti(400, 300, 500, 400));
    EXPECT_EQ(driver->getViewPort().getWidth(), 0);
    EXPECT_EQ(held()[2], Width);  // the held viewport stays
    if (isDirect3D()) EXPECT_TRUE(logs.contains("Failed setting the viewport.", LogWarning));
    driver->setViewPort(recti(-10, 10, 100, 400));
    EXPECT_EQ(driver->getViewPort(), recti(0, 10, 100, Height));
    // OpenGL counts rows from the bottom, Direct3D from the top.
    const std::vector<int> expected = {0, isOpenGL() ? 0 : 10, 100, Height - 10};
    EXPECT_EQ(held(), expected);
}

// Textures.

TEST_P(VideoDriver, TexturesKeepTheirImageAndUploadEachFormat) {
    const struct {
        const char* name;
        ECOLOR_FORMAT imageFormat;
        ETextureCreationFlag flags[2];
        ECOLOR_FORMAT textureFormat;
        // Direct3D 8 does not read the "no alpha channel" flag: its textures keep alpha.
        ECOLOR_FORMAT direct3D8Format;
    } cases[] = {
        {"32-bit",
         ECF_A8R8G8B8,
         {ETCF_ALWAYS_32_BIT, ETCF_ALWAYS_32_BIT},
         ECF_A8R8G8B8,
         ECF_A8R8G8B8},
        {"16-bit with alpha",
         ECF_A8R8G8B8,
         {ETCF_ALWAYS_16_BIT, ETCF_ALWAYS_16_BIT},
         ECF_A1R5G5B5,
         ECF_A1R5G5B5},
        {"24-bit without alpha",
         ECF_R8G8B8,
         {ETCF_ALWAYS_32_BIT, ETCF_NO_ALPHA_CHANNEL},
         ECF_R8G8B8,
         ECF_A8R8G8B8},
        {"16-bit without alpha",
         ECF_R5G6B5,
         {ETCF_OPTIMIZED_FOR_QUALITY, ETCF_NO_ALPHA_CHANNEL},
         ECF_R5G6B5,
         ECF_A1R5G5B5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, false);
        for (ETextureCreationFlag flag : c.flags) driver->setTextureCreationFlag(flag, true);
        CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFF80000, c.imageFormat));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->getTexture()->getColorFormat(),
                  isDirect3D8() ? c.direct3D8Format : c.textureFormat);
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(material(EMT_SOLID, texture), 0, 0, 8, 8, SColor(255, 255, 255, 255));
        // Red stays red whatever the format (red and blue are not swapped).
        EXPECT_TRUE(near(backPixel(4, 4), 248, 0, 0, 8));
    }
    driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, false);
    driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
}

TEST_P(VideoDriver, PowerOfTwoPlacementWhenAnySizeIsOff) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    auto* image = solidImage(100, 50, 0xFF0000FF);
    ITexture* texture = driver->createTextureFromImage(image);
    image->drop();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getOriginalSize(), dimension2di(100, 50));
    EXPECT_EQ(texture->getSize(), dimension2di(128, 64));
    EXPECT_TRUE(texture->isPixelOpaque(10, 10, 0));
    EXPECT_FALSE(texture->isPixelOpaque(110, 10, 0));
    EXPECT_FALSE(texture->isPixelOpaque(static_cast<u32>(-1), 0, 0));
    texture->drop();
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, true);
}

TEST_P(VideoDriver, LockedPixelsAreUploadedOnUnlock) {
    CTextureResource* texture = solidTexture(0xFF0000FF);
    ITexture* t = texture->getTexture();
    auto* pixels = static_cast<u32*>(t->lock(false));
    ASSERT_NE(pixels, nullptr);
    for (u32 i = 0; i < 64; ++i) pixels[i] = 0xFF00FF00;
    t->unlock();
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_SOLID, texture), 0, 0, 8, 8, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(4, 4), 0, 255, 0));

    // A read-only lock uploads nothing.
    pixels = static_cast<u32*>(t->lock(true));
    for (u32 i = 0; i < 64; ++i) pixels[i] = 0xFFFF0000;
    t->unlock();
    quad(material(EMT_SOLID, texture), 0, 0, 8, 8, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(4, 4), 0, 255, 0));

    // Colour keys go through the lock. The OpenGL texture's memory is its kept image; the
    // Direct3D textures answer the hit test from their image, which the lock does not reach.
    driver->makeColorKeyTexture(t, SColor(0xFFFF0000));
    EXPECT_EQ(t->isPixelOpaque(0, 0, 0), isDirect3D());
}

TEST_P(VideoDriver, MipMapLevelsAreMadeAutomaticallyOrByTheTexture) {
    for (bool automatic : {true, false}) {
        SCOPED_TRACE(automatic ? "generated by OpenGL" : "made from the kept image");
        driver->setFeatureEnabled(EVDF_MIP_MAP_AUTO_UPDATE, automatic);
        CTextureResource* texture = textureOf(solidImage(64, 32, 0xFFFF0000));
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(texture->getTexture()->hasMipMaps());
        SMaterial m = material(EMT_SOLID, texture);
        m.TextureLayer[0].TrilinearFilter = true;
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        // Minified eight times: without its levels the texture would be incomplete (white).
        quad(m, 0, 0, 8, 4, SColor(255, 255, 255, 255));
        EXPECT_TRUE(near(backPixel(4, 2), 255, 0, 0));
    }
    driver->setFeatureEnabled(EVDF_MIP_MAP_AUTO_UPDATE, true);
}

TEST_P(VideoDriver, MissingOrEmptyImagesGiveNoTexture) {
    EXPECT_EQ(driver->createTextureFromImage(nullptr), nullptr);
    auto* empty = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(0, 4));
    ITexture* texture = driver->createDeviceDependentTexture(empty);
    if (isOpenGL()) {
        EXPECT_EQ(driver->createDeviceDependentTexture(nullptr), nullptr);
        EXPECT_TRUE(logs.contains("No image for OpenGL texture.", LogError));
        EXPECT_EQ(texture, nullptr);
        EXPECT_TRUE(logs.contains("Invalid size of image for OpenGL Texture.", LogError));
    } else {
        // A Direct3D texture whose making failed stays a texture without a Direct3D texture:
        // it binds nothing, locks nothing and answers the hit test from its image.
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(logs.contains(isDirect3D9() ? "Could not create DIRECT3D9 Texture."
                                                : "Could not create DIRECT3D8 Texture.",
                                  LogWarning));
        EXPECT_EQ(texture->lock(), nullptr);
        EXPECT_FALSE(texture->isPixelOpaque(0, 0, 0));
        EXPECT_TRUE(setTexture(0, texture));
        texture->drop();
    }
    empty->drop();
}

TEST_P(VideoDriver, ReleasedTextureIsNotMistakenForANewOne) {
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    for (u32 round = 0; round < 8; ++round) {
        const u32 colour = (round % 2) ? 0xFFFF0000 : 0xFF0000FF;
        auto* image = solidImage(8, 8, colour);
        ITexture* texture = driver->createTextureFromImage(image);
        image->drop();
        auto* resource = new CTextureResource(CCreationContext(), texture, "t");
        texture->drop();
        quad(material(EMT_SOLID, resource), 0, 0, 8, 8, SColor(255, 255, 255, 255));
        const RGBA got = backPixel(4, 4);
        EXPECT_TRUE((round % 2) ? near(got, 255, 0, 0) : near(got, 0, 0, 255)) << round;
        // Released while still bound: the unit keeps it alive until something else is bound.
        resource->drop();
    }
}

// A scene change frees the textures of the last frame's last batch; the next frame's batcher
// reset enters 2D mode, which applies the driver's current material again after the bars.
TEST_P(VideoDriver, TextureReleasedAfterTheLastBatchIsNotReadAgain) {
    auto* image = solidImage(8, 8, 0xFF0000FF);
    ITexture* texture = driver->createTextureFromImage(image);
    image->drop();
    auto* resource = new CTextureResource(CCreationContext(), texture, "t");
    texture->drop();
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, resource), 0, 0, 8, 8,
         SColor(255, 255, 255, 255));
    driver->draw2DRectangle(SColor(255, 0, 0, 0), recti(100, 0, 110, 10));
    driver->endScene();
    resource->drop();  // its owner's reference was the last one outside the driver

    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 0, 0, 8, 8, SColor(255, 0, 255, 0));
    EXPECT_TRUE(near(backPixel(4, 4), 0, 255, 0));
    driver->endScene();
}

TEST_P(VideoDriver, ForeignTexturesAreRefused) {
    CImage* image = solidImage(4, 4, 0xFFFFFFFF);
    auto* foreign = new CMemoryTexture(image, 0, true, false);
    image->drop();
    EXPECT_FALSE(setTexture(0, foreign));
    EXPECT_TRUE(
        logs.contains("Fatal Error: Tried to set a texture not owned by this driver.", LogError));
    logs.clear();
    EXPECT_FALSE(driver->setRenderTarget(foreign));
    EXPECT_TRUE(
        logs.contains("Fatal Error: Tried to set a texture not owned by this driver.", LogError));
    foreign->drop();
    EXPECT_FALSE(setTexture(9, nullptr));
}

TEST_F(OpenGLOnly, GlslShaderServicesReportWhatTheyCannotDo) {
    EXPECT_FALSE(driver->setPixelShaderConstant("x", nullptr, 1));
    EXPECT_TRUE(
        logs.contains("Error: Please call services->setPixelShaderConstant(), not "
                      "VideoDriver->setPixelShaderConstant().",
                      LogError));
    if (!driver->queryFeature(EVDF_ARB_GLSL)) OSKEL_SKIP_WITHOUT_DISPLAY("no GLSL");
    EXPECT_EQ(driver->addHighLevelShaderMaterial("void main() { nonsense }", "main", 0, nullptr,
                                                 "main", 0, nullptr, EMT_SOLID, 0),
              -1);
    EXPECT_TRUE(logs.contains("GLSL shader failed to compile", LogError));
    const s32 index = driver->addHighLevelShaderMaterial(
        "void main() { gl_Position = ftransform(); }", "main", 0,
        "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }", "main", 0, nullptr, EMT_SOLID,
        0);
    ASSERT_EQ(index, 26);
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(index), 0, 0, 8, 8, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(4, 4), 0, 255, 0));
    quad(material(EMT_SOLID), 10, 0, 18, 8, SColor(255, 255, 0, 0));
    EXPECT_TRUE(near(backPixel(14, 4), 255, 0, 0));
}

TEST_F(OpenGLOnly, ArbProgramMaterials) {
    if (!driver->queryFeature(EVDF_ARB_FRAGMENT_PROGRAM_1))
        OSKEL_SKIP_WITHOUT_DISPLAY("no ARB programs");
    EXPECT_EQ(driver->addShaderMaterial(nullptr, "!!ARBfp1.0\nNOT AN INSTRUCTION;\nEND\n", nullptr,
                                        EMT_SOLID, 0),
              -1);
    EXPECT_TRUE(logs.contains("Shader program failed to compile", LogError));
    // The colour comes from a local parameter set through the services.
    struct Constants : IShaderConstantSetCallBack {
        void OnSetConstants(IMaterialRendererServices* services, s32) override {
            const f32 blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
            services->setPixelShaderConstant(blue, 0, 1);
        }
    };
    auto* constants = new Constants();
    const s32 index = driver->addShaderMaterial(
        nullptr, "!!ARBfp1.0\nMOV result.color, program.local[0];\nEND\n", constants, EMT_SOLID, 0);
    constants->drop();
    ASSERT_GE(index, 26);
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(index), 0, 0, 8, 8, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(4, 4), 0, 0, 255));
    quad(material(EMT_SOLID), 10, 0, 18, 8, SColor(255, 255, 0, 0));
    EXPECT_TRUE(near(backPixel(14, 4), 255, 0, 0));
}

TEST_F(OpenGLOnly, ImpossiblePixelFormatKeepsTheOldWindow) {
    void* before = window().nativeHandle();
    platform::CGLContext context;
    platform::SGLAttributes impossible;
    impossible.red = impossible.green = impossible.blue = 64;
    impossible.depth = 64;
    EXPECT_EQ(context.create(window(), impossible), platform::CGLContext::WindowFailed);
    EXPECT_FALSE(context.error().empty());
    EXPECT_FALSE(context.exists());
    EXPECT_EQ(window().nativeHandle(), before);
    EXPECT_TRUE(window().exists());
}

}  // namespace
