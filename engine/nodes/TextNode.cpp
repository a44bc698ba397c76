#include "engine/nodes/TextNode.h"

#include <algorithm>
#include <cmath>

#include "engine/io/CTextDictionary.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/ITexture.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CFont.h"

namespace oskel {

namespace {

constexpr wchar_t CharCarriageReturn = 13;
constexpr wchar_t CharLineFeed = 10;
constexpr wchar_t CharSpace = 32;
constexpr wchar_t CharTab = 9;
// Text quads are drawn with clip planes 0 to 3.
constexpr u32 ClipPlaneCount = 4;

bool isTrimmed(wchar_t c) {
    return c == CharSpace || c == CharTab || c == CharLineFeed || c == CharCarriageReturn;
}

f32 roundToPixel(f32 value) { return std::floor(value + 0.5f); }

stringw sliceOf(const stringw& text, s32 begin, s32 length) {
    if (length <= 0) return stringw();
    return text.subString(static_cast<u32>(begin), length);
}

}  // namespace

TextNode::TextNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager),
      m_material(makeNodeMaterial(ETW_CLAMP_TO_BORDER, true, true, 255)) {
    m_lines.emplace_back();
    // A text takes no pointer event itself, but passes them on to the controls it holds (a
    // caption's button); without the mouse category its whole subtree would never see one.
    addCategory(CategoryMouse);
}

TextNode::~TextNode() { freeGlyphMaterials(); }

const CPropertyTable& TextNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<TextNode>(t)
            .field<&TextNode::m_kerning, &TextNode::setKerning>("Kerning")
            .field<&TextNode::m_fontSize, &TextNode::setFontSize>("FontSize")
            .field<&TextNode::m_hAlign, &TextNode::setTextHAlign>("TextHAlign")
            .field<&TextNode::m_vAlign, &TextNode::setTextVAlign>("TextVAlign")
            .field<&TextNode::m_wordWrap, &TextNode::setWordWrap>("WordWrap")
            .field<&TextNode::m_text, &TextNode::setText, CWideTextBox>("Text")
            .accessors<&TextNode::getFont, &TextNode::setFont, CFontBox>("Font");
        return t;
    }();
    return table;
}

BaseNode* TextNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<TextNode>(this, parent, manager);
}

const stringw& TextNode::getClassName() const {
    static const stringw name(L"TextNode");
    return name;
}

const stringw& TextNode::getThisClassName() const {
    static const stringw name(L"TextNode");
    return name;
}

// ---- Settings ----

void TextNode::setText(const stringw& text) {
    if (text == m_text) return;
    m_text = text;
    layoutText();
}

void TextNode::setFontSize(f32 size) {
    m_fontSize = size;
    layoutText();
}

void TextNode::setWordWrap(bool wrap) {
    m_wordWrap = wrap;
    layoutText();
}

void TextNode::setFont(CFont* font) {
    if (font == m_font.get()) return;
    m_font.assign(font);
    buildGlyphQuads();
}

void TextNode::setTextHAlign(s32 align) {
    m_hAlign = align;
    buildGlyphQuads();
}

void TextNode::setTextVAlign(s32 align) {
    m_vAlign = align;
    buildGlyphQuads();
}

void TextNode::setKerning(const vector2df& kerning) {
    m_kerning = kerning;
    buildGlyphQuads();
}

void TextNode::setTranslated(bool translated) {
    if (translated == m_translated) return;
    m_translated = translated;
    layoutText();
}

const stringw& TextNode::getLine(u32 line) const {
    static const stringw empty;
    return line < m_lines.size() ? m_lines[line].text : empty;
}

// ---- Measures ----

f32 TextNode::getScale() const {
    if (!m_font) return 1.0f;
    // A font made for no size (0 or less) is drawn as it is.
    return m_font->OriginalSize > 0.0f ? m_fontSize / m_font->OriginalSize : 1.0f;
}

f32 TextNode::getLineHeight() const { return m_font ? getScale() * m_font->getLineHeight() : 0.0f; }

f32 TextNode::getLineStep() const {
    if (!m_font) return m_kerning.Y;
    return getLineHeight() + getScale() * (m_font->GlobalKerning.Y + m_kerning.Y);
}

f32 TextNode::getTextHeight() const { return static_cast<f32>(m_lines.size()) * getLineStep(); }

