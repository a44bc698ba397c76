// The rectangle node on a recording driver (its fill and outline, the top edge's start, the
// parents' transform and colour, copies and properties) and the once spawner on node content of
// its own (its one seeded attempt, its lists, what it saves and copies, a car it places).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/video/CQuadBatcher.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GPathMovers.h"
#include "game/world/GRectangleNode.h"
#include "game/world/OnceSpawnerNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/scene/NodeTestSupport.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

// ---- Rectangle ----

constexpr f32 kWidth = 40.0f;
constexpr f32 kHeight = 20.0f;

// A rectangle of 40 x 20 at (10, 30) under a parent of the given rotation, scale and tint.
struct RectangleUnderParent {
    RectangleUnderParent(u32 border, u32 fill, f32 rotation = 0.0f, f32 scale = 1.0f,
                         u32 tint = 0xFFFFFFFFu) {
        parent = makeRef<BaseNode>(CCreationContext());
        parent->setRotation(vector3df(0.0f, 0.0f, rotation));
        parent->setScale(vector3df(scale, scale, 1.0f));
        parent->setTintColor(tint);
        rectangle = new GRectangleNode(CCreationContext());
        rectangle->setPosition(vector3df(10.0f, 30.0f, 0.0f));
        rectangle->setBounds(kWidth, kHeight);
        rectangle->BorderColor = border;
        rectangle->FillColor = fill;
        parent->addChild(rectangle);
        rectangle->drop();
        DrawList list;
        parent->render(list);
    }

    // The draws of one renderClipped.
    const std::vector<RecordingDriver::Draw>& draw() {
        rectangle->renderClipped(&driver, nullptr);
        return driver.draws;
    }

    CRefPtr<BaseNode> parent;
    GRectangleNode* rectangle = nullptr;
    RecordingDriver driver;
};

std::vector<vector2df> positions(const RecordingDriver::Draw& d) {
    std::vector<vector2df> out;
    for (const S2DVertex& v : d.vertices) {
        EXPECT_EQ(v.Pos.Z, 0.0f);
        EXPECT_EQ(v.TCoords, vector2df(0.0f, 0.0f));
        out.emplace_back(v.Pos.X, v.Pos.Y);
    }
    return out;
}

void expectColour(const RecordingDriver::Draw& d, u32 argb) {
    for (const S2DVertex& v : d.vertices) EXPECT_EQ(v.Color.color, argb);
}

// ---- Spawner ----

// The generator as the engine's instance stands now: its draws tell what the next attempt does.
CRandom& oracleOfInstance(CRandom& oracle) {
    u32 z = 0, w = 0;
    CRandom::instance().getLowGeneratorState(z, w);
    oracle.setLowGeneratorState(z, w);
    return oracle;
}

bool sameGeneratorState(CRandom& oracle) {
    u32 z = 0, w = 0, oz = 0, ow = 0;
    CRandom::instance().getLowGeneratorState(z, w);
    oracle.getLowGeneratorState(oz, ow);
    return z == oz && w == ow;
}

std::string runningState(const BaseNode* node) {
    const Animator* running = node ? node->getRunningAnimator() : nullptr;
    return running ? CNameTable::instance().getName(running->getState()).c_str() : std::string();
}

class OnceSpawnerTest : public ::testing::Test {
protected:
    OnceSpawnerTest() {
        CRandom::instance().seed(11);
        scene = content.showScene();
        // "Kiosk": a body (a rectangle, which collects a draw entry) that idles by itself and
        // may be put into "Open" or "Closed"; hidden as a template.
        auto kiosk = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        kiosk->setNameId(id("Kiosk"));
        kiosk->setVisible(false);
        auto body = makeRef<GRectangleNode>(CCreationContext(content.manager, ""));
        body->setNameId(id("Body"));
        for (const char* state : {"Idle", "Open", "Closed"})
            body->addState(animatorWith(state).get());
        body->setDefaultState(id("Idle"));
        kiosk->addChild(body.get());
        content.templates->addTemplate(kiosk.get());
        auto stall = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        stall->setNameId(id("Stall"));
        content.templates->addTemplate(stall.get());
        auto car = makeRef<GCarNode>(CCreationContext(content.manager, ""));
        car->setNameId(id("ParkedCar"));
        content.templates->addTemplate(car.get());
    }

