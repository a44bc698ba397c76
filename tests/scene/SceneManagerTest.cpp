#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/CSceneNodeProcessor.h"

#include "engine/video/CNullDriver.h"
#include "tests/scene/SceneTestSupport.h"

namespace oskel::test {
namespace {

const std::vector<u32> kSwitchNotices = {EventNodeSceneSwitch, EventNodeSceneSwitchEnd, EventNodeSceneSwitchBegin,
                                         EventNodeMessageBoxResult};

// A scene whose nodes play the named states for the given time.
CRefPtr<SceneNode> timedScene(const char* name, std::vector<std::pair<const char*, u32>> states) {
    CRefPtr<SceneNode> scene = makeScene(name);
    HitNode* body = addHitNode(scene.get(), "Body", 0, 0, 10, 10);
    for (auto& s : states) body->addState(timedState(s.first, s.second).get());
    return scene;
}

std::vector<std::string> childNames(BaseNode* node) {
    std::vector<std::string> names;
    for (BaseNode* child : node->getChildren()) names.emplace_back(child->getNodeName().c_str());
    return names;
}

TEST(SceneManagerSetScene, InputWaitsForNavToThenFocusSwitchEndAndMouseMove) {
    SceneWorld w;
    w.device.cursor.setPosition(110, 105);
    auto scene = timedScene("Main", {{"NavTo", 100}});
    ControlNode* ok = addControl(scene.get(), "Ok", 100, 100);
    w.record(scene.get(), "main", {EventNodeSceneSwitch, EventNodeSceneSwitchBegin, EventNodeSceneSwitchEnd, EventMouseMove});

    EXPECT_TRUE(w.manager->setScene(scene.get()));
    EXPECT_EQ(w.manager->getCurrentScene(), scene.get());
    EXPECT_TRUE(w.manager->isInTransition(scene.get()));
    EXPECT_EQ(w.log, (std::vector<std::string>{"main 37 ->Main", "main 39 ->Main"}));
    EXPECT_FALSE(w.down(110, 105));  // dropped, not queued
    EXPECT_FALSE(ok->isPressed());
    EXPECT_FALSE(scene->isFocused());

    w.step(60);
    EXPECT_TRUE(w.manager->isInTransition(scene.get()));
    w.step(60);
    EXPECT_FALSE(w.manager->isInTransition(scene.get()));
    EXPECT_TRUE(scene->isFocused());
    EXPECT_EQ(w.log, (std::vector<std::string>{"main 37 ->Main", "main 39 ->Main", "main 38 ->Main"}));
    // The mouse move at the cursor, in window coordinates, hovers the control under it.
    EXPECT_TRUE(ok->isHovered());
    EXPECT_TRUE(w.down(110, 105));
    EXPECT_TRUE(ok->isPressed());
}

TEST(SceneManagerSetScene, NoneRemovesEveryChildAfterTheNextUpdate) {
    SceneWorld w;
    auto a = makeScene("A");
    w.show(a.get());
    w.record(a.get(), "a", kSwitchNotices);
    EXPECT_TRUE(w.manager->setScene(nullptr));
    EXPECT_EQ(w.log, (std::vector<std::string>{"a 37 A>-", "a 39 A>-"}));
    EXPECT_EQ(w.manager->getCurrentScene(), nullptr);
    EXPECT_EQ(w.manager->getChildCount(), 1u);
    w.deliver();
    EXPECT_EQ(w.manager->getChildCount(), 0u);
    EXPECT_EQ(a->getSceneManager(), nullptr);
    EXPECT_EQ(w.manager->getSchedulerCount(), 0u);
}

TEST(SceneManagerSetScene, SettingTheSceneShownAlreadyKeepsIt) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = makeScene("B");
    w.show(a.get());
    w.manager->switchScene(a.get(), b.get());
    w.step(10);
    EXPECT_TRUE(w.manager->setScene(b.get()));
    w.step(10);
    w.step(10);
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"B"}));
    EXPECT_EQ(b->getParent(), w.manager.get());
    EXPECT_EQ(b->getPreviousScene(), nullptr);  // the stack is B alone
    EXPECT_EQ(w.manager->getCurrentScene(), b.get());
    EXPECT_TRUE(b->isFocused());
}

