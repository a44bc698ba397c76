#pragma once

// The level bot: plays a level in the harness as a quick player can. It reads the level only as
// the play screen shows it (the money, the stock, the lots' states, offers and letters, the
// objectives' progress, the figures the build and info panels give for a type on a place), it
// does only what the play screen offers in each lot's state (the play screen's own questions
// decide), one action at most every half second of level time and one delivery of a kind at a
// time, and it goes greedily for the objectives still open: it builds, upgrades, buys, restores,
// repairs, cleans, collects letters, answers offers, uses features and orders materials and
// workers, and saves for what it cannot afford yet. Its actions are written in the harness's
// script format, so every run replays with level_sim.

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/OskelTypes.h"
#include "tests/game/level/LevelSimRun.h"

namespace brasquel {

class GBuildingConfig;
class GBuildingNode;
class GGameLevelScene;

namespace levelbot {

// A quick player's pace: at most one action per this much level time.
constexpr oskel::u64 ActionSpacingMs = 500;
// How often the bot looks at the screen.
constexpr oskel::u64 LookPeriodMs = 100;

// What a move does, by the button or list entry the play screen offers for it.
enum EMoveKind : oskel::s32 {
    MoveCollect = 0,   // a press on a lot with a money letter
    MoveBuild,         // a build-menu entry on an idle empty place
    MoveUpgrade,       // the upgrade button
    MoveDestroy,       // the demolish button
    MoveRepair,        // the repair button
    MoveClean,         // the clean button
    MoveRestore,       // the service button of a ruin
    MoveServe,         // the service button of a lot asking for a custom service
    MoveFeature,       // a feature button (or the service button of a restored ruin's kind)
    MoveBuy,           // the buy button
    MoveAcceptOffer,   // the offer page's accept button
    MoveDeclineOffer,  // the offer page's decline button
    MoveToggleSale,    // the sell button
    MoveMaterials,     // a materials offer
    MoveWorkers,       // a workers offer
    MoveAbort,         // the progress panel's abort button
};

// One thing the player can press now.
struct SMove {
    EMoveKind kind = MoveCollect;
    GBuildingNode* lot = nullptr;           // none for the offers
    const GBuildingConfig* type = nullptr;  // the type built
    oskel::s32 index = -1;                  // the feature's or the offer's index

    // The action in the harness's script format ("build Place2 Camping1").
    std::string text() const;
    bool operator==(const SMove& other) const {
        return kind == other.kind && lot == other.lot && type == other.type && index == other.index;
    }
};

// Every move the play screen offers in the level's state: for each lot the buttons its page
// shows pressable (the build menus' pressable entries on an idle empty place of the player's),
// the materials and workers entries, and the letters to collect.
std::vector<SMove> offeredMoves(const GGameLevelScene& level);

// What a run of the bot came to.
struct SBotRun {
    bool won = false;                // the completion notice came within the limit
    std::int64_t completionMs = -1;  // the level time of the notice; negative: none
    oskel::u64 limitMs = 0;          // the level's Time in milliseconds
    oskel::u32 dayLength = 0;        // the level's day, in seconds
    oskel::u32 days = 0;             // the days played; the digest is the last one's
    std::string digest;
    std::vector<levelsim::SAction> actions;  // the bot's actions, as carried out
    std::vector<std::string> refused;        // actions the level refused (none expected)
    // Not won: the objectives open at the end, or what blocks the end when none is.
    std::vector<std::string> unmet;
};

// The bot on one level run (loaded, not yet stepped).
class LevelBot {
public:
    explicit LevelBot(levelsim::LevelRun& run);

    // Plays until the level sends its completion notice or the limit of level time passes, and
    // on to the end of that day.
    SBotRun play(oskel::u64 limitMs);

    // The move the bot makes now, if any (pace aside).
    bool choose(SMove& move);

    // Writes the best wishes to the stream whenever they change (none: no trace).
    void setTrace(std::ostream* trace) { m_trace = trace; }

private:
    struct SPlan;
    struct STurn;
    levelsim::LevelRun& m_run;
    GGameLevelScene& m_level;
    // Places the bot emptied for a better type, kept for it.
    std::map<const GBuildingNode*, const GBuildingConfig*> m_kept;
    // The wish the bot saves for.
    SMove m_target;
    std::ostream* m_trace = nullptr;
    std::string m_traced;
};

// The level's Time in milliseconds (the level scores' entry the harness wrote into the level's
// configuration); 0 without one.
oskel::u64 limitOf(const levelsim::LevelRun& run);

// Writes the run's actions as a level_sim script, the comment lines first.
bool writeScript(const std::string& file, const SBotRun& run,
                 const std::vector<std::string>& comments);

}  // namespace levelbot
}  // namespace brasquel
