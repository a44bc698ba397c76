#include "tests/game/autoplay/WalkRunner.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <regex>

#include "engine/core/CNameTable.h"
#include "engine/core/ICursorControl.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/IDevice.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/video/IVideoDriver.h"
#include "game/app/GApplication.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/GShopScene.h"
#include "tests/game/autoplay/ShotChecks.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

// The receiver's place among the device's receivers: after everything that draws the frame.
constexpr s32 kRunnerPriority = 5000;

std::string yesNo(bool value) { return value ? "yes" : "no"; }

// A value as the step expects it: equal, or matching its pattern whole.
bool valueMatches(const SWalkStep& step, const std::string& value) {
    return step.pattern ? std::regex_match(value, std::regex(step.value)) : value == step.value;
}

bool needsSettledScene(const SWalkStep& step) {
    switch (step.kind) {
        case EStepKind::WaitTime:
        case EStepKind::ExpectText:
        case EStepKind::ExpectChanged:
        case EStepKind::ExpectNode:
        case EStepKind::Note:
        case EStepKind::Short:
        case EStepKind::ExpectVisible:
        case EStepKind::ExpectEnabled:
        case EStepKind::ExpectLog:
        case EStepKind::ExpectProfile:
        case EStepKind::ExpectSetting:
        case EStepKind::ExpectTitle:
        case EStepKind::ExpectCursor:
        case EStepKind::ExpectOpened:
        case EStepKind::ExpectPicture:
        case EStepKind::ExpectQuiet:
        case EStepKind::ExpectState:
            return false;
        default:
            return !step.anytime;
    }
}

// Steps whose action needs the effects of the step before delivered: at least one update step
// between the two. Waiting and expecting go by their conditions; a focus change may come while
// the game stands still.
bool needsAnUpdateFirst(const SWalkStep& step) {
    switch (step.kind) {
        case EStepKind::WaitTime:
        case EStepKind::Focus:
        case EStepKind::ExpectText:
        case EStepKind::ExpectChanged:
        case EStepKind::ExpectNode:
        case EStepKind::Note:
        case EStepKind::Short:
        case EStepKind::ExpectVisible:
        case EStepKind::ExpectEnabled:
        case EStepKind::ExpectLog:
        case EStepKind::ExpectProfile:
        case EStepKind::ExpectSetting:
        case EStepKind::ExpectTitle:
        case EStepKind::ExpectCursor:
        case EStepKind::ExpectOpened:
        case EStepKind::ExpectPicture:
        case EStepKind::ExpectQuiet:
        case EStepKind::ExpectState:
            return false;
        default:
            return true;
    }
}

}  // namespace

// ---- The log ----

void CLogRecorder::install() {
    if (m_installed) return;
    m_installed = true;
    m_previous = CLogger::instance().setOutputHook([this](const char* text, const char* hint,
                                                          s32 level) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(SLine{text ? text : "", hint ? hint : "", level, hint != nullptr});
        }
        if (m_previous) {
            m_previous(text, hint, level);
        } else {
            const char* name = level == LogInformation ? "info"
                               : level == LogWarning   ? "warning"
                               : level == LogError     ? "error"
                                                       : "log";
            if (hint)
                std::fprintf(stderr, "[%s] %s: %s\n", name, text, hint);
            else
                std::fprintf(stderr, "[%s] %s\n", name, text);
        }
    });
}

void CLogRecorder::uninstall() {
    if (!m_installed) return;
    m_installed = false;
    CLogger::instance().setOutputHook(std::move(m_previous));
    m_previous = nullptr;
}

long CLogRecorder::find(size_t start, const std::string& text, const std::string* hint) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = start; i < m_lines.size(); ++i)
        if (m_lines[i].text == text && (!hint || (m_lines[i].hasHint && m_lines[i].hint == *hint)))
            return static_cast<long>(i);
    return -1;
}

size_t CLogRecorder::warnings(std::string& lines) const {
    constexpr size_t kListed = 20;
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    lines.clear();
    for (const SLine& line : m_lines) {
        if (line.level != LogWarning && line.level != LogError) continue;
        if (++count > kListed) continue;
        lines += std::string("  [") + (line.level == LogWarning ? "warning" : "error") + "] " +
                 line.text + (line.hasHint ? ": " + line.hint : std::string()) + "\n";
    }
    return count;
}

size_t CLogRecorder::size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines.size();
}

// ---- The runner ----

OSKEL_BEGIN_EVENT_MAP(CWalkRunner, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowUpdate, onUpdate)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverReleasing, onVideoDriverReleasing)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverCreated, onVideoDriverCreated)
OSKEL_END_EVENT_MAP()

