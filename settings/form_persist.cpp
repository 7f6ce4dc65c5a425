#include "settings/form_persist.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "settings/ini_store.h"

namespace velkaro {

TBounds KeepReachable(const TBounds& frame, const std::vector<TBounds>& screens) {
    if (screens.empty()) return frame;
    const int32_t width = frame.Right - frame.Left, height = frame.Bottom - frame.Top;
    const int32_t needW = std::min(kReachableWidth, width), needH = std::min(kReachableHeight, height);
    int64_t covered = 0, bestArea = -1;
    const TBounds* best = &screens.front();
    for (const TBounds& s : screens) {
        const int32_t w = std::min(frame.Right, s.Right) - std::max(frame.Left, s.Left);
        const int32_t h = std::min(frame.Bottom, s.Bottom) - std::max(frame.Top, s.Top);
        if (w <= 0 || h <= 0) continue;
        const int64_t area = int64_t(w) * h;
        covered += area;
        if (w >= needW && h >= needH && area > bestArea) {
            bestArea = area;
            best = &s;
        }
    }
    // Wholly on the screens (also across two of them): where the user put it.
    if (covered >= int64_t(width) * height) return frame;
    // Partly off (a monitor gone, a larger scale than when it was saved): onto the screen that
    // shows most of it, or the primary one, wholly where it fits, so that its buttons can be
    // reached; a window larger than the area keeps its top left corner, and so its title bar, on it.
    const TBounds& p = *best;
    const int32_t left = std::max(p.Left, std::min(frame.Left, p.Right - width));
    const int32_t top = std::max(p.Top, std::min(frame.Top, p.Bottom - height));
    return {left, top, left + width, top + height};
}

namespace {

// Stored places are in the screens' own pixels, as the window system counts them, so that a
// place saved at one scale is the same place at another. Qt keeps each screen's top left corner
// the same in both counts and scales from there.
QScreen* ScreenOfLogical(QPoint p) {
    QScreen* s = QGuiApplication::screenAt(p);
    return s ? s : QGuiApplication::primaryScreen();
}

QPoint ToDevice(QPoint logical, const QScreen* screen) {
    if (!screen) return logical;
    const QPoint o = screen->geometry().topLeft();
    return o + (logical - o) * screen->devicePixelRatio();
}

QPoint FromDevice(QPoint device) {
    QScreen* found = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        if (QRect(g.topLeft(), g.size() * s->devicePixelRatio()).contains(device)) found = s;
    }
    if (!found) found = QGuiApplication::primaryScreen();
    if (!found) return device;
    const QPoint o = found->geometry().topLeft();
    return o + (device - o) / found->devicePixelRatio();
}

}  // namespace

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
    const QScreen* screen = ScreenOfLogical(r.topLeft());
    const QPoint p = ToDevice(r.topLeft(), screen);
    const QSize size = r.size() * (screen ? screen->devicePixelRatio() : 1.0);
    normalBounds_ = {p.x(), p.y(), p.x() + size.width(), p.y() + size.height()};
}

void TFormPersist::PlaceFrame(QPoint logical) {
    form_->move(logical);
    // Before the window is mapped the window manager's frame is not known yet, and a move
    // places the inside of the window there: the frame would come back a title bar higher at
    // every start. Asked for as the frame's place, the window manager puts the frame there.
    pendingFrame_.reset();
    if (form_->windowHandle() && !form_->testAttribute(Qt::WA_Mapped)) {
        pendingFrame_ = logical;
        ApplyPendingFrame();
    }
}

