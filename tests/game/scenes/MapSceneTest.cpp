// The world map over tables, texts and a player of the test's own: which locations are open,
// playable and ranked; where the obligatory upgrades lie; the hints chosen, filled and placed;
// the selection and the presses; the return from a comic; the map tutorials; the developer keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/CNodeFactory.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "tests/game/scenes/MainMenuTestWorld.h"
#include "tests/game/scenes/MapTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

std::vector<std::string> levelNames(u32 count) {
    std::vector<std::string> names;
    for (u32 i = 0; i < count; ++i) names.push_back(MapSceneWorld::levelOf(i));
    return names;
}

std::vector<std::string> refusals(const LogCapture& logs) {
    return linesOf(logs, "Unable to load scene file");
}

std::string visibleHints(GMapScene* map) {
    std::string shown;
    for (u32 i = 0; i < GMapScene::HintCount; ++i)
        if (map->getLevelHint(i) && map->getLevelHint(i)->isVisible())
            shown += std::to_string(i + 1);
    return shown;
}

std::string textOf(BaseNode* hint, const char* name) {
    auto* text = static_cast<TextNode*>(hint->findChildByName(name, 1));
    return toUtf8(text->getText().c_str());
}

std::string pictureIn(BaseNode* hint, const char* name) {
    return pictureOf(static_cast<SpriteNode*>(hint->findChildByName(name, 1)));
}

bool hover(GMapScene* map, BaseNode* node) {
    return map->onEvent(makeEvent<CEventNodeHovered>(node, node).get());
}

bool unhover(GMapScene* map, BaseNode* node) {
    return map->onEvent(makeEvent<CEventNodeUnhovered>(node, nullptr).get());
}

bool keyUp(GMapScene* map, u32 key) {
    return map->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, false, false).get());
}

bool keyDown(GMapScene* map, u32 key) {
    return map->onEvent(makeEvent<CEventKeyboardKeyDown>(u16(0), key, false, false).get());
}

s32 profileInt(const ActivePlayer& player, const char* key) {
    return player.profile()->getInt(key);
}

// The loading screen as a class the factory knows, for the files of these tests.
void registerLoadingScreen() {
    if (!CNodeFactory::instance().isNodeClassRegistered(L"GLoadingLevelScene"))
        CNodeFactory::instance().registerNodeClass(
            L"GLoadingLevelScene", [](const CCreationContext& context) -> BaseNode* {
                return new GLoadingLevelScene(context);
            });
}

constexpr const char* kLoadingFile =
    "<SceneNode Type=\"SceneNode\" ClassOverride=\"GLoadingLevelScene\"><Properties>"
    "<string Name=\"Name\" Value=\"Loading\"/></Properties></SceneNode>";

}  // namespace

TEST(MapScene, IsAGameSceneOfItsOwnKindAndFindsItsParts) {
    MapSceneWorld world;
    CRefPtr<GMapScene> map = world.makeMap(5);
    EXPECT_EQ(map->getTypeId(), GameNodeTypeMapScene);
    EXPECT_TRUE(map->isKindOf(GameNodeTypeBaseScene));
    EXPECT_EQ(map->getClassName(), stringw(L"GMapScene"));
    EXPECT_EQ(map->getLocationButtons().size(), 5u);
    EXPECT_NE(map->getPlayButton(), nullptr);
    for (u32 i = 0; i < GMapScene::HintCount; ++i) EXPECT_NE(map->getLevelHint(i), nullptr) << i;
    // A map without its parts runs all the same.
    auto bare = makeRef<GMapScene>(world.context("Bare"));
    bare->setNameId(id("Bare"));
    bare->onLoaded();
    EXPECT_TRUE(bare->getLocationButtons().empty());
    EXPECT_EQ(bare->getPlayButton(), nullptr);
    world.show(bare.get());
    EXPECT_EQ(world.current(), "Bare");
}

TEST(MapScene, RegularLevelsAndMiniGameLocations) {
    const struct {
        s32 level, location;
    } levels[] = {{1, 0}, {7, 6}, {8, 8}, {14, 14}, {15, 16}, {30, 33}};
    for (const auto& c : levels) EXPECT_EQ(GMapScene::locationOfLevel(c.level), c.location);
    for (u32 i = 0; i < 39; ++i)
        EXPECT_EQ(GMapScene::isMiniGameLocation(i), i == 7 || i == 15 || i == 23 || i == 31) << i;
}

