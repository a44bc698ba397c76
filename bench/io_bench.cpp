// Benchmarks of the archives: opening a zip or an enciphered archive of 1,000 small entries and
// reading every entry through the lookup.

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/core/CLogger.h"
#include "engine/io/CCryptedArchive.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CZipArchive.h"
#include "tests/io/ArchiveWriters.h"

using namespace oskel;
using namespace oskel::test;

namespace {

constexpr int kEntries = 1000;

std::string entryName(int i) { return "scenes/part" + std::to_string(i) + "/entry.xml"; }
std::string entryData(int i) {
    return "<Node Name=\"entry" + std::to_string(i) + "\" Visible=\"true\" Alpha=\"1.0\"/>\n";
}

template <class Archive, class Make>
void openAndReadAll(benchmark::State& state, std::string bytes, Make make) {
    std::vector<stringc> names;
    for (int i = 0; i < kEntries; ++i) names.push_back(entryName(i).c_str());
    char buffer[512];
    size_t total = 0;
    for (auto _ : state) {
        auto* file = new CMemoryFile(&bytes[0], static_cast<s32>(bytes.size()), "bench", false);
        Archive* archive = make(file);
        file->drop();
        for (const stringc& name : names) {
            IReadableFile* entry = archive->openFile(name);
            if (!entry) {
                state.SkipWithError("entry not found");
                break;
            }
            while (const s32 got = entry->read(buffer, sizeof(buffer))) total += static_cast<size_t>(got);
            entry->drop();
        }
        archive->drop();
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_ZipOpenAndRead(benchmark::State& state) {
    const uint16_t method = static_cast<uint16_t>(state.range(0));
    std::vector<ZipEntrySpec> entries;
    for (int i = 0; i < kEntries; ++i) entries.emplace_back(entryName(i), entryData(i), method);
    openAndReadAll<CZipArchive>(state, makeZip(entries), [](IReadableFile* file) {
        return new CZipArchive(file, false, false);
    });
}
BENCHMARK(BM_ZipOpenAndRead)->Arg(0)->Arg(8)->ArgName("method");

void BM_OcaOpenAndRead(benchmark::State& state) {
    std::vector<OcaEntrySpec> entries;
    for (int i = 0; i < kEntries; ++i) entries.push_back({entryName(i), entryData(i)});
    openAndReadAll<CCryptedArchive>(state, makeOca(entries, kGameAssetsKey), [](IReadableFile* file) {
        return new CCryptedArchive(file, kGameAssetsKey, false, false);
    });
}
BENCHMARK(BM_OcaOpenAndRead);

}  // namespace
