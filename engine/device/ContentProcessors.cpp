#include "engine/device/ContentProcessors.h"

#include "engine/audio/CSoundPackProcessor.h"
#include "engine/audio/CSoundProcessor.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/CSceneNodeProcessor.h"
#include "engine/video/render2d/CAtlasTextureProcessor.h"
#include "engine/video/render2d/CFontProcessor.h"
#include "engine/image/CImageProcessor.h"
#include "engine/video/render2d/CParticleProcessors.h"
#include "engine/video/CTextureProcessor.h"

namespace oskel {

namespace {

void add(CContentProcessorsManager* manager, IContentProcessor* processor) {
    manager->registerProcessor(processor);
    processor->drop();  // the manager holds it now
}

}  // namespace

CContentProcessorsManager* createContentProcessors(IVideoDriver* videoDriver, IAudioDriver* audioDriver,
                                                   CFileSystem* fileSystem) {
    auto* manager = new CContentProcessorsManager();
    add(manager, new CTextureProcessor(videoDriver));
    add(manager, new CAtlasTextureProcessor(videoDriver));
    add(manager, new CAtlasTextureCollectionProcessor(fileSystem));
    add(manager, new CImageProcessor());
    add(manager, new CSceneNodeProcessor(fileSystem, &CNodeFactory::instance()));
    add(manager, new CFontProcessor(fileSystem, videoDriver));
    add(manager, new CParticleCollectionProcessor(fileSystem));
    add(manager, new CParticleEmitterProcessor(fileSystem));
    add(manager, new CSoundProcessor(audioDriver));
    add(manager, new CSoundPackProcessor(fileSystem, audioDriver));
    return manager;
}

}  // namespace oskel