CWalkRunner::CWalkRunner(SWalk walk, SRunnerOptions options)
    : m_walk(std::move(walk)), m_options(std::move(options)) {
    setCategoryMask(CategorySystemFlow | CategoryDevice);
    if (!m_options.print)
        m_options.print = [](const std::string& text) { std::fprintf(stderr, "%s", text.c_str()); };
}

CWalkRunner::~CWalkRunner() { detach(); }

void CWalkRunner::attach(IDevice* device, SceneManager* scenes) {
    detach();
    m_device = device;
    m_scenes = CRefPtr<SceneManager>(scenes);
    m_tree = CLiveTree(scenes);
    m_log.install();
    if (!device) return;
    device->addEventReceiver(this, kRunnerPriority);
    m_turnHook = device->addTurnHook([this] { turn(); });
    registerScreenshotUser();
    say("Walk \"" + m_walk.name + "\": " + std::to_string(m_walk.steps.size()) + " steps\n");
}

void CWalkRunner::detach() {
    if (m_device) {
        releaseScreenshotUser();
        if (m_turnHook) m_device->removeTurnHook(m_turnHook);
        m_turnHook = 0;
        grab();  // the device may hold the last reference
        m_device->removeEventReceiver(this);
        m_device = nullptr;
        m_log.uninstall();
        drop();
        return;
    }
    m_log.uninstall();
}

void CWalkRunner::say(const std::string& text) { m_options.print(text); }

void CWalkRunner::registerScreenshotUser() {
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    if (driver == m_shotDriver) return;
    m_shotDriver = driver;
    if (driver) driver->addScreenShotUser();
}

bool CWalkRunner::onVideoDriverReleasing(CEvent*) {
    // The driver takes its users with it. Only this event tells: the next driver may be made at
    // the same address, and would then pass for the one already registered with.
    m_shotDriver = nullptr;
    return false;
}

bool CWalkRunner::onVideoDriverCreated(CEvent*) {
    // Registered before the new driver's first frame, so that frame is kept for the shots.
    if (m_device && !m_finished) registerScreenshotUser();
    return false;
}

void CWalkRunner::releaseScreenshotUser() {
    if (m_shotDriver && m_device && m_device->getVideoDriver() == m_shotDriver)
        m_shotDriver->removeScreenShotUser();
    m_shotDriver = nullptr;
}

void CWalkRunner::fail(const std::string& reason) {
    if (m_finished) return;
    m_failed = true;
    m_finished = true;
    m_shotPending = false;
    std::string report = "Walk \"" + m_walk.name + "\" failed";
    if (m_step < m_walk.steps.size()) {
        const SWalkStep& step = m_walk.steps[m_step];
        report += " at line " + std::to_string(step.line) + ": " + step.text;
    }
    report += "\n  " + reason + "\n" + m_tree.dump();
    m_failure = report;
    say(report);
    if (m_device) m_device->closeDevice();
}

void CWalkRunner::gameEnded() {
    if (m_finished || m_step >= m_walk.steps.size()) return;
    size_t index = m_step;
    // The action that ended the game may still be on its way (a click's release), its step not
    // yet done: the game has answered it.
    const EStepKind acting = m_walk.steps[index].kind;
    if (acting == EStepKind::Click || acting == EStepKind::Key || acting == EStepKind::KeyUp)
        ++index;
    if (index >= m_walk.steps.size()) return;
    const SWalkStep& step = m_walk.steps[index];
    if (step.kind != EStepKind::Ended) return;
    m_step = index;
    m_expectedExitCode = step.number;
    say("Walk \"" + m_walk.name + "\": the game ended, expecting exit code " +
        std::to_string(step.number) + "\n");
    finish();
}

void CWalkRunner::finish() {
    m_finished = true;
    say("Walk \"" + m_walk.name + "\" done\n");
}

void CWalkRunner::nextStep() {
    ++m_step;
    m_stepStarted = false;
    m_phase = 0;
    m_lastWhy.clear();
}

bool CWalkRunner::onUpdate(CEvent* event) {
    ++m_updates;
    m_gameMs += static_cast<CEventSystemFlowUpdate*>(event)->getElapsed();
    return false;
}

