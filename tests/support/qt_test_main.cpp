// Test entry for widget tests: one QApplication for the whole run, then every gtest. Widget
// tests never need a display, so the offscreen platform is the default (also while the test
// list is discovered, which runs without the tests' environment).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
