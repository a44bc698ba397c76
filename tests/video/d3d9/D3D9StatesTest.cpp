// The Direct3D 9 driver's render modes, material states and drawing calls, read from the calls
// it makes on recorded windowless devices.

#include <functional>

#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"
#include "tests/video/d3d9/D3D9TestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::test;

namespace {

class D3D9States : public D3D9Recording {
protected:
    void SetUp() override {
        D3D9Recording::SetUp();
        ASSERT_NE(make(), nullptr);
        ASSERT_TRUE(driver->beginScene());
        D3DTestControl::clearCalls();
    }
    void TearDown() override {
        if (driver) driver->endScene();
        D3D9Recording::TearDown();
    }
    // The calls that send state (everything but the draws).
    static size_t stateCalls() {
        size_t n = 0;
        for (const std::string& name : names())
            if (name.rfind("Draw", 0) != 0) ++n;
        return n;
    }
};

TEST_F(D3D9States, TwoIdenticalBatchesSendNoState) {
    CTextureResource* texture = textureOf(solidImage(4, 4, 0xFFFFFFFF));
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, texture);
    quad(m, 0, 0, 10, 10);
    EXPECT_GT(stateCalls(), 0u);
    D3DTestControl::clearCalls();
    quad(m, 20, 0, 30, 10);
    EXPECT_EQ(names(), std::vector<std::string>{"DrawIndexedPrimitiveUP"});
    // Also for the depth-writing-off types, whose renderer changes the material it applies.
    const SMaterial add = material(EMT_TRANSPARENT_VERTEX_ALPHA, texture);
    quad(add, 0, 0, 10, 10);
    D3DTestControl::clearCalls();
    quad(add, 0, 0, 10, 10);
    EXPECT_EQ(names(), std::vector<std::string>{"DrawIndexedPrimitiveUP"});
}

TEST_F(D3D9States, AlphaChannelThenSpritesSwitchesTheAlphaTestOffFirst) {
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL), 0, 0, 10, 10);
    EXPECT_EQ(renderStates(D3DRS_ALPHATESTENABLE).back(), 1u);
    D3DTestControl::clearCalls();
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), 0, 0, 10, 10);
    // The unset of type 13 switches alpha testing off before anything of type 24 and before
    // the draw.
    const std::vector<SRecordedCall>& all = D3DTestControl::calls();
    size_t testOff = all.size(), firstStage = all.size();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].name == "SetRenderState" &&
            all[i].args == std::vector<uint64_t>{D3DRS_ALPHATESTENABLE, 0} && testOff == all.size())
            testOff = i;
        if (all[i].name == "SetTextureStageState" && firstStage == all.size()) firstStage = i;
    }
    EXPECT_LT(testOff, firstStage);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().name, "DrawIndexedPrimitiveUP");
    // Type 24: texture times vertex colour, alpha times vertex alpha, blended.
    EXPECT_EQ(stageStates(0, D3DTSS_COLOROP), std::vector<uint64_t>{D3DTOP_MODULATE});
    EXPECT_EQ(stageStates(0, D3DTSS_ALPHAOP), std::vector<uint64_t>{D3DTOP_MODULATE});
    EXPECT_EQ(stageStates(1, D3DTSS_COLOROP), std::vector<uint64_t>{D3DTOP_DISABLE});
    EXPECT_EQ(renderStates(D3DRS_SRCBLEND), std::vector<uint64_t>{D3DBLEND_SRCALPHA});
    EXPECT_EQ(renderStates(D3DRS_DESTBLEND), std::vector<uint64_t>{D3DBLEND_INVSRCALPHA});
    // The sprite materials leave depth writing as the material has it.
    EXPECT_TRUE(driver->getLastMaterial().ZWriteEnable);
    D3DTestControl::clearCalls();
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD), 0, 0, 10, 10);
    EXPECT_EQ(stageStates(0, D3DTSS_COLOROP), std::vector<uint64_t>{D3DTOP_ADD});
}

// The types that keep depth writing off leave the driver knowing it: the next material that
// writes depth sends depth writing on again.
TEST_F(D3D9States, DepthWritingComesBackAfterTheTypesThatSwitchItOff) {
    for (s32 type : {EMT_TRANSPARENT_ADD_COLOR, EMT_TRANSPARENT_ALPHA_CHANNEL,
                     EMT_TRANSPARENT_ALPHA_CHANNEL_REF, EMT_TRANSPARENT_VERTEX_ALPHA}) {
        SCOPED_TRACE(type);
        D3DTestControl::clearCalls();
        quad(material(type), 0, 0, 10, 10);
        EXPECT_EQ(renderStates(D3DRS_ZWRITEENABLE).back(), 0u);
        EXPECT_FALSE(driver->getLastMaterial().ZWriteEnable);
        D3DTestControl::clearCalls();
        quad(material(EMT_SOLID), 0, 0, 10, 10);
        EXPECT_EQ(renderStates(D3DRS_ZWRITEENABLE), std::vector<uint64_t>{1});
    }
}

