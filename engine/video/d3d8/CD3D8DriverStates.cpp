// The Direct3D 8 driver's render modes, materials and their states, transforms, textures, fog,
// lights, clip planes and shader services.

#include "engine/core/CLogger.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d8/CD3D8MaterialRenderers.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

namespace {

// Mip-map level bias in eighths of a level.
constexpr f32 kLODBiasStep = 0.125f;

const D3DMATRIX& identity() {
    static const D3DMATRIX m = d3dcommon::matrixOf(matrix4());
    return m;
}

}  // namespace

// Modes.

bool CD3D8Driver::applyMaterial(bool unsetPrevious) {
    m_materialState.apply(*this, this, unsetPrevious);
    if (IMaterialRenderer* renderer = m_materialState.currentRenderer(*this))
        return renderer->OnRender(this, m_lastVertexType);
    return true;
}

bool CD3D8Driver::set3DRenderMode() {
    if (!m_device) return false;
    const bool was3D = m_renderMode == RenderMode3D;
    if (!was3D) {
        sendStoredTransforms();
        m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        m_materialState.requestReset();
    }
    const bool result = applyMaterial(was3D);
    m_renderMode = RenderMode3D;
    return result;
}

bool CD3D8Driver::set2DRenderMode() {
    if (!m_device) return false;
    if (m_renderMode != RenderMode2D) {
        m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        m_materialState.requestReset();
        m_transformChanged = true;
        m_renderMode = RenderMode2D;
    }
    if (m_transformChanged) {
        m_device->SetTransform(D3DTS_VIEW, &identity());
        const dimension2di& size = getCurrentRenderTargetSize();
        const D3DMATRIX projection =
            d3dcommon::matrixOf(d3dcommon::pixelProjection(size.Width, size.Height));
        m_device->SetTransform(D3DTS_PROJECTION, &projection);
        // The world transform applies to 2D vertices; another mode may have sent its own.
        const D3DMATRIX world = d3dcommon::matrixOf(m_transforms[ETS_WORLD].Matrix);
        m_device->SetTransform(D3DTS_WORLD, &world);
        m_transformChanged = false;
    }
    return applyMaterial(true);
}

void CD3D8Driver::sendStoredTransforms() {
    const D3DMATRIX view = d3dcommon::matrixOf(m_transforms[ETS_VIEW].Matrix);
    const D3DMATRIX world = d3dcommon::matrixOf(m_transforms[ETS_WORLD].Matrix);
    const D3DMATRIX projection = d3dcommon::matrixOf(m_transforms[ETS_PROJECTION].Matrix);
    m_device->SetTransform(D3DTS_VIEW, &view);
    m_device->SetTransform(D3DTS_WORLD, &world);
    m_device->SetTransform(D3DTS_PROJECTION, &projection);
}

void CD3D8Driver::enterFixed2DMode() {
    if (!m_device) return;
    if (m_renderMode != RenderModeImages || m_transformChanged) {
        m_device->SetTransform(D3DTS_VIEW, &identity());
        m_device->SetTransform(D3DTS_WORLD, &identity());
        m_device->SetTransform(D3DTS_PROJECTION, &identity());
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        for (DWORD stage = 1; stage < MATERIAL_MAX_TEXTURES; ++stage) {
            m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
            m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        }
        m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        for (DWORD stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage) {
            m_device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
            m_device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
        }
        m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        m_device->SetTransform(D3DTS_TEXTURE0, &identity());
        m_transformChanged = false;
        // The material whose states are on the device lets go of them: the images have their
        // own, and the next 2D or 3D drawing sends every material state again as a mode change.
        if (m_renderMode == RenderMode2D || m_renderMode == RenderMode3D) {
            const s32 type = m_materialState.last().MaterialType;
            if (IMaterialRenderer* renderer =
                    type >= 0 ? getMaterialRenderer(static_cast<u32>(type)) : nullptr)
                renderer->OnUnsetMaterial();
        }
        m_materialState.requestReset();
    }
    m_renderMode = RenderModeImages;
}

void CD3D8Driver::setFixed2DStates(bool alpha, bool texture, bool alphaChannel) {
    if (!m_device) return;
    enterFixed2DMode();
    if (texture) {
        // Images are sampled texel for texel.
        m_device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        m_device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        m_device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    }
    const d3dcommon::SFixedImageStages stages =
        d3dcommon::fixedImageStages(alpha, texture, alphaChannel);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, stages.ColorOp);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, stages.ColorArg1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, stages.ColorArg2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, stages.AlphaOp);
    if (stages.SetAlphaArg1) m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, stages.AlphaArg1);
    if (stages.SetAlphaArg2) m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, stages.AlphaArg2);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, stages.Blend ? TRUE : FALSE);
    if (stages.Blend) {
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
}

