// The selection grid: its lines for the bounds and cell size, the fill and the lines on a
// recording driver, the tint of its parents, recolouring, bad cell sizes, copies and properties.

#include <gtest/gtest.h>

#include <set>

#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/SColorUtils.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GSelectGridNode.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

CRefPtr<GSelectGridNode> makeGrid(f32 w, f32 h) {
    auto grid = makeRef<GSelectGridNode>(CCreationContext());
    grid->setBounds(w, h);
    grid->GridColor = 0xFF102030u;
    grid->FillColor = 0x80FFFFFFu;
    return grid;
}

// The x of the vertical lines and the y of the horizontal ones.
void lineSpots(const GSelectGridNode& grid, std::set<f32>& xs, std::set<f32>& ys) {
    const auto& v = grid.getLineVertices();
    for (size_t i = 0; i + 1 < v.size(); i += 2) {
        if (v[i].Pos.X == v[i + 1].Pos.X)
            xs.insert(v[i].Pos.X);
        else
            ys.insert(v[i].Pos.Y);
    }
}

}  // namespace

TEST(SelectGridNode, ClassAndDefaults) {
    GSelectGridNode grid{CCreationContext()};
    EXPECT_EQ(grid.getClassName(), stringw(L"GSelectGridNode"));
    EXPECT_EQ(grid.getThisClassName(), stringw(L"GSelectGridNode"));
    EXPECT_EQ(grid.getTypeId(), GameNodeTypeSelectGridNode);
    EXPECT_TRUE(grid.isKindOf(NodeTypeBase));
    EXPECT_FALSE(grid.isKindOf(GameNodeTypeEllipseSectorNode));
    EXPECT_EQ(grid.GridColor, 0u);
    EXPECT_EQ(grid.FillColor, 0u);
    EXPECT_EQ(grid.CellSize, vector2df(40, 40));
    EXPECT_EQ(grid.getMaterial().MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
    EXPECT_EQ(grid.getMaterial().TextureLayer[0].Texture, nullptr);
    EXPECT_FALSE(grid.getMaterial().ZWriteEnable);
}

TEST(SelectGridNode, LinesEveryCellUpToTheEdge) {
    const struct {
        f32 w, h;
        std::set<f32> xs, ys;
    } cases[] = {
        {100, 80, {0, 40, 80}, {0, 40, 80}},
        {80, 80, {0, 40, 80}, {0, 40, 80}},
        {39, 0, {0}, {0}},
    };
    for (const auto& c : cases) {
        auto grid = makeGrid(c.w, c.h);
        grid->updateAbsoluteTransform();
        std::set<f32> xs, ys;
        lineSpots(*grid, xs, ys);
        EXPECT_EQ(xs, c.xs) << c.w;
        EXPECT_EQ(ys, c.ys) << c.w;
        EXPECT_EQ(grid->getLineVertices().size(), 2 * (c.xs.size() + c.ys.size()));
    }
    auto grid = makeGrid(100, 80);
    grid->updateAbsoluteTransform();
    const auto& v = grid->getLineVertices();
    ASSERT_EQ(v.size(), 12u);
    EXPECT_EQ(v[0].Pos, vector3df(0, 0, 0));
    EXPECT_EQ(v[1].Pos, vector3df(0, 80, 0));   // a vertical line runs the whole height
    EXPECT_EQ(v[7].Pos, vector3df(100, 0, 0));  // a horizontal one the whole width
    for (const S2DVertex& vertex : v) {
        EXPECT_EQ(vertex.Color.color, 0xFF102030u);
        EXPECT_EQ(vertex.TCoords, vector2df(0, 0));
    }
}

TEST(SelectGridNode, BadCellSizesLeaveADirectionOutOrCutTheLines) {
    auto zero = makeGrid(100, 80);
    zero->CellSize = vector2df(0, 40);
    zero->updateAbsoluteTransform();
    std::set<f32> xs, ys;
    lineSpots(*zero, xs, ys);
    EXPECT_TRUE(xs.empty());
    EXPECT_EQ(ys.size(), 3u);
    auto negative = makeGrid(100, 80);
    negative->CellSize = vector2df(40, -1);
    negative->updateAbsoluteTransform();
    EXPECT_EQ(negative->getLineVertices().size(), 6u);
    // A tiny cell over large bounds: the list stays bounded.
    auto tiny = makeGrid(1.0e6f, 10);
    tiny->CellSize = vector2df(0.001f, 40);
    tiny->updateAbsoluteTransform();
    EXPECT_LE(tiny->getLineVertices().size(), 2 * (GSelectGridNode::MaxLines + 1));
    EXPECT_GE(tiny->getLineVertices().size(), 2 * GSelectGridNode::MaxLines);
}

TEST(SelectGridNode, DrawsTheFillThenTheLinesAtDepthZero) {
    auto grid = makeGrid(100, 80);
    grid->setPosition(vector3df(10, 20, 30));
    DrawList list;
    grid->render(list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].depth, 30.0f);
    RecordingDriver driver;
    grid->renderClipped(&driver, nullptr);
    ASSERT_EQ(driver.draws.size(), 2u);
    const auto& fill = driver.draws[0];
    EXPECT_EQ(fill.primitiveType, static_cast<u32>(EPT_TRIANGLE_FAN));
    EXPECT_EQ(fill.primitiveCount, 2u);
    EXPECT_TRUE(fill.indices.empty());
    ASSERT_EQ(fill.vertices.size(), 4u);
    EXPECT_EQ(fill.vertices[2].Pos, vector3df(100, 80, 0));
    EXPECT_EQ(fill.vertices[0].Color.color, 0x80FFFFFFu);
    EXPECT_EQ(fill.material.MaterialType, EMT_TRANSPARENT_VERTEX_ALPHA);
    const auto& lines = driver.draws[1];
    EXPECT_EQ(lines.primitiveType, static_cast<u32>(EPT_LINES));
    EXPECT_EQ(lines.primitiveCount, 6u);
    EXPECT_EQ(lines.vertexCount, 12u);
}