    CRefPtr<OnceSpawnerNode> place(const char* templates, const char* states, s32 percent,
                                   BaseNode* parent = nullptr) {
        auto node = makeRef<OnceSpawnerNode>(CCreationContext(content.manager, ""));
        node->setObjTemplateIDs(templates);
        node->setObjState(states);
        node->ShowLevelPercent = percent;
        (parent ? parent : scene)->addChild(node.get());
        return node;
    }

    DrawList draw() {
        DrawList list;
        scene->render(list);
        return list;
    }

    std::string saved(BaseNode* node, const char* name) {
        const std::filesystem::path file = content.dir / name;
        {
            CRefPtr<CXmlWriter> writer = CRefPtr<CXmlWriter>::fromRaw(
                content.fileSystem->createXmlWriter(stringc(file.string().c_str())));
            EXPECT_TRUE(writer);
            if (!writer) return std::string();
            writer->writeXMLHeader();
            EXPECT_TRUE(node->saveXml(writer.get()));
        }
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::string text;
        for (char c : bytes)
            if (c != 0) text += c;  // wide or narrow, the names read the same
        return text;
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

// ---- Rectangle ----

TEST(RectangleNode, ClassIdentityDefaultsAndMaterial) {
    GRectangleNode node{CCreationContext()};
    EXPECT_EQ(node.getClassName(), stringw(L"GRectangleNode"));
    EXPECT_EQ(node.getThisClassName(), stringw(L"GRectangleNode"));
    EXPECT_EQ(node.getTypeId(), GameNodeTypeRectangleNode);
    EXPECT_TRUE(node.isKindOf(GameNodeTypeRectangleNode));
    EXPECT_TRUE(node.isKindOf(NodeTypeBase));
    EXPECT_FALSE(node.isKindOf(NodeTypeControl));
    EXPECT_EQ(node.BorderColor, 0u);
    EXPECT_EQ(node.FillColor, 0u);
    const SMaterial& m = node.getMaterial();
    EXPECT_EQ(m.MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
    EXPECT_EQ(m.LayerCount, 0u);  // no texture stage at all
    EXPECT_FALSE(m.Lighting);
    EXPECT_FALSE(m.GouraudShading);
    EXPECT_FALSE(m.ZWriteEnable);
    EXPECT_EQ(m.ZBuffer, ECFN_NEVER);
    EXPECT_FALSE(node.hitTest(vector2df(20.0f, 20.0f)));
}

// Each part is drawn only when its colour shows: fill first (a fan over 1..W x 1..H), then the
// outline (four separate lines over five corners).
TEST(RectangleNode, FillAndOutlineAreDrawnWhenTheirColoursShow) {
    const struct {
        u32 border, fill;
        bool fillDrawn, borderDrawn;
    } cases[] = {{0, 0xFF0000FFu, true, false},
                 {0xFFFF0000u, 0, false, true},
                 {0xFFFF0000u, 0xFF0000FFu, true, true},
                 {0, 0, false, false},
                 {0x00FF0000u, 0x000000FFu, false, false}};  // colour without alpha: nothing
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.border << " " << c.fill);
        RectangleUnderParent r(c.border, c.fill);
        const auto& draws = r.draw();
        ASSERT_EQ(draws.size(), static_cast<size_t>(c.fillDrawn) + (c.borderDrawn ? 1 : 0));
        size_t next = 0;
        if (c.fillDrawn) {
            const RecordingDriver::Draw& d = draws[next++];
            EXPECT_EQ(d.vertexCount, 4u);
            EXPECT_EQ(d.primitiveCount, 2u);
            EXPECT_EQ(d.vertexType, static_cast<u32>(EVT_2D));
            EXPECT_EQ(d.primitiveType, static_cast<u32>(EPT_TRIANGLE_FAN));
            EXPECT_TRUE(d.indices.empty());
            EXPECT_EQ(positions(d), (std::vector<vector2df>{{1, 1}, {kWidth, 1}, {kWidth, kHeight},
                                                            {1, kHeight}}));
            expectColour(d, c.fill);
        }
        if (c.borderDrawn) {
            const RecordingDriver::Draw& d = draws[next++];
            EXPECT_EQ(d.vertexCount, 5u);
            EXPECT_EQ(d.primitiveCount, 4u);
            EXPECT_EQ(d.vertexType, static_cast<u32>(EVT_2D));
            EXPECT_EQ(d.primitiveType, static_cast<u32>(EPT_LINES));
            EXPECT_EQ(d.indices, (std::vector<u16>{0, 1, 1, 2, 2, 3, 3, 4}));
            EXPECT_EQ(positions(d), (std::vector<vector2df>{{0, 1},
                                                            {kWidth, 1},
                                                            {kWidth, kHeight},
                                                            {1, kHeight},
                                                            {1, 1}}));
            expectColour(d, c.border);
        }
        for (const auto& d : draws) {
            EXPECT_EQ(d.material.MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
            EXPECT_EQ(d.material.LayerCount, 0u);
            // Drawn in the node's absolute transform, in 2D mode.
            EXPECT_EQ(d.world, r.rectangle->getAbsoluteTransform());
        }
        EXPECT_EQ(r.driver.modeSwitches, 1);
        EXPECT_TRUE(r.driver.getTransform(ETS_WORLD).isIdentity());  // set back after
    }
}

// With both colours at 0 nothing is drawn, yet the node still collects its entry; a node of no
// absolute alpha collects none, and a hidden one hides its children.
TEST(RectangleNode, TheDrawEntryFollowsTheAbsoluteAlphaAndVisibility) {
    auto node = makeRef<GRectangleNode>(CCreationContext());
    node->setPosition(vector3df(0.0f, 0.0f, 250.0f));
    auto* child = new GRectangleNode(CCreationContext());
    node->addChild(child);
    child->drop();
    DrawList list;
    node->render(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].node, node.get());
    EXPECT_EQ(list[0].depth, 250.0f);
    EXPECT_EQ(list[1].node, child);
    RecordingDriver driver;
    node->renderClipped(&driver, nullptr);
    EXPECT_TRUE(driver.draws.empty());

    node->setTintColor(0x00FFFFFFu);
    list.clear();
    node->render(list);
    ASSERT_EQ(list.size(), 0u);  // the child's alpha follows its parent's

    node->setTintColor(0xFFFFFFFFu);
    node->setChildrenClipped(true);  // no effect: the children still collect here
    list.clear();
    node->render(list);
    EXPECT_EQ(list.size(), 2u);

    node->setVisible(false);
    list.clear();
    node->render(list);
    EXPECT_TRUE(list.empty());
}

// The batch queued before the rectangle is drawn below it.
TEST(RectangleNode, TheQueuedBatchIsDrawnFirst) {
    RectangleUnderParent r(0xFFFF0000u, 0xFF0000FFu);
    SMaterial solid;
    r.driver.getQuadBatcher()->addQuadCorners(
        &solid, vector2df(0, 0), vector2df(8, 0), vector2df(8, 8), vector2df(0, 8),
        vector2df(0, 0), vector2df(1, 0), vector2df(1, 1), vector2df(0, 1), 0.0f, SColor(0xFFFFFFFFu));
    const auto& draws = r.draw();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].vertexCount, 4u);
    EXPECT_EQ(draws[0].primitiveType, static_cast<u32>(EPT_TRIANGLES));  // the batch
    EXPECT_EQ(draws[1].primitiveType, static_cast<u32>(EPT_TRIANGLE_FAN));
    EXPECT_EQ(draws[2].primitiveType, static_cast<u32>(EPT_LINES));
}

