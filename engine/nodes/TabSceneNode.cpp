#include "engine/nodes/TabSceneNode.h"

#include <algorithm>
#include <string>

#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

namespace {

s32 tabNameId(s32 number, const char* suffix) {
    std::string name = "Tab" + std::to_string(number);
    name += suffix;
    return CNameId(name.c_str()).getId();
}

}  // namespace

OSKEL_BEGIN_EVENT_MAP(TabSceneNode, SceneNode)
OSKEL_EVENT_HANDLER(EventNodeStateFinished, onStateFinished)
OSKEL_EVENT_HANDLER(EventNodePressPreview, onNodePressedPreview)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_END_EVENT_MAP()

s32 TabSceneNode::defaultStateId() {
    static const s32 id = CNameId("Default").getId();
    return id;
}

TabSceneNode::TabSceneNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : SceneNode(context, parent, manager) {}

TabSceneNode::~TabSceneNode() {
    m_pages.clear();
    m_buttons.clear();
}

const CPropertyTable& TabSceneNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = SceneNode::getPropertyTable();
        TPropertyTableBuilder<TabSceneNode>(t)
            .field<&TabSceneNode::m_tabsCount>("TabsCount")
            .field<&TabSceneNode::m_activeTab, &TabSceneNode::setActiveTabIndex>("ActiveTabIndex")
            .field<&TabSceneNode::m_hideButton>("HideTabButtonOnSelect");
        return t;
    }();
    return table;
}

BaseNode* TabSceneNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<TabSceneNode>(this, parent, manager);
}

const stringw& TabSceneNode::getClassName() const {
    static const stringw name(L"TabSceneNode");
    return name;
}

const stringw& TabSceneNode::getThisClassName() const {
    static const stringw name(L"TabSceneNode");
    return name;
}

// ---- Pages ----

void TabSceneNode::onLoaded() {
    SceneNode::onLoaded();
    m_pages.clear();
    m_buttons.clear();
    // No more pages than children can exist: a damaged count does not make names without end.
    const s32 count = std::min<s32>(m_tabsCount, static_cast<s32>(getChildCount()));
    for (s32 k = 1; k <= count; ++k) {
        m_pages.emplace_back(findChildByName(tabNameId(k, ""), 1));
        m_buttons.emplace_back(findChildByName(tabNameId(k, "Button"), 1));
    }
    m_lastPagePosition = -1;
    m_lastButtonPosition = -1;
    const std::vector<BaseNode*>& children = getChildren();
    for (s32 i = 0; i < static_cast<s32>(children.size()); ++i) {
        const BaseNode* child = children[static_cast<u32>(i)];
        auto holds = [child](const std::vector<CRefPtr<BaseNode>>& nodes) {
            return std::find(nodes.begin(), nodes.end(), child) != nodes.end();
        };
        if (holds(m_pages)) m_lastPagePosition = i;
        if (holds(m_buttons)) m_lastButtonPosition = i;
    }
}

void TabSceneNode::postTabEvent(BaseNode* page, CEvent* event) {
    if (page) postEvent(page, DispatchSelfThenParents, event);
}

void TabSceneNode::selectTab(s32 index, bool force) {
    if (index < 0 || index >= static_cast<s32>(m_pages.size())) return;
    if (index == m_activeTab && !force) return;
    CRefPtr<BaseNode> page(m_pages[static_cast<u32>(index)]);
    if (!page) return;
    CRefPtr<BaseNode> self(this);

    if (BaseNode* previous = pageAt(m_previousTab)) previous->stopAllStates(true);
    if (BaseNode* current = pageAt(m_activeTab)) current->stopAllStates(true);

    CRefPtr<BaseNode> old(pageAt(m_activeTab));
    m_previousTab = m_activeTab;
    m_activeTab = index;
    if (index == m_previousTab) {
        // A forced re-selection: no page is left.
        m_previousTab = -1;
        old = nullptr;
    }

    if (old) {
        old->onEvent(makeEvent<CEventNodeTabChange>(old.get(), page.get()).get());
        postTabEvent(old.get(), makeEvent<CEventNodeTabChangeStarted>(old.get(), page.get()).get());
    }
    page->onEvent(makeEvent<CEventNodeTabChange>(old.get(), page.get()).get());
    postTabEvent(page.get(), makeEvent<CEventNodeTabChangeStarted>(old.get(), page.get()).get());

    page->setVisible(true);
    if (m_hideButton)
        if (BaseNode* button = buttonAt(index)) button->setVisible(false);

    if (old) {
        m_pending = 2;
        const std::string name =
            std::to_string(m_previousTab + 1) + "To" + std::to_string(index + 1);
        m_transitionState = CNameId(name.c_str()).getId();
        if (m_hideButton)
            if (BaseNode* button = buttonAt(m_previousTab)) button->setVisible(true);
        const s32 state = m_transitionState;
        old->setState(state);
        page->setState(state);
    } else {
        m_pending = 1;
        m_transitionState = defaultStateId();
        std::vector<CRefPtr<BaseNode>> pages = m_pages;
        for (const CRefPtr<BaseNode>& each : pages)
            if (each && each != page) each->setVisible(false);
        if (m_hideButton)
            for (u32 k = 0; k < m_buttons.size(); ++k)
                if (m_buttons[k]) m_buttons[k]->setVisible(static_cast<s32>(k) != index);
        for (const CRefPtr<BaseNode>& each : pages)
            if (each) each->setState(defaultStateId());
    }
}

