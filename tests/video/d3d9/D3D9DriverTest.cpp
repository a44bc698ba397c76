// The Direct3D 9 driver's making, frames, device loss and reset, and features, on recorded
// windowless devices.

#include <chrono>

#include "tests/video/d3d9/D3D9TestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::test;

namespace {

using D3D9Driver = D3D9Recording;

// CreateDevice's recorded arguments: adapter, type, window, behaviour, then the present
// parameters in their order.
enum ECreateArg : size_t {
    ArgBehaviour = 3,
    ArgWidth = 4,
    ArgHeight = 5,
    ArgFormat = 6,
    ArgSamples = 8,
    ArgWindowed = 12,
    ArgDepthFormat = 14,
    ArgInterval = 17,
};

SRecordedCall lastCreation() {
    const std::vector<SRecordedCall> created = D3DTestControl::callsNamed("CreateDevice");
    return created.empty() ? SRecordedCall() : created.back();
}

TEST_F(D3D9Driver, MadeWithItsNameTypeRenderersAndExposedData) {
    D3DTestControl::setVendorId(0x10DE);
    ASSERT_NE(make(), nullptr);
    EXPECT_EQ(stringw(driver->getName()), stringw(L"Direct3D 9.0"));
    EXPECT_TRUE(logs.contains("Using renderer: Direct3D 9.0", LogInformation));
    EXPECT_EQ(driver->getDriverType(), DriverDirect3D9);
    EXPECT_EQ(driver->getVendorInfo(), stringc("NVIDIA Corporation"));
    EXPECT_EQ(driver->getMaterialRendererCount(), static_cast<u32>(EMT_MATERIAL_TYPE_COUNT));
    EXPECT_STREQ(driver->getMaterialRendererName(EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD),
                 "trans_alphach_vertexalpha_add");
    // One light-map renderer for the seven light-map types.
    for (u32 type = EMT_LIGHTMAP_ADD; type <= EMT_LIGHTMAP_LIGHTING_M4; ++type)
        EXPECT_EQ(driver->getMaterialRenderer(type), driver->getMaterialRenderer(EMT_LIGHTMAP));
    EXPECT_EQ(driver->getGPUProgrammingServices(), driver);
    EXPECT_EQ(driver->getMaximalPrimitiveCount(), driver->getCaps().MaxPrimitiveCount);
    EXPECT_EQ(driver->getColorFormat(), ECF_A8R8G8B8);  // X8R8G8B8 counts as A8R8G8B8
    EXPECT_EQ(driver->getRenderMode(), CD3D9Driver::RenderMode3D);
    EXPECT_TRUE(driver->wasDeviceReset());

    const SExposedVideoData& data = driver->getExposedVideoData();
    EXPECT_EQ(data.Words[0], nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data.Words[1]), 1u);
    EXPECT_NE(data.Words[2], nullptr);
    EXPECT_EQ(data.Words[3], driver->getDirect3DDevice());

    // The first frame ends the "was reset" state.
    EXPECT_TRUE(driver->beginScene());
    EXPECT_TRUE(driver->endScene());
    EXPECT_FALSE(driver->wasDeviceReset());
}

TEST_F(D3D9Driver, VendorNames) {
    const struct {
        DWORD id;
        const char* name;
    } vendors[] = {{0x1002, "ATI Technologies Inc."}, {0x102B, "Matrox Electronic Systems Ltd."},
                   {0x10DE, "NVIDIA Corporation"},    {0x121A, "3dfx Interactive Inc"},
                   {0x5333, "S3 Graphics Co., Ltd."}, {0x8086, "Intel Corporation"},
                   {0x1234, "Unknown VendorId: 4660"}};
    for (const auto& v : vendors) EXPECT_EQ(CD3D9Driver::vendorNameOf(v.id), stringc(v.name));
}

