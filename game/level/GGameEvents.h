#pragma once

// The game's own events: what the level model, the building lots, the building processes, the
// timed requests, the tutorial and the play screen tell each other. Every class answers its own
// type id; its is-kind-of test accepts that id, the ids of its bases, the game base id and 0.
// Lots and building types travel as plain pointers: the events never outlive their delivery.

#include <utility>

#include "engine/core/CNameTable.h"
#include "engine/core/OskelTypes.h"
#include "engine/core/event/CEvent.h"

namespace brasquel {

class GBuildingNode;
class GBuildingConfig;

// The type ids of the game events.
enum EGameEventId : oskel::u32 {
    GameEventLevelCompleted = 4096,
    GameEventDayEnded = 4097,
    GameEventBuildingSelected = 4098,
    // No sender is known; the play screen takes it and does nothing.
    GameEventIgnored = 4099,
    GameEventLevelChanged = 4100,
    GameEventBuildingBuilt = 4101,
    GameEventBuildingRepaired = 4102,
    GameEventBuildingCleaned = 4103,
    GameEventCustomServeDone = 4104,
    GameEventBuildingProcessEnded = 4105,
    GameEventBuildingIncome = 4106,
    GameEventBuildingFeatureUsed = 4107,
    GameEventBuildingDestroyed = 4108,
    GameEventResourcesReturned = 4109,
    GameEventRequest = 4110,
    GameEventSellRequest = 4111,
    GameEventBrokenRequest = 4112,
    GameEventDirtyRequest = 4113,
    GameEventCafeRequest = 4114,
    GameEventLetterRequest = 4115,
    GameEventTutorialFlag = 4116,
    GameEventHasBuildingQuery = 4117,
    GameEventWeatherRequest = 4118,
};

// A game event class of the id over its base: the type id and the is-kind-of test.
template <oskel::u32 Id, class Base = oskel::CEventGame>
class TGameEvent : public Base {
public:
    static constexpr oskel::u32 TypeId = Id;
    oskel::u32 getTypeId() const override { return Id; }
    bool isKindOf(oskel::u32 id) const override { return id == Id || Base::isKindOf(id); }
};

// Every objective is met and nothing blocks the end; the flag is always 1.
class GEventLevelCompleted : public TGameEvent<GameEventLevelCompleted> {
public:
    explicit GEventLevelCompleted(oskel::u8 flag = 1) : Flag(flag) {}
    oskel::u8 Flag;
};

// A level day has ended, after its income was paid.
class GEventDayEnded : public TGameEvent<GameEventDayEnded> {};

// The selected lot changed (either may be none); a lot that reports its own change gives itself
// twice.
class GEventBuildingSelected : public TGameEvent<GameEventBuildingSelected> {
public:
    GEventBuildingSelected(GBuildingNode* selected, GBuildingNode* previous)
        : Selected(selected), Previous(previous) {}
    GBuildingNode* Selected;
    GBuildingNode* Previous;
};

// Money, stock, workers, lots or factors changed.
class GEventLevelChanged : public TGameEvent<GameEventLevelChanged> {};

// A construction or upgrade ended: the lot and the type it now has.
class GEventBuildingBuilt : public TGameEvent<GameEventBuildingBuilt> {
public:
    GEventBuildingBuilt(GBuildingNode* building, GBuildingConfig* type)
        : Building(building), Type(type) {}
    GBuildingNode* Building;
    GBuildingConfig* Type;
};

// The events whose payload is one lot.
template <oskel::u32 Id>
class TBuildingEvent : public TGameEvent<Id> {
public:
    explicit TBuildingEvent(GBuildingNode* building) : Building(building) {}
    GBuildingNode* Building;
};

class GEventBuildingRepaired : public TBuildingEvent<GameEventBuildingRepaired> {
    using TBuildingEvent::TBuildingEvent;
};
class GEventBuildingCleaned : public TBuildingEvent<GameEventBuildingCleaned> {
    using TBuildingEvent::TBuildingEvent;
};
class GEventCustomServeDone : public TBuildingEvent<GameEventCustomServeDone> {
    using TBuildingEvent::TBuildingEvent;
};
class GEventBuildingProcessEnded : public TBuildingEvent<GameEventBuildingProcessEnded> {
    using TBuildingEvent::TBuildingEvent;
};
class GEventBuildingDestroyed : public TBuildingEvent<GameEventBuildingDestroyed> {
    using TBuildingEvent::TBuildingEvent;
};

// A boosted-income tick of a lot's feature.
class GEventBuildingIncome : public TGameEvent<GameEventBuildingIncome> {
public:
    GEventBuildingIncome(GBuildingNode* building, oskel::f32 amount)
        : Building(building), Amount(amount) {}
    GBuildingNode* Building;
    oskel::f32 Amount;
};

// A feature of the lot was used (the index of the feature in its type).
class GEventBuildingFeatureUsed : public TGameEvent<GameEventBuildingFeatureUsed> {
public:
    GEventBuildingFeatureUsed(GBuildingNode* building, oskel::s32 featureIndex)
        : Building(building), FeatureIndex(featureIndex) {}
    GBuildingNode* Building;
    oskel::s32 FeatureIndex;
};

// An aborted process gives back what it had taken.
class GEventResourcesReturned : public TGameEvent<GameEventResourcesReturned> {
public:
    GEventResourcesReturned(GBuildingNode* building, oskel::f32 materials, oskel::s32 workers)
        : Building(building), Materials(materials), Workers(workers) {}
    GBuildingNode* Building;
    oskel::f32 Materials;
    oskel::s32 Workers;
};

// The base of the requests that act on a matching lot: the building types and the place names
// that match (an empty list matches every one). Made with empty lists that the sender fills.
class GEventRequest : public TGameEvent<GameEventRequest> {
public:
    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::array<oskel::CNameId> PlaceNames;
};

class GEventSellRequest : public TGameEvent<GameEventSellRequest, GEventRequest> {};
class GEventBrokenRequest : public TGameEvent<GameEventBrokenRequest, GEventRequest> {};
class GEventDirtyRequest : public TGameEvent<GameEventDirtyRequest, GEventRequest> {};
class GEventCafeRequest : public TGameEvent<GameEventCafeRequest, GEventRequest> {};

// A money letter over a matching lot: the money and the time it waits, each (minimum, maximum),
// the wait in milliseconds.
class GEventLetterRequest : public TGameEvent<GameEventLetterRequest, GEventRequest> {
public:
    using Range = std::pair<oskel::f32, oskel::f32>;
    GEventLetterRequest(const Range& moneyRange, const Range& waitTimeRange)
        : MoneyRange(moneyRange), WaitTimeRange(waitTimeRange) {}
    Range MoneyRange;
    Range WaitTimeRange;
};

// The tutorial pauses (1) or resumes (0) the level.
class GEventTutorialFlag : public TGameEvent<GameEventTutorialFlag> {
public:
    explicit GEventTutorialFlag(oskel::u8 pause) : Pause(pause) {}
    oskel::u8 Pause;
};

// Does the player own a lot of one of the types? The query keeps its own copy of the list and
// starts with the answer false; the level scene sets it.
class GEventHasBuildingQuery : public TGameEvent<GameEventHasBuildingQuery> {
public:
    explicit GEventHasBuildingQuery(const oskel::array<oskel::CNameId>& buildingTypes)
        : BuildingTypes(buildingTypes) {}
    oskel::array<oskel::CNameId> BuildingTypes;
    bool Answer = false;
};

// Weather for a time drawn by the level scene from the range (milliseconds).
class GEventWeatherRequest : public TGameEvent<GameEventWeatherRequest> {
public:
    GEventWeatherRequest(oskel::s32 minimumMs, oskel::s32 maximumMs)
        : MinimumMs(minimumMs), MaximumMs(maximumMs) {}
    oskel::s32 MinimumMs;
    oskel::s32 MaximumMs;
};

}  // namespace brasquel
