// The main menu: its lookups, the entry (cursor, cues, greeting, the credits' roll after a
// completed level), the buttons' switches, the scroll's closing and the player asked for.

#include <gtest/gtest.h>

#include "engine/scene/CNodeFactory.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "tests/game/scenes/MainMenuTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// A stand-in for a screen of a later kind: the level-completed screen or the map.
class KindScene : public GBaseSceneNode {
public:
    KindScene(s32 kind) : GBaseSceneNode(CCreationContext()), m_kind(kind) {}
    bool isKindOf(s32 typeId) const override {
        return typeId == m_kind || GBaseSceneNode::isKindOf(typeId);
    }

private:
    s32 m_kind;
};

bool enter(GMainMenuScene* menu, SceneNode* from) {
    return menu->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(from, menu, true).get());
}

bool press(GMainMenuScene* menu, const char* name) {
    BaseNode* control = menu->findChildByName(name, 0);
    EXPECT_NE(control, nullptr) << name;
    return menu->onEvent(makeEvent<CEventNodePressed>(control).get());
}

std::vector<std::string> refusals(const LogCapture& logs) {
    return linesOf(logs, "Unable to load scene file");
}

}  // namespace

TEST(MainMenu, FindsItsPartsAndReadsTheStreetsPaths) {
    MainMenuWorld world;
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    EXPECT_EQ(menu->getTypeId(), GameNodeTypeMainMenuScene);
    for (s32 kind : {s32(GameNodeTypeMainMenuScene), s32(GameNodeTypeBaseScene), s32(NodeTypeScene),
                     s32(NodeTypeControl), s32(NodeTypeBase)})
        EXPECT_TRUE(menu->isKindOf(kind)) << kind;
    ASSERT_NE(menu->getWelcomeText(), nullptr);
    ASSERT_NE(menu->getSceneNode(), nullptr);
    ASSERT_NE(menu->getScrollBackButton(), nullptr);
    ASSERT_NE(menu->getClipNode(), nullptr);
    ASSERT_NE(menu->getBackgroundPaths(), nullptr);
    EXPECT_EQ(menu->getBackgroundPaths()->getCarGroupCount(), 3u);
    EXPECT_EQ(menu->getBackgroundPaths()->getPedestrianPaths().size(), 1u);
    // A clone reads a set of its own.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(menu->clone(nullptr, nullptr));
    auto* other = dynamic_cast<GMainMenuScene*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other->getBackgroundPaths(), menu->getBackgroundPaths());
    EXPECT_EQ(other->getBackgroundPaths()->getCarGroupCount(), 3u);
}

TEST(MainMenu, AMissingPathsFileLeavesTheStreetEmpty) {
    MainMenuWorld world(nullptr);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    ASSERT_NE(menu->getBackgroundPaths(), nullptr);
    EXPECT_EQ(menu->getBackgroundPaths()->getCarGroupCount(), 0u);
}

TEST(MainMenu, WrongKindsOfPartsAreNotKept) {
    MainMenuWorld world;
    auto menu = makeRef<GMainMenuScene>(world.context("MainMenuScene"));
    newNode("WelcomeText", newNode("Scene", menu.get()).get());  // not a text node
    BaseNode* active = newNode("ActiveBg", newNode("BgScene", menu.get()).get()).get();
    newNode("BackButton", active);  // not a control
    menu->onLoaded();
    EXPECT_NE(menu->getSceneNode(), nullptr);
    EXPECT_EQ(menu->getWelcomeText(), nullptr);
    EXPECT_EQ(menu->getScrollBackButton(), nullptr);
    EXPECT_EQ(menu->getClipNode(), nullptr);
    EXPECT_TRUE(enter(menu.get(), nullptr));  // and the entry copes without them
}

TEST(MainMenu, EntryShowsTheCursorGreetsAndStartsTheCuesOnce) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 0);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    world.manager->setScene(menu.get());
    world.device.cursor.setVisible(false);  // as start-up leaves it
    EXPECT_TRUE(enter(menu.get(), nullptr));
    EXPECT_TRUE(world.device.cursor.isVisible());
    EXPECT_EQ(toUtf8(menu->getWelcomeText()->getText().c_str()), "Welcome, Ada!");
    EXPECT_EQ(world.playing(), (std::vector<std::string>{"MenuMusic", "MainMenuAmbient"}));
    const u32 started = world.services.groups->getPlayingCount();
    EXPECT_TRUE(enter(menu.get(), nullptr));
    EXPECT_EQ(world.services.groups->getPlayingCount(), started);  // already playing
    // Normal entry: the credits and their back button stay out of the way.
    EXPECT_FALSE(menu->getClipNode()->isVisible());
    EXPECT_FALSE(menu->getScrollBackButton()->isVisible());
    EXPECT_FALSE(menu->getScrollBackButton()->isEnabled());
}

