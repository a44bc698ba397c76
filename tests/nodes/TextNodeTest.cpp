// The text node's layout, glyph quads and caret services, measured on the block font of the
// node content (textures in main memory).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "engine/video/render2d/CFont.h"
#include "tests/nodes/NodeContent.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;

namespace {

namespace bf = blockfont;

// The horizontal alignments, short.
constexpr s32 Left = TextNode::HAlignLeft;
constexpr s32 Centre = TextNode::HAlignCenter;
constexpr s32 Right = TextNode::HAlignRight;
constexpr s32 Justify = TextNode::HAlignJustify;

// The quad of a glyph with its pen at x on a line whose top is at y, at scale 1.
rectf blockAt(wchar_t c, f32 pen, f32 top, f32 scale = 1.0f) {
    const f32 left = pen + scale * bf::GlyphOffsetX;
    const f32 y = top + scale * bf::GlyphOffsetY;
    return rectf(left - 0.5f, y - 0.5f, left + scale * bf::glyphWidth(c) + 0.5f,
                 y + scale * bf::GlyphHeight + 0.5f);
}

vector2df centreOf(const rectf& r) { return r.getCenter(); }

std::vector<std::wstring> linesOf(const TextNode& node) {
    std::vector<std::wstring> lines;
    for (u32 i = 0; i < node.getLineCount(); ++i) lines.emplace_back(node.getLine(i).c_str());
    return lines;
}

std::vector<bool> breaksOf(const TextNode& node) {
    std::vector<bool> breaks;
    for (u32 i = 0; i < node.getLineCount(); ++i) breaks.push_back(node.isLineBroken(i));
    return breaks;
}

class TextNodeTest : public ::testing::Test {
protected:
    CRefPtr<TextNode> makeText(const wchar_t* text, f32 width = 400.0f, f32 height = 100.0f) {
        CRefPtr<TextNode> node = makeRef<TextNode>(CCreationContext(content.manager, ""));
        node->setBounds(width, height);
        node->setFont(content.font());
        node->setText(text);
        return node;
    }

    NodeContentFixture content;
};

TEST_F(TextNodeTest, TheBlockFontLoadsWithItsGlyphsKerningAndMissingPage) {
    CFont* font = content.font();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->getGlyphCount(), bf::characters().size());
    EXPECT_EQ(font->getLineHeight(), bf::LineHeight);
    EXPECT_EQ(font->getKerning(bf::KernFirst, bf::KernSecond), bf::KernOffset);
    ASSERT_EQ(font->getPageCount(), 2u);
    EXPECT_NE(font->getPage(0), nullptr);
    EXPECT_EQ(font->getPage(1), nullptr);
    for (wchar_t c : {L'"', L'&', L'<', L'\u00e9'}) {
        const SFontGlyph* glyph = font->getGlyph(font->getGlyphIndex(c));
        ASSERT_NE(glyph, nullptr);
        EXPECT_EQ(glyph->width, bf::glyphWidth(c)) << static_cast<int>(c);
    }
}

struct LayoutCase {
    const char* label;
    const wchar_t* text;
    f32 width;
    bool wrap;
    s32 hAlign;
    std::vector<std::wstring> lines;
    std::vector<bool> breaks;
};

