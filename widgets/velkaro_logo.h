// The Velkaro logo as the dialogs show it: the program's logo picture, centred in its frame,
// with white as its transparent colour so it sits on any dialog colour.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace velkaro {

class TVelkaroLogo : public QWidget {
    Q_OBJECT
public:
    explicit TVelkaroLogo(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(120, 25); }

    // The logo picture with its white made transparent (shared with the main window's strip).
    // Above a device pixel ratio of 1 the picture drawn at twice the size, marked as such, so
    // it takes the same logical 120 x 31.
    static QPixmap TransparentLogo(qreal devicePixelRatio = 1);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap logo_;
    QPixmap logo2x_;
};

}  // namespace velkaro
