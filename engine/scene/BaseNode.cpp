#include "engine/scene/BaseNode.h"

#include <algorithm>
#include <cmath>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneFile.h"
#include "engine/scene/SceneXml.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/SColorUtils.h"

namespace oskel {

namespace {

constexpr f32 DegToRad = 0.017453292f;
constexpr f32 Epsilon = 0.000001f;
// Fallback hops a resolver may take before the state passes through.
constexpr u32 MaxFallbackHops = 32;
// States that may follow one another on one node without time passing.
constexpr size_t MaxSynchronousChain = 64;

bool differs(const vector3df& a, const vector3df& b) {
    return std::fabs(a.X - b.X) > Epsilon || std::fabs(a.Y - b.Y) > Epsilon || std::fabs(a.Z - b.Z) > Epsilon;
}


}  // namespace

void sortDrawList(DrawList& list) {
    std::stable_sort(list.begin(), list.end(), [](const SDrawItem& a, const SDrawItem& b) {
        if (a.depth != b.depth) return a.depth < b.depth;
        return a.key < b.key;
    });
}

OSKEL_BEGIN_EVENT_MAP(BaseNode, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeSceneActivated, onSceneActivated)
OSKEL_EVENT_HANDLER(EventNodeTemplatesChanged, onTemplatesChanged)
OSKEL_EVENT_HANDLER(EventNodeTemplatesReapply, onEvent36)
OSKEL_EVENT_HANDLER(EventNodeForward, onEvent65)
OSKEL_EVENT_HANDLER(EventAnimation, onAnimationFinished)
OSKEL_EVENT_HANDLER(EventNodeAnimatorStarted, onAnimatorStarted)
OSKEL_EVENT_HANDLER(EventNodeAnimatorFinished, onAnimatorFinished)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_EVENT_HANDLER(EventNodeStateFinished, onStateFinished)
OSKEL_END_EVENT_MAP()

BaseNode::BaseNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : CResource(context) {
    setCategoryMask(CategoryDevice | CategorySystemFlow | CategoryNode | CategoryGame);
    m_binding.manager = manager;
    if (parent) parent->addChild(this);
}

BaseNode::~BaseNode() {
    removeAllChildren();
    clearStates();
    if (m_heldObject) m_heldObject->drop();
}

const CPropertyTable& BaseNode::getPropertyTable() const {
    static const CPropertyTable table = [] {
        CPropertyTable t;
        TPropertyTableBuilder<BaseNode>(t)
            .add("Name", &BaseNode::setNameProperty, &BaseNode::getNameProperty)
            .field<&BaseNode::m_visible>("Visible")
            .field<&BaseNode::m_position, &BaseNode::setPosition>("Position")
            .field<&BaseNode::m_rotation, &BaseNode::setRotation>("Rotation")
            .field<&BaseNode::m_scale, &BaseNode::setScale>("Scale")
            .field<&BaseNode::m_bounds>("Bounds")
            .field<&BaseNode::m_pivot, &BaseNode::setPivotPoint>("PivotPoint")
            .field<&BaseNode::m_tintColor, &BaseNode::setTintColor, CColorBox>("TintColor")
            .field<&BaseNode::m_canBeHit>("CanBeHit")
            .field<&BaseNode::m_childrenClipped>("ChildrenClipped");
        return t;
    }();
    return table;
}

void BaseNode::setNameProperty(IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
    static_cast<BaseNode*>(o)->m_nameId = getPropertyNameId(v.get()).getId();
}

CRefPtr<IPropertyData> BaseNode::getNameProperty(const IPropertyTableSource* o) {
    return makePropertyDataFromNameId(CNameId::fromId(static_cast<const BaseNode*>(o)->m_nameId));
}

BaseNode* BaseNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<BaseNode>(this, parent, manager);
}

const stringw& BaseNode::getClassName() const {
    static const stringw name(L"BaseNode");
    return name;
}

const stringw& BaseNode::getThisClassName() const {
    static const stringw name(L"BaseNode");
    return name;
}

// ---- Tree ----

