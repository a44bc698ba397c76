// The profile keys' defaults, the list texts and the completion rules.

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/event/SDeviceParameters.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GCompletionRules.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

std::vector<s32> parsed(const char* text) {
    const array<s32> values = parseIntListNarrow(stringc(text));
    return std::vector<s32>(values.const_pointer(), values.const_pointer() + values.size());
}

array<s32> listOf(std::initializer_list<s32> values) {
    array<s32> list;
    for (s32 v : values) list.push_back(v);
    return list;
}

// A new player's profile.
CRefPtr<CPropertySet> newPlayer() {
    auto profile = makeRef<CPropertySet>();
    fillGameProfileDefaults(nullptr, profile.get());
    return profile;
}

}  // namespace

TEST(ProfileKeys, ANewPlayerStartsBeforeTheFirstLevel) {
    auto common = makeRef<CPropertySet>();
    CRefPtr<CPropertySet> player = newPlayer();
    fillGameProfileDefaults(common.get(), nullptr);
    EXPECT_TRUE(common->getBool(ProfileKeyFullScreen));
    EXPECT_FALSE(common->getBool(ProfileKeyWindowsCursor));
    EXPECT_TRUE(common->getBool(ProfileKeyVSync));
    EXPECT_EQ(common->getInt(ProfileKeyAntiAlias), 0);
    EXPECT_EQ(common->getInt(ProfileKeyVideoDriver), DriverDirect3D8);
    EXPECT_EQ(player->getInt(ProfileKeyLevelIndex), -1);
    EXPECT_EQ(player->getInt(ProfileKeyMaxUnlockedLevelIndex), -1);
    EXPECT_EQ(player->getInt(ProfileKeyShowTutorialLevel), -1);
    EXPECT_TRUE(player->getString(ProfileKeyScores).empty());
    EXPECT_TRUE(player->getString(ProfileKeyTimes).empty());
    EXPECT_FLOAT_EQ(player->getFloat(ProfileKeyMusicVolume), 50.0f);
    EXPECT_TRUE(player->getBool(ProfileKeyShowFinalCredits));
    EXPECT_EQ(player->getProperty(ProfileKeyLevelName), nullptr);  // no default registered
    EXPECT_EQ(player->getProperty(ProfileKeyVideoDriver), nullptr);
}

TEST(ListTexts, IntListsReadNumbersAndSkipEverythingElse) {
    const struct {
        const char* text;
        std::vector<s32> values;
    } cases[] = {
        {"", {}},
        {"3;-1;20", {3, -1, 20}},
        {"5;", {5}},
        {"2.9", {2}},
        {"-2.9", {-2}},
        {"-", {0}},
        {"a1b22 c;;333x", {1, 22, 333}},
        {"+4", {4}},
        {"1e3;2.5e1;7e", {1000, 25, 7}},
        {"0.3e1", {3}},
        {"1-2", {1, -2}},
        {"2147483647;-2147483648", {INT_MAX, INT_MIN}},
        // Hand-edited profiles: beyond the int range the numbers are clamped.
        {"2147483648;-2147483649", {INT_MAX, INT_MIN}},
        {"99999999999999999999;-1e30;1e99999", {INT_MAX, INT_MIN, INT_MAX}},
        {"16777217", {16777217}},  // every int exactly
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.values) << c.text;
}

TEST(ListTexts, IntListsJoinWithoutATrailingSeparatorAndReadBack) {
    EXPECT_EQ(joinIntList(array<s32>()), stringc(""));
    EXPECT_EQ(joinIntList(listOf({5})), stringc("5"));
    EXPECT_EQ(joinIntList(listOf({10, 20, 0, -7})), stringc("10;20;0;-7"));
    const array<s32> values = listOf({INT_MIN, -1, 0, 1, INT_MAX});
    EXPECT_EQ(parsed(joinIntList(values).c_str()), (std::vector<s32>{INT_MIN, -1, 0, 1, INT_MAX}));
}

TEST(ListTexts, DecimalTextsOfEveryInt) {
    EXPECT_EQ(decimalText(0), stringc("0"));
    EXPECT_EQ(decimalText(-42), stringc("-42"));
    EXPECT_EQ(decimalText(INT_MAX), stringc("2147483647"));
    EXPECT_EQ(decimalText(INT_MIN), stringc("-2147483648"));
}

