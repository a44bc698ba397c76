// The player's operations on lots (build, upgrade, demolish, repair, clean, restore, custom
// service, features, buying and selling), the press on a lot or on the ground, the process events
// and the requests the level scene answers.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/level/GLevelConfiguration.h"
#include "tests/game/level/LevelWorld.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// The catalogue's own types plus those the operations need: the demolished place, an upgrade
// chain and a ruin with a feature.
void addOperationTypes(LevelWorld& w) {
    std::string text = lotCatalogue();
    text.erase(text.rfind("</BuildingsConfiguration>"));
    text += R"(
 <Building><Properties><string Name="Name" Value="BuildingPlace"/><int Name="Level" Value="0"/>
  </Properties></Building>
 <Building><Properties><string Name="Name" Value="Inn1"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="0"/><float Name="Income" Value="200"/><float Name="Cost" Value="300"/>
  <float Name="BuildMaterialsCost" Value="20"/><int Name="BuildWorkersCost" Value="2"/>
  <string Name="NextLevelName" Value="Inn2"/><float Name="SellPrice" Value="4000"/>
  <int Name="DestroyWorkersCost" Value="1"/><float Name="RepairMaterialsCost" Value="5"/>
  <int Name="RepairWorkersCost" Value="1"/>
  <string Name="BuiltSoundCueName" Value="Bus"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Inn2"/><int Name="Level" Value="2"/>
  <int Name="Type" Value="0"/><float Name="Income" Value="400"/><float Name="Cost" Value="600"/>
  <float Name="BuildMaterialsCost" Value="30"/><int Name="BuildWorkersCost" Value="3"/>
  </Properties></Building>
 <Building><Properties><string Name="Name" Value="Pool"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="7"/><float Name="SellPrice" Value="2500"/>
  <float Name="BuildMaterialsCost" Value="40"/><int Name="BuildWorkersCost" Value="4"/>
  </Properties>
  <ActiveFeature DurationTime="1000" RechargeTime="1000" MoneyCost="150"/>
 </Building>
 <Building><Properties><string Name="Name" Value="Lawn"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="2"/><float Name="RepairMaterialsCost" Value="3"/>
  <int Name="RepairWorkersCost" Value="1"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Laundry"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="1"/><int Name="ProvidedService" Value="5"/></Properties></Building>
</BuildingsConfiguration>
)";
    w.catalogue = makeRef<GBuildingsConfiguration>();
    CRefPtr<CXmlReader> reader = oskel::test::readerOf(text);
    ASSERT_TRUE(w.catalogue->read(reader.get()));
    for (const char* name : {"BuildingPlace", "Inn1", "Inn2", "Pool", "Lawn", "Laundry"}) {
        BaseNode* t = w.topTemplate(name);
        addHitNode(t, "Image", 0, 0, 135, 60);
    }
}

class LevelOperationsTest : public ::testing::Test {
protected:
    LevelOperationsTest() {
        addOperationTypes(w);
        w.configuration->InitMoney = 5000.0f;
        w.configuration->InitMaterialsCount = 100.0f;
        w.configuration->InitWorkersCount = 10;
    }
    void startWith(const std::string& lots) {
        ASSERT_TRUE(w.loadLevel(lots));
        w.start();
        w.level->recalculateEconomy();
    }
    LevelWorld w;
};

std::vector<s32> actionsOf(const GGameLevelScene& level) {
    std::vector<s32> actions;
    for (const GLevelHistoryRecord& r : level.getHistory()) actions.push_back(r.action);
    return actions;
}

}  // namespace

