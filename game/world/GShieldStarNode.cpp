#include "game/world/GShieldStarNode.h"

#include <cmath>

#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 Pi = 3.14159274f;
constexpr f32 HalfTurnDegrees = 180.0f;

}  // namespace

GShieldStarNode::GShieldStarNode(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GShieldStarNode::~GShieldStarNode() = default;

const CPropertyTable& GShieldStarNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GShieldStarNode>(t)
            .field<&GShieldStarNode::Accel1StartTimeRange>("Accel1StartTimeRange")
            .field<&GShieldStarNode::Accel1EndTimeRange>("Accel1EndTimeRange")
            .field<&GShieldStarNode::Accel2StartTimeRange>("Accel2StartTimeRange")
            .field<&GShieldStarNode::Accel2EndTimeRange>("Accel2EndTimeRange")
            .field<&GShieldStarNode::VelocityAngleRange>("VelocityAngleRange")
            .field<&GShieldStarNode::VelocityRange>("VelocityRange")
            .field<&GShieldStarNode::Accel1Range>("Accel1Range")
            .field<&GShieldStarNode::Accel2Range>("Accel2Range")
            .field<&GShieldStarNode::AngleRange>("AngleRange")
            .field<&GShieldStarNode::AngularVelocityRange>("AngularVelocityRange")
            .field<&GShieldStarNode::LifeTime>("LifeTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GShieldStarNode, GameNodeTypeShieldStarNode, GEffectNode)

void GShieldStarNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeShieldStarNode)) return;
    const auto* other = static_cast<const GShieldStarNode*>(source);
    Accel1StartTimeRange = other->Accel1StartTimeRange;
    Accel1EndTimeRange = other->Accel1EndTimeRange;
    Accel2StartTimeRange = other->Accel2StartTimeRange;
    Accel2EndTimeRange = other->Accel2EndTimeRange;
    VelocityAngleRange = other->VelocityAngleRange;
    VelocityRange = other->VelocityRange;
    Accel1Range = other->Accel1Range;
    Accel2Range = other->Accel2Range;
    AngleRange = other->AngleRange;
    AngularVelocityRange = other->AngularVelocityRange;
    LifeTime = other->LifeTime;
}

// The file order puts the speed before its direction.
void GShieldStarNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    saveRange(set, "Accel1StartTimeRange", Accel1StartTimeRange);
    saveRange(set, "Accel1EndTimeRange", Accel1EndTimeRange);
    saveRange(set, "Accel2StartTimeRange", Accel2StartTimeRange);
    saveRange(set, "Accel2EndTimeRange", Accel2EndTimeRange);
    saveRange(set, "VelocityRange", VelocityRange);
    saveRange(set, "VelocityAngleRange", VelocityAngleRange);
    saveRange(set, "Accel1Range", Accel1Range);
    saveRange(set, "Accel2Range", Accel2Range);
    saveRange(set, "AngleRange", AngleRange);
    saveRange(set, "AngularVelocityRange", AngularVelocityRange);
    saveInt(set, "LifeTime", LifeTime);
}

void GShieldStarNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "Accel1StartTimeRange", Accel1StartTimeRange);
    loadRange(set, "Accel1EndTimeRange", Accel1EndTimeRange);
    loadRange(set, "Accel2StartTimeRange", Accel2StartTimeRange);
    loadRange(set, "Accel2EndTimeRange", Accel2EndTimeRange);
    loadRange(set, "VelocityRange", VelocityRange);
    loadRange(set, "VelocityAngleRange", VelocityAngleRange);
    loadRange(set, "Accel1Range", Accel1Range);
    loadRange(set, "Accel2Range", Accel2Range);
    loadRange(set, "AngleRange", AngleRange);
    loadRange(set, "AngularVelocityRange", AngularVelocityRange);
    loadInt(set, "LifeTime", LifeTime);
}

void GShieldStarNode::start() {
    const f32 radians = drawRange(VelocityAngleRange) * Pi / HalfTurnDegrees;
    m_direction = vector3df(std::cos(radians), std::sin(radians), 0.0f);
    m_speed = drawRange(VelocityRange);
    m_acceleration1 = drawRange(Accel1Range);
    m_acceleration2 = drawRange(Accel2Range);
    m_angle = drawRange(AngleRange);
    m_angularVelocity = drawRange(AngularVelocityRange);
    m_remainingLife = LifeTime;
    m_phase1Start = subtractClamped(m_remainingLife, drawIntRange(Accel1StartTimeRange));
    m_phase1End = subtractClamped(m_remainingLife, drawIntRange(Accel1EndTimeRange));
    m_phase2Start = subtractClamped(m_remainingLife, drawIntRange(Accel2StartTimeRange));
    m_phase2End = subtractClamped(m_remainingLife, drawIntRange(Accel2EndTimeRange));
}

bool GShieldStarNode::update(u32 elapsedMs) {
    if (!liveOn(elapsedMs, m_remainingLife)) return false;
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    if (m_phase1End < m_remainingLife && m_remainingLife < m_phase1Start)
        m_speed += m_acceleration1 * dt;
    if (m_phase2End < m_remainingLife && m_remainingLife < m_phase2Start)
        m_speed += m_acceleration2 * dt;
    const f32 s = m_speed * dt;
    setPosition(getPosition() + m_direction * s);
    m_angle += m_angularVelocity * dt;
    setRotation(vector3df(0.0f, 0.0f, m_angle));
    markTransformDirty();
    return true;
}

}  // namespace brasquel
