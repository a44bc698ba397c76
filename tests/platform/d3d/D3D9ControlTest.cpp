// The run-time modules, the test control and the rules of objects, checked on windowless devices
// of the control's recording mode.

#include <gtest/gtest.h>

#include <cstring>

#include "engine/platform/d3d/D3D8.h"
#include "engine/platform/d3d/D3D9.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::d3d;

namespace {

// Devices of the recording mode: no window, surfaces in memory, calls recorded.
class D3D9Control : public ::testing::Test {
protected:
    void SetUp() override {
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
    }

    void TearDown() override {
        if (device) device->Release();
        if (d3d) d3d->Release();
        EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
        D3DTestControl::reset();
    }

    static D3DPRESENT_PARAMETERS windowed() {
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        return pp;
    }

    HRESULT create(DWORD behavior = D3DCREATE_HARDWARE_VERTEXPROCESSING) {
        D3DPRESENT_PARAMETERS pp = windowed();
        return d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, behavior, &pp,
                                 &device);
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

TEST(D3D9Modules, TheModuleTableOffersDirect3D9AndDirect3D8AndNothingElse) {
    D3DTestControl::reset();
    HMODULE module = LoadLibraryA("d3d9.dll");
    ASSERT_NE(module, nullptr);
    FARPROC entry = GetProcAddress(module, "Direct3DCreate9");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetProcAddress(module, "Direct3DCreate8"), nullptr);
    EXPECT_EQ(LoadLibraryA("d3dx9_30.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA("d3dx8.dll"), nullptr);

    // "d3d8.dll" offers the Direct3D 8 entry point alone, for its SDK version only.
    HMODULE module8 = LoadLibraryA("D3D8.DLL");
    ASSERT_NE(module8, nullptr);
    EXPECT_EQ(GetProcAddress(module8, "Direct3DCreate9"), nullptr);
    auto create8 =
        reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(module8, "Direct3DCreate8"));
    ASSERT_NE(create8, nullptr);
    EXPECT_EQ(create8(D3D_SDK_VERSION), nullptr);
    IDirect3D8* d3d8 = create8(D3D8_SDK_VERSION);
    ASSERT_NE(d3d8, nullptr);
    EXPECT_EQ(d3d8->Release(), 0u);
    // No shader assembler: assembling always fails.
    ID3DXBuffer* code = nullptr;
    EXPECT_EQ(D3DXAssembleShader("vs.1.1", 6, 0, nullptr, &code, nullptr), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(code, nullptr);

    // The entry point makes a Direct3D object for the version it knows only.
    auto create = reinterpret_cast<PFN_Direct3DCreate9>(entry);
    EXPECT_EQ(create(31), nullptr);
    IDirect3D9* d3d = create(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->AddRef(), 2u);
    EXPECT_EQ(d3d->Release(), 1u);
    EXPECT_EQ(d3d->Release(), 0u);

    // The control takes a module or an entry point away.
    D3DTestControl::removeEntryPoint("d3d9.dll", "Direct3DCreate9");
    EXPECT_EQ(GetProcAddress(LoadLibraryA("d3d9.dll"), "Direct3DCreate9"), nullptr);
    D3DTestControl::removeModule("d3d9.dll");
    EXPECT_EQ(LoadLibraryA("d3d9.dll"), nullptr);
    D3DTestControl::reset();
    EXPECT_NE(LoadLibraryA("d3d9.dll"), nullptr);
    EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
}

TEST_F(D3D9Control, TheLossSequenceGivesItsResultsInOrder) {
    ASSERT_EQ(create(), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowed();
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    D3DTestControl::loseDevices(2);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&pp), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&pp), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    // Drawing while lost does nothing and fails nothing.
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Lost with no lost tests: not reset at once.
    D3DTestControl::loseDevices(0);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(D3D9Control, ForcedResultsComeOnceEachAndDoNothing) {
    ASSERT_EQ(create(), D3D_OK);
    D3DTestControl::forceResult("Present", D3DERR_DEVICEREMOVED);
    D3DTestControl::forceResult("Clear", D3DERR_INVALIDCALL, 2);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICEREMOVED);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);