// One table: the lot's state before, the operation, and what it takes and starts.
TEST(LevelOperations, EachOperationChecksItsConditionsAndTakesItsCosts) {
    struct Case {
        const char* name;
        const char* type;  // of the lot
        bool owned;
        s32 problem;
        s32 runningKind;  // a process kind already on the lot
        std::function<bool(GGameLevelScene&, GBuildingNode*)> operation;
        bool done;
        f32 money, materials;
        s32 workers;
        s32 kind;  // process kind afterwards
    };
    auto build = [](GGameLevelScene& l, GBuildingNode* lot) {
        return l.buildBuilding(lot, l.getBuildingsConfiguration()->find(CNameId("Inn1")));
    };
    auto upgrade = [](GGameLevelScene& l, GBuildingNode* lot) { return l.upgradeBuilding(lot); };
    auto destroy = [](GGameLevelScene& l, GBuildingNode* lot) { return l.destroyBuilding(lot); };
    auto repair = [](GGameLevelScene& l, GBuildingNode* lot) { return l.repairBuilding(lot); };
    auto clean = [](GGameLevelScene& l, GBuildingNode* lot) { return l.cleanBuilding(lot); };
    auto restore = [](GGameLevelScene& l, GBuildingNode* lot) { return l.restoreBuilding(lot); };
    auto buy = [](GGameLevelScene& l, GBuildingNode* lot) { return l.buyBuilding(lot); };
    const Case cases[] = {
        {"build", "BuildingPlace", true, 0, 0, build, true, 4700, 80, 8, 1},
        {"build not owned", "BuildingPlace", false, 0, 0, build, false, 5000, 100, 10, 0},
        {"build over a building", "Inn1", true, 0, 0, build, false, 5000, 100, 10, 0},
        {"build while demolished", "BuildingPlace", true, 0, BuildingProcessDemolition, build,
         false, 5000, 100, 10, 2},
        {"upgrade", "Inn1", true, 0, 0, upgrade, true, 4400, 70, 7, 1},
        {"upgrade without a next level", "Inn2", true, 0, 0, upgrade, false, 5000, 100, 10, 0},
        {"upgrade a broken lot", "Inn1", true, BuildingProblemBroken, 0, upgrade, false, 5000,
         100, 10, 0},
        {"destroy", "Inn1", true, 0, 0, destroy, true, 5000, 100, 9, 2},
        {"destroy a place", "BuildingPlace", true, 0, 0, destroy, false, 5000, 100, 10, 0},
        {"destroy while rebuilt", "Inn1", true, 0, BuildingProcessConstruction, destroy, false,
         5000, 100, 10, 1},
        {"repair", "Inn1", true, BuildingProblemBroken, 0, repair, true, 5000, 95, 9, 3},
        {"repair a sound lot", "Inn1", true, 0, 0, repair, false, 5000, 100, 10, 0},
        {"repair in maintenance", "Inn1", true, BuildingProblemBroken, BuildingProcessMaintenance,
         repair, false, 5000, 100, 10, 3},
        {"clean", "Lawn", true, BuildingProblemDirty, 0, clean, true, 5000, 97, 9, 3},
        {"restore", "Pool", true, BuildingProblemRuin, 0, restore, true, 5000, 60, 6, 3},
        {"buy a ruin", "Pool", false, 0, 0, buy, true, 2500, 100, 10, 0},
        {"buy an owned lot", "Inn1", true, 0, 0, buy, false, 5000, 100, 10, 0},
    };
    for (const Case& c : cases) {
        LevelWorld world;
        addOperationTypes(world);
        world.configuration->InitMoney = 5000.0f;
        world.configuration->InitMaterialsCount = 100.0f;
        world.configuration->InitWorkersCount = 10;
        ASSERT_TRUE(world.loadLevel(LotWorld::lot("L", c.type, 200, 200, c.owned)));
        world.start();
        GBuildingNode* lot = world.lotNamed("L");
        lot->setProblemState(c.problem);
        if (c.runningKind) lot->setProcess(c.runningKind, nullptr);
        world.level->recalculateEconomy();
        const size_t history = world.level->getHistory().size();
        EXPECT_EQ(c.operation(*world.level, lot), c.done) << c.name;
        EXPECT_EQ(world.level->Money, c.money) << c.name;
        EXPECT_EQ(world.level->Materials, c.materials) << c.name;
        EXPECT_EQ(world.level->Workers, c.workers) << c.name;
        EXPECT_EQ(lot->getProcessKind(), c.kind) << c.name;
        const bool bought = c.done && std::string(c.name).rfind("buy", 0) == 0;
        EXPECT_EQ(world.level->getHistory().size(), history + (bought ? 1u : 0u)) << c.name;
        if (bought) {
            EXPECT_TRUE(lot->isOwnedByThePlayer()) << c.name;
            EXPECT_EQ(lot->getProblemState(), BuildingProblemRuin) << c.name;  // to restore
            EXPECT_EQ(world.level->getHistory().back().action, LevelHistoryBought);
        }
        if (c.runningKind) lot->setProcess(BuildingProcessNone, nullptr);
    }
}

