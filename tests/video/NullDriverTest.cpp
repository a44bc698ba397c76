#include <cmath>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "engine/properties/CPropertySet.h"

#include "engine/core/CTimer.h"
#include "engine/io/CMemoryFile.h"
#include "engine/video/CQuadBatcher.h"
#include "tests/support/TestSupport.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A renderer that only counts its references.
class CountedRenderer : public IMaterialRenderer {
public:
    void OnSetMaterial(const SMaterial&, const SMaterial&, bool,
                       IMaterialRendererServices*) override {}
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }
};

struct DriverDeleter {
    void operator()(IReferenceCounted* p) const { p->drop(); }
};
template <class T>
using Held = std::unique_ptr<T, DriverDeleter>;

}  // namespace

TEST(NullDriver, ConstructionState) {
    SDeviceParameters parameters;
    parameters.windowSize = dimension2di(1024, 768);
    parameters.bits = 32;
    Held<IVideoDriver> driver(createNullDriver(parameters, nullptr));

    EXPECT_EQ(driver->getScreenSize(), dimension2di(1024, 768));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(1024, 768));
    EXPECT_EQ(driver->getColorDepth(), 32u);
    EXPECT_EQ(driver->getViewPort(), recti(0, 0, 1024, 768));
    EXPECT_EQ(driver->getColorFormat(), ECF_R5G6B5);
    EXPECT_EQ(driver->getDriverType(), DriverNull);
    EXPECT_STREQ(driver->getName(), L"Irrlicht NullDevice");
    EXPECT_EQ(driver->getVendorInfo(), stringc("Not available on this driver."));
    EXPECT_EQ(driver->getMaximalPrimitiveCount(), 0xFFFFFFFFu);
    EXPECT_EQ(driver->getMaximalDynamicLightAmount(), 0u);
    EXPECT_EQ(driver->getGPUProgrammingServices(), nullptr);
    EXPECT_NE(driver->getQuadBatcher(), nullptr);
    EXPECT_EQ(driver->createScreenShot(), nullptr);
    // Material attributes: a new empty property set without a content manager.
    CPropertySet* attributes = driver->createAttributesFromMaterial(SMaterial());
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->getPropertyCount(), 0u);
    EXPECT_EQ(attributes->getContentManager(), nullptr);
    attributes->drop();
    EXPECT_EQ(driver->createRenderTargetTexture(dimension2di(64, 64)), nullptr);
    EXPECT_FALSE(driver->setRenderTarget(nullptr));
    EXPECT_FALSE(driver->setRenderTargetKind(ERT_FRAME_BUFFER));
    EXPECT_FALSE(driver->setRenderTargetKind(ERT_AUX_BUFFER0));
    EXPECT_FALSE(driver->set2DRenderMode());
    EXPECT_FALSE(driver->set3DRenderMode());
    EXPECT_FALSE(driver->setClipPlane(0, plane3df()));

    // Texture creation: "always 32 bit" and "create mip maps" only.
    const u32 flags[] = {ETCF_ALWAYS_16_BIT, ETCF_ALWAYS_32_BIT, ETCF_OPTIMIZED_FOR_QUALITY,
                         ETCF_OPTIMIZED_FOR_SPEED, ETCF_CREATE_MIP_MAPS, ETCF_NO_ALPHA_CHANNEL};
    const bool expected[] = {false, true, false, false, true, false};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(driver->getTextureCreationFlag(static_cast<ETextureCreationFlag>(flags[i])),
                  expected[i])
            << flags[i];

    for (u32 state = 0; state < ETS_COUNT; ++state)
        EXPECT_TRUE(driver->getTransform(static_cast<ETransformationState>(state)).isIdentity());
    const SExposedVideoData& data = driver->getExposedVideoData();
    for (void* word : data.Words) EXPECT_EQ(word, nullptr);
    static_assert(sizeof(SExposedVideoData) == 5 * sizeof(void*), "five pointer-sized words");

    // The null driver supports nothing, whatever the switches say.
    for (u32 f = 0; f < EVDF_COUNT; ++f)
        EXPECT_FALSE(driver->queryFeature(static_cast<EVideoDriverFeature>(f))) << f;
}

