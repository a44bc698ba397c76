#pragma once

// The active player of the play screen's tests, kept in memory only.

#include <gtest/gtest.h>

#include "engine/profiles/CProfileManager.h"
#include "game/config/GProfileKeys.h"

namespace brasquel::test {

using namespace oskel;

// A player made active while it lives (kept in memory only), gone afterwards.
struct PlayPlayer {
    PlayPlayer() {
        CProfileManager& profiles = CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(L"Planner"));
        index = profiles.getProfileIndex(profiles.findProfile(L"Planner"));
        profiles.setActiveProfile(index);
        profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 0);
        profile()->setInt(ProfileKeyLevelIndex, 0);
        profile()->setInt(ProfileKeyShowTutorialLevel, 0);
        profile()->setString(ProfileKeyScores, "");
        profile()->setString(ProfileKeyBoughtUpgrades, "");
        profile()->setBool(ProfileKeyShowTutorialOn, false);
        profile()->setBool(ProfileKeyShowTipsOn, false);
    }
    ~PlayPlayer() { CProfileManager::instance().removeProfile(index); }
    PlayPlayer(const PlayPlayer&) = delete;
    PlayPlayer& operator=(const PlayPlayer&) = delete;
    CProfile* profile() const { return CProfileManager::instance().getActiveProfile(); }
    s32 index = -1;
};

}  // namespace brasquel::test
