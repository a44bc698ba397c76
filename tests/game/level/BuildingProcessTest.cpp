// The actions that run on the lots (construction, cleaning and repair, demolition and restoring,
// features and services) and the cloud shadows, on a level scene read from a scene file with
// templates built here, stepped in 20 ms level steps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/audio/SoundCue.h"
#include "engine/core/CRandom.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/animation/KeyFrame.h"
#include "game/level/GCloudShadowEffect.h"
#include "game/level/GConstructionProcess.h"
#include "game/level/GDestroyProcess.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GMaintenanceProcess.h"
#include "game/level/GPathMovableNode.h"
#include "game/level/GServeProcesses.h"
#include "tests/game/level/LotWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr u32 Tick = 20;

// Records the game events that leave the level scene, with what they carry.
class ProcessEventRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        const u32 type = event->getTypeId();
        if (type < GameEventBuildingBuilt || type > GameEventResourcesReturned) return false;
        ids.push_back(type);
        if (type == GameEventResourcesReturned) {
            auto* r = static_cast<GEventResourcesReturned*>(event);
            materials.push_back(r->Materials);
            workers.push_back(r->Workers);
        }
        if (type == GameEventBuildingBuilt)
            builtTypes.push_back(
                static_cast<GEventBuildingBuilt*>(event)->Type->Name.getName().c_str());
        if (type == GameEventBuildingFeatureUsed)
            features.push_back(static_cast<GEventBuildingFeatureUsed*>(event)->FeatureIndex);
        return false;
    }
    std::vector<u32> ids;
    std::vector<f32> materials;
    std::vector<s32> workers;
    std::vector<std::string> builtTypes;
    std::vector<s32> features;
};

vector3df valueOf(const CRefPtr<IPropertyData>& value) {
    return unboxPropertyVector3d(value.get());
}

class ProcessTest : public ::testing::Test {
protected:
    ProcessTest() {
        CRandom::instance().seed(1234);
        buildProcessTemplates();
        w.loadLevel(LotWorld::lot("A", "Empty", 400.0f, 300.0f, true) +
                    LotWorld::lot("B", "Hotel1", 100.0f, 500.0f, true));
        w.start();
        w.screen->addPreReceiver(&events);
        lot = w.lotNamed("A");
        world = w.level->getCargosNode();
    }
    ~ProcessTest() override { w.screen->removePreReceiver(&events); }

    // A node of the kind that walks paths, as the vehicle templates are.
    BaseNode* mover(const char* name) {
        return w.topTemplate(name, new GPathMovableNode(w.context("")));
    }
    // A flight state whose "Mover" glides the position between two keys.
    static CRefPtr<Animator> flight(const char* state) {
        CRefPtr<animation::KeyFrame> keys = positionAnimation({{0, 0.0f, 0}, {100, 1.0f, 0}});
        keys->setNameId(id("Mover"));
        return animatorWith(state, {keys.get()});
    }
    // A node whose child plays each of the states for the time given.
    BaseNode* staged(BaseNode* node, std::initializer_list<std::pair<const char*, u32>> stages) {
        BaseNode* stage = w.base(node, "Stage");
        for (const auto& s : stages) stage->addState(timedState(s.first, s.second).get());
        return stage;
    }

    void buildProcessTemplates() {
        BaseNode* helicopter = mover("Helicopter");
        helicopter->addState(flight("MovingTo").get());
        helicopter->addState(flight("MovingFrom").get());
        w.sprite(helicopter, "Cargo");
        w.sprite(helicopter, "CargoShadow");
        BaseNode* bus = mover("Bus");
        bus->addState(timedState("MovingFrom", 200).get());
        w.topTemplate("ConstructionSelector", new SpriteNode(w.context("")))
            ->addState(animatorWith("Focus").get());
        BaseNode* construction = w.topTemplate("Construction");
        staged(construction, {{"PreBuild1", 100},
                              {"PreBuild2", 100},
                              {"Build", 100},
                              {"PostBuild1", 100},
                              {"PostBuild2", 100}});
        LotWorld::add(construction, new ProgressBarNode(w.context("")), "ProgressBar");
        w.topTemplate("Cargo");
        staged(w.topTemplate("LevelStarEffect"), {{"Activate", 200}});
        w.topTemplate("ProgressBarOverBuilding", new ProgressBarNode(w.context("")));
        for (const char* cloud : {"Cloud1", "Cloud2", "Cloud3"}) mover(cloud);
        BaseNode* place = w.topTemplate("BuildingPlace");
        w.base(place, "Selector");
    }
    void removeTemplate(const char* name) {
        if (BaseNode* t = w.templates->findTemplate(id(name))) w.templates->removeChild(t);
    }

