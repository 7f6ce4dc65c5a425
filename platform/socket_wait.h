// Waiting for socket readiness without an event loop of a toolkit: the command-line tool and
// the tests drive their sockets with it.
#pragma once

#include <cstddef>

#include "platform/socket.h"

namespace velkaro {

struct TSocketWaitEntry {
    TSocketHandle Handle = INVALID_SOCKET_HANDLE;
    bool WantRead = false;
    bool WantWrite = false;
    // Out: readable also covers end of stream and errors; writable also covers a failed connect.
    bool Readable = false;
    bool Writable = false;
};

// Waits until one of the entries is ready or timeoutMs have passed (with no entries: sleeps).
// Returns how many are ready, 0 on time-out, -1 on failure (SockLastError tells why).
int SockWait(TSocketWaitEntry* entries, size_t count, int timeoutMs);

}  // namespace velkaro
