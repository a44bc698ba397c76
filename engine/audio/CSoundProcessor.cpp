#include "engine/audio/CSoundProcessor.h"

#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

CResource* CSoundProcessor::load(IContentManager*, IReadableFile* file, const CCreationContext& context) {
    IAudioDriver* driver = getAudioDriver();
    if (!driver || !file) return nullptr;
    ISound* sound = driver->createSound(file, context);
    if (sound) CLogger::instance().logHint("Loaded sound", file->getFileName().c_str(), LogInformation);
    return sound;
}

void CSoundProcessor::onContentEvent(CEvent* event, ContentNameMap& cache) {
    if (!event || event->getTypeId() != EventDeviceAudioDriverReleasing) return;
    // Emptied first, so that nothing can find a sound while it goes.
    ContentNameMap dropped;
    dropped.swap(cache);
    for (auto& entry : dropped)
        if (entry.second) entry.second->drop();
}

}  // namespace oskel