    // A car path to the lot from far off, read from a paths file.
    CRefPtr<GLevelPath> carPath(const char* points =
                                    "<p p=\"0;300\"/><p p=\"200;300\"/>"
                                    "<p p=\"400;300\"/>") {
        paths = makeRef<GLevelPaths>();
        CRefPtr<CXmlReader> reader =
            oskel::test::readerOf(std::string("<LevelPaths><CarPaths><Path ID=\"A\">") + points +
                                  "</Path></CarPaths></LevelPaths>");
        static_cast<void>(paths->read(reader.get()));
        return CRefPtr<GLevelPath>(paths->getRandomCarPath(id("A")));
    }

    // The lot takes the new type as the level does before it starts the construction.
    CRefPtr<GConstructionProcess> construct(const char* type, GLevelPath* path = nullptr,
                                            GBuildingNode* on = nullptr) {
        GBuildingNode* target = on ? on : lot;
        target->setType(w.type(type), false);
        auto process =
            makeRef<GConstructionProcess>(w.level.get(), target, target->getCurrentType(), world,
                                          w.templates.get(), path, 10.0f, 3);
        target->setProcess(BuildingProcessConstruction, process.get());
        return process;
    }

    // One level step: the scene's clock, then the process. False once it has ended.
    bool tick(GBuildingProcess* process) {
        w.step(Tick);
        return process->update(Tick);
    }
    // Steps until the process ends; the level time it took.
    u32 runToEnd(GBuildingProcess* process, u32 limitMs = 60000) {
        u32 t = 0;
        while (t < limitMs) {
            t += Tick;
            if (!tick(process)) break;
        }
        return t;
    }
    bool hasChild(const BaseNode* parent, const BaseNode* node) const {
        for (const BaseNode* c : parent->getChildren())
            if (c == node) return true;
        return false;
    }

    LotWorld w;
    ProcessEventRecorder events;
    GBuildingNode* lot = nullptr;
    BaseNode* world = nullptr;
    CRefPtr<GLevelPaths> paths;
};

// ---- Construction ----

TEST_F(ProcessTest, ConstructionWorksOnlyOnceCargoAndWorkersAreThereAndReportsTheEnd) {
    CRefPtr<GLevelPath> path = carPath();
    CRefPtr<GConstructionProcess> p = construct("Hotel1", path.get());
    EXPECT_FLOAT_EQ(p->getTotal(), 6500.0f);
    ASSERT_TRUE(p->getHelicopter());
    ASSERT_TRUE(p->getBus());
    ASSERT_TRUE(p->getConstructionNode());
    EXPECT_TRUE(hasChild(world, p->getHelicopter()));
    EXPECT_TRUE(hasChild(lot, p->getConstructionNode()));
    EXPECT_EQ(nameOf(lot->getTemplateInstance()->findChildByName("Selector")->getRunningAnimator()
                         ? lot->getTemplateInstance()
                               ->findChildByName("Selector")
                               ->getRunningAnimator()
                               ->getState()
                         : -1),
              "Focus");
    EXPECT_EQ(static_cast<GPathMovableNode*>(p->getBus())->Velocity,
              GBuildingProcess::WorkersBusSpeed);

    f32 lastBar = 0.0f;
    u32 t = 0;
    u32 workStart = 0;
    bool running = true;
    while (running && t < 30000) {
        running = tick(p.get());
        t += Tick;
        if (p->getConstructionPhase() == GConstructionProcess::ConstructionWorking &&
            workStart == 0) {
            workStart = t;
            EXPECT_GE(p->getHelicopterPhase(), GConstructionProcess::HelicopterDelivered);
            EXPECT_GE(p->getBusPhase(), GConstructionProcess::HelicopterDelivered);
        }
        if (BaseProgressBarNode* bar = p->getProgressBar()) {
            EXPECT_LE(bar->getValue(), 1.0f);
            EXPECT_GE(bar->getValue(), lastBar);
            lastBar = bar->getValue();
        }
    }
    EXPECT_FALSE(running);
    // The helicopter needs its 3333 ms flight before the cargo is down.
    EXPECT_GT(workStart, 3333u);
    EXPECT_EQ(events.ids, (std::vector<u32>{GameEventBuildingBuilt, GameEventResourcesReturned}));
    EXPECT_EQ(events.builtTypes, std::vector<std::string>{"Hotel1"});
    EXPECT_EQ(events.materials, std::vector<f32>{0.0f});
    EXPECT_EQ(events.workers, std::vector<s32>{3});
    EXPECT_EQ(lot->getTemplateName(), id("Hotel1"));
    EXPECT_TRUE(world->getChildren().empty());
    EXPECT_FALSE(hasChild(lot, p->getConstructionNode()));
    EXPECT_GT(lastBar, 0.77f);
}

