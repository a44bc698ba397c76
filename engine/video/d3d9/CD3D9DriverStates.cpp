// The Direct3D 9 driver's render modes, materials and their states, transforms, textures, fog,
// lights, clip planes and shader services.

#include "engine/core/CLogger.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3d9/CD3D9MaterialRenderers.h"
#include "engine/video/d3d9/CD3D9Texture.h"
#include "engine/video/d3dcommon/D3DDeviceStates.h"
#include "engine/video/d3dcommon/D3DDriverModes.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

using Modes = d3dcommon::TDriverModes<CD3D9Driver, CD3D9Traits>;

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
    return Modes::applyMaterial(*this, unsetPrevious);
}

bool CD3D9Driver::set3DRenderMode() { return Modes::set3DRenderMode(*this); }

bool CD3D9Driver::set2DRenderMode() { return Modes::set2DRenderMode(*this); }

void CD3D9Driver::sendStoredTransforms() { Modes::sendStoredTransforms(*this); }

void CD3D9Driver::enterFixed2DMode() { Modes::enterFixed2DMode(*this); }

void CD3D9Driver::setFixed2DStates(bool alpha, bool texture, bool alphaChannel) {
    Modes::setFixed2DStates(*this, alpha, texture, alphaChannel);
}

void CD3D9Driver::setStencilFillStates(bool alpha) { Modes::setStencilFillStates(*this, alpha); }

void CD3D9Driver::setShadowVolumeStates(bool zFail) { Modes::setShadowVolumeStates(*this, zFail); }

// Transforms, materials, textures.

void CD3D9Driver::setTransform(ETransformationState state, const matrix4& mat) {
    if (!storeTransform(state, mat)) return;
    m_transformChanged = true;
    if (m_device) d3dcommon::sendTransform(m_device, state, mat);
}

void CD3D9Driver::setMaterial(const SMaterial& material) { Modes::setMaterial(*this, material); }

ITexture* CD3D9Driver::getCurrentTexture(u32 stage) const {
    return Modes::getCurrentTexture(*this, stage);
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

void CD3D9Driver::unbindStage0() { Modes::unbindStage0(*this); }

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
    Modes::setFog(*this, color, linear, start, end, density, pixelFog, rangeFog);
}

void CD3D9Driver::setAmbientLight(const SColorf& color) { Modes::setAmbientLight(*this, color); }

s32 CD3D9Driver::addDynamicLight(const SLight& light) {
    return Modes::addDynamicLight(*this, light);
}

void CD3D9Driver::deleteAllDynamicLights() { Modes::deleteAllDynamicLights(*this); }

void CD3D9Driver::turnLightOn(s32 index, bool on) { Modes::turnLightOn(*this, index, on); }

bool CD3D9Driver::setClipPlane(u32 index, const plane3df& plane, bool enable) {
    return Modes::setClipPlane(*this, index, plane, enable);
}

void CD3D9Driver::enableClipPlane(u32 index, bool enable) {
    Modes::enableClipPlane(*this, index, enable);
}

bool CD3D9Driver::isClipPlaneEnabled(u32 index) const {
    return Modes::isClipPlaneEnabled(*this, index);
}

void CD3D9Driver::sendLightsAndClipPlanes() { Modes::sendLightsAndClipPlanes(*this); }

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