f32 TextNode::wrapAdvance(u32 character) const {
    vector2df size;
    m_font->getGlyphRect(size, character, false);
    return size.X;
}

f32 TextNode::lineWidth(const stringw& text) const {
    if (!m_font) return 0.0f;
    vector2df size;
    m_font->getTextDimension(size, text.c_str(), m_kerning);
    return getScale() * size.X;
}

f32 TextNode::getLineTop(s32 line) const {
    const s32 count = static_cast<s32>(m_lines.size());
    const f32 step = getLineStep();
    f32 top = 0.0f;
    if (m_vAlign == VAlignCenter || m_vAlign == VAlignBottom) {
        const f32 height =
            count >= 2 ? getLineHeight() + static_cast<f32>(count - 1) * step : getLineHeight();
        top = m_vAlign == VAlignCenter ? (getBounds().Y - height) * 0.5f : getBounds().Y - height;
    }
    if (line >= 0 && line < count) return roundToPixel(top + static_cast<f32>(line) * step);
    return roundToPixel(top);
}

f32 TextNode::getLineLeft(s32 line) const {
    f32 left = 0.0f;
    if ((m_hAlign == HAlignCenter || m_hAlign == HAlignRight) && m_font && line >= 0 &&
        line < static_cast<s32>(m_lines.size())) {
        const f32 width = lineWidth(m_lines[static_cast<u32>(line)].text);
        left = m_hAlign == HAlignCenter ? (getBounds().X - width) * 0.5f : getBounds().X - width;
    }
    return roundToPixel(left);
}

// ---- Layout ----

CTextDictionary* TextNode::findDictionary() const {
    SceneManager* manager = getSceneManager();
    ISceneHost* host = manager ? manager->getHost() : nullptr;
    return host ? host->getTextDictionary() : nullptr;
}

void TextNode::layoutText() {
    m_lines.clear();
    m_lines.emplace_back();
    CTextDictionary* dictionary = m_translated ? findDictionary() : nullptr;
    m_displayText = dictionary ? dictionary->translate(m_text) : m_text;

    const bool wrap = m_wordWrap && m_font;
    const f32 scale = getScale();
    const f32 width = getBounds().X;
    const s32 length = static_cast<s32>(m_displayText.size());
    f32 x = 0.0f;
    // The line index of the last character before the latest space (0: no break point) and the
    // display position of that space.
    s32 breakIndex = 0;
    s32 breakSource = 0;
    auto startLine = [&](s32 start) {
        SLine line;
        line.rawStart = start;
        line.shownStart = start;
        m_lines.push_back(line);
        x = 0.0f;
        breakIndex = 0;
    };

    for (s32 p = 0; p < length; ++p) {
        const wchar_t c = m_displayText[static_cast<u32>(p)];
        bool lineBreak = false;
        if (c == CharCarriageReturn) {
            lineBreak = true;
            if (p + 1 < length && m_displayText[static_cast<u32>(p + 1)] == CharLineFeed) ++p;
        } else if (c == CharLineFeed) {
            lineBreak = true;
        }
        if (lineBreak) {
            // A line break takes no room on its line: it ends the line however wide it is.
            m_lines.back().hardBreak = true;
            startLine(p + 1);
            continue;
        }
        if (wrap) {
            x += (m_kerning.X + wrapAdvance(static_cast<u32>(c))) * scale;
            if (x > width && breakIndex != 0) {
                // Back to the latest space: it and what follows it leave the line; the text after
                // the space is measured again on a new line.
                SLine& line = m_lines.back();
                line.text = sliceOf(line.text, 0, breakIndex + 1);
                line.rawLength = breakIndex + 1;
                p = breakSource;
                startLine(p + 1);
                continue;
            }
        }
        SLine& line = m_lines.back();
        if (wrap && c == CharSpace) {
            breakIndex = static_cast<s32>(line.text.size()) - 1;
            breakSource = p;
        }
        line.text.append(c);
        ++line.rawLength;
    }

    if (m_hAlign == HAlignCenter || m_hAlign == HAlignJustify) {
        for (SLine& line : m_lines) {
            const s32 size = static_cast<s32>(line.text.size());
            s32 begin = 0;
            while (begin < size && isTrimmed(line.text[static_cast<u32>(begin)])) ++begin;
            s32 end = size;
            while (end > begin && isTrimmed(line.text[static_cast<u32>(end - 1)])) --end;
            line.text = sliceOf(line.text, begin, end - begin);
            line.shownStart = line.rawStart + begin;
        }
    }
    buildGlyphQuads();
}

