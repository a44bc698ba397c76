// The comics, upgrades and level scores tables read from XML fixtures.

#include <string>

#include <gtest/gtest.h>

#include "game/config/ComicsConfiguration.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

TEST(ComicsTable, TheFirstEntryOfALevelWinsAndOtherElementsAreSkipped) {
    auto comics = makeRef<ComicsConfiguration>();
    CRefPtr<CXmlReader> reader = test::readerOf(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?><ComicsConfiguration>"
        "<Comics><Level Value=\"6\"/><ScenePath Value=\"scenes/Comics2.oscn\"/><Other Value=\"x\"/></Comics>"
        "<Note/>"
        "<Comics><ScenePath Value=\"scenes/Later.oscn\"/><Level Value=\"6\"/></Comics>"
        "<Comics><Level Value=\"0\"/><ScenePath Value=\"scenes/Comics\xC3\xA9.oscn\"/></Comics>"
        "<Comics><Level Value=\"9\"/></Comics>"
        "<Comics/>"
        "</ComicsConfiguration>");
    EXPECT_TRUE(comics->load(reader.get()));
    ASSERT_EQ(comics->size(), 3u);  // 6, 0, 9; the empty element (level 0) found its level taken
    ASSERT_NE(comics->find(6), nullptr);
    EXPECT_EQ(comics->find(6)->ScenePath, stringw(L"scenes/Comics2.oscn"));
    EXPECT_EQ(comics->find(0)->ScenePath, stringw(L"scenes/Comics\u00e9.oscn"));
    ASSERT_NE(comics->find(9), nullptr);
    EXPECT_TRUE(comics->find(9)->ScenePath.empty());  // users take it as no comic
    EXPECT_EQ(comics->find(7), nullptr);

    // A second load replaces the table; a file cut short keeps what it had.
    reader = test::readerOf("<ComicsConfiguration><Comics><Level Value=\"2\"/></Comics>");
    EXPECT_FALSE(comics->load(reader.get()));
    EXPECT_EQ(comics->size(), 1u);
    EXPECT_NE(comics->find(2), nullptr);
    EXPECT_FALSE(comics->load(nullptr));
    EXPECT_EQ(comics->size(), 0u);
}

TEST(UpgradesTable, RecordsWithEveryFieldInAnyOrder) {
    test::LogCapture logs;
    auto upgrades = makeRef<UpgradesConfiguration>();
    CRefPtr<CXmlReader> reader = test::readerOf(
        "\xEF\xBB\xBF<UpgradesConfiguration>"
        "<Upgrade>"
        "  <Price Value=\"1500\"/><Level Value=\"4\"/><Info Value=\"Bigger h\xC3\xB4tels\"/>"
        "  <AllowsBuilding Value=\"Hotel2\"/><AllowsBuilding Value=\"Hotel3\"/>"
        "  <AllowsBuildingFeature Building=\"Hotel2\" FeatureIndex=\"1\"/>"
        "  <AllowsBuildingFeature Building=\"Cafe\"/>"
        "  <LevelModifiers><Modifier Type=\"MaterialPriceM\" Value=\"0.5\"/></LevelModifiers>"
        "  <Name Value=\"Hotels\"/><Price Value=\"2000\"/><ObligatoryLevel/>"
        "</Upgrade>"
        "<Upgrade><Name Value=\"Cafe\"/></Upgrade>"
        "<Upgrade><Name Value=\"Hotels\"/><Price Value=\"1\"/></Upgrade>"
        "</UpgradesConfiguration>");
    EXPECT_TRUE(upgrades->load(reader.get()));
    ASSERT_EQ(upgrades->size(), 2u);
    const UpgradeRecord* hotels = upgrades->find(CNameId("Hotels"));
    ASSERT_NE(hotels, nullptr);
    EXPECT_EQ(hotels->Price, 2000);  // the repeated element overwrites; the second record is left out
    EXPECT_EQ(hotels->Level, 4);
    EXPECT_EQ(hotels->Info, stringw(L"Bigger h\u00f4tels"));
    EXPECT_EQ(hotels->ObligatoryLevel, 0);  // present without a value
    ASSERT_EQ(hotels->AllowsBuilding.size(), 2u);
    EXPECT_EQ(hotels->AllowsBuilding[1], CNameId("Hotel3"));
    ASSERT_EQ(hotels->AllowsBuildingFeature.size(), 2u);
    EXPECT_EQ(hotels->AllowsBuildingFeature[0].Building, CNameId("Hotel2"));
    EXPECT_EQ(hotels->AllowsBuildingFeature[0].FeatureIndex, 0);   // counted from 1 in the file
    EXPECT_EQ(hotels->AllowsBuildingFeature[1].FeatureIndex, -1);  // none given
    ASSERT_EQ(hotels->LevelModifiers->size(), 1u);
    auto configuration = makeRef<GLevelConfiguration>();
    hotels->LevelModifiers->applyAll(configuration.get());
    EXPECT_FLOAT_EQ(configuration->Factors.MaterialPriceM, 0.5f);

    const UpgradeRecord* cafe = upgrades->find(CNameId("Cafe"));
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(cafe->ObligatoryLevel, -1);  // no element
    EXPECT_EQ(cafe->Price, 0);
    EXPECT_EQ(cafe->LevelModifiers->size(), 0u);  // an empty list, never none
    EXPECT_EQ(upgrades->find(CNameId("Parks")), nullptr);

    // Iteration follows the name ids.
    s32 last = -1;
    for (const auto& entry : upgrades->getRecords()) {
        EXPECT_GT(entry.first.getId(), last);
        last = entry.first.getId();
        EXPECT_EQ(entry.second->Name, entry.first);
    }
    EXPECT_TRUE(logs.lines().empty());
}

