#pragma once

#include "engine/audio/IAudioDriver.h"

namespace oskel {

// The audio driver without a device: it makes no sounds.
class CNullAudioDriver : public IAudioDriver {
public:
    explicit CNullAudioDriver(CFileSystem* fileSystem);
    ~CNullAudioDriver() override;

    stringc getDescription() const override { return "Null audio device"; }
    [[nodiscard]] ISound* createSound(IReadableFile* file, const CCreationContext& context) override;
    // Files are opened by name through the file system; without one nothing can be opened.
    [[nodiscard]] ISound* loadSound(const stringc& fileName, const CCreationContext& context) override;
    void setStreamingThreshold(u32 bytes) override { m_streamingThreshold = bytes; }
    u32 getStreamingThreshold() const override { return m_streamingThreshold; }
    void setListener(const vector3df&, const vector3df&, const vector3df&, const vector3df&) override {}

    CFileSystem* getFileSystem() const { return m_fileSystem; }

protected:
    // Opens a file by name through the file system, or none.
    virtual IReadableFile* openFile(const stringc& fileName);

    CFileSystem* m_fileSystem;
    u32 m_streamingThreshold = 0x40000;
};

// A new null audio driver (never none); the caller holds its creation reference.
[[nodiscard]] IAudioDriver* createNullAudioDriver(CFileSystem* fileSystem);

}  // namespace oskel
