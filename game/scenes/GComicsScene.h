#pragma once

#include <vector>

#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

// One comic page: its panels (parts) appear one after the other, each showing its speech and
// caption boxes (text backgrounds) in turn, on clicks or by themselves; after the last part the
// back button appears. A marked part first hands over to the auction mini-game, once, and the
// page goes on with that part when it comes back.
class GComicsScene : public GBaseSceneNode {
public:
    static constexpr const char* LoadingLevelFile = "scenes/LoadingLevelScene.oscn";
    static constexpr const char* MiniGameLevel = "minigame_auction";
    // The cue of each box that appears.
    static constexpr const char* TextCue = "ComicsText";

    GComicsScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                 oskel::SceneManager* manager = nullptr);
    ~GComicsScene() override;

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;
    bool onStateFinished(oskel::CEvent* event) override;
    bool onChildStateFinished(oskel::CEvent* event) override;

    oskel::s32 getPartIndex() const { return m_partIndex; }
    oskel::s32 getTextIndex() const { return m_textIndex; }
    oskel::u32 getPartCount() const { return static_cast<oskel::u32>(m_parts.size()); }
    oskel::u32 getTextCount() const { return static_cast<oskel::u32>(m_textBgs.size()); }
    bool isPartEnding() const { return m_partEnding; }
    bool isMiniGameShown() const { return m_miniGameShown; }
    oskel::BaseNode* getDarkBg() const { return m_darkBg; }
    oskel::BaseNode* getBackButton() const { return m_backButton; }

    void showNextPart();
    void showNextText();

private:
    // Only indexes inside the arrays are current.
    oskel::BaseNode* currentPart() const;
    oskel::BaseNode* currentText() const;
    void releaseBg();
    void endPart();

    oskel::BaseNode* m_darkBg = nullptr;
    oskel::BaseNode* m_partsNode = nullptr;
    std::vector<oskel::BaseNode*> m_parts;
    oskel::s32 m_partIndex = -1;
    std::vector<oskel::BaseNode*> m_textBgs;
    oskel::s32 m_textIndex = -1;
    bool m_partEnding = false;
    bool m_miniGameShown = false;
    oskel::BaseNode* m_backButton = nullptr;
    // The "Bg" this scene listens to, if any.
    oskel::BaseNode* m_listenedBg = nullptr;
};

}  // namespace brasquel
