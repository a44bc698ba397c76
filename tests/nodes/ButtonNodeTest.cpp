// Buttons, back buttons, check boxes and message boxes driven by input as the device sends it,
// with templates built in code.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/MessageBoxNode.h"
#include "engine/nodes/TextNode.h"
#include "tests/nodes/ControlWorld.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// The templates: "Button" (a 50 x 20 hit area, a "Text" and an "Image"), "Bare" (a hit area, a
// "Text" of the wrong class and a text node one level too deep).
struct ButtonWorld : ControlWorld {
    ButtonWorld() {
        BaseNode* button = addTemplate("Button", 50, 20);
        addHitNode(button, "Hit", 0, 0, 50, 20);
        addText(button, "Text", 0, 0, 50, 20);
        addSprite(button, "Image", 0, 0);
        BaseNode* bare = addTemplate("Bare", 50, 20);
        addHitNode(bare, "Hit", 0, 0, 50, 20);
        addHitNode(bare, "Text", 0, 0, 10, 10);
        addText(newNode("Inner", bare).get(), "Text", 0, 0, 50, 20);
    }
};

TEST(ButtonNodeTest, OnlyDirectChildrenOfTheRightClassBindAndValuesSurviveATemplateSwap) {
    ButtonWorld w;
    auto* button = addNode<ButtonNode>(w.scene, "Ok", 100, 100);
    CAtlasTexture* image = w.content.frame(atlas::ButtonNormal.name);
    ASSERT_NE(image, nullptr);
    // Set before any template: stored.
    button->setText(L"Play");
    button->setImage(image);
    EXPECT_EQ(button->getTextChild(), nullptr);

    button->setTemplateByName("Button");
    ASSERT_NE(button->getTextChild(), nullptr);
    ASSERT_NE(button->getImageChild(), nullptr);
    EXPECT_EQ(button->getTextChild()->getText(), stringw(L"Play"));
    EXPECT_EQ(button->getImageChild()->getAtlasTexture(), image);

    button->setTemplateByName("Bare");
    EXPECT_EQ(button->getTextChild(), nullptr);  // wrong class at the first level, right one deeper
    EXPECT_EQ(button->getImageChild(), nullptr);
    button->setText(L"Quit");
    EXPECT_EQ(button->getText(), stringw(L"Quit"));

    button->setTemplateByName("Button");
    ASSERT_NE(button->getTextChild(), nullptr);
    EXPECT_EQ(button->getTextChild()->getText(), stringw(L"Quit"));
    EXPECT_EQ(button->getImageChild()->getAtlasTexture(), image);
    button->setImage(nullptr);
    EXPECT_EQ(button->getImageChild()->getAtlasTexture(), nullptr);
}

TEST(ButtonNodeTest, TheButtonTakesTheFocusOnHover) {
    ButtonWorld w;
    auto* button = addNode<ButtonNode>(w.scene, "Ok", 100, 100, "Button");
    auto* plain = addNode<ControlNode>(w.scene, "Plain", 300, 100, "Button");
    w.frame();
    w.move(110, 105);
    EXPECT_TRUE(button->isHovered());
    EXPECT_TRUE(button->isFocused());
    w.move(310, 105);
    EXPECT_TRUE(plain->isHovered());
    EXPECT_FALSE(plain->isFocused());  // a plain control does not
}

// A button inside a text (a message's own OK button) is hovered and pressed like any other.
TEST(ButtonNodeTest, AButtonInsideATextIsPressed) {
    ButtonWorld w;
    auto text = makeRef<TextNode>(CCreationContext());
    text->setNameId(id("Message"));
    text->setPosition(vector3df(80, 80, 0));
    text->setBounds(300, 100);
    w.scene->addChild(text.get());
    auto* button = addNode<ButtonNode>(text.get(), "Ok", 20, 20, "Button");
    w.frame();
    w.record(w.scene, "main", {EventNodePressed});
    w.move(110, 105);
    EXPECT_TRUE(button->isHovered());
    w.click(110, 105);
    w.step(1000);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"main 59 Ok"}));
}

