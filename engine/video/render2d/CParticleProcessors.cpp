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

// Reads an XML file into a new resource between pushPath and popPath, and logs the message.
template <class R>
CResource* readXmlContent(CFileSystem* fileSystem, IContentManager* manager, IReadableFile* file,
                          const CCreationContext& context, const char* message,
                          void (*read)(R*, CXmlReader*)) {
    if (!manager || !file || !fileSystem) return nullptr;
    CXmlReader* reader = fileSystem->createXmlReader(file);
    if (!reader) return nullptr;
    R* resource = new R(context);
    manager->pushPath(file->getFileName());
    read(resource, reader);
    manager->popPath();
    reader->drop();
    CLogger::instance().logHint(message, file->getFileName().c_str(), LogInformation);
    return resource;
}

}  // namespace

CParticleCollectionProcessor::CParticleCollectionProcessor(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

CResource* CParticleCollectionProcessor::load(IContentManager* manager, IReadableFile* file,
                                              const CCreationContext& context) {
    return readXmlContent<ParticleCollection>(
        m_fileSystem.get(), manager, file, context, "Loaded particle collection",
        [](ParticleCollection* collection, CXmlReader* reader) { collection->load(reader); });
}

bool CParticleCollectionProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    return refuseSave(file);
}

CParticleEmitterProcessor::CParticleEmitterProcessor(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

CResource* CParticleEmitterProcessor::load(IContentManager* manager, IReadableFile* file,
                                           const CCreationContext& context) {
    return readXmlContent<BaseEmitter>(
        m_fileSystem.get(), manager, file, context, "Loaded particle emitter",
        [](BaseEmitter* emitter, CXmlReader* reader) { emitter->readProperties(reader); });
}

bool CParticleEmitterProcessor::save(IContentManager*, CResource*, IWritableFile* file, void*) {
    return refuseSave(file);
}

}  // namespace oskel