// With M = 3 over nine locations: open up to location 4; scores exactly at a level's Score and
// ExpertScore give the silver and the gold star; a missing upgrade turns a location red.
TEST(MapScene, LocationsByProgressScoresAndUpgrades) {
    const struct {
        s32 maxUnlocked;
        const char* scores;
        const char* bought;
        // per location: enabled, playable, platform, star
        std::vector<bool> enabled;
        std::vector<bool> playable;
        std::vector<const char*> platforms;
        std::vector<const char*> stars;
    } cases[] = {
        {3,
         "200;100;99",
         "Cafe",
         {true, true, true, true, true, false, false, false, false},
         {true, true, true, false, true, true, true, true, true},
         {GMapLocationButton::PlatformImage, GMapLocationButton::PlatformImage,
          GMapLocationButton::PlatformImage, GMapLocationButton::RedPlatformImage,
          GMapLocationButton::PlatformImage, GMapLocationButton::GreyPlatformImage,
          GMapLocationButton::GreyPlatformImage, GMapLocationButton::GreyPlatformImage,
          GMapLocationButton::GreyPlatformImage},
         {GMapLocationButton::GoldStarImage, GMapLocationButton::SilverStarImage, "-", "-", "-",
          "-", "-", "-", "-"}},
        // Everything bought and M = 7: the mini-game location is green, the last one open.
        {7,
         "99;201",
         "Cafe;Pool",
         {true, true, true, true, true, true, true, true, true},
         {true, true, true, true, true, true, true, true, true},
         {GMapLocationButton::PlatformImage, GMapLocationButton::PlatformImage,
          GMapLocationButton::PlatformImage, GMapLocationButton::PlatformImage,
          GMapLocationButton::PlatformImage, GMapLocationButton::PlatformImage,
          GMapLocationButton::PlatformImage, GMapLocationButton::GreenPlatformImage,
          GMapLocationButton::PlatformImage},
         {"-", GMapLocationButton::GoldStarImage, "-", "-", "-", "-", "-", "-", "-"}},
    };
    for (const auto& c : cases) {
        MapSceneWorld world;
        world.setScores(levelNames(9), 100, 200, 300);
        world.setUpgrades({{"Cafe", 2}, {"Pool", 4}});
        ActivePlayer player(L"Ada", c.maxUnlocked);
        player.profile()->setInt(ProfileKeyLevelIndex, 0);
        player.profile()->setString(ProfileKeyScores, c.scores);
        player.profile()->setString(ProfileKeyBoughtUpgrades, c.bought);
        CRefPtr<GMapScene> map = world.makeMap(9);
        world.enter(map.get());
        const std::vector<GMapLocationButton*>& locations = map->getLocationButtons();
        ASSERT_EQ(locations.size(), 9u);
        for (u32 i = 0; i < 9; ++i) {
            EXPECT_EQ(locations[i]->isEnabled(), c.enabled[i]) << c.maxUnlocked << " " << i;
            EXPECT_EQ(map->isLocationPlayable(i), c.playable[i]) << c.maxUnlocked << " " << i;
            EXPECT_EQ(pictureOf(locations[i]->getPlatformSprite()), c.platforms[i])
                << c.maxUnlocked << " " << i;
            EXPECT_EQ(pictureOf(locations[i]->getStarSprite()), c.stars[i])
                << c.maxUnlocked << " " << i;
            EXPECT_EQ(map->getLocationInfos()[i].Completed, static_cast<s32>(i) <= c.maxUnlocked);
        }
        EXPECT_TRUE(map->isLocationPlayable(9));         // past the last location
        EXPECT_TRUE(map->getPlayButton()->isEnabled());  // location 0 is selected
    }
}

// An upgrade's ObligatoryLevel is a regular level: its location skips the mini-games.
TEST(MapScene, ObligatoryUpgradesLieOnTheirLevelsLocations) {
    MapSceneWorld world;
    world.setUpgrades({{"Eight", 8}, {"Seven", 7}, {"None", 0}, {"Minus", -1}, {"Far", 40}});
    ActivePlayer player(L"Ada", 0);
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Seven");
    CRefPtr<GMapScene> map = world.makeMap(16);
    world.enter(map.get());
    std::vector<std::string> placed;
    const std::vector<GMapLocationInfo>& infos = map->getLocationInfos();
    ASSERT_EQ(infos.size(), 16u);
    for (u32 i = 0; i < infos.size(); ++i) {
        ASSERT_EQ(infos[i].ObligatoryUpgrades.size(), infos[i].ObligatoryBought.size());
        for (u32 n = 0; n < infos[i].ObligatoryUpgrades.size(); ++n)
            placed.push_back(std::to_string(i) + " " +
                             infos[i].ObligatoryUpgrades[n]->Name.getName().c_str() +
                             (infos[i].ObligatoryBought[n] ? " bought" : ""));
    }
    EXPECT_EQ(placed, (std::vector<std::string>{"6 Seven bought", "8 Eight"}));
    EXPECT_TRUE(map->isLocationPlayable(6));
    EXPECT_FALSE(map->isLocationPlayable(8));
}

