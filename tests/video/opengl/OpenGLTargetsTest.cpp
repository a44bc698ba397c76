#include <functional>

#include "engine/device/CDeviceLinux.h"
#include "engine/video/d3dcommon/D3DTables.h"
#include "tests/video/opengl/GLTestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

using VideoDriverTargets = DriverFixture;
OSKEL_OVER_BOTH_DRIVERS(VideoDriverTargets);

// What only the OpenGL driver has: render targets without frame-buffer objects, stereo and
// auxiliary buffers, copies of presented frames where the front buffer cannot be read, its
// lights' slots and its fog state.
using OpenGLOnlyTargets = GLFixture;

TEST_P(VideoDriverTargets, RenderTargetIsDrawnIntoThenSampled) {
    ITexture* target = driver->createRenderTargetTexture(dimension2di(64, 32));
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->isRenderTarget());
    EXPECT_EQ(target->getSize(), dimension2di(64, 32));
    EXPECT_FALSE(target->isPixelOpaque(1, 1, 0));  // keeps no image

    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    ASSERT_TRUE(driver->setRenderTarget(target, true, true, SColor(255, 0, 0, 255)));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(64, 32));
    // The upper-left quarter green, in the target's own pixels.
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 0, 0, 32, 16,
         SColor(255, 0, 255, 0));
    ASSERT_TRUE(driver->setRenderTarget(nullptr, false, false));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(Width, Height));

    // The target read back: rows top-down.
    auto* pixels = static_cast<const u32*>(target->lock(true));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(pixels[31 * 64 + 63] & 0xFFFFFF, 0x0000FFu);
    target->unlock();

    // Sampled on the screen with v from 0 at the top, like any texture: the driver turns the
    // render target's bottom-up rows around.
    auto* resource = new CTextureResource(CCreationContext(), target, "rt");
    resources.push_back(resource);
    quad(material(EMT_SOLID, resource), 100, 100, 164, 132, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(110, 105), 0, 255, 0));
    EXPECT_TRUE(near(backPixel(150, 125), 0, 0, 255));
    EXPECT_TRUE(near(backPixel(150, 105), 0, 0, 255));
    target->drop();
}

// Render targets drawn through the 2D paths (images, stretched images, sprites through the
// batcher) come out the right way up, with or without frame-buffer objects (which only the
// OpenGL driver can go without).
TEST_P(VideoDriverTargets, TwoDPathsShowRenderTargetsUpright) {
    for (bool fbo : {true, false}) {
        SCOPED_TRACE(fbo ? "frame-buffer object" : "copy of the frame buffer");
        driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, fbo);
        ITexture* target = driver->createRenderTargetTexture(dimension2di(32, 32));
        ASSERT_NE(target, nullptr);
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        ASSERT_TRUE(driver->setRenderTarget(target, true, true, SColor(255, 0, 0, 255)));
        // A green band along the top, a red square in the lower-left corner.
        quad(material(EMT_SOLID), 0, 0, 32, 8, SColor(255, 0, 255, 0));
        quad(material(EMT_SOLID), 0, 24, 8, 32, SColor(255, 255, 0, 0));
        ASSERT_TRUE(driver->setRenderTarget(nullptr, true, true, SColor(255, 0, 0, 0)));
        auto* resource = new CTextureResource(CCreationContext(), target, "rt");
        resources.push_back(resource);
        const recti whole(0, 0, 32, 32);

        // Each path puts the target's upper-left corner at (x, y), at its own size.
        const struct {
            const char* name;
            std::function<void(s32, s32)> draw;
        } paths[] = {
            {"draw2DImage",
             [&](s32 x, s32 y) { driver->draw2DImage(target, vector2di(x, y), whole); }},
            {"draw2DImageStretched",
             [&](s32 x, s32 y) {
                 driver->draw2DImageStretched(target, recti(x, y, x + 32, y + 32), whole);
             }},
            {"sprite",
             [&](s32 x, s32 y) {
                 quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, resource), f32(x),
                      f32(y), f32(x + 32), f32(y + 32), SColor(255, 255, 255, 255));
             }},
            {"solid sprite",
             [&](s32 x, s32 y) {
                 quad(material(EMT_SOLID, resource), f32(x), f32(y), f32(x + 32), f32(y + 32),
                      SColor(255, 255, 255, 255));
             }},
        };
        s32 x = 20;
        for (const auto& path : paths) {
            SCOPED_TRACE(path.name);
            path.draw(x, 100);
            EXPECT_TRUE(near(backPixel(x + 16, 102), 0, 255, 0));  // top band
            EXPECT_TRUE(near(backPixel(x + 16, 116), 0, 0, 255));  // middle
            EXPECT_TRUE(near(backPixel(x + 2, 129), 255, 0, 0));   // lower-left square
            EXPECT_TRUE(near(backPixel(x + 29, 129), 0, 0, 255));  // lower right
            x += 50;
        }
        // A source rectangle of the top rows alone shows the band only.
        driver->draw2DImage(target, vector2di(250, 50), recti(0, 0, 32, 8));
        EXPECT_TRUE(near(backPixel(260, 51), 0, 255, 0));
        EXPECT_TRUE(near(backPixel(260, 56), 0, 255, 0));
        // Textures that are no render targets stay as they were.
        CTextureResource* plain = textureOf(solidImage(4, 4, 0xFFFFFF00));
        quad(material(EMT_SOLID, plain), 280, 50, 290, 60, SColor(255, 255, 255, 255));
        EXPECT_TRUE(near(backPixel(285, 55), 255, 255, 0));
        target->drop();
    }
    driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, true);
}

