// The effect nodes on a stepped scene scheduler with a seeded generator: the start at the first
// draw, the life and its fade, the range draws, balloons, rising pictures and spirals, clones,
// removal by other code, properties and scene files.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GBaloonNode.h"
#include "game/world/GPicEffectNode.h"
#include "game/world/GSpiralMovableNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

constexpr u32 Step = GEffectNode::UpdatePeriodMs;

class EffectNodesTest : public ::testing::Test {
protected:
    EffectNodesTest() {
        CRandom::instance().seed(77);
        scene = content.showScene();
    }

    template <class T>
    CRefPtr<T> place(const vector3df& at = vector3df(100.0f, 200.0f, 0.0f)) {
        auto node = makeRef<T>(CCreationContext(content.manager, ""));
        node->setPosition(at);
        scene->addChild(node.get());
        return node;
    }

    void draw() {
        DrawList list;
        scene->render(list);
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

u32 alphaOf(const BaseNode& node) { return node.getTintColor() >> 24; }

}  // namespace

TEST_F(EffectNodesTest, ClassesKindsAndFactoryNames) {
    const struct {
        CRefPtr<GEffectNode> node;
        const wchar_t* name;
        s32 type;
    } cases[] = {
        {makeRef<GBaloonNode>(CCreationContext()), L"GBaloonNode", GameNodeTypeBaloonNode},
        {makeRef<GPicEffectNode>(CCreationContext()), L"GPicEffectNode", GameNodeTypePicEffectNode},
        {makeRef<GSpiralMovableNode>(CCreationContext()), L"GSpiralMovableNode",
         GameNodeTypeSpiralMovableNode},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.node->getClassName(), stringw(c.name));
        EXPECT_EQ(c.node->getThisClassName(), stringw(c.name));
        EXPECT_EQ(c.node->getTypeId(), c.type);
        EXPECT_TRUE(c.node->isKindOf(c.type));
        EXPECT_TRUE(c.node->isKindOf(NodeTypeBase));
        EXPECT_FALSE(c.node->isKindOf(GameNodeTypeLakeWaveNode));
        EXPECT_EQ(c.node->getUpdatePeriod(), 30u);
        EXPECT_FALSE(c.node->isRunning());
    }
}

TEST_F(EffectNodesTest, LifeFadesInTheLastSecondAndEndsTheNode) {
    const struct {
        s32 lifetime;
        u32 fadeStep;  // the first step with a lowered alpha (0: none)
        u32 fadeAlpha;
        u32 endStep;
    } cases[] = {
        {3000, 67, 252, 100},
        {0, 0, 0, 1},
        {-50, 0, 0, 1},
        {900, 1, 222, 30},  // under a second: fading from the first step
    };
    for (const auto& c : cases) {
        auto balloon = place<GBaloonNode>();
        balloon->LifeTime = c.lifetime;
        balloon->setTintColor(0xFF336699u);
        draw();
        ASSERT_TRUE(balloon->isRunning());
        u32 step = 0;
        while (balloon->getParent() && step < 200) {
            content.step(Step);
            ++step;
            if (step == c.fadeStep) {
                EXPECT_EQ(alphaOf(*balloon), c.fadeAlpha) << c.lifetime;
                EXPECT_EQ(balloon->getTintColor() & 0xFFFFFFu, 0x336699u);  // the colour stays
            }
            if (c.fadeStep > 1 && step == c.fadeStep - 1) EXPECT_EQ(alphaOf(*balloon), 255u);
        }
        EXPECT_EQ(step, c.endStep) << c.lifetime;
        EXPECT_EQ(balloon->getParent(), nullptr);
        content.step(Step);
        EXPECT_FALSE(balloon->isRunning());  // the scheduler let go
    }
}

TEST_F(EffectNodesTest, EqualEndsDrawNothingSoTheNextDrawTakesTheNumber) {
    CRandom& random = CRandom::instance();
    u32 z = 0, w = 0;
    random.getLowGeneratorState(z, w);
    const f32 expected = random.nextFloatRange(3.0f, 9.0f);
    random.setLowGeneratorState(z, w);
    EXPECT_EQ(GEffectNode::drawRange(vector2df(4.0f, 4.0f)), 4.0f);
    EXPECT_EQ(GEffectNode::drawIntRange(vector2df(7.9f, 7.2f)), 7);  // both truncate to 7
    EXPECT_EQ(GEffectNode::drawRange(vector2df(3.0f, 9.0f)), expected);
}

