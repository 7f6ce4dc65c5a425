// A result field too narrow for its text: what it shows (and so what is copied and read out) is
// the whole text, else the text without its weekday, and only else a shortened one.
#include "widgets/result_field.h"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace velkaro {
namespace {

TEST(ResultField, ShowsTheWholeTextElseWithoutTheWeekdayElseShortened) {
    const QString date = "October 1, 2026 07:58:00 AM";
    QLineEdit field;
    QFont smallest = field.font();
    smallest.setPixelSize(9);  // already the smallest: only leaving out or shortening can help
    field.setFont(smallest);
    field.resize(QFontMetrics(smallest).horizontalAdvance(date) + 40, 24);
    struct Case { QString text, shown; } cases[] = {
        {date, date},
        {"Thursday, " + date, date},
        {"Thu, " + date, date},
        {"12:00, " + QString(80, 'x'), ""},  // no weekday to leave out: shortened in the middle
    };
    for (const Case& c : cases) {
        ShowResultText(&field, c.text);
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(field.text(), c.shown);
        } else {
            EXPECT_TRUE(field.text().startsWith("12:00") && field.text().contains(QChar(0x2026))) << field.text().toStdString();
        }
        EXPECT_EQ(field.toolTip(), field.text() == c.text ? QString() : c.text);
    }
}

}  // namespace
}  // namespace velkaro
