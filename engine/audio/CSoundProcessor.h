#pragma once

#include "engine/audio/CAudioContentProcessor.h"

namespace oskel {

// Loads sounds ('isnd') through the audio driver: buffered sounds are cached and handed out as
// clones, streamed sounds are made afresh for every request. It follows the device's audio
// driver; when the driver is about to go, the cached sounds are dropped from the cache. Sounds
// are not written back.
class CSoundProcessor : public CAudioContentProcessor {
public:
    explicit CSoundProcessor(IAudioDriver* driver) : CAudioContentProcessor(driver, TypeCodeSound, 1) {}

    // The driver's sound of the file; none without a driver or when the file does not decode.
    [[nodiscard]] CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool canSave(const CResource*) const override { return false; }
    // Driver about to go: every cached sound is dropped and the cache emptied.
    void onContentEvent(CEvent* event, ContentNameMap& cache) override;
};

}  // namespace oskel
