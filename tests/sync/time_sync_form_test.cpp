// The synchronizer's window over servers on loopback: its components, the result boxes, and
// what it remembers. The default server must never be asked.
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

namespace velkaro {
namespace {

struct TFakeClock : TClockSetter {
    bool SetTimePrivilege(bool) override { return true; }
    bool SetSystemTimeUtc(const TPlatformTime&) override {
        ++Sets;
        return true;
    }
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

// Which box says what is the synchronizer's tests' business; here, that a large step asks
// first, and that the box's plain acceptance is not a Yes.
TEST_F(TimeSyncFormTest, LargeStepAsksWithNoAsTheDefault) {
    TFakeClock clock;
    TTimeSyncForm form(nullptr, &clock);
    form.Logic().LastServerUtc = UtcNow();
    form.Logic().ClockOffset = 5000.0 / 86400;
    AnswerNextBox();
    form.findChild<QPushButton*>("btnLocalTime")->click();
    EXPECT_EQ(*Answer, "Confirm|The server's time differs from this computer's by 5000 seconds. Set the clock to the "
                       "server's time?|other");
    EXPECT_EQ(clock.Sets, 0);
}

TEST_F(TimeSyncFormTest, GetServerTimeThroughTheWindow) {
    test::TXinetdDaytime xinetd;
    ASSERT_TRUE(xinetd.Started()) << xinetd.Failure();
    test::TScriptedNtpServer ntp({.AheadS = 0.5});
    TFakeClock clock;
    ZonariaOptions().TimeServers = {"old.example"};
    {
        TTimeSyncForm form(nullptr, &clock);
        auto* button = form.findChild<QPushButton*>("btnServerTime");
        auto* remote = form.findChild<QLineEdit*>("RemoteTimeEdit");
        auto* server = form.findChild<QComboBox*>("cbServer");
        auto* protocol = form.findChild<QComboBox*>("cbProtocol");
        EXPECT_EQ(server->currentText(), "time.nist.gov");  // the defaults until others are chosen
        EXPECT_EQ(protocol->currentText(), "Daytime");
        EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);  // closed by its button only
        EXPECT_TRUE(form.findChild<QTimer*>("Timer")->isActive());

        // The local time in the hint's pattern.
        ZonariaOptions().HintTimeFormat = "yy";
        form.Logic().LocalNowSource = [] { return EncodeDateTime(2031, 5, 6, 7, 8, 9); };
        form.show();
        EXPECT_EQ(form.findChild<QLineEdit*>("LocalTimeEdit")->text(), "2031");

        // Enter in the server field asks the server typed there; the dialog stays.
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

        // NTP is chosen beside the server; its status is shown.
        protocol->setCurrentText("NTP");
        form.Logic().ServerPort = std::to_string(ntp.Port());
        button->click();
        ASSERT_TRUE(test::WaitFor(Loop, [&] { return button->isEnabled(); }));
        EXPECT_THAT(form.findChild<QLabel*>("lblStatus")->text().toStdString(),
                    ::testing::MatchesRegex("Your clock is 0\\.[45][0-9] s slow \\(± 0\\.[0-9]{2} s\\)"));
    }
    // Server and protocol are remembered.
    TTimeSyncForm again(nullptr, &clock);
    EXPECT_EQ(again.findChild<QComboBox*>("cbProtocol")->currentText(), "NTP");
    EXPECT_EQ(again.findChild<QComboBox*>("cbServer")->currentText(), "127.0.0.1");
    ZonariaOptions().HintTimeFormat = "D x";
    ZonariaOptions().TimeServer.clear();
    ZonariaOptions().TimeServers.clear();
    ZonariaOptions().TimeProtocol = "Daytime";
}

}  // namespace
}  // namespace velkaro
