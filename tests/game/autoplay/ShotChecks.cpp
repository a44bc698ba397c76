#include "tests/game/autoplay/ShotChecks.h"

#include <algorithm>
#include <cmath>

namespace brasquel::autoplay {

using namespace oskel;

namespace {

constexpr u32 kColourMask = 0x00ffffffu;

// The pixels of the rectangle that lie in the image: [x0, x1) x [y0, y1).
struct SPixelRange {
    s32 x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

SPixelRange rangeOf(const CImage& image, const rectf& rect) {
    const s32 w = image.getDimension().Width, h = image.getDimension().Height;
    auto clamp = [](f32 v, s32 hi) {
        const s32 i = static_cast<s32>(std::floor(v));
        return i < 0 ? 0 : (i > hi ? hi : i);
    };
    return SPixelRange{clamp(rect.UpperLeftCorner.X, w), clamp(rect.UpperLeftCorner.Y, h),
                       clamp(std::ceil(rect.LowerRightCorner.X), w),
                       clamp(std::ceil(rect.LowerRightCorner.Y), h)};
}

}  // namespace

rectf wholeImage(const CImage& image) {
    return rectf(0.0f, 0.0f, static_cast<f32>(image.getDimension().Width),
                 static_cast<f32>(image.getDimension().Height));
}

bool isBlank(const CImage& image) { return !isVariedInside(image, wholeImage(image)); }

bool differsInside(const CImage& a, const CImage& b, const rectf& rect) {
    if (a.getDimension() != b.getDimension()) return false;
    const SPixelRange r = rangeOf(a, rect);
    for (s32 y = r.y0; y < r.y1; ++y)
        for (s32 x = r.x0; x < r.x1; ++x)
            if (((a.getPixel(x, y) ^ b.getPixel(x, y)) & kColourMask) != 0) return true;
    return false;
}

bool isVariedInside(const CImage& image, const rectf& rect) {
    const SPixelRange r = rangeOf(image, rect);
    if (r.empty()) return false;
    const u32 first = image.getPixel(r.x0, r.y0) & kColourMask;
    for (s32 y = r.y0; y < r.y1; ++y)
        for (s32 x = r.x0; x < r.x1; ++x)
            if ((image.getPixel(x, y) & kColourMask) != first) return true;
    return false;
}

double whiteShareInside(const CImage& image, const rectf& rect) {
    const SPixelRange r = rangeOf(image, rect);
    if (r.empty()) return 0.0;
    u64 white = 0;
    for (s32 y = r.y0; y < r.y1; ++y)
        for (s32 x = r.x0; x < r.x1; ++x) {
            const u32 p = image.getPixel(x, y);
            const u32 c[] = {(p >> 16) & 0xffu, (p >> 8) & 0xffu, p & 0xffu};
            const u32 low = std::min({c[0], c[1], c[2]}), high = std::max({c[0], c[1], c[2]});
            if (low >= WhiteLeast && high - low <= WhiteSpread) ++white;
        }
    const u64 all = static_cast<u64>(r.x1 - r.x0) * static_cast<u64>(r.y1 - r.y0);
    return static_cast<double>(white) / static_cast<double>(all);
}

}  // namespace brasquel::autoplay
