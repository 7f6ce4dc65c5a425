// The application object with the program's one error handler, and the clean way out on a
// termination signal or the end of the desktop session.
#pragma once

#include <QApplication>
#include <functional>

namespace velkaro {

class TVelkaroApplication : public QApplication {
    Q_OBJECT
public:
    TVelkaroApplication(int& argc, char** argv);

    // An error escaping an event handler is shown in the error box; the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs `close` on the event loop when the system asks the program to end (a termination signal,
// the console's Ctrl+C or closing; see WatchTermination). Call once.
void InstallTerminationHandler(std::function<void()> close);

}  // namespace velkaro
