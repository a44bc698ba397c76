#include "game/world/GBaloonNode.h"

#include <cmath>

#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

GBaloonNode::GBaloonNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GBaloonNode::~GBaloonNode() = default;

const CPropertyTable& GBaloonNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GBaloonNode>(t)
            .field<&GBaloonNode::WidthRange>("WidthRange")
            .field<&GBaloonNode::XVelocityRange>("XVelocityRange")
            .field<&GBaloonNode::YVelocityRange>("YVelocityRange")
            .field<&GBaloonNode::YAccelRange>("YAccelRange")
            .field<&GBaloonNode::YAccelTimeRange>("YAccelTimeRange")
            .field<&GBaloonNode::LifeTime>("LifeTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GBaloonNode, GameNodeTypeBaloonNode, GEffectNode)

void GBaloonNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeBaloonNode)) return;
    const auto* other = static_cast<const GBaloonNode*>(source);
    WidthRange = other->WidthRange;
    XVelocityRange = other->XVelocityRange;
    YVelocityRange = other->YVelocityRange;
    YAccelRange = other->YAccelRange;
    YAccelTimeRange = other->YAccelTimeRange;
    LifeTime = other->LifeTime;
}

void GBaloonNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    saveRange(set, "WidthRange", WidthRange);
    saveRange(set, "XVelocityRange", XVelocityRange);
    saveRange(set, "YVelocityRange", YVelocityRange);
    saveRange(set, "YAccelRange", YAccelRange);
    saveRange(set, "YAccelTimeRange", YAccelTimeRange);
    saveInt(set, "LifeTime", LifeTime);
}

void GBaloonNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "WidthRange", WidthRange);
    loadRange(set, "XVelocityRange", XVelocityRange);
    loadRange(set, "YVelocityRange", YVelocityRange);
    loadRange(set, "YAccelRange", YAccelRange);
    loadRange(set, "YAccelTimeRange", YAccelTimeRange);
    loadInt(set, "LifeTime", LifeTime);
}

void GBaloonNode::start() {
    m_xVelocity = drawRange(XVelocityRange);
    m_yVelocity = drawRange(YVelocityRange);
    m_yAcceleration = drawRange(YAccelRange);
    m_swayWidth = drawRange(WidthRange);
    m_remainingLife = LifeTime;
    m_accelerationEnd = subtractClamped(m_remainingLife, drawIntRange(YAccelTimeRange));
    m_startPosition = getPosition();
    m_xVelocity *= drawSign();
}

bool GBaloonNode::update(u32 elapsedMs) {
    if (!liveOn(elapsedMs, m_remainingLife)) return false;
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    const vector3df& position = getPosition();
    if (std::fabs(position.X - m_startPosition.X) >= m_swayWidth) m_xVelocity = -m_xVelocity;
    if (m_remainingLife > m_accelerationEnd) m_yVelocity += m_yAcceleration * dt;
    const f32 x = position.X + m_xVelocity * dt;
    const f32 y = position.Y + m_yVelocity * dt;
    const f32 z =
        (x + y) * 0.0001f + static_cast<f32>(m_remainingLife) * 0.01f + m_yVelocity * 0.1f;
    setPosition(vector3df(x, y, z));
    markTransformDirty();
    return true;
}

}  // namespace brasquel