TEST_F(D3D9States, MaterialTablesReachTheDevice) {
    // Depth codes: 0 off, 1 to 7 on with their comparison, codes beyond the table send nothing.
    const D3DCMPFUNC comparisons[] = {D3DCMP_LESSEQUAL, D3DCMP_EQUAL,        D3DCMP_LESS,
                                      D3DCMP_NOTEQUAL,  D3DCMP_GREATEREQUAL, D3DCMP_GREATER,
                                      D3DCMP_ALWAYS};
    for (u8 code = 0; code <= 8; ++code) {
        SCOPED_TRACE(int(code));
        SMaterial m = material(EMT_SOLID);
        m.ZBuffer = code == 0 ? ECFN_LESSEQUAL : ECFN_NEVER;  // differ from the code first
        quad(m, 0, 0, 1, 1);
        D3DTestControl::clearCalls();
        m.ZBuffer = code;
        quad(m, 0, 0, 1, 1);
        if (code == 0) {
            EXPECT_EQ(renderStates(D3DRS_ZENABLE), std::vector<uint64_t>{D3DZB_FALSE});
        } else if (code <= ECFN_ALWAYS) {
            EXPECT_EQ(renderStates(D3DRS_ZENABLE), std::vector<uint64_t>{D3DZB_TRUE});
            EXPECT_EQ(renderStates(D3DRS_ZFUNC), std::vector<uint64_t>{comparisons[code - 1]});
        } else {
            EXPECT_TRUE(renderStates(D3DRS_ZENABLE).empty());
            EXPECT_TRUE(renderStates(D3DRS_ZFUNC).empty());
        }
    }
    // Wrap codes on both coordinates of the layer's sampler.
    const D3DTEXTUREADDRESS addresses[] = {D3DTADDRESS_WRAP,   D3DTADDRESS_CLAMP,
                                           D3DTADDRESS_CLAMP,  D3DTADDRESS_BORDER,
                                           D3DTADDRESS_MIRROR, D3DTADDRESS_WRAP};
    for (u8 wrap = 0; wrap <= 5; ++wrap) {
        SMaterial m = material(EMT_SOLID);
        m.TextureLayer[1].TextureWrap = static_cast<u8>((wrap + 1) % 6);
        quad(m, 0, 0, 1, 1);
        D3DTestControl::clearCalls();
        m.TextureLayer[1].TextureWrap = wrap;
        quad(m, 0, 0, 1, 1);
        EXPECT_EQ(samplerStates(1, D3DSAMP_ADDRESSU), std::vector<uint64_t>{addresses[wrap]})
            << int(wrap);
        EXPECT_EQ(samplerStates(1, D3DSAMP_ADDRESSV), std::vector<uint64_t>{addresses[wrap]})
            << int(wrap);
    }
    // Colour masks: the engine's bits (1 alpha, 2 red, 4 green, 8 blue) in Direct3D's order.
    const struct {
        u8 mask;
        DWORD bits;
    } masks[] = {{15, 15},
                 {1, D3DCOLORWRITEENABLE_ALPHA},
                 {2, D3DCOLORWRITEENABLE_RED},
                 {4, D3DCOLORWRITEENABLE_GREEN},
                 {8, D3DCOLORWRITEENABLE_BLUE},
                 {0, 0}};
    for (const auto& c : masks) {
        SMaterial m = material(EMT_SOLID);
        m.ColorMask = static_cast<u8>(c.mask ^ 3);
        quad(m, 0, 0, 1, 1);
        D3DTestControl::clearCalls();
        m.ColorMask = c.mask;
        quad(m, 0, 0, 1, 1);
        EXPECT_EQ(renderStates(D3DRS_COLORWRITEENABLE), std::vector<uint64_t>{c.bits})
            << int(c.mask);
    }
    // Mip-map level bias in eighths.
    SMaterial biased = material(EMT_SOLID);
    biased.TextureLayer[0].LODBias = -12;
    D3DTestControl::clearCalls();
    quad(biased, 0, 0, 1, 1);
    EXPECT_EQ(samplerStates(0, D3DSAMP_MIPMAPLODBIAS), std::vector<uint64_t>{floatBits(-1.5f)});
}

TEST_F(D3D9States, FilterTable) {
    const struct {
        bool bilinear, trilinear;
        u8 anisotropic;
        DWORD filterCaps;
        D3DTEXTUREFILTERTYPE mag, min, mip;
        int maxAnisotropy;  // -1: not sent
    } cases[] = {
        {false, false, 0, ~0u, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, -1},
        {true, false, 0, ~0u, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, -1},
        {false, true, 0, ~0u, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, -1},
        {false, false, 8, ~0u, D3DTEXF_ANISOTROPIC, D3DTEXF_ANISOTROPIC, D3DTEXF_POINT, 8},
        // Bounded by the device's largest anisotropy (16).
        {true, true, 64, ~0u, D3DTEXF_ANISOTROPIC, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR, 16},
        // Without anisotropic filtering the device filters linearly.
        {true, false, 4, D3DPTFILTERCAPS_MINFANISOTROPIC, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC,
         D3DTEXF_POINT, 4},
        {true, false, 4, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, -1},
    };
    for (const auto& c : cases) {
        SMaterialLayer layer;
        layer.BilinearFilter = c.bilinear;
        layer.TrilinearFilter = c.trilinear;
        layer.AnisotropicFilter = c.anisotropic;
        const d3dcommon::SSamplerFilters f = d3dcommon::samplerFiltersOf(layer, c.filterCaps, 16);
        EXPECT_EQ(f.Magnification, c.mag);
        EXPECT_EQ(f.Minification, c.min);
        EXPECT_EQ(f.Mip, c.mip);
        EXPECT_EQ(f.Anisotropic, c.maxAnisotropy >= 0);
        if (c.maxAnisotropy >= 0) {
            EXPECT_EQ(f.MaxAnisotropy, static_cast<DWORD>(c.maxAnisotropy));
        }
    }
    // Through the driver: the layer's sampler gets them.
    SMaterial m = material(EMT_SOLID);
    m.TextureLayer[2].TrilinearFilter = true;
    m.TextureLayer[2].AnisotropicFilter = 4;
    quad(material(EMT_SOLID), 0, 0, 1, 1);
    D3DTestControl::clearCalls();
    quad(m, 0, 0, 1, 1);
    EXPECT_EQ(samplerStates(2, D3DSAMP_MAXANISOTROPY), std::vector<uint64_t>{4});
    EXPECT_EQ(samplerStates(2, D3DSAMP_MAGFILTER), std::vector<uint64_t>{D3DTEXF_ANISOTROPIC});
    EXPECT_EQ(samplerStates(2, D3DSAMP_MIPFILTER), std::vector<uint64_t>{D3DTEXF_LINEAR});
}

