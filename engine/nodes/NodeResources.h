#pragma once

// What the drawing nodes share: the boxing of their resource-valued properties and the material
// they draw with.

#include "engine/properties/PropertyTableBuilder.h"
#include "engine/video/SMaterial.h"

namespace oskel {

class CAtlasTexture;
class CFont;

// The atlas texture an "atlasTexture" value holds; none for none or a value of another type.
CAtlasTexture* unboxAtlasTexture(const IPropertyData* value);
// The font a "font" value holds; none for none or a value of another type.
CFont* unboxFont(const IPropertyData* value);
// New values holding the resource (which may be none).
CRefPtr<IPropertyData> boxAtlasTexture(CAtlasTexture* texture);
CRefPtr<IPropertyData> boxFont(CFont* font);

// Property table boxes of the two resource kinds.
struct CAtlasTextureBox {
    static CAtlasTexture* unbox(const IPropertyData* value) { return unboxAtlasTexture(value); }
    static CRefPtr<IPropertyData> box(CAtlasTexture* texture) { return boxAtlasTexture(texture); }
};
struct CFontBox {
    static CFont* unbox(const IPropertyData* value) { return unboxFont(value); }
    static CRefPtr<IPropertyData> box(CFont* font) { return boxFont(font); }
};

// Any value's wide text (an empty text for none), written as a "stringw" value.
struct CWideTextBox {
    static stringw unbox(const IPropertyData* value) { return getPropertyTextW(value); }
    static CRefPtr<IPropertyData> box(const stringw& text) { return makePropertyDataStringW(text); }
};

// The material of the 2D nodes: one texture layer blended by its alpha and the vertex alpha
// (type EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA), no lighting, no Gouraud shading, no depth
// test and no depth writes. The layer's wrap mode and filters are the caller's.
SMaterial makeNodeMaterial(u8 wrap, bool bilinear, bool trilinear, u8 anisotropic);

// True when a value of the set is stored under the name.
bool hasNodeProperty(const CPropertySet* set, const char* name);

}  // namespace oskel
