#pragma once

#include "engine/content/CResource.h"
#include "engine/core/CRefPtr.h"
#include "engine/video/CTextureResource.h"

namespace oskel {

// Texture coordinates of a region: fractions of the page texture's width and height.
struct SAtlasCoords {
    f32 left = 0.0f;
    f32 top = 0.0f;
    f32 right = 0.0f;
    f32 bottom = 0.0f;
};

// A named rectangle of a texture page ('atex', shared). Its content name splits into a base
// name, a frame number and an extension, so that numbered frame sequences (Coin0007.png) can be
// stepped through by name.
class CAtlasTexture : public CResource {
public:
    // Frame numbers longer than this many digits are not taken as frame numbers.
    static constexpr u32 MaxFrameDigits = 9;

    // Holds a reference to the page (which may be none) for its whole life.
    CAtlasTexture(const CCreationContext& context, CTextureResource* texture,
                  const SAtlasCoords& coords, const vector2df& before, const vector2df& after);
    ~CAtlasTexture() override = default;

    u32 getTypeCode() const override { return TypeCodeAtlasTexture; }

    CTextureResource* getTextureResource() const { return m_texture.get(); }
    // The page's driver texture, or none (no page, or the driver is being replaced).
    ITexture* getTexture() const { return m_texture ? m_texture->getTexture() : nullptr; }
    const SAtlasCoords& getTextureCoords() const { return m_coords; }
    const vector2df& getBefore() const { return m_before; }
    const vector2df& getAfter() const { return m_after; }

    // The content name without frame number and extension.
    const stringc& getBaseName() const { return m_baseName; }
    // The extension with its leading '.', or empty.
    const stringc& getExtension() const { return m_extension; }
    // The number that ends the name before the extension; -1 without one.
    s32 getFrameIndex() const { return m_frameIndex; }

    // The name of frame n of this texture's sequence: base name, n in four digits, extension.
    stringc makeFrameName(s32 frame) const;

    // Splits a content name as the constructor does.
    static void splitName(const stringc& name, stringc& baseName, stringc& extension,
                          s32& frameIndex);

private:
    CRefPtr<CTextureResource> m_texture;
    SAtlasCoords m_coords;
    vector2df m_before;
    vector2df m_after;
    stringc m_baseName;
    stringc m_extension;
    s32 m_frameIndex = -1;
};

// Reads up to count numbers from the text into out (missing ones are 0). Every character that
// is neither a digit nor '-' separates numbers; each number is [-]digits[.digits][(e|E)digits].
// Returns the number of numbers read.
u32 scanAtlasNumbers(const wchar_t* text, f32* out, u32 count);

// The form under which atlas regions are registered and found: a relative name written with '/'
// and with its "." and ".." components resolved, as a relative lookup from a file resolves it;
// an absolute name as it stands.
stringc normalizeAtlasName(const stringc& name);

}  // namespace oskel
