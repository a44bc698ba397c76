#pragma once

// The seed documents of the XML fuzz targets: documents written by the engine's XML writer
// (UTF-16LE with a mark), the same documents in the other encodings the reader knows, and a
// document of hand-written markup. Shared by the seed writer and the reader's differential test.
#include <string>
#include <utility>
#include <vector>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlWriter.h"
#include "tests/io/XmlTestUtils.h"

namespace oskel::test::xmlseeds {

inline std::string written(void (*write)(CXmlWriter&)) {
    CVirtualFile* file = new CVirtualFile("seed.xml");
    CXmlWriter* writer = new CXmlWriter(file);
    write(*writer);
    writer->drop();
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    if (!bytes.empty()) file->read(&bytes[0], static_cast<u32>(bytes.size()));
    file->drop();
    return bytes;
}

inline void scene(CXmlWriter& w) {
    w.writeXMLHeader();
    w.writeElement(L"SceneNode", false, L"Name", L"Main", L"Type", L"SceneNode");
    w.writeLineBreak();
    w.writeElement(L"Properties");
    w.writeLineBreak();
    w.writeElement(L"Int", true, L"Name", L"Depth", L"Value", L"-16777217");
    w.writeLineBreak();
    w.writeElement(L"Float", true, L"Name", L"Alpha", L"Value", L"0.25e1");
    w.writeLineBreak();
    w.writeElement(L"String", false, L"Name", L"Caption");
    w.writeText(L"Caf\u00e9 \"&\" <\U0001F600>\r\n");
    w.writeClosingTag(L"String");
    w.writeLineBreak();
    w.writeClosingTag(L"Properties");
    w.writeLineBreak();
    w.writeComment(L"states follow");
    w.writeLineBreak();
    w.writeClosingTag(L"SceneNode");
    w.writeLineBreak();
}

inline void dictionary(CXmlWriter& w) {
    w.writeXMLHeader();
    w.writeElement(L"Dictionary");
    w.writeLineBreak();
    w.writeElement(L"s", false, L"n", L"TitleName");
    w.writeText(L"Brasquel %Name% #p 50%");
    w.writeClosingTag(L"s");
    w.writeLineBreak();
    w.writeElement(L"s", true, L"n", L"Empty");
    w.writeLineBreak();
    w.writeClosingTag(L"Dictionary");
    w.writeLineBreak();
    w.writeElement(L"texts");
    w.writeElement(L"phrase", true, L"tag", L"a", L"text", L"b");
    w.writeClosingTag(L"texts");
}

// The writer's UTF-16LE text as wide characters (surrogate pairs combined).
inline std::wstring decodeUtf16(const std::string& b) {
    std::wstring out;
    for (size_t i = 2; i + 1 < b.size(); i += 2) {
        u32 u = static_cast<u8>(b[i]) | (static_cast<u8>(b[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            const u32 low = static_cast<u8>(b[i + 2]) | (static_cast<u8>(b[i + 3]) << 8);
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        out += static_cast<wchar_t>(u);
    }
    return out;
}

inline std::string toLatin1(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c < 0x100 ? c : L'?');
    return out;
}

// Every seed file: its name and its bytes.
inline std::vector<std::pair<std::string, std::string>> seedFiles() {
    const struct {
        const char* name;
        void (*write)(CXmlWriter&);
    } documents[] = {{"scene", scene}, {"dictionary", dictionary}};
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& d : documents) {
        const std::string utf16 = written(d.write);
        const std::wstring text = decodeUtf16(utf16);
        const std::string base = d.name;
        files.emplace_back(base + ".utf16le.xml", utf16);
        files.emplace_back(base + ".utf16be.xml", encodeUtf16(text, true));
        files.emplace_back(base + ".utf8.xml", encodeUtf8(text, true));
        files.emplace_back(base + ".utf32le.xml", encodeUtf32(text, false));
        files.emplace_back(base + ".utf32be.xml", encodeUtf32(text, true));
        files.emplace_back(base + ".latin1.xml", toLatin1(text));
    }
    files.emplace_back("markup.xml",
                       "<?xml version=\"1.0\"?><!-- c <x> --><a b='1' "
                       "c=\"&amp;&lt;&#xA;\"><![CDATA[<d>]]>t&gt;</a>");
    return files;
}

}  // namespace oskel::test::xmlseeds
