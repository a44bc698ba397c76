#include "engine/nodes/ListNode.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/SliderNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

namespace {

// "stringwArray" values; a value of another type is the empty array.
struct CStringWArrayBox {
    static array<stringw> unbox(const IPropertyData* value) {
        const auto* typed = dynamic_cast<const CPropertyDataStringWArray*>(value);
        return typed && typed->getTypeId() == PropertyTypeStringWArray ? typed->getValue()
                                                                       : array<stringw>();
    }
    static CRefPtr<IPropertyData> box(const array<stringw>& value) {
        return makeRef<CPropertyDataStringWArray>(value);
    }
};

struct SPartNames {
    s32 element, prevButton, nextButton, slider, text, image, checkBox;
};

const SPartNames& partNames() {
    static const SPartNames names{CNameId("Element").getId(),    CNameId("PrevButton").getId(),
                                  CNameId("NextButton").getId(), CNameId("Slider").getId(),
                                  CNameId("Text").getId(),       CNameId("Image").getId(),
                                  CNameId("CheckBox").getId()};
    return names;
}

// Whole elements that fit a length: at least one, also for an element without size.
s32 fitCount(f32 length, f32 elementLength) {
    if (!(elementLength > 0.0f)) return 1;
    const f32 fit = std::floor(length / elementLength);
    if (!(fit >= 1.0f)) return 1;
    return fit > static_cast<f32>(ListNode::MaxElements) ? static_cast<s32>(ListNode::MaxElements)
                                                         : static_cast<s32>(fit);
}

}  // namespace

OSKEL_BEGIN_EVENT_MAP(ListNode, ControlNode)
OSKEL_EVENT_HANDLER(EventNodePressPreview, onNodePressedPreview)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeHovered, onNodeHovered)
OSKEL_EVENT_HANDLER(EventNodeValueChanged, onValueChanged)
OSKEL_END_EVENT_MAP()

ListNode::ListNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ControlNode(context, parent, manager) {
    ensureContainer();
}

ListNode::~ListNode() {
    releaseTemplateParts();
    m_items.clear();
    m_container = nullptr;
}

const CPropertyTable& ListNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<ListNode>(t)
            .field<&ListNode::m_selected, &ListNode::selectItem>("SelectedItem")
            .field<&ListNode::m_top, &ListNode::setTopItem>("TopItem")
            .field<&ListNode::m_circular>("Circular")
            .field<&ListNode::m_orientation, &ListNode::setOrientation>("Orientation")
            .field<&ListNode::m_selectWhileListing>("IsSelectWhileListingOn")
            .accessors<&ListNode::getStrings, &ListNode::setStrings, CStringWArrayBox>("Strings");
        return t;
    }();
    return table;
}

BaseNode* ListNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<ListNode>(this, parent, manager);
}

const stringw& ListNode::getClassName() const {
    static const stringw name(L"ListNode");
    return name;
}

const stringw& ListNode::getThisClassName() const {
    static const stringw name(L"ListNode");
    return name;
}

// ---- The element container ----

void ListNode::ensureContainer() {
    if (m_container && m_container->getParent() == this) return;
    // Added first, flagged after: it stays among the children (drawn, hit and routed) but is
    // neither saved nor copied.
    CRefPtr<BaseNode> container = CRefPtr<BaseNode>::fromRaw(
        new BaseNode(CCreationContext(getContentManager(), ""), nullptr, nullptr));
    addChild(container.get());
    container->setInternal(true);
    m_container = container;
}

void ListNode::onLoaded() {
    // Reading a scene file empties the children: the container comes back.
    ensureContainer();
    ControlNode::onLoaded();
}

u32 ListNode::getElementCount() const { return m_container ? m_container->getChildCount() : 0; }

BaseNode* ListNode::getElement(u32 k) const {
    return k < getElementCount() ? m_container->getChildren()[k] : nullptr;
}

s32 ListNode::elementIndexOf(const BaseNode* node) const {
    if (!node || !m_container || node->getParent() != m_container.get()) return -1;
    const std::vector<BaseNode*>& elements = m_container->getChildren();
    auto found = std::find(elements.begin(), elements.end(), node);
    return found == elements.end() ? -1 : static_cast<s32>(found - elements.begin());
}

