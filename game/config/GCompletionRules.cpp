#include "game/config/GCompletionRules.h"

#include "engine/core/CLogger.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"

namespace brasquel {

using namespace oskel;

namespace {

void padTo(array<s32>& list, u32 size) {
    while (list.size() < size) list.push_back(0);
}

}  // namespace

SCompletionResult applyLevelCompletion(CPropertySet* profile, s32 score, s32 timeMs, ECompletionSource source) {
    SCompletionResult result;
    if (!profile) return result;
    const s32 index = profile->getInt(ProfileKeyLevelIndex);
    result.levelIndex = index;
    if (index < 0 || index > MaxCompletionLevelIndex) {
        CLogger::instance().logHint("Level completion refused: the profile's level index is out of range",
                                    decimalText(index).c_str(), LogError);
        return result;
    }
    const u32 entry = static_cast<u32>(index);

    if (profile->getInt(ProfileKeyMaxUnlockedLevelIndex) < index) {
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, index);
        profile->setInt(ProfileKeyLevelIndex, index + 1);
    }
    if (source == CompletionByPlayScreen && profile->getInt(ProfileKeyShowTutorialLevel) < index)
        profile->setInt(ProfileKeyShowTutorialLevel, index);

    array<s32> scores = parseIntListNarrow(profile->getString(ProfileKeyScores));
    padTo(scores, entry + 1);
    result.previousScore = scores[entry];
    if (score > scores[entry]) {
        scores[entry] = score;
        result.scoreImproved = true;
    }
    profile->setString(ProfileKeyScores, joinIntList(scores));

    array<s32> times = parseIntListNarrow(profile->getString(ProfileKeyTimes));
    padTo(times, entry + 1);
    result.previousTimeMs = times[entry];
    if (source == CompletionByMiniGame || times[entry] == 0 || times[entry] > timeMs) times[entry] = timeMs;
    profile->setString(ProfileKeyTimes, joinIntList(times));

    result.applied = true;
    return result;
}

SCompletionResult applyPlayScreenCompletion(CPropertySet* profile, s32 score, s32 expertScore, s32 timeMs,
                                            GAchievementsProgress* progress, std::vector<s32>& unlocked) {
    const SCompletionResult result = applyLevelCompletion(profile, score, timeMs, CompletionByPlayScreen);
    if (!result.applied || !result.scoreImproved || !progress) return result;
    const auto count = [&](u32 counter) {
        if (progress->addProgress(counter, 1)) unlocked.push_back(static_cast<s32>(counter));
    };
    if (score == expertScore) count(GAchievementsProgress::ExpertScores);
    if (result.previousScore == 0) count(GAchievementsProgress::LevelsCompleted);
    return result;
}

}  // namespace brasquel
