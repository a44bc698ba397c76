#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "tests/support/TestSupport.h"

namespace oskel::test {

struct RGBA {
    int r, g, b, a;
};

inline std::ostream& operator<<(std::ostream& os, const RGBA& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// True when each colour channel is within the tolerance (alpha is not compared: the back buffer
// may have none).
inline ::testing::AssertionResult near(const RGBA& got, int r, int g, int b, int tolerance = 3) {
    if (std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance &&
        std::abs(got.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << got << ", expected (" << r << ", " << g << ", " << b << ")";
}

// What every pixel suite shares: textures and materials of solid colours, quads through the
// batcher.
class PixelHelpers {
public:
    virtual ~PixelHelpers() = default;
    virtual IVideoDriver* videoDriver() const = 0;

    // An image of the size filled with the colour.
    static CImage* solidImage(s32 w, s32 h, u32 argb, ECOLOR_FORMAT format = ECF_A8R8G8B8) {
        auto* image = new CImage(CCreationContext(), format, dimension2di(w, h));
        for (s32 y = 0; y < h; ++y)
            for (s32 x = 0; x < w; ++x) image->setPixel(x, y, argb);
        return image;
    }

    // A texture resource (owned by the fixture) over a new texture of the image.
    CTextureResource* textureOf(CImage* image) {
        ITexture* texture = videoDriver()->createTextureFromImage(image);
        image->drop();
        if (!texture) return nullptr;
        auto* resource = new CTextureResource(CCreationContext(), texture, "test");
        texture->drop();
        resources.push_back(resource);
        return resource;
    }
    CTextureResource* solidTexture(u32 argb, s32 size = 8) {
        return textureOf(solidImage(size, size, argb));
    }

    static SMaterial material(s32 type, CTextureResource* texture = nullptr,
                              CTextureResource* second = nullptr) {
        SMaterial m;
        m.MaterialType = type;
        m.Lighting = false;
        m.TextureLayer[0].Texture = texture;
        m.TextureLayer[1].Texture = second;
        return m;
    }

    // One quad from (x0, y0) to (x1, y1) through the batcher, texture coordinates 0 to 1 unless
    // given.
    void quad(const SMaterial& m, f32 x0, f32 y0, f32 x1, f32 y1, SColor color, f32 u0 = 0.0f,
              f32 v0 = 0.0f, f32 u1 = 1.0f, f32 v1 = 1.0f) {
        CQuadBatcher* batcher = videoDriver()->getQuadBatcher();
        batcher->reset();
        batcher->addQuadCorners(&m, vector2df(x0, y0), vector2df(x1, y0), vector2df(x1, y1),
                                vector2df(x0, y1), vector2df(u0, v0), vector2df(u1, v0),
                                vector2df(u1, v1), vector2df(u0, v1), 0.0f, color);
        batcher->flush();
    }

    void dropResources() {
        for (CTextureResource* r : resources) r->drop();
        resources.clear();
    }

    std::vector<CTextureResource*> resources;
};

// The suites that every real driver passes: each runs once with the OpenGL driver and once with
// the Direct3D 9 driver. A suite makes one window of 320 × 240 and one driver (vsync off) for
// all its tests, on the first of them; the window goes when the suite ends. Each test starts
// from the driver's neutral state. With a display (the test command always gives one) a window
// and a driver are a must.
class DriverFixture : public ::testing::TestWithParam<s32>, public PixelHelpers {
public:
    static constexpr s32 Width = 320;
    static constexpr s32 Height = 240;

    LogCapture logs;
    IVideoDriver* driver = nullptr;

    IVideoDriver* videoDriver() const override { return driver; }
    s32 driverType() const { return GetParam(); }
    bool isOpenGL() const { return driverType() == DriverOpenGL; }
    bool isDirect3D9() const { return driverType() == DriverDirect3D9; }
    bool isDirect3D8() const { return driverType() == DriverDirect3D8; }
    // Either Direct3D driver: both draw through the Direct3D-shaped layer.
    bool isDirect3D() const { return isDirect3D9() || isDirect3D8(); }
    COpenGLDriver* gl() const { return isOpenGL() ? static_cast<COpenGLDriver*>(driver) : nullptr; }
    CD3D9Driver* d3d9() const {
        return isDirect3D9() ? static_cast<CD3D9Driver*>(driver) : nullptr;
    }
    CD3D8Driver* d3d8() const {
        return isDirect3D8() ? static_cast<CD3D8Driver*>(driver) : nullptr;
    }
    platform::CWindow& window() const { return *s_window; }

    SDeviceParameters parameters() const {
        SDeviceParameters p;
        p.driverType = driverType();
        p.windowSize = {Width, Height};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = s_window ? s_window->nativeHandle() : nullptr;
        return p;
    }

    // Makes the suite's driver again with these parameters on the same window.
    bool remakeDriver(const SDeviceParameters& p) {
        if (s_driver) s_driver->drop();
        s_driver = create(p);
        driver = s_driver;
        return driver != nullptr;
    }

    void SetUp() override {
        if (!s_started) {
            if (!platform::startVideo()) OSKEL_SKIP_WITHOUT_DISPLAY("no video on the display");
            s_started = true;
        }
        if (!s_window) {
            s_window = new platform::CWindow();
            ASSERT_TRUE(s_window->create("Driver test", Width, Height, false, false))
                << "no window";
        }
        if (!s_driver) s_driver = create(parameters());
        driver = s_driver;
        ASSERT_NE(driver, nullptr) << "no driver of type " << driverType();
        neutralState();
        logs.clear();
    }

    void TearDown() override {
        dropResources();
        if (driver) {
            while (driver->getScreenShotUserCount() > 0) driver->removeScreenShotUser();
            driver->setRenderTarget(nullptr, false, false);
            driver->setMaterial(SMaterial());
        }
        d3d::D3DTestControl::reset();
    }

    static void TearDownTestSuite() {
        if (s_driver) s_driver->drop();
        s_driver = nullptr;
        delete s_window;
        s_window = nullptr;
        if (s_started) platform::stopVideo();
        s_started = false;
        d3d::D3DTestControl::reset();
    }

    // The back buffer's pixel at (x, y), y from the top.
    RGBA backPixel(s32 x, s32 y) const {
        if (isDirect3D()) {
            std::vector<u32> argb;
            u32 w = 0, h = 0;
            if (!d3d::D3DTestControl::readBackBuffer(argb, w, h) || x < 0 || y < 0 ||
                static_cast<u32>(x) >= w || static_cast<u32>(y) >= h)
                return {-1, -1, -1, -1};
            const u32 p = argb[static_cast<size_t>(y) * w + static_cast<size_t>(x)];
            return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                    static_cast<int>(p & 0xFF), static_cast<int>(p >> 24)};
        }
        GLubyte p[4] = {0, 0, 0, 0};
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, driver->getScreenSize().Height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        glReadBuffer(GL_FRONT);
        return {p[0], p[1], p[2], p[3]};
    }

    // The driver's own texture binding of a unit.
    bool setTexture(u32 unit, ITexture* texture) {
        if (isOpenGL()) return gl()->setTexture(unit, texture);
        return isDirect3D9() ? d3d9()->setTexture(unit, texture)
                             : d3d8()->setTexture(unit, texture);
    }
    ITexture* boundTexture(u32 unit) const {
        if (isOpenGL()) return gl()->getBoundTexture(unit);
        return isDirect3D9() ? d3d9()->getCurrentTexture(unit) : d3d8()->getCurrentTexture(unit);
    }
    u32 clipPlaneCount() const {
        if (isOpenGL()) return gl()->getExtensions().MaxUserClipPlanes;
        return isDirect3D9() ? d3d9()->getClipPlaneCount() : d3d8()->getClipPlaneCount();
    }
    bool clipPlaneEnabled(u32 index) const {
        if (isOpenGL()) return gl()->isClipPlaneEnabled(index);
        return isDirect3D9() ? d3d9()->isClipPlaneEnabled(index)
                             : d3d8()->isClipPlaneEnabled(index);
    }

    // The name of the instantiation: the driver's.
    static std::string nameOf(const ::testing::TestParamInfo<s32>& info) {
        if (info.param == DriverOpenGL) return "OpenGL";
        return info.param == DriverDirect3D9 ? "Direct3D9" : "Direct3D8";
    }

private:
    static IVideoDriver* create(const SDeviceParameters& p) {
        if (p.driverType == DriverDirect3D9) return createDirect3D9Driver(p, nullptr);
        if (p.driverType == DriverDirect3D8) return createDirect3D8Driver(p, nullptr);
        return createOpenGLDriver(p, nullptr);
    }

    // What one test may have changed, back to the driver's defaults.
    void neutralState() {
        for (u32 slot = 0; slot < ETS_COUNT; ++slot)
            driver->setTransform(static_cast<ETransformationState>(slot), matrix4());
        for (u32 feature = 0; feature < EVDF_COUNT; ++feature)
            driver->setFeatureEnabled(static_cast<EVideoDriverFeature>(feature), true);
        driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, false);
        driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
        driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);
        driver->deleteAllDynamicLights();
        for (u32 i = 0; i < clipPlaneCount(); ++i) driver->enableClipPlane(i, false);
        driver->setRenderTarget(nullptr, false, false);
        driver->setViewPort(
            recti(0, 0, driver->getScreenSize().Width, driver->getScreenSize().Height));
        driver->setMaterial(SMaterial());
    }

    static inline bool s_started = false;
    static inline platform::CWindow* s_window = nullptr;
    static inline IVideoDriver* s_driver = nullptr;
};

// The three drivers, each as an instantiation of its own (one window and driver per suite and
// driver).
#define OSKEL_OVER_BOTH_DRIVERS(Suite)                                             \
    INSTANTIATE_TEST_SUITE_P(OpenGL, Suite, ::testing::Values(DriverOpenGL),       \
                             DriverFixture::nameOf);                               \
    INSTANTIATE_TEST_SUITE_P(Direct3D9, Suite, ::testing::Values(DriverDirect3D9), \
                             DriverFixture::nameOf);                               \
    INSTANTIATE_TEST_SUITE_P(Direct3D8, Suite, ::testing::Values(DriverDirect3D8), \
                             DriverFixture::nameOf)

// The tests of what only the OpenGL driver has (pixel formats, OpenGL's own state, GLSL and ARB
// programs, frame-buffer objects, stereo and auxiliary buffers, the front-buffer copies): one
// window with the OpenGL driver for the suite, as above.
class GLFixture : public ::testing::Test, public PixelHelpers {
public:
    static constexpr s32 Width = 320;
    static constexpr s32 Height = 240;

