#pragma once

#include "engine/video/CImageTexture.h"
#include "engine/video/CNullDriver.h"

namespace oskel {

// A texture that lives only in main memory: its pixels are its kept image. It counts the
// uploads a card texture would make.
class CMemoryTexture : public CImageTexture {
public:
    // Check isValid(): a missing or empty image gives a texture without pixels.
    CMemoryTexture(CImage* image, u32 creationFlags, bool anySize, bool mipMaps);

    s32 getDriverType() const override { return DriverNull; }
    bool isValid() const { return m_image != nullptr; }
    // Uploads made so far, the first one at creation included.
    u32 getUploadCount() const { return m_uploadCount; }

protected:
    void uploadImage(bool newTexture) override;

private:
    u32 m_uploadCount = 0;
};

// The null driver with textures in main memory: it draws nothing but makes real textures, so
// what works on textures (atlases, fonts, hit tests, colour keys) runs without a graphics card.
// It supports textures of any size while feature EVDF_TEXTURE_NPOT is switched on (the
// default); switched off, textures take power-of-two sizes.
class CMemoryTextureDriver : public CNullDriver {
public:
    CMemoryTextureDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                         CTimer* timer = nullptr);

    bool queryFeature(EVideoDriverFeature feature) const override;
    [[nodiscard]] ITexture* createDeviceDependentTexture(CImage* image) override;
    const wchar_t* getName() const override { return L"Oskel memory texture driver"; }
};

// A new memory texture driver with the null driver's built-in material renderers, holding one
// reference.
[[nodiscard]] IVideoDriver* createMemoryTextureDriver(const SDeviceParameters& parameters,
                                        CFileSystem* fileSystem, CTimer* timer = nullptr);

}  // namespace oskel
