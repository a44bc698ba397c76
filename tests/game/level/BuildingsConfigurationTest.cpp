// The buildings configuration: the reader with its defaults and edge cases, copies, the
// accessors with a level's factors and a reload.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/CRefPtr.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

// Every edge case of the reader in one document.
const std::string kCatalogue =
    "<?xml version=\"1.0\"?>\n"
    "<BuildingsConfiguration>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Plain\"/></Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"IntTime\"/><int Name=\"BuildTime\" "
    "Value=\"9000\"/>"
    "<int Name=\"ProvidedService\" Value=\"3\"/><float Name=\"Level\" "
    "Value=\"2\"/></Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Service4\"/><int "
    "Name=\"ProvidedService\" Value=\"4\"/>"
    "</Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Service5\"/><int "
    "Name=\"ProvidedService\" Value=\"5\"/>"
    "</Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Service6\"/><int "
    "Name=\"ProvidedService\" Value=\"6\"/>"
    "</Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Served\"/>"
    "<vector2d Name=\"ServeArea\" Value=\"200;100\"/></Properties></Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Boosted\"/><vector2d Name=\"ServeArea\" "
    "Value=\"200;100\"/>"
    "<vector2d Name=\"BoostedServeArea\" Value=\"0;50\"/><float Name=\"ServeArea2\" "
    "Value=\"1\"/></Properties></Building>\n"
    " <Building>\n"
    "  <Properties>\n"
    "   <string Name=\"Name\" Value=\"Featured\"/><string Name=\"NextLevelName\" "
    "Value=\"Featured2\"/>\n"
    "   <stringw Name=\"Description\" Value=\"%Featured_Desc%\"/><string Name=\"DisplayName\" "
    "Value=\"Featured\"/>\n"
    "   <int Name=\"Level\" Value=\"1\"/><int Name=\"Type\" Value=\"2\"/><float Name=\"Cost\" "
    "Value=\"20000\"/>\n"
    "   <string Name=\"BuiltSoundCueName\" Value=\"BuildingDone\"/>\n"
    "  </Properties>\n"
    "  <LevelModifiers><Modifier Type=\"GuestsCountM\" Value=\"1.2\"/></LevelModifiers>\n"
    "  <ActiveFeature DurationTime=\"8000\" Name=\"%F1%\"><Feature Type=\"BoostIncome\"/>"
    "<Feature Type=\"BoostServeArea\"/><LevelModifiers><Modifier Type=\"PRIncomeBonus\" "
    "Value=\"15\"/>"
    "</LevelModifiers></ActiveFeature>\n"
    "  <ActiveFeature/>\n"
    "  <ActiveFeature DurationTime=\"20000.7\" RechargeTime=\"45000\" MoneyCost=\"5000\" "
    "ButtonName=\"Game_FB\"/>\n"
    " </Building>\n"
    " <Building><Properties><string Name=\"Name\" Value=\"Plain\"/><float Name=\"Cost\" "
    "Value=\"1\"/>"
    "</Properties></Building>\n"
    " <Building><Properties><float Name=\"Cost\" Value=\"7\"/></Properties></Building>\n"
    " <Building><Properties><float Name=\"Cost\" Value=\"8\"/></Properties></Building>\n"
    "</BuildingsConfiguration>\n";

CRefPtr<GBuildingsConfiguration> readCatalogue(const std::string& xml, bool* complete = nullptr) {
    CRefPtr<CXmlReader> reader = test::readerOf(xml);
    auto catalogue = makeRef<GBuildingsConfiguration>();
    const bool ended = catalogue->read(reader.get());
    if (complete) *complete = ended;
    return catalogue;
}

}  // namespace

TEST(BuildingsConfiguration, ATypeWithOnlyANameHasTheDefaults) {
    bool complete = false;
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue, &complete);
    ASSERT_TRUE(complete);
    const GBuildingConfig* plain = c->find(CNameId("Plain"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->BuildTime, 5000.0f);
    EXPECT_EQ(plain->RepairTime, 2000.0f);
    EXPECT_EQ(plain->DestroyTime, 1500.0f);
    EXPECT_EQ(plain->ServeTime, 2000.0f);
    EXPECT_EQ(plain->ServiceDuration, 2000.0f);
    EXPECT_FLOAT_EQ(plain->PreviewScale, 0.75f);
    EXPECT_EQ(plain->BuildMaterialsCost, 10.0f);
    EXPECT_EQ(plain->RepairMaterialsCost, 10.0f);
    EXPECT_EQ(plain->BuildWorkersCost, 1);
    EXPECT_EQ(plain->RepairWorkersCost, 1);
    EXPECT_EQ(plain->DestroyWorkersCost, 1);
    EXPECT_EQ(plain->Level, 0);
    EXPECT_EQ(plain->Type, 0);
    EXPECT_TRUE(plain->NextLevelName.isEmpty());
    EXPECT_TRUE(plain->ButtonTemplate.isEmpty());
    EXPECT_TRUE(plain->BuiltSoundCueName.isEmpty());
    EXPECT_FALSE(plain->LevelModifiers);
    EXPECT_TRUE(plain->Features.empty());
    EXPECT_EQ(plain->ServeArea, vector2df(0.0f, 0.0f));
    EXPECT_EQ(plain->BoostedServeArea, vector2df(0.0f, 0.0f));
    // The first type of a name wins.
    EXPECT_EQ(plain->Cost, 0.0f);
}

