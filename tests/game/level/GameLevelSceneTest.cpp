// The level scene's frame: loading its lots and their area, the set-up calls, and the queries
// the play screen asks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/level/IGameLevelInfo.h"
#include "tests/game/level/LotWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

class LevelSceneTest : public ::testing::Test {
protected:
    LotWorld w;
};

}  // namespace

TEST_F(LevelSceneTest, ClassIdentity) {
    GGameLevelScene scene{CCreationContext()};
    EXPECT_EQ(scene.getClassName(), stringw(L"GGameLevelScene"));
    EXPECT_EQ(scene.getThisClassName(), stringw(L"GGameLevelScene"));
    EXPECT_EQ(scene.getTypeId(), GameNodeTypeGameLevelScene);
    for (s32 kind : {s32(GameNodeTypeGameLevelScene), s32(NodeTypeScene), s32(NodeTypeControl),
                     s32(NodeTypeBase)})
        EXPECT_TRUE(scene.isKindOf(kind)) << kind;
    EXPECT_EQ(scene.getUpdatePeriod(), GGameLevelScene::StepPeriodMs);
    EXPECT_EQ(scene.getLotsArea(), GGameLevelScene::Rect(0, 0, 1024, 768));
    EXPECT_LT(scene.MaterialsDeliveryRemaining, 0.0f);
    EXPECT_FALSE(scene.isMaterialsDeliveryInProgress());
    EXPECT_FALSE(scene.isWorkersDeliveryInProgress());
    EXPECT_EQ(scene.getRatingLevel(), 0);  // no configuration
}

TEST_F(LevelSceneTest, LoadingCollectsTheLotsAndTheirArea) {
    GGameLevelScene* level =
        w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200) +
                    "<SceneNode Type=\"BaseNode\"><Properties><string "
                    "Name=\"Name\" Value=\"NotALot\"/></Properties></SceneNode>" +
                    LotWorld::lot("B", "Cafe", 700, 500));
    ASSERT_TRUE(level);
    ASSERT_EQ(level->getBuildings().size(), 2u);
    EXPECT_EQ(level->getBuildings()[0]->getNameId(), id("A"));
    EXPECT_EQ(level->getBuildings()[1]->getNameId(), id("B"));
    // From (512, 389) out to each lot and 135 x 60 beyond it, then 30 above and below.
    EXPECT_EQ(level->getLotsArea(), GGameLevelScene::Rect(100, 170, 835, 590));
    ASSERT_TRUE(level->getCargosNode());
    EXPECT_EQ(level->getCargosNode()->getNameId(), id("CargosNode"));
    BaseNode* pedestrians = level->findChildByName("Pedestrians", 1);
    ASSERT_TRUE(pedestrians);
    EXPECT_FALSE(pedestrians->isVisible());

    // Without "Buildings" the level runs without lots.
    GGameLevelScene bare{CCreationContext()};
    bare.onLoaded();
    EXPECT_TRUE(bare.getBuildings().empty());
    EXPECT_EQ(bare.getLotsArea(), GGameLevelScene::Rect(512, 359, 512, 419));
}

TEST_F(LevelSceneTest, TheConfigurationSetsTheStartAndGivesEveryLotItsType) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200, true) +
                            LotWorld::lot("B", "Missing", 300, 200) +
                            LotWorld::lot("C", "Cafe", 500, 200)));
    w.configuration->InitMoney = 2500.0f;
    w.configuration->InitRating = 120.0f;
    w.configuration->InitMaterialsCount = 40.0f;
    w.configuration->InitWorkersCount = 3;
    oskel::test::LogCapture logs;
    w.level->setBuildingsConfiguration(w.catalogue.get());
    w.level->setLevelConfiguration(w.configuration.get());
    EXPECT_FLOAT_EQ(w.level->Money, 2500.0f);
    EXPECT_FLOAT_EQ(w.level->Rating, 120.0f);
    EXPECT_FLOAT_EQ(w.level->Materials, 40.0f);
    EXPECT_EQ(w.level->Workers, 3);
    EXPECT_EQ(w.level->WorkersTotal, 3);
    EXPECT_EQ(w.level->getLevelConfiguration(), w.configuration.get());
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_EQ(w.lotNamed(name)->getLevelScene(), w.level.get()) << name;
        EXPECT_EQ(w.lotNamed(name)->getLevelConfiguration(), w.configuration.get()) << name;
    }
    EXPECT_EQ(w.lotNamed("A")->getCurrentType()->Name, CNameId("Hotel1"));
    EXPECT_EQ(w.lotNamed("C")->getCurrentType()->Name, CNameId("Cafe"));
    // The lot whose template names no type keeps none, with one error line.
    EXPECT_EQ(w.lotNamed("B")->getCurrentType()->Name.getId(), -1);
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].level, LogError);
    EXPECT_NE(logs.lines()[0].hint.find("Missing"), std::string::npos);

    // None lets the configuration go and changes nothing else.
    w.level->setLevelConfiguration(nullptr);
    EXPECT_EQ(w.level->getLevelConfiguration(), nullptr);
    EXPECT_FLOAT_EQ(w.level->Money, 2500.0f);
}

