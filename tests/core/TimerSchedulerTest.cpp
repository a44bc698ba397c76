#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"

using namespace oskel;

namespace {

// Records its calls; an optional action runs inside each call.
class Probe : public IUpdateReceiver {
public:
    explicit Probe(u32 period, std::vector<int>* order = nullptr, int tag = 0)
        : IUpdateReceiver(period), order(order), tag(tag) {}
    bool update(u32 elapsed) override {
        calls.push_back(elapsed);
        if (order) order->push_back(tag);
        if (action) return action();
        return keepGoing;
    }
    std::vector<u32> calls;
    std::vector<int>* order;
    int tag;
    bool keepGoing = true;
    std::function<bool()> action;
};

CRefPtr<Probe> makeProbe(u32 period, std::vector<int>* order = nullptr, int tag = 0) {
    return makeRef<Probe>(period, order, tag);
}

CRefPtr<CTimerScheduler> makeScheduler() {
    return makeRef<CTimerScheduler>();
}

}  // namespace

TEST(TimerScheduler, CatchesUpWithSeveralCallsOfOnePeriod) {
    auto s = makeScheduler();
    auto p = makeProbe(30);
    s->addTimer(p.get());
    EXPECT_EQ(p->getUpdateSource(), s.get());
    s->update(95);  // due 30, 60, 90
    EXPECT_EQ(p->calls, (std::vector<u32>{30, 30, 30}));
    s->update(4);  // clock 99: next due 120
    EXPECT_EQ(p->calls.size(), 3u);
    s->update(21);
    EXPECT_EQ(p->calls.size(), 4u);
}

TEST(TimerScheduler, SpeedScalesTheClockAndHalvesRoundUp) {
    auto s = makeScheduler();
    auto p = makeProbe(20);
    s->addTimer(p.get());
    s->setSpeed(2.0f);
    for (int i = 0; i < 5; ++i) s->update(10);
    EXPECT_EQ(p->calls.size(), 5u);

    auto t = makeScheduler();
    auto q = makeProbe(30);
    t->addTimer(q.get());
    t->setSpeed(0.5f);
    t->update(59);  // clock 29.5 counts as 30
    EXPECT_EQ(q->calls.size(), 1u);
    EXPECT_DOUBLE_EQ(t->getClock(), 29.5);
}

TEST(TimerScheduler, PeriodZeroIsCalledOncePerUpdate) {
    auto s = makeScheduler();
    auto p = makeProbe(0);
    s->addTimer(p.get());
    s->update(100);
    s->update(0);
    EXPECT_EQ(p->calls, (std::vector<u32>{0, 0}));
}

TEST(TimerScheduler, DisabledSchedulerFreezesItsClock) {
    auto s = makeScheduler();
    auto p = makeProbe(10);
    s->addTimer(p.get());
    s->setEnabled(false);
    s->update(100);
    EXPECT_TRUE(p->calls.empty());
    EXPECT_EQ(s->getClock(), 0.0);
    s->setEnabled(true);
    s->update(10);
    EXPECT_EQ(p->calls.size(), 1u);
}

TEST(TimerScheduler, ReceiverReturningFalseIsDroppedAtTheEndOfThatUpdate) {
    auto s = makeScheduler();
    auto p = makeProbe(10);
    p->keepGoing = false;
    s->addTimer(p.get());
    s->update(50);
    EXPECT_EQ(p->calls.size(), 1u);
    EXPECT_EQ(p->getUpdateSource(), nullptr);
    EXPECT_EQ(s->getTimerCount(), 0u);
    EXPECT_EQ(p->getReferenceCount(), 1);
    s->update(50);
    EXPECT_EQ(p->calls.size(), 1u);
}

TEST(TimerScheduler, ReceiverHeldOnlyByTheSchedulerIsDroppedAtTheNextUpdate) {
    auto s = makeScheduler();
    Probe* p = new Probe(1000);
    s->addTimer(p);
    p->drop();  // the scheduler holds the only reference now
    EXPECT_EQ(s->getTimerCount(), 1u);
    s->update(1);  // not due, still swept
    EXPECT_EQ(s->getTimerCount(), 0u);
}

