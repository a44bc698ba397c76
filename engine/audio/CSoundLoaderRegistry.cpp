#include "engine/audio/CSoundLoaderRegistry.h"

#include "engine/audio/decoders/COggVorbisDecoder.h"
#include "engine/audio/decoders/CWavDecoder.h"
#include "engine/core/CLogger.h"

namespace oskel {

namespace {

// Case-sensitive, anywhere in the name.
bool nameContains(const stringc& name, const char* part) { return name.find(part) >= 0; }

// The decoder when it opened its file; otherwise it is released.
CSoundDecoder* keepIfOpened(CSoundDecoder* decoder) {
    if (decoder && decoder->getSamples() > 0) return decoder;
    if (decoder) decoder->drop();
    return nullptr;
}

}  // namespace

bool CWavSoundLoader::isLoadableFileExtension(const stringc& fileName) const {
    return nameContains(fileName, ".wav");
}

bool CWavSoundLoader::isLoadableFileFormat(IReadableFile* file) const {
    SWavHeader header;
    return parseWavHeader(file, header);
}

CSoundDecoder* CWavSoundLoader::createDecoder(IReadableFile* file, const CCreationContext&) const {
    if (!file) return nullptr;
    return keepIfOpened(new CWavDecoder(file));
}

bool COggVorbisSoundLoader::isLoadableFileExtension(const stringc& fileName) const {
    return nameContains(fileName, ".ogg");
}

bool COggVorbisSoundLoader::isLoadableFileFormat(IReadableFile* file) const {
    return COggVorbisDecoder::canOpen(file);
}

CSoundDecoder* COggVorbisSoundLoader::createDecoder(IReadableFile* file, const CCreationContext&) const {
    if (!file) return nullptr;
    return keepIfOpened(new COggVorbisDecoder(file));
}

CSoundLoaderRegistry::CSoundLoaderRegistry() {
    ISoundLoader* wav = new CWavSoundLoader();
    addLoader(wav);
    wav->drop();
    ISoundLoader* ogg = new COggVorbisSoundLoader();
    addLoader(ogg);
    ogg->drop();
}

CSoundLoaderRegistry::~CSoundLoaderRegistry() {
    for (u32 i = 0; i < m_loaders.size(); ++i) m_loaders[i]->drop();
}

void CSoundLoaderRegistry::addLoader(ISoundLoader* loader) {
    if (!loader) return;
    loader->grab();
    m_loaders.push_back(loader);
}

CSoundDecoder* CSoundLoaderRegistry::load(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    const stringc& name = file->getFileName();
    for (u32 i = 0; i < m_loaders.size(); ++i) {
        if (!m_loaders[i]->isLoadableFileExtension(name)) continue;
        if (!file->seek(0)) return nullptr;
        if (CSoundDecoder* decoder = m_loaders[i]->createDecoder(file, context)) return decoder;
    }
    for (u32 i = 0; i < m_loaders.size(); ++i) {
        if (!file->seek(0)) return nullptr;
        if (!m_loaders[i]->isLoadableFileFormat(file)) continue;
        if (!file->seek(0)) return nullptr;
        if (CSoundDecoder* decoder = m_loaders[i]->createDecoder(file, context)) return decoder;
    }
    CLogger::instance().logHint("No sound decoder for file", name.c_str(), LogWarning);
    return nullptr;
}

}  // namespace oskel
