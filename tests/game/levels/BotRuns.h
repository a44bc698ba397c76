#pragma once

// The level bot's test runs: a level folder loaded in-process in the harness with the campaign's
// upgrades, the bot played on it, and its actions replayed on a fresh run of the same folder and
// seed with the checks a player's means and pace call for.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/play/GPlayOffers.h"
#include "tests/game/level/LevelSimRun.h"
#include "tests/game/levels/LevelBot.h"

namespace brasquel::test {

// A level folder running in the harness, in-process.
struct HarnessLevel {
    HarnessLevel(const std::string& assets, const std::string& folder, const std::string& tables,
                 oskel::u32 seed = 1)
        : host(setupOf(assets, tables, seed)), out(std::string(), true), run(host, out) {
        loaded = host.ready() && run.load(folder + "/", levelsim::OwnedCampaignUpgrades);
    }
    static levelsim::SHostSetup setupOf(const std::string& assets, const std::string& tables,
                                        oskel::u32 seed) {
        levelsim::SHostSetup setup;
        setup.assets = assets;
        setup.tables = tables;
        setup.seed = seed;
        return setup;
    }

    levelsim::LevelHost host;
    levelsim::Transcript out;
    levelsim::LevelRun run;
    bool loaded = false;
};

// The bot's run of the folder.
inline levelbot::SBotRun playBot(const std::string& assets, const std::string& folder,
                                 const std::string& tables, oskel::u32 seed = 1) {
    HarnessLevel level(assets, folder, tables, seed);
    if (!level.loaded) return levelbot::SBotRun();
    levelbot::LevelBot bot(level.run);
    return bot.play(levelbot::limitOf(level.run));
}

inline std::vector<std::string> textsOf(const std::vector<levelsim::SAction>& actions) {
    std::vector<std::string> texts;
    for (const levelsim::SAction& a : actions) texts.push_back(a.when + " " + a.text);
    return texts;
}

// What a replay of the bot's actions found.
struct SReplay {
    bool loaded = false;
    std::vector<std::string> notOffered;    // actions the play screen did not offer then
    std::vector<std::string> refused;       // actions the level refused
    std::vector<std::string> tooSoon;       // actions within the spacing of the one before
    std::vector<std::string> secondOrder;   // orders while one of their kind was on its way
    std::vector<std::string> openAtNotice;  // objectives open when the completion notice came
    std::int64_t completionMs = -1;
    std::string digest;  // at the end of the last day
};

// Replays the actions on a fresh run for the days, checking each against what the play screen
// offers at its turn, the pace, the deliveries, and the objectives at the completion notice.
inline SReplay replayBot(const std::string& assets, const std::string& folder,
                         const std::string& tables, const std::vector<levelsim::SAction>& actions,
                         oskel::u32 days, oskel::u32 seed = 1) {
    SReplay replay;
    HarnessLevel level(assets, folder, tables, seed);
    replay.loaded = level.loaded;
    if (!level.loaded) return replay;
    levelsim::LevelRun& run = level.run;
    const GGameLevelScene& scene = *run.level();
    const oskel::u64 spacing = levelbot::ActionSpacingMs / levelsim::TurnMs;
    bool first = true;
    oskel::u64 last = 0;
    const oskel::u64 total = run.turnsPerDay() * days;
    const std::vector<levelsim::SAction> none;
    while (run.turn() < total) {
        for (const levelsim::SAction& action : actions) {
            if (action.turn != run.turn()) continue;
            const std::string line = action.when + " " + action.text;
            std::vector<std::string> offered;
            for (const levelbot::SMove& move : levelbot::offeredMoves(scene))
                offered.push_back(move.text());
            if (std::find(offered.begin(), offered.end(), action.text) == offered.end())
                replay.notOffered.push_back(line);
            if (!first && action.turn - last < spacing) replay.tooSoon.push_back(line);
            first = false;
            last = action.turn;
            const bool workers = action.text.rfind("workers ", 0) == 0;
            if ((workers || action.text.rfind("materials ", 0) == 0) &&
                playoffers::isDeliveryRunning(scene, workers))
                replay.secondOrder.push_back(line);
            if (!run.perform(action)) replay.refused.push_back(line);
        }
        run.step(none);
        if (run.completionMs() >= 0 && replay.completionMs < 0) {
            replay.completionMs = run.completionMs();
            const GLevelObjectiveList* objectives = run.configuration()->Objectives.get();
            for (oskel::u32 i = 0; objectives && i < objectives->size(); ++i)
                if (!objectives->get(i)->isCompleted(scene))
                    replay.openAtNotice.push_back(
                        levelsim::narrow(objectives->get(i)->getProgressText(scene, nullptr)));
        }
        if (run.dayEnded())
            replay.digest = run.report(static_cast<oskel::u32>(run.turn() / run.turnsPerDay()));
    }
    return replay;
}

}  // namespace brasquel::test