    // A forced creation makes nothing.
    D3DTestControl::forceResult("CreateTexture", E_OUTOFMEMORY);
    IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(this);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              E_OUTOFMEMORY);
    EXPECT_EQ(t, nullptr);
    // A forced state change leaves the state as it was.
    D3DTestControl::forceResult("SetRenderState", D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3DERR_DRIVERINTERNALERROR);
    DWORD value = 0;
    EXPECT_EQ(device->GetRenderState(D3DRS_LIGHTING, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
    // Forced results of the Direct3D object, before any device.
    D3DTestControl::forceResult("GetAdapterDisplayMode", D3DERR_NOTAVAILABLE);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1024u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
}

TEST_F(D3D9Control, RecordingModeNeedsNoWindowAndRecordsCallsWithTheirArguments) {
    D3DTestControl::clearCalls();
    ASSERT_EQ(create(), D3D_OK);
    const auto created = D3DTestControl::callsNamed("CreateDevice");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].args[3], D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_EQ(created[0].result, D3D_OK);

    D3DTestControl::clearCalls();
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    m._41 = 7.0f;
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &m), D3D_OK);
    ASSERT_EQ(device->SetSamplerState(2, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), D3D_OK);
    const RECT scissor{1, 2, 30, 40};
    ASSERT_EQ(device->SetScissorRect(&scissor), D3D_OK);
    ASSERT_EQ(device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1), D3D_OK);
    struct Vertex {
        float x, y, z;
        D3DCOLOR c;
        float u, v;
    } v[3] = {{0, 0, 0, 0xFF0000FFu, 0, 0}, {1, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 1}};
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex)), D3D_OK);
    // A draw outside a scene is refused, and recorded with its result.
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex)),
              D3DERR_INVALIDCALL);

    const auto& calls = D3DTestControl::calls();
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls[0].name, "SetRenderState");
    EXPECT_EQ(calls[0].args, (std::vector<uint64_t>{D3DRS_ZENABLE, D3DZB_FALSE}));
    EXPECT_EQ(calls[1].name, "SetTransform");
    ASSERT_EQ(calls[1].floats.size(), 16u);
    EXPECT_EQ(calls[1].floats[12], 7.0f);
    EXPECT_EQ(calls[2].args, (std::vector<uint64_t>{2, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP}));
    EXPECT_EQ(calls[3].args, (std::vector<uint64_t>{1, 1, 2, 30, 40}));
    EXPECT_EQ(calls[5].name, "BeginScene");
    EXPECT_EQ(calls[6].name, "DrawPrimitiveUP");
    EXPECT_EQ(calls[6].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 1, sizeof(Vertex)}));
    ASSERT_EQ(calls[6].bytes.size(), sizeof v);
    EXPECT_EQ(std::memcmp(calls[6].bytes.data(), v, sizeof v), 0);
    EXPECT_EQ(calls[8].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(calls[0].text(), "SetRenderState(" + std::to_string(D3DRS_ZENABLE) + ", 0) = 0");

    // Surfaces keep what is written to them; the back buffer is drawn nothing.
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(back->Release(), 0u);
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    EXPECT_FALSE(D3DTestControl::readBackBuffer(pixels, w, h));
}

TEST_F(D3D9Control, RefusalsCapsAndVendor) {
    D3DTestControl::refuseFormat(D3DFMT_A8R8G8B8);
    EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                     D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                     D3DRTYPE_TEXTURE, D3DFMT_A1R5G5B5),
              D3D_OK);
    // The four-character formats of vendor switches are unknown here.
    EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                     D3DRTYPE_SURFACE,
                                     static_cast<D3DFORMAT>(MAKEFOURCC('A', 'T', 'O', 'C'))),
              D3DERR_NOTAVAILABLE);

    DWORD levels = 0;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                              TRUE, D3DMULTISAMPLE_4_SAMPLES, &levels),
              D3D_OK);
    EXPECT_EQ(levels, 1u);
    D3DTestControl::refuseMultiSample(4);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                              TRUE, D3DMULTISAMPLE_4_SAMPLES, &levels),
              D3DERR_NOTAVAILABLE);

    EXPECT_EQ(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                          D3DFMT_X8R8G8B8, D3DFMT_D24S8),
              D3D_OK);
    D3DTestControl::refuseDepthStencilMatch(D3DFMT_D24S8);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                          D3DFMT_X8R8G8B8, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);

    D3DTestControl::refuseVertexProcessing(D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_EQ(create(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(create(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(create(D3DCREATE_MIXED_VERTEXPROCESSING), D3D_OK);

    // A refused format fails texture creation.
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(t, nullptr);

    D3DCAPS9 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.MaxPrimitiveCount, 65535u);
    EXPECT_EQ(caps.VertexShaderVersion, 0u);
    EXPECT_EQ(caps.PixelShaderVersion, 0u);
    EXPECT_EQ(caps.NumSimultaneousRTs, 1u);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_FALSE(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY));
    const DWORD allStencil = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE |
                             D3DSTENCILCAPS_INCRSAT | D3DSTENCILCAPS_DECRSAT |
                             D3DSTENCILCAPS_INVERT | D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
    EXPECT_EQ(caps.StencilCaps & allStencil, allStencil);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_COLORWRITEENABLE);
    device->Release();
    device = nullptr;

    D3DTestControl::setCaps([](D3DCAPS_COMMON& c) {
        c.TextureCaps |= D3DPTEXTURECAPS_POW2;
        c.MaxSimultaneousTextures = 2;
    });
    D3DTestControl::setVendorId(0x10DE);
    ASSERT_EQ(create(D3DCREATE_MIXED_VERTEXPROCESSING), D3D_OK);
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
    EXPECT_EQ(caps.MaxSimultaneousTextures, 2u);
    D3DADAPTER_IDENTIFIER9 id{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id), D3D_OK);
    EXPECT_EQ(id.VendorId, 0x10DEu);
    EXPECT_STRNE(id.Description, "");
    EXPECT_STRNE(id.Driver, "");
}

