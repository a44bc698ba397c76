#pragma once

#include <vector>

#include "engine/core/OskelTypes.h"

namespace oskel {
class CPropertySet;
}

namespace brasquel {

class GAchievementsProgress;

// Who completed the level: the play screen or a mini-game. They differ in the tutorial mark and
// in how the best time is kept.
enum ECompletionSource : oskel::s32 {
    CompletionByPlayScreen,
    CompletionByMiniGame,
};

// The largest level index the rules accept: the lists are padded up to the index, so a damaged
// profile must not make them grow without end.
constexpr oskel::s32 MaxCompletionLevelIndex = 1000;

struct SCompletionResult {
    bool applied = false;
    oskel::s32 levelIndex = -1;
    // The player's best score and time for the level before this completion (0: none).
    oskel::s32 previousScore = 0;
    oskel::s32 previousTimeMs = 0;
    // The score beat the stored entry (and took its place).
    bool scoreImproved = false;
};

// Writes the completion of the profile's current level (its "LevelIndex" i) into the profile:
//  1. when "MaxUnlockedLevelIndex" < i: it becomes i and "LevelIndex" becomes i + 1;
//  2. the play screen only: when "ShowTutorialLevel" < i it becomes i;
//  3. "Scores" is padded with zeros to at least i + 1 entries; entry i takes the score when the
//     score is higher;
//  4. "Times" is padded likewise; the play screen stores the time (ms) when entry i is 0 or
//     larger, a mini-game always stores it.
// A negative index or one above MaxCompletionLevelIndex is refused with a log line and leaves
// the profile as it was. Only in memory: the caller saves the profile.
SCompletionResult applyLevelCompletion(oskel::CPropertySet* profile, oskel::s32 score, oskel::s32 timeMs,
                                       ECompletionSource source);

// The play screen's completion: the rules above, then the level achievements when the score beat
// the stored entry: one more expert completion (GAchievementsProgress::ExpertScores) when the
// score equals the expert score, then one more completed level
// (GAchievementsProgress::LevelsCompleted) when the entry was 0. Each counter whose threshold this
// crosses is appended to `unlocked`, the expert one first. A refused index counts nothing. Neither
// the profile nor the progress is saved: the caller saves the progress, which saves the profile.
SCompletionResult applyPlayScreenCompletion(oskel::CPropertySet* profile, oskel::s32 score,
                                            oskel::s32 expertScore, oskel::s32 timeMs,
                                            GAchievementsProgress* progress,
                                            std::vector<oskel::s32>& unlocked);

}  // namespace brasquel
