#include "game/world/GSpiralMovableNode.h"

#include <cmath>

#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

GSpiralMovableNode::GSpiralMovableNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GSpiralMovableNode::~GSpiralMovableNode() = default;

const CPropertyTable& GSpiralMovableNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GSpiralMovableNode>(t)
            .field<&GSpiralMovableNode::RRange>("RRange")
            .field<&GSpiralMovableNode::RVelocityRange>("RVelocityRange")
            .field<&GSpiralMovableNode::RotVelocityRange>("RotVelocityRange")
            .field<&GSpiralMovableNode::AngleRange>("AngleRange")
            .field<&GSpiralMovableNode::AngleVelocityRange>("AngleVelocityRange")
            .field<&GSpiralMovableNode::LifeTime>("LifeTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GSpiralMovableNode, GameNodeTypeSpiralMovableNode, GEffectNode)

void GSpiralMovableNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeSpiralMovableNode)) return;
    const auto* other = static_cast<const GSpiralMovableNode*>(source);
    RRange = other->RRange;
    RVelocityRange = other->RVelocityRange;
    RotVelocityRange = other->RotVelocityRange;
    AngleRange = other->AngleRange;
    AngleVelocityRange = other->AngleVelocityRange;
    LifeTime = other->LifeTime;
}

void GSpiralMovableNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    saveRange(set, "RRange", RRange);
    saveRange(set, "RVelocityRange", RVelocityRange);
    saveRange(set, "RotVelocityRange", RotVelocityRange);
    saveRange(set, "AngleRange", AngleRange);
    saveRange(set, "AngleVelocityRange", AngleVelocityRange);
    saveInt(set, "LifeTime", LifeTime);
}

void GSpiralMovableNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "RRange", RRange);
    loadRange(set, "RVelocityRange", RVelocityRange);
    loadRange(set, "RotVelocityRange", RotVelocityRange);
    loadRange(set, "AngleRange", AngleRange);
    loadRange(set, "AngleVelocityRange", AngleVelocityRange);
    loadInt(set, "LifeTime", LifeTime);
}

void GSpiralMovableNode::place() {
    setPosition(m_centre +
                vector3df(std::cos(m_angle) * m_distance, std::sin(m_angle) * m_distance, 0.0f));
    markTransformDirty();
}

void GSpiralMovableNode::start() {
    m_distance = drawRange(RRange);
    m_distanceVelocity = drawRange(RVelocityRange);
    m_spinVelocity = drawRange(RotVelocityRange);
    m_angle = drawRange(AngleRange);
    m_angularVelocity = drawRange(AngleVelocityRange);
    m_remainingLife = LifeTime;
    m_centre = getPosition();
    place();
}

bool GSpiralMovableNode::update(u32 elapsedMs) {
    if (!liveOn(elapsedMs, m_remainingLife)) return false;
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    m_distance += m_distanceVelocity * dt;
    m_angle += m_angularVelocity * dt;
    place();
    vector3df rotation = getRotation();
    rotation.Z += m_spinVelocity * dt;
    setRotation(rotation);
    markTransformDirty();
    return true;
}

}  // namespace brasquel