TEST_P(VideoDriverTargets, ThreeDModeFlipsRenderTargetTextureCoordinates) {
    ITexture* target = driver->createRenderTargetTexture(dimension2di(32, 32));
    ASSERT_NE(target, nullptr);
    driver->setRenderTarget(target, true, true, SColor(255, 0, 0, 255));
    quad(material(EMT_SOLID), 0, 0, 32, 8, SColor(255, 0, 255, 0));  // a green top band
    driver->setRenderTarget(nullptr, true, true, SColor(255, 0, 0, 0));
    auto* resource = new CTextureResource(CCreationContext(), target, "rt");
    resources.push_back(resource);
    target->drop();

    // In 3D mode with identity transforms the quad covers the screen; v = 0 is its top.
    SMaterial m = material(EMT_SOLID, resource);
    m.BackfaceCulling = false;
    m.ZBuffer = ECFN_NEVER;
    driver->setTransform(ETS_VIEW, matrix4());
    driver->setTransform(ETS_PROJECTION, matrix4());
    driver->setMaterial(m);
    driver->setTransform(ETS_TEXTURE_0, matrix4());  // the render target's flip comes in here
    ASSERT_TRUE(driver->set3DRenderMode());
    S2DVertex v[4] = {S2DVertex(-1, 1, 0, SColor(0xFFFFFFFF), 0, 0),
                      S2DVertex(1, 1, 0, SColor(0xFFFFFFFF), 1, 0),
                      S2DVertex(1, -1, 0, SColor(0xFFFFFFFF), 1, 1),
                      S2DVertex(-1, -1, 0, SColor(0xFFFFFFFF), 0, 1)};
    const u16 indices[6] = {0, 1, 2, 0, 2, 3};
    driver->drawVertexPrimitiveList(v, 4, indices, 2, EVT_2D, EPT_TRIANGLES);
    EXPECT_TRUE(near(backPixel(Width / 2, 5), 0, 255, 0));
    EXPECT_TRUE(near(backPixel(Width / 2, Height - 5), 0, 0, 255));
    // Back to 2D: sprites land on their pixels again.
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 10, 10, 20, 20,
         SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(10, 10), 255, 255, 255, 0));
    EXPECT_FALSE(near(backPixel(9, 10), 255, 255, 255, 0));
}

