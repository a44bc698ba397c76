#include "game/world/GPathMovers.h"

#include "engine/core/CNameTable.h"
#include "engine/core/CRandom.h"
#include "engine/nodes/TextNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelPaths.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 flapStateOf(s32 direction) {
    stringc name = CNameTable::instance().getName(direction);
    name += "_Flap";
    return CNameId(name.c_str()).getId();
}

s32 startId() {
    static const s32 id = CNameId("Start").getId();
    return id;
}

s32 dieId() {
    static const s32 id = CNameId("Die").getId();
    return id;
}

// The pedestrian's turns, in compass order from the right.
s32 lookDirection(u32 index) {
    const s32 directions[] = {getRightId(), getRightUpId(),  getUpId(),   getLeftUpId(),
                              getLeftId(),  getLeftDownId(), getDownId(), getRightDownId()};
    return directions[index & 7u];
}

}  // namespace

// ---- The shared part ----

GWorldMover::GWorldMover(const CCreationContext& context, BaseNode* parent, SceneManager* manager,
                         u32 periodMs)
    : GPathMovableNode(context, parent, manager), IUpdateReceiver(periodMs) {}

GWorldMover::~GWorldMover() { setUpdateSource(nullptr); }

void GWorldMover::render(DrawList& list) {
    GPathMovableNode::render(list);
    if (isRunning() || m_left) return;
    CTimerScheduler* scheduler = getSceneBinding().scheduler;
    if (!scheduler) return;
    startUp();
    setUpdateSource(scheduler);
}

bool GWorldMover::leave() {
    m_left = true;
    CRefPtr<BaseNode> keep(this);
    if (BaseNode* parent = getParent()) parent->removeChild(this);
    return false;
}

// ---- Car ----

GCarNode::GCarNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GWorldMover(context, parent, manager, UpdatePeriod) {}

BRASQUEL_DEFINE_NODE_CLASS(GCarNode, GameNodeTypeCarNode, GPathMovableNode)

void GCarNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    GPathMovableNode::copyFrom(source, manager);
}

bool GCarNode::update(u32 elapsedMs) {
    GPathMovableNode::update(elapsedMs);
    if (RemoveAtEnd && getWorkingPoints().size() < 2) return leave();
    return true;
}

// ---- Bird ----

GBirdNode::GBirdNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GWorldMover(context, parent, manager, UpdatePeriod) {}

GBirdNode::~GBirdNode() = default;

BRASQUEL_DEFINE_NODE_CLASS(GBirdNode, GameNodeTypeBirdNode, GPathMovableNode)

void GBirdNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    GPathMovableNode::copyFrom(source, manager);
}

void GBirdNode::onLoaded() { m_body.assign(findChildByName("Body", 1)); }

vector2df GBirdNode::edgePoint(u32 edge) {
    CRandom& random = CRandom::instance();
    switch (edge & 3u) {
        case 0:
            return vector2df(random.nextFloatRange(0.0f, RightEdge), 0.0f);
        case 1:
            return vector2df(RightEdge, random.nextFloatRange(0.0f, SideHeight));
        case 2:
            return vector2df(random.nextFloatRange(0.0f, RightEdge), BottomEdge);
        default:
            return vector2df(LeftEdge, random.nextFloatRange(0.0f, SideHeight));
    }
}

s32 GBirdNode::edgeOf(const vector2df& point) {
    if (point.X == LeftEdge) return 3;
    if (point.X == RightEdge) return 1;
    if (point.Y == 0.0f) return 0;
    if (point.Y == BottomEdge) return 2;
    return -1;
}

void GBirdNode::startUp() {
    CRandom& random = CRandom::instance();
    const u32 a = random.next() & 3u;
    u32 b = random.next() & 3u;
    if (b == a) b = (b + 1) % 4;
    PathPoints points;
    points.push_back(edgePoint(a));
    points.push_back(edgePoint(b));
    Velocity = random.nextFloat() * 10.0f + 25.0f;
    start(points, -1, false, false);
}

bool GBirdNode::update(u32 elapsedMs) {
    GPathMovableNode::update(elapsedMs);
    if (getWorkingPoints().size() < 2) {
        if (m_body) m_body->stopAllStates(false);
        return leave();
    }
    if (m_body) {
        if (m_flapCountdown > elapsedMs) {
            m_flapCountdown -= elapsedMs;
        } else {
            if (getDirectionState() != -1) m_body->playState(flapStateOf(getDirectionState()));
            m_flapCountdown +=
                static_cast<u32>(CRandom::instance().nextFloatRange(FlapMinMs, FlapMaxMs));
        }
    }
    return true;
}