TEST_F(EffectNodesTest, IntegerDrawsOfReversedOrHugeEndsStayInRange) {
    for (const vector2df& range :
         {vector2df(10.0f, 0.0f), vector2df(2.0e9f, -2.0e9f), vector2df(-3.0e9f, 3.0e9f),
          vector2df(std::numeric_limits<f32>::quiet_NaN(), 5.0f)}) {
        for (u32 i = 0; i < 50; ++i) {
            const s32 v = GEffectNode::drawIntRange(range);
            EXPECT_GE(static_cast<f64>(v), -2147483648.0);
            EXPECT_LE(static_cast<f64>(v), 2147483647.0);
        }
    }
    // Ends the wrong way round: the low end plus a raw draw modulo the unsigned distance.
    u32 z = 0, w = 0;
    CRandom::instance().getLowGeneratorState(z, w);
    const u32 raw = CRandom::instance().next();
    CRandom::instance().setLowGeneratorState(z, w);
    const u32 span = static_cast<u32>(-10);
    EXPECT_EQ(static_cast<f64>(GEffectNode::drawIntRange(vector2df(10.0f, 0.0f))),
              std::min(10.0 + static_cast<f64>(raw % span), 2147483647.0));
}

TEST_F(EffectNodesTest, AReversedAccelerationTimeNeverOverflowsTheMark) {
    auto balloon = place<GBaloonNode>();
    balloon->LifeTime = std::numeric_limits<s32>::min() + 5;
    balloon->YAccelTimeRange = vector2df(2.0e9f, -2.0e9f);
    draw();
    EXPECT_LE(balloon->getAccelerationEnd(), 0);
    EXPECT_FALSE(balloon->update(Step));
}

TEST_F(EffectNodesTest, ABalloonWithoutSwayWidthAlternatesBetweenTwoXPlaces) {
    auto balloon = place<GBaloonNode>();
    balloon->LifeTime = 10000;
    balloon->XVelocityRange = vector2df(100.0f, 100.0f);
    balloon->YVelocityRange = vector2df(-50.0f, -50.0f);
    draw();
    const f32 v = balloon->getXVelocity();
    ASSERT_EQ(std::fabs(v), 100.0f);
    std::vector<f32> xs;
    for (u32 i = 0; i < 4; ++i) {
        content.step(Step);
        xs.push_back(balloon->getPosition().X);
    }
    // Turned at every step: start - 3, start, start - 3, ... (or the mirror).
    EXPECT_FLOAT_EQ(xs[0], 100.0f - v * 0.03f);
    EXPECT_FLOAT_EQ(xs[1], 100.0f);
    EXPECT_FLOAT_EQ(xs[2], xs[0]);
    EXPECT_FLOAT_EQ(xs[3], 100.0f);
    EXPECT_FLOAT_EQ(balloon->getPosition().Y, 200.0f - 4 * 1.5f);
    const f32 life = 10000.0f - 4 * 30.0f;
    EXPECT_FLOAT_EQ(balloon->getPosition().Z,
                    (xs[3] + balloon->getPosition().Y) * 0.0001f + life * 0.01f - 50.0f * 0.1f);
}

TEST_F(EffectNodesTest, TheAccelerationActsOnlyForItsTime) {
    const struct {
        vector2df time;
        f32 velocityAfter10Steps;
    } cases[] = {
        {vector2df(0, 0), 0.0f},          // the mark is the whole life: never
        {vector2df(150, 150), 4 * 3.0f},  // while the life left is above 4850: four steps
        {vector2df(99999, 99999), 10 * 3.0f},
    };
    for (const auto& c : cases) {
        auto balloon = place<GBaloonNode>();
        balloon->LifeTime = 5000;
        balloon->YAccelRange = vector2df(100, 100);
        balloon->YAccelTimeRange = c.time;
        draw();
        content.step(Step, 10);
        EXPECT_NEAR(balloon->getYVelocity(), c.velocityAfter10Steps, 1e-4f) << c.time.X;
    }
}

