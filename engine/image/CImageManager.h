#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/Singleton.h"
#include "engine/image/IImageLoader.h"
#include "engine/image/IImageWriter.h"

namespace oskel {

// Owns the image loaders and writers and picks one for a file: first by the file name's
// extension, then by the file's content. An engine-wide singleton reached through
// getImageManager().
class CImageManager : public virtual IReferenceCounted, public TSingleton<CImageManager> {
public:
    // Registers the loaders for BMP, JPG, TGA, PCX, PNG, WAL and PPM and the writers for BMP,
    // JPG, TGA, PCX, PNG and PPM, in this order.
    CImageManager();
    ~CImageManager() override;

    // A new image from the file, or null. First every loader that knows the extension, then every
    // loader whose content test accepts the file; the file is rewound before each attempt.
    [[nodiscard]] CImage* loadImage(IReadableFile* file, const CCreationContext& context) const;
    // Writes the image with the first writer that knows the file's extension and succeeds. The
    // quality is *quality when given, else 100.
    bool writeImage(CImage* image, IWritableFile* file, const u32* quality = nullptr) const;

    u32 getLoaderCount() const { return m_loaders.size(); }
    u32 getWriterCount() const { return m_writers.size(); }

private:
    array<CRefPtr<IImageLoader>> m_loaders;
    array<CRefPtr<IImageWriter>> m_writers;
};

// The image manager, created on first use; throws "Dead Reference Detected" after its
// destruction at exit.
inline CImageManager& getImageManager() { return CImageManager::instance(); }

}  // namespace oskel
