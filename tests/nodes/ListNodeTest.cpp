// Lists and tab scenes driven by input as the device sends it, with templates built in code.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/SliderNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/properties/CPropertySet.h"
#include "tests/nodes/ControlWorld.h"

using namespace oskel;
using namespace oskel::test;

namespace {

const std::vector<u32> kListNotices = {EventNodeValueChanged, EventNodeListSelectionChanged,
                                       EventNodeListItemPressed, EventNodeListItemChecked,
                                       EventNodeListItemHovered};

// The list template "List": an "Element" button of 100 x 20 (its look from "Item") with a "Text",
// a "PrevButton" and a "NextButton" right of the elements and a vertical "Slider".
struct ListWorld : ControlWorld {
    explicit ListWorld(f32 elementWidth = 100, f32 elementHeight = 20) {
        BaseNode* button = addTemplate("Button", 50, 20);
        addHitNode(button, "Hit", 0, 0, 50, 20);
        BaseNode* item = addTemplate("Item", 100, 20);
        addHitNode(item, "Hit", 0, 0, elementWidth, elementHeight);
        BaseNode* other = addTemplate("OtherItem", 100, 20);
        addHitNode(other, "Hit", 0, 0, elementWidth, elementHeight);
        BaseNode* track = addTemplate("Track", 10, 80);
        addHitNode(track, "SlidingArea", 0, 0, 10, 80);
        addHitNode(track, "Knob", 0, 0, 10, 10);

        BaseNode* list = addTemplate("List", 100, 80);
        auto* element = addNode<ButtonNode>(list, "Element", 0, 0, "Item");
        element->setBounds(elementWidth, elementHeight);
        addText(element, "Text", 0, 0, 100, 20);
        addNode<ButtonNode>(list, "PrevButton", 210, 0, "Button");
        addNode<ButtonNode>(list, "NextButton", 210, 30, "Button");
        addNode<SliderNode>(list, "Slider", 270, 0, "Track");
    }
    // A list at (100, 100) of the bounds, with the items, its template bound.
    ListNode* makeList(u32 items, f32 width = 100, f32 height = 80, bool circular = false,
                       s32 orientation = 0) {
        auto* list = addNode<ListNode>(scene, "List", 100, 100);
        list->setBounds(width, height);
        list->setCircular(circular);
        list->setOrientation(orientation);
        array<stringw> strings;
        for (u32 i = 0; i < items; ++i) strings.push_back(stringw(std::to_wstring(i).c_str()));
        list->setStrings(strings);
        list->setTemplateByName("List");
        frame();
        record(scene, "scene", kListNotices);
        return list;
    }
};

// The item texts the elements show, "-" for a hidden element.
std::vector<std::string> shown(const ListNode* list) {
    std::vector<std::string> texts;
    for (u32 k = 0; k < list->getElementCount(); ++k) {
        BaseNode* element = list->getElement(k);
        if (!element->isVisible()) {
            texts.push_back("-");
            continue;
        }
        const TextNode* text = asTextNode(element->findChildByName(id("Text"), 1));
        texts.push_back(text ? stringc(text->getText()).c_str() : "?");
    }
    return texts;
}

TEST(ListNodeTest, IndexRules) {
    ListWorld w;
    ListNode* list = w.makeList(10, 100, 80, true);
    ASSERT_EQ(list->getElementCount(), 4u);
    struct WrapCase {
        bool circular;
        s32 index, wrapped;
    };
    const WrapCase wraps[] = {{true, -1, 9},  {true, -10, 0}, {true, -11, 9}, {true, -20, 0},
                              {true, 10, 0},  {true, 23, 3},  {false, -1, 0}, {false, -10, 0},
                              {false, 12, 9}, {false, 4, 4}};
    for (const WrapCase& c : wraps) {
        list->setCircular(c.circular);
        EXPECT_EQ(list->wrapIndex(c.index), c.wrapped)
            << c.index << (c.circular ? " circular" : "");
    }
    // Circular 10 on 4 from item 8: items 8, 9, 0, 1.
    list->setCircular(true);
    list->setTopItem(8);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"8", "9", "0", "1"}));
    EXPECT_EQ(list->elementOfItem(0), 2);
    EXPECT_EQ(list->elementOfItem(9), 1);
    EXPECT_EQ(list->elementOfItem(2), -1);
    EXPECT_EQ(list->itemOfElement(3), 1);
    // Not circular: the top is clamped so the last line stays at the bottom.
    list->setCircular(false);
    list->setTopItem(100);
    EXPECT_EQ(list->getTopItem(), 6);
    list->setTopItem(-3);
    EXPECT_EQ(list->getTopItem(), 0);
    // Elements that show every item keep the top at 0; the extra ones are hidden.
    list->setStrings(array<stringw>());
    list->setItemsCount(3);
    list->setCircular(true);
    list->setTopItem(2);
    EXPECT_EQ(list->getTopItem(), 0);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"", "", "", "-"}));
}