TEST_F(EffectNodesTest, APictureCirclesInWholeDegreesAndGoesBehindInTheFarHalf) {
    auto picture = place<GPicEffectNode>(vector3df(300.0f, 400.0f, 2.0f));
    picture->LifeTime = 5000;
    picture->WidthRange = vector2df(20.0f, 20.0f);
    picture->YVelocityRange = vector2df(-10.0f, -10.0f);
    draw();
    std::vector<s32> angles;
    for (u32 i = 0; i < 34; ++i) {
        content.step(Step);
        angles.push_back(picture->getAngle());
        const s32 a = picture->getAngle();
        const vector3df& p = picture->getPosition();
        EXPECT_FLOAT_EQ(p.X, 300.0f - sineOfDegrees(static_cast<u32>(a)) * 20.0f) << i;
        const f32 plain = p.Y * 0.00001f;
        EXPECT_FLOAT_EQ(p.Z, a >= 91 && a <= 269 ? plain - 0.1f : plain) << a;
    }
    EXPECT_EQ(angles[0], 10);
    EXPECT_EQ(angles[1], 21);
    EXPECT_EQ(angles[2], 32);
    EXPECT_EQ(angles[32], 356);  // phase 990
    EXPECT_EQ(angles[33], 0);    // the step after: back to 0, the surplus dropped
    EXPECT_NEAR(picture->getPosition().Y, 400.0f - 34 * 0.3f, 1e-3f);
}

TEST_F(EffectNodesTest, APictureWithoutAnimTimeRisesStraightAtItsStartDepth) {
    for (s32 animTime : {0, -5}) {
        auto picture = place<GPicEffectNode>(vector3df(300.0f, 400.0f, 2.0f));
        picture->AnimTime = animTime;
        picture->LifeTime = 5000;
        picture->WidthRange = vector2df(20.0f, 20.0f);
        picture->YVelocityRange = vector2df(-10.0f, -10.0f);
        draw();
        content.step(Step, 5);
        EXPECT_EQ(picture->getPosition().X, 300.0f);
        EXPECT_EQ(picture->getPosition().Z, 2.0f);
        EXPECT_NEAR(picture->getPosition().Y, 398.5f, 1e-4f);
    }
}

TEST_F(EffectNodesTest, ASpiralTurnsItsStepsAndHalfACircleASecond) {
    auto spiral = place<GSpiralMovableNode>(vector3df(500.0f, 300.0f, 1.0f));
    spiral->LifeTime = 5000;
    spiral->RRange = vector2df(50.0f, 50.0f);
    spiral->RotVelocityRange = vector2df(180.0f, 180.0f);
    spiral->AngleVelocityRange = vector2df(3.14159265f, 3.14159265f);
    DrawList list;
    scene->render(list);
    // The start moves it onto the spiral: angle 0, 50 to the right of where it was placed.
    EXPECT_EQ(spiral->getCentre(), vector3df(500.0f, 300.0f, 1.0f));
    EXPECT_EQ(spiral->getPosition(), vector3df(550.0f, 300.0f, 1.0f));
    content.step(Step);
    EXPECT_NEAR(spiral->getRotation().Z, 5.4f, 1e-4f);
    content.step(Step, 32);  // 33 steps: 0.99 s
    content.step(Step);      // 1.02 s
    EXPECT_NEAR(spiral->getAngle(), 3.14159265f * 1.02f, 1e-4f);
    EXPECT_NEAR(spiral->getPosition().X, 500.0f + std::cos(3.14159265f * 1.02f) * 50.0f, 1e-3f);
    EXPECT_LT(spiral->getPosition().X, 451.0f);  // on the far side of the centre
}

TEST_F(EffectNodesTest, AShrinkingSpiralPassesItsCentre) {
    auto spiral = place<GSpiralMovableNode>(vector3df(0.0f, 0.0f, 0.0f));
    spiral->LifeTime = 5000;
    spiral->RRange = vector2df(3.0f, 3.0f);
    spiral->RVelocityRange = vector2df(-100.0f, -100.0f);
    draw();
    content.step(Step, 2);
    EXPECT_NEAR(spiral->getDistance(), -3.0f, 1e-4f);
    EXPECT_NEAR(spiral->getPosition().X, -3.0f, 1e-4f);
}