TEST(TimerScheduler, RemoveOutsideAnUpdateDropsAtOnce) {
    auto s = makeScheduler();
    auto p = makeProbe(10);
    s->addTimer(p.get());
    EXPECT_EQ(p->getReferenceCount(), 2);
    s->removeTimer(p.get());
    EXPECT_EQ(p->getReferenceCount(), 1);
    EXPECT_EQ(p->getUpdateSource(), nullptr);
    s->removeTimer(p.get());  // not in the list: nothing happens
    s->removeTimer(nullptr);
    s->addTimer(nullptr);
    EXPECT_EQ(s->getTimerCount(), 0u);
}

TEST(TimerScheduler, AddedDuringAnUpdateIsCalledFromTheNextWithDueTimeFromThatClock) {
    auto s = makeScheduler();
    auto late = makeProbe(10);
    auto adder = makeProbe(5);
    adder->action = [&] {
        if (late->getUpdateSource() == nullptr) s->addTimer(late.get());
        return true;
    };
    s->addTimer(adder.get());
    s->update(7);  // clock 7: late is due at 17
    EXPECT_TRUE(late->calls.empty());
    s->update(9);  // clock 16
    EXPECT_TRUE(late->calls.empty());
    s->update(1);  // clock 17
    EXPECT_EQ(late->calls.size(), 1u);
}