TEST(LevelOperations, DemolitionWithoutAPlaceTypeIsRefusedAndLogged) {
    LevelWorld world;  // the lots' catalogue alone: no "BuildingPlace"
    world.configuration->InitWorkersCount = 5;
    ASSERT_TRUE(world.loadLevel(LotWorld::lot("H", "Hotel1", 100, 100, true)));
    world.start();
    oskel::test::LogCapture logs;
    GBuildingNode* hotel = world.lotNamed("H");
    EXPECT_FALSE(world.level->destroyBuilding(hotel));
    EXPECT_EQ(hotel->getCurrentType()->Name, CNameId("Hotel1"));
    EXPECT_EQ(hotel->getProcessKind(), BuildingProcessNone);
    EXPECT_EQ(world.level->Workers, 5);
    bool logged = false;
    for (const auto& line : logs.lines())
        logged = logged || (line.level == LogError &&
                            line.text.find("BuildingPlace") != std::string::npos);
    EXPECT_TRUE(logged);
}

TEST_F(LevelOperationsTest, TheProcessEventsRecordTheHistoryAndClearTheLot) {
    startWith(LotWorld::lot("A", "Inn1", 100, 100, true));
    GBuildingNode* lot = w.lotNamed("A");
    lot->setProcess(BuildingProcessConstruction, nullptr);
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingBuilt>(lot, lot->getCurrentType()).get()));
    EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone);
    EXPECT_EQ(lot->getMsSinceMaintenance(), 0);
    EXPECT_EQ(w.cues().back(), "Bus");  // the type's built cue
    lot->setProcess(BuildingProcessMaintenance, nullptr);
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingRepaired>(lot).get()));
    EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone);
    lot->setProcess(BuildingProcessMaintenance, nullptr);
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingCleaned>(lot).get()));
    for (s32 index : {0, 1, 2, 5})
        EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingFeatureUsed>(lot, index).get()));
    EXPECT_EQ(actionsOf(*w.level),
              (std::vector<s32>{LevelHistoryBuilt, LevelHistoryRepaired, LevelHistoryCleaned,
                                LevelHistoryFeatureUsed, LevelHistoryFeature1Used,
                                LevelHistoryFeature2Used, LevelHistoryFeatureUsed}));
    EXPECT_EQ(w.level->getHistory()[0].buildingType, CNameId("Inn1").getId());
    EXPECT_EQ(w.level->getHistory()[0].lotName, CNameId("A").getId());

    // Money from a boosted feature and resources an aborted action gives back.
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingIncome>(lot, 250.0f).get()));
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventResourcesReturned>(lot, 7.0f, 2).get()));
    EXPECT_EQ(w.level->Money, 5250.0f);
    EXPECT_EQ(w.level->Materials, 107.0f);
    EXPECT_EQ(w.level->Workers, 12);
}

TEST_F(LevelOperationsTest, TheEndOfAServiceClearsOnlyATimedService) {
    startWith(LotWorld::lot("A", "Inn1", 100, 100, true));
    GBuildingNode* lot = w.lotNamed("A");
    lot->setProcess(BuildingProcessTimedService, nullptr);
    w.level->onEvent(makeEvent<GEventBuildingProcessEnded>(lot).get());
    EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone);
    // A recharge that ends while another action runs leaves that action alone.
    for (s32 kind : {BuildingProcessConstruction, BuildingProcessDemolition,
                     BuildingProcessMaintenance, BuildingProcessFeature}) {
        lot->setProcess(kind, nullptr);
        w.level->onEvent(makeEvent<GEventBuildingProcessEnded>(lot).get());
        EXPECT_EQ(lot->getProcessKind(), kind);
    }
    lot->setProcess(BuildingProcessNone, nullptr);
}

