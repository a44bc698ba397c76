#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/event/SDeviceParameters.h"
#include "engine/image/CImage.h"
#include "engine/platform/d3d/D3D9.h"
#include "engine/video/ITexture.h"

namespace oskel {

class CD3D9Driver;

// The Direct3D 9 driver's texture: made from an image (in the managed pool, so that it outlives
// device resets) or as a render target (in the default pool). It keeps its image for the whole
// of its life and answers the sprites' hit test from it.
class CD3D9Texture : public ITexture {
public:
    // A texture of the image with the driver's creation flags; without an image nothing is made.
    CD3D9Texture(CImage* image, CD3D9Driver* driver, u32 flags);
    // A render target of the size; ECF_UNKNOWN takes the back buffer's format.
    CD3D9Texture(CD3D9Driver* driver, const dimension2di& size, ECOLOR_FORMAT format);
    ~CD3D9Texture() override;

    CD3D9Texture(const CD3D9Texture&) = delete;
    CD3D9Texture& operator=(const CD3D9Texture&) = delete;

    bool isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const override;
    void* lock(bool readOnly = false) override;
    void unlock() override;
    const dimension2di& getOriginalSize() const override { return m_imageSize; }
    const dimension2di& getSize() const override { return m_textureSize; }
    s32 getDriverType() const override { return DriverDirect3D9; }
    ECOLOR_FORMAT getColorFormat() const override { return m_colorFormat; }
    u32 getPitch() const override { return m_pitch; }
    bool hasMipMaps() const override { return m_hasMipMaps; }
    void regenerateMipMapLevels() override;
    bool isRenderTarget() const override { return m_renderTarget; }

    // The Direct3D texture, or none (its creation failed, or a render target around a reset).
    d3d::IDirect3DTexture9* getD3D9Texture() const { return m_texture; }
    // Level 0's surface of a render target (borrowed), else none.
    d3d::IDirect3DSurface9* getRenderTargetSurface();
    d3d::D3DFORMAT getD3DFormat() const { return m_format; }

    // Around a device reset: a render target lets its Direct3D texture go, and makes it again
    // afterwards (cleared to black).
    void releaseRenderTarget();
    bool restoreRenderTarget();
    // The driver goes before the texture.
    void forgetDriver() { m_driver = nullptr; }

    // Fills the mip levels from the given one down to 1 × 1, each from the one above.
    bool createMipMaps(u32 level = 1);

private:
    bool createTexture(u32 flags, CImage* image);
    bool copyTexture(CImage* image);
    bool createRenderTarget();

    CRefPtr<CImage> m_image;
    d3d::IDirect3DDevice9* m_device = nullptr;
    d3d::IDirect3DTexture9* m_texture = nullptr;
    d3d::IDirect3DSurface9* m_renderTargetCopy = nullptr;
    CD3D9Driver* m_driver;
    dimension2di m_textureSize{0, 0};
    dimension2di m_imageSize{0, 0};
    u32 m_pitch = 0;
    ECOLOR_FORMAT m_colorFormat = ECF_A8R8G8B8;
    ECOLOR_FORMAT m_requestedFormat = ECF_UNKNOWN;
    d3d::D3DFORMAT m_format = d3d::D3DFMT_UNKNOWN;
    bool m_hasMipMaps = false;
    bool m_renderTarget = false;
    bool m_wantMipMaps = false;
    bool m_lockedRenderTarget = false;
};

}  // namespace oskel