TEST_F(D3D9States, ColourMaterialSources) {
    const struct {
        u8 code;
        DWORD vertex, diffuse, ambient, emissive, specular;
    } cases[] = {
        {ECM_NONE, 0, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL},
        {ECM_DIFFUSE, 1, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL},
        {ECM_AMBIENT, 1, D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL},
        {ECM_EMISSIVE, 1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL},
        {ECM_SPECULAR, 1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1},
        {ECM_DIFFUSE_AND_AMBIENT, 1, D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL,
         D3DMCS_MATERIAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        SMaterial m = material(EMT_SOLID);
        m.ColorMaterial = c.code == ECM_NONE ? ECM_DIFFUSE : ECM_NONE;
        quad(m, 0, 0, 1, 1);
        D3DTestControl::clearCalls();
        m.ColorMaterial = c.code;
        quad(m, 0, 0, 1, 1);
        EXPECT_EQ(renderStates(D3DRS_COLORVERTEX), std::vector<uint64_t>{c.vertex});
        EXPECT_EQ(renderStates(D3DRS_DIFFUSEMATERIALSOURCE), std::vector<uint64_t>{c.diffuse});
        EXPECT_EQ(renderStates(D3DRS_AMBIENTMATERIALSOURCE), std::vector<uint64_t>{c.ambient});
        EXPECT_EQ(renderStates(D3DRS_EMISSIVEMATERIALSOURCE), std::vector<uint64_t>{c.emissive});
        EXPECT_EQ(renderStates(D3DRS_SPECULARMATERIALSOURCE), std::vector<uint64_t>{c.specular});
    }
}

TEST_F(D3D9States, OneLayerBindsStageZeroAndEmptiesTheOthers) {
    CTextureResource* a = textureOf(solidImage(4, 4, 0xFFFF0000));
    CTextureResource* b = textureOf(solidImage(4, 4, 0xFF00FF00));
    SMaterial two = material(EMT_SOLID_2_LAYER, a);
    two.TextureLayer[1].Texture = b;
    driver->setMaterial(two);
    EXPECT_EQ(driver->getCurrentTexture(1), b->getTexture());
    SMaterial one = material(EMT_SOLID, a);
    one.LayerCount = 1;
    D3DTestControl::clearCalls();
    driver->setMaterial(one);
    EXPECT_EQ(driver->getCurrentTexture(0), a->getTexture());
    for (u32 stage = 1; stage < 4; ++stage) EXPECT_EQ(driver->getCurrentTexture(stage), nullptr);
    // Only stage 1 changed; it is unbound with its transform off.
    const std::vector<SRecordedCall> bound = calls("SetTexture");
    ASSERT_EQ(bound.size(), 1u);
    EXPECT_EQ(bound[0].args, (std::vector<uint64_t>{1, 0}));
    EXPECT_EQ(stageStates(1, D3DTSS_TEXTURETRANSFORMFLAGS), std::vector<uint64_t>{D3DTTFF_DISABLE});
}

// The stage holds what it binds: a texture let go by its owner while bound stays alive, so that
// another texture made at its address is never taken for it.
TEST_F(D3D9States, StagesHoldTheirTextures) {
    auto* image = solidImage(4, 4, 0xFFFF0000);
    ITexture* texture = driver->createTextureFromImage(image);
    image->drop();
    EXPECT_TRUE(driver->setTexture(0, texture));
    EXPECT_EQ(texture->getReferenceCount(), 2);
    texture->drop();
    EXPECT_EQ(driver->getCurrentTexture(0)->getReferenceCount(), 1);
    D3DTestControl::clearCalls();
    EXPECT_TRUE(driver->setTexture(0, driver->getCurrentTexture(0)));  // the same: nothing sent
    EXPECT_EQ(count("SetTexture"), 0u);
    EXPECT_TRUE(driver->setTexture(0, nullptr));
    EXPECT_EQ(count("SetTexture"), 1u);
    // A texture of another driver is refused and the stage keeps what it had.
    CImage* other = solidImage(2, 2, 0xFFFFFFFF);
    auto* foreign = new CMemoryTexture(other, 0, true, false);
    other->drop();
    EXPECT_FALSE(driver->setTexture(0, foreign));
    EXPECT_TRUE(
        logs.contains("Fatal Error: Tried to set a texture not owned by this driver.", LogError));
    EXPECT_EQ(driver->getCurrentTexture(0), nullptr);
    foreign->drop();
    EXPECT_FALSE(driver->setTexture(4, nullptr));
}

TEST_F(D3D9States, WorldMatrixMovesTwoDBatchesAndTheProjectionIsRebuiltAfterIt) {
    quad(material(EMT_SOLID), 0, 0, 10, 10);
    matrix4 move;
    move.setTranslation(vector3df(100, 50, 0));
    D3DTestControl::clearCalls();
    driver->setTransform(ETS_WORLD, move);
    ASSERT_EQ(transforms(D3DTS_WORLD).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_WORLD)[0][12], 100.0f);
    driver->set2DRenderMode();
    // The 2D projection comes again, and the world stays the one set.
    EXPECT_EQ(transforms(D3DTS_PROJECTION).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_WORLD).back()[13], 50.0f);
    // A texture transform sets its stage's flags.
    driver->setTransform(ETS_TEXTURE_2, move);
    EXPECT_EQ(stageStates(2, D3DTSS_TEXTURETRANSFORMFLAGS), std::vector<uint64_t>{D3DTTFF_COUNT2});
    EXPECT_FLOAT_EQ(transforms(D3DTS_TEXTURE2).back()[12], 100.0f);
}

// Images and 2D batches each send their own transforms when the other drew last.
TEST_F(D3D9States, ImagesAndBatchesEachGetTheirOwnTransforms) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    matrix4 move;
    move.setTranslation(vector3df(7, 9, 0));
    driver->setTransform(ETS_WORLD, move);
    quad(material(EMT_SOLID), 0, 0, 10, 10);
    D3DTestControl::clearCalls();
    driver->draw2DImage(texture->getTexture(), vector2di(10, 10), recti(0, 0, 8, 8));
    EXPECT_EQ(transforms(D3DTS_VIEW), std::vector<std::vector<float>>{identity()});
    EXPECT_EQ(transforms(D3DTS_WORLD), std::vector<std::vector<float>>{identity()});
    EXPECT_EQ(transforms(D3DTS_PROJECTION), std::vector<std::vector<float>>{identity()});
    EXPECT_EQ(driver->getRenderMode(), CD3D9Driver::RenderModeImages);
    // A second image sends no transforms again.
    D3DTestControl::clearCalls();
    driver->draw2DImage(texture->getTexture(), vector2di(30, 10), recti(0, 0, 8, 8));
    EXPECT_EQ(count("SetTransform"), 0u);
    // The next batch: the pixel projection and the stored world, and every material state.
    D3DTestControl::clearCalls();
    quad(material(EMT_SOLID), 0, 0, 10, 10);
    const auto projection = transforms(D3DTS_PROJECTION);
    ASSERT_EQ(projection.size(), 1u);
    EXPECT_FLOAT_EQ(projection[0][0], 2.0f / 320.0f);
    EXPECT_FLOAT_EQ(projection[0][12], -1.0f - 1.0f / 320.0f);
    ASSERT_EQ(transforms(D3DTS_WORLD).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_WORLD)[0][12], 7.0f);
    EXPECT_FALSE(renderStates(D3DRS_ZENABLE).empty());
    EXPECT_FALSE(stageStates(0, D3DTSS_COLOROP).empty());
    EXPECT_EQ(driver->getRenderMode(), CD3D9Driver::RenderMode2D);
}