void TextNode::freeGlyphMaterials() { m_materials.clear(); }

void TextNode::buildGlyphQuads() {
    freeGlyphMaterials();
    m_quads.clear();
    m_quadMaterials.clear();
    m_drawOrder.clear();
    for (SLine& line : m_lines) {
        line.firstQuad = 0;
        line.endPen = 0.0f;
        line.places.assign(line.text.size(), SCharPlace{-1, 0.0f});
    }
    if (!m_font) return;

    const f32 scale = getScale();
    const f32 step = getLineStep();
    const f32 advanceExtra = m_font->GlobalKerning.X + m_kerning.X;
    f32 y = getLineTop(0);
    for (u32 i = 0; i < m_lines.size(); ++i) {
        SLine& line = m_lines[i];
        f32 x = getLineLeft(static_cast<s32>(i));
        line.firstQuad = static_cast<s32>(m_quads.size());

        // Justification: the free width goes to the spaces of every line but the last and those
        // that end at a line break.
        std::vector<f32> extras;
        if (m_hAlign == HAlignJustify && i + 1 < m_lines.size() && !line.hardBreak) {
            u32 spaces = 0;
            for (u32 k = 0; k < line.text.size(); ++k)
                if (line.text[k] == CharSpace) ++spaces;
            if (spaces > 0) {
                const f32 free = getBounds().X - lineWidth(line.text);
                const f32 per = std::floor(free / static_cast<f32>(spaces) + 0.5f);
                f32 remaining = free;
                for (u32 s = 0; s < spaces; ++s) {
                    extras.push_back(per);
                    remaining -= per;
                    if (remaining <= 0.0f) {
                        extras.back() += remaining;
                        break;
                    }
                }
            }
        }
        u32 nextExtra = 0;

        const u32 count = line.text.size();
        for (u32 k = 0; k < count; ++k) {
            const u32 c = static_cast<u32>(line.text[k]);
            line.places[k].pen = x;
            const SFontGlyph* glyph = m_font->getGlyph(m_font->getGlyphIndex(c));
            CAtlasTexture* page = glyph ? m_font->getPage(glyph->page) : nullptr;
            ITexture* texture = page ? page->getTexture() : nullptr;
            // No glyph or no texture: no quad and no advance.
            if (!texture) continue;

            CTextureResource* resource = page->getTextureResource();
            u32 materialIndex = 0;
            while (materialIndex < m_materials.size() &&
                   m_materials[materialIndex]->TextureLayer[0].Texture != resource)
                ++materialIndex;
            if (materialIndex == m_materials.size()) {
                auto material = std::make_unique<SMaterial>(m_material);
                material->TextureLayer[0].Texture = resource;
                m_materials.push_back(std::move(material));
            }

            // The glyph's box is in page texels; a page that is a region of a larger texture
            // starts at the region's origin.
            const dimension2di& size = texture->getSize();
            const f32 w = size.Width > 0 ? static_cast<f32>(size.Width) : 1.0f;
            const f32 h = size.Height > 0 ? static_cast<f32>(size.Height) : 1.0f;
            const SAtlasCoords& region = page->getTextureCoords();
            const f32 originX = region.left * w;
            const f32 originY = region.top * h;
            const f32 uL = (originX + glyph->x0 - 0.5f) / w;
            const f32 vT = (originY + glyph->y0 - 0.5f) / h;
            const f32 uR = (originX + glyph->x1 + 0.5f) / w;
            const f32 vB = (originY + glyph->y1 + 0.5f) / h;

            x += scale * glyph->before.X;
            const f32 left = x;
            const f32 top = y + scale * glyph->before.Y;
            const f32 right = left + scale * glyph->width;
            const f32 bottom = top + scale * glyph->height;
            const s32 kern =
                k + 1 < count ? m_font->getKerning(c, static_cast<u32>(line.text[k + 1])) : 0;
            x += scale * (glyph->after.X + glyph->width + advanceExtra + static_cast<f32>(kern));
            if (c == CharSpace && m_hAlign == HAlignJustify && nextExtra < extras.size())
                x += extras[nextExtra++];

            SQuad quad;
            quad.Material = m_materials[materialIndex].get();
            const SColor white(0xffffffffu);
            quad.Corners[0] = S2DVertex(left - 0.5f, top - 0.5f, 0.0f, white, uL, vT);
            quad.Corners[1] = S2DVertex(right + 0.5f, top - 0.5f, 0.0f, white, uR, vT);
            quad.Corners[2] = S2DVertex(right + 0.5f, bottom + 0.5f, 0.0f, white, uR, vB);
            quad.Corners[3] = S2DVertex(left - 0.5f, bottom + 0.5f, 0.0f, white, uL, vB);
            line.places[k].quad = static_cast<s32>(m_quads.size());
            m_quads.push_back(quad);
            m_quadMaterials.push_back(materialIndex);
        }
        line.endPen = x;
        y += step;
    }

    // One batch per material: the quads of one texture together.
    m_drawOrder.resize(m_quads.size());
    for (u32 i = 0; i < m_drawOrder.size(); ++i) m_drawOrder[i] = i;
    std::stable_sort(m_drawOrder.begin(), m_drawOrder.end(),
                     [this](u32 a, u32 b) { return m_quadMaterials[a] < m_quadMaterials[b]; });
}

