#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/minigames/MiniGameWorld.h"

namespace brasquel::test {
namespace {

// Hint paths: one car path per name, from (x, y) pairs.
std::string pathsFile(
    const std::vector<std::pair<const char*, std::vector<std::pair<int, int>>>>& paths) {
    std::string text = "<LevelPaths><CarPaths>";
    for (const auto& p : paths) {
        text += std::string("<Path ID=\"") + p.first + "\">";
        for (const auto& point : p.second)
            text += "<p p=\"" + std::to_string(point.first) + "," + std::to_string(point.second) +
                    "\"/>";
        text += "</Path>";
    }
    return text + "</CarPaths></LevelPaths>";
}

struct HiddenWorld : MiniWorld {
    explicit HiddenWorld(bool withCompleted = true) : MiniWorld(withCompleted) {}

    CRefPtr<Probe<GMiniGameHiddenScene>> makeHidden(const std::string& config = std::string()) {
        auto game = makeGame<Probe<GMiniGameHiddenScene>>();
        BaseNode* items = hitObjects(game.get());
        addHitNode(items, "Cup", 100, 100, 40, 100);
        addHitNode(items, "Key", 120, 150, 60, 60);  // overlaps the cup's lower part
        addHitNode(items, "Hat", 400, 300, 200, 200);
        write("levels/mg/HintPaths.xml", pathsFile({{"Cup", {{0, 0}, {50, 0}, {100, 100}}},
                                                    {"Key", {{0, 0}, {120, 150}}},
                                                    {"Hat", {{400, 300}}}}));
        loadWithConfiguration(
            game.get(),
            config.empty() ? "<MiniGame><MaxLevelTime Value=\"90000\"/><ExpertScore Value=\"700\"/>"
                             "<HintPaths Value=\"levels/mg/HintPaths.xml\"/></MiniGame>"
                           : config);
        return game;
    }
    static std::vector<std::string> names(const BaseNode* parent) {
        std::vector<std::string> found;
        for (BaseNode* child : parent->getChildren()) found.push_back(child->getNodeName().c_str());
        return found;
    }
};

TEST(MiniGameHidden, TheBriefingClickFindsNothingThenTheFirstOfOverlappingItemsIsFound) {
    HiddenWorld world;
    auto game = world.makeHidden();
    world.enter(game.get());
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "ObjCount")), "3");
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "TimeCurr")), "01:30");
    MiniWorld::run(game.get(), GMiniGameScene::IntroDelayMs);
    world.frame();
    world.down(130, 170);  // the briefing ends; the cup stays
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Playing);
    EXPECT_EQ(HiddenWorld::names(game->getHitObjects()),
              (std::vector<std::string>{"Cup", "Key", "Hat"}));
    world.down(130, 170);  // both the cup and the key lie here: the cup comes first
    EXPECT_EQ(HiddenWorld::names(game->getHitObjects()), (std::vector<std::string>{"Key", "Hat"}));
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "ObjCount")), "2");
    EXPECT_EQ(world.started("ObjFound"), 1u);
    world.down(900, 700);  // a miss costs nothing
    EXPECT_EQ(game->getHitObjects()->getChildCount(), 2u);
    EXPECT_FALSE(game->isFinished());
}

TEST(MiniGameHidden, TheFoundEffectGrowsWithTheItem) {
    HiddenWorld world;
    auto game = world.makeHidden();
    world.enter(game.get());
    world.startPlaying(game.get());
    world.frame();
    const struct {
        s32 x, y;
        f32 start, end, rate;
        vector3df centre;
    } finds[] = {{110, 110, 240.0f, 420.0f, 250.0f, vector3df(120, 150, 0)},
                 {500, 400, 880.0f, 1060.0f, 600.0f, vector3df(500, 400, 0)}};
    for (const auto& f : finds) {
        world.down(f.x, f.y);
        EXPECT_EQ(world.star()->Accel1StartTimeRange, vector2df(f.start, f.start));
        EXPECT_EQ(world.star()->Accel1EndTimeRange, vector2df(f.end, f.end));
        EXPECT_EQ(game->getFoundNode()->getObjectsPerSecRange(), vector2df(f.rate, f.rate));
        EXPECT_EQ(game->getFoundNode()->getPosition(), f.centre);
    }
}

