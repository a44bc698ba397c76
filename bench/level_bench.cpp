// The level's step with all its lots at work: the benchmark level ("bench": 48 lots of every
// type, all owned and built, on busy roads) played headless on the null video driver as the
// tests' level harness plays it (10 ms turns, each with a draw), in game days per second and as a
// multiple of real time, against the same level without its lots. Then the heap each lot costs:
// a counting allocator gives the live bytes once the level has played a day, with the lots and
// without them, and their difference over the lots.
//
// The level without lots is made at start-up beside the real one in a temporary folder: the same
// files, the lots' nodes left out of the scene.
//
// Bars: at least 50 times real time with every lot working; at most 128 KiB of heap per lot.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "engine/core/CLogger.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/device/IDevice.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/IVideoDriver.h"
#include "game/level/GBuildingNode.h"
#include "tests/game/level/LevelSimSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;

// ---- The counting allocator: the live bytes of every operator new ----

namespace {

std::atomic<long long> g_liveBytes{0};

void* allocate(std::size_t size, std::size_t alignment) {
    if (size == 0) size = 1;
    void* p = nullptr;
    if (alignment > alignof(std::max_align_t)) {
        if (posix_memalign(&p, alignment, size) != 0) p = nullptr;
    } else {
        p = std::malloc(size);
    }
    if (p)
        g_liveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)),
                              std::memory_order_relaxed);
    return p;
}

