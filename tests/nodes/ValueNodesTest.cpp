// Progress bars, sliders and edit fields: their geometry, their values and their keys, with
// templates built in code and input as the device sends it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodes/EditNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SliderNode.h"
#include "engine/properties/CPropertySet.h"
#include "tests/nodes/ControlWorld.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// ---- Progress bars ----

TEST(ProgressBarNodeTest, SettersKeepTheRange) {
    struct Case {
        const char* call;
        f32 argument;
        f32 min, max, value;
    };
    const Case cases[] = {
        {"min", 100, 0, 100, 50},  // not below the maximum: ignored
        {"max", 0, 0, 100, 50},    // not above the minimum: ignored
        {"max", 40, 0, 40, 40},    // lowers the value
        {"min", 60, 60, 100, 60},  // raises the value
        {"value", 150, 0, 100, 100}, {"value", -5, 0, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.argument));
        auto bar = makeRef<ProgressBarNode>(CCreationContext());
        const std::string call = c.call;
        if (call == "min") bar->setMinValue(c.argument);
        if (call == "max") bar->setMaxValue(c.argument);
        if (call == "value") bar->setValue(c.argument);
        EXPECT_FLOAT_EQ(bar->getMinValue(), c.min);
        EXPECT_FLOAT_EQ(bar->getMaxValue(), c.max);
        EXPECT_FLOAT_EQ(bar->getValue(), c.value);
    }
}

struct BarWorld : ControlWorld {
    // A bar template of the area's size, the knob at the area's corner.
    ProgressBarNode* makeBar(f32 w, f32 h) {
        BaseNode* templ = addTemplate("Bar", w, h);
        addHitNode(templ, "SlidingArea", 10, 5, w, h);
        addHitNode(templ, "Knob", 10, 5, w, h);
        auto* bar = addNode<ProgressBarNode>(scene, "Bar", 0, 0);
        bar->setKnobType(ProgressBarNode::KnobFill);
        bar->setValue(25);
        bar->setTemplateByName("Bar");
        return bar;
    }
};

