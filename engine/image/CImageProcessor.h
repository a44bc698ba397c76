#pragma once

#include "engine/content/IContentProcessor.h"

namespace oskel {

// The content processor of images ('imag'): files go through the image manager's loaders, and
// images are saved through its writers (the save parameter points to a u32 quality, or is none).
class CImageProcessor : public CContentProcessor {
public:
    CImageProcessor() : CContentProcessor(TypeCodeImage, 0) {}

    [[nodiscard]] CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    [[nodiscard]] bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
};

}  // namespace oskel
