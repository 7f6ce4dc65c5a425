// The event source over Qt's event loop: QSocketNotifier for readiness, queued calls and
// QTimer, so the socket's events arrive on the user-interface thread between the window's own.
#pragma once

#include <map>

#include <QObject>

#include "sync/event_source.h"

class QSocketNotifier;
class QTimer;

namespace velkaro {

class TQtEventSource : public TEventSource {
public:
    TQtEventSource();
    ~TQtEventSource() override;
    TQtEventSource(const TQtEventSource&) = delete;
    TQtEventSource& operator=(const TQtEventSource&) = delete;

    TId AddWatch(TSocketHandle handle, TWatchKind kind, TCallback onReady) override;
    void EnableWatch(TId id, bool enabled) override;
    void RemoveWatch(TId id) override;
    void Post(TCallback call) override;
    TId StartTimer(int ms, TCallback onTimeout) override;
    void StopTimer(TId id) override;
    void ProcessEvents(int maxWaitMs) override;

private:
    QObject fReceiver;  // deleting it drops the calls still queued for it
    TId fNextId = 1;
    std::map<TId, QSocketNotifier*> fNotifiers;
    std::map<TId, QTimer*> fTimers;
};

}  // namespace velkaro
