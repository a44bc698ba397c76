#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/scene/BaseNode.h"
#include "game/level/GBuildingProcess.h"

namespace oskel {
class BaseNode;
class BaseProgressBarNode;
class SoundCue;
class TemplateCollectionNode;
}  // namespace oskel

namespace brasquel {

class GBuildingConfig;

// Builds a new type on a lot or upgrades it to its next level, staged as a small show: a
// helicopter crosses the screen over the lot and drops a cargo, a bus brings the workers along a
// car path, and a construction node on the lot plays its stages; the work itself lasts the new
// type's build time and starts once the cargo and the workers are there. At the end the lot
// takes the new type's look and an upgraded lodging's new star flies into its row.
class GConstructionProcess : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // Flight speed of the helicopter, units per second.
    static constexpr oskel::f32 FlightSpeed = 300.0f;
    // The hover point over the lot, from the lot's position.
    static constexpr oskel::f32 HoverOffsetX = 104.0f;
    static constexpr oskel::f32 HoverOffsetY = -57.0f;
    static constexpr oskel::f32 HoverDepth = 2000.0f;
    // The length of the flight in and of the flight out.
    static constexpr oskel::f32 FlightLength = 1000.0f;
    // The time the post-build stages add to the work on the bar.
    static constexpr oskel::f32 PostBuildTimeMs = 1500.0f;
    static constexpr oskel::s32 SoundFadeOutMs = 1000;

    // The lot has already taken the new type (its old one kept as the previous type). The car
    // path may be null; the materials and workers are those the level took for the order.
    GConstructionProcess(GGameLevelScene* level, GBuildingNode* lot, GBuildingConfig* newType,
                         oskel::BaseNode* world, oskel::TemplateCollectionNode* templates,
                         GLevelPath* carPath, oskel::f32 materials, oskel::s32 workers);
    ~GConstructionProcess() override;

    oskel::f32 getProgress() const override;
    bool update(oskel::u32 elapsedMs) override;
    void abort() override;

    bool onChildStateFinished(oskel::CEvent* event);
    bool onStateFinished(oskel::CEvent* event);

    // The flight points of the helicopter over a lot at the position: where it enters, where it
    // hovers and where it leaves, and the name of its direction. Draws from the engine's random
    // generator when the lot lies in a middle band.
    struct SFlightPlan {
        oskel::vector3df start;
        oskel::vector3df hover;
        oskel::vector3df end;
        const char* direction;
    };
    static SFlightPlan planFlight(const oskel::vector3df& lotPosition);

    // ---- What the show has come to ----
    enum EHelicopterPhase : oskel::s32 {
        HelicopterNone = 0,
        HelicopterFlyingIn = 1,
        HelicopterArrived = 3,
        HelicopterBeforeUnloading = 4,
        HelicopterBeforeUnloadingDone = 5,
        HelicopterUnloading = 6,
        HelicopterDelivered = 7,
        HelicopterAfterUnloading = 8,
        HelicopterAfterUnloadingDone = 9,
        HelicopterFlyingOut = 10,
        HelicopterLeaving = 11,
        HelicopterRemoved = 12,
    };
    enum EBusPhase : oskel::s32 {
        BusNone = 0,
        BusDriving = 1,
        BusLastSegment = 2,
        BusArrived = 3,
        BusParked = 10,
        BusLeaving = 11,
        BusRemoved = 12,
    };
    enum EConstructionPhase : oskel::s32 {
        ConstructionNotStarted = 0,
        ConstructionPreBuild1 = 1,
        ConstructionPreBuild1Done = 2,
        ConstructionPreBuild2 = 3,
        ConstructionPreBuild2Done = 4,
        ConstructionBuild = 5,
        ConstructionWorking = 6,
        ConstructionWorkDone = 7,
        ConstructionPostBuild1Done = 9,
        ConstructionPostBuild = 10,
        ConstructionPostBuild2Done = 11,
        ConstructionFinished = 13,
    };
    enum EStarPhase : oskel::s32 { StarWaiting = 0, StarFlying = 1, StarDone = 2 };

    oskel::s32 getHelicopterPhase() const { return m_helicopterPhase; }
    oskel::s32 getBusPhase() const { return m_busPhase; }
    oskel::s32 getConstructionPhase() const { return m_constructionPhase; }
    oskel::s32 getStarPhase() const { return m_starPhase; }
    oskel::f32 getElapsed() const { return m_elapsed; }
    oskel::f32 getTotal() const { return m_total; }
    const oskel::stringc& getDirectionName() const { return m_direction; }
    oskel::BaseNode* getHelicopter() const { return m_helicopter.get(); }
    oskel::BaseNode* getBus() const { return m_bus.get(); }
    oskel::BaseNode* getConstructionNode() const { return m_construction.get(); }
    oskel::BaseNode* getCargo() const { return m_cargo.get(); }
    oskel::BaseNode* getStarEffect() const { return m_starEffect.get(); }
    oskel::BaseProgressBarNode* getProgressBar() const { return m_bar.get(); }
    oskel::SoundCue* getHelicopterSound() const { return m_helicopterSound.get(); }

private:
    void startHelicopter(oskel::TemplateCollectionNode* templates);
    void startBusOrWorkers(oskel::TemplateCollectionNode* templates);
    void replaceSelector(oskel::TemplateCollectionNode* templates);
    void startConstructionNode(oskel::TemplateCollectionNode* templates);
    void setFlightKeys(oskel::s32 state, const oskel::vector3df& from, const oskel::vector3df& to);
    void updateHelicopter();
    void updateBus(oskel::u32 elapsedMs);
    void updateConstruction(oskel::u32 elapsedMs);
    void finishConstruction();
    // Plays the stage on the construction node; without one the stage is over at once.
    void enterStage(const char* state, oskel::s32 runningPhase, oskel::s32 donePhase);
    void showTemplateParts(bool show);
    bool usesStarEffect() const;
    void removeHelicopter();
    void removeBus();
    void leaveLists();

    GGameLevelScene* m_level;
    oskel::CRefPtr<GBuildingNode> m_lot;
    oskel::CRefPtr<GBuildingConfig> m_newType;
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<GLevelPath> m_carPath;
    oskel::CRefPtr<oskel::BaseNode> m_helicopter;
    oskel::stringc m_direction;
    oskel::CRefPtr<oskel::BaseNode> m_cargo;
    oskel::CRefPtr<oskel::BaseNode> m_bus;
    oskel::CRefPtr<oskel::BaseNode> m_construction;
    oskel::CRefPtr<oskel::BaseProgressBarNode> m_bar;
    oskel::CRefPtr<oskel::BaseNode> m_starEffect;
    oskel::CRefPtr<oskel::SoundCue> m_helicopterSound;
    oskel::s32 m_helicopterPhase = HelicopterNone;
    oskel::s32 m_busPhase = BusNone;
    oskel::s32 m_constructionPhase = ConstructionNotStarted;
    oskel::s32 m_starPhase = StarWaiting;
    oskel::f32 m_materials;
    oskel::s32 m_workers;
    oskel::f32 m_elapsed = 0.0f;
    oskel::f32 m_total = 0.0f;
};

}  // namespace brasquel
