// select() implementation of the readiness wait. Windows reports a failed connection attempt
// in the exception set, not as writable, so that set counts as both readable and writable.
// Our header first: it names the Windows Sockets codes that winsock2.h then defines as macros.
#include "platform/socket_wait.h"

#include <winsock2.h>
#include <windows.h>

namespace velkaro {

int SockWait(TSocketWaitEntry* entries, size_t count, int timeoutMs) {
    if (timeoutMs < 0) timeoutMs = 0;
    if (count > FD_SETSIZE) {
        SockSetLastError(WSAEINVAL);
        return -1;
    }
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    size_t watched = 0;
    for (size_t i = 0; i < count; ++i) {
        entries[i].Readable = entries[i].Writable = false;
        const SOCKET s = static_cast<SOCKET>(static_cast<intptr_t>(entries[i].Handle));
        if (entries[i].WantRead) FD_SET(s, &readable);
        if (entries[i].WantWrite) FD_SET(s, &writable);
        if (entries[i].WantRead || entries[i].WantWrite) {
            FD_SET(s, &failed);
            ++watched;
        }
    }
    if (watched == 0) {  // select refuses empty sets
        Sleep(static_cast<DWORD>(timeoutMs));
        return 0;
    }
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int rc = ::select(0, &readable, &writable, &failed, &tv);
    if (rc == SOCKET_ERROR) {
        SockSetLastError(WSAGetLastError());
        return -1;
    }
    int ready = 0;
    for (size_t i = 0; i < count; ++i) {
        const SOCKET s = static_cast<SOCKET>(static_cast<intptr_t>(entries[i].Handle));
        const bool trouble = FD_ISSET(s, &failed) != 0;
        entries[i].Readable = entries[i].WantRead && (FD_ISSET(s, &readable) || trouble);
        entries[i].Writable = entries[i].WantWrite && (FD_ISSET(s, &writable) || trouble);
        if (entries[i].Readable || entries[i].Writable) ++ready;
    }
    return ready;
}

}  // namespace velkaro