TEST(SceneManagerSwitch, BothTransitionsEndBeforeInputThenTheOldSceneHides) {
    SceneWorld w;
    auto a = timedScene("A", {{"NavFrom", 100}});
    auto b = timedScene("B", {{"NavTo", 200}});
    ControlNode* ok = addControl(b.get(), "Ok", 100, 100);
    w.show(a.get());
    w.record(a.get(), "a", kSwitchNotices);
    w.record(b.get(), "b", kSwitchNotices);

    EXPECT_TRUE(a->switchTo(b.get()));
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(b->getPreviousScene(), a.get());
    EXPECT_EQ(w.manager->getCurrentScene(), b.get());
    EXPECT_EQ(w.log, (std::vector<std::string>{"a 37 A>B", "a 39 A>B", "b 37 A>B", "b 39 A>B"}));
    w.log.clear();

    w.step(120);  // A has finished NavFrom, B still enters
    EXPECT_EQ(w.log, (std::vector<std::string>{"a 38 A>B"}));
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(a->getTimerScheduler()->isEnabled());
    EXPECT_FALSE(w.down(110, 105));
    w.step(100);
    EXPECT_EQ(w.log, (std::vector<std::string>{"a 38 A>B", "b 38 A>B"}));
    EXPECT_TRUE(b->isFocused());
    EXPECT_TRUE(w.down(110, 105));
    EXPECT_TRUE(ok->isPressed());
    EXPECT_TRUE(b->isVisible());
}

TEST(SceneManagerSwitch, KeepingThePreviousSceneLeavesItShownAndRunning) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = makeScene("B");
    w.show(a.get());
    EXPECT_TRUE(w.manager->switchScene(a.get(), b.get(), -1, -1, true));
    w.step(10);
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(a->getTimerScheduler()->isEnabled());
    EXPECT_NE(a->getTimerScheduler(), b->getTimerScheduler());
    EXPECT_EQ(w.manager->getCurrentScene(), b.get());
}

TEST(SceneManagerSwitch, RefusedForScenesInTransitionAndForCircles) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = timedScene("B", {{"NavTo", 100}});
    auto c = makeScene("C");
    w.show(a.get());
    EXPECT_FALSE(w.manager->switchScene(a.get(), a.get()));
    EXPECT_FALSE(w.manager->switchScene(a.get(), nullptr));
    EXPECT_TRUE(w.manager->switchScene(a.get(), b.get()));
    EXPECT_FALSE(w.manager->switchScene(c.get(), b.get()));  // B is entering
    w.step(200);
    // A lies below B: switching from B to A would make a circle.
    EXPECT_FALSE(w.manager->switchScene(b.get(), a.get()));
    EXPECT_EQ(a->getPreviousScene(), nullptr);
    EXPECT_FALSE(a->setPreviousScene(b.get()));
    EXPECT_FALSE(a->setPreviousScene(a.get()));
    EXPECT_EQ(a->getPreviousScene(), nullptr);
    // Walks of the stack end: go back still works.
    EXPECT_TRUE(b->goBack(0));
    w.step(10);
    EXPECT_EQ(w.manager->getCurrentScene(), a.get());
}

TEST(SceneManagerSwitch, SwitchingAwayFromASceneStillEnteringEndsItsEntry) {
    SceneWorld w;
    auto a = timedScene("A", {{"NavFrom", 1000}});
    auto b = timedScene("B", {{"NavTo", 1000}, {"NavFrom", 1000}});
    auto c = makeScene("C");
    w.show(a.get());
    w.record(b.get(), "b", kSwitchNotices);
    EXPECT_TRUE(w.manager->switchScene(a.get(), b.get()));
    w.step(10);
    EXPECT_TRUE(w.manager->switchScene(b.get(), c.get()));
    // B's NavTo jumped to its end, and so did A's NavFrom: the old change is complete.
    EXPECT_FALSE(w.manager->isInTransition(a.get()));
    EXPECT_FALSE(a->isVisible());
    w.deliver();
    EXPECT_EQ(w.log[0], "b 37 A>B");
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), "b 38 A>B"), w.log.end());
    w.step(1100);
    EXPECT_FALSE(w.manager->isInTransition(b.get()));
    EXPECT_EQ(w.manager->getCurrentScene(), c.get());
    EXPECT_TRUE(c->isFocused());
    EXPECT_EQ(c->getPreviousScene(), b.get());
}

