// The main window's once-a-second work: one clock tick (strip repainted into the back buffer and
// copied, the city hint refreshed, the icon's tooltip set), at pixel ratios 1 and 2 and with
// the day and night shading off and on; the once-a-minute shading of the map picture itself;
// and city picking over the whole list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "app/daylight_layer.h"
#include "app/map_logic.h"
#include "app/map_panel.h"
#include "app/zonaria_form.h"
#include "resources/resources.h"

namespace velkaro {
namespace {

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

// Arguments: the pixel ratio, and whether daylight is shown. With daylight on the shading is
// made once (its minute) and then copied like the plain picture, so a tick costs the same.
void BM_Tick(benchmark::State& state) {
    const int ratio = int(state.range(0));
    ZonariaOptions() = TZonariaOptions();
    TZonariaForm form(kDataDir);
    form.show();
    QCoreApplication::processEvents();
    ZonariaOptions().ShowDaylight = state.range(1) != 0;
    if (ratio != 1) {
        form.BackBuffer = QImage(form.MapImage->size() * ratio, QImage::Format_RGB32);
        form.BackBuffer.setDevicePixelRatio(ratio);
    }
    const TCity& city = *CityList.front();
    form.MapImageClick(city.X + 2, city.Y);
    form.MapImageMouseMove(city.X + 2, city.Y);
    for (auto _ : state) {
        form.TimerTimer();
        form.MapImage->repaint();  // the invalidated strip, painted now rather than by the loop
    }
    ZonariaOptions().ShowDaylight = false;
}
BENCHMARK(BM_Tick)->ArgNames({"ratio", "daylight"})->Args({1, 0})->Args({2, 0})->Args({1, 1})->Args({2, 1})
    ->Unit(benchmark::kMicrosecond);

// The once-a-minute work with daylight on: the map picture shaded for a new minute.
void BM_ShadeDaylight(benchmark::State& state) {
    const int ratio = int(state.range(0));
    QImage picture(ratio > 1 ? QStringLiteral(":/map@2x.bmp") : QStringLiteral(":/map.bmp"));
    picture.setDevicePixelRatio(ratio);
    TDateTime utc = EncodeDateTime(2026, 6, 21, 12);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ShadeDaylight(picture, utc));
        utc += 1.0 / 1440;
    }
}
BENCHMARK(BM_ShadeDaylight)->ArgName("ratio")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

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
        velkaro::InitResources();
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) status = 1;
        else benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::filesystem::remove_all(dir);
    return status;
}
