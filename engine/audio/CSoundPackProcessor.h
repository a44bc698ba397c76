#pragma once

#include "engine/audio/CAudioContentProcessor.h"

namespace oskel {

// Loads sound packs ('sndp', shared) from their XML files. The pack's cues load their sounds
// through the content manager; the audio driver (followed like the sound processor follows it)
// is the one whose streaming threshold a cue's streaming type overrides meanwhile.
class CSoundPackProcessor : public CAudioContentProcessor {
public:
    CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver)
        : CAudioContentProcessor(TypeCodeSoundPack, 0, audioDriver, fileSystem) {}

    // A new pack read from the file ("Loaded sound pack" is logged whatever it held); none
    // without a file system or reader.
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Sound packs are never saved: the content manager does not even open a file (logged).
    bool canSave(const CResource* resource) const override;
    // Nothing is written, logged, false.
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
};

}  // namespace oskel
