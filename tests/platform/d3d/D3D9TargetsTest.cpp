// Surfaces: formats locked and unlocked, managed textures over a reset, render-target textures,
// the front buffer after a present, and full screen.

#include <cstring>

#include "tests/platform/d3d/D3DTestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::d3d::test;

namespace {

using D3D9Formats = D3DWindowSuite;
using D3D9Targets = D3DWindowSuite;

TEST_F(D3D9Formats, LockRectRoundTripsInEachFormat) {
    const struct {
        const char* name;
        D3DFORMAT format;
        UINT bytes;
    } formats[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, 4}, {"X8R8G8B8", D3DFMT_X8R8G8B8, 4},
        {"R8G8B8", D3DFMT_R8G8B8, 3},     {"R5G6B5", D3DFMT_R5G6B5, 2},
        {"A1R5G5B5", D3DFMT_A1R5G5B5, 2}, {"X1R5G5B5", D3DFMT_X1R5G5B5, 2},
    };
    const UINT w = 5, h = 3;  // odd sizes: rows are not padded
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device->CreateTexture(w, h, 1, 0, f.format, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, f.format);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(desc.Width, w);

        // New textures are zero; what is written comes back byte for byte.
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        ASSERT_EQ(static_cast<UINT>(locked.Pitch), w * f.bytes);
        std::vector<uint8_t> written(static_cast<size_t>(w) * h * f.bytes);
        for (size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[i], 0) << i;
            written[i] = static_cast<uint8_t>(i * 37 + 11);
        }
        std::memcpy(locked.pBits, written.data(), written.size());
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);

        // A part of the level: the pointer is the part's first pixel, the pitch the level's.
        const RECT part{1, 1, 3, 3};
        ASSERT_EQ(t->LockRect(0, &locked, &part, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(std::memcmp(locked.pBits, &written[(w + 1) * f.bytes], 2 * f.bytes), 0);
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(std::memcmp(locked.pBits, written.data(), written.size()), 0);
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        t->Release();
    }
}

TEST_F(D3D9Formats, TheSixteenBitFormatsDrawWithTheirColours) {
    // Pure red in each 16-bit layout: R5G6B5 red is 0xF800; A1R5G5B5 and X1R5G5B5 red 0xFC00.
    const struct {
        D3DFORMAT format;
        uint16_t red;
    } formats[] = {{D3DFMT_R5G6B5, 0xF800}, {D3DFMT_A1R5G5B5, 0xFC00}, {D3DFMT_X1R5G5B5, 0x7C00}};
    setUp2D();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, f.format, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int i = 0; i < 4; ++i) static_cast<uint16_t*>(locked.pBits)[i] = f.red;
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        device->SetTexture(0, t);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(quad(0, 0, 8, 8, 0xFFFFFFFFu), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(4, 4), 255, 0, 0, 1));
        device->SetTexture(0, nullptr);
        t->Release();
    }
}

