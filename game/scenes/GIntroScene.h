#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class CResource;
}

namespace brasquel {

class IConfigurationTable;

// The preloader: runs the game's start-up loading in twelve weighted steps, one every other
// update so that the window stays responsive, widens the bar "Scene/Progress" over
// "Scene/ProgressBg" as the steps are done, and once everything is loaded and the bar is full
// switches to the main menu, once (logging "Loading finished" first).
class GIntroScene : public GBaseSceneNode {
public:
    static constexpr const char* NextSceneFile = "scenes/MainMenuScene.oscn";
    // A step runs when more than this much time has passed since the last one.
    static constexpr oskel::s32 StepInterval = 50;
    // The bar moves by this fraction of the whole per update.
    static constexpr oskel::f32 BarStepsToFill = 50.0f;

    // The files the steps read, in step order.
    static constexpr const char* SoundPackFile = "sounds/SoundPack.xml";
    static constexpr const char* MenuParticlesFile = "scenes/ParticleCollection.xml";
    static constexpr const char* MenuTemplatesFile = "scenes/TemplateCollection.oscn";
    static constexpr const char* LevelParticlesFile = "levels/common/ParticleCollection.xml";
    static constexpr const char* LevelTemplatesFile = "levels/common/TemplateCollection.oscn";
    static constexpr const char* BuildingsFile = "levels/common/BuildingsConfiguration.xml";
    static constexpr const char* UpgradesFile = "levels/common/UpgradesConfiguration.xml";
    static constexpr const char* LevelScoresFile = "levels/common/LevelScores.xml";
    static constexpr const char* ComicsFile = "scenes/ComicsConfiguration.xml";

    // One load step: the operation and its share of the bar.
    struct SLoadStep {
        void (GIntroScene::*run)();
        oskel::f32 weight;
    };
    static constexpr oskel::u32 StepCount = 12;
    static const SLoadStep* getLoadSteps();
    // The firework scenes that join the level's templates.
    static const char* const* getFireworkFiles(oskel::u32& count);

    GIntroScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                oskel::SceneManager* manager = nullptr);
    ~GIntroScene() override;

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // The steps.
    void registerNodeClasses();
    void loadSoundPack();
    void loadBuildingsAtlas();
    void loadEnvironmentAtlases();
    void loadMiniGameAtlases();
    void loadMainMenuAtlas();
    void loadGameMenuAtlas();
    void loadOtherMenuAtlases();
    void loadMenuParticlesAndTemplates();
    void loadLevelParticlesAndTemplates();
    void loadConfiguration();
    void loadComicsConfiguration();

    oskel::u32 getNextStep() const { return m_nextStep; }
    oskel::f32 getShownProgress() const { return m_shownProgress; }
    oskel::f32 getReachedProgress() const { return m_reachedProgress; }
    oskel::f32 getTotalWeight() const { return m_totalWeight; }
    bool hasSwitched() const { return m_switched; }
    oskel::u32 getKeptAtlasCount() const { return static_cast<oskel::u32>(m_atlases.size()); }
    oskel::u32 getKeptParticleCount() const { return static_cast<oskel::u32>(m_particles.size()); }
    oskel::BaseNode* getProgressBackground() const { return m_progressBackground; }
    oskel::BaseNode* getProgressBar() const { return m_progressBar; }

private:
    void keepCollection(oskel::u32 typeCode, const char* path);
    // The template collection of the file, or none.
    oskel::CRefPtr<oskel::BaseNode> loadTemplates(const char* path);
    void readTable(const char* path, IConfigurationTable* table);
    void updateBar();

    oskel::BaseNode* m_progressBackground = nullptr;
    oskel::BaseNode* m_progressBar = nullptr;
    oskel::f32 m_shownProgress = 0.0f;
    oskel::f32 m_reachedProgress = 0.0f;
    oskel::f32 m_totalWeight = 0.0f;
    oskel::u32 m_nextStep = 0;
    oskel::s32 m_stepClock = 0;
    std::vector<oskel::CRefPtr<oskel::CResource>> m_atlases;
    std::vector<oskel::CRefPtr<oskel::CResource>> m_particles;
    bool m_switched = false;
    bool m_switchFailureLogged = false;
    bool m_finishLogged = false;
};

}  // namespace brasquel