void TFormPersist::ApplyPendingFrame() {
    if (!pendingFrame_ || !form_->windowHandle()) return;
    // Until the window is mapped, every resize (the window's own layout when it is shown) asks
    // for its inside again; the frame's place is asked for after each, kept on the screens at
    // the size the window has now.
    if (form_->testAttribute(Qt::WA_Mapped)) {
        pendingFrame_.reset();
        return;
    }
    if (checkReach_) pendingFrame_ = ReachablePlace(QRect(*pendingFrame_, form_->frameGeometry().size()));
    form_->move(*pendingFrame_);
    form_->windowHandle()->setFramePosition(*pendingFrame_);
}void TFormPersist::SetTopMost(bool value) {
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
    // The frame as it is now: its margins may have come from the window manager after the
    // last move.
    if (form_->isVisible()) TrackNormalBounds();
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
        bool placed = false;
        const QRect frame = form_->frameGeometry();
        const QSize margins = frame.size() - form_->geometry().size();
        if ((PersistOptions & epoSize) && normal) {
            int32_t width = 0, height = 0;
            const bool gotWidth = Storage->ReadInteger("", "Width", 0, width) && width >= 0;
            const bool gotHeight = Storage->ReadInteger("", "Height", 0, height) && height >= 0;
            // Stored sizes are the frame's; a fixed-size window keeps its own.
            const qreal ratio = form_->screen() ? form_->screen()->devicePixelRatio() : 1.0;
            if (gotWidth && gotHeight) form_->resize(QSize(width, height) / ratio - margins);
            placed = gotWidth && gotHeight;
        }
        if ((PersistOptions & epoPosition) && normal) {
            int32_t left = 0, top = 0;
            const bool gotLeft = Storage->ReadInteger("", "Left", 0, left);
            const bool gotTop = Storage->ReadInteger("", "Top", 0, top);
            placed = placed || (gotLeft && gotTop);
            if (gotLeft && gotTop) PlaceFrame(FromDevice(QPoint(left, top)));
        }
        // A place saved on a monitor that is gone, or at a smaller scale, would leave the window
        // out of reach; checked again once the window manager's frame is known.
        if (placed && normal) {
            checkReach_ = true;
            MoveOntoAScreen();
        }
        if (PersistOptions & epoState) {
            int32_t state = 0;
            if (Storage->ReadInteger("", "State", 0, state)) {
                if (!IsMainWindow()) {
                    form_->setWindowState(state == 1   ? Qt::WindowMinimized
                                          : state == 2 ? Qt::WindowMaximized
                                                       : Qt::WindowNoState);
                } else if (state == 1) {
                    // Minimised once the window system shows the window: asked for before, the
                    // request races the window manager's taking the window over and may be
                    // dropped, or the window hidden before it is mapped comes up anyway. The
                    // window's own minimise handling follows as it would for the user's click.
                    if (QWindow* w = form_->windowHandle()) {
                        minimiseWhenExposed_ = true;
                        w->installEventFilter(this);
                    } else {
                        form_->setWindowState(form_->windowState() | Qt::WindowMinimized);
                    }
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

QPoint TFormPersist::ReachablePlace(const QRect& f) const {
    std::vector<TBounds> screens;
    auto add = [&screens](const QScreen* screen) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
    };
    if (QScreen* primary = QGuiApplication::primaryScreen()) add(primary);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) add(screen);
    const TBounds kept = KeepReachable({f.left(), f.top(), f.left() + f.width(), f.top() + f.height()}, screens);
    return {kept.Left, kept.Top};
}

void TFormPersist::MoveOntoAScreen() {
    const QRect f = form_->frameGeometry();
    const QPoint kept = ReachablePlace(f);
    if (kept != f.topLeft()) PlaceFrame(kept);
}

bool TFormPersist::eventFilter(QObject* watched, QEvent* event) {
    if (minimiseWhenExposed_ && form_ && watched == form_->windowHandle() && event->type() == QEvent::Expose &&
        form_->windowHandle()->isExposed()) {
        minimiseWhenExposed_ = false;
        QMetaObject::invokeMethod(form_, [form = form_] {
            if (form) form->setWindowState(form->windowState() | Qt::WindowMinimized);
        }, Qt::QueuedConnection);
    }
    if (watched != form_ || applyingTopMost_) return false;
    // The frame's place is asked for only until the window is first mapped after it.
    if (pendingFrame_ && form_->testAttribute(Qt::WA_Mapped)) pendingFrame_.reset();
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
        checkReach_ = false;
        pendingFrame_.reset();
        if (!destroying_) {
            hiddenMinimized_ = form_->isMinimized();
            SavePlacement();
            if (OnSave) OnSave();
        }
    } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowStateChange) {
        ApplyPendingFrame();
        if (checkReach_ && form_->testAttribute(Qt::WA_Mapped) && form_->frameGeometry() != form_->geometry()) {
            checkReach_ = false;
            if (!(form_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) MoveOntoAScreen();
        }
        TrackNormalBounds();
    }
    return false;
}

}  // namespace velkaro