// The top edge starts at x 0 above an x scale of 0.9 (the matrix diagonal), at x 1 otherwise: a
// parent turned by 45 degrees puts cos 45 on the diagonal, so its rectangle starts at 1.
TEST(RectangleNode, TheTopEdgeStartsByTheDiagonalXScale) {
    const struct {
        f32 rotation, scale, x0;
    } cases[] = {{0.0f, 1.0f, 0.0f},  {0.0f, 0.95f, 0.0f}, {0.0f, 0.9f, 1.0f},
                 {0.0f, 0.5f, 1.0f},  {0.0f, 2.0f, 0.0f},  {45.0f, 1.0f, 1.0f},
                 {45.0f, 1.5f, 0.0f}};  // 1.5 cos 45 = 1.06
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotation << " degrees, scale " << c.scale);
        RectangleUnderParent r(0xFFFFFFFFu, 0, c.rotation, c.scale);
        const auto& draws = r.draw();
        ASSERT_EQ(draws.size(), 1u);
        ASSERT_EQ(draws[0].vertices.size(), 5u);
        EXPECT_EQ(draws[0].vertices[0].Pos.X, c.x0);
        EXPECT_EQ(draws[0].vertices[4].Pos.X, 1.0f);
        // The whole transform goes to the driver: turned and scaled with the parent.
        EXPECT_EQ(draws[0].world, r.rectangle->getAbsoluteTransform());
        vector3df corner(kWidth, 1.0f, 0.0f);
        draws[0].world.transformVect(corner);
        EXPECT_EQ(corner, r.rectangle->transformPoint(vector3df(kWidth, 1.0f, 0.0f)));
    }
}

