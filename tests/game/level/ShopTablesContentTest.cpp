// The game's own upgrades and level scores files read with the game's readers: the counts, the
// free start, the buildings they allow, the spread of the required upgrades and the scores along
// the map.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/profiles/CProfileManager.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelUpgrades.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

const std::filesystem::path kAssets = BRASQUEL_ASSETS_DIR;
constexpr s32 kLocationCount = 39;

CRefPtr<CXmlReader> readerOfAsset(const char* path) {
    std::ifstream in(kAssets / path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_FALSE(bytes.str().empty()) << path;
    return test::readerOf(bytes.str());
}

CRefPtr<UpgradesConfiguration> upgrades() {
    auto table = makeRef<UpgradesConfiguration>();
    CRefPtr<CXmlReader> reader = readerOfAsset("levels/common/UpgradesConfiguration.xml");
    EXPECT_TRUE(table->load(reader.get()));
    return table;
}

// The folder name of each map location: regular level n lies on location n - 1 + (n - 1) / 7,
// the mini-games on every eighth.
std::vector<std::string> locationNames() {
    std::vector<std::string> names(kLocationCount);
    names[7] = "minigame_hidden1";
    names[15] = "minigame_hidden2";
    names[23] = "minigame_auction";
    names[31] = "minigame_hidden3";
    for (s32 n = 1; n - 1 + (n - 1) / 7 < kLocationCount; ++n)
        names[n - 1 + (n - 1) / 7] = "level" + std::to_string(n);
    return names;
}

}  // namespace

TEST(ShopTablesContent, TheUpgradesLoadWithTheFreeStartAndKnownBuildings) {
    test::LogCapture log;
    CRefPtr<UpgradesConfiguration> table = upgrades();
    EXPECT_EQ(table->size(), 18u);
    for (const char* name :
         {"Camping", "Hostel", "GuestHouse", "BusinessHotel", "HotelN5", "HotelN6", "Cafe",
          "CityMall", "AquaPark", "Statue", "Garden", "Memorial", "TruckStation", "REAgency",
          "PRAgency", "AquaParkFeature2", "TruckStationFeature2", "REAgencyFeature2"})
        EXPECT_NE(table->find(CNameId(name)), nullptr) << name;

    auto catalogue = makeRef<GBuildingsConfiguration>();
    CRefPtr<CXmlReader> reader = readerOfAsset("levels/common/BuildingsConfiguration.xml");
    ASSERT_TRUE(catalogue->read(reader.get()));
    auto texts = makeRef<CTextDictionary>();
    reader = readerOfAsset("strings/Dictionary.xml");
    ASSERT_TRUE(texts->load(reader.get()));

    s32 highestLevel = 0;
    for (const auto& entry : table->getRecords()) {
        const UpgradeRecord& upgrade = *entry.second;
        const std::string name = upgrade.Name.getName().c_str();
        highestLevel = std::max(highestLevel, upgrade.Level);
        EXPECT_GE(upgrade.Price, 0) << name;
        EXPECT_EQ(upgrade.Price == 0, upgrade.Level == 0) << name;  // only the start is free
        EXPECT_GT(upgrade.AllowsBuilding.size() + upgrade.AllowsBuildingFeature.size(), 0u) << name;
        for (u32 i = 0; i < upgrade.AllowsBuilding.size(); ++i)
            EXPECT_NE(catalogue->find(upgrade.AllowsBuilding[i]), nullptr) << name;
        for (u32 i = 0; i < upgrade.AllowsBuildingFeature.size(); ++i) {
            const GBuildingConfig* type =
                catalogue->find(upgrade.AllowsBuildingFeature[i].Building);
            ASSERT_NE(type, nullptr) << name;
            EXPECT_GT(upgrade.AllowsBuildingFeature[i].FeatureIndex, 0) << name;
            EXPECT_LT(upgrade.AllowsBuildingFeature[i].FeatureIndex,
                      static_cast<s32>(type->Features.size()))
                << name;
        }
        if (upgrade.Price > 0) {
            EXPECT_GT(upgrade.LevelModifiers->size(), 0u) << name;
        }
        EXPECT_EQ(texts->translate(upgrade.Info).findFirst(L'%'), -1) << name;
        EXPECT_EQ(texts->getText(stringc(name.c_str())).findFirst(L'%'), -1) << name;
    }
    EXPECT_EQ(highestLevel, 30);
    for (const auto& line : log.lines()) EXPECT_LT(line.level, LogWarning) << line.text;
}

TEST(ShopTablesContent, RequiredUpgradesAreSpreadOverTheMapAndSoldInTime) {
    CRefPtr<UpgradesConfiguration> table = upgrades();
    std::map<s32, s32> requiredAt;  // location -> how many upgrades it requires
    for (const auto& entry : table->getRecords()) {
        const UpgradeRecord& upgrade = *entry.second;
        if (upgrade.ObligatoryLevel <= 0) continue;
        const s32 n = upgrade.ObligatoryLevel;
        ++requiredAt[n - 1 + (n - 1) / 7];
        // On sale once the levels before the location are done, and working there.
        EXPECT_LE(upgrade.Level, n - 1) << upgrade.Name.getName().c_str();
    }
    EXPECT_EQ(requiredAt.count(0), 0u);
    EXPECT_EQ(requiredAt.count(1), 0u);
    s32 early = 0;
    for (const auto& [location, count] : requiredAt) {
        EXPECT_LT(location, kLocationCount);
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 2) << location;
        if (location >= 2 && location <= 9) early += count;
    }
    EXPECT_EQ(early, 1);
    EXPECT_GT(requiredAt.size(), 3u);
}

TEST(ShopTablesContent, EveryLocationHasRisingScores) {
    auto scores = makeRef<LevelScores>();
    CRefPtr<CXmlReader> reader = readerOfAsset("levels/common/LevelScores.xml");
    ASSERT_TRUE(scores->load(reader.get()));
    EXPECT_EQ(scores->size(), static_cast<u32>(kLocationCount));
    // The regular levels' scores rise along the map, their expert scores above them; a
    // mini-game's come from its own configuration (a hidden-object game's two are equal).
    s32 previous = 0;
    for (const std::string& name : locationNames()) {
        const SLevelScore* entry = scores->find(stringc(name.c_str()));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_GT(entry->Time, 0) << name;
        if (name.find("minigame_") != std::string::npos) {
            EXPECT_GT(entry->Score, 0) << name;
            EXPECT_GE(entry->ExpertScore, entry->Score) << name;
            continue;
        }
        EXPECT_GT(entry->Score, previous) << name;
        EXPECT_GT(entry->ExpertScore, entry->Score) << name;
        previous = entry->Score;
    }
}

TEST(ShopTablesContent, ANewPlayerCanBuildTheStartersOnTheFirstLevel) {
    CRefPtr<UpgradesConfiguration> table = upgrades();
    CProfileManager::instance().setActiveProfile(-1);
    auto first = makeRef<GLevelUpgrades>();
    first->collect(table.get(), nullptr, 0);
    for (const char* starter : {"Camping1", "Cafe", "TruckStation"})
        EXPECT_TRUE(first->isBuildingAllowed(CNameId(starter))) << starter;
    EXPECT_FALSE(first->isBuildingAllowed(CNameId("Hostel1")));
    EXPECT_FALSE(first->isFeatureAllowed(CNameId("AquaPark"), 1));
}
