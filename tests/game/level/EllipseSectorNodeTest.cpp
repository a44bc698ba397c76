// The ellipse sector node: its fan of vertices on a recording driver, its draw entry, copies,
// properties, and the bound on the rim whatever the angles and counts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "engine/core/StringUtils.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GEllipseSectorNode.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace brasquel;
using s64 = std::int64_t;

namespace {

// A node of 100 x 50 at (10, 20): radii 50 and 25, centre (60, 45).
CRefPtr<GEllipseSectorNode> makeEllipse() {
    auto node = makeRef<GEllipseSectorNode>(CCreationContext());
    node->setPosition(vector3df(10.0f, 20.0f, 0.0f));
    node->setBounds(100.0f, 50.0f);
    node->updateAbsoluteTransform();
    node->updateAbsoluteColor();
    return node;
}

f32 sine(s64 degrees) {
    s64 d = degrees % 360;
    if (d < 0) d += 360;
    return sineOfDegrees(static_cast<u32>(d));
}

// The rim degrees the float walk of whole steps visits, written out as the node's own
// description of it: start at Angle1, step 360 / count, stop before Angle2.
std::vector<s64> referenceRim(s32 angle1, s32 angle2, s32 count) {
    std::vector<s64> rim;
    const f32 step = 360.0f / static_cast<f32>(count);
    for (f32 a = static_cast<f32>(angle1); static_cast<f32>(angle2) > a; a += step)
        rim.push_back(static_cast<s64>(a));
    return rim;
}

// The whole degrees of the rim vertices of a fan (centre and closing vertex left out), found by
// matching each vertex against the sine table.
std::vector<s64> rimDegrees(const std::vector<S2DVertex>& fan, f32 cx, f32 cy, f32 rx, f32 ry,
                            const std::vector<s64>& candidates) {
    std::vector<s64> found;
    for (size_t i = 1; i + 1 < fan.size(); ++i) {
        const S2DVertex& v = fan[i];
        const s64 guess = i - 1 < candidates.size() ? candidates[i - 1] : 0;
        const f32 x = cx + sine(guess) * rx;
        const f32 y = cy - sine(guess + 90) * ry;
        found.push_back(v.Pos.X == x && v.Pos.Y == y ? guess : -99999);
    }
    return found;
}

}  // namespace

