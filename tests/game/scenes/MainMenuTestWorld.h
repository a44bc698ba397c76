#pragma once

// The world of the main menu's tests: the street's paths and the dictionary in the test's
// folder, game services with the menu's cues, an active player while one is asked for, and a
// main menu built as its scene file lays it out.

#include <string>

#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/ControlNode.h"
#include "game/config/GProfileKeys.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GMainMenuMovers.h"
#include "game/scenes/GMainMenuScene.h"
#include "tests/game/scenes/GameSceneWorld.h"

namespace brasquel::test {

// A straight walk per group, both-ways where cars and walkers may turn round.
constexpr const char* kStreetPaths =
    "<LevelPaths><CarPaths>"
    "<Path ID=\"Bike\"><p p=\"100;735\"/><p p=\"200;735\"/><p p=\"200;700\"/></Path>"
    "<Path ID=\"Path\" b=\"1\"><p p=\"700;668\"/><p p=\"700;768\"/></Path>"
    "<Path ID=\"Clouds\"><p p=\"-200;300\"/><p p=\"1200;300\"/></Path>"
    "</CarPaths><PedestrianPaths>"
    "<Path b=\"1\"><p p=\"300;668\"/><p p=\"300;768\"/></Path>"
    "</PedestrianPaths></LevelPaths>";

// The player made active while it lives, gone afterwards.
struct ActivePlayer {
    explicit ActivePlayer(const wchar_t* name, oskel::s32 maxUnlocked) {
        oskel::CProfileManager& profiles = oskel::CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(name));
        index = profiles.getProfileIndex(profiles.findProfile(name));
        profiles.setActiveProfile(index);
        profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, maxUnlocked);
    }
    ~ActivePlayer() { oskel::CProfileManager::instance().removeProfile(index); }
    oskel::CProfile* profile() const {
        return oskel::CProfileManager::instance().getActiveProfile();
    }
    oskel::s32 index = -1;
};

struct MainMenuWorld : ContentSceneWorld {
    static constexpr u32 RollTime = 500;

    explicit MainMenuWorld(const char* paths = kStreetPaths) : ContentSceneWorld("mainmenu") {
        if (paths) write(GMainMenuScene::PathsFile, paths);
        write("strings/Dictionary.xml",
              "<Dictionary><s n=\"MainMenu_WelcomeTxt\">Welcome, #p!</s></Dictionary>");
        services.sceneManager = manager.get();
        services.fileSystem = device.getFileSystem();
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        EXPECT_TRUE(services.dictionary->load(stringc("strings/Dictionary.xml")));
        const GSoundCueIds& cues = GSoundCueIds::get();
        for (const CNameId* cue :
             {&cues.MenuMusic, &cues.MainMenuAmbient, &cues.MainMenuCarOut, &cues.MainMenuCarTo}) {
            auto made = makeRef<SoundCue>(*cue);
            made->setGroup(1);
            made->addSound(makeRef<PlayingSound>().get());
            EXPECT_TRUE(services.groups->registerCue(made.get()));
        }
        GMainMenuMover::resetSpreadCounters();
    }

    // The menu: "Scene" with the greeting and the buttons, "BgScene/ActiveBg" with the back
    // button and the credits' clip.
    CRefPtr<GMainMenuScene> makeMenu() {
        auto menu = makeRef<GMainMenuScene>(context("MainMenuScene"));
        menu->setNameId(id("MainMenuScene"));
        menu->setBounds(1024, 768);
        BaseNode* scene = newNode("Scene", menu.get()).get();
        auto text = makeRef<TextNode>(CCreationContext());
        text->setNameId(id("WelcomeText"));
        scene->addChild(text.get());
        f32 y = 100;
        for (const char* name :
             {"NewGameButton", "ChangePlayerButton", "OptionsButton", "AchievementsButton",
              "CreditsButton", "QuitButton", "Baloon", "Baloon2"}) {
            addControl(scene, name, 400, y);
            y += 40;
        }
        BaseNode* active = newNode("ActiveBg", newNode("BgScene", menu.get()).get()).get();
        addControl(active, "BackButton", 432, 680);
        newNode("Street", active);
        // The credits roll for half a second.
        newNode("Roll", newNode("ClipNode", active).get())
            ->addState(timedState("Scrolling", RollTime).get());
        menu->onLoaded();
        return menu;
    }

    // The names of the cues playing now.
    std::vector<std::string> playing() const {
        std::vector<std::string> names;
        for (const CNameId* cue :
             {&GSoundCueIds::get().MenuMusic, &GSoundCueIds::get().MainMenuAmbient,
              &GSoundCueIds::get().MainMenuCarOut, &GSoundCueIds::get().MainMenuCarTo})
            if (services.groups->isCuePlaying(*cue)) names.push_back(cue->getName().c_str());
        return names;
    }

    TestGameServices services;
};

}  // namespace brasquel::test
