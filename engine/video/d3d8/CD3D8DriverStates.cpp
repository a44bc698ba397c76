// The Direct3D 8 driver's render modes, materials and their states, transforms, textures, fog,
// lights, clip planes and shader services.

#include "engine/core/CLogger.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d8/CD3D8MaterialRenderers.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "engine/video/d3dcommon/D3DDeviceStates.h"
#include "engine/video/d3dcommon/D3DDriverModes.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

using Modes = d3dcommon::TDriverModes<CD3D8Driver, CD3D8Traits>;

// Modes.

bool CD3D8Driver::applyMaterial(bool unsetPrevious) {
    return Modes::applyMaterial(*this, unsetPrevious);
}

bool CD3D8Driver::set3DRenderMode() { return Modes::set3DRenderMode(*this); }

bool CD3D8Driver::set2DRenderMode() { return Modes::set2DRenderMode(*this); }

void CD3D8Driver::sendStoredTransforms() { Modes::sendStoredTransforms(*this); }

void CD3D8Driver::enterFixed2DMode() { Modes::enterFixed2DMode(*this); }

void CD3D8Driver::setFixed2DStates(bool alpha, bool texture, bool alphaChannel) {
    Modes::setFixed2DStates(*this, alpha, texture, alphaChannel);
}

void CD3D8Driver::setStencilFillStates(bool alpha) { Modes::setStencilFillStates(*this, alpha); }

void CD3D8Driver::setShadowVolumeStates(bool zFail) { Modes::setShadowVolumeStates(*this, zFail); }

// Transforms, materials, textures.

void CD3D8Driver::setTransform(ETransformationState state, const matrix4& mat) {
    if (!storeTransform(state, mat)) return;
    // Texture transforms leave the 2D projection as it is.
    if (state == ETS_VIEW || state == ETS_WORLD || state == ETS_PROJECTION)
        m_transformChanged = true;
    if (m_device) d3dcommon::sendTransform(m_device, state, mat);
}

void CD3D8Driver::setMaterial(const SMaterial& material) { Modes::setMaterial(*this, material); }

ITexture* CD3D8Driver::getCurrentTexture(u32 stage) const {
    return Modes::getCurrentTexture(*this, stage);
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

void CD3D8Driver::unbindStage0() { Modes::unbindStage0(*this); }

// The basic states of a material: each group only when it changed (every group with reset).

void CD3D8Driver::setBasicRenderStates(const SMaterial& m, const SMaterial& last, bool reset) {
    if (!m_device) return;
    const SMaterialChanges changed = compareMaterials(m, last, reset);
    d3dcommon::sendMaterialStates(m_device, m, changed, queryFeature(EVDF_COLOR_MASK));

    d3dcommon::sendLayerStates<CD3D8Traits>(m_device, m, changed, m_caps.TextureFilterCaps,
                                            m_caps.MaxAnisotropy);
}

// Fog, the ambient light, lights, clip planes.

void CD3D8Driver::setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                         bool rangeFog) {
    Modes::setFog(*this, color, linear, start, end, density, pixelFog, rangeFog);
}

void CD3D8Driver::setAmbientLight(const SColorf& color) { Modes::setAmbientLight(*this, color); }

s32 CD3D8Driver::addDynamicLight(const SLight& light) {
    return Modes::addDynamicLight(*this, light);
}

void CD3D8Driver::deleteAllDynamicLights() { Modes::deleteAllDynamicLights(*this); }

void CD3D8Driver::turnLightOn(s32 index, bool on) { Modes::turnLightOn(*this, index, on); }

bool CD3D8Driver::setClipPlane(u32 index, const plane3df& plane, bool enable) {
    return Modes::setClipPlane(*this, index, plane, enable);
}

void CD3D8Driver::enableClipPlane(u32 index, bool enable) {
    Modes::enableClipPlane(*this, index, enable);
}

bool CD3D8Driver::isClipPlaneEnabled(u32 index) const {
    return Modes::isClipPlaneEnabled(*this, index);
}

void CD3D8Driver::sendLightsAndClipPlanes() { Modes::sendLightsAndClipPlanes(*this); }

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
