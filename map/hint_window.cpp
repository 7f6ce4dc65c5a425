#include "map/hint_window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>

namespace velkaro {

namespace {
// Room around the text: a one-pixel border plus a little air, as tooltips have.
constexpr int kExtraWidth = 6;
constexpr int kExtraHeight = 2;
constexpr int kTextLeft = 2;
constexpr int kTextTop = 1;
}  // namespace

THintWindow::THintWindow(QWidget* parent)
    // Transparent for input (on X11 an empty input shape): the pointer and its clicks go through
    // to the map below, so a hint never keeps the city it shows nor swallows a click.
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    background_ = palette().color(QPalette::ToolTipBase);
    foreground_ = palette().color(QPalette::ToolTipText);
}

void THintWindow::SetHintColor(const QColor& color) {
    background_ = color;
    update();
}

void THintWindow::SetHintFont(const QFont& font, const QColor& color) {
    setFont(font);
    foreground_ = color;
    update();
}

QRect THintWindow::CalcHintRect(int maxWidth, const QString& text) const {
    const QFontMetrics fm(font());
    const QRect r = fm.boundingRect(QRect(0, 0, maxWidth, 0),
                                    Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, text);
    return QRect(0, 0, r.width() + kExtraWidth, r.height() + kExtraHeight);
}

void THintWindow::ActivateHint(const QRect& rect, const QString& text) {
    text_ = text;
    anchor_ = QPoint(rect.left(), rect.bottom() + 1);
    Place(rect.size());
    show();
    raise();
    update();
}

void THintWindow::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    const QSize need = CalcHintRect(10000, text_).size();
    if (need != size()) Place(need);
    update();
}

void THintWindow::Place(QSize size) {
    // The pointer is kExtraAbove below the anchor; a hint that cannot be above it goes below it,
    // clear of the pointer's own picture.
    constexpr int kBelowPointer = 24, kExtraAbove = 4;
    QRect r(QPoint(anchor_.x(), anchor_.y() - size.height()), size);
    if (const QScreen* screen = QGuiApplication::screenAt(anchor_)) {
        const QRect area = screen->availableGeometry();
        if (r.right() > area.right()) r.moveRight(area.right());
        if (r.left() < area.left()) r.moveLeft(area.left());
        if (r.top() < area.top()) r.moveTop(anchor_.y() + kExtraAbove + kBelowPointer);
    }
    setGeometry(r);
}

void THintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(foreground_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(font());
    p.drawText(rect().adjusted(kTextLeft, kTextTop, -1, -1),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, text_);
}

}  // namespace velkaro
