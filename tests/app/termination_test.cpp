// A termination signal closes the program on its event loop, never inside the signal handler.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <csignal>

#include "tests/app/test_app.h"

namespace velkaro {
namespace {

TEST(Application, TerminationSignalsCloseOnTheEventLoop) {
    App();
    int closes = 0;
    InstallTerminationHandler([&closes] { ++closes; });
    for (int sig : {SIGTERM, SIGINT}) {
        const int before = closes;
        ASSERT_EQ(raise(sig), 0);
        EXPECT_EQ(closes, before);  // nothing happens inside the signal handler
        QElapsedTimer t;
        t.start();
        while (closes == before && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        EXPECT_EQ(closes, before + 1);
    }
}

}  // namespace
}  // namespace velkaro