TEST(EllipseSectorNode, ClassIdentityAndDefaults) {
    GEllipseSectorNode node{CCreationContext()};
    EXPECT_EQ(node.getClassName(), stringw(L"GEllipseSectorNode"));
    EXPECT_EQ(node.getThisClassName(), stringw(L"GEllipseSectorNode"));
    EXPECT_EQ(node.getTypeId(), GameNodeTypeEllipseSectorNode);
    EXPECT_TRUE(node.isKindOf(GameNodeTypeEllipseSectorNode));
    EXPECT_TRUE(node.isKindOf(NodeTypeBase));
    EXPECT_FALSE(node.isKindOf(NodeTypeControl));
    EXPECT_EQ(node.FillColor, 0xFFFFFFFFu);
    EXPECT_EQ(node.Angle1, 0);
    EXPECT_EQ(node.Angle2, 360);
    EXPECT_EQ(node.MaxVerticesCount, 32);
    const SMaterial& m = node.getMaterial();
    EXPECT_EQ(m.MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
    EXPECT_EQ(m.LayerCount, 1u);
    EXPECT_EQ(m.TextureLayer[0].Texture, nullptr);
    EXPECT_TRUE(m.TextureLayer[0].BilinearFilter);
    EXPECT_FALSE(m.Lighting);
    EXPECT_FALSE(m.GouraudShading);
    EXPECT_FALSE(m.ZWriteEnable);
    EXPECT_EQ(m.ZBuffer, ECFN_NEVER);
    EXPECT_FALSE(node.hitTest(vector2df(50.0f, 50.0f)));
}

TEST(EllipseSectorNode, DefaultsDrawAFanOf34VerticesOnWholeDegrees) {
    test::RecordingDriver driver;
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    node->renderClipped(&driver, nullptr);
    ASSERT_EQ(driver.draws.size(), 1u);
    const test::RecordingDriver::Draw& d = driver.draws[0];
    EXPECT_EQ(d.vertexCount, 34u);
    EXPECT_EQ(d.primitiveCount, 32u);
    EXPECT_EQ(d.vertexType, static_cast<u32>(EVT_2D));
    EXPECT_EQ(d.primitiveType, static_cast<u32>(EPT_TRIANGLE_FAN));
    EXPECT_TRUE(d.indices.empty());
    EXPECT_EQ(d.material.MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
    EXPECT_EQ(driver.modeSwitches, 1);
    ASSERT_EQ(d.vertices.size(), 34u);
    EXPECT_EQ(d.vertices[0].Pos, vector3df(60.0f, 45.0f, 0.0f));
    // 11.25 degree steps land on 0, 11, 22, 33, ...
    const s64 expected[] = {0, 11, 22, 33, 45, 56};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(d.vertices[i + 1].Pos.X, 60.0f + sine(expected[i]) * 50.0f) << i;
        EXPECT_FLOAT_EQ(d.vertices[i + 1].Pos.Y, 45.0f - sine(expected[i] + 90) * 25.0f) << i;
    }
    // Twelve o'clock first; the closing vertex at 360 lies on it.
    EXPECT_EQ(d.vertices[1].Pos, vector3df(60.0f, 20.0f, 0.0f));
    EXPECT_EQ(d.vertices[33].Pos, d.vertices[1].Pos);
    for (const S2DVertex& v : d.vertices) {
        EXPECT_EQ(v.Color.color, 0xFFFFFFFFu);  // white under white stays white exactly
        EXPECT_EQ(v.TCoords, vector2df(0.0f, 0.0f));
    }
}

TEST(EllipseSectorNode, AnEmptySweepDrawsNothing) {
    for (auto angles : {std::make_pair(90, 90), std::make_pair(200, 100)}) {
        test::RecordingDriver driver;
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->Angle1 = angles.first;
        node->Angle2 = angles.second;
        node->renderClipped(&driver, nullptr);
        EXPECT_TRUE(driver.draws.empty());
        EXPECT_EQ(node->getVertices().size(), 2u);  // the centre and the closing vertex
    }
}

TEST(EllipseSectorNode, FourStepsMakeADiamond) {
    test::RecordingDriver driver;
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    node->MaxVerticesCount = 4;
    node->renderClipped(&driver, nullptr);
    ASSERT_EQ(driver.draws.size(), 1u);
    const auto& v = driver.draws[0].vertices;
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[1].Pos, vector3df(60.0f, 20.0f, 0.0f));   // top
    EXPECT_EQ(v[2].Pos, vector3df(110.0f, 45.0f, 0.0f));  // right
    EXPECT_EQ(v[3].Pos, vector3df(60.0f, 70.0f, 0.0f));   // bottom
    EXPECT_EQ(v[4].Pos, vector3df(10.0f, 45.0f, 0.0f));   // left
    EXPECT_EQ(v[5].Pos, v[1].Pos);
}

TEST(EllipseSectorNode, ThreeQuartersFromThreeOClock) {
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    node->Angle1 = 90;
    std::vector<S2DVertex> fan;
    node->buildFan(fan);
    ASSERT_EQ(fan.size(), 2u + 24u);
    EXPECT_EQ(fan[1].Pos, vector3df(110.0f, 45.0f, 0.0f));
    EXPECT_EQ(fan.back().Pos, vector3df(60.0f, 20.0f, 0.0f));
}

TEST(EllipseSectorNode, DrawEntryNeedsVisibleColourAndChildrenFollowVisibility) {
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    auto* child = new GEllipseSectorNode(CCreationContext());
    node->addChild(child);
    child->drop();
    DrawList list;
    node->render(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].node, node.get());
    EXPECT_EQ(list[1].node, child);

    node->setTintColor(0x00FFFFFFu);
    node->markColorDirty();
    list.clear();
    node->render(list);
    for (const SDrawItem& item : list) EXPECT_NE(item.node, node.get());

    node->setTintColor(0xFFFFFFFFu);
    node->markColorDirty();
    node->setVisible(false);
    list.clear();
    node->render(list);
    EXPECT_TRUE(list.empty());
}