// The fixed image states send the colour operation in every case, so that an operation a
// material left on the stage (the additive sprites' ADD) does not reach the image.
TEST_F(D3D9States, ImagesModulateWhateverTheLastMaterialLeftOnTheStage) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD, texture), 0, 0, 10, 10);
    const struct {
        bool alpha, alphaChannel;
        D3DTEXTUREOP alphaOp;
        bool blend;
    } cases[] = {{true, true, D3DTOP_MODULATE, true},
                 {false, true, D3DTOP_SELECTARG1, true},
                 {true, false, D3DTOP_SELECTARG2, true},
                 {false, false, D3DTOP_DISABLE, false}};
    for (const auto& c : cases) {
        D3DTestControl::clearCalls();
        driver->draw2DImage(texture->getTexture(), vector2di(10, 10), recti(0, 0, 8, 8), nullptr,
                            SColor(c.alpha ? 128 : 255, 255, 255, 255), c.alphaChannel);
        EXPECT_EQ(stageStates(0, D3DTSS_COLOROP), std::vector<uint64_t>{D3DTOP_MODULATE});
        EXPECT_EQ(stageStates(0, D3DTSS_ALPHAOP), std::vector<uint64_t>{c.alphaOp});
        EXPECT_EQ(renderStates(D3DRS_ALPHABLENDENABLE), std::vector<uint64_t>{c.blend ? 1u : 0u});
    }
}

// The renderer whose states a 2D batch left lets go of them before an image is drawn: the
// alpha test of "trans_alphach" does not cut the image.
TEST_F(D3D9States, ImagesLetTheLastRendererGoFirst) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    quad(material(EMT_TRANSPARENT_ALPHA_CHANNEL, texture), 0, 0, 10, 10);
    EXPECT_EQ(renderStates(D3DRS_ALPHATESTENABLE).back(), 1u);
    D3DTestControl::clearCalls();
    driver->draw2DImage(texture->getTexture(), vector2di(10, 10), recti(0, 0, 8, 8));
    EXPECT_EQ(renderStates(D3DRS_ALPHATESTENABLE), std::vector<uint64_t>{0});
}

TEST_F(D3D9States, ImageClippedAwayBindsItsTextureOnly) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    D3DTestControl::clearCalls();
    const recti clip(100, 100, 110, 110);
    driver->draw2DImage(texture->getTexture(), vector2di(0, 0), recti(0, 0, 8, 8), &clip);
    EXPECT_EQ(names(), std::vector<std::string>{"SetTexture"});
    // An inverted source rectangle draws nothing at all.
    D3DTestControl::clearCalls();
    driver->draw2DImage(texture->getTexture(), vector2di(0, 0), recti(8, 0, 0, 8));
    EXPECT_TRUE(names().empty());
}

TEST_F(D3D9States, ImageQuadsClipTheirTargetAndSourceTogether) {
    d3dcommon::SFVFStandardVertex corners[4];
    const recti clip(12, 0, 300, 18);
    ASSERT_TRUE(d3dcommon::imageQuad(vector2di(10, 10), recti(2, 4, 12, 14), &clip,
                                     dimension2di(320, 240), dimension2di(16, 16),
                                     SColor(0xFF112233u), corners));
    // Two pixels cut on the left, two on the bottom: the source moves right by two.
    EXPECT_FLOAT_EQ(corners[0].u, (4.0f + 0.5f) / 16.0f);
    EXPECT_FLOAT_EQ(corners[0].v, (4.0f + 0.5f) / 16.0f);
    EXPECT_FLOAT_EQ(corners[2].u, (4.0f + 0.5f + 8.0f) / 16.0f);
    EXPECT_FLOAT_EQ(corners[2].v, (4.0f + 0.5f + 8.0f) / 16.0f);
    EXPECT_FLOAT_EQ(corners[0].x, (12.0f - 160.0f) * 2.0f / 320.0f);
    EXPECT_FLOAT_EQ(corners[2].y, (120.0f - 18.0f) * 2.0f / 240.0f);
    EXPECT_EQ(corners[1].color, 0xFF112233u);
    // Off the render target: nothing.
    EXPECT_FALSE(d3dcommon::imageQuad(vector2di(320, 0), recti(0, 0, 4, 4), nullptr,
                                      dimension2di(320, 240), dimension2di(4, 4), SColor(0),
                                      corners));
    // Stretched: the source over the image size, the corner colours from the engine's order.
    bool alpha = false;
    const SColor colors[4] = {SColor(0xFF000001u), SColor(0xFF000002u), SColor(0x80000003u),
                              SColor(0xFF000004u)};
    d3dcommon::stretchedImageQuad(recti(0, 0, 160, 120), recti(0, 0, 8, 4), dimension2di(320, 240),
                                  dimension2di(16, 16), colors, corners, alpha);
    EXPECT_TRUE(alpha);
    EXPECT_EQ(corners[0].color, 0xFF000001u);
    EXPECT_EQ(corners[1].color, 0xFF000004u);
    EXPECT_EQ(corners[2].color, 0x80000003u);
    EXPECT_EQ(corners[3].color, 0xFF000002u);
    EXPECT_FLOAT_EQ(corners[2].u, 0.5f);
    EXPECT_FLOAT_EQ(corners[2].v, 0.25f);
    EXPECT_FLOAT_EQ(corners[2].x, 0.0f);
    EXPECT_FLOAT_EQ(corners[2].y, 0.0f);
}

