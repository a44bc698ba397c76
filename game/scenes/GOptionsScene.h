#pragma once

#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace oskel {
class ButtonNode;
class SliderNode;
}  // namespace oskel

namespace brasquel {

// The options: sound and music volumes, sound and music on or off (the active player's), full
// screen or a window and the system or the game's cursor (the common profile's). Every change
// takes effect and is saved at once.
class GOptionsScene : public GBaseSceneNode {
public:
    static constexpr const char* OnTemplate = "Options_OnOffButtonGreen";
    static constexpr const char* OffTemplate = "Options_OnOffButtonRed";
    static constexpr const wchar_t* OnCaption = L"%Options_On%";
    static constexpr const wchar_t* OffCaption = L"%Options_Off%";
    static constexpr const char* CursorImageFile = "scenes/images/Cursor.png";

    GOptionsScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                  oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onValueChanged(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The button shows "on" (its template is the green one).
    static bool isOn(const oskel::ButtonNode* button);
    // Shows the state on the button (template and caption); nothing for none.
    static void setToggleState(oskel::ButtonNode* button, bool on);

    oskel::SliderNode* getSoundSlider() const { return m_soundSlider; }
    oskel::SliderNode* getMusicSlider() const { return m_musicSlider; }
    oskel::ButtonNode* getMuteSoundButton() const { return m_muteSoundButton; }
    oskel::ButtonNode* getMuteMusicButton() const { return m_muteMusicButton; }
    oskel::ButtonNode* getFullscreenButton() const { return m_fullscreenButton; }
    oskel::ButtonNode* getCursorButton() const { return m_cursorButton; }

private:
    void showSettings();
    void toggleSound();
    void toggleMusic();
    void toggleFullscreen();
    void toggleCursor();
    void applyCursor(bool systemCursor);
    void leave();

    oskel::SliderNode* m_soundSlider = nullptr;
    oskel::SliderNode* m_musicSlider = nullptr;
    oskel::ButtonNode* m_muteSoundButton = nullptr;
    oskel::ButtonNode* m_muteMusicButton = nullptr;
    oskel::ButtonNode* m_fullscreenButton = nullptr;
    oskel::ButtonNode* m_cursorButton = nullptr;
};

}  // namespace brasquel
