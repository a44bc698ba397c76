#pragma once

// Helpers of the control, scene and scene manager tests: a device with a cursor, a recorder of
// the node notices that reach a node, a template collection and a small scene world whose
// clocks move only when a test steps them.

#include <memory>
#include <string>
#include <vector>

#include "engine/device/CCursorControl.h"
#include "engine/device/CDeviceBase.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CNullDriver.h"
#include "tests/scene/NodeTestSupport.h"
#include "tests/support/TestSupport.h"

namespace oskel::test {

class TestCursor : public ICursorControl {
public:
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    void setPosition(s32 x, s32 y) override { m_position = vector2di(x, y); }
    vector2di getPosition() const override { return m_position; }
    void updatePosition() override {}
    void setCursorImage(const CImage*, s32, s32) override {}

private:
    vector2di m_position{-1000, -1000};
    bool m_visible = true;
};

// A windowless device that is the recorded device while it lives, with a cursor of its own.
class CursorDevice : public CDeviceBase {
public:
    CursorDevice() : CDeviceBase(SDeviceParameters(), std::make_unique<SteppedClock>(&m_now)) {
        setVideoDriver(createNullDriver(SDeviceParameters(), nullptr));
    }
    ICursorControl* getCursorControl() const override { return withCursor ? &cursor : nullptr; }

    mutable TestCursor cursor;
    bool withCursor = true;

protected:
    EMessageResult takeMessage(bool) override { return MessageQuit; }
    void sleepFor(u32) override {}

private:
    uint64_t m_now = 0;
};

// The name of the node an event is about: the node word of one-node events, the first set word
// of two-node events, the scenes of switch events ("from>to").
inline std::string eventSubject(CEvent* event) {
    auto name = [](const BaseNode* n) { return n ? std::string(n->getNodeName().c_str()) : std::string("-"); };
    const u32 type = event->getTypeId();
    if (type >= EventNodePushRequest && type <= EventNodeUnfocused) {
        auto* e = static_cast<CEventNodeTwoNodes*>(event);
        return name(e->getFirstNode() ? e->getFirstNode() : e->getSecondNode());
    }
    if (type >= EventNodePress && type <= EventNodeValueChanged) return name(static_cast<CEventNodeOneNode*>(event)->getNode());
    if (type >= EventNodeSceneSwitch && type <= EventNodeSceneSwitchBegin) {
        auto* e = static_cast<CEventNodeSceneSwitch*>(event);
        return name(e->getFromScene()) + ">" + name(e->getToScene()) + (e->isForward() ? "" : " back");
    }
    if (type == EventNodeMessageBoxResult) return std::to_string(static_cast<CEventNodeMessageBoxResult*>(event)->getButton());
    if (type == EventMouseMove) {
        auto* e = static_cast<CEventMouseMove*>(event);
        return std::to_string(e->getX()) + "," + std::to_string(e->getY());
    }
    if (type == EventNodeStateStarted) return nameOf(static_cast<CEventNodeState*>(event)->getStateId());
    return "";
}

// Records "label id subject" for the event ids it watches, as a pre-receiver of a node; never
// consumes anything.
class NoticeRecorder : public CEventReceiver {
public:
    NoticeRecorder(std::vector<std::string>& log, std::string label, std::vector<u32> ids)
        : m_log(log), m_label(std::move(label)), m_ids(std::move(ids)) {}

    bool onEvent(CEvent* event) override {
        for (u32 watched : m_ids)
            if (watched == event->getTypeId()) {
                std::string line = m_label + " " + std::to_string(watched);
                const std::string subject = eventSubject(event);
                if (!subject.empty()) line += " " + subject;
                m_log.push_back(line);
            }
        return false;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_label;
    std::vector<u32> m_ids;
};

// An animator for the state whose single animation runs for the given time.
inline CRefPtr<Animator> timedState(const char* state, u32 ms) {
    CRefPtr<animation::KeyFrame> frames = positionAnimation({{0, 0.0f}, {ms, 1.0f}});
    return animatorWith(state, {frames.get()});
}

// The new node, named, placed and sized, as the parent's child (which holds it).
template <class T>
T* placeNode(BaseNode* parent, T* node, const char* name, f32 x, f32 y, f32 w, f32 h) {
    node->setNameId(id(name));
    node->setPosition(vector3df(x, y, 0));
    node->setBounds(w, h);
    parent->addChild(node);
    node->drop();
    return node;
}

// A hittable node of the given size and place.
inline HitNode* addHitNode(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    return placeNode(parent, new HitNode(CCreationContext(), nullptr, nullptr), name, x, y, w, h);
}

template <class T = ControlNode>
T* addControl(BaseNode* parent, const char* name, f32 x, f32 y, const char* templateName = "Button") {
    auto* control = new T(CCreationContext(), nullptr, nullptr);
    control->setNameId(id(name));
    control->setPosition(vector3df(x, y, 0));
    parent->addChild(control);
    control->drop();
    if (templateName) control->setTemplateByName(templateName);
    return control;
}

template <class T = SceneNode>
CRefPtr<T> makeScene(const char* name) {
    auto scene = makeRef<T>(CCreationContext(), nullptr, nullptr);
    scene->setNameId(id(name));
    scene->setBounds(800, 600);
    return scene;
}

// A device, a scene manager with the templates "Button" (a hittable 50 x 20 image) and the
// stepping of the manager's queue and the scenes' clocks.
struct SceneWorld {
    SceneWorld() {
        manager = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        manager->setSortEnabled(true);
        templates = makeRef<TemplateCollectionNode>(CCreationContext());
        BaseNode* button = newNode("Button", templates.get()).get();
        addHitNode(button, "Image", 0, 0, 50, 20);
        templates->onLoaded();
        manager->setTemplateCollection(templates.get());
    }

    // Delivers the queue.
    void deliver() { manager->update(0); }
    // One frame: the draw list refreshes the transforms that hit tests use.
    void frame() { manager->render(device.getVideoDriver()); }
    // Moves every scene's clock, then delivers and draws, as a turn of the main loop does.
    void step(u32 ms) {
        for (BaseNode* child : std::vector<BaseNode*>(manager->getChildren()))
            if (SceneNode* scene = asSceneNode(child))
                if (CTimerScheduler* scheduler = scene->getTimerScheduler()) scheduler->update(ms);
        deliver();
        frame();
    }
    // Input as the device hands it to the manager.
    template <class E, class... Args>
    bool input(Args... args) {
        auto event = makeRef<E>(args...);
        return manager->dispatchEvent(DispatchSelfThenChildren, event.get());
    }
    bool move(s32 x, s32 y) { return input<CEventMouseMove>(x, y); }
    bool down(s32 x, s32 y) { return input<CEventMouseLeftDown>(x, y); }
    bool up(s32 x, s32 y) { return input<CEventMouseLeftUp>(x, y); }
    bool key(u32 vk) { return input<CEventKeyboardKeyDown>(u16(0), vk, false, false); }

    // Shows the scene and lets its entering state finish.
    void show(SceneNode* scene) {
        manager->setScene(scene);
        step(1000);
    }

    void record(BaseNode* node, const std::string& label, std::vector<u32> ids) {
        recorders.push_back(makeRef<NoticeRecorder>(log, label, std::move(ids)));
        node->addPreReceiver(recorders.back().get());
    }

    CursorDevice device;
    CRefPtr<SceneManager> manager;
    CRefPtr<TemplateCollectionNode> templates;
    std::vector<std::string> log;
    std::vector<CRefPtr<NoticeRecorder>> recorders;
};

}  // namespace oskel::test
