#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/CColorConverter.h"
#include "engine/image/CImage.h"
#include "tests/image/ImageFixtures.h"

using namespace oskel;
using namespace oskel::test;

namespace {

CRefPtr<CImage> makeImage(ECOLOR_FORMAT format, s32 w, s32 h) {
    return makeRef<CImage>(CCreationContext(), format, dimension2di(w, h));
}

const ECOLOR_FORMAT AllFormats[] = {ECF_A1R5G5B5, ECF_R5G6B5, ECF_R8G8B8, ECF_A8R8G8B8};

}  // namespace

TEST(Image, FormatsGiveTheirSizesAndMasks) {
    const struct {
        ECOLOR_FORMAT format;
        u32 bits, alpha, red, green, blue;
    } cases[] = {
        {ECF_A1R5G5B5, 16, 0x8000, 0x7C00, 0x03E0, 0x001F},
        {ECF_R5G6B5, 16, 0, 0xF800, 0x07E0, 0x001F},
        {ECF_R8G8B8, 24, 0, 0xFF0000, 0x00FF00, 0x0000FF},
        {ECF_A8R8G8B8, 32, 0xFF000000, 0xFF0000, 0x00FF00, 0x0000FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        auto image = makeImage(c.format, 5, 3);
        EXPECT_EQ(CImage::getBitsPerPixel(c.format), c.bits);
        EXPECT_EQ(image->getBitsPerPixel(), c.bits);
        EXPECT_EQ(image->getBytesPerPixel(), c.bits / 8);
        EXPECT_EQ(image->getPitch(), 5 * c.bits / 8);
        EXPECT_EQ(image->getImageDataSizeInBytes(), 15 * c.bits / 8);
        EXPECT_EQ(image->getAlphaMask(), c.alpha);
        EXPECT_EQ(image->getRedMask(), c.red);
        EXPECT_EQ(image->getGreenMask(), c.green);
        EXPECT_EQ(image->getBlueMask(), c.blue);
        EXPECT_EQ(image->getTypeCode(), TypeCodeImage);
        EXPECT_EQ(image->getSharingFlags(), static_cast<u32>(ERF_SHARED));
    }
    EXPECT_EQ(CImage::getBitsPerPixel(irr::video::ECF_R16F), 0u);
    EXPECT_EQ(CImage::getBitsPerPixel(ECF_UNKNOWN), 0u);
}

TEST(Image, BlankImageIsZeroFilled) {
    for (ECOLOR_FORMAT format : AllFormats) {
        auto image = makeImage(format, 33, 17);
        const u8* data = static_cast<const u8*>(image->lock());
        ASSERT_NE(data, nullptr);
        size_t nonZero = 0;
        for (u32 i = 0; i < image->getImageDataSizeInBytes(); ++i) nonZero += data[i] != 0;
        EXPECT_EQ(nonZero, 0u) << "format " << format;
    }
}

TEST(Image, SizesOutsideTheRuleGiveAnEmptyImage) {
    const struct {
        ECOLOR_FORMAT format;
        s32 w, h;
    } cases[] = {
        {ECF_A8R8G8B8, 0, 10},       {ECF_A8R8G8B8, 10, -1},      {ECF_A8R8G8B8, -70000, -70000},
        {ECF_A8R8G8B8, 32769, 1},    {ECF_R8G8B8, 1, 32769},      {ECF_A8R8G8B8, 16384, 16384},
        {irr::video::ECF_R16F, 4, 4}, {ECF_UNKNOWN, 4, 4},
    };
    for (const auto& c : cases) {
        auto image = makeImage(c.format, c.w, c.h);
        EXPECT_EQ(image->lock(), nullptr) << c.w << "x" << c.h;
        EXPECT_EQ(image->getDimension(), dimension2di(0, 0));
        EXPECT_EQ(image->getPitch(), 0u);
        EXPECT_EQ(image->getPixel(0, 0), 0u);
        image->fill(0xFFFFFFFF);  // nothing to do, nothing to crash
    }
    EXPECT_TRUE(isImageSizeAllowed(16384, 4096, 4));
    EXPECT_FALSE(isImageSizeAllowed(16384, 4097, 4));
    // A lowered byte limit applies to every image; it cannot rise above the cap.
    setImageByteLimit(1024);
    EXPECT_TRUE(isImageSizeAllowed(16, 16, 4));
    EXPECT_FALSE(isImageSizeAllowed(16, 17, 4));
    EXPECT_EQ(makeImage(ECF_A8R8G8B8, 16, 17)->lock(), nullptr);
    setImageByteLimit(~0ull);
    EXPECT_EQ(getImageByteLimit(), MaxImageBytes);
    // Foreign memory that the image would own is freed when the size is refused (the leak
    // checker watches this).
    CImage refused(CCreationContext(), ECF_A8R8G8B8, dimension2di(-1, 5), new u8[16], true, true);
    EXPECT_EQ(refused.lock(), nullptr);
}

TEST(Image, ForeignAndCopiedMemory) {
    u8 block[2 * 2 * 4];
    for (u8 i = 0; i < sizeof(block); ++i) block[i] = i;
    {
        CImage over(CCreationContext(), ECF_A8R8G8B8, dimension2di(2, 2), block, true, false);
        EXPECT_EQ(over.lock(), block);
        over.setPixel(1, 1, 0xAABBCCDD);
        EXPECT_EQ(block[12], 0xDD);
    }
    CImage copy(CCreationContext(), ECF_A8R8G8B8, dimension2di(2, 2), block, false, false);
    EXPECT_NE(copy.lock(), block);
    EXPECT_EQ(std::memcmp(copy.lock(), block, sizeof(block)), 0);
    EXPECT_EQ(copy.getPixel(0, 0), 0x03020100u);

    auto source = makePatternImage(ECF_A8R8G8B8, 7, 5);
    CImage converted(CCreationContext(), ECF_R5G6B5, source.get());
    ASSERT_EQ(converted.getDimension(), dimension2di(7, 5));
    for (s32 y = 0; y < 5; ++y)
        for (s32 x = 0; x < 7; ++x) ASSERT_EQ(converted.getPixel(x, y), patternColor(x, y));
}

TEST(Image, PixelsReadBackPerFormat) {
    const struct {
        ECOLOR_FORMAT format;
        u32 written, read;
    } cases[] = {
        // 5-bit channels widen by replicating their high bits; 1-bit alpha reads 0 or 255.
        {ECF_A1R5G5B5, 0xFFFFFFFF, 0xFFFFFFFF},
        {ECF_A1R5G5B5, 0x80808080, 0xFF848484},
        {ECF_A1R5G5B5, 0x7F808080, 0x00848484},
        {ECF_A1R5G5B5, 0x01000000, 0x00000000},
        {ECF_A1R5G5B5, 0xC0F80800, 0xFFFF0800},
        {ECF_R5G6B5, 0x00FFFFFF, 0xFFFFFFFF},
        {ECF_R5G6B5, 0xFF808080, 0xFF848284},
        {ECF_R5G6B5, 0xFF0C0400, 0xFF080400},
        {ECF_R8G8B8, 0x12345678, 0xFF345678},
        {ECF_A8R8G8B8, 0x12345678, 0x12345678},
    };
    for (const auto& c : cases) {
        auto image = makeImage(c.format, 3, 2);
        image->setPixel(2, 1, c.written);
        EXPECT_EQ(image->getPixel(2, 1), c.read) << std::hex << c.written << " format " << c.format;
        EXPECT_EQ(image->getPixel(3, 0), 0u);
        EXPECT_EQ(image->getPixel(0, 2), 0u);
        EXPECT_EQ(image->getPixel(-1, 0), 0u);
    }
    // R8G8B8 keeps red, green, blue in that byte order.
    auto rgb = makeImage(ECF_R8G8B8, 1, 1);
    rgb->setPixel(0, 0, 0xFF112233);
    const u8* bytes = static_cast<const u8*>(rgb->lock());
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[2], 0x33);
}

