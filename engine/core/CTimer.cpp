#include "engine/core/CTimer.h"

namespace oskel {

CTimer::CTimer(std::unique_ptr<IClock> clock) : m_clock(std::move(clock)) {
    if (!m_clock) m_clock = std::make_unique<CMonotonicClock>();
    tick();
    m_startRealTime = m_realTime;
    m_virtualTime = static_cast<u32>(m_realTime);
}

void CTimer::tick() { m_realTime = m_clock->nowMs(); }

u32 CTimer::getTime() const {
    if (m_stopped) return m_virtualTime;
    return m_virtualTime + static_cast<u32>(m_realTime - m_startRealTime);
}

void CTimer::setTime(u32 time) {
    m_virtualTime = time;
    m_startRealTime = m_realTime;
}

void CTimer::stop() {
    if (m_stopped) return;
    m_virtualTime = getTime();
    m_stopped = true;
}

void CTimer::start() {
    if (!m_stopped) return;
    m_stopped = false;
    m_startRealTime = m_realTime;
}

}  // namespace oskel
