#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A 32-bit image whose pixels are given row by row.
CImage* makeImage(s32 width, s32 height, const std::vector<u32>& pixels) {
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(width, height));
    for (s32 y = 0; y < height; ++y)
        for (s32 x = 0; x < width; ++x)
            image->setPixel(x, y, pixels[static_cast<size_t>(y * width + x)]);
    return image;
}

// The memory texture driver, its textures and an image of its own.
class TextureTest : public ::testing::Test {
protected:
    ~TextureTest() override {
        for (ITexture* t : textures) t->drop();
        driver->drop();
    }

    CMemoryTexture* texture(CImage* image) {
        ITexture* t = driver->createTextureFromImage(image);
        if (t) textures.push_back(t);
        return static_cast<CMemoryTexture*>(t);
    }
    CMemoryTexture* textureOf(s32 width, s32 height, const std::vector<u32>& pixels) {
        CImage* image = makeImage(width, height, pixels);
        CMemoryTexture* t = texture(image);
        image->drop();
        return t;
    }
    static u32 pixel(ITexture* t, s32 x, s32 y) {
        return static_cast<CImageTexture*>(t)->getImage()->getPixel(x, y);
    }

    CMemoryTextureDriver* driver =
        static_cast<CMemoryTextureDriver*>(createMemoryTextureDriver(SDeviceParameters(), nullptr));
    std::vector<ITexture*> textures;
};

}  // namespace

TEST(TextureFormat, BestColourFormatForImageAndFlags) {
    const struct {
        ECOLOR_FORMAT image;
        u32 flags;
        ECOLOR_FORMAT expected;
    } cases[] = {
        {ECF_A8R8G8B8, 0, ECF_A8R8G8B8},
        {ECF_R8G8B8, 0, ECF_A8R8G8B8},
        {ECF_A8R8G8B8, ETCF_ALWAYS_16_BIT, ECF_A1R5G5B5},
        {ECF_R8G8B8, ETCF_OPTIMIZED_FOR_SPEED, ECF_A1R5G5B5},
        {ECF_A8R8G8B8, ETCF_OPTIMIZED_FOR_QUALITY, ECF_A8R8G8B8},
        {ECF_A1R5G5B5, 0, ECF_A1R5G5B5},
        {ECF_R5G6B5, 0, ECF_A1R5G5B5},
        {ECF_R5G6B5, ETCF_ALWAYS_32_BIT, ECF_A8R8G8B8},
        {ECF_A1R5G5B5, ETCF_ALWAYS_16_BIT, ECF_A1R5G5B5},
        {ECF_A8R8G8B8, ETCF_ALWAYS_32_BIT | ETCF_NO_ALPHA_CHANNEL, ECF_R8G8B8},
        {ECF_A8R8G8B8, ETCF_ALWAYS_16_BIT | ETCF_NO_ALPHA_CHANNEL, ECF_R5G6B5},
        {ECF_A1R5G5B5, ETCF_NO_ALPHA_CHANNEL, ECF_R5G6B5},
        {static_cast<ECOLOR_FORMAT>(6), ETCF_ALWAYS_16_BIT, ECF_A8R8G8B8},  // above 3: 32 bit
        {ECF_UNKNOWN, ETCF_NO_ALPHA_CHANNEL, ECF_R8G8B8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(getBestTextureColorFormat(c.image, c.flags), c.expected)
            << c.image << " flags " << c.flags;
}

TEST(TextureFormat, PowerOfTwoSizes) {
    const struct {
        u32 value, expected;
    } powers[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {100, 128}, {128, 128}, {129, 256},
                  {0x40000001u, 0x80000000u}, {0x80000000u, 0x80000000u}};
    for (const auto& c : powers) EXPECT_EQ(getPowerOfTwoAtLeast(c.value), c.expected) << c.value;

    EXPECT_EQ(getTextureSizeForImage(dimension2di(100, 50), false), dimension2di(128, 64));
    EXPECT_EQ(getTextureSizeForImage(dimension2di(100, 50), true), dimension2di(100, 50));
    EXPECT_EQ(getTextureSizeForImage(dimension2di(1, 1), false), dimension2di(1, 1));
    EXPECT_EQ(getTextureSizeForImage(dimension2di(0, 5), false), dimension2di(0, 5));
}

TEST_F(TextureTest, ImagePlacedInAPowerOfTwoTexture) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    std::vector<u32> pixels(100 * 50);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<u32>(i);
    CMemoryTexture* t = textureOf(100, 50, pixels);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getOriginalSize(), dimension2di(100, 50));
    EXPECT_EQ(t->getSize(), dimension2di(128, 64));
    EXPECT_EQ(t->getPitch(), 128u * 4u);
    EXPECT_EQ(t->getColorFormat(), ECF_A8R8G8B8);
    EXPECT_EQ(t->getDriverType(), driver->getDriverType());
    EXPECT_TRUE(t->hasMipMaps());  // the driver's "create mip maps" flag
    EXPECT_EQ(t->getUploadCount(), 1u);

    // Unscaled in the upper-left corner; the rest transparent black.
    EXPECT_EQ(pixel(t, 0, 0), pixels[0]);
    EXPECT_EQ(pixel(t, 99, 49), pixels[49 * 100 + 99]);
    EXPECT_EQ(pixel(t, 37, 11), pixels[11 * 100 + 37]);
    EXPECT_EQ(pixel(t, 100, 0), 0u);
    EXPECT_EQ(pixel(t, 127, 63), 0u);
    EXPECT_EQ(pixel(t, 5, 50), 0u);
    EXPECT_FALSE(t->isPixelOpaque(110, 10, 0));
    EXPECT_TRUE(t->isPixelOpaque(99, 49, 0));

    // With textures of any size, the texture is the image's size.
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, true);
    CMemoryTexture* free = textureOf(100, 50, pixels);
    EXPECT_EQ(free->getSize(), dimension2di(100, 50));
    EXPECT_EQ(pixel(free, 37, 11), pixels[11 * 100 + 37]);

    // The whole-texture draw uses the image's size, not the texture's.
    RecordingDriver recorder;
    recorder.draw2DImageWhole(t, vector2di(3, 4));
    ASSERT_EQ(recorder.images.size(), 1u);
    EXPECT_EQ(recorder.images[0].source, recti(0, 0, 100, 50));
    EXPECT_EQ(recorder.images[0].position, vector2di(3, 4));
}

