#include <gtest/gtest.h>

#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "game/config/GListTexts.h"
#include "tests/game/play/EndWorld.h"

namespace brasquel::test {
namespace {

// Level 7's one goal, still open at the start (the level starts with 5000).
const char* kMoneyGoal = "<Objective Type=\"Money\" Value=\"6000\"/>";
// The same goal already met by the start money.
const char* kMetMoneyGoal = "<Objective Type=\"Money\" Value=\"4000\"/>";
// Level 7's scores: plain, expert, and the expert time in seconds.
constexpr s32 kScore = 1000;
constexpr s32 kExpertScore = 3000;
constexpr s32 kExpertTime = 100;

const char* const kInGameMenuFile = "scenes/InGameMenuScene.oscn";
const char* const kRefusedLine =
    "Level completion refused: the profile's level index is out of range";

// A game event of the notice's id that is not the level's notice.
class BareGameEvent : public CEventGame {};

// The play world with the level-end services and scenes: level 7 with its goal open, entered
// (its objectives panel, missing, counts as shown).
struct LevelEnd {
    LevelEnd() {
        world.writeLevel(levelConfigurationXml("7", true, kMoneyGoal));
        SLevelScore& entry = services.scores->get("level7");
        entry.Score = kScore;
        entry.ExpertScore = kExpertScore;
        entry.Time = kExpertTime;
        writeEndScenes(world);
        profile()->setString(ProfileKeyLevelName, "Level7");
    }
    bool enter() {
        if (!world.prepare()) return false;
        world.enter();
        return true;
    }
    // The level meets its goal: its economy is worked out again, as after any change.
    void meetGoal() const {
        world.level->Money = 7000.0f;
        world.level->recalculateEconomy();
    }
    CProfile* profile() const { return world.player.profile(); }
    GGamePlayScene* screen() const { return world.screenNode.get(); }
    SceneNode* top() const { return world.manager->getCurrentScene(); }
    GAchievementsProgress& progress() const { return *services.progress; }
    // One short of the counter's threshold, so that the next count crosses it.
    void nearlyEarn(u32 counter) const {
        progress().addProgress(
            counter, progress().getThreshold(counter) - 1 - progress().getCounter(counter));
    }

    PlayWorld world;
    EndServices services{world.play};
};

bool keyUp(GGamePlayScene* screen, u32 key, bool shift) {
    return screen->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, shift, false).get());
}

bool focus(GGamePlayScene* screen, bool active) {
    return screen->onEvent(makeEvent<CEventSystemFlowWindowFocus>(active).get());
}