// A scene that asks for another switch from its switch-begin handler.
class ChainingScene : public SceneNode {
public:
    using SceneNode::SceneNode;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<ChainingScene>(this, parent, manager);
    }
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventNodeSceneSwitchBegin && next &&
            static_cast<CEventNodeSceneSwitch*>(event)->getToScene() == this) {
            CRefPtr<SceneNode> to = next;
            next = nullptr;
            switchTo(to.get());
        }
        return SceneNode::onEvent(event);
    }
    CRefPtr<SceneNode> next;
};

TEST(SceneManagerSwitch, ASwitchAskedForDuringASwitchRunsWhenItReturns) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = makeScene<ChainingScene>("B");
    auto c = makeScene("C");
    b->next = c;
    w.show(a.get());
    EXPECT_TRUE(w.manager->switchScene(a.get(), b.get()));
    EXPECT_EQ(w.manager->getCurrentScene(), c.get());
    EXPECT_EQ(c->getPreviousScene(), b.get());
    EXPECT_EQ(b->getPreviousScene(), a.get());
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"A", "B", "C"}));
    w.step(10);
    EXPECT_TRUE(w.manager->getTransitions().empty());
    EXPECT_TRUE(c->isFocused());
    EXPECT_FALSE(b->isVisible());
}

struct StackWorld : SceneWorld {
    StackWorld() {
        s1 = timedScene("S1", {{"NavBackTo", 100}});
        s2 = makeScene("S2");
        s3 = timedScene("S3", {{"NavBackFrom", 100}});
        show(s1.get());
        manager->switchScene(s1.get(), s2.get());
        step(10);
        manager->switchScene(s2.get(), s3.get());
        step(10);
    }
    CRefPtr<SceneNode> s1, s2, s3;
};

TEST(SceneManagerGoBack, StepsDownTheStackAndRemovesTheScenesAbove) {
    StackWorld w;
    EXPECT_FALSE(w.s1->isVisible());
    EXPECT_FALSE(w.s1->getTimerScheduler()->isEnabled());
    EXPECT_FALSE(w.s3->goBack(5));
    EXPECT_EQ(w.manager->getCurrentScene(), w.s3.get());

    w.record(w.s1.get(), "s1", kSwitchNotices);
    w.record(w.s3.get(), "s3", kSwitchNotices);
    EXPECT_TRUE(w.s3->goBack(1));
    EXPECT_EQ(w.log, (std::vector<std::string>{"s3 37 S3>S1 back", "s1 37 S3>S1 back", "s3 39 S3>S1 back",
                                               "s1 39 S3>S1 back"}));
    EXPECT_TRUE(w.s1->isVisible());
    EXPECT_TRUE(w.s1->getTimerScheduler()->isEnabled());
    EXPECT_EQ(w.manager->getCurrentScene(), w.s1.get());
    w.deliver();
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"S1", "S3"}));
    w.step(120);
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"S1"}));
    EXPECT_TRUE(w.s1->isFocused());
    EXPECT_EQ(w.manager->getSchedulerCount(), 1u);
    EXPECT_FALSE(w.s1->goBack(0));  // nothing below the bottom
}

TEST(SceneManagerGoBack, GoBackToTypeFindsTheNearestSceneOfTheType) {
    StackWorld w;
    EXPECT_FALSE(w.s3->goBackToType(NodeTypeMessageBox));
    EXPECT_EQ(w.manager->getCurrentScene(), w.s3.get());
    EXPECT_TRUE(w.s3->goBackToType(NodeTypeScene));
    EXPECT_EQ(w.manager->getCurrentScene(), w.s2.get());
    EXPECT_FALSE(w.manager->goBackTo(w.s2.get(), w.s3.get()));  // not below
}