bool CWalkRunner::isSettled() {
    SceneNode* top = m_tree.getTopScene();
    if (!top || m_tree.isSwitchRunning()) {
        m_wasSettled = false;
        m_lastWhy = top ? "a scene switch is running" : "there is no scene";
        return false;
    }
    if (!m_wasSettled || top != m_settledScene) {
        // Its entry has just ended: the end of the switch still waits in the scene manager's
        // queue until the next update step delivers it.
        m_wasSettled = true;
        m_settledScene = top;
        m_settledSince = m_updates;
    }
    if (m_updates <= m_settledSince) {
        m_lastWhy = "the top scene's entry has just ended";
        return false;
    }
    return true;
}

void CWalkRunner::turn() {
    if (m_finished || !m_device) return;
    m_input.setWindow(m_device->getParameters().windowId);
    registerScreenshotUser();
    if (m_step >= m_walk.steps.size()) {
        finish();
        return;
    }
    const SWalkStep& step = m_walk.steps[m_step];
    // A step of the other form is passed over.
    if (step.form != EWalkForm::Both && (step.form == EWalkForm::Short) != m_options.shortForm) {
        nextStep();
        return;
    }
    const u32 clockNow = m_device->getTimer()->getTime();
    if (!m_stepStarted) {
        m_stepStarted = true;
        m_stepStartGameMs = m_gameMs;
        m_stepStartClockMs = clockNow;
        m_stepStartReal = std::chrono::steady_clock::now();
        m_stepStartUpdates = m_updates;
        m_phase = 0;
        m_lastWhy.clear();
        m_stepExtraMs = 0;
    }
    m_miniGame.observe(m_tree.getTopScene());
    const u64 gameElapsed = m_gameMs - m_stepStartGameMs;
    const auto realElapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - m_stepStartReal)
                                 .count();
    if (gameElapsed > static_cast<u64>(stepGameTimeoutMs(step)) + m_stepExtraMs ||
        realElapsed > stepRealTimeoutMs(step)) {
        fail("Not done within " + std::to_string(gameElapsed) + " ms of game time (" +
             std::to_string(clockNow - m_stepStartClockMs) + " ms of the device's clock, " +
             std::to_string(realElapsed) + " ms of real time)" +
             (m_lastWhy.empty() ? std::string() : ": " + m_lastWhy));
        return;
    }
    if (m_phase == 0 && needsAnUpdateFirst(step) && m_updates <= m_stepStartUpdates) {
        m_lastWhy = "no update step yet since the step before";
        return;
    }
    if (m_phase == 0 && needsSettledScene(step) && !isSettled()) return;
    if (tryStep(step) && !m_finished) nextStep();
}

