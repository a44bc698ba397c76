#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "engine/core/event/SDeviceParameters.h"
#include "engine/video/CNullDriver.h"
#include "tests/scene/NodeTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// ---- Transforms ----

struct TransformCase {
    const char* what;
    vector3df parentPosition, parentRotation, parentScale;
    vector3df position, rotation, scale;
    vector2df pivot;
    vector3df point, expected;
};

TEST(BaseNodeTransform, MapsOwnPointsThroughPivotRotationScaleAndParents) {
    const vector3df zero(0, 0, 0), one(1, 1, 1);
    const TransformCase cases[] = {
        {"pivot lands on position", zero, zero, one, {200, 100, 0}, {0, 0, 90}, one, {50, 50}, {50, 50, 0}, {200, 100, 0}},
        {"rotation turns about the pivot", zero, zero, one, {200, 100, 0}, {0, 0, 90}, one, {50, 50}, {60, 50, 0}, {200, 110, 0}},
        {"scale then translate", zero, zero, one, {10, 20, 0}, zero, {2, 3, 1}, {0, 0}, {5, 5, 0}, {20, 35, 0}},
        {"negative scale mirrors", zero, zero, one, {100, 0, 0}, zero, {-1, 1, 1}, {0, 0}, {10, 5, 0}, {90, 5, 0}},
        {"parent scales the child's offset", {100, 0, 0}, zero, {2, 2, 1}, {10, 10, 0}, zero, one, {0, 0}, {1, 1, 0}, {122, 22, 0}},
        {"parent rotation turns the child", zero, {0, 0, 90}, one, {10, 0, 0}, zero, one, {0, 0}, {0, 0, 0}, {0, 10, 0}},
        {"depths add up", {0, 0, 2}, zero, one, {0, 0, 3}, zero, one, {0, 0}, {0, 0, 0}, {0, 0, 5}},
        {"identity child takes the parent's", {7, 8, 1}, zero, one, zero, zero, one, {0, 0}, {1, 1, 0}, {8, 9, 1}},
    };
    for (const TransformCase& c : cases) {
        SCOPED_TRACE(c.what);
        CRefPtr<BaseNode> parent = newNode("parent");
        CRefPtr<BaseNode> child = newNode("child", parent.get());
        parent->setPosition(c.parentPosition);
        parent->setRotation(c.parentRotation);
        parent->setScale(c.parentScale);
        child->setPosition(c.position);
        child->setRotation(c.rotation);
        child->setScale(c.scale);
        child->setPivotPoint(c.pivot);
        parent->updateAbsoluteTransform();
        const vector3df out = child->transformPoint(c.point);
        EXPECT_NEAR(out.X, c.expected.X, 1e-3f);
        EXPECT_NEAR(out.Y, c.expected.Y, 1e-3f);
        EXPECT_NEAR(out.Z, c.expected.Z, 1e-3f);
        EXPECT_FALSE(parent->isTransformDirty());
        EXPECT_FALSE(child->isTransformDirty());
    }
}

TEST(BaseNodeTransform, BoundsTestUsesTheInverseTransformAndStrictEdges) {
    CRefPtr<BaseNode> node = newNode("n");
    node->setPosition(vector3df(200, 100, 0));
    node->setRotation(vector3df(0, 0, 90));
    node->setPivotPoint(vector2df(50, 50));
    node->updateAbsoluteTransform();
    EXPECT_TRUE(node->isPointInBounds(vector2df(200, 100)));   // the pivot
    EXPECT_FALSE(node->isPointInBounds(vector2df(260, 100)));  // outside after the turn
    node->setRotation(vector3df(0, 0, 0));
    node->setPivotPoint(vector2df(0, 0));
    node->updateAbsoluteTransform();
    EXPECT_FALSE(node->isPointInBounds(vector2df(200, 150)));  // on the edge
    EXPECT_TRUE(node->isPointInBounds(vector2df(201, 101)));
}

