#pragma once

// What the Direct3D drivers share of sending states to the device: the transforms of each mode,
// the fixed states of the image, stencil-fill and shadow-volume modes, the basic states of a
// material, fog, lights and clip planes. The calls are written over the device, which both faces
// name alike; where the faces differ (how a texture stage is sampled, the fixed image states), a
// small traits type says how:
//   Device  the face's device;
//   static void setSampler(Device*, DWORD stage, ESamplerState, DWORD value);
//   kImageModeSpecularOff  whether the image mode switches specular highlights off;
//   kImageAddressStages    how many stages the image mode sets to wrap;
//   kImageFilter, kImageMipFilter  how images are sampled (minification and magnification
//                                  alike, and between mip levels).

#include <array>
#include <vector>

#include "engine/platform/d3d/D3DCommon.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// The sampling states of a texture stage, whichever way the face sends them.
enum ESamplerState : u32 {
    SamplerAddressU,
    SamplerAddressV,
    SamplerMagFilter,
    SamplerMinFilter,
    SamplerMipFilter,
    SamplerMaxAnisotropy,
    SamplerMipLODBias,
};

// The sampler state of a setting (the Direct3D 9 face) and its texture-stage state (the
// Direct3D 8 face, which samples through its stages).
constexpr D3DSAMPLERSTATETYPE samplerStateOf(ESamplerState state) {
    switch (state) {
        case SamplerAddressU:
            return D3DSAMP_ADDRESSU;
        case SamplerAddressV:
            return D3DSAMP_ADDRESSV;
        case SamplerMagFilter:
            return D3DSAMP_MAGFILTER;
        case SamplerMinFilter:
            return D3DSAMP_MINFILTER;
        case SamplerMipFilter:
            return D3DSAMP_MIPFILTER;
        case SamplerMaxAnisotropy:
            return D3DSAMP_MAXANISOTROPY;
        case SamplerMipLODBias:
            return D3DSAMP_MIPMAPLODBIAS;
    }
    return D3DSAMP_ADDRESSU;
}
constexpr D3DTEXTURESTAGESTATETYPE stageSamplerStateOf(ESamplerState state) {
    switch (state) {
        case SamplerAddressU:
            return D3DTSS_ADDRESSU;
        case SamplerAddressV:
            return D3DTSS_ADDRESSV;
        case SamplerMagFilter:
            return D3DTSS_MAGFILTER;
        case SamplerMinFilter:
            return D3DTSS_MINFILTER;
        case SamplerMipFilter:
            return D3DTSS_MIPFILTER;
        case SamplerMaxAnisotropy:
            return D3DTSS_MAXANISOTROPY;
        case SamplerMipLODBias:
            return D3DTSS_MIPMAPLODBIAS;
    }
    return D3DTSS_ADDRESSU;
}

// Mip-map level bias in eighths of a level.
constexpr f32 kLODBiasStep = 0.125f;

inline const D3DMATRIX& identityMatrix() {
    static const D3DMATRIX m = matrixOf(matrix4());
    return m;
}

// The view, world and projection transforms.
template <class Device>
void sendTransforms(Device* device, const matrix4& view, const matrix4& world,
                    const matrix4& projection) {
    const D3DMATRIX v = matrixOf(view);
    const D3DMATRIX w = matrixOf(world);
    const D3DMATRIX p = matrixOf(projection);
    device->SetTransform(D3DTS_VIEW, &v);
    device->SetTransform(D3DTS_WORLD, &w);
    device->SetTransform(D3DTS_PROJECTION, &p);
}

// The 2D mode's transforms: no view, the pixel projection of the render target, and the world
// transform, which applies to 2D vertices (another mode may have sent its own).
template <class Device>
void sendPixelProjection(Device* device, const dimension2di& size, const matrix4& world) {
    device->SetTransform(D3DTS_VIEW, &identityMatrix());
    const D3DMATRIX projection = matrixOf(pixelProjection(size.Width, size.Height));
    device->SetTransform(D3DTS_PROJECTION, &projection);
    const D3DMATRIX w = matrixOf(world);
    device->SetTransform(D3DTS_WORLD, &w);
}

// One transform as the engine sets it; a texture transform also switches the stage's coordinate
// transform on.
template <class Device>
void sendTransform(Device* device, ETransformationState state, const matrix4& mat) {
    const D3DMATRIX matrix = matrixOf(mat);
    switch (state) {
        case ETS_VIEW:
            device->SetTransform(D3DTS_VIEW, &matrix);
            break;
        case ETS_WORLD:
            device->SetTransform(D3DTS_WORLD, &matrix);
            break;
        case ETS_PROJECTION:
            device->SetTransform(D3DTS_PROJECTION, &matrix);
            break;
        default: {
            const DWORD stage = static_cast<DWORD>(state - ETS_TEXTURE_0);
            device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
            device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage),
                                 mat.isIdentity() ? &identityMatrix() : &matrix);
            break;
        }
    }
}