TEST(BuildingsConfiguration, APropertyOfAnotherTypeGivesZeroNotTheDefault) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    const GBuildingConfig* t = c->find(CNameId("IntTime"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->BuildTime, 0.0f);
    EXPECT_EQ(t->Level, 0);
}

TEST(BuildingsConfiguration, OnlyTheTwoCustomServicesAreKept) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    struct {
        const char* name;
        s32 service;
    } cases[] = {{"IntTime", 0}, {"Service4", 4}, {"Service5", 5}, {"Service6", 0}, {"Plain", 0}};
    for (const auto& k : cases) {
        ASSERT_TRUE(c->find(CNameId(k.name))) << k.name;
        EXPECT_EQ(c->find(CNameId(k.name))->ProvidedService, k.service) << k.name;
    }
}

TEST(BuildingsConfiguration, TheBoostedAreaFallsBackToTheServeAreaOnlyWhenBothAreZero) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    ASSERT_TRUE(c->find(CNameId("Served")));
    EXPECT_EQ(c->find(CNameId("Served"))->BoostedServeArea, vector2df(200.0f, 100.0f));
    ASSERT_TRUE(c->find(CNameId("Boosted")));
    EXPECT_EQ(c->find(CNameId("Boosted"))->BoostedServeArea, vector2df(0.0f, 50.0f));
}

TEST(BuildingsConfiguration, FeaturesReadTheirAttributesTypesAndModifiers) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    const GBuildingConfig* t = c->find(CNameId("Featured"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->NextLevelName, CNameId("Featured2"));
    EXPECT_EQ(t->Description, stringw(L"%Featured_Desc%"));
    EXPECT_STREQ(t->DisplayName.c_str(), "Featured");
    EXPECT_EQ(t->Level, 1);
    EXPECT_EQ(t->Type, 2);
    EXPECT_EQ(t->BuiltSoundCueName, CNameId("BuildingDone"));
    ASSERT_TRUE(t->LevelModifiers);
    EXPECT_EQ(t->LevelModifiers->size(), 1u);
    ASSERT_EQ(t->Features.size(), 3u);
    const GBuildingFeature& first = t->Features[0];
    EXPECT_EQ(first.DurationTime, 8000);
    EXPECT_EQ(first.RechargeTime, 8000);
    EXPECT_EQ(first.Name, stringw(L"%F1%"));
    ASSERT_EQ(first.FeatureTypes.size(), 2u);
    EXPECT_EQ(first.FeatureTypes[0], CNameId("BoostIncome"));
    EXPECT_EQ(first.FeatureTypes[1], CNameId("BoostServeArea"));
    ASSERT_TRUE(first.LevelModifiers);
    EXPECT_EQ(first.LevelModifiers->size(), 1u);
    const GBuildingFeature& bare = t->Features[1];
    EXPECT_EQ(bare.DurationTime, 15000);
    EXPECT_EQ(bare.RechargeTime, 15000);
    EXPECT_EQ(bare.MoneyCost, 0.0f);
    EXPECT_TRUE(bare.ButtonName.isEmpty());
    EXPECT_TRUE(bare.FeatureTypes.empty());
    const GBuildingFeature& third = t->Features[2];
    EXPECT_EQ(third.DurationTime, 20000);
    EXPECT_EQ(third.RechargeTime, 45000);
    EXPECT_EQ(third.MoneyCost, 5000.0f);
    EXPECT_EQ(third.ButtonName, CNameId("Game_FB"));
    // A record made without reading.
    GBuildingFeature made;
    EXPECT_EQ(made.DurationTime, 10000);
    EXPECT_EQ(made.RechargeTime, 10000);
}

TEST(BuildingsConfiguration, TypesWithoutANameShareTheNoneEntryAndTheFirstStays) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    const GBuildingConfig* unnamed = c->find(CNameId());
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->Cost, 7.0f);
    EXPECT_EQ(c->size(), 9u);
    EXPECT_EQ(c->find(CNameId("Missing")), nullptr);
}

