#include <gtest/gtest.h>

#include <functional>

#include "engine/core/event/VirtualKeys.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GInGameMenuScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "tests/game/play/EndWorld.h"
#include "tests/game/play/PlayWorld.h"

namespace brasquel::test {
namespace {

// Three objectives: workers (3 of 4 at the start), money and income.
const char* kThreeObjectives =
    "<Objective Type=\"Workers\" Value=\"4\"/>"
    "<Objective Type=\"Money\" Value=\"900000\"/>"
    "<Objective Type=\"Income\" Value=\"700000\"/>";

bool keyUp(GGamePlayScene* screen, u32 key, bool shift = false) {
    return screen->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, shift, false).get());
}

size_t countOf(const std::vector<BaseNode*>& nodes, bool present) {
    size_t n = 0;
    for (BaseNode* node : nodes) n += (node != nullptr) == present ? 1 : 0;
    return n;
}

TEST(GamePlayScene, ClassIdentity) {
    PlayWorld world;
    GGamePlayScene* screen = world.loadPlayScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->getTypeId(), GameNodeTypeGamePlayScene);
    for (s32 kind : {s32(GameNodeTypeGamePlayScene), s32(GameNodeTypeBaseScene), s32(NodeTypeScene),
                     s32(NodeTypeControl), s32(NodeTypeBase)})
        EXPECT_TRUE(screen->isKindOf(kind)) << kind;
    EXPECT_EQ(toUtf8(screen->getClassName().c_str()), "GGamePlayScene");
    EXPECT_EQ(screen->getUpdatePeriod(), GGamePlayScene::UpdatePeriod);
    EXPECT_NE(screen->getCategoryMask() & CategoryGame, 0u);
    EXPECT_EQ(IGamePlayScreen::of(screen), screen);
}

TEST(GamePlayScene, BindsEveryNodeOfTheFixture) {
    PlayWorld world;
    ASSERT_NE(world.loadPlayScreen(), nullptr);
    PlayScreenProbe* probe = world.probe();
    EXPECT_EQ(probe->m_gameMenu, world.find("GameMenu"));
    EXPECT_EQ(probe->m_moneyText, world.find("GameMenu/MoneyNode/MoneyText"));
    EXPECT_EQ(probe->m_dayBar, world.find("GameMenu/MoneyNode/ProgressBar"));
    EXPECT_EQ(probe->m_clockHand, world.find("GameMenu/TimeNode/LongArrow"));
    EXPECT_EQ(probe->m_timeSector, world.find("GameMenu/TimeNode/Ellipse"));
    EXPECT_EQ(probe->m_ratingStars.size(), 6u);
    EXPECT_EQ(countOf(probe->m_ratingStars, true), 6u);
    EXPECT_EQ(probe->m_goalBoxes.size(), 5u);
    EXPECT_EQ(countOf(probe->m_summaryStars, true), 6u);
    EXPECT_EQ(probe->m_summaryGoalBoxes.size(), 4u);
    for (u32 i = 0; i < 10; ++i) EXPECT_NE(probe->m_tabs[i], nullptr) << i;
}

TEST(GamePlayScene, MissingStarsAreKeptAsEmptyEntries) {
    PlayWorld world;
    std::string xml = playScreenFixture();
    // The first RatingNode of the file is the one under GameMenu.
    for (const char* star : {"Star2", "Star4", "Star5", "Star6"}) xml = withoutNode(xml, star);
    ASSERT_NE(world.loadPlayScreen(xml), nullptr);
    const std::vector<BaseNode*>& stars = world.probe()->m_ratingStars;
    ASSERT_EQ(stars.size(), 6u);
    const bool expected[6] = {true, false, true, false, false, false};
    for (u32 i = 0; i < 6; ++i) EXPECT_EQ(stars[i] != nullptr, expected[i]) << "star " << i + 1;
    EXPECT_EQ(countOf(world.probe()->m_summaryStars, true), 6u);
}

