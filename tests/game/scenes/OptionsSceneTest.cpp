// The options: what entry shows, the on/off buttons and the sliders with what they store, save
// and apply, the scene left by the scene below, no player, and a device reset that fails.

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/SliderNode.h"
#include "game/scenes/GOptionsScene.h"
#include "tests/game/scenes/ShellTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

struct OptionsWorld : ShellWorld {
    OptionsWorld() : ShellWorld("options") {
        const GSoundCueIds& cues = GSoundCueIds::get();
        addCue(cues.SoundVolumeChange, 0);
    }
    CRefPtr<GOptionsScene> make() {
        auto scene = makeRef<GOptionsScene>(context("OptionsScene"));
        scene->setNameId(id("OptionsScene"));
        scene->setBounds(1024, 768);
        addTransitionStates(scene.get());
        BaseNode* inner = newNode("Scene", scene.get()).get();
        f32 y = 100;
        for (const char* name : {"SoundSlider", "MusicSlider"}) {
            auto* slider = addControl<SliderNode>(inner, name, 300, y, nullptr);
            slider->setMinValue(0);
            slider->setMaxValue(100);
            y += 60;
        }
        for (const char* name : {"MuteSoundButton", "MuteMusicButton", "FullscreenButton",
                                 "CursorButton", "BackButton"}) {
            addControl<ButtonNode>(inner, name, 300, y);
            y += 60;
        }
        scene->onLoaded();
        return scene;
    }
};

}  // namespace

TEST(Options, BindsItsControlsByKind) {
    OptionsWorld world;
    CRefPtr<GOptionsScene> scene = world.make();
    EXPECT_EQ(scene->getTypeId(), GameNodeTypeOptionsScene);
    EXPECT_TRUE(scene->isKindOf(GameNodeTypeBaseScene));
    EXPECT_NE(scene->getSoundSlider(), nullptr);
    EXPECT_NE(scene->getMusicSlider(), nullptr);
    EXPECT_NE(scene->getMuteSoundButton(), nullptr);
    EXPECT_NE(scene->getMuteMusicButton(), nullptr);
    EXPECT_NE(scene->getFullscreenButton(), nullptr);
    EXPECT_NE(scene->getCursorButton(), nullptr);
    // A node of another kind binds as none.
    auto other = makeRef<GOptionsScene>(world.context("OptionsScene"));
    BaseNode* inner = newNode("Scene", other.get()).get();
    newNode("SoundSlider", inner);
    addControl<ButtonNode>(inner, "MusicSlider", 0, 0);
    newNode("CursorButton", inner);
    other->onLoaded();
    EXPECT_EQ(other->getSoundSlider(), nullptr);
    EXPECT_EQ(other->getMusicSlider(), nullptr);
    EXPECT_EQ(other->getCursorButton(), nullptr);
}

TEST(Options, EntryShowsTheSettingsOfBothProfiles) {
    SavedPlayers players;
    players.add({L"Ada"}, true);
    CProfile* ada = players.profiles().getActiveProfile();
    ada->setFloat(ProfileKeySoundVolume, 35.0f);
    ada->setFloat(ProfileKeyMusicVolume, 150.0f);  // clamped by the slider
    ada->setBool(ProfileKeySoundOn, false);
    ada->setBool(ProfileKeyMusicOn, true);
    players.profiles().getCommonProfile()->setBool(ProfileKeyFullScreen, true);
    OptionsWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    world.stack(menu.get(), scene.get());
    EXPECT_FLOAT_EQ(scene->getSoundSlider()->getValue(), 35.0f);
    EXPECT_FLOAT_EQ(scene->getMusicSlider()->getValue(), 100.0f);
    EXPECT_FALSE(GOptionsScene::isOn(scene->getMuteSoundButton()));
    EXPECT_EQ(utf8(scene->getMuteSoundButton()->getText()), "%Options_Off%");
    EXPECT_TRUE(GOptionsScene::isOn(scene->getMuteMusicButton()));
    EXPECT_EQ(utf8(scene->getMuteMusicButton()->getText()), "%Options_On%");
    EXPECT_TRUE(GOptionsScene::isOn(scene->getFullscreenButton()));
    EXPECT_FALSE(GOptionsScene::isOn(scene->getCursorButton()));
}

