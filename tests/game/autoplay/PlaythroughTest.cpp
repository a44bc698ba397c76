// The playthrough's planner: the stretch it plans from each scene on top, the map's levels and
// mini-games, the shop's purchases, where a level's results lead, the comics' hand-over, and
// the goals; the new steps of the walk format it plans in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/autoplay/Playthrough.h"
#include "tests/game/autoplay/Walk.h"

using namespace brasquel::autoplay;

namespace {

// A player at a location with the game's comics and two required upgrades.
SPlaythroughView viewOn(const char* scene, int maxUnlocked, int levelIndex) {
    SPlaythroughView view;
    view.scene = scene;
    view.hasProfile = true;
    view.maxUnlocked = maxUnlocked;
    view.levelIndex = levelIndex;
    view.developerKeys = true;
    view.obligatoryLevels = {{"Camping", 0}, {"Hostel", 4}, {"CityMall", 13}, {"Garden", 13}};
    view.comics = {7, 15, 23, 31, 38};
    return view;
}

std::vector<std::string> planOf(CPlaythrough& playthrough, const SPlaythroughView& view) {
    std::vector<std::string> steps;
    std::string error;
    EXPECT_TRUE(playthrough.plan(view, steps, error)) << error;
    // Every planned line is a step of the walk format.
    for (const std::string& line : steps) {
        SWalkStep step;
        EXPECT_TRUE(parseStepLine(line, step, error)) << line << ": " << error;
    }
    return steps;
}

CPlaythrough toMap(int location) { return CPlaythrough(SPlaythroughGoal{false, location, "Pat"}); }
CPlaythrough toCredits() { return CPlaythrough(SPlaythroughGoal{true, 0, "Pat"}); }

std::string last(const std::vector<std::string>& steps) {
    return steps.empty() ? std::string() : steps.back();
}

bool holds(const std::vector<std::string>& steps, const std::string& line) {
    for (const std::string& step : steps)
        if (step == line) return true;
    return false;
}

}  // namespace

TEST(PlaythroughPlan, LocationsAndLevels) {
    const struct {
        int level, location;
    } pairs[] = {{1, 0}, {7, 6}, {8, 8}, {14, 14}, {15, 16}, {22, 24}, {29, 32}, {35, 38}};
    for (const auto& p : pairs) {
        EXPECT_EQ(locationOfLevel(p.level), p.location) << p.level;
        EXPECT_EQ(levelOfLocation(p.location), p.level) << p.location;
        EXPECT_FALSE(isMiniGameLocation(p.location)) << p.location;
    }
    for (int location : {7, 15, 23, 31}) {
        EXPECT_TRUE(isMiniGameLocation(location));
        EXPECT_EQ(levelOfLocation(location), 0);
    }
}

// The start: the logos wait for the menu or the name entry; a new player is named and chosen; the
// menu types the access code once and sends a new player to the first level, anyone else to the
// map.
TEST(PlaythroughPlan, FromTheStartToTheFirstLevelOrTheMap) {
    CPlaythrough playthrough = toMap(7);
    SPlaythroughView start = viewOn("GLogosScene", -1, 0);
    start.hasProfile = false;
    EXPECT_EQ(planOf(playthrough, start),
              (std::vector<std::string>{"wait scene GSelectPlayerInputNameScene"}));
    start.hasProfile = true;
    EXPECT_EQ(planOf(playthrough, start), (std::vector<std::string>{"wait scene GMainMenuScene"}));

    SPlaythroughView entry = viewOn("GSelectPlayerInputNameScene", -1, 0);
    entry.hasProfile = false;
    CPlaythrough named(SPlaythroughGoal{false, 7, "Zo\xC3\xAB"});
    const std::vector<std::string> naming = planOf(named, entry);
    ASSERT_GE(naming.size(), 4u);
    EXPECT_EQ(naming[0], "click Scene/NameEdit");
    EXPECT_EQ(naming[1], "text \"Zo\xC3\xAB\"");
    EXPECT_EQ(last(naming), "wait scene GMainMenuScene");

    const struct {
        int maxUnlocked;
        bool codeTyped;
        const char* next;
    } menus[] = {{-1, false, "wait scene GLevelObjectivesScene"},
                 {-1, true, "wait scene GLevelObjectivesScene"},
                 {12, false, "wait scene GMapScene"}};
    for (const auto& m : menus) {
        SPlaythroughView menu = viewOn("GMainMenuScene", m.maxUnlocked, 0);
        menu.developerKeys = m.codeTyped;
        const std::vector<std::string> steps = planOf(playthrough, menu);
        EXPECT_EQ(holds(steps, "text \"plumvast\""), !m.codeTyped) << m.maxUnlocked;
        EXPECT_TRUE(holds(steps, "click Scene/NewGameButton"));
        EXPECT_EQ(last(steps), m.next) << m.maxUnlocked;
    }
    // Without a player the way is unknown past the start.
    SPlaythroughView nobody = viewOn("GMainMenuScene", 0, 0);
    nobody.hasProfile = false;
    std::vector<std::string> steps;
    std::string error;
    EXPECT_FALSE(playthrough.plan(nobody, steps, error));
    EXPECT_EQ(error, "the playthrough has no active player on GMainMenuScene");
}

