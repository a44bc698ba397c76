#include "engine/audio/CSoundPackProcessor.h"

#include "engine/audio/SoundPack.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

CResource* CSoundPackProcessor::load(IContentManager* manager, IReadableFile* file,
                                     const CCreationContext& context) {
    IAudioDriver* driver = getAudioDriver();
    return readXmlFile(manager, file, "Loaded sound pack", [&context, driver](CXmlReader* reader) {
        SoundPack* pack = new SoundPack(context);
        pack->load(reader, driver);
        return pack;
    });
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

}  // namespace oskel
