#include "engine/audio/openal/COpenALStreamedSound.h"

#include "engine/audio/openal/COpenALAudioDriver.h"
#include "engine/audio/openal/COpenALSound.h"
#include "engine/audio/openal/CSharedFileData.h"
#include "engine/core/CLogger.h"

namespace oskel {

COpenALStreamedSound::COpenALStreamedSound(COpenALAudioDriver* driver, CSoundDecoder* decoder,
                                           CSharedFileData* data, const CCreationContext& context,
                                           u32 capacityFrames)
    : ISound(context),
      m_driver(driver),
      m_decoder(decoder),
      m_fileData(data),
      m_capacityFrames(capacityFrames ? capacityFrames : 1) {
    setSharingFlags(ERF_NOT_CACHED);
    alGetError();
    alGenBuffers(BufferCount, m_buffers);
    if (alGetError() != AL_NO_ERROR)
        for (ALuint& buffer : m_buffers) buffer = 0;
    if (decoder) m_alFormat = oskel::getALFormat(decoder->getFormat());
    if (m_alFormat == -1) m_alFormat = 0;
}

COpenALStreamedSound::~COpenALStreamedSound() {
    // Out of the worker's lists first: from here on it cannot refill this stream.
    if (m_queued && m_driver) m_driver->removeStream(this);
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alDeleteSources(1, &m_source);
    }
    if (m_buffers[0]) alDeleteBuffers(BufferCount, m_buffers);
    // The driver reference goes last, after every OpenAL object of the stream.
}

ISound* COpenALStreamedSound::clone() const {
    if (!m_driver || !m_fileData) return nullptr;
    COpenALStreamedSound* sound = m_driver->createStream(m_fileData.get(), getCreationContext());
    if (!sound) return nullptr;
    sound->setVolume(m_volume);
    sound->setPosition(m_position);
    sound->setLooping(m_looping.load());
    return sound;
}

bool COpenALStreamedSound::createSource() {
    if (m_source) return true;
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) m_source = 0;
    if (!m_source) return false;
    alSourcef(m_source, AL_GAIN, m_volume);
    alSource3f(m_source, AL_POSITION, m_position.X, m_position.Y, m_position.Z);
    return true;
}

s32 COpenALStreamedSound::getState() {
    if (!m_source || !m_playing.load()) return SoundStopped;
    return m_paused.load() ? SoundPaused : SoundPlaying;
}

bool COpenALStreamedSound::play() {
    if (!m_decoder || m_alFormat == 0 || !m_buffers[0]) {
        CLogger::instance().log("Failed to play streamed sound", LogError);
        return false;
    }
    CMutexLock lock(m_driver->getActiveLock());
    stop();
    if (!createSource()) return false;
    if (!m_decoder->rewind()) return false;
    m_needsPriming = true;
    m_paused = false;
    m_playing = true;
    if (!m_queued) {
        m_driver->queueStream(this);
        m_queued = true;
    }
    return true;
}

void COpenALStreamedSound::stop() {
    CMutexLock lock(m_driver->getActiveLock());
    if (!m_source) return;
    m_playing = false;
    m_paused = false;
    m_needsPriming = false;
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
}

void COpenALStreamedSound::setPaused(bool paused) {
    CMutexLock lock(m_driver->getActiveLock());
    m_paused = paused;
    if (!m_source) return;
    if (paused) {
        alSourcePause(m_source);
    } else if (m_playing.load() && !m_needsPriming.load()) {
        // A stream still waiting for its first buffers starts when they are queued.
        alSourcePlay(m_source);
    }
}

void COpenALStreamedSound::setVolume(f32 volume) {
    m_volume = volume;
    if (m_source) alSourcef(m_source, AL_GAIN, volume);
}

void COpenALStreamedSound::setLooping(bool looping) {
    CMutexLock lock(m_driver->getActiveLock());
    m_looping = looping;
}

void COpenALStreamedSound::setPosition(const vector3df& position) {
    m_position = position;
    if (m_source) alSource3f(m_source, AL_POSITION, position.X, position.Y, position.Z);
}

u32 COpenALStreamedSound::getPlayPosition() {
    if (!m_source) return 0;
    ALfloat seconds = 0;
    alGetSourcef(m_source, AL_SEC_OFFSET, &seconds);
    return seconds > 0 ? static_cast<u32>(seconds * 1000.0f) : 0;
}

u32 COpenALStreamedSound::decodeChunk() {
    CMutexLock lock(m_driver->getActiveLock());
    if (!m_decoder) return 0;
    const u32 frameBytes = m_decoder->getFrameBytes();
    const size_t bytes = static_cast<size_t>(frameBytes) * m_capacityFrames;
    if (m_decodeBuffer.size() != bytes) m_decodeBuffer.assign(bytes, 0);
    u8* out = m_decodeBuffer.data();
    u32 frames = m_decoder->read(out, m_capacityFrames);
    while (frames < m_capacityFrames && m_looping.load()) {
        // A stream that cannot start again, or gives nothing after starting again, ends here
        // instead of spinning.
        if (!m_decoder->rewind()) break;
        const u32 more = m_decoder->read(out + static_cast<size_t>(frames) * frameBytes, m_capacityFrames - frames);
        if (more == 0) break;
        frames += more;
    }
    m_framesHeld = frames;
    return frames;
}

void COpenALStreamedSound::fillAndQueue(ALuint buffer, u32 frames) {
    const u32 frameBytes = m_decoder->getFrameBytes();
    alBufferData(buffer, m_alFormat, m_decodeBuffer.data(), static_cast<ALsizei>(frames * frameBytes),
                 m_decoder->getSampleRate());
    alSourceQueueBuffers(m_source, 1, &buffer);
}

void COpenALStreamedSound::refill() {
    CMutexLock lock(m_driver->getActiveLock());
    if (!m_playing.load() || !m_source || !m_decoder) return;
    ++m_refills;

    if (m_needsPriming.exchange(false)) {
        u32 queued = 0;
        for (ALuint buffer : m_buffers) {
            const u32 frames = decodeChunk();
            if (frames == 0) break;
            fillAndQueue(buffer, frames);
            ++queued;
        }
        // Nothing to play: the stream has ended before it began.
        if (queued == 0) {
            stop();
            return;
        }
        if (!m_paused.load()) alSourcePlay(m_source);
        return;
    }

    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(m_source, 1, &buffer);
        const u32 frames = decodeChunk();
        if (frames != 0) fillAndQueue(buffer, frames);
    }

    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING || state == AL_PAUSED) return;

    ALint queued = 0;
    alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
    if (queued > 0) {
        // Ran dry before the refill: start again, unless it was paused meanwhile.
        if (!m_paused.load()) alSourcePlay(m_source);
    } else {
        // Every buffer has played and none could be filled again: the sound has ended.
        stop();
    }
}

}  // namespace oskel
