#include <cstring>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecs.h"
#include "tests/support/TestSupport.h"
#include "tests/image/ImageFixtures.h"

using namespace oskel;
using namespace oskel::test;

namespace {

u32 opaque16(u32 rgb) {
    return CColorConverter::A1R5G5B5toA8R8G8B8(CColorConverter::A8R8G8B8toA1R5G5B5(rgb | 0xFF000000u));
}

std::vector<u32> pcxPalette() {
    std::vector<u32> palette(256);
    for (u32 i = 0; i < 256; ++i) palette[i] = patternColor(static_cast<s32>(i), static_cast<s32>(i / 8)) & 0xFFFFFF;
    return palette;
}

// An 8-bit PCX of width × height with lines of bytesPerLine (padding 0xEE), with runs.
PcxLayout pcx8(u16 width, u16 height, u16 bytesPerLine) {
    PcxLayout layout;
    layout.xMin = 10;
    layout.yMin = 20;
    layout.xMax = static_cast<u16>(10 + width - 1);
    layout.yMax = static_cast<u16>(20 + height - 1);
    layout.bytesPerLine = bytesPerLine;
    for (u32 y = 0; y < height; ++y)
        for (u32 x = 0; x < bytesPerLine; ++x)
            layout.lines.push_back(x < width ? static_cast<u8>((x / 4 + y * 37) % 256) : 0xEE);
    layout.palette = pcxPalette();
    return layout;
}

}  // namespace

TEST(PcxCodec, LoadsEightBitAndSinglePlaneTwentyFourBit) {
    // 8-bit, odd width with a padded line; indices above 0xC0 need run packets.
    const PcxLayout layout = pcx8(9, 7, 10);
    auto image = loadFromBytes(CImageLoaderPCX(), makePcx(layout), "pic.pcx");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getColorFormat(), ECF_A1R5G5B5);
    ASSERT_EQ(image->getDimension(), dimension2di(9, 7));
    const auto palette = pcxPalette();
    for (s32 y = 0; y < 7; ++y)
        for (s32 x = 0; x < 9; ++x) ASSERT_EQ(image->getPixel(x, y), opaque16(palette[(x / 4 + y * 37) % 256]));

    PcxLayout rgb;
    rgb.bits = 24;
    rgb.xMax = 4;
    rgb.yMax = 2;
    rgb.bytesPerLine = 16;  // 15 bytes of pixels and one of padding
    for (s32 y = 0; y < 3; ++y) {
        for (s32 x = 0; x < 5; ++x) {
            const u32 p = patternColor(x, y);
            rgb.lines.insert(rgb.lines.end(), {static_cast<u8>(p >> 16), static_cast<u8>(p >> 8), static_cast<u8>(p)});
        }
        rgb.lines.push_back(0x99);
    }
    image = loadFromBytes(CImageLoaderPCX(), makePcx(rgb), "rgb.pcx");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getColorFormat(), ECF_R8G8B8);
    for (s32 y = 0; y < 3; ++y)
        for (s32 x = 0; x < 5; ++x) ASSERT_EQ(image->getPixel(x, y), patternColor(x, y));
}

TEST(PcxCodec, RunsStopAtThePictureEnd) {
    PcxLayout layout = pcx8(4, 2, 4);
    Bytes file = makePcx(layout);
    // Replace the data by two runs of 63 bytes: far more than the 8 the picture holds.
    Bytes runs = {0xFF, 5, 0xFF, 6};
    file.erase(file.begin() + 128, file.end() - 769);
    file.insert(file.begin() + 128, runs.begin(), runs.end());
    auto image = loadFromBytes(CImageLoaderPCX(), file, "runs.pcx");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getPixel(3, 1), opaque16(pcxPalette()[5]));
}

