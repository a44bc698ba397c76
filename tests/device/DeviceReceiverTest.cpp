#include <gtest/gtest.h>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "tests/device/DeviceTestSupport.h"

using namespace oskel;
using namespace oskel::test;
using V = std::vector<std::string>;

namespace {

struct ReceiverFixture : ::testing::Test {
    LogCapture logs;
    SteppedDevice* device = new SteppedDevice();
    V events;
    std::vector<Recorder*> owned;

    ~ReceiverFixture() override {
        device->drop();
        for (Recorder* r : owned) {
            EXPECT_EQ(r->getReferenceCount(), 1) << r->name;  // the device let go of it
            r->drop();
        }
    }
    Recorder* make(const std::string& name, u32 mask = 0xffffffffu) {
        owned.push_back(new Recorder(&events, name, mask));
        return owned.back();
    }
    V post(CEvent* event) {
        events.clear();
        device->postEvent(event);
        return events;
    }
    V render() { return post(new CEventSystemFlowRender()); }
};

}  // namespace

TEST_F(ReceiverFixture, OfferedInAscendingPriority) {
    struct Entry {
        const char* name;
        s32 priority;
    };
    const Entry entries[] = {{"scheduler", 2}, {"processors", -1}, {"sound", 1},
                             {"app", 0},       {"scene", 1000},    {"content", 1}};
    for (const Entry& e : entries) EXPECT_TRUE(device->addEventReceiver(make(e.name), e.priority));
    EXPECT_EQ(render(),
              (V{"processors:r", "app:r", "sound:r", "content:r", "scheduler:r", "scene:r"}));
    for (u32 i = 1; i < device->getEventReceiverCount(); ++i)
        EXPECT_LE(device->getEventReceiverPriority(i - 1), device->getEventReceiverPriority(i));
}

TEST_F(ReceiverFixture, NoneAndDuplicatesAreRefused) {
    // The device registers its sound group manager itself.
    const u32 own = device->getEventReceiverCount();
    EXPECT_EQ(own, 1u);
    EXPECT_EQ(device->getEventReceiver(0),
              static_cast<CEventReceiver*>(device->getSoundGroupManager()));
    EXPECT_EQ(device->getEventReceiverPriority(0), 1);
    Recorder* a = make("a");
    EXPECT_FALSE(device->addEventReceiver(nullptr, 0));
    EXPECT_TRUE(device->addEventReceiver(a, 0));
    EXPECT_FALSE(device->addEventReceiver(a, 5));
    EXPECT_EQ(device->getEventReceiverCount(), own + 1);
    EXPECT_EQ(a->getReferenceCount(), 2);
    device->removeEventReceiver(a);
    device->removeEventReceiver(a);  // not in the list: ignored
    device->removeEventReceiver(nullptr);
    EXPECT_EQ(device->getEventReceiverCount(), own);
}

TEST_F(ReceiverFixture, CategoryMaskAndStopRule) {
    Recorder* keys = make("keys", CategoryKeyboard);
    Recorder* first = make("first", CategorySystemFlow);
    Recorder* second = make("second");
    device->addEventReceiver(keys, -5);
    device->addEventReceiver(first, 0);
    device->addEventReceiver(second, 1);
    EXPECT_EQ(render(), (V{"first:r", "second:r"}));
    first->consume = true;
    EXPECT_EQ(render(), (V{"first:r"}));
    EXPECT_EQ(post(new CEventKeyboardKeyDown(L'a', 65, false, false)), (V{"keys:32", "second:32"}));
}

TEST_F(ReceiverFixture, AddedDuringADispatchGetsOnlyTheNextEvent) {
    Recorder* a = make("a");
    Recorder* late = make("late");
    a->action = [&](CEvent*) { device->addEventReceiver(late, -10); };
    device->addEventReceiver(a, 0);
    EXPECT_EQ(render(), (V{"a:r"}));
    a->action = nullptr;
    EXPECT_EQ(render(), (V{"late:r", "a:r"}));
}

