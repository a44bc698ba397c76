#include "engine/video/render2d/CFontProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/CFont.h"

namespace oskel {

CFontProcessor::CFontProcessor(CFileSystem* fileSystem, IVideoDriver* driver)
    : m_fileSystem(fileSystem), m_driver(driver) {
    setCategoryMask(CategoryDevice);
}

CResource* CFontProcessor::load(IContentManager* manager, IReadableFile* file,
                                const CCreationContext& context) {
    if (!manager || !file || !m_fileSystem) return nullptr;
    CXmlReader* reader = m_fileSystem->createXmlReader(file);
    if (!reader) return nullptr;
    CFont* font = nullptr;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == L"Font") break;
        if (type != XmlNodeElement || reader->getNodeName() != L"Font") continue;
        if (reader->getAttributeValue(L"Type") == L"Bitmap") {
            font = new CBitmapFont(context);
            manager->pushPath(file->getFileName());
            font->loadGlyphs(reader, 0);
            manager->popPath();
        }
        break;
    }
    reader->drop();
    CLogger::instance().logHint("Loaded font", file->getFileName().c_str(), LogInformation);
    return font;
}

bool CFontProcessor::onVideoDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

bool CFontProcessor::onVideoDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceVideoDriverCreated*>(event);
    m_driver.assign(created ? created->getVideoDriver() : nullptr);
    return false;
}

}  // namespace oskel