TEST(GamePlayScene, WithoutGameMenuNothingIsBoundAndTheLevelStillRuns) {
    PlayWorld world;
    ASSERT_NE(world.loadPlayScreen(withoutNode(playScreenFixture(), "GameMenu")), nullptr);
    PlayScreenProbe* probe = world.probe();
    EXPECT_NE(probe->m_internalScene, nullptr);
    EXPECT_EQ(probe->m_gameMenu, nullptr);
    EXPECT_EQ(probe->m_actionsTabScene, nullptr);
    EXPECT_TRUE(probe->m_ratingStars.empty());
    EXPECT_TRUE(probe->m_goalBoxes.empty());
    ASSERT_TRUE(world.prepare());
    world.enter();
    world.advance(3000);
    EXPECT_TRUE(probe->m_entered);
    EXPECT_TRUE(probe->m_objectivesShown);
}

TEST(GamePlayScene, LoadLevelRefusals) {
    struct Case {
        const char* name;
        std::function<void(PlayWorld&)> arrange;
        const char* folder;
        bool withLevel;
        bool logged;
    };
    const Case cases[] = {
        {"empty folder", [](PlayWorld&) {}, "", true, false},
        {"no level", [](PlayWorld&) {}, PlayWorld::Folder, false, false},
        {"no level layer", [](PlayWorld& w) { w.play.worldSceneManager = nullptr; },
         PlayWorld::Folder, true, false},
        {"no profile", [](PlayWorld&) { CProfileManager::instance().setActiveProfile(-1); },
         PlayWorld::Folder, true, false},
        {"no configuration file", [](PlayWorld&) {}, "levels/none/", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayWorld world;
        ASSERT_NE(world.loadPlayScreen(), nullptr);
        ASSERT_NE(world.makeLevel(), nullptr);
        c.arrange(world);
        LogCapture logs;
        EXPECT_FALSE(
            world.screenNode->loadLevel(c.folder, c.withLevel ? world.level.get() : nullptr));
        EXPECT_EQ(world.screenNode->getLevelScene(), nullptr);
        EXPECT_EQ(world.level->getLevelConfiguration(), nullptr);
        const std::vector<std::string> lines =
            linesOf(logs, "Unable to find configuration for the level");
        if (c.logged)
            EXPECT_EQ(lines, std::vector<std::string>{
                                 "Unable to find configuration for the level|levels/none/"});
        else
            EXPECT_TRUE(lines.empty());
    }
    // A play screen without InternalGamePlayScene.
    PlayWorld world;
    ASSERT_NE(world.loadPlayScreen(withoutNode(playScreenFixture(), "InternalGamePlayScene")),
              nullptr);
    ASSERT_NE(world.makeLevel(), nullptr);
    EXPECT_FALSE(world.screenNode->loadLevel(PlayWorld::Folder, world.level.get()));
    EXPECT_EQ(world.level->getLevelConfiguration(), nullptr);
}

TEST(GamePlayScene, LoadLevelSetsTheLevelUpInTheLevelLayer) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    EXPECT_EQ(world.screenNode->getLevelScene(), world.level.get());
    EXPECT_EQ(world.layer->getCurrentScene(), world.level.get());
    EXPECT_FALSE(world.level->isPaused());
    GLevelConfiguration* configuration = world.level->getLevelConfiguration();
    ASSERT_NE(configuration, nullptr);
    EXPECT_EQ(world.level->getBuildingsConfiguration(), world.catalogue.get());
    EXPECT_NE(world.level->getUpgradeEffects(), nullptr);
    EXPECT_NE(world.level->getLevelPaths(), nullptr);
    // The level is missing from the scores table: it plays with 0, 0 and 360 s, and the table
    // keeps the new entry.
    EXPECT_EQ(configuration->Score, 0);
    EXPECT_EQ(configuration->ExpertScore, 0);
    EXPECT_EQ(configuration->LevelTime, 360);
    const SLevelScore* entry = world.play.scores->find("level7");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Score, 0);
    EXPECT_EQ(entry->ExpertScore, 0);
    EXPECT_EQ(entry->Time, 360);
    // The hint window waits hidden under InternalGamePlayScene, its skip button hidden too.
    BaseNode* window = world.screenNode->getHintWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getParent(), world.find(""));
    EXPECT_FALSE(window->isVisible());
    ASSERT_NE(window->findChildByName("SkipTutorialButton", 1), nullptr);
    EXPECT_FALSE(window->findChildByName("SkipTutorialButton", 1)->isVisible());
}

