#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/scene/ControlNode.h"

namespace oskel {

class CAtlasTexture;
class SpriteNode;
class TextNode;

// The clickable control of the menus: its look comes from its template, into whose direct
// children "Text" (a text node) and "Image" (a sprite node) it puts its caption and its image.
// Caption and image set before the template is bound stay stored and show at binding; every
// template change binds the children again. A button takes the focus when the pointer enters it.
class ButtonNode : public ControlNode {
public:
    ButtonNode(const CCreationContext& context, BaseNode* parent = nullptr,
               SceneManager* manager = nullptr);
    ~ButtonNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeButton; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeButton || ControlNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    void applyTemplate() override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Stores the caption and shows it in the text child (which translates it).
    void setText(const stringw& text);
    const stringw& getText() const { return m_caption; }
    // Stores the image (held) and gives it to the image child, also when it is unchanged.
    void setImage(CAtlasTexture* image);
    CAtlasTexture* getImage() const { return m_image.get(); }

    // The bound children of the template instance, or none.
    TextNode* getTextChild() const { return m_textChild.get(); }
    SpriteNode* getImageChild() const { return m_imageChild.get(); }

protected:
    // Takes "Text" and "Image" from the direct children of the template instance.
    void bindTemplateChildren();

private:
    stringw m_caption;
    CRefPtr<CAtlasTexture> m_image;
    CRefPtr<TextNode> m_textChild;
    CRefPtr<SpriteNode> m_imageChild;
};

// A button that, on every click notice that reaches it (its own or one from a control inside
// it), sends the scene manager's current scene back one scene ("NavBackFrom", "NavBackTo"). The
// notice travels on to the parents.
class BackButtonNode : public ButtonNode {
    OSKEL_DECLARE_EVENT_MAP()

public:
    BackButtonNode(const CCreationContext& context, BaseNode* parent = nullptr,
                   SceneManager* manager = nullptr);

    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeBackButton; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeBackButton || ButtonNode::isKindOf(typeId);
    }

    virtual bool onNodePressed(CEvent* event);
};

// A button with a checked flag that a click toggles. Its look comes from twenty states: the
// twelve of a control and eight checked ones, chosen from its flags; a template that lacks a
// checked state falls back to a plain one, so a template with only "Normal" and "NormalCheck"
// shows the mark in every situation. A click posts a value change to the parents.
class CheckBoxNode : public ButtonNode {
public:
    CheckBoxNode(const CCreationContext& context, BaseNode* parent = nullptr,
                 SceneManager* manager = nullptr);

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeCheckBox; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeCheckBox || ButtonNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    s32 resolveStateTransition(s32 state) const override;

    // The click: refused while a press runs; otherwise toggles the flag, enters the matching
    // state and posts 60 to the parents.
    bool press() override;
    void applyTemplate() override;
    void playPressState() override;
    // A check box never enters the pressed states.
    void updateVisualState() override {}
    void onPressedChanged() override {}
    void onHoveredChanged() override;
    void onFocusedChanged() override;
    bool onStateFinished(CEvent* event) override;
    // Enters the state that the checked, enabled, focused and hovered flags select; while a click
    // runs, when its "Press" ends.
    virtual void updateCheckState();

    // Stores the flag and enters the matching state; posts nothing.
    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }

    // The eight checked state names.
    struct SCheckStates {
        s32 NormalCheck, FocusCheck, NormalCheckHover, FocusCheckHover, NormalCheckKillHover,
            FocusCheckKillHover, NormalCheckDisable, FocusCheckDisable;
    };
    static const SCheckStates& checkStates();

private:
    bool m_checked = false;
};

// The node as a button when it is a kind of one, else none.
inline ButtonNode* asButtonNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeButton) ? static_cast<ButtonNode*>(node) : nullptr;
}
inline CheckBoxNode* asCheckBoxNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeCheckBox) ? static_cast<CheckBoxNode*>(node) : nullptr;
}

}  // namespace oskel
