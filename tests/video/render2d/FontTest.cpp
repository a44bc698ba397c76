// Bitmap fonts loaded from font files written by the tests: glyph lookup by code point,
// kerning, measuring, properties, pages, and fonts without glyphs.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/video/render2d/RenderPropertyTypes.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/render2d/CFont.h"
#include "tests/support/TestSupport.h"
#include "tests/video/render2d/RenderContentFixture.h"

using namespace oskel;
using namespace oskel::test;

namespace {

struct Glyph {
    stringw c;
    const char* r;
    const char* b;
    const char* a;
    const char* i;
};

struct Kern {
    stringw c;
    const char* k;
};

void writeGlyph(CXmlWriter& w, const Glyph& g) {
    array<stringw> names, values;
    names.push_back(L"c");
    values.push_back(g.c);
    for (auto [name, value] : {std::pair<const wchar_t*, const char*>{L"r", g.r}, {L"b", g.b}, {L"a", g.a}, {L"i", g.i}}) {
        if (!value) continue;
        names.push_back(name);
        values.push_back(widenLatin1(value));
    }
    w.writeElement(L"c", true, names, values);
    w.writeLineBreak();
}

const wchar_t kGrinning[] = {0x1F600, 0};

class FontTest : public RenderContentFixture {
protected:
    // A font file: properties, the textures, glyphs and kerning pairs.
    std::string writeFont(const std::string& name, const std::vector<std::string>& textures,
                          const std::vector<Glyph>& glyphs, const std::vector<Kern>& kerns,
                          CPropertySet* properties = nullptr, const wchar_t* type = L"Bitmap") {
        return writeXml(name, [&](CXmlWriter& w) {
            w.writeElement(L"Font", false, L"Type", type);
            w.writeLineBreak();
            if (properties) properties->writeXml(&w, false, L"Properties");
            for (const std::string& t : textures) {
                w.writeElement(L"Texture", true, L"Filename", widenLatin1(t.c_str()).c_str());
                w.writeLineBreak();
            }
            for (const Glyph& g : glyphs) writeGlyph(w, g);
            for (const Kern& k : kerns) {
                const stringw value = widenLatin1(k.k);
                w.writeElement(L"k", true, L"c", k.c.c_str(), L"k", value.c_str());
                w.writeLineBreak();
            }
            w.writeClosingTag(L"Font");
        });
    }

    CRefPtr<CFont> loadFont(const std::string& file) {
        return CRefPtr<CFont>::fromRaw(
            as<CFont>(manager->getContentByPath(TypeCodeFont, file.c_str(), false), TypeCodeFont));
    }

