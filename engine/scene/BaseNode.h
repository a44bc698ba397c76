#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <SColor.h>
#include <matrix4.h>
#include <rect.h>
#include <vector3d.h>

#include "engine/content/CResource.h"
#include "engine/core/CNameTable.h"
#include "engine/properties/IPropertyTableSource.h"
#include "engine/scene/NodeEvents.h"

namespace oskel {

class Animator;
class BaseNode;
class CNodeFactory;
class CTimerScheduler;
class CXmlReader;
class CXmlWriter;
class IVideoDriver;

using vector3df = irr::core::vector3df;
using matrix4 = irr::core::matrix4;
using rectf = irr::core::rectf;

// The node type ids of the engine's classes. Type ids are plain numbers: the game declares the
// ids of its own classes itself, and isKindOf answers for any id.
enum ENodeTypeId : s32 {
    NodeTypeBase = 0,
    NodeTypeText = 2,
    NodeTypeSprite = 3,
    NodeTypeNineGridSprite = 4,
    NodeTypeControl = 5,
    NodeTypeScene = 6,
    NodeTypeMessageBox = 7,
    NodeTypeTabScene = 8,
    NodeTypeButton = 9,
    NodeTypeBackButton = 10,
    NodeTypeCheckBox = 11,
    NodeTypeEdit = 12,
    NodeTypeList = 13,
    NodeTypeBaseProgressBar = 14,
    NodeTypeProgressBar = 15,
    NodeTypeSlider = 16,
    NodeTypeParticleSystem = 17,
    NodeTypeSound = 18,
    NodeTypeSpawner = 19,
    NodeTypeTemplateCollection = 20,
    NodeTypeSceneManager = 22,
};

// A draw list key: pointer-sized, so that a texture's address is a key of its own.
using DrawKey = std::uintptr_t;

// One entry of a frame's draw list: the node that draws it, its depth and a key chosen by the
// node (an image node's texture, 0 for a clipping node).
struct SDrawItem {
    BaseNode* node;
    f32 depth;
    DrawKey key;
};
using DrawList = std::vector<SDrawItem>;

// Orders a draw list by depth, then by key as unsigned numbers; equal items keep their order.
void sortDrawList(DrawList& list);

// Where the scene manager takes the events its nodes post; delivered later, oldest first.
class INodeEventQueue {
public:
    virtual ~INodeEventQueue() = default;
    // The queue holds a reference to the event until it is delivered.
    virtual void queueEvent(CEventReceiver* receiver, u32 mode, CEvent* event) = 0;
};

// What a node knows of the scene that shows it. The scene manager hands it to a tree when it
// attaches it (setSceneManager); every node below an attached node shares it.
struct SSceneBinding {
    SceneManager* manager = nullptr;
    SceneNode* scene = nullptr;
    // The scene's timer scheduler: the tick source of the node's animations.
    CTimerScheduler* scheduler = nullptr;
    // The scene manager's event queue (postEvent).
    INodeEventQueue* queue = nullptr;

    // Attached to a shown scene: default states play.
    bool isAttached() const { return scene != nullptr || scheduler != nullptr; }
};

// Maps a state a node lacks to a fallback state id (-1 = none).
class IStateResolver {
public:
    virtual ~IStateResolver() = default;
    virtual s32 resolveStateTransition(s32 state) const = 0;
};

// The root of the scene-node tree: name, 2D transform (position, rotation, scale, pivot), tint,
// visibility and hit flags, bounds, owned children and named states played by animators.
class BaseNode : public CResource, public IPropertyHolder, public IPropertyTableSource {
    OSKEL_DECLARE_EVENT_MAP()

public:
    BaseNode(const CCreationContext& context, BaseNode* parent = nullptr,
             SceneManager* manager = nullptr);
    ~BaseNode() override;
    BaseNode(const BaseNode&) = delete;
    BaseNode& operator=(const BaseNode&) = delete;

    // Class identity.
    const CPropertyTable& getPropertyTable() const override;
    // A new node of the same class (see copyFrom); with a parent the parent holds the only
    // reference, otherwise the caller does.
    virtual BaseNode* clone(BaseNode* parent, SceneManager* manager) const;
    virtual const stringw& getClassName() const;
    virtual const stringw& getThisClassName() const;
    virtual s32 getTypeId() const { return NodeTypeBase; }
    virtual bool isKindOf(s32 typeId) const { return typeId == NodeTypeBase; }

