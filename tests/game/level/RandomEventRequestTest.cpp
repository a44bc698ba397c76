// The timed requests of a level: reading, timing on a scheduler stepped by 500 ms, the events
// they send, pausing, restarting and damaged ranges.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/CEventReceiver.h"
#include "game/level/GRandomEventRequest.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

// Records every event it is given, with the scheduler update it came in; takes them or not.
class Recorder : public CEventReceiver {
public:
    explicit Recorder(bool takes = true) : m_takes(takes) {}
    bool onEvent(CEvent* event) override {
        events.push_back(CRefPtr<CEvent>(event));
        updates.push_back(currentUpdate);
        return m_takes;
    }
    bool routeToParent(u32 mode, CEvent* event) override {
        parentModes.push_back(mode);
        return parent && parent->dispatchEvent(mode, event);
    }
    std::vector<CRefPtr<CEvent>> events;
    std::vector<int> updates;
    std::vector<u32> parentModes;
    int currentUpdate = 0;
    CEventReceiver* parent = nullptr;

private:
    bool m_takes;
};

// A request list read from "Event" elements.
CRefPtr<GRandomEventList> readEvents(const std::string& events, bool* complete = nullptr) {
    CRefPtr<CXmlReader> reader = test::readerOf("<RandomEvents>" + events + "</RandomEvents>");
    reader->read();
    auto list = makeRef<GRandomEventList>();
    const bool ended = list->read(reader.get());
    if (complete) *complete = ended;
    return list;
}

// Runs the scheduler for a number of 500 ms updates, telling the recorder which one it is.
void run(CTimerScheduler& scheduler, Recorder& recorder, int updates) {
    for (int i = 0; i < updates; ++i) {
        ++recorder.currentUpdate;
        scheduler.update(RandomEventRequestPeriodMs);
    }
}

class RandomEventRequests : public ::testing::Test {
protected:
    void SetUp() override { CRandom::instance().seed(1234); }
    CRefPtr<CTimerScheduler> scheduler = makeRef<CTimerScheduler>();
    CRefPtr<Recorder> recorder = makeRef<Recorder>();
};

}  // namespace

TEST_F(RandomEventRequests, EveryTypeNameCreatesItsKind) {
    const char* kinds[] = {"OneTimeSellBuildingRequest",   "RegularSellBuildingRequest",
                           "OneTimeBrokenBuildingRequest", "RegularBrokenBuildingRequest",
                           "OneTimeDirtyBuildingRequest",  "RegularDirtyBuildingRequest",
                           "OneTimeCafeBuildingRequest",   "RegularCafeBuildingRequest",
                           "OneTimeLetterRequest",         "RegularLetterRequest",
                           "RegularWeatherEffectRequest"};
    const u32 events[] = {GameEventSellRequest,   GameEventSellRequest,   GameEventBrokenRequest,
                          GameEventBrokenRequest, GameEventDirtyRequest,  GameEventDirtyRequest,
                          GameEventCafeRequest,   GameEventCafeRequest,   GameEventLetterRequest,
                          GameEventLetterRequest, GameEventWeatherRequest};
    std::string xml;
    for (const char* kind : kinds) xml += std::string("<Event Type=\"") + kind + "\"/>";
    xml += "<Event Type=\"Sell\"/><Event/><Other Type=\"OneTimeSellBuildingRequest\"/>";
    CRefPtr<GRandomEventList> list = readEvents(xml);
    ASSERT_EQ(list->size(), 11u);
    // With no ranges every kind fires at its first update.
    list->startAll(recorder.get(), scheduler.get());
    run(*scheduler, *recorder, 1);
    ASSERT_EQ(recorder->events.size(), 11u);
    for (u32 i = 0; i < 11; ++i) {
        EXPECT_EQ(recorder->events[i]->getTypeId(), events[i]) << kinds[i];
        EXPECT_EQ(dynamic_cast<GRegularRequest*>(list->get(i)) != nullptr, kinds[i][0] == 'R')
            << kinds[i];
    }
}

