#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// Frames per second and primitives per frame, measured over intervals of real time. Fed once
// per frame with the real time in milliseconds and the frame's primitive count.
class CFPSCounter {
public:
    // The length of a measuring interval in milliseconds.
    static constexpr u32 MeasuringInterval = 1000;

    // Frames per second of the last complete interval (0 before the first one ends).
    s32 getFPS() const { return m_fps; }
    // Primitives per frame, averaged over the last complete interval.
    u32 getPrimitiveAverage() const { return m_primitiveAverage; }
    // Primitives of every registered frame.
    u32 getPrimitiveTotal() const { return m_primitiveTotal; }

    void registerFrame(u32 nowMs, u32 primitives);

private:
    s32 m_fps = 0;
    u32 m_primitiveAverage = 0;
    u32 m_primitiveTotal = 0;
    u32 m_intervalStart = 0;
    u32 m_intervalFrames = 0;
    u32 m_intervalPrimitives = 0;
    bool m_started = false;
};

}  // namespace oskel