TEST(MainMenu, TheGreetingWithoutAPlayerHasAnEmptyName) {
    MainMenuWorld world;
    ASSERT_EQ(CProfileManager::instance().getActiveProfile(), nullptr);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    EXPECT_TRUE(enter(menu.get(), nullptr));
    EXPECT_EQ(toUtf8(menu->getWelcomeText()->getText().c_str()), "Welcome, !");
}

TEST(MainMenu, AfterACompletedLevelTheCreditsRollUntilTheirEnd) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 3);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    world.show(menu.get());
    KindScene completed(GameNodeTypeLevelCompletedScene);
    EXPECT_TRUE(enter(menu.get(), &completed));
    BaseNode* clip = menu->getClipNode();
    EXPECT_FALSE(menu->getSceneNode()->isVisible());
    EXPECT_EQ(menu->getSceneNode()->getPosition().X, GMainMenuScene::ScrollShift);
    EXPECT_TRUE(clip->isVisible());
    EXPECT_TRUE(menu->getScrollBackButton()->isVisible());
    EXPECT_TRUE(menu->getScrollBackButton()->isEnabled());
    ASSERT_EQ(clip->getPreReceivers().size(), 1u);
    // The roll's end, heard from the clip, brings the menu back.
    world.step(MainMenuWorld::RollTime / 2);
    EXPECT_TRUE(clip->isVisible());
    world.step(MainMenuWorld::RollTime);
    EXPECT_TRUE(menu->getSceneNode()->isVisible());
    EXPECT_FALSE(clip->isVisible());
    EXPECT_FALSE(menu->getScrollBackButton()->isEnabled());
    EXPECT_EQ(clip->getPreReceivers().size(), 0u);
    // Another state of the clip is left to the scene's own handling.
    EXPECT_TRUE(enter(menu.get(), &completed));
    clip->onEvent(makeEvent<CEventNodeStateFinished>(clip, CNameId("Other").getId()).get());
    EXPECT_TRUE(clip->isVisible());
}

TEST(MainMenu, TheBackButtonAndLeavingCloseTheCredits) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 3);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    KindScene completed(GameNodeTypeLevelCompletedScene);
    enter(menu.get(), &completed);
    EXPECT_TRUE(press(menu.get(), "BackButton"));
    EXPECT_TRUE(menu->getSceneNode()->isVisible());
    EXPECT_FALSE(menu->getClipNode()->isVisible());
    EXPECT_FALSE(menu->getScrollBackButton()->isEnabled());

    enter(menu.get(), &completed);
    KindScene next(GameNodeTypeOptionsScene);
    EXPECT_TRUE(
        menu->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(menu.get(), &next, true).get()));
    EXPECT_TRUE(menu->getSceneNode()->isVisible());
    EXPECT_FALSE(menu->getClipNode()->isVisible());
    EXPECT_EQ(menu->getClipNode()->getPreReceivers().size(), 0u);
    // Leaving elsewhere than to the map keeps the street's sound.
    EXPECT_EQ(world.playing(), (std::vector<std::string>{"MenuMusic", "MainMenuAmbient"}));
}

// Leaving closes the scroll at once: the menu's own part ends where its slide back in ends,
// whatever other states it has and whatever order they are kept in (stopped to their ends, the
// slides out would otherwise leave it off the screen). The quit question comes back without a
// transition that would move it: the menu must already stand in place.
TEST(MainMenu, LeavingLeavesTheMenuInPlaceWhateverItsOtherSlides) {
    // The menu's slides as its scene file has them, and one made for the test, which gets the
    // newest name id of all and so the last place among the states.
    const CNameId slideBackIn("NavBackToSlide");
    const struct {
        const char* state;
        f32 from, to;
    } others[] = {{"NavToSlide", 1024, 0},
                  {"NavFromSlide", 0, -1024},
                  {"NavBackFromSlide", 0, 1024},
                  {"MenuTestSlideAway", 0, 2048}};
    for (const auto& other : others) {
        SCOPED_TRACE(other.state);
        MainMenuWorld world;
        ActivePlayer player(L"Ada", 3);
        CRefPtr<GMainMenuScene> menu = world.makeMenu();
        BaseNode* part = menu->getSceneNode();
        part->addState(animatorWith(slideBackIn.getName().c_str(),
                                    {positionAnimation({{0, -1024.0f}, {280, 0.0f}}).get()})
                           .get());
        part->addState(
            animatorWith(other.state, {positionAnimation({{0, other.from}, {280, other.to}}).get()})
                .get());
        world.show(menu.get());
        enter(menu.get(), nullptr);
        KindScene question(GameNodeTypeQuitConfirmationScene);
        EXPECT_TRUE(menu->onEvent(
            makeEvent<CEventNodeSceneSwitchBegin>(menu.get(), &question, true).get()));
        EXPECT_TRUE(part->isVisible());
        EXPECT_EQ(part->getPosition().X, 0.0f);
        world.step(1000);
        EXPECT_EQ(part->getPosition().X, 0.0f);
    }
}