// A message box of the tests: closes on a click of a child named "Button" with its index.
class TestBox : public SceneNode, public IMessageBox {
public:
    using SceneNode::SceneNode;
    s32 getTypeId() const override { return NodeTypeMessageBox; }
    bool isKindOf(s32 t) const override { return t == NodeTypeMessageBox || SceneNode::isKindOf(t); }
    void setButtonTexts(const array<stringw>& texts) override { buttons = texts; }
    void setTitleText(const stringw& text) override { title = text; }
    void setBodyText(const stringw& text) override { body = text; }
    s32 getResult() const override { return result; }
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventNodePressed) {
            BaseNode* pressed = static_cast<CEventNodePressed*>(event)->getNode();
            s32 index = 0;
            for (BaseNode* child : getChildren()) {
                if (child->getNameId() != CNameId("Button").getId()) continue;
                if (child == pressed) {
                    result = index;
                    goBack(0, id("NavBackFrom"), id("NavBackTo"));
                    return true;
                }
                ++index;
            }
        }
        return SceneNode::onEvent(event);
    }
    static SceneNode* create(const CCreationContext& context) {
        auto* box = new TestBox(context, nullptr, nullptr);
        addControl(box, "Button", 10, 10, "Button");
        addControl(box, "Button", 80, 10, "Button");
        return box;
    }
    array<stringw> buttons;
    stringw title, body;
    s32 result = -1;
};

TEST(SceneManagerMessageBox, OwnerGetsTheResultAndNoSwitchEvents) {
    SceneWorld w;
    w.manager->setMessageBoxCreator(&TestBox::create);
    BaseNode* layout = newNode("Ask", w.templates.get()).get();
    layout->setBounds(200, 100);
    w.templates->onLoaded();
    auto owner = makeScene("Owner");
    w.show(owner.get());
    w.record(owner.get(), "owner", kSwitchNotices);

    array<stringw> texts;
    texts.push_back(L"Yes");
    texts.push_back(L"No");
    SceneNode* shown = owner->showMessageBox(id("Ask"), texts, L"Title", L"Body");
    ASSERT_NE(shown, nullptr);
    auto* box = static_cast<TestBox*>(shown);
    w.record(box, "box", {EventNodeSceneSwitchEnd});
    EXPECT_EQ(box->buttons.size(), 2u);
    EXPECT_EQ(box->title, stringw(L"Title"));
    EXPECT_EQ(box->getPosition(), vector3df(300, 250, 0));
    EXPECT_EQ(box->getPreviousScene(), owner.get());
    EXPECT_FALSE(owner->isFocused());
    EXPECT_EQ(w.manager->getCurrentScene(), box);
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"Owner", ""}));
    w.step(10);
    EXPECT_EQ(w.log, (std::vector<std::string>{"box 38 Owner>"}));
    EXPECT_TRUE(box->isFocused());
    EXPECT_TRUE(owner->isVisible());

    // The second button: 300 + 80 + 10, 250 + 10 + 5.
    w.down(390, 265);
    w.up(390, 265);
    w.deliver();
    EXPECT_EQ(w.manager->getCurrentScene(), owner.get());
    w.step(10);
    EXPECT_EQ(w.log, (std::vector<std::string>{"box 38 Owner>", "owner 40 1"}));
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"Owner"}));
    EXPECT_FALSE(w.manager->isInTransition(owner.get()));
}