TEST_F(OpenGLOnlyTargets, RenderTargetWithoutFrameBufferObjectsCopiesTheScreen) {
    driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, false);
    const struct {
        dimension2di asked, made;
    } sizes[] = {{{300, 200}, {300, 200}}, {{256, 128}, {256, 128}}, {{1024, 512}, {256, 128}}};
    for (const auto& s : sizes) {
        ITexture* target = driver->createRenderTargetTexture(s.asked);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->getSize(), s.made);
        EXPECT_TRUE(target->isRenderTarget());
        target->drop();
    }
    ITexture* target = driver->createRenderTargetTexture(dimension2di(32, 32));
    ASSERT_TRUE(driver->setRenderTarget(target, true, true, SColor(255, 255, 0, 0)));
    quad(material(EMT_SOLID), 0, 0, 16, 16, SColor(255, 0, 255, 0));
    ASSERT_TRUE(driver->setRenderTarget(nullptr, false, false));
    auto* pixels = static_cast<const u32*>(target->lock(true));
    ASSERT_NE(pixels, nullptr);
    // The frame buffer's lower-left 32 × 32 was copied: the green quad's rows are at the top
    // of what was drawn, which is the top of the target.
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(pixels[31 * 32 + 31] & 0xFFFFFF, 0xFF0000u);
    target->unlock();
    target->drop();
    driver->setFeatureEnabled(EVDF_FRAMEBUFFER_OBJECT, true);
}

TEST_F(OpenGLOnlyTargets, StereoAndAuxiliaryRenderTargetKinds) {
    EXPECT_FALSE(driver->setRenderTargetKind(ERT_RENDER_TEXTURE));
    EXPECT_TRUE(logs.contains(
        "Fatal Error: For render textures call setRenderTarget with the actual texture as first "
        "parameter.",
        LogError));
    // Stereo and auxiliary buffers the context does not have are refused.
    const platform::SGLObtained& got = driver->getObtainedFormat();
    if (!got.stereo) {
        EXPECT_FALSE(driver->setRenderTargetKind(ERT_STEREO_RIGHT_BUFFER));
        EXPECT_FALSE(driver->setRenderTargetKind(ERT_STEREO_BOTH_BUFFERS));
    }
    EXPECT_FALSE(driver->setRenderTargetKind(
        static_cast<ERenderTargetKind>(ERT_AUX_BUFFER0 + driver->getExtensions().MaxAuxBuffers)));
    EXPECT_TRUE(driver->setRenderTargetKind(ERT_FRAME_BUFFER, true, true, SColor(255, 9, 9, 9)));
    EXPECT_TRUE(near(backPixel(3, 3), 9, 9, 9, 0));
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
}

