// The device with the Direct3D 9 driver on a window of the shared virtual display: windowed and
// full screen, and a device lost between frames.

#include "engine/video/d3d9/CD3D9Driver.h"
#include "tests/device/DeviceDirect3DSupport.h"

using namespace oskel;

namespace {

test::SDirect3DDeviceCase direct3D9() {
    test::SDirect3DDeviceCase c;
    c.Type = DriverDirect3D9;
    c.Name = "Direct3D 9";
    c.Renderer = "Using renderer: Direct3D 9.0";
    c.CreateFailure = "Could not create DIRECT3D9 Driver.";
    c.ResetLog = "Resetting D3D9 device.";
    c.Tag = "d3d9";
    c.CheckMode = [](IVideoDriver* driver, bool fullscreen) {
        const auto& present = static_cast<CD3D9Driver*>(driver)->getPresentParameters();
        EXPECT_EQ(present.Windowed != 0, !fullscreen);
    };
    // The driver tells whether the device was reset since the last frame.
    c.FollowsReset = [](IVideoDriver* driver, int) {
        return static_cast<CD3D9Driver*>(driver)->wasDeviceReset();
    };
    return c;
}

class DeviceDirect3D9 : public test::DeviceDirect3DTest {};

TEST_F(DeviceDirect3D9, WindowedAndFullScreen) {
    test::checkWindowedAndFullScreen(direct3D9(), logs);
}

TEST_F(DeviceDirect3D9, ALossBetweenFramesIsSurvived) {
    test::checkLossSurvived(direct3D9(), logs);
}

}  // namespace
