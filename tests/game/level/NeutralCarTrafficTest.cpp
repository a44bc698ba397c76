// The level's passing cars: which paths get spawners, the cars they make and when, giving way
// to the buses, the passing cue, and the cars' and buses' membership of the traffic.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/CRandom.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GMaintenanceProcess.h"
#include "game/level/GNeutralCarTraffic.h"
#include "game/level/GPathMovableNode.h"
#include "tests/game/level/LotWorld.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// A car as the traffic knows it: a path mover that answers to the car's node type.
class TestCar : public GPathMovableNode {
public:
    explicit TestCar(const CCreationContext& context, BaseNode* parent = nullptr,
                     SceneManager* manager = nullptr)
        : GPathMovableNode(context, parent, manager) {}
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestCar>(this, parent, manager);
    }
    s32 getTypeId() const override { return GameNodeTypeCarNode; }
    bool isKindOf(s32 typeId) const override {
        return typeId == GameNodeTypeCarNode || GPathMovableNode::isKindOf(typeId);
    }
};

// A "NeutralCar" path element along y = 300 from x = 0 to x = 20000 (long enough never to end
// in a test), or with the given points.
std::string carPath(const std::string& time, const std::string& cars,
                    const std::string& points = "<p p=\"0;300\"/><p p=\"20000;300\"/>") {
    return "<Path ID=\"NeutralCar\" Time=\"" + time + "\" Cars=\"" + cars + "\">" + points +
           "</Path>";
}

CRefPtr<GLevelPaths> pathsOf(const std::string& carPaths) {
    CRefPtr<GLevelPaths> paths = makeRef<GLevelPaths>();
    CRefPtr<CXmlReader> reader =
        oskel::test::readerOf("<LevelPaths><CarPaths>" + carPaths + "</CarPaths></LevelPaths>");
    EXPECT_TRUE(paths->read(reader.get()));
    return paths;
}

class NeutralCarTrafficTest : public ::testing::Test {
protected:
    NeutralCarTrafficTest() {
        CRandom::instance().seed(11);
        for (const char* name : {"Car1", "Car2", "Car3"})
            world.topTemplate(name, new TestCar(world.context("")));
        world.topTemplate("NotACar", new GPathMovableNode(world.context("")));
        world.topTemplate("Bus", new GPathMovableNode(world.context("")));
        world.loadLevel("");
        world.start();
        layer = world.level->getCargosNode();
    }

    CRefPtr<GNeutralCarTraffic> trafficOf(const std::string& carPaths) {
        return makeRef<GNeutralCarTraffic>(pathsOf(carPaths).get(), layer);
    }

    // A car standing at the point, listed by the traffic.
    CRefPtr<TestCar> carAt(GNeutralCarTraffic* traffic, f32 x, f32 y, bool priority) {
        auto car = makeRef<TestCar>(world.context(""));
        layer->addChild(car.get());
        car->setPosition(vector3df(x, y, y));
        car->Velocity = 75.0f;
        car->setTrafficController(traffic, priority);
        return car;
    }

    u32 cueCount(const std::string& name) const {
        u32 n = 0;
        for (const std::string& cue : world.cues()) n += cue == name ? 1u : 0u;
        return n;
    }

    LotWorld world;
    BaseNode* layer = nullptr;
};

}  // namespace

TEST_F(NeutralCarTrafficTest, OnlyUsablePathsGetSpawners) {
    struct Case {
        const char* what;
        std::string path;
        u32 spawners;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"a usable path", carPath("3000;6000", "Car1"), 1, nullptr},
        {"Time 0-0", carPath("0;0", "Car1"), 0, nullptr},
        {"no Time", carPath("", "Car1"), 0, nullptr},
        {"no cars", carPath("3000;6000", ""), 0, nullptr},
        {"one point", carPath("3000;6000", "Car1", "<p p=\"10;10\"/>"), 0,
         "A \"NeutralCar\" path with fewer than two points gets no cars"},
        {"no points", carPath("3000;6000", "Car1", ""), 0,
         "A \"NeutralCar\" path with fewer than two points gets no cars"},
        {"only a maximum", carPath("0;500", "Car1"), 1, nullptr},
        {"another group",
         "<Path ID=\"Lot1\" Time=\"3000\" Cars=\"Car1\"><p p=\"0;0\"/><p "
         "p=\"5;5\"/></Path>",
         0, nullptr},
    };
    for (const Case& c : cases) {
        LogCapture logs;
        auto traffic = trafficOf(c.path);
        EXPECT_EQ(traffic->getSpawners().size(), c.spawners) << c.what;
        if (c.logged) EXPECT_TRUE(logs.contains(c.logged, LogWarning)) << c.what;
        // No car ever comes from a path without a spawner, however long the traffic runs.
        for (int i = 0; i < 100; ++i) traffic->update(20);
        if (c.spawners == 0) EXPECT_TRUE(traffic->getCars().empty()) << c.what;
    }
}

