#pragma once

// What the Direct3D drivers' textures share: the device taken from the driver, the copy of an
// image into level 0, the fill of the mip levels (the box filter of a level chosen by the face),
// the render-target size and surface, and the sprites' hit test. Written over the texture and
// surface calls, which both faces name alike.

#include <cstring>
#include <utility>

#include "engine/core/CLogger.h"
#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3DCommon.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// The exposed video data's word that holds the device.
inline constexpr u32 kExposedDevice = 3;

// The driver's device, with a reference for the texture; none without a driver.
template <class Device, class Driver>
Device* textureDeviceOf(Driver* driver) {
    if (!driver) return nullptr;
    auto* device = static_cast<Device*>(driver->getExposedVideoData().Words[kExposedDevice]);
    if (device) device->AddRef();
    return device;
}

template <class T>
void releaseObject(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// Copies the image into level 0 of the texture (whose true size is read back first), swapping
// 24-bit pixels into Direct3D's byte order. The texture's size and pitch follow the level; the
// two messages are logged when the level cannot be locked or unlocked.
template <class Texture, class SurfaceDesc>
bool copyImageToTexture(Texture* texture, CImage* image, ECOLOR_FORMAT colorFormat,
                        D3DFORMAT format, dimension2di& textureSize, u32& pitch,
                        const char* lockFailure, const char* unlockFailure) {
    if (!texture || !image) return true;
    SurfaceDesc desc{};
    if (SUCCEEDED(texture->GetLevelDesc(0, &desc)))
        textureSize = dimension2di(static_cast<s32>(desc.Width), static_cast<s32>(desc.Height));
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        CLogger::instance().log(lockFailure, LogError);
        return false;
    }
    pitch = static_cast<u32>(locked.Pitch);
    image->copyToBuffer(locked.pBits, textureSize.Width, textureSize.Height, colorFormat, pitch);
    if (format == D3DFMT_R8G8B8) {
        // The engine keeps 24-bit pixels as red, green, blue bytes; Direct3D as blue, green, red.
        const dimension2di& size = image->getDimension();
        for (s32 y = 0; y < size.Height && y < textureSize.Height; ++y) {
            u8* row = static_cast<u8*>(locked.pBits) + static_cast<size_t>(y) * pitch;
            for (s32 x = 0; x < size.Width && x < textureSize.Width; ++x)
                std::swap(row[x * 3], row[x * 3 + 2]);
        }
    }
    if (FAILED(texture->UnlockRect(0))) {
        CLogger::instance().log(unlockFailure, LogError);
        return false;
    }
    return true;
}

// One locked mip level: its pixels, size and pitch.
struct SMipLevel {
    u8* Pixels;
    u32 Width;
    u32 Height;
    u32 Pitch;
};

// Fills the texture's mip levels from the given one down to 1 × 1, each from the one above.
// filter(format, upper, lower) filters one level of a format both levels share and gives false
// for a format it cannot filter ("Unsupported mipmap format, cannot copy." is logged).
template <class Surface, class SurfaceDesc, class Texture, class Filter>
bool fillMipLevels(Texture* texture, u32 level, Filter filter) {
    if (level == 0) return true;
    if (!texture) return false;
    const u32 levels = texture->GetLevelCount();
    for (u32 n = level; n < levels; ++n) {
        Surface* upper = nullptr;
        Surface* lower = nullptr;
        if (FAILED(texture->GetSurfaceLevel(n - 1, &upper)) || !upper) {
            CLogger::instance().log("Could not get upper surface level for mip map generation",
                                    LogWarning);
            return false;
        }
        if (FAILED(texture->GetSurfaceLevel(n, &lower)) || !lower) {
            CLogger::instance().log("Could not get lower surface level for mip map generation",
                                    LogWarning);
            releaseObject(upper);
            return false;
        }
        SurfaceDesc upperDesc{}, lowerDesc{};
        upper->GetDesc(&upperDesc);
        lower->GetDesc(&lowerDesc);
        D3DLOCKED_RECT upperRect{}, lowerRect{};
        // The upper level is only read: nothing of it goes to the card again.
        if (FAILED(upper->LockRect(&upperRect, nullptr, D3DLOCK_READONLY))) {
            CLogger::instance().log("Could not lock upper texture for mip map generation",
                                    LogWarning);
            releaseObject(upper);
            releaseObject(lower);
            return false;
        }
        if (FAILED(lower->LockRect(&lowerRect, nullptr, 0))) {
            CLogger::instance().log("Could not lock lower texture for mip map generation",
                                    LogWarning);
            upper->UnlockRect();
            releaseObject(upper);
            releaseObject(lower);
            return false;
        }
        if (upperDesc.Format != lowerDesc.Format) {
            CLogger::instance().log("Cannot copy mip maps with different formats.", LogWarning);
        } else if (!filter(upperDesc.Format,
                           SMipLevel{static_cast<u8*>(upperRect.pBits), upperDesc.Width,
                                     upperDesc.Height, static_cast<u32>(upperRect.Pitch)},
                           SMipLevel{static_cast<u8*>(lowerRect.pBits), lowerDesc.Width,
                                     lowerDesc.Height, static_cast<u32>(lowerRect.Pitch)})) {
            CLogger::instance().log("Unsupported mipmap format, cannot copy.", LogWarning);
        }
        const bool unlocked = SUCCEEDED(upper->UnlockRect()) && SUCCEEDED(lower->UnlockRect());
        releaseObject(upper);
        releaseObject(lower);
        if (!unlocked) return false;
    }
    return true;
}