void CD3D8Driver::setStencilFillStates(bool alpha) {
    if (!m_device) return;
    if (m_renderMode != RenderModeStencilFill || m_transformChanged) {
        m_device->SetTransform(D3DTS_VIEW, &identity());
        m_device->SetTransform(D3DTS_WORLD, &identity());
        m_device->SetTransform(D3DTS_PROJECTION, &identity());
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        for (DWORD stage = 1; stage < MATERIAL_MAX_TEXTURES; ++stage) {
            m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
            m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        }
        m_device->SetRenderState(D3DRS_STENCILREF, 1);
        m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
        m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
        m_device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
        m_device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        m_transformChanged = false;
        m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        if (alpha) {
            m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
            m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        } else {
            m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        }
    }
    m_renderMode = RenderModeStencilFill;
}

void CD3D8Driver::setShadowVolumeStates(bool zFail) {
    if (!m_device) return;
    const ERenderMode previous = m_renderMode;
    if ((previous != RenderModeShadowVolumeZFail && previous != RenderModeShadowVolumeZPass) ||
        m_transformChanged) {
        sendStoredTransforms();
        m_transformChanged = false;
        for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage) {
            if (m_currentTextures[stage]) setTexture(stage, nullptr);
            m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
            m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        }
        m_device->SetVertexShader(d3dcommon::kFVFPosition);
        m_lastVertexType = 0xFFFFFFFFu;
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        if (previous == RenderMode3D) {
            if (IMaterialRenderer* renderer = m_materialState.currentRenderer(*this))
                renderer->OnUnsetMaterial();
        }
    }
    const ERenderMode wanted = zFail ? RenderModeShadowVolumeZFail : RenderModeShadowVolumeZPass;
    if (previous != wanted) {
        m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
        m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
        if (zFail) {
            m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
            m_device->SetRenderState(D3DRS_STENCILREF, 0);
        } else {
            m_device->SetRenderState(D3DRS_STENCILREF, 1);
        }
        m_device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
        m_device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
        // Colour writes leave the target as it is.
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    m_renderMode = wanted;
}

// Transforms, materials, textures.

void CD3D8Driver::setTransform(ETransformationState state, const matrix4& mat) {
    if (!storeTransform(state, mat)) return;
    // Texture transforms leave the 2D projection as it is.
    if (state == ETS_VIEW || state == ETS_WORLD || state == ETS_PROJECTION)
        m_transformChanged = true;
    if (!m_device) return;
    const D3DMATRIX matrix = d3dcommon::matrixOf(mat);
    switch (state) {
        case ETS_VIEW:
            m_device->SetTransform(D3DTS_VIEW, &matrix);
            break;
        case ETS_WORLD:
            m_device->SetTransform(D3DTS_WORLD, &matrix);
            break;
        case ETS_PROJECTION:
            m_device->SetTransform(D3DTS_PROJECTION, &matrix);
            break;
        default: {
            const DWORD stage = static_cast<DWORD>(state - ETS_TEXTURE_0);
            m_device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
            m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage),
                                   mat.isIdentity() ? &identity() : &matrix);
            break;
        }
    }
}

void CD3D8Driver::setMaterial(const SMaterial& material) {
    m_materialState.setCurrent(material);
    const SMaterial& current = m_materialState.current();
    for (u32 unit = 0; unit < m_textureUnits; ++unit) {
        const CTextureResource* resource =
            unit < current.LayerCount ? current.TextureLayer[unit].Texture : nullptr;
        setTexture(unit, resource ? resource->getTexture() : nullptr);
    }
}

ITexture* CD3D8Driver::getCurrentTexture(u32 stage) const {
    return stage < MATERIAL_MAX_TEXTURES ? m_currentTextures[stage].get() : nullptr;
}

bool CD3D8Driver::setTexture(u32 stage, ITexture* texture) {
    if (stage >= MATERIAL_MAX_TEXTURES) return false;
    if (m_currentTextures[stage].get() == texture) return true;
    if (texture && texture->getDriverType() != DriverDirect3D8) {
        CLogger::instance().log("Fatal Error: Tried to set a texture not owned by this driver.",
                                LogError);
        return false;
    }
    // Held while bound: a texture freed and another made at its address is never taken for the
    // one the stage binds.
    m_currentTextures[stage].assign(texture);
    if (!m_device) return true;
    if (!texture) {
        m_device->SetTexture(stage, nullptr);
        m_device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    } else {
        m_device->SetTexture(stage, static_cast<CD3D8Texture*>(texture)->getD3D8Texture());
    }
    return true;
}

void CD3D8Driver::unbindStage0() {
    if (m_currentTextures[0]) setTexture(0, nullptr);
}

// The basic states of a material: each group only when it changed (every group with reset).

