// The level's running: its step (deliveries, the day's end, letters, weather), the economy
// recalculation, the completion check, pause, entering and leaving, and the teardown.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/level/GCloudShadowEffect.h"
#include "game/level/GConstructionProcess.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GRandomEventRequest.h"
#include "tests/game/level/LevelWorld.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

class LevelRunTest : public ::testing::Test {
protected:
    LevelWorld w;

    // One owned lot per type given, at its own place, then the level started.
    void startWith(const std::string& lots) {
        ASSERT_TRUE(w.loadLevel(lots));
        w.start();
    }
};

// The step on which a 5000 ms delivery lands, at the delivery speed given (0: never within
// the steps tried).
u32 deliveryStep(LevelWorld& w, f32 speed, bool workers, u32 limit) {
    auto offer = makeRef<GLevelOffer>(25.0f, 100.0f, 5000.0f);
    const bool bought = workers ? w.level->trainWorkers(offer.get())
                                : w.level->buyMaterials(offer.get());
    if (!bought) return 0;
    w.configuration->Factors.MaterialDeliveryTimeM = speed;
    w.configuration->Factors.WorkerDeliveryTimeM = speed;
    for (u32 step = 1; step <= limit; ++step) {
        w.steps(1);
        const bool running = workers ? w.level->isWorkersDeliveryInProgress()
                                     : w.level->isMaterialsDeliveryInProgress();
        if (!running) return step;
    }
    return 0;
}

}  // namespace

TEST(LevelRun, DeliveriesLandOnTheStepTheirSpeedGives) {
    struct Case {
        f32 speed;
        u32 step;
    };
    for (const Case& c : {Case{1.0f, 251}, Case{2.0f, 126}, Case{0.0f, 0}}) {
        for (bool workers : {false, true}) {
            LevelWorld world;
            world.configuration->DayLength = 100000;
            world.configuration->InitWorkersCount = 2;
            ASSERT_TRUE(world.loadLevel(LotWorld::lot("A", "Empty", 100, 100, true)));
            world.start();
            EXPECT_EQ(deliveryStep(world, c.speed, workers, 1000), c.step)
                << c.speed << (workers ? " workers" : " materials");
            if (c.step == 0) {
                EXPECT_EQ(world.level->Materials, 0.0f);
                EXPECT_EQ(world.level->WorkersTotal, 2);
                continue;
            }
            if (workers) {
                EXPECT_EQ(world.level->Workers, 27);
                EXPECT_EQ(world.level->WorkersTotal, 27);
                EXPECT_EQ(world.cues().back(), "WorkersTrained");
            } else {
                EXPECT_EQ(world.level->Materials, 25.0f);
                EXPECT_EQ(world.cues().back(), "MaterialsDelivered");
            }
            EXPECT_EQ(world.level->Money, 900.0f);
        }
    }
}

TEST_F(LevelRunTest, ASecondPurchaseWaitsForTheRunningDelivery) {
    startWith(LotWorld::lot("A", "Empty", 100, 100, true));
    auto first = makeRef<GLevelOffer>(20.0f, 100.0f, 5000.0f);
    auto second = makeRef<GLevelOffer>(50.0f, 200.0f, 8000.0f);
    ASSERT_TRUE(w.level->buyMaterials(first.get()));
    // The first amount is not lost and the second one is not paid.
    EXPECT_FALSE(w.level->buyMaterials(second.get()));
    EXPECT_EQ(w.level->MaterialsOrdered, 20.0f);
    EXPECT_EQ(w.level->MaterialsDeliveryTotal, 5000.0f);
    EXPECT_EQ(w.level->Money, 900.0f);
    ASSERT_TRUE(w.level->trainWorkers(first.get()));
    EXPECT_FALSE(w.level->trainWorkers(second.get()));
    EXPECT_EQ(w.level->WorkersOrdered, 20);
    EXPECT_EQ(w.level->Money, 800.0f);
    w.steps(251);
    EXPECT_EQ(w.level->Materials, 20.0f);
    // Once landed, the next order goes through.
    EXPECT_TRUE(w.level->buyMaterials(second.get()));
    EXPECT_EQ(w.level->Money, 600.0f);
    // Too dear, or without an offer: refused, nothing taken.
    EXPECT_FALSE(w.level->trainWorkers(nullptr));
    auto dear = makeRef<GLevelOffer>(1.0f, 5000.0f, 10.0f);
    EXPECT_FALSE(w.level->trainWorkers(dear.get()));
    EXPECT_EQ(w.level->Money, 600.0f);
}