TEST_F(NeutralCarTrafficTest, AReversedTimeRangeIsSwappedAndLogged) {
    LogCapture logs;
    auto traffic = trafficOf(carPath("6000;3000", "Car1"));
    ASSERT_EQ(traffic->getSpawners().size(), 1u);
    EXPECT_EQ(traffic->getSpawners()[0].minMs, 3000);
    EXPECT_EQ(traffic->getSpawners()[0].maxMs, 6000);
    EXPECT_TRUE(
        logs.contains("A \"NeutralCar\" path has its Time range the wrong way round (6000 "
                      "to 3000): taken as 3000 to 6000",
                      LogWarning));
    // Every countdown drawn after a car lies in the range.
    u32 draws = 0;
    s32 before = traffic->getSpawners()[0].countdown;
    for (int i = 0; i < 2000; ++i) {
        traffic->update(20);
        const s32 left = traffic->getSpawners()[0].countdown;
        if (left > before) {
            ++draws;
            EXPECT_GE(left, 3000);
            EXPECT_LE(left, 6000);
        }
        before = left;
    }
    EXPECT_GE(draws, 6u);
}

TEST_F(NeutralCarTrafficTest, NegativeTimesCountAsZero) {
    LogCapture logs;
    EXPECT_TRUE(trafficOf(carPath("-100;-100", "Car1"))->getSpawners().empty());
    EXPECT_TRUE(logs.contains("A \"NeutralCar\" path has a Time below zero: taken as zero"));
}

TEST_F(NeutralCarTrafficTest, AFixedTimeMakesACarEvery3000Ms) {
    auto traffic = trafficOf(carPath("3000;3000", "Car1"));
    traffic->update(20);  // the starting cars
    std::vector<u32> madeAt;
    size_t count = traffic->getCars().size();
    for (u32 t = 20; t <= 20 * 1000; t += 20) {
        traffic->update(20);
        if (traffic->getCars().size() != count) {
            EXPECT_EQ(traffic->getCars().size(), count + 1);
            count = traffic->getCars().size();
            madeAt.push_back(t);
        }
    }
    ASSERT_GE(madeAt.size(), 6u);
    for (size_t i = 1; i < madeAt.size(); ++i) EXPECT_EQ(madeAt[i] - madeAt[i - 1], 3000u) << i;
}

TEST_F(NeutralCarTrafficTest, TwoTemplatesAlternateAndThreeNeverRepeat) {
    for (const char* cars : {"Car1;Car2", "Car1; Car2 ;Car3"}) {
        auto traffic = trafficOf(carPath("3000;6000", cars));
        GNeutralCarTraffic::SSpawner spawner = traffic->getSpawners().at(0);
        std::vector<s32> names;
        for (int i = 0; i < 60; ++i) {
            GPathMovableNode* car = traffic->spawnCar(spawner);
            ASSERT_NE(car, nullptr);
            names.push_back(car->getNameId());
            EXPECT_TRUE(car->isVisible());
            EXPECT_TRUE(car->isWalking());
            EXPECT_EQ(car->getParent(), layer);
            EXPECT_GE(car->Velocity, 70.0f);
            EXPECT_LE(car->Velocity, 79.0f);
            EXPECT_EQ(traffic->findCar(car)->baseVelocity, car->Velocity);
            EXPECT_FALSE(traffic->findCar(car)->isPriority);
            EXPECT_EQ(car->getTrafficController(), traffic.get());
        }
        const bool two = std::string(cars) == "Car1;Car2";
        for (size_t i = 1; i < names.size(); ++i) {
            EXPECT_NE(names[i], names[i - 1]) << cars << " " << i;
            if (two && i >= 2) EXPECT_EQ(names[i], names[i - 2]) << i;
        }
        if (!two) {
            u32 third = 0;
            for (s32 n : names) third += n == CNameId("Car3").getId() ? 1u : 0u;
            EXPECT_GT(third, 0u);
        }
        layer->removeAllChildren();
    }
}