TEST_F(RandomEventRequests, AOneTimeRequestFiresWhenItsWaitRunsOutAndARegularOneAfter) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeCafeBuildingRequest\" TimeRange=\"1000;1000\"/>"
        "<Event Type=\"RegularDirtyBuildingRequest\" FirstTimeRange=\"1000;1000\" "
        "PeriodRange=\"60000;60000\"/>");
    list->startAll(recorder.get(), scheduler.get());
    run(*scheduler, *recorder, 4);
    ASSERT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->events[0]->getTypeId(), static_cast<u32>(GameEventCafeRequest));
    EXPECT_EQ(recorder->updates[0], 2);
    EXPECT_EQ(recorder->events[1]->getTypeId(), static_cast<u32>(GameEventDirtyRequest));
    EXPECT_EQ(recorder->updates[1], 3);
    // The one-time request has left the scheduler; the regular one waits its period.
    EXPECT_EQ(list->get(0)->getUpdateSource(), nullptr);
    EXPECT_EQ(list->get(1)->getUpdateSource(), scheduler.get());
}

TEST_F(RandomEventRequests, ALifetimeEndsARegularRequestAtTheUpdateItRunsOut) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"RegularBrokenBuildingRequest\" LastTimeRange=\"1200;1200\"/>"
        "<Event Type=\"RegularSellBuildingRequest\" LastTimeRange=\"120000;120000\" "
        "PeriodRange=\"500;500\"/>");
    list->startAll(recorder.get(), scheduler.get());
    run(*scheduler, *recorder, 2);
    EXPECT_EQ(list->get(0)->getUpdateSource(), scheduler.get());
    run(*scheduler, *recorder, 1);
    EXPECT_EQ(list->get(0)->getUpdateSource(), nullptr);  // ended at its third update
    run(*scheduler, *recorder, 236);
    EXPECT_EQ(list->get(1)->getUpdateSource(), scheduler.get());
    const size_t before = recorder->events.size();
    run(*scheduler, *recorder, 1);  // the 240th update: 120000 ms since the start
    EXPECT_EQ(list->get(1)->getUpdateSource(), nullptr);
    EXPECT_EQ(recorder->events.size(), before);  // it ends without firing in that update
}

TEST_F(RandomEventRequests, ALifetimeDrawnAsZeroNeverEnds) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"RegularDirtyBuildingRequest\" LastTimeRange=\"0;1\" "
        "PeriodRange=\"1000;1000\"/>");
    list->startAll(recorder.get(), scheduler.get());
    EXPECT_EQ(dynamic_cast<GRegularRequest*>(list->get(0))->getLifetime(), 0);
    run(*scheduler, *recorder, 400);
    EXPECT_EQ(list->get(0)->getUpdateSource(), scheduler.get());
    EXPECT_EQ(recorder->events.size(), 133u);  // every third update, from the third on
}

TEST_F(RandomEventRequests, ASellRequestSendsItsTypesOnceBetweenItsTimes) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"10000;20000\" BuildingTypes=\" "
        "Camping1 ;; Hostel1\" "
        "PlaceNames=\"\"/>");
    list->startAll(recorder.get(), scheduler.get());
    const s32 wait = list->get(0)->getWait();
    EXPECT_GE(wait, 10000);
    EXPECT_LT(wait, 20000);
    run(*scheduler, *recorder, 60);
    ASSERT_EQ(recorder->events.size(), 1u);
    EXPECT_EQ(recorder->updates[0], (wait + 499) / 500);
    auto* sell = dynamic_cast<GEventSellRequest*>(recorder->events[0].get());
    ASSERT_TRUE(sell);
    ASSERT_EQ(sell->BuildingTypes.size(), 2u);
    EXPECT_EQ(sell->BuildingTypes[0], CNameId("Camping1"));
    EXPECT_EQ(sell->BuildingTypes[1], CNameId("Hostel1"));
    EXPECT_TRUE(sell->PlaceNames.empty());
}