// A render target's size raised to powers of two where the driver wants them (told once a run
// for each kind of texture).
template <class TextureKind>
void raiseRenderTargetSize(bool anySize, dimension2di& size) {
    if (anySize) return;
    const dimension2di raised = powerOfTwoSize(size);
    if (raised == size) return;
    static bool told = false;
    if (!told) CLogger::instance().log("RenderTarget size has to be a power of 2", LogWarning);
    told = true;
    size = raised;
}

// Locks level 0 of a texture, or reads a render target back into a surface in main memory (made
// on first use with makeCopy(desc, copy), filled with readBack(level, copy)) and locks that;
// lockedCopy tells unlock which was locked. failure is logged when nothing could be locked.
template <class Surface, class SurfaceDesc, class Texture, class MakeCopy, class ReadBack>
void* lockTextureLevel(Texture* texture, bool renderTarget, bool readOnly, Surface*& copy,
                       bool& lockedCopy, const char* failure, MakeCopy makeCopy,
                       ReadBack readBack) {
    if (!texture) return nullptr;
    const DWORD flags = readOnly ? D3DLOCK_READONLY : 0;
    D3DLOCKED_RECT locked{};
    if (!renderTarget) {
        if (FAILED(texture->LockRect(0, &locked, nullptr, flags))) {
            CLogger::instance().log(failure, LogError);
            return nullptr;
        }
        return locked.pBits;
    }
    SurfaceDesc desc{};
    Surface* level = nullptr;
    bool ok = SUCCEEDED(texture->GetLevelDesc(0, &desc));
    if (ok && !copy) ok = SUCCEEDED(makeCopy(desc, &copy));
    if (ok) ok = SUCCEEDED(texture->GetSurfaceLevel(0, &level));
    if (ok) ok = SUCCEEDED(readBack(level, copy));
    releaseObject(level);
    if (ok) ok = SUCCEEDED(copy->LockRect(&locked, nullptr, flags));
    if (!ok) {
        CLogger::instance().log(failure, LogError);
        return nullptr;
    }
    lockedCopy = true;
    return locked.pBits;
}

// Level 0's surface of a render target, borrowed (the level lives as long as its texture).
template <class Surface, class Texture>
Surface* levelZeroSurface(Texture* texture) {
    if (!texture) return nullptr;
    Surface* surface = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface)) || !surface) return nullptr;
    surface->Release();
    return surface;
}

// The sprites' hit test: whether the image's pixel has an alpha above the threshold.
inline bool imagePixelOpaque(const CImage* image, u32 x, u32 y, u32 alphaThreshold) {
    if (!image) return false;
    const dimension2di& size = image->getDimension();
    if (x >= static_cast<u32>(size.Width) || y >= static_cast<u32>(size.Height)) return false;
    const u32 alpha = image->getPixel(static_cast<s32>(x), static_cast<s32>(y)) >> 24;
    return alpha > alphaThreshold;
}

}  // namespace oskel::d3dcommon
