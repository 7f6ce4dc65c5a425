// The icon's click logic, fed with mouse actions as the notification area reports them.
#include "shell/tray_click.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkaro {
namespace {

using M = TTrayMouse;

const char* Name(TTrayButton b) {
    return b == TTrayButton::tbLeft ? "L" : b == TTrayButton::tbRight ? "R" : "M";
}

// Records what the machine asks for; the answers to its questions are set per case.
struct TRecorder : TTrayClickSink {
    std::vector<std::string> Log;
    bool DblHandler = false, DefaultItem = false, Modal = false, HasMenu = true;
    bool TimerRunning = false;

    void FireClick(TTrayButton b, int, int) override { Log.push_back(std::string("click ") + Name(b)); }
    void FireMouseDown(TTrayButton, int, int) override {}
    void FireMouseUp(TTrayButton, int, int) override {}
    void FireMouseMove(int, int) override {}
    void FireDblClick() override { Log.push_back("dblclick"); }
    void FireDblClickEx(TTrayButton b, int, int) override { Log.push_back(std::string("dblclickex ") + Name(b)); }
    void RunDefaultItem() override { Log.push_back("default item"); }
    bool PopupMenu(int, int) override {
        if (!HasMenu) return false;
        Log.push_back("menu");
        return true;
    }
    void StartClickTimer() override { TimerRunning = true; }
    void StopClickTimer() override { TimerRunning = false; }
    bool HasDblClickHandler() const override { return DblHandler; }
    bool MenuHasDefaultItem() const override { return DefaultItem; }
    bool ModalDialogOpen() const override { return Modal; }
};

struct ClickCase {
    const char* name;
    bool dblHandler, defaultItem, modal, popupWhenModal, hasMenu;
    std::vector<M> actions;
    bool expireTimer;  // let the double-click time pass at the end
    std::vector<std::string> expected;
};

class TrayClicks : public ::testing::TestWithParam<ClickCase> {};

TEST_P(TrayClicks, Produce) {
    const ClickCase& c = GetParam();
    TRecorder r;
    r.DblHandler = c.dblHandler;
    r.DefaultItem = c.defaultItem;
    r.Modal = c.modal;
    r.HasMenu = c.hasMenu;
    TTrayClickMachine m(r);
    m.PopupWhenModal = c.popupWhenModal;
    for (M a : c.actions) m.Mouse(a, 10, 20);
    if (c.expireTimer && r.TimerRunning) m.ClickTimerExpired();
    EXPECT_EQ(r.Log, c.expected);
    EXPECT_FALSE(r.TimerRunning && c.expireTimer);
}

// The main window's icon: a default item ("&Show") and a double-click handler.
INSTANTIATE_TEST_SUITE_P(
    Cases, TrayClicks,
    ::testing::Values(
        ClickCase{"single left click waits, then clicks", true, true, false, false, true,
                  {M::tmLeftDown, M::tmLeftUp}, true, {"click L"}},
        ClickCase{"single left click is pending within the double-click time", true, true, false, false, true,
                  {M::tmLeftDown, M::tmLeftUp}, false, {}},
        ClickCase{"double click runs the default item, not the handler, and drops the click", true, true, false,
                  false, true, {M::tmLeftDown, M::tmLeftUp, M::tmLeftDblClick, M::tmLeftUp}, true, {"default item"}},
        ClickCase{"double click without a default item fires the handler", true, false, false, false, true,
                  {M::tmLeftDown, M::tmLeftUp, M::tmLeftDblClick}, true, {"dblclick", "dblclickex L"}},
        ClickCase{"double click while a modal dialog is open does nothing", true, true, true, false, true,
                  {M::tmLeftDown, M::tmLeftUp, M::tmLeftDblClick}, true, {}},
        ClickCase{"without double-click meaning the click is at once", false, false, false, false, true,
                  {M::tmLeftDown, M::tmLeftUp}, false, {"click L"}},
        ClickCase{"right click shows the menu", true, true, false, false, true,
                  {M::tmRightDown, M::tmRightUp}, true, {"menu"}},
        ClickCase{"right click while modal shows no menu and becomes a click", true, true, true, false, true,
                  {M::tmRightDown, M::tmRightUp}, true, {"click R"}},
        ClickCase{"right click while modal with PopupWhenModal shows the menu", true, true, true, true, true,
                  {M::tmRightDown, M::tmRightUp}, true, {"menu"}},
        ClickCase{"right click without a menu is a click at once", false, false, false, false, false,
                  {M::tmRightDown, M::tmRightUp}, false, {"click R"}},
        ClickCase{"a left press during a right press completes the right click", false, false, false, false, true,
                  {M::tmRightDown, M::tmLeftDown, M::tmLeftUp}, false, {"click R", "click L"}},
        ClickCase{"right double click fires the handler", true, true, false, false, true,
                  {M::tmRightDblClick}, false, {"dblclick", "dblclickex R"}},
        ClickCase{"middle click decides a click on every release", false, false, false, false, true,
                  {M::tmMiddleUp, M::tmMiddleUp}, false, {"click M", "click M"}},
        ClickCase{"up without down decides nothing", true, true, false, false, true, {M::tmLeftUp}, true, {}}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return "Case" + std::to_string(info.index); });

TEST(TrayHint, KeepsTheFirst63Characters) {
    EXPECT_EQ(TruncateTrayHint(std::string(63, 'a')), std::string(63, 'a'));
    EXPECT_EQ(TruncateTrayHint(std::string(63, 'a') + "bcd"), std::string(63, 'a'));
}

TEST(TrayAreaWatch, ReportsLossAndReturnOnce) {
    using C = TTrayAreaChange;
    TTrayAreaWatch w;
    const std::pair<bool, C> steps[] = {{true, C::tacNone},  {false, C::tacLost}, {false, C::tacNone},
                                        {true, C::tacReturned}, {true, C::tacNone}};
    for (const auto& [available, change] : steps) EXPECT_EQ(w.Update(available), change);
}

}  // namespace
}  // namespace velkaro
