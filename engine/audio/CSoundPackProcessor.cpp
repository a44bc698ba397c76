#include "engine/audio/CSoundPackProcessor.h"

#include "engine/audio/SoundPack.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

CSoundPackProcessor::CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver)
    : CAudioContentProcessor(audioDriver, TypeCodeSoundPack, fileSystem, "Loaded sound pack",
                             [this](CXmlReader* reader, const CCreationContext& context) {
                                 SoundPack* pack = new SoundPack(context);
                                 // A damaged pack keeps the cues read before the damage (load logs
                                 // what it refused).
                                 static_cast<void>(pack->load(reader, getAudioDriver()));
                                 return pack;
                             }) {}

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
