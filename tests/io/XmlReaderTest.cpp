#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/io/CXmlReader.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A document touching every node kind (the tab-indented lines give white-space text nodes) and characters of one, two, three and four UTF-8 bytes.
const std::wstring kDocument =
    L"<?xml version=\"1.0\"?>\r\n"
    L"<!-- note -->\r\n"
    L"<root a=\"x\u00e9\" b='\u20ac'>\r\n"
    L"\t<item v=\"\U0001F600\"/>\r\n"
    L"\t<t>caf\u00e9 &amp; \U0001D11E</t>\r\n"
    L"\t<![CDATA[<raw> & stuff]]>\r\n"
    L"</root>\r\n";

const std::wstring kDocumentNodes =
    L"?|C: note |<root a=x\u00e9 b=\u20ac>|T:\r\n\t|<item v=\U0001F600/>|T:\r\n\t|<t>|"
    L"T:caf\u00e9 & \U0001D11E|</t>|T:\r\n\t|D:<raw> & stuff|</root>|";

TEST(XmlReaderEncodings, EveryMarkedEncodingReadsTheSameNodes) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"utf-8 with mark", encodeUtf8(kDocument, true)},
        {"utf-16 le", encodeUtf16(kDocument, false)},
        {"utf-16 be", encodeUtf16(kDocument, true)},
        {"utf-32 le", encodeUtf32(kDocument, false)},
        {"utf-32 be", encodeUtf32(kDocument, true)},
    };
    for (const auto& c : cases) EXPECT_EQ(dumpBytes(c.bytes), kDocumentNodes) << c.name;
}

TEST(XmlReaderEncodings, UnmarkedTextIsLatin1) {
    // UTF-8 without a mark is not decoded: every byte is one character.
    EXPECT_EQ(dumpBytes("<a>\xC3\xA9</a>"), L"<a>|T:\u00c3\u00a9|</a>|");
    EXPECT_EQ(dumpBytes("<a n='\xFF'/>"), L"<a n=\u00ff/>|");
}

TEST(XmlReaderEncodings, BrokenUtf16AndUtf32BecomeReplacementCharacters) {
    auto utf16 = [](std::initializer_list<u32> units) {
        std::string out = "\xFF\xFE";
        for (u32 u : units) putUnit16(out, u, false);
        return out;
    };
    // Lone high surrogate before markup, lone low surrogate, reversed pair.
    EXPECT_EQ(dumpBytes(utf16({'<', 'a', '>', 0xD800, '<', '/', 'a', '>'})), L"<a>|T:\ufffd|</a>|");
    EXPECT_EQ(dumpBytes(utf16({'<', 'a', '>', 0xDC00, 0xD83D, '<', '/', 'a', '>'})), L"<a>|T:\ufffd\ufffd|</a>|");
    // A surrogate as the very last unit, and an odd byte at the end.
    EXPECT_EQ(dumpBytes(utf16({'<', 'a', '/', '>', 'x', 'y', 0xD83D}) + "Z"), L"<a/>|");
    // UTF-32 beyond the code space.
    std::string utf32 = encodeUtf32(L"<a>", false);
    utf32 += std::string("\x00\x00\x11\x00", 4);
    utf32 += encodeUtf32(L"</a>", false).substr(4);
    EXPECT_EQ(dumpBytes(utf32), L"<a>|T:\ufffd|</a>|");
}

TEST(XmlReaderEncodings, DamagedUtf8NeverSwallowsMarkupOrTheEnd) {
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        std::wstring nodes;
    } cases[] = {
        // A lead byte whose sequence is cut by markup: the '<' still counts.
        {mark + "<a>x\xE2\x82</a>", L"<a>|T:x\ufffd|</a>|"},
        {mark + "<a>\xF0</a>", L"<a>|T:\ufffd|</a>|"},
        // A stray continuation byte is skipped; F8 to FF give one replacement character.
        {mark + "<a>\x80x\xF8</a>", L"<a>|T:x\ufffd|</a>|"},
        // An overlong '<' and an overlong zero do not become markup or end the text.
        {mark + "<a>\xC0\xBC\xC0\x80y</a>", L"<a>|T:\ufffd\ufffdy|</a>|"},
        // Encoded surrogates are refused.
        {mark + "<a>\xED\xA0\x80</a>", L"<a>|T:\ufffd|</a>|"},
        // A lead byte as the last byte of the file.
        {mark + "<a/>xyz\xF0", L"<a/>|"},
    };
    for (const auto& c : cases) EXPECT_EQ(dumpBytes(c.bytes), c.nodes) << c.bytes;
}

