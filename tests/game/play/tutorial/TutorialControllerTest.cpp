#include <gtest/gtest.h>

#include <string>

#include "engine/core/event/DeviceEvents.h"
#include "tests/game/play/tutorial/TutorialWorld.h"

namespace brasquel::test {
namespace {

std::string captionOf(const ButtonNode* button) {
    return button ? toUtf8(button->getText().c_str()) : std::string("<none>");
}

// The names of the states a node is put into.
class StateRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventNodeStateStarted)
            states.push_back(CNameId::fromId(static_cast<CEventNodeState*>(event)->getStateId())
                                 .getName()
                                 .c_str());
        return false;
    }
    std::vector<std::string> states;
};

bool hasChild(const BaseNode* parent, const BaseNode* child) {
    for (const BaseNode* c : parent->getChildren())
        if (c == child) return true;
    return false;
}

TEST(TutorialController, BuildsItsHiddenWindowAndArrowLayerOverTheHost) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller("<Hint><Text Value=\"a\"/></Hint>");
    BaseNode* window = tutorial->getWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getParent(), world.host.get());
    EXPECT_FALSE(window->isVisible());
    ASSERT_NE(tutorial->getArrowLayer(), nullptr);
    EXPECT_EQ(tutorial->getArrowLayer()->getParent(), world.host.get());
    EXPECT_FLOAT_EQ(tutorial->getArrowLayer()->getPosition().Z, GTutorialController::ArrowDepth);
    EXPECT_EQ(tutorial->getTextNode(), window->findChildByName("Text", 1));
    EXPECT_EQ(tutorial->getSkipButton(), window->findChildByName("SkipTutorialButton", 1));
    ASSERT_NE(tutorial->getSkipHighlight(), nullptr);
    EXPECT_EQ(tutorial->getSkipHighlight()->getParent(), tutorial->getSkipButton());
    EXPECT_EQ(tutorial->getCategoryMask(), u32(CategoryKeyboard | CategoryMouse | CategoryNode));
    EXPECT_EQ(tutorial->getStepCount(), 1u);
    EXPECT_EQ(tutorial->getRequestReceiver(), &world.requests);
    EXPECT_TRUE(world.tutorial.inputs.empty());
}

TEST(TutorialController, WithoutHostTemplatesOrWindowItStaysInert) {
    TutorialWorld world;
    auto bare = makeRef<TemplateCollectionNode>(world.context(""));
    const struct {
        BaseNode* host;
        TemplateCollectionNode* templates;
        const char* label;
    } cases[] = {{nullptr, world.templates.get(), "no host"},
                 {world.host.get(), nullptr, "no templates"},
                 {world.host.get(), bare.get(), "no window template"}};
    for (const auto& c : cases) {
        const u32 children = world.host->getChildCount();
        auto tutorial = CRefPtr<GTutorialController>::fromRaw(
            new GTutorialController(c.host, c.templates, nullptr));
        CRefPtr<CXmlReader> reader = TutorialWorld::stepFile("<Hint><Text Value=\"a\"/></Hint>");
        EXPECT_FALSE(tutorial->load(reader.get(), &world.requests)) << c.label;
        EXPECT_EQ(tutorial->getRequestReceiver(), &world.requests) << c.label;
        EXPECT_EQ(tutorial->getStepCount(), 0u) << c.label;
        tutorial->start();
        EXPECT_TRUE(world.tutorial.inputs.empty()) << c.label;
        EXPECT_FALSE(tutorial->onEvent(makeEvent<CEventNodePressed>(world.named("X")).get()));
        EXPECT_FALSE(tutorial->update(20)) << c.label;
        tutorial = nullptr;
        // Whatever was built is taken off the host again.
        EXPECT_EQ(world.host->getChildCount(), children) << c.label;
    }
}