TEST(MiniGameHidden, OneTrailPerFourSecondsUntilTheHintedItemIsFound) {
    HiddenWorld world;
    auto game = world.makeHidden();
    world.enter(game.get());
    world.startPlaying(game.get());
    world.frame();
    world.down(500, 400);  // the hat goes first: the two left have paths to walk
    BaseNode* hint = newNode("HintButton", game.get()).get();
    EXPECT_TRUE(press(game.get(), hint));
    BaseNode* hinted = game->getHintedItem();
    ASSERT_NE(hinted, nullptr);
    EXPECT_TRUE(game->getHintTrail()->isWalking());
    EXPECT_EQ(game->getHintTrail()->Velocity, GMiniGameHiddenScene::HintTrailVelocity);
    EXPECT_EQ(game->getHintTime(), GMiniGameHiddenScene::HintPauseMs);
    MiniWorld::run(game.get(), 100);
    const vector3df moved = game->getHintTrail()->getPosition();
    EXPECT_TRUE(press(game.get(), hint));  // within four seconds: only the cue
    EXPECT_EQ(game->getHintTrail()->getPosition(), moved);
    EXPECT_EQ(game->getHintedItem(), hinted);
    EXPECT_EQ(world.started("HOHint"), 2u);
    // Finding the hinted item allows a new hint at once.
    world.frame();
    const vector3df p = hinted->getPosition();
    world.down(static_cast<s32>(p.X) + 1, static_cast<s32>(p.Y) + 1);
    EXPECT_EQ(game->getHintedItem(), nullptr);
    EXPECT_EQ(game->getHintTime(), -1);
    EXPECT_FALSE(game->getHintTrail()->isWalking());
    EXPECT_TRUE(press(game.get(), hint));
    EXPECT_NE(game->getHintedItem(), nullptr);
    EXPECT_NE(game->getHintedItem(), hinted);
    EXPECT_EQ(game->getHintTime(), GMiniGameHiddenScene::HintPauseMs);
}

TEST(MiniGameHidden, APathOfOnePointStartsNoTrail) {
    HiddenWorld world;
    auto game = world.makeHidden();
    world.enter(game.get());
    world.startPlaying(game.get());
    // Only the hat is left: its path has a single point.
    world.frame();
    world.down(110, 110);
    world.down(170, 200);
    ASSERT_EQ(HiddenWorld::names(game->getHitObjects()), (std::vector<std::string>{"Hat"}));
    EXPECT_TRUE(press(game.get(), newNode("HintButton", game.get()).get()));
    EXPECT_EQ(game->getHintedItem()->getNodeName(), stringc("Hat"));
    EXPECT_FALSE(game->getHintTrail()->isWalking());
    EXPECT_EQ(game->getHintTime(), GMiniGameHiddenScene::HintPauseMs);
}

TEST(MiniGameHidden, TheHighlightLightsTheHintedItem) {
    HiddenWorld world;
    auto game = world.makeGame<Probe<GMiniGameHiddenScene>>();
    addHitNode(MiniWorld::hitObjects(game.get()), "Vase", 100, 200, 40, 90);
    BaseNode* background = game->findChildByName("BgObjects", 0);
    auto highlight = makeRef<GHOHintParticlesNode>(CCreationContext());
    highlight->setNameId(id("HintHighlight"));
    highlight->addState(animatorWith("HintOn", {setVisible(true).get()}).get());
    highlight->addState(animatorWith("HintOff", {setVisible(false).get()}).get());
    background->addChild(highlight.get());
    game->onLoaded();
    ASSERT_EQ(game->getHintHighlight(), highlight.get());
    world.enter(game.get());
    world.startPlaying(game.get());
    EXPECT_TRUE(press(game.get(), newNode("HintButton", game.get()).get()));
    EXPECT_EQ(highlight->getPosition(), vector3df(120, 245, 0));
    EXPECT_EQ(highlight->EmitRadiusXRange, vector2df(20, 20));
    EXPECT_EQ(highlight->EmitRadiusYRange, vector2df(45, 45));
    EXPECT_EQ(highlight->PPS, 60);  // the root of 3600
    EXPECT_TRUE(plays(highlight.get(), "HintOn"));
    MiniWorld::run(game.get(), GMiniGameHiddenScene::HintPauseMs);
    EXPECT_TRUE(plays(highlight.get(), "HintOff"));
}

TEST(MiniGameHidden, TheLastFindWinsWithTheExpertScoreAndTheWholeTime) {
    HiddenWorld world;
    CProfile* profile = world.profile();
    profile->setInt(ProfileKeyMaxUnlockedLevelIndex, 6);
    profile->setInt(ProfileKeyLevelIndex, 7);
    auto game = world.makeHidden();
    world.enter(game.get());
    MiniWorld::run(game.get(), 1000);  // intro and briefing count
    world.frame();
    world.down(900, 700);
    MiniWorld::run(game.get(), 2000);
    world.down(110, 110);
    world.down(170, 200);
    EXPECT_FALSE(game->isFinished());
    world.down(500, 400);
    EXPECT_TRUE(game->isFinished());
    EXPECT_EQ(game->getScore(), 700);
    EXPECT_EQ(std::string(profile->getString(ProfileKeyScores).c_str()), "0;0;0;0;0;0;0;700");
    EXPECT_EQ(std::string(profile->getString(ProfileKeyTimes).c_str()), "0;0;0;0;0;0;0;3000");
    EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 8);
    ASSERT_NE(world.completed(), nullptr);
    EXPECT_EQ(world.completed()->getResultScore(), 700);
}

