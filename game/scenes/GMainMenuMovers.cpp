#include "game/scenes/GMainMenuMovers.h"

#include <algorithm>
#include <cmath>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GMainMenuScene.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 DegreesPerRadian = 57.29577951308232f;
constexpr const char* RangeProperty = "InitialVelocityRange";

s32 nameId(const char* name) { return CNameId(name).getId(); }

// The angle of a screen vector in degrees, counter-clockwise on the screen from the right (up
// is 90), in 0 .. 360.
f32 screenAngle(const vector2df& v) {
    f32 angle = std::atan2(-v.Y, v.X) * DegreesPerRadian;
    if (angle < 0.0f) angle += 360.0f;
    return std::clamp(angle, 0.0f, 360.0f);
}

// The screen vector turned counter-clockwise on the screen by the angle in degrees.
vector2df turnedOnScreen(const vector2df& v, f32 degrees) {
    const f32 c = std::cos(degrees / DegreesPerRadian);
    const f32 s = std::sin(degrees / DegreesPerRadian);
    const f32 mx = v.X;
    const f32 my = -v.Y;
    return vector2df(mx * c - my * s, -(mx * s + my * c));
}

GLevelPath* carPath(GMainMenuScene* menu, const char* group) {
    GLevelPaths* paths = menu->getBackgroundPaths();
    return paths ? paths->getRandomCarPath(nameId(group)) : nullptr;
}

bool playCue(const CNameId& cue) { return playGameCue(cue); }

}  // namespace

u32 GMainMenuMover::s_carsSpread = 0;
u32 GMainMenuMover::s_cloudsSpread = 0;
u32 GMainMenuMover::s_pedestriansSpread = 0;

GMainMenuMover::GMainMenuMover(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager, const vector2df& velocityRange)
    : GPathMovableNode(context, parent, manager),
      IUpdateReceiver(UpdatePeriod),
      m_velocityRange(velocityRange) {}

GMainMenuMover::~GMainMenuMover() { setUpdateSource(nullptr); }

void GMainMenuMover::resetSpreadCounters() {
    s_carsSpread = 0;
    s_cloudsSpread = 0;
    s_pedestriansSpread = 0;
}

void GMainMenuMover::render(DrawList& list) {
    if (drawsAfterStart()) {
        if (!getUpdateSource()) startStep();
        GPathMovableNode::render(list);
        return;
    }
    GPathMovableNode::render(list);
    if (!getUpdateSource()) startStep();
}

void GMainMenuMover::copyFrom(const BaseNode* source, SceneManager* manager) {
    GPathMovableNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const GMainMenuMover*>(source);
    if (other && other != this && other->getTypeId() == getTypeId())
        m_velocityRange = other->m_velocityRange;
}

void GMainMenuMover::saveProperties(CPropertySet* set) const {
    if (!set) return;
    GPathMovableNode::saveProperties(set);
    if (m_velocityRange.X != UnwrittenRange || m_velocityRange.Y != UnwrittenRange)
        set->addVector2d(RangeProperty, m_velocityRange);
}

void GMainMenuMover::loadProperties(const CPropertySet* set) {
    if (!set) return;
    GPathMovableNode::loadProperties(set);
    if (hasNodeProperty(set, RangeProperty))
        m_velocityRange = unboxPropertyVector2d(set->getProperty(RangeProperty).get());
}

GMainMenuScene* GMainMenuMover::findMenu() const {
    BaseNode* node = getParent();
    for (u32 link = 1; node && link < menuDepth(); ++link) node = node->getParent();
    if (!node || !node->isKindOf(GameNodeTypeMainMenuScene)) return nullptr;
    auto* menu = static_cast<GMainMenuScene*>(node);
    return menu->getBackgroundPaths() ? menu : nullptr;
}

void GMainMenuMover::spreadBy(s32 minMs, s32 maxMs) {
    const s32 ms = CRandom::instance().nextInt(minMs, maxMs);
    GPathMovableNode::update(static_cast<u32>(std::max(ms, 0)));
}