TEST_F(TextureTest, PixelOpacityAtTheEdges) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);  // 3 x 2 in a 4 x 2 texture
    CMemoryTexture* t = textureOf(3, 2, {0x00FFFFFFu, 0x01000000u, 0x80123456u,  //
                                         0xFE000000u, 0xFF000000u, 0x7F000000u});
    const struct {
        u32 x, y, threshold;
        bool opaque;
    } cases[] = {
        {0, 0, 0, false},           {1, 0, 0, true},   {1, 0, 1, false},
        {2, 0, 127, true},          {2, 0, 128, false}, {0, 1, 253, true},
        {0, 1, 254, false},         {1, 1, 254, true},  {1, 1, 255, false},
        {2, 1, 0, true},            {3, 0, 0, false},   // in the texture, outside the image
        {0, 2, 0, false},           {0xFFFFFFFFu, 0, 0, false},  // -1 as unsigned
        {0, 0xFFFFFFFFu, 0, false}, {1, 1, 1000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t->isPixelOpaque(c.x, c.y, c.threshold), c.opaque)
            << c.x << "," << c.y << " > " << c.threshold;
}

TEST_F(TextureTest, SixteenBitTexturesKeepOneAlphaBit) {
    driver->setTextureCreationFlag(ETCF_ALWAYS_16_BIT, true);
    CMemoryTexture* t = textureOf(2, 2, {0x80FFFFFFu, 0x7FFFFFFFu, 0x01000000u, 0xFFFF0000u});
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getColorFormat(), ECF_A1R5G5B5);
    EXPECT_EQ(t->getPitch(), 4u);
    for (s32 y = 0; y < 2; ++y)
        for (s32 x = 0; x < 2; ++x) {
            const u32 alpha = pixel(t, x, y) >> 24;
            EXPECT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
        }
    EXPECT_TRUE(t->isPixelOpaque(0, 0, 254));
    EXPECT_FALSE(t->isPixelOpaque(1, 0, 0));
    EXPECT_FALSE(t->isPixelOpaque(0, 1, 0));
    EXPECT_TRUE(t->isPixelOpaque(1, 1, 0));
}

