#include "engine/audio/CNullAudioDriver.h"

namespace oskel {

CNullAudioDriver::CNullAudioDriver(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

ISound* CNullAudioDriver::createSound(IReadableFile*, const CCreationContext&) { return nullptr; }

IReadableFile* CNullAudioDriver::openFile(const stringc&) {
    // The file system is not linked into the audio library yet: no file can be opened by name.
    return nullptr;
}

ISound* CNullAudioDriver::loadSound(const stringc& fileName, const CCreationContext& context) {
    IReadableFile* file = openFile(fileName);
    if (!file) return nullptr;
    ISound* sound = createSound(file, context);
    file->drop();
    return sound;
}

IAudioDriver* createNullAudioDriver(CFileSystem* fileSystem) { return new CNullAudioDriver(fileSystem); }

}  // namespace oskel
