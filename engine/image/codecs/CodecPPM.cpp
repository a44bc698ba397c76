// PPM family loader (P1-P6) and ASCII pixmap writer.

#include <cstdio>
#include <cstring>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

bool isSpace(u8 c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

class Tokenizer {
public:
    Tokenizer(const u8* data, size_t size) : m_data(data), m_size(size) {}

    // Skips whitespace and comments.
    void skip() {
        while (m_pos < m_size) {
            if (m_data[m_pos] == '#') {
                while (m_pos < m_size && m_data[m_pos] != '\n' && m_data[m_pos] != '\r') ++m_pos;
            } else if (isSpace(m_data[m_pos])) {
                ++m_pos;
            } else {
                break;
            }
        }
    }
    // A decimal number token; false when the token is missing, holds other characters or is
    // larger than limit.
    bool number(u32& value, u32 limit) {
        skip();
        unsigned long long v = 0;
        size_t digits = 0;
        while (m_pos < m_size && !isSpace(m_data[m_pos])) {
            const u8 c = m_data[m_pos];
            if (c == '#') {  // a comment inside a token is skipped
                while (m_pos < m_size && m_data[m_pos] != '\n' && m_data[m_pos] != '\r') ++m_pos;
                continue;
            }
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
            if (v > limit) return false;
            ++digits;
            ++m_pos;
        }
        value = static_cast<u32>(v);
        return digits > 0;
    }
    // One bitmap digit ('0' or '1'); digits need not be separated.
    bool bit(u32& value) {
        skip();
        if (m_pos >= m_size || (m_data[m_pos] != '0' && m_data[m_pos] != '1')) return false;
        value = m_data[m_pos++] - '0';
        return true;
    }
    size_t pos() const { return m_pos; }
    void advance(size_t n) { m_pos += n; }
    size_t left() const { return m_size - m_pos; }

private:
    const u8* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace

bool CImageLoaderPPM::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "ppm") || hasExtension(fileName, "pgm") || hasExtension(fileName, "pbm");
}

bool CImageLoaderPPM::canLoadContent(IReadableFile* file) const {
    u8 id[2];
    return file && readExact(file, id, 2) && id[0] == 'P' && id[1] >= '1' && id[1] <= '6';
}