TEST(GamePlayScene, ScoresTableEntryOverridesTheConfiguration) {
    PlayWorld world;
    SLevelScore& entry = world.play.scores->get("level7");
    entry.Score = 1200;
    entry.ExpertScore = 2400;
    entry.Time = 300;
    ASSERT_TRUE(world.prepare());
    GLevelConfiguration* configuration = world.level->getLevelConfiguration();
    EXPECT_EQ(configuration->Score, 1200);
    EXPECT_EQ(configuration->ExpertScore, 2400);
    EXPECT_EQ(configuration->LevelTime, 300);
}

TEST(GamePlayScene, MissingHintWindowTemplateLeavesNoHintWindow) {
    PlayWorld world(false);
    ASSERT_TRUE(world.prepare());
    EXPECT_EQ(world.screenNode->getHintWindow(), nullptr);
    const size_t children = world.find("")->getChildCount();
    world.enter();
    world.level->CompletionHint = "%GamePlay_CompleteHintWorkers%";
    world.advance(12000);
    EXPECT_EQ(world.screenNode->getHintWindow(), nullptr);
    // Only the level layer joined InternalGamePlayScene.
    EXPECT_EQ(world.find("")->getChildCount(), children + 1);
    EXPECT_EQ(world.play.started("TutorialWindow"), 0u);
}

TEST(GamePlayScene, EnteringInsertsTheLevelLayerOnceAndRunsTheFlow) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    world.enter();
    BaseNode* internal = world.find("");
    ASSERT_FALSE(internal->getChildren().empty());
    EXPECT_EQ(internal->getChildren().front(), world.layer.get());
    EXPECT_EQ(world.level->getSceneManager(), world.layer.get());
    EXPECT_TRUE(world.probe()->m_entered);
    // The objectives scene file is missing: the level goes on as if it had been shown.
    EXPECT_TRUE(world.probe()->m_objectivesShown);
    EXPECT_EQ(world.screenNode->getPendingAction(), GGamePlayScene::PendingNone);
    world.visit<GInGameMenuScene>("Menu");
    world.visit<GInGameMenuScene>("Menu");
    size_t layers = 0;
    for (BaseNode* child : internal->getChildren()) layers += child == world.layer.get() ? 1 : 0;
    EXPECT_EQ(layers, 1u);
    EXPECT_EQ(internal->getChildren().front(), world.layer.get());
    EXPECT_EQ(world.textOf("GameMenu/TimeNode/TargetTimeText"), "06:00");
}

TEST(GamePlayScene, MusicStartsOnceAfterTwoSecondsAndNotAgainAfterTheMenu) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    world.enter();  // the entry itself takes part of the first second
    EXPECT_EQ(world.play.started("GameMusicSetting2"), 0u);
    world.advance(2000);
    EXPECT_EQ(world.play.started("GameMusicSetting2"), 1u);
    EXPECT_TRUE(world.screenNode->isLevelMusicPlaying());
    world.advance(3000);
    world.visit<GInGameMenuScene>("Menu");
    world.advance(3000);
    EXPECT_EQ(world.play.started("GameMusicSetting2"), 1u);
}

TEST(GamePlayScene, PendingActionFollowsTheSceneLeft) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    GGamePlayScene* screen = world.screenNode.get();
    auto objectives = makeScene<GLevelObjectivesScene>("Objectives");
    auto achievement = makeScene<GAchievementUnlockedScene>("Achievement");
    auto menu = makeScene<GInGameMenuScene>("Menu");
    struct Case {
        SceneNode* left;
        bool forward;
        s32 before;
        s32 expected;
    };
    const Case cases[] = {
        {nullptr, true, GGamePlayScene::PendingNone, GGamePlayScene::PendingShowObjectives},
        {menu.get(), true, GGamePlayScene::PendingNone, GGamePlayScene::PendingShowObjectives},
        {objectives.get(), false, GGamePlayScene::PendingNone,
         GGamePlayScene::PendingStartTutorial},
        {achievement.get(), false, GGamePlayScene::PendingNone,
         GGamePlayScene::PendingCheckLevelEnd},
        {menu.get(), false, GGamePlayScene::PendingNone, GGamePlayScene::PendingNone},
        {menu.get(), false, GGamePlayScene::PendingStartTutorial,
         GGamePlayScene::PendingStartTutorial},
    };
    for (const Case& c : cases) {
        if (c.before != GGamePlayScene::PendingNone)
            screen->onEvent(
                makeEvent<CEventNodeSceneSwitchEnd>(objectives.get(), screen, false).get());
        else
            world.probe()->update(0);  // nothing pending after a frame with no level end
        while (screen->getPendingAction() != c.before) world.probe()->update(0);
        EXPECT_TRUE(
            screen->onEvent(makeEvent<CEventNodeSceneSwitchEnd>(c.left, screen, c.forward).get()));
        EXPECT_EQ(screen->getPendingAction(), c.expected)
            << (c.left ? c.left->getNodeName().c_str() : "-") << (c.forward ? " forward" : "");
        EXPECT_TRUE(world.probe()->m_entered);
    }
}