// ---- Drawing ----

void TextNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if (m_font && !m_text.empty() && (getAbsoluteColor() >> 24) != 0)
        list.push_back(SDrawItem{this, getDepth(), 0});
    for (BaseNode* child : getChildren()) child->render(list);
}

void TextNode::renderClipped(IVideoDriver* driver, const rectf* clip) {
    if (!driver) return;
    CQuadBatcher* batcher = driver->getQuadBatcher();
    if (batcher) batcher->flush();

    // Whole pixels, so that glyph texels land on screen pixels.
    matrix4 world = getAbsoluteTransform();
    world[12] = std::floor(world[12] + 0.5f);
    world[13] = std::floor(world[13] + 0.5f);
    world[14] = 0.0f;
    driver->setTransform(ETS_WORLD, world);

    if (clip) {
        // A transform without an inverse (a scale of 0) maps the rectangle to the origin.
        matrix4 inverse;
        if (!world.getInverse(inverse))
            for (u32 i = 0; i < 16; ++i) inverse[i] = 0.0f;
        vector3df a(clip->UpperLeftCorner.X, clip->UpperLeftCorner.Y, 0.0f);
        vector3df b(clip->LowerRightCorner.X, clip->LowerRightCorner.Y, 0.0f);
        inverse.transformVect(a);
        inverse.transformVect(b);
        // A mirroring transform swaps the corners.
        const f32 x0 = std::min(a.X, b.X), x1 = std::max(a.X, b.X);
        const f32 y0 = std::min(a.Y, b.Y), y1 = std::max(a.Y, b.Y);
        driver->setClipPlane(0, plane3df(vector3df(0.0f, 1.0f, 0.0f), -y0), true);
        driver->setClipPlane(1, plane3df(vector3df(0.0f, -1.0f, 0.0f), y1), true);
        driver->setClipPlane(2, plane3df(vector3df(1.0f, 0.0f, 0.0f), -x0), true);
        driver->setClipPlane(3, plane3df(vector3df(-1.0f, 0.0f, 0.0f), x1), true);
    }

    const SColor color(getAbsoluteColor());
    if (batcher) {
        for (u32 index : m_drawOrder) {
            SQuad& quad = m_quads[index];
            for (S2DVertex& corner : quad.Corners) corner.Color = color;
            batcher->addQuad(&quad);
        }
        batcher->flush();
    }

    driver->setTransform(ETS_WORLD, matrix4());
    if (clip)
        for (u32 i = 0; i < ClipPlaneCount; ++i) driver->enableClipPlane(i, false);
}

bool TextNode::hitTest(const vector2df& point) const {
    return isVisible() && isPointInBounds(point);
}

// ---- Caret services ----

rectf TextNode::getGlyphRect(s32 index) const {
    if (index >= 0 && static_cast<size_t>(index) < m_quads.size()) {
        const SQuad& quad = m_quads[static_cast<size_t>(index)];
        return rectf(quad.Corners[0].Pos.X, quad.Corners[0].Pos.Y, quad.Corners[2].Pos.X,
                     quad.Corners[2].Pos.Y);
    }
    const f32 left = getLineLeft(0);
    const f32 top = getLineTop(0);
    return rectf(left, top, left, top);
}

