// One QApplication for a test program (offscreen platform from the test environment), and a
// capture of the error and warning boxes in place of the real ones.
#pragma once

#include <QApplication>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/error_box.h"

namespace velkaro {

// The one application object of a test program, made on first use.
template <class TApp>
TApp& MakeTestApplication() {
    static int argc = 1;
    static char name[] = "velkaro-test";
    static char* argv[] = {name, nullptr};
    static auto* app = new TApp(argc, argv);
    return *app;
}

inline QApplication& TestApplication() { return MakeTestApplication<QApplication>(); }
// The program's own application object, for the tests of what it adds to QApplication.
inline TVelkaroApplication& App() { return MakeTestApplication<TVelkaroApplication>(); }

class TBoxCapture {
public:
    TBoxCapture() {
        FPrevious = SetBoxHandler([this](TBoxKind kind, const std::string& message) {
            Messages.emplace_back(kind, message);
        });
    }
    ~TBoxCapture() { SetBoxHandler(std::move(FPrevious)); }
    std::vector<std::pair<TBoxKind, std::string>> Messages;

private:
    TBoxHandler FPrevious;
};

}  // namespace velkaro
