#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/SceneNode.h"

namespace oskel {

// A scene-like container of numbered pages (its direct children "Tab1", "Tab2", ...) with one
// button per page ("Tab1Button", ...). A click on a page's button switches to it: the old and the
// new page play the state named after the two tab numbers ("1To2"), input is held back until both
// have finished it, and the switch is reported to the pages and upwards as 41 (handed to both
// pages at once), 43 at its start and 42 at its end. The first selection and a forced one play
// "Default" on every page and show the selected page alone. The shown page is drawn over the
// other pages, its button over the other buttons.
class TabSceneNode : public SceneNode {
    OSKEL_DECLARE_EVENT_MAP()

public:
    TabSceneNode(const CCreationContext& context, BaseNode* parent = nullptr,
                 SceneManager* manager = nullptr);
    ~TabSceneNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeTabScene; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeTabScene || SceneNode::isKindOf(typeId);
    }
    void render(DrawList& list) override;
    // Collects the pages and buttons by name.
    void onLoaded() override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    // Binds the template, then shows ActiveTabIndex with every page in "Default".
    bool onSceneActivated(CEvent* event) override;
    // The end of a switch's state in one of its pages; other state ends are the scene's.
    bool onStateFinished(CEvent* event) override;
    virtual bool onNodePressedPreview(CEvent*) { return false; }
    // A click on a tab's button selects the tab; the notice travels on.
    virtual bool onNodePressed(CEvent* event);

    bool routeToChildren(u32 mode, CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Switches to page j (0-based); ignored for a page that does not exist, and for the shown
    // page unless forced (which replays "Default" on every page).
    void selectTab(s32 index, bool force);
    void setActiveTabIndex(s32 index) { selectTab(index, false); }
    s32 getActiveTabIndex() const { return m_activeTab; }
    s32 getTabsCount() const { return m_tabsCount; }
    void setTabsCount(s32 count) { m_tabsCount = count; }
    bool getHideTabButtonOnSelect() const { return m_hideButton; }
    void setHideTabButtonOnSelect(bool hide) { m_hideButton = hide; }

    // The collected pages and buttons (entries may be none).
    u32 getPageCount() const { return static_cast<u32>(m_pages.size()); }
    BaseNode* getPage(u32 index) const {
        return index < m_pages.size() ? m_pages[index].get() : nullptr;
    }
    BaseNode* getTabButton(u32 index) const {
        return index < m_buttons.size() ? m_buttons[index].get() : nullptr;
    }
    // A switch is running: its pages have not all finished the transition state.
    bool isSwitching() const { return m_pending > 0; }
    s32 getTransitionState() const { return m_transitionState; }

    static s32 defaultStateId();

private:
    BaseNode* pageAt(s32 index) const {
        return index >= 0 ? getPage(static_cast<u32>(index)) : nullptr;
    }
    BaseNode* buttonAt(s32 index) const {
        return index >= 0 ? getTabButton(static_cast<u32>(index)) : nullptr;
    }
    void postTabEvent(BaseNode* page, CEvent* event);

    s32 m_tabsCount = 0;
    s32 m_activeTab = -1;
    bool m_hideButton = false;
    std::vector<CRefPtr<BaseNode>> m_pages;
    std::vector<CRefPtr<BaseNode>> m_buttons;
    s32 m_previousTab = -1;
    s32 m_transitionState = -1;
    s32 m_pending = 0;
    s32 m_lastPagePosition = -1;
    s32 m_lastButtonPosition = -1;
};

}  // namespace oskel