TEST(GamePlayEnd, CompleteLevelRecordsTheProgress) {
    struct Case {
        const char* label;
        s32 index, maxUnlocked;
        const char *scores, *times;
        bool forced;
        f32 timeMs, gainBefore;
        // After.
        s32 index2, maxUnlocked2, tutorialLevel2;
        const char *scores2, *times2;
        f32 gain;
        s32 levelsCounted, expertsCounted;
    };
    const Case cases[] = {
        {"first completion of index 4 with Max 3", 4, 3, "10;20", "", false, 50000.0f, 0.0f, 5, 4,
         4, "10;20;0;0;3000", "0;0;0;0;50000", 3000.0f, 1, 1},
        {"a replay with a lower score and a faster time", 1, 5, "0;5000", "0;90000", false,
         60000.0f, 0.0f, 1, 5, 1, "0;5000", "0;60000", 0.0f, 0, 0},
        {"a forced end in time scores the plain score", 0, 0, "", "", true, 1000.0f, 0.0f, 0, 0, 0,
         "1000", "1000", 1000.0f, 1, 0},
        {"a late end scores the plain score", 2, 1, "", "", false, 100001.0f, 0.0f, 3, 2, 2,
         "0;0;1000", "0;0;100001", 1000.0f, 1, 0},
        {"an end at the expert time is expert", 2, 1, "", "", false, 100000.0f, 0.0f, 3, 2, 2,
         "0;0;3000", "0;0;100000", 3000.0f, 1, 1},
        {"a stored time of 0 takes any time", 0, 3, "500", "0", false, 200000.0f, 0.0f, 0, 3, 0,
         "1000", "200000", 500.0f, 0, 0},
        {"the level's own gain is added, then no longer expert", 0, 3, "", "", false, 5000.0f,
         250.75f, 0, 3, 0, "3250", "5000", 3250.0f, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LevelEnd end;
        ASSERT_TRUE(end.enter());
        CProfile* profile = end.profile();
        profile->setInt(ProfileKeyLevelIndex, c.index);
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        profile->setString(ProfileKeyScores, c.scores);
        profile->setString(ProfileKeyTimes, c.times);
        end.world.level->LevelTimeMs = c.timeMs;
        end.world.level->ScoreGain = c.gainBefore;
        const s32 levels = end.progress().getCounter(GAchievementsProgress::LevelsCompleted);
        const s32 experts = end.progress().getCounter(GAchievementsProgress::ExpertScores);

        EXPECT_TRUE(end.screen()->completeLevel(c.forced));
        EXPECT_TRUE(end.screen()->isLevelCompleted());
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), c.index2);
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), c.maxUnlocked2);
        EXPECT_EQ(profile->getInt(ProfileKeyShowTutorialLevel), c.tutorialLevel2);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyScores).c_str()), c.scores2);
        EXPECT_EQ(std::string(profile->getString(ProfileKeyTimes).c_str()), c.times2);
        EXPECT_EQ(end.world.level->ScoreGain, c.gain);
        EXPECT_EQ(end.progress().getCounter(GAchievementsProgress::LevelsCompleted),
                  levels + c.levelsCounted);
        EXPECT_EQ(end.progress().getCounter(GAchievementsProgress::ExpertScores),
                  experts + c.expertsCounted);
        // The progress was saved into the profile with the lists.
        EXPECT_EQ(profile->getString(ProfileKeyAchievementsProgress), end.progress().toText());
        EXPECT_EQ(end.services.recorder->calls,
                  std::vector<std::string>{"Level7|" +
                                           std::string(decimalText(s32(c.timeMs / 1000)).c_str())});
        EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
        // No achievement crossed: the level-completed scene follows at once.
        end.world.advance(1000);
        ASSERT_NE(end.top(), nullptr);
        EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
    }
}

TEST(GamePlayEnd, CompletingStopsTheLevelSounds) {
    LevelEnd end;
    ASSERT_TRUE(end.enter());
    end.world.advance(2000);
    ASSERT_TRUE(end.screen()->isLevelMusicPlaying());
    end.meetGoal();
    end.services.groups->update(20);  // the manager lets go of the stopped instances
    EXPECT_FALSE(end.screen()->isLevelMusicPlaying());
    EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
}

// The real level meets its goal, its notice ends the level, the profile is written and the two
// level achievements are announced, expert first, each after the play screen is back, then the
// level-completed scene.
TEST(GamePlayEnd, FlowFromTheMetGoalToTheCompletedScene) {
    LevelEnd end;
    end.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, -1);
    end.nearlyEarn(GAchievementsProgress::LevelsCompleted);
    end.nearlyEarn(GAchievementsProgress::ExpertScores);
    ASSERT_TRUE(end.enter());
    EXPECT_FALSE(end.screen()->isLevelCompleted());

    end.meetGoal();
    EXPECT_TRUE(end.screen()->isLevelCompleted());
    EXPECT_EQ(end.profile()->getInt(ProfileKeyMaxUnlockedLevelIndex), 0);
    EXPECT_EQ(end.profile()->getInt(ProfileKeyLevelIndex), 1);
    EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyScores).c_str()), "3000");
    EXPECT_GT(parseIntListNarrow(end.profile()->getString(ProfileKeyTimes))[0], 0);
    EXPECT_EQ(end.world.level->ScoreGain, 3000.0f);
    // The expert achievement is shown, the level one waits.
    EXPECT_EQ(end.screen()->getAchievementQueue(),
              std::vector<s32>{s32(GAchievementsProgress::LevelsCompleted)});
    end.world.advance(1000);
    EXPECT_EQ(popUpName(end.world), "%Achievements_12Name%");
    EXPECT_EQ(end.services.started("AchievementUnlocked"), 1u);

    // Back on the play screen the next frame shows the next pop-up, then the completed scene.
    for (const char* next : {"%Achievements_11Name%", "<none>"}) {
        SCOPED_TRACE(next);
        ASSERT_TRUE(end.top()->goBack());
        bool checked = false;
        for (int step = 0; step < 50; ++step) {
            end.world.advance(20);
            checked =
                checked || end.screen()->getPendingAction() == GGamePlayScene::PendingCheckLevelEnd;
        }
        EXPECT_TRUE(checked);
        EXPECT_EQ(popUpName(end.world), next);
    }
    EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
    EXPECT_EQ(end.services.started("AchievementUnlocked"), 2u);
    EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
    EXPECT_TRUE(end.screen()->getAchievementQueue().empty());
}

