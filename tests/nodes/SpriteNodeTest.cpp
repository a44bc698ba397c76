// Sprite and nine-grid sprite nodes on the frames of the node atlas (textures in main memory):
// how the frame is laid into the node, hit tests, saving and loading.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodes/NineGridSpriteNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/ITexture.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;

namespace {

constexpr f32 PageW = atlas::PageWidth;
constexpr f32 PageH = atlas::PageHeight;

struct Corners {
    f32 left, top, right, bottom;
    f32 u0, v0, u1, v1;  // at the top-left and the bottom-right corner
};

Corners cornersOf(const SQuad& quad) {
    return {quad.Corners[0].Pos.X,     quad.Corners[0].Pos.Y,     quad.Corners[2].Pos.X,
            quad.Corners[2].Pos.Y,     quad.Corners[0].TCoords.X, quad.Corners[0].TCoords.Y,
            quad.Corners[2].TCoords.X, quad.Corners[2].TCoords.Y};
}

class SpriteNodeTest : public ::testing::Test {
protected:
    CRefPtr<SpriteNode> makeSprite(const char* frame, f32 width = 100.0f, f32 height = 100.0f) {
        CRefPtr<SpriteNode> sprite = makeRef<SpriteNode>(CCreationContext(content.manager, ""));
        sprite->setBounds(width, height);
        sprite->setAtlasTexture(content.frame(frame));
        return sprite;
    }

    NodeContentFixture content;
};

struct RectCase {
    const char* label;
    s32 modeX, modeY;
    vector2df pivot;
    vector2df bounds;
    bool flipX, flipY;
    Corners expected;
};

TEST_F(SpriteNodeTest, UpdateImageRectLaysTheFrameIntoTheNode) {
    // The opaque frame: 16 x 16 at (2, 2) on the page.
    const f32 uA = 2 / PageW, uB = 18 / PageW, vA = 2 / PageH, vB = 18 / PageH;
    const f32 du = uB - uA;
    // Modes: natural size, stretched, fitted, cropped.
    constexpr s32 N = SpriteNode::StretchNone, S = SpriteNode::StretchToBounds;
    constexpr s32 F = SpriteNode::StretchFitBounds, C = SpriteNode::StretchCrop;
    // clang-format off
    const std::vector<RectCase> cases = {
        {"natural", N, N, {0, 0}, {100, 100}, false, false, {0, 0, 16, 16, uA, vA, uB, vB}},
        {"pivot", N, N, {8, 4}, {100, 100}, false, false, {-8, -4, 8, 12, uA, vA, uB, vB}},
        {"stretched", S, S, {0, 0}, {40, 20}, false, false, {0, 0, 40, 20, uA, vA, uB, vB}},
        {"stretched with a pivot", S, N, {5, 0}, {40, 20}, false, false, {-5, 0, 35, 16, uA, vA, uB, vB}},
        {"fit", F, F, {0, 0}, {100, 100}, false, false, {0, 0, 16, 16, uA, vA, uB, vB}},
        {"crop right", C, N, {0, 0}, {10, 100}, false, false, {0, 0, 10, 16, uA, vA, uA + du * 10 / 16, vB}},
        {"crop with the pivot beyond the left edge", C, N, {4, 0}, {10, 100}, false, false,
         {0, 0, 10, 16, uA + du * 4 / 16, vA, uA + du * 14 / 16, vB}},
        {"crop inside", C, C, {0, 0}, {100, 100}, false, false, {0, 0, 16, 16, uA, vA, uB, vB}},
        {"flip x", N, N, {0, 0}, {100, 100}, true, false, {0, 0, 16, 16, uB, vA, uA, vB}},
        {"flip y", N, N, {0, 0}, {100, 100}, false, true, {0, 0, 16, 16, uA, vB, uB, vA}},
        {"crop, then flip", C, N, {4, 0}, {10, 100}, true, false,
         {0, 0, 10, 16, uA + du * 14 / 16, vA, uA + du * 4 / 16, vB}},
        {"crop of a frame wholly outside", C, N, {-20, 0}, {10, 100}, false, false, {20, 0, 20, 16, uA, vA, uA, vB}},
    };
    // clang-format on
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<SpriteNode> sprite = makeSprite(atlas::Opaque, c.bounds.X, c.bounds.Y);
        sprite->setImagePivotPoint(c.pivot);
        sprite->setFlipX(c.flipX);
        sprite->setFlipY(c.flipY);
        sprite->setImageStretchX(c.modeX);
        sprite->setImageStretchY(c.modeY);
        const Corners got = cornersOf(sprite->getQuad());
        EXPECT_FLOAT_EQ(got.left, c.expected.left);
        EXPECT_FLOAT_EQ(got.top, c.expected.top);
        EXPECT_FLOAT_EQ(got.right, c.expected.right);
        EXPECT_FLOAT_EQ(got.bottom, c.expected.bottom);
        EXPECT_FLOAT_EQ(got.u0, c.expected.u0);
        EXPECT_FLOAT_EQ(got.v0, c.expected.v0);
        EXPECT_FLOAT_EQ(got.u1, c.expected.u1);
        EXPECT_FLOAT_EQ(got.v1, c.expected.v1);
        EXPECT_EQ(sprite->getQuad().Corners[0].Pos.Z, 1.0f);
    }
}