void GMainMenuMover::startStep() {
    if (getWorkingPoints().size() < 2) {
        GMainMenuScene* menu = findMenu();
        GLevelPath* path = menu ? choosePath(menu) : nullptr;
        if (path && path->Points.size() >= 2) {
            CRandom& random = CRandom::instance();
            m_baseVelocity = random.nextFloatRange(m_velocityRange.X, m_velocityRange.Y);
            PathPoints points;
            points.reserve(path->Points.size());
            for (const SLevelPathPoint& p : path->Points) points.emplace_back(p.x, p.y);
            if (mayReverse() && path->BothWays && random.next() % 2 == 0)
                std::reverse(points.begin(), points.end());
            start(points, -1, false, loops());
            // Set once the start has placed the mover (clouds go by their height).
            setStartVelocity();
            spread();
            afterStart();
        }
    }
    CTimerScheduler* scheduler = getSceneBinding().scheduler;
    if (getUpdateSource() != scheduler) setUpdateSource(scheduler);
}

bool GMainMenuMover::update(u32 elapsedMs) {
    GPathMovableNode::update(elapsedMs);
    if (getWorkingPoints().size() > 1) {
        lookUpdate();
        return true;
    }
    if (BaseNode* picture = body()) picture->stopAllStates(false);
    CRefPtr<BaseNode> keep(this);  // alive while it leaves its parent
    if (BaseNode* parent = getParent()) parent->removeChild(this);
    // Off the scheduler: a mover that has left has nothing more to do.
    return false;
}

// ---- Bike ----

GMainMenuBikeNode::GMainMenuBikeNode(const CCreationContext& context, BaseNode* parent,
                                     SceneManager* manager)
    : GMainMenuMover(context, parent, manager, vector2df(50.0f, 50.0f)) {}

BaseNode* GMainMenuBikeNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GMainMenuBikeNode>(this, parent, manager);
}

const stringw& GMainMenuBikeNode::getClassName() const {
    static const stringw name(L"GMainMenuBikeNode");
    return name;
}

const stringw& GMainMenuBikeNode::getThisClassName() const { return getClassName(); }

s32 GMainMenuBikeNode::getTypeId() const { return GameNodeTypeMainMenuBikeNode; }

bool GMainMenuBikeNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMainMenuBikeNode || GPathMovableNode::isKindOf(typeId);
}

void GMainMenuBikeNode::onLoaded() {
    GMainMenuMover::onLoaded();
    m_body = CRefPtr<BaseNode>(findChildByName("Body", 1));
}

GLevelPath* GMainMenuBikeNode::choosePath(GMainMenuScene* menu) const {
    return carPath(menu, "Bike");
}

s32 GMainMenuBikeNode::directionStateId(const vector2df& direction) {
    static const f32 bounds[] = {7.5f,   22.5f,  37.5f,  52.5f,  67.5f,  82.5f,  97.5f,
                                 112.5f, 127.5f, 142.5f, 157.5f, 172.5f, 187.5f, 202.5f,
                                 217.5f, 232.5f, 247.5f, 262.5f, 277.5f, 292.5f, 307.5f,
                                 322.5f, 337.5f, 352.5f, 360.0f};
    static const char* const names[] = {"Right",     "RightRightRightUp", "RightRightUp",
                                        "RightUp",   "RightUpUp",         "RightUpUpUp",
                                        "Up",        "LeftUpUpUp",        "LeftUpUp",
                                        "LeftUp",    "LeftLeftUp",        "LeftLeftLeftUp",
                                        "Left",      "LeftLeftDown",      "LeftLeftLeftDown",
                                        "LeftDown",  "LeftDownDown",      "LeftDownDownDown",
                                        "Down",      "RightDownDownDown", "RightDownDown",
                                        "RightDown", "RightRightDown",    "RightRightRightDown",
                                        "Right"};
    static_assert(sizeof(bounds) / sizeof(bounds[0]) == sizeof(names) / sizeof(names[0]));
    const f32 angle = screenAngle(direction);
    for (u32 row = 0; row < sizeof(bounds) / sizeof(bounds[0]); ++row)
        if (angle < bounds[row]) return nameId(names[row]);
    return -1;
}