bool CWalkRunner::tryStep(const SWalkStep& step) {
    switch (step.kind) {
        case EStepKind::WaitScene:
            return waitSceneStep(step);
        case EStepKind::WaitMiniGame: {
            SceneNode* top = m_tree.getTopScene();
            if (top && top->isKindOf(GameNodeTypeMiniGameScene)) return true;
            m_lastWhy = "the top scene is " +
                        (top ? toUtf8(top->getClassName().c_str()) : std::string("none")) +
                        ", not a mini-game";
            return false;
        }
        case EStepKind::TutorialSkip:
            return tutorialSkipStep();
        case EStepKind::Playthrough:
            return playthroughStep(step);
        case EStepKind::Back: {
            SceneNode* top = m_tree.getTopScene();
            const std::string kind = top ? toUtf8(top->getClassName().c_str()) : std::string();
            if (kind == step.name) return m_phase == 0 || isSettled();
            if (m_phase == 0) {
                SKeyStroke escape;
                std::string error;
                if (!parseKeyStroke("Escape", escape, error) || !m_input.keyDown(escape) ||
                    !m_input.keyUp(escape)) {
                    fail("Escape was not queued: " + (error.empty() ? m_input.getError() : error));
                    return false;
                }
                m_phase = 1;
            }
            m_lastWhy = "the top scene is " + (kind.empty() ? std::string("none") : kind);
            return false;
        }
        case EStepKind::WaitTime: {
            const u64 elapsed = m_gameMs - m_stepStartGameMs;
            m_lastWhy = std::to_string(elapsed) + " ms have passed";
            return elapsed >= static_cast<u64>(step.number);
        }
        case EStepKind::Click:
        case EStepKind::Hover:
        case EStepKind::Drag:
            return pointerStep(step);
        case EStepKind::Key:
        case EStepKind::KeyDown:
        case EStepKind::KeyUp: {
            SKeyStroke stroke;
            std::string error;
            if (!parseKeyStroke(step.name, stroke, error)) {
                fail(error);
                return false;
            }
            bool ok = true;
            if (step.kind != EStepKind::KeyUp) ok = m_input.keyDown(stroke);
            if (ok && step.kind != EStepKind::KeyDown) ok = m_input.keyUp(stroke);
            if (!ok) fail("The key was not queued: " + m_input.getError());
            return ok;
        }
        case EStepKind::Text: {
            std::vector<char32_t> characters;
            if (!decodeUtf8(step.name, characters)) {
                fail("The text is not UTF-8");
                return false;
            }
            for (char32_t c : characters)
                if (!m_input.typeCharacter(c)) {
                    fail("The text was not queued: " + m_input.getError());
                    return false;
                }
            return true;
        }
        case EStepKind::Focus:
            if (!m_input.focus(step.flag)) {
                fail("The focus change was not queued: " + m_input.getError());
                return false;
            }
            return true;
        case EStepKind::ExpectText:
        case EStepKind::ExpectChanged:
        case EStepKind::ExpectNode:
        case EStepKind::Note:
        case EStepKind::ExpectVisible:
        case EStepKind::ExpectEnabled:
        case EStepKind::ExpectLog:
        case EStepKind::ExpectProfile:
        case EStepKind::ExpectSetting:
        case EStepKind::ExpectTitle:
        case EStepKind::ExpectCursor:
        case EStepKind::ExpectOpened:
        case EStepKind::ExpectPicture:
        case EStepKind::ExpectState:
            return expectation(step, m_lastWhy);
        case EStepKind::ExpectQuiet: {
            std::string lines;
            const size_t count = m_log.warnings(lines);
            if (count == 0) return true;
            fail(std::to_string(count) + " warning or error lines were logged:\n" + lines);
            return false;
        }
        case EStepKind::Short:
            if (!m_options.shortForm) return true;
            m_expectedExitCode = 0;
            say("Walk \"" + m_walk.name + "\": the short form ends, expecting exit code 0\n");
            finish();
            m_device->closeDevice();
            return true;
        case EStepKind::Shot:
            // The render handler takes the shot after the next frame and moves on.
            m_shotPending = true;
            m_lastWhy = "no frame drawn yet";
            return false;
        case EStepKind::Ended:
            m_lastWhy = "the game has not ended";
            return false;
        case EStepKind::MiniGame:
            return miniGameStep(step);
        case EStepKind::ClickThrough:
            return clickThroughStep(step);
        case EStepKind::TutorialStep:
            return tutorialStep(step);
        case EStepKind::TutorialShown:
        case EStepKind::TutorialTip:
        case EStepKind::TutorialOver:
            return tutorialExpectation(step, m_lastWhy);
        case EStepKind::Quit:
            m_expectedExitCode = step.number;
            say("Walk \"" + m_walk.name + "\": quit, expecting exit code " +
                std::to_string(step.number) + "\n");
            finish();
            m_device->closeDevice();
            return true;
    }
    return false;
}

bool CWalkRunner::pointerStep(const SWalkStep& step) {
    // The phases: each one pushes one event, and the next waits for an update step, so the
    // device has taken the event and the game has seen it.
    if (m_phase > 0 && m_updates <= m_phaseUpdates) return false;
    auto pushed = [&](bool ok) {
        if (!ok) fail("The pointer event was not queued: " + m_input.getError());
        m_phaseUpdates = m_updates;
        ++m_phase;
        return false;
    };
    if (m_phase == 0) {
        BaseNode* node = m_tree.findNode(step.target.path);
        if (!node) {
            m_lastWhy = "no node \"" + step.target.path + "\" below the top scene";
            return false;
        }
        m_from = CLiveTree::windowPoint(node, step.target);
        if (step.kind == EStepKind::Drag) {
            BaseNode* end = m_tree.findNode(step.to.path);
            if (!end) {
                m_lastWhy = "no node \"" + step.to.path + "\" below the top scene";
                return false;
            }
            m_to = CLiveTree::windowPoint(end, step.to);
        }
        const s32 x = static_cast<s32>(m_from.X), y = static_cast<s32>(m_from.Y);
        m_input.warpPointer(x, y);
        return pushed(m_input.mouseMove(x, y, false));
    }
    const s32 x = static_cast<s32>(m_from.X), y = static_cast<s32>(m_from.Y);
    const s32 tx = static_cast<s32>(m_to.X), ty = static_cast<s32>(m_to.Y);
    if (step.kind == EStepKind::Hover) return m_phase >= 1;
    if (step.kind == EStepKind::Click) {
        if (m_phase == 1) return pushed(m_input.mouseButton(x, y, true));
        if (m_phase == 2) return pushed(m_input.mouseButton(x, y, false));
        return true;
    }
    // A drag: press, half way, all the way, release.
    if (m_phase == 1) return pushed(m_input.mouseButton(x, y, true));
    if (m_phase == 2) {
        m_input.warpPointer((x + tx) / 2, (y + ty) / 2);
        return pushed(m_input.mouseMove((x + tx) / 2, (y + ty) / 2, true));
    }
    if (m_phase == 3) {
        m_input.warpPointer(tx, ty);
        return pushed(m_input.mouseMove(tx, ty, true));
    }
    if (m_phase == 4) return pushed(m_input.mouseButton(tx, ty, false));
    return true;
}

