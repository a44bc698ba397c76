#include "engine/video/d3d8/CD3D8Driver.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/core/Clock.h"
#include "engine/video/d3d8/CD3D8MaterialRenderers.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "engine/video/d3dcommon/D3DSetup.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

namespace {

// The exposed video data of this driver: 0, 0, the Direct3D object, the device, the window.
constexpr u32 kExposedDirect3D = 2;
constexpr u32 kExposedDevice = 3;
constexpr u32 kExposedWindow = 4;

// How long a frame waits for a lost device before it is given up.
constexpr u32 kLostDeviceWaitMs = 100;

// The colour depth that asks for a 32-bit full-screen back buffer.
constexpr u32 kTrueColorBits = 32;

// The largest anisotropy the stages start with.
constexpr DWORD kMostAnisotropy = 16;

}  // namespace

CD3D8Driver::CD3D8Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                         CTimer* timer)
    : CNullDriver(parameters, fileSystem, timer),
      m_stencilBuffer(parameters.stencilBuffer),
      m_largestLightRange(std::sqrt(FLT_MAX)) {
    printVersion();
    m_sphereMap = d3dcommon::sphereMapMatrix();
}

CD3D8Driver::~CD3D8Driver() {
    deleteMaterialRenderers();
    for (CD3D8Texture* target : m_renderTargets) target->forgetDriver();
    m_renderTargets.clear();
    for (auto& bound : m_currentTextures) bound = nullptr;
    m_materialState.clear();
    if (m_previousRenderTarget) m_previousRenderTarget->Release();
    m_previousRenderTarget = nullptr;
    if (m_device) m_device->Release();
    m_device = nullptr;
    if (m_d3d) m_d3d->Release();
    m_d3d = nullptr;
}

bool CD3D8Driver::loadDirect3D() {
    // The library is loaded on every initialisation; it stays loaded.
    m_library = LoadLibraryA("d3d8.dll");
    if (!m_library) {
        CLogger::instance().log("Error, could not load d3d8.dll.", LogError);
        return false;
    }
    auto create =
        reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(m_library, "Direct3DCreate8"));
    if (!create) {
        CLogger::instance().log("Error, could not get proc adress of Direct3DCreate8.", LogError);
        return false;
    }
    if (m_d3d) m_d3d->Release();
    m_d3d = create(D3D8_SDK_VERSION);
    if (!m_d3d) {
        CLogger::instance().log("Error initializing D3D.", LogError);
        return false;
    }
    return true;
}

