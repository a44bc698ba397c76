#include "engine/nodes/MessageBoxNode.h"

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"

namespace oskel {

OSKEL_BEGIN_EVENT_MAP(MessageBoxNode, SceneNode)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_END_EVENT_MAP()

MessageBoxNode::MessageBoxNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : SceneNode(context, parent, manager) {}

MessageBoxNode::~MessageBoxNode() {
    m_titleNode = nullptr;
    m_bodyNode = nullptr;
    m_buttons.clear();
}

SceneNode* MessageBoxNode::create(const CCreationContext& context) {
    return new MessageBoxNode(context);
}

BaseNode* MessageBoxNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<MessageBoxNode>(this, parent, manager);
}

const stringw& MessageBoxNode::getClassName() const {
    static const stringw name(L"MessageBoxNode");
    return name;
}

const stringw& MessageBoxNode::getThisClassName() const {
    static const stringw name(L"MessageBoxNode");
    return name;
}

void MessageBoxNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
}

void MessageBoxNode::setTitleText(const stringw& text) {
    m_titleText = text;
    if (m_titleNode) m_titleNode->setText(text);
}

void MessageBoxNode::setBodyText(const stringw& text) {
    m_bodyText = text;
    if (m_bodyNode) m_bodyNode->setText(text);
}

void MessageBoxNode::setButtonTexts(const array<stringw>& texts) {
    m_buttonTexts = texts;
    for (u32 k = 0; k < m_buttons.size(); ++k)
        m_buttons[k]->setText(k < texts.size() ? texts[k] : stringw());
}

void MessageBoxNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    SceneNode::applyTemplate();
    m_titleNode = nullptr;
    m_bodyNode = nullptr;
    m_buttons.clear();
    if (ControlNode* instance = getTemplateInstance()) {
        m_titleNode.assign(asTextNode(instance->findChildByName(CNameId("TitleText").getId(), 1)));
        m_bodyNode.assign(asTextNode(instance->findChildByName(CNameId("BodyText").getId(), 1)));
        const s32 buttonName = CNameId("Button").getId();
        for (BaseNode* child : instance->getChildren())
            if (ButtonNode* button = asButtonNode(child))
                if (button->getNameId() == buttonName) m_buttons.emplace_back(button);
    }
    setTitleText(m_titleText);
    setBodyText(m_bodyText);
    setButtonTexts(m_buttonTexts);
}

bool MessageBoxNode::onNodePressed(CEvent* event) {
    if (m_buttons.empty() || m_closing) return false;
    BaseNode* sender = static_cast<CEventNodePressed*>(event)->getNode();
    for (u32 k = 0; k < m_buttons.size(); ++k) {
        if (m_buttons[k].get() != sender) continue;
        CRefPtr<BaseNode> self(this);
        m_result = static_cast<s32>(k);
        m_closing = true;
        const STransitionStates& states = transitionStates();
        goBack(0, states.NavBackFrom, states.NavBackTo);
        return true;
    }
    return false;
}

bool MessageBoxNode::routeToChildren(u32 mode, CEvent* event) {
    if (!event) return false;
    CRefPtr<BaseNode> self(this);
    if (SceneNode::routeToChildren(mode, event)) return true;
    // The buttons live in the template instance, which routing does not enter by itself.
    std::vector<CRefPtr<ButtonNode>> buttons = m_buttons;
    for (const CRefPtr<ButtonNode>& button : buttons)
        if (button->acceptsEvent(event) && button->dispatchEvent(mode, event)) return true;
    return false;
}

}  // namespace oskel
