#pragma once

#include "engine/content/CResource.h"
#include "engine/image/EColorFormat.h"

namespace oskel {

// The largest picture the engine makes: each side at most MaxImageDimension pixels and the
// pixels at most MaxImageBytes bytes. Sizes are worked out in 64-bit arithmetic.
constexpr s32 MaxImageDimension = 32768;
constexpr unsigned long long MaxImageBytes = 256ull * 1024 * 1024;

// True when a width × height picture of that many bytes per pixel is within the limits (both
// sides at least 1).
bool isImageSizeAllowed(long long width, long long height, u32 bytesPerPixel);

// The byte limit in force: MaxImageBytes unless lowered. Tools that feed the loaders arbitrary
// input (the fuzz targets) lower it to keep each picture quick; it never rises above
// MaxImageBytes. Any thread.
void setImageByteLimit(unsigned long long bytes);
unsigned long long getImageByteLimit();

// What the pixels of a new image hold: zeros (a blank picture), or whatever the allocation held,
// for makers that write every byte themselves (decoders, copies, read-backs).
enum EImagePixels { EIP_ZEROED = 0, EIP_UNINITIALISED = 1 };

// A picture in main memory, in one of the four image colour formats, rows top-down without gaps
// (pitch = width × bytes per pixel). A resource of type 'imag', shared.
//
// Every constructor applies the size rule above: a size outside it (or a colour format outside
// the four) gives an empty image (0 × 0, no pixel data).
class CImage : public CResource {
public:
    // A new image of the size, every byte zero unless EIP_UNINITIALISED is asked for (then the
    // caller writes all of pitch × height bytes before anything reads them).
    CImage(const CCreationContext& context, ECOLOR_FORMAT format, const dimension2di& size,
           EImagePixels pixels = EIP_ZEROED);
    // An image over the caller's block (useForeignMemory; the block must hold pitch × height
    // bytes, and with deleteMemory it must come from new u8[]) or over a copy of its first pitch
    // × height bytes. deleteMemory: the image frees its pixel memory when destroyed.
    CImage(const CCreationContext& context, ECOLOR_FORMAT format, const dimension2di& size,
           void* data, bool useForeignMemory = true, bool deleteMemory = true);
    // A copy of the other image converted to the format (a null image gives an empty image).
    CImage(const CCreationContext& context, ECOLOR_FORMAT format, const CImage* other);
    ~CImage() override;

    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    u32 getTypeCode() const override { return TypeCodeImage; }

    // The pixel memory, row after row.
    void* lock() { return m_data; }
    const void* lock() const { return m_data; }
    void unlock() {}

    const dimension2di& getDimension() const { return m_size; }
    u32 getBitsPerPixel() const { return m_bitsPerPixel; }
    u32 getBytesPerPixel() const { return m_bytesPerPixel; }
    u32 getPitch() const { return m_pitch; }
    u32 getImageDataSizeInBytes() const { return m_pitch * static_cast<u32>(m_size.Height); }
    u32 getImageDataSizeInPixels() const {
        return static_cast<u32>(m_size.Width) * static_cast<u32>(m_size.Height);
    }
    ECOLOR_FORMAT getColorFormat() const { return m_format; }
    u32 getRedMask() const { return m_redMask; }
    u32 getGreenMask() const { return m_greenMask; }
    u32 getBlueMask() const { return m_blueMask; }
    u32 getAlphaMask() const { return m_alphaMask; }

    // 16, 16, 24 and 32 for the four image formats, 0 for any other code.
    static u32 getBitsPerPixel(ECOLOR_FORMAT format);

    // The pixel as ARGB; 0 outside the image (negative coordinates are outside).
    u32 getPixel(s32 x, s32 y) const;
    // Sets one pixel from an ARGB colour; nothing outside the image.
    void setPixel(s32 x, s32 y, u32 color);

    // Fills the image with the colour (R8G8B8 images stay unchanged).
    void fill(u32 color);

    // Draws this image onto the target with its top-left corner at the position, clipped to
    // both images, converting the format.
    void copyToImage(CImage* target, const vector2di& position) const;

    // Copies this image into memory of width × height pixels of the format, scaled by nearest
    // neighbour. A pitch of 0 means width × bytes per pixel; a smaller non-zero pitch is refused.
    void copyToScaled(void* target, s32 width, s32 height, ECOLOR_FORMAT format, u32 pitch = 0) const;

    // Copies this image unscaled into the top-left corner of memory of width × height pixels of
    // the format; nothing when the target is smaller than the image or its pitch (0: width × bytes
    // per pixel) is below the width in bytes.
    void copyToBuffer(void* target, s32 width, s32 height, ECOLOR_FORMAT format, u32 pitch = 0) const;

private:
    void setFormat(ECOLOR_FORMAT format, const dimension2di& size);
    bool allocate(EImagePixels pixels);

    u8* m_data = nullptr;
    dimension2di m_size;
    u32 m_bitsPerPixel = 0;
    u32 m_bytesPerPixel = 0;
    u32 m_pitch = 0;
    ECOLOR_FORMAT m_format = ECF_UNKNOWN;
    bool m_deleteMemory = true;
    u32 m_redMask = 0;
    u32 m_greenMask = 0;
    u32 m_blueMask = 0;
    u32 m_alphaMask = 0;
};

}  // namespace oskel
