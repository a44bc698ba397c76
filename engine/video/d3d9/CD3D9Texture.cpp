#include "engine/video/d3d9/CD3D9Texture.h"

#include <utility>

#include "engine/core/CLogger.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3dcommon/D3DMipMaps.h"
#include "engine/video/d3dcommon/D3DTables.h"
#include "engine/video/d3dcommon/D3DTextures.h"

namespace oskel {

using namespace d3d;

namespace {

IDirect3DDevice9* deviceOf(CD3D9Driver* driver) {
    return d3dcommon::textureDeviceOf<IDirect3DDevice9>(driver);
}

template <class T>
void release(T*& object) {
    d3dcommon::releaseObject(object);
}

}  // namespace

CD3D9Texture::CD3D9Texture(CImage* image, CD3D9Driver* driver, u32 flags)
    : m_device(deviceOf(driver)), m_driver(driver) {
    m_wantMipMaps = (flags & ETCF_CREATE_MIP_MAPS) != 0;
    if (!image) return;
    m_image.assign(image);
    if (!createTexture(flags, image)) {
        CLogger::instance().log("Could not create DIRECT3D9 Texture.", LogWarning);
        return;
    }
    if (copyTexture(image) && m_wantMipMaps) {
        static_cast<void>(createMipMaps(1));
        m_hasMipMaps = true;
    }
}

CD3D9Texture::CD3D9Texture(CD3D9Driver* driver, const dimension2di& size, ECOLOR_FORMAT format)
    : m_device(deviceOf(driver)), m_driver(driver) {
    m_textureSize = m_imageSize = size;
    m_renderTarget = true;
    m_requestedFormat = format;
    static_cast<void>(createRenderTarget());
    if (m_driver) m_driver->registerRenderTarget(this);
}

CD3D9Texture::~CD3D9Texture() {
    if (m_renderTarget && m_driver) m_driver->unregisterRenderTarget(this);
    m_image = nullptr;
    release(m_texture);
    release(m_renderTargetCopy);
    release(m_device);
}

bool CD3D9Texture::createTexture(u32 flags, CImage* image) {
    m_imageSize = image->getDimension();
    const bool anySize = m_driver && m_driver->queryFeature(EVDF_TEXTURE_NPOT);
    m_textureSize = anySize ? m_imageSize : d3dcommon::powerOfTwoSize(m_imageSize);
    if (!m_device || m_textureSize.Width <= 0 || m_textureSize.Height <= 0) return false;

    D3DFORMAT format = d3dcommon::textureFormatFor(flags, image->getColorFormat(), true);
    const UINT levels = m_wantMipMaps ? 0 : 1;
    auto make = [&](D3DFORMAT f) {
        return SUCCEEDED(m_device->CreateTexture(static_cast<UINT>(m_textureSize.Width),
                                                 static_cast<UINT>(m_textureSize.Height), levels, 0,
                                                 f, D3DPOOL_MANAGED, &m_texture, nullptr));
    };
    bool made = make(format);
    if (!made) {
        const D3DFORMAT fallback = d3dcommon::fallbackTextureFormat(format);
        if (fallback != D3DFMT_UNKNOWN) {
            format = fallback;
            made = make(format);
        }
    }
    m_format = format;
    m_colorFormat = getColorFormatFromD3D9Format(format);
    m_pitch = static_cast<u32>(m_textureSize.Width) * d3dcommon::bytesPerPixelOf(format);
    return made;
}

bool CD3D9Texture::copyTexture(CImage* image) {
    return d3dcommon::copyImageToTexture<IDirect3DTexture9, D3DSURFACE_DESC>(
        m_texture, image, m_colorFormat, m_format, m_textureSize, m_pitch,
        "Could not lock D3D9 Texture.", "Could not unlock D3D9 Texture.");
}

bool CD3D9Texture::createMipMaps(u32 level) {
    // Every level down to 1 × 1, each from the one above.
    return d3dcommon::fillMipLevels<IDirect3DSurface9, D3DSURFACE_DESC>(
        m_texture, level,
        [this](D3DFORMAT format, const d3dcommon::SMipLevel& upper,
               const d3dcommon::SMipLevel& lower) {
            if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_R5G6B5 && format != D3DFMT_A1R5G5B5)
                return false;
            const d3dcommon::EMipPixels pixels = format == D3DFMT_A8R8G8B8 ? d3dcommon::EMP_A8R8G8B8
                                                 : m_colorFormat == ECF_R5G6B5
                                                     ? d3dcommon::EMP_R5G6B5
                                                     : d3dcommon::EMP_A1R5G5B5;
            d3dcommon::boxFilterLevel(pixels, upper.Pixels, upper.Width, upper.Height, upper.Pitch,
                                      lower.Pixels, lower.Width, lower.Height, lower.Pitch);
            return true;
        });
}

