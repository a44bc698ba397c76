#include <gtest/gtest.h>

#include "tests/scene/SceneTestSupport.h"

namespace oskel::test {
namespace {

const std::vector<u32> kClickNotices = {EventNodePushed, EventNodeReleased, EventNodePressPreview, EventNodePressed};

// A scene shown by a manager, with one control "Ok" of the template "Button" at (100, 100).
struct ClickWorld : SceneWorld {
    ClickWorld() {
        scene = makeScene("Main");
        ok = addControl(scene.get(), "Ok", 100, 100);
        show(scene.get());
        record(scene.get(), "scene", kClickNotices);
    }
    CRefPtr<SceneNode> scene;
    ControlNode* ok;
};

TEST(ControlClick, PressPreviewPressStatePressedThenClicked) {
    ClickWorld w;
    // The template's image plays "Press" for 100 ms.
    BaseNode* image = w.ok->getTemplateInstance()->findChildByName("Image");
    ASSERT_NE(image, nullptr);
    image->addState(timedState("Press", 100).get());

    EXPECT_TRUE(w.down(110, 105));
    EXPECT_TRUE(w.ok->isPressed());
    EXPECT_TRUE(w.ok->isFocused());
    EXPECT_FALSE(w.up(110, 105));  // every control sees the button go up
    w.deliver();
    EXPECT_EQ(w.log, (std::vector<std::string>{"scene 45 Ok", "scene 57 Ok"}));
    EXPECT_TRUE(w.ok->isPressRunning());
    ASSERT_NE(image->getRunningAnimator(), nullptr);
    EXPECT_EQ(image->getRunningAnimator()->getState(), id("Press"));

    // A second press while the first runs is refused.
    EXPECT_FALSE(w.ok->press());
    w.step(60);
    EXPECT_EQ(w.log.size(), 2u);
    w.step(60);
    EXPECT_EQ(w.log, (std::vector<std::string>{"scene 45 Ok", "scene 57 Ok", "scene 59 Ok"}));
    EXPECT_FALSE(w.ok->isPressRunning());
    EXPECT_FALSE(w.ok->isPressed());
}

TEST(ControlClick, PressStateWithoutAnimatorStillClicks) {
    ClickWorld w;
    w.down(110, 105);
    w.up(110, 105);
    w.deliver();
    EXPECT_EQ(w.log, (std::vector<std::string>{"scene 45 Ok", "scene 57 Ok", "scene 59 Ok"}));
}

TEST(ControlClick, PressMoveOffReleaseGivesNoClick) {
    ClickWorld w;
    w.down(110, 105);
    w.move(400, 400);
    w.up(400, 400);
    w.deliver();
    EXPECT_EQ(w.log, (std::vector<std::string>{"scene 45 Ok", "scene 47 Ok"}));
    EXPECT_FALSE(w.ok->isPressed());
}

TEST(ControlClick, DisabledControlIgnoresDownReleasesOnUpAndHidesInputFromChildren) {
    ClickWorld w;
    w.ok->setEnabled(false);
    w.down(110, 105);  // the scene itself may take it: the control does not
    EXPECT_FALSE(w.ok->isPressed());

    // A pressed control that gets disabled lets go on button up.
    w.ok->setEnabled(true);
    w.down(110, 105);
    w.ok->setEnabled(false);
    w.up(110, 105);
    w.deliver();
    EXPECT_FALSE(w.ok->isPressed());
    std::vector<std::string> ofOk;
    for (const std::string& line : w.log)
        if (line.size() > 3 && line.compare(line.size() - 3, 3, " Ok") == 0) ofOk.push_back(line);
    EXPECT_EQ(ofOk, (std::vector<std::string>{"scene 45 Ok", "scene 47 Ok"}));

    // A control inside a disabled control sees no input.
    ControlNode* panel = addControl(w.scene.get(), "Panel", 300, 300, nullptr);
    ControlNode* inner = addControl(panel, "Inner", 0, 0);
    w.frame();
    panel->setEnabled(false);
    w.move(310, 305);
    EXPECT_FALSE(inner->isHovered());
    panel->setEnabled(true);
    w.move(310, 305);
    EXPECT_TRUE(inner->isHovered());
}

TEST(ControlFocus, DisablingAFocusedControlEntersFocusDisableAtOnce) {
    ClickWorld w;
    std::vector<std::string> log;
    w.record(w.ok, "ok", {EventNodeStateStarted});
    w.ok->setFocused(true);
    w.move(110, 105);
    w.log.clear();
    w.ok->setEnabled(false);
    EXPECT_EQ(w.log, (std::vector<std::string>{"ok 73 FocusDisable"}));
}

TEST(ControlFocus, ControlThatWantsNoFocusStaysUnfocused) {
    ClickWorld w;
    w.ok->setFocused(false);
    w.ok->setWantFocus(false);
    w.ok->setFocused(true);
    EXPECT_FALSE(w.ok->isFocused());
    EXPECT_EQ(w.ok->getCategoryMask() & CategoryKeyboard, 0u);
}

TEST(ControlHover, HoveringASiblingUnhoversTheOtherThroughTheParent) {
    SceneWorld w;
    auto scene = makeScene("Main");
    ControlNode* a = addControl(scene.get(), "A", 100, 100);
    ControlNode* b = addControl(scene.get(), "B", 200, 100);
    w.show(scene.get());
    w.record(scene.get(), "scene", {EventNodeHovered, EventNodeUnhovered});

    w.move(110, 105);
    EXPECT_TRUE(a->isHovered());
    // B comes first in the routing (last child first) and takes the move: A never sees it.
    w.move(210, 105);
    EXPECT_TRUE(b->isHovered());
    EXPECT_FALSE(a->isHovered());
    EXPECT_TRUE(scene->isHovered());
    w.deliver();
    EXPECT_EQ(w.log, (std::vector<std::string>{"scene 49 Main", "scene 49 A", "scene 51 A", "scene 49 B"}));

    // Off every control: the hovered one lets go itself.
    w.move(600, 500);
    EXPECT_FALSE(b->isHovered());
}

TEST(ControlHover, FocusOnHoverMakesTheParentRecordTheFocusedChild) {
    SceneWorld w;
    auto scene = makeScene("Main");
    ControlNode* a = addControl(scene.get(), "A", 100, 100);
    ControlNode* b = addControl(scene.get(), "B", 200, 100);
    b->setFocusOnHover(true);
    w.show(scene.get());
    a->setFocused(true);
    EXPECT_EQ(scene->getFocusedChild(), a);

    w.move(210, 105);
    EXPECT_TRUE(b->isFocused());
    EXPECT_FALSE(a->isFocused());
    EXPECT_EQ(scene->getFocusedChild(), b);
    EXPECT_NE(b->getCategoryMask() & CategoryKeyboard, 0u);
}

TEST(ControlKeys, ArrowKeysMoveTheFocusBetweenNamedSiblings) {
    struct Case {
        const char* from;
        DrawKey key;
        const char* focused;
        bool consumed;
    };
    const Case cases[] = {
        {"C", 37, "L", true},   // left
        {"C", 39, "C", false},  // right: R does not want the focus
        {"C", 40, "C", false},  // down: names a node that does not exist
        {"C", 38, "C", false},  // up: no name
        {"L", 39, "C", true},   // right from L
        {"C", 13, "C", false},  // Return is no arrow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " key " + std::to_string(c.key));
        SceneWorld w;
        auto scene = makeScene("Main");
        ControlNode* l = addControl(scene.get(), "L", 0, 0);
        ControlNode* m = addControl(scene.get(), "C", 100, 0);
        ControlNode* r = addControl(scene.get(), "R", 200, 0);
        m->setNavObject(ControlNode::NavLeft, id("L"));
        m->setNavObject(ControlNode::NavRight, id("R"));
        m->setNavObject(ControlNode::NavDown, id("Missing"));
        l->setNavObject(ControlNode::NavRight, id("C"));
        r->setWantFocus(false);
        w.show(scene.get());
        ControlNode::asControlNode(scene->findChildByName(c.from))->setFocused(true);

        EXPECT_EQ(w.key(c.key), c.consumed);
        ControlNode* focused = ControlNode::asControlNode(scene->getFocusedChild());
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->getNodeName(), c.focused);
        EXPECT_TRUE(focused->isFocused());
        EXPECT_EQ(l->isFocused() + m->isFocused() + r->isFocused(), 1);
    }
}

TEST(ControlVisualStates, FallbacksLeadToTheStatesTheTemplateHas) {
    // The image has Normal, NormalHover and Focus only.
    struct Case {
        const char* wanted;
        const char* played;  // "" = passes through
    };
    const Case cases[] = {
        {"Normal", "Normal"},          {"NormalHover", "NormalHover"}, {"Focus", "Focus"},
        {"KillFocus", "Normal"},       {"NormalDisable", "Normal"},    {"FocusDisable", "Normal"},
        {"Pressed", "Focus"},          {"KillPressed", "Focus"},       {"Press", "Focus"},
        {"NormalKillHover", "Normal"}, {"FocusHover", "NormalHover"},  {"FocusKillHover", "Focus"},
        {"Other", ""},
    };
    SceneWorld w;
    BaseNode* image = w.templates->findTemplate(id("Button"))->findChildByName("Image");
    for (const char* s : {"Normal", "NormalHover", "Focus"}) image->addState(timedState(s, 1000).get());
    auto scene = makeScene("Main");
    ControlNode* c = addControl(scene.get(), "C", 0, 0);
    w.show(scene.get());
    BaseNode* copy = c->getTemplateInstance()->findChildByName("Image");
    ASSERT_NE(copy, nullptr);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.wanted);
        copy->stopAllStates(false);
        c->setState(id(k.wanted), c);
        Animator* running = copy->getRunningAnimator();
        if (*k.played) {
            ASSERT_NE(running, nullptr);
            EXPECT_EQ(nameOf(running->getState()), k.played);
            EXPECT_EQ(running->getReportedState(), id(k.wanted));
        } else {
            EXPECT_TRUE(running == nullptr || running->getRunningCount() == 0);
        }
    }
}