TEST(GamePlayScene, TutorialPauseSurvivesAMenuTrip) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        PlayWorld world;
        // Open objectives, so that the level's time runs.
        world.writeLevel(levelConfigurationXml("7", true, kThreeObjectives));
        ASSERT_TRUE(world.prepare());
        world.enter();
        CTimerScheduler* clock = world.level->getTimerScheduler();
        ASSERT_NE(clock, nullptr);
        EXPECT_TRUE(clock->isEnabled());
        if (paused) EXPECT_TRUE(world.level->onEvent(makeEvent<GEventTutorialFlag>(u8(1)).get()));
        world.visit<GInGameMenuScene>("Menu");
        EXPECT_EQ(clock->isEnabled(), !paused);
        EXPECT_EQ(world.level->isPaused(), paused);
        const f32 before = world.level->LevelTimeMs;
        world.advance(1000);
        if (paused)
            EXPECT_EQ(world.level->LevelTimeMs, before);
        else
            EXPECT_GT(world.level->LevelTimeMs, before);
    }
}

TEST(GamePlayScene, LeavingStopsTheLevelClockAndPausesItsSounds) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    world.enter();
    auto menu = makeScene<GInGameMenuScene>("Menu");
    world.screenNode->switchTo(menu.get(), true);
    world.advance(1000);
    EXPECT_FALSE(world.level->getTimerScheduler()->isEnabled());
    EXPECT_TRUE(world.play.groups->getGroupSettings(2).paused);
}

