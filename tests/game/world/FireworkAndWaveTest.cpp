// Fireworks and lake waves on a stepped scene scheduler: the rocket's jump, flight and burst,
// the events that remove it; the wave's drift, fade and end, and the star's blinks.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GFireworkNode.h"
#include "game/world/GLakeWaveNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

class FireworkAndWaveTest : public ::testing::Test {
protected:
    FireworkAndWaveTest() {
        CRandom::instance().seed(31);
        scene = content.showScene();
    }

    template <class T>
    CRefPtr<T> place(const vector3df& at = vector3df(400.0f, 500.0f, 0.0f)) {
        auto node = makeRef<T>(CCreationContext(content.manager, ""));
        node->setPosition(at);
        scene->addChild(node.get());
        return node;
    }

    CRefPtr<GLakeWaveNode> placeWave() {
        auto wave = place<GLakeWaveNode>(vector3df(100.0f, 100.0f, 0.0f));
        wave->setBounds(80.0f, 40.0f);
        auto body = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        body->setNameId(CNameId("Wave").getId());
        auto star = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        star->setNameId(CNameId("Star").getId());
        wave->addChild(body.get());
        wave->addChild(star.get());
        wave->onLoaded();
        return wave;
    }

    void draw() {
        DrawList list;
        scene->render(list);
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

}  // namespace

TEST_F(FireworkAndWaveTest, Classes) {
    GFireworkNode rocket{CCreationContext()};
    GLakeWaveNode wave{CCreationContext()};
    EXPECT_EQ(rocket.getClassName(), stringw(L"GFireworkNode"));
    EXPECT_EQ(rocket.getTypeId(), GameNodeTypeFireworkNode);
    EXPECT_TRUE(rocket.isKindOf(NodeTypeBase));
    EXPECT_FALSE(rocket.isKindOf(GameNodeTypeLakeWaveNode));
    EXPECT_EQ(rocket.getUpdatePeriod(), 30u);
    EXPECT_EQ(wave.getClassName(), stringw(L"GLakeWaveNode"));
    EXPECT_EQ(wave.getThisClassName(), stringw(L"GLakeWaveNode"));
    EXPECT_EQ(wave.getTypeId(), GameNodeTypeLakeWaveNode);
    EXPECT_EQ(wave.getUpdatePeriod(), 60u);
    EXPECT_EQ(wave.LifeTime, -1);
    EXPECT_EQ(wave.StarBlinkRange, vector2df(5000, 10000));
}

TEST_F(FireworkAndWaveTest, ARocketJumpsComesToTheFrontAndFliesThreeStepsOf90Ms) {
    auto rocket = place<GFireworkNode>();
    rocket->MoveTimeRange = vector2df(90.0f, 90.0f);
    rocket->VelocityYRange = vector2df(-100.0f, -100.0f);
    draw();
    ASSERT_TRUE(rocket->isRunning());
    const vector3df start = rocket->getPosition();
    EXPECT_GE(start.X, 390.0f);
    EXPECT_LE(start.X, 410.0f);
    EXPECT_GE(start.Y, 495.0f);
    EXPECT_LE(start.Y, 505.0f);
    EXPECT_EQ(start.Z, 2000.0f);
    EXPECT_EQ(rocket->getRemainingMoveTime(), 90);
    content.step(30, 3);
    EXPECT_EQ(rocket->getRemainingMoveTime(), 0);
    EXPECT_NEAR(rocket->getPosition().Y, start.Y - 9.0f, 1e-3f);
    EXPECT_NE(rocket->getParent(), nullptr);
    // The fourth step bursts without moving; without children "Boost" ends at once and the
    // rocket leaves.
    content.step(30);
    EXPECT_NEAR(rocket->getPosition().Y, start.Y - 9.0f, 1e-3f);
    EXPECT_EQ(rocket->getParent(), nullptr);
    EXPECT_LT(rocket->getRemainingMoveTime(), 0);
    draw();
    EXPECT_FALSE(rocket->isRunning());  // never starts again
}

TEST_F(FireworkAndWaveTest, ARocketUnderACounterAccelerationTurnsAfterOneAndAHalfSeconds) {
    auto rocket = place<GFireworkNode>();
    rocket->MoveTimeRange = vector2df(5000.0f, 5000.0f);
    rocket->VelocityYRange = vector2df(-600.0f, -600.0f);
    rocket->Acceleration = vector2df(0.0f, 400.0f);
    draw();
    content.step(30);
    EXPECT_NEAR(rocket->getVelocity().Y, -588.0f, 1e-3f);
    content.step(30, 49);
    EXPECT_NEAR(rocket->getVelocity().Y, 0.0f, 1e-2f);
    f32 top = rocket->getPosition().Y;
    content.step(30);
    EXPECT_GT(rocket->getPosition().Y, top);  // on its way down
}

TEST_F(FireworkAndWaveTest, OnlyTheEndOfBoostRemovesTheRocket) {
    auto rocket = place<GFireworkNode>();
    CRefPtr<CEventNodeStateFinished> up =
        makeEvent<CEventNodeStateFinished>(rocket.get(), getFireworkUpId());
    EXPECT_FALSE(rocket->onStateFinished(up.get()));
    EXPECT_EQ(rocket->getParent(), scene);
    CRefPtr<CEventNodeStateFinished> boost =
        makeEvent<CEventNodeStateFinished>(rocket.get(), getFireworkBoostId());
    EXPECT_TRUE(rocket->onStateFinished(boost.get()));
    EXPECT_EQ(rocket->getParent(), nullptr);
    // A rocket with no parent any more ends quietly.
    EXPECT_TRUE(rocket->onStateFinished(boost.get()));
}

TEST_F(FireworkAndWaveTest, ARocketWithoutFlightTimeBurstsAtItsFirstStep) {
    auto rocket = place<GFireworkNode>();
    auto spark = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    rocket->addChild(spark.get());
    draw();
    const vector3df start = rocket->getPosition();
    content.step(30);
    EXPECT_FALSE(rocket->isRunning());
    EXPECT_EQ(rocket->getPosition(), start);
}

TEST_F(FireworkAndWaveTest, AWaveFadesFromItsTwentySixthStepAndEndsAtItsFiftieth) {
    auto wave = placeWave();
    wave->LifeTime = 3000;
    wave->setTintColor(0xFF204060u);
    draw();
    ASSERT_TRUE(wave->isRunning());
    content.step(60, 25);
    EXPECT_EQ(wave->getTintColor(), 0xFF204060u);
    content.step(60);
    EXPECT_EQ(wave->getTintColor(), 0xF4FFFFFFu);  // alpha 244, white
    content.step(60, 23);
    EXPECT_NE(wave->getParent(), nullptr);
    content.step(60);
    EXPECT_EQ(wave->getParent(), nullptr);
    // Held elsewhere, it no longer steps and never removes itself again.
    EXPECT_FALSE(wave->isRunning());
    EXPECT_FALSE(wave->update(60));
}

TEST_F(FireworkAndWaveTest, AWaveWithoutALifeDriftsForEver) {
    for (s32 lifetime : {-1, 0, -700}) {
        auto wave = placeWave();
        wave->LifeTime = lifetime;
        wave->Velocity = vector3df(-20.0f, 0.0f, 0.0f);
        draw();
        content.step(60, 200);
        EXPECT_NE(wave->getParent(), nullptr);
        EXPECT_EQ(wave->getTintColor(), 0xFFFFFFFFu);
        EXPECT_NEAR(wave->getPosition().X, 100.0f - 200 * 1.2f, 1e-2f);
        scene->removeChild(wave.get());
    }
}

TEST_F(FireworkAndWaveTest, TheStarHidesUntilItsFirstBlinkAndBlinksInsideTheBounds) {
    auto wave = placeWave();
    wave->StarBlinkRange = vector2df(1000.0f, 2000.0f);
    draw();
    BaseNode* star = wave->getStar();
    ASSERT_NE(star, nullptr);
    EXPECT_FALSE(star->isVisible());
    const u32 first = wave->getBlinkTimer();
    EXPECT_GE(first, 500u);
    EXPECT_LE(first, 2000u);
    u32 steps = 0;
    while (!star->isVisible() && steps < 100) {
        content.step(60);
        ++steps;
    }
    EXPECT_EQ(steps, (first + 59) / 60);
    const vector3df& at = star->getPosition();
    EXPECT_GE(at.X, 0.0f);
    EXPECT_LE(at.X, 80.0f);
    EXPECT_GE(at.Y, 0.0f);
    EXPECT_LE(at.Y, 40.0f);
    EXPECT_EQ(at.Z, 1.0f);
    // The next period is added to what was left of the last (under one step).
    EXPECT_GE(wave->getBlinkTimer(), 1000u);
    EXPECT_LT(wave->getBlinkTimer(), 2000u + 60u);
}

TEST_F(FireworkAndWaveTest, AWaveWithoutChildrenStillRuns) {
    auto wave = place<GLakeWaveNode>();
    wave->onLoaded();
    draw();
    EXPECT_TRUE(wave->isRunning());
    content.step(60, 3);
    EXPECT_EQ(wave->getWave(), nullptr);
}

TEST_F(FireworkAndWaveTest, PropertiesAndClones) {
    auto wave = placeWave();
    auto defaults = makeRef<CPropertySet>();
    wave->saveProperties(defaults.get());
    for (const char* name : {"StarBlinkRange", "Velocity", "LifeTime"})
        EXPECT_LT(defaults->getPropertyIndex(name), 0) << name;
    wave->Velocity = vector3df(1, 2, 3);
    wave->LifeTime = 0;
    wave->StarBlinkRange = vector2df(1, 2);
    auto set = makeRef<CPropertySet>();
    wave->saveProperties(set.get());
    auto loaded = makeRef<GLakeWaveNode>(CCreationContext());
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->Velocity, vector3df(1, 2, 3));
    EXPECT_EQ(loaded->LifeTime, 0);
    EXPECT_EQ(loaded->StarBlinkRange, vector2df(1, 2));
    // A clone finds the copies of the children.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(wave->clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GLakeWaveNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    ASSERT_NE(clone->getWave(), nullptr);
    EXPECT_NE(clone->getWave(), wave->getWave());
    EXPECT_EQ(clone->getWave()->getParent(), clone);
    EXPECT_EQ(clone->Velocity, vector3df(1, 2, 3));

    auto rocket = makeRef<GFireworkNode>(CCreationContext());
    rocket->Acceleration = vector2df(0, 5);
    auto rocketSet = makeRef<CPropertySet>();
    rocket->saveProperties(rocketSet.get());
    EXPECT_GE(rocketSet->getPropertyIndex("Acceleration"), 0);
    EXPECT_LT(rocketSet->getPropertyIndex("MoveTimeRange"), 0);
    auto other = makeRef<GFireworkNode>(CCreationContext());
    other->loadProperties(rocketSet.get());
    EXPECT_EQ(other->Acceleration, vector2df(0, 5));
}