CImage* CImageLoaderPPM::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    if (file->getSize() <= 11) {
        logFile("PPM: file too short", file, LogError);
        return nullptr;
    }
    std::vector<u8> data;
    if (!readBlock(file, bytesLeft(file), data) || data.size() < 2) {
        logFile("PPM: can't read file", file, LogError);
        return nullptr;
    }
    if (data[0] != 'P' || data[1] < '1' || data[1] > '6') {
        logFile("PPM: not a portable any-map file", file, LogError);
        return nullptr;
    }
    const u32 kind = data[1] - '0';
    const bool binary = kind >= 4;
    Tokenizer t(data.data(), data.size());
    t.advance(2);
    u32 width = 0, height = 0, maxValue = 1;
    if (!t.number(width, 0x7FFFFFFF) || !t.number(height, 0x7FFFFFFF)) {
        logFile("PPM: bad picture size", file, LogError);
        return nullptr;
    }
    const bool bitmap = kind == 1 || kind == 4;
    const bool grey = kind == 2 || kind == 5;
    if (!bitmap) {
        if (!t.number(maxValue, 0x7FFFFFFF) || maxValue > 255 || maxValue == 0) {
            logFile("PPM: unsupported maximum value", file, LogError);
            return nullptr;
        }
    }
    // Binary samples start after exactly one whitespace byte: a first sample that happens to
    // be a whitespace or '#' value stays a sample.
    if (binary) {
        if (t.left() == 0 || !isSpace(data[t.pos()])) {
            logFile("PPM: no pixel data", file, LogError);
            return nullptr;
        }
        t.advance(1);
    } else {
        t.skip();
    }
    const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    unsigned long long needed;
    switch (kind) {
        case 1: needed = pixels; break;
        case 2: needed = 2 * pixels; break;
        case 3: needed = 6 * pixels; break;
        case 4: needed = ((static_cast<unsigned long long>(width) + 7) / 8) * height; break;
        case 5: needed = pixels; break;
        default: needed = 3 * pixels; break;
    }
    if (!checkImageSize(width, height, bitmap ? 2 : 4, needed, t.left(), file)) return nullptr;

    const s32 w = static_cast<s32>(width), h = static_cast<s32>(height);
    if (bitmap) {
        // Rows of whole bytes, most significant bit first; a set bit is white. PBM's 1 is black,
        // so the bits are gathered inverted.
        const size_t rowBytes = (width + 7) / 8;
        std::vector<u8> bits(rowBytes * height, 0);
        const u8* raw = data.data() + t.pos();
        for (u32 y = 0; y < height; ++y) {
            for (u32 x = 0; x < width; ++x) {
                u32 black;
                if (binary) {
                    black = (raw[y * rowBytes + x / 8] >> (7 - (x & 7))) & 1;
                } else if (!t.bit(black)) {
                    logFile("PPM: bad pixel data", file, LogError);
                    return nullptr;
                }
                if (!black) bits[y * rowBytes + x / 8] |= static_cast<u8>(0x80 >> (x & 7));
            }
        }
        CImage* image = new CImage(context, ECF_A1R5G5B5, dimension2di(w, h));
        u8* out = static_cast<u8*>(image->lock());
        if (!out) {
            image->drop();
            return nullptr;
        }
        for (s32 y = 0; y < h; ++y)
            CColorConverter::convert1BitToA1R5G5B5(bits.data() + static_cast<size_t>(y) * rowBytes, w,
                                                   reinterpret_cast<u16*>(out + static_cast<size_t>(y) * image->getPitch()));
        return image;
    }

    CImage* image = new CImage(context, ECF_A8R8G8B8, dimension2di(w, h));
    u32* out = static_cast<u32*>(image->lock());
    if (!out) {
        image->drop();
        return nullptr;
    }
    const u32 channels = grey ? 1 : 3;
    const u8* raw = data.data() + t.pos();
    size_t next = 0;
    for (unsigned long long i = 0; i < pixels; ++i) {
        u32 c[3];
        for (u32 k = 0; k < channels; ++k) {
            if (binary) {
                c[k] = raw[next++];
            } else if (!t.number(c[k], 0xFFFFFFFF)) {
                logFile("PPM: bad pixel data", file, LogError);
                image->drop();
                return nullptr;
            }
            // Samples are taken as they stand (not rescaled), but never above the maximum.
            if (c[k] > maxValue) c[k] = maxValue;
        }
        if (grey) c[1] = c[2] = c[0];
        out[i] = 0xFF000000u | (c[0] << 16) | (c[1] << 8) | c[2];
    }
    return image;
}

bool CImageWriterPPM::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "ppm");
}

bool CImageWriterPPM::writeImage(IWritableFile* file, CImage* image, u32) const {
    if (!file || !image) return false;
    char buffer[70];
    auto put = [&](int length) {
        return length > 0 && length < static_cast<int>(sizeof(buffer)) &&
               file->write(buffer, static_cast<u32>(length)) == length;
    };
    const s32 width = image->getDimension().Width, height = image->getDimension().Height;
    if (!put(std::snprintf(buffer, sizeof(buffer), "P3\n")) ||
        !put(std::snprintf(buffer, sizeof(buffer), "%d %d\n", width, height)) ||
        !put(std::snprintf(buffer, sizeof(buffer), "255\n")))
        return false;
    u32 count = 0;
    for (s32 y = 0; y < height; ++y) {
        for (s32 x = 0; x < width; ++x) {
            const u32 c = image->getPixel(x, y);
            ++count;
            if (!put(std::snprintf(buffer, sizeof(buffer), "%.3u %.3u %.3u%s", (c >> 16) & 0xFF,
                                   (c >> 8) & 0xFF, c & 0xFF, count % 5 == 0 ? "\n" : "  ")))
                return false;
        }
    }
    return true;
}

}  // namespace oskel
