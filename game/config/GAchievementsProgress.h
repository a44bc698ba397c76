#pragma once

#include "engine/core/OskelTypes.h"

namespace brasquel {

// The progress of the game's achievements for the active player: one counter and one fixed
// threshold per achievement; an achievement is earned while its counter is at or above its
// threshold. Kept in the active profile as the text "AchievementsProgress" (the counters joined
// by ";"). The tracker shows nothing itself: whatever can earn an achievement says whether this
// very call earned it, and the caller shows the pop-up.
class GAchievementsProgress : public virtual oskel::IReferenceCounted {
public:
    static constexpr oskel::u32 AchievementCount = 12;

    // What the counters count (the shop feeds the four upgrade groups, the play screen the rest).
    static constexpr oskel::u32 LodgingUpgrades = 0;
    static constexpr oskel::u32 LeisureUpgrades = 1;
    static constexpr oskel::u32 SightUpgrades = 2;
    static constexpr oskel::u32 ServiceUpgrades = 3;
    static constexpr oskel::u32 FirstBuildsFew = 4;
    static constexpr oskel::u32 FirstBuildsMore = 5;
    static constexpr oskel::u32 FirstBuildsMany = 6;
    static constexpr oskel::u32 MoneyLow = 7;
    static constexpr oskel::u32 MoneyMiddle = 8;
    static constexpr oskel::u32 MoneyHigh = 9;
    static constexpr oskel::u32 LevelsCompleted = 10;
    static constexpr oskel::u32 ExpertScores = 11;

    // The reset state.
    GAchievementsProgress();
    ~GAchievementsProgress() override = default;

    // Counter 0 becomes 1, the others 0; the thresholds are written.
    void reset();

    // Achievement i's counter and threshold; i runs from 0 to AchievementCount - 1.
    oskel::s32 getCounter(oskel::u32 i) const { return m_counters[i]; }
    oskel::s32 getThreshold(oskel::u32 i) const { return m_thresholds[i]; }
    // The money counters (7, 8, 9) take the amount as their value, the others add it (it may be
    // negative). True exactly when this call took the counter from below its threshold to at or
    // above it. Does not save.
    bool addProgress(oskel::u32 i, oskel::s32 amount);

    // Earned: the counter is at or above the threshold.
    bool isEarned(oskel::u32 i) const { return m_counters[i] >= m_thresholds[i]; }
    // How many achievements are earned.
    oskel::u32 getEarnedCount() const;

    // The reset state, then the numbers of the profile text as counters 0, 1, 2, ... (numbers
    // past the last counter are ignored; counters without a number keep their reset value).
    void load(const oskel::stringc& text);
    // The profile text of the counters.
    oskel::stringc toText() const;
    // Writes the text into the active profile's "AchievementsProgress" and saves the profile;
    // without an active profile nothing is stored.
    void save() const;

    // The icon of achievement i ("scenes/images/Achievements/Icon<n>.png", n = i + 1) and the
    // dictionary references of its name and its descriptions before and after earning it
    // ("%Achievements_<n>Name%", "...DescBefore%", "...DescAfter%").
    oskel::stringc getIconPath(oskel::u32 i) const;
    oskel::stringw getNameKey(oskel::u32 i) const;
    oskel::stringw getDescBeforeKey(oskel::u32 i) const;
    oskel::stringw getDescAfterKey(oskel::u32 i) const;

private:
    oskel::s32 m_counters[AchievementCount] = {};
    oskel::s32 m_thresholds[AchievementCount] = {};
};

}  // namespace brasquel