TEST(BaseNodeColor, TintsModulateDownTheTree) {
    CRefPtr<BaseNode> parent = newNode("parent");
    CRefPtr<BaseNode> child = newNode("child", parent.get());
    parent->setTintColor(0x80ff0000u);
    child->setTintColor(0xff8080ffu);
    parent->updateAbsoluteColor();
    EXPECT_EQ(child->getAbsoluteColor(), 0x80800000u);
}

// ---- Draw items ----

TEST(BaseNodeDrawing, ItemsSortByDepthThenKeyWithParentDepths) {
    CRefPtr<BaseNode> root = newNode("root");
    auto add = [](BaseNode* parent, const char* name, f32 z, DrawKey key) {
        auto* node = new HitNode(CCreationContext(), parent, nullptr);
        node->drop();
        node->setNameId(id(name));
        node->setPosition(vector3df(0, 0, z));
        node->key = key;
        return node;
    };
    HitNode* far = add(root.get(), "far", 5, 1);
    add(far, "farChild", -4, 9);   // depth 1
    add(root.get(), "keyB", 1, 0xf0000000u);
    add(root.get(), "keyA", 1, 7);
    add(root.get(), "near", 0, 3);
    auto* hidden = add(root.get(), "hidden", -1, 0);
    hidden->setVisible(false);

    DrawList list;
    root->render(list);
    sortDrawList(list);
    std::vector<std::string> order;
    for (const SDrawItem& item : list) order.push_back(item.node->getNodeName().c_str());
    EXPECT_EQ(order, (std::vector<std::string>{"near", "keyA", "farChild", "keyB", "far"}));
    EXPECT_FLOAT_EQ(list[2].depth, 1.0f);
}

// Keys are pointer-sized: two textures whose addresses differ only above the low 32 bits are
// two keys, in address order.
TEST(BaseNodeDrawing, KeysKeepThePointersWhole) {
    static_assert(sizeof(DrawKey) >= sizeof(void*), "a key holds a pointer");
    CRefPtr<BaseNode> root = newNode("root");
    const DrawKey low = 0x10;
    const DrawKey high = (DrawKey(1) << (8 * sizeof(DrawKey) - 1)) | low;
    for (const auto& [name, key] : {std::pair<const char*, DrawKey>{"high", high}, {"low", low}, {"high2", high}}) {
        auto* node = new HitNode(CCreationContext(), root.get(), nullptr);
        node->drop();
        node->setNameId(id(name));
        node->key = key;
    }
    DrawList list;
    root->render(list);
    sortDrawList(list);
    std::vector<std::string> order;
    for (const SDrawItem& item : list) order.push_back(item.node->getNodeName().c_str());
    EXPECT_EQ(order, (std::vector<std::string>{"low", "high", "high2"}));
    EXPECT_EQ(list[1].key, high);
}

class ClipFixture : public ::testing::Test {
protected:
    ClipFixture() : driver(createNullDriver(SDeviceParameters(), nullptr)) {}
    ~ClipFixture() override { driver->drop(); }
    IVideoDriver* driver;
};

TEST_F(ClipFixture, ClipRectanglesAreIntersectedAndNormalised) {
    struct Case {
        const char* what;
        vector3df rotation, scale;
        bool outerClip;
        rectf expected;
    };
    const Case cases[] = {
        {"plain", {0, 0, 0}, {1, 1, 1}, false, rectf(10, 20, 110, 70)},
        {"cut by the given clip", {0, 0, 0}, {1, 1, 1}, true, rectf(10, 20, 60, 60)},
        {"rotated", {0, 0, 90}, {1, 1, 1}, false, rectf(-40, 20, 10, 120)},
        {"mirrored and cut", {0, 0, 0}, {-1, 1, 1}, true, rectf(0, 20, 10, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRefPtr<BaseNode> clipper = newNode("clipper");
        clipper->setChildrenClipped(true);
        clipper->setBounds(100, 50);
        clipper->setPosition(vector3df(10, 20, 0));
        clipper->setRotation(c.rotation);
        clipper->setScale(c.scale);
        auto* child = new HitNode(CCreationContext(), clipper.get(), nullptr);
        child->drop();
        DrawList list;
        clipper->render(list);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].node, clipper.get());
        EXPECT_EQ(list[0].key, 0u);
        const rectf outer(0, 0, 60, 60);
        clipper->renderClipped(driver, c.outerClip ? &outer : nullptr);
        ASSERT_EQ(child->clips.size(), 1u);
        const rectf& got = child->clips[0];
        EXPECT_NEAR(got.UpperLeftCorner.X, c.expected.UpperLeftCorner.X, 1e-3f);
        EXPECT_NEAR(got.UpperLeftCorner.Y, c.expected.UpperLeftCorner.Y, 1e-3f);
        EXPECT_NEAR(got.LowerRightCorner.X, c.expected.LowerRightCorner.X, 1e-3f);
        EXPECT_NEAR(got.LowerRightCorner.Y, c.expected.LowerRightCorner.Y, 1e-3f);
    }
}

