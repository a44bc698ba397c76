// PNG loader and writer on libpng.

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

void pngError(png_structp png, png_const_charp message) {
    CLogger::instance().logHint("PNG FATAL ERROR", message, LogError);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep data, png_size_t length) {
    IReadableFile* file = static_cast<IReadableFile*>(png_get_io_ptr(png));
    if (length > 0x7FFFFFFF || file->read(data, static_cast<u32>(length)) != static_cast<s32>(length))
        png_error(png, "Read Error");
}

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    IWritableFile* file = static_cast<IWritableFile*>(png_get_io_ptr(png));
    if (length > 0x7FFFFFFF || file->write(data, static_cast<u32>(length)) != static_cast<s32>(length))
        png_error(png, "Write Error");
}

void pngFlush(png_structp) {}

// Everything the decoder makes lives here, so that a library error (a long jump) finds it.
struct PngReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CImage* image = nullptr;
    png_bytepp rows = nullptr;
    IReadableFile* file = nullptr;
    const CCreationContext* context = nullptr;
};

void freeReadState(PngReadState& s) {
    std::free(s.rows);
    s.rows = nullptr;
    if (s.png) png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
    s.png = nullptr;
    s.info = nullptr;
}

// The decoding steps after the signature; returns with s.image set, or null after a failure.
// Only plain data lives in this frame: a library error jumps back into it.
CImage* decodePng(PngReadState& s) {
    if (setjmp(png_jmpbuf(s.png))) {
        if (s.image) s.image->drop();
        s.image = nullptr;
        return nullptr;
    }
    png_set_read_fn(s.png, s.file, pngRead);
    png_set_sig_bytes(s.png, 8);
    // The engine's size rule, enforced by the library while it reads the header.
    png_set_user_limits(s.png, MaxImageDimension, MaxImageDimension);
    png_read_info(s.png, s.info);

    const png_uint_32 width = png_get_image_width(s.png, s.info);
    const png_uint_32 height = png_get_image_height(s.png, s.info);
    const int bitDepth = png_get_bit_depth(s.png, s.info);
    const int colorType = png_get_color_type(s.png, s.info);

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
    if (bitDepth < 8) {
        if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_expand_gray_1_2_4_to_8(s.png);
        else
            png_set_packing(s.png);
    }
    const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    if (transparency) png_set_tRNS_to_alpha(s.png);
    if (bitDepth == 16) png_set_strip_16(s.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(s.png);
    // libpng 1.6 takes transformations only before the info update: the alpha outcome is known
    // from the colour type and the transparency chunk.
    const bool alpha = transparency || (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (alpha) png_set_bgr(s.png);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    const ECOLOR_FORMAT format =
        png_get_color_type(s.png, s.info) == PNG_COLOR_TYPE_RGB_ALPHA ? ECF_A8R8G8B8 : ECF_R8G8B8;
    const u32 bytesPerPixel = CImage::getBitsPerPixel(format) / 8;
    if (png_get_rowbytes(s.png, s.info) != static_cast<png_size_t>(width) * bytesPerPixel) {
        logFile("LOAD PNG: unexpected row layout\n", s.file, LogError);
        return nullptr;
    }
    if (!checkImageSize(width, height, bytesPerPixel, 0, 0, s.file)) return nullptr;

    // Every row is decoded into the image (a short or broken file ends with no image at all).
    s.image = new CImage(*s.context, format,
                         dimension2di(static_cast<s32>(width), static_cast<s32>(height)),
                         EIP_UNINITIALISED);
    if (!s.image->lock()) {
        logFile("LOAD PNG: Internal PNG create image struct failure\n", s.file, LogError);
        s.image->drop();
        s.image = nullptr;
        return nullptr;
    }
    s.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (!s.rows) {
        logFile("LOAD PNG: Internal PNG create row pointers failure\n", s.file, LogError);
        s.image->drop();
        s.image = nullptr;
        return nullptr;
    }
    u8* data = static_cast<u8*>(s.image->lock());
    for (png_uint_32 y = 0; y < height; ++y) s.rows[y] = data + static_cast<size_t>(y) * s.image->getPitch();
    png_read_image(s.png, s.rows);
    png_read_end(s.png, nullptr);
    return s.image;
}

struct PngWriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    u8* pixels = nullptr;
    png_bytepp rows = nullptr;
    IWritableFile* file = nullptr;
    CImage* image = nullptr;
};

bool encodePng(PngWriteState& s) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_set_write_fn(s.png, s.file, pngWrite, pngFlush);

    const s32 width = s.image->getDimension().Width, height = s.image->getDimension().Height;
    const ECOLOR_FORMAT source = s.image->getColorFormat();
    const bool alpha = source == ECF_A1R5G5B5 || source == ECF_A8R8G8B8;
    const ECOLOR_FORMAT target = alpha ? ECF_A8R8G8B8 : ECF_R8G8B8;
    const size_t rowBytes = static_cast<size_t>(width) * (alpha ? 4 : 3);
    png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

    s.pixels = static_cast<u8*>(std::malloc(rowBytes * static_cast<size_t>(height)));
    if (!s.pixels) {
        CLogger::instance().logHint("LOAD PNG: Internal PNG create image failure\n",
                                    s.file->getFileName().c_str(), LogError);
        return false;
    }
    const u8* in = static_cast<const u8*>(s.image->lock());
    for (s32 y = 0; y < height; ++y)
        CColorConverter::convertRow(in + static_cast<size_t>(y) * s.image->getPitch(), source, width,
                                    s.pixels + static_cast<size_t>(y) * rowBytes, target);
    s.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(height)));
    if (!s.rows) {
        CLogger::instance().logHint("LOAD PNG: Internal PNG create row pointers failure\n",
                                    s.file->getFileName().c_str(), LogError);
        return false;
    }
    for (s32 y = 0; y < height; ++y) s.rows[y] = s.pixels + static_cast<size_t>(y) * rowBytes;
    png_set_rows(s.png, s.info, s.rows);
    png_write_png(s.png, s.info, alpha ? PNG_TRANSFORM_BGR : PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

bool CImageLoaderPNG::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "png");
}

