#include "engine/video/d3d9/CD3D9Driver.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/core/Clock.h"
#include "engine/video/d3d9/CD3D9MaterialRenderers.h"
#include "engine/video/d3d9/CD3D9Texture.h"
#include "engine/video/d3dcommon/D3DDriverFrames.h"
#include "engine/video/d3dcommon/D3DSetup.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using Frames = d3dcommon::TDriverFrames<CD3D9Driver, CD3D9Traits>;

using namespace d3d;

namespace {

// The exposed video data of this driver: 0, 1, the Direct3D object, the device, the window.
constexpr u32 kExposedMarker = 1;
constexpr u32 kExposedDirect3D = 2;
constexpr u32 kExposedDevice = 3;
constexpr u32 kExposedWindow = 4;

// How long a frame waits for a lost device before it is given up.

// The colour depth that asks for a 32-bit full-screen back buffer.
constexpr u32 kTrueColorBits = 32;

// PCI vendor ids.
constexpr DWORD kVendorATI = 0x1002;
constexpr DWORD kVendorMatrox = 0x102B;
constexpr DWORD kVendorNVIDIA = 0x10DE;
constexpr DWORD kVendor3dfx = 0x121A;
constexpr DWORD kVendorS3 = 0x5333;
constexpr DWORD kVendorIntel = 0x8086;

// The four-character code an adapter of kVendorNVIDIA accepts as a surface format when it can
// switch alpha to coverage on.
constexpr DWORD kAlphaToCoverageFormat = MAKEFOURCC('A', 'T', 'O', 'C');

}  // namespace

CD3D9Driver::CD3D9Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                         CTimer* timer)
    : CNullDriver(parameters, fileSystem, timer),
      m_stencilBuffer(parameters.stencilBuffer),
      m_largestLightRange(std::sqrt(FLT_MAX)),
      m_fullScreen(parameters.fullscreen) {
    printVersion();
    m_sphereMap = d3dcommon::sphereMapMatrix();
}