TEST(EllipseSectorNode, ParentsScaleButDoNotRotateTheEllipse) {
    auto parent = makeRef<BaseNode>(CCreationContext());
    parent->setScale(vector3df(2.0f, 3.0f, 1.0f));
    auto* node = new GEllipseSectorNode(CCreationContext());
    node->setBounds(100.0f, 50.0f);
    node->MaxVerticesCount = 4;
    parent->addChild(node);
    node->drop();
    parent->updateAbsoluteTransform();
    node->updateAbsoluteTransform();
    std::vector<S2DVertex> fan;
    node->buildFan(fan);
    ASSERT_EQ(fan.size(), 6u);
    EXPECT_EQ(fan[0].Pos, vector3df(100.0f, 75.0f, 0.0f));
    EXPECT_EQ(fan[2].Pos, vector3df(200.0f, 75.0f, 0.0f));

    parent->setScale(vector3df(1.0f, 1.0f, 1.0f));
    parent->setRotation(vector3df(0.0f, 0.0f, 30.0f));
    parent->updateAbsoluteTransform();
    node->markTransformDirty();
    node->updateAbsoluteTransform();
    const vector2df scale(node->getAbsoluteTransform()[0], node->getAbsoluteTransform()[5]);
    node->buildFan(fan);
    // The radii follow the matrix diagonal; the rim stays axis-aligned around the centre.
    EXPECT_FLOAT_EQ(fan[2].Pos.Y, fan[0].Pos.Y);
    EXPECT_FLOAT_EQ(fan[2].Pos.X - fan[0].Pos.X, 50.0f * scale.X);
    EXPECT_FLOAT_EQ(fan[1].Pos.X, fan[0].Pos.X);
}

TEST(EllipseSectorNode, FillColourIsModulatedByTheAbsoluteColour) {
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    node->FillColor = 0xFF00FF00u;
    node->setTintColor(0x80FFFFFFu);
    node->updateAbsoluteColor();
    std::vector<S2DVertex> fan;
    node->buildFan(fan);
    EXPECT_EQ(fan[0].Color.color, 0x8000FF00u);
}

TEST(EllipseSectorNode, ACopyKeepsItsOwnRimCount) {
    CRefPtr<GEllipseSectorNode> node = makeEllipse();
    node->MaxVerticesCount = 64;
    node->FillColor = 0xFF112233u;
    node->Angle1 = 10;
    node->Angle2 = 370;
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    ASSERT_TRUE(copy && copy->isKindOf(GameNodeTypeEllipseSectorNode));
    auto* sector = static_cast<GEllipseSectorNode*>(copy.get());
    EXPECT_EQ(sector->MaxVerticesCount, 32);
    EXPECT_EQ(sector->FillColor, 0xFF112233u);
    EXPECT_EQ(sector->Angle1, 10);
    EXPECT_EQ(sector->Angle2, 370);
    test::RecordingDriver driver;
    sector->updateAbsoluteTransform();
    sector->renderClipped(&driver, nullptr);
    ASSERT_EQ(driver.draws.size(), 1u);
    EXPECT_EQ(driver.draws[0].primitiveCount, 32u);
}

TEST(EllipseSectorNode, PropertiesLoadSaveLoad) {
    auto set = makeRef<CPropertySet>();
    set->addColor("FillColor", SColor(0xFF102030u));
    set->addInt("Angle1", 45);
    set->addInt("Angle2", 300);
    set->addInt("MaxVerticesCount", 12);
    GEllipseSectorNode first{CCreationContext()};
    first.loadProperties(set.get());
    EXPECT_EQ(first.FillColor, 0xFF102030u);
    EXPECT_EQ(first.Angle1, 45);
    EXPECT_EQ(first.Angle2, 300);
    EXPECT_EQ(first.MaxVerticesCount, 12);

    auto saved = makeRef<CPropertySet>();
    first.saveProperties(saved.get());
    GEllipseSectorNode second{CCreationContext()};
    second.loadProperties(saved.get());
    EXPECT_EQ(second.FillColor, first.FillColor);
    EXPECT_EQ(second.Angle1, first.Angle1);
    EXPECT_EQ(second.Angle2, first.Angle2);
    EXPECT_EQ(second.MaxVerticesCount, first.MaxVerticesCount);

    // Defaults are not written; a value of another type reads as 0; a missing one stays.
    GEllipseSectorNode plain{CCreationContext()};
    auto empty = makeRef<CPropertySet>();
    plain.saveProperties(empty.get());
    for (const char* name : {"FillColor", "Angle1", "Angle2", "MaxVerticesCount"})
        EXPECT_LT(empty->getPropertyIndex(name), 0) << name;
    auto wrong = makeRef<CPropertySet>();
    wrong->addFloat("Angle1", 45.0f);
    second.loadProperties(wrong.get());
    EXPECT_EQ(second.Angle1, 0);
    EXPECT_EQ(second.Angle2, 300);
    // The property table reads and writes the same values.
    bool found = false;
    for (const auto& row : second.getPropertyTable())
        if (row.name == "Angle2") {
            found = true;
            EXPECT_EQ(unboxPropertyInt(row.getter(&second).get()), 300);
        }
    EXPECT_TRUE(found);
}