// The map's rule for its infos by itself: where each required upgrade lies, whether it is
// bought, and whether a location may be played.
TEST(MapScene, TheRequiredUpgradesAndThePlayableRuleByThemselves) {
    MapSceneWorld world;
    world.setUpgrades({{"Eight", 8}, {"Two", 2}, {"AlsoTwo", 2}, {"None", 0}, {"Far", 40}});
    std::vector<GMapLocationInfo> infos(10);
    GMapScene::placeObligatoryUpgrades(world.services.upgrades.get(),
                                       parseNameIdList("AlsoTwo;Eight;Far"), infos);
    std::vector<std::string> placed;
    for (u32 i = 0; i < infos.size(); ++i) {
        ASSERT_EQ(infos[i].ObligatoryUpgrades.size(), infos[i].ObligatoryBought.size());
        for (u32 n = 0; n < infos[i].ObligatoryUpgrades.size(); ++n)
            placed.push_back(std::to_string(i) + " " +
                             infos[i].ObligatoryUpgrades[n]->Name.getName().c_str() +
                             (infos[i].ObligatoryBought[n] ? " bought" : ""));
    }
    std::sort(placed.begin(), placed.end());
    EXPECT_EQ(placed, (std::vector<std::string>{"1 AlsoTwo bought", "1 Two", "8 Eight bought"}));
    const bool playable[] = {true, false, true, true, true, true, true, true, true, true};
    for (u32 i = 0; i < infos.size(); ++i)
        EXPECT_EQ(GMapScene::isPlayable(infos[i]), playable[i]) << i;

    // Without a table nothing is required anywhere.
    std::vector<GMapLocationInfo> none(10);
    GMapScene::placeObligatoryUpgrades(nullptr, parseNameIdList("Two"), none);
    for (const GMapLocationInfo& info : none) {
        EXPECT_TRUE(info.ObligatoryUpgrades.empty());
        EXPECT_TRUE(GMapScene::isPlayable(info));
    }
}