TEST(GamePlayEnd, AnUnloadablePopUpIsSkipped) {
    LevelEnd end;
    end.world.write(GAchievementUnlockedScene::SceneFile,
                    endSceneFile("GInGameMenuScene", "NotThePopUp"));
    end.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, -1);
    end.nearlyEarn(GAchievementsProgress::LevelsCompleted);
    end.nearlyEarn(GAchievementsProgress::ExpertScores);
    ASSERT_TRUE(end.enter());
    end.meetGoal();
    EXPECT_TRUE(end.progress().isEarned(GAchievementsProgress::LevelsCompleted));
    EXPECT_TRUE(end.progress().isEarned(GAchievementsProgress::ExpertScores));
    EXPECT_TRUE(end.screen()->getAchievementQueue().empty());
    end.world.advance(1000);
    EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
    EXPECT_EQ(end.services.started("AchievementUnlocked"), 0u);
}

// A level-completed scene that does not load leaves the play screen running; the next return
// from a pop-up tries again.
TEST(GamePlayEnd, AMissingCompletedSceneIsTriedAgainAfterAPopUp) {
    LevelEnd end;
    std::filesystem::remove(end.world.folder / GLevelCompletedScene::SceneFile);
    ASSERT_TRUE(end.enter());
    end.meetGoal();
    end.world.advance(1000);
    EXPECT_EQ(end.top(), end.screen());
    end.world.write(GLevelCompletedScene::SceneFile,
                    endSceneFile("GLevelCompletedScene", "LevelCompletedScene"));
    end.nearlyEarn(GAchievementsProgress::MoneyLow);
    end.world.level->Money =
        static_cast<f32>(end.progress().getThreshold(GAchievementsProgress::MoneyLow));
    EXPECT_TRUE(end.screen()->checkMoneyAchievements());
    end.world.advance(1000);
    ASSERT_EQ(popUpName(end.world), "%Achievements_8Name%");
    ASSERT_TRUE(end.top()->goBack());
    end.world.advance(1000);
    EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
}

// A level index that would index and pad the lists far out (a hand-edited profile) is refused:
// the lists stay, one line is logged, and the level still ends.
TEST(GamePlayEnd, AnAbsurdLevelIndexWritesNoListButTheLevelEnds) {
    for (s32 index : {-1, 5000}) {
        SCOPED_TRACE(index);
        LevelEnd end;
        ASSERT_TRUE(end.enter());
        end.profile()->setInt(ProfileKeyLevelIndex, index);
        end.profile()->setString(ProfileKeyScores, "7;8");
        end.profile()->setString(ProfileKeyTimes, "9");
        oskel::test::LogCapture logs;
        end.meetGoal();
        EXPECT_EQ(linesOf(logs, kRefusedLine).size(), 1u);
        EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyScores).c_str()), "7;8");
        EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyTimes).c_str()), "9");
        EXPECT_EQ(end.profile()->getInt(ProfileKeyLevelIndex), index);
        EXPECT_EQ(end.world.level->ScoreGain, f32(kExpertScore));
        EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
        end.world.advance(1000);
        EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
    }
}

