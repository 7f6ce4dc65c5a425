// The icon over Qt's notification-area support, driven by simulated mouse actions.
#include "shell/tray_icon.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>

namespace velkaro {
namespace {

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        show = menu.addAction("&Show");
        menu.setDefaultAction(show);
        QObject::connect(show, &QAction::triggered, [this] { ++shows; });
        icon.SetPopupMenu(&menu);
    }
    QMenu menu;
    QAction* show = nullptr;
    TTrayIcon icon;
    int shows = 0;
};

TEST_F(TrayIconTest, EnablingAddsDisablingRemovesAndTheAreaReturningAddsOnlyAnEnabledIcon) {
    icon.SetEnabled(false);  // never shown: nothing happens
    EXPECT_FALSE(icon.IconAdded());
    icon.SetEnabled(true);
    icon.NotificationAreaReturned();
    EXPECT_TRUE(icon.IconAdded());
    icon.SetEnabled(false);
    EXPECT_FALSE(icon.IconAdded());
    icon.NotificationAreaReturned();
    EXPECT_FALSE(icon.IconAdded());
}

TEST_F(TrayIconTest, RightClickShowsTheMenuButNotWhileAModalDialogIsOpen) {
    icon.SetEnabled(true);
    icon.Mouse(TTrayMouse::tmRightDown, 5, 5);
    icon.Mouse(TTrayMouse::tmRightUp, 5, 5);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    icon.Mouse(TTrayMouse::tmRightDown, 5, 5);
    icon.Mouse(TTrayMouse::tmRightUp, 5, 5);
    EXPECT_FALSE(menu.isVisible());
    icon.Mouse(TTrayMouse::tmLeftDblClick, 5, 5);
    EXPECT_EQ(shows, 0);
    dialog.hide();
}

}  // namespace
}  // namespace velkaro