CD3D9Driver::~CD3D9Driver() {
    deleteMaterialRenderers();
    for (CD3D9Texture* target : m_renderTargets) target->forgetDriver();
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

stringc CD3D9Driver::vendorNameOf(DWORD vendorId) {
    switch (vendorId) {
        case kVendorATI:
            return "ATI Technologies Inc.";
        case kVendorMatrox:
            return "Matrox Electronic Systems Ltd.";
        case kVendorNVIDIA:
            return "NVIDIA Corporation";
        case kVendor3dfx:
            return "3dfx Interactive Inc";
        case kVendorS3:
            return "S3 Graphics Co., Ltd.";
        case kVendorIntel:
            return "Intel Corporation";
        default: {
            stringc name("Unknown VendorId: ");
            name += stringc(static_cast<u32>(vendorId));
            return name;
        }
    }
}

bool CD3D9Driver::loadDirect3D() {
    if (m_d3d) return true;
    m_library = LoadLibraryA("d3d9.dll");
    if (!m_library) {
        CLogger::instance().log("Error, could not load d3d9.dll.", LogError);
        return false;
    }
    auto create =
        reinterpret_cast<PFN_Direct3DCreate9>(GetProcAddress(m_library, "Direct3DCreate9"));
    if (!create) {
        CLogger::instance().log("Error, could not get proc adress of Direct3DCreate9.", LogError);
        return false;
    }
    m_d3d = create(D3D_SDK_VERSION);
    if (!m_d3d) {
        CLogger::instance().log("Error initializing D3D.", LogError);
        return false;
    }
    return true;
}

bool CD3D9Driver::initialiseDevice(const SDeviceParameters& parameters) {
    m_fullScreen = parameters.fullscreen;
    m_creationSize = parameters.windowSize;
    m_window = parameters.windowId;
    if (!loadDirect3D()) return false;

    D3DADAPTER_IDENTIFIER9 identifier{};
    if (SUCCEEDED(m_d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier))) {
        CLogger::instance().log(d3dcommon::adapterText(identifier.Description, identifier.Driver,
                                                       identifier.DriverVersion)
                                    .c_str(),
                                LogInformation);
        m_vendorId = identifier.VendorId;
        m_vendorName = vendorNameOf(m_vendorId);
    }

    D3DDISPLAYMODE mode{};
    if (FAILED(m_d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        CLogger::instance().log("Could not get Adapter Display mode.", LogError);
        return false;
    }

    m_present = D3DPRESENT_PARAMETERS{};
    m_present.BackBufferCount = 1;
    m_present.EnableAutoDepthStencil = TRUE;
    m_present.PresentationInterval =
        parameters.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    if (m_fullScreen) {
        m_present.BackBufferWidth = static_cast<UINT>(m_creationSize.Width);
        m_present.BackBufferHeight = static_cast<UINT>(m_creationSize.Height);
        m_present.BackBufferFormat =
            parameters.bits == kTrueColorBits ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
        m_present.Windowed = FALSE;
        m_present.FullScreen_RefreshRateInHz = 0;
    } else {
        m_present.BackBufferFormat = mode.Format;
        m_present.Windowed = TRUE;
    }
    m_present.hDeviceWindow = m_window;
    m_present.SwapEffect = D3DSWAPEFFECT_DISCARD;

    // Anti-aliasing: 0 and 1 mean none; otherwise the largest count the device takes, from the
    // level (at most 16) down to 2.
    DWORD qualityLevels = 0;
    const u32 samples = d3dcommon::chooseSampleCount(parameters.antiAlias, [&](u32 count) {
        DWORD levels = 0;
        const bool ok = SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_present.BackBufferFormat, !m_fullScreen,
            static_cast<D3DMULTISAMPLE_TYPE>(count), &levels));
        if (ok) qualityLevels = levels;
        return ok;
    });
    m_antiAlias = static_cast<u8>(samples);
    if (samples) {
        m_present.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(samples);
        m_present.MultiSampleQuality = qualityLevels > 0 ? qualityLevels - 1 : 0;
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
            return SUCCEEDED(m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window,
                                                 behaviour, &m_present, &m_device)) &&
                   m_device;
        });
    if (!created) CLogger::instance().log("Was not able to create Direct3D9 device.", LogError);
    if (!m_device) {
        CLogger::instance().log("Was not able to create DIRECT3D9 device.", LogError);
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
    setFog(m_fogColor, m_linearFog, m_fogStart, m_fogEnd, m_fogDensity, m_pixelFog, m_rangeFog);

    m_exposedData.Words[kExposedMarker] = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
    m_exposedData.Words[kExposedDirect3D] = m_d3d;
    m_exposedData.Words[kExposedDevice] = m_device;
    m_exposedData.Words[kExposedWindow] = m_window;
    m_materialState.requestReset();

    createMaterialRenderers();

    m_textureUnits = std::min<u32>(m_caps.MaxSimultaneousTextures, MATERIAL_MAX_TEXTURES);
    m_clipPlaneCount = m_caps.MaxUserClipPlanes;
    m_clipPlanes.assign(m_clipPlaneCount, std::array<f32, 4>{0.0f, 0.0f, 0.0f, 0.0f});

    if (m_vendorId == kVendorNVIDIA)
        m_alphaToCoverage =
            m_d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                     D3DRTYPE_SURFACE,
                                     static_cast<D3DFORMAT>(kAlphaToCoverageFormat)) == D3D_OK;
    else
        m_alphaToCoverage = m_vendorId == kVendorATI;

    set3DRenderMode();

    // The back buffer's format; its surface is given back at once (a reference kept to it would
    // make every later reset fail).
    D3DFORMAT back = D3DFMT_A8R8G8B8;
    IDirect3DSurface9* backBuffer = nullptr;
    if (SUCCEEDED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        backBuffer) {
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(backBuffer->GetDesc(&desc))) back = desc.Format;
        backBuffer->Release();
    }
    if (back == D3DFMT_X8R8G8B8) back = D3DFMT_A8R8G8B8;
    m_d3dColorFormat = back;
    m_colorFormat = getColorFormatFromD3D9Format(back);
    return true;
}

