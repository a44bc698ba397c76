#pragma once

#include <cstdint>

#include "engine/core/Clock.h"

namespace brasquel::autoplay {

// The monotonic clock sped up: from its making on, it runs the factor times as fast.
class CScaledClock : public oskel::IClock {
public:
    explicit CScaledClock(uint64_t factor) : m_factor(factor), m_start(m_base.nowMs()) {}
    uint64_t nowMs() override { return m_start + (m_base.nowMs() - m_start) * m_factor; }

private:
    oskel::CMonotonicClock m_base;
    uint64_t m_factor;
    uint64_t m_start;
};

}  // namespace brasquel::autoplay
