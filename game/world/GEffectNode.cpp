#include "game/world/GEffectNode.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/core/CRandom.h"
#include "engine/core/CRefPtr.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"

namespace brasquel {

using namespace oskel;

namespace {

using s64 = std::int64_t;

constexpr s64 IntMin = std::numeric_limits<s32>::min();
constexpr s64 IntMax = std::numeric_limits<s32>::max();
constexpr u32 ColourBits = 0x00FFFFFFu;

s32 clampToInt(s64 value) {
    return static_cast<s32>(value < IntMin ? IntMin : value > IntMax ? IntMax : value);
}

// Truncation toward zero of a range end; beyond the int range the nearest end of it.
s32 truncateEnd(f32 value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return static_cast<s32>(IntMax);
    if (value <= -2147483520.0f) return static_cast<s32>(IntMin);
    return static_cast<s32>(value);
}

}  // namespace

s32 subtractClamped(s32 value, s32 span) {
    return clampToInt(static_cast<s64>(value) - static_cast<s64>(span));
}

GEffectNode::GEffectNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager,
                         u32 periodMs)
    : BaseNode(context, parent, manager), IUpdateReceiver(periodMs) {}

GEffectNode::~GEffectNode() { setUpdateSource(nullptr); }

f32 GEffectNode::drawRange(const vector2df& range) {
    return CRandom::instance().nextFloatRange(range.X, range.Y);
}

s32 GEffectNode::drawIntRange(const vector2df& range) {
    const s32 lo = truncateEnd(range.X);
    const s32 hi = truncateEnd(range.Y);
    if (lo == hi) return lo;
    const u32 span = static_cast<u32>(static_cast<s64>(hi) - static_cast<s64>(lo));
    const u32 raw = CRandom::instance().next();
    return clampToInt(static_cast<s64>(lo) + static_cast<s64>(raw % span));
}

f32 GEffectNode::drawSign() { return (CRandom::instance().next() & 1u) != 0 ? 1.0f : -1.0f; }

void GEffectNode::render(DrawList& list) {
    BaseNode::render(list);
    if (isRunning()) return;
    start();
    attachToScene();
}

void GEffectNode::attachToScene() {
    CTimerScheduler* scheduler = getSceneBinding().scheduler;
    if (getUpdateSource() != scheduler) setUpdateSource(scheduler);
}

bool GEffectNode::leaveParent() {
    BaseNode* parent = getParent();
    if (!parent) return false;
    CRefPtr<BaseNode> keep(this);
    parent->removeChild(this);
    return true;
}

bool GEffectNode::liveOn(u32 elapsedMs, s32& remainingLife) {
    remainingLife = subtractClamped(remainingLife, static_cast<s32>(elapsedMs));
    if (remainingLife <= 0) {
        leaveParent();
        return false;
    }
    if (remainingLife < FadeMs) {
        const f32 alpha =
            std::floor(static_cast<f32>(remainingLife) / static_cast<f32>(FadeMs) * 255.0f + 0.5f);
        setTintColor((static_cast<u32>(alpha) << 24) | (getTintColor() & ColourBits));
        markColorDirty();
    }
    return true;
}

void GEffectNode::saveRange(CPropertySet* set, const char* name, const vector2df& v) {
    if (v.X != 0.0f || v.Y != 0.0f) set->addVector2d(name, v);
}

void GEffectNode::saveInt(CPropertySet* set, const char* name, s32 value) {
    if (value != 0) set->addInt(name, value);
}

void GEffectNode::loadRange(const CPropertySet* set, const char* name, vector2df& v) {
    if (hasNodeProperty(set, name)) v = unboxPropertyVector2d(set->getProperty(name).get());
}

void GEffectNode::loadInt(const CPropertySet* set, const char* name, s32& value) {
    if (hasNodeProperty(set, name)) value = unboxPropertyInt(set->getProperty(name).get());
}

void GEffectNode::loadFloat(const CPropertySet* set, const char* name, f32& value) {
    if (hasNodeProperty(set, name)) value = unboxPropertyFloat(set->getProperty(name).get());
}

}  // namespace brasquel