void BaseNode::attachChild(BaseNode* node, BaseNode* after, bool atFront) {
    if (!node || node == this) return;
    node->grab();
    if (node->m_parent) node->m_parent->removeChild(node);
    if (!node->m_internal) {
        auto pos = m_children.end();
        if (atFront) {
            pos = m_children.begin();
        } else if (after) {
            auto found = std::find(m_children.begin(), m_children.end(), after);
            if (found != m_children.end()) pos = found + 1;
        }
        m_children.insert(pos, node);
    }
    node->m_parent = this;
    node->setSceneBinding(m_binding);
}

void BaseNode::addChild(BaseNode* node) { attachChild(node, nullptr, false); }

void BaseNode::insertChild(BaseNode* node, BaseNode* after) { attachChild(node, after, after == nullptr); }

bool BaseNode::removeChild(BaseNode* node) {
    if (!node || node->m_parent != this) return false;
    auto found = std::find(m_children.begin(), m_children.end(), node);
    if (found != m_children.end())
        m_children.erase(found);
    else if (!node->m_internal)
        return false;
    // An internal node is not listed, but this node holds its reference all the same.
    node->m_parent = nullptr;
    node->clearBindingInSubtree();
    node->drop();
    return true;
}

void BaseNode::removeAllChildren() {
    std::vector<BaseNode*> children;
    children.swap(m_children);
    for (BaseNode* child : children) {
        child->m_parent = nullptr;
        child->clearBindingInSubtree();
        child->drop();
    }
}

void BaseNode::setParent(BaseNode* parent) {
    grab();
    if (m_parent) m_parent->removeChild(this);
    if (parent) parent->addChild(this);
    drop();
}

void BaseNode::clearBindingInSubtree() {
    m_binding = SSceneBinding();
    if (!passesBindingToChildren()) return;
    bindInternalChildren(m_binding);
    for (BaseNode* child : m_children) child->clearBindingInSubtree();
}

BaseNode* BaseNode::findChildByName(s32 nameId, s32 depth) const {
    for (BaseNode* child : m_children)
        if (child->m_nameId == nameId) return child;
    if (depth == 1 || depth < -1) return nullptr;
    const s32 next = depth <= 0 ? depth : depth - 1;
    for (BaseNode* child : m_children)
        if (BaseNode* found = child->findChildByName(nameId, next)) return found;
    return nullptr;
}

BaseNode* BaseNode::findNodeAt(const vector2df& point) {
    if (!m_visible || !m_canBeHit) return nullptr;
    if (hitTest(point)) return this;
    for (BaseNode* child : m_children)
        if (BaseNode* found = child->findNodeAt(point)) return found;
    return nullptr;
}

void BaseNode::setSceneManager(SceneManager* manager, SceneNode* scene, CTimerScheduler* scheduler,
                               INodeEventQueue* queue) {
    SSceneBinding binding;
    binding.manager = manager;
    binding.scene = scene;
    binding.scheduler = scheduler;
    binding.queue = queue;
    setSceneBinding(binding);
}

void BaseNode::setSceneBinding(const SSceneBinding& binding) {
    m_binding = binding;
    if (binding.isAttached() && m_defaultState != -1) playState(m_defaultState, nullptr, -1);
    if (!passesBindingToChildren()) return;
    bindInternalChildren(binding);
    // Snapshot: a default state may change the children.
    std::vector<CRefPtr<BaseNode>> children;
    children.reserve(m_children.size());
    for (BaseNode* child : m_children) children.emplace_back(child);
    for (const CRefPtr<BaseNode>& child : children)
        if (child->m_parent == this) child->setSceneBinding(binding);
}

void BaseNode::setHeldObject(IReferenceCounted* object) {
    if (object) object->grab();
    if (m_heldObject) m_heldObject->drop();
    m_heldObject = object;
}

// ---- Attributes ----

void BaseNode::setPosition(const vector3df& position) {
    m_position = position;
    m_transformDirty = 1;
}

void BaseNode::setRotation(const vector3df& rotation) {
    m_rotation = rotation;
    m_transformDirty = 1;
}

void BaseNode::setScale(const vector3df& scale) {
    m_scale = scale;
    m_transformDirty = 1;
}

void BaseNode::setPivotPoint(const vector2df& pivot) {
    m_pivot = pivot;
    m_transformDirty = 1;
}

