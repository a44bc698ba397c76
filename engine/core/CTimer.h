#pragma once

#include <memory>

#include "engine/core/OskelTypes.h"
#include "engine/core/Clock.h"

namespace oskel {

// The device timer: real time read from a clock when tick() is called, and a virtual time that
// stands still while the timer is stopped. Times are unsigned 32-bit milliseconds.
class CTimer : public virtual IReferenceCounted {
public:
    // Uses the system's monotonic clock when none is given.
    explicit CTimer(std::unique_ptr<IClock> clock = nullptr);

    // Reads the clock.
    void tick();
    // The real time of the last tick.
    u32 getRealTime() const { return static_cast<u32>(m_realTime); }
    // The virtual time at the last tick.
    u32 getTime() const;
    void setTime(u32 time);
    void stop();
    void start();
    bool isStopped() const { return m_stopped; }

private:
    std::unique_ptr<IClock> m_clock;
    uint64_t m_realTime = 0;       // at the last tick
    uint64_t m_startRealTime = 0;  // real time when the virtual time was last set or resumed
    u32 m_virtualTime = 0;         // virtual time at m_startRealTime, or while stopped
    bool m_stopped = false;
};

}  // namespace oskel
