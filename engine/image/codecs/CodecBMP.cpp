// BMP loader (uncompressed, RLE8, RLE4) and 24-bit writer.

#include <cstring>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

constexpr u32 FileHeaderSize = 14;
constexpr u32 InfoHeaderSize = 40;

// Writes run-length output into a fixed buffer of rows; every write beyond it is dropped.
class RleTarget {
public:
    RleTarget(u8* buffer, size_t rowBytes, size_t rows) : m_buffer(buffer), m_row(rowBytes), m_rows(rows) {}
    // Position in units (bytes for RLE8, nibbles for RLE4) from the start of the buffer.
    size_t pos = 0;
    size_t unitsPerRow = 0;

    bool full() const { return pos >= unitsPerRow * m_rows; }
    void putByte(u8 value) {
        if (!full()) m_buffer[pos] = value;
        ++pos;
    }
    void putNibble(u8 value) {
        if (full()) { ++pos; return; }
        const size_t row = pos / unitsPerRow, column = pos % unitsPerRow;
        u8& b = m_buffer[row * m_row + column / 2];
        if (column & 1)
            b = static_cast<u8>((b & 0xF0) | (value & 0x0F));
        else
            b = static_cast<u8>((b & 0x0F) | (value << 4));
        ++pos;
    }
    void endOfLine() { pos = (pos / unitsPerRow + 1) * unitsPerRow; }
    void delta(u32 dx, u32 dy) { pos += dx + static_cast<size_t>(dy) * unitsPerRow; }

private:
    u8* m_buffer;
    size_t m_row;
    size_t m_rows;
};

// Decodes RLE8 (nibbles == false) or RLE4 data into rows of rowBytes bytes, stopping at the
// end-of-bitmap code, at the end of the data or when the buffer is full.
void decodeRle(const u8* data, size_t size, u8* out, size_t rowBytes, size_t rows, bool nibbles) {
    RleTarget t(out, rowBytes, rows);
    t.unitsPerRow = nibbles ? rowBytes * 2 : rowBytes;
    size_t i = 0;
    while (i + 1 < size && !t.full()) {
        const u8 count = data[i], value = data[i + 1];
        i += 2;
        if (count != 0) {
            for (u32 k = 0; k < count && !t.full(); ++k) {
                if (nibbles)
                    t.putNibble((k & 1) ? (value & 0x0F) : (value >> 4));
                else
                    t.putByte(value);
            }
            continue;
        }
        switch (value) {
            case 0: t.endOfLine(); break;
            case 1: return;
            case 2:
                if (i + 1 >= size) return;
                t.delta(data[i], data[i + 1]);
                i += 2;
                break;
            default: {
                // Absolute run of value pixels, padded to a whole 16-bit word.
                const size_t bytes = nibbles ? (value + 1u) / 2 : value;
                for (u32 k = 0; k < value && !t.full(); ++k) {
                    const size_t at = i + (nibbles ? k / 2 : k);
                    if (at >= size) return;
                    if (nibbles)
                        t.putNibble((k & 1) ? (data[at] & 0x0F) : (data[at] >> 4));
                    else
                        t.putByte(data[at]);
                }
                i += bytes + (bytes & 1);
                break;
            }
        }
    }
}

}  // namespace

bool CImageLoaderBMP::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "bmp");
}

bool CImageLoaderBMP::canLoadContent(IReadableFile* file) const {
    u8 id[2];
    return file && readExact(file, id, 2) && le16(id) == 0x4D42;
}