TEST_F(SpriteNodeTest, TrimsPlaceTheFrameAndTheTransformMovesTheQuad) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Trimmed);
    Corners got = cornersOf(sprite->getQuad());
    EXPECT_FLOAT_EQ(got.left, atlas::TrimBeforeX);
    EXPECT_FLOAT_EQ(got.top, atlas::TrimBeforeY);
    EXPECT_FLOAT_EQ(got.right, atlas::TrimBeforeX + atlas::TrimmedWidth);
    EXPECT_FLOAT_EQ(got.bottom, atlas::TrimBeforeY + atlas::TrimmedHeight);
    // A moved and scaled node: the quad is in absolute coordinates, refreshed with the transform.
    sprite->setPosition(vector3df(100, 50, 0));
    sprite->setScale(vector3df(2, 3, 1));
    sprite->updateAbsoluteTransform();
    got = cornersOf(sprite->getQuad());
    EXPECT_FLOAT_EQ(got.left, 100 + 2 * atlas::TrimBeforeX);
    EXPECT_FLOAT_EQ(got.top, 50 + 3 * atlas::TrimBeforeY);
    EXPECT_FLOAT_EQ(got.right, 100 + 2 * (atlas::TrimBeforeX + atlas::TrimmedWidth));
    // Colours follow the absolute colour.
    sprite->setTintColor(0x80ffffffu);
    sprite->updateAbsoluteColor();
    for (const S2DVertex& v : sprite->getQuad().Corners) EXPECT_EQ(v.Color.color, 0x80ffffffu);
}

TEST_F(SpriteNodeTest, FitModeSetsTheBoundsAndIsNotSaved) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Holed);
    sprite->setImageStretchX(SpriteNode::StretchFitBounds);
    EXPECT_FLOAT_EQ(sprite->getBounds().X, static_cast<f32>(atlas::HoledWidth));
    EXPECT_FLOAT_EQ(sprite->getBounds().Y, 100.0f);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    sprite->saveProperties(set.get());
    EXPECT_LT(set->getPropertyIndex("ImageStretchX"), 0);
    CRefPtr<SpriteNode> loaded = makeRef<SpriteNode>(CCreationContext(content.manager, ""));
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getImageStretchX(), SpriteNode::StretchNone);
    EXPECT_EQ(loaded->getBounds(), sprite->getBounds());
    const Corners a = cornersOf(sprite->getQuad()), b = cornersOf(loaded->getQuad());
    EXPECT_FLOAT_EQ(a.right, b.right);
    EXPECT_FLOAT_EQ(a.u1, b.u1);
}

