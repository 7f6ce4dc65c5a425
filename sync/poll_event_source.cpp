#include "sync/poll_event_source.h"

#include <algorithm>
#include <vector>

#include "platform/socket_wait.h"

namespace velkaro {

TEventSource::TId TPollEventSource::AddWatch(TSocketHandle handle, TWatchKind kind, TCallback onReady) {
    TId id = fNextId++;
    fWatches[id] = TWatch{handle, kind, true, std::move(onReady)};
    return id;
}

void TPollEventSource::EnableWatch(TId id, bool enabled) {
    auto it = fWatches.find(id);
    if (it != fWatches.end()) it->second.Enabled = enabled;
}

void TPollEventSource::RemoveWatch(TId id) { fWatches.erase(id); }

void TPollEventSource::Post(TCallback call) { fPosted.push_back(std::move(call)); }

TEventSource::TId TPollEventSource::StartTimer(int ms, TCallback onTimeout) {
    TId id = fNextId++;
    fTimers[id] = TTimer{TClock::now() + std::chrono::milliseconds(std::max(ms, 0)), std::move(onTimeout)};
    return id;
}

void TPollEventSource::StopTimer(TId id) { fTimers.erase(id); }

void TPollEventSource::ProcessEvents(int maxWaitMs) {
    // Calls posted while these run wait for the next round, as in any message loop.
    std::deque<TCallback> posted;
    posted.swap(fPosted);
    for (TCallback& call : posted) call();

    const TClock::time_point now = TClock::now();
    long wait = fPosted.empty() ? std::max(maxWaitMs, 0) : 0;
    for (const auto& [id, t] : fTimers)
        wait = std::min<long>(wait, std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(t.Due - now).count()));

    std::vector<TSocketWaitEntry> entries;
    std::vector<TId> ids;
    for (const auto& [id, w] : fWatches) {
        if (!w.Enabled) continue;
        TSocketWaitEntry e;
        e.Handle = w.Handle;
        e.WantRead = w.Kind == ewRead;
        e.WantWrite = w.Kind == ewWrite;
        entries.push_back(e);
        ids.push_back(id);
    }
    if (SockWait(entries.data(), entries.size(), static_cast<int>(wait)) > 0) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!entries[i].Readable && !entries[i].Writable) continue;
            // An earlier callback may have removed or paused this watch.
            auto it = fWatches.find(ids[i]);
            if (it == fWatches.end() || !it->second.Enabled) continue;
            TCallback call = it->second.OnReady;
            call();
        }
    }

    const TClock::time_point after = TClock::now();
    std::vector<TId> due;
    for (const auto& [id, t] : fTimers)
        if (t.Due <= after) due.push_back(id);
    for (TId id : due) {
        auto it = fTimers.find(id);
        if (it == fTimers.end()) continue;
        TCallback call = std::move(it->second.OnTimeout);
        fTimers.erase(it);
        call();
    }
}

}  // namespace velkaro