    // Drawing.
    virtual void render(DrawList& list);
    virtual void renderClipped(IVideoDriver* driver, const rectf* clip);
    virtual bool isPointInBounds(const vector2df& point) const;
    virtual bool hitTest(const vector2df& point) const;

    // States.
    virtual void setState(s32 state, const IStateResolver* resolver = nullptr);
    virtual void playState(s32 state, const IStateResolver* resolver = nullptr, s32 reportId = -1);

    virtual void updateAbsoluteTransform();
    virtual void updateAbsoluteColor();

    // Scene files: the reader stands on the node's SceneNode element.
    [[nodiscard]] virtual bool loadXml(CXmlReader* reader, CNodeFactory* factory);
    [[nodiscard]] virtual bool saveXml(CXmlWriter* writer) const;
    // After loading and after cloning: classes look up their named children here.
    virtual void onLoaded() {}
    virtual void copyFrom(const BaseNode* source, SceneManager* manager);

    // Event handlers.
    virtual bool onSceneActivated(CEvent*) { return false; }
    virtual bool onTemplatesChanged(CEvent*) { return false; }
    virtual bool onEvent36(CEvent*) { return false; }
    virtual bool onEvent65(CEvent*) { return false; }
    virtual bool onAnimationFinished(CEvent*) { return false; }
    virtual bool onAnimatorStarted(CEvent*) { return false; }
    virtual bool onAnimatorFinished(CEvent* event);
    virtual bool onChildStateFinished(CEvent* event);
    virtual bool onStateFinished(CEvent*) { return false; }

    bool routeToParent(u32 mode, CEvent* event) override;
    bool routeToChildren(u32 mode, CEvent* event) override;

    // Content.
    CResource* clone() const override { return clone(nullptr, nullptr); }
    u32 getTypeCode() const override { return TypeCodeSceneNode; }

    // Property holder: only values that differ from the defaults are saved.
    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Tree.
    void addChild(BaseNode* node);
    void insertChild(BaseNode* node, BaseNode* after);
    bool removeChild(BaseNode* node);
    void removeAllChildren();
    void setParent(BaseNode* parent);
    BaseNode* getParent() const { return m_parent; }
    const std::vector<BaseNode*>& getChildren() const { return m_children; }
    u32 getChildCount() const { return static_cast<u32>(m_children.size()); }
    // Direct children first, then each child's subtree with depth - 1. Depth 0 or -1:
    // unlimited; 1 or below -1: direct children only.
    BaseNode* findChildByName(s32 nameId, s32 depth = 0) const;
    BaseNode* findChildByName(const char* name, s32 depth = 0) const {
        return findChildByName(CNameId(name).getId(), depth);
    }
    BaseNode* findNodeAt(const vector2df& point);

    // The scene binding of this node and its whole subtree; default states play when it is
    // attached.
    void setSceneManager(SceneManager* manager, SceneNode* scene, CTimerScheduler* scheduler = nullptr,
                         INodeEventQueue* queue = nullptr);
    void setSceneBinding(const SSceneBinding& binding);
    const SSceneBinding& getSceneBinding() const { return m_binding; }
    SceneManager* getSceneManager() const { return m_binding.manager; }
    SceneNode* getScene() const { return m_binding.scene; }

    // Events through the scene manager's queue: nothing without a queue or when the receiver's
    // mask refuses the event.
    void postEvent(CEventReceiver* receiver, u32 mode, CEvent* event);
    void postEventToParent(u32 mode, CEvent* event);

    // States.
    Animator* findState(s32 state) const;
    void stopState(s32 state, bool toEnd);
    void stopAllStates(bool toEnd);
    void clearStates();
    // Stores the animator under its state (grabbed, this node its target); false (and nothing
    // stored) when the state is present already.
    bool addState(Animator* animator);
    const std::map<s32, Animator*>& getStates() const { return m_states; }
    s32 getDefaultState() const { return m_defaultState; }
    void setDefaultState(s32 state) { m_defaultState = state; }
    Animator* getRunningAnimator() const { return m_runningAnimator; }
    // The number of direct participants that have not yet finished the state (-1: no count).
    s32 getStateCounter(s32 state) const;

