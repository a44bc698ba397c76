// The level configuration: its defaults, its keys, the fixed offers and thresholds, damaged
// files and the level scores.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/CRefPtr.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/LevelScores.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GRandomEventRequest.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

struct SRead {
    CRefPtr<GLevelConfiguration> level;
    bool complete;
};

SRead readLevel(const std::string& xml) {
    CRefPtr<CXmlReader> reader = test::readerOf(xml);
    auto level = makeRef<GLevelConfiguration>();
    const bool complete = level->read(reader.get());
    return {level, complete};
}

std::string levelWith(const std::string& properties) {
    return "<?xml version=\"1.0\"?><Level><Properties>" + properties + "</Properties></Level>";
}

void expectOffers(const GLevelConfiguration& level) {
    const f32 materials[][3] = {{125, 12500, 5000},  {250, 22500, 6000},    {500, 40000, 7000},
                                {1000, 75000, 9000}, {2500, 150000, 10000}, {5000, 250000, 12000}};
    const f32 workers[][3] = {
        {1, 50000, 5000}, {2, 90000, 7000}, {3, 125000, 10000}, {4, 150000, 12000}};
    ASSERT_EQ(level.MaterialsOffers.size(), 6u);
    ASSERT_EQ(level.WorkersOffers.size(), 4u);
    for (u32 i = 0; i < 6; ++i) {
        EXPECT_EQ(level.MaterialsOffers[i]->Amount, materials[i][0]) << i;
        EXPECT_EQ(level.MaterialsOffers[i]->Price, materials[i][1]) << i;
        EXPECT_EQ(level.MaterialsOffers[i]->Time, materials[i][2]) << i;
    }
    for (u32 i = 0; i < 4; ++i) {
        EXPECT_EQ(level.WorkersOffers[i]->Amount, workers[i][0]) << i;
        EXPECT_EQ(level.WorkersOffers[i]->Price, workers[i][1]) << i;
        EXPECT_EQ(level.WorkersOffers[i]->Time, workers[i][2]) << i;
    }
}

// A complete level file: every kind of content once.
const std::string kFullLevel =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Level>\n"
    " <Properties>\n"
    "  <stringw Name=\"Name\" Value=\"12\"/>\n"
    "  <stringw Name=\"Description\" Value=\"%Level12_Description%\"/>\n"
    "  <int Name=\"SettingIndex\" Value=\"4\"/>\n"
    "  <string Name=\"UnlockLevels\" Value=\"13;14\"/>\n"
    "  <string Name=\"AvailableBuildingsForBuild\" Value=\"Camping1;Cafe\"/>\n"
    "  <int Name=\"DayLength\" Value=\"45\"/>\n"
    "  <float Name=\"InitMoney\" Value=\"50000\"/>\n"
    "  <float Name=\"InitRating\" Value=\"10\"/>\n"
    "  <float Name=\"InitMaterialsCount\" Value=\"200\"/>\n"
    "  <int Name=\"InitWorkersCount\" Value=\"3\"/>\n"
    "  <float Name=\"IncomeBonus1\" Value=\"15\"/>\n"
    "  <float Name=\"IncomeBonus2\" Value=\"-10\"/>\n"
    "  <string Name=\"PyramidIncomeBonusPlaces\" Value=\"Place3\"/>\n"
    "  <float Name=\"StationIncomeBonus1\" Value=\"5\"/>\n"
    "  <string Name=\"StationIncomeBonus1BuildingTypes\" Value=\"Hostel1\"/>\n"
    "  <vector2d Name=\"BuildingsSellTime\" Value=\"20000;40000\"/>\n"
    "  <bool Name=\"IsClockOn\" Value=\"false\"/>\n"
    "  <bool Name=\"IsNotOwnedDecorationsDirty\" Value=\"true\"/>\n"
    " </Properties>\n"
    " <Objectives>\n"
    "  <Objective Type=\"Money\" Value=\"100000\" InfoStr=\"%Obj_Money%\"/>\n"
    "  <Objective Type=\"Workers\" Value=\"6\"/>\n"
    " </Objectives>\n"
    " <RandomEvents>\n"
    "  <Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"10000;20000\" "
    "BuildingTypes=\"Camping1\"/>\n"
    "  <Event Type=\"RegularWeatherEffectRequest\" PeriodRange=\"60000;90000\" "
    "DurationTimeRange=\"20000;30000\"/>\n"
    " </RandomEvents>\n"
    "</Level>\n";

}  // namespace

