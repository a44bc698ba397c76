#pragma once

#include <map>
#include <utility>

#include "engine/content/CResource.h"
#include "engine/properties/IPropertyTableSource.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

class CXmlReader;

// One glyph of a bitmap font: its box on a page and the space around it, in pixels.
struct SFontGlyph {
    s32 page = 0;
    f32 x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    vector2df before;  // x: space before the box; y: from the top of the line to the box
    vector2df after;   // x: space after the box; y: space below the box within the line
    f32 width = 0.0f;
    f32 height = 0.0f;
};

// A font ('font', shared): glyphs on atlas pages, pair kerning and two global settings. Texts
// are wide strings of Unicode code points; text nodes lay them out with the public tables,
// scaling every metric by their own size / OriginalSize.
class CFont : public CResource, public IPropertyHolder {
public:
    static constexpr f32 DefaultOriginalSize = 14.0f;

    explicit CFont(const CCreationContext& context);
    ~CFont() override;

    u32 getTypeCode() const override { return TypeCodeFont; }

    // "GlobalKerning" (when not zero) and "OriginalSize" (when not 14).
    void saveProperties(CPropertySet* set) const override;
    // A present "GlobalKerning" or "OriginalSize" of another type sets zero.
    void loadProperties(const CPropertySet* set) override;

    // (width, height) of the character's glyph; without sizeOnly the width is the advance
    // without pair kerning. (0, 0) in a font without glyphs.
    virtual void getGlyphRect(vector2df& out, u32 character, bool sizeOnly) const;
    // The size of the text in unscaled font pixels; (0, 0) in a font without glyphs.
    virtual void getTextDimension(vector2df& out, const wchar_t* text,
                                  const vector2df& extraSpacing) const;
    // Reads the rest of a font file (the reader stands after the "Font" start element).
    virtual void loadGlyphs(CXmlReader* reader, u32 flags) = 0;

    // The glyph index of the character, else the default glyph (which a font without glyphs
    // does not have: check getGlyph).
    s32 getGlyphIndex(u32 character) const;
    // True when the font has a glyph of its own for the character (not the default glyph).
    bool hasGlyph(u32 character) const { return m_characters.count(character) != 0; }
    // The glyph at the index, or none.
    const SFontGlyph* getGlyph(s32 index) const {
        return index >= 0 && static_cast<u32>(index) < m_glyphs.size() ? &m_glyphs[index] : nullptr;
    }
    // The kerning of the pair in pixels, 0 without an entry.
    s32 getKerning(u32 first, u32 second) const;
    // The page at the index, or none (missing or unknown page).
    CAtlasTexture* getPage(s32 index) const {
        return index >= 0 && static_cast<u32>(index) < m_pages.size() ? m_pages[index] : nullptr;
    }

    u32 getGlyphCount() const { return m_glyphs.size(); }
    u32 getPageCount() const { return m_pages.size(); }
    f32 getLineHeight() const { return m_lineHeight; }
    s32 getDefaultGlyph() const { return m_defaultGlyph; }

    vector2df GlobalKerning{0.0f, 0.0f};
    f32 OriginalSize = DefaultOriginalSize;

protected:
    void clearTables();

    f32 m_lineHeight = 0.0f;
    array<CAtlasTexture*> m_pages;  // entries may be none
    array<SFontGlyph> m_glyphs;
    std::map<u32, s32> m_characters;
    std::map<std::pair<u32, u32>, s32> m_kerning;
    s32 m_defaultGlyph = 0;
};

// The font read from a ".ofnt" file.
class CBitmapFont : public CFont {
public:
    explicit CBitmapFont(const CCreationContext& context) : CFont(context) {}

    void loadGlyphs(CXmlReader* reader, u32 flags) override;
};

}  // namespace oskel
