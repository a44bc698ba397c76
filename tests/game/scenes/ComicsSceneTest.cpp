// A comic page: parts in turn, their boxes on clicks or by themselves, the dark background, the
// back button at the end, the hand-over to the auction and the return, and indexes outside the
// page's parts and boxes.

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/animation/Animator.h"
#include "game/scenes/GComicsScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "tests/game/scenes/ShellTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr u32 StateTime = 100;

// The node with the states of a comic's pieces, each StateTime long.
BaseNode* addPiece(BaseNode* parent, const char* name) {
    BaseNode* node = newNode(name, parent).get();
    BaseNode* look = newNode("Look", node).get();
    for (const char* state : {"OnAppear", "OnDisappear", "Unhide"})
        look->addState(timedState(state, StateTime).get());
    // A box plays its states itself.
    for (const char* state : {"OnAppear", "OnDisappear"})
        node->addState(timedState(state, StateTime).get());
    return node;
}

// The state the node or its first child plays now, or "".
std::string playing(const BaseNode* node) {
    for (const BaseNode* n : {node, node->getChildren().empty() ? node : node->getChildren()[0]})
        if (Animator* animator = n->getRunningAnimator()) return nameOf(animator->getState());
    return "";
}

struct ComicsWorld : ShellWorld {
    ComicsWorld() : ShellWorld("comics") {
        addCue(GSoundCueIds::get().ComicsMusic);
        addCue(GSoundCueIds::get().ObjectivesWindow, 0);
        addCue(CNameId(GComicsScene::TextCue), 0);
    }
    // A page whose parts hold the boxes named in each list ("" for a part without "Bg"; "M"
    // marks the part for the mini-game).
    CRefPtr<GComicsScene> make(const std::vector<std::vector<std::string>>& parts,
                               bool darkBg = true) {
        auto page = makeRef<GComicsScene>(context("ComicsScene1"));
        page->setNameId(id("ComicsScene1"));
        page->setBounds(1024, 768);
        addTransitionStates(page.get());
        BaseNode* inner = newNode("Scene", page.get()).get();
        if (darkBg) addPiece(inner, "DarkBg");
        addControl(inner, "PageArea", 0, 0);
        BaseNode* back = addControl(inner, "BackButton", 900, 700);
        back->addState(timedState("OnAppear", StateTime).get());
        BaseNode* holder = newNode("Parts", inner).get();
        int n = 0;
        for (const std::vector<std::string>& boxes : parts) {
            BaseNode* part = addPiece(holder, ("Part" + std::to_string(++n)).c_str());
            BaseNode* bg = nullptr;
            for (const std::string& box : boxes) {
                if (box == "M") {
                    newNode("NavToMini3Marker", part);
                    continue;
                }
                if (!bg) bg = newNode("Bg", part).get();
                addPiece(bg, box.c_str());
            }
        }
        page->onLoaded();
        return page;
    }
    void open(GComicsScene* page) {
        below = makeRef<KindScene>("Map", GameNodeTypeMapScene);
        show(below.get());
        ASSERT_TRUE(below->switchTo(page, false));
        step(StateTime);  // the page's entry
    }
    bool click(GComicsScene* page) { return press(page, page->findChildByName("PageArea", 0)); }
    static BaseNode* part(GComicsScene* page, u32 i) {
        return page->findChildByName("Parts", 0)->getChildren()[i];
    }
    static BaseNode* box(GComicsScene* page, u32 p, u32 i) {
        return part(page, p)->findChildByName("Bg", 1)->getChildren()[i];
    }
    CRefPtr<KindScene> below;
};

}  // namespace

TEST(Comics, APartWithoutBoxesDisappearsAsSoonAsItHasAppeared) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({{}, {"TextBg"}});
    world.open(page.get());
    EXPECT_EQ(page->getPartIndex(), 0);
    EXPECT_TRUE(ComicsWorld::part(page.get(), 0)->isVisible());
    EXPECT_FALSE(ComicsWorld::part(page.get(), 1)->isVisible());
    EXPECT_EQ(playing(ComicsWorld::part(page.get(), 0)), "OnAppear");
    EXPECT_EQ(world.started("ObjectivesWindow"), 1u);
    EXPECT_EQ(world.started("ComicsMusic"), 1u);
    world.step(StateTime);
    EXPECT_TRUE(page->isPartEnding());
    EXPECT_EQ(playing(ComicsWorld::part(page.get(), 0)), "OnDisappear");
    world.step(StateTime);
    EXPECT_EQ(page->getPartIndex(), 1);
    EXPECT_FALSE(page->isPartEnding());
    EXPECT_EQ(world.started("ObjectivesWindow"), 2u);
}

