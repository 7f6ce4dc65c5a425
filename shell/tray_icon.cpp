#include "shell/tray_icon.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

namespace velkaro {

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent) {
    clickTimer_.setSingleShot(true);
    connect(&clickTimer_, &QTimer::timeout, this, [this] { machine_.ClickTimerExpired(); });
}

TTrayIcon::~TTrayIcon() { UpdateIcon(true); }

bool TTrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TTrayIcon::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        icon_ = std::make_unique<QSystemTrayIcon>();
        icon_->setIcon(staticIcon_);
        // The menu is popped up by us, not by Qt, so that the modal-dialog rule applies.
        connect(icon_.get(), &QSystemTrayIcon::activated, this, &TTrayIcon::Activated);
        UpdateIcon(false);
    } else {
        UpdateIcon(true);
        clickTimer_.stop();
        icon_.reset();
    }
}

void TTrayIcon::UpdateIcon(bool remove) {
    if (iconAdded_) {
        if (remove) {
            if (icon_) icon_->hide();
            iconAdded_ = false;
        } else if (icon_) {
            icon_->setToolTip(ShownTip());
        }
    } else if (!remove && enabled_ && icon_) {
        icon_->setToolTip(ShownTip());
        icon_->show();
        // As with the shell's own answer, a failed add is not checked: later updates modify.
        iconAdded_ = true;
    }
}

void TTrayIcon::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    UpdateIcon(false);
}

QString TTrayIcon::ShownTip() const { return QString::fromLatin1(TruncateTrayHint(hint_)); }

void TTrayIcon::SetStaticIcon(const QIcon& icon) {
    staticIcon_ = icon;
    if (icon_) icon_->setIcon(icon);
}

void TTrayIcon::SetPopupMenu(QMenu* menu) { menu_ = menu; }

void TTrayIcon::NotificationAreaReturned() {
    if (!iconAdded_) return;
    iconAdded_ = false;
    if (icon_) icon_->hide();
    UpdateIcon(false);
}

void TTrayIcon::CheckNotificationArea(bool available) {
    // Only an icon that is meant to be there needs watching for.
    if (!enabled_) return;
    switch (areaWatch_.Update(available)) {
        case TTrayAreaChange::tacReturned:
            NotificationAreaReturned();
            break;
        case TTrayAreaChange::tacLost:
            if (OnAreaLost) OnAreaLost();
            break;
        case TTrayAreaChange::tacNone:
            break;
    }
}

void TTrayIcon::ExpireClickTimer() {
    if (clickTimer_.isActive()) machine_.ClickTimerExpired();
}

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    const QPoint p = QCursor::pos();
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            Mouse(TTrayMouse::tmLeftDown, p.x(), p.y());
            Mouse(TTrayMouse::tmLeftUp, p.x(), p.y());
            break;
        case QSystemTrayIcon::DoubleClick:
            Mouse(TTrayMouse::tmLeftDblClick, p.x(), p.y());
            break;
        case QSystemTrayIcon::Context:
            Mouse(TTrayMouse::tmRightDown, p.x(), p.y());
            Mouse(TTrayMouse::tmRightUp, p.x(), p.y());
            break;
        case QSystemTrayIcon::MiddleClick:
            Mouse(TTrayMouse::tmMiddleDown, p.x(), p.y());
            Mouse(TTrayMouse::tmMiddleUp, p.x(), p.y());
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

void TTrayIcon::FireClick(TTrayButton button, int x, int y) {
    if (OnClick) OnClick(button, x, y);
}

void TTrayIcon::FireDblClick() {
    if (OnDblClick) OnDblClick();
}

void TTrayIcon::RunDefaultItem() {
    if (menu_ && menu_->defaultAction()) menu_->defaultAction()->trigger();
}

bool TTrayIcon::PopupMenu(int x, int y) {
    if (!menu_ || !enabled_) return false;
    menu_->popup(QPoint(x, y));
    menu_->activateWindow();
    return true;
}

void TTrayIcon::StartClickTimer() { clickTimer_.start(QApplication::doubleClickInterval()); }

void TTrayIcon::StopClickTimer() { clickTimer_.stop(); }

bool TTrayIcon::MenuHasDefaultItem() const {
    return menu_ && menu_->defaultAction() && menu_->defaultAction()->isEnabled();
}

bool TTrayIcon::ModalDialogOpen() const { return QApplication::activeModalWidget() != nullptr; }

}  // namespace velkaro
