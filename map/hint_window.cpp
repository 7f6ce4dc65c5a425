#include "map/hint_window.h"

#include <QFontMetrics>
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
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
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
    setGeometry(rect);
    show();
    raise();
    update();
}

void THintWindow::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
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