TEST(ButtonNodeTest, TheBackButtonGoesBackOnAnyClickNoticeThatTravelsOn) {
    ButtonWorld w;
    CRefPtr<SceneNode> second = makeScene("Second");
    auto* back = addNode<BackButtonNode>(second.get(), "Back", 100, 100, "Button");
    auto* inner = addNode<ButtonNode>(back, "Inner", 0, 0);
    ASSERT_TRUE(w.scene->switchTo(second.get()));
    w.step(1000);
    ASSERT_EQ(w.content.sceneManager->getCurrentScene(), second.get());
    w.record(second.get(), "second", {EventNodePressed, EventNodeStateStarted});
    w.record(w.scene, "main", {EventNodeSceneSwitchBegin, EventNodeStateStarted});

    // A notice of a control inside the back button counts as well.
    inner->postEvent(inner, DispatchSelfThenParents, makeEvent<CEventNodePressed>(inner).get());
    w.deliver();
    EXPECT_EQ(w.content.sceneManager->getCurrentScene(), w.scene);
    std::vector<std::string> seen;
    for (const std::string& line : w.take())
        if (line.find(" 73 ") == std::string::npos || line.find("Nav") != std::string::npos)
            seen.push_back(line);
    EXPECT_EQ(seen, (std::vector<std::string>{"main 39 Second>Main back", "second 73 NavBackFrom",
                                              "main 73 NavBackTo", "second 59 Inner"}));
}

TEST(ButtonNodeTest, TheBackButtonsOwnClickGoesBackOnce) {
    ButtonWorld w;
    CRefPtr<SceneNode> second = makeScene("Second");
    addNode<BackButtonNode>(second.get(), "Back", 100, 100, "Button");
    ASSERT_TRUE(w.scene->switchTo(second.get()));
    w.step(1000);
    w.record(second.get(), "second", {EventNodePressed});
    w.record(w.scene, "main", {EventNodeSceneSwitchBegin});
    w.click(110, 105);
    w.step(1000);
    EXPECT_EQ(w.content.sceneManager->getCurrentScene(), w.scene);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"main 39 Second>Main back", "second 59 Back"}));
}

// ---- Check boxes ----

std::string stateOf(const CheckBoxNode* box) {
    const BaseNode* hit = box->getTemplateInstance()->findChildByName(id("Hit"), 1);
    const Animator* running = hit ? hit->getRunningAnimator() : nullptr;
    return running ? nameOf(running->getState()) : std::string("-");
}

// A check box template whose hit area has an animator for every state given (each 50 ms).
void addBoxTemplate(ButtonWorld& w, const char* name, const std::vector<const char*>& states) {
    BaseNode* box = w.addTemplate(name, 20, 20);
    HitNode* hit = addHitNode(box, "Hit", 0, 0, 20, 20);
    for (const char* state : states) hit->addState(timedState(state, 50).get());
}