TEST(LevelRun, TheDayEndsOnTheStepItsTimerReachesTheLength) {
    for (bool earning : {true, false}) {
        LevelWorld world;
        world.configuration->DayLength = 1;
        world.objectives("<Objective Type=\"Money\" Value=\"1000000000\"/>");
        ASSERT_TRUE(world.loadLevel(
            LotWorld::lot("A", earning ? "Hotel1" : "Empty", 100, 100, true)));
        world.start();
        world.level->recalculateEconomy();
        const f32 income = world.level->Income;
        EXPECT_EQ(income, earning ? world.level->getBuildings()[0]->getIncome() : 0.0f);
        // The day timer is a float sum of 0.02 s per step.
        u32 expected = 0;
        for (f32 t = 0.0f; t < 1.0f; t += 0.02f) ++expected;
        const f32 money = world.level->Money;
        const size_t cuesBefore = world.cues().size();
        world.steps(expected - 1);
        EXPECT_EQ(world.events.count(GameEventDayEnded), 0u);
        world.steps(1);
        EXPECT_EQ(world.events.count(GameEventDayEnded), 1u);
        EXPECT_EQ(world.level->DayTime, 0.0f);  // the excess is dropped
        EXPECT_EQ(world.level->Money, money + income);
        const std::vector<std::string> cues = world.cues();
        const bool incomeCue =
            cues.size() > cuesBefore && cues.back() == std::string("Income");
        EXPECT_EQ(incomeCue, earning);
        // The change is told after the day's end.
        ASSERT_FALSE(world.events.ids.empty());
        EXPECT_EQ(world.events.ids.back(), GameEventLevelChanged);
    }
}

TEST_F(LevelRunTest, RecalculationCountsWorkingBrokenOnSaleAndUnownedLots) {
    w.configuration->InitRating = 50.0f;
    startWith(LotWorld::lot("Work", "Hotel1", 100, 100, true) +
              LotWorld::lot("Broke", "Hotel3", 400, 100, true) +
              LotWorld::lot("Sale", "Hotel1", 100, 400, true) +
              LotWorld::lot("Theirs", "Hotel3", 400, 400, false));
    GBuildingNode* work = w.lotNamed("Work");
    GBuildingNode* broke = w.lotNamed("Broke");
    w.lotNamed("Sale")->setForSale(true);
    broke->setProblemState(BuildingProblemBroken);
    w.level->Rating = 80.0f;
    w.level->recalculateEconomy();
    EXPECT_EQ(w.level->Income, work->getIncome());
    EXPECT_EQ(w.level->Guests, 10);
    EXPECT_EQ(w.level->TotalIncome, work->getIncome() + broke->getIncome(broke->getCurrentType()));
    EXPECT_EQ(w.level->TotalGuests, 30);
    EXPECT_EQ(w.level->Rating, 80.0f);  // never below an earlier value
    w.level->Rating = 10.0f;
    w.level->recalculateEconomy();
    EXPECT_EQ(w.level->Rating, 50.0f);  // nor below the start
    EXPECT_EQ(broke->getProblemState(), BuildingProblemBroken);
}

