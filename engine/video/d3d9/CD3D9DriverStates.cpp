// The Direct3D 9 driver's render modes, materials and their states, transforms, textures, fog,
// lights, clip planes and shader services.

#include "engine/core/CLogger.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3d9/CD3D9MaterialRenderers.h"
#include "engine/video/d3d9/CD3D9Texture.h"
#include "engine/video/d3dcommon/D3DDeviceStates.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

namespace {

// The alpha-to-coverage switches of two adapter vendors: a render state made to carry a
// four-character code.
constexpr DWORD kVendorATI = 0x1002;
constexpr DWORD kVendorNVIDIA = 0x10DE;
constexpr DWORD kCoverageOnNVIDIA = MAKEFOURCC('A', 'T', 'O', 'C');
constexpr DWORD kCoverageOnATI = MAKEFOURCC('A', '2', 'M', '1');
constexpr DWORD kCoverageOffATI = MAKEFOURCC('A', '2', 'M', '0');

}  // namespace

// Modes.

bool CD3D9Driver::applyMaterial(bool unsetPrevious) {
    m_materialState.apply(*this, this, unsetPrevious);
    if (IMaterialRenderer* renderer = m_materialState.currentRenderer(*this))
        return renderer->OnRender(this, m_lastVertexType);
    return true;
}

