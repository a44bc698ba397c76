#include <gtest/gtest.h>

#include "tests/game/minigames/MiniGameWorld.h"

namespace brasquel::test {
namespace {

// ---- Configuration ----

struct ConfigCase {
    const char* label;
    const char* file;  // nullptr: no file
    bool loaded;
    s32 maxLevelTime;
    s32 expertScore;
};

TEST(MiniGameBase, ReadsItsConfigurationFile) {
    const ConfigCase cases[] = {
        {"only the time limit", "<MiniGame><MaxLevelTime Value=\"90000\"/></MiniGame>", true, 90000,
         0},
        {"both values",
         "<MiniGame><ExpertScore Value=\"700\"/><MaxLevelTime Value=\"1000\"/></MiniGame>", true,
         1000, 700},
        {"a missing Value keeps the value before",
         "<MiniGame><MaxLevelTime Value=\"5000\"/><MaxLevelTime/><ExpertScore/></MiniGame>", true,
         5000, 0},
        {"nothing after the end of MiniGame",
         "<MiniGame><ExpertScore Value=\"3\"/></MiniGame><MaxLevelTime Value=\"77\"/>", true, 0, 3},
        {"no file", nullptr, false, 0, 0},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.label);
        MiniWorld world;
        if (c.file) world.write("levels/mg/MiniGameConfiguration.xml", c.file);
        auto game = world.makeGame<GMiniGameHiddenScene>();
        LogCapture logs;
        EXPECT_EQ(game->loadConfiguration(stringc("levels/mg/")), c.loaded);
        EXPECT_EQ(game->getMaxLevelTime(), c.maxLevelTime);
        EXPECT_EQ(game->getExpertScore(), c.expertScore);
        EXPECT_EQ(linesOf(logs, "Unable to find configuration for the minigame").size(),
                  c.loaded ? 0u : 1u);
    }
}

TEST(MiniGameBase, TheAuctionKeepsItsTurnSequenceWithDefaults) {
    MiniWorld world;
    world.write("levels/mg/MiniGameConfiguration.xml",
                "<MiniGame><Sequence><S/><S M=\"4\" D=\"3\"/><S M=\"7\"/></Sequence>"
                "<MaxLevelTime Value=\"60000\"/></MiniGame>");
    auto game = world.makeGame<GMiniGameAuctionScene>();
    ASSERT_TRUE(game->loadConfiguration(stringc("levels/mg/")));
    const auto& steps = game->getTurnSequence();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].M, 2);
    EXPECT_EQ(steps[0].D, 1);
    EXPECT_EQ(steps[1].M, 4);
    EXPECT_EQ(steps[1].D, 3);
    EXPECT_EQ(steps[2].M, 7);
    EXPECT_EQ(steps[2].D, 1);
    EXPECT_EQ(game->getMaxLevelTime(), 60000);
}

// ---- Phases ----

TEST(MiniGameBase, TheGuideSpeaksAfterTheIntroAndLeavesAtTheFirstClick) {
    MiniWorld world;
    auto game = world.makeGame<GMiniGameHiddenScene>();
    game->onLoaded();
    BaseNode* text = game->getLinetText();
    ASSERT_NE(text, nullptr);
    world.enter(game.get());
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Intro);
    EXPECT_EQ(text->getTintColor(), 0x00FFFFFFu);
    MiniWorld::run(game.get(), 290);
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Intro);
    EXPECT_FALSE(plays(text, "Appear"));
    MiniWorld::run(game.get(), 10);
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Briefing);
    EXPECT_TRUE(plays(text, "Appear"));
    world.frame();
    world.down(5, 5);
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Playing);
    EXPECT_TRUE(plays(game->getLinet(), "Disappear"));
    EXPECT_TRUE(plays(text, "Disappear"));
}

// ---- The end of a game ----

struct FinishCase {
    const char* label;
    s32 maxUnlocked, levelIndex;
    const char* scores;
    const char* times;
    s32 score, timeMs;
    s32 wantMaxUnlocked, wantLevelIndex;
    const char* wantScores;
    const char* wantTimes;
    s32 wantGain;
};

TEST(MiniGameBase, FinishWritesTheResultIntoTheProfile) {
    const FinishCase cases[] = {
        {"empty lists, index 3", 4, 3, "", "", 90, 1500, 4, 3, "0;0;0;90", "0;0;0;1500", 90},
        {"score 0 gains nothing", 4, 3, "", "", 0, 1500, 4, 3, "0;0;0;0", "0;0;0;1500", 0},
        {"a better stored score stays", 4, 2, "1;2;500", "1;2;900", 400, 1200, 4, 2, "1;2;500",
         "1;2;1200", 0},
        {"a better score replaces it", 4, 2, "1;2;500", "1;2;900", 650, 800, 4, 2, "1;2;650",
         "1;2;800", 150},
        {"max 4 index 2: unchanged", 4, 2, "", "", 10, 10, 4, 2, "0;0;10", "0;0;10", 10},
        {"max 1 index 2: unlocked", 1, 2, "", "", 10, 10, 2, 3, "0;0;10", "0;0;10", 10},
    };
    for (const FinishCase& c : cases) {
        SCOPED_TRACE(c.label);
        MiniWorld world;
        CProfile* profile = world.profile();
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        profile->setInt(ProfileKeyLevelIndex, c.levelIndex);
        profile->setString(ProfileKeyScores, c.scores);
        profile->setString(ProfileKeyTimes, c.times);
        auto game = makeRef<Probe<GMiniGameHiddenScene>>(world.context("MiniGame"));
        world.enter(game.get());
        game->setScore(c.score);
        game->setGameTime(static_cast<u32>(c.timeMs));
        game->finish();
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), c.wantMaxUnlocked);
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), c.wantLevelIndex);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyScores).c_str()), c.wantScores);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyTimes).c_str()), c.wantTimes);
        // Saved: a fresh reading of the players' file holds the same lists.
        CRefPtr<CProfileManager> again = world.players.reread();
        ASSERT_GT(again->getProfileCount(), 0u);
        EXPECT_EQ(std::string(again->getProfile(0)->getString(ProfileKeyScores).c_str()),
                  c.wantScores);
        GMiniCompletedScene* completed = world.completed();
        ASSERT_NE(completed, nullptr);
        EXPECT_EQ(completed->getResultTime(), c.timeMs);
        EXPECT_EQ(completed->getResultScore(), c.wantGain);
    }
}