TEST_F(ProcessTest, TheWorkTimeFollowsTheLevelsSpeedFactor) {
    std::vector<u32> workTimes;
    for (f32 factor : {1.0f, 2.0f}) {
        w.configuration->Factors.BuildTimeM = factor;
        removeTemplate("Helicopter");  // the cargo counts as delivered: the work starts at once
        CRefPtr<GConstructionProcess> p = construct("Hotel1");
        u32 t = 0;
        u32 start = 0;
        while (t < 20000 &&
               p->getConstructionPhase() < GConstructionProcess::ConstructionWorkDone) {
            tick(p.get());
            t += Tick;
            if (!start && p->getConstructionPhase() == GConstructionProcess::ConstructionWorking)
                start = t;
        }
        workTimes.push_back(t - start);
        runToEnd(p.get());
        lot->setProcess(BuildingProcessNone, nullptr);
    }
    // 5000 ms of work at the normal speed, half as long at twice the speed (a step's rounding).
    EXPECT_NEAR(workTimes[0], 5000.0, Tick * 2);
    EXPECT_NEAR(workTimes[1], 2500.0, Tick * 2);
}

TEST_F(ProcessTest, FlightKeysRunFromEntryToHoverToExitAndLeaveTheTemplateAlone) {
    struct Case {
        f32 x, y;  // the lot's position: the hover point is 104 right and 57 up of it
        std::vector<const char*> allowed;
    };
    const Case cases[] = {
        {100, 100, {"LeftUp"}},
        {400, 100, {"RightUp", "LeftUp"}},
        {800, 100, {"RightUp"}},
        {100, 300, {"LeftUp", "LeftDown"}},
        {400, 300, {"RightUp", "RightDown", "LeftUp", "LeftDown"}},
        {800, 300, {"RightUp", "RightDown"}},
        {100, 600, {"LeftDown"}},
        {400, 600, {"RightDown", "LeftDown"}},
        {800, 600, {"RightDown"}},
    };
    for (u32 seed : {1u, 2u, 3u, 4u, 5u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " seed " +
                         std::to_string(seed));
            lot->setPosition(vector3df(c.x, c.y, 0.0f));
            CRandom::instance().seed(seed);
            CRefPtr<GConstructionProcess> p = construct("Hotel1");
            const std::string direction = p->getDirectionName().c_str();
            bool allowed = false;
            for (const char* a : c.allowed) allowed |= direction == a;
            EXPECT_TRUE(allowed) << direction;
            const vector3df hover(c.x + 104.0f, c.y - 57.0f, 2000.0f);
            const s32 angle = direction == "RightUp"     ? -30
                              : direction == "RightDown" ? 30
                              : direction == "LeftUp"    ? 210
                                                         : 150;
            vector2df d(1000.0f, 0.0f);
            rotateVectorByDegrees(d, angle);
            const vector3df offset(d.X, d.Y, 0.0f);
            auto* in = static_cast<animation::KeyFrame*>(
                p->getHelicopter()->findState(id("MovingTo"))->findAnimation(id("Mover")));
            auto* out = static_cast<animation::KeyFrame*>(
                p->getHelicopter()->findState(id("MovingFrom"))->findAnimation(id("Mover")));
            EXPECT_TRUE(valueOf(in->getKeys()[0].values[0]).equals(hover - offset, 0.01f));
            EXPECT_TRUE(valueOf(in->getKeys()[1].values[0]).equals(hover, 0.01f));
            EXPECT_TRUE(valueOf(out->getKeys()[0].values[0]).equals(hover, 0.01f));
            EXPECT_TRUE(valueOf(out->getKeys()[1].values[0]).equals(hover + offset, 0.01f));
            EXPECT_EQ(in->getKeys()[1].t, 3333u);
            EXPECT_EQ(out->getKeys()[1].t, 3333u);
            p->abort();
            runToEnd(p.get());
            lot->setProcess(BuildingProcessNone, nullptr);
        }
    }
    // The template keeps its own keys.
    BaseNode* t = w.templates->findTemplate(id("Helicopter"));
    auto* keys =
        static_cast<animation::KeyFrame*>(t->findState(id("MovingTo"))->findAnimation(id("Mover")));
    EXPECT_TRUE(valueOf(keys->getKeys()[0].values[0]).equals(vector3df(0, 0, 0)));
    EXPECT_TRUE(valueOf(keys->getKeys()[1].values[0]).equals(vector3df(1, 0, 0)));
    EXPECT_EQ(keys->getKeys()[1].t, 100u);
}