TEST_P(VideoDriverTargets, ScreenShotIsTheLastPresentedFrame) {
    // A user registers before the frames it may take.
    driver->addScreenShotUser();
    for (bool hidePackInvert : {false, true}) {
        SCOPED_TRACE(hidePackInvert ? "rows swapped by the driver" : "rows from the pack mode");
        if (hidePackInvert && isOpenGL())
            gl()->getExtensions().hideExtension("GL_MESA_pack_invert");
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 0, 0, 10, 5,
             SColor(255, 255, 0, 0));
        quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), Width - 10, Height - 5, Width,
             Height, SColor(255, 0, 0, 255));
        driver->endScene();
        // The next frame is begun but not presented: the shot shows the one before.
        driver->beginScene(true, true, SColor(255, 0, 255, 0));
        CImage* shot = driver->createScreenShot();
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(shot->getDimension(), dimension2di(Width, Height));
        // OpenGL reads the colours alone; Direct3D 9 copies the desktop's 32-bit pixels.
        EXPECT_EQ(shot->getColorFormat(), isOpenGL() ? ECF_R8G8B8 : ECF_A8R8G8B8);
        EXPECT_EQ(shot->getPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(shot->getPixel(9, 4) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(shot->getPixel(10, 0) & 0xFFFFFF, 0u);
        EXPECT_EQ(shot->getPixel(0, 5) & 0xFFFFFF, 0u);
        EXPECT_EQ(shot->getPixel(Width - 1, Height - 1) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(shot->getPixel(Width - 11, Height - 1) & 0xFFFFFF, 0u);
        shot->drop();
        driver->endScene();
    }
    driver->removeScreenShotUser();
}

// Where the front buffer does not give the presented frame back, the driver copies each frame it
// presents, but only while a screen shot user is registered; the frames it copies meanwhile tell
// it whether the front buffer can be read (it shows no frame of its own for that).
TEST_F(OpenGLOnlyTargets, FramesAreKeptForScreenShotsOnlyWhileTheOpenGLFrontBufferMayNotTell) {
    auto frame = [&](u8 shade) {
        driver->beginScene(true, true, SColor(255, shade, 255 - shade, 40));
        driver->endScene();
    };
    for (u8 shade : {10, 60}) {
        frame(shade);
        EXPECT_FALSE(driver->hasPresentedFrameCopy());
    }
    EXPECT_EQ(driver->getFrontBufferState(), COpenGLDriver::FrontBufferUntested);
    EXPECT_EQ(driver->getScreenShotUserCount(), 0u);

    driver->addScreenShotUser();
    driver->addScreenShotUser();  // two users
    EXPECT_EQ(driver->getScreenShotUserCount(), 2u);
    for (u8 shade : {110, 110, 160, 210}) {
        const COpenGLDriver::EFrontBuffer before = driver->getFrontBufferState();
        frame(shade);
        // Untested, the frame is copied; a copied frame unlike the one before it settles the
        // question.
        if (shade == 110) {
            EXPECT_EQ(driver->getFrontBufferState(), COpenGLDriver::FrontBufferUntested);
            EXPECT_TRUE(driver->hasPresentedFrameCopy());
        } else {
            ASSERT_NE(driver->getFrontBufferState(), COpenGLDriver::FrontBufferUntested);
            EXPECT_EQ(driver->hasPresentedFrameCopy(),
                      before == COpenGLDriver::FrontBufferUntested ||
                          driver->getFrontBufferState() == COpenGLDriver::FrontBufferUnreadable);
        }
        CImage* shot = driver->createScreenShot();
        ASSERT_NE(shot, nullptr);
        const u32 want =
            (static_cast<u32>(shade) << 16) | (static_cast<u32>(255 - shade) << 8) | 40u;
        EXPECT_EQ(shot->getPixel(Width / 2, Height / 2) & 0xFFFFFF, want) << int(shade);
        shot->drop();
    }
    driver->removeScreenShotUser();
    frame(20);
    if (driver->getFrontBufferState() == COpenGLDriver::FrontBufferUnreadable)
        EXPECT_TRUE(driver->hasPresentedFrameCopy());  // one user is left
    driver->removeScreenShotUser();
    driver->removeScreenShotUser();  // one more than there were: stays at none
    EXPECT_EQ(driver->getScreenShotUserCount(), 0u);
    frame(30);
    EXPECT_FALSE(driver->hasPresentedFrameCopy());
}

TEST_P(VideoDriverTargets, ClipPlaneCutsAQuad) {
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    EXPECT_FALSE(
        driver->setClipPlane(clipPlaneCount(), plane3df(vector3df(1, 0, 0), -50.0f), true));
    // Keeps x >= 50.
    ASSERT_TRUE(driver->setClipPlane(0, plane3df(vector3df(1, 0, 0), -50.0f), true));
    quad(m, 0, 0, 100, 10, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(45, 5), 0, 0, 0, 0));
    EXPECT_TRUE(near(backPixel(55, 5), 255, 255, 255, 0));

    // A new plane on an enabled one takes effect at once: keeps x <= 20.
    ASSERT_TRUE(driver->setClipPlane(0, plane3df(vector3df(-1, 0, 0), 20.0f), true));
    quad(m, 0, 20, 100, 30, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(15, 25), 255, 255, 255, 0));
    EXPECT_TRUE(near(backPixel(25, 25), 0, 0, 0, 0));

    // Disabling keeps the stored plane; enabling again loads it.
    ASSERT_TRUE(driver->setClipPlane(0, plane3df(vector3df(1, 0, 0), -90.0f), false));
    EXPECT_FALSE(clipPlaneEnabled(0));
    quad(m, 0, 40, 100, 50, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(50, 45), 255, 255, 255, 0));
    driver->enableClipPlane(0, true);
    quad(m, 0, 60, 100, 70, SColor(255, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(15, 65), 255, 255, 255, 0));
    EXPECT_TRUE(near(backPixel(25, 65), 0, 0, 0, 0));
    driver->enableClipPlane(0, false);
    driver->enableClipPlane(99, true);  // out of range: nothing
    EXPECT_FALSE(clipPlaneEnabled(99));
}

