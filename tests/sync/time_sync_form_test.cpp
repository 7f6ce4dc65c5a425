// The synchronizer's window: its components as the form describes them, the first display,
// and the result boxes. Nothing here fetches: the default server must never be asked.
#include "sync/time_sync_form.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/options.h"
#include "sync/qt_event_source.h"
#include "test_servers.h"
#include "timemodel/time_format.h"

namespace velkaro {
namespace {

struct TFakeClock : TClockSetter {
    bool SetTimePrivilege(bool enable) override { return !enable || CanRaise; }
    bool SetSystemTimeUtc(const TPlatformTime&) override {
        ++Sets;
        return true;
    }
    bool CanRaise = true;
    int Sets = 0;
};

class TimeSyncFormTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", fConfig.path().toLocal8Bit()); }

    // Answers the next message box, whenever it comes; its caption, text and icon land in Answer.
    void AnswerNextBox() {
        auto answer = std::make_shared<std::string>();
        auto* poll = new QTimer(qApp);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [answer, poll] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            *answer = box->windowTitle().toStdString() + "|" + box->text().toStdString() + "|" +
                      (box->icon() == QMessageBox::Critical      ? "error"
                       : box->icon() == QMessageBox::Information ? "information"
                                                                 : "other");
            if (box->defaultButton() != nullptr && box->button(QMessageBox::No) != nullptr &&
                box->defaultButton() != box->button(QMessageBox::No))
                *answer += "|default is not No";
            box->accept();
            poll->stop();
            poll->deleteLater();
        });
        poll->start();
        Answer = answer;
    }

    QTemporaryDir fConfig;
    TQtEventSource Loop;  // only to run Qt's loop while waiting
    std::shared_ptr<std::string> Answer;
};

TEST_F(TimeSyncFormTest, ShowFillsTheLocalTimeWithTheHintPattern) {
    TFakeClock clock;
    TTimeSyncForm form(nullptr, &clock);
    ZonariaOptions().HintTimeFormat = "yyyy";
    form.Logic().LocalNowSource = [] { return EncodeDateTime(2031, 5, 6, 7, 8, 9); };
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);  // closed by its button only
    EXPECT_TRUE(form.findChild<QTimer*>("Timer")->isActive());
    form.show();
    EXPECT_EQ(form.findChild<QLineEdit*>("LocalTimeEdit")->text().toStdString(),
              FormatTimePattern("yyyy", EncodeDateTime(2031, 5, 6, 7, 8, 9)));
    EXPECT_EQ(form.findChild<QLineEdit*>("RemoteTimeEdit")->text(), "");
    form.hide();
    ZonariaOptions().HintTimeFormat = "D x";
}

// Which box says what is the synchronizer's tests' business; here, that its box shows.
TEST_F(TimeSyncFormTest, SetLocalTimeShowsTheResultBox) {
    struct Case { bool Fetched; double OffsetS; bool CanRaise; std::string Box; int Sets; };
    const Case cases[] = {
        {true, 2, false, "Error|You do not have rights to change time settings.|error", 0},
        // A large step asks first; the box's plain acceptance is not a Yes.
        {true, 5000, true,
         "Confirm|The server's time differs from this computer's by 5000 seconds. Set the clock to the server's "
         "time?|other",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Box);
        TFakeClock clock;
        clock.CanRaise = c.CanRaise;
        TTimeSyncForm form(nullptr, &clock);
        if (c.Fetched) form.Logic().LastServerUtc = UtcNow();
        form.Logic().ClockOffset = c.OffsetS / 86400;
        AnswerNextBox();
        form.findChild<QPushButton*>("btnLocalTime")->click();
        EXPECT_EQ(*Answer, c.Box);
        EXPECT_EQ(clock.Sets, c.Sets);
    }
}

TEST_F(TimeSyncFormTest, GetServerTimeThroughTheWindow) {
    SetHostLookupHook(test::LoopbackOnlyLookup);
    test::TXinetdDaytime xinetd;
    ASSERT_TRUE(xinetd.Started()) << xinetd.Failure();
    TFakeClock clock;
    ZonariaOptions().TimeServers = {"old.example"};
    TTimeSyncForm form(nullptr, &clock);
    auto* button = form.findChild<QPushButton*>("btnServerTime");
    auto* remote = form.findChild<QLineEdit*>("RemoteTimeEdit");
    auto* server = form.findChild<QComboBox*>("cbServer");
    EXPECT_EQ(server->currentText(), "time.nist.gov");  // the default until another is chosen

    // Enter in the server field asks the server typed there; the dialog stays.
    form.show();
    server->setCurrentText(" 127.0.0.1 ");
    form.Logic().ServerPort = std::to_string(xinetd.Port());
    QTest::keyClick(server->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(button->isEnabled());
    ASSERT_TRUE(test::WaitFor(Loop, [&] { return button->isEnabled(); }));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(remote->text().isEmpty());
    EXPECT_EQ(ZonariaOptions().TimeServer, "127.0.0.1");
    EXPECT_EQ(ZonariaOptions().TimeServers, (std::vector<std::string>{"127.0.0.1", "old.example"}));
    EXPECT_EQ(server->count(), 3);  // and the default

    // The box comes from inside the socket's handler; the button returns after it is dismissed.
    form.Logic().ServerPort = std::to_string(test::FreePort());
    AnswerNextBox();
    button->click();
    ASSERT_TRUE(test::WaitFor(Loop, [&] { return button->isEnabled(); }));
    EXPECT_EQ(*Answer, "Error|Failed to connect to time server|error");
    EXPECT_EQ(remote->text(), "");  // no time that could pass for the server's
    form.hide();
    ZonariaOptions().TimeServer.clear();
    ZonariaOptions().TimeServers.clear();
    SetHostLookupHook(nullptr);
}

TEST_F(TimeSyncFormTest, NtpIsChosenBesideTheServerAndRemembered) {
    test::TChronyd chronyd;
    ASSERT_TRUE(chronyd.Started()) << chronyd.Failure();
    TFakeClock clock;
    {
        TTimeSyncForm form(nullptr, &clock);
        auto* protocol = form.findChild<QComboBox*>("cbProtocol");
        EXPECT_EQ(protocol->currentText(), "Daytime");  // the default
        protocol->setCurrentText("NTP");
        form.findChild<QComboBox*>("cbServer")->setCurrentText("127.0.0.1");
        form.Logic().ServerPort = std::to_string(chronyd.Port());
        auto* button = form.findChild<QPushButton*>("btnServerTime");
        button->click();
        ASSERT_TRUE(test::WaitFor(Loop, [&] { return button->isEnabled(); }));
        EXPECT_THAT(form.findChild<QLabel*>("lblStatus")->text().toStdString(),
                    ::testing::MatchesRegex("Your clock is (on time|0\\.0[0-9] s (fast|slow)) \\(± 0\\.[0-9]{2} s\\)"));
        EXPECT_EQ(ZonariaOptions().TimeProtocol, "NTP");
    }
    TTimeSyncForm again(nullptr, &clock);
    EXPECT_EQ(again.findChild<QComboBox*>("cbProtocol")->currentText(), "NTP");
    EXPECT_EQ(again.findChild<QComboBox*>("cbServer")->currentText(), "127.0.0.1");
    ZonariaOptions().TimeServer.clear();
    ZonariaOptions().TimeServers.clear();
    ZonariaOptions().TimeProtocol = "Daytime";
}

}  // namespace
}  // namespace velkaro