TEST_F(SpriteNodeTest, SettingsSaveLoadAndRejectBadValues) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Holed);
    CRefPtr<CPropertySet> defaults = makeRef<CPropertySet>(content.manager);
    CRefPtr<SpriteNode> plain = makeRef<SpriteNode>(CCreationContext(content.manager, ""));
    plain->saveProperties(defaults.get());
    EXPECT_EQ(defaults->getPropertyCount(), 0u);

    sprite->setWrapType(ETW_CLAMP_TO_BORDER);
    sprite->setWrapType(7);  // past the wrap modes: ignored
    EXPECT_EQ(sprite->getWrapType(), ETW_CLAMP_TO_BORDER);
    sprite->setBlendType(5);  // no such blend
    EXPECT_EQ(sprite->getBlendType(), SpriteNode::BlendNormal);
    sprite->setBlendType(SpriteNode::BlendAdditive);
    EXPECT_EQ(sprite->getMaterial().MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD);
    sprite->setImageStretchX(SpriteNode::StretchCrop);
    sprite->setImageStretchY(SpriteNode::StretchToBounds);
    sprite->setImagePivotPoint(vector2df(2, 3));
    sprite->setFlipX(true);
    sprite->setFlipY(true);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    sprite->saveProperties(set.get());
    std::vector<std::string> names;
    for (u32 i = 0; i < set->getPropertyCount(); ++i)
        names.push_back(set->getPropertyName(i).c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"ImageStretchX", "ImageStretchY", "ImagePivotPoint",
                                               "WrapType", "FlipX", "FlipY", "BlendType",
                                               "AtlasTexture"}));
    CRefPtr<SpriteNode> loaded = makeRef<SpriteNode>(CCreationContext(content.manager, ""));
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getWrapType(), ETW_CLAMP_TO_BORDER);
    EXPECT_EQ(loaded->getBlendType(), SpriteNode::BlendAdditive);
    EXPECT_EQ(loaded->getImageStretchX(), SpriteNode::StretchCrop);
    EXPECT_EQ(loaded->getImageStretchY(), SpriteNode::StretchToBounds);
    EXPECT_EQ(loaded->getImagePivotPoint(), vector2df(2, 3));
    EXPECT_TRUE(loaded->getFlipX());
    EXPECT_TRUE(loaded->getFlipY());
    EXPECT_EQ(loaded->getAtlasTexture(), content.frame(atlas::Holed));
    EXPECT_EQ(loaded->getMaterial().TextureLayer[0].Texture,
              content.frame(atlas::Holed)->getTextureResource());

    // Loading: a wrap type out of range is ignored, one of another type sets 0; a texture of
    // another type sets none.
    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>(content.manager);
    wrong->addInt("WrapType", 9);
    loaded->loadProperties(wrong.get());
    EXPECT_EQ(loaded->getWrapType(), ETW_CLAMP_TO_BORDER);
    wrong = makeRef<CPropertySet>(content.manager);
    wrong->addString("WrapType", "2");
    wrong->addString("AtlasTexture", "x");
    wrong->addInt("BlendType", 4);
    loaded->loadProperties(wrong.get());
    EXPECT_EQ(loaded->getWrapType(), ETW_REPEAT);
    EXPECT_EQ(loaded->getAtlasTexture(), nullptr);
    EXPECT_EQ(loaded->getBlendType(), SpriteNode::BlendNormal);
}

TEST_F(SpriteNodeTest, DrawsOneItemKeyedByItsTextureAndNothingWithout) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Opaque);
    DrawList list;
    sprite->render(list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].node, sprite.get());
    CRefPtr<SpriteNode> other = makeSprite(atlas::Grid);
    other->render(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].key, list[1].key);  // one page
    list.clear();
    sprite->setTintColor(0x00ffffffu);
    sprite->render(list);
    EXPECT_TRUE(list.empty());
    // Dropping the texture leaves the quad as it was and draws nothing.
    CRefPtr<SpriteNode> dropped = makeSprite(atlas::Opaque);
    const Corners before = cornersOf(dropped->getQuad());
    dropped->setAtlasTexture(nullptr);
    EXPECT_FLOAT_EQ(cornersOf(dropped->getQuad()).right, before.right);
    dropped->render(list);
    EXPECT_TRUE(list.empty());
}

struct HitCase {
    const char* label;
    vector2df point;
    bool hit;
};

