#include "game/world/GWeatherParticlesNode.h"

#include <cmath>
#include <cstdint>

using s64 = std::int64_t;

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 DegreesToRadians = 3.14159265358979f / 180.0f;
constexpr s64 FullTurn = 360;
constexpr s64 QuarterTurn = 90;
// The direction angle of the way down the screen (getVectorAngleDegrees of (0, 1)).
constexpr f32 DownAngle = 270.0f;

vector2df normalised(f32 x, f32 y) {
    const f32 length = std::sqrt(x * x + y * y);
    return length > 0.0f ? vector2df(x / length, y / length) : vector2df(0.0f, 0.0f);
}

}  // namespace

GWeatherParticlesNode::GWeatherParticlesNode(const CCreationContext& context, BaseNode* parent,
                                             SceneManager* manager)
    : GMeshParticlesNode(context, parent, manager, Capacity) {
    m_particles.reserve(Capacity);
}

GWeatherParticlesNode::~GWeatherParticlesNode() = default;

BRASQUEL_DEFINE_NODE_CLASS(GWeatherParticlesNode, GameNodeTypeWeatherParticlesNode, GMeshParticlesNode)

void GWeatherParticlesNode::readSetting(CXmlReader& reader) {
    readSettingOf(reader,
                  {{L"EmitRectangleXSize", &EmitRectangleXSize},
                   {L"EmitRectangleYSize", &EmitRectangleYSize},
                   {L"CenterPoint", &CenterPoint},
                   {L"ParticleVelRange", &ParticleVelRange},
                   {L"ParticleAccRange", &ParticleAccRange},
                   {L"ParticleAngularVelocityRange", &ParticleAngularVelocityRange},
                   {L"ParticleNormalDeltaRange", &ParticleNormalDeltaRange},
                   {L"ParticleNormalDeltaPeriodRange", &ParticleNormalDeltaPeriodRange},
                   {L"ParticleLifetimeRange", &ParticleLifetimeRange}},
                  L"ParticleTimeline",
                  {{L"ScaleX", &ScaleX}, {L"ScaleY", &ScaleY}, {L"ColorA", &ColorA}});
}

void GWeatherParticlesNode::copySettings(const GMeshParticlesNode& source) {
    const auto& other = static_cast<const GWeatherParticlesNode&>(source);
    EmitRectangleXSize = other.EmitRectangleXSize;
    EmitRectangleYSize = other.EmitRectangleYSize;
    CenterPoint = other.CenterPoint;
    ParticleVelRange = other.ParticleVelRange;
    ParticleAccRange = other.ParticleAccRange;
    ParticleAngularVelocityRange = other.ParticleAngularVelocityRange;
    ParticleNormalDeltaRange = other.ParticleNormalDeltaRange;
    ParticleNormalDeltaPeriodRange = other.ParticleNormalDeltaPeriodRange;
    ParticleLifetimeRange = other.ParticleLifetimeRange;
    ScaleX = other.ScaleX;
    ScaleY = other.ScaleY;
    ColorA = other.ColorA;
}

void GWeatherParticlesNode::setLiveCount(u32 count) {
    if (count < m_particles.size()) m_particles.resize(count);
}

void GWeatherParticlesNode::advance(f32 dt) {
    for (size_t i = 0; i < m_particles.size();) {
        GWeatherParticle& p = m_particles[i];
        p.age += p.ageRate * dt;
        if (p.age >= 1.0f) {
            p = m_particles.back();
            m_particles.pop_back();
            continue;
        }
        p.x += p.velocityX * dt;
        p.y += p.velocityY * dt;
        p.angle += p.angularVelocity * dt;
        p.swayPhase = truncateToInt(static_cast<f32>(p.swayPhase) + 1000.0f * dt);
        if (p.swayPhase > p.swayPeriod) p.swayPhase = 0;
        followParticleKeys(ScaleX, p.age, p.scaleXCursor, p.scaleX);
        followParticleKeys(ScaleY, p.age, p.scaleYCursor, p.scaleY);
        followParticleKeys(ColorA, p.age, p.alphaCursor, p.alpha);
        ++i;
    }
}

void GWeatherParticlesNode::emit(u32 elapsedMs) {
    u32 n = takeDue(elapsedMs);
    n = std::min(n, getFreeRoom());
    if (n == 0) return;
    const f32 startScaleX = getParticleStartValue(ScaleX, 1.0f);
    const f32 startScaleY = getParticleStartValue(ScaleY, 1.0f);
    const f32 startAlpha = getParticleStartValue(ColorA, 1.0f);
    CRandom& random = CRandom::instance();
    for (u32 k = 0; k < n; ++k) {
        GWeatherParticle p;
        const f32 lifetime =
            random.nextFloatRange(ParticleLifetimeRange.X, ParticleLifetimeRange.Y);
        if (!(lifetime > 0.0f)) {
            // No life (or a negative one): gone at the next step.
            p.age = 1.0f;
            m_particles.push_back(p);
            continue;
        }
        p.ageRate = ageRateOf(lifetime);
        p.x = random.nextFloatRange(EmitRectangleXSize.X, EmitRectangleXSize.Y);
        p.y = random.nextFloatRange(EmitTop, EmitRectangleYSize.X);
        p.angle =
            DownAngle - getVectorAngleDegrees(vector2df(CenterPoint.X - p.x, CenterPoint.Y - p.y));
        const f32 speed = random.nextFloatRange(ParticleVelRange.X, ParticleVelRange.Y);
        const f32 radians = p.angle * DegreesToRadians;
        p.velocityX = -speed * std::sin(radians);
        p.velocityY = speed * std::cos(radians);
        p.angularVelocity =
            random.nextFloatRange(ParticleAngularVelocityRange.X, ParticleAngularVelocityRange.Y);
        const vector2df normal = normalised(-p.velocityY, p.velocityX);
        p.normalX = normal.X;
        p.normalY = normal.Y;
        p.swayAmplitude =
            random.nextFloatRange(ParticleNormalDeltaRange.X, ParticleNormalDeltaRange.Y);
        p.swayPeriod = truncateToInt(random.nextFloatRange(ParticleNormalDeltaPeriodRange.X,
                                                           ParticleNormalDeltaPeriodRange.Y));
        p.swayPhase = truncateToInt(random.nextFloatRange(0.0f, static_cast<f32>(p.swayPeriod)));
        p.scaleX = startScaleX;
        p.scaleY = startScaleY;
        p.alpha = startAlpha;
        p.scaleXCursor = p.scaleYCursor = p.alphaCursor = 1;
        m_particles.push_back(p);
    }
}

void GWeatherParticlesNode::writeParticles(S2DVertex* vertices, f32 frameWidth, f32 frameHeight,
                                           u32 tint) const {
    for (const GWeatherParticle& p : m_particles) {
        vector2df centre(p.x, p.y);
        if (p.swayPeriod > 0) {
            s64 degrees = static_cast<s64>(p.swayPhase) * FullTurn / p.swayPeriod + QuarterTurn;
            degrees %= FullTurn;
            if (degrees < 0) degrees += FullTurn;
            const f32 swing = p.scaleX * p.swayAmplitude * sineOfDegrees(static_cast<u32>(degrees));
            centre.X += p.normalX * swing;
            centre.Y += p.normalY * swing;
        }
        writeQuad(vertices, centre, p.scaleX * 0.5f * frameWidth, p.scaleY * 0.5f * frameHeight,
                  p.angle, particleColor(p.alpha, tint));
        vertices += VerticesPerQuad;
    }
}

}  // namespace brasquel
