// The engine's XML reader against pugixml on one large scene-like document, as the engine writes
// it (UTF-16LE with a mark) and as UTF-8 with a mark. Each reader walks every node and every
// attribute. Throughput is in bytes of the file per second; the comparison benchmarks report
// both readers' MB/s and the ratio of the engine's speed to pugixml's.

#include <chrono>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"

using namespace oskel;

namespace {

constexpr size_t kMinimumUtf8Bytes = 10u * 1024u * 1024u;

// A scene file of nested nodes with typed properties and text, written by the engine's writer.
std::string writeScene() {
    CVirtualFile* file = new CVirtualFile("bench.oscn");
    CXmlWriter* w = new CXmlWriter(file);
    w->writeXMLHeader();
    w->writeElement(L"SceneNode", false, L"Name", L"Root", L"Type", L"SceneNode");
    w->writeLineBreak();
    for (int i = 0; file->getSize() < static_cast<s32>(2 * kMinimumUtf8Bytes + 4096); ++i) {
        const std::wstring id = std::to_wstring(i);
        const std::wstring name = L"Building_" + id;
        w->writeElement(L"SceneNode", false, L"Name", name.c_str(), L"Type", L"SpriteNode");
        w->writeLineBreak();
        w->writeElement(L"Properties");
        w->writeLineBreak();
        w->writeElement(L"Vector2", true, L"Name", L"Position", L"Value", (id + L".5, -" + id).c_str());
        w->writeLineBreak();
        w->writeElement(L"Int", true, L"Name", L"Depth", L"Value", id.c_str());
        w->writeLineBreak();
        w->writeElement(L"Float", true, L"Name", L"Alpha", L"Value", L"0.75");
        w->writeLineBreak();
        w->writeElement(L"Color", true, L"Name", L"Tint", L"Value", L"255, 200, 128, 64");
        w->writeLineBreak();
        w->writeElement(L"WString", false, L"Name", L"Caption");
        w->writeText((L"Caf\u00e9 \u2116" + id + L" \"Grand\" & Spa").c_str());
        w->writeClosingTag(L"WString");
        w->writeLineBreak();
        w->writeClosingTag(L"Properties");
        w->writeLineBreak();
        w->writeElement(L"States");
        w->writeLineBreak();
        w->writeElement(L"Animator", false, L"State", L"Press", L"Period", L"20");
        w->writeLineBreak();
        w->writeElement(L"KeyFrame", true, L"Time", L"0", L"Scale", L"1, 1");
        w->writeLineBreak();
        w->writeElement(L"KeyFrame", true, L"Time", L"100", L"Scale", L"0.9, 0.9");
        w->writeLineBreak();
        w->writeClosingTag(L"Animator");
        w->writeLineBreak();
        w->writeClosingTag(L"States");
        w->writeLineBreak();
        w->writeClosingTag(L"SceneNode");
        w->writeLineBreak();
    }
    w->writeClosingTag(L"SceneNode");
    w->writeLineBreak();
    w->drop();
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    file->read(&bytes[0], static_cast<u32>(bytes.size()));
    file->drop();
    return bytes;
}

// The same text as UTF-8 with a mark (the scene holds no characters beyond U+FFFF).
std::string toUtf8(const std::string& utf16) {
    std::string out = "\xEF\xBB\xBF";
    for (size_t i = 2; i + 1 < utf16.size(); i += 2) {
        const u32 c = static_cast<u8>(utf16[i]) | (static_cast<u8>(utf16[i + 1]) << 8);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

const std::string& utf16Scene() {
    static const std::string bytes = writeScene();
    return bytes;
}

const std::string& utf8Scene() {
    static const std::string bytes = toUtf8(utf16Scene());
    return bytes;
}

size_t walkOskel(const std::string& bytes) {
    CMemoryFile* file = new CMemoryFile(const_cast<char*>(bytes.data()), static_cast<s32>(bytes.size()), "bench.oscn", false);
    CXmlReader* reader = new CXmlReader(file);
    file->drop();
    size_t sum = 0;
    while (reader->read()) {
        sum += reader->getNodeName().size();
        const u32 count = reader->getAttributeCount();
        for (u32 i = 0; i < count; ++i)
            sum += reader->getAttributeName(static_cast<s32>(i)).size() +
                   reader->getAttributeValue(static_cast<s32>(i)).size();
    }
    reader->drop();
    return sum;
}

size_t walkPugi(const pugi::xml_node& node) {
    size_t sum = std::strlen(node.name()) + std::strlen(node.value());
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        sum += std::strlen(a.name()) + std::strlen(a.value());
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) sum += walkPugi(child);
    return sum;
}

size_t walkPugixml(const std::string& bytes) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
    if (!result) return 0;
    return walkPugi(document);
}

void runReader(benchmark::State& state, const std::string& bytes, size_t (*walk)(const std::string&)) {
    for (auto _ : state) benchmark::DoNotOptimize(walk(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

// Both readers in every iteration: MB/s of each and the engine's speed relative to pugixml's.
void compareReaders(benchmark::State& state, const std::string& bytes) {
    using Clock = std::chrono::steady_clock;
    double oskelSeconds = 0.0, pugiSeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(walkOskel(bytes));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(walkPugixml(bytes));
        const auto t2 = Clock::now();
        oskelSeconds += std::chrono::duration<double>(t1 - t0).count();
        pugiSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double megabytes = static_cast<double>(bytes.size()) * static_cast<double>(state.iterations()) / 1e6;
    state.counters["oskel_MB/s"] = oskelSeconds > 0 ? megabytes / oskelSeconds : 0.0;
    state.counters["pugixml_MB/s"] = pugiSeconds > 0 ? megabytes / pugiSeconds : 0.0;
    state.counters["oskel/pugixml"] = oskelSeconds > 0 ? pugiSeconds / oskelSeconds : 0.0;
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_OskelXml_Utf16(benchmark::State& state) { runReader(state, utf16Scene(), walkOskel); }
void BM_Pugixml_Utf16(benchmark::State& state) { runReader(state, utf16Scene(), walkPugixml); }
void BM_OskelXml_Utf8(benchmark::State& state) { runReader(state, utf8Scene(), walkOskel); }
void BM_Pugixml_Utf8(benchmark::State& state) { runReader(state, utf8Scene(), walkPugixml); }
void BM_Compare_Utf16(benchmark::State& state) { compareReaders(state, utf16Scene()); }
void BM_Compare_Utf8(benchmark::State& state) { compareReaders(state, utf8Scene()); }

}  // namespace

BENCHMARK(BM_OskelXml_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OskelXml_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compare_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compare_Utf8)->Unit(benchmark::kMillisecond);
