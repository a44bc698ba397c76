#include "engine/video/CFPSCounter.h"

namespace oskel {

void CFPSCounter::registerFrame(u32 nowMs, u32 primitives) {
    m_primitiveTotal += primitives;
    if (!m_started) {
        // The first frame only marks the start of the first interval: an interval counts the
        // frames that end after its start.
        m_started = true;
        m_intervalStart = nowMs;
        return;
    }
    ++m_intervalFrames;
    m_intervalPrimitives += primitives;

    const u32 elapsed = nowMs - m_intervalStart;  // unsigned: wraps with the clock
    if (elapsed < MeasuringInterval) return;

    // Frames counted over the elapsed time, rounded to the nearest whole frame per second.
    const unsigned long long scaled = static_cast<unsigned long long>(m_intervalFrames) * 1000ull;
    m_fps = static_cast<s32>((scaled + elapsed / 2) / elapsed);
    m_primitiveAverage = m_intervalPrimitives / m_intervalFrames;
    m_intervalStart = nowMs;
    m_intervalFrames = 0;
    m_intervalPrimitives = 0;
}

}  // namespace oskel
