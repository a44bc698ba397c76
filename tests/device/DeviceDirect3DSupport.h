#pragma once

// The device with a Direct3D driver on a window of the shared virtual display: windowed and full
// screen, and a device lost between frames. Each driver's test gives its type, its texts and its
// own checks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/content/CContentManager.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "tests/support/TestSupport.h"

namespace oskel::test {

inline SDeviceParameters direct3DParameters(s32 type, bool fullscreen) {
    SDeviceParameters p;
    p.driverType = type;
    p.windowSize = {320, 240};
    p.bits = 32;
    p.fullscreen = fullscreen;
    p.useDesktopResolution = fullscreen;
    return p;
}

// The back buffer's pixel, ARGB; 0 when it cannot be read.
inline u32 backPixel(u32 x, u32 y) {
    std::vector<u32> pixels;
    u32 w = 0, h = 0;
    if (!d3d::D3DTestControl::readBackBuffer(pixels, w, h) || x >= w || y >= h) return 0;
    return pixels[static_cast<size_t>(y) * w + x];
}

inline void drawSprite(IVideoDriver* driver, CTextureResource* texture) {
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

// What a driver's device test gives.
struct SDirect3DDeviceCase {
    s32 Type;
    const char* Name;           // in messages: "Direct3D 9"
    const char* Renderer;       // the log line naming the renderer
    const char* CreateFailure;  // the log line of a driver that could not be made
    const char* ResetLog;       // the log line of a reset
    const char* Tag;            // in the scratch folder's name
    // The driver's own checks after a switch to full screen or back.
    std::function<void(IVideoDriver*, bool fullscreen)> CheckMode;
    // Whether the frame just begun (after so many skipped) follows the reset.
    std::function<bool(IVideoDriver*, int skipped)> FollowsReset;
};

class DeviceDirect3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ALSOFT_DRIVERS", "null", 0);
        d3d::D3DTestControl::reset();
    }
    void TearDown() override { d3d::D3DTestControl::reset(); }
    LogCapture logs;
};

// Windowed, then full screen at the desktop's size, drawn into, and back.
inline void checkWindowedAndFullScreen(const SDirect3DDeviceCase& c, LogCapture& logs) {
    auto* device = static_cast<CDeviceLinux*>(createDevice(direct3DParameters(c.Type, false)));
    ASSERT_NE(device, nullptr) << "no device with the " << c.Name << " driver";
    ASSERT_TRUE(device->hasWindow());
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->getDriverType(), c.Type);
    EXPECT_TRUE(logs.contains(c.Renderer, LogInformation));
    EXPECT_EQ(driver->getScreenSize(), dimension2di(320, 240));
    EXPECT_EQ(driver->getExposedVideoData().Words[4], device->getWindow().nativeHandle());
    EXPECT_TRUE(driver->beginScene(true, true, SColor(0xFF102030u)));
    EXPECT_EQ(backPixel(5, 5), 0xFF102030u);
    EXPECT_TRUE(driver->endScene());

    // Full screen at the desktop's size, drawn into, and back.
    for (bool fullscreen : {true, false}) {
        SCOPED_TRACE(fullscreen ? "full screen" : "windowed");
        ASSERT_TRUE(device->reset(direct3DParameters(c.Type, fullscreen)));
        EXPECT_EQ(device->isFullscreen(), fullscreen);
        driver = device->getVideoDriver();
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->getDriverType(), c.Type);
        c.CheckMode(driver, fullscreen);
        EXPECT_TRUE(driver->beginScene(true, true, SColor(0xFF302010u)));
        EXPECT_EQ(backPixel(5, 5), 0xFF302010u);
        EXPECT_TRUE(driver->endScene());
    }
    EXPECT_FALSE(logs.contains(c.CreateFailure));
    device->drop();
}

// A loss between frames: frames are skipped while the device stays lost, the device is reset as
// soon as it can be, and a texture the content manager cached before draws again (textures live
// in the managed pool); a render target made before the loss is a target again after it.
inline void checkLossSurvived(const SDirect3DDeviceCase& c, LogCapture& logs) {
    auto* device = static_cast<CDeviceLinux*>(createDevice(direct3DParameters(c.Type, false)));
    ASSERT_NE(device, nullptr) << "no device with the " << c.Name << " driver";
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (std::string("oskel-") + c.Tag + "-loss-" + std::to_string(::getpid()));
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
    bool drawnAfter = false;
    for (; frames < 8 && !drawnAfter; ++frames) {
        if (!driver->beginScene(true, true, SColor(0xFF000000u))) {
            ++skipped;
            continue;
        }
        drawSprite(driver, texture);
        const bool reset = c.FollowsReset(driver, skipped);
        if (reset) drawnAfter = backPixel(8, 8) == 0xFF00FF00u;
        driver->endScene();
    }
    EXPECT_TRUE(drawnAfter);
    EXPECT_GE(skipped, 1);
    EXPECT_TRUE(logs.contains(c.ResetLog, LogInformation));
    // The same cached texture, and the render target works again.
    EXPECT_EQ(texture->getTexture()->getDriverType(), c.Type);
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

}  // namespace oskel::test
