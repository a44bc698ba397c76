#include "game/level/GNeutralCarTraffic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CNameTable.h"
#include "engine/core/CRandom.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GPathMovableNode.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 neutralCarPathsId() {
    static const s32 id = CNameId("NeutralCar").getId();
    return id;
}

s32 passingCueId() {
    static const s32 id = CNameId("GameCar").getId();
    return id;
}

}  // namespace

GNeutralCarTraffic::GNeutralCarTraffic(GLevelPaths* paths, BaseNode* carsLayer)
    : m_carsLayer(carsLayer) {
    if (!paths) return;
    CRandom& random = CRandom::instance();
    for (const CRefPtr<GLevelPath>& path : paths->getCarPaths(neutralCarPathsId())) {
        if (!path) continue;
        s32 minMs = path->Time[0];
        s32 maxMs = path->Time[1];
        if (minMs > maxMs) {
            const std::string line =
                "A \"NeutralCar\" path has its Time range the wrong way round (" +
                std::to_string(minMs) + " to " + std::to_string(maxMs) + "): taken as " +
                std::to_string(maxMs) + " to " + std::to_string(minMs);
            logWarning(line.c_str());
            std::swap(minMs, maxMs);
        }
        if (minMs < 0 || maxMs < 0) {
            // A car every step would flood the road: times below zero count as zero.
            logWarning("A \"NeutralCar\" path has a Time below zero: taken as zero");
            minMs = std::max(minMs, 0);
            maxMs = std::max(maxMs, 0);
        }
        SSpawner spawner;
        spawner.path = path;
        spawner.minMs = minMs;
        spawner.maxMs = maxMs;
        spawner.countdown =
            maxMs > 0 ? static_cast<s32>(random.next() % static_cast<u32>(maxMs)) : 0;
        if (path->Cars.empty() || (minMs == 0 && maxMs == 0)) continue;
        if (path->Points.size() < 2) {
            logWarning("A \"NeutralCar\" path with fewer than two points gets no cars");
            continue;
        }
        m_spawners.push_back(spawner);
    }
}

void GNeutralCarTraffic::addCar(GPathMovableNode* car, bool isPriority) {
    if (!car) return;
    SCar entry;
    entry.isPriority = isPriority;
    entry.baseVelocity = car->Velocity;
    entry.state = CarDriving;
    entry.wait = 0.0f;
    entry.cueDone = isPriority ? true : (CRandom::instance().next() & 1u) != 0;
    entry.position = car->getPosition();
    entry.car = car;
    m_cars.push_back(entry);
}

void GNeutralCarTraffic::removeCar(GPathMovableNode* car) {
    auto found = std::find_if(m_cars.begin(), m_cars.end(),
                              [car](const SCar& entry) { return entry.car == car; });
    if (found != m_cars.end()) m_cars.erase(found);
}

const GNeutralCarTraffic::SCar* GNeutralCarTraffic::findCar(const GPathMovableNode* car) const {
    for (const SCar& entry : m_cars)
        if (entry.car == car) return &entry;
    return nullptr;
}

GPathMovableNode* GNeutralCarTraffic::spawnCar(SSpawner& spawner) {
    GLevelPath* path = spawner.path.get();
    if (!path || path->Cars.empty() || path->Points.size() < 2) return nullptr;
    CRandom& random = CRandom::instance();
    const s32 n = static_cast<s32>(path->Cars.size());
    s32 index = 0;
    if (n >= 2) {
        index = random.nextInt(0, n - 1);
        if (index == spawner.lastCarIndex) index = n - 1;
    }
    spawner.lastCarIndex = index;

    if (!m_carsLayer) return nullptr;
    SceneManager* manager = m_carsLayer->getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    BaseNode* source =
        templates ? templates->findTemplate(path->Cars[static_cast<u32>(index)].getId()) : nullptr;
    if (!source || !source->isKindOf(GameNodeTypeCarNode)) return nullptr;
    BaseNode* made = source->clone(m_carsLayer, manager);
    if (!made) return nullptr;
    auto* car = static_cast<GPathMovableNode*>(made);
    car->setVisible(true);
    car->setTrafficController(this, false);
    GPathMovableNode::PathPoints points;
    points.reserve(path->Points.size());
    for (const SLevelPathPoint& p : path->Points) points.emplace_back(p.x, p.y);
    const f32 velocity = static_cast<f32>(CarBaseVelocity + random.next() % CarVelocitySpread);
    car->Velocity = velocity;
    // The car joined before its speed was drawn: its own speed is the one a hurry gives back.
    for (SCar& entry : m_cars)
        if (entry.car == car) entry.baseVelocity = velocity;
    car->start(points, -1, false, false);
    return car;
}

void GNeutralCarTraffic::update(u32 elapsedMs) {
    CRandom& random = CRandom::instance();
    if (m_startPending) {
        for (SSpawner& spawner : m_spawners) {
            if ((random.nextTwister() & 1u) != 0) continue;
            if (GPathMovableNode* car = spawnCar(spawner)) {
                const u32 spread =
                    elapsedMs * static_cast<u32>(random.nextInt(0, StartSpreadSteps));
                car->update(spread);
            }
        }
        m_startPending = false;
    }

    for (SSpawner& spawner : m_spawners) {
        const std::int64_t left =
            static_cast<std::int64_t>(spawner.countdown) - static_cast<std::int64_t>(elapsedMs);
        spawner.countdown = static_cast<s32>(std::max<std::int64_t>(left, -2147483647));
        if (spawner.countdown >= 1) continue;
        if (spawner.maxMs == spawner.minMs)
            spawner.countdown = spawner.minMs;
        else
            spawner.countdown =
                spawner.minMs +
                static_cast<s32>(random.next() % static_cast<u32>(spawner.maxMs - spawner.minMs));
        spawnCar(spawner);
    }

    for (const SCar& priority : m_cars) {
        if (!priority.isPriority) continue;
        const vector3df& p = priority.car->getPosition();
        for (SCar& other : m_cars) {
            if (other.isPriority) continue;
            const vector3df& n = other.car->getPosition();
            if (std::fabs(n.X - p.X) < GiveWayHalfWidth &&
                std::fabs(n.Y - p.Y) < GiveWayHalfHeight) {
                other.state = CarHurried;
                other.wait = HurriedMs;
                other.car->Velocity = HurriedVelocity;
            }
        }
    }

    for (SCar& entry : m_cars) {
        entry.position = entry.car->getPosition();
        if (entry.state == CarHurried) {
            entry.wait -= static_cast<f32>(elapsedMs);
            if (entry.wait < 0.0f) {
                entry.state = CarDriving;
                entry.wait = 0.0f;
                entry.car->Velocity = entry.baseVelocity;
            }
        }
        if (!entry.cueDone && entry.position.X >= CueLeft && entry.position.X <= CueRight) {
            entry.cueDone = true;
            IGameServices* services = IGameServices::get();
            if (CSoundGroupManager* groups = services ? services->getSoundGroupManager() : nullptr)
                static_cast<void>(groups->playCue(CNameId::fromId(passingCueId()), false, 0));
        }
    }
}

}  // namespace brasquel