bool CD3D8Driver::initialiseDevice(const SDeviceParameters& parameters) {
    const bool fullScreen = parameters.fullscreen;
    m_window = parameters.windowId;
    if (!loadDirect3D()) return false;

    D3DADAPTER_IDENTIFIER8 identifier{};
    if (SUCCEEDED(
            m_d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, D3DENUM_NO_WHQL_LEVEL, &identifier)))
        CLogger::instance().log(d3dcommon::adapterText(identifier.Description, identifier.Driver,
                                                       identifier.DriverVersion)
                                    .c_str(),
                                LogInformation);

    D3DDISPLAYMODE mode{};
    if (FAILED(m_d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        CLogger::instance().log("Error: Could not get Adapter Display mode.", LogError);
        return false;
    }

    m_present = D3DPRESENT_PARAMETERS8{};
    m_present.BackBufferCount = 1;
    m_present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_present.hDeviceWindow = m_window;
    m_present.EnableAutoDepthStencil = TRUE;
    m_windowedVsync = false;
    if (fullScreen) {
        m_present.Windowed = FALSE;
        m_present.BackBufferWidth = static_cast<UINT>(parameters.windowSize.Width);
        m_present.BackBufferHeight = static_cast<UINT>(parameters.windowSize.Height);
        m_present.FullScreen_RefreshRateInHz = 0;
        m_present.FullScreen_PresentationInterval =
            parameters.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
        m_present.BackBufferFormat =
            parameters.bits == kTrueColorBits ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    } else {
        // The back buffer takes the window's client size; a window has no presentation
        // interval in Direct3D 8, so its vertical sync is the driver's own wait.
        m_present.BackBufferFormat = mode.Format;
        m_present.Windowed = TRUE;
        m_windowedVsync = parameters.vsync;
    }

    // Anti-aliasing: 0 and 1 mean none; otherwise the largest count the device takes, from the
    // level (at most 16) down to 2.
    const u32 samples = d3dcommon::chooseSampleCount(parameters.antiAlias, [&](u32 count) {
        return SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_present.BackBufferFormat, !fullScreen,
            static_cast<D3DMULTISAMPLE_TYPE>(count)));
    });
    if (samples) {
        m_present.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(samples);
        m_present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    }

    const D3DFORMAT adapterFormat = m_present.BackBufferFormat;
    const D3DFORMAT depth = d3dcommon::chooseDepthFormat(
        m_stencilBuffer,
        [&](D3DFORMAT f) {
            return SUCCEEDED(m_d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                      adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                                      D3DRTYPE_SURFACE, f));
        },
        [&](D3DFORMAT f) {
            return SUCCEEDED(m_d3d->CheckDepthStencilMatch(
                D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat, m_present.BackBufferFormat, f));
        });
    if (depth == D3DFMT_UNKNOWN) return false;
    m_present.AutoDepthStencilFormat = depth;

    const bool created = d3dcommon::createWithVertexProcessingFallback(
        parameters.highPrecisionFpu, [&](DWORD behaviour) {
            // Direct3D fills in what it chose; the driver keeps the parameters as made, so
            // that a window's zero back-buffer size takes the client size at every reset.
            D3DPRESENT_PARAMETERS8 present = m_present;
            return SUCCEEDED(m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window,
                                                 behaviour, &present, &m_device)) &&
                   m_device;
        });
    if (!created) CLogger::instance().log("Was not able to create Direct3D8 device.", LogError);
    if (!m_device) {
        CLogger::instance().log("Was not able to create Direct3D8 device.", LogError);
        return false;
    }

    m_device->GetDeviceCaps(&m_caps);
    const DWORD stencilNeeds =
        D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INCRSAT | D3DSTENCILCAPS_KEEP;
    if (m_stencilBuffer && (m_caps.StencilCaps & stencilNeeds) != stencilNeeds) {
        CLogger::instance().log("Device not able to use stencil buffer, disabling stencil buffer.",
                                LogWarning);
        m_stencilBuffer = false;
    }

    setVertexType(EVT_2D);
    if (samples) m_device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    setFog(m_fogColor, m_linearFog, m_fogStart, m_fogEnd, m_fogDensity, m_pixelFog, m_rangeFog);

    m_exposedData.Words[kExposedDirect3D] = m_d3d;
    m_exposedData.Words[kExposedDevice] = m_device;
    m_exposedData.Words[kExposedWindow] = m_window;
    m_materialState.requestReset();

    createMaterialRenderers();

    m_textureUnits = std::min<u32>(m_caps.MaxSimultaneousTextures, MATERIAL_MAX_TEXTURES);
    m_clipPlaneCount = m_caps.MaxUserClipPlanes;
    m_clipPlanes.assign(m_clipPlaneCount, std::array<f32, 4>{0.0f, 0.0f, 0.0f, 0.0f});

    set3DRenderMode();
    for (DWORD stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage)
        m_device->SetTextureStageState(stage, D3DTSS_MAXANISOTROPY,
                                       std::min<DWORD>(m_caps.MaxAnisotropy, kMostAnisotropy));
    return true;
}

void CD3D8Driver::createMaterialRenderers() { createD3D8MaterialRenderers(this); }

// Frame.

bool CD3D8Driver::beginScene(bool clearBackBuffer, bool clearZBuffer, SColor color, void* windowId,
                             const recti* sourceRect) {
    CNullDriver::beginScene(clearBackBuffer, clearZBuffer, color, windowId, sourceRect);
    m_presentWindow = windowId;
    m_presentSourceRect = sourceRect;
    if (!m_device) return false;

    if (m_deviceLost) {
        HRESULT level = m_device->TestCooperativeLevel();
        if (level == D3DERR_DEVICELOST) {
            sleepMs(kLostDeviceWaitMs);
            level = m_device->TestCooperativeLevel();
            if (level == D3DERR_DEVICELOST) return false;
        }
        if (level == D3DERR_DEVICENOTRESET && !resetDevice()) return false;
    }

    DWORD flags = 0;
    if (clearBackBuffer) flags |= D3DCLEAR_TARGET;
    if (clearZBuffer) flags |= D3DCLEAR_ZBUFFER;
    if (m_stencilBuffer) flags |= D3DCLEAR_STENCIL;
    if (FAILED(m_device->Clear(0, nullptr, flags, color.color, 1.0f, 0)))
        CLogger::instance().log("Direct3D8 clear failed.", LogWarning);

    if (FAILED(m_device->BeginScene())) {
        CLogger::instance().log("Direct3D8 begin scene failed.", LogWarning);
        return false;
    }
    return true;
}

