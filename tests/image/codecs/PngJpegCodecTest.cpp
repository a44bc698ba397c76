#include <cstdlib>
#include <cstring>

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecs.h"
#include "tests/support/TestSupport.h"
#include "tests/image/ImageFixtures.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// Mean absolute channel difference between two images of the same size.
double meanDifference(const CImage& a, const CImage& b) {
    double sum = 0;
    const s32 w = a.getDimension().Width, h = a.getDimension().Height;
    for (s32 y = 0; y < h; ++y)
        for (s32 x = 0; x < w; ++x) {
            const u32 p = a.getPixel(x, y), q = b.getPixel(x, y);
            for (int s = 0; s < 24; s += 8)
                sum += std::abs(static_cast<int>((p >> s) & 0xFF) - static_cast<int>((q >> s) & 0xFF));
        }
    return sum / (3.0 * w * h);
}

// Rewrites the CRC of the PNG chunk starting at offset (its length field).
void fixChunkCrc(Bytes& png, size_t offset) {
    const u32 length = (png[offset] << 24) | (png[offset + 1] << 16) | (png[offset + 2] << 8) | png[offset + 3];
    const uLong crc = crc32(0, &png[offset + 4], length + 4);
    for (int i = 0; i < 4; ++i) png[offset + 8 + length + i] = static_cast<u8>(crc >> (24 - 8 * i));
}

}  // namespace

