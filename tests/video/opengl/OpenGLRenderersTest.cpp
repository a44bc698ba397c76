#include "engine/video/opengl/COpenGLMaterialRenderers.h"
#include "tests/video/opengl/GLTestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

using VideoDriverRenderers = DriverFixture;
OSKEL_OVER_BOTH_DRIVERS(VideoDriverRenderers);

// Each family's defining effect, one pixel in the middle of a quad.
TEST_P(VideoDriverRenderers, TextureStageFamilies) {
    CTextureResource* base = solidTexture(0xFFC86432);   // (200, 100, 50)
    CTextureResource* grey = solidTexture(0xFF808080);   // 128
    CTextureResource* red = solidTexture(0xFFFF0000);
    CTextureResource* blue = solidTexture(0xFF0000FF);
    CTextureResource* mid = solidTexture(0xFF646464);    // 100
    CTextureResource* detail = solidTexture(0xFFB2804E); // (178, 128, 78)
    const SColor white(255, 255, 255, 255);
    const SColor tint(255, 128, 255, 255);
    const struct {
        const char* name;
        s32 type;
        CTextureResource* first;
        CTextureResource* second;
        SColor vertex;
        int r, g, b;
    } cases[] = {
        {"1 second layer by vertex alpha", EMT_SOLID_2_LAYER, red, blue, white, 0, 0, 255},
        {"1 first layer at alpha 0", EMT_SOLID_2_LAYER, red, blue, SColor(0, 255, 255, 255), 255, 0, 0},
        // Light maps: the vertex colour counts only for the lit kinds.
        {"2 lightmap", EMT_LIGHTMAP, base, grey, tint, 100, 50, 25},
        {"3 lightmap add", EMT_LIGHTMAP_ADD, base, grey, tint, 255, 228, 178},
        {"4 lightmap x2", EMT_LIGHTMAP_M2, base, grey, tint, 200, 100, 50},
        {"5 lightmap x4", EMT_LIGHTMAP_M4, base, grey, tint, 255, 200, 100},
        {"6 lit lightmap", EMT_LIGHTMAP_LIGHTING, base, grey, tint, 50, 50, 25},
        {"7 lit lightmap x2", EMT_LIGHTMAP_LIGHTING_M2, base, grey, tint, 100, 100, 50},
        {"8 lit lightmap x4", EMT_LIGHTMAP_LIGHTING_M4, base, grey, tint, 200, 200, 100},
        // Detail map: added signed.
        {"9 detail map", EMT_DETAIL_MAP, mid, detail, white, 150, 100, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(material(c.type, c.first, c.second), 0, 0, 16, 16, c.vertex);
        EXPECT_TRUE(near(backPixel(8, 8), c.r, c.g, c.b, 4));
        driver->endScene();
    }
}

TEST_P(VideoDriverRenderers, TransparentFamilies) {
    CTextureResource* colour = solidTexture(0xFF64C800);       // (100, 200, 0)
    CTextureResource* clear = solidTexture(0x00FF0000);        // alpha 0
    CTextureResource* half = solidTexture(0x80FF0000);         // alpha 128
    CTextureResource* below = solidTexture(0x64FF0000);        // alpha 100
    CTextureResource* above = solidTexture(0xC8FF0000);        // alpha 200
    const SColor white(255, 255, 255, 255);
    SMaterial blendOne = material(EMT_ONETEXTURE_BLEND, colour);
    blendOne.MaterialTypeParam = static_cast<f32>((1 << 4) | 1);  // source one, destination one
    const struct {
        const char* name;
        SMaterial m;
        int r, g, b;
    } cases[] = {
        // Over (100, 100, 100): source + destination × (1 − source).
        {"12 add colour", material(EMT_TRANSPARENT_ADD_COLOR, colour), 161, 222, 100},
        {"13 alpha 0 is dropped", material(EMT_TRANSPARENT_ALPHA_CHANNEL, clear), 100, 100, 100},
        {"13 alpha 128 blends", material(EMT_TRANSPARENT_ALPHA_CHANNEL, half), 178, 50, 50},
        {"14 alpha 100 is dropped", material(EMT_TRANSPARENT_ALPHA_CHANNEL_REF, below), 100, 100, 100},
        {"14 alpha 200 is opaque", material(EMT_TRANSPARENT_ALPHA_CHANNEL_REF, above), 255, 0, 0},
        {"15 texture alpha ignored", material(EMT_TRANSPARENT_VERTEX_ALPHA, clear), 255, 0, 0},
        {"23 one plus one", blendOne, 200, 255, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver->beginScene(true, true, SColor(255, 100, 100, 100));
        quad(c.m, 0, 0, 16, 16, white);
        EXPECT_TRUE(near(backPixel(8, 8), c.r, c.g, c.b, 4));
        driver->endScene();
    }
}

TEST_P(VideoDriverRenderers, SphereMapsGenerateTheirTextureCoordinates) {
    // Left half red, right half blue.
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(16, 16));
    for (s32 y = 0; y < 16; ++y)
        for (s32 x = 0; x < 16; ++x) image->setPixel(x, y, x < 8 ? 0xFFFF0000 : 0xFF0000FF);
    CTextureResource* halves = textureOf(image);
    CTextureResource* white = solidTexture(0xFFFFFFFF);
    CTextureResource* tinted = solidTexture(0xFFC8C8C8);
    auto pixelWith = [&](const SMaterial& m, f32 u) {
        driver->beginScene(true, true, SColor(255, 0, 0, 0));
        quad(m, 40, 40, 56, 56, SColor(255, 255, 255, 255), u, 0.1f, u + 0.1f, 0.2f);
        const RGBA got = backPixel(48, 48);
        driver->endScene();
        return got;
    };
    // Solid reads the coordinates it is given.
    const RGBA solidLeft = pixelWith(material(EMT_SOLID, halves), 0.1f);
    const RGBA solidRight = pixelWith(material(EMT_SOLID, halves), 0.8f);
    EXPECT_TRUE(near(solidLeft, 255, 0, 0));
    EXPECT_TRUE(near(solidRight, 0, 0, 255));
    // The sphere map makes its own.
    const RGBA sphereLeft = pixelWith(material(EMT_SPHERE_MAP, halves), 0.1f);
    const RGBA sphereRight = pixelWith(material(EMT_SPHERE_MAP, halves), 0.8f);
    EXPECT_TRUE(near(sphereLeft, sphereRight.r, sphereRight.g, sphereRight.b, 0));
    EXPECT_TRUE(near(sphereLeft, 255, 0, 0) || near(sphereLeft, 0, 0, 255)) << sphereLeft;
    // Reflection: the second layer, sphere-mapped, modulates the first.
    const RGBA reflection = pixelWith(material(EMT_REFLECTION_2_LAYER, white, tinted), 0.1f);
    EXPECT_TRUE(near(reflection, 200, 200, 200));
    const RGBA reflectionLeft = pixelWith(material(EMT_REFLECTION_2_LAYER, white, halves), 0.1f);
    const RGBA reflectionRight = pixelWith(material(EMT_REFLECTION_2_LAYER, white, halves), 0.8f);
    EXPECT_TRUE(near(reflectionLeft, reflectionRight.r, reflectionRight.g, reflectionRight.b, 0));
    // The generation ends with the material: solid reads its coordinates again.
    EXPECT_TRUE(near(pixelWith(material(EMT_SOLID, halves), 0.8f), 0, 0, 255));
    // The transparent reflection blends by the vertex alpha.
    driver->beginScene(true, true, SColor(255, 0, 0, 0));
    quad(material(EMT_TRANSPARENT_REFLECTION_2_LAYER, white, tinted), 40, 40, 56, 56,
         SColor(128, 255, 255, 255));
    EXPECT_TRUE(near(backPixel(48, 48), 100, 100, 100, 4));
}

// A quad of tangent vertices, facing the viewer, with a flat normal map.
template <class Fixture>
class BumpMapQuad : public Fixture {
public:
    using Fixture::driver;
    using Fixture::backPixel;
    using Fixture::material;
    using Fixture::solidTexture;

    // Draws the quad (200 x 100 at the origin) lit by a point light above the given x, over a
    // background of the grey level, with the vertex alpha, the base texture (the fixture's white
    // one when none) and the material parameter. The frame stays for reading.
    void drawLit(s32 type, f32 lightX, int background = 0, u8 alpha = 255, CTextureResource* baseTexture = nullptr,
                 f32 parameter = 0.0f) {
        driver->deleteAllDynamicLights();
        SLight light;
        light.Type = ELT_POINT;
        light.Position = vector3df(lightX, 50, -30);
        light.DiffuseColor = SColorf(1, 1, 1, 1);
        driver->addDynamicLight(light);
        const u32 grey = static_cast<u32>(background);
        driver->beginScene(true, true, SColor(255, grey, grey, grey));
        SVertexTangents v[4];
        const f32 xy[4][2] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}};
        const f32 uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i) {
            v[i].Pos = vector3df(xy[i][0], xy[i][1], 0);
            v[i].Color = SColor(alpha, 255, 255, 255);
            v[i].TCoords = vector2df(uv[i][0], uv[i][1]);
            v[i].Normal = vector3df(0, 0, -1);
            v[i].Tangent = vector3df(1, 0, 0);
            v[i].Binormal = vector3df(0, 1, 0);
        }
        const u16 indices[6] = {0, 1, 2, 0, 2, 3};
        driver->set2DRenderMode();
        SMaterial m = material(type, baseTexture ? baseTexture : base, normals);
        m.MaterialTypeParam = parameter;
        driver->setMaterial(m);
        driver->drawIndexedTriangleListTangents(v, 4, indices, 2);
    }

    // The brightness at a point near the left and near the right of the quad with the light
    // above the given x.
    std::pair<int, int> shade(s32 type, f32 lightX) {
        drawLit(type, lightX);
        const int left = backPixel(20, 50).r;
        const int right = backPixel(180, 50).r;
        driver->endScene();
        return {left, right};
    }

    void SetUp() override {
        Fixture::SetUp();
        if (!driver) return;
        base = solidTexture(0xFFFFFFFF);
        normals = solidTexture(0xFF8080FF);  // the flat normal (0, 0, 1)
    }

    CTextureResource* base = nullptr;
    CTextureResource* normals = nullptr;
};

