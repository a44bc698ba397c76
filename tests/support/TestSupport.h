#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/core/Clock.h"

namespace oskel::test {

// Captures the engine's log while it lives; the previous output comes back afterwards.
class LogCapture {
public:
    struct Line {
        std::string text;
        std::string hint;
        s32 level;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Line>& lines() const { return m_lines; }
    // True when a line with exactly this text (and level, unless -1) was logged.
    bool contains(const std::string& text, s32 level = -1) const;
    void clear() { m_lines.clear(); }

private:
    std::vector<Line> m_lines;
    CLogger::OutputHook m_previous;
};

// A clock that moves only when told to. The shared state lets a test keep stepping the clock
// after handing it to a timer.
class SteppedClock : public IClock {
public:
    explicit SteppedClock(uint64_t* now) : m_now(now) {}
    uint64_t nowMs() override { return *m_now; }

private:
    uint64_t* m_now;
};

// True when the test command provides a display (it sets OSKEL_TEST_DISPLAY): then windows,
// OpenGL contexts, drivers and the features Mesa's software renderer offers must be there.
bool displayRequired();

}  // namespace oskel::test

// Leaves a test that has nothing to work on: a failure when the display is required (the test
// command), a skip otherwise (a developer's machine without a display).
#define OSKEL_SKIP_WITHOUT_DISPLAY(reason)                                   \
    do {                                                                     \
        if (::oskel::test::displayRequired()) FAIL() << (reason);            \
        GTEST_SKIP() << (reason);                                            \
    } while (false)
