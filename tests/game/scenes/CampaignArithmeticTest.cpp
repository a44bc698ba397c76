// The campaign's arithmetic on the game's own tables. A player walks the map's locations in
// order, scoring each level's Score and each mini-game's lowest result, and buys every required
// upgrade as soon as the shop offers it and the points pay for it. When a level's location comes,
// every upgrade it requires must have been on sale and affordable, so that the map opens the
// level; and the upgrades the campaign counts on there (the free ones and those required up to
// the level) must allow every building type and feature the level's objectives need. The shop's,
// the map's, the completion's and the level upgrades' own rules do the sums; a few broken tables
// show that each check finds what it is about.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/profiles/CProfileManager.h"
#include "game/config/GCompletionRules.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelUpgrades.h"
#include "game/minigames/GMiniGameScene.h"
#include "game/scenes/GMapScene.h"
#include "game/scenes/GShopScene.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

const std::filesystem::path kAssets = BRASQUEL_ASSETS_DIR;
constexpr u32 kLocationCount = 39;
constexpr s32 kLevelCount = 35;
// The auction's lowest result: every one of its points is won turn by turn.
constexpr s32 kAuctionLowestScore = 0;

// The mini-game of each mini-game location. A hidden-object game has a single result, its
// expert score: it ends only when everything is found.
struct SMiniGameLocation {
    u32 location;
    const char* folder;
    bool hiddenObjects;
};
const SMiniGameLocation kMiniGames[] = {
    {7, "minigame_hidden1", true},
    {15, "minigame_hidden2", true},
    {23, "minigame_auction", false},
    {31, "minigame_hidden3", true},
};

// What the walk reads: the upgrades and level scores tables, the configuration of each regular
// level that has one (by level number), the lowest result of each mini-game (by location), and
// whether a level without a configuration is a failure or only noted.
struct SCampaign {
    CRefPtr<UpgradesConfiguration> upgrades;
    CRefPtr<LevelScores> scores;
    std::map<s32, CRefPtr<GLevelConfiguration>> levels;
    std::map<u32, s32> miniGameScores;
    bool everyLevelRequired = true;
};

// What the walk found: the failures (each naming the location, what is missing and by how
// much), the notes, and how far it got.
struct SWalk {
    std::vector<std::string> failures;
    std::vector<std::string> notes;
    s32 progress = -1;  // the highest completed location at the end
    s32 levelsChecked = 0;
    u32 upgradesBought = 0;
};

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string nameOf(const CNameId& name) { return name.getName().c_str(); }

std::string levelFolder(s32 level) { return "level" + std::to_string(level); }

// "location 9 (level 8)" or "location 7 (minigame_hidden1)".
std::string placeOf(u32 location) {
    for (const SMiniGameLocation& game : kMiniGames)
        if (game.location == location)
            return "location " + std::to_string(location) + " (" + game.folder + ")";
    return "location " + std::to_string(location) + " (level " +
           std::to_string(GLevelUpgrades::regularLevelsBefore(static_cast<s32>(location)) + 1) +
           ")";
}

// The player of the walk, made active while it lives, at the start of the campaign.
struct WalkPlayer {
    WalkPlayer() {
        CProfileManager& profiles = CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(L"Campaigner"));
        index = profiles.getProfileIndex(profiles.findProfile(L"Campaigner"));
        profiles.setActiveProfile(index);
        profile = profiles.getActiveProfile();
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, -1);
        profile->setInt(ProfileKeyLevelIndex, 0);
        profile->setString(ProfileKeyScores, "");
        profile->setString(ProfileKeyTimes, "");
        profile->setString(ProfileKeyBoughtUpgrades, "");
    }
    ~WalkPlayer() { CProfileManager::instance().removeProfile(index); }
    WalkPlayer(const WalkPlayer&) = delete;
    WalkPlayer& operator=(const WalkPlayer&) = delete;

    array<CNameId> bought() const {
        return parseNameIdList(profile->getString(ProfileKeyBoughtUpgrades));
    }
    bool owns(const UpgradeRecord& upgrade) const {
        const array<CNameId> names = bought();
        for (u32 i = 0; i < names.size(); ++i)
            if (names[i] == upgrade.Name) return true;
        return false;
    }
    void buy(const UpgradeRecord& upgrade) {
        profile->setString(
            ProfileKeyBoughtUpgrades,
            appendNameToList(profile->getString(ProfileKeyBoughtUpgrades), upgrade.Name.getName()));
    }
    // The shop's points now.
    s32 points(const UpgradesConfiguration* table) const {
        return GShopScene::pointsOf(parseIntListNarrow(profile->getString(ProfileKeyScores)),
                                    GShopScene::ownedUpgrades(bought(), table), table);
    }

    s32 index = -1;
    CProfile* profile = nullptr;
};