// The parents' colour modulates both colours: half alpha halves both.
TEST(RectangleNode, AHalfAlphaParentHalvesBothAlphas) {
    RectangleUnderParent r(0xFFFF0000u, 0xFF0000FFu, 0.0f, 1.0f, 0x80FFFFFFu);
    const auto& draws = r.draw();
    ASSERT_EQ(draws.size(), 2u);
    expectColour(draws[0], 0x800000FFu);
    expectColour(draws[1], 0x80FF0000u);
    // A tinted parent modulates each channel.
    RectangleUnderParent tinted(0xFFFFFFFFu, 0xFF808080u, 0.0f, 1.0f, 0xFF00FF00u);
    const auto& t = tinted.draw();
    ASSERT_EQ(t.size(), 2u);
    expectColour(t[0], 0xFF008000u);
    expectColour(t[1], 0xFF00FF00u);
}

TEST(RectangleNode, ACloneKeepsBothColours) {
    auto node = makeRef<GRectangleNode>(CCreationContext());
    node->BorderColor = 0xFF102030u;
    node->FillColor = 0x80405060u;
    node->setBounds(12.0f, 7.0f);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    ASSERT_TRUE(copy && copy->isKindOf(GameNodeTypeRectangleNode));
    auto* rectangle = static_cast<GRectangleNode*>(copy.get());
    EXPECT_EQ(rectangle->BorderColor, 0xFF102030u);
    EXPECT_EQ(rectangle->FillColor, 0x80405060u);
    EXPECT_EQ(rectangle->getBounds(), node->getBounds());
    // A copy from another class leaves the colours.
    BaseNode plain{CCreationContext()};
    rectangle->copyFrom(&plain, nullptr);
    EXPECT_EQ(rectangle->BorderColor, 0xFF102030u);
}

// Load -> save -> load gives the same colours; defaults are not written; another type reads as
// 0 and an absent name leaves the colour.
TEST(RectangleNode, PropertiesLoadSaveLoad) {
    auto set = makeRef<CPropertySet>();
    set->addColor("BorderColor", SColor(0xFF112233u));
    set->addColor("FillColor", SColor(0x7F445566u));
    GRectangleNode first{CCreationContext()};
    first.loadProperties(set.get());
    EXPECT_EQ(first.BorderColor, 0xFF112233u);
    EXPECT_EQ(first.FillColor, 0x7F445566u);
    auto saved = makeRef<CPropertySet>();
    first.saveProperties(saved.get());
    EXPECT_LT(saved->getPropertyIndex("BorderColor"), saved->getPropertyIndex("FillColor"));
    GRectangleNode second{CCreationContext()};
    second.loadProperties(saved.get());
    EXPECT_EQ(second.BorderColor, 0xFF112233u);
    EXPECT_EQ(second.FillColor, 0x7F445566u);

    GRectangleNode plain{CCreationContext()};
    auto empty = makeRef<CPropertySet>();
    plain.saveProperties(empty.get());
    EXPECT_LT(empty->getPropertyIndex("BorderColor"), 0);
    EXPECT_LT(empty->getPropertyIndex("FillColor"), 0);

    auto wrong = makeRef<CPropertySet>();
    wrong->addInt("BorderColor", 0x7FFFFFFF);
    second.loadProperties(wrong.get());
    EXPECT_EQ(second.BorderColor, 0u);
    EXPECT_EQ(second.FillColor, 0x7F445566u);

    // The property table boxes the colours and takes a colour only.
    for (const auto& row : second.getPropertyTable()) {
        if (row.name == "FillColor") {
            EXPECT_EQ(unboxPropertyColor(row.getter(&second).get()).color, 0x7F445566u);
            row.setter(&second, makePropertyDataColor(0xFF000001u));
            EXPECT_EQ(second.FillColor, 0xFF000001u);
            row.setter(&second, makeStringProperty("red"));
            EXPECT_EQ(second.FillColor, 0u);
        }
    }
}

// ---- Spawner ----