TEST_F(TextureTest, OnlyWritingLocksUpload) {
    CMemoryTexture* t = textureOf(2, 1, {0xFF000000u, 0xFF000000u});
    ASSERT_EQ(t->getUploadCount(), 1u);
    const struct {
        std::vector<int> steps;  // 1 lock(true), 0 lock(false), -1 unlock
        u32 uploads;
    } cases[] = {
        {{1, -1}, 0},
        {{0, -1}, 1},
        {{1, 0, -1}, 0},  // a read-only lock stays read-only until the unlock
        {{0, 1, -1}, 0},
        {{-1}, 0},        // an unlock without a lock
        {{0, -1, -1}, 1},
        {{1, -1, 0, -1}, 1},
    };
    for (const auto& c : cases) {
        const u32 before = t->getUploadCount();
        for (int step : c.steps) {
            if (step < 0) {
                t->unlock();
            } else {
                void* pixels = t->lock(step == 1);
                EXPECT_EQ(pixels, t->getImage()->lock());
            }
        }
        EXPECT_EQ(t->getUploadCount() - before, c.uploads);
        EXPECT_FALSE(t->isLocked());
    }
}

TEST_F(TextureTest, BlankTexturesStartTransparentBlack) {
    // Black everywhere; transparent where the format has an alpha channel.
    const struct {
        ECOLOR_FORMAT format;
        u32 expected;
    } cases[] = {{ECF_A8R8G8B8, 0u}, {ECF_A1R5G5B5, 0u}, {ECF_R5G6B5, 0xFF000000u},
                 {ECF_R8G8B8, 0xFF000000u}};
    for (const auto& c : cases) {
        ITexture* t = driver->createTexture(dimension2di(5, 3), c.format);
        ASSERT_NE(t, nullptr) << c.format;
        EXPECT_EQ(t->getSize(), dimension2di(5, 3));
        for (s32 y = 0; y < 3; ++y)
            for (s32 x = 0; x < 5; ++x) ASSERT_EQ(pixel(t, x, y), c.expected) << c.format;
        t->drop();
    }
    // Creation refuses what has no pixels.
    LogCapture logs;
    EXPECT_EQ(driver->createTexture(dimension2di(0, 4)), nullptr);
    EXPECT_EQ(driver->createTexture(dimension2di(-3, 4)), nullptr);
    EXPECT_EQ(driver->createTextureFromImage(nullptr), nullptr);
    EXPECT_EQ(driver->createDeviceDependentTexture(nullptr), nullptr);
    EXPECT_TRUE(logs.contains("Invalid size of image for memory texture.", LogError));

    // The null driver itself makes no textures.
    RecordingDriver null;
    EXPECT_EQ(null.createTexture(dimension2di(4, 4)), nullptr);
}

TEST_F(TextureTest, ColourKeyOn32BitTextures) {
    const u32 key = 0x00102030u;
    const std::vector<u32> source = {0xFF102030u, 0x00102030u, 0x80102030u,  //
                                     0x00102031u, 0x7FFFFFFFu, 0xFF000000u};
    const std::vector<u32> keyed = {0x00000000u, 0x00000000u, 0x00000000u,  //
                                    0xFF102031u, 0xFFFFFFFFu, 0xFF000000u};
    // By colour (its alpha does not matter) and by the pixel at a position.
    for (int byPosition = 0; byPosition < 2; ++byPosition) {
        CMemoryTexture* t = textureOf(3, 2, source);
        if (byPosition)
            driver->makeColorKeyTextureAt(t, vector2di(1, 0));
        else
            driver->makeColorKeyTexture(t, SColor(key));
        for (s32 i = 0; i < 6; ++i) EXPECT_EQ(pixel(t, i % 3, i / 3), keyed[i]) << i;
        EXPECT_EQ(t->getUploadCount(), 2u);  // the unlock uploads the change
    }
}

