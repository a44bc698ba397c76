#include <gtest/gtest.h>

#include "tests/device/DeviceTestSupport.h"

using namespace oskel;
using namespace oskel::test;
using V = std::vector<std::string>;

namespace {

struct LoopFixture : ::testing::Test {
    LogCapture logs;
    SteppedDevice* device = new SteppedDevice();
    V events;
    Recorder* recorder = new Recorder(&events);

    LoopFixture() { device->addEventReceiver(recorder, 0); }
    ~LoopFixture() override {
        recorder->drop();
        device->drop();
    }
    void pace(u32 interval, u32 step) {
        device->setUpdateInterval(interval);
        device->setUpdateStep(step);
    }
};

}  // namespace

TEST_F(LoopFixture, FixedStepsWithCarryAndLagCut) {
    struct Case {
        u32 interval, step;
        std::deque<u32> advances;
        V events;
    };
    const Case cases[] = {
        {10, 10, {10}, {"u10", "r"}},
        {10, 10, {35, 5}, {"u10", "u10", "u10", "r", "u10", "r"}},
        {10, 10, {900}, {"u10", "r"}},  // the lag is cut to one step
        {10, 10, {9}, {}},              // nothing due: no update and no frame
        {5, 15, {8}, {"u8", "r"}},
        // the 10 ms carried over are at least the interval: the next turn posts them
        {5, 15, {40, 5}, {"u15", "u15", "r", "u10", "r", "u5", "r"}},
        {5, 15, {201}, {"u15", "r"}},
        {5, 15, {200}, {"u15", "u15", "u15", "u15", "u15", "u15", "u15", "u15", "u15", "u15",
                         "u15", "u15", "u15", "r", "u5", "r"}},
        {2, 0, {7}, {"u7", "r"}},  // a zero step posts what has passed instead of spinning
    };
    for (const Case& c : cases) {
        auto* d = new SteppedDevice();
        V log;
        auto* r = new Recorder(&log);
        d->addEventReceiver(r, 0);
        d->setUpdateInterval(c.interval);
        d->setUpdateStep(c.step);
        d->advances = c.advances;
        EXPECT_TRUE(d->run());
        EXPECT_EQ(log, c.events) << "interval " << c.interval << " step " << c.step
                                 << " first advance " << c.advances.front();
        EXPECT_FALSE(d->isRunning());
        r->drop();
        d->drop();
    }
}

TEST_F(LoopFixture, SleepsOneMillisecondWhenNothingIsDueAndNotAfterAnUpdate) {
    pace(10, 10);
    device->advances = {3, 7, 1};
    device->run();
    EXPECT_EQ(events, (V{"u10", "r"}));
    // turn 1: nothing due, sleep; turn 2 (3 ms): sleep; turn 3 (10 ms): update, no sleep;
    // turn 4: nothing due, sleep; turn 5 (1 ms): sleep, and the device closes.
    EXPECT_EQ(device->sleeps, (std::vector<u32>{1, 1, 1, 1}));
    pace(1, 10);
}

TEST_F(LoopFixture, InactiveApplicationFreezesGameTimeAndDrawsEvery200Ms) {
    pace(10, 10);
    device->setActive(false);
    device->advances = {1000, 1000, 10, 10};
    device->onTurn = [&](int turn) {
        if (turn == 3) device->setActive(true);
    };
    device->run();
    // Two frames while inactive, then the time that passed meanwhile does not count: the
    // first update after activation is one step after the clock started again.
    EXPECT_EQ(events, (V{"r", "r", "u10", "r", "u10", "r"}));
    ASSERT_GE(device->sleeps.size(), 3u);
    EXPECT_EQ(device->sleeps[0], 200u);
    EXPECT_EQ(device->sleeps[1], 200u);
    EXPECT_EQ(device->sleeps[2], 1u);
}

