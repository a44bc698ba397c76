#pragma once

// Shared by the image fuzz targets and their seed writers.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>

#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/image/codecs/ImageCodecs.h"
#include "tests/image/ImageFixtures.h"

namespace oskel::fuzz {

// Runs a loader over the input as a file of that name; the image, if any, is read through.
inline void loadOnce(const IImageLoader& loader, const uint8_t* data, size_t size, const char* name) {
    // Quiet, and pictures of at most 8 MiB: larger sizes take the same paths, only slower.
    static bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        setImageByteLimit(8ull * 1024 * 1024);
        return true;
    }();
    (void)quiet;
    if (size > 0x7FFFFFFF) return;
    u8* copy = new u8[size + 1];
    if (size) std::memcpy(copy, data, size);
    auto* file = new CMemoryFile(copy, static_cast<s32>(size), name, true);
    loader.canLoadContent(file);
    file->seek(0);
    if (CImage* image = loader.loadImage(file, CCreationContext())) {
        const dimension2di size2 = image->getDimension();
        volatile u32 sink = image->getPixel(size2.Width - 1, size2.Height - 1);
        (void)sink;
        image->drop();
    }
    file->drop();
}

// Seeds: the bytes as files of the folder.
inline void writeSeed(const char* folder, const std::string& name, const test::Bytes& bytes) {
    const std::string path = std::string(folder) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

inline void writePngSeeds(const char* folder) {
    using namespace test;
    writeSeed(folder, "rgb.png", makePng(9, 7, PNG_COLOR_TYPE_RGB, 8, false));
    writeSeed(folder, "rgba_interlaced.png", makePng(9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8, true));
    writeSeed(folder, "grey2.png", makePng(9, 7, PNG_COLOR_TYPE_GRAY, 2, false));
    writeSeed(folder, "palette_trns.png", makePng(9, 7, PNG_COLOR_TYPE_PALETTE, 8, false, true));
    writeSeed(folder, "rgb16.png", makePng(5, 3, PNG_COLOR_TYPE_RGB, 16, true));
    auto picture = makePatternImage(ECF_A1R5G5B5, 6, 5);
    writeSeed(folder, "engine.png", writeToBytes(CImageWriterPNG(), picture.get(), "engine.png"));
}

inline void writeJpegSeeds(const char* folder) {
    using namespace test;
    writeSeed(folder, "baseline.jpg", makeJpeg(16, 16, false));
    writeSeed(folder, "progressive.jpg", makeJpeg(24, 16, true));
    writeSeed(folder, "grey.jpg", makeJpeg(8, 8, false, true));
    auto picture = makeGradientImage(10, 6);
    writeSeed(folder, "engine.jpg", writeToBytes(CImageWriterJPG(), picture.get(), "engine.jpg", 50));
}

inline void writeBmpSeeds(const char* folder) {
    using namespace test;
    auto picture = makePatternImage(ECF_R8G8B8, 5, 3);
    writeSeed(folder, "engine24.bmp", writeToBytes(CImageWriterBMP(), picture.get(), "engine.bmp"));
    std::vector<std::vector<u32>> rows(3, std::vector<u32>(5));
    for (u32 y = 0; y < 3; ++y)
        for (u32 x = 0; x < 5; ++x) rows[y][x] = (x + y) % 4;
    for (u16 bits : {1, 4, 8, 16, 32}) {
        BmpLayout layout;
        layout.width = 5;
        layout.height = 3;
        layout.bits = bits;
        if (bits <= 8) layout.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
        layout.data = packBmpRows(rows, bits);
        writeSeed(folder, "bits" + std::to_string(bits) + ".bmp", makeBmp(layout));
    }
    BmpLayout rle;
    rle.width = 5;
    rle.height = 3;
    rle.bits = 8;
    rle.compression = 1;
    rle.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    rle.data = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 2, 1, 1, 0, 0, 1};
    writeSeed(folder, "rle8.bmp", makeBmp(rle));
    rle.bits = 4;
    rle.compression = 2;
    rle.headerSize = 124;
    rle.data = {4, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 1, 1, 2, 0x33, 0, 1};
    writeSeed(folder, "rle4_v5.bmp", makeBmp(rle));
}

inline void writeTgaSeeds(const char* folder) {
    using namespace test;
    for (ECOLOR_FORMAT format : {ECF_A1R5G5B5, ECF_R8G8B8, ECF_A8R8G8B8}) {
        auto picture = makePatternImage(format, 5, 3);
        writeSeed(folder, "engine" + std::to_string(static_cast<int>(format)) + ".tga",
                  writeToBytes(CImageWriterTGA(), picture.get(), "engine.tga"));
    }
    TgaLayout rle;
    rle.imageType = 10;
    rle.width = 6;
    rle.height = 2;
    rle.colorMapType = 1;
    rle.colorMapLength = 2;
    rle.colorMapEntryBits = 24;
    rle.id = "seed";
    Bytes pixels;
    for (int i = 0; i < 12; ++i) pixels.insert(pixels.end(), {static_cast<u8>(i / 4), 2, 3});
    rle.data = tgaRle(pixels, 3);
    writeSeed(folder, "rle_colormap.tga", makeTga(rle));
}

inline void writePcxSeeds(const char* folder) {
    using namespace test;
    PcxLayout eight;
    eight.xMax = 4;
    eight.yMax = 2;
    eight.bytesPerLine = 6;
    for (int i = 0; i < 18; ++i) eight.lines.push_back(static_cast<u8>(i < 9 ? 0xC5 : i));
    eight.palette.assign(256, 0x336699);
    writeSeed(folder, "eight.pcx", makePcx(eight));
    PcxLayout rgb;
    rgb.bits = 24;
    rgb.xMax = 2;
    rgb.yMax = 1;
    rgb.bytesPerLine = 10;
    for (int i = 0; i < 20; ++i) rgb.lines.push_back(static_cast<u8>(i * 13));
    writeSeed(folder, "rgb.pcx", makePcx(rgb));
}

inline void writePpmSeeds(const char* folder) {
    using namespace test;
    auto picture = makePatternImage(ECF_A8R8G8B8, 4, 3);
    writeSeed(folder, "engine.ppm", writeToBytes(CImageWriterPPM(), picture.get(), "engine.ppm"));
    writeSeed(folder, "p1.pbm", toBytes("P1\n# bits\n5 2\n1 0 1 0 1\n01010\n"));
    writeSeed(folder, "p2.pgm", toBytes("P2\n2 2\n100\n0 50\n100 200\n"));
    Bytes p4 = toBytes("P4\n10 2\n");
    p4.insert(p4.end(), {0x80, 0x40, 0xFF, 0xC0});
    writeSeed(folder, "p4.pbm", p4);
    Bytes p5 = toBytes("P5 2 2 200\n");
    p5.insert(p5.end(), {9, 200, 250, 13});
    writeSeed(folder, "p5.pgm", p5);
    Bytes p6 = toBytes("P6\n3 1\n255\n");
    p6.insert(p6.end(), {255, 0, 0, 10, 32, 35, 0, 0, 255});
    writeSeed(folder, "p6.ppm", p6);
}

inline void writeWalSeeds(const char* folder) {
    writeSeed(folder, "wall.wal", test::makeWal(3, 2, test::Bytes{0, 1, 7, 255, 128, 248}));
}

}  // namespace oskel::fuzz
