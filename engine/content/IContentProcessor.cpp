#include "engine/content/IContentProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

OSKEL_BEGIN_EVENT_MAP(IContentProcessor, CEventReceiver)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverReleasing, onVideoDriverReleasing)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverCreated, onVideoDriverCreated)
OSKEL_EVENT_HANDLER(EventDeviceAudioDriverReleasing, onAudioDriverReleasing)
OSKEL_EVENT_HANDLER(EventDeviceAudioDriverCreated, onAudioDriverCreated)
OSKEL_END_EVENT_MAP()

CContentProcessor::CContentProcessor(u32 typeCode, s32 priority, CFileSystem* fileSystem)
    : m_typeCode(typeCode), m_priority(priority), m_fileSystem(fileSystem) {}

CContentProcessor::CContentProcessor(u32 typeCode, CFileSystem* fileSystem, const char* message, ReadXml read)
    : m_typeCode(typeCode), m_priority(0), m_fileSystem(fileSystem), m_message(message), m_read(std::move(read)) {}

CContentProcessor::~CContentProcessor() = default;

CResource* CContentProcessor::load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) {
    if (!file || !m_read) return nullptr;
    CRefPtr<CXmlReader> reader =
        CRefPtr<CXmlReader>::fromRaw(m_fileSystem ? m_fileSystem->createXmlReader(file) : new CXmlReader(file));
    if (!reader) return nullptr;
    // Names inside the file are relative to the file's own folder.
    if (manager) manager->pushPath(file->getFileName());
    CResource* resource = m_read(reader.get(), context);
    if (manager) manager->popPath();
    reader = nullptr;
    CLogger::instance().logHint(m_message, file->getFileName().c_str(), LogInformation);
    return resource;
}

CContentProcessorsManager::CContentProcessorsManager() { setCategoryMask(CategoryDevice); }

CContentProcessorsManager::~CContentProcessorsManager() {
    for (u32 i = 0; i < m_processors.size(); ++i) m_processors[i]->drop();
}

bool CContentProcessorsManager::routeToChildren(u32, CEvent* event) {
    for (u32 i = 0; i < m_processors.size(); ++i)
        if (m_processors[i]->acceptsEvent(event)) m_processors[i]->onEvent(event);
    return false;
}

IContentProcessor* CContentProcessorsManager::getProcessor(u32 typeCode) const {
    for (u32 i = 0; i < m_processors.size(); ++i)
        if (m_processors[i]->getTypeCode() == typeCode) return m_processors[i];
    return nullptr;
}

void CContentProcessorsManager::registerProcessor(IContentProcessor* processor) {
    if (!processor) return;
    if (getProcessor(processor->getTypeCode())) {
        stringc hint("IContentProcessor for the type #");
        hint += stringc(static_cast<unsigned long>(processor->getTypeCode()));
        hint += " is already present";
        CLogger::instance().logHint("CContentProcessorsManager", hint.c_str(), LogWarning);
        return;
    }
    processor->grab();
    m_processors.push_back(processor);
}

}  // namespace oskel