// An upgrade without a name would sit under no name at all and still be listed by the shop and
// the map: it is left out, with a warning.
TEST(UpgradesTable, AnUpgradeWithoutANameIsLeftOutWithAWarning) {
    test::LogCapture logs;
    auto upgrades = makeRef<UpgradesConfiguration>();
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<UpgradesConfiguration>"
        "<Upgrade><Price Value=\"10\"/></Upgrade>"
        "<Upgrade><Name Value=\"\"/><Price Value=\"20\"/></Upgrade>"
        "<Upgrade/>"
        "<Upgrade><Name Value=\"Parks\"/></Upgrade>"
        "</UpgradesConfiguration>");
    EXPECT_TRUE(upgrades->load(reader.get()));
    ASSERT_EQ(upgrades->size(), 1u);
    EXPECT_NE(upgrades->find(CNameId("Parks")), nullptr);
    EXPECT_EQ(upgrades->find(CNameId()), nullptr);
    size_t warnings = 0;
    for (const auto& line : logs.lines())
        if (line.text == "Upgrade without a name is left out" && line.level == LogWarning) ++warnings;
    EXPECT_EQ(warnings, 3u);
}

TEST(LevelScoresTable, TheLastEntryOfANameWinsAndMissingNamesGetTheDefaults) {
    auto scores = makeRef<LevelScores>();
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<LevelScores>"
        "<Level Name=\"level1\" Score=\"1000\" ExpertScore=\"1500\" Time=\"300\"/>"
        "<Level Name=\"level2\" Score=\"2000\"/>"
        "<Level Name=\"level1\" Score=\"1100\" ExpertScore=\"1600\" Time=\"320\"/>"
        "<Other Name=\"level3\" Score=\"5\"/>"
        "</LevelScores>");
    EXPECT_TRUE(scores->load(reader.get()));
    EXPECT_EQ(scores->size(), 2u);
    EXPECT_EQ(scores->get("level1").Score, 1100);
    EXPECT_EQ(scores->get("level1").ExpertScore, 1600);
    EXPECT_EQ(scores->get("level1").Time, 320);
    // A missing attribute reads 0, also the time.
    EXPECT_EQ(scores->get("level2").ExpertScore, 0);
    EXPECT_EQ(scores->get("level2").Time, 0);
    // A name the file lacks: added with the defaults.
    EXPECT_EQ(scores->find("level3"), nullptr);
    const SLevelScore& added = scores->get("level3");
    EXPECT_EQ(added.Score, 0);
    EXPECT_EQ(added.ExpertScore, 0);
    EXPECT_EQ(added.Time, 360);
    EXPECT_NE(scores->find("level3"), nullptr);
    EXPECT_EQ(scores->size(), 3u);

    reader = test::readerOf("<LevelScores><Level Name=\"x\" Score=\"1\"/>");
    EXPECT_FALSE(scores->load(reader.get()));  // cut short: what was read stays
    EXPECT_EQ(scores->size(), 1u);
}