TEST_F(TextNodeTest, LayoutSplitsWrapsAndTrimsLines) {
    // Advances: a 7, b 8, c 9, d 5, space 4; "aa bb" is 34 wide.
    const std::vector<LayoutCase> cases = {
        {"empty", L"", 400, false, Left, {L""}, {false}},
        {"CR LF", L"ab\r\ncd", 400, false, Left, {L"ab", L"cd"}, {true, false}},
        {"LF", L"ab\ncd", 400, false, Left, {L"ab", L"cd"}, {true, false}},
        {"lone CR", L"ab\rcd", 400, false, Left, {L"ab", L"cd"}, {true, false}},
        {"LF then CR", L"ab\n\rcd", 400, false, Left, {L"ab", L"", L"cd"}, {true, true, false}},
        {"trailing break", L"ab\n", 400, false, Left, {L"ab", L""}, {true, false}},
        {"no wrap", L"aa bb cc", 40, false, Left, {L"aa bb cc"}, {false}},
        {"wrap at the last space", L"aa bb cc", 40, true, Left, {L"aa bb", L"cc"}, {false, false}},
        {"wrap measures again",
         L"aa bb cc dd aa",
         40,
         true,
         1,
         {L"aa bb", L"cc dd", L"aa"},
         {false, false, false}},
        {"break index 0", L"a bcdefgh", 20, true, Left, {L"a bcdefgh"}, {false}},
        {"long word overflows", L"abcdefghij", 20, true, Left, {L"abcdefghij"}, {false}},
        {"a line that fits exactly",
         L"aa bb\ncc",
         34,
         true,
         Left,
         {L"aa bb", L"cc"},
         {true, false}},
        {"left keeps blanks", L"  ab  \n cd", 400, false, Left, {L"  ab  ", L" cd"}, {true, false}},
        {"right keeps blanks",
         L"  ab  \n cd",
         400,
         false,
         Right,
         {L"  ab  ", L" cd"},
         {true, false}},
        {"centre trims", L"  ab  \n\tcd", 400, false, Centre, {L"ab", L"cd"}, {true, false}},
        {"justify trims", L"  ab  \n cd ", 400, false, Justify, {L"ab", L"cd"}, {true, false}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<TextNode> node = makeText(L"", c.width);
        node->setTextHAlign(c.hAlign);
        node->setWordWrap(c.wrap);
        node->setText(c.text);
        EXPECT_EQ(linesOf(*node), c.lines);
        EXPECT_EQ(breaksOf(*node), c.breaks);
    }
}

TEST_F(TextNodeTest, EmptyTextHasNoQuadsAndNoDrawItem) {
    CRefPtr<TextNode> node = makeText(L"");
    EXPECT_EQ(node->getLineCount(), 1u);
    EXPECT_TRUE(node->getGlyphQuads().empty());
    DrawList list;
    node->render(list);
    EXPECT_TRUE(list.empty());
    node->setText(L"a");
    node->render(list);
    EXPECT_EQ(list.size(), 1u);
    // No draw item for an invisible colour or without a font.
    list.clear();
    node->setTintColor(0x00ffffffu);
    node->render(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(TextNodeTest, GlyphQuadsFollowTheFontsMetricsKerningAndPages) {
    CRefPtr<TextNode> node = makeText(L"ab AV~b");
    const std::vector<SQuad>& quads = node->getGlyphQuads();
    // a, b, space, A, V, b: the glyph on the missing page has no quad and no advance.
    ASSERT_EQ(quads.size(), 6u);
    const f32 pens[6] = {0, 7, 15, 19, 19 + 5 - 3, 19 + 5 - 3 + 6};
    const wchar_t chars[6] = {L'a', L'b', L' ', L'A', L'V', L'b'};
    for (u32 i = 0; i < 6; ++i) {
        if (chars[i] == L' ') continue;
        SCOPED_TRACE(i);
        const rectf expected = blockAt(chars[i], pens[i], 0.0f);
        EXPECT_FLOAT_EQ(quads[i].Corners[0].Pos.X, expected.UpperLeftCorner.X);
        EXPECT_FLOAT_EQ(quads[i].Corners[0].Pos.Y, expected.UpperLeftCorner.Y);
        EXPECT_FLOAT_EQ(quads[i].Corners[2].Pos.X, expected.LowerRightCorner.X);
        EXPECT_FLOAT_EQ(quads[i].Corners[2].Pos.Y, expected.LowerRightCorner.Y);
    }
    // Texture coordinates: the block's texels on the font page, which starts at the region's
    // origin on the atlas page.
    s32 x0, y0, x1, y1;
    ASSERT_TRUE(bf::pagePlace(L'a', x0, y0, x1, y1));
    const f32 w = atlas::PageWidth, h = atlas::PageHeight;
    EXPECT_FLOAT_EQ(quads[0].Corners[0].TCoords.X, (atlas::FontPageX + x0 - 0.5f) / w);
    EXPECT_FLOAT_EQ(quads[0].Corners[0].TCoords.Y, (atlas::FontPageY + y0 - 0.5f) / h);
    EXPECT_FLOAT_EQ(quads[0].Corners[2].TCoords.X, (atlas::FontPageX + x1 + 0.5f) / w);
    EXPECT_FLOAT_EQ(quads[0].Corners[2].TCoords.Y, (atlas::FontPageY + y1 + 0.5f) / h);
    // One page texture: one material, and the draw order lists every quad.
    EXPECT_EQ(node->getGlyphMaterialCount(), 1u);
    EXPECT_EQ(node->getDrawOrder().size(), quads.size());
    const SMaterial& material = *quads[0].Material;
    EXPECT_EQ(material.MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    EXPECT_EQ(material.TextureLayer[0].TextureWrap, ETW_CLAMP_TO_BORDER);
    EXPECT_TRUE(material.TextureLayer[0].TrilinearFilter);
    EXPECT_EQ(material.TextureLayer[0].AnisotropicFilter, 255);
    EXPECT_FALSE(material.Lighting);
    EXPECT_FALSE(material.ZWriteEnable);
    EXPECT_EQ(material.ZBuffer, ECFN_NEVER);
}

TEST_F(TextNodeTest, FontSizeScalesOffsetsSizesAndAdvances) {
    CRefPtr<TextNode> node = makeText(L"ab");
    node->setFontSize(28.0f);
    EXPECT_FLOAT_EQ(node->getScale(), 2.0f);
    EXPECT_FLOAT_EQ(node->getLineHeight(), 2.0f * bf::LineHeight);
    const std::vector<SQuad>& quads = node->getGlyphQuads();
    ASSERT_EQ(quads.size(), 2u);
    for (u32 i = 0; i < 2; ++i) {
        const rectf expected = blockAt(i == 0 ? L'a' : L'b', i == 0 ? 0.0f : 14.0f, 0.0f, 2.0f);
        EXPECT_FLOAT_EQ(quads[i].Corners[0].Pos.X, expected.UpperLeftCorner.X);
        EXPECT_FLOAT_EQ(quads[i].Corners[0].Pos.Y, expected.UpperLeftCorner.Y);
        EXPECT_FLOAT_EQ(quads[i].Corners[2].Pos.X, expected.LowerRightCorner.X);
        EXPECT_FLOAT_EQ(quads[i].Corners[2].Pos.Y, expected.LowerRightCorner.Y);
    }
    // A font made for no size draws at scale 1.
    content.font()->OriginalSize = 0.0f;
    node->setFontSize(28.0f);
    EXPECT_FLOAT_EQ(node->getScale(), 1.0f);
    content.font()->OriginalSize = bf::OriginalSize;
}

TEST_F(TextNodeTest, JustifiedLinesFillTheWidthExceptTheLastAndHardBrokenOnes) {
    // "aa bb" is 34 wide (the b's block ends 1 before that); the width is 40.
    CRefPtr<TextNode> node = makeText(L"", 40.0f);
    node->setTextHAlign(TextNode::HAlignJustify);
    node->setWordWrap(true);
    node->setText(L"aa bb cc dd aa\nbb cc");
    ASSERT_EQ(linesOf(*node), (std::vector<std::wstring>{L"aa bb", L"cc dd", L"aa", L"bb cc"}));
    auto lastRight = [&](s32 line) {
        const rectf r = node->getCharRect(
            line, static_cast<s32>(node->getLine(static_cast<u32>(line)).size()) - 1);
        return r.LowerRightCorner.X - 0.5f + bf::GlyphSpacing;
    };
    // Stretched: the extras add up to the free width (one space: all of it).
    EXPECT_FLOAT_EQ(lastRight(0), 40.0f);
    EXPECT_FLOAT_EQ(lastRight(1), 40.0f);
    // Ended by a line break, and the last line: their natural width.
    EXPECT_FLOAT_EQ(lastRight(2), 14.0f);
    EXPECT_FLOAT_EQ(lastRight(3), 8 + 8 + 4 + 9 + 9);

    // Several spaces: the extras, rounded, never exceed the free width.
    node->setBounds(61.0f, 100.0f);
    node->setText(L"a a a a a a a a a a");
    ASSERT_GE(node->getLineCount(), 2u);
    const f32 right = lastRight(0);
    EXPECT_LE(right, 61.0f);
    EXPECT_GE(right, 61.0f - 0.5f * static_cast<f32>(node->getLine(0).size()));
}

TEST_F(TextNodeTest, AlignmentsPlaceLinesAndTheTextHeightCountsTheGap) {
    CRefPtr<TextNode> node = makeText(L"ab\nabab", 100.0f, 50.0f);
    node->setKerning(vector2df(0.0f, 6.0f));
    EXPECT_FLOAT_EQ(node->getLineStep(), 20.0f);
    // Lines x step: a gap after the last line too.
    EXPECT_FLOAT_EQ(node->getTextHeight(), 40.0f);
    EXPECT_FLOAT_EQ(node->getLineTop(1), 20.0f);
    node->setTextVAlign(TextNode::VAlignCenter);
    // The aligned height leaves out the last gap: 14 + 20 = 34.
    EXPECT_FLOAT_EQ(node->getLineTop(0), 8.0f);
    node->setTextVAlign(TextNode::VAlignBottom);
    EXPECT_FLOAT_EQ(node->getLineTop(0), 16.0f);
    EXPECT_FLOAT_EQ(node->getLineTop(5), 16.0f);  // past the lines: line 0's
    // "ab" measures 15 (the last glyph's spacing counts), "abab" 30.
    node->setTextHAlign(TextNode::HAlignCenter);
    EXPECT_FLOAT_EQ(node->getLineLeft(0), 43.0f);  // 42.5 rounded
    EXPECT_FLOAT_EQ(node->getLineLeft(1), 35.0f);
    node->setTextHAlign(TextNode::HAlignRight);
    EXPECT_FLOAT_EQ(node->getLineLeft(0), 85.0f);
    node->setTextHAlign(TextNode::HAlignJustify);
    EXPECT_FLOAT_EQ(node->getLineLeft(0), 0.0f);
}

TEST_F(TextNodeTest, TheDictionaryTranslatesUnlessSwitchedOff) {
    content.writeText("strings/Texts.xml",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Dictionary><s n=\"Hello\">Hi "
                      "there</s></Dictionary>\n");
    ASSERT_TRUE(content.dictionary->load(stringc("strings/Texts.xml")));
    SceneNode* scene = content.showScene();
    CRefPtr<TextNode> node = makeText(L"");
    scene->addChild(node.get());
    node->setText(L"%Hello%!");
    EXPECT_EQ(node->getDisplayText(), stringw(L"Hi there!"));
    EXPECT_EQ(node->getText(), stringw(L"%Hello%!"));
    // The layout does not map to Text: edits change nothing.
    node->insertCharAt(L'x', 0, 0);
    EXPECT_EQ(node->getText(), stringw(L"%Hello%!"));

    node->setTranslated(false);
    EXPECT_EQ(node->getDisplayText(), stringw(L"%Hello%!"));
    node->insertCharAt(L'x', 0, 0);
    EXPECT_EQ(node->getText(), stringw(L"x%Hello%!"));
    // Copies keep the switch.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    EXPECT_FALSE(static_cast<TextNode*>(copy.get())->isTranslated());

    // Outside a scene there is no dictionary: the text shows as it stands; the scene's
    // activation lays it out again with the dictionary.
    CRefPtr<TextNode> loose = makeText(L"%Hello%");
    EXPECT_EQ(loose->getDisplayText(), stringw(L"%Hello%"));
    scene->addChild(loose.get());
    CRefPtr<CEventNodeSceneActivated> activated =
        makeEvent<CEventNodeSceneActivated>(content.sceneManager.get());
    EXPECT_FALSE(loose->onEvent(activated.get()));
    EXPECT_EQ(loose->getDisplayText(), stringw(L"Hi there"));
}

// ---- Caret services ----

TEST_F(TextNodeTest, CharRectOfALaterLineIsItsOwnGlyph) {
    CRefPtr<TextNode> node = makeText(L"ab\ncd");
    ASSERT_EQ(node->getGlyphQuads().size(), 4u);
    // c is the third quad: line breaks have none.
    const rectf c = node->getCharRect(1, 0);
    const rectf expected = blockAt(L'c', 0.0f, bf::LineHeight);
    EXPECT_EQ(c, expected);
    EXPECT_EQ(node->getCharRect(1, 1), node->getGlyphRect(3));
    // Past the end of a line: at its last glyph's right edge, on that line.
    const rectf after = node->getCharRect(0, 5);
    EXPECT_FLOAT_EQ(after.UpperLeftCorner.X, node->getGlyphRect(1).LowerRightCorner.X);
    EXPECT_FLOAT_EQ(after.UpperLeftCorner.Y, 0.0f);
    const rectf afterSecond = node->getCharRect(1, 2);
    EXPECT_FLOAT_EQ(afterSecond.UpperLeftCorner.X, node->getGlyphRect(3).LowerRightCorner.X);
    EXPECT_FLOAT_EQ(afterSecond.UpperLeftCorner.Y, bf::LineHeight);
    // Before the first character: the line's start.
    EXPECT_FLOAT_EQ(node->getCharRect(1, -1).UpperLeftCorner.X, 0.0f);
}

TEST_F(TextNodeTest, CharIndexAtFindsTheGlyphOnEveryLine) {
    struct Case {
        const char* label;
        const wchar_t* text;
        s32 vAlign;
        f32 gap;
    };
    const Case cases[] = {
        {"top", L"ab\ncd\nab", TextNode::VAlignTop, 0.0f},
        {"bottom", L"ab\ncd\nab", TextNode::VAlignBottom, 0.0f},
        {"centre with a gap", L"ab\ncd\nab", TextNode::VAlignCenter, 6.0f},
        {"glyph on a missing page", L"a~b\ncd", TextNode::VAlignTop, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<TextNode> node = makeText(c.text, 200.0f, 120.0f);
        node->setTextVAlign(c.vAlign);
        node->setKerning(vector2df(0.0f, c.gap));
        for (s32 line = 0; line < static_cast<s32>(node->getLineCount()); ++line) {
            const stringw& text = node->getLine(static_cast<u32>(line));
            for (s32 column = 0; column < static_cast<s32>(text.size()); ++column) {
                if (text[static_cast<u32>(column)] == bf::MissingPageChar) continue;
                const rectf r = node->getCharRect(line, column);
                s32 outLine = -2, outColumn = -2;
                const s32 index = node->getCharIndexAt(centreOf(r), outLine, outColumn);
                ASSERT_GE(index, 0);
                EXPECT_EQ(node->getGlyphRect(index), r) << line << "," << column;
                EXPECT_EQ(outLine, line);
                // The caret follows the character before (the one on the missing page
                // included).
                EXPECT_EQ(outColumn, column - 1);
            }
        }
    }
}

TEST_F(TextNodeTest, CharIndexAtOutsideTheText) {
    CRefPtr<TextNode> node = makeText(L"ab\ncd");
    s32 line = 0, column = 0;
    // Below the last line: the end of the last line.
    EXPECT_EQ(node->getCharIndexAt(vector2df(3.0f, 90.0f), line, column), 4);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 1);
    // Above the text.
    EXPECT_EQ(node->getCharIndexAt(vector2df(3.0f, -5.0f), line, column), -1);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(column, -1);
    // Right of a line's glyphs: after its last character.
    EXPECT_EQ(node->getCharIndexAt(vector2df(150.0f, 3.0f), line, column), 2);
    EXPECT_EQ(column, 1);
    // No line height (size 0), or no font: no answer.
    node->setFontSize(0.0f);
    EXPECT_EQ(node->getCharIndexAt(vector2df(3.0f, 3.0f), line, column), -1);
    node->setFont(nullptr);
    EXPECT_EQ(node->getCharIndexAt(vector2df(3.0f, 3.0f), line, column), -1);
}

struct EditCase {
    const char* label;
    const wchar_t* text;
    f32 width;
    bool wrap;
    s32 hAlign;
    bool insert;
    s32 line, column;
    const wchar_t* result;
};

TEST_F(TextNodeTest, EditsLandAtTheLaidOutPosition) {
    const std::vector<EditCase> cases = {
        {"second line", L"ab\ncd", 400, false, Left, true, 1, 0, L"ab\nxcd"},
        {"second line after CR LF", L"ab\r\ncd", 400, false, Left, true, 1, 1, L"ab\r\ncxd"},
        {"end of a line", L"ab\ncd", 400, false, Left, true, 0, 2, L"abx\ncd"},
        {"remove on the second line", L"ab\ncd", 400, false, Left, false, 1, 0, L"ab\nd"},
        {"remove the CR LF pair", L"ab\r\ncd", 400, false, Left, false, 0, 2, L"abcd"},
        {"remove the break before a line", L"ab\r\ncd", 400, false, Left, false, 1, -1, L"abcd"},
        {"centred with blanks", L"  ab  \n cd", 400, false, Centre, true, 0, 0, L"  xab  \n cd"},
        {"centred, second line", L"  ab  \n cd", 400, false, Centre, false, 1, 0, L"  ab  \n d"},
        {"justified end of line", L" ab \n cd", 400, false, Justify, true, 0, 2, L" abx \n cd"},
        {"after a wrap", L"aa bb cc", 40, true, Left, true, 1, 0, L"aa bb xcc"},
        {"end of a wrapped line", L"aa bb cc", 40, true, Left, true, 0, 5, L"aa bbx cc"},
        {"the wrap's dropped space", L"aa bb cc", 40, true, Left, false, 1, -1, L"aa bbcc"},
        {"past a line's end", L"ab\ncd", 400, false, Left, true, 0, 3, L"ab\ncd"},
        {"no line there", L"ab\ncd", 400, false, Left, true, 2, 0, L"ab\ncd"},
        {"before line 0", L"ab\ncd", 400, false, Left, false, 0, -1, L"ab\ncd"},
        {"append", L"ab", 400, false, Left, true, 0, 2, L"abx"},
        {"remove past the end", L"ab", 400, false, Left, false, 0, 2, L"ab"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<TextNode> node = makeText(L"", c.width);
        node->setWordWrap(c.wrap);
        node->setTextHAlign(c.hAlign);
        node->setText(c.text);
        if (c.insert)
            node->insertCharAt(L'x', c.line, c.column);
        else
            node->removeCharAt(c.line, c.column);
        EXPECT_EQ(std::wstring(node->getText().c_str()), std::wstring(c.result));
    }
}

// ---- Properties, copies, drawing ----

TEST_F(TextNodeTest, SavesOnlyWhatDiffersAndLoadsItBack) {
    CRefPtr<TextNode> node = makeText(L"");
    node->setFont(nullptr);
    CRefPtr<CPropertySet> defaults = makeRef<CPropertySet>(content.manager);
    node->saveProperties(defaults.get());
    for (const char* name :
         {"Kerning", "FontSize", "TextHAlign", "TextVAlign", "WordWrap", "Font", "Text"})
        EXPECT_LT(defaults->getPropertyIndex(name), 0) << name;

    node->setFont(content.font());
    node->setKerning(vector2df(1.0f, 2.0f));
    node->setFontSize(20.0f);
    node->setTextHAlign(TextNode::HAlignRight);
    node->setTextVAlign(TextNode::VAlignCenter);
    node->setWordWrap(true);
    node->setText(L"ab\u00e9");
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    node->saveProperties(set.get());
    std::vector<std::string> names;
    for (u32 i = 0; i < set->getPropertyCount(); ++i)
        if (set->getPropertyName(i) != "Bounds") names.push_back(set->getPropertyName(i).c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"Kerning", "FontSize", "TextHAlign", "TextVAlign",
                                               "WordWrap", "Font", "Text"}));

    CRefPtr<TextNode> loaded = makeRef<TextNode>(CCreationContext(content.manager, ""));
    loaded->setBounds(400.0f, 100.0f);
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getFont(), content.font());
    EXPECT_EQ(loaded->getKerning(), vector2df(1.0f, 2.0f));
    EXPECT_EQ(loaded->getFontSize(), 20.0f);
    EXPECT_EQ(loaded->getTextHAlign(), TextNode::HAlignRight);
    EXPECT_EQ(loaded->getTextVAlign(), TextNode::VAlignCenter);
    EXPECT_TRUE(loaded->getWordWrap());
    EXPECT_EQ(loaded->getText(), stringw(L"ab\u00e9"));
    EXPECT_EQ(loaded->getGlyphQuads().size(), 3u);

    // Values of another type: zero, except Text, which takes any value's text.
    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>(content.manager);
    wrong->addString("FontSize", "12");
    wrong->addInt("Text", 42);
    wrong->addInt("Font", 1);
    loaded->loadProperties(wrong.get());
    EXPECT_EQ(loaded->getFontSize(), 0.0f);
    EXPECT_EQ(loaded->getText(), stringw(L"42"));
    EXPECT_EQ(loaded->getFont(), nullptr);
}

TEST_F(TextNodeTest, CopiesTakeTheSettingsAndLayOutAgain) {
    CRefPtr<TextNode> node = makeText(L"aa bb cc", 40.0f);
    node->setKerning(vector2df(1.0f, 0.0f));  // the kerning rebuilds the quads, not the lines
    node->setWordWrap(true);
    node->setTextHAlign(2);
    ASSERT_EQ(linesOf(*node), (std::vector<std::wstring>{L"aa", L"bb", L"cc"}));
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    TextNode* text = asTextNode(copy.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getFont(), content.font());
    EXPECT_EQ(linesOf(*text), linesOf(*node));
    EXPECT_EQ(text->getTextHAlign(), TextNode::HAlignCenter);
    EXPECT_EQ(text->getKerning(), vector2df(1.0f, 0.0f));
    EXPECT_EQ(text->getGlyphQuads().size(), node->getGlyphQuads().size());
    EXPECT_EQ(asTextNode(nullptr), nullptr);
}

TEST_F(TextNodeTest, DrawingSnapsTheTransformAndClipsByFourPlanes) {
    class ClipRecorder : public RecordingDriver {
    public:
        bool setClipPlane(u32 index, const plane3df& plane, bool enable) override {
            planes.push_back({index, plane, enable});
            return true;
        }
        void enableClipPlane(u32 index, bool enable) override {
            switches.push_back({index, enable});
        }
        void setTransform(ETransformationState state, const matrix4& m) override {
            if (state == ETS_WORLD) worlds.push_back(m);
            RecordingDriver::setTransform(state, m);
        }
        struct Plane {
            u32 index;
            plane3df plane;
            bool enable;
        };
        std::vector<Plane> planes;
        std::vector<std::pair<u32, bool>> switches;
        std::vector<matrix4> worlds;
    };
    CRefPtr<ClipRecorder> driver = makeRef<ClipRecorder>();
    CRefPtr<TextNode> node = makeText(L"ab");
    node->setPosition(vector3df(10.4f, 20.6f, 3.0f));
    node->setTintColor(0x80ff0000u);
    node->updateAbsoluteTransform();
    node->updateAbsoluteColor();
    const rectf clip(12.0f, 22.0f, 40.0f, 30.0f);
    node->renderClipped(driver.get(), &clip);
    ASSERT_GE(driver->worlds.size(), 2u);
    EXPECT_FLOAT_EQ(driver->worlds[0][12], 10.0f);
    EXPECT_FLOAT_EQ(driver->worlds[0][13], 21.0f);
    EXPECT_FLOAT_EQ(driver->worlds[0][14], 0.0f);
    EXPECT_TRUE(driver->worlds.back().isIdentity());
    // The clip rectangle in the node's own space: y >= 1, y <= 9, x >= 2, x <= 30.
    ASSERT_EQ(driver->planes.size(), 4u);
    const f32 expected[4][4] = {{0, 1, 0, -1}, {0, -1, 0, 9}, {1, 0, 0, -2}, {-1, 0, 0, 30}};
    for (u32 i = 0; i < 4; ++i) {
        EXPECT_EQ(driver->planes[i].index, i);
        EXPECT_TRUE(driver->planes[i].enable);
        EXPECT_FLOAT_EQ(driver->planes[i].plane.Normal.X, expected[i][0]);
        EXPECT_FLOAT_EQ(driver->planes[i].plane.Normal.Y, expected[i][1]);
        EXPECT_FLOAT_EQ(driver->planes[i].plane.D, expected[i][3]);
    }
    ASSERT_EQ(driver->switches.size(), 4u);
    for (const auto& s : driver->switches) EXPECT_FALSE(s.second);
    // One batch of both glyphs, coloured with the node's colour.
    ASSERT_EQ(driver->draws.size(), 1u);
    EXPECT_EQ(driver->draws[0].primitiveCount, 4u);
    for (const S2DVertex& v : driver->draws[0].vertices) EXPECT_EQ(v.Color.color, 0x80ff0000u);
}

}  // namespace