TEST(Comics, TextBoxesWaitForClicksAndEndThePartWithTheLast) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({{"TextBg", "TextBg"}, {}});
    world.open(page.get());
    BaseNode* first = ComicsWorld::box(page.get(), 0, 0);
    BaseNode* second = ComicsWorld::box(page.get(), 0, 1);
    EXPECT_FALSE(first->isVisible());
    world.step(StateTime);  // the part has appeared: the first box comes
    EXPECT_EQ(page->getTextIndex(), 0);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(world.started("ComicsText"), 1u);
    world.step(1000);  // and waits
    EXPECT_EQ(page->getTextIndex(), 0);
    EXPECT_TRUE(world.click(page.get()));
    EXPECT_EQ(playing(first), "OnDisappear");
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(page->getTextIndex(), 1);
    world.step(1000);
    EXPECT_EQ(page->getPartIndex(), 0);  // still waiting for the last click
    world.click(page.get());
    world.step(StateTime);  // the last box has gone: the part goes
    EXPECT_TRUE(page->isPartEnding());
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    // Clicks while the part disappears do nothing.
    EXPECT_TRUE(world.click(page.get()));
    EXPECT_TRUE(page->isPartEnding());
    EXPECT_EQ(page->getPartIndex(), 0);
    world.step(StateTime);
    EXPECT_EQ(page->getPartIndex(), 1);
}

TEST(Comics, NoWaitBoxesFollowEachOtherAndALastOneKeepsThePart) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page =
        world.make({{"TextBgNoWait", "TextBgNoDisappear", "TextBgNoWait"}, {}});
    world.open(page.get());
    world.step(StateTime);  // part
    EXPECT_EQ(page->getTextIndex(), 0);
    world.step(StateTime);
    EXPECT_EQ(page->getTextIndex(), 1);
    world.step(StateTime);
    EXPECT_EQ(page->getTextIndex(), 2);
    world.step(StateTime);
    for (u32 i = 0; i < 3; ++i) EXPECT_TRUE(ComicsWorld::box(page.get(), 0, i)->isVisible()) << i;
    // The last box never disappears, so the part stays until the page is left.
    world.step(2000);
    EXPECT_EQ(page->getPartIndex(), 0);
    EXPECT_FALSE(page->isPartEnding());
    world.click(page.get());
    world.step(2000);
    EXPECT_EQ(page->getPartIndex(), 0);
}

TEST(Comics, TheBoxesThatDoNotDisappearStayAfterTheirPart) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({{"TextBgNoDisappear", "TextBg"}, {}});
    world.open(page.get());
    world.step(StateTime);
    world.step(StateTime);  // the first chains on to the second
    EXPECT_EQ(page->getTextIndex(), 1);
    world.click(page.get());
    world.step(StateTime);
    EXPECT_TRUE(page->isPartEnding());
    EXPECT_TRUE(ComicsWorld::box(page.get(), 0, 0)->isVisible());
    EXPECT_FALSE(ComicsWorld::box(page.get(), 0, 1)->isVisible());
}

TEST(Comics, TheDarkBackgroundComesWithTheFirstPartAndGoesWithTheLast) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({{"TextBg"}, {"TextBg"}, {"TextBg"}});
    world.open(page.get());
    BaseNode* dark = page->getDarkBg();
    ASSERT_NE(dark, nullptr);
    world.step(StateTime);
    world.click(page.get());
    world.step(StateTime / 2);
    EXPECT_EQ(playing(dark), "");
    world.step(StateTime / 2);  // the first part's last box has gone
    EXPECT_EQ(playing(dark), "OnAppear");
    for (int p = 1; p < 3; ++p) {
        world.step(StateTime);  // the part disappears
        world.step(StateTime);  // the next appears
        EXPECT_EQ(page->getPartIndex(), p);
        world.click(page.get());
        world.step(StateTime);
    }
    EXPECT_EQ(playing(dark), "OnDisappear");
    EXPECT_EQ(playing(ComicsWorld::part(page.get(), 0)), "Unhide");
    EXPECT_EQ(playing(ComicsWorld::part(page.get(), 1)), "Unhide");
    EXPECT_EQ(playing(ComicsWorld::part(page.get(), 2)), "OnDisappear");
    world.step(StateTime);
    // After the last part the back button appears.
    EXPECT_EQ(page->getPartIndex(), 3);
    EXPECT_TRUE(page->getBackButton()->isVisible());
    EXPECT_EQ(playing(page->getBackButton()), "OnAppear");
}

TEST(Comics, APageWithoutPartsShowsTheBackButtonAtOnce) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({});
    EXPECT_TRUE(page->getBackButton()->isVisible());
    world.open(page.get());
    EXPECT_EQ(page->getPartCount(), 0u);
    EXPECT_TRUE(world.click(page.get()));  // nothing to show
    // Without "Parts" at all.
    auto bare = makeRef<GComicsScene>(world.context("Bare"));
    BaseNode* inner = newNode("Scene", bare.get()).get();
    addControl(inner, "BackButton", 0, 0);
    bare->onLoaded();
    EXPECT_FALSE(bare->findChildByName("BackButton", 0)->isVisible());
    bare->showNextPart();
    EXPECT_TRUE(bare->findChildByName("BackButton", 0)->isVisible());
}

