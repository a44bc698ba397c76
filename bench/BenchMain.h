#pragma once

// Settings shared by the benchmarks that compare two sides: unless the command line says
// otherwise, each repetition runs for at least a second, nine repetitions are made, and only
// their aggregates (mean, median, deviation) are reported, so that the medians are stable on a
// busy machine. Flags given on the command line come after these defaults and win.

#include <benchmark/benchmark.h>

#include <vector>

namespace oskel::bench {

// Initialises Google Benchmark with the defaults in front of the given arguments.
inline void initializeWithDefaults(int* argc, char** argv) {
    static char minTime[] = "--benchmark_min_time=1";
    static char repetitions[] = "--benchmark_repetitions=9";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    static std::vector<char*> args;
    args.clear();
    args.push_back(argv[0]);
    args.push_back(minTime);
    args.push_back(repetitions);
    args.push_back(aggregates);
    for (int i = 1; i < *argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    int count = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    // What Google Benchmark did not take stays for the caller, in order.
    *argc = count;
    for (int i = 0; i < count; ++i) argv[i] = args[static_cast<size_t>(i)];
}

}  // namespace oskel::bench
