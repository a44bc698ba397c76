#include "engine/image/CImage.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "engine/image/CColorConverter.h"

namespace oskel {

namespace {
std::atomic<unsigned long long> s_byteLimit{MaxImageBytes};
}  // namespace

void setImageByteLimit(unsigned long long bytes) {
    s_byteLimit.store(std::min(bytes, MaxImageBytes), std::memory_order_relaxed);
}

unsigned long long getImageByteLimit() { return s_byteLimit.load(std::memory_order_relaxed); }

bool isImageSizeAllowed(long long width, long long height, u32 bytesPerPixel) {
    if (width < 1 || height < 1 || width > MaxImageDimension || height > MaxImageDimension)
        return false;
    if (bytesPerPixel == 0) return false;
    const unsigned long long bytes = static_cast<unsigned long long>(width) *
                                     static_cast<unsigned long long>(height) * bytesPerPixel;
    return bytes <= getImageByteLimit();
}

u32 CImage::getBitsPerPixel(ECOLOR_FORMAT format) {
    switch (format) {
        case ECF_A1R5G5B5:
        case ECF_R5G6B5: return 16;
        case ECF_R8G8B8: return 24;
        case ECF_A8R8G8B8: return 32;
        default: return 0;
    }
}

void CImage::setFormat(ECOLOR_FORMAT format, const dimension2di& size) {
    m_format = format;
    m_bitsPerPixel = getBitsPerPixel(format);
    m_bytesPerPixel = m_bitsPerPixel / 8;
    switch (format) {
        case ECF_A1R5G5B5:
            m_alphaMask = 0x8000; m_redMask = 0x7C00; m_greenMask = 0x03E0; m_blueMask = 0x001F;
            break;
        case ECF_R5G6B5:
            m_alphaMask = 0; m_redMask = 0xF800; m_greenMask = 0x07E0; m_blueMask = 0x001F;
            break;
        case ECF_R8G8B8:
            m_alphaMask = 0; m_redMask = 0xFF0000; m_greenMask = 0x00FF00; m_blueMask = 0x0000FF;
            break;
        case ECF_A8R8G8B8:
            m_alphaMask = 0xFF000000; m_redMask = 0xFF0000; m_greenMask = 0x00FF00; m_blueMask = 0x0000FF;
            break;
        default: break;
    }
    // Sizes outside the rule (and unknown formats) make an empty image.
    if (isImageSizeAllowed(size.Width, size.Height, m_bytesPerPixel)) {
        m_size = size;
        m_pitch = static_cast<u32>(size.Width) * m_bytesPerPixel;
    } else {
        m_size = dimension2di(0, 0);
        m_pitch = 0;
    }
}

bool CImage::allocate(EImagePixels pixels) {
    const size_t bytes = static_cast<size_t>(m_pitch) * static_cast<size_t>(m_size.Height);
    if (bytes == 0) return false;
    m_data = pixels == EIP_UNINITIALISED ? new (std::nothrow) u8[bytes] : new (std::nothrow) u8[bytes]();
    if (!m_data) {
        m_size = dimension2di(0, 0);
        m_pitch = 0;
        return false;
    }
    return true;
}

CImage::CImage(const CCreationContext& context, ECOLOR_FORMAT format, const dimension2di& size,
               EImagePixels pixels)
    : CResource(context) {
    setSharingFlags(ERF_SHARED);
    setFormat(format, size);
    allocate(pixels);
}

CImage::CImage(const CCreationContext& context, ECOLOR_FORMAT format, const dimension2di& size,
               void* data, bool useForeignMemory, bool deleteMemory)
    : CResource(context), m_deleteMemory(deleteMemory) {
    setSharingFlags(ERF_SHARED);
    setFormat(format, size);
    if (useForeignMemory) {
        if (m_pitch != 0) {
            m_data = static_cast<u8*>(data);
        } else if (deleteMemory) {
            delete[] static_cast<u8*>(data);  // ours to free, and no image to hold it
        }
        return;
    }
    m_deleteMemory = true;  // the copy is always the image's own
    // Copied data covers every byte; without data the image is blank.
    if (allocate(data ? EIP_UNINITIALISED : EIP_ZEROED) && data)
        std::memcpy(m_data, data, static_cast<size_t>(m_pitch) * static_cast<size_t>(m_size.Height));
}

CImage::CImage(const CCreationContext& context, ECOLOR_FORMAT format, const CImage* other)
    : CResource(context) {
    setSharingFlags(ERF_SHARED);
    setFormat(format, other ? other->getDimension() : dimension2di(0, 0));
    // The copy of an image of the same size writes every pixel.
    if (other && allocate(other->lock() ? EIP_UNINITIALISED : EIP_ZEROED))
        other->copyToImage(this, vector2di(0, 0));
}

CImage::~CImage() {
    if (m_deleteMemory) delete[] m_data;
}

u32 CImage::getPixel(s32 x, s32 y) const {
    if (static_cast<u32>(x) >= static_cast<u32>(m_size.Width) ||
        static_cast<u32>(y) >= static_cast<u32>(m_size.Height) || !m_data)
        return 0;
    return CColorConverter::readPixel(m_data + static_cast<size_t>(y) * m_pitch +
                                          static_cast<size_t>(x) * m_bytesPerPixel,
                                      m_format);
}

void CImage::setPixel(s32 x, s32 y, u32 color) {
    if (static_cast<u32>(x) >= static_cast<u32>(m_size.Width) ||
        static_cast<u32>(y) >= static_cast<u32>(m_size.Height) || !m_data)
        return;
    CColorConverter::writePixel(color, m_data + static_cast<size_t>(y) * m_pitch +
                                           static_cast<size_t>(x) * m_bytesPerPixel,
                                m_format);
}

void CImage::fill(u32 color) {
    if (!m_data) return;
    const size_t bytes = static_cast<size_t>(m_pitch) * static_cast<size_t>(m_size.Height);
    u32 pattern;
    switch (m_format) {
        case ECF_A1R5G5B5: {
            const u32 c = CColorConverter::A8R8G8B8toA1R5G5B5(color);
            pattern = c | (c << 16);
            break;
        }
        case ECF_R5G6B5: {
            const u32 c = CColorConverter::A8R8G8B8toR5G6B5(color);
            pattern = c | (c << 16);
            break;
        }
        case ECF_A8R8G8B8: pattern = color; break;
        default: return;
    }
    // Whole 32-bit patterns, then the two bytes an odd 16-bit pixel count leaves over.
    const size_t words = bytes / 4;
    for (size_t i = 0; i < words; ++i) std::memcpy(m_data + i * 4, &pattern, 4);
    if (bytes % 4) std::memcpy(m_data + words * 4, &pattern, bytes % 4);
}

void CImage::copyToImage(CImage* target, const vector2di& position) const {
    if (!target || !m_data || !target->m_data) return;
    // Clip the source rectangle against the target on each side.
    s32 sx = 0, sy = 0, tx = position.X, ty = position.Y;
    if (tx < 0) { sx = -tx; tx = 0; }
    if (ty < 0) { sy = -ty; ty = 0; }
    if (sx >= m_size.Width || sy >= m_size.Height) return;
    if (tx >= target->m_size.Width || ty >= target->m_size.Height) return;
    const s32 w = std::min(m_size.Width - sx, target->m_size.Width - tx);
    const s32 h = std::min(m_size.Height - sy, target->m_size.Height - ty);
    for (s32 row = 0; row < h; ++row) {
        const u8* src = m_data + static_cast<size_t>(sy + row) * m_pitch +
                        static_cast<size_t>(sx) * m_bytesPerPixel;
        u8* dst = target->m_data + static_cast<size_t>(ty + row) * target->m_pitch +
                  static_cast<size_t>(tx) * target->m_bytesPerPixel;
        CColorConverter::convertRow(src, m_format, w, dst, target->m_format);
    }
}

void CImage::copyToScaled(void* target, s32 width, s32 height, ECOLOR_FORMAT format, u32 pitch) const {
    if (!target || width <= 0 || height <= 0 || !m_data) return;
    const u32 bpp = getBitsPerPixel(format) / 8;
    if (bpp == 0) return;
    const unsigned long long rowBytes = static_cast<unsigned long long>(width) * bpp;
    if (rowBytes > 0xFFFFFFFFull) return;
    if (pitch == 0) pitch = static_cast<u32>(rowBytes);
    if (pitch < rowBytes) return;  // rows would run into each other and past the end
    u8* out = static_cast<u8*>(target);

    if (format == m_format && width == m_size.Width && height == m_size.Height) {
        if (pitch == m_pitch) {
            std::memcpy(out, m_data, static_cast<size_t>(height) * pitch);
            return;
        }
        for (s32 y = 0; y < height; ++y) {
            u8* row = out + static_cast<size_t>(y) * pitch;
            std::memcpy(row, m_data + static_cast<size_t>(y) * m_pitch, m_pitch);
            std::memset(row + m_pitch, 0, pitch - m_pitch);
        }
        return;
    }

    const f32 stepX = static_cast<f32>(m_size.Width) / static_cast<f32>(width);
    const f32 stepY = static_cast<f32>(m_size.Height) / static_cast<f32>(height);
    f32 posY = 0.f;
    for (s32 y = 0; y < height; ++y, posY += stepY) {
        // Accumulated float positions may round up to the image's size: stay on its last pixel.
        s32 sy = static_cast<s32>(posY);
        if (sy >= m_size.Height) sy = m_size.Height - 1;
        const u8* srcRow = m_data + static_cast<size_t>(sy) * m_pitch;
        u8* dst = out + static_cast<size_t>(y) * pitch;
        f32 posX = 0.f;
        for (s32 x = 0; x < width; ++x, posX += stepX, dst += bpp) {
            s32 sx = static_cast<s32>(posX);
            if (sx >= m_size.Width) sx = m_size.Width - 1;
            CColorConverter::convertRow(srcRow + static_cast<size_t>(sx) * m_bytesPerPixel, m_format,
                                        1, dst, format);
        }
    }
}

void CImage::copyToBuffer(void* target, s32 width, s32 height, ECOLOR_FORMAT format, u32 pitch) const {
    if (!target || width <= 0 || height <= 0 || !m_data) return;
    if (width < m_size.Width || height < m_size.Height) return;
    const u32 bpp = getBitsPerPixel(format) / 8;
    if (bpp == 0) return;
    const unsigned long long rowBytes = static_cast<unsigned long long>(width) * bpp;
    if (rowBytes > 0xFFFFFFFFull) return;
    if (pitch == 0) pitch = static_cast<u32>(rowBytes);
    if (pitch < rowBytes) return;
    u8* out = static_cast<u8*>(target);
    if (format == m_format && pitch == m_pitch) {
        std::memcpy(out, m_data, static_cast<size_t>(m_size.Height) * pitch);
        return;
    }
    for (s32 y = 0; y < m_size.Height; ++y)
        CColorConverter::convertRow(m_data + static_cast<size_t>(y) * m_pitch, m_format, m_size.Width,
                                    out + static_cast<size_t>(y) * pitch, format);
}

}  // namespace oskel
