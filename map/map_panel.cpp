#include "map/map_panel.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace velkaro {

TMapPanel::TMapPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TMapPanel::paintEvent(QPaintEvent* event) {
    if (OnPaint) OnPaint(event);
}

void TMapPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(p.x(), p.y());
}

void TMapPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
}

void TMapPanel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a left press and release both on the panel.
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    const QPoint p = event->position().toPoint();
    if (rect().contains(p) && OnClick) OnClick(p.x(), p.y());
}

void TMapPanel::wheelEvent(QWheelEvent* event) {
    if (OnWheel && OnWheel(event)) event->accept();
    else QWidget::wheelEvent(event);
}

void TMapPanel::resizeEvent(QResizeEvent*) {
    if (OnResize) OnResize();
}

}  // namespace velkaro
