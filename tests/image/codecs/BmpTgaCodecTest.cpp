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

// The 16-colour palette of the indexed fixtures.
std::vector<u32> testPalette(size_t count) {
    std::vector<u32> palette;
    for (size_t i = 0; i < count; ++i) palette.push_back(patternColor(static_cast<s32>(i), static_cast<s32>(i * 3)) & 0xFFFFFF);
    return palette;
}

// A 7 × 5 picture of palette indices (top row first).
std::vector<std::vector<u32>> indexRows(u32 modulo) {
    std::vector<std::vector<u32>> rows(5, std::vector<u32>(7));
    for (u32 y = 0; y < 5; ++y)
        for (u32 x = 0; x < 7; ++x) rows[y][x] = (x + 2 * y) % modulo;
    return rows;
}

u32 opaque16(u32 rgb) {
    return CColorConverter::A1R5G5B5toA8R8G8B8(CColorConverter::A8R8G8B8toA1R5G5B5(rgb | 0xFF000000u));
}

void expectIndexed(const CImage& image, const std::vector<std::vector<u32>>& rows, const std::vector<u32>& palette) {
    ASSERT_EQ(image.getColorFormat(), ECF_A1R5G5B5);
    ASSERT_EQ(image.getDimension(), dimension2di(7, 5));
    for (s32 y = 0; y < 5; ++y)
        for (s32 x = 0; x < 7; ++x) {
            const u32 index = rows[y][x];
            ASSERT_EQ(image.getPixel(x, y), index < palette.size() ? opaque16(palette[index]) : 0xFF000000u)
                << x << "," << y;
        }
}