void BaseNode::setTintColor(u32 color) {
    m_tintColor = color;
    m_colorDirty = 1;
}

void BaseNode::setBounds(f32 width, f32 height) {
    m_bounds.X = width < 0.0f ? 0.0f : width;
    m_bounds.Y = height < 0.0f ? 0.0f : height;
    m_bounds.Z = 0.0f;
}

// ---- Transform and colour ----

void BaseNode::updateAbsoluteTransform() {
    matrix4 relative;
    bool relativeIdentity = true;
    if (m_rotation.X != 0.0f || m_rotation.Y != 0.0f || m_rotation.Z != 0.0f) {
        relative.setRotationRadians(m_rotation * DegToRad);
        relativeIdentity = false;
    }
    if (m_position.X != 0.0f || m_position.Y != 0.0f || m_position.Z != 0.0f) {
        relative.setTranslation(m_position);
        relativeIdentity = false;
    }
    if (differs(m_scale, vector3df(1.0f, 1.0f, 1.0f))) {
        matrix4 scale;
        scale.setScale(m_scale);
        relative = relative * scale;
        relativeIdentity = false;
    }
    if (m_pivot.X != 0.0f || m_pivot.Y != 0.0f) {
        matrix4 pivot;
        pivot.setTranslation(vector3df(-m_pivot.X, -m_pivot.Y, 0.0f));
        relative = relative * pivot;
        relativeIdentity = false;
    }

    const bool parentIdentity = !m_parent || m_parent->m_absoluteIdentity;
    if (parentIdentity) {
        m_absolute = relative;
        m_absoluteIdentity = relativeIdentity;
    } else if (relativeIdentity) {
        m_absolute = m_parent->m_absolute;
        m_absoluteIdentity = false;
    } else {
        // The 2D product: parent after relative, the depths summed.
        const matrix4& a = m_parent->m_absolute;
        const matrix4& b = relative;
        matrix4 out(b);
        out[0] = a[0] * b[0] + a[4] * b[1];
        out[1] = a[1] * b[0] + a[5] * b[1];
        out[4] = a[0] * b[4] + a[4] * b[5];
        out[5] = a[1] * b[4] + a[5] * b[5];
        out[12] = a[0] * b[12] + a[4] * b[13] + a[12];
        out[13] = a[1] * b[12] + a[5] * b[13] + a[13];
        out[14] = a[14] + b[14];
        m_absolute = out;
        m_absoluteIdentity = false;
    }
    for (BaseNode* child : m_children) child->updateAbsoluteTransform();
    m_transformDirty = 0;
}

void BaseNode::updateAbsoluteColor() {
    m_absoluteColor = m_parent ? modulateColor(m_parent->m_absoluteColor, m_tintColor) : m_tintColor;
    for (BaseNode* child : m_children) child->updateAbsoluteColor();
    m_colorDirty = 0;
}

vector3df BaseNode::transformPoint(const vector3df& point) const {
    if (m_absoluteIdentity) return point;
    vector3df out;
    m_absolute.transformVect(out, point);
    return out;
}

rectf BaseNode::getAbsoluteBoundsRect() const {
    const vector3df corners[4] = {
        transformPoint(vector3df(0.0f, 0.0f, 0.0f)),
        transformPoint(vector3df(m_bounds.X, 0.0f, 0.0f)),
        transformPoint(vector3df(0.0f, m_bounds.Y, 0.0f)),
        transformPoint(vector3df(m_bounds.X, m_bounds.Y, 0.0f)),
    };
    rectf r(corners[0].X, corners[0].Y, corners[0].X, corners[0].Y);
    for (const vector3df& c : corners) {
        r.UpperLeftCorner.X = std::min(r.UpperLeftCorner.X, c.X);
        r.UpperLeftCorner.Y = std::min(r.UpperLeftCorner.Y, c.Y);
        r.LowerRightCorner.X = std::max(r.LowerRightCorner.X, c.X);
        r.LowerRightCorner.Y = std::max(r.LowerRightCorner.Y, c.Y);
    }
    return r;
}

