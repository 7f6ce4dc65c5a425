// What the asynchronous socket and the fetch need from an event loop: readiness watches on a
// socket, deferred calls and single-shot timers, all run on the thread that owns the loop.
// The window supplies one over Qt's loop (TQtEventSource); the command-line tool and the
// core's tests use TPollEventSource.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/socket.h"

namespace velkaro {

class TEventSource {
public:
    using TCallback = std::function<void()>;
    using TId = uint64_t;  // never 0, never reused
    enum TWatchKind { ewRead, ewWrite };

    virtual ~TEventSource() = default;

    // Calls onReady each time the handle is ready while the watch is enabled (level-triggered).
    // A new watch is enabled.
    virtual TId AddWatch(TSocketHandle handle, TWatchKind kind, TCallback onReady) = 0;
    virtual void EnableWatch(TId id, bool enabled) = 0;
    // Safe from inside the watch's own callback.
    virtual void RemoveWatch(TId id) = 0;
    // Runs the call later, after what is queued already.
    virtual void Post(TCallback call) = 0;
    virtual TId StartTimer(int ms, TCallback onTimeout) = 0;
    virtual void StopTimer(TId id) = 0;
    // Runs what is due, waiting at most maxWaitMs for something to become due.
    virtual void ProcessEvents(int maxWaitMs) = 0;
};

}  // namespace velkaro
