// The game scene base: back navigation by key, the activity cycle on the scene's own clock,
// clones, the default handlers' cues and log lines, and the switch to a scene file.

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/ButtonNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/scenes/GBaseSceneNode.h"
#include "tests/game/scenes/GameSceneWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// A game scene that counts its updates.
class CountingScene : public GBaseSceneNode {
public:
    using GBaseSceneNode::GBaseSceneNode;
    bool onUpdate(u32 periodMs) override {
        ++updates;
        return GBaseSceneNode::onUpdate(periodMs);
    }
    u32 updates = 0;
};

CRefPtr<CountingScene> makeGameScene(const char* name) { return makeScene<CountingScene>(name); }

// Transition states of the given length, played by a child of the scene (scenes play their
// states on their children).
void giveStates(SceneNode* scene, std::initializer_list<const char*> states, u32 ms) {
    HitNode* body = addHitNode(scene, "Body", 0, 0, 10, 10);
    for (const char* state : states) body->addState(timedState(state, ms).get());
}

bool keyUp(BaseNode* scene, u32 key) {
    auto event = makeRef<CEventKeyboardKeyUp>(u16(0), key, false, false);
    return scene->onEvent(event.get());
}

}  // namespace

// Back by key: Escape and Return go back one scene when it is on, and are then consumed even when
// the scene manager refuses; other keys never navigate.
TEST(GameSceneBase, BackByKeyTable) {
    const struct {
        bool backByKey;
        u32 key;
        bool consumed;
        bool wentBack;
    } cases[] = {
        {false, VirtualKeyEscape, false, false}, {false, VirtualKeyEnter, false, false},
        {false, VirtualKeySpace, false, false},  {true, VirtualKeyEscape, true, true},
        {true, VirtualKeyEnter, true, true},     {true, VirtualKeySpace, false, false},
    };
    TestGameServices services;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.backByKey) + " " + std::to_string(c.key));
        SceneWorld world;
        CRefPtr<SceneNode> below = makeScene("Below");
        CRefPtr<CountingScene> scene = makeGameScene("Above");
        world.show(below.get());
        ASSERT_TRUE(world.manager->switchScene(below.get(), scene.get()));
        world.step(1000);
        ASSERT_EQ(world.manager->getCurrentScene(), scene.get());
        scene->setBackByKey(c.backByKey);
        EXPECT_EQ(keyUp(scene.get(), c.key), c.consumed);
        EXPECT_EQ(world.manager->getCurrentScene() == below.get(), c.wentBack);
    }
}

TEST(GameSceneBase, BackByKeyWithNothingBelowIsStillConsumed) {
    TestGameServices services;
    SceneWorld world;
    CRefPtr<CountingScene> scene = makeGameScene("Alone");
    world.show(scene.get());
    scene->setBackByKey(true);
    EXPECT_TRUE(keyUp(scene.get(), VirtualKeyEscape));
    EXPECT_EQ(world.manager->getCurrentScene(), scene.get());
    EXPECT_TRUE(world.manager->getTransitions().empty());
}

// Neither scene is updated during a switch; the one entered is from the end of its entry; the
// time counts only with the focus and starts again at 0 when the scene is entered again.
TEST(GameSceneBase, ActivityCycleOnTheScenesOwnClock) {
    TestGameServices services;
    SceneWorld world;
    CRefPtr<CountingScene> first = makeGameScene("First");
    CRefPtr<CountingScene> second = makeGameScene("Second");
    giveStates(first.get(), {"NavFrom", "NavBackTo"}, 300);
    giveStates(second.get(), {"NavTo", "NavBackFrom"}, 300);

    EXPECT_EQ(first->getUpdateSource(), nullptr);  // never before its entry has ended
    world.show(first.get());
    ASSERT_NE(first->getUpdateSource(), nullptr);
    EXPECT_EQ(first->getUpdateSource(), first->getTimerScheduler());
    EXPECT_EQ(first->getUpdatePeriod(), GBaseSceneNode::DefaultUpdatePeriod);
    for (int i = 0; i < 4; ++i) world.step(30);
    EXPECT_EQ(first->updates, 4u);
    EXPECT_EQ(first->getElapsedTime(), 120u);
    // Without the focus the updates go on, the time stands still.
    first->setFocused(false);
    world.step(30);
    EXPECT_EQ(first->updates, 5u);
    EXPECT_EQ(first->getElapsedTime(), 120u);
    first->setFocused(true);

    ASSERT_TRUE(world.manager->switchScene(first.get(), second.get()));
    EXPECT_EQ(first->getUpdateSource(), nullptr);  // at the start of the switch
    for (int i = 0; i < 9; ++i) world.step(30);    // 270 ms: both transitions still run
    EXPECT_EQ(first->updates, 5u);
    EXPECT_EQ(second->updates, 0u);
    EXPECT_EQ(second->getUpdateSource(), nullptr);
    world.step(60);  // the entry ends
    ASSERT_EQ(second->getUpdateSource(), second->getTimerScheduler());
    for (int i = 0; i < 3; ++i) world.step(30);
    EXPECT_EQ(first->updates, 5u);
    EXPECT_EQ(second->updates, 3u);
    EXPECT_EQ(second->getElapsedTime(), 90u);

    ASSERT_TRUE(second->goBack());
    EXPECT_EQ(second->getUpdateSource(), nullptr);
    for (int i = 0; i < 12; ++i) world.step(30);
    EXPECT_EQ(second->updates, 3u);
    ASSERT_EQ(first->getUpdateSource(), first->getTimerScheduler());
    EXPECT_LT(first->getElapsedTime(), 120u);  // started again at 0 on the re-entry
    const u32 before = first->updates;
    world.step(30);
    EXPECT_EQ(first->updates, before + 1);
}

