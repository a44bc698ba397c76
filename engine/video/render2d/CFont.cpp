#include "engine/video/render2d/CFont.h"

#include <algorithm>

#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"

namespace oskel {

CFont::CFont(const CCreationContext& context) : CResource(context) { setSharingFlags(ERF_SHARED); }

CFont::~CFont() { clearTables(); }

void CFont::clearTables() {
    for (u32 i = 0; i < m_pages.size(); ++i)
        if (m_pages[i]) m_pages[i]->drop();
    m_pages.clear();
    m_glyphs.clear();
    m_characters.clear();
}

void CFont::saveProperties(CPropertySet* set) const {
    if (!set) return;
    if (GlobalKerning.X != 0.0f || GlobalKerning.Y != 0.0f) set->addVector2d("GlobalKerning", GlobalKerning);
    if (OriginalSize != DefaultOriginalSize) set->addFloat("OriginalSize", OriginalSize);
}

void CFont::loadProperties(const CPropertySet* set) {
    if (!set) return;
    if (set->getPropertyIndex("GlobalKerning") >= 0)
        GlobalKerning = unboxPropertyVector2d(set->getProperty("GlobalKerning").get());
    if (set->getPropertyIndex("OriginalSize") >= 0)
        OriginalSize = unboxPropertyFloat(set->getProperty("OriginalSize").get());
}

s32 CFont::getGlyphIndex(u32 character) const {
    auto found = m_characters.find(character);
    return found != m_characters.end() ? found->second : m_defaultGlyph;
}

s32 CFont::getKerning(u32 first, u32 second) const {
    auto found = m_kerning.find(std::make_pair(first, second));
    return found != m_kerning.end() ? found->second : 0;
}

void CFont::getGlyphRect(vector2df& out, u32 character, bool sizeOnly) const {
    const SFontGlyph* glyph = getGlyph(getGlyphIndex(character));
    if (!glyph) {
        out.set(0.0f, 0.0f);
        return;
    }
    out.set(glyph->width, glyph->height);
    if (!sizeOnly) out.X = glyph->width + (glyph->after.X + glyph->before.X + GlobalKerning.X);
}

void CFont::getTextDimension(vector2df& out, const wchar_t* text, const vector2df& extraSpacing) const {
    out.set(0.0f, 0.0f);
    if (m_glyphs.empty()) return;  // nothing to measure with
    const f32 hx = GlobalKerning.X + extraSpacing.X;
    const f32 vy = GlobalKerning.Y + extraSpacing.Y;
    f32 width = 0.0f;
    f32 height = m_lineHeight;
    f32 lineWidth = 0.0f;
    u32 glyphCount = 0;
    for (const wchar_t* p = text ? text : L""; *p; ++p) {
        const u32 c = static_cast<u32>(*p);
        if (c == 13 || c == 10) {
            if (c == 13 && p[1] == 10) ++p;  // CR LF is one line end
            height += vy + m_lineHeight;
            if (glyphCount != 0) lineWidth -= hx;
            width = std::max(width, lineWidth);
            lineWidth = 0.0f;
            glyphCount = 0;
            continue;
        }
        const SFontGlyph* glyph = getGlyph(getGlyphIndex(c));
        if (!glyph) continue;
        lineWidth += glyph->before.X + glyph->width + glyph->after.X + hx;
        if (p[1]) lineWidth += static_cast<f32>(getKerning(c, static_cast<u32>(p[1])));
        ++glyphCount;
    }
    if (glyphCount != 0) lineWidth -= hx;
    width = std::max(width, lineWidth);
    out.set(width, height);
}

void CBitmapFont::loadGlyphs(CXmlReader* reader, u32) {
    clearTables();
    m_kerning.clear();
    if (!reader) return;
    IContentManager* manager = getContentManager();
    while (reader->read()) {
        if (reader->getNodeType() != XmlNodeElement) continue;
        const stringw& name = reader->getNodeName();
        if (name == L"Properties") {
            CRefPtr<CPropertySet> set = makeRef<CPropertySet>(manager);
            set->readXml(reader, true, L"Properties");
            loadProperties(set.get());
        } else if (name == L"Texture") {
            const stringc file = narrowLowBytes(reader->getAttributeValue(L"Filename").c_str());
            CResource* content = manager && !file.empty()
                                     ? manager->getContentByPath(TypeCodeAtlasTexture, file, true)
                                     : nullptr;
            CAtlasTexture* page = dynamic_cast<CAtlasTexture*>(content);
            if (content && !page) content->drop();
            m_pages.push_back(page);  // kept even when empty
        } else if (name == L"c") {
            SFontGlyph glyph;
            f32 numbers[4];
            scanAtlasNumbers(reader->getAttributeValue(L"r").c_str(), numbers, 4);
            glyph.x0 = numbers[0];
            glyph.y0 = numbers[1];
            glyph.x1 = numbers[2];
            glyph.y1 = numbers[3];
            scanAtlasNumbers(reader->getAttributeValue(L"b").c_str(), numbers, 2);
            glyph.before.set(numbers[0], numbers[1]);
            scanAtlasNumbers(reader->getAttributeValue(L"a").c_str(), numbers, 2);
            glyph.after.set(numbers[0], numbers[1]);
            const f32 page = reader->getAttributeValueAsFloat(L"i", 0.0f);
            glyph.page = page > -2147483520.0f && page < 2147483520.0f ? static_cast<s32>(page) : -1;
            glyph.width = glyph.x1 - glyph.x0;
            glyph.height = glyph.y1 - glyph.y0;
            const stringw& character = reader->getAttributeValue(L"c");
            const u32 code = character.empty() ? 0u : static_cast<u32>(character[0]);
            m_characters.emplace(code, static_cast<s32>(m_glyphs.size()));
            m_glyphs.push_back(glyph);
        } else if (name == L"k") {
            const stringw& pair = reader->getAttributeValue(L"c");
            if (pair.size() != 2) continue;
            m_kerning[std::make_pair(static_cast<u32>(pair[0]), static_cast<u32>(pair[1]))] =
                reader->getAttributeValueAsInt(L"k", 0);
        }
    }
    auto space = m_characters.find(32);
    m_defaultGlyph = space != m_characters.end() ? space->second : 0;
    m_lineHeight = 0.0f;
    for (u32 i = 0; i < m_glyphs.size(); ++i)
        m_lineHeight = std::max(m_lineHeight, m_glyphs[i].height + m_glyphs[i].before.Y + m_glyphs[i].after.Y);
}

}  // namespace oskel
