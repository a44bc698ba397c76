#pragma once

// Picture files for the image tests, the fuzz seeds and the benchmarks, made in memory: by the
// engine's own writers, by small builders of the simple formats, and by libpng and libjpeg
// directly for variants the engine's writers do not make (interlaced, grey or palette PNG,
// progressive or grey JPEG).

#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/image/CImage.h"
#include "engine/image/IImageLoader.h"
#include "engine/image/IImageWriter.h"

namespace oskel::test {

using Bytes = std::vector<u8>;

// A recognisable test picture: every pixel differs, colours chosen so that each format stores
// them exactly (5-bit channels with their high bits replicated, full alpha).
u32 patternColor(s32 x, s32 y);
CRefPtr<CImage> makePatternImage(ECOLOR_FORMAT format, s32 width, s32 height);

// The file made by a writer; empty when the writer fails.
Bytes writeToBytes(const IImageWriter& writer, CImage* image, const char* name, u32 quality = 100);
// An image from a loader over the bytes (the file named name), or null.
CRefPtr<CImage> loadFromBytes(const IImageLoader& loader, const Bytes& bytes, const char* name);
// Through the image manager.
CRefPtr<CImage> loadWithManager(const Bytes& bytes, const char* name);

// PNG by libpng: colorType and bitDepth as in png.h; rows of samples are made from
// patternColor (grey: its green channel; palette: indices into a palette of 16 pattern colours
// with alpha 0x80 on entry 1 when withTransparency).
Bytes makePng(s32 width, s32 height, int colorType, int bitDepth, bool interlaced,
              bool withTransparency = false);
// JPEG by libjpeg from the pattern (or a smooth gradient), baseline or progressive, RGB or grey.
Bytes makeJpeg(s32 width, s32 height, bool progressive, bool grey = false, int quality = 90);
// A smooth picture (JPEG's kind): red rises with x, green with y.
CRefPtr<CImage> makeGradientImage(s32 width, s32 height);

// BMP: header fields and raw pixel data (rows bottom-up as they are stored).
struct BmpLayout {
    s32 width = 0, height = 0;
    u16 bits = 24;
    u32 compression = 0;
    u32 headerSize = 40;
    std::vector<u32> palette;  // 0x00RRGGBB
    Bytes data;
    u32 dataSizeField = 0;   // 0: the data's size
    long long dataOffsetDelta = 0;  // added to the true data offset
};
Bytes makeBmp(const BmpLayout& layout);
// Uncompressed rows (bottom-up, padded) of a bits-per-pixel picture from per-pixel values
// (indices for 1/4/8 bits, 16-bit values, 0x00RRGGBB for 24, ARGB for 32), given top row first.
Bytes packBmpRows(const std::vector<std::vector<u32>>& topDownRows, u16 bits);

// TGA: header fields, optional colour map and id, pixel data as stored, optional footer.
struct TgaLayout {
    u8 imageType = 2;
    u8 depth = 24;
    u8 descriptor = 0;
    u16 width = 0, height = 0;
    u8 colorMapType = 0;
    u16 colorMapLength = 0;
    u8 colorMapEntryBits = 0;
    std::string id;
    Bytes data;
    bool footer = true;
};
Bytes makeTga(const TgaLayout& layout);
// Run-length packets for rows of pixels (pixel bytes as stored): repeats of 2 or more become
// run packets, the rest raw packets, at most 128 pixels each.
Bytes tgaRle(const Bytes& pixels, u32 pixelBytes);

// PCX: header fields, the decoded lines (bytes per line each) run-length encoded, optional
// 256-colour palette (with its 12 marker before it).
struct PcxLayout {
    u8 bits = 8;
    u8 planes = 1;
    u16 xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    u16 bytesPerLine = 0;
    Bytes lines;
    std::vector<u32> palette;  // 256 entries 0x00RRGGBB for 8 bits
};
Bytes makePcx(const PcxLayout& layout);
Bytes pcxRle(const Bytes& lines);

// WAL: name, size, mip offset and indices.
Bytes makeWal(u32 width, u32 height, const Bytes& indices, u32 offsetDelta = 0);

Bytes toBytes(const std::string& text);

}  // namespace oskel::test
