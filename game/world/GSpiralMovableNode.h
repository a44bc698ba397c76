#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A node on a spiral around the point where it was first drawn: its distance from that centre
// and its angle around it change at random constant rates while it spins at a rate of its own;
// it fades in its last second and leaves at the end of its life.
class GSpiralMovableNode : public GEffectNode {
public:
    explicit GSpiralMovableNode(const oskel::CCreationContext& context,
                                oskel::BaseNode* parent = nullptr,
                                oskel::SceneManager* manager = nullptr);
    ~GSpiralMovableNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df RRange{0.0f, 0.0f};
    oskel::vector2df RVelocityRange{0.0f, 0.0f};
    oskel::vector2df RotVelocityRange{0.0f, 0.0f};    // degrees per second
    oskel::vector2df AngleRange{0.0f, 0.0f};          // radians
    oskel::vector2df AngleVelocityRange{0.0f, 0.0f};  // radians per second
    oskel::s32 LifeTime = 0;

    const oskel::vector3df& getCentre() const { return m_centre; }
    oskel::f32 getDistance() const { return m_distance; }
    oskel::f32 getAngle() const { return m_angle; }

protected:
    void start() override;

private:
    void place();

    oskel::vector3df m_centre;
    oskel::f32 m_distance = 0.0f;
    oskel::f32 m_distanceVelocity = 0.0f;
    oskel::f32 m_spinVelocity = 0.0f;
    oskel::f32 m_angle = 0.0f;
    oskel::f32 m_angularVelocity = 0.0f;
    oskel::s32 m_remainingLife = 0;
};

}  // namespace brasquel
