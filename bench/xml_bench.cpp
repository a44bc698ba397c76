// The engine's XML reader against pugixml on one large scene-like document, as the engine writes
// it (UTF-16LE with a mark) and as UTF-8 with a mark, and on the files of a level. Each reader
// walks every node and every attribute. Throughput is in bytes of the file per second.
//
// The comparisons (BM_Compare_*) run both readers in every iteration, taking turns at going
// first, and report each reader's MB/s and the engine's speed relative to pugixml's
// ("oskel/pugixml", above 1 when the engine is faster). They repeat and report the mean, median
// and spread of the repetitions; the median is the number to quote. BM_Speedup_* sets the reader
// against its earlier implementation (the reference reader of the tests) the same way.
//
// The level case reads "Level.oscn", "LevelConfiguration.xml" and "LevelPaths.xml" from the
// folder named by OSKEL_BENCH_LEVEL (by default assets/levels/level1 under the working folder);
// without that folder it is skipped with a message naming it.
//
// Memory: in a virtual machine a page fault on fresh memory can cost tens of microseconds, and
// whether glibc hands out fresh pages for a block of many megabytes depends on what was freed
// before (its mmap threshold moves). A parse that happens to get fresh pages then measures the
// kernel more than the parser, and its cost changes with the order of the benchmarks. So the
// benchmark keeps the C heap warm: no block is mapped on its own and freed memory is not given
// back, and every reader parses into memory that an earlier iteration has touched. With
// OSKEL_BENCH_DEFAULT_HEAP=1 glibc keeps its defaults (closer to a program's first loads).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "engine/io/CDiskFile.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "tests/io/ReferenceXmlReader.h"

using namespace oskel;