TEST(ControlVisualStates, FlagsChooseTheVisualState) {
    SceneWorld w;
    auto scene = makeScene("Main");
    ControlNode* c = addControl(scene.get(), "C", 100, 100);
    w.show(scene.get());
    c->setFocused(false);
    w.record(c, "c", {EventNodeStateStarted});
    struct Step {
        const char* action;
        const char* state;  // "" = no state entered
    };
    const Step steps[] = {
        {"hover", "NormalHover"}, {"focus", "FocusHover"}, {"unhover", "FocusKillHover"},
        {"unfocus", "KillFocus"}, {"hover", "NormalHover"}, {"press", "Pressed"},
        {"unhover", "KillPressed"}, {"disable", "NormalDisable"}, {"hover", ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.action);
        w.log.clear();
        const std::string a = s.action;
        if (a == "hover") c->setHovered(true);
        if (a == "unhover") c->setHovered(false);
        if (a == "focus") c->setFocused(true);
        if (a == "unfocus") c->setFocused(false);
        if (a == "press") c->setPressed(true);
        if (a == "disable") c->setEnabled(false);
        if (*s.state)
            EXPECT_EQ(w.log, (std::vector<std::string>{std::string("c 73 ") + s.state}));
        else
            EXPECT_TRUE(w.log.empty());
    }
}

