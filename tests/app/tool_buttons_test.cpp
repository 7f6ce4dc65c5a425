// The tool buttons and menu items of the main window open the converter, the calculator and
// the configuration dialog; configuration reaches the status strip on OK and on Apply.
#include "app/zonaria_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "settings/options.h"
#include "tests/app/test_app.h"
#include "tests/settings/temp_config.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"

namespace velkaro {
namespace {

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

class ToolButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ZonariaOptions() = TZonariaOptions();
        form = std::make_unique<TZonariaForm>(kDataDir);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        form.reset();
        ZonariaOptions() = TZonariaOptions();
    }
    // Runs `inside` on the modal dialog that `open` shows; false when none came up.
    template <class TDialog>
    bool WithModal(const std::function<void()>& open, const std::function<void(TDialog&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            inside(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        open();
        return seen;
    }
    static QComboBox* Combo(QDialog& d, const char* name) { return d.findChild<QComboBox*>(name); }
    static QPushButton* Button(QDialog& d, const char* name) { return d.findChild<QPushButton*>(name); }

    TTempConfig config;
    std::unique_ptr<TZonariaForm> form;
};

TEST_F(ToolButtonsTest, ButtonsAndMenuItemsOpenTheirDialogs) {
    auto close = [](QDialog& d) { QTest::mouseClick(Button(d, "btnClose"), Qt::LeftButton); };
    EXPECT_TRUE(WithModal<TTimeConvForm>([&] { QTest::mouseClick(form->btnTimeConv, Qt::LeftButton); },
                                         [&](TTimeConvForm& d) {
                                             EXPECT_EQ(Combo(d, "cityCombo1")->count(), int(CityList.size()));
                                             close(d);
                                             EXPECT_FALSE(d.isVisible());
                                         }));
    EXPECT_TRUE(WithModal<TTimeCalcForm>([&] { QTest::mouseClick(form->btnTimeCalc, Qt::LeftButton); },
                                         [&](TTimeCalcForm& d) { close(d); }));
    EXPECT_TRUE(WithModal<TTimeConvForm>([&] { form->miTimeConverter->trigger(); }, [&](TTimeConvForm& d) { close(d); }));
    EXPECT_TRUE(WithModal<TTimeCalcForm>([&] { form->miTimeCalculator->trigger(); }, [&](TTimeCalcForm& d) { close(d); }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ToolButtonsTest, ConfigureOkStoresAndRelaysTheStrip) {
    const int before = form->height();
    EXPECT_TRUE(WithModal<TTimeConfForm>([&] { QTest::mouseClick(form->btnConfigure, Qt::LeftButton); },
                                         [&](TTimeConfForm& d) {
                                             Combo(d, "TZTFontSizeCombo")->setCurrentIndex(7);  // 14
                                             QTest::mouseClick(Button(d, "btnOK"), Qt::LeftButton);
                                         }));
    EXPECT_EQ(ZonariaOptions().StatusFontSize, 14u);
    EXPECT_EQ(ZonariaOptions().StatusTimeFormat, "m.d.yy h:MM:SS TT");
    EXPECT_GT(form->height(), before);
}

TEST_F(ToolButtonsTest, ConfigureCancelChangesNothing) {
    const int before = form->height();
    const std::string format = ZonariaOptions().StatusTimeFormat;
    EXPECT_TRUE(WithModal<TTimeConfForm>([&] { QTest::mouseClick(form->btnConfigure, Qt::LeftButton); },
                                         [&](TTimeConfForm& d) {
                                             Combo(d, "TZTFontSizeCombo")->setCurrentIndex(7);
                                             QTest::mouseClick(Button(d, "btnCancel"), Qt::LeftButton);
                                         }));
    EXPECT_EQ(ZonariaOptions().StatusFontSize, 8u);
    EXPECT_EQ(ZonariaOptions().StatusTimeFormat, format);
    EXPECT_EQ(form->height(), before);
}

TEST_F(ToolButtonsTest, ApplyTakesEffectWhileTheDialogStaysOpen) {
    const int before = form->height();
    int whileOpen = 0;
    EXPECT_TRUE(WithModal<TTimeConfForm>([&] { QTest::mouseClick(form->btnConfigure, Qt::LeftButton); },
                                         [&](TTimeConfForm& d) {
                                             Combo(d, "MVTFontSizeCombo")->setCurrentIndex(7);
                                             QTest::mouseClick(Button(d, "ApplyBtn"), Qt::LeftButton);
                                             EXPECT_TRUE(d.isVisible());
                                             whileOpen = form->height();
                                             QTest::mouseClick(Button(d, "btnCancel"), Qt::LeftButton);
                                         }));
    EXPECT_GT(whileOpen, before);
    EXPECT_EQ(ZonariaOptions().MVTFontSize, 14u);
    EXPECT_EQ(form->height(), whileOpen);
}

}  // namespace
}  // namespace velkaro
