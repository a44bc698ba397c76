#include <gtest/gtest.h>

#include "tests/scene/NodeTestSupport.h"
#include "tests/properties/PropertyTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;
using animation::KeyFrame;

namespace {

// A key-frame animation on a node, started on a scheduler of its own and listened to by an
// animator, so that its notices can be counted.
struct Player {
    explicit Player(CRefPtr<KeyFrame> frames) : frames(std::move(frames)), node(newNode("n")), animator(animatorWith("S")) {
        animator->addAnimation(this->frames.get());
        node->addState(animator.get());
        node->addPreReceiver(&recorder);
    }
    ~Player() { node->removePreReceiver(&recorder); }
    void play() {
        node->setSceneManager(nullptr, nullptr, &scheduler);
        node->playState(id("S"));
    }
    void run(u32 ms) {
        for (u32 t = 0; t < ms; t += 10) scheduler.update(10);
    }
    f32 x() const { return node->getPosition().X; }
    size_t notices(const char* what) const { return std::count(log.begin(), log.end(), std::string("n 66 ") + what); }

    CTimerScheduler scheduler;
    CRefPtr<KeyFrame> frames;
    CRefPtr<BaseNode> node;
    CRefPtr<Animator> animator;
    std::vector<std::string> log;
    EventRecorder recorder{log, "n"};
};

TEST(KeyFrameTiming, GlideAndStepTables) {
    struct Case {
        const char* what;
        std::vector<KeySpec> keys;
        std::vector<std::pair<u32, f32>> expected;  // time played, x
    };
    const Case cases[] = {
        {"glide", {{0, 0}, {1000, 100, 0}}, {{0, 0}, {500, 50}, {980, 98}, {1000, 100}}},
        {"step", {{0, 0}, {1000, 100}}, {{0, 0}, {500, 0}, {980, 0}, {1000, 100}}},
        {"glide then hold", {{0, 0}, {200, 100, 0}, {200, 100}}, {{100, 50}, {300, 100}, {400, 100}}},
        {"glide to a key then step", {{0, 0}, {100, 50, 0}, {100, 80}}, {{60, 30}, {160, 50}, {200, 80}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Player p(positionAnimation(c.keys));
        p.play();
        u32 played = 0;
        for (const auto& step : c.expected) {
            p.run(step.first - played);
            played = step.first;
            EXPECT_NEAR(p.x(), step.second, 0.01f) << "at " << step.first << " ms";
        }
    }
}

TEST(KeyFrameTiming, TheEndIsReportedOnceAndTheTickDetaches) {
    Player p(positionAnimation({{0, 0}, {1000, 100, 0}}));
    p.play();
    p.run(990);
    EXPECT_EQ(p.notices("ended"), 0u);
    p.run(10);
    EXPECT_EQ(p.notices("ended"), 1u);
    EXPECT_EQ(p.scheduler.getTimerCount(), 0u);
    p.run(100);
    EXPECT_EQ(p.notices("ended"), 1u);
}

TEST(KeyFrameTiming, TimeShiftStartsPartWayAndSurvivesCopies) {
    CRefPtr<KeyFrame> frames = positionAnimation({{0, 0}, {1000, 100, 0}});
    frames->setTimeShift(300);
    Player p(frames);
    p.play();
    EXPECT_NEAR(p.x(), 30.0f, 0.01f);
    CRefPtr<KeyFrame> copy = CRefPtr<KeyFrame>::fromRaw(static_cast<KeyFrame*>(frames->clone()));
    EXPECT_EQ(copy->getTimeShift(), 300u);
    CRefPtr<BaseNode> target = newNode("copy");
    copy->setTarget(target.get());
    copy->setTime(0, true);
    EXPECT_NEAR(target->getPosition().X, 30.0f, 0.01f);
}

// A running animation reports its first jump back; it then loops on without further notices
// until it is played again.
TEST(KeyFrameTiming, GotoLoopsRunOnAndReportTheFirstJumpBack) {
    Player p(positionAnimation({{0, 0}, {100, 100, 0}, {100, 0, -1, 0}}));
    p.play();
    p.run(150);
    EXPECT_NEAR(p.x(), 100.0f, 0.01f);
    p.run(50);
    EXPECT_EQ(p.notices("looped"), 1u);
    EXPECT_NEAR(p.x(), 0.0f, 0.01f);  // back at key 0: the goto key's values are never shown
    p.run(50);
    EXPECT_NEAR(p.x(), 40.0f, 0.01f);  // ticks every 20 ms
    p.run(550);
    EXPECT_EQ(p.notices("looped"), 1u);
    EXPECT_EQ(p.notices("ended"), 0u);
    EXPECT_EQ(p.scheduler.getTimerCount(), 1u);
    EXPECT_NEAR(p.x(), 0.0f, 0.01f);  // at 800 ms it has jumped back for the fourth time
    p.node->playState(id("S"));
    p.run(200);
    EXPECT_EQ(p.notices("looped"), 2u);
}

TEST(KeyFrameTiming, StopToTheEndSetsTheLastKey) {
    Player p(positionAnimation({{0, 0}, {1000, 100, 0}, {1000, 300, 0}}));
    p.play();
    p.run(500);
    p.frames->stop(true, false);
    EXPECT_NEAR(p.x(), 300.0f, 0.01f);
    EXPECT_EQ(p.scheduler.getTimerCount(), 0u);
    EXPECT_EQ(p.notices("ended"), 0u);
}

TEST(KeyFrameTiming, DurationAndTime) {
    CRefPtr<KeyFrame> frames = positionAnimation({{0, 0}, {200, 1}, {300, 2}});
    EXPECT_EQ(frames->getDuration(), 500u);
    CRefPtr<BaseNode> node = newNode();
    frames->setTarget(node.get());
    frames->setTime(250, false);
    EXPECT_EQ(frames->getCurrentKey(), 1u);
    EXPECT_EQ(frames->getSegmentTime(), 50u);
    EXPECT_EQ(frames->getTime(), 250u);
    EXPECT_EQ(node->getPosition().X, 0.0f);  // not applied
}

TEST(KeyFrameTiming, AHugeTimeShiftOnALoopIsTakenModuloItsLength) {
    struct Case {
        const char* what;
        std::vector<KeySpec> keys;
        u32 shift;
        u32 key, segment;
    };
    const Case cases[] = {
        {"plain loop", {{0, 0}, {100, 100, 0}, {100, 0, -1, 0}}, 4000000050u, 0, 50},
        // 0 -> 1 jumps on to 2, 3 goes back to 0: 7 ms a round.
        {"loop with a jump forward", {{0, 0}, {0, 1, -1, 2}, {0, 2}, {7, 3, -1, 0}}, 2147483647u, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRefPtr<KeyFrame> frames = positionAnimation(c.keys);
        frames->setTimeShift(c.shift);
        CRefPtr<BaseNode> node = newNode();
        frames->setTarget(node.get());
        frames->setTime(0, true);
        EXPECT_EQ(frames->getCurrentKey(), c.key);
        EXPECT_EQ(frames->getSegmentTime(), c.segment);
    }
}

// ---- Damaged key data ----

CRefPtr<KeyFrame> readFrames(const std::string& xml) {
    CRefPtr<CXmlReader> reader = readerAtFirstElement(xml);
    auto frames = makeRef<KeyFrame>();
    frames->readXml(reader.get(), nullptr, L"Animator");
    return frames;
}

TEST(KeyFrameInput, MalformedKeysAreMadeSafe) {
    // Gotos outside the keys are none.
    CRefPtr<KeyFrame> frames = readFrames(
        "<Animator Type=\"KeyFrame\" Period=\"-5\"><Properties><vector3d Name=\"Position\"/></Properties>"
        "<KeyFrame t=\"0\" Value0=\"0;0;0\"/><KeyFrame t=\"10\" g=\"7\" Value0=\"1;0;0\"/>"
        "<KeyFrame t=\"-3\" g=\"-9\" i=\"5\" Value0=\"2;0;0\"/></Animator>");
    ASSERT_EQ(frames->getKeys().size(), 3u);
    EXPECT_EQ(frames->getKeys()[1].gotoKey, -1);
    EXPECT_EQ(frames->getKeys()[2].gotoKey, -1);
    EXPECT_EQ(frames->getKeys()[2].t, 0u);
    EXPECT_EQ(frames->getKeys()[2].glide, -1);
    EXPECT_EQ(frames->getUpdatePeriod(), KeyFrame::DefaultPeriod);
}

TEST(KeyFrameInput, KeysWithTimesOfZeroNeverLoopForEver) {
    const char* cases[] = {
        "<KeyFrame t=\"0\" Value0=\"1;0;0\"/><KeyFrame t=\"0\" Value0=\"2;0;0\"/><KeyFrame t=\"0\" g=\"0\" Value0=\"3;0;0\"/>",
        // A forward jump inside a backward loop: every key is of no length.
        ("<KeyFrame t=\"0\" Value0=\"1;0;0\"/><KeyFrame t=\"0\" g=\"2\" Value0=\"2;0;0\"/>"
         "<KeyFrame t=\"0\" Value0=\"3;0;0\"/><KeyFrame t=\"0\" g=\"0\" Value0=\"4;0;0\"/>"),
        "<KeyFrame t=\"0\" g=\"0\" Value0=\"1;0;0\"/>",
    };
    for (const char* keys : cases) {
        SCOPED_TRACE(keys);
        Player p(readFrames(std::string("<Animator Type=\"KeyFrame\"><Properties><vector3d Name=\"Position\"/>"
                                        "</Properties>") + keys + "</Animator>"));
        p.play();
        p.run(100);
        EXPECT_LE(p.notices("ended") + p.notices("looped"), 10u);
    }
}

TEST(KeyFrameInput, ValueCountsThatDifferFromThePropertiesAreNotOverrun) {
    // Keys read before the Properties element have no values; a second Properties element with
    // more entries leaves the earlier keys short.
    Player p(readFrames(
        "<Animator Type=\"KeyFrame\"><KeyFrame t=\"0\"/>"
        "<Properties><vector3d Name=\"Position\"/></Properties><KeyFrame t=\"0\" Value0=\"5;0;0\"/>"
        "<Properties><vector3d Name=\"Position\"/><float Name=\"Nothing\"/><vector3d Name=\"Scale\"/></Properties>"
        "<KeyFrame t=\"50\" Value0=\"9;0;0\" Value1=\"1\" Value2=\"3;3;3\"/></Animator>"));
    p.play();
    p.run(100);
    EXPECT_NEAR(p.x(), 9.0f, 0.01f);
    EXPECT_EQ(p.node->getScale(), vector3df(3, 3, 3));
    // Keys given by code with fewer values than the set.
    CRefPtr<KeyFrame> frames = positionAnimation({{0, 1}, {10, 2}});
    CRefPtr<CPropertySet> wider = frames->getProperties()->clone();
    wider->addVector3d("Scale", vector3df(1, 1, 1));
    frames->setProperties(wider.get());
    CRefPtr<BaseNode> node = newNode();
    frames->setTarget(node.get());
    frames->setTime(5, true);
    frames->stop(true, false);
    EXPECT_NEAR(node->getPosition().X, 2.0f, 0.01f);
}

TEST(KeyFrameInput, EntriesTheTargetLacksAreIgnored) {
    Player p(readFrames(
        "<Animator Type=\"KeyFrame\"><Properties><int Name=\"Unknown\"/><vector3d Name=\"Position\"/></Properties>"
        "<KeyFrame t=\"0\" Value0=\"1\" Value1=\"0;0;0\"/><KeyFrame t=\"100\" i=\"0\" Value0=\"5\" Value1=\"10;0;0\"/>"
        "</Animator>"));
    p.play();
    EXPECT_EQ(p.frames->getPropertyMap(), (std::vector<s32>{-1, p.node->findPropertyIndex("Position")}));
    p.run(60);
    EXPECT_NEAR(p.x(), 6.0f, 0.01f);
}

TEST(KeyFrameXml, WriteAndReadBackKeepsPeriodShiftPropertiesAndKeys) {
    CRefPtr<KeyFrame> frames = readFrames(
        "<Animator Type=\"KeyFrame\" Name=\"spin\" Period=\"40\" TimeShift=\"70\"><Properties>"
        "<vector3d Name=\"Position\"/><color Name=\"TintColor\"/></Properties>"
        "<KeyFrame t=\"0\" Value0=\"0;0;0\" Value1=\"ffffffff\"/>"
        "<KeyFrame t=\"500\" i=\"0\" Value0=\"10;20;0\" Value1=\"80ff0000\"/>"
        "<KeyFrame t=\"500\" g=\"0\" Value0=\"0;0;0\" Value1=\"00000000\"/></Animator>");
    frames->setNameId(id("spin"));
    XmlBuffer buffer;
    frames->writeXml(buffer.writer().get(), L"Animator");
    const std::string text = buffer.text();
    EXPECT_NE(text.find("Period=\"40\""), std::string::npos);
    EXPECT_NE(text.find("TimeShift=\"70\""), std::string::npos);
    EXPECT_NE(text.find("i=\"0\""), std::string::npos);
    CRefPtr<KeyFrame> back = readFrames(text);
    EXPECT_EQ(back->getUpdatePeriod(), 40u);
    EXPECT_EQ(back->getTimeShift(), 70u);
    ASSERT_EQ(back->getKeys().size(), 3u);
    EXPECT_EQ(back->getKeys()[1].glide, 0);
    EXPECT_EQ(back->getKeys()[2].glide, -1);
    EXPECT_EQ(back->getKeys()[2].gotoKey, 0);
    back->setNameId(id("spin"));
    XmlBuffer again;
    back->writeXml(again.writer().get(), L"Animator");
    EXPECT_EQ(again.text(), text);
}

// ---- SetProps and SetStates ----

TEST(SetPropsApply, SetsKnownPropertiesAndSkipsTheRest) {
    CRefPtr<BaseNode> node = newNode();
    auto props = makeRef<animation::SetProps>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addVector3d("Position", vector3df(4, 5, 6));
    set->addInt("Nonsense", 3);
    props->setProperties(set.get());
    props->setTarget(node.get());
    props->setTime(0, false);
    EXPECT_EQ(node->getPosition(), vector3df(0, 0, 0));
    props->setTime(12345, true);
    EXPECT_EQ(node->getPosition(), vector3df(4, 5, 6));
    EXPECT_EQ(props->getPropertyMap()[1], -1);
    EXPECT_EQ(props->getDuration(), 0u);
}

TEST(SetStatesApply, EmptyChildrenEnterTheSubtreeListedChildrenPlayAlone) {
    struct Case {
        const char* children;
        std::vector<std::string> played;
    };
    const Case cases[] = {
        {nullptr, {"A", "B", "root"}},
        {"", {"A", "B", "root"}},
        {" A ;\tB ; ", {"A", "B"}},
        {"deep;B", {"B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.children ? c.children : "(no attribute)");
        CRefPtr<BaseNode> root = newNode("root");
        std::vector<std::string> played;
        auto addState = [](BaseNode* node) {
            CRefPtr<Animator> a = animatorWith("Normal");
            node->addState(a.get());
            return a;
        };
        CRefPtr<BaseNode> a = newNode("A", root.get());
        CRefPtr<BaseNode> b = newNode("B", root.get());
        CRefPtr<BaseNode> deep = newNode("deep", a.get());
        std::vector<CRefPtr<Animator>> animators = {addState(a.get()), addState(b.get()), addState(deep.get())};
        std::vector<std::string> log;
        EventRecorder rr(log, "root"), ra(log, "A"), rb(log, "B"), rd(log, "deep");
        root->addPreReceiver(&rr);
        a->addPreReceiver(&ra);
        b->addPreReceiver(&rb);
        deep->addPreReceiver(&rd);
        std::string xml = "<EndAnimator Type=\"SetStates\"><State Name=\"Normal\"";
        if (c.children) xml += std::string(" Children=\"") + c.children + "\"";
        xml += "/><State Children=\"A\"/></EndAnimator>";
        auto states = makeRef<animation::SetStates>();
        states->readXml(readerAtFirstElement(xml).get(), nullptr, L"EndAnimator");
        EXPECT_EQ(states->getEntries().size(), 1u);
        states->setTarget(root.get());
        states->setTime(0, true);
        for (const std::string& line : log)
            if (line.find(" 67 Normal") != std::string::npos || line == "root 73 Normal root")
                played.push_back(line.substr(0, line.find(' ')));
        std::sort(played.begin(), played.end());
        EXPECT_EQ(played, c.played);
        root->removePreReceiver(&rr);
        a->removePreReceiver(&ra);
        b->removePreReceiver(&rb);
        deep->removePreReceiver(&rd);
    }
}

TEST(SetStatesXml, RoundTripAndEmptyForms) {
    auto states = makeRef<animation::SetStates>();
    states->addEntry(animation::SetStatesEntry{id("Normal"), parseNameIdList("TitleText;BodyText")});
    states->addEntry(animation::SetStatesEntry{id("Hidden"), {}});
    XmlBuffer buffer;
    states->writeXml(buffer.writer().get(), L"EndAnimator");
    const std::string text = buffer.text();
    EXPECT_NE(text.find("Children=\"TitleText;BodyText\""), std::string::npos);
    auto back = makeRef<animation::SetStates>();
    back->readXml(readerAtFirstElement(text).get(), nullptr, L"EndAnimator");
    ASSERT_EQ(back->getEntries().size(), 2u);
    EXPECT_EQ(back->getEntries()[0].children.size(), 2u);
    EXPECT_EQ(back->getEntries()[0].children[1], CNameId("BodyText"));
    EXPECT_TRUE(back->getEntries()[1].children.empty());
    XmlBuffer again;
    back->writeXml(again.writer().get(), L"EndAnimator");
    EXPECT_EQ(again.text(), text);

    // An empty element has no entries and stops where it stands.
    CRefPtr<CXmlReader> reader = readerAtFirstElement("<EndAnimator Type=\"SetStates\"/><State Name=\"X\"/>");
    back->readXml(reader.get(), nullptr, L"EndAnimator");
    EXPECT_TRUE(back->getEntries().empty());
    EXPECT_TRUE(reader->read());
    EXPECT_EQ(reader->getNodeName(), L"State");
}

TEST(SetPropsXml, RoundTrip) {
    CRefPtr<BaseNode> node = newNode();
    auto props = makeRef<animation::SetProps>();
    props->readXml(readerAtFirstElement("<StartAnimator Type=\"SetProps\"><bool Name=\"Visible\" Value=\"false\"/>"
                                        "<vector3d Name=\"Scale\" Value=\"2;2;1\"/></StartAnimator>").get(),
                   nullptr, L"StartAnimator");
    props->setTarget(node.get());
    props->setTime(0, true);
    EXPECT_FALSE(node->isVisible());
    EXPECT_EQ(node->getScale(), vector3df(2, 2, 1));
    XmlBuffer buffer;
    props->writeXml(buffer.writer().get(), L"StartAnimator");
    auto back = makeRef<animation::SetProps>();
    back->readXml(readerAtFirstElement(buffer.text()).get(), nullptr, L"StartAnimator");
    ASSERT_EQ(back->getProperties()->getPropertyCount(), 2u);
    XmlBuffer again;
    back->writeXml(again.writer().get(), L"StartAnimator");
    EXPECT_EQ(again.text(), buffer.text());
    CRefPtr<animation::Base> copy = CRefPtr<animation::Base>::fromRaw(back->clone());
    EXPECT_NE(static_cast<animation::SetProps*>(copy.get())->getProperties(), back->getProperties());
}

}  // namespace