// Normal and parallax maps are shader programs: GLSL in the OpenGL driver, which the
// Direct3D-shaped layer does not offer.
using OpenGLOnlyBumpMaps = BumpMapQuad<GLFixture>;

TEST_F(OpenGLOnlyBumpMaps, LitQuadShadingFollowsTheLightWithGlsl) {
    if (!driver->queryFeature(EVDF_ARB_GLSL)) OSKEL_SKIP_WITHOUT_DISPLAY("no GLSL");
    for (s32 type : {EMT_NORMAL_MAP_SOLID, EMT_PARALLAX_MAP_SOLID}) {
        SCOPED_TRACE(type);
        EXPECT_NE(driver->getMaterialRenderer(static_cast<u32>(type)),
                  driver->getMaterialRenderer(EMT_SOLID));
        const auto lightLeft = shade(type, 20);
        const auto lightRight = shade(type, 180);
        EXPECT_GT(lightLeft.first, 240);  // right under the light
        EXPECT_LT(lightLeft.second, 80);  // far to the side
        EXPECT_GT(lightRight.second, 240);
        EXPECT_LT(lightRight.first, 80);
    }
}

TEST_F(OpenGLOnlyBumpMaps, WithoutGlslProgramsTheBaseRendererDraws) {
    driver->getExtensions().ShaderLanguage = false;
    logs.clear();
    createOpenGLMaterialRenderers(driver);
    EXPECT_TRUE(logs.contains("Normal map renderer falls back to its base material.", LogWarning));
    EXPECT_TRUE(logs.contains("Parallax map renderer falls back to its base material.", LogWarning));
    EXPECT_EQ(driver->getMaterialRenderer(EMT_NORMAL_MAP_SOLID), driver->getMaterialRenderer(EMT_SOLID));
    EXPECT_EQ(driver->getMaterialRenderer(EMT_PARALLAX_MAP_TRANSPARENT_VERTEX_ALPHA),
              driver->getMaterialRenderer(EMT_TRANSPARENT_VERTEX_ALPHA));
    EXPECT_STREQ(driver->getMaterialRendererName(EMT_NORMAL_MAP_SOLID), "normalmap_solid");
    // The quad is the base: the texture times the vertex colour, unlit.
    const auto shaded = shade(EMT_NORMAL_MAP_SOLID, 20);
    EXPECT_EQ(shaded.first, 255);
    EXPECT_EQ(shaded.second, 255);
}

