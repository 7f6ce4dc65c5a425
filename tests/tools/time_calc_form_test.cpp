// The calculator driven through its widgets, and the keyboard use of the tool dialogs.
#include "tools/time_calc_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "settings/options.h"
#include "test_cities.h"
#include "ui_time_calc_form.h"

namespace velkaro {
namespace {

using CalcFormTest = test::HintPatternCitiesTest;

TEST_F(CalcFormTest, ChoosingCitiesAndTimesUpdatesTheAnswer) {
    TTimeCalcForm form(EncodeDateTime(2006, 12, 31, 23, 30));
    auto& ui = form.Form();
    EXPECT_EQ(ui.resultEdit->text(), "2006-12-31 23:30");  // first the clock itself
    QTest::keyClick(ui.cityCombo2, Qt::Key_Down);  // Minus Five
    EXPECT_EQ(ui.resultEdit->text(), "2006-12-31 17:30");
    ui.cityCombo1->setCurrentIndex(test::kMinusFive);
    ui.cityCombo2->setCurrentIndex(test::kPlusNine);
    ui.hourCombo->setCurrentIndex(8);  // 08 PM
    ui.minCombo->setCurrentIndex(0);
    EXPECT_EQ(ui.resultEdit->text(), "2007-01-01 10:00");
    QTest::keyClick(ui.monthCombo, Qt::Key_Up);  // 30 November: the 31st is clamped
    EXPECT_EQ(ui.dayCombo->currentText(), "30");
    EXPECT_EQ(ui.resultEdit->text(), "2006-12-01 10:00");
}

TEST_F(CalcFormTest, TabVisitsTheQuestionInReadingOrder) {
    TTimeCalcForm form(EncodeDateTime(2006, 12, 31, 23, 30));
    auto& ui = form.Form();
    form.show();
    QApplication::setActiveWindow(&form);
    ui.hourCombo->setFocus();
    std::vector<QWidget*> order{ui.minCombo,   ui.ampmCombo,  ui.dayCombo,   ui.monthCombo, ui.yearCombo,
                                ui.cityCombo1, ui.cityCombo2, ui.resultEdit, ui.btnClose,   ui.hourCombo};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui.hourCombo, ui.cityCombo2, ui.resultEdit})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
}

TEST_F(CalcFormTest, EnterPressesCloseAndEscapeCloses) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        TTimeCalcForm form(EncodeDateTime(2006, 12, 31, 23, 30));
        form.show();
        QApplication::setActiveWindow(&form);
        form.Form().cityCombo1->setFocus();
        ASSERT_TRUE(form.isVisible());
        QTest::keyClick(form.Form().cityCombo1, key);
        EXPECT_FALSE(form.isVisible()) << key;
    }
}


}  // namespace
}  // namespace velkaro
