// The Velkaro logo as the dialogs show it: drawn, not a bitmap, centred in its frame on a
// transparent background so it sits on any dialog colour.
#pragma once

#include <QWidget>

namespace velkaro {

class TVelkaroLogo : public QWidget {
    Q_OBJECT
public:
    explicit TVelkaroLogo(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(120, 25); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velkaro
