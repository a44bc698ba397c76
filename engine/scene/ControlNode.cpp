#include "engine/scene/ControlNode.h"

#include <algorithm>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/animation/Animator.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"

namespace oskel {

namespace {

// The templates being applied, outermost first: a template that contains (directly or through
// other templates) a control naming itself would otherwise be copied without end.
std::vector<s32>& templatesBeingApplied() {
    static thread_local std::vector<s32> names;
    return names;
}

}  // namespace

OSKEL_BEGIN_EVENT_MAP(ControlNode, BaseNode)
OSKEL_EVENT_HANDLER(EventNodeHoverEnter, onHoverEnter)
OSKEL_EVENT_HANDLER(EventNodeHoverLeaveOthers, onHoverLeaveOthers)
OSKEL_EVENT_HANDLER(EventNodeFocusEnter, onFocusEnter)
OSKEL_EVENT_HANDLER(EventNodeFocusLeaveOthers, onFocusLeaveOthers)
OSKEL_EVENT_HANDLER(EventNodePushRequest, onPushRequest)
OSKEL_EVENT_HANDLER(EventNodeReleaseOthers, onReleaseOthers)
OSKEL_EVENT_HANDLER(EventNodePressDone, onPressDone)
OSKEL_EVENT_HANDLER(EventMouseMove, onMouseMove)
OSKEL_EVENT_HANDLER(EventMouseLeftDown, onMouseLeftDown)
OSKEL_EVENT_HANDLER(EventMouseLeftUp, onMouseLeftUp)
OSKEL_EVENT_HANDLER(EventKeyboardKeyDown, onKeyDown)
OSKEL_EVENT_HANDLER(EventKeyboardKeyUp, onKeyUp)
OSKEL_END_EVENT_MAP()

const ControlNode::SVisualStates& ControlNode::visualStates() {
    static const SVisualStates states{
        CNameId("Normal").getId(),          CNameId("Focus").getId(),          CNameId("KillFocus").getId(),
        CNameId("Press").getId(),           CNameId("NormalHover").getId(),    CNameId("NormalKillHover").getId(),
        CNameId("FocusHover").getId(),      CNameId("FocusKillHover").getId(), CNameId("Pressed").getId(),
        CNameId("NormalDisable").getId(),   CNameId("FocusDisable").getId(),   CNameId("KillPressed").getId(),
    };
    return states;
}

ControlNode::ControlNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager) {
    addCategory(CategoryMouse | CategoryNode);
}

ControlNode::~ControlNode() { dropTemplateInstance(); }

const CPropertyTable& ControlNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<ControlNode>(t)
            .field<&ControlNode::m_defaultFocusObject, CNameIdBox>("DefaultFocusObject")
            .indexed<&ControlNode::getNavObject, &ControlNode::setNavObject, NavLeft, CNameIdBox>("NavLeftObjectName")
            .indexed<&ControlNode::getNavObject, &ControlNode::setNavObject, NavRight, CNameIdBox>("NavRightObjectName")
            .indexed<&ControlNode::getNavObject, &ControlNode::setNavObject, NavDown, CNameIdBox>("NavDownObjectName")
            .indexed<&ControlNode::getNavObject, &ControlNode::setNavObject, NavUp, CNameIdBox>("NavUpObjectName")
            .field<&ControlNode::m_templateName, &ControlNode::setTemplateName, CNameIdBox>("TemplateName")
            .field<&ControlNode::m_wantFocus>("WantFocus")
            .field<&ControlNode::m_focusOnHover>("IsFocusOnHover")
            .field<&ControlNode::m_enabled, &ControlNode::setEnabled>("Enabled")
            .field<&ControlNode::m_hoverTrack>("HoverTrack");
        return t;
    }();
    return table;
}

BaseNode* ControlNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<ControlNode>(this, parent, manager);
}

const stringw& ControlNode::getClassName() const {
    static const stringw name(L"ControlNode");
    return name;
}

const stringw& ControlNode::getThisClassName() const {
    static const stringw name(L"ControlNode");
    return name;
}

// ---- Helpers ----

bool ControlNode::isAncestorOf(const BaseNode* node) const {
    for (const BaseNode* p = node ? node->getParent() : nullptr; p; p = p->getParent())
        if (p == this) return true;
    return false;
}