TEST(Templates, FirstOfANameWinsAndAddTemplateKeepsTheHeldOne) {
    auto collection = makeRef<TemplateCollectionNode>(CCreationContext());
    CRefPtr<BaseNode> first = newNode("Button", collection.get());
    CRefPtr<BaseNode> second = newNode("Button", collection.get());
    collection->onLoaded();
    EXPECT_EQ(collection->findTemplate(id("Button")), first.get());
    EXPECT_EQ(collection->getChildCount(), 2u);
    CRefPtr<BaseNode> other = newNode("Button");
    EXPECT_FALSE(collection->addTemplate(other.get()));
    EXPECT_FALSE(collection->addTemplate(nullptr));
    EXPECT_EQ(collection->findTemplate(id("Button")), first.get());
    CRefPtr<BaseNode> extra = newNode("Extra");
    EXPECT_TRUE(collection->addTemplate(extra.get()));
    EXPECT_EQ(extra->getParent(), nullptr);
    EXPECT_EQ(collection->getSharingFlags() & ERF_SHARED, static_cast<u32>(ERF_SHARED));

    // A clone has templates of its own.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(collection->clone(nullptr, nullptr));
    auto* copied = static_cast<TemplateCollectionNode*>(copy.get());
    ASSERT_NE(copied->findTemplate(id("Button")), nullptr);
    EXPECT_NE(copied->findTemplate(id("Button")), first.get());
}

