// The achievements tracker: crossing, loading and saving the profile text, texts and icons.

#include <gtest/gtest.h>

#include <vector>

#include "engine/profiles/CProfileManager.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GProfileKeys.h"

using namespace oskel;
using namespace brasquel;

namespace {

using Tracker = GAchievementsProgress;

std::vector<s32> countersOf(const Tracker& tracker) {
    std::vector<s32> counters;
    for (u32 i = 0; i < Tracker::AchievementCount; ++i) counters.push_back(tracker.getCounter(i));
    return counters;
}

const std::vector<s32> kResetCounters = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// A player made active while it lives, gone afterwards.
struct ActivePlayer {
    ActivePlayer() {
        CProfileManager& profiles = CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(L"Tracker"));
        index = profiles.getProfileIndex(profiles.findProfile(L"Tracker"));
        profiles.setActiveProfile(index);
    }
    ~ActivePlayer() { CProfileManager::instance().removeProfile(index); }
    CProfile* profile() const { return CProfileManager::instance().getActiveProfile(); }
    s32 index = -1;
};

}  // namespace

TEST(AchievementsProgress, StartsResetWithTheFixedThresholds) {
    Tracker tracker;
    EXPECT_EQ(countersOf(tracker), kResetCounters);
    const s32 thresholds[] = {6, 3, 3, 3, 50, 150, 250, 2500000, 7500000, 10000000, 35, 30};
    for (u32 i = 0; i < Tracker::AchievementCount; ++i) {
        EXPECT_EQ(tracker.getThreshold(i), thresholds[i]) << i;
        EXPECT_FALSE(tracker.isEarned(i)) << i;
    }
    EXPECT_EQ(tracker.getEarnedCount(), 0u);
    EXPECT_EQ(tracker.toText(), "1;0;0;0;0;0;0;0;0;0;0;0");
}

// Each row: the counter set up by a loaded text, then a sequence of calls and their results.
TEST(AchievementsProgress, CrossingTable) {
    struct Step {
        u32 index;
        s32 amount;
        bool crossed;
        s32 counterAfter;
    };
    const struct {
        const char* name;
        const char* loaded;
        std::vector<Step> steps;
    } cases[] = {
        {"money takes its value and crosses once",
         "",
         {{Tracker::MoneyLow, 3000000, true, 3000000},
          {Tracker::MoneyLow, 3000001, false, 3000001},
          {Tracker::MoneyMiddle, 3000000, false, 3000000}}},
        {"money falling back and rising again re-crosses",
         "",
         {{Tracker::MoneyLow, 2500000, true, 2500000},
          {Tracker::MoneyLow, 2499999, false, 2499999},
          {Tracker::MoneyLow, 2500000, true, 2500000}}},
        {"one more construction reaches the threshold",
         "1;0;0;0;49",
         {{Tracker::FirstBuildsFew, 1, true, 50}, {Tracker::FirstBuildsFew, 1, false, 51}}},
        {"a negative amount leaves an earned achievement, a re-crossing announces it again",
         "1;3",
         {{Tracker::LeisureUpgrades, -1, false, 2}, {Tracker::LeisureUpgrades, 1, true, 3}}},
        {"a negative amount never crosses",
         "1;0",
         {{Tracker::LeisureUpgrades, -5, false, -5},
          {Tracker::LeisureUpgrades, 7, false, 2},
          {Tracker::LeisureUpgrades, 1, true, 3}}},
        {"jumping past the threshold in one call crosses",
         "",
         {{Tracker::LodgingUpgrades, 10, true, 11}}},
        {"an add counter far beyond the int range stays at its largest value",
         "1;0;0;0;0;0;0;0;0;0;2147483647",
         {{Tracker::LevelsCompleted, 5, false, 2147483647}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tracker tracker;
        tracker.load(stringc(c.loaded));
        for (const Step& step : c.steps) {
            EXPECT_EQ(tracker.addProgress(step.index, step.amount), step.crossed) << step.amount;
            EXPECT_EQ(tracker.getCounter(step.index), step.counterAfter);
        }
    }
}

TEST(AchievementsProgress, EarnedCountFollowsTheCounters) {
    Tracker tracker;
    tracker.load("6;3;2;3;50;0;0;0;0;10000000;0;30");
    EXPECT_TRUE(tracker.isEarned(Tracker::LodgingUpgrades));
    EXPECT_FALSE(tracker.isEarned(Tracker::SightUpgrades));
    EXPECT_EQ(tracker.getEarnedCount(), 6u);
    tracker.addProgress(Tracker::LeisureUpgrades, -1);
    EXPECT_EQ(tracker.getEarnedCount(), 5u);
}

TEST(AchievementsProgress, LoadsTheProfileText) {
    const struct {
        const char* text;
        std::vector<s32> counters;
    } cases[] = {
        {"", kResetCounters},
        {"5;2", {5, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"1;2;3;4;5;6;7;8;9;10;11;12;13;14", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        // Damaged texts: what is no number is skipped.
        {"x;4;;-2 z", {4, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Tracker tracker;
        tracker.addProgress(Tracker::ExpertScores, 9);  // loading starts from the reset state
        tracker.load(stringc(c.text));
        EXPECT_EQ(countersOf(tracker), c.counters);
        EXPECT_EQ(tracker.getThreshold(Tracker::MoneyHigh), 10000000);
    }
}

TEST(AchievementsProgress, SavesTheCountersIntoTheActiveProfile) {
    ActivePlayer player;
    ASSERT_NE(player.profile(), nullptr);
    Tracker tracker;
    tracker.load("");
    tracker.save();
    EXPECT_EQ(player.profile()->getString(ProfileKeyAchievementsProgress),
              "1;0;0;0;0;0;0;0;0;0;0;0");
    tracker.addProgress(Tracker::MoneyLow, 2600000);
    tracker.addProgress(Tracker::SightUpgrades, -1);
    tracker.save();
    EXPECT_EQ(player.profile()->getString(ProfileKeyAchievementsProgress),
              "1;0;-1;0;0;0;0;2600000;0;0;0;0");

    Tracker reloaded;
    reloaded.load(player.profile()->getString(ProfileKeyAchievementsProgress));
    EXPECT_EQ(countersOf(reloaded), countersOf(tracker));
}

TEST(AchievementsProgress, WithoutAnActiveProfileNothingIsStored) {
    CProfileManager& profiles = CProfileManager::instance();
    ASSERT_TRUE(profiles.addProfile(L"Resting"));
    const s32 index = profiles.getProfileIndex(profiles.findProfile(L"Resting"));
    profiles.setActiveProfile(-1);
    ASSERT_EQ(profiles.getActiveProfile(), nullptr);
    Tracker tracker;
    tracker.addProgress(Tracker::LevelsCompleted, 3);
    tracker.save();
    EXPECT_EQ(profiles.getProfile(index)->getString(ProfileKeyAchievementsProgress), "");
    profiles.removeProfile(index);
}

TEST(AchievementsProgress, NamesTextsAndIconsByNumber) {
    Tracker tracker;
    EXPECT_EQ(tracker.getIconPath(0), "scenes/images/Achievements/Icon1.png");
    EXPECT_EQ(tracker.getIconPath(11), "scenes/images/Achievements/Icon12.png");
    EXPECT_EQ(tracker.getNameKey(0), L"%Achievements_1Name%");
    EXPECT_EQ(tracker.getDescBeforeKey(9), L"%Achievements_10DescBefore%");
    EXPECT_EQ(tracker.getDescAfterKey(11), L"%Achievements_12DescAfter%");
}
