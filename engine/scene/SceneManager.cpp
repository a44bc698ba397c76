#include "engine/scene/SceneManager.h"

#include <algorithm>

#include "engine/core/ICursorControl.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

namespace {

bool isMessageBox(const BaseNode* node) { return node && node->isKindOf(NodeTypeMessageBox); }

const SceneTransition kNoTransition{nullptr, -1, nullptr, -1, 1, 0};

SceneManager::MessageBoxCreator g_defaultMessageBoxCreator = nullptr;

}  // namespace

OSKEL_BEGIN_EVENT_MAP(SceneManager, BaseNode)
OSKEL_EVENT_HANDLER(EventNodeStateFinished, onStateFinished)
OSKEL_END_EVENT_MAP()

SceneManager::SceneManager(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager), IUpdateReceiver(0) {
    addCategory(CategoryKeyboard | CategoryMouse);
}

SceneManager::~SceneManager() {
    m_drawList.clear();
    m_queue.clear();
    m_pendingChanges.clear();
    flushRemovals();
    // The scenes go before their schedulers.
    removeAllChildren();
    m_currentScene = nullptr;
    m_transitions.clear();
    if (m_templates) m_templates->drop();
    m_templates = nullptr;
    for (SceneScheduler& entry : m_schedulers)
        if (m_host) m_host->releaseDrivenScheduler(entry.scheduler.get());
    m_schedulers.clear();
    m_retiredSchedulers.clear();
    setUpdateSource(nullptr);
}

BaseNode* SceneManager::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SceneManager>(this, parent, manager);
}

void SceneManager::setDefaultMessageBoxCreator(MessageBoxCreator creator) { g_defaultMessageBoxCreator = creator; }

SceneManager::MessageBoxCreator SceneManager::getDefaultMessageBoxCreator() { return g_defaultMessageBoxCreator; }

void SceneManager::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    // A copy runs in the same program as its source.
    if (const SceneManager* other = dynamic_cast<const SceneManager*>(source)) m_host = other->m_host;
    removeAllChildren();
    clearStates();
}

const stringw& SceneManager::getClassName() const {
    static const stringw name(L"SceneManager");
    return name;
}

const stringw& SceneManager::getThisClassName() const { return getClassName(); }

// ---- Transitions ----

bool SceneManager::isInTransition(const BaseNode* node) const {
    if (!node) return false;
    for (const SceneTransition& t : m_transitions)
        if (t.leaving == node || t.entering == node) return true;
    return false;
}

SceneTransition SceneManager::findTransition(const BaseNode* node) const {
    for (const SceneTransition& t : m_transitions)
        if (node && (t.leaving == node || t.entering == node)) return t;
    return kNoTransition;
}

void SceneManager::removeTransition(const BaseNode* node) {
    for (size_t i = 0; i < m_transitions.size(); ++i) {
        if (m_transitions[i].leaving == node || m_transitions[i].entering == node) {
            m_transitions[i] = m_transitions.back();
            m_transitions.pop_back();
            return;
        }
    }
}

bool SceneManager::isOnBackChain(const SceneNode* from, const SceneNode* scene) const {
    u32 walked = 0;
    for (const SceneNode* s = from; s && walked < MaxStackWalk; s = s->getPreviousScene(), ++walked)
        if (s == scene) return true;
    return false;
}

// ---- Removals and schedulers ----

void SceneManager::queueRemoval(BaseNode* node) {
    if (!node) return;
    for (const CRefPtr<BaseNode>& queued : m_removals)
        if (queued.get() == node) return;
    m_removals.emplace_back(node);
}

void SceneManager::flushRemovals() {
    std::vector<CRefPtr<BaseNode>> removals;
    removals.swap(m_removals);
    for (const CRefPtr<BaseNode>& node : removals) {
        if (node->getParent() != this) continue;
        if (SceneNode* scene = asSceneNode(node.get())) {
            releaseSceneScheduler(scene);
            if (m_currentScene.get() == scene) m_currentScene = nullptr;
        }
        removeChild(node.get());
    }
}