bool ControlNode::hits(s32 x, s32 y) {
    return findNodeAt(vector2df(static_cast<f32>(x), static_cast<f32>(y))) != nullptr;
}

BaseNode* ControlNode::getFocusedChild() const {
    BaseNode* child = m_focusedChild.get();
    return isAncestorOf(child) ? child : nullptr;
}

void ControlNode::enterVisualState(s32 state) { setState(state, this); }

s32 ControlNode::resolveStateTransition(s32 state) const {
    static const std::map<s32, s32> fallbacks = [] {
        const SVisualStates& s = visualStates();
        return std::map<s32, s32>{
            {s.Focus, s.Normal},         {s.KillFocus, s.Normal},         {s.NormalDisable, s.Normal},
            {s.FocusDisable, s.NormalDisable}, {s.Pressed, s.Focus},      {s.KillPressed, s.Focus},
            {s.Press, s.Focus},          {s.NormalKillHover, s.Normal},   {s.FocusHover, s.NormalHover},
            {s.FocusKillHover, s.Focus},
        };
    }();
    auto found = fallbacks.find(state);
    return found == fallbacks.end() ? -1 : found->second;
}

// ---- Flags ----

void ControlNode::setEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    onEnabledChanged();
}

void ControlNode::setHovered(bool hovered) {
    if (m_hovered == hovered) return;
    CRefPtr<BaseNode> self(this);
    m_hovered = hovered;
    if (hovered) {
        routeToParent(DispatchSelfThenParents, makeEvent<CEventNodeHoverEnter>(nullptr, this).get());
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodeHovered>(nullptr, this).get());
        if (m_focusOnHover) setFocused(true);
    } else {
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodeUnhovered>(this, nullptr).get());
    }
    onHoveredChanged();
}

void ControlNode::setPressed(bool pressed) {
    if (m_pressed == pressed) return;
    CRefPtr<BaseNode> self(this);
    m_pressed = pressed;
    if (pressed)
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodePushed>(nullptr, this).get());
    else
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodeReleased>(this, nullptr).get());
    onPressedChanged();
}

void ControlNode::setFocused(bool focused) {
    if (m_focused == focused) return;
    if (focused && !m_wantFocus) return;
    CRefPtr<BaseNode> self(this);
    m_focused = focused;
    if (focused) {
        addCategory(CategoryKeyboard);
        routeToParent(DispatchSelfThenParents, makeEvent<CEventNodeFocusEnter>(nullptr, this).get());
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodeFocused>(nullptr, this).get());
        BaseNode* child = getFocusedChild();
        if (!child || child->getParent() != this) focusDefaultObject();
    } else {
        removeCategory(CategoryKeyboard);
        postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodeUnfocused>(this, nullptr).get());
    }
    onFocusedChanged();
}

bool ControlNode::press() {
    if (m_pressLatch) return false;
    CRefPtr<BaseNode> self(this);
    m_pressLatch = true;
    m_pressed = false;
    postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodePressPreview>(this).get());
    playPressState();
    return true;
}

void ControlNode::playPressState() { enterVisualState(visualStates().Press); }

// ---- Visual state ----

void ControlNode::updateVisualState() {
    const SVisualStates& s = visualStates();
    if (m_pressed)
        enterVisualState(s.Pressed);
    else if (m_hovered)
        enterVisualState(m_focused ? s.FocusHover : s.NormalHover);
    else
        enterVisualState(m_focused ? s.FocusKillHover : s.NormalKillHover);
}

void ControlNode::onPressedChanged() {
    if (m_pressed && !m_pressLatch) enterVisualState(visualStates().Pressed);
}

void ControlNode::onHoveredChanged() {
    if (!m_enabled || m_pressLatch) return;
    const SVisualStates& s = visualStates();
    if (m_hovered)
        enterVisualState(m_pressed ? s.Pressed : m_focused ? s.FocusHover : s.NormalHover);
    else
        enterVisualState(m_pressed ? s.KillPressed : m_focused ? s.FocusKillHover : s.NormalKillHover);
}

void ControlNode::onFocusedChanged() {
    const SVisualStates& s = visualStates();
    if (m_focused) {
        if (!m_enabled)
            enterVisualState(s.FocusDisable);
        else if (!m_pressLatch && !m_pressed)
            enterVisualState(m_hovered ? s.FocusHover : s.Focus);
    } else {
        if (!m_enabled)
            enterVisualState(s.NormalDisable);
        else if (!m_pressLatch && !m_pressed)
            enterVisualState(m_hovered ? s.NormalHover : s.KillFocus);
    }
}