// The upgrades some level requires, in the order they are needed: by ObligatoryLevel, then in
// the table's order.
std::vector<const UpgradeRecord*> requiredUpgrades(const UpgradesConfiguration& table) {
    std::vector<const UpgradeRecord*> required;
    for (const auto& entry : table.getRecords())
        if (entry.second->ObligatoryLevel >= 1) required.push_back(entry.second.get());
    std::stable_sort(required.begin(), required.end(),
                     [](const UpgradeRecord* a, const UpgradeRecord* b) {
                         return a->ObligatoryLevel < b->ObligatoryLevel;
                     });
    return required;
}

// Buys the required upgrades not yet owned as soon as the shop sells them and the points pay
// for them, in the order they are needed. The player saves for the next one on sale rather than
// buy one needed later before it.
u32 buyWhatIsDue(WalkPlayer& player, const UpgradesConfiguration& table) {
    u32 count = 0;
    const s32 progress = player.profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    for (const UpgradeRecord* upgrade : requiredUpgrades(table)) {
        if (player.owns(*upgrade) || !GShopScene::isOffered(*upgrade, progress)) continue;
        if (upgrade->Price > player.points(&table)) break;
        player.buy(*upgrade);
        ++count;
    }
    return count;
}

// Why a required upgrade is missing when its location comes: not on sale yet, or short of
// points.
std::string whyMissing(const WalkPlayer& player, const UpgradeRecord& upgrade,
                       const UpgradesConfiguration& table) {
    const s32 progress = player.profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    if (!GShopScene::isOffered(upgrade, progress))
        return "not on sale before " + std::to_string(upgrade.Level) +
               " regular levels are done (" +
               std::to_string(GLevelUpgrades::regularLevelsBefore(progress + 1)) + " are)";
    const s32 points = player.points(&table);
    if (upgrade.Price > points)
        return "it costs " + std::to_string(upgrade.Price) + " points, " + std::to_string(points) +
               " are left: " + std::to_string(upgrade.Price - points) + " short";
    return "it was not bought";
}

// The upgrades of the table that allow the building type, for a failure's text.
std::string upgradesAllowing(const UpgradesConfiguration& table, const CNameId& type) {
    std::string text;
    for (const auto& entry : table.getRecords())
        for (u32 i = 0; i < entry.second->AllowsBuilding.size(); ++i)
            if (entry.second->AllowsBuilding[i] == type)
                text += std::string(text.empty() ? "" : ", ") + nameOf(entry.first) + ": Level " +
                        std::to_string(entry.second->Level) + ", ObligatoryLevel " +
                        std::to_string(entry.second->ObligatoryLevel);
    return text.empty() ? "no upgrade allows it" : text;
}

// What an objective needs: building types, and pairs of a type and a feature index.
struct SNeeds {
    array<CNameId> types;
    std::vector<std::pair<CNameId, s32>> features;
};

SNeeds needsOf(const GLevelObjective& objective) {
    SNeeds needs;
    if (auto* o = dynamic_cast<const GLevelObjectiveHaveTypedBuildingsCount*>(&objective))
        needs.types = o->BuildingTypes;
    if (auto* o = dynamic_cast<const GLevelObjectiveHaveEachTypeBuildingsCount*>(&objective))
        needs.types = o->BuildingTypes;
    if (auto* o = dynamic_cast<const GLevelObjectiveTypedHistoryActionsCount*>(&objective)) {
        needs.types = o->BuildingTypes;
        // The three feature actions record the use of features 0, 1 and 2.
        if (o->Action >= LevelHistoryFeatureUsed && o->Action <= LevelHistoryFeature2Used)
            for (u32 i = 0; i < o->BuildingTypes.size(); ++i)
                needs.features.emplace_back(o->BuildingTypes[i],
                                            o->Action - LevelHistoryFeatureUsed);
    }
    if (auto* o = dynamic_cast<const GLevelObjectiveHaveConcurrentFeatures*>(&objective)) {
        needs.types = o->BuildingTypes;
        for (u32 i = 0; i < o->BuildingTypes.size(); ++i)
            needs.features.emplace_back(o->BuildingTypes[i], o->FeatureIndices[i]);
    }
    return needs;
}