TEST(MiniGameBase, WithoutAPlayerTheCompletedSceneStillOpens) {
    MiniWorld world;
    world.players.clear();
    ASSERT_EQ(world.profile(), nullptr);
    auto game = makeRef<Probe<GMiniGameHiddenScene>>(world.context("MiniGame"));
    world.write("levels/mg/MiniGameConfiguration.xml",
                "<MiniGame><MaxLevelTime Value=\"90000\"/></MiniGame>");
    ASSERT_TRUE(game->loadConfiguration(stringc("levels/mg/")));
    world.enter(game.get());
    game->setScore(300);
    game->setGameTime(4000);
    game->finish();
    GMiniCompletedScene* completed = world.completed();
    ASSERT_NE(completed, nullptr);
    EXPECT_EQ(completed->getResultCode(), 90000);
    EXPECT_EQ(completed->getResultTime(), 4000);
    EXPECT_EQ(completed->getResultScore(), 0);
}

// The progress keys move once per visit, even when the completed scene cannot open and the
// game stays on screen.
TEST(MiniGameBase, FinishRunsOncePerVisit) {
    for (bool withCompleted : {true, false}) {
        SCOPED_TRACE(withCompleted ? "the completed scene opens" : "no completed scene");
        MiniWorld world(withCompleted);
        CProfile* profile = world.profile();
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, 1);
        profile->setInt(ProfileKeyLevelIndex, 2);
        auto game = makeRef<Probe<GMiniGameHiddenScene>>(world.context("MiniGame"));
        world.enter(game.get());
        game->setScore(10);
        game->setGameTime(100);
        game->finish();
        EXPECT_TRUE(game->isFinished());
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 3);
        EXPECT_EQ(world.completed() != nullptr, withCompleted);
        if (!withCompleted) EXPECT_EQ(world.manager->getCurrentScene(), game.get());
        game->setScore(20);
        game->setGameTime(200);
        game->finish();
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), 2);
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 3);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyScores).c_str()), "0;0;10");
        EXPECT_EQ(std::string(profile->getString(ProfileKeyTimes).c_str()), "0;0;100");
    }
}

// A damaged level index in the profile neither indexes nor pads the lists; the player still
// sees the completed scene.
TEST(MiniGameBase, ABadLevelIndexWritesNothing) {
    for (s32 index : {-1, -400, 5000000}) {
        SCOPED_TRACE(index);
        MiniWorld world;
        CProfile* profile = world.profile();
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, 0);
        profile->setInt(ProfileKeyLevelIndex, index);
        profile->setString(ProfileKeyScores, "5;6");
        profile->setString(ProfileKeyTimes, "7;8");
        auto game = makeRef<Probe<GMiniGameHiddenScene>>(world.context("MiniGame"));
        world.enter(game.get());
        game->setScore(100);
        game->setGameTime(100);
        LogCapture logs;
        game->finish();
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), index);
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), 0);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyScores).c_str()), "5;6");
        EXPECT_EQ(std::string(profile->getString(ProfileKeyTimes).c_str()), "7;8");
        EXPECT_FALSE(world.errors(logs).empty());
        ASSERT_NE(world.completed(), nullptr);
        EXPECT_EQ(world.completed()->getResultScore(), 0);
    }
}

// ---- Each class ----

TEST(MiniGameClasses, TheFactoryMakesEachGameAndNeverTheBase) {
    MiniWorld world;
    const struct {
        const wchar_t* name;
        s32 typeId;
    } games[] = {{L"GMiniGameHiddenScene", GameNodeTypeMiniGameHiddenScene},
                 {L"GMiniGameHidden2Scene", GameNodeTypeMiniGameHidden2Scene},
                 {L"GMiniGameAuctionScene", GameNodeTypeMiniGameAuctionScene}};
    for (const auto& g : games) {
        CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
            CNodeFactory::instance().createNode(g.name, CCreationContext()));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getTypeId(), g.typeId);
        for (s32 kind : {g.typeId, static_cast<s32>(GameNodeTypeMiniGameScene),
                         static_cast<s32>(GameNodeTypeBaseScene), static_cast<s32>(NodeTypeScene),
                         static_cast<s32>(NodeTypeControl), static_cast<s32>(NodeTypeBase)})
            EXPECT_TRUE(node->isKindOf(kind)) << kind;
        EXPECT_NE(IMiniGame::of(node.get()), nullptr);
        CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->getClassName(), stringw(g.name));
    }
    GMiniGameScene base{CCreationContext()};
    EXPECT_EQ(base.clone(nullptr, nullptr), nullptr);
    EXPECT_EQ(CNodeFactory::instance().createNode(L"GMiniGameScene", CCreationContext()), nullptr);
}

}  // namespace
}  // namespace brasquel::test