TEST(PcxCodec, BadFilesFailWithALogLine) {
    const PcxLayout good = pcx8(6, 4, 6);
    auto variant = [&](auto change) {
        PcxLayout layout = good;
        change(layout);
        return makePcx(layout);
    };
    Bytes notPcx = makePcx(good);
    notPcx[2] = 0;  // not run-length encoded
    const Bytes file = makePcx(good);
    Bytes shortData = file;
    shortData.erase(shortData.begin() + 130, shortData.end() - 769);
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
        s32 level;
    } cases[] = {
        {"4 bits", variant([](PcxLayout& s) { s.bits = 4; }), "Unsupported bits per pixel in PCX file.", LogWarning},
        {"three 8-bit planes", variant([](PcxLayout& s) { s.planes = 3; }), nullptr, LogError},
        {"x max below x min", variant([](PcxLayout& s) { s.xMax = 2; }), nullptr, LogError},
        {"y max below y min", variant([](PcxLayout& s) { s.yMax = 0; }), nullptr, LogError},
        {"lines shorter than the picture", variant([](PcxLayout& s) { s.bytesPerLine = 3; }), nullptr, LogError},
        {"too short for the palette", Bytes(file.begin(), file.begin() + 700), nullptr, LogError},
        {"data ends early", shortData, nullptr, LogError},
        {"short header", Bytes(file.begin(), file.begin() + 100), nullptr, LogError},
        {"not run-length", notPcx, nullptr, LogError},
        {"huge", variant([](PcxLayout& s) { s.xMax = 60000; s.yMax = 60000; s.bytesPerLine = 60001; }), nullptr, LogError},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderPCX(), c.bytes, "bad.pcx")) << c.what;
        if (c.message)
            EXPECT_TRUE(log.contains(c.message, c.level)) << c.what;
        else
            EXPECT_FALSE(log.lines().empty()) << c.what;
    }
}

TEST(PcxCodec, WriterLogsAndFails) {
    auto picture = makePatternImage(ECF_R8G8B8, 2, 2);
    auto file = makeRef<CVirtualFile>("out.pcx");
    LogCapture log;
    EXPECT_FALSE(CImageWriterPCX().writeImage(file.get(), picture.get(), 0));
    EXPECT_TRUE(log.contains("PCX writer not yet implemented. Image not written.", LogWarning));
    EXPECT_EQ(file->getSize(), 0);
}

TEST(PpmCodec, LoadsEveryKind) {
    Bytes p6 = toBytes("P6\n# comment\n3 1\n255\n");
    p6.insert(p6.end(), {255, 0, 0, 10, 32, 35, 0, 0, 255});  // samples that look like whitespace and '#'
    Bytes p5 = toBytes("P5 2 2 200\n");
    p5.insert(p5.end(), {9, 200, 250, 13});
    Bytes p4 = toBytes("P4\n10 2\n");
    p4.insert(p4.end(), {0x80, 0x40, 0xFF, 0xC0});
    const struct {
        const char* what;
        Bytes bytes;
        ECOLOR_FORMAT format;
        s32 width, height;
        std::vector<u32> pixels;
    } cases[] = {
        {"P6", p6, ECF_A8R8G8B8, 3, 1, {0xFFFF0000, 0xFF0A2023, 0xFF0000FF}},
        {"P3 with comments", toBytes("P3\n#c\n2 1 # size\n255\n1 2 3 #x\n 40 50 60\n"), ECF_A8R8G8B8, 2, 1,
         {0xFF010203, 0xFF28323C}},
        {"P2 clamped to the maximum", toBytes("P2\n2 2\n100\n0 50\n100 200\n"), ECF_A8R8G8B8, 2, 2,
         {0xFF000000, 0xFF323232, 0xFF646464, 0xFF646464}},
        {"P5 clamped", p5, ECF_A8R8G8B8, 2, 2, {0xFF090909, 0xFFC8C8C8, 0xFFC8C8C8, 0xFF0D0D0D}},
        {"P1: 1 is black", toBytes("P1\n3 2\n1 0 1\n001\n"), ECF_A1R5G5B5, 3, 2,
         {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto image = loadFromBytes(CImageLoaderPPM(), c.bytes, "pic.ppm");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getColorFormat(), c.format);
        ASSERT_EQ(image->getDimension(), dimension2di(c.width, c.height));
        for (s32 i = 0; i < c.width * c.height; ++i)
            EXPECT_EQ(image->getPixel(i % c.width, i / c.width), c.pixels[i]) << i;
    }
    auto bitmap = loadFromBytes(CImageLoaderPPM(), p4, "pic.pbm");
    ASSERT_TRUE(bitmap);
    const char* expected[2] = {"BWWWWWWWWB", "BBBBBBBBBB"};
    for (s32 y = 0; y < 2; ++y)
        for (s32 x = 0; x < 10; ++x)
            EXPECT_EQ(bitmap->getPixel(x, y), expected[y][x] == 'B' ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
}

TEST(PpmCodec, BadFilesFailWithALogLine) {
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"eleven bytes", toBytes("P6 1 1 255\n")},
        {"not P", toBytes("Q6\n1 1\n255\nabc")},
        {"P7", toBytes("P7\n1 1\n255\nabc")},
        {"maximum above 255", toBytes("P3\n1 1\n300\n1 2 3\n")},
        {"maximum of 0", toBytes("P2\n1 1\n0\n0 \n")},
        {"truncated P6", toBytes("P6\n4 4\n255\nabcdefgh")},
        {"truncated P3", toBytes("P3\n2 2\n255\n1 2 3 4 5 6\n")},
        {"sample not a number", toBytes("P2\n2 1\n255\n1 x2 \n")},
        {"size overflow", toBytes("P6\n4294967295 4294967295\n255\nabc")},
        {"size beyond 32 bits", toBytes("P6\n99999999999 1\n255\nabc")},
        {"huge but short", toBytes("P5\n16000 16000\n255\nabcdef")},
        {"no size", toBytes("P6\n#only a comment\n")},
        {"P1 bad digit", toBytes("P1\n2 2\n1 0 2 1\n")},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderPPM(), c.bytes, "bad.ppm")) << c.what;
        EXPECT_FALSE(log.lines().empty()) << c.what;
    }
}

