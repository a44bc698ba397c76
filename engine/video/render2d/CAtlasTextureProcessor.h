#pragma once

#include "engine/video/CVideoContentProcessor.h"

namespace oskel {

// Atlas textures ('atex') for names that no collection registered: the texture of the file,
// covered whole. It keeps its video driver current with the device's driver events.
class CAtlasTextureProcessor : public CVideoContentProcessor {
public:
    explicit CAtlasTextureProcessor(IVideoDriver* driver) : CVideoContentProcessor(driver, TypeCodeAtlasTexture, 0) {}

    CResource* load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) override;
};

// Atlas collections ('atxc'): read from and written to XML collection files.
class CAtlasTextureCollectionProcessor : public CContentProcessor {
public:
    explicit CAtlasTextureCollectionProcessor(CFileSystem* fileSystem);

    bool save(IContentManager* manager, CResource* resource, IWritableFile* file, void* parameter) override;
};

}  // namespace oskel
