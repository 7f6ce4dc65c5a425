#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>

namespace velkaro {

namespace {

TBoxHandler& Handler() {
    static TBoxHandler handler;
    return handler;
}

void Show(TBoxKind kind, const std::string& message) {
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
