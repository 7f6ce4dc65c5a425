// The program: the application object, the main window, and the message loop until it closes.
#include <QAccessibleInterface>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/application.h"
#include "app/map_accessible.h"
#include "app/zonaria_form.h"
#include "planner/planner_form.h"
#include "timemodel/iso_time.h"
#include "sync/time_sync_form.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"

namespace {

// "configure" or "configure:N" (its page N), "sync", "convert", "calculate": a dialog for the
// screenshot script ("planner" is the main window's own).
std::unique_ptr<QDialog> ScreenshotDialog(const QString& name) {
    using namespace velkaro;
    const QStringList parts = name.split(QLatin1Char(':'));
    if (parts[0] == QLatin1String("sync")) return std::make_unique<TTimeSyncForm>();
    if (parts[0] == QLatin1String("convert")) return std::make_unique<TTimeConvForm>();
    if (parts[0] == QLatin1String("calculate")) return std::make_unique<TTimeCalcForm>();
    if (parts[0] != QLatin1String("configure")) return nullptr;
    auto conf = std::make_unique<TTimeConfForm>();
    conf->LoadFromOptions(ZonariaOptions());
    if (parts.size() > 1)
        if (auto* pages = conf->findChild<QTabWidget*>()) pages->setCurrentIndex(parts[1].toInt());
    return conf;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velkaro;
    // Answered before any window system is needed, so they work on a bare terminal.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velkaro %s\n", VELKARO_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: velkaro [--version] [--help]\n"
                        "Starts the world time map. Qt's own options (-platform NAME, ...) also apply.\n");
            return 0;
        }
    }
    // The options object exists with its defaults before any window (ZonariaOptions()).
    QElapsedTimer started;
    started.start();
    TVelkaroApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velkaro"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VELKARO_APP_ID));

    TZonariaForm form;
    // A termination signal and the end of the session close the window as "&Exit" does, so the
    // placement and the options are saved.
    InstallTerminationHandler([&form] { form.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form] { form.close(); });

    // For scripted runs where no screen reader can listen (the Windows program under Wine):
    // what assistive technology is told of the selection, one line each, appended to a file.
    const QString announceLog = qEnvironmentVariable("VELKARO_ANNOUNCE_LOG");
    if (!announceLog.isEmpty()) {
        SetAnnouncementObserver([announceLog](QAccessible::Event type, QAccessibleInterface* object) {
            if (type != QAccessible::NameChanged || !object) return;
            QFile file(announceLog);
            if (file.open(QIODevice::Append | QIODevice::Text))
                file.write(object->text(QAccessible::Name).toUtf8() + '\n');
        });
    }

    // For the screenshot script: at the first paint, report the start-up time, write a picture
    // of the whole window (or of the dialog it names) and end as "&Exit" would.
    const QString shot = qEnvironmentVariable("VELKARO_SCREENSHOT");
    const QString dialogName = qEnvironmentVariable("VELKARO_SCREENSHOT_DIALOG");
    std::unique_ptr<QDialog> dialog;
    if (!shot.isEmpty()) {
        form.OnFirstPaint = [&form, &started, &dialog, shot, dialogName] {
            std::fprintf(stderr, "first paint after %lld ms\n", static_cast<long long>(started.elapsed()));
            // The map at another moment, with a city selected and pointed at (its same-time
            // regions highlighted): VELKARO_SCREENSHOT_AT=2026-10-25T00:30:00Z, _CITY=London.
            const std::string city = qEnvironmentVariable("VELKARO_SCREENSHOT_CITY").toStdString();
            for (const auto& c : CityList)
                if (c->Name == city) {
                    form.MapImageClick(c->X + 2, c->Y);
                    form.MapImageMouseMove(c->X + 2, c->Y);
                }
            if (const auto at = ParseIsoUtc(qEnvironmentVariable("VELKARO_SCREENSHOT_AT").toStdString()))
                form.PreviewAt(*at);
            QWidget* tool = nullptr;
            if (dialogName.startsWith(QLatin1String("planner"))) {
                // "planner:Paris,New York,Tokyo" opens it with those places.
                form.btnPlannerClick();
                if (dialogName.contains(QLatin1Char(':'))) {
                    std::vector<TPlanPlace> places;
                    for (const QString& name : dialogName.section(QLatin1Char(':'), 1).split(QLatin1Char(',')))
                        for (const auto& c : CityList)
                            if (c->Name == name.toStdString()) places.push_back({c->Name, &ZoneOfCity(*c), {}});
                    form.Planner->SetPlaces(places);
                }
                form.btnPlannerClick();
                tool = form.Planner;
            } else if (!dialogName.isEmpty()) {
                dialog = ScreenshotDialog(dialogName);
                if (dialog) dialog->show();
                else std::fprintf(stderr, "no dialog %s\n", qPrintable(dialogName));
            }
            QTimer::singleShot(500, &form, [&form, &dialog, shot, tool] {
                QWidget* window = dialog ? static_cast<QWidget*>(dialog.get()) : tool ? tool : &form;
                if (!window->grab().save(shot, "PNG")) std::fprintf(stderr, "cannot write %s\n", qPrintable(shot));
                dialog.reset();
                form.close();
            });
        };
    }

    if (form.ListsLoaded) form.show();
    return app.exec();
}