TEST(Options, EachToggleStoresSavesAndApplies) {
    struct Case {
        const char* button;
        const char* key;
        bool common;       // the common profile's, else the player's
        u32 soundApplied;  // sound settings applied by the press
    };
    const Case cases[] = {
        {"MuteSoundButton", ProfileKeySoundOn, false, 1},
        {"MuteMusicButton", ProfileKeyMusicOn, false, 1},
        {"CursorButton", ProfileKeyWindowsCursor, true, 0},
        {"FullscreenButton", ProfileKeyFullScreen, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        SavedPlayers players;
        players.add({L"Ada"}, true);
        CProfile* profile = c.common ? players.profiles().getCommonProfile()
                                     : players.profiles().getActiveProfile();
        profile->setBool(c.key, false);
        OptionsWorld world;
        auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
        CRefPtr<GOptionsScene> scene = world.make();
        world.stack(menu.get(), scene.get());
        BaseNode* button = scene->findChildByName(c.button, 0);
        EXPECT_FALSE(press(scene.get(), button));  // toggles are not reported as handled
        EXPECT_TRUE(GOptionsScene::isOn(asButtonNode(button)));
        EXPECT_TRUE(profile->getBool(c.key));
        EXPECT_EQ(world.services.soundApplied, c.soundApplied);
        CRefPtr<CProfileManager> saved = players.reread();
        CProfile* reread = c.common ? saved->getCommonProfile() : saved->getProfile(0);
        ASSERT_NE(reread, nullptr);
        EXPECT_TRUE(reread->getBool(c.key));
        // And back.
        press(scene.get(), button);
        EXPECT_FALSE(GOptionsScene::isOn(asButtonNode(button)));
        EXPECT_FALSE(profile->getBool(c.key));
        CRefPtr<CProfileManager> again = players.reread();
        CProfile* back = c.common ? again->getCommonProfile() : again->getProfile(0);
        ASSERT_NE(back, nullptr);
        EXPECT_FALSE(back->getBool(c.key));
    }
}

TEST(Options, FullScreenResetsTheDeviceWithTheFlag) {
    SavedPlayers players;
    OptionsWorld world;
    world.services.parameters.driverType = 3;
    world.services.parameters.windowSize = irr::core::dimension2d<s32>(1024, 768);
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    world.stack(menu.get(), scene.get());
    press(scene.get(), scene->getFullscreenButton());
    ASSERT_EQ(world.services.resets.size(), 1u);
    EXPECT_TRUE(world.services.resets[0].fullscreen);
    EXPECT_EQ(world.services.resets[0].driverType, 3);  // the same driver
    EXPECT_TRUE(world.services.parameters.fullscreen);
    press(scene.get(), scene->getFullscreenButton());
    ASSERT_EQ(world.services.resets.size(), 2u);
    EXPECT_FALSE(world.services.resets[1].fullscreen);
}

TEST(Options, AFailedResetComesBackToTheOldDisplayAndStoresNothing) {
    SavedPlayers players;
    OptionsWorld world;
    world.services.resetResults = {false, true};
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    world.stack(menu.get(), scene.get());
    LogCapture logs;
    press(scene.get(), scene->getFullscreenButton());
    ASSERT_EQ(world.services.resets.size(), 2u);
    EXPECT_TRUE(world.services.resets[0].fullscreen);
    EXPECT_FALSE(world.services.resets[1].fullscreen);  // the previous parameters again
    EXPECT_FALSE(world.services.parameters.fullscreen);
    EXPECT_FALSE(GOptionsScene::isOn(scene->getFullscreenButton()));
    EXPECT_EQ(utf8(scene->getFullscreenButton()->getText()), "%Options_Off%");
    EXPECT_FALSE(players.profiles().getCommonProfile()->getBool(ProfileKeyFullScreen));
    EXPECT_FALSE(players.fileExists());
    EXPECT_TRUE(logs.contains("Unable to reset the device", LogError));
}

TEST(Options, SwitchingSoundOnClicksAndSwitchingItOffIsSilent) {
    SavedPlayers players;
    players.add({L"Ada"}, true);
    players.profiles().getActiveProfile()->setBool(ProfileKeySoundOn, true);
    OptionsWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    world.stack(menu.get(), scene.get());
    const size_t before = world.started("ButtonClick");
    press(scene.get(), scene->getMuteSoundButton());  // off
    EXPECT_EQ(world.started("ButtonClick"), before);
    press(scene.get(), scene->getMuteSoundButton());  // on
    EXPECT_EQ(world.started("ButtonClick"), before + 1);
}

TEST(Options, TheSoundSliderStoresAppliesAndPlaysItsCueWithoutOverlap) {
    SavedPlayers players;
    players.add({L"Ada"}, true);
    OptionsWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    world.stack(menu.get(), scene.get());
    scene->getSoundSlider()->setValue(40.0f);
    EXPECT_FALSE(changed(scene.get(), scene->getSoundSlider()));
    scene->getSoundSlider()->setValue(45.0f);
    changed(scene.get(), scene->getSoundSlider());
    EXPECT_FLOAT_EQ(players.profiles().getActiveProfile()->getFloat(ProfileKeySoundVolume), 45.0f);
    EXPECT_FLOAT_EQ(players.reread()->getProfile(0)->getFloat(ProfileKeySoundVolume), 45.0f);
    EXPECT_EQ(world.services.soundApplied, 2u);
    EXPECT_EQ(world.started("SoundVolumeChange"), 1u);  // the first still plays
    scene->getMusicSlider()->setValue(20.0f);
    changed(scene.get(), scene->getMusicSlider());
    EXPECT_FLOAT_EQ(players.profiles().getActiveProfile()->getFloat(ProfileKeyMusicVolume), 20.0f);
    EXPECT_EQ(world.services.soundApplied, 3u);
    EXPECT_EQ(world.started("SoundVolumeChange"), 1u);
}

TEST(Options, WithoutAPlayerOnlyTheDisplaySettingsAreKept) {
    SavedPlayers players;
    ASSERT_EQ(players.profiles().getActiveProfile(), nullptr);
    players.profiles().getCommonProfile()->setBool(ProfileKeyWindowsCursor, true);
    OptionsWorld world;
    auto menu = makeRef<KindScene>("MainMenu", GameNodeTypeMainMenuScene);
    CRefPtr<GOptionsScene> scene = world.make();
    scene->getSoundSlider()->setValue(77.0f);
    world.stack(menu.get(), scene.get());
    EXPECT_FLOAT_EQ(scene->getSoundSlider()->getValue(), 77.0f);  // the file's state
    EXPECT_TRUE(GOptionsScene::isOn(scene->getCursorButton()));
    // The player's controls write nothing and apply nothing.
    changed(scene.get(), scene->getSoundSlider());
    changed(scene.get(), scene->getMusicSlider());
    press(scene.get(), scene->getMuteSoundButton());
    press(scene.get(), scene->getMuteMusicButton());
    EXPECT_EQ(world.services.soundApplied, 0u);
    EXPECT_EQ(world.started("SoundVolumeChange"), 0u);
    // The display settings are saved in the profiles file all the same.
    press(scene.get(), scene->getCursorButton());
    EXPECT_FALSE(players.profiles().getCommonProfile()->getBool(ProfileKeyWindowsCursor));
    ASSERT_TRUE(players.fileExists());
    players.profiles().getCommonProfile()->setBool(ProfileKeyWindowsCursor, true);
    EXPECT_FALSE(players.reread()->getCommonProfile()->getBool(ProfileKeyWindowsCursor));
}

TEST(Options, LeavesByTheTransitionsOfTheSceneBelow) {
    struct Case {
        s32 below;
        const char* transition;
    };
    for (const Case& c : {Case{GameNodeTypeMainMenuScene, "NavBackFromSlide>NavBackToSlide"},
                          Case{GameNodeTypeInGameMenuScene, "NavBackFrom>NavBackTo"}}) {
        for (int way = 0; way < 3; ++way) {
            SCOPED_TRACE(std::to_string(c.below) + " way " + std::to_string(way));
            OptionsWorld world;
            auto below = makeRef<KindScene>("Below", c.below);
            CRefPtr<GOptionsScene> scene = world.make();
            world.stack(below.get(), scene.get());
            if (way == 0) {
                EXPECT_TRUE(press(scene.get(), scene->findChildByName("BackButton", 0)));
            }
            if (way == 1) {
                EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEscape));
            }
            if (way == 2) {
                EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEnter));
            }
            EXPECT_EQ(world.transition(), c.transition);
            world.step(1000);
            EXPECT_EQ(world.manager->getCurrentScene(), below.get());
        }
    }
}
