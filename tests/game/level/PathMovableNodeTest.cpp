// The path-movable node: walks along paths, direction states, the end report, loops, and the
// sideways randomisation of level path points.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRandom.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;
using namespace brasquel;

namespace {

s32 idOf(const char* name) { return CNameId(name).getId(); }

// A parent that records the end reports of its children.
class ReportingParent : public BaseNode {
public:
    ReportingParent() : BaseNode(CCreationContext()) {}
    bool onChildStateFinished(CEvent* event) override {
        auto* finished = static_cast<CEventNodeChildStateFinished*>(event);
        reports.push_back({finished->getNode(), finished->getStateId()});
        return BaseNode::onChildStateFinished(event);
    }
    struct Report {
        BaseNode* node;
        s32 state;
    };
    std::vector<Report> reports;
};

// A mover that records the states it enters and the segment vectors it is told about.
class RecordingMover : public GPathMovableNode {
public:
    explicit RecordingMover(BaseNode* parent) : GPathMovableNode(CCreationContext(), parent) {}
    void setState(s32 state, const IStateResolver* resolver) override {
        states.push_back(state);
        GPathMovableNode::setState(state, resolver);
    }
    void onMoveDirectionChanged(const vector2df& direction) override {
        directions.push_back(direction);
        GPathMovableNode::onMoveDirectionChanged(direction);
    }
    std::vector<s32> states;
    std::vector<vector2df> directions;
};

struct Walk {
    CRefPtr<ReportingParent> parent = makeRef<ReportingParent>();
    CRefPtr<RecordingMover> mover =
        CRefPtr<RecordingMover>::fromRaw(new RecordingMover(parent.get()));
};

#define EXPECT_AT(node, x, y)                             \
    do {                                                  \
        EXPECT_NEAR((node)->getPosition().X, (x), 1e-3f); \
        EXPECT_NEAR((node)->getPosition().Y, (y), 1e-3f); \
        EXPECT_NEAR((node)->getPosition().Z, (y), 1e-3f); \
    } while (0)

std::vector<vector2df> points(std::initializer_list<vector2df> list) {
    return std::vector<vector2df>(list);
}

}  // namespace

TEST(PathMovableNode, ClassIdentity) {
    GPathMovableNode node{CCreationContext()};
    EXPECT_EQ(node.getClassName(), stringw(L"GPathMovableNode"));
    EXPECT_EQ(node.getThisClassName(), stringw(L"GPathMovableNode"));
    EXPECT_EQ(node.getTypeId(), GameNodeTypePathMovableNode);
    EXPECT_TRUE(node.isKindOf(GameNodeTypePathMovableNode));
    EXPECT_TRUE(node.isKindOf(NodeTypeBase));
    EXPECT_FALSE(node.isKindOf(NodeTypeControl));
    EXPECT_FLOAT_EQ(node.Velocity, 100.0f);
    EXPECT_EQ(node.getDirectionState(), -1);
    EXPECT_FALSE(node.isWalking());
}

// Two points 100 apart at 100 per second: half-way after 500 ms, at the end after 600 more, in
// "Stop", with one report to the parent.
TEST(PathMovableNode, WalksATwoPointPathAndReportsItsEnd) {
    Walk w;
    w.mover->start(points({{0, 0}, {100, 0}}), idOf("Arrived"), false, false);
    EXPECT_AT(w.mover, 0.0f, 0.0f);
    ASSERT_GE(w.mover->states.size(), 2u);
    EXPECT_EQ(w.mover->states[0], idOf("Start"));
    EXPECT_EQ(w.mover->states[1], getRightId());
    w.mover->update(500);
    EXPECT_AT(w.mover, 50.0f, 0.0f);
    EXPECT_TRUE(w.parent->reports.empty());
    w.mover->update(600);
    EXPECT_AT(w.mover, 100.0f, 0.0f);
    EXPECT_EQ(w.mover->states.back(), idOf("Stop"));
    ASSERT_EQ(w.parent->reports.size(), 1u);
    EXPECT_EQ(w.parent->reports[0].node, w.mover.get());
    EXPECT_EQ(w.parent->reports[0].state, idOf("Arrived"));
    EXPECT_EQ(w.mover->getWorkingPoints().size(), 1u);

    // After the end nothing moves, stops or reports any more.
    const size_t states = w.mover->states.size();
    w.mover->update(1000);
    w.mover->stop();
    EXPECT_EQ(w.mover->states.size(), states);
    EXPECT_EQ(w.parent->reports.size(), 1u);
    EXPECT_AT(w.mover, 100.0f, 0.0f);
}