void ControlNode::onEnabledChanged() { onFocusedChanged(); }

// ---- Focus and hover propagation ----

void ControlNode::focusDefaultObject() {
    CRefPtr<BaseNode> self(this);
    CRefPtr<CEventNodeFocusEnter> event = makeEvent<CEventNodeFocusEnter>(nullptr, nullptr);
    if (m_defaultFocusObject != -1) {
        if (BaseNode* child = findChildByName(m_defaultFocusObject, 1)) {
            CRefPtr<BaseNode> keep(child);
            if (child->onEvent(event.get())) return;
        }
    }
    routeToChildren(DispatchSelf, event.get());
}

bool ControlNode::onHoverEnter(CEvent* event) {
    BaseNode* node = static_cast<CEventNodeHoverEnter*>(event)->getNode();
    if (node == this) {
        setHovered(true);
    } else if (isAncestorOf(node)) {
        CRefPtr<BaseNode> self(this);
        setHovered(true);
        routeToChildren(DispatchSelf, makeEvent<CEventNodeHoverLeaveOthers>(nullptr, node).get());
    }
    return true;
}

bool ControlNode::onHoverLeaveOthers(CEvent* event) {
    auto* e = static_cast<CEventNodeHoverLeaveOthers*>(event);
    if (e->getKeptNode() == this) return false;
    if (e->getTarget() == this || !e->getTarget()) setHovered(false);
    return false;
}

bool ControlNode::onFocusEnter(CEvent* event) {
    BaseNode* node = static_cast<CEventNodeFocusEnter*>(event)->getNode();
    if (!node || node == this) {
        setFocused(true);
    } else if (isAncestorOf(node)) {
        CRefPtr<BaseNode> self(this);
        m_focusedChild = CRefPtr<BaseNode>(node);
        setFocused(true);
        routeToChildren(DispatchSelf, makeEvent<CEventNodeFocusLeaveOthers>(nullptr, node).get());
    }
    return true;
}

bool ControlNode::onFocusLeaveOthers(CEvent* event) {
    auto* e = static_cast<CEventNodeFocusLeaveOthers*>(event);
    if (e->getKeptNode() == this) return false;
    if (e->getTarget() == this || !e->getTarget()) setFocused(false);
    return false;
}

bool ControlNode::onPushRequest(CEvent* event) {
    if (static_cast<CEventNodePushRequest*>(event)->getNode() == this) setPressed(true);
    return true;
}

bool ControlNode::onReleaseOthers(CEvent* event) {
    auto* e = static_cast<CEventNodeReleaseOthers*>(event);
    if (e->getKeptNode() == this) return false;
    if (e->getTarget() == this || !e->getTarget()) setPressed(false);
    return false;
}

bool ControlNode::onPressDone(CEvent*) {
    postEvent(this, DispatchSelfThenParents, makeEvent<CEventNodePressed>(this).get());
    return true;
}

// ---- Input ----

bool ControlNode::onMouseMove(CEvent* event) {
    if (!m_hoverTrack) return false;
    auto* e = static_cast<CEventMouseMove*>(event);
    const bool hit = hits(e->getX(), e->getY());
    setHovered(hit);
    return hit;
}

bool ControlNode::onMouseLeftDown(CEvent* event) {
    auto* e = static_cast<CEventMouseLeftDown*>(event);
    if (!m_enabled || !hits(e->getX(), e->getY())) return false;
    CRefPtr<BaseNode> self(this);
    if (!m_pressLatch) setPressed(true);
    setFocused(true);
    return true;
}

bool ControlNode::onMouseLeftUp(CEvent* event) {
    auto* e = static_cast<CEventMouseLeftUp*>(event);
    if (m_enabled && hits(e->getX(), e->getY())) {
        if (m_pressed) press();
    } else {
        setPressed(false);
    }
    return false;
}

bool ControlNode::onKeyDown(CEvent* event) {
    ENavDirection direction;
    switch (static_cast<CEventKeyboardKey*>(event)->getKey()) {
        case VirtualKeyLeft: direction = NavLeft; break;
        case VirtualKeyRight: direction = NavRight; break;
        case VirtualKeyUp: direction = NavUp; break;
        case VirtualKeyDown: direction = NavDown; break;
        default: return false;
    }
    ControlNode* focused = asControlNode(getFocusedChild());
    if (!focused) return false;
    const s32 name = focused->m_nav[direction];
    if (name == -1) return false;
    ControlNode* target = asControlNode(findChildByName(name, 1));
    if (!target || !target->m_wantFocus) return false;
    target->setFocused(true);
    return true;
}