TEST(ColorConverter, EveryFormatPairConvertsRows) {
    // Colours every format holds exactly, plus one that loses precision and its alpha.
    const u32 exact[] = {0xFF000000, 0xFFFFFFFF, 0xFFE70818, 0xFF10EFF7};
    for (ECOLOR_FORMAT from : AllFormats) {
        for (ECOLOR_FORMAT to : AllFormats) {
            SCOPED_TRACE(testing::Message() << from << " -> " << to);
            auto source = makeImage(from, 4, 1);
            auto target = makeImage(to, 4, 1);
            for (s32 x = 0; x < 4; ++x) source->setPixel(x, 0, exact[x]);
            CColorConverter::convertRow(source->lock(), from, 4, target->lock(), to);
            for (s32 x = 0; x < 4; ++x) EXPECT_EQ(target->getPixel(x, 0), exact[x]);
        }
    }
    // Alpha: 8-bit alpha of 128 or more keeps the 16-bit alpha bit; formats without alpha are
    // opaque when read.
    const u32 halfAlpha[] = {0x80FFFFFF, 0x7FFFFFFF};
    auto a8 = makeImage(ECF_A8R8G8B8, 2, 1);
    auto a1 = makeImage(ECF_A1R5G5B5, 2, 1);
    for (s32 x = 0; x < 2; ++x) a8->setPixel(x, 0, halfAlpha[x]);
    CColorConverter::convertRow(a8->lock(), ECF_A8R8G8B8, 2, a1->lock(), ECF_A1R5G5B5);
    EXPECT_EQ(a1->getPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(a1->getPixel(1, 0), 0x00FFFFFFu);
    auto r565 = makeImage(ECF_R5G6B5, 2, 1);
    CColorConverter::convertRow(a1->lock(), ECF_A1R5G5B5, 2, r565->lock(), ECF_R5G6B5);
    EXPECT_EQ(r565->getPixel(1, 0), 0xFFFFFFFFu);

    u16 out[10];
    const u8 bits[2] = {0xA0, 0x40};
    CColorConverter::convert1BitToA1R5G5B5(bits, 10, out);
    EXPECT_EQ(out[0], 0xFFFF);
    EXPECT_EQ(out[1], 0x8000);
    EXPECT_EQ(out[2], 0xFFFF);
    EXPECT_EQ(out[9], 0xFFFF);
    EXPECT_EQ(out[8], 0x8000);
    const u32 palette[2] = {0xFF0000, 0x0000FF};
    const u8 indices[3] = {0, 1, 7};
    CColorConverter::convert8BitToA1R5G5B5(indices, 3, out, palette, 2);
    EXPECT_EQ(out[0], 0xFC00);
    EXPECT_EQ(out[1], 0x801F);
    EXPECT_EQ(out[2], 0x8000);  // beyond the palette: opaque black
}

TEST(Image, FillPerFormat) {
    const u32 color = 0x80FF8040;
    const struct {
        ECOLOR_FORMAT format;
        u32 expected;
    } cases[] = {
        {ECF_A1R5G5B5, CColorConverter::A1R5G5B5toA8R8G8B8(0xFE08)},
        {ECF_R5G6B5, CColorConverter::R5G6B5toA8R8G8B8(0xFC08)},
        {ECF_A8R8G8B8, color},
    };
    EXPECT_EQ(CColorConverter::A8R8G8B8toA1R5G5B5(color), 0xFE08);
    EXPECT_EQ(CColorConverter::A8R8G8B8toR5G6B5(color), 0xFC08);
    for (const auto& c : cases) {
        auto image = makeImage(c.format, 5, 3);
        image->fill(color);
        for (s32 y = 0; y < 3; ++y)
            for (s32 x = 0; x < 5; ++x) ASSERT_EQ(image->getPixel(x, y), c.expected) << c.format;
    }
    auto rgb = makeImage(ECF_R8G8B8, 2, 2);
    rgb->setPixel(1, 1, 0xFF010203);
    rgb->fill(0xFFFFFFFF);
    EXPECT_EQ(rgb->getPixel(1, 1), 0xFF010203u);
    EXPECT_EQ(rgb->getPixel(0, 0), 0xFF000000u);
}

TEST(Image, FillOfAnOddSized16BitImageStaysInside) {
    // 3 × 3 × 2 = 18 bytes: not a whole number of 32-bit patterns.
    std::vector<u8> block(18 + 4, 0xEE);
    CImage image(CCreationContext(), ECF_R5G6B5, dimension2di(3, 3), block.data(), true, false);
    image.fill(0xFFFFFFFF);
    EXPECT_EQ(image.getPixel(2, 2), 0xFFFFFFFFu);
    for (size_t i = 18; i < block.size(); ++i) EXPECT_EQ(block[i], 0xEE) << i;
}

TEST(Image, CopyToImageClipsAndConverts) {
    auto source = makePatternImage(ECF_A8R8G8B8, 3, 3);
    const struct {
        s32 x, y;
    } positions[] = {{0, 0}, {2, 1}, {-1, -2}, {3, 3}, {-3, 0}, {0, 4}, {4, 4}};
    for (const auto& p : positions) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        auto target = makeImage(ECF_R5G6B5, 4, 4);
        target->fill(0xFF0000FF);
        source->copyToImage(target.get(), vector2di(p.x, p.y));
        for (s32 y = 0; y < 4; ++y) {
            for (s32 x = 0; x < 4; ++x) {
                const s32 sx = x - p.x, sy = y - p.y;
                const bool inside = sx >= 0 && sy >= 0 && sx < 3 && sy < 3;
                ASSERT_EQ(target->getPixel(x, y), inside ? patternColor(sx, sy) : 0xFF0000FFu) << x << "," << y;
            }
        }
    }
    source->copyToImage(nullptr, vector2di(0, 0));
}

