// The player selection and the name entry: the list and the buttons for each number of players,
// choosing, deleting after the question, names refused and accepted, and the file they write.

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/MessageBoxNode.h"
#include "game/scenes/GSelectPlayerScene.h"
#include "tests/game/scenes/ShellTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

struct PlayersWorld : ShellWorld {
    PlayersWorld() : ShellWorld("players") {
        // The yes/no box: a title, a body and two buttons.
        BaseNode* box = newNode("MessageBox2Buttons", templates.get()).get();
        for (const char* name : {"TitleText", "BodyText"}) {
            auto text = makeRef<TextNode>(CCreationContext());
            text->setNameId(id(name));
            box->addChild(text.get());
        }
        addControl<ButtonNode>(box, "Button", 20, 70);
        addControl<ButtonNode>(box, "Button", 120, 70);
        templates->onLoaded();
    }
    CRefPtr<GSelectPlayerScene> makeSelection() {
        auto scene = makeRef<GSelectPlayerScene>(context("SelectPlayerScene"));
        scene->setNameId(id("SelectPlayerScene"));
        scene->setBounds(1024, 768);
        addTransitionStates(scene.get());
        BaseNode* inner = newNode("Scene", scene.get()).get();
        addControl<ListNode>(inner, "PlayersList", 300, 100, nullptr);
        addControl<ButtonNode>(inner, "OkButton", 300, 500);
        addControl<ButtonNode>(inner, "NewPlayerButton", 400, 500);
        addControl<ButtonNode>(inner, "DeletePlayerButton", 500, 500);
        scene->onLoaded();
        return scene;
    }
    CRefPtr<GSelectPlayerInputNameScene> makeNameEntry() {
        auto scene = makeRef<GSelectPlayerInputNameScene>(context("InputNameScene"));
        scene->setNameId(id("InputNameScene"));
        scene->setBounds(1024, 768);
        addTransitionStates(scene.get());
        BaseNode* inner = newNode("Scene", scene.get()).get();
        addControl<EditNode>(inner, "NameEdit", 300, 100, nullptr);
        addControl<ButtonNode>(inner, "OkButton", 300, 500);
        addControl<ButtonNode>(inner, "CancelButton", 400, 500);
        scene->onLoaded();
        return scene;
    }
    // The names in the list.
    static std::vector<std::string> listed(const GSelectPlayerScene& scene) {
        std::vector<std::string> names;
        for (u32 i = 0; i < scene.getPlayersList()->getItemsCount(); ++i)
            names.push_back(utf8(scene.getPlayersList()->getItemText(static_cast<s32>(i), 0)));
        return names;
    }
};

bool answer(GSelectPlayerScene* scene, s32 button) {
    return scene->onEvent(makeEvent<CEventNodeMessageBoxResult>(button).get());
}

}  // namespace

TEST(SelectPlayer, EntryListsThePlayersAndEnablesTheButtonsByTheirNumber) {
    struct Case {
        u32 players;
        bool ok, add, remove;
    };
    for (const Case& c : {Case{0, false, true, false}, Case{1, true, true, true},
                          Case{9, true, true, true}, Case{10, true, false, true}}) {
        SCOPED_TRACE(c.players);
        SavedPlayers players;
        std::vector<std::wstring> names;
        for (u32 i = 0; i < c.players; ++i) names.push_back(L"P" + std::to_wstring(i));
        for (const std::wstring& name : names)
            ASSERT_TRUE(players.profiles().addProfile(name.c_str()));
        if (c.players > 1) players.profiles().setActiveProfile(1);
        PlayersWorld world;
        auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
        CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
        world.stack(menu.get(), scene.get());
        EXPECT_EQ(scene->getPlayersList()->getItemsCount(), c.players);
        if (c.players > 1) {
            EXPECT_EQ(PlayersWorld::listed(*scene)[1], "P1");
            EXPECT_EQ(scene->getPlayersList()->getSelectedItem(), 1);  // the active one
        }
        EXPECT_EQ(scene->getOkButton()->isEnabled(), c.ok);
        EXPECT_EQ(scene->getNewPlayerButton()->isEnabled(), c.add);
        EXPECT_EQ(scene->getDeletePlayerButton()->isEnabled(), c.remove);
        EXPECT_EQ(scene->getKnownPlayerCount(), c.players);
    }
}

