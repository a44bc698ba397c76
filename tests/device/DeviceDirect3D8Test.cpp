// The device with the Direct3D 8 driver on a window of the shared virtual display: windowed and
// full screen, and a device lost between frames.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/content/CContentManager.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "tests/support/TestSupport.h"
#include "tests/video/opengl/WindowPixels.h"

using namespace oskel;

namespace {

SDeviceParameters direct3D8Parameters(bool fullscreen) {
    SDeviceParameters p;
    p.driverType = DriverDirect3D8;
    p.windowSize = {320, 240};
    p.bits = 32;
    p.fullscreen = fullscreen;
    p.useDesktopResolution = fullscreen;
    return p;
}

// The X screen's size (the desktop a full screen takes); 0 × 0 without a display.
dimension2di xScreenSize() {
    int width = 0, height = 0;
    if (!test::readXScreenSize(width, height)) return {0, 0};
    return {width, height};
}

// The back buffer's pixel, ARGB; 0 when it cannot be read.
u32 backPixel(u32 x, u32 y) {
    std::vector<u32> pixels;
    u32 w = 0, h = 0;
    if (!d3d::D3DTestControl::readBackBuffer(pixels, w, h) || x >= w || y >= h) return 0;
    return pixels[static_cast<size_t>(y) * w + x];
}

void drawSprite(IVideoDriver* driver, CTextureResource* texture) {
    SMaterial m;
    m.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    m.Lighting = false;
    m.TextureLayer[0].Texture = texture;
    CQuadBatcher* batcher = driver->getQuadBatcher();
    batcher->reset();
    batcher->addQuadCorners(&m, vector2df(0, 0), vector2df(16, 0), vector2df(16, 16),
                            vector2df(0, 16), vector2df(0, 0), vector2df(1, 0), vector2df(1, 1),
                            vector2df(0, 1), 0.0f, SColor(0xFFFFFFFFu));
    batcher->flush();
}

class DeviceDirect3D8 : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ALSOFT_DRIVERS", "null", 0);
        d3d::D3DTestControl::reset();
    }
    void TearDown() override { d3d::D3DTestControl::reset(); }
    test::LogCapture logs;
};

TEST_F(DeviceDirect3D8, WindowedAndFullScreen) {
    auto* device = static_cast<CDeviceLinux*>(createDevice(direct3D8Parameters(false)));
    ASSERT_NE(device, nullptr) << "no device with the Direct3D 8 driver";
    ASSERT_TRUE(device->hasWindow());
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->getDriverType(), DriverDirect3D8);
    EXPECT_TRUE(logs.contains("Using renderer: Direct3D 8.1", LogInformation));
    EXPECT_EQ(driver->getScreenSize(), dimension2di(320, 240));
    EXPECT_EQ(driver->getExposedVideoData().Words[4], device->getWindow().nativeHandle());
    EXPECT_TRUE(driver->beginScene(true, true, SColor(0xFF102030u)));
    EXPECT_EQ(backPixel(5, 5), 0xFF102030u);
    EXPECT_TRUE(driver->endScene());

    // Full screen at the desktop's size, drawn into, and back.
    const dimension2di desktop = xScreenSize();
    ASSERT_GT(desktop.Width, 0);
    for (bool fullscreen : {true, false}) {
        SCOPED_TRACE(fullscreen ? "full screen" : "windowed");
        ASSERT_TRUE(device->reset(direct3D8Parameters(fullscreen)));
        EXPECT_EQ(device->isFullscreen(), fullscreen);
        driver = device->getVideoDriver();
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->getDriverType(), DriverDirect3D8);
        const auto& present = static_cast<CD3D8Driver*>(driver)->getPresentParameters();
        EXPECT_EQ(present.Windowed != 0, !fullscreen);
        EXPECT_EQ(driver->getScreenSize(), fullscreen ? desktop : dimension2di(320, 240));
        if (fullscreen) {
            EXPECT_EQ(present.BackBufferWidth, static_cast<u32>(desktop.Width));
            EXPECT_EQ(present.BackBufferHeight, static_cast<u32>(desktop.Height));
        }
        EXPECT_TRUE(driver->beginScene(true, true, SColor(0xFF302010u)));
        EXPECT_EQ(backPixel(5, 5), 0xFF302010u);
        EXPECT_TRUE(driver->endScene());
    }
    EXPECT_FALSE(logs.contains("Could not create DIRECT3D8 Driver."));
    device->drop();
}

// A loss between frames: frames are skipped while the device stays lost, the device is reset as
// soon as it can be, and a texture the content manager cached before draws again (textures live
// in the managed pool); a render target made before the loss is a target again after it.
TEST_F(DeviceDirect3D8, ALossBetweenFramesIsSurvived) {
    auto* device = static_cast<CDeviceLinux*>(createDevice(direct3D8Parameters(false)));
    ASSERT_NE(device, nullptr) << "no device with the Direct3D 8 driver";
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("oskel-d3d8-loss-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    CContentManager* content = device->createContentManager();
    CImage* picture = new CImage(CCreationContext(content, "x"), ECF_A8R8G8B8, dimension2di(8, 8));
    picture->fill(0xFF00FF00u);
    const stringc file((dir / "green.png").string().c_str());
    ASSERT_TRUE(content->saveContent(TypeCodeImage, picture, file, nullptr));
    picture->drop();
    auto* texture =
        static_cast<CTextureResource*>(content->getContentByPath(TypeCodeTexture, file, false));
    ASSERT_NE(texture, nullptr);
    ITexture* target = driver->createRenderTargetTexture(dimension2di(32, 32));
    ASSERT_NE(target, nullptr);

    ASSERT_TRUE(driver->beginScene(true, true, SColor(0xFF000000u)));
    drawSprite(driver, texture);
    EXPECT_EQ(backPixel(8, 8), 0xFF00FF00u);
    ASSERT_TRUE(driver->endScene());

    // Lost between two frames: the next Present reports it.
    d3d::D3DTestControl::loseDevices(2);
    int skipped = 0, frames = 0;
    bool drawnAfter = false, reset = false;
    for (; frames < 8 && !drawnAfter; ++frames) {
        if (!driver->beginScene(true, true, SColor(0xFF000000u))) {
            ++skipped;
            continue;
        }
        drawSprite(driver, texture);
        // The first frame drawn after the skipped ones follows the reset.
        reset = skipped > 0;
        if (reset) drawnAfter = backPixel(8, 8) == 0xFF00FF00u;
        driver->endScene();
    }
    EXPECT_TRUE(drawnAfter);
    EXPECT_GE(skipped, 1);
    EXPECT_TRUE(logs.contains("Resetting D3D8 device.", LogInformation));
    // The same cached texture, and the render target works again.
    EXPECT_EQ(texture->getTexture()->getDriverType(), DriverDirect3D8);
    ASSERT_TRUE(driver->beginScene());
    EXPECT_TRUE(driver->setRenderTarget(target, true, true, SColor(0xFF0000FFu)));
    EXPECT_TRUE(driver->setRenderTarget(nullptr, false, false));
    driver->endScene();

    target->drop();
    texture->drop();
    content->drop();
    device->drop();
    std::filesystem::remove_all(dir);
}

}  // namespace
