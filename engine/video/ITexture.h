#pragma once

#include "engine/video/IVideoDriver.h"

namespace oskel {

// A driver texture, made by a video driver from an image and owned by whoever asked for it.
// Reference counted.
class ITexture : public virtual IReferenceCounted {
public:
    ~ITexture() override = default;

    // True when the image pixel at (x, y) has an alpha above the threshold. Works in image pixels;
    // false outside the image and for textures that keep no image.
    virtual bool isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const = 0;
    // The pixel memory (getSize(), getColorFormat(), getPitch() bytes per row), or none.
    virtual void* lock(bool readOnly = false) = 0;
    // Ends a lock; a lock that was not read-only uploads the pixels again.
    virtual void unlock() = 0;
    // The size of the image the texture was made from.
    virtual const dimension2di& getOriginalSize() const = 0;
    // The size of the texture on the card.
    virtual const dimension2di& getSize() const = 0;
    virtual s32 getDriverType() const = 0;
    virtual ECOLOR_FORMAT getColorFormat() const = 0;
    // Bytes per row of the kept image; 0 without one.
    virtual u32 getPitch() const = 0;
    virtual bool hasMipMaps() const { return false; }
    virtual void regenerateMipMapLevels() {}
    virtual bool isRenderTarget() const { return false; }
};

}  // namespace oskel
