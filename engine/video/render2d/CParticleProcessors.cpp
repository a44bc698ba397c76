#include "engine/video/render2d/CParticleProcessors.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/BaseEmitter.h"
#include "engine/video/render2d/ParticleCollection.h"

namespace oskel {

namespace {

bool refuseSave(IWritableFile* file) {
    CLogger::instance().logHint("Particle collection can't be saved",
                                file ? file->getFileName().c_str() : "", LogWarning);
    return false;
}

}  // namespace

CResource* CParticleCollectionProcessor::load(IContentManager* manager, IReadableFile* file,
                                              const CCreationContext& context) {
    if (!manager) return nullptr;
    return readXmlFile(manager, file, "Loaded particle collection", [&context](CXmlReader* reader) {
        auto* collection = new ParticleCollection(context);
        collection->load(reader);
        return collection;
    });
}

bool CParticleCollectionProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    return refuseSave(file);
}

CResource* CParticleEmitterProcessor::load(IContentManager* manager, IReadableFile* file,
                                           const CCreationContext& context) {
    if (!manager) return nullptr;
    return readXmlFile(manager, file, "Loaded particle emitter", [&context](CXmlReader* reader) {
        auto* emitter = new BaseEmitter(context);
        emitter->readProperties(reader);
        return emitter;
    });
}

bool CParticleEmitterProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    return refuseSave(file);
}

}  // namespace oskel