// RLE8 codes for the 7 × 5 index picture, bottom row first: each row as one absolute run of 3
// and single runs, with a delta and an end of line in the middle.
Bytes rle8For(const std::vector<std::vector<u32>>& rows) {
    Bytes out;
    for (int r = 4; r >= 0; --r) {
        const auto& row = rows[r];
        out.insert(out.end(), {0, 3, static_cast<u8>(row[0]), static_cast<u8>(row[1]), static_cast<u8>(row[2]), 0});
        for (int x = 3; x < 7; ++x) out.insert(out.end(), {1, static_cast<u8>(row[x])});
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

Bytes rle4For(const std::vector<std::vector<u32>>& rows) {
    Bytes out;
    for (int r = 4; r >= 0; --r) {
        const auto& row = rows[r];
        // Absolute run of 5 nibbles (3 bytes, padded to 4), then a run of 2 alternating nibbles.
        out.insert(out.end(), {0, 5, static_cast<u8>(row[0] << 4 | row[1]), static_cast<u8>(row[2] << 4 | row[3]),
                               static_cast<u8>(row[4] << 4), 0});
        out.insert(out.end(), {2, static_cast<u8>(row[5] << 4 | row[6])});
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

}  // namespace

TEST(BmpCodec, LoadsEveryBitDepth) {
    // Indexed pictures.
    const struct {
        const char* what;
        u16 bits;
        u32 compression, headerSize;
        size_t paletteSize;
    } indexed[] = {
        {"4-bit", 4, 0, 40, 16}, {"8-bit", 8, 0, 40, 16}, {"RLE8", 8, 1, 40, 16},
        {"RLE4", 4, 2, 40, 16},  {"8-bit V5 header", 8, 0, 124, 16}, {"RLE8 V4 header", 8, 1, 108, 16},
        {"8-bit, indices beyond a short palette", 8, 0, 40, 5},
    };
    for (const auto& c : indexed) {
        SCOPED_TRACE(c.what);
        const auto rows = indexRows(16);
        BmpLayout layout;
        layout.width = 7;
        layout.height = 5;
        layout.bits = c.bits;
        layout.compression = c.compression;
        layout.headerSize = c.headerSize;
        layout.palette = testPalette(c.paletteSize);
        layout.data = c.compression == 1 ? rle8For(rows) : c.compression == 2 ? rle4For(rows) : packBmpRows(rows, c.bits);
        auto image = loadFromBytes(CImageLoaderBMP(), makeBmp(layout), "indexed.bmp");
        ASSERT_TRUE(image);
        expectIndexed(*image, rows, layout.palette);
    }

    // 1-bit: set bits white, clear bits black, whatever the palette.
    std::vector<std::vector<u32>> bits(3, std::vector<u32>(11));
    for (u32 y = 0; y < 3; ++y)
        for (u32 x = 0; x < 11; ++x) bits[y][x] = (x * 7 + y) % 3 == 0;
    BmpLayout mono;
    mono.width = 11;
    mono.height = 3;
    mono.bits = 1;
    mono.palette = {0x123456, 0x654321};
    mono.data = packBmpRows(bits, 1);
    auto monoImage = loadFromBytes(CImageLoaderBMP(), makeBmp(mono), "mono.bmp");
    ASSERT_TRUE(monoImage);
    for (s32 y = 0; y < 3; ++y)
        for (s32 x = 0; x < 11; ++x)
            ASSERT_EQ(monoImage->getPixel(x, y), bits[y][x] ? 0xFFFFFFFFu : 0xFF000000u);

    // True colour: 16, 24, 32 bits; rows come out top row first.
    const struct {
        u16 bits;
        ECOLOR_FORMAT format;
    } direct[] = {{16, ECF_A1R5G5B5}, {24, ECF_R8G8B8}, {32, ECF_A8R8G8B8}};
    for (const auto& c : direct) {
        SCOPED_TRACE(c.bits);
        std::vector<std::vector<u32>> rows(4, std::vector<u32>(5));
        for (s32 y = 0; y < 4; ++y)
            for (s32 x = 0; x < 5; ++x) {
                const u32 p = patternColor(x, y);
                rows[y][x] = c.bits == 16 ? CColorConverter::A8R8G8B8toA1R5G5B5(p) : c.bits == 24 ? (p & 0xFFFFFF) : p;
            }
        BmpLayout layout;
        layout.width = 5;
        layout.height = 4;
        layout.bits = c.bits;
        layout.data = packBmpRows(rows, c.bits);
        auto image = loadFromBytes(CImageLoaderBMP(), makeBmp(layout), "direct.bmp");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getColorFormat(), c.format);
        for (s32 y = 0; y < 4; ++y)
            for (s32 x = 0; x < 5; ++x) ASSERT_EQ(image->getPixel(x, y), patternColor(x, y)) << x << "," << y;
    }
}

TEST(BmpCodec, RunLengthDataStaysInsideThePicture) {
    const auto palette = testPalette(16);
    const struct {
        const char* what;
        u32 compression;
        u16 bits;
        Bytes data;
    } cases[] = {
        {"runs past the end", 1, 8, Bytes{255, 1, 255, 2, 255, 3, 255, 4}},
        {"absolute run past the end", 1, 8, Bytes{0, 200, 1, 2, 3}},
        {"delta far beyond", 1, 8, Bytes{0, 2, 255, 255, 5, 9, 0, 2, 1, 1, 5, 9}},
        {"code cut in half", 1, 8, Bytes{3, 4, 0}},
        {"delta cut", 1, 8, Bytes{0, 2, 1}},
        {"no end code", 1, 8, Bytes{2, 1}},
        {"RLE4 runs past the end", 2, 4, Bytes{255, 0x12, 255, 0x34, 0, 255, 1, 2}},
        {"RLE4 absolute run cut", 2, 4, Bytes{0, 9, 0x12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BmpLayout layout;
        layout.width = 7;
        layout.height = 5;
        layout.bits = c.bits;
        layout.compression = c.compression;
        layout.palette = palette;
        layout.data = c.data;
        auto image = loadFromBytes(CImageLoaderBMP(), makeBmp(layout), "rle.bmp");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getDimension(), dimension2di(7, 5));
    }
    // A first run fills the bottom row from the left.
    BmpLayout layout;
    layout.width = 7;
    layout.height = 5;
    layout.bits = 8;
    layout.compression = 1;
    layout.palette = palette;
    layout.data = {3, 2, 0, 1};
    auto image = loadFromBytes(CImageLoaderBMP(), makeBmp(layout), "rle.bmp");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getPixel(2, 4), opaque16(palette[2]));
    EXPECT_EQ(image->getPixel(3, 4), opaque16(palette[0]));
    EXPECT_EQ(image->getPixel(0, 3), opaque16(palette[0]));
}

TEST(BmpCodec, BadFilesFailWithALogLine) {
    BmpLayout good;
    good.width = 4;
    good.height = 2;
    good.bits = 24;
    good.data = Bytes(4 * 3 * 2, 0x7F);
    const Bytes file = makeBmp(good);

    auto variant = [&](auto change) {
        BmpLayout layout = good;
        change(layout);
        return makeBmp(layout);
    };
    Bytes notBm = file;
    notBm[0] = 'X';
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;  // null: any line
    } cases[] = {
        {"short header", Bytes(file.begin(), file.begin() + 40), nullptr},
        {"not BM", notBm, nullptr},
        {"bit fields", variant([](BmpLayout& s) { s.compression = 3; }), "Compression mode not supported."},
        {"top-down", variant([](BmpLayout& s) { s.height = -2; }), nullptr},
        {"offset below the header", variant([](BmpLayout& s) { s.dataOffsetDelta = -10; }), nullptr},
        {"offset beyond the file", variant([](BmpLayout& s) { s.dataOffsetDelta = 1000; }), nullptr},
        {"truncated pixels", Bytes(file.begin(), file.end() - 5), nullptr},
        {"2 bits per pixel", variant([](BmpLayout& s) { s.bits = 2; }), nullptr},
        {"RLE8 on 24 bits", variant([](BmpLayout& s) { s.compression = 1; }), nullptr},
        {"zero width", variant([](BmpLayout& s) { s.width = 0; }), nullptr},
        {"huge", variant([](BmpLayout& s) { s.width = 0x40000000; s.height = 0x40000000; }), nullptr},
        {"header size too small", variant([](BmpLayout& s) { s.headerSize = 12; }), nullptr},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderBMP(), c.bytes, "bad.bmp")) << c.what;
        if (c.message)
            EXPECT_TRUE(log.contains(c.message, LogError)) << c.what;
        else
            EXPECT_FALSE(log.lines().empty()) << c.what;
    }
    EXPECT_TRUE(loadFromBytes(CImageLoaderBMP(), file, "good.bmp"));
}

