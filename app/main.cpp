// The program: the application object, the main window, and the message loop until it closes.
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/application.h"
#include "app/zonaria_form.h"

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

    // For the screenshot script: at the first paint, report the start-up time, write a picture
    // of the whole window and end as "&Exit" would.
    const QString shot = qEnvironmentVariable("VELKARO_SCREENSHOT");
    if (!shot.isEmpty()) {
        form.OnFirstPaint = [&form, &started, shot] {
            std::fprintf(stderr, "first paint after %lld ms\n", static_cast<long long>(started.elapsed()));
            QTimer::singleShot(500, &form, [&form, shot] {
                if (!form.grab().save(shot, "PNG")) std::fprintf(stderr, "cannot write %s\n", qPrintable(shot));
                form.close();
            });
        };
    }

    if (form.ListsLoaded) form.show();
    return app.exec();
}
