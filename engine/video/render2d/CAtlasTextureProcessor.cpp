#include "engine/video/render2d/CAtlasTextureProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/CTextureResource.h"

namespace oskel {

CAtlasTextureProcessor::CAtlasTextureProcessor(IVideoDriver* driver) : m_driver(driver) {
    setCategoryMask(CategoryDevice);
}

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

bool CAtlasTextureProcessor::onVideoDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

bool CAtlasTextureProcessor::onVideoDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceVideoDriverCreated*>(event);
    m_driver.assign(created ? created->getVideoDriver() : nullptr);
    return false;
}

CAtlasTextureCollectionProcessor::CAtlasTextureCollectionProcessor(CFileSystem* fileSystem)
    : m_fileSystem(fileSystem) {}

CResource* CAtlasTextureCollectionProcessor::load(IContentManager* manager, IReadableFile* file,
                                                  const CCreationContext& context) {
    if (!manager || !file || !m_fileSystem) return nullptr;
    CXmlReader* reader = m_fileSystem->createXmlReader(file);
    if (!reader) return nullptr;
    auto* collection = new AtlasTextureCollection(context);
    manager->pushPath(file->getFileName());
    collection->load(reader);
    manager->popPath();
    reader->drop();
    CLogger::instance().logHint("Loaded atlas texture collection", file->getFileName().c_str(),
                                LogInformation);
    return collection;
}

bool CAtlasTextureCollectionProcessor::save(IContentManager*, CResource* resource, IWritableFile* file,
                                            void*) {
    auto* collection = dynamic_cast<AtlasTextureCollection*>(resource);
    if (!collection || !m_fileSystem || !file) return false;
    CXmlWriter* writer = m_fileSystem->createXmlWriter(file);
    if (!writer) return false;
    writer->writeXMLHeader();
    const bool saved = collection->save(writer);
    writer->drop();
    return saved;
}

}  // namespace oskel
