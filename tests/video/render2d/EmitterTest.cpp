// Particle emitters: emission rates, birth offsets of point and rectangle emitters, settings
// drawn from ranges, properties, tables, cloning and the factory.

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/StringUtils.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/render2d/BaseEmitter.h"

using namespace oskel;

namespace {

template <class E>
CRefPtr<E> make() {
    return makeRef<E>(CCreationContext());
}

// Steps the emitter n times by the update period; the number of particles after each step.
std::vector<u32> run(BaseEmitter& emitter, u32 steps) {
    std::vector<u32> counts;
    for (u32 i = 0; i < steps; ++i) {
        EXPECT_TRUE(emitter.update(BaseEmitter::UpdatePeriodMs));
        counts.push_back(emitter.getParticleTarget()->getCount());
    }
    return counts;
}

TEST(EmitterRate, EmitsParticlesPerSecondInStepsOfThirtyMilliseconds) {
    CParticleArray particles(500);
    auto emitter = make<PointEmitter>();
    emitter->setParticleTarget(&particles);
    // 10 per second: one every 100 ms, so the fourth step (120 ms) emits one and keeps 20 ms.
    EXPECT_EQ(run(*emitter, 4), (std::vector<u32>{0, 0, 0, 1}));
    EXPECT_FLOAT_EQ(emitter->getEmissionRemainder(), 20.0f);
    EXPECT_EQ(run(*emitter, 3), (std::vector<u32>{1, 1, 2}));

    // 100 per second: three at once in every step (after the 10 ms carried over, four), all of
    // age 0.
    EXPECT_FLOAT_EQ(emitter->getEmissionRemainder(), 10.0f);
    particles.setCount(0);
    emitter->setPPSRange(vector2df(100.0f, 100.0f));
    EXPECT_EQ(run(*emitter, 3), (std::vector<u32>{4, 7, 10}));
    for (u32 i = 0; i < particles.getCount(); ++i) EXPECT_EQ(particles[i].age, 0u);
}

TEST(EmitterRate, AFullArrayCutsTheEmissionButNotTheTime) {
    CParticleArray particles(500);
    particles.setCount(498);
    auto emitter = make<RectangleEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPPSRange(vector2df(100.0f, 100.0f));
    EXPECT_TRUE(emitter->update(55));  // five due
    EXPECT_EQ(particles.getCount(), 500u);
    EXPECT_FLOAT_EQ(emitter->getEmissionRemainder(), 5.0f);
    EXPECT_TRUE(emitter->update(30));
    EXPECT_EQ(particles.getCount(), 500u);
}

TEST(EmitterRate, RatesOfZeroOrBelowEmitNothing) {
    for (f32 pps : {0.0f, -10.0f}) {
        CParticleArray particles(10);
        auto emitter = make<PointEmitter>();
        emitter->setParticleTarget(&particles);
        emitter->setPPSRange(vector2df(pps, pps));
        run(*emitter, 20);
        EXPECT_EQ(particles.getCount(), 0u) << pps;
    }
    // A huge rate fills the array and stops there.
    CParticleArray particles(10);
    auto emitter = make<PointEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPPSRange(vector2df(1e30f, 1e30f));
    run(*emitter, 2);
    EXPECT_EQ(particles.getCount(), 10u);
}

TEST(EmitterRate, WithoutATargetTheSchedulerDetachesTheEmitter) {
    auto emitter = make<PointEmitter>();
    EXPECT_FALSE(emitter->update(30));
    auto base = make<BaseEmitter>();
    EXPECT_TRUE(base->update(30));

    CTimerScheduler scheduler;
    CParticleArray particles(500);
    emitter->setParticleTarget(&particles);
    emitter->setPPSRange(vector2df(100.0f, 100.0f));
    emitter->setUpdateSource(&scheduler);
    EXPECT_EQ(emitter->getUpdateSource(), &scheduler);
    scheduler.update(90);  // three periods
    EXPECT_EQ(particles.getCount(), 9u);
    emitter->setParticleTarget(nullptr);
    scheduler.update(30);
    EXPECT_EQ(emitter->getUpdateSource(), nullptr);
    EXPECT_EQ(scheduler.getTimerCount(), 0u);
}

TEST(EmitterBirth, DegenerateRangesGiveTheirValues) {
    CParticleArray particles(10);
    auto point = make<PointEmitter>();
    point->setParticleTarget(&particles);
    point->setPosition(vector2df(5.0f, 6.0f));
    point->setPPSRange(vector2df(40.0f, 40.0f));  // one every 25 ms
    point->setLifeTimeRange(vector2df(1500.0f, 1500.0f));
    point->getSettings().velocityXRange.set(7.0f, 7.0f);
    point->getSettings().angleRange.set(45.0f, 45.0f);
    ASSERT_TRUE(point->update(25));
    ASSERT_EQ(particles.getCount(), 1u);
    const Particle& p = particles[0];
    EXPECT_EQ(p.position, vector2df(5.0f, 6.0f));
    EXPECT_EQ(p.velocity, vector2df(7.0f, 0.0f));
    EXPECT_EQ(p.angle, 45.0f);
    EXPECT_EQ(p.lifetime, 1500u);
    EXPECT_EQ(p.scale, 1.0f);
    EXPECT_EQ(p.scaleVelocity, 0.0f);
    for (u32 c = 0; c < 4; ++c) {
        EXPECT_EQ(p.color[c], 1.0f);
        EXPECT_EQ(p.colorVelocity[c], 0.0f);
    }
}

TEST(EmitterBirth, PointEmitterBirthsLieOnTheDrawnRadius) {
    CParticleArray particles(500);
    auto emitter = make<PointEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPosition(vector2df(100.0f, 50.0f));
    emitter->setPPSRange(vector2df(10000.0f, 10000.0f));
    emitter->setRadiusRange(vector2df(5.0f, 5.0f));
    CRandom::instance().seed(3);
    run(*emitter, 1);
    ASSERT_EQ(particles.getCount(), 300u);
    bool left = false, right = false, up = false, down = false;
    for (u32 i = 0; i < particles.getCount(); ++i) {
        const vector2df d = particles[i].position - vector2df(100.0f, 50.0f);
        EXPECT_NEAR(d.getLength(), 5.0f, 1e-4f);
        left |= d.X < -4.0f;
        right |= d.X > 4.0f;
        up |= d.Y < -4.0f;
        down |= d.Y > 4.0f;
    }
    EXPECT_TRUE(left && right && up && down);

    // Radius (0, 10): inside the circle.
    particles.setCount(0);
    emitter->setRadiusRange(vector2df(0.0f, 10.0f));
    run(*emitter, 1);
    for (u32 i = 0; i < particles.getCount(); ++i)
        EXPECT_LE((particles[i].position - vector2df(100.0f, 50.0f)).getLength(), 10.0f + 1e-4f);
}

struct BandCase {
    vector2df x;
    vector2df y;
};

class RectangleBand : public ::testing::TestWithParam<BandCase> {};

TEST_P(RectangleBand, BirthsFillTheBandBetweenInnerAndOuterRectangle) {
    const BandCase& c = GetParam();
    CParticleArray particles(4000);
    auto emitter = make<RectangleEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPosition(vector2df(10.0f, 20.0f));
    emitter->setXRange(c.x);
    emitter->setYRange(c.y);
    emitter->setPPSRange(vector2df(4000.0f / 0.03f, 4000.0f / 0.03f));
    CRandom::instance().seed(11);
    run(*emitter, 1);
    ASSERT_EQ(particles.getCount(), 4000u);
    f32 minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (u32 i = 0; i < particles.getCount(); ++i) {
        const vector2df d = particles[i].position - vector2df(10.0f, 20.0f);
        EXPECT_LE(std::fabs(d.X), c.x.Y + 1e-3f);
        EXPECT_LE(std::fabs(d.Y), c.y.Y + 1e-3f);
        // Outside the inner rectangle (on its edge at most).
        EXPECT_TRUE(std::fabs(d.X) >= c.x.X - 1e-3f || std::fabs(d.Y) >= c.y.X - 1e-3f) << d.X << "," << d.Y;
        minX = std::min(minX, d.X);
        maxX = std::max(maxX, d.X);
        minY = std::min(minY, d.Y);
        maxY = std::max(maxY, d.Y);
    }
    // The whole outer rectangle is reached.
    EXPECT_LT(minX, -0.9f * c.x.Y);
    EXPECT_GT(maxX, 0.9f * c.x.Y);
    EXPECT_LT(minY, -0.9f * c.y.Y);
    EXPECT_GT(maxY, 0.9f * c.y.Y);
}

INSTANTIATE_TEST_SUITE_P(Bands, RectangleBand,
                         ::testing::Values(BandCase{{0.0f, 50.0f}, {0.0f, 20.0f}},
                                           BandCase{{40.0f, 50.0f}, {10.0f, 20.0f}}));

TEST(EmitterBirth, SettingsAreDrawnFromTheirRanges) {
    CParticleArray particles(500);
    auto emitter = make<PointEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPPSRange(vector2df(5000.0f, 5000.0f));
    emitter->setLifeTimeRange(vector2df(1000.0f, 2000.0f));
    SParticleSettings& s = emitter->getSettings();
    s.velocityXRange.set(-10.0f, 10.0f);
    s.velocityYRange.set(5.0f, 6.0f);
    s.accelerationXRange.set(1.0f, 2.0f);
    s.accelerationYRange.set(-3.0f, -2.0f);
    s.angleRange.set(0.0f, 360.0f);
    s.angVelocityRange.set(90.0f, 180.0f);
    s.scaleRange.set(2.0f, 0.5f);
    CRandom::instance().seed(5);
    run(*emitter, 1);
    ASSERT_EQ(particles.getCount(), 150u);
    std::vector<u32> lifetimes;
    for (u32 i = 0; i < particles.getCount(); ++i) {
        const Particle& p = particles[i];
        EXPECT_GE(p.lifetime, 1000u);
        EXPECT_LE(p.lifetime, 2000u);
        EXPECT_GE(p.velocity.X, -10.0f);
        EXPECT_LE(p.velocity.X, 10.0f);
        EXPECT_GE(p.velocity.Y, 5.0f);
        EXPECT_LE(p.velocity.Y, 6.0f);
        EXPECT_GE(p.acceleration.X, 1.0f);
        EXPECT_LE(p.acceleration.Y, -2.0f);
        EXPECT_GE(p.angularVelocity, 90.0f);
        EXPECT_EQ(p.angularAcceleration, 0.0f);
        EXPECT_EQ(p.scale, 2.0f);  // the point emitter starts at the first scale
        EXPECT_NEAR(p.scaleVelocity, (0.5f - 2.0f) / (p.lifetime * 0.001f), 1e-4f);
        lifetimes.push_back(p.lifetime);
    }
    // Not all the same: the draws vary.
    EXPECT_NE(*std::min_element(lifetimes.begin(), lifetimes.end()),
              *std::max_element(lifetimes.begin(), lifetimes.end()));

}

TEST(EmitterBirth, ColoursFadeOverTheLifetime) {
    CParticleArray particles(10);
    auto emitter = make<RectangleEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPPSRange(vector2df(40.0f, 40.0f));
    emitter->setLifeTimeRange(vector2df(2000.0f, 2000.0f));
    emitter->getSettings().colorStart = 0xFF0000FFu;  // opaque blue
    emitter->getSettings().colorEnd = 0x000000FFu;    // transparent blue
    emitter->getSettings().scaleRange.set(1.0f, 3.0f);
    emitter->getSettings().scaleVariation = 0.5f;
    CRandom::instance().seed(9);
    ASSERT_TRUE(emitter->update(25));
    ASSERT_EQ(particles.getCount(), 1u);
    const Particle& p = particles[0];
    EXPECT_EQ(p.lifetime, 2000u);
    EXPECT_FLOAT_EQ(p.color[2], 1.0f);
    EXPECT_FLOAT_EQ(p.color[3], 1.0f);
    EXPECT_FLOAT_EQ(p.colorVelocity[3], -0.5f);
    EXPECT_FLOAT_EQ(p.colorVelocity[2], 0.0f);
    // The rectangle emitter varies its start scale by ScaleVariation.
    EXPECT_GE(p.scale, 0.5f);
    EXPECT_LE(p.scale, 1.5f);
    EXPECT_NEAR(p.scaleVelocity, (3.0f - p.scale) / 2.0f, 1e-5f);

    // A lifetime of 0 gives finite rates of 0.
    particles.setCount(0);
    emitter->setLifeTimeRange(vector2df(0.0f, 0.0f));
    ASSERT_TRUE(emitter->update(25));
    ASSERT_EQ(particles.getCount(), 1u);
    EXPECT_EQ(particles[0].lifetime, 0u);
    EXPECT_EQ(particles[0].colorVelocity[3], 0.0f);
    EXPECT_EQ(particles[0].scaleVelocity, 0.0f);
}

// Every setting of a point emitter set away from its default.
void setEverything(PointEmitter& e) {
    e.setName("Sparks");
    e.setPPSRange(vector2df(20.0f, 30.0f));
    e.setLifeTimeRange(vector2df(100.0f, 200.0f));
    e.setRadiusRange(vector2df(1.0f, 2.0f));
    SParticleSettings& s = e.getSettings();
    s.velocityXRange.set(1.0f, 2.0f);
    s.velocityYRange.set(3.0f, 4.0f);
    s.accelerationXRange.set(5.0f, 6.0f);
    s.accelerationYRange.set(7.0f, 8.0f);
    s.angleRange.set(9.0f, 10.0f);
    s.angVelocityRange.set(11.0f, 12.0f);
    s.colorStart = 0x80112233u;
    s.colorEnd = 0x10445566u;
    s.colorVariation = 0.25f;
    s.scaleRange.set(0.5f, 2.5f);
    s.scaleVariation = 0.75f;
}

void expectSameSettings(const PointEmitter& a, const PointEmitter& b) {
    EXPECT_STREQ(a.getName().c_str(), b.getName().c_str());
    EXPECT_EQ(a.getPPSRange(), b.getPPSRange());
    EXPECT_EQ(a.getLifeTimeRange(), b.getLifeTimeRange());
    EXPECT_EQ(a.getRadiusRange(), b.getRadiusRange());
    const SParticleSettings& x = a.getSettings();
    const SParticleSettings& y = b.getSettings();
    EXPECT_EQ(x.velocityXRange, y.velocityXRange);
    EXPECT_EQ(x.velocityYRange, y.velocityYRange);
    EXPECT_EQ(x.accelerationXRange, y.accelerationXRange);
    EXPECT_EQ(x.accelerationYRange, y.accelerationYRange);
    EXPECT_EQ(x.angleRange, y.angleRange);
    EXPECT_EQ(x.angVelocityRange, y.angVelocityRange);
    EXPECT_EQ(x.colorStart, y.colorStart);
    EXPECT_EQ(x.colorEnd, y.colorEnd);
    EXPECT_EQ(x.colorVariation, y.colorVariation);
    EXPECT_EQ(x.scaleRange, y.scaleRange);
    EXPECT_EQ(x.scaleVariation, y.scaleVariation);
}

TEST(EmitterProperties, WrittenSettingsReadBackTheSame) {
    auto source = make<PointEmitter>();
    setEverything(*source);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    source->saveProperties(set.get());
    EXPECT_EQ(set->getPropertyCount(), 15u);
    EXPECT_GE(set->getPropertyIndex("AccelerationXRange"), 0);
    EXPECT_STREQ(set->getProperty("Name")->getTypeName().c_str(), L"string");
    EXPECT_STREQ(set->getProperty("ColorStart")->getTypeName().c_str(), L"color");

    auto target = make<PointEmitter>();
    target->loadProperties(set.get());
    expectSameSettings(*source, *target);

    // Defaults write nothing.
    CRefPtr<CPropertySet> empty = makeRef<CPropertySet>();
    make<PointEmitter>()->saveProperties(empty.get());
    make<RectangleEmitter>()->saveProperties(empty.get());
    EXPECT_EQ(empty->getPropertyCount(), 0u);

    // Rectangle emitters have their two ranges in place of the radius.
    auto rect = make<RectangleEmitter>();
    rect->setXRange(vector2df(1.0f, 5.0f));
    rect->setYRange(vector2df(2.0f, 6.0f));
    rect->getSettings().scaleVariation = 0.5f;
    CRefPtr<CPropertySet> rectSet = makeRef<CPropertySet>();
    rect->saveProperties(rectSet.get());
    auto rectCopy = make<RectangleEmitter>();
    rectCopy->loadProperties(rectSet.get());
    EXPECT_EQ(rectCopy->getXRange(), vector2df(1.0f, 5.0f));
    EXPECT_EQ(rectCopy->getYRange(), vector2df(2.0f, 6.0f));
    EXPECT_EQ(rectCopy->getSettings().scaleVariation, 0.5f);
    EXPECT_LT(rectSet->getPropertyIndex("RadiusRange"), 0);
}

TEST(EmitterProperties, WronglyTypedSettingsBecomeZero) {
    auto emitter = make<PointEmitter>();
    setEverything(*emitter);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addFloat("PPSRange", 50.0f);
    set->addFloat("ColorStart", 1.0f);
    set->addVector2d("ScaleVariation", vector2df(1.0f, 1.0f));
    set->addInt("Name", 42);
    emitter->loadProperties(set.get());
    EXPECT_EQ(emitter->getPPSRange(), vector2df(0.0f, 0.0f));
    EXPECT_EQ(emitter->getSettings().colorStart, 0u);
    EXPECT_EQ(emitter->getSettings().scaleVariation, 0.0f);
    EXPECT_STREQ(emitter->getName().c_str(), "42");  // the name takes any value's text
    EXPECT_EQ(emitter->getLifeTimeRange(), vector2df(100.0f, 200.0f));  // absent: unchanged

    CParticleArray particles(10);
    emitter->setParticleTarget(&particles);
    run(*emitter, 10);
    EXPECT_EQ(particles.getCount(), 0u);
}

TEST(EmitterProperties, TablesListTheSettingsInOrder) {
    auto point = make<PointEmitter>();
    const std::vector<const char*> pointNames = {
        "Name", "PPSRange", "LifeTimeRange", "RadiusRange", "VelocityXRange", "VelocityYRange",
        "AccelXRange", "AccelYRange", "AngleRange", "AngVelocityRange", "ColorStart", "ColorEnd",
        "ColorVariation", "ScaleRange", "ScaleVariation"};
    const CPropertyTable& table = point->getPropertyTable();
    ASSERT_EQ(table.size(), pointNames.size());
    for (size_t i = 0; i < table.size(); ++i) EXPECT_STREQ(table[i].name.c_str(), pointNames[i]);
    EXPECT_EQ(make<BaseEmitter>()->getPropertyTable().size(), 3u);
    const CPropertyTable& rect = make<RectangleEmitter>()->getPropertyTable();
    ASSERT_EQ(rect.size(), 16u);
    EXPECT_STREQ(rect[3].name.c_str(), "XRange");
    EXPECT_STREQ(rect[4].name.c_str(), "YRange");

    point->setPropertyByName("AccelXRange", makePropertyDataVector2d(vector2df(4.0f, 5.0f)));
    EXPECT_EQ(point->getSettings().accelerationXRange, vector2df(4.0f, 5.0f));
    point->setPropertyByName("ColorEnd", makePropertyDataColor(0x12345678u));
    EXPECT_EQ(unboxPropertyColor(point->getPropertyByName("ColorEnd").get()).color, 0x12345678u);
    point->setPropertyByName("PPSRange", makePropertyDataFloat(3.0f));
    EXPECT_EQ(point->getPPSRange(), vector2df(0.0f, 0.0f));
    point->setPropertyByName("Name", makeStringProperty("Smoke"));
    EXPECT_STREQ(getPropertyString(point->getPropertyByName("Name").get()).c_str(), "Smoke");
}

TEST(EmitterClasses, ClonesCopySettingsButNotState) {
    auto source = make<PointEmitter>();
    setEverything(*source);
    CParticleArray particles(10);
    CTimerScheduler scheduler;
    source->setParticleTarget(&particles);
    source->setPosition(vector2df(3.0f, 4.0f));
    source->setUpdateSource(&scheduler);
    source->update(7);

    CResource* cloned = source->clone();
    ASSERT_NE(cloned, nullptr);
    auto* copy = dynamic_cast<PointEmitter*>(cloned);
    ASSERT_NE(copy, nullptr);
    expectSameSettings(*source, *copy);
    EXPECT_EQ(copy->getPosition(), vector2df(0.0f, 0.0f));
    EXPECT_EQ(copy->getParticleTarget(), nullptr);
    EXPECT_EQ(copy->getUpdateSource(), nullptr);
    EXPECT_EQ(copy->getEmissionRemainder(), 0.0f);
    cloned->drop();

    auto rect = make<RectangleEmitter>();
    rect->setXRange(vector2df(1.0f, 2.0f));
    CResource* rectClone = rect->clone();
    auto* rectCopy = dynamic_cast<RectangleEmitter*>(rectClone);
    ASSERT_NE(rectCopy, nullptr);
    EXPECT_EQ(rectCopy->getXRange(), vector2df(1.0f, 2.0f));
    rectClone->drop();
    source->detachUpdateSource();
    EXPECT_EQ(scheduler.getTimerCount(), 0u);
}

TEST(EmitterClasses, ClassNamesKindsAndTheFactory) {
    auto point = make<PointEmitter>();
    EXPECT_STREQ(point->getClassName(), "PointEmitter");
    EXPECT_TRUE(point->isKindOf(BaseEmitter::TypeId));
    EXPECT_TRUE(point->isKindOf(PointEmitter::TypeId));
    EXPECT_FALSE(point->isKindOf(RectangleEmitter::TypeId));
    auto rect = make<RectangleEmitter>();
    EXPECT_TRUE(rect->isKindOf(RectangleEmitter::TypeId));
    EXPECT_FALSE(rect->isKindOf(PointEmitter::TypeId));
    EXPECT_EQ(make<BaseEmitter>()->getTypeId(), BaseEmitter::TypeId);
    EXPECT_EQ(point->getUpdatePeriod(), 30u);

    CEmitterFactory& factory = CEmitterFactory::instance();
    for (const wchar_t* name : {L"PointEmitter", L"RectangleEmitter"}) {
        BaseEmitter* e = factory.createEmitterByName(name, CCreationContext());
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(stringw(e->getClassName()), stringw(name));
        EXPECT_EQ(e->getReferenceCount(), 1);
        e->drop();
    }
    for (const wchar_t* name : {L"BaseEmitter", L"pointemitter", L""})
        EXPECT_EQ(factory.createEmitterByName(name, CCreationContext()), nullptr);
    // The first creator of a name stays.
    factory.registerEmitterType(L"PointEmitter", [](const CCreationContext& c) -> BaseEmitter* {
        return new RectangleEmitter(c);
    });
    BaseEmitter* e = factory.createEmitterByName(L"PointEmitter", CCreationContext());
    EXPECT_EQ(e->getTypeId(), PointEmitter::TypeId);
    e->drop();
}

}  // namespace

