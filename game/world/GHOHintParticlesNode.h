#pragma once

#include <vector>

#include "game/config/GNodeClass.h"
#include "game/world/GMeshParticlesNode.h"
#include "game/world/GParticleKeys.h"

namespace brasquel {

// One spark of a hint ring: it flies straight out from the node's origin, spinning, scaling and
// fading along the file's timeline.
struct GHintParticle {
    oskel::f32 age = 0.0f;
    oskel::f32 ageRate = 0.0f;
    oskel::f32 x = 0.0f;
    oskel::f32 y = 0.0f;
    oskel::f32 velocityX = 0.0f;
    oskel::f32 velocityY = 0.0f;
    oskel::f32 angle = 0.0f;
    oskel::f32 angularVelocity = 0.0f;
    oskel::u32 angularVelocityCursor = 0;
    oskel::f32 scale = 0.0f;
    oskel::u32 scaleCursor = 0;
    oskel::f32 alpha = 0.0f;
    oskel::u32 alphaCursor = 0;
};

// Rings of sparks bursting out of the node's origin ("HintParticle" files): PPS bursts a second,
// each an evenly spaced ring of a random number of sparks on an ellipse of random radii. An owner
// places it over a spot and sets the rate.
class GHOHintParticlesNode : public GMeshParticlesNode {
public:
    static constexpr oskel::u32 Capacity = 4096;

    explicit GHOHintParticlesNode(const oskel::CCreationContext& context,
                                  oskel::BaseNode* parent = nullptr,
                                  oskel::SceneManager* manager = nullptr);
    ~GHOHintParticlesNode() override;

    BRASQUEL_NODE_CLASS()

    oskel::u32 getLiveCount() const override { return static_cast<oskel::u32>(m_particles.size()); }
    const std::vector<GHintParticle>& getParticles() const { return m_particles; }

    oskel::vector2df EmitRadiusXRange{0.0f, 0.0f};
    oskel::vector2df EmitRadiusYRange{0.0f, 0.0f};
    oskel::vector2df ParticlesDensity{20.0f, 20.0f};
    oskel::vector2df ParticlesVelRange{0.0f, 0.0f};
    oskel::vector2df ParticlesLifetimeRange{0.0f, 0.0f};
    GParticleKeyList AngularVelocity;
    GParticleKeyList Scale;
    GParticleKeyList ColorA;

protected:
    const wchar_t* getRootElement() const override { return L"HintParticle"; }
    void readSetting(oskel::CXmlReader& reader) override;
    void copySettings(const GMeshParticlesNode& source) override;
    void setLiveCount(oskel::u32 count) override;
    void advance(oskel::f32 dt) override;
    void emit(oskel::u32 elapsedMs) override;
    void writeParticles(oskel::S2DVertex* vertices, oskel::f32 frameWidth, oskel::f32 frameHeight,
                        oskel::u32 tint) const override;
    bool drawsAtZeroDepth() const override { return false; }

private:
    std::vector<GHintParticle> m_particles;
};

}  // namespace brasquel
