#pragma once

// A scene of the node content's scene manager, driven as the device drives it: input dispatched
// to the manager, the queue delivered, frames drawn and the scenes' clocks stepped by the test.
// Notices that reach a node are recorded as "label id subject".

#include <string>
#include <vector>

#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/scene/SceneTestSupport.h"

namespace oskel::test {

// Records node notices with their subject: the node of one-node notices, the item of the list's
// notices, the button of a message box result, the pages of tab notices ("from>to").
class UiRecorder : public CEventReceiver {
public:
    UiRecorder(std::vector<std::string>& log, std::string label, std::vector<u32> ids)
        : m_log(log), m_label(std::move(label)), m_ids(std::move(ids)) {}

    bool onEvent(CEvent* event) override {
        const u32 type = event->getTypeId();
        bool watched = false;
        for (u32 t : m_ids) watched = watched || t == type;
        if (!watched) return false;
        auto name = [](const BaseNode* n) {
            return n ? std::string(n->getNodeName().c_str()) : std::string("-");
        };
        std::string line = m_label + " " + std::to_string(type);
        if (type >= EventNodeListSelectionChanged && type <= EventNodeListItemHovered) {
            line += " " + std::to_string(static_cast<CEventNodeListItem*>(event)->getItem());
            if (type == EventNodeListItemChecked)
                line +=
                    static_cast<CEventNodeListItemChecked*>(event)->isChecked() ? " on" : " off";
        } else if (type >= EventNodeTabChange && type <= EventNodeTabChangeStarted) {
            auto* e = static_cast<CEventNodeTabChange*>(event);
            line += " " + name(e->getPageLeft()) + ">" + name(e->getPageEntered());
        } else {
            const std::string subject = eventSubject(event);
            if (!subject.empty()) line += " " + subject;
        }
        m_log.push_back(line);
        return false;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_label;
    std::vector<u32> m_ids;
};

struct ControlWorld {
    ControlWorld() {
        scene = content.showScene();
        scene->setNameId(id("Main"));
        deliver();
        frame();
    }

    // A template of the collection: a plain node of the name and bounds.
    BaseNode* addTemplate(const char* name, f32 w, f32 h) {
        CRefPtr<BaseNode> node = newNode(name);
        node->setBounds(w, h);
        content.templates->addTemplate(node.get());
        return node.get();
    }
    // A text node of the block font as a child.
    TextNode* addText(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
        auto* text = new TextNode(CCreationContext(content.manager, ""));
        text->setNameId(id(name));
        text->setPosition(vector3df(x, y, 0));
        text->setBounds(w, h);
        text->setFont(content.font());
        parent->addChild(text);
        text->drop();
        return text;
    }
    SpriteNode* addSprite(BaseNode* parent, const char* name, f32 x, f32 y) {
        auto* sprite = new SpriteNode(CCreationContext(content.manager, ""));
        sprite->setNameId(id(name));
        sprite->setPosition(vector3df(x, y, 0));
        parent->addChild(sprite);
        sprite->drop();
        return sprite;
    }

    void deliver() { content.sceneManager->update(0); }
    void frame() { content.sceneManager->render(content.driver); }
    void step(u32 ms) {
        content.step(ms);
        deliver();
        frame();
    }
    template <class E, class... Args>
    bool input(Args... args) {
        auto event = makeRef<E>(args...);
        const bool consumed =
            content.sceneManager->dispatchEvent(DispatchSelfThenChildren, event.get());
        deliver();
        return consumed;
    }
    bool move(s32 x, s32 y) { return input<CEventMouseMove>(x, y); }
    bool down(s32 x, s32 y) { return input<CEventMouseLeftDown>(x, y); }
    bool up(s32 x, s32 y) { return input<CEventMouseLeftUp>(x, y); }
    // A click as the device sends it: move, down, up, then the queue.
    void click(s32 x, s32 y) {
        move(x, y);
        down(x, y);
        up(x, y);
        deliver();
    }
    bool key(u32 vk, u16 character = 0) {
        return input<CEventKeyboardKeyDown>(character, vk, false, false);
    }
    // The virtual key that types a character: Enter for a carriage return, Escape, the letter
    // key of Ctrl and a letter (1 to 26), the letter and digit keys, and a punctuation key for
    // everything else.
    static u32 virtualKeyOf(wchar_t c) {
        if (c == L'\r' || c == L'\n') return VirtualKeyEnter;
        if (c == L'\t') return VirtualKeyTab;
        if (c == 27) return VirtualKeyEscape;
        if (c >= 1 && c <= 26) return static_cast<u32>('A' + c - 1);
        if (c >= L'a' && c <= L'z') return static_cast<u32>(c - L'a' + 'A');
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L' ')
            return static_cast<u32>(c);
        return PunctuationKey;
    }
    static constexpr u32 PunctuationKey = 0xde;
    // Typing: each character as the key-down event that the device merges with its text input
    // (a carriage return for a line break); whether each key was consumed.
    std::vector<bool> type(const wchar_t* text) {
        std::vector<bool> consumed;
        for (const wchar_t* c = text; *c; ++c)
            consumed.push_back(key(virtualKeyOf(*c), static_cast<u16>(*c == L'\n' ? L'\r' : *c)));
        return consumed;
    }

    void record(BaseNode* node, const std::string& label, std::vector<u32> ids) {
        recorders.push_back(makeRef<UiRecorder>(log, label, std::move(ids)));
        node->addPreReceiver(recorders.back().get());
    }
    // The log so far, emptied.
    std::vector<std::string> take() {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }

    // The recorders outlive the scenes whose nodes hold them.
    std::vector<std::string> log;
    std::vector<CRefPtr<UiRecorder>> recorders;
    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

template <class T>
T* addNode(BaseNode* parent, const char* name, f32 x, f32 y, const char* templateName = nullptr) {
    auto* node = new T(CCreationContext(), nullptr, nullptr);
    node->setNameId(id(name));
    node->setPosition(vector3df(x, y, 0));
    parent->addChild(node);
    node->drop();
    if (templateName) node->setTemplateByName(templateName);
    return node;
}

}  // namespace oskel::test
