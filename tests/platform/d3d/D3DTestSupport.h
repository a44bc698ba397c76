#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3D9.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "tests/support/TestSupport.h"

namespace oskel::d3d::test {

// A vertex of the format 0x142: position, diffuse colour, one coordinate set.
struct SVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kVertexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct SPixel {
    int a, r, g, b;
};

inline SPixel pixelOf(uint32_t argb) {
    return {static_cast<int>(argb >> 24), static_cast<int>((argb >> 16) & 0xFF),
            static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
}

inline std::ostream& operator<<(std::ostream& os, const SPixel& p) {
    return os << "(a " << p.a << ", r " << p.r << ", g " << p.g << ", b " << p.b << ")";
}

// True when each colour channel (and alpha when asked) is within the tolerance.
inline ::testing::AssertionResult near(const SPixel& got, int r, int g, int b, int tolerance = 3,
                                       int a = -1) {
    if (std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance &&
        std::abs(got.b - b) <= tolerance && (a < 0 || std::abs(got.a - a) <= tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got << ", expected (a " << a << ", r " << r
                                         << ", g " << g << ", b " << b << ")";
}

// The projection that puts a vertex at (x, y) on the top-left corner of pixel (x, y) of a target
// of w × h: a left-handed orthographic projection of width w, height -h, depth -10000 to 10000,
// with the translation (-1 - 1/w, 1 + 1/h, 0).
inline D3DMATRIX pixelProjection(float w, float h) {
    D3DMATRIX m{};
    m._11 = 2.0f / w;
    m._22 = -2.0f / h;
    m._33 = 1.0f / 20000.0f;
    m._41 = -1.0f - 1.0f / w;
    m._42 = 1.0f + 1.0f / h;
    m._43 = 0.0f;
    m._44 = 1.0f;
    return m;
}

inline D3DMATRIX identityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// One window of 320 × 240 with a windowed Direct3D 9 device (A8R8G8B8 back buffer, D24S8 depth
// and stencil, no vertical sync) for the whole test suite. A suite whose window or device cannot
// be made fails in every test.
class D3DWindowSuite : public ::testing::Test {
public:
    static constexpr UINT Width = 320;
    static constexpr UINT Height = 240;

    static void SetUpTestSuite() {
        s_failure.clear();
        if (!platform::startVideo()) {
            s_failure = "no display";
            return;
        }
        s_videoStarted = true;
        s_window = new platform::CWindow();
        if (!s_window->create("Direct3D test", Width, Height, false, false)) {
            s_failure = "no window: " + s_window->error();
            return;
        }
        HMODULE module = LoadLibraryA("d3d9.dll");
        auto create =
            reinterpret_cast<PFN_Direct3DCreate9>(GetProcAddress(module, "Direct3DCreate9"));
        s_d3d = create ? create(D3D_SDK_VERSION) : nullptr;
        if (!s_d3d) {
            s_failure = "no Direct3D object";
            return;
        }
        s_pp = presentParameters();
        const HRESULT r =
            s_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, s_window->nativeHandle(),
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &s_pp, &s_device);
        if (FAILED(r) || !s_device) s_failure = "no device: " + std::to_string(r);
    }

    static void TearDownTestSuite() {
        if (s_device) s_device->Release();
        if (s_d3d) s_d3d->Release();
        s_device = nullptr;
        s_d3d = nullptr;
        delete s_window;
        s_window = nullptr;
        if (s_videoStarted) platform::stopVideo();
        s_videoStarted = false;
        D3DTestControl::reset();
    }

    static D3DPRESENT_PARAMETERS presentParameters() {
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferFormat = D3DFMT_A8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = s_window ? s_window->nativeHandle() : nullptr;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return pp;
    }

    void SetUp() override {
        ASSERT_TRUE(s_failure.empty()) << s_failure;
        ASSERT_NE(s_device, nullptr);
        device = s_device;
        // Every test starts from the device's defaults.
        D3DPRESENT_PARAMETERS pp = presentParameters();
        ASSERT_EQ(device->Reset(&pp), D3D_OK);
    }

    void TearDown() override { D3DTestControl::reset(); }

    // The states that 2D drawing with vertex colours needs: no lighting, no depth test, no
    // culling, the pixel projection.
    void setUp2D(UINT w = Width, UINT h = Height) {
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        const D3DMATRIX projection = pixelProjection(static_cast<float>(w), static_cast<float>(h));
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetFVF(kVertexFVF);
    }

    // A quad from (x0, y0) to (x1, y1) as two triangles of the list 0, 1, 2, 0, 2, 3 over the
    // corners left-top, right-top, right-bottom, left-bottom.
    HRESULT quad(float x0, float y0, float x1, float y1, D3DCOLOR color, float u0 = 0.0f,
                 float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
        const SVertex v[4] = {{x0, y0, 0.0f, color, u0, v0},
                              {x1, y0, 0.0f, color, u1, v0},
                              {x1, y1, 0.0f, color, u1, v1},
                              {x0, y1, 0.0f, color, u0, v1}};
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        return device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                              v, sizeof(SVertex));
    }

    // The back buffer, read through the test control.
    std::vector<uint32_t> backBuffer() {
        std::vector<uint32_t> pixels;
        uint32_t w = 0, h = 0;
        EXPECT_TRUE(D3DTestControl::readBackBuffer(pixels, w, h));
        EXPECT_EQ(w, Width);
        EXPECT_EQ(h, Height);
        if (pixels.size() != static_cast<size_t>(Width) * Height)
            pixels.assign(static_cast<size_t>(Width) * Height, 0);
        return pixels;
    }
    SPixel pixel(int x, int y) { return pixelOf(backBuffer()[static_cast<size_t>(y) * Width + x]); }

    // A managed texture of w × h A8R8G8B8 texels, given as ARGB rows from the top.
    IDirect3DTexture9* texture(UINT w, UINT h, const std::vector<uint32_t>& argb) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        if (!t) return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                        &argb[static_cast<size_t>(y) * w], w * 4);
        EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        return t;
    }

    IDirect3DDevice9* device = nullptr;

    static inline std::string s_failure;
    static inline bool s_videoStarted = false;
    static inline platform::CWindow* s_window = nullptr;
    static inline IDirect3D9* s_d3d = nullptr;
    static inline IDirect3DDevice9* s_device = nullptr;
    static inline D3DPRESENT_PARAMETERS s_pp{};
};

}  // namespace oskel::d3d::test
