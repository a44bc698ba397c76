// Fuzz target of the XML reader: arbitrary bytes, as they stand and behind each byte-order mark,
// are read node by node with every attribute taken as text, integer and float; the same bytes are
// also loaded as a dictionary file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"

using namespace oskel;

namespace {

volatile u32 g_sink = 0;

void walk(std::vector<u8>& bytes) {
    CMemoryFile* file = new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.xml", false);
    CXmlReader* reader = new CXmlReader(file);
    u32 sum = 0;  // unsigned: the values only feed the sink and may wrap
    while (reader->read()) {
        sum += static_cast<u32>(reader->getNodeType()) + reader->getNodeName().size() + reader->isEmptyElement();
        const s32 count = static_cast<s32>(reader->getAttributeCount());
        for (s32 i = 0; i <= count; ++i) {
            const stringw& name = reader->getAttributeName(i);
            sum += reader->getAttributeValue(i).size() + reader->getAttributeValue(name.c_str()).size();
            sum += static_cast<u32>(reader->getAttributeValueAsInt(i, 1));
            sum += static_cast<u32>(reader->getAttributeValueAsInt(name.c_str(), 2));
            sum += reader->getAttributeValueAsFloat(i, 1.0f) == 0.0f;
            sum += reader->getAttributeValueAsFloat(name.c_str(), 1.0f) == 0.0f;
        }
    }
    g_sink = g_sink + sum;
    reader->drop();

    file->seek(0);
    CTextDictionary* dictionary = new CTextDictionary();
    static_cast<void>(dictionary->load(file));
    g_sink = g_sink + dictionary->getEntryCount();
    // The bytes as a text to translate and as a key with parameters.
    std::wstring wide;
    std::string narrow;
    for (u8 b : bytes) {
        if (!b) continue;
        wide.push_back(static_cast<wchar_t>(b));
        narrow.push_back(static_cast<char>(b));
    }
    g_sink = g_sink + dictionary->translate(stringw(wide.c_str())).size();
    g_sink = g_sink + dictionary->getTextWithParams(stringc(narrow.c_str()), L"1", L"2", L"3", L"4").size();
    dictionary->drop();
    file->drop();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const struct {
        const char* bytes;
        size_t length;
    } marks[] = {{"", 0},
                 {"\xEF\xBB\xBF", 3},
                 {"\xFF\xFE", 2},
                 {"\xFE\xFF", 2},
                 {"\xFF\xFE\x00\x00", 4},
                 {"\x00\x00\xFE\xFF", 4}};
    for (const auto& mark : marks) {
        std::vector<u8> bytes(mark.length + size);
        if (mark.length) std::memcpy(bytes.data(), mark.bytes, mark.length);
        if (size) std::memcpy(bytes.data() + mark.length, data, size);
        walk(bytes);
    }
    return 0;
}