namespace {

const bool kWarmHeap = [] {
    const char* keepDefaults = std::getenv("OSKEL_BENCH_DEFAULT_HEAP");
    if (keepDefaults && std::strcmp(keepDefaults, "1") == 0) return false;
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
}();

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
        w->writeElement(L"Vector2", true, L"Name", L"Position", L"Value",
                        (id + L".5, -" + id).c_str());
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

template <class Reader>
size_t walkReader(Reader* reader) {
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

template <class Reader>
size_t walkBytes(const std::string& bytes) {
    CMemoryFile* file = new CMemoryFile(const_cast<char*>(bytes.data()),
                                        static_cast<s32>(bytes.size()), "bench.oscn", false);
    Reader* reader = new Reader(file);
    file->drop();
    return walkReader(reader);
}

size_t walkOskel(const std::string& bytes) { return walkBytes<CXmlReader>(bytes); }
size_t walkReference(const std::string& bytes) {
    return walkBytes<test::CReferenceXmlReader>(bytes);
}

size_t walkPugi(const pugi::xml_node& node) {
    size_t sum = std::strlen(node.name()) + std::strlen(node.value());
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        sum += std::strlen(a.name()) + std::strlen(a.value());
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        sum += walkPugi(child);
    return sum;
}

size_t walkPugixml(const std::string& bytes) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
    if (!result) return 0;
    return walkPugi(document);
}

void runReader(benchmark::State& state, const std::string& bytes,
               size_t (*walk)(const std::string&)) {
    for (auto _ : state) benchmark::DoNotOptimize(walk(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

// Two readers in every iteration, taking turns at going first: MB/s of each and the first one's
// speed relative to the second's.
template <class Work>
void compare(benchmark::State& state, double megabytesPerIteration, const char* first,
             Work&& runFirst, const char* second, Work&& runSecond) {
    using Clock = std::chrono::steady_clock;
    double firstSeconds = 0.0, secondSeconds = 0.0;
    bool firstGoesFirst = true;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool runsFirst = (turn == 0) == firstGoesFirst;
            const auto start = Clock::now();
            benchmark::DoNotOptimize(runsFirst ? runFirst() : runSecond());
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            (runsFirst ? firstSeconds : secondSeconds) += seconds;
        }
        firstGoesFirst = !firstGoesFirst;
    }
    const double megabytes = megabytesPerIteration * static_cast<double>(state.iterations());
    state.counters[std::string(first) + "_MB/s"] =
        firstSeconds > 0 ? megabytes / firstSeconds : 0.0;
    state.counters[std::string(second) + "_MB/s"] =
        secondSeconds > 0 ? megabytes / secondSeconds : 0.0;
    state.counters[std::string(first) + "/" + second] =
        firstSeconds > 0 ? secondSeconds / firstSeconds : 0.0;
    state.counters["file_MB"] = megabytesPerIteration;
}

void compareOnBytes(benchmark::State& state, const std::string& bytes, const char* first,
                    size_t (*walkFirst)(const std::string&), const char* second,
                    size_t (*walkSecond)(const std::string&)) {
    using Walk = std::function<size_t()>;
    compare(state, static_cast<double>(bytes.size()) / 1e6, first,
            Walk([&] { return walkFirst(bytes); }), second,
            Walk([&] { return walkSecond(bytes); }));
}

void BM_OskelXml_Utf16(benchmark::State& state) { runReader(state, utf16Scene(), walkOskel); }
void BM_Pugixml_Utf16(benchmark::State& state) { runReader(state, utf16Scene(), walkPugixml); }
void BM_OskelXml_Utf8(benchmark::State& state) { runReader(state, utf8Scene(), walkOskel); }
void BM_Pugixml_Utf8(benchmark::State& state) { runReader(state, utf8Scene(), walkPugixml); }
void BM_Compare_Utf16(benchmark::State& state) {
    compareOnBytes(state, utf16Scene(), "oskel", walkOskel, "pugixml", walkPugixml);
}
void BM_Compare_Utf8(benchmark::State& state) {
    compareOnBytes(state, utf8Scene(), "oskel", walkOskel, "pugixml", walkPugixml);
}
void BM_Speedup_Utf16(benchmark::State& state) {
    compareOnBytes(state, utf16Scene(), "oskel", walkOskel, "reference", walkReference);
}
void BM_Speedup_Utf8(benchmark::State& state) {
    compareOnBytes(state, utf8Scene(), "oskel", walkOskel, "reference", walkReference);
}

// The folder of the level that the level case reads.
std::filesystem::path levelFolder() {
    const char* configured = std::getenv("OSKEL_BENCH_LEVEL");
    return std::filesystem::absolute(configured && *configured ? configured
                                                               : "assets/levels/level1");
}

const char* const kLevelFiles[] = {"Level.oscn", "LevelConfiguration.xml", "LevelPaths.xml"};

// What keeps the level case from running, or empty.
std::string levelProblem() {
    const std::filesystem::path folder = levelFolder();
    if (!std::filesystem::is_directory(folder))
        return "no level folder " + folder.string() + " (OSKEL_BENCH_LEVEL names a level's folder)";
    for (const char* name : kLevelFiles)
        if (!std::filesystem::is_regular_file(folder / name))
            return "the level folder has no " + (folder / name).string();
    return std::string();
}

// The files of a level, read from the disk by both readers.
void BM_Compare_LevelFiles(benchmark::State& state) {
    static std::string problem;  // the benchmark library keeps the message's address
    problem = levelProblem();
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    std::vector<std::string> paths;
    double megabytes = 0.0;
    for (const char* name : kLevelFiles) {
        const std::filesystem::path path = levelFolder() / name;
        paths.push_back(path.string());
        megabytes += static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    }
    using Walk = std::function<size_t()>;
    compare(state, megabytes, "oskel", Walk([&] {
                size_t sum = 0;
                for (const std::string& path : paths) {
                    CDiskReadFile* file = new CDiskReadFile(stringc(path.c_str()));
                    CXmlReader* reader = new CXmlReader(file);
                    file->drop();
                    sum += walkReader(reader);
                }
                return sum;
            }),
            "pugixml", Walk([&] {
                size_t sum = 0;
                for (const std::string& path : paths) {
                    pugi::xml_document document;
                    if (document.load_file(path.c_str())) sum += walkPugi(document);
                }
                return sum;
            }));
    state.counters["files"] = static_cast<double>(paths.size());
}

}  // namespace

BENCHMARK(BM_OskelXml_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Utf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OskelXml_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compare_Utf16)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Compare_Utf8)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Speedup_Utf16)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Speedup_Utf8)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

namespace {

// Repeated like the other comparisons when there is a level; else skipped once, with the reason.
const bool kLevelCase = [] {
    benchmark::internal::Benchmark* b =
        benchmark::RegisterBenchmark("BM_Compare_LevelFiles", BM_Compare_LevelFiles);
    b->Unit(benchmark::kMillisecond);
    if (levelProblem().empty()) b->MinTime(1.0)->Repetitions(9)->ReportAggregatesOnly();
    return true;
}();

}  // namespace
