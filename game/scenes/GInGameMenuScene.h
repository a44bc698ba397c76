#pragma once

#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

// The pause menu over the play screen: resume, restart the level, options, help, back to the
// main menu, or quit. Escape and Return resume.
class GInGameMenuScene : public GBaseSceneNode {
public:
    static constexpr const char* OptionsFile = "scenes/OptionsScene.oscn";
    static constexpr const char* HelpFile = "scenes/HelpScene.oscn";
    static constexpr const char* QuitFile = "scenes/QuitConfirmationScene.oscn";

    GInGameMenuScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                     oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
};

// Asks whether to quit: yes ends the program, no (or Escape) brings back the scene below as it
// was, without a transition.
class GQuitConfirmationScene : public GBaseSceneNode {
public:
    GQuitConfirmationScene(const oskel::CCreationContext& context,
                           oskel::BaseNode* parent = nullptr,
                           oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

private:
    void stay();
};

}  // namespace brasquel