TEST_F(OnceSpawnerTest, ClassIdentityAndDefaults) {
    OnceSpawnerNode node{CCreationContext()};
    EXPECT_EQ(node.getClassName(), stringw(L"OnceSpawnerNode"));
    EXPECT_EQ(node.getThisClassName(), stringw(L"OnceSpawnerNode"));
    EXPECT_EQ(node.getTypeId(), GameNodeTypeOnceSpawnerNode);
    EXPECT_TRUE(node.isKindOf(GameNodeTypeOnceSpawnerNode));
    EXPECT_TRUE(node.isKindOf(NodeTypeBase));
    EXPECT_FALSE(node.isKindOf(NodeTypeControl));
    EXPECT_EQ(node.ShowLevelPercent, 50);
    EXPECT_TRUE(node.isSpawnPending());
    EXPECT_TRUE(node.getTemplateIds().empty());
    EXPECT_TRUE(node.getStateIds().empty());
    EXPECT_EQ(node.getObjTemplateIDs(), stringc(""));
}

// At 100 the one template is always copied as the spawner's last child, internal and visible
// (the template is hidden), in the one state, and it collects in the same frame.
TEST_F(OnceSpawnerTest, AtOneHundredTheTemplateIsSpawnedInItsState) {
    auto marker = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    auto spawner = place("Kiosk", "Closed", 100);
    spawner->addChild(marker.get());
    CRandom oracle;
    oracleOfInstance(oracle);
    const DrawList list = draw();
    EXPECT_FALSE(spawner->isSpawnPending());
    ASSERT_EQ(spawner->getChildCount(), 2u);
    BaseNode* copy = spawner->getChildren()[1];
    EXPECT_EQ(spawner->getSpawned(), copy);
    EXPECT_EQ(copy->getNameId(), id("Kiosk"));
    EXPECT_NE(copy, content.templates->findTemplate(id("Kiosk")));
    EXPECT_EQ(copy->getParent(), spawner.get());
    EXPECT_TRUE(copy->isInternal());
    EXPECT_TRUE(copy->isVisible());
    EXPECT_EQ(runningState(copy->findChildByName("Body", 1)), "Closed");
    // The chance, the template and the state: three draws.
    oracle.nextInt(1, 99);
    oracle.nextInt(0, 1);
    oracle.nextInt(0, 1);
    EXPECT_TRUE(sameGeneratorState(oracle));
    // Drawn in the frame of the attempt: the spawner's subtree has the copy in it.
    const BaseNode* body = copy->findChildByName("Body", 1);
    bool collected = false;
    for (const SDrawItem& item : list)
        if (item.node == body) collected = true;
    EXPECT_TRUE(collected);
    // One attempt only: later frames change nothing.
    draw();
    draw();
    EXPECT_EQ(spawner->getChildCount(), 2u);
    EXPECT_TRUE(sameGeneratorState(oracle));
}

// At 1 or 0 nothing is ever spawned; the chance is still drawn, once.
TEST_F(OnceSpawnerTest, AtOneOrZeroNothingIsSpawnedAndTheGeneratorAdvancesOnce) {
    for (s32 percent : {1, 0, -20}) {
        SCOPED_TRACE(percent);
        auto spawner = place("Kiosk;Stall", "Open", percent);
        CRandom oracle;
        oracleOfInstance(oracle);
        draw();
        oracle.nextInt(1, 99);
        EXPECT_TRUE(sameGeneratorState(oracle));
        EXPECT_FALSE(spawner->isSpawnPending());
        EXPECT_EQ(spawner->getChildCount(), 0u);
        draw();
        EXPECT_TRUE(sameGeneratorState(oracle));
        scene->removeChild(spawner.get());
    }
}