// The map: the goal, a location lacking an upgrade (to the shop), a level, a mini-game.
TEST(PlaythroughPlan, TheMapPlaysTheCurrentLocationOrOpensTheShop) {
    const struct {
        int maxUnlocked, location;
        std::vector<std::string> bought;
        const char* last;  // "" for the goal
    } cases[] = {
        {7, 8, {}, ""},                                          // the goal: location 7 done
        {2, 3, {}, "wait scene GShopScene"},                     // the hostel lacks
        {2, 3, {"Hostel"}, "wait scene GLevelObjectivesScene"},  // bought
        {6, 7, {"Hostel"}, "wait minigame"},                     // a mini-game's location
        {5, 6, {}, "wait scene GLevelObjectivesScene"},          // nothing required there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        CPlaythrough playthrough = toMap(7);
        SPlaythroughView map = viewOn("GMapScene", c.maxUnlocked, c.location);
        map.bought = std::set<std::string>(c.bought.begin(), c.bought.end());
        const std::vector<std::string> steps = planOf(playthrough, map);
        if (!*c.last) {
            EXPECT_TRUE(steps.empty());
            continue;
        }
        EXPECT_TRUE(
            holds(steps, "click Scene/LocationButtons/Location" + std::to_string(c.location)));
        EXPECT_EQ(last(steps), c.last);
        EXPECT_EQ(holds(steps, "click Scene/PlayButton"),
                  std::string(c.last) != "wait scene GShopScene");
    }
}

// The shop buys what the current location requires and the player lacks, each from its card,
// then goes back; a card that is not there stops the playthrough.
TEST(PlaythroughPlan, TheShopBuysTheRequiredUpgrades) {
    CPlaythrough playthrough = toMap(38);
    SPlaythroughView shop = viewOn("GShopScene", 12, 13);  // level 13, location 13: two required
    shop.bought = {"Hostel", "Garden"};
    shop.shopCards = {{"Hostel", "Scene/ShopButtons/Hostel"},
                      {"CityMall", "Scene/ShopButtons/Mall"},
                      {"Garden", "Scene/ShopButtons/Garden"}};
    EXPECT_EQ(CPlaythrough::missingUpgrades(shop, 13), (std::vector<std::string>{"CityMall"}));
    EXPECT_TRUE(CPlaythrough::missingUpgrades(shop, 16).empty());
    const std::vector<std::string> steps = planOf(playthrough, shop);
    EXPECT_TRUE(holds(steps, "expect enabled Scene/ShopButtons/Mall yes"));
    EXPECT_TRUE(holds(steps, "click Scene/ShopButtons/Mall"));
    EXPECT_TRUE(holds(steps, "expect profile BoughtUpgrades matches \"(.*;)?CityMall(;.*)?\""));
    EXPECT_TRUE(holds(steps, "wait scene GShopScene dismissing GAchievementUnlockedScene"));
    EXPECT_FALSE(holds(steps, "click Scene/ShopButtons/Garden"));
    EXPECT_EQ(steps[steps.size() - 2], "click Scene/BackButton");
    EXPECT_EQ(last(steps), "wait scene GMapScene");

    shop.shopCards.erase("CityMall");
    std::vector<std::string> none;
    std::string error;
    EXPECT_FALSE(playthrough.plan(shop, none, error));
    EXPECT_EQ(error, "the shop has no card for the upgrade \"CityMall\"");
}

