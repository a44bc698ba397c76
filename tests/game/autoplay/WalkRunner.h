#pragma once

// Runs a walk inside the running game: a turn hook of the device looks at the live tree and
// acts when a step's condition holds (input goes through the window system's queue); a device
// receiver counts the update steps and takes the shots after the frames are drawn.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/image/CImage.h"
#include "tests/game/autoplay/InputInjector.h"
#include "tests/game/autoplay/LiveTree.h"
#include "tests/game/autoplay/MiniGamePlayer.h"
#include "tests/game/autoplay/Playthrough.h"
#include "tests/game/autoplay/Walk.h"

namespace oskel {
class IDevice;
class IVideoDriver;
}  // namespace oskel

namespace brasquel {
class GTutorialController;
}  // namespace brasquel

namespace brasquel::autoplay {

// The log lines of the run, kept while the recorder is installed; they still go where they went
// before (standard error by default). Lines may come from any thread.
class CLogRecorder {
public:
    struct SLine {
        std::string text, hint;
        oskel::s32 level;
        bool hasHint;
    };
    void install();
    void uninstall();
    ~CLogRecorder() { uninstall(); }

    // The index of the first line at or after start with that text (and hint, when given), or -1.
    long find(size_t start, const std::string& text, const std::string* hint) const;
    size_t size() const;
    // The number of warning and error lines; the first few of them, one a line, in lines.
    size_t warnings(std::string& lines) const;

private:
    mutable std::mutex m_mutex;
    std::vector<SLine> m_lines;
    bool m_installed = false;
    oskel::CLogger::OutputHook m_previous;
};

struct SRunnerOptions {
    // A step not done within this much game time fails the walk.
    oskel::u32 stepGameTimeoutMs = 30000;
    // Nor within this much real time (game time stands still while the window is inactive).
    oskel::u32 stepRealTimeoutMs = 180000;
    // Keeps a shot under a name (none: shots are not kept).
    std::function<bool(oskel::CImage* image, const std::string& name)> saveShot;
    // Where progress and the failure report go.
    std::function<void(const std::string& text)> print;
    // The walk ends at its "short" step (quitting with exit code 0).
    bool shortForm = false;
    // The tutorial running on a top scene, for the "tutorial" steps (none: the one the play
    // screen, the map or the shop runs).
    std::function<brasquel::GTutorialController*(oskel::SceneNode* top)> findTutorial;
    // A tutorial step that waits for the level (a construction, an upgrade) may take this much
    // game time, and real time.
    oskel::u32 tutorialWaitMs = 300000;
};

class CWalkRunner : public oskel::CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    CWalkRunner(SWalk walk, SRunnerOptions options);
    ~CWalkRunner() override;

    // Starts driving the device and reading the scene manager's tree: a turn hook, a receiver of
    // the device's update and frame events, a screenshot user of the video driver, the log.
    void attach(oskel::IDevice* device, oskel::SceneManager* scenes);
    // Stops driving (done by the destructor too).
    void detach();
    // Starts keeping the log already (attach does it too): a walk can then expect the lines of
    // the game's start-up.
    void captureLog() { m_log.install(); }

    bool isFinished() const { return m_finished; }
    bool hasFailed() const { return m_failed; }
    // The exit code the quit step expects.
    int getExpectedExitCode() const { return m_expectedExitCode; }
    const std::string& getFailure() const { return m_failure; }
    size_t getStepIndex() const { return m_step; }
    const CLogRecorder& getLog() const { return m_log; }
    oskel::u32 getUpdateCount() const { return m_updates; }
    // The game time so far: the milliseconds the game's update steps have advanced it by. The
    // device's clock may run far ahead: a turn that lags behind it by more than the device lets
    // the game catch up on (a slow frame, a shot being written) advances the game by one step.
    oskel::u64 getGameTimeMs() const { return m_gameMs; }

    // The game has ended by itself: when the walk waits for that (its "ended" step), the walk is
    // done and expects the step's exit code.
    void gameEnded();
    // Fails the walk from outside (such as when the game ended before the walk did).
    void fail(const std::string& reason);

private:
    bool onUpdate(oskel::CEvent* event);
    bool onRender(oskel::CEvent* event);
    bool onVideoDriverReleasing(oskel::CEvent* event);
    bool onVideoDriverCreated(oskel::CEvent* event);

    // The device's turn: the current step acts when it can.
    void turn();
    // True when the top scene has finished its entry and no switch runs.
    bool isSettled();
    // Tries the current step; true when it is done.
    bool tryStep(const SWalkStep& step);
    bool pointerStep(const SWalkStep& step);
    bool expectation(const SWalkStep& step, std::string& why);
    bool checkShot(const SWalkStep& step, oskel::CImage* image, std::string& why);
    void nextStep();
    void finish();
    void say(const std::string& text);
    void registerScreenshotUser();
    void releaseScreenshotUser();

