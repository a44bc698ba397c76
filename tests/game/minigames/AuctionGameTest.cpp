#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/scene/animation/SetProps.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/level/GEllipseSectorNode.h"
#include "tests/game/minigames/MiniGameWorld.h"

namespace brasquel::test {
namespace {

struct AuctionWorld : MiniWorld {
    explicit AuctionWorld(bool withCompleted = true) : MiniWorld(withCompleted) {
        for (int value = 1; value <= 6; ++value) {
            writePicture("levels/minigame_auction/Money/" + std::to_string(value) + ".png",
                         10 + value, 8, 100);
            writePicture("levels/minigame_auction/Money/" + std::to_string(value) + "over.png",
                         20 + value, 8, 200);
        }
    }

    CRefPtr<Probe<GMiniGameAuctionScene>> makeAuction(s32 maxLevelTime = 60000) {
        auto game = makeGame<Probe<GMiniGameAuctionScene>>();
        BaseNode* play = game->findChildByName("Game", 0);
        for (const char* zone : {"Zone1", "Zone2", "Zone3"}) {
            ControlNode* control = addControl(play, zone, 100, 100, nullptr);
            auto obj = makeRef<SpriteNode>(CCreationContext());
            obj->setNameId(id("Obj"));
            for (const char* state : {"Normal", "NormalHover", "Pressed"}) {
                auto props = makeRef<animation::SetProps>();
                auto set = makeRef<CPropertySet>();
                set->addAtlasTexture("AtlasTexture", nullptr);
                props->setProperties(set.get());
                obj->addState(animatorWith(state, {props.get()}).get());
            }
            control->addChild(obj.get());
        }
        BaseNode* panel = ui(game.get());
        newNode("LongArrow", panel);
        auto ellipse = makeRef<GEllipseSectorNode>(CCreationContext());
        ellipse->setNameId(id("Ellipse"));
        panel->addChild(ellipse.get());
        loadWithConfiguration(game.get(), "<MiniGame><MaxLevelTime Value=\"" +
                                              std::to_string(maxLevelTime) + "\"/></MiniGame>");
        return game;
    }
    static s32 rightZone(const GMiniGameAuctionScene* game) {
        for (u32 i = 0; i < GMiniGameAuctionScene::ZoneCount; ++i)
            if (game->getValue(i) == game->getCorrectValue()) return static_cast<s32>(i);
        return -1;
    }
    static std::vector<s32> turn(const GMiniGameAuctionScene* game) {
        return {game->getValue(0), game->getValue(1), game->getValue(2)};
    }
};

TEST(MiniGameAuction, TheDealFollowsItsTable) {
    AuctionWorld world;
    auto game = world.makeAuction();
    world.enter(game.get());
    world.startPlaying(game.get());
    const std::set<std::vector<s32>> late = {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}, {4, 5, 6}, {3, 5, 6}};
    std::vector<s32> previous;
    std::set<std::vector<s32>> lateSeen;
    for (int t = 0; t < 400; ++t) {
        SCOPED_TRACE(t);
        std::vector<s32> values = AuctionWorld::turn(game.get());
        EXPECT_NE(values, previous);
        std::vector<s32> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(game->getCorrectValue(), sorted[2]);
        if (t < 3)
            EXPECT_EQ(sorted, (std::vector<s32>{1, 2, 3}));
        else if (t < 6)
            EXPECT_TRUE(sorted == (std::vector<s32>{2, 3, 4}) ||
                        sorted == (std::vector<s32>{3, 4, 5}));
        else {
            EXPECT_EQ(late.count(sorted), 1u);
            lateSeen.insert(sorted);
        }
        previous = values;
        EXPECT_FALSE(press(game.get(), game->getZone(static_cast<u32>(t % 3))));
    }
    EXPECT_EQ(lateSeen, late);
    EXPECT_EQ(game->getTurnsDone(), 400);
}

TEST(MiniGameAuction, TheBanknotesFollowTheTurn) {
    AuctionWorld world;
    auto game = world.makeAuction();
    world.enter(game.get());
    for (u32 i = 0; i < GMiniGameAuctionScene::ZoneCount; ++i) {
        auto* obj = static_cast<SpriteNode*>(game->getZone(i)->findChildByName("Obj", 1));
        ASSERT_NE(obj->getAtlasTexture(), nullptr);
        auto* hover =
            static_cast<animation::SetProps*>(obj->findState(id("NormalHover"))->getAnimation(0));
        CRefPtr<IPropertyData> value = hover->getProperties()->getProperty("AtlasTexture");
        ASSERT_NE(value, nullptr);
        auto* holder = dynamic_cast<CPropertyDataResource*>(value.get());
        ASSERT_NE(holder, nullptr);
        EXPECT_NE(holder->getResource(), nullptr);
        EXPECT_NE(holder->getResource(),
                  static_cast<CResource*>(obj->getAtlasTexture()));  // the hovered picture
    }
}

TEST(MiniGameAuction, TheBriefingPressOnlyStartsTheClock) {
    AuctionWorld world;
    auto game = world.makeAuction();
    world.enter(game.get());
    MiniWorld::run(game.get(), 1000);
    EXPECT_EQ(game->getGameTime(), 0u);
    const std::vector<s32> first = AuctionWorld::turn(game.get());
    EXPECT_FALSE(
        press(game.get(), game->getZone(static_cast<u32>(AuctionWorld::rightZone(game.get())))));
    EXPECT_EQ(game->getPhase(), MiniGamePhase::Playing);
    EXPECT_EQ(AuctionWorld::turn(game.get()), first);
    EXPECT_EQ(game->getTurnsDone(), 0);
    EXPECT_EQ(game->getScore(), 0);
}

TEST(MiniGameAuction, TheDialAndTheScore) {
    AuctionWorld world;
    auto game = world.makeAuction(60000);
    world.enter(game.get());
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "TimeLeft")), "01:00");
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "ScoreText")), "0");
    world.startPlaying(game.get());
    MiniWorld::run(game.get(), 15000);
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "TimeLeft")), "00:45");
    EXPECT_FLOAT_EQ(game->getDialAngle(), 90.0f);
    EXPECT_FLOAT_EQ(game->findChildByName("LongArrow", 0)->getRotation().Z, 90.0f);
    EXPECT_EQ(static_cast<GEllipseSectorNode*>(game->findChildByName("Ellipse", 0))->Angle1, 90);
    for (int i = 0; i < 70; ++i)
        press(game.get(), game->getZone(static_cast<u32>(AuctionWorld::rightZone(game.get()))));
    EXPECT_EQ(game->getScore(), 1050);
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "ScoreText")), "1,050");
    // A wrong pick scores nothing.
    const s32 right = AuctionWorld::rightZone(game.get());
    press(game.get(), game->getZone(static_cast<u32>((right + 1) % 3)));
    EXPECT_EQ(game->getScore(), 1050);
    EXPECT_EQ(world.started("ButtonMissed"), 1u);
    EXPECT_EQ(world.started("ObjFound"), 70u);
}