TEST(ListNodeTest, KeysFollowTheOrientation) {
    struct Case {
        s32 orientation;
        f32 width, height;
        u32 key;
        s32 from, to;
        bool consumed;
    };
    const Case cases[] = {
        {ListNode::OrientationColumn, 100, 80, VirtualKeyDown, 0, 1, true},
        {ListNode::OrientationColumn, 100, 80, VirtualKeyUp, 0, 0,
         false},  // first item, not circular
        {ListNode::OrientationColumn, 100, 80, VirtualKeyRight, 2, 2, false},
        {ListNode::OrientationColumn, 100, 80, VirtualKeyDown, 3, 4, true},  // scrolls
        {ListNode::OrientationRow, 400, 20, VirtualKeyRight, 0, 1, true},
        {ListNode::OrientationRow, 400, 20, VirtualKeyDown, 0, 0, false},
        {ListNode::OrientationGridColumns, 300, 80, VirtualKeyRight, 1, 5,
         true},  // one column of 4
        {ListNode::OrientationGridColumns, 300, 80, VirtualKeyDown, 1, 2, true},
        {ListNode::OrientationGridRows, 300, 80, VirtualKeyDown, 1, 4, true},  // one row of 3
        {ListNode::OrientationGridRows, 300, 80, VirtualKeyRight, 1, 2, true},
        {ListNode::OrientationGridRows, 300, 80, VirtualKeyLeft, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.orientation) + " key " + std::to_string(c.key) + " from " +
                     std::to_string(c.from));
        ListWorld w;
        ListNode* list = w.makeList(20, c.width, c.height, false, c.orientation);
        list->setSelectedItem(c.from, true);
        auto key = makeRef<CEventKeyboardKeyDown>(u16(0), c.key, false, false);
        EXPECT_EQ(list->onKeyDown(key.get()), c.consumed);
        EXPECT_EQ(list->getSelectedItem(), c.to);
        const s32 element = list->elementOfItem(c.to);
        EXPECT_TRUE(element >= 0 && element < static_cast<s32>(list->getElementCount()));
    }
}

TEST(ListNodeTest, AnElementClickGivesPressedThenValueChangedAndTheSetterOnlySelectionChanged) {
    ListWorld w;
    ListNode* list = w.makeList(10);
    w.take();
    w.click(150, 145);  // element 2
    w.step(10);
    EXPECT_EQ(list->getSelectedItem(), 2);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 64 2", "scene 62 2", "scene 60 List"}));
    list->setSelectedItem(5, false);
    w.deliver();
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 61 5"}));
    // A click on the selected item: 62 only.
    list->setSelectedItem(2, true);
    w.deliver();
    w.take();
    w.click(150, 145);
    w.step(10);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 62 2"}));
}

TEST(ListNodeTest, ButtonsScrollAStepAndTheSliderFollowsBothWays) {
    ListWorld w;
    ListNode* list = w.makeList(20, 300, 80, false, ListNode::OrientationGridRows);
    ASSERT_EQ(list->getColumns(), 3);
    ASSERT_NE(list->getSlider(), nullptr);
    w.click(315, 135);  // next: one row of 3
    w.step(10);
    EXPECT_EQ(list->getTopItem(), 3);
    EXPECT_FLOAT_EQ(list->getSlider()->getValue(), 1.0f);
    EXPECT_FLOAT_EQ(list->getSlider()->getMaxValue(), 7.0f);  // 20 items in rows of 3
    EXPECT_FLOAT_EQ(list->getSlider()->getKnobExtent(), 4.0f);
    w.click(315, 105);  // previous
    w.step(10);
    EXPECT_EQ(list->getTopItem(), 0);

    // The slider moved to 2.7 lines of 3: item 6 on top.
    list->getSlider()->setValue(2.7f);
    list->getSlider()->postEventToParent(
        DispatchSelfThenParents, makeEvent<CEventNodeValueChanged>(list->getSlider()).get());
    w.deliver();
    EXPECT_EQ(list->getTopItem(), 6);
    EXPECT_FLOAT_EQ(list->getSlider()->getValue(), 2.0f);
    EXPECT_EQ(list->getSelectedItem(), 0);  // not selecting while listing
}

