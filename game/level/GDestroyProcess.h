#pragma once

#include "engine/core/CRefPtr.h"
#include "game/level/GMaintenanceProcess.h"

namespace oskel {
class SoundCue;
}

namespace brasquel {

// What the demolition and the restoring share: the workers' bus, the progress bar over the lot
// and a work time that counts down from the workers' arrival.
class GLotWorkProcess : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    GLotWorkProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                    GLevelPath* carPath, oskel::s32 workers);
    ~GLotWorkProcess() override;

    bool update(oskel::u32 elapsedMs) override;
    bool onChildStateFinished(oskel::CEvent* event);

    oskel::s32 getPhase() const { return m_crew.phase; }
    oskel::f32 getRemaining() const { return m_remaining; }
    oskel::BaseNode* getBus() const { return m_crew.getBus(); }
    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }
    oskel::s32 getWorkers() const { return m_workers; }

protected:
    // Sends the bus (false: the workers are there at once) and puts up the bar.
    bool startCrew(oskel::TemplateCollectionNode* templates);
    virtual void onWorkStarted() = 0;
    // The clock's speed this step.
    virtual oskel::f32 workFactor() { return buildTimeFactor(m_level); }
    virtual void onWorkFinished() = 0;

    GGameLevelScene* m_level;
    oskel::CRefPtr<GBuildingNode> m_lot;
    oskel::CRefPtr<GBuildingConfig> m_lotType;
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<GLevelPath> m_path;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    GWorkersBus m_crew;
    oskel::f32 m_remaining = 0.0f;
    oskel::s32 m_workers;
};

// Demolishes a building: the lot already is an empty place; the workers come, the ruin of the
// scenery falls while the time runs, and the level hears that the building is gone and gets
// its workers back. Given up, the building comes back as it was.
class GDestroyProcess : public GLotWorkProcess {
public:
    static constexpr oskel::s32 SoundFadeOutMs = 1000;

    GDestroyProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                    oskel::TemplateCollectionNode* templates, GLevelPath* carPath);
    ~GDestroyProcess() override;

    oskel::f32 getProgress() const override;
    void abort() override;

    oskel::SoundCue* getWorkSound() const { return m_workSound.get(); }

protected:
    void onWorkStarted() override;
    void onWorkFinished() override;

private:
    oskel::s32 settingState(const char* prefix) const;
    void fadeWorkSound();

    oskel::CRefPtr<oskel::SoundCue> m_workSound;
};

// Rebuilds a ruined building: the workers come, the lot plays its rising animations, whose
// length follows the level's work speed, and the level hears that the building is repaired.
// Given up, the ruin stays.
class GRestoringProcess : public GLotWorkProcess {
public:
    GRestoringProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                      oskel::TemplateCollectionNode* templates, GLevelPath* carPath,
                      oskel::f32 materials, oskel::s32 workers);

    oskel::f32 getProgress() const override;
    void abort() override;

    // Gives the lot's rising animations the length (the second key of each).
    void setRestoringDuration(oskel::u32 ms);

protected:
    void onWorkStarted() override;
    oskel::f32 workFactor() override;
    void onWorkFinished() override;

private:
    void fitAnimations();

    oskel::f32 m_materials;
    oskel::f32 m_factor = 1.0f;
};

}  // namespace brasquel