TEST(MainMenu, LeavingForTheMapStopsTheStreetsCues) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 3);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    enter(menu.get(), nullptr);
    world.services.groups->playCue(GSoundCueIds::get().MainMenuCarOut);
    world.services.groups->playCue(GSoundCueIds::get().MainMenuCarTo);
    KindScene map(GameNodeTypeMapScene);
    EXPECT_TRUE(menu->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(menu.get(), &map, true).get()));
    world.services.groups->update(10000);  // the fades run out
    EXPECT_EQ(world.playing(), (std::vector<std::string>{"MenuMusic"}));
    EXPECT_TRUE(menu->onEvent(makeEvent<CEventNodeSceneSwitchEnd>(menu.get(), &map, true).get()));
    // Another scene's switches are not the menu's business.
    KindScene other(GameNodeTypeOptionsScene);
    EXPECT_FALSE(menu->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(&other, &map, true).get()));
}

// The new-game button by player: none, a new one, one with progress; a new one whose loading
// screen exists is handed the first level.
TEST(MainMenu, TheNewGameButton) {
    const struct {
        bool player;
        s32 maxUnlocked;
        std::vector<std::string> asked;
        s32 levelIndex;
        bool loadingScreen;
        const char* handed;
    } cases[] = {
        {false, 0, {}, -1, false, nullptr},
        {true, -1, {"Unable to load scene file|scenes/LoadingLevelScene.oscn"}, 0, false, nullptr},
        {true, 0, {"Unable to load scene file|scenes/MapScene.oscn"}, 7, false, nullptr},
        {true, 4, {"Unable to load scene file|scenes/MapScene.oscn"}, 7, false, nullptr},
        {true, -1, {}, 0, true, "level1"},
    };
    if (!CNodeFactory::instance().isNodeClassRegistered(L"GLoadingLevelScene"))
        CNodeFactory::instance().registerNodeClass(
            L"GLoadingLevelScene", [](const CCreationContext& context) -> BaseNode* {
                return new GLoadingLevelScene(context);
            });
    for (const auto& c : cases) {
        MainMenuWorld world;
        if (c.loadingScreen)
            world.write(GMainMenuScene::LoadingLevelFile,
                        "<SceneNode Type=\"SceneNode\" ClassOverride=\"GLoadingLevelScene\">"
                        "<Properties><string Name=\"Name\" Value=\"Loading\"/></Properties>"
                        "</SceneNode>");
        std::unique_ptr<ActivePlayer> player;
        if (c.player) {
            player = std::make_unique<ActivePlayer>(L"Ada", c.maxUnlocked);
            player->profile()->setInt(ProfileKeyLevelIndex, 7);
        }
        CRefPtr<GMainMenuScene> menu = world.makeMenu();
        world.show(menu.get());
        LogCapture logs;
        EXPECT_TRUE(press(menu.get(), "NewGameButton")) << c.maxUnlocked;
        EXPECT_EQ(refusals(logs), c.asked) << c.maxUnlocked;
        if (player) {
            EXPECT_EQ(unboxPropertyInt(player->profile()->getProperty(ProfileKeyLevelIndex).get()),
                      c.levelIndex);
        }
        if (c.handed) {
            world.step(1000);
            GLoadingLevelScene* loading = asLoadingLevelScene(world.manager->getCurrentScene());
            ASSERT_NE(loading, nullptr);
            EXPECT_EQ(loading->getLevelName(), stringc(c.handed));
        } else {
            EXPECT_EQ(world.manager->getCurrentScene(), menu.get());  // still usable
        }
    }
}