TEST(SelectPlayer, ChoosingMakesThePlayerActiveSavesAppliesAndGoesBack) {
    for (u32 way : {0u, u32(VirtualKeyEscape), u32(VirtualKeyEnter)}) {
        SCOPED_TRACE(way);
        SavedPlayers players;
        players.add({L"Ada", L"Bo"});
        players.profiles().getProfile(1)->setString(ProfileKeyAchievementsProgress, "3;0;7");
        PlayersWorld world;
        world.services.progress->load("9;9;9;9");
        auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
        CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
        world.stack(menu.get(), scene.get());
        scene->getPlayersList()->setSelectedItem(1, true);
        if (way == 0) {
            EXPECT_TRUE(press(scene.get(), scene->getOkButton()));
        } else
            EXPECT_TRUE(keyUp(scene.get(), way));  // Escape chooses too
        ASSERT_NE(players.profiles().getActiveProfile(), nullptr);
        EXPECT_EQ(utf8(players.profiles().getActiveProfile()->getName()), "Bo");
        EXPECT_EQ(world.services.soundApplied, 1u);
        // Her achievements progress is the tracker's now.
        EXPECT_EQ(world.services.progress->getCounter(0), 3);
        EXPECT_EQ(world.services.progress->getCounter(2), 7);
        EXPECT_EQ(world.services.progress->getCounter(3), 0);
        EXPECT_TRUE(players.fileExists());
        EXPECT_EQ(world.transition(), "NavBackFrom>NavBackToSlide");
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), menu.get());
    }
}

TEST(SelectPlayer, WithoutPlayersTheKeysChooseNobody) {
    SavedPlayers players;
    PlayersWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
    world.stack(menu.get(), scene.get());
    EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEnter));
    EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEscape));
    EXPECT_EQ(players.profiles().getActiveProfile(), nullptr);
    EXPECT_EQ(world.services.soundApplied, 0u);
    EXPECT_EQ(world.transition(), "-");
    EXPECT_EQ(world.manager->getCurrentScene(), scene.get());
}

TEST(SelectPlayer, DeletingAsksFirstAndKeepsTheSelectionInTheList) {
    SavedPlayers players;
    players.add({L"Ada", L"Bo", L"Cy"});
    PlayersWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
    world.stack(menu.get(), scene.get());
    // The question.
    EXPECT_TRUE(press(scene.get(), scene->getDeletePlayerButton()));
    world.step(1000);
    SceneNode* box = world.manager->getCurrentScene();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isKindOf(NodeTypeMessageBox));
    // "%No%" and any other answer but the first leave the players alone.
    scene->getPlayersList()->setSelectedItem(2, true);
    EXPECT_TRUE(answer(scene.get(), 1));
    EXPECT_TRUE(answer(scene.get(), 7));
    EXPECT_EQ(players.profiles().getProfileCount(), 3u);
    EXPECT_FALSE(players.fileExists());
    // Yes on the last item: the new last one is selected.
    EXPECT_TRUE(answer(scene.get(), 0));
    EXPECT_EQ(PlayersWorld::listed(*scene), (std::vector<std::string>{"Ada", "Bo"}));
    EXPECT_EQ(scene->getPlayersList()->getSelectedItem(), 1);
    EXPECT_EQ(players.reread()->getProfileCount(), 2u);
    // The first: the item in its place is selected.
    scene->getPlayersList()->setSelectedItem(0, true);
    answer(scene.get(), 0);
    EXPECT_EQ(PlayersWorld::listed(*scene), (std::vector<std::string>{"Bo"}));
    EXPECT_EQ(scene->getPlayersList()->getSelectedItem(), 0);
    EXPECT_TRUE(scene->getOkButton()->isEnabled());
    // The only one: nothing is left to choose or delete.
    answer(scene.get(), 0);
    EXPECT_EQ(players.profiles().getProfileCount(), 0u);
    EXPECT_FALSE(scene->getOkButton()->isEnabled());
    EXPECT_FALSE(scene->getDeletePlayerButton()->isEnabled());
    EXPECT_TRUE(scene->getNewPlayerButton()->isEnabled());
    EXPECT_EQ(players.reread()->getProfileCount(), 0u);
}

// The question cannot show while the selection slides in or out: a press on Delete then asks
// nothing and logs nothing (a player may click while the screen moves); a question whose box is
// missing from the templates is a fault of the content and is logged.
TEST(SelectPlayer, DeleteWhileTheScreenMovesAsksNothingQuietly) {
    SavedPlayers players;
    players.add({L"Ada", L"Bo"});
    PlayersWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
    world.show(menu.get());
    ASSERT_TRUE(menu->switchTo(scene.get(), true));
    world.step(10);
    ASSERT_NE(world.transition(), "-");
    {
        LogCapture logs;
        EXPECT_TRUE(press(scene.get(), scene->getDeletePlayerButton()));
        for (const LogCapture::Line& line : logs.lines())
            EXPECT_EQ(line.level, LogInformation) << line.text;
    }
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), scene.get());
    EXPECT_EQ(players.profiles().getProfileCount(), 2u);
    // Settled: the question shows.
    EXPECT_TRUE(press(scene.get(), scene->getDeletePlayerButton()));
    world.step(1000);
    auto* box = dynamic_cast<MessageBoxNode*>(world.manager->getCurrentScene());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->onEvent(makeEvent<CEventNodePressed>(box->getButton(1)).get()));  // "%No%"
    world.step(1000);
    ASSERT_EQ(world.manager->getCurrentScene(), scene.get());
    EXPECT_EQ(players.profiles().getProfileCount(), 2u);

    // Without the box's template the question is refused with a warning.
    world.templates->clear();
    LogCapture logs;
    EXPECT_TRUE(press(scene.get(), scene->getDeletePlayerButton()));
    EXPECT_EQ(linesOf(logs, "Unable to show the message box"),
              (std::vector<std::string>{"Unable to show the message box|MessageBox2Buttons"}));
}