// One step over several segments: the rest of the distance carries over, and each new segment
// is announced once.
TEST(PathMovableNode, SeveralSegmentsInOneStep) {
    Walk w;
    w.mover->start(points({{0, 0}, {10, 0}, {10, 10}, {30, 10}}), -1, false, false);
    w.mover->update(250);  // 25 units: 10 + 10 + 5
    EXPECT_AT(w.mover, 15.0f, 10.0f);
    const std::vector<vector2df> expected = {{10, 0}, {0, 10}, {20, 0}};
    ASSERT_EQ(w.mover->directions.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(w.mover->directions[i], expected[i]) << i;
    EXPECT_EQ(w.mover->getDirectionState(), getRightId());
    const std::vector<s32> states = {idOf("Start"), getRightId(), getDownId(), getRightId()};
    EXPECT_EQ(w.mover->states, states);
    EXPECT_NEAR(w.mover->getSegmentDistance(), 5.0f, 1e-4f);
    w.mover->update(150);
    EXPECT_AT(w.mover, 30.0f, 10.0f);
    EXPECT_EQ(w.parent->reports.size(), 1u);
    EXPECT_EQ(w.parent->reports[0].state, -1);
}

TEST(PathMovableNode, KeepOrderWalksFromTheLastPoint) {
    for (bool keepOrder : {false, true}) {
        SCOPED_TRACE(keepOrder);
        Walk w;
        w.mover->start(points({{0, 0}, {0, 100}, {40, 100}}), -1, keepOrder, false);
        if (!keepOrder) {
            EXPECT_AT(w.mover, 0.0f, 0.0f);
            w.mover->update(1200);
            EXPECT_AT(w.mover, 20.0f, 100.0f);
        } else {
            EXPECT_AT(w.mover, 40.0f, 100.0f);
            w.mover->update(1200);  // 40 to the left, then 80 up
            EXPECT_AT(w.mover, 0.0f, 20.0f);
        }
        w.mover->update(10000);
        if (!keepOrder)
            EXPECT_AT(w.mover, 40.0f, 100.0f);
        else
            EXPECT_AT(w.mover, 0.0f, 0.0f);
    }
}

// A loop never ends: from its last point it walks straight back to its first and on.
TEST(PathMovableNode, ALoopNeverReports) {
    Walk w;
    w.mover->start(points({{0, 0}, {100, 0}, {100, 100}}), idOf("Arrived"), false, true);
    w.mover->update(2000);
    EXPECT_AT(w.mover, 100.0f, 100.0f);
    w.mover->Velocity = 100.0f * std::sqrt(2.0f);
    w.mover->update(500);  // half-way back to the first point
    EXPECT_AT(w.mover, 50.0f, 50.0f);
    EXPECT_EQ(w.mover->getDirectionState(), getLeftUpId());
    for (int i = 0; i < 200; ++i) w.mover->update(333);
    // A step over many rounds comes back where whole rounds would.
    const vector3df before = w.mover->getPosition();
    const f32 round = 200.0f + std::sqrt(2.0f) * 100.0f;
    w.mover->Velocity = round * 1000.0f;  // ten thousand rounds in ten seconds
    w.mover->update(10000);
    EXPECT_NEAR(w.mover->getPosition().X, before.X, 0.5f);
    EXPECT_NEAR(w.mover->getPosition().Y, before.Y, 0.5f);
    EXPECT_TRUE(w.mover->isWalking());
    EXPECT_TRUE(w.parent->reports.empty());
    for (s32 state : w.mover->states) EXPECT_NE(state, idOf("Stop"));
}

// A loop of points that all coincide has no length: it is stopped instead of being walked round
// for ever.
TEST(PathMovableNode, ALoopWithoutLengthIsStopped) {
    Walk w;
    w.mover->start(points({{5, 5}, {5, 5}, {5, 5}}), idOf("Arrived"), false, true);
    w.mover->update(30);
    EXPECT_FALSE(w.mover->isWalking());
    EXPECT_EQ(w.mover->states.back(), idOf("Stop"));
    EXPECT_TRUE(w.parent->reports.empty());
    EXPECT_AT(w.mover, 5.0f, 5.0f);
    // Without the loop the same points end at once, with the report.
    w.mover->start(points({{5, 5}, {5, 5}}), idOf("Arrived"), false, false);
    w.mover->update(0);
    EXPECT_EQ(w.parent->reports.size(), 1u);
}

TEST(PathMovableNode, AStartWithFewerThanTwoPointsIsIgnored) {
    for (const auto& path : {points({}), points({{7, 9}})}) {
        Walk w;
        w.mover->setPosition(vector3df(1, 2, 3));
        w.mover->start(path, idOf("Arrived"), false, false);
        w.mover->update(1000);
        EXPECT_TRUE(w.mover->states.empty());
        EXPECT_TRUE(w.mover->getWorkingPoints().empty());
        EXPECT_EQ(w.mover->getPosition(), vector3df(1, 2, 3));
        EXPECT_TRUE(w.parent->reports.empty());
    }
    // A walk under way is not disturbed by such a call.
    Walk w;
    w.mover->start(points({{0, 0}, {100, 0}}), -1, false, false);
    w.mover->start(points({{7, 9}}), -1, false, false);
    w.mover->update(500);
    EXPECT_AT(w.mover, 50.0f, 0.0f);
}

TEST(PathMovableNode, StopEndsAWalkWhereItIsWithoutReport) {
    Walk w;
    w.mover->start(points({{0, 0}, {0, 100}}), idOf("Arrived"), false, false);
    w.mover->update(300);
    w.mover->stop();
    EXPECT_EQ(w.mover->states.back(), idOf("Stop"));
    EXPECT_FALSE(w.mover->isWalking());
    EXPECT_AT(w.mover, 0.0f, 30.0f);
    w.mover->update(1000);
    EXPECT_AT(w.mover, 0.0f, 30.0f);
    EXPECT_TRUE(w.parent->reports.empty());
}

TEST(PathMovableNode, ACloneHasTheNodePartButNoPath) {
    Walk w;
    w.mover->setNameId(idOf("Walker"));
    w.mover->start(points({{0, 0}, {0, 100}}), -1, false, false);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(w.mover->clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GPathMovableNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getNameId(), idOf("Walker"));
    EXPECT_FALSE(clone->isWalking());
}

TEST(PathMovableNode, DirectionTable) {
    auto at = [](f32 degrees) {
        const f64 r = degrees / 180.0 * 3.14159265358979;
        return vector2df(static_cast<f32>(std::cos(r)), static_cast<f32>(-std::sin(r)));
    };
    const struct {
        vector2df v;
        s32 expected;
    } cases[] = {
        {{1, -1}, getRightUpId()},
        {{0, 1}, getDownId()},
        {{-1, 0}, getLeftId()},
        {{0, 0}, getRightId()},
        {{1, 0}, getRightId()},
        {{0, -1}, getUpId()},
        {{-1, -1}, getLeftUpId()},
        {{-1, 1}, getLeftDownId()},
        {{1, 1}, getRightDownId()},
        {at(14.9f), getRightId()},
        {at(15.1f), getRightUpId()},
        {at(74.9f), getRightUpId()},
        {at(75.1f), getUpId()},
        {at(104.9f), getUpId()},
        {at(105.1f), getLeftUpId()},
        {at(164.9f), getLeftUpId()},
        {at(165.1f), getLeftId()},
        {at(194.9f), getLeftId()},
        {at(195.1f), getLeftDownId()},
        {at(254.9f), getLeftDownId()},
        {at(255.1f), getDownId()},
        {at(284.9f), getDownId()},
        {at(285.1f), getRightDownId()},
        {at(344.9f), getRightDownId()},
        {at(345.1f), getRightId()},
        {at(359.9f), getRightId()},
        // A hair below the x axis on the screen the angle rounds up to 360: no state.
        {{1.0f, 1e-9f}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v.X << ", " << c.v.Y);
        EXPECT_EQ(GPathMovableNode::getDirectionStateId(c.v), c.expected);
    }
    const char* names[] = {"Down",   "Up",       "Left",    "Right",
                           "LeftUp", "LeftDown", "RightUp", "RightDown"};
    const s32 ids[] = {getDownId(),   getUpId(),       getLeftId(),    getRightId(),
                       getLeftUpId(), getLeftDownId(), getRightUpId(), getRightDownId()};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ids[i], idOf(names[i]));
}

