#include "widgets/velkaro_logo.h"

#include <QPainter>
#include <QPainterPath>

namespace velkaro {

TVelkaroLogo::TVelkaroLogo(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QString::fromLatin1("Velkaro"));
}

void TVelkaroLogo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QFont font = this->font();
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(qMax(10, height() * 3 / 5));
    const QString word = QString::fromLatin1("Velkaro");
    const int textWidth = QFontMetrics(font).horizontalAdvance(word);

    // A small globe before the word: a circle with a meridian and the equator.
    const int d = qMax(8, height() - 6);
    const int total = d + 4 + textWidth;
    const int x0 = (width() - total) / 2;
    const QRectF globe(x0, (height() - d) / 2.0, d, d);
    const QColor blue(0x1F, 0x4E, 0xA8);
    p.setPen(QPen(blue, 1.5));
    p.setBrush(QColor(0xB8, 0xD4, 0xF0));
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe.adjusted(d * 0.3, 0, -d * 0.3, 0));
    p.drawLine(QPointF(globe.left(), globe.center().y()), QPointF(globe.right(), globe.center().y()));

    p.setFont(font);
    p.setPen(blue);
    p.drawText(QRect(x0 + d + 4, 0, textWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft, word);
}

}  // namespace velkaro