// The hint by the location's obligatory upgrades and completion, and what it shows.
TEST(MapScene, TheHintSuitsTheLocation) {
    MapSceneWorld world;
    world.setScores(levelNames(9), 100, 200, 300);
    // location 1: one upgrade (bought); location 3: two (one bought); location 4: two (none).
    world.setUpgrades({{"Cafe", 2}, {"Pool", 4}, {"Bar", 4}, {"Deck", 5}, {"Spa", 5}});
    ActivePlayer player(L"Ada", 3);
    player.profile()->setString(ProfileKeyScores, "250;120;0;99");
    player.profile()->setString(ProfileKeyTimes, "65000;61000");
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Cafe;Pool");
    CRefPtr<GMapScene> map = world.makeMap(9);
    world.enter(map.get());
    EXPECT_EQ(visibleHints(map.get()), "");
    const struct {
        u32 location;
        const char* hint;
    } cases[] = {{0, "2"}, {5, "1"}, {1, "4"}, {3, "6"}, {4, "5"}};
    for (const auto& c : cases) {
        GMapLocationButton* location = map->getLocationButtons()[c.location];
        EXPECT_TRUE(hover(map.get(), location)) << c.location;
        EXPECT_EQ(visibleHints(map.get()), c.hint) << c.location;
        EXPECT_TRUE(location->getSelector()->isVisible()) << c.location;
        EXPECT_TRUE(unhover(map.get(), location)) << c.location;
        EXPECT_EQ(visibleHints(map.get()), "") << c.location;
        // Unmarked again, unless it is the selected location.
        EXPECT_EQ(location->getSelector()->isVisible(), location == map->getSelectedLocation());
    }
    // A completed location: its name, the player's time, the rank.
    hover(map.get(), map->getLocationButtons()[0]);
    BaseNode* two = map->getLevelHint(1);
    EXPECT_EQ(textOf(two, "LevelText"), "%Map_Loc0%");
    EXPECT_EQ(textOf(two, "TimeText"), "01:05");
    EXPECT_EQ(textOf(two, "RankText"), "%Map_RankExpert%");
    // One not completed: the level's target time as the expert time.
    hover(map.get(), map->getLocationButtons()[4]);
    BaseNode* five = map->getLevelHint(4);
    EXPECT_EQ(textOf(five, "TimeText"), "Expert time: 05:00");
    EXPECT_EQ(textOf(five, "RankText"), "%Map_RankGamer%");
    EXPECT_EQ(textOf(five, "Place1Text"), "%Deck%");  // no text for it in the dictionary
    EXPECT_EQ(pictureIn(five, "Place1Sign"), "scenes/images/Map/N.png");
    // One with two upgrades, the first bought (the table's order is by name id).
    hover(map.get(), map->getLocationButtons()[3]);
    BaseNode* six = map->getLevelHint(5);
    const GMapLocationInfo& info = map->getLocationInfos()[3];
    ASSERT_EQ(info.ObligatoryUpgrades.size(), 2u);
    for (u32 n = 0; n < 2; ++n) {
        const std::string name = info.ObligatoryUpgrades[n]->Name.getName().c_str();
        const std::string place = "Place" + std::to_string(n + 1);
        EXPECT_EQ(textOf(six, (place + "Text").c_str()),
                  name == "Pool" ? "Pool upgrade" : "%" + name + "%");
        EXPECT_EQ(pictureIn(six, (place + "Sign").c_str()),
                  name == "Pool" ? "scenes/images/Map/O.png" : "scenes/images/Map/N.png");
        EXPECT_EQ(pictureIn(six, ("Icon" + std::to_string(n + 1)).c_str()),
                  name == "Pool" ? "scenes/images/Map/Icons/Pool.png" : "-");
    }
    EXPECT_EQ(textOf(six, "RankText"), "%Map_RankGamer%");  // 99 is below the level's Score
}

