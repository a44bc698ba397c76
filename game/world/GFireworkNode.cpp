#include "game/world/GFireworkNode.h"

#include "engine/core/CRandom.h"
#include "engine/core/CRefPtr.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 JumpWidth = 20.0f;
constexpr f32 JumpHeight = 10.0f;

s32 truncateMs(f32 value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return 2147483520;
    if (value <= -2147483520.0f) return -2147483520;
    return static_cast<s32>(value);
}

}  // namespace

s32 getFireworkUpId() {
    static const s32 id = CNameId("Up").getId();
    return id;
}

s32 getFireworkBoostId() {
    static const s32 id = CNameId("Boost").getId();
    return id;
}

GFireworkNode::GFireworkNode(const CCreationContext& context, BaseNode* parent,
                             SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GFireworkNode::~GFireworkNode() = default;

const CPropertyTable& GFireworkNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GFireworkNode>(t)
            .field<&GFireworkNode::VelocityXRange>("VelocityXRange")
            .field<&GFireworkNode::VelocityYRange>("VelocityYRange")
            .field<&GFireworkNode::Acceleration>("Acceleration")
            .field<&GFireworkNode::MoveTimeRange>("MoveTimeRange");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GFireworkNode, GameNodeTypeFireworkNode, GEffectNode)

void GFireworkNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeFireworkNode)) return;
    const auto* other = static_cast<const GFireworkNode*>(source);
    VelocityXRange = other->VelocityXRange;
    VelocityYRange = other->VelocityYRange;
    Acceleration = other->Acceleration;
    MoveTimeRange = other->MoveTimeRange;
}

void GFireworkNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    saveRange(set, "VelocityXRange", VelocityXRange);
    saveRange(set, "VelocityYRange", VelocityYRange);
    saveRange(set, "Acceleration", Acceleration);
    saveRange(set, "MoveTimeRange", MoveTimeRange);
}

void GFireworkNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "VelocityXRange", VelocityXRange);
    loadRange(set, "VelocityYRange", VelocityYRange);
    loadRange(set, "Acceleration", Acceleration);
    loadRange(set, "MoveTimeRange", MoveTimeRange);
}

void GFireworkNode::render(DrawList& list) {
    BaseNode::render(list);
    if (isRunning() || m_remainingMoveTime < 0) return;
    attachToScene();
    start();
}

void GFireworkNode::start() {
    CRandom& random = CRandom::instance();
    vector3df position = getPosition();
    position.X += random.nextFloat() * JumpWidth - JumpWidth * 0.5f;
    position.Y += random.nextFloat() * JumpHeight - JumpHeight * 0.5f;
    position.Z += FrontDepth;
    setPosition(position);
    markTransformDirty();
    setState(getFireworkUpId());
    m_velocity.X = drawRange(VelocityXRange);
    m_velocity.Y = drawRange(VelocityYRange);
    m_remainingMoveTime = truncateMs(drawRange(MoveTimeRange));
}

bool GFireworkNode::update(u32 elapsedMs) {
    m_remainingMoveTime = subtractClamped(m_remainingMoveTime, static_cast<s32>(elapsedMs));
    if (m_remainingMoveTime < 0) {
        setState(getFireworkBoostId());
        return false;
    }
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    m_velocity.X += Acceleration.X * dt;
    m_velocity.Y += Acceleration.Y * dt;
    vector3df position = getPosition();
    position.X += m_velocity.X * dt;
    position.Y += m_velocity.Y * dt;
    setPosition(position);
    markTransformDirty();
    return true;
}

bool GFireworkNode::onStateFinished(CEvent* event) {
    const auto* finished = static_cast<const CEventNodeStateFinished*>(event);
    if (!finished || finished->getStateId() != getFireworkBoostId()) return false;
    leaveParent();
    return true;
}

}  // namespace brasquel
