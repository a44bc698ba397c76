// PCX loader (8-bit with a 256-colour palette, 24-bit single plane); the writer only refuses.

#include <cstring>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

bool CImageLoaderPCX::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "pcx");
}

bool CImageLoaderPCX::canLoadContent(IReadableFile* file) const {
    u8 first;
    return file && readExact(file, &first, 1) && first == 10;
}

CImage* CImageLoaderPCX::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    u8 h[128];
    if (!readExact(file, h, sizeof(h))) {
        logFile("PCX: file too short for its header", file, LogError);
        return nullptr;
    }
    if (h[0] != 10 || h[2] != 1) {
        logFile("PCX: not a run-length PCX file", file, LogError);
        return nullptr;
    }
    const u32 bits = h[3];
    const s32 xMin = le16(h + 4), yMin = le16(h + 6), xMax = le16(h + 8), yMax = le16(h + 10);
    const u32 planes = h[65];
    const u32 bytesPerLine = le16(h + 66);
    if (bits != 8 && bits != 24) {
        CLogger::instance().logHint("Unsupported bits per pixel in PCX file.", file->getFileName().c_str(),
                                    LogWarning);
        return nullptr;
    }
    // Only single-plane layouts are read: 8-bit indices and 24-bit interleaved RGB.
    if (planes != 1) {
        logFile("PCX: unsupported plane layout", file, LogError);
        return nullptr;
    }
    if (xMax < xMin || yMax < yMin) {
        logFile("PCX: picture window is empty", file, LogError);
        return nullptr;
    }
    const s32 width = xMax - xMin + 1, height = yMax - yMin + 1;
    const u32 pixelBytes = bits / 8;
    const size_t rowBytes = static_cast<size_t>(width) * pixelBytes;
    if (bytesPerLine < rowBytes) {
        logFile("PCX: lines are shorter than the picture", file, LogError);
        return nullptr;
    }

    // The 256-colour palette takes the last 768 bytes; the pixel data ends before it.
    unsigned long long dataEnd = static_cast<unsigned long long>(file->getSize());
    u32 palette[256] = {};
    if (bits == 8) {
        if (dataEnd < 128 + 768) {
            logFile("PCX: file too short for its palette", file, LogError);
            return nullptr;
        }
        const s32 position = file->getPos();
        u8 raw[768];
        if (!file->seek(file->getSize() - 768) || !readExact(file, raw, sizeof(raw)) || !file->seek(position)) {
            logFile("PCX: can't read the palette", file, LogError);
            return nullptr;
        }
        for (u32 i = 0; i < 256; ++i)
            palette[i] = (static_cast<u32>(raw[i * 3]) << 16) | (static_cast<u32>(raw[i * 3 + 1]) << 8) |
                         raw[i * 3 + 2];
        dataEnd -= 768;
    }
    const unsigned long long dataBytes = dataEnd > 128 ? dataEnd - 128 : 0;
    // Decoded lines: planes × bytes per line each. A two-byte run makes at most 63 bytes.
    const size_t size = static_cast<size_t>(bytesPerLine) * static_cast<size_t>(height);
    if (!checkImageSize(width, height, bits == 8 ? 2 : 3, 0, 0, file) ||
        !checkImageSize(bytesPerLine, height, 1, 0, 0, file) ||
        !checkImageSize(width, height, 1, size, (dataBytes / 2 + 1) * 63, file))
        return nullptr;
    std::vector<u8> packed;
    if (!readBlock(file, dataBytes, packed)) {
        logFile("PCX: can't read the pixel data", file, LogError);
        return nullptr;
    }
    std::vector<u8> pixels(size, 0);
    size_t in = 0, pos = 0;
    while (pos < size) {
        if (in >= packed.size()) {
            logFile("PCX: pixel data ends before the picture", file, LogError);
            return nullptr;
        }
        u8 value = packed[in++];
        size_t count = 1;
        if ((value & 0xC0) == 0xC0) {
            count = value & 0x3F;
            if (in >= packed.size()) {
                logFile("PCX: pixel data ends before the picture", file, LogError);
                return nullptr;
            }
            value = packed[in++];
        }
        for (size_t k = 0; k < count && pos < size; ++k) pixels[pos++] = value;
    }

    CImage* image = new CImage(context, bits == 8 ? ECF_A1R5G5B5 : ECF_R8G8B8, dimension2di(width, height));
    u8* out = static_cast<u8*>(image->lock());
    if (!out) {
        logFile("PCX: out of memory", file, LogError);
        image->drop();
        return nullptr;
    }
    for (s32 y = 0; y < height; ++y) {
        const u8* line = pixels.data() + static_cast<size_t>(y) * bytesPerLine;
        u8* row = out + static_cast<size_t>(y) * image->getPitch();
        if (bits == 8)
            CColorConverter::convert8BitToA1R5G5B5(line, width, reinterpret_cast<u16*>(row), palette, 256);
        else
            std::memcpy(row, line, rowBytes);
    }
    return image;
}

bool CImageWriterPCX::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "pcx");
}

bool CImageWriterPCX::writeImage(IWritableFile*, CImage*, u32) const {
    CLogger::instance().log("PCX writer not yet implemented. Image not written.", LogWarning);
    return false;
}

}  // namespace oskel
