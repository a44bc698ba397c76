#pragma once

#include <atomic>
#include <deque>
#include <vector>

#include <AL/alc.h>

#include "engine/audio/CNullAudioDriver.h"
#include "engine/core/CThread.h"

namespace oskel {

class COpenALStreamedSound;
class CSharedFileData;
class CSoundDecoder;

// The OpenAL audio driver: opens the device, buffers short sounds whole and streams long ones,
// refilled by a worker thread every 10 ms.
//
// Threads: the worker shares the pending list (pending lock) and the active array (active lock)
// with the main thread. Where both locks are held at once, the active lock is taken first.
// Refills run under the active lock, as do the streamed sounds' play, stop, pause and looping
// changes, so the main thread never changes a stream while it is being refilled.
class COpenALAudioDriver : public CNullAudioDriver, public CThread {
public:
    explicit COpenALAudioDriver(CFileSystem* fileSystem);
    ~COpenALAudioDriver() override;

    // Opens the device and a context and starts the worker; false (logged) when a step fails.
    [[nodiscard]] bool init();

    stringc getDescription() const override;
    [[nodiscard]] ISound* createSound(IReadableFile* file, const CCreationContext& context) override;
    void setListener(const vector3df& position, const vector3df& lookAt, const vector3df& third,
                     const vector3df& fourth) override;

    // A new streamed sound decoding from a copy of a file (the caller holds its creation
    // reference), or none when no decoder opens it.
    [[nodiscard]] COpenALStreamedSound* createStream(CSharedFileData* data, const CCreationContext& context);

    // Appends a started stream to the pending list; the worker takes it over.
    void queueStream(COpenALStreamedSound* stream);
    // Takes a stream out of the active array and the pending list (a stream being destroyed).
    void removeStream(COpenALStreamedSound* stream);

    CMutex& getActiveLock() { return m_activeLock; }
    bool isRunning() const { return m_running.load(); }
    u32 getActiveStreamCount();
    u32 getPendingStreamCount();

protected:
    void run() override;

private:
    // One pass of the worker: takes the pending streams over and refills every playing one.
    void updateStreams();

    std::atomic<bool> m_running{false};
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    std::vector<COpenALStreamedSound*> m_activeStreams;
    std::deque<COpenALStreamedSound*> m_pendingStreams;
    CMutex m_pendingLock;
    CMutex m_activeLock;
};

// A new OpenAL driver that has opened its device and started its worker, or none when that
// failed. The caller holds its creation reference.
[[nodiscard]] IAudioDriver* createOpenALAudioDriver(CFileSystem* fileSystem);

}  // namespace oskel