TEST(LevelConfiguration, AnEmptyPropertiesElementGivesTheDefaults) {
    SRead r = readLevel("<Level><Properties></Properties></Level>");
    ASSERT_TRUE(r.complete);
    const GLevelConfiguration& l = *r.level;
    EXPECT_EQ(l.DayLength, 60);
    EXPECT_EQ(l.LevelTime, -1);
    EXPECT_EQ(l.SettingIndex, 1);
    EXPECT_EQ(l.Score, 0);
    EXPECT_EQ(l.ExpertScore, 0);
    EXPECT_EQ(l.LevelNumber, 0);
    EXPECT_TRUE(l.IsRatingOn);
    EXPECT_TRUE(l.IsClockOn);
    EXPECT_TRUE(l.IsBuildingLevelOn);
    EXPECT_TRUE(l.IsBuildingPlaceLuckinessOn);
    EXPECT_TRUE(l.IsSellOn);
    EXPECT_FALSE(l.IsNotOwnedDecorationsDirty);
    EXPECT_EQ(l.BuildingsSellTime.Min, 10000.0f);
    EXPECT_EQ(l.BuildingsSellTime.Max, 60000.0f);
    EXPECT_EQ(l.BuildingsBuyRequestTime.Min, 10000.0f);
    EXPECT_EQ(l.BuildingsBuyRequestTime.Max, 60000.0f);
    EXPECT_EQ(l.BuildingsBuyRequestTimeWaiting.Min, 10000.0f);
    EXPECT_EQ(l.BuildingsBuyRequestTimeWaiting.Max, 20000.0f);
    EXPECT_FLOAT_EQ(l.BuildingsBuyRequestPriceMultiplier.Min, 0.8f);
    EXPECT_FLOAT_EQ(l.BuildingsBuyRequestPriceMultiplier.Max, 1.0f);
    EXPECT_EQ(l.InitMoney, 0.0f);
    EXPECT_EQ(l.InitWorkersCount, 0);
    EXPECT_TRUE(l.UnlockLevels.empty());
    EXPECT_TRUE(l.AvailableBuildingsForBuild.empty());
    ASSERT_TRUE(l.Objectives);
    EXPECT_EQ(l.Objectives->size(), 0u);
    ASSERT_TRUE(l.RandomEvents);
    EXPECT_EQ(l.RandomEvents->size(), 0u);
    expectOffers(l);
}

TEST(LevelConfiguration, BeforeReadingThereAreNoOffersAndTheLevelNumberIsUnset) {
    GLevelConfiguration l;
    EXPECT_EQ(l.LevelNumber, -1);
    EXPECT_TRUE(l.MaterialsOffers.empty());
    EXPECT_TRUE(l.WorkersOffers.empty());
}

TEST(LevelConfiguration, AKeyOfAnotherTypeGivesZeroAndAMissingOneKeepsItsDefault) {
    SRead r =
        readLevel(levelWith("<int Name=\"InitMoney\" Value=\"5000\"/>"
                            "<float Name=\"DayLength\" Value=\"30\"/>"
                            "<int Name=\"IsSellOn\" Value=\"1\"/>"
                            "<float Name=\"BuildingsSellTime\" Value=\"5\"/>"));
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.level->InitMoney, 0.0f);
    EXPECT_EQ(r.level->DayLength, 0);
    EXPECT_FALSE(r.level->IsSellOn);
    EXPECT_EQ(r.level->BuildingsSellTime.Min, 0.0f);
    EXPECT_EQ(r.level->BuildingsSellTime.Max, 0.0f);
    EXPECT_EQ(r.level->SettingIndex, 1);
    EXPECT_TRUE(r.level->IsClockOn);
}

TEST(LevelConfiguration, TheNameGivesTheLevelNumberAndTheScoresKey) {
    struct {
        const char* name;
        s32 number;
    } cases[] = {{"12", 12}, {"-3", -3}, {"Beach", 0}, {"", 0}, {"99999999999", 2147483647}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SRead r =
            readLevel(levelWith(std::string("<stringw Name=\"Name\" Value=\"") + c.name + "\"/>"));
        EXPECT_EQ(r.level->LevelNumber, c.number);
        EXPECT_EQ(std::string(r.level->getScoresKey().c_str()), std::string("level") + c.name);
    }
}

TEST(LevelConfiguration, NameListsAreTrimmedAndUnlockLevelsKeepEmptyPieces) {
    SRead r = readLevel(
        levelWith("<string Name=\"AvailableBuildingsForBuild\" Value=\"  Camping1 ;;\t Cafe ;\"/>"
                  "<string Name=\"UnlockLevels\" Value=\"3;4;\"/>"));
    ASSERT_EQ(r.level->AvailableBuildingsForBuild.size(), 2u);
    EXPECT_EQ(r.level->AvailableBuildingsForBuild[0], CNameId("Camping1"));
    EXPECT_EQ(r.level->AvailableBuildingsForBuild[1], CNameId("Cafe"));
    ASSERT_EQ(r.level->UnlockLevels.size(), 3u);
    EXPECT_STREQ(r.level->UnlockLevels[0].c_str(), "3");
    EXPECT_STREQ(r.level->UnlockLevels[1].c_str(), "4");
    EXPECT_STREQ(r.level->UnlockLevels[2].c_str(), "");
    SRead empty = readLevel(levelWith("<string Name=\"UnlockLevels\" Value=\"\"/>"));
    ASSERT_EQ(empty.level->UnlockLevels.size(), 1u);
    EXPECT_STREQ(empty.level->UnlockLevels[0].c_str(), "");
}