TEST(TutorialController, ShowsEachStepsWindowTextSkipButtonAndArrows) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint><Position Value=\"100;200;55\"/><TextPosition Value=\"10;20\"/>"
        "<TextBgType Value=\"1\"/><Text Value=\"%Tut_One%\"/>"
        "<Arrows><Arrow Position=\"5;6\" Rotation=\"90\"/><Arrow Position=\"7;8\"/></Arrows>"
        "<Actions><Action Type=\"Timed\" Time=\"40\"/></Actions></Hint>"
        "<Hint Tip=\"true\"><Position Value=\"300;400\"/><Text Value=\"%Tut_Two%\"/>"
        "<Arrows><Arrow Position=\"9;10\"/></Arrows></Hint>");
    StateRecorder looks;
    tutorial->getTextNode()->addPreReceiver(&looks);
    tutorial->start();
    EXPECT_TRUE(world.tutorial.isListed(tutorial.get()));
    EXPECT_EQ(world.tutorial.priorities, std::vector<s32>{0});
    BaseNode* window = tutorial->getWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->getPosition(), vector3df(100, 200, GTutorialController::WindowDepth));
    TextNode* text = tutorial->getTextNode();
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(text->getPosition(), vector3df(10, 20, GTutorialController::TextDepth));
    EXPECT_EQ(looks.states, std::vector<std::string>{"Type2"});
    ButtonNode* skip = tutorial->getSkipButton();
    EXPECT_TRUE(skip->isVisible());
    EXPECT_FLOAT_EQ(skip->getPosition().Y, 20 + GTutorialController::SkipButtonOffset);
    EXPECT_EQ(captionOf(skip), "%GamePlay_SkipTutorialBtn%");
    EXPECT_EQ(world.tutorial.started("TutorialWindow"), 1u);
    EXPECT_EQ(LotWorld::runningState(window), "NavTo");
    BaseNode* arrows = tutorial->getArrowLayer();
    ASSERT_EQ(arrows->getChildCount(), 2u);
    EXPECT_EQ(arrows->getChildren()[0]->getPosition(), vector3df(5, 6, 0));
    EXPECT_EQ(arrows->getChildren()[0]->getRotation(), vector3df(0, 0, 90));
    EXPECT_EQ(arrows->getChildren()[1]->getPosition(), vector3df(7, 8, 0));
    EXPECT_TRUE(arrows->getChildren()[1]->isVisible());

    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 0);
    EXPECT_TRUE(tutorial->update(20));
    // The tip: the same window moved, its caption changed, its arrows rebuilt, no new cue.
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    EXPECT_TRUE(tutorial->isCurrentStepTip());
    EXPECT_EQ(window->getPosition(), vector3df(300, 400, GTutorialController::WindowDepth));
    EXPECT_EQ(looks.states, (std::vector<std::string>{"Type2", "Type1"}));
    EXPECT_EQ(captionOf(skip), "%GamePlay_SkipTipsBtn%");
    EXPECT_EQ(world.tutorial.started("TutorialWindow"), 1u);
    ASSERT_EQ(arrows->getChildCount(), 1u);
    EXPECT_EQ(arrows->getChildren()[0]->getPosition(), vector3df(9, 10, 0));
    text->removePreReceiver(&looks);
}

TEST(TutorialController, EmptyTextHidesTheWindowUnlessTheStepIsLinnet) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint><Arrows><Arrow Position=\"1;2\"/></Arrows>"
        "<Actions><Action Type=\"Timed\" Time=\"20\"/></Actions></Hint>"
        "<Hint Linnet=\"true\"><Actions><Action Type=\"Timed\" Time=\"20\"/></Actions></Hint>"
        "<Hint><Text Value=\"back\"/></Hint>");
    tutorial->start();
    EXPECT_FALSE(tutorial->getWindow()->isVisible());
    EXPECT_EQ(tutorial->getArrowLayer()->getChildCount(), 1u);
    EXPECT_EQ(world.tutorial.started("TutorialWindow"), 0u);
    // Its action still runs.
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    EXPECT_TRUE(tutorial->getWindow()->isVisible());
    EXPECT_FALSE(tutorial->getTextNode()->isVisible());
    EXPECT_FALSE(tutorial->getSkipButton()->isVisible());
    EXPECT_EQ(tutorial->getArrowLayer()->getChildCount(), 0u);
    EXPECT_EQ(world.tutorial.started("TutorialWindow"), 1u);
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_TRUE(tutorial->getTextNode()->isVisible());
    EXPECT_TRUE(tutorial->getSkipButton()->isVisible());
    EXPECT_EQ(world.tutorial.started("TutorialWindow"), 1u);
}

