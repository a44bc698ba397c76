#pragma once

#include "engine/core/CRefPtr.h"
#include "game/level/GMaintenanceProcess.h"

namespace brasquel {

// Accompanies an active feature of a building of the kinds that show it with a bar: the bar over
// the building follows the feature's active time, and when that is over the level hears that
// the feature was used. The lot's own timers time the feature.
class GFeatureProcess : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    GFeatureProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                    oskel::TemplateCollectionNode* templates, oskel::s32 featureIndex);
    ~GFeatureProcess() override;

    oskel::f32 getProgress() const override;
    bool update(oskel::u32 elapsedMs) override;

    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }

private:
    GGameLevelScene* m_level;
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<GBuildingNode> m_lot;
    oskel::CRefPtr<GBuildingConfig> m_lotType;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    oskel::s32 m_featureIndex;
    bool m_done = false;
};

// The service time of a serving building while it serves a lot that asked for it; runs on
// level time only.
class GTimedServeProcess : public GBuildingProcess {
public:
    GTimedServeProcess(GGameLevelScene* level, GBuildingNode* building,
                       oskel::TemplateCollectionNode* templates);
    ~GTimedServeProcess() override;

    oskel::f32 getProgress() const override;
    bool update(oskel::u32 elapsedMs) override;

    oskel::f32 getRemaining() const { return m_remaining; }
    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }

private:
    GGameLevelScene* m_level;
    oskel::CRefPtr<GBuildingNode> m_building;
    oskel::CRefPtr<GBuildingConfig> m_type;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    oskel::f32 m_remaining = 0.0f;
    bool m_done = false;
};

// The service a lot asked for, brought by bus: the bus drives to the lot, the service time runs
// there, the level hears that the service is done and the bus drives back along its path.
class GCustomServeProcess : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    enum EPhase : oskel::s32 {
        NoBus = 0,
        Driving = 1,
        Arrived = 2,
        Serving = 3,
        Served = 4,
        DrivingBack = 5,
        Back = 6,
        Finished = 7,
    };

    GCustomServeProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                        oskel::TemplateCollectionNode* templates, GLevelPath* carPath);
    ~GCustomServeProcess() override;

    oskel::f32 getProgress() const override;
    bool update(oskel::u32 elapsedMs) override;
    bool onChildStateFinished(oskel::CEvent* event);

    oskel::s32 getPhase() const { return m_phase; }
    oskel::f32 getRemaining() const { return m_remaining; }
    oskel::BaseNode* getBus() const { return m_bus.get(); }
    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }

private:
    void removeBus();

    GGameLevelScene* m_level;
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<GBuildingNode> m_lot;
    oskel::CRefPtr<GBuildingConfig> m_lotType;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    oskel::CRefPtr<oskel::BaseNode> m_bus;
    oskel::CRefPtr<GLevelPath> m_path;
    oskel::s32 m_phase = NoBus;
    oskel::f32 m_remaining = 0.0f;
};

}  // namespace brasquel
