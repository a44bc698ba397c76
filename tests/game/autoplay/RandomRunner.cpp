#include "tests/game/autoplay/RandomRunner.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/IDevice.h"
#include "engine/nodes/EditNode.h"
#include "engine/scene/SceneManager.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

// After every other receiver of the update steps.
constexpr s32 kRunnerPriority = 5000;
// Warning and error lines kept for the summary.
constexpr size_t kListedWarnings = 20;
// The clock's start: 10 s on, and a point within the next 1000 s.
constexpr uint64_t kClockBaseMs = 10000;
constexpr uint64_t kClockSpanMs = 1000000;
// The log lines the run reads.
constexpr const char* kSceneEntered = "Scene entered";
constexpr const char* kSignalled = "Signal to end the program received";

// Edit fields measure their input guard on the system clock; in a random run they measure it
// on the run's clock, so that what they take depends on the seed only.
void useClockInEditFields(BaseNode* node, IClock* clock) {
    if (!node) return;
    if (node->isKindOf(NodeTypeEdit)) {
        auto* edit = static_cast<EditNode*>(node);
        if (edit->getClock() != clock) edit->setClock(clock);
    }
    for (BaseNode* child : node->getChildren()) useClockInEditFields(child, clock);
    if (ControlNode* control = ControlNode::asControlNode(node))
        if (control->getTemplateInstance())
            useClockInEditFields(control->getTemplateInstance(), clock);
}

std::string minutes(uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned long long>(ms / 1000 % 60));
    return text;
}

}  // namespace

uint64_t clockStartOf(uint64_t seed) {
    // The seed's bits spread over the span (a multiplicative hash).
    return kClockBaseMs + ((seed * 0x9e3779b97f4a7c15ull) >> 32) % kClockSpanMs;
}

SMemoryTrend memoryTrend(const std::vector<long>& series, size_t last) {
    SMemoryTrend trend;
    const size_t n = std::min(last, series.size());
    trend.samples = n;
    if (n == 0) return trend;
    const size_t first = series.size() - n;
    long low = series[first], high = series[first];
    double sumX = 0, sumY = 0;
    for (size_t i = 0; i < n; ++i) {
        const long y = series[first + i];
        low = std::min(low, y);
        high = std::max(high, y);
        sumX += static_cast<double>(i);
        sumY += static_cast<double>(y);
    }
    trend.spread = high - low;
    if (n < 2) return trend;
    const double meanX = sumX / static_cast<double>(n), meanY = sumY / static_cast<double>(n);
    double sxy = 0, sxx = 0;
    for (size_t i = 0; i < n; ++i) {
        const double dx = static_cast<double>(i) - meanX;
        sxy += dx * (static_cast<double>(series[first + i]) - meanY);
        sxx += dx * dx;
    }
    trend.slope = sxy / sxx;
    return trend;
}

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    if (!(statm >> pages >> resident)) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

OSKEL_BEGIN_EVENT_MAP(CRandomRunner, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowUpdate, onUpdate)
OSKEL_END_EVENT_MAP()

CRandomRunner::CRandomRunner(SRandomOptions options, CSteppedClock* clock)
    : m_options(std::move(options)), m_clock(clock), m_chooser(m_options.seed) {
    setCategoryMask(CategorySystemFlow);
    if (!m_options.print)
        m_options.print = [](const std::string& text) {
            std::fputs(text.c_str(), stdout);
            std::fflush(stdout);
        };
}

CRandomRunner::~CRandomRunner() {
    detach();
    if (m_logInstalled) CLogger::instance().setOutputHook(std::move(m_previousLog));
}

void CRandomRunner::say(const std::string& text) { m_options.print(text); }

void CRandomRunner::installLog() {
    if (m_logInstalled) return;
    m_logInstalled = true;
    m_previousLog = CLogger::instance().setOutputHook(
        [this](const char* text, const char* hint, s32 level) { logLine(text, hint, level); });
}