// Ordinary sweeps give the vertices of the float walk exactly.
TEST(EllipseSectorNode, OrdinarySweepsFollowTheWalkOfWholeSteps) {
    const std::tuple<s32, s32, s32> cases[] = {
        {0, 360, 32},  {90, 360, 32}, {-45, 45, 16},  {0, 720, 32},    {10, 11, 360},
        {0, 360, 1},   {0, 360, 360}, {-400, -20, 7}, {359, 361, 3},   {0, 1080, 100},
        {30, 200, 33}, {1, 359, 17},  {-720, 0, 64},  {100, 460, 360}, {5, 6, 1}};
    for (const auto& [a1, a2, count] : cases) {
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->Angle1 = a1;
        node->Angle2 = a2;
        node->MaxVerticesCount = count;
        std::vector<S2DVertex> fan;
        node->buildFan(fan);
        const std::vector<s64> expected = referenceRim(a1, a2, count);
        ASSERT_EQ(fan.size(), expected.size() + 2) << a1 << " " << a2 << " " << count;
        EXPECT_EQ(rimDegrees(fan, 60.0f, 45.0f, 50.0f, 25.0f, expected), expected)
            << a1 << " " << a2 << " " << count;
        EXPECT_FLOAT_EQ(fan.back().Pos.X, 60.0f + sine(a2) * 50.0f);
        EXPECT_FLOAT_EQ(fan.back().Pos.Y, 45.0f - sine(a2 + 90) * 25.0f);
    }
}

// Counts of 0 and below are one step a turn; huge sweeps stay within the rim's bound and end.
TEST(EllipseSectorNode, OddCountsAndHugeSweepsEndWithinTheBound) {
    for (s32 count : {0, -5}) {
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->MaxVerticesCount = count;
        std::vector<S2DVertex> fan;
        node->buildFan(fan);
        EXPECT_EQ(fan.size(), 3u) << count;  // centre, 0 degrees, closing vertex
    }
    {
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->Angle1 = -1000000000;
        node->Angle2 = 1000000000;
        std::vector<S2DVertex> fan;
        node->buildFan(fan);
        EXPECT_EQ(fan.size(), GEllipseSectorNode::MaxRimVertices + 2);
        EXPECT_FLOAT_EQ(fan.back().Pos.X, 60.0f + sine(1000000000) * 50.0f);
    }
    {
        // Far from zero a float cannot take the step: the walk still advances by whole steps.
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->Angle1 = 2000000000;
        node->Angle2 = 2000000360;
        std::vector<S2DVertex> fan;
        node->buildFan(fan);
        ASSERT_EQ(fan.size(), 34u);
        std::vector<s64> expected;
        for (s64 k = 0; k < 32; ++k) expected.push_back(2000000000 + (k * 1125) / 100);
        EXPECT_EQ(rimDegrees(fan, 60.0f, 45.0f, 50.0f, 25.0f, expected), expected);
    }
    {
        CRefPtr<GEllipseSectorNode> node = makeEllipse();
        node->Angle1 = 0;
        node->Angle2 = 2000000000;
        node->MaxVerticesCount = 2000000000;
        test::RecordingDriver driver;
        node->renderClipped(&driver, nullptr);
        ASSERT_EQ(driver.draws.size(), 1u);
        EXPECT_EQ(driver.draws[0].vertexCount, GEllipseSectorNode::MaxRimVertices + 2);
    }
}