TEST(BmpCodec, WriteThenReadGivesThePicture) {
    for (ECOLOR_FORMAT format : {ECF_A1R5G5B5, ECF_R5G6B5, ECF_R8G8B8, ECF_A8R8G8B8}) {
        auto picture = makePatternImage(format, 5, 3);  // rows of 15 bytes + 1 padding
        const Bytes file = writeToBytes(CImageWriterBMP(), picture.get(), "out.bmp");
        ASSERT_EQ(file.size(), 54u + 16 * 3);
        EXPECT_EQ(file[28], 24);
        auto back = loadFromBytes(CImageLoaderBMP(), file, "out.bmp");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->getColorFormat(), ECF_R8G8B8);
        for (s32 y = 0; y < 3; ++y)
            for (s32 x = 0; x < 5; ++x) ASSERT_EQ(back->getPixel(x, y), patternColor(x, y)) << format;
    }
    auto picture = makePatternImage(ECF_R8G8B8, 5, 3);
    u8 small[60];
    auto file = makeRef<CMemoryFile>(small, sizeof(small), "full.bmp", false);
    EXPECT_FALSE(CImageWriterBMP().writeImage(file.get(), picture.get(), 0));
    auto empty = makeRef<CImage>(CCreationContext(), ECF_R8G8B8, dimension2di(0, 0));
    EXPECT_FALSE(CImageWriterBMP().writeImage(file.get(), empty.get(), 0));
}