TEST_F(ReceiverFixture, AddedTwiceDuringADispatchIsAddedOnce) {
    Recorder* a = make("a");
    Recorder* late = make("late");
    bool second = true;
    a->action = [&](CEvent*) {
        EXPECT_TRUE(device->addEventReceiver(late, 5));
        second = device->addEventReceiver(late, 5);
    };
    device->addEventReceiver(a, 0);
    render();
    EXPECT_FALSE(second);
    a->action = nullptr;
    EXPECT_EQ(render(), (V{"a:r", "late:r"}));
}

TEST_F(ReceiverFixture, RemovedDuringADispatchFinishesItAndGetsNothingAfter) {
    Recorder* a = make("a");
    Recorder* b = make("b");
    a->action = [&](CEvent*) { device->removeEventReceiver(b); };
    device->addEventReceiver(a, 0);
    device->addEventReceiver(b, 1);
    EXPECT_EQ(render(), (V{"a:r", "b:r"}));
    EXPECT_EQ(render(), (V{"a:r"}));
}

TEST_F(ReceiverFixture, RemovedAndAddedAgainDuringADispatchStays) {
    Recorder* a = make("a");
    Recorder* b = make("b");
    a->action = [&](CEvent*) {
        device->removeEventReceiver(b);
        EXPECT_TRUE(device->addEventReceiver(b, 1));
    };
    device->addEventReceiver(a, 0);
    device->addEventReceiver(b, 1);
    EXPECT_EQ(render(), (V{"a:r", "b:r"}));
    a->action = nullptr;
    EXPECT_EQ(render(), (V{"a:r", "b:r"}));
    EXPECT_EQ(b->getReferenceCount(), 2);
    EXPECT_EQ(device->getEventReceiverCount(), 3u);  // with the sound group manager
}

TEST_F(ReceiverFixture, AddedAndRemovedDuringADispatchLeavesNothing) {
    Recorder* a = make("a");
    Recorder* late = make("late");
    a->action = [&](CEvent*) {
        device->addEventReceiver(late, 1);
        device->removeEventReceiver(late);
    };
    device->addEventReceiver(a, 0);
    render();
    a->action = nullptr;
    EXPECT_EQ(render(), (V{"a:r"}));
    EXPECT_EQ(late->getReferenceCount(), 1);
}

TEST_F(ReceiverFixture, NestedDispatchKeepsTheListUntilTheOuterOneEnds) {
    Recorder* a = make("a");
    Recorder* b = make("b");
    Recorder* c = make("c");
    Recorder* late = make("late");
    bool nested = false;
    a->action = [&](CEvent* e) {
        if (nested || e->getTypeId() != EventSystemFlowRender) return;
        nested = true;
        device->removeEventReceiver(b);
        device->addEventReceiver(late, -1);
        // An event posted from a handler: its dispatch must not change the list under ours.
        device->postEvent(new CEventSystemFlowUpdate(1));
    };
    device->addEventReceiver(a, 0);
    device->addEventReceiver(b, 1);
    device->addEventReceiver(c, 2);
    EXPECT_EQ(render(), (V{"a:r", "a:u1", "b:u1", "c:u1", "b:r", "c:r"}));
    EXPECT_EQ(render(), (V{"late:r", "a:r", "c:r"}));
}

TEST_F(ReceiverFixture, DeviceHandlesFirstThenItsReceivers) {
    Recorder* a = make("a");
    device->addEventReceiver(a, 0);
    EXPECT_EQ(device->getCategoryMask(), static_cast<u32>(CategoryDevice));
    a->consume = true;
    auto* e = new CEventSystemFlowRender();
    e->grab();
    EXPECT_TRUE(device->postEvent(e));
    EXPECT_EQ(e->getReferenceCount(), 1);  // the device dropped its reference
    e->drop();
}

