#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class CPropertySet;
}

namespace brasquel {

// The game's keys in the profiles. The common profile (one per user account) holds the display
// and renderer choices; each player's profile the sound choices and the progress.

// Common profile.
constexpr const char* ProfileKeyFullScreen = "FullScreen";
constexpr const char* ProfileKeyWindowsCursor = "WindowsCursor";
constexpr const char* ProfileKeyVSync = "VSync";
constexpr const char* ProfileKeyAntiAlias = "AntiAlias";
// The renderer: the device's driver types 1 (Direct3D 8), 2 (Direct3D 9), 3 (OpenGL).
constexpr const char* ProfileKeyVideoDriver = "VideoDriver";

// Player profile.
constexpr const char* ProfileKeySoundOn = "SoundOn";
constexpr const char* ProfileKeyMusicOn = "MusicOn";
constexpr const char* ProfileKeySoundVolume = "SoundVolume";
constexpr const char* ProfileKeyMusicVolume = "MusicVolume";
// Highest level index unlocked (-1: none yet).
constexpr const char* ProfileKeyMaxUnlockedLevelIndex = "MaxUnlockedLevelIndex";
// The level index the player is at: the current map position.
constexpr const char* ProfileKeyLevelIndex = "LevelIndex";
// The name of the chosen level (no default is registered).
constexpr const char* ProfileKeyLevelName = "LevelName";
constexpr const char* ProfileKeyLevelProgressFilename = "LevelProgressFilename";
// Int lists: the best score and the best time (ms, 0 = none) per level index.
constexpr const char* ProfileKeyScores = "Scores";
constexpr const char* ProfileKeyTimes = "Times";
// Name list: the upgrades bought.
constexpr const char* ProfileKeyBoughtUpgrades = "BoughtUpgrades";
constexpr const char* ProfileKeyShowTutorialOn = "ShowTutorialOn";
constexpr const char* ProfileKeyShowTipsOn = "ShowTipsOn";
constexpr const char* ProfileKeyShowTutorialMap1 = "ShowTutorialMap1";
constexpr const char* ProfileKeyShowTutorialMap2 = "ShowTutorialMap2";
constexpr const char* ProfileKeyShowTutorialShop1 = "ShowTutorialShop1";
constexpr const char* ProfileKeyShowTutorialShop2 = "ShowTutorialShop2";
// Highest level index whose tutorial has been passed.
constexpr const char* ProfileKeyShowTutorialLevel = "ShowTutorialLevel";
// Int list: the achievement counters.
constexpr const char* ProfileKeyAchievementsProgress = "AchievementsProgress";
constexpr const char* ProfileKeyShowFinalCredits = "ShowFinalCredits";

// Fills the defaults the profiles start from: the common profile's (merged into the common
// profile after loading, missing keys only) and a new player profile's.
void fillGameProfileDefaults(oskel::CPropertySet* commonDefaults, oskel::CPropertySet* newProfileDefaults);

}  // namespace brasquel
