// The Direct3D 8 driver on recorded windowless devices: where it differs from the Direct3D 9
// driver (set-up, vertical sync, resizing, features, vertex formats, transforms, shader
// constants, loss, mip levels and render targets), and the faults it does not repeat.

#include <chrono>
#include <cstring>

#include "tests/video/d3d8/D3D8TestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::test;

namespace {

using D3D8Driver = D3D8Recording;

// CreateDevice's recorded arguments: adapter, type, window, behaviour, then the Direct3D 8
// present parameters in their order.
enum ECreateArg : size_t {
    ArgWidth = 4,
    ArgHeight = 5,
    ArgFormat = 6,
    ArgSamples = 8,
    ArgWindowed = 11,
    ArgInterval = 16,
};
// Reset's recorded arguments: the present parameters alone.
enum EResetArg : size_t { ResetWidth = 0, ResetHeight = 1 };

SRecordedCall lastCall(const char* method) {
    const std::vector<SRecordedCall> made = D3DTestControl::callsNamed(method);
    return made.empty() ? SRecordedCall() : made.back();
}

SDeviceParameters fullScreen(u32 bits = 32) {
    SDeviceParameters p;
    p.driverType = DriverDirect3D8;
    p.windowSize = {1024, 768};
    p.fullscreen = true;
    p.bits = bits;
    return p;
}

TEST_F(D3D8Driver, MadeWithItsNameTypeColourFormatAndExposedData) {
    ASSERT_NE(make(), nullptr);
    EXPECT_EQ(stringw(driver->getName()), stringw(L"Direct3D 8.1"));
    EXPECT_TRUE(logs.contains("Using renderer: Direct3D 8.1", LogInformation));
    EXPECT_EQ(driver->getDriverType(), DriverDirect3D8);
    // The null driver's colour format, whatever the back buffer's (X8R8G8B8 here).
    EXPECT_EQ(driver->getColorFormat(), ECF_R5G6B5);
    EXPECT_EQ(driver->getVendorInfo(), stringc("Not available on this driver."));
    EXPECT_EQ(driver->getMaterialRendererCount(), static_cast<u32>(EMT_MATERIAL_TYPE_COUNT));
    EXPECT_EQ(driver->getRenderMode(), CD3D8Driver::RenderMode3D);
    const SExposedVideoData& data = driver->getExposedVideoData();
    EXPECT_EQ(data.Words[0], nullptr);
    EXPECT_EQ(data.Words[1], nullptr);
    EXPECT_NE(data.Words[2], nullptr);
    EXPECT_EQ(data.Words[3], driver->getDirect3DDevice());
    // The adapter is asked without a certification level; every stage starts with the
    // largest anisotropy, at most 16.
    ASSERT_EQ(count("GetAdapterIdentifier"), 1u);
    EXPECT_EQ(lastCall("GetAdapterIdentifier").args.at(1), D3DENUM_NO_WHQL_LEVEL);
    for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage)
        EXPECT_EQ(stageStates(stage, D3DTSS_MAXANISOTROPY).size(), 1u) << stage;
}

TEST_F(D3D8Driver, WithoutItsModuleOrEntryPointNoDriverIsMade) {
    D3DTestControl::removeModule("d3d8.dll");
    EXPECT_EQ(make(), nullptr);
    EXPECT_TRUE(logs.contains("Error, could not load d3d8.dll.", LogError));
    D3DTestControl::reset();
    D3DTestControl::setRecordingMode(true);
    D3DTestControl::removeEntryPoint("d3d8.dll", "Direct3DCreate8");
    EXPECT_EQ(make(), nullptr);
    EXPECT_TRUE(logs.contains("Error, could not get proc adress of Direct3DCreate8.", LogError));
    D3DTestControl::reset();
    D3DTestControl::setRecordingMode(true);
    D3DTestControl::forceResult("GetAdapterDisplayMode", D3DERR_NOTAVAILABLE);
    EXPECT_EQ(make(), nullptr);
    EXPECT_TRUE(logs.contains("Error: Could not get Adapter Display mode.", LogError));
}

