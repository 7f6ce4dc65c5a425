#include "shell/tray_click.h"

namespace velkaro {

void TTrayClickMachine::Remember(TTrayButton button, int x, int y) {
    pendingButton_ = button;
    pendingX_ = x;
    pendingY_ = y;
}

void TTrayClickMachine::FireRemembered() { sink_.FireClick(pendingButton_, pendingX_, pendingY_); }

bool TTrayClickMachine::DecideClick(TTrayButton button, int x, int y) {
    // Without any meaning for a double click the click fires at once, and the release with it.
    if (!sink_.HasDblClickHandler() && !sink_.MenuHasDefaultItem()) {
        sink_.FireClick(button, x, y);
        sink_.FireMouseUp(button, x, y);
        return true;
    }
    // Otherwise it waits for the double-click time: a double click may still come.
    Remember(button, x, y);
    sink_.StartClickTimer();
    return false;
}

bool TTrayClickMachine::TryPopup(int x, int y) {
    if (!PopupWhenModal && sink_.ModalDialogOpen()) return false;
    return sink_.PopupMenu(x, y);
}

void TTrayClickMachine::Mouse(TTrayMouse action, int x, int y) {
    using B = TTrayButton;
    switch (action) {
        case TTrayMouse::tmMove:
            sink_.FireMouseMove(x, y);
            Remember(pendingButton_, x, y);
            break;

        case TTrayMouse::tmLeftDown:
            ButtonDown(B::tbLeft, leftDown_, rightDown_, x, y);
            break;

        case TTrayMouse::tmLeftUp:
            sink_.StopClickTimer();
            if (leftDown_) {
                leftDown_ = false;
                if (DecideClick(B::tbLeft, x, y)) return;
            }
            sink_.FireMouseUp(B::tbLeft, x, y);
            break;

        case TTrayMouse::tmLeftDblClick:
            sink_.StopClickTimer();
            if (!PopupWhenModal && sink_.ModalDialogOpen()) return;
            if (sink_.MenuHasDefaultItem()) {
                sink_.RunDefaultItem();
                return;
            }
            sink_.FireDblClick();
            sink_.FireDblClickEx(B::tbLeft, x, y);
            break;

        case TTrayMouse::tmRightDown:
            ButtonDown(B::tbRight, rightDown_, leftDown_, x, y);
            break;

        case TTrayMouse::tmRightUp:
            sink_.StopClickTimer();
            if (rightDown_) {
                rightDown_ = false;
                if (!TryPopup(x, y) && DecideClick(B::tbRight, x, y)) return;
            }
            sink_.FireMouseUp(B::tbRight, x, y);
            break;

        case TTrayMouse::tmRightDblClick:
            sink_.StopClickTimer();
            sink_.FireDblClick();
            sink_.FireDblClickEx(B::tbRight, x, y);
            break;

        case TTrayMouse::tmMiddleDown:
            sink_.StopClickTimer();
            if (rightDown_) {
                rightDown_ = false;
                FireRemembered();
            }
            if (leftDown_) {
                leftDown_ = false;
                FireRemembered();
            }
            sink_.FireMouseDown(B::tbMiddle, x, y);
            break;

        case TTrayMouse::tmMiddleUp:
            sink_.StopClickTimer();
            // No middle-button-down flag: every release decides a click.
            if (DecideClick(B::tbMiddle, x, y)) return;
            sink_.FireMouseUp(B::tbMiddle, x, y);
            break;

        case TTrayMouse::tmMiddleDblClick:
            sink_.StopClickTimer();
            sink_.FireDblClick();
            sink_.FireDblClickEx(B::tbMiddle, x, y);
            break;
    }
}

// A press while the other button is still down settles that button's pending click first.
void TTrayClickMachine::ButtonDown(TTrayButton button, bool& down, bool& otherDown, int x, int y) {
    if (otherDown) {
        otherDown = false;
        sink_.StopClickTimer();
        FireRemembered();
    }
    sink_.StopClickTimer();
    down = true;
    Remember(button, x, y);
    sink_.FireMouseDown(button, x, y);
}

void TTrayClickMachine::ClickTimerExpired() {
    sink_.StopClickTimer();
    FireRemembered();
}

std::string TruncateTrayHint(const std::string& hint) {
    return hint.size() > kTrayHintLength ? hint.substr(0, kTrayHintLength) : hint;
}

}  // namespace velkaro