void SceneManager::releaseSceneScheduler(SceneNode* scene) {
    for (size_t i = 0; i < m_schedulers.size(); ++i) {
        if (m_schedulers[i].scene != scene) continue;
        CRefPtr<CTimerScheduler> scheduler = m_schedulers[i].scheduler;
        m_schedulers.erase(m_schedulers.begin() + static_cast<std::ptrdiff_t>(i));
        scheduler->setEnabled(false);
        if (m_host) m_host->releaseDrivenScheduler(scheduler.get());
        m_retiredSchedulers.push_back(scheduler);
        if (scene->getTimerScheduler() == scheduler.get()) scene->setTimerScheduler(nullptr);
        return;
    }
}

void SceneManager::createSceneScheduler(SceneNode* scene) {
    if (!scene) return;
    releaseSceneScheduler(scene);
    if (!m_host) return;
    CRefPtr<CTimerScheduler> scheduler = CRefPtr<CTimerScheduler>::fromRaw(m_host->createDrivenScheduler());
    if (!scheduler) return;
    m_schedulers.push_back(SceneScheduler{scene, scheduler});
    scene->setTimerScheduler(scheduler.get());
}

void SceneManager::setHost(ISceneHost* host) { m_host = CRefPtr<ISceneHost>(host); }

void SceneManager::bindScene(SceneNode* scene) {
    scene->setSceneManager(this, scene, scene->getTimerScheduler(), this);
}

// ---- Changes ----

bool SceneManager::runChange(std::function<bool()> change) {
    if (m_changeDepth > 0) {
        m_pendingChanges.push_back(std::move(change));
        return true;
    }
    CRefPtr<BaseNode> self(this);
    ++m_changeDepth;
    const bool result = change();
    // Changes asked for from inside this one, in order.
    while (!m_pendingChanges.empty()) {
        std::function<bool()> next = std::move(m_pendingChanges.front());
        m_pendingChanges.pop_front();
        next();
    }
    --m_changeDepth;
    return result;
}

bool SceneManager::setScene(SceneNode* scene, s32 enterState) {
    CRefPtr<SceneNode> keep(scene);
    return runChange([this, keep, enterState] { return doSetScene(keep.get(), enterState); });
}

bool SceneManager::switchScene(SceneNode* leaving, SceneNode* entering, s32 leaveState, s32 enterState,
                               bool keepPrevious) {
    CRefPtr<SceneNode> from(leaving), to(entering);
    return runChange([this, from, to, leaveState, enterState, keepPrevious] {
        return doSwitchScene(from.get(), to.get(), leaveState, enterState, keepPrevious);
    });
}

bool SceneManager::switchFromCurrent(SceneNode* entering, s32 leaveState, s32 enterState, bool keepPrevious) {
    CRefPtr<SceneNode> to(entering);
    return runChange([this, to, leaveState, enterState, keepPrevious] {
        CRefPtr<SceneNode> from = m_currentScene;
        return doSwitchScene(from.get(), to.get(), leaveState, enterState, keepPrevious);
    });
}

bool SceneManager::goBackTo(SceneNode* leaving, SceneNode* target, s32 leaveState, s32 enterState) {
    CRefPtr<SceneNode> from(leaving), to(target);
    return runChange([this, from, to, leaveState, enterState] {
        return doGoBackTo(from.get(), to.get(), leaveState, enterState);
    });
}

bool SceneManager::doSetScene(SceneNode* scene, s32 enterState) {
    if (isInTransition(scene)) return false;
    if (enterState == -1) enterState = SceneNode::transitionStates().NavTo;
    std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
    for (const CRefPtr<BaseNode>& child : children) {
        // The scene being set stays.
        if (child.get() == scene) continue;
        queueRemoval(child.get());
        if (SceneNode* old = asSceneNode(child.get())) {
            old->onEvent(makeEvent<CEventNodeSceneSwitch>(old, nullptr, true).get());
            old->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(old, nullptr, true).get());
        }
    }
    m_transitions.clear();
    m_currentScene = nullptr;
    if (!scene) return true;

    // The stack is this scene alone.
    scene->setPreviousScene(nullptr);
    createSceneScheduler(scene);
    if (scene->getParent() != this) addChild(scene);
    bindScene(scene);
    scene->setFocused(false);
    CRefPtr<CEventNodeSceneActivated> activated = makeEvent<CEventNodeSceneActivated>(this);
    if (!scene->onEvent(activated.get())) scene->routeToChildren(DispatchSelfThenChildren, activated.get());
    scene->onEvent(makeEvent<CEventNodeSceneSwitch>(nullptr, scene, true).get());
    scene->dispatchEvent(DispatchSelfThenParents, makeEvent<CEventNodeSceneSwitchBegin>(nullptr, scene, true).get());
    m_currentScene = CRefPtr<SceneNode>(scene);
    m_transitions.push_back(SceneTransition{nullptr, -1, scene, enterState, 1, 0});
    scene->setState(enterState);
    return true;
}

