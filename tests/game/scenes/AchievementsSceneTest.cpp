// The achievements screen (its three lists and the earned count, filled on every entry, the
// money shown as money, going back) and the pop-up that announces one achievement (its parts,
// how a caller shows it, how it closes).

#include <gtest/gtest.h>

#include "engine/core/StringUtils.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "tests/game/scenes/ShopTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr s32 kCount = static_cast<s32>(GAchievementsProgress::AchievementCount);

std::string narrow(const stringw& text) { return toUtf8(text.c_str()); }

// The screen as its scene file lays it out: "Scene" with "TabScene" (three pages with a list
// each), "EarnedText" and the back button.
CRefPtr<GAchievementsScene> makeAchievements(ShopWorld& world) {
    auto scene = makeRef<GAchievementsScene>(world.context("AchievementsScene"));
    scene->setNameId(id("AchievementsScene"));
    scene->setBounds(1024, 768);
    auto* body = addControl(scene.get(), "Scene", 0, 0, nullptr);
    auto tabs = makeRef<TabSceneNode>(CCreationContext());
    tabs->setNameId(id("TabScene"));
    tabs->setTabsCount(3);
    body->addChild(tabs.get());
    for (const char* page : {"Tab1", "Tab2", "Tab3"}) {
        BaseNode* node = addControl(tabs.get(), page, 0, 0, nullptr);
        auto list = makeRef<ListNode>(CCreationContext());
        list->setNameId(id("AchievementsList"));
        node->addChild(list.get());
    }
    for (const char* button : {"Tab1Button", "Tab2Button", "Tab3Button"})
        addControl(tabs.get(), button, 0, 0);
    tabs->onLoaded();
    ShopWorld::addText(body, "EarnedText");
    addControl(body, "BackButton", 40, 700);
    scene->onLoaded();
    return scene;
}

// A plain scene reading the world's content, as a scene loaded from a file does.
CRefPtr<SceneNode> contentScene(ShopWorld& world, const char* name) {
    auto scene = makeRef<SceneNode>(world.context(name));
    scene->setNameId(id(name));
    scene->setBounds(800, 600);
    return scene;
}

bool enter(GBaseSceneNode* scene) {
    return scene->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, scene, true).get());
}

bool keyUp(SceneNode* scene, u32 key) {
    return scene->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, false, false).get());
}

// The states the scene started on its own node, as its entry and exit transitions.
struct StateLog : CEventReceiver {
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventNodeStateStarted)
            states.push_back(nameOf(static_cast<CEventNodeState*>(event)->getStateId()));
        return false;
    }
    std::vector<std::string> states;
};

}  // namespace

TEST(Achievements, FindsItsListsAndText) {
    ShopWorld world;
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    EXPECT_EQ(scene->getTypeId(), GameNodeTypeAchievementsScene);
    for (s32 kind : {s32(GameNodeTypeAchievementsScene), s32(GameNodeTypeBaseScene),
                     s32(NodeTypeScene), s32(NodeTypeControl), s32(NodeTypeBase)})
        EXPECT_TRUE(scene->isKindOf(kind)) << kind;
    ASSERT_NE(scene->getAllList(), nullptr);
    ASSERT_NE(scene->getEarnedList(), nullptr);
    ASSERT_NE(scene->getToEarnList(), nullptr);
    EXPECT_NE(scene->getAllList(), scene->getEarnedList());
    EXPECT_NE(scene->getEarnedText(), nullptr);
    EXPECT_FALSE(scene->isBackByKey());

    // A node of the name but of another kind counts as missing, and the entry copes.
    auto other = makeRef<GAchievementsScene>(world.context("AchievementsScene"));
    BaseNode* tabs = newNode("TabScene", newNode("Scene", other.get()).get()).get();
    newNode("AchievementsList", newNode("Tab1", tabs).get());
    newNode("EarnedText", other->findChildByName(id("Scene"), 1));
    other->onLoaded();
    EXPECT_EQ(other->getAllList(), nullptr);
    EXPECT_EQ(other->getEarnedList(), nullptr);
    EXPECT_EQ(other->getEarnedText(), nullptr);
    EXPECT_TRUE(enter(other.get()));
}

TEST(Achievements, AResetTrackerHasNothingEarnedAndTwelveToEarn) {
    ShopWorld world;
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    EXPECT_TRUE(enter(scene.get()));
    EXPECT_EQ(narrow(scene->getEarnedText()->getText()), "0/12");
    EXPECT_EQ(scene->getEarnedList()->getItemsCount(), 0u);
    ListNode* all = scene->getAllList();
    ListNode* toEarn = scene->getToEarnList();
    ASSERT_EQ(all->getItemsCount(), 12u);
    ASSERT_EQ(toEarn->getItemsCount(), 12u);
    EXPECT_EQ(narrow(all->getItemText(0, 2)), "1/6");
    EXPECT_EQ(narrow(toEarn->getItemText(0, 2)), "1/6");
    EXPECT_EQ(narrow(all->getItemText(4, 2)), "0/50");
    EXPECT_EQ(narrow(all->getItemText(9, 2)), "$0/$10,000,000");
    GAchievementsProgress& progress = *world.services.progress;
    for (s32 i = 0; i < kCount; ++i) {
        EXPECT_EQ(all->getItemText(i, 0), progress.getNameKey(i)) << i;
        EXPECT_EQ(all->getItemText(i, 1), progress.getDescBeforeKey(i)) << i;
        EXPECT_EQ(toEarn->getItemText(i, 1), progress.getDescBeforeKey(i)) << i;
        EXPECT_NE(all->getItemImage(i, 0), nullptr) << i;
        EXPECT_EQ(all->getItemImage(i, 0), toEarn->getItemImage(i, 0)) << i;
    }
    EXPECT_NE(all->getItemImage(0, 0), all->getItemImage(1, 0));
}

