#include "engine/nodes/ButtonNode.h"

#include <map>

#include "engine/nodes/NodeResources.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

namespace {

const CNameId& textPartName() {
    static const CNameId name("Text");
    return name;
}

const CNameId& imagePartName() {
    static const CNameId name("Image");
    return name;
}

}  // namespace

// ---- ButtonNode ----

ButtonNode::ButtonNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ControlNode(context, parent, manager) {
    setFocusOnHover(true);
}

ButtonNode::~ButtonNode() {
    m_image = nullptr;
    m_textChild = nullptr;
    m_imageChild = nullptr;
}

const CPropertyTable& ButtonNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<ButtonNode>(t)
            .field<&ButtonNode::m_caption, &ButtonNode::setText, CWideTextBox>("Text")
            .accessors<&ButtonNode::getImage, &ButtonNode::setImage, CAtlasTextureBox>("Image");
        return t;
    }();
    return table;
}

BaseNode* ButtonNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<ButtonNode>(this, parent, manager);
}

const stringw& ButtonNode::getClassName() const {
    static const stringw name(L"ButtonNode");
    return name;
}

const stringw& ButtonNode::getThisClassName() const {
    static const stringw name(L"ButtonNode");
    return name;
}

void ButtonNode::setText(const stringw& text) {
    m_caption = text;
    if (m_textChild) m_textChild->setText(m_caption);
}

void ButtonNode::setImage(CAtlasTexture* image) {
    if (image != m_image.get()) m_image.assign(image);
    if (m_imageChild) m_imageChild->setAtlasTexture(m_image.get());
}

void ButtonNode::bindTemplateChildren() {
    m_textChild = nullptr;
    m_imageChild = nullptr;
    ControlNode* instance = getTemplateInstance();
    if (!instance) return;
    // Direct children only; a child of the name but of another class binds nothing.
    m_textChild.assign(asTextNode(instance->findChildByName(textPartName().getId(), 1)));
    BaseNode* image = instance->findChildByName(imagePartName().getId(), 1);
    if (image && image->isKindOf(NodeTypeSprite))
        m_imageChild.assign(static_cast<SpriteNode*>(image));
}

void ButtonNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    ControlNode::applyTemplate();
    bindTemplateChildren();
    if (m_textChild) m_textChild->setText(m_caption);
    setImage(m_image.get());
}

void ButtonNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    // The copy's own template instance (copied above) holds its parts.
    bindTemplateChildren();
    const ButtonNode* button = asButtonNode(const_cast<BaseNode*>(source));
    if (!button || button == this) return;
    setText(button->m_caption);
    setImage(button->m_image.get());
}

void ButtonNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (!m_caption.empty()) set->addStringW("Text", m_caption);
    if (m_image) set->addProperty("Image", boxAtlasTexture(m_image.get()));
}

void ButtonNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    if (hasNodeProperty(set, "Text")) setText(getPropertyTextW(set->getProperty("Text").get()));
    if (hasNodeProperty(set, "Image")) setImage(unboxAtlasTexture(set->getProperty("Image").get()));
}

// ---- BackButtonNode ----

OSKEL_BEGIN_EVENT_MAP(BackButtonNode, ButtonNode)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_END_EVENT_MAP()

BackButtonNode::BackButtonNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : ButtonNode(context, parent, manager) {}

BaseNode* BackButtonNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<BackButtonNode>(this, parent, manager);
}

const stringw& BackButtonNode::getClassName() const {
    static const stringw name(L"BackButtonNode");
    return name;
}

const stringw& BackButtonNode::getThisClassName() const {
    static const stringw name(L"BackButtonNode");
    return name;
}

bool BackButtonNode::onNodePressed(CEvent*) {
    SceneManager* manager = getSceneManager();
    SceneNode* current = manager ? manager->getCurrentScene() : nullptr;
    if (current) {
        CRefPtr<SceneNode> keep(current);
        const SceneNode::STransitionStates& states = SceneNode::transitionStates();
        current->goBack(0, states.NavBackFrom, states.NavBackTo);
    }
    // The notice goes on to the parents and the scene.
    return false;
}

// ---- CheckBoxNode ----

const CheckBoxNode::SCheckStates& CheckBoxNode::checkStates() {
    static const SCheckStates states{
        CNameId("NormalCheck").getId(),          CNameId("FocusCheck").getId(),
        CNameId("NormalCheckHover").getId(),     CNameId("FocusCheckHover").getId(),
        CNameId("NormalCheckKillHover").getId(), CNameId("FocusCheckKillHover").getId(),
        CNameId("NormalCheckDisable").getId(),   CNameId("FocusCheckDisable").getId(),
    };
    return states;
}

CheckBoxNode::CheckBoxNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ButtonNode(context, parent, manager) {}

