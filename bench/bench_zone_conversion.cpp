// UTC to local time in New York, whose zone line carries a history to 2007 and a yearly rule
// after it: our conversion against the C library's localtime_r with TZ set to the same zone,
// for instants of the current year and for instants spread over 1970..2037. Prints the ratios
// of throughputs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "timemodel/zone_list.h"

namespace {

using namespace velkaro;

constexpr int kInstants = 1'000'000;
enum Span { kCurrentYear, kSince1970 };
const char* const kSpanNames[] = {"current year", "1970..2037"};

// The same one million instants for both sides.
const std::vector<int64_t>& UnixSeconds(int span) {
    static std::vector<int64_t> all[2];
    if (all[span].empty()) {
        const int64_t from[2] = {1767225600, 0}, to[2] = {1798761600, 2145916800};  // 2026; 1970..2037
        std::mt19937_64 rng(42);
        std::uniform_int_distribution<int64_t> dist(from[span], to[span] - 1);
        all[span].resize(kInstants);
        for (auto& t : all[span]) t = dist(rng);
    }
    return all[span];
}

const std::vector<TDateTime>& Instants(int span) {
    static std::vector<TDateTime> all[2];
    if (all[span].empty())
        for (const int64_t s : UnixSeconds(span)) all[span].push_back(25569.0 + static_cast<double>(s) / 86400.0);
    return all[span];
}

// New York's line as the program ships it.
const TZone& NewYork() {
    static const TZone zone = [] {
        std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/resources/azones.lst");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("America/New_York,", 0) == 0) return TZone(line);
        throw std::runtime_error("America/New_York is not in resources/azones.lst");
    }();
    return zone;
}

void BM_UtcToZoneLocal(benchmark::State& state) {
    const TZone& zone = NewYork();
    const auto& instants = Instants(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const TDateTime t : instants) benchmark::DoNotOptimize(UtcToZoneLocal(zone, t));
    state.SetItemsProcessed(state.iterations() * kInstants);
    state.SetLabel(kSpanNames[state.range(0)]);
}

void BM_LocaltimeR(benchmark::State& state) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    const auto& seconds = UnixSeconds(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const int64_t s : seconds) {
            const time_t t = static_cast<time_t>(s);
            std::tm tm;
            benchmark::DoNotOptimize(localtime_r(&t, &tm));
        }
    state.SetItemsProcessed(state.iterations() * kInstants);
    state.SetLabel(kSpanNames[state.range(0)]);
}

BENCHMARK(BM_UtcToZoneLocal)->Arg(kCurrentYear)->Arg(kSince1970)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocaltimeR)->Arg(kCurrentYear)->Arg(kSince1970)->Unit(benchmark::kMillisecond);

// Keeps the runs' rates per span so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            const auto it = r.counters.find("items_per_second");
            // With repetitions, only the median stands for the run.
            if (it == r.counters.end() || !(r.aggregate_name.empty() || r.aggregate_name == "median")) continue;
            const bool ours = r.benchmark_name().find("UtcToZoneLocal") != std::string::npos;
            (ours ? Ours : Theirs)[r.report_label] = it->second;
        }
    }
    std::map<std::string, double> Ours, Theirs;
};

}  // namespace

int main(int argc, char** argv) {
    for (int span : {kCurrentYear, kSince1970}) Instants(span);
    NewYork();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double targets[] = {2, 1};
    for (int span : {kCurrentYear, kSince1970}) {
        const double ours = reporter.Ours[kSpanNames[span]], theirs = reporter.Theirs[kSpanNames[span]];
        if (ours > 0 && theirs > 0)
            std::printf("UtcToZoneLocal / localtime_r throughput ratio, %s: %.2f (target >= %g)\n", kSpanNames[span],
                        ours / theirs, targets[span]);
    }
    benchmark::Shutdown();
    return 0;
}