bool ControlNode::onKeyUp(CEvent*) { return false; }

bool ControlNode::routeToChildren(u32 mode, CEvent* event) {
    if (!m_enabled && event && event->isKindOf(EventTypeInput)) return false;
    return BaseNode::routeToChildren(mode, event);
}

// ---- States ----

void ControlNode::setState(s32 state, const IStateResolver* resolver) {
    CRefPtr<BaseNode> self(this);
    CRefPtr<ControlNode> instance(m_templateInstance && m_templateInstance->getChildCount() > 0 ? m_templateInstance
                                                                                                 : nullptr);
    const s32 participants = static_cast<s32>(getChildCount()) + (instance ? 1 : 0);
    if (participants == 0) {
        onEvent(makeEvent<CEventNodeStateStarted>(this, state).get());
        onEvent(makeEvent<CEventNodeStateFinished>(this, state).get());
        return;
    }
    onEvent(makeEvent<CEventNodeStateStarted>(this, state).get());
    setStateCounter(state, participants);
    std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
    if (instance) instance->setState(state, resolver);
    for (const CRefPtr<BaseNode>& child : children)
        if (child->getParent() == this) child->playState(state, resolver, -1);
}

bool ControlNode::onStateFinished(CEvent* event) {
    auto* e = static_cast<CEventNodeStateFinished*>(event);
    if (e->getNode() == this) {
        if (e->getStateId() != visualStates().Press || !m_pressLatch) return false;
        CRefPtr<BaseNode> self(this);
        m_pressLatch = false;
        updateVisualState();
        CRefPtr<CEventNodePressDone> done = makeEvent<CEventNodePressDone>(this);
        if (!onEvent(done.get())) routeToParent(DispatchSelfThenParents, done.get());
        return true;
    }
    if (m_templateInstance && e->getNode() == m_templateInstance) {
        onEvent(makeEvent<CEventNodeChildStateFinished>(m_templateInstance, e->getStateId()).get());
        return true;
    }
    return false;
}

// ---- Templates ----

ControlNode* ControlNode::makeTemplateInstance() {
    if (m_templateInstance) return m_templateInstance;
    auto* instance = new ControlNode(CCreationContext(getContentManager(), "TemplateRoot"), nullptr, nullptr);
    instance->setNameId(CNameId("TemplateRoot").getId());
    instance->setInternal(true);
    addChild(instance);  // the parent link holds the instance from here on
    instance->drop();
    m_templateInstance = instance;
    return instance;
}

void ControlNode::bindInternalChildren(const SSceneBinding& binding) {
    if (m_templateInstance) m_templateInstance->setSceneBinding(binding);
}

void ControlNode::dropTemplateInstance() {
    if (!m_templateInstance) return;
    ControlNode* instance = m_templateInstance;
    m_templateInstance = nullptr;
    removeChild(instance);
}

void ControlNode::applyTemplate() {
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    if (!templates) return;
    CRefPtr<BaseNode> self(this);
    CRefPtr<TemplateCollectionNode> keep(templates);
    std::vector<s32>& applying = templatesBeingApplied();
    s32 name = m_templateName;
    if (name != -1 && std::find(applying.begin(), applying.end(), name) != applying.end()) {
        stringc hint("template \"");
        hint += CNameId::fromId(name).getName();
        hint += "\"";
        CLogger::instance().logHint("A template contains a control that uses the same template: left empty",
                                    hint.c_str(), LogWarning);
        name = -1;
    }
    ControlNode* instance = makeTemplateInstance();
    CRefPtr<ControlNode> keepInstance(instance);
    templates->applyTemplate(name, instance);
    instance->updateAbsoluteTransform();
    instance->updateAbsoluteColor();
    if (name != -1) {
        applying.push_back(name);
        instance->routeToChildren(DispatchSelfThenChildren, makeEvent<CEventNodeTemplatesChanged>(templates).get());
        applying.pop_back();
    }
    // The copy starts in the template's own (enabled) look: a disabled control enters its
    // disabled state again, also when it was disabled before it had a template (scene files).
    if (!m_enabled) onEnabledChanged();
}