// The level's objectives against the upgrades the campaign counts on at its location: the free
// ones and those required up to the level, as the play screen collects them there.
void checkObjectives(const SCampaign& campaign, WalkPlayer& player, s32 level, u32 location,
                     const GLevelConfiguration& configuration, SWalk& walk) {
    const UpgradesConfiguration& table = *campaign.upgrades;
    const stringc walked = player.profile->getString(ProfileKeyBoughtUpgrades);
    stringc counted;
    for (const auto& entry : table.getRecords())
        if (entry.second->ObligatoryLevel >= 1 && entry.second->ObligatoryLevel <= level)
            counted = appendNameToList(counted, entry.first.getName());
    player.profile->setString(ProfileKeyBoughtUpgrades, counted);
    auto owned = makeRef<GLevelUpgrades>();
    owned->collect(&table, &configuration.AvailableBuildingsForBuild, static_cast<s32>(location));
    auto unlimited = makeRef<GLevelUpgrades>();
    unlimited->collect(&table, nullptr, static_cast<s32>(location));
    player.profile->setString(ProfileKeyBoughtUpgrades, walked);

    for (u32 i = 0; i < configuration.Objectives->size(); ++i) {
        const GLevelObjective& objective = *configuration.Objectives->get(i);
        const std::string where = placeOf(location) + ", objective " + std::to_string(i + 1) +
                                  " (" + toUtf8(GLevelObjective::typeNameOf(objective.getKind())) +
                                  ")";
        const SNeeds needs = needsOf(objective);
        for (u32 t = 0; t < needs.types.size(); ++t) {
            const CNameId& type = needs.types[t];
            if (owned->isBuildingAllowed(type)) continue;
            walk.failures.push_back(
                where + " needs " + nameOf(type) + ", which " +
                (unlimited->isBuildingAllowed(type)
                     ? std::string("the level does not offer (AvailableBuildingsForBuild)")
                     : "no upgrade owned there allows (" + upgradesAllowing(table, type) + ")"));
        }
        for (const auto& [type, feature] : needs.features)
            if (!owned->isFeatureAllowed(type, feature))
                walk.failures.push_back(where + " uses feature " + std::to_string(feature + 1) +
                                        " of " + nameOf(type) +
                                        ", which no upgrade owned there unlocks");
    }
    ++walk.levelsChecked;
}

