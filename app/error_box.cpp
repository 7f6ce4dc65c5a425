#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace velkaro {

namespace {

TBoxHandler& Handler() {
    static TBoxHandler handler;
    return handler;
}

void Show(TBoxKind kind, const std::string& message) {
    // A box runs its own event loop, in which the clock keeps ticking and the window keeps
    // painting; an error repeating there would stack box upon box. One at a time is enough.
    static bool showing = false;
    if (showing) {
        std::fprintf(stderr, "velkaro: %s\n", message.c_str());
        return;
    }
    showing = true;
    struct TReset {
        ~TReset() { showing = false; }
    } reset;
    if (Handler()) {
        Handler()(kind, message);
        return;
    }
    const QString title = QString::fromLatin1(kApplicationTitle);
    const QString text = QString::fromLatin1(message);
    if (kind == TBoxKind::bkError) QMessageBox::critical(nullptr, title, text);
    else QMessageBox::warning(nullptr, title, text);
}

}  // namespace

void ShowErrorBox(const std::string& message) { Show(TBoxKind::bkError, message); }
void ShowWarningBox(const std::string& message) { Show(TBoxKind::bkWarning, message); }

TBoxHandler SetBoxHandler(TBoxHandler handler) {
    TBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

}  // namespace velkaro