TEST_F(ReceiverFixture, DestructionReleasesEveryReceiver) {
    Recorder* a = make("a");
    Recorder* b = make("b");
    device->addEventReceiver(a, 0);
    device->addEventReceiver(b, 0);
    EXPECT_EQ(a->getReferenceCount(), 2);
    // the fixture checks that the device let go of them
}

TEST(Device, VersionIsLoggedAndAMismatchWarns) {
    LogCapture logs;
    SDeviceParameters parameters;
    parameters.sdkVersion = "1.3.1";
    auto* device = new CDeviceBase(parameters);
    EXPECT_TRUE(logs.contains("Irrlicht Engine version 1.4.2", LogInformation));
    EXPECT_TRUE(logs.contains(
        "Warning: The library version of the Irrlicht Engine (1.4.2) does not match the version "
        "the application was compiled with (1.3.1). This may cause problems.",
        LogWarning));
    // sdkVersion is not copied with the parameters.
    SDeviceParameters copy;
    copy.sdkVersion = "mine";
    copy = parameters;
    EXPECT_STREQ(copy.sdkVersion, "mine");
    device->drop();

    logs.clear();
    device = new CDeviceBase(SDeviceParameters());
    EXPECT_EQ(logs.lines().size(), 1u);
    device->drop();
}

TEST(Device, DefaultDeviceIsWindowlessWithTheNullDriver) {
    LogCapture logs;
    IDevice* device = getDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(getDevice(), device);
    EXPECT_EQ(device->getParameters().driverType, DriverNull);
    EXPECT_EQ(device->getParameters().windowSize.Width, 800);
    EXPECT_EQ(device->getParameters().windowSize.Height, 600);
    EXPECT_EQ(device->getParameters().bits, 16u);
    EXPECT_EQ(device->getParameters().windowId, nullptr);
    EXPECT_FALSE(device->isFullscreen());
    EXPECT_EQ(device->getUpdateInterval(), 5u);
    EXPECT_EQ(device->getUpdateStep(), 15u);
    CTimerScheduler* scheduler = device->createTimerScheduler();
    ASSERT_NE(scheduler, nullptr);
    scheduler->drop();
}

TEST(Device, TheDefaultDeviceCanBeReleasedBeforeExit) {
    LogCapture logs;
    IDevice* first = getDevice();
    ASSERT_NE(first, nullptr);
    releaseDevice();
    EXPECT_EQ(IDevice::recordedInstance(), nullptr);
    releaseDevice();  // none left: nothing
    // A device made by other code is its maker's.
    auto* own = new CDeviceBase(SDeviceParameters());
    EXPECT_EQ(getDevice(), own);
    releaseDevice();
    EXPECT_EQ(IDevice::recordedInstance(), own);
    own->drop();
    // Asked again, a new default device is made.
    EXPECT_NE(getDevice(), nullptr);
    releaseDevice();
}

TEST(Device, FactoryRefusesDriversItCannotMake) {
    LogCapture logs;
    // The Direct3D drivers cannot be made where their run-time libraries are missing.
    d3d::D3DTestControl::removeModule("d3d9.dll");
    d3d::D3DTestControl::removeModule("d3d8.dll");
    const struct {
        s32 type;
        const char* message;
    } cases[] = {{DriverDirect3D9, "Could not create DIRECT3D9 Driver."},
                 {DriverDirect3D8, "Could not create DIRECT3D8 Driver."},
                 {77, "Unable to create video driver of unknown type."}};
    for (const auto& c : cases) {
        SDeviceParameters parameters;
        parameters.driverType = c.type;
        EXPECT_EQ(createDevice(parameters), nullptr);
        EXPECT_TRUE(logs.contains(c.message, LogError)) << c.type;
    }
    EXPECT_TRUE(logs.contains("Error, could not load d3d9.dll.", LogError));
    EXPECT_TRUE(logs.contains("Error, could not load d3d8.dll.", LogError));
    d3d::D3DTestControl::reset();
}