// The chance: a draw in 1..98 below ShowLevelPercent spawns, and the template and the state are
// the generator's picks.
TEST_F(OnceSpawnerTest, TheSeededDrawsDecideWhetherAndWhatIsSpawned) {
    const char* const templates[] = {"Kiosk", "Stall"};
    const char* const states[] = {"Open", "Closed"};
    u32 spawned = 0, skipped = 0;
    for (u32 seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        CRandom::instance().seed(seed);
        const s32 percent = 30 + static_cast<s32>(seed % 3) * 20;  // 30, 50, 70
        auto spawner = place("Kiosk;Stall", "Open;Closed", percent);
        CRandom oracle;
        oracleOfInstance(oracle);
        const s32 r = oracle.nextInt(1, 99);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 98);
        draw();
        if (r < percent) {
            ++spawned;
            const char* name = templates[oracle.nextInt(0, 2)];
            const char* state = states[oracle.nextInt(0, 2)];
            BaseNode* copy = spawner->getSpawned();
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->getNameId(), id(name));
            if (BaseNode* body = copy->findChildByName("Body", 1))
                EXPECT_EQ(runningState(body), state);
        } else {
            ++skipped;
            EXPECT_EQ(spawner->getChildCount(), 0u);
        }
        EXPECT_TRUE(sameGeneratorState(oracle));
        scene->removeChild(spawner.get());
    }
    EXPECT_GT(spawned, 0u);
    EXPECT_GT(skipped, 0u);
}

// A template the collection lacks, or no collection at all: nothing, and the attempt is gone.
TEST_F(OnceSpawnerTest, AMissingTemplateOrCollectionSpawnsNothingAndUsesTheAttempt) {
    auto missing = place("NoSuchThing", "Open", 100);
    CRandom oracle;
    oracleOfInstance(oracle);
    draw();
    oracle.nextInt(1, 99);
    oracle.nextInt(0, 1);
    EXPECT_TRUE(sameGeneratorState(oracle));
    EXPECT_FALSE(missing->isSpawnPending());
    EXPECT_EQ(missing->getChildCount(), 0u);
    scene->removeChild(missing.get());

    content.sceneManager->setTemplateCollection(nullptr);
    auto orphan = place("Kiosk", "Open", 100);
    draw();
    EXPECT_FALSE(orphan->isSpawnPending());
    content.sceneManager->setTemplateCollection(content.templates.get());
    draw();
    EXPECT_EQ(orphan->getChildCount(), 0u);

    auto none = place("", "", 100);
    draw();
    EXPECT_FALSE(none->isSpawnPending());
    EXPECT_EQ(none->getChildCount(), 0u);
}

// Without states the copy keeps the state it takes by itself: its body's default.
TEST_F(OnceSpawnerTest, AnEmptyStateListKeepsTheDefaultState) {
    auto spawner = place("Kiosk", " ; ", 100);
    EXPECT_TRUE(spawner->getStateIds().empty());
    CRandom oracle;
    oracleOfInstance(oracle);
    draw();
    BaseNode* copy = spawner->getSpawned();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(runningState(copy->findChildByName("Body", 1)), "Idle");
    oracle.nextInt(1, 99);
    oracle.nextInt(0, 1);
    EXPECT_TRUE(sameGeneratorState(oracle));  // no state drawn
}

// The lists: blanks trimmed, empty pieces dropped, written back joined by one ";".
TEST_F(OnceSpawnerTest, ListsAreTrimmedAndWrittenBackWithoutBlanks) {
    auto set = makeRef<CPropertySet>();
    set->addString("ObjTemplateIDs", "  Kiosk \t;; Stall\r\n");
    set->addString("ObjState", "Open ; ;Closed;");
    set->addInt("ShowLevelPercent", 75);
    OnceSpawnerNode node{CCreationContext()};
    node.loadProperties(set.get());
    ASSERT_EQ(node.getTemplateIds().size(), 2u);
    EXPECT_EQ(node.getTemplateIds()[0].getId(), id("Kiosk"));
    EXPECT_EQ(node.getTemplateIds()[1].getId(), id("Stall"));
    EXPECT_EQ(node.getObjTemplateIDs(), stringc("Kiosk;Stall"));
    EXPECT_EQ(node.getObjState(), stringc("Open;Closed"));
    EXPECT_EQ(node.ShowLevelPercent, 75);

    auto saved = makeRef<CPropertySet>();
    node.saveProperties(saved.get());
    EXPECT_EQ(getPropertyString(saved->getProperty("ObjTemplateIDs").get()), stringc("Kiosk;Stall"));
    EXPECT_EQ(getPropertyString(saved->getProperty("ObjState").get()), stringc("Open;Closed"));
    EXPECT_EQ(unboxPropertyInt(saved->getProperty("ShowLevelPercent").get()), 75);
    const s32 templatesAt = saved->getPropertyIndex("ObjTemplateIDs");
    const s32 statesAt = saved->getPropertyIndex("ObjState");
    const s32 percentAt = saved->getPropertyIndex("ShowLevelPercent");
    EXPECT_LT(templatesAt, statesAt);
    EXPECT_LT(statesAt, percentAt);

    // Defaults are not written.
    OnceSpawnerNode plain{CCreationContext()};
    auto empty = makeRef<CPropertySet>();
    plain.saveProperties(empty.get());
    for (const char* name : {"ObjTemplateIDs", "ObjState", "ShowLevelPercent"})
        EXPECT_LT(empty->getPropertyIndex(name), 0) << name;

    // A text of another type still gives its text; a chance of another type reads as 0; an
    // absent name leaves the member.
    auto other = makeRef<CPropertySet>();
    other->addStringW("ObjState", L"Closed");
    other->addFloat("ShowLevelPercent", 75.0f);
    node.loadProperties(other.get());
    EXPECT_EQ(node.getObjState(), stringc("Closed"));
    EXPECT_EQ(node.getObjTemplateIDs(), stringc("Kiosk;Stall"));
    EXPECT_EQ(node.ShowLevelPercent, 0);

    // The property table reads and writes the texts.
    for (const auto& row : node.getPropertyTable()) {
        if (row.name == "ObjTemplateIDs") {
            EXPECT_EQ(getPropertyString(row.getter(&node).get()), stringc("Kiosk;Stall"));
            row.setter(&node, makeStringProperty(" A ;;B "));
            EXPECT_EQ(node.getObjTemplateIDs(), stringc("A;B"));
        }
        if (row.name == "ShowLevelPercent") {
            row.setter(&node, makePropertyDataFromNameId(CNameId("x")));
            EXPECT_EQ(node.ShowLevelPercent, 0);
        }
    }
}

