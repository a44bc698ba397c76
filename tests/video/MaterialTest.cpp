#include <vector>

#include <gtest/gtest.h>

#include "engine/video/CMeshBuffer.h"
#include "engine/video/SMaterial.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

TEST(Colors, ModulateTruncatesEachChannel) {
    EXPECT_EQ(modulateColor(0x80808080u, 0x80808080u), 0x40404040u);  // 64.25 -> 64
    EXPECT_EQ(modulateColor(0xFFFFFFFFu, 0x12345678u), 0x12345678u);
    EXPECT_EQ(modulateColor(0x00000000u, 0xFFFFFFFFu), 0u);
    EXPECT_EQ(modulateColor(0xFF0000FFu, 0x80FF00FFu), 0x800000FFu);
    // 255 leaves every value unchanged, in every channel.
    for (u32 c = 0; c < 256; ++c) {
        const u32 all = c * 0x01010101u;
        EXPECT_EQ(modulateColor(0xFFFFFFFFu, all), all) << c;
        EXPECT_EQ(modulateColor(all, 0xFFFFFFFFu), all) << c;
    }
}

TEST(Colors, SixteenBitAndFloatForms) {
    const struct {
        u32 argb;
        u16 packed;
    } cases[] = {
        {0xFFFFFFFFu, 0xFFFFu}, {0x00000000u, 0x0000u}, {0x80FF0000u, 0xFC00u},
        {0x7F00FF00u, 0x03E0u}, {0xFF0000FFu, 0x801Fu}, {0x00070707u, 0x0000u},
        {0x00080808u, 0x0421u},
    };
    for (const auto& c : cases) EXPECT_EQ(colorToA1R5G5B5(c.argb), c.packed) << std::hex << c.argb;

    const SColorf f = toFloatColor(0x80FF4000u);
    EXPECT_FLOAT_EQ(f.r, 1.0f);
    EXPECT_FLOAT_EQ(f.g, 64.0f * 0.003921569f);
    EXPECT_FLOAT_EQ(f.b, 0.0f);
    EXPECT_FLOAT_EQ(f.a, 128.0f * 0.003921569f);
    // Back to packed: each float x 255, truncated (not rounded), kept in range.
    EXPECT_EQ(toPackedColor(SColorf(0.999f, 0.5f, 0.0f, 1.0f)), 0xFFFE7F00u);
    EXPECT_EQ(toPackedColor(SColorf(2.0f, -1.0f, 0.0f, 0.0f)), 0x00FF0000u);
    for (u32 c = 0; c < 256; ++c) EXPECT_EQ(toPackedColor(toFloatColor(c * 0x01010101u)), c * 0x01010101u);

    const u32 rgba = toRGBAByteOrder(0x11223344u);
    const u8* bytes = reinterpret_cast<const u8*>(&rgba);
    EXPECT_EQ(bytes[0], 0x22);
    EXPECT_EQ(bytes[1], 0x33);
    EXPECT_EQ(bytes[2], 0x44);
    EXPECT_EQ(bytes[3], 0x11);
    EXPECT_TRUE(getIdentityMatrix().isIdentity());
    EXPECT_EQ(&getIdentityMatrix(), &getIdentityMatrix());
}

TEST(Vertices, LayoutsAndPitches) {
    EXPECT_EQ(offsetof(S2DVertex, Color), 12u);
    EXPECT_EQ(offsetof(S2DVertex, TCoords), 16u);
    const struct {
        u32 type, pitch;
    } cases[] = {{0, 24}, {1, 36}, {2, 44}, {3, 60}, {4, 24}, {0xffffffffu, 24}};
    for (const auto& c : cases) EXPECT_EQ(getVertexPitchFromType(c.type), c.pitch) << c.type;
    EXPECT_STREQ(sBuiltInMaterialTypeNames[0], "solid");
    EXPECT_STREQ(sBuiltInMaterialTypeNames[EMT_ONETEXTURE_BLEND], "onetexture_blend");
    EXPECT_STREQ(sBuiltInMaterialTypeNames[EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA],
                 "trans_alphach_vertexalpha");
    EXPECT_STREQ(sBuiltInMaterialTypeNames[25], "trans_alphach_vertexalpha_add");
}