TEST_F(D3D9Driver, MissingRuntimeEndsTheMaking) {
    const struct {
        std::function<void()> take;
        const char* message;
    } cases[] = {
        {[] { D3DTestControl::removeModule("d3d9.dll"); }, "Error, could not load d3d9.dll."},
        {[] { D3DTestControl::removeEntryPoint("d3d9.dll", "Direct3DCreate9"); },
         "Error, could not get proc adress of Direct3DCreate9."},
        {[] { D3DTestControl::forceResult("GetAdapterDisplayMode", D3DERR_NOTAVAILABLE); },
         "Could not get Adapter Display mode."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        logs.clear();
        c.take();
        EXPECT_EQ(createDirect3D9Driver(parameters(), nullptr), nullptr);
        EXPECT_TRUE(logs.contains(c.message, LogError));
        EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
    }
}

TEST_F(D3D9Driver, BackBufferFormatSizeAndPresentationInterval) {
    const struct {
        bool fullScreen;
        u32 bits;
        bool vsync;
        D3DFORMAT format;
        u32 width;
        bool windowed;
        u32 interval;
    } cases[] = {
        // In a window the back buffer takes the display's format and the window's size.
        {false, 32, false, D3DFMT_X8R8G8B8, 320, true, D3DPRESENT_INTERVAL_IMMEDIATE},
        {false, 16, true, D3DFMT_X8R8G8B8, 320, true, D3DPRESENT_INTERVAL_ONE},
        // In full screen the given size, X8R8G8B8 for 32 bits and R5G6B5 for any other depth.
        {true, 32, false, D3DFMT_X8R8G8B8, 320, false, D3DPRESENT_INTERVAL_IMMEDIATE},
        {true, 16, false, D3DFMT_R5G6B5, 320, false, D3DPRESENT_INTERVAL_IMMEDIATE},
        {true, 24, true, D3DFMT_R5G6B5, 320, false, D3DPRESENT_INTERVAL_ONE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.fullScreen ? " full screen" : " windowed"));
        SDeviceParameters p = parameters();
        p.fullscreen = c.fullScreen;
        p.bits = c.bits;
        p.vsync = c.vsync;
        D3DTestControl::clearCalls();
        ASSERT_NE(make(p), nullptr);
        const SRecordedCall created = lastCreation();
        ASSERT_GT(created.args.size(), static_cast<size_t>(ArgInterval));
        EXPECT_EQ(created.args[ArgFormat], c.format);
        EXPECT_EQ(created.args[ArgWindowed], c.windowed ? 1u : 0u);
        EXPECT_EQ(created.args[ArgInterval], c.interval);
        // The windowed size is left to the window (0); Direct3D fills it in.
        EXPECT_EQ(created.args[ArgWidth], c.windowed ? 0u : c.width);
        EXPECT_EQ(driver->getColorFormat(), c.format == D3DFMT_R5G6B5 ? ECF_R5G6B5 : ECF_A8R8G8B8);
    }
}

