// The notification-area icon: one icon with a tooltip and a menu, switched on while the main
// window is minimised. Qt's tray support reports whole clicks, which are turned back into the
// button presses the click machine understands.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "shell/tray_click.h"



namespace velkaro {

class TTrayIcon : public QObject, private TTrayClickSink {
    Q_OBJECT
public:
    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    // Whether the desktop has a notification area to put the icon in.
    static bool Available();

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    bool IconAdded() const { return iconAdded_; }

    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }
    // The tooltip text actually handed to the notification area.
    QString ShownTip() const;

    void SetStaticIcon(const QIcon& icon);
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const { return menu_; }
    void SetPopupWhenModal(bool value) { machine_.PopupWhenModal = value; }

    std::function<void()> OnDblClick;
    std::function<void(TTrayButton, int, int)> OnClick;

    // The notification area came back (its panel restarted): put the icon there again.
    void NotificationAreaReturned();
    // Fed with the notification area's presence now and then while the icon is on: re-adds
    // the icon when the area comes back, and tells OnAreaLost when it goes.
    void CheckNotificationArea(bool available);
    std::function<void()> OnAreaLost;

    // Mouse actions on the icon; public so they can be simulated.
    void Mouse(TTrayMouse action, int x, int y) { machine_.Mouse(action, x, y); }
    bool ClickPending() const { return clickTimer_.isActive(); }
    void ExpireClickTimer();

private:
    void UpdateIcon(bool remove);
    void Activated(QSystemTrayIcon::ActivationReason reason);

    void FireClick(TTrayButton button, int x, int y) override;
    void FireMouseDown(TTrayButton, int, int) override {}
    void FireMouseUp(TTrayButton, int, int) override {}
    void FireMouseMove(int, int) override {}
    void FireDblClick() override;
    void FireDblClickEx(TTrayButton, int, int) override {}
    void RunDefaultItem() override;
    bool PopupMenu(int x, int y) override;
    void StartClickTimer() override;
    void StopClickTimer() override;
    bool HasDblClickHandler() const override { return bool(OnDblClick); }
    bool MenuHasDefaultItem() const override;
    bool ModalDialogOpen() const override;

    TTrayClickMachine machine_{*this};
    std::unique_ptr<QSystemTrayIcon> icon_;
    QPointer<QMenu> menu_;
    QIcon staticIcon_;
    QTimer clickTimer_;
    TTrayAreaWatch areaWatch_;
    std::string hint_;
    bool enabled_ = false;
    bool iconAdded_ = false;
};

}  // namespace velkaro