bool CD3D9Driver::set3DRenderMode() {
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

bool CD3D9Driver::set2DRenderMode() {
    if (!m_device) return false;
    if (m_renderMode != RenderMode2D) {
        m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        m_materialState.requestReset();
        m_transformChanged = true;
        m_renderMode = RenderMode2D;
    }
    if (m_transformChanged) {
        d3dcommon::sendPixelProjection(m_device, getCurrentRenderTargetSize(),
                                       m_transforms[ETS_WORLD].Matrix);
        m_transformChanged = false;
    }
    return applyMaterial(true);
}

void CD3D9Driver::sendStoredTransforms() {
    d3dcommon::sendTransforms(m_device, m_transforms[ETS_VIEW].Matrix,
                              m_transforms[ETS_WORLD].Matrix, m_transforms[ETS_PROJECTION].Matrix);
}

void CD3D9Driver::enterFixed2DMode() {
    if (!m_device) return;
    if (m_renderMode != RenderModeImages || m_transformChanged) {
        d3dcommon::sendImageModeStates<CD3D9Traits>(m_device);
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

void CD3D9Driver::setFixed2DStates(bool alpha, bool texture, bool alphaChannel) {
    if (!m_device) return;
    enterFixed2DMode();
    d3dcommon::sendImageStates<CD3D9Traits>(m_device, alpha, texture, alphaChannel);
}

void CD3D9Driver::setStencilFillStates(bool alpha) {
    if (!m_device) return;
    if (m_renderMode != RenderModeStencilFill || m_transformChanged) {
        d3dcommon::sendStencilFillStates(m_device, alpha);
        m_transformChanged = false;
    }
    m_renderMode = RenderModeStencilFill;
}

void CD3D9Driver::setShadowVolumeStates(bool zFail) {
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
        m_device->SetFVF(d3dcommon::kFVFPosition);
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
    if (previous != wanted) d3dcommon::sendShadowVolumeStencil(m_device, zFail);
    m_renderMode = wanted;
}

// Transforms, materials, textures.

void CD3D9Driver::setTransform(ETransformationState state, const matrix4& mat) {
    if (!storeTransform(state, mat)) return;
    m_transformChanged = true;
    if (m_device) d3dcommon::sendTransform(m_device, state, mat);
}

void CD3D9Driver::setMaterial(const SMaterial& material) {
    m_materialState.setCurrent(material);
    const SMaterial& current = m_materialState.current();
    for (u32 unit = 0; unit < m_textureUnits; ++unit) {
        const CTextureResource* resource =
            unit < current.LayerCount ? current.TextureLayer[unit].Texture : nullptr;
        setTexture(unit, resource ? resource->getTexture() : nullptr);
    }
}

ITexture* CD3D9Driver::getCurrentTexture(u32 stage) const {
    return stage < MATERIAL_MAX_TEXTURES ? m_currentTextures[stage].get() : nullptr;
}

bool CD3D9Driver::setTexture(u32 stage, ITexture* texture) {
    if (stage >= MATERIAL_MAX_TEXTURES) return false;
    if (m_currentTextures[stage].get() == texture) return true;
    if (texture && texture->getDriverType() != DriverDirect3D9) {
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
        m_device->SetTexture(stage, static_cast<CD3D9Texture*>(texture)->getD3D9Texture());
    }
    return true;
}

void CD3D9Driver::unbindStage0() {
    if (m_currentTextures[0]) setTexture(0, nullptr);
}

// The basic states of a material: each group only when it changed (every group with reset).

void CD3D9Driver::setBasicRenderStates(const SMaterial& m, const SMaterial& last, bool reset) {
    if (!m_device) return;
    const SMaterialChanges changed = compareMaterials(m, last, reset);
    d3dcommon::sendMaterialStates(m_device, m, changed, queryFeature(EVDF_COLOR_MASK));

    if (changed.AntiAliasing) {
        if (m_alphaToCoverage) {
            if (m.AntiAliasing & EAAM_ALPHA_TO_COVERAGE) {
                if (m_vendorId == kVendorNVIDIA)
                    m_device->SetRenderState(D3DRS_ADAPTIVETESS_Y, kCoverageOnNVIDIA);
                else if (m_vendorId == kVendorATI)
                    m_device->SetRenderState(D3DRS_POINTSIZE, kCoverageOnATI);
            } else if (last.AntiAliasing & EAAM_ALPHA_TO_COVERAGE) {
                if (m_vendorId == kVendorNVIDIA)
                    m_device->SetRenderState(D3DRS_ADAPTIVETESS_Y, 0);
                else if (m_vendorId == kVendorATI)
                    m_device->SetRenderState(D3DRS_POINTSIZE, kCoverageOffATI);
            }
        }
        if (m_antiAlias > 0) {
            const u8 multisample = EAAM_SIMPLE | EAAM_QUALITY;
            if (m.AntiAliasing & multisample)
                m_device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
            else if (last.AntiAliasing & multisample)
                m_device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
            if (m.AntiAliasing & EAAM_LINE_SMOOTH)
                m_device->SetRenderState(D3DRS_ANTIALIASEDLINEENABLE, TRUE);
            else if (last.AntiAliasing & EAAM_LINE_SMOOTH)
                m_device->SetRenderState(D3DRS_ANTIALIASEDLINEENABLE, FALSE);
        }
    }
    d3dcommon::sendLayerStates<CD3D9Traits>(m_device, m, changed, m_caps.TextureFilterCaps,
                                            m_caps.MaxAnisotropy);
}

// Fog, the ambient light, lights, clip planes.

void CD3D9Driver::setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                         bool rangeFog) {
    CNullDriver::setFog(color, linear, start, end, density, pixelFog, rangeFog);
    if (m_device)
        d3dcommon::sendFog(m_device, color, linear, start, end, density, pixelFog, rangeFog);
}

void CD3D9Driver::setAmbientLight(const SColorf& color) {
    if (!m_device) return;
    m_ambientLight = color;
    m_device->SetRenderState(D3DRS_AMBIENT, d3dcommon::colorOf(color));
}

s32 CD3D9Driver::addDynamicLight(const SLight& light) {
    CNullDriver::addDynamicLight(light);
    ++m_lastLight;
    m_lightOn.resize(static_cast<size_t>(m_lastLight) + 1, false);
    if (!m_device) return -1;
    const D3DLIGHT9 d3dLight = d3dcommon::lightOf(light, m_largestLightRange);
    if (m_device->SetLight(static_cast<DWORD>(m_lastLight), &d3dLight) != D3D_OK) return -1;
    m_device->LightEnable(static_cast<DWORD>(m_lastLight), TRUE);
    m_lightOn[static_cast<size_t>(m_lastLight)] = true;
    return m_lastLight;
}

void CD3D9Driver::deleteAllDynamicLights() {
    if (m_device)
        for (s32 i = 0; i <= m_lastLight; ++i) m_device->LightEnable(static_cast<DWORD>(i), FALSE);
    m_lastLight = -1;
    m_lightOn.clear();
    CNullDriver::deleteAllDynamicLights();
}

void CD3D9Driver::turnLightOn(s32 index, bool on) {
    if (index < 0 || index > m_lastLight) return;
    m_lightOn[static_cast<size_t>(index)] = on;
    if (m_device) m_device->LightEnable(static_cast<DWORD>(index), on ? TRUE : FALSE);
}

bool CD3D9Driver::setClipPlane(u32 index, const plane3df& plane, bool enable) {
    if (index >= m_clipPlaneCount) return false;
    if (enable) {
        std::array<f32, 4>& stored = m_clipPlanes[index];
        d3dcommon::transformedPlane(plane, m_transforms[ETS_WORLD].Matrix, stored.data());
        if (m_device) m_device->SetClipPlane(index, stored.data());
    }
    enableClipPlane(index, enable);
    return true;
}

void CD3D9Driver::enableClipPlane(u32 index, bool enable) {
    if (index >= m_clipPlaneCount) return;
    if (enable)
        m_clipPlanesEnabled |= 1u << index;
    else
        m_clipPlanesEnabled &= ~(1u << index);
    if (m_device) d3dcommon::switchClipPlane(m_device, index, enable);
}

bool CD3D9Driver::isClipPlaneEnabled(u32 index) const {
    return index < m_clipPlaneCount && (m_clipPlanesEnabled & (1u << index)) != 0;
}

void CD3D9Driver::sendLightsAndClipPlanes() {
    d3dcommon::sendLightsAndClipPlanes(m_device, m_lights, m_lastLight, m_largestLightRange,
                                       m_lightOn, m_clipPlanes, m_clipPlaneCount,
                                       m_clipPlanesEnabled);
}

// Shader services.

void CD3D9Driver::setVertexShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (data && m_device && startRegister >= 0 && count > 0)
        m_device->SetVertexShaderConstantF(static_cast<UINT>(startRegister), data,
                                           static_cast<UINT>(count));
}

void CD3D9Driver::setPixelShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (data && m_device && startRegister >= 0 && count > 0)
        m_device->SetPixelShaderConstantF(static_cast<UINT>(startRegister), data,
                                          static_cast<UINT>(count));
}