// After the level has ended, a repeated notice and the developer key change nothing: no second
// score gain, no profile write, no second cue.
TEST(GamePlayEnd, TheLevelEndsOnce) {
    LevelEnd end;
    end.services.developerKeys = true;
    ASSERT_TRUE(end.enter());
    end.meetGoal();
    ASSERT_TRUE(end.screen()->isLevelCompleted());
    CProfile* profile = end.profile();
    const stringc scores = profile->getString(ProfileKeyScores);
    const stringc progress = profile->getString(ProfileKeyAchievementsProgress);
    const s32 levelIndex = profile->getInt(ProfileKeyLevelIndex);
    const f32 gain = end.world.level->ScoreGain;
    // Something the second end would overwrite if it wrote.
    profile->setString(ProfileKeyTimes, "1");
    end.world.level->LevelTimeMs = 0.5f;

    EXPECT_TRUE(end.screen()->onEvent(makeEvent<GEventLevelCompleted>(u8(1)).get()));
    EXPECT_TRUE(keyUp(end.screen(), VirtualKeyE, true));
    EXPECT_TRUE(end.screen()->completeLevel(false));
    EXPECT_EQ(profile->getString(ProfileKeyScores), scores);
    EXPECT_EQ(profile->getString(ProfileKeyTimes), stringc("1"));
    EXPECT_EQ(profile->getString(ProfileKeyAchievementsProgress), progress);
    EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), levelIndex);
    EXPECT_EQ(end.world.level->ScoreGain, gain);
    EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
    EXPECT_EQ(end.services.recorder->calls.size(), 1u);
}

TEST(GamePlayEnd, OnlyTheLevelsNoticeEndsTheLevel) {
    LevelEnd end;
    ASSERT_TRUE(end.enter());
    EXPECT_FALSE(end.screen()->onEvent(makeEvent<BareGameEvent>().get()));
    EXPECT_FALSE(end.screen()->onEvent(makeEvent<GEventLevelCompleted>(u8(0)).get()));
    EXPECT_FALSE(end.screen()->isLevelCompleted());
    EXPECT_TRUE(std::string(end.profile()->getString(ProfileKeyScores).c_str()).empty());
    EXPECT_TRUE(end.screen()->onEvent(makeEvent<GEventLevelCompleted>(u8(1)).get()));
    EXPECT_TRUE(end.screen()->isLevelCompleted());
}

// A level whose goal is met as it is handed its configuration sends its notice before it lies
// under the play screen, where nobody hears it. It still ends, once, through the whole level end,
// after its objectives panel (when there is one) was closed; a level with its goal open does not.
TEST(GamePlayEnd, ALevelWonAtItsStartEndsAfterItsObjectives) {
    struct Case {
        const char* label;
        const char* goal;
        bool panel;  // the objectives panel's scene file exists
        bool ends;
    };
    const Case cases[] = {
        {"met at the start, the panel closed", kMetMoneyGoal, true, true},
        {"met at the start, no panel", kMetMoneyGoal, false, true},
        {"open at the start, the panel closed", kMoneyGoal, true, false},
        {"open at the start, no panel", kMoneyGoal, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LevelEnd end;
        end.world.writeLevel(levelConfigurationXml("7", true, c.goal));
        if (c.panel)
            end.world.write(GLevelObjectivesScene::SceneFile,
                            endSceneFile("GLevelObjectivesScene", "LevelObjectivesScene"));
        ASSERT_TRUE(end.world.prepare());
        EXPECT_EQ(end.world.level->isReadyToComplete(), c.ends);
        EXPECT_FALSE(end.screen()->isLevelCompleted());

        end.world.enter();
        if (c.panel) {
            // The panel comes first and stays over the level until it is closed.
            ASSERT_NE(end.top(), nullptr);
            ASSERT_EQ(end.top()->getTypeId(), GameNodeTypeLevelObjectivesScene);
            end.world.advance(3000);
            EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelObjectivesScene);
            EXPECT_FALSE(end.screen()->isLevelCompleted());
            EXPECT_EQ(end.services.started("LevelCompleted"), 0u);
            ASSERT_TRUE(end.top()->goBack());
        }
        end.world.advance(1000);

        EXPECT_EQ(end.screen()->isLevelCompleted(), c.ends);
        EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyScores).c_str()),
                  c.ends ? std::to_string(kExpertScore) : std::string());
        EXPECT_EQ(end.services.recorder->calls.size(), c.ends ? 1u : 0u);
        ASSERT_NE(end.top(), nullptr);
        EXPECT_EQ(end.top()->getTypeId(),
                  c.ends ? s32(GameNodeTypeLevelCompletedScene) : s32(GameNodeTypeGamePlayScene));
        end.world.advance(3000);
        EXPECT_EQ(end.services.started("LevelCompleted"), c.ends ? 1u : 0u);
        EXPECT_EQ(end.services.recorder->calls.size(), c.ends ? 1u : 0u);
    }
}

