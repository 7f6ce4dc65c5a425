// The application object: its error handler and when the program ends.
#include "app/application.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include "platform/error.h"
#include "tests/app/test_app.h"

namespace velkaro {
namespace {

class TThrower : public QObject {
public:
    int Calls = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++Calls;
        throw Error("List index [7] out of bounds");
    }
};

TEST(Application, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    App();
    TBoxCapture boxes;
    TThrower thrower;
    for (int i = 0; i < 2; ++i) {
        QEvent e(QEvent::User);
        EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &e));
    }
    EXPECT_EQ(thrower.Calls, 2);
    ASSERT_EQ(boxes.Messages.size(), 2u);
    EXPECT_EQ(boxes.Messages[0].first, TBoxKind::bkError);
    EXPECT_EQ(boxes.Messages[0].second, "List index [7] out of bounds");
}

TEST(Application, AnErrorWhileTheErrorBoxIsOpenStacksNoSecondBox) {
    App();
    std::vector<std::string> shown;
    const TBoxHandler previous = SetBoxHandler([&shown](TBoxKind, const std::string& message) {
        shown.push_back(message);
        // The box's own loop runs the clock, which fails again.
        ShowErrorBox("again");
    });
    ShowErrorBox("first");
    ShowErrorBox("later");  // once the box is closed, the next error shows
    SetBoxHandler(previous);
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "later"}));
}

TEST(Application, ClosingTheLastVisibleWindowDoesNotEndTheProgram) {
    App();
    // A dialog opened from the icon's menu while the main window is hidden is the only
    // visible window; closing it must leave the program running.
    QDialog dialog;
    dialog.show();
    QTimer::singleShot(0, &dialog, &QDialog::close);
    QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7);  // still running when the loop was ended on purpose
}

}  // namespace
}  // namespace velkaro
