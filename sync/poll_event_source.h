// An event loop of its own over the platform's readiness wait, for programs without a
// toolkit loop (the command-line tool) and for the core's tests.
#pragma once

#include <chrono>
#include <deque>
#include <map>

#include "sync/event_source.h"

namespace velkaro {

class TPollEventSource : public TEventSource {
public:
    TId AddWatch(TSocketHandle handle, TWatchKind kind, TCallback onReady) override;
    void EnableWatch(TId id, bool enabled) override;
    void RemoveWatch(TId id) override;
    void Post(TCallback call) override;
    TId StartTimer(int ms, TCallback onTimeout) override;
    void StopTimer(TId id) override;
    void ProcessEvents(int maxWaitMs) override;

private:
    using TClock = std::chrono::steady_clock;
    struct TWatch {
        TSocketHandle Handle;
        TWatchKind Kind;
        bool Enabled;
        TCallback OnReady;
    };
    struct TTimer {
        TClock::time_point Due;
        TCallback OnTimeout;
    };

    TId fNextId = 1;
    std::map<TId, TWatch> fWatches;
    std::map<TId, TTimer> fTimers;
    std::deque<TCallback> fPosted;
};

}  // namespace velkaro