SWalk walkCampaign(const SCampaign& campaign) {
    SWalk walk;
    WalkPlayer player;
    const UpgradesConfiguration& table = *campaign.upgrades;
    for (u32 location = 0; location < kLocationCount; ++location) {
        walk.upgradesBought += buyWhatIsDue(player, table);
        const std::string where = placeOf(location);
        s32 score = 0;
        s32 timeMs = 0;
        ECompletionSource source = CompletionByPlayScreen;
        if (GMapScene::isMiniGameLocation(location)) {
            const auto found = campaign.miniGameScores.find(location);
            if (found == campaign.miniGameScores.end())
                walk.failures.push_back(where + " has no mini-game result");
            else
                score = found->second;
            source = CompletionByMiniGame;
        } else {
            const s32 level = GLevelUpgrades::regularLevelsBefore(static_cast<s32>(location)) + 1;
            // The map opens the level only with every upgrade it requires.
            std::vector<GMapLocationInfo> infos(kLocationCount);
            GMapScene::placeObligatoryUpgrades(&table, player.bought(), infos);
            if (!GMapScene::isPlayable(infos[location])) {
                const GMapLocationInfo& info = infos[location];
                for (u32 i = 0; i < info.ObligatoryUpgrades.size(); ++i) {
                    if (info.ObligatoryBought[i]) continue;
                    const UpgradeRecord& upgrade = *info.ObligatoryUpgrades[i];
                    walk.failures.push_back(where + ": the map refuses the level without upgrade " +
                                            nameOf(upgrade.Name) + ": " +
                                            whyMissing(player, upgrade, table));
                    // Owned from here on all the same, so that one fault is told once.
                    player.buy(upgrade);
                }
            }
            const auto configuration = campaign.levels.find(level);
            if (configuration != campaign.levels.end()) {
                checkObjectives(campaign, player, level, location, *configuration->second, walk);
            } else if (campaign.everyLevelRequired) {
                walk.failures.push_back(where + " has no level configuration (levels/" +
                                        levelFolder(level) + "/LevelConfiguration.xml)");
            } else {
                walk.notes.push_back(where + ": no levels/" + levelFolder(level) +
                                     "/LevelConfiguration.xml yet, its objectives are not checked");
            }
            const SLevelScore* entry = campaign.scores->find(stringc(levelFolder(level).c_str()));
            if (!entry) {
                walk.failures.push_back(where + " has no entry in the level scores");
            } else {
                score = entry->Score;
                timeMs = entry->Time * 1000;
            }
        }
        // Chosen on the map, then completed.
        player.profile->setInt(ProfileKeyLevelIndex, static_cast<s32>(location));
        EXPECT_TRUE(applyLevelCompletion(player.profile, score, timeMs, source).applied) << where;
    }
    walk.progress = player.profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    return walk;
}

std::string lines(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += text + "\n";
    return joined;
}

// ---- The game's own tables ----

CRefPtr<CXmlReader> readerOfAsset(const std::filesystem::path& path) {
    const std::string bytes = fileBytes(kAssets / path);
    EXPECT_FALSE(bytes.empty()) << path;
    return oskel::test::readerOf(bytes);
}

// The lowest result of the mini-game in the folder, its configuration read as the game reads it.
s32 lowestMiniGameScore(const SMiniGameLocation& game) {
    if (!game.hiddenObjects) return kAuctionLowestScore;
    auto scene = makeRef<GMiniGameScene>(CCreationContext());
    CRefPtr<CXmlReader> reader = readerOfAsset(std::filesystem::path("levels") / game.folder /
                                               GMiniGameScene::ConfigurationFile);
    scene->readConfiguration(reader.get());
    return scene->getExpertScore();
}

SCampaign realCampaign() {
    SCampaign campaign;
    campaign.upgrades = makeRef<UpgradesConfiguration>();
    EXPECT_TRUE(
        campaign.upgrades->load(readerOfAsset("levels/common/UpgradesConfiguration.xml").get()));
    campaign.scores = makeRef<LevelScores>();
    EXPECT_TRUE(campaign.scores->load(readerOfAsset("levels/common/LevelScores.xml").get()));
    for (s32 level = 1; level <= kLevelCount; ++level) {
        const std::filesystem::path file =
            std::filesystem::path("levels") / levelFolder(level) / "LevelConfiguration.xml";
        if (!std::filesystem::exists(kAssets / file)) continue;
        auto configuration = makeRef<GLevelConfiguration>();
        EXPECT_TRUE(configuration->read(readerOfAsset(file).get())) << file;
        campaign.levels[level] = configuration;
    }
    for (const SMiniGameLocation& game : kMiniGames)
        campaign.miniGameScores[game.location] = lowestMiniGameScore(game);
    return campaign;
}

// ---- Small tables of the tests' own ----

std::string upgradeXml(const std::string& name, s32 level, s32 obligatoryLevel, s32 price,
                       const std::string& building) {
    return "<Upgrade><Name Value=\"" + name + "\"/><Price Value=\"" + std::to_string(price) +
           "\"/><Level Value=\"" + std::to_string(level) + "\"/><ObligatoryLevel Value=\"" +
           std::to_string(obligatoryLevel) + "\"/><AllowsBuilding Value=\"" + building +
           "\"/></Upgrade>";
}

std::string levelXml(s32 level, const std::string& available, const std::string& objectives) {
    return "<Level><Properties><stringw Name=\"Name\" Value=\"" + std::to_string(level) +
           "\"/><string Name=\"AvailableBuildingsForBuild\" Value=\"" + available +
           "\"/></Properties><Objectives>" + objectives + "</Objectives></Level>";
}

