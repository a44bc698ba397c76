#pragma once

#include "engine/content/CResource.h"
#include "engine/core/CRefPtr.h"
#include "engine/video/ITexture.h"

namespace oskel {

// The engine's texture: a shared resource ('itex') that holds the driver texture made from an
// image file, so that nodes, fonts and atlases share one texture and the texture can be made
// again from the file for a new video driver. Material layers point to it.
class CTextureResource : public CResource {
public:
    // Holds a reference to the texture (which may be none).
    CTextureResource(const CCreationContext& context, ITexture* texture, const stringc& fileName);
    ~CTextureResource() override = default;

    u32 getTypeCode() const override { return TypeCodeTexture; }

    ITexture* getTexture() const { return m_texture.get(); }
    // Drops the old texture and holds the new one (none leaves the resource without).
    void setTexture(ITexture* texture) { m_texture.assign(texture); }
    // The image file the texture was made from.
    const stringc& getFileName() const { return m_fileName; }

private:
    CRefPtr<ITexture> m_texture;
    stringc m_fileName;
};

}  // namespace oskel