bool CD3D9Texture::createRenderTarget() {
    if (!m_device) return false;
    d3dcommon::raiseRenderTargetSize<CD3D9Texture>(
        m_driver && m_driver->queryFeature(EVDF_TEXTURE_NPOT), m_textureSize);
    if (m_requestedFormat == ECF_UNKNOWN && m_driver) {
        m_colorFormat = m_driver->getColorFormat();
        m_format = m_driver->getD3DColorFormat();
    } else {
        m_colorFormat = m_requestedFormat;
        m_format = getD3D9FormatFromColorFormat(m_requestedFormat);
    }
    m_pitch = static_cast<u32>(m_textureSize.Width) * d3dcommon::bytesPerPixelOf(m_format);
    const HRESULT result = m_device->CreateTexture(
        static_cast<UINT>(m_textureSize.Width), static_cast<UINT>(m_textureSize.Height), 1,
        D3DUSAGE_RENDERTARGET, m_format, D3DPOOL_DEFAULT, &m_texture, nullptr);
    if (SUCCEEDED(result)) return true;
    const char* hint = nullptr;
    if (result == E_OUTOFMEMORY) hint = "Out of Memory";
    if (result == D3DERR_OUTOFVIDEOMEMORY) hint = "Out of Video Memory";
    if (result == D3DERR_INVALIDCALL) hint = "Invalid Call";
    if (hint)
        CLogger::instance().logHint("Could not create render target texture", hint, LogInformation);
    else
        CLogger::instance().log("Could not create render target texture", LogInformation);
    return false;
}

void CD3D9Texture::releaseRenderTarget() {
    if (!m_renderTarget) return;
    release(m_texture);
}

bool CD3D9Texture::restoreRenderTarget() {
    if (!m_renderTarget || m_texture) return m_texture != nullptr;
    if (!createRenderTarget()) return false;
    // What a render target held before the reset is gone: it starts black.
    IDirect3DSurface9* previous = nullptr;
    if (SUCCEEDED(m_device->GetRenderTarget(0, &previous)) && previous) {
        if (SUCCEEDED(m_device->SetRenderTarget(0, getRenderTargetSurface())))
            m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        m_device->SetRenderTarget(0, previous);
        previous->Release();
    }
    return true;
}

IDirect3DSurface9* CD3D9Texture::getRenderTargetSurface() {
    if (!m_renderTarget) return nullptr;
    return d3dcommon::levelZeroSurface<IDirect3DSurface9>(m_texture);
}

bool CD3D9Texture::isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const {
    return d3dcommon::imagePixelOpaque(m_image.get(), x, y, alphaThreshold);
}

void* CD3D9Texture::lock(bool readOnly) {
    // A render target is read back into a surface in main memory.
    return d3dcommon::lockTextureLevel<IDirect3DSurface9, D3DSURFACE_DESC>(
        m_texture, m_renderTarget, readOnly, m_renderTargetCopy, m_lockedRenderTarget,
        "Could not lock DIRECT3D9 Texture.",
        [this](const D3DSURFACE_DESC& desc, IDirect3DSurface9** copy) {
            return m_device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                         D3DPOOL_SYSTEMMEM, copy, nullptr);
        },
        [this](IDirect3DSurface9* level, IDirect3DSurface9* copy) {
            return m_device->GetRenderTargetData(level, copy);
        });
}

void CD3D9Texture::unlock() {
    if (!m_texture) return;
    if (!m_renderTarget) {
        m_texture->UnlockRect(0);
    } else if (m_renderTargetCopy && m_lockedRenderTarget) {
        m_renderTargetCopy->UnlockRect();
        m_lockedRenderTarget = false;
    }
}

void CD3D9Texture::regenerateMipMapLevels() {
    if (m_hasMipMaps) static_cast<void>(createMipMaps(1));
}

}  // namespace oskel
