#include "engine/audio/CSoundProcessor.h"

#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

CSoundProcessor::CSoundProcessor(IAudioDriver* driver) : m_driver(driver) { setCategoryMask(CategoryDevice); }

CResource* CSoundProcessor::load(IContentManager*, IReadableFile* file, const CCreationContext& context) {
    if (!m_driver || !file) return nullptr;
    ISound* sound = m_driver->createSound(file, context);
    if (sound) CLogger::instance().logHint("Loaded sound", file->getFileName().c_str(), LogInformation);
    return sound;
}

bool CSoundProcessor::save(IContentManager*, CResource*, IWritableFile*, void*) { return false; }

void CSoundProcessor::onContentEvent(CEvent* event, ContentNameMap& cache) {
    if (!event || event->getTypeId() != EventDeviceAudioDriverReleasing) return;
    // Emptied first, so that nothing can find a sound while it goes.
    ContentNameMap dropped;
    dropped.swap(cache);
    for (auto& entry : dropped)
        if (entry.second) entry.second->drop();
}

bool CSoundProcessor::onAudioDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

bool CSoundProcessor::onAudioDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceAudioDriverCreated*>(event);
    m_driver.assign(created ? created->getAudioDriver() : nullptr);
    return false;
}

}  // namespace oskel