vector3df ListNode::getElementPosition(s32 k) const {
    if (k < 0 || static_cast<u32>(k) >= getElementCount()) return vector3df(0.0f, 0.0f, 0.0f);
    return getElement(static_cast<u32>(k))->getPosition();
}

// ---- Index rules ----

s32 ListNode::getVisibleLines() const {
    return m_orientation == OrientationColumn || m_orientation == OrientationGridRows ? m_rows
                                                                                      : m_columns;
}

s32 ListNode::getItemsPerLine() const {
    switch (m_orientation) {
        case OrientationGridColumns:
            return m_rows;
        case OrientationGridRows:
            return m_columns;
        default:
            return 1;
    }
}

s32 ListNode::getTotalLines() const {
    const s32 n = static_cast<s32>(m_items.size());
    const s32 perLine = getItemsPerLine();
    if (perLine <= 0) return 0;
    return n / perLine + (n % perLine != 0 ? 1 : 0);
}

s32 ListNode::wrapIndex(s32 index) const {
    const s32 n = static_cast<s32>(m_items.size());
    if (n == 0) return 0;
    if (index >= 0 && index < n) return index;
    if (index >= n) return m_circular ? index % n : n - 1;
    // Below 0: around from the end (-1 is the last item, -n the first).
    return m_circular ? ((index % n) + n) % n : 0;
}

s32 ListNode::elementOfItem(s32 item) const {
    const s32 n = static_cast<s32>(m_items.size());
    if (n == 0) return -1;
    const s32 e = static_cast<s32>(getElementCount());
    if (m_top + e < n || (item >= m_top && item <= n - 1)) return item - m_top;
    if (item < 0) return -1;
    const s32 wrapAt = (m_top + e) % n;
    return item < wrapAt ? e + item - wrapAt : -1;
}

s32 ListNode::itemOfElement(s32 element) const { return wrapIndex(m_top + element); }

s32 ListNode::clampTop(s32 index) const {
    if (m_circular) return wrapIndex(index);
    if (m_items.empty() || getElementCount() == 0 || index < 0) return 0;
    const s32 last = std::max(0, (getTotalLines() - getVisibleLines()) * getItemsPerLine());
    return std::min(index, last);
}

// ---- The model ----

void ListNode::setItemsCount(u32 count) {
    m_items.resize(count);
    setTopItem(m_top);
}

void ListNode::setItemText(s32 item, u32 k, const stringw& text) {
    if (!isItem(item)) return;
    std::vector<stringw>& texts = m_items[static_cast<u32>(item)].texts;
    if (texts.size() <= k) texts.resize(k + 1);
    texts[k] = text;
}

const stringw& ListNode::getItemText(s32 item, u32 k) const {
    static const stringw empty;
    if (!isItem(item)) return empty;
    const std::vector<stringw>& texts = m_items[static_cast<u32>(item)].texts;
    return k < texts.size() ? texts[k] : empty;
}

void ListNode::setItemImage(s32 item, u32 k, CAtlasTexture* image) {
    if (!isItem(item)) return;
    std::vector<CRefPtr<CAtlasTexture>>& images = m_items[static_cast<u32>(item)].images;
    if (images.size() <= k) images.resize(k + 1);
    images[k].assign(image);
}

CAtlasTexture* ListNode::getItemImage(s32 item, u32 k) const {
    if (!isItem(item)) return nullptr;
    const std::vector<CRefPtr<CAtlasTexture>>& images = m_items[static_cast<u32>(item)].images;
    return k < images.size() ? images[k].get() : nullptr;
}

void ListNode::setItemTemplate(s32 item, s32 templateName) {
    if (isItem(item)) m_items[static_cast<u32>(item)].templateName = templateName;
}

s32 ListNode::getItemTemplate(s32 item) const {
    return isItem(item) ? m_items[static_cast<u32>(item)].templateName : -1;
}

void ListNode::setItemEnabled(s32 item, bool enabled) {
    if (isItem(item)) m_items[static_cast<u32>(item)].enabled = enabled;
}

