#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/device/CDeviceLinux.h"
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

TEST(DeviceVideo, DriversAreAnnouncedWhenTheyComeAndGo) {
    LogCapture logs;
    std::vector<std::string> log;
    auto* recorder = new Recorder(&log, "", CategoryDevice);
    std::vector<IVideoDriver*> announced;
    recorder->action = [&](CEvent* event) {
        if (event->getTypeId() == EventDeviceVideoDriverCreated)
            announced.push_back(static_cast<CEventDeviceVideoDriverCreated*>(event)->getVideoDriver());
    };

    auto* device = new SteppedDevice();
    EXPECT_EQ(device->getVideoDriver(), nullptr);
    device->addEventReceiver(recorder, 0);
    IVideoDriver* driver = createNullDriver(device->getParameters(), device->getFileSystem(),
                                            device->getTimer());
    device->setVideoDriver(driver);
    EXPECT_EQ(device->getVideoDriver(), driver);
    EXPECT_EQ(announced, std::vector<IVideoDriver*>{driver});
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

    // A new driver replaces the old one, which is announced as going first.
    driver->grab();
    IVideoDriver* second = createNullDriver(device->getParameters(), nullptr);
    device->setVideoDriver(second);
    EXPECT_EQ(log, (std::vector<std::string>{"10", "9", "10"}));
    EXPECT_EQ(driver->getReferenceCount(), 1);
    driver->drop();

    second->grab();
    device->drop();
    EXPECT_EQ(second->getReferenceCount(), 1);  // the device released its reference
    second->drop();
    recorder->drop();
}

TEST(DeviceVideo, WindowlessDeviceResetMakesTheDriverAgain) {
    LogCapture logs;
    std::vector<std::string> log;
    auto* recorder = new Recorder(&log, "", CategoryDevice);
    auto* device = new CDeviceLinux(SDeviceParameters());
    ASSERT_TRUE(device->hasVideoDriver());
    EXPECT_FALSE(device->hasWindow());
    IVideoDriver* first = device->getVideoDriver();
    first->grab();
    device->addEventReceiver(recorder, 0);

    SDeviceParameters parameters;
    parameters.windowSize = dimension2di(320, 200);
    ASSERT_TRUE(device->reset(parameters));
    EXPECT_EQ(log, (std::vector<std::string>{"9", "10"}));
    ASSERT_NE(device->getVideoDriver(), nullptr);
    EXPECT_NE(device->getVideoDriver(), first);
    EXPECT_EQ(first->getReferenceCount(), 1);  // the old driver was released
    first->drop();
    EXPECT_EQ(device->getVideoDriver()->getScreenSize(), dimension2di(320, 200));
    device->drop();
    recorder->drop();
}