TEST(Image, CopyToScaledPicksNearestPixels) {
    auto source = makePatternImage(ECF_A8R8G8B8, 4, 4);
    u32 out[4] = {};
    source->copyToScaled(out, 2, 2, ECF_A8R8G8B8);
    EXPECT_EQ(out[0], patternColor(0, 0));
    EXPECT_EQ(out[1], patternColor(2, 0));
    EXPECT_EQ(out[2], patternColor(0, 2));
    EXPECT_EQ(out[3], patternColor(2, 2));

    // Upscale with conversion: every target pixel is its source pixel.
    std::vector<u16> big(8 * 8);
    source->copyToScaled(big.data(), 8, 8, ECF_A1R5G5B5);
    for (s32 y = 0; y < 8; ++y)
        for (s32 x = 0; x < 8; ++x)
            ASSERT_EQ(CColorConverter::A1R5G5B5toA8R8G8B8(big[y * 8 + x]), patternColor(x / 2, y / 2));

    // Same format and size: a block copy, or rows with the rest of a wider pitch cleared.
    std::vector<u8> rows(4 * 20, 0xCD);
    source->copyToScaled(rows.data(), 4, 4, ECF_A8R8G8B8, 20);
    for (s32 y = 0; y < 4; ++y) {
        EXPECT_EQ(std::memcmp(&rows[y * 20], static_cast<const u8*>(source->lock()) + y * 16, 16), 0);
        for (s32 i = 16; i < 20; ++i) EXPECT_EQ(rows[y * 20 + i], 0) << y;
    }
}