bool CD3D8Driver::endScene() {
    CNullDriver::endScene();
    if (!m_device) return false;
    if (FAILED(m_device->EndScene())) {
        CLogger::instance().log("DIRECT3D8 end scene failed.", LogWarning);
        return false;
    }
    RECT source{};
    if (m_presentSourceRect)
        source =
            RECT{m_presentSourceRect->UpperLeftCorner.X, m_presentSourceRect->UpperLeftCorner.Y,
                 m_presentSourceRect->LowerRightCorner.X, m_presentSourceRect->LowerRightCorner.Y};
    waitForVerticalBlank();
    const HRESULT result = m_device->Present(m_presentSourceRect ? &source : nullptr, nullptr,
                                             m_presentWindow, nullptr);
    if (SUCCEEDED(result)) return true;
    if (result == D3DERR_DEVICELOST) {
        m_deviceLost = true;
        CLogger::instance().log("DIRECT3D8 device lost.", LogWarning);
    } else {
        CLogger::instance().log("DIRECT3D8 present failed.", LogWarning);
    }
    return false;
}

void CD3D8Driver::waitForVerticalBlank() {
    if (!m_windowedVsync || !(m_caps.Caps & D3DCAPS_READ_SCANLINE)) return;
    D3DRASTER_STATUS status{};
    if (FAILED(m_device->GetRasterStatus(&status))) return;
    // A busy wait: the blank is short, and a sleep of any length could miss it.
    while (!status.InVBlank) {
        sleepMs(0);
        if (FAILED(m_device->GetRasterStatus(&status))) return;
    }
}

// Reset.

void CD3D8Driver::registerRenderTarget(CD3D8Texture* texture) {
    if (texture) m_renderTargets.push_back(texture);
}

void CD3D8Driver::unregisterRenderTarget(CD3D8Texture* texture) {
    m_renderTargets.erase(std::remove(m_renderTargets.begin(), m_renderTargets.end(), texture),
                          m_renderTargets.end());
}

void CD3D8Driver::releaseDefaultPoolResources() {
    // Direct3D resets a device only when nothing of the default pool lives and nothing holds
    // the back buffer: the back buffer becomes the target again and the render targets let go
    // of their textures (the stages let go of whatever they bind).
    if (m_previousRenderTarget) {
        IDirect3DSurface8* depth = nullptr;
        m_device->GetDepthStencilSurface(&depth);
        m_device->SetRenderTarget(m_previousRenderTarget, depth);
        if (depth) depth->Release();
        m_previousRenderTarget->Release();
        m_previousRenderTarget = nullptr;
        m_renderTargetSize = dimension2di(0, 0);
    }
    for (u32 stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage) {
        if (!m_currentTextures[stage]) continue;
        m_device->SetTexture(stage, nullptr);
        m_currentTextures[stage] = nullptr;
    }
    for (CD3D8Texture* target : m_renderTargets) target->releaseRenderTarget();
}

void CD3D8Driver::restoreDefaultPoolResources() {
    for (CD3D8Texture* target : m_renderTargets) static_cast<void>(target->restoreRenderTarget());
}

bool CD3D8Driver::resetDevice() {
    CLogger::instance().log("Resetting D3D8 device.", LogInformation);
    if (!m_device) return false;
    releaseDefaultPoolResources();

    D3DPRESENT_PARAMETERS8 present = m_present;
    const HRESULT result = m_device->Reset(&present);
    if (FAILED(result)) {
        if (result == D3DERR_DEVICELOST) {
            m_deviceLost = true;
            CLogger::instance().log("Resetting failed due to device lost.", LogWarning);
        } else {
            CLogger::instance().log("Resetting failed.", LogWarning);
        }
        return false;
    }

    m_deviceLost = false;
    m_materialState.requestReset();
    for (auto& bound : m_currentTextures) bound = nullptr;
    restoreDefaultPoolResources();
    setVertexType(EVT_2D);
    // A reset device starts from Direct3D's defaults: 3D mode sends its transforms again as a
    // mode change, and the lights and clip planes are given again.
    m_renderMode = RenderModeNone;
    m_transformChanged = true;
    set3DRenderMode();
    setFog(m_fogColor, m_linearFog, m_fogStart, m_fogEnd, m_fogDensity, m_pixelFog, m_rangeFog);
    setAmbientLight(m_ambientLight);
    sendLightsAndClipPlanes();
    for (DWORD stage = 0; stage < MATERIAL_MAX_TEXTURES; ++stage)
        m_device->SetTextureStageState(stage, D3DTSS_MAXANISOTROPY,
                                       std::min<DWORD>(m_caps.MaxAnisotropy, kMostAnisotropy));
    if (m_viewPort != recti(0, 0, m_screenSize.Width, m_screenSize.Height)) setViewPort(m_viewPort);
    return true;
}

