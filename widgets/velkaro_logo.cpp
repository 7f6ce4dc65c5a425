#include "widgets/velkaro_logo.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include "resources/resources.h"

namespace velkaro {

TVelkaroLogo::TVelkaroLogo(QWidget* parent) : QWidget(parent), logo_(TransparentLogo()) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QString::fromLatin1("Velkaro"));
}

QPixmap TVelkaroLogo::TransparentLogo(qreal devicePixelRatio) {
    InitResources();
    const bool dense = devicePixelRatio > 1;
    const QImage logo(dense ? QStringLiteral(":/logo@2x.bmp") : QStringLiteral(":/logo.bmp"));
    QPixmap pixmap = QPixmap::fromImage(logo);
    pixmap.setMask(QBitmap::fromImage(logo.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
    if (dense) pixmap.setDevicePixelRatio(2);
    return pixmap;
}

void TVelkaroLogo::paintEvent(QPaintEvent*) {
    // The picture is a little taller than the dialogs' frames: scale it down to fit, centred.
    if (devicePixelRatioF() > 1 && logo2x_.isNull()) logo2x_ = TransparentLogo(devicePixelRatioF());
    const QPixmap& logo = devicePixelRatioF() > 1 ? logo2x_ : logo_;
    const QSize size = logo.deviceIndependentSize().toSize().scaled(this->size(), Qt::KeepAspectRatio);
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size), logo);
}

}  // namespace velkaro