TEST(SceneManagerMessageBox, UnknownTemplateGivesNoneAndKeepsTheOwnerFocused) {
    SceneWorld w;
    w.manager->setMessageBoxCreator(&TestBox::create);
    auto owner = makeScene("Owner");
    w.show(owner.get());
    EXPECT_EQ(owner->showMessageBox(id("NoSuchBox"), {}, L"", L""), nullptr);
    EXPECT_TRUE(owner->isFocused());
    EXPECT_EQ(w.manager->getChildCount(), 1u);
    // Without a creator of its own or a default one: none as well. (The device has installed the
    // node library's default creator: it is put back at the end.)
    const SceneManager::MessageBoxCreator installed = SceneManager::getDefaultMessageBoxCreator();
    SceneManager::setDefaultMessageBoxCreator(nullptr);
    w.manager->setMessageBoxCreator(nullptr);
    EXPECT_EQ(owner->showMessageBox(id("Button"), {}, L"", L""), nullptr);
    EXPECT_TRUE(owner->isFocused());
    // A creator that makes no message box is refused.
    w.manager->setMessageBoxCreator([](const CCreationContext& c) -> SceneNode* { return new SceneNode(c); });
    EXPECT_EQ(owner->showMessageBox(id("Button"), {}, L"", L""), nullptr);
    EXPECT_TRUE(owner->isFocused());
    EXPECT_EQ(w.manager->getChildCount(), 1u);
    // The default creator serves every manager without one.
    SceneManager::setDefaultMessageBoxCreator(&TestBox::create);
    w.manager->setMessageBoxCreator(nullptr);
    SceneNode* box = owner->showMessageBox(id("Button"), {}, L"", L"");
    SceneManager::setDefaultMessageBoxCreator(installed);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isKindOf(NodeTypeMessageBox));
    EXPECT_FALSE(owner->isFocused());
}

// Posts two events to its targets when it handles a game event.
class Poster : public BaseNode {
public:
    using BaseNode::BaseNode;
    bool onEvent(CEvent* event) override {
        log->push_back(std::string(getNodeName().c_str()) + " " + std::to_string(event->getTypeId()));
        if (event->getTypeId() == EventNodeValueChanged && !posted) {
            posted = true;
            postEvent(this, DispatchSelf, makeRef<CEventNodePressDone>(this).get());
            postEvent(this, DispatchSelf, makeRef<CEventNodePressed>(this).get());
        }
        return false;
    }
    std::vector<std::string>* log = nullptr;
    bool posted = false;
};

TEST(SceneManagerQueue, EventsPostedDuringDeliveryComeNextLastPostedFirst) {
    SceneWorld w;
    auto scene = makeScene("Main");
    auto* poster = new Poster(CCreationContext(), scene.get(), nullptr);
    poster->setNameId(id("P"));
    poster->log = &w.log;
    poster->drop();
    w.show(scene.get());
    w.log.clear();
    poster->postEvent(poster, DispatchSelf, makeRef<CEventNodeValueChanged>(poster).get());
    poster->postEvent(poster, DispatchSelf, makeRef<CEventNodePress>(poster).get());
    w.deliver();
    EXPECT_EQ(w.log, (std::vector<std::string>{"P 60", "P 59", "P 58", "P 56"}));
    EXPECT_EQ(w.manager->getQueuedEventCount(), 0u);
}

TEST(SceneManagerQueue, ARemovedNodeWithQueuedEventsIsNotUsedAfterItIsFreed) {
    SceneWorld w;
    auto scene = makeScene("Main");
    w.show(scene.get());
    std::vector<std::string> log;
    BaseNode* raw = nullptr;
    {
        auto* poster = new Poster(CCreationContext(), scene.get(), nullptr);
        poster->setNameId(id("P"));
        poster->log = &log;
        poster->posted = true;
        poster->drop();
        raw = poster;
        poster->postEvent(poster, DispatchSelf, makeRef<CEventNodePress>(poster).get());
    }
    scene->removeChild(raw);  // the tree's reference goes: only the queue holds the node now
    w.deliver();              // under the address sanitizer a freed receiver would be caught here
    EXPECT_EQ(log, (std::vector<std::string>{"P 56"}));
}