TEST_F(TextureTest, ColourKeyPositionReadsRowsByThePitch) {
    // 3 x 2 in a 4 x 2 texture: the second row starts one texel later than the image width says.
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    CMemoryTexture* t = textureOf(3, 2, {0xFF111111u, 0xFF222222u, 0xFF333333u,  //
                                         0xFF444444u, 0xFF555555u, 0xFF666666u});
    ASSERT_EQ(t->getSize(), dimension2di(4, 2));
    driver->makeColorKeyTextureAt(t, vector2di(1, 1));
    EXPECT_EQ(pixel(t, 1, 1), 0u);
    EXPECT_EQ(pixel(t, 0, 1), 0xFF444444u);
    EXPECT_EQ(pixel(t, 2, 1), 0xFF666666u);
    // The padding was transparent black and is now opaque black.
    EXPECT_EQ(pixel(t, 3, 0), 0xFF000000u);

    // Positions outside the texture are refused before anything is read or changed.
    LogCapture logs;
    const vector2di outside[] = {{4, 0}, {0, 2}, {-1, 0}, {0, -1}, {100000, 100000}};
    for (const vector2di& p : outside) {
        logs.clear();
        driver->makeColorKeyTextureAt(t, p);
        EXPECT_TRUE(logs.contains("Color key position is outside the texture.", LogError))
            << p.X << "," << p.Y;
    }
    EXPECT_EQ(t->getUploadCount(), 2u);
    EXPECT_EQ(pixel(t, 0, 0), 0xFF111111u);
}

TEST_F(TextureTest, ColourKeyOn16BitTextures) {
    driver->setTextureCreationFlag(ETCF_ALWAYS_16_BIT, true);
    // 0xFF102030 and 0x00102037 share their top five bits per channel: the same 16-bit colour.
    CMemoryTexture* t = textureOf(2, 2, {0xFF102030u, 0x00102037u, 0xFF102040u, 0x00000000u});
    ASSERT_EQ(t->getColorFormat(), ECF_A1R5G5B5);
    driver->makeColorKeyTexture(t, SColor(0x00102030u));
    const u16* p = static_cast<const u16*>(t->getImage()->lock());
    EXPECT_EQ(p[0], 0u);
    EXPECT_EQ(p[1], 0u);
    EXPECT_EQ(p[2], static_cast<u16>(colorToA1R5G5B5(0xFF102040u)));
    EXPECT_EQ(p[3], 0x8000u);  // transparent black becomes opaque black

    CMemoryTexture* u = textureOf(2, 1, {0x00FF0000u, 0x80FF0000u});
    driver->makeColorKeyTextureAt(u, vector2di(1, 0));
    const u16* q = static_cast<const u16*>(u->getImage()->lock());
    EXPECT_EQ(q[0], 0u);
    EXPECT_EQ(q[1], 0u);
}

namespace {

// A texture whose lock gives nothing.
class UnlockableTexture : public ITexture {
public:
    bool isPixelOpaque(u32, u32, u32) const override { return false; }
    void* lock(bool) override { return nullptr; }
    void unlock() override { ++unlocks; }
    const dimension2di& getOriginalSize() const override { return size; }
    const dimension2di& getSize() const override { return size; }
    s32 getDriverType() const override { return DriverNull; }
    ECOLOR_FORMAT getColorFormat() const override { return ECF_A8R8G8B8; }
    u32 getPitch() const override { return 0; }
    dimension2di size{4, 4};
    int unlocks = 0;
};

}  // namespace