// The menu button leaves past the loading screen to the map the game was chosen on.
TEST(MiniGameHidden, TheMenuButtonLeavesWithTheProfileUnchanged) {
    HiddenWorld world;
    CProfile* profile = world.profile();
    profile->setInt(ProfileKeyLevelIndex, 3);
    auto game = world.makeHidden();
    world.enter(game.get());
    world.startPlaying(game.get());
    world.frame();
    world.down(110, 110);
    EXPECT_TRUE(press(game.get(), newNode("MenuButton", game.get()).get()));
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), world.map.get());
    EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 3);
    EXPECT_TRUE(profile->getString(ProfileKeyScores).empty());
}

// ---- The ordered game ----

struct OrderedWorld : MiniWorld {
    CRefPtr<Probe<GMiniGameHidden2Scene>> makeOrdered(const std::string& extra = std::string(),
                                                      bool items = true) {
        auto game = makeGame<Probe<GMiniGameHidden2Scene>>(items);
        if (items) {
            BaseNode* hit = hitObjects(game.get());
            addHitNode(hit, "Pen", 100, 100, 50, 50);
            addHitNode(hit, "Cup", 300, 100, 50, 50);
            addHitNode(hit, "Hat", 500, 100, 50, 50);
        }
        auto preview = makeRef<SpriteNode>(CCreationContext());
        preview->setNameId(id("PrevewImage"));
        ui(game.get())->addChild(preview.get());
        write("levels/mg/HintPaths.xml", pathsFile({{"Pen", {{0, 0}, {60, 0}, {125, 125}}},
                                                    {"Cup", {{0, 0}, {325, 125}}},
                                                    {"Hat", {{0, 0}, {525, 125}}}}));
        writePicture("levels/minigame_hidden2/Preview/pen.png", 81, 40, 200);
        writePicture("levels/minigame_hidden2/Preview/cup.png", 30, 30, 90);
        writePicture("levels/minigame_hidden2/Preview/hat.png", 30, 30, 30);
        loadWithConfiguration(
            game.get(),
            "<MiniGame><ExpertScore Value=\"500\"/><HintPaths Value=\"levels/mg/HintPaths.xml\"/>"
            "<ItemsToFind><Item Name=\"Pen\" Filename=\"pen\"/><Item Name=\"Cup\" "
            "Filename=\"cup\"/>"
            "<Item Name=\"Hat\" Filename=\"hat\"/></ItemsToFind>" +
                extra + "</MiniGame>");
        return game;
    }
    static std::vector<std::string> order(const GMiniGameHidden2Scene* game) {
        std::vector<std::string> names;
        for (BaseNode* item : game->getItems()) names.push_back(item->getNodeName().c_str());
        return names;
    }
    // A point inside the item.
    static void clickOn(MiniWorld& world, BaseNode* item) {
        world.frame();
        world.down(static_cast<s32>(item->getPosition().X) + 5,
                   static_cast<s32>(item->getPosition().Y) + 5);
    }
};

TEST(MiniGameHidden2, TheOrderIsASeededPermutation) {
    std::vector<std::string> first;
    for (int run = 0; run < 2; ++run) {
        OrderedWorld world;
        auto game = world.makeOrdered();
        std::vector<std::string> names = OrderedWorld::order(game.get());
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<std::string>{"Cup", "Hat", "Pen"}));
        if (run == 0)
            first = names;
        else
            EXPECT_EQ(names, first);
    }
}

TEST(MiniGameHidden2, OnlyTheWantedItemCountsAndTheLastFindWins) {
    OrderedWorld world;
    auto game = world.makeOrdered();
    world.enter(game.get());
    TextNode* count = MiniWorld::uiText(game.get(), "ObjCount");
    EXPECT_EQ(textOf(count), "3");
    world.startPlaying(game.get());
    std::vector<BaseNode*> items = game->getItems();
    OrderedWorld::clickOn(world, items[1]);  // not the wanted one
    EXPECT_EQ(game->getCurrentIndex(), 0u);
    EXPECT_TRUE(items[1]->isVisible());
    EXPECT_EQ(textOf(count), "3");
    OrderedWorld::clickOn(world, items[0]);
    EXPECT_FALSE(items[0]->isVisible());
    EXPECT_EQ(textOf(count), "2");
    OrderedWorld::clickOn(world, items[1]);
    EXPECT_EQ(textOf(count), "1");
    EXPECT_FALSE(game->isFinished());
    OrderedWorld::clickOn(world, items[2]);
    EXPECT_TRUE(game->isFinished());
    EXPECT_EQ(game->getScore(), 500);
    EXPECT_EQ(world.started("ObjFound"), 3u);
    ASSERT_NE(world.completed(), nullptr);
}