TEST_F(D3D8Driver, AntiAliasingLevelsTryFromSixteenDownToTwo) {
    struct SCase {
        u8 level;
        std::vector<u32> refused;
        std::vector<uint64_t> tried;
        uint64_t samples;
        bool disabledMessage;
    };
    const SCase cases[] = {
        {0, {}, {}, 0, false},        {1, {}, {}, 0, false},
        {4, {}, {4}, 4, false},       {40, {16, 15, 14}, {16, 15, 14, 13}, 13, false},
        {3, {3, 2}, {3, 2}, 0, true},
    };
    for (const SCase& c : cases) {
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        for (u32 samples : c.refused) D3DTestControl::refuseMultiSample(samples);
        logs.clear();
        SDeviceParameters p = parameters();
        p.antiAlias = c.level;
        ASSERT_NE(make(p), nullptr) << int(c.level);
        std::vector<uint64_t> tried;
        for (const SRecordedCall& call : calls("CheckDeviceMultiSampleType"))
            tried.push_back(call.args.at(4));
        EXPECT_EQ(tried, c.tried) << int(c.level);
        EXPECT_EQ(lastCall("CreateDevice").args.at(ArgSamples), c.samples) << int(c.level);
        EXPECT_EQ(
            logs.contains("Anti aliasing disabled because hardware/driver lacks necessary caps."),
            c.disabledMessage)
            << int(c.level);
        // Multisampling switched on only with a sample count.
        EXPECT_EQ(renderStates(D3DRS_MULTISAMPLEANTIALIAS).empty(), c.samples == 0) << int(c.level);
        driver->drop();
        driver = nullptr;
    }
}

TEST_F(D3D8Driver, AWindowPresentsAtOnceAndFullScreenHasItsInterval) {
    SDeviceParameters p = parameters();
    p.vsync = true;
    ASSERT_NE(make(p), nullptr);
    SRecordedCall created = lastCall("CreateDevice");
    EXPECT_EQ(created.args.at(ArgWindowed), 1u);
    EXPECT_EQ(created.args.at(ArgWidth), 0u);  // the client size
    EXPECT_EQ(created.args.at(ArgInterval), 0u);
    EXPECT_TRUE(driver->hasWindowedVsync());

    SDeviceParameters f = fullScreen(16);
    f.vsync = true;
    ASSERT_NE(make(f), nullptr);
    created = lastCall("CreateDevice");
    EXPECT_EQ(created.args.at(ArgWindowed), 0u);
    EXPECT_EQ(created.args.at(ArgWidth), 1024u);
    EXPECT_EQ(created.args.at(ArgHeight), 768u);
    EXPECT_EQ(created.args.at(ArgFormat), D3DFMT_R5G6B5);
    EXPECT_EQ(created.args.at(ArgInterval), D3DPRESENT_INTERVAL_ONE);
    EXPECT_FALSE(driver->hasWindowedVsync());
}

// The windowed vertical-sync wait: only when the scan line can be read.
TEST_F(D3D8Driver, WindowedVerticalSyncWaitsForTheBlankOnlyWhenTheScanLineCanBeRead) {
    enum class ERaster { Unreadable, InBlankAfterThree, Failing };
    struct SCase {
        ERaster raster;
        bool vsync;
        size_t reads;
    };
    const SCase cases[] = {
        {ERaster::Unreadable, true, 0},
        {ERaster::InBlankAfterThree, true, 4},  // three outside the blank, the fourth in it
        {ERaster::Failing, true, 1},            // the first failing read stops it
        {ERaster::InBlankAfterThree, false, 0},
    };
    for (const SCase& c : cases) {
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        if (c.raster == ERaster::InBlankAfterThree) D3DTestControl::scriptRasterStatus(3);
        if (c.raster == ERaster::Failing) D3DTestControl::failRasterStatus();
        SDeviceParameters p = parameters();
        p.vsync = c.vsync;
        ASSERT_NE(make(p), nullptr);
        EXPECT_EQ((driver->getCaps().Caps & D3DCAPS_READ_SCANLINE) != 0,
                  c.raster != ERaster::Unreadable);
        ASSERT_TRUE(driver->beginScene());
        D3DTestControl::clearCalls();
        EXPECT_TRUE(driver->endScene());
        std::vector<std::string> expected{"EndScene"};
        expected.insert(expected.end(), c.reads, "GetRasterStatus");
        expected.push_back("Present");
        EXPECT_EQ(names(), expected) << static_cast<int>(c.raster) << " " << c.vsync;
        driver->drop();
        driver = nullptr;
    }
}

