#pragma once

#include "engine/core/CTimerScheduler.h"
#include "engine/scene/BaseNode.h"

namespace oskel {
class CPropertySet;
}

namespace brasquel {

// What the level world's small self-running decorations share. Such a node draws nothing of its
// own (its children are the picture); at its first draw it takes its motion values at random from
// its range properties and joins its scene's scheduler, then moves in fixed steps until its life
// ends, when it leaves its parent. A node placed where no scheduler drives it keeps repeating
// its start at every draw and never moves. The kind test of each class answers only for its own
// id and the base node's.
class GEffectNode : public oskel::BaseNode, public oskel::IUpdateReceiver {
public:
    static constexpr oskel::u32 UpdatePeriodMs = 30;
    // The last stretch of life during which the node fades out.
    static constexpr oskel::s32 FadeMs = 1000;

    GEffectNode(const oskel::CCreationContext& context, oskel::BaseNode* parent,
                oskel::SceneManager* manager, oskel::u32 periodMs = UpdatePeriodMs);
    ~GEffectNode() override;

    // Draws the children as they stand; a node not yet running then starts and joins its
    // scene's scheduler.
    void render(oskel::DrawList& list) override;
    void onLoaded() override {}

    // A float range (x the lower end, y the upper): a value in it, nothing drawn for equal ends.
    static oskel::f32 drawRange(const oskel::vector2df& range);
    // An integer range, both ends truncated: the lower end plus a raw draw modulo the distance
    // (as unsigned, so that ends given the wrong way round still give a value), kept within the
    // int range.
    static oskel::s32 drawIntRange(const oskel::vector2df& range);
    // +1 or -1 at random.
    static oskel::f32 drawSign();

    // Whether the node has started and its scheduler drives it.
    bool isRunning() const { return getUpdateSource() != nullptr; }

protected:
    // The class's random values and run-time members, at the first draw.
    virtual void start() = 0;
    // Joins the scheduler of the node's scene (none without one).
    void attachToScene();
    // Counts the life down; at its end the node leaves its parent and false comes back (the
    // scheduler lets go). In the last second the tint's alpha follows the life left.
    bool liveOn(oskel::u32 elapsedMs, oskel::s32& remainingLife);
    // Leaves the parent, kept alive while it does. False when there is no parent to leave.
    bool leaveParent();

    // Property file helpers: a range is written when either end is not 0, an int when not 0;
    // a present value of another type reads as zero, an absent one changes nothing.
    static void saveRange(oskel::CPropertySet* set, const char* name, const oskel::vector2df& v);
    static void saveInt(oskel::CPropertySet* set, const char* name, oskel::s32 value);
    static void loadRange(const oskel::CPropertySet* set, const char* name, oskel::vector2df& v);
    static void loadInt(const oskel::CPropertySet* set, const char* name, oskel::s32& value);
    static void loadFloat(const oskel::CPropertySet* set, const char* name, oskel::f32& value);
};

// A remaining life less a span, computed wide and kept within the int range.
oskel::s32 subtractClamped(oskel::s32 value, oskel::s32 span);

}  // namespace brasquel
