// What the owned upgrades give a level: the location's levels, the building filter, features
// and modifier lists.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/profiles/CProfileManager.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelUpgrades.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

CNameId id(const char* name) { return CNameId(name); }

// An upgrade of the given level and price that allows one building named after it and unlocks
// its second feature, with one modifier.
std::string upgrade(const std::string& name, int level, int price) {
    return "<Upgrade><Name Value=\"" + name + "\"/><Level Value=\"" + std::to_string(level) +
           "\"/><Price Value=\"" + std::to_string(price) + "\"/><AllowsBuilding Value=\"" + name +
           "Type\"/><AllowsBuildingFeature Building=\"" + name +
           "Type\" FeatureIndex=\"2\"/><LevelModifiers><Modifier Type=\"MaterialPriceM\" "
           "Value=\"0.5\"/></LevelModifiers></Upgrade>";
}

CRefPtr<UpgradesConfiguration> table(const std::string& upgrades) {
    auto configuration = makeRef<UpgradesConfiguration>();
    CRefPtr<CXmlReader> reader =
        test::readerOf(("<UpgradesConfiguration>" + upgrades + "</UpgradesConfiguration>").c_str());
    EXPECT_TRUE(configuration->load(reader.get()));
    return configuration;
}

// The player made active with the bought upgrades while it lives; none active when the text is
// null.
struct Player {
    explicit Player(const char* bought) {
        CProfileManager& profiles = CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(L"Upgrader"));
        index = profiles.getProfileIndex(profiles.findProfile(L"Upgrader"));
        if (bought) {
            profiles.setActiveProfile(index);
            profiles.getActiveProfile()->setString(ProfileKeyBoughtUpgrades, bought);
        } else {
            profiles.setActiveProfile(-1);
        }
    }
    ~Player() { CProfileManager::instance().removeProfile(index); }
    s32 index = -1;
};

array<CNameId> names(std::initializer_list<const char*> list) {
    array<CNameId> ids;
    for (const char* name : list) ids.push_back(id(name));
    return ids;
}

}  // namespace

