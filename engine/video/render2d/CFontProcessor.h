#pragma once

#include "engine/video/CVideoContentProcessor.h"

namespace oskel {

// Fonts ('font') from font files: the first "Font" element of type "Bitmap" makes a bitmap
// font, which reads the rest of the file. Fonts are not written back. It keeps its video driver
// current with the device's driver events.
class CFontProcessor : public CVideoContentProcessor {
public:
    CFontProcessor(CFileSystem* fileSystem, IVideoDriver* driver);
};

}  // namespace oskel