TEST_F(LevelSceneTest, ACopySharesTheConfiguration) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200, true)));
    w.level->setLevelConfiguration(w.configuration.get());
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(w.level->clone(nullptr, nullptr));
    ASSERT_TRUE(copy && copy->isKindOf(GameNodeTypeGameLevelScene));
    auto* level = static_cast<GGameLevelScene*>(copy.get());
    EXPECT_EQ(level->getLevelConfiguration(), w.configuration.get());
    EXPECT_EQ(level->getBuildings().size(), 1u);  // its own copies of the lots
    EXPECT_NE(level->getBuildings()[0].get(), w.lotNamed("A"));
}

TEST_F(LevelSceneTest, AffordingAndBuying) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Owned", "Hotel1", 100, 200, true) +
                            LotWorld::lot("Free", "Hotel1", 300, 200) +
                            LotWorld::lot("Blank", "Missing", 500, 200)));
    w.start();
    GGameLevelScene* level = w.level.get();
    GBuildingConfig* hotel = w.type("Hotel1");
    EXPECT_FALSE(level->canAffordBuilding(nullptr));
    level->Money = 500.0f;
    level->Materials = 10.0f;
    level->Workers = 1;
    EXPECT_TRUE(level->canAffordBuilding(hotel));
    level->Workers = 0;
    EXPECT_FALSE(level->canAffordBuilding(hotel));
    level->Workers = 1;
    level->Money = 499.0f;
    EXPECT_FALSE(level->canAffordBuilding(hotel));

    GBuildingNode* free = w.lotNamed("Free");
    level->Money = 1000.0f;
    EXPECT_FALSE(level->canBuyBuilding(nullptr));
    EXPECT_FALSE(level->canBuyBuilding(w.lotNamed("Owned")));
    EXPECT_FALSE(level->canBuyBuilding(w.lotNamed("Blank")));
    EXPECT_FALSE(level->canBuyBuilding(free));  // not on sale
    w.configuration->Factors.BuyNotForSaleBuildingPriceBonus = 1.0f;
    EXPECT_TRUE(level->canBuyBuilding(free));
    w.configuration->Factors.BuyNotForSaleBuildingPriceBonus = 0.0f;
    free->setForSale(true);
    EXPECT_TRUE(level->canBuyBuilding(free));
    level->Money = 99.0f;
    EXPECT_FALSE(level->canBuyBuilding(free));
}

TEST_F(LevelSceneTest, RatingLevels) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200, true)));
    w.level->setLevelConfiguration(w.configuration.get());
    struct Case {
        f32 rating;
        std::vector<s32> thresholds;
        s32 level;
    } cases[] = {
        {120.0f, {0, 50}, 2},        {-1.0f, {0, 50}, -1},        {0.0f, {0, 50}, 0},
        {49.9f, {0, 50}, 0},         {50.0f, {0, 50}, 1},         {100.0f, {0, 50}, 2},
        {35.0f, {0, 10, 20, 30}, 2}, {75.0f, {0, 10, 20, 30}, 3}, {1e9f, {0, 50}, 20000000},
        {1e9f, {0, 10, 0}, 2},       {5.0f, {0, 0}, 1},           {10.0f, {}, 1},
    };
    for (const Case& c : cases) {
        w.configuration->RatingThresholds.clear();
        for (s32 t : c.thresholds) w.configuration->RatingThresholds.push_back(t);
        w.level->Rating = c.rating;
        EXPECT_EQ(w.level->getRatingLevel(), c.level) << c.rating;
    }
}