rectf TextNode::getCharRect(s32 line, s32 column) const {
    if (line < 0 || line >= static_cast<s32>(m_lines.size())) return getGlyphRect(-1);
    const SLine& l = m_lines[static_cast<u32>(line)];
    const f32 top = getLineTop(line);
    const f32 bottom = top + getLineHeight();
    const s32 count = static_cast<s32>(l.places.size());
    if (column < 0) {
        const f32 left = getLineLeft(line);
        return rectf(left, top, left, bottom);
    }
    if (column >= count) {
        // After the line's last glyph, at its right edge.
        f32 edge = getLineLeft(line);
        for (s32 k = count - 1; k >= 0; --k) {
            const s32 quad = l.places[static_cast<u32>(k)].quad;
            if (quad >= 0) {
                edge = m_quads[static_cast<u32>(quad)].Corners[2].Pos.X;
                break;
            }
        }
        return rectf(edge, top, edge, bottom);
    }
    const SCharPlace& place = l.places[static_cast<u32>(column)];
    if (place.quad >= 0) return getGlyphRect(place.quad);
    return rectf(place.pen, top, place.pen, bottom);
}

s32 TextNode::getCharIndexAt(const vector2df& point, s32& outLine, s32& outColumn) const {
    outLine = 0;
    outColumn = -1;
    if (!m_font || m_lines.empty()) return -1;
    const f32 height = getLineHeight();
    if (!(height > 0.0f)) return -1;
    const f32 step = getLineStep() > 0.0f ? getLineStep() : height;
    const f32 offset = point.Y - getLineTop(0);
    if (!(offset >= 0.0f)) return -1;
    const f32 index = std::floor(offset / step);
    const s32 lines = static_cast<s32>(m_lines.size());
    if (!(index < static_cast<f32>(lines))) {
        // Below the last line: the end of the last line.
        outLine = lines - 1;
        outColumn = static_cast<s32>(m_lines.back().text.size()) - 1;
        return static_cast<s32>(m_quads.size());
    }
    const s32 lineIndex = static_cast<s32>(index);
    const SLine& line = m_lines[static_cast<u32>(lineIndex)];
    s32 column = -1;
    s32 passed = 0;
    for (u32 k = 0; k < line.places.size(); ++k) {
        const SCharPlace& place = line.places[k];
        f32 centre = place.pen;
        if (place.quad >= 0) {
            const SQuad& quad = m_quads[static_cast<u32>(place.quad)];
            centre = quad.Corners[0].Pos.X + (quad.Corners[2].Pos.X - quad.Corners[0].Pos.X) / 2.0f;
        }
        if (centre >= point.X) break;
        column = static_cast<s32>(k);
        if (place.quad >= 0) ++passed;
    }
    outLine = lineIndex;
    outColumn = column;
    return line.firstQuad + passed;
}

s32 TextNode::sourcePosition(s32 line, s32 column) const {
    // The layout maps to Text only where the dictionary left the text as it is.
    if (m_displayText != m_text) return -1;
    if (line < 0 || line >= static_cast<s32>(m_lines.size())) return -1;
    const SLine& l = m_lines[static_cast<u32>(line)];
    if (column >= 0 && column <= static_cast<s32>(l.text.size())) return l.shownStart + column;
    if (column == -1 && line > 0) {
        // The end of the previous line: where its line break (or the space a wrap dropped) is.
        const SLine& previous = m_lines[static_cast<u32>(line - 1)];
        return previous.rawStart + previous.rawLength;
    }
    return -1;
}

s32 TextNode::getCaretPosition(s32 line, s32 column) const {
    if (m_displayText != m_text) return -1;
    if (line < 0 || line >= static_cast<s32>(m_lines.size())) return -1;
    const SLine& l = m_lines[static_cast<u32>(line)];
    const s32 shown = static_cast<s32>(l.text.size());
    const s32 c = std::max(-1, std::min(column, shown - 1));
    return std::min(l.shownStart + c + 1, static_cast<s32>(m_text.size()));
}

void TextNode::getCaretPlace(s32 position, s32& outLine, s32& outColumn) const {
    outLine = 0;
    outColumn = -1;
    if (m_lines.empty()) return;
    const s32 length = static_cast<s32>(m_displayText.size());
    position = std::max(0, std::min(position, length));
    // The last line that starts at or before the position: a position between two lines (in
    // a line break or the blank a wrap dropped) belongs to the end of the line before.
    s32 line = 0;
    for (s32 i = 0; i < static_cast<s32>(m_lines.size()); ++i)
        if (m_lines[static_cast<u32>(i)].rawStart <= position) line = i;
    const SLine& l = m_lines[static_cast<u32>(line)];
    const s32 shown = static_cast<s32>(l.text.size());
    outLine = line;
    outColumn = std::max(-1, std::min(position - l.shownStart - 1, shown - 1));
}