bool CWalkRunner::clickThroughStep(const SWalkStep& step) {
    constexpr u32 kClickPeriodMs = 500;
    SceneNode* top = m_tree.getTopScene();
    if (step.flag) {
        BaseNode* node = m_tree.findNode(step.to.path);
        if (node && CLiveTree::describe(node).visible) return true;
    } else if (top && toUtf8(top->getClassName().c_str()) == step.name) {
        return true;
    }
    const u64 now = m_gameMs;
    if (m_phase == 0) {
        m_clickScene = top;
        m_lastClickMs = now - kClickPeriodMs;
        m_phase = 1;
    }
    // A click on its way: its release at the next turn after an update.
    if (m_phase == 2) {
        if (m_updates <= m_phaseUpdates) return false;
        if (!m_input.mouseButton(static_cast<s32>(m_from.X), static_cast<s32>(m_from.Y), false))
            fail("The pointer event was not queued: " + m_input.getError());
        m_phase = 1;
        return false;
    }
    m_lastWhy = step.flag ? "\"" + step.to.path + "\" is not visible"
                          : "the top scene is " +
                                (top ? toUtf8(top->getClassName().c_str()) : std::string("none"));
    if (top != m_clickScene || !isSettled() || now - m_lastClickMs < kClickPeriodMs) return false;
    BaseNode* node = m_tree.findNode(step.target.path);
    if (!node) {
        m_lastWhy = "no node \"" + step.target.path + "\" below the top scene";
        return false;
    }
    m_from = CLiveTree::windowPoint(node, step.target);
    const s32 x = static_cast<s32>(m_from.X), y = static_cast<s32>(m_from.Y);
    m_input.warpPointer(x, y);
    if (!m_input.mouseMove(x, y, false) || !m_input.mouseButton(x, y, true))
        fail("The pointer event was not queued: " + m_input.getError());
    m_lastClickMs = now;
    m_phaseUpdates = m_updates;
    m_phase = 2;
    return false;
}

void CWalkRunner::pressAt(BaseNode* node) {
    m_from = CLiveTree::windowPoint(node, SWalkTarget());
    const s32 x = static_cast<s32>(m_from.X), y = static_cast<s32>(m_from.Y);
    m_input.warpPointer(x, y);
    if (!m_input.mouseMove(x, y, false) || !m_input.mouseButton(x, y, true))
        fail("The pointer event was not queued: " + m_input.getError());
    m_lastClickMs = m_gameMs;
    m_phaseUpdates = m_updates;
    m_phase = 2;
}

bool CWalkRunner::releaseClick() {
    if (m_phase != 2) return false;
    if (m_updates > m_phaseUpdates) {
        if (!m_input.mouseButton(static_cast<s32>(m_from.X), static_cast<s32>(m_from.Y), false))
            fail("The pointer event was not queued: " + m_input.getError());
        m_phase = 1;
    }
    return true;
}

bool CWalkRunner::waitSceneStep(const SWalkStep& step) {
    // A scene closed on the way may take this much game time to leave before it is clicked
    // again.
    constexpr u32 kDismissRetryMs = 1000;
    if (releaseClick()) return false;
    SceneNode* top = m_tree.getTopScene();
    const std::string kind = top ? toUtf8(top->getClassName().c_str()) : std::string();
    m_lastWhy = "the top scene is " + (kind.empty() ? std::string("none") : kind);
    if (kind == step.name) return m_phase == 0 || isSettled();
    if (step.key.empty() || kind != step.key || !isSettled()) return false;
    // A scene to close on the way: its OK button.
    const u64 now = m_gameMs;
    if (m_phase == 1 && top == m_clickScene && now - m_lastClickMs < kDismissRetryMs) {
        m_lastWhy = "the " + kind + " clicked is still on top";
        return false;
    }
    BaseNode* ok = m_tree.findNode("OkButton");
    if (!ok) {
        m_lastWhy = "the " + kind + " on top has no \"OkButton\"";
        return false;
    }
    m_clickScene = top;
    say("Walk \"" + m_walk.name + "\": closing the " + kind + " on the way\n");
    pressAt(ok);
    return false;
}