void CD3D8Driver::setBasicRenderStates(const SMaterial& m, const SMaterial& last, bool reset) {
    if (!m_device) return;
    const SMaterialChanges changed = compareMaterials(m, last, reset);
    if (changed.Colors || changed.Specular) {
        const D3DMATERIAL8 material = d3dcommon::materialOf(m);
        m_device->SetMaterial(&material);
    }
    // Also after a reset: a reset device has forgotten where its material colours come from.
    if (changed.ColorMaterial) {
        const d3dcommon::SColorSources sources = d3dcommon::colorSourcesOf(m.ColorMaterial);
        m_device->SetRenderState(D3DRS_COLORVERTEX, sources.VertexColor ? TRUE : FALSE);
        m_device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, sources.Diffuse);
        m_device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, sources.Ambient);
        m_device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, sources.Emissive);
        m_device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, sources.Specular);
    }
    if (changed.FillMode) m_device->SetRenderState(D3DRS_FILLMODE, d3dcommon::fillModeOf(m));
    if (changed.Shading)
        m_device->SetRenderState(D3DRS_SHADEMODE,
                                 m.GouraudShading ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    if (changed.Lighting) m_device->SetRenderState(D3DRS_LIGHTING, m.Lighting ? TRUE : FALSE);
    if (changed.ZBuffer) {
        switch (depthTestOf(m.ZBuffer)) {
            case EDT_OFF:
                m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
                break;
            case EDT_COMPARE:
                m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
                m_device->SetRenderState(D3DRS_ZFUNC, d3dcommon::comparisonOf(m.ZBuffer));
                break;
            case EDT_UNKNOWN:
                break;  // codes beyond the table send nothing
        }
    }
    if (changed.ZWrite) m_device->SetRenderState(D3DRS_ZWRITEENABLE, m.ZWriteEnable ? TRUE : FALSE);
    if (changed.Culling) m_device->SetRenderState(D3DRS_CULLMODE, d3dcommon::cullModeOf(m));
    if (changed.Fog) m_device->SetRenderState(D3DRS_FOGENABLE, m.FogEnable ? TRUE : FALSE);
    if (changed.NormalizeNormals)
        m_device->SetRenderState(D3DRS_NORMALIZENORMALS, m.NormalizeNormals ? TRUE : FALSE);
    if (changed.ColorMask && queryFeature(EVDF_COLOR_MASK))
        m_device->SetRenderState(D3DRS_COLORWRITEENABLE, d3dcommon::colorWriteBitsOf(m.ColorMask));

    if (changed.Thickness) m_device->SetRenderState(D3DRS_POINTSIZE, floatBits(m.Thickness));

    for (u32 i = 0; i < changed.LayerCount; ++i) {
        const SMaterialLayer& layer = m.TextureLayer[i];
        const SMaterialChanges::SLayer& c = changed.Layers[i];
        if (c.LODBias)
            m_device->SetTextureStageState(
                i, D3DTSS_MIPMAPLODBIAS, floatBits(static_cast<f32>(layer.LODBias) * kLODBiasStep));
        if (c.Wrap) {
            const D3DTEXTUREADDRESS address = d3dcommon::addressOf(layer.TextureWrap);
            m_device->SetTextureStageState(i, D3DTSS_ADDRESSU, address);
            m_device->SetTextureStageState(i, D3DTSS_ADDRESSV, address);
        }
        if (c.Filter) {
            const d3dcommon::SSamplerFilters filters =
                d3dcommon::samplerFiltersOf(layer, m_caps.TextureFilterCaps, m_caps.MaxAnisotropy);
            if (filters.Anisotropic)
                m_device->SetTextureStageState(i, D3DTSS_MAXANISOTROPY, filters.MaxAnisotropy);
            m_device->SetTextureStageState(i, D3DTSS_MAGFILTER, filters.Magnification);
            m_device->SetTextureStageState(i, D3DTSS_MINFILTER, filters.Minification);
            m_device->SetTextureStageState(i, D3DTSS_MIPFILTER, filters.Mip);
        }
    }
}

// Fog, the ambient light, lights, clip planes.

void CD3D8Driver::setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                         bool rangeFog) {
    CNullDriver::setFog(color, linear, start, end, density, pixelFog, rangeFog);
    if (!m_device) return;
    m_device->SetRenderState(D3DRS_FOGCOLOR, color.color);
    m_device->SetRenderState(pixelFog ? D3DRS_FOGTABLEMODE : D3DRS_FOGVERTEXMODE,
                             linear ? D3DFOG_LINEAR : D3DFOG_EXP);
    if (linear) {
        m_device->SetRenderState(D3DRS_FOGSTART, floatBits(start));
        m_device->SetRenderState(D3DRS_FOGEND, floatBits(end));
    } else {
        m_device->SetRenderState(D3DRS_FOGDENSITY, floatBits(density));
    }
    if (!pixelFog) m_device->SetRenderState(D3DRS_RANGEFOGENABLE, rangeFog ? TRUE : FALSE);
}