namespace {

// The pattern as TGA pixel bytes (blue, green, red[, alpha] or 16-bit), rows in file order.
Bytes tgaPixels(s32 w, s32 h, u8 depth, bool topDown) {
    Bytes out;
    for (s32 r = 0; r < h; ++r) {
        const s32 y = topDown ? r : h - 1 - r;
        for (s32 x = 0; x < w; ++x) {
            // Repeats along a row so that the run-length encoding has runs.
            const u32 p = patternColor(x / 3, y);
            if (depth == 16) {
                const u16 v = CColorConverter::A8R8G8B8toA1R5G5B5(p);
                out.insert(out.end(), {static_cast<u8>(v), static_cast<u8>(v >> 8)});
            } else {
                out.insert(out.end(), {static_cast<u8>(p), static_cast<u8>(p >> 8), static_cast<u8>(p >> 16)});
                if (depth == 32) out.push_back(static_cast<u8>(p >> 24));
            }
        }
    }
    return out;
}

void expectTgaPattern(const CRefPtr<CImage>& image, s32 w, s32 h) {
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(w, h));
    for (s32 y = 0; y < h; ++y)
        for (s32 x = 0; x < w; ++x) ASSERT_EQ(image->getPixel(x, y), patternColor(x / 3, y)) << x << "," << y;
}

}  // namespace

TEST(TgaCodec, LoadsRawRunLengthAndColourMappedTrueColour) {
    const struct {
        const char* what;
        u8 type, depth, descriptor;
        bool colorMap;
        const char* id;
        ECOLOR_FORMAT format;
    } cases[] = {
        {"raw 24 bottom-up", 2, 24, 0x00, false, "", ECF_R8G8B8},
        {"raw 24 top-down", 2, 24, 0x20, false, "", ECF_R8G8B8},
        {"raw 32 with id", 2, 32, 0x28, false, "an id field", ECF_A8R8G8B8},
        {"raw 16", 2, 16, 0x21, false, "", ECF_A1R5G5B5},
        {"rle 24", 10, 24, 0x00, false, "", ECF_R8G8B8},
        {"rle 32 top-down", 10, 32, 0x28, false, "", ECF_A8R8G8B8},
        {"rle 16", 10, 16, 0x20, false, "", ECF_A1R5G5B5},
        {"raw 24 with a colour map", 2, 24, 0x20, true, "id", ECF_R8G8B8},
        {"rle 32 with a colour map", 10, 32, 0x00, true, "", ECF_A8R8G8B8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TgaLayout layout;
        layout.imageType = c.type;
        layout.depth = c.depth;
        layout.descriptor = c.descriptor;
        layout.width = 200;  // runs longer than one packet
        layout.height = 3;
        layout.id = c.id;
        if (c.colorMap) {
            layout.colorMapType = 1;
            layout.colorMapLength = 7;
            layout.colorMapEntryBits = 15;  // two bytes per entry
        }
        const Bytes pixels = tgaPixels(200, 3, c.depth, c.descriptor & 0x20);
        layout.data = c.type == 10 ? tgaRle(pixels, c.depth / 8) : pixels;
        auto image = loadFromBytes(CImageLoaderTGA(), makeTga(layout), "pic.tga");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getColorFormat(), c.format);
        expectTgaPattern(image, 200, 3);
    }
}

TEST(TgaCodec, PacketsStopAtThePictureEnd) {
    // The last run asks for 128 pixels where 2 remain.
    TgaLayout layout;
    layout.imageType = 10;
    layout.width = 3;
    layout.height = 1;
    layout.data = {0x00, 1, 2, 3, 0xFF, 4, 5, 6};
    auto image = loadFromBytes(CImageLoaderTGA(), makeTga(layout), "run.tga");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getPixel(0, 0), 0xFF030201u);
    EXPECT_EQ(image->getPixel(2, 0), 0xFF060504u);
    layout.data = {0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // a raw packet longer than the picture
    image = loadFromBytes(CImageLoaderTGA(), makeTga(layout), "raw.tga");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getPixel(2, 0), 0xFF090807u);
}