TEST_F(D3D8Driver, AFullScreenResizeKeepsItsSizeAWindowTakesTheClientSize) {
    ASSERT_NE(make(fullScreen()), nullptr);
    D3DTestControl::clearCalls();
    driver->OnResize({800, 600});
    SRecordedCall reset = lastCall("Reset");
    EXPECT_EQ(reset.args.at(ResetWidth), 1024u);
    EXPECT_EQ(reset.args.at(ResetHeight), 768u);
    EXPECT_TRUE(logs.contains("Resetting D3D8 device.", LogInformation));

    ASSERT_NE(make(), nullptr);
    D3DTestControl::clearCalls();
    driver->OnResize({800, 600});
    reset = lastCall("Reset");
    EXPECT_EQ(reset.args.at(ResetWidth), 0u);
    EXPECT_EQ(reset.args.at(ResetHeight), 0u);
    EXPECT_EQ(driver->getScreenSize(), dimension2di(800, 600));
}

TEST_F(D3D8Driver, RenderToTextureAlwaysAndNoHighLevelShaders) {
    D3DTestControl::setCaps([](D3DCAPS_COMMON& caps) {
        caps.NumSimultaneousRTs = 0;
        caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
        caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
    });
    ASSERT_NE(make(), nullptr);
    EXPECT_TRUE(driver->queryFeature(EVDF_RENDER_TO_TARGET));
    EXPECT_FALSE(driver->queryFeature(EVDF_HLSL));
    driver->setFeatureEnabled(EVDF_RENDER_TO_TARGET, false);
    EXPECT_FALSE(driver->queryFeature(EVDF_RENDER_TO_TARGET));
}

TEST_F(D3D8Driver, TheVertexFormatGoesToTheDeviceBeforeEveryDraw) {
    ASSERT_NE(make(), nullptr);
    CTextureResource* texture = textureOf(solidImage(4, 4, 0xFFFFFFFFu));
    const SMaterial m = material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, texture);
    D3DTestControl::clearCalls();
    quad(m, 0, 0, 10, 10);
    quad(m, 10, 10, 20, 20);
    driver->draw2DLine({0, 0}, {5, 5}, SColor(0xFFFF0000u));
    // Each draw has its format sent since the draw before it.
    bool formatSent = false;
    size_t draws = 0;
    for (const SRecordedCall& call : D3DTestControl::calls()) {
        if (call.name == "SetVertexShader") formatSent = true;
        if (call.name == "DrawIndexedPrimitiveUP" || call.name == "DrawPrimitiveUP") {
            EXPECT_TRUE(formatSent) << "draw " << draws;
            formatSent = false;
            ++draws;
        }
    }
    EXPECT_EQ(draws, 3u);
    EXPECT_EQ(lastCall("SetVertexShader").args.at(0), 0x142u);
}

TEST_F(D3D8Driver, ATextureTransformKeepsTheProjectionAWorldTransformRebuildsIt) {
    ASSERT_NE(make(), nullptr);
    ASSERT_TRUE(driver->set2DRenderMode());
    matrix4 shifted;
    shifted.setTranslation(vector3df(0.5f, 0.0f, 0.0f));
    D3DTestControl::clearCalls();
    driver->setTransform(ETS_TEXTURE_0, shifted);
    EXPECT_EQ(stageStates(0, D3DTSS_TEXTURETRANSFORMFLAGS),
              (std::vector<uint64_t>{D3DTTFF_COUNT2}));
    ASSERT_TRUE(driver->set2DRenderMode());
    EXPECT_TRUE(transforms(D3DTS_PROJECTION).empty());
    driver->setTransform(ETS_WORLD, shifted);
    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->set2DRenderMode());
    EXPECT_EQ(transforms(D3DTS_PROJECTION).size(), 1u);
}

TEST_F(D3D8Driver, ShaderConstantsByNameAreRefusedAndShaderMaterialsGiveNothing) {
    ASSERT_NE(make(), nullptr);
    const f32 values[4] = {1, 2, 3, 4};
    EXPECT_FALSE(driver->setVertexShaderConstant("light", values, 4));
    EXPECT_FALSE(driver->setPixelShaderConstant("light", values, 4));
    EXPECT_TRUE(logs.contains("Cannot set constant, no HLSL supported in D3D8", LogInformation));
    driver->setVertexShaderConstant(values, 2, 1);
    ASSERT_EQ(count("SetVertexShaderConstant"), 1u);
    EXPECT_EQ(calls("SetVertexShaderConstant")[0].floats, std::vector<float>(values, values + 4));
    const u32 renderers = driver->getMaterialRendererCount();
    EXPECT_EQ(driver->addShaderMaterial("vs.1.1", "ps.1.1", nullptr, EMT_SOLID, 0), -1);
    EXPECT_EQ(driver->getMaterialRendererCount(), renderers);
    EXPECT_EQ(driver->addHighLevelShaderMaterial("x", "main", 0, "y", "main", 0, nullptr, 0, 0),
              -1);
    // Normal and parallax maps draw as their base renderers.
    EXPECT_FALSE(driver->getMaterialRenderer(EMT_NORMAL_MAP_SOLID)->isTransparent());
    EXPECT_TRUE(
        driver->getMaterialRenderer(EMT_PARALLAX_MAP_TRANSPARENT_ADD_COLOR)->isTransparent());
}

