#include "game/level/GDestroyProcess.h"

#include <cmath>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/animation/KeyFrame.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelPaths.h"

using namespace oskel;

namespace brasquel {

// ---- Shared ----

OSKEL_BEGIN_EVENT_MAP(GLotWorkProcess, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_END_EVENT_MAP()

GLotWorkProcess::GLotWorkProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                                 GLevelPath* carPath, s32 workers)
    : m_level(level),
      m_lot(lot),
      m_lotType(lot ? lot->getCurrentType() : nullptr),
      m_world(world),
      m_path(carPath),
      m_workers(workers) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    if (m_lot) m_lot->addPostReceiver(this);
}

GLotWorkProcess::~GLotWorkProcess() {
    if (m_world) m_world->removePostReceiver(this);
    if (m_lot) m_lot->removePostReceiver(this);
    m_crew.remove();
    dropBar(m_bar, m_lot.get());
}

bool GLotWorkProcess::startCrew(TemplateCollectionNode* templates) {
    const bool sent = m_crew.start(m_world.get(), templates, m_path.get(), WorkersBusSpeed, true,
                                    trafficOf(m_level));
    m_bar = makeBarOver(templates, m_lot.get());
    return sent;
}

bool GLotWorkProcess::update(u32 elapsedMs) {
    if (m_crew.phase == GWorkersBus::Finished) return false;
    CRefPtr<GLotWorkProcess> self(this);
    m_crew.step(elapsedMs);
    if (m_crew.phase == GWorkersBus::AtLot) {
        m_crew.phase = GWorkersBus::WorkStarted;
        onWorkStarted();
    }
    if (m_crew.phase >= GWorkersBus::AtLot && m_crew.phase < GWorkersBus::Finished) {
        m_remaining -= static_cast<f32>(elapsedMs) * workFactor();
        if (m_remaining < 0.0f) {
            m_remaining = 0.0f;
            m_crew.phase = GWorkersBus::Finished;
            dropBar(m_bar, m_lot.get());
            onWorkFinished();
        } else if (m_bar) {
            m_bar->setValue(getProgress());
        }
    }
    return m_crew.phase != GWorkersBus::Finished;
}

bool GLotWorkProcess::onChildStateFinished(CEvent* event) {
    m_crew.onNotice(event);
    return false;
}

// ---- Demolition ----

GDestroyProcess::GDestroyProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                                 TemplateCollectionNode* templates, GLevelPath* carPath)
    : GLotWorkProcess(level, lot, world, carPath, 0) {
    if (!startCrew(templates)) {
        if (CSoundGroupManager* groups = soundGroups())
            m_workSound.assign(groups->playCue(CNameId("Destroying"), false, 0));
    }
    const GLevelConfiguration* configuration = level ? level->getLevelConfiguration() : nullptr;
    m_workers = m_lotType ? m_lotType->getDestroyWorkersCost(configuration) : 0;
    m_remaining = m_lotType ? m_lotType->DestroyTime : 0.0f;
    if (m_lot) m_lot->setState(nameId("Done"));
}

GDestroyProcess::~GDestroyProcess() { fadeWorkSound(); }

void GDestroyProcess::fadeWorkSound() {
    // The noise of the work dies away with it rather than running on.
    if (!m_workSound) return;
    m_workSound->stop(SoundFadeOutMs);
    m_workSound = nullptr;
}

f32 GDestroyProcess::getProgress() const {
    if (!m_lotType || m_lotType->DestroyTime <= 0.0f) return 1.0f;
    return (m_lotType->DestroyTime - m_remaining) / m_lotType->DestroyTime;
}

s32 GDestroyProcess::settingState(const char* prefix) const {
    const GLevelConfiguration* configuration = m_level ? m_level->getLevelConfiguration() : nullptr;
    stringc name(prefix);
    name += stringc(configuration ? configuration->SettingIndex : 1);
    return nameId(name.c_str());
}

void GDestroyProcess::onWorkStarted() {
    if (!m_lot) return;
    CRefPtr<GBuildingNode> lot = m_lot;
    lot->setTemplateName(nameId("BuildingPlace"));
    lot->setState(settingState("DestroySetting"));
    lot->setState(nameId("Destroy"));
    lot->showWorkersCount(m_workers);
    if (lot->isFocused()) lot->playStateSound();
}

void GDestroyProcess::onWorkFinished() {
    fadeWorkSound();
    if (!m_lot) return;
    CRefPtr<GBuildingNode> lot = m_lot;
    lot->stopStateSound();
    lot->setState(settingState("DoneSetting"));
    lot->setState(nameId("Done"));
    postToLevel(m_level, makeEvent<GEventBuildingDestroyed>(lot.get()).get());
    postToLevel(m_level, makeEvent<GEventResourcesReturned>(lot.get(), 0.0f, m_workers).get());
    lot->showWorkersCount(0);
}

