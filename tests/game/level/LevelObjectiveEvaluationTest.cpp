// The objectives measured against a running level: when each kind is met and the progress text
// it shows.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/StringUtils.h"
#include "game/level/GLevelConfiguration.h"
#include "tests/game/level/LevelWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

class ObjectiveEvaluationTest : public ::testing::Test {
protected:
    // The level with the lots and the one objective given.
    GLevelObjective* objective(const std::string& lots, const std::string& xml) {
        w.objectives(xml);
        if (!w.loadLevel(lots)) return nullptr;
        w.start();
        w.level->recalculateEconomy();
        return w.configuration->Objectives->size() == 1 ? w.configuration->Objectives->get(0)
                                                        : nullptr;
    }
    std::string progress(GLevelObjective* o) const {
        return toUtf8(o->getProgressText(*w.level, nullptr).c_str()).c_str();
    }
    LevelWorld w;
};

}  // namespace

TEST_F(ObjectiveEvaluationTest, WorkersCountEveryWorkerEverHad) {
    w.configuration->InitWorkersCount = 3;
    GLevelObjective* o = objective(LotWorld::lot("A", "Empty", 100, 100, true),
                                   "<Objective Type=\"Workers\" Value=\"5\"/>");
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "3/5");
    auto offer = makeRef<GLevelOffer>(2.0f, 10.0f, 100.0f);
    ASSERT_TRUE(w.level->trainWorkers(offer.get()));
    w.steps(6);
    EXPECT_EQ(w.level->WorkersTotal, 5);
    w.level->Workers = 0;  // all of them busy
    EXPECT_TRUE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "5/5");
}

TEST_F(ObjectiveEvaluationTest, IncomeAndMoneyCompareWithTheirOwnValue) {
    w.type("Hotel1")->Income = 1000.0f;
    GLevelObjective* o = objective(LotWorld::lot("H", "Hotel1", 100, 100, true),
                                   "<Objective Type=\"Income\" Value=\"1000\"/>");
    ASSERT_TRUE(o);
    w.level->Money = 0.0f;
    EXPECT_TRUE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "1,000/1,000");
    w.lotNamed("H")->setProblemState(BuildingProblemBroken);
    w.level->recalculateEconomy();
    EXPECT_FALSE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "0/1,000");

    GLevelObjectiveMoney money;
    money.Value = 1500.0f;
    w.level->Money = 1499.5f;
    EXPECT_FALSE(money.isCompleted(*w.level));
    EXPECT_EQ(toUtf8(money.getProgressText(*w.level, nullptr).c_str()), "1,500/1,500");
    w.level->Money = 1500.0f;
    EXPECT_TRUE(money.isCompleted(*w.level));
}

TEST_F(ObjectiveEvaluationTest, GuestsOfTheWorkingLots) {
    GLevelObjective* o = objective(LotWorld::lot("H", "Hotel1", 100, 100, true) +
                                       LotWorld::lot("J", "Hotel3", 400, 100, true),
                                   "<Objective Type=\"GuestsCount\" Value=\"30\"/>");
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->isCompleted(*w.level));
    w.lotNamed("J")->setForSale(true);
    w.level->recalculateEconomy();
    EXPECT_FALSE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "10/30");
}

TEST_F(ObjectiveEvaluationTest, EachTypeCountsUpToItsValue) {
    GLevelObjective* o = objective(
        LotWorld::lot("A", "Hotel1", 100, 100, true) + LotWorld::lot("B", "Hotel1", 300, 100) +
            LotWorld::lot("C", "Hotel1", 500, 100, true) + LotWorld::lot("D", "Cafe", 100, 400),
        "<Objective Type=\"HaveEachTypeBuildingsCount\" BuildingTypes=\"Hotel1;Cafe\" "
        "Value=\"2\"/>");
    ASSERT_TRUE(o);
    EXPECT_EQ(progress(o), "3/4");
    EXPECT_FALSE(o->isCompleted(*w.level));
    // With MustOwn only the healthy owned lots count.
    auto* each = static_cast<GLevelObjectiveHaveEachTypeBuildingsCount*>(o);
    each->MustOwn = true;
    EXPECT_EQ(progress(o), "2/4");
    // An empty list is met from the start.
    each->BuildingTypes.clear();
    EXPECT_TRUE(o->isCompleted(*w.level));
    EXPECT_EQ(progress(o), "0/0");
}