TEST(Achievements, MoneyIsShownAsMoney) {
    ShopWorld world;
    world.services.progress->addProgress(8, 3000000);
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    enter(scene.get());
    EXPECT_EQ(narrow(scene->getAllList()->getItemText(8, 2)), "$3,000,000/$7,500,000");
    EXPECT_EQ(narrow(scene->getToEarnList()->getItemText(8, 2)), "$3,000,000/$7,500,000");
    EXPECT_EQ(narrow(GAchievementsScene::progressText(*world.services.progress, 7)),
              "$0/$2,500,000");
    // Without a dictionary the numbers stand alone.
    world.services.dictionary = nullptr;
    EXPECT_EQ(narrow(GAchievementsScene::progressText(*world.services.progress, 8)),
              "3,000,000/7,500,000");
}

TEST(Achievements, EarnedAchievementsMoveToTheEarnedList) {
    ShopWorld world;
    GAchievementsProgress& progress = *world.services.progress;
    progress.addProgress(1, 5);        // above its threshold: earned all the same
    progress.addProgress(7, 3000000);  // earned
    progress.addProgress(11, 29);      // one short
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    enter(scene.get());
    EXPECT_EQ(narrow(scene->getEarnedText()->getText()), "2/12");
    ListNode* all = scene->getAllList();
    EXPECT_EQ(narrow(all->getItemText(1, 2)), "%Achievements_AlreadyEarned%");
    EXPECT_EQ(all->getItemText(1, 1), progress.getDescAfterKey(1));
    EXPECT_EQ(narrow(all->getItemText(11, 2)), "29/30");

    ListNode* earned = scene->getEarnedList();
    ASSERT_EQ(earned->getItemsCount(), 2u);
    EXPECT_EQ(earned->getItemText(0, 0), progress.getNameKey(1));
    EXPECT_EQ(earned->getItemText(0, 1), stringw(L"\n") + progress.getDescAfterKey(1));
    EXPECT_EQ(narrow(earned->getItemText(0, 2)), "");
    EXPECT_EQ(earned->getItemText(1, 0), progress.getNameKey(7));
    EXPECT_EQ(earned->getItemImage(1, 0), all->getItemImage(7, 0));

    ListNode* toEarn = scene->getToEarnList();
    ASSERT_EQ(toEarn->getItemsCount(), 10u);
    EXPECT_EQ(toEarn->getItemText(0, 0), progress.getNameKey(0));
    EXPECT_EQ(toEarn->getItemText(1, 0), progress.getNameKey(2));  // 1 is earned
    EXPECT_EQ(toEarn->getItemText(9, 0), progress.getNameKey(11));
}

TEST(Achievements, EveryEntryFillsTheListsAgain) {
    ShopWorld world;
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    enter(scene.get());
    EXPECT_EQ(scene->getToEarnList()->getItemsCount(), 12u);
    world.services.progress->addProgress(2, 3);
    world.services.progress->addProgress(3, 3);
    EXPECT_EQ(narrow(scene->getEarnedText()->getText()), "0/12");
    enter(scene.get());
    EXPECT_EQ(narrow(scene->getEarnedText()->getText()), "2/12");
    EXPECT_EQ(scene->getEarnedList()->getItemsCount(), 2u);
    EXPECT_EQ(scene->getToEarnList()->getItemsCount(), 10u);
    // Leaving fills nothing.
    world.services.progress->reset();
    EXPECT_FALSE(
        scene->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(scene.get(), nullptr, true).get()));
    EXPECT_EQ(narrow(scene->getEarnedText()->getText()), "2/12");
}

