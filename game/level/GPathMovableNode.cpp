#include "game/level/GPathMovableNode.h"

#include <algorithm>
#include <cmath>

#include "engine/core/CRandom.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GNeutralCarTraffic.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 startStateId() {
    static const s32 id = CNameId("Start").getId();
    return id;
}

s32 stopStateId() {
    static const s32 id = CNameId("Stop").getId();
    return id;
}

f32 distanceBetween(const vector2df& a, const vector2df& b) { return (b - a).getLength(); }

}  // namespace

s32 getDownId() {
    static const s32 id = CNameId("Down").getId();
    return id;
}
s32 getUpId() {
    static const s32 id = CNameId("Up").getId();
    return id;
}
s32 getLeftId() {
    static const s32 id = CNameId("Left").getId();
    return id;
}
s32 getRightId() {
    static const s32 id = CNameId("Right").getId();
    return id;
}
s32 getLeftUpId() {
    static const s32 id = CNameId("LeftUp").getId();
    return id;
}
s32 getLeftDownId() {
    static const s32 id = CNameId("LeftDown").getId();
    return id;
}
s32 getRightUpId() {
    static const s32 id = CNameId("RightUp").getId();
    return id;
}
s32 getRightDownId() {
    static const s32 id = CNameId("RightDown").getId();
    return id;
}

GPathMovableNode::GPathMovableNode(const CCreationContext& context, BaseNode* parent,
                                   SceneManager* manager)
    : BaseNode(context, parent, manager) {}

GPathMovableNode::~GPathMovableNode() {
    if (m_traffic) m_traffic->removeCar(this);
}

void GPathMovableNode::setTrafficController(GNeutralCarTraffic* controller, bool isPriority) {
    CRefPtr<GNeutralCarTraffic> keep(controller);  // the old list may be the only holder
    if (m_traffic) {
        m_traffic->removeCar(this);
        m_traffic = nullptr;
    }
    m_traffic = keep;
    if (m_traffic) m_traffic->addCar(this, isPriority);
}

BaseNode* GPathMovableNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GPathMovableNode>(this, parent, manager);
}

const stringw& GPathMovableNode::getClassName() const {
    static const stringw name(L"GPathMovableNode");
    return name;
}

const stringw& GPathMovableNode::getThisClassName() const {
    static const stringw name(L"GPathMovableNode");
    return name;
}

s32 GPathMovableNode::getTypeId() const { return GameNodeTypePathMovableNode; }

bool GPathMovableNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypePathMovableNode || BaseNode::isKindOf(typeId);
}

void GPathMovableNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    // Only the node part travels, whatever the source: a copy waits for a walk of its own.
    BaseNode::copyFrom(source, manager);
}

void GPathMovableNode::placeAt(const vector2df& point) {
    setPosition(vector3df(point.X, point.Y, point.Y));
    markTransformDirty();
}

void GPathMovableNode::start(const PathPoints& points, s32 stateId, bool keepOrder, bool loop) {
    const size_t n = points.size();
    if (n < 2) return;  // no segment to walk
    m_reportedStateId = stateId;
    m_loop = loop;
    m_stored = points;
    // The working points are used up from their end: reversed, the walk goes first to last.
    if (!keepOrder) std::reverse(m_stored.begin(), m_stored.end());
    m_loopLength = distanceBetween(m_stored.front(), m_stored.back());
    for (size_t i = 1; i < n; ++i) m_loopLength += distanceBetween(m_stored[i - 1], m_stored[i]);
    m_distance = 0.0f;
    m_working = m_stored;
    placeAt(m_working.back());
    updateAbsoluteTransform();
    setState(startStateId());
    onMoveDirectionChanged(m_working[n - 2] - m_working[n - 1]);
}

