#include "engine/audio/CNullAudioDriver.h"

#include "engine/io/CFileSystem.h"

namespace oskel {

CNullAudioDriver::CNullAudioDriver(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {
    if (m_fileSystem) m_fileSystem->grab();
}

CNullAudioDriver::~CNullAudioDriver() {
    if (m_fileSystem) m_fileSystem->drop();
}

ISound* CNullAudioDriver::createSound(IReadableFile*, const CCreationContext&) { return nullptr; }

IReadableFile* CNullAudioDriver::openFile(const stringc& fileName) {
    return m_fileSystem ? m_fileSystem->createAndOpenFile(fileName) : nullptr;
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