TEST_F(TextureTest, ColourKeyFailures) {
    LogCapture logs;
    driver->makeColorKeyTexture(nullptr, SColor(0));
    driver->makeColorKeyTextureAt(nullptr, vector2di(0, 0));
    EXPECT_TRUE(logs.lines().empty());

    driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, true);
    CMemoryTexture* rgb = textureOf(1, 1, {0xFF102030u});
    ASSERT_EQ(rgb->getColorFormat(), ECF_R8G8B8);
    driver->makeColorKeyTexture(rgb, SColor(0xFF102030u));
    driver->makeColorKeyTextureAt(rgb, vector2di(0, 0));
    EXPECT_EQ(logs.lines().size(), 2u);
    EXPECT_TRUE(logs.contains("Error: Unsupported texture color format for making color key channel.",
                              LogError));
    EXPECT_EQ(rgb->getUploadCount(), 1u);
    EXPECT_EQ(pixel(rgb, 0, 0), 0xFF102030u);

    UnlockableTexture locked;
    driver->makeColorKeyTexture(&locked, SColor(0));
    EXPECT_TRUE(logs.contains("Could not lock texture for making color key channel.", LogError));
    EXPECT_EQ(locked.unlocks, 0);
}

TEST_F(TextureTest, TexturesFromFilesAndData) {
    LogCapture logs;  // the loaders report the file that holds no image
    // A PNG written by the engine's own writer, then opened by name.
    CImage* image = makeImage(2, 2, {0xFF0000FFu, 0x00000000u, 0x80FF0000u, 0xFF00FF00u});
    auto* written = new CVirtualFile("picture.png");
    ASSERT_TRUE(getImageManager().writeImage(image, written));
    image->drop();

    struct FileDriver : CMemoryTextureDriver {
        FileDriver() : CMemoryTextureDriver(SDeviceParameters(), nullptr) {}
        IReadableFile* createAndOpenFile(const c8* name) override {
            names.push_back(name);
            if (stringc(name) != "picture.png" || !file) return nullptr;
            file->grab();
            return file;
        }
        IReadableFile* file = nullptr;
        std::vector<std::string> names;
    } files;
    files.file = written;
    ITexture* t = files.createTextureFromFile("picture.png");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getOriginalSize(), dimension2di(2, 2));
    EXPECT_FALSE(t->isPixelOpaque(1, 0, 0));
    EXPECT_TRUE(t->isPixelOpaque(0, 1, 127));
    EXPECT_EQ(written->getReferenceCount(), 1);  // the driver released the file
    t->drop();
    EXPECT_EQ(files.createTextureFromFile("missing.png"), nullptr);
    EXPECT_EQ(files.createTextureFromFile(nullptr), nullptr);

    // A file that holds no image.
    static char junk[] = "not an image at all";
    files.file = new CMemoryFile(junk, sizeof(junk), "picture.png", false);
    EXPECT_EQ(files.createTextureFromFile("picture.png"), nullptr);
    EXPECT_EQ(files.file->getReferenceCount(), 1);
    files.file->drop();
    written->drop();

    // Images over the caller's data: copied, or the caller's block itself.
    u32 data[4] = {0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u};
    CImage* copy = driver->createImageFromData(ECF_A8R8G8B8, dimension2di(2, 2), data, false);
    CImage* over = driver->createImageFromData(ECF_A8R8G8B8, dimension2di(2, 2), data, true, false);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(over, nullptr);
    data[3] = 0xFF0000FFu;
    EXPECT_EQ(copy->getPixel(1, 1), 0xFF000004u);
    EXPECT_EQ(over->getPixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(over->getContentManager(), nullptr);
    EXPECT_TRUE(over->getName().empty());
    copy->drop();
    over->drop();
    EXPECT_EQ(driver->createImageFromData(ECF_A8R8G8B8, dimension2di(2, 2), nullptr), nullptr);
}
