// The level bot on the harness's small level (its own tables): it meets every objective, on the
// same day in two runs, with actions the play screen offers at a quick player's pace and one
// delivery of a kind at a time; its script replayed by level_sim gives the same final digest. A
// type the upgrades forbid is never built, and a level whose objective needs it is reported not
// won, naming the objective; a level whose end a lot blocks names the lot.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/game/levels/BotRuns.h"
#include "tests/nodes/ProgramRun.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelbot;
using namespace brasquel::test;
namespace fs = std::filesystem;

namespace {

const std::string Assets = ASSETS_DIR;
const std::string Small = SMALL_LEVEL_DIR;

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LevelBotRuns : public ::testing::Test {
protected:
    LevelBotRuns()
        : m_dir(fs::temp_directory_path() / ("brasquel-levelbot-" + std::to_string(::getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~LevelBotRuns() override { fs::remove_all(m_dir); }
    fs::path path(const char* name) const { return m_dir / name; }

private:
    fs::path m_dir;
};

// The last digest level_sim prints for the script over the days.
std::string replayedDigest(const std::string& script, u32 days, const fs::path& transcript) {
    std::string log;
    const int code = oskel::test::runProgram(
        {LEVEL_SIM_PROGRAM, "--assets", Assets, "--level", Small, "--tables", Small, "--upgrades",
         "campaign", "--seed", "1", "--days", std::to_string(days), "--script", script,
         "--transcript", transcript.string()},
        log);
    EXPECT_EQ(code, 0) << log;
    std::string digest;
    std::istringstream lines(readText(transcript));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("  digest ", 0) == 0) digest = line.substr(9);
    return digest;
}

}  // namespace

TEST_F(LevelBotRuns, TheSmallLevelIsWonOnTheSameDayTwiceAndItsScriptReplaysToTheSameDigest) {
    const SBotRun first = playBot(Assets, Small, Small);
    const SBotRun second = playBot(Assets, Small, Small);
    ASSERT_FALSE(first.actions.empty());
    EXPECT_TRUE(first.won);
    EXPECT_TRUE(first.unmet.empty());
    EXPECT_TRUE(first.refused.empty()) << first.refused.front();
    EXPECT_GT(first.completionMs, 0);
    EXPECT_LE(static_cast<u64>(first.completionMs), first.limitMs);
    // The completion day ends the run.
    const u64 dayMs = 20000;
    EXPECT_EQ(first.days, static_cast<u64>(first.completionMs) / dayMs + 1);

    // The same run twice.
    EXPECT_EQ(second.completionMs, first.completionMs);
    EXPECT_EQ(second.days, first.days);
    EXPECT_EQ(textsOf(second.actions), textsOf(first.actions));
    EXPECT_EQ(second.digest, first.digest);

    // Replayed in-process: each action offered then, at the pace, one order of a kind at a time,
    // and every objective met when the completion notice comes.
    const SReplay replay = replayBot(Assets, Small, Small, first.actions, first.days);
    ASSERT_TRUE(replay.loaded);
    EXPECT_TRUE(replay.notOffered.empty()) << replay.notOffered.front();
    EXPECT_TRUE(replay.refused.empty()) << replay.refused.front();
    EXPECT_TRUE(replay.tooSoon.empty()) << replay.tooSoon.front();
    EXPECT_TRUE(replay.secondOrder.empty()) << replay.secondOrder.front();
    EXPECT_EQ(replay.completionMs, first.completionMs);
    EXPECT_TRUE(replay.openAtNotice.empty()) << replay.openAtNotice.front();
    EXPECT_EQ(replay.digest, first.digest);

    // The script through the harness's program: the same final digest.
    const std::string script = path("small.txt").string();
    ASSERT_TRUE(writeScript(script, first, {"the small level"}));
    EXPECT_EQ(readText(script).rfind("# the small level\n", 0), 0u);
    EXPECT_EQ(replayedDigest(script, first.days, path("transcript.txt")), first.digest);
}

// The small level in a folder of the test's own, its objectives (and its requests, when given)
// replaced.
std::string smallWith(const fs::path& folder, const std::string& objectives,
                      const std::string& requests = std::string()) {
    fs::create_directories(folder);
    for (const char* file :
         {"Level.oscn", "BuildingsConfiguration.xml", "UpgradesConfiguration.xml"})
        fs::copy_file(fs::path(Small) / file, folder / file);
    std::string configuration = readText(fs::path(Small) / "LevelConfiguration.xml");
    configuration =
        std::regex_replace(configuration, std::regex("<Objectives>[\\s\\S]*</Objectives>"),
                           "<Objectives>" + objectives + "</Objectives>");
    if (!requests.empty())
        configuration =
            std::regex_replace(configuration, std::regex("<RandomEvents>[\\s\\S]*</RandomEvents>"),
                               "<RandomEvents>" + requests + "</RandomEvents>");
    std::ofstream(folder / "LevelConfiguration.xml") << configuration;
    return folder.string();
}

TEST_F(LevelBotRuns, ALevelWantingAForbiddenTypeIsNotWonAndNamesTheObjective) {
    // The small level with one objective: a statue, whose upgrade the player does not own.
    const std::string folder =
        smallWith(path("statue"),
                  "<Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\"Statue\" "
                  "Value=\"1\" MustOwn=\"true\" InfoStr=\"A statue\" />");
    const SBotRun run = playBot(Assets, folder, folder);
    EXPECT_FALSE(run.won);
    EXPECT_LT(run.completionMs, 0);
    ASSERT_EQ(run.unmet.size(), 1u);
    EXPECT_EQ(run.unmet[0], "objective 1 HaveTypedBuildingsCount 0/1");
    for (const levelsim::SAction& action : run.actions)
        EXPECT_EQ(action.text.find("Statue"), std::string::npos) << action.text;
    // It played to the end of the day its Time ran out in.
    EXPECT_GE(static_cast<u64>(run.days) * 20000, run.limitMs);
}

TEST_F(LevelBotRuns, ALevelWhoseEndALotBlocksNamesTheLot) {
    // The income alone, and the garden dirty early: its type gives no bonus, so the play screen
    // shows it no clean button, and a dirty lot blocks the end.
    const std::string folder = smallWith(
        path("dirty"), "<Objective Type=\"Income\" Value=\"1500\" />",
        "<Event Type=\"OneTimeDirtyBuildingRequest\" TimeRange=\"3000;4000\" PlaceNames=\"G1\" />");
    const SBotRun run = playBot(Assets, folder, folder);
    EXPECT_FALSE(run.won);
    ASSERT_EQ(run.unmet.size(), 1u);
    EXPECT_EQ(run.unmet[0],
              "the end is blocked \"%GamePlay_CompleteBlocked3Hint%\": G1 (Garden, problem 2, "
              "action 0)");
    for (const levelsim::SAction& action : run.actions) EXPECT_NE(action.text, "clean G1");
}

TEST_F(LevelBotRuns, TheCommandLinePrintsTheRunAndWritesItsScript) {
    const std::string script = path("run.txt").string();
    std::string log;
    const fs::path printed = path("printed.txt");
    const int code = oskel::test::runProgram(
        {"/bin/sh", "-c",
         std::string(LEVEL_BOT_PROGRAM) + " --assets " + Assets + " --level " + Small +
             " --tables " + Small + " --script " + script + " > " + printed.string()},
        log);
    EXPECT_EQ(code, 0) << log;
    const SBotRun in = playBot(Assets, Small, Small);
    const std::string text = readText(printed);
    EXPECT_NE(text.find("bot-time " + std::to_string(in.completionMs) + "\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("time " + std::to_string(in.limitMs) + "\n"), std::string::npos);
    EXPECT_NE(text.find("won yes\n"), std::string::npos);
    EXPECT_NE(text.find("digest " + in.digest + "\n"), std::string::npos);
    EXPECT_NE(text.find("script " + script + "\n"), std::string::npos);
    // The script holds the actions and says how to replay it.
    const std::string written = readText(script);
    EXPECT_NE(written.find("# Replay: level_sim "), std::string::npos);
    for (const levelsim::SAction& action : in.actions)
        EXPECT_NE(written.find(action.when + " " + action.text + "\n"), std::string::npos)
            << action.text;
}