bool BaseNode::isPointInBounds(const vector2df& point) const {
    vector3df local(point.X, point.Y, 0.0f);
    if (!m_absoluteIdentity) {
        matrix4 inverse;
        if (m_absolute.getInverse(inverse)) inverse.transformVect(local);
    }
    return local.X > 0.0f && local.X < m_bounds.X && local.Y > 0.0f && local.Y < m_bounds.Y;
}

bool BaseNode::hitTest(const vector2df&) const { return false; }

// ---- Drawing ----

void BaseNode::render(DrawList& list) {
    if (!m_visible) return;
    if (m_transformDirty) updateAbsoluteTransform();
    if (m_colorDirty) updateAbsoluteColor();
    if (m_childrenClipped) {
        if (!m_children.empty()) list.push_back(SDrawItem{this, getDepth(), 0});
        return;
    }
    for (BaseNode* child : m_children) child->render(list);
}

void BaseNode::renderClipped(IVideoDriver* driver, const rectf* clip) {
    if (!m_childrenClipped || !driver) return;
    DrawList items;
    for (BaseNode* child : m_children) child->render(items);
    if (items.empty()) return;
    // The node's own rectangle, normalised (rotation and negative scales may swap its
    // corners), cut to the rectangle this node itself is drawn in.
    rectf own = getAbsoluteBoundsRect();
    if (clip) {
        own.UpperLeftCorner.X = std::max(own.UpperLeftCorner.X, std::min(clip->UpperLeftCorner.X, clip->LowerRightCorner.X));
        own.UpperLeftCorner.Y = std::max(own.UpperLeftCorner.Y, std::min(clip->UpperLeftCorner.Y, clip->LowerRightCorner.Y));
        own.LowerRightCorner.X = std::min(own.LowerRightCorner.X, std::max(clip->UpperLeftCorner.X, clip->LowerRightCorner.X));
        own.LowerRightCorner.Y = std::min(own.LowerRightCorner.Y, std::max(clip->UpperLeftCorner.Y, clip->LowerRightCorner.Y));
    }
    if (own.LowerRightCorner.X <= own.UpperLeftCorner.X || own.LowerRightCorner.Y <= own.UpperLeftCorner.Y)
        return;  // nothing of the children can be seen
    CQuadBatcher* batcher = driver->getQuadBatcher();
    if (batcher) batcher->flush();
    for (const SDrawItem& item : items) item.node->renderClipped(driver, &own);
    if (batcher) batcher->flush();
}

// ---- Events ----

void BaseNode::postEvent(CEventReceiver* receiver, u32 mode, CEvent* event) {
    if (!m_binding.queue || !receiver || !receiver->acceptsEvent(event)) return;
    m_binding.queue->queueEvent(receiver, mode, event);
}

void BaseNode::postEventToParent(u32 mode, CEvent* event) { postEvent(m_parent, mode, event); }

bool BaseNode::routeToParent(u32 mode, CEvent* event) {
    if (!m_parent || !m_parent->acceptsEvent(event)) return false;
    return m_parent->dispatchEvent(mode, event);
}

bool BaseNode::routeToChildren(u32 mode, CEvent* event) {
    std::vector<CRefPtr<BaseNode>> children;
    children.reserve(m_children.size());
    for (BaseNode* child : m_children) children.emplace_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if ((*it)->acceptsEvent(event) && (*it)->dispatchEvent(mode, event)) return true;
    return false;
}

// ---- States ----

Animator* BaseNode::findState(s32 state) const {
    auto found = m_states.find(state);
    return found == m_states.end() ? nullptr : found->second;
}

void BaseNode::stopState(s32 state, bool toEnd) {
    if (Animator* animator = findState(state)) animator->stop(toEnd);
}

void BaseNode::stopAllStates(bool toEnd) {
    std::vector<CRefPtr<Animator>> animators;
    for (auto& entry : m_states) animators.emplace_back(entry.second);
    for (auto& animator : animators) animator->stop(toEnd);
}

void BaseNode::clearStates() {
    std::map<s32, Animator*> states;
    states.swap(m_states);
    m_runningAnimator = nullptr;
    m_defaultState = -1;
    for (auto& entry : states) {
        entry.second->setTarget(nullptr);
        entry.second->drop();
    }
}

