#include "tests/image/ImageFixtures.h"

#include <cstdlib>
#include <cstring>

#include <png.h>
#include <jpeglib.h>

#include "engine/io/CMemoryFile.h"
#include "engine/image/CImageManager.h"

namespace oskel::test {

namespace {

// Channel values that every format holds exactly (5-bit with replicated high bits, and their
// 6-bit green equal too).
const u8 ExactLevels[8] = {0x00, 0x08, 0x10, 0x18, 0xE7, 0xEF, 0xF7, 0xFF};

void put16(Bytes& b, size_t at, u32 v) {
    b[at] = static_cast<u8>(v);
    b[at + 1] = static_cast<u8>(v >> 8);
}
void put32(Bytes& b, size_t at, u32 v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

void pngWriteToVector(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void pngNoFlush(png_structp) {}

}  // namespace

u32 patternColor(s32 x, s32 y) {
    const u32 r = ExactLevels[x & 7], g = ExactLevels[y & 7], b = ExactLevels[(x + 3 * y + 1) & 7];
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

CRefPtr<CImage> makePatternImage(ECOLOR_FORMAT format, s32 width, s32 height) {
    auto image = makeRef<CImage>(CCreationContext(), format, dimension2di(width, height));
    for (s32 y = 0; y < height; ++y)
        for (s32 x = 0; x < width; ++x) image->setPixel(x, y, patternColor(x, y));
    return image;
}

CRefPtr<CImage> makeGradientImage(s32 width, s32 height) {
    auto image = makeRef<CImage>(CCreationContext(), ECF_R8G8B8, dimension2di(width, height));
    for (s32 y = 0; y < height; ++y)
        for (s32 x = 0; x < width; ++x)
            image->setPixel(x, y, 0xFF000000u | ((x * 255 / (width > 1 ? width - 1 : 1)) << 16) |
                                      ((y * 255 / (height > 1 ? height - 1 : 1)) << 8) | 0x60);
    return image;
}

Bytes writeToBytes(const IImageWriter& writer, CImage* image, const char* name, u32 quality) {
    auto file = makeRef<CVirtualFile>(name);
    if (!writer.writeImage(file.get(), image, quality)) return {};
    Bytes out(static_cast<size_t>(file->getSize()));
    file->seek(0);
    if (!out.empty()) file->read(out.data(), static_cast<u32>(out.size()));
    return out;
}

CRefPtr<CImage> loadFromBytes(const IImageLoader& loader, const Bytes& bytes, const char* name) {
    u8* copy = new u8[bytes.size() + 1];
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    auto file = makeRef<CMemoryFile>(copy, static_cast<s32>(bytes.size()), name, true);
    return CRefPtr<CImage>::fromRaw(loader.loadImage(file.get(), CCreationContext(nullptr, name)));
}

CRefPtr<CImage> loadWithManager(const Bytes& bytes, const char* name) {
    u8* copy = new u8[bytes.size() + 1];
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    auto file = makeRef<CMemoryFile>(copy, static_cast<s32>(bytes.size()), name, true);
    return CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext(nullptr, name)));
}

Bytes makePng(s32 width, s32 height, int colorType, int bitDepth, bool interlaced, bool withTransparency) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, pngWriteToVector, pngNoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[16];
        for (int i = 0; i < 16; ++i) {
            const u32 c = patternColor(i, i / 2);
            palette[i] = {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)};
        }
        png_set_PLTE(png, info, palette, 1 << (bitDepth < 4 ? bitDepth : 4));
        if (withTransparency) {
            png_byte alpha[2] = {0xFF, 0x80};
            png_set_tRNS(png, info, alpha, 2, nullptr);
        }
    }
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3
                         : colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
    const size_t rowBytes = (static_cast<size_t>(width) * channels * bitDepth + 7) / 8;
    std::vector<Bytes> rows(static_cast<size_t>(height), Bytes(rowBytes, 0));
    for (s32 y = 0; y < height; ++y) {
        for (s32 x = 0; x < width; ++x) {
            const u32 c = patternColor(x, y);
            u32 samples[4] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 0xFF - static_cast<u32>(x)};
            if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                samples[0] = samples[1];
                samples[1] = samples[3];
            }
            if (colorType == PNG_COLOR_TYPE_PALETTE) samples[0] = static_cast<u32>(x + y) % (1u << (bitDepth < 4 ? bitDepth : 4));
            for (int k = 0; k < channels; ++k) {
                const u32 v = samples[k];
                const size_t index = static_cast<size_t>(x) * channels + k;
                if (bitDepth == 16) {
                    rows[y][index * 2] = static_cast<u8>(v);  // high byte = the 8-bit value
                    rows[y][index * 2 + 1] = static_cast<u8>(v ^ 0x5A);
                } else if (bitDepth == 8) {
                    rows[y][index] = static_cast<u8>(v);
                } else {
                    const u32 level = colorType == PNG_COLOR_TYPE_PALETTE ? v : (v >> (8 - bitDepth));
                    const size_t bit = index * bitDepth;
                    rows[y][bit / 8] |= static_cast<u8>(level << (8 - bitDepth - bit % 8));
                }
            }
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes makeJpeg(s32 width, s32 height, bool progressive, bool grey, int quality) {
    auto picture = makeGradientImage(width, height);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(static_cast<size_t>(width) * 3);
    const u8* pixels = static_cast<const u8*>(picture->lock());
    while (cinfo.next_scanline < cinfo.image_height) {
        const u8* src = pixels + cinfo.next_scanline * picture->getPitch();
        for (s32 x = 0; x < width; ++x) {
            if (grey)
                row[x] = src[x * 3 + 1];
            else
                std::memcpy(&row[x * 3], src + x * 3, 3);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes packBmpRows(const std::vector<std::vector<u32>>& topDownRows, u16 bits) {
    const size_t width = topDownRows.empty() ? 0 : topDownRows[0].size();
    const size_t rowBytes = (width * bits + 7) / 8, stride = (rowBytes + 3) & ~size_t(3);
    Bytes out(stride * topDownRows.size(), 0);
    for (size_t r = 0; r < topDownRows.size(); ++r) {
        const size_t base = (topDownRows.size() - 1 - r) * stride;
        for (size_t x = 0; x < width; ++x) {
            const u32 v = topDownRows[r][x];
            switch (bits) {
                case 1: if (v) out[base + x / 8] |= static_cast<u8>(0x80 >> (x % 8)); break;
                case 4: out[base + x / 2] |= static_cast<u8>((v & 15) << ((x & 1) ? 0 : 4)); break;
                case 8: out[base + x] = static_cast<u8>(v); break;
                case 16: put16(out, base + x * 2, v); break;
                case 24:
                    out[base + x * 3] = static_cast<u8>(v);
                    out[base + x * 3 + 1] = static_cast<u8>(v >> 8);
                    out[base + x * 3 + 2] = static_cast<u8>(v >> 16);
                    break;
                default: put32(out, base + x * 4, v); break;
            }
        }
    }
    return out;
}

Bytes makeBmp(const BmpLayout& layout) {
    const size_t headerEnd = 14 + (layout.headerSize < 40 ? 40 : layout.headerSize);  // room for the fields
    const size_t offset = headerEnd + layout.palette.size() * 4;
    Bytes out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<u32>(offset + layout.data.size()));
    put32(out, 10, static_cast<u32>(static_cast<long long>(offset) + layout.dataOffsetDelta));
    put32(out, 14, layout.headerSize);
    put32(out, 18, static_cast<u32>(layout.width));
    put32(out, 22, static_cast<u32>(layout.height));
    put16(out, 26, 1);
    put16(out, 28, layout.bits);
    put32(out, 30, layout.compression);
    put32(out, 34, layout.dataSizeField ? layout.dataSizeField : static_cast<u32>(layout.data.size()));
    if (layout.headerSize >= 108) {
        // V4/V5 fields after the basic header: masks and colour space, recognisable values that
        // must not be taken for palette entries.
        for (size_t at = 54; at < headerEnd; ++at) out[at] = static_cast<u8>(0xA0 + at % 16);
    }
    for (size_t i = 0; i < layout.palette.size(); ++i) put32(out, headerEnd + i * 4, layout.palette[i]);
    out.insert(out.end(), layout.data.begin(), layout.data.end());
    return out;
}

Bytes makeTga(const TgaLayout& layout) {
    // Sized once: the parts are copied to their offsets.
    const size_t mapBytes = static_cast<size_t>(layout.colorMapLength) * ((layout.colorMapEntryBits + 7) / 8);
    const size_t dataAt = 18 + layout.id.size() + mapBytes;
    Bytes out(dataAt + layout.data.size() + (layout.footer ? 26 : 0), 0);
    out[0] = static_cast<u8>(layout.id.size());
    out[1] = layout.colorMapType;
    out[2] = layout.imageType;
    put16(out, 5, layout.colorMapLength);
    out[7] = layout.colorMapEntryBits;
    put16(out, 12, layout.width);
    put16(out, 14, layout.height);
    out[16] = layout.depth;
    out[17] = layout.descriptor;
    for (size_t i = 0; i < layout.id.size(); ++i) out[18 + i] = static_cast<u8>(layout.id[i]);
    for (size_t i = 0; i < mapBytes; ++i) out[18 + layout.id.size() + i] = static_cast<u8>(0xC0 + i);
    for (size_t i = 0; i < layout.data.size(); ++i) out[dataAt + i] = layout.data[i];
    if (layout.footer) std::memcpy(&out[out.size() - 18], "TRUEVISION-XFILE.", 18);
    return out;
}

Bytes tgaRle(const Bytes& pixels, u32 pixelBytes) {
    Bytes out;
    const size_t count = pixels.size() / pixelBytes;
    auto same = [&](size_t a, size_t b) {
        return std::memcmp(&pixels[a * pixelBytes], &pixels[b * pixelBytes], pixelBytes) == 0;
    };
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(static_cast<u8>(0x80 | (run - 1)));
            out.insert(out.end(), pixels.begin() + i * pixelBytes, pixels.begin() + (i + 1) * pixelBytes);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
        out.push_back(static_cast<u8>(raw - 1));
        out.insert(out.end(), pixels.begin() + i * pixelBytes, pixels.begin() + (i + raw) * pixelBytes);
        i += raw;
    }
    return out;
}

Bytes pcxRle(const Bytes& lines) {
    Bytes out;
    size_t i = 0;
    while (i < lines.size()) {
        size_t run = 1;
        while (i + run < lines.size() && run < 63 && lines[i + run] == lines[i]) ++run;
        if (run > 1 || (lines[i] & 0xC0) == 0xC0) {
            out.push_back(static_cast<u8>(0xC0 | run));
            out.push_back(lines[i]);
        } else {
            out.push_back(lines[i]);
        }
        i += run;
    }
    return out;
}

Bytes makePcx(const PcxLayout& layout) {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = layout.bits;
    put16(out, 4, layout.xMin);
    put16(out, 6, layout.yMin);
    put16(out, 8, layout.xMax);
    put16(out, 10, layout.yMax);
    out[65] = layout.planes;
    put16(out, 66, layout.bytesPerLine);
    put16(out, 68, 1);
    const Bytes packed = pcxRle(layout.lines);
    out.insert(out.end(), packed.begin(), packed.end());
    if (!layout.palette.empty()) {
        out.push_back(12);
        for (u32 c : layout.palette) {
            out.push_back(static_cast<u8>(c >> 16));
            out.push_back(static_cast<u8>(c >> 8));
            out.push_back(static_cast<u8>(c));
        }
    }
    return out;
}

Bytes makeWal(u32 width, u32 height, const Bytes& indices, u32 offsetDelta) {
    Bytes out(100 + indices.size(), 0);
    std::memcpy(out.data(), "textures/test", 13);
    put32(out, 32, width);
    put32(out, 36, height);
    put32(out, 40, 100 + offsetDelta);
    for (size_t i = 0; i < indices.size(); ++i) out[100 + i] = indices[i];
    return out;
}

Bytes toBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace oskel::test