void CD3D8Driver::setAmbientLight(const SColorf& color) {
    if (!m_device) return;
    m_ambientLight = color;
    m_device->SetRenderState(D3DRS_AMBIENT, d3dcommon::colorOf(color));
}

s32 CD3D8Driver::addDynamicLight(const SLight& light) {
    CNullDriver::addDynamicLight(light);
    ++m_lastLight;
    m_lightOn.resize(static_cast<size_t>(m_lastLight) + 1, false);
    if (!m_device) return -1;
    const D3DLIGHT8 d3dLight = d3dcommon::lightOf(light, m_largestLightRange);
    if (m_device->SetLight(static_cast<DWORD>(m_lastLight), &d3dLight) != D3D_OK) return -1;
    m_device->LightEnable(static_cast<DWORD>(m_lastLight), TRUE);
    m_lightOn[static_cast<size_t>(m_lastLight)] = true;
    return m_lastLight;
}

void CD3D8Driver::deleteAllDynamicLights() {
    if (m_device)
        for (s32 i = 0; i <= m_lastLight; ++i) m_device->LightEnable(static_cast<DWORD>(i), FALSE);
    m_lastLight = -1;
    m_lightOn.clear();
    CNullDriver::deleteAllDynamicLights();
}

void CD3D8Driver::turnLightOn(s32 index, bool on) {
    if (index < 0 || index > m_lastLight) return;
    m_lightOn[static_cast<size_t>(index)] = on;
    if (m_device) m_device->LightEnable(static_cast<DWORD>(index), on ? TRUE : FALSE);
}

bool CD3D8Driver::setClipPlane(u32 index, const plane3df& plane, bool enable) {
    if (index >= m_clipPlaneCount) return false;
    if (enable) {
        std::array<f32, 4>& stored = m_clipPlanes[index];
        d3dcommon::transformedPlane(plane, m_transforms[ETS_WORLD].Matrix, stored.data());
        if (m_device) m_device->SetClipPlane(index, stored.data());
    }
    enableClipPlane(index, enable);
    return true;
}

void CD3D8Driver::enableClipPlane(u32 index, bool enable) {
    if (index >= m_clipPlaneCount) return;
    if (enable)
        m_clipPlanesEnabled |= 1u << index;
    else
        m_clipPlanesEnabled &= ~(1u << index);
    if (!m_device) return;
    DWORD bits = 0;
    m_device->GetRenderState(D3DRS_CLIPPLANEENABLE, &bits);
    bits = enable ? (bits | (1u << index)) : (bits & ~(1u << index));
    m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, bits);
}

bool CD3D8Driver::isClipPlaneEnabled(u32 index) const {
    return index < m_clipPlaneCount && (m_clipPlanesEnabled & (1u << index)) != 0;
}

void CD3D8Driver::sendLightsAndClipPlanes() {
    for (s32 i = 0; i <= m_lastLight && static_cast<u32>(i) < m_lights.size(); ++i) {
        const D3DLIGHT8 light =
            d3dcommon::lightOf(m_lights[static_cast<u32>(i)], m_largestLightRange);
        if (m_device->SetLight(static_cast<DWORD>(i), &light) != D3D_OK) continue;
        m_device->LightEnable(static_cast<DWORD>(i),
                              m_lightOn[static_cast<size_t>(i)] ? TRUE : FALSE);
    }
    for (u32 i = 0; i < m_clipPlaneCount; ++i)
        if (m_clipPlanesEnabled & (1u << i)) m_device->SetClipPlane(i, m_clipPlanes[i].data());
    m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, m_clipPlanesEnabled);
}

// Shader services.

void CD3D8Driver::setVertexShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (data && m_device && startRegister >= 0 && count > 0)
        m_device->SetVertexShaderConstant(static_cast<DWORD>(startRegister), data,
                                          static_cast<DWORD>(count));
}

void CD3D8Driver::setPixelShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (data && m_device && startRegister >= 0 && count > 0)
        m_device->SetPixelShaderConstant(static_cast<DWORD>(startRegister), data,
                                         static_cast<DWORD>(count));
}

bool CD3D8Driver::setVertexShaderConstant(const c8*, const f32*, s32) {
    CLogger::instance().log("Cannot set constant, no HLSL supported in D3D8", LogInformation);
    return false;
}

bool CD3D8Driver::setPixelShaderConstant(const c8*, const f32*, s32) {
    CLogger::instance().log("Cannot set constant, no HLSL supported in D3D8", LogInformation);
    return false;
}

s32 CD3D8Driver::addShaderMaterial(const c8*, const c8*, IShaderConstantSetCallBack*, s32, s32) {
    // Assembly programs need the shader assembler, which this layer does not have: nothing is
    // assembled and no renderer is registered.
    return -1;
}

}  // namespace oskel
