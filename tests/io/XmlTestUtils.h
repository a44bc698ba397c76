#pragma once

#include <cstring>
#include <string>

#include "engine/core/CRefPtr.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"

namespace oskel::test {

// Bytes of wide text in the encodings the reader knows. Code points above U+FFFF become
// surrogate pairs in UTF-16.
inline std::string encodeUtf8(const std::wstring& text, bool mark) {
    std::string out = mark ? "\xEF\xBB\xBF" : "";
    for (wchar_t wc : text) {
        const u32 c = static_cast<u32>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline void putUnit16(std::string& out, u32 unit, bool bigEndian) {
    const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
}

inline std::string encodeUtf16(const std::wstring& text, bool bigEndian) {
    std::string out;
    putUnit16(out, 0xFEFF, bigEndian);
    for (wchar_t wc : text) {
        const u32 c = static_cast<u32>(wc);
        if (c >= 0x10000) {
            putUnit16(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            putUnit16(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        } else {
            putUnit16(out, c, bigEndian);
        }
    }
    return out;
}

inline std::string encodeUtf32(const std::wstring& text, bool bigEndian) {
    std::string out;
    auto put = [&](u32 c) {
        const char b[4] = {static_cast<char>(c >> 24), static_cast<char>((c >> 16) & 0xFF),
                           static_cast<char>((c >> 8) & 0xFF), static_cast<char>(c & 0xFF)};
        for (int i = 0; i < 4; ++i) out += b[bigEndian ? i : 3 - i];
    };
    put(0xFEFF);
    for (wchar_t wc : text) put(static_cast<u32>(wc));
    return out;
}

// A memory file holding a copy of the bytes.
inline CRefPtr<CMemoryFile> memoryFile(const std::string& bytes, const char* name = "test.xml") {
    u8* buffer = new u8[bytes.size() + 1];
    std::memcpy(buffer, bytes.data(), bytes.size());
    return makeRef<CMemoryFile>(buffer, static_cast<s32>(bytes.size()), name, true);
}

inline CRefPtr<CXmlReader> readerOf(const std::string& bytes) {
    CRefPtr<CMemoryFile> file = memoryFile(bytes);
    return makeRef<CXmlReader>(file.get());
}

inline std::wstring wide(const stringw& s) { return std::wstring(s.c_str(), s.size()); }

// One line per node: "<name a=v/>" for elements ("/>" when empty), "</name>", "T:text",
// "C:comment", "D:cdata", "?" for declarations. Stops after a bounded number of nodes. The
// indentation that the writer produces comes back as white-space text nodes; skipBlank leaves
// those out.
inline std::wstring dumpNodes(CXmlReader& reader, bool skipBlank = false, u32 limit = 1000) {
    std::wstring out;
    for (u32 n = 0; n < limit && reader.read(); ++n) {
        if (skipBlank && reader.getNodeType() == XmlNodeText &&
            wide(reader.getNodeData()).find_first_not_of(L" \t\r\n") == std::wstring::npos)
            continue;
        switch (reader.getNodeType()) {
            case XmlNodeElement:
                out += L"<" + wide(reader.getNodeName());
                for (u32 i = 0; i < reader.getAttributeCount(); ++i)
                    out += L" " + wide(reader.getAttributeName(static_cast<s32>(i))) + L"=" +
                           wide(reader.getAttributeValue(static_cast<s32>(i)));
                out += reader.isEmptyElement() ? L"/>" : L">";
                break;
            case XmlNodeElementEnd: out += L"</" + wide(reader.getNodeName()) + L">"; break;
            case XmlNodeText: out += L"T:" + wide(reader.getNodeData()); break;
            case XmlNodeComment: out += L"C:" + wide(reader.getNodeData()); break;
            case XmlNodeCData: out += L"D:" + wide(reader.getNodeData()); break;
            case XmlNodeUnknown: out += L"?"; break;
            default: out += L"!"; break;
        }
        out += L"|";
    }
    return out;
}

// Everything a reader tells about a text, node by node, for comparing two readers: the text's
// length, then per read() its result, the node kind, name and empty flag and each attribute by
// index (name, value, integer) and by name (the first match); after the last read() the node
// that stays current. Stops after a bounded number of nodes.
template <class Reader>
std::wstring traceNodes(Reader& reader, u32 limit = 100000) {
    std::wstring out = L"length " + std::to_wstring(reader.getTextLength()) + L"\n";
    auto node = [&] {
        out += std::to_wstring(reader.getNodeType()) + L" [" + wide(reader.getNodeName()) + L"]";
        if (reader.isEmptyElement()) out += L" empty";
        const u32 count = reader.getAttributeCount();
        for (u32 i = 0; i < count; ++i) {
            const s32 index = static_cast<s32>(i);
            const stringw& name = reader.getAttributeName(index);
            out += L" {" + wide(name) + L"=" + wide(reader.getAttributeValue(index)) + L"|" +
                   std::to_wstring(reader.getAttributeValueAsInt(index, -7)) + L"|" +
                   wide(reader.getAttributeValue(name.c_str())) + L"}";
        }
        out += L"\n";
    };
    u32 n = 0;
    for (; n < limit && reader.read(); ++n) node();
    if (n < limit) {
        out += L"end: ";
        node();
    }
    return out;
}

inline std::wstring dumpBytes(const std::string& bytes) {
    CRefPtr<CXmlReader> reader = readerOf(bytes);
    return dumpNodes(*reader);
}

}  // namespace oskel::test