    LogCapture logs;
    COpenGLDriver* driver = nullptr;

    IVideoDriver* videoDriver() const override { return driver; }
    platform::CWindow& window() const { return *s_window; }

    SDeviceParameters parameters() const {
        SDeviceParameters p;
        p.driverType = DriverOpenGL;
        p.windowSize = {Width, Height};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = s_window ? s_window->nativeHandle() : nullptr;
        return p;
    }

    // Makes the suite's driver again with these parameters on the same window.
    bool remakeDriver(const SDeviceParameters& p) {
        if (s_driver) s_driver->drop();
        s_driver = static_cast<COpenGLDriver*>(createOpenGLDriver(p, nullptr));
        driver = s_driver;
        return driver != nullptr;
    }

    void SetUp() override {
        if (!s_started) {
            if (!platform::startVideo()) OSKEL_SKIP_WITHOUT_DISPLAY("no video on the display");
            s_started = true;
        }
        if (!s_window) {
            s_window = new platform::CWindow();
            ASSERT_TRUE(s_window->create("GL test", Width, Height, false, false)) << "no window";
        }
        // Every test here gets a driver of its own: what it looks at is the driver's making.
        if (s_driver) s_driver->drop();
        s_driver = static_cast<COpenGLDriver*>(createOpenGLDriver(parameters(), nullptr));
        driver = s_driver;
        ASSERT_NE(driver, nullptr) << "no OpenGL driver";
    }

    void TearDown() override { dropResources(); }

    static void TearDownTestSuite() {
        if (s_driver) s_driver->drop();
        s_driver = nullptr;
        delete s_window;
        s_window = nullptr;
        if (s_started) platform::stopVideo();
        s_started = false;
    }

    // The back buffer's pixel at (x, y), y from the top.
    RGBA backPixel(s32 x, s32 y) {
        GLubyte p[4] = {0, 0, 0, 0};
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, Height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        glReadBuffer(GL_FRONT);
        return {p[0], p[1], p[2], p[3]};
    }

private:
    static inline bool s_started = false;
    static inline platform::CWindow* s_window = nullptr;
    static inline COpenGLDriver* s_driver = nullptr;
};

}  // namespace oskel::test
