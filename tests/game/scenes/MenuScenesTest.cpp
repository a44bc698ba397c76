// The small scenes: the in-game menu's buttons, the quit confirmation, the help pages, the
// credits and the debug overlay.

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/video/CNullDriver.h"
#include "game/scenes/GHelpScene.h"
#include "game/scenes/GInGameMenuScene.h"
#include "tests/game/scenes/ShellTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr const char* kPlainScene =
    "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" Value=\"%s\"/>"
    "</Properties></SceneNode>";

std::string plainScene(const char* name) {
    std::string text = kPlainScene;
    return text.replace(text.find("%s"), 2, name);
}

template <class T>
CRefPtr<T> makeGameScene(ShellWorld& world, const char* name) {
    auto scene = makeRef<T>(world.context(name));
    scene->setNameId(id(name));
    scene->setBounds(1024, 768);
    addTransitionStates(scene.get());
    newNode("Scene", scene.get());
    scene->onLoaded();
    return scene;
}

// The in-game menu over the play screen, over the loading scene, over the main menu, and a world
// layer with a scene in it, its clock stopped.
struct InGameWorld : ShellWorld {
    explicit InGameWorld(bool withMainMenu = true) : ShellWorld("ingame") {
        write(GInGameMenuScene::OptionsFile, plainScene("Options"));
        write(GInGameMenuScene::HelpFile, plainScene("Help"));
        write(GInGameMenuScene::QuitFile, plainScene("Quit"));
        bottom = makeRef<KindScene>(
            "Bottom", withMainMenu ? GameNodeTypeMainMenuScene : GameNodeTypeMapScene);
        loading = makeRef<KindScene>("Loading", GameNodeTypeLoadingLevelScene);
        play = makeRef<KindScene>("Play", GameNodeTypeGamePlayScene);
        menu = makeGameScene<GInGameMenuScene>(*this, "InGameMenu");
        show(bottom.get());
        EXPECT_TRUE(bottom->switchTo(loading.get(), true));
        step(1000);
        EXPECT_TRUE(loading->switchTo(play.get(), false));
        step(1000);
        EXPECT_TRUE(play->switchTo(menu.get(), true));
        step(1000);
        world = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        level = makeRef<KindScene>("Level", GameNodeTypeGameLevelScene);
        world->setScene(level.get());
        services.worldSceneManager = world.get();
    }
    bool layerCleared() const {
        return world->getCurrentScene() == nullptr && services.worldScheduler->isEnabled();
    }
    CRefPtr<KindScene> bottom, loading, play, level;
    CRefPtr<GInGameMenuScene> menu;
    CRefPtr<SceneManager> world;
};

}  // namespace

TEST(InGameMenu, EachButtonGoesWhereItSays) {
    struct Case {
        const char* button;
        const char* transition;
        const char* reached;  // the current scene once the change has run
        bool cleared;         // the world layer
        bool menuShown;       // the menu stays visible below
    };
    const Case cases[] = {
        {"ResumeButton", "NavBackFrom>NavBackTo", "Play", false, false},
        {"RestartButton", "NavBackFrom>NavBackTo", "Loading", true, false},
        {"OptionsButton", "NavFrom>NavTo", "Options", false, true},
        {"HelpButton", "NavFrom>NavTo", "Help", false, true},
        {"MainMenuButton", "NavBackFrom>NavBackTo", "Bottom", true, false},
        {"ExitGameButton", "NoTransTo>NavTo", "Quit", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        InGameWorld world;
        BaseNode* button = addControl<ButtonNode>(world.menu.get(), c.button, 400, 300);
        EXPECT_TRUE(press(world.menu.get(), button));
        EXPECT_EQ(world.transition(), c.transition);
        EXPECT_EQ(world.layerCleared(), c.cleared);
        world.step(1000);
        ASSERT_NE(world.manager->getCurrentScene(), nullptr);
        EXPECT_EQ(world.manager->getCurrentScene()->getNodeName(), c.reached);
        EXPECT_EQ(world.menu->isVisible() && world.menu->getParent() != nullptr, c.menuShown);
    }
    InGameWorld world;
    BaseNode* other = addControl<ButtonNode>(world.menu.get(), "Other", 0, 0);
    EXPECT_FALSE(press(world.menu.get(), other));
}

TEST(InGameMenu, WithoutAMainMenuBelowTheMainMenuButtonStays) {
    InGameWorld world(false);
    BaseNode* button = addControl<ButtonNode>(world.menu.get(), "MainMenuButton", 0, 0);
    EXPECT_TRUE(press(world.menu.get(), button));
    EXPECT_EQ(world.transition(), "-");
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), world.menu.get());
}

