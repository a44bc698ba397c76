#pragma once

#include <string>

#include "engine/core/CRefPtr.h"
#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace oskel {
class ButtonNode;
class TabSceneNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

// Pages through the help pages of a tab scene with a previous and a next button; Escape,
// Return or the close button go back.
class GHelpScene : public GBaseSceneNode {
public:
    GHelpScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
               oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;

    oskel::TabSceneNode* getTabScene() const { return m_tabScene; }
    oskel::ButtonNode* getPrevButton() const { return m_prevButton; }
    oskel::ButtonNode* getNextButton() const { return m_nextButton; }

private:
    oskel::TabSceneNode* m_tabScene = nullptr;
    oskel::ButtonNode* m_prevButton = nullptr;
    oskel::ButtonNode* m_nextButton = nullptr;
};

// The credits: back to the main menu with the slide by the back button, Escape or Return.
class GCreditsScene : public GBaseSceneNode {
public:
    GCreditsScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                  oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

private:
    void leave();
};

// An overlay with the frame rate, the last update step and the quads drawn in the last frame,
// in a text node of its own; updated on every update of its scheduler.
class GDebugStatsScene : public GBaseSceneNode {
public:
    static constexpr const char* FontFile = "scenes/fonts/arial_14_crisp.ofnt";

    GDebugStatsScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                     oskel::SceneManager* manager = nullptr);
    ~GDebugStatsScene() override;

    BRASQUEL_GAME_SCENE_CLASS()

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;

    oskel::TextNode* getStatsText() const { return m_statsText.get(); }

private:
    oskel::CRefPtr<oskel::TextNode> m_statsText;
};

}  // namespace brasquel