TEST_F(D3D9Formats, AManagedTexturesContentSurvivesAReset) {
    IDirect3DTexture9* t = texture(2, 2, {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u});
    ASSERT_NE(t, nullptr);
    D3DPRESENT_PARAMETERS pp = presentParameters();
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    // The copy in memory and the texture drawn both hold it.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[3], 0xFF00FF00u);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    setUp2D();
    device->SetTexture(0, t);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(quad(0, 0, 4, 4, 0xFFFFFFFFu), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(1, 1), 0, 255, 0, 1));
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Formats, PoolsAndRefusedFormats) {
    IDirect3DTexture9* t = nullptr;
    // Depth formats Direct3D 9 programs try that this layer has not.
    for (D3DFORMAT f : {D3DFMT_D24X4S4, D3DFMT_D15S1})
        EXPECT_EQ(s_d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                           D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, f),
                  D3DERR_NOTAVAILABLE);
    EXPECT_EQ(s_d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                       D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3D_OK);
    // A render target is not lockable; a system-memory texture cannot be drawn with.
    ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &t, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(locked.pBits, nullptr);
    t->Release();
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &t, nullptr),
              D3D_OK);
    EXPECT_EQ(device->SetTexture(0, t), D3DERR_INVALIDCALL);
    t->Release();
    // All levels down to 1 × 1.
    ASSERT_EQ(device->CreateTexture(8, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 4u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(t->GetLevelDesc(3, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(t->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);
    t->Release();
}

// A render-target texture of 64 × 32: blue with a red block in its top-left corner.
IDirect3DTexture9* drawnTarget(D3DWindowSuite& suite, IDirect3DDevice9* device) {
    IDirect3DTexture9* target = nullptr;
    EXPECT_EQ(device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    if (!target) return nullptr;
    IDirect3DSurface9* surface = nullptr;
    IDirect3DSurface9* back = nullptr;
    EXPECT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_EQ(device->GetRenderTarget(0, &back), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
    suite.setUp2D(64, 32);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(suite.quad(0, 0, 16, 8, 0xFFFF0000u), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, back), D3D_OK);
    back->Release();
    surface->Release();
    return target;
}

TEST_F(D3D9Targets, ARenderTargetReadsBackTopDownAndSamplesRightSideUp) {
    IDirect3DTexture9* target = drawnTarget(*this, device);
    ASSERT_NE(target, nullptr);

    IDirect3DSurface9* surface = nullptr;
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(64, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                  nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(surface, copy), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto at = [&](int x, int y) {
        return static_cast<const uint32_t*>(static_cast<const void*>(
            static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch))[x];
    };
    EXPECT_EQ(at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(15, 7), 0xFFFF0000u);
    EXPECT_EQ(at(16, 7), 0xFF0000FFu);
    EXPECT_EQ(at(0, 8), 0xFF0000FFu);
    EXPECT_EQ(at(63, 31), 0xFF0000FFu);
    ASSERT_EQ(copy->UnlockRect(), D3D_OK);
    // A copy of another size is refused.
    IDirect3DSurface9* small = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                  &small, nullptr),
              D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(surface, small), D3DERR_INVALIDCALL);
    small->Release();
    copy->Release();
    surface->Release();

    // Drawn on the back buffer with its coordinates, the block stays at the top-left.
    setUp2D();
    device->SetTexture(0, target);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(quad(100, 100, 164, 132, 0xFFFFFFFFu), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(100, 100), 255, 0, 0, 0));
    EXPECT_TRUE(near(pixel(115, 107), 255, 0, 0, 0));
    EXPECT_TRUE(near(pixel(100, 131), 0, 0, 255, 0));
    EXPECT_TRUE(near(pixel(116, 100), 0, 0, 255, 0));
    device->SetTexture(0, nullptr);
    target->Release();
}

TEST_F(D3D9Targets, ResetIsRefusedWhileADefaultPoolTextureOrABackBufferReferenceLives) {
    IDirect3DTexture9* target = drawnTarget(*this, device);
    ASSERT_NE(target, nullptr);
    D3DPRESENT_PARAMETERS pp = presentParameters();
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    target->Release();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);

    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    // The same surface object each time.
    IDirect3DSurface9* again = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &again), D3D_OK);
    EXPECT_EQ(again, back);
    again->Release();
    back->Release();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
}

TEST_F(D3D9Targets, TheFrontBufferHoldsTheLastPresentedFrame) {
    setUp2D();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(quad(0, 0, 10, 5, 0xFFFF0000u), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Something else drawn afterwards is not in the front buffer until it is presented.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);

    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    IDirect3DSurface9* front = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_SCRATCH, &front, nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetFrontBufferData(0, front), D3D_OK);
    // The client area's top-left corner is the screen's.
    POINT origin{0, 0};
    EXPECT_EQ(ClientToScreen(s_window->nativeHandle(), &origin), TRUE);
    D3DLOCKED_RECT locked{};
    const RECT area{origin.x, origin.y, origin.x + static_cast<LONG>(Width),
                    origin.y + static_cast<LONG>(Height)};
    ASSERT_EQ(front->LockRect(&locked, &area, D3DLOCK_READONLY), D3D_OK);
    auto at = [&](int x, int y) {
        return static_cast<const uint32_t*>(static_cast<const void*>(
            static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch))[x];
    };
    EXPECT_EQ(at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(9, 4), 0xFFFF0000u);
    EXPECT_EQ(at(10, 4), 0xFF204060u);
    EXPECT_EQ(at(Width - 1, Height - 1), 0xFF204060u);
    ASSERT_EQ(front->UnlockRect(), D3D_OK);
    if (mode.Width > Width) {
        ASSERT_EQ(front->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(at(Width, 0), 0xFF000000u);  // the desktop beyond the window
        ASSERT_EQ(front->UnlockRect(), D3D_OK);
    }
    front->Release();

    // A surface smaller than the display is refused.
    ASSERT_EQ(device->CreateOffscreenPlainSurface(Width, Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
                                                  &front, nullptr),
              D3D_OK);
    EXPECT_EQ(device->GetFrontBufferData(0, front), D3DERR_INVALIDCALL);
    front->Release();
}