TEST(SceneManagerSchedulers, EveryShownSceneHasOneAndRemovedScenesReleaseTheirs) {
    SceneWorld w;
    const u32 baseReceivers = w.device.getEventReceiverCount();
    auto a = makeScene("A");
    auto b = makeScene("B");
    for (int i = 0; i < 5; ++i) {
        w.manager->setScene(a.get());
        w.step(10);
    }
    EXPECT_EQ(w.manager->getSchedulerCount(), 1u);
    EXPECT_EQ(w.device.getEventReceiverCount(), baseReceivers + 1);
    CTimerScheduler* first = a->getTimerScheduler();
    ASSERT_NE(first, nullptr);
    w.manager->switchScene(a.get(), b.get());
    w.step(10);
    EXPECT_EQ(w.manager->getSchedulerCount(), 2u);
    EXPECT_NE(b->getTimerScheduler(), first);
    // Pausing the lower scene's clock does not stop the upper one's.
    EXPECT_FALSE(first->isEnabled());
    EXPECT_TRUE(b->getTimerScheduler()->isEnabled());
    b->goBack(0);
    w.step(10);
    w.step(10);
    EXPECT_EQ(w.manager->getSchedulerCount(), 1u);
    EXPECT_EQ(b->getTimerScheduler(), nullptr);
    EXPECT_EQ(w.device.getEventReceiverCount(), baseReceivers + 1);
    w.manager->setScene(nullptr);
    w.deliver();
    EXPECT_EQ(w.manager->getSchedulerCount(), 0u);
    EXPECT_EQ(w.device.getEventReceiverCount(), baseReceivers);
}

// Records the order in which the frame draws it.
class DrawRecorder : public HitNode {
public:
    using HitNode::HitNode;
    void renderClipped(IVideoDriver*, const rectf*) override { order->push_back(getNodeName().c_str()); }
    std::vector<std::string>* order = nullptr;
};

DrawRecorder* addDrawn(BaseNode* parent, const char* name, f32 z, DrawKey key, std::vector<std::string>* order) {
    auto* node = new DrawRecorder(CCreationContext(), nullptr, nullptr);
    node->setNameId(id(name));
    node->setPosition(vector3df(0, 0, z));
    node->key = key;
    node->order = order;
    parent->addChild(node);
    node->drop();
    return node;
}

TEST(SceneManagerDrawing, ItemsAreDrawnByDepthThenKeyOrInCollectionOrder) {
    SceneWorld w;
    std::vector<std::string> order;
    auto scene = makeScene("Main");
    addDrawn(scene.get(), "deep", 5, 0, &order);
    addDrawn(scene.get(), "key9", 1, 9, &order);
    addDrawn(scene.get(), "key2", 1, 2, &order);
    addDrawn(scene.get(), "front", -3, 7, &order);
    w.show(scene.get());
    order.clear();
    IVideoDriver* driver = w.device.getVideoDriver();
    ASSERT_NE(driver, nullptr);
    w.manager->render(driver);
    EXPECT_EQ(order, (std::vector<std::string>{"front", "key2", "key9", "deep"}));
    order.clear();
    w.manager->setSortEnabled(false);
    w.manager->render(driver);
    EXPECT_EQ(order, (std::vector<std::string>{"deep", "key9", "key2", "front"}));
    // A hidden scene draws nothing.
    order.clear();
    scene->setVisible(false);
    w.manager->render(driver);
    EXPECT_TRUE(order.empty());
    w.manager->render(nullptr);
}

TEST(SceneManagerNested, AManagerInsideASceneUpdatesRoutesAndDraws) {
    SceneWorld w;
    std::vector<std::string> order;
    auto outer = makeScene("Outer");
    addDrawn(outer.get(), "outerBack", 0, 1, &order);
    CRefPtr<SceneManager> inner = CRefPtr<SceneManager>::fromRaw(w.device.createSceneManager());
    inner->setNameId(id("World"));
    inner->setPosition(vector3df(0, 0, 1));
    outer->addChild(inner.get());
    addDrawn(outer.get(), "outerFront", 2, 0, &order);
    inner->setTemplateCollection(w.templates.get());
    CTimerScheduler source;
    inner->setEventSource(&source);
    EXPECT_EQ(inner->getUpdateSource(), &source);

    auto world = makeScene("Level");
    ControlNode* house = addControl(world.get(), "House", 100, 100);
    addDrawn(world.get(), "worldItem", 0, 0, &order);
    w.record(world.get(), "world", {EventNodeSceneSwitchEnd});
    inner->setScene(world.get());
    EXPECT_EQ(world->getSceneManager(), inner.get());
    w.show(outer.get());
    // The outer manager's binding does not reach into the inner tree.
    EXPECT_EQ(world->getSceneManager(), inner.get());
    EXPECT_EQ(world->getScene(), world.get());
    EXPECT_EQ(inner->getSceneManager(), w.manager.get());
    EXPECT_TRUE(w.log.empty());
    source.update(10);  // the inner queue is delivered on its own source
    EXPECT_EQ(w.log, (std::vector<std::string>{"world 38 ->Level"}));
    EXPECT_TRUE(world->isFocused());
    // The outer activation (34) stopped at the inner manager: the inner scene's control
    // applied its template once, from the inner manager.
    EXPECT_EQ(house->getTemplateInstance()->getChildCount(), 1u);

    // Input through the outer scene reaches the inner current scene.
    w.move(110, 105);
    EXPECT_TRUE(house->isHovered());

    // One item for the inner manager, drawn at its depth; its own list is drawn then.
    order.clear();
    w.manager->render(w.device.getVideoDriver());
    EXPECT_EQ(order, (std::vector<std::string>{"outerBack", "worldItem", "outerFront"}));
}