    // Attributes.
    s32 getNameId() const { return m_nameId; }
    void setNameId(s32 nameId) { m_nameId = nameId; }
    const stringc& getNodeName() const { return CNameTable::instance().getName(m_nameId); }
    const vector3df& getPosition() const { return m_position; }
    const vector3df& getRotation() const { return m_rotation; }
    const vector3df& getScale() const { return m_scale; }
    const vector3df& getBounds() const { return m_bounds; }
    const vector2df& getPivotPoint() const { return m_pivot; }
    u32 getTintColor() const { return m_tintColor; }
    void setPosition(const vector3df& position);
    void setRotation(const vector3df& rotation);
    void setScale(const vector3df& scale);
    void setPivotPoint(const vector2df& pivot);
    void setTintColor(u32 color);
    // Negative sizes become 0; z is always 0.
    void setBounds(f32 width, f32 height);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool canBeHit() const { return m_canBeHit; }
    void setCanBeHit(bool canBeHit) { m_canBeHit = canBeHit; }
    bool isInternal() const { return m_internal; }
    void setInternal(bool internal) { m_internal = internal; }
    bool areChildrenClipped() const { return m_childrenClipped; }
    void setChildrenClipped(bool clipped) { m_childrenClipped = clipped; }
    void markTransformDirty() { m_transformDirty = true; }
    void markColorDirty() { m_colorDirty = true; }
    bool isTransformDirty() const { return m_transformDirty != 0; }
    bool isColorDirty() const { return m_colorDirty != 0; }

    const matrix4& getAbsoluteTransform() const { return m_absolute; }
    bool isAbsoluteIdentity() const { return m_absoluteIdentity; }
    u32 getAbsoluteColor() const { return m_absoluteColor; }
    // The z translation of the absolute transform.
    f32 getDepth() const { return m_absolute[14]; }
    // A point of the node's own space in absolute coordinates.
    vector3df transformPoint(const vector3df& point) const;
    // The axis-aligned rectangle covering the node's bounds in absolute coordinates.
    rectf getAbsoluteBoundsRect() const;

    IReferenceCounted* getHeldObject() const { return m_heldObject; }
    void setHeldObject(IReferenceCounted* object);

    // The class property table's setters and getters.
    static void setNameProperty(IPropertyTableSource* o, const CRefPtr<IPropertyData>& v);
    static CRefPtr<IPropertyData> getNameProperty(const IPropertyTableSource* o);

protected:
    // Clones share this: a new node of the class, then copyFrom and onLoaded.
    template <class T>
    static BaseNode* cloneAs(const T* self, BaseNode* parent, SceneManager* manager) {
        SceneManager* m = manager ? manager : self->getSceneManager();
        T* node = new T(self->getCreationContext(), parent, m);
        node->copyFrom(self, m);
        node->onLoaded();
        if (parent) node->drop();
        return node;
    }

    // Classes that play states over more participants than their children set the count here.
    void setStateCounter(s32 state, s32 count) { m_stateCounters[state] = count; }
    // A node that binds its own subtree (a scene manager nested in another tree) keeps the
    // binding of its parent to itself.
    virtual bool passesBindingToChildren() const { return true; }
    // Nodes with internal children that are not listed (a control's template instance) pass a
    // new binding on to them here.
    virtual void bindInternalChildren(const SSceneBinding&) {}

private:
    // The scene file reader and writer reach the node's states and children.
    friend class CSceneFile;

    void attachChild(BaseNode* node, BaseNode* after, bool atFront);
    void clearBindingInSubtree();

    s32 m_nameId = -1;
    matrix4 m_absolute;
    bool m_absoluteIdentity = true;
    vector3df m_position{0.0f, 0.0f, 0.0f};
    vector3df m_rotation{0.0f, 0.0f, 0.0f};
    vector3df m_scale{1.0f, 1.0f, 1.0f};
    vector3df m_bounds{100.0f, 100.0f, 0.0f};
    vector2df m_pivot{0.0f, 0.0f};
    u32 m_absoluteColor = 0xffffffffu;
    u32 m_tintColor = 0xffffffffu;
    u8 m_transformDirty = 1;
    u8 m_colorDirty = 1;
    BaseNode* m_parent = nullptr;
    std::vector<BaseNode*> m_children;
    std::map<s32, Animator*> m_states;
    s32 m_defaultState = -1;
    Animator* m_runningAnimator = nullptr;
    std::map<s32, s32> m_stateCounters;
    SSceneBinding m_binding;
    bool m_visible = true;
    bool m_canBeHit = true;
    bool m_internal = false;
    bool m_childrenClipped = false;
    IReferenceCounted* m_heldObject = nullptr;

    // States finished synchronously, innermost last: a NextState chain that comes back to one
    // of them is cut.
    std::vector<s32> m_finishChain;
    // Set while the running animator is stopped to re-enter the state it plays: its report
    // belongs to the old play.
    bool m_quietStop = false;
};

}  // namespace oskel