TEST(LevelUpgrades, TheLocationDecidesWhichLevelsApply) {
    const std::string upgrades = upgrade("L1", 1, 100) + upgrade("L6", 6, 100) +
                                 upgrade("L7", 7, 100) + upgrade("L8", 8, 100);
    CRefPtr<UpgradesConfiguration> configuration = table(upgrades);
    Player player("L1;L6;L7;L8");
    const struct {
        s32 location;
        std::initializer_list<const char*> allowed;
        std::initializer_list<const char*> refused;
    } cases[] = {
        {0, {}, {"L1Type", "L6Type"}},
        {1, {"L1Type"}, {"L6Type"}},
        {6, {"L1Type", "L6Type"}, {"L7Type"}},
        {7, {"L1Type", "L6Type"}, {"L7Type"}},  // the mini-game's location
        {8, {"L1Type", "L6Type", "L7Type"}, {"L8Type"}},
        {9, {"L1Type", "L6Type", "L7Type", "L8Type"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        auto upgradesOfLevel = makeRef<GLevelUpgrades>();
        upgradesOfLevel->collect(configuration.get(), nullptr, c.location);
        for (const char* name : c.allowed)
            EXPECT_TRUE(upgradesOfLevel->isBuildingAllowed(id(name))) << name;
        for (const char* name : c.refused)
            EXPECT_FALSE(upgradesOfLevel->isBuildingAllowed(id(name))) << name;
        EXPECT_EQ(upgradesOfLevel->getModifierLists().size(), c.allowed.size());
    }
    EXPECT_EQ(GLevelUpgrades::regularLevelsBefore(0), 0);
    EXPECT_EQ(GLevelUpgrades::regularLevelsBefore(7), 6);
    EXPECT_EQ(GLevelUpgrades::regularLevelsBefore(15), 13);
    EXPECT_EQ(GLevelUpgrades::regularLevelsBefore(38), 34);
}

TEST(LevelUpgrades, TheLevelsBuildingListFiltersTheAllowedBuildings) {
    CRefPtr<UpgradesConfiguration> configuration = table(
        "<Upgrade><Name Value=\"Lodging\"/><Level Value=\"1\"/><Price Value=\"50\"/>"
        "<AllowsBuilding Value=\"Hostel\"/><AllowsBuilding Value=\"GuestHouse\"/>"
        "<AllowsBuilding Value=\"Hostel\"/></Upgrade>");
    Player player("Lodging");
    const array<CNameId> available = names({"Cafe", "GuestHouse"});
    auto filtered = makeRef<GLevelUpgrades>();
    filtered->collect(configuration.get(), &available, 3);
    EXPECT_FALSE(filtered->isBuildingAllowed(id("Hostel")));
    EXPECT_TRUE(filtered->isBuildingAllowed(id("GuestHouse")));
    EXPECT_FALSE(filtered->isBuildingAllowed(id("Cafe")));  // listed by the level, not allowed

    auto unfiltered = makeRef<GLevelUpgrades>();
    unfiltered->collect(configuration.get(), nullptr, 3);
    EXPECT_TRUE(unfiltered->isBuildingAllowed(id("Hostel")));
    EXPECT_EQ(unfiltered->getAllowedBuildings().size(), 2u);  // each once
}

TEST(LevelUpgrades, FeatureZeroIsAlwaysAllowedOthersByTheirUpgrade) {
    auto empty = makeRef<GLevelUpgrades>();
    EXPECT_TRUE(empty->isFeatureAllowed(id("Nothing"), 0));
    EXPECT_FALSE(empty->isFeatureAllowed(id("Nothing"), 1));
    EXPECT_FALSE(empty->isBuildingAllowed(id("Nothing")));

    CRefPtr<UpgradesConfiguration> configuration = table(upgrade("Pool", 1, 80));
    Player player("Pool");
    auto upgrades = makeRef<GLevelUpgrades>();
    upgrades->collect(configuration.get(), nullptr, 2);
    EXPECT_TRUE(upgrades->isFeatureAllowed(id("PoolType"), 1));  // "FeatureIndex" 2 in the file
    EXPECT_FALSE(upgrades->isFeatureAllowed(id("PoolType"), 2));
    EXPECT_FALSE(upgrades->isFeatureAllowed(id("Other"), 1));
}

TEST(LevelUpgrades, AFreeUpgradeAlsoBoughtCountsOnce) {
    CRefPtr<UpgradesConfiguration> configuration =
        table(upgrade("Starter", 0, 0) + upgrade("Paid", 1, 10));
    Player player("Starter;Unknown; Paid ");
    auto upgrades = makeRef<GLevelUpgrades>();
    upgrades->collect(configuration.get(), nullptr, 1);
    ASSERT_EQ(upgrades->getModifierLists().size(), 2u);
    EXPECT_EQ(upgrades->getModifierLists()[0].get(),
              configuration->find(id("Starter"))->LevelModifiers.get());
    EXPECT_EQ(upgrades->getModifierLists()[1].get(),
              configuration->find(id("Paid"))->LevelModifiers.get());
    EXPECT_EQ(upgrades->getAllowedBuildings().size(), 2u);
    EXPECT_TRUE(upgrades->isFeatureAllowed(id("StarterType"), 1));
}

TEST(LevelUpgrades, WithoutAProfileOnlyTheFreeUpgradesCount) {
    CRefPtr<UpgradesConfiguration> configuration =
        table(upgrade("Starter", 0, 0) + upgrade("Paid", 1, 10));
    Player nobody(nullptr);
    ASSERT_EQ(CProfileManager::instance().getActiveProfile(), nullptr);
    auto upgrades = makeRef<GLevelUpgrades>();
    upgrades->collect(configuration.get(), nullptr, 20);
    EXPECT_TRUE(upgrades->isBuildingAllowed(id("StarterType")));
    EXPECT_FALSE(upgrades->isBuildingAllowed(id("PaidType")));
    EXPECT_EQ(upgrades->getModifierLists().size(), 1u);

    auto none = makeRef<GLevelUpgrades>();
    none->collect(nullptr, nullptr, 20);
    EXPECT_EQ(none->getModifierLists().size(), 0u);
}
