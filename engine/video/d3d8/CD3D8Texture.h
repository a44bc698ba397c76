#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/event/SDeviceParameters.h"
#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3D8.h"
#include "engine/video/ITexture.h"

namespace oskel {

class CD3D8Driver;

// The Direct3D 8 driver's texture: made from an image (in the managed pool, so that it outlives
// device resets) or as a render target (in the default pool). It keeps its image for the whole
// of its life and answers the sprites' hit test from it.
class CD3D8Texture : public ITexture {
public:
    // A texture of the image with the driver's creation flags; without an image nothing is made.
    CD3D8Texture(CImage* image, CD3D8Driver* driver, u32 flags);
    // A render target of the size, in the back buffer's format.
    CD3D8Texture(CD3D8Driver* driver, const dimension2di& size);
    ~CD3D8Texture() override;

    CD3D8Texture(const CD3D8Texture&) = delete;
    CD3D8Texture& operator=(const CD3D8Texture&) = delete;

    bool isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const override;
    void* lock(bool readOnly = false) override;
    void unlock() override;
    const dimension2di& getOriginalSize() const override { return m_imageSize; }
    const dimension2di& getSize() const override { return m_textureSize; }
    s32 getDriverType() const override { return DriverDirect3D8; }
    ECOLOR_FORMAT getColorFormat() const override { return m_colorFormat; }
    u32 getPitch() const override { return m_pitch; }
    bool hasMipMaps() const override { return m_hasMipMaps; }
    void regenerateMipMapLevels() override;
    bool isRenderTarget() const override { return m_renderTarget; }

    // The Direct3D texture, or none (its creation failed, or a render target around a reset).
    d3d::IDirect3DTexture8* getD3D8Texture() const { return m_texture; }
    // Level 0's surface of a render target (borrowed), else none.
    d3d::IDirect3DSurface8* getRenderTargetSurface();
    d3d::D3DFORMAT getD3DFormat() const { return m_format; }

    // Around a device reset: a render target lets its Direct3D texture go, and makes it again
    // afterwards (cleared to black).
    void releaseRenderTarget();
    bool restoreRenderTarget();
    // The driver goes before the texture.
    void forgetDriver() { m_driver = nullptr; }

    // Fills the mip levels from the given one down to 1 × 1, each from the one above.
    bool createMipMaps(u32 level = 1);

    // The 16-bit box filter of this driver: each 5-bit channel the sum of four divided by four,
    // the alpha bit set only when all four are set; coordinates beyond the upper level's edge
    // take its last row or column.
    static void copy16BitMipMap(const u8* upper, u32 upperWidth, u32 upperHeight, u32 upperPitch,
                                u8* lower, u32 lowerWidth, u32 lowerHeight, u32 lowerPitch);

private:
    bool createTexture(u32 flags, CImage* image);
    bool copyTexture(CImage* image);
    bool createRenderTarget();

    CRefPtr<CImage> m_image;
    d3d::IDirect3DDevice8* m_device = nullptr;
    d3d::IDirect3DTexture8* m_texture = nullptr;
    d3d::IDirect3DSurface8* m_renderTargetCopy = nullptr;
    CD3D8Driver* m_driver;
    dimension2di m_textureSize{0, 0};
    dimension2di m_imageSize{0, 0};
    u32 m_pitch = 0;
    ECOLOR_FORMAT m_colorFormat = ECF_A8R8G8B8;
    d3d::D3DFORMAT m_format = d3d::D3DFMT_UNKNOWN;
    bool m_hasMipMaps = false;
    bool m_renderTarget = false;
    bool m_wantMipMaps = false;
    bool m_lockedRenderTarget = false;
};

}  // namespace oskel
