#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"
#include "engine/io/CFileSystem.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// Atlas textures ('atex') for names that no collection registered: the texture of the file,
// covered whole. It keeps its video driver current with the device's driver events.
class CAtlasTextureProcessor : public IContentProcessor {
public:
    explicit CAtlasTextureProcessor(IVideoDriver* driver);
    ~CAtlasTextureProcessor() override = default;

    u32 getTypeCode() const override { return TypeCodeAtlasTexture; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool save(IContentManager*, CResource*, IWritableFile*, void*) override { return false; }
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    bool onVideoDriverReleasing(CEvent* event) override;
    bool onVideoDriverCreated(CEvent* event) override;

    IVideoDriver* getVideoDriver() const { return m_driver.get(); }

private:
    CRefPtr<IVideoDriver> m_driver;
};

// Atlas collections ('atxc'): read from and written to XML collection files.
class CAtlasTextureCollectionProcessor : public IContentProcessor {
public:
    explicit CAtlasTextureCollectionProcessor(CFileSystem* fileSystem);
    ~CAtlasTextureCollectionProcessor() override = default;

    u32 getTypeCode() const override { return TypeCodeAtlasCollection; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    void onContentEvent(CEvent*, ContentNameMap&) override {}

private:
    CRefPtr<CFileSystem> m_fileSystem;
};

}  // namespace oskel