void ControlNode::setTemplateName(s32 nameId) {
    m_templateName = nameId;
    applyTemplate();
}

bool ControlNode::onSceneActivated(CEvent*) {
    applyTemplate();
    return false;
}

bool ControlNode::onTemplatesChanged(CEvent*) {
    applyTemplate();
    return false;
}

bool ControlNode::onEvent36(CEvent*) {
    applyTemplate();
    return false;
}

// ---- Drawing and hits ----

bool ControlNode::hitTest(const vector2df& point) const {
    if (!isVisible() || !m_templateInstance) return false;
    return m_templateInstance->findNodeAt(point) != nullptr;
}

void ControlNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if (m_templateInstance) m_templateInstance->render(list);
    for (BaseNode* child : getChildren()) child->render(list);
}

void ControlNode::updateAbsoluteTransform() {
    BaseNode::updateAbsoluteTransform();
    if (m_templateInstance) m_templateInstance->updateAbsoluteTransform();
}

void ControlNode::updateAbsoluteColor() {
    BaseNode::updateAbsoluteColor();
    if (m_templateInstance) m_templateInstance->updateAbsoluteColor();
}

// ---- Copy and properties ----

void ControlNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const ControlNode* control = asControlNode(const_cast<BaseNode*>(source));
    if (!control || control == this) return;
    m_enabled = control->m_enabled;
    m_wantFocus = control->m_wantFocus;
    m_hoverTrack = control->m_hoverTrack;
    m_focusOnHover = control->m_focusOnHover;
    m_defaultFocusObject = control->m_defaultFocusObject;
    std::copy(std::begin(control->m_nav), std::end(control->m_nav), std::begin(m_nav));
    m_templateName = control->m_templateName;
    dropTemplateInstance();
    if (ControlNode* from = control->m_templateInstance) {
        ControlNode* instance = makeTemplateInstance();
        for (BaseNode* child : from->getChildren())
            if (!child->isInternal()) child->clone(instance, getSceneManager());
        for (const auto& entry : from->getStates()) {
            CRefPtr<Animator> copy = CRefPtr<Animator>::fromRaw(entry.second->clone());
            instance->addState(copy.get());
        }
        instance->setDefaultState(from->getDefaultState());
    }
}

void ControlNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    auto addName = [set](const char* key, s32 id) {
        if (id != -1) set->addString(key, CNameId::fromId(id).getName());
    };
    addName("DefaultFocusObjectName", m_defaultFocusObject);
    addName("NavLeftObjectName", m_nav[NavLeft]);
    addName("NavRightObjectName", m_nav[NavRight]);
    addName("NavDownObjectName", m_nav[NavDown]);
    addName("NavUpObjectName", m_nav[NavUp]);
    addName("TemplateName", m_templateName);
    if (!m_enabled) set->addBool("Enabled", false);
    if (!m_wantFocus) set->addBool("WantFocus", false);
    set->addBool("IsFocusOnHover", m_focusOnHover);
    if (!m_hoverTrack) set->addBool("HoverTrack", false);
}

void ControlNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    auto present = [set](const char* name) { return set->getPropertyIndex(name) >= 0; };
    auto nameOf = [set](const char* name) { return CNameIdBox::unbox(set->getProperty(name).get()); };
    if (present("DefaultFocusObjectName")) m_defaultFocusObject = nameOf("DefaultFocusObjectName");
    if (present("NavLeftObjectName")) m_nav[NavLeft] = nameOf("NavLeftObjectName");
    if (present("NavRightObjectName")) m_nav[NavRight] = nameOf("NavRightObjectName");
    if (present("NavDownObjectName")) m_nav[NavDown] = nameOf("NavDownObjectName");
    if (present("NavUpObjectName")) m_nav[NavUp] = nameOf("NavUpObjectName");
    if (present("WantFocus")) m_wantFocus = set->getBool("WantFocus");
    if (present("IsFocusOnHover")) m_focusOnHover = set->getBool("IsFocusOnHover");
    if (present("HoverTrack")) m_hoverTrack = set->getBool("HoverTrack");
    if (present("Enabled")) setEnabled(set->getBool("Enabled"));
    if (present("TemplateName")) setTemplateName(nameOf("TemplateName"));
}

}  // namespace oskel
