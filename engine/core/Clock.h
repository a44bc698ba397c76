#pragma once

#include <cstdint>

namespace oskel {

// A source of real time in milliseconds that never goes backwards.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint64_t nowMs() = 0;
};

// The system's monotonic clock.
class CMonotonicClock : public IClock {
public:
    uint64_t nowMs() override;
};

// Suspends the calling thread for the milliseconds.
void sleepMs(uint32_t ms);

}  // namespace oskel