bool BaseNode::addState(Animator* animator) {
    if (!animator || m_states.count(animator->getState())) return false;
    animator->grab();
    animator->setTarget(this);
    m_states[animator->getState()] = animator;
    return true;
}

s32 BaseNode::getStateCounter(s32 state) const {
    auto found = m_stateCounters.find(state);
    return found == m_stateCounters.end() ? -1 : found->second;
}

void BaseNode::setState(s32 state, const IStateResolver* resolver) {
    CRefPtr<BaseNode> self(this);
    if (m_children.empty()) {
        onEvent(makeEvent<CEventNodeStateStarted>(this, state).get());
        onEvent(makeEvent<CEventNodeStateFinished>(this, state).get());
        return;
    }
    onEvent(makeEvent<CEventNodeStateStarted>(this, state).get());
    m_stateCounters[state] = static_cast<s32>(m_children.size());
    std::vector<CRefPtr<BaseNode>> children;
    children.reserve(m_children.size());
    for (BaseNode* child : m_children) children.emplace_back(child);
    for (const CRefPtr<BaseNode>& child : children) child->playState(state, resolver, -1);
}

void BaseNode::playState(s32 state, const IStateResolver* resolver, s32 reportId) {
    if (state == -1) return;
    if (reportId == -1) reportId = state;
    CRefPtr<BaseNode> self(this);

    // Follow the resolver's fallbacks to a state this node has; a chain that does not reach
    // one (or turns in a circle) passes through.
    s32 playing = state;
    Animator* animator = findState(playing);
    for (u32 hops = 0; !animator && resolver && hops < MaxFallbackHops; ++hops) {
        playing = resolver->resolveStateTransition(playing);
        if (playing == -1) break;
        animator = findState(playing);
    }

    if (!animator) {
        routeToParent(DispatchSelf, makeEvent<CEventNodeChildStateStarted>(this, reportId).get());
        routeToParent(DispatchSelf, makeEvent<CEventNodeChildStateFinished>(this, reportId).get());
        return;
    }

    if (Animator* running = m_runningAnimator) {
        // Re-entering the state the node plays: the stopped play's report is not passed on,
        // so that the parent counts only the new play.
        const bool quiet = running->getReportedState() == reportId;
        CRefPtr<Animator> keep(running);
        const bool wasQuiet = m_quietStop;
        m_quietStop = quiet;
        if (m_runningAnimator == running) running->stop(false);
        m_quietStop = wasQuiet;
    }
    if (findState(playing) != animator) return;  // the node's states changed meanwhile
    CRefPtr<Animator> keep(animator);
    m_runningAnimator = animator;
    animator->play(m_binding.scheduler, reportId);
}

bool BaseNode::onAnimatorFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeAnimatorFinished*>(event);
    Animator* animator = finished->getAnimator();
    if (!animator || animator != m_runningAnimator) return false;
    if (m_quietStop) return false;
    CRefPtr<BaseNode> self(this);
    CRefPtr<Animator> keep(animator);
    const bool consumed =
        routeToParent(DispatchSelf, makeEvent<CEventNodeChildStateFinished>(this, finished->getStateId()).get());
    const s32 next = animator->getNextState();
    if (getReferenceCount() > 1 && !consumed && !finished->wasStopped() && next != -1) {
        const s32 own = animator->getState();
        if (std::find(m_finishChain.begin(), m_finishChain.end(), own) != m_finishChain.end() ||
            m_finishChain.size() >= MaxSynchronousChain) {
            stringc hint("node \"");
            hint += getNodeName();
            hint += "\", state \"";
            hint += CNameId::fromId(own).getName();
            hint += "\"";
            CLogger::instance().logHint("NextState chain that lets no time pass comes back to a state or runs too long: stopped",
                                        hint.c_str(), LogWarning);
        } else {
            m_finishChain.push_back(own);
            playState(next, nullptr, -1);
            m_finishChain.pop_back();
        }
    }
    return false;
}