TEST_F(ProcessTest, TheMiddleBandsDrawTheirDirectionFromTheRandomBits) {
    // The lot's hover point in the middle of both axes: two bits choose among four.
    const char* byBits[] = {"RightUp", "RightDown", "LeftUp", "LeftDown"};
    for (u32 seed = 1; seed <= 8; ++seed) {
        CRandom::instance().seed(seed);
        const u32 bits = CRandom::instance().next() & 3u;
        CRandom::instance().seed(seed);
        const auto plan = GConstructionProcess::planFlight(vector3df(400.0f, 300.0f, 0.0f));
        EXPECT_STREQ(plan.direction, byBits[bits]);
    }
}

TEST_F(ProcessTest, AnAbortInFlightTakesTheVehiclesAwayAndGivesBackTheResources) {
    CRefPtr<GLevelPath> path = carPath();
    CRefPtr<GConstructionProcess> p = construct("Hotel1", path.get());
    CRefPtr<SoundCue> rotor(p->getHelicopterSound());
    ASSERT_TRUE(rotor);
    for (int i = 0; i < 20; ++i) tick(p.get());
    lot->abortProcess();
    EXPECT_EQ(lot->getCurrentType()->Name, CNameId("Empty"));
    EXPECT_EQ(lot->getTemplateName(), id("Empty"));
    EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventResourcesReturned});
    EXPECT_EQ(events.materials, std::vector<f32>{10.0f});
    EXPECT_EQ(events.workers, std::vector<s32>{3});
    EXPECT_FALSE(tick(p.get()));
    EXPECT_TRUE(world->getChildren().empty());
    EXPECT_FALSE(p->getConstructionNode());
    // The rotor fades out over a second instead of stopping short.
    EXPECT_EQ(rotor->getFadeDuration(), GConstructionProcess::SoundFadeOutMs);
}

// The site's bar takes its own look from the collection as soon as the site stands.
TEST_F(ProcessTest, TheSitesBarAppliesItsOwnTemplate) {
    BaseNode* look = w.topTemplate("SiteBarLook");
    w.base(look, "SlidingArea");
    w.sprite(look, "Knob");
    auto* bar = static_cast<ControlNode*>(
        w.templates->findTemplate(id("Construction"))->findChildByName("ProgressBar"));
    ASSERT_NE(bar, nullptr);
    bar->setTemplateName(id("SiteBarLook"));
    CRefPtr<GConstructionProcess> p = construct("Hotel1");
    ASSERT_NE(p->getProgressBar(), nullptr);
    ControlNode* instance = p->getProgressBar()->getTemplateInstance();
    ASSERT_NE(instance, nullptr);
    EXPECT_NE(instance->findChildByName("Knob", 1), nullptr);
}

