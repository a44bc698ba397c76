#include "game/world/GShieldEffectNode.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr u32 SideMask = 3;
enum ESide : u32 { SideLeft = 0, SideTop = 1, SideRight = 2, SideBottom = 3 };
constexpr u32 ColourBits = 0x00FFFFFFu;

}  // namespace

s32 getShieldRunId() {
    static const s32 id = CNameId("Run").getId();
    return id;
}

GShieldEffectNode::GShieldEffectNode(const CCreationContext& context, BaseNode* parent,
                                     SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GShieldEffectNode::~GShieldEffectNode() = default;

const CPropertyTable& GShieldEffectNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GShieldEffectNode>(t)
            .field<&GShieldEffectNode::Area1Rect1Size>("Area1Rect1Size")
            .field<&GShieldEffectNode::Area1Rect2Size>("Area1Rect2Size")
            .field<&GShieldEffectNode::Area2RectSize>("Area2RectSize")
            .field<&GShieldEffectNode::VelocityPower>("VelocityPower")
            .field<&GShieldEffectNode::MovingTime>("MovingTime")
            .field<&GShieldEffectNode::DisappearWaitTime>("DisappearWaitTime")
            .field<&GShieldEffectNode::DisappearTime>("DisappearTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GShieldEffectNode, GameNodeTypeShieldEffectNode, GEffectNode)

void GShieldEffectNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeShieldEffectNode)) return;
    const auto* other = static_cast<const GShieldEffectNode*>(source);
    Area1Rect1Size = other->Area1Rect1Size;
    Area1Rect2Size = other->Area1Rect2Size;
    Area2RectSize = other->Area2RectSize;
    VelocityPower = other->VelocityPower;
    MovingTime = other->MovingTime;
    DisappearWaitTime = other->DisappearWaitTime;
    DisappearTime = other->DisappearTime;
}

void GShieldEffectNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    saveRange(set, "Area1Rect1Size", Area1Rect1Size);
    saveRange(set, "Area1Rect2Size", Area1Rect2Size);
    saveRange(set, "Area2RectSize", Area2RectSize);
    if (VelocityPower != 0.0f) set->addFloat("VelocityPower", VelocityPower);
    saveInt(set, "MovingTime", MovingTime);
    saveInt(set, "DisappearWaitTime", DisappearWaitTime);
    saveInt(set, "DisappearTime", DisappearTime);
}

void GShieldEffectNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "Area1Rect1Size", Area1Rect1Size);
    loadRange(set, "Area1Rect2Size", Area1Rect2Size);
    loadRange(set, "Area2RectSize", Area2RectSize);
    loadFloat(set, "VelocityPower", VelocityPower);
    loadInt(set, "MovingTime", MovingTime);
    loadInt(set, "DisappearWaitTime", DisappearWaitTime);
    loadInt(set, "DisappearTime", DisappearTime);
}

void GShieldEffectNode::start() {
    const f32 a = Area1Rect1Size.X / 2.0f;
    const f32 b = Area1Rect2Size.X / 2.0f;
    const f32 c = Area1Rect1Size.Y / 2.0f;
    const f32 d = Area1Rect2Size.Y / 2.0f;
    const u32 side = CRandom::instance().next() & SideMask;
    f32 x = 0.0f;
    f32 y = 0.0f;
    switch (side) {
        case SideLeft:
            x = drawRange(vector2df(-a, -b));
            y = drawRange(vector2df(-c, c));
            break;
        case SideTop:
            x = drawRange(vector2df(-b, b));
            y = drawRange(vector2df(-c, -d));
            break;
        case SideRight:
            x = drawRange(vector2df(b, a));
            y = drawRange(vector2df(-c, c));
            break;
        default:
            x = drawRange(vector2df(-b, b));
            y = drawRange(vector2df(d, c));
            break;
    }
    m_startPoint = vector3df(x, y, 0.0f);
    m_targetPoint.X = drawRange(vector2df(-Area2RectSize.X / 2.0f, Area2RectSize.X / 2.0f));
    m_targetPoint.Y = drawRange(vector2df(-Area2RectSize.Y / 2.0f, Area2RectSize.Y / 2.0f));
    m_targetPoint.Z = m_targetPoint.X + DepthOffset + m_targetPoint.Y;
    m_stageTime = 0;
    m_stage = StageGliding;
    setPosition(m_startPoint);
    markTransformDirty();
    setState(getShieldRunId());
}

void GShieldEffectNode::render(DrawList& list) {
    BaseNode::render(list);
    if (isRunning()) return;
    start();
    attachToScene();
    if (isTransformDirty()) BaseNode::updateAbsoluteTransform();
    if (isColorDirty()) BaseNode::updateAbsoluteColor();
}

bool GShieldEffectNode::update(u32 elapsedMs) {
    m_stageTime = subtractClamped(m_stageTime, -static_cast<s32>(elapsedMs));
    if (m_stage == StageGliding) {
        if (m_stageTime >= MovingTime) {
            setPosition(m_targetPoint);
            m_stage = StageWaiting;
            m_stageTime = 0;
        } else {
            const f32 t = static_cast<f32>(m_stageTime) / static_cast<f32>(MovingTime);
            const f32 f = std::pow(t, VelocityPower);
            const f32 x = m_startPoint.X + f * (m_targetPoint.X - m_startPoint.X);
            const f32 y = m_startPoint.Y + f * (m_targetPoint.Y - m_startPoint.Y);
            setPosition(vector3df(x, y, x + DepthOffset + y));
        }
        markTransformDirty();
    } else if (m_stage == StageWaiting) {
        if (m_stageTime >= DisappearWaitTime) {
            m_stage = StageFading;
            m_stageTime = 0;
        }
    } else if (m_stage == StageFading) {
        if (m_stageTime >= DisappearTime) {
            m_stage = StageIdle;
            m_stageTime = 0;
            leaveParent();
            return false;
        }
        const f32 scaled = static_cast<f32>(static_cast<f64>(m_stageTime) * 255.0 /
                                            static_cast<f64>(DisappearTime));
        const f32 alpha = 255.0f - std::floor(scaled + 0.5f);
        setTintColor((static_cast<u32>(alpha) << 24) | (getTintColor() & ColourBits));
        markColorDirty();
    }
    return true;
}

}  // namespace brasquel