void CD3D8Driver::OnResize(const dimension2di& size) {
    if (!m_device) return;
    CNullDriver::OnResize(size);
    // The present parameters stay: a window's zero size takes the new client size, a full
    // screen keeps its back buffer.
    static_cast<void>(resetDevice());
}

void CD3D8Driver::clearZBuffer() {
    if (!m_device) return;
    if (FAILED(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)))
        CLogger::instance().log("CD3D8Driver clearZBuffer() failed.", LogWarning);
}

bool CD3D8Driver::queryFeature(EVideoDriverFeature feature) const {
    if (static_cast<u32>(feature) >= EVDF_COUNT || !m_featureEnabled[feature]) return false;
    d3dcommon::SFeatureFacts facts;
    facts.StencilBuffer = m_stencilBuffer;
    // Render to texture whatever the capabilities say; no high-level shader language.
    facts.RenderTargetAlways = true;
    facts.HighLevelShaders = false;
    return d3dcommon::hasFeature(feature, m_caps, facts);
}

const dimension2di& CD3D8Driver::getCurrentRenderTargetSize() const {
    return m_renderTargetSize.Width == 0 ? m_screenSize : m_renderTargetSize;
}

// Textures and render targets.

ITexture* CD3D8Driver::createDeviceDependentTexture(CImage* image) {
    return new CD3D8Texture(image, this, m_textureCreationFlags);
}

ITexture* CD3D8Driver::createRenderTargetTexture(const dimension2di& size, ECOLOR_FORMAT) {
    // The colour format asked for is not used: a target takes the back buffer's.
    return new CD3D8Texture(this, size);
}

void CD3D8Driver::setTextureCreationFlag(ETextureCreationFlag flag, bool on) {
    if (flag == ETCF_CREATE_MIP_MAPS && !queryFeature(EVDF_MIP_MAP)) on = false;
    CNullDriver::setTextureCreationFlag(flag, on);
}

bool CD3D8Driver::setRenderTarget(ITexture* texture, bool clearBackBuffer, bool clearZBuffer,
                                  SColor color) {
    if (!m_device) return false;
    bool result = true;
    if (texture) {
        if (texture->getDriverType() != DriverDirect3D8) {
            CLogger::instance().log("Fatal Error: Tried to set a texture not owned by this driver.",
                                    LogError);
            return false;
        }
        if (!texture->isRenderTarget()) {
            CLogger::instance().log(
                "Fatal Error: Tried to set a non render target texture as render target.",
                LogError);
            return false;
        }
        const dimension2di& size = texture->getSize();
        if (size.Width > m_screenSize.Width || size.Height > m_screenSize.Height) {
            CLogger::instance().log(
                "Error: Tried to set a render target texture which is bigger than the screen.",
                LogError);
            return false;
        }
        if (!m_previousRenderTarget &&
            (FAILED(m_device->GetRenderTarget(&m_previousRenderTarget)) ||
             !m_previousRenderTarget)) {
            m_previousRenderTarget = nullptr;
            CLogger::instance().log("Could not get previous render target.", LogError);
            return false;
        }
        IDirect3DSurface8* depth = nullptr;
        m_device->GetDepthStencilSurface(&depth);
        auto* target = static_cast<CD3D8Texture*>(texture);
        if (FAILED(m_device->SetRenderTarget(target->getRenderTargetSurface(), depth))) {
            CLogger::instance().log("Error: Could not set render target.", LogError);
            result = false;
        } else {
            // Only a target that was set gives its size (and its projection) to drawing.
            m_renderTargetSize = size;
        }
        if (depth) depth->Release();
    } else if (m_previousRenderTarget) {
        IDirect3DSurface8* depth = nullptr;
        m_device->GetDepthStencilSurface(&depth);
        if (FAILED(m_device->SetRenderTarget(m_previousRenderTarget, depth))) {
            CLogger::instance().log("Error: Could not set back to previous render target.",
                                    LogError);
            result = false;
        }
        if (depth) depth->Release();
        m_renderTargetSize = dimension2di(0, 0);
        m_previousRenderTarget->Release();
        m_previousRenderTarget = nullptr;
    }
    // The 2D projection follows the target's size.
    m_transformChanged = true;

    DWORD flags = 0;
    if (clearBackBuffer) flags |= D3DCLEAR_TARGET;
    if (clearZBuffer) flags |= D3DCLEAR_ZBUFFER;
    if (flags) m_device->Clear(0, nullptr, flags, color.color, 1.0f, 0);
    return result;
}

IVideoDriver* createDirect3D8Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                                    CTimer* timer) {
    auto* driver = new CD3D8Driver(parameters, fileSystem, timer);
    if (!driver->initialiseDevice(parameters)) {
        driver->drop();
        return nullptr;
    }
    return driver;
}

}  // namespace oskel