TEST_F(ProcessTest, EachMissingTemplateStillLetsTheConstructionEnd) {
    for (const char* missing : {"Helicopter", "Bus", "Construction"}) {
        SCOPED_TRACE(missing);
        events.ids.clear();
        removeTemplate(missing);
        CRefPtr<GLevelPath> path = carPath();
        CRefPtr<GConstructionProcess> p = construct("Hotel1", path.get());
        const u32 t = runToEnd(p.get());
        EXPECT_LT(t, 60000u);
        EXPECT_EQ(events.ids,
                  (std::vector<u32>{GameEventBuildingBuilt, GameEventResourcesReturned}));
        // The work itself still lasts its build time.
        EXPECT_GE(t, 5000u);
        lot->setProcess(BuildingProcessNone, nullptr);
        buildProcessTemplates();
    }
}

TEST_F(ProcessTest, AnUpgradedLodgingsNewStarFliesIntoItsRow) {
    GBuildingNode* hotel = w.lotNamed("B");
    removeTemplate("Helicopter");
    CRefPtr<GConstructionProcess> p = construct("Hotel3", nullptr, hotel);
    bool sawHiddenStar = false;
    bool running = true;
    for (u32 t = 0; running && t < 30000; t += Tick) {
        running = tick(p.get());
        if (p->getStarPhase() == GConstructionProcess::StarFlying && !sawHiddenStar) {
            sawHiddenStar = true;
            ASSERT_GE(hotel->getStars().size(), 2u);
            EXPECT_FALSE(hotel->getStars()[1]->isVisible());
            EXPECT_TRUE(hotel->getStars()[0]->isVisible());
            ASSERT_TRUE(p->getStarEffect());
            EXPECT_TRUE(p->getStarEffect()->isVisible());
            const vector3df star = hotel->getStarPosition();
            EXPECT_FLOAT_EQ(p->getStarEffect()->getPosition().X, star.X);
            EXPECT_FLOAT_EQ(p->getStarEffect()->getPosition().Z, 3000.0f);
        }
    }
    EXPECT_TRUE(sawHiddenStar);
    EXPECT_FALSE(running);
    EXPECT_TRUE(hotel->getStars()[1]->isVisible());
    EXPECT_FALSE(p->getStarEffect());
    EXPECT_TRUE(world->getChildren().empty());
}

TEST_F(ProcessTest, AFreedCatalogueLeavesARunningConstructionWhole) {
    removeTemplate("Helicopter");
    lot->setType(w.type("Hotel1"), false);
    // The construction holds the type record itself, as a reload of the catalogue frees it.
    CRefPtr<GConstructionProcess> p = makeRef<GConstructionProcess>(
        w.level.get(), lot, w.type("Hotel1"), world, w.templates.get(), nullptr, 0.0f, 1);
    lot->setProcess(BuildingProcessConstruction, p.get());
    for (int i = 0; i < 10; ++i) tick(p.get());
    w.level->setBuildingsConfiguration(nullptr);
    w.catalogue = nullptr;
    runToEnd(p.get());
    EXPECT_EQ(events.builtTypes, std::vector<std::string>{"Hotel1"});
}

// ---- Maintenance ----

TEST_F(ProcessTest, RepairTakesItsTimeFromTheWorkersArrivalAtTheLevelsSpeed) {
    GBuildingNode* hotel = w.lotNamed("B");
    for (f32 factor : {1.0f, 2.0f}) {
        SCOPED_TRACE(factor);
        events.ids.clear();
        w.configuration->Factors.BuildTimeM = factor;
        hotel->setProblemState(BuildingProblemBroken);
        auto p = makeRef<GRepairProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr,
                                         5.0f, 2);
        ASSERT_TRUE(p->getProgressBar());
        const u32 t = runToEnd(p.get());
        EXPECT_EQ(t, static_cast<u32>(2000.0f / factor));
        EXPECT_EQ(events.ids,
                  (std::vector<u32>{GameEventBuildingRepaired, GameEventResourcesReturned}));
        EXPECT_FALSE(p->getProgressBar());
    }
}