// A notice lost while the level lay outside the play screen, followed by an achievement pop-up:
// back from the pop-up the level end is recorded before the level-completed scene opens.
TEST(GamePlayEnd, AnEndOwedAfterAPopUpIsRecordedBeforeTheResults) {
    LevelEnd end;
    ASSERT_TRUE(end.enter());
    BaseNode* internal = end.world.find("");
    ASSERT_TRUE(internal->removeChild(end.world.layer.get()));
    end.meetGoal();
    EXPECT_TRUE(end.world.level->isReadyToComplete());
    EXPECT_FALSE(end.screen()->isLevelCompleted());
    internal->insertChild(end.world.layer.get(), nullptr);

    end.world.visit<GAchievementUnlockedScene>("Achievement");
    EXPECT_TRUE(end.screen()->isLevelCompleted());
    EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyScores).c_str()),
              std::to_string(kExpertScore));
    EXPECT_EQ(end.services.started("LevelCompleted"), 1u);
    ASSERT_NE(end.top(), nullptr);
    EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
}

// Developer key E ends the level at once, its objectives open: with Shift as a forced end.
TEST(GamePlayEnd, DeveloperKeyEEndsTheLevel) {
    for (bool shift : {false, true}) {
        SCOPED_TRACE(shift ? "Shift" : "alone");
        LevelEnd end;
        end.services.developerKeys = true;
        ASSERT_TRUE(end.enter());
        EXPECT_TRUE(keyUp(end.screen(), VirtualKeyE, shift));
        EXPECT_TRUE(end.screen()->isForcedEnd());
        EXPECT_TRUE(end.screen()->isLevelCompleted());
        EXPECT_EQ(std::string(end.profile()->getString(ProfileKeyScores).c_str()),
                  std::to_string(shift ? kScore : kExpertScore));
        end.world.advance(1000);
        EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeLevelCompletedScene);
    }
}

TEST(GamePlayEnd, MoneyAchievementsTakeTheRoundedMoney) {
    struct Case {
        const char* label;
        f32 money;
        s32 before;  // counters 7 to 9 beforehand
        s32 after;
        bool popUp;  // counter 7's pop-up shown
        bool saved;
    };
    const Case cases[] = {
        {"half a unit short rounds up to the threshold", 2499999.5f, 0, 2500000, true, true},
        {"less than half a unit short stays below", 2499999.25f, 0, 2499999, false, true},
        {"no more than the counters changes nothing", 2000000.0f, 2000000, 2000000, false, false},
        {"debts change nothing", -50000.0f, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LevelEnd end;
        ASSERT_TRUE(end.enter());
        for (u32 counter : {GAchievementsProgress::MoneyLow, GAchievementsProgress::MoneyMiddle,
                            GAchievementsProgress::MoneyHigh})
            end.progress().addProgress(counter, c.before);
        end.profile()->setString(ProfileKeyAchievementsProgress, "");
        end.world.level->Money = c.money;
        EXPECT_EQ(end.screen()->checkMoneyAchievements(), c.popUp);
        for (u32 counter : {GAchievementsProgress::MoneyLow, GAchievementsProgress::MoneyMiddle,
                            GAchievementsProgress::MoneyHigh})
            EXPECT_EQ(end.progress().getCounter(counter), c.after) << counter;
        EXPECT_EQ(end.profile()->getString(ProfileKeyAchievementsProgress).empty(), !c.saved);
        end.world.advance(1000);
        EXPECT_EQ(popUpName(end.world), c.popUp ? "%Achievements_8Name%" : "<none>");
    }
}

// The day's end and a building's income feed the money achievements.
TEST(GamePlayEnd, DayEndAndIncomeCheckTheMoney) {
    for (bool dayEnd : {true, false}) {
        SCOPED_TRACE(dayEnd ? "day end" : "income");
        LevelEnd end;
        ASSERT_TRUE(end.world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true)));
        end.world.enter();
        end.world.level->Money = 2600000.0f;
        if (dayEnd)
            EXPECT_TRUE(end.screen()->onEvent(makeEvent<GEventDayEnded>().get()));
        else
            EXPECT_TRUE(end.screen()->onEvent(
                makeEvent<GEventBuildingIncome>(end.world.lotNamed("H1"), 10.0f).get()));
        EXPECT_EQ(end.progress().getCounter(GAchievementsProgress::MoneyLow), 2600000);
        end.world.advance(1000);
        EXPECT_EQ(popUpName(end.world), "%Achievements_8Name%");
    }
}

