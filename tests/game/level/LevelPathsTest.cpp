// The level paths: reading "LevelPaths" files and the no-repeat choice of a path.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRandom.h"
#include "game/level/GLevelPaths.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;

namespace {

s32 idOf(const char* name) { return CNameId(name).getId(); }

CRefPtr<GLevelPaths> pathsOf(const std::string& xml, bool* complete = nullptr) {
    CRefPtr<GLevelPaths> paths = makeRef<GLevelPaths>();
    CRefPtr<CXmlReader> reader = test::readerOf(xml);
    const bool ok = paths->read(reader.get());
    if (complete) *complete = ok;
    return paths;
}

// One path element read as the only car path of the group "G" (or the only pedestrian path).
CRefPtr<GLevelPath> pathOf(const std::string& element, bool pedestrian = false) {
    const std::string section = pedestrian ? "PedestrianPaths" : "CarPaths";
    CRefPtr<GLevelPaths> paths =
        pathsOf("<LevelPaths><" + section + ">" + element + "</" + section + "></LevelPaths>");
    if (pedestrian)
        return paths->getPedestrianPaths().empty() ? nullptr : paths->getPedestrianPaths()[0];
    GLevelPaths::PathList group = paths->getCarPaths(idOf("G"));
    return group.empty() ? nullptr : group[0];
}

// Keeps the random generator's sequence position and puts it back afterwards.
class RandomState {
public:
    RandomState() { CRandom::instance().getLowGeneratorState(m_z, m_w); }
    void restore() const { CRandom::instance().setLowGeneratorState(m_z, m_w); }

private:
    u32 m_z = 0, m_w = 0;
};

}  // namespace