TEST_F(SpriteNodeTest, HitTestReadsTheImagePixelThatIsDrawnThere) {
    // The holed frame: 24 x 16, hole at x 4..9, y 3..7, alpha-20 band on rows 13..15.
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Holed);
    const std::vector<HitCase> plain = {
        {"opaque", {1.5f, 1.5f}, true},
        {"hole", {5.5f, 4.5f}, false},
        {"band", {1.5f, 14.5f}, false},
        {"right of the frame", {24.5f, 1.5f}, false},
        {"left of the frame", {-0.5f, 1.5f}, false},
    };
    for (const HitCase& c : plain) EXPECT_EQ(sprite->hitTest(c.point), c.hit) << c.label;

    // The pivot moves the frame the way drawing moves it.
    sprite->setImagePivotPoint(vector2df(-4, -2));
    sprite->updateImageRect();
    EXPECT_FALSE(sprite->hitTest(vector2df(9.5f, 6.5f)));  // frame (5, 4): the hole
    EXPECT_TRUE(sprite->hitTest(vector2df(5.5f, 3.5f)));   // frame (1, 1)
    EXPECT_FALSE(sprite->hitTest(vector2df(1.5f, 1.5f)));  // left of the frame

    // Mirrored: node x 17 shows frame texel 6, in the hole.
    sprite->setImagePivotPoint(vector2df(0, 0));
    sprite->setFlipX(true);
    EXPECT_FALSE(sprite->hitTest(vector2df(17.5f, 4.5f)));
    EXPECT_TRUE(sprite->hitTest(vector2df(5.5f, 4.5f)));  // texel 18
    sprite->setFlipX(false);
    EXPECT_TRUE(sprite->hitTest(vector2df(17.5f, 4.5f)));

    // Stretched to twice the frame: the frame texel under node x is x / 2.
    sprite->setBounds(48, 32);
    sprite->setImageStretchX(SpriteNode::StretchToBounds);
    sprite->setImageStretchY(SpriteNode::StretchToBounds);
    EXPECT_FALSE(sprite->hitTest(vector2df(11.5f, 9.5f)));  // texel (5, 4)
    EXPECT_TRUE(sprite->hitTest(vector2df(4.5f, 4.5f)));
    EXPECT_TRUE(sprite->hitTest(vector2df(30.5f, 4.5f)));  // texel 15
    // Stretched to no width: nothing to hit.
    sprite->setBounds(0, 32);
    EXPECT_FALSE(sprite->hitTest(vector2df(0.0f, 4.5f)));

    // Cropped: what the Bounds cut away takes no hits.
    sprite->setBounds(12, 16);
    sprite->setImageStretchX(SpriteNode::StretchCrop);
    sprite->setImageStretchY(SpriteNode::StretchNone);
    EXPECT_TRUE(sprite->hitTest(vector2df(11.5f, 1.5f)));
    EXPECT_FALSE(sprite->hitTest(vector2df(15.5f, 1.5f)));
}

TEST_F(SpriteNodeTest, HitTestNeedsAVisibleHittableOpaqueNode) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Opaque);
    const vector2df inside(4.5f, 4.5f);
    EXPECT_TRUE(sprite->hitTest(inside));
    sprite->setTintColor(0x14ffffffu);  // alpha 20
    EXPECT_FALSE(sprite->hitTest(inside));
    sprite->setTintColor(0x15ffffffu);
    EXPECT_TRUE(sprite->hitTest(inside));
    sprite->setCanBeHit(false);
    EXPECT_FALSE(sprite->hitTest(inside));
    sprite->setCanBeHit(true);
    sprite->setVisible(false);
    EXPECT_FALSE(sprite->hitTest(inside));
    CRefPtr<SpriteNode> empty = makeRef<SpriteNode>(CCreationContext(content.manager, ""));
    EXPECT_FALSE(empty->hitTest(inside));
    // Moved, rotated and scaled: the point goes back through the inverse transform.
    CRefPtr<SpriteNode> turned = makeSprite(atlas::Holed);
    turned->setPosition(vector3df(100, 100, 0));
    turned->setRotation(vector3df(0, 0, 90));
    turned->setScale(vector3df(2, 2, 1));
    turned->updateAbsoluteTransform();
    // Frame (1.5, 1.5) lies at (100 - 3, 100 + 3); the hole's (5.5, 4.5) at (91, 111).
    EXPECT_TRUE(turned->hitTest(vector2df(97.0f, 103.0f)));
    EXPECT_FALSE(turned->hitTest(vector2df(91.0f, 111.0f)));
}

TEST_F(SpriteNodeTest, CopiesTakeTheFrameAndTheSettings) {
    CRefPtr<SpriteNode> sprite = makeSprite(atlas::Holed, 40, 30);
    sprite->setImageStretchX(SpriteNode::StretchToBounds);
    sprite->setFlipY(true);
    sprite->setWrapType(ETW_CLAMP_TO_EDGE);
    sprite->setBlendType(SpriteNode::BlendAdditive);
    sprite->setImagePivotPoint(vector2df(1, 2));
    sprite->updateImageRect();  // the pivot and the flips take effect at the next recomputation
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(sprite->clone(nullptr, nullptr));
    auto* other = dynamic_cast<SpriteNode*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->getAtlasTexture(), sprite->getAtlasTexture());
    EXPECT_EQ(other->getImageStretchX(), SpriteNode::StretchToBounds);
    EXPECT_TRUE(other->getFlipY());
    EXPECT_EQ(other->getWrapType(), ETW_CLAMP_TO_EDGE);
    EXPECT_EQ(other->getBlendType(), SpriteNode::BlendAdditive);
    EXPECT_EQ(other->getMaterial().MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD);
    EXPECT_EQ(other->getImagePivotPoint(), vector2df(1, 2));
    const Corners a = cornersOf(sprite->getQuad()), b = cornersOf(other->getQuad());
    EXPECT_FLOAT_EQ(a.right, b.right);
    EXPECT_FLOAT_EQ(a.v0, b.v0);
}