TEST_F(D3D9Targets, PresentingIntoAnotherWindowOrRectangleIsRefused) {
    const RECT rect{0, 0, 10, 10};
    int other = 0;
    EXPECT_EQ(device->Present(nullptr, &rect, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, &other, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(&rect, nullptr, s_window->nativeHandle(), nullptr), D3D_OK);
}

TEST_F(D3D9Targets, TheBackBufferReadsBackThroughAPlainSurface) {
    setUp2D();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    ASSERT_EQ(quad(Width - 4, Height - 2, Width, Height, 0x80FF0000u), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(Width, Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                  &copy, nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(back, copy), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* rows = static_cast<const uint8_t*>(locked.pBits);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(rows)[0], 0xFF0000FFu);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(rows + (Height - 1) * locked.Pitch)[Width - 1],
              0x80FF0000u);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(rows + (Height - 3) * locked.Pitch)[Width - 1],
              0xFF0000FFu);
    ASSERT_EQ(copy->UnlockRect(), D3D_OK);
    copy->Release();
    back->Release();
}

TEST_F(D3D9Targets, AMultisampledDeviceResolvesWhatItDraws) {
    D3DPRESENT_PARAMETERS pp = presentParameters();
    pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    DWORD levels = 0;
    const HRESULT supported =
        s_d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, TRUE,
                                          D3DMULTISAMPLE_4_SAMPLES, &levels);
    IDirect3DDevice9* second = nullptr;
    const HRESULT made =
        s_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, s_window->nativeHandle(),
                            D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &second);
    if (FAILED(supported)) {
        // A count the check refuses is refused by creation as well.
        EXPECT_EQ(made, supported);
        return;
    }
    ASSERT_EQ(made, D3D_OK);
    ASSERT_EQ(levels, 1u);
    // The device is made on the window as it is.
    EXPECT_EQ(platform::CWindow::fromHandle(pp.hDeviceWindow), s_window);

    // A red triangle whose long edge crosses pixels: the samples along it mix.
    second->SetRenderState(D3DRS_LIGHTING, FALSE);
    second->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const D3DMATRIX projection = pixelProjection(Width, Height);
    second->SetTransform(D3DTS_PROJECTION, &projection);
    second->SetFVF(kVertexFVF);
    second->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    const SVertex triangle[3] = {
        {0, 0, 0, 0xFFFF0000u, 0, 0}, {64, 0, 0, 0xFFFF0000u, 0, 0}, {0, 48, 0, 0xFFFF0000u, 0, 0}};
    ASSERT_EQ(second->BeginScene(), D3D_OK);
    ASSERT_EQ(second->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(second->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(SVertex)), D3D_OK);
    ASSERT_EQ(second->EndScene(), D3D_OK);
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(D3DTestControl::readBackBuffer(pixels, w, h));
    EXPECT_EQ(pixelOf(pixels[5 * w + 5]).r, 255);
    EXPECT_EQ(pixelOf(pixels[40 * w + 60]).r, 0);
    int mixed = 0;
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const int r = pixelOf(pixels[y * w + x]).r;
            if (r > 0 && r < 255) ++mixed;
        }
    EXPECT_GT(mixed, 20);
    EXPECT_EQ(second->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(second->Release(), 0u);

    // The suite's device draws on.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(0, 0), 0, 255, 0, 0));
}