TEST(ProgressBarNodeTest,
     TheFillFollowsTheValueAlongTheLongSideAndALoadedValueOutsideDrawsAFullBar) {
    struct Case {
        f32 w, h;
        vector3df knob;  // bounds at 25 of 100
    };
    const Case cases[] = {{200, 10, {50, 10, 0}}, {40, 40, {10, 40, 0}}, {10, 200, {10, 50, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        BarWorld w;
        ProgressBarNode* bar = w.makeBar(c.w, c.h);
        BaseNode* knob = bar->getKnob();
        ASSERT_NE(knob, nullptr);
        EXPECT_FLOAT_EQ(knob->getBounds().X, c.knob.X);
        EXPECT_FLOAT_EQ(knob->getBounds().Y, c.knob.Y);
        EXPECT_FLOAT_EQ(knob->getPosition().X, 10.0f);
        EXPECT_FLOAT_EQ(knob->getPosition().Y, 5.0f);
    }
    // A scene file's 500 loads as it stands and draws a full bar, never past the area.
    BarWorld w;
    ProgressBarNode* bar = w.makeBar(200, 10);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addFloat("Value", 500);
    bar->loadProperties(set.get());
    EXPECT_FLOAT_EQ(bar->getValue(), 500.0f);
    bar->setTemplateByName("Bar");
    EXPECT_FLOAT_EQ(bar->getKnob()->getBounds().X, 200.0f);
    set = makeRef<CPropertySet>();
    set->addFloat("Value", -300);
    bar->loadProperties(set.get());
    bar->setTemplateByName("Bar");
    EXPECT_FLOAT_EQ(bar->getKnob()->getBounds().X, 0.0f);
    bar->setValue(bar->getValue());
    EXPECT_FLOAT_EQ(bar->getValue(), 0.0f);  // the next setter clamps
}

// ---- Sliders ----

// A slider at (100, 100) whose template has an area at (10, 0) of the size and a knob; a "Grip"
// beside the area belongs to the slider but is no part of it.
struct SliderWorld : ControlWorld {
    SliderNode* makeSlider(s32 type, f32 w, f32 h, f32 knobW, f32 knobH, f32 min = 0,
                           f32 max = 100) {
        BaseNode* templ = addTemplate("Slider", w + 40, h);
        addHitNode(templ, "SlidingArea", 10, 0, w, h);
        addHitNode(templ, "Knob", 10, 0, knobW, knobH);
        addHitNode(templ, "Grip", w + 15, 0, 20, 20);
        auto* slider = addNode<SliderNode>(scene, "Slider", 100, 100);
        slider->setKnobType(type);
        slider->setMinValue(min);
        slider->setMaxValue(max);
        slider->setTemplateByName("Slider");
        frame();
        record(scene, "scene", {EventNodeValueChanged});
        return slider;
    }
};

TEST(SliderNodeTest, KnobPlacesAndPointsToValuesPerKnobType) {
    struct Case {
        s32 type;
        f32 max, extent, value;
        f32 knobX, knobLength;  // relative to the area
        f32 pressX;             // local x in the area
        f32 pressedValue;
    };
    const Case cases[] = {
        {SliderNode::KnobHandle, 100, 0, 50, 90, 20, 100, 50},
        {SliderNode::KnobHandle, 100, 0, 50, 90, 20, 5, 0},
        {SliderNode::KnobHandle, 100, 0, 50, 90, 20, 195, 100},
        {SliderNode::KnobThumb, 10, 2, 4, 120, 60, 150, 4},
        {SliderNode::KnobThumb, 10, 0.5f, 4, 120, 25, 299, 10},
        {SliderNode::KnobFill, 100, 10, 50, 0, 150, 299.9f, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " at " + std::to_string(c.pressX));
        SliderWorld w;
        const f32 areaLength = c.type == SliderNode::KnobHandle ? 200 : 300;
        SliderNode* slider = w.makeSlider(c.type, areaLength, 20, 20, 20, 0, c.max);
        slider->setKnobExtent(c.extent);
        slider->setValue(c.value);
        BaseNode* knob = slider->getKnob();
        EXPECT_FLOAT_EQ(knob->getPosition().X, 10 + c.knobX);
        EXPECT_FLOAT_EQ(knob->getBounds().X, c.knobLength);
        EXPECT_FLOAT_EQ(knob->getBounds().Y, 20.0f);  // the other axis stays
        slider->setValueFromPoint(vector2df(110 + c.pressX, 110));
        EXPECT_NEAR(slider->getValue(), c.pressedValue, 1e-3f);
    }
}

TEST(SliderNodeTest, ADragPostsOneChangePerChangingEventAndStopsOffTheSlider) {
    SliderWorld w;
    SliderNode* slider = w.makeSlider(SliderNode::KnobHandle, 200, 20, 20, 20);
    w.down(110 + 100, 110);  // the knob's middle at 50: no change
    EXPECT_TRUE(slider->isPressed());
    w.move(110 + 110, 110);  // 55
    w.move(110 + 110, 112);  // the same value
    w.move(110 + 30, 110);   // lower
    const f32 dragged = slider->getValue();
    EXPECT_NEAR(dragged, 100.0f * 20.0f / 180.0f, 1e-3f);
    w.move(110 + 100, 300);  // off the slider: no change
    EXPECT_FLOAT_EQ(slider->getValue(), dragged);
    w.up(110 + 100, 300);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 60 Slider", "scene 60 Slider"}));

    // A press on the grip focuses and presses without a change.
    w.down(100 + 215 + 5, 105);
    EXPECT_TRUE(slider->isFocused());
    EXPECT_FLOAT_EQ(slider->getValue(), dragged);
    w.up(100 + 215 + 5, 105);
    EXPECT_TRUE(w.take().empty());
}

TEST(SliderNodeTest, KeysFollowTheOrientation) {
    struct Case {
        bool horizontal;
        u32 key;
        f32 from, to;
        bool consumed;
    };
    const Case cases[] = {
        {true, VirtualKeyLeft, 50, 45, true},   {true, VirtualKeyRight, 50, 55, true},
        {true, VirtualKeyUp, 50, 50, false},    {true, VirtualKeyRight, 100, 100, false},
        {true, VirtualKeyHome, 50, 0, true},    {true, VirtualKeyEnd, 50, 100, true},
        {false, VirtualKeyUp, 50, 55, true},    {false, VirtualKeyDown, 50, 45, true},
        {false, VirtualKeyLeft, 50, 50, false}, {false, VirtualKeyDown, 0, 0, false},
        {false, VirtualKeyEnd, 50, 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.horizontal ? "horizontal" : "vertical") + " key " +
                     std::to_string(c.key));
        SliderWorld w;
        SliderNode* slider = c.horizontal ? w.makeSlider(SliderNode::KnobHandle, 200, 20, 20, 20)
                                          : w.makeSlider(SliderNode::KnobHandle, 20, 200, 20, 20);
        slider->setValue(c.from);
        auto key = makeRef<CEventKeyboardKeyDown>(u16(0), c.key, false, false);
        EXPECT_EQ(slider->onKeyDown(key.get()), c.consumed);
        EXPECT_FLOAT_EQ(slider->getValue(), c.to);
        w.deliver();
        EXPECT_EQ(w.take().size(), c.to != c.from ? 1u : 0u);
    }
}

// ---- Edit fields ----

// An edit field at (100, 100) whose template holds a "Text" of the size with a "Cursor"; its
// guard reads a clock the test moves.
struct EditWorld : ControlWorld {
    EditNode* makeEdit(f32 w = 300, f32 h = 14, s32 align = TextNode::HAlignLeft,
                       bool wrap = false) {
        BaseNode* templ = addTemplate("Edit", w, h);
        addHitNode(templ, "Hit", 0, 0, w, h);
        TextNode* text = addText(templ, "Text", 0, 0, w, h);
        text->setTextHAlign(align);
        text->setWordWrap(wrap);
        addHitNode(text, "Cursor", 0, 0, 2, 12);
        auto* edit = addNode<EditNode>(scene, "Edit", 100, 100);
        edit->setClock(&clock);
        edit->setTemplateByName("Edit");
        edit->setFocused(true);
        now += 1000;
        frame();
        record(scene, "scene", {EventNodeValueChanged});
        return edit;
    }
    vector3df cursor(EditNode* edit) { return edit->getCursor()->getPosition(); }

    uint64_t now = 5000;
    SteppedClock clock{&now};
};

TEST(EditNodeTest, TheMaskDecidesWhatTypingInsertsAndTheRestGoesToNavigation) {
    struct Case {
        const char* mask;
        const wchar_t* typed;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"0", L"a1b2 3", L"123"},
        {"A", L"ab1\u00e9\u00df c", L"ab\u00e9\u00dfc"},
        {"A", L"a\rb", L"ab"},
        {"AR", L"a\rb", L"a\nb"},
        {"0S", L"1 2\t3", L"1 2\t3"},
        {"",
         L"a\x1b\x01"
         L"b\t1",
         L"ab\t1"},  // Escape and Ctrl+A go on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        EditWorld w;
        EditNode* edit = w.makeEdit(300, 60);
        edit->setInputMask(c.mask);
        const std::vector<bool> consumed = w.type(c.typed);
        for (u32 k = 0; k < consumed.size(); ++k)
            if (c.typed[k] == 0x1b || c.typed[k] == 0x01) {
                EXPECT_FALSE(consumed[k]);
            }
        EXPECT_EQ(edit->getText(), stringw(c.text));
    }
}