TEST(Image, CopyToScaledLargeUpscaleStaysInTheSource) {
    // 1 → 8194 pixels: the accumulated float position reaches 1.0 before the last pixel.
    auto source = makePatternImage(ECF_A8R8G8B8, 1, 1);
    std::vector<u32> out(8194, 0);
    source->copyToScaled(out.data(), 8194, 1, ECF_A8R8G8B8);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], patternColor(0, 0)) << i;
}

TEST(Image, CopiesRefuseTargetsTheyWouldOverrun) {
    auto source = makePatternImage(ECF_A8R8G8B8, 4, 4);
    std::vector<u8> target(64, 0xAB);
    const std::vector<u8> untouched = target;
    // A pitch below the row length.
    source->copyToScaled(target.data(), 4, 4, ECF_A8R8G8B8, 8);
    source->copyToScaled(target.data(), 3, 3, ECF_A8R8G8B8, 11);
    source->copyToBuffer(target.data(), 4, 4, ECF_A8R8G8B8, 12);
    // Null memory, zero sizes, and a target one pixel narrower or lower than the image.
    source->copyToScaled(nullptr, 4, 4, ECF_A8R8G8B8);
    source->copyToScaled(target.data(), 0, 4, ECF_A8R8G8B8);
    source->copyToBuffer(target.data(), 3, 4, ECF_A8R8G8B8);
    source->copyToBuffer(target.data(), 4, 3, ECF_A8R8G8B8);
    source->copyToBuffer(target.data(), 4, 4, ECF_UNKNOWN);
    EXPECT_EQ(target, untouched);
}

TEST(Image, CopyToBufferPlacesTheImageTopLeft) {
    auto source = makePatternImage(ECF_A8R8G8B8, 3, 2);
    const struct {
        ECOLOR_FORMAT format;
        s32 width, height;
        u32 pitch;
    } cases[] = {
        {ECF_A8R8G8B8, 3, 2, 0},   // block copy
        {ECF_A8R8G8B8, 5, 4, 0},   // row by row
        {ECF_A8R8G8B8, 3, 3, 16},  // wider pitch
        {ECF_R8G8B8, 4, 3, 0},     // converted
        {ECF_A1R5G5B5, 6, 2, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.width << "x" << c.height);
        const u32 bpp = CImage::getBitsPerPixel(c.format) / 8;
        const u32 pitch = c.pitch ? c.pitch : c.width * bpp;
        std::vector<u8> target(pitch * c.height, 0x5A);
        source->copyToBuffer(target.data(), c.width, c.height, c.format, c.pitch);
        for (s32 y = 0; y < c.height; ++y) {
            for (s32 x = 0; x < c.width; ++x) {
                const u8* pixel = &target[y * pitch + x * bpp];
                if (x < 3 && y < 2) {
                    EXPECT_EQ(CColorConverter::readPixel(pixel, c.format), patternColor(x, y));
                } else {
                    for (u32 b = 0; b < bpp; ++b) EXPECT_EQ(pixel[b], 0x5A);  // rest kept
                }
            }
        }
    }
}
