#pragma once

#include "engine/video/ITexture.h"

namespace oskel {

// The colour format of a texture made from an image of the format under the texture creation
// flags (ETextureCreationFlag bits): 16-bit images become 32-bit with "always 32 bit", 24- and
// 32-bit images become A1R5G5B5 with "always 16 bit" or "optimised for speed", and "no alpha
// channel" turns the result into its format without alpha.
ECOLOR_FORMAT getBestTextureColorFormat(ECOLOR_FORMAT imageFormat, u32 creationFlags);

// The smallest power of two not below the value (1 for 0 and 1).
u32 getPowerOfTwoAtLeast(u32 value);

// The size of the texture for an image: the image's own size when the hardware takes any size,
// otherwise each side rounded up to a power of two.
dimension2di getTextureSizeForImage(const dimension2di& imageSize, bool anySize);

// The part every texture made from an image shares, whatever the graphics interface: the kept
// image in the texture's colour format and size (the picture unscaled in its upper-left
// corner, the rest transparent black), the pixel-opacity test on it, and the lock bookkeeping.
// A driver's texture supplies the upload of the kept image to the card.
class CImageTexture : public ITexture {
public:
    ~CImageTexture() override;

    CImageTexture(const CImageTexture&) = delete;
    CImageTexture& operator=(const CImageTexture&) = delete;

    bool isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const override;
    // The kept image's pixels; a lock that is not read-only uploads them again on unlock.
    void* lock(bool readOnly = false) override;
    void unlock() override;
    const dimension2di& getOriginalSize() const override { return m_imageSize; }
    const dimension2di& getSize() const override { return m_textureSize; }
    ECOLOR_FORMAT getColorFormat() const override { return m_colorFormat; }
    u32 getPitch() const override;
    bool hasMipMaps() const override { return m_hasMipMaps; }

    // The kept image, or none.
    CImage* getImage() const { return m_image; }
    bool isLocked() const { return m_locked; }

protected:
    enum EPrepareResult {
        PrepareOk,
        PrepareNoImage,     // no image was given
        PrepareEmptyImage,  // the image (or the texture it needs) has a side of 0
    };

    CImageTexture() = default;

    // Takes the image's size, chooses the colour format and the texture size and makes the kept
    // image. Called once by the driver's texture before its first upload.
    EPrepareResult prepareImage(CImage* image, u32 creationFlags, bool anySize, bool mipMaps);
    // Sends the kept image to the card: as a new texture, or as a replacement of level 0.
    virtual void uploadImage(bool newTexture) = 0;

    dimension2di m_imageSize;
    dimension2di m_textureSize;
    ECOLOR_FORMAT m_colorFormat = ECF_A8R8G8B8;
    CImage* m_image = nullptr;
    bool m_hasMipMaps = false;
    bool m_readOnlyLock = false;
    bool m_locked = false;
};

}  // namespace oskel