void CRandomRunner::logLine(const char* text, const char* hint, s32 level) {
    const std::string line = text ? text : "";
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        if (line == kSceneEntered && hint) ++m_scenes[hint];
        if (line == kSignalled) m_signalled = true;
        if (level == LogWarning || level == LogError) {
            ++m_warnings;
            if (m_warningLines.size() < kListedWarnings)
                m_warningLines.push_back(
                    std::string(level == LogWarning ? "[warning] " : "[error] ") + line +
                    (hint ? std::string(": ") + hint : std::string()));
        }
    }
    if (level != LogWarning && level != LogError) return;
    if (m_previousLog)
        m_previousLog(text, hint, level);
    else
        std::fprintf(stderr, "[%s] %s%s%s\n", level == LogWarning ? "warning" : "error",
                     line.c_str(), hint ? ": " : "", hint ? hint : "");
}

void CRandomRunner::attach(IDevice* device, SceneManager* scenes) {
    detach();
    m_device = device;
    m_sceneManager = CRefPtr<SceneManager>(scenes);
    m_tree = CLiveTree(scenes);
    installLog();
    if (!device) return;
    device->addEventReceiver(this, kRunnerPriority);
    m_turnHook = device->addTurnHook([this] { turn(); });
    say("Random run: seed " + std::to_string(m_options.seed) + "\n");
}

void CRandomRunner::detach() {
    if (!m_device) return;
    if (m_turnHook) m_device->removeTurnHook(m_turnHook);
    m_turnHook = 0;
    grab();  // the device may hold the last reference
    m_device->removeEventReceiver(this);
    m_device = nullptr;
    drop();
}

bool CRandomRunner::onUpdate(CEvent*) {
    ++m_updates;
    return false;
}

void CRandomRunner::turn() {
    if (!m_device || m_stopped) return;
    // The events of the last action first: the loop takes one at each turn.
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    if (m_advanced && m_updates == m_updatesAtAdvance) {
        // The turn's game time is still to be played: the window may have lost the focus, when
        // the game stands still.
        if (!m_device->isWindowActive() && ++m_inactiveTurns >= InactiveTurns) {
            m_inactiveTurns = 0;
            m_input.setWindow(m_device->getParameters().windowId);
            say("turn " + std::to_string(m_turns) + ": the window is inactive: focus gained\n");
            m_input.focus(true);
        }
        return;
    }
    m_inactiveTurns = 0;
    if (m_advanced) {
        ++m_turns;
        m_gameMs += TurnMs;
        if (m_gameMs % SampleEveryMs == 0) {
            m_memory.push_back(residentKb());
            say("memory at " + minutes(m_gameMs) + ": " + std::to_string(m_memory.back()) +
                " KB resident\n");
        }
        const bool turnsDone = m_options.turns > 0 && m_turns >= m_options.turns;
        const bool timeDone = m_options.gameMinutes > 0 &&
                              m_gameMs >= static_cast<uint64_t>(m_options.gameMinutes) * 60000;
        if (turnsDone || timeDone) {
            m_stopped = true;
            m_endReason = turnsDone ? "its turns" : "its game time";
            m_device->closeDevice();
            return;
        }
    }
    act();
    m_clock->advance(TurnMs);
    m_advanced = true;
    m_updatesAtAdvance = m_updates;
}