void TextNode::insertCharAt(wchar_t character, s32 line, s32 column) {
    const s32 position = sourcePosition(line, column);
    const s32 length = static_cast<s32>(m_text.size());
    if (position < 0 || position > length) return;
    stringw text = sliceOf(m_text, 0, position);
    text.append(character);
    text += sliceOf(m_text, position, length - position);
    m_text = text;
    layoutText();
}

void TextNode::removeCharAt(s32 line, s32 column) {
    const s32 position = sourcePosition(line, column);
    const s32 length = static_cast<s32>(m_text.size());
    if (position < 0 || position >= length) return;
    s32 removed = 1;
    if (m_text[static_cast<u32>(position)] == CharCarriageReturn && position + 1 < length &&
        m_text[static_cast<u32>(position + 1)] == CharLineFeed)
        removed = 2;
    stringw text = sliceOf(m_text, 0, position);
    text += sliceOf(m_text, position + removed, length - position - removed);
    m_text = text;
    layoutText();
}

// ---- Events and copies ----

bool TextNode::onSceneActivated(CEvent*) {
    layoutText();
    return false;
}

bool TextNode::onEvent36(CEvent*) {
    layoutText();
    return false;
}

void TextNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const TextNode*>(source);
    if (other && other != this) {
        m_kerning = other->m_kerning;
        m_fontSize = other->m_fontSize;
        m_hAlign = other->m_hAlign;
        m_vAlign = other->m_vAlign;
        m_wordWrap = other->m_wordWrap;
        m_material = other->m_material;
        m_text = other->m_text;
        m_font = other->m_font;
        m_translated = other->m_translated;
    }
    layoutText();
}

// ---- Properties ----

void TextNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (m_kerning.X != 0.0f || m_kerning.Y != 0.0f) set->addVector2d("Kerning", m_kerning);
    if (m_fontSize != DefaultFontSize) set->addFloat("FontSize", m_fontSize);
    if (m_hAlign != HAlignLeft) set->addInt("TextHAlign", m_hAlign);
    if (m_vAlign != VAlignTop) set->addInt("TextVAlign", m_vAlign);
    if (m_wordWrap) set->addBool("WordWrap", true);
    if (m_font) set->addProperty("Font", boxFont(m_font.get()));
    if (!m_text.empty()) set->addStringW("Text", m_text);
}

void TextNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    bool relayout = false;
    bool rebuild = false;
    if (hasNodeProperty(set, "Kerning")) {
        m_kerning = unboxPropertyVector2d(set->getProperty("Kerning").get());
        rebuild = true;
    }
    if (hasNodeProperty(set, "FontSize")) {
        m_fontSize = unboxPropertyFloat(set->getProperty("FontSize").get());
        relayout = true;
    }
    if (hasNodeProperty(set, "TextHAlign")) {
        m_hAlign = unboxPropertyInt(set->getProperty("TextHAlign").get());
        rebuild = true;
    }
    if (hasNodeProperty(set, "TextVAlign")) {
        m_vAlign = unboxPropertyInt(set->getProperty("TextVAlign").get());
        rebuild = true;
    }
    if (hasNodeProperty(set, "WordWrap")) {
        m_wordWrap = unboxPropertyBool(set->getProperty("WordWrap").get());
        relayout = true;
    }
    if (hasNodeProperty(set, "Font")) {
        CFont* font = unboxFont(set->getProperty("Font").get());
        if (font != m_font.get()) {
            m_font.assign(font);
            rebuild = true;
        }
    }
    if (hasNodeProperty(set, "Text")) {
        const stringw text = getPropertyTextW(set->getProperty("Text").get());
        if (text != m_text) {
            m_text = text;
            relayout = true;
        }
    }
    // Bounds change the wrap and the alignment as well.
    if (hasNodeProperty(set, "Bounds")) relayout = true;
    if (relayout)
        layoutText();
    else if (rebuild)
        buildGlyphQuads();
}

}  // namespace oskel