TEST_F(LevelOperationsTest, DemolitionFreesTheLotsItServed) {
    // Two cafes serve the hotel; demolishing its server hands it to the other one.
    startWith(LotWorld::lot("C1", "Cafe", 100, 100, true) +
              LotWorld::lot("H", "Hotel1", 200, 150, true) +
              LotWorld::lot("C2", "Cafe", 300, 100, true));
    GBuildingNode* c1 = w.lotNamed("C1");
    GBuildingNode* c2 = w.lotNamed("C2");
    GBuildingNode* hotel = w.lotNamed("H");
    const s32 cafe = CNameId("Cafe").getId();
    hotel->setServingBuilding(cafe, c1);
    ASSERT_TRUE(w.level->destroyBuilding(c1));
    EXPECT_EQ(c1->getCurrentType()->Name, CNameId("BuildingPlace"));
    EXPECT_EQ(c1->getProcessKind(), BuildingProcessDemolition);
    EXPECT_EQ(hotel->getServingBuilding(cafe), c2);
    // Counted as the type it was while it is pulled down.
    EXPECT_EQ(w.level->countBuildingsOfType(cafe), 2);
    EXPECT_FALSE(w.level->onEvent(makeEvent<GEventBuildingDestroyed>(c1).get()));
    EXPECT_EQ(w.level->getHistory().back().action, LevelHistoryDemolished);
    EXPECT_EQ(w.level->getHistory().back().buildingType, cafe);
    EXPECT_EQ(w.level->countBuildingsOfType(cafe), 1);
}

TEST_F(LevelOperationsTest, CustomServiceNeedsAnIdleProvider) {
    startWith(LotWorld::lot("W", "Laundry", 100, 100, true) +
              LotWorld::lot("H", "Inn1", 400, 100, true) +
              LotWorld::lot("I", "Inn1", 400, 400, true));
    GBuildingNode* laundry = w.lotNamed("W");
    GBuildingNode* inn = w.lotNamed("H");
    GBuildingNode* other = w.lotNamed("I");
    inn->setProblemState(BuildingProblemServiceB);
    other->setProblemState(BuildingProblemServiceB);
    w.level->recalculateEconomy();
    ASSERT_TRUE(w.level->customServeBuilding(inn));
    EXPECT_EQ(laundry->getProcessKind(), BuildingProcessTimedService);
    EXPECT_EQ(inn->getProcessKind(), BuildingProcessMaintenance);
    EXPECT_EQ(inn->getProblemState(), BuildingProblemNone);
    EXPECT_TRUE(w.level->getIdleServices().empty() ||
                w.level->getIdleServices()[0] != BuildingProblemServiceB);
    // The provider is busy: the second lot waits.
    EXPECT_FALSE(w.level->customServeBuilding(other));
    EXPECT_EQ(other->getProblemState(), BuildingProblemServiceB);
    // A service no lot provides any more is let off once the lists no longer name it.
    ASSERT_TRUE(w.level->destroyBuilding(laundry));
    EXPECT_EQ(laundry->getProcessKind(), BuildingProcessDemolition);
    EXPECT_TRUE(w.level->getProvidedServices().empty());
    w.level->clearOrphanServiceRequests();
    EXPECT_EQ(other->getProblemState(), BuildingProblemNone);
    // The timed service's end leaves the demolition alone.
    w.level->onEvent(makeEvent<GEventBuildingProcessEnded>(laundry).get());
    EXPECT_EQ(laundry->getProcessKind(), BuildingProcessDemolition);
}

TEST_F(LevelOperationsTest, AFeatureNeedsItsUpgrade) {
    startWith(LotWorld::lot("R", "REAgency", 100, 100, true) +
              LotWorld::lot("P", "Pool", 400, 100, true));
    // Locked without the bought upgrades: nothing starts, nothing is paid.
    for (const char* name : {"R", "P"}) {
        GBuildingNode* lot = w.lotNamed(name);
        EXPECT_FALSE(w.level->activateFeature(lot, 0)) << name;
        EXPECT_EQ(lot->getFeatureState(0), GBuildingFeatureState::Ready) << name;
        EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone) << name;
    }
    EXPECT_FALSE(w.level->activateFeature(w.lotNamed("R"), 7));
    EXPECT_EQ(w.level->Money, 5000.0f);
}

TEST_F(LevelOperationsTest, AnOfferPaysItsShownAmount) {
    startWith(LotWorld::lot("S", "Inn1", 100, 100, true));
    GBuildingNode* lot = w.lotNamed("S");
    w.configuration->Factors.OwnedBuildingPriceBonus = 10.0f;
    lot->setForSale(true);
    lot->showBuyOffer(true);
    const s32 amount = lot->getOfferAmount();
    ASSERT_GT(amount, 0);
    ASSERT_TRUE(w.level->acceptSellOffer(lot));
    EXPECT_EQ(w.level->Money, 5000.0f + static_cast<f32>(amount));
    EXPECT_FALSE(lot->isOwnedByThePlayer());
    EXPECT_FALSE(lot->isForSale());
    EXPECT_EQ(w.level->getHistory().back().action, LevelHistorySold);
    EXPECT_EQ(w.cues().back(), "Sold");
    // No offer, no sale.
    EXPECT_FALSE(w.level->acceptSellOffer(lot));
}