TEST(ListNodeTest, HoverOfAnElementGivesItsItemAndEveryElementSeesAnEventOnce) {
    ListWorld w;
    ListNode* list = w.makeList(10);
    list->selectItem(5);
    EXPECT_EQ(list->getTopItem(), 5);
    w.deliver();
    std::vector<std::string> moves;
    NoticeRecorder counter(moves, "element", {EventMouseMove});
    list->getElement(1)->addPreReceiver(&counter);
    w.take();
    w.move(150, 125);
    EXPECT_EQ(moves, (std::vector<std::string>{"element 21 150,125"}));
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 64 6"}));
    list->getElement(1)->removePreReceiver(&counter);

    // An empty list: no 64, the buttons change nothing.
    ListWorld empty;
    ListNode* none = empty.makeList(0);
    empty.take();
    empty.move(150, 125);
    empty.click(315, 135);
    empty.step(10);
    EXPECT_EQ(empty.take(), std::vector<std::string>{});
    EXPECT_EQ(none->getTopItem(), 0);
    EXPECT_EQ(shown(none), (std::vector<std::string>{"-", "-", "-", "-"}));
}

TEST(ListNodeTest, ItemsWithoutATemplateTakeTheElementsOwn) {
    ListWorld w;
    ListNode* list = w.makeList(4);
    list->setItemTemplate(1, id("OtherItem"));
    list->refreshElements();
    auto templateOf = [list](u32 k) {
        return ControlNode::asControlNode(list->getElement(k))->getTemplateName();
    };
    EXPECT_EQ(templateOf(0), id("Item"));
    EXPECT_EQ(templateOf(1), id("OtherItem"));
    EXPECT_EQ(templateOf(2), id("Item"));
    // Elements stay clickable with the element template's look.
    w.click(150, 105);
    w.step(10);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"scene 64 0", "scene 62 0"}));
}

TEST(ListNodeTest, ElementsWithoutSizeOrTinyOnesStayFewAndTheSelectionLoadsAgainstTheItemsPresent) {
    {
        ListWorld w(0, 0);
        ListNode* list = w.makeList(5);
        EXPECT_EQ(list->getColumns(), 1);
        EXPECT_EQ(list->getRows(), 1);
        EXPECT_EQ(list->getElementCount(), 1u);
    }
    {
        LogCapture logs;
        ListWorld w(0.001f, 0.001f);
        ListNode* list = w.makeList(5);
        EXPECT_LE(list->getElementCount(), ListNode::MaxElements);
        EXPECT_TRUE(logs.contains(
            "A list's element is too small for its bounds: the elements are limited"));
    }
    ListWorld w;
    auto* list = addNode<ListNode>(w.scene, "Loaded", 0, 0);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addInt("SelectedItem", 5);
    array<stringw> strings;
    for (const wchar_t* s : {L"a", L"b", L"c", L"d", L"e", L"f", L"g"}) strings.push_back(s);
    set->addStringWArray("Strings", strings);
    list->loadProperties(set.get());
    EXPECT_EQ(list->getSelectedItem(), 0);
    EXPECT_EQ(list->getItemsCount(), 7u);
}

// ---- Tab scenes ----

// A tab scene of two pages with buttons; page 1's transitions last 100 ms, page 2's 50 ms.
struct TabWorld : ControlWorld {
    TabWorld(bool withSecondButton = true) {
        BaseNode* button = addTemplate("Button", 50, 20);
        addHitNode(button, "Hit", 0, 0, 50, 20);
        tabs = addNode<TabSceneNode>(scene, "Tabs", 0, 0);
        tabs->setBounds(800, 600);
        page1 = newNode("Tab1", tabs).get();
        HitNode* face1 = addHitNode(page1, "Face", 0, 100, 400, 400);
        page2 = newNode("Tab2", tabs).get();
        HitNode* face2 = addHitNode(page2, "Face", 0, 100, 400, 400);
        for (const char* state : {"1To2", "2To1"}) {
            face1->addState(timedState(state, 100).get());
            face2->addState(timedState(state, 50).get());
        }
        face1->key = 1;
        face2->key = 2;
        addNode<ButtonNode>(tabs, "Tab1Button", 0, 0, "Button");
        if (withSecondButton) addNode<ButtonNode>(tabs, "Tab2Button", 60, 0, "Button");
        tabs->setTabsCount(2);
        tabs->onLoaded();
        record(tabs, "tabs", {EventNodeTabChangeStarted, EventNodeTabChangeFinished});
        record(page1, "page1", {EventNodeTabChange});
        record(page2, "page2", {EventNodeTabChange});
    }
    TabSceneNode* tabs;
    BaseNode* page1;
    BaseNode* page2;
};