TEST(LevelConfiguration, RatingThresholdsAreZeroAndFiftyForEveryLaterIndex) {
    GLevelConfiguration l;
    EXPECT_EQ(l.getRatingThreshold(0), 0);
    EXPECT_EQ(l.getRatingThreshold(1), 50);
    EXPECT_EQ(l.getRatingThreshold(7), 50);
}

TEST(LevelConfiguration, AFullFileReadsEveryPart) {
    SRead r = readLevel(kFullLevel);
    ASSERT_TRUE(r.complete);
    const GLevelConfiguration& l = *r.level;
    EXPECT_EQ(l.Name, stringw(L"12"));
    EXPECT_EQ(l.Description, stringw(L"%Level12_Description%"));
    EXPECT_EQ(l.SettingIndex, 4);
    EXPECT_EQ(l.DayLength, 45);
    EXPECT_EQ(l.InitMoney, 50000.0f);
    EXPECT_EQ(l.InitRating, 10.0f);
    EXPECT_EQ(l.InitMaterialsCount, 200.0f);
    EXPECT_EQ(l.InitWorkersCount, 3);
    EXPECT_EQ(l.IncomeBonus1, 15.0f);
    EXPECT_EQ(l.IncomeBonus2, -10.0f);
    ASSERT_EQ(l.PyramidIncomeBonusPlaces.size(), 1u);
    EXPECT_EQ(l.StationIncomeBonus1, 5.0f);
    ASSERT_EQ(l.StationIncomeBonus1BuildingTypes.size(), 1u);
    EXPECT_EQ(l.StationIncomeBonus1BuildingTypes[0], CNameId("Hostel1"));
    EXPECT_EQ(l.BuildingsSellTime.Min, 20000.0f);
    EXPECT_EQ(l.BuildingsSellTime.Max, 40000.0f);
    EXPECT_FALSE(l.IsClockOn);
    EXPECT_TRUE(l.IsNotOwnedDecorationsDirty);
    ASSERT_EQ(l.Objectives->size(), 2u);
    EXPECT_EQ(l.Objectives->get(0)->getKind(), LevelObjectiveMoney);
    EXPECT_EQ(l.Objectives->get(1)->getKind(), LevelObjectiveWorkers);
    ASSERT_EQ(l.RandomEvents->size(), 2u);
    expectOffers(l);
}

// Whatever prefix of a file the reader sees, it stops without fault, answers false and keeps
// what the prefix held.
TEST(LevelConfiguration, EveryPrefixOfAFileReadsWithoutFaultAndKeepsWhatCameFirst) {
    const size_t propertiesEnd = kFullLevel.find("</Properties>") + 13;
    const size_t objectivesEnd = kFullLevel.find("</Objectives>") + 13;
    for (size_t length = 0; length < kFullLevel.size() - 1; ++length) {
        SCOPED_TRACE(length);
        test::LogCapture quiet;
        SRead r = readLevel(kFullLevel.substr(0, length));
        EXPECT_FALSE(r.complete);
        if (length >= objectivesEnd) {
            EXPECT_EQ(r.level->Objectives->size(), 2u);
        }
        if (length >= propertiesEnd) {
            EXPECT_EQ(r.level->DayLength, 45);
            EXPECT_EQ(r.level->MaterialsOffers.size(), 6u);
        }
    }
}

TEST(LevelConfiguration, TwoPropertiesElementsAppendTheOffersOnce) {
    SRead r = readLevel(
        "<Level><Properties><int Name=\"DayLength\" Value=\"30\"/></Properties>"
        "<Properties><float Name=\"InitMoney\" Value=\"10\"/></Properties></Level>");
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.level->DayLength, 30);
    EXPECT_EQ(r.level->InitMoney, 10.0f);
    expectOffers(*r.level);
}

TEST(LevelConfiguration, TheLevelScoresEntryOverridesScoresAndTime) {
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<LevelScores><Level Name=\"level12\" Score=\"900\" ExpertScore=\"1500\" "
        "Time=\"420\"/></LevelScores>");
    auto scores = makeRef<LevelScores>();
    ASSERT_TRUE(scores->load(reader.get()));
    SRead twelve =
        readLevel(levelWith("<stringw Name=\"Name\" Value=\"12\"/><int Name=\"Score\" Value=\"5\"/>"
                            "<int Name=\"LevelTime\" Value=\"100\"/>"));
    twelve.level->joinLevelScores(*scores);
    EXPECT_EQ(twelve.level->Score, 900);
    EXPECT_EQ(twelve.level->ExpertScore, 1500);
    EXPECT_EQ(twelve.level->LevelTime, 420);
    SRead other = readLevel(
        levelWith("<stringw Name=\"Name\" Value=\"13\"/><int Name=\"Score\" Value=\"5\"/>"));
    other.level->joinLevelScores(*scores);
    EXPECT_EQ(other.level->Score, 0);
    EXPECT_EQ(other.level->ExpertScore, 0);
    EXPECT_EQ(other.level->LevelTime, 360);
    EXPECT_EQ(scores->size(), 1u);  // nothing was added
}
