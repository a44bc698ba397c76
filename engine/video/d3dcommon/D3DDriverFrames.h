#pragma once

// What the Direct3D drivers share of their frames and resets: the start of a frame (the lost
// device waited for and reset, the clear, the scene begun), the default-pool resources released
// and made again around a reset, the states a reset device is given again, and the render-target
// bookkeeping. Written once over the driver (which names these members alike in both faces and
// lets this helper reach them) and the face's traits (see D3DDeviceStates.h; also Surface and
// setRenderTarget(Device*, Surface*), which sets a colour target with the face's depth rule).

#include <algorithm>

#include "engine/core/CLogger.h"
#include "engine/core/Clock.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// How long a frame waits for a lost device before it gives up on the frame.
inline constexpr u32 kLostDeviceWaitMs = 100;

template <class Driver, class Traits>
struct TDriverFrames {
    // The two messages are the face's own for a failed clear and a failed scene start.
    static bool beginScene(Driver& d, bool clearBackBuffer, bool clearZBuffer, SColor color,
                           void* windowId, const recti* sourceRect, const char* clearFailure,
                           const char* beginFailure) {
        d.CNullDriver::beginScene(clearBackBuffer, clearZBuffer, color, windowId, sourceRect);
        d.m_presentWindow = windowId;
        d.m_presentSourceRect = sourceRect;
        if (!d.m_device) return false;

        if (d.m_deviceLost) {
            HRESULT level = d.m_device->TestCooperativeLevel();
            if (level == D3DERR_DEVICELOST) {
                sleepMs(kLostDeviceWaitMs);
                level = d.m_device->TestCooperativeLevel();
                if (level == D3DERR_DEVICELOST) return false;
            }
            if (level == D3DERR_DEVICENOTRESET && !d.resetDevice()) return false;
        }

        DWORD flags = 0;
        if (clearBackBuffer) flags |= D3DCLEAR_TARGET;
        if (clearZBuffer) flags |= D3DCLEAR_ZBUFFER;
        if (d.m_stencilBuffer) flags |= D3DCLEAR_STENCIL;
        if (FAILED(d.m_device->Clear(0, nullptr, flags, color.color, 1.0f, 0)))
            CLogger::instance().log(clearFailure, LogWarning);

        if (FAILED(d.m_device->BeginScene())) {
            CLogger::instance().log(beginFailure, LogWarning);
            return false;
        }
        return true;
    }

    static void releaseDefaultPoolResources(Driver& d) {
        // Direct3D resets a device only when nothing of the default pool lives and nothing holds
        // the back buffer: the back buffer becomes the target again and the render targets let
        // go of their textures (the stages let go of whatever they bind).
        if (d.m_previousRenderTarget) {
            Traits::setRenderTarget(d.m_device, d.m_previousRenderTarget);
            d.m_previousRenderTarget->Release();
            d.m_previousRenderTarget = nullptr;
            d.m_renderTargetSize = dimension2di(0, 0);
        }
        for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage) {
            if (!d.m_currentTextures[stage]) continue;
            d.m_device->SetTexture(stage, nullptr);
            d.m_currentTextures[stage] = nullptr;
        }
        for (auto* target : d.m_renderTargets) target->releaseRenderTarget();
    }

    static void restoreDefaultPoolResources(Driver& d) {
        for (auto* target : d.m_renderTargets) static_cast<void>(target->restoreRenderTarget());
    }

    // After a successful reset: the default pool made again, and what the reset device forgot
    // given again (the face adds its own, then the viewport).
    static void restoreAfterReset(Driver& d) {
        d.m_lastVertexType = 0xFFFFFFFFu;
        d.m_deviceLost = false;
        d.m_materialState.requestReset();
        for (auto& bound : d.m_currentTextures) bound = nullptr;
        d.restoreDefaultPoolResources();
        d.setVertexType(EVT_2D);
        // A reset device starts from Direct3D's defaults: 3D mode sends its transforms again as
        // a mode change, and the lights and clip planes are given again.
        d.m_renderMode = Driver::RenderModeNone;
        d.m_transformChanged = true;
        d.set3DRenderMode();
        d.setFog(d.m_fogColor, d.m_linearFog, d.m_fogStart, d.m_fogEnd, d.m_fogDensity,
                 d.m_pixelFog, d.m_rangeFog);
        d.setAmbientLight(d.m_ambientLight);
        d.sendLightsAndClipPlanes();
    }

    // The viewport given again when it is not the whole screen.
    static void restoreViewPort(Driver& d) {
        if (d.m_viewPort != recti(0, 0, d.m_screenSize.Width, d.m_screenSize.Height))
            d.setViewPort(d.m_viewPort);
    }

    template <class Texture>
    static void registerRenderTarget(Driver& d, Texture* texture) {
        if (texture) d.m_renderTargets.push_back(texture);
    }

    template <class Texture>
    static void unregisterRenderTarget(Driver& d, Texture* texture) {
        d.m_renderTargets.erase(
            std::remove(d.m_renderTargets.begin(), d.m_renderTargets.end(), texture),
            d.m_renderTargets.end());
    }

    static const dimension2di& currentRenderTargetSize(const Driver& d) {
        return d.m_renderTargetSize.Width == 0 ? d.m_screenSize : d.m_renderTargetSize;
    }

    // Mip maps only where the device filters between levels.
    static void setTextureCreationFlag(Driver& d, ETextureCreationFlag flag, bool on) {
        if (flag == ETCF_CREATE_MIP_MAPS && !d.queryFeature(EVDF_MIP_MAP)) on = false;
        d.CNullDriver::setTextureCreationFlag(flag, on);
    }
};

}  // namespace oskel::d3dcommon