bool ListNode::isItemEnabled(s32 item) const {
    return isItem(item) && m_items[static_cast<u32>(item)].enabled;
}

void ListNode::setItemChecked(s32 item, bool checked) {
    if (isItem(item)) m_items[static_cast<u32>(item)].checked = checked;
}

bool ListNode::isItemChecked(s32 item) const {
    return isItem(item) && m_items[static_cast<u32>(item)].checked;
}

void ListNode::setItemData(s32 item, IReferenceCounted* data) {
    if (isItem(item)) m_items[static_cast<u32>(item)].userData.assign(data);
}

IReferenceCounted* ListNode::getItemData(s32 item) const {
    return isItem(item) ? m_items[static_cast<u32>(item)].userData.get() : nullptr;
}

void ListNode::setStrings(const array<stringw>& strings) {
    setItemsCount(strings.size());
    for (u32 i = 0; i < strings.size(); ++i) setItemText(static_cast<s32>(i), 0, strings[i]);
    refreshElements();
}

array<stringw> ListNode::getStrings() const {
    array<stringw> strings;
    for (u32 i = 0; i < m_items.size(); ++i) strings.push_back(getItemText(static_cast<s32>(i), 0));
    return strings;
}

// ---- Layout ----

void ListNode::computeGrid() {
    if (!m_elementTemplate) return;
    const vector3df& element = m_elementTemplate->getBounds();
    const vector3df& bounds = getBounds();
    m_columns = fitCount(bounds.X, element.X);
    m_rows = fitCount(bounds.Y, element.Y);
    if (static_cast<u64>(m_columns) * static_cast<u64>(m_rows) > MaxElements) {
        stringc hint("list \"");
        hint += getNodeName();
        hint += "\": ";
        hint += std::to_string(m_columns).c_str();
        hint += " x ";
        hint += std::to_string(m_rows).c_str();
        CLogger::instance().logHint(
            "A list's element is too small for its bounds: the elements are limited", hint.c_str(),
            LogWarning);
        m_rows = std::max<s32>(1, static_cast<s32>(MaxElements) / m_columns);
    }
}

void ListNode::layoutElements() {
    computeGrid();
    ensureContainer();
    CRefPtr<BaseNode> self(this);
    m_container->removeAllChildren();
    if (!m_elementTemplate) return;
    const s32 count = m_columns * m_rows;
    for (s32 i = 0; i < count; ++i) {
        BaseNode* element = m_elementTemplate->clone(m_container.get(), getSceneManager());
        if (!element) return;
        element->setNameId(CNameId(("Element" + std::to_string(i)).c_str()).getId());
    }
    const f32 w = m_elementTemplate->getBounds().X;
    const f32 h = m_elementTemplate->getBounds().Y;
    auto place = [this](s32 index, f32 x, f32 y) {
        BaseNode* element = getElement(static_cast<u32>(index));
        if (!element) return;
        element->setPosition(vector3df(x, y, element->getPosition().Z));
        element->setVisible(true);
    };
    switch (m_orientation) {
        case OrientationColumn:
            for (s32 r = 0; r < m_rows; ++r) place(r, 0.0f, static_cast<f32>(r) * h);
            break;
        case OrientationRow:
            for (s32 c = 0; c < m_columns; ++c) place(c, static_cast<f32>(c) * w, 0.0f);
            break;
        case OrientationGridColumns:
            for (s32 c = 0; c < m_columns; ++c)
                for (s32 r = 0; r < m_rows; ++r)
                    place(c * m_rows + r, static_cast<f32>(c) * w, static_cast<f32>(r) * h);
            break;
        default:
            for (s32 r = 0; r < m_rows; ++r)
                for (s32 c = 0; c < m_columns; ++c)
                    place(r * m_columns + c, static_cast<f32>(c) * w, static_cast<f32>(r) * h);
            break;
    }
}

void ListNode::setOrientation(s32 orientation) {
    m_orientation =
        orientation >= 0 && orientation < OrientationCount ? orientation : OrientationColumn;
    layoutElements();
}

