#pragma once

// The Direct3D 8 driver on windowless devices of the layer's recording mode: every call it makes
// is recorded, and the test control decides what the adapter offers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "tests/support/TestSupport.h"

namespace oskel::test {

using d3d::D3DTestControl;
using d3d::SRecordedCall;

class D3D8Recording : public ::testing::Test {
protected:
    void SetUp() override {
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
    }

    void TearDown() override {
        for (CTextureResource* r : resources) r->drop();
        resources.clear();
        if (driver) driver->drop();
        driver = nullptr;
        // The driver gives back everything it made of the layer.
        EXPECT_EQ(D3DTestControl::livingObjects(), 0u);
        D3DTestControl::reset();
    }

    static SDeviceParameters parameters() {
        SDeviceParameters p;
        p.driverType = DriverDirect3D8;
        p.windowSize = {320, 240};
        p.bits = 32;
        return p;
    }

    // A driver of the parameters; none when it could not be made.
    CD3D8Driver* make(const SDeviceParameters& p = parameters()) {
        if (driver) driver->drop();
        driver = static_cast<CD3D8Driver*>(createDirect3D8Driver(p, nullptr));
        return driver;
    }

    static std::vector<SRecordedCall> calls(const char* method) {
        return D3DTestControl::callsNamed(method);
    }
    // The values the render state was set to, in order.
    static std::vector<uint64_t> renderStates(d3d::D3DRENDERSTATETYPE state) {
        std::vector<uint64_t> values;
        for (const SRecordedCall& c : calls("SetRenderState"))
            if (c.args.size() == 2 && c.args[0] == state) values.push_back(c.args[1]);
        return values;
    }
    static std::vector<uint64_t> stageStates(uint32_t stage, d3d::D3DTEXTURESTAGESTATETYPE type) {
        std::vector<uint64_t> values;
        for (const SRecordedCall& c : calls("SetTextureStageState"))
            if (c.args.size() == 3 && c.args[0] == stage && c.args[1] == type)
                values.push_back(c.args[2]);
        return values;
    }
    // The matrices given to the transform, in order.
    static std::vector<std::vector<float>> transforms(d3d::D3DTRANSFORMSTATETYPE state) {
        std::vector<std::vector<float>> matrices;
        for (const SRecordedCall& c : calls("SetTransform"))
            if (!c.args.empty() && c.args[0] == state) matrices.push_back(c.floats);
        return matrices;
    }
    static std::vector<float> identity() {
        return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    }
    // The names of the recorded calls, in order.
    static std::vector<std::string> names() {
        std::vector<std::string> n;
        for (const SRecordedCall& c : D3DTestControl::calls()) n.push_back(c.name);
        return n;
    }
    static size_t count(const char* method) { return calls(method).size(); }

    static CImage* solidImage(s32 w, s32 h, u32 argb, ECOLOR_FORMAT format = ECF_A8R8G8B8) {
        auto* image = new CImage(CCreationContext(), format, dimension2di(w, h));
        for (s32 y = 0; y < h; ++y)
            for (s32 x = 0; x < w; ++x) image->setPixel(x, y, argb);
        return image;
    }
    CTextureResource* textureOf(CImage* image) {
        ITexture* texture = driver->createTextureFromImage(image);
        image->drop();
        if (!texture) return nullptr;
        auto* resource = new CTextureResource(CCreationContext(), texture, "test");
        texture->drop();
        resources.push_back(resource);
        return resource;
    }
    static SMaterial material(s32 type, CTextureResource* texture = nullptr) {
        SMaterial m;
        m.MaterialType = type;
        m.Lighting = false;
        m.TextureLayer[0].Texture = texture;
        return m;
    }
    void quad(const SMaterial& m, f32 x0, f32 y0, f32 x1, f32 y1,
              SColor color = SColor(0xFFFFFFFFu)) {
        CQuadBatcher* batcher = driver->getQuadBatcher();
        batcher->reset();
        batcher->addQuadCorners(&m, vector2df(x0, y0), vector2df(x1, y0), vector2df(x1, y1),
                                vector2df(x0, y1), vector2df(0, 0), vector2df(1, 0),
                                vector2df(1, 1), vector2df(0, 1), 0.0f, color);
        batcher->flush();
    }

    LogCapture logs;
    CD3D8Driver* driver = nullptr;
    std::vector<CTextureResource*> resources;
};

}  // namespace oskel::test
