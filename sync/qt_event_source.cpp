#include "sync/qt_event_source.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

namespace velkaro {

TQtEventSource::TQtEventSource() = default;

TQtEventSource::~TQtEventSource() {
    for (auto& [id, n] : fNotifiers) delete n;
    for (auto& [id, t] : fTimers) delete t;
}

TEventSource::TId TQtEventSource::AddWatch(TSocketHandle handle, TWatchKind kind, TCallback onReady) {
    TId id = fNextId++;
    auto* n = new QSocketNotifier(handle, kind == ewRead ? QSocketNotifier::Read : QSocketNotifier::Write, &fReceiver);
    QObject::connect(n, &QSocketNotifier::activated, &fReceiver, [call = std::move(onReady)] { call(); });
    fNotifiers[id] = n;
    return id;
}

void TQtEventSource::EnableWatch(TId id, bool enabled) {
    auto it = fNotifiers.find(id);
    if (it != fNotifiers.end()) it->second->setEnabled(enabled);
}

void TQtEventSource::RemoveWatch(TId id) {
    auto it = fNotifiers.find(id);
    if (it == fNotifiers.end()) return;
    // The notifier whose signal is running now must outlive the call: it goes later.
    it->second->setEnabled(false);
    it->second->disconnect();
    it->second->deleteLater();
    fNotifiers.erase(it);
}

void TQtEventSource::Post(TCallback call) {
    QMetaObject::invokeMethod(&fReceiver, std::move(call), Qt::QueuedConnection);
}

TEventSource::TId TQtEventSource::StartTimer(int ms, TCallback onTimeout) {
    TId id = fNextId++;
    auto* t = new QTimer(&fReceiver);
    t->setSingleShot(true);
    QObject::connect(t, &QTimer::timeout, &fReceiver, [this, id, call = std::move(onTimeout)] {
        // Stopping drops this very functor, so what it holds is copied out first.
        TCallback run = call;
        TQtEventSource* self = this;
        self->StopTimer(id);
        run();
    });
    fTimers[id] = t;
    t->start(ms);
    return id;
}

void TQtEventSource::StopTimer(TId id) {
    auto it = fTimers.find(id);
    if (it == fTimers.end()) return;
    it->second->stop();
    it->second->disconnect();
    it->second->deleteLater();
    fTimers.erase(it);
}

void TQtEventSource::ProcessEvents(int maxWaitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, maxWaitMs);
}

}  // namespace velkaro
