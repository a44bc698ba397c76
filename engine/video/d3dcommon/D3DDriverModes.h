#pragma once

// What the Direct3D drivers share of their render modes, materials, textures bound to stages,
// fog, lights and clip planes, written once over the driver (which names these members alike in
// both faces and lets this helper reach them) and the face's traits (see D3DDeviceStates.h; also
// setVertexFormat(Device*, DWORD), the call that takes a flexible vertex format). The drivers'
// own functions hand over to it.

#include "engine/video/CMaterialState.h"
#include "engine/video/d3dcommon/D3DDeviceStates.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

template <class Driver, class Traits>
struct TDriverModes {
    static bool applyMaterial(Driver& d, bool unsetPrevious) {
        d.m_materialState.apply(d, &d, unsetPrevious);
        if (IMaterialRenderer* renderer = d.m_materialState.currentRenderer(d))
            return renderer->OnRender(&d, d.m_lastVertexType);
        return true;
    }

    static bool set3DRenderMode(Driver& d) {
        if (!d.m_device) return false;
        const bool was3D = d.m_renderMode == Driver::RenderMode3D;
        if (!was3D) {
            d.sendStoredTransforms();
            d.m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
            d.m_materialState.requestReset();
        }
        const bool result = d.applyMaterial(was3D);
        d.m_renderMode = Driver::RenderMode3D;
        return result;
    }

    static bool set2DRenderMode(Driver& d) {
        if (!d.m_device) return false;
        if (d.m_renderMode != Driver::RenderMode2D) {
            d.m_device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
            d.m_materialState.requestReset();
            d.m_transformChanged = true;
            d.m_renderMode = Driver::RenderMode2D;
        }
        if (d.m_transformChanged) {
            d3dcommon::sendPixelProjection(d.m_device, d.getCurrentRenderTargetSize(),
                                           d.m_transforms[ETS_WORLD].Matrix);
            d.m_transformChanged = false;
        }
        return d.applyMaterial(true);
    }

    static void sendStoredTransforms(Driver& d) {
        d3dcommon::sendTransforms(d.m_device, d.m_transforms[ETS_VIEW].Matrix,
                                  d.m_transforms[ETS_WORLD].Matrix,
                                  d.m_transforms[ETS_PROJECTION].Matrix);
    }

    static void enterFixed2DMode(Driver& d) {
        if (!d.m_device) return;
        if (d.m_renderMode != Driver::RenderModeImages || d.m_transformChanged) {
            d3dcommon::sendImageModeStates<Traits>(d.m_device);
            d.m_transformChanged = false;
            // The material whose states are on the device lets go of them: the images have their
            // own, and the next 2D or 3D drawing sends every material state again as a mode change.
            if (d.m_renderMode == Driver::RenderMode2D || d.m_renderMode == Driver::RenderMode3D) {
                const s32 type = d.m_materialState.last().MaterialType;
                if (IMaterialRenderer* renderer =
                        type >= 0 ? d.getMaterialRenderer(static_cast<u32>(type)) : nullptr)
                    renderer->OnUnsetMaterial();
            }
            d.m_materialState.requestReset();
        }
        d.m_renderMode = Driver::RenderModeImages;
    }

    static void setFixed2DStates(Driver& d, bool alpha, bool texture, bool alphaChannel) {
        if (!d.m_device) return;
        d.enterFixed2DMode();
        d3dcommon::sendImageStates<Traits>(d.m_device, alpha, texture, alphaChannel);
    }

    static void setStencilFillStates(Driver& d, bool alpha) {
        if (!d.m_device) return;
        if (d.m_renderMode != Driver::RenderModeStencilFill || d.m_transformChanged) {
            d3dcommon::sendStencilFillStates(d.m_device, alpha);
            d.m_transformChanged = false;
        }
        d.m_renderMode = Driver::RenderModeStencilFill;
    }