SPlaythroughView CWalkRunner::viewOfGame() const {
    SPlaythroughView view;
    SceneNode* top = m_tree.getTopScene();
    view.scene = top ? toUtf8(top->getClassName().c_str()) : std::string();
    if (CProfile* profile = CProfileManager::instance().getActiveProfile()) {
        view.hasProfile = true;
        view.maxUnlocked = profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
        view.levelIndex = profile->getInt(ProfileKeyLevelIndex);
        view.showFinalCredits = profile->getBool(ProfileKeyShowFinalCredits);
        const std::string bought = profile->getString(ProfileKeyBoughtUpgrades).c_str();
        std::string name;
        for (char c : bought + ";") {
            if (c != ';') {
                if (c != ' ') name += c;
                continue;
            }
            if (!name.empty()) view.bought.insert(name);
            name.clear();
        }
    }
    if (GApplication* application = GApplication::getInstance()) {
        view.developerKeys = application->developerKeysEnabled();
        if (UpgradesConfiguration* upgrades = application->getUpgradesConfiguration())
            for (const auto& [id, record] : upgrades->getRecords())
                view.obligatoryLevels[record->Name.getName().c_str()] = record->ObligatoryLevel;
        if (ComicsConfiguration* comics = application->getComicsConfiguration())
            for (const auto& [level, entry] : comics->getEntries())
                if (!entry->ScenePath.empty()) view.comics.insert(level);
    }
    view.comicHandsOver = m_tree.findNode("NavToMini3Marker") != nullptr;
    if (auto* shop = dynamic_cast<GShopScene*>(top)) {
        for (GShopButton* card : shop->getShopButtons()) {
            std::string path;
            for (const BaseNode* n = card; n && n != top; n = n->getParent()) {
                if (n->getNameId() == -1) {
                    path.clear();
                    break;
                }
                path = std::string(n->getNodeName().c_str()) + (path.empty() ? "" : "/" + path);
            }
            if (!path.empty())
                view.shopCards[CNameId::fromId(card->getUpgradeName()).getName().c_str()] = path;
        }
    }
    return view;
}

bool CWalkRunner::playthroughStep(const SWalkStep& step) {
    if (!m_playthrough)
        m_playthrough =
            std::make_unique<CPlaythrough>(SPlaythroughGoal{step.flag, step.number, step.name});
    const SPlaythroughView view = viewOfGame();
    std::vector<std::string> lines;
    std::string error;
    if (!m_playthrough->plan(view, lines, error)) {
        fail("The playthrough cannot go on: " + error);
        return false;
    }
    if (lines.empty()) {
        m_playthrough.reset();
        say("Walk \"" + m_walk.name + "\": the playthrough has reached its goal on " + view.scene +
            "\n");
        return true;
    }
    std::vector<SWalkStep> steps;
    std::string planned;
    for (const std::string& line : lines) {
        SWalkStep planStep;
        if (!parseStepLine(line, planStep, error)) {
            fail("The playthrough planned a step that is not one: \"" + line + "\": " + error);
            return false;
        }
        planStep.line = step.line;
        planStep.text = "(playthrough) " + line;
        steps.push_back(planStep);
        planned += "  " + line + "\n";
    }
    say("Walk \"" + m_walk.name + "\": the playthrough on " + view.scene + " plans\n" + planned);
    // The planned steps go before this one, which plans again when they are done.
    m_walk.steps.insert(m_walk.steps.begin() + static_cast<std::ptrdiff_t>(m_step), steps.begin(),
                        steps.end());
    m_stepStarted = false;
    m_phase = 0;
    m_lastWhy.clear();
    return false;
}

bool CWalkRunner::miniGameStep(const SWalkStep& step) {
    if (m_phase == 0) {
        m_miniGame.start(step.name == "brief" ? CMiniGamePlayer::EGoal::Brief
                         : step.name == "win" ? CMiniGamePlayer::EGoal::Win
                                              : CMiniGamePlayer::EGoal::Lose);
        m_stepExtraMs = CMiniGamePlayer::extraTime(m_tree.getTopScene());
        m_phase = 1;
    }
    // The player keeps time in 32 bits; its differences stay right across a wrap.
    switch (m_miniGame.turn(static_cast<u32>(m_gameMs), m_updates)) {
        case CMiniGamePlayer::EResult::Done:
            return true;
        case CMiniGamePlayer::EResult::Going:
            m_lastWhy = m_miniGame.why();
            return false;
        case CMiniGamePlayer::EResult::Failed:
            fail(m_miniGame.why());
            return false;
    }
    return false;
}

