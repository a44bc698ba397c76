#pragma once

#include <vector>

#include "game/config/GNodeClass.h"
#include "game/world/GMeshParticlesNode.h"
#include "game/world/GParticleKeys.h"

namespace brasquel {

// One raindrop or snowflake: it flies from its birth point towards the centre point, swinging
// sideways along its normal with a cosine of its sway period, spinning at a fixed rate.
struct GWeatherParticle {
    oskel::f32 age = 0.0f;
    oskel::f32 ageRate = 0.0f;
    oskel::f32 x = 0.0f;
    oskel::f32 y = 0.0f;
    oskel::f32 velocityX = 0.0f;
    oskel::f32 velocityY = 0.0f;
    oskel::f32 normalX = 0.0f;
    oskel::f32 normalY = 0.0f;
    oskel::f32 swayAmplitude = 0.0f;
    oskel::s32 swayPhase = 0;
    oskel::s32 swayPeriod = 0;
    oskel::f32 angle = 0.0f;
    oskel::f32 angularVelocity = 0.0f;
    oskel::f32 scaleX = 0.0f;
    oskel::f32 scaleY = 0.0f;
    oskel::u32 scaleXCursor = 0;
    oskel::u32 scaleYCursor = 0;
    oskel::f32 alpha = 0.0f;
    oskel::u32 alphaCursor = 0;
};

// Rain or snow over the level: particles born at random in a band above the screen, all heading
// for one centre point, their size and opacity following the file's timeline ("WeatherParticle"
// files: "levels/common/Effects/Rain.xml", "levels/common/Effects/Snow.xml").
class GWeatherParticlesNode : public GMeshParticlesNode {
public:
    static constexpr oskel::u32 Capacity = 2048;
    // Birth y is drawn from this up to the first number of EmitRectangleYSize.
    static constexpr oskel::f32 EmitTop = -20.0f;

    explicit GWeatherParticlesNode(const oskel::CCreationContext& context,
                                   oskel::BaseNode* parent = nullptr,
                                   oskel::SceneManager* manager = nullptr);
    ~GWeatherParticlesNode() override;

    BRASQUEL_NODE_CLASS()

    oskel::u32 getLiveCount() const override { return static_cast<oskel::u32>(m_particles.size()); }
    const std::vector<GWeatherParticle>& getParticles() const { return m_particles; }
    std::vector<GWeatherParticle>& getParticles() { return m_particles; }

    // The emitter settings (the files' elements of the same names).
    oskel::vector2df EmitRectangleXSize{-20.0f, 1044.0f};
    oskel::vector2df EmitRectangleYSize{-20.0f, 600.0f};
    oskel::vector2df CenterPoint{512.0f, 2000.0f};
    oskel::vector2df ParticleVelRange{200.0f, 250.0f};
    oskel::vector2df ParticleAccRange{0.0f, 0.0f};  // read and kept; nothing uses it
    oskel::vector2df ParticleAngularVelocityRange{0.0f, 0.0f};
    oskel::vector2df ParticleNormalDeltaRange{0.0f, 0.0f};
    oskel::vector2df ParticleNormalDeltaPeriodRange{0.0f, 0.0f};
    oskel::vector2df ParticleLifetimeRange{0.0f, 0.0f};
    GParticleKeyList ScaleX;
    GParticleKeyList ScaleY;
    GParticleKeyList ColorA;

protected:
    const wchar_t* getRootElement() const override { return L"WeatherParticle"; }
    void readSetting(oskel::CXmlReader& reader) override;
    void copySettings(const GMeshParticlesNode& source) override;
    void setLiveCount(oskel::u32 count) override;
    void advance(oskel::f32 dt) override;
    void emit(oskel::u32 elapsedMs) override;
    void writeParticles(oskel::S2DVertex* vertices, oskel::f32 frameWidth, oskel::f32 frameHeight,
                        oskel::u32 tint) const override;
    bool drawsAtZeroDepth() const override { return true; }

private:
    std::vector<GWeatherParticle> m_particles;
};

}  // namespace brasquel
