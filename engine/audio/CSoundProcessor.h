#pragma once

#include "engine/audio/IAudioDriver.h"
#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"

namespace oskel {

// Loads sounds ('isnd') through the audio driver: buffered sounds are cached and handed out as
// clones, streamed sounds are made afresh for every request. It follows the device's audio
// driver; when the driver is about to go, the cached sounds are dropped from the cache.
class CSoundProcessor : public IContentProcessor {
public:
    explicit CSoundProcessor(IAudioDriver* driver);
    ~CSoundProcessor() override = default;

    s32 getPriority() const override { return 1; }
    u32 getTypeCode() const override { return TypeCodeSound; }
    // The driver's sound of the file; none without a driver or when the file does not decode.
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Sounds are not written back: false.
    bool canSave(const CResource*) const override { return false; }
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    // Driver about to go (11): every cached sound is dropped and the cache emptied.
    void onContentEvent(CEvent* event, ContentNameMap& cache) override;

    bool onAudioDriverReleasing(CEvent* event) override;
    bool onAudioDriverCreated(CEvent* event) override;

    IAudioDriver* getAudioDriver() const { return m_driver.get(); }

private:
    CRefPtr<IAudioDriver> m_driver;
};

}  // namespace oskel