bool SceneManager::doSwitchScene(SceneNode* leaving, SceneNode* entering, s32 leaveState, s32 enterState,
                                 bool keepPrevious) {
    if (!entering || isInTransition(entering)) return false;
    // A scene cannot follow itself or a scene above which it already lies: the stack would
    // turn into a circle.
    if (leaving && isOnBackChain(leaving, entering)) return false;
    const SceneNode::STransitionStates& names = SceneNode::transitionStates();
    if (leaveState == -1) leaveState = names.NavFrom;
    if (enterState == -1) enterState = names.NavTo;

    if (leaving && isInTransition(leaving)) {
        const SceneTransition t = findTransition(leaving);
        leaving->stopChildrenState(t.leaving == leaving ? t.leaveState : t.enterState);
        const SceneTransition after = findTransition(leaving);
        if (after.entering == leaving && after.leaving) after.leaving->stopChildrenState(after.leaveState);
    }

    CRefPtr<CEventNodeSceneSwitch> switched = makeEvent<CEventNodeSceneSwitch>(leaving, entering, true);
    CRefPtr<CEventNodeSceneSwitchBegin> begins = makeEvent<CEventNodeSceneSwitchBegin>(leaving, entering, true);
    BaseNode* parent = this;
    if (leaving) {
        if (leaving->getParent()) parent = leaving->getParent();
        leaving->setFocused(false);
        leaving->onEvent(switched.get());
        leaving->dispatchEvent(DispatchSelfThenParents, begins.get());
    }

    createSceneScheduler(entering);
    entering->setPreviousScene(leaving);
    if (leaving) {
        parent->insertChild(entering, leaving);
    } else if (!getChildren().empty()) {
        parent->insertChild(entering, getChildren().back());
    } else {
        parent->addChild(entering);
    }
    entering->setFocused(false);
    bindScene(entering);
    CRefPtr<CEventNodeSceneActivated> activated = makeEvent<CEventNodeSceneActivated>(this);
    if (!entering->onEvent(activated.get())) entering->routeToChildren(DispatchSelfThenChildren, activated.get());
    entering->onEvent(switched.get());
    entering->dispatchEvent(DispatchSelfThenParents, begins.get());

    if (leaving) m_currentScene = CRefPtr<SceneNode>(entering);
    const SceneTransition record{leaving, leaveState, entering, enterState, 1, static_cast<u8>(keepPrevious ? 1 : 0)};
    m_transitions.push_back(record);
    if (leaving) {
        m_transitions.push_back(record);
        leaving->setState(leaveState);
    }
    entering->setState(enterState);
    return true;
}

bool SceneManager::doGoBackTo(SceneNode* leaving, SceneNode* target, s32 leaveState, s32 enterState) {
    if (!leaving || !target || leaving == target || isInTransition(leaving) || isInTransition(target)) return false;
    std::vector<SceneNode*> between;
    bool found = false;
    u32 walked = 0;
    for (SceneNode* s = leaving->getPreviousScene(); s && walked < MaxStackWalk; s = s->getPreviousScene(), ++walked) {
        if (s == target) {
            found = true;
            break;
        }
        if (s == leaving) break;
        between.push_back(s);
    }
    if (!found) return false;
    const SceneNode::STransitionStates& names = SceneNode::transitionStates();
    if (leaveState == -1) leaveState = names.NavBackFrom;
    if (enterState == -1) enterState = names.NavBackTo;

    for (SceneNode* s : between) queueRemoval(s);
    leaving->setPreviousScene(target);
    leaving->setFocused(false);
    target->setFocused(false);
    target->setVisible(true);
    if (CTimerScheduler* scheduler = target->getTimerScheduler()) scheduler->setEnabled(true);

    const bool box = isMessageBox(leaving);
    if (!box) {
        CRefPtr<CEventNodeSceneSwitch> switched = makeEvent<CEventNodeSceneSwitch>(leaving, target, false);
        CRefPtr<CEventNodeSceneSwitchBegin> begins = makeEvent<CEventNodeSceneSwitchBegin>(leaving, target, false);
        leaving->onEvent(switched.get());
        target->onEvent(switched.get());
        leaving->dispatchEvent(DispatchSelfThenParents, begins.get());
        target->dispatchEvent(DispatchSelfThenParents, begins.get());
    }
    m_currentScene = CRefPtr<SceneNode>(target);
    const SceneTransition record{leaving, leaveState, target, enterState, 0, 0};
    m_transitions.push_back(record);
    if (!box) m_transitions.push_back(record);
    leaving->setState(leaveState);
    if (!box) target->setState(enterState);
    return true;
}