// Without shader programs both drivers draw the normal and parallax maps as their base
// materials; the Direct3D 9 driver does not even ask for the shader compiler then.
using BumpMaps = BumpMapQuad<DriverFixture>;
OSKEL_OVER_BOTH_DRIVERS(BumpMaps);

TEST_P(BumpMaps, WithoutShaderProgramsTheBaseMaterialDraws) {
    if (isOpenGL()) {
        gl()->getExtensions().ShaderLanguage = false;
        createOpenGLMaterialRenderers(gl());
    }
    logs.clear();
    for (s32 type : {EMT_NORMAL_MAP_SOLID, EMT_PARALLAX_MAP_SOLID}) {
        SCOPED_TRACE(type);
        EXPECT_STREQ(driver->getMaterialRendererName(static_cast<u32>(type)),
                     sBuiltInMaterialTypeNames[type]);
        const auto shaded = shade(type, 20);
        EXPECT_EQ(shaded.first, 255);
        EXPECT_EQ(shaded.second, 255);
    }
    for (s32 type : {EMT_NORMAL_MAP_TRANSPARENT_VERTEX_ALPHA, EMT_PARALLAX_MAP_TRANSPARENT_ADD_COLOR})
        EXPECT_TRUE(driver->getMaterialRenderer(static_cast<u32>(type))->isTransparent());
    EXPECT_FALSE(logs.contains("Could not load shader function D3DXAssembleShader from dll, "
                               "shaders disabled"));
    // The OpenGL driver's renderers are made again with its programs for the next test.
    if (isOpenGL()) {
        ASSERT_TRUE(remakeDriver(parameters()));
    }
}

