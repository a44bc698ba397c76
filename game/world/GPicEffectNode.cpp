#include "game/world/GPicEffectNode.h"

#include <cstdint>

#include "engine/core/StringUtils.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr std::int64_t FullTurn = 360;
// The far half of the circle, whole degrees, where the picture goes behind.
constexpr s32 FarFrom = 91;
constexpr s32 FarTo = 269;

}  // namespace

GPicEffectNode::GPicEffectNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GPicEffectNode::~GPicEffectNode() = default;

const CPropertyTable& GPicEffectNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GPicEffectNode>(t)
            .field<&GPicEffectNode::AnimTime>("AnimTime")
            .field<&GPicEffectNode::WidthRange>("WidthRange")
            .field<&GPicEffectNode::YVelocityRange>("YVelocityRange")
            .field<&GPicEffectNode::YAccelRange>("YAccelRange")
            .field<&GPicEffectNode::YAccelTimeRange>("YAccelTimeRange")
            .field<&GPicEffectNode::LifeTime>("LifeTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GPicEffectNode, GameNodeTypePicEffectNode, GEffectNode)

void GPicEffectNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypePicEffectNode)) return;
    const auto* other = static_cast<const GPicEffectNode*>(source);
    AnimTime = other->AnimTime;
    WidthRange = other->WidthRange;
    YVelocityRange = other->YVelocityRange;
    YAccelRange = other->YAccelRange;
    YAccelTimeRange = other->YAccelTimeRange;
    LifeTime = other->LifeTime;
}

void GPicEffectNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (AnimTime != DefaultAnimTime) set->addInt("AnimTime", AnimTime);
    saveRange(set, "WidthRange", WidthRange);
    saveRange(set, "YVelocityRange", YVelocityRange);
    saveRange(set, "YAccelRange", YAccelRange);
    saveRange(set, "YAccelTimeRange", YAccelTimeRange);
    saveInt(set, "LifeTime", LifeTime);
}

void GPicEffectNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadInt(set, "AnimTime", AnimTime);
    loadRange(set, "WidthRange", WidthRange);
    loadRange(set, "YVelocityRange", YVelocityRange);
    loadRange(set, "YAccelRange", YAccelRange);
    loadRange(set, "YAccelTimeRange", YAccelTimeRange);
    loadInt(set, "LifeTime", LifeTime);
}

void GPicEffectNode::start() {
    m_amplitude = drawRange(WidthRange);
    m_phaseTime = 0;
    m_angle = 0;
    m_yVelocity = drawRange(YVelocityRange);
    m_yAcceleration = drawRange(YAccelRange);
    m_remainingLife = LifeTime;
    m_accelerationEnd = subtractClamped(m_remainingLife, drawIntRange(YAccelTimeRange));
    m_startPosition = getPosition();
    m_basePosition = getPosition();
}

bool GPicEffectNode::update(u32 elapsedMs) {
    if (!liveOn(elapsedMs, m_remainingLife)) return false;
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    if (m_remainingLife > m_accelerationEnd) m_yVelocity += m_yAcceleration * dt;
    m_basePosition.Y += m_yVelocity * dt;
    f32 x = m_basePosition.X;
    f32 z = m_basePosition.Z;
    if (AnimTime > 0) {
        m_phaseTime = subtractClamped(m_phaseTime, -static_cast<s32>(elapsedMs));
        if (m_phaseTime >= AnimTime) m_phaseTime = 0;
        m_angle = static_cast<s32>(static_cast<std::int64_t>(m_phaseTime) * FullTurn / AnimTime);
        x = m_basePosition.X - sineOfDegrees(static_cast<u32>(m_angle)) * m_amplitude;
        z = m_basePosition.Y * 0.00001f;
        if (m_angle >= FarFrom && m_angle <= FarTo) z -= 0.1f;
    }
    setPosition(vector3df(x, m_basePosition.Y, z));
    markTransformDirty();
    return true;
}

}  // namespace brasquel
