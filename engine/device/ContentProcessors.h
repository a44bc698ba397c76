#pragma once

#include "engine/content/IContentProcessor.h"

namespace oskel {

class IVideoDriver;
class IAudioDriver;
class CFileSystem;

// The content processors manager with the processors of every content kind, registered in this
// order: textures, atlas textures, atlas collections, images, scene nodes, fonts, particle
// collections, particle emitters, sounds, sound packs. Each processor keeps the services it
// works with.
[[nodiscard]] CContentProcessorsManager* createContentProcessors(IVideoDriver* videoDriver,
                                                   IAudioDriver* audioDriver,
                                                   CFileSystem* fileSystem);

}  // namespace oskel
