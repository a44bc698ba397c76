#include "game/level/GMaintenanceProcess.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CLogger.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/scene/NodeEvents.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;

namespace brasquel {

// ---- The workers' bus ----

GWorkersBus::~GWorkersBus() { remove(); }

bool GWorkersBus::start(BaseNode* world, TemplateCollectionNode* templates, GLevelPath* path,
                        f32 speed, bool playCue, GNeutralCarTraffic* traffic) {
    m_world.assign(world);
    m_path.assign(path);
    phase = AtLot;
    if (!path || path->Points.size() < 2) return false;
    m_bus = GBuildingProcess::startBus(templates, world, path, speed, traffic);
    if (!m_bus) {
        logWarning("The level has no bus template: the workers are at the lot at once");
        return false;
    }
    phase = Driving;
    if (playCue) {
        if (CSoundGroupManager* groups = GBuildingProcess::soundGroups())
            static_cast<void>(groups->playCue(CNameId("Bus"), false, 0));
    }
    return true;
}

void GWorkersBus::step(u32 elapsedMs) {
    if (m_bus && m_bus->getParent() == m_world.get())
        static_cast<GPathMovableNode*>(m_bus.get())->update(elapsedMs);
    switch (phase) {
        case WorkStarted:
            phase = Waiting;
            break;
        case Waiting:
            if (m_bus && m_bus->getParent() == m_world.get()) {
                phase = Leaving;
                m_bus->playState(CNameId("MovingFrom").getId(), nullptr, -1);
            } else {
                phase = Gone;
            }
            break;
        case Gone:
            remove();
            break;
        default:
            break;
    }
}

bool GWorkersBus::onNotice(const CEvent* event) {
    const auto* notice = static_cast<const CEventNodeChildStateFinished*>(event);
    if (!m_bus || notice->getNode() != m_bus.get()) return false;
    if (notice->getStateId() == CNameId("MovingTo").getId() && phase == Driving) {
        phase = AtLot;
        return true;
    }
    if (notice->getStateId() == CNameId("MovingFrom").getId() && phase == Leaving) {
        phase = Gone;
        return true;
    }
    return false;
}

void GWorkersBus::remove() {
    if (!m_bus) return;
    CRefPtr<BaseNode> bus = std::move(m_bus);
    m_bus = nullptr;
    if (bus->getParent() && bus->getParent() == m_world.get()) bus->setParent(nullptr);
}

// ---- Maintenance ----

OSKEL_BEGIN_EVENT_MAP(GMaintenanceProcess, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_END_EVENT_MAP()

GMaintenanceProcess::GMaintenanceProcess(GGameLevelScene* level, GBuildingNode* lot,
                                         BaseNode* world, TemplateCollectionNode* templates,
                                         GLevelPath* carPath, f32 materials, s32 workers)
    : m_level(level),
      m_lot(lot),
      m_lotType(lot ? lot->getCurrentType() : nullptr),
      m_world(world),
      m_materials(materials),
      m_workers(workers) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    if (m_lot) m_lot->addPostReceiver(this);
    if (!m_crew.start(world, templates, carPath, WorkersBusSpeed, true, trafficOf(level)) && m_lot &&
        m_lot->isFocused())
        m_lot->playStateSound();
    m_bar = makeBarOver(templates, m_lot.get());
}

GMaintenanceProcess::~GMaintenanceProcess() {
    if (m_world) m_world->removePostReceiver(this);
    if (m_lot) m_lot->removePostReceiver(this);
    m_crew.remove();
    dropBar(m_bar, m_lot.get());
}

f32 GMaintenanceProcess::getProgress() const {
    return m_total <= 0.0f ? 1.0f : m_elapsed / m_total;
}

void GMaintenanceProcess::onStarted() {
    if (m_lot && m_lot->isFocused()) m_lot->playStateSound();
}

bool GMaintenanceProcess::update(u32 elapsedMs) {
    if (m_crew.phase == GWorkersBus::Finished) return false;
    CRefPtr<GMaintenanceProcess> self(this);
    m_crew.step(elapsedMs);
    if (m_crew.phase == GWorkersBus::AtLot) {
        if (m_lot) m_lot->showWorkersCount(m_workers);
        m_crew.phase = GWorkersBus::WorkStarted;
        onStarted();
    }
    if (m_crew.phase >= GWorkersBus::AtLot && m_crew.phase <= GWorkersBus::Gone) {
        m_elapsed += static_cast<f32>(elapsedMs) * buildTimeFactor(m_level);
        if (m_total <= m_elapsed) {
            m_elapsed = 0.0f;
            m_crew.phase = GWorkersBus::Finished;
            dropBar(m_bar, m_lot.get());
            onFinished();
            if (m_lot) {
                postToLevel(m_level,
                            makeEvent<GEventResourcesReturned>(m_lot.get(), 0.0f, m_workers).get());
                m_lot->showWorkersCount(0);
            }
        } else if (m_bar) {
            m_bar->setValue(getProgress());
        }
    }
    return m_crew.phase != GWorkersBus::Finished;
}

void GMaintenanceProcess::abort() {
    if (m_crew.phase == GWorkersBus::Finished) return;
    CRefPtr<GMaintenanceProcess> self(this);
    m_crew.phase = GWorkersBus::Finished;
    if (!m_lot) return;
    CRefPtr<GBuildingNode> lot = m_lot;
    lot->setProcess(BuildingProcessNone, nullptr);
    lot->showWorkersCount(0);
    onAborted();
    postToLevel(m_level,
                makeEvent<GEventResourcesReturned>(lot.get(), m_materials, m_workers).get());
}

bool GMaintenanceProcess::onChildStateFinished(CEvent* event) {
    m_crew.onNotice(event);
    return false;
}

// ---- The kinds ----

GCleaningProcess::GCleaningProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                                   TemplateCollectionNode* templates, GLevelPath* carPath,
                                   f32 materials, s32 workers)
    : GMaintenanceProcess(level, lot, world, templates, carPath, materials, workers) {
    m_total = m_lotType ? m_lotType->RepairTime : 0.0f;
}

void GCleaningProcess::onFinished() {
    if (!m_lot) return;
    m_lot->stopStateSound();
    postToLevel(m_level, makeEvent<GEventBuildingCleaned>(m_lot.get()).get());
}

void GCleaningProcess::onAborted() {
    if (!m_lot) return;
    m_lot->stopStateSound();
    m_lot->setProblemState(BuildingProblemDirty);
}

GRepairProcess::GRepairProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                               TemplateCollectionNode* templates, GLevelPath* carPath,
                               f32 materials, s32 workers)
    : GMaintenanceProcess(level, lot, world, templates, carPath, materials, workers) {
    m_total = m_lotType ? m_lotType->RepairTime : 0.0f;
}

void GRepairProcess::onFinished() {
    if (!m_lot) return;
    m_lot->stopStateSound();
    postToLevel(m_level, makeEvent<GEventBuildingRepaired>(m_lot.get()).get());
}

void GRepairProcess::onAborted() {
    if (!m_lot) return;
    m_lot->stopStateSound();
    m_lot->setProblemState(BuildingProblemBroken);
}

}  // namespace brasquel