TEST_F(D3D9Control, ResetFollowsDirect3DsRules) {
    ASSERT_EQ(create(), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowed();
    pp.BackBufferWidth = 200;
    pp.BackBufferHeight = 100;

    // A default-pool texture blocks the reset; a managed one does not.
    IDirect3DTexture9* managed = nullptr;
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr),
        D3D_OK);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    // The device's hold keeps it alive after its release while it is the render target.
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, level), D3D_OK);
    EXPECT_EQ(level->Release(), 1u);
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, back), D3D_OK);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);  // the back-buffer reference
    back->Release();
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);  // filled in

    // The reset brought every state back to its default and the new size.
    DWORD value = 0;
    ASSERT_EQ(device->GetRenderState(D3DRS_CULLMODE, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_CCW));
    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 200u);
    EXPECT_EQ(viewport.Height, 100u);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(managed->UnlockRect(0), D3D_OK);
    managed->Release();
}

TEST_F(D3D9Control, AfterTheLastReleaseNothingLives) {
    ASSERT_EQ(create(), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* plain = nullptr;
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(
        device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &plain,
                                                  nullptr),
              D3D_OK);
    ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    EXPECT_GT(D3DTestControl::livingObjects(), 5u);

    // The device goes first; what was made on it still works until it is released.
    IDirect3D9* owner = nullptr;
    ASSERT_EQ(device->GetDirect3D(&owner), D3D_OK);
    EXPECT_EQ(owner, d3d);
    owner->Release();
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    // A level counts on its texture.
    EXPECT_EQ(level->AddRef(), 3u);
    level->Release();
    level->Release();
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(plain->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(plain->UnlockRect(), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(plain->Release(), 0u);
    EXPECT_EQ(depth->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
    d3d = nullptr;
    EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
}

TEST_F(D3D9Control, DrawingChecksItsArguments) {
    ASSERT_EQ(create(), D3D_OK);
    struct Vertex {
        float x, y, z;
        D3DCOLOR c;
        float u, v;
    } v[4] = {};
    const uint16_t inRange[3] = {0, 1, 2}, outOfRange[3] = {0, 1, 4};
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex)),
              D3DERR_INVALIDCALL);  // no format
    ASSERT_EQ(device->SetFVF(0x142), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 12),
              D3DERR_INVALIDCALL);  // stride too small
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, inRange, D3DFMT_INDEX16,
                                             v, sizeof(Vertex)),
              D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, outOfRange,
                                             D3DFMT_INDEX16, v, sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 65536, v, sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    // The formats of the drivers' vertex types, and position only.
    for (DWORD fvf : {0x142u, 0x152u, 0x252u, 0x140352u, D3DFVF_XYZ})
        EXPECT_EQ(device->SetFVF(fvf), D3D_OK) << fvf;
    EXPECT_EQ(device->SetFVF(D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);
    // Shader programs are not made; null ones are accepted, and so are constants.
    const DWORD code[1] = {0};
    IDirect3DVertexShader9* vs = nullptr;
    EXPECT_EQ(device->CreateVertexShader(code, &vs), D3DERR_INVALIDCALL);
    EXPECT_EQ(vs, nullptr);
    EXPECT_EQ(device->SetVertexShader(nullptr), D3D_OK);
    const float constants[8] = {};
    EXPECT_EQ(device->SetPixelShaderConstantF(0, constants, 2), D3D_OK);
}

}  // namespace
