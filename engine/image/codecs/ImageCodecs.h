#pragma once

// The image manager's codecs. Each loader and writer is a small stateless object; the manager
// registers one of each.

#include "engine/image/IImageLoader.h"
#include "engine/image/IImageWriter.h"

namespace oskel {

#define OSKEL_IMAGE_LOADER(Name)                                                              \
    class Name : public IImageLoader {                                                        \
    public:                                                                                   \
        bool canLoadExtension(const stringc& fileName) const override;                        \
        bool canLoadContent(IReadableFile* file) const override;                              \
        [[nodiscard]] CImage* loadImage(IReadableFile* file, const CCreationContext& context) const override; \
    };

#define OSKEL_IMAGE_WRITER(Name)                                                      \
    class Name : public IImageWriter {                                                \
    public:                                                                           \
        bool canWriteExtension(const stringc& fileName) const override;               \
        bool writeImage(IWritableFile* file, CImage* image, u32 quality) const override; \
    };

// "png": libpng; 8-bit RGB or ARGB images, palettes, grey, 16-bit and interlaced pictures.
OSKEL_IMAGE_LOADER(CImageLoaderPNG)
OSKEL_IMAGE_WRITER(CImageWriterPNG)
// "jpg" (writer also "jpeg"): libjpeg; R8G8B8 images.
OSKEL_IMAGE_LOADER(CImageLoaderJPG)
OSKEL_IMAGE_WRITER(CImageWriterJPG)
// "bmp": uncompressed 1/4/8/16/24/32-bit and RLE8/RLE4 bitmaps; writes 24-bit.
OSKEL_IMAGE_LOADER(CImageLoaderBMP)
OSKEL_IMAGE_WRITER(CImageWriterBMP)
// "tga": true-colour, raw or run-length; writes uncompressed with the version-2 footer.
OSKEL_IMAGE_LOADER(CImageLoaderTGA)
OSKEL_IMAGE_WRITER(CImageWriterTGA)
// "pcx": 8-bit with a 256-colour palette and 24-bit single-plane; no writer (logs and fails).
OSKEL_IMAGE_LOADER(CImageLoaderPCX)
OSKEL_IMAGE_WRITER(CImageWriterPCX)
// "ppm", "pgm", "pbm": P1-P6; writes ASCII pixmaps (P3).
OSKEL_IMAGE_LOADER(CImageLoaderPPM)
OSKEL_IMAGE_WRITER(CImageWriterPPM)
// "wal": Quake 2 textures with the default palette; found by extension only.
OSKEL_IMAGE_LOADER(CImageLoaderWAL)

#undef OSKEL_IMAGE_LOADER
#undef OSKEL_IMAGE_WRITER

// The default WAL palette: 256 entries of 0x00RRGGBB.
extern const u32 DefaultWalPalette[256];

}  // namespace oskel