const CPropertyTable& CheckBoxNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ButtonNode::getPropertyTable();
        TPropertyTableBuilder<CheckBoxNode>(t)
            .field<&CheckBoxNode::m_checked, &CheckBoxNode::setChecked>("IsChecked");
        return t;
    }();
    return table;
}

BaseNode* CheckBoxNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<CheckBoxNode>(this, parent, manager);
}

const stringw& CheckBoxNode::getClassName() const {
    static const stringw name(L"CheckBoxNode");
    return name;
}

const stringw& CheckBoxNode::getThisClassName() const {
    static const stringw name(L"CheckBoxNode");
    return name;
}

s32 CheckBoxNode::resolveStateTransition(s32 state) const {
    static const std::map<s32, s32> substitutes = [] {
        const SCheckStates& c = checkStates();
        return std::map<s32, s32>{
            {c.FocusCheck, c.NormalCheck},
            {c.NormalCheckDisable, c.NormalCheck},
            {c.FocusCheckDisable, c.FocusCheck},
            {c.NormalCheckHover, c.NormalCheck},
            {c.NormalCheckKillHover, c.NormalCheck},
            {c.FocusCheckHover, c.NormalCheckHover},
            {c.FocusCheckKillHover, c.FocusCheck},
            // A template without checked states shows the plain ones.
            {c.NormalCheck, visualStates().Normal},
        };
    }();
    auto found = substitutes.find(state);
    return found == substitutes.end() ? ControlNode::resolveStateTransition(state) : found->second;
}

void CheckBoxNode::updateCheckState() {
    // A running click keeps its "Press": the state that the flags select follows when it ends
    // (a check state entered meanwhile would cut the press short on a shared child).
    if (isPressRunning()) return;
    const SCheckStates& c = checkStates();
    const SVisualStates& v = visualStates();
    const bool focused = isFocused();
    const bool hovered = isHovered();
    s32 state;
    if (m_checked) {
        if (isEnabled())
            state = focused ? (hovered ? c.FocusCheckHover : c.FocusCheck)
                            : (hovered ? c.NormalCheckHover : c.NormalCheck);
        else
            state = focused ? c.FocusCheckDisable : c.NormalCheckDisable;
    } else {
        if (isEnabled())
            state =
                focused ? (hovered ? v.FocusHover : v.Focus) : (hovered ? v.NormalHover : v.Normal);
        else
            state = focused ? v.FocusDisable : v.NormalDisable;
    }
    setState(state, this);
}

void CheckBoxNode::onHoveredChanged() {
    if (!isEnabled() || isPressRunning()) return;
    const SCheckStates& c = checkStates();
    const SVisualStates& v = visualStates();
    const bool focused = isFocused();
    s32 state;
    if (isHovered())
        state = m_checked ? (focused ? c.FocusCheckHover : c.NormalCheckHover)
                          : (focused ? v.FocusHover : v.NormalHover);
    else
        state = m_checked ? (focused ? c.FocusCheckKillHover : c.NormalCheckKillHover)
                          : (focused ? v.FocusKillHover : v.NormalKillHover);
    setState(state, this);
}

void CheckBoxNode::onFocusedChanged() { updateCheckState(); }

bool CheckBoxNode::onStateFinished(CEvent* event) {
    CRefPtr<BaseNode> self(this);
    const bool running = isPressRunning();
    const bool consumed = ButtonNode::onStateFinished(event);
    // The click has ended: the look catches up with the flags.
    if (running && !isPressRunning()) updateCheckState();
    return consumed;
}

void CheckBoxNode::playPressState() { setState(visualStates().Press, this); }

bool CheckBoxNode::press() {
    CRefPtr<BaseNode> self(this);
    if (!ButtonNode::press()) return false;
    m_checked = !m_checked;
    updateCheckState();
    postEventToParent(DispatchSelfThenParents, makeEvent<CEventNodeValueChanged>(this).get());
    return true;
}

void CheckBoxNode::applyTemplate() {
    if (!getSceneManager()) return;
    ButtonNode::applyTemplate();
    updateCheckState();
}

void CheckBoxNode::setChecked(bool checked) {
    m_checked = checked;
    updateCheckState();
}

void CheckBoxNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ButtonNode::copyFrom(source, manager);
    const CheckBoxNode* box = asCheckBoxNode(const_cast<BaseNode*>(source));
    if (box && box != this) m_checked = box->m_checked;
}

void CheckBoxNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ButtonNode::saveProperties(set);
    if (m_checked) set->addBool("IsChecked", true);
}

void CheckBoxNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ButtonNode::loadProperties(set);
    if (hasNodeProperty(set, "IsChecked"))
        m_checked = unboxPropertyBool(set->getProperty("IsChecked").get());
    updateCheckState();
}

}  // namespace oskel