TEST(GamePlayScene, ClockAlarmsAroundTheLevelTime) {
    struct Step {
        f32 levelTimeMs;
        size_t almostEnd;
        size_t timeOver;
        f32 hand;
        s32 sector;
    };
    struct Case {
        const char* name;
        s32 levelTime;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"300 s",
         300,
         {{150000.0f, 0, 0, 180.0f, 180},
          {285001.0f, 1, 0, 342.0012f, 342},
          {290000.0f, 1, 0, 348.0f, 348},
          {300001.0f, 1, 1, 360.0f, 360},
          {310000.0f, 1, 1, 360.0f, 360}}},
        // No time limit: no countdown, the hand stays at twelve and no alarm sounds.
        {"0 s", 0, {{20.0f, 0, 0, 0.0f, 0}, {400000.0f, 0, 0, 0.0f, 0}}},
        {"-5 s", -5, {{20.0f, 0, 0, 0.0f, 0}, {400000.0f, 0, 0, 0.0f, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayWorld world;
        world.play.scores->get("level7").Time = c.levelTime;
        ASSERT_TRUE(world.prepare());
        world.enter();
        BaseNode* hand = world.find("GameMenu/TimeNode/LongArrow");
        for (const Step& step : c.steps) {
            world.level->LevelTimeMs = step.levelTimeMs;
            world.tick(20);
            world.tick(20);
            EXPECT_EQ(world.play.started("AlmostEnd"), step.almostEnd) << step.levelTimeMs;
            EXPECT_EQ(world.play.started("TimeOver"), step.timeOver) << step.levelTimeMs;
            EXPECT_NEAR(hand->getRotation().Z, step.hand, 0.01f) << step.levelTimeMs;
            EXPECT_EQ(world.probe()->m_timeSector->Angle1, step.sector) << step.levelTimeMs;
        }
    }
}

TEST(GamePlayScene, TimeTextShowsTheLevelTime) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    world.enter();
    world.level->LevelTimeMs = 125999.0f;
    world.tick(20);
    EXPECT_EQ(world.textOf("GameMenu/TimeNode/TimeText"), "02:05");
}

TEST(GamePlayScene, GoalRowsFillStackAndHide) {
    PlayWorld world;
    world.writeLevel(levelConfigurationXml("7", true, kThreeObjectives));
    ASSERT_TRUE(world.prepare());
    world.enter();
    const std::vector<CheckBoxNode*>& boxes = world.probe()->m_goalBoxes;
    ASSERT_EQ(boxes.size(), 5u);
    for (u32 i = 0; i < 5; ++i) EXPECT_EQ(boxes[i]->isVisible(), i < 3) << i;
    // Without a font a caption has no height: each row lies 1 below the last.
    EXPECT_EQ(boxes[0]->getPosition().Y, 50.0f);
    EXPECT_EQ(boxes[1]->getPosition().Y, 51.0f);
    EXPECT_EQ(boxes[2]->getPosition().Y, 52.0f);
    EXPECT_EQ(boxes[3]->getPosition().Y, 140.0f);  // hidden ones keep their place
    EXPECT_NE(world.captionOf(boxes[0]).find("(3/4)"), std::string::npos)
        << world.captionOf(boxes[0]);
    EXPECT_FALSE(boxes[0]->isChecked());
    // The status page's rows have no progress and lie 4 apart.
    const std::vector<CheckBoxNode*>& summary = world.probe()->m_summaryGoalBoxes;
    ASSERT_EQ(summary.size(), 4u);
    EXPECT_EQ(summary[0]->getPosition().Y, 30.0f);
    EXPECT_EQ(summary[1]->getPosition().Y, 34.0f);
    EXPECT_EQ(summary[2]->getPosition().Y, 38.0f);
    EXPECT_FALSE(summary[3]->isVisible());
    EXPECT_EQ(world.captionOf(summary[0]).find('('), std::string::npos);
}

TEST(GamePlayScene, TwoGoalBoxesTakeTheFirstTwoObjectives) {
    PlayWorld world;
    world.writeLevel(levelConfigurationXml("7", true, kThreeObjectives));
    std::string xml = playScreenFixture();
    for (const char* goal : {"Goal3", "Goal4", "Goal5"}) xml = withoutNode(xml, goal);
    ASSERT_NE(world.loadPlayScreen(xml), nullptr);
    ASSERT_TRUE(world.prepare());
    world.enter();
    const std::vector<CheckBoxNode*>& boxes = world.probe()->m_goalBoxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0]->isVisible());
    EXPECT_TRUE(boxes[1]->isVisible());
    EXPECT_NE(world.captionOf(boxes[0]).find("(3/4)"), std::string::npos);
    EXPECT_NE(world.captionOf(boxes[1]).find('('), std::string::npos);
}

TEST(GamePlayScene, DoneGoalLosesItsBracketsAndIsTicked) {
    PlayWorld world;
    world.writeLevel(levelConfigurationXml("7", true, kThreeObjectives));
    ASSERT_TRUE(world.prepare());
    world.enter();
    world.level->WorkersTotal = 4;
    world.screenNode->onLevelChanged(nullptr);
    CheckBoxNode* box = world.probe()->m_goalBoxes[0];
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(world.captionOf(box).find('('), std::string::npos) << world.captionOf(box);
    EXPECT_TRUE(world.probe()->m_summaryGoalBoxes[0]->isChecked());
    EXPECT_FALSE(world.probe()->m_goalBoxes[1]->isChecked());
    EXPECT_NE(world.captionOf(world.probe()->m_goalBoxes[1]).find('('), std::string::npos);
}

