#pragma once

// What the Direct3D drivers share of their 2D operations: the image quads in clip coordinates
// with their clipping and texture coordinates, the stage set-up of the fixed image states, the
// clipping of rectangles and viewports, and the rows of a screen shot.

#include "engine/platform/d3d/D3DCommon.h"
#include "engine/video/IVideoDriver.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// A vertex of the flexible vertex format 0x152 in Direct3D's field order: position, normal,
// diffuse colour, one coordinate set.
struct SFVFStandardVertex {
    f32 x, y, z;
    f32 nx, ny, nz;
    D3DCOLOR color;
    f32 u, v;
};
static_assert(sizeof(SFVFStandardVertex) == 36, "the standard vertex format is 36 bytes");

// The indices of an image quad's two triangles over its corners left-top, right-top,
// right-bottom, left-bottom.
extern const u16 kQuadIndices[6];

// An image drawn at its own size: the target (position plus the source rectangle's size) and
// the source rectangle move together as the target is cut to the clip rectangle (when given)
// and to the render target. False when nothing is left. Texture coordinates are the source
// rectangle's with half a texel added, over the texture's image size; clip coordinates come from
// the render target's integer half sizes. The corners carry the colour.
bool imageQuad(const vector2di& position, const recti& sourceRect, const recti* clipRect,
               const dimension2di& targetSize, const dimension2di& imageSize, SColor color,
               SFVFStandardVertex corners[4]);

// An image stretched into the destination rectangle: texture coordinates are the source
// rectangle over the image size; clip coordinates x = px × 2/W − 1, y = 1 − py × 2/H. The corner
// colours come in the engine's order (upper left, lower left, lower right, upper right), white
// without them. Whether any colour has alpha below 255 is returned in anyAlpha.
void stretchedImageQuad(const recti& destRect, const recti& sourceRect,
                        const dimension2di& targetSize, const dimension2di& imageSize,
                        const SColor* colors, SFVFStandardVertex corners[4], bool& anyAlpha);

// The stage-0 set-up of the fixed image states for (alpha, texture, alpha channel). The colour
// is always the texture's times the diffuse colour, so that no operation a material left on the
// stage shows through.
struct SFixedImageStages {
    D3DTEXTUREOP ColorOp = D3DTOP_MODULATE;
    DWORD ColorArg1 = D3DTA_TEXTURE;
    DWORD ColorArg2 = D3DTA_DIFFUSE;
    D3DTEXTUREOP AlphaOp = D3DTOP_DISABLE;
    DWORD AlphaArg1 = D3DTA_TEXTURE;
    DWORD AlphaArg2 = D3DTA_DIFFUSE;
    bool SetAlphaArg1 = false;
    bool SetAlphaArg2 = false;
    bool Blend = false;  // source alpha over inverse source alpha
};
SFixedImageStages fixedImageStages(bool alpha, bool texture, bool alphaChannel);

// A 2D rectangle clipped for drawing: with a clip rectangle its edges are brought inside it (an
// inverted result collapses to no area but is still drawn); without one a rectangle whose right
// is left of its left draws nothing; a bottom above the top never draws. False: draw nothing.
bool clipRectangle(recti& rect, const recti* clipRect);

// A viewport clipped to the screen: right and bottom to at most its size, left and top to at
// least 0, then an inverted rectangle collapsed.
recti clipViewport(const recti& area, const dimension2di& screenSize);

// Copies screen rows of 32-bit pixels into an A8R8G8B8 image's rows; with fillAlpha every pixel
// gets alpha 255.
void copyScreenRows(const u8* source, u32 sourcePitch, u8* target, u32 targetPitch, u32 width,
                    u32 height, bool fillAlpha);

}  // namespace oskel::d3dcommon
