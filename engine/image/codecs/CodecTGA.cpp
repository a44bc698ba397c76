// TGA loader (true-colour, raw and run-length) and writer.

#include <algorithm>
#include <cstring>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

constexpr char Signature[18] = "TRUEVISION-XFILE.";  // with its zero byte

// Decodes run-length packets of pixelBytes-byte pixels into out (size bytes); false when the
// data ends before the picture is complete. A run that would pass the end is cut there.
bool decodeRle(const u8* data, size_t dataSize, u8* out, size_t size, u32 pixelBytes) {
    size_t in = 0, pos = 0;
    while (pos < size) {
        if (in >= dataSize) return false;
        const u8 packet = data[in++];
        const size_t count = (packet & 0x7F) + 1u;
        if (packet & 0x80) {
            if (in + pixelBytes > dataSize) return false;
            for (size_t k = 0; k < count && pos < size; ++k, pos += pixelBytes)
                std::memcpy(out + pos, data + in, pixelBytes);
            in += pixelBytes;
        } else {
            const size_t bytes = std::min(count * pixelBytes, size - pos);
            if (in + bytes > dataSize) return false;
            std::memcpy(out + pos, data + in, bytes);
            in += bytes;
            pos += bytes;
        }
    }
    return true;
}

}  // namespace

bool CImageLoaderTGA::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "tga");
}

bool CImageLoaderTGA::canLoadContent(IReadableFile* file) const {
    if (!file || file->getSize() < 26) return false;
    u8 footer[26];
    if (!file->seek(file->getSize() - 26) || !readExact(file, footer, 26)) return false;
    return std::memcmp(footer + 8, Signature, sizeof(Signature)) == 0;
}

CImage* CImageLoaderTGA::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    u8 h[18];
    if (!readExact(file, h, sizeof(h))) {
        logFile("TGA: file too short for its header", file, LogError);
        return nullptr;
    }
    const u32 idLength = h[0], colorMapType = h[1], imageType = h[2];
    const u32 colorMapLength = le16(h + 5), colorMapEntryBits = h[7];
    const s32 width = le16(h + 12), height = le16(h + 14);
    const u32 depth = h[16], descriptor = h[17];

    if (imageType != 2 && imageType != 10) {
        logFile("Unsupported TGA file type", file, LogError);
        return nullptr;
    }
    if (depth != 16 && depth != 24 && depth != 32) {
        logFile("Unsupported TGA format", file, LogError);
        return nullptr;
    }
    // The id field and a colour map (true-colour pictures may carry one) are skipped.
    const long skip = static_cast<long>(idLength) +
                      (colorMapType ? static_cast<long>(colorMapLength) * ((colorMapEntryBits + 7) / 8) : 0);
    if (skip > 0 && (static_cast<unsigned long long>(skip) > bytesLeft(file) || !file->seek(skip, true))) {
        logFile("TGA: file too short for its colour map", file, LogError);
        return nullptr;
    }
    const u32 pixelBytes = depth / 8;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * pixelBytes;
    std::vector<u8> pixels;
    if (imageType == 2) {
        if (!checkImageSize(width, height, pixelBytes, size, bytesLeft(file), file)) return nullptr;
        if (!readBlock(file, size, pixels)) {
            logFile("TGA: can't read the pixel data", file, LogError);
            return nullptr;
        }
    } else {
        // Each packet makes at most 128 pixels from at least 1 + pixelBytes bytes.
        const unsigned long long packets = (static_cast<unsigned long long>(width) * height + 127) / 128;
        if (!checkImageSize(width, height, pixelBytes, packets * (1 + pixelBytes), bytesLeft(file), file))
            return nullptr;
        std::vector<u8> packed;
        if (!readBlock(file, bytesLeft(file), packed)) {
            logFile("TGA: can't read the pixel data", file, LogError);
            return nullptr;
        }
        pixels.assign(size, 0);
        if (!decodeRle(packed.data(), packed.size(), pixels.data(), size, pixelBytes)) {
            logFile("TGA: run-length data ends before the picture", file, LogError);
            return nullptr;
        }
    }

    const ECOLOR_FORMAT format = depth == 16 ? ECF_A1R5G5B5 : (depth == 24 ? ECF_R8G8B8 : ECF_A8R8G8B8);
    CImage* image = new CImage(context, format, dimension2di(width, height));
    u8* out = static_cast<u8*>(image->lock());
    if (!out) {
        logFile("TGA: out of memory", file, LogError);
        image->drop();
        return nullptr;
    }
    const size_t rowBytes = static_cast<size_t>(width) * pixelBytes;
    const bool topDown = (descriptor & 0x20) != 0;
    for (s32 y = 0; y < height; ++y) {
        const u8* in = pixels.data() + rowBytes * static_cast<size_t>(topDown ? y : height - 1 - y);
        u8* row = out + static_cast<size_t>(y) * image->getPitch();
        if (depth == 24) {
            for (s32 x = 0; x < width; ++x) {
                row[x * 3] = in[x * 3 + 2];
                row[x * 3 + 1] = in[x * 3 + 1];
                row[x * 3 + 2] = in[x * 3];
            }
        } else {
            std::memcpy(row, in, rowBytes);
        }
    }
    return image;
}

bool CImageWriterTGA::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "tga");
}

bool CImageWriterTGA::writeImage(IWritableFile* file, CImage* image, u32) const {
    if (!file || !image || !image->lock()) return false;
    const ECOLOR_FORMAT format = image->getColorFormat();
    const s32 width = image->getDimension().Width, height = image->getDimension().Height;
    u8 h[18] = {};
    h[2] = 2;
    put16(h + 12, static_cast<u32>(width));
    put16(h + 14, static_cast<u32>(height));
    switch (format) {
        case ECF_A1R5G5B5:
        case ECF_R5G6B5: h[16] = 16; h[17] = 0x21; break;
        case ECF_R8G8B8: h[16] = 24; h[17] = 0x20; break;
        case ECF_A8R8G8B8: h[16] = 32; h[17] = 0x28; break;
        default: return false;
    }
    if (width > 0xFFFF || height > 0xFFFF) return false;
    if (file->write(h, sizeof(h)) != static_cast<s32>(sizeof(h))) return false;

    const size_t rowBytes = static_cast<size_t>(width) * (h[16] / 8);
    std::vector<u8> row(rowBytes);
    const u8* in = static_cast<const u8*>(image->lock());
    for (s32 y = 0; y < height; ++y) {
        const u8* src = in + static_cast<size_t>(y) * image->getPitch();
        switch (format) {
            case ECF_R5G6B5:
                for (s32 x = 0; x < width; ++x) {
                    const u16 c = le16(src + x * 2);
                    put16(row.data() + x * 2, static_cast<u32>(((c >> 1) & 0xFFE0) | (c & 0x1F) | 0x8000));
                }
                break;
            case ECF_R8G8B8:
                for (s32 x = 0; x < width; ++x) {
                    row[x * 3] = src[x * 3 + 2];
                    row[x * 3 + 1] = src[x * 3 + 1];
                    row[x * 3 + 2] = src[x * 3];
                }
                break;
            default: std::memcpy(row.data(), src, rowBytes); break;
        }
        if (file->write(row.data(), static_cast<u32>(rowBytes)) != static_cast<s32>(rowBytes)) return false;
    }
    u8 footer[26] = {};
    std::memcpy(footer + 8, Signature, sizeof(Signature));
    return file->write(footer, sizeof(footer)) == static_cast<s32>(sizeof(footer));
}

}  // namespace oskel