    static void setShadowVolumeStates(Driver& d, bool zFail) {
        if (!d.m_device) return;
        const typename Driver::ERenderMode previous = d.m_renderMode;
        if ((previous != Driver::RenderModeShadowVolumeZFail &&
             previous != Driver::RenderModeShadowVolumeZPass) ||
            d.m_transformChanged) {
            d.sendStoredTransforms();
            d.m_transformChanged = false;
            for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage) {
                if (d.m_currentTextures[stage]) d.setTexture(stage, nullptr);
                d.m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
                d.m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            }
            Traits::setVertexFormat(d.m_device, d3dcommon::kFVFPosition);
            d.m_lastVertexType = 0xFFFFFFFFu;
            d.m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
            d.m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
            d.m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
            if (previous == Driver::RenderMode3D) {
                if (IMaterialRenderer* renderer = d.m_materialState.currentRenderer(d))
                    renderer->OnUnsetMaterial();
            }
        }
        const typename Driver::ERenderMode wanted =
            zFail ? Driver::RenderModeShadowVolumeZFail : Driver::RenderModeShadowVolumeZPass;
        if (previous != wanted) d3dcommon::sendShadowVolumeStencil(d.m_device, zFail);
        d.m_renderMode = wanted;
    }

    static void setMaterial(Driver& d, const SMaterial& material) {
        d.m_materialState.setCurrent(material);
        const SMaterial& current = d.m_materialState.current();
        for (u32 unit = 0; unit < d.m_textureUnits; ++unit) {
            const CTextureResource* resource =
                unit < current.LayerCount ? current.TextureLayer[unit].Texture : nullptr;
            d.setTexture(unit, resource ? resource->getTexture() : nullptr);
        }
    }

    static ITexture* getCurrentTexture(const Driver& d, u32 stage) {
        return stage < MATERIAL_MAX_TEXTURES ? d.m_currentTextures[stage].get() : nullptr;
    }

    static void unbindStage0(Driver& d) {
        if (d.m_currentTextures[0]) d.setTexture(0, nullptr);
    }

    static void setFog(Driver& d, SColor color, bool linear, f32 start, f32 end, f32 density,
                       bool pixelFog, bool rangeFog) {
        d.CNullDriver::setFog(color, linear, start, end, density, pixelFog, rangeFog);
        if (d.m_device)
            d3dcommon::sendFog(d.m_device, color, linear, start, end, density, pixelFog, rangeFog);
    }

    static void setAmbientLight(Driver& d, const SColorf& color) {
        if (!d.m_device) return;
        d.m_ambientLight = color;
        d.m_device->SetRenderState(D3DRS_AMBIENT, d3dcommon::colorOf(color));
    }

    static s32 addDynamicLight(Driver& d, const SLight& light) {
        d.CNullDriver::addDynamicLight(light);
        ++d.m_lastLight;
        d.m_lightOn.resize(static_cast<size_t>(d.m_lastLight) + 1, false);
        if (!d.m_device) return -1;
        const D3DLIGHT d3dLight = d3dcommon::lightOf(light, d.m_largestLightRange);
        if (d.m_device->SetLight(static_cast<DWORD>(d.m_lastLight), &d3dLight) != D3D_OK) return -1;
        d.m_device->LightEnable(static_cast<DWORD>(d.m_lastLight), TRUE);
        d.m_lightOn[static_cast<size_t>(d.m_lastLight)] = true;
        return d.m_lastLight;
    }

    static void deleteAllDynamicLights(Driver& d) {
        if (d.m_device)
            for (s32 i = 0; i <= d.m_lastLight; ++i)
                d.m_device->LightEnable(static_cast<DWORD>(i), FALSE);
        d.m_lastLight = -1;
        d.m_lightOn.clear();
        d.CNullDriver::deleteAllDynamicLights();
    }

    static void turnLightOn(Driver& d, s32 index, bool on) {
        if (index < 0 || index > d.m_lastLight) return;
        d.m_lightOn[static_cast<size_t>(index)] = on;
        if (d.m_device) d.m_device->LightEnable(static_cast<DWORD>(index), on ? TRUE : FALSE);
    }

    static bool setClipPlane(Driver& d, u32 index, const plane3df& plane, bool enable) {
        if (index >= d.m_clipPlaneCount) return false;
        if (enable) {
            std::array<f32, 4>& stored = d.m_clipPlanes[index];
            d3dcommon::transformedPlane(plane, d.m_transforms[ETS_WORLD].Matrix, stored.data());
            if (d.m_device) d.m_device->SetClipPlane(index, stored.data());
        }
        d.enableClipPlane(index, enable);
        return true;
    }

    static void enableClipPlane(Driver& d, u32 index, bool enable) {
        if (index >= d.m_clipPlaneCount) return;
        if (enable)
            d.m_clipPlanesEnabled |= 1u << index;
        else
            d.m_clipPlanesEnabled &= ~(1u << index);
        if (d.m_device) d3dcommon::switchClipPlane(d.m_device, index, enable);
    }

    static bool isClipPlaneEnabled(const Driver& d, u32 index) {
        return index < d.m_clipPlaneCount && (d.m_clipPlanesEnabled & (1u << index)) != 0;
    }

    static void sendLightsAndClipPlanes(Driver& d) {
        d3dcommon::sendLightsAndClipPlanes(d.m_device, d.m_lights, d.m_lastLight,
                                           d.m_largestLightRange, d.m_lightOn, d.m_clipPlanes,
                                           d.m_clipPlaneCount, d.m_clipPlanesEnabled);
    }
};

}  // namespace oskel::d3dcommon