TEST(ListTexts, NameListsAppendWithASeparatorOnlyAfterAName) {
    EXPECT_EQ(appendNameToList("", "B"), stringc("B"));
    EXPECT_EQ(appendNameToList("A", "B"), stringc("A;B"));
    EXPECT_EQ(appendNameToList("A;B", "C"), stringc("A;B;C"));
}

TEST(CompletionRules, ProgressScoresAndTimes) {
    struct Case {
        const char* label;
        ECompletionSource source;
        s32 levelIndex, maxUnlocked, tutorialLevel;
        const char *scores, *times;
        s32 score, timeMs;
        // After.
        s32 expectedLevelIndex, expectedMaxUnlocked, expectedTutorialLevel;
        const char *expectedScores, *expectedTimes;
        s32 previousScore, previousTime;
    };
    const Case cases[] = {
        {"first level", CompletionByPlayScreen, 0, -1, -1, "", "", 500, 90000, 1, 0, 0, "500", "90000", 0, 0},
        {"newest level, padded", CompletionByPlayScreen, 3, 2, 2, "10;20", "", 700, 61000, 4, 3, 3, "10;20;0;700",
         "0;0;0;61000", 0, 0},
        {"replayed, worse score and time", CompletionByPlayScreen, 1, 5, 5, "10;20;30", "5;900;7", 15, 1000, 1, 5, 5,
         "10;20;30", "5;900;7", 20, 900},
        {"replayed, better score and time", CompletionByPlayScreen, 1, 5, 5, "10;20;30", "5;900;7", 25, 800, 1, 5, 5,
         "10;25;30", "5;800;7", 20, 900},
        {"a stored 0 time is always replaced", CompletionByPlayScreen, 0, 3, 3, "1", "0", 1, 99999, 0, 3, 3, "1",
         "99999", 1, 0},
        {"a mini-game stores a worse time", CompletionByMiniGame, 7, 6, 6, "", "0;0;0;0;0;0;0;100", 50, 300, 8, 7, 6,
         "0;0;0;0;0;0;0;50", "0;0;0;0;0;0;0;300", 0, 100},
        {"equal score keeps the entry", CompletionByPlayScreen, 0, 0, 0, "40", "10", 40, 10, 0, 0, 0, "40", "10", 40,
         10},
    };
    for (const Case& c : cases) {
        CRefPtr<CPropertySet> profile = newPlayer();
        profile->setInt(ProfileKeyLevelIndex, c.levelIndex);
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        profile->setInt(ProfileKeyShowTutorialLevel, c.tutorialLevel);
        profile->setString(ProfileKeyScores, c.scores);
        profile->setString(ProfileKeyTimes, c.times);
        const SCompletionResult result = applyLevelCompletion(profile.get(), c.score, c.timeMs, c.source);
        EXPECT_TRUE(result.applied) << c.label;
        EXPECT_EQ(result.levelIndex, c.levelIndex) << c.label;
        EXPECT_EQ(result.previousScore, c.previousScore) << c.label;
        EXPECT_EQ(result.previousTimeMs, c.previousTime) << c.label;
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), c.expectedLevelIndex) << c.label;
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), c.expectedMaxUnlocked) << c.label;
        EXPECT_EQ(profile->getInt(ProfileKeyShowTutorialLevel), c.expectedTutorialLevel) << c.label;
        EXPECT_EQ(profile->getString(ProfileKeyScores), stringc(c.expectedScores)) << c.label;
        EXPECT_EQ(profile->getString(ProfileKeyTimes), stringc(c.expectedTimes)) << c.label;
    }
}

