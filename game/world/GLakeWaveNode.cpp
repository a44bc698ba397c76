#include "game/world/GLakeWaveNode.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/animation/Animator.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

const vector2df DefaultBlinkRange(5000.0f, 10000.0f);
constexpr f32 Tolerance = 0.000001f;
constexpr u32 OpaqueWhite = 0xFFFFFFFFu;
constexpr u32 ChannelMax = 255;

// A blink time drawn from a range, truncated; nothing below 0 (an unsigned timer).
u32 blinkTime(f32 value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 4294967040.0f) return 4294967040u;
    return static_cast<u32>(value);
}

}  // namespace

s32 getBlinkStateId() {
    static const s32 id = CNameId("Blink").getId();
    return id;
}

GLakeWaveNode::GLakeWaveNode(const CCreationContext& context, BaseNode* parent,
                             SceneManager* manager)
    : GEffectNode(context, parent, manager, WavePeriodMs) {}

GLakeWaveNode::~GLakeWaveNode() = default;

const CPropertyTable& GLakeWaveNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GLakeWaveNode>(t)
            .field<&GLakeWaveNode::StarBlinkRange>("StarBlinkRange")
            .field<&GLakeWaveNode::Velocity>("Velocity")
            .field<&GLakeWaveNode::LifeTime>("LifeTime");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GLakeWaveNode, GameNodeTypeLakeWaveNode, GEffectNode)

void GLakeWaveNode::onLoaded() {
    m_wave.assign(findChildByName("Wave", 1));
    m_star.assign(findChildByName("Star", 1));
}

void GLakeWaveNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeLakeWaveNode)) return;
    const auto* other = static_cast<const GLakeWaveNode*>(source);
    StarBlinkRange = other->StarBlinkRange;
    Velocity = other->Velocity;
    LifeTime = other->LifeTime;
}

void GLakeWaveNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (StarBlinkRange != DefaultBlinkRange) set->addVector2d("StarBlinkRange", StarBlinkRange);
    if (std::fabs(Velocity.X) > Tolerance || std::fabs(Velocity.Y) > Tolerance ||
        std::fabs(Velocity.Z) > Tolerance)
        set->addVector3d("Velocity", Velocity);
    if (LifeTime != -1) set->addInt("LifeTime", LifeTime);
}

void GLakeWaveNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    loadRange(set, "StarBlinkRange", StarBlinkRange);
    if (hasNodeProperty(set, "Velocity"))
        Velocity = unboxPropertyVector3d(set->getProperty("Velocity").get());
    loadInt(set, "LifeTime", LifeTime);
}

void GLakeWaveNode::start() {
    if (m_wave) {
        m_wave->playState(ControlNode::visualStates().Normal);
        Animator* running = m_wave->getRunningAnimator();
        animation::Base* first =
            running && running->getAnimationCount() > 0 ? running->getAnimation(0) : nullptr;
        if (first && first->getTypeId() == animation::AnimationTypeKeyFrame) {
            const u32 duration = first->getDuration();
            if (duration > 1) first->setTime(CRandom::instance().next() % duration, true);
        }
    }
    m_blinkTimer = blinkTime(drawRange(vector2df(FirstBlinkMs, StarBlinkRange.Y)));
    if (m_star) m_star->setVisible(false);
}

bool GLakeWaveNode::update(u32 elapsedMs) {
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    setPosition(getPosition() + Velocity * dt);
    markTransformDirty();
    if (LifeTime > 0) {
        if (LifeTime <= static_cast<s32>(elapsedMs)) {
            if (m_star) m_star->stopAllStates(false);
            leaveParent();
            // Done: whoever still holds the node keeps a node that no longer steps.
            return false;
        }
        LifeTime -= static_cast<s32>(elapsedMs);
        if (LifeTime < WaveFadeMs) {
            const f32 d = static_cast<f32>(WaveFadeMs - LifeTime) / static_cast<f32>(WaveFadeMs);
            // From opaque white towards transparent white: only the alpha moves.
            const u32 alpha =
                static_cast<u32>(static_cast<f32>(ChannelMax) * (1.0f - d)) & ChannelMax;
            setTintColor((alpha << 24) | (OpaqueWhite & 0x00FFFFFFu));
            markColorDirty();
        }
    }
    if (m_star) {
        if (m_blinkTimer > elapsedMs) {
            m_blinkTimer -= elapsedMs;
        } else {
            m_star->setVisible(true);
            m_star->playState(getBlinkStateId());
            const f32 x = drawRange(vector2df(0.0f, getBounds().X));
            const f32 y = drawRange(vector2df(0.0f, getBounds().Y));
            m_star->setPosition(vector3df(x, y, StarDepth));
            m_star->markTransformDirty();
            m_blinkTimer = blinkTime(drawRange(StarBlinkRange) + static_cast<f32>(m_blinkTimer));
        }
    }
    return true;
}

}  // namespace brasquel