TEST_F(ClipFixture, NothingIsDrawnOutsideTheGivenClip) {
    CRefPtr<BaseNode> clipper = newNode("clipper");
    clipper->setChildrenClipped(true);
    auto* child = new HitNode(CCreationContext(), clipper.get(), nullptr);
    child->drop();
    DrawList list;
    clipper->render(list);
    const rectf elsewhere(500, 500, 600, 600);
    clipper->renderClipped(driver, &elsewhere);
    EXPECT_TRUE(child->clips.empty());
}

// ---- Tree ----

TEST(BaseNodeTree, FindChildByNameHonoursDepthAndPrefersDirectChildren) {
    CRefPtr<BaseNode> root = newNode("root");
    CRefPtr<BaseNode> a = newNode("a", root.get());
    CRefPtr<BaseNode> b = newNode("b", a.get());
    CRefPtr<BaseNode> c = newNode("c", b.get());
    CRefPtr<BaseNode> deepDup = newNode("dup", a.get());
    CRefPtr<BaseNode> dup = newNode("dup", root.get());
    struct Case {
        const char* name;
        s32 depth;
        BaseNode* expected;
    };
    const Case cases[] = {
        {"a", 1, a.get()},  {"b", 1, nullptr}, {"b", 2, b.get()},    {"c", 2, nullptr},
        {"c", 3, c.get()},  {"c", 0, c.get()}, {"c", -1, c.get()},   {"b", -2, nullptr},
        {"dup", 0, dup.get()}, {"nobody", 0, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.name) + " at depth " + std::to_string(k.depth));
        EXPECT_EQ(root->findChildByName(k.name, k.depth), k.expected);
    }
}

TEST(BaseNodeTree, FindNodeAtSkipsInvisibleAndUnhittableSubtrees) {
    CRefPtr<BaseNode> root = newNode("root");
    CRefPtr<BaseNode> group = newNode("group", root.get());
    auto* target = new HitNode(CCreationContext(), group.get(), nullptr);
    target->drop();
    root->updateAbsoluteTransform();
    EXPECT_EQ(root->findNodeAt(vector2df(50, 50)), target);
    EXPECT_EQ(root->findNodeAt(vector2df(150, 50)), nullptr);
    group->setVisible(false);
    EXPECT_EQ(root->findNodeAt(vector2df(50, 50)), nullptr);
    group->setVisible(true);
    group->setCanBeHit(false);
    EXPECT_EQ(root->findNodeAt(vector2df(50, 50)), nullptr);
}

TEST(BaseNodeTree, ChildrenMoveBetweenParentsAndLoseTheirScene) {
    CTimerScheduler scheduler;
    CRefPtr<BaseNode> a = newNode("a");
    CRefPtr<BaseNode> b = newNode("b");
    a->setSceneManager(nullptr, nullptr, &scheduler);
    CRefPtr<BaseNode> child = newNode("child", a.get());
    CRefPtr<BaseNode> grandchild = newNode("grandchild", child.get());
    EXPECT_EQ(grandchild->getSceneBinding().scheduler, &scheduler);
    EXPECT_EQ(child->getReferenceCount(), 2);
    child->setParent(b.get());
    EXPECT_EQ(a->getChildCount(), 0u);
    EXPECT_EQ(child->getParent(), b.get());
    EXPECT_EQ(grandchild->getSceneBinding().scheduler, nullptr);
    EXPECT_EQ(child->getReferenceCount(), 2);
    CRefPtr<BaseNode> first = newNode("first");
    b->insertChild(first.get(), nullptr);
    EXPECT_EQ(b->getChildren().front(), first.get());
    EXPECT_TRUE(b->removeChild(child.get()));
    EXPECT_FALSE(b->removeChild(child.get()));
    EXPECT_EQ(child->getReferenceCount(), 1);
}