TEST(Templates, ApplyingReplacesTheWholeContent) {
    auto collection = makeRef<TemplateCollectionNode>(CCreationContext());
    CRefPtr<BaseNode> a = newNode("A", collection.get());
    newNode("A1", a.get());
    a->addState(timedState("Idle", 500).get());
    a->setDefaultState(id("Idle"));
    CRefPtr<BaseNode> b = newNode("B", collection.get());
    newNode("B1", b.get());
    newNode("B2", b.get());
    collection->onLoaded();

    CTimerScheduler scheduler;
    CRefPtr<BaseNode> target = newNode("Target");
    SSceneBinding binding;
    binding.scheduler = &scheduler;
    target->setSceneBinding(binding);
    EXPECT_TRUE(collection->applyTemplate(id("A"), target.get()));
    EXPECT_NE(target->findChildByName("A1", 1), nullptr);
    Animator* idle = target->findState(id("Idle"));
    ASSERT_NE(idle, nullptr);
    CRefPtr<Animator> keepIdle(idle);
    EXPECT_GT(idle->getRunningCount(), 0u);  // the default state plays
    EXPECT_EQ(target->getNodeName(), "Target");

    EXPECT_TRUE(collection->applyTemplate(id("B"), target.get()));
    EXPECT_EQ(target->getChildCount(), 2u);
    EXPECT_EQ(target->findChildByName("A1", 1), nullptr);
    EXPECT_EQ(target->findState(id("Idle")), nullptr);
    EXPECT_EQ(target->getDefaultState(), -1);
    EXPECT_EQ(idle->getRunningCount(), 0u);  // A's animation was stopped first

    EXPECT_FALSE(collection->applyTemplate(id("Unknown"), target.get()));
    EXPECT_EQ(target->getChildCount(), 0u);
    EXPECT_TRUE(collection->applyTemplate(id("B"), target.get()));
    EXPECT_TRUE(collection->applyTemplate(-1, target.get()));
    EXPECT_EQ(target->getChildCount(), 0u);
    EXPECT_FALSE(collection->applyTemplate(id("B"), nullptr));
}

TEST(Templates, ControlWithUnknownTemplateHasNoHitArea) {
    SceneWorld w;
    auto scene = makeScene("Main");
    ControlNode* c = addControl(scene.get(), "C", 100, 100, "Nothing");
    w.show(scene.get());
    ASSERT_NE(c->getTemplateInstance(), nullptr);
    EXPECT_EQ(c->getTemplateInstance()->getChildCount(), 0u);
    EXPECT_FALSE(c->hitTest(vector2df(110, 105)));
    c->setTemplateByName("Button");
    w.frame();
    EXPECT_TRUE(c->hitTest(vector2df(110, 105)));
    EXPECT_FALSE(c->hitTest(vector2df(10, 5)));
}

TEST(Templates, ATemplateThatUsesItselfIsCutInsteadOfRecursing) {
    LogCapture logs;
    SceneWorld w;
    // "Loop" holds a control that uses "Loop"; "Outer" reaches it through "Inner".
    BaseNode* loop = newNode("Loop", w.templates.get()).get();
    addHitNode(loop, "Image", 0, 0, 10, 10);
    addControl(loop, "Again", 0, 0, nullptr)->setTemplateName(id("Loop"));
    BaseNode* outer = newNode("Outer", w.templates.get()).get();
    addControl(outer, "ToInner", 0, 0, nullptr)->setTemplateName(id("Inner"));
    BaseNode* inner = newNode("Inner", w.templates.get()).get();
    addControl(inner, "ToOuter", 0, 0, nullptr)->setTemplateName(id("Outer"));
    w.templates->onLoaded();

    auto scene = makeScene("Main");
    ControlNode* c = addControl(scene.get(), "C", 0, 0, "Loop");
    ControlNode* d = addControl(scene.get(), "D", 0, 0, "Outer");
    w.show(scene.get());

    auto* again = ControlNode::asControlNode(c->getTemplateInstance()->findChildByName("Again"));
    ASSERT_NE(again, nullptr);
    ASSERT_NE(again->getTemplateInstance(), nullptr);
    EXPECT_EQ(again->getTemplateInstance()->getChildCount(), 0u);
    auto* toInner = ControlNode::asControlNode(d->getTemplateInstance()->findChildByName("ToInner"));
    ASSERT_NE(toInner, nullptr);
    auto* toOuter = ControlNode::asControlNode(toInner->getTemplateInstance()->findChildByName("ToOuter"));
    ASSERT_NE(toOuter, nullptr);
    EXPECT_EQ(toOuter->getTemplateInstance()->getChildCount(), 0u);
    bool warned = false;
    for (const auto& line : logs.lines())
        warned |= line.text.find("uses the same template") != std::string::npos;
    EXPECT_TRUE(warned);
}