TEST(NullDriver, FactoryRegistersTheBuiltInRenderersUnderTheirNames) {
    Held<IVideoDriver> driver(createNullDriver(SDeviceParameters(), nullptr));
    ASSERT_EQ(driver->getMaterialRendererCount(), 26u);
    for (u32 i = 0; i < 26; ++i) {
        EXPECT_STREQ(driver->getMaterialRendererName(i), sBuiltInMaterialTypeNames[i]);
        IMaterialRenderer* renderer = driver->getMaterialRenderer(i);
        ASSERT_NE(renderer, nullptr);
        EXPECT_TRUE(renderer->OnRender(nullptr, EVT_2D));
        EXPECT_FALSE(renderer->isTransparent());
        EXPECT_EQ(renderer->getRenderCapability(), 0);
        EXPECT_EQ(renderer->getReferenceCount(), 1);  // the creator's reference was dropped
    }
    EXPECT_STREQ(driver->getMaterialRendererName(25), "trans_alphach_vertexalpha_add");
    EXPECT_EQ(driver->getMaterialRenderer(26), nullptr);
    EXPECT_EQ(driver->getMaterialRendererName(26), nullptr);
}

TEST(NullDriver, MaterialRendererRegistration) {
    const struct {
        s32 index;
        const char* name;
        s32 result;
        u32 count;             // list length afterwards
        const char* stored;    // the entry's name afterwards (when registered)
    } cases[] = {
        {5, nullptr, 5, 6, "lightmap_m4"},
        {0, nullptr, 0, 1, "solid"},
        {25, nullptr, 25, 26, "trans_alphach_vertexalpha_add"},
        {5, "mine", 5, 6, "mine"},
        {30, nullptr, 30, 31, ""},
        {30, "custom", 30, 31, "custom"},
        {-1, nullptr, -1, 0, nullptr},
        {0x7FFFFFFF, nullptr, -1, 0, nullptr},  // index + 1 would overflow
        {CNullDriver::MaxMaterialRendererIndex + 1, nullptr, -1, 0, nullptr},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        auto* renderer = new CountedRenderer();
        EXPECT_EQ(driver.setMaterialRenderer(c.index, renderer, c.name), c.result) << c.index;
        ASSERT_EQ(driver.getMaterialRendererCount(), c.count) << c.index;
        if (c.result >= 0) {
            const u32 at = static_cast<u32>(c.index);
            EXPECT_STREQ(driver.getMaterialRendererName(at), c.stored);
            EXPECT_EQ(driver.getMaterialRenderer(at), renderer);
            EXPECT_EQ(renderer->getReferenceCount(), 2);
            for (u32 i = 0; i < at; ++i) {  // the gap is filled with placeholders
                EXPECT_STREQ(driver.getMaterialRendererName(i), "null");
                EXPECT_EQ(driver.getMaterialRenderer(i), nullptr);
            }
        } else {
            EXPECT_EQ(renderer->getReferenceCount(), 1);
        }
        renderer->drop();
    }

    // A null renderer changes nothing.
    RecordingDriver driver;
    EXPECT_EQ(driver.setMaterialRenderer(3, nullptr, "x"), -1);
    EXPECT_EQ(driver.getMaterialRendererCount(), 0u);
}

TEST(NullDriver, MaterialRenderersAreReleasedWhenReplacedAndWithTheDriver) {
    auto* first = new CountedRenderer();
    auto* second = new CountedRenderer();
    {
        RecordingDriver driver;
        driver.setMaterialRenderer(2, first);
        driver.setMaterialRenderer(2, second);
        EXPECT_EQ(first->getReferenceCount(), 1);
        EXPECT_EQ(second->getReferenceCount(), 2);
        EXPECT_EQ(driver.getMaterialRendererCount(), 3u);

        // addAndDrop hands the creator's reference over to the driver.
        auto* third = new CountedRenderer();
        third->grab();
        EXPECT_EQ(driver.addAndDropMaterialRenderer(third, 4), 4);
        EXPECT_EQ(third->getReferenceCount(), 2);
        driver.deleteMaterialRenderers();
        EXPECT_EQ(driver.getMaterialRendererCount(), 0u);
        EXPECT_EQ(third->getReferenceCount(), 1);
        third->drop();

        driver.setMaterialRenderer(0, second);
    }
    EXPECT_EQ(second->getReferenceCount(), 1);
    first->drop();
    second->drop();
}