struct RecordingQueue : INodeEventQueue {
    void queueEvent(CEventReceiver* receiver, u32 mode, CEvent* event) override {
        entries.push_back({receiver, mode, event->getTypeId()});
    }
    struct Entry {
        CEventReceiver* receiver;
        u32 mode;
        u32 type;
    };
    std::vector<Entry> entries;
};

TEST(BaseNodeEvents, PostingNeedsAQueueAndAReceiverThatAcceptsTheEvent) {
    CRefPtr<BaseNode> parent = newNode("parent");
    CRefPtr<BaseNode> child = newNode("child", parent.get());
    CRefPtr<CEventNodePressed> pressed = makeRef<CEventNodePressed>(child.get());
    child->postEventToParent(DispatchSelfThenParents, pressed.get());  // no scene: nothing
    RecordingQueue queue;
    parent->setSceneManager(nullptr, nullptr, nullptr, &queue);
    child->postEventToParent(DispatchSelfThenParents, pressed.get());
    parent->setCategoryMask(CategoryDevice);
    child->postEventToParent(DispatchSelfThenParents, pressed.get());  // refused by the mask
    child->postEvent(nullptr, DispatchSelf, pressed.get());
    ASSERT_EQ(queue.entries.size(), 1u);
    EXPECT_EQ(queue.entries[0].receiver, parent.get());
    EXPECT_EQ(queue.entries[0].mode, static_cast<u32>(DispatchSelfThenParents));
    EXPECT_EQ(queue.entries[0].type, static_cast<u32>(EventNodePressed));
}

// ---- Properties ----

