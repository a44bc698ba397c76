#pragma once

#include <cstdint>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

// Sample layouts of decoded PCM. 16-bit samples are signed little-endian, 8-bit unsigned.
enum ESoundFormat : s32 {
    SoundFormatUnsupported = 0,
    SoundFormatMono8 = 1,
    SoundFormatStereo8 = 2,
    SoundFormatMono16 = 3,
    SoundFormatStereo16 = 4,
    SoundFormatRear16 = 5,
    SoundFormatQuad16 = 6,
    SoundFormat51Chn16 = 7,
    SoundFormat61Chn16 = 8,
    SoundFormat71Chn16 = 9,
};

// Bytes of one sample of one channel for a format code.
inline u32 soundBytesPerSample(s32 format) { return format < 3 ? 1u : 2u; }

// Decodes a sound file into whole PCM frames, from the start or from where it stopped.
// A decoder whose sample count is 0 failed to open its file.
class CSoundDecoder : public virtual IReferenceCounted {
public:
    CSoundDecoder() = default;
    ~CSoundDecoder() override = default;
    CSoundDecoder(const CSoundDecoder&) = delete;
    CSoundDecoder& operator=(const CSoundDecoder&) = delete;

    // Back to the first frame.
    virtual bool rewind() { return true; }
    // Reads up to frames whole frames into the buffer; returns the frames read (0 at the end).
    virtual u32 read(void* buffer, u32 frames) {
        (void)buffer;
        (void)frames;
        return 0;
    }

    const stringc& getName() const { return m_name; }
    s32 getChannels() const { return m_channels; }
    s32 getSampleRate() const { return m_sampleRate; }
    s32 getFormat() const { return m_format; }
    s32 getSamples() const { return m_samples; }
    u32 getFrameBytes() const {
        return m_channels > 0 ? soundBytesPerSample(m_format) * static_cast<u32>(m_channels) : 0;
    }
    // Bytes of the whole decoded stream, in 64 bits.
    std::uint64_t getDecodedSize() const {
        return static_cast<std::uint64_t>(getFrameBytes()) * static_cast<std::uint64_t>(m_samples > 0 ? m_samples : 0);
    }

protected:
    stringc m_name;
    s32 m_channels = 0;
    s32 m_sampleRate = 0;
    s32 m_format = SoundFormatUnsupported;
    s32 m_samples = 0;
};

}  // namespace oskel
