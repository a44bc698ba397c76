#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/ControlNode.h"

namespace oskel {

class CAtlasTexture;
class SliderNode;

// One item of a list's model: texts and images for the element's "Text" and "Image" children,
// the template its element takes (-1: the list's own element template), the flag of the
// element's "CheckBox", whether the element is enabled, and an object of the caller's.
struct ListItem {
    std::vector<stringw> texts;
    std::vector<CRefPtr<CAtlasTexture>> images;
    s32 templateName = -1;
    bool checked = false;
    bool enabled = true;
    CRefPtr<IReferenceCounted> userData;
};

// The scrolling list and grid of the menus. It keeps a model of items and shows a window of them
// in elements: clones of the "Element" node of its template laid out in a column, a row or a grid
// filling the list's Bounds, held by an element container (a child that is neither saved nor
// copied). It scrolls by the "PrevButton" and "NextButton" of its template, by its "Slider", by
// the arrow keys or by program calls, and may wrap around (Circular). Clicks, hovers, check box
// clicks and selection changes go to the parents as node events 60 to 64.
class ListNode : public ControlNode {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // Layout and scrolling direction.
    enum EOrientation : s32 {
        OrientationColumn = 0,       // stacked downwards
        OrientationRow = 1,          // side by side to the right
        OrientationGridColumns = 2,  // a grid filled column by column
        OrientationGridRows = 3,     // a grid filled row by row
        OrientationCount = 4,
    };
    // The most elements a list makes, however small its element is.
    static constexpr u32 MaxElements = 1024;

    ListNode(const CCreationContext& context, BaseNode* parent = nullptr,
             SceneManager* manager = nullptr);
    ~ListNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeList; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeList || ControlNode::isKindOf(typeId);
    }
    void onLoaded() override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    void applyTemplate() override;
    void focusDefaultObject() override;
    bool onKeyDown(CEvent* event) override;
    virtual bool onNodePressedPreview(CEvent* event);
    virtual bool onNodePressed(CEvent* event);
    virtual bool onNodeHovered(CEvent* event);
    virtual bool onValueChanged(CEvent* event);

    bool routeToChildren(u32 mode, CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // The model. Setters ignore an index outside the items, getters give the default; only
    // setItemsCount and setStrings refresh the elements.
    u32 getItemsCount() const { return static_cast<u32>(m_items.size()); }
    void setItemsCount(u32 count);
    void setItemText(s32 item, u32 k, const stringw& text);
    const stringw& getItemText(s32 item, u32 k) const;
    void setItemImage(s32 item, u32 k, CAtlasTexture* image);
    CAtlasTexture* getItemImage(s32 item, u32 k) const;
    void setItemTemplate(s32 item, s32 templateName);
    s32 getItemTemplate(s32 item) const;
    void setItemEnabled(s32 item, bool enabled);
    bool isItemEnabled(s32 item) const;
    void setItemChecked(s32 item, bool checked);
    bool isItemChecked(s32 item) const;
    void setItemData(s32 item, IReferenceCounted* data);
    IReferenceCounted* getItemData(s32 item) const;
    // Text 0 of each item.
    void setStrings(const array<stringw>& strings);
    array<stringw> getStrings() const;

    // Selection and scrolling.
    s32 getSelectedItem() const { return m_selected; }
    // Selects the wrapped index; posts 61 when the selection changes. With scroll the selected
    // item becomes the first shown one when it is not shown.
    void setSelectedItem(s32 index, bool scroll);
    void selectItem(s32 index) { setSelectedItem(index, true); }
    s32 getTopItem() const { return m_top; }
    void setTopItem(s32 index);
    bool isCircular() const { return m_circular; }
    void setCircular(bool circular) { m_circular = circular; }
    s32 getOrientation() const { return m_orientation; }
    void setOrientation(s32 orientation);
    bool isSelectWhileListingOn() const { return m_selectWhileListing; }
    void setSelectWhileListingOn(bool on) { m_selectWhileListing = on; }

    // Elements.
    // Fills the elements from the model.
    void refreshElements();
    // Position of element k inside the list; the zero vector outside the elements.
    vector3df getElementPosition(s32 k) const;
    BaseNode* getElementContainer() const { return m_container.get(); }
    u32 getElementCount() const;
    BaseNode* getElement(u32 k) const;
    s32 getColumns() const { return m_columns; }
    s32 getRows() const { return m_rows; }
    BaseNode* getElementTemplate() const { return m_elementTemplate.get(); }
    BaseNode* getPrevButton() const { return m_prevButton.get(); }
    BaseNode* getNextButton() const { return m_nextButton.get(); }
    SliderNode* getSlider() const { return m_slider.get(); }

    // The index rules (n items, E elements).
    // The index wrapped into the items: around the ends when Circular, else clamped.
    s32 wrapIndex(s32 index) const;
    // The element showing the item, or -1.
    s32 elementOfItem(s32 item) const;
    s32 itemOfElement(s32 element) const;
    // A top item kept inside what the elements can show.
    s32 clampTop(s32 index) const;
    // Lines the elements show, items on one line, the lines of all items.
    s32 getVisibleLines() const;
    s32 getItemsPerLine() const;
    s32 getTotalLines() const;

private:
    bool isItem(s32 item) const { return item >= 0 && item < static_cast<s32>(m_items.size()); }
    void ensureContainer();
    void computeGrid();
    void layoutElements();
    void updateSlider();
    // The element a node is (its index in the container), or -1.
    s32 elementIndexOf(const BaseNode* node) const;
    void releaseTemplateParts();

    std::vector<ListItem> m_items;
    s32 m_orientation = OrientationColumn;
    bool m_circular = true;
    s32 m_selected = 0;
    s32 m_top = 0;
    bool m_selectWhileListing = false;
    CRefPtr<BaseNode> m_container;
    s32 m_columns = 1;
    s32 m_rows = 1;
    CRefPtr<BaseNode> m_elementTemplate;
    std::vector<u32> m_textSlots;
    std::vector<u32> m_imageSlots;
    CRefPtr<BaseNode> m_prevButton;
    CRefPtr<BaseNode> m_nextButton;
    CRefPtr<SliderNode> m_slider;
};

// The node as a list when it is a kind of one, else none.
inline ListNode* asListNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeList) ? static_cast<ListNode*>(node) : nullptr;
}

}  // namespace oskel