// An accepted offer for a lot feeds the money achievements.
TEST(GamePlayEnd, AnAcceptedOfferChecksTheMoney) {
    LevelEnd end;
    ASSERT_TRUE(end.world.prepare(PlayWorld::lot("H1", "Hotel1", 100, 100, true)));
    end.world.enter();
    end.nearlyEarn(GAchievementsProgress::MoneyLow);
    end.world.level->Money =
        static_cast<f32>(end.progress().getThreshold(GAchievementsProgress::MoneyLow));
    GBuildingNode* lot = end.world.lotNamed("H1");
    lot->setForSale(true);
    lot->showBuyOffer(true);
    lot->setFocused(true);
    CRefPtr<ControlNode> pressed = makeRef<ControlNode>(end.world.context(""));
    pressed->setNameId(CNameId("AcceptSellOfferButton").getId());
    EXPECT_FALSE(end.screen()->onEvent(makeEvent<CEventNodePressed>(pressed.get()).get()));
    ASSERT_FALSE(lot->isOwnedByThePlayer());
    // The counter, one short before, took the money.
    EXPECT_GE(end.progress().getCounter(GAchievementsProgress::MoneyLow),
              end.progress().getThreshold(GAchievementsProgress::MoneyLow));
    end.world.advance(1000);
    EXPECT_EQ(popUpName(end.world), "%Achievements_8Name%");
}

TEST(GamePlayEnd, LosingTheWindowDuringPlayOpensTheMenu) {
    LevelEnd end;
    end.world.write(kInGameMenuFile, endSceneFile("GInGameMenuScene", "InGameMenuScene"));
    ASSERT_TRUE(end.enter());
    ASSERT_EQ(end.top(), end.screen());
    EXPECT_FALSE(end.services.groups->getGroupSettings(2).paused);
    EXPECT_FALSE(focus(end.screen(), false));
    EXPECT_TRUE(end.services.groups->getGroupSettings(2).paused);
    EXPECT_EQ(end.services.renders, 1);
    end.world.advance(1000);
    ASSERT_NE(end.top(), nullptr);
    EXPECT_EQ(end.top()->getTypeId(), GameNodeTypeInGameMenuScene);
    // The menu lies over the level, which stands still.
    EXPECT_FALSE(end.world.level->getTimerScheduler()->isEnabled());
}

TEST(GamePlayEnd, LosingTheWindowUnderTheObjectivesOnlyPauses) {
    LevelEnd end;
    end.world.write(kInGameMenuFile, endSceneFile("GInGameMenuScene", "InGameMenuScene"));
    end.world.write(GLevelObjectivesScene::SceneFile,
                    endSceneFile("GLevelObjectivesScene", "LevelObjectivesScene"));
    ASSERT_TRUE(end.enter());
    end.world.advance(1000);
    SceneNode* objectives = end.top();
    ASSERT_NE(objectives, nullptr);
    ASSERT_EQ(objectives->getTypeId(), GameNodeTypeLevelObjectivesScene);
    EXPECT_FALSE(focus(end.screen(), false));
    EXPECT_TRUE(end.services.groups->getGroupSettings(2).paused);
    EXPECT_EQ(end.services.renders, 0);
    end.world.advance(1000);
    EXPECT_EQ(end.top(), objectives);
}

TEST(GamePlayEnd, RegainingTheWindowChangesNothing) {
    LevelEnd end;
    end.world.write(kInGameMenuFile, endSceneFile("GInGameMenuScene", "InGameMenuScene"));
    ASSERT_TRUE(end.enter());
    EXPECT_FALSE(focus(end.screen(), true));
    EXPECT_FALSE(end.services.groups->getGroupSettings(2).paused);
    EXPECT_EQ(end.services.renders, 0);
    end.world.advance(1000);
    EXPECT_EQ(end.top(), end.screen());
    // After a loss, regaining does not resume the level's sounds: entering the play screen
    // again does.
    end.services.groups->setGroupPaused(true, 2);
    EXPECT_FALSE(focus(end.screen(), true));
    EXPECT_TRUE(end.services.groups->getGroupSettings(2).paused);
}

}  // namespace
}  // namespace brasquel::test