TEST_F(EffectNodesTest, ClonesCopyThePropertiesAndStartOnTheirOwn) {
    auto balloon = place<GBaloonNode>();
    balloon->LifeTime = 4000;
    balloon->YVelocityRange = vector2df(-30.0f, -30.0f);
    draw();
    content.step(Step, 10);
    auto* copy = static_cast<GBaloonNode*>(balloon->clone(scene, nullptr));
    EXPECT_FALSE(copy->isRunning());
    EXPECT_EQ(copy->LifeTime, 4000);
    EXPECT_EQ(copy->YVelocityRange, vector2df(-30.0f, -30.0f));
    EXPECT_EQ(copy->getRemainingLife(), 0);
    draw();
    EXPECT_TRUE(copy->isRunning());
    EXPECT_EQ(copy->getRemainingLife(), 4000);
    EXPECT_EQ(balloon->getRemainingLife(), 3700);
    // Another class copies the node part only.
    auto picture = makeRef<GPicEffectNode>(CCreationContext());
    picture->copyFrom(balloon.get(), nullptr);
    EXPECT_EQ(picture->LifeTime, 0);
}

TEST_F(EffectNodesTest, ANodeRemovedByOtherCodeIsDroppedAtThePassEnd) {
    GPicEffectNode* picture = nullptr;
    {
        auto held = place<GPicEffectNode>();
        held->LifeTime = 100000;
        picture = held.get();
    }
    draw();
    ASSERT_TRUE(picture->isRunning());
    const u32 before = scene->getSceneBinding().scheduler->getTimerCount();
    picture->grab();
    scene->removeChild(picture);
    EXPECT_EQ(picture->getParent(), nullptr);
    picture->drop();  // the scheduler is its only holder now
    content.step(Step);
    EXPECT_EQ(scene->getSceneBinding().scheduler->getTimerCount(), before - 1);
}

TEST_F(EffectNodesTest, TheLifeEndWithoutAParentEndsQuietly) {
    auto balloon = makeRef<GBaloonNode>(CCreationContext());
    balloon->LifeTime = 30;
    EXPECT_FALSE(balloon->update(Step));
    EXPECT_EQ(balloon->getParent(), nullptr);
}

TEST_F(EffectNodesTest, AnInvisibleNodeStillStartsAndOneWithoutASchedulerNeverMoves) {
    auto hidden = place<GBaloonNode>();
    hidden->setVisible(false);
    hidden->LifeTime = 1000;
    draw();
    EXPECT_TRUE(hidden->isRunning());
    auto loose = makeRef<GSpiralMovableNode>(CCreationContext());
    loose->RRange = vector2df(10.0f, 10.0f);
    DrawList list;
    loose->render(list);
    EXPECT_FALSE(loose->isRunning());
    EXPECT_EQ(loose->getPosition(), vector3df(10.0f, 0.0f, 0.0f));
}

TEST_F(EffectNodesTest, PropertiesAreWrittenWhenNotZeroAndReadByType) {
    auto picture = makeRef<GPicEffectNode>(CCreationContext());
    auto defaults = makeRef<CPropertySet>();
    picture->saveProperties(defaults.get());
    for (const char* name :
         {"AnimTime", "WidthRange", "YVelocityRange", "YAccelRange", "YAccelTimeRange", "LifeTime"})
        EXPECT_LT(defaults->getPropertyIndex(name), 0) << name;
    picture->AnimTime = 0;
    picture->WidthRange = vector2df(0.0f, 2.0f);
    picture->LifeTime = 700;
    auto set = makeRef<CPropertySet>();
    picture->saveProperties(set.get());
    auto loaded = makeRef<GPicEffectNode>(CCreationContext());
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->AnimTime, 0);
    EXPECT_EQ(loaded->WidthRange, vector2df(0.0f, 2.0f));
    EXPECT_EQ(loaded->LifeTime, 700);
    // A value of another type sets zero; through the table too.
    auto wrong = makeRef<CPropertySet>();
    wrong->addInt("WidthRange", 3);
    wrong->addVector2d("LifeTime", vector2df(1, 1));
    loaded->loadProperties(wrong.get());
    EXPECT_EQ(loaded->WidthRange, vector2df(0.0f, 0.0f));
    EXPECT_EQ(loaded->LifeTime, 0);
    auto spiral = makeRef<GSpiralMovableNode>(CCreationContext());
    spiral->setPropertyByName("RRange", makePropertyDataInt(4));
    EXPECT_EQ(spiral->RRange, vector2df(0.0f, 0.0f));
    spiral->setPropertyByName("RRange", makeRef<CPropertyDataVector2d>(vector2df(1.0f, 2.0f)));
    EXPECT_EQ(spiral->RRange, vector2df(1.0f, 2.0f));
    EXPECT_EQ(unboxPropertyVector2d(spiral->getPropertyByName("RRange").get()), vector2df(1, 2));
}
