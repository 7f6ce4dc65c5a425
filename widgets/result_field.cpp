#include "widgets/result_field.h"

#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <optional>

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
// The program's day names are the English ones; another word is no weekday to leave out.
bool IsWeekday(const QString& word) {
    const QLocale english(QLocale::English);
    for (int day = 1; day <= 7; ++day)
        if (word == english.dayName(day, QLocale::LongFormat) || word == english.dayName(day, QLocale::ShortFormat))
            return true;
    return false;
}
}  // namespace

void ShowResultText(QLineEdit* field, const QString& text) {
    const QFont base = field->parentWidget() ? field->parentWidget()->font() : field->font();
    // The smallest font at which the text fits, or none.
    auto fitting = [&](const QString& candidate) -> std::optional<QFont> {
        QFont font = base;
        for (int pixels = QFontInfo(font).pixelSize(); pixels >= kSmallestPixels; font.setPixelSize(--pixels))
            if (QFontMetrics(font).horizontalAdvance(candidate) <= TextRoom(field, QFontMetrics(font))) return font;
        return std::nullopt;
    };
    // Whole if it fits; else without its leading weekday ("Thursday, "), so that what is shown,
    // read out and copied is still a true date and time; else shortened in the middle.
    QString shown = text;
    std::optional<QFont> font = fitting(text);
    if (const qsizetype comma = text.indexOf(QLatin1String(", ")); !font && IsWeekday(text.left(comma))) {
        shown = text.mid(comma + 2);
        font = fitting(shown);
    }
    if (!font) {
        font = base;
        font->setPixelSize(kSmallestPixels);
        shown = QFontMetrics(*font).elidedText(shown, Qt::ElideMiddle, TextRoom(field, QFontMetrics(*font)));
    }
    field->setFont(*font);
    field->setText(shown);
    field->setToolTip(shown == text ? QString() : text);
}

}  // namespace velkaro
