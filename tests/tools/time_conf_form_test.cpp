// The configuration dialog driven through its widgets.
#include "tools/time_conf_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "timemodel/time_format.h"
#include "ui_time_conf_form.h"
#include "widgets/color_combo_box.h"

namespace velkaro {
namespace {

class ConfFormTest : public ::testing::Test {
protected:
    // The dialog's Apply edits the program's one options object; each test starts it afresh.
    void SetUp() override { ZonariaOptions() = TZonariaOptions(); }
    void TearDown() override { ZonariaOptions() = TZonariaOptions(); }
    const TDateTime opened = EncodeDateTime(2006, 5, 3, 17, 12, 5);
};

TEST_F(ConfFormTest, OpensOnTheFirstPageWithItsLists) {
    TTimeConfForm form(opened);
    auto& ui = form.Form();
    EXPECT_EQ(ui.Pages->currentWidget(), ui.MVTPage);
    // The patterns are shown as examples of the moment the dialog opened.
    EXPECT_EQ(ui.HintFormatCombo->itemText(5), "Wed, 03 May, 2006 17:12:05");  // pattern 5
    // The defaults match no pattern: the hint's reads like the first and takes its place, the
    // city box's shows in front of the eight.
    EXPECT_EQ(ui.HintFormatCombo->count(), 8);
    EXPECT_EQ(ui.HintFormatCombo->currentIndex(), 0);
    EXPECT_EQ(ui.TZTFormatCombo->count(), 9);
    EXPECT_EQ(ui.HintFormatCombo->currentText().toStdString(), FormatTimePattern("D x", opened));
    EXPECT_EQ(ui.TZTFormatCombo->currentText().toStdString(), FormatTimePattern("DD xx", opened));
}

TEST_F(ConfFormTest, LoadShowsTheOptions) {
    TZonariaOptions o;
    o.MVTColor = 0xFF0000;
    o.HintFontColor = 0x123456;
    o.StatusFontSize = 13;
    o.HintFontSize = 14;
    o.StatusFontStyle = fsBold | fsStrikeOut;
    o.MVTFormat = 3;
    TTimeConfForm form(opened);
    form.LoadFromOptions(o);
    auto& ui = form.Form();
    EXPECT_EQ(ui.MVTBoxCC->currentText(), "Blue");
    EXPECT_EQ(ui.HintTextCC->SelectedColor(), 0x123456u);
    EXPECT_EQ(ui.HintBoxCC->currentText(), "Tooltip Background");
    EXPECT_EQ(ui.TZTFontSizeCombo->currentIndex(), -1);
    EXPECT_EQ(ui.HintFontSizeCombo->currentText(), "14");
    EXPECT_TRUE(ui.TZTBoldCB->isChecked());
    EXPECT_FALSE(ui.TZTItalicCB->isChecked());
    EXPECT_FALSE(ui.MVTBoldCB->isChecked());
    EXPECT_EQ(ui.MVTFormatCombo->currentIndex(), 3);
}

TEST_F(ConfFormTest, ApplyStoresAtOnceAndCancelKeepsIt) {
    ZonariaOptions().HintFontStyle = fsBold;
    TTimeConfForm form(opened);
    form.LoadFromOptions(ZonariaOptions());
    int applied = 0;
    QObject::connect(&form, &TTimeConfForm::Applied, [&] {
        ++applied;
        EXPECT_EQ(ZonariaOptions().HintFontStyle, 0) << "stored before the signal";
    });
    form.show();
    auto& ui = form.Form();
    ui.Pages->setCurrentWidget(ui.HintPage);
    QTest::mouseClick(ui.HintBoldCB, Qt::LeftButton, {}, QPoint(5, ui.HintBoldCB->height() / 2));
    ASSERT_FALSE(ui.HintBoldCB->isChecked());
    ui.HintFontSizeCombo->setCurrentIndex(7);
    QTest::mouseClick(ui.ApplyBtn, Qt::LeftButton);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ZonariaOptions().HintFontStyle, 0);
    EXPECT_EQ(ZonariaOptions().HintFontSize, 14u);

    ui.HintFontSizeCombo->setCurrentIndex(0);
    QTest::mouseClick(ui.btnCancel, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ZonariaOptions().HintFontSize, 14u);
}

// The "Map" page: its one box shows ShowDaylight and Apply stores it at once.
TEST_F(ConfFormTest, MapPageShowsAndAppliesTheDaylightOption) {
    ZonariaOptions().ShowDaylight = true;
    TTimeConfForm form(opened);
    form.LoadFromOptions(ZonariaOptions());
    form.show();
    auto& ui = form.Form();
    EXPECT_EQ(ui.Pages->tabText(ui.Pages->indexOf(ui.MapPage)), "Map");
    ui.Pages->setCurrentWidget(ui.MapPage);
    ASSERT_TRUE(ui.ShowDaylightCB->isChecked());
    QTest::mouseClick(ui.ShowDaylightCB, Qt::LeftButton, {}, QPoint(5, ui.ShowDaylightCB->height() / 2));
    QTest::mouseClick(ui.ApplyBtn, Qt::LeftButton);
    EXPECT_FALSE(ZonariaOptions().ShowDaylight);
    QTest::mouseClick(ui.ShowDaylightCB, Qt::LeftButton, {}, QPoint(5, ui.ShowDaylightCB->height() / 2));
    QTest::mouseClick(ui.ApplyBtn, Qt::LeftButton);
    EXPECT_TRUE(ZonariaOptions().ShowDaylight);
}

TEST_F(ConfFormTest, EnterIsOkAndEscapeIsCancel) {
    for (auto [key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}}) {
        TTimeConfForm form(opened);
        form.show();
        QApplication::setActiveWindow(&form);
        form.Form().MVTFontSizeCombo->setFocus();
        QTest::keyClick(form.Form().MVTFontSizeCombo, key);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), result);
    }
}

}  // namespace
}  // namespace velkaro