TEST_F(LevelRunTest, WithoutBreakdownsBrokenLotsAreRepairedAtTheRecalculation) {
    w.type("Garden")->LevelModifiers = LevelWorld::modifiers({{L"CanBuildingsBroke", 0.0f}});
    startWith(LotWorld::lot("G", "Garden", 100, 100, true) +
              LotWorld::lot("H", "Hotel1", 400, 100, true));
    GBuildingNode* hotel = w.lotNamed("H");
    hotel->setProblemState(BuildingProblemBroken);
    w.level->recalculateEconomy();
    EXPECT_FALSE(w.configuration->Factors.CanBuildingsBroke);
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemNone);
    // A broken request is taken and breaks nothing.
    hotel->setMsSinceMaintenance(60000);
    EXPECT_TRUE(w.level->onEvent(makeEvent<GEventBrokenRequest>().get()));
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemNone);
}

TEST_F(LevelRunTest, ServiceListsNameOwnedProvidersAndTheIdleOnes) {
    w.type("Shop")->ProvidedService = BuildingProblemServiceA;
    w.type("Cafe")->ProvidedService = BuildingProblemServiceB;
    startWith(LotWorld::lot("S", "Shop", 100, 100, true) +
              LotWorld::lot("C", "Cafe", 400, 100, true) +
              LotWorld::lot("X", "Shop", 100, 400, false) +
              LotWorld::lot("H", "Hotel1", 400, 400, true));
    w.lotNamed("C")->setForSale(true);  // on sale still counts
    w.lotNamed("S")->setProcess(BuildingProcessTimedService, nullptr);
    w.level->recalculateEconomy();
    EXPECT_EQ(w.level->getProvidedServices(),
              (std::vector<s32>{BuildingProblemServiceA, BuildingProblemServiceB}));
    EXPECT_EQ(w.level->getIdleServices(),
              (std::vector<s32>{BuildingProblemServiceB, BuildingNoService}));
    EXPECT_EQ(w.level->findIdleServiceProvider(BuildingProblemServiceA), nullptr);
    EXPECT_EQ(w.level->findIdleServiceProvider(BuildingProblemServiceB), w.lotNamed("C"));
}

TEST(LevelRun, CompletionFollowsTheObjectivesAndTheBlockingLots) {
    struct Case {
        const char* name;
        const char* objectives;
        s32 hotelProblem;   // of the owned lodging
        s32 gardenProblem;  // of the owned decoration
        bool completed;
        const char* hint;
    };
    const Case cases[] = {
        {"none", "", 0, 0, true, ""},
        {"one open", "<Objective Type=\"Money\" Value=\"5000\"/>", 0, 0, false,
         "%GamePlay_CompleteHintMoney%"},
        {"two open",
         "<Objective Type=\"Money\" Value=\"5000\"/><Objective Type=\"Workers\" Value=\"9\"/>", 0,
         0, false, ""},
        {"met", "<Objective Type=\"Money\" Value=\"500\"/>", 0, 0, true, ""},
        {"both marks", "", BuildingProblemBroken, BuildingProblemDirty, true,
         "%GamePlay_CompleteBlocked1Hint%"},
        {"breakdown", "", BuildingProblemBroken, 0, true, "%GamePlay_CompleteBlocked2Hint%"},
        {"dirt", "", 0, BuildingProblemDirty, true, "%GamePlay_CompleteBlocked3Hint%"},
    };
    for (const Case& c : cases) {
        LevelWorld world;
        world.objectives(c.objectives);
        ASSERT_TRUE(world.loadLevel(LotWorld::lot("H", "Hotel1", 100, 100, true) +
                                    LotWorld::lot("G", "Garden", 400, 100, true)));
        world.start();
        world.lotNamed("H")->setProblemState(c.hotelProblem);
        world.lotNamed("G")->setProblemState(c.gardenProblem);
        world.level->recalculateEconomy();
        EXPECT_EQ(world.level->Completed, c.completed) << c.name;
        EXPECT_EQ(std::string(world.level->CompletionHint.c_str()), c.hint) << c.name;
        const bool ends = c.completed && std::string(c.hint).empty();
        EXPECT_EQ(world.events.count(GameEventLevelCompleted), ends ? 1u : 0u) << c.name;
        EXPECT_EQ(world.level->isReadyToComplete(), ends) << c.name;
        // The end is told once; afterwards the step stands still.
        world.level->recalculateEconomy();
        EXPECT_EQ(world.events.count(GameEventLevelCompleted), ends ? 1u : 0u) << c.name;
        const f32 time = world.level->LevelTimeMs;
        world.steps(3);
        EXPECT_EQ(world.level->LevelTimeMs, ends ? time : time + 60.0f) << c.name;
    }
}

