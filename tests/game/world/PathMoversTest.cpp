// The level world's movers: cars that leave at their path's end, birds crossing between two
// edges and flapping, walkers that stroll and stand on their level's paths, and text trails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/animation/Animator.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GNeutralCarTraffic.h"
#include "game/world/GPathMovers.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/nodes/NodeContent.h"
#include "tests/scene/NodeTestSupport.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

const char* const kDirections[] = {"Down",   "Up",       "Left",    "Right",
                                   "LeftUp", "LeftDown", "RightUp", "RightDown"};

std::string runningState(const BaseNode* node) {
    const Animator* running = node ? node->getRunningAnimator() : nullptr;
    return running ? CNameTable::instance().getName(running->getState()).c_str() : std::string();
}

class PathMoversTest : public ::testing::Test {
protected:
    PathMoversTest() {
        CRandom::instance().seed(5);
        scene = content.showScene();
    }

    template <class T>
    CRefPtr<T> make(BaseNode* parent, bool withBody = false) {
        auto node = makeRef<T>(CCreationContext(content.manager, ""));
        if (withBody) {
            auto body = makeRef<BaseNode>(CCreationContext(content.manager, ""));
            body->setNameId(CNameId("Body").getId());
            for (const char* d : kDirections) {
                body->addState(animatorWith(d).get());
                body->addState(animatorWith((std::string(d) + "_Flap").c_str()).get());
            }
            node->addChild(body.get());
            node->onLoaded();
        }
        if (parent) parent->addChild(node.get());
        return node;
    }

    void draw() {
        DrawList list;
        scene->render(list);
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

GPathMovableNode::PathPoints line(f32 x0, f32 y0, f32 x1, f32 y1) {
    return {vector2df(x0, y0), vector2df(x1, y1)};
}

}  // namespace

TEST_F(PathMoversTest, ClassesAndKinds) {
    struct Case {
        CRefPtr<GPathMovableNode> node;
        const wchar_t* name;
        s32 type;
    };
    const CCreationContext c(content.manager, "");
    const std::vector<Case> cases = {
        {makeRef<GBirdNode>(c), L"GBirdNode", GameNodeTypeBirdNode},
        {makeRef<GCarNode>(c), L"GCarNode", GameNodeTypeCarNode},
        {makeRef<GPedestrianNode>(c), L"GPedestrianNode", GameNodeTypePedestrianNode},
        {makeRef<GTextTrailNode>(c), L"GTextTrailNode", GameNodeTypeTextTrailNode},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.node->getClassName(), stringw(k.name));
        EXPECT_EQ(k.node->getThisClassName(), stringw(k.name));
        EXPECT_EQ(k.node->getTypeId(), k.type);
        EXPECT_TRUE(k.node->isKindOf(k.type));
        EXPECT_TRUE(k.node->isKindOf(GameNodeTypePathMovableNode));
        EXPECT_TRUE(k.node->isKindOf(NodeTypeBase));
        EXPECT_FALSE(k.node->isKindOf(NodeTypeControl));
        CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(k.node->clone(nullptr, nullptr));
        EXPECT_EQ(copy->getTypeId(), k.type);
    }
}

TEST_F(PathMoversTest, ACarLeavesInTheStepItsPathEnds) {
    auto car = make<GCarNode>(scene);
    car->start(line(0, 0, 10, 0), -1, false, false);
    draw();
    ASSERT_TRUE(car->isRunning());
    content.step(10, 9);  // 90 ms at 100 units per second: 9 units
    EXPECT_EQ(car->getParent(), scene);
    EXPECT_NEAR(car->getPosition().X, 9.0f, 1e-3f);
    content.step(10);
    EXPECT_EQ(car->getParent(), nullptr);
    EXPECT_TRUE(car->hasLeft());
    EXPECT_FALSE(car->isRunning());
}