// The draws of each new particle come from the engine's generator in a fixed order: the birth
// offset (radius and angle, or side and coordinates), the lifetime, then velocity x and y,
// acceleration x and y, angle and angular velocity; a rectangle emitter then draws its start
// scale. A second generator in the same state, drawing in that order, gives every value.
namespace {

f32 rangeDraw(CRandom& random, const vector2df& range) {
    return range.Y - range.X == 0.0f ? range.X : range.X + (range.Y - range.X) * random.nextFloat();
}

// The oracle takes the engine's generator's state (seeding leaves one word as it was).
void copyGenerator(CRandom& oracle) {
    u32 z = 0, w = 0;
    CRandom::instance().getLowGeneratorState(z, w);
    oracle.setLowGeneratorState(z, w);
}

void setDrawnSettings(CParticleSettingsEmitter& emitter) {
    emitter.setPPSRange(vector2df(1000.0f, 1000.0f));  // degenerate: no draw per step
    emitter.setLifeTimeRange(vector2df(100.0f, 900.0f));
    SParticleSettings& s = emitter.getSettings();
    s.velocityXRange = vector2df(-10.0f, 10.0f);
    s.velocityYRange = vector2df(5.0f, 50.0f);
    s.accelerationXRange = vector2df(-1.0f, 1.0f);
    s.accelerationYRange = vector2df(0.0f, 3.0f);
    s.angleRange = vector2df(0.0f, 360.0f);
    s.angVelocityRange = vector2df(-90.0f, 90.0f);
    s.scaleRange = vector2df(2.0f, 0.5f);
    s.scaleVariation = 0.25f;
}

// Checks the shared draws (lifetime onwards) of one particle against the oracle.
void expectSharedDraws(const Particle& p, CRandom& oracle, const SParticleSettings& s, const vector2df& life) {
    EXPECT_EQ(p.lifetime, static_cast<u32>(rangeDraw(oracle, life)));
    EXPECT_FLOAT_EQ(p.velocity.X, rangeDraw(oracle, s.velocityXRange));
    EXPECT_FLOAT_EQ(p.velocity.Y, rangeDraw(oracle, s.velocityYRange));
    EXPECT_FLOAT_EQ(p.acceleration.X, rangeDraw(oracle, s.accelerationXRange));
    EXPECT_FLOAT_EQ(p.acceleration.Y, rangeDraw(oracle, s.accelerationYRange));
    EXPECT_FLOAT_EQ(p.angle, rangeDraw(oracle, s.angleRange));
    EXPECT_FLOAT_EQ(p.angularVelocity, rangeDraw(oracle, s.angVelocityRange));
}

}  // namespace