    // The standard test font: 'A' 10 x 12, 'V' 8 x 12, space 4 x 0, U+1F600 16 x 16; line height
    // 2 + 16 + 1 = 19.
    CRefPtr<CFont> standardFont(CPropertySet* properties = nullptr) {
        writePng("fonts/page0.png", 64, 32);
        const std::string file = writeFont(
            "fonts/test.ofnt", {"page0.png", "missing.png"},
            {{L"A", "0,0,10,12", "1,2", "2,1", nullptr},
             {L"V", "10,0,18,12", "0,2", "1,0", "0"},
             {L" ", "0,0,4,0", "0,0", "0,0", nullptr},
             {kGrinning, "20,0,36,16", "1,2", "1,1", "1.7"},
             {L"A", "0,0,5,5", nullptr, nullptr, nullptr}},
            {{L"AV", "-3"}, {L"A\n", "5"}, {L"ABC", "9"}, {L"V", "9"}, {L"AV", "-2"}}, properties);
        return loadFont(file);
    }
};

TEST_F(FontTest, LoadsGlyphsPagesAndKerningFromTheFile) {
    LogCapture log;
    auto font = standardFont();
    ASSERT_TRUE(font);
    EXPECT_TRUE(log.contains("Loaded font", LogInformation));
    EXPECT_EQ(font->getGlyphCount(), 5u);
    EXPECT_FLOAT_EQ(font->getLineHeight(), 19.0f);
    EXPECT_EQ(font->OriginalSize, 14.0f);

    // Pages in file order; a page that cannot be found is an empty entry.
    ASSERT_EQ(font->getPageCount(), 2u);
    ASSERT_NE(font->getPage(0), nullptr);
    EXPECT_EQ(font->getPage(0)->getTexture()->getSize(), dimension2di(64, 32));
    EXPECT_EQ(font->getPage(1), nullptr);
    EXPECT_EQ(font->getPage(2), nullptr);
    EXPECT_EQ(font->getPage(-1), nullptr);

    const SFontGlyph* a = font->getGlyph(font->getGlyphIndex(L'A'));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(font->getGlyphIndex(L'A'), 0);  // the repeated 'A' keeps the first glyph
    EXPECT_FLOAT_EQ(a->width, 10.0f);
    EXPECT_FLOAT_EQ(a->height, 12.0f);
    EXPECT_EQ(a->before, vector2df(1.0f, 2.0f));
    EXPECT_EQ(a->after, vector2df(2.0f, 1.0f));

    // Code points above U+FFFF are characters like any other.
    const s32 smiley = font->getGlyphIndex(0x1F600);
    EXPECT_EQ(smiley, 3);
    EXPECT_EQ(font->getGlyph(smiley)->page, 1);
    EXPECT_FLOAT_EQ(font->getGlyph(smiley)->width, 16.0f);

    // Unknown characters use the space's glyph.
    EXPECT_EQ(font->getDefaultGlyph(), 2);
    EXPECT_EQ(font->getGlyphIndex(L'Z'), 2);
    EXPECT_EQ(font->getGlyphIndex(0x1F601), 2);

    // Kerning: the last entry of a pair wins; pairs of other lengths are ignored.
    EXPECT_EQ(font->getKerning(L'A', L'V'), -2);
    EXPECT_EQ(font->getKerning(L'A', L'\n'), 5);
    EXPECT_EQ(font->getKerning(L'V', L'A'), 0);
    EXPECT_EQ(font->getKerning(L'V', 0), 0);

    // A font property value answers the font.
    CPropertyDataFont value(static_cast<CResource*>(font.get()));
    EXPECT_EQ(value.getFont(), font.get());

    // The font is shared.
    CResource* again = manager->getContentByPath(TypeCodeFont, path("fonts/test.ofnt").c_str(), false);
    EXPECT_EQ(again, font.get());
    if (again) again->drop();
}

TEST_F(FontTest, GlyphRectGivesTheSizeOrTheAdvance) {
    CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
    properties->addVector2d("GlobalKerning", vector2df(3.0f, 4.0f));
    auto font = standardFont(properties.get());
    ASSERT_TRUE(font);
    vector2df size;
    font->getGlyphRect(size, L'A', true);
    EXPECT_EQ(size, vector2df(10.0f, 12.0f));
    font->getGlyphRect(size, L'A', false);
    EXPECT_EQ(size, vector2df(10.0f + 2.0f + 1.0f + 3.0f, 12.0f));
}

struct MeasureCase {
    const wchar_t* text;
    f32 width;
    f32 height;
};

class FontMeasure : public FontTest, public ::testing::WithParamInterface<MeasureCase> {};

// With GlobalKerning (3, 4) and extra spacing (1, 1): hx = 4, vy = 5. Advances without hx:
// A = 13, V = 9, space = 4, U+1F600 = 18; pair kerning A V = -2, A line feed = 5.
TEST_P(FontMeasure, MeasuresLinesWithKerningAndSpacing) {
    CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
    properties->addVector2d("GlobalKerning", vector2df(3.0f, 4.0f));
    auto font = standardFont(properties.get());
    ASSERT_TRUE(font);
    const MeasureCase& c = GetParam();
    vector2df size(-1.0f, -1.0f);
    font->getTextDimension(size, c.text, vector2df(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(size.X, c.width);
    EXPECT_FLOAT_EQ(size.Y, c.height);
}

const wchar_t kSmileyText[] = {L'A', 0x1F600, 0};

INSTANTIATE_TEST_SUITE_P(
    Texts, FontMeasure,
    ::testing::Values(MeasureCase{L"", 0.0f, 19.0f}, MeasureCase{L"A", 13.0f, 19.0f},
                      MeasureCase{L"AV", 13.0f + 4.0f - 2.0f + 9.0f, 19.0f},
                      MeasureCase{L"VA", 9.0f + 4.0f + 13.0f, 19.0f},
                      MeasureCase{kSmileyText, 13.0f + 4.0f + 18.0f, 19.0f},
                      // An unknown character is measured as a space.
                      MeasureCase{L"AZ", 13.0f + 4.0f + 4.0f, 19.0f},
                      MeasureCase{L"A\r\nV", 13.0f, 2 * 19.0f + 5.0f},
                      MeasureCase{L"V\n\rV", 9.0f, 3 * 19.0f + 2 * 5.0f},
                      // The pair A + line feed counts on the first line.
                      MeasureCase{L"A\nVV", 9.0f + 4.0f + 9.0f, 2 * 19.0f + 5.0f},
                      MeasureCase{L"AA\n", 13.0f + 4.0f + 5.0f + 13.0f, 2 * 19.0f + 5.0f}));

TEST_F(FontTest, PropertiesOfAnotherTypeBecomeZeroAndDefaultsAreNotSaved) {
    CFont* font = new CBitmapFont(CCreationContext());
    CRefPtr<CPropertySet> saved = makeRef<CPropertySet>();
    font->saveProperties(saved.get());
    EXPECT_EQ(saved->getPropertyCount(), 0u);

    CRefPtr<CPropertySet> good = makeRef<CPropertySet>();
    good->addVector2d("GlobalKerning", vector2df(1.0f, 2.0f));
    good->addFloat("OriginalSize", 20.0f);
    font->loadProperties(good.get());
    EXPECT_EQ(font->GlobalKerning, vector2df(1.0f, 2.0f));
    EXPECT_EQ(font->OriginalSize, 20.0f);
    font->saveProperties(saved.get());
    ASSERT_EQ(saved->getPropertyCount(), 2u);
    EXPECT_EQ(unboxPropertyVector2d(saved->getProperty("GlobalKerning").get()), vector2df(1.0f, 2.0f));
    EXPECT_EQ(saved->getFloat("OriginalSize"), 20.0f);

    CRefPtr<CPropertySet> absent = makeRef<CPropertySet>();
    font->loadProperties(absent.get());
    EXPECT_EQ(font->OriginalSize, 20.0f);

    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>();
    wrong->addInt("OriginalSize", 16);
    wrong->addFloat("GlobalKerning", 5.0f);
    font->loadProperties(wrong.get());
    EXPECT_EQ(font->OriginalSize, 0.0f);
    EXPECT_EQ(font->GlobalKerning, vector2df(0.0f, 0.0f));
    font->drop();
}

TEST_F(FontTest, PropertiesInTheFileApply) {
    CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
    properties->addFloat("OriginalSize", 28.0f);
    auto font = standardFont(properties.get());
    ASSERT_TRUE(font);
    EXPECT_EQ(font->OriginalSize, 28.0f);
}

TEST_F(FontTest, WithoutASpaceUnknownCharactersUseGlyphZero) {
    const std::string file = writeFont("nospace.ofnt", {}, {{L"x", "0,0,5,5", nullptr, nullptr, nullptr},
                                                           {L"y", "0,0,7,9", nullptr, nullptr, nullptr}},
                                       {});
    auto font = loadFont(file);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->getDefaultGlyph(), 0);
    EXPECT_EQ(font->getGlyphIndex(L'?'), 0);
    EXPECT_EQ(font->getPageCount(), 0u);
    vector2df size;
    font->getTextDimension(size, L"?y", vector2df());
    EXPECT_EQ(size, vector2df(12.0f, 9.0f));
}

TEST_F(FontTest, AFontWithoutGlyphsMeasuresEmpty) {
    const std::string file = writeFont("empty.ofnt", {}, {}, {{L"ab", "3"}});
    auto font = loadFont(file);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->getGlyphCount(), 0u);
    EXPECT_EQ(font->getGlyph(font->getGlyphIndex(L'a')), nullptr);
    vector2df size(7.0f, 7.0f);
    font->getGlyphRect(size, L'a', false);
    EXPECT_EQ(size, vector2df(0.0f, 0.0f));
    size.set(7.0f, 7.0f);
    font->getTextDimension(size, L"ab\ncd", vector2df(2.0f, 2.0f));
    EXPECT_EQ(size, vector2df(0.0f, 0.0f));
    EXPECT_EQ(font->getLineHeight(), 0.0f);
}

TEST_F(FontTest, FilesWithoutABitmapFontGiveNothing) {
    const std::string other = writeFont("other.ofnt", {}, {{L"x", "0,0,5,5", nullptr, nullptr, nullptr}}, {},
                                        nullptr, L"TrueType");
    LogCapture log;
    EXPECT_FALSE(loadFont(other));
    EXPECT_TRUE(log.contains("Loaded font"));
    const std::string none = writeXml("none.ofnt", [](CXmlWriter& w) { w.writeElement(L"Nothing", true); });
    EXPECT_FALSE(loadFont(none));
    EXPECT_FALSE(manager->saveContent(TypeCodeFont, nullptr, path("out.ofnt").c_str(), nullptr));
}

}  // namespace
