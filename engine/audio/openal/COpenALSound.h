#pragma once

#include <memory>

#include <AL/al.h>

#include "engine/audio/decoders/CSoundDecoder.h"
#include "engine/audio/ISound.h"

namespace oskel {

class COpenALAudioDriver;

// The OpenAL format of a sound format code (needs a current context for the multichannel
// formats); 0 when OpenAL has none.
ALenum getALFormat(s32 format);

// A whole decoded stream in memory.
class CSoundData : public virtual IReferenceCounted {
public:
    // Reads every frame of the decoder from its start; stays empty when the decoder's report is
    // incomplete, it cannot rewind or the frames read fall short of its sample count. Memory
    // grows with the frames actually read, so a false length costs no more than the stream.
    explicit CSoundData(CSoundDecoder* decoder);

    bool hasData() const { return m_samples > 0; }
    const stringc& getName() const { return m_name; }
    s32 getChannels() const { return m_channels; }
    s32 getSampleRate() const { return m_sampleRate; }
    s32 getFormat() const { return m_format; }
    s32 getSamples() const { return m_samples; }
    const u8* getData() const { return m_data.get(); }
    std::uint64_t getSize() const { return m_size; }

private:
    stringc m_name;
    s32 m_channels = 0;
    s32 m_sampleRate = 0;
    s32 m_format = 0;
    s32 m_samples = 0;
    std::unique_ptr<u8[]> m_data;
    std::uint64_t m_size = 0;
};

// One OpenAL buffer holding a whole decoded sound; shared by every sound cloned from it.
class COpenALBuffer : public virtual IReferenceCounted {
public:
    COpenALBuffer(COpenALAudioDriver* driver, CSoundData* data);
    ~COpenALBuffer() override;

    ALuint getBuffer() const { return m_buffer; }
    CSoundData* getData() const { return m_data.get(); }

private:
    CRefPtr<COpenALAudioDriver> m_driver;
    CRefPtr<CSoundData> m_data;
    ALuint m_buffer = 0;
};

// A sound played whole from a shared OpenAL buffer; a clone costs one source.
class COpenALSound : public ISound {
public:
    COpenALSound(COpenALBuffer* buffer, const CCreationContext& context);
    ~COpenALSound() override;

    COpenALSound* clone() const override;
    s32 getState() override;
    bool play() override;
    void stop() override;
    void setPaused(bool paused) override;
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override;
    bool isLooping() const override { return m_looping; }
    void setLooping(bool looping) override;
    void setPosition(const vector3df& position) override;
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override;

    COpenALBuffer* getBuffer() const { return m_buffer.get(); }
    ALuint getSource() const { return m_source; }

private:
    [[nodiscard]] bool createSource();

    ALuint m_source = 0;
    CRefPtr<COpenALBuffer> m_buffer;
    f32 m_volume = 1.0f;
    bool m_looping = false;
    vector3df m_position;
};

}  // namespace oskel