// The reload key reads the upgrades table again while the map is shown: the map keeps the
// records of its entry, and its hints name them, until it is entered again.
TEST(MapScene, TheTableReadAgainLeavesTheMapsRecordsWhole) {
    MapSceneWorld world;
    world.setScores(levelNames(9), 100, 200, 300);
    world.setUpgrades({{"Pool", 4}, {"Bar", 4}});
    ActivePlayer player(L"Ada", 3);
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Pool");
    CRefPtr<GMapScene> map = world.makeMap(9);
    world.enter(map.get());
    world.setUpgrades({{"Deck", 5}, {"Spa", 6}});
    const GMapLocationInfo& info = map->getLocationInfos()[3];
    ASSERT_EQ(info.ObligatoryUpgrades.size(), 2u);
    std::vector<std::string> names;
    for (const auto& upgrade : info.ObligatoryUpgrades) {
        names.push_back(upgrade->Name.getName().c_str());
        EXPECT_EQ(upgrade->ObligatoryLevel, 4);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Bar", "Pool"}));
    EXPECT_TRUE(hover(map.get(), map->getLocationButtons()[3]));
    BaseNode* hint = map->getLevelHint(5);
    for (const char* place : {"Place1Text", "Place2Text"})
        EXPECT_TRUE(textOf(hint, place) == "Pool upgrade" || textOf(hint, place) == "%Bar%")
            << textOf(hint, place);
    // Entered again, the map reads the new table.
    world.enter(map.get());
    EXPECT_TRUE(map->getLocationInfos()[3].ObligatoryUpgrades.empty());
    ASSERT_EQ(map->getLocationInfos()[4].ObligatoryUpgrades.size(), 1u);
    EXPECT_EQ(std::string(map->getLocationInfos()[4].ObligatoryUpgrades[0]->Name.getName().c_str()),
              "Deck");
}

// Where a hint goes: its arrow and pivot by the location's place on the screen.
TEST(MapScene, TheHintIsPlacedBesideItsLocation) {
    const struct {
        u32 hint;  // from 1
        f32 x, y;
        const char* arrow;
        f32 px, py;
    } cases[] = {
        {1, 99, 500, "ArrowL", -52, 43},  {1, 100, 500, "Arrow", 92, 133},
        {2, 925, 100, "ArrowR", 238, 43}, {2, 924, 100, "Arrow", 92, 133},
        {3, 300, 249, "ArrowL", -52, 81}, {4, 512, 100, "ArrowR", 238, 81},
        {5, 99, 250, "ArrowL", -52, 81},  {6, 950, 400, "ArrowR", 238, 81},
        {5, 500, 250, "Arrow", 92, 219},  {6, 924, 700, "Arrow", 92, 219},
    };
    {
        MapSceneWorld world;
        CRefPtr<GMapScene> map = world.makeMap(1);
        for (const auto& c : cases) {
            BaseNode* hint = map->getLevelHint(c.hint - 1);
            map->placeLevelHint(hint, c.x, c.y);
            const std::string at =
                std::to_string(c.hint) + " " + std::to_string(c.x) + "," + std::to_string(c.y);
            EXPECT_EQ(hint->getPivotPoint(), vector2df(c.px, c.py)) << at;
            EXPECT_EQ(hint->getPosition(), vector3df(c.x, c.y, GMapScene::HintDepth)) << at;
            for (const char* arrow : {"Arrow", "ArrowL", "ArrowR"})
                EXPECT_EQ(hint->findChildByName(arrow, 1)->isVisible(),
                          std::string(arrow) == c.arrow)
                    << at << " " << arrow;
        }
    }
    // Through a hover: a location at (950, 400) with two obligatory upgrades.
    MapSceneWorld placed;
    placed.setUpgrades({{"Pool", 1}, {"Cafe", 1}});
    CRefPtr<GMapScene> edge = placed.makeMap(1, {vector2df(950, 400)});
    placed.enter(edge.get());
    hover(edge.get(), edge->getLocationButtons()[0]);
    EXPECT_EQ(visibleHints(edge.get()), "6");  // without a player every index reads 0
    BaseNode* six = edge->getLevelHint(5);
    EXPECT_EQ(six->getPivotPoint(), vector2df(238, 81));
    EXPECT_TRUE(six->findChildByName("ArrowR", 1)->isVisible());
    EXPECT_FALSE(six->findChildByName("Arrow", 1)->isVisible());
}

// "LevelIndex" selects the location; one past the last (after the last was completed), or -1,
// selects the last; the selection names its level in the profile.
TEST(MapScene, TheLevelIndexSelectsALocation) {
    const struct {
        s32 levelIndex;
        u32 selected;
    } cases[] = {{2, 2}, {0, 0}, {5, 4}, {6, 4}, {-1, 4}};
    for (const auto& c : cases) {
        MapSceneWorld world;
        ActivePlayer player(L"Ada", 4);
        player.profile()->setInt(ProfileKeyLevelIndex, c.levelIndex);
        CRefPtr<GMapScene> map = world.makeMap(5);
        world.enter(map.get());
        ASSERT_NE(map->getSelectedLocation(), nullptr) << c.levelIndex;
        EXPECT_EQ(map->getSelectedLocation(), map->getLocationButtons()[c.selected]);
        for (u32 i = 0; i < 5; ++i)
            EXPECT_EQ(map->getLocationButtons()[i]->getSelector()->isVisible(), i == c.selected)
                << c.levelIndex << " " << i;
        EXPECT_EQ(player.profile()->getString(ProfileKeyLevelName),
                  stringc(MapSceneWorld::levelOf(c.selected).c_str()));
    }
}

// A press on a location selects it and saves it; one that cannot be played yet opens the shop;
// Play opens the loading screen with the selected level.
TEST(MapScene, PressingLocationsPlayAndShop) {
    MapSceneWorld world;
    registerLoadingScreen();
    world.write(GMapScene::LoadingLevelFile, kLoadingFile);
    world.setUpgrades({{"Pool", 3}});
    ActivePlayer player(L"Ada", 4);
    player.profile()->setInt(ProfileKeyLevelIndex, 0);
    CRefPtr<GMapScene> map = world.makeMap(6);
    world.enter(map.get());

    LogCapture logs;
    EXPECT_TRUE(world.press(map.get(), "Location1"));
    EXPECT_EQ(profileInt(player, ProfileKeyLevelIndex), 1);
    EXPECT_EQ(player.profile()->getString(ProfileKeyLevelName), stringc("L1"));
    EXPECT_EQ(map->getSelectedLocation(), map->getLocationButtons()[1]);
    EXPECT_FALSE(map->getLocationButtons()[0]->getSelector()->isVisible());
    EXPECT_TRUE(map->getLocationButtons()[1]->getSelector()->isVisible());
    EXPECT_TRUE(map->getPlayButton()->isEnabled());
    EXPECT_TRUE(refusals(logs).empty());

    // Location 2 needs the pool: Play is disabled and the shop is asked for at once.
    EXPECT_TRUE(world.press(map.get(), "Location2"));
    EXPECT_FALSE(map->getPlayButton()->isEnabled());
    EXPECT_EQ(refusals(logs),
              (std::vector<std::string>{"Unable to load scene file|scenes/ShopScene.oscn"}));
    EXPECT_EQ(world.current(), "MapScene");

    EXPECT_TRUE(world.press(map.get(), "ShopButton"));
    EXPECT_EQ(refusals(logs).size(), 2u);

    // Anything else is not the map's.
    auto stranger = newNode("Stranger", map.get());
    EXPECT_FALSE(map->onEvent(makeEvent<CEventNodePressed>(stranger.get()).get()));

    // Play with location 1 selected: the loading screen gets its level.
    world.press(map.get(), "Location1");
    EXPECT_TRUE(world.press(map.get(), "PlayButton"));
    world.step(1000);
    GLoadingLevelScene* loading = asLoadingLevelScene(world.manager->getCurrentScene());
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->getLevelName(), stringc("L1"));
    // Left for the loading screen, the map takes a late press without acting on it.
    EXPECT_TRUE(map->onEvent(makeEvent<CEventNodePressed>(stranger.get()).get()));
}

