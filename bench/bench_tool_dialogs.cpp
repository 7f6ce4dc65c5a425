// How long the tool dialogs take to open with a large city list, and what one recomputation
// behind a list change costs.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>
#include <string>

#include "timemodel/zone_list.h"
#include "tools/time_calc.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"

namespace velkaro {
namespace {

void MakeCities(int count) {
    ClearLists();
    ZoneList.push_back(std::make_unique<TZone>("Eastern,-300,-240,2,1,2,2,0,10,1,1,2,0"));
    ZoneList.push_back(std::make_unique<TZone>("PlusNine,540,540"));
    for (int i = 0; i < count; ++i)
        CityList.push_back(std::make_unique<TCity>("City " + std::to_string(i) + "," + std::to_string(i % 2) + ",0,0"));
}

void BM_OpenTimeConvForm(benchmark::State& state) {
    MakeCities(int(state.range(0)));
    for (auto _ : state) {
        TTimeConvForm form(EncodeDateTime(2026, 12, 6, 7, 0), EncodeDateTime(2026, 12, 6, 12, 0));
        benchmark::DoNotOptimize(&form);
    }
    ClearLists();
}
BENCHMARK(BM_OpenTimeConvForm)->Arg(50)->Arg(600)->Unit(benchmark::kMillisecond);

void BM_OpenTimeCalcForm(benchmark::State& state) {
    MakeCities(int(state.range(0)));
    for (auto _ : state) {
        TTimeCalcForm form(EncodeDateTime(2026, 12, 6, 7, 0));
        benchmark::DoNotOptimize(&form);
    }
    ClearLists();
}
BENCHMARK(BM_OpenTimeCalcForm)->Arg(600)->Unit(benchmark::kMillisecond);

void BM_OpenTimeConfForm(benchmark::State& state) {
    for (auto _ : state) {
        TTimeConfForm form(EncodeDateTime(2026, 12, 6, 7, 0));
        form.LoadFromOptions(ZonariaOptions());
        benchmark::DoNotOptimize(&form);
    }
}
BENCHMARK(BM_OpenTimeConfForm)->Unit(benchmark::kMillisecond);

void BM_ComputeAnswer(benchmark::State& state) {
    MakeCities(2);
    TTimeQuestion q{8, 30, 1, 30, 11, 36};
    for (auto _ : state) benchmark::DoNotOptimize(ComputeAnswer(q, 0, 1, "D x"));
    ClearLists();
}
BENCHMARK(BM_ComputeAnswer);

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