TEST(Material, DefaultsAndEveryFieldTakesPartInTheComparison) {
    const SMaterial base;
    EXPECT_EQ(base.MaterialType, 0);
    EXPECT_EQ(base.AmbientColor.color, 0xFFFFFFFFu);
    EXPECT_EQ(base.EmissiveColor.color, 0u);
    EXPECT_EQ(base.Thickness, 1.0f);
    EXPECT_EQ(base.LayerCount, 4u);
    EXPECT_EQ(base.ColorMask, 15);
    EXPECT_EQ(base.ColorMaterial, 1);
    EXPECT_EQ(base.ZBuffer, 1);
    EXPECT_EQ(base.AntiAliasing, 5);
    EXPECT_TRUE(base.TextureLayer[0].BilinearFilter);
    EXPECT_FALSE(base.TextureLayer[0].TrilinearFilter);
    EXPECT_TRUE(base == SMaterial());

    using Change = void (*)(SMaterial&);
    const Change changes[] = {
        [](SMaterial& m) { m.MaterialType = 24; },
        [](SMaterial& m) { m.DiffuseColor = SColor(0x80FFFFFFu); },
        [](SMaterial& m) { m.SpecularColor = SColor(0u); },
        [](SMaterial& m) { m.Shininess = 0.5f; },
        [](SMaterial& m) { m.MaterialTypeParam2 = 1.0f; },
        [](SMaterial& m) { m.Thickness = 2.0f; },
        [](SMaterial& m) { m.Wireframe = true; },
        [](SMaterial& m) { m.PointCloud = true; },
        [](SMaterial& m) { m.GouraudShading = false; },
        [](SMaterial& m) { m.Lighting = false; },
        [](SMaterial& m) { m.ZWriteEnable = false; },
        [](SMaterial& m) { m.BackfaceCulling = false; },
        [](SMaterial& m) { m.FrontfaceCulling = true; },
        [](SMaterial& m) { m.FogEnable = true; },
        [](SMaterial& m) { m.NormalizeNormals = true; },
        [](SMaterial& m) { m.ZBuffer = 0; },
        [](SMaterial& m) { m.AntiAliasing = 0; },
        [](SMaterial& m) { m.ColorMask = 7; },
        [](SMaterial& m) { m.ColorMaterial = 0; },
        [](SMaterial& m) { m.LayerCount = 1; },
        [](SMaterial& m) { m.TextureLayer[0].Texture = reinterpret_cast<CTextureResource*>(8); },
        [](SMaterial& m) { m.TextureLayer[3].TextureWrap = ETW_CLAMP; },
        [](SMaterial& m) { m.TextureLayer[1].AnisotropicFilter = 8; },
        [](SMaterial& m) { m.TextureLayer[2].LODBias = -1; },
    };
    for (size_t i = 0; i < sizeof changes / sizeof changes[0]; ++i) {
        SMaterial m;
        changes[i](m);
        EXPECT_TRUE(m != base) << "change " << i;
        EXPECT_FALSE(m == base) << "change " << i;
    }
}

TEST(Material, OnlyUsedLayersAreCompared) {
    SMaterial a, b;
    a.LayerCount = b.LayerCount = 1;
    a.TextureLayer[2].TextureWrap = ETW_MIRRORED_REPEAT;
    b.TextureLayer[3].BilinearFilter = false;
    EXPECT_TRUE(a == b);
    a.TextureLayer[0].TrilinearFilter = true;
    EXPECT_TRUE(a != b);
}