// Play without a selected level asks for nothing; Back goes back.
TEST(MapScene, PlayWithoutALevelAndBack) {
    MapSceneWorld world;
    CRefPtr<GMapScene> map = world.makeMap(0);
    world.enter(map.get(), GameNodeTypeMainMenuScene);
    LogCapture logs;
    EXPECT_TRUE(world.press(map.get(), "PlayButton"));
    EXPECT_TRUE(refusals(logs).empty());
    EXPECT_TRUE(world.press(map.get(), "BackButton"));
    world.step(1000);
    EXPECT_EQ(world.current(), "From");
}

// Back from a comic: the mini-game locations 7, 15 and 31 start at once, 23 (the auction, which
// comes without a comic of its own) does not.
TEST(MapScene, TheComicReturnStartsTheMiniGame) {
    registerLoadingScreen();
    for (s32 levelIndex : {7, 23}) {
        MapSceneWorld world;
        world.write(GMapScene::LoadingLevelFile, kLoadingFile);
        ActivePlayer player(L"Ada", levelIndex);
        player.profile()->setInt(ProfileKeyLevelIndex, levelIndex);
        player.profile()->setBool(ProfileKeyShowTutorialOn, false);
        CRefPtr<GMapScene> map = world.makeMap(32);
        LogCapture logs;
        world.enter(map.get(), GameNodeTypeComicsScene);
        world.step(1000);
        // The loading screen was entered with the level and looked for its folder.
        const std::vector<std::string> entered = linesOf(logs, "Scene entered");
        EXPECT_EQ(std::count(entered.begin(), entered.end(), "Scene entered|GLoadingLevelScene"),
                  levelIndex == 7 ? 1 : 0);
        EXPECT_EQ(linesOf(logs, "Unable to load level scene"),
                  levelIndex == 7
                      ? (std::vector<std::string>{"Unable to load level scene|levels/L7/"})
                      : std::vector<std::string>{});
    }
    // From any other scene the map stays.
    MapSceneWorld world;
    world.write(GMapScene::LoadingLevelFile, kLoadingFile);
    ActivePlayer player(L"Ada", 7);
    player.profile()->setInt(ProfileKeyLevelIndex, 7);
    CRefPtr<GMapScene> map = world.makeMap(32);
    world.enter(map.get(), GameNodeTypeLevelCompletedScene);
    world.step(1000);
    EXPECT_EQ(world.current(), "MapScene");
}