TEST(ControlCopy, CloneCopiesSettingsAndTemplateInstanceButNotFlags) {
    SceneWorld w;
    auto scene = makeScene("Main");
    ControlNode* c = addControl(scene.get(), "C", 100, 100);
    c->setWantFocus(false);
    c->setFocusOnHover(true);
    c->setNavObject(ControlNode::NavUp, id("Up"));
    w.show(scene.get());
    c->setHovered(true);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(c->clone(nullptr, nullptr));
    ControlNode* d = ControlNode::asControlNode(copy.get());
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->getWantFocus());
    EXPECT_TRUE(d->isFocusOnHover());
    EXPECT_EQ(d->getNavObject(ControlNode::NavUp), id("Up"));
    EXPECT_EQ(d->getTemplateName(), id("Button"));
    EXPECT_FALSE(d->isHovered());
    ASSERT_NE(d->getTemplateInstance(), nullptr);
    EXPECT_NE(d->getTemplateInstance(), c->getTemplateInstance());
    EXPECT_EQ(d->getTemplateInstance()->getChildCount(), 1u);
    EXPECT_EQ(d->getChildCount(), 0u);  // the instance is not listed
}

TEST(ControlProperties, SavedNamesAndFlags) {
    auto c = makeRef<ControlNode>(CCreationContext());
    c->setDefaultFocusObject(id("First"));
    auto set = makeRef<CPropertySet>();
    c->saveProperties(set.get());
    EXPECT_EQ(set->getString("DefaultFocusObjectName"), "First");
    EXPECT_LT(set->getPropertyIndex("DefaultFocusObject"), 0);
    EXPECT_GE(set->getPropertyIndex("IsFocusOnHover"), 0);  // written even when false
    EXPECT_LT(set->getPropertyIndex("Enabled"), 0);

    auto loaded = makeRef<ControlNode>(CCreationContext());
    set->addBool("Enabled", false);
    set->addString("NavLeftObjectName", "Left");
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getDefaultFocusObject(), id("First"));
    EXPECT_EQ(loaded->getNavObject(ControlNode::NavLeft), id("Left"));
    EXPECT_FALSE(loaded->isEnabled());
}

}  // namespace
}  // namespace oskel::test

namespace oskel::test {
namespace {

TEST(ControlTemplates, TheInstanceFollowsTheControlFromSceneToSceneAndOut) {
    SceneWorld w;
    auto a = makeScene("A");
    auto b = makeScene("B");
    ControlNode* c = addControl(a.get(), "C", 0, 0);
    w.show(a.get());
    w.manager->switchScene(a.get(), b.get(), -1, -1, true);
    w.step(10);
    BaseNode* image = c->getTemplateInstance()->findChildByName("Image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->getSceneBinding().scheduler, a->getTimerScheduler());

    CRefPtr<BaseNode> keep(c);
    b->addChild(c);
    EXPECT_EQ(c->getScene(), b.get());
    EXPECT_EQ(image->getScene(), b.get());
    EXPECT_EQ(image->getSceneBinding().scheduler, b->getTimerScheduler());
    b->removeChild(c);
    EXPECT_EQ(image->getSceneManager(), nullptr);
    EXPECT_EQ(image->getSceneBinding().scheduler, nullptr);
    EXPECT_EQ(image->getSceneBinding().queue, nullptr);
}

TEST(SceneManagerClone, ACloneHasNoScenes) {
    SceneWorld w;
    auto a = makeScene("A");
    w.show(a.get());
    w.manager->setPosition(vector3df(5, 6, 0));
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(w.manager->clone(nullptr, nullptr));
    ASSERT_TRUE(copy->isKindOf(NodeTypeSceneManager));
    auto* other = static_cast<SceneManager*>(copy.get());
    EXPECT_EQ(other->getChildCount(), 0u);
    EXPECT_EQ(other->getPosition(), vector3df(5, 6, 0));
    EXPECT_EQ(other->getTemplateCollection(), nullptr);
    EXPECT_FALSE(other->isSortEnabled());
    EXPECT_EQ(a->getParent(), w.manager.get());
}

}  // namespace
}  // namespace oskel::test