TEST(Material, AssignmentCopiesTheSourceLayersAndKeepsTheRest) {
    SMaterial source;
    source.LayerCount = 2;
    source.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    source.ZWriteEnable = false;
    source.TextureLayer[0].Texture = reinterpret_cast<CTextureResource*>(16);
    source.TextureLayer[1].TextureWrap = ETW_CLAMP_TO_EDGE;
    source.TextureLayer[1].setTextureMatrix(matrix4().setTranslation(irr::core::vector3df(1, 2, 3)));

    SMaterial target;
    target.TextureLayer[2].TextureWrap = ETW_CLAMP;
    target.TextureLayer[3].AnisotropicFilter = 4;
    target = source;
    EXPECT_EQ(target.LayerCount, 2u);
    EXPECT_EQ(target.MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    EXPECT_FALSE(target.ZWriteEnable);
    EXPECT_EQ(target.TextureLayer[0].Texture, source.TextureLayer[0].Texture);
    EXPECT_EQ(target.TextureLayer[1].TextureWrap, ETW_CLAMP_TO_EDGE);
    EXPECT_EQ(target.TextureLayer[2].TextureWrap, ETW_CLAMP);  // kept
    EXPECT_EQ(target.TextureLayer[3].AnisotropicFilter, 4);    // kept
    // The matrix is deep-copied: a copy with a matrix is another pointer, so it differs.
    ASSERT_TRUE(target.TextureLayer[1].hasTextureMatrix());
    EXPECT_NE(target.TextureLayer[1].TextureMatrix, source.TextureLayer[1].TextureMatrix);
    EXPECT_EQ(*target.TextureLayer[1].TextureMatrix, *source.TextureLayer[1].TextureMatrix);
    EXPECT_TRUE(target != source);
    // Assigning a layer without a matrix frees the target's.
    SMaterialLayer plain;
    target.TextureLayer[1] = plain;
    EXPECT_FALSE(target.TextureLayer[1].hasTextureMatrix());
    // Self-assignment changes nothing.
    const SMaterial before = source;
    SMaterial& alias = source;
    source = alias;
    EXPECT_EQ(source.LayerCount, 2u);
    EXPECT_TRUE(source.TextureLayer[1].hasTextureMatrix());
    // A layer count beyond the four layers is not read past the end.
    SMaterial wide, other;
    wide.LayerCount = 9;
    other.LayerCount = 9;
    EXPECT_TRUE(wide == other);
    other = wide;
    EXPECT_EQ(other.LayerCount, 9u);
    (void)before;
}

TEST(MeshBuffer, DefaultsAppendAndBoundingBox) {
    CMeshBuffer* mb = new CMeshBuffer();
    EXPECT_EQ(mb->PrimitiveType, static_cast<u32>(EPT_TRIANGLES));
    EXPECT_EQ(mb->PrimitiveCount, 0u);
    EXPECT_EQ(mb->getVertexType(), 0u);
    EXPECT_EQ(mb->getBoundingBox().MinEdge, vector3df(-1, -1, -1));
    EXPECT_EQ(mb->getBoundingBox().MaxEdge, vector3df(1, 1, 1));
    mb->recalculateBoundingBox();
    EXPECT_EQ(mb->getBoundingBox().MinEdge, vector3df(0, 0, 0));
    EXPECT_EQ(mb->getBoundingBox().MaxEdge, vector3df(0, 0, 0));

    const S2DVertex quad[4] = {{0, 0, 0, SColor(0xFFFFFFFFu), 0, 0},
                               {10, 0, 0, SColor(0xFFFFFFFFu), 1, 0},
                               {10, 5, 0, SColor(0xFFFFFFFFu), 1, 1},
                               {0, 5, 0, SColor(0xFFFFFFFFu), 0, 1}};
    const u16 quadIndices[6] = {0, 1, 2, 0, 2, 3};
    mb->append(quad, 4, quadIndices, 6);
    const S2DVertex tri[3] = {{-3, 2, 0, SColor(0xFF0000FFu), 0, 0},
                              {20, 2, 0, SColor(0xFF0000FFu), 0, 0},
                              {4, 9, 1, SColor(0xFF0000FFu), 0, 0}};
    const u16 triIndices[3] = {0, 1, 2};
    mb->append(tri, 3, triIndices, 3);
    ASSERT_EQ(mb->getVertexCount(), 7u);
    ASSERT_EQ(mb->getIndexCount(), 9u);
    EXPECT_EQ(mb->getIndices()[6], 4);
    EXPECT_EQ(mb->getIndices()[7], 5);
    EXPECT_EQ(mb->getIndices()[8], 6);
    EXPECT_EQ(mb->getBoundingBox().MinEdge, vector3df(-3, 0, 0));
    EXPECT_EQ(mb->getBoundingBox().MaxEdge, vector3df(20, 9, 1));

    // Appending the buffer's own vertices does nothing.
    mb->append(mb->getVertices(), mb->getVertexCount(), mb->getIndices(), mb->getIndexCount());
    EXPECT_EQ(mb->getVertexCount(), 7u);
    mb->recalculateBoundingBox();
    EXPECT_EQ(mb->getBoundingBox().MinEdge, vector3df(-3, 0, 0));
    mb->drop();
}

TEST(MeshBuffer, AppendBeyondSixteenBitIndicesIsRefused) {
    test::LogCapture logs;
    CMeshBuffer* mb = new CMeshBuffer();
    std::vector<S2DVertex> many(65530, S2DVertex(1, 2, 0, SColor(0xFFFFFFFFu), 0, 0));
    const u16 index = 65529;
    mb->append(many.data(), static_cast<u32>(many.size()), &index, 1);
    EXPECT_EQ(mb->getVertexCount(), 65530u);
    const u16 small[1] = {5};
    mb->append(many.data(), 6, small, 1);  // exactly 65536 vertices: the last index is 65535
    EXPECT_EQ(mb->getVertexCount(), 65536u);
    EXPECT_EQ(mb->getIndices()[1], 65535);
    mb->append(many.data(), 1, small, 0);
    EXPECT_EQ(mb->getVertexCount(), 65536u);
    EXPECT_TRUE(logs.contains("Mesh buffer append refused: more than 65536 vertices", LogError));
    mb->drop();
}
