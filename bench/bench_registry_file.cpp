// Cost of the settings file: formatting and parsing a hive of the program's size and a large
// one, and a whole flush (lock, re-read, merge, write, fsync, rename).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/reg_file.h"
#include "platform/reg_file_hive.h"

namespace {

using namespace velkaro;

TRegTree MakeTree(int values) {
    TRegTree tree;
    TRegNode* node = tree.Create(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"});
    for (int i = 0; i < values; ++i) {
        std::string name = "Value" + std::to_string(i);
        if (i % 2) node->SetValue(name, {rtDword, {uint8_t(i), 0, 0, 0}});
        else node->SetValue(name, {rtSz, {'D', 'D', ' ', 'x', 'x', 0}});
    }
    return tree;
}

void BM_FormatRegFile(benchmark::State& state) {
    TRegTree tree = MakeTree(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(FormatRegFile(tree));
}
BENCHMARK(BM_FormatRegFile)->Arg(24)->Arg(1000);

void BM_ParseRegFile(benchmark::State& state) {
    std::string text = FormatRegFile(MakeTree(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        TRegTree tree;
        TRegParseError error;
        benchmark::DoNotOptimize(ParseRegFile(text, tree, error));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseRegFile)->Arg(24)->Arg(1000);

void BM_FlushOneChange(benchmark::State& state) {
    char tmpl[] = "/tmp/velkaro-bench-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    {
        TFileRegistryHive hive(dir + "/Zonaria/registry.reg");
        auto key = hive.OpenKey(rhCurrentUser, "SOFTWARE\\Zonaria\\Options", true);
        const uint8_t data[4] = {1, 0, 0, 0};
        for (int i = 0; i < 24; ++i) key->SetValue("Value" + std::to_string(i), rtDword, data, 4);
        uint8_t n = 0;
        for (auto _ : state) {
            const uint8_t v[4] = {n++, 0, 0, 0};
            key->SetValue("Tag", rtDword, v, 4);
            benchmark::DoNotOptimize(hive.Flush());
        }
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FlushOneChange)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