TEST(InGameMenu, EscapeAndReturnResume) {
    for (u32 key : {u32(VirtualKeyEscape), u32(VirtualKeyEnter)}) {
        InGameWorld world;
        EXPECT_TRUE(keyUp(world.menu.get(), key));
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), world.play.get());
    }
}

TEST(QuitConfirmation, NoAndEscapeBringTheSceneBackAndYesEndsTheProgram) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        ShellWorld world("quit");
        auto below = makeRef<KindScene>("Menu", GameNodeTypeMainMenuScene);
        auto quit = makeGameScene<GQuitConfirmationScene>(world, "Quit");
        world.stack(below.get(), quit.get());
        if (way == 0) {
            EXPECT_TRUE(press(quit.get(), addControl<ButtonNode>(quit.get(), "NoButton", 0, 0)));
        }
        if (way == 1) {
            EXPECT_TRUE(keyUp(quit.get(), VirtualKeyEscape));
        }
        if (way == 2) {
            EXPECT_TRUE(press(quit.get(), addControl<ButtonNode>(quit.get(), "YesButton", 0, 0)));
        }
        EXPECT_EQ(world.services.closed, way == 2 ? 1u : 0u);
        EXPECT_EQ(world.transition(), way == 2 ? "-" : "NavBackFrom>NoTransTo");
        EXPECT_FALSE(keyUp(quit.get(), VirtualKeyEnter));
    }
}

namespace {

struct HelpWorld : ShellWorld {
    explicit HelpWorld(s32 pages) : ShellWorld("help") {
        help = makeRef<GHelpScene>(context("Help"));
        help->setNameId(id("Help"));
        addTransitionStates(help.get());
        BaseNode* inner = newNode("Scene", help.get()).get();
        auto* tabs = addControl<TabSceneNode>(inner, "TabScene", 0, 0, nullptr);
        for (s32 k = 1; k <= pages; ++k) newNode(("Tab" + std::to_string(k)).c_str(), tabs);
        tabs->setTabsCount(pages);
        tabs->onLoaded();
        tabs->selectTab(0, false);
        addControl<ButtonNode>(inner, "BackButton", 100, 700);
        addControl<ButtonNode>(inner, "NextButton", 900, 700);
        addControl<ButtonNode>(inner, "CloseButton", 1000, 0);
        help->onLoaded();
        menu = makeRef<KindScene>("Menu", GameNodeTypeInGameMenuScene);
        stack(menu.get(), help.get());
    }
    s32 page() const { return help->getTabScene()->getActiveTabIndex(); }
    CRefPtr<GHelpScene> help;
    CRefPtr<KindScene> menu;
};

}  // namespace

TEST(Help, PagesThroughWithThePreviousAndNextButtons) {
    HelpWorld world(4);
    GHelpScene* help = world.help.get();
    EXPECT_FALSE(help->getPrevButton()->isEnabled());  // first page, from entry
    EXPECT_TRUE(help->getNextButton()->isEnabled());
    EXPECT_FALSE(press(help, help->getPrevButton()));  // nothing before the first
    EXPECT_EQ(world.page(), 0);
    for (s32 k = 1; k < 4; ++k) {
        EXPECT_FALSE(press(help, help->getNextButton()));
        EXPECT_EQ(world.page(), k);
        EXPECT_TRUE(help->getPrevButton()->isEnabled());
    }
    EXPECT_FALSE(help->getNextButton()->isEnabled());  // the last page
    press(help, help->getNextButton());
    EXPECT_EQ(world.page(), 3);
    press(help, help->getPrevButton());
    EXPECT_EQ(world.page(), 2);
    EXPECT_TRUE(help->getNextButton()->isEnabled());
}