void CD3D9Driver::createMaterialRenderers() { createD3D9MaterialRenderers(this); }

// Frame.

bool CD3D9Driver::beginScene(bool clearBackBuffer, bool clearZBuffer, SColor color, void* windowId,
                             const recti* sourceRect) {
    return Frames::beginScene(*this, clearBackBuffer, clearZBuffer, color, windowId, sourceRect,
                              "DIRECT3D9 clear failed.", "DIRECT3D9 begin scene failed.");
}

bool CD3D9Driver::endScene() {
    CNullDriver::endScene();
    m_deviceWasReset = false;
    if (!m_device) return false;
    if (FAILED(m_device->EndScene())) {
        CLogger::instance().log("DIRECT3D9 end scene failed.", LogWarning);
        return false;
    }
    RECT source{};
    if (m_presentSourceRect)
        source =
            RECT{m_presentSourceRect->UpperLeftCorner.X, m_presentSourceRect->UpperLeftCorner.Y,
                 m_presentSourceRect->LowerRightCorner.X, m_presentSourceRect->LowerRightCorner.Y};
    const HRESULT result = m_device->Present(m_presentSourceRect ? &source : nullptr, nullptr,
                                             m_presentWindow, nullptr);
    if (SUCCEEDED(result)) return true;
    if (result == D3DERR_DEVICELOST) {
        m_deviceLost = true;
        CLogger::instance().logHint("Present failed", "DIRECT3D9 device lost.", LogWarning);
    } else if (result == D3DERR_DEVICEREMOVED) {
        CLogger::instance().logHint("Present failed", "Device removed.", LogWarning);
    } else if (result == D3DERR_INVALIDCALL) {
        CLogger::instance().logHint("Present failed", "Invalid Call", LogWarning);
    } else {
        CLogger::instance().log("DIRECT3D9 present failed.", LogWarning);
    }
    return false;
}

// Reset.

void CD3D9Driver::registerRenderTarget(CD3D9Texture* texture) {
    Frames::registerRenderTarget(*this, texture);
}

void CD3D9Driver::unregisterRenderTarget(CD3D9Texture* texture) {
    Frames::unregisterRenderTarget(*this, texture);
}

void CD3D9Driver::releaseDefaultPoolResources() { Frames::releaseDefaultPoolResources(*this); }

void CD3D9Driver::restoreDefaultPoolResources() { Frames::restoreDefaultPoolResources(*this); }

bool CD3D9Driver::resetDevice() {
    CLogger::instance().log("Resetting D3D9 device.", LogInformation);
    m_deviceWasReset = true;
    if (!m_device) return false;
    releaseDefaultPoolResources();

    const HRESULT result = m_device->Reset(&m_present);
    if (FAILED(result)) {
        const char* text = nullptr;
        switch (result) {
            case D3DERR_DEVICELOST:
                text = "Resetting failed due to device lost.";
                m_deviceLost = true;
                break;
            case D3DERR_DEVICEREMOVED:
                text = "Resetting failed due to device removed.";
                break;
            case D3DERR_DRIVERINTERNALERROR:
                text = "Resetting failed due to internal error.";
                break;
            case D3DERR_OUTOFVIDEOMEMORY:
                text = "Resetting failed due to out of memory.";
                break;
            case D3DERR_DEVICENOTRESET:
                text = "Resetting failed due to not reset.";
                break;
            case D3DERR_INVALIDCALL:
                text = "Resetting failed due to invalid call.";
                break;
            default:
                break;
        }
        if (text)
            CLogger::instance().log(text, LogWarning);
        else
            CLogger::instance().logHint("Resetting failed due to unknown reason.",
                                        std::to_string(result).c_str(), LogWarning);
        return false;
    }

    Frames::restoreAfterReset(*this);
    Frames::restoreViewPort(*this);
    return true;
}

