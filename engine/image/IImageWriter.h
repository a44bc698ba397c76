#pragma once

#include "engine/io/IReadableFile.h"

namespace oskel {

class CImage;

// Writes one picture file format.
class IImageWriter : public virtual IReferenceCounted {
public:
    ~IImageWriter() override = default;

    virtual bool canWriteExtension(const stringc& fileName) const = 0;
    // Writes the image; quality applies to lossy formats only.
    virtual bool writeImage(IWritableFile* file, CImage* image, u32 quality) const = 0;
};

}  // namespace oskel