// The transparent normal and parallax maps shade like the solid ones and then blend as their
// base materials do: adding the colour over the target, or by the vertex alpha.
TEST_F(OpenGLOnlyBumpMaps, TransparentVariantsBlendLikeTheirBasesWithGlsl) {
    if (!driver->queryFeature(EVDF_ARB_GLSL)) OSKEL_SKIP_WITHOUT_DISPLAY("no GLSL");
    const int background = 100;
    for (s32 type : {EMT_NORMAL_MAP_TRANSPARENT_ADD_COLOR, EMT_PARALLAX_MAP_TRANSPARENT_ADD_COLOR}) {
        SCOPED_TRACE(type);
        EXPECT_NE(driver->getMaterialRenderer(static_cast<u32>(type)),
                  driver->getMaterialRenderer(EMT_TRANSPARENT_ADD_COLOR));
        drawLit(type, 20, background);
        // Under the light the colour is near white and hides the target; far to the side it is
        // dark and the target shows through: source + target x (1 - source).
        EXPECT_GT(backPixel(20, 50).r, 240);
        const int side = backPixel(180, 50).r;
        EXPECT_GE(side, background - 2);
        EXPECT_LT(side, 160);
        driver->endScene();
    }
    for (s32 type : {EMT_NORMAL_MAP_TRANSPARENT_VERTEX_ALPHA, EMT_PARALLAX_MAP_TRANSPARENT_VERTEX_ALPHA}) {
        SCOPED_TRACE(type);
        drawLit(type, 20, background, 128);
        // Half the lit colour over half the target.
        EXPECT_NEAR(backPixel(20, 50).r, (255 + background) / 2, 8);
        EXPECT_NEAR(backPixel(180, 50).r, background / 2, 30);
        driver->endScene();
        // Opaque vertices hide the target.
        drawLit(type, 20, background, 255);
        EXPECT_GT(backPixel(20, 50).r, 240);
        driver->endScene();
    }
}

// The parallax map moves the texture coordinates by the height (the normal map's alpha) along the
// view direction; the plain normal map does not. A base texture red on the left half and blue on
// the right shows it: the boundary moves with the height scale (the material parameter).
TEST_F(OpenGLOnlyBumpMaps, ParallaxShiftsTheTextureByTheHeightWithGlsl) {
    if (!driver->queryFeature(EVDF_ARB_GLSL)) OSKEL_SKIP_WITHOUT_DISPLAY("no GLSL");
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(64, 64));
    for (s32 y = 0; y < 64; ++y)
        for (s32 x = 0; x < 64; ++x) image->setPixel(x, y, x < 32 ? 0xFFFF0000 : 0xFF0000FF);
    CTextureResource* halves = textureOf(image);
    // The first column from the left along the middle row that is more blue than red.
    auto boundary = [&](s32 type, f32 parameter) {
        drawLit(type, 100, 0, 255, halves, parameter);
        int found = -1;
        for (int x = 0; x < 200 && found < 0; ++x) {
            const RGBA p = backPixel(x, 50);
            if (p.b > p.r) found = x;
        }
        driver->endScene();
        return found;
    };
    const int plain = boundary(EMT_NORMAL_MAP_SOLID, 0.0f);
    EXPECT_NEAR(plain, 100, 2);  // the texture's own middle
    // The flat normal map has height 1 (alpha 255): a shift of half the scale along the view
    // direction, which points back to the origin, so the red half reaches further right.
    const int shifted = boundary(EMT_PARALLAX_MAP_SOLID, 0.5f);
    EXPECT_GT(shifted, plain + 10);
    const int slight = boundary(EMT_PARALLAX_MAP_SOLID, 0.0f);  // the default scale, 0.02
    EXPECT_GE(slight, plain);
    EXPECT_LT(slight, shifted);
}

}  // namespace