TEST_F(LevelRunTest, PauseFreezesLettersDeliveriesTheDayAndRequests) {
    w.configuration->DayLength = 1;
    w.objectives("<Objective Type=\"Money\" Value=\"1000000\"/>");
    {
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(
            "<RandomEvents><Event Type=\"RegularCafeBuildingRequest\" PeriodRange=\"100;100\"/>"
            "</RandomEvents>");
        reader->read();
        static_cast<void>(w.configuration->RandomEvents->read(reader.get()));
    }
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    w.enter();
    w.configuration->Factors.CanReceiveMoneyLetters = true;
    auto request = makeEvent<GEventLetterRequest>(GEventLetterRequest::Range{50.0f, 50.0f},
                                                  GEventLetterRequest::Range{1000.0f, 1000.0f});
    w.level->onEvent(request.get());
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    auto offer = makeRef<GLevelOffer>(5.0f, 10.0f, 5000.0f);
    ASSERT_TRUE(w.level->buyMaterials(offer.get()));
    const f32 remaining = w.level->MaterialsDeliveryRemaining;
    GRandomEventRequest* cafe = w.configuration->RandomEvents->get(0);
    const s32 wait = cafe->getWait();

    w.level->setPaused(true);
    EXPECT_TRUE(cafe->isPaused());
    for (int i = 0; i < 100; ++i) w.step(20);  // the clock moves, the level does not
    EXPECT_EQ(w.level->getLetters()[0].elapsed, 0);
    EXPECT_EQ(w.level->MaterialsDeliveryRemaining, remaining);
    EXPECT_EQ(w.level->DayTime, 0.0f);
    EXPECT_EQ(w.events.count(GameEventDayEnded), 0u);
    EXPECT_EQ(cafe->getWait(), wait);
    EXPECT_EQ(w.level->LevelTimeMs, 0.0f);

    // The tutorial's flag pauses the same way and stops the level's own clock.
    w.level->setPaused(false);
    EXPECT_FALSE(cafe->isPaused());
    EXPECT_TRUE(w.level->onEvent(makeEvent<GEventTutorialFlag>(1).get()));
    EXPECT_TRUE(w.level->isPaused());
    EXPECT_TRUE(cafe->isPaused());
    EXPECT_TRUE(w.level->onEvent(makeEvent<GEventTutorialFlag>(0).get()));
    EXPECT_FALSE(w.level->isPaused());
    w.steps(1);
    EXPECT_EQ(w.level->getLetters()[0].elapsed, 20);
    EXPECT_EQ(w.level->LevelTimeMs, 20.0f);
}

TEST_F(LevelRunTest, ALetterAgesWhileItsLotWorksAndGoesAtItsWait) {
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    w.configuration->Factors.CanReceiveMoneyLetters = true;
    GBuildingNode* hotel = w.lotNamed("H");
    auto request = makeEvent<GEventLetterRequest>(GEventLetterRequest::Range{50.0f, 50.0f},
                                                  GEventLetterRequest::Range{100.0f, 100.0f});
    w.level->onEvent(request.get());
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    EXPECT_FALSE(hotel->getWantFocus());
    CRefPtr<BaseNode> letter = w.level->getLetters()[0].node;
    EXPECT_EQ(letter->getParent(), hotel);
    w.steps(4);
    EXPECT_EQ(w.level->getLetters().size(), 1u);
    w.steps(1);  // 100 ms: its wait is over
    EXPECT_TRUE(w.level->getLetters().empty());
    EXPECT_TRUE(hotel->getWantFocus());
    EXPECT_EQ(hotel->getMsSinceMoneyLetter(), 0);
    EXPECT_EQ(LotWorld::runningState(letter.get()), "Disappear");

    // A lot that stops working loses its letter at the next step.
    hotel->setMsSinceMoneyLetter(5000);
    w.level->onEvent(request.get());
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    hotel->setProblemState(BuildingProblemBroken);
    w.steps(1);
    EXPECT_TRUE(w.level->getLetters().empty());
}

