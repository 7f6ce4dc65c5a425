// UTC to local time for a northern daylight-saving zone: our rule evaluation against the
// C library's localtime_r with TZ set to the same rule. Prints the ratio of throughputs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "timemodel/zone_list.h"

namespace {

using namespace velkaro;

constexpr int kInstants = 1'000'000;

// The same one million instants for both sides, spread over 2000..2040.
const std::vector<int64_t>& UnixSeconds() {
    static const std::vector<int64_t> seconds = [] {
        std::mt19937_64 rng(42);
        const int64_t from = 946684800, to = 2240611200;  // 2000-01-01 .. 2041-01-01
        std::uniform_int_distribution<int64_t> dist(from, to - 1);
        std::vector<int64_t> v(kInstants);
        for (auto& s : v) s = dist(rng);
        return v;
    }();
    return seconds;
}

const std::vector<TDateTime>& Instants() {
    static const std::vector<TDateTime> instants = [] {
        std::vector<TDateTime> v;
        v.reserve(kInstants);
        for (const int64_t s : UnixSeconds()) v.push_back(25569.0 + static_cast<double>(s) / 86400.0);
        return v;
    }();
    return instants;
}

void BM_UtcToZoneLocal(benchmark::State& state) {
    const TZone zone("New York,-300,-240,2,1,2,2,0,10,1,1,1,0");
    const auto& instants = Instants();
    for (auto _ : state)
        for (const TDateTime t : instants) benchmark::DoNotOptimize(UtcToZoneLocal(zone, t));
    state.SetItemsProcessed(state.iterations() * kInstants);
}

void BM_LocaltimeR(benchmark::State& state) {
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    const auto& seconds = UnixSeconds();
    for (auto _ : state)
        for (const int64_t s : seconds) {
            const time_t t = static_cast<time_t>(s);
            std::tm tm;
            benchmark::DoNotOptimize(localtime_r(&t, &tm));
        }
    state.SetItemsProcessed(state.iterations() * kInstants);
}

BENCHMARK(BM_UtcToZoneLocal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocaltimeR)->Unit(benchmark::kMillisecond);

// Keeps the runs' rates so that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            const auto it = r.counters.find("items_per_second");
            if (it == r.counters.end()) continue;
            if (r.benchmark_name().find("UtcToZoneLocal") != std::string::npos) ours = it->second;
            else theirs = it->second;
        }
    }
    double ours = 0, theirs = 0;
};

}  // namespace

int main(int argc, char** argv) {
    UnixSeconds();
    Instants();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.ours > 0 && reporter.theirs > 0)
        std::printf("UtcToZoneLocal / localtime_r throughput ratio: %.2f (target >= 2)\n",
                    reporter.ours / reporter.theirs);
    benchmark::Shutdown();
    return 0;
}