TEST_F(D3D9States, StretchedImagesClipWithTheScissorRectangle) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    const recti clip(0, 0, 50, 40);
    driver->draw2DImageStretched(texture->getTexture(), recti(0, 0, 100, 80), recti(0, 0, 8, 8),
                                 &clip);
    EXPECT_EQ(renderStates(D3DRS_SCISSORTESTENABLE), (std::vector<uint64_t>{1, 0}));
    const std::vector<SRecordedCall> scissors = calls("SetScissorRect");
    ASSERT_EQ(scissors.size(), 1u);
    EXPECT_EQ(scissors[0].args, (std::vector<uint64_t>{1, 0, 0, 50, 40}));
    // An inverted clip rectangle leaves nothing to draw.
    D3DTestControl::clearCalls();
    const recti inverted(50, 0, 0, 40);
    driver->draw2DImageStretched(texture->getTexture(), recti(0, 0, 100, 80), recti(0, 0, 8, 8),
                                 &inverted);
    EXPECT_EQ(count("DrawIndexedPrimitiveUP"), 0u);
}

TEST_F(D3D9States, RectanglesLinesAndPixelsDrawUntexturedWithTheMaterialsStates) {
    CTextureResource* texture = textureOf(solidImage(8, 8, 0xFFFFFFFF));
    driver->setMaterial(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, texture));
    D3DTestControl::clearCalls();
    driver->draw2DRectangleGradient(recti(10, 10, 20, 20), SColor(1), SColor(2), SColor(3),
                                    SColor(4));
    // The material's states, then stage 0 emptied, then the quad.
    EXPECT_EQ(renderStates(D3DRS_ALPHABLENDENABLE), std::vector<uint64_t>{1});
    EXPECT_EQ(calls("SetTexture").back().args, (std::vector<uint64_t>{0, 0}));
    const std::vector<SRecordedCall> draws = calls("DrawIndexedPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    S2DVertex corners[4];
    std::memcpy(static_cast<void*>(corners), draws[0].bytes.data(), sizeof corners);
    // Left-top, right-top, right-bottom, left-bottom with their colours.
    EXPECT_EQ(corners[1].Pos, vector3df(20, 10, 0));
    EXPECT_EQ(corners[1].Color.color, 2u);
    EXPECT_EQ(corners[2].Color.color, 4u);
    EXPECT_EQ(corners[3].Color.color, 3u);

    // Clipping: an inverted result still draws, with no area; without a clip rectangle an
    // inverted rectangle draws nothing.
    D3DTestControl::clearCalls();
    const recti far(100, 100, 110, 110);
    driver->draw2DRectangle(SColor(0xFFFFFFFFu), recti(0, 0, 20, 20), &far);
    EXPECT_EQ(count("DrawIndexedPrimitiveUP"), 1u);
    driver->draw2DRectangle(SColor(0xFFFFFFFFu), recti(20, 0, 0, 20));
    driver->draw2DRectangle(SColor(0xFFFFFFFFu), recti(0, 20, 20, 0));
    EXPECT_EQ(count("DrawIndexedPrimitiveUP"), 1u);

    D3DTestControl::clearCalls();
    driver->draw2DLine(vector2df(0, 0), vector2df(10, 5), SColor(0xFFFFFFFFu));
    driver->drawPixel(320, 240, SColor(0xFFFFFFFFu));  // on the edge: sent
    driver->drawPixel(321, 0, SColor(0xFFFFFFFFu));    // beyond it: refused
    const std::vector<SRecordedCall> plain = calls("DrawPrimitiveUP");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].args[0], D3DPT_LINELIST);
    EXPECT_EQ(plain[1].args[0], D3DPT_POINTLIST);
}

struct SPrimitiveCase {
    const char* name;
    u32 type;
    bool indexed;
    std::vector<std::pair<std::string, std::vector<uint64_t>>> draws;  // method, first arguments
};

TEST_F(D3D9States, PrimitiveTypesAndNullIndexLists) {
    // Four vertices, primitive count 3 for the strips and loops.
    S2DVertex v[6];
    for (int i = 0; i < 6; ++i) v[i] = S2DVertex(f32(i), f32(i), 0, SColor(0xFFFFFFFFu), 0, 0);
    const u16 indices[9] = {3, 2, 1, 0, 4, 5, 0, 1, 2};
    const std::string indexed = "DrawIndexedPrimitiveUP", plain = "DrawPrimitiveUP";
    const SPrimitiveCase cases[] = {
        {"points", EPT_POINTS, false, {{plain, {D3DPT_POINTLIST, 3}}}},
        {"points indexed", EPT_POINTS, true, {{indexed, {D3DPT_POINTLIST, 0, 6, 3}}}},
        {"sprites", EPT_POINT_SPRITES, false, {{plain, {D3DPT_POINTLIST, 3}}}},
        {"line strip", EPT_LINE_STRIP, false, {{plain, {D3DPT_LINESTRIP, 3}}}},
        {"line strip indexed", EPT_LINE_STRIP, true, {{indexed, {D3DPT_LINESTRIP, 0, 6, 3}}}},
        // A loop is its strip and a line from the strip's last entry back to its first.
        {"line loop",
         EPT_LINE_LOOP,
         false,
         {{plain, {D3DPT_LINESTRIP, 3}}, {indexed, {D3DPT_LINELIST, 0, 6, 1}}}},
        {"line loop indexed",
         EPT_LINE_LOOP,
         true,
         {{indexed, {D3DPT_LINESTRIP, 0, 6, 3}}, {indexed, {D3DPT_LINELIST, 0, 6, 1}}}},
        {"lines", EPT_LINES, false, {{plain, {D3DPT_LINELIST, 3}}}},
        {"fan", EPT_TRIANGLE_FAN, false, {{plain, {D3DPT_TRIANGLEFAN, 3}}}},
        {"strip indexed", EPT_TRIANGLE_STRIP, true, {{indexed, {D3DPT_TRIANGLESTRIP, 0, 6, 3}}}},
        {"triangles", EPT_TRIANGLES, true, {{indexed, {D3DPT_TRIANGLELIST, 0, 6, 3}}}},
        {"quad strip", EPT_QUAD_STRIP, true, {}},
        {"quads", EPT_QUADS, true, {}},
        {"polygon", EPT_POLYGON, true, {}},
    };
    driver->setMaterial(material(EMT_SOLID));
    driver->set2DRenderMode();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DTestControl::clearCalls();
        // Points draw 3, lines 3 (6 vertices), triangles 3 (from 9 indices).
        const u32 count3 = 3;
        driver->drawVertexPrimitiveList(v, 6, c.indexed ? indices : nullptr, count3, EVT_2D,
                                        c.type);
        std::vector<std::pair<std::string, std::vector<uint64_t>>> got;
        for (const SRecordedCall& call : D3DTestControl::calls()) {
            if (call.name.rfind("Draw", 0) != 0) continue;
            std::vector<uint64_t> first(call.args.begin(),
                                        call.args.begin() + (call.name == plain ? 2 : 4));
            got.push_back({call.name, first});
            EXPECT_EQ(call.result, D3D_OK) << call.text();
        }
        EXPECT_EQ(got, c.draws);
    }
    // The closing line of a loop with indices: from entry 3 (the strip's last) to entry 0.
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 6, indices, 3, EVT_2D, EPT_LINE_LOOP);
    const std::vector<SRecordedCall> draws = calls("DrawIndexedPrimitiveUP");
    ASSERT_EQ(draws.size(), 2u);
    u16 closing[2];
    std::memcpy(closing, draws[1].bytes.data() + 6 * sizeof(S2DVertex), sizeof closing);
    EXPECT_EQ(closing[0], indices[3]);
    EXPECT_EQ(closing[1], indices[0]);
    // Points set their size states around the draw; sprites their sprite state as well.
    D3DTestControl::clearCalls();
    SMaterial thick = material(EMT_SOLID);
    thick.Thickness = 4.0f;
    driver->setMaterial(thick);
    driver->drawVertexPrimitiveList(v, 6, nullptr, 3, EVT_2D, EPT_POINT_SPRITES);
    EXPECT_EQ(renderStates(D3DRS_POINTSPRITEENABLE), (std::vector<uint64_t>{1, 0}));
    EXPECT_EQ(renderStates(D3DRS_POINTSCALEENABLE), (std::vector<uint64_t>{1, 0}));
    EXPECT_EQ(renderStates(D3DRS_POINTSIZE).back(), floatBits(4.0f));
    EXPECT_EQ(renderStates(D3DRS_POINTSCALE_C), std::vector<uint64_t>{floatBits(1.0f)});
}

