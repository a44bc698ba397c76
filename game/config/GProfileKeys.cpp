#include "game/config/GProfileKeys.h"

#include "engine/core/event/SDeviceParameters.h"
#include "engine/properties/CPropertySet.h"

namespace brasquel {

using namespace oskel;

void fillGameProfileDefaults(CPropertySet* common, CPropertySet* player) {
    if (common) {
        common->setBool(ProfileKeyFullScreen, true);
        common->setBool(ProfileKeyWindowsCursor, false);
        common->setBool(ProfileKeyVSync, true);
        common->setInt(ProfileKeyAntiAlias, 0);
        common->setInt(ProfileKeyVideoDriver, DriverDirect3D8);
    }
    if (player) {
        player->setBool(ProfileKeySoundOn, true);
        player->setBool(ProfileKeyMusicOn, true);
        player->setFloat(ProfileKeySoundVolume, 50.0f);
        player->setFloat(ProfileKeyMusicVolume, 50.0f);
        player->setInt(ProfileKeyMaxUnlockedLevelIndex, -1);
        player->setInt(ProfileKeyLevelIndex, -1);
        player->setString(ProfileKeyLevelProgressFilename, "");
        player->setString(ProfileKeyScores, "");
        player->setString(ProfileKeyTimes, "");
        player->setString(ProfileKeyBoughtUpgrades, "");
        player->setBool(ProfileKeyShowTutorialOn, true);
        player->setBool(ProfileKeyShowTipsOn, true);
        player->setBool(ProfileKeyShowTutorialMap1, true);
        player->setBool(ProfileKeyShowTutorialMap2, true);
        player->setBool(ProfileKeyShowTutorialShop1, true);
        player->setBool(ProfileKeyShowTutorialShop2, true);
        player->setInt(ProfileKeyShowTutorialLevel, -1);
        player->setString(ProfileKeyAchievementsProgress, "");
        player->setBool(ProfileKeyShowFinalCredits, true);
    }
}

}  // namespace brasquel