void CD3D9Driver::OnResize(const dimension2di& size) {
    if (!m_device) return;
    CNullDriver::OnResize(size);
    m_present.BackBufferWidth = static_cast<UINT>(size.Width);
    m_present.BackBufferHeight = static_cast<UINT>(size.Height);
    static_cast<void>(resetDevice());
}

void CD3D9Driver::clearZBuffer() {
    if (!m_device) return;
    if (FAILED(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)))
        CLogger::instance().log("CD3D9Driver clearZBuffer() failed.", LogWarning);
}

bool CD3D9Driver::queryFeature(EVideoDriverFeature feature) const {
    if (static_cast<u32>(feature) >= EVDF_COUNT || !m_featureEnabled[feature]) return false;
    d3dcommon::SFeatureFacts facts;
    facts.StencilBuffer = m_stencilBuffer;
    return d3dcommon::hasFeature(feature, m_caps, facts);
}

const dimension2di& CD3D9Driver::getCurrentRenderTargetSize() const {
    return Frames::currentRenderTargetSize(*this);
}

// Textures and render targets.

ITexture* CD3D9Driver::createDeviceDependentTexture(CImage* image) {
    return new CD3D9Texture(image, this, m_textureCreationFlags);
}

ITexture* CD3D9Driver::createRenderTargetTexture(const dimension2di& size, ECOLOR_FORMAT format) {
    return new CD3D9Texture(this, size, format);
}

void CD3D9Driver::setTextureCreationFlag(ETextureCreationFlag flag, bool on) {
    Frames::setTextureCreationFlag(*this, flag, on);
}

bool CD3D9Driver::setRenderTarget(ITexture* texture, bool clearBackBuffer, bool clearZBuffer,
                                  SColor color) {
    if (!m_device) return false;
    bool result = true;
    if (texture) {
        if (texture->getDriverType() != DriverDirect3D9) {
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
        if (size.Width > m_creationSize.Width || size.Height > m_creationSize.Height) {
            CLogger::instance().log(
                "Error: Tried to set a render target texture which is bigger than the screen.",
                LogError);
            return false;
        }
        if (!m_previousRenderTarget &&
            (FAILED(m_device->GetRenderTarget(0, &m_previousRenderTarget)) ||
             !m_previousRenderTarget)) {
            m_previousRenderTarget = nullptr;
            CLogger::instance().log("Could not get previous render target.", LogError);
            return false;
        }
        auto* target = static_cast<CD3D9Texture*>(texture);
        if (FAILED(m_device->SetRenderTarget(0, target->getRenderTargetSurface()))) {
            CLogger::instance().log("Error: Could not set render target.", LogError);
            return false;
        }
        m_renderTargetSize = size;
    } else if (m_previousRenderTarget) {
        if (FAILED(m_device->SetRenderTarget(0, m_previousRenderTarget))) {
            CLogger::instance().log("Error: Could not set back to previous render target.",
                                    LogError);
            result = false;
        }
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

D3DFORMAT getD3D9FormatFromColorFormat(ECOLOR_FORMAT format) {
    return d3dcommon::d3dFormatOf(format);
}

ECOLOR_FORMAT getColorFormatFromD3D9Format(D3DFORMAT format) {
    return d3dcommon::colorFormatOf(format);
}

IVideoDriver* createDirect3D9Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                                    CTimer* timer) {
    auto* driver = new CD3D9Driver(parameters, fileSystem, timer);
    if (!driver->initialiseDevice(parameters)) {
        driver->drop();
        return nullptr;
    }
    return driver;
}

}  // namespace oskel