TEST_P(VideoDriverTargets, LightsBeyondTheSlotsAndALitQuad) {
    const u32 slots = driver->getMaximalDynamicLightAmount();
    ASSERT_GT(slots, 0u);
    SLight light;
    if (isOpenGL()) {
        // OpenGL's lights wait for a free slot and take the first one freed.
        for (u32 i = 0; i <= slots; ++i)
            EXPECT_EQ(driver->addDynamicLight(light), static_cast<s32>(i));
        for (u32 i = 0; i < slots; ++i) EXPECT_EQ(gl()->getHardwareLight(i), static_cast<s32>(i));
        EXPECT_EQ(gl()->getHardwareLight(slots), -1);  // waits
        driver->turnLightOn(0, false);
        EXPECT_EQ(gl()->getHardwareLight(0), -1);
        EXPECT_EQ(gl()->getHardwareLight(slots), 0);  // took the freed slot
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
        driver->turnLightOn(0, true);  // nothing free
        EXPECT_EQ(gl()->getHardwareLight(0), -1);
    } else {
        // A Direct3D 9 light beyond the device's lights is refused (-1), and its index is used
        // up: the next light gets the one after it.
        for (u32 i = 0; i < slots; ++i)
            EXPECT_EQ(driver->addDynamicLight(light), static_cast<s32>(i));
        EXPECT_EQ(driver->addDynamicLight(light), -1);
        EXPECT_EQ(driver->getDynamicLightCount(), slots + 1);
        driver->deleteAllDynamicLights();
        EXPECT_EQ(driver->addDynamicLight(light), 0);
    }
    driver->deleteAllDynamicLights();
    EXPECT_EQ(driver->getDynamicLightCount(), 0u);
    if (isOpenGL()) EXPECT_FALSE(glIsEnabled(GL_LIGHT0));

    // A lit solid quad: a white light in front of it lights the material's diffuse colour.
    light.Type = ELT_DIRECTIONAL;
    light.Direction = vector3df(0, 0, 1);
    light.DiffuseColor = SColorf(1, 1, 1, 1);
    driver->addDynamicLight(light);
    SMaterial m = material(EMT_SOLID);
    m.Lighting = true;
    m.ColorMaterial = ECM_NONE;
    m.DiffuseColor = SColor(255, 100, 150, 200);
    m.BackfaceCulling = false;
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    const SStandardVertex corner = {};
    SStandardVertex v[4] = {corner, corner, corner, corner};
    const f32 xy[4][2] = {{0, 0}, {16, 0}, {16, 16}, {0, 16}};
    for (int i = 0; i < 4; ++i) {
        v[i].Pos = vector3df(xy[i][0], xy[i][1], 0);
        v[i].Normal = vector3df(0, 0, -1);
        v[i].Color = SColor(255, 255, 255, 255);
    }
    const u16 indices[6] = {0, 1, 2, 0, 2, 3};
    driver->set2DRenderMode();
    driver->setMaterial(m);
    driver->drawIndexedTriangleList(v, 4, indices, 2);
    EXPECT_TRUE(near(backPixel(8, 8), 100, 150, 200, 4));
    driver->turnLightOn(0, false);
    driver->drawIndexedTriangleList(v, 4, indices, 2);
    EXPECT_TRUE(near(backPixel(8, 8), 0, 0, 0, 4));
}

