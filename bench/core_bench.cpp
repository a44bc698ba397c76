// Benchmarks of the core: name interning, event dispatch, timer scheduler updates.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/core/CNameTable.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/scene/NodeEvents.h"

using namespace oskel;

static void BM_NameInternNew(benchmark::State& state) {
    std::vector<stringc> names;
    for (int i = 0; i < 100000; ++i) names.push_back(stringc("bench.intern.") + stringc(i));
    size_t next = 0;
    for (auto _ : state) {
        if (next == names.size()) {
            state.PauseTiming();
            for (auto& n : names) n += "x";  // fresh names for the next round
            next = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(CNameTable::instance().getId(names[next++]));
    }
}
BENCHMARK(BM_NameInternNew);

static void BM_NameLookupKnown(benchmark::State& state) {
    std::vector<stringc> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back(stringc("bench.known.") + stringc(i));
        CNameTable::instance().getId(names.back());
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CNameTable::instance().getId(names[i]));
        i = (i + 1) % names.size();
    }
}
BENCHMARK(BM_NameLookupKnown);

static void BM_NameGetName(benchmark::State& state) {
    const s32 id = CNameTable::instance().getId("bench.getname");
    for (auto _ : state) benchmark::DoNotOptimize(CNameTable::instance().getName(id).c_str());
}
BENCHMARK(BM_NameGetName);

namespace {

class BenchNode : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    BenchNode() { setCategoryMask(CategoryNode); }
    bool routeToChildren(u32 mode, CEvent* event) override {
        for (size_t i = children.size(); i > 0; --i) {
            BenchNode* child = children[i - 1];
            if (child->acceptsEvent(event) && child->dispatchEvent(mode, event)) return true;
        }
        return false;
    }
    bool onValueChanged(CEvent*) {
        ++hits;
        return false;
    }
    std::vector<BenchNode*> children;
    long hits = 0;
};

OSKEL_BEGIN_EVENT_MAP(BenchNode, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeValueChanged, onValueChanged)
OSKEL_EVENT_HANDLER(EventNodeStateFinished, onValueChanged)
OSKEL_END_EVENT_MAP()

}  // namespace

// A tree of fan-out 4 and the given depth; one event walks all of it in mode 1.
static void BM_DispatchThroughTree(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<BenchNode>> nodes;
    nodes.push_back(std::make_unique<BenchNode>());
    std::vector<BenchNode*> level{nodes[0].get()};
    for (int d = 1; d < depth; ++d) {
        std::vector<BenchNode*> next;
        for (BenchNode* parent : level)
            for (int c = 0; c < 4; ++c) {
                nodes.push_back(std::make_unique<BenchNode>());
                parent->children.push_back(nodes.back().get());
                next.push_back(nodes.back().get());
            }
        level = next;
    }
    for (auto _ : state) {
        CEvent* e = new CEventNodeValueChanged(nullptr);
        nodes[0]->dispatchEvent(DispatchSelfThenChildren, e);
        e->drop();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(nodes.size()));
}
BENCHMARK(BM_DispatchThroughTree)->Arg(3)->Arg(5)->Arg(7);

namespace {

class Ticker : public IUpdateReceiver {
public:
    explicit Ticker(u32 period) : IUpdateReceiver(period) {}
    bool update(u32 elapsed) override {
        total += elapsed;
        return true;
    }
    uint64_t total = 0;
};

}  // namespace

static void BM_SchedulerUpdate10000(benchmark::State& state) {
    CTimerScheduler* scheduler = new CTimerScheduler();
    std::vector<Ticker*> tickers;
    for (int i = 0; i < 10000; ++i) {
        tickers.push_back(new Ticker(static_cast<u32>(10 + (i % 5) * 10)));
        scheduler->addTimer(tickers.back());
    }
    for (auto _ : state) scheduler->update(10);
    state.SetItemsProcessed(state.iterations() * 10000);
    scheduler->drop();
    for (Ticker* t : tickers) t->drop();
}
BENCHMARK(BM_SchedulerUpdate10000);
