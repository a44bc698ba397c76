// What Direct3D 9 draws, read back from the back buffer: texel mapping, culling, flat shading,
// the texture stages, addressing and filtering.

#include <algorithm>
#include <cmath>

#include "tests/platform/d3d/D3DTestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::d3d::test;

namespace {

using D3D9Pixels = D3DWindowSuite;

constexpr D3DCOLOR kClear = 0xFF102030u;

TEST_F(D3D9Pixels, AQuadAtWholeCoordinatesMapsTexelsOneToOne) {
    // Each texel its own colour; linear filtering would mix them at once if texel and pixel
    // centres did not meet.
    std::vector<uint32_t> texels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            texels.push_back(D3DCOLOR_ARGB(255, x * 30, y * 30, 200 - x * 10 - y * 5));
    IDirect3DTexture9* t = texture(8, 8, texels);
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SCOPED_TRACE(filter);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kClear, 1.0f, 0);
        ASSERT_EQ(quad(10, 20, 18, 28, 0xFFFFFFFFu), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        const std::vector<uint32_t> back = backBuffer();
        auto at = [&](int x, int y) { return pixelOf(back[static_cast<size_t>(y) * Width + x]); };
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const SPixel want = pixelOf(texels[static_cast<size_t>(y) * 8 + x]);
                EXPECT_TRUE(near(at(10 + x, 20 + y), want.r, want.g, want.b, 1)) << x << ", " << y;
            }
        // Nothing beyond the quad's edges.
        for (int i = 0; i < 8; ++i) {
            EXPECT_TRUE(near(at(9, 20 + i), 0x10, 0x20, 0x30, 0));
            EXPECT_TRUE(near(at(18, 20 + i), 0x10, 0x20, 0x30, 0));
            EXPECT_TRUE(near(at(10 + i, 19), 0x10, 0x20, 0x30, 0));
            EXPECT_TRUE(near(at(10 + i, 28), 0x10, 0x20, 0x30, 0));
        }
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, BothWindingsUnderEachCullMode) {
    setUp2D();
    // Clockwise on the screen (y grows downwards) on the left, counter-clockwise on the right.
    const SVertex triangles[6] = {
        {10, 10, 0, 0xFFFF0000u, 0, 0},  {50, 10, 0, 0xFFFF0000u, 0, 0},
        {10, 50, 0, 0xFFFF0000u, 0, 0},  {110, 10, 0, 0xFF00FF00u, 0, 0},
        {110, 50, 0, 0xFF00FF00u, 0, 0}, {150, 10, 0, 0xFF00FF00u, 0, 0},
    };
    const struct {
        DWORD cull;
        bool clockwiseDrawn, counterClockwiseDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cull);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, triangles, sizeof(SVertex)),
                  D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_EQ(near(pixel(15, 15), 255, 0, 0, 1), c.clockwiseDrawn);
        EXPECT_EQ(near(pixel(115, 15), 0, 255, 0, 1), c.counterClockwiseDrawn);
    }
}

TEST_F(D3D9Pixels, FlatShadingTakesTheFirstVertex) {
    setUp2D();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    // A list of two triangles and a strip of two: each triangle takes its own first vertex.
    const SVertex list[6] = {
        {10, 10, 0, 0xFFFF0000u, 0, 0},  {60, 10, 0, 0xFF00FF00u, 0, 0},
        {10, 60, 0, 0xFF0000FFu, 0, 0},  {80, 10, 0, 0xFF00FF00u, 0, 0},
        {130, 10, 0, 0xFFFF0000u, 0, 0}, {80, 60, 0, 0xFF0000FFu, 0, 0},
    };
    const SVertex strip[4] = {
        {150, 10, 0, 0xFF0000FFu, 0, 0},
        {200, 10, 0, 0xFFFF0000u, 0, 0},
        {150, 60, 0, 0xFF00FF00u, 0, 0},
        {200, 60, 0, 0xFFFFFFFFu, 0, 0},
    };
    for (DWORD shade : {D3DSHADE_FLAT, D3DSHADE_GOURAUD}) {
        SCOPED_TRACE(shade);
        device->SetRenderState(D3DRS_SHADEMODE, shade);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, list, sizeof(SVertex)), D3D_OK);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(SVertex)), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        const bool flat = shade == D3DSHADE_FLAT;
        // Near the second and third corners, where smooth shading differs most.
        EXPECT_EQ(near(pixel(50, 14), 255, 0, 0, 2), flat);
        EXPECT_EQ(near(pixel(14, 50), 255, 0, 0, 2), flat);
        EXPECT_EQ(near(pixel(120, 14), 0, 255, 0, 2), flat);
        EXPECT_EQ(near(pixel(84, 50), 0, 255, 0, 2), flat);
        // The strip's second triangle (1, 2, 3) starts at vertex 1.
        EXPECT_TRUE(near(pixel(152, 20), 0, 0, 255, flat ? 2 : 255));
        EXPECT_EQ(near(pixel(196, 56), 255, 0, 0, 2), flat);
    }
}

