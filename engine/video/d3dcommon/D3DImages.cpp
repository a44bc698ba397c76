#include "engine/video/d3dcommon/D3DImages.h"

#include <cstring>

namespace oskel::d3dcommon {

const u16 kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

namespace {

SFVFStandardVertex corner(f32 x, f32 y, SColor color, f32 u, f32 v) {
    return SFVFStandardVertex{x, y, 0.0f, 0.0f, 0.0f, 0.0f, color.color, u, v};
}

}  // namespace

bool imageQuad(const vector2di& position, const recti& sourceRect, const recti* clipRect,
               const dimension2di& targetSize, const dimension2di& imageSize, SColor color,
               SFVFStandardVertex corners[4]) {
    vector2di target = position;
    vector2di source = sourceRect.UpperLeftCorner;
    s32 width = sourceRect.getWidth();
    s32 height = sourceRect.getHeight();

    // Cuts the target to the limits, moving the source along.
    auto cut = [&](s32 left, s32 top, s32 right, s32 bottom) {
        if (target.X < left) {
            const s32 shift = left - target.X;
            width -= shift;
            target.X += shift;
            source.X += shift;
        }
        if (target.X + width > right) width = right - target.X;
        if (target.Y < top) {
            const s32 shift = top - target.Y;
            height -= shift;
            target.Y += shift;
            source.Y += shift;
        }
        if (target.Y + height > bottom) height = bottom - target.Y;
        return width > 0 && height > 0;
    };
    if (clipRect && !cut(clipRect->UpperLeftCorner.X, clipRect->UpperLeftCorner.Y,
                         clipRect->LowerRightCorner.X, clipRect->LowerRightCorner.Y))
        return false;
    if (!cut(0, 0, targetSize.Width, targetSize.Height)) return false;

    const f32 tw = imageSize.Width > 0 ? static_cast<f32>(imageSize.Width) : 1.0f;
    const f32 th = imageSize.Height > 0 ? static_cast<f32>(imageSize.Height) : 1.0f;
    const f32 u0 = (static_cast<f32>(source.X) + 0.5f) / tw;
    const f32 v0 = (static_cast<f32>(source.Y) + 0.5f) / th;
    const f32 u1 = (static_cast<f32>(source.X) + 0.5f + static_cast<f32>(width)) / tw;
    const f32 v1 = (static_cast<f32>(source.Y) + 0.5f + static_cast<f32>(height)) / th;

    const s32 halfW = targetSize.Width / 2, halfH = targetSize.Height / 2;
    const f32 sx = targetSize.Width > 0 ? 2.0f / static_cast<f32>(targetSize.Width) : 0.0f;
    const f32 sy = targetSize.Height > 0 ? 2.0f / static_cast<f32>(targetSize.Height) : 0.0f;
    const f32 x0 = static_cast<f32>(target.X - halfW) * sx;
    const f32 x1 = static_cast<f32>(target.X + width - halfW) * sx;
    const f32 y0 = static_cast<f32>(halfH - target.Y) * sy;
    const f32 y1 = static_cast<f32>(halfH - target.Y - height) * sy;
    corners[0] = corner(x0, y0, color, u0, v0);
    corners[1] = corner(x1, y0, color, u1, v0);
    corners[2] = corner(x1, y1, color, u1, v1);
    corners[3] = corner(x0, y1, color, u0, v1);
    return true;
}

void stretchedImageQuad(const recti& destRect, const recti& sourceRect,
                        const dimension2di& targetSize, const dimension2di& imageSize,
                        const SColor* colors, SFVFStandardVertex corners[4], bool& anyAlpha) {
    const f32 tw = imageSize.Width > 0 ? static_cast<f32>(imageSize.Width) : 1.0f;
    const f32 th = imageSize.Height > 0 ? static_cast<f32>(imageSize.Height) : 1.0f;
    const f32 u0 = static_cast<f32>(sourceRect.UpperLeftCorner.X) / tw;
    const f32 v0 = static_cast<f32>(sourceRect.UpperLeftCorner.Y) / th;
    const f32 u1 = static_cast<f32>(sourceRect.LowerRightCorner.X) / tw;
    const f32 v1 = static_cast<f32>(sourceRect.LowerRightCorner.Y) / th;
    const f32 sx = targetSize.Width > 0 ? 2.0f / static_cast<f32>(targetSize.Width) : 0.0f;
    const f32 sy = targetSize.Height > 0 ? 2.0f / static_cast<f32>(targetSize.Height) : 0.0f;
    const f32 x0 = static_cast<f32>(destRect.UpperLeftCorner.X) * sx - 1.0f;
    const f32 x1 = static_cast<f32>(destRect.LowerRightCorner.X) * sx - 1.0f;
    const f32 y0 = 1.0f - static_cast<f32>(destRect.UpperLeftCorner.Y) * sy;
    const f32 y1 = 1.0f - static_cast<f32>(destRect.LowerRightCorner.Y) * sy;
    const SColor white(0xFFFFFFFFu);
    // Left-top, right-top, right-bottom, left-bottom from the engine's order.
    const SColor c[4] = {colors ? colors[0] : white, colors ? colors[3] : white,
                         colors ? colors[2] : white, colors ? colors[1] : white};
    anyAlpha = false;
    for (const SColor& each : c)
        if (each.getAlpha() < 255) anyAlpha = true;
    corners[0] = corner(x0, y0, c[0], u0, v0);
    corners[1] = corner(x1, y0, c[1], u1, v0);
    corners[2] = corner(x1, y1, c[2], u1, v1);
    corners[3] = corner(x0, y1, c[3], u0, v1);
}

SFixedImageStages fixedImageStages(bool alpha, bool texture, bool alphaChannel) {
    SFixedImageStages s;
    if (texture && alphaChannel) {
        s.Blend = true;
        if (alpha) {
            s.AlphaOp = D3DTOP_MODULATE;
            s.SetAlphaArg1 = s.SetAlphaArg2 = true;
        } else {
            s.AlphaOp = D3DTOP_SELECTARG1;
            s.SetAlphaArg1 = true;
        }
    } else if (texture && alpha) {
        s.AlphaOp = D3DTOP_SELECTARG2;
        s.SetAlphaArg2 = true;
        s.Blend = true;
    } else if (!texture && alpha) {
        s.AlphaOp = D3DTOP_SELECTARG1;
        s.AlphaArg1 = D3DTA_DIFFUSE;
        s.SetAlphaArg1 = true;
        s.Blend = true;
    }
    return s;
}

bool clipRectangle(recti& r, const recti* clip) {
    if (clip) {
        if (r.LowerRightCorner.X > clip->LowerRightCorner.X)
            r.LowerRightCorner.X = clip->LowerRightCorner.X;
        if (r.LowerRightCorner.Y > clip->LowerRightCorner.Y)
            r.LowerRightCorner.Y = clip->LowerRightCorner.Y;
        if (r.UpperLeftCorner.X < clip->UpperLeftCorner.X)
            r.UpperLeftCorner.X = clip->UpperLeftCorner.X;
        if (r.UpperLeftCorner.Y < clip->UpperLeftCorner.Y)
            r.UpperLeftCorner.Y = clip->UpperLeftCorner.Y;
        if (r.UpperLeftCorner.Y > r.LowerRightCorner.Y) r.UpperLeftCorner.Y = r.LowerRightCorner.Y;
        if (r.UpperLeftCorner.X > r.LowerRightCorner.X) r.UpperLeftCorner.X = r.LowerRightCorner.X;
    } else if (r.LowerRightCorner.X < r.UpperLeftCorner.X) {
        return false;
    }
    return r.LowerRightCorner.Y >= r.UpperLeftCorner.Y;
}

recti clipViewport(const recti& area, const dimension2di& screen) {
    recti vp = area;
    if (vp.LowerRightCorner.X > screen.Width) vp.LowerRightCorner.X = screen.Width;
    if (vp.LowerRightCorner.Y > screen.Height) vp.LowerRightCorner.Y = screen.Height;
    if (vp.UpperLeftCorner.X < 0) vp.UpperLeftCorner.X = 0;
    if (vp.UpperLeftCorner.Y < 0) vp.UpperLeftCorner.Y = 0;
    if (vp.UpperLeftCorner.Y > vp.LowerRightCorner.Y) vp.UpperLeftCorner.Y = vp.LowerRightCorner.Y;
    if (vp.UpperLeftCorner.X > vp.LowerRightCorner.X) vp.UpperLeftCorner.X = vp.LowerRightCorner.X;
    return vp;
}

void copyScreenRows(const u8* source, u32 sourcePitch, u8* target, u32 targetPitch, u32 width,
                    u32 height, bool fillAlpha) {
    for (u32 y = 0; y < height; ++y) {
        const u8* from = source + static_cast<size_t>(y) * sourcePitch;
        u8* to = target + static_cast<size_t>(y) * targetPitch;
        if (!fillAlpha) {
            std::memcpy(to, from, static_cast<size_t>(width) * 4);
            continue;
        }
        for (u32 x = 0; x < width; ++x) {
            u32 pixel;
            std::memcpy(&pixel, from + x * 4, 4);
            pixel |= 0xFF000000u;
            std::memcpy(to + x * 4, &pixel, 4);
        }
    }
}

}  // namespace oskel::d3dcommon
