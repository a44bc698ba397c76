#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/scene/NodeEvents.h"

using namespace oskel;

namespace {

std::vector<std::string> g_visits;

// A small tree of receivers, routed like scene nodes: to the parent, or to the children from the
// last to the first, each only when its mask accepts the event.
class TreeNode : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    explicit TreeNode(std::string name, TreeNode* parent = nullptr) : name(std::move(name)) {
        setCategoryMask(CategoryNode | CategorySystemFlow);
        this->parent = parent;
        if (parent) parent->children.push_back(this);
    }

    bool routeToParent(u32 mode, CEvent* event) override {
        return parent && parent->acceptsEvent(event) && parent->dispatchEvent(mode, event);
    }
    bool routeToChildren(u32 mode, CEvent* event) override {
        for (size_t i = children.size(); i > 0; --i) {
            TreeNode* child = children[i - 1];
            if (child->acceptsEvent(event) && child->dispatchEvent(mode, event)) return true;
        }
        return false;
    }

    virtual bool onPressed(CEvent*) {
        g_visits.push_back(name);
        if (whileHandling) whileHandling();
        return name == consumer;
    }
    virtual bool onRender(CEvent*) {
        g_visits.push_back(name + ":render");
        return false;
    }

    std::string name;
    TreeNode* parent = nullptr;
    std::vector<TreeNode*> children;
    std::function<void()> whileHandling;
    static inline std::string consumer;
};

OSKEL_BEGIN_EVENT_MAP(TreeNode, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodePressed, onPressed)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_END_EVENT_MAP()

// A subclass that replaces the handler of one id in its own map.
class SpecialNode : public TreeNode {
    OSKEL_DECLARE_EVENT_MAP()

public:
    using TreeNode::TreeNode;
    bool onRenderSpecial(CEvent*) {
        g_visits.push_back(name + ":special");
        return false;
    }
};

OSKEL_BEGIN_EVENT_MAP(SpecialNode, TreeNode)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRenderSpecial)
OSKEL_EVENT_ENTRY(EventNodeValueChanged, [](CEventReceiver*, CEvent*) { return true; })
OSKEL_END_EVENT_MAP()

// A pre- or post-receiver that records its calls.
class Listener : public CEventReceiver {
public:
    Listener(std::string name, bool consume) : name(std::move(name)), consume(consume) {}
    bool onEvent(CEvent*) override {
        g_visits.push_back(name);
        if (action) action();
        return consume;
    }
    std::string name;
    bool consume;
    std::function<void()> action;
};

// root
//   a
//     a1
//     a2
//   b
//     b1
struct Tree {
    TreeNode root{"root"};
    TreeNode a{"a", &root};
    TreeNode a1{"a1", &a};
    TreeNode a2{"a2", &a};
    TreeNode b{"b", &root};
    TreeNode b1{"b1", &b};
};

std::vector<std::string> deliver(CEventReceiver& start, u32 mode, const std::string& consumer,
                                 bool* result = nullptr) {
    g_visits.clear();
    TreeNode::consumer = consumer;
    CEvent* e = new CEventNodePressed(nullptr);
    const bool consumed = start.dispatchEvent(mode, e);
    e->drop();
    if (result) *result = consumed;
    return g_visits;
}

using V = std::vector<std::string>;

}  // namespace

TEST(EventReceiver, DispatchModesOverATree) {
    Tree t;
    struct Case {
        CEventReceiver* start;
        u32 mode;
        const char* consumer;
        V visits;
        bool consumed;
    };
    const Case cases[] = {
        {&t.root, DispatchSelf, "", {"root"}, false},
        {&t.root, DispatchSelfThenChildren, "", {"root", "b", "b1", "a", "a2", "a1"}, false},
        {&t.root, DispatchSelfThenChildren, "a", {"root", "b", "b1", "a"}, true},
        {&t.root, DispatchSelfThenChildren, "root", {"root"}, true},
        {&t.root, DispatchChildrenThenSelf, "", {"b1", "b", "a2", "a1", "a", "root"}, false},
        {&t.root, DispatchChildrenThenSelf, "a2", {"b1", "b", "a2"}, true},
        {&t.a1, DispatchSelfThenParents, "", {"a1", "a", "root"}, false},
        {&t.a1, DispatchSelfThenParents, "a", {"a1", "a"}, true},
        {&t.a1, DispatchParentsThenSelf, "", {"root", "a", "a1"}, false},
        {&t.a1, DispatchParentsThenSelf, "root", {"root"}, true},
        {&t.root, 5, "", {}, false},
        {&t.root, 0xffffffffu, "root", {}, false},
    };
    for (const Case& c : cases) {
        bool consumed = !c.consumed;
        EXPECT_EQ(deliver(*c.start, c.mode, c.consumer, &consumed), c.visits)
            << "mode " << c.mode << " consumer " << c.consumer;
        EXPECT_EQ(consumed, c.consumed) << "mode " << c.mode << " consumer " << c.consumer;
    }
}