TEST(CheckBoxNodeTest, TheFlagsChooseTheStateThroughTheSubstitutionChains) {
    const std::vector<const char*> all = {
        "Normal",           "Focus",           "NormalHover",        "FocusHover",
        "NormalDisable",    "FocusDisable",    "NormalCheck",        "FocusCheck",
        "NormalCheckHover", "FocusCheckHover", "NormalCheckDisable", "FocusCheckDisable"};
    struct Case {
        bool checked, enabled, focused, hovered;
        const char* full;     // every state there
        const char* minimal;  // only "Normal" and "NormalCheck"
        const char* plain;    // no check state at all
    };
    const Case cases[] = {
        {true, true, true, true, "FocusCheckHover", "NormalCheck", "Normal"},
        {true, true, true, false, "FocusCheck", "NormalCheck", "Normal"},
        {true, true, false, true, "NormalCheckHover", "NormalCheck", "Normal"},
        {true, true, false, false, "NormalCheck", "NormalCheck", "Normal"},
        {true, false, true, false, "FocusCheckDisable", "NormalCheck", "Normal"},
        {true, false, false, true, "NormalCheckDisable", "NormalCheck", "Normal"},
        {false, true, true, true, "FocusHover", "Normal", "Normal"},
        {false, true, true, false, "Focus", "Normal", "Normal"},
        {false, true, false, true, "NormalHover", "Normal", "Normal"},
        {false, true, false, false, "Normal", "Normal", "Normal"},
        {false, false, true, false, "FocusDisable", "Normal", "Normal"},
        {false, false, false, false, "NormalDisable", "Normal", "Normal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.full));
        ButtonWorld w;
        addBoxTemplate(w, "Full", all);
        addBoxTemplate(w, "Minimal", {"Normal", "NormalCheck"});
        addBoxTemplate(w, "Plain", {"Normal"});
        for (const char* templateName : {"Full", "Minimal", "Plain"}) {
            auto* box = addNode<CheckBoxNode>(w.scene, templateName, 100, 100, templateName);
            box->setHovered(c.hovered);
            box->setFocused(c.focused);
            box->setEnabled(c.enabled);
            box->setChecked(c.checked);
            const std::string name = templateName;
            EXPECT_EQ(stateOf(box), name == "Full"      ? c.full
                                    : name == "Minimal" ? c.minimal
                                                        : c.plain)
                << name;
        }
    }
}

TEST(CheckBoxNodeTest, HoverChangesTakeTheTransitionStatesOnlyWhileEnabled) {
    const std::vector<const char*> states = {"NormalHover",      "NormalKillHover",
                                             "FocusHover",       "FocusKillHover",
                                             "NormalCheckHover", "NormalCheckKillHover",
                                             "FocusCheckHover",  "FocusCheckKillHover",
                                             "NormalDisable",    "Normal"};
    struct Case {
        bool checked, focused;
        const char* entered;
        const char* left;
    };
    const Case cases[] = {
        {true, true, "FocusCheckHover", "FocusCheckKillHover"},
        {true, false, "NormalCheckHover", "NormalCheckKillHover"},
        {false, true, "FocusHover", "FocusKillHover"},
        {false, false, "NormalHover", "NormalKillHover"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entered);
        ButtonWorld w;
        addBoxTemplate(w, "Box", states);
        auto* box = addNode<CheckBoxNode>(w.scene, "Box", 100, 100, "Box");
        box->setFocusOnHover(false);
        box->setChecked(c.checked);
        box->setFocused(c.focused);
        box->setHovered(true);
        EXPECT_EQ(stateOf(box), c.entered);
        box->setHovered(false);
        EXPECT_EQ(stateOf(box), c.left);
    }
    // A disabled box ignores the pointer.
    ButtonWorld w;
    addBoxTemplate(w, "Box", states);
    auto* box = addNode<CheckBoxNode>(w.scene, "Box", 100, 100, "Box");
    box->setEnabled(false);
    EXPECT_EQ(stateOf(box), "NormalDisable");
    w.frame();
    w.move(105, 105);
    EXPECT_EQ(stateOf(box), "NormalDisable");
}

TEST(CheckBoxNodeTest, ClicksToggleAndPostValueChangesWhileASecondClickDuringPressIsRefused) {
    // "Press" on a child of its own, and on the child that also shows the check states.
    for (bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "one child" : "two children");
        ButtonWorld w;
        BaseNode* templ = w.addTemplate("Box", 20, 20);
        HitNode* hit = addHitNode(templ, "Hit", 0, 0, 20, 20);
        hit->addState(timedState("Normal", 50).get());
        hit->addState(timedState("NormalCheck", 50).get());
        BaseNode* pressShower =
            shared ? static_cast<BaseNode*>(hit) : addHitNode(templ, "Flash", 0, 0, 1, 1);
        pressShower->addState(timedState("Press", 100).get());
        auto* box = addNode<CheckBoxNode>(w.scene, "Box", 100, 100, "Box");
        box->setFocusOnHover(false);
        w.frame();
        w.record(w.scene, "scene", {EventNodeValueChanged, EventNodePressed});

        box->setChecked(true);
        box->setChecked(false);
        w.deliver();
        EXPECT_TRUE(w.log.empty());  // setChecked posts nothing

        w.click(105, 105);
        EXPECT_TRUE(box->isChecked());
        EXPECT_TRUE(box->isPressRunning());
        w.step(40);
        w.click(105, 105);  // during "Press": refused
        EXPECT_TRUE(box->isChecked());
        w.step(40);
        w.step(40);
        EXPECT_FALSE(box->isPressRunning());  // the latch never strands
        EXPECT_EQ(stateOf(box), "NormalCheck");
        EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 60 Box", "scene 59 Box"}));

        w.click(105, 105);  // after it: accepted
        EXPECT_FALSE(box->isChecked());
        w.step(200);
        EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 60 Box", "scene 59 Box"}));
        EXPECT_FALSE(box->isPressRunning());
    }
}

// ---- Message boxes ----

// "MessageBox2Buttons": a panel with a title, a body and two buttons; "NoTexts": three buttons, a
// plain node between them and no texts.
struct BoxWorld : ButtonWorld {
    BoxWorld() {
        BaseNode* box = addTemplate("MessageBox2Buttons", 200, 100);
        addText(box, "TitleText", 0, 0, 200, 20);
        addText(box, "BodyText", 0, 20, 200, 40);
        addNode<ButtonNode>(box, "Button", 20, 70, "Button");
        addNode<ButtonNode>(box, "Button", 120, 70, "Button");
        BaseNode* bare = addTemplate("NoTexts", 300, 100);
        addNode<ButtonNode>(bare, "Button", 0, 70, "Button");
        addHitNode(bare, "Button", 60, 70, 50, 20);  // not a button
        addNode<ButtonNode>(bare, "Button", 120, 70, "Button");
        addNode<ButtonNode>(bare, "Other", 240, 70, "Button");
        addNode<ButtonNode>(bare, "Button", 180, 70, "Button");
        // Box transitions of their own, so that closing takes time.
        addHitNode(box, "Shade", 0, 0, 1, 1)->addState(timedState("NavBackFrom", 100).get());
        addHitNode(bare, "Back", 0, 0, 1, 1)->addState(timedState("NavBackFrom", 100).get());
    }
    MessageBoxNode* show(const char* templateName, const array<stringw>& captions) {
        SceneNode* box = scene->showMessageBox(id(templateName), captions, L"Title", L"Body");
        if (!box) return nullptr;
        EXPECT_TRUE(box->isKindOf(NodeTypeMessageBox));
        EXPECT_EQ(box->getClassName(), stringw(L"MessageBoxNode"));
        step(1000);
        return static_cast<MessageBoxNode*>(box);
    }
};