TEST(BaseNodeProperties, OnlyValuesThatDifferFromTheDefaultsAreSaved) {
    struct Case {
        const char* what;
        void (*change)(BaseNode*);
        std::vector<std::string> saved;
    };
    const Case cases[] = {
        {"defaults", [](BaseNode*) {}, {}},
        {"scale within a millionth", [](BaseNode* n) { n->setScale(vector3df(1, 1.0000005f, 1)); }, {}},
        {"scale beyond", [](BaseNode* n) { n->setScale(vector3df(1, 1.00001f, 1)); }, {"Scale"}},
        {"tint alpha 254", [](BaseNode* n) { n->setTintColor(0xfeffffffu); }, {"TintColor"}},
        {"depth only", [](BaseNode* n) { n->setPosition(vector3df(0, 0, 0.5f)); }, {"Position"}},
        {"bounds clamped to defaults", [](BaseNode* n) { n->setBounds(100, 100); }, {}},
        {"pivot", [](BaseNode* n) { n->setPivotPoint(vector2df(0, 0.1f)); }, {"PivotPoint"}},
        {"flags", [](BaseNode* n) { n->setVisible(false); n->setCanBeHit(false); n->setChildrenClipped(true); },
         {"Visible", "CanBeHit", "ChildrenClipped"}},
        {"name first", [](BaseNode* n) { n->setNameId(id("Title")); n->setRotation(vector3df(0, 0, 5)); },
         {"Name", "Rotation"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRefPtr<BaseNode> node = newNode();
        c.change(node.get());
        CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
        node->saveProperties(set.get());
        std::vector<std::string> names;
        for (u32 i = 0; i < set->getPropertyCount(); ++i) names.push_back(set->getPropertyName(i).c_str());
        EXPECT_EQ(names, c.saved);
    }
}

TEST(BaseNodeProperties, LoadingAppliesPresentValuesAndZerosWrongTypes) {
    CRefPtr<BaseNode> node = newNode();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addString("Name", "Panel");
    set->addVector3d("Bounds", vector3df(-5, 30, 7));
    set->addInt("Position", 3);  // wrong type: zero
    set->addBool("Visible", false);
    node->setPosition(vector3df(1, 2, 3));
    node->loadProperties(set.get());
    EXPECT_EQ(node->getNodeName(), "Panel");
    EXPECT_EQ(node->getBounds(), vector3df(0, 30, 0));
    EXPECT_EQ(node->getPosition(), vector3df(0, 0, 0));
    EXPECT_FALSE(node->isVisible());
    EXPECT_EQ(node->getScale(), vector3df(1, 1, 1));  // absent: unchanged
    // The table's setter stores bounds unchanged.
    node->setPropertyByName("Bounds", makePropertyDataVector3d(vector3df(-5, 30, 7)));
    EXPECT_EQ(node->getBounds(), vector3df(-5, 30, 7));
}

// ---- States ----

class StateFixture : public ::testing::Test {
protected:
    StateFixture() {
        root = newNode("root");
        watch(root.get(), "root");
    }
    ~StateFixture() override {
        for (auto& entry : recorders) entry.first->removePreReceiver(entry.second.get());
    }
    void watch(BaseNode* node, const char* label) {
        recorders.emplace_back(node, std::make_unique<EventRecorder>(log, label));
        node->addPreReceiver(recorders.back().second.get());
    }
    CRefPtr<BaseNode> child(const char* name) {
        CRefPtr<BaseNode> node = newNode(name, root.get());
        watch(node.get(), name);
        kept.push_back(node);  // alive until the recorders are gone
        return node;
    }
    void run(u32 ms) {
        for (u32 t = 0; t < ms; t += 10) scheduler.update(10);
    }
    size_t count(const std::string& line) const { return std::count(log.begin(), log.end(), line); }
    s32 index(const std::string& line) const {
        auto it = std::find(log.begin(), log.end(), line);
        return it == log.end() ? -1 : static_cast<s32>(it - log.begin());
    }

    CTimerScheduler scheduler;
    CRefPtr<BaseNode> root;
    std::vector<std::string> log;
    std::vector<std::pair<BaseNode*, std::unique_ptr<EventRecorder>>> recorders;
    std::vector<CRefPtr<BaseNode>> kept;
};

TEST_F(StateFixture, ALeafReportsItsOwnStartAndEnd) {
    root->setState(id("Show"));
    EXPECT_EQ(log, (std::vector<std::string>{"root 73 Show root", "root 75 Show root"}));
}

TEST_F(StateFixture, ChildrenWithoutTheStatePassItThrough) {
    child("a");
    child("b");
    child("c");
    root->setState(id("Show"));
    EXPECT_EQ(log, (std::vector<std::string>{"root 73 Show root", "root 69 Show a", "root 71 Show a",
                                             "root 69 Show b", "root 71 Show b", "root 69 Show c",
                                             "root 71 Show c", "root 75 Show root"}));
    EXPECT_EQ(root->getStateCounter(id("Show")), 0);
}

TEST_F(StateFixture, ParentFinishesAfterItsSlowestChild) {
    CRefPtr<BaseNode> fast = child("fast");
    CRefPtr<BaseNode> slow = child("slow");
    fast->addState(animatorWith("Show", {positionAnimation({{0, 0}, {100, 10}}).get()}).get());
    slow->addState(animatorWith("Show", {positionAnimation({{0, 0}, {300, 10}}).get()}).get());
    root->setSceneManager(nullptr, nullptr, &scheduler);
    root->setState(id("Show"));
    run(200);
    EXPECT_EQ(count("root 71 Show fast"), 1u);
    EXPECT_EQ(count("root 75 Show root"), 0u);
    run(200);
    EXPECT_EQ(count("root 71 Show slow"), 1u);
    EXPECT_EQ(count("root 75 Show root"), 1u);
}

TEST_F(StateFixture, SwitchingReportsTheOldStatesEndBeforeTheNewStart) {
    CRefPtr<BaseNode> node = child("node");
    node->addState(animatorWith("A", {positionAnimation({{0, 0}, {100, 10}}).get()}).get());
    node->addState(animatorWith("B", {positionAnimation({{0, 0}, {100, 10}}).get()}).get());
    node->setSceneManager(nullptr, nullptr, &scheduler);
    node->playState(id("A"));
    node->playState(id("B"));
    const s32 oldEnd = index("root 71 A node");
    const s32 newStart = index("node 67 B");
    ASSERT_NE(oldEnd, -1);
    ASSERT_NE(newStart, -1);
    EXPECT_LT(oldEnd, newStart);
    EXPECT_EQ(count("node 68s A"), 1u);
}

TEST_F(StateFixture, AStoppedAnimatorDoesNotStartItsNextState) {
    CRefPtr<BaseNode> node = child("node");
    CRefPtr<Animator> a = animatorWith("A", {positionAnimation({{0, 0}, {100, 10}}).get()});
    a->setNextState(id("B"));
    node->addState(a.get());
    node->addState(animatorWith("B").get());
    node->setSceneManager(nullptr, nullptr, &scheduler);
    node->playState(id("A"));
    node->stopState(id("A"), false);
    EXPECT_EQ(count("root 71 A node"), 1u);
    EXPECT_EQ(count("node 67 B"), 0u);
    run(200);
    EXPECT_EQ(count("node 67 B"), 0u);
}

TEST_F(StateFixture, NextStateFollowsWhenTheStateEndsByItself) {
    CRefPtr<BaseNode> node = child("node");
    CRefPtr<Animator> a = animatorWith("A", {positionAnimation({{0, 0}, {100, 10}}).get()});
    a->setNextState(id("B"));
    node->addState(a.get());
    node->addState(animatorWith("B").get());
    node->setSceneManager(nullptr, nullptr, &scheduler);
    node->playState(id("A"));
    EXPECT_EQ(count("node 67 B"), 0u);
    run(120);
    EXPECT_EQ(count("node 67 B"), 1u);
    EXPECT_EQ(count("root 71 B node"), 1u);
}

TEST_F(StateFixture, SynchronousNextStateCirclesAreCut) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> states;  // state, next
        size_t plays;
    };
    const Case cases[] = {
        {"itself", {{"A", "A"}}, 2},
        {"A to B to A", {{"A", "B"}, {"B", "A"}}, 3},
        {"A to B to C to B", {{"A", "B"}, {"B", "C"}, {"C", "B"}}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        CRefPtr<BaseNode> node = child("loop");
        for (const auto& s : c.states) {
            CRefPtr<Animator> animator = animatorWith(s.first);
            animator->setNextState(id(s.second));
            node->addState(animator.get());
        }
        LogCapture logs;
        node->playState(id("A"));  // no scheduler: every state ends at once
        size_t plays = 0;
        for (const std::string& line : log)
            if (line.rfind("loop 67", 0) == 0) ++plays;
        EXPECT_EQ(plays, c.plays);
        EXPECT_TRUE(logs.contains("NextState chain that lets no time pass comes back to a state or runs too long: stopped", LogWarning));
        root->removeChild(node.get());
    }
}

TEST_F(StateFixture, ALongSynchronousChainIsCutBeforeItExhaustsTheStack) {
    CRefPtr<BaseNode> node = child("chain");
    const int length = 1000;
    for (int i = 0; i < length; ++i) {
        CRefPtr<Animator> animator = animatorWith(("Step" + std::to_string(i)).c_str());
        animator->setNextState(id(("Step" + std::to_string(i + 1)).c_str()));
        node->addState(animator.get());
    }
    LogCapture logs;
    node->playState(id("Step0"));
    size_t plays = 0;
    for (const std::string& line : log)
        if (line.rfind("chain 67", 0) == 0) ++plays;
    EXPECT_GT(plays, 10u);
    EXPECT_LT(plays, static_cast<size_t>(length));
    EXPECT_TRUE(logs.contains("NextState chain that lets no time pass comes back to a state or runs too long: stopped", LogWarning));
}

TEST_F(StateFixture, AStateThatFollowsItselfOverTimeKeepsPlaying) {
    CRefPtr<BaseNode> node = child("node");
    CRefPtr<Animator> a = animatorWith("Pulse", {positionAnimation({{0, 0}, {40, 10}}).get()});
    a->setNextState(id("Pulse"));
    node->addState(a.get());
    node->setSceneManager(nullptr, nullptr, &scheduler);
    LogCapture logs;
    node->playState(id("Pulse"));
    run(400);
    EXPECT_GE(count("node 67 Pulse"), 5u);
    EXPECT_TRUE(logs.lines().empty());
}

TEST_F(StateFixture, ReenteringTheRunningStateCountsOnlyTheNewPlay) {
    CRefPtr<BaseNode> node = child("node");
    node->addState(animatorWith("Show", {positionAnimation({{0, 0}, {100, 10}}).get()}).get());
    root->setSceneManager(nullptr, nullptr, &scheduler);
    root->setState(id("Show"));
    run(50);
    root->setState(id("Show"));
    EXPECT_EQ(root->getStateCounter(id("Show")), 1);
    EXPECT_EQ(count("root 75 Show root"), 0u);
    run(60);  // the first play would have ended here
    EXPECT_EQ(count("root 75 Show root"), 0u);
    run(60);
    EXPECT_EQ(count("root 75 Show root"), 1u);
}

struct FallbackResolver : IStateResolver {
    s32 resolveStateTransition(s32 state) const override {
        if (state == id("Hover")) return id("Normal");
        if (state == id("Ping")) return id("Pong");
        if (state == id("Pong")) return id("Ping");
        return -1;
    }
};

TEST_F(StateFixture, AResolvedStateIsReportedUnderTheNameAskedFor) {
    CRefPtr<BaseNode> node = child("node");
    node->addState(animatorWith("Normal").get());
    FallbackResolver resolver;
    node->playState(id("Hover"), &resolver);
    EXPECT_EQ(count("node 67 Hover"), 1u);
    EXPECT_EQ(count("node 68 Hover"), 1u);
    EXPECT_EQ(count("root 71 Hover node"), 1u);
    // A fallback chain that turns in a circle passes through.
    node->playState(id("Ping"), &resolver);
    EXPECT_EQ(count("root 71 Ping node"), 1u);
}

TEST_F(StateFixture, TheDefaultStatePlaysWhenAttached) {
    CRefPtr<BaseNode> node = child("node");
    node->addState(animatorWith("Idle").get());
    node->setDefaultState(id("Idle"));
    EXPECT_EQ(count("node 67 Idle"), 0u);
    root->setSceneManager(nullptr, nullptr, &scheduler);
    EXPECT_EQ(count("node 67 Idle"), 1u);
}

// ---- Copies ----

TEST(BaseNodeCopy, CopiesPlayTheirDefaultStateBeforeOnLoadedAndSkipInternalChildren) {
    CRefPtr<BaseNode> source = CRefPtr<BaseNode>::fromRaw(new HitNode(CCreationContext(), nullptr, nullptr));
    source->setNameId(id("src"));
    source->setPosition(vector3df(3, 4, 5));
    CRefPtr<Animator> hidden = animatorWith("Hidden");
    hidden->addStartAnimation(setVisible(false).get());
    source->addState(hidden.get());
    source->setDefaultState(id("Hidden"));
    CRefPtr<BaseNode> listed = newNode("listed", source.get());
    CRefPtr<BaseNode> internal = newNode("internal");
    internal->setInternal(true);
    source->addChild(internal.get());

    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(source->clone(nullptr, nullptr));
    auto* hit = dynamic_cast<HitNode*>(copy.get());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(copy->getReferenceCount(), 1);
    EXPECT_FALSE(hit->visibleWhenLoaded);
    EXPECT_EQ(hit->loadedCalls, 1);
    EXPECT_EQ(copy->getPosition(), vector3df(3, 4, 5));
    EXPECT_EQ(copy->getChildCount(), 1u);
    EXPECT_NE(copy->findChildByName("listed", 1), nullptr);
    ASSERT_NE(copy->findState(id("Hidden")), nullptr);
    EXPECT_NE(copy->findState(id("Hidden")), hidden.get());
    EXPECT_EQ(copy->findState(id("Hidden"))->getTarget(), copy.get());
    internal->setParent(nullptr);
}

}  // namespace