TEST_F(LevelRunTest, EnteringTwiceMakesOneCloudEffectAndKeepsTheRequestsAsTheyRun) {
    {
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(
            "<RandomEvents><Event Type=\"OneTimeCafeBuildingRequest\" TimeRange=\"1000;1000\"/>"
            "<Event Type=\"RegularCafeBuildingRequest\" PeriodRange=\"3000;3000\"/>"
            "</RandomEvents>");
        reader->read();
        static_cast<void>(w.configuration->RandomEvents->read(reader.get()));
    }
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    w.enter();
    auto clouds = [&] {
        size_t n = 0;
        for (const auto& p : w.level->getProcesses())
            n += dynamic_cast<GCloudShadowEffect*>(p.get()) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(clouds(), 1u);
    GRandomEventRequest* once = w.configuration->RandomEvents->get(0);
    GRandomEventRequest* regular = w.configuration->RandomEvents->get(1);
    EXPECT_EQ(w.level->getUpdateSource(), w.level->getSceneBinding().scheduler);
    ASSERT_TRUE(w.level->getUpdateSource());
    for (int i = 0; i < 60; ++i) w.step(20);  // the one-time request fires and ends
    EXPECT_FALSE(once->isRunning());
    const s32 wait = regular->getWait();
    EXPECT_LT(wait, 3000);
    w.leave();
    EXPECT_EQ(w.level->getUpdateSource(), nullptr);
    w.enter();
    EXPECT_EQ(clouds(), 1u);
    EXPECT_FALSE(once->isRunning());     // not re-armed
    EXPECT_EQ(regular->getWait(), wait);  // not drawn again
    EXPECT_TRUE(regular->getUpdateSource());
}

TEST_F(LevelRunTest, TheWeatherNodeIsMadeOnceAndRunsItsTime) {
    w.configuration->SettingIndex = 4;
    w.objectives("<Objective Type=\"Money\" Value=\"1000000000\"/>");
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    w.enter();
    auto* weather = dynamic_cast<RecordingWeatherNode*>(w.level->getWeatherNode());
    ASSERT_TRUE(weather);
    EXPECT_EQ(weather->getParent(), w.level.get());
    EXPECT_EQ(weather->getPosition(), vector3df(0.0f, 0.0f, 5000.0f));
    EXPECT_EQ(weather->ConfigurationFilename, stringc("levels/common/Effects/Snow.xml"));
    EXPECT_FALSE(weather->Enabled);
    w.leave();
    w.enter();
    EXPECT_EQ(w.level->getWeatherNode(), weather);

    EXPECT_TRUE(w.level->onEvent(makeEvent<GEventWeatherRequest>(100, 100).get()));
    EXPECT_TRUE(weather->Enabled);
    EXPECT_EQ(w.level->getWeatherTime(), 100);
    for (const std::string& cue : w.cues()) EXPECT_NE(cue, "Rain");  // snow falls quietly
    w.steps(4);
    EXPECT_TRUE(weather->Enabled);
    w.steps(1);
    EXPECT_FALSE(weather->Enabled);
}

TEST_F(LevelRunTest, RainPlaysItsCueOnceWhileItFalls) {
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true));
    w.enter();
    auto* weather = dynamic_cast<RecordingWeatherNode*>(w.level->getWeatherNode());
    ASSERT_TRUE(weather);
    EXPECT_EQ(weather->ConfigurationFilename, stringc("levels/common/Effects/Rain.xml"));
    w.level->onEvent(makeEvent<GEventWeatherRequest>(1000, 1000).get());
    w.level->onEvent(makeEvent<GEventWeatherRequest>(500, 500).get());
    EXPECT_EQ(w.level->getWeatherTime(), 1500);
    size_t rain = 0;
    for (const std::string& cue : w.cues()) rain += cue == "Rain" ? 1 : 0;
    EXPECT_EQ(rain, 1u);
}

