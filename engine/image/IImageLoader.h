#pragma once

#include "engine/content/CResource.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

class CImage;

// Reads one picture file format.
class IImageLoader : public virtual IReferenceCounted {
public:
    ~IImageLoader() override = default;

    // True when the file name's extension is one of the format's.
    virtual bool canLoadExtension(const stringc& fileName) const = 0;
    // True when the file's first bytes (or footer) look like the format. Moves the file position.
    virtual bool canLoadContent(IReadableFile* file) const = 0;
    // A new image (the caller holds its creation reference), or null with a log line.
    [[nodiscard]] virtual CImage* loadImage(IReadableFile* file, const CCreationContext& context) const = 0;
};

}  // namespace oskel
