// The place index: reading it (done once, off the user-interface thread), one keystroke's
// search over the whole of it (target under 10 ms), and what it holds in memory (target under
// 30 MB: the counters "bytes" as counted and "rss" as the process grew while reading it).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "places/place_index.h"

namespace {

using namespace velkaro;

const std::string kDir = VELKARO_BIN_DIR "/";

// Resident set size in bytes, from the kernel's own account of the process.
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

void BM_LoadPlaceIndex(benchmark::State& state) {
    for (auto _ : state) {
        const long before = ResidentBytes();
        TPlaceIndex index = TPlaceIndex::Load(kDir);
        state.counters["rss_MB"] = double(ResidentBytes() - before) / 1e6;
        state.counters["bytes_MB"] = double(index.MemoryBytes()) / 1e6;
        state.counters["places"] = double(index.size());
        benchmark::DoNotOptimize(index);
    }
}
BENCHMARK(BM_LoadPlaceIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every prefix of the query, as Find city searches while it is typed; the time is per keystroke.
void BM_SearchKeystrokes(benchmark::State& state, const std::string& query) {
    static const TPlaceIndex index = TPlaceIndex::Load(kDir);
    for (auto _ : state)
        for (size_t n = 1; n <= query.size(); ++n) benchmark::DoNotOptimize(index.Search(query.substr(0, n), 50));
    // items_per_second counts keystrokes: 1000 / it is the milliseconds one takes.
    state.SetItemsProcessed(int64_t(state.iterations() * query.size()));
}
BENCHMARK_CAPTURE(BM_SearchKeystrokes, springfield, std::string("springfield"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokes, sao_paulo, std::string("sao paulo"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokes, new_york, std::string("new york"))->Unit(benchmark::kMillisecond);
// The worst keystrokes: one common letter matches nearly every place.
BENCHMARK_CAPTURE(BM_SearchKeystrokes, a, std::string("a"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokes, x, std::string("x"))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
