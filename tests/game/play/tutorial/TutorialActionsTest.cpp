#include <gtest/gtest.h>

#include <string>

#include "game/config/ConfigurationXml.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GGameLevelScene.h"
#include "tests/game/play/tutorial/TutorialWorld.h"

namespace brasquel::test {
namespace {

// The first action of an "Actions" element holding the XML.
CRefPtr<GTutorialAction> action(const std::string& xml) {
    CRefPtr<CXmlReader> reader = oskel::test::readerOf("<Actions>" + xml + "</Actions>");
    while (reader->read() && !config::isElement(reader.get(), L"Actions")) {
    }
    array<CRefPtr<GTutorialAction>> actions;
    EXPECT_TRUE(readTutorialActions(reader.get(), actions)) << xml;
    return actions.size() > 0 ? actions[0] : CRefPtr<GTutorialAction>();
}

std::string lots() {
    return LotWorld::lot("P1", "Empty", 100, 100, true) +
           LotWorld::lot("P2", "Hotel1", 300, 100, true) + LotWorld::lot("P3", "Cafe", 500, 100);
}

TEST(TutorialActions, TimedEndsWhenTheSummedTimeReachesItsTime) {
    TutorialWorld world;
    CRefPtr<GTutorialAction> timed = action("<Action Type=\"Timed\" Time=\"3000.9\"/>");
    ASSERT_NE(timed, nullptr);
    for (u32 step : {1000u, 1000u, 999u}) {
        timed->update(step);
        EXPECT_FALSE(timed->isDone());
    }
    timed->update(1);
    EXPECT_TRUE(timed->isDone());
    timed->update(5000);
    EXPECT_TRUE(timed->isDone());
    CRefPtr<GTutorialAction> zero = action("<Action Type=\"Timed\"/>");
    zero->update(0);
    EXPECT_TRUE(zero->isDone());
}

TEST(TutorialActions, PressFiltersPassTheAwaitedPressAndRefuseTheOthers) {
    TutorialWorld world;
    ASSERT_TRUE(world.prepare(lots()));
    BaseNode* emptyLot = world.level->findChildByName("P1", 0);
    ASSERT_NE(emptyLot, nullptr);
    enum Kind { Node, Item };
    const struct {
        const char* xml;
        Kind kind;
        BaseNode* target;
        s32 item;
        bool consumed;
        bool missed;
        bool done;
    } cases[] = {
        {"<Action Type=\"MouseClick\"/>", Node, world.named("MenuButton"), 0, true, true, true},
        {"<Action Type=\"MouseClick\"/>", Item, world.named("HotelsBuildList"), 1, true, true,
         true},
        {"<Action Type=\"ControlPress\" Controls=\" HotelsButton ; Tab4Button\"/>", Node,
         world.named("Tab4Button"), 0, false, false, true},
        {"<Action Type=\"ControlPress\" Controls=\"HotelsButton\"/>", Node,
         world.named("MenuButton"), 0, true, true, false},
        {"<Action Type=\"ControlPress\" Controls=\"HotelsButton\"/>", Item,
         world.named("HotelsBuildList"), 0, true, false, false},
        {"<Action Type=\"ControlPress\"/>", Node, world.named("HotelsButton"), 0, true, true,
         false},
        {"<Action Type=\"ListItemPress\" List=\"HotelsBuildList\" Indices=\"0;2\"/>", Item,
         world.named("HotelsBuildList"), 2, false, false, true},
        {"<Action Type=\"ListItemPress\" List=\"HotelsBuildList\" Indices=\"0;2\"/>", Item,
         world.named("HotelsBuildList"), 1, true, true, false},
        {"<Action Type=\"ListItemPress\" List=\"HotelsBuildList\" Indices=\"0\"/>", Item,
         world.named("JoysBuildList"), 0, true, true, false},
        {"<Action Type=\"ListItemPress\" List=\"HotelsBuildList\" Indices=\"0\"/>", Node,
         world.named("HotelsButton"), 0, true, true, false},
        {"<Action Type=\"BuildingPress\" BuildingTypes=\"Hotel1;Empty\"/>", Node, emptyLot, 0,
         false, false, true},
        {"<Action Type=\"BuildingPress\" BuildingTypes=\"Hotel1\"/>", Node, emptyLot, 0, true, true,
         false},
        {"<Action Type=\"BuildingPress\" BuildingTypes=\"Empty\"/>", Node,
         world.named("HotelsButton"), 0, true, true, false},
        {"<Action Type=\"BuildingPress\" BuildingTypes=\"Empty\"/>", Item,
         world.named("HotelsBuildList"), 0, true, false, false},
        {"<Action Type=\"BuildingCompleted\" Buildings=\"Hotel1\"/>", Node,
         world.named("AbortButton"), 0, true, true, false},
        {"<Action Type=\"BuildingCompleted\" Buildings=\"Hotel1\"/>", Node,
         world.named("UpgradeButton"), 0, false, false, false},
        {"<Action Type=\"BuildingCompleted\" Buildings=\"Hotel1\"/>", Item,
         world.named("HotelsBuildList"), 0, false, false, false},
    };
    for (const auto& c : cases) {
        CRefPtr<GTutorialAction> filter = action(c.xml);
        ASSERT_NE(filter, nullptr) << c.xml;
        const size_t missedBefore = world.tutorial.started("ButtonMissed");
        const bool consumed = c.kind == Node
                                  ? TutorialWorld::press(filter.get(), c.target)
                                  : TutorialWorld::pressItem(filter.get(), c.target, c.item);
        const std::string label = std::string(c.xml) + " " + c.target->getNodeName().c_str();
        EXPECT_EQ(consumed, c.consumed) << label;
        EXPECT_EQ(world.tutorial.started("ButtonMissed") - missedBefore, c.missed ? 1u : 0u)
            << label;
        EXPECT_EQ(filter->isDone(), c.done) << label;
    }
}

TEST(TutorialActions, WatchersNeverConsumeAndEndOnWhatTheyWatch) {
    TutorialWorld world;
    ASSERT_TRUE(world.prepare(lots()));
    auto* hotel = static_cast<GBuildingNode*>(world.level->findChildByName("P2", 0));
    auto* cafe = static_cast<GBuildingNode*>(world.level->findChildByName("P3", 0));
    ASSERT_NE(hotel, nullptr);
    ASSERT_NE(cafe, nullptr);
    BaseNode* list = world.named("HotelsBuildList");

    CRefPtr<GTutorialAction> hovered =
        action("<Action Type=\"ListItemHovered\" List=\"HotelsBuildList\" Indices=\"1\"/>");
    EXPECT_FALSE(hovered->onEvent(makeEvent<CEventNodeListItemHovered>(list, 0).get()));
    EXPECT_FALSE(hovered->isDone());
    EXPECT_FALSE(hovered->onEvent(makeEvent<CEventNodeListItemHovered>(list, 1).get()));
    EXPECT_TRUE(hovered->isDone());

    for (const char* xml :
         {"<Action Type=\"BuildingCompleted\" Buildings=\"Hotel1\"/>",
          "<Action Type=\"BuildingCompletedOrExist\" BuildingTypes=\"Hotel1\"/>"}) {
        CRefPtr<GTutorialAction> built = action(xml);
        EXPECT_FALSE(built->onEvent(makeEvent<GEventBuildingBuilt>(nullptr, nullptr).get())) << xml;
        EXPECT_FALSE(built->onEvent(makeEvent<GEventBuildingBuilt>(cafe, nullptr).get())) << xml;
        EXPECT_FALSE(built->isDone()) << xml;
        EXPECT_FALSE(built->onEvent(makeEvent<GEventBuildingBuilt>(hotel, nullptr).get())) << xml;
        EXPECT_TRUE(built->isDone()) << xml;
    }

    CRefPtr<GTutorialAction> dirty = action("<Action Type=\"WaitDirty\"/>");
    CRefPtr<GTutorialAction> letter = action("<Action Type=\"WaitLetter\"/>");
    EXPECT_FALSE(dirty->onEvent(makeEvent<GEventBrokenRequest>().get()));
    EXPECT_FALSE(letter->onEvent(makeEvent<GEventDirtyRequest>().get()));
    EXPECT_FALSE(dirty->isDone());
    EXPECT_FALSE(letter->isDone());
    EXPECT_FALSE(dirty->onEvent(makeEvent<GEventDirtyRequest>().get()));
    EXPECT_FALSE(letter->onEvent(makeEvent<GEventLetterRequest>(GEventLetterRequest::Range(1, 2),
                                                                GEventLetterRequest::Range(3, 4))
                                     .get()));
    EXPECT_TRUE(dirty->isDone());
    EXPECT_TRUE(letter->isDone());
}

TEST(TutorialActions, BuildingCompletedOrExistAsksTheRealLevel) {
    TutorialWorld world;
    ASSERT_TRUE(world.prepare(lots()));
    const struct {
        const char* types;
        bool withLevel;
        bool done;
    } cases[] = {{"Hotel1", true, true},
                 {"Shop; Empty", true, true},
                 {"Cafe", true, false},  // the cafe is not the player's
                 {"Garden", true, false},
                 {"Hotel1", false, false}};
    for (const auto& c : cases) {
        CRefPtr<GTutorialAction> exists =
            action(std::string("<Action Type=\"BuildingCompletedOrExist\" BuildingTypes=\"") +
                   c.types + "\"/>");
        exists->setReceiver(c.withLevel ? world.level.get() : nullptr);
        EXPECT_FALSE(exists->isDone()) << c.types;
        exists->update(20);
        EXPECT_EQ(exists->isDone(), c.done) << c.types << " " << c.withLevel;
    }
}

TEST(TutorialActions, GeneratorsPostOnceAtTheirFirstUpdateAndAreDone) {
    TutorialWorld world;
    const struct {
        const char* type;
        u32 event;
    } cases[] = {{"GenerateSellBuildingRequest", GameEventSellRequest},
                 {"GenerateBrokenBuildingRequest", GameEventBrokenRequest},
                 {"GenerateDirtyBuildingRequest", GameEventDirtyRequest},
                 {"GenerateLetterRequest", GameEventLetterRequest}};
    for (const auto& c : cases) {
        RequestRecorder level;
        CRefPtr<GTutorialAction> generator =
            action(std::string("<Action Type=\"") + c.type +
                   "\" BuildingTypes=\"Hotel1;Cafe\" PlaceNames=\"P2\"/>");
        EXPECT_TRUE(generator->isDone()) << c.type;
        generator->setReceiver(&level);
        EXPECT_TRUE(level.ids.empty()) << c.type;
        generator->update(20);
        ASSERT_EQ(level.ids, std::vector<u32>{c.event}) << c.type;
        EXPECT_EQ(level.types, std::vector<u32>{2}) << c.type;
        EXPECT_EQ(level.places, std::vector<u32>{1}) << c.type;
        if (c.event == GameEventLetterRequest) {
            ASSERT_EQ(level.letters.size(), 1u);
            EXPECT_EQ(level.letters[0], (std::vector<f32>{1.5f, 2.0f, 200000000.0f, 200000000.0f}));
        }
        // Without a receiver nothing is posted.
        CRefPtr<GTutorialAction> alone = action(std::string("<Action Type=\"") + c.type + "\"/>");
        alone->setReceiver(nullptr);
        alone->update(20);
        EXPECT_TRUE(alone->isDone());
        EXPECT_EQ(level.ids.size(), 1u) << c.type;
    }
}

TEST(TutorialActions, PauseRequestPausesTheRealLevelWhileItsStepIsShown) {
    TutorialWorld world;
    ASSERT_TRUE(world.prepare(lots()));
    ASSERT_FALSE(world.level->isPaused());
    CRefPtr<GTutorialAction> pause = action("<Action Type=\"GeneratePauseRequest\"/>");
    pause->setReceiver(world.level.get());
    EXPECT_TRUE(world.level->isPaused());
    EXPECT_FALSE(world.level->getTimerScheduler() && world.level->getTimerScheduler()->isEnabled());
    pause->update(100000);
    EXPECT_FALSE(pause->isDone());
    EXPECT_TRUE(world.level->isPaused());
    pause->onStepEnd();
    EXPECT_FALSE(world.level->isPaused());

    // Not taken by the receiver: offered to its parents.
    RequestRecorder parent;
    CRefPtr<SceneNode> holder = makeScene<SceneNode>("Holder");
    holder->addCategory(CategoryGame);
    holder->addPreReceiver(&parent);
    BaseNode* inner = world.base(holder.get(), "Inner");
    CRefPtr<GTutorialAction> second = action("<Action Type=\"GeneratePauseRequest\"/>");
    second->setReceiver(inner);
    EXPECT_EQ(parent.flags, std::vector<u8>{1});
    second->onStepEnd();
    EXPECT_EQ(parent.flags, (std::vector<u8>{1, 0}));
    holder->removePreReceiver(&parent);

    // Without a receiver nothing happens.
    CRefPtr<GTutorialAction> alone = action("<Action Type=\"GeneratePauseRequest\"/>");
    alone->setReceiver(nullptr);
    alone->onStepEnd();
    EXPECT_FALSE(world.level->isPaused());
}

}  // namespace
}  // namespace brasquel::test
