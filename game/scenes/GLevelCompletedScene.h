#pragma once

#include "engine/core/CRefPtr.h"
#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace oskel {
class TextNode;
}  // namespace oskel

namespace brasquel {

// The results over the play screen after a won level: the times, the completion score, the
// bonus and the score counted up, a fanfare and then the menu music. OK, Escape or Return close
// the level: back to the map (or past it after the last level), then the comic of the level
// newly reached, when there is one.
class GLevelCompletedScene : public GBaseSceneNode {
public:
    static constexpr const char* SceneFile = "scenes/LevelCompletedScene.oscn";
    static constexpr const char* MapFile = "scenes/MapScene.oscn";
    // The last level, after which the final credits roll.
    static constexpr oskel::s32 LastLevel = 35;
    // Levels up to this one show no times.
    static constexpr oskel::s32 FirstTimedLevel = 4;
    static constexpr oskel::u32 PauseTime = 100;
    static constexpr oskel::u32 FanfareTime = 2000;
    static constexpr oskel::u32 MusicTime = 5000;
    // The share of the final value counted per second.
    static constexpr oskel::f32 CountRate = 0.75f;

    GLevelCompletedScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                         oskel::SceneManager* manager = nullptr);
    ~GLevelCompletedScene() override;

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The finished level (held); none allowed.
    void setLevelScene(oskel::BaseNode* level);

    oskel::s32 getCountPhase() const { return m_countPhase; }
    oskel::f32 getShownTime() const { return m_shownTime; }
    oskel::f32 getShownScore() const { return m_shownScore; }
    oskel::s32 getLevelNumber() const;
    oskel::BaseNode* getNode(const char* name) const;
    oskel::TextNode* getText(const char* nodeName) const;
    oskel::TextNode* getDoneText() const { return m_doneText; }

private:
    void prepare();
    void close();

    struct SRow {
        oskel::BaseNode* node = nullptr;
        oskel::TextNode* text = nullptr;
    };
    oskel::s32 m_countPhase = 0;
    oskel::u32 m_phaseTime = 0;
    SRow m_expertTime, m_time, m_timeScore, m_expertScore, m_score;
    oskel::f32 m_shownTime = 0.0f;
    oskel::s32 m_finalTime = 0;
    oskel::f32 m_shownScore = 0.0f;
    oskel::s32 m_finalScore = 0;
    oskel::TextNode* m_doneText = nullptr;
    bool m_fanfarePlayed = false;
    bool m_musicStarted = false;
    // The level has been closed since the last entry: a second request is dropped.
    bool m_closed = false;
    oskel::CRefPtr<oskel::BaseNode> m_levelScene;
};

// The results over a finished mini-game: its time and score counted up and the player greeted;
// OK, Escape or Return go back past the mini-game and its loading scene.
class GMiniCompletedScene : public GBaseSceneNode {
public:
    static constexpr const char* SceneFile = "scenes/MiniCompletedScene.oscn";

    GMiniCompletedScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                        oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The mini-game's own result (not shown), its playing time in milliseconds and the score
    // gained over the player's best.
    void setResults(oskel::s32 code, oskel::s32 timeMs, oskel::s32 score);

    oskel::s32 getCountPhase() const { return m_countPhase; }
    oskel::f32 getShownTime() const { return m_shownTime; }
    oskel::f32 getShownScore() const { return m_shownScore; }
    oskel::s32 getResultCode() const { return m_resultCode; }
    oskel::s32 getResultTime() const { return m_resultTime; }
    oskel::s32 getResultScore() const { return m_resultScore; }
    oskel::TextNode* getTimeText() const { return m_timeText; }
    oskel::TextNode* getScoreText() const { return m_scoreText; }
    oskel::TextNode* getDoneText() const { return m_doneText; }

private:
    void prepare();
    void showValues();
    void close();

    oskel::s32 m_countPhase = 0;
    oskel::u32 m_phaseTime = 0;
    oskel::BaseNode* m_timeNode = nullptr;
    oskel::TextNode* m_timeText = nullptr;
    oskel::f32 m_shownTime = 0.0f;
    oskel::s32 m_finalTime = 0;
    oskel::BaseNode* m_scoreNode = nullptr;
    oskel::TextNode* m_scoreText = nullptr;
    oskel::f32 m_shownScore = 0.0f;
    oskel::s32 m_finalScore = 0;
    oskel::TextNode* m_doneText = nullptr;
    oskel::s32 m_resultCode = 0;
    oskel::s32 m_resultTime = 0;
    oskel::s32 m_resultScore = 0;
    bool m_closed = false;
};

}  // namespace brasquel