TEST_F(D3D9States, VertexTypesGoInTheirFormatsFieldOrder) {
    SStandardVertex v[3];
    for (int i = 0; i < 3; ++i) {
        v[i].Pos = vector3df(f32(i), 2, 3);
        v[i].Color = SColor(0xFF102030u + static_cast<u32>(i));
        v[i].TCoords = vector2df(0.25f, 0.5f);
        v[i].Normal = vector3df(0, 0, -1);
    }
    const u16 indices[3] = {0, 1, 2};
    driver->setMaterial(material(EMT_SOLID));
    driver->set2DRenderMode();
    D3DTestControl::clearCalls();
    driver->drawIndexedTriangleList(v, 3, indices, 1);
    EXPECT_EQ(calls("SetFVF").back().args[0], d3dcommon::kFVFStandard);
    const std::vector<SRecordedCall> draws = calls("DrawIndexedPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    d3dcommon::SFVFStandardVertex sent[3];
    std::memcpy(sent, draws[0].bytes.data(), sizeof sent);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(sent[i].x, f32(i));
        EXPECT_FLOAT_EQ(sent[i].nz, -1.0f);
        EXPECT_EQ(sent[i].color, 0xFF102030u + static_cast<u32>(i));
        EXPECT_FLOAT_EQ(sent[i].v, 0.5f);
    }
    // The other formats; the format is set only when the type changes.
    const struct {
        u32 type;
        DWORD fvf;
    } formats[] = {{EVT_2TCOORDS, 0x252}, {EVT_TANGENTS, 0x140352}, {EVT_2D, 0x142}};
    for (const auto& f : formats) {
        D3DTestControl::clearCalls();
        driver->setVertexType(f.type);
        driver->setVertexType(f.type);
        EXPECT_EQ(calls("SetFVF").size(), 1u);
        EXPECT_EQ(calls("SetFVF").back().args[0], f.fvf);
    }
    SVertexTangents t{};
    t.Pos = vector3df(1, 2, 3);
    t.Normal = vector3df(4, 5, 6);
    t.Color = SColor(7);
    t.TCoords = vector2df(8, 9);
    t.Tangent = vector3df(10, 11, 12);
    t.Binormal = vector3df(13, 14, 15);
    std::vector<u8> buffer;
    const auto* ordered =
        static_cast<const f32*>(d3dcommon::inFieldOrder(&t, 1, EVT_TANGENTS, buffer));
    const f32 expected[15] = {1, 2, 3, 4, 5, 6, 0, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 15; ++i)
        if (i != 6) {
            EXPECT_FLOAT_EQ(ordered[i], expected[i]) << i;
        }
    u32 colour;
    std::memcpy(&colour, &ordered[6], 4);
    EXPECT_EQ(colour, 7u);
}

