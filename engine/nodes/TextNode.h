#pragma once

#include <memory>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CQuadBatcher.h"

namespace oskel {

class CFont;
class CTextDictionary;

// Text drawn with a bitmap font: the source text (which may hold %key% references to the
// dictionary) is translated, split into lines at line breaks and, with WordWrap, at spaces inside
// the Bounds width, aligned and turned into one textured quad per glyph, drawn through the quad
// batcher in the order of their materials. Offers the caret services of the edit node: the
// rectangle of a character, the character under a point, and inserting or removing a character
// at a line and column.
class TextNode : public BaseNode {
public:
    static constexpr f32 DefaultFontSize = 14.0f;

    // Horizontal alignments (any other value acts as left).
    enum EHAlign : s32 { HAlignLeft = 1, HAlignCenter = 2, HAlignRight = 3, HAlignJustify = 4 };
    // Vertical alignments (any other value acts as top).
    enum EVAlign : s32 { VAlignTop = 1, VAlignCenter = 2, VAlignBottom = 3 };

    TextNode(const CCreationContext& context, BaseNode* parent = nullptr,
             SceneManager* manager = nullptr);
    ~TextNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeText; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeText || typeId == NodeTypeBase;
    }

    // One draw item when Visible with a font, a text and a visible colour; then the children.
    void render(DrawList& list) override;
    // Draws the glyph quads at the node's snapped transform, cut to the clip rectangle by user
    // clip planes 0 to 3 when one is given.
    void renderClipped(IVideoDriver* driver, const rectf* clip) override;
    bool hitTest(const vector2df& point) const override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    // Both lay the text out again (the dictionary or the templates may have changed); neither
    // consumes the event.
    bool onSceneActivated(CEvent* event) override;
    bool onEvent36(CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Setters: the text, the size and the wrap switch lay the text out again; the font, the
    // kerning and the alignments rebuild the quads only.
    void setText(const stringw& text);
    void setFontSize(f32 size);
    void setWordWrap(bool wrap);
    void setFont(CFont* font);
    void setTextHAlign(s32 align);
    void setTextVAlign(s32 align);
    void setKerning(const vector2df& kerning);
    // Whether Text goes through the dictionary (on by default; neither a property nor saved, but
    // copied). Off, the text shown is Text as it stands and caret positions are Text positions.
    void setTranslated(bool translated);

    CFont* getFont() const { return m_font.get(); }
    const vector2df& getKerning() const { return m_kerning; }
    f32 getFontSize() const { return m_fontSize; }
    const stringw& getText() const { return m_text; }
    s32 getTextHAlign() const { return m_hAlign; }
    s32 getTextVAlign() const { return m_vAlign; }
    bool getWordWrap() const { return m_wordWrap; }
    bool isTranslated() const { return m_translated; }
    // Text after the dictionary.
    const stringw& getDisplayText() const { return m_displayText; }

    // The laid-out lines: their number, text and whether each ended at a line break.
    u32 getLineCount() const { return static_cast<u32>(m_lines.size()); }
    const stringw& getLine(u32 line) const;
    bool isLineBroken(u32 line) const { return line < m_lines.size() && m_lines[line].hardBreak; }
    // Lines x line step (scaled font line height plus the line gap).
    f32 getTextHeight() const;
    // The measures of the font at FontSize: scale, line height, line gap and line step.
    f32 getScale() const;
    f32 getLineHeight() const;
    f32 getLineStep() const;

    // Caret services. The rectangle of the glyph quad at the index in text order; past the quads
    // the empty rectangle at the start of line 0.
    rectf getGlyphRect(s32 index) const;
    // The rectangle of a character of a laid-out line: its glyph quad; an empty rectangle at its
    // place for a character without a quad; for a column past the line's end, an empty one at
    // the right edge of the line's last glyph.
    rectf getCharRect(s32 line, s32 column) const;
    // The quad index of the character under the point (node coordinates): the line by the line
    // tops and the line step, then the first glyph whose horizontal centre lies at or right of
    // the point. The caret's line and column (the character it follows, -1 before the first) go
    // to the out values. -1 without a font, with a line height of 0 or less, or above the text;
    // below the last line the end of the last line.
    s32 getCharIndexAt(const vector2df& point, s32& outLine, s32& outColumn) const;
    // Inserts before / removes the character at a laid-out line and column (a CR LF pair as one),
    // then lays the text out again. Column -1 of a line after the first stands for the line end
    // before it. Nothing happens for a position outside the layout, or when the dictionary
    // changed the text (the layout then does not map to Text).
    void insertCharAt(wchar_t character, s32 line, s32 column);
    void removeCharAt(s32 line, s32 column);
    // Caret places for editors that keep their caret as a position in Text (0 .. its length: the
    // caret stands before that character). The position of a caret at a laid-out line and
    // column (the column of the character it follows, -1 before the line's first shown
    // character), or -1 when the layout does not map to Text. Columns outside the line are
    // taken as its ends.
    s32 getCaretPosition(s32 line, s32 column) const;
    // The line and column of a caret standing at the position of Text (cut to 0 .. length).
    // Blanks that the alignment trimmed from a line's ends count as the nearest shown end.
    void getCaretPlace(s32 position, s32& outLine, s32& outColumn) const;
    // The aligned top and left of a line in node coordinates, rounded to whole pixels.
    f32 getLineTop(s32 line) const;
    f32 getLineLeft(s32 line) const;

    // The prepared quads (in text order) and the draw order (indices into them by material).
    const std::vector<SQuad>& getGlyphQuads() const { return m_quads; }
    const std::vector<u32>& getDrawOrder() const { return m_drawOrder; }
    u32 getGlyphMaterialCount() const { return static_cast<u32>(m_materials.size()); }
    const SMaterial& getMaterial() const { return m_material; }

    // Translation, line split and word wrap; then the quads.
    void layoutText();
    // The quads of the laid-out lines.
    void buildGlyphQuads();

private:
    // Where a character of a line went: its quad (or -1) and the pen position before it.
    struct SCharPlace {
        s32 quad;
        f32 pen;
    };
    // One laid-out line and where it came from in the display text.
    struct SLine {
        stringw text;
        bool hardBreak = false;
        // Display-text index of the line's first character before trimming, the number of
        // characters before trimming, and the index of the first character shown.
        s32 rawStart = 0;
        s32 rawLength = 0;
        s32 shownStart = 0;
        // Quads before this line's, the pen after its last character, its characters' places.
        s32 firstQuad = 0;
        f32 endPen = 0.0f;
        std::vector<SCharPlace> places;
    };

    CTextDictionary* findDictionary() const;
    // The position in Text of a laid-out line and column, or -1.
    s32 sourcePosition(s32 line, s32 column) const;
    // The advance of a character for word wrap (unscaled, without pair kerning).
    f32 wrapAdvance(u32 character) const;
    f32 lineWidth(const stringw& text) const;
    void freeGlyphMaterials();

    CRefPtr<CFont> m_font;
    vector2df m_kerning{0.0f, 0.0f};
    f32 m_fontSize = DefaultFontSize;
    stringw m_text;
    s32 m_hAlign = HAlignLeft;
    s32 m_vAlign = VAlignTop;
    bool m_wordWrap = false;
    bool m_translated = true;
    stringw m_displayText;
    std::vector<SLine> m_lines;
    SMaterial m_material;
    std::vector<SQuad> m_quads;
    std::vector<u32> m_quadMaterials;
    std::vector<u32> m_drawOrder;
    std::vector<std::unique_ptr<SMaterial>> m_materials;
};

// The node as a text node when it is a kind of one, else none.
inline TextNode* asTextNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeText) ? static_cast<TextNode*>(node) : nullptr;
}

}  // namespace oskel