TEST(Comics, PressesAndStateEndsOutsideThePartsReadNothing) {
    ComicsWorld world;
    CRefPtr<GComicsScene> page = world.make({{"TextBg"}});
    // Before the first part: no part and no box is current.
    EXPECT_EQ(page->getPartIndex(), -1);
    EXPECT_TRUE(world.click(page.get()));
    EXPECT_EQ(page->getTextIndex(), -1);
    BaseNode* box = ComicsWorld::box(page.get(), 0, 0);
    page->onEvent(makeEvent<CEventNodeChildStateFinished>(box, id("OnDisappear")).get());
    page->onEvent(
        makeEvent<CEventNodeStateFinished>(ComicsWorld::part(page.get(), 0), id("OnDisappear"))
            .get());
    EXPECT_EQ(page->getPartIndex(), -1);
    EXPECT_FALSE(page->isPartEnding());
    // Past the last part likewise.
    world.open(page.get());
    world.step(StateTime);
    world.click(page.get());
    for (int i = 0; i < 3; ++i) world.step(StateTime);
    ASSERT_EQ(page->getPartIndex(), 1);
    EXPECT_TRUE(world.click(page.get()));
    page->showNextText();
    EXPECT_EQ(page->getPartIndex(), 1);
}

TEST(Comics, TheBackButtonAndEscapeLeaveButEnterDoesNot) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        ComicsWorld world;
        CRefPtr<GComicsScene> page = world.make({{"TextBg"}});
        world.open(page.get());
        world.step(StateTime);
        if (way == 0) {
            EXPECT_TRUE(press(page.get(), page->getBackButton()));
        }
        if (way == 1) {
            EXPECT_TRUE(keyUp(page.get(), VirtualKeyEscape));
        }
        if (way == 2) {
            EXPECT_FALSE(keyUp(page.get(), VirtualKeyEnter));
        }
        EXPECT_EQ(world.transition(), way == 2 ? "-" : "NavBackFrom>NavBackTo");
    }
}

TEST(Comics, TheMarkedPartHandsOverOnceAndThePageGoesOnAfterwards) {
    ComicsWorld world;
    world.write(GComicsScene::LoadingLevelFile,
                "<SceneNode Type=\"SceneNode\"><Properties>"
                "<string Name=\"Name\" Value=\"Loading\"/></Properties></SceneNode>");
    CRefPtr<GComicsScene> page = world.make({{}, {"M", "TextBg"}, {}});
    world.open(page.get());
    world.step(StateTime);  // part 1 appeared and goes
    world.step(StateTime);  // the marked part: the loading scene instead
    EXPECT_TRUE(page->isMiniGameShown());
    EXPECT_EQ(page->getPartIndex(), 0);
    EXPECT_EQ(world.transition(), "NavFromComics3>NavToComics3");
    world.step(1000);
    SceneNode* loading = world.manager->getCurrentScene();
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->getNodeName(), "Loading");
    EXPECT_TRUE(page->isVisible());  // kept below
    // Back from the mini-game: the marked part, this time shown.
    ASSERT_TRUE(loading->goBack(0));
    world.step(StateTime);
    EXPECT_EQ(page->getPartIndex(), 1);
    EXPECT_TRUE(ComicsWorld::part(page.get(), 1)->isVisible());
    world.step(StateTime);
    EXPECT_EQ(page->getTextIndex(), 0);
    // Entered forward again, the page starts over and hands over no more.
    world.step(1000);
    ASSERT_TRUE(page->goBack(0));
    world.step(1000);
    ASSERT_TRUE(world.below->switchTo(page.get(), false));
    world.step(StateTime);
    EXPECT_EQ(page->getPartIndex(), 0);
    world.step(StateTime);
    world.step(StateTime);
    EXPECT_EQ(page->getPartIndex(), 1);
    EXPECT_EQ(world.manager->getCurrentScene(), page.get());
}

// The loading screen the page hands over to is told the auction's level: it asks for that
// level's folder (and, with no level there, says so and goes back).
TEST(Comics, TheHandOverNamesTheAuctionToTheLoadingScreen) {
    if (!CNodeFactory::instance().isNodeClassRegistered(L"GLoadingLevelScene"))
        CNodeFactory::instance().registerNodeClass(
            L"GLoadingLevelScene", [](const CCreationContext& context) -> BaseNode* {
                return new GLoadingLevelScene(context);
            });
    ComicsWorld world;
    world.write(GComicsScene::LoadingLevelFile,
                "<SceneNode Type=\"SceneNode\" ClassOverride=\"GLoadingLevelScene\">"
                "<Properties><string Name=\"Name\" Value=\"Loading\"/></Properties></SceneNode>");
    CRefPtr<GComicsScene> page = world.make({{}, {"M", "TextBg"}, {}});
    world.open(page.get());
    LogCapture logs;
    world.step(StateTime);
    world.step(StateTime);  // the marked part: the loading screen instead
    EXPECT_TRUE(page->isMiniGameShown());
    world.step(1000);
    bool asked = false;
    for (const LogCapture::Line& line : logs.lines())
        if (line.text == "Unable to load level scene" && line.hint == "levels/minigame_auction/")
            asked = true;
    EXPECT_TRUE(asked);
}