SceneNode* SceneManager::showMessageBox(SceneNode* owner, s32 templateName, const array<stringw>& buttonTexts,
                                        const stringw& title, const stringw& body) {
    if (!owner || isInTransition(owner) || !m_templates) return nullptr;
    BaseNode* layout = m_templates->findTemplate(templateName);
    if (!layout) return nullptr;
    CRefPtr<SceneManager> self(this);
    CRefPtr<SceneNode> keepOwner(owner);

    const CCreationContext context(nullptr, "");
    MessageBoxCreator creator = m_messageBoxCreator ? m_messageBoxCreator : g_defaultMessageBoxCreator;
    SceneNode* created = creator ? creator(context) : nullptr;
    CRefPtr<SceneNode> box = CRefPtr<SceneNode>::fromRaw(created);
    IMessageBox* contents = dynamic_cast<IMessageBox*>(box.get());
    if (!box || !box->isKindOf(NodeTypeMessageBox) || !contents) return nullptr;

    box->setBounds(layout->getBounds().X, layout->getBounds().Y);
    box->setTemplateName(templateName);
    contents->setButtonTexts(buttonTexts);
    contents->setTitleText(title);
    contents->setBodyText(body);

    const vector3df& at = owner->getPosition();
    box->setPosition(vector3df(at.X + (owner->getBounds().X - box->getBounds().X) * 0.5f,
                               at.Y + (owner->getBounds().Y - box->getBounds().Y) * 0.5f, at.Z));
    box->markTransformDirty();

    owner->setFocused(false);
    createSceneScheduler(box.get());
    box->setPreviousScene(owner);
    BaseNode* parent = owner->getParent() ? owner->getParent() : this;
    parent->insertChild(box.get(), owner);
    box->setFocused(false);
    bindScene(box.get());
    CRefPtr<CEventNodeSceneActivated> activated = makeEvent<CEventNodeSceneActivated>(this);
    if (!box->onEvent(activated.get())) box->routeToChildren(DispatchSelfThenChildren, activated.get());

    m_currentScene = box;
    const s32 navTo = SceneNode::transitionStates().NavTo;
    m_transitions.push_back(SceneTransition{owner, -1, box.get(), navTo, 1, 1});
    box->setState(navTo);
    return box.get();
}

bool SceneManager::onStateFinished(CEvent* event) {
    auto* e = static_cast<CEventNodeStateFinished*>(event);
    SceneNode* scene = asSceneNode(e->getNode());
    if (!scene || scene->getSceneManager() != this) return false;
    const SceneTransition t = findTransition(scene);
    s32 expected;
    if (t.leaving == scene)
        expected = t.leaveState;
    else if (t.entering == scene)
        expected = t.enterState;
    else
        return false;
    if (e->getStateId() != expected) return false;
    CRefPtr<SceneManager> self(this);
    CRefPtr<SceneNode> keep(scene);

    if (t.entering == scene) {
        removeTransition(scene);
        postEvent(scene, DispatchSelfThenParents,
                  makeEvent<CEventNodeSceneSwitchEnd>(t.leaving, t.entering, t.forward != 0).get());
        scene->setFocused(true);
        if (ICursorControl* cursor = m_host ? m_host->getCursorControl() : nullptr) {
            const vector2di at = cursor->getPosition();
            postEvent(scene, DispatchChildrenThenSelf, makeEvent<CEventMouseMove>(at.X, at.Y).get());
        }
        return false;
    }

    removeTransition(scene);
    if (!isMessageBox(scene)) {
        postEvent(scene, DispatchSelfThenParents,
                  makeEvent<CEventNodeSceneSwitchEnd>(t.leaving, t.entering, t.forward != 0).get());
    } else if (t.entering) {
        IMessageBox* box = dynamic_cast<IMessageBox*>(scene);
        postEvent(t.entering, DispatchSelf, makeEvent<CEventNodeMessageBoxResult>(box ? box->getResult() : -1).get());
    }
    if (!t.forward) {
        queueRemoval(scene);
    } else if (t.keepPrevious) {
        scene->setVisible(true);
    } else {
        u32 walked = 0;
        for (SceneNode* s = scene; s && walked < MaxStackWalk; s = s->getPreviousScene(), ++walked) {
            s->setVisible(false);
            if (CTimerScheduler* scheduler = s->getTimerScheduler()) scheduler->setEnabled(false);
        }
    }
    return false;
}

