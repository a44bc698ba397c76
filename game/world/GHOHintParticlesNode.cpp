#include "game/world/GHOHintParticlesNode.h"

#include <algorithm>
#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/io/CXmlReader.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 TwoPi = 6.28318530717959f;
constexpr f32 StartAngleRange = 360.0f;

}  // namespace

GHOHintParticlesNode::GHOHintParticlesNode(const CCreationContext& context, BaseNode* parent,
                                           SceneManager* manager)
    : GMeshParticlesNode(context, parent, manager, Capacity) {
    m_particles.reserve(Capacity);
}

GHOHintParticlesNode::~GHOHintParticlesNode() = default;

BRASQUEL_DEFINE_NODE_CLASS(GHOHintParticlesNode, GameNodeTypeHOHintParticlesNode, GMeshParticlesNode)

void GHOHintParticlesNode::readSetting(CXmlReader& reader) {
    readSettingOf(reader,
                  {{L"EmitRadiusXRange", &EmitRadiusXRange},
                   {L"EmitRadiusYRange", &EmitRadiusYRange},
                   {L"ParticlesDensity", &ParticlesDensity},
                   {L"ParticlesVelRange", &ParticlesVelRange},
                   {L"ParticlesLifetimeRange", &ParticlesLifetimeRange}},
                  L"ParticlesTimeline",
                  {{L"AngularVelocity", &AngularVelocity}, {L"Scale", &Scale}, {L"ColorA", &ColorA}});
}

void GHOHintParticlesNode::copySettings(const GMeshParticlesNode& source) {
    const auto& other = static_cast<const GHOHintParticlesNode&>(source);
    EmitRadiusXRange = other.EmitRadiusXRange;
    EmitRadiusYRange = other.EmitRadiusYRange;
    ParticlesDensity = other.ParticlesDensity;
    ParticlesVelRange = other.ParticlesVelRange;
    ParticlesLifetimeRange = other.ParticlesLifetimeRange;
    AngularVelocity = other.AngularVelocity;
    Scale = other.Scale;
    ColorA = other.ColorA;
}

void GHOHintParticlesNode::setLiveCount(u32 count) {
    if (count < m_particles.size()) m_particles.resize(count);
}

void GHOHintParticlesNode::advance(f32 dt) {
    for (size_t i = 0; i < m_particles.size();) {
        GHintParticle& p = m_particles[i];
        p.age += p.ageRate * dt;
        if (p.age >= 1.0f) {
            p = m_particles.back();
            m_particles.pop_back();
            continue;
        }
        p.x += p.velocityX * dt;
        p.y += p.velocityY * dt;
        p.angle += p.angularVelocity * dt;
        followParticleKeys(AngularVelocity, p.age, p.angularVelocityCursor, p.angularVelocity);
        followParticleKeys(Scale, p.age, p.scaleCursor, p.scale);
        followParticleKeys(ColorA, p.age, p.alphaCursor, p.alpha);
        ++i;
    }
}

void GHOHintParticlesNode::emit(u32 elapsedMs) {
    const u32 bursts = takeDue(elapsedMs);
    CRandom& random = CRandom::instance();
    for (u32 b = 0; b < bursts; ++b) {
        const f32 density = random.nextFloatRange(ParticlesDensity.X, ParticlesDensity.Y);
        // Below one spark (a negative density included) the burst adds nothing.
        const u32 room = getFreeRoom();
        const u32 n = density >= 1.0f
                          ? (density >= static_cast<f32>(room) ? room : static_cast<u32>(density))
                          : 0;
        if (n == 0) continue;
        f32 theta = random.nextFloatRange(0.0f, StartAngleRange);
        const f32 step = TwoPi / static_cast<f32>(n);
        const f32 startSpin = getParticleStartValue(AngularVelocity, 0.0f);
        const f32 startScale = getParticleStartValue(Scale, 1.0f);
        const f32 startAlpha = getParticleStartValue(ColorA, 1.0f);
        for (u32 k = 0; k < n; ++k) {
            GHintParticle p;
            const f32 lifetime =
                random.nextFloatRange(ParticlesLifetimeRange.X, ParticlesLifetimeRange.Y);
            if (!(lifetime > 0.0f)) {
                p.age = 1.0f;
                m_particles.push_back(p);
                continue;
            }
            p.ageRate = ageRateOf(lifetime);
            theta += step;
            p.x = std::cos(theta) * random.nextFloatRange(EmitRadiusXRange.X, EmitRadiusXRange.Y);
            p.y = std::sin(theta) * random.nextFloatRange(EmitRadiusYRange.X, EmitRadiusYRange.Y);
            const f32 length = std::sqrt(p.x * p.x + p.y * p.y);
            const f32 speed = random.nextFloatRange(ParticlesVelRange.X, ParticlesVelRange.Y);
            if (length > 0.0f) {
                p.velocityX = p.x / length * speed;
                p.velocityY = p.y / length * speed;
            }
            p.angularVelocity = startSpin;
            p.scale = startScale;
            p.alpha = startAlpha;
            p.angularVelocityCursor = p.scaleCursor = p.alphaCursor = 1;
            m_particles.push_back(p);
        }
    }
}

void GHOHintParticlesNode::writeParticles(S2DVertex* vertices, f32 frameWidth, f32 frameHeight,
                                          u32 tint) const {
    for (const GHintParticle& p : m_particles) {
        writeQuad(vertices, vector2df(p.x, p.y), p.scale * 0.5f * frameWidth,
                  p.scale * 0.5f * frameHeight, p.angle, particleColor(p.alpha, tint));
        vertices += VerticesPerQuad;
    }
}

}  // namespace brasquel
