#include "engine/video/SColorUtils.h"

#include <cstring>

namespace oskel {

namespace {

constexpr f32 kInv255 = 0.003921569f;

u32 channel(u32 c, u32 shift) { return (c >> shift) & 0xffu; }

u32 floatToChannel(f32 v) {
    const f32 scaled = v * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 255.0f) return 255;
    return static_cast<u32>(scaled);
}

}  // namespace

u32 modulateColor(u32 a, u32 b) {
    u32 result = 0;
    for (u32 shift = 0; shift < 32; shift += 8) {
        const f32 v = static_cast<f32>(channel(a, shift)) * static_cast<f32>(channel(b, shift)) * kInv255;
        u32 c = static_cast<u32>(v);
        if (c > 255) c = 255;
        result |= c << shift;
    }
    return result;
}

u16 colorToA1R5G5B5(u32 c) {
    return static_cast<u16>(((c >> 16) & 0x8000u) | ((c >> 9) & 0x7C00u) | ((c >> 6) & 0x03E0u) |
                            ((c >> 3) & 0x001Fu));
}

SColorf toFloatColor(u32 c) {
    return SColorf(static_cast<f32>(channel(c, 16)) * kInv255, static_cast<f32>(channel(c, 8)) * kInv255,
                   static_cast<f32>(channel(c, 0)) * kInv255, static_cast<f32>(channel(c, 24)) * kInv255);
}

u32 toPackedColor(const SColorf& c) {
    return (floatToChannel(c.a) << 24) | (floatToChannel(c.r) << 16) | (floatToChannel(c.g) << 8) |
           floatToChannel(c.b);
}

u32 toRGBAByteOrder(u32 c) {
    const u8 bytes[4] = {static_cast<u8>(channel(c, 16)), static_cast<u8>(channel(c, 8)),
                         static_cast<u8>(channel(c, 0)), static_cast<u8>(channel(c, 24))};
    u32 result;
    std::memcpy(&result, bytes, 4);
    return result;
}

const matrix4& getIdentityMatrix() {
    static const matrix4 identity(matrix4::EM4CONST_IDENTITY);
    return identity;
}

}  // namespace oskel