TEST(MiniGameAuction, TheTimeRunsOutOnceAndTheScoreIsRecorded) {
    AuctionWorld world;
    CProfile* profile = world.profile();
    profile->setInt(ProfileKeyMaxUnlockedLevelIndex, 22);
    profile->setInt(ProfileKeyLevelIndex, 23);
    auto game = world.makeAuction(60000);
    world.enter(game.get());
    world.startPlaying(game.get());
    MiniWorld::run(game.get(), 60000);
    EXPECT_FALSE(game->isFinished());
    game->update(GMiniGameScene::GameUpdatePeriod);
    EXPECT_TRUE(game->isFinished());
    EXPECT_EQ(profile->getInt(ProfileKeyLevelIndex), 24);
    const std::vector<s32> times = [&] {
        array<s32> list = parseIntListNarrow(profile->getString(ProfileKeyTimes));
        std::vector<s32> values;
        for (u32 i = 0; i < list.size(); ++i) values.push_back(list[i]);
        return values;
    }();
    ASSERT_EQ(times.size(), 24u);
    EXPECT_EQ(times[23], 60010);
    array<s32> scores = parseIntListNarrow(profile->getString(ProfileKeyScores));
    ASSERT_EQ(scores.size(), 24u);
    EXPECT_EQ(scores[23], 0);
    ASSERT_NE(world.completed(), nullptr);
    EXPECT_EQ(world.completed()->getResultScore(), 0);
}

