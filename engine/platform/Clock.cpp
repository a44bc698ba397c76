#include "engine/platform/Clock.h"

#include <cerrno>
#include <ctime>

namespace oskel::platform {

uint64_t CMonotonicClock::nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void sleepMs(uint32_t ms) {
    timespec request{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

}  // namespace oskel::platform