TEST_F(LevelOperationsTest, ALetterIsDrawnSeededAndAPressCollectsIt) {
    w.type("Hotel1")->Income = 1000.0f;
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true) +
              LotWorld::lot("G", "Garden", 400, 100, true));
    w.configuration->Factors.CanReceiveMoneyLetters = true;
    GBuildingNode* hotel = w.lotNamed("H");
    ASSERT_EQ(hotel->getIncome(), 1000.0f);
    auto request = makeEvent<GEventLetterRequest>(GEventLetterRequest::Range{50.0f, 50.0f},
                                                  GEventLetterRequest::Range{3000.0f, 4000.0f});
    CRandom::instance().seed(77);
    u32 z = 0, ww = 0;
    CRandom::instance().getLowGeneratorState(z, ww);
    EXPECT_TRUE(w.level->onEvent(request.get()));
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    const GMoneyLetter letter = w.level->getLetters()[0];
    EXPECT_EQ(letter.amount, 50100);
    EXPECT_EQ(letter.lot, hotel);
    EXPECT_GE(letter.waitTime, 3000);
    EXPECT_LE(letter.waitTime, 4000);
    EXPECT_EQ(w.cues().back(), "MoneyLetter");
    EXPECT_EQ(LotWorld::runningState(letter.node.get()), "Appear");
    // One letter per lot at a time; the garden is no lodging.
    EXPECT_TRUE(w.level->onEvent(request.get()));
    EXPECT_EQ(w.level->getLetters().size(), 1u);

    // The press collects without selecting.
    const f32 money = w.level->Money;
    EXPECT_TRUE(w.level->onEvent(makeEvent<CEventNodePressed>(hotel).get()));
    EXPECT_EQ(w.level->Money, money + 50100.0f);
    EXPECT_TRUE(w.level->getLetters().empty());
    EXPECT_EQ(w.level->getSelectedBuilding(), nullptr);
    EXPECT_EQ(w.cues().back(), "ObjFound");
    EXPECT_EQ(LotWorld::runningState(letter.node.get()), "DisappearHit");
    EXPECT_EQ(w.events.count(GameEventBuildingSelected), 0u);
    // A lot whose letter just went waits before the next one.
    EXPECT_TRUE(w.level->onEvent(request.get()));
    EXPECT_TRUE(w.level->getLetters().empty());
    // The same seed draws the same letter again (the recalculation at the collection rebuilt
    // the factors: the letters are switched on again).
    w.configuration->Factors.CanReceiveMoneyLetters = true;
    hotel->setMsSinceMoneyLetter(5000);
    CRandom::instance().seed(77);
    CRandom::instance().setLowGeneratorState(z, ww);
    EXPECT_TRUE(w.level->onEvent(request.get()));
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    EXPECT_EQ(w.level->getLetters()[0].amount, letter.amount);
    EXPECT_EQ(w.level->getLetters()[0].waitTime, letter.waitTime);
    EXPECT_TRUE(w.level->onEvent(makeEvent<CEventNodePressed>(hotel).get()));

    // A second press selects; a press on the ground drops the selection.
    EXPECT_TRUE(w.level->onEvent(makeEvent<CEventNodePressed>(hotel).get()));
    EXPECT_EQ(w.level->getSelectedBuilding(), hotel);
    EXPECT_EQ(w.events.count(GameEventBuildingSelected), 1u);
    EXPECT_FALSE(w.level->onEvent(makeEvent<CEventNodePressed>(w.level.get()).get()));
    EXPECT_EQ(w.level->getSelectedBuilding(), nullptr);
    EXPECT_EQ(w.level->getPreviousSelectedBuilding(), hotel);
    EXPECT_EQ(w.events.count(GameEventBuildingSelected), 2u);
}