// The map tutorials: the first at M = 0, the second at M = 2 unless the map is entered from the
// shop; started when the entry ends, updated with the map, and their flag cleared only when the
// map is left after the tutorial ended.
TEST(MapScene, TheMapTutorials) {
    const struct {
        s32 maxUnlocked;
        s32 fromKind;
        bool tutorialsOn;
        const char* made;  // none: no tutorial
    } cases[] = {
        {0, GameNodeTypeMainMenuScene, true, "Scene templates content true"},
        {2, GameNodeTypeMainMenuScene, true, "Scene templates content true"},
        {2, GameNodeTypeShopScene, true, nullptr},
        {2, GameNodeTypeMainMenuScene, false, nullptr},
        {1, GameNodeTypeMainMenuScene, true, nullptr},
    };
    for (const auto& c : cases) {
        MapSceneWorld world;
        world.write(GMapScene::Tutorial1File, "<Tutorial/>");
        world.write(GMapScene::Tutorial2File, "<Tutorial/>");
        ActivePlayer player(L"Ada", c.maxUnlocked);
        player.profile()->setBool(ProfileKeyShowTutorialOn, c.tutorialsOn);
        player.profile()->setBool(ProfileKeyShowTutorialMap1, true);
        player.profile()->setBool(ProfileKeyShowTutorialMap2, true);
        CRefPtr<GMapScene> map = world.makeMap(3);
        world.enter(map.get(), c.fromKind);
        if (!c.made) {
            EXPECT_TRUE(world.services.made.empty()) << c.maxUnlocked << " " << c.fromKind;
            EXPECT_EQ(map->getTutorial(), nullptr);
            continue;
        }
        ASSERT_EQ(world.services.made, (std::vector<std::string>{c.made}));
        ASSERT_EQ(world.services.tutorials.size(), 1u);
        RecordingTutorial* tutorial = world.services.tutorials[0].get();
        EXPECT_EQ(map->getTutorial(), tutorial);
        EXPECT_EQ(
            map->getTutorialFlagKey(),
            stringc(c.maxUnlocked == 0 ? ProfileKeyShowTutorialMap1 : ProfileKeyShowTutorialMap2));
        EXPECT_EQ(tutorial->levelReceiver, nullptr);
        // Loaded on the entry, started when it ends, then updated with the map.
        EXPECT_EQ(tutorial->calls, (std::vector<std::string>{"load", "start"}));
        world.step(GBaseSceneNode::DefaultUpdatePeriod);
        EXPECT_EQ(tutorial->calls.back(), "update 30");
    }
}

TEST(MapScene, ATutorialsFlagClearsOnlyAfterItEnded) {
    for (bool ended : {true, false}) {
        MapSceneWorld world;
        world.write(GMapScene::Tutorial1File, "<Tutorial/>");
        world.services.updatesUntilEnd = ended ? 2 : -1;
        ActivePlayer player(L"Ada", 0);
        player.profile()->setBool(ProfileKeyShowTutorialOn, true);
        player.profile()->setBool(ProfileKeyShowTutorialMap1, true);
        CRefPtr<GMapScene> map = world.makeMap(3);
        world.enter(map.get(), GameNodeTypeMainMenuScene);
        ASSERT_EQ(world.services.tutorials.size(), 1u);
        RecordingTutorial* tutorial = world.services.tutorials[0].get();
        world.step(GBaseSceneNode::DefaultUpdatePeriod);
        world.step(GBaseSceneNode::DefaultUpdatePeriod);
        EXPECT_EQ(map->getTutorial() == nullptr, ended);
        // Still set while the map is shown.
        EXPECT_TRUE(player.profile()->getBool(ProfileKeyShowTutorialMap1));
        world.press(map.get(), "BackButton");
        world.step(1000);
        EXPECT_EQ(world.current(), "From");
        EXPECT_EQ(player.profile()->getBool(ProfileKeyShowTutorialMap1), !ended) << ended;
        EXPECT_EQ(map->getTutorial(), nullptr);
        EXPECT_EQ(tutorial->calls.back(), "stop") << ended;
    }
}

// The skip button stops the tutorial and switches the tutorials off, and leaves the press to
// others; a tutorial that cannot load is not kept.
TEST(MapScene, SkippingAndAFailedTutorial) {
    ActivePlayer player(L"Ada", 0);
    {
        MapSceneWorld world;
        world.write(GMapScene::Tutorial1File, "<Tutorial/>");
        player.profile()->setBool(ProfileKeyShowTutorialOn, true);
        player.profile()->setBool(ProfileKeyShowTutorialMap1, true);
        CRefPtr<GMapScene> map = world.makeMap(3);
        addControl(map->getSceneNode(), "SkipTutorialButton", 0, 0);
        world.enter(map.get(), GameNodeTypeMainMenuScene);
        ASSERT_NE(map->getTutorial(), nullptr);
        EXPECT_FALSE(world.press(map.get(), "SkipTutorialButton"));
        EXPECT_EQ(world.services.tutorials[0]->calls.back(), "stop");
        EXPECT_FALSE(player.profile()->getBool(ProfileKeyShowTutorialOn));
        // Its update then reports the end and the map lets it go.
        world.services.tutorials[0]->updatesUntilEnd = 1;
        world.step(GBaseSceneNode::DefaultUpdatePeriod);
        EXPECT_EQ(map->getTutorial(), nullptr);
    }

    MapSceneWorld failing;
    failing.write(GMapScene::Tutorial1File, "<Tutorial/>");
    failing.services.tutorialsLoad = false;
    CRefPtr<GMapScene> other = failing.makeMap(3);
    player.profile()->setBool(ProfileKeyShowTutorialOn, true);
    failing.enter(other.get(), GameNodeTypeMainMenuScene);
    EXPECT_EQ(failing.services.made.size(), 1u);
    EXPECT_EQ(other->getTutorial(), nullptr);
    EXPECT_EQ(other->getTutorialFlagKey(), stringc());
}

