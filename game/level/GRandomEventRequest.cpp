#include "game/level/GRandomEventRequest.h"

#include <string>
#include <type_traits>

#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/io/CXmlReader.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GLevelText.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;
using config::narrowAttribute;

namespace {

s32 draw(const SIntRange& range) { return CRandom::instance().nextInt(range.first, range.second); }

bool isZero(const SIntRange& range) { return range.first == 0 && range.second == 0; }

SFloatRange readFloatRange(const CXmlReader* reader, const wchar_t* name) {
    const vector2df value = parseVector2dW(reader->getAttributeValue(name));
    return {value.X, value.Y};
}

}  // namespace

SIntRange readTimeRange(const CXmlReader* reader, const wchar_t* name) {
    SIntRange range = parseIntRange(reader->getAttributeValue(name));
    if (range.first > range.second) {
        // Drawn as it stands, the difference would wrap to a wait of weeks.
        std::string text = "A random event's ";
        text += toUtf8(name);
        text += " is given backwards (" + std::to_string(range.first) + " before " +
                std::to_string(range.second) + "): read as " + std::to_string(range.second) +
                " to " + std::to_string(range.first);
        CLogger::instance().log(text.c_str(), LogWarning);
        std::swap(range.first, range.second);
    }
    return range;
}

void GRandomEventRequest::stop() {
    m_target = nullptr;
    setUpdateSource(nullptr);
}

void GRandomEventRequest::resume(CTimerScheduler* source) {
    if (isRunning()) setUpdateSource(source);
}

void GRandomEventRequest::attach(CEventReceiver* target, CTimerScheduler* source) {
    m_finished = false;
    m_target = target;
    setUpdateSource(source);
}

void GRandomEventRequest::fire() {
    if (!m_target) return;
    CRefPtr<CEvent> event = createEvent();
    if (!event) return;
    // The target may stop this request while it handles the event.
    CRefPtr<GRandomEventRequest> keep(this);
    CEventReceiver* target = m_target;
    if (!target->onEvent(event.get())) target->routeToParent(DispatchSelfThenParents, event.get());
}

bool GOneTimeRequest::update(u32 elapsedMs) {
    if (m_paused) return true;
    m_wait -= static_cast<s32>(elapsedMs);
    if (m_wait > 0) return true;
    m_finished = true;
    fire();  // nothing without a target
    return false;
}

void GOneTimeRequest::start(CEventReceiver* target, CTimerScheduler* source) {
    m_wait = draw(TimeRange);
    attach(target, source);
}

void GOneTimeRequest::read(CXmlReader* reader) { TimeRange = readTimeRange(reader, L"TimeRange"); }

bool GRegularRequest::update(u32 elapsedMs) {
    if (m_paused) return true;
    const s32 ms = static_cast<s32>(elapsedMs);
    if (m_lifetime > 0) {
        m_lifetime -= ms;
        if (m_lifetime <= 0) {
            m_lifetime = 1;
            m_finished = true;
            return false;
        }
    }
    m_wait -= ms;
    if (m_wait >= 0) return true;
    fire();
    m_wait = draw(PeriodRange);
    return true;
}

void GRegularRequest::start(CEventReceiver* target, CTimerScheduler* source) {
    m_wait = draw(isZero(FirstTimeRange) ? PeriodRange : FirstTimeRange);
    if (!isZero(LastTimeRange)) m_lifetime = draw(LastTimeRange);
    attach(target, source);
}

void GRegularRequest::read(CXmlReader* reader) {
    FirstTimeRange = readTimeRange(reader, L"FirstTimeRange");
    LastTimeRange = readTimeRange(reader, L"LastTimeRange");
    PeriodRange = readTimeRange(reader, L"PeriodRange");
}

template <class Timing, class Event>
void TBuildingRequest<Timing, Event>::read(CXmlReader* reader) {
    Timing::read(reader);
    BuildingTypes = parseNameIdList(narrowAttribute(reader, L"BuildingTypes"));
    PlaceNames = parseNameIdList(narrowAttribute(reader, L"PlaceNames"));
}

template <class Timing, class Event>
CRefPtr<Event> TBuildingRequest<Timing, Event>::createRequest() const {
    CRefPtr<Event> event;
    if constexpr (std::is_same_v<Event, GEventLetterRequest>) {
        const auto* letter = static_cast<const TLetterRequest<Timing>*>(this);
        event = makeEvent<Event>(letter->MoneyRange, letter->WaitTimeRange);
    } else {
        event = makeEvent<Event>();
    }
    event->BuildingTypes = BuildingTypes;
    event->PlaceNames = PlaceNames;
    return event;
}

template <class Timing, class Event>
CRefPtr<CEvent> TBuildingRequest<Timing, Event>::createEvent() const {
    return CRefPtr<CEvent>(createRequest());
}