void GMainMenuBikeNode::onMoveDirectionChanged(const vector2df& direction) {
    const vector2df oldTarget = m_target;
    m_shown = oldTarget;
    m_target = direction;
    if (oldTarget.X == 0.0f && oldTarget.Y == 0.0f) {
        const s32 state = directionStateId(direction);
        if (state != -1) setState(state);
    }
    if (std::fabs(direction.Y) <= 0.000001f) {
        m_speedFactor = 1.0f;
        return;
    }
    const f32 ratio = direction.X / direction.Y;
    m_speedFactor = ratio < 0.0f ? 1.0f : std::clamp(std::sqrt(ratio), 0.5f, 1.0f);
}

void GMainMenuBikeNode::lookUpdate() {
    const f32 s = std::clamp((verticalPosition() - 700.0f) / 35.0f, 0.65f, 1.0f);
    setScale(vector3df(s, s, 1.0f));
    Velocity = std::max(1.0f, s * s * s * m_speedFactor * m_baseVelocity);
    if (m_shown == m_target) return;
    f32 d = screenAngle(m_target) - screenAngle(m_shown);
    while (d > 180.0f) d -= 360.0f;
    while (d < -180.0f) d += 360.0f;
    if (std::fabs(d) < 7.0f)
        m_shown = m_target;
    else
        m_shown = turnedOnScreen(m_shown, d > 0.0f ? 10.0f : -10.0f);
    // The picture leans a step ahead into the turn.
    const s32 state = directionStateId(turnedOnScreen(m_shown, -10.0f));
    if (state != -1) setState(state);
}

// ---- Car ----

GMainMenuCarNode::GMainMenuCarNode(const CCreationContext& context, BaseNode* parent,
                                   SceneManager* manager)
    : GMainMenuMover(context, parent, manager, vector2df(80.0f, 82.0f)) {}

BaseNode* GMainMenuCarNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GMainMenuCarNode>(this, parent, manager);
}

const stringw& GMainMenuCarNode::getClassName() const {
    static const stringw name(L"GMainMenuCarNode");
    return name;
}

const stringw& GMainMenuCarNode::getThisClassName() const { return getClassName(); }

s32 GMainMenuCarNode::getTypeId() const { return GameNodeTypeMainMenuCarNode; }

bool GMainMenuCarNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMainMenuCarNode || GPathMovableNode::isKindOf(typeId);
}

void GMainMenuCarNode::onLoaded() {
    GMainMenuMover::onLoaded();
    m_body = CRefPtr<BaseNode>(findChildByName("Body", 1));
}

GLevelPath* GMainMenuCarNode::choosePath(GMainMenuScene* menu) const {
    return carPath(menu, "Path");
}

void GMainMenuCarNode::onMoveDirectionChanged(const vector2df& direction) {
    m_direction = direction.Y >= 0.0f ? getDownId() : getUpId();
}

void GMainMenuCarNode::spread() {
    if (s_carsSpread >= 4) return;
    ++s_carsSpread;
    spreadBy(1000, 8000);
    // Already past the place where it would have sounded.
    if (m_direction == getDownId()) m_arrivalCuePlayed = true;
}

s32 GMainMenuCarNode::sizeStep(f32 scale) {
    return std::clamp(6 - static_cast<s32>(6.0f * scale), 1, 6);
}

