// The main menu's street: the bikes' direction pictures and speed, the cars' size steps and
// cues, the spread of the first movers of the run, and movers that leave the scene.

#include <gtest/gtest.h>

#include <cmath>

#include "game/config/GNodeTypeIds.h"
#include "tests/game/scenes/MainMenuTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// Long walks: a spread never reaches their end.
constexpr const char* kLongPaths =
    "<LevelPaths><CarPaths>"
    "<Path ID=\"Bike\"><p p=\"100;735\"/><p p=\"400;735\"/><p p=\"400;700\"/></Path>"
    "<Path ID=\"Path\" b=\"1\"><p p=\"700;768\"/><p p=\"700;5000\"/></Path>"
    "<Path ID=\"Clouds\"><p p=\"-200;300\"/><p p=\"1200;300\"/></Path>"
    "</CarPaths><PedestrianPaths>"
    "<Path b=\"1\"><p p=\"300;668\"/><p p=\"300;1000\"/></Path>"
    "</PedestrianPaths></LevelPaths>";

std::string stateName(s32 id) { return id < 0 ? "-" : CNameTable::instance().getName(id).c_str(); }

// The screen vector at the angle (degrees, counter-clockwise on the screen).
vector2df atAngle(f32 degrees) {
    const f32 r = degrees / 57.29577951308232f;
    return vector2df(std::cos(r), -std::sin(r));
}

struct Street {
    explicit Street(MainMenuWorld& world) : menu(world.makeMenu()) {
        BaseNode* street = menu->findChildByName("Street", 0);
        cars = newNode("Cars", street).get();
        walkers = newNode("Walkers", street).get();
        sky = newNode("Clouds", newNode("Sky", street->getParent()).get()).get();
    }
    template <class T>
    CRefPtr<T> add(BaseNode* parent) {
        auto mover = makeRef<T>(CCreationContext());
        parent->addChild(mover.get());
        mover->onLoaded();
        return mover;
    }
    BaseNode* street() const { return menu->findChildByName("Street", 0); }

    CRefPtr<GMainMenuScene> menu;
    BaseNode* cars = nullptr;
    BaseNode* walkers = nullptr;
    BaseNode* sky = nullptr;
};

// True for the first n of count.
std::vector<bool> firstOnly(size_t n, size_t count) {
    std::vector<bool> flags(count, false);
    for (size_t i = 0; i < n; ++i) flags[i] = true;
    return flags;
}

bool atAnEnd(const GPathMovableNode& mover, f32 y1, f32 y2) {
    const f32 y = mover.getPosition().Y;
    return y == y1 || y == y2;
}

}  // namespace

