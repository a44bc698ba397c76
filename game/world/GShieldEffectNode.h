#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// One spark of a shield: it starts at a random point of the frame between two rectangles around
// its parent's origin, glides (eased by a power of the time) to a random point of a target
// rectangle, waits, fades out and leaves its parent. Its subtree enters "Run" at the start.
class GShieldEffectNode : public GEffectNode {
public:
    enum EStage : oskel::s32 { StageIdle = 0, StageGliding = 1, StageWaiting = 2, StageFading = 3 };
    // How far in front of its place the spark is drawn while it glides (depth x + this + y).
    static constexpr oskel::f32 DepthOffset = 100.0f;

    explicit GShieldEffectNode(const oskel::CCreationContext& context,
                               oskel::BaseNode* parent = nullptr,
                               oskel::SceneManager* manager = nullptr);
    ~GShieldEffectNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // The start also refreshes the spark's absolute transform and colour at once.
    void render(oskel::DrawList& list) override;
    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df Area1Rect1Size{0.0f, 0.0f};
    oskel::vector2df Area1Rect2Size{0.0f, 0.0f};
    oskel::vector2df Area2RectSize{0.0f, 0.0f};
    oskel::f32 VelocityPower = 1.0f;
    oskel::s32 MovingTime = 0;
    oskel::s32 DisappearWaitTime = 0;
    oskel::s32 DisappearTime = 0;

    oskel::s32 getStage() const { return m_stage; }
    const oskel::vector3df& getStartPoint() const { return m_startPoint; }
    const oskel::vector3df& getTargetPoint() const { return m_targetPoint; }

protected:
    void start() override;

private:
    oskel::vector3df m_startPoint;
    oskel::vector3df m_targetPoint;
    oskel::s32 m_stage = StageIdle;
    oskel::s32 m_stageTime = 0;
};

// The name of the state a spark's subtree enters at its start.
oskel::s32 getShieldRunId();

}  // namespace brasquel
