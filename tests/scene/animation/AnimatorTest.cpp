#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "tests/scene/NodeTestSupport.h"
#include "tests/properties/PropertyTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A node with one state "S" whose animator the test fills; its events are recorded.
class AnimatorFixture : public ::testing::Test {
protected:
    AnimatorFixture() : node(newNode("node")), recorder(log, "node"), animator(animatorWith("S")) {
        node->addPreReceiver(&recorder);
        node->addState(animator.get());
        node->setSceneManager(nullptr, nullptr, &scheduler);
    }
    ~AnimatorFixture() override { node->removePreReceiver(&recorder); }

    void run(u32 ms) {
        for (u32 t = 0; t < ms; t += 10) scheduler.update(10);
    }
    size_t count(const std::string& line) const { return std::count(log.begin(), log.end(), line); }
    f32 x() const { return node->getPosition().X; }

    CTimerScheduler scheduler;
    CRefPtr<BaseNode> node;
    std::vector<std::string> log;
    EventRecorder recorder;
    CRefPtr<Animator> animator;
};

TEST_F(AnimatorFixture, AnEmptyMainListFinishesAtOnceWithoutTheEndList) {
    animator->addStartAnimation(setVisible(false).get());
    animator->addEndAnimation(setVisible(true).get());
    node->playState(id("S"));
    EXPECT_EQ(log, (std::vector<std::string>{"node 67 S", "node 68 S"}));
    EXPECT_FALSE(node->isVisible());  // start list applied, end list not
    EXPECT_FALSE(animator->isEndApplied());
}

TEST_F(AnimatorFixture, TwoAnimationsFinishOnceAfterTheLongerWithTheEndListOnce) {
    animator->addAnimation(positionAnimation({{0, 0}, {100, 10}}).get());
    animator->addAnimation(positionAnimation({{0, 0}, {300, 10}}, "Rotation").get());
    auto counting = makeRef<animation::SetProps>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addVector3d("Scale", vector3df(2, 2, 2));
    counting->setProperties(set.get());
    animator->addEndAnimation(counting.get());
    node->playState(id("S"));
    run(200);
    EXPECT_EQ(count("node 68 S"), 0u);
    EXPECT_EQ(node->getScale(), vector3df(1, 1, 1));
    run(200);
    EXPECT_EQ(count("node 68 S"), 1u);
    EXPECT_EQ(count("node 66 ended"), 2u);
    EXPECT_EQ(node->getScale(), vector3df(2, 2, 2));
    node->setScale(vector3df(1, 1, 1));
    animator->stop(true);  // already finished: nothing again
    EXPECT_EQ(node->getScale(), vector3df(1, 1, 1));
    EXPECT_EQ(count("node 68s S"), 0u);
}

TEST_F(AnimatorFixture, ALoopCountsAsTheEndWhileTheAnimationRunsOn) {
    animator->addAnimation(positionAnimation({{0, 0}, {100, 10, 0}, {100, 20, -1, 0}}).get());
    animator->addEndAnimation(setVisible(false).get());
    node->playState(id("S"));
    run(200);
    EXPECT_EQ(count("node 66 looped"), 1u);
    EXPECT_EQ(count("node 68 S"), 1u);
    EXPECT_TRUE(node->isVisible());  // the end list waits for a stop
    run(400);
    EXPECT_EQ(count("node 66 looped"), 1u);  // only the first jump back is reported
    EXPECT_EQ(count("node 68 S"), 1u);
    EXPECT_EQ(scheduler.getTimerCount(), 1u);
    animator->stop(true);
    EXPECT_FALSE(node->isVisible());
    EXPECT_EQ(count("node 68s S"), 0u);
    EXPECT_EQ(scheduler.getTimerCount(), 0u);
}

TEST_F(AnimatorFixture, AFastLoopDoesNotCutShortALongerAnimation) {
    animator->addAnimation(positionAnimation({{0, 0}, {20, 10, 0, 0}}).get());
    animator->addAnimation(positionAnimation({{0, 0}, {300, 10}}, "Rotation").get());
    node->playState(id("S"));
    run(200);
    EXPECT_EQ(count("node 66 looped"), 1u);
    EXPECT_EQ(count("node 68 S"), 0u);
    run(200);
    EXPECT_EQ(count("node 68 S"), 1u);
}

TEST_F(AnimatorFixture, StoppingBeforeTheEndReportsAStopAndAppliesTheEndList) {
    animator->addAnimation(positionAnimation({{0, 0}, {1000, 100, 0}}).get());
    animator->addEndAnimation(setVisible(false).get());
    node->playState(id("S"));
    run(100);
    animator->stop(false);
    EXPECT_EQ(count("node 68s S"), 1u);
    EXPECT_FALSE(node->isVisible());
    EXPECT_NEAR(x(), 10.0f, 0.01f);  // not moved to the end
    EXPECT_EQ(scheduler.getTimerCount(), 0u);
    node->setVisible(true);
    animator->stop(true);  // a second stop: the end list is not applied twice
    EXPECT_TRUE(node->isVisible());
    EXPECT_EQ(count("node 68s S"), 1u);
}