// ---- Nine-grid sprites ----

TEST_F(SpriteNodeTest, NineGridColumnsAndRowsFollowTheDeltas) {
    CRefPtr<NineGridSpriteNode> grid =
        makeRef<NineGridSpriteNode>(CCreationContext(content.manager, ""));
    grid->setBounds(100, 40);
    grid->setAtlasTexture(content.frame(atlas::Grid));
    grid->updateAbsoluteTransform();
    grid->updateGrid();
    const f32 uA = atlas::GridX / PageW, uB = (atlas::GridX + 30) / PageW;
    const f32 vA = atlas::GridY / PageH, vB = (atlas::GridY + 30) / PageH;
    const f32 xs[4] = {0, 10, 90, 100}, ys[4] = {0, 10, 30, 40};
    const f32 us[4] = {uA, uA + 10 / PageW, uB - 10 / PageW, uB};
    const f32 vs[4] = {vA, vA + 10 / PageH, vB - 10 / PageH, vB};
    for (u32 r = 0; r < 3; ++r) {
        for (u32 c = 0; c < 3; ++c) {
            SCOPED_TRACE(r * 3 + c);
            const Corners q = cornersOf(grid->getQuad(r * 3 + c));
            EXPECT_FLOAT_EQ(q.left, xs[c]);
            EXPECT_FLOAT_EQ(q.right, xs[c + 1]);
            EXPECT_FLOAT_EQ(q.top, ys[r]);
            EXPECT_FLOAT_EQ(q.bottom, ys[r + 1]);
            EXPECT_FLOAT_EQ(q.u0, us[c]);
            EXPECT_FLOAT_EQ(q.u1, us[c + 1]);
            EXPECT_FLOAT_EQ(q.v0, vs[r]);
            EXPECT_FLOAT_EQ(q.v1, vs[r + 1]);
        }
    }
    // Deltas of 0: the centre quad holds the whole frame over the whole node.
    grid->setTopLeftDelta(vector2df(0, 0));
    grid->setBottomRightDelta(vector2df(0, 0));
    grid->updateGrid();
    const Corners centre = cornersOf(grid->getQuad(4));
    EXPECT_FLOAT_EQ(centre.left, 0);
    EXPECT_FLOAT_EQ(centre.right, 100);
    EXPECT_FLOAT_EQ(centre.bottom, 40);
    EXPECT_FLOAT_EQ(centre.u0, uA);
    EXPECT_FLOAT_EQ(centre.u1, uB);
}

TEST_F(SpriteNodeTest, NineGridHitsItsBoundsSavesItsDeltasAndCopies) {
    CRefPtr<NineGridSpriteNode> grid =
        makeRef<NineGridSpriteNode>(CCreationContext(content.manager, ""));
    grid->setBounds(100, 40);
    grid->setAtlasTexture(content.frame(atlas::Grid));
    EXPECT_TRUE(grid->hitTest(vector2df(50, 20)));
    EXPECT_FALSE(grid->hitTest(vector2df(150, 20)));
    grid->setTintColor(0x14ffffffu);
    EXPECT_FALSE(grid->hitTest(vector2df(50, 20)));
    grid->setTintColor(0xffffffffu);

    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    grid->saveProperties(set.get());
    EXPECT_GE(set->getPropertyIndex("AtlasTexture"), 0);
    EXPECT_LT(set->getPropertyIndex("TopLeftDelta"), 0);
    EXPECT_LT(set->getPropertyIndex("BottomRightDelta"), 0);
    grid->setTopLeftDelta(vector2df(4, 5));
    set = makeRef<CPropertySet>(content.manager);
    grid->saveProperties(set.get());
    EXPECT_GE(set->getPropertyIndex("TopLeftDelta"), 0);
    EXPECT_LT(set->getPropertyIndex("BottomRightDelta"), 0);

    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(grid->clone(nullptr, nullptr));
    auto* other = dynamic_cast<NineGridSpriteNode*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->getTopLeftDelta(), vector2df(4, 5));
    EXPECT_EQ(other->getAtlasTexture(), grid->getAtlasTexture());

    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>(content.manager);
    wrong->addString("TopLeftDelta", "1;2");
    wrong->addInt("AtlasTexture", 3);
    other->loadProperties(wrong.get());
    EXPECT_EQ(other->getTopLeftDelta(), vector2df(0, 0));
    EXPECT_EQ(other->getAtlasTexture(), nullptr);
}

}  // namespace