TEST(PpmCodec, WritesAsciiPixmapsThatReadBack) {
    auto picture = makePatternImage(ECF_A8R8G8B8, 4, 4);
    const Bytes file = writeToBytes(CImageWriterPPM(), picture.get(), "out.ppm");
    const std::string text(file.begin(), file.end());
    ASSERT_EQ(text.rfind("P3\n4 4\n255\n", 0), 0u);
    // Sixteen pixels: a line break after the 5th, 10th and 15th, two spaces after the others.
    std::string body = text.substr(11);
    size_t pixel = 0, at = 0;
    while (at < body.size()) {
        ASSERT_GE(body.size(), at + 11);
        at += 11;  // "rrr ggg bbb"
        ++pixel;
        const std::string separator = pixel % 5 == 0 ? "\n" : "  ";
        ASSERT_EQ(body.substr(at, separator.size()), separator) << pixel;
        at += separator.size();
    }
    EXPECT_EQ(pixel, 16u);
    EXPECT_EQ(body.substr(0, 13), "000 000 008  ");
    auto back = loadFromBytes(CImageLoaderPPM(), file, "out.ppm");
    ASSERT_TRUE(back);
    for (s32 y = 0; y < 4; ++y)
        for (s32 x = 0; x < 4; ++x) ASSERT_EQ(back->getPixel(x, y), patternColor(x, y));
    u8 small[20];
    auto full = makeRef<CMemoryFile>(small, sizeof(small), "full.ppm", false);
    EXPECT_FALSE(CImageWriterPPM().writeImage(full.get(), picture.get(), 0));
}

TEST(WalCodec, LoadsThroughTheDefaultPalette) {
    const Bytes indices = {0, 1, 7, 255, 128, 248};
    auto image = loadFromBytes(CImageLoaderWAL(), makeWal(3, 2, indices), "wall.wal");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getColorFormat(), ECF_A1R5G5B5);
    ASSERT_EQ(image->getDimension(), dimension2di(3, 2));
    const u32 expected[] = {0x000000, 0x0F0F0F, 0x6B6B6B, 0x9F5B53, DefaultWalPalette[128], 0xC37353};
    for (s32 i = 0; i < 6; ++i) EXPECT_EQ(image->getPixel(i % 3, i / 3), opaque16(expected[i])) << i;
    EXPECT_EQ(DefaultWalPalette[5], 0x4B4B4Bu);
    EXPECT_EQ(DefaultWalPalette[251], 0xEBD3C7u);

    const struct {
        const char* what;
        Bytes bytes;
    } bad[] = {
        {"short header", Bytes(50, 0)},
        {"pixels missing", makeWal(3, 2, Bytes{1, 2, 3})},
        {"offset beyond the file", makeWal(1, 1, Bytes{1}, 5000)},
        {"size overflow", makeWal(0x80000000u, 0x80000000u, Bytes{1})},
        {"zero size", makeWal(0, 5, Bytes{1})},
    };
    for (const auto& c : bad) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderWAL(), c.bytes, "bad.wal")) << c.what;
        EXPECT_FALSE(log.lines().empty()) << c.what;
    }
    Bytes any = makeWal(3, 2, indices);
    auto file = makeRef<CMemoryFile>(any.data(), static_cast<s32>(any.size()), "x.wal", false);
    EXPECT_FALSE(CImageLoaderWAL().canLoadContent(file.get()));
}
