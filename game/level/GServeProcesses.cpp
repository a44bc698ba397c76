#include "game/level/GServeProcesses.h"

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

// ---- Feature ----

const EventMap& GFeatureProcess::getEventMap() { return CEventReceiver::getEventMap(); }

GFeatureProcess::GFeatureProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                                 TemplateCollectionNode* templates, s32 featureIndex)
    : m_level(level),
      m_world(world),
      m_lot(lot),
      m_lotType(lot ? lot->getCurrentType() : nullptr),
      m_featureIndex(featureIndex) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    if (m_lot) m_lot->addPostReceiver(this);
    m_bar = makeBarOver(templates, m_lot.get());
    if (m_lot) m_lot->startFeature(featureIndex);
}

GFeatureProcess::~GFeatureProcess() {
    if (m_world) m_world->removePostReceiver(this);
    if (m_lot) m_lot->removePostReceiver(this);
    dropBar(m_bar, m_lot.get());
}

f32 GFeatureProcess::getProgress() const {
    return m_lot ? 1.0f - m_lot->getFeatureProgress(m_featureIndex) : 0.0f;
}

bool GFeatureProcess::update(u32) {
    if (m_done || !m_lot) return false;
    if (m_lot->getFeatureState(m_featureIndex) == GBuildingFeatureState::Active) {
        if (m_bar) m_bar->setValue(getProgress());
        return true;
    }
    CRefPtr<GFeatureProcess> self(this);
    CRefPtr<GBuildingNode> lot = m_lot;
    m_done = true;
    dropBar(m_bar, lot.get());
    lot->setProcess(BuildingProcessNone, nullptr);
    postToLevel(m_level, makeEvent<GEventBuildingFeatureUsed>(lot.get(), m_featureIndex).get());
    return false;
}

// ---- Timed service ----

GTimedServeProcess::GTimedServeProcess(GGameLevelScene* level, GBuildingNode* building,
                                       TemplateCollectionNode* templates)
    : m_level(level),
      m_building(building),
      m_type(building ? building->getCurrentType() : nullptr) {
    addCategory(CategoryNode);
    m_bar = makeBarOver(templates, m_building.get());
    m_remaining = m_type ? m_type->ServiceDuration : 0.0f;
}

GTimedServeProcess::~GTimedServeProcess() { dropBar(m_bar, m_building.get()); }

f32 GTimedServeProcess::getProgress() const {
    if (!m_type || m_type->ServiceDuration <= 0.0f) return 1.0f;
    return (m_type->ServiceDuration - m_remaining) / m_type->ServiceDuration;
}

bool GTimedServeProcess::update(u32 elapsedMs) {
    if (m_done) return false;
    m_remaining -= static_cast<f32>(elapsedMs);
    if (m_remaining >= 0.0f) {
        if (m_bar) m_bar->setValue(getProgress());
        return true;
    }
    CRefPtr<GTimedServeProcess> self(this);
    m_remaining = 0.0f;
    m_done = true;
    dropBar(m_bar, m_building.get());
    if (m_building)
        postToLevel(m_level, makeEvent<GEventBuildingProcessEnded>(m_building.get()).get());
    return false;
}

// ---- Custom service ----

OSKEL_BEGIN_EVENT_MAP(GCustomServeProcess, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_END_EVENT_MAP()

GCustomServeProcess::GCustomServeProcess(GGameLevelScene* level, GBuildingNode* lot,
                                         BaseNode* world, TemplateCollectionNode* templates,
                                         GLevelPath* carPath)
    : m_level(level),
      m_world(world),
      m_lot(lot),
      m_lotType(lot ? lot->getCurrentType() : nullptr),
      m_path(carPath) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    if (m_lot) m_lot->addPostReceiver(this);
    // The service's bus keeps out of the traffic: the passing cars never give way to it.
    m_bus = startBus(templates, m_world.get(), m_path.get(), ServiceBusSpeed);
    // Without a bus to send the service is brought at once.
    m_phase = m_bus ? Driving : Arrived;
    if (!m_bus && isUsable(m_path.get()))
        logWarning("The level has no bus template: the service is brought at once");
    m_bar = makeBarOver(templates, m_lot.get());
    // One duration drives both the countdown and the bar.
    m_remaining = m_lotType ? m_lotType->ServeTime : 0.0f;
}

GCustomServeProcess::~GCustomServeProcess() {
    if (m_world) m_world->removePostReceiver(this);
    if (m_lot) m_lot->removePostReceiver(this);
    removeBus();
    dropBar(m_bar, m_lot.get());
}

void GCustomServeProcess::removeBus() { detach(m_bus, m_world.get()); }

f32 GCustomServeProcess::getProgress() const {
    if (!m_lotType || m_lotType->ServeTime <= 0.0f) return 1.0f;
    return (m_lotType->ServeTime - m_remaining) / m_lotType->ServeTime;
}

bool GCustomServeProcess::update(u32 elapsedMs) {
    if (m_phase == Finished) return false;
    CRefPtr<GCustomServeProcess> self(this);
    if (m_bus && m_bus->getParent() == m_world.get())
        static_cast<GPathMovableNode*>(m_bus.get())->update(elapsedMs);
    switch (m_phase) {
        case Arrived:
            m_phase = Serving;
            break;
        case Serving:
            m_remaining -= static_cast<f32>(elapsedMs);
            if (m_remaining < 0.0f) {
                m_remaining = 0.0f;
                dropBar(m_bar, m_lot.get());
                m_phase = Served;
                if (m_lot)
                    postToLevel(m_level, makeEvent<GEventCustomServeDone>(m_lot.get()).get());
            } else if (m_bar) {
                m_bar->setValue(getProgress());
            }
            break;
        case Served:
            if (m_bus && m_bus->getParent() == m_world.get() && m_path) {
                GPathMovableNode::PathPoints points;
                for (const SLevelPathPoint& p : m_path->Points) points.emplace_back(p.x, p.y);
                m_phase = DrivingBack;
                static_cast<GPathMovableNode*>(m_bus.get())
                    ->start(points, nameId("MovingFrom"), true, false);
            } else {
                m_phase = Back;
            }
            break;
        case Back:
            removeBus();
            m_phase = Finished;
            break;
        default:
            break;
    }
    return m_phase != Finished;
}

bool GCustomServeProcess::onChildStateFinished(CEvent* event) {
    auto* notice = static_cast<CEventNodeChildStateFinished*>(event);
    if (!m_bus || notice->getNode() != m_bus.get()) return false;
    if (hasName(event, "MovingTo") && m_phase == Driving) m_phase = Arrived;
    if (hasName(event, "MovingFrom") && m_phase == DrivingBack) m_phase = Back;
    return false;
}

}  // namespace brasquel