TEST(MiniGameAuction, WithoutATimeLimitTheFirstUpdateEndsTheGame) {
    AuctionWorld world(false);
    auto game = world.makeAuction(0);
    world.enter(game.get());
    world.startPlaying(game.get());
    game->update(GMiniGameScene::GameUpdatePeriod);
    EXPECT_TRUE(game->isFinished());
    EXPECT_FLOAT_EQ(game->getDialAngle(), 360.0f);
    EXPECT_EQ(static_cast<GEllipseSectorNode*>(game->findChildByName("Ellipse", 0))->Angle1, 360);
    EXPECT_EQ(textOf(MiniWorld::uiText(game.get(), "TimeLeft")), "00:00");
    // The completed scene did not open: the game stays, and does not end again.
    EXPECT_EQ(world.manager->getCurrentScene(), game.get());
    const s32 levelIndex = world.profile()->getInt(ProfileKeyLevelIndex);
    MiniWorld::run(game.get(), 1000);
    EXPECT_EQ(world.profile()->getInt(ProfileKeyLevelIndex), levelIndex);
}

TEST(MiniGameAuction, TheFlyingPointsLeaveTheCursorForTheScore) {
    AuctionWorld world;
    auto game = world.makeAuction();
    world.enter(game.get());
    world.startPlaying(game.get());
    // The screen's fit: the scene manager placed and scaled.
    world.manager->setPosition(vector3df(100, 50, 0));
    world.manager->setScale(vector3df(0.5f, 0.5f, 1.0f));
    world.frame();
    world.device.cursor.setPosition(300, 250);
    BaseNode* play = game->findChildByName("Game", 0);
    const u32 before = play->getChildCount();
    press(game.get(), game->getZone(static_cast<u32>(AuctionWorld::rightZone(game.get()))));
    ASSERT_EQ(play->getChildCount(), before + 1);
    BaseNode* last = play->getChildren().back();
    ASSERT_TRUE(last->isKindOf(GameNodeTypeTextTrailNode));
    CRefPtr<GTextTrailNode> flying(static_cast<GTextTrailNode*>(last));
    EXPECT_TRUE(flying->isVisible());
    EXPECT_EQ(flying->Velocity, GMiniGameAuctionScene::FlyingTextVelocity);
    const GPathMovableNode::PathPoints& points = flying->getStoredPoints();
    ASSERT_EQ(points.size(), 2u);
    std::vector<vector2df> ends{points.front(), points.back()};
    EXPECT_NE(std::find(ends.begin(), ends.end(), vector2df(400, 400)), ends.end());
    EXPECT_NE(std::find(ends.begin(), ends.end(), vector2df(860, 737)), ends.end());
    EXPECT_EQ(textOf(static_cast<TextNode*>(flying->findChildByName("Text", 1))), "15");
    // It runs on the scene's clock and is gone two seconds after it arrives.
    world.step(10);
    for (int i = 0; i < 60 && flying->getParent(); ++i) world.step(100);
    EXPECT_EQ(flying->getParent(), nullptr);
    EXPECT_EQ(play->getChildCount(), before);
}

// The menu button leads past the loading screen back to where the auction came from: the map,
// or the comic that handed over to it.
TEST(MiniGameAuction, TheMenuButtonLeadsBackToTheMapOrTheComic) {
    for (bool comic : {false, true}) {
        SCOPED_TRACE(comic ? "after the comic" : "from the map");
        AuctionWorld world;
        auto game = world.makeAuction();
        CRefPtr<KindScene> below = comic ? makeRef<KindScene>("Comics", GameNodeTypeComicsScene)
                                         : makeRef<KindScene>("Map", GameNodeTypeMapScene);
        auto root = makeRef<KindScene>("Root", GameNodeTypeMainMenuScene);
        world.show(root.get());
        ASSERT_TRUE(root->switchTo(below.get(), true));
        world.step(1000);
        ASSERT_TRUE(below->switchTo(world.loading.get(), true));
        world.step(1000);
        ASSERT_TRUE(world.loading->switchTo(game.get(), true));
        world.step(1000);
        EXPECT_TRUE(press(game.get(), newNode("MenuButton", game.get()).get()));
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), below.get());
    }
    // A short chain: nothing to go back to past the loading screen, and nothing breaks.
    AuctionWorld world;
    auto game = world.makeAuction();
    world.show(world.loading.get());
    ASSERT_TRUE(world.loading->switchTo(game.get(), true));
    world.step(1000);
    EXPECT_TRUE(press(game.get(), newNode("MenuButton", game.get()).get()));
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), game.get());
}

}  // namespace
}  // namespace brasquel::test
