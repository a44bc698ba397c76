#pragma once

// The harness's run of a level, for level_sim and for the programs that play a level in-process:
// the host that sets the game up headless as the preloader does it, the level loaded into it
// and turned in 10 ms steps with a draw each, the script actions carried out as the play screen's
// menus allow them, the day's report and the digest of the level's economic state.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/scene/SceneNode.h"
#include "tests/game/level/LevelSimSupport.h"

namespace oskel {
class CContentManager;
class CTimerScheduler;
class IDevice;
class IVideoDriver;
class SceneManager;
}  // namespace oskel

namespace brasquel::levelsim {

// ---- Script actions ----

// A script or journal action: the turn it is carried out at (before that turn's step), its time
// as written and its text (the verb and its arguments).
struct SAction {
    oskel::u64 turn = 0;
    std::string when;
    std::string text;
};

// A script line "DAY:SECOND ACTION ARGS" (a comment from '#' is dropped); the second may carry a
// decimal fraction in whole turns ("3:12.25"). False for a line that says no action.
bool parseActionLine(const std::string& raw, oskel::u32 dayLength, SAction& action);
// The time of the turn as a script writes it: "DAY:SECOND", with the fraction when there is one.
std::string scriptTime(oskel::u64 turn, oskel::u32 dayLength);
// Every action of the script file (empty lines and comments skipped); false (logged) for a file
// that does not open or a line that is not understood.
bool readScript(const std::string& file, oskel::u32 dayLength, std::vector<SAction>& actions);

// ---- Output ----

// The transcript: to the standard output unless silent, and to the file when one is given.
class Transcript {
public:
    explicit Transcript(const std::string& file, bool silent = false);
    void line(const std::string& text);
    void setQuiet(bool quiet) { m_quiet = quiet; }

private:
    std::ofstream m_file;
    bool m_silent = false;
    bool m_quiet = false;
};

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
// Wide text with every character beyond ASCII as '?'.
std::string narrow(const oskel::stringw& text);

// FNV-1a over a canonical text of the level's economic state (floats by their bits), with the
// random generator's state.
std::string levelDigest(const GGameLevelScene& level);

// ---- The host ----

struct SHostSetup {
    std::string assets;  // the folder mounted as the game's assets
    std::string tables;  // the buildings and upgrades tables' folder (none: the game's)
    oskel::u32 seed = 1;
    bool window = false;  // an OpenGL window of 1024 x 768 instead of the null driver
};

// The game set up headless for a level: the random generator seeded first, then a device, the
// mounted assets, the game's services installed, a content manager, the world scene manager on
// an event clock of its own, and the preloader's content. One host lives at a time.
class LevelHost {
public:
    static constexpr oskel::s32 WindowWidth = 1024;
    static constexpr oskel::s32 WindowHeight = 768;

    explicit LevelHost(const SHostSetup& setup);
    ~LevelHost();
    LevelHost(const LevelHost&) = delete;
    LevelHost& operator=(const LevelHost&) = delete;

    // The device made and the game's content loaded.
    bool ready() const;
    oskel::IDevice* device() const { return m_device; }
    oskel::IContentManager* content() const;
    oskel::SceneManager* scenes() const;
    SimServices& services() const;
    bool window() const { return m_window; }

private:
    struct SParts;
    oskel::IDevice* m_device = nullptr;
    std::unique_ptr<SParts> m_parts;
    bool m_window = false;
};

// ---- The level's run ----

// A level folder in a host, as the play screen loads it, turned step by step; the actions of the
// script format carried out on it.
//
// Verbs: build LOT TYPE | upgrade LOT | destroy LOT | repair LOT | clean LOT | restore LOT |
// serve LOT | feature LOT INDEX | buy LOT | sell LOT (accept the offer) | forsale LOT (the sell
// button: on sale or off) | decline LOT (the offer) | materials OFFER | workers OFFER |
// press LOT | press ground | abort LOT.
class LevelRun {
public:
    LevelRun(LevelHost& host, Transcript& out);
    ~LevelRun();
    LevelRun(const LevelRun&) = delete;
    LevelRun& operator=(const LevelRun&) = delete;

    // Loads the folder (ending in '/') and shows the level, running. False (logged) when it
    // cannot be loaded or has no day length.
    bool load(const std::string& folder, EOwnedUpgrades owned = OwnedFreeUpgrades);

    oskel::u32 dayLength() const;
    oskel::u64 turnsPerDay() const { return m_dayTurns; }
    oskel::u64 turn() const { return m_turn; }
    // The day the current turn lies in (from 1).
    oskel::u32 day() const;
    // Whether the last step ended a game day.
    bool dayEnded() const { return m_turn > 0 && m_dayTurns > 0 && m_turn % m_dayTurns == 0; }
    // The level time (ms) at which the level sent its completion notice; negative before.
    std::int64_t completionMs() const { return m_completionMs; }
    GGameLevelScene* level() const { return m_level.get(); }
    GLevelConfiguration* configuration() const { return m_configuration.get(); }
    GLevelUpgrades* upgrades() const { return m_upgrades.get(); }
    GBuildingsConfiguration* catalogue() const;
    const std::vector<SAction>& executed() const { return m_executed; }

    // One turn: the pending actions due at it, the world's clocks, a draw.
    void step(const std::vector<SAction>& pending);
    // Carries out an action now (its turn is taken to be this one); whether it was done.
    bool perform(const SAction& action);
    // The day's report (economy, objectives, completion, digest); the digest.
    std::string report(oskel::u32 day);
    std::string digest() const { return levelDigest(*m_level); }
    // With a window: where the lots stand ("lot NAME X0 Y0 X1 Y1").
    void printLots() const;
    // The lot of the name, or none.
    GBuildingNode* lotNamed(const std::string& name) const;

private:
    class RequestLog;
    bool run(const std::string& text);
    bool canMaintain(const GBuildingNode* lot, bool restoring) const;

    LevelHost& m_host;
    Transcript& m_out;
    SLevelFolder m_folder;
    oskel::CRefPtr<GGameLevelScene> m_level;
    oskel::CRefPtr<GLevelConfiguration> m_configuration;
    oskel::CRefPtr<GLevelUpgrades> m_upgrades;
    oskel::CRefPtr<RequestLog> m_requests;
    oskel::u64 m_dayTurns = 0;
    oskel::u64 m_turn = 0;
    std::int64_t m_completionMs = -1;
    std::vector<SAction> m_executed;
};

}  // namespace brasquel::levelsim