// The stage table: a known texture colour and diffuse colour through each operation.
TEST_F(D3D9Pixels, EachStageOperationGivesItsPixel) {
    const double T[4] = {0x80 / 255.0, 0x40 / 255.0, 0x80 / 255.0, 0xC0 / 255.0};  // a, r, g, b
    const double D[4] = {0xC0 / 255.0, 0x80 / 255.0, 0x40 / 255.0, 0x20 / 255.0};
    const D3DCOLOR texel = 0x804080C0u, diffuse = 0xC0804020u;
    IDirect3DTexture9* t = texture(4, 4, std::vector<uint32_t>(16, texel));
    ASSERT_NE(t, nullptr);

    auto clamp = [](double v) { return std::min(1.0, std::max(0.0, v)); };
    struct Case {
        const char* name;
        DWORD op;
        DWORD arg1, arg2;
        double (*channel)(const double* t, const double* d, int c);
    };
    const Case cases[] = {
        {"MODULATE", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] * d[c]; }},
        {"MODULATE2X", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return 2 * t[c] * d[c]; }},
        {"MODULATE4X", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return 4 * t[c] * d[c]; }},
        {"ADD", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] + d[c]; }},
        {"ADDSIGNED", D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] + d[c] - 0.5; }},
        {"SELECTARG1", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double*, int c) { return t[c]; }},
        {"SELECTARG2", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double*, const double* d, int c) { return d[c]; }},
        {"SELECTARG1 of CURRENT", D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE,
         [](const double*, const double* d, int c) { return d[c]; }},
        {"BLENDDIFFUSEALPHA", D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] * d[0] + d[c] * (1 - d[0]); }},
        {"BLENDTEXTUREALPHA", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] * t[0] + d[c] * (1 - t[0]); }},
        {"BLENDCURRENTALPHA", D3DTOP_BLENDCURRENTALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double* t, const double* d, int c) { return t[c] * d[0] + d[c] * (1 - d[0]); }},
        {"DISABLE", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](const double*, const double* d, int c) { return d[c]; }},
    };
    setUp2D();
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 16, 16, diffuse), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        const int r = static_cast<int>(std::lround(clamp(c.channel(T, D, 1)) * 255));
        const int g = static_cast<int>(std::lround(clamp(c.channel(T, D, 2)) * 255));
        const int b = static_cast<int>(std::lround(clamp(c.channel(T, D, 3)) * 255));
        EXPECT_TRUE(near(pixel(8, 8), r, g, b, 3));
    }

    // The alpha operations, read from the back buffer's alpha.
    struct AlphaCase {
        const char* name;
        DWORD op;
        int alpha;
    };
    const AlphaCase alphas[] = {
        {"SELECTARG1", D3DTOP_SELECTARG1, 0x80},
        {"SELECTARG2", D3DTOP_SELECTARG2, 0xC0},
        {"MODULATE", D3DTOP_MODULATE, static_cast<int>(std::lround(T[0] * D[0] * 255))},
        {"ADD", D3DTOP_ADD, 255},
        {"DISABLE", D3DTOP_DISABLE, 0xC0},
    };
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    for (const AlphaCase& c : alphas) {
        SCOPED_TRACE(c.name);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, c.op);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 16, 16, diffuse), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_NEAR(pixel(8, 8).a, c.alpha, 3);
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, SecondStageWorksOnTheFirstStagesResult) {
    IDirect3DTexture9* red = texture(2, 2, std::vector<uint32_t>(4, 0xFFFF0000u));
    IDirect3DTexture9* half = texture(2, 2, std::vector<uint32_t>(4, 0xFF808080u));
    ASSERT_NE(red, nullptr);
    ASSERT_NE(half, nullptr);
    setUp2D();
    device->SetTexture(0, red);
    device->SetTexture(1, half);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ASSERT_EQ(quad(0, 0, 16, 16, 0xFFFFFFFFu), D3D_OK);
    // With stage 1 off, stage 0's result alone.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(quad(20, 0, 36, 16, 0xFFFFFFFFu), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(8, 8), 128, 0, 0, 3));
    EXPECT_TRUE(near(pixel(28, 8), 255, 0, 0, 1));
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    red->Release();
    half->Release();
}

