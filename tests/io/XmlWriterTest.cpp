#include <string>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A writer over a growable memory file, and the written bytes.
struct WrittenXml {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("out.xml", 64);
    CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(file.get());

    std::string bytes() const {
        std::string out(static_cast<size_t>(file->getSize()), '\0');
        file->seek(0);
        file->read(&out[0], static_cast<u32>(out.size()));
        return out;
    }
    // The UTF-16LE units after the byte-order mark, one wide character each.
    std::wstring text() const {
        const std::string b = bytes();
        std::wstring out;
        for (size_t i = 2; i + 1 < b.size(); i += 2)
            out += static_cast<wchar_t>(static_cast<u8>(b[i]) | (static_cast<u8>(b[i + 1]) << 8));
        return out;
    }
    CRefPtr<CXmlReader> reader() {
        file->seek(0);
        return makeRef<CXmlReader>(file.get());
    }
};

TEST(XmlWriter, WritesTheEngineLayout) {
    WrittenXml out;
    CXmlWriter& w = *out.writer;
    w.writeXMLHeader();
    w.writeElement(L"Root", false, L"Version", L"2");
    w.writeLineBreak();
    w.writeElement(L"Item", true, L"a", L"1", nullptr, L"skipped", L"b", nullptr, L"c", L"");
    w.writeLineBreak();
    w.writeElement(L"Group");
    w.writeLineBreak();
    w.writeElement(L"Text");
    w.writeText(L"hello");
    w.writeClosingTag(L"Text");
    w.writeLineBreak();
    w.writeClosingTag(L"Group");
    w.writeLineBreak();
    w.writeComment(L"done");
    w.writeClosingTag(L"Root");
    w.writeLineBreak();

    const std::string bytes = out.bytes();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    EXPECT_EQ(out.text(),
              L"<?xml version=\"1.0\"?>\r\n"
              L"<Root Version=\"2\">\r\n"
              L"\t<Item a=\"1\" c=\"\" />\r\n"
              L"\t<Group>\r\n"
              L"\t\t<Text>hello</Text>\r\n"
              L"\t</Group>\r\n"
              L"<!--done--></Root>\r\n");
    EXPECT_EQ(w.getDepth(), 0u);
    EXPECT_TRUE(w.isGood());
}

TEST(XmlWriter, ArrayAttributesPairUpToTheShorterArray) {
    WrittenXml out;
    array<stringw> names, values;
    names.push_back(L"x");
    names.push_back(L"");
    names.push_back(L"z");
    values.push_back(L"1");
    values.push_back(L"2");
    out.writer->writeXMLHeader();
    out.writer->writeElement(L"a", true, names, values);
    EXPECT_EQ(out.text(), L"<?xml version=\"1.0\"?>\r\n<a x=\"1\" />");
}

TEST(XmlWriter, ExtraClosingTagsKeepTheDepthAtZero) {
    WrittenXml out;
    LogCapture log;
    out.writer->writeXMLHeader();
    out.writer->writeElement(L"a");
    out.writer->writeClosingTag(L"a");
    out.writer->writeClosingTag(L"b");
    out.writer->writeClosingTag(L"c");
    out.writer->writeElement(L"d", true);
    EXPECT_EQ(out.text(), L"<?xml version=\"1.0\"?>\r\n<a></a></b></c><d />");
    EXPECT_EQ(out.writer->getDepth(), 0u);
    EXPECT_TRUE(log.contains("XML closing tag without an open element", LogWarning));
}

TEST(XmlWriter, NullFileWritesNothing) {
    CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(nullptr);
    writer->writeXMLHeader();
    writer->writeElement(L"a", false, L"x", L"1");
    writer->writeText(L"t");
    writer->writeComment(L"c");
    writer->writeClosingTag(L"a");
    writer->writeLineBreak();
    EXPECT_EQ(writer->getDepth(), 0u);
}

TEST(XmlWriter, ShortWritesAreReported) {
    u8 buffer[16];
    CRefPtr<CMemoryFile> file = makeRef<CMemoryFile>(buffer, sizeof buffer, "small", false);
    LogCapture log;
    CXmlWriter writer(file.get());
    writer.writeXMLHeader();
    EXPECT_FALSE(writer.isGood());
    EXPECT_TRUE(log.contains("Failed to write XML file", LogError));
}

TEST(XmlWriterRoundTrip, EscapedTextAndAttributesReadBackUnchanged) {
    const std::wstring tricky = L"it's \"quoted\" <&> a\r\nb\tc \u00e9\u20ac \U0001F600\U0010FFFF";
    WrittenXml out;
    out.writer->writeXMLHeader();
    out.writer->writeElement(L"Root", false, L"v", tricky.c_str());
    out.writer->writeText(tricky.c_str());
    out.writer->writeClosingTag(L"Root");
    out.writer->writeLineBreak();

    CRefPtr<CXmlReader> reader = out.reader();
    EXPECT_EQ(dumpNodes(*reader), L"?|<Root v=" + tricky + L">|T:" + tricky + L"|</Root>|");
}

TEST(XmlWriterRoundTrip, CodePointsAboveTheBasicPlaneBecomeSurrogatePairs) {
    WrittenXml out;
    out.writer->writeText(L"\U0001F600");
    const std::string bytes = out.bytes();
    EXPECT_EQ(bytes, std::string("\x3D\xD8\x00\xDE", 4));
    // Values that are no code points are written as the replacement character.
    WrittenXml bad;
    const wchar_t invalid[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
    bad.writer->writeText(invalid);
    EXPECT_EQ(bad.bytes(), std::string("\xFD\xFF\xFD\xFF", 4));
}

TEST(XmlWriterRoundTrip, NestedDocumentReadsBackAsWritten) {
    WrittenXml out;
    CXmlWriter& w = *out.writer;
    w.writeXMLHeader();
    w.writeElement(L"Scene", false, L"Name", L"Main");
    w.writeLineBreak();
    std::wstring expected = L"?|<Scene Name=Main>|";
    for (int i = 0; i < 3; ++i) {
        const std::wstring id = std::to_wstring(i);
        w.writeElement(L"Node", false, L"Id", id.c_str(), L"Pos", L"1.5, -2");
        w.writeLineBreak();
        w.writeElement(L"Prop", true, L"Value", (L"a&b" + id).c_str());
        w.writeLineBreak();
        w.writeElement(L"Label");
        w.writeText((L"x < " + id).c_str());
        w.writeClosingTag(L"Label");
        w.writeLineBreak();
        w.writeClosingTag(L"Node");
        w.writeLineBreak();
        expected += L"<Node Id=" + id + L" Pos=1.5, -2>|<Prop Value=a&b" + id + L"/>|<Label>|T:x < " + id +
                    L"|</Label>|</Node>|";
    }
    w.writeClosingTag(L"Scene");
    w.writeLineBreak();
    expected += L"</Scene>|";
    CRefPtr<CXmlReader> reader = out.reader();
    EXPECT_EQ(dumpNodes(*reader, true), expected);
    EXPECT_FALSE(reader->read());
}

}  // namespace