void CRandomRunner::act() {
    m_input.setWindow(m_device->getParameters().windowId);
    const std::string turn = "turn " + std::to_string(m_turns) + " ";
    auto queued = [&](bool ok) {
        if (!ok) say(turn + "an event was not queued: " + m_input.getError() + "\n");
    };
    if (m_releasePending) {
        m_releasePending = false;
        queued(m_input.mouseButton(m_releaseX, m_releaseY, false));
        return;
    }
    SceneNode* top = m_tree.getTopScene();
    useClockInEditFields(top, m_clock);
    if (m_turns == 0) {
        // The access code first: the developers' keys are among the keys pressed.
        say(turn + "on " + (top ? toUtf8(top->getClassName().c_str()) : std::string("none")) +
            ": text \"" + AccessCode + "\"\n");
        std::vector<char32_t> characters;
        decodeUtf8(AccessCode, characters);
        for (char32_t c : characters) queued(m_input.typeCharacter(c));
        return;
    }
    const SSceneView view = viewOfScene(m_tree);
    if (m_options.treeAt > 0 && m_turns == m_options.treeAt) say(m_tree.dump());
    const SAction action = m_chooser.choose(view);
    if (action.kind == EActionKind::Wait) return;
    say(turn + "on " + (view.scene.empty() ? std::string("none") : view.scene) + ": " +
        action.describe() + "\n");
    switch (action.kind) {
        case EActionKind::Click:
        case EActionKind::ClickAnywhere:
            m_input.warpPointer(action.x, action.y);
            queued(m_input.mouseMove(action.x, action.y, false));
            queued(m_input.mouseButton(action.x, action.y, true));
            m_releasePending = true;
            m_releaseX = action.x;
            m_releaseY = action.y;
            break;
        case EActionKind::Key: {
            SKeyStroke stroke;
            std::string error;
            if (!parseKeyStroke(action.key, stroke, error)) {
                say(turn + error + "\n");
                break;
            }
            queued(m_input.keyDown(stroke));
            queued(m_input.keyUp(stroke));
            break;
        }
        case EActionKind::Text: {
            std::vector<char32_t> characters;
            decodeUtf8(action.text, characters);
            for (char32_t c : characters) queued(m_input.typeCharacter(c));
            break;
        }
        case EActionKind::Wait:
            break;
    }
}

int CRandomRunner::finish(int gameExitCode) {
    bool passed = gameExitCode == 0;
    std::string ended;
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        ended = m_stopped     ? "its limit (" + m_endReason + ")"
                : m_signalled ? std::string("a signal to end the program")
                              : std::string("the game itself");
        if (!m_stopped && !m_signalled) passed = false;  // the run must keep its process
    }
    std::string text = "Random run: seed " + std::to_string(m_options.seed) + ", " +
                       std::to_string(m_turns) + " turns, " + minutes(m_gameMs) +
                       " of game time; ended by " + ended + ", the game's exit code " +
                       std::to_string(gameExitCode) + "\n";
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        text += "Scenes entered:";
        for (const auto& [scene, count] : m_scenes)
            text += " " + scene + " " + std::to_string(count);
        text += "\nWarning and error lines: " + std::to_string(m_warnings) + "\n";
        for (const std::string& line : m_warningLines) text += "  " + line + "\n";
    }
    text += "Memory samples (KB, one a minute of game time):";
    for (long kb : m_memory) text += " " + std::to_string(kb);
    text += "\n";
    if (m_memory.size() >= TrendSamples) {
        const SMemoryTrend trend = memoryTrend(m_memory, TrendSamples);
        char line[256];
        std::snprintf(line, sizeof line,
                      "Memory over the last %zu minutes: slope %.1f KB a minute, spread %ld KB\n",
                      trend.samples, trend.slope, trend.spread);
        text += line;
        if (m_options.maxSlopeKb >= 0 && trend.slope > m_options.maxSlopeKb) {
            text += "The memory grows faster than the bound of " +
                    std::to_string(static_cast<long>(m_options.maxSlopeKb)) + " KB a minute\n";
            passed = false;
        }
        if (m_options.maxSpreadKb >= 0 &&
            static_cast<double>(trend.spread) > m_options.maxSpreadKb) {
            text += "The memory spreads wider than the bound of " +
                    std::to_string(static_cast<long>(m_options.maxSpreadKb)) + " KB\n";
            passed = false;
        }
    } else if (m_options.maxSlopeKb >= 0 || m_options.maxSpreadKb >= 0) {
        text += "Too few memory samples for the trend: " + std::to_string(m_memory.size()) + "\n";
        passed = false;
    }
    text += passed ? "Random run passed\n"
                   : "Random run FAILED: seed " + std::to_string(m_options.seed) + "\n";
    say(text);
    if (!passed)
        std::fprintf(stderr, "Random run failed: seed %llu\n",
                     static_cast<unsigned long long>(m_options.seed));
    return passed ? 0 : 1;
}

}  // namespace brasquel::autoplay
