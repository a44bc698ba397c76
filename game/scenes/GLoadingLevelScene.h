#pragma once

#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/scenes/GBaseSceneNode.h"

namespace brasquel {

// The short screen between the map (or a comic, or the main menu) and play: given the name of a
// level folder, it loads the folder's level scene and then the play screen, one step per update
// while its bar fills, hands the level to the play screen and switches to it. A folder that
// holds a mini-game is prepared and entered directly. A step that fails goes back to the scene
// that opened this one.
class GLoadingLevelScene : public GBaseSceneNode {
public:
    static constexpr const char* LevelsFolder = "levels/";
    static constexpr const char* LevelSceneFile = "Level.oscn";
    static constexpr const char* GamePlayFile = "scenes/GamePlayScene.oscn";
    // The wait before loading starts, counted from the end of the entry.
    static constexpr oskel::u32 StartDelayMs = 500;
    // The sound group stopped on entry (the level's own sounds).
    static constexpr oskel::u32 LevelSoundGroup = 2;

    // The states of the loading machine.
    enum ELoadStep : oskel::s32 {
        LoadIdle = 0,
        LoadWait = 1,
        LoadLevel = 2,
        LoadIdentify = 3,
        LoadPlayScreen = 4,
        LoadStart = 5,
    };

    GLoadingLevelScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);
    ~GLoadingLevelScene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    // One step of the loading machine after the base's time keeping; false when a step failed
    // and the scene went back.
    bool onUpdate(oskel::u32 periodMs) override;

    // The level folder's name below "levels/"; set by the scene that opens this one.
    const oskel::stringc& getLevelName() const { return m_levelName; }
    void setLevelName(const oskel::stringc& name) { m_levelName = name; }
    // "levels/<name>/".
    oskel::stringc getLevelFolder() const;

    oskel::s32 getLoadStep() const { return m_loadStep; }
    oskel::f32 getShownProgress() const { return m_shownProgress; }
    oskel::f32 getTargetProgress() const { return m_targetProgress; }
    oskel::BaseNode* getProgressBackground() const { return m_progressBg; }
    oskel::BaseNode* getProgressBar() const { return m_progressBar; }
    oskel::SceneNode* getLevelScene() const { return m_levelScene.get(); }
    oskel::SceneNode* getGamePlayScene() const { return m_gamePlayScene.get(); }

    // Moves the shown value towards the target and sizes the bar to it.
    void updateProgressBar();

private:
    bool loadLevelScene();
    bool identifyLevelScene(bool& switched);
    bool loadGamePlayScene();
    bool startLevel();
    bool goBackFromLoading();

    oskel::stringc m_levelName;
    oskel::BaseNode* m_progressBg = nullptr;
    oskel::BaseNode* m_progressBar = nullptr;
    oskel::f32 m_shownProgress = 0.0f;
    oskel::f32 m_targetProgress = 0.0f;
    oskel::f32 m_progressStep = 100.0f;
    oskel::s32 m_loadStep = LoadIdle;
    oskel::CRefPtr<oskel::SceneNode> m_levelScene;
    oskel::CRefPtr<oskel::SceneNode> m_gamePlayScene;
};

// The node as a loading scene when it is a kind of one, else none.
GLoadingLevelScene* asLoadingLevelScene(oskel::BaseNode* node);

}  // namespace brasquel