TEST(EventReceiver, RoutingSkipsNodesWhoseMaskLacksTheCategory) {
    Tree t;
    t.a.setCategoryMask(CategorySystemFlow);  // no CategoryNode
    EXPECT_EQ(deliver(t.root, DispatchSelfThenChildren, ""), (V{"root", "b", "b1"}));
    // Sent directly, it still arrives.
    EXPECT_EQ(deliver(t.a, DispatchSelf, ""), (V{"a"}));
}

TEST(EventReceiver, PreAndPostReceivers) {
    TreeNode node("node");
    Listener pre1("pre1", false), pre2("pre2", false), post1("post1", false), post2("post2", true);
    node.addPreReceiver(&pre1);
    node.addPreReceiver(&pre2);
    node.addPostReceiver(&post1);
    node.addPostReceiver(&post2);
    bool consumed = false;
    EXPECT_EQ(deliver(node, DispatchSelf, "", &consumed), (V{"pre1", "pre2", "node", "post1", "post2"}));
    EXPECT_TRUE(consumed);

    // A pre-receiver that consumes hides the event from the handler and the post-receivers.
    pre1.consume = true;
    EXPECT_EQ(deliver(node, DispatchSelf, ""), (V{"pre1"}));
    pre1.consume = false;

    // A consuming handler stops before the post-receivers.
    EXPECT_EQ(deliver(node, DispatchSelf, "node"), (V{"pre1", "pre2", "node"}));

    node.removePreReceiver(&pre1);
    node.removePreReceiver(&pre1);  // absent: nothing happens
    node.removePostReceiver(&post1);
    EXPECT_EQ(deliver(node, DispatchSelf, ""), (V{"pre2", "node", "post2"}));
}

TEST(EventReceiver, PostListEmptyOnArrivalIsNotConsultedEvenIfFilledMeanwhile) {
    TreeNode node("node");
    Listener late("late", false);
    node.whileHandling = [&] { node.addPostReceiver(&late); };
    EXPECT_EQ(deliver(node, DispatchSelf, ""), (V{"node"}));
    // The next event finds the list filled.
    node.whileHandling = nullptr;
    EXPECT_EQ(deliver(node, DispatchSelf, ""), (V{"node", "late"}));
}

TEST(EventReceiver, DerivedMapReplacesOneHandlerForItsClassOnly) {
    TreeNode plain("plain");
    SpecialNode special("special");
    g_visits.clear();
    CEvent* render = new CEventSystemFlowRender();
    plain.onEvent(render);
    special.onEvent(render);
    render->drop();
    EXPECT_EQ(g_visits, (V{"plain:render", "special:special"}));
    // Inherited entries stay.
    EXPECT_EQ(deliver(special, DispatchSelf, ""), (V{"special"}));
    // An adapter that consumes without acting.
    CEvent* changed = new CEventNodeValueChanged(nullptr);
    EXPECT_TRUE(special.onEvent(changed));
    EXPECT_FALSE(plain.onEvent(changed));
    changed->drop();
    // The maps: the parent's entries copied, then the class's own stored over them.
    EXPECT_EQ(TreeNode::getEventMap().size(), 2u);
    EXPECT_EQ(SpecialNode::getEventMap().size(), 3u);
    EXPECT_TRUE(CEventReceiver::getEventMap().empty());
}

TEST(EventReceiver, PlainReceiverHandlesNothing) {
    CEventReceiver plain;
    EXPECT_EQ(plain.getCategoryMask(), 0u);
    CEvent* e = new CEventNodePressed(nullptr);
    EXPECT_FALSE(plain.dispatchEvent(DispatchSelfThenChildren, e));
    EXPECT_FALSE(plain.acceptsEvent(e));
    plain.addCategory(CategoryNode);
    EXPECT_TRUE(plain.acceptsEvent(e));
    plain.removeCategory(CategoryNode);
    EXPECT_FALSE(plain.acceptsEvent(e));
    e->drop();
}
