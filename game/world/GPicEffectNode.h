#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A picture that rises (or sinks) while it circles around a vertical axis: its x swings with
// the sine of the circling angle and it goes behind its level in the far half of the circle.
class GPicEffectNode : public GEffectNode {
public:
    static constexpr oskel::s32 DefaultAnimTime = 1000;

    explicit GPicEffectNode(const oskel::CCreationContext& context,
                            oskel::BaseNode* parent = nullptr,
                            oskel::SceneManager* manager = nullptr);
    ~GPicEffectNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    bool update(oskel::u32 elapsedMs) override;

    oskel::s32 AnimTime = DefaultAnimTime;
    oskel::vector2df WidthRange{0.0f, 0.0f};
    oskel::vector2df YVelocityRange{0.0f, 0.0f};
    oskel::vector2df YAccelRange{0.0f, 0.0f};
    oskel::vector2df YAccelTimeRange{0.0f, 0.0f};
    oskel::s32 LifeTime = 0;

    // The circling angle of the last step, whole degrees.
    oskel::s32 getAngle() const { return m_angle; }
    oskel::s32 getRemainingLife() const { return m_remainingLife; }

protected:
    void start() override;

private:
    oskel::vector3df m_startPosition;
    oskel::vector3df m_basePosition;
    oskel::f32 m_yVelocity = 0.0f;
    oskel::f32 m_yAcceleration = 0.0f;
    oskel::f32 m_amplitude = 0.0f;
    oskel::s32 m_phaseTime = 0;
    oskel::s32 m_accelerationEnd = 0;
    oskel::s32 m_remainingLife = 0;
    oskel::s32 m_angle = 0;
};

}  // namespace brasquel