TEST_F(NeutralCarTrafficTest, NoCarFromAMissingTemplateOrOneThatIsNoCar) {
    for (const char* cars : {"NoSuchCar", "NotACar"}) {
        auto traffic = trafficOf(carPath("3000;6000", cars));
        GNeutralCarTraffic::SSpawner spawner = traffic->getSpawners().at(0);
        EXPECT_EQ(traffic->spawnCar(spawner), nullptr) << cars;
        EXPECT_TRUE(traffic->getCars().empty());
        EXPECT_EQ(layer->getChildCount(), 0u);
    }
}

TEST_F(NeutralCarTrafficTest, AboutHalfThePathsStartWithACarOnItsWay) {
    std::string many;
    for (int i = 0; i < 40; ++i) many += carPath("100000;100000", "Car1");
    u32 started = 0, advanced = 0, total = 0;
    for (u32 seed = 1; seed <= 20; ++seed) {
        CRandom::instance().seed(seed);
        auto traffic = trafficOf(many);
        ASSERT_EQ(traffic->getSpawners().size(), 40u);
        traffic->update(20);
        EXPECT_FALSE(traffic->isStartPending());
        for (const GNeutralCarTraffic::SCar& car : traffic->getCars()) {
            ++started;
            if (car.car->getPosition().X > 0.0f) ++advanced;
            // Spread by at most 20 x 509 ms at 79 units per second.
            EXPECT_LE(car.car->getPosition().X, 20.0f * 509.0f * 0.079f + 1.0f);
        }
        total += 40;
        // The start happens once: the next step adds only the cars of spawners whose first wait
        // (drawn anywhere below the path's Time) runs out in it.
        const size_t count = traffic->getCars().size();
        size_t due = 0;
        for (const GNeutralCarTraffic::SSpawner& spawner : traffic->getSpawners())
            due += spawner.countdown <= 20 ? 1u : 0u;
        traffic->update(20);
        EXPECT_EQ(traffic->getCars().size(), count + due);
        layer->removeAllChildren();
    }
    EXPECT_GT(started, total * 40 / 100);
    EXPECT_LT(started, total * 60 / 100);
    EXPECT_GT(advanced, started * 9 / 10);
}

TEST_F(NeutralCarTrafficTest, NeutralCarsGiveWayInsideTheBoxOnly) {
    auto traffic = trafficOf("");
    auto bus = carAt(traffic.get(), 100.0f, 100.0f, true);
    struct Case {
        f32 x, y;
        bool hurried;
    };
    const std::vector<Case> cases = {
        {134.0f, 100.0f, true}, {135.0f, 100.0f, false}, {66.0f, 100.0f, true},
        {65.0f, 100.0f, false}, {100.0f, 115.0f, true},  {100.0f, 116.0f, false},
        {100.0f, 84.5f, true},  {134.9f, 84.1f, true},   {100.0f, 100.0f, true}};
    std::vector<CRefPtr<TestCar>> cars;
    for (const Case& c : cases) cars.push_back(carAt(traffic.get(), c.x, c.y, false));
    traffic->update(20);
    for (size_t i = 0; i < cases.size(); ++i) {
        const GNeutralCarTraffic::SCar* entry = traffic->findCar(cars[i].get());
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->state, cases[i].hurried ? GNeutralCarTraffic::CarHurried
                                                 : GNeutralCarTraffic::CarDriving)
            << i;
        EXPECT_EQ(cars[i]->Velocity, cases[i].hurried ? 160.0f : 75.0f) << i;
    }
    EXPECT_EQ(traffic->findCar(bus.get())->state, GNeutralCarTraffic::CarDriving);
    EXPECT_EQ(bus->Velocity, 75.0f);
}

TEST_F(NeutralCarTrafficTest, AHurryLastsASecondAfterTheLastMeeting) {
    auto traffic = trafficOf("");
    auto bus = carAt(traffic.get(), 100.0f, 100.0f, true);
    auto car = carAt(traffic.get(), 120.0f, 100.0f, false);
    traffic->update(20);
    traffic->update(20);  // still close: the wait starts over
    EXPECT_EQ(traffic->findCar(car.get())->wait, 1000.0f - 20.0f);
    car->setPosition(vector3df(400.0f, 100.0f, 100.0f));
    for (int i = 0; i < 49; ++i) traffic->update(20);
    EXPECT_EQ(traffic->findCar(car.get())->state, GNeutralCarTraffic::CarHurried);
    EXPECT_EQ(traffic->findCar(car.get())->wait, 0.0f);
    traffic->update(20);  // below zero: driving again at its own speed
    EXPECT_EQ(traffic->findCar(car.get())->state, GNeutralCarTraffic::CarDriving);
    EXPECT_EQ(car->Velocity, 75.0f);
}