TEST(NullDriver, RenamingLeavesTheBuiltInNames) {
    const struct {
        s32 index;
        const char* expected;  // the name at the index afterwards, or none when out of range
    } cases[] = {
        {3, "lightmap_add"}, {25, "trans_alphach_vertexalpha_add"}, {26, "x"},
        {29, "x"},           {30, nullptr},                          {-1, nullptr},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        driver.registerBuiltInRenderers();
        auto* renderer = new CountedRenderer();
        driver.setMaterialRenderer(29, renderer, "custom");  // a list of 30 entries
        renderer->drop();
        ASSERT_EQ(driver.getMaterialRendererCount(), 30u);

        driver.setMaterialRendererName(c.index, "x");
        if (c.expected) {
            EXPECT_STREQ(driver.getMaterialRendererName(static_cast<u32>(c.index)), c.expected)
                << c.index;
        }
        EXPECT_EQ(driver.getMaterialRendererCount(), 30u) << c.index;
        if (c.index != 29) {
            EXPECT_STREQ(driver.getMaterialRendererName(29), "custom");
        }
    }
}

TEST(NullDriver, TextureCreationFlagsKeepAtMostOneOfTheFirstFour) {
    const struct {
        ETextureCreationFlag flag;
        bool on;
        u32 expected;  // all six bits afterwards, starting from the constructed 2 | 16
    } cases[] = {
        {ETCF_OPTIMIZED_FOR_QUALITY, true, 4 | 16},
        {ETCF_ALWAYS_16_BIT, true, 1 | 16},
        {ETCF_OPTIMIZED_FOR_SPEED, true, 8 | 16},
        {ETCF_CREATE_MIP_MAPS, true, 2 | 16},
        {ETCF_CREATE_MIP_MAPS, false, 2},
        {ETCF_NO_ALPHA_CHANNEL, true, 2 | 16 | 32},
        {ETCF_ALWAYS_32_BIT, false, 16},
        {ETCF_OPTIMIZED_FOR_QUALITY, false, 2 | 16},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        driver.setTextureCreationFlag(c.flag, c.on);
        u32 bits = 0;
        for (u32 bit = 1; bit <= 32; bit <<= 1)
            if (driver.getTextureCreationFlag(static_cast<ETextureCreationFlag>(bit))) bits |= bit;
        EXPECT_EQ(bits, c.expected) << c.flag << " " << c.on;
    }
}

TEST(NullDriver, PolygonOutlines) {
    const struct {
        s32 count;
        size_t lines;
    } cases[] = {{-3, 0}, {0, 0}, {1, 0}, {2, 2}, {3, 3}, {4, 4}, {32, 32}};
    for (const auto& c : cases) {
        RecordingDriver driver;
        driver.draw2DPolygon(vector2df(100, 50), 10.0f, SColor(0xFFFFFFFFu), c.count);
        EXPECT_EQ(driver.lines.size(), c.lines) << c.count;
    }

    // Four corners: the first straight below the centre (sin 0, cos 0), then clockwise on screen;
    // each line runs from a corner back to the one before, the last closes the outline.
    RecordingDriver driver;
    driver.draw2DPolygon(vector2df(100, 50), 10.0f, SColor(0xFFFFFFFFu), 4);
    const vector2df corners[] = {{100, 60}, {110, 50}, {100, 40}, {90, 50}};
    const int from[] = {1, 2, 3, 3};
    const int to[] = {0, 1, 2, 0};
    ASSERT_EQ(driver.lines.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(driver.lines[i].start.X, corners[from[i]].X, 1e-3) << i;
        EXPECT_NEAR(driver.lines[i].start.Y, corners[from[i]].Y, 1e-3) << i;
        EXPECT_NEAR(driver.lines[i].end.X, corners[to[i]].X, 1e-3) << i;
        EXPECT_NEAR(driver.lines[i].end.Y, corners[to[i]].Y, 1e-3) << i;
    }

    // Two corners: two lines between the same two points.
    RecordingDriver two;
    two.draw2DPolygon(vector2df(0, 0), 5.0f, SColor(0xFFFFFFFFu), 2);
    ASSERT_EQ(two.lines.size(), 2u);
    EXPECT_EQ(two.lines[0].start, two.lines[1].start);
    EXPECT_EQ(two.lines[0].end, two.lines[1].end);
}