bool BaseNode::onChildStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeChildStateFinished*>(event);
    BaseNode* child = finished->getNode();
    if (!child || child->m_parent != this) return false;
    auto counter = m_stateCounters.find(finished->getStateId());
    if (counter == m_stateCounters.end() || counter->second <= 0) return false;
    if (--counter->second == 0) {
        CRefPtr<BaseNode> self(this);
        CRefPtr<CEventNodeStateFinished> done = makeEvent<CEventNodeStateFinished>(this, finished->getStateId());
        if (!onEvent(done.get())) routeToParent(DispatchSelf, done.get());
    }
    return false;
}

// ---- Copy ----

void BaseNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    (void)manager;
    if (!source || source == this) return;
    m_nameId = source->m_nameId;
    m_absolute = source->m_absolute;
    m_absoluteIdentity = source->m_absoluteIdentity;
    m_position = source->m_position;
    m_rotation = source->m_rotation;
    m_scale = source->m_scale;
    m_bounds = source->m_bounds;
    m_pivot = source->m_pivot;
    m_tintColor = source->m_tintColor;
    m_visible = source->m_visible;
    m_canBeHit = source->m_canBeHit;
    m_childrenClipped = source->m_childrenClipped;
    m_transformDirty = 1;
    m_colorDirty = 1;
    for (BaseNode* child : source->m_children)
        if (!child->m_internal) child->clone(this, m_binding.manager);
    for (const auto& entry : source->m_states) {
        if (m_states.count(entry.first)) continue;
        Animator* copy = entry.second->clone();
        copy->setTarget(this);
        m_states[entry.first] = copy;
    }
    m_defaultState = source->m_defaultState;
    if (m_defaultState != -1) playState(m_defaultState, nullptr, -1);
}

// ---- Properties ----

void BaseNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    if (m_nameId != -1) set->addString("Name", getNodeName());
    if (differs(m_position, vector3df(0.0f, 0.0f, 0.0f))) set->addVector3d("Position", m_position);
    if (differs(m_rotation, vector3df(0.0f, 0.0f, 0.0f))) set->addVector3d("Rotation", m_rotation);
    if (differs(m_scale, vector3df(1.0f, 1.0f, 1.0f))) set->addVector3d("Scale", m_scale);
    if (differs(m_bounds, vector3df(100.0f, 100.0f, 0.0f))) set->addVector3d("Bounds", m_bounds);
    if (m_pivot.X != 0.0f || m_pivot.Y != 0.0f) set->addVector2d("PivotPoint", m_pivot);
    if (m_tintColor != 0xffffffffu) set->addColor("TintColor", SColor(m_tintColor));
    if (!m_visible) set->addBool("Visible", false);
    if (!m_canBeHit) set->addBool("CanBeHit", false);
    if (m_childrenClipped) set->addBool("ChildrenClipped", true);
}

void BaseNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    auto present = [set](const char* name) { return set->getPropertyIndex(name) >= 0; };
    if (present("Name")) m_nameId = getPropertyNameId(set->getProperty("Name").get()).getId();
    if (present("Position")) setPosition(unboxPropertyVector3d(set->getProperty("Position").get()));
    if (present("Rotation")) setRotation(unboxPropertyVector3d(set->getProperty("Rotation").get()));
    if (present("Scale")) setScale(unboxPropertyVector3d(set->getProperty("Scale").get()));
    if (present("Bounds")) {
        const vector3df b = unboxPropertyVector3d(set->getProperty("Bounds").get());
        setBounds(b.X, b.Y);
        m_transformDirty = 1;
    }
    if (present("PivotPoint")) setPivotPoint(unboxPropertyVector2d(set->getProperty("PivotPoint").get()));
    if (present("TintColor")) setTintColor(unboxPropertyColor(set->getProperty("TintColor").get()).color);
    if (present("Visible")) m_visible = unboxPropertyBool(set->getProperty("Visible").get());
    if (present("CanBeHit")) m_canBeHit = unboxPropertyBool(set->getProperty("CanBeHit").get());
    if (present("ChildrenClipped")) m_childrenClipped = unboxPropertyBool(set->getProperty("ChildrenClipped").get());
}

// ---- Scene files ----

bool BaseNode::loadXml(CXmlReader* reader, CNodeFactory* factory) { return CSceneFile::read(this, reader, factory); }

bool BaseNode::saveXml(CXmlWriter* writer) const { return CSceneFile::write(this, writer); }

}  // namespace oskel
