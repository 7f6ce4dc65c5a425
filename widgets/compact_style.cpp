#include "widgets/compact_style.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QStyleOptionComplex>

namespace velkaro {

namespace {
constexpr int kArrowWidth = 13;
constexpr int kSpinButtonWidth = 11;
}  // namespace

TCompactStyle::TCompactStyle() : QProxyStyle() {}

QRect TCompactStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                                    const QWidget* widget) const {
    const QRect r = option->rect;
    if (control == CC_ComboBox) {
        switch (sub) {
            case SC_ComboBoxArrow:
                return visualRect(option->direction, r, QRect(r.right() - kArrowWidth, r.top(), kArrowWidth, r.height()));
            case SC_ComboBoxEditField:
                return visualRect(option->direction, r,
                                  QRect(r.left() + 3, r.top() + 2, r.width() - kArrowWidth - 5, r.height() - 4));
            default:
                break;
        }
    } else if (control == CC_SpinBox) {
        const int half = r.height() / 2;
        const int x = r.right() - kSpinButtonWidth;
        switch (sub) {
            case SC_SpinBoxUp:
                return visualRect(option->direction, r, QRect(x, r.top(), kSpinButtonWidth, half));
            case SC_SpinBoxDown:
                return visualRect(option->direction, r, QRect(x, r.top() + half, kSpinButtonWidth, r.height() - half));
            case SC_SpinBoxEditField:
                return visualRect(option->direction, r,
                                  QRect(r.left() + 2, r.top() + 2, r.width() - kSpinButtonWidth - 4, r.height() - 4));
            default:
                break;
        }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

void UseCompactStyle(QWidget* top) {
    auto* style = new TCompactStyle();
    style->setParent(top);
    for (QComboBox* c : top->findChildren<QComboBox*>()) c->setStyle(style);
    for (QAbstractSpinBox* s : top->findChildren<QAbstractSpinBox*>()) s->setStyle(style);
}

}  // namespace velkaro