TEST(SelectPlayer, TheNewPlayerButtonOpensTheNameEntryOverTheList) {
    SavedPlayers players;
    PlayersWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GSelectPlayerScene> scene = world.makeSelection();
    world.stack(menu.get(), scene.get());
    LogCapture logs;
    EXPECT_TRUE(press(scene.get(), scene->getNewPlayerButton()));
    EXPECT_EQ(linesOf(logs, "Unable to load scene file"),
              (std::vector<std::string>{"Unable to load scene file|" +
                                        std::string(GSelectPlayerScene::InputNameFile)}));
}

TEST(NameEntry, RefusesEmptyAndExistingNamesButNotAnotherCase) {
    SavedPlayers players;
    players.add({L"Ada"});
    PlayersWorld world;
    auto list = makeRef<KindScene>("List", GameNodeTypeSelectPlayerScene);
    CRefPtr<GSelectPlayerInputNameScene> scene = world.makeNameEntry();
    scene->getNameEdit()->setText(L"left over");
    world.stack(list.get(), scene.get());
    EXPECT_TRUE(scene->getNameEdit()->getText().empty());  // emptied on entry
    EXPECT_FALSE(scene->getOkButton()->isEnabled());
    struct Case {
        const wchar_t* name;
        bool valid;
    };
    for (const Case& c : {Case{L"", false}, Case{L"Ada", false}, Case{L"ada", true},
                          Case{L"Ada ", true}, Case{L"Zoë", true}}) {
        SCOPED_TRACE(utf8(c.name));
        scene->getNameEdit()->setText(c.name);
        EXPECT_FALSE(changed(scene.get(), scene->getNameEdit()));
        EXPECT_EQ(scene->getOkButton()->isEnabled(), c.valid);
        EXPECT_EQ(GSelectPlayerInputNameScene::isValidName(c.name), c.valid);
    }
}

TEST(NameEntry, EnterWithOkOffCreatesNothingButIsTaken) {
    SavedPlayers players;
    players.add({L"Ada"});
    PlayersWorld world;
    auto list = makeRef<KindScene>("List", GameNodeTypeSelectPlayerScene);
    CRefPtr<GSelectPlayerInputNameScene> scene = world.makeNameEntry();
    world.stack(list.get(), scene.get());
    scene->getNameEdit()->setText(L"Ada");
    changed(scene.get(), scene->getNameEdit());
    EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEnter));
    EXPECT_EQ(players.profiles().getProfileCount(), 1u);
    EXPECT_EQ(world.transition(), "-");
    EXPECT_FALSE(keyUp(scene.get(), 'A'));
}

TEST(NameEntry, ANewPlayerIsSavedWithHerNameAndSelectedOnReturn) {
    SavedPlayers players;
    players.add({L"Ada"}, true);
    PlayersWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GSelectPlayerScene> selection = world.makeSelection();
    world.stack(menu.get(), selection.get());
    CRefPtr<GSelectPlayerInputNameScene> entry = world.makeNameEntry();
    ASSERT_TRUE(selection->switchTo(entry.get(), true));
    world.step(1000);
    entry->getNameEdit()->setText(L"Zoë");
    changed(entry.get(), entry->getNameEdit());
    EXPECT_TRUE(keyUp(entry.get(), VirtualKeyEnter));
    EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
    world.step(1000);
    ASSERT_EQ(world.manager->getCurrentScene(), selection.get());
    // Not made active here; selected in the list.
    EXPECT_EQ(utf8(players.profiles().getActiveProfile()->getName()), "Ada");
    EXPECT_EQ(PlayersWorld::listed(*selection), (std::vector<std::string>{"Ada", "Zoë"}));
    EXPECT_EQ(selection->getPlayersList()->getSelectedItem(), 1);
    // The name survives the file, code point for code point.
    CRefPtr<CProfileManager> saved = players.reread();
    ASSERT_EQ(saved->getProfileCount(), 2u);
    EXPECT_EQ(saved->getProfile(1)->getName(), stringw(L"Zoë"));
}

TEST(NameEntry, CancelAndEscapeGoBackWithoutAPlayer) {
    for (int way = 0; way < 2; ++way) {
        SavedPlayers players;
        PlayersWorld world;
        auto list = makeRef<KindScene>("List", GameNodeTypeSelectPlayerScene);
        CRefPtr<GSelectPlayerInputNameScene> scene = world.makeNameEntry();
        world.stack(list.get(), scene.get());
        scene->getNameEdit()->setText(L"Ada");
        if (way == 0) {
            EXPECT_TRUE(press(scene.get(), scene->findChildByName("CancelButton", 0)));
        }
        if (way == 1) {
            EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEscape));
        }
        EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
        EXPECT_EQ(players.profiles().getProfileCount(), 0u);
    }
}
