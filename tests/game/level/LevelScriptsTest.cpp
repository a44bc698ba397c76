// The hand-written scripts of some campaign levels (tests/game/level/levels/levelN/script.txt),
// replayed in-process in the harness as level_sim replays them (the campaign's upgrades, seed 1):
// every action is carried out, and the level sends its completion notice, with each objective
// met, within its Time.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "tests/game/level/LevelSimRun.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;

namespace {

const std::string Assets = ASSETS_DIR;
const std::string ScriptsDir = LEVEL_SCRIPTS_DIR;
constexpr u32 Seed = 1;
constexpr std::int64_t MsPerSecond = 1000;

// The levels whose folder under levels/ has a script.
const int ScriptedLevels[] = {2, 8, 15, 22, 29, 35};

struct SScriptRun {
    bool loaded = false;
    bool scriptRead = false;
    std::int64_t limitMs = 0;
    std::int64_t completionMs = -1;
    size_t actions = 0;
    size_t carriedOut = 0;
    std::vector<std::string> refused;
    std::vector<std::string> openAtNotice;
};

// The level's script played until the completion notice or until the level's Time has passed.
SScriptRun playScript(int number) {
    SScriptRun result;
    const std::string name = "level" + std::to_string(number);
    SHostSetup setup;
    setup.assets = Assets;
    setup.seed = Seed;
    LevelHost host(setup);
    if (!host.ready()) return result;
    Transcript out(std::string(), true);
    LevelRun run(host, out);
    result.loaded = run.load("levels/" + name + "/", OwnedCampaignUpgrades);
    if (!result.loaded) return result;
    std::vector<SAction> actions;
    result.scriptRead =
        readScript(ScriptsDir + "/" + name + "/script.txt", run.dayLength(), actions);
    result.actions = actions.size();
    result.limitMs = static_cast<std::int64_t>(run.configuration()->LevelTime) * MsPerSecond;
    const GGameLevelScene& level = *run.level();
    const std::vector<SAction> none;
    while (run.completionMs() < 0 &&
           static_cast<std::int64_t>(level.LevelTimeMs) <= result.limitMs) {
        for (const SAction& action : actions) {
            if (action.turn != run.turn()) continue;
            ++result.carriedOut;
            if (!run.perform(action)) result.refused.push_back(action.when + " " + action.text);
        }
        run.step(none);
    }
    result.completionMs = run.completionMs();
    if (result.completionMs >= 0) {
        GLevelObjectiveList* objectives = run.configuration()->Objectives.get();
        for (u32 i = 0; objectives && i < objectives->size(); ++i)
            if (!objectives->get(i)->isCompleted(level))
                result.openAtNotice.push_back(
                    narrow(objectives->get(i)->getProgressText(level, nullptr)));
    }
    return result;
}

class LevelScript : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(LevelScript, ItsScriptWinsTheLevelWithinItsTime) {
    const SScriptRun run = playScript(GetParam());
    ASSERT_TRUE(run.loaded) << "the level does not load";
    ASSERT_TRUE(run.scriptRead) << "the script does not read";
    ASSERT_GT(run.actions, 0u);
    ASSERT_GT(run.limitMs, 0) << "the level has no Time";
    std::string refused;
    for (const std::string& line : run.refused) refused += "\n  " + line;
    EXPECT_TRUE(run.refused.empty()) << "refused:" << refused;
    std::string open;
    for (const std::string& line : run.openAtNotice) open += "\n  " + line;
    EXPECT_TRUE(run.openAtNotice.empty()) << "open at the completion notice:" << open;
    ASSERT_GE(run.completionMs, 0) << "no completion notice within " << run.limitMs << " ms";
    EXPECT_LE(run.completionMs, run.limitMs);
    // The script ends with the level: no action of it comes after the notice.
    EXPECT_EQ(run.carriedOut, run.actions);
    std::printf("level%d: completed at %lld ms of %lld ms\n", GetParam(),
                static_cast<long long>(run.completionMs), static_cast<long long>(run.limitMs));
}

INSTANTIATE_TEST_SUITE_P(Campaign, LevelScript, ::testing::ValuesIn(ScriptedLevels),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Level" + std::to_string(info.param);
                         });
