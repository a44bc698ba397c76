#pragma once

#include "engine/core/CNameTable.h"

namespace oskel {
class CSoundGroupManager;
}

namespace brasquel {

// The names of the game's sound cues (the cues of "sounds/SoundPack.xml"). Game code plays cues
// only through these. The names are interned on first use, not during static initialisation, so
// that no other static object meets them unmade: reach them through GSoundCueIds::get().
struct GSoundCueIds {
    oskel::CNameId ObjectivesWindow;
    oskel::CNameId AchievementUnlocked;
    oskel::CNameId TutorialWindow;
    oskel::CNameId ButtonMissed;
    oskel::CNameId ButtonClick;
    oskel::CNameId ButtonOver;
    oskel::CNameId ObjFound;
    oskel::CNameId HOHint;
    oskel::CNameId ComicsMusic;
    oskel::CNameId MiniGamesMusic;
    oskel::CNameId MenuMusic;
    oskel::CNameId MainMenuAmbient;
    oskel::CNameId MainMenuCarOut;
    oskel::CNameId MainMenuCarTo;
    oskel::CNameId Bus;
    oskel::CNameId Helicopter;
    oskel::CNameId Building;
    oskel::CNameId Upgrading;
    oskel::CNameId Destroying;
    oskel::CNameId CleaningDecoration;
    oskel::CNameId Sold;
    oskel::CNameId Bought;
    oskel::CNameId FeatureCommercial;  // declared only: nothing plays it
    oskel::CNameId FeatureFactory;
    oskel::CNameId FeatureREAgency;
    oskel::CNameId FeaturePRAgency;
    oskel::CNameId TimedActionEnd;
    oskel::CNameId AlmostEnd;
    oskel::CNameId TimeOver;
    oskel::CNameId LevelCompleted;
    oskel::CNameId Income;
    oskel::CNameId MaterialsDelivered;
    oskel::CNameId WorkersTrained;
    oskel::CNameId Broken;
    oskel::CNameId Dirty;
    oskel::CNameId MoneyLetter;
    oskel::CNameId GameCar;
    oskel::CNameId ForSale;
    oskel::CNameId BuyRequest;
    oskel::CNameId SoundVolumeChange;
    // The comics scene's cue of a page's text.
    oskel::CNameId ComicsText;
    // The level's rain while its weather runs.
    oskel::CNameId Rain;

    // The one set of names, made on the first call (thread-safe).
    static const GSoundCueIds& get();

    // Every cue name in declaration order (the forty, then "ComicsText" and "Rain").
    static constexpr oskel::u32 Count = 42;
    static const char* const* names();

private:
    GSoundCueIds();
};

// Plays a cue the way game scenes do: another instance starts even when the cue already plays,
// with the group's default fade-in. False without a sound group manager or when nothing started
// (a cue the sound pack lacks plays nothing).
bool playGameCue(oskel::CSoundGroupManager* groups, const oskel::CNameId& cue);
// The same through the sound groups of the installed game services.
bool playGameCue(const oskel::CNameId& cue);

}  // namespace brasquel