TEST_F(OpenGLOnlyTargets, FogValuesReachOpenGL) {
    driver->setFog(SColor(255, 255, 0, 0), true, 10.0f, 20.0f, 0.5f, true, false);
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    GLfloat value = 0;
    glGetFloatv(GL_FOG_END, &value);
    EXPECT_FLOAT_EQ(value, 20.0f);
    GLfloat colour[4];
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    driver->setFog(SColor(255, 0, 0, 0), false, 10.0f, 20.0f, 0.25f, false, false);
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_EXP);
    glGetFloatv(GL_FOG_DENSITY, &value);
    EXPECT_FLOAT_EQ(value, 0.25f);
}

TEST_P(VideoDriverTargets, StencilShadowDarkensWhereTheVolumeIs) {
    SDeviceParameters p = parameters();
    p.stencilBuffer = true;
    ASSERT_TRUE(remakeDriver(p));
    if (!driver->queryFeature(EVDF_STENCIL_BUFFER)) OSKEL_SKIP_WITHOUT_DISPLAY("no stencil buffer");
    driver->beginScene(true, true, SColor(255, 200, 200, 200));
    if (isOpenGL()) glClear(GL_STENCIL_BUFFER_BIT);  // Direct3D 9 clears it with the frame
    driver->set2DRenderMode();
    // The Direct3D 9 volume goes through the 3D transforms, not the 2D mode's pixels: a
    // projection in pixels puts it where OpenGL's 2D mode does.
    if (isDirect3D())
        driver->setTransform(ETS_PROJECTION, d3dcommon::pixelProjection(Width, Height));
    // One triangle, front and back: the stencil counts it once.
    const vector3df tri[3] = {vector3df(0, 0, 0), vector3df(100, 0, 0), vector3df(0, 100, 0)};
    driver->drawStencilShadowVolume(tri, 3, false);
    driver->drawStencilShadow(true, SColor(128, 0, 0, 0), SColor(128, 0, 0, 0),
                              SColor(128, 0, 0, 0), SColor(128, 0, 0, 0));
    EXPECT_TRUE(near(backPixel(10, 10), 100, 100, 100, 4));
    EXPECT_TRUE(near(backPixel(90, 90), 200, 200, 200, 0));
    driver->endScene();
    ASSERT_TRUE(remakeDriver(parameters()));
}

TEST(OpenGLDevice, DeviceOpensAWindowWithTheOpenGLDriver) {
    LogCapture logs;
    SDeviceParameters p;
    p.driverType = DriverOpenGL;
    p.windowSize = {320, 240};
    p.bits = 32;
    IDevice* created = createDevice(p);
    if (!created) {
        if (logs.contains("Can't register window class", LogError))
            OSKEL_SKIP_WITHOUT_DISPLAY("no display");
        FAIL() << "no device";
    }
    auto* device = static_cast<CDeviceLinux*>(created);
    ASSERT_TRUE(device->hasWindow());
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->getDriverType(), DriverOpenGL);
    EXPECT_EQ(driver->getScreenSize(), dimension2di(320, 240));
    // The device's window handle follows the window the driver made.
    EXPECT_EQ(device->getParameters().windowId, device->getWindow().nativeHandle());
    EXPECT_EQ(driver->getExposedVideoData().Words[SExposedVideoData::Window],
              device->getWindow().nativeHandle());
    EXPECT_TRUE(driver->beginScene(true, true, SColor(255, 1, 2, 3)));
    EXPECT_TRUE(driver->endScene());
    EXPECT_FALSE(logs.contains("Could not create OpenGL driver."));
    device->drop();
}

}  // namespace