TEST_F(D3D8Driver, ALostDeviceSkipsFramesUntilItIsReset) {
    ASSERT_NE(make(), nullptr);
    driver->setTransform(ETS_WORLD, matrix4().setTranslation(vector3df(3, 4, 5)));
    ASSERT_TRUE(driver->beginScene());
    D3DTestControl::loseDevices(3);
    EXPECT_FALSE(driver->endScene());
    EXPECT_TRUE(logs.contains("DIRECT3D8 device lost.", LogWarning));
    EXPECT_TRUE(driver->isDeviceLost());

    D3DTestControl::clearCalls();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(driver->beginScene());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(names(), (std::vector<std::string>{"TestCooperativeLevel", "TestCooperativeLevel"}));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 90);

    D3DTestControl::clearCalls();
    EXPECT_TRUE(driver->beginScene());
    EXPECT_EQ(count("Reset"), 1u);
    EXPECT_TRUE(logs.contains("Resetting D3D8 device.", LogInformation));
    EXPECT_FALSE(driver->isDeviceLost());
    // 3D mode is entered again with its transforms.
    const std::vector<std::vector<float>> worlds = transforms(D3DTS_WORLD);
    ASSERT_FALSE(worlds.empty());
    EXPECT_EQ(worlds.back()[12], 3.0f);
    EXPECT_EQ(worlds.back()[14], 5.0f);
    EXPECT_TRUE(driver->endScene());
}

TEST_F(D3D8Driver, AFailedResetIsReportedByItsCause) {
    ASSERT_NE(make(), nullptr);
    D3DTestControl::forceResult("Reset", D3DERR_DEVICELOST);
    EXPECT_FALSE(driver->resetDevice());
    EXPECT_TRUE(logs.contains("Resetting failed due to device lost.", LogWarning));
    EXPECT_TRUE(driver->isDeviceLost());
    D3DTestControl::forceResult("Reset", D3DERR_INVALIDCALL);
    EXPECT_FALSE(driver->resetDevice());
    EXPECT_TRUE(logs.contains("Resetting failed.", LogWarning));
}

// --- Textures ---

// A pixel of a level of the driver's texture, read through the layer.
u32 levelPixel(ITexture* texture, u32 level, u32 x, u32 y) {
    IDirect3DTexture8* t = static_cast<CD3D8Texture*>(texture)->getD3D8Texture();
    D3DLOCKED_RECT locked{};
    if (!t || FAILED(t->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEFu;
    D3DSURFACE_DESC8 desc{};
    t->GetLevelDesc(level, &desc);
    const auto* row = static_cast<const u8*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    u32 value = 0;
    std::memcpy(&value, row + x * (desc.Format == D3DFMT_A8R8G8B8 ? 4u : 2u),
                desc.Format == D3DFMT_A8R8G8B8 ? 4u : 2u);
    t->UnlockRect(level);
    return value;
}

TEST_F(D3D8Driver, MipLevelsAreFilledDownToOneByOne) {
    ASSERT_NE(make(), nullptr);
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);
    driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
    struct SCase {
        s32 width, height;
        u32 levels;
    };
    // 8 × 2 fills every level (4 × 1, 2 × 1, 1 × 1), not the first alone.
    for (const SCase c : {SCase{8, 8, 4}, SCase{8, 2, 4}}) {
        CTextureResource* resource = textureOf(solidImage(c.width, c.height, 0xFF20A040u));
        ASSERT_NE(resource, nullptr);
        ITexture* texture = resource->getTexture();
        EXPECT_TRUE(texture->hasMipMaps());
        IDirect3DTexture8* t = static_cast<CD3D8Texture*>(texture)->getD3D8Texture();
        ASSERT_EQ(t->GetLevelCount(), c.levels);
        for (u32 level = 1; level < c.levels; ++level)
            EXPECT_EQ(levelPixel(texture, level, 0, 0), 0xFF20A040u)
                << c.width << "x" << c.height << " level " << level;
    }
    EXPECT_FALSE(logs.contains("Could not get lower surface level for mip map generation"));
}

TEST_F(D3D8Driver, ASixteenBitMipTexelIsOpaqueOnlyWhenAllFourAre) {
    ASSERT_NE(make(), nullptr);
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);
    driver->setTextureCreationFlag(ETCF_ALWAYS_16_BIT, true);
    CImage* image = solidImage(2, 2, 0xFFFFFFFFu);
    image->setPixel(1, 1, 0x00FFFFFFu);
    CTextureResource* resource = textureOf(image);
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(resource->getTexture()->getColorFormat(), ECF_A1R5G5B5);
    EXPECT_EQ(levelPixel(resource->getTexture(), 1, 0, 0), 0x7FFFu);  // white, transparent
}

