// The time scrubber under the map: a slider over the shown moment in quarter hours (a drag
// with Shift snaps to whole hours, with Ctrl to whole days; Page Up and Down move a day) and
// the "Now" button that returns to the live clock. It holds no time of its own: the main
// window tells it what it shows.
#pragma once

#include <QColor>
#include <QSlider>
#include <QWidget>
#include <functional>

#include "map/shown_time.h"

class QPushButton;

namespace velkaro {

constexpr int kScrubberHeight = 22;
// The colour of everything that says "this is not now".
inline const QColor kPreviewColor{0xFF, 0xD5, 0x80};
// Quarter hours either way that the slider spans before it widens to reach a moment.
constexpr int kScrubSpan = 14 * 96;

class TScrubSlider : public QSlider {
    Q_OBJECT
public:
    explicit TScrubSlider(QWidget* parent = nullptr);
    // What assistive technology reads as the slider's value: the moment, not a number.
    QString MomentText;
    std::function<void()> OnEscape;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TTimeScrubber : public QWidget {
    Q_OBJECT
public:
    explicit TTimeScrubber(QWidget* parent = nullptr);

    TScrubSlider* Slider = nullptr;
    QPushButton* btnNow = nullptr;

    // The user moved the slider to `value` with the unit its modifiers ask for; `dragOrigin`
    // is the slider's value when the drag began.
    std::function<void(int value, TScrubUnit unit, int dragOrigin)> OnSlide;
    std::function<void()> OnNow;

    // Shows the state without reporting it back: live or a preview, the slider's position and
    // the moment as the slider's spoken value.
    void ShowMoment(bool live, int sliderValue, const QString& moment);

private:
    void SliderChanged(int value);
    bool updating_ = false;
    int dragOrigin_ = 0;
};

// Registers the slider's accessible interface with Qt; safe to call more than once.
void InstallScrubberAccessibility();

}  // namespace velkaro
