#include "platform/termination.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace velkaro {

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Nothing else is async-signal-safe here; a full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void WatchTermination(std::function<void()> request) {
    // The write end never blocks a signal handler; the reader waits on its own thread.
    if (pipe2(signalPipe, O_CLOEXEC) != 0) return;
    if (fcntl(signalPipe[1], F_SETFL, O_NONBLOCK) != 0) return;
    std::thread([request = std::move(request)] {
        char byte;
        for (;;) {
            const ssize_t n = read(signalPipe[0], &byte, 1);
            if (n == 1) request();
            else if (n == 0 || errno != EINTR) return;
        }
    }).detach();
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace velkaro
