#pragma once

// The random mode of brasquel_autoplay: a careless player at the game. Every turn the device's
// clock moves on by a fixed 40 ms of game time (four 10 ms update steps) and the player does
// one thing the chooser picks from the seed and the scene on top (RandomPlay.h); the events of
// an action are taken by the game before the turn's update steps. So a run depends on its seed
// only: the seed is printed first, every action is logged, and the same seed replays the run.
// The run ends after a number of turns or of game minutes, or when the process is asked to end
// (SIGTERM); along the way it counts the scenes entered and the warning and error lines, and
// samples the resident memory every minute of game time.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/Clock.h"
#include "engine/core/event/CEventReceiver.h"
#include "tests/game/autoplay/InputInjector.h"
#include "tests/game/autoplay/LiveTree.h"
#include "tests/game/autoplay/RandomPlay.h"

namespace oskel {
class IDevice;
}

namespace brasquel::autoplay {

// A clock that stands still until it is moved on.
class CSteppedClock : public oskel::IClock {
public:
    explicit CSteppedClock(uint64_t startMs) : m_now(startMs) {}
    uint64_t nowMs() override { return m_now; }
    void advance(uint64_t ms) { m_now += ms; }

private:
    uint64_t m_now;
};

// Where a run's clock starts: from 10 s on, a point the seed picks within the first 1000 s (the
// game seeds its random generator from the clock).
uint64_t clockStartOf(uint64_t seed);

// The trend of the last samples of a series (all of them when there are fewer): the slope of
// their least-squares line per sample and their spread (the highest less the lowest).
struct SMemoryTrend {
    size_t samples = 0;
    double slope = 0.0;
    long spread = 0;
};
SMemoryTrend memoryTrend(const std::vector<long>& series, size_t last);

// The resident memory of this process in KB (0 when it cannot be read).
long residentKb();

struct SRandomOptions {
    uint64_t seed = 0;
    // The run ends after this many turns, or this many minutes of game time (0: no limit).
    uint64_t turns = 0;
    uint32_t gameMinutes = 0;
    // Bounds of the memory trend over the last TrendSamples samples, in KB per sample (a minute)
    // and KB; negative: not checked.
    double maxSlopeKb = -1.0;
    double maxSpreadKb = -1.0;
    // The tree of named nodes is printed at this turn (0: never), to see what a run met there.
    uint64_t treeAt = 0;
    // Where the action log and the summary go (standard output by default).
    std::function<void(const std::string& text)> print;
};

class CRandomRunner : public oskel::CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    static constexpr oskel::u32 TurnMs = 40;
    static constexpr oskel::u32 SampleEveryMs = 60000;
    static constexpr size_t TrendSamples = 40;
    // After this many turns in a row without an update step while the window is inactive, the
    // window is given the focus back (as a player clicking on it would).
    static constexpr oskel::u32 InactiveTurns = 50;
    // The developer access code, typed as the first action.
    static constexpr const char* AccessCode = "plumvast";

    CRandomRunner(SRandomOptions options, CSteppedClock* clock);
    ~CRandomRunner() override;

    // Starts hearing the log (before the game starts): scene entries and warnings are counted,
    // information lines are not printed.
    void installLog();
    // Starts playing: a turn hook, a receiver of the update steps.
    void attach(oskel::IDevice* device, oskel::SceneManager* scenes);
    void detach();

    // The game has ended with its exit code: prints the summary and returns the run's exit
    // code (0 when the run ended by its limit or a signal with the game's code 0 and the memory
    // within its bounds; 1 otherwise).
    int finish(int gameExitCode);

    oskel::u64 getTurns() const { return m_turns; }
    const std::map<std::string, oskel::u32>& getScenesEntered() const { return m_scenes; }
    const std::vector<long>& getMemorySamples() const { return m_memory; }

private:
    bool onUpdate(oskel::CEvent* event);
    void turn();
    void act();
    void say(const std::string& text);
    void logLine(const char* text, const char* hint, oskel::s32 level);

    SRandomOptions m_options;
    CSteppedClock* m_clock;
    CActionChooser m_chooser;
    oskel::IDevice* m_device = nullptr;
    oskel::CRefPtr<oskel::SceneManager> m_sceneManager;
    CLiveTree m_tree{nullptr};
    CInputInjector m_input;
    oskel::u32 m_turnHook = 0;

    oskel::u32 m_updates = 0;
    oskel::u32 m_updatesAtAdvance = 0;
    bool m_advanced = false;
    oskel::u32 m_inactiveTurns = 0;
    oskel::u64 m_turns = 0;
    oskel::u64 m_gameMs = 0;
    bool m_stopped = false;
    std::string m_endReason;
    // A click's release waits for the next turn.
    bool m_releasePending = false;
    oskel::s32 m_releaseX = 0, m_releaseY = 0;

    // From the log (any thread).
    std::mutex m_logMutex;
    bool m_logInstalled = false;
    oskel::CLogger::OutputHook m_previousLog;
    std::map<std::string, oskel::u32> m_scenes;
    oskel::u32 m_warnings = 0;
    std::vector<std::string> m_warningLines;
    bool m_signalled = false;

    std::vector<long> m_memory;
};

}  // namespace brasquel::autoplay