TEST(XmlReaderEncodings, TextEndsAtTheFirstZero) {
    EXPECT_EQ(dumpBytes(std::string("<a/><b/>\0<c/>", 13)), L"<a/>|<b/>|");
    std::string utf16 = encodeUtf16(L"<a/>", false);
    utf16 += std::string("\0\0", 2) + encodeUtf16(L"<b/>", false).substr(2);
    EXPECT_EQ(dumpBytes(utf16), L"<a/>|");
}

TEST(XmlReaderNodes, ElementsTextAndWhiteSpace) {
    const struct {
        const char* xml;
        std::wstring nodes;
    } cases[] = {
        {"<a>b</a>", L"<a>|T:b|</a>|"},
        {"<a> </a>", L"<a>|</a>|"},
        {"<a>\r\n</a>", L"<a>|</a>|"},
        {"<a>   </a>", L"<a>|T:   |</a>|"},
        {"<a>\r\n\t</a>", L"<a>|T:\r\n\t|</a>|"},
        {"<a>xy</a>", L"<a>|T:xy|</a>|"},
        {"<a x='1' y=\"2\"/>", L"<a x=1 y=2/>|"},
        {"<br/>", L"<br/>|"},
        {"<a  x = \"1\"  >", L"<a x=1>|"},
        {"<a x='say \"hi\"' y=\"it's\">", L"<a x=say \"hi\" y=it's>|"},
        {"</a b >", L"</a b >|"},
        {"<a/ >", L"<a/>|"},
        {"<!-- a -->", L"C: a |"},
        {"<!-- a <b> c -->", L"C: a <b> c |"},
        {"<!-->", L"C:|"},
        {"<!---->", L"C:|"},
        {"<![CDATA[]]>", L"D:|"},
        {"<![CDATA[a]]b]]>", L"D:a]]b|"},
        {"<?pi x?><a/>", L"?|<a/>|"},
        // Text after the last tag is never a node; text before the first tag is.
        {"lead<a/>trail", L"T:lead|<a/>|"},
        {"no markup at all", L""},
        {"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(dumpBytes(c.xml), c.nodes) << c.xml;
}

TEST(XmlReaderNodes, TrailingLineBreakEndsTheInputAfterTheRootEndTag) {
    CRefPtr<CXmlReader> reader = readerOf("<root>\r\n\t<a/>\r\n</root>\r\n");
    EXPECT_EQ(dumpNodes(*reader), L"<root>|T:\r\n\t|<a/>|</root>|");
    EXPECT_FALSE(reader->read());
    EXPECT_EQ(reader->getNodeType(), XmlNodeElementEnd);
}

TEST(XmlReaderNodes, ElementNodeStateIsReset) {
    CRefPtr<CXmlReader> reader = readerOf("<a x='1'/><b>t</b>");
    EXPECT_EQ(reader->getNodeType(), XmlNodeNone);
    EXPECT_TRUE(reader->getNodeName().empty());
    ASSERT_TRUE(reader->read());
    EXPECT_TRUE(reader->isEmptyElement());
    EXPECT_EQ(reader->getAttributeCount(), 1u);
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(wide(reader->getNodeName()), L"b");
    EXPECT_FALSE(reader->isEmptyElement());
    EXPECT_EQ(reader->getAttributeCount(), 0u);
    EXPECT_TRUE(reader->getAttributeValue(L"x").empty());
    ASSERT_TRUE(reader->read());
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(reader->getNodeType(), XmlNodeElementEnd);
    EXPECT_EQ(reader->getAttributeCount(), 0u);
}

TEST(XmlReaderEntities, DecodesTheFixedListOnce) {
    const struct {
        const char* xml;
        std::wstring text;
    } cases[] = {
        {"<a>&amp;lt;</a>", L"&lt;"},
        {"<a>&lt;&gt;&quot;&apos;&amp;</a>", L"<>\"'&"},
        {"<a>x&#xD;&#xA;y</a>", L"x\r\ny"},
        {"<a>&#65;&#xd;</a>", L"&#65;&#xd;"},
        {"<a>&unknown; &amp</a>", L"&unknown; &amp"},
        {"<a>a&</a>", L"a&"},
        {"<a>&&amp;</a>", L"&&"},
        {"<a>&lt</a>", L"&lt"},
    };
    for (const auto& c : cases) {
        CRefPtr<CXmlReader> reader = readerOf(c.xml);
        ASSERT_TRUE(reader->read());
        ASSERT_TRUE(reader->read()) << c.xml;
        EXPECT_EQ(reader->getNodeType(), XmlNodeText);
        EXPECT_EQ(wide(reader->getNodeData()), c.text) << c.xml;
    }
    // Attribute values are decoded too; names, comments and CDATA are not.
    EXPECT_EQ(dumpBytes("<a v='&lt;&#xA;'><!--&amp;--><![CDATA[&amp;]]>"), L"<a v=<\n>|C:&amp;|D:&amp;|");
}

TEST(XmlReaderEntities, AddedEntriesAreSharedByAllReaders) {
    CRefPtr<CXmlReader> first = readerOf("<a/>");
    const u32 before = first->getSpecialCharacters().size();
    EXPECT_EQ(before, 7u);
    {
        LogCapture log;
        first->addSpecialCharacter(stringw(L"x"));
        EXPECT_TRUE(log.contains("XML entity entry needs a character and a name", LogWarning));
    }
    first->addSpecialCharacter(stringw(L"\u00a9oskelcopy;"));
    EXPECT_EQ(first->getSpecialCharacters().size(), before + 1);
    CRefPtr<CXmlReader> second = readerOf("<a t='&oskelcopy; 2024'/>");
    ASSERT_TRUE(second->read());
    EXPECT_EQ(wide(second->getAttributeValue(L"t")), L"\u00a9 2024");
}

TEST(XmlReaderAttributes, LookupByNameAndIndex) {
    CRefPtr<CXmlReader> reader = readerOf("<a Name='1' name='2' name='3' ='4'/>");
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(reader->getAttributeCount(), 4u);
    EXPECT_EQ(wide(reader->getAttributeValue(L"name")), L"2");  // first match, case-sensitive
    EXPECT_EQ(wide(reader->getAttributeValue(L"Name")), L"1");
    EXPECT_TRUE(reader->getAttributeValue(L"").empty());  // an empty name never matches
    EXPECT_TRUE(reader->getAttributeValue(static_cast<const wchar_t*>(nullptr)).empty());
    EXPECT_TRUE(reader->getAttributeValue(L"nam").empty());
    EXPECT_EQ(wide(reader->getAttributeValue(3)), L"4");
    EXPECT_TRUE(reader->getAttributeValue(4).empty());
    EXPECT_TRUE(reader->getAttributeName(-1).empty());
    EXPECT_TRUE(reader->getAttributeName(4).empty());
}

TEST(XmlReaderAttributes, IntegersAreExactAndSaturate) {
    const struct {
        const wchar_t* text;
        s32 value;
    } cases[] = {
        {L"0", 0},
        {L"42", 42},
        {L"2.9", 2},
        {L"-2.9", -2},
        {L"16777217", 16777217},
        {L"-16777217", -16777217},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN},
        {L"1e3", 1000},
        {L"1.5E1", 15},
        {L"25e-1", 2},
        {L"-7.99e0", -7},
        {L"1e99999", INT_MAX},
        {L"0e2147483647", 0},
        {L"00000000000000000000012", 12},
        {L"12abc", 12},
        {L".5", 0},
        {L"abc", 0},
        {L"+5", 0},
        {L"", 0},
        {L"-", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CXmlReader::parseInt(c.text), c.value) << c.text;

    CRefPtr<CXmlReader> reader = readerOf("<a i='16777217' f='-2.9' x='1.25e2'/>");
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(reader->getAttributeValueAsInt(L"i", 5), 16777217);
    EXPECT_EQ(reader->getAttributeValueAsInt(L"f", 5), -2);
    EXPECT_EQ(reader->getAttributeValueAsInt(L"missing", 5), 5);
    EXPECT_EQ(reader->getAttributeValueAsInt(0, 5), 16777217);
    EXPECT_EQ(reader->getAttributeValueAsInt(3, 5), 5);
    EXPECT_FLOAT_EQ(reader->getAttributeValueAsFloat(L"x", 1.0f), 125.0f);
    EXPECT_FLOAT_EQ(reader->getAttributeValueAsFloat(1, 1.0f), -2.9f);
    EXPECT_FLOAT_EQ(reader->getAttributeValueAsFloat(L"missing", 1.5f), 1.5f);
    EXPECT_FLOAT_EQ(reader->getAttributeValueAsFloat(-1, 1.5f), 1.5f);
}

TEST(XmlReaderDamage, TruncatedMarkupEndsTheInputWithAWarning) {
    const struct {
        const char* xml;
        std::wstring nodes;
        const char* message;
    } cases[] = {
        {"<a/><", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b x", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b x=", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b x='1", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b x='1'", L"<a/>|", "XML text ends inside a tag"},
        {"<a/><b x='1'/", L"<a/>|", "XML text ends inside a tag"},
        {"<a/></b", L"<a/>|", "XML text ends inside an end tag"},
        {"<a/><?xml", L"<a/>|", "XML text ends inside a declaration"},
        {"<a/><!", L"<a/>|", "XML text ends inside a comment"},
        {"<a/><!-- x", L"<a/>|", "XML text ends inside a comment"},
        {"<a/><![", L"<a/>|", "XML text ends inside a CDATA section"},
        {"<a/><![CDATA", L"<a/>|", "XML text ends inside a CDATA section"},
        {"<a/><![CDATA[x]]", L"<a/>|", "XML text ends inside a CDATA section"},
    };
    for (const auto& c : cases) {
        LogCapture log;
        CRefPtr<CXmlReader> reader = readerOf(c.xml);
        EXPECT_EQ(dumpNodes(*reader), c.nodes) << c.xml;
        EXPECT_FALSE(reader->read()) << c.xml;
        EXPECT_TRUE(log.contains(c.message, LogWarning)) << c.xml;
    }
}

// The reader's truncation state after reading the whole text, and the error lines it logged.
struct STruncation {
    bool truncated;
    std::vector<std::string> hints;  // of the "ends inside an open element" lines at error level
};

STruncation readToTheEnd(const std::string& bytes) {
    LogCapture log;
    CRefPtr<CXmlReader> reader = readerOf(bytes);
    while (reader->read()) EXPECT_FALSE(reader->isTruncated());
    EXPECT_FALSE(reader->read());  // asking again logs nothing more
    STruncation result{reader->isTruncated(), {}};
    for (const LogCapture::Line& line : log.lines())
        if (line.text == "XML text ends inside an open element") {
            EXPECT_EQ(line.level, LogError);
            result.hints.push_back(line.hint);
        }
    return result;
}

TEST(XmlReaderDamage, TextEndingInsideAnOpenElementIsTruncated) {
    const struct {
        const char* xml;
        const char* element;  // the open element named in the log, or null when complete
    } cases[] = {
        // Cut between two tags: every node read is whole, yet the document is not.
        {"<Profiles><Player n='1'/><Player n='2'/>", "Profiles"},
        {"<Profiles><Player n='1'/><Player n='2'/>\r\n\t", "Profiles"},
        {"<a><b><c/>", "b"},
        {"<a><b></b>", "a"},
        {"<a>text", "a"},
        // Cut inside markup that belongs to an open element, or inside a start tag.
        {"<a><b x='1", "b"},
        {"<a><b", "b"},
        {"<a><b/", "b"},
        {"<a></a", "a"},
        {"<a><!-- x", "a"},
        {"<a><![CDATA[x", "a"},
        {"<a><", "a"},
        {"<root x='1'", "root"},
        // Complete documents, whatever follows the root.
        {"<a><b/></a>", nullptr},
        {"<a></a>\r\n", nullptr},
        {"<?xml version='1.0'?><a/><!-- done -->", nullptr},
        {"<a/>trail", nullptr},
        {"<a/><!-- cut", nullptr},
        {"<a/></b", nullptr},
        {"no markup", nullptr},
        {"", nullptr},
        // End tags are not matched by name: one end tag closes the innermost element.
        {"<a><b></a>", "a"},
        {"<a></b>", nullptr},
        {"</x><a/>", nullptr},
    };
    for (const auto& c : cases) {
        const STruncation result = readToTheEnd(c.xml);
        EXPECT_EQ(result.truncated, c.element != nullptr) << c.xml;
        if (c.element) {
            EXPECT_EQ(result.hints, std::vector<std::string>{std::string("test.xml: ") + c.element}) << c.xml;
        } else {
            EXPECT_TRUE(result.hints.empty()) << c.xml;
        }
    }
}

TEST(XmlReaderDamage, TruncationIsFoundInEveryEncodingAndNamesTheElementInUtf8) {
    const std::wstring cut = L"<Jeu>\r\n\t<\u00c9quipe nom='\u20ac'>\r\n\t\t<Joueur n='1'/>\r\n";
    const std::wstring whole = cut + L"\t</\u00c9quipe>\r\n</Jeu>\r\n";
    std::string latin1Cut, latin1Whole;
    for (wchar_t ch : cut) latin1Cut += static_cast<char>(ch < 0x100 ? ch : '?');
    for (wchar_t ch : whole) latin1Whole += static_cast<char>(ch < 0x100 ? ch : '?');
    const struct {
        const char* name;
        std::string cut;
        std::string whole;
    } cases[] = {
        {"utf-8", encodeUtf8(cut, true), encodeUtf8(whole, true)},
        {"utf-16 le", encodeUtf16(cut, false), encodeUtf16(whole, false)},
        {"utf-16 be", encodeUtf16(cut, true), encodeUtf16(whole, true)},
        {"utf-32 le", encodeUtf32(cut, false), encodeUtf32(whole, false)},
        {"utf-32 be", encodeUtf32(cut, true), encodeUtf32(whole, true)},
        {"latin-1", latin1Cut, latin1Whole},
    };
    for (const auto& c : cases) {
        const STruncation truncated = readToTheEnd(c.cut);
        EXPECT_TRUE(truncated.truncated) << c.name;
        EXPECT_EQ(truncated.hints, std::vector<std::string>{"test.xml: \xC3\x89quipe"}) << c.name;
        const STruncation complete = readToTheEnd(c.whole);
        EXPECT_FALSE(complete.truncated) << c.name;
        EXPECT_TRUE(complete.hints.empty()) << c.name;
    }
    // A cut in the middle of a long name quotes its first characters only, whole.
    const std::wstring longName(200, L'\u00e9');
    const STruncation result = readToTheEnd(encodeUtf8(L"<a><" + longName, true));
    ASSERT_EQ(result.hints.size(), 1u);
    EXPECT_EQ(result.hints[0], "test.xml: " + encodeUtf8(longName.substr(0, 60), false));
}

// A file whose size and reads are under the test's control.
class FakeFile : public IReadableFile {
public:
    FakeFile(s32 size, s32 available) : m_size(size), m_available(available) {}
    s32 read(void* buffer, u32 byteCount) override {
        const u32 n = std::min<u32>(byteCount, static_cast<u32>(m_available - m_pos));
        std::memset(buffer, 'x', n);
        m_pos += static_cast<s32>(n);
        return static_cast<s32>(n);
    }
    bool seek(long, bool) override { return false; }
    s32 getSize() const override { return m_size; }
    s32 getPos() const override { return m_pos; }
    const stringc& getFileName() const override { return m_name; }

private:
    s32 m_size;
    s32 m_available;
    s32 m_pos = 0;
    stringc m_name = "fake.xml";
};

TEST(XmlReaderDamage, UnusableFilesGiveAnEmptyReader) {
    {
        LogCapture log;
        CXmlReader reader(nullptr);
        EXPECT_FALSE(reader.read());
        EXPECT_TRUE(log.contains("XML reader was given no file", LogWarning));
    }
    {
        LogCapture log;
        CRefPtr<CXmlReader> reader = readerOf("");
        EXPECT_FALSE(reader->read());
        EXPECT_TRUE(log.contains("XML file is empty", LogWarning));
    }
    {
        // A size far beyond the data is refused before anything is allocated.
        LogCapture log;
        CRefPtr<FakeFile> file = makeRef<FakeFile>(0x7FFFFFFF, 10);
        CXmlReader reader(file.get());
        EXPECT_FALSE(reader.read());
        EXPECT_TRUE(log.contains("XML file is too large", LogError));
    }
    {
        // A file that delivers less than its size.
        LogCapture log;
        CRefPtr<FakeFile> file = makeRef<FakeFile>(100, 10);
        CXmlReader reader(file.get());
        EXPECT_FALSE(reader.read());
        EXPECT_EQ(reader.getTextLength(), 0u);
        EXPECT_TRUE(log.contains("Failed to read XML file", LogError));
    }
    {
        // Only the bytes from the file's position on are text.
        CRefPtr<CMemoryFile> file = memoryFile("<skip/><b/>");
        ASSERT_TRUE(file->seek(7));
        CXmlReader reader(file.get());
        EXPECT_EQ(dumpNodes(reader), L"<b/>|");
    }
}

TEST(XmlReaderDamage, AMarkWithoutTextIsEmpty) {
    const std::string marks[] = {std::string("\xFF\xFE", 2), std::string("\xFE\xFF", 2),
                                 std::string("\xEF\xBB\xBF", 3), std::string("\xFF\xFE\x00\x00", 4),
                                 std::string("\x00\x00\xFE\xFF", 4), std::string("\xFF\xFE<", 3)};
    for (const std::string& mark : marks) {
        CRefPtr<CXmlReader> reader = readerOf(mark);
        EXPECT_FALSE(reader->read());
        EXPECT_EQ(reader->getTextLength(), 0u);
    }
}

}  // namespace
