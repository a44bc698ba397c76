#pragma once

#include "engine/scene/BaseNode.h"

namespace oskel {

// The interactive node: enabled, focused, hovered and pressed flags with a visual state that
// follows them, the click sequence ("Press" state, then 59), keyboard focus with arrow-key
// navigation between named siblings, and a template copied from the scene manager's template
// collection into an internal child, the template instance, that gives the control its look
// and its hit area.
class ControlNode : public BaseNode, public IStateResolver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    ControlNode(const CCreationContext& context, BaseNode* parent = nullptr, SceneManager* manager = nullptr);
    ~ControlNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeControl; }
    bool isKindOf(s32 typeId) const override { return typeId == NodeTypeControl || BaseNode::isKindOf(typeId); }

    void render(DrawList& list) override;
    bool hitTest(const vector2df& point) const override;
    void setState(s32 state, const IStateResolver* resolver = nullptr) override;
    void updateAbsoluteTransform() override;
    void updateAbsoluteColor() override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    bool onSceneActivated(CEvent* event) override;
    bool onTemplatesChanged(CEvent* event) override;
    bool onEvent36(CEvent* event) override;
    bool onAnimatorStarted(CEvent*) override { return true; }
    bool onStateFinished(CEvent* event) override;

    bool routeToChildren(u32 mode, CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // The fallback of a visual state the node has no animator for (-1: none).
    s32 resolveStateTransition(s32 state) const override;

    virtual void setFocused(bool focused);
    virtual void setEnabled(bool enabled);
    virtual void setHovered(bool hovered);
    virtual void setPressed(bool pressed);
    // Starts a click: false while one is running.
    virtual bool press();
    virtual void applyTemplate();
    virtual void playPressState();
    virtual void updateVisualState();
    virtual void onPressedChanged();
    virtual void onHoveredChanged();
    virtual void onFocusedChanged();
    virtual void onEnabledChanged();
    virtual void focusDefaultObject();
    virtual bool onHoverEnter(CEvent* event);
    virtual bool onHoverLeaveOthers(CEvent* event);
    virtual bool onFocusEnter(CEvent* event);
    virtual bool onFocusLeaveOthers(CEvent* event);
    virtual bool onPushRequest(CEvent* event);
    virtual bool onReleaseOthers(CEvent* event);
    virtual bool onPressDone(CEvent* event);
    virtual bool onMouseMove(CEvent* event);
    virtual bool onMouseLeftDown(CEvent* event);
    virtual bool onMouseLeftUp(CEvent* event);
    virtual bool onKeyDown(CEvent* event);
    virtual bool onKeyUp(CEvent* event);

    void setTemplateName(s32 nameId);
    void setTemplateByName(const char* name) { setTemplateName(name && *name ? CNameId(name).getId() : -1); }
    s32 getTemplateName() const { return m_templateName; }
    ControlNode* getTemplateInstance() const { return m_templateInstance; }

    bool isEnabled() const { return m_enabled; }
    bool isFocused() const { return m_focused; }
    bool isHovered() const { return m_hovered; }
    bool isPressed() const { return m_pressed; }
    bool isPressRunning() const { return m_pressLatch; }
    bool getWantFocus() const { return m_wantFocus; }
    void setWantFocus(bool want) { m_wantFocus = want; }
    bool isFocusOnHover() const { return m_focusOnHover; }
    void setFocusOnHover(bool on) { m_focusOnHover = on; }
    bool isHoverTracked() const { return m_hoverTrack; }
    void setHoverTrack(bool on) { m_hoverTrack = on; }
    // The descendant that last reported the focus, while it is still below this control.
    BaseNode* getFocusedChild() const;

    s32 getDefaultFocusObject() const { return m_defaultFocusObject; }
    void setDefaultFocusObject(s32 nameId) { m_defaultFocusObject = nameId; }
    // Arrow keys: 0 left, 1 right, 2 down, 3 up.
    enum ENavDirection { NavLeft = 0, NavRight = 1, NavDown = 2, NavUp = 3 };
    s32 getNavObject(ENavDirection direction) const { return m_nav[direction]; }
    void setNavObject(ENavDirection direction, s32 nameId) { m_nav[direction] = nameId; }

    // The node when it is a control, else none.
    static ControlNode* asControlNode(BaseNode* node) {
        return node && node->isKindOf(NodeTypeControl) ? static_cast<ControlNode*>(node) : nullptr;
    }

    // The twelve visual state names.
    struct SVisualStates {
        s32 Normal, Focus, KillFocus, Press, NormalHover, NormalKillHover, FocusHover, FocusKillHover,
            Pressed, NormalDisable, FocusDisable, KillPressed;
    };
    static const SVisualStates& visualStates();

protected:
    void bindInternalChildren(const SSceneBinding& binding) override;

private:

    bool isAncestorOf(const BaseNode* node) const;
    bool hits(s32 x, s32 y);
    void enterVisualState(s32 state);
    void dropTemplateInstance();
    ControlNode* makeTemplateInstance();

    s32 m_defaultFocusObject = -1;
    s32 m_nav[4] = {-1, -1, -1, -1};
    s32 m_templateName = -1;
    ControlNode* m_templateInstance = nullptr;  // held through the parent link
    CRefPtr<BaseNode> m_focusedChild;
    bool m_wantFocus = true;
    bool m_focused = false;
    bool m_enabled = true;
    bool m_hoverTrack = true;
    bool m_hovered = false;
    bool m_focusOnHover = false;
    bool m_pressed = false;
    bool m_pressLatch = false;
};

}  // namespace oskel
