#pragma once

// Helpers of the node tests: a recorder of node events, a hittable node class, a node that adds
// draw items with a key of its own, and key-frame animations built in code.

#include <string>
#include <vector>

#include "engine/core/CTimerScheduler.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/animation/KeyFrame.h"
#include "engine/scene/animation/SetProps.h"

namespace oskel::test {

inline s32 id(const char* name) { return CNameId(name).getId(); }
inline std::string nameOf(s32 nameId) { return CNameId::fromId(nameId).getName().c_str(); }

// Records the state events a node receives, as "label id state" ("68s" for a stopped 68), in a
// log shared by several recorders. Installed as a pre-receiver: it never consumes anything.
class EventRecorder : public CEventReceiver {
public:
    EventRecorder(std::vector<std::string>& log, std::string label) : m_log(log), m_label(std::move(label)) {}

    bool onEvent(CEvent* event) override {
        std::string line = m_label + " " + std::to_string(event->getTypeId());
        switch (event->getTypeId()) {
            case EventNodeAnimatorStarted:
                line += " " + nameOf(static_cast<CEventNodeAnimatorStarted*>(event)->getStateId());
                break;
            case EventNodeAnimatorFinished: {
                auto* e = static_cast<CEventNodeAnimatorFinished*>(event);
                if (e->wasStopped()) line += "s";
                line += " " + nameOf(e->getStateId());
                break;
            }
            case EventNodeChildStateStarted:
            case EventNodeChildStateFinished:
            case EventNodeStateStarted:
            case EventNodeStateFinished: {
                auto* e = static_cast<CEventNodeState*>(event);
                line += " " + nameOf(e->getStateId()) + " " + e->getNode()->getNodeName().c_str();
                break;
            }
            case EventAnimation:
                line += static_cast<CAnimationEvent*>(event)->isLooped() ? " looped" : " ended";
                break;
            default:
                return false;
        }
        m_log.push_back(line);
        return false;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_label;
};

// A node that is hit inside its bounds and adds one draw item keyed by its Key member.
class HitNode : public BaseNode {
public:
    HitNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
        : BaseNode(context, parent, manager) {}

    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<HitNode>(this, parent, manager);
    }
    const stringw& getClassName() const override {
        static const stringw name(L"HitNode");
        return name;
    }
    // A type id of the tests' own, outside the engine's.
    static constexpr s32 TypeId = 900;
    s32 getTypeId() const override { return TypeId; }
    bool isKindOf(s32 typeId) const override { return typeId == TypeId || BaseNode::isKindOf(typeId); }
    bool hitTest(const vector2df& point) const override { return isPointInBounds(point); }
    void render(DrawList& list) override {
        if (!isVisible()) return;
        if (isTransformDirty()) updateAbsoluteTransform();
        list.push_back(SDrawItem{this, getDepth(), key});
        BaseNode::render(list);
    }
    void renderClipped(IVideoDriver* driver, const rectf* clip) override {
        clips.push_back(clip ? *clip : rectf(-1, -1, -1, -1));
        BaseNode::renderClipped(driver, clip);
    }
    void onLoaded() override {
        ++loadedCalls;
        visibleWhenLoaded = isVisible();
    }

    DrawKey key = 0;
    std::vector<rectf> clips;
    int loadedCalls = 0;
    bool visibleWhenLoaded = true;

    static BaseNode* create(const CCreationContext& context) { return new HitNode(context, nullptr, nullptr); }
};

inline CRefPtr<BaseNode> newNode(const char* name = nullptr, BaseNode* parent = nullptr) {
    BaseNode* node = new BaseNode(CCreationContext(), nullptr, nullptr);
    if (name) node->setNameId(id(name));
    if (parent) parent->addChild(node);
    return CRefPtr<BaseNode>::fromRaw(node);
}

// A key-frame animation of one vector3d property "Position" through the given keys: each key
// gives t, the x of the position, glide and goto.
struct KeySpec {
    u32 t;
    f32 x;
    s32 glide = -1;
    s32 gotoKey = -1;
};

inline CRefPtr<animation::KeyFrame> positionAnimation(const std::vector<KeySpec>& keys, const char* property = "Position") {
    auto frames = makeRef<animation::KeyFrame>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addVector3d(property, vector3df(0, 0, 0));
    frames->setProperties(set.get());
    for (const KeySpec& spec : keys) {
        animation::KeyFrameKey key;
        key.t = spec.t;
        key.glide = spec.glide;
        key.gotoKey = spec.gotoKey;
        key.values.push_back(makePropertyDataVector3d(vector3df(spec.x, 0, 0)));
        frames->addKey(key);
    }
    return frames;
}

// An animator for the state with the given main animations.
inline CRefPtr<Animator> animatorWith(const char* state, std::vector<animation::Base*> main = {}) {
    auto animator = makeRef<Animator>(id(state));
    for (animation::Base* a : main) animator->addAnimation(a);
    return animator;
}

// A SetProps that sets Visible to the value.
inline CRefPtr<animation::SetProps> setVisible(bool visible) {
    auto props = makeRef<animation::SetProps>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addBool("Visible", visible);
    props->setProperties(set.get());
    return props;
}

}  // namespace oskel::test