// A level from its objectives: the tutorial skipped, the key E, the pop-ups closed, the results;
// then the comic of the location reached, the final credits, or the map. Winter levels' shots
// are mostly snow.
TEST(PlaythroughPlan, ALevelEndsWithTheKeyAndItsResultsLeadOn) {
    const struct {
        int maxUnlocked, location;
        bool credits;
        const char* next;
    } cases[] = {
        {-1, 0, true, "wait scene GMapScene"},        // the first level
        {5, 6, true, "wait scene GComicsScene"},      // level 7: comic 1 at location 7
        {37, 38, true, "wait scene GMainMenuScene"},  // level 35: the final credits
        {38, 38, false, "wait scene GComicsScene"},   // level 35 again: comic 5 once more
        {20, 3, true, "wait scene GMapScene"},        // a level played again
        {13, 14, true, "wait scene GComicsScene"},    // level 14: comic 2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        CPlaythrough playthrough = toCredits();
        SPlaythroughView objectives = viewOn("GLevelObjectivesScene", c.maxUnlocked, c.location);
        objectives.showFinalCredits = c.credits;
        const std::vector<std::string> steps = planOf(playthrough, objectives);
        const std::string name = "level" + std::to_string(levelOfLocation(c.location));
        const std::vector<std::string> expected = {"shot notblank save " + name + "-objectives",
                                                   "click Scene/OkButton",
                                                   "wait scene GGamePlayScene",
                                                   "tutorial skip",
                                                   "shot notblank save " + name,
                                                   "key E",
                                                   "wait scene GLevelCompletedScene dismissing "
                                                   "GAchievementUnlockedScene",
                                                   "shot notblank save " + name + "-completed",
                                                   "click Scene/OkButton",
                                                   c.next};
        EXPECT_EQ(steps, expected);
    }
    for (int level : {21, 22, 28, 29}) {
        CPlaythrough playthrough = toCredits();
        const std::vector<std::string> steps =
            planOf(playthrough, viewOn("GGamePlayScene", 30, locationOfLevel(level)));
        const bool winter = level >= 22 && level <= 28;
        EXPECT_EQ(holds(steps, "shot notblank white area 0 100 1024 630 50 save level" +
                                   std::to_string(level)),
                  winter)
            << level;
    }
}

// The comics: clicked through to the back button (the map then starts the mini-game of location
// 7, 15 or 31 by itself), or to the hand-over to the auction, after which the mini-game leads
// back to the comic and its rest is read.
TEST(PlaythroughPlan, ComicsAndMiniGames) {
    CPlaythrough playthrough = toCredits();
    SPlaythroughView comic = viewOn("GComicsScene", 6, 7);
    std::vector<std::string> steps = planOf(playthrough, comic);
    EXPECT_TRUE(holds(steps, "clickthrough Scene/PageArea until visible BackButton"));
    EXPECT_EQ(last(steps), "wait minigame");
    steps = planOf(playthrough, viewOn("GMiniGameHiddenScene", 6, 7));
    EXPECT_TRUE(holds(steps, "minigame win"));
    EXPECT_EQ(last(steps), "wait scene GMapScene");

    comic = viewOn("GComicsScene", 22, 23);
    comic.comicHandsOver = true;
    steps = planOf(playthrough, comic);
    EXPECT_EQ(last(steps), "wait scene GMiniGameAuctionScene");
    EXPECT_TRUE(holds(steps, "clickthrough Scene/PageArea until scene GMiniGameAuctionScene"));
    steps = planOf(playthrough, viewOn("GMiniGameAuctionScene", 22, 23));
    EXPECT_EQ(last(steps), "wait scene GComicsScene");
    steps = planOf(playthrough, comic);  // the rest of the page
    EXPECT_TRUE(holds(steps, "clickthrough Scene/PageArea until visible BackButton"));
    EXPECT_EQ(last(steps), "wait scene GMapScene");  // location 24 is a level

    steps = planOf(playthrough, viewOn("GComicsScene", 37, 38));
    EXPECT_EQ(last(steps), "wait scene GMapScene");
}

// The goals: the map at a location, or the main menu once the last level's results opened the
// final credits; a scene the way does not know stops the playthrough.
TEST(PlaythroughPlan, GoalsAndUnknownScenes) {
    CPlaythrough credits = toCredits();
    SPlaythroughView last35 = viewOn("GLevelObjectivesScene", 37, 38);
    last35.showFinalCredits = true;
    planOf(credits, last35);
    EXPECT_TRUE(planOf(credits, viewOn("GMainMenuScene", 38, 39)).empty());

    CPlaythrough map = toMap(9);
    EXPECT_FALSE(planOf(map, viewOn("GMapScene", 8, 9)).empty());
    EXPECT_TRUE(planOf(map, viewOn("GMapScene", 9, 10)).empty());

    std::vector<std::string> steps;
    std::string error;
    EXPECT_FALSE(map.plan(viewOn("GOptionsScene", 3, 4), steps, error));
    EXPECT_EQ(error, "the playthrough does not know its way from GOptionsScene");
}