// A copy of a spawner has the lists, the chance, an attempt of its own and not the spawned
// object; saving writes the spawner without it.
TEST_F(OnceSpawnerTest, TheSpawnedObjectIsNeitherCopiedNorSaved) {
    auto spawner = place("Kiosk", "Open", 100);
    auto sign = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    sign->setNameId(id("Sign"));
    spawner->addChild(sign.get());
    draw();
    ASSERT_NE(spawner->getSpawned(), nullptr);
    ASSERT_EQ(spawner->getChildCount(), 2u);

    CRefPtr<BaseNode> copied = CRefPtr<BaseNode>::fromRaw(spawner->clone(nullptr, nullptr));
    ASSERT_TRUE(copied && copied->isKindOf(GameNodeTypeOnceSpawnerNode));
    auto* copy = static_cast<OnceSpawnerNode*>(copied.get());
    EXPECT_EQ(copy->getObjTemplateIDs(), stringc("Kiosk"));
    EXPECT_EQ(copy->getObjState(), stringc("Open"));
    EXPECT_EQ(copy->ShowLevelPercent, 100);
    EXPECT_TRUE(copy->isSpawnPending());
    ASSERT_EQ(copy->getChildCount(), 1u);  // the sign only
    EXPECT_EQ(copy->getChildren()[0]->getNameId(), id("Sign"));

    const std::string text = saved(spawner.get(), "Spawner.oscn");
    EXPECT_EQ(countOf(text, "<SceneNode"), 2u);  // the spawner and its sign
    EXPECT_EQ(countOf(text, "Kiosk"), 1u);       // in ObjTemplateIDs only
    EXPECT_NE(text.find("ObjTemplateIDs"), std::string::npos);
    EXPECT_EQ(countOf(text, "ShowLevelPercent"), 1u);
}