TEST_F(D3D8Driver, ARenderTargetInSixteenBitFullScreenIsR5G6B5) {
    ASSERT_NE(make(fullScreen(16)), nullptr);
    ITexture* target = driver->createRenderTargetTexture({64, 64}, ECF_A8R8G8B8);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->getColorFormat(), ECF_R5G6B5);
    EXPECT_EQ(target->getDriverType(), DriverDirect3D8);
    // The back buffer read for its format is given back: a reset still succeeds.
    EXPECT_TRUE(driver->resetDevice());
    target->drop();
}

// --- Mends ---

TEST_F(D3D8Driver, StagesAboveTheLayerCountAreUnbound) {
    ASSERT_NE(make(), nullptr);
    CTextureResource* atlas = textureOf(solidImage(4, 4, 0xFF00FF00u));
    driver->setMaterial(material(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA, atlas));
    ASSERT_NE(driver->getCurrentTexture(0), nullptr);
    // A rectangle's material: no texture layers at all.
    SMaterial rectangle = material(EMT_TRANSPARENT_VERTEX_ALPHA);
    rectangle.LayerCount = 0;
    D3DTestControl::clearCalls();
    driver->setMaterial(rectangle);
    EXPECT_EQ(driver->getCurrentTexture(0), nullptr);
    ASSERT_EQ(count("SetTexture"), 1u);
    EXPECT_EQ(calls("SetTexture")[0].args, (std::vector<uint64_t>{0, 0}));
}

TEST_F(D3D8Driver, ABoundTextureIsHeldUntilUnbound) {
    ASSERT_NE(make(), nullptr);
    CImage* image = solidImage(4, 4, 0xFFFFFFFFu);
    ITexture* texture = driver->createTextureFromImage(image);
    image->drop();
    ASSERT_TRUE(driver->setTexture(0, texture));
    texture->drop();
    // Still alive while bound; unbinding lets it go.
    EXPECT_EQ(driver->getCurrentTexture(0), texture);
    EXPECT_EQ(texture->getDriverType(), DriverDirect3D8);
    EXPECT_TRUE(driver->setTexture(0, nullptr));
    EXPECT_EQ(driver->getCurrentTexture(0), nullptr);
}

TEST_F(D3D8Driver, AFailedRenderTargetSetKeepsTheSizeAndEverySwitchRebuildsTheProjection) {
    ASSERT_NE(make(), nullptr);
    ITexture* target = driver->createRenderTargetTexture({64, 32});
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(driver->set2DRenderMode());
    D3DTestControl::forceResult("SetRenderTarget", D3DERR_INVALIDCALL);
    EXPECT_FALSE(driver->setRenderTarget(target));
    EXPECT_TRUE(logs.contains("Error: Could not set render target.", LogError));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(320, 240));

    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->setRenderTarget(target));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(64, 32));
    ASSERT_TRUE(driver->set2DRenderMode());
    ASSERT_EQ(transforms(D3DTS_PROJECTION).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_PROJECTION)[0][0], 2.0f / 64.0f);
    // The target is set with the device's depth-stencil surface.
    EXPECT_NE(lastCall("SetRenderTarget").args.at(1), 0u);

    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->setRenderTarget(nullptr));
    ASSERT_TRUE(driver->set2DRenderMode());
    ASSERT_EQ(transforms(D3DTS_PROJECTION).size(), 1u);
    EXPECT_FLOAT_EQ(transforms(D3DTS_PROJECTION)[0][0], 2.0f / 320.0f);
    target->drop();
}

