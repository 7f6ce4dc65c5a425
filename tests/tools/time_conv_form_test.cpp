// The converter driven through its widgets.
#include "tools/time_conv_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "settings/options.h"
#include "test_cities.h"
#include "ui_time_conv_form.h"

namespace velkaro {
namespace {

class ConvFormTest : public test::HintPatternCitiesTest {
protected:
    QString Text(QComboBox* c) { return c->currentText(); }
};

TEST_F(ConvFormTest, OpensWithTheClockAsTheFirstCitysTime) {
    // Local clock 31 January 2000, 13:05; UTC 20:00 on 31 December 2000 (Velkaro 12:00, day 366).
    TTimeConvForm form(EncodeDateTime(2000, 1, 31, 13, 5), EncodeDateTime(2000, 12, 31, 20, 0));
    auto& ui = form.Form();
    QStringList shown;
    for (QComboBox* c : {ui.hourCombo, ui.minCombo, ui.ampmCombo, ui.dayCombo, ui.monthCombo, ui.yearCombo,
                         ui.cityCombo1, ui.cityCombo2})
        shown << c->currentText();
    EXPECT_EQ(shown.join(" "), "01 05 PM 31 Jan 2000 Plus One Plus One");
    EXPECT_EQ(ui.minSpin->value(), 720);
    EXPECT_EQ(ui.daySpin->value(), 366);
    EXPECT_EQ(ui.daySpin->maximum(), 366);
    EXPECT_EQ(ui.yearSpin->value(), 0);
    // 13:05 one hour east is 12:05 UTC, 04:05 Velkaro time.
    EXPECT_EQ(ui.resultEdit1->text(), "@0245.00 d031 y000");
    EXPECT_EQ(ui.resultEdit2->text(), "2000-12-31 21:00");
}

// Month, year and day-of-year edits keep the day inside its month or year and convert at once.
TEST_F(ConvFormTest, DateEditsKeepTheDayInRangeAndConvertAtOnce) {
    TTimeConvForm form(EncodeDateTime(2000, 1, 31, 13, 5), EncodeDateTime(2000, 12, 31, 20, 0));
    auto& ui = form.Form();
    QTest::keyClick(ui.monthCombo, Qt::Key_Down);  // February 2000
    EXPECT_EQ(Text(ui.monthCombo), "Feb");
    EXPECT_EQ(ui.dayCombo->count(), 29);
    EXPECT_EQ(Text(ui.dayCombo), "29");
    EXPECT_EQ(ui.resultEdit1->text(), "@0245.00 d060 y000");
    QTest::keyClick(ui.yearCombo, Qt::Key_Down);  // February 2001
    EXPECT_EQ(ui.dayCombo->count(), 28);
    EXPECT_EQ(Text(ui.dayCombo), "28");
    EXPECT_EQ(ui.resultEdit1->text(), "@0245.00 d059 y001");

    ASSERT_EQ(ui.daySpin->value(), 366);
    QTest::keyClick(ui.yearSpin, Qt::Key_Up);  // 2001
    EXPECT_EQ(ui.daySpin->maximum(), 365);
    EXPECT_EQ(ui.daySpin->value(), 365);
    EXPECT_EQ(ui.resultEdit2->text(), "2001-12-31 21:00");
    QTest::keyClick(ui.yearSpin, Qt::Key_Down);  // back to the leap year: the maximum returns
    EXPECT_EQ(ui.daySpin->maximum(), 366);
    ui.cityCombo2->setCurrentIndex(test::kMinusFive);
    EXPECT_EQ(ui.resultEdit2->text(), "2000-12-30 15:00");
}

TEST_F(ConvFormTest, HourListAndCityChangeConvertAtOnce) {
    TTimeConvForm form(EncodeDateTime(2006, 5, 3, 12, 0), EncodeDateTime(2006, 5, 3, 17, 12, 5));
    auto& ui = form.Form();
    EXPECT_EQ(ui.resultEdit1->text(), "@0180.00 d123 y006");
    ui.ampmCombo->setCurrentIndex(0);  // 12 AM: midnight
    EXPECT_EQ(ui.resultEdit1->text(), "@0900.00 d122 y006");
    ui.hourCombo->setCurrentIndex(11);  // 11 AM
    EXPECT_EQ(ui.resultEdit1->text(), "@0120.00 d123 y006");
    ui.cityCombo1->setCurrentIndex(test::kPlusNine);
    EXPECT_EQ(ui.resultEdit1->text(), "@1080.00 d122 y006");
}

class ConvFormNoCitiesTest : public test::NoCitiesTest {};

TEST_F(ConvFormNoCitiesTest, EmptyCityListDisablesTheCityLists) {
    TTimeConvForm form(EncodeDateTime(2000, 1, 31, 13, 5), EncodeDateTime(2000, 12, 31, 20, 0));
    auto& ui = form.Form();
    EXPECT_FALSE(ui.cityCombo1->isEnabled());
    EXPECT_FALSE(ui.cityCombo2->isEnabled());
    EXPECT_EQ(ui.resultEdit1->text() + ui.resultEdit2->text(), "");
    QTest::keyClick(ui.minSpin, Qt::Key_Up);
    ui.hourCombo->setCurrentIndex(3);
    EXPECT_EQ(ui.resultEdit1->text() + ui.resultEdit2->text(), "");
}

}  // namespace
}  // namespace velkaro