    SWalk m_walk;
    SRunnerOptions m_options;
    oskel::IDevice* m_device = nullptr;
    oskel::CRefPtr<oskel::SceneManager> m_scenes;
    CLiveTree m_tree{nullptr};
    CInputInjector m_input;
    CLogRecorder m_log;
    // The texts remembered per path for "expect changed".
    std::map<std::string, std::string> m_notedTexts;
    oskel::u32 m_turnHook = 0;
    oskel::IVideoDriver* m_shotDriver = nullptr;

    size_t m_step = 0;
    bool m_finished = false;
    bool m_failed = false;
    int m_expectedExitCode = 0;
    std::string m_failure;

    // Counted update steps and the game time they add up to; the step's start in game time, in
    // the device's clock, in real time and in updates.
    oskel::u32 m_updates = 0;
    oskel::u64 m_gameMs = 0;
    oskel::u64 m_stepStartGameMs = 0;
    oskel::u32 m_stepStartClockMs = 0;
    std::chrono::steady_clock::time_point m_stepStartReal;
    oskel::u32 m_stepStartUpdates = 0;
    bool m_stepStarted = false;
    // The settled top scene and the update count at which it was first seen settled.
    oskel::SceneNode* m_settledScene = nullptr;
    oskel::u32 m_settledSince = 0;
    bool m_wasSettled = false;
    // A step in several phases (pointer steps): the phase and the update count it waits for.
    int m_phase = 0;
    oskel::u32 m_phaseUpdates = 0;
    oskel::vector2df m_from, m_to;
    // Log steps search after the line the previous one found.
    size_t m_logCursor = 0;
    // A shot waits for the next frame.
    bool m_shotPending = false;
    oskel::CRefPtr<oskel::CImage> m_previousShot;
    int m_shotCount = 0;
    std::string m_lastWhy;

    // The mini-game steps: the player, and the game time the current step may take beyond the
    // step limit (the game's time limit).
    CMiniGamePlayer m_miniGame{m_tree, m_input};
    oskel::u32 m_stepExtraMs = 0;
    bool miniGameStep(const SWalkStep& step);

    // "clickthrough": the scene it clicks on and the game time of its last click.
    bool clickThroughStep(const SWalkStep& step);
    // "wait scene ... dismissing ..."; "tutorial skip".
    bool waitSceneStep(const SWalkStep& step);
    bool tutorialSkipStep();
    // Starts a click at the node's centre: the move and the press now, the release by
    // releaseClick at a turn after the next update step (the phase becomes 2, then 1).
    void pressAt(oskel::BaseNode* node);
    // The release of a click begun by pressAt, once an update step has passed; true while it
    // is still on its way.
    bool releaseClick();

    // "playthrough": the planner of the running playthrough, and what it is shown.
    bool playthroughStep(const SWalkStep& step);
    SPlaythroughView viewOfGame() const;
    std::unique_ptr<CPlaythrough> m_playthrough;
    oskel::SceneNode* m_clickScene = nullptr;
    oskel::u64 m_lastClickMs = 0;

    // ---- Following the tutorial (WalkTutorial.cpp) ----
    // The tutorial running on the top scene, or none.
    GTutorialController* runningTutorial() const;
    // The limits of a step: longer for a tutorial step that waits for the level.
    oskel::u32 stepGameTimeoutMs(const SWalkStep& step) const;
    long long stepRealTimeoutMs(const SWalkStep& step) const;
    // "tutorial step": its phases; true when another step is current.
    bool tutorialStep(const SWalkStep& step);
    // Looks at the current step: its window, its arrows, its target; false (with why) when the
    // step is not yet ready or fails.
    bool examineTutorialStep();
    // The other "tutorial" steps.
    bool tutorialExpectation(const SWalkStep& step, std::string& why);
    // A frame of a tutorial step's shot has been drawn.
    void tutorialFrame();

    struct STutorialPlay {
        const GTutorialController* controller = nullptr;  // compared, never used
        const oskel::SceneNode* scene = nullptr;          // compared, never used
        oskel::s32 index = 0;
        bool click = false;  // the target is clicked
        bool hover = false;  // the target is hovered
        bool stray = false;  // a click away from the target comes first
        oskel::vector2df target, away;
        // The shot: 1 waits for the frame without the arrows and the window, 2 for the frame
        // with them.
        int shot = 0;
        oskel::CRefPtr<oskel::CImage> bare;
        std::vector<oskel::rectf> drawn;  // the arrows' and the window's rectangles
        bool windowWasVisible = false;
    } m_tutorial;
};

}  // namespace brasquel::autoplay