// Every regular level scores 100 and every mini-game 50 (the auction 0); the free "Camping"
// allows "Camping1"; the case adds its upgrades and the configurations of some levels.
SCampaign smallCampaign(const std::string& upgrades, const std::map<s32, std::string>& levels,
                        const std::vector<s32>& levelsWithoutScore = {}) {
    SCampaign campaign;
    campaign.upgrades = makeRef<UpgradesConfiguration>();
    EXPECT_TRUE(
        campaign.upgrades->load(oskel::test::readerOf("<UpgradesConfiguration>" +
                                                      upgradeXml("Camping", 0, -1, 0, "Camping1") +
                                                      upgrades + "</UpgradesConfiguration>")
                                    .get()));
    std::string scores = "<LevelScores>";
    for (s32 level = 1; level <= kLevelCount; ++level)
        if (std::find(levelsWithoutScore.begin(), levelsWithoutScore.end(), level) ==
            levelsWithoutScore.end())
            scores += "<Level Name=\"" + levelFolder(level) +
                      "\" Score=\"100\" ExpertScore=\"150\" Time=\"300\"/>";
    campaign.scores = makeRef<LevelScores>();
    EXPECT_TRUE(campaign.scores->load(oskel::test::readerOf(scores + "</LevelScores>").get()));
    for (const auto& [level, xml] : levels) {
        auto configuration = makeRef<GLevelConfiguration>();
        EXPECT_TRUE(configuration->read(oskel::test::readerOf(xml).get()));
        campaign.levels[level] = configuration;
    }
    for (const SMiniGameLocation& game : kMiniGames)
        campaign.miniGameScores[game.location] = game.hiddenObjects ? 50 : kAuctionLowestScore;
    campaign.everyLevelRequired = false;
    return campaign;
}

}  // namespace

TEST(CampaignArithmetic, APlayerBuysTheirWayThroughTheWholeMap) {
    test::LogCapture log;
    const SCampaign campaign = realCampaign();
    ASSERT_GT(campaign.upgrades->size(), 0u);
    const SWalk walk = walkCampaign(campaign);
    EXPECT_EQ(lines(walk.failures), "");
    EXPECT_EQ(walk.progress, static_cast<s32>(kLocationCount) - 1);
    // Every level has its configuration: none is passed over.
    EXPECT_TRUE(walk.notes.empty());
    EXPECT_EQ(walk.levelsChecked, kLevelCount);
    // The walk bought every upgrade that a level requires, and each only once.
    EXPECT_EQ(walk.upgradesBought, requiredUpgrades(*campaign.upgrades).size());
    for (const auto& line : log.lines()) EXPECT_LT(line.level, LogWarning) << line.text;
}

TEST(CampaignArithmetic, TheMiniGamesScoreTheirLowestResults) {
    // A hidden-object game's one result is its expert score; the auction's lowest is nothing.
    for (const SMiniGameLocation& game : kMiniGames) {
        EXPECT_TRUE(GMapScene::isMiniGameLocation(game.location)) << game.folder;
        const s32 score = lowestMiniGameScore(game);
        if (game.hiddenObjects) {
            EXPECT_GT(score, 0) << game.folder;
        } else {
            EXPECT_EQ(score, 0) << game.folder;
        }
    }
}