TEST(GameSceneBase, AShownSceneWithoutSchedulerStaysWithoutUpdates) {
    TestGameServices services;
    CRefPtr<CountingScene> scene = makeGameScene("Loose");
    auto entered = makeRef<CEventNodeSceneSwitchEnd>(nullptr, scene.get(), true);
    scene->onEvent(entered.get());
    EXPECT_EQ(scene->getUpdateSource(), nullptr);
}

// A clone starts with the values of a new scene, not those of its source.
TEST(GameSceneBase, ClonesKeepTheirConstructorsValues) {
    TestGameServices services;
    SceneWorld world;
    CRefPtr<GBaseSceneNode> source = makeScene<GBaseSceneNode>("Source");
    world.show(source.get());
    world.step(30);
    source->setBackByKey(true);
    source->setUpdatePeriod(0);
    ASSERT_GT(source->getElapsedTime(), 0u);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(source->clone(nullptr, nullptr));
    ASSERT_TRUE(copy);
    ASSERT_TRUE(copy->isKindOf(GameNodeTypeBaseScene));
    auto* clone = static_cast<GBaseSceneNode*>(copy.get());
    EXPECT_EQ(clone->getClassName(), stringw(L"GBaseSceneNode"));
    EXPECT_EQ(clone->getNodeName(), stringc("Source"));  // the scene's own copy
    EXPECT_FALSE(clone->isBackByKey());
    EXPECT_EQ(clone->getUpdatePeriod(), GBaseSceneNode::DefaultUpdatePeriod);
    EXPECT_EQ(clone->getElapsedTime(), 0u);
    EXPECT_EQ(clone->getUpdateSource(), nullptr);
    for (s32 kind :
         {s32(GameNodeTypeBaseScene), s32(NodeTypeScene), s32(NodeTypeControl), s32(NodeTypeBase)})
        EXPECT_TRUE(clone->isKindOf(kind)) << kind;
    EXPECT_FALSE(clone->isKindOf(NodeTypeButton));
}

// Buttons sound on hover and press; plain controls only log; list items always sound.
TEST(GameSceneBase, DefaultHandlersLogAndPlayTheButtonCues) {
    TestGameServices services;
    oskel::test::LogCapture logs;
    CRefPtr<GBaseSceneNode> scene = makeScene<GBaseSceneNode>("Menu");
    auto button = makeRef<ButtonNode>(CCreationContext());
    button->setNameId(id("OkButton"));
    auto plain = makeRef<ControlNode>(CCreationContext());
    plain->setNameId(id("Panel"));

    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeHovered>(plain.get(), nullptr).get()));
    EXPECT_TRUE(services.playedCues().empty());
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeHovered>(button.get(), nullptr).get()));
    EXPECT_EQ(services.playedCues(), (std::vector<std::string>{"ButtonOver"}));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodePressPreview>(plain.get()).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodePressPreview>(button.get()).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodePressed>(button.get()).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeListItemHovered>(plain.get(), 2).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeListItemPressed>(plain.get(), 2).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeUnhovered>(button.get(), nullptr).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeFocused>(plain.get(), nullptr).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeUnfocused>(plain.get(), nullptr).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeValueChanged>(plain.get()).get()));
    EXPECT_FALSE(scene->onEvent(makeRef<CEventNodeMessageBoxResult>(1).get()));
    EXPECT_EQ(services.playedCues(),
              (std::vector<std::string>{"ButtonOver", "ButtonClick", "ButtonOver", "ButtonClick"}));

    std::vector<std::string> lines;
    for (const auto& line : logs.lines())
        if (line.level == LogInformation) lines.push_back(line.text + "|" + line.hint);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Node was hovered|Panel", "Node was hovered|OkButton",
                         "Node was pressed (preview)|Panel", "Node was pressed (preview)|OkButton",
                         "Node was pressed|OkButton", "List item was hovered|Panel",
                         "List item was pressed|Panel", "Node was unhovered|OkButton",
                         "Node was focused|Panel", "Node was unfocused|Panel",
                         "Value was changed|Panel", "Message box result|1"}));

    logs.clear();
    EXPECT_FALSE(scene->onEvent(makeRef<CEventSystemFlowQuit>().get()));
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].text, "Application Close, scene cleanup");
    EXPECT_EQ(logs.lines()[0].hint, "GBaseSceneNode");
}

