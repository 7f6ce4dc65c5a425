// The map panel: an owner-drawn area whose paint, mouse and resize events go to the window
// that owns it. It never erases its background; the owner paints every pixel.
#pragma once

#include <QWidget>
#include <functional>

namespace velkaro {

class TMapPanel : public QWidget {
    Q_OBJECT
public:
    explicit TMapPanel(QWidget* parent = nullptr);

    std::function<void(QPaintEvent*)> OnPaint;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnClick;
    std::function<void()> OnResize;
    // A wheel turn over the map; returns whether it was used.
    std::function<bool(QWheelEvent*)> OnWheel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace velkaro
