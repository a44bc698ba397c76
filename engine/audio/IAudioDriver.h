#pragma once

#include "engine/audio/ISound.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

// The file system; the drivers keep it to open sounds by name.
class CFileSystem;

// Owns the audio device and turns sound files into sounds.
class IAudioDriver : public virtual IReferenceCounted {
public:
    ~IAudioDriver() override = default;

    // A text describing the audio device.
    virtual stringc getDescription() const = 0;
    // A new sound for an open file (the caller holds its creation reference), or none.
    [[nodiscard]] virtual ISound* createSound(IReadableFile* file, const CCreationContext& context) = 0;
    // Opens the file through the file system and makes a sound of it; none when it cannot be
    // opened.
    [[nodiscard]] virtual ISound* loadSound(const stringc& fileName, const CCreationContext& context) = 0;
    // Sounds whose decoded size exceeds the threshold (bytes) are streamed.
    virtual void setStreamingThreshold(u32 bytes) = 0;
    virtual u32 getStreamingThreshold() const = 0;
    virtual void setListener(const vector3df& position, const vector3df& lookAt,
                             const vector3df& third, const vector3df& fourth) = 0;
};

}  // namespace oskel