TEST(PngCodec, LoadsEveryColourTypeAsEightBitRgb) {
    const struct {
        const char* what;
        int colorType, bitDepth;
        bool interlaced, transparency;
        ECOLOR_FORMAT format;
    } cases[] = {
        {"rgb", PNG_COLOR_TYPE_RGB, 8, false, false, ECF_R8G8B8},
        {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, ECF_A8R8G8B8},
        {"rgba interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false, ECF_A8R8G8B8},
        {"rgb 16-bit", PNG_COLOR_TYPE_RGB, 16, false, false, ECF_R8G8B8},
        {"rgb 16-bit interlaced", PNG_COLOR_TYPE_RGB, 16, true, false, ECF_R8G8B8},
        {"grey", PNG_COLOR_TYPE_GRAY, 8, false, false, ECF_R8G8B8},
        {"grey 2-bit", PNG_COLOR_TYPE_GRAY, 2, false, false, ECF_R8G8B8},
        {"grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false, ECF_A8R8G8B8},
        {"palette", PNG_COLOR_TYPE_PALETTE, 4, false, false, ECF_R8G8B8},
        {"palette 1-bit interlaced", PNG_COLOR_TYPE_PALETTE, 1, true, false, ECF_R8G8B8},
        {"palette with transparency", PNG_COLOR_TYPE_PALETTE, 8, false, true, ECF_A8R8G8B8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const s32 w = 13, h = 9;
        const Bytes file = makePng(w, h, c.colorType, c.bitDepth, c.interlaced, c.transparency);
        ASSERT_FALSE(file.empty());
        auto image = loadFromBytes(CImageLoaderPNG(), file, "fixture.png");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getColorFormat(), c.format);
        ASSERT_EQ(image->getDimension(), dimension2di(w, h));
        for (s32 y = 0; y < h; ++y) {
            for (s32 x = 0; x < w; ++x) {
                const u32 p = patternColor(x, y);
                u32 expected;
                if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
                    const s32 index = (x + y) % (1 << (c.bitDepth < 4 ? c.bitDepth : 4));
                    expected = patternColor(index, index / 2);
                    if (c.transparency && index == 1) expected = (expected & 0xFFFFFF) | 0x80000000u;
                } else if (c.colorType == PNG_COLOR_TYPE_GRAY || c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                    u32 g = (p >> 8) & 0xFF;
                    if (c.bitDepth == 2) g = (g >> 6) * 0x55;  // 2-bit levels widened to 8 bits
                    expected = (g << 16) | (g << 8) | g |
                               (c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? (0xFFu - x) << 24 : 0xFF000000u);
                } else {
                    expected = (p & 0xFFFFFF) |
                               (c.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? (0xFFu - x) << 24 : 0xFF000000u);
                }
                ASSERT_EQ(image->getPixel(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST(PngCodec, BadFilesFailWithALogLine) {
    const Bytes good = makePng(16, 16, PNG_COLOR_TYPE_RGB, 8, false);
    Bytes badSignature = good;
    badSignature[1] = 'Q';
    const Bytes truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    Bytes badCrc = good;
    badCrc[20] ^= 0x40;  // inside IHDR
    Bytes huge = good;    // IHDR width 20000, valid CRC
    huge[16] = 0; huge[17] = 0; huge[18] = 0x4E; huge[19] = 0x20;
    fixChunkCrc(huge, 8);
    Bytes zeroWidth = good;
    zeroWidth[16] = zeroWidth[17] = zeroWidth[18] = zeroWidth[19] = 0;
    fixChunkCrc(zeroWidth, 8);
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"short", Bytes(good.begin(), good.begin() + 7), "LOAD PNG: can't read file\n"},
        {"signature", badSignature, "LOAD PNG: not really a png\n"},
        {"truncated", truncated, "PNG FATAL ERROR"},
        {"header crc", badCrc, "PNG FATAL ERROR"},
        {"too wide", huge, "PNG FATAL ERROR"},
        {"zero width", zeroWidth, "PNG FATAL ERROR"},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderPNG(), c.bytes, "bad.png")) << c.what;
        EXPECT_TRUE(log.contains(c.message, LogError)) << c.what;
    }
    EXPECT_EQ(CImageLoaderPNG().loadImage(nullptr, CCreationContext()), nullptr);
}

TEST(PngCodec, WriteThenReadGivesThePicture) {
    const struct {
        ECOLOR_FORMAT written, read;
    } cases[] = {
        {ECF_A1R5G5B5, ECF_A8R8G8B8},
        {ECF_R5G6B5, ECF_R8G8B8},
        {ECF_R8G8B8, ECF_R8G8B8},
        {ECF_A8R8G8B8, ECF_A8R8G8B8},
    };
    for (const auto& c : cases) {
        auto picture = makePatternImage(c.written, 11, 7);
        picture->setPixel(3, 2, 0x00E70818);   // transparent
        picture->setPixel(4, 2, 0x80E70818);   // half (1-bit alpha: opaque)
        const Bytes file = writeToBytes(CImageWriterPNG(), picture.get(), "out.png");
        ASSERT_FALSE(file.empty());
        auto back = loadFromBytes(CImageLoaderPNG(), file, "out.png");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->getColorFormat(), c.read);
        for (s32 y = 0; y < 7; ++y)
            for (s32 x = 0; x < 11; ++x)
                ASSERT_EQ(back->getPixel(x, y), picture->getPixel(x, y)) << c.written << " " << x << "," << y;
    }
}

TEST(PngCodec, WriterFailuresGiveFalse) {
    auto picture = makePatternImage(ECF_A8R8G8B8, 64, 64);
    EXPECT_FALSE(CImageWriterPNG().writeImage(nullptr, picture.get(), 0));
    u8 small[100];
    auto file = makeRef<CMemoryFile>(small, sizeof(small), "full.png", false);
    LogCapture log;
    EXPECT_FALSE(CImageWriterPNG().writeImage(file.get(), picture.get(), 0));
    EXPECT_TRUE(log.contains("PNG FATAL ERROR", LogError));
    EXPECT_FALSE(CImageWriterPNG().writeImage(file.get(), nullptr, 0));
}

TEST(JpegCodec, WriteThenReadStaysClose) {
    for (ECOLOR_FORMAT format : {ECF_A1R5G5B5, ECF_R5G6B5, ECF_R8G8B8, ECF_A8R8G8B8}) {
        auto gradient = makeGradientImage(40, 30);
        CImage picture(CCreationContext(), format, gradient.get());
        const Bytes file = writeToBytes(CImageWriterJPG(), &picture, "shot.jpg", 95);
        ASSERT_GT(file.size(), 2u);
        EXPECT_EQ(file[0], 0xFF);
        EXPECT_EQ(file[1], 0xD8);
        auto back = loadFromBytes(CImageLoaderJPG(), file, "shot.jpg");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->getColorFormat(), ECF_R8G8B8);
        ASSERT_EQ(back->getDimension(), dimension2di(40, 30));
        EXPECT_LT(meanDifference(*back, picture), 3.0) << format;
    }
}

TEST(JpegCodec, QualityZeroMeansSeventyFive) {
    auto picture = makeGradientImage(32, 32);
    const Bytes zero = writeToBytes(CImageWriterJPG(), picture.get(), "q.jpg", 0);
    const Bytes q75 = writeToBytes(CImageWriterJPG(), picture.get(), "q.jpg", 75);
    const Bytes q90 = writeToBytes(CImageWriterJPG(), picture.get(), "q.jpg", 90);
    ASSERT_FALSE(zero.empty());
    EXPECT_EQ(zero, q75);
    EXPECT_NE(zero, q90);
}

TEST(JpegCodec, CompressedDataLargerThanThePictureIsWritten) {
    // Noise at full quality: the file is several times the raw picture's 8 × 8 × 3 bytes.
    auto noise = makeRef<CImage>(CCreationContext(), ECF_R8G8B8, dimension2di(8, 8));
    u32 seed = 12345;
    for (s32 y = 0; y < 8; ++y)
        for (s32 x = 0; x < 8; ++x) {
            seed = seed * 1103515245u + 12345u;
            const u32 grey = (seed >> 16) & 0xFF;  // grey: no colour lost to chroma subsampling
            noise->setPixel(x, y, (grey << 16) | (grey << 8) | grey);
        }
    const Bytes file = writeToBytes(CImageWriterJPG(), noise.get(), "noise.jpg", 100);
    ASSERT_GT(file.size(), 8u * 8 * 3);
    auto back = loadFromBytes(CImageLoaderJPG(), file, "noise.jpg");
    ASSERT_TRUE(back);
    EXPECT_LT(meanDifference(*back, *noise), 12.0);
}

TEST(JpegCodec, WidePicturesKeepTheirRows) {
    // 22000 × 3 bytes per row do not fit 16 bits.
    auto picture = makeRef<CImage>(CCreationContext(), ECF_R8G8B8, dimension2di(22000, 2));
    picture->fill(0);
    for (s32 x = 0; x < 22000; ++x) {
        picture->setPixel(x, 0, x < 11000 ? 0xFF204060 : 0xFFE0C0A0);
        picture->setPixel(x, 1, x < 11000 ? 0xFF204060 : 0xFFE0C0A0);
    }
    const Bytes file = writeToBytes(CImageWriterJPG(), picture.get(), "wide.jpg", 90);
    auto back = loadFromBytes(CImageLoaderJPG(), file, "wide.jpg");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->getDimension(), dimension2di(22000, 2));
    EXPECT_LT(meanDifference(*back, *picture), 4.0);
}

