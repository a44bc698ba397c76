#include "engine/video/d3dcommon/D3DMipMaps.h"

#include <cstring>

namespace oskel::d3dcommon {

namespace {

struct SChannels {
    u32 a, r, g, b;
};

SChannels read(EMipPixels pixels, const u8* row, u32 x) {
    if (pixels == EMP_A8R8G8B8) {
        u32 v;
        std::memcpy(&v, row + x * 4, 4);
        return {v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF};
    }
    u16 v;
    std::memcpy(&v, row + x * 2, 2);
    if (pixels == EMP_R5G6B5)
        return {255u, static_cast<u32>((v >> 11) & 0x1F) << 3,
                static_cast<u32>((v >> 5) & 0x3F) << 2, static_cast<u32>(v & 0x1F) << 3};
    auto widen = [](u32 five) { return (five << 3) | (five >> 2); };
    return {(v & 0x8000) ? 255u : 0u, widen((v >> 10) & 0x1F), widen((v >> 5) & 0x1F),
            widen(v & 0x1F)};
}

void write(EMipPixels pixels, u8* row, u32 x, const SChannels& c) {
    if (pixels == EMP_A8R8G8B8) {
        const u32 v = (c.a << 24) | (c.r << 16) | (c.g << 8) | c.b;
        std::memcpy(row + x * 4, &v, 4);
        return;
    }
    u16 v;
    if (pixels == EMP_R5G6B5)
        v = static_cast<u16>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
    else
        v = static_cast<u16>(((c.a & 0x80) ? 0x8000 : 0) | ((c.r >> 3) << 10) | ((c.g >> 3) << 5) |
                             (c.b >> 3));
    std::memcpy(row + x * 2, &v, 2);
}

}  // namespace

void boxFilterLevel(EMipPixels pixels, const u8* upper, u32 upperWidth, u32 upperHeight,
                    u32 upperPitch, u8* lower, u32 lowerWidth, u32 lowerHeight, u32 lowerPitch) {
    if (!upper || !lower || upperWidth == 0 || upperHeight == 0) return;
    for (u32 y = 0; y < lowerHeight; ++y) {
        const u32 y0 = 2 * y < upperHeight ? 2 * y : upperHeight - 1;
        const u32 y1 = 2 * y + 1 < upperHeight ? 2 * y + 1 : upperHeight - 1;
        const u8* row0 = upper + static_cast<size_t>(y0) * upperPitch;
        const u8* row1 = upper + static_cast<size_t>(y1) * upperPitch;
        u8* out = lower + static_cast<size_t>(y) * lowerPitch;
        for (u32 x = 0; x < lowerWidth; ++x) {
            const u32 x0 = 2 * x < upperWidth ? 2 * x : upperWidth - 1;
            const u32 x1 = 2 * x + 1 < upperWidth ? 2 * x + 1 : upperWidth - 1;
            const SChannels p[4] = {read(pixels, row0, x0), read(pixels, row0, x1),
                                    read(pixels, row1, x0), read(pixels, row1, x1)};
            SChannels sum{0, 0, 0, 0};
            for (const SChannels& c : p) {
                sum.a += c.a;
                sum.r += c.r;
                sum.g += c.g;
                sum.b += c.b;
            }
            write(pixels, out, x, SChannels{sum.a / 4, sum.r / 4, sum.g / 4, sum.b / 4});
        }
    }
}

}  // namespace oskel::d3dcommon