TEST(Achievements, TheBackButtonEscapeAndReturnGoBackSlidingTheMenuIn) {
    for (int way = 0; way < 3; ++way) {
        ShopWorld world;
        CRefPtr<SceneNode> menu = makeScene("MainMenu");
        auto log = makeRef<StateLog>();
        menu->addPreReceiver(log.get());
        world.show(menu.get());
        CRefPtr<GAchievementsScene> scene = makeAchievements(world);
        ASSERT_TRUE(menu->switchTo(scene.get(), true));
        world.step(1000);
        world.step(1000);
        log->states.clear();
        if (way == 0)
            EXPECT_TRUE(scene->onEvent(
                makeEvent<CEventNodePressed>(scene->findChildByName(id("BackButton"), 0)).get()));
        else
            EXPECT_TRUE(keyUp(scene.get(), way == 1 ? VirtualKeyEscape : VirtualKeyEnter));
        world.step(1000);
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), menu.get()) << way;
        ASSERT_FALSE(log->states.empty()) << way;
        EXPECT_EQ(log->states.front(), "NavBackToSlide") << way;
        menu->removePreReceiver(log.get());
    }
    // Another key or another button does nothing.
    ShopWorld world;
    CRefPtr<GAchievementsScene> scene = makeAchievements(world);
    EXPECT_FALSE(keyUp(scene.get(), VirtualKeySpace));
    EXPECT_FALSE(scene->onEvent(
        makeEvent<CEventNodePressed>(scene->findChildByName(id("Tab2Button"), 0)).get()));
}

// ---- The pop-up ----

TEST(AchievementPopUp, ShowsTheIconNameAndEarnedDescription) {
    ShopWorld world;
    CResource* loaded = world.content->getContentByPath(
        TypeCodeSceneNode, stringc(GAchievementUnlockedScene::SceneFile), true);
    ASSERT_NE(loaded, nullptr);
    CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
    auto* popUp = dynamic_cast<GAchievementUnlockedScene*>(loaded);
    ASSERT_NE(popUp, nullptr);
    EXPECT_EQ(popUp->getTypeId(), GameNodeTypeAchievementUnlockedScene);
    EXPECT_TRUE(popUp->isKindOf(GameNodeTypeBaseScene));
    EXPECT_TRUE(popUp->isBackByKey());
    ASSERT_NE(popUp->getImage(), nullptr);
    ASSERT_NE(popUp->getNameText(), nullptr);
    ASSERT_NE(popUp->getDescriptionText(), nullptr);
    popUp->setAchievement(10);
    GAchievementsProgress& progress = *world.services.progress;
    EXPECT_EQ(popUp->getNameText()->getText(), progress.getNameKey(10));
    EXPECT_EQ(popUp->getDescriptionText()->getText(), progress.getDescAfterKey(10));
    CResource* icon =
        world.content->getContentByPath(TypeCodeAtlasTexture, progress.getIconPath(10), true);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(static_cast<CResource*>(popUp->getImage()->getAtlasTexture()), icon);
    icon->drop();

    // Without its parts it takes the call all the same.
    auto bare = makeRef<GAchievementUnlockedScene>(world.context("Bare"));
    bare->onLoaded();
    bare->setAchievement(3);
    EXPECT_EQ(bare->getImage(), nullptr);
}

TEST(AchievementPopUp, ClosesOnEscapeReturnAndItsOkButton) {
    for (int way = 0; way < 3; ++way) {
        ShopWorld world;
        CRefPtr<SceneNode> shop = contentScene(world, "Shop");
        world.show(shop.get());
        ASSERT_TRUE(GAchievementUnlockedScene::show(shop.get(), 2));
        EXPECT_EQ(world.services.playedCues(), std::vector<std::string>{"AchievementUnlocked"});
        world.step(1000);
        world.step(1000);
        auto* popUp = dynamic_cast<GAchievementUnlockedScene*>(world.manager->getCurrentScene());
        ASSERT_NE(popUp, nullptr);
        EXPECT_TRUE(shop->isVisible());  // kept visible under the pop-up
        EXPECT_FALSE(keyUp(popUp, VirtualKeySpace));
        if (way == 0) {
            BaseNode* ok = newNode("OkButton", popUp->findChildByName(id("Scene"), 1)).get();
            EXPECT_TRUE(popUp->onEvent(makeEvent<CEventNodePressed>(ok).get()));
        } else {
            EXPECT_TRUE(keyUp(popUp, way == 1 ? VirtualKeyEscape : VirtualKeyEnter));
        }
        world.step(1000);
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), shop.get()) << way;
        EXPECT_EQ(world.popUps(), 0u) << way;
    }
}

TEST(AchievementPopUp, IsNotShownFromAFileOfAnotherKind) {
    ShopWorld world;
    CRefPtr<SceneNode> shop = contentScene(world, "Shop");
    world.show(shop.get());
    world.write(GAchievementUnlockedScene::SceneFile,
                "<?xml version=\"1.0\"?><SceneNode Type=\"SceneNode\"><Properties>"
                "<string Name=\"Name\" Value=\"Other\"/></Properties></SceneNode>");
    EXPECT_FALSE(GAchievementUnlockedScene::show(shop.get(), 2));
    // Nor without a content manager to load it with.
    EXPECT_FALSE(GAchievementUnlockedScene::show(makeScene("Bare").get(), 2));
    std::filesystem::remove(world.folder / GAchievementUnlockedScene::SceneFile);
    EXPECT_FALSE(GAchievementUnlockedScene::show(shop.get(), 2));
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), shop.get());
    EXPECT_TRUE(world.services.playedCues().empty());
}
