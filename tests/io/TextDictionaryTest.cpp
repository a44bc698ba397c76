#include <string>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlWriter.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

class TextDictionaryTest : public ::testing::Test {
protected:
    bool loadText(const std::string& bytes) {
        CRefPtr<CMemoryFile> file = memoryFile(bytes, "strings/Dictionary.xml");
        return dictionary->load(file.get());
    }
    std::wstring text(const char* key) const { return wide(dictionary->getText(key)); }

    CRefPtr<CTextDictionary> dictionary = makeRef<CTextDictionary>();
};

TEST_F(TextDictionaryTest, TranslateReplacesKeysBetweenPercentSigns) {
    ASSERT_TRUE(loadText("<Dictionary><s n=\"Title\">Brasquel</s><s n=\"Name\">Ann</s>"
                         "<s n=\"Pct\">5%</s></Dictionary>"));
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L""},
        {L"%", L"%"},
        {L"%%", L"%"},
        {L"100%", L"100%"},
        {L"50%% off", L"50% off"},
        {L"%Title%: %Name%", L"Brasquel: Ann"},
        {L"%Title%%Name%", L"BrasquelAnn"},
        {L"%Missing% x", L"%Missing% x"},
        {L"%\u041a\u043b\u044e\u0447%", L"%\u041a\u043b\u044e\u0447%"},
        {L"%Pct% more", L"5% more"},  // replaced text is not translated again
        // A '%' without a closing one keeps the rest of the text.
        {L"a %b", L"a %b"},
        {L"50% off", L"50% off"},
        {L"%Title% and 10% off", L"Brasquel and 10% off"},
    };
    for (const auto& c : cases) EXPECT_EQ(wide(dictionary->translate(c.in)), c.out) << c.in;
}

TEST_F(TextDictionaryTest, GetTextWithParamsReplacesTheFirstFourMarkers) {
    ASSERT_TRUE(loadText("<texts><phrase tag=\"Five\" text=\"#p-#p-#p-#p-#p\"/>"
                         "<phrase tag=\"Money\" text=\"$#p\"/><phrase tag=\"Plain\" text=\"#x#\"/></texts>"));
    EXPECT_EQ(wide(dictionary->getTextWithParams("Five", L"1", L"2", L"3", L"4")), L"1-2-3-4-#p");
    EXPECT_EQ(wide(dictionary->getTextWithParams("Money", L"1,000", L"", L"", L"")), L"$1,000");
    EXPECT_EQ(wide(dictionary->getTextWithParams("Plain", L"1", L"", L"", L"")), L"#x#");
    EXPECT_EQ(wide(dictionary->getTextWithParams("Nope", L"1", L"", L"", L"")), L"%Nope%");
}

TEST_F(TextDictionaryTest, FirstFormEntries) {
    ASSERT_TRUE(loadText("<?xml version=\"1.0\"?>\r\n<Dictionary>\r\n"
                         "  <s n=\"Twice\">old</s>\r\n"
                         "  <s n=\"Twice\">new</s>\r\n"
                         "  <s n=\"Empty\"></s>\r\n"
                         "  <s n=\"Closed\"/>\r\n"
                         "  <s>orphan</s>\r\n"
                         "  <s n=\"Spaced\">  two  words &amp; more&#xA;</s>\r\n"
                         "  <s n=\"Data\"><![CDATA[<b>bold</b>]]></s>\r\n"
                         "  <!-- <s n=\"Commented\">no</s> -->\r\n"
                         "</Dictionary>\r\n"));
    EXPECT_EQ(text("Twice"), L"new");
    EXPECT_EQ(text("Empty"), L"");
    EXPECT_TRUE(dictionary->hasKey("Empty"));
    // An empty-element entry is empty: it does not take the white space or text after it.
    EXPECT_EQ(text("Closed"), L"");
    EXPECT_EQ(text("Spaced"), L"  two  words & more\n");
    EXPECT_EQ(text("Data"), L"<b>bold</b>");
    EXPECT_FALSE(dictionary->hasKey("Commented"));
    EXPECT_FALSE(dictionary->hasKey(""));
    EXPECT_EQ(dictionary->getEntryCount(), 5u);
}

TEST_F(TextDictionaryTest, SecondFormAndSeveralRoots) {
    ASSERT_TRUE(loadText("<texts><phrase tag=\"a\" text=\"A\"/><phrase tag=\"\" text=\"none\"/>"
                         "<phrase text=\"also none\"/></texts>"
                         "<Other><s n=\"ignored\">x</s><phrase tag=\"ignored2\" text=\"y\"/></Other>"
                         "<Dictionary><s n=\"b\">B</s></Dictionary>"));
    EXPECT_EQ(text("a"), L"A");
    EXPECT_EQ(text("b"), L"B");
    EXPECT_EQ(text(""), L"also none");  // an empty tag is a key of its own here
    EXPECT_FALSE(dictionary->hasKey("ignored"));
    EXPECT_FALSE(dictionary->hasKey("ignored2"));
    EXPECT_EQ(dictionary->getEntryCount(), 3u);
}

TEST_F(TextDictionaryTest, OtherRootsLoadNothing) {
    EXPECT_TRUE(loadText("<Strings><s n=\"a\">A</s></Strings>"));
    EXPECT_TRUE(loadText("<Dictionary/>"));
    EXPECT_EQ(dictionary->getEntryCount(), 0u);
}

TEST_F(TextDictionaryTest, WideKeysAndTextsFromAUtf16File) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("dict.xml");
    {
        CXmlWriter writer(file.get());
        writer.writeXMLHeader();
        writer.writeElement(L"Dictionary");
        writer.writeLineBreak();
        writer.writeElement(L"s", false, L"n", L"Caf\u00e9");
        writer.writeText(L"\u041a\u043e\u0444\u0435 \U0001F375\r\nline");
        writer.writeClosingTag(L"s");
        writer.writeLineBreak();
        writer.writeClosingTag(L"Dictionary");
        writer.writeLineBreak();
    }
    file->seek(0);
    ASSERT_TRUE(dictionary->load(file.get()));
    // Keys keep the low byte of each character.
    EXPECT_EQ(text("Caf\xE9"), L"\u041a\u043e\u0444\u0435 \U0001F375\r\nline");
    EXPECT_EQ(wide(dictionary->translate(L"[%Caf\u00e9%]")), L"[\u041a\u043e\u0444\u0435 \U0001F375\r\nline]");
}

TEST_F(TextDictionaryTest, FailuresLeaveWhatWasLoaded) {
    ASSERT_TRUE(loadText("<Dictionary><s n=\"keep\">K</s></Dictionary>"));
    {
        LogCapture log;
        EXPECT_FALSE(dictionary->load(static_cast<IReadableFile*>(nullptr)));
        EXPECT_FALSE(dictionary->load(static_cast<CXmlReader*>(nullptr)));
        EXPECT_TRUE(log.contains("Dictionary file could not be opened", LogError));
    }
    {
        LogCapture log;
        EXPECT_FALSE(loadText("<Dictionary><s n=\"first\">F</s><s n=\"cut\">te"));
        EXPECT_TRUE(log.contains("Dictionary file ends before the end of its root", LogError));
    }
    EXPECT_EQ(text("keep"), L"K");
    EXPECT_EQ(text("first"), L"F");
    EXPECT_FALSE(dictionary->hasKey("cut"));
    dictionary->clear();
    EXPECT_EQ(dictionary->getEntryCount(), 0u);
    EXPECT_EQ(text("keep"), L"%keep%");
}

}  // namespace