TEST_F(ProcessTest, TheMaintenanceBusLeavesTwoUpdatesAfterArriving) {
    GBuildingNode* hotel = w.lotNamed("B");
    CRefPtr<GLevelPath> path = carPath();
    auto p = makeRef<GCleaningProcess>(w.level.get(), hotel, world, w.templates.get(), path.get(),
                                       0.0f, 2);
    ASSERT_TRUE(p->getBus());
    int arrivedAt = -1;
    for (int i = 0; i < 400 && p->getPhase() < GWorkersBus::Leaving; ++i) {
        tick(p.get());
        if (arrivedAt < 0 && p->getPhase() >= GWorkersBus::AtLot) arrivedAt = i;
        if (p->getPhase() == GWorkersBus::Leaving) EXPECT_EQ(i - arrivedAt, 2);
    }
    EXPECT_EQ(p->getPhase(), GWorkersBus::Leaving);
    runToEnd(p.get());
    EXPECT_TRUE(world->getChildren().empty());
    EXPECT_EQ(events.ids, (std::vector<u32>{GameEventBuildingCleaned, GameEventResourcesReturned}));
}

TEST_F(ProcessTest, AnAbortedCleaningLeavesTheLotDirtyAndGivesEverythingBack) {
    GBuildingNode* hotel = w.lotNamed("B");
    hotel->setProblemState(BuildingProblemNone);
    auto p =
        makeRef<GCleaningProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr, 7.0f, 2);
    hotel->setProcess(BuildingProcessMaintenance, p.get());
    tick(p.get());
    hotel->abortProcess();
    EXPECT_FALSE(tick(p.get()));
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemDirty);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventResourcesReturned});
    EXPECT_EQ(events.materials, std::vector<f32>{7.0f});
    EXPECT_EQ(events.workers, std::vector<s32>{2});
}

// ---- Demolition and restoring ----

TEST_F(ProcessTest, DemolitionShowsThePlaceAndPlaysTheSettingsStates) {
    GBuildingNode* hotel = w.lotNamed("B");
    hotel->setType(w.type("Empty"), false);
    w.recordStates(hotel, "lot");
    auto p = makeRef<GDestroyProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr);
    hotel->setProcess(BuildingProcessDemolition, p.get());
    tick(p.get());
    EXPECT_EQ(hotel->getTemplateName(), id("BuildingPlace"));
    const u32 t = Tick + runToEnd(p.get());
    // 1500 ms of work, counted from the first step, and the step in which it ran out.
    EXPECT_EQ(t, 1500u + Tick);
    // From the work's start on (the place's own look enters "Done" before it).
    const std::vector<std::string> states = w.statesOf("lot");
    const std::vector<std::string> expected{"DestroySetting2", "Destroy", "DoneSetting2", "Done"};
    std::vector<std::string> seen;
    bool started = false;
    for (const std::string& s : states) {
        started |= s == "DestroySetting2";
        if (started &&
            (s == "Done" || s.rfind("Destroy", 0) == 0 || s.rfind("DoneSetting", 0) == 0))
            seen.push_back(s);
    }
    EXPECT_EQ(seen, expected);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), "Done");
    EXPECT_EQ(events.ids,
              (std::vector<u32>{GameEventBuildingDestroyed, GameEventResourcesReturned}));
}

TEST_F(ProcessTest, AbortedDemolitionBringsTheBuildingBack) {
    GBuildingNode* hotel = w.lotNamed("B");
    hotel->setType(w.type("Empty"), false);
    auto p = makeRef<GDestroyProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr);
    hotel->setProcess(BuildingProcessDemolition, p.get());
    ASSERT_TRUE(p->getWorkSound());
    CRefPtr<SoundCue> noise(p->getWorkSound());
    tick(p.get());
    hotel->abortProcess();
    EXPECT_EQ(hotel->getCurrentType()->Name, CNameId("Hotel1"));
    EXPECT_EQ(hotel->getTemplateName(), id("Hotel1"));
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventResourcesReturned});
    EXPECT_EQ(events.materials, std::vector<f32>{0.0f});
    EXPECT_EQ(noise->getFadeDuration(), GDestroyProcess::SoundFadeOutMs);
    EXPECT_FALSE(tick(p.get()));
}