TEST(BuildingsConfiguration, ACopySharesTheModifiersAndCopiesTheFeatures) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    GBuildingConfig* source = c->find(CNameId("Featured"));
    ASSERT_TRUE(source);
    CRefPtr<GBuildingConfig> copy = CRefPtr<GBuildingConfig>::fromRaw(source->copy());
    EXPECT_EQ(copy->Name, source->Name);
    EXPECT_EQ(copy->Cost, 20000.0f);
    EXPECT_EQ(copy->LevelModifiers.get(), source->LevelModifiers.get());
    ASSERT_EQ(copy->Features.size(), 3u);
    EXPECT_EQ(copy->Features[0].LevelModifiers.get(), source->Features[0].LevelModifiers.get());
    copy->Features[0].DurationTime = 1;
    EXPECT_EQ(source->Features[0].DurationTime, 8000);
}

TEST(BuildingsConfiguration, AccessorsApplyTheLevelsFactors) {
    GBuildingConfig lodging;
    lodging.Type = BuildingKindLodging;
    lodging.BuildWorkersCost = 4;
    lodging.DestroyWorkersCost = 3;
    lodging.RepairWorkersCost = 2;
    lodging.BuildMaterialsCost = 60.0f;
    lodging.RepairMaterialsCost = 24.0f;
    lodging.GuestsCount = 10;
    GBuildingConfig cafe;
    cafe.Type = 2;
    cafe.GuestsCount = 10;
    struct {
        f32 workersCostA, guestsCountM;
        s32 build, destroy, lodgingGuests;
    } cases[] = {
        {0.0f, 1.0f, 4, 3, 10},
        {2.5f, 1.25f, 1, 1, 13},  // 4 - 2.5 = 1.5 truncated; 12.5 rounds to 13
        {5.0f, 1.25f, 1, 1, 13},  // never below one worker
        {-1.0f, 0.5f, 5, 4, 5},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.workersCostA);
        auto level = makeRef<GLevelConfiguration>();
        level->Factors.WorkersCostA = k.workersCostA;
        level->Factors.GuestsCountM = k.guestsCountM;
        EXPECT_EQ(lodging.getBuildWorkersCost(level.get()), k.build);
        EXPECT_EQ(lodging.getDestroyWorkersCost(level.get()), k.destroy);
        EXPECT_EQ(lodging.getRepairWorkersCost(level.get()), 2);
        EXPECT_EQ(lodging.getBuildMaterialsCost(level.get()), 60.0f);
        EXPECT_EQ(lodging.getRepairMaterialsCost(level.get()), 24.0f);
        EXPECT_EQ(lodging.getGuestsCount(level.get()), k.lodgingGuests);
        EXPECT_EQ(cafe.getGuestsCount(level.get()), 10);
    }
    EXPECT_EQ(lodging.getBuildWorkersCost(nullptr), 4);
    EXPECT_EQ(lodging.getDestroyWorkersCost(nullptr), 3);
    EXPECT_EQ(lodging.getGuestsCount(nullptr), 10);
}

TEST(BuildingsConfiguration, TheServeAreaBonusFollowsTheServingLotsState) {
    GBuildingConfig statue;
    statue.ServeAreaIncomeBonus = 10.0f;
    statue.BrokenServeAreaIncomeBonus = 3.0f;
    EXPECT_EQ(statue.getServeAreaIncomeBonus(false, false), 10.0f);
    EXPECT_EQ(statue.getServeAreaIncomeBonus(false, true), 3.0f);
    EXPECT_EQ(statue.getServeAreaIncomeBonus(true, true), 0.0f);
    EXPECT_EQ(statue.getServeAreaIncomeBonus(true, false), 0.0f);
}

TEST(BuildingsConfiguration, AReloadReplacesTheRecordsAndLeavesAKeptOneUnchanged) {
    CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue);
    CRefPtr<GBuildingConfig> kept(c->find(CNameId("Featured")));
    ASSERT_TRUE(kept);
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" Value=\"Featured\"/>"
        "<float Name=\"Cost\" Value=\"99\"/></Properties></Building></BuildingsConfiguration>");
    ASSERT_TRUE(c->read(reader.get()));
    EXPECT_EQ(c->size(), 1u);
    ASSERT_TRUE(c->find(CNameId("Featured")));
    EXPECT_NE(c->find(CNameId("Featured")), kept.get());
    EXPECT_EQ(c->find(CNameId("Featured"))->Cost, 99.0f);
    EXPECT_EQ(kept->Cost, 20000.0f);
    EXPECT_EQ(kept->Features.size(), 3u);
    EXPECT_EQ(c->find(CNameId("Plain")), nullptr);
}

TEST(BuildingsConfiguration, EveryPrefixReadsWithoutFaultAndKeepsTheTypesBeforeTheDamage) {
    const size_t firstEnd = kCatalogue.find("</Building>") + 11;
    for (size_t length = 0; length < kCatalogue.size() - 1; ++length) {
        SCOPED_TRACE(length);
        test::LogCapture quiet;
        bool complete = true;
        CRefPtr<GBuildingsConfiguration> c = readCatalogue(kCatalogue.substr(0, length), &complete);
        EXPECT_FALSE(complete);
        if (length >= firstEnd) {
            EXPECT_TRUE(c->find(CNameId("Plain")));
        }
    }
}