TEST_F(LevelSceneTest, CountingLotsOfATypeIncludesDemolitions) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200, true) +
                            LotWorld::lot("B", "Hotel1", 300, 200, false) +
                            LotWorld::lot("C", "Hotel1", 500, 200, true)));
    w.start();
    EXPECT_EQ(w.level->countBuildingsOfType(id("Hotel1")), 2);
    GBuildingNode* c = w.lotNamed("C");
    c->setType(w.type("Empty"), false);
    c->setProcess(BuildingProcessDemolition, nullptr);
    EXPECT_EQ(w.level->countBuildingsOfType(id("Hotel1")), 2);
    EXPECT_EQ(w.level->countBuildingsOfType(id("Empty")), 1);
    c->setProcess(BuildingProcessNone, nullptr);
    EXPECT_EQ(w.level->countBuildingsOfType(id("Hotel1")), 1);
}

TEST_F(LevelSceneTest, TheFocusedBuildingIsTheFocusedLot) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "Hotel1", 100, 200, true) +
                            LotWorld::lot("B", "Hotel1", 300, 200, true)));
    w.start();
    EXPECT_EQ(w.level->getFocusedBuilding(), nullptr);
    w.lotNamed("B")->setFocused(true);
    EXPECT_EQ(w.level->getFocusedBuilding(), w.lotNamed("B"));
    w.lotNamed("B")->setFocused(false);
    EXPECT_EQ(w.level->getFocusedBuilding(), nullptr);
}

TEST_F(LevelSceneTest, LotEventsPassTheLevelSceneToItsParents) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("A", "REAgency", 100, 200, true)));
    w.start();
    GameEventRecorder parents;
    w.screen->addPreReceiver(&parents);
    GBuildingNode* a = w.lotNamed("A");
    a->startFeature(1);
    w.run(8000 + 20000 + 100);
    // The lot's own events, among those the level scene sends about itself as it handles them.
    std::vector<u32> fromTheLot;
    for (u32 id : parents.ids)
        if (id >= GameEventBuildingBuilt && id <= GameEventResourcesReturned)
            fromTheLot.push_back(id);
    EXPECT_EQ(fromTheLot,
              (std::vector<u32>{GameEventBuildingFeatureUsed, GameEventBuildingProcessEnded}));
    EXPECT_EQ(parents.features, (std::vector<s32>{1}));
    // A focused lot announces its own change to its parents.
    a->setFocused(true);
    parents.ids.clear();
    a->notifyChanged();
    EXPECT_EQ(parents.ids, (std::vector<u32>{GameEventBuildingSelected}));
    w.screen->removePreReceiver(&parents);
}

TEST_F(LevelSceneTest, ReadinessToComplete) {
    GGameLevelScene level{CCreationContext()};
    EXPECT_FALSE(level.isReadyToComplete());
    level.Completed = true;
    EXPECT_TRUE(level.isReadyToComplete());
    level.CompletionHint = "%GamePlay_CompleteBlocked1Hint%";
    EXPECT_FALSE(level.isReadyToComplete());
}

TEST_F(LevelSceneTest, WhatThePanelsRead) {
    GGameLevelScene level{CCreationContext()};
    IGameLevelInfo* info = IGameLevelInfo::of(&level);
    ASSERT_EQ(info, static_cast<IGameLevelInfo*>(&level));
    EXPECT_FALSE(info->hasLevelConfiguration());
    EXPECT_TRUE(info->getLevelName().empty());
    EXPECT_EQ(info->getLevelTimeLimit(), 0);
    EXPECT_EQ(info->getLevelScore(), 0);
    w.configuration->Name = L"%Level4_Name%";
    w.configuration->Description = L"%Level4_Desc%";
    w.configuration->LevelTime = 360;
    w.configuration->Score = 50000;
    w.configuration->ExpertScore = 80000;
    level.setLevelConfiguration(w.configuration.get());
    level.LevelTimeMs = 1234.9f;
    level.ScoreGain = 2500.5f;
    EXPECT_TRUE(info->hasLevelConfiguration());
    EXPECT_EQ(info->getLevelName(), stringw(L"%Level4_Name%"));
    EXPECT_EQ(info->getLevelDescription(), stringw(L"%Level4_Desc%"));
    EXPECT_EQ(info->getLevelTimeLimit(), 360);
    EXPECT_EQ(info->getLevelScore(), 50000);
    EXPECT_EQ(info->getLevelExpertScore(), 80000);
    EXPECT_EQ(info->getLevelTime(), 1234);
    EXPECT_FLOAT_EQ(info->getScoreGain(), 2500.5f);
}
