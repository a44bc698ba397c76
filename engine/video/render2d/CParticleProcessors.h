#pragma once

#include "engine/content/IContentProcessor.h"

namespace oskel {

// The particle files: neither is written back; saving logs that it cannot be done and answers
// false.
class CParticleFileProcessor : public CContentProcessor {
public:
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file, void* parameter) override;

protected:
    using CContentProcessor::CContentProcessor;
};

// Particle collections ('prtc') from collection files.
class CParticleCollectionProcessor : public CParticleFileProcessor {
public:
    explicit CParticleCollectionProcessor(CFileSystem* fileSystem);
};

// A single emitter file ('pemt'), read into a base emitter (which emits nothing).
class CParticleEmitterProcessor : public CParticleFileProcessor {
public:
    explicit CParticleEmitterProcessor(CFileSystem* fileSystem);
};

}  // namespace oskel