// ---- Queue ----

void SceneManager::postEvent(CEventReceiver* receiver, u32 mode, CEvent* event) {
    if (!receiver || !event) return;
    QueuedEvent entry{CRefPtr<CEventReceiver>(receiver), mode, CRefPtr<CEvent>(event)};
    if (m_delivering)
        m_queue.push_front(std::move(entry));
    else
        m_queue.push_back(std::move(entry));
}

bool SceneManager::update(u32) {
    CRefPtr<SceneManager> self(this);
    const bool outer = !m_delivering;
    m_delivering = true;
    while (!m_queue.empty()) {
        QueuedEvent entry = std::move(m_queue.front());
        m_queue.pop_front();
        entry.receiver->dispatchEvent(entry.mode, entry.event.get());
    }
    if (outer) m_delivering = false;
    flushRemovals();
    if (outer) m_retiredSchedulers.clear();
    return true;
}

// ---- Routing ----

bool SceneManager::routeToChildren(u32 mode, CEvent* event) {
    if (!event) return false;
    if (event->isKindOf(EventTypeInput)) {
        CRefPtr<SceneNode> keep = m_currentScene;
        SceneNode* scene = keep.get();
        if (!scene || scene->getParent() != this || isInTransition(scene)) return false;
        return scene->routeToChildren(DispatchChildrenThenSelf, event) || scene->onEvent(event);
    }
    const u32 type = event->getTypeId();
    if (getSceneManager() &&
        (type == EventNodeSceneActivated || type == EventNodeTemplatesChanged || type == EventNodeTemplatesReapply))
        return false;
    std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
    for (const CRefPtr<BaseNode>& child : children)
        if (child->acceptsEvent(event) && child->dispatchEvent(mode, event)) return true;
    return false;
}

bool SceneManager::routeToParent(u32 mode, CEvent* event) {
    BaseNode* parent = getParent();
    if (parent && parent->acceptsEvent(event)) return parent->dispatchEvent(mode, event);
    return true;
}

// ---- Drawing ----

void SceneManager::render(IVideoDriver* driver) {
    if (!driver) return;
    CRefPtr<SceneManager> self(this);
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    for (BaseNode* child : getChildren()) child->render(m_drawList);
    if (m_sortEnabled && m_drawList.size() >= 2) sortDrawList(m_drawList);
    CQuadBatcher* batcher = driver->getQuadBatcher();
    if (batcher) {
        batcher->flush();
        batcher->reset();
    }
    for (const SDrawItem& item : m_drawList) item.node->renderClipped(driver, nullptr);
    if (batcher) batcher->render();
    m_drawList.clear();
}

void SceneManager::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    list.push_back(SDrawItem{this, getDepth(), 0});
}

void SceneManager::renderClipped(IVideoDriver* driver, const rectf*) { render(driver); }

// ---- Templates and source ----

void SceneManager::setTemplateCollection(TemplateCollectionNode* collection) {
    if (collection) collection->grab();
    if (m_templates) m_templates->drop();
    m_templates = collection;
    if (!collection) return;
    // Straight to the scenes: a manager nested in another tree keeps only the outer tree's 35
    // from its scenes, not its own.
    CRefPtr<CEventNodeTemplatesChanged> changed = makeEvent<CEventNodeTemplatesChanged>(collection);
    std::vector<CRefPtr<BaseNode>> children(getChildren().begin(), getChildren().end());
    for (const CRefPtr<BaseNode>& child : children)
        if (child->acceptsEvent(changed.get()) && child->dispatchEvent(DispatchChildrenThenSelf, changed.get())) return;
}

void SceneManager::setEventSource(CTimerScheduler* scheduler) {
    m_eventSource = scheduler;
    setUpdateSource(scheduler);
}

}  // namespace oskel
