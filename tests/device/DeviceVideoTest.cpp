#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/video/CNullDriver.h"
#include "engine/video/CQuadBatcher.h"
#include "tests/device/DeviceTestSupport.h"

using namespace oskel;
using namespace oskel::test;

TEST(DeviceVideo, DefaultDeviceHasTheNullDriver) {
    LogCapture logs;
    IDevice* device = getDevice();
    ASSERT_NE(device, nullptr);
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->getDriverType(), DriverNull);
    EXPECT_EQ(driver->getScreenSize(), dimension2di(800, 600));
    EXPECT_EQ(driver->getColorDepth(), 16u);
    EXPECT_EQ(driver->getMaterialRendererCount(), 26u);
    EXPECT_EQ(device->getParameters().windowId, nullptr);  // no window
}

TEST(DeviceVideo, NewDriverIsAnnouncedAndReleasedWithTheDevice) {
    LogCapture logs;
    std::vector<std::string> log;
    auto* recorder = new Recorder(&log, "", CategoryDevice);
    IVideoDriver* announced = nullptr;
    recorder->action = [&](CEvent* event) {
        if (event->getTypeId() == EventDeviceVideoDriverCreated)
            announced = static_cast<CEventDeviceVideoDriverCreated*>(event)->getVideoDriver();
    };

    auto* device = new SteppedDevice();
    EXPECT_EQ(device->getVideoDriver(), nullptr);
    device->addEventReceiver(recorder, 0);
    ASSERT_TRUE(device->createVideoDriver(DriverNull));
    IVideoDriver* driver = device->getVideoDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(announced, driver);
    EXPECT_EQ(log, (std::vector<std::string>{"10"}));

    // The driver's frame counter runs on the device timer's real time.
    for (int frame = 0; frame <= 4; ++frame) {
        device->advance(250);
        device->getTimer()->tick();
        driver->beginScene();
        driver->getQuadBatcher()->flush();
        driver->endScene();
    }
    EXPECT_EQ(driver->getFPS(), 4);

    // A driver type that cannot be made keeps the driver there is.
    EXPECT_FALSE(device->createVideoDriver(DriverOpenGL));
    EXPECT_TRUE(logs.contains("Could not create OpenGL driver.", LogError));
    EXPECT_EQ(device->getVideoDriver(), driver);

    // A new driver replaces the old one, which is announced as going first.
    driver->grab();
    ASSERT_TRUE(device->createVideoDriver(DriverNull));
    EXPECT_EQ(log, (std::vector<std::string>{"10", "9", "10"}));
    EXPECT_EQ(driver->getReferenceCount(), 1);
    EXPECT_NE(device->getVideoDriver(), driver);
    driver->drop();

    driver = device->getVideoDriver();
    driver->grab();
    device->drop();
    EXPECT_EQ(driver->getReferenceCount(), 1);  // the device released its reference
    driver->drop();
    recorder->drop();
}