TEST(GamePlayScene, WithoutDeveloperKeysOnlyEscapeIsTaken) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare());
    world.enter();
    const f32 money = world.level->Money;
    for (u32 key :
         {u32(VirtualKeyE), u32(VirtualKeyR), u32(VirtualKeyNumPadAdd), u32(VirtualKeyMinus),
          u32(VirtualKeyNumPadMultiply), u32(VirtualKeyNumPadDivide)})
        EXPECT_FALSE(keyUp(world.screenNode.get(), key)) << key;
    EXPECT_EQ(world.level->Money, money);
    EXPECT_FALSE(world.screenNode->isForcedEnd());
    LogCapture logs;
    EXPECT_TRUE(keyUp(world.screenNode.get(), VirtualKeyEscape));
    // The test's folder has no in-game menu: the switch is tried and fails.
    EXPECT_EQ(linesOf(logs, "Unable to load scene file"),
              std::vector<std::string>{"Unable to load scene file|scenes/InGameMenuScene.oscn"});
}

TEST(GamePlayScene, DeveloperKeysChangeTheLevel) {
    struct Case {
        u32 key;
        f32 money;
        f32 materials;
        s32 workers;
    };
    const Case cases[] = {
        {VirtualKeyNumPadAdd, 105000.0f, 50.0f, 3},
        {VirtualKeyMinus, -95000.0f, 50.0f, 3},
        {VirtualKeyNumPadMultiply, 5000.0f, 1050.0f, 3},
        {VirtualKeyNumPadDivide, 5000.0f, 50.0f, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        PlayWorld world;
        world.play.developerKeys = true;
        world.writeLevel(levelConfigurationXml("7", true, kThreeObjectives));
        ASSERT_TRUE(world.prepare());
        world.enter();
        ASSERT_EQ(world.level->Money, 5000.0f);
        EXPECT_TRUE(keyUp(world.screenNode.get(), c.key));
        EXPECT_EQ(world.level->Money, c.money);
        EXPECT_EQ(world.level->Materials, c.materials);
        EXPECT_EQ(world.level->Workers, c.workers);
        // The goals were refreshed at once: the workers goal shows the new count.
        const std::string expected = c.workers == 4 ? "" : "(3/4)";
        const std::string caption = world.captionOf(world.probe()->m_goalBoxes[0]);
        if (expected.empty())
            EXPECT_EQ(caption.find('('), std::string::npos) << caption;
        else
            EXPECT_NE(caption.find(expected), std::string::npos) << caption;
    }
}

TEST(GamePlayScene, DeveloperKeysWeatherAndForcedEnd) {
    PlayWorld world;
    world.play.developerKeys = true;
    ASSERT_TRUE(world.prepare());
    world.enter();
    ASSERT_NE(world.level->getWeatherNode(), nullptr);
    const s32 before = world.level->getWeatherTime();
    EXPECT_TRUE(keyUp(world.screenNode.get(), VirtualKeyR));
    EXPECT_EQ(world.level->getWeatherTime(), before + 30000);
    EXPECT_FALSE(world.screenNode->isForcedEnd());
    EXPECT_TRUE(keyUp(world.screenNode.get(), VirtualKeyE, true));
    EXPECT_TRUE(world.screenNode->isForcedEnd());
    EXPECT_FALSE(keyUp(world.screenNode.get(), VirtualKeySpace));
}

TEST(GamePlayScene, DeveloperKeysWithoutALevelAreNotTaken) {
    PlayWorld world;
    world.play.developerKeys = true;
    ASSERT_NE(world.loadPlayScreen(), nullptr);
    for (u32 key : {u32(VirtualKeyR), u32(VirtualKeyNumPadAdd), u32(VirtualKeyMinus),
                    u32(VirtualKeyNumPadMultiply), u32(VirtualKeyNumPadDivide)})
        EXPECT_FALSE(keyUp(world.screenNode.get(), key)) << key;
    EXPECT_EQ(world.screenNode->getLevelScene(), nullptr);
}

TEST(GamePlayScene, DayEndBurstsMoneyOnlyOverWorkingIncomes) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true) +
                              PlayWorld::lot("G1", "Garden", 300, 100, true) +
                              PlayWorld::lot("E1", "Empty", 500, 100, true)));
    world.enter();
    for (const char* name : {"H1", "G1", "E1"}) {
        GBuildingNode* lot = world.lotNamed(name);
        ASSERT_NE(lot, nullptr);
        lot->addState(animatorWith("MoneyBurst").get());
        world.recordStates(lot, name);
    }
    ASSERT_GE(world.lotNamed("H1")->getIncome(nullptr), 1.0f);
    ASSERT_LT(world.lotNamed("G1")->getIncome(nullptr), 1.0f);
    EXPECT_TRUE(world.screenNode->onEvent(makeEvent<GEventDayEnded>().get()));
    world.deliver();
    EXPECT_EQ(world.statesOf("H1"), std::vector<std::string>{"MoneyBurst"});
    EXPECT_TRUE(world.statesOf("G1").empty());
    EXPECT_TRUE(world.statesOf("E1").empty());
}