TEST_F(NeutralCarTrafficTest, NeutralCarsNeverHurryEachOtherNorAnyoneAPriorityCar) {
    auto traffic = trafficOf("");
    auto a = carAt(traffic.get(), 100.0f, 100.0f, false);
    auto b = carAt(traffic.get(), 101.0f, 100.0f, false);
    auto bus1 = carAt(traffic.get(), 300.0f, 100.0f, true);
    auto bus2 = carAt(traffic.get(), 301.0f, 100.0f, true);
    for (int i = 0; i < 10; ++i) traffic->update(20);
    for (const GNeutralCarTraffic::SCar& entry : traffic->getCars()) {
        EXPECT_EQ(entry.state, GNeutralCarTraffic::CarDriving);
        EXPECT_EQ(entry.car->Velocity, 75.0f);
    }
}

TEST_F(NeutralCarTrafficTest, AboutHalfTheNeutralCarsPlayTheCueOnceInTheMiddle) {
    auto traffic = trafficOf("");
    std::vector<CRefPtr<TestCar>> cars;
    u32 toPlay = 0;
    for (int i = 0; i < 60; ++i) {
        cars.push_back(carAt(traffic.get(), 200.0f, 500.0f + 40.0f * i, false));
        toPlay += traffic->findCar(cars.back().get())->cueDone ? 0u : 1u;
    }
    auto bus = carAt(traffic.get(), 500.0f, 0.0f, true);
    EXPECT_TRUE(traffic->findCar(bus.get())->cueDone);
    EXPECT_GT(toPlay, 18u);
    EXPECT_LT(toPlay, 42u);
    traffic->update(20);
    EXPECT_EQ(cueCount("GameCar"), 0u);  // x 200: not yet
    for (f32 x : {399.9f, 400.0f, 600.0f, 500.0f}) {
        for (auto& car : cars) car->setPosition(vector3df(x, car->getPosition().Y, 0.0f));
        traffic->update(20);
    }
    // Each of them once, at x 400; the bus never.
    EXPECT_EQ(cueCount("GameCar"), toPlay);
    for (const GNeutralCarTraffic::SCar& entry : traffic->getCars()) EXPECT_TRUE(entry.cueDone);
}

TEST_F(NeutralCarTrafficTest, ControllersListTheirCarsInOrderOfJoining) {
    auto first = trafficOf("");
    auto second = trafficOf("");
    auto a = carAt(first.get(), 0, 0, false);
    auto b = carAt(first.get(), 0, 0, true);
    auto c = carAt(first.get(), 0, 0, false);
    ASSERT_EQ(first->getCars().size(), 3u);
    b->setTrafficController(second.get(), true);
    ASSERT_EQ(first->getCars().size(), 2u);
    EXPECT_EQ(first->getCars()[0].car, a.get());
    EXPECT_EQ(first->getCars()[1].car, c.get());
    ASSERT_EQ(second->getCars().size(), 1u);
    EXPECT_TRUE(second->getCars()[0].isPriority);
    first->removeCar(b.get());  // not listed there: nothing
    EXPECT_EQ(first->getCars().size(), 2u);
    c->setTrafficController(nullptr, false);
    EXPECT_EQ(c->getTrafficController(), nullptr);
    EXPECT_EQ(first->getCars().size(), 1u);
    // A destroyed car leaves its list.
    layer->removeChild(a.get());
    a = nullptr;
    EXPECT_TRUE(first->getCars().empty());
}

TEST_F(NeutralCarTrafficTest, TheTrafficOutlivesItsHolderWhileCarsListIt) {
    auto traffic = trafficOf("");
    auto car = carAt(traffic.get(), 0, 0, false);
    GNeutralCarTraffic* raw = traffic.get();
    traffic = nullptr;
    EXPECT_EQ(car->getTrafficController(), raw);
    EXPECT_EQ(raw->getCars().size(), 1u);
    layer->removeChild(car.get());
    car = nullptr;  // the last holder goes with the car (the sanitizers see no leak)
}