// ---- Pedestrian ----

GPedestrianNode::GPedestrianNode(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : GWorldMover(context, parent, manager, UpdatePeriod) {}

GPedestrianNode::~GPedestrianNode() = default;

BRASQUEL_DEFINE_NODE_CLASS(GPedestrianNode, GameNodeTypePedestrianNode, GPathMovableNode)

void GPedestrianNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    GPathMovableNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypePedestrianNode)) return;
    const auto* other = static_cast<const GPedestrianNode*>(source);
    WalkTime = other->WalkTime;
    StandTime = other->StandTime;
    LookTime = other->LookTime;
}

void GPedestrianNode::onLoaded() { m_body.assign(findChildByName("Body", 1)); }

s32 GPedestrianNode::drawTime(const vector2df& range) {
    return static_cast<s32>(CRandom::instance().nextFloatRange(range.X, range.Y));
}

void GPedestrianNode::startUp() {
    BaseNode* parent = getParent();
    BaseNode* grandparent = parent ? parent->getParent() : nullptr;
    BaseNode* third = grandparent ? grandparent->getParent() : nullptr;
    if (!third || !third->isKindOf(GameNodeTypeGameLevelScene)) return;
    GLevelPaths* paths = static_cast<GGameLevelScene*>(third)->getLevelPaths();
    GLevelPath* path = paths ? paths->getRandomPedestrianPath() : nullptr;
    if (!path || path->Points.size() < 2) return;
    CRandom& random = CRandom::instance();
    Velocity = random.nextFloatRange(MinVelocity, MaxVelocity);
    const u32 n = static_cast<u32>(path->Points.size());
    const bool backwards = path->BothWays && (random.next() % 2u) == 0;
    PathPoints points;
    points.reserve(n);
    for (u32 i = 0; i < n; ++i)
        points.push_back(randomizePathPoint(*path, backwards ? n - 1 - i : i));
    start(points, -1, false, false);
    m_phase = PhaseWalking;
    m_phaseCountdown = drawTime(WalkTime);
}

bool GPedestrianNode::update(u32 elapsedMs) {
    const s32 elapsed = static_cast<s32>(elapsedMs);
    m_phaseCountdown -= elapsed;
    if (m_phase == PhaseWalking) {
        if (m_phaseCountdown > 0) {
            GPathMovableNode::update(elapsedMs);
            if (getWorkingPoints().size() < 2) {
                if (m_body) m_body->stopAllStates(false);
                return leave();
            }
        } else {
            m_phase = PhaseStanding;
            m_phaseCountdown = drawTime(StandTime);
            m_lookCountdown = 0;
        }
    } else if (m_phase == PhaseStanding) {
        if (m_phaseCountdown > 0) {
            m_lookCountdown -= elapsed;
            if (m_lookCountdown < 0) {
                m_lookCountdown = drawTime(LookTime);
                if (m_body) {
                    m_body->playState(lookDirection(CRandom::instance().next()));
                    m_body->stopAllStates(false);
                }
            }
        } else {
            m_phase = PhaseWalking;
            m_phaseCountdown = drawTime(WalkTime);
            const PathPoints& working = getWorkingPoints();
            if (working.size() >= 2)
                onMoveDirectionChanged(working[working.size() - 2] - working[working.size() - 1]);
        }
    }
    return true;
}

// ---- Text trail ----

GTextTrailNode::GTextTrailNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : GWorldMover(context, parent, manager, UpdatePeriod) {}

BRASQUEL_DEFINE_NODE_CLASS(GTextTrailNode, GameNodeTypeTextTrailNode, GPathMovableNode)

void GTextTrailNode::setText(const stringw& text) {
    BaseNode* child = findChildByName("Text", 1);
    if (child && child->isKindOf(NodeTypeText)) static_cast<TextNode*>(child)->setText(text);
}

void GTextTrailNode::startUp() {
    setState(startId());
    playState(startId());
}

bool GTextTrailNode::update(u32 elapsedMs) {
    if (m_endCountdown == Moving) {
        GPathMovableNode::update(elapsedMs);
        vector3df at = getPosition();
        at.Z = TrailDepth;
        setPosition(at);
        markTransformDirty();
        if (getWorkingPoints().size() < 2) {
            setState(dieId());
            m_endCountdown = DyingMs;
        }
        return true;
    }
    if (m_endCountdown > 0) {
        m_endCountdown -= static_cast<s32>(elapsedMs);
        if (m_endCountdown <= 0) return leave();
    }
    return true;
}

}  // namespace brasquel
