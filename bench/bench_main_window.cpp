// The main window's once-a-second work, one step of the time scrubber, the once-a-minute
// shading of the map picture with daylight shown, and city picking over the whole list.
//
// A tick is measured as the window system sees it: the tick's invalidation, then the window's
// pending update, which paints the invalidated rectangles into the window's backing store (on
// the offscreen platform a QImage of the window's device pixel ratio) and flushes them. The
// whole set runs at 100 % in a child process, then again at 200 % (QT_SCALE_FACTOR=2), where
// the map picture has four times the pixels; a tick must not care.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "map/daylight_layer.h"
#include "map/map_logic.h"
#include "map/map_panel.h"
#include "app/zonaria_form.h"
#include "settings/options.h"
#include "resources/resources.h"

namespace velkaro {
namespace {

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

// A shown window, its pending paints done, that counts the pixels its map panel paints.
struct TShownForm {
    TZonariaForm form{kDataDir};
    double pixels = 0;
    TShownForm() {
        const auto paint = form.MapImage->OnPaint;
        form.MapImage->OnPaint = [this, paint](QPaintEvent* e) {
            for (const QRect& r : e->region()) pixels += double(r.width()) * r.height();
            paint(e);
        };
        form.show();
        QCoreApplication::processEvents();
        pixels = 0;
    }
    void Update() { QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest); }
};

// One second as it passes for the window: the ticks within one real second would find nothing
// to do, so each iteration makes the boxes look different, as the next second does. With a
// city selected both boxes change; without one (a new user's window) only the Velkaro box.
// Argument: whether daylight is shown. The shading is made once a minute and then copied like
// the plain picture, so a tick costs the same.
void BM_Tick(benchmark::State& state, bool withCity) {
    ZonariaOptions() = TZonariaOptions();
    TShownForm w;
    TZonariaForm& form = w.form;
    ZonariaOptions().ShowDaylight = state.range(0) != 0;
    form.TimerTimer();  // with daylight, this minute's shading is made now
    w.Update();
    const TCity& city = *CityList.front();
    if (withCity) form.MapImageClick(city.X + 2, city.Y);
    form.MapImageMouseMove(city.X + 2, city.Y);  // a showing hint is refreshed too
    w.Update();
    w.pixels = 0;
    TZonariaOptions& o = ZonariaOptions();
    const TColor mvtFont = o.MVTFontColor, statusFont = o.StatusFontColor;
    int64_t n = 0;
    for (auto _ : state) {
        o.MVTFontColor = mvtFont ^ (n & 1);  // one step of red: a new look, as a new second
        if (withCity) o.StatusFontColor = statusFont ^ (n & 1);
        ++n;
        form.TimerTimer();
        w.Update();
    }
    o.MVTFontColor = mvtFont;
    o.StatusFontColor = statusFont;
    o.ShowDaylight = false;
    state.counters["dpr"] = form.devicePixelRatioF();
    // Logical pixels; the device pixels are dpr squared times as many.
    state.counters["px/tick"] = n ? w.pixels / double(n) : 0;
}
BENCHMARK_CAPTURE(BM_Tick, prompt, false)->ArgName("daylight")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, city, true)->ArgName("daylight")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One step of the scrubber, at its worst: to and fro across London's autumn clock change with
// London selected, so that every step changes the strip's boxes, the marker, the daylight
// shading (argument) and the regions highlighted for London's time. A drag stays smooth at
// 60 frames a second while this is under 16 ms.
void BM_ScrubStep(benchmark::State& state) {
    ZonariaOptions() = TZonariaOptions();
    TShownForm w;
    TZonariaForm& form = w.form;
    ZonariaOptions().ShowDaylight = state.range(0) != 0;  // after the window loaded the options
    for (const auto& c : CityList)
        if (c->Name == "London") form.MapImageClick(c->X + 2, c->Y);
    const TDateTime before = EncodeDateTime(2026, 10, 25, 0, 45), after = EncodeDateTime(2026, 10, 25, 1, 0);
    form.PreviewAt(after);
    w.Update();
    w.pixels = 0;
    int64_t n = 0;
    for (auto _ : state) {
        form.PreviewAt(n++ & 1 ? after : before);
        w.Update();
    }
    form.ReturnToNow();
    ZonariaOptions().ShowDaylight = false;
    state.counters["dpr"] = form.devicePixelRatioF();
    state.counters["px/step"] = n ? w.pixels / double(n) : 0;
}
// Process CPU time: Qt may hand parts of the painting to its worker threads, and on a shared
// machine the wall-clock time measures the other tenants as much as this.
BENCHMARK(BM_ScrubStep)->ArgName("daylight")->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// For comparison: the whole panel, as after a resize or an expose; this grows with the map.
void BM_FullPaint(benchmark::State& state) {
    TShownForm w;
    int64_t n = 0;
    for (auto _ : state) {
        w.form.MapImage->update();
        w.Update();
        ++n;
    }
    state.counters["dpr"] = w.form.devicePixelRatioF();
    state.counters["px/paint"] = n ? w.pixels / double(n) : 0;
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond);

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

// From nothing to the first paint: the window made (reading both list files), shown and
// painted, then closed again.
void BM_FirstPaint(benchmark::State& state) {
    ZonariaOptions() = TZonariaOptions();
    for (auto _ : state) TShownForm shown;
    ClearLists();
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond);

// The part of it that grows with the zone list: reading and checking both files.
void BM_LoadLists(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LoadLists(kDataDir));
    state.counters["zones"] = double(ZoneList.size());
    ClearLists();
}
BENCHMARK(BM_LoadLists)->Unit(benchmark::kMillisecond);

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

int Run(int argc, char** argv) {
    // A settings folder of our own, removed afterwards.
    char dir[] = "/tmp/velkaro-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    setenv("XDG_CONFIG_HOME", dir, 1);
    // The offscreen platform's notices (no raise(), no size hints) would drown the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (!text.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s%s\n", type == QtDebugMsg ? "" : "Qt: ", qPrintable(text));
    });
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

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A scale given by the caller is the only one run; otherwise 100 % in a child, then 200 %
    // here (the scale is read once, when Qt starts).
    if (std::getenv("QT_SCALE_FACTOR")) return velkaro::Run(argc, argv);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        setenv("QT_SCALE_FACTOR", "1", 1);
        _exit(velkaro::Run(argc, argv));
    }
    int childStatus = 0;
    if (waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus)) return 1;
    setenv("QT_SCALE_FACTOR", "2", 1);
    const int status = velkaro::Run(argc, argv);
    return WEXITSTATUS(childStatus) != 0 ? WEXITSTATUS(childStatus) : status;
}