// Vertex lists draw in 2D and 3D mode only: not in the stencil and shadow modes, not in the
// images' mode, and in 3D mode through the 3D transforms.
TEST_F(D3D9States, VertexListsDrawInTwoDAndThreeDModeOnly) {
    const S2DVertex v[3] = {S2DVertex(0, 0, 0, SColor(0xFFFFFFFFu), 0, 0),
                            S2DVertex(1, 0, 0, SColor(0xFFFFFFFFu), 0, 0),
                            S2DVertex(0, 1, 0, SColor(0xFFFFFFFFu), 0, 0)};
    // Right after the making the driver is in 3D mode.
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 3, nullptr, 1, EVT_2D, EPT_TRIANGLES);
    EXPECT_EQ(count("DrawPrimitiveUP"), 1u);
    EXPECT_EQ(count("SetTransform"), 0u);  // the 3D transforms stay

    driver->drop();
    driver = nullptr;
    SDeviceParameters p = parameters();
    p.stencilBuffer = true;
    ASSERT_NE(make(p), nullptr);
    ASSERT_TRUE(driver->beginScene());
    driver->drawStencilShadow(false, SColor(0x80000000u), SColor(0x80000000u), SColor(0x80000000u),
                              SColor(0x80000000u));
    EXPECT_EQ(driver->getRenderMode(), CD3D9Driver::RenderModeStencilFill);
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 3, nullptr, 1, EVT_2D, EPT_TRIANGLES);
    EXPECT_EQ(count("DrawPrimitiveUP"), 0u);
    EXPECT_EQ(count("SetRenderState"), 0u);
    const vector3df triangle[3] = {vector3df(0, 0, 0), vector3df(1, 0, 0), vector3df(0, 1, 0)};
    driver->drawStencilShadowVolume(triangle, 3, true);
    EXPECT_EQ(driver->getRenderMode(), CD3D9Driver::RenderModeShadowVolumeZFail);
    EXPECT_EQ(
        renderStates(D3DRS_STENCILZFAIL),
        (std::vector<uint64_t>{D3DSTENCILOP_KEEP, D3DSTENCILOP_INCRSAT, D3DSTENCILOP_DECRSAT}));
    EXPECT_EQ(count("DrawPrimitiveUP"), 2u);
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 3, nullptr, 1, EVT_2D, EPT_TRIANGLES);
    EXPECT_EQ(count("DrawPrimitiveUP"), 0u);
    // The next 2D entry brings drawing back.
    driver->set2DRenderMode();
    driver->drawVertexPrimitiveList(v, 3, nullptr, 1, EVT_2D, EPT_TRIANGLES);
    EXPECT_EQ(count("DrawPrimitiveUP"), 1u);
}

// A switch of render target marks the 2D projection for rebuilding: 2D drawing after it uses
// the new target's size.
TEST_F(D3D9States, RenderTargetSwitchesRebuildTheTwoDProjection) {
    ITexture* target = driver->createRenderTargetTexture(dimension2di(64, 32));
    quad(material(EMT_SOLID), 0, 0, 10, 10);
    for (ITexture* t : {target, static_cast<ITexture*>(nullptr)}) {
        ASSERT_TRUE(driver->setRenderTarget(t, false, false));
        D3DTestControl::clearCalls();
        quad(material(EMT_SOLID), 0, 0, 10, 10);
        const auto projection = transforms(D3DTS_PROJECTION);
        ASSERT_EQ(projection.size(), 1u);
        EXPECT_FLOAT_EQ(projection[0][0], t ? 2.0f / 64.0f : 2.0f / 320.0f);
        EXPECT_FLOAT_EQ(projection[0][5], t ? -2.0f / 32.0f : -2.0f / 240.0f);
    }
    target->drop();
}

// A reset in 3D mode sends the 3D transforms again; lights and clip planes come back.
TEST_F(D3D9States, ResetInThreeDModeSendsTransformsLightsAndClipPlanes) {
    matrix4 view;
    view.setTranslation(vector3df(1, 2, 3));
    driver->setTransform(ETS_VIEW, view);
    driver->set3DRenderMode();
    SLight light;
    light.Type = ELT_DIRECTIONAL;
    ASSERT_EQ(driver->addDynamicLight(light), 0);
    ASSERT_EQ(driver->addDynamicLight(light), 1);
    driver->turnLightOn(1, false);
    ASSERT_TRUE(driver->setClipPlane(2, plane3df(vector3df(1, 0, 0), -5.0f), true));
    SColorf ambient(0.5f, 0.25f, 0.0f, 1.0f);
    driver->setAmbientLight(ambient);
    driver->setViewPort(recti(10, 20, 110, 220));
    driver->endScene();

    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->resetDevice());
    ASSERT_EQ(transforms(D3DTS_VIEW).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_VIEW)[0][12], 1.0f);
    EXPECT_EQ(transforms(D3DTS_PROJECTION).size(), 1u);
    EXPECT_EQ(count("SetLight"), 2u);
    const std::vector<SRecordedCall> enabled = calls("LightEnable");
    ASSERT_EQ(enabled.size(), 2u);
    EXPECT_EQ(enabled[0].args, (std::vector<uint64_t>{0, 1}));
    EXPECT_EQ(enabled[1].args, (std::vector<uint64_t>{1, 0}));
    const std::vector<SRecordedCall> planes = calls("SetClipPlane");
    ASSERT_EQ(planes.size(), 1u);
    EXPECT_EQ(planes[0].args[0], 2u);
    EXPECT_EQ(planes[0].floats, (std::vector<float>{1, 0, 0, -5}));
    EXPECT_EQ(renderStates(D3DRS_CLIPPLANEENABLE).back(), 1u << 2);
    EXPECT_EQ(renderStates(D3DRS_AMBIENT).back(), D3DCOLOR_ARGB(255, 127, 63, 0));
    // A reset device covers its whole back buffer: the driver's viewport is set again.
    const std::vector<SRecordedCall> viewports = calls("SetViewport");
    ASSERT_EQ(viewports.size(), 1u);
    EXPECT_EQ(viewports[0].floats, (std::vector<float>{10, 20, 100, 200, 0, 1}));
    // Every material state goes out again at the next draw, where the colours come from too.
    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->beginScene());
    quad(material(EMT_SOLID), 0, 0, 1, 1);
    EXPECT_EQ(renderStates(D3DRS_COLORVERTEX).size(), 1u);
}