// Scene files: loaded, saved after a spawn and loaded again; the new load has a new attempt.
// The content manager hands out copies of what it loaded: the chance of the file survives.
TEST_F(OnceSpawnerTest, SceneFilesLoadSaveAndLoadBack) {
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"OnceSpawnerNode", [](const CCreationContext& c) -> BaseNode* {
        return new OnceSpawnerNode(c);
    });
    factory.registerNodeClass(L"GRectangleNode", [](const CCreationContext& c) -> BaseNode* {
        return new GRectangleNode(c);
    });
    content.writeText("Square.oscn", R"(<?xml version="1.0" encoding="utf-8"?>
<SceneNode Type="BaseNode">
	<Properties><string Name="Name" Value="Root" /></Properties>
	<SceneNode Type="OnceSpawnerNode">
		<Properties>
			<string Name="Name" Value="Parking" />
			<string Name="ObjTemplateIDs" Value=" Kiosk ;; Stall " />
			<string Name="ObjState" Value="Open" />
			<int Name="ShowLevelPercent" Value="100" />
		</Properties>
	</SceneNode>
	<SceneNode Type="GRectangleNode">
		<Properties>
			<string Name="Name" Value="Frame" />
			<color Name="BorderColor" Value="ff102030" />
			<color Name="FillColor" Value="80405060" />
		</Properties>
	</SceneNode>
</SceneNode>
)");
    auto load = [&](const char* name) {
        return CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(
            content.manager->getContentByPath(TypeCodeSceneNode, name, true)));
    };
    CRefPtr<BaseNode> first = load("Square.oscn");
    ASSERT_TRUE(first);
    auto* parking = dynamic_cast<OnceSpawnerNode*>(first->findChildByName("Parking"));
    ASSERT_NE(parking, nullptr);
    EXPECT_EQ(parking->getObjTemplateIDs(), stringc("Kiosk;Stall"));
    EXPECT_EQ(parking->getObjState(), stringc("Open"));
    EXPECT_EQ(parking->ShowLevelPercent, 100);
    auto* frame = dynamic_cast<GRectangleNode*>(first->findChildByName("Frame"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->BorderColor, 0xFF102030u);
    EXPECT_EQ(frame->FillColor, 0x80405060u);

    scene->addChild(first.get());
    draw();
    ASSERT_NE(parking->getSpawned(), nullptr);
    const std::string once = saved(first.get(), "Saved1.oscn");
    EXPECT_EQ(countOf(once, "<SceneNode"), 3u);

    CRefPtr<BaseNode> second = load("Saved1.oscn");
    ASSERT_TRUE(second);
    auto* again = dynamic_cast<OnceSpawnerNode*>(second->findChildByName("Parking"));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isSpawnPending());
    EXPECT_EQ(again->getChildCount(), 0u);
    EXPECT_EQ(once, saved(second.get(), "Saved2.oscn"));
    scene->addChild(second.get());
    draw();
    EXPECT_NE(again->getSpawned(), nullptr);
    scene->removeChild(first.get());
    scene->removeChild(second.get());
}

// The attempt comes with the first draw that reaches the node, even a hidden one; a node under a
// hidden parent is not reached and keeps its attempt.
TEST_F(OnceSpawnerTest, TheAttemptWaitsForTheFirstDrawThatReachesTheNode) {
    auto hidden = place("Kiosk", "", 100);
    hidden->setVisible(false);
    auto folder = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    folder->setVisible(false);
    scene->addChild(folder.get());
    auto waiting = place("Stall", "", 100, folder.get());
    const DrawList list = draw();
    EXPECT_FALSE(hidden->isSpawnPending());
    ASSERT_NE(hidden->getSpawned(), nullptr);
    const BaseNode* body = hidden->getSpawned()->findChildByName("Body", 1);
    ASSERT_NE(body, nullptr);
    for (const SDrawItem& item : list) EXPECT_NE(item.node, body);
    EXPECT_TRUE(waiting->isSpawnPending());
    folder->setVisible(true);
    draw();
    EXPECT_FALSE(waiting->isSpawnPending());
    EXPECT_NE(waiting->getSpawned(), nullptr);
}

// A spawned car does not leave at its path's end; the traffic's cars still do.
TEST_F(OnceSpawnerTest, ASpawnedCarStaysAtItsPathEnd) {
    auto spawner = place("ParkedCar", "", 100);
    draw();
    auto* car = dynamic_cast<GCarNode*>(spawner->getSpawned());
    ASSERT_NE(car, nullptr);
    EXPECT_FALSE(car->RemoveAtEnd);
    EXPECT_TRUE(static_cast<GCarNode*>(content.templates->findTemplate(id("ParkedCar")))->RemoveAtEnd);
    // Never started: it stands where it is.
    draw();
    ASSERT_TRUE(car->isRunning());
    content.step(GCarNode::UpdatePeriod, 5);
    EXPECT_EQ(car->getParent(), spawner.get());
    // Sent along a path, it stays on its last point.
    car->start({vector2df(0, 0), vector2df(10, 0)}, -1, false, false);
    content.step(GCarNode::UpdatePeriod, 30);
    EXPECT_EQ(car->getParent(), spawner.get());
    EXPECT_FALSE(car->hasLeft());
    EXPECT_EQ(car->getPosition(), vector3df(10, 0, 0));
    EXPECT_EQ(spawner->getSpawned(), car);
}