TEST_F(ProcessTest, RestoringFitsItsAnimationsToTheLevelsSpeed) {
    GBuildingNode* hotel = w.lotNamed("B");
    // A part of the lot that rises while it is restored.
    BaseNode* ruin = w.base(hotel, "Rising");
    CRefPtr<animation::KeyFrame> rise = positionAnimation({{0, 0.0f, 0}, {777, 1.0f, 0}});
    ruin->addState(animatorWith("Restoring", {rise.get()}).get());
    hotel->setProblemState(BuildingProblemRuin);
    w.configuration->Factors.BuildTimeM = 2.0f;
    auto p = makeRef<GRestoringProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr,
                                        4.0f, 2);
    hotel->setProcess(BuildingProcessMaintenance, p.get());
    EXPECT_EQ(rise->getKeys()[1].t, 2500u);
    while (p->getRemaining() > 3000.0f) tick(p.get());
    const f32 left = p->getRemaining();
    w.configuration->Factors.BuildTimeM = 1.0f;
    tick(p.get());
    EXPECT_EQ(rise->getKeys()[1].t, static_cast<u32>(std::floor(left + 0.5f)));
    hotel->abortProcess();
    EXPECT_EQ(hotel->getProblemState(), BuildingProblemRuin);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventResourcesReturned});
    EXPECT_EQ(events.materials, std::vector<f32>{4.0f});
    EXPECT_FALSE(tick(p.get()));
}

// The parts of the lot's look (its template's copy) rise over the same time as its own parts.
TEST_F(ProcessTest, RestoringFitsTheAnimationsOfTheLotsLook) {
    GBuildingNode* hotel = w.lotNamed("B");
    ASSERT_NE(hotel->getTemplateInstance(), nullptr);
    BaseNode* image = hotel->getTemplateInstance()->findChildByName("Image", 1);
    ASSERT_NE(image, nullptr);
    CRefPtr<animation::KeyFrame> rise = positionAnimation({{0, 0.0f, 0}, {777, 1.0f, 0}});
    image->addState(animatorWith("Restoring", {rise.get()}).get());
    hotel->setProblemState(BuildingProblemRuin);
    w.configuration->Factors.BuildTimeM = 4.0f;
    auto p = makeRef<GRestoringProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr,
                                        1.0f, 1);
    EXPECT_EQ(rise->getKeys()[1].t,
              static_cast<u32>(std::floor(hotel->getCurrentType()->BuildTime / 4.0f + 0.5f)));
    EXPECT_NE(rise->getKeys()[1].t, 777u);
}

TEST_F(ProcessTest, RestoringWithAStoppedClockKeepsTheAnimationsAndItsProgressIsFull) {
    GBuildingNode* hotel = w.lotNamed("B");
    BaseNode* ruin = w.base(hotel, "Rising");
    CRefPtr<animation::KeyFrame> rise = positionAnimation({{0, 0.0f, 0}, {777, 1.0f, 0}});
    ruin->addState(animatorWith("Restoring", {rise.get()}).get());
    w.configuration->Factors.BuildTimeM = 0.0f;
    auto p = makeRef<GRestoringProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr,
                                        0.0f, 1);
    EXPECT_EQ(rise->getKeys()[1].t, 777u);
    hotel->getCurrentType()->BuildTime = 0.0f;
    EXPECT_FLOAT_EQ(p->getProgress(), 1.0f);
}

// ---- Features and services ----

TEST_F(ProcessTest, AFeatureWithItsOwnProcessIsReportedOnce) {
    GBuildingNode* cafe = w.lotNamed("B");
    cafe->setType(w.type("Cafe"), false);
    cafe->getCurrentType()->Type = 3;
    auto p = makeRef<GFeatureProcess>(w.level.get(), cafe, world, w.templates.get(), 0);
    cafe->setProcess(BuildingProcessFeature, p.get());
    ASSERT_TRUE(p->getProgressBar());
    f32 bar = 0.0f;
    bool running = true;
    for (u32 t = 0; running && t < 20000; t += Tick) {
        running = tick(p.get());
        if (running) {
            EXPECT_GE(p->getProgressBar()->getValue(), bar);
            bar = p->getProgressBar()->getValue();
        }
    }
    EXPECT_FALSE(running);
    w.run(200);
    EXPECT_EQ(events.features, std::vector<s32>{0});
    EXPECT_EQ(cafe->getProcessKind(), BuildingProcessNone);
}

