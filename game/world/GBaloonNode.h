#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A balloon that rises (with an acceleration for a while after its start) and sways: it drifts
// sideways until it is a random width away from where it started, then turns back. Its depth
// follows its place, its life and its vertical speed.
class GBaloonNode : public GEffectNode {
public:
    explicit GBaloonNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                         oskel::SceneManager* manager = nullptr);
    ~GBaloonNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df WidthRange{0.0f, 0.0f};
    oskel::vector2df XVelocityRange{0.0f, 0.0f};
    oskel::vector2df YVelocityRange{0.0f, 0.0f};
    oskel::vector2df YAccelRange{0.0f, 0.0f};
    oskel::vector2df YAccelTimeRange{0.0f, 0.0f};
    oskel::s32 LifeTime = 0;

    oskel::f32 getXVelocity() const { return m_xVelocity; }
    oskel::f32 getYVelocity() const { return m_yVelocity; }
    oskel::s32 getRemainingLife() const { return m_remainingLife; }
    oskel::s32 getAccelerationEnd() const { return m_accelerationEnd; }

protected:
    void start() override;

private:
    oskel::vector3df m_startPosition;
    oskel::f32 m_xVelocity = 0.0f;
    oskel::f32 m_yVelocity = 0.0f;
    oskel::f32 m_yAcceleration = 0.0f;
    oskel::f32 m_swayWidth = 0.0f;
    oskel::s32 m_remainingLife = 0;
    oskel::s32 m_accelerationEnd = 0;
};

}  // namespace brasquel