TEST_F(D3D8Driver, AResetWithALivingRenderTargetSucceedsAndMakesItAgain) {
    ASSERT_NE(make(), nullptr);
    ITexture* target = driver->createRenderTargetTexture({64, 64});
    ASSERT_TRUE(driver->setRenderTarget(target));
    EXPECT_TRUE(driver->resetDevice());
    EXPECT_FALSE(logs.contains("Resetting failed."));
    EXPECT_NE(static_cast<CD3D8Texture*>(target)->getD3D8Texture(), nullptr);
    // The saved back buffer was given back: drawing goes to the back buffer again.
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(320, 240));
    EXPECT_TRUE(driver->setRenderTarget(target));
    EXPECT_TRUE(driver->setRenderTarget(nullptr));
    target->drop();
}

TEST_F(D3D8Driver, NullIndexListsAndLineLoopsDrawEveryLine) {
    ASSERT_NE(make(), nullptr);
    ASSERT_TRUE(driver->beginScene());
    ASSERT_TRUE(driver->set2DRenderMode());
    const S2DVertex v[4] = {S2DVertex(0, 0, 0, SColor(0xFFFFFFFFu), 0, 0),
                            S2DVertex(10, 0, 0, SColor(0xFFFFFFFFu), 0, 0),
                            S2DVertex(10, 10, 0, SColor(0xFFFFFFFFu), 0, 0),
                            S2DVertex(0, 10, 0, SColor(0xFFFFFFFFu), 0, 0)};
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 4, nullptr, 2, EVT_2D, EPT_TRIANGLE_FAN);
    ASSERT_EQ(count("DrawPrimitiveUP"), 1u);
    EXPECT_EQ(calls("DrawPrimitiveUP")[0].args.at(0), D3DPT_TRIANGLEFAN);
    EXPECT_EQ(calls("DrawPrimitiveUP")[0].result, D3D_OK);

    const u16 loop[4] = {0, 1, 2, 3};
    D3DTestControl::clearCalls();
    driver->drawVertexPrimitiveList(v, 4, loop, 3, EVT_2D, EPT_LINE_LOOP);
    const std::vector<SRecordedCall> drawn = calls("DrawIndexedPrimitiveUP");
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].args.at(0), D3DPT_LINESTRIP);
    EXPECT_EQ(drawn[1].args.at(0), D3DPT_LINELIST);
    // The closing line runs from the strip's last entry back to its first.
    const std::vector<uint8_t>& bytes = drawn[1].bytes;
    ASSERT_GE(bytes.size(), 4u) << drawn[0].text() << " / " << drawn[1].text();
    u16 closing[2];
    std::memcpy(closing, bytes.data() + bytes.size() - 4, 4);
    EXPECT_EQ(closing[0], 3u);
    EXPECT_EQ(closing[1], 0u);
    EXPECT_TRUE(driver->endScene());
}

TEST_F(D3D8Driver, ImagesArePointSampledWithTheirOwnStatesAndStretchedOnesIgnoreTheClip) {
    ASSERT_NE(make(), nullptr);
    CTextureResource* resource = textureOf(solidImage(16, 16, 0xFFFFFFFFu));
    SMaterial smooth = material(EMT_SOLID, resource);
    smooth.TextureLayer[0].BilinearFilter = true;
    driver->setMaterial(smooth);
    ASSERT_TRUE(driver->set2DRenderMode());
    D3DTestControl::clearCalls();
    const recti clip(0, 0, 8, 16);
    driver->draw2DImage(resource->getTexture(), {4, 4}, recti(0, 0, 16, 16), &clip);
    EXPECT_EQ(stageStates(0, D3DTSS_MINFILTER), (std::vector<uint64_t>{D3DTEXF_POINT}));
    EXPECT_EQ(stageStates(0, D3DTSS_MAGFILTER), (std::vector<uint64_t>{D3DTEXF_POINT}));
    EXPECT_EQ(stageStates(0, D3DTSS_MIPFILTER), (std::vector<uint64_t>{D3DTEXF_NONE}));
    // Addressing wraps on all four stages; no specular state.
    for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage)
        EXPECT_EQ(stageStates(stage, D3DTSS_ADDRESSU), (std::vector<uint64_t>{D3DTADDRESS_WRAP}));
    EXPECT_TRUE(renderStates(D3DRS_SPECULARENABLE).empty());

    D3DTestControl::clearCalls();
    driver->draw2DImageStretched(resource->getTexture(), recti(0, 0, 32, 32), recti(0, 0, 16, 16),
                                 &clip);
    EXPECT_EQ(count("DrawIndexedPrimitiveUP"), 1u);
    EXPECT_TRUE(renderStates(D3DRS_SCISSORTESTENABLE).empty());
}

}  // namespace
