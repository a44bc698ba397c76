// The game's events: their ids, kinds and payloads.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/event/CEventReceiver.h"
#include "game/level/GGameEvents.h"

using namespace oskel;
using namespace brasquel;

namespace {

// Stand-ins for a lot and a building type: the events only carry their addresses.
GBuildingNode* lot(uintptr_t n) { return reinterpret_cast<GBuildingNode*>(n * 16); }
GBuildingConfig* type(uintptr_t n) { return reinterpret_cast<GBuildingConfig*>(n * 16); }

struct SEventCase {
    u32 id;
    std::function<CRefPtr<CEvent>()> make;
    u32 baseKind;  // the request base for the requests, else the own id again
};

std::vector<SEventCase> everyEvent() {
    return {
        {GameEventLevelCompleted, [] { return CRefPtr<CEvent>(makeEvent<GEventLevelCompleted>()); },
         0},
        {GameEventDayEnded, [] { return CRefPtr<CEvent>(makeEvent<GEventDayEnded>()); }, 0},
        {GameEventBuildingSelected,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingSelected>(lot(1), lot(2))); }, 0},
        {GameEventLevelChanged, [] { return CRefPtr<CEvent>(makeEvent<GEventLevelChanged>()); }, 0},
        {GameEventBuildingBuilt,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingBuilt>(lot(1), type(2))); }, 0},
        {GameEventBuildingRepaired,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingRepaired>(lot(1))); }, 0},
        {GameEventBuildingCleaned,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingCleaned>(lot(1))); }, 0},
        {GameEventCustomServeDone,
         [] { return CRefPtr<CEvent>(makeEvent<GEventCustomServeDone>(lot(1))); }, 0},
        {GameEventBuildingProcessEnded,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingProcessEnded>(lot(1))); }, 0},
        {GameEventBuildingIncome,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingIncome>(lot(1), 2.5f)); }, 0},
        {GameEventBuildingFeatureUsed,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingFeatureUsed>(lot(1), 2)); }, 0},
        {GameEventBuildingDestroyed,
         [] { return CRefPtr<CEvent>(makeEvent<GEventBuildingDestroyed>(lot(1))); }, 0},
        {GameEventResourcesReturned,
         [] { return CRefPtr<CEvent>(makeEvent<GEventResourcesReturned>(lot(1), 3.5f, 4)); }, 0},
        {GameEventRequest, [] { return CRefPtr<CEvent>(makeEvent<GEventRequest>()); }, 0},
        {GameEventSellRequest, [] { return CRefPtr<CEvent>(makeEvent<GEventSellRequest>()); },
         GameEventRequest},
        {GameEventBrokenRequest, [] { return CRefPtr<CEvent>(makeEvent<GEventBrokenRequest>()); },
         GameEventRequest},
        {GameEventDirtyRequest, [] { return CRefPtr<CEvent>(makeEvent<GEventDirtyRequest>()); },
         GameEventRequest},
        {GameEventCafeRequest, [] { return CRefPtr<CEvent>(makeEvent<GEventCafeRequest>()); },
         GameEventRequest},
        {GameEventLetterRequest,
         [] {
             return CRefPtr<CEvent>(makeEvent<GEventLetterRequest>(
                 GEventLetterRequest::Range{1.0f, 2.0f}, GEventLetterRequest::Range{3.0f, 4.0f}));
         },
         GameEventRequest},
        {GameEventTutorialFlag, [] { return CRefPtr<CEvent>(makeEvent<GEventTutorialFlag>(1)); },
         0},
        {GameEventHasBuildingQuery,
         [] { return CRefPtr<CEvent>(makeEvent<GEventHasBuildingQuery>(array<CNameId>())); }, 0},
        {GameEventWeatherRequest,
         [] { return CRefPtr<CEvent>(makeEvent<GEventWeatherRequest>(1, 2)); }, 0},
    };
}

}  // namespace

TEST(GameEvents, EachClassAnswersItsIdAndIsAKindOfItsBasesOnly) {
    const std::vector<SEventCase> cases = everyEvent();
    ASSERT_EQ(cases.size(), 22u);  // 4096 to 4118 without the unused 4099
    for (const SEventCase& c : cases) {
        SCOPED_TRACE(c.id);
        CRefPtr<CEvent> event = c.make();
        EXPECT_EQ(event->getTypeId(), c.id);
        EXPECT_EQ(event->getCategory(), static_cast<u32>(CategoryGame));
        for (u32 other = EventTypeGame; other <= GameEventWeatherRequest; ++other) {
            const bool expected =
                other == c.id || other == EventTypeGame || (c.baseKind != 0 && other == c.baseKind);
            EXPECT_EQ(event->isKindOf(other), expected) << "kind " << other;
        }
        EXPECT_TRUE(event->isKindOf(EventTypeEvent));
        EXPECT_FALSE(event->isKindOf(EventTypeNode));
    }
}