// The lists are indexed and padded by the stored level index: a negative or absurd index (a
// damaged or hand-edited profile) is refused with a log line and changes nothing.
TEST(CompletionRules, ALevelIndexOutOfRangeIsRefused) {
    for (s32 index : {-1, -5, MaxCompletionLevelIndex + 1, INT_MAX, INT_MIN}) {
        test::LogCapture logs;
        CRefPtr<CPropertySet> profile = newPlayer();
        profile->setInt(ProfileKeyLevelIndex, index);
        profile->setString(ProfileKeyScores, "1;2");
        const SCompletionResult result = applyLevelCompletion(profile.get(), 100, 100, CompletionByPlayScreen);
        EXPECT_FALSE(result.applied) << index;
        EXPECT_EQ(profile->getString(ProfileKeyScores), stringc("1;2")) << index;
        EXPECT_TRUE(profile->getString(ProfileKeyTimes).empty()) << index;
        EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), index) << index;
        EXPECT_EQ(profile->getInt(ProfileKeyMaxUnlockedLevelIndex), -1) << index;
        EXPECT_TRUE(logs.contains("Level completion refused: the profile's level index is out of range", LogError))
            << index;
    }
    // The largest index accepted pads the lists to it.
    CRefPtr<CPropertySet> profile = newPlayer();
    profile->setInt(ProfileKeyLevelIndex, MaxCompletionLevelIndex);
    EXPECT_TRUE(applyLevelCompletion(profile.get(), 3, 4, CompletionByMiniGame).applied);
    EXPECT_EQ(parseIntListNarrow(profile->getString(ProfileKeyScores)).size(),
              static_cast<u32>(MaxCompletionLevelIndex + 1));
    EXPECT_FALSE(applyLevelCompletion(nullptr, 1, 1, CompletionByMiniGame).applied);
}

// The play screen's completion counts the level achievements when the score beats the stored
// one: an expert score counts the expert completions, a first completion the completed levels,
// and the crossed thresholds come back expert first.
TEST(CompletionRules, ThePlayScreenCountsTheLevelAchievements) {
    struct Case {
        const char* label;
        const char* scores;
        s32 score;
        s32 levelsCounted, expertsCounted;
    };
    const Case cases[] = {
        {"expert first completion", "", 300, 1, 1},
        {"plain first completion", "", 100, 1, 0},
        {"expert score beating a stored one", "100", 300, 0, 1},
        {"no better than the stored score", "300", 300, 0, 0},
    };
    for (const Case& c : cases) {
        CRefPtr<CPropertySet> profile = newPlayer();
        profile->setInt(ProfileKeyLevelIndex, 0);
        profile->setString(ProfileKeyScores, c.scores);
        auto progress = makeRef<GAchievementsProgress>();
        std::vector<s32> unlocked;
        applyPlayScreenCompletion(profile.get(), c.score, 300, 1000, progress.get(), unlocked);
        EXPECT_EQ(progress->getCounter(GAchievementsProgress::LevelsCompleted), c.levelsCounted) << c.label;
        EXPECT_EQ(progress->getCounter(GAchievementsProgress::ExpertScores), c.expertsCounted) << c.label;
        EXPECT_TRUE(unlocked.empty()) << c.label;
    }
    // Both one short of their thresholds: both cross, the expert one first.
    CRefPtr<CPropertySet> profile = newPlayer();
    profile->setInt(ProfileKeyLevelIndex, 2);
    auto progress = makeRef<GAchievementsProgress>();
    for (u32 counter : {GAchievementsProgress::LevelsCompleted, GAchievementsProgress::ExpertScores})
        progress->addProgress(counter, progress->getThreshold(counter) - 1);
    std::vector<s32> unlocked;
    const SCompletionResult result = applyPlayScreenCompletion(profile.get(), 300, 300, 1000, progress.get(), unlocked);
    EXPECT_TRUE(result.scoreImproved);
    EXPECT_EQ(unlocked, (std::vector<s32>{s32(GAchievementsProgress::ExpertScores),
                                          s32(GAchievementsProgress::LevelsCompleted)}));
    // A refused index counts nothing.
    profile->setInt(ProfileKeyLevelIndex, -1);
    unlocked.clear();
    const s32 levels = progress->getCounter(GAchievementsProgress::LevelsCompleted);
    EXPECT_FALSE(applyPlayScreenCompletion(profile.get(), 300, 300, 1000, progress.get(), unlocked).applied);
    EXPECT_EQ(progress->getCounter(GAchievementsProgress::LevelsCompleted), levels);
    EXPECT_TRUE(unlocked.empty());
}
