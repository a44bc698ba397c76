#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

class ButtonNode;
class TextNode;

// A small modal scene that the scene manager shows over the scene that asked: a title, a body
// text and the buttons of its template (every direct child of the template that is a button named
// "Button", in child order). A click on one of them closes the box; the asking scene then gets
// the button's index in a message-box result (40). Made only by the scene manager (through the
// creator that the node library installs), never by the node factory.
class MessageBoxNode : public SceneNode, public IMessageBox {
    OSKEL_DECLARE_EVENT_MAP()

public:
    MessageBoxNode(const CCreationContext& context, BaseNode* parent = nullptr,
                   SceneManager* manager = nullptr);
    ~MessageBoxNode() override;

    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeMessageBox; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeMessageBox || SceneNode::isKindOf(typeId);
    }
    // A copy carries no texts.
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    void applyTemplate() override;
    // A click on one of the box's buttons: the result is its index and the box goes back. Once a
    // result is chosen, further clicks are not handled.
    virtual bool onNodePressed(CEvent* event);

    bool routeToChildren(u32 mode, CEvent* event) override;

    void setButtonTexts(const array<stringw>& texts) override;
    void setTitleText(const stringw& text) override;
    void setBodyText(const stringw& text) override;
    s32 getResult() const override { return m_result; }

    const stringw& getTitleText() const { return m_titleText; }
    const stringw& getBodyText() const { return m_bodyText; }
    const array<stringw>& getButtonTexts() const { return m_buttonTexts; }
    u32 getButtonCount() const { return static_cast<u32>(m_buttons.size()); }
    ButtonNode* getButton(u32 index) const {
        return index < m_buttons.size() ? m_buttons[index].get() : nullptr;
    }
    TextNode* getTitleNode() const { return m_titleNode.get(); }
    TextNode* getBodyNode() const { return m_bodyNode.get(); }
    // A button has closed the box.
    bool isClosing() const { return m_closing; }

    // The creator the scene manager uses when none of its own is set.
    static SceneNode* create(const CCreationContext& context);

private:
    s32 m_result = 0;
    bool m_closing = false;
    stringw m_titleText;
    stringw m_bodyText;
    array<stringw> m_buttonTexts;
    CRefPtr<TextNode> m_titleNode;
    CRefPtr<TextNode> m_bodyNode;
    std::vector<CRefPtr<ButtonNode>> m_buttons;
};

}  // namespace oskel
