#include "engine/core/Clock.h"

#include <chrono>
#include <thread>

namespace oskel {

uint64_t CMonotonicClock::nowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void sleepMs(uint32_t ms) {
    // sleep_for sleeps on after an interrupting signal.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace oskel
