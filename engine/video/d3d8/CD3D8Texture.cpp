#include "engine/video/d3d8/CD3D8Texture.h"

#include <cstring>
#include <utility>

#include "engine/core/CLogger.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3dcommon/D3DMipMaps.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

namespace {

// The exposed video data's word that holds the device.
constexpr u32 kExposedDevice = 3;

IDirect3DDevice8* deviceOf(CD3D8Driver* driver) {
    if (!driver) return nullptr;
    auto* device =
        static_cast<IDirect3DDevice8*>(driver->getExposedVideoData().Words[kExposedDevice]);
    if (device) device->AddRef();
    return device;
}

template <class T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

CD3D8Texture::CD3D8Texture(CImage* image, CD3D8Driver* driver, u32 flags)
    : m_device(deviceOf(driver)), m_driver(driver) {
    m_wantMipMaps = (flags & ETCF_CREATE_MIP_MAPS) != 0;
    if (!image) return;
    m_image.assign(image);
    if (!createTexture(flags, image)) {
        CLogger::instance().log("Could not create DIRECT3D8 Texture.", LogWarning);
        return;
    }
    if (copyTexture(image) && m_wantMipMaps) {
        static_cast<void>(createMipMaps(1));
        m_hasMipMaps = true;
    }
}

CD3D8Texture::CD3D8Texture(CD3D8Driver* driver, const dimension2di& size)
    : m_device(deviceOf(driver)), m_driver(driver) {
    m_textureSize = m_imageSize = size;
    m_renderTarget = true;
    static_cast<void>(createRenderTarget());
    if (m_driver) m_driver->registerRenderTarget(this);
}

CD3D8Texture::~CD3D8Texture() {
    if (m_renderTarget && m_driver) m_driver->unregisterRenderTarget(this);
    m_image = nullptr;
    release(m_texture);
    release(m_renderTargetCopy);
    release(m_device);
}

bool CD3D8Texture::createTexture(u32 flags, CImage* image) {
    m_imageSize = image->getDimension();
    const bool anySize = m_driver && m_driver->queryFeature(EVDF_TEXTURE_NPOT);
    m_textureSize = anySize ? m_imageSize : d3dcommon::powerOfTwoSize(m_imageSize);
    if (!m_device || m_textureSize.Width <= 0 || m_textureSize.Height <= 0) return false;

    D3DFORMAT format = d3dcommon::textureFormatFor(flags, image->getColorFormat(), false);
    const UINT levels = m_wantMipMaps ? 0 : 1;
    auto make = [&](D3DFORMAT f) {
        return SUCCEEDED(m_device->CreateTexture(static_cast<UINT>(m_textureSize.Width),
                                                 static_cast<UINT>(m_textureSize.Height), levels, 0,
                                                 f, D3DPOOL_MANAGED, &m_texture));
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
    m_colorFormat = d3dcommon::colorFormatOf(format);
    m_pitch = static_cast<u32>(m_textureSize.Width) * d3dcommon::bytesPerPixelOf(format);
    return made;
}

bool CD3D8Texture::copyTexture(CImage* image) {
    if (!m_texture || !image) return true;
    D3DSURFACE_DESC8 desc{};
    if (SUCCEEDED(m_texture->GetLevelDesc(0, &desc)))
        m_textureSize = dimension2di(static_cast<s32>(desc.Width), static_cast<s32>(desc.Height));
    D3DLOCKED_RECT locked{};
    if (FAILED(m_texture->LockRect(0, &locked, nullptr, 0))) {
        CLogger::instance().log("Could not lock D3D8 Texture.", LogError);
        return false;
    }
    m_pitch = static_cast<u32>(locked.Pitch);
    image->copyToBuffer(locked.pBits, m_textureSize.Width, m_textureSize.Height, m_colorFormat,
                        m_pitch);
    if (m_format == D3DFMT_R8G8B8) {
        // The engine keeps 24-bit pixels as red, green, blue bytes; Direct3D as blue, green, red.
        const dimension2di& size = image->getDimension();
        for (s32 y = 0; y < size.Height && y < m_textureSize.Height; ++y) {
            u8* row = static_cast<u8*>(locked.pBits) + static_cast<size_t>(y) * m_pitch;
            for (s32 x = 0; x < size.Width && x < m_textureSize.Width; ++x)
                std::swap(row[x * 3], row[x * 3 + 2]);
        }
    }
    if (FAILED(m_texture->UnlockRect(0))) {
        CLogger::instance().log("Could not unlock D3D8 Texture.", LogError);
        return false;
    }
    return true;
}

bool CD3D8Texture::createMipMaps(u32 level) {
    if (level == 0) return true;
    if (!m_texture) return false;
    const u32 levels = m_texture->GetLevelCount();
    // Every level down to 1 × 1, each from the one above.
    for (u32 n = level; n < levels; ++n) {
        IDirect3DSurface8* upper = nullptr;
        IDirect3DSurface8* lower = nullptr;
        if (FAILED(m_texture->GetSurfaceLevel(n - 1, &upper)) || !upper) {
            CLogger::instance().log("Could not get upper surface level for mip map generation",
                                    LogWarning);
            return false;
        }
        if (FAILED(m_texture->GetSurfaceLevel(n, &lower)) || !lower) {
            CLogger::instance().log("Could not get lower surface level for mip map generation",
                                    LogWarning);
            release(upper);
            return false;
        }
        D3DSURFACE_DESC8 upperDesc{}, lowerDesc{};
        upper->GetDesc(&upperDesc);
        lower->GetDesc(&lowerDesc);
        D3DLOCKED_RECT upperRect{}, lowerRect{};
        // The upper level is only read: nothing of it goes to the card again.
        if (FAILED(upper->LockRect(&upperRect, nullptr, D3DLOCK_READONLY))) {
            CLogger::instance().log("Could not lock upper texture for mip map generation",
                                    LogWarning);
            release(upper);
            release(lower);
            return false;
        }
        if (FAILED(lower->LockRect(&lowerRect, nullptr, 0))) {
            CLogger::instance().log("Could not lock lower texture for mip map generation",
                                    LogWarning);
            upper->UnlockRect();
            release(upper);
            release(lower);
            return false;
        }
        if (upperDesc.Format != lowerDesc.Format) {
            CLogger::instance().log("Cannot copy mip maps with different formats.", LogWarning);
        } else if (upperDesc.Format == D3DFMT_A8R8G8B8) {
            // Each channel the sum of four shifted right by 2: the shared average.
            d3dcommon::boxFilterLevel(d3dcommon::EMP_A8R8G8B8,
                                      static_cast<const u8*>(upperRect.pBits), upperDesc.Width,
                                      upperDesc.Height, static_cast<u32>(upperRect.Pitch),
                                      static_cast<u8*>(lowerRect.pBits), lowerDesc.Width,
                                      lowerDesc.Height, static_cast<u32>(lowerRect.Pitch));
        } else if (upperDesc.Format == D3DFMT_A1R5G5B5) {
            copy16BitMipMap(static_cast<const u8*>(upperRect.pBits), upperDesc.Width,
                            upperDesc.Height, static_cast<u32>(upperRect.Pitch),
                            static_cast<u8*>(lowerRect.pBits), lowerDesc.Width, lowerDesc.Height,
                            static_cast<u32>(lowerRect.Pitch));
        } else {
            CLogger::instance().log("Unsupported mipmap format, cannot copy.", LogWarning);
        }
        const bool unlocked = SUCCEEDED(upper->UnlockRect()) && SUCCEEDED(lower->UnlockRect());
        release(upper);
        release(lower);
        if (!unlocked) return false;
    }
    return true;
}

void CD3D8Texture::copy16BitMipMap(const u8* upper, u32 upperWidth, u32 upperHeight, u32 upperPitch,
                                   u8* lower, u32 lowerWidth, u32 lowerHeight, u32 lowerPitch) {
    auto texel = [&](u32 x, u32 y) {
        x = x < upperWidth ? x : upperWidth - 1;
        y = y < upperHeight ? y : upperHeight - 1;
        u16 value;
        std::memcpy(&value, upper + static_cast<size_t>(y) * upperPitch + x * 2u, sizeof value);
        return static_cast<u32>(value);
    };
    for (u32 y = 0; y < lowerHeight; ++y) {
        for (u32 x = 0; x < lowerWidth; ++x) {
            const u32 p[4] = {texel(2 * x, 2 * y), texel(2 * x + 1, 2 * y), texel(2 * x, 2 * y + 1),
                              texel(2 * x + 1, 2 * y + 1)};
            u32 r = 0, g = 0, b = 0, a = 0;
            for (u32 v : p) {
                a += (v >> 15) & 0x1u;
                r += (v >> 10) & 0x1Fu;
                g += (v >> 5) & 0x1Fu;
                b += v & 0x1Fu;
            }
            const u16 out =
                static_cast<u16>(((a / 4) << 15) | ((r / 4) << 10) | ((g / 4) << 5) | (b / 4));
            std::memcpy(lower + static_cast<size_t>(y) * lowerPitch + x * 2u, &out, sizeof out);
        }
    }
}

bool CD3D8Texture::createRenderTarget() {
    if (!m_device) return false;
    const bool anySize = m_driver && m_driver->queryFeature(EVDF_TEXTURE_NPOT);
    if (!anySize) {
        const dimension2di raised = d3dcommon::powerOfTwoSize(m_textureSize);
        if (raised != m_textureSize) {
            static bool told = false;
            if (!told)
                CLogger::instance().log("RenderTarget size has to be a power of 2", LogWarning);
            told = true;
            m_textureSize = raised;
        }
    }
    // The back buffer's format (read and given back at once: a reference kept to it would make
    // every later reset fail).
    IDirect3DSurface8* backBuffer = nullptr;
    if (FAILED(m_device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) || !backBuffer) {
        CLogger::instance().log("Could not create RenderTarget texture: could not get BackBuffer.",
                                LogWarning);
        return false;
    }
    D3DSURFACE_DESC8 desc{};
    backBuffer->GetDesc(&desc);
    backBuffer->Release();
    m_format = desc.Format == D3DFMT_X8R8G8B8 ? D3DFMT_A8R8G8B8 : desc.Format;
    m_colorFormat = d3dcommon::colorFormatOf(m_format);
    m_pitch = static_cast<u32>(m_textureSize.Width) * d3dcommon::bytesPerPixelOf(m_format);
    const HRESULT result = m_device->CreateTexture(
        static_cast<UINT>(m_textureSize.Width), static_cast<UINT>(m_textureSize.Height), 1,
        D3DUSAGE_RENDERTARGET, m_format, D3DPOOL_DEFAULT, &m_texture);
    if (SUCCEEDED(result)) return true;
    CLogger::instance().log("Could not create render target texture", LogInformation);
    return false;
}

void CD3D8Texture::releaseRenderTarget() {
    if (!m_renderTarget) return;
    release(m_texture);
}

bool CD3D8Texture::restoreRenderTarget() {
    if (!m_renderTarget || m_texture) return m_texture != nullptr;
    if (!createRenderTarget()) return false;
    // What a render target held before the reset is gone: it starts black.
    IDirect3DSurface8* previous = nullptr;
    if (SUCCEEDED(m_device->GetRenderTarget(&previous)) && previous) {
        IDirect3DSurface8* depth = nullptr;
        m_device->GetDepthStencilSurface(&depth);
        if (SUCCEEDED(m_device->SetRenderTarget(getRenderTargetSurface(), depth)))
            m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        m_device->SetRenderTarget(previous, depth);
        if (depth) depth->Release();
        previous->Release();
    }
    return true;
}

IDirect3DSurface8* CD3D8Texture::getRenderTargetSurface() {
    if (!m_renderTarget || !m_texture) return nullptr;
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(m_texture->GetSurfaceLevel(0, &surface)) || !surface) return nullptr;
    // Borrowed: the level lives as long as its texture.
    surface->Release();
    return surface;
}

bool CD3D8Texture::isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const {
    if (!m_image) return false;
    const dimension2di& size = m_image->getDimension();
    if (x >= static_cast<u32>(size.Width) || y >= static_cast<u32>(size.Height)) return false;
    const u32 alpha = m_image->getPixel(static_cast<s32>(x), static_cast<s32>(y)) >> 24;
    return alpha > alphaThreshold;
}

void* CD3D8Texture::lock(bool readOnly) {
    if (!m_texture) return nullptr;
    const DWORD flags = readOnly ? D3DLOCK_READONLY : 0;
    D3DLOCKED_RECT locked{};
    if (!m_renderTarget) {
        if (FAILED(m_texture->LockRect(0, &locked, nullptr, flags))) {
            CLogger::instance().log("Could not lock DIRECT3D8 Texture.", LogError);
            return nullptr;
        }
        return locked.pBits;
    }
    // A render target is read back into a surface in main memory.
    D3DSURFACE_DESC8 desc{};
    IDirect3DSurface8* level = nullptr;
    bool ok = SUCCEEDED(m_texture->GetLevelDesc(0, &desc));
    if (ok && !m_renderTargetCopy)
        ok = SUCCEEDED(m_device->CreateImageSurface(desc.Width, desc.Height, desc.Format,
                                                    &m_renderTargetCopy));
    if (ok) ok = SUCCEEDED(m_texture->GetSurfaceLevel(0, &level));
    if (ok) ok = SUCCEEDED(m_device->CopyRects(level, nullptr, 0, m_renderTargetCopy, nullptr));
    release(level);
    if (ok) ok = SUCCEEDED(m_renderTargetCopy->LockRect(&locked, nullptr, flags));
    if (!ok) {
        CLogger::instance().log("Could not lock DIRECT3D8 Texture.", LogError);
        return nullptr;
    }
    m_lockedRenderTarget = true;
    return locked.pBits;
}

void CD3D8Texture::unlock() {
    if (!m_texture) return;
    if (!m_renderTarget) {
        m_texture->UnlockRect(0);
    } else if (m_renderTargetCopy && m_lockedRenderTarget) {
        m_renderTargetCopy->UnlockRect();
        m_lockedRenderTarget = false;
    }
}

void CD3D8Texture::regenerateMipMapLevels() {
    if (m_hasMipMaps) static_cast<void>(createMipMaps(1));
}

}  // namespace oskel
