#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A star that flies off in a random direction at a random speed, speeding up or slowing down
// during two timed phases, spinning; it fades in its last second and leaves at the end of its
// life. The hidden-object games burst clones of one from a found item.
class GShieldStarNode : public GEffectNode {
public:
    explicit GShieldStarNode(const oskel::CCreationContext& context,
                             oskel::BaseNode* parent = nullptr,
                             oskel::SceneManager* manager = nullptr);
    ~GShieldStarNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df Accel1StartTimeRange{0.0f, 0.0f};
    oskel::vector2df Accel1EndTimeRange{0.0f, 0.0f};
    oskel::vector2df Accel2StartTimeRange{0.0f, 0.0f};
    oskel::vector2df Accel2EndTimeRange{0.0f, 0.0f};
    oskel::vector2df VelocityAngleRange{0.0f, 0.0f};  // degrees, 0 = +x, 90 = +y
    oskel::vector2df VelocityRange{0.0f, 0.0f};
    oskel::vector2df Accel1Range{0.0f, 0.0f};
    oskel::vector2df Accel2Range{0.0f, 0.0f};
    oskel::vector2df AngleRange{0.0f, 0.0f};
    oskel::vector2df AngularVelocityRange{0.0f, 0.0f};
    oskel::s32 LifeTime = 0;

    oskel::f32 getSpeed() const { return m_speed; }
    const oskel::vector3df& getDirection() const { return m_direction; }

protected:
    void start() override;

private:
    oskel::vector3df m_direction;
    oskel::f32 m_speed = 0.0f;
    oskel::f32 m_acceleration1 = 0.0f;
    oskel::f32 m_acceleration2 = 0.0f;
    oskel::s32 m_phase1Start = 0;
    oskel::s32 m_phase1End = 0;
    oskel::s32 m_phase2Start = 0;
    oskel::s32 m_phase2End = 0;
    oskel::f32 m_angle = 0.0f;
    oskel::f32 m_angularVelocity = 0.0f;
    oskel::s32 m_remainingLife = 0;
};

}  // namespace brasquel