array<stringw> captions(std::initializer_list<const wchar_t*> texts) {
    array<stringw> result;
    for (const wchar_t* t : texts) result.push_back(t);
    return result;
}

TEST(MessageBoxNodeTest, TheDefaultCreatorShowsTheBoxAndTheResultFollowsChildOrder) {
    for (s32 pressed : {0, 1}) {
        SCOPED_TRACE(pressed);
        BoxWorld w;
        w.content.sceneManager->setMessageBoxCreator(nullptr);  // the registration's default
        w.record(w.scene, "main", {EventNodeMessageBoxResult});
        CRefPtr<MessageBoxNode> box(w.show("MessageBox2Buttons", captions({L"Yes", L"No"})));
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->getButtonCount(), 2u);
        EXPECT_EQ(box->getTitleNode()->getText(), stringw(L"Title"));
        EXPECT_EQ(box->getBodyNode()->getText(), stringw(L"Body"));
        EXPECT_EQ(box->getButton(1)->getText(), stringw(L"No"));
        EXPECT_FALSE(w.scene->isFocused());
        // Centred on the owner (800 x 600).
        EXPECT_FLOAT_EQ(box->getPosition().X, 300.0f);
        EXPECT_FLOAT_EQ(box->getPosition().Y, 250.0f);

        const vector3df at = box->getButton(static_cast<u32>(pressed))->getPosition();
        w.click(static_cast<s32>(300 + at.X + 5), static_cast<s32>(250 + at.Y + 5));
        w.step(10);
        EXPECT_TRUE(box->isClosing());
        // A press on the other button while the box closes changes nothing.
        ButtonNode* other = box->getButton(static_cast<u32>(1 - pressed));
        EXPECT_FALSE(box->onEvent(makeEvent<CEventNodePressed>(other).get()));
        w.step(200);
        w.step(10);
        EXPECT_EQ(w.take(), (std::vector<std::string>{"main 40 " + std::to_string(pressed)}));
        EXPECT_EQ(w.content.sceneManager->getCurrentScene(), w.scene);
    }
}

TEST(MessageBoxNodeTest, MissingCaptionsAreEmptyAndOnlyButtonsNamedButtonCount) {
    BoxWorld w;
    w.content.sceneManager->setMessageBoxCreator(nullptr);
    CRefPtr<MessageBoxNode> box(w.show("NoTexts", captions({L"A", L"B"})));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->getButtonCount(), 3u);
    EXPECT_EQ(box->getButton(0)->getText(), stringw(L"A"));
    EXPECT_EQ(box->getButton(1)->getText(), stringw(L"B"));
    EXPECT_EQ(box->getButton(2)->getText(), stringw(L""));
    EXPECT_EQ(box->getButton(2)->getPosition().X, 180.0f);  // the last "Button" in child order
    EXPECT_EQ(box->getTitleNode(), nullptr);
    EXPECT_EQ(box->getTitleText(), stringw(L"Title"));  // stored, not shown
    // A press of a node of the box that is none of its buttons is not handled.
    BaseNode* other = box->getTemplateInstance()->findChildByName(id("Other"), 1);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(box->onEvent(makeEvent<CEventNodePressed>(other).get()));
    EXPECT_FALSE(box->isClosing());
    // The result is the index among the buttons.
    w.record(w.scene, "main", {EventNodeMessageBoxResult});
    EXPECT_TRUE(box->onEvent(makeEvent<CEventNodePressed>(box->getButton(2)).get()));
    w.step(200);
    w.step(10);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"main 40 2"}));
}

TEST(MessageBoxNodeTest, AnUnknownTemplateShowsNothing) {
    BoxWorld w;
    w.content.sceneManager->setMessageBoxCreator(nullptr);
    EXPECT_EQ(w.scene->showMessageBox(id("NoSuchBox"), captions({L"Ok"}), L"", L""), nullptr);
    EXPECT_EQ(w.content.sceneManager->getCurrentScene(), w.scene);
}

}  // namespace