TEST(NullDriver, ImageBatchAdvancesByWidthAndKerning) {
    array<recti> rects;
    rects.push_back(recti(0, 0, 10, 20));
    rects.push_back(recti(10, 0, 15, 20));
    rects.push_back(recti(0, 0, 7, 5));
    const struct {
        std::vector<s32> indices;
        s32 kerning;
        std::vector<s32> xs;  // the position of each image drawn
        std::vector<s32> sources;
    } cases[] = {
        {{0, 1, 2, 1}, 2, {5, 17, 24, 33}, {0, 1, 2, 1}},
        {{2, 2}, 0, {5, 12}, {2, 2}},
        {{1}, -3, {5}, {1}},
        {{}, 2, {}, {}},
        // Indices outside the rectangle list name nothing and are skipped.
        {{-1, 0, 3, 1, 1000}, 1, {5, 16}, {0, 1}},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        array<s32> indices;
        for (s32 i : c.indices) indices.push_back(i);
        driver.draw2DImageBatch(nullptr, vector2di(5, 7), rects, indices, c.kerning);
        ASSERT_EQ(driver.images.size(), c.xs.size());
        for (size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_EQ(driver.images[i].position, vector2di(c.xs[i], 7)) << i;
            EXPECT_EQ(driver.images[i].source, rects[static_cast<u32>(c.sources[i])]) << i;
        }
    }
}

TEST(NullDriver, RectangleIsAGradientOfOneColour) {
    RecordingDriver driver;
    const recti bar(0, 0, 128, 768);
    driver.draw2DRectangle(SColor(0xFF000000u), bar);
    ASSERT_EQ(driver.rectangles.size(), 1u);
    EXPECT_EQ(driver.rectangles[0], bar);
    EXPECT_EQ(driver.rectangleColors[0], std::vector<u32>(4, 0xFF000000u));
}

TEST(NullDriver, ResizeFollowsAFullScreenViewportOnly) {
    const struct {
        recti viewport;  // set before the resize
        recti expected;
    } cases[] = {
        {recti(0, 0, 800, 600), recti(0, 0, 1024, 768)},
        {recti(10, 10, 810, 610), recti(0, 0, 1024, 768)},  // the screen's size: follows
        {recti(0, 0, 400, 300), recti(0, 0, 400, 300)},     // a part of the screen stays
        {recti(0, 0, 800, 300), recti(0, 0, 800, 300)},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        driver.setViewPort(c.viewport);
        driver.OnResize(dimension2di(1024, 768));
        EXPECT_EQ(driver.getViewPort(), c.expected);
        EXPECT_EQ(driver.getScreenSize(), dimension2di(1024, 768));
    }
}

TEST(NullDriver, PrimitivesCountedPerFrameAndOverall) {
    uint64_t now = 5000;
    auto* timer = new CTimer(std::make_unique<SteppedClock>(&now));
    Held<IVideoDriver> driver(createNullDriver(SDeviceParameters(), nullptr, timer));
    timer->drop();  // the driver holds its own reference

    CMeshBuffer* mesh = new CMeshBuffer();
    mesh->PrimitiveCount = 3;
    u32 total = 0;
    for (int frame = 0; frame <= 10; ++frame) {
        timer->tick();
        ASSERT_TRUE(driver->beginScene(true, true, SColor(0)));
        EXPECT_EQ(driver->getPrimitiveCountDrawn(0), 0u);
        driver->drawVertexPrimitiveList(nullptr, 0, nullptr, 2, EVT_2D, EPT_TRIANGLES);
        driver->drawIndexedTriangleList(nullptr, 0, nullptr, static_cast<u32>(frame));
        driver->drawMeshBuffer(mesh);
        driver->drawMeshBuffer(nullptr);
        const u32 frameCount = 2 + static_cast<u32>(frame) + 3;
        EXPECT_EQ(driver->getPrimitiveCountDrawn(0), frameCount) << frame;
        total += frameCount;
        ASSERT_TRUE(driver->endScene());
        EXPECT_EQ(driver->getPrimitiveCountDrawn(0), frameCount);
        EXPECT_EQ(driver->getPrimitiveCountDrawn(2), total);
        now += 100;
    }
    mesh->drop();
    // Frames 1 to 10 ended within the first second after frame 0: ten frames per second, and
    // (6 + 7 + ... + 15) / 10 primitives per frame on average.
    EXPECT_EQ(driver->getFPS(), 10);
    EXPECT_EQ(driver->getPrimitiveCountDrawn(1), 105u / 10u);
    EXPECT_EQ(driver->getPrimitiveCountDrawn(7), total);
}

