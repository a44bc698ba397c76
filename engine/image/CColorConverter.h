#pragma once

// The engine's pixel-format conversions between the four image colour formats.
//
// Widening rule: a 5-bit channel becomes 8 bits by replicating its high bits into the low ones
// ((v << 3) | (v >> 2)), a 6-bit channel likewise ((v << 2) | (v >> 4)), so that full intensity
// stays full (31 -> 255) and zero stays zero. The 1-bit alpha of A1R5G5B5 becomes 0 or 255;
// narrowing keeps the alpha bit exactly when the 8-bit alpha is 128 or more. The pixel-opacity
// test of textures relies on 16-bit pixels reading back with alpha 0 or 255 only.

#include "engine/core/OskelTypes.h"
#include "engine/image/EColorFormat.h"

namespace oskel {

class CColorConverter {
public:
    // One pixel as 32-bit ARGB, and back.
    static u32 A1R5G5B5toA8R8G8B8(u16 color) {
        const u32 r = (color >> 10) & 0x1F, g = (color >> 5) & 0x1F, b = color & 0x1F;
        return ((color & 0x8000) ? 0xFF000000u : 0u) | (((r << 3) | (r >> 2)) << 16) |
               (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
    }
    static u32 R5G6B5toA8R8G8B8(u16 color) {
        const u32 r = (color >> 11) & 0x1F, g = (color >> 5) & 0x3F, b = color & 0x1F;
        return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
               ((b << 3) | (b >> 2));
    }
    static u16 A8R8G8B8toA1R5G5B5(u32 color) {
        return static_cast<u16>(((color >> 16) & 0x8000) | ((color >> 9) & 0x7C00) |
                                ((color >> 6) & 0x03E0) | ((color >> 3) & 0x001F));
    }
    static u16 A8R8G8B8toR5G6B5(u32 color) {
        return static_cast<u16>(((color >> 8) & 0xF800) | ((color >> 5) & 0x07E0) |
                                ((color >> 3) & 0x001F));
    }
    // 5-bit green widened to 6 bits by the same replication; the alpha bit is dropped.
    static u16 A1R5G5B5toR5G6B5(u16 color) {
        const u16 g5 = (color >> 5) & 0x1F;
        return static_cast<u16>(((color & 0x7C00) << 1) | (((g5 << 1) | (g5 >> 4)) << 5) |
                                (color & 0x1F));
    }
    // Opaque: the lowest green bit is dropped.
    static u16 R5G6B5toA1R5G5B5(u16 color) {
        return static_cast<u16>(0x8000 | ((color >> 1) & 0x7FE0) | (color & 0x1F));
    }

    // Reads one pixel of the format at the address as ARGB (0 for an unknown format).
    static u32 readPixel(const void* pixel, ECOLOR_FORMAT format);
    // Writes an ARGB colour as one pixel of the format (nothing for an unknown format).
    static void writePixel(u32 color, void* pixel, ECOLOR_FORMAT format);

    // Converts count pixels from one format to another; the areas must not overlap. Nothing
    // happens for an unknown format.
    static void convertRow(const void* source, ECOLOR_FORMAT sourceFormat, s32 count,
                           void* target, ECOLOR_FORMAT targetFormat);

    // count pixels of a 1-bit row (most significant bit first) to A1R5G5B5: a set bit is opaque
    // white (0xFFFF), a clear bit opaque black (0x8000).
    static void convert1BitToA1R5G5B5(const u8* bits, s32 count, u16* target);
    // count 8-bit palette indices to opaque A1R5G5B5; the palette holds 0x00RRGGBB entries and
    // an index at or beyond paletteSize gives opaque black.
    static void convert8BitToA1R5G5B5(const u8* indices, s32 count, u16* target,
                                      const u32* palette, u32 paletteSize);
    // The same for 4-bit indices, high nibble first.
    static void convert4BitToA1R5G5B5(const u8* indices, s32 count, u16* target,
                                      const u32* palette, u32 paletteSize);
};

}  // namespace oskel
