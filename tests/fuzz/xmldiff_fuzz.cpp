// Differential fuzz target of the XML reader: arbitrary bytes, as they stand and behind each
// byte-order mark, read by the reader and by its reference (the earlier implementation). Any
// difference in the nodes, attributes or warnings they report is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "tests/io/ReferenceXmlReader.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;

namespace {

std::string g_log;

template <class Reader>
std::wstring observe(std::vector<u8>& bytes) {
    CMemoryFile* file =
        new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.xml", false);
    Reader* reader = new Reader(file);
    file->drop();
    g_log.clear();
    std::wstring out = test::traceNodes(*reader);
    reader->drop();
    return out + std::wstring(g_log.begin(), g_log.end());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLogger::instance().setOutputHook([](const char* text, const char*, s32 level) {
        // The truncation message is the new reader's own.
        if (std::strcmp(text, "XML text ends inside an open element") == 0) return;
        g_log += std::to_string(level) + ": " + text + "\n";
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const struct {
        const char* bytes;
        size_t length;
    } marks[] = {{"", 0},         {"\xEF\xBB\xBF", 3},     {"\xFF\xFE", 2},
                 {"\xFE\xFF", 2}, {"\xFF\xFE\x00\x00", 4}, {"\x00\x00\xFE\xFF", 4}};
    for (const auto& mark : marks) {
        std::vector<u8> bytes(mark.length + size);
        if (mark.length) std::memcpy(bytes.data(), mark.bytes, mark.length);
        if (size) std::memcpy(bytes.data() + mark.length, data, size);
        const std::wstring expected = observe<test::CReferenceXmlReader>(bytes);
        const std::wstring actual = observe<CXmlReader>(bytes);
        if (actual != expected) {
            std::fprintf(
                stderr,
                "the readers differ behind a mark of %zu bytes\nreference:\n%ls\nreader:\n%ls\n",
                mark.length, expected.c_str(), actual.c_str());
            std::abort();
        }
    }
    return 0;
}
