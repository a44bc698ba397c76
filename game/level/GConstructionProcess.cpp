#include "game/level/GConstructionProcess.h"

#include <cmath>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/properties/IPropertyData.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/animation/KeyFrame.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;

namespace brasquel {

namespace {

// The screen's design space split in thirds for the choice of the flight direction.
constexpr f32 LeftThird = 341.0f;
constexpr f32 RightThird = 682.0f;
constexpr f32 UpperBand = 210.0f;
constexpr f32 LowerBand = 420.0f;
constexpr s32 RightUpAngle = -30;
constexpr s32 RightDownAngle = 30;
constexpr s32 LeftUpAngle = 210;
constexpr s32 LeftDownAngle = 150;
constexpr u32 HighlightColor = 0xFF202020u;
constexpr f32 StarDepth = 3000.0f;
constexpr f32 DepthPerUnitX = 1000.0f;
constexpr s32 SpriteBlendAdd = 1;

struct SDirection {
    const char* name;
    s32 angle;
};
constexpr SDirection RightUp{"RightUp", RightUpAngle};
constexpr SDirection RightDown{"RightDown", RightDownAngle};
constexpr SDirection LeftUp{"LeftUp", LeftUpAngle};
constexpr SDirection LeftDown{"LeftDown", LeftDownAngle};

u32 drawBits(u32 mask) { return CRandom::instance().next() & mask; }

SDirection chooseDirection(f32 x, f32 y) {
    const s32 column = x <= LeftThird ? 0 : (x <= RightThird ? 1 : 2);
    const s32 row = y <= UpperBand ? 0 : (y <= LowerBand ? 1 : 2);
    if (row == 0) {
        if (column == 0) return LeftUp;
        if (column == 2) return RightUp;
        return drawBits(1) == 0 ? RightUp : LeftUp;
    }
    if (row == 2) {
        if (column == 0) return LeftDown;
        if (column == 2) return RightDown;
        return drawBits(1) == 0 ? RightDown : LeftDown;
    }
    if (column == 0) return drawBits(1) == 0 ? LeftUp : LeftDown;
    if (column == 2) return drawBits(1) == 0 ? RightUp : RightDown;
    switch (drawBits(3)) {
        case 0:
            return RightUp;
        case 1:
            return RightDown;
        case 2:
            return LeftUp;
        default:
            return LeftDown;
    }
}

// Whether the template root's part keeps showing while the stages cover the lot.
bool staysShown(const BaseNode* part) {
    const s32 name = part->getNodeName().size() ? part->getNameId() : -1;
    return name == CNameId("Selector").getId() || name == CNameId("WorkersText").getId() ||
           name == CNameId("SmileIcon").getId();
}

bool contains(const stringc& text, const char* part) { return text.find(part) >= 0; }

}  // namespace

OSKEL_BEGIN_EVENT_MAP(GConstructionProcess, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_EVENT_HANDLER(EventNodeStateFinished, onStateFinished)
OSKEL_END_EVENT_MAP()

GConstructionProcess::GConstructionProcess(GGameLevelScene* level, GBuildingNode* lot,
                                           GBuildingConfig* newType, BaseNode* world,
                                           TemplateCollectionNode* templates, GLevelPath* carPath,
                                           f32 materials, s32 workers)
    : m_level(level),
      m_lot(lot),
      m_newType(newType),
      m_world(world),
      m_carPath(carPath),
      m_materials(materials),
      m_workers(workers) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    if (m_lot) m_lot->addPostReceiver(this);
    startHelicopter(templates);
    startBusOrWorkers(templates);
    replaceSelector(templates);
    if (m_lot) m_lot->setHighlightColor(HighlightColor);
    startConstructionNode(templates);
    if (BaseNode* star = findTemplate(templates, "LevelStarEffect"))
        m_starEffect = cloneInto(star, m_world.get(), false);
    m_total = (m_newType ? m_newType->BuildTime : 0.0f) + PostBuildTimeMs;
    if (m_lot) m_lot->setState(nameId("Done"));
}

GConstructionProcess::~GConstructionProcess() {
    leaveLists();
    detach(m_helicopter, m_world.get());
    detach(m_bus, m_world.get());
    detach(m_construction, m_lot.get());
    detach(m_starEffect, m_world.get());
    // The rotor's sound fades out rather than stopping mid-beat.
    if (m_helicopterSound) m_helicopterSound->stop(SoundFadeOutMs);
}

void GConstructionProcess::leaveLists() {
    if (m_world) m_world->removePostReceiver(this);
    if (m_lot) m_lot->removePostReceiver(this);
}

// ---- Start ----

GConstructionProcess::SFlightPlan GConstructionProcess::planFlight(const vector3df& lotPosition) {
    SFlightPlan plan;
    plan.hover = lotPosition + vector3df(HoverOffsetX, HoverOffsetY, HoverDepth);
    const SDirection direction = chooseDirection(plan.hover.X, plan.hover.Y);
    vector2df offset(FlightLength, 0.0f);
    rotateVectorByDegrees(offset, direction.angle);
    const vector3df d(offset.X, offset.Y, 0.0f);
    plan.start = plan.hover - d;
    plan.end = plan.hover + d;
    plan.direction = direction.name;
    return plan;
}

void GConstructionProcess::startHelicopter(TemplateCollectionNode* templates) {
    BaseNode* source = findTemplate(templates, "Helicopter", GameNodeTypePathMovableNode);
    if (!source || !m_world || !m_lot) {
        // Without a helicopter the cargo counts as delivered.
        logWarning(
            "The level has no helicopter template: the construction's cargo counts as "
            "delivered");
        m_helicopterPhase = HelicopterRemoved;
        return;
    }
    m_helicopterPhase = HelicopterFlyingIn;
    m_helicopter = cloneInto(source, m_world.get(), true);
    const SFlightPlan plan = planFlight(m_lot->getPosition());
    m_helicopter->setState(nameId(plan.direction));
    m_direction = plan.direction;
    setFlightKeys(nameId("MovingTo"), plan.start, plan.hover);
    setFlightKeys(nameId("MovingFrom"), plan.hover, plan.end);
    m_helicopter->playState(nameId("MovingTo"), nullptr, -1);
    if (CSoundGroupManager* groups = soundGroups())
        m_helicopterSound.assign(groups->playCue(CNameId("Helicopter"), false, 0));
}

void GConstructionProcess::setFlightKeys(s32 state, const vector3df& from, const vector3df& to) {
    Animator* animator = m_helicopter ? m_helicopter->findState(state) : nullptr;
    animation::Base* found = animator ? animator->findAnimation(nameId("Mover")) : nullptr;
    if (!found || !found->isKindOf(animation::AnimationTypeKeyFrame)) return;
    auto* mover = static_cast<animation::KeyFrame*>(found);
    if (mover->getKeys().size() != 2 || !mover->getProperties()) return;
    const s32 position = mover->getProperties()->getPropertyIndex("Position");
    if (position < 0) return;
    // The keys are places, not steps: the flight runs from one point to the other. New value
    // objects take the old ones' place; the template's animation shares the old ones.
    animation::KeyFrameKey first = mover->getKeys()[0];
    animation::KeyFrameKey second = mover->getKeys()[1];
    if (static_cast<u32>(position) >= first.values.size() ||
        static_cast<u32>(position) >= second.values.size())
        return;
    first.values[static_cast<u32>(position)] = makePropertyDataVector3d(from);
    second.values[static_cast<u32>(position)] = makePropertyDataVector3d(to);
    second.t = static_cast<u32>((to - from).getLength() / FlightSpeed * 1000.0f);
    mover->replaceKey(0, first);
    mover->replaceKey(1, second);
}

void GConstructionProcess::startBusOrWorkers(TemplateCollectionNode* templates) {
    if (isUsable(m_carPath.get())) {
        m_bus = startBus(templates, m_world.get(), m_carPath.get(), WorkersBusSpeed,
                         trafficOf(m_level));
        if (m_bus) {
            m_busPhase = BusDriving;
            if (CSoundGroupManager* groups = soundGroups())
                static_cast<void>(groups->playCue(CNameId("Bus"), false, 0));
            return;
        }
        logWarning("The level has no bus template: the workers are at the lot at once");
    }
    m_busPhase = BusLeaving;
    if (m_lot) m_lot->showWorkersCount(m_workers);
}

void GConstructionProcess::replaceSelector(TemplateCollectionNode* templates) {
    BaseNode* source = findTemplate(templates, "ConstructionSelector", NodeTypeSprite);
    BaseNode* root = m_lot ? m_lot->getTemplateInstance() : nullptr;
    if (!source || !root) return;
    if (BaseNode* old = root->findChildByName("Selector")) old->setParent(nullptr);
    CRefPtr<BaseNode> selector = cloneInto(source, root, true);
    if (!selector) return;
    static_cast<SpriteNode*>(selector.get())->setBlendType(SpriteBlendAdd);
    selector->playState(nameId("Focus"), nullptr, -1);
    selector->setNameId(nameId("Selector"));
}

void GConstructionProcess::startConstructionNode(TemplateCollectionNode* templates) {
    BaseNode* source = findTemplate(templates, "Construction");
    if (!source || !m_lot) {
        // The stages are over at once; the work still waits for the cargo and the workers.
        logWarning("The level has no construction template: the building goes up unseen");
        m_constructionPhase = ConstructionPreBuild1Done;
        return;
    }
    m_constructionPhase = ConstructionPreBuild1;
    m_construction = cloneInto(source, m_lot.get(), true);
    m_construction->setPosition(vector3df(0.0f, 0.0f, m_lot->getPosition().X / DepthPerUnitX));
    m_construction->updateAbsoluteTransform();
    m_construction->setState(nameId("PreBuild1"));
    if (!m_construction) return;
    if (BaseNode* cargo = findTemplate(templates, "Cargo"))
        m_cargo = cloneInto(cargo, m_construction.get(), false);
    BaseNode* bar = m_construction->findChildByName("ProgressBar");
    if (bar && bar->isKindOf(NodeTypeBaseProgressBar)) {
        m_bar.assign(static_cast<BaseProgressBarNode*>(bar));
        // Straight to the bar itself (not its children nor parents), through its own handlers:
        // it applies its own template.
        bar->onEvent(makeEvent<CEventNodeTemplatesChanged>(templates).get());
        m_bar->setMaxValue(1.0f);
        m_bar->setValue(0.0f);
    }
}

// ---- Progress ----

f32 GConstructionProcess::getProgress() const {
    if (!m_newType || m_total <= 0.0f) return 1.0f;
    return m_elapsed / m_total;
}

bool GConstructionProcess::update(u32 elapsedMs) {
    CRefPtr<GConstructionProcess> self(this);
    updateHelicopter();
    updateBus(elapsedMs);
    updateConstruction(elapsedMs);
    if (m_bar) m_bar->setValue(getProgress());
    return m_helicopter || m_bus || m_construction || m_starPhase != StarDone ||
           m_constructionPhase != ConstructionFinished;
}

void GConstructionProcess::updateHelicopter() {
    if (!m_helicopter) return;
    switch (m_helicopterPhase) {
        case HelicopterArrived:
            // The phase moves first: a state that ends at once reports before setState returns.
            m_helicopterPhase = HelicopterBeforeUnloading;
            m_helicopter->setState(nameId((m_direction + "_BeforeUnloading").c_str()));
            break;
        case HelicopterBeforeUnloadingDone:
            m_helicopterPhase = HelicopterUnloading;
            m_helicopter->setState(nameId((m_direction + "_Unloading").c_str()));
            break;
        case HelicopterDelivered:
            m_helicopterPhase = HelicopterAfterUnloading;
            m_helicopter->setState(nameId((m_direction + "_AfterUnloading").c_str()));
            if (m_helicopter) {
                if (BaseNode* cargo = m_helicopter->findChildByName("Cargo"))
                    cargo->setVisible(false);
                if (BaseNode* shadow = m_helicopter->findChildByName("CargoShadow"))
                    shadow->setVisible(false);
            }
            if (m_cargo && m_cargo->getParent() == m_construction.get()) {
                m_cargo->setVisible(true);
                m_cargo->playState(nameId(m_direction.c_str()), nullptr, -1);
            }
            break;
        case HelicopterAfterUnloadingDone:
            m_helicopterPhase = HelicopterFlyingOut;
            m_helicopter->playState(nameId("MovingFrom"), nullptr, -1);
            break;
        case HelicopterLeaving:
            removeHelicopter();
            break;
        default:
            break;
    }
}

void GConstructionProcess::removeHelicopter() {
    if (m_helicopterSound) {
        m_helicopterSound->stop(SoundFadeOutMs);
        m_helicopterSound = nullptr;
    }
    detach(m_helicopter, m_world.get());
    m_helicopterPhase = HelicopterRemoved;
}

void GConstructionProcess::updateBus(u32 elapsedMs) {
    if (!m_bus) return;
    if (m_bus->getParent() == m_world.get())
        static_cast<GPathMovableNode*>(m_bus.get())->update(elapsedMs);
    if (!m_bus) return;
    switch (m_busPhase) {
        case BusDriving:
            if (static_cast<GPathMovableNode*>(m_bus.get())->getWorkingPoints().size() == 2) {
                m_busPhase = BusLastSegment;
                m_bus->playState(nameId("MovingFrom"), nullptr, -1);
            }
            break;
        case BusArrived:
            if (m_lot) m_lot->showWorkersCount(m_workers);
            m_busPhase = BusParked;
            break;
        case BusLeaving:
            removeBus();
            break;
        default:
            break;
    }
}

void GConstructionProcess::removeBus() {
    if (CSoundGroupManager* groups = soundGroups()) groups->stopCue(CNameId("Bus"), 0);
    detach(m_bus, m_world.get());
    m_busPhase = BusRemoved;
}

void GConstructionProcess::enterStage(const char* state, s32 runningPhase, s32 donePhase) {
    m_constructionPhase = m_construction ? runningPhase : donePhase;
    if (m_construction) m_construction->setState(nameId(state));
}

void GConstructionProcess::showTemplateParts(bool show) {
    BaseNode* root = m_lot ? m_lot->getTemplateInstance() : nullptr;
    if (!root) return;
    for (BaseNode* part : root->getChildren())
        if (!staysShown(part)) part->setVisible(show);
}

bool GConstructionProcess::usesStarEffect() const {
    return m_starEffect && m_newType && m_newType->Type == BuildingKindLodging &&
           m_newType->Level > 1;
}

void GConstructionProcess::updateConstruction(u32 elapsedMs) {
    if (m_constructionPhase == ConstructionNotStarted ||
        m_constructionPhase == ConstructionFinished)
        return;
    const bool suppliesIn =
        m_helicopterPhase >= HelicopterDelivered && m_busPhase >= HelicopterDelivered;
    switch (m_constructionPhase) {
        case ConstructionPreBuild1Done:
            showTemplateParts(false);
            enterStage("PreBuild2", ConstructionPreBuild2, ConstructionPreBuild2Done);
            break;
        case ConstructionPreBuild2Done:
            // The stage waits for the supplies, so it counts as running even when it ended.
            m_constructionPhase = ConstructionBuild;
            if (m_construction) m_construction->setState(nameId("Build"));
            break;
        case ConstructionBuild:
            if (!suppliesIn) break;
            if (m_lot) m_lot->showWorkersCount(m_workers);
            m_constructionPhase = ConstructionWorking;
            if (m_construction) m_construction->setState(nameId("Working"));
            if (m_lot && m_lot->isFocused()) m_lot->playStateSound();
            break;
        case ConstructionWorking:
            if (suppliesIn) m_elapsed += static_cast<f32>(elapsedMs) * buildTimeFactor(m_level);
            if (!m_newType || m_elapsed >= m_newType->BuildTime)
                m_constructionPhase = ConstructionWorkDone;
            break;
        case ConstructionWorkDone:
            enterStage("PostBuild1", ConstructionPostBuild, ConstructionPostBuild1Done);
            if (m_cargo) detach(m_cargo, m_construction.get());
            break;
        case ConstructionPostBuild1Done:
            enterStage("PostBuild2", ConstructionPostBuild, ConstructionPostBuild2Done);
            showTemplateParts(true);
            if (m_lot && m_newType) {
                m_lot->setTemplateName(m_newType->Name.getId());
                if (m_lot->isFocused()) m_lot->playState(nameId("Focus"), nullptr, -1);
                m_lot->showWorkersCount(m_workers);
                if (usesStarEffect()) m_lot->showStars(0, -1);
            }
            break;
        case ConstructionPostBuild:
            m_elapsed += static_cast<f32>(elapsedMs) * buildTimeFactor(m_level);
            break;
        case ConstructionPostBuild2Done:
            finishConstruction();
            break;
        default:
            break;
    }
}

void GConstructionProcess::finishConstruction() {
    CRefPtr<GConstructionProcess> self(this);
    m_constructionPhase = ConstructionFinished;
    if (!m_lot) {
        m_starPhase = StarDone;
        return;
    }
    CRefPtr<GBuildingNode> lot = m_lot;
    lot->stopStateSound();
    detach(m_construction, lot.get());
    m_bar = nullptr;
    lot->setState(nameId("AfterBuild"));
    postToLevel(m_level, makeEvent<GEventBuildingBuilt>(lot.get(), m_newType.get()).get());
    postToLevel(m_level, makeEvent<GEventResourcesReturned>(lot.get(), 0.0f, m_workers).get());
    lot->showWorkersCount(0);
    if (usesStarEffect()) {
        const s32 level = m_newType->Level;
        lot->showStars(level - 1, level - 1);
        m_starPhase = StarFlying;
        m_starEffect->setVisible(true);
        vector3df at = lot->getStarPosition();
        at.Z = StarDepth;
        m_starEffect->setPosition(at);
        m_starEffect->updateAbsoluteTransform();
        m_starEffect->setState(nameId("Activate"));
    } else {
        lot->showStars(-1, -1);
        m_starPhase = StarDone;
        detach(m_starEffect, m_world.get());
    }
}

// ---- Notices ----

bool GConstructionProcess::onChildStateFinished(CEvent* event) {
    auto* notice = static_cast<CEventNodeChildStateFinished*>(event);
    BaseNode* node = notice->getNode();
    if (!node) return false;
    const bool movingTo = hasName(event, "MovingTo");
    const bool movingFrom = hasName(event, "MovingFrom");
    if (node == m_helicopter.get() && m_helicopterPhase < HelicopterLeaving) {
        if (movingTo && m_helicopterPhase == HelicopterFlyingIn)
            m_helicopterPhase = HelicopterArrived;
        else if (movingFrom && m_helicopterPhase == HelicopterFlyingOut)
            m_helicopterPhase = HelicopterLeaving;
    } else if (node == m_bus.get() && m_busPhase < BusLeaving) {
        if (movingTo)
            m_busPhase = BusArrived;
        else if (movingFrom)
            m_busPhase = BusLeaving;
    }
    return false;
}

bool GConstructionProcess::onStateFinished(CEvent* event) {
    auto* notice = static_cast<CEventNodeStateFinished*>(event);
    BaseNode* node = notice->getNode();
    if (!node) return false;
    const stringc state = CNameId::fromId(notice->getStateId()).getName();
    auto unloadingStep = [&state](s32 current) {
        if (contains(state, "_BeforeUnloading"))
            return static_cast<s32>(HelicopterBeforeUnloadingDone);
        if (contains(state, "_Unloading")) return static_cast<s32>(HelicopterDelivered);
        if (contains(state, "_AfterUnloading"))
            return static_cast<s32>(HelicopterAfterUnloadingDone);
        return current;
    };
    if (node == m_helicopter.get() && m_helicopterPhase < HelicopterLeaving) {
        m_helicopterPhase = unloadingStep(m_helicopterPhase);
    } else if (node == m_bus.get() && m_busPhase < BusLeaving) {
        m_busPhase = unloadingStep(m_busPhase);
    } else if (node == m_construction.get() && m_constructionPhase != ConstructionFinished) {
        if (state == "PreBuild1")
            m_constructionPhase = ConstructionPreBuild1Done;
        else if (state == "PreBuild2")
            m_constructionPhase = ConstructionPreBuild2Done;
        else if (state == "PostBuild1")
            m_constructionPhase = ConstructionPostBuild1Done;
        else if (state == "PostBuild2")
            m_constructionPhase = ConstructionPostBuild2Done;
    } else if (node == m_lot.get() && m_constructionPhase != ConstructionFinished) {
        if (state == "Build") m_constructionPhase = ConstructionWorkDone;
    } else if (node == m_starEffect.get() && state == "Activate") {
        CRefPtr<GConstructionProcess> self(this);
        if (m_lot) m_lot->showStars(-1, -1);
        m_starPhase = StarDone;
        detach(m_starEffect, m_world.get());
    }
    return false;
}

// ---- Abort ----

void GConstructionProcess::abort() {
    if (!m_lot || !m_lot->getPreviousType()) return;
    CRefPtr<GConstructionProcess> self(this);
    CRefPtr<GBuildingNode> lot = m_lot;
    if (m_helicopter) m_helicopterPhase = HelicopterLeaving;
    if (m_bus) m_busPhase = BusLeaving;
    if (m_constructionPhase != ConstructionNotStarted) {
        m_constructionPhase = ConstructionFinished;
        lot->stopStateSound();
        m_cargo = nullptr;
        detach(m_construction, lot.get());
        m_bar = nullptr;
        CRefPtr<GBuildingConfig> previous(lot->getPreviousType());
        lot->setType(previous.get(), true);
        lot->setTemplateName(previous->Name.getId());
        lot->showWorkersCount(0);
        lot->setProcess(BuildingProcessNone, nullptr);
        postToLevel(m_level,
                    makeEvent<GEventResourcesReturned>(lot.get(), m_materials, m_workers).get());
    }
    m_starPhase = StarDone;
    detach(m_starEffect, m_world.get());
}

}  // namespace brasquel
