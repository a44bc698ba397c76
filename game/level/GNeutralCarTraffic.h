#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/scene/BaseNode.h"

namespace brasquel {

class GLevelPath;
class GLevelPaths;
class GPathMovableNode;

// The passing cars of a level: cars that belong to nobody, started on the level's car paths
// named "NeutralCar", and kept out of the way of the game's own vehicles. Every car that joins
// is listed: the traffic's own cars join as neutral cars, the buses of the building work as
// priority cars. A neutral car that comes close to a priority car hurries off at a higher speed
// for a second; some neutral cars play a passing cue once as they cross the middle of the
// screen. The level calls update in every one of its steps, paused or not.
class GNeutralCarTraffic : public virtual oskel::IReferenceCounted {
public:
    // A car states.
    enum ECarState : oskel::s32 { CarDriving = 1, CarHurried = 2 };

    // The box around a priority car inside which neutral cars hurry (half sizes, exclusive).
    static constexpr oskel::f32 GiveWayHalfWidth = 35.0f;
    static constexpr oskel::f32 GiveWayHalfHeight = 16.0f;
    static constexpr oskel::f32 HurriedVelocity = 160.0f;
    static constexpr oskel::f32 HurriedMs = 1000.0f;
    // The speed of a new car: the base plus up to the spread less one.
    static constexpr oskel::u32 CarBaseVelocity = 70;
    static constexpr oskel::u32 CarVelocitySpread = 10;
    // A neutral car plays the passing cue when it stands between these x (both included).
    static constexpr oskel::f32 CueLeft = 400.0f;
    static constexpr oskel::f32 CueRight = 600.0f;
    // The starting cars are spread along their paths by the first step times up to this less one.
    static constexpr oskel::s32 StartSpreadSteps = 510;

    struct SSpawner {
        oskel::CRefPtr<GLevelPath> path;
        oskel::s32 minMs = 0;
        oskel::s32 maxMs = 0;
        // Milliseconds until the next car.
        oskel::s32 countdown = 0;
        // The index in the path's car templates of the last car made.
        oskel::s32 lastCarIndex = 0;
    };

    struct SCar {
        bool isPriority = false;
        // The car's own speed, given back when a hurry ends.
        oskel::f32 baseVelocity = 0.0f;
        oskel::s32 state = CarDriving;
        // Milliseconds left in the hurried state.
        oskel::f32 wait = 0.0f;
        // The passing cue is not, or no longer, to be played.
        bool cueDone = true;
        // Where the car stood at the last update.
        oskel::vector3df position;
        // Not counted: a car leaves the list when it is destroyed or given another controller.
        GPathMovableNode* car = nullptr;
    };

    // Builds a spawner for every usable "NeutralCar" path of the level. The cars are made under
    // the vehicle layer, whose scene manager holds their templates; the layer must outlive the
    // calls of update (the level holds both).
    GNeutralCarTraffic(GLevelPaths* paths, oskel::BaseNode* carsLayer);
    ~GNeutralCarTraffic() override = default;
    GNeutralCarTraffic(const GNeutralCarTraffic&) = delete;
    GNeutralCarTraffic& operator=(const GNeutralCarTraffic&) = delete;

    // The car joins the list (called by the car when it is given this traffic).
    void addCar(GPathMovableNode* car, bool isPriority);
    // The car's first entry leaves the list; nothing when it is not listed.
    void removeCar(GPathMovableNode* car);
    // One step of the traffic: the starting cars once, the spawners, giving way, the hurries
    // and the passing cue.
    void update(oskel::u32 elapsedMs);

    // Makes a car on the spawner's path, or none (missing template, or one that is no car).
    GPathMovableNode* spawnCar(SSpawner& spawner);

    const std::vector<SSpawner>& getSpawners() const { return m_spawners; }
    const std::vector<SCar>& getCars() const { return m_cars; }
    // The entry of the car, or none.
    const SCar* findCar(const GPathMovableNode* car) const;
    bool isStartPending() const { return m_startPending; }
    oskel::BaseNode* getCarsLayer() const { return m_carsLayer; }

private:
    bool m_startPending = true;
    oskel::BaseNode* m_carsLayer = nullptr;
    std::vector<SSpawner> m_spawners;
    std::vector<SCar> m_cars;
};

}  // namespace brasquel
