#include "map/time_scrubber.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include "map/map_logic.h"

namespace velkaro {

TScrubSlider::TScrubSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // Before anything asks for its interface: Qt keeps the first one it hands out.
    InstallScrubberAccessibility();
    setRange(-kScrubSpan, kScrubSpan);
    setSingleStep(1);
    setPageStep(96);  // Page Up and Down: a day
    setObjectName(QStringLiteral("Scrubber"));
    setAccessibleName(QStringLiteral("Shown time"));
}

void TScrubSlider::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && OnEscape) {
        OnEscape();
        return;
    }
    QSlider::keyPressEvent(event);
}

TTimeScrubber::TTimeScrubber(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kScrubberHeight);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(6);
    Slider = new TScrubSlider(this);
    btnNow = new QPushButton(QStringLiteral("Now"), this);
    btnNow->setObjectName(QStringLiteral("btnNow"));
    btnNow->setFixedSize(kButtonWidth / 2, kScrubberHeight);
    btnNow->setFocusPolicy(Qt::NoFocus);
    btnNow->setFlat(true);
    layout->addWidget(Slider, 1);
    layout->addWidget(btnNow);

    Slider->OnEscape = [this] {
        if (OnNow) OnNow();
    };
    connect(btnNow, &QPushButton::clicked, this, [this] {
        if (OnNow) OnNow();
    });
    connect(Slider, &QSlider::sliderPressed, this, [this] { dragOrigin_ = Slider->value(); });
    connect(Slider, &QSlider::valueChanged, this, &TTimeScrubber::SliderChanged);
    ShowMoment(true, 0, QStringLiteral("Now"));
}

void TTimeScrubber::SliderChanged(int value) {
    if (updating_ || !OnSlide) return;
    const Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
    // The modifiers snap a drag; the keys always move by their own step.
    const bool drag = Slider->isSliderDown();
    const TScrubUnit unit = !drag                      ? TScrubUnit::suQuarter
                            : m & Qt::ControlModifier ? TScrubUnit::suDay
                            : m & Qt::ShiftModifier   ? TScrubUnit::suHour
                                                      : TScrubUnit::suQuarter;
    OnSlide(value, unit, drag ? dragOrigin_ : value);
}

void TTimeScrubber::ShowMoment(bool live, int sliderValue, const QString& moment) {
    updating_ = true;
    // The span widens to take in a moment chosen elsewhere (the planner), never narrows mid-drag.
    if (sliderValue < Slider->minimum()) Slider->setMinimum(sliderValue);
    if (sliderValue > Slider->maximum()) Slider->setMaximum(sliderValue);
    if (live && !Slider->isSliderDown()) Slider->setRange(-kScrubSpan, kScrubSpan);
    Slider->setValue(sliderValue);
    updating_ = false;

    // A preview must not pass for the live clock: the row turns the marker's amber meanwhile.
    QPalette p = palette();
    p.setColor(QPalette::Window, live ? QPalette().color(QPalette::Window) : kPreviewColor);
    setPalette(p);
    btnNow->setEnabled(!live);

    if (Slider->MomentText != moment) {
        Slider->MomentText = moment;
        QAccessibleValueChangeEvent event(Slider, sliderValue);
        QAccessible::updateAccessibility(&event);
    }
}

namespace {

// The slider as a screen reader meets it: a slider whose value text is the shown moment.
class TScrubAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TScrubAccessible(TScrubSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}
    TScrubSlider* slider() const { return static_cast<TScrubSlider*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return slider()->MomentText;
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }
};

QAccessibleInterface* ScrubFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("velkaro::TScrubSlider") && object && object->isWidgetType())
        return new TScrubAccessible(static_cast<TScrubSlider*>(object));
    return nullptr;
}

}  // namespace

void InstallScrubberAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&ScrubFactory);
}

}  // namespace velkaro