TEST_F(D3D9Driver, DepthAndStencilFormatFallbacks) {
    const struct {
        const char* name;
        bool stencil;
        std::vector<D3DFORMAT> refused;
        bool matchRefused;
        D3DFORMAT format;  // D3DFMT_UNKNOWN: no driver
        bool stencilAfter;
        const char* message;
    } cases[] = {
        {"D24S8", true, {}, false, D3DFMT_D24S8, true, nullptr},
        {"D24S8 not matching the display",
         true,
         {},
         true,
         D3DFMT_D32,
         false,
         "Depth-stencil format is not compatible with display format, disabling stencil buffer."},
        // The layer has neither D24X4S4 nor D15S1: without D24S8 the stencil buffer goes.
        {"no stencil format",
         true,
         {D3DFMT_D24S8},
         false,
         D3DFMT_D32,
         false,
         "Device does not support stencilbuffer, disabling stencil buffer."},
        {"D32", false, {}, false, D3DFMT_D32, false, nullptr},
        {"D24X8", false, {D3DFMT_D32}, false, D3DFMT_D24X8, false, nullptr},
        {"D16", false, {D3DFMT_D32, D3DFMT_D24X8}, false, D3DFMT_D16, false, nullptr},
        {"none",
         false,
         {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16},
         false,
         D3DFMT_UNKNOWN,
         false,
         "Device does not support required depth buffer."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        logs.clear();
        for (D3DFORMAT f : c.refused) D3DTestControl::refuseFormat(f);
        if (c.matchRefused) D3DTestControl::refuseDepthStencilMatch(D3DFMT_D24S8);
        SDeviceParameters p = parameters();
        p.stencilBuffer = c.stencil;
        if (c.format == D3DFMT_UNKNOWN) {
            if (driver) driver->drop();
            driver = nullptr;
            EXPECT_EQ(createDirect3D9Driver(p, nullptr), nullptr);
            EXPECT_EQ(count("CreateDevice"), 0u);
        } else {
            ASSERT_NE(make(p), nullptr);
            EXPECT_EQ(lastCreation().args[ArgDepthFormat], c.format);
            EXPECT_EQ(driver->hasStencilBuffer(), c.stencilAfter);
            EXPECT_EQ(driver->queryFeature(EVDF_STENCIL_BUFFER), c.stencilAfter);
        }
        if (c.message) {
            EXPECT_TRUE(logs.contains(c.message, LogWarning));
        }
    }
}

TEST_F(D3D9Driver, StencilCapabilitiesTheDeviceLacksDisableTheStencilBuffer) {
    D3DTestControl::setCaps(
        [](D3DCAPS_COMMON& caps) { caps.StencilCaps &= ~D3DSTENCILCAPS_INCRSAT; });
    SDeviceParameters p = parameters();
    p.stencilBuffer = true;
    ASSERT_NE(make(p), nullptr);
    EXPECT_FALSE(driver->hasStencilBuffer());
    EXPECT_TRUE(logs.contains("Device not able to use stencil buffer, disabling stencil buffer.",
                              LogWarning));
}

TEST_F(D3D9Driver, MultisampleSearch) {
    const struct {
        u8 level;
        std::vector<u32> refused;
        u32 samples;
        bool message;
    } cases[] = {
        {0, {}, 0, false},
        // 0 and 1 both mean no anti-aliasing.
        {1, {}, 0, false},
        {4, {}, 4, false},
        {4, {4, 3}, 2, false},
        // Above 16 the search starts at 16.
        {40, {16, 15}, 14, false},
        {3, {3, 2}, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.level));
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        logs.clear();
        for (u32 s : c.refused) D3DTestControl::refuseMultiSample(s);
        SDeviceParameters p = parameters();
        p.antiAlias = c.level;
        ASSERT_NE(make(p), nullptr);
        EXPECT_EQ(lastCreation().args[ArgSamples], c.samples);
        EXPECT_EQ(driver->getAntiAliasing(), c.samples);
        EXPECT_EQ(
            logs.contains("Anti aliasing disabled because hardware/driver lacks necessary caps.",
                          LogWarning),
            c.message);
    }
}

TEST_F(D3D9Driver, VertexProcessingFallsBackFromHardwareToMixedToSoftware) {
    const struct {
        std::vector<DWORD> refused;
        std::vector<DWORD> tried;
    } cases[] = {
        {{}, {D3DCREATE_HARDWARE_VERTEXPROCESSING}},
        {{D3DCREATE_HARDWARE_VERTEXPROCESSING},
         {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING}},
        {{D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING},
         {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
          D3DCREATE_SOFTWARE_VERTEXPROCESSING}},
    };
    for (const auto& c : cases) {
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        for (DWORD flag : c.refused) D3DTestControl::refuseVertexProcessing(flag);
        SDeviceParameters p = parameters();
        p.highPrecisionFpu = true;
        ASSERT_NE(make(p), nullptr);
        std::vector<DWORD> tried;
        for (const SRecordedCall& call : calls("CreateDevice")) {
            EXPECT_TRUE(call.args[ArgBehaviour] & D3DCREATE_FPU_PRESERVE);
            tried.push_back(static_cast<DWORD>(call.args[ArgBehaviour] & ~D3DCREATE_FPU_PRESERVE));
        }
        EXPECT_EQ(tried, c.tried);
    }
    // All three refused: no driver, with both messages.
    D3DTestControl::reset();
    D3DTestControl::setRecordingMode(true);
    for (DWORD flag : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                       D3DCREATE_SOFTWARE_VERTEXPROCESSING})
        D3DTestControl::refuseVertexProcessing(flag);
    driver->drop();
    driver = nullptr;
    EXPECT_EQ(createDirect3D9Driver(parameters(), nullptr), nullptr);
    EXPECT_TRUE(logs.contains("Was not able to create Direct3D9 device.", LogError));
    EXPECT_TRUE(logs.contains("Was not able to create DIRECT3D9 device.", LogError));
}

