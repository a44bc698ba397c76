#include "engine/nodes/NodeResources.h"

#include "engine/properties/CPropertySet.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/render2d/CFont.h"
#include "engine/video/render2d/RenderPropertyTypes.h"

namespace oskel {

CAtlasTexture* unboxAtlasTexture(const IPropertyData* value) {
    const auto* typed = dynamic_cast<const CPropertyDataAtlasTexture*>(value);
    return typed && typed->getTypeId() == PropertyTypeAtlasTexture ? typed->getAtlasTexture()
                                                                   : nullptr;
}

CFont* unboxFont(const IPropertyData* value) {
    const auto* typed = dynamic_cast<const CPropertyDataFont*>(value);
    return typed && typed->getTypeId() == PropertyTypeFont ? typed->getFont() : nullptr;
}

CRefPtr<IPropertyData> boxAtlasTexture(CAtlasTexture* texture) {
    return makeAtlasTextureProperty(static_cast<CResource*>(texture));
}

CRefPtr<IPropertyData> boxFont(CFont* font) {
    return makeRef<CPropertyDataFont>(static_cast<CResource*>(font));
}

SMaterial makeNodeMaterial(u8 wrap, bool bilinear, bool trilinear, u8 anisotropic) {
    SMaterial material;
    material.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    material.LayerCount = 1;
    material.TextureLayer[0].TextureWrap = wrap;
    material.TextureLayer[0].BilinearFilter = bilinear;
    material.TextureLayer[0].TrilinearFilter = trilinear;
    material.TextureLayer[0].AnisotropicFilter = anisotropic;
    material.GouraudShading = false;
    material.Lighting = false;
    material.ZWriteEnable = false;
    material.ZBuffer = ECFN_NEVER;
    return material;
}

bool hasNodeProperty(const CPropertySet* set, const char* name) {
    return set && set->getPropertyIndex(name) >= 0;
}

}  // namespace oskel
