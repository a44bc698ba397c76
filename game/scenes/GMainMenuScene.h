#pragma once

#include "engine/core/CRefPtr.h"
#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class ControlNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

class GLevelPaths;

// The main menu: greets the active player, plays the menu music and the street's ambience, owns
// the paths its background movers follow and sends the player on to the other screens. Entered
// from the level-completed screen it first rolls the final credits behind a back button.
class GMainMenuScene : public GBaseSceneNode {
public:
    static constexpr const char* PathsFile = "scenes/BgTrafficPaths.xml";
    static constexpr const char* WelcomeKey = "MainMenu_WelcomeTxt";
    static constexpr const char* SelectPlayerFile = "scenes/SelectPlayerScene.oscn";
    static constexpr const char* InputNameFile = "scenes/SelectPlayerInputNameScene.oscn";
    static constexpr const char* QuitFile = "scenes/QuitConfirmationScene.oscn";
    static constexpr const char* LoadingLevelFile = "scenes/LoadingLevelScene.oscn";
    static constexpr const char* MapFile = "scenes/MapScene.oscn";
    // The level a new player starts with, straight from the menu.
    static constexpr const char* FirstLevelName = "level1";
    static constexpr const char* CreditsFile = "scenes/CreditsScene.oscn";
    static constexpr const char* OptionsFile = "scenes/OptionsScene.oscn";
    static constexpr const char* AchievementsFile = "scenes/AchievementsScene.oscn";
    // Where the menu waits, out of sight, while the credits roll.
    static constexpr oskel::f32 ScrollShift = 1024.0f;

    GMainMenuScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                   oskel::SceneManager* manager = nullptr);
    ~GMainMenuScene() override;

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onStateFinished(oskel::CEvent* event) override;
    bool onNodeHovered(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;

    // Brings the menu back over the rolling credits and hides them; immediately: without the
    // transitions.
    void closeScroll(bool immediately);

    GLevelPaths* getBackgroundPaths() const { return m_paths.get(); }
    oskel::TextNode* getWelcomeText() const { return m_welcomeText; }
    oskel::BaseNode* getSceneNode() const { return m_sceneNode; }
    oskel::ControlNode* getScrollBackButton() const { return m_backButton; }
    oskel::BaseNode* getClipNode() const { return m_clipNode; }

private:
    void readPaths();
    void stopMenuCues();
    void startNewGame();

    oskel::CRefPtr<GLevelPaths> m_paths;
    oskel::TextNode* m_welcomeText = nullptr;
    oskel::BaseNode* m_sceneNode = nullptr;
    oskel::ControlNode* m_backButton = nullptr;
    oskel::BaseNode* m_clipNode = nullptr;
};

}  // namespace brasquel
