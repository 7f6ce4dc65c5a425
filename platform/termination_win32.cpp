#include "platform/termination.h"

#include <windows.h>

namespace velkaro {

namespace {

std::function<void()>* handler = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        (*handler)();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        (*handler)();
        // The system ends the process as soon as this returns; the main thread saves and
        // exits meanwhile. The system's own limit (about five seconds) still applies.
        Sleep(5000);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void WatchTermination(std::function<void()> request) {
    // The system calls the handler on a thread it creates for each event, as the contract says.
    handler = new std::function<void()>(std::move(request));
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace velkaro
