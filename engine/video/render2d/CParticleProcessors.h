#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"
#include "engine/io/CFileSystem.h"

namespace oskel {

// Particle collections ('prtc') from collection files; they are not written back.
class CParticleCollectionProcessor : public IContentProcessor {
public:
    explicit CParticleCollectionProcessor(CFileSystem* fileSystem);

    u32 getTypeCode() const override { return TypeCodeParticleCollection; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    // Logs that collections cannot be saved; false.
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    void onContentEvent(CEvent*, ContentNameMap&) override {}

private:
    CRefPtr<CFileSystem> m_fileSystem;
};

// A single emitter file ('pemt'), read into a base emitter (which emits nothing); not written
// back.
class CParticleEmitterProcessor : public IContentProcessor {
public:
    explicit CParticleEmitterProcessor(CFileSystem* fileSystem);

    u32 getTypeCode() const override { return TypeCodeEmitter; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
              void* parameter) override;
    void onContentEvent(CEvent*, ContentNameMap&) override {}

private:
    CRefPtr<CFileSystem> m_fileSystem;
};

}  // namespace oskel