TEST(LevelPaths, PathAttributes) {
    const struct {
        const char* element;
        s32 time0, time1;
        std::vector<const char*> cars;
        bool bothWays;
    } cases[] = {
        {"<Path ID=\"G\"/>", 0, 0, {}, false},
        {"<Path ID=\"G\" Time=\"3000;6000\"/>", 3000, 6000, {}, false},
        {"<Path ID=\"G\" Time=\"3000 6000\"/>", 3000, 6000, {}, false},
        {"<Path ID=\"G\" Time=\"2500\"/>", 2500, 0, {}, false},
        {"<Path ID=\"G\" Time=\"ms: 12.9 to -4.5 and 7\"/>", 12, -4, {}, false},
        {"<Path ID=\"G\" Time=\"soon\"/>", 0, 0, {}, false},
        {"<Path ID=\"G\" Cars=\" Van ;\tTruck\r\n;; Taxi\"/>",
         0,
         0,
         {"Van", "Truck", "Taxi"},
         false},
        {"<Path ID=\"G\" b=\"0\"/>", 0, 0, {}, true},
        {"<Path ID=\"G\" b=\"yes\"/>", 0, 0, {}, true},
        {"<Path ID=\"G\" b=\"\"/>", 0, 0, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        CRefPtr<GLevelPath> path = pathOf(c.element);
        ASSERT_TRUE(path);
        EXPECT_EQ(path->ID, idOf("G"));
        EXPECT_EQ(path->Time[0], c.time0);
        EXPECT_EQ(path->Time[1], c.time1);
        ASSERT_EQ(path->Cars.size(), c.cars.size());
        for (size_t i = 0; i < c.cars.size(); ++i)
            EXPECT_EQ(path->Cars[i].getName(), stringc(c.cars[i]));
        EXPECT_EQ(path->BothWays, c.bothWays);
        EXPECT_TRUE(path->Points.empty());
    }
}

TEST(LevelPaths, PointsAndTheirDeviations) {
    CRefPtr<GLevelPath> path = pathOf(
        "<Path ID=\"G\"><p p=\"10;20\"/><Other p=\"1;1\"/><p p=\"30.5 -40.25\" d1=\"4\" "
        "d2=\"6.5\"/>"
        "<p p=\"7\" d2=\"2\"/><p/></Path>");
    ASSERT_TRUE(path);
    const SLevelPathPoint expected[] = {{10.0f, 20.0f, 0.0f, 0.0f},
                                        {30.5f, -40.25f, 4.0f, 6.5f},
                                        {7.0f, 0.0f, 0.0f, 2.0f},
                                        {0.0f, 0.0f, 0.0f, 0.0f}};
    ASSERT_EQ(path->Points.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(path->Points[i].x, expected[i].x);
        EXPECT_FLOAT_EQ(path->Points[i].y, expected[i].y);
        EXPECT_FLOAT_EQ(path->Points[i].d1, expected[i].d1);
        EXPECT_FLOAT_EQ(path->Points[i].d2, expected[i].d2);
    }
}

TEST(LevelPaths, GroupsAndThePedestrianList) {
    bool complete = false;
    CRefPtr<GLevelPaths> paths = pathsOf(
        "<?xml version=\"1.0\"?><LevelPaths>"
        "<PedestrianPaths><Path><p p=\"1;1\"/></Path><Path ID=\"Walk\"/></PedestrianPaths>"
        "<Unknown><Path ID=\"A\"/></Unknown>"
        "<CarPaths><Path ID=\"A\" Time=\"1\"/><Path/><Path ID=\"\"/><Path ID=\"B\"/><Path ID=\"A\" "
        "Time=\"2\"/>"
        "</CarPaths><CarPaths/><CarPaths><Path ID=\"A\" Time=\"3\"/></CarPaths>"
        "</LevelPaths><LevelPaths><CarPaths><Path ID=\"Late\"/></CarPaths></LevelPaths>",
        &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(paths->getCarGroupCount(), 2u);  // paths without a name are not kept
    GLevelPaths::PathList a = paths->getCarPaths(idOf("A"));
    ASSERT_EQ(a.size(), 3u);  // in file order, over both sections
    for (s32 i = 0; i < 3; ++i) EXPECT_EQ(a[static_cast<size_t>(i)]->Time[0], i + 1);
    EXPECT_EQ(paths->getCarPaths(idOf("B")).size(), 1u);
    EXPECT_TRUE(paths->getCarPaths(idOf("Late")).empty());  // reading ended with the first root
    EXPECT_TRUE(paths->getCarPaths(idOf("Nowhere")).empty());
    ASSERT_EQ(paths->getPedestrianPaths().size(), 2u);  // kept with or without a name
    EXPECT_EQ(paths->getPedestrianPaths()[0]->ID, -1);
    EXPECT_EQ(paths->getPedestrianPaths()[0]->Points.size(), 1u);
    EXPECT_EQ(paths->getPedestrianPaths()[1]->ID, idOf("Walk"));
}

TEST(LevelPaths, ReadingDropsWhatWasThereAndTellsAnIncompleteFile) {
    CRefPtr<GLevelPaths> paths = pathsOf(
        "<LevelPaths><CarPaths><Path ID=\"A\"/></CarPaths>"
        "<PedestrianPaths><Path/></PedestrianPaths></LevelPaths>");
    ASSERT_NE(paths->getRandomCarPath(idOf("A")), nullptr);
    CRefPtr<CXmlReader> reader =
        test::readerOf("<LevelPaths><CarPaths><Path ID=\"B\"/></CarPaths>");
    EXPECT_FALSE(paths->read(reader.get()));  // no end of "LevelPaths"
    EXPECT_EQ(paths->getRandomCarPath(idOf("A")), nullptr);
    EXPECT_NE(paths->getRandomCarPath(idOf("B")), nullptr);  // what was read stays
    EXPECT_EQ(paths->getRandomPedestrianPath(), nullptr);
    EXPECT_FALSE(paths->read(nullptr));
    EXPECT_EQ(paths->getRandomCarPath(idOf("B")), nullptr);
    EXPECT_EQ(paths->getCarGroupCount(), 0u);
}

TEST(LevelPaths, EmptyPathsGiveNoPath) {
    GLevelPaths paths;
    EXPECT_EQ(paths.getRandomCarPath(idOf("NeutralCar")), nullptr);
    EXPECT_EQ(paths.getRandomCarPath(-1), nullptr);
    EXPECT_EQ(paths.getRandomPedestrianPath(), nullptr);
    EXPECT_TRUE(paths.getCarPaths(idOf("NeutralCar")).empty());
}

TEST(LevelPaths, OnePathComesEveryTimeAndTwoAlternate) {
    CRefPtr<GLevelPaths> paths = pathsOf(
        "<LevelPaths><CarPaths><Path ID=\"One\"/><Path ID=\"Two\" Time=\"1\"/><Path ID=\"Two\" "
        "Time=\"2\"/>"
        "</CarPaths><PedestrianPaths><Path Time=\"1\"/><Path "
        "Time=\"2\"/></PedestrianPaths></LevelPaths>");
    GLevelPath* one = paths->getCarPaths(idOf("One"))[0].get();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(paths->getRandomCarPath(idOf("One")), one);
    for (int round = 0; round < 5; ++round) {
        CRandom::instance().seed(static_cast<u32>(round * 977 + 5));
        GLevelPath* previous = paths->getRandomCarPath(idOf("Two"));
        GLevelPath* previousWalk = paths->getRandomPedestrianPath();
        for (int i = 0; i < 20; ++i) {
            GLevelPath* next = paths->getRandomCarPath(idOf("Two"));
            EXPECT_NE(next, previous);
            previous = next;
            GLevelPath* nextWalk = paths->getRandomPedestrianPath();
            EXPECT_NE(nextWalk, previousWalk);
            previousWalk = nextWalk;
        }
    }
}

// The choice over a seeded generator: the first draw is taken modulo n, every later one modulo
// n - 1 with the last choice standing in for the highest index.
TEST(LevelPaths, NoRepeatChoiceOverASeededGenerator) {
    CRandom::instance().seed(20261211u);
    RandomState state;
    std::vector<u32> draws;
    for (int i = 0; i < 64; ++i) draws.push_back(CRandom::instance().next());
    state.restore();

    const u32 n = 4;
    s32 last = -1;
    std::vector<s32> chosen;
    for (int i = 0; i < 64; ++i) chosen.push_back(GLevelPaths::chooseIndex(n, last));
    EXPECT_EQ(chosen[0], static_cast<s32>(draws[0] % n));
    std::vector<u32> counts(n, 0);
    for (size_t i = 1; i < chosen.size(); ++i) {
        SCOPED_TRACE(i);
        const s32 drawn = static_cast<s32>(draws[i] % (n - 1));
        EXPECT_EQ(chosen[i], drawn == chosen[i - 1] ? static_cast<s32>(n - 1) : drawn);
        EXPECT_NE(chosen[i], chosen[i - 1]);
        ++counts[static_cast<size_t>(chosen[i])];
    }
    for (u32 c : counts) EXPECT_GT(c, 0u);  // every index is reachable
    EXPECT_EQ(last, chosen.back());

    s32 single = 0;  // a single entry is always chosen, whatever the last choice
    EXPECT_EQ(GLevelPaths::chooseIndex(1, single), 0);
    s32 none = -1;
    EXPECT_EQ(GLevelPaths::chooseIndex(0, none), -1);
}

TEST(LevelPaths, GroupsKeepTheirOwnLastChoice) {
    CRefPtr<GLevelPaths> paths = pathsOf(
        "<LevelPaths><CarPaths><Path ID=\"A\"/><Path ID=\"A\"/><Path ID=\"A\"/><Path "
        "ID=\"B\"/><Path ID=\"B\"/>"
        "<Path ID=\"B\"/></CarPaths></LevelPaths>");
    const GLevelPaths::PathList a = paths->getCarPaths(idOf("A"));
    const GLevelPaths::PathList b = paths->getCarPaths(idOf("B"));
    auto indexIn = [](const GLevelPaths::PathList& list, GLevelPath* path) {
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == path) return static_cast<s32>(i);
        return -1;
    };
    CRandom::instance().seed(7u);
    s32 lastA = -1, lastB = -1;
    std::set<s32> seenA;
    for (int i = 0; i < 60; ++i) {
        const s32 ia = indexIn(a, paths->getRandomCarPath(idOf("A")));
        const s32 ib = indexIn(b, paths->getRandomCarPath(idOf("B")));
        ASSERT_NE(ia, -1);
        ASSERT_NE(ib, -1);
        EXPECT_NE(ia, lastA);
        EXPECT_NE(ib, lastB);
        lastA = ia;
        lastB = ib;
        seenA.insert(ia);
    }
    EXPECT_EQ(seenA.size(), 3u);
}

// The main menu's street file as committed: every group its movers ask for has paths of at least
// two points, lying in the band where the movers' sizes are worked out from their heights.
TEST(LevelPaths, TheMenuStreetFileFitsTheMoversBands) {
    std::ifstream file(std::string(BRASQUEL_ASSETS_DIR) + "/scenes/BgTrafficPaths.xml",
                       std::ios::binary);
    ASSERT_TRUE(file.good());
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    bool complete = false;
    CRefPtr<GLevelPaths> paths = pathsOf(bytes, &complete);
    ASSERT_TRUE(complete);

    const struct {
        const char* group;
        f32 top, bottom;  // the heights every point keeps to
        bool bothWays;
    } groups[] = {{"Bike", 700.0f, 735.0f, false},
                  {"Path", 660.0f, 870.0f, true},
                  {"Clouds", 0.0f, 450.0f, false}};
    for (const auto& g : groups) {
        SCOPED_TRACE(g.group);
        const GLevelPaths::PathList list = paths->getCarPaths(idOf(g.group));
        ASSERT_FALSE(list.empty());
        for (const auto& path : list) {
            ASSERT_GE(path->Points.size(), 2u);
            EXPECT_EQ(path->BothWays, g.bothWays);
            for (const SLevelPathPoint& p : path->Points) {
                EXPECT_GE(p.y, g.top);
                EXPECT_LE(p.y, g.bottom);
            }
        }
    }
    // Cars come from the street band's far end and leave below the screen (a car driving away
    // is heard as it comes up past y 800).
    for (const auto& lane : paths->getCarPaths(idOf("Path"))) {
        EXPECT_LE(lane->Points.front().y, 668.0f);
        EXPECT_GT(lane->Points.back().y, 800.0f);
    }
    ASSERT_FALSE(paths->getPedestrianPaths().empty());
    for (const auto& path : paths->getPedestrianPaths()) {
        ASSERT_GE(path->Points.size(), 2u);
        EXPECT_TRUE(path->BothWays);
        for (const SLevelPathPoint& p : path->Points) {
            EXPECT_GE(p.y, 660.0f);
            EXPECT_LE(p.y, 870.0f);
            EXPECT_GT(p.d1 + p.d2, 0.0f);  // walkers wander a little
        }
    }
}
