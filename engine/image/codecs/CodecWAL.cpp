// WAL (Quake 2 texture) loader with the default palette.

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

// The fixed ends of the default palette; the entries between them are a grey ramp (entry i is
// grey level i).
constexpr u32 PaletteStart[8] = {0x000000, 0x0F0F0F, 0x1F1F1F, 0x2F2F2F,
                                 0x3F3F3F, 0x4B4B4B, 0x5B5B5B, 0x6B6B6B};
constexpr u32 PaletteEnd[8] = {0xC37353, 0x9F5733, 0x7B3F1B, 0xEBD3C7,
                               0xC7AB9B, 0xA78B77, 0x876B57, 0x9F5B53};

struct PaletteTable {
    u32 entries[256];
    constexpr PaletteTable() : entries() {
        for (u32 i = 0; i < 256; ++i) entries[i] = (i << 16) | (i << 8) | i;
        for (u32 i = 0; i < 8; ++i) {
            entries[i] = PaletteStart[i];
            entries[248 + i] = PaletteEnd[i];
        }
    }
};

constexpr PaletteTable Table;

}  // namespace

const u32 DefaultWalPalette[256] = {
#define P(i) Table.entries[i]
#define P8(i) P(i), P(i + 1), P(i + 2), P(i + 3), P(i + 4), P(i + 5), P(i + 6), P(i + 7)
#define P64(i) P8(i), P8(i + 8), P8(i + 16), P8(i + 24), P8(i + 32), P8(i + 40), P8(i + 48), P8(i + 56)
    P64(0), P64(64), P64(128), P64(192)
#undef P64
#undef P8
#undef P
};

bool CImageLoaderWAL::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "wal");
}

bool CImageLoaderWAL::canLoadContent(IReadableFile*) const { return false; }

CImage* CImageLoaderWAL::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    u8 h[100];
    if (!file->seek(0) || !readExact(file, h, sizeof(h))) {
        logFile("WAL: file too short for its header", file, LogError);
        return nullptr;
    }
    const u32 width = le32(h + 32), height = le32(h + 36), offset = le32(h + 40);
    const unsigned long long size = static_cast<unsigned long long>(file->getSize());
    if (offset > size) {
        logFile("WAL: pixel data offset outside the file", file, LogError);
        return nullptr;
    }
    const unsigned long long needed = static_cast<unsigned long long>(width) * height;
    if (!checkImageSize(width, height, 2, needed, size - offset, file)) return nullptr;
    std::vector<u8> indices;
    if (!file->seek(static_cast<long>(offset)) || !readBlock(file, needed, indices)) {
        logFile("WAL: can't read the pixel data", file, LogError);
        return nullptr;
    }
    CImage* image = new CImage(context, ECF_A1R5G5B5,
                               dimension2di(static_cast<s32>(width), static_cast<s32>(height)));
    u8* out = static_cast<u8*>(image->lock());
    if (!out) {
        image->drop();
        return nullptr;
    }
    for (u32 y = 0; y < height; ++y)
        CColorConverter::convert8BitToA1R5G5B5(indices.data() + static_cast<size_t>(y) * width,
                                               static_cast<s32>(width),
                                               reinterpret_cast<u16*>(out + static_cast<size_t>(y) * image->getPitch()),
                                               DefaultWalPalette, 256);
    return image;
}

}  // namespace oskel