TEST(EditNodeTest, TheLimitTheGuardAndDeletingAtTheEnd) {
    EditWorld w;
    EditNode* edit = w.makeEdit();
    edit->setMaxTextLength(4);
    w.type(L"abcd");
    w.take();
    w.type(L"e");  // at the limit: nothing, no 60
    EXPECT_EQ(edit->getText(), stringw(L"abcd"));
    EXPECT_TRUE(w.take().empty());
    w.key(VirtualKeyDelete);  // at the end: nothing changes, still 60
    EXPECT_EQ(edit->getText(), stringw(L"abcd"));
    w.key(VirtualKeyBackspace);
    EXPECT_EQ(edit->getText(), stringw(L"abc"));
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 60 Edit", "scene 60 Edit"}));

    // Within 100 ms of setText keys are swallowed.
    edit->setText(L"new");
    w.now += 99;
    EXPECT_EQ(w.type(L"x"), std::vector<bool>{true});
    EXPECT_EQ(edit->getText(), stringw(L"new"));
    w.now += 1;
    w.key(VirtualKeyEnd);
    w.type(L"x");
    EXPECT_EQ(edit->getText(), stringw(L"newx"));
}

TEST(EditNodeTest, TheCaretMovesAcrossLinesAndStaysBeforeTheFirstCharacter) {
    EditWorld w;
    EditNode* edit = w.makeEdit(300, 60);
    edit->setInputMask("AR");
    w.now += 1000;
    w.type(L"ab\rcd");
    ASSERT_EQ(edit->getTextChild()->getLineCount(), 2u);
    EXPECT_EQ(edit->getCaretLine(), 1);
    EXPECT_EQ(edit->getCaretColumn(), 1);
    w.key(VirtualKeyHome);
    EXPECT_EQ(edit->getCaretColumn(), -1);
    w.key(VirtualKeyLeft);  // to the end of the line before
    EXPECT_EQ(edit->getCaretLine(), 0);
    EXPECT_EQ(edit->getCaretColumn(), 1);
    w.key(VirtualKeyHome);
    w.key(VirtualKeyLeft);  // line 0, column -1: stays
    EXPECT_EQ(edit->getCaretLine(), 0);
    EXPECT_EQ(edit->getCaretColumn(), -1);
    w.type(L"x");
    EXPECT_EQ(edit->getText(), stringw(L"xab\ncd"));
    w.key(VirtualKeyEnd);
    w.key(VirtualKeyRight);  // on to the next line's start
    EXPECT_EQ(edit->getCaretLine(), 1);
    EXPECT_EQ(edit->getCaretColumn(), -1);
    w.key(VirtualKeyBackspace);  // joins the lines: the caret where the first ended
    EXPECT_EQ(edit->getText(), stringw(L"xabcd"));
    EXPECT_EQ(edit->getCaretLine(), 0);
    EXPECT_EQ(edit->getCaretColumn(), 2);
    // Up on the first line goes to navigation.
    EXPECT_FALSE(w.key(VirtualKeyUp));
}