TEST_F(NeutralCarTrafficTest, ABusJoinsAsAPriorityCarAndLeavesWhenDestroyed) {
    auto traffic = trafficOf("");
    CRefPtr<GLevelPaths> paths =
        pathsOf("<Path ID=\"Lot\"><p p=\"0;300\"/><p p=\"500;300\"/></Path>");
    GLevelPath* path = paths->getRandomCarPath(CNameId("Lot").getId());
    CRefPtr<BaseNode> bus =
        GBuildingProcess::startBus(world.templates.get(), layer, path, 140.0f, traffic.get());
    ASSERT_NE(bus, nullptr);
    auto* mover = static_cast<GPathMovableNode*>(bus.get());
    ASSERT_EQ(traffic->getCars().size(), 1u);
    EXPECT_EQ(traffic->getCars()[0].car, mover);
    EXPECT_TRUE(traffic->getCars()[0].isPriority);
    EXPECT_TRUE(traffic->getCars()[0].cueDone);
    EXPECT_EQ(mover->Velocity, 140.0f);
    // A neutral car just ahead of the bus hurries.
    auto car = carAt(traffic.get(), 20.0f, 300.0f, false);
    traffic->update(20);
    EXPECT_EQ(car->Velocity, 160.0f);
    // Without a traffic (the custom service's bus) nothing joins.
    CRefPtr<BaseNode> service =
        GBuildingProcess::startBus(world.templates.get(), layer, path, 180.0f);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(static_cast<GPathMovableNode*>(service.get())->getTrafficController(), nullptr);
    EXPECT_EQ(traffic->getCars().size(), 2u);
    layer->removeChild(bus.get());
    bus = nullptr;
    ASSERT_EQ(traffic->getCars().size(), 1u);
    EXPECT_EQ(traffic->getCars()[0].car, car.get());
}

TEST_F(NeutralCarTrafficTest, TheLevelMakesItsTrafficWithItsPathsAndStepsItWhilePaused) {
    EXPECT_EQ(world.level->getNeutralCarTraffic(), nullptr);
    CRefPtr<GLevelPaths> paths = pathsOf(carPath("3000;3000", "Car1"));
    world.level->setLevelPaths(paths.get());
    GNeutralCarTraffic* traffic = world.level->getNeutralCarTraffic();
    ASSERT_NE(traffic, nullptr);
    EXPECT_EQ(traffic->getCarsLayer(), world.level->getCargosNode());
    ASSERT_EQ(traffic->getSpawners().size(), 1u);
    world.level->setPaused(true);
    // The level's own steps of 20 ms.
    const auto steps = [&](u32 ms) {
        for (u32 t = 0; t < ms; t += 20) world.level->update(20);
    };
    steps(20);
    EXPECT_FALSE(traffic->isStartPending());
    const size_t before = traffic->getCars().size();
    const s32 left = traffic->getSpawners()[0].countdown;
    steps(20);
    // Counted down, or set again to the whole time when a car was due.
    EXPECT_EQ(traffic->getSpawners()[0].countdown, left - 20 < 1 ? 3000 : left - 20);
    // Its cars come under the vehicle layer: a car every 3000 ms, paused or not.
    steps(6000 - 20);
    EXPECT_EQ(traffic->getCars().size(), before + 2);
    for (const GNeutralCarTraffic::SCar& car : traffic->getCars())
        EXPECT_EQ(car.car->getParent(), world.level->getCargosNode());
}

TEST_F(NeutralCarTrafficTest, TheWorkBusesJoinTheLevelsTraffic) {
    world.level->setLevelPaths(pathsOf(carPath("0;0", "Car1") +
                                       "<Path ID=\"Lot\"><p p=\"0;300\"/><p p=\"500;300\"/></Path>")
                                   .get());
    GNeutralCarTraffic* traffic = world.level->getNeutralCarTraffic();
    ASSERT_NE(traffic, nullptr);
    GLevelPath* path = world.level->getLevelPaths()->getRandomCarPath(CNameId("Lot").getId());
    GWorkersBus crew;
    ASSERT_TRUE(crew.start(layer, world.templates.get(), path, 140.0f, false,
                           GBuildingProcess::trafficOf(world.level.get())));
    ASSERT_EQ(traffic->getCars().size(), 1u);
    EXPECT_TRUE(traffic->getCars()[0].isPriority);
    crew.remove();
    EXPECT_TRUE(traffic->getCars().empty());
}