TEST_F(LoopFixture, MinimisedWindowWaitsForMessagesAndDrawsNothing) {
    pace(10, 10);
    device->setVisible(false);
    device->advances = {500, 500};
    device->messages = {SteppedDevice::MessageNone, SteppedDevice::MessageNone,
                        SteppedDevice::MessageQuit};
    device->run();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(device->waits, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(device->getTimer()->isStopped());
}

TEST_F(LoopFixture, TheTurnHookRunsAtEveryTurnAlsoWhileMinimised) {
    pace(10, 10);
    for (const bool visible : {false, true}) {
        device->setVisible(visible);
        int turns = 0;
        const u32 hook = device->addTurnHook([&turns] { ++turns; });
        device->turn = 0;
        device->advances = {10, 10};
        device->messages = {SteppedDevice::MessageNone, SteppedDevice::MessageNone,
                            SteppedDevice::MessageQuit};
        device->run();
        EXPECT_EQ(turns, 3) << visible;  // the turn of the quit message as well
        device->removeTurnHook(hook);
        EXPECT_EQ(device->getTurnHookCount(), 0u);
    }
}

// The hooks run in the order they were added, before the turn's message; a hook added during a
// turn waits for the next one, a hook removed during a turn is not called again.
TEST_F(LoopFixture, TurnHooksRunInOrderAndMayChangeTheList) {
    pace(10, 10);
    std::vector<std::string> calls;
    u32 second = 0, added = 0;
    const u32 first = device->addTurnHook([&] {
        calls.push_back("first");
        if (calls.size() == 1) {
            added = device->addTurnHook([&] { calls.push_back("added"); });
            device->removeTurnHook(second);
        }
    });
    second = device->addTurnHook([&] { calls.push_back("second"); });
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(device->addTurnHook(nullptr), 0u);  // nothing to call: not added
    device->turn = 0;
    device->advances = {10, 10};
    device->messages = {SteppedDevice::MessageNone, SteppedDevice::MessageQuit};
    device->run();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "first", "added"}));
    device->removeTurnHook(first);
    device->removeTurnHook(added);
    device->removeTurnHook(added);  // gone already: nothing
    EXPECT_EQ(device->getTurnHookCount(), 0u);
}

TEST_F(LoopFixture, RestoredWindowResumesWithoutCountingTheMinimisedTime) {
    pace(10, 10);
    device->setVisible(false);
    device->advances = {5000, 10};
    device->onTurn = [&](int turn) {
        if (turn == 2) device->setVisible(true);
    };
    device->run();
    EXPECT_EQ(events, (V{"u10", "r"}));
}

TEST_F(LoopFixture, HandledMessageEndsTheTurnAndQuitEndsTheLoop) {
    pace(10, 10);
    device->advances = {};
    device->messages = {SteppedDevice::MessageHandled, SteppedDevice::MessageHandled,
                        SteppedDevice::MessageQuit};
    device->advance(50);
    device->run();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(device->sleeps.empty());
    EXPECT_EQ(device->turn, 3);
}

TEST_F(LoopFixture, CloseFromAnUpdateEndsTheLoopWithoutAFrame) {
    pace(10, 10);
    device->advances = {30, 10};
    recorder->action = [&](CEvent* e) {
        if (e->getTypeId() == EventSystemFlowUpdate) device->closeDevice();
    };
    device->run();
    EXPECT_EQ(events, (V{"u10"}));
    EXPECT_TRUE(logs.contains("closeDevice() was called", LogInformation));
}

TEST_F(LoopFixture, AQuitEndsOnlyTheLoopItWasMeantFor) {
    // A close inside a run ends that run only; one outside a run ends the next run at its first
    // turn, before anything is posted.
    pace(10, 10);
    recorder->action = [&](CEvent* e) {
        if (e->getTypeId() == EventSystemFlowUpdate) device->closeDevice();
    };
    device->advances = {10};
    device->run();
    EXPECT_EQ(events, (V{"u10"}));
    recorder->action = nullptr;
    events.clear();
    device->advances = {10, 10};
    device->run();  // ends when the stepped clock runs out
    EXPECT_EQ(events, (V{"u10", "r", "u10", "r"}));

    events.clear();
    device->closeDevice();
    const int turns = device->turn;
    device->advances = {10};
    device->run();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(device->turn, turns);  // not even the messages were taken
    device->advances = {10};
    device->run();
    EXPECT_EQ(events, (V{"u10", "r"}));
}

TEST_F(LoopFixture, WindowGivenFromOutsideRunsOneTurnPerCall) {
    pace(10, 10);
    device->setWindowFromOutside(true);
    EXPECT_TRUE(device->run());
    EXPECT_EQ(device->turn, 0);  // its messages are the caller's
    EXPECT_TRUE(device->sleeps.empty());
    EXPECT_TRUE(device->isRunning());
}

TEST_F(LoopFixture, SleepWithPauseStopsTheGameTime) {
    device->advances = {250};
    CTimer* timer = device->getTimer();
    timer->tick();
    const u32 before = timer->getTime();
    device->sleep(1, true);
    timer->tick();
    EXPECT_EQ(timer->getTime(), before);
    EXPECT_FALSE(timer->isStopped());
    device->advances = {40};
    device->sleep(1, false);
    timer->tick();
    EXPECT_EQ(timer->getTime(), before + 40);
}