TEST(TutorialController, UpdateIsTrueOnTheCallThatPassesTheLastStepAndFalseAfter) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint><Text Value=\"a\"/><Arrows><Arrow/></Arrows>"
        "<Actions><Action Type=\"Timed\"/></Actions></Hint>");
    tutorial->start();
    BaseNode* window = tutorial->getWindow();
    BaseNode* arrows = tutorial->getArrowLayer();
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    EXPECT_TRUE(hasChild(world.host.get(), window));
    EXPECT_FALSE(tutorial->update(20));
    EXPECT_FALSE(hasChild(world.host.get(), window));
    EXPECT_FALSE(hasChild(world.host.get(), arrows));
    EXPECT_EQ(tutorial->getWindow(), nullptr);
    EXPECT_FALSE(tutorial->update(20));
    EXPECT_FALSE(tutorial->onEvent(makeEvent<CEventNodePressed>(world.named("A")).get()));
}

TEST(TutorialController, SwitchedOffCategoriesArePassedOverAndEndTheCurrentStep) {
    TutorialWorld world;
    const std::string tips =
        "<Hint Tip=\"true\"><Text Value=\"a\"/></Hint>"
        "<Hint Tip=\"true\"><Text Value=\"b\"/></Hint>";
    CRefPtr<GTutorialController> tipsOnly = world.controller(tips);
    tipsOnly->disableTips();
    tipsOnly->start();
    EXPECT_EQ(tipsOnly->getCurrentIndex(), 2);
    EXPECT_FALSE(tipsOnly->getWindow()->isVisible());
    EXPECT_FALSE(tipsOnly->update(20));
    EXPECT_EQ(tipsOnly->getWindow(), nullptr);

    CRefPtr<GTutorialController> mixed = world.controller(
        "<Hint><Text Value=\"step\"/></Hint>" + tips + "<Hint><Text Value=\"step 2\"/></Hint>");
    mixed->start();
    EXPECT_EQ(mixed->getCurrentIndex(), 0);
    EXPECT_TRUE(mixed->update(20));
    EXPECT_EQ(mixed->getCurrentIndex(), 0);  // a step without actions waits
    mixed->disableTutorialSteps();
    EXPECT_TRUE(mixed->update(20));
    EXPECT_EQ(mixed->getCurrentIndex(), 1);
    EXPECT_TRUE(mixed->isCurrentStepTip());
    mixed->disableTips();
    EXPECT_TRUE(mixed->update(20));
    EXPECT_EQ(mixed->getCurrentIndex(), 4);
    EXPECT_FALSE(mixed->update(20));
}

TEST(TutorialController, SkipPressIsSwallowedWhileTheWindowIsHiddenAndPassedWhileShown) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint><Actions><Action Type=\"MouseClick\"/></Actions></Hint>"
        "<Hint><Text Value=\"b\"/><Actions><Action Type=\"MouseClick\"/></Actions></Hint>");
    tutorial->start();
    BaseNode* skip = world.named("SkipTutorialButton");
    ASSERT_FALSE(tutorial->getWindow()->isVisible());
    EXPECT_TRUE(TutorialWorld::press(tutorial.get(), skip));
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 0);  // the click filter never saw it
    EXPECT_EQ(world.tutorial.started("ButtonMissed"), 0u);
    EXPECT_TRUE(TutorialWorld::press(tutorial.get(), world.named("Other")));
    EXPECT_TRUE(tutorial->update(20));
    ASSERT_TRUE(tutorial->getWindow()->isVisible());
    EXPECT_FALSE(TutorialWorld::press(tutorial.get(), skip));
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
}

TEST(TutorialController, SkipHighlightFollowsTheMouse) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller("<Hint><Text Value=\"a\"/></Hint>");
    ButtonNode* skip = tutorial->getSkipButton();
    // A hit area of the button, as its look would give it.
    BaseNode* area = world.text(skip, "Area", 0, 0);
    tutorial->start();
    for (BaseNode* node : {tutorial->getWindow(), static_cast<BaseNode*>(skip), area})
        node->updateAbsoluteTransform();
    const vector3df at = area->getAbsoluteTransform().getTranslation();
    BaseNode* highlight = tutorial->getSkipHighlight();
    highlight->setVisible(false);
    auto move = [&](f32 x, f32 y) {
        return tutorial->onEvent(
            makeEvent<CEventMouseMove>(static_cast<s32>(x), static_cast<s32>(y)).get());
    };
    EXPECT_FALSE(move(at.X + 5, at.Y + 5));
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_FALSE(move(at.X + 500, at.Y + 5));
    EXPECT_FALSE(highlight->isVisible());
}