// The developer keys answer only once the access code was typed: 'U' opens the next location
// (never past the last), '1' to '5' ask for a comic; Escape always goes back.
TEST(MapScene, DeveloperKeysNeedTheCode) {
    MapSceneWorld world;
    ActivePlayer player(L"Ada", 2);
    CRefPtr<GMapScene> map = world.makeMap(5);
    world.enter(map.get(), GameNodeTypeMainMenuScene);
    LogCapture logs;
    EXPECT_FALSE(keyDown(map.get(), GMapScene::KeyUnlock));
    EXPECT_FALSE(keyUp(map.get(), '1'));
    EXPECT_EQ(profileInt(player, ProfileKeyMaxUnlockedLevelIndex), 2);
    EXPECT_FALSE(map->getLocationButtons()[4]->isEnabled());
    EXPECT_TRUE(refusals(logs).empty());

    world.services.developerKeys = true;
    EXPECT_TRUE(keyDown(map.get(), GMapScene::KeyUnlock));
    EXPECT_EQ(profileInt(player, ProfileKeyMaxUnlockedLevelIndex), 3);
    EXPECT_TRUE(map->getLocationButtons()[4]->isEnabled());
    EXPECT_TRUE(keyDown(map.get(), GMapScene::KeyUnlock));
    EXPECT_TRUE(keyDown(map.get(), GMapScene::KeyUnlock));
    EXPECT_EQ(profileInt(player, ProfileKeyMaxUnlockedLevelIndex), 4);  // the last location
    EXPECT_FALSE(keyDown(map.get(), 'V'));

    EXPECT_TRUE(keyUp(map.get(), '3'));
    EXPECT_EQ(refusals(logs),
              (std::vector<std::string>{"Unable to load scene file|scenes/ComicsScene3.oscn"}));
    EXPECT_FALSE(keyUp(map.get(), '6'));

    EXPECT_TRUE(keyUp(map.get(), VirtualKeyEscape));
    world.step(1000);
    EXPECT_EQ(world.current(), "From");
}

// Entering plays the menu music once.
TEST(MapScene, EntryPlaysTheMenuMusicOnce) {
    MapSceneWorld world;
    CRefPtr<GMapScene> map = world.makeMap(2);
    world.services.groups->playCue(GSoundCueIds::get().MenuMusic, false, 0);
    const u32 before = world.services.groups->getPlayingCount();
    world.enter(map.get());
    EXPECT_EQ(world.services.groups->getPlayingCount(), before);
    EXPECT_TRUE(world.services.groups->isCuePlaying(GSoundCueIds::get().MenuMusic));
}

// A tutorial that could not be made (its file missing, or no tutorial from the services) never
// clears its flag: it is shown once it can be.
TEST(MapScene, AnUnmadeTutorialKeepsItsFlag) {
    for (bool withFile : {false, true}) {
        MapSceneWorld world;
        if (withFile) world.write(GMapScene::Tutorial1File, "<Tutorial/>");
        world.services.makeTutorials = false;
        ActivePlayer player(L"Ada", 0);
        player.profile()->setBool(ProfileKeyShowTutorialOn, true);
        player.profile()->setBool(ProfileKeyShowTutorialMap1, true);
        CRefPtr<GMapScene> map = world.makeMap(3);
        world.enter(map.get(), GameNodeTypeMainMenuScene);
        EXPECT_EQ(world.services.made.size(), withFile ? 1u : 0u);
        EXPECT_EQ(map->getTutorial(), nullptr);
        EXPECT_EQ(map->getTutorialFlagKey(), stringc());
        world.press(map.get(), "BackButton");
        world.step(1000);
        EXPECT_EQ(world.current(), "From");
        EXPECT_TRUE(player.profile()->getBool(ProfileKeyShowTutorialMap1)) << withFile;
    }
}
