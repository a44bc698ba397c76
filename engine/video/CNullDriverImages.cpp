// The null driver's operations that make images.

#include <cstring>

#include "engine/io/IReadableFile.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/video/CNullDriver.h"

namespace oskel {

ITexture* CNullDriver::createTexture(const dimension2di& size, ECOLOR_FORMAT format) {
    auto* image = new CImage(CCreationContext(), format, size);
    // A blank texture starts transparent black, never with what the memory held before.
    if (void* pixels = image->lock()) std::memset(pixels, 0, image->getImageDataSizeInBytes());
    ITexture* texture = createTextureFromImage(image);
    image->drop();
    return texture;
}

CImage* CNullDriver::createImageFromData(ECOLOR_FORMAT format, const dimension2di& size,
                                         void* data, bool useForeignMemory, bool deleteMemory) {
    if (!data) return nullptr;
    return new CImage(CCreationContext(), format, size, data, useForeignMemory, deleteMemory);
}

ITexture* CNullDriver::createTextureFromFile(const c8* fileName) {
    if (!fileName) return nullptr;
    IReadableFile* file = createAndOpenFile(fileName);
    if (!file) return nullptr;
    CImage* image = getImageManager().loadImage(file, CCreationContext());
    if (!image) {
        file->drop();
        return nullptr;
    }
    ITexture* texture = createDeviceDependentTexture(image);
    image->drop();
    file->drop();
    return texture;
}

}  // namespace oskel