TEST(GamePlayScene, IncomeBurstNeedsTheMoneyStarTemplate) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true)));
    world.enter();
    GBuildingNode* lot = world.lotNamed("H1");
    lot->addState(animatorWith("MoneyBurst").get());
    world.recordStates(lot, "H1");
    EXPECT_TRUE(world.screenNode->onEvent(makeEvent<GEventBuildingIncome>(lot, 10.0f).get()));
    world.deliver();
    EXPECT_EQ(world.statesOf("H1"), std::vector<std::string>{"MoneyBurst"});
}

TEST(GamePlayScene, BuiltCountsAchievementsForNewBuildingsOnly) {
    PlayWorld world;
    writeEndScenes(world);
    ASSERT_TRUE(world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true) +
                              PlayWorld::lot("H3", "Hotel3", 300, 100, true)));
    world.enter();
    GAchievementsProgress& progress = *world.play.progress;
    // One short of counter 4's threshold, so that this building crosses it.
    progress.addProgress(4, progress.getThreshold(4) - 1);
    const s32 before4 = progress.getCounter(4);
    GBuildingNode* upgraded = world.lotNamed("H3");
    EXPECT_TRUE(world.screenNode->onEvent(
        makeEvent<GEventBuildingBuilt>(upgraded, upgraded->getCurrentType()).get()));
    EXPECT_EQ(progress.getCounter(4), before4);
    EXPECT_EQ(progress.getCounter(5), 0);
    EXPECT_EQ(progress.getCounter(6), 0);
    GBuildingNode* built = world.lotNamed("H1");
    EXPECT_TRUE(world.screenNode->onEvent(
        makeEvent<GEventBuildingBuilt>(built, built->getCurrentType()).get()));
    EXPECT_EQ(progress.getCounter(4), before4 + 1);
    EXPECT_EQ(progress.getCounter(5), 1);
    EXPECT_EQ(progress.getCounter(6), 1);
    // The crossed counter's pop-up is shown at once.
    EXPECT_TRUE(world.screenNode->getAchievementQueue().empty());
    world.advance(1000);
    EXPECT_EQ(popUpName(world), "%Achievements_5Name%");
    EXPECT_EQ(world.play.started("AchievementUnlocked"), 1u);
    EXPECT_FALSE(world.player.profile()->getString(ProfileKeyAchievementsProgress).empty());
}

TEST(GamePlayScene, IgnoredEventIsTakenOthersPassOn) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true)));
    world.enter();
    EXPECT_TRUE(world.screenNode->onEvent(makeEvent<TGameEvent<GameEventIgnored>>().get()));
    EXPECT_FALSE(
        world.screenNode->onEvent(makeEvent<GEventBuildingRepaired>(world.lotNamed("H1")).get()));
    EXPECT_TRUE(
        world.screenNode->onEvent(makeEvent<GEventResourcesReturned>(nullptr, 0.0f, 0).get()));
}

TEST(GamePlayScene, UnfocusedLotHidesItsServeArea) {
    PlayWorld world;
    ASSERT_TRUE(world.prepare(PlayWorld::lot("C1", "Cafe", 100, 100, true)));
    world.enter();
    GBuildingNode* lot = world.lotNamed("C1");
    EXPECT_TRUE(world.screenNode->onEvent(
        makeEvent<CEventNodeUnfocused>(static_cast<BaseNode*>(lot), nullptr).get()));
    EXPECT_FALSE(world.screenNode->onEvent(
        makeEvent<CEventNodeUnfocused>(world.find("GameMenu"), nullptr).get()));
}

}  // namespace
}  // namespace brasquel::test