CImage* CImageLoaderBMP::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    u8 h[54];
    if (!readExact(file, h, sizeof(h))) {
        logFile("BMP: file too short for its header", file, LogError);
        return nullptr;
    }
    if (le16(h) != 0x4D42) {
        logFile("BMP: not a bitmap file", file, LogError);
        return nullptr;
    }
    const u32 dataOffset = le32(h + 10);
    const u32 headerSize = le32(h + 14);
    const s32 width = static_cast<s32>(le32(h + 18));
    const s32 height = static_cast<s32>(le32(h + 22));
    const u32 bits = le16(h + 28);
    const u32 compression = le32(h + 30);
    unsigned long long dataSize = le32(h + 34);
    if (compression >= 3) {
        CLogger::instance().log("Compression mode not supported.", LogError);
        return nullptr;
    }
    // The info header may be longer (V4, V5): the palette follows it, not the first 40 bytes.
    if (headerSize < InfoHeaderSize) {
        logFile("BMP: unsupported info header", file, LogError);
        return nullptr;
    }
    const unsigned long long fileSize = static_cast<unsigned long long>(file->getSize());
    const unsigned long long paletteStart = FileHeaderSize + static_cast<unsigned long long>(headerSize);
    if (dataOffset < paletteStart || dataOffset > fileSize) {
        logFile("BMP: pixel data offset outside the file", file, LogError);
        return nullptr;
    }
    if (height < 0) {
        logFile("BMP: top-down bitmaps are not supported", file, LogError);
        return nullptr;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        logFile("BMP: unsupported bits per pixel", file, LogError);
        return nullptr;
    }
    if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4)) {
        logFile("BMP: run-length compression does not match the bits per pixel", file, LogError);
        return nullptr;
    }
    const ECOLOR_FORMAT format = bits == 24 ? ECF_R8G8B8 : (bits == 32 ? ECF_A8R8G8B8 : ECF_A1R5G5B5);
    if (!checkImageSize(width, height, CImage::getBitsPerPixel(format) / 8, 0, 0, file)) return nullptr;

    // Palette: the bytes between the info header and the pixel data, at most 256 entries.
    u32 palette[256] = {};
    u32 paletteSize = 0;
    const unsigned long long paletteBytes = dataOffset - paletteStart;
    if (paletteBytes > 3) {
        const unsigned long long entries = paletteBytes / 4;
        paletteSize = entries > 256 ? 256u : static_cast<u32>(entries);
        u8 raw[256 * 4];
        if (!file->seek(static_cast<long>(paletteStart)) || !readExact(file, raw, paletteSize * 4)) {
            logFile("BMP: can't read the palette", file, LogError);
            return nullptr;
        }
        for (u32 i = 0; i < paletteSize; ++i)
            palette[i] = (static_cast<u32>(raw[i * 4 + 2]) << 16) | (static_cast<u32>(raw[i * 4 + 1]) << 8) |
                         raw[i * 4];
    }

    // Rows of whole bytes, each padded to a multiple of 4.
    const size_t rowBytes = (static_cast<size_t>(bits) * static_cast<size_t>(width) + 7) / 8;
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    const size_t pixelBytes = stride * static_cast<size_t>(height);
    const unsigned long long available = fileSize - dataOffset;
    dataSize = (dataSize + 3) & ~3ull;
    if (dataSize == 0 || dataSize > available) dataSize = available;

    if (!file->seek(static_cast<long>(dataOffset))) {
        logFile("BMP: can't read the pixel data", file, LogError);
        return nullptr;
    }
    std::vector<u8> pixels;
    if (compression == 0) {
        // The last row may lack its padding.
        const unsigned long long needed = stride * (static_cast<size_t>(height) - 1) + rowBytes;
        if (!checkImageSize(width, height, 1, needed, available, file)) return nullptr;
        if (!readBlock(file, needed, pixels)) {
            logFile("BMP: can't read the pixel data", file, LogError);
            return nullptr;
        }
        pixels.resize(pixelBytes);
    } else {
        std::vector<u8> packed;
        if (!readBlock(file, dataSize, packed)) {
            logFile("BMP: can't read the pixel data", file, LogError);
            return nullptr;
        }
        pixels.assign(pixelBytes, 0);
        decodeRle(packed.data(), packed.size(), pixels.data(), stride, static_cast<size_t>(height),
                  compression == 2);
    }

    CImage* image = new CImage(context, format, dimension2di(width, height));
    u8* out = static_cast<u8*>(image->lock());
    if (!out) {
        logFile("BMP: out of memory", file, LogError);
        image->drop();
        return nullptr;
    }
    // Rows are stored bottom-up.
    for (s32 y = 0; y < height; ++y) {
        const u8* in = pixels.data() + stride * static_cast<size_t>(height - 1 - y);
        u8* row = out + static_cast<size_t>(y) * image->getPitch();
        switch (bits) {
            case 1: CColorConverter::convert1BitToA1R5G5B5(in, width, reinterpret_cast<u16*>(row)); break;
            case 4:
                CColorConverter::convert4BitToA1R5G5B5(in, width, reinterpret_cast<u16*>(row), palette,
                                                       paletteSize);
                break;
            case 8:
                CColorConverter::convert8BitToA1R5G5B5(in, width, reinterpret_cast<u16*>(row), palette,
                                                       paletteSize);
                break;
            case 24:
                for (s32 x = 0; x < width; ++x) {
                    row[x * 3] = in[x * 3 + 2];
                    row[x * 3 + 1] = in[x * 3 + 1];
                    row[x * 3 + 2] = in[x * 3];
                }
                break;
            default: std::memcpy(row, in, image->getPitch()); break;  // 16 and 32 bits
        }
    }
    return image;
}

bool CImageWriterBMP::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "bmp");
}

bool CImageWriterBMP::writeImage(IWritableFile* file, CImage* image, u32) const {
    if (!file || !image || !image->lock()) return false;
    const ECOLOR_FORMAT format = image->getColorFormat();
    if (CImage::getBitsPerPixel(format) == 0) return false;
    const s32 width = image->getDimension().Width, height = image->getDimension().Height;
    const u32 stride = (static_cast<u32>(width) * 3 + 3) & ~3u;
    const u32 dataSize = stride * static_cast<u32>(height);
    u8 h[54] = {};
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, 54 + dataSize);
    put32(h + 10, 54);
    put32(h + 14, InfoHeaderSize);
    put32(h + 18, static_cast<u32>(width));
    put32(h + 22, static_cast<u32>(height));
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, dataSize);
    if (file->write(h, sizeof(h)) != static_cast<s32>(sizeof(h))) return false;

    std::vector<u8> row(stride, 0);
    std::vector<u8> rgb(static_cast<size_t>(width) * 3);
    const u8* in = static_cast<const u8*>(image->lock());
    for (s32 y = height - 1; y >= 0; --y) {
        CColorConverter::convertRow(in + static_cast<size_t>(y) * image->getPitch(), format, width,
                                    rgb.data(), ECF_R8G8B8);
        for (s32 x = 0; x < width; ++x) {
            row[x * 3] = rgb[x * 3 + 2];
            row[x * 3 + 1] = rgb[x * 3 + 1];
            row[x * 3 + 2] = rgb[x * 3];
        }
        if (file->write(row.data(), stride) != static_cast<s32>(stride)) return false;
    }
    return true;
}

}  // namespace oskel