// A segment whose direction has no state keeps the state shown, while the node remembers that
// it has none.
TEST(PathMovableNode, NoStateForAnAngleOf360KeepsTheStateShown) {
    Walk w;
    w.mover->start(points({{0, 0}, {0, 100}}), -1, false, false);
    const size_t states = w.mover->states.size();
    w.mover->onMoveDirectionChanged(vector2df(1.0f, 1e-9f));
    EXPECT_EQ(w.mover->getDirectionState(), -1);
    EXPECT_EQ(w.mover->states.size(), states);
}

TEST(RandomizePathPoint, DeviationsMoveAcrossThePath) {
    GLevelPath path;
    path.Points = {{0, 100, 0, 0}, {50, 100, 10, 0}, {100, 100, 0, 0}, {100, 200, 0, 4}};
    // A point without deviations comes back as it is, and draws nothing.
    u32 z0, w0, z1, w1;
    CRandom::instance().getLowGeneratorState(z0, w0);
    EXPECT_EQ(randomizePathPoint(path, 0), vector2df(0, 100));
    CRandom::instance().getLowGeneratorState(z1, w1);
    EXPECT_EQ(z0, z1);
    EXPECT_EQ(w0, w1);
    EXPECT_EQ(randomizePathPoint(path, 7), vector2df(0, 0));

    // Low 10 on a segment towards +x (normal (0, 1)): up to 10 towards smaller y, never larger.
    CRandom::instance().seed(99u);
    f32 lowest = 100.0f;
    for (int i = 0; i < 200; ++i) {
        const vector2df p = randomizePathPoint(path, 1);
        EXPECT_FLOAT_EQ(p.X, 50.0f);
        EXPECT_LE(p.Y, 100.0f);
        EXPECT_GE(p.Y, 90.0f);
        lowest = std::min(lowest, p.Y);
    }
    EXPECT_LT(lowest, 92.0f);  // the whole range is used

    // The offset is the generator's draw between -low and high, along the normal.
    CRandom::instance().seed(4242u);
    u32 z, w;
    CRandom::instance().getLowGeneratorState(z, w);
    const f32 offset = CRandom::instance().nextFloatRange(-0.0f, 4.0f);
    CRandom::instance().setLowGeneratorState(z, w);
    // The last point's direction is its own segment: (0, 100), normal (-1, 0).
    const vector2df last = randomizePathPoint(path, 3);
    EXPECT_FLOAT_EQ(last.X, 100.0f - offset);
    EXPECT_FLOAT_EQ(last.Y, 200.0f);

    // A path of one point has no direction: the point stays.
    GLevelPath single;
    single.Points = {{3, 4, 5, 5}};
    EXPECT_EQ(randomizePathPoint(single, 0), vector2df(3, 4));
}