// A device lost at Present: the next frame waits once, gives up while it stays lost, and resets
// the device as soon as it can be reset; the frame after that draws.
TEST_F(D3D9Driver, LostDeviceSkipsFramesUntilItCanBeReset) {
    ASSERT_NE(make(), nullptr);
    ASSERT_TRUE(driver->beginScene());
    D3DTestControl::loseDevices(3);
    EXPECT_FALSE(driver->endScene());
    EXPECT_TRUE(logs.contains("Present failed"));
    EXPECT_TRUE(driver->isDeviceLost());

    D3DTestControl::clearCalls();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(driver->beginScene());
    const auto waited = std::chrono::steady_clock::now() - start;
    // Two questions with a wait between them, no reset and no drawing yet.
    EXPECT_EQ(names(), (std::vector<std::string>{"TestCooperativeLevel", "TestCooperativeLevel"}));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 90);

    // The third answer is still "lost", then "not reset": the frame resets and goes on.
    D3DTestControl::clearCalls();
    EXPECT_TRUE(driver->beginScene());
    EXPECT_EQ(count("Reset"), 1u);
    EXPECT_TRUE(logs.contains("Resetting D3D9 device.", LogInformation));
    EXPECT_FALSE(driver->isDeviceLost());
    EXPECT_TRUE(driver->wasDeviceReset());
    driver->setMaterial(material(EMT_SOLID));
    quad(material(EMT_SOLID), 0, 0, 10, 10);
    EXPECT_EQ(count("DrawIndexedPrimitiveUP"), 1u);
    EXPECT_TRUE(driver->endScene());
    EXPECT_FALSE(driver->wasDeviceReset());
}

TEST_F(D3D9Driver, ResetFailuresAreReportedByCause) {
    ASSERT_NE(make(), nullptr);
    const struct {
        HRESULT result;
        const char* message;
        bool lost;
    } cases[] = {
        {D3DERR_DEVICELOST, "Resetting failed due to device lost.", true},
        {D3DERR_DEVICEREMOVED, "Resetting failed due to device removed.", false},
        {D3DERR_DRIVERINTERNALERROR, "Resetting failed due to internal error.", false},
        {D3DERR_OUTOFVIDEOMEMORY, "Resetting failed due to out of memory.", false},
        {D3DERR_DEVICENOTRESET, "Resetting failed due to not reset.", false},
        {D3DERR_INVALIDCALL, "Resetting failed due to invalid call.", false},
        {E_FAIL, "Resetting failed due to unknown reason.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        D3DTestControl::forceResult("Reset", c.result);
        EXPECT_FALSE(driver->resetDevice());
        EXPECT_TRUE(logs.contains(c.message, LogWarning));
        EXPECT_EQ(driver->isDeviceLost(), c.lost);
        EXPECT_TRUE(driver->resetDevice());  // the next reset succeeds
    }
    bool hinted = false;
    for (const auto& line : logs.lines())
        if (line.text == "Resetting failed due to unknown reason.")
            hinted = line.hint == std::to_string(E_FAIL);
    EXPECT_TRUE(hinted);
}

TEST_F(D3D9Driver, FrameFailuresAreLoggedAndTheNextFrameTriesAgain) {
    ASSERT_NE(make(), nullptr);
    // No clear flag and no stencil buffer: the clear still goes out, refused, and the frame goes
    // on.
    EXPECT_TRUE(driver->beginScene(false, false));
    EXPECT_TRUE(logs.contains("DIRECT3D9 clear failed.", LogWarning));
    EXPECT_TRUE(driver->endScene());
    D3DTestControl::forceResult("BeginScene", D3DERR_INVALIDCALL);
    EXPECT_FALSE(driver->beginScene());
    EXPECT_TRUE(logs.contains("DIRECT3D9 begin scene failed.", LogWarning));
    const struct {
        HRESULT result;
        const char* hint;
    } presents[] = {{D3DERR_DEVICEREMOVED, "Device removed."},
                    {D3DERR_INVALIDCALL, "Invalid Call"}};
    for (const auto& p : presents) {
        ASSERT_TRUE(driver->beginScene());
        D3DTestControl::forceResult("Present", p.result);
        EXPECT_FALSE(driver->endScene());
        bool found = false;
        for (const auto& line : logs.lines())
            found = found || (line.text == "Present failed" && line.hint == p.hint);
        EXPECT_TRUE(found) << p.hint;
    }
    ASSERT_TRUE(driver->beginScene());
    D3DTestControl::forceResult("Present", E_FAIL);
    EXPECT_FALSE(driver->endScene());
    EXPECT_TRUE(logs.contains("DIRECT3D9 present failed.", LogWarning));
    EXPECT_FALSE(driver->isDeviceLost());
    ASSERT_TRUE(driver->beginScene());
    D3DTestControl::forceResult("EndScene", D3DERR_INVALIDCALL);
    EXPECT_FALSE(driver->endScene());
    EXPECT_TRUE(logs.contains("DIRECT3D9 end scene failed.", LogWarning));
    EXPECT_EQ(count("Present"), 4u);  // one for each frame before, none after the failed end
}

TEST_F(D3D9Driver, ResizingResetsTheDeviceWithTheNewSize) {
    ASSERT_NE(make(), nullptr);
    D3DTestControl::clearCalls();
    driver->OnResize(dimension2di(200, 100));
    const std::vector<SRecordedCall> resets = calls("Reset");
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_EQ(resets[0].args[0], 200u);
    EXPECT_EQ(resets[0].args[1], 100u);
    EXPECT_EQ(driver->getScreenSize(), dimension2di(200, 100));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(200, 100));
    // The 2D projection follows.
    D3DTestControl::clearCalls();
    driver->set2DRenderMode();
    const auto projections = transforms(D3DTS_PROJECTION);
    ASSERT_FALSE(projections.empty());
    EXPECT_FLOAT_EQ(projections.back()[0], 2.0f / 200.0f);
    EXPECT_FLOAT_EQ(projections.back()[5], -2.0f / 100.0f);
}

