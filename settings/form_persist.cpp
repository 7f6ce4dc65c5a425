#include "settings/form_persist.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "settings/ini_store.h"

namespace velkaro {

TBounds KeepReachable(const TBounds& frame, const std::vector<TBounds>& screens) {
    if (screens.empty()) return frame;
    const int32_t width = frame.Right - frame.Left, height = frame.Bottom - frame.Top;
    const int32_t needW = std::min(kReachableWidth, width), needH = std::min(kReachableHeight, height);
    for (const TBounds& s : screens) {
        const int32_t w = std::min(frame.Right, s.Right) - std::max(frame.Left, s.Left);
        const int32_t h = std::min(frame.Bottom, s.Bottom) - std::max(frame.Top, s.Top);
        if (w >= needW && h >= needH) return frame;
    }
    const TBounds& p = screens.front();
    // Into the area where the window fits; a window larger than the area keeps its top left
    // corner, and so its title bar, on it.
    const int32_t left = std::max(p.Left, std::min(frame.Left, p.Right - width));
    const int32_t top = std::max(p.Top, std::min(frame.Top, p.Bottom - height));
    return {left, top, left + width, top + height};
}

TFormPersist::TFormPersist(QWidget* form) : QObject(form), form_(form) {
    form->installEventFilter(this);
    TrackNormalBounds();
}

QEvent::Type TFormPersist::FormDestroyEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void TFormPersist::AnnounceDestruction(QWidget* form) {
    QEvent e(FormDestroyEvent());
    QCoreApplication::sendEvent(form, &e);
}

bool TFormPersist::IsMainWindow() const {
    // The program's main window is the one top-level window without a parent that owns us;
    // in this program that is the window whose closing ends it.
    return form_ && form_->isWindow() && !form_->parentWidget() &&
           form_->testAttribute(Qt::WA_QuitOnClose) && !form_->inherits("QDialog");
}

std::string TFormPersist::FormKey() const {
    return StoragePath + Storage->Delimiter() + form_->objectName().toStdString();
}

void TFormPersist::TrackNormalBounds() {
    if (!form_) return;
    if (form_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    const QRect r = form_->frameGeometry();
    normalBounds_ = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TFormPersist::SetTopMost(bool value) {
    if (value == topMost_) return;
    topMost_ = value;
    ApplyTopMost();
}

void TFormPersist::ApplyTopMost() {
    if (!form_) return;
    const bool has = form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (has == topMost_) return;
    const bool visible = form_->isVisible();
    // Changing window flags re-creates the native window, which hides it; that hide and the
    // show after it are not the user's and must not save or restore the placement.
    applyingTopMost_ = true;
    form_->setWindowFlag(Qt::WindowStaysOnTopHint, topMost_);
    if (visible) form_->show();
    applyingTopMost_ = false;
}

void TFormPersist::SavePlacement() {
    if (!Active || !Storage || !form_) return;
    const std::string remembered = Storage->CurrentKey();
    if (Storage->OpenKey(FormKey(), true)) {
        if (PersistOptions & epoState) {
            int32_t state = 0;
            const Qt::WindowStates ws = form_->windowState();
            // Hidden while minimised (in the notification area) is minimised, whatever state
            // the window system reported for the hidden window since.
            if ((ws & Qt::WindowMinimized) || (hiddenMinimized_ && !form_->isVisible())) state = 1;
            else if (ws & Qt::WindowMaximized) state = 2;
            Storage->WriteInteger("", "State", state);
            Storage->WriteBool("", "Topmost", topMost_);
        }
        if (PersistOptions & epoActiveControl) {
            const QWidget* focused = form_->focusWidget();
            if (focused && !focused->objectName().isEmpty())
                Storage->WriteString("", "Active control", focused->objectName().toStdString());
        }
        if (PersistOptions & epoSize) {
            Storage->WriteInteger("", "Width", normalBounds_.Right - normalBounds_.Left);
            Storage->WriteInteger("", "Height", normalBounds_.Bottom - normalBounds_.Top);
        }
        if (PersistOptions & epoPosition) {
            Storage->WriteInteger("", "Left", normalBounds_.Left);
            Storage->WriteInteger("", "Top", normalBounds_.Top);
        }
    }
    Storage->OpenKey(remembered, false);
}

void TFormPersist::RestorePlacement() {
    if (!Active || !Storage || !form_) return;
    const std::string remembered = Storage->CurrentKey();
    // Creation allowed: a first start leaves the empty key behind.
    if (Storage->OpenKey(FormKey(), true)) {
        if (PersistOptions & epoActiveControl) {
            std::string name;
            if (Storage->ReadString("", "Active control", "", name)) {
                auto* w = form_->findChild<QWidget*>(QString::fromStdString(name));
                if (w && w->focusPolicy() != Qt::NoFocus && w->isEnabled()) w->setFocus();
            }
        }
        const bool normal = form_->windowState() == Qt::WindowNoState;
        const QRect frame = form_->frameGeometry();
        const QSize margins = frame.size() - form_->geometry().size();
        if ((PersistOptions & epoSize) && normal) {
            int32_t width = 0, height = 0;
            const bool gotWidth = Storage->ReadInteger("", "Width", 0, width) && width >= 0;
            const bool gotHeight = Storage->ReadInteger("", "Height", 0, height) && height >= 0;
            // Stored sizes are the frame's; a fixed-size window keeps its own.
            if (gotWidth && gotHeight) form_->resize(QSize(width, height) - margins);
        }
        if ((PersistOptions & epoPosition) && normal) {
            int32_t left = 0, top = 0;
            const bool gotLeft = Storage->ReadInteger("", "Left", 0, left);
            const bool gotTop = Storage->ReadInteger("", "Top", 0, top);
            if (gotLeft && gotTop) form_->move(left, top);
        }
        // A place saved on a monitor that is gone would leave the window out of reach.
        if ((PersistOptions & (epoPosition | epoSize)) && normal) MoveOntoAScreen();
        if (PersistOptions & epoState) {
            int32_t state = 0;
            if (Storage->ReadInteger("", "State", 0, state)) {
                if (!IsMainWindow()) {
                    form_->setWindowState(state == 1   ? Qt::WindowMinimized
                                          : state == 2 ? Qt::WindowMaximized
                                                       : Qt::WindowNoState);
                } else if (state == 1) {
                    // Minimise once the window is up, as a posted command, so that the
                    // window's own minimise handling follows as it would for the user's click.
                    QPointer<QWidget> form = form_;
                    QTimer::singleShot(0, form_, [form] {
                        if (form) form->setWindowState(form->windowState() | Qt::WindowMinimized);
                    });
                } else if (state == 2) {
                    form_->setWindowState(Qt::WindowMaximized);
                } else if (form_->windowState() & Qt::WindowMinimized) {
                    form_->setWindowState(form_->windowState() & ~Qt::WindowMinimized);
                }
            }
            bool top = false;
            if (Storage->ReadBool("", "Topmost", false, top)) SetTopMost(top);
        }
    }
    Storage->OpenKey(remembered, false);
}

void TFormPersist::MoveOntoAScreen() {
    std::vector<TBounds> screens;
    auto add = [&screens](const QScreen* screen) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
    };
    if (QScreen* primary = QGuiApplication::primaryScreen()) add(primary);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) add(screen);
    const QRect f = form_->frameGeometry();
    const TBounds frame{f.left(), f.top(), f.left() + f.width(), f.top() + f.height()};
    const TBounds kept = KeepReachable(frame, screens);
    if (kept != frame) form_->move(kept.Left, kept.Top);
}

bool TFormPersist::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_ || applyingTopMost_) return false;
    const QEvent::Type type = event->type();
    // Hide and show events that the window system sends on minimising and restoring are no
    // change of the window's visibility.
    if ((type == QEvent::Show || type == QEvent::Hide) && event->spontaneous()) return false;
    if (type == FormDestroyEvent()) {
        destroying_ = true;
        SavePlacement();
        if (OnSave) OnSave();
    } else if (type == QEvent::Show) {
        if (hiddenMinimized_) {
            hiddenMinimized_ = false;
        } else {
            RestorePlacement();
            if (OnRestore) OnRestore();
        }
        ApplyTopMost();
    } else if (type == QEvent::Hide) {
        if (!destroying_) {
            hiddenMinimized_ = form_->isMinimized();
            SavePlacement();
            if (OnSave) OnSave();
        }
    } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowStateChange) {
        TrackNormalBounds();
    }
    return false;
}

}  // namespace velkaro