TEST_F(D3D9Targets, ClearsKeepToTheViewportTheScissorRectangleAndTheirRectangles) {
    const D3DVIEWPORT9 viewport{10, 10, 100, 100, 0.0f, 1.0f};
    const RECT scissor{0, 0, 60, 60};
    const RECT rects[2] = {{0, 0, 30, 30}, {50, 50, 200, 200}};
    struct Case {
        const char* name;
        bool scissorTest;
        DWORD count;
        // Pixels that the clear reaches, and pixels it does not.
        std::vector<std::pair<int, int>> inside, outside;
    };
    const Case cases[] = {
        {"viewport", false, 0, {{10, 10}, {109, 109}}, {{9, 10}, {110, 50}}},
        {"viewport and scissor", true, 0, {{10, 10}, {59, 59}}, {{60, 20}, {20, 60}}},
        {"rectangles in the viewport",
         false,
         2,
         {{10, 10}, {29, 29}, {50, 50}, {109, 109}},
         {{5, 5}, {30, 30}, {110, 110}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS pp = presentParameters();
        ASSERT_EQ(device->Reset(&pp), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
        ASSERT_EQ(device->SetScissorRect(&scissor), D3D_OK);
        device->SetRenderState(D3DRS_SCISSORTESTENABLE, c.scissorTest);
        ASSERT_EQ(device->Clear(c.count, c.count ? rects : nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu,
                                1.0f, 0),
                  D3D_OK);
        const std::vector<uint32_t> back = backBuffer();
        for (const auto& p : c.inside)
            EXPECT_EQ(back[static_cast<size_t>(p.second) * Width + p.first], 0xFFFFFFFFu)
                << p.first << ", " << p.second;
        for (const auto& p : c.outside)
            EXPECT_EQ(back[static_cast<size_t>(p.second) * Width + p.first], 0xFF000000u)
                << p.first << ", " << p.second;
    }
    // Depth or stencil without a depth-stencil buffer are refused, and so is a clear of nothing.
    EXPECT_EQ(device->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetDepthStencilSurface(nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

// Full screen: one window of its own, the device made and released twice.
TEST(D3D9FullScreen, AtTheDesktopSizeAndBack) {
    ASSERT_TRUE(platform::startVideo());
    platform::CWindow window;
    ASSERT_TRUE(window.create("Direct3D full screen", 320, 240, false, false)) << window.error();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
    const platform::SVideoMode mode = platform::getDesktopMode();
    EXPECT_EQ(desktop.Width, static_cast<UINT>(mode.width));
    EXPECT_EQ(desktop.Height, static_cast<UINT>(mode.height));
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);

    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = desktop.Width;
    pp.BackBufferHeight = desktop.Height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window.nativeHandle();
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.nativeHandle(),
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        int32_t w = 0, h = 0;
        window.getClientSize(w, h);
        EXPECT_EQ(w, mode.width);
        EXPECT_EQ(h, mode.height);

        // A presented frame fills the whole front buffer.
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00u, 1.0f, 0),
            D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        IDirect3DSurface9* front = nullptr;
        ASSERT_EQ(
            device->CreateOffscreenPlainSurface(desktop.Width, desktop.Height, D3DFMT_A8R8G8B8,
                                                D3DPOOL_SCRATCH, &front, nullptr),
            D3D_OK);
        ASSERT_EQ(device->GetFrontBufferData(0, front), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(front->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto* last =
            static_cast<const uint8_t*>(locked.pBits) + (desktop.Height - 1) * locked.Pitch;
        EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[0], 0xFF00FF00u);
        EXPECT_EQ(reinterpret_cast<const uint32_t*>(last)[desktop.Width - 1], 0xFF00FF00u);
        ASSERT_EQ(front->UnlockRect(), D3D_OK);
        front->Release();

        // Released, the window is a window again.
        EXPECT_EQ(device->Release(), 0u);
        window.getClientSize(w, h);
        EXPECT_EQ(w, 320);
        EXPECT_EQ(h, 240);
    }
    EXPECT_EQ(d3d->Release(), 0u);
    EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
    window.destroy();
    platform::stopVideo();
}

}  // namespace