void ListNode::refreshElements() {
    CRefPtr<BaseNode> self(this);
    const s32 n = static_cast<s32>(m_items.size());
    const s32 count = static_cast<s32>(getElementCount());
    // Items without a template of their own take the one of the template's element.
    const ControlNode* elementTemplate = asControlNode(m_elementTemplate.get());
    const s32 elementTemplateName = elementTemplate ? elementTemplate->getTemplateName() : -1;
    for (s32 i = 0; i < count; ++i) {
        CRefPtr<BaseNode> element(getElement(static_cast<u32>(i)));
        if (!element) break;
        s32 c = m_top + i;
        if (c >= n) {
            if (m_circular && n > count) {
                c %= n;
            } else {
                element->setVisible(false);
                continue;
            }
        }
        const ListItem& item = m_items[static_cast<u32>(c)];
        element->setVisible(true);
        ControlNode* control = asControlNode(element.get());
        if (control)
            control->setTemplateName(item.templateName != -1 ? item.templateName
                                                             : elementTemplateName);
        const std::vector<BaseNode*>& parts = element->getChildren();
        for (u32 j = 0; j < m_textSlots.size(); ++j) {
            if (m_textSlots[j] >= parts.size()) continue;
            if (TextNode* text = asTextNode(parts[m_textSlots[j]]))
                text->setText(j < item.texts.size() ? item.texts[j] : stringw());
        }
        for (u32 j = 0; j < m_imageSlots.size(); ++j) {
            if (m_imageSlots[j] >= parts.size()) continue;
            BaseNode* part = parts[m_imageSlots[j]];
            if (part->isKindOf(NodeTypeSprite))
                static_cast<SpriteNode*>(part)->setAtlasTexture(
                    j < item.images.size() ? item.images[j].get() : nullptr);
        }
        if (control) control->setEnabled(item.enabled);
        if (c == m_selected) element->setState(visualStates().Focus);
        if (CheckBoxNode* box = asCheckBoxNode(element->findChildByName(partNames().checkBox, 1)))
            box->setChecked(item.checked);
    }
    updateSlider();
}

// ---- Selection and scrolling ----

void ListNode::setTopItem(s32 index) {
    CRefPtr<BaseNode> self(this);
    m_top = clampTop(index);
    if (static_cast<s32>(getElementCount()) >= static_cast<s32>(m_items.size())) m_top = 0;
    refreshElements();
    setSelectedItem(m_selected, false);
    updateSlider();
}

void ListNode::setSelectedItem(s32 index, bool scroll) {
    CRefPtr<BaseNode> self(this);
    const s32 before = m_selected;
    m_selected = wrapIndex(index);
    const s32 element = elementOfItem(m_selected);
    if (element < 0 || element >= static_cast<s32>(getElementCount())) {
        if (ControlNode* focused = asControlNode(getFocusedChild())) focused->setFocused(false);
        if (scroll) setTopItem(m_selected);
    } else if (isFocused()) {
        ControlNode* control = asControlNode(getElement(static_cast<u32>(element)));
        if (control && !control->isFocused()) control->setFocused(true);
    }
    if (m_selected != before)
        postEventToParent(DispatchSelfThenParents,
                          makeEvent<CEventNodeListSelectionChanged>(this, m_selected).get());
}

void ListNode::focusDefaultObject() { setSelectedItem(m_selected, true); }

void ListNode::updateSlider() {
    if (!m_slider) return;
    const s32 visible = getVisibleLines();
    const s32 perLine = getItemsPerLine();
    const s32 total = getTotalLines();
    if (visible == 0 || perLine == 0 || total == 0) return;
    CRefPtr<SliderNode> slider = m_slider;
    slider->setMinValue(0.0f);
    slider->setMaxValue(static_cast<f32>(total));
    slider->setValue(static_cast<f32>(m_top / perLine));
    slider->setKnobExtent(static_cast<f32>(visible));
}

// ---- Template ----

void ListNode::releaseTemplateParts() {
    m_elementTemplate = nullptr;
    m_prevButton = nullptr;
    m_nextButton = nullptr;
    m_slider = nullptr;
    m_textSlots.clear();
    m_imageSlots.clear();
}

void ListNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    ControlNode::applyTemplate();
    releaseTemplateParts();
    const SPartNames& names = partNames();
    if (ControlNode* instance = getTemplateInstance()) {
        m_elementTemplate.assign(instance->findChildByName(names.element, 1));
        if (m_elementTemplate) m_elementTemplate->setVisible(false);
        m_prevButton.assign(instance->findChildByName(names.prevButton, 1));
        m_nextButton.assign(instance->findChildByName(names.nextButton, 1));
        m_slider.assign(asSliderNode(instance->findChildByName(names.slider, 1)));
    }
    if (m_elementTemplate) {
        const std::vector<BaseNode*>& parts = m_elementTemplate->getChildren();
        for (u32 k = 0; k < parts.size(); ++k) {
            if (parts[k]->getNameId() == names.text && parts[k]->isKindOf(NodeTypeText))
                m_textSlots.push_back(k);
            if (parts[k]->getNameId() == names.image && parts[k]->isKindOf(NodeTypeSprite))
                m_imageSlots.push_back(k);
        }
    }
    layoutElements();
    refreshElements();
}

// ---- Input and notices ----

bool ListNode::onKeyDown(CEvent* event) {
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    const s32 rows = m_rows, columns = m_columns;
    s32 step = 0;
    switch (m_orientation) {
        case OrientationColumn:
            step = key == VirtualKeyUp ? -1 : key == VirtualKeyDown ? 1 : 0;
            break;
        case OrientationRow:
            step = key == VirtualKeyLeft ? -1 : key == VirtualKeyRight ? 1 : 0;
            break;
        case OrientationGridColumns:
            step = key == VirtualKeyLeft    ? -rows
                   : key == VirtualKeyRight ? rows
                   : key == VirtualKeyUp    ? -1
                   : key == VirtualKeyDown  ? 1
                                            : 0;
            break;
        default:
            step = key == VirtualKeyLeft    ? -1
                   : key == VirtualKeyRight ? 1
                   : key == VirtualKeyUp    ? -columns
                   : key == VirtualKeyDown  ? columns
                                            : 0;
            break;
    }
    if (step != 0) {
        const s32 next = wrapIndex(m_selected + step);
        if (next != m_selected) {
            setSelectedItem(next, true);
            return true;
        }
    }
    return ControlNode::onKeyDown(event);
}

bool ListNode::onNodePressedPreview(CEvent* event) {
    return elementIndexOf(static_cast<CEventNodePressPreview*>(event)->getNode()) >= 0;
}

bool ListNode::onNodePressed(CEvent* event) {
    BaseNode* sender = static_cast<CEventNodePressed*>(event)->getNode();
    if (!sender) return false;
    CRefPtr<BaseNode> self(this);
    const s32 before = m_selected;
    const s32 element = elementIndexOf(sender);
    if (sender == m_prevButton.get() || sender == m_nextButton.get()) {
        const s32 step = getItemsPerLine();
        const s32 top = clampTop(sender == m_prevButton.get() ? m_top - step : m_top + step);
        setTopItem(top);
        if (m_selectWhileListing) setSelectedItem(top, false);
    } else if (element >= 0) {
        if (m_items.empty()) return true;
        // Set directly: no 61 and no change of focus.
        m_selected = itemOfElement(element);
        // The click notice is handled while the queue is delivered, and what a handler posts
        // then comes out last posted first: the 60 goes in first so that it follows the 62.
        if (m_selected != before)
            postEventToParent(DispatchSelfThenParents,
                              makeEvent<CEventNodeValueChanged>(this).get());
        postEventToParent(DispatchSelfThenParents,
                          makeEvent<CEventNodeListItemPressed>(this, m_selected).get());
        return true;
    } else {
        CheckBoxNode* box = asCheckBoxNode(sender);
        const s32 owner =
            box && box->getNameId() == partNames().checkBox ? elementIndexOf(box->getParent()) : -1;
        if (owner < 0) return false;
        const s32 item = itemOfElement(owner);
        setItemChecked(item, box->isChecked());
        postEventToParent(DispatchSelfThenParents,
                          makeEvent<CEventNodeListItemChecked>(this, item, box->isChecked()).get());
        return true;
    }
    if (m_selected != before)
        postEventToParent(DispatchSelfThenParents, makeEvent<CEventNodeValueChanged>(this).get());
    return true;
}

