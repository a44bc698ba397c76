#pragma once

// Shared by the fuzz targets and seed writers of atlas collections, fonts and particle files: a
// content manager without a file system (damaged files can name no file on the disk), with the
// processors of those kinds, a texture page "page.png" (30 x 20, not a power of two) and an atlas
// texture "glyphs.png" over it; and writers of seed files.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlWriter.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/render2d/CAtlasTextureProcessor.h"
#include "engine/video/render2d/CFontProcessor.h"
#include "engine/image/CImage.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/render2d/CParticleProcessors.h"
#include "engine/video/CTextureResource.h"

namespace oskel::fuzz {

struct RenderFuzzServices {
    CFileSystem* fileSystem = new CFileSystemLinux();
    IVideoDriver* driver = createMemoryTextureDriver(SDeviceParameters(), nullptr);
    CContentProcessorsManager* processors = new CContentProcessorsManager();
    ITexture* page = nullptr;

    RenderFuzzServices() {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        for (IContentProcessor* p : std::initializer_list<IContentProcessor*>{
                 new CAtlasTextureProcessor(driver), new CAtlasTextureCollectionProcessor(fileSystem),
                 new CFontProcessor(fileSystem, driver), new CParticleCollectionProcessor(fileSystem),
                 new CParticleEmitterProcessor(fileSystem)}) {
            processors->registerProcessor(p);
            p->drop();
        }
        auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(30, 20));
        image->fill(0xFFFFFFFFu);
        page = driver->createDeviceDependentTexture(image);
        image->drop();
    }

    // A content manager holding the page as "page.png" ('itex') and "glyphs.png" ('atex').
    CContentManager* makeManager() const {
        auto* manager = new CContentManager(nullptr, processors);
        auto* texture = new CTextureResource(CCreationContext(manager, "page.png"), page, "page.png");
        manager->registerContent(texture);
        SAtlasCoords coords;
        coords.right = 1.0f;
        coords.bottom = 1.0f;
        auto* glyphs = new CAtlasTexture(CCreationContext(manager, "glyphs.png"), texture, coords, vector2df(),
                                         vector2df());
        manager->registerContent(glyphs);
        glyphs->drop();
        texture->drop();
        return manager;
    }

    // The resource of the type read from the bytes (owned by the caller), or none.
    CResource* load(CContentManager* manager, u32 typeCode, const uint8_t* data, size_t size) const {
        std::vector<u8> bytes(data, data + size);
        CMemoryFile* file = new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.xml", false);
        CResource* resource = manager->getContent(typeCode, file);
        file->drop();
        return resource;
    }
};

inline RenderFuzzServices& services() {
    static RenderFuzzServices* s = new RenderFuzzServices();
    return *s;
}

// The bytes an XML writer writes (header first).
inline std::string writeXmlBytes(const std::function<void(CXmlWriter&)>& body) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("seed.xml");
    {
        CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(file.get());
        writer->writeXMLHeader();
        body(*writer);
    }
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    if (!bytes.empty()) file->read(&bytes[0], static_cast<u32>(bytes.size()));
    return bytes;
}

inline bool saveSeed(const std::string& folder, const char* name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace oskel::fuzz