TEST_F(D3D9States, FogAmbientLightsAndClipPlanes) {
    driver->setFog(SColor(0xFF112233u), true, 10.0f, 20.0f, 0.5f, true, true);
    EXPECT_EQ(renderStates(D3DRS_FOGCOLOR), std::vector<uint64_t>{0xFF112233u});
    EXPECT_EQ(renderStates(D3DRS_FOGTABLEMODE), std::vector<uint64_t>{D3DFOG_LINEAR});
    EXPECT_EQ(renderStates(D3DRS_FOGEND), std::vector<uint64_t>{floatBits(20.0f)});
    EXPECT_TRUE(renderStates(D3DRS_RANGEFOGENABLE).empty());  // pixel fog has none
    D3DTestControl::clearCalls();
    driver->setFog(SColor(0), false, 10.0f, 20.0f, 0.25f, false, true);
    EXPECT_EQ(renderStates(D3DRS_FOGVERTEXMODE), std::vector<uint64_t>{D3DFOG_EXP});
    EXPECT_EQ(renderStates(D3DRS_FOGDENSITY), std::vector<uint64_t>{floatBits(0.25f)});
    EXPECT_EQ(renderStates(D3DRS_RANGEFOGENABLE), std::vector<uint64_t>{1});

    // Clip planes: an index at the count is refused; the plane goes through the world matrix.
    EXPECT_FALSE(driver->setClipPlane(driver->getClipPlaneCount(), plane3df(), true));
    matrix4 world;
    world.setTranslation(vector3df(10, 0, 0));
    driver->setTransform(ETS_WORLD, world);
    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->setClipPlane(0, plane3df(vector3df(1, 0, 0), -5.0f), true));
    // x >= 5 in the model becomes x >= 15 in the world.
    EXPECT_EQ(calls("SetClipPlane").at(0).floats, (std::vector<float>{1, 0, 0, -15}));
    EXPECT_TRUE(driver->isClipPlaneEnabled(0));
    driver->enableClipPlane(1, true);
    EXPECT_EQ(renderStates(D3DRS_CLIPPLANEENABLE).back(), 3u);
    driver->enableClipPlane(0, false);
    EXPECT_EQ(renderStates(D3DRS_CLIPPLANEENABLE).back(), 2u);

    // Lights: type, range bounded, cones doubled in radians.
    SLight light;
    light.Type = ELT_SPOT;
    light.Radius = 30.0f;
    light.OuterCone = 45.0f;
    light.InnerCone = 10.0f;
    D3DTestControl::clearCalls();
    ASSERT_EQ(driver->addDynamicLight(light), 0);
    const d3d::D3DLIGHT converted = d3dcommon::lightOf(light, 20.0f);
    EXPECT_EQ(converted.Type, D3DLIGHT_SPOT);
    EXPECT_FLOAT_EQ(converted.Range, 20.0f);
    EXPECT_FLOAT_EQ(converted.Phi, 90.0f * 0.017453292f);
    EXPECT_FLOAT_EQ(converted.Theta, 20.0f * 0.017453292f);
    EXPECT_EQ(calls("LightEnable").at(0).args, (std::vector<uint64_t>{0, 1}));
    driver->turnLightOn(5, true);  // beyond the last light: nothing
    EXPECT_EQ(count("LightEnable"), 1u);
}

TEST_F(D3D9States, ViewportIsClippedAndAnEmptyOneIsReported) {
    driver->setViewPort(recti(-10, 20, 400, 100));
    EXPECT_EQ(driver->getViewPort(), recti(0, 20, 320, 100));
    EXPECT_EQ(count("SetViewport"), 1u);
    driver->setViewPort(recti(400, 300, 500, 400));
    EXPECT_EQ(driver->getViewPort().getArea(), 0);
    EXPECT_EQ(count("SetViewport"), 1u);
    EXPECT_TRUE(logs.contains("Failed setting the viewport.", LogWarning));
}

TEST_F(D3D9States, ShaderServicesWithoutTheShaderCompiler) {
    // The shader materials: the compiler's library is missing, said once, and no material.
    EXPECT_EQ(driver->addShaderMaterial("vs.1.1", "ps.1.1", nullptr, EMT_SOLID, 0), -1);
    EXPECT_EQ(driver->addShaderMaterial("vs.1.1", "ps.1.1", nullptr, EMT_SOLID, 0), -1);
    EXPECT_EQ(
        driver->addHighLevelShaderMaterial("x", "main", 0, "y", "main", 0, nullptr, EMT_SOLID, 0),
        -1);
    size_t assemble = 0, compile = 0;
    for (const auto& line : logs.lines()) {
        if (line.text ==
            "Could not load shader function D3DXAssembleShader from dll, shaders disabled") {
            ++assemble;
            EXPECT_EQ(line.hint, "d3dx9_30.dll");
            EXPECT_EQ(line.level, LogError);
        }
        if (line.text ==
            "Could not load shader function D3DXCompileShader from dll, shaders disabled")
            ++compile;
    }
    EXPECT_EQ(assemble, 1u);
    EXPECT_EQ(compile, 1u);
    EXPECT_EQ(driver->getMaterialRendererCount(), static_cast<u32>(EMT_MATERIAL_TYPE_COUNT));

    // Constants by register go to the device; by name only a shader renderer takes them.
    const f32 four[4] = {1, 2, 3, 4};
    driver->setVertexShaderConstant(four, 3, 1);
    driver->setPixelShaderConstant(four, 0, 1);
    driver->setVertexShaderConstant(nullptr, 0, 1);
    EXPECT_EQ(count("SetVertexShaderConstantF"), 1u);
    EXPECT_EQ(count("SetPixelShaderConstantF"), 1u);
    driver->setMaterial(material(EMT_SOLID));
    EXPECT_FALSE(driver->setVertexShaderConstant("light", four, 4));
    EXPECT_TRUE(logs.contains("Invalid material to set variable in.", LogInformation));
    EXPECT_FALSE(driver->setPixelShaderConstant("light", four, 4));
}

// With shaders on the device the normal and parallax maps ask for the compiler (once); without
// them they do not.
TEST_F(D3D9States, BumpMapsAskForTheCompilerOnlyWhereShadersRun) {
    EXPECT_FALSE(
        logs.contains("Could not load shader function D3DXAssembleShader from dll, "
                      "shaders disabled"));
    driver->endScene();
    driver->drop();
    driver = nullptr;
    forgetShaderFunctionReports();
    D3DTestControl::setCaps([](D3DCAPS_COMMON& c) {
        c.VertexShaderVersion = D3DVS_VERSION(1, 1);
        c.PixelShaderVersion = D3DPS_VERSION(1, 1);
    });
    ASSERT_NE(make(), nullptr);
    size_t asked = 0;
    for (const auto& line : logs.lines())
        if (line.text ==
            "Could not load shader function D3DXAssembleShader from dll, shaders disabled")
            ++asked;
    EXPECT_EQ(asked, 1u);
    // They draw as their base materials.
    ASSERT_TRUE(driver->beginScene());
    D3DTestControl::clearCalls();
    quad(material(EMT_NORMAL_MAP_TRANSPARENT_ADD_COLOR), 0, 0, 1, 1);
    EXPECT_EQ(renderStates(D3DRS_DESTBLEND), std::vector<uint64_t>{D3DBLEND_INVSRCCOLOR});
}

}  // namespace