TEST(TgaCodec, BadFilesFailWithALogLine) {
    TgaLayout good;
    good.width = 4;
    good.height = 4;
    good.data = tgaPixels(4, 4, 24, false);
    const Bytes file = makeTga(good);
    auto variant = [&](auto change) {
        TgaLayout layout = good;
        change(layout);
        return makeTga(layout);
    };
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"indexed", variant([](TgaLayout& s) { s.imageType = 1; }), "Unsupported TGA file type"},
        {"grey", variant([](TgaLayout& s) { s.imageType = 3; }), "Unsupported TGA file type"},
        {"8-bit true colour", variant([](TgaLayout& s) { s.depth = 8; }), "Unsupported TGA format"},
        {"short header", Bytes(file.begin(), file.begin() + 10), nullptr},
        {"truncated raw", variant([](TgaLayout& s) { s.data.resize(20); s.footer = false; }), nullptr},
        {"rle ends early", variant([](TgaLayout& s) { s.imageType = 10; s.data = {0x81, 1, 2, 3}; s.footer = false; }), nullptr},
        {"colour map beyond the file", variant([](TgaLayout& s) { s.colorMapType = 1; s.colorMapLength = 60000; s.colorMapEntryBits = 32; s.data.clear(); }), nullptr},
        {"zero width", variant([](TgaLayout& s) { s.width = 0; }), nullptr},
        {"huge rle", variant([](TgaLayout& s) { s.imageType = 10; s.width = s.height = 16000; s.data = {0xFF, 0, 0, 0}; }), nullptr},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(loadFromBytes(CImageLoaderTGA(), c.bytes, "bad.tga")) << c.what;
        if (c.message)
            EXPECT_TRUE(log.contains(c.message, LogError)) << c.what;
        else
            EXPECT_FALSE(log.lines().empty()) << c.what;
    }
}

TEST(TgaCodec, ContentTestNeedsTheFooter) {
    TgaLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.data = {1, 2, 3};
    Bytes withFooter = makeTga(layout);
    layout.footer = false;
    Bytes without = makeTga(layout);
    Bytes tiny = {0, 0, 2};
    Bytes footerOnly(withFooter.end() - 26, withFooter.end());
    const struct {
        Bytes* bytes;
        bool accepted;
    } cases[] = {{&withFooter, true}, {&without, false}, {&tiny, false}, {&footerOnly, true}};
    for (const auto& c : cases) {
        auto file = makeRef<CMemoryFile>(c.bytes->data(), static_cast<s32>(c.bytes->size()), "x", false);
        EXPECT_EQ(CImageLoaderTGA().canLoadContent(file.get()), c.accepted) << c.bytes->size();
    }
}

TEST(TgaCodec, WriteThenReadGivesThePicture) {
    const struct {
        ECOLOR_FORMAT format;
        u8 depth, descriptor;
        ECOLOR_FORMAT read;
    } cases[] = {
        {ECF_A1R5G5B5, 16, 0x21, ECF_A1R5G5B5},
        {ECF_R5G6B5, 16, 0x21, ECF_A1R5G5B5},
        {ECF_R8G8B8, 24, 0x20, ECF_R8G8B8},
        {ECF_A8R8G8B8, 32, 0x28, ECF_A8R8G8B8},
    };
    for (const auto& c : cases) {
        auto picture = makePatternImage(c.format, 6, 4);
        const Bytes file = writeToBytes(CImageWriterTGA(), picture.get(), "out.tga");
        ASSERT_EQ(file.size(), 18u + 6 * 4 * c.depth / 8 + 26);
        EXPECT_EQ(file[2], 2);
        EXPECT_EQ(file[16], c.depth);
        EXPECT_EQ(file[17], c.descriptor);
        EXPECT_EQ(std::memcmp(&file[file.size() - 18], "TRUEVISION-XFILE.", 18), 0);
        if (c.depth == 16) {
            for (size_t i = 18; i < file.size() - 26; i += 2) ASSERT_TRUE(file[i + 1] & 0x80) << "alpha bit";
        }
        auto back = loadFromBytes(CImageLoaderTGA(), file, "out.tga");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->getColorFormat(), c.read);
        for (s32 y = 0; y < 4; ++y)
            for (s32 x = 0; x < 6; ++x) ASSERT_EQ(back->getPixel(x, y), patternColor(x, y)) << c.format;
    }
    auto picture = makePatternImage(ECF_R8G8B8, 6, 4);
    u8 small[40];
    auto file = makeRef<CMemoryFile>(small, sizeof(small), "full.tga", false);
    EXPECT_FALSE(CImageWriterTGA().writeImage(file.get(), picture.get(), 0));
}