TEST(LevelRun, WithoutAWeatherClassTheRequestDoesNothing) {
    LotWorld plain;  // no class of the weather's name
    ASSERT_TRUE(plain.loadLevel(LotWorld::lot("H", "Hotel1", 100, 100, true)));
    plain.level->setNodeFactory(&plain.factory);
    plain.start();
    plain.level->onEvent(
        makeEvent<CEventNodeSceneSwitchBegin>(nullptr, plain.level.get(), true).get());
    EXPECT_EQ(plain.level->getWeatherNode(), nullptr);
    EXPECT_TRUE(plain.level->onEvent(makeEvent<GEventWeatherRequest>(100, 100).get()));
    EXPECT_EQ(plain.level->getWeatherTime(), 0);
}

TEST_F(LevelRunTest, TeardownWithARunningConstructionLeavesNothingBehind) {
    w.configuration->InitMaterialsCount = 100.0f;
    w.configuration->InitWorkersCount = 5;
    startWith(LotWorld::lot("A", "Empty", 100, 100, true));
    GBuildingNode* lot = w.lotNamed("A");
    CRefPtr<GBuildingNode> kept(lot);
    ASSERT_TRUE(w.level->buildBuilding(lot, w.type("Hotel1")));
    ASSERT_EQ(lot->getProcessKind(), BuildingProcessConstruction);
    BaseNode* cargos = w.level->getCargosNode();
    CRefPtr<BaseNode> layer(cargos);
    EXPECT_GT(layer->getPostReceivers().size(), 0u);
    w.steps(3);
    // The scene goes; the lot and the layer stay alive elsewhere.
    w.screen->removeChild(w.level.get());
    // The screen's focus moves on, so that only the test holds the scene.
    ControlNode* other = addControl(w.screen.get(), "Other", 0, 0, nullptr);
    other->setFocused(true);
    w.step(20);
    ASSERT_EQ(w.level->getReferenceCount(), 1);
    w.level = nullptr;
    EXPECT_EQ(kept->getLevelScene(), nullptr);
    EXPECT_EQ(kept->getUpdateSource(), nullptr);
    EXPECT_EQ(kept->getProcess(), nullptr);
    EXPECT_EQ(kept->getPostReceivers().size(), 0u);
    EXPECT_EQ(layer->getPostReceivers().size(), 0u);
    for (int i = 0; i < 10; ++i) w.step(20);  // nothing reaches the gone scene
}

TEST_F(LevelRunTest, RatingLevelAndTheBuildingQuery) {
    w.configuration->InitRating = 120.0f;
    startWith(LotWorld::lot("H", "Hotel1", 100, 100, true) +
              LotWorld::lot("C", "Cafe", 400, 100, false));
    w.level->recalculateEconomy();
    EXPECT_EQ(w.level->Rating, 120.0f);
    EXPECT_EQ(w.level->getRatingLevel(), 2);
    array<CNameId> wanted;
    wanted.push_back(CNameId("Cafe"));
    auto query = makeEvent<GEventHasBuildingQuery>(wanted);
    EXPECT_TRUE(w.level->onEvent(query.get()));
    EXPECT_FALSE(query->Answer);  // not owned
    wanted.push_back(CNameId("Hotel1"));
    query = makeEvent<GEventHasBuildingQuery>(wanted);
    w.level->onEvent(query.get());
    EXPECT_TRUE(query->Answer);
    query = makeEvent<GEventHasBuildingQuery>(array<CNameId>());
    w.level->onEvent(query.get());
    EXPECT_FALSE(query->Answer);
}