TEST(NullDriver, IndexedTriangleHelpersPassTheirLayouts) {
    const struct {
        void (*draw)(IVideoDriver*);
        u32 vertexType, primitiveType;
    } cases[] = {
        {[](IVideoDriver* d) { d->drawIndexedTriangleListTangents(nullptr, 0, nullptr, 1); },
         EVT_TANGENTS, EPT_TRIANGLES},
        {[](IVideoDriver* d) { d->drawIndexedTriangleList2TCoords(nullptr, 0, nullptr, 1); },
         EVT_2TCOORDS, EPT_TRIANGLES},
        {[](IVideoDriver* d) { d->drawIndexedTriangleList(nullptr, 0, nullptr, 1); },
         EVT_STANDARD, EPT_TRIANGLES},
        {[](IVideoDriver* d) { d->drawIndexedTriangleFan2TCoords(nullptr, 0, nullptr, 1); },
         EVT_2TCOORDS, EPT_TRIANGLE_FAN},
        {[](IVideoDriver* d) { d->drawIndexedTriangleFan(nullptr, 0, nullptr, 1); },
         EVT_STANDARD, EPT_TRIANGLE_FAN},
    };
    for (const auto& c : cases) {
        RecordingDriver driver;
        c.draw(&driver);
        ASSERT_EQ(driver.draws.size(), 1u);
        EXPECT_EQ(driver.draws[0].vertexType, c.vertexType);
        EXPECT_EQ(driver.draws[0].primitiveType, c.primitiveType);
    }
}

namespace {

// A driver that keeps transforms as a real one does.
class TransformDriver : public RecordingDriver {
public:
    void setTransform(ETransformationState state, const matrix4& mat) override {
        storeTransform(state, mat);
    }
};

}  // namespace

TEST(NullDriver, IndicesIntoFixedTablesAreGuarded) {
    TransformDriver driver;
    matrix4 moved;
    moved.setTranslation(vector3df(1, 2, 3));
    driver.setTransform(ETS_WORLD, moved);
    EXPECT_EQ(driver.getTransform(ETS_WORLD), moved);

    const u32 outside[] = {ETS_COUNT, 100, 0xFFFFFFFFu};
    for (u32 state : outside) {
        driver.setTransform(static_cast<ETransformationState>(state), moved);
        EXPECT_TRUE(driver.getTransform(static_cast<ETransformationState>(state)).isIdentity());
        driver.setFeatureEnabled(static_cast<EVideoDriverFeature>(state), false);
        EXPECT_FALSE(driver.queryFeature(static_cast<EVideoDriverFeature>(state)));
    }
    // The seven real transforms kept what they held.
    EXPECT_EQ(driver.getTransform(ETS_WORLD), moved);
    EXPECT_TRUE(driver.getTransform(ETS_TEXTURE_3).isIdentity());

    EXPECT_EQ(driver.getDynamicLight(0), nullptr);
    SLight light;
    light.Type = ELT_SPOT;
    EXPECT_EQ(driver.addDynamicLight(light), 0);
    EXPECT_EQ(driver.addDynamicLight(SLight()), 1);
    ASSERT_NE(driver.getDynamicLight(0), nullptr);
    EXPECT_EQ(driver.getDynamicLight(0)->Type, static_cast<u32>(ELT_SPOT));
    EXPECT_EQ(driver.getDynamicLight(2), nullptr);
    EXPECT_EQ(driver.getDynamicLightCount(), 2u);
    driver.deleteAllDynamicLights();
    EXPECT_EQ(driver.getDynamicLightCount(), 0u);
}

namespace {

class LimitedDriver : public RecordingDriver {
public:
    u32 getMaximalPrimitiveCount() const override { return 100; }
};

}  // namespace

TEST(NullDriver, PrimitiveLimitAndVersionLine) {
    LogCapture logs;
    LimitedDriver driver;
    EXPECT_TRUE(driver.checkPrimitiveCount(100));
    EXPECT_TRUE(logs.lines().empty());
    EXPECT_FALSE(driver.checkPrimitiveCount(101));
    EXPECT_TRUE(logs.contains("Could not draw triangles, too many primitives(101), maxium is 100.",
                              LogError));
    driver.printVersion();
    EXPECT_TRUE(logs.contains("Using renderer: Irrlicht NullDevice", LogInformation));
}