template <class Timing>
void TLetterRequest<Timing>::read(CXmlReader* reader) {
    TBuildingRequest<Timing, GEventLetterRequest>::read(reader);
    MoneyRange = readFloatRange(reader, L"MoneyRange");
    WaitTimeRange = readFloatRange(reader, L"WaitTimeRange");
}

template class TBuildingRequest<GOneTimeRequest, GEventSellRequest>;
template class TBuildingRequest<GRegularRequest, GEventSellRequest>;
template class TBuildingRequest<GOneTimeRequest, GEventBrokenRequest>;
template class TBuildingRequest<GRegularRequest, GEventBrokenRequest>;
template class TBuildingRequest<GOneTimeRequest, GEventDirtyRequest>;
template class TBuildingRequest<GRegularRequest, GEventDirtyRequest>;
template class TBuildingRequest<GOneTimeRequest, GEventCafeRequest>;
template class TBuildingRequest<GRegularRequest, GEventCafeRequest>;
template class TBuildingRequest<GOneTimeRequest, GEventLetterRequest>;
template class TBuildingRequest<GRegularRequest, GEventLetterRequest>;
template class TLetterRequest<GOneTimeRequest>;
template class TLetterRequest<GRegularRequest>;

void RegularWeatherEffectRequest::read(CXmlReader* reader) {
    GRegularRequest::read(reader);
    DurationTimeRange = readTimeRange(reader, L"DurationTimeRange");
}

CRefPtr<CEvent> RegularWeatherEffectRequest::createEvent() const {
    return CRefPtr<CEvent>(
        makeEvent<GEventWeatherRequest>(DurationTimeRange.first, DurationTimeRange.second));
}

namespace {

template <class T>
GRandomEventRequest* create() {
    return new T();
}

struct SRequestKind {
    const wchar_t* name;
    GRandomEventRequest* (*create)();
};

const SRequestKind kRequestKinds[] = {
    {L"OneTimeSellBuildingRequest", create<OneTimeSellBuildingRequest>},
    {L"RegularSellBuildingRequest", create<RegularSellBuildingRequest>},
    {L"OneTimeBrokenBuildingRequest", create<OneTimeBrokenBuildingRequest>},
    {L"RegularBrokenBuildingRequest", create<RegularBrokenBuildingRequest>},
    {L"OneTimeDirtyBuildingRequest", create<OneTimeDirtyBuildingRequest>},
    {L"RegularDirtyBuildingRequest", create<RegularDirtyBuildingRequest>},
    {L"OneTimeCafeBuildingRequest", create<OneTimeCafeBuildingRequest>},
    {L"RegularCafeBuildingRequest", create<RegularCafeBuildingRequest>},
    {L"OneTimeLetterRequest", create<OneTimeLetterRequest>},
    {L"RegularLetterRequest", create<RegularLetterRequest>},
    {L"RegularWeatherEffectRequest", create<RegularWeatherEffectRequest>},
};

}  // namespace

GRandomEventRequest* createRandomEventRequest(const stringw& typeName) {
    for (const SRequestKind& kind : kRequestKinds)
        if (typeName == stringw(kind.name)) return kind.create();
    return nullptr;
}

GRandomEventList::~GRandomEventList() { clear(); }

void GRandomEventList::clear() {
    // A request still on a scheduler leaves it: nothing calls a released request.
    for (u32 i = 0; i < m_requests.size(); ++i) m_requests[i]->stop();
    m_requests.clear();
}

bool GRandomEventList::read(CXmlReader* reader) {
    clear();
    if (!reader) return false;
    if (isElement(reader, L"RandomEvents") && reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (isElementEnd(reader, L"RandomEvents")) return true;
        if (!isElement(reader, L"Event")) continue;
        GRandomEventRequest* request = createRandomEventRequest(reader->getAttributeValue(L"Type"));
        if (!request) continue;
        request->read(reader);
        m_requests.push_back(CRefPtr<GRandomEventRequest>::fromRaw(request));
    }
    return false;
}

void GRandomEventList::startAll(CEventReceiver* target, CTimerScheduler* source) {
    for (u32 i = 0; i < m_requests.size(); ++i) m_requests[i]->start(target, source);
}

void GRandomEventList::stopAll() {
    for (u32 i = 0; i < m_requests.size(); ++i) m_requests[i]->stop();
}

void GRandomEventList::resumeAll(CTimerScheduler* source) {
    for (u32 i = 0; i < m_requests.size(); ++i) m_requests[i]->resume(source);
}

void GRandomEventList::setPaused(bool paused) {
    for (u32 i = 0; i < m_requests.size(); ++i) m_requests[i]->setPaused(paused);
}

}  // namespace brasquel
