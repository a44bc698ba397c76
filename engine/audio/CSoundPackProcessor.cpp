#include "engine/audio/CSoundPackProcessor.h"

#include "engine/audio/SoundPack.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

CSoundPackProcessor::CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver)
    : m_fileSystem(fileSystem), m_audioDriver(audioDriver) {
    setCategoryMask(CategoryDevice);
    if (m_fileSystem) m_fileSystem->grab();
}

CSoundPackProcessor::~CSoundPackProcessor() {
    if (m_fileSystem) m_fileSystem->drop();
}

CResource* CSoundPackProcessor::load(IContentManager* manager, IReadableFile* file,
                                     const CCreationContext& context) {
    if (!m_fileSystem || !file) return nullptr;
    CRefPtr<CXmlReader> reader = CRefPtr<CXmlReader>::fromRaw(m_fileSystem->createXmlReader(file));
    if (!reader) return nullptr;
    SoundPack* pack = new SoundPack(context);
    // Sound file names inside the pack are relative to the pack's own file.
    if (manager) manager->pushPath(file->getFileName());
    pack->load(reader.get(), m_audioDriver.get());
    if (manager) manager->popPath();
    reader = nullptr;
    CLogger::instance().logHint("Loaded sound pack", file->getFileName().c_str(), LogInformation);
    return pack;
}

bool CSoundPackProcessor::canSave(const CResource* resource) const {
    CLogger::instance().logHint("Sound pack can't be saved",
                                resource ? resource->getName().c_str() : "", LogWarning);
    return false;
}

bool CSoundPackProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    CLogger::instance().logHint("Sound pack can't be saved", file ? file->getFileName().c_str() : "",
                                LogWarning);
    return false;
}

bool CSoundPackProcessor::onAudioDriverReleasing(CEvent*) {
    m_audioDriver = nullptr;
    return false;
}

bool CSoundPackProcessor::onAudioDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceAudioDriverCreated*>(event);
    m_audioDriver.assign(created ? created->getAudioDriver() : nullptr);
    return false;
}

}  // namespace oskel