void GPathMovableNode::update(u32 elapsedMs) {
    if (m_working.size() < 2) return;
    if (m_loop && !(m_loopLength > 0.0f)) {
        // Every round of this loop has no length: it would be walked round for ever.
        stop();
        return;
    }
    m_distance += static_cast<f32>(elapsedMs) * 0.001f * Velocity;
    // Whole rounds of a loop bring the node back where it is: skip them (a long step over a
    // short loop would otherwise take its rounds one segment at a time).
    if (m_loop && m_distance >= m_loopLength) m_distance = std::fmod(m_distance, m_loopLength);

    vector2df a = m_working[m_working.size() - 1];
    vector2df b = m_working[m_working.size() - 2];
    f32 length = distanceBetween(a, b);
    while (length <= m_distance) {
        m_distance -= length;
        m_working.pop_back();
        if (m_loop && m_working.size() <= 1) {
            m_working = m_stored;
            if (!m_stored.empty()) m_working.push_back(m_stored.front());
        }
        if (m_working.size() >= 2) {
            a = m_working[m_working.size() - 1];
            b = m_working[m_working.size() - 2];
            length = distanceBetween(a, b);
            onMoveDirectionChanged(b - a);
            // The hook may have stopped the walk or begun another one.
            if (m_working.size() < 2) return;
            if (m_loop && !(m_loopLength > 0.0f)) {
                stop();
                return;
            }
            a = m_working[m_working.size() - 1];
            b = m_working[m_working.size() - 2];
            length = distanceBetween(a, b);
            continue;
        }
        endWalk();
        return;
    }
    vector2df step = b - a;
    step.normalize();
    placeAt(a + step * m_distance);
}

void GPathMovableNode::endWalk() {
    if (m_working.empty()) return;
    placeAt(m_working.front());
    setState(stopStateId());
    CRefPtr<GPathMovableNode> self(this);  // the parent may let go of this node
    CRefPtr<CEventNodeChildStateFinished> finished =
        makeEvent<CEventNodeChildStateFinished>(this, m_reportedStateId);
    routeToParent(DispatchSelf, finished.get());
}

void GPathMovableNode::stop() {
    if (m_working.size() < 2) return;
    PathPoints().swap(m_working);
    setState(stopStateId());
}

void GPathMovableNode::onMoveDirectionChanged(const vector2df& direction) {
    m_directionState = getDirectionStateId(direction);
    if (m_directionState != -1) setState(m_directionState);
}

s32 GPathMovableNode::getDirectionStateId(const vector2df& direction) {
    constexpr f32 TwoPi = 6.2831855f;
    constexpr f32 DegreesPerRadian = 57.2957763671875f;
    f32 angle = std::atan2(-direction.Y, direction.X);
    if (angle < 0.0f) angle += TwoPi;
    angle = std::clamp(angle * DegreesPerRadian, 0.0f, 360.0f);
    static const f32 bounds[] = {15.0f,  75.0f,  105.0f, 165.0f, 195.0f,
                                 255.0f, 285.0f, 345.0f, 360.0f};
    static const s32 states[] = {getRightId(),  getRightUpId(),   getUpId(),
                                 getLeftUpId(), getLeftId(),      getLeftDownId(),
                                 getDownId(),   getRightDownId(), getRightId()};
    for (u32 i = 0; i < sizeof(bounds) / sizeof(bounds[0]); ++i)
        if (angle < bounds[i]) return states[i];
    return -1;
}

vector2df randomizePathPoint(const GLevelPath& path, u32 index) {
    const std::vector<SLevelPathPoint>& p = path.Points;
    const size_t n = p.size();
    if (index >= n) return vector2df(0.0f, 0.0f);
    const SLevelPathPoint& point = p[index];
    vector2df result(point.x, point.y);
    if (point.d1 == 0.0f && point.d2 == 0.0f) return result;
    vector2df d(0.0f, 0.0f);
    if (n >= 2) {
        const SLevelPathPoint& from =
            index == 0 ? p[0] : (index == n - 1 ? p[n - 2] : p[index - 1]);
        const SLevelPathPoint& to = index == 0 ? p[1] : (index == n - 1 ? p[n - 1] : p[index + 1]);
        d = vector2df(to.x - from.x, to.y - from.y);
    }
    vector2df normal(-d.Y, d.X);
    if (normal.getLength() > 0.0f) normal.normalize();
    const f32 offset = CRandom::instance().nextFloatRange(-point.d1, point.d2);
    return result + normal * offset;
}

}  // namespace brasquel
