#pragma once

#include "engine/content/IContentProcessor.h"

namespace oskel {

// Particle collections ('prtc') from collection files; they are not written back.
class CParticleCollectionProcessor : public CContentProcessor {
public:
    explicit CParticleCollectionProcessor(CFileSystem* fileSystem)
        : CContentProcessor(TypeCodeParticleCollection, 0, fileSystem) {}

    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Logs that collections cannot be saved; false.
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
};

// A single emitter file ('pemt'), read into a base emitter (which emits nothing); not written
// back.
class CParticleEmitterProcessor : public CContentProcessor {
public:
    explicit CParticleEmitterProcessor(CFileSystem* fileSystem)
        : CContentProcessor(TypeCodeEmitter, 0, fileSystem) {}

    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Logs that collections cannot be saved; false.
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
};

}  // namespace oskel
