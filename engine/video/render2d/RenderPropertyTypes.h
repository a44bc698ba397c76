#pragma once

// The property values that hold drawing resources: atlas textures and fonts. They are not built
// into the property type registry: whoever composes the engine's services registers them.

#include <vector>

#include "engine/content/CResource.h"
#include "engine/properties/CPropertyData.h"

namespace oskel {

class CAtlasTexture;
class CFont;
class CPropertyTypeRegistry;

// "atlasTexture": an atlas texture ('atex'). An empty text is ignored: the value keeps its
// texture. Between two frames of one numbered sequence (base name, four-digit frame number,
// extension) interpolation steps through the frames in between, which prepareInterpolation
// caches.
class CPropertyDataAtlasTexture : public CPropertyDataResource {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeAtlasTexture)
public:
    // Frame numbers of a sequence run from 0 to this.
    static constexpr s32 MaxFrameIndex = 9999;

    explicit CPropertyDataAtlasTexture(IContentManager* contentManager = nullptr);
    // Holds the texture (grabbed); the content manager is the texture's.
    explicit CPropertyDataAtlasTexture(CResource* texture);
    ~CPropertyDataAtlasTexture() override;

    u32 getResourceTypeCode() const override;
    // The held atlas texture, or none.
    CAtlasTexture* getAtlasTexture() const;

    CRefPtr<IPropertyData> clone() const override;
    void setValueString(const c8* text) override;
    // The target's texture for t >= 1; below, between two frames of one sequence, the frame
    // (b - a) x t steps from this one (from the frame cache, else looked up by name); otherwise
    // this value's own.
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;
    // Caches the frames from this value's frame to the target's, both included (entries may be
    // none). Frame numbers beyond MaxFrameIndex cache nothing.
    void prepareInterpolation(const IPropertyData* target) override;

    u32 getFrameCacheSize() const { return static_cast<u32>(m_frames.size()); }
    CResource* getCachedFrame(u32 index) const { return index < m_frames.size() ? m_frames[index].get() : nullptr; }

private:
    std::vector<CRefPtr<CResource>> m_frames;
};

// "font": a font ('font').
class CPropertyDataFont : public TPropertyDataWholeResource<CPropertyDataFont, TypeCodeFont> {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeFont)
public:
    using TPropertyDataWholeResource::TPropertyDataWholeResource;
    // The held font, or none.
    CFont* getFont() const;
};

// A new "atlasTexture" value holding the texture; its content manager is the texture's.
CRefPtr<IPropertyData> makeAtlasTextureProperty(CResource* texture);

// Registers "atlasTexture" and "font" (types already registered keep their factories).
void registerRenderPropertyTypes(CPropertyTypeRegistry& registry);

}  // namespace oskel
