#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/platform/Window.h"
#include "engine/image/CImage.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "tests/support/TestSupport.h"

#include <SDL.h>

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
    return ::testing::AssertionFailure() << "got " << got << ", expected (" << r << ", " << g
                                         << ", " << b << ")";
}

// A window of 320 × 240 with the OpenGL driver on it (vsync off). Skips without a display.
class GLFixture : public ::testing::Test {
public:
    static constexpr s32 Width = 320;
    static constexpr s32 Height = 240;

    LogCapture logs;
    platform::CWindow window;
    COpenGLDriver* driver = nullptr;
    std::vector<CTextureResource*> resources;

    SDeviceParameters parameters() const {
        SDeviceParameters p;
        p.driverType = DriverOpenGL;
        p.windowSize = {Width, Height};
        p.bits = 32;
        p.zBufferBits = 24;
        p.vsync = false;
        p.windowId = window.nativeHandle();
        return p;
    }

    void SetUp() override {
        // With a display (the test command always gives one) a window and a driver are a must;
        // only without one is there nothing to test.
        if (!platform::startVideo()) OSKEL_SKIP_WITHOUT_DISPLAY("no video on the display");
        started = true;
        ASSERT_TRUE(window.create("GL test", Width, Height, false, false)) << "no window";
        driver = static_cast<COpenGLDriver*>(createOpenGLDriver(parameters(), nullptr));
        ASSERT_NE(driver, nullptr) << "no OpenGL driver";
    }

    void TearDown() override {
        for (CTextureResource* r : resources) r->drop();
        resources.clear();
        if (driver) driver->drop();
        driver = nullptr;
        window.destroy();
        if (started) platform::stopVideo();
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

    // An image of the size filled with the colour.
    static CImage* solidImage(s32 w, s32 h, u32 argb, ECOLOR_FORMAT format = ECF_A8R8G8B8) {
        auto* image = new CImage(CCreationContext(), format, dimension2di(w, h));
        for (s32 y = 0; y < h; ++y)
            for (s32 x = 0; x < w; ++x) image->setPixel(x, y, argb);
        return image;
    }

    // A texture resource (owned by the fixture) over a new texture of the image.
    CTextureResource* textureOf(CImage* image) {
        ITexture* texture = driver->createTextureFromImage(image);
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
    void quad(const SMaterial& m, f32 x0, f32 y0, f32 x1, f32 y1, SColor color,
              f32 u0 = 0.0f, f32 v0 = 0.0f, f32 u1 = 1.0f, f32 v1 = 1.0f) {
        CQuadBatcher* batcher = driver->getQuadBatcher();
        batcher->reset();
        batcher->addQuadCorners(&m, vector2df(x0, y0), vector2df(x1, y0), vector2df(x1, y1),
                                vector2df(x0, y1), vector2df(u0, v0), vector2df(u1, v0),
                                vector2df(u1, v1), vector2df(u0, v1), 0.0f, color);
        batcher->flush();
    }

    bool started = false;
};

}  // namespace oskel::test
