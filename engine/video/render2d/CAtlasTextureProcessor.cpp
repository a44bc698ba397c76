#include "engine/video/render2d/CAtlasTextureProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/CTextureResource.h"

namespace oskel {

CResource* CAtlasTextureProcessor::load(IContentManager* manager, IReadableFile* file,
                                        const CCreationContext& context) {
    if (!manager || !file) return nullptr;
    CResource* content = manager->getContent(TypeCodeTexture, file);
    if (!content) return nullptr;
    auto* page = dynamic_cast<CTextureResource*>(content);
    if (!page) {
        content->drop();
        return nullptr;
    }
    ITexture* texture = page->getTexture();
    if (!texture) {
        CLogger::instance().logHint("Atlas page has no texture", file->getFileName().c_str(), LogWarning);
        page->drop();
        return nullptr;
    }
    // A texture padded to a larger size shows only its image.
    const dimension2di& image = texture->getOriginalSize();
    const dimension2di& size = texture->getSize();
    SAtlasCoords coords;
    coords.right = size.Width > 0 ? static_cast<f32>(image.Width) / static_cast<f32>(size.Width) : 0.0f;
    coords.bottom = size.Height > 0 ? static_cast<f32>(image.Height) / static_cast<f32>(size.Height) : 0.0f;
    auto* atlas = new CAtlasTexture(context, page, coords, vector2df(0.0f, 0.0f), vector2df(0.0f, 0.0f));
    page->drop();
    CLogger::instance().logHint("Loaded atlas texture", file->getFileName().c_str(), LogInformation);
    return atlas;
}

CAtlasTextureCollectionProcessor::CAtlasTextureCollectionProcessor(CFileSystem* fileSystem)
    : CContentProcessor(TypeCodeAtlasCollection, fileSystem, "Loaded atlas texture collection",
                        [](CXmlReader* reader, const CCreationContext& context) {
                            auto* collection = new AtlasTextureCollection(context);
                            collection->load(reader);
                            return collection;
                        }) {}

bool CAtlasTextureCollectionProcessor::save(IContentManager*, CResource* resource, IWritableFile* file,
                                            void*) {
    auto* collection = dynamic_cast<AtlasTextureCollection*>(resource);
    if (!collection || !getFileSystem() || !file) return false;
    CXmlWriter* writer = getFileSystem()->createXmlWriter(file);
    if (!writer) return false;
    writer->writeXMLHeader();
    const bool saved = collection->save(writer);
    writer->drop();
    return saved;
}

}  // namespace oskel