TEST(SceneManagerDevice, TheDeviceMakesEmptyManagers) {
    SceneWorld w;
    CRefPtr<SceneManager> made = CRefPtr<SceneManager>::fromRaw(w.device.createSceneManager());
    EXPECT_EQ(made->getTypeId(), NodeTypeSceneManager);
    EXPECT_TRUE(made->isKindOf(NodeTypeBase));
    EXPECT_FALSE(made->isKindOf(NodeTypeScene));
    EXPECT_EQ(made->getCategoryMask(), 0x102fu);
    EXPECT_EQ(made->getCurrentScene(), nullptr);
    EXPECT_EQ(made->getTemplateCollection(), nullptr);
    EXPECT_FALSE(made->isSortEnabled());
    EXPECT_EQ(made->getContentManager(), nullptr);
    EXPECT_TRUE(made->update(0));
}

}  // namespace
}  // namespace oskel::test

namespace oskel::test {
namespace {

TEST(SceneFiles, SwitchToFileTakesOnlyScenes) {
    SceneWorld w;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("oskel-scenes-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "next.oscn", std::ios::binary)
        << "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" Value=\"Next\"/></Properties></SceneNode>";
    std::ofstream(dir / "control.oscn", std::ios::binary) << "<SceneNode Type=\"ControlNode\"/>";
    auto fs = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    auto processors = makeRef<CContentProcessorsManager>();
    auto* processor = new CSceneNodeProcessor(fs.get(), &CNodeFactory::instance());
    processors->registerProcessor(processor);
    processor->drop();
    auto cm = makeRef<CContentManager>(fs.get(), processors.get());

    auto main = makeRef<SceneNode>(CCreationContext(cm.get(), "main"));
    main->setNameId(id("Main"));
    w.show(main.get());
    EXPECT_EQ(main->switchToFile(""), nullptr);
    EXPECT_EQ(main->switchToFile((dir / "missing.oscn").string().c_str()), nullptr);
    EXPECT_EQ(main->switchToFile((dir / "control.oscn").string().c_str()), nullptr);
    EXPECT_EQ(w.manager->getCurrentScene(), main.get());
    EXPECT_EQ(w.manager->getChildCount(), 1u);

    SceneNode* next = main->switchToFile((dir / "next.oscn").string().c_str());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->getNodeName(), "Next");
    EXPECT_EQ(w.manager->getCurrentScene(), next);
    EXPECT_EQ(next->getPreviousScene(), main.get());
    w.step(10);
    EXPECT_TRUE(next->isFocused());
    w.manager->setScene(nullptr);
    w.deliver();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace oskel::test

namespace oskel::test {
namespace {

TEST(SceneManagerSchedulers, PausingTheLowerScenesClockFreezesOnlyItsAnimations) {
    SceneWorld w;
    auto a = timedScene("A", {{"Idle", 1000}});
    auto b = timedScene("B", {{"Idle", 1000}});
    w.show(a.get());
    w.manager->switchScene(a.get(), b.get(), -1, -1, true);
    w.step(10);
    BaseNode* bodyA = a->findChildByName("Body");
    BaseNode* bodyB = b->findChildByName("Body");
    bodyA->playState(id("Idle"), nullptr, -1);
    bodyB->playState(id("Idle"), nullptr, -1);
    a->getTimerScheduler()->setEnabled(false);
    w.step(1100);
    EXPECT_EQ(bodyA->getPosition().X, 0.0f);
    EXPECT_EQ(bodyB->getPosition().X, 1.0f);
    a->getTimerScheduler()->setEnabled(true);
    w.step(1100);
    EXPECT_EQ(bodyA->getPosition().X, 1.0f);
}

TEST(SceneManagerSwitch, WithoutALeavingSceneTheSceneGoesLastAndTheCurrentStays) {
    SceneWorld w;
    auto a = makeScene("A");
    auto overlay = makeScene("Overlay");
    auto first = makeScene("First");
    EXPECT_TRUE(w.manager->switchScene(nullptr, first.get()));  // an empty manager
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"First"}));
    w.step(10);
    w.manager->setScene(a.get());
    w.step(10);
    EXPECT_TRUE(w.manager->switchScene(nullptr, overlay.get()));
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"A", "Overlay"}));
    EXPECT_EQ(w.manager->getCurrentScene(), a.get());
    EXPECT_EQ(overlay->getPreviousScene(), nullptr);
    w.step(10);
    EXPECT_TRUE(overlay->isFocused());
}

