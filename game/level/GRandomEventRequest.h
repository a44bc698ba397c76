#pragma once

#include <utility>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/OskelTypes.h"
#include "game/level/GGameEvents.h"

namespace oskel {
class CEvent;
class CEventReceiver;
class CXmlReader;
}  // namespace oskel

namespace brasquel {

// How often the level's scheduler calls a request (ms).
constexpr oskel::u32 RandomEventRequestPeriodMs = 500;

// A range of whole milliseconds: minimum, maximum (drawn with the maximum excluded).
using SIntRange = std::pair<oskel::s32, oskel::s32>;
// A range of two floats: minimum, maximum.
using SFloatRange = std::pair<oskel::f32, oskel::f32>;

// A timed request of a level: waits a random time, then sends its request event to the level
// scene, which carries it out. One-time requests fire once; regular ones fire again and again
// and may end after a random lifetime. Requests are kept by the level configuration and driven
// by the level scene's scheduler every 500 ms.
class GRandomEventRequest : public oskel::IUpdateReceiver {
public:
    ~GRandomEventRequest() override = default;

    // Counts down and fires; false when the request has finished (the scheduler drops it).
    // While paused it counts nothing and stays on.
    bool update(oskel::u32 elapsedMs) override = 0;
    // Draws the waits, remembers the target and moves to the scheduler. Starting a finished
    // request puts it back with fresh waits.
    virtual void start(oskel::CEventReceiver* target, oskel::CTimerScheduler* source) = 0;
    // Forgets the target and leaves the scheduler.
    virtual void stop();
    // Reads the attributes of the "Event" element the reader stands on.
    virtual void read(oskel::CXmlReader* reader) = 0;

    // The tutorial holds the level's requests while it shows something.
    void setPaused(bool paused) { m_paused = paused; }
    bool isPaused() const { return m_paused; }
    oskel::CEventReceiver* getTarget() const { return m_target; }
    oskel::s32 getWait() const { return m_wait; }
    // Started, and not yet at its end (fired once, or past its lifetime) nor stopped.
    bool isRunning() const { return m_target != nullptr && !m_finished; }
    // Puts a running request back on the clock as it stands (no new waits).
    void resume(oskel::CTimerScheduler* source);

protected:
    GRandomEventRequest() : IUpdateReceiver(RandomEventRequestPeriodMs) {}

    // The kind's event with the request's payload.
    virtual oskel::CRefPtr<oskel::CEvent> createEvent() const = 0;
    // Sends the kind's event to the target: its own handling first, then its parents.
    void fire();
    void attach(oskel::CEventReceiver* target, oskel::CTimerScheduler* source);

    oskel::CEventReceiver* m_target = nullptr;
    oskel::s32 m_wait = 0;
    bool m_paused = false;
    bool m_finished = false;
};

// Reads a time range attribute: its first two numbers, fraction cut; missing numbers are 0. A
// range given backwards is swapped, with a warning naming the attribute.
SIntRange readTimeRange(const oskel::CXmlReader* reader, const wchar_t* name);

// A request that fires once, at the first update at which its wait has run out.
class GOneTimeRequest : public GRandomEventRequest {
public:
    bool update(oskel::u32 elapsedMs) override;
    void start(oskel::CEventReceiver* target, oskel::CTimerScheduler* source) override;
    void read(oskel::CXmlReader* reader) override;

    SIntRange TimeRange{0, 0};
};

// A request that fires whenever its wait has become negative, then waits a period again; with a
// lifetime it ends once the lifetime has passed.
class GRegularRequest : public GRandomEventRequest {
public:
    bool update(oskel::u32 elapsedMs) override;
    void start(oskel::CEventReceiver* target, oskel::CTimerScheduler* source) override;
    void read(oskel::CXmlReader* reader) override;

    oskel::s32 getLifetime() const { return m_lifetime; }