// A subclass may begin another walk from its direction hook in the middle of a step: the step
// goes on along the new path.
TEST(PathMovableNode, AWalkBegunFromTheDirectionHookIsFollowed) {
    class Turning : public GPathMovableNode {
    public:
        Turning() : GPathMovableNode(CCreationContext()) {}
        void onMoveDirectionChanged(const vector2df& direction) override {
            GPathMovableNode::onMoveDirectionChanged(direction);
            if (++calls == 2) start(next, -1, false, loopNext);
        }
        int calls = 0;
        std::vector<vector2df> next;
        bool loopNext = false;
    };
    Turning node;
    node.next = points({{500, 500}, {500, 600}});
    node.start(points({{0, 0}, {10, 0}, {10, 10}}), -1, false, false);
    node.update(150);  // the second segment begins at 10 units: the new walk starts from scratch
    EXPECT_AT(&node, 500.0f, 500.0f);
    node.update(500);
    EXPECT_AT(&node, 500.0f, 550.0f);

    // A loop without length begun that way is stopped as well.
    Turning still;
    still.next = points({{5, 5}, {5, 5}});
    still.loopNext = true;
    still.start(points({{0, 0}, {10, 0}, {10, 10}}), -1, false, false);
    still.update(150);
    EXPECT_FALSE(still.isWalking());
}