// The states of the image mode (draw2DImage and its kin): identity transforms, no depth, solid
// fill, no lighting or fog, one stage, no stencil, wrapped and untransformed coordinates.
template <class Traits>
void sendImageModeStates(typename Traits::Device* device) {
    device->SetTransform(D3DTS_VIEW, &identityMatrix());
    device->SetTransform(D3DTS_WORLD, &identityMatrix());
    device->SetTransform(D3DTS_PROJECTION, &identityMatrix());
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    if (Traits::kImageModeSpecularOff) device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    for (DWORD stage = 1; stage < MATERIAL_MAX_TEXTURES; ++stage) {
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    for (DWORD stage = 0; stage < Traits::kImageAddressStages; ++stage) {
        Traits::setSampler(device, stage, SamplerAddressU, D3DTADDRESS_WRAP);
        Traits::setSampler(device, stage, SamplerAddressV, D3DTADDRESS_WRAP);
    }
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTransform(D3DTS_TEXTURE0, &identityMatrix());
}

// The stage and blend states of one image: its sampling when it has a texture, then the stage
// operations and the blending of the fixed image table.
template <class Traits>
void sendImageStates(typename Traits::Device* device, bool alpha, bool texture, bool alphaChannel) {
    if (texture) {
        Traits::setSampler(device, 0, SamplerMinFilter, Traits::kImageFilter);
        Traits::setSampler(device, 0, SamplerMipFilter, Traits::kImageMipFilter);
        Traits::setSampler(device, 0, SamplerMagFilter, Traits::kImageFilter);
    }
    const SFixedImageStages stages = fixedImageStages(alpha, texture, alphaChannel);
    device->SetTextureStageState(0, D3DTSS_COLOROP, stages.ColorOp);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, stages.ColorArg1);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, stages.ColorArg2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, stages.AlphaOp);
    if (stages.SetAlphaArg1) device->SetTextureStageState(0, D3DTSS_ALPHAARG1, stages.AlphaArg1);
    if (stages.SetAlphaArg2) device->SetTextureStageState(0, D3DTSS_ALPHAARG2, stages.AlphaArg2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, stages.Blend ? TRUE : FALSE);
    if (stages.Blend) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
}

// The states of the stencil-fill mode (the shadow colour drawn where the stencil is set):
// identity transforms, no depth, the vertex colour, blended by the vertex alpha when asked.
template <class Device>
void sendStencilFillStates(Device* device, bool alpha) {
    device->SetTransform(D3DTS_VIEW, &identityMatrix());
    device->SetTransform(D3DTS_WORLD, &identityMatrix());
    device->SetTransform(D3DTS_PROJECTION, &identityMatrix());
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    for (DWORD stage = 1; stage < MATERIAL_MAX_TEXTURES; ++stage) {
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    if (alpha) {
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    } else {
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }
}

// The stencil states of a shadow volume drawn with the depth-fail or the depth-pass method; the
// colour writes leave the target as it is.
template <class Device>
void sendShadowVolumeStencil(Device* device, bool zFail) {
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    if (zFail) {
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        device->SetRenderState(D3DRS_STENCILREF, 0);
    } else {
        device->SetRenderState(D3DRS_STENCILREF, 1);
    }
    device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

// The basic states of a material up to its colour mask, each group only when it changed.
template <class Device>
void sendMaterialStates(Device* device, const SMaterial& m, const SMaterialChanges& changed,
                        bool colorMask) {
    if (changed.Colors || changed.Specular) {
        const D3DMATERIAL material = materialOf(m);
        device->SetMaterial(&material);
    }
    // Also after a reset: a reset device has forgotten where its material colours come from.
    if (changed.ColorMaterial) {
        const SColorSources sources = colorSourcesOf(m.ColorMaterial);
        device->SetRenderState(D3DRS_COLORVERTEX, sources.VertexColor ? TRUE : FALSE);
        device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, sources.Diffuse);
        device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, sources.Ambient);
        device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, sources.Emissive);
        device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, sources.Specular);
    }
    if (changed.FillMode) device->SetRenderState(D3DRS_FILLMODE, fillModeOf(m));
    if (changed.Shading)
        device->SetRenderState(D3DRS_SHADEMODE,
                               m.GouraudShading ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    if (changed.Lighting) device->SetRenderState(D3DRS_LIGHTING, m.Lighting ? TRUE : FALSE);
    if (changed.ZBuffer) {
        switch (depthTestOf(m.ZBuffer)) {
            case EDT_OFF:
                device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
                break;
            case EDT_COMPARE:
                device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
                device->SetRenderState(D3DRS_ZFUNC, comparisonOf(m.ZBuffer));
                break;
            case EDT_UNKNOWN:
                break;  // codes beyond the table send nothing
        }
    }
    if (changed.ZWrite) device->SetRenderState(D3DRS_ZWRITEENABLE, m.ZWriteEnable ? TRUE : FALSE);
    if (changed.Culling) device->SetRenderState(D3DRS_CULLMODE, cullModeOf(m));
    if (changed.Fog) device->SetRenderState(D3DRS_FOGENABLE, m.FogEnable ? TRUE : FALSE);
    if (changed.NormalizeNormals)
        device->SetRenderState(D3DRS_NORMALIZENORMALS, m.NormalizeNormals ? TRUE : FALSE);
    if (changed.ColorMask && colorMask)
        device->SetRenderState(D3DRS_COLORWRITEENABLE, colorWriteBitsOf(m.ColorMask));
}

