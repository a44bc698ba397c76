#include "game/config/GSoundCueIds.h"

#include "engine/audio/CSoundGroupManager.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;

namespace {

const char* const kCueNames[GSoundCueIds::Count] = {
    "ObjectivesWindow", "AchievementUnlocked", "TutorialWindow", "ButtonMissed", "ButtonClick",
    "ButtonOver", "ObjFound", "HOHint", "ComicsMusic", "MiniGamesMusic", "MenuMusic",
    "MainMenuAmbient", "MainMenuCarOut", "MainMenuCarTo", "Bus", "Helicopter", "Building",
    "Upgrading", "Destroying", "CleaningDecoration", "Sold", "Bought", "FeatureCommercial",
    "FeatureFactory", "FeatureREAgency", "FeaturePRAgency", "TimedActionEnd", "AlmostEnd",
    "TimeOver", "LevelCompleted", "Income", "MaterialsDelivered", "WorkersTrained", "Broken",
    "Dirty", "MoneyLetter", "GameCar", "ForSale", "BuyRequest", "SoundVolumeChange", "ComicsText",
    "Rain",
};

}  // namespace

GSoundCueIds::GSoundCueIds()
    : ObjectivesWindow(kCueNames[0]),
      AchievementUnlocked(kCueNames[1]),
      TutorialWindow(kCueNames[2]),
      ButtonMissed(kCueNames[3]),
      ButtonClick(kCueNames[4]),
      ButtonOver(kCueNames[5]),
      ObjFound(kCueNames[6]),
      HOHint(kCueNames[7]),
      ComicsMusic(kCueNames[8]),
      MiniGamesMusic(kCueNames[9]),
      MenuMusic(kCueNames[10]),
      MainMenuAmbient(kCueNames[11]),
      MainMenuCarOut(kCueNames[12]),
      MainMenuCarTo(kCueNames[13]),
      Bus(kCueNames[14]),
      Helicopter(kCueNames[15]),
      Building(kCueNames[16]),
      Upgrading(kCueNames[17]),
      Destroying(kCueNames[18]),
      CleaningDecoration(kCueNames[19]),
      Sold(kCueNames[20]),
      Bought(kCueNames[21]),
      FeatureCommercial(kCueNames[22]),
      FeatureFactory(kCueNames[23]),
      FeatureREAgency(kCueNames[24]),
      FeaturePRAgency(kCueNames[25]),
      TimedActionEnd(kCueNames[26]),
      AlmostEnd(kCueNames[27]),
      TimeOver(kCueNames[28]),
      LevelCompleted(kCueNames[29]),
      Income(kCueNames[30]),
      MaterialsDelivered(kCueNames[31]),
      WorkersTrained(kCueNames[32]),
      Broken(kCueNames[33]),
      Dirty(kCueNames[34]),
      MoneyLetter(kCueNames[35]),
      GameCar(kCueNames[36]),
      ForSale(kCueNames[37]),
      BuyRequest(kCueNames[38]),
      SoundVolumeChange(kCueNames[39]),
      ComicsText(kCueNames[40]),
      Rain(kCueNames[41]) {}

const GSoundCueIds& GSoundCueIds::get() {
    static const GSoundCueIds ids;
    return ids;
}

const char* const* GSoundCueIds::names() { return kCueNames; }

bool playGameCue(CSoundGroupManager* groups, const CNameId& cue) {
    return groups && groups->playCue(cue, false, 0) != nullptr;
}

}  // namespace brasquel

namespace brasquel {

bool playGameCue(const oskel::CNameId& cue) {
    IGameServices* services = IGameServices::get();
    return playGameCue(services ? services->getSoundGroupManager() : nullptr, cue);
}

}  // namespace brasquel