TEST_F(RandomEventRequests, LettersAndWeatherCarryTheirRanges) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeLetterRequest\" MoneyRange=\"1000.5;5000\" WaitTimeRange=\"3000 "
        "8000\" "
        "PlaceNames=\"Place2\"/>"
        "<Event Type=\"RegularWeatherEffectRequest\" FirstTimeRange=\"0;0\" "
        "PeriodRange=\"60000;90000\" "
        "DurationTimeRange=\"20000;30000\"/>");
    list->startAll(recorder.get(), scheduler.get());
    const s32 weatherWait = list->get(1)->getWait();
    EXPECT_GE(weatherWait, 60000);
    EXPECT_LT(weatherWait, 90000);
    run(*scheduler, *recorder, 181);
    ASSERT_EQ(recorder->events.size(), 2u);
    auto* letter = dynamic_cast<GEventLetterRequest*>(recorder->events[0].get());
    ASSERT_TRUE(letter);
    EXPECT_FLOAT_EQ(letter->MoneyRange.first, 1000.5f);
    EXPECT_FLOAT_EQ(letter->MoneyRange.second, 5000.0f);
    EXPECT_FLOAT_EQ(letter->WaitTimeRange.first, 3000.0f);
    EXPECT_FLOAT_EQ(letter->WaitTimeRange.second, 8000.0f);
    ASSERT_EQ(letter->PlaceNames.size(), 1u);
    auto* weather = dynamic_cast<GEventWeatherRequest*>(recorder->events[1].get());
    ASSERT_TRUE(weather);
    EXPECT_EQ(weather->MinimumMs, 20000);
    EXPECT_EQ(weather->MaximumMs, 30000);
    EXPECT_EQ(recorder->updates[1], weatherWait / 500 + 1);
}

TEST_F(RandomEventRequests, WithoutATargetNothingIsSentAndTheTimingGoesOn) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeSellBuildingRequest\"/><Event Type=\"RegularSellBuildingRequest\" "
        "PeriodRange=\"500;500\"/>");
    list->startAll(nullptr, scheduler.get());
    run(*scheduler, *recorder, 5);
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_EQ(list->get(0)->getUpdateSource(), nullptr);
    EXPECT_EQ(list->get(1)->getUpdateSource(), scheduler.get());
}

TEST_F(RandomEventRequests, AnEventTheTargetDoesNotTakeGoesToItsParents) {
    auto level = makeRef<Recorder>(false);
    level->parent = recorder.get();
    CRefPtr<GRandomEventList> list = readEvents("<Event Type=\"OneTimeDirtyBuildingRequest\"/>");
    list->startAll(level.get(), scheduler.get());
    run(*scheduler, *level, 1);
    EXPECT_EQ(level->events.size(), 1u);
    EXPECT_EQ(level->parentModes, std::vector<u32>{DispatchSelfThenParents});
    EXPECT_EQ(recorder->events.size(), 1u);
}

TEST_F(RandomEventRequests, APausedRequestCountsNothingUntilResumed) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"1000;1000\"/>"
        "<Event Type=\"RegularSellBuildingRequest\" FirstTimeRange=\"1000;1000\" "
        "LastTimeRange=\"5000;5000\" "
        "PeriodRange=\"9000;9000\"/>");
    list->startAll(recorder.get(), scheduler.get());
    list->setPaused(true);
    run(*scheduler, *recorder, 40);
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_EQ(list->get(0)->getWait(), 1000);
    EXPECT_EQ(dynamic_cast<GRegularRequest*>(list->get(1))->getLifetime(), 5000);
    EXPECT_EQ(list->get(1)->getUpdateSource(), scheduler.get());
    list->setPaused(false);
    run(*scheduler, *recorder, 3);
    ASSERT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->updates[0], 42);
    EXPECT_EQ(recorder->updates[1], 43);
}

