#pragma once

#include "engine/audio/decoders/CSoundDecoder.h"
#include "engine/content/CResource.h"
#include "engine/core/Singleton.h"

namespace oskel {

// Recognises one kind of sound file and opens decoders on it.
class ISoundLoader : public virtual IReferenceCounted {
public:
    ~ISoundLoader() override = default;

    // True when the name says the file is of this kind.
    virtual bool isLoadableFileExtension(const stringc& fileName) const = 0;
    // True when the content, read from the file's current position, is of this kind.
    virtual bool isLoadableFileFormat(IReadableFile* file) const = 0;
    // A new decoder (the caller holds its creation reference), or none when it cannot decode.
    [[nodiscard]] virtual CSoundDecoder* createDecoder(IReadableFile* file, const CCreationContext& context) const = 0;
};

// RIFF WAVE files: names containing ".wav".
class CWavSoundLoader : public ISoundLoader {
public:
    bool isLoadableFileExtension(const stringc& fileName) const override;
    bool isLoadableFileFormat(IReadableFile* file) const override;
    [[nodiscard]] CSoundDecoder* createDecoder(IReadableFile* file, const CCreationContext& context) const override;
};

// Ogg Vorbis files: names containing ".ogg".
class COggVorbisSoundLoader : public ISoundLoader {
public:
    bool isLoadableFileExtension(const stringc& fileName) const override;
    bool isLoadableFileFormat(IReadableFile* file) const override;
    [[nodiscard]] CSoundDecoder* createDecoder(IReadableFile* file, const CCreationContext& context) const override;
};

// The process-wide list of sound loaders: WAV first, then Ogg Vorbis.
class CSoundLoaderRegistry : public virtual IReferenceCounted, public TSingleton<CSoundLoaderRegistry> {
public:
    CSoundLoaderRegistry();
    ~CSoundLoaderRegistry() override;

    // A decoder for the file (the caller holds its creation reference), or none. Loaders whose
    // extension test accepts the file's name are asked first; then every loader whose content
    // test accepts the file.
    [[nodiscard]] CSoundDecoder* load(IReadableFile* file, const CCreationContext& context) const;

    // Appends a loader (grabbed); later loaders are asked after the earlier ones.
    void addLoader(ISoundLoader* loader);
    u32 getLoaderCount() const { return m_loaders.size(); }
    ISoundLoader* getLoader(u32 index) const { return index < m_loaders.size() ? m_loaders[index] : nullptr; }

private:
    array<ISoundLoader*> m_loaders;
};

}  // namespace oskel
