#include "engine/audio/openal/COpenALAudioDriver.h"

#include <algorithm>
#include <chrono>

#include <AL/al.h>

#include "engine/audio/openal/COpenALSound.h"
#include "engine/audio/openal/COpenALStreamedSound.h"
#include "engine/audio/openal/CSharedFileData.h"
#include "engine/audio/CSoundLoaderRegistry.h"
#include "engine/core/CLogger.h"

namespace oskel {

namespace {

template <class List>
void eraseFirst(List& list, COpenALStreamedSound* stream) {
    auto it = std::find(list.begin(), list.end(), stream);
    if (it != list.end()) list.erase(it);
}

}  // namespace

COpenALAudioDriver::COpenALAudioDriver(CFileSystem* fileSystem) : CNullAudioDriver(fileSystem) {}

COpenALAudioDriver::~COpenALAudioDriver() {
    m_running = false;
    join();
    alcMakeContextCurrent(nullptr);
    if (m_context) alcDestroyContext(m_context);
    if (m_device) alcCloseDevice(m_device);
}

bool COpenALAudioDriver::init() {
    // The device of that name exists on some systems only; the default device stands in.
    m_device = alcOpenDevice("Generic Software");
    if (!m_device) m_device = alcOpenDevice(nullptr);
    if (!m_device) {
        CLogger::instance().log("Failed to open the OpenAL audio device", LogError);
        return false;
    }
    m_context = alcCreateContext(m_device, nullptr);
    if (!m_context) {
        alcCloseDevice(m_device);
        m_device = nullptr;
        CLogger::instance().log("Failed to create the OpenAL audio context", LogError);
        return false;
    }
    m_running = true;
    alcMakeContextCurrent(m_context);
    setListener(vector3df(0, 0, 0), vector3df(0, 0, -1), vector3df(), vector3df());
    if (!start()) {
        m_running = false;
        CLogger::instance().log("Failed to create the OpenAL update thread", LogError);
        return false;
    }
    return true;
}

stringc COpenALAudioDriver::getDescription() const {
    stringc text = "OpenAL\n Device: ";
    const ALCchar* name = m_device ? alcGetString(m_device, ALC_DEVICE_SPECIFIER) : nullptr;
    text += name ? name : "";
    text += "\n";
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT")) {
        text += " Available devices: ";
        const ALCchar* list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
        bool any = false;
        while (list && *list) {
            text += list;
            text += " ";
            any = true;
            while (*list) ++list;
            ++list;
        }
        if (!any) text += "none";
        text += "\n";
    }
    return text;
}

void COpenALAudioDriver::setListener(const vector3df& position, const vector3df& lookAt, const vector3df&,
                                     const vector3df&) {
    if (!m_running) return;
    alListener3f(AL_POSITION, position.X, position.Y, position.Z);
    const ALfloat orientation[6] = {lookAt.X, lookAt.Y, lookAt.Z, 0.0f, 1.0f, 0.0f};
    alListenerfv(AL_ORIENTATION, orientation);
}

ISound* COpenALAudioDriver::createSound(IReadableFile* file, const CCreationContext& context) {
    if (!m_running || !file) return nullptr;
    CRefPtr<CSoundDecoder> decoder =
        CRefPtr<CSoundDecoder>::fromRaw(CSoundLoaderRegistry::instance().load(file, context));
    if (!decoder || decoder->getSamples() <= 0) return nullptr;

    if (decoder->getDecodedSize() > static_cast<std::uint64_t>(getStreamingThreshold())) {
        // The stream decodes on the worker from a copy of its own.
        CRefPtr<CSharedFileData> data = CRefPtr<CSharedFileData>::fromRaw(CSharedFileData::readAll(file));
        if (!data) {
            CLogger::instance().logHint("Could not read sound file", file->getFileName().c_str(), LogError);
            return nullptr;
        }
        return createStream(data.get(), context);
    }

    CRefPtr<CSoundData> data = makeRef<CSoundData>(decoder.get());
    if (!data->hasData()) {
        CLogger::instance().logHint("Could not decode sound file", file->getFileName().c_str(), LogError);
        return nullptr;
    }
    CRefPtr<COpenALBuffer> buffer = makeRef<COpenALBuffer>(this, data.get());
    return new COpenALSound(buffer.get(), context);
}

COpenALStreamedSound* COpenALAudioDriver::createStream(CSharedFileData* data, const CCreationContext& context) {
    if (!data) return nullptr;
    CRefPtr<IReadableFile> reader = CRefPtr<IReadableFile>::fromRaw(data->createReader());
    CRefPtr<CSoundDecoder> decoder =
        CRefPtr<CSoundDecoder>::fromRaw(CSoundLoaderRegistry::instance().load(reader.get(), context));
    if (!decoder) return nullptr;
    return new COpenALStreamedSound(this, decoder.get(), data, context);
}

void COpenALAudioDriver::queueStream(COpenALStreamedSound* stream) {
    CMutexLock lock(m_pendingLock);
    m_pendingStreams.push_back(stream);
}

void COpenALAudioDriver::removeStream(COpenALStreamedSound* stream) {
    CMutexLock active(m_activeLock);
    auto it = std::find(m_activeStreams.begin(), m_activeStreams.end(), stream);
    if (it != m_activeStreams.end()) {
        *it = m_activeStreams.back();
        m_activeStreams.pop_back();
    }
    // A stream destroyed before the worker took it over is still pending.
    CMutexLock pending(m_pendingLock);
    eraseFirst(m_pendingStreams, stream);
}

u32 COpenALAudioDriver::getActiveStreamCount() {
    CMutexLock lock(m_activeLock);
    return static_cast<u32>(m_activeStreams.size());
}

u32 COpenALAudioDriver::getPendingStreamCount() {
    CMutexLock lock(m_pendingLock);
    return static_cast<u32>(m_pendingStreams.size());
}

void COpenALAudioDriver::updateStreams() {
    {
        // Both locks: a pending stream is never in neither list while a destructor looks.
        CMutexLock active(m_activeLock);
        CMutexLock pending(m_pendingLock);
        while (!m_pendingStreams.empty()) {
            m_activeStreams.push_back(m_pendingStreams.front());
            m_pendingStreams.pop_front();
        }
    }
    std::vector<COpenALStreamedSound*> streams;
    {
        CMutexLock active(m_activeLock);
        streams = m_activeStreams;
    }
    for (COpenALStreamedSound* stream : streams) {
        CMutexLock active(m_activeLock);
        // Streams only leave the array meanwhile (new ones come from this thread), so one
        // still in it is alive.
        if (std::find(m_activeStreams.begin(), m_activeStreams.end(), stream) != m_activeStreams.end() &&
            stream->isPlayingFlag())
            stream->refill();
        else
            std::this_thread::yield();
    }
}

void COpenALAudioDriver::run() {
    while (m_running.load()) {
        updateStreams();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

IAudioDriver* createOpenALAudioDriver(CFileSystem* fileSystem) {
    COpenALAudioDriver* driver = new COpenALAudioDriver(fileSystem);
    if (!driver->init()) {
        driver->drop();
        return nullptr;
    }
    return driver;
}

}  // namespace oskel