TEST_F(LevelOperationsTest, RequestsMatchTheirListsAndDrawAmongTheCandidates) {
    startWith(LotWorld::lot("A", "Hotel1", 100, 100, false) +
              LotWorld::lot("B", "Hotel1", 300, 100, false) +
              LotWorld::lot("C", "Cafe", 500, 100, false) +
              LotWorld::lot("D", "Hotel1", 100, 400, true));
    auto sell = makeEvent<GEventSellRequest>();
    sell->BuildingTypes.push_back(CNameId("Hotel1"));
    // Candidates A and B (D is owned, C of another type): the seeded draw picks.
    CRandom::instance().seed(5);
    const u32 pick = CRandom::instance().next() % 2;
    CRandom::instance().seed(5);
    EXPECT_TRUE(w.level->onEvent(sell.get()));
    EXPECT_EQ(w.lotNamed(pick == 0 ? "A" : "B")->isForSale(), true);
    EXPECT_EQ(w.lotNamed(pick == 0 ? "B" : "A")->isForSale(), false);
    EXPECT_FALSE(w.lotNamed("C")->isForSale());
    // By place name only.
    auto byPlace = makeEvent<GEventSellRequest>();
    byPlace->PlaceNames.push_back(CNameId("C"));
    w.level->onEvent(byPlace.get());
    EXPECT_TRUE(w.lotNamed("C")->isForSale());
    // Nothing left to match: taken all the same.
    auto none = makeEvent<GEventSellRequest>();
    none->PlaceNames.push_back(CNameId("Z"));
    EXPECT_TRUE(w.level->onEvent(none.get()));
    EXPECT_TRUE(w.level->onEvent(makeEvent<GEventCafeRequest>().get()));
}

TEST_F(LevelOperationsTest, BreakdownsAndDirtWaitForTheMaintenanceGrace) {
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true) +
              LotWorld::lot("G", "Garden", 400, 100, true));
    GBuildingNode* hotel = w.lotNamed("H");
    GBuildingNode* garden = w.lotNamed("G");
    hotel->setMsSinceMaintenance(9999);
    garden->setMsSinceMaintenance(9999);
    w.level->onEvent(makeEvent<GEventBrokenRequest>().get());
    w.level->onEvent(makeEvent<GEventDirtyRequest>().get());
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemNone);
    EXPECT_EQ(garden->getProblemState(), BuildingProblemNone);
    hotel->setMsSinceMaintenance(10000);
    garden->setMsSinceMaintenance(10000);
    w.level->onEvent(makeEvent<GEventBrokenRequest>().get());
    EXPECT_EQ(w.cues().back(), "Broken");
    w.level->onEvent(makeEvent<GEventDirtyRequest>().get());
    EXPECT_EQ(w.cues().back(), "Dirty");
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemBroken);
    EXPECT_EQ(garden->getProblemState(), BuildingProblemDirty);
    EXPECT_EQ(w.level->Income, 0.0f);  // the broken hotel earns nothing
}

TEST_F(LevelOperationsTest, AParentSeesTheLotEventsButNeverTheRequests) {
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    GBuildingNode* hotel = w.lotNamed("H");
    w.events.ids.clear();
    // As the processes and lots send them: the level first, then its parents.
    auto post = [&](CEvent* e) {
        if (!w.level->onEvent(e)) w.level->routeToParent(DispatchSelfThenParents, e);
    };
    post(makeEvent<GEventBuildingBuilt>(hotel, hotel->getCurrentType()).get());
    post(makeEvent<GEventBuildingIncome>(hotel, 10.0f).get());
    post(makeEvent<GEventResourcesReturned>(hotel, 1.0f, 1).get());
    post(makeEvent<GEventSellRequest>().get());
    post(makeEvent<GEventBrokenRequest>().get());
    post(makeEvent<GEventDirtyRequest>().get());
    post(makeEvent<GEventCafeRequest>().get());
    post(makeEvent<GEventLetterRequest>(GEventLetterRequest::Range{1.0f, 1.0f},
                                        GEventLetterRequest::Range{1.0f, 1.0f})
             .get());
    post(makeEvent<GEventWeatherRequest>(1, 1).get());
    post(makeEvent<GEventTutorialFlag>(0).get());
    post(makeEvent<GEventHasBuildingQuery>(array<CNameId>()).get());
    EXPECT_EQ(w.events.count(GameEventBuildingBuilt), 1u);
    EXPECT_EQ(w.events.count(GameEventBuildingIncome), 1u);
    EXPECT_EQ(w.events.count(GameEventResourcesReturned), 1u);
    for (u32 id = GameEventSellRequest; id <= GameEventWeatherRequest; ++id)
        EXPECT_EQ(w.events.count(id), 0u) << id;
}