TEST(SceneManagerTemplates, ANewCollectionReachesEveryControlOfEveryScene) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = makeScene("B");
    ControlNode* inA = addControl(a.get(), "C", 0, 0);
    ControlNode* inB = addControl(b.get(), "C", 0, 0);
    w.show(a.get());
    w.manager->switchScene(a.get(), b.get(), -1, -1, true);
    w.step(10);
    EXPECT_EQ(inA->getTemplateInstance()->getChildCount(), 1u);

    auto wider = makeRef<TemplateCollectionNode>(CCreationContext());
    BaseNode* button = newNode("Button", wider.get()).get();
    addHitNode(button, "Left", 0, 0, 10, 10);
    addHitNode(button, "Right", 10, 0, 10, 10);
    wider->onLoaded();
    w.manager->setTemplateCollection(wider.get());
    EXPECT_EQ(w.manager->getTemplateCollection(), wider.get());
    EXPECT_EQ(inA->getTemplateInstance()->getChildCount(), 2u);
    EXPECT_EQ(inB->getTemplateInstance()->getChildCount(), 2u);
}

}  // namespace
}  // namespace oskel::test

namespace oskel::test {
namespace {

TEST(SceneManagerRemovals, EachNodeOnceAndOnlyDirectChildren) {
    SceneWorld w;
    auto a = makeScene("A");
    w.show(a.get());
    CRefPtr<BaseNode> loose = newNode("Loose", w.manager.get());
    CRefPtr<BaseNode> inside = newNode("Inside", a.get());
    w.manager->queueRemoval(loose.get());
    w.manager->queueRemoval(loose.get());
    w.manager->queueRemoval(inside.get());
    w.manager->queueRemoval(nullptr);
    const int before = loose->getReferenceCount();
    w.deliver();
    EXPECT_EQ(loose->getReferenceCount(), before - 2);  // the tree's and the list's references
    EXPECT_EQ(loose->getParent(), nullptr);
    EXPECT_EQ(inside->getParent(), a.get());  // not a direct child: left alone
    EXPECT_EQ(childNames(w.manager.get()), (std::vector<std::string>{"A"}));
}

}  // namespace
}  // namespace oskel::test

namespace oskel::test {
namespace {

TEST(SceneManagerInput, ACurrentSceneTakenOutByOtherCodeGetsNoInput) {
    SceneWorld w;
    auto* scene = new SceneNode(CCreationContext());
    w.show(scene);
    scene->drop();  // the manager's tree holds it alone
    w.manager->removeChild(scene);  // under the address sanitizer a freed scene would be caught below
    EXPECT_FALSE(w.move(10, 10));
    EXPECT_FALSE(w.key(37));
    w.manager->setScene(nullptr);
    w.deliver();
    EXPECT_EQ(w.manager->getCurrentScene(), nullptr);
}

}  // namespace
}  // namespace oskel::test