TEST(TabSceneNodeTest, ASwitchReportsStartAndEndHidesTheOldPageAtItsEndAndDropsInputMeanwhile) {
    TabWorld w;
    w.record(w.page1, "page1", {EventNodeStateStarted});
    w.record(w.page2, "page2", {EventNodeStateStarted});
    w.tabs->selectTab(0, true);
    // Every page enters "Default"; no page has an animation for it: the selection ends at once.
    EXPECT_FALSE(w.tabs->isSwitching());
    w.step(10);
    EXPECT_EQ(w.take(),
              (std::vector<std::string>{"page1 41 ->Tab1", "page1 73 Default", "page2 73 Default",
                                        "tabs 43 ->Tab1", "tabs 42 ->Tab1"}));
    EXPECT_TRUE(w.page1->isVisible());
    EXPECT_FALSE(w.page2->isVisible());

    w.click(65, 5);  // Tab2Button
    EXPECT_EQ(w.tabs->getActiveTabIndex(), 1);
    EXPECT_TRUE(w.tabs->isSwitching());
    EXPECT_EQ(w.tabs->getTransitionState(), id("1To2"));
    EXPECT_EQ(w.take(), (std::vector<std::string>{"page1 41 Tab1>Tab2", "page2 41 Tab1>Tab2",
                                                  "page1 73 1To2", "page2 73 1To2",
                                                  "tabs 43 Tab1>Tab2", "tabs 43 Tab1>Tab2"}));
    // Meanwhile nothing can be clicked.
    w.click(5, 5);
    EXPECT_EQ(w.tabs->getActiveTabIndex(), 1);
    w.step(60);  // the new page has ended, the old one plays on
    EXPECT_TRUE(w.page1->isVisible());
    EXPECT_TRUE(w.take().empty());
    w.step(60);
    EXPECT_FALSE(w.page1->isVisible());
    EXPECT_TRUE(w.page2->isVisible());
    EXPECT_FALSE(w.tabs->isSwitching());
    EXPECT_EQ(w.take(), (std::vector<std::string>{"tabs 42 Tab1>Tab2", "tabs 42 Tab1>Tab2"}));

    // The shown tab's button does nothing; back to the first plays 2To1.
    w.click(65, 5);
    EXPECT_FALSE(w.tabs->isSwitching());
    w.click(5, 5);
    EXPECT_EQ(w.tabs->getTransitionState(), id("2To1"));
    w.step(200);
    EXPECT_FALSE(w.page2->isVisible());
    EXPECT_EQ(w.tabs->getActiveTabIndex(), 0);

    // A forced selection of the shown tab plays "Default" on every page again, without a page
    // left.
    w.take();
    w.tabs->selectTab(0, true);
    w.step(10);
    EXPECT_EQ(w.take(),
              (std::vector<std::string>{"page1 41 ->Tab1", "page1 73 Default", "page2 73 Default",
                                        "tabs 43 ->Tab1", "tabs 42 ->Tab1"}));
    EXPECT_FALSE(w.page2->isVisible());
}

TEST(TabSceneNodeTest, HiddenButtonsDrawingOrderAndAMissingButton) {
    TabWorld w(false);
    w.tabs->setHideTabButtonOnSelect(true);
    // No Tab2Button: tab 2 is selected by the program only.
    w.tabs->setActiveTabIndex(1);
    w.step(100);
    EXPECT_TRUE(w.page2->isVisible());
    EXPECT_TRUE(w.tabs->getTabButton(0)->isVisible());
    w.tabs->setActiveTabIndex(0);
    w.step(200);
    EXPECT_FALSE(w.tabs->getTabButton(0)->isVisible());
    EXPECT_FALSE(w.page2->isVisible());

    // The shown page is drawn after the other pages, also when it comes first among them.
    w.page2->setVisible(true);
    DrawList list;
    w.tabs->render(list);
    std::vector<DrawKey> faces;
    for (const SDrawItem& item : list)
        if (item.key == 1 || item.key == 2) faces.push_back(item.key);
    EXPECT_EQ(faces, (std::vector<DrawKey>{2, 1}));
}

TEST(TabSceneNodeTest, AHugeTabsCountFindsPagesAmongTheChildrenOnly) {
    TabWorld w;
    w.tabs->setTabsCount(2000000000);
    w.tabs->onLoaded();
    EXPECT_LE(w.tabs->getPageCount(), w.tabs->getChildCount());
    EXPECT_EQ(w.tabs->getTabsCount(), 2000000000);
    EXPECT_EQ(w.tabs->getPage(1), w.page2);
}

}  // namespace