TEST(MainMenuMovers, KindsAndDefaultSpeeds) {
    CCreationContext context;
    const struct {
        CRefPtr<GMainMenuMover> mover;
        s32 type;
        vector2df range;
    } cases[] = {
        {makeRef<GMainMenuBikeNode>(context), GameNodeTypeMainMenuBikeNode, {50, 50}},
        {makeRef<GMainMenuCarNode>(context), GameNodeTypeMainMenuCarNode, {80, 82}},
        {makeRef<GMainMenuCloudNode>(context), GameNodeTypeMainMenuCloudNode, {5, 5}},
        {makeRef<GMainMenuPedestrianNode>(context), GameNodeTypeMainMenuPedestrianNode, {2, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.mover->getTypeId(), c.type);
        EXPECT_TRUE(c.mover->isKindOf(c.type));
        EXPECT_TRUE(c.mover->isKindOf(GameNodeTypePathMovableNode));
        EXPECT_TRUE(c.mover->isKindOf(NodeTypeBase));
        EXPECT_EQ(c.mover->getInitialVelocityRange(), c.range);
        EXPECT_EQ(c.mover->getUpdatePeriod(), 30u);
    }
}

TEST(MainMenuMovers, TheSpeedRangeIsAPropertyWrittenUnlessBoth15) {
    auto car = makeRef<GMainMenuCarNode>(CCreationContext());
    auto set = makeRef<CPropertySet>();
    car->saveProperties(set.get());
    EXPECT_EQ(unboxPropertyVector2d(set->getProperty("InitialVelocityRange").get()),
              vector2df(80, 82));
    car->setInitialVelocityRange(vector2df(15, 15));
    auto unwritten = makeRef<CPropertySet>();
    car->saveProperties(unwritten.get());
    EXPECT_LT(unwritten->getPropertyIndex("InitialVelocityRange"), 0);
    auto other = makeRef<GMainMenuCarNode>(CCreationContext());
    other->loadProperties(set.get());
    EXPECT_EQ(other->getInitialVelocityRange(), vector2df(80, 82));
    // A copy takes the range from its own class only.
    auto copy = makeRef<GMainMenuCarNode>(CCreationContext());
    copy->setInitialVelocityRange(vector2df(1, 2));
    other->copyFrom(copy.get(), nullptr);
    EXPECT_EQ(other->getInitialVelocityRange(), vector2df(1, 2));
    auto cloud = makeRef<GMainMenuCloudNode>(CCreationContext());
    cloud->copyFrom(copy.get(), nullptr);
    EXPECT_EQ(cloud->getInitialVelocityRange(), vector2df(5, 5));
}

TEST(MainMenuMovers, TheBikesDirectionTable) {
    const struct {
        f32 degrees;
        const char* state;
    } cases[] = {
        {0, "Right"},           {10, "RightRightRightUp"},
        {45, "RightUp"},        {90, "Up"},
        {135, "LeftUp"},        {180, "Left"},
        {200, "LeftLeftDown"},  {210, "LeftLeftLeftDown"},
        {225, "LeftDown"},      {270, "Down"},
        {300, "RightDownDown"}, {355, "Right"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stateName(GMainMenuBikeNode::directionStateId(atAngle(c.degrees))), c.state)
            << c.degrees;
}

TEST(MainMenuMovers, TheBikesSpeedFactorByDirection) {
    const struct {
        vector2df direction;
        f32 factor;
    } cases[] = {
        {{10, 0}, 1.0f},   // horizontal
        {{1, 4}, 0.5f},    // steeply down-right, |x| = |y| / 4
        {{-1, -4}, 0.5f},  // steeply up-left, the same ratio
        {{1, -4}, 1.0f},   // up-right: x / y negative
        {{-3, 1}, 1.0f},   // down-left: x / y negative
        {{9, 16}, 0.75f},  // square root of 9/16
        {{4, 1}, 1.0f},    // limited to 1
    };
    for (const auto& c : cases) {
        auto bike = makeRef<GMainMenuBikeNode>(CCreationContext());
        bike->onMoveDirectionChanged(c.direction);
        EXPECT_FLOAT_EQ(bike->getSpeedFactor(), c.factor) << c.direction.X << "," << c.direction.Y;
    }
}

TEST(MainMenuMovers, ABikeShowsItsFirstDirectionAndThenTurnsTowardsTheNext) {
    auto bike = makeRef<GMainMenuBikeNode>(CCreationContext());
    bike->onMoveDirectionChanged(vector2df(5, 0));
    EXPECT_EQ(bike->getShownDirection(), vector2df(0, 0));
    EXPECT_EQ(bike->getTargetDirection(), vector2df(5, 0));
    bike->onMoveDirectionChanged(vector2df(0, -5));
    EXPECT_EQ(bike->getShownDirection(), vector2df(5, 0));
    EXPECT_EQ(bike->getTargetDirection(), vector2df(0, -5));
}

TEST(MainMenuMovers, TheCarsSizeSteps) {
    EXPECT_EQ(GMainMenuCarNode::sizeStep(1.0f), 1);
    EXPECT_EQ(GMainMenuCarNode::sizeStep(0.5f), 3);
    EXPECT_EQ(GMainMenuCarNode::sizeStep(0.16f), 6);
    EXPECT_EQ(GMainMenuCarNode::sizeStep(0.01f), 6);
}

// Up close a car shows its largest picture and goes at its base speed; far up the street its
// smallest.
TEST(MainMenuMovers, ACarsLookByItsPlace) {
    const struct {
        const char* path;
        const char* size;
        f32 scale;
    } cases[] = {
        {"<p p=\"700;768\"/><p p=\"700;5000\"/>", "1", 1.0f},
        {"<p p=\"700;670\"/><p p=\"700;-5000\"/>", "6", 0.01f},
    };
    for (const auto& c : cases) {
        MainMenuWorld world((std::string("<LevelPaths><CarPaths><Path ID=\"Path\" b=\"1\">") +
                             c.path + "</Path></CarPaths></LevelPaths>")
                                .c_str());
        Street street(world);
        CRefPtr<GMainMenuCarNode> car = street.add<GMainMenuCarNode>(street.cars);
        world.show(street.menu.get());
        ASSERT_TRUE(car->isWalking());
        const std::string direction = stateName(car->getCarDirection());
        ASSERT_TRUE(direction == "Down" || direction == "Up") << direction;
        EXPECT_EQ(stateName(car->getLookState()), direction + c.size);
        EXPECT_FLOAT_EQ(car->getScale().X, c.scale);
        EXPECT_GE(car->getBaseVelocity(), 80.0f);
        EXPECT_LE(car->getBaseVelocity(), 82.0f);
    }
}

TEST(MainMenuMovers, OnlyTheFirstMoversOfTheRunAreSpread) {
    MainMenuWorld world(kLongPaths);
    Street street(world);
    std::vector<CRefPtr<GMainMenuCarNode>> cars;
    for (int i = 0; i < 5; ++i) cars.push_back(street.add<GMainMenuCarNode>(street.cars));
    std::vector<CRefPtr<GMainMenuCloudNode>> clouds;
    for (int i = 0; i < 13; ++i) clouds.push_back(street.add<GMainMenuCloudNode>(street.sky));
    std::vector<CRefPtr<GMainMenuBikeNode>> bikes;
    for (int i = 0; i < 3; ++i) bikes.push_back(street.add<GMainMenuBikeNode>(street.street()));
    world.manager->setScene(street.menu.get());
    world.frame();
    std::vector<bool> carsSpread;
    for (const auto& car : cars) carsSpread.push_back(!atAnEnd(*car, 768, 5000));
    EXPECT_EQ(carsSpread, (std::vector<bool>{true, true, true, true, false}));
    std::vector<bool> cloudsSpread;
    for (const auto& cloud : clouds) cloudsSpread.push_back(cloud->getPosition().X != -200.0f);
    EXPECT_EQ(cloudsSpread, firstOnly(12, 13));
    for (const auto& bike : bikes) EXPECT_NE(bike->getPosition().X, 100.0f);

    // The counters hold for the run: a new menu's movers start at the beginning.
    Street again(world);
    CRefPtr<GMainMenuCarNode> late = again.add<GMainMenuCarNode>(again.cars);
    world.manager->setScene(again.menu.get());
    world.frame();
    ASSERT_TRUE(late->isWalking());
    EXPECT_TRUE(atAnEnd(*late, 768, 5000));
}

TEST(MainMenuMovers, TheFirst24WalkersAreSpread) {
    MainMenuWorld world(kLongPaths);
    Street street(world);
    std::vector<CRefPtr<GMainMenuPedestrianNode>> walkers;
    for (int i = 0; i < 25; ++i)
        walkers.push_back(street.add<GMainMenuPedestrianNode>(street.walkers));
    world.manager->setScene(street.menu.get());
    world.frame();
    std::vector<bool> spread;
    for (const auto& walker : walkers) spread.push_back(!atAnEnd(*walker, 668, 1000));
    EXPECT_EQ(spread, firstOnly(24, 25));
    for (const auto& walker : walkers) {
        EXPECT_GE(walker->getBaseVelocity(), 2.0f);
        EXPECT_LE(walker->getBaseVelocity(), 3.0f);
    }
}

// A mover at another depth below the menu, or without a path of its group, never starts: its
// first update takes it out of the scene and off the scheduler.
TEST(MainMenuMovers, AMoverThatFindsNoPathLeavesAtItsFirstUpdate) {
    MainMenuWorld world(
        "<LevelPaths><CarPaths><Path ID=\"Clouds\"><p p=\"1;2\"/></Path>"
        "</CarPaths></LevelPaths>");
    Street street(world);
    CRefPtr<GMainMenuCarNode> shallowCar = street.add<GMainMenuCarNode>(street.street());
    CRefPtr<GMainMenuBikeNode> deepBike = street.add<GMainMenuBikeNode>(street.cars);
    CRefPtr<GMainMenuCloudNode> onePoint = street.add<GMainMenuCloudNode>(street.sky);
    CRefPtr<GMainMenuPedestrianNode> noPaths = street.add<GMainMenuPedestrianNode>(street.walkers);
    world.manager->setScene(street.menu.get());
    world.frame();
    for (GMainMenuMover* mover : std::vector<GMainMenuMover*>{shallowCar.get(), deepBike.get(),
                                                              onePoint.get(), noPaths.get()}) {
        EXPECT_FALSE(mover->isWalking());
        EXPECT_NE(mover->getUpdateSource(), nullptr);  // attached all the same
        EXPECT_EQ(mover->findMenu() != nullptr,
                  mover != deepBike.get() && mover != shallowCar.get());
    }
    world.step(30);
    for (GMainMenuMover* mover : std::vector<GMainMenuMover*>{shallowCar.get(), deepBike.get(),
                                                              onePoint.get(), noPaths.get()}) {
        EXPECT_EQ(mover->getParent(), nullptr);
        EXPECT_EQ(mover->getUpdateSource(), nullptr);
    }
    world.step(30);  // nothing left to remove twice
}

TEST(MainMenuMovers, AFinishedMoverIsOffTheSchedulerAndACarSounds) {
    MainMenuWorld world(
        "<LevelPaths><CarPaths><Path ID=\"Path\"><p p=\"700;900\"/>"
        "<p p=\"700;790\"/></Path></CarPaths></LevelPaths>");
    Street street(world);
    // The spread is used up: this car starts at the beginning of its walk.
    for (int i = 0; i < 4; ++i) street.add<GMainMenuCarNode>(street.cars);
    world.manager->setScene(street.menu.get());
    world.frame();
    CRefPtr<GMainMenuCarNode> car = street.add<GMainMenuCarNode>(street.cars);
    world.frame();
    ASSERT_TRUE(car->isWalking());
    EXPECT_EQ(car->getPosition().Y, 900.0f);
    EXPECT_EQ(stateName(car->getCarDirection()), "Up");
    EXPECT_FALSE(car->hasPlayedArrivalCue());
    int updates = 0;
    while (car->getParent() && updates < 400) {
        world.step(30);
        ++updates;
    }
    EXPECT_EQ(car->getParent(), nullptr);
    EXPECT_EQ(car->getUpdateSource(), nullptr);
    EXPECT_TRUE(car->hasPlayedArrivalCue());  // it went up past 800
    EXPECT_TRUE(world.services.groups->isCuePlaying(GSoundCueIds::get().MainMenuCarOut));
    world.step(30);
}

TEST(MainMenuMovers, BikesLoopForEver) {
    MainMenuWorld world(kLongPaths);
    Street street(world);
    CRefPtr<GMainMenuBikeNode> bike = street.add<GMainMenuBikeNode>(street.street());
    world.manager->setScene(street.menu.get());
    for (int i = 0; i < 600; ++i) world.step(30);
    EXPECT_TRUE(bike->isWalking());
    EXPECT_EQ(bike->getParent(), street.street());
    EXPECT_GE(bike->getScale().X, 0.65f);
    EXPECT_LE(bike->getScale().X, 1.0f);
    EXPECT_GE(bike->Velocity, 1.0f);
}
