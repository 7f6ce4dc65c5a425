// How mouse actions on the notification-area icon become click, double-click and menu events.
// A single click waits for the double-click time when a double click would mean something
// else, so the two never both fire. Plain logic, fed by whatever reports the icon's mouse.
#pragma once

#include <string>

namespace velkaro {

enum class TTrayButton { tbLeft, tbRight, tbMiddle };

enum class TTrayMouse {
    tmMove,
    tmLeftDown, tmLeftUp, tmLeftDblClick,
    tmRightDown, tmRightUp, tmRightDblClick,
    tmMiddleDown, tmMiddleUp, tmMiddleDblClick,
};

// What the machine asks of the icon it drives, and what it needs to know about it.
class TTrayClickSink {
public:
    virtual ~TTrayClickSink() = default;
    virtual void FireClick(TTrayButton button, int x, int y) = 0;
    virtual void FireMouseDown(TTrayButton button, int x, int y) = 0;
    virtual void FireMouseUp(TTrayButton button, int x, int y) = 0;
    virtual void FireMouseMove(int x, int y) = 0;
    virtual void FireDblClick() = 0;
    virtual void FireDblClickEx(TTrayButton button, int x, int y) = 0;
    virtual void RunDefaultItem() = 0;
    // Pops the menu up at the pointer when there is one to show; false when none was shown.
    virtual bool PopupMenu(int x, int y) = 0;
    virtual void StartClickTimer() = 0;
    virtual void StopClickTimer() = 0;
    virtual bool HasDblClickHandler() const = 0;
    virtual bool MenuHasDefaultItem() const = 0;
    // A modal dialog of the application is open (its main window is disabled).
    virtual bool ModalDialogOpen() const = 0;
};

class TTrayClickMachine {
public:
    explicit TTrayClickMachine(TTrayClickSink& sink) : sink_(sink) {}

    bool PopupWhenModal = false;

    void Mouse(TTrayMouse action, int x, int y);
    // The click timer ran out: the pending single click happens now.
    void ClickTimerExpired();

    bool LeftDown() const { return leftDown_; }
    bool RightDown() const { return rightDown_; }

private:
    void ButtonDown(TTrayButton button, bool& down, bool& otherDown, int x, int y);
    void Remember(TTrayButton button, int x, int y);
    void FireRemembered();
    bool DecideClick(TTrayButton button, int x, int y);
    bool TryPopup(int x, int y);

    TTrayClickSink& sink_;
    bool leftDown_ = false;
    bool rightDown_ = false;
    TTrayButton pendingButton_ = TTrayButton::tbLeft;
    int pendingX_ = 0, pendingY_ = 0;
};

// The icon's tooltip holds at most this many characters.
constexpr std::size_t kTrayHintLength = 63;
std::string TruncateTrayHint(const std::string& hint);

enum class TTrayAreaChange { tacNone, tacLost, tacReturned };

// Notices the notification area going away (its panel ended) and coming back.
class TTrayAreaWatch {
public:
    // Feed the current availability; says what changed since the last call.
    TTrayAreaChange Update(bool available) {
        const bool was = available_;
        available_ = available;
        if (available == was) return TTrayAreaChange::tacNone;
        return available ? TTrayAreaChange::tacReturned : TTrayAreaChange::tacLost;
    }

private:
    bool available_ = true;
};

}  // namespace velkaro
