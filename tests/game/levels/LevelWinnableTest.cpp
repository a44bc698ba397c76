// The campaign's levels in the test command: each region's first level and the last one, each
// won by the level bot within its Time at seed 1. A level not won names its open objectives, the
// harness's digest at the end and the script that replays the run with level_sim.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/game/levels/BotRuns.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelbot;
using namespace brasquel::test;
namespace fs = std::filesystem;

namespace {

const std::string Assets = ASSETS_DIR;
const std::string RunsDir = LEVEL_BOT_RUNS_DIR;

class LevelWinnable : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(LevelWinnable, TheBotCompletesTheLevelWithinItsTime) {
    const std::string name = "level" + std::to_string(GetParam());
    const std::string folder = "levels/" + name;
    const SBotRun run = playBot(Assets, folder, std::string());
    ASSERT_GT(run.dayLength, 0u) << folder << " does not load";
    ASSERT_GT(run.limitMs, 0u) << folder << " has no Time";
    EXPECT_TRUE(run.refused.empty()) << run.refused.front();

    fs::create_directories(RunsDir);
    const std::string script = (fs::path(RunsDir) / (name + ".txt")).string();
    const std::string replay = "level_sim --assets " + Assets + " --level " + folder +
                               " --upgrades campaign --seed 1 --days " + std::to_string(run.days) +
                               " --script " + script;
    ASSERT_TRUE(writeScript(
        script, run, {"The level bot's run of " + folder + " at seed 1.", "Replay: " + replay}));
    std::string unmet;
    for (const std::string& line : run.unmet) unmet += "\n  " + line;
    EXPECT_TRUE(run.won) << folder << " not won within " << run.limitMs << " ms; open:" << unmet
                         << "\n  digest " << run.digest << "\n  script " << script;
    if (run.won)
        std::printf("%s: bot time %lld ms of %llu ms, ratio %.3f\n", name.c_str(),
                    static_cast<long long>(run.completionMs),
                    static_cast<unsigned long long>(run.limitMs),
                    static_cast<double>(run.completionMs) / static_cast<double>(run.limitMs));
}

INSTANTIATE_TEST_SUITE_P(Campaign, LevelWinnable, ::testing::Values(WINNABLE_LEVELS),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Level" + std::to_string(info.param);
                         });
