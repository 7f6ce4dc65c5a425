#include "widgets/color_combo_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>

namespace velkaro {
namespace {

TEST(ColorTest, ResolvesPlainSystemAndNoColour) {
    QPalette p;
    p.setColor(QPalette::ToolTipBase, QColor(1, 2, 3));
    p.setColor(QPalette::Highlight, QColor(4, 5, 6));
    EXPECT_EQ(ResolveColor(0x0000FF, p), QColor(255, 0, 0));
    EXPECT_EQ(ResolveColor(0xFF0000, p), QColor(0, 0, 255));
    EXPECT_EQ(ResolveColor(0x123456, p), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ResolveColor(clInfoBk, p), QColor(1, 2, 3));
    EXPECT_EQ(ResolveColor(0x8000000D, p), QColor(4, 5, 6));
    EXPECT_EQ(ResolveColor(clNone, p).alpha(), 0);
    EXPECT_EQ(ToTColor(QColor(0x56, 0x34, 0x12)), 0x123456u);
}

TEST(ColorTest, Names) {
    struct Case { TColor color; const char* name; };
    for (Case c : {Case{clNone, "None"}, Case{0x000000, "Black"}, Case{0x0000FF, "Red"}, Case{0xFF0000, "Blue"},
                   Case{0xFFFFFF, "White"}, Case{0x80000000, "Scroll Bar"}, Case{clInfoBk, "Tooltip Background"},
                   Case{0x123456, "#563412"}, Case{0x80000040, "System colour 64"}}) {
        EXPECT_EQ(ColorName(c.color), c.name);
    }
}

class ColorComboTest : public ::testing::Test {
protected:
    void TearDown() override { TColorComboBox::ColorPicker = saved; }
    void PickWith(std::optional<QColor> answer) {
        TColorComboBox::ColorPicker = [this, answer](const QColor& initial, QWidget*) {
            asked = initial;
            return answer;
        };
    }
    TColorComboBox::TColorPicker saved = TColorComboBox::ColorPicker;
    QColor asked;
};

TEST_F(ColorComboTest, SelectsListedColoursAndAddsOneCustomEntry) {
    TColorComboBox box;
    for (TColor c : {TColor(0x00FFFF), clInfoBk, clNone, TColor(0x80000005)}) {
        box.SetSelectedColor(c);
        EXPECT_EQ(box.SelectedColor(), c);
        EXPECT_EQ(box.currentText().toStdString(), ColorName(c));
    }
    const int listed = box.count();
    box.SetSelectedColor(0x123456);
    EXPECT_EQ(box.SelectedColor(), 0x123456u);
    EXPECT_EQ(box.currentText(), "#563412");
    EXPECT_EQ(box.count(), listed + 1);
    box.SetSelectedColor(0x654321);
    EXPECT_EQ(box.currentText(), "#214365");
    EXPECT_EQ(box.count(), listed + 1);
    box.SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(box.currentText(), "White");
}

TEST_F(ColorComboTest, CustomChoiceAsksForAColour) {
    TColorComboBox box;
    box.SetSelectedColor(0x0000FF);
    QSignalSpy changed(&box, &TColorComboBox::ColorChanged);
    PickWith(QColor(0x10, 0x20, 0x30));
    box.setCurrentIndex(box.count() - 1);
    EXPECT_EQ(asked, QColor(255, 0, 0));
    EXPECT_EQ(box.SelectedColor(), 0x302010u);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<TColor>(), 0x302010u);

    // A cancelled choice goes back to the colour before.
    PickWith(std::nullopt);
    box.setCurrentIndex(box.count() - 1);
    EXPECT_EQ(box.SelectedColor(), 0x302010u);
    EXPECT_EQ(box.currentText(), "#102030");
}

}  // namespace
}  // namespace velkaro
