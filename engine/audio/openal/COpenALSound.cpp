#include "engine/audio/openal/COpenALSound.h"

#include <algorithm>
#include <climits>
#include <new>

#include "engine/audio/openal/COpenALAudioDriver.h"
#include "engine/core/CLogger.h"

namespace oskel {

ALenum getALFormat(s32 format) {
    switch (format) {
        case SoundFormatMono8: return AL_FORMAT_MONO8;
        case SoundFormatStereo8: return AL_FORMAT_STEREO8;
        case SoundFormatMono16: return AL_FORMAT_MONO16;
        case SoundFormatStereo16: return AL_FORMAT_STEREO16;
        case SoundFormatRear16: return alGetEnumValue("AL_FORMAT_REAR16");
        case SoundFormatQuad16: return alGetEnumValue("AL_FORMAT_QUAD16");
        case SoundFormat51Chn16: return alGetEnumValue("AL_FORMAT_51CHN16");
        case SoundFormat61Chn16: return alGetEnumValue("AL_FORMAT_61CHN16");
        case SoundFormat71Chn16: return alGetEnumValue("AL_FORMAT_71CHN16");
        default: return 0;
    }
}

CSoundData::CSoundData(CSoundDecoder* decoder) {
    if (!decoder || decoder->getSamples() <= 0 || decoder->getFormat() == 0 ||
        decoder->getSampleRate() <= 0 || decoder->getChannels() <= 0 || !decoder->rewind())
        return;
    const u32 frameBytes = decoder->getFrameBytes();
    const std::uint64_t frames = static_cast<std::uint64_t>(decoder->getSamples());
    const std::uint64_t size = frames * frameBytes;
    if (size > static_cast<std::uint64_t>(INT_MAX)) return;  // more than OpenAL takes in one buffer

    // Grows in steps, so memory follows what the decoder really gives.
    constexpr std::uint64_t kStepFrames = 1u << 16;
    std::unique_ptr<u8[]> data;
    std::uint64_t capacityFrames = 0, framesRead = 0;
    while (framesRead < frames) {
        if (framesRead == capacityFrames) {
            std::uint64_t grown = capacityFrames ? capacityFrames * 2 : kStepFrames;
            if (grown > frames) grown = frames;
            std::unique_ptr<u8[]> bigger(new (std::nothrow) u8[grown * frameBytes]);
            if (!bigger) return;
            if (framesRead) std::copy(data.get(), data.get() + framesRead * frameBytes, bigger.get());
            data = std::move(bigger);
            capacityFrames = grown;
        }
        const u32 got = decoder->read(data.get() + framesRead * frameBytes,
                                      static_cast<u32>(capacityFrames - framesRead));
        if (got == 0) break;
        framesRead += got;
    }
    if (framesRead != frames) return;
    m_data = std::move(data);
    m_size = size;
    m_name = decoder->getName();
    m_channels = decoder->getChannels();
    m_sampleRate = decoder->getSampleRate();
    m_format = decoder->getFormat();
    m_samples = decoder->getSamples();
}

COpenALBuffer::COpenALBuffer(COpenALAudioDriver* driver, CSoundData* data) : m_driver(driver), m_data(data) {
    const ALenum format = data ? getALFormat(data->getFormat()) : 0;
    if (format == 0 || format == -1) {
        CLogger::instance().log("Unsupported OpenAL buffer format", LogError);
        return;
    }
    alGetError();
    alGenBuffers(1, &m_buffer);
    if (alGetError() != AL_NO_ERROR) {
        m_buffer = 0;
        return;
    }
    alBufferData(m_buffer, format, data->getData(), static_cast<ALsizei>(data->getSize()),
                 data->getSampleRate());
}

COpenALBuffer::~COpenALBuffer() {
    if (m_buffer) alDeleteBuffers(1, &m_buffer);
}

COpenALSound::COpenALSound(COpenALBuffer* buffer, const CCreationContext& context)
    : ISound(context), m_buffer(buffer) {}

COpenALSound::~COpenALSound() {
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alDeleteSources(1, &m_source);
    }
}

bool COpenALSound::createSource() {
    if (m_source) return true;
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) m_source = 0;
    if (!m_source) return false;
    alSourcei(m_source, AL_BUFFER, m_buffer ? static_cast<ALint>(m_buffer->getBuffer()) : 0);
    alSourcef(m_source, AL_GAIN, m_volume);
    alSourcei(m_source, AL_LOOPING, m_looping ? AL_TRUE : AL_FALSE);
    alSource3f(m_source, AL_POSITION, m_position.X, m_position.Y, m_position.Z);
    return true;
}

COpenALSound* COpenALSound::clone() const {
    COpenALSound* sound = new COpenALSound(m_buffer.get(), getCreationContext());
    sound->m_volume = m_volume;
    sound->m_position = m_position;
    sound->m_looping = m_looping;
    return sound;
}

s32 COpenALSound::getState() {
    if (!m_source) return SoundStopped;
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return SoundPlaying;
    if (state == AL_PAUSED) return SoundPaused;
    return SoundStopped;
}

bool COpenALSound::play() {
    if (!createSource()) return false;
    alSourcePlay(m_source);
    return true;
}

void COpenALSound::stop() {
    if (m_source) alSourceStop(m_source);
}

void COpenALSound::setPaused(bool paused) {
    if (!m_source) return;
    if (paused) {
        alSourcePause(m_source);
        return;
    }
    // Only a paused source resumes: one that has ended stays stopped.
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_PAUSED) alSourcePlay(m_source);
}

void COpenALSound::setVolume(f32 volume) {
    m_volume = volume;
    if (m_source) alSourcef(m_source, AL_GAIN, volume);
}

void COpenALSound::setLooping(bool looping) {
    m_looping = looping;
    if (m_source) alSourcei(m_source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
}

void COpenALSound::setPosition(const vector3df& position) {
    m_position = position;
    if (m_source) alSource3f(m_source, AL_POSITION, position.X, position.Y, position.Z);
}

u32 COpenALSound::getPlayPosition() {
    if (!m_source) return 0;
    ALfloat seconds = 0;
    alGetSourcef(m_source, AL_SEC_OFFSET, &seconds);
    return seconds > 0 ? static_cast<u32>(seconds * 1000.0f) : 0;
}

}  // namespace oskel
