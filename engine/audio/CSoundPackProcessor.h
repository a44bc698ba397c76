#pragma once

#include "engine/audio/IAudioDriver.h"
#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"

namespace oskel {

class CFileSystem;

// Loads sound packs ('sndp', shared) from their XML files. The pack's cues load their sounds
// through the content manager; the audio driver (followed like the sound processor follows it)
// is the one whose streaming threshold a cue's streaming type overrides meanwhile.
class CSoundPackProcessor : public IContentProcessor {
public:
    CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver);
    ~CSoundPackProcessor() override;

    u32 getTypeCode() const override { return TypeCodeSoundPack; }
    // A new pack read from the file ("Loaded sound pack" is logged whatever it held); none
    // without a file system or reader.
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Sound packs are not written: nothing is written, logged, false.
    // Sound packs are never saved: the content manager does not even open a file.
    bool canSave(const CResource* resource) const override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    bool onAudioDriverReleasing(CEvent* event) override;
    bool onAudioDriverCreated(CEvent* event) override;

    IAudioDriver* getAudioDriver() const { return m_audioDriver.get(); }

private:
    CFileSystem* m_fileSystem;  // counted reference
    CRefPtr<IAudioDriver> m_audioDriver;
};

}  // namespace oskel