TEST_F(PathMoversTest, ACarWithoutRemoveAtEndStaysOnItsLastPoint) {
    auto car = make<GCarNode>(scene);
    car->RemoveAtEnd = false;
    car->start(line(0, 0, 10, 0), -1, false, false);
    draw();
    content.step(10, 50);
    EXPECT_EQ(car->getParent(), scene);
    EXPECT_EQ(car->getPosition(), vector3df(10, 0, 0));
    EXPECT_TRUE(car->isRunning());
    // Never started: gone at its first step unless the flag is cleared.
    auto idle = make<GCarNode>(scene);
    auto kept = make<GCarNode>(scene);
    kept->RemoveAtEnd = false;
    draw();
    content.step(10);
    EXPECT_EQ(idle->getParent(), nullptr);
    EXPECT_EQ(kept->getParent(), scene);
}

TEST_F(PathMoversTest, ADestroyedCarLeavesItsTraffic) {
    auto traffic = makeRef<GNeutralCarTraffic>(nullptr, scene);
    GCarNode* raw = nullptr;
    {
        auto car = make<GCarNode>(scene);
        car->setTrafficController(traffic.get(), false);
        car->start(line(0, 0, 5, 0), -1, false, false);
        raw = car.get();
    }
    draw();
    ASSERT_EQ(traffic->getCars().size(), 1u);
    EXPECT_EQ(traffic->getCars()[0].car, raw);
    content.step(10, 10);
    // Off the scene and let go by the scheduler: destroyed, and out of the list.
    EXPECT_TRUE(traffic->getCars().empty());
    EXPECT_EQ(scene->getChildCount(), 0u);
}

TEST_F(PathMoversTest, ABirdCrossesBetweenTwoDifferentEdges) {
    u32 seen[4][4] = {};
    for (u32 i = 0; i < 300; ++i) {
        auto bird = make<GBirdNode>(scene);
        draw();
        ASSERT_TRUE(bird->isRunning());
        const auto& points = bird->getStoredPoints();
        ASSERT_EQ(points.size(), 2u);
        // Stored reversed: the walk goes from the last to the first.
        const s32 from = GBirdNode::edgeOf(points[1]);
        const s32 to = GBirdNode::edgeOf(points[0]);
        ASSERT_NE(from, -1);
        ASSERT_NE(to, -1);
        EXPECT_NE(from, to);
        ++seen[from][to];
        for (const vector2df& p : points) {
            EXPECT_GE(p.X, GBirdNode::LeftEdge);
            EXPECT_LE(p.X, GBirdNode::RightEdge);
            EXPECT_GE(p.Y, 0.0f);
            EXPECT_LE(p.Y, GBirdNode::BottomEdge);
        }
        EXPECT_GE(bird->Velocity, 25.0f);
        EXPECT_LE(bird->Velocity, 35.0f);
        scene->removeChild(bird.get());
    }
    // Whatever the seed, the two edges differ.
    for (u32 seed = 1; seed <= 300; ++seed) {
        CRandom::instance().seed(seed * 7919u);
        auto bird = make<GBirdNode>(scene);
        draw();
        const auto& points = bird->getStoredPoints();
        ASSERT_EQ(points.size(), 2u);
        EXPECT_NE(GBirdNode::edgeOf(points[0]), GBirdNode::edgeOf(points[1])) << seed;
        scene->removeChild(bird.get());
    }
    // Along one stream of draws every pair of different edges comes up.
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b)
            if (a != b) EXPECT_GT(seen[a][b], 0u) << a << " " << b;
}

TEST_F(PathMoversTest, ABirdFlapsAtOnceThenEveryFourToSixSeconds) {
    auto bird = make<GBirdNode>(scene, true);
    ASSERT_NE(bird->getBody(), nullptr);
    draw();
    content.step(30);
    const std::string direction = CNameTable::instance().getName(bird->getDirectionState()).c_str();
    EXPECT_EQ(runningState(bird->getBody()), direction + "_Flap");
    EXPECT_GE(bird->getFlapCountdown(), 4000u);
    EXPECT_LE(bird->getFlapCountdown(), 6000u);
    // A countdown of 20 with a 30 ms step flaps in that step and goes on from 20.
    bird->getBody()->stopAllStates(false);
    bird->setFlapCountdown(20);
    content.step(30);
    EXPECT_GE(bird->getFlapCountdown(), 4020u);
    EXPECT_LE(bird->getFlapCountdown(), 6020u);
    // Above the step it only counts down.
    bird->setFlapCountdown(31);
    content.step(30);
    EXPECT_EQ(bird->getFlapCountdown(), 1u);
}

