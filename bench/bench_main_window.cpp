// The main window's once-a-second work: one clock tick (strip repainted into the back buffer and
// copied, the city hint refreshed, the icon's tooltip set), and city picking over the whole list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "app/map_logic.h"
#include "app/map_panel.h"
#include "app/zonaria_form.h"

namespace velkaro {
namespace {

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

void BM_Tick(benchmark::State& state) {
    TZonariaForm form(kDataDir);
    form.show();
    QCoreApplication::processEvents();
    const TCity& city = *CityList.front();
    form.MapImageClick(city.X + 2, city.Y);
    form.MapImageMouseMove(city.X + 2, city.Y);
    for (auto _ : state) {
        form.TimerTimer();
        form.MapImage->repaint();  // the invalidated strip, painted now rather than by the loop
    }
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

void BM_CityAt(benchmark::State& state) {
    LoadLists(kDataDir);
    int x = 0, y = 0;
    for (auto _ : state) {
        // A point with no city near it walks the whole list.
        benchmark::DoNotOptimize(CityAt(CityList, x, y));
        x = (x + 37) % kMapWidth;
        y = (y + 11) % kMapHeight;
    }
    state.counters["cities"] = double(CityList.size());
    ClearLists();
}
BENCHMARK(BM_CityAt);

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    // Off-screen windows and a settings folder of our own, removed afterwards.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char dir[] = "/tmp/velkaro-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    setenv("XDG_CONFIG_HOME", dir, 1);
    int status = 0;
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) status = 1;
        else benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::filesystem::remove_all(dir);
    return status;
}