    SIntRange FirstTimeRange{0, 0};
    SIntRange LastTimeRange{0, 0};
    SIntRange PeriodRange{0, 0};

protected:
    oskel::s32 m_lifetime = 0;  // ms; 0: unlimited
};

// A request about a matching lot: the building types and the place names it matches (an empty
// list matches all).
template <class Timing, class Event>
class TBuildingRequest : public Timing {
public:
    void read(oskel::CXmlReader* reader) override;

    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::array<oskel::CNameId> PlaceNames;

protected:
    oskel::CRefPtr<oskel::CEvent> createEvent() const override;
    // The event with the request's lists.
    oskel::CRefPtr<Event> createRequest() const;
};

// A money letter over a matching lot.
template <class Timing>
class TLetterRequest : public TBuildingRequest<Timing, GEventLetterRequest> {
public:
    void read(oskel::CXmlReader* reader) override;

    SFloatRange MoneyRange{0.0f, 0.0f};
    SFloatRange WaitTimeRange{0.0f, 0.0f};  // ms
};

class OneTimeSellBuildingRequest final
    : public TBuildingRequest<GOneTimeRequest, GEventSellRequest> {};
class RegularSellBuildingRequest final
    : public TBuildingRequest<GRegularRequest, GEventSellRequest> {};
class OneTimeBrokenBuildingRequest final
    : public TBuildingRequest<GOneTimeRequest, GEventBrokenRequest> {};
class RegularBrokenBuildingRequest final
    : public TBuildingRequest<GRegularRequest, GEventBrokenRequest> {};
class OneTimeDirtyBuildingRequest final
    : public TBuildingRequest<GOneTimeRequest, GEventDirtyRequest> {};
class RegularDirtyBuildingRequest final
    : public TBuildingRequest<GRegularRequest, GEventDirtyRequest> {};
class OneTimeCafeBuildingRequest final
    : public TBuildingRequest<GOneTimeRequest, GEventCafeRequest> {};
class RegularCafeBuildingRequest final
    : public TBuildingRequest<GRegularRequest, GEventCafeRequest> {};
class OneTimeLetterRequest final : public TLetterRequest<GOneTimeRequest> {};
class RegularLetterRequest final : public TLetterRequest<GRegularRequest> {};

// Weather for a time the level scene draws from the range.
class RegularWeatherEffectRequest final : public GRegularRequest {
public:
    void read(oskel::CXmlReader* reader) override;

    SIntRange DurationTimeRange{0, 0};  // ms

protected:
    oskel::CRefPtr<oskel::CEvent> createEvent() const override;
};

// A new request (one reference) of the kind whose "Type" equals the name exactly, or none.
[[nodiscard]] GRandomEventRequest* createRandomEventRequest(const oskel::stringw& typeName);

// The timed requests of a level, in the file's order.
class GRandomEventList : public virtual oskel::IReferenceCounted {
public:
    GRandomEventList() = default;
    ~GRandomEventList() override;
    GRandomEventList(const GRandomEventList&) = delete;
    GRandomEventList& operator=(const GRandomEventList&) = delete;

    // With the reader on the start of a "RandomEvents" element: replaces the requests with its
    // "Event" children of a known "Type" (others are skipped silently), up to its end. False
    // when the document ended first (what was read stays).
    bool read(oskel::CXmlReader* reader);
    // Every request: start, stop, pause.
    void startAll(oskel::CEventReceiver* target, oskel::CTimerScheduler* source);
    void stopAll();
    // Every running request back on the clock without new waits.
    void resumeAll(oskel::CTimerScheduler* source);
    void setPaused(bool paused);

    oskel::u32 size() const { return m_requests.size(); }
    GRandomEventRequest* get(oskel::u32 index) const { return m_requests[index].get(); }

private:
    void clear();
    oskel::array<oskel::CRefPtr<GRandomEventRequest>> m_requests;
};

}  // namespace brasquel