// The point size and the sampling of each texture layer of a material, each only when it
// changed.
template <class Traits>
void sendLayerStates(typename Traits::Device* device, const SMaterial& m,
                     const SMaterialChanges& changed, DWORD textureFilterCaps,
                     DWORD maxAnisotropy) {
    if (changed.Thickness) device->SetRenderState(D3DRS_POINTSIZE, floatBits(m.Thickness));
    for (u32 i = 0; i < changed.LayerCount; ++i) {
        const SMaterialLayer& layer = m.TextureLayer[i];
        const SMaterialChanges::SLayer& c = changed.Layers[i];
        if (c.LODBias)
            Traits::setSampler(device, i, SamplerMipLODBias,
                               floatBits(static_cast<f32>(layer.LODBias) * kLODBiasStep));
        if (c.Wrap) {
            const D3DTEXTUREADDRESS address = addressOf(layer.TextureWrap);
            Traits::setSampler(device, i, SamplerAddressU, address);
            Traits::setSampler(device, i, SamplerAddressV, address);
        }
        if (c.Filter) {
            const SSamplerFilters filters =
                samplerFiltersOf(layer, textureFilterCaps, maxAnisotropy);
            if (filters.Anisotropic)
                Traits::setSampler(device, i, SamplerMaxAnisotropy, filters.MaxAnisotropy);
            Traits::setSampler(device, i, SamplerMagFilter, filters.Magnification);
            Traits::setSampler(device, i, SamplerMinFilter, filters.Minification);
            Traits::setSampler(device, i, SamplerMipFilter, filters.Mip);
        }
    }
}

// Fog: its colour, linear (start and end) or exponential (density), per pixel or per vertex
// (then optionally by range).
template <class Device>
void sendFog(Device* device, SColor color, bool linear, f32 start, f32 end, f32 density,
             bool pixelFog, bool rangeFog) {
    device->SetRenderState(D3DRS_FOGCOLOR, color.color);
    device->SetRenderState(pixelFog ? D3DRS_FOGTABLEMODE : D3DRS_FOGVERTEXMODE,
                           linear ? D3DFOG_LINEAR : D3DFOG_EXP);
    if (linear) {
        device->SetRenderState(D3DRS_FOGSTART, floatBits(start));
        device->SetRenderState(D3DRS_FOGEND, floatBits(end));
    } else {
        device->SetRenderState(D3DRS_FOGDENSITY, floatBits(density));
    }
    if (!pixelFog) device->SetRenderState(D3DRS_RANGEFOGENABLE, rangeFog ? TRUE : FALSE);
}

// Switches one clip plane on or off among those the device has on.
template <class Device>
void switchClipPlane(Device* device, u32 index, bool enable) {
    DWORD bits = 0;
    device->GetRenderState(D3DRS_CLIPPLANEENABLE, &bits);
    bits = enable ? (bits | (1u << index)) : (bits & ~(1u << index));
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, bits);
}

// What a reset made the device forget: the lights set up to the last (each on or off as it was),
// the clip planes given and the enabled ones.
template <class Device, class Lights>
void sendLightsAndClipPlanes(Device* device, const Lights& lights, s32 lastLight,
                             f32 largestLightRange, const std::vector<bool>& lightOn,
                             const std::vector<std::array<f32, 4>>& clipPlanes, u32 clipPlaneCount,
                             DWORD clipPlanesEnabled) {
    for (s32 i = 0; i <= lastLight && static_cast<u32>(i) < lights.size(); ++i) {
        const D3DLIGHT light = lightOf(lights[static_cast<u32>(i)], largestLightRange);
        if (device->SetLight(static_cast<DWORD>(i), &light) != D3D_OK) continue;
        device->LightEnable(static_cast<DWORD>(i), lightOn[static_cast<size_t>(i)] ? TRUE : FALSE);
    }
    for (u32 i = 0; i < clipPlaneCount; ++i)
        if (clipPlanesEnabled & (1u << i)) device->SetClipPlane(i, clipPlanes[i].data());
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, clipPlanesEnabled);
}

}  // namespace oskel::d3dcommon