TEST_F(PathMoversTest, ABirdLeavesAtTheFarEdge) {
    auto bird = make<GBirdNode>(scene, true);
    draw();
    bird->Velocity = 100000.0f;
    content.step(30);
    EXPECT_EQ(bird->getParent(), nullptr);
}

namespace {

// A level scene holding pedestrian paths, with a layer and a spawner under it: a walker placed
// in the spawner has the level as its third ancestor.
struct WalkerLevel {
    WalkerLevel(CContentManager* manager, BaseNode* scene, const std::string& pedestrianPaths) {
        level = makeRef<GGameLevelScene>(CCreationContext(manager, ""));
        paths = makeRef<GLevelPaths>();
        CRefPtr<CXmlReader> reader = readerOf("<LevelPaths><PedestrianPaths>" + pedestrianPaths +
                                              "</PedestrianPaths></LevelPaths>");
        EXPECT_TRUE(paths->read(reader.get()));
        level->setLevelPaths(paths.get());
        layer = makeRef<BaseNode>(CCreationContext(manager, ""));
        spawner = makeRef<BaseNode>(CCreationContext(manager, ""));
        level->addChild(layer.get());
        layer->addChild(spawner.get());
        scene->addChild(level.get());
    }
    CRefPtr<GGameLevelScene> level;
    CRefPtr<GLevelPaths> paths;
    CRefPtr<BaseNode> layer;
    CRefPtr<BaseNode> spawner;
};

}  // namespace

TEST_F(PathMoversTest, AWalkerWithoutALevelThreeUpStaysIdle) {
    WalkerLevel world(content.manager, scene, "<Path><p p=\"0;0\"/><p p=\"100;0\"/></Path>");
    // Two levels up instead of three.
    auto walker = make<GPedestrianNode>(world.layer.get());
    draw();
    EXPECT_TRUE(walker->isRunning());
    EXPECT_EQ(walker->getPhase(), GPedestrianNode::PhaseIdle);
    content.step(30, 20);
    EXPECT_EQ(walker->getPosition(), vector3df(0, 0, 0));
    EXPECT_EQ(walker->getParent(), world.layer.get());
}

TEST_F(PathMoversTest, WalkersTakeTwoWayPathsBothWaysAndOneWayPathsForwards) {
    for (bool twoWay : {true, false}) {
        const std::string path = std::string("<Path") + (twoWay ? " b=\"1\"" : "") +
                                 "><p p=\"0;0\"/><p p=\"100;0\"/></Path>";
        WalkerLevel world(content.manager, scene, path);
        u32 backwards = 0;
        for (int i = 0; i < 200; ++i) {
            auto walker = make<GPedestrianNode>(world.spawner.get());
            draw();
            ASSERT_EQ(walker->getPhase(), GPedestrianNode::PhaseWalking);
            EXPECT_GE(walker->Velocity, 10.0f);
            EXPECT_LE(walker->Velocity, 20.0f);
            EXPECT_GE(walker->getPhaseCountdown(), 10000);
            EXPECT_LE(walker->getPhaseCountdown(), 30000);
            if (walker->getPosition().X == 100.0f)
                ++backwards;
            else
                EXPECT_EQ(walker->getPosition().X, 0.0f);
            world.spawner->removeChild(walker.get());
        }
        if (twoWay) {
            EXPECT_GT(backwards, 70u);
            EXPECT_LT(backwards, 130u);
        } else {
            EXPECT_EQ(backwards, 0u);
        }
        scene->removeChild(world.level.get());
    }
}