void GMainMenuCarNode::lookUpdate() {
    const f32 y = verticalPosition();
    const f32 s = std::clamp((y - 668.0f) / 100.0f, 0.01f, 1.0f);
    setScale(vector3df(s, s, 1.0f));
    Velocity = std::max(1.0f, std::pow(s, 1.6f) * m_baseVelocity);
    const bool down = m_direction == getDownId();
    const stringc name = stringc(down ? "Down" : "Up") + stringc(sizeStep(s));
    const s32 state = nameId(name.c_str());
    if (state != m_lookState) {
        m_lookState = state;
        setState(state);
    }
    if (m_arrivalCuePlayed) return;
    const GSoundCueIds& cues = GSoundCueIds::get();
    if (!down && y < 800.0f) {
        m_arrivalCuePlayed = true;
        playCue(cues.MainMenuCarOut);
    } else if (down && s > 0.6f) {
        m_arrivalCuePlayed = true;
        playCue(cues.MainMenuCarTo);
    }
}

// ---- Cloud ----

GMainMenuCloudNode::GMainMenuCloudNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GMainMenuMover(context, parent, manager, vector2df(5.0f, 5.0f)) {}

BaseNode* GMainMenuCloudNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GMainMenuCloudNode>(this, parent, manager);
}

const stringw& GMainMenuCloudNode::getClassName() const {
    static const stringw name(L"GMainMenuCloudNode");
    return name;
}

const stringw& GMainMenuCloudNode::getThisClassName() const { return getClassName(); }

s32 GMainMenuCloudNode::getTypeId() const { return GameNodeTypeMainMenuCloudNode; }

bool GMainMenuCloudNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMainMenuCloudNode || GPathMovableNode::isKindOf(typeId);
}

GLevelPath* GMainMenuCloudNode::choosePath(GMainMenuScene* menu) const {
    return carPath(menu, "Clouds");
}

void GMainMenuCloudNode::setStartVelocity() {
    const f32 factor = std::clamp((450.0f - verticalPosition()) / 120.0f + 1.0f, 1.0f, 10.0f);
    Velocity = m_baseVelocity * factor;
}

void GMainMenuCloudNode::spread() {
    if (s_cloudsSpread >= 12) return;
    ++s_cloudsSpread;
    spreadBy(10000, 120000);
}

// ---- Pedestrian ----

GMainMenuPedestrianNode::GMainMenuPedestrianNode(const CCreationContext& context, BaseNode* parent,
                                                 SceneManager* manager)
    : GMainMenuMover(context, parent, manager, vector2df(2.0f, 3.0f)) {}

BaseNode* GMainMenuPedestrianNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GMainMenuPedestrianNode>(this, parent, manager);
}

const stringw& GMainMenuPedestrianNode::getClassName() const {
    static const stringw name(L"GMainMenuPedestrianNode");
    return name;
}

const stringw& GMainMenuPedestrianNode::getThisClassName() const { return getClassName(); }

s32 GMainMenuPedestrianNode::getTypeId() const { return GameNodeTypeMainMenuPedestrianNode; }

bool GMainMenuPedestrianNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMainMenuPedestrianNode || GPathMovableNode::isKindOf(typeId);
}

void GMainMenuPedestrianNode::onLoaded() {
    GMainMenuMover::onLoaded();
    m_body = CRefPtr<BaseNode>(findChildByName("Body", 1));
}

GLevelPath* GMainMenuPedestrianNode::choosePath(GMainMenuScene* menu) const {
    GLevelPaths* paths = menu->getBackgroundPaths();
    return paths ? paths->getRandomPedestrianPath() : nullptr;
}

void GMainMenuPedestrianNode::onMoveDirectionChanged(const vector2df& direction) {
    setState(direction.Y >= 0.0f ? getDownId() : getUpId());
}

void GMainMenuPedestrianNode::spread() {
    if (s_pedestriansSpread >= 24) return;
    ++s_pedestriansSpread;
    spreadBy(20000, 50000);
}

void GMainMenuPedestrianNode::lookUpdate() {
    const f32 s = std::clamp((verticalPosition() - 668.0f) / 100.0f, 0.0f, 1.0f);
    setScale(vector3df(s, s, 1.0f));
    Velocity = std::max(1.0f, s * m_baseVelocity);
    updateAbsoluteTransform();
}

}  // namespace brasquel