bool CWalkRunner::expectation(const SWalkStep& step, std::string& why) {
    switch (step.kind) {
        case EStepKind::ExpectText:
        case EStepKind::ExpectChanged:
        case EStepKind::Note:
        case EStepKind::ExpectVisible:
        case EStepKind::ExpectEnabled: {
            BaseNode* node = m_tree.findNode(step.target.path);
            if (!node) {
                why = "no node \"" + step.target.path + "\" below the top scene";
                return false;
            }
            const SNodeInfo info = CLiveTree::describe(node);
            if (step.kind == EStepKind::ExpectText || step.kind == EStepKind::ExpectChanged ||
                step.kind == EStepKind::Note) {
                if (!info.hasText) {
                    why = "the node has no text (" + info.kind + ")";
                    return false;
                }
                why = "its text is \"" + info.text + "\"";
                const auto noted = m_notedTexts.find(step.target.path);
                bool done = true;
                if (step.kind == EStepKind::ExpectText) {
                    done = valueMatches(step, info.text);
                } else if (step.kind == EStepKind::ExpectChanged) {
                    if (noted == m_notedTexts.end()) {
                        why = "no text was noted for \"" + step.target.path + "\" before";
                        return false;
                    }
                    why += ", as noted before";
                    done = info.text != noted->second;
                }
                if (done) m_notedTexts[step.target.path] = info.text;
                return done;
            }
            if (step.kind == EStepKind::ExpectVisible) {
                why = "visible: " + yesNo(info.visible);
                return info.visible == step.flag;
            }
            if (!info.isControl) {
                why = "the node is not a control (" + info.kind + ")";
                return false;
            }
            why = "enabled: " + yesNo(info.enabled);
            return info.enabled == step.flag;
        }
        case EStepKind::ExpectPicture: {
            BaseNode* node = m_tree.findNode(step.target.path);
            std::string name;
            if (!node) {
                why = "no node \"" + step.target.path + "\" below the top scene";
                return false;
            }
            if (!CLiveTree::getPicture(node, name)) {
                why = "the node is not a sprite (" + CLiveTree::describe(node).kind + ")";
                return false;
            }
            why = "its picture is \"" + name + "\"";
            return name == step.value;
        }
        case EStepKind::ExpectState: {
            BaseNode* node = m_tree.findNode(step.target.path);
            if (!node) {
                why = "no node \"" + step.target.path + "\" below the top scene";
                return false;
            }
            // Its own animation of the state runs, or the state set on it still runs below it.
            const s32 state = CNameId(step.value.c_str()).getId();
            why = "it does not play \"" + step.value + "\"";
            return CMiniGamePlayer::plays(node, step.value.c_str()) ||
                   node->getStateCounter(state) > 0;
        }
        case EStepKind::ExpectNode: {
            std::string seen;
            if (m_tree.findNodeWithProperty(step.name, step.key, step.value, seen)) return true;
            why = seen.empty()
                      ? "no " + step.name + " with a property " + step.key + " below the top scene"
                      : "its " + step.key + " is " + seen;
            return false;
        }
        case EStepKind::ExpectLog: {
            const long found =
                m_log.find(m_logCursor, step.name, step.hasValue ? &step.value : nullptr);
            why = "no such log line after line " + std::to_string(m_logCursor) + " of the log";
            if (found < 0) return false;
            m_logCursor = static_cast<size_t>(found) + 1;
            return true;
        }
        case EStepKind::ExpectProfile: {
            CProfile* profile = CProfileManager::instance().getActiveProfile();
            if (!profile) {
                why = "no active profile";
                return false;
            }
            const std::string value =
                toUtf8(getPropertyTextW(profile->getProperty(step.name.c_str()).get()).c_str());
            why = "the value is \"" + value + "\"";
            return profile->getProperty(step.name.c_str()) && valueMatches(step, value);
        }
        case EStepKind::ExpectSetting: {
            CPropertySet* settings = m_device->getEngineSettings();
            const std::string value =
                settings
                    ? toUtf8(
                          getPropertyTextW(settings->getProperty(step.name.c_str()).get()).c_str())
                    : std::string();
            why = "the setting is \"" + value + "\"";
            return value == step.value;
        }
        case EStepKind::ExpectTitle: {
            SDL_Window* window = static_cast<SDL_Window*>(m_device->getParameters().windowId);
            const std::string title = window ? SDL_GetWindowTitle(window) : "";
            why = window ? "the title is \"" + title + "\"" : std::string("there is no window");
            return window && title == step.value;
        }
        case EStepKind::ExpectOpened: {
            const std::string refused = "Unable to load scene file";
            const long refusal = m_log.find(m_logCursor, refused, &step.name);
            const long entered = m_log.find(m_logCursor, "Scene entered", nullptr);
            why = "neither a scene entered nor the file refused after line " +
                  std::to_string(m_logCursor) + " of the log";
            if (refusal < 0 && entered < 0) return false;
            const long found = refusal < 0   ? entered
                               : entered < 0 ? refusal
                                             : std::min(refusal, entered);
            m_logCursor = static_cast<size_t>(found) + 1;
            return true;
        }
        case EStepKind::ExpectCursor: {
            ICursorControl* cursor = m_device->getCursorControl();
            const bool shown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
            // The game's picture: a cursor of its own, not the system's arrow.
            const bool ownPicture = SDL_GetCursor() && SDL_GetCursor() != SDL_GetDefaultCursor();
            if (!cursor) {
                why = "the device has no cursor control";
                return false;
            }
            why = std::string("the cursor control is ") +
                  (cursor->isVisible() ? "visible" : "hidden") + ", the window's cursor is " +
                  (shown ? "shown" : "hidden") + " with " +
                  (ownPicture ? "the game's picture" : "the system's arrow");
            if (!step.flag) return !cursor->isVisible() && !shown;
            if (step.value == "system") return cursor->isVisible() && shown && !ownPicture;
            return cursor->isVisible() && shown && ownPicture;
        }
        default:
            return false;
    }
}