TEST_F(PathMoversTest, AWalkerStandsMidSegmentAndResumesInItsDirection) {
    WalkerLevel world(content.manager, scene, "<Path><p p=\"0;0\"/><p p=\"1000;0\"/></Path>");
    auto walker = make<GPedestrianNode>(world.spawner.get(), true);
    draw();
    walker->Velocity = 100.0f;
    walker->setPhaseCountdown(45);
    content.step(30);  // 15 left: it walks 3 units
    EXPECT_NEAR(walker->getPosition().X, 3.0f, 1e-3f);
    content.step(30);  // run out: it stands where it is
    EXPECT_EQ(walker->getPhase(), GPedestrianNode::PhaseStanding);
    EXPECT_NEAR(walker->getPosition().X, 3.0f, 1e-3f);
    EXPECT_GE(walker->getPhaseCountdown(), 4000);
    EXPECT_LE(walker->getPhaseCountdown(), 6000);
    // Standing: it looks round (the body turns, its states stopped) and does not move.
    content.step(30);
    EXPECT_GE(walker->getLookCountdown(), 1000);
    EXPECT_LE(walker->getLookCountdown(), 3000);
    EXPECT_NE(runningState(walker->getBody()), "");
    walker->setPhaseCountdown(30);
    content.step(30);
    EXPECT_EQ(walker->getPhase(), GPedestrianNode::PhaseWalking);
    EXPECT_NEAR(walker->getPosition().X, 3.0f, 1e-3f);
    EXPECT_EQ(walker->getDirectionState(), getRightId());
    EXPECT_EQ(runningState(walker->getBody()), "Right");
    content.step(30);
    EXPECT_NEAR(walker->getPosition().X, 6.0f, 1e-3f);
}

TEST_F(PathMoversTest, AWalkerLeavesAtItsPathsEnd) {
    WalkerLevel world(content.manager, scene, "<Path><p p=\"0;0\"/><p p=\"3;0\"/></Path>");
    auto walker = make<GPedestrianNode>(world.spawner.get(), true);
    draw();
    content.step(30, 20);
    EXPECT_EQ(walker->getParent(), nullptr);
}

TEST_F(PathMoversTest, ACopiedWalkerKeepsItsTimeRanges) {
    auto walker = make<GPedestrianNode>(nullptr);
    walker->WalkTime = vector2df(1, 2);
    walker->StandTime = vector2df(3, 4);
    walker->LookTime = vector2df(5, 6);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(walker->clone(nullptr, nullptr));
    auto* other = static_cast<GPedestrianNode*>(copy.get());
    EXPECT_EQ(other->WalkTime, vector2df(1, 2));
    EXPECT_EQ(other->StandTime, vector2df(3, 4));
    EXPECT_EQ(other->LookTime, vector2df(5, 6));
}

TEST_F(PathMoversTest, ATextTrailGlidesAboveAndIsGone200StepsAfterItsEnd) {
    auto trail = make<GTextTrailNode>(scene);
    auto text = makeRef<TextNode>(CCreationContext(content.manager, ""));
    text->setNameId(CNameId("Text").getId());
    trail->addChild(text.get());
    trail->setText(L"+500");
    EXPECT_EQ(text->getText(), stringw(L"+500"));
    trail->start(line(0, 50, 0, 0), -1, false, false);
    draw();
    content.step(10);
    EXPECT_EQ(trail->getPosition().Z, GTextTrailNode::TrailDepth);
    EXPECT_EQ(trail->getDirectionState(), -1);  // a trail never turns
    content.step(10, 49);
    EXPECT_EQ(trail->getEndCountdown(), GTextTrailNode::DyingMs);
    EXPECT_EQ(trail->getPosition(), vector3df(0, 0, GTextTrailNode::TrailDepth));
    content.step(10, 199);
    EXPECT_EQ(trail->getParent(), scene);
    content.step(10);
    EXPECT_EQ(trail->getParent(), nullptr);
}

TEST_F(PathMoversTest, SetTextNeedsATextChild) {
    auto trail = make<GTextTrailNode>(scene);
    auto notText = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    notText->setNameId(CNameId("Text").getId());
    trail->addChild(notText.get());
    trail->setText(L"ignored");  // nothing to set, nothing breaks
    EXPECT_EQ(trail->getChildCount(), 1u);
}
