#include "game/config/GAchievementsProgress.h"

#include <cstdint>

#include "engine/profiles/CProfileManager.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr s32 kThresholds[GAchievementsProgress::AchievementCount] = {
    6, 3, 3, 3, 50, 150, 250, 2500000, 7500000, 10000000, 35, 30};

// The achievement's number in its texts and its icon's name.
// The folder of the achievements' icons ("Icon1.png" to "Icon12.png").
constexpr const char* kIconFolder = "scenes/images/Achievements/";

stringc numberOf(u32 i) { return decimalText(static_cast<s32>(i + 1)); }

stringw textKey(u32 i, const char* part) {
    const stringc key = stringc("%Achievements_") + numberOf(i) + part + "%";
    return stringw(key.c_str());
}

bool takesValue(u32 i) {
    return i == GAchievementsProgress::MoneyLow || i == GAchievementsProgress::MoneyMiddle ||
           i == GAchievementsProgress::MoneyHigh;
}

}  // namespace

GAchievementsProgress::GAchievementsProgress() { reset(); }

void GAchievementsProgress::reset() {
    for (u32 i = 0; i < AchievementCount; ++i) {
        m_counters[i] = 0;
        m_thresholds[i] = kThresholds[i];
    }
    // Every player owns the first lodging from the start.
    m_counters[LodgingUpgrades] = 1;
}

bool GAchievementsProgress::addProgress(u32 i, s32 amount) {
    const s32 before = m_counters[i];
    if (takesValue(i)) {
        m_counters[i] = amount;
    } else {
        // Counters saturate rather than wrap round.
        const std::int64_t sum = static_cast<std::int64_t>(before) + amount;
        m_counters[i] = sum > INT32_MAX   ? INT32_MAX
                        : sum < INT32_MIN ? INT32_MIN
                                          : static_cast<s32>(sum);
    }
    return before < m_thresholds[i] && m_counters[i] >= m_thresholds[i];
}

u32 GAchievementsProgress::getEarnedCount() const {
    u32 earned = 0;
    for (u32 i = 0; i < AchievementCount; ++i)
        if (isEarned(i)) ++earned;
    return earned;
}

void GAchievementsProgress::load(const stringc& text) {
    reset();
    const array<s32> numbers = parseIntListNarrow(text);
    for (u32 i = 0; i < numbers.size() && i < AchievementCount; ++i) m_counters[i] = numbers[i];
}

stringc GAchievementsProgress::toText() const {
    array<s32> values;
    for (u32 i = 0; i < AchievementCount; ++i) values.push_back(m_counters[i]);
    return joinIntList(values);
}

void GAchievementsProgress::save() const {
    CProfile* profile = CProfileManager::instance().getActiveProfile();
    if (!profile) return;
    profile->setString(ProfileKeyAchievementsProgress, toText());
    // A profile file that cannot be written is reported by the profile manager.
    static_cast<void>(profile->save());
}

stringc GAchievementsProgress::getIconPath(u32 i) const {
    return stringc(kIconFolder) + "Icon" + numberOf(i) + ".png";
}

stringw GAchievementsProgress::getNameKey(u32 i) const { return textKey(i, "Name"); }
stringw GAchievementsProgress::getDescBeforeKey(u32 i) const { return textKey(i, "DescBefore"); }
stringw GAchievementsProgress::getDescAfterKey(u32 i) const { return textKey(i, "DescAfter"); }

}  // namespace brasquel