TEST(TimerScheduler, RemovedAndAddedAgainDuringAnUpdateKeepsPlaceAndDueTime) {
    auto s = makeScheduler();
    std::vector<int> order;
    auto a = makeProbe(10, &order, 1);
    auto b = makeProbe(10, &order, 2);
    auto c = makeProbe(10, &order, 3);
    s->addTimer(a.get());
    s->addTimer(b.get());
    s->addTimer(c.get());
    a->action = [&] {
        s->removeTimer(b.get());
        s->addTimer(b.get());
        return true;
    };
    s->update(10);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(s->getTimerCount(), 3u);
    EXPECT_EQ(b->getReferenceCount(), 2);
    order.clear();
    a->action = nullptr;
    s->update(10);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(TimerScheduler, RemovedDuringAnUpdateIsNotCalledAndSweptAfterwards) {
    auto s = makeScheduler();
    std::vector<int> order;
    auto a = makeProbe(10, &order, 1);
    auto b = makeProbe(10, &order, 2);
    auto c = makeProbe(10, &order, 3);
    s->addTimer(a.get());
    s->addTimer(b.get());
    s->addTimer(c.get());
    a->action = [&] {
        s->removeTimer(b.get());
        return true;
    };
    s->update(10);
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
    EXPECT_EQ(s->getTimerCount(), 2u);
    EXPECT_EQ(b->getReferenceCount(), 1);
    // The sweep moved the last entry into the gap.
    order.clear();
    a->action = nullptr;
    s->update(10);
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

TEST(TimerScheduler, ReceiverRemovingItselfDuringItsCall) {
    auto s = makeScheduler();
    auto p = makeProbe(10);
    p->action = [&] {
        s->removeTimer(p.get());
        return true;
    };
    s->addTimer(p.get());
    s->update(50);  // the catch-up stops once it is removed
    EXPECT_EQ(p->calls.size(), 1u);
    EXPECT_EQ(s->getTimerCount(), 0u);
}

TEST(TimerScheduler, AddedAndRemovedWithinOneUpdateLeavesNothingBehind) {
    auto s = makeScheduler();
    auto p = makeProbe(10);
    auto driver = makeProbe(0);
    driver->action = [&] {
        s->addTimer(p.get());
        s->removeTimer(p.get());
        return true;
    };
    s->addTimer(driver.get());
    s->update(10);
    EXPECT_EQ(s->getTimerCount(), 1u);
    EXPECT_EQ(p->getReferenceCount(), 1);
    EXPECT_EQ(p->getUpdateSource(), nullptr);
}

TEST(TimerScheduler, ReceiverMovedToAnotherSchedulerDuringAnUpdateLeavesTheOld) {
    auto a = makeScheduler();
    auto b = makeScheduler();
    auto p = makeProbe(10);
    auto mover = makeProbe(10);
    mover->action = [&] {
        p->setUpdateSource(b.get());
        return true;
    };
    a->addTimer(mover.get());
    a->addTimer(p.get());
    a->update(10);
    EXPECT_TRUE(p->calls.empty());  // moved before its turn: not called by the old one
    EXPECT_EQ(p->getUpdateSource(), b.get());
    EXPECT_EQ(a->getTimerCount(), 1u);
    EXPECT_EQ(b->getTimerCount(), 1u);
    EXPECT_EQ(p->getReferenceCount(), 2);  // ours and b's
    mover->action = nullptr;
    a->update(10);
    EXPECT_TRUE(p->calls.empty());
    b->update(10);
    EXPECT_EQ(p->calls.size(), 1u);
}

TEST(TimerScheduler, DestroyedSchedulerDetachesItsReceivers) {
    auto p = makeProbe(10);
    {
        auto s = makeScheduler();
        s->addTimer(p.get());
        EXPECT_EQ(p->getReferenceCount(), 2);
    }
    EXPECT_EQ(p->getUpdateSource(), nullptr);
    EXPECT_EQ(p->getReferenceCount(), 1);
    // Moving it now must not touch the destroyed scheduler.
    auto other = makeScheduler();
    p->setUpdateSource(other.get());
    EXPECT_EQ(other->getTimerCount(), 1u);
}

TEST(TimerScheduler, ClockStaysExactAfterHundredsOfHours) {
    auto s = makeScheduler();
    // 100 hours of 10 ms updates, compressed: the clock keeps counting whole milliseconds.
    for (int i = 0; i < 36000; ++i) s->update(10000);
    EXPECT_DOUBLE_EQ(s->getClock(), 360000000.0);
    auto p = makeProbe(10);
    s->addTimer(p.get());
    for (int i = 0; i < 100; ++i) s->update(10);
    EXPECT_EQ(p->calls.size(), 100u);
}

TEST(TimerScheduler, UpdateEventDrivesTheSchedulerWithoutConsumingIt) {
    auto s = makeScheduler();
    EXPECT_NE(s->getCategoryMask() & CategorySystemFlow, 0u);
    auto p = makeProbe(10);
    s->addTimer(p.get());
    CEvent* e = new CEventSystemFlowUpdate(25);
    EXPECT_FALSE(s->dispatchEvent(DispatchSelf, e));
    e->drop();
    EXPECT_EQ(p->calls.size(), 2u);
    CEvent* r = new CEventSystemFlowRender();
    EXPECT_FALSE(s->onEvent(r));
    r->drop();
    EXPECT_EQ(p->calls.size(), 2u);
}

// The clock passes 2^32 ms (about 49.7 days at speed 1, sooner sped up): due times keep counting
// and every update returns. Before, the millisecond clock stopped at 2^32 - 1 while due times
// wrapped, and the catch-up loop never ended.
TEST(TimerScheduler, TheClockRunsOnPastTwoToTheThirtyTwoMilliseconds) {
    auto s = makeScheduler();
    s->setSpeed(1000.0f);
    const u32 period = 100000000;  // 10^8 ms
    auto p = makeProbe(period);
    s->addTimer(p.get());
    for (int i = 0; i < 10; ++i) s->update(1000000);  // 10^9 ms a step
    EXPECT_DOUBLE_EQ(s->getClock(), 1e10);
    EXPECT_EQ(p->calls.size(), 100u);  // 10^10 / 10^8
    // A receiver added beyond 2^32 ms is due one period later.
    auto late = makeProbe(10);
    s->addTimer(late.get());
    s->setSpeed(1.0f);
    s->update(25);
    EXPECT_EQ(late->calls.size(), 2u);
}