TEST(GameEvents, PayloadsKeepTheOrderOfTheirConstructors) {
    GEventLevelCompleted completed;
    EXPECT_EQ(completed.Flag, 1);
    GEventBuildingSelected selected(lot(1), lot(2));
    EXPECT_EQ(selected.Selected, lot(1));
    EXPECT_EQ(selected.Previous, lot(2));
    GEventBuildingSelected none(nullptr, lot(3));
    EXPECT_EQ(none.Selected, nullptr);
    GEventBuildingBuilt built(lot(4), type(5));
    EXPECT_EQ(built.Building, lot(4));
    EXPECT_EQ(built.Type, type(5));
    GEventBuildingIncome income(lot(6), 12.5f);
    EXPECT_EQ(income.Building, lot(6));
    EXPECT_FLOAT_EQ(income.Amount, 12.5f);
    GEventBuildingFeatureUsed used(lot(7), 2);
    EXPECT_EQ(used.FeatureIndex, 2);
    GEventResourcesReturned returned(lot(8), 40.0f, 3);
    EXPECT_EQ(returned.Building, lot(8));
    EXPECT_FLOAT_EQ(returned.Materials, 40.0f);
    EXPECT_EQ(returned.Workers, 3);
    GEventLetterRequest letter({100.0f, 500.0f}, {2000.0f, 8000.0f});
    EXPECT_TRUE(letter.BuildingTypes.empty());
    EXPECT_TRUE(letter.PlaceNames.empty());
    EXPECT_FLOAT_EQ(letter.MoneyRange.first, 100.0f);
    EXPECT_FLOAT_EQ(letter.MoneyRange.second, 500.0f);
    EXPECT_FLOAT_EQ(letter.WaitTimeRange.first, 2000.0f);
    EXPECT_FLOAT_EQ(letter.WaitTimeRange.second, 8000.0f);
    GEventTutorialFlag flag(0);
    EXPECT_EQ(flag.Pause, 0);
    GEventWeatherRequest weather(20000, 30000);
    EXPECT_EQ(weather.MinimumMs, 20000);
    EXPECT_EQ(weather.MaximumMs, 30000);
}

TEST(GameEvents, TheQueryCopiesItsListAndStartsWithTheAnswerFalse) {
    array<CNameId> types;
    types.push_back(CNameId("Camping1"));
    types.push_back(CNameId("Cafe"));
    GEventHasBuildingQuery query(types);
    types[0] = CNameId("Statue");
    types.push_back(CNameId("Garden"));
    ASSERT_EQ(query.BuildingTypes.size(), 2u);
    EXPECT_EQ(query.BuildingTypes[0], CNameId("Camping1"));
    EXPECT_EQ(query.BuildingTypes[1], CNameId("Cafe"));
    EXPECT_FALSE(query.Answer);
    GEventHasBuildingQuery empty{array<CNameId>()};
    EXPECT_TRUE(empty.BuildingTypes.empty());
    EXPECT_FALSE(empty.Answer);
}

namespace {

// Takes the game events of one id and records every event offered to it.
class Receiver : public CEventReceiver {
public:
    explicit Receiver(u32 takes, Receiver* parent = nullptr) : m_takes(takes), m_parent(parent) {}
    bool onEvent(CEvent* event) override {
        seen.push_back(event->getTypeId());
        return event->getTypeId() == m_takes;
    }
    bool routeToParent(u32 mode, CEvent* event) override {
        return m_parent && m_parent->dispatchEvent(mode, event);
    }
    std::vector<u32> seen;

private:
    u32 m_takes;
    Receiver* m_parent;
};

}  // namespace

TEST(GameEvents, AnEventTheSenderDoesNotTakeGoesOnToItsParents) {
    auto screen = makeRef<Receiver>(GameEventLevelCompleted);
    auto level = makeRef<Receiver>(GameEventSellRequest, screen.get());
    auto completed = makeEvent<GEventLevelCompleted>();
    EXPECT_TRUE(level->dispatchEvent(DispatchSelfThenParents, completed.get()));
    auto sell = makeEvent<GEventSellRequest>();
    EXPECT_TRUE(level->dispatchEvent(DispatchSelfThenParents, sell.get()));
    EXPECT_EQ(level->seen, (std::vector<u32>{GameEventLevelCompleted, GameEventSellRequest}));
    EXPECT_EQ(screen->seen, (std::vector<u32>{GameEventLevelCompleted}));
}
