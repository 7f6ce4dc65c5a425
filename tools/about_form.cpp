#include "tools/about_form.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

#include "resources/resources.h"
#include "ui_about_form.h"

namespace velkaro {

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::AboutForm>()) {
    InitResources();
    ui_->setupUi(this);
    setFixedSize(219, 167);
    QFont f = font();
    f.setPixelSize(13);
    for (QWidget* w : {static_cast<QWidget*>(ui_->VersionLabel), static_cast<QWidget*>(ui_->PurposeLabel),
                       static_cast<QWidget*>(ui_->LicenceLabel), static_cast<QWidget*>(ui_->GazetteerLabel)})
        w->setFont(f);
    const QImage logo(QStringLiteral(":/logo.bmp"));
    QPixmap pixmap = QPixmap::fromImage(logo);
    // White is the logo's transparent colour.
    pixmap.setMask(QBitmap::fromImage(logo.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
    ui_->logoImage->setPixmap(pixmap);
}

TAboutForm::~TAboutForm() = default;

}  // namespace velkaro