TEST(EditNodeTest, TheCursorEndsAtEachTypedCharacterAlsoInCentredFieldsWithBlanks) {
    for (s32 align : {TextNode::HAlignLeft, TextNode::HAlignCenter}) {
        SCOPED_TRACE(align);
        EditWorld w;
        EditNode* edit = w.makeEdit(200, 60, align, true);
        edit->setInputMask("");
        const wchar_t* typed = L"ab c\rd  e\rf";
        for (const wchar_t* ch = typed; *ch; ++ch) {
            const wchar_t one[2] = {*ch, 0};
            w.type(one);
            TextNode* text = edit->getTextChild();
            const s32 line = edit->getCaretLine();
            const s32 column = edit->getCaretColumn();
            const vector3df at = w.cursor(edit);
            EXPECT_FLOAT_EQ(at.Y, text->getLineTop(line));
            if (*ch == L'\r') {
                EXPECT_EQ(column, -1);
                EXPECT_FLOAT_EQ(at.X, text->getLineLeft(line));
            } else if (*ch != L' ') {
                // The caret follows the typed character.
                EXPECT_EQ(text->getLine(static_cast<u32>(line))[static_cast<u32>(column)], *ch);
                EXPECT_FLOAT_EQ(at.X, text->getCharRect(line, column).LowerRightCorner.X);
            }
        }
        EXPECT_EQ(edit->getText(), stringw(L"ab c\nd  e\nf"));
        EXPECT_EQ(edit->getTextChild()->getLineCount(), 3u);
    }
}

