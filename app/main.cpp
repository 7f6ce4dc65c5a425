// The program: the application object, the main window, and the message loop until it closes.
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/application.h"
#include "app/zonaria_form.h"

int main(int argc, char** argv) {
    using namespace velkaro;
    // The options object exists with its defaults before any window (ZonariaOptions()).
    QElapsedTimer started;
    started.start();
    TVelkaroApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velkaro"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velkaro"));

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