bool CImageLoaderPNG::canLoadContent(IReadableFile* file) const {
    if (!file) return false;
    png_byte signature[8];
    if (!readExact(file, signature, 8)) return false;
    return png_sig_cmp(signature, 0, 8) == 0;
}

CImage* CImageLoaderPNG::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    png_byte signature[8];
    if (!readExact(file, signature, 8)) {
        logFile("LOAD PNG: can't read file\n", file, LogError);
        return nullptr;
    }
    if (png_sig_cmp(signature, 0, 8) != 0) {
        logFile("LOAD PNG: not really a png\n", file, LogError);
        return nullptr;
    }
    PngReadState s;
    s.file = file;
    s.context = &context;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!s.png) {
        logFile("LOAD PNG: Internal PNG create read struct failure\n", file, LogError);
        return nullptr;
    }
    s.info = png_create_info_struct(s.png);
    if (!s.info) {
        logFile("LOAD PNG: Internal PNG create info struct failure\n", file, LogError);
        freeReadState(s);
        return nullptr;
    }
    CImage* image = decodePng(s);
    freeReadState(s);
    return image;
}

bool CImageWriterPNG::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "png");
}

bool CImageWriterPNG::writeImage(IWritableFile* file, CImage* image, u32) const {
    if (!file || !image || !image->lock() || CImage::getBitsPerPixel(image->getColorFormat()) == 0)
        return false;
    PngWriteState s;
    s.file = file;
    s.image = image;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!s.png) {
        CLogger::instance().logHint("LOAD PNG: Internal PNG create write struct failure\n",
                                    file->getFileName().c_str(), LogError);
        return false;
    }
    s.info = png_create_info_struct(s.png);
    if (!s.info) {
        CLogger::instance().logHint("LOAD PNG: Internal PNG create info struct failure\n",
                                    file->getFileName().c_str(), LogError);
        png_destroy_write_struct(&s.png, nullptr);
        return false;
    }
    const bool ok = encodePng(s);
    png_destroy_write_struct(&s.png, &s.info);
    std::free(s.rows);
    std::free(s.pixels);
    return ok;
}

}  // namespace oskel
