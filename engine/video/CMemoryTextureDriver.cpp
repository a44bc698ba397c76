#include "engine/video/CMemoryTextureDriver.h"

#include "engine/core/CLogger.h"

namespace oskel {

CMemoryTexture::CMemoryTexture(CImage* image, u32 creationFlags, bool anySize, bool mipMaps) {
    switch (prepareImage(image, creationFlags, anySize, mipMaps)) {
        case PrepareNoImage:
            CLogger::instance().log("No image for memory texture.", LogError);
            return;
        case PrepareEmptyImage:
            CLogger::instance().log("Invalid size of image for memory texture.", LogError);
            return;
        case PrepareOk:
            break;
    }
    uploadImage(true);
}

void CMemoryTexture::uploadImage(bool) { ++m_uploadCount; }

CMemoryTextureDriver::CMemoryTextureDriver(const SDeviceParameters& parameters,
                                           CFileSystem* fileSystem, CTimer* timer)
    : CNullDriver(parameters, fileSystem, timer) {}

bool CMemoryTextureDriver::queryFeature(EVideoDriverFeature feature) const {
    if (feature != EVDF_TEXTURE_NPOT) return false;
    return m_featureEnabled[feature];
}

ITexture* CMemoryTextureDriver::createDeviceDependentTexture(CImage* image) {
    if (!image) return nullptr;
    auto* texture = new CMemoryTexture(image, m_textureCreationFlags,
                                       queryFeature(EVDF_TEXTURE_NPOT),
                                       getTextureCreationFlag(ETCF_CREATE_MIP_MAPS));
    if (!texture->isValid()) {
        texture->drop();
        return nullptr;
    }
    return texture;
}

IVideoDriver* createMemoryTextureDriver(const SDeviceParameters& parameters,
                                        CFileSystem* fileSystem, CTimer* timer) {
    auto* driver = new CMemoryTextureDriver(parameters, fileSystem, timer);
    driver->registerBuiltInRenderers();
    return driver;
}

}  // namespace oskel