bool CWalkRunner::onRender(CEvent*) {
    if (m_tutorial.shot != 0 && !m_finished) tutorialFrame();
    if (!m_shotPending || m_finished || m_step >= m_walk.steps.size()) return false;
    const SWalkStep& step = m_walk.steps[m_step];
    m_shotPending = false;
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    CRefPtr<CImage> image =
        driver ? CRefPtr<CImage>::fromRaw(driver->createScreenShot()) : CRefPtr<CImage>();
    if (!image) {
        fail("The video driver gave no shot of the frame");
        return false;
    }
    ++m_shotCount;
    if (m_options.saveShot) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", m_shotCount);
        std::string name = m_walk.name + "-" + number +
                           (step.shot.save.empty() ? "" : "-" + step.shot.save) + ".png";
        if (!m_options.saveShot(image.get(), name))
            say("The shot " + name + " could not be kept\n");
    }
    std::string why;
    if (!checkShot(step, image.get(), why)) {
        fail(why);
        return false;
    }
    m_previousShot = image;
    nextStep();
    return false;
}

bool CWalkRunner::checkShot(const SWalkStep& step, CImage* image, std::string& why) {
    const SShotChecks& c = step.shot;
    const std::string size = std::to_string(image->getDimension().Width) + " x " +
                             std::to_string(image->getDimension().Height);
    if (c.blank && !isBlank(*image)) {
        why = "The shot (" + size + ") is not blank";
        return false;
    }
    if (c.notBlank && isBlank(*image)) {
        why = "The shot (" + size + ") is blank";
        return false;
    }
    if (c.unlike) {
        if (!m_previousShot) {
            why = "There is no earlier shot to compare the shot with";
            return false;
        }
        rectf rect = wholeImage(*image);
        if (c.unlikeInRegion && !m_tree.regionRect(c.unlikeRegion, rect, why)) return false;
        if (!differsInside(*m_previousShot, *image, rect)) {
            why = "The shot is like the one before it inside " + rectText(rect);
            return false;
        }
    }
    for (const auto& [region, percent] : c.white) {
        rectf rect;
        if (!m_tree.regionRect(region, rect, why)) return false;
        const double share = whiteShareInside(*image, rect);
        say("Walk \"" + m_walk.name + "\": shot " + std::to_string(m_shotCount) +
            " is near white over " + std::to_string(static_cast<int>(share * 100.0)) + "% of " +
            rectText(rect) + "\n");
        if (share * 100.0 < percent) {
            why = "The shot is near white over " + std::to_string(static_cast<int>(share * 100.0)) +
                  "% of " + rectText(rect) + ", less than " + std::to_string(percent) + "%";
            return false;
        }
    }
    for (const SWalkRegion& region : c.varied) {
        rectf rect;
        if (!m_tree.regionRect(region, rect, why)) return false;
        if (!isVariedInside(*image, rect)) {
            why = "The shot holds one flat colour inside " + rectText(rect) +
                  (region.isArea ? std::string() : " (\"" + region.path + "\")");
            return false;
        }
    }
    return true;
}

}  // namespace brasquel::autoplay
