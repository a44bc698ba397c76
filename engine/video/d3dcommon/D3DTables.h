#pragma once

// What the Direct3D drivers share of the engine's values in Direct3D's terms: formats, the
// per-material tables, colours, materials, lights, matrices and the driver's features. Nothing
// here names a face of Direct3D, so either driver takes it as it is.

#include "engine/platform/d3d/D3DCommon.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/IVideoDriver.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// --- Formats ---

// The Direct3D format of an engine colour format code: 0 A1R5G5B5, 1 R5G6B5, 2 R8G8B8,
// 3 A8R8G8B8, 4 to 9 the floating-point formats; any other code D3DFMT_UNKNOWN.
D3DFORMAT d3dFormatOf(ECOLOR_FORMAT format);
// The engine code of a Direct3D format: R8G8B8 2; A8R8G8B8, X8R8G8B8 and A8B8G8R8 3; R5G6B5 1;
// the floating-point formats 4 to 9; every other format 0.
ECOLOR_FORMAT colorFormatOf(D3DFORMAT format);
// Bytes per pixel: 3 for R8G8B8; 4 for A8R8G8B8, X8R8G8B8, A8B8G8R8; 2 for R5G6B5, X1R5G5B5,
// A1R5G5B5; 0 for any other format.
u32 bytesPerPixelOf(D3DFORMAT format);

// The smallest power of two not below the value (1 for values below 2).
s32 powerOfTwoAtLeast(s32 value);
dimension2di powerOfTwoSize(const dimension2di& size);

// The format a texture of an image is made in, from the texture-creation flags: the first of
// "optimised for speed", "always 16 bit", "always 32 bit", "optimised for quality" that is set
// decides (none counts as speed); speed and 16 bit give A1R5G5B5, 32 bit A8R8G8B8, quality
// A8R8G8B8 for 24- and 32-bit images and A1R5G5B5 for the others. With readNoAlpha, the "no
// alpha channel" flag turns A8R8G8B8 into R8G8B8 and A1R5G5B5 into R5G6B5.
D3DFORMAT textureFormatFor(u32 creationFlags, ECOLOR_FORMAT imageFormat, bool readNoAlpha);
// The format tried when a texture of the format cannot be made: A8R8G8B8 gives A1R5G5B5,
// R8G8B8 gives R5G6B5; D3DFMT_UNKNOWN for every other format (no second try).
D3DFORMAT fallbackTextureFormat(D3DFORMAT format);

// --- The per-material tables ---

// The comparison of a depth code 1 to 7 (less-equal, equal, less, not-equal, greater-equal,
// greater, always); for codes outside the table the caller asks depthTestOf first.
D3DCMPFUNC comparisonOf(u8 zBuffer);
// A wrap code's addressing: wrap for 0 and codes above 4, clamp for 1 and 2, border for 3,
// mirror for 4.
D3DTEXTUREADDRESS addressOf(u8 textureWrap);
// The engine's colour-mask bits (1 alpha, 2 red, 4 green, 8 blue) as Direct3D's colour-write
// bits (1 red, 2 green, 4 blue, 8 alpha).
DWORD colorWriteBitsOf(u8 colorMask);
// The filters of a layer: with any filter on, magnification and minification anisotropic when
// the layer asks for anisotropy and the device's filter capabilities allow it for that
// direction, else linear, the mip filter linear with trilinear filtering, else point; with
// none, point, point and no mip filter. maxAnisotropy is the layer's degree bounded by the
// device's, for when either direction is anisotropic.
struct SSamplerFilters {
    D3DTEXTUREFILTERTYPE Magnification = D3DTEXF_POINT;
    D3DTEXTUREFILTERTYPE Minification = D3DTEXF_POINT;
    D3DTEXTUREFILTERTYPE Mip = D3DTEXF_NONE;
    bool Anisotropic = false;
    DWORD MaxAnisotropy = 1;
};
SSamplerFilters samplerFiltersOf(const SMaterialLayer& layer, DWORD textureFilterCaps,
                                 DWORD deviceMaxAnisotropy);
// The fill mode: wireframe, else point for a point cloud, else solid.
D3DFILLMODE fillModeOf(const SMaterial& material);
// The culling: clockwise faces culled with front-face culling, else counter-clockwise ones with
// back-face culling, else none.
D3DCULL cullModeOf(const SMaterial& material);
// The material-colour sources of a colour-material code: vertex colour (1 and 5 diffuse,
// 2 and 5 ambient, 3 emissive, 4 specular), the material otherwise.
struct SColorSources {
    bool VertexColor = false;
    D3DMATERIALCOLORSOURCE Diffuse = D3DMCS_MATERIAL;
    D3DMATERIALCOLORSOURCE Ambient = D3DMCS_MATERIAL;
    D3DMATERIALCOLORSOURCE Emissive = D3DMCS_MATERIAL;
    D3DMATERIALCOLORSOURCE Specular = D3DMCS_MATERIAL;
};
SColorSources colorSourcesOf(u8 colorMaterial);

// The blend factor of a packed one-texture-blend code (0 zero, 1 one, 2 destination colour,
// 3 one minus destination colour, 4 source colour, 5 one minus source colour, 6 source alpha,
// 7 one minus source alpha, 8 destination alpha, 9 one minus destination alpha, 10 source alpha
// saturated; one for other codes).
D3DBLEND blendFactorOf(u32 code);

// --- Colours, materials, lights, matrices ---

// Each channel times 1/255 as the drivers take it (0.003921568859368563).
D3DCOLORVALUE colorValueOf(SColor color);
D3DCOLORVALUE colorValueOf(const SColorf& color);
// A float colour as 32-bit ARGB, each channel times 255, truncated.
D3DCOLOR colorOf(const SColorf& color);
D3DMATERIAL materialOf(const SMaterial& material);
// Point, spot or directional for the engine's types 0, 1 and 2; the range the smaller of the
// light's radius and the largest range; the cones doubled, in radians.
D3DLIGHT lightOf(const SLight& light, f32 largestRange);
D3DMATRIX matrixOf(const matrix4& m);
// A plane through the matrix: its point through the matrix, its normal through the inverse
// transposed; the four coefficients (a, b, c, d) of a x + b y + c z + d = 0.
void transformedPlane(const plane3df& plane, const matrix4& m, f32 out[4]);

// The 2D projection: a left-handed orthographic projection of width w and height -h, near
// -10000, far 10000, whose translation is (-1 - 1/w, 1 + 1/h, 0), so that a coordinate (x, y)
// falls on the top-left corner of pixel (x, y).
matrix4 pixelProjection(s32 width, s32 height);
// The texture matrix of sphere maps: rows 0.5, 0, 0, 0 / 0, -0.5, 0, 0 / 0, 0, 1, 0 /
// 0.5, 0.5, 0, 1.
matrix4 sphereMapMatrix();

// --- Features ---

// What a driver adds to its capabilities for the feature table.
struct SFeatureFacts {
    bool StencilBuffer = false;       // the driver's stencil-buffer flag
    bool RenderTargetAlways = false;  // render to texture whatever the capabilities say
    bool HighLevelShaders = true;     // the driver offers a high-level shader language
};
// The feature table of the Direct3D drivers (the feature's switch is the caller's).
bool hasFeature(EVideoDriverFeature feature, const D3DCAPS_COMMON& caps,
                const SFeatureFacts& facts);

}  // namespace oskel::d3dcommon
