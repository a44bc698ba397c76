#pragma once

#include "engine/core/CRefPtr.h"
#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace oskel {
class TextNode;
}  // namespace oskel

namespace brasquel {

// The panel that presents a level over the play screen: its title, a welcome on the very first
// level, its description and the times and scores to reach. OK, Escape or Return go back to the
// play screen; meanwhile the level's music is kept playing.
class GLevelObjectivesScene : public GBaseSceneNode {
public:
    static constexpr const char* SceneFile = "scenes/LevelObjectivesScene.oscn";
    // The panel leaves the music alone for this long after its entry.
    static constexpr oskel::u32 MusicWait = 2000;
    // From this level index on, the panel shows the expert time and the score to reach.
    static constexpr oskel::s32 FullObjectivesLevel = 3;

    GLevelObjectivesScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                          oskel::SceneManager* manager = nullptr);
    ~GLevelObjectivesScene() override;

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onNodePressed(oskel::CEvent* event) override;

    // The level presented (held); none allowed.
    void setLevelScene(oskel::BaseNode* level);
    oskel::BaseNode* getLevelScene() const { return m_levelScene.get(); }

    oskel::TextNode* getLevelText() const { return m_levelText; }
    oskel::TextNode* getWelcomeText() const { return m_welcomeText; }
    oskel::TextNode* getInfoText() const { return m_infoText; }
    oskel::TextNode* getExpertTimeText() const { return m_expertTimeText; }
    oskel::TextNode* getExpertScoreText() const { return m_expertScoreText; }
    oskel::TextNode* getScoreText() const { return m_scoreText; }
    oskel::BaseNode* getClockNode() const { return m_clockNode; }
    oskel::BaseNode* getGStarNode() const { return m_gStarNode; }
    oskel::BaseNode* getSStarNode() const { return m_sStarNode; }

private:
    void fill();

    oskel::TextNode* m_levelText = nullptr;
    oskel::TextNode* m_welcomeText = nullptr;
    oskel::TextNode* m_infoText = nullptr;
    oskel::BaseNode* m_clockNode = nullptr;
    oskel::TextNode* m_expertTimeText = nullptr;
    oskel::BaseNode* m_gStarNode = nullptr;
    oskel::TextNode* m_expertScoreText = nullptr;
    oskel::BaseNode* m_sStarNode = nullptr;
    oskel::TextNode* m_scoreText = nullptr;
    oskel::CRefPtr<oskel::BaseNode> m_levelScene;
};

}  // namespace brasquel