bool ListNode::onNodeHovered(CEvent* event) {
    const s32 element = elementIndexOf(static_cast<CEventNodeHovered*>(event)->getNode());
    if (element < 0) return false;
    if (!m_items.empty())
        postEventToParent(DispatchSelfThenParents,
                          makeEvent<CEventNodeListItemHovered>(this, itemOfElement(element)).get());
    return true;
}

bool ListNode::onValueChanged(CEvent* event) {
    BaseNode* sender = static_cast<CEventNodeValueChanged*>(event)->getNode();
    if (!sender || sender != m_slider.get()) return false;
    CRefPtr<BaseNode> self(this);
    const f32 value = m_slider->getValue();
    // The slider's whole lines, kept inside the int range.
    const s32 lines = value >= 0.0f && value < 1.0e9f ? static_cast<s32>(value) : 0;
    const s32 top = lines * getItemsPerLine();
    setTopItem(top);
    if (m_selectWhileListing) setSelectedItem(top, false);
    return true;
}

bool ListNode::routeToChildren(u32 mode, CEvent* event) {
    if (!event) return false;
    CRefPtr<BaseNode> self(this);
    const bool input = event->isKindOf(EventTypeInput);
    // The ordinary children, as a control offers them (input held back while disabled); the
    // elements come one by one below.
    if (isEnabled() || !input) {
        std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (it->get() == m_container.get()) continue;
            if ((*it)->acceptsEvent(event) && (*it)->dispatchEvent(mode, event)) return true;
        }
    }
    // The template's parts and the elements apply their own Enabled flags. Keys never reach the
    // slider.
    std::vector<CRefPtr<BaseNode>> receivers = {m_prevButton, m_nextButton};
    if (!event->isKindOf(EventTypeKeyboard)) receivers.emplace_back(m_slider.get());
    if (m_container)
        for (BaseNode* element : m_container->getChildren()) receivers.emplace_back(element);
    for (const CRefPtr<BaseNode>& receiver : receivers)
        if (receiver && receiver->acceptsEvent(event) && receiver->dispatchEvent(mode, event))
            return true;
    return false;
}

// ---- Copy and properties ----

void ListNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    const ListNode* list = asListNode(const_cast<BaseNode*>(source));
    if (!list || list == this) return;
    m_selected = list->m_selected;
    m_top = list->m_top;
    m_circular = list->m_circular;
    m_orientation = list->m_orientation;
    m_selectWhileListing = list->m_selectWhileListing;
    m_items = list->m_items;
}

void ListNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (m_selected != 0) set->addInt("SelectedItem", m_selected);
    if (m_top != 0) set->addInt("TopItem", m_top);
    if (!m_circular) set->addBool("Circular", false);
    if (m_orientation != OrientationColumn) set->addInt("Orientation", m_orientation);
    if (m_selectWhileListing) set->addBool("IsSelectWhileListingOn", true);
    if (!m_items.empty()) set->addStringWArray("Strings", getStrings());
}

void ListNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    auto value = [set](const char* name) { return set->getProperty(name); };
    if (hasNodeProperty(set, "Circular")) m_circular = unboxPropertyBool(value("Circular").get());
    if (hasNodeProperty(set, "Orientation"))
        setOrientation(unboxPropertyInt(value("Orientation").get()));
    if (hasNodeProperty(set, "IsSelectWhileListingOn"))
        m_selectWhileListing = unboxPropertyBool(value("IsSelectWhileListingOn").get());
    if (hasNodeProperty(set, "SelectedItem"))
        selectItem(unboxPropertyInt(value("SelectedItem").get()));
    if (hasNodeProperty(set, "TopItem")) setTopItem(unboxPropertyInt(value("TopItem").get()));
    if (hasNodeProperty(set, "Strings"))
        setStrings(CStringWArrayBox::unbox(value("Strings").get()));
}

}  // namespace oskel
