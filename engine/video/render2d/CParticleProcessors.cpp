#include "engine/video/render2d/CParticleProcessors.h"

#include "engine/core/CLogger.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/BaseEmitter.h"
#include "engine/video/render2d/ParticleCollection.h"

namespace oskel {

bool CParticleFileProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    CLogger::instance().logHint("Particle collection can't be saved",
                                file ? file->getFileName().c_str() : "", LogWarning);
    return false;
}

CParticleCollectionProcessor::CParticleCollectionProcessor(CFileSystem* fileSystem)
    : CParticleFileProcessor(TypeCodeParticleCollection, fileSystem, "Loaded particle collection",
                             [](CXmlReader* reader, const CCreationContext& context) {
                                 auto* collection = new ParticleCollection(context);
                                 collection->load(reader);
                                 return collection;
                             }) {}

CParticleEmitterProcessor::CParticleEmitterProcessor(CFileSystem* fileSystem)
    : CParticleFileProcessor(TypeCodeEmitter, fileSystem, "Loaded particle emitter",
                             [](CXmlReader* reader, const CCreationContext& context) {
                                 auto* emitter = new BaseEmitter(context);
                                 emitter->readProperties(reader);
                                 return emitter;
                             }) {}

}  // namespace oskel
