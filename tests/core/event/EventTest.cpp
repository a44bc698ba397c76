#include <gtest/gtest.h>

#include "engine/core/event/DeviceEvents.h"
#include "engine/scene/NodeEvents.h"

using namespace oskel;

namespace {

// A game event with no game base, and one derived from it.
class GameEventA : public CEventGame {
    OSKEL_EVENT_TYPE(GameEventA, CEventGame, 4098)
public:
    GameEventA() = default;
};
class GameEventB : public GameEventA {
    OSKEL_EVENT_TYPE(GameEventB, GameEventA, 4099)
public:
    GameEventB() = default;
};

struct KindCase {
    CEvent* event;
    u32 typeId;
    u32 category;
    std::vector<u32> kinds;  // every id the event is a kind of (0 is added by the test)
};

}  // namespace

TEST(Events, TypeIdsKindsAndCategories) {
    KindCase cases[] = {
        {new CEventSystemFlowUpdate(10), 14, CategorySystemFlow, {14, 2}},
        {new CEventSystemFlowRender(), 15, CategorySystemFlow, {15, 2}},
        {new CEventSystemFlowCloseRequest(), 19, CategorySystemFlow, {19, 2}},
        {new CEventDeviceVideoDriverCreated(nullptr), 10, CategoryDevice, {10, 1}},
        {new CEventMouseLeftDown(3, 4), 22, CategoryMouse, {22, 5, 3}},
        {new CEventMouseWheel(1, 2, -1.0f), 31, CategoryMouse, {31, 5, 3}},
        {new CEventKeyboardKeyDown(L'a', 65, false, true), 32, CategoryKeyboard, {32, 4, 3}},
        {new CEventKeyboardKeyUp(0, 27, false, false), 33, CategoryKeyboard, {33, 4, 3}},
        {new CEventNodeSceneSwitchEnd(nullptr, nullptr, true), 38, CategoryNode, {38, 37, 7}},
        {new CEventNodeSceneSwitchBegin(nullptr, nullptr, false), 39, CategoryNode, {39, 37, 7}},
        {new CEventNodeTabChangeStarted(nullptr, nullptr), 43, CategoryNode, {43, 41, 7}},
        {new CEventNodePushed(nullptr, nullptr), 45, CategoryNode, {45, 44, 7}},
        {new CEventNodeReleased(nullptr, nullptr), 47, CategoryNode, {47, 46, 7}},
        {new CEventNodeHovered(nullptr, nullptr), 49, CategoryNode, {49, 48, 7}},
        {new CEventNodeUnhovered(nullptr, nullptr), 51, CategoryNode, {51, 50, 7}},
        {new CEventNodeFocused(nullptr, nullptr), 53, CategoryNode, {53, 52, 7}},
        {new CEventNodeUnfocused(nullptr, nullptr), 55, CategoryNode, {55, 54, 7}},
        {new CEventNodePressPreview(nullptr), 57, CategoryNode, {57, 56, 7}},
        {new CEventNodePressed(nullptr), 59, CategoryNode, {59, 58, 7}},
        {new CEventNodeValueChanged(nullptr), 60, CategoryNode, {60, 7}},
        {new CEventNodeListItemChecked(nullptr, 3, true), 63, CategoryNode, {63, 7}},
        {new CAnimationEvent(nullptr, 1, true), 66, CategoryNode, {66, 7}},
        {new CEventNodeAnimatorFinished(nullptr, 5, true), 68, CategoryNode, {68, 7}},
        {new CEventNodeChildStateFinished(nullptr, 5), 71, CategoryNode, {71, 7}},
        {new CEventNodeStateFinished(nullptr, 5), 75, CategoryNode, {75, 7}},
        {new GameEventA(), 4098, CategoryGame, {4098, 4096}},
        {new GameEventB(), 4099, CategoryGame, {4099, 4098, 4096}},
    };
    for (KindCase& c : cases) {
        EXPECT_EQ(c.event->getTypeId(), c.typeId);
        EXPECT_EQ(c.event->getCategory(), c.category) << c.typeId;
        c.kinds.push_back(0);
        for (u32 id = 0; id < 4200; ++id) {
            const bool expected = std::find(c.kinds.begin(), c.kinds.end(), id) != c.kinds.end();
            EXPECT_EQ(c.event->isKindOf(id), expected) << "event " << c.typeId << " kind " << id;
        }
        // Class names cannot tell events apart.
        EXPECT_TRUE(c.event->getClassName() == stringw(L"#thisClassName"));
        c.event->drop();
    }
}

TEST(Events, Payloads) {
    auto* key = new CEventKeyboardKeyDown(0x20ac, 69, true, false);
    EXPECT_EQ(key->getChar(), 0x20ac);
    EXPECT_EQ(key->getKey(), 69u);
    EXPECT_TRUE(key->isShift());
    EXPECT_FALSE(key->isControl());
    EXPECT_EQ(key->getThirdFlag(), 0);
    key->drop();

    auto* wheel = new CEventMouseWheel(-5, 7, -2.0f);
    EXPECT_EQ(wheel->getX(), -5);
    EXPECT_EQ(wheel->getY(), 7);
    EXPECT_EQ(wheel->getWheel(), -2.0f);
    wheel->drop();

    int a = 0, b = 0;
    auto* others = new CEventNodeHoverLeaveOthers(reinterpret_cast<BaseNode*>(&a),
                                                  reinterpret_cast<BaseNode*>(&b));
    EXPECT_EQ(others->getTarget(), reinterpret_cast<BaseNode*>(&a));
    EXPECT_EQ(others->getKeptNode(), reinterpret_cast<BaseNode*>(&b));
    others->drop();

    auto* anim = new CAnimationEvent(nullptr, -3, true);
    EXPECT_EQ(anim->getValue(), -3);
    EXPECT_TRUE(anim->isLooped());
    anim->drop();

    auto* update = new CEventSystemFlowUpdate(0xfffffff0u);
    EXPECT_EQ(update->getElapsed(), 0xfffffff0u);
    update->drop();
}