TEST(MiniGameHidden2, ThePreviewShowsTheWantedItemTurningAboutItsCentre) {
    OrderedWorld world;
    auto game = world.makeOrdered();
    world.enter(game.get());
    SpriteNode* preview = game->getPreview();
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(preview->getAtlasTexture(), nullptr);
    const vector3df& bounds = preview->getBounds();
    EXPECT_EQ(preview->getPivotPoint(),
              vector2df(std::floor(bounds.X * 0.5f + 0.5f), std::floor(bounds.Y * 0.5f + 0.5f)));
    EXPECT_EQ(game->getItemFiles().at(id("Pen")), stringc("pen"));
}

TEST(MiniGameHidden2, HoverStartsOnePassAndReArmsOnlyWhenIdle) {
    OrderedWorld world;
    auto game = world.makeOrdered();
    world.enter(game.get());
    BaseNode* wanted = game->getWantedItem();
    world.frame();
    const s32 x = static_cast<s32>(wanted->getPosition().X) + 5;
    const s32 y = static_cast<s32>(wanted->getPosition().Y) + 5;
    world.move(x, y);
    EXPECT_TRUE(game->isHovering());
    GPathMovableNode* trail = game->getHintTrail();
    ASSERT_TRUE(trail->isWalking());
    const size_t onePass = trail->getStoredPoints().size();
    world.move(900, 700);
    EXPECT_FALSE(game->isHovering());
    world.move(x, y);  // the trail still runs: no new pass
    EXPECT_EQ(trail->getStoredPoints().size(), onePass);
    MiniWorld::run(game.get(), 60000);  // idle again while the cursor rests: another pass
    EXPECT_TRUE(trail->isWalking());
}

TEST(MiniGameHidden2, TheHintButtonStartsFourPasses) {
    OrderedWorld world;
    auto game = world.makeOrdered();
    world.enter(game.get());
    BaseNode* hint = newNode("HintButton", game.get()).get();
    EXPECT_TRUE(press(game.get(), hint));
    GPathMovableNode* trail = game->getHintTrail();
    ASSERT_TRUE(trail->isWalking());
    const size_t points = trail->getStoredPoints().size();
    EXPECT_EQ(points % GMiniGameHidden2Scene::HintButtonPasses, 0u);
    EXPECT_GE(points, 2u * GMiniGameHidden2Scene::HintButtonPasses);
    EXPECT_EQ(trail->Velocity, GMiniGameHidden2Scene::DefaultTrailVelocity);
    MiniWorld::run(game.get(), 100);
    const vector3df at = trail->getPosition();
    EXPECT_TRUE(press(game.get(), hint));  // while it runs: only the cue
    EXPECT_EQ(trail->getPosition(), at);
    EXPECT_EQ(world.started("HOHint"), 2u);
}

TEST(MiniGameHidden2, AVelocityWithoutValueHoldsTheTrailUntilAFind) {
    OrderedWorld world;
    auto game = world.makeOrdered("<HintTrailVelocity/><HintTrailPPS Value=\"40\"/>");
    EXPECT_EQ(game->getTrailVelocity(), 0.0f);
    EXPECT_EQ(game->getTrailRate(), 40);
    world.enter(game.get());
    world.startPlaying(game.get());
    EXPECT_TRUE(press(game.get(), newNode("HintButton", game.get()).get()));
    GPathMovableNode* trail = game->getHintTrail();
    MiniWorld::run(game.get(), 5000);
    EXPECT_TRUE(trail->isWalking());
    OrderedWorld::clickOn(world, game->getWantedItem());
    EXPECT_FALSE(trail->isWalking());
}

// A level without items to find is broken, not won: nothing is recorded, and the menu button
// still leaves.
TEST(MiniGameHidden2, NoItemsIsNoWin) {
    OrderedWorld world;
    CProfile* profile = world.profile();
    profile->setInt(ProfileKeyLevelIndex, 2);
    auto game = world.makeOrdered(std::string(), false);
    LogCapture logs;
    world.enter(game.get());
    EXPECT_FALSE(game->isFinished());
    EXPECT_EQ(MiniWorld::errors(logs).size(), 1u);
    EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 2);
    EXPECT_TRUE(profile->getString(ProfileKeyScores).empty());
    EXPECT_EQ(world.manager->getCurrentScene(), game.get());
    EXPECT_TRUE(press(game.get(), newNode("MenuButton", game.get()).get()));
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), world.map.get());
}

}  // namespace
}  // namespace brasquel::test