// Each broken table is caught by the check it breaks, with the location, the upgrade or type
// and the shortfall named; the sound ones pass.
TEST(CampaignArithmetic, BrokenTablesAreCaught) {
    const std::string have = "<Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\"";
    const std::string each = "<Objective Type=\"HaveEachTypeBuildingsCount\" BuildingTypes=\"";
    const struct {
        const char* what;
        std::string upgrades;
        std::map<s32, std::string> levels;
        std::vector<s32> levelsWithoutScore;
        std::vector<std::string> failures;  // a piece of each failure's text, in order
    } cases[] = {
        // Two levels scored (200 points) pay for it exactly before level 3, where it works.
        {"sound: bought with the last point",
         upgradeXml("Hostel", 1, 3, 200, "Hostel1"),
         {{3, levelXml(3, "Camping1;Hostel1", have + "Hostel1\" Value=\"1\" MustOwn=\"true\"/>")}},
         {},
         {}},
        // The free type and the first feature need nothing bought.
        {"sound: the free start",
         "",
         {{1,
           levelXml(1, "Camping1",
                    each + "Camping1\" Value=\"2\" MustOwn=\"true\"/>"
                           "<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Camping1\""
                           " FeatureIndices=\"0\"/>")}},
         {},
         {}},
        {"sold too late",
         upgradeXml("Hostel", 3, 3, 10, "Hostel1"),
         {},
         {},
         {"location 2 (level 3): the map refuses the level without upgrade Hostel: not on sale "
          "before 3 regular levels are done (2 are)"}},
        {"too expensive",
         upgradeXml("Hostel", 1, 3, 250, "Hostel1"),
         {},
         {},
         {"location 2 (level 3): the map refuses the level without upgrade Hostel: it costs 250 "
          "points, 200 are left: 50 short"}},
        // Level 9 comes after the first mini-game: 8 levels and 50 points scored.
        {"too expensive after a mini-game",
         upgradeXml("Hostel", 1, 9, 851, "Hostel1"),
         {},
         {},
         {"location 9 (level 9): the map refuses the level without upgrade Hostel: it costs 851 "
          "points, 850 are left: 1 short"}},
        {"an objective's type not allowed yet",
         upgradeXml("Hostel", 1, 5, 10, "Hostel1"),
         {{3, levelXml(3, "Camping1;Hostel1", have + "Camping1;Hostel1\" Value=\"1\"/>")}},
         {},
         {"location 2 (level 3), objective 1 (HaveTypedBuildingsCount) needs Hostel1, which no "
          "upgrade owned there allows (Hostel: Level 1, ObligatoryLevel 5)"}},
        {"an objective's type the level does not offer",
         upgradeXml("Hostel", 1, 3, 10, "Hostel1"),
         {{4, levelXml(4, "Camping1", each + "Camping1;Hostel1\" Value=\"1\"/>")}},
         {},
         {"location 3 (level 4), objective 1 (HaveEachTypeBuildingsCount) needs Hostel1, which "
          "the level does not offer"}},
        {"features no upgrade unlocks",
         "",
         {{2, levelXml(2, "Camping1",
                       "<Objective Type=\"Income\" Value=\"10\"/>"
                       "<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Camping1\" "
                       "FeatureIndices=\"1\"/>"
                       "<Objective Type=\"TypedHistoryActionsCount\" BuildingTypes=\"Camping1\" "
                       "Action=\"7\" Value=\"1\"/>")}},
         {},
         {"location 1 (level 2), objective 2 (HaveConcurrentFeatures) uses feature 2 of Camping1",
          "location 1 (level 2), objective 3 (TypedHistoryActionsCount) uses feature 3 of "
          "Camping1"}},
        {"a level without a score", "", {}, {20}, {"location 21 (level 20) has no entry"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SCampaign campaign = smallCampaign(c.upgrades, c.levels, c.levelsWithoutScore);
        const SWalk walk = walkCampaign(campaign);
        ASSERT_EQ(walk.failures.size(), c.failures.size()) << lines(walk.failures);
        for (u32 i = 0; i < c.failures.size(); ++i)
            EXPECT_NE(walk.failures[i].find(c.failures[i]), std::string::npos)
                << walk.failures[i] << "\nexpected: " << c.failures[i];
        EXPECT_EQ(walk.progress, static_cast<s32>(kLocationCount) - 1);
        EXPECT_EQ(walk.levelsChecked, static_cast<s32>(c.levels.size()));
        EXPECT_EQ(walk.notes.size(), static_cast<size_t>(kLevelCount) - c.levels.size());
    }

    // Once every level is required, one without its configuration fails.
    SCampaign campaign = smallCampaign("", {{1, levelXml(1, "Camping1", "")}});
    campaign.everyLevelRequired = true;
    const SWalk walk = walkCampaign(campaign);
    ASSERT_EQ(walk.failures.size(), static_cast<size_t>(kLevelCount) - 1);
    EXPECT_EQ(walk.failures[0],
              "location 1 (level 2) has no level configuration "
              "(levels/level2/LevelConfiguration.xml)");
    EXPECT_TRUE(walk.notes.empty());
}