TEST(EmitterBirth, PointEmitterDrawsInItsFixedOrder) {
    CParticleArray particles(100);
    auto emitter = make<PointEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPosition(vector2df(40.0f, -20.0f));
    setDrawnSettings(*emitter);
    emitter->setRadiusRange(vector2df(0.0f, 8.0f));
    CRandom::instance().seed(20240611);
    CRandom oracle;
    copyGenerator(oracle);
    run(*emitter, 1);  // 30 particles
    ASSERT_EQ(particles.getCount(), 30u);

    const SParticleSettings& s = emitter->getSettings();
    for (u32 i = 0; i < particles.getCount(); ++i) {
        SCOPED_TRACE(i);
        const f32 r = rangeDraw(oracle, emitter->getRadiusRange());
        vector2df offset(0.0f, 0.0f);
        if (r > 0.0f) {
            const u32 theta = oracle.next() % 360;
            offset.set(r * sineOfDegrees((theta + 90) % 360), r * sineOfDegrees(theta));
        }
        EXPECT_FLOAT_EQ(particles[i].position.X, 40.0f + offset.X);
        EXPECT_FLOAT_EQ(particles[i].position.Y, -20.0f + offset.Y);
        expectSharedDraws(particles[i], oracle, s, emitter->getLifeTimeRange());
        EXPECT_FLOAT_EQ(particles[i].scale, 2.0f);  // the point emitter draws no scale
    }
    // The generator has moved exactly as far as the oracle.
    EXPECT_EQ(CRandom::instance().next(), oracle.next());
}