TEST(WalkFile, PlaythroughAndItsStepsAreRead) {
    SWalk walk;
    std::string error;
    ASSERT_TRUE(
        parseWalk("player Ann\nupgrades Ann obligatory\nplayer Bo\nupgrades Bo all\n"
                  "playthrough until map 7\n"
                  "playthrough until credits as \"Zo\xC3\xAB\"\n"
                  "wait scene GShopScene dismissing GAchievementUnlockedScene\n"
                  "wait minigame\n"
                  "tutorial skip\n"
                  "expect quiet\n"
                  "expect state BgScene/ActiveBg/ClipNode Scrolling\n"
                  "shot notblank white area 0 100 1024 630 50 white Scene 10 save snow\n"
                  "quit 0\n",
                  walk, error))
        << error;
    ASSERT_EQ(walk.profile.upgrades.size(), 2u);
    EXPECT_EQ(walk.profile.upgrades[0].player, "Ann");
    EXPECT_FALSE(walk.profile.upgrades[0].all);
    EXPECT_TRUE(walk.profile.upgrades[1].all);
    const std::vector<SWalkStep>& s = walk.steps;
    ASSERT_EQ(s.size(), 9u);
    EXPECT_EQ(s[0].kind, EStepKind::Playthrough);
    EXPECT_FALSE(s[0].flag);
    EXPECT_EQ(s[0].number, 7);
    EXPECT_EQ(s[0].name, "Pat");
    EXPECT_TRUE(s[1].flag);
    EXPECT_EQ(s[1].name, "Zo\xC3\xAB");
    EXPECT_EQ(s[2].kind, EStepKind::WaitScene);
    EXPECT_EQ(s[2].name, "GShopScene");
    EXPECT_EQ(s[2].key, "GAchievementUnlockedScene");
    EXPECT_EQ(s[3].kind, EStepKind::WaitMiniGame);
    EXPECT_EQ(s[4].kind, EStepKind::TutorialSkip);
    EXPECT_EQ(s[5].kind, EStepKind::ExpectQuiet);
    EXPECT_EQ(s[6].kind, EStepKind::ExpectState);
    EXPECT_EQ(s[6].target.path, "BgScene/ActiveBg/ClipNode");
    EXPECT_EQ(s[6].value, "Scrolling");
    ASSERT_EQ(s[7].shot.white.size(), 2u);
    EXPECT_TRUE(s[7].shot.white[0].first.isArea);
    EXPECT_EQ(s[7].shot.white[0].first.y2, 630.0f);
    EXPECT_EQ(s[7].shot.white[0].second, 50);
    EXPECT_EQ(s[7].shot.white[1].first.path, "Scene");
    EXPECT_EQ(s[7].shot.save, "snow");

    const struct {
        const char* text;
        const char* error;
    } wrong[] = {
        {"playthrough until map\nquit 0\n",
         "line 1: playthrough until map LOCATION | until credits [as NAME]"},
        {"playthrough to credits\nquit 0\n",
         "line 1: playthrough until map LOCATION | until credits [as NAME]"},
        {"wait scene A dismissing\nquit 0\n",
         "line 1: wait scene CLASS [dismissing CLASS] | wait minigame | wait time MS"},
        {"shot white area 0 0 10 10 0\nquit 0\n", "line 1: white REGION PERCENT (1 to 100)"},
        {"shot blank white Scene 20\nquit 0\n", "line 1: a blank shot has no varied pixels"},
        {"player Ann\nupgrades Ann some\nquit 0\n", "line 2: upgrades NAME all|obligatory"},
        {"player Ann\nupgrades Bo all\nquit 0\n",
         "\"upgrades\" names \"Bo\", which is not a player of the header"},
    };
    for (const auto& w : wrong) {
        EXPECT_FALSE(parseWalk(w.text, walk, error)) << w.text;
        EXPECT_EQ(error, w.error) << w.text;
    }
    SWalkStep step;
    EXPECT_FALSE(parseStepLine("player Ann", step, error));
    EXPECT_EQ(error, "a header line is no step");
    ASSERT_TRUE(parseStepLine("key E", step, error)) << error;
    EXPECT_EQ(step.kind, EStepKind::Key);
    EXPECT_EQ(step.text, "key E");
}