// The back buffer's surface read at the end of the making is given back: a device whose back
// buffer is still held can never be reset.
TEST_F(D3D9Driver, ResetRightAfterMakingSucceeds) {
    ASSERT_NE(make(), nullptr);
    EXPECT_TRUE(driver->resetDevice());
    EXPECT_EQ(calls("Reset").back().result, D3D_OK);
}

TEST_F(D3D9Driver, FeaturesFollowTheCapabilitiesAndTheSwitches) {
    const struct {
        const char* name;
        std::function<void(D3DCAPS_COMMON&)> caps;
        EVideoDriverFeature feature;
        bool expected;
    } cases[] = {
        {"render to texture", [](D3DCAPS_COMMON& c) { c.NumSimultaneousRTs = 1; },
         EVDF_RENDER_TO_TARGET, true},
        {"no render targets", [](D3DCAPS_COMMON& c) { c.NumSimultaneousRTs = 0; },
         EVDF_RENDER_TO_TARGET, false},
        {"hardware T&L", [](D3DCAPS_COMMON& c) { c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT; },
         EVDF_HARDWARE_TL, true},
        {"software T&L", [](D3DCAPS_COMMON& c) { c.DevCaps = 0; }, EVDF_HARDWARE_TL, false},
        {"multitexture", [](D3DCAPS_COMMON&) {}, EVDF_MULTITEXTURE, true},
        {"bilinear", [](D3DCAPS_COMMON&) {}, EVDF_BILINEAR_FILTER, true},
        {"mip maps", [](D3DCAPS_COMMON& c) { c.TextureCaps = D3DPTEXTURECAPS_MIPMAP; },
         EVDF_MIP_MAP, true},
        {"no mip maps", [](D3DCAPS_COMMON& c) { c.TextureCaps = 0; }, EVDF_MIP_MAP, false},
        {"no automatic mip maps", [](D3DCAPS_COMMON&) {}, EVDF_MIP_MAP_AUTO_UPDATE, false},
        {"vertex shader 1.1",
         [](D3DCAPS_COMMON& c) { c.VertexShaderVersion = D3DVS_VERSION(1, 1); },
         EVDF_VERTEX_SHADER_1_1, true},
        {"vertex shader 2.0 of 1.1",
         [](D3DCAPS_COMMON& c) { c.VertexShaderVersion = D3DVS_VERSION(1, 1); },
         EVDF_VERTEX_SHADER_2_0, false},
        {"vertex shader 3.0",
         [](D3DCAPS_COMMON& c) { c.VertexShaderVersion = D3DVS_VERSION(3, 0); },
         EVDF_VERTEX_SHADER_3_0, true},
        {"pixel shader 1.4 of 2.0",
         [](D3DCAPS_COMMON& c) { c.PixelShaderVersion = D3DPS_VERSION(2, 0); },
         EVDF_PIXEL_SHADER_1_4, true},
        {"pixel shader 3.0 of 2.0",
         [](D3DCAPS_COMMON& c) { c.PixelShaderVersion = D3DPS_VERSION(2, 0); },
         EVDF_PIXEL_SHADER_3_0, false},
        {"HLSL", [](D3DCAPS_COMMON& c) { c.VertexShaderVersion = D3DVS_VERSION(1, 1); }, EVDF_HLSL,
         true},
        {"no HLSL", [](D3DCAPS_COMMON& c) { c.VertexShaderVersion = 0; }, EVDF_HLSL, false},
        {"GLSL", [](D3DCAPS_COMMON&) {}, EVDF_ARB_GLSL, false},
        {"square only", [](D3DCAPS_COMMON& c) { c.TextureCaps = D3DPTEXTURECAPS_SQUAREONLY; },
         EVDF_TEXTURE_NSQUARE, false},
        {"any square", [](D3DCAPS_COMMON& c) { c.TextureCaps = 0; }, EVDF_TEXTURE_NSQUARE, true},
        {"powers of two", [](D3DCAPS_COMMON& c) { c.TextureCaps = D3DPTEXTURECAPS_POW2; },
         EVDF_TEXTURE_NPOT, false},
        {"any size", [](D3DCAPS_COMMON& c) { c.TextureCaps = 0; }, EVDF_TEXTURE_NPOT, true},
        {"frame-buffer objects", [](D3DCAPS_COMMON&) {}, EVDF_FRAMEBUFFER_OBJECT, false},
        {"alpha to coverage", [](D3DCAPS_COMMON&) {}, EVDF_MULTISAMPLING, false},
        {"colour mask",
         [](D3DCAPS_COMMON& c) { c.PrimitiveMiscCaps = D3DPMISCCAPS_COLORWRITEENABLE; },
         EVDF_COLOR_MASK, true},
        {"no colour mask", [](D3DCAPS_COMMON& c) { c.PrimitiveMiscCaps = 0; }, EVDF_COLOR_MASK,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        D3DTestControl::setCaps(c.caps);
        ASSERT_NE(make(), nullptr);
        EXPECT_EQ(driver->queryFeature(c.feature), c.expected);
        // A feature switched off is never there.
        driver->setFeatureEnabled(c.feature, false);
        EXPECT_FALSE(driver->queryFeature(c.feature));
    }
    EXPECT_FALSE(driver->queryFeature(static_cast<EVideoDriverFeature>(26)));
}

TEST_F(D3D9Driver, MipMapCreationFlagNeedsMipMaps) {
    D3DTestControl::setCaps([](D3DCAPS_COMMON& c) { c.TextureCaps = 0; });
    ASSERT_NE(make(), nullptr);
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);
    EXPECT_FALSE(driver->getTextureCreationFlag(ETCF_CREATE_MIP_MAPS));
}

TEST_F(D3D9Driver, ScreenShotIsTheWindowsPartOfTheDesktop) {
    ASSERT_NE(make(), nullptr);
    ASSERT_TRUE(driver->beginScene());
    ASSERT_TRUE(driver->endScene());
    CImage* shot = driver->createScreenShot();
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->getDimension(), dimension2di(320, 240));
    EXPECT_EQ(shot->getColorFormat(), ECF_A8R8G8B8);
    // A windowless device draws nothing: its frames are black.
    EXPECT_EQ(shot->getPixel(5, 5), 0xFF000000u);
    shot->drop();
    // Any failure gives no image and leaves no surface behind.
    for (const char* method : {"CreateOffscreenPlainSurface", "GetFrontBufferData", "LockRect"}) {
        D3DTestControl::forceResult(method, D3DERR_INVALIDCALL);
        EXPECT_EQ(driver->createScreenShot(), nullptr) << method;
    }
}

}  // namespace