bool TabSceneNode::onStateFinished(CEvent* event) {
    auto* e = static_cast<CEventNodeStateFinished*>(event);
    BaseNode* node = e->getNode();
    // The node's own states and its template's (a tab scene shown as a scene) are a scene's.
    if (node == this || (node && node == getTemplateInstance()))
        return SceneNode::onStateFinished(event);
    if (!node || node->getParent() != this || m_transitionState == -1 ||
        e->getStateId() != m_transitionState)
        return false;
    BaseNode* page = pageAt(m_activeTab);
    BaseNode* previous = pageAt(m_previousTab);
    if (node != page && node != previous) return false;
    if (m_pending <= 0) return false;
    CRefPtr<BaseNode> self(this);
    --m_pending;
    if (node == previous) previous->setVisible(false);
    if (m_pending > 0) return true;
    m_transitionState = -1;
    postTabEvent(previous, makeEvent<CEventNodeTabChangeFinished>(previous, page).get());
    postTabEvent(page, makeEvent<CEventNodeTabChangeFinished>(previous, page).get());
    return true;
}

bool TabSceneNode::onSceneActivated(CEvent* event) {
    SceneNode::onSceneActivated(event);
    selectTab(m_activeTab, true);
    return false;
}

bool TabSceneNode::onNodePressed(CEvent* event) {
    BaseNode* sender = static_cast<CEventNodePressed*>(event)->getNode();
    if (!sender) return false;
    for (u32 k = 0; k < m_buttons.size(); ++k) {
        if (m_buttons[k].get() != sender) continue;
        selectTab(static_cast<s32>(k), false);
        break;
    }
    return false;
}

// ---- Routing and drawing ----

bool TabSceneNode::routeToChildren(u32 mode, CEvent* event) {
    if (!event) return false;
    CRefPtr<BaseNode> self(this);
    if (!event->isKindOf(EventTypeInput)) {
        std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
        for (const CRefPtr<BaseNode>& child : children)
            if (child->acceptsEvent(event) && child->dispatchEvent(mode, event)) return true;
        return false;
    }
    // Nothing can be clicked or typed into while a switch runs.
    if (m_pending > 0 || !isEnabled()) return false;
    CRefPtr<BaseNode> page(pageAt(m_activeTab));
    CRefPtr<BaseNode> shownButton(buttonAt(m_activeTab));
    const bool pageTook =
        page && page->acceptsEvent(event) && page->dispatchEvent(DispatchChildrenThenSelf, event);
    if (!shownButton && pageTook) return true;
    // The buttons always see the pointer, so that their hover states stay right.
    std::vector<CRefPtr<BaseNode>> buttons;
    if (shownButton) buttons.push_back(shownButton);
    for (const CRefPtr<BaseNode>& button : m_buttons)
        if (button && button != shownButton) buttons.push_back(button);
    for (const CRefPtr<BaseNode>& button : buttons)
        if (button->acceptsEvent(event) && button->dispatchEvent(DispatchChildrenThenSelf, event))
            return true;
    return false;
}

void TabSceneNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if (ControlNode* instance = getTemplateInstance()) instance->render(list);
    BaseNode* page = pageAt(m_activeTab);
    BaseNode* button = buttonAt(m_activeTab);
    bool pageDrawn = !page, buttonDrawn = !button;
    const std::vector<BaseNode*>& children = getChildren();
    for (s32 i = 0; i < static_cast<s32>(children.size()); ++i) {
        BaseNode* child = children[static_cast<u32>(i)];
        if (child != page && child != button) child->render(list);
        // The shown page over the other pages, its button over the other buttons.
        if (i == m_lastPagePosition && !pageDrawn) {
            page->render(list);
            pageDrawn = true;
        }
        if (i == m_lastButtonPosition && !buttonDrawn) {
            button->render(list);
            buttonDrawn = true;
        }
    }
    if (!pageDrawn && page->getParent() == this) page->render(list);
    if (!buttonDrawn && button->getParent() == this) button->render(list);
}

// ---- Copy and properties ----

void TabSceneNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
    const auto* tabs = dynamic_cast<const TabSceneNode*>(source);
    if (!tabs || tabs == this) return;
    m_tabsCount = tabs->m_tabsCount;
    m_activeTab = tabs->m_activeTab;
    m_hideButton = tabs->m_hideButton;
}

void TabSceneNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    SceneNode::saveProperties(set);
    if (m_tabsCount != 0) set->addInt("TabsCount", m_tabsCount);
    if (m_activeTab != -1) set->addInt("ActiveTabIndex", m_activeTab);
    if (m_hideButton) set->addBool("HideTabButtonOnSelect", true);
}

void TabSceneNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    SceneNode::loadProperties(set);
    if (hasNodeProperty(set, "TabsCount"))
        m_tabsCount = unboxPropertyInt(set->getProperty("TabsCount").get());
    if (hasNodeProperty(set, "ActiveTabIndex"))
        m_activeTab = unboxPropertyInt(set->getProperty("ActiveTabIndex").get());
    if (hasNodeProperty(set, "HideTabButtonOnSelect"))
        m_hideButton = unboxPropertyBool(set->getProperty("HideTabButtonOnSelect").get());
}

}  // namespace oskel