TEST(NullDriver, ShaderMaterialsAreNotAvailable) {
    LogCapture logs;
    RecordingDriver driver;
    IGPUProgrammingServices& services = driver;
    EXPECT_EQ(services.addHighLevelShaderMaterial("v", "main", 0, "p", "main", 0, nullptr, 0, 0), -1);
    EXPECT_TRUE(logs.contains("High level shader materials not available (yet) in this driver, sorry",
                              LogInformation));
    EXPECT_EQ(services.addShaderMaterial("v", "p", nullptr, 0, 0), -1);
    EXPECT_TRUE(logs.contains("Shader materials not implemented yet in this driver, sorry.",
                              LogInformation));

    // Named files that do not open.
    logs.clear();
    EXPECT_EQ(services.addShaderMaterialFromFiles("shaders/a.vsh", "shaders/a.psh", nullptr, 0, 0),
              -1);
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].text, "Could not open vertex shader program file");
    EXPECT_EQ(logs.lines()[0].hint, "shaders/a.vsh");
    EXPECT_EQ(logs.lines()[0].level, LogWarning);

    // The vertex file opens, the pixel file does not: the vertex file is released.
    static char text[] = "void main() {}";
    auto* file = new CMemoryFile(text, static_cast<s32>(std::strlen(text)), "a.vsh", false);
    driver.fileToOpen = file;
    logs.clear();
    struct PixelFails : RecordingDriver {
        IReadableFile* createAndOpenFile(const c8* name) override {
            if (stringc(name) == "a.vsh" && fileToOpen) {
                fileToOpen->grab();
                return fileToOpen;
            }
            return nullptr;
        }
    } pixelFails;
    pixelFails.fileToOpen = file;
    EXPECT_EQ(pixelFails.addHighLevelShaderMaterialFromFiles("a.vsh", "main", 0, "a.psh", "main",
                                                             0, nullptr, 0, 0),
              -1);
    EXPECT_TRUE(logs.contains("Could not open pixel shader program file", LogWarning));
    EXPECT_EQ(file->getReferenceCount(), 1);

    // Both open: the texts are read and handed on, which in the null driver only logs.
    logs.clear();
    driver.openedNames.clear();
    EXPECT_EQ(driver.addShaderMaterialFromFiles("a.vsh", "a.vsh", nullptr, 0, 0), -1);
    EXPECT_TRUE(logs.contains("Shader materials not implemented yet in this driver, sorry."));
    EXPECT_EQ(driver.openedNames.size(), 2u);
    EXPECT_EQ(file->getReferenceCount(), 1);
    file->drop();
}

TEST(FPSCounter, MeasuresWholeIntervals) {
    const struct {
        u32 step;    // ms between frames
        int frames;  // frames registered after the first
        s32 fps;
    } cases[] = {
        {100, 10, 10},
        {16, 62, 0},   // 992 ms: the interval has not ended
        {16, 63, 63},  // 63 frames over 1008 ms: 62.5, rounded
        {1000, 1, 1},
        {50, 9, 0},
        {2500, 1, 0},  // one frame over 2.5 s
    };
    for (const auto& c : cases) {
        CFPSCounter counter;
        const u32 start = 0xFFFFFF00u;  // across the wrap of the 32-bit clock
        counter.registerFrame(start, 0);
        u32 total = 0;
        for (int i = 1; i <= c.frames; ++i) {
            counter.registerFrame(start + c.step * static_cast<u32>(i), static_cast<u32>(i));
            total += static_cast<u32>(i);
        }
        const bool ended = c.step * static_cast<u32>(c.frames) >= CFPSCounter::MeasuringInterval;
        EXPECT_EQ(counter.getFPS(), c.fps) << c.step << "/" << c.frames;
        if (ended) {
            EXPECT_EQ(counter.getPrimitiveAverage(), total / static_cast<u32>(c.frames))
                << c.step << "/" << c.frames;
        } else {
            EXPECT_EQ(counter.getPrimitiveAverage(), 0u);
        }
        EXPECT_EQ(counter.getPrimitiveTotal(), total);
    }
}
