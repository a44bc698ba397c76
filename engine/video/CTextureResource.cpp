#include "engine/video/CTextureResource.h"

namespace oskel {

CTextureResource::CTextureResource(const CCreationContext& context, ITexture* texture,
                                   const stringc& fileName)
    : CResource(context), m_texture(texture), m_fileName(fileName) {
    setSharingFlags(ERF_SHARED);
}

}  // namespace oskel
