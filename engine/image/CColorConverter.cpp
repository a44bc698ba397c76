#include "engine/image/CColorConverter.h"

#include <cstring>

namespace oskel {

namespace {

u16 load16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }
void store16(u8* p, u16 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
u32 load32(const u8* p) {
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}
void store32(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
    p[2] = static_cast<u8>(v >> 16);
    p[3] = static_cast<u8>(v >> 24);
}

s32 bytesOf(ECOLOR_FORMAT format) {
    switch (format) {
        case ECF_A1R5G5B5:
        case ECF_R5G6B5: return 2;
        case ECF_R8G8B8: return 3;
        case ECF_A8R8G8B8: return 4;
        default: return 0;
    }
}

}  // namespace

u32 CColorConverter::readPixel(const void* pixel, ECOLOR_FORMAT format) {
    const u8* p = static_cast<const u8*>(pixel);
    switch (format) {
        case ECF_A1R5G5B5: return A1R5G5B5toA8R8G8B8(load16(p));
        case ECF_R5G6B5: return R5G6B5toA8R8G8B8(load16(p));
        case ECF_R8G8B8:
            return 0xFF000000u | (static_cast<u32>(p[0]) << 16) | (static_cast<u32>(p[1]) << 8) | p[2];
        case ECF_A8R8G8B8: return load32(p);
        default: return 0;
    }
}

void CColorConverter::writePixel(u32 color, void* pixel, ECOLOR_FORMAT format) {
    u8* p = static_cast<u8*>(pixel);
    switch (format) {
        case ECF_A1R5G5B5: store16(p, A8R8G8B8toA1R5G5B5(color)); break;
        case ECF_R5G6B5: store16(p, A8R8G8B8toR5G6B5(color)); break;
        case ECF_R8G8B8:
            p[0] = static_cast<u8>(color >> 16);
            p[1] = static_cast<u8>(color >> 8);
            p[2] = static_cast<u8>(color);
            break;
        case ECF_A8R8G8B8: store32(p, color); break;
        default: break;
    }
}

void CColorConverter::convertRow(const void* source, ECOLOR_FORMAT sourceFormat, s32 count,
                                 void* target, ECOLOR_FORMAT targetFormat) {
    const s32 sb = bytesOf(sourceFormat), tb = bytesOf(targetFormat);
    if (!source || !target || count <= 0 || sb == 0 || tb == 0) return;
    const u8* in = static_cast<const u8*>(source);
    u8* out = static_cast<u8*>(target);
    if (sourceFormat == targetFormat) {
        std::memcpy(out, in, static_cast<size_t>(count) * static_cast<size_t>(sb));
        return;
    }
    // The frequent pairs directly; the others through ARGB.
    if (sourceFormat == ECF_A1R5G5B5 && targetFormat == ECF_R5G6B5) {
        for (s32 i = 0; i < count; ++i) store16(out + 2 * i, A1R5G5B5toR5G6B5(load16(in + 2 * i)));
        return;
    }
    if (sourceFormat == ECF_R5G6B5 && targetFormat == ECF_A1R5G5B5) {
        for (s32 i = 0; i < count; ++i) store16(out + 2 * i, R5G6B5toA1R5G5B5(load16(in + 2 * i)));
        return;
    }
    if (sourceFormat == ECF_R8G8B8 && targetFormat == ECF_A8R8G8B8) {
        for (s32 i = 0; i < count; ++i, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0xFF;
        }
        return;
    }
    if (sourceFormat == ECF_A8R8G8B8 && targetFormat == ECF_R8G8B8) {
        for (s32 i = 0; i < count; ++i, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        return;
    }
    for (s32 i = 0; i < count; ++i, in += sb, out += tb)
        writePixel(readPixel(in, sourceFormat), out, targetFormat);
}

void CColorConverter::convert1BitToA1R5G5B5(const u8* bits, s32 count, u16* target) {
    for (s32 i = 0; i < count; ++i)
        target[i] = (bits[i >> 3] & (0x80 >> (i & 7))) ? 0xFFFF : 0x8000;
}

void CColorConverter::convert8BitToA1R5G5B5(const u8* indices, s32 count, u16* target,
                                            const u32* palette, u32 paletteSize) {
    for (s32 i = 0; i < count; ++i) {
        const u32 index = indices[i];
        const u32 color = (palette && index < paletteSize) ? palette[index] : 0u;
        target[i] = A8R8G8B8toA1R5G5B5(color | 0xFF000000u);
    }
}

void CColorConverter::convert4BitToA1R5G5B5(const u8* indices, s32 count, u16* target,
                                            const u32* palette, u32 paletteSize) {
    for (s32 i = 0; i < count; ++i) {
        const u32 index = (i & 1) ? (indices[i >> 1] & 0x0F) : (indices[i >> 1] >> 4);
        const u32 color = (palette && index < paletteSize) ? palette[index] : 0u;
        target[i] = A8R8G8B8toA1R5G5B5(color | 0xFF000000u);
    }
}

}  // namespace oskel