TEST_F(D3D9Pixels, AStageWithoutATexturePassesItsInputThrough) {
    setUp2D();
    const D3DCOLOR diffuse = 0xFF406080u;
    for (DWORD op : {D3DTOP_MODULATE, D3DTOP_ADD, D3DTOP_SELECTARG1, D3DTOP_BLENDTEXTUREALPHA}) {
        SCOPED_TRACE(op);
        device->SetTextureStageState(0, D3DTSS_COLOROP, op);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 16, 16, diffuse), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(8, 8), 0x40, 0x60, 0x80, 1));
    }
    // A second stage without a texture passes the first one's result on, also when adding.
    IDirect3DTexture9* green = texture(2, 2, std::vector<uint32_t>(4, 0xFF00FF00u));
    ASSERT_NE(green, nullptr);
    device->SetTexture(0, green);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ASSERT_EQ(quad(0, 0, 16, 16, diffuse), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(8, 8), 0, 255, 0, 1));
    device->SetTexture(0, nullptr);
    green->Release();
}

TEST_F(D3D9Pixels, AnOperationWithoutAnOpenGLFormDrawsAsModulateAndLogsOnce) {
    IDirect3DTexture9* t = texture(2, 2, std::vector<uint32_t>(4, 0xFF808080u));
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    oskel::test::LogCapture logs;
    for (int pass = 0; pass < 2; ++pass) {
        // Switching the operation back and forth makes the stage be worked out again.
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(quad(0, 0, 4, 4, 0xFF804020u), D3D_OK);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADDSMOOTH);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 16, 16, 0xFF804020u), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(8, 8), 0x40, 0x20, 0x10, 2));
    }
    const std::string text = "Direct3D layer: texture colour operation " +
                             std::to_string(D3DTOP_ADDSMOOTH) +
                             " has no OpenGL form; it is drawn as a modulation.";
    EXPECT_EQ(std::count_if(logs.lines().begin(), logs.lines().end(),
                            [&](const oskel::test::LogCapture::Line& l) { return l.text == text; }),
              1);
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, EachAddressingMode) {
    // Red, green / blue, white; u and v run from -0.5 to 1.5 over 32 pixels, so the texture lies
    // in the middle 16 pixels and each texel covers 8.
    IDirect3DTexture9* t = texture(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    struct Case {
        const char* name;
        DWORD mode;
        uint32_t left, right;  // what lies left of and right of the texture in its top row
    };
    const Case cases[] = {
        {"WRAP", D3DTADDRESS_WRAP, 0xFF00FF00u, 0xFFFF0000u},
        {"CLAMP", D3DTADDRESS_CLAMP, 0xFFFF0000u, 0xFF00FF00u},
        {"MIRROR", D3DTADDRESS_MIRROR, 0xFFFF0000u, 0xFF00FF00u},
        {"BORDER", D3DTADDRESS_BORDER, 0x00000000u, 0x00000000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode);
        device->SetSamplerState(0, D3DSAMP_ADDRESSV, c.mode);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 32, 32, 0xFFFFFFFFu, -0.5f, -0.5f, 1.5f, 1.5f), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        const SPixel inside = pixel(12, 12), left = pixel(4, 12), right = pixel(28, 12);
        EXPECT_TRUE(near(inside, 255, 0, 0, 0, 255));
        const SPixel wantLeft = pixelOf(c.left), wantRight = pixelOf(c.right);
        EXPECT_TRUE(near(left, wantLeft.r, wantLeft.g, wantLeft.b, 0, wantLeft.a));
        EXPECT_TRUE(near(right, wantRight.r, wantRight.g, wantRight.b, 0, wantRight.a));
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, PointAgainstLinearMagnification) {
    // Black and white, stretched over 64 pixels: point sampling keeps the halves, linear
    // filtering grades between the texel centres at 16 and 48.
    IDirect3DTexture9* t = texture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SCOPED_TRACE(filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(quad(0, 0, 64, 4, 0xFFFFFFFFu), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        const std::vector<uint32_t> back = backBuffer();
        auto red = [&](int x) { return pixelOf(back[static_cast<size_t>(2) * Width + x]).r; };
        if (filter == D3DTEXF_POINT) {
            for (int x = 0; x < 32; ++x) EXPECT_EQ(red(x), 0) << x;
            for (int x = 32; x < 64; ++x) EXPECT_EQ(red(x), 255) << x;
        } else {
            EXPECT_LE(red(10), 1);
            EXPECT_GE(red(54), 254);
            // Half way between the centres, and rising all the way.
            EXPECT_NEAR(red(31), 124, 6);
            for (int x = 17; x < 48; ++x) EXPECT_LT(red(x), red(x + 1)) << x;
        }
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, MipFiltersWorkOnOneLevelTextures) {
    IDirect3DTexture9* t = texture(2, 2, std::vector<uint32_t>(4, 0xFF00FF00u));
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    for (DWORD mip : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, mip);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(quad(0, 0, 1, 1, 0xFFFFFFFFu), D3D_OK);  // minified
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(0, 0), 0, 255, 0, 1)) << mip;
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, EachVertexFormatReadsItsFieldsInFormatOrder) {
    // Red on the left, green on the right; the coordinates that matter pick green, the others
    // red, and the normals hold values that no colour or coordinate has.
    IDirect3DTexture9* t = texture(2, 1, {0xFFFF0000u, 0xFF00FF00u});
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    const D3DCOLOR grey = 0xFF808080u;
    struct V152 {
        float x, y, z, nx, ny, nz;
        D3DCOLOR c;
        float u, v;
    };
    struct V252 {
        float x, y, z, nx, ny, nz;
        D3DCOLOR c;
        float u0, v0, u1, v1;
    };
    struct V140352 {
        float x, y, z, nx, ny, nz;
        D3DCOLOR c;
        float u0, v0, s1[3], s2[3];
    };
    struct VXYZ {
        float x, y, z;
    };
    static_assert(sizeof(V152) == 36 && sizeof(V252) == 44 && sizeof(V140352) == 60, "layouts");
    const float xs[4] = {0, 16, 0, 16}, ys[4] = {0, 0, 16, 16};
    V152 a[4];
    V252 b[4];
    V140352 c[4];
    VXYZ d[4];
    for (int i = 0; i < 4; ++i) {
        a[i] = {xs[i], ys[i], 0, 5, 6, 7, grey, 0.75f, 0.5f};
        b[i] = {xs[i], ys[i], 0, 5, 6, 7, grey, 0.25f, 0.5f, 0.75f, 0.5f};
        c[i] = {
            xs[i], ys[i], 0, 5, 6, 7, grey, 0.25f, 0.5f, {0.25f, 0.5f, 0.0f}, {0.75f, 0.5f, 0.0f}};
        d[i] = {xs[i], ys[i], 0};
    }
    const struct {
        const char* name;
        DWORD fvf;
        const void* vertices;
        UINT stride;
        DWORD coordinateSet;
        int r, g, b;
    } cases[] = {
        {"0x152", 0x152, a, sizeof(V152), 0, 0, 128, 0},
        {"0x252", 0x252, b, sizeof(V252), 1, 0, 128, 0},
        {"0x140352", 0x140352, c, sizeof(V140352), 2, 0, 128, 0},
        // No colour: opaque white; no coordinates: (0, 0).
        {"position only", D3DFVF_XYZ, d, sizeof(VXYZ), 0, 255, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_EQ(device->SetFVF(k.fvf), D3D_OK);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, k.coordinateSet);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, k.vertices, k.stride), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(8, 8), k.r, k.g, k.b, 2));
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, ATwoCoordinateTextureTransformMovesTheCoordinates) {
    // Direct3D moves two coordinates by the matrix's third row.
    IDirect3DTexture9* t = texture(2, 1, {0xFFFF0000u, 0xFF00FF00u});
    ASSERT_NE(t, nullptr);
    setUp2D();
    device->SetTexture(0, t);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    D3DMATRIX shift = identityMatrix();
    shift._31 = 0.5f;
    shift._41 = -7.0f;  // the fourth row does not touch two coordinates
    ASSERT_EQ(device->SetTransform(D3DTS_TEXTURE0, &shift), D3D_OK);
    for (DWORD flags : {D3DTTFF_DISABLE, D3DTTFF_COUNT2}) {
        SCOPED_TRACE(flags);
        device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(quad(0, 0, 16, 4, 0xFFFFFFFFu), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        if (flags == D3DTTFF_DISABLE)
            EXPECT_TRUE(near(pixel(2, 2), 255, 0, 0, 0));
        else
            EXPECT_TRUE(near(pixel(2, 2), 0, 255, 0, 0));
        EXPECT_TRUE(near(pixel(13, 2), 0, 255, 0, 0));
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(D3D9Pixels, DepthAndStencilTestsUseTheDepthStencilBuffer) {
    setUp2D();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    // Near red first, far green over it: the depth test keeps red where they overlap.
    auto layered = [&](float zNear, float zFar) {
        const SVertex nearQuad[4] = {{0, 0, zNear, 0xFFFF0000u, 0, 0},
                                     {20, 0, zNear, 0xFFFF0000u, 0, 0},
                                     {0, 20, zNear, 0xFFFF0000u, 0, 0},
                                     {20, 20, zNear, 0xFFFF0000u, 0, 0}};
        const SVertex farQuad[4] = {{10, 0, zFar, 0xFF00FF00u, 0, 0},
                                    {30, 0, zFar, 0xFF00FF00u, 0, 0},
                                    {10, 20, zFar, 0xFF00FF00u, 0, 0},
                                    {30, 20, zFar, 0xFF00FF00u, 0, 0}};
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearQuad, sizeof(SVertex)),
                  D3D_OK);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farQuad, sizeof(SVertex)),
                  D3D_OK);
    };
    for (DWORD z : {D3DZB_TRUE, D3DZB_FALSE}) {
        SCOPED_TRACE(z);
        device->SetRenderState(D3DRS_ZENABLE, z);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0),
            D3D_OK);
        layered(100.0f, 200.0f);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(near(pixel(15, 10), z ? 255 : 0, z ? 0 : 255, 0, 0));
        EXPECT_TRUE(near(pixel(25, 10), 0, 255, 0, 0));
    }
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

    // A stencil mark where the first quad went lets the second through only there.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0),
              D3D_OK);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(quad(0, 0, 10, 10, 0xFFFF0000u), D3D_OK);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    ASSERT_EQ(quad(0, 0, 40, 40, 0xFF0000FFu), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(near(pixel(5, 5), 0, 0, 255, 0));
    EXPECT_TRUE(near(pixel(15, 15), 0, 0, 0, 0));
}

}  // namespace