void release(void* p) noexcept {
    if (!p) return;
    g_liveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    void* p = allocate(size, alignment);
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new[](std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) {
    return allocateOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocateOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

namespace {

constexpr u32 Seed = 1;
constexpr u32 BenchLots = 48;
constexpr double MinTimesRealTime = 50.0;
constexpr double MaxBytesPerLot = 128.0 * 1024.0;

std::string g_withLots = BENCH_LEVEL_DIR "/";
std::string g_withoutLots;

// ---- The level without lots ----

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

// The scene without its lot nodes (each a node of properties only); how many were left out.
u32 withoutLotNodes(std::string& scene) {
    const std::string open = "<SceneNode Type=\"GBuildingNode\">";
    const std::string close = "</SceneNode>";
    u32 removed = 0;
    for (size_t at = scene.find(open); at != std::string::npos; at = scene.find(open, at)) {
        const size_t end = scene.find(close, at);
        if (end == std::string::npos) return 0;
        // A lot with children of its own is not expected here: stop rather than cut it wrong.
        if (scene.find("<SceneNode", at + open.size()) < end) return 0;
        size_t lineStart = scene.rfind('\n', at);
        lineStart = lineStart == std::string::npos ? at : lineStart;
        scene.erase(lineStart, end + close.size() - lineStart);
        at = lineStart;
        ++removed;
    }
    return removed;
}

bool makeLevelWithoutLots(const std::string& folder) {
    for (const char* file : {"Backdrop.jpg", "LevelConfiguration.xml", "LevelPaths.xml"}) {
        std::string text;
        if (!readFile(g_withLots + file, text) || !writeFile(folder + file, text)) return false;
    }
    std::string scene;
    if (!readFile(g_withLots + "Level.oscn", scene)) return false;
    if (withoutLotNodes(scene) != BenchLots) {
        std::fprintf(stderr, "level_bench: the benchmark level does not hold %u lots\n", BenchLots);
        return false;
    }
    return writeFile(folder + "Level.oscn", scene);
}

// ---- A level played headless ----

class LevelRun {
public:
    explicit LevelRun(const std::string& folder) {
        seedRandom(Seed);
        SDeviceParameters parameters;
        parameters.driverType = DriverNull;
        m_device = createDevice(parameters);
        if (!m_device || !m_device->getVideoDriver()) return;
        m_device->getFileSystem()->addArchive(stringc(BRASQUEL_ASSETS_DIR), false, false);
        registerLevelNodeClasses();
        m_services.files = m_device->getFileSystem();
        m_services.groups = makeRef<CSoundGroupManager>(m_device->getAudioDriver());
        m_before = IGameServices::install(&m_services);
        m_content = CRefPtr<CContentManager>::fromRaw(m_device->createContentManager());
        m_events = CRefPtr<CTimerScheduler>::fromRaw(m_device->createTimerScheduler());
        m_scenes = CRefPtr<SceneManager>::fromRaw(m_device->createSceneManager());
        m_scenes->setSortEnabled(true);
        m_scenes->setEventSource(m_events.get());
        m_services.world = m_scenes.get();
        loadGameContent(m_device, m_content.get(), m_scenes.get(), m_services, std::string(),
                        m_game);
        m_ready = m_game.ready() &&
                  readLevelFolder(m_content.get(), m_device->getFileSystem(), m_services, folder,
                                  m_folder) &&
                  startLevel(m_folder, m_services, m_scenes.get()) &&
                  m_folder.configuration->DayLength > 0;
    }

    ~LevelRun() {
        if (m_scenes) {
            m_scenes->setScene(nullptr);
            m_scenes->update(0);
            m_scenes->setTemplateCollection(nullptr);
        }
        m_folder = SLevelFolder();
        m_game = SGameContent();
        m_scenes = nullptr;
        m_events = nullptr;
        m_content = nullptr;
        if (m_device) IGameServices::install(m_before);
        m_services.dictionary = nullptr;
        m_services.groups = nullptr;
        if (m_device) m_device->drop();
    }

    bool ready() const { return m_ready; }
    u32 dayLengthSeconds() const { return static_cast<u32>(m_folder.configuration->DayLength); }

    // One game day of turns, each drawn.
    void playDay() {
        const u64 turns = static_cast<u64>(dayLengthSeconds()) * (1000 / TurnMs);
        IVideoDriver* driver = m_device->getVideoDriver();
        for (u64 i = 0; i < turns; ++i) {
            advanceTurn(m_folder.level.get(), m_scenes.get());
            m_scenes->render(driver);
        }
    }

    u32 lots() const { return static_cast<u32>(m_folder.level->getBuildings().size()); }
    u32 workingLots() const {
        u32 working = 0;
        for (const CRefPtr<GBuildingNode>& lot : m_folder.level->getBuildings())
            if (lot->isWorking()) ++working;
        return working;
    }

private:
    IDevice* m_device = nullptr;
    SimServices m_services;
    IGameServices* m_before = nullptr;
    CRefPtr<CContentManager> m_content;
    CRefPtr<CTimerScheduler> m_events;
    CRefPtr<SceneManager> m_scenes;
    SGameContent m_game;
    SLevelFolder m_folder;
    bool m_ready = false;
};

// What the repetitions measured, for the closing summary.
std::vector<double> g_timesRealTime[2];
double g_medianTimesRealTime[2] = {0, 0};
double g_bytesWithLots = 0, g_bytesWithoutLots = 0;
u32 g_workingAtEnd = 0;

// Game days played per second of real time; each iteration is one game day.
void BM_LevelDays(benchmark::State& state) {
    const bool withLots = state.range(0) != 0;
    LevelRun run(withLots ? g_withLots : g_withoutLots);
    if (!run.ready()) {
        state.SkipWithError("the level does not load");
        return;
    }
    const u32 expected = withLots ? BenchLots : 0;
    if (run.lots() != expected || run.workingLots() != expected) {
        state.SkipWithError("the level's lots are not all at work");
        return;
    }
    const double seconds = run.dayLengthSeconds();
    for (auto _ : state) run.playDay();
    // Lots that stopped on the way (a problem, a sale) would make the run lighter than claimed.
    const u32 working = run.workingLots();
    if (withLots) g_workingAtEnd = working;
    state.counters["lots_working"] = working;
    state.counters["game_days"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["x_real_time"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LevelDays)
    ->ArgName("lots")
    ->Arg(BenchLots)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The live heap once a level has played a day.
double liveBytesAfterADay(const std::string& folder, bool& ok) {
    const long long before = g_liveBytes.load();
    LevelRun run(folder);
    ok = run.ready();
    if (ok) run.playDay();
    return static_cast<double>(g_liveBytes.load() - before);
}

void BM_HeapPerLot(benchmark::State& state) {
    double with = 0, without = 0;
    bool okWith = false, okWithout = false;
    for (auto _ : state) {
        // Each level once before it is measured: what the engine keeps for the whole process
        // (names, factories) is then in place for both sides.
        for (int pass = 0; pass < 2; ++pass) {
            with = liveBytesAfterADay(g_withLots, okWith);
            without = liveBytesAfterADay(g_withoutLots, okWithout);
        }
    }
    if (!okWith || !okWithout) {
        state.SkipWithError("the level does not load");
        return;
    }
    g_bytesWithLots = with;
    g_bytesWithoutLots = without;
    state.counters["bytes_with_lots"] = with;
    state.counters["bytes_without"] = without;
    state.counters["bytes_per_lot"] = (with - without) / BenchLots;
}
BENCHMARK(BM_HeapPerLot)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

// Collects the repetitions' speeds as they are reported.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const auto found = run.counters.find("x_real_time");
            if (found == run.counters.end()) continue;
            const int side = run.run_name.args == "lots:" + std::to_string(BenchLots) ? 0 : 1;
            // Rates are already divided by the time in the reported counters. The repetitions
            // come one by one, or only as their aggregates when those alone are reported.
            if (run.run_type == Run::RT_Iteration)
                g_timesRealTime[side].push_back(found->second.value);
            else if (run.aggregate_name == "median")
                g_medianTimesRealTime[side] = found->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    oskel::bench::initializeWithDefaults(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    char folder[] = "/tmp/level_bench.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    g_withoutLots = std::string(folder) + "/";
    if (!makeLevelWithoutLots(g_withoutLots)) return 1;
    // Only the engine's errors are shown: the runs load the same level many times.
    CLogger::instance().setOutputHook([](const char* text, const char* hint, s32 level) {
        if (level < LogError) return;
        std::fprintf(stderr, "[error] %s%s%s\n", text, hint ? ": " : "", hint ? hint : "");
    });

    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const char* file :
         {"Backdrop.jpg", "LevelConfiguration.xml", "LevelPaths.xml", "Level.oscn"})
        std::remove((g_withoutLots + file).c_str());
    rmdir(folder);

    // The summary of what ran (a filter may leave a side out).
    const double withLots =
        g_medianTimesRealTime[0] > 0 ? g_medianTimesRealTime[0] : median(g_timesRealTime[0]);
    const double withoutLots =
        g_medianTimesRealTime[1] > 0 ? g_medianTimesRealTime[1] : median(g_timesRealTime[1]);
    std::printf("\n");
    if (withLots > 0)
        std::printf(
            "level \"bench\", %u lots (%u working at the end): %.1fx real time "
            "(median; bar >= %.0fx: %s)\n",
            BenchLots, g_workingAtEnd, withLots, MinTimesRealTime,
            withLots >= MinTimesRealTime && g_workingAtEnd == BenchLots ? "met" : "MISSED");
    if (withoutLots > 0) std::printf("the same level without lots: %.1fx real time\n", withoutLots);
    if (withLots > 0 && withoutLots > 0)
        std::printf("with the lots at %.1f%% of the speed without them\n",
                    100.0 * withLots / withoutLots);
    if (g_bytesWithLots > 0) {
        const double perLot = (g_bytesWithLots - g_bytesWithoutLots) / BenchLots;
        std::printf("live heap after a day: %.0f bytes with the lots, %.0f without\n",
                    g_bytesWithLots, g_bytesWithoutLots);
        std::printf("heap per lot: %.0f bytes (%.1f KiB; bar <= 128 KiB: %s)\n", perLot,
                    perLot / 1024.0, perLot <= MaxBytesPerLot ? "met" : "MISSED");
    }
    return 0;
}