bool CD3D9Driver::setVertexShaderConstant(const c8* name, const f32* floats, s32 count) {
    auto* renderer =
        dynamic_cast<CD3D9FixedMaterialRenderer*>(m_materialState.currentRenderer(*this));
    return renderer && renderer->setVariable(true, name, floats, count);
}

bool CD3D9Driver::setPixelShaderConstant(const c8* name, const f32* floats, s32 count) {
    auto* renderer =
        dynamic_cast<CD3D9FixedMaterialRenderer*>(m_materialState.currentRenderer(*this));
    return renderer && renderer->setVariable(false, name, floats, count);
}

s32 CD3D9Driver::addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                                   IShaderConstantSetCallBack*, s32, s32) {
    // Assembly programs are made with the shader compiler's assembler; the layer offers no
    // compiler, so no renderer comes of it.
    if (vertexProgram || pixelProgram) static_cast<void>(findShaderFunction("D3DXAssembleShader"));
    return -1;
}

s32 CD3D9Driver::addHighLevelShaderMaterial(const c8* vertexProgram, const c8*, u32,
                                            const c8* pixelProgram, const c8*, u32,
                                            IShaderConstantSetCallBack*, s32, s32) {
    if (vertexProgram || pixelProgram) static_cast<void>(findShaderFunction("D3DXCompileShader"));
    return -1;
}

}  // namespace oskel
