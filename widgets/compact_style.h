// A style for controls laid out in tight pixel widths: narrower drop-down arrows and spin
// buttons, so that "2026" fits a 49-pixel year list and "1439" a 46-pixel spin edit.
#pragma once

#include <QProxyStyle>

namespace velkaro {

class TCompactStyle : public QProxyStyle {
    Q_OBJECT
public:
    TCompactStyle();
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;
};

// Gives every combo box and spin edit under the widget the compact style, owned by the widget.
void UseCompactStyle(QWidget* top);

}  // namespace velkaro