TEST(EditNodeTest, TypedTextShowsAsTypedAndAClickPlacesTheCaret) {
    EditWorld w;
    w.content.writeText("strings/Texts.xml",
                        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Dictionary><s "
                        "n=\"Yes\">Oui</s></Dictionary>\n");
    ASSERT_TRUE(w.content.dictionary->load(stringc("strings/Texts.xml")));
    EditNode* edit = w.makeEdit();
    w.type(L"%Yes%");
    EXPECT_EQ(edit->getTextChild()->getDisplayText(), stringw(L"%Yes%"));
    w.type(L"!");
    EXPECT_EQ(edit->getText(), stringw(L"%Yes%!"));

    // A click right of the second character puts the caret after it.
    const rectf second = edit->getTextChild()->getCharRect(0, 1);
    w.click(100 + static_cast<s32>(second.LowerRightCorner.X) - 1, 105);
    EXPECT_EQ(edit->getCaretColumn(), 1);
    EXPECT_FLOAT_EQ(w.cursor(edit).X, second.LowerRightCorner.X);
}

// ---- Keys the controls leave ----

TEST(ControlKeysTest, KeysAControlLeavesMoveTheFocusToItsNamedNeighbour) {
    struct Case {
        const char* control;
        u32 key;
        ControlNode::ENavDirection direction;
    };
    const Case cases[] = {
        {"slider", VirtualKeyLeft, ControlNode::NavLeft},  // a vertical slider
        {"list", VirtualKeyRight, ControlNode::NavRight},  // a column list
        {"edit", VirtualKeyUp, ControlNode::NavUp},        // the first line
        {"edit", VirtualKeyDown, ControlNode::NavDown},    // the last line
        {"masked", 'A', ControlNode::NavRight},  // a letter in a digits-only field: no arrow, stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        EditWorld w;
        const std::string kind = c.control;
        BaseNode* button = w.addTemplate("Button", 50, 20);
        addHitNode(button, "Hit", 0, 0, 50, 20);
        BaseNode* track = w.addTemplate("Track", 20, 200);
        addHitNode(track, "SlidingArea", 0, 0, 20, 200);
        addHitNode(track, "Knob", 0, 0, 20, 20);
        auto* neighbour = addNode<ControlNode>(w.scene, "Neighbour", 600, 100, "Button");
        ControlNode* control = nullptr;
        if (kind == "slider") control = addNode<SliderNode>(w.scene, "Control", 100, 100, "Track");
        if (kind == "list") {
            auto* list = addNode<ListNode>(w.scene, "Control", 100, 100);
            list->setItemsCount(3);
            control = list;
        }
        if (kind == "edit" || kind == "masked") {
            EditNode* edit = w.makeEdit();
            if (kind == "masked") edit->setInputMask("0");
            control = edit;
        }
        ASSERT_NE(control, nullptr);
        control->setNavObject(c.direction, id("Neighbour"));
        control->setFocused(true);
        w.frame();
        w.key(c.key, kind == "masked" ? u16('a') : u16(0));
        // Only arrows travel; other keys a control leaves change nothing.
        EXPECT_EQ(neighbour->isFocused(), kind != "masked");
        EXPECT_EQ(control->isFocused(), kind == "masked");
    }
}

}  // namespace
