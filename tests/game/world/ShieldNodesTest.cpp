// Shield sparks and stars on a stepped scene scheduler: the spark's start frame, eased glide,
// wait and fade; the star's flight, timed acceleration phases and spin; their properties.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GShieldEffectNode.h"
#include "game/world/GShieldStarNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

class ShieldNodesTest : public ::testing::Test {
protected:
    ShieldNodesTest() {
        CRandom::instance().seed(11);
        scene = content.showScene();
    }

    template <class T>
    CRefPtr<T> place() {
        auto node = makeRef<T>(CCreationContext(content.manager, ""));
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

}  // namespace

TEST_F(ShieldNodesTest, Classes) {
    GShieldEffectNode spark{CCreationContext()};
    GShieldStarNode star{CCreationContext()};
    EXPECT_EQ(spark.getClassName(), stringw(L"GShieldEffectNode"));
    EXPECT_EQ(spark.getTypeId(), GameNodeTypeShieldEffectNode);
    EXPECT_EQ(star.getThisClassName(), stringw(L"GShieldStarNode"));
    EXPECT_EQ(star.getTypeId(), GameNodeTypeShieldStarNode);
    EXPECT_FALSE(star.isKindOf(GameNodeTypeShieldEffectNode));
    EXPECT_TRUE(star.isKindOf(NodeTypeBase));
    EXPECT_EQ(spark.VelocityPower, 1.0f);
}

TEST_F(ShieldNodesTest, SparksStartInTheFrameBetweenTheRectangles) {
    for (u32 i = 0; i < 40; ++i) {
        auto spark = place<GShieldEffectNode>();
        spark->Area1Rect1Size = vector2df(100.0f, 60.0f);
        spark->Area1Rect2Size = vector2df(140.0f, 100.0f);
        spark->Area2RectSize = vector2df(20.0f, 10.0f);
        spark->MovingTime = 300;
        draw();
        const vector3df& s = spark->getStartPoint();
        EXPECT_EQ(spark->getPosition(), s);
        EXPECT_EQ(s.Z, 0.0f);
        const bool inOuter = std::fabs(s.X) <= 70.0f && std::fabs(s.Y) <= 50.0f;
        const bool inInner = std::fabs(s.X) < 50.0f && std::fabs(s.Y) < 30.0f;
        EXPECT_TRUE(inOuter && !inInner) << s.X << ", " << s.Y;
        const vector3df& t = spark->getTargetPoint();
        EXPECT_LE(std::fabs(t.X), 10.0f);
        EXPECT_LE(std::fabs(t.Y), 5.0f);
        EXPECT_FLOAT_EQ(t.Z, t.X + 100.0f + t.Y);
        EXPECT_EQ(spark->getStage(), GShieldEffectNode::StageGliding);
        scene->removeChild(spark.get());
    }
}

TEST_F(ShieldNodesTest, TheGlideIsEasedByItsPower) {
    const struct {
        f32 power;
        f32 share;  // of the way at half the time
    } cases[] = {{1.0f, 0.5f}, {2.0f, 0.25f}, {0.5f, 0.70710678f}};
    for (const auto& c : cases) {
        auto spark = place<GShieldEffectNode>();
        spark->Area1Rect1Size = vector2df(100.0f, 60.0f);
        spark->Area1Rect2Size = vector2df(140.0f, 100.0f);
        spark->Area2RectSize = vector2df(20.0f, 10.0f);
        spark->VelocityPower = c.power;
        spark->MovingTime = 300;
        draw();
        content.step(30, 5);
        const vector3df& s = spark->getStartPoint();
        const vector3df& t = spark->getTargetPoint();
        const vector3df& p = spark->getPosition();
        EXPECT_NEAR(p.X, s.X + c.share * (t.X - s.X), 1e-3f) << c.power;
        EXPECT_NEAR(p.Y, s.Y + c.share * (t.Y - s.Y), 1e-3f) << c.power;
        EXPECT_FLOAT_EQ(p.Z, p.X + 100.0f + p.Y);
        scene->removeChild(spark.get());
    }
}

TEST_F(ShieldNodesTest, ASparkWaitsThenFadesInSteps) {
    auto spark = place<GShieldEffectNode>();
    spark->MovingTime = 0;
    spark->DisappearWaitTime = 60;
    spark->DisappearTime = 300;
    spark->setTintColor(0xFF123456u);
    draw();
    content.step(30);
    EXPECT_EQ(spark->getPosition(), spark->getTargetPoint());
    EXPECT_EQ(spark->getStage(), GShieldEffectNode::StageWaiting);
    content.step(30, 2);
    EXPECT_EQ(spark->getStage(), GShieldEffectNode::StageFading);
    std::vector<u32> alphas;
    while (spark->getParent() && alphas.size() < 20) {
        content.step(30);
        alphas.push_back(spark->getTintColor() >> 24);
    }
    const std::vector<u32> expected = {229, 204, 178, 153, 127, 102, 76, 51, 25, 25};
    EXPECT_EQ(alphas, expected);  // the last entry: the step that removes it changes nothing
    EXPECT_EQ(spark->getTintColor() & 0xFFFFFFu, 0x123456u);
    EXPECT_EQ(spark->getParent(), nullptr);
    EXPECT_EQ(spark->getStage(), GShieldEffectNode::StageIdle);
}

TEST_F(ShieldNodesTest, ASparkWithNoTimesGoesInThreeSteps) {
    auto spark = place<GShieldEffectNode>();
    draw();
    content.step(30, 2);
    EXPECT_NE(spark->getParent(), nullptr);
    content.step(30);
    EXPECT_EQ(spark->getParent(), nullptr);
}

TEST_F(ShieldNodesTest, AStarAcceleratesOnlyInsideItsPhase) {
    auto star = place<GShieldStarNode>();
    star->LifeTime = 2000;
    star->Accel1StartTimeRange = vector2df(200.0f, 200.0f);
    star->Accel1EndTimeRange = vector2df(380.0f, 380.0f);
    star->Accel1Range = vector2df(1000.0f, 1000.0f);
    star->VelocityAngleRange = vector2df(90.0f, 90.0f);
    star->AngleRange = vector2df(10.0f, 10.0f);
    star->AngularVelocityRange = vector2df(90.0f, 90.0f);
    star->setRotation(vector3df(5.0f, 6.0f, 0.0f));
    draw();
    std::vector<u32> accelerating;
    f32 speed = star->getSpeed();
    for (u32 step = 1; step <= 20; ++step) {
        content.step(30);
        if (star->getSpeed() != speed) accelerating.push_back(step * 30);
        speed = star->getSpeed();
    }
    EXPECT_EQ(accelerating, (std::vector<u32>{210, 240, 270, 300, 330, 360}));
    EXPECT_NEAR(star->getSpeed(), 6 * 30.0f, 1e-3f);
    // Down the screen, spinning 2.7 degrees a step from its drawn angle.
    EXPECT_NEAR(star->getDirection().X, 0.0f, 1e-6f);
    EXPECT_NEAR(star->getPosition().X, 0.0f, 1e-3f);
    EXPECT_GT(star->getPosition().Y, 0.0f);
    EXPECT_NEAR(star->getRotation().Z, 10.0f + 20 * 2.7f, 1e-3f);
    EXPECT_EQ(star->getRotation().X, 0.0f);
    EXPECT_EQ(star->getRotation().Y, 0.0f);
}

TEST_F(ShieldNodesTest, PropertiesInTheirOrderAndClones) {
    GShieldStarNode star{CCreationContext()};
    star.VelocityAngleRange = vector2df(1, 2);
    star.VelocityRange = vector2df(3, 4);
    star.LifeTime = 500;
    auto set = makeRef<CPropertySet>();
    star.saveProperties(set.get());
    EXPECT_LT(set->getPropertyIndex("VelocityRange"), set->getPropertyIndex("VelocityAngleRange"));
    EXPECT_LT(set->getPropertyIndex("VelocityAngleRange"), set->getPropertyIndex("LifeTime"));
    GShieldStarNode loaded{CCreationContext()};
    loaded.loadProperties(set.get());
    EXPECT_EQ(loaded.VelocityAngleRange, vector2df(1, 2));
    EXPECT_EQ(loaded.VelocityRange, vector2df(3, 4));
    EXPECT_EQ(loaded.LifeTime, 500);

    GShieldEffectNode spark{CCreationContext()};
    auto defaults = makeRef<CPropertySet>();
    spark.saveProperties(defaults.get());
    EXPECT_GE(defaults->getPropertyIndex("VelocityPower"), 0);  // 1 is not 0
    EXPECT_LT(defaults->getPropertyIndex("MovingTime"), 0);
    spark.MovingTime = 700;
    spark.Area2RectSize = vector2df(5, 6);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(spark.clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GShieldEffectNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->MovingTime, 700);
    EXPECT_EQ(clone->Area2RectSize, vector2df(5, 6));
    EXPECT_EQ(clone->getStage(), GShieldEffectNode::StageIdle);
}
