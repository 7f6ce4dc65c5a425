#include "widgets/result_field.h"

#include <QLineEdit>
#include <algorithm>
#include <QStyle>
#include <QStyleOptionFrame>

namespace velkaro {

namespace {
// Below this the digits of the time of day become hard to tell apart.
constexpr int kSmallestPixels = 9;
// The room QLineEdit leaves for its cursor, and beside the text on each side.
constexpr int kCursorWidth = 1;
constexpr int kTextMargin = 2;

int TextRoom(const QLineEdit* field, const QFontMetrics& fm) {
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field) : 0;
    const QRect contents = field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field)
                               .marginsRemoved(field->textMargins());
    return contents.width() - 2 * kTextMargin - kCursorWidth - std::max(0, -fm.minLeftBearing()) -
           std::max(0, -fm.minRightBearing());
}
}  // namespace

void ShowResultText(QLineEdit* field, const QString& text) {
    QFont font = field->parentWidget() ? field->parentWidget()->font() : field->font();
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > kSmallestPixels && QFontMetrics(font).horizontalAdvance(text) > TextRoom(field, QFontMetrics(font)))
        font.setPixelSize(--pixels);
    field->setFont(font);
    const QFontMetrics fm(font);
    const QString shown = fm.elidedText(text, Qt::ElideMiddle, TextRoom(field, fm));
    field->setText(shown);
    field->setToolTip(shown == text ? QString() : text);
}

}  // namespace velkaro