// A press ends when its button's press animation does: two buttons clicked in quick succession
// both end, the second after the first has switched away. A scene that has been left takes such
// a late press without acting on it (it would switch a second time from a scene already left);
// entered again, it acts on presses as before. A scene never left acts on every press.
TEST(GameSceneBase, APressEndingAfterTheSceneWasLeftIsNotActedOn) {
    class PressScene : public GBaseSceneNode {
    public:
        using GBaseSceneNode::GBaseSceneNode;
        bool onNodePressed(CEvent* event) override {
            if (GBaseSceneNode::onNodePressed(event)) return true;
            ++acted;
            return true;
        }
        u32 acted = 0;
    };
    TestGameServices services;
    auto button = makeRef<ButtonNode>(CCreationContext());
    button->setNameId(id("NewGameButton"));
    auto press = [&](SceneNode* scene) {
        return scene->onEvent(makeRef<CEventNodePressed>(button.get()).get());
    };
    CRefPtr<PressScene> alone = makeScene<PressScene>("Alone");
    EXPECT_TRUE(press(alone.get()));
    EXPECT_EQ(alone->acted, 1u);

    SceneWorld world;
    CRefPtr<PressScene> menu = makeScene<PressScene>("Menu");
    CRefPtr<CountingScene> next = makeGameScene("Next");
    giveStates(menu.get(), {"NavFrom", "NavBackTo"}, 300);
    giveStates(next.get(), {"NavTo", "NavBackFrom"}, 300);
    world.show(menu.get());
    EXPECT_TRUE(press(menu.get()));
    EXPECT_EQ(menu->acted, 1u);
    ASSERT_TRUE(world.manager->switchScene(menu.get(), next.get()));
    EXPECT_TRUE(menu->isLeft());
    EXPECT_TRUE(press(menu.get()));  // while the switch runs
    world.step(1000);
    EXPECT_TRUE(press(menu.get()));  // once the other scene is on top
    EXPECT_EQ(menu->acted, 1u);
    EXPECT_EQ(world.manager->getCurrentScene(), next.get());
    ASSERT_TRUE(next->goBack());
    EXPECT_FALSE(menu->isLeft());  // entered again as the way back begins
    world.step(1000);
    ASSERT_EQ(world.manager->getCurrentScene(), menu.get());
    EXPECT_TRUE(press(menu.get()));
    EXPECT_EQ(menu->acted, 2u);
}

// "Scene entered" once per entry, with the class name, when the entry ends; the end of another
// scene's entry is not this scene's.
TEST(GameSceneBase, SceneEnteredIsLoggedOncePerEntry) {
    TestGameServices services;
    oskel::test::LogCapture logs;
    SceneWorld world;
    CRefPtr<CountingScene> first = makeGameScene("First");
    CRefPtr<CountingScene> second = makeGameScene("Second");
    world.show(first.get());
    for (int i = 0; i < 5; ++i) world.step(30);
    EXPECT_EQ(linesOf(logs, "Scene entered"),
              (std::vector<std::string>{"Scene entered|GBaseSceneNode"}));
    EXPECT_TRUE(logs.contains("Scene entered", LogInformation));

    ASSERT_TRUE(world.manager->switchScene(first.get(), second.get()));
    for (int i = 0; i < 5; ++i) world.step(30);
    EXPECT_EQ(linesOf(logs, "Scene entered").size(), 2u);  // the second one's entry only
    auto other = makeRef<CEventNodeSceneSwitchEnd>(second.get(), nullptr, true);
    first->onEvent(other.get());
    EXPECT_EQ(linesOf(logs, "Scene entered").size(), 2u);
}

// A scene file that cannot be loaded is logged with its path; the scene stays as it was.
TEST(GameSceneBase, ASwitchToAMissingFileIsLoggedAndChangesNothing) {
    TestGameServices services;
    oskel::test::LogCapture logs;
    SceneWorld world;
    auto content = makeRef<CContentManager>(world.device.getFileSystem(), nullptr);
    auto scene = makeRef<CountingScene>(CCreationContext(content.get(), "Here"));
    world.show(scene.get());
    EXPECT_EQ(scene->switchToSceneFile("scenes/NotThere.oscn"), nullptr);
    EXPECT_EQ(linesOf(logs, "Unable to load scene file"),
              (std::vector<std::string>{"Unable to load scene file|scenes/NotThere.oscn"}));
    EXPECT_TRUE(logs.contains("Unable to load scene file", LogError));
    EXPECT_EQ(scene->switchToSceneFile("scenes/NotThere.oscn", false, -1, -1, true), nullptr);
    EXPECT_EQ(linesOf(logs, "Unable to load scene file").size(), 1u);  // quiet
    EXPECT_EQ(world.manager->getCurrentScene(), scene.get());
    EXPECT_TRUE(world.manager->getTransitions().empty());
}