TEST_F(ObjectiveEvaluationTest, TypedCountWithAndWithoutOwnership) {
    GLevelObjective* o = objective(
        LotWorld::lot("A", "Hotel1", 100, 100, true) + LotWorld::lot("B", "Hotel1", 300, 100) +
            LotWorld::lot("C", "Empty", 500, 100, true),
        "<Objective Type=\"HaveTypedBuildingsCount\" Value=\"2\"/>");
    ASSERT_TRUE(o);
    // MustOwn absent: the lot of somebody else counts; the empty place never does.
    EXPECT_EQ(progress(o), "2/2");
    EXPECT_TRUE(o->isCompleted(*w.level));
    auto* typed = static_cast<GLevelObjectiveHaveTypedBuildingsCount*>(o);
    typed->MustOwn = true;
    EXPECT_EQ(progress(o), "1/2");
    typed->MustOwn = false;
    typed->PlaceNames.push_back(CNameId("B"));
    EXPECT_EQ(progress(o), "1/2");
    // A lot under construction counts as the type it had; one pulled down as none.
    typed->PlaceNames.clear();
    typed->BuildingTypes.push_back(CNameId("Hotel1"));
    w.lotNamed("A")->setProcess(BuildingProcessDemolition, nullptr);
    EXPECT_EQ(progress(o), "1/2");
    w.lotNamed("A")->setProcess(BuildingProcessNone, nullptr);
}

TEST_F(ObjectiveEvaluationTest, HistoryCountsEverySale) {
    GLevelObjective* o = objective(
        LotWorld::lot("S", "Hotel1", 100, 100, true),
        "<Objective Type=\"TypedHistoryActionsCount\" Action=\"3\" Value=\"2\" "
        "BuildingTypes=\"Hotel1\"/>");
    ASSERT_TRUE(o);
    GBuildingNode* lot = w.lotNamed("S");
    w.level->Money = 100000.0f;
    for (int sale = 0; sale < 2; ++sale) {
        EXPECT_FALSE(o->isCompleted(*w.level));
        lot->setForSale(true);
        lot->showBuyOffer(true);
        ASSERT_TRUE(w.level->acceptSellOffer(lot)) << sale;
        ASSERT_TRUE(w.level->buyBuilding(lot)) << sale;
    }
    EXPECT_EQ(progress(o), "2/2");
    EXPECT_TRUE(o->isCompleted(*w.level));
}

TEST_F(ObjectiveEvaluationTest, ConcurrentFeaturesLatchUntilReset) {
    GLevelObjective* o = objective(
        LotWorld::lot("C", "Cafe", 100, 100, true) + LotWorld::lot("R", "REAgency", 400, 100, true),
        "<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Cafe;REAgency;Shop\" "
        "FeatureIndices=\"0;1\"/>");
    ASSERT_TRUE(o);
    auto* concurrent = static_cast<GLevelObjectiveHaveConcurrentFeatures*>(o);
    ASSERT_EQ(concurrent->BuildingTypes.size(), 2u);  // the third type has no index
    EXPECT_EQ(progress(o), "0/2");
    w.lotNamed("C")->startFeature(0);
    EXPECT_EQ(progress(o), "1/2");
    EXPECT_FALSE(o->isCompleted(*w.level));
    w.lotNamed("R")->startFeature(1);
    EXPECT_TRUE(o->isCompleted(*w.level));
    // The features run out: still met.
    w.lotNamed("C")->advanceFeatures(20000);
    w.lotNamed("R")->advanceFeatures(20000);
    EXPECT_EQ(progress(o), "0/2");
    EXPECT_TRUE(o->isCompleted(*w.level));
    // Until the configuration is handed to a level again.
    w.level->setLevelConfiguration(w.configuration.get());
    EXPECT_FALSE(o->isCompleted(*w.level));
}
