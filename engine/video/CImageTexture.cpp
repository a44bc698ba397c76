#include "engine/video/CImageTexture.h"

#include <cstring>

#include "engine/image/CImage.h"

namespace oskel {

ECOLOR_FORMAT getBestTextureColorFormat(ECOLOR_FORMAT imageFormat, u32 creationFlags) {
    ECOLOR_FORMAT format = ECF_A8R8G8B8;
    switch (imageFormat) {
        case ECF_A1R5G5B5:
        case ECF_R5G6B5:
            format = (creationFlags & ETCF_ALWAYS_32_BIT) ? ECF_A8R8G8B8 : ECF_A1R5G5B5;
            break;
        case ECF_R8G8B8:
        case ECF_A8R8G8B8:
            format = (creationFlags & (ETCF_ALWAYS_16_BIT | ETCF_OPTIMIZED_FOR_SPEED))
                         ? ECF_A1R5G5B5
                         : ECF_A8R8G8B8;
            break;
        default:
            format = ECF_A8R8G8B8;
            break;
    }
    if (creationFlags & ETCF_NO_ALPHA_CHANNEL) {
        if (format == ECF_A1R5G5B5) format = ECF_R5G6B5;
        if (format == ECF_A8R8G8B8) format = ECF_R8G8B8;
    }
    return format;
}

u32 getPowerOfTwoAtLeast(u32 value) {
    u32 result = 1;
    while (result < value && result < 0x80000000u) result <<= 1;
    return result < value ? value : result;
}

dimension2di getTextureSizeForImage(const dimension2di& imageSize, bool anySize) {
    if (anySize || imageSize.Width <= 0 || imageSize.Height <= 0) return imageSize;
    return dimension2di(static_cast<s32>(getPowerOfTwoAtLeast(static_cast<u32>(imageSize.Width))),
                        static_cast<s32>(getPowerOfTwoAtLeast(static_cast<u32>(imageSize.Height))));
}

CImageTexture::~CImageTexture() {
    if (m_image) m_image->drop();
}

CImageTexture::EPrepareResult CImageTexture::prepareImage(CImage* image, u32 creationFlags,
                                                          bool anySize, bool mipMaps) {
    m_hasMipMaps = mipMaps;
    if (!image) return PrepareNoImage;
    m_imageSize = image->getDimension();
    if (m_imageSize.Width <= 0 || m_imageSize.Height <= 0) return PrepareEmptyImage;

    m_textureSize = getTextureSizeForImage(m_imageSize, anySize);
    m_colorFormat = getBestTextureColorFormat(image->getColorFormat(), creationFlags);

    if (m_textureSize == m_imageSize) {
        m_image = new CImage(CCreationContext(), m_colorFormat, image);
    } else {
        // The picture unscaled in the upper-left corner; the rest stays transparent black.
        m_image = new CImage(CCreationContext(), m_colorFormat, m_textureSize);  // zeroed
        image->copyToImage(m_image, vector2di(0, 0));
    }
    // An image beyond what the engine allocates comes out empty.
    if (m_image->getDimension() != m_textureSize) {
        m_image->drop();
        m_image = nullptr;
        return PrepareEmptyImage;
    }
    return PrepareOk;
}

bool CImageTexture::isPixelOpaque(u32 x, u32 y, u32 alphaThreshold) const {
    if (x >= static_cast<u32>(m_imageSize.Width) || y >= static_cast<u32>(m_imageSize.Height))
        return false;
    if (!m_image) return false;
    const u32 alpha = m_image->getPixel(static_cast<s32>(x), static_cast<s32>(y)) >> 24;
    return alpha > alphaThreshold;
}

void* CImageTexture::lock(bool readOnly) {
    if (!m_image) return nullptr;
    // A read-only lock stays read-only until the unlock, whatever later locks ask.
    m_readOnlyLock = m_readOnlyLock || readOnly;
    m_locked = true;
    return m_image->lock();
}

void CImageTexture::unlock() {
    if (!m_locked) return;
    const bool upload = m_image && !m_readOnlyLock;
    m_locked = false;
    m_readOnlyLock = false;
    if (upload) uploadImage(false);
}

u32 CImageTexture::getPitch() const { return m_image ? m_image->getPitch() : 0; }

}  // namespace oskel