TEST(JpegCodec, ProgressiveAndGreyFilesLoad) {
    const Bytes baseline = makeJpeg(48, 40, false);
    const Bytes progressive = makeJpeg(48, 40, true);
    const Bytes grey = makeJpeg(48, 40, false, true);
    auto a = loadFromBytes(CImageLoaderJPG(), baseline, "a.jpg");
    auto b = loadFromBytes(CImageLoaderJPG(), progressive, "b.jpg");
    auto g = loadFromBytes(CImageLoaderJPG(), grey, "g.jpg");
    ASSERT_TRUE(a && b && g);
    EXPECT_EQ(b->getDimension(), dimension2di(48, 40));
    EXPECT_LT(meanDifference(*a, *b), 1.5);
    EXPECT_LT(meanDifference(*a, *makeGradientImage(48, 40)), 4.0);
    EXPECT_EQ(g->getColorFormat(), ECF_R8G8B8);
    const u32 p = g->getPixel(10, 20);
    EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);  // grey: red = green = blue
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
}

TEST(JpegCodec, TruncatedFileEndsWithAWarning) {
    const Bytes full = makeJpeg(64, 64, false);
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(full.size() * 2 / 3));
    LogCapture log;
    auto image = loadFromBytes(CImageLoaderJPG(), cut, "cut.jpg");
    ASSERT_TRUE(image);  // what was there is decoded
    EXPECT_EQ(image->getDimension(), dimension2di(64, 64));
    EXPECT_TRUE(log.contains("JPEG WARNING", LogWarning));

    // A progressive file cut anywhere ends: with a picture and a warning, or with an error
    // when the cut falls inside a table.
    const Bytes progressive = makeJpeg(64, 64, true);
    for (size_t length = 0; length < progressive.size(); length += 5) {
        const Bytes part(progressive.begin(), progressive.begin() + static_cast<long>(length));
        LogCapture partLog;
        auto partImage = loadFromBytes(CImageLoaderJPG(), part, "cut.jpg");
        if (partImage)
            EXPECT_TRUE(partLog.contains("JPEG WARNING", LogWarning)) << length;
        else
            EXPECT_FALSE(partLog.lines().empty()) << length;
    }
}