TEST_F(AnimatorFixture, CopiesHaveTheirOwnAnimationsAndNoTarget) {
    animator->setNextState(id("Next"));
    animator->addAnimation(positionAnimation({{0, 0}, {100, 10}}).get());
    animator->addEndAnimation(setVisible(false).get());
    CRefPtr<Animator> copy = CRefPtr<Animator>::fromRaw(animator->clone());
    EXPECT_EQ(copy->getState(), id("S"));
    EXPECT_EQ(copy->getNextState(), id("Next"));
    EXPECT_EQ(copy->getTarget(), nullptr);
    ASSERT_EQ(copy->getAnimationCount(), 1u);
    EXPECT_NE(copy->getAnimation(0), animator->getAnimation(0));
    EXPECT_EQ(copy->getAnimation(0)->getListener(), copy.get());
    EXPECT_EQ(copy->getEndAnimations().size(), 1u);
    EXPECT_EQ(copy->getAnimation(1), nullptr);
}

// ---- XML ----

CRefPtr<Animator> readState(const std::string& xml) {
    CRefPtr<CXmlReader> reader = readerAtFirstElement(xml);
    auto animator = makeRef<Animator>(id(narrowLowBytes(reader->getAttributeValue(L"Name").c_str()).c_str()));
    // The States reader takes NextState from the element.
    animator->setNextState(id(narrowLowBytes(reader->getAttributeValue(L"NextState").c_str()).c_str()));
    animator->readXml(reader.get(), nullptr, nullptr, nullptr);
    return animator;
}

TEST(AnimatorXml, UnknownAnimationTypesAreSkippedAndTheRestIsRead) {
    CRefPtr<Animator> animator = readState(
        "<State Name=\"Press\">"
        "<Animator Type=\"Wobble\" Name=\"w\"><Properties><int Name=\"X\" Value=\"1\"/></Properties>"
        "<KeyFrame t=\"5\"/></Animator>"
        "<Animator Type=\"KeyFrame\" Name=\"move\"><Properties><vector3d Name=\"Position\" Value=\"1;2;3\"/>"
        "</Properties><KeyFrame t=\"0\" Value0=\"0;0;0\"/><KeyFrame t=\"100\" Value0=\"1;2;3\"/></Animator>"
        "<EndAnimator Type=\"SetProps\"><bool Name=\"Visible\" Value=\"false\"/></EndAnimator>"
        "</State><State Name=\"Other\"/>");
    ASSERT_EQ(animator->getAnimationCount(), 1u);
    EXPECT_EQ(animator->getAnimation(0)->getNameId(), id("move"));
    EXPECT_EQ(animator->findAnimation(id("move")), animator->getAnimation(0));
    EXPECT_EQ(animator->findAnimation(id("w")), nullptr);
    EXPECT_EQ(animator->getAnimation(0)->getDuration(), 100u);
    EXPECT_EQ(animator->getEndAnimations().size(), 1u);
}

TEST(AnimatorXml, EmptyElementsEndWhereTheyStand) {
    // An empty State and empty animation elements must not swallow what follows them.
    CRefPtr<CXmlReader> reader = readerAtFirstElement(
        "<States><State Name=\"A\"/><State Name=\"B\"><EndAnimator Type=\"SetStates\"/>"
        "<StartAnimator Type=\"SetProps\"/><Animator Type=\"KeyFrame\"/>"
        "<EndAnimator Type=\"SetProps\"><bool Name=\"Visible\" Value=\"false\"/></EndAnimator></State>"
        "<State Name=\"C\"/></States>");
    std::vector<std::string> states;
    std::vector<size_t> ends;
    while (reader->read()) {
        if (reader->getNodeType() != XmlNodeElement || !(reader->getNodeName() == L"State")) continue;
        const std::string name = narrowLowBytes(reader->getAttributeValue(L"Name").c_str()).c_str();
        auto animator = makeRef<Animator>(id(name.c_str()));
        animator->readXml(reader.get(), nullptr, nullptr, nullptr);
        states.push_back(name);
        ends.push_back(animator->getEndAnimations().size() + 10 * animator->getStartAnimations().size() +
                       100 * animator->getAnimationCount());
    }
    EXPECT_EQ(states, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ends, (std::vector<size_t>{0, 112, 0}));
}

TEST(AnimatorXml, WriteAndReadBackKeepsListsAndNextState) {
    struct Case {
        const char* next;
        bool writesNext;
    };
    for (const Case& c : {Case{"", false}, Case{"Idle", true}}) {
        SCOPED_TRACE(c.next);
        CRefPtr<Animator> animator = animatorWith("Hover", {positionAnimation({{0, 0}, {50, 5, 0}}).get()});
        animator->setNextState(id(c.next));
        animator->addStartAnimation(setVisible(true).get());
        auto states = makeRef<animation::SetStates>();
        states->addEntry(animation::SetStatesEntry{id("Normal"), parseNameIdList("A;B")});
        animator->addEndAnimation(states.get());
        XmlBuffer buffer;
        animator->writeXml(buffer.writer().get(), nullptr, nullptr);
        const std::string text = buffer.text();
        EXPECT_EQ(text.find("NextState") != std::string::npos, c.writesNext);
        CRefPtr<Animator> back = readState(text);
        EXPECT_EQ(back->getState(), id("Hover"));
        EXPECT_EQ(back->getNextState(), c.writesNext ? id("Idle") : -1);
        EXPECT_EQ(back->getAnimationCount(), 1u);
        EXPECT_EQ(back->getStartAnimations().size(), 1u);
        ASSERT_EQ(back->getEndAnimations().size(), 1u);
        XmlBuffer again;
        back->writeXml(again.writer().get(), nullptr, nullptr);
        EXPECT_EQ(again.text(), text);
    }
}

}  // namespace
