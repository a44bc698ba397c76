#pragma once

#include "engine/audio/CAudioContentProcessor.h"

namespace oskel {

// Loads sound packs ('sndp', shared) from their XML files ("Loaded sound pack" is logged whatever
// the file held). The pack's cues load their sounds through the content manager; the audio driver
// (followed like the sound processor follows it) is the one whose streaming threshold a cue's
// streaming type overrides meanwhile. Packs are never saved: the content manager does not even
// open a file (logged).
class CSoundPackProcessor : public CAudioContentProcessor {
public:
    CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver);

    bool canSave(const CResource* resource) const override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file, void* parameter) override;
};

}  // namespace oskel
