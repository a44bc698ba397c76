#pragma once

#include "engine/video/CVideoContentProcessor.h"

namespace oskel {

// Loads texture resources ('itex'): the image of the file (through the content manager) made
// into a texture of the current video driver. It follows the device's video driver and, when the
// driver is re-created, makes the cached textures again from their image files. Textures are not
// written back.
class CTextureProcessor : public CVideoContentProcessor {
public:
    explicit CTextureProcessor(IVideoDriver* driver) : CVideoContentProcessor(driver, TypeCodeTexture, 1) {}

    [[nodiscard]] CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool canSave(const CResource*) const override { return false; }
    // Driver about to go: every cached texture resource drops its texture. New driver: every
    // cached texture resource gets a texture made from its image file.
    void onContentEvent(CEvent* event, ContentNameMap& cache) override;
};

}  // namespace oskel
