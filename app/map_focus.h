// The keyboard path of the map: the map takes the focus, a ring marks the focused city, the
// arrows, Home, End and type-ahead move it, Enter or Space selects it for the status strip and
// Escape clears the selection (or first returns a preview to the live clock); Page Up and Down
// move the shown moment by a day. The focused city's hint shows as if the pointer were on it; the
// pointer, when it moves, takes over. Also opens the "Find city" pop-up.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "map/find_city_popup.h"
#include "map/map_keyboard.h"

class QKeyEvent;
class QPainter;

namespace velkaro {

class TZonariaForm;

class TMapFocus : public QObject {
    Q_OBJECT
public:
    explicit TMapFocus(TZonariaForm* form);
    ~TMapFocus() override;

    // The city the keyboard is on, -1 for none.
    int FocusIndex() const { return focus_; }
    const TCity* FocusCity() const;
    // Moves the keyboard to city i and shows its hint while the map has the focus.
    void SetFocusIndex(int i);
    // Selects city i (or none for -1) for the status strip, as a click on it would.
    void Select(int i);
    // Called after any change of the selected city, however it came about.
    void SelectionChanged();
    // Draws the ring around the focused city onto the panel, over the copied map.
    void PaintRing(QPainter& panel) const;
    // Opens the pop-up that finds a city by a part of its name.
    void FindCity();
    TFindCityPopup* FindCityPopup() const { return popup_; }

    // The clock of the type-ahead, in milliseconds; tests set their own.
    std::function<int64_t()> Clock;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QKeyEvent* event);
    void ShowHint();
    void HideKeyboardHint();
    int StartIndex() const;
    QRect RingRect(int i) const;

    TZonariaForm* form_;
    int focus_ = -1;
    bool keyboardHint_ = false;
    int64_t lastTyped_ = 0;
    TTypeAhead typeAhead_;
    QElapsedTimer elapsed_;
    QPointer<TFindCityPopup> popup_;
};

}  // namespace velkaro