TEST_F(ProcessTest, ATimedServiceRunsOnLevelTimeOnly) {
    GBuildingNode* shop = w.lotNamed("B");
    w.configuration->Factors.BuildTimeM = 2.0f;
    auto p = makeRef<GTimedServeProcess>(w.level.get(), shop, w.templates.get());
    u32 t = 0;
    while (p->update(Tick)) t += Tick;
    EXPECT_EQ(t, 2000u);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventBuildingProcessEnded});
    EXPECT_FALSE(p->getProgressBar());
}

TEST_F(ProcessTest, ACustomServiceByBusEndsOnceTheBusIsBack) {
    GBuildingNode* hotel = w.lotNamed("B");
    CRefPtr<GLevelPath> path = carPath();
    auto p =
        makeRef<GCustomServeProcess>(w.level.get(), hotel, world, w.templates.get(), path.get());
    ASSERT_TRUE(p->getBus());
    EXPECT_EQ(static_cast<GPathMovableNode*>(p->getBus())->Velocity,
              GBuildingProcess::ServiceBusSpeed);
    bool running = true;
    bool doneBeforeBack = false;
    for (u32 t = 0; running && t < 30000; t += Tick) {
        running = tick(p.get());
        if (running && !events.ids.empty() && p->getBus()) doneBeforeBack = true;
    }
    EXPECT_FALSE(running);
    EXPECT_TRUE(doneBeforeBack);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventCustomServeDone});
    EXPECT_TRUE(world->getChildren().empty());
}

TEST_F(ProcessTest, ACustomServiceWithoutAPathServesAtOnce) {
    GBuildingNode* hotel = w.lotNamed("B");
    auto p = makeRef<GCustomServeProcess>(w.level.get(), hotel, world, w.templates.get(), nullptr);
    EXPECT_FALSE(p->getBus());
    const u32 t = runToEnd(p.get());
    // One step to begin, the 2000 ms of service and the step past it, then back and done.
    EXPECT_EQ(t, 2000u + 4 * Tick);
    EXPECT_EQ(events.ids, std::vector<u32>{GameEventCustomServeDone});
}

// ---- Clouds ----

TEST_F(ProcessTest, CloudsComeThreeAtOnceThenOneMoreAndGoAtTheirPathsEnd) {
    auto clouds = makeRef<GCloudShadowEffect>(world, w.templates.get());
    EXPECT_EQ(clouds->getClouds().size(), 3u);
    EXPECT_TRUE(clouds->update(Tick));
    EXPECT_EQ(clouds->getClouds().size(), 4u);
    for (const CRefPtr<BaseNode>& c : clouds->getClouds()) {
        auto* m = static_cast<GPathMovableNode*>(c.get());
        EXPECT_GE(m->Velocity, 30.0f);
        EXPECT_LE(m->Velocity, 39.0f);
    }
    BaseNode* first = clouds->getClouds()[0].get();
    // 1500 units at 30 to 39 units per second: gone within 50 s.
    for (u32 t = 0; t < 51000; t += 1000) clouds->update(1000);
    for (const CRefPtr<BaseNode>& c : clouds->getClouds()) EXPECT_NE(c.get(), first);
    EXPECT_LT(clouds->getClouds().size(), 4u + 6u);
    EXPECT_EQ(world->getChildCount(), clouds->getClouds().size());
    clouds = nullptr;
    EXPECT_EQ(world->getChildCount(), 0u);
}

TEST_F(ProcessTest, CloudsWithoutTemplatesEnd) {
    auto clouds = makeRef<GCloudShadowEffect>(world, nullptr);
    EXPECT_TRUE(clouds->getClouds().empty());
    EXPECT_FALSE(clouds->update(Tick));
}

}  // namespace