TEST(JpegCodec, CorruptFilesFailWithALogLine) {
    Bytes badMarker = makeJpeg(16, 16, false);
    // Replace the start-of-frame marker by an unknown one.
    for (size_t i = 2; i + 1 < badMarker.size(); ++i)
        if (badMarker[i] == 0xFF && badMarker[i + 1] == 0xC0) {
            badMarker[i + 1] = 0xCF;  // arithmetic lossless: unsupported
            break;
        }
    const Bytes headerOnly(badMarker.begin(), badMarker.begin() + 20);
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"not a jpeg", toBytes("this is not a picture at all")},
        {"unsupported frame", badMarker},
        {"header only", headerOnly},
        {"empty", Bytes()},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderJPG(), c.bytes, "bad.jpg")) << c.what;
        EXPECT_FALSE(log.lines().empty()) << c.what;
        for (const auto& line : log.lines()) EXPECT_GE(line.level, LogWarning) << c.what;
    }
}

TEST(JpegCodec, ContentTestReadsJfifAtOffsetSix) {
    const Bytes jfif = makeJpeg(8, 8, false);
    Bytes swapped = jfif;
    std::memcpy(&swapped[6], "FIFJ", 4);
    Bytes other = jfif;
    std::memcpy(&other[6], "Exif", 4);
    const struct {
        const Bytes* bytes;
        bool accepted;
    } cases[] = {{&jfif, true}, {&swapped, true}, {&other, false}};
    for (const auto& c : cases) {
        Bytes copy = *c.bytes;
        auto file = makeRef<CMemoryFile>(copy.data(), static_cast<s32>(copy.size()), "x", false);
        EXPECT_EQ(CImageLoaderJPG().canLoadContent(file.get()), c.accepted);
    }
    EXPECT_FALSE(CImageLoaderJPG().canLoadExtension("photo.jpeg"));
    EXPECT_TRUE(CImageWriterJPG().canWriteExtension("photo.JPEG"));
}

TEST(JpegCodec, WriterFailuresGiveFalse) {
    auto picture = makeGradientImage(64, 64);
    u8 small[64];
    auto file = makeRef<CMemoryFile>(small, sizeof(small), "full.jpg", false);
    EXPECT_FALSE(CImageWriterJPG().writeImage(file.get(), picture.get(), 80));
    EXPECT_FALSE(CImageWriterJPG().writeImage(nullptr, picture.get(), 80));
    EXPECT_FALSE(CImageWriterJPG().writeImage(file.get(), nullptr, 80));
}