void GDestroyProcess::abort() {
    if (!m_lot || !m_lot->getPreviousType() || m_crew.phase == GWorkersBus::Finished) return;
    CRefPtr<GDestroyProcess> self(this);
    CRefPtr<GBuildingNode> lot = m_lot;
    m_crew.remove();
    m_crew.phase = GWorkersBus::Finished;
    fadeWorkSound();
    CRefPtr<GBuildingConfig> previous(lot->getPreviousType());
    lot->setType(previous.get(), true);
    lot->setTemplateName(previous->Name.getId());
    lot->showWorkersCount(0);
    lot->setProcess(BuildingProcessNone, nullptr);
    lot->stopStateSound();
    postToLevel(m_level, makeEvent<GEventResourcesReturned>(lot.get(), 0.0f, m_workers).get());
}

// ---- Restoring ----

GRestoringProcess::GRestoringProcess(GGameLevelScene* level, GBuildingNode* lot, BaseNode* world,
                                     TemplateCollectionNode* templates, GLevelPath* carPath,
                                     f32 materials, s32 workers)
    : GLotWorkProcess(level, lot, world, carPath, workers), m_materials(materials) {
    if (!startCrew(templates) && m_lot) m_lot->playStateSound();
    m_remaining = m_lotType ? m_lotType->BuildTime : 0.0f;
    m_factor = buildTimeFactor(level);
    fitAnimations();
}

f32 GRestoringProcess::getProgress() const {
    if (!m_lotType || m_lotType->BuildTime <= 0.0f) return 1.0f;
    return (m_lotType->BuildTime - m_remaining) / m_lotType->BuildTime;
}

void GRestoringProcess::fitAnimations() {
    // A clock that does not run leaves the animations as long as they are.
    if (m_factor <= 0.0f) return;
    setRestoringDuration(static_cast<u32>(std::floor(m_remaining / m_factor + 0.5f)));
}

void GRestoringProcess::setRestoringDuration(u32 ms) {
    if (!m_lot) return;
    const s32 restoring = nameId("Restoring");
    // The lot's own children and the parts of its look (its template's copy).
    std::vector<BaseNode*> parts(m_lot->getChildren().begin(), m_lot->getChildren().end());
    if (BaseNode* look = m_lot->getTemplateInstance())
        parts.insert(parts.end(), look->getChildren().begin(), look->getChildren().end());
    for (BaseNode* child : parts) {
        Animator* animator = child->findState(restoring);
        if (!animator) continue;
        for (u32 i = 0; i < animator->getAnimationCount(); ++i) {
            animation::Base* a = animator->getAnimation(i);
            if (!a || !a->isKindOf(animation::AnimationTypeKeyFrame)) continue;
            auto* keys = static_cast<animation::KeyFrame*>(a);
            if (keys->getKeys().size() <= 1) continue;
            animation::KeyFrameKey second = keys->getKeys()[1];
            second.t = ms;
            keys->replaceKey(1, second);
        }
    }
}

f32 GRestoringProcess::workFactor() {
    const f32 factor = buildTimeFactor(m_level);
    if (factor != m_factor) {
        m_factor = factor;
        fitAnimations();
    }
    return m_factor;
}

void GRestoringProcess::onWorkStarted() {
    if (!m_lot) return;
    m_lot->setState(nameId("Restoring"));
    m_lot->showWorkersCount(m_workers);
    if (m_lot->isFocused()) m_lot->playStateSound();
}

void GRestoringProcess::onWorkFinished() {
    if (!m_lot) return;
    CRefPtr<GBuildingNode> lot = m_lot;
    postToLevel(m_level, makeEvent<GEventBuildingRepaired>(lot.get()).get());
    postToLevel(m_level, makeEvent<GEventResourcesReturned>(lot.get(), 0.0f, m_workers).get());
    lot->showWorkersCount(0);
    lot->stopStateSound();
}

void GRestoringProcess::abort() {
    if (m_crew.phase == GWorkersBus::Finished) return;
    CRefPtr<GRestoringProcess> self(this);
    m_crew.phase = GWorkersBus::Finished;
    if (!m_lot) return;
    CRefPtr<GBuildingNode> lot = m_lot;
    lot->setProcess(BuildingProcessNone, nullptr);
    lot->setProblemState(BuildingProblemRuin);
    lot->setState(nameId("CancelRestoring"));
    lot->showWorkersCount(0);
    postToLevel(m_level,
                makeEvent<GEventResourcesReturned>(lot.get(), m_materials, m_workers).get());
}

}  // namespace brasquel
