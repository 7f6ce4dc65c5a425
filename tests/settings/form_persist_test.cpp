// The placement keeper on a window of the offscreen platform, storing in a temporary folder.
#include "settings/form_persist.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <memory>
#include <optional>

#include "settings/ini_store.h"
#include "temp_config.h"

namespace velkaro {
namespace {

const std::string kKey = "\\TestForm";

class FormPersistTest : public ::testing::Test {
protected:
    // A main window with its keeper, storing through `store`.
    std::unique_ptr<QWidget> MakeForm() {
        auto form = std::make_unique<QWidget>();
        form->setObjectName("TestForm");
        form->resize(300, 200);
        keeper = new TFormPersist(form.get());
        keeper->Storage = &store;
        return form;
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    void Write(const std::string& name, int32_t value) { store.WriteInteger(kKey, name, value); }
    int32_t Read(const std::string& name) { return store.ReadInteger(kKey, name, -12345); }

    TTempConfig config;
    TIniStore store{rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria"};
    TFormPersist* keeper = nullptr;
};

TEST_F(FormPersistTest, SavesOnHideAndOnDestruction) {
    auto form = MakeForm();
    form->show();
    form->move(40, 50);
    Settle();
    const QRect frame = form->frameGeometry();
    const std::vector<int32_t> expected = {0, 0, frame.left(), frame.top(), frame.width(), frame.height()};
    const auto stored = [&] {
        return std::vector<int32_t>{Read("State"), Read("Topmost"), Read("Left"), Read("Top"), Read("Width"), Read("Height")};
    };
    form->hide();
    EXPECT_EQ(stored(), expected);
    store.DeleteEntry(kKey, "");
    TFormPersist::AnnounceDestruction(form.get());
    EXPECT_EQ(stored(), expected);
    // The store's current key is as it was.
    EXPECT_EQ(store.CurrentKey(), "\\");
}

TEST_F(FormPersistTest, RestoresOnShowIgnoringIncompleteValuesAndComingBackOnScreen) {
    struct Case {
        std::vector<std::pair<const char*, int32_t>> values;
        std::optional<QPoint> pos;  // none: where the window system puts it
        QSize frameSize;            // empty: the form's own size
    } cases[] = {
        {{{"Left", 70}, {"Top", 80}, {"Width", 254}, {"Height", 154}}, QPoint(70, 80), {254, 154}},
        {{{"Width", 400}, {"Left", 15}}, std::nullopt, {}},                  // halves missing: nothing
        {{{"Width", -5}, {"Height", 100}}, std::nullopt, {}},                // negative width
        {{{"Left", -5000}, {"Top", -4000}}, QPoint(0, 0), {}},               // off every screen
        {{{"Width", 200}, {"Height", 120}, {"Top", 9}}, std::nullopt, {200, 120}},  // size only
    };
    for (const Case& c : cases) {
        store.DeleteEntry(kKey, "");
        for (const auto& [name, value] : c.values) Write(name, value);
        auto form = MakeForm();
        form->show();
        Settle();
        const QSize margins = form->frameGeometry().size() - form->size();
        if (c.pos) {
            // On the offscreen platform's one 800 x 600 screen. (Its pretend frame may shift
            // the window by its two-pixel border, so compare loosely.)
            EXPECT_NEAR(form->frameGeometry().left(), c.pos->x(), 2);
            EXPECT_NEAR(form->frameGeometry().top(), c.pos->y(), 2);
        }
        EXPECT_EQ(form->frameGeometry().size(), c.frameSize.isEmpty() ? QSize(300, 200) + margins : c.frameSize);
    }
}

TEST(KeepReachableTest, StaysWhollyOnTheScreensElseMovesOntoTheOneShowingMost) {
    const TBounds primary{0, 0, 1280, 1024};
    const TBounds left{-1920, 0, 0, 1080};     // a second monitor left of the primary
    const TBounds above{0, -1200, 1600, 0};    // and one above it
    auto at = [](int32_t x, int32_t y) { return TBounds{x, y, x + 540, y + 330}; };
    struct Case {
        const char* what;
        TBounds frame;
        std::vector<TBounds> screens;
        TBounds expected;
    } cases[] = {
        {"on the primary", at(500, 400), {primary}, at(500, 400)},
        {"monitor gone", at(-3000, -2000), {primary}, at(0, 0)},
        {"on the left monitor", at(-1500, 200), {primary, left}, at(-1500, 200)},
        {"left monitor removed", at(-1500, 200), {primary}, at(0, 200)},
        {"on the monitor above", at(300, -900), {primary, above}, at(300, -900)},
        {"across two monitors", at(-270, 10), {primary, left}, at(-270, 10)},
        {"touching the right edge", at(740, 10), {primary}, at(740, 10)},
        {"one pixel over the right edge", at(741, 10), {primary}, at(740, 10)},
        {"most of it on the left monitor", at(-400, 1000), {primary, left}, at(-540, 1080 - 330)},
        {"buttons below the bottom (a larger scale)", at(100, 984), {primary}, at(100, 1024 - 330)},
        {"title bar above the top", at(100, -290), {primary}, at(100, 0)},
        {"behind a panel at the top", at(100, -300), {{0, 32, 1280, 1024}}, at(100, 32)},
        {"larger than the screen, off it", {-5000, -5000, -2500, -3000}, {primary}, {0, 0, 2500, 2000}},
        {"larger than the screen, on it", {100, 100, 1400, 600}, {primary}, {0, 100, 1300, 600}},
        {"no screen known", at(-3000, -2000), {}, at(-3000, -2000)},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepReachable(c.frame, c.screens), c.expected) << c.what;
}

TEST_F(FormPersistTest, MaximisedKeepsThePositionFromBefore) {
    auto form = MakeForm();
    form->show();
    form->move(33, 44);
    Settle();
    const TBounds normal = keeper->NormalBounds();
    form->showMaximized();
    Settle();
    ASSERT_TRUE(form->isMaximized());
    EXPECT_EQ(keeper->NormalBounds(), normal);
    keeper->SavePlacement();
    EXPECT_EQ(Read("State"), 2);
    EXPECT_EQ(Read("Left"), normal.Left);
    EXPECT_EQ(Read("Top"), normal.Top);
}

TEST_F(FormPersistTest, StoredStatesComeBack) {
    Write("State", 1);
    {
        auto form = MakeForm();
        form->show();
        Settle();
        EXPECT_TRUE(form->isMinimized());
        form->hide();
        EXPECT_EQ(Read("State"), 1);
    }
    // Other forms than main windows take it too.
    Write("State", 2);
    QDialog dialog;
    dialog.setObjectName("TestForm");
    (new TFormPersist(&dialog))->Storage = &store;
    dialog.show();
    Settle();
    EXPECT_TRUE(dialog.isMaximized());
}

TEST_F(FormPersistTest, ShowingAgainAfterHidingMinimisedDoesNotReplace) {
    auto form = MakeForm();
    form->show();
    form->move(10, 20);
    Settle();
    form->showMinimized();
    form->hide();  // into the notification area
    EXPECT_EQ(Read("State"), 1);
    form->showNormal();  // back from it: stays normal, where it was
    Settle();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(10, 20));
}

TEST_F(FormPersistTest, TopmostIsStoredAndApplied) {
    Write("Topmost", 1);
    auto form = MakeForm();
    form->show();
    Settle();
    EXPECT_TRUE(keeper->TopMost());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->isVisible());
    keeper->SetTopMost(false);
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->isVisible());
    keeper->SavePlacement();
    EXPECT_EQ(Read("Topmost"), 0);
}

TEST_F(FormPersistTest, FirstShowCreatesTheEmptyKeyButNotWhenInactiveOrWithoutAStore) {
    auto form = MakeForm();
    keeper->Active = false;
    form->show();
    form->hide();
    EXPECT_FALSE(store.KeyExists(kKey));
    keeper->Active = true;
    keeper->Storage = nullptr;
    form->show();
    form->hide();
    EXPECT_FALSE(store.KeyExists(kKey));
    keeper->Storage = &store;
    form->show();
    TStringList values{"stale"};
    EXPECT_TRUE(store.EnumValues(kKey, values));
    EXPECT_TRUE(values.empty());
}

}  // namespace
}  // namespace velkaro