TEST(MainMenu, EachButtonAsksForItsScreenAndBalloonsDoNothingMore) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 2);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    world.show(menu.get());
    const struct {
        const char* button;
        const char* file;
    } cases[] = {
        {"QuitButton", "scenes/QuitConfirmationScene.oscn"},
        {"ChangePlayerButton", "scenes/SelectPlayerScene.oscn"},
        {"CreditsButton", "scenes/CreditsScene.oscn"},
        {"OptionsButton", "scenes/OptionsScene.oscn"},
        {"AchievementsButton", "scenes/AchievementsScene.oscn"},
    };
    for (const auto& c : cases) {
        LogCapture logs;
        EXPECT_TRUE(press(menu.get(), c.button));
        EXPECT_EQ(linesOf(logs, "Node was pressed"),
                  (std::vector<std::string>{std::string("Node was pressed|") + c.button}));
        EXPECT_EQ(refusals(logs),
                  (std::vector<std::string>{std::string("Unable to load scene file|") + c.file}));
    }
    for (const char* balloon : {"Baloon", "Baloon2"}) {
        LogCapture logs;
        EXPECT_TRUE(press(menu.get(), balloon));
        EXPECT_TRUE(refusals(logs).empty());
    }
    // Anything else is not the menu's.
    auto stranger = newNode("Stranger", menu.get());
    EXPECT_FALSE(menu->onEvent(makeEvent<CEventNodePressed>(stranger.get()).get()));
}

TEST(MainMenu, AnOpenedScreenComesOverTheMenu) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 2);
    world.write("scenes/CreditsScene.oscn",
                "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" "
                "Value=\"Credits\"/></Properties></SceneNode>");
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    world.show(menu.get());
    LogCapture logs;
    EXPECT_TRUE(press(menu.get(), "CreditsButton"));
    world.step(1000);
    ASSERT_NE(world.manager->getCurrentScene(), nullptr);
    EXPECT_EQ(std::string(world.manager->getCurrentScene()->getNodeName().c_str()), "Credits");
    EXPECT_TRUE(refusals(logs).empty());
}

// Two buttons clicked in quick succession: the second press ends after the first has opened
// its screen over the menu. The menu, left, does not act on it: no second screen, nothing asked
// of the loading screen; back on top, its buttons act again.
TEST(MainMenu, APressEndingAfterAnotherOpenedAScreenDoesNothing) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", -1);
    player.profile()->setInt(ProfileKeyLevelIndex, 7);
    world.write("scenes/CreditsScene.oscn",
                "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" "
                "Value=\"Credits\"/></Properties></SceneNode>");
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    world.show(menu.get());
    LogCapture logs;
    EXPECT_TRUE(press(menu.get(), "CreditsButton"));
    EXPECT_TRUE(press(menu.get(), "NewGameButton"));
    world.step(1000);
    ASSERT_NE(world.manager->getCurrentScene(), nullptr);
    EXPECT_EQ(std::string(world.manager->getCurrentScene()->getNodeName().c_str()), "Credits");
    EXPECT_TRUE(refusals(logs).empty());
    EXPECT_EQ(player.profile()->getInt(ProfileKeyLevelIndex), 7);  // New game did nothing
    ASSERT_TRUE(world.manager->getCurrentScene()->goBack());
    world.step(1000);
    ASSERT_EQ(world.manager->getCurrentScene(), menu.get());
    EXPECT_TRUE(press(menu.get(), "NewGameButton"));
    EXPECT_EQ(player.profile()->getInt(ProfileKeyLevelIndex), 0);
    EXPECT_EQ(
        refusals(logs),
        (std::vector<std::string>{"Unable to load scene file|scenes/LoadingLevelScene.oscn"}));
}

TEST(MainMenu, WithoutAPlayerTheEntryAsksForOneTwice) {
    MainMenuWorld world;
    ASSERT_EQ(CProfileManager::instance().getActiveProfile(), nullptr);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    LogCapture logs;
    world.show(menu.get());
    EXPECT_EQ(refusals(logs),
              (std::vector<std::string>{
                  "Unable to load scene file|scenes/SelectPlayerScene.oscn",
                  "Unable to load scene file|scenes/SelectPlayerInputNameScene.oscn"}));
}

TEST(MainMenu, WithAPlayerTheEntryAsksForNothing) {
    MainMenuWorld world;
    ActivePlayer player(L"Ada", 0);
    CRefPtr<GMainMenuScene> menu = world.makeMenu();
    LogCapture logs;
    world.show(menu.get());
    EXPECT_TRUE(refusals(logs).empty());
    EXPECT_EQ(linesOf(logs, "Scene entered"),
              (std::vector<std::string>{"Scene entered|GMainMenuScene"}));
}