TEST(SelectGridNode, ATransparentFillDrawsOnlyLinesAndNoColourNothing) {
    auto grid = makeGrid(100, 80);
    grid->FillColor = 0x00FFFFFFu;
    DrawList list;
    grid->render(list);
    RecordingDriver driver;
    grid->renderClipped(&driver, nullptr);
    ASSERT_EQ(driver.draws.size(), 1u);
    EXPECT_EQ(driver.draws[0].primitiveType, static_cast<u32>(EPT_LINES));

    auto plain = makeRef<GSelectGridNode>(CCreationContext());
    auto child = makeRef<GSelectGridNode>(CCreationContext());
    plain->addChild(child.get());
    DrawList both;
    plain->render(both);
    RecordingDriver none;
    plain->renderClipped(&none, nullptr);
    EXPECT_TRUE(none.draws.empty());
    EXPECT_EQ(both.size(), 2u);  // the children still render
}

TEST(SelectGridNode, AParentsTransparentTintHidesItButTheLinesKeepTheirColour) {
    auto parent = makeRef<BaseNode>(CCreationContext());
    parent->setTintColor(0x00FFFFFFu);
    auto grid = makeGrid(100, 80);
    parent->addChild(grid.get());
    DrawList list;
    parent->render(list);
    EXPECT_TRUE(list.empty());
    for (const S2DVertex& v : grid->getLineVertices()) EXPECT_EQ(v.Color.color, 0xFF102030u);
    RecordingDriver driver;
    grid->renderClipped(&driver, nullptr);  // modulated to nothing
    EXPECT_TRUE(driver.draws.empty());
}

TEST(SelectGridNode, TheTableRecoloursWithoutRebuilding) {
    auto grid = makeGrid(100, 80);
    DrawList list;
    grid->render(list);
    const S2DVertex* before = grid->getLineVertices().data();
    grid->setPropertyByName("GridColor", makeRef<CPropertyDataColor>(SColor(0xFF00FF00u)));
    EXPECT_TRUE(grid->isColorDirty());
    EXPECT_FALSE(grid->isTransformDirty());
    list.clear();
    grid->render(list);
    EXPECT_EQ(grid->getLineVertices().data(), before);
    EXPECT_EQ(grid->getLineVertices().size(), 12u);
    for (const S2DVertex& v : grid->getLineVertices()) EXPECT_EQ(v.Color.color, 0xFF00FF00u);
    // CellSize changes the value only: the lines follow the next transform refresh.
    grid->setPropertyByName("CellSize", makeRef<CPropertyDataVector2d>(vector2df(50, 80)));
    EXPECT_EQ(grid->CellSize, vector2df(50, 80));
    EXPECT_EQ(grid->getLineVertices().size(), 12u);
    grid->markTransformDirty();
    list.clear();
    grid->render(list);
    EXPECT_EQ(grid->getLineVertices().size(), 10u);  // x 0, 50, 100; y 0, 80
    grid->setPropertyByName("FillColor", makeRef<CPropertyDataInt>(5));
    EXPECT_EQ(grid->FillColor, 0u);
}

TEST(SelectGridNode, PropertiesAndCopies) {
    auto grid = makeGrid(100, 80);
    grid->CellSize = vector2df(10, 20);
    auto set = makeRef<CPropertySet>();
    grid->saveProperties(set.get());
    auto loaded = makeRef<GSelectGridNode>(CCreationContext());
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->GridColor, 0xFF102030u);
    EXPECT_EQ(loaded->FillColor, 0x80FFFFFFu);
    EXPECT_EQ(loaded->CellSize, vector2df(10, 20));
    EXPECT_TRUE(loaded->isTransformDirty());
    EXPECT_TRUE(loaded->isColorDirty());
    // Defaults: the colours are left out, the cell size is written.
    auto plain = makeRef<GSelectGridNode>(CCreationContext());
    auto defaults = makeRef<CPropertySet>();
    plain->saveProperties(defaults.get());
    EXPECT_LT(defaults->getPropertyIndex("GridColor"), 0);
    EXPECT_LT(defaults->getPropertyIndex("FillColor"), 0);
    EXPECT_GE(defaults->getPropertyIndex("CellSize"), 0);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(grid->clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GSelectGridNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->CellSize, vector2df(10, 20));
    EXPECT_EQ(clone->GridColor, 0xFF102030u);
}
