#pragma once

#include "engine/core/CRefPtr.h"
#include "game/level/GBuildingProcess.h"

namespace oskel {
class BaseNode;
class BaseProgressBarNode;
class TemplateCollectionNode;
}  // namespace oskel

namespace brasquel {

class GBuildingConfig;

// The workers' bus of the work on a lot: it drives a car path to the lot, waits there two level
// steps once the workers are out and drives on. Without a usable path, or without a bus template
// (logged), the workers are at the lot at once.
class GWorkersBus {
public:
    enum EPhase : oskel::s32 {
        NoBus = 0,        // a path but no bus (not reached: a missing bus counts as no path)
        Driving = 1,      // on the way to the lot
        AtLot = 2,        // the workers are there (or there is no bus)
        WorkStarted = 3,  // the work started
        Waiting = 4,      // one step later
        Leaving = 5,      // the bus plays its leaving state
        Gone = 6,         // the bus has left
        Finished = 7,     // the work is over or given up
    };

    GWorkersBus() = default;
    ~GWorkersBus();
    GWorkersBus(const GWorkersBus&) = delete;
    GWorkersBus& operator=(const GWorkersBus&) = delete;

    // Sends the bus (true) or puts the workers at the lot at once (false). The bus joins the
    // traffic, when one is given, as a car the others give way to.
    bool start(oskel::BaseNode* world, oskel::TemplateCollectionNode* templates, GLevelPath* path,
               oskel::f32 speed, bool playCue, GNeutralCarTraffic* traffic = nullptr);
    // Moves the bus and steps the phases the bus decides: 3 to 4, 4 to 5 (or 6 without a bus),
    // 6 takes the bus away. The work's own step at phase 2 is the owner's.
    void step(oskel::u32 elapsedMs);
    // A state notice that came to the world layer; true when it moved the phase.
    bool onNotice(const oskel::CEvent* event);
    void remove();

    oskel::s32 phase = AtLot;
    oskel::BaseNode* getBus() const { return m_bus.get(); }

private:
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<oskel::BaseNode> m_bus;
    oskel::CRefPtr<GLevelPath> m_path;
};

// Cleans or repairs a lot: the workers come by bus, the work time runs with a progress bar over
// the building from their arrival, and at the end the level hears that the lot is clean or
// repaired and gets its workers back. The kinds choose what starts, ends and is undone.
class GMaintenanceProcess : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    GMaintenanceProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                        oskel::TemplateCollectionNode* templates, GLevelPath* carPath,
                        oskel::f32 materials, oskel::s32 workers);
    ~GMaintenanceProcess() override;

    oskel::f32 getProgress() const override;
    bool update(oskel::u32 elapsedMs) override;
    void abort() override;

    bool onChildStateFinished(oskel::CEvent* event);

    oskel::s32 getPhase() const { return m_crew.phase; }
    oskel::f32 getElapsed() const { return m_elapsed; }
    oskel::f32 getTotal() const { return m_total; }
    oskel::BaseNode* getBus() const { return m_crew.getBus(); }
    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }

protected:
    virtual void onStarted();
    virtual void onFinished() = 0;
    virtual void onAborted() = 0;

    GGameLevelScene* m_level;
    oskel::CRefPtr<GBuildingNode> m_lot;
    oskel::CRefPtr<GBuildingConfig> m_lotType;
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    GWorkersBus m_crew;
    oskel::f32 m_materials;
    oskel::s32 m_workers;
    oskel::f32 m_total = 0.0f;
    oskel::f32 m_elapsed = 0.0f;
};

class GCleaningProcess : public GMaintenanceProcess {
public:
    GCleaningProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                     oskel::TemplateCollectionNode* templates, GLevelPath* carPath,
                     oskel::f32 materials, oskel::s32 workers);

protected:
    void onFinished() override;
    void onAborted() override;
};

class GRepairProcess : public GMaintenanceProcess {
public:
    GRepairProcess(GGameLevelScene* level, GBuildingNode* lot, oskel::BaseNode* world,
                   oskel::TemplateCollectionNode* templates, GLevelPath* carPath,
                   oskel::f32 materials, oskel::s32 workers);

protected:
    void onFinished() override;
    void onAborted() override;
};

}  // namespace brasquel