TEST(TutorialController, MessageBoxButtonEndsItsStepOnlyAndResumesTheLevel) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint MessageBox=\"true\" Linnet=\"true\"><TextBgType Value=\"1\"/><Text Value=\"a\"/>"
        "<Actions><Action Type=\"ControlPress\" Controls=\"Other\"/></Actions></Hint>"
        "<Hint MessageBox=\"true\"><Text Value=\"b\"/></Hint>");
    tutorial->start();
    BaseNode* button = world.named("Button");
    EXPECT_FALSE(TutorialWorld::press(tutorial.get(), button));
    EXPECT_EQ(world.requests.flags, std::vector<u8>{0});
    EXPECT_EQ(world.tutorial.started("ButtonMissed"), 0u);  // the filter never saw it
    EXPECT_FALSE(tutorial->getStep(0)->Actions[0]->isDone());
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    // The earlier press does not end this one.
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    EXPECT_FALSE(TutorialWorld::press(tutorial.get(), button));
    EXPECT_EQ(world.requests.flags, (std::vector<u8>{0, 0}));
    EXPECT_TRUE(tutorial->update(20));
    EXPECT_EQ(tutorial->getCurrentIndex(), 2);

    // Outside a message box step "Button" is a press like any other.
    CRefPtr<GTutorialController> plain = world.controller(
        "<Hint><Text Value=\"c\"/><Actions><Action Type=\"ControlPress\" Controls=\"X\"/>"
        "</Actions></Hint>",
        false);
    plain->start();
    EXPECT_TRUE(TutorialWorld::press(plain.get(), button));
    EXPECT_EQ(world.tutorial.started("ButtonMissed"), 1u);
    EXPECT_EQ(world.requests.flags, (std::vector<u8>{0, 0}));
}

TEST(TutorialController, StopUnregistersAndClearsWithoutTheStepEndHooks) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial = world.controller(
        "<Hint><Text Value=\"a\"/><Arrows><Arrow/></Arrows>"
        "<Actions><Action Type=\"GeneratePauseRequest\"/></Actions></Hint>");
    tutorial->start();
    EXPECT_EQ(world.requests.flags, std::vector<u8>{1});
    BaseNode* window = tutorial->getWindow();
    BaseNode* arrows = tutorial->getArrowLayer();
    tutorial->stop();
    EXPECT_FALSE(world.tutorial.isListed(tutorial.get()));
    EXPECT_FALSE(hasChild(world.host.get(), window));
    EXPECT_FALSE(hasChild(world.host.get(), arrows));
    EXPECT_EQ(world.requests.flags, std::vector<u8>{1});
    EXPECT_FALSE(tutorial->update(20));
}

TEST(TutorialController, AHostTornDownWithoutStopLeavesNothingFreedInUse) {
    TutorialWorld world;
    CRefPtr<GTutorialController> tutorial =
        world.controller("<Hint><Text Value=\"a\"/><Arrows><Arrow/></Arrows></Hint>");
    tutorial->start();
    ASSERT_TRUE(world.tutorial.isListed(tutorial.get()));
    CRefPtr<GTutorialController> kept = tutorial;
    tutorial = nullptr;
    world.host = nullptr;  // the host goes; the device still lists the controller
    EXPECT_FALSE(kept->onEvent(makeEvent<CEventMouseMove>(5, 5).get()));
    EXPECT_FALSE(TutorialWorld::press(kept.get(), world.named("SkipTutorialButton")));
    EXPECT_TRUE(kept->update(20));
    kept->stop();
    EXPECT_FALSE(world.tutorial.isListed(kept.get()));
    EXPECT_EQ(kept->getWindow(), nullptr);
}

}  // namespace
}  // namespace brasquel::test