TEST(Help, ASinglePageDisablesBothAfterThePress) {
    HelpWorld world(1);
    GHelpScene* help = world.help.get();
    EXPECT_FALSE(help->getPrevButton()->isEnabled());
    EXPECT_TRUE(help->getNextButton()->isEnabled());  // the file's state until a press
    press(help, help->getNextButton());
    EXPECT_EQ(world.page(), 0);
    EXPECT_FALSE(help->getPrevButton()->isEnabled());
    EXPECT_FALSE(help->getNextButton()->isEnabled());
}

TEST(Help, CloseEscapeAndReturnGoBack) {
    for (int way = 0; way < 3; ++way) {
        HelpWorld world(2);
        if (way == 0) {
            EXPECT_TRUE(press(world.help.get(), world.help->findChildByName("CloseButton", 0)));
        }
        if (way == 1) {
            EXPECT_TRUE(keyUp(world.help.get(), VirtualKeyEscape));
        }
        if (way == 2) {
            EXPECT_TRUE(keyUp(world.help.get(), VirtualKeyEnter));
        }
        EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
    }
}

TEST(Credits, GoBackWithTheSlideByButtonEscapeAndReturn) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        ShellWorld world("credits");
        auto menu = makeRef<KindScene>("Menu", GameNodeTypeMainMenuScene);
        auto credits = makeGameScene<GCreditsScene>(world, "Credits");
        world.stack(menu.get(), credits.get());
        if (way == 0) {
            EXPECT_TRUE(
                press(credits.get(), addControl<ButtonNode>(credits.get(), "BackButton", 0, 0)));
        }
        if (way == 1) {
            EXPECT_TRUE(keyUp(credits.get(), VirtualKeyEscape));
        }
        if (way == 2) {
            EXPECT_TRUE(keyUp(credits.get(), VirtualKeyEnter));
        }
        EXPECT_EQ(world.transition(), "NavBackFrom>NavBackToSlide");
        EXPECT_FALSE(keyUp(credits.get(), VirtualKeySpace));
    }
}

namespace {

// A driver whose counters the test sets.
class CountingDriver : public CNullDriver {
public:
    CountingDriver() : CNullDriver(SDeviceParameters(), nullptr) {}
    s32 getFPS() const override { return fps; }
    u32 getPrimitiveCountDrawn(u32 mode) const override { return mode == 0 ? primitives : 0; }
    s32 fps = 0;
    u32 primitives = 0;
};

}  // namespace

TEST(DebugStats, ShowsTheFrameRateTheStepAndTheQuadsOnEveryUpdate) {
    ShellWorld world("debugstats");
    auto driver = CRefPtr<CountingDriver>::fromRaw(new CountingDriver());
    world.services.videoDriver = driver.get();
    auto below = makeRef<KindScene>("Play", GameNodeTypeGamePlayScene);
    auto stats = makeRef<GDebugStatsScene>(world.context("Stats"));
    EXPECT_EQ(stats->getUpdatePeriod(), 0u);
    EXPECT_EQ(stats->getStatsText(), nullptr);
    world.stack(below.get(), stats.get());
    TextNode* text = stats->getStatsText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getParent(), stats.get());
    EXPECT_EQ(text->getPosition(), vector3df(0, 0, 0));
    driver->fps = 58;
    driver->primitives = 40;
    world.services.lastStep = 10;
    world.step(16);
    EXPECT_EQ(utf8(text->getText()), "fps: 58\nms:10\n20");
    driver->fps = 61;
    world.step(1);
    EXPECT_EQ(utf8(text->getText()), "fps: 61\nms:10\n20");
    // Without a driver the text keeps its last value.
    world.services.videoDriver = nullptr;
    driver->fps = 5;
    world.step(16);
    EXPECT_EQ(utf8(text->getText()), "fps: 61\nms:10\n20");
    // Entered again: a text node of its own, the old one gone.
    CRefPtr<TextNode> old(text);
    stats->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(below.get(), stats.get(), true).get());
    EXPECT_NE(stats->getStatsText(), old.get());
    EXPECT_EQ(old->getParent(), nullptr);
    EXPECT_EQ(utf8(stats->getStatsText()->getText()), "0");
}
