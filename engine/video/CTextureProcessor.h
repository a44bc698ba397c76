#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// Loads texture resources ('itex'): the image of the file (through the content manager) made
// into a texture of the current video driver. It follows the device's video driver and, when the
// driver is re-created, makes the cached textures again from their image files.
class CTextureProcessor : public IContentProcessor {
public:
    explicit CTextureProcessor(IVideoDriver* driver);
    ~CTextureProcessor() override = default;

    s32 getPriority() const override { return 1; }
    u32 getTypeCode() const override { return TypeCodeTexture; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Textures are not written back: false.
    // Textures are not written back.
    bool canSave(const CResource*) const override { return false; }
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    // Driver about to go (9): every cached texture resource drops its texture. New driver (10):
    // every cached texture resource gets a texture made from its image file.
    void onContentEvent(CEvent* event, ContentNameMap& cache) override;

    bool onVideoDriverReleasing(CEvent* event) override;
    bool onVideoDriverCreated(CEvent* event) override;

    IVideoDriver* getVideoDriver() const { return m_driver.get(); }

private:
    CRefPtr<IVideoDriver> m_driver;
};

}  // namespace oskel
