#include "app/application.h"

#include "app/error_box.h"
#include "platform/termination.h"

namespace velkaro {

TVelkaroApplication::TVelkaroApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Only the main window's closing ends the program: a tool dialog opened from the icon's
    // menu while the window is hidden must not take the program with it when it closes.
    setQuitOnLastWindowClosed(false);
}

bool TVelkaroApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("Unknown error.");
    }
    return false;
}

void InstallTerminationHandler(std::function<void()> close) {
    // The request comes on another thread; the window is closed on the user-interface thread.
    WatchTermination([close = std::move(close)] { QMetaObject::invokeMethod(qApp, close, Qt::QueuedConnection); });
}

}  // namespace velkaro
