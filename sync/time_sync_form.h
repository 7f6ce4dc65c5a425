// The "Time Synchronizer" dialog: the window over TTimeSync. Opened modally by the main window,
// destroyed when it closes.
#pragma once

#include <memory>

#include <QDialog>
#include <QTimer>

#include "platform/system_clock_setter.h"
#include "sync/qt_event_source.h"
#include "sync/time_sync.h"

namespace Ui {
class TTimeSyncForm;
}

namespace velkaro {

class TTimeSyncForm : public QDialog, private TTimeSyncView {
    Q_OBJECT

public:
    // Without a clock setter the form uses the real system clock.
    explicit TTimeSyncForm(QWidget* parent = nullptr, TClockSetter* clock = nullptr);
    ~TTimeSyncForm() override;

    TTimeSync& Logic() { return *fLogic; }
    Ui::TTimeSyncForm& Form() { return *fUi; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GetServerTime();
    void FillServerList();

    void SetLocalTimeText(const std::string& text) override;
    void SetRemoteTimeText(const std::string& text) override;
    void SetServerTimeEnabled(bool enabled) override;
    void SetStatusText(const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text, TMessageIcon icon) override;
    bool Confirm(const std::string& caption, const std::string& text) override;

    std::unique_ptr<Ui::TTimeSyncForm> fUi;
    TSystemClockSetter fSystemClock;
    TQtEventSource fEvents;
    QTimer* Timer = nullptr;
    std::unique_ptr<TTimeSync> fLogic;
};

}  // namespace velkaro
