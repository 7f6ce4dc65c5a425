// The system's request that the program end: a termination signal, the console's Ctrl+C or its
// closing. The program answers by closing its window as "Exit" does, so nothing is lost.
#pragma once

#include <functional>

namespace velkaro {

// Calls `request` each time the system asks the program to end (SIGTERM, SIGINT and SIGHUP on
// POSIX; Ctrl+C, Ctrl+Break and the console's closing on Windows). `request` runs on a thread of
// its own, never inside a signal handler, so it may do anything thread-safe, typically hand the
// work to the main thread. Call once.
void WatchTermination(std::function<void()> request);

}  // namespace velkaro
