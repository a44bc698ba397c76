#pragma once

#include <atomic>
#include <vector>

#include <AL/al.h>

#include "engine/audio/decoders/CSoundDecoder.h"
#include "engine/audio/ISound.h"

namespace oskel {

class COpenALAudioDriver;
class CSharedFileData;

// A sound decoded while it plays into three OpenAL buffers, which the driver's worker refills.
// It decodes from its own copy of the file and holds a reference to its driver. Never cached:
// every clone opens a new stream.
class COpenALStreamedSound : public ISound {
public:
    static constexpr u32 BufferCount = 3;

    COpenALStreamedSound(COpenALAudioDriver* driver, CSoundDecoder* decoder, CSharedFileData* data,
                         const CCreationContext& context, u32 capacityFrames = 44100);
    ~COpenALStreamedSound() override;

    ISound* clone() const override;
    s32 getState() override;
    // Starts from the beginning at the worker's next refill.
    bool play() override;
    void stop() override;
    void setPaused(bool paused) override;
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override;
    bool isLooping() const override { return m_looping.load(); }
    void setLooping(bool looping) override;
    void setPosition(const vector3df& position) override;
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override;

    // Worker side, under the driver's active lock: primes the buffers after a play, then
    // refills the processed ones, restarts after an underrun and stops at the end.
    void refill();

    // Decodes the next chunk into the decode buffer, wrapping to the start when looping; returns
    // the frames it holds. Run under the driver's active lock.
    u32 decodeChunk();
    const u8* getDecodeBuffer() const { return m_decodeBuffer.data(); }
    u32 getCapacityFrames() const { return m_capacityFrames; }

    bool isPlayingFlag() const { return m_playing.load(); }
    bool isPausedFlag() const { return m_paused.load(); }
    u32 getRefillCount() const { return m_refills.load(); }
    CSoundDecoder* getDecoder() const { return m_decoder.get(); }
    ALuint getSource() const { return m_source; }
    ALenum getALFormat() const { return m_alFormat; }

private:
    [[nodiscard]] bool createSource();
    void fillAndQueue(ALuint buffer, u32 frames);

    CRefPtr<COpenALAudioDriver> m_driver;
    bool m_queued = false;
    ALuint m_source = 0;
    ALuint m_buffers[BufferCount] = {};
    ALenum m_alFormat = 0;
    CRefPtr<CSoundDecoder> m_decoder;
    CRefPtr<CSharedFileData> m_fileData;
    std::vector<u8> m_decodeBuffer;
    u32 m_capacityFrames;
    u32 m_framesHeld = 0;
    f32 m_volume = 1.0f;
    std::atomic<bool> m_looping{false};
    vector3df m_position;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_needsPriming{false};
    std::atomic<u32> m_refills{0};
};

}  // namespace oskel
