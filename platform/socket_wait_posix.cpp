// poll(2) implementation of the readiness wait.
#include "platform/socket_wait.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace velkaro {

int SockWait(TSocketWaitEntry* entries, size_t count, int timeoutMs) {
    std::vector<pollfd> fds(count);
    for (size_t i = 0; i < count; ++i) {
        fds[i].fd = entries[i].Handle;
        fds[i].events = static_cast<short>((entries[i].WantRead ? POLLIN : 0) | (entries[i].WantWrite ? POLLOUT : 0));
        entries[i].Readable = entries[i].Writable = false;
    }
    int rc = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? 0 : timeoutMs);
    if (rc < 0) {
        if (errno == EINTR) return 0;
        SockSetLastError(SocketErrorFromErrno(errno));
        return -1;
    }
    for (size_t i = 0; i < count; ++i) {
        const short r = fds[i].revents;
        const bool trouble = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        entries[i].Readable = entries[i].WantRead && ((r & POLLIN) || trouble);
        entries[i].Writable = entries[i].WantWrite && ((r & POLLOUT) || trouble);
    }
    return rc;
}

}  // namespace velkaro
