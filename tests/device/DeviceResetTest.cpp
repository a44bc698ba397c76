#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/image/CImage.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/ITexture.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

SDeviceParameters openGLParameters(bool fullscreen) {
    SDeviceParameters p;
    p.driverType = DriverOpenGL;
    p.windowSize = {320, 240};
    p.bits = 32;
    p.fullscreen = fullscreen;
    p.useDesktopResolution = fullscreen;
    return p;
}

}  // namespace

// From the windowless default device to a window with the OpenGL driver, then full screen and
// back: the cached texture resources are rebuilt on every new driver and stay drawable.
TEST(DeviceReset, FromTheNullDriverToOpenGLAndBetweenWindowedAndFullScreen) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    test::LogCapture logs;
    CDeviceLinux* device = static_cast<CDeviceLinux*>(createDevice(SDeviceParameters()));
    ASSERT_NE(device, nullptr);
    ASSERT_FALSE(device->hasWindow());
    ASSERT_NE(device->getVideoDriver(), nullptr);
    EXPECT_EQ(device->getVideoDriver()->getDriverType(), DriverNull);

    if (!device->reset(openGLParameters(false))) {
        device->drop();
        OSKEL_SKIP_WITHOUT_DISPLAY("no display with OpenGL here");
    }
    EXPECT_TRUE(device->hasWindow());
    ASSERT_NE(device->getVideoDriver(), nullptr);
    EXPECT_EQ(device->getVideoDriver()->getDriverType(), DriverOpenGL);
    EXPECT_NE(device->getParameters().windowId, nullptr);

    // A texture resource made through the content manager from a picture on the disk.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("oskel-reset-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    CContentManager* content = device->createContentManager();
    CImage* picture = new CImage(CCreationContext(content, "x"), ECF_A8R8G8B8, dimension2di(8, 8));
    picture->fill(0xFF00FF00u);
    const stringc file((dir / "green.png").string().c_str());
    ASSERT_TRUE(content->saveContent(TypeCodeImage, picture, file, nullptr));
    picture->drop();
    auto* texture = static_cast<CTextureResource*>(content->getContentByPath(TypeCodeTexture, file, false));
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->getTexture(), nullptr);
    const ITexture* first = texture->getTexture();
    EXPECT_EQ(first->getDriverType(), DriverOpenGL);

    // The device's receivers pass the driver events on: the content manager must be one.
    device->addEventReceiver(content, 1);
    for (bool fullscreen : {true, false}) {
        ASSERT_TRUE(device->reset(openGLParameters(fullscreen))) << fullscreen;
        EXPECT_EQ(device->isFullscreen(), fullscreen);
        ASSERT_NE(device->getVideoDriver(), nullptr);
        EXPECT_EQ(device->getVideoDriver()->getDriverType(), DriverOpenGL);
        ASSERT_NE(texture->getTexture(), nullptr) << "rebuilt after the reset";
        EXPECT_EQ(texture->getTexture()->getDriverType(), DriverOpenGL);
        EXPECT_TRUE(texture->getTexture()->isPixelOpaque(2, 2, 128));
    }
    device->removeEventReceiver(content);
    texture->drop();
    content->drop();
    device->drop();
    std::filesystem::remove_all(dir);
}