TEST(EmitterBirth, RectangleEmitterDrawsInItsFixedOrder) {
    CParticleArray particles(100);
    auto emitter = make<RectangleEmitter>();
    emitter->setParticleTarget(&particles);
    emitter->setPosition(vector2df(5.0f, 6.0f));
    setDrawnSettings(*emitter);
    const vector2df x(10.0f, 30.0f), y(4.0f, 12.0f);
    emitter->setXRange(x);
    emitter->setYRange(y);
    CRandom::instance().seed(77);
    CRandom oracle;
    copyGenerator(oracle);
    run(*emitter, 1);
    ASSERT_EQ(particles.getCount(), 30u);

    const SParticleSettings& s = emitter->getSettings();
    for (u32 i = 0; i < particles.getCount(); ++i) {
        SCOPED_TRACE(i);
        const u32 side = oracle.next() % 4;
        f32 ox = 0.0f, oy = 0.0f;
        switch (side) {
            case 0: ox = rangeDraw(oracle, {-x.Y, x.Y}); oy = rangeDraw(oracle, y); break;
            case 1: ox = rangeDraw(oracle, x); oy = rangeDraw(oracle, {-y.Y, y.Y}); break;
            case 2: ox = rangeDraw(oracle, {-x.Y, x.Y}); oy = rangeDraw(oracle, {-y.X, -y.Y}); break;
            default: ox = rangeDraw(oracle, {-x.X, -x.Y}); oy = rangeDraw(oracle, {-y.Y, y.Y}); break;
        }
        EXPECT_FLOAT_EQ(particles[i].position.X, 5.0f + ox);
        EXPECT_FLOAT_EQ(particles[i].position.Y, 6.0f + oy);
        expectSharedDraws(particles[i], oracle, s, emitter->getLifeTimeRange());
        EXPECT_FLOAT_EQ(particles[i].scale, rangeDraw(oracle, {2.0f - 0.25f, 0.25f + 2.0f}));
    }
    EXPECT_EQ(CRandom::instance().next(), oracle.next());
}