TEST_F(RandomEventRequests, AFinishedRequestStartedAgainDrawsItsWaitsAfresh) {
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"OneTimeBrokenBuildingRequest\" TimeRange=\"500;500\"/>"
        "<Event Type=\"RegularCafeBuildingRequest\" LastTimeRange=\"1000;1000\" "
        "PeriodRange=\"20000;20000\"/>");
    list->startAll(recorder.get(), scheduler.get());
    run(*scheduler, *recorder, 3);
    EXPECT_EQ(recorder->events.size(), 1u);
    EXPECT_EQ(list->get(0)->getUpdateSource(), nullptr);
    EXPECT_EQ(list->get(1)->getUpdateSource(), nullptr);
    list->startAll(recorder.get(), scheduler.get());
    EXPECT_EQ(list->get(1)->getWait(), 20000);
    EXPECT_EQ(dynamic_cast<GRegularRequest*>(list->get(1))->getLifetime(), 1000);
    run(*scheduler, *recorder, 1);
    EXPECT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(list->get(1)->getUpdateSource(), scheduler.get());
    list->stopAll();
    EXPECT_EQ(list->get(1)->getUpdateSource(), nullptr);
    EXPECT_EQ(list->get(1)->getTarget(), nullptr);
}

TEST_F(RandomEventRequests, ReadingAgainReplacesEveryRequestAndLeavesTheScheduler) {
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<Level><RandomEvents><Event Type=\"RegularSellBuildingRequest\"/><Event "
        "Type=\"OneTimeSellBuildingRequest\"/>"
        "</RandomEvents><RandomEvents><Event "
        "Type=\"RegularLetterRequest\"/></RandomEvents></Level>");
    auto list = makeRef<GRandomEventList>();
    reader->read();
    reader->read();
    ASSERT_TRUE(list->read(reader.get()));
    ASSERT_EQ(list->size(), 2u);
    list->startAll(recorder.get(), scheduler.get());
    CRefPtr<GRandomEventRequest> old(list->get(0));
    reader->read();
    ASSERT_TRUE(list->read(reader.get()));
    ASSERT_EQ(list->size(), 1u);
    EXPECT_NE(dynamic_cast<RegularLetterRequest*>(list->get(0)), nullptr);
    EXPECT_EQ(old->getUpdateSource(), nullptr);
    run(*scheduler, *recorder, 2);
    EXPECT_TRUE(recorder->events.empty());
}

TEST_F(RandomEventRequests, ARangeGivenBackwardsIsSwappedWithAWarning) {
    test::LogCapture log;
    CRefPtr<GRandomEventList> list = readEvents(
        "<Event Type=\"RegularSellBuildingRequest\" PeriodRange=\"90000;60000\"/>"
        "<Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"3000.9;-1\"/>");
    auto* regular = dynamic_cast<GRegularRequest*>(list->get(0));
    ASSERT_TRUE(regular);
    EXPECT_EQ(regular->PeriodRange, (SIntRange{60000, 90000}));
    auto* once = dynamic_cast<GOneTimeRequest*>(list->get(1));
    ASSERT_TRUE(once);
    EXPECT_EQ(once->TimeRange, (SIntRange{-1, 3000}));
    size_t warnings = 0;
    for (const auto& line : log.lines())
        if (line.level == LogWarning && line.text.find("backwards") != std::string::npos)
            ++warnings;
    EXPECT_EQ(warnings, 2u);
    list->startAll(recorder.get(), scheduler.get());
    EXPECT_GE(regular->getWait(), 60000);
    EXPECT_LT(regular->getWait(), 90000);
}

TEST_F(RandomEventRequests, AListThatEndsEarlyKeepsWhatWasReadAndAnswersFalse) {
    CRefPtr<CXmlReader> reader =
        test::readerOf("<RandomEvents><Event Type=\"OneTimeSellBuildingRequest\"/><Ev");
    reader->read();
    auto list = makeRef<GRandomEventList>();
    EXPECT_FALSE(list->read(reader.get()));
    EXPECT_EQ(list->size(), 1u);
}
