// The device with the Direct3D 8 driver on a window of the shared virtual display: windowed and
// full screen at the desktop's size, and a device lost between frames.

#include "engine/video/d3d8/CD3D8Driver.h"
#include "tests/device/DeviceDirect3DSupport.h"
#include "tests/video/opengl/WindowPixels.h"

using namespace oskel;

namespace {

// The X screen's size (the desktop a full screen takes); 0 × 0 without a display.
dimension2di xScreenSize() {
    int width = 0, height = 0;
    if (!test::readXScreenSize(width, height)) return {0, 0};
    return {width, height};
}

test::SDirect3DDeviceCase direct3D8() {
    test::SDirect3DDeviceCase c;
    c.Type = DriverDirect3D8;
    c.Name = "Direct3D 8";
    c.Renderer = "Using renderer: Direct3D 8.1";
    c.CreateFailure = "Could not create DIRECT3D8 Driver.";
    c.ResetLog = "Resetting D3D8 device.";
    c.Tag = "d3d8";
    // Full screen takes the desktop's size (read from the X screen), a window its own.
    c.CheckMode = [](IVideoDriver* driver, bool fullscreen) {
        const dimension2di desktop = xScreenSize();
        ASSERT_GT(desktop.Width, 0);
        const auto& present = static_cast<CD3D8Driver*>(driver)->getPresentParameters();
        EXPECT_EQ(present.Windowed != 0, !fullscreen);
        EXPECT_EQ(driver->getScreenSize(), fullscreen ? desktop : dimension2di(320, 240));
        if (fullscreen) {
            EXPECT_EQ(present.BackBufferWidth, static_cast<u32>(desktop.Width));
            EXPECT_EQ(present.BackBufferHeight, static_cast<u32>(desktop.Height));
        }
    };
    // The first frame drawn after the skipped ones follows the reset.
    c.FollowsReset = [](IVideoDriver*, int skipped) { return skipped > 0; };
    return c;
}

class DeviceDirect3D8 : public test::DeviceDirect3DTest {};

TEST_F(DeviceDirect3D8, WindowedAndFullScreen) {
    test::checkWindowedAndFullScreen(direct3D8(), logs);
}

TEST_F(DeviceDirect3D8, ALossBetweenFramesIsSurvived) {
    test::checkLossSurvived(direct3D8(), logs);
}

}  // namespace
