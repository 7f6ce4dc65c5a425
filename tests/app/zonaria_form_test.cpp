// The main window on the offscreen platform, with the program's data files and a temporary
// settings folder: map, strip, notification area, placement, the dialogs it opens, and its
// keyboard and screen-reader path (focus, arrows, type-ahead, Enter, Escape, "Find city", the
// accessible tree of every window).
#include "app/zonaria_form.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>

#include "app/map_accessible.h"
#include "app/map_focus.h"
#include "map/find_city_popup.h"
#include "map/hint_window.h"
#include "map/map_logic.h"
#include "map/map_panel.h"
#include "map/time_scrubber.h"
#include "settings/form_persist.h"
#include "settings/ini_store.h"
#include "settings/options.h"
#include "shell/tray_icon.h"
#include "sync/time_sync_form.h"
#include "tests/app/test_app.h"
#include "tests/settings/temp_config.h"
#include "timemodel/time_format.h"
#include "tools/about_form.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"
#include "widgets/color.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

// Stands in for the desktop's browser.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QUrl Opened;
public slots:
    void Open(const QUrl& url) { Opened = url; }
};

// Counts the hide, show and paint events of the object it watches.
class TEventCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        const auto t = e->type();
        if (t == QEvent::Hide || t == QEvent::Show || t == QEvent::Paint || t == QEvent::UpdateRequest) ++Count;
        return false;
    }
};

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

class ZonariaFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ZonariaOptions() = TZonariaOptions();
    }
    void TearDown() override {
        form.reset();
        ZonariaOptions() = TZonariaOptions();
    }
    TZonariaForm& Start(const std::string& dir = kDataDir) {
        form = std::make_unique<TZonariaForm>(dir);
        return *form;
    }
    TZonariaForm& StartShown() {
        Start();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    // A city with no other city near it, so moving around it meets no neighbour.
    static const TCity& LonelyCity() {
        for (const auto& c : CityList) {
            bool alone = true;
            for (const auto& o : CityList)
                if (o != c && std::hypot(o->X - c->X, o->Y - c->Y) < 14) alone = false;
            if (alone) return *c;
        }
        throw std::runtime_error("no isolated city in the data");
    }
    // A point on the map farther than 20 pixels from every city.
    static QPoint EmptyMapPoint() {
        for (int y = 10; y < kMapHeight; y += 7)
            for (int x = 10; x < kMapWidth; x += 7) {
                bool far = true;
                for (const auto& c : CityList)
                    if (std::hypot(c->X + 2 - x, c->Y - y) < 20) far = false;
                if (far) return {x, y};
            }
        throw std::runtime_error("no empty spot on the map");
    }
    QColor StripPixel(int x, int yFromBottom) const {
        form->MapImage->repaint();
        return form->BackBuffer.pixelColor(x, form->MapImage->height() - 1 - yFromBottom);
    }
    // Runs `inside` on the modal dialog that `open` shows, then closes it; false when none came up.
    static bool WithModal(const std::function<void()>& open, const std::function<void(QDialog&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            inside(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        open();
        return seen;
    }

    TTempConfig config;
    TBoxCapture boxes;
    std::unique_ptr<TZonariaForm> form;
};

TEST_F(ZonariaFormTest, StartsWithTheListsTheLayoutAndThePrompt) {
    TZonariaForm& f = StartShown();
    EXPECT_TRUE(f.ListsLoaded);
    EXPECT_FALSE(CityList.empty());
    EXPECT_TRUE(boxes.Messages.empty());
    EXPECT_EQ(f.windowTitle(), "Velkaro -- The World Business Internet Time Map");
    // 8-point fonts at 96 dpi: the logo's 31 pixels decide the strip; 22 for the scrubber.
    EXPECT_EQ(f.size(), QSize(530, 322));
    EXPECT_EQ(f.MapImage->geometry(), QRect(0, 0, 530, 279));
    EXPECT_EQ(f.LinkPanel->geometry(), QRect(0, 248, 120, 31));
    EXPECT_EQ(f.BackBuffer.size(), QSize(530, 279));
    EXPECT_FALSE(f.Image1->isVisible());

    const QPushButton* buttons[] = {f.btnTimeConv, f.btnTimeSync, f.btnTimeCalc, f.btnConfigure, f.btnAbout};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(buttons[i]->geometry(), QRect(106 * i, 0, 106, 21));
    EXPECT_EQ(f.btnPanel->geometry(), QRect(0, 301, 530, 21));

    // The strip: prompt in the city area on black, Velkaro time on blue, logo area white.
    EXPECT_EQ(CityStripText(f.SelectedCity, ZonariaOptions().StatusTimeFormat, UtcNow()), kPromptText);
    EXPECT_EQ(StripPixel(300, 0), QColor(0, 0, 0));
    EXPECT_EQ(StripPixel(528, 0), QColor(0, 0, 255));
    EXPECT_EQ(StripPixel(2, 0), QColor(255, 255, 255));
}

// On a high-density screen the map is the picture drawn at twice the size, in the same logical
// 530 x 248; at a ratio of 1 the plain picture, pixel for pixel. Both have every city's red dot
// under its pick point, since dots and pick points come from one projection.
TEST_F(ZonariaFormTest, TheMapPictureFollowsTheDevicePixelRatio) {
    TZonariaForm& f = StartShown();
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QString file = ratio > 1 ? QStringLiteral(":/map@2x.bmp") : QStringLiteral(":/map.bmp");
        const QImage picture = QImage(file).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(picture.size(), QSize(kMapWidth, kMapHeight) * ratio);
        for (const auto& c : CityList) {
            const QColor dot = ratio > 1 ? picture.pixelColor(2 * (c->X + 2) + 1, 2 * (c->Y + 1) + 1)
                                         : picture.pixelColor(c->X + 2, c->Y);
            EXPECT_TRUE(dot.red() > 200 && dot.green() < 80 && dot.blue() < 80) << c->Name << " has no red dot";
        }
        f.BackBuffer = QImage(f.MapImage->size() * ratio, QImage::Format_RGB32);
        f.BackBuffer.setDevicePixelRatio(ratio);
        f.MapImage->repaint();
        EXPECT_EQ(f.BackBuffer.copy(QRect(QPoint(0, 0), picture.size())), picture);
    }
}

// With daylight on, the night side is darkened on the picture the panel shows (half the world
// is always in the dark) and the hour labels stay; off again, the plain picture returns.
TEST_F(ZonariaFormTest, DaylightShadesTheMapAndApplyingItOffRestoresThePicture) {
    TZonariaForm& f = StartShown();
    const QImage plain = QImage(QStringLiteral(":/map.bmp")).convertToFormat(QImage::Format_RGB32);
    const QRect labels(0, 238, kMapWidth, kMapHeight - 238);
    ZonariaOptions().ShowDaylight = true;
    f.MapImage->repaint();
    const QImage shown = f.BackBuffer.copy(QRect(0, 0, kMapWidth, kMapHeight));
    int darker = 0;
    for (int y = 0; y < 238; ++y)
        for (int x = 0; x < kMapWidth; ++x) darker += qGray(shown.pixel(x, y)) < qGray(plain.pixel(x, y));
    EXPECT_GT(darker, kMapWidth * 238 / 4);
    EXPECT_EQ(shown.copy(labels), plain.copy(labels));

    ZonariaOptions().ShowDaylight = false;
    f.MapImage->repaint();
    EXPECT_EQ(f.BackBuffer.copy(QRect(0, 0, kMapWidth, kMapHeight)), plain);
}

TEST_F(ZonariaFormTest, MissingListShowsItsErrorEndsTheProgramAndSavesNothing) {
    struct Case {
        const char* present;
        const char* message;
    } cases[] = {{"azones.lst", "The list of cities not found. Velkaro can't continue."},
                 {"acities.lst", "The list of time zones not found. Velkaro can't continue."}};
    for (const Case& c : cases) {
        const fs::path dir = fs::path(config.File()).parent_path().parent_path() / "data";
        fs::create_directories(dir);
        fs::remove(dir / "acities.lst");
        fs::remove(dir / "azones.lst");
        fs::copy_file(kDataDir + c.present, dir / c.present);
        boxes.Messages.clear();
        {
            TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
            store.WriteInteger("\\ZonariaForm", "Left", 500);
            store.WriteInteger("\\ZonariaForm", "Top", 400);
            store.WriteInteger("\\Options", "HintFontSize", 11);
        }

        TZonariaForm& f = Start(dir.string() + "/");
        EXPECT_FALSE(f.ListsLoaded);
        ASSERT_EQ(boxes.Messages.size(), 1u);
        EXPECT_EQ(boxes.Messages[0].first, TBoxKind::bkError);
        EXPECT_EQ(boxes.Messages[0].second, c.message);
        // The tick does nothing without the lists.
        f.TimerTimer();
        EXPECT_EQ(f.TrayIcon->Hint(), "");
        // The loop ends as soon as it starts.
        QTimer failsafe;
        failsafe.setSingleShot(true);
        QObject::connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        failsafe.start(5000);
        EXPECT_EQ(QCoreApplication::exec(), 0);
        ZonariaOptions().HintFontSize = 14;
        form.reset();
        ClearLists();
        TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Left", -1), 500);
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Top", -1), 400);
        EXPECT_EQ(store.ReadInteger("\\Options", "HintFontSize", -1), 11);
        EXPECT_EQ(store.ReadInteger("\\Options", "MVTColor", -1), -1);
    }
}

TEST_F(ZonariaFormTest, PointingAtACityShowsItsHint) {
    TZonariaForm& f = StartShown();
    const TCity& city = LonelyCity();
    // The pick radius itself is the unit tests' business; here one point in, one out.
    struct Case { int dx, dy; bool shown; } cases[] = {{-3, 4, true}, {0, 6, false}};
    for (const Case& c : cases) {
        const QPoint at(city.X + 2 + c.dx, city.Y + c.dy);
        QTest::mouseMove(f.MapImage, EmptyMapPoint());
        Settle();
        QTest::mouseMove(f.MapImage, at);
        Settle();
        EXPECT_EQ(f.HintWindow->isVisible(), c.shown) << c.dx << "," << c.dy;
        EXPECT_EQ(f.HoverCity == &city, c.shown);
        if (!c.shown) continue;
        const QString prefix = QString::fromLatin1(city.Name) + ": ";
        EXPECT_TRUE(f.HintWindow->Text().startsWith(prefix)) << f.HintWindow->Text().toStdString();
        EXPECT_GT(f.HintWindow->Text().size(), prefix.size());
        // Left edge at the pointer, bottom edge four pixels above it.
        const QPoint s = f.MapImage->mapToGlobal(at);
        EXPECT_EQ(f.HintWindow->geometry().left(), s.x());
        EXPECT_EQ(f.HintWindow->geometry().bottom() + 1, s.y() - 4);
    }
    // A longer text (9:59:57 to 10:00:03) is measured again: it grows from where it stands.
    const QRect before = f.HintWindow->geometry();
    const QString longer = f.HintWindow->Text() + QStringLiteral(" and then some more");
    f.HintWindow->SetText(longer);
    EXPECT_EQ(f.HintWindow->geometry().bottomLeft(), before.bottomLeft());
    EXPECT_EQ(f.HintWindow->size(), f.HintWindow->CalcHintRect(10000, longer).size());
    // Moving off every city hides it.
    QTest::mouseMove(f.MapImage, EmptyMapPoint());
    Settle();
    EXPECT_FALSE(f.HintWindow->isVisible());
    EXPECT_EQ(f.HoverCity, nullptr);

    // At the right edge of the screen it stays on the screen; leaving the map takes it away.
    const QRect screen = f.screen()->availableGeometry();
    f.move(screen.right() - 2 - (city.X + 2), f.y());
    Settle();
    QTest::mouseMove(f.MapImage, QPoint(city.X + 2, city.Y));
    Settle();
    ASSERT_TRUE(f.HintWindow->isVisible());
    EXPECT_TRUE(screen.contains(f.HintWindow->geometry())) << f.HintWindow->geometry().right();
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.MapImage, &leave);
    EXPECT_FALSE(f.HintWindow->isVisible());
    EXPECT_EQ(f.HoverCity, nullptr);
}

TEST_F(ZonariaFormTest, ButtonsHideTheHintAndTheTickBringsItBack) {
    TZonariaForm& f = StartShown();
    const TCity& city = LonelyCity();
    ZonariaOptions().HintTimeFormat = "'same text'";
    f.MapImageMouseMove(city.X + 2, city.Y);
    ASSERT_TRUE(f.HintWindow->isVisible());
    // A tick that brings no new text leaves the showing hint alone: not hidden, not repainted.
    Settle();
    TEventCounter events;
    f.HintWindow->installEventFilter(&events);
    f.TimerTimer();
    Settle();
    EXPECT_EQ(events.Count, 0);
    f.HintWindow->removeEventFilter(&events);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(f.btnConfigure, &enter);
    EXPECT_FALSE(f.HintWindow->isVisible());
    EXPECT_EQ(f.HoverCity, &city);

    // The tick shows it again, at the same place, with the text of the current format.
    const QPoint where = f.HintWindow->geometry().bottomLeft();
    ZonariaOptions().HintTimeFormat = "'fixed text'";
    f.TimerTimer();
    EXPECT_TRUE(f.HintWindow->isVisible());
    EXPECT_EQ(f.HintWindow->geometry().bottomLeft(), where);
    EXPECT_EQ(f.HintWindow->Text(), QString::fromLatin1(CityHintText(city, "'fixed text'", UtcNow())));
}

TEST_F(ZonariaFormTest, TheHintGoesWhenTheWindowIsMinimisedHiddenOrDeactivated) {
    QWidget other;
    const std::pair<const char*, std::function<void(TZonariaForm&)>> cases[] = {
        {"to the notification area", [](TZonariaForm& f) {
             f.TrayAvailable = [] { return true; };
             f.showMinimized();
         }},
        {"minimised on the task bar", [](TZonariaForm& f) {
             f.TrayAvailable = [] { return false; };
             f.showMinimized();
         }},
        {"hidden", [](TZonariaForm& f) { f.hide(); }},
        {"deactivated", [&other](TZonariaForm&) {
             other.show();
             other.activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
    };
    for (const auto& [what, away] : cases) {
        TIniStore(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria").DeleteEntry("\\ZonariaForm", "");
        TZonariaForm& f = StartShown();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        const TCity& city = LonelyCity();
        f.MapImageMouseMove(city.X + 2, city.Y);
        ASSERT_TRUE(f.HintWindow->isVisible());
        away(f);
        Settle();
        f.TimerTimer();
        Settle();
        EXPECT_FALSE(f.HintWindow->isVisible()) << what;
        EXPECT_EQ(f.HoverCity, nullptr) << what;
        form.reset();
        ClearLists();
    }
}

TEST_F(ZonariaFormTest, ClickingSelectsAndClearsTheCity) {
    TZonariaForm& f = StartShown();
    const TCity& city = LonelyCity();
    ZonariaOptions().StatusColor = 0x00FF00;  // green city area, to see the repaint

    QTest::mouseClick(f.MapImage, Qt::LeftButton, {}, QPoint(city.X + 2, city.Y));
    EXPECT_EQ(f.SelectedCity, &city);
    Settle();
    EXPECT_EQ(StripPixel(300, 0), QColor(0, 255, 0));

    QTest::mouseClick(f.MapImage, Qt::LeftButton, {}, EmptyMapPoint());
    EXPECT_EQ(f.SelectedCity, nullptr);
    EXPECT_EQ(CityStripText(f.SelectedCity, "DD xx", UtcNow()), kPromptText);
}

TEST_F(ZonariaFormTest, TheStripKeepsTheWholeTimeAtEveryOfferedFontSize) {
    TZonariaForm& f = StartShown();
    // The longest name, on a Wednesday in September at a two-digit hour: the widest long date.
    const TCity* longest = CityList.front().get();
    for (const auto& c : CityList)
        if (c->Name.size() > longest->Name.size()) longest = c.get();
    const TDateTime at = EncodeDateTime(2026, 9, 30, 10, 0, 0);
    for (const TCity* city : {longest, static_cast<const TCity*>(nullptr)})  // and the prompt
    for (const uint32_t velkaro : {8u, 14u})
        for (const std::string& size : FontSizeItems()) {
            f.SelectedCity = city;
            ZonariaOptions().MVTFontSize = velkaro;
            ZonariaOptions().StatusFontSize = uint32_t(std::stoi(size));
            ZonariaOptions().StatusFontStyle = fsBold;
            f.LayoutStatusStrip();
            Settle();
            const TZonariaForm::TStripBox box = f.StripBoxes(at).City;
            // Every line whole within the box, none wrapped below it.
            const QRect need = QFontMetrics(box.Font).boundingRect(box.Rect, kStripTextFlags, box.Text);
            EXPECT_TRUE(box.Rect.contains(need)) << size << " points beside " << velkaro << ": "
                                                 << box.Text.toStdString() << " needs " << need.width() << "x"
                                                 << need.height() << " in " << box.Rect.width() << "x"
                                                 << box.Rect.height();
        }
}

TEST_F(ZonariaFormTest, TickRepaintsOnlyTheStripBoxesThatChanged) {
    TZonariaForm& f = StartShown();
    ZonariaOptions().MVTFormat = 3;  // minutes only: the Velkaro box changes once a minute
    f.TimerTimer();
    Settle();
    QRegion painted;
    const auto paint = f.MapImage->OnPaint;
    f.MapImage->OnPaint = [&](QPaintEvent* e) {
        painted += e->region();
        paint(e);
    };
    const auto boxes = [&] { return f.StripBoxes(UtcNow()); };
    struct Case {
        const char* what;
        std::function<void()> change;
        bool velkaro, city;  // the boxes that must be repainted
    } cases[] = {
        {"nothing", [] {}, false, false},
        {"Velkaro font colour", [] { ZonariaOptions().MVTFontColor = 0x00FF00; }, true, false},
        {"city box colour", [] { ZonariaOptions().StatusColor = 0x0000FF; }, false, true},
        {"selected city", [&] { f.SelectedCity = &LonelyCity(); }, false, true},
    };
    for (const Case& c : cases) {
        const QString before = boxes().Velkaro.Text;
        c.change();
        painted = QRegion();
        f.TimerTimer();
        Settle();
        const auto now = boxes();
        EXPECT_TRUE((painted - QRegion(now.Velkaro.Rect) - now.City.Rect).isEmpty())
            << c.what << ": the map, the logo or more was repainted";
        // A minute that turned meanwhile repaints the Velkaro box for its own reason.
        if (now.Velkaro.Text == before) {
            EXPECT_EQ((QRegion(now.Velkaro.Rect) - painted).isEmpty(), c.velkaro) << c.what;
        }
        EXPECT_EQ((QRegion(now.City.Rect) - painted).isEmpty(), c.city) << c.what;
    }
    // What was repainted is what the options say: a red city box.
    EXPECT_EQ(f.BackBuffer.pixelColor(300, f.MapImage->height() - 1), QColor(255, 0, 0));
}

TEST_F(ZonariaFormTest, BoxColourNoneIsTheWindowColourAndClearsEveryTick) {
    TZonariaForm& f = StartShown();
    const QColor window = f.MapImage->palette().color(QPalette::Window);
    ASSERT_NE(window, QColor(Qt::black));
    // A corner of each box that no text reaches: the Velkaro box, then the city box.
    for (const auto& [box, x] : {std::pair{&TZonariaOptions::MVTColor, 528}, {&TZonariaOptions::StatusColor, 300}}) {
        ZonariaOptions().*box = 0;  // black first, so that a box left uncleared shows
        EXPECT_EQ(StripPixel(x, 0), QColor(Qt::black));
        ZonariaOptions().*box = clNone;
        EXPECT_EQ(StripPixel(x, 0), window) << x;
    }
}

TEST_F(ZonariaFormTest, MinimisingGoesToTheNotificationAreaAndShowComesBack) {
    TZonariaForm& f = StartShown();
    f.TrayAvailable = [] { return true; };
    ZonariaOptions().MVTFormat = 3;
    f.TimerTimer();
    EXPECT_EQ(f.TrayIcon->Hint(), "");  // no icon, no tooltip to keep
    f.showMinimized();
    Settle();
    EXPECT_TRUE(f.TrayIcon->Enabled());
    EXPECT_FALSE(f.isVisible());
    // The icon comes with its tooltip: "@1234 d123", four blanks, the local time.
    const std::string hint = f.TrayIcon->Hint();
    ASSERT_GE(hint.size(), 14u);
    EXPECT_EQ(hint[0], '@');
    EXPECT_EQ(hint.substr(10, 4), "    ") << hint;
    // The window system reports the hidden window as no longer minimised (it withdrew it): no
    // restore, so the icon, the only way back, stays; and the state saved is still minimised.
    f.setWindowState(Qt::WindowNoState);
    Settle();
    EXPECT_TRUE(f.TrayIcon->Enabled());
    EXPECT_FALSE(f.isVisible());
    f.FormStorage->SavePlacement();
    EXPECT_EQ(f.OptionsIni->ReadInteger("\\ZonariaForm", "State", -1), 1);

    f.Show1->trigger();
    Settle();
    EXPECT_FALSE(f.TrayIcon->Enabled());
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.isMinimized());

    // A double click on the icon runs "&Show" as well.
    f.showMinimized();
    Settle();
    ASSERT_TRUE(f.TrayIcon->Enabled());
    f.TrayIcon->Mouse(TTrayMouse::tmLeftDblClick, 0, 0);
    Settle();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.TrayIcon->Enabled());
}

TEST_F(ZonariaFormTest, WhenTheNotificationAreaGoesTheWindowReturnsToTheTaskBar) {
    TZonariaForm& f = StartShown();
    bool area = true;
    f.TrayAvailable = [&area] { return area; };
    f.showMinimized();
    Settle();
    ASSERT_FALSE(f.isVisible());
    area = false;  // the panel ended
    f.TimerTimer();
    Settle();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.isMinimized());
    area = true;  // it is back: the icon is put there again and stays while minimised
    f.TimerTimer();
    EXPECT_TRUE(f.TrayIcon->IconAdded());
    f.showNormal();
    Settle();
    EXPECT_FALSE(f.TrayIcon->Enabled());  // restored from the task bar: no icon
}

// What the placement keeper stores is its own tests' business; here, the main window's part:
// closed while minimised without a notification area, the next start is minimised, and the
// bounds kept are the normal ones, not the icon's.
TEST_F(ZonariaFormTest, PlacementIsSavedAndRestored) {
    {
        TZonariaForm& f = StartShown();
        f.move(123, 45);
        Settle();
        f.TrayAvailable = [] { return false; };
        f.showMinimized();
        Settle();
        EXPECT_FALSE(f.TrayIcon->Enabled());
        EXPECT_TRUE(f.isVisible());  // still reachable on the task bar
        form.reset();
    }
    TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "State", -1), 1);
    EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Left", -1), 123);
    EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Top", -1), 45);
    TZonariaForm& f = Start();
    f.TrayAvailable = [] { return false; };
    f.show();
    Settle();
    EXPECT_TRUE(f.isMinimized());
}

TEST_F(ZonariaFormTest, ChosenColoursAndStylesComeBackAfterARestart) {
    {
        Start();
        ZonariaOptions().MVTColor = 0x123456;
        ZonariaOptions().MVTFontColor = 0x654321;
        ZonariaOptions().StatusFontColor = 0x111111;
        ZonariaOptions().StatusColor = 0x222222;
        ZonariaOptions().StatusFontStyle = fsBold | fsItalic;
        form.reset();
    }
    ZonariaOptions() = TZonariaOptions();
    Start();
    EXPECT_EQ(ZonariaOptions().MVTColor, 0x123456u);
    EXPECT_EQ(ZonariaOptions().MVTFontColor, 0x654321u);
    EXPECT_EQ(ZonariaOptions().StatusFontColor, 0x111111u);
    EXPECT_EQ(ZonariaOptions().StatusColor, 0x222222u);
    EXPECT_EQ(ZonariaOptions().StatusFontStyle, fsBold | fsItalic);
}

TEST_F(ZonariaFormTest, ButtonsAndMenuItemsOpenTheirDialogsModally) {
    TZonariaForm& f = StartShown();
    auto click = [](QPushButton* b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
    auto trigger = [](QAction* a) { return [a] { a->trigger(); }; };
    // The synchronizer is only closed: no fetch from the default server, the clock never set.
    const std::pair<std::function<void()>, QString> cases[] = {
        {click(f.btnTimeConv), "Time Converter"},         {trigger(f.miTimeConverter), "Time Converter"},
        {click(f.btnTimeCalc), "Time Calculator"},        {trigger(f.miTimeCalculator), "Time Calculator"},
        {click(f.btnTimeSync), "Time Synchronizer"},      {trigger(f.miTimeSynchronizer), "Time Synchronizer"},
        {click(f.btnAbout), "About"},
    };
    for (const auto& [open, title] : cases) {
        QString seen;
        EXPECT_TRUE(WithModal(open, [&](QDialog& d) {
            seen = d.windowTitle();
            if (auto* cities = d.findChild<QComboBox*>("cityCombo1")) {
                EXPECT_EQ(cities->count(), int(CityList.size()));
            }
        })) << title.toStdString();
        EXPECT_EQ(seen, title);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// The tool buttons stay out of the Tab order; Alt and a letter of their own is their keyboard path.
TEST_F(ZonariaFormTest, ToolButtonsHaveMnemonicsOfTheirOwnOutsideTheTabOrder) {
    TZonariaForm& f = Start();
    QSet<QKeySequence> seen;
    for (QPushButton* b : {f.btnTimeConv, f.btnTimeSync, f.btnTimeCalc, f.btnConfigure, f.btnAbout, f.btnPlanner}) {
        const QKeySequence key = QKeySequence::mnemonic(b->text());
        EXPECT_FALSE(key.isEmpty()) << b->objectName().toStdString();
        EXPECT_TRUE(!seen.contains(key)) << b->objectName().toStdString();
        seen.insert(key);
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();
    }
}

// Which button stores what is the dialog's tests' business; here, the strip follows at once.
TEST_F(ZonariaFormTest, ConfigureOkAndApplyReachTheStrip) {
    TZonariaForm& f = StartShown();
    auto configure = [&] { QTest::mouseClick(f.btnConfigure, Qt::LeftButton); };
    auto press = [](QDialog& d, const char* button) {
        QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
    };
    const int before = f.height();
    EXPECT_TRUE(WithModal(configure, [&](QDialog& d) {
        d.findChild<QComboBox*>("TZTFontSizeCombo")->setCurrentIndex(6);  // 12
        press(d, "btnOK");
    }));
    EXPECT_EQ(ZonariaOptions().StatusFontSize, 12u);
    const int afterOk = f.height();
    EXPECT_GT(afterOk, before);

    int whileOpen = 0;
    EXPECT_TRUE(WithModal(configure, [&](QDialog& d) {
        d.findChild<QComboBox*>("MVTFontSizeCombo")->setCurrentIndex(7);  // 14
        press(d, "ApplyBtn");
        EXPECT_TRUE(d.isVisible());
        whileOpen = f.height();
        press(d, "btnCancel");  // what Apply stored stays
    }));
    EXPECT_GT(whileOpen, afterOk);
    EXPECT_EQ(ZonariaOptions().MVTFontSize, 14u);
    EXPECT_EQ(f.height(), whileOpen);
}

TEST_F(ZonariaFormTest, HyperlinkOpensTheHomePage) {
    const QUrl home(QString::fromUtf8(kHomePageUrl));
    ASSERT_TRUE(home.isValid()) << kHomePageUrl;
    EXPECT_NE(home.host(), "velkaro.example.org");
    // Without an address given at build time: this tree's README, which must be there.
    if (home.isLocalFile()) {
        EXPECT_TRUE(fs::is_regular_file(home.toLocalFile().toStdString())) << kHomePageUrl;
    }
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(home.scheme(), &catcher, "Open");
    TZonariaForm& f = StartShown();
    QTest::mouseClick(f.urlLabel, Qt::LeftButton, {}, QPoint(60, 15));
    QDesktopServices::unsetUrlHandler(home.scheme());
    EXPECT_EQ(catcher.Opened, home);
}

// A preview moves the strip and the hint but never the notification icon's tooltip, says
// so in its marker and in the slider's spoken value, and Escape brings the live clock back.
TEST_F(ZonariaFormTest, ScrubbingMovesTheDisplaysButNotTheTrayTooltip) {
    TZonariaForm& f = StartShown();
    const TCity& city = LonelyCity();
    f.MapImageClick(city.X + 2, city.Y);
    f.MapImageMouseMove(city.X + 2, city.Y);
    f.MapImage->setFocus();
    const TDateTime before = UtcNow();
    QTest::keyClick(f.MapImage, Qt::Key_PageUp);
    ASSERT_FALSE(f.ShownTime.IsLive());
    const TDateTime shown = f.ShownMoment();
    EXPECT_NEAR(shown - before, 1.0, 1.0 / 96);  // a day on, from the quarter hour
    const TZonariaOptions& o = ZonariaOptions();
    const std::string dayOn = CityTimeText(city, o.HintTimeFormat, shown);
    EXPECT_EQ(f.HintWindow->Text().toStdString(), city.Name + ": " + dayOn);
    EXPECT_TRUE(CityBoxAccessible(&f)->text(QAccessible::Name).endsWith(QString::fromStdString(CityTimeText(city, o.StatusTimeFormat, shown))));
    EXPECT_TRUE(f.PreviewMarker.startsWith("Preview: "));
    EXPECT_TRUE(f.PreviewMarker.endsWith(QString::fromStdString(" in " + city.Name)));
    f.MapImage->repaint();
    EXPECT_EQ(f.BackBuffer.pixelColor(2, 2), kPreviewColor);
    EXPECT_TRUE(f.Scrubber->btnNow->isEnabled());
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(f.Scrubber->Slider);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Value), f.PreviewMarker.mid(9));
    // The seconds stop while previewing; the tooltip keeps the clock's own time.
    f.TimerTimer();
    EXPECT_EQ(f.ShownMoment(), shown);
    f.UpdateTrayHint();
    EXPECT_EQ(f.TrayIcon->Hint(), TrayHintText(o.MVTFormat, UtcNow(), o.StatusTimeFormat, LocalNow()));

    // Ctrl and the wheel over the map: a quarter hour a notch; the wheel alone does nothing.
    const QPointF at(10, 10);
    for (const auto& [mods, moved] : {std::pair{Qt::NoModifier, 0.0}, {Qt::ControlModifier, -1.0 / 96}}) {
        const TDateTime was = f.ShownMoment();
        QWheelEvent wheel(at, f.MapImage->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.MapImage, &wheel);
        EXPECT_NEAR(f.ShownMoment() - was, moved, 1e-6);
    }

    QTest::keyClick(f.MapImage, Qt::Key_Escape);
    EXPECT_TRUE(f.ShownTime.IsLive());
    EXPECT_EQ(f.SelectedCity, &city);  // the first Escape only ends the preview
    EXPECT_EQ(f.Scrubber->Slider->value(), 0);
    EXPECT_FALSE(f.Scrubber->btnNow->isEnabled());
    EXPECT_TRUE(f.PreviewMarker.isEmpty());
    f.MapImage->repaint();
    EXPECT_NE(f.BackBuffer.pixelColor(2, 2), kPreviewColor);
    QTest::keyClick(f.MapImage, Qt::Key_Escape);
    EXPECT_EQ(f.SelectedCity, nullptr);
}

int IndexOfCity(const char* name) {
    for (int i = 0; i < int(CityList.size()); ++i)
        if (CityList[i]->Name == name) return i;
    return -1;
}

// The window shown and active, with the screen reader's announcements recorded.
class MapKeyboardForm : public ZonariaFormTest {
protected:
    void SetUp() override {
        ZonariaFormTest::SetUp();
        StartShown().activateWindow();
        map = form->MapImage;
        SetAnnouncementObserver([this](QAccessible::Event e, QAccessibleInterface* i) { events.emplace_back(e, i); });
    }
    void TearDown() override {
        SetAnnouncementObserver(nullptr);
        ZonariaFormTest::TearDown();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(map, key, mods); }
    void Type(const char* text) {
        for (const char* p = text; *p; ++p) QTest::keyClick(map, *p);
    }
    int Focused() const { return form->MapFocus->FocusIndex(); }
    int Count(QAccessible::Event type) const {
        return int(std::count_if(events.begin(), events.end(), [&](const auto& e) { return e.first == type; }));
    }
    QString CityBoxText() const { return CityBoxAccessible(form.get())->text(QAccessible::Name); }

    TMapPanel* map = nullptr;
    std::vector<std::pair<QAccessible::Event, QAccessibleInterface*>> events;
};

TEST_F(MapKeyboardForm, TabReachesTheMapWhichShowsTheRingAndTheHintOfTheFirstCity) {
    map->clearFocus();
    map->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(map->hasFocus());
    ASSERT_EQ(Focused(), 0);
    EXPECT_EQ(form->HoverCity, CityList[0].get());
    EXPECT_TRUE(form->HintWindow->isVisible());
    EXPECT_TRUE(form->HintWindow->Text().startsWith(QString::fromLatin1(CityList[0]->Name) + ": "));

    // The ring is drawn over the picture on the panel, never into the off-screen image.
    const TCity& c = *CityList[0];
    const QImage shown = map->grab().toImage();
    const QPoint onRing(c.X + 2 + 6, c.Y);
    EXPECT_NE(shown.pixelColor(onRing), form->BackBuffer.pixelColor(onRing));
    map->clearFocus();
    EXPECT_FALSE(form->HintWindow->isVisible());
    EXPECT_EQ(map->grab().toImage().pixelColor(onRing), form->BackBuffer.pixelColor(onRing));
}

TEST_F(MapKeyboardForm, TabStartsAtTheSelectedCity) {
    const int paris = IndexOfCity("Paris");
    form->SelectedCity = CityList[paris].get();
    map->clearFocus();
    map->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Focused(), paris);
}

TEST_F(MapKeyboardForm, ArrowsHomeAndEndMoveTheFocusAndItsHint) {
    map->setFocus(Qt::TabFocusReason);
    const int start = IndexOfCity("Paris");
    ASSERT_GE(start, 0);
    form->MapFocus->SetFocusIndex(start);
    // Which city an arrow reaches is the unit test's business; here the focus and its hint move.
    Key(Qt::Key_Right);
    EXPECT_NE(Focused(), start);
    EXPECT_EQ(form->HoverCity, CityList[Focused()].get());
    Key(Qt::Key_End);
    EXPECT_EQ(Focused(), int(CityList.size()) - 1);
    Key(Qt::Key_Home);
    EXPECT_EQ(Focused(), 0);
    EXPECT_EQ(form->SelectedCity, nullptr) << "moving never selects";
    EXPECT_GE(Count(QAccessible::Focus), 3);
}

TEST_F(MapKeyboardForm, TypingEnterAndEscapeSelectAndClearAnnouncingOnlyTheChange) {
    ASSERT_TRUE(map->hasFocus()) << "the map is the window's only focus stop";
    Type("sao");
    ASSERT_EQ(Focused(), IndexOfCity("Sao Paulo"));
    events.clear();
    Key(Qt::Key_Return);
    ASSERT_EQ(form->SelectedCity, CityList[IndexOfCity("Sao Paulo")].get());
    EXPECT_TRUE(CityBoxText().startsWith("Sao Paulo time: "));
    EXPECT_EQ(Count(QAccessible::NameChanged), 1);
    EXPECT_EQ(Count(QAccessible::Selection), 1);

    // The clock ticks without a word to the screen reader.
    events.clear();
    form->TimerTimer();
    form->TimerTimer();
    EXPECT_TRUE(events.empty());

    QTest::qWait(int(kTypeAheadMs) + 50);
    Type("san ");  // the blank belongs to "San Jose" while typing
    EXPECT_EQ(QString::fromLatin1(form->MapFocus->FocusCity()->Name), "San Jose");
    EXPECT_EQ(form->SelectedCity, CityList[IndexOfCity("Sao Paulo")].get());
    QTest::qWait(int(kTypeAheadMs) + 50);
    Key(Qt::Key_Space);  // after a pause it selects
    EXPECT_EQ(QString::fromLatin1(form->SelectedCity->Name), "San Jose");

    events.clear();
    Key(Qt::Key_Escape);
    EXPECT_EQ(form->SelectedCity, nullptr);
    EXPECT_EQ(CityBoxText(), kPromptText);
    EXPECT_EQ(Count(QAccessible::NameChanged), 1);
}

TEST_F(MapKeyboardForm, ThePointerTakesOverTheHint) {
    map->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_End);
    ASSERT_TRUE(form->HintWindow->isVisible());
    // The pointer moves onto another city: its hint, as before.
    const TCity& other = *CityList[0];
    QTest::mouseMove(map, QPoint(other.X + 2, other.Y));
    EXPECT_EQ(form->HoverCity, &other);
    // Leaving the map's focus now leaves the pointer's hint alone.
    map->clearFocus();
    EXPECT_TRUE(form->HintWindow->isVisible());
    EXPECT_EQ(form->HoverCity, &other);
}

TEST_F(MapKeyboardForm, FindCityMatchesPartsOfNamesAndSelectsAsAClickWould) {
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    TFindCityPopup* popup = form->MapFocus->FindCityPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClicks(popup->CityEdit, "PAUL");
    // The map's city comes first, whatever the towns of the index add below it.
    ASSERT_GE(popup->ResultList->count(), 1);
    EXPECT_TRUE(popup->ResultList->item(0)->text().startsWith("Sao Paulo"));
    QTest::keyClick(popup->CityEdit, Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(form->SelectedCity, CityList[IndexOfCity("Sao Paulo")].get());
    EXPECT_EQ(Focused(), IndexOfCity("Sao Paulo"));

    // Typed with an accent and no completion list: the edit's own Return finds it.
    form->MapFocus->FindCity();
    popup->CityEdit->setText(QStringLiteral("BOGOT\u00C1"));
    EXPECT_TRUE(popup->ChooseTyped());
    EXPECT_EQ(QString::fromLatin1(form->SelectedCity->Name), "Bogota");
    form->MapFocus->FindCity();
    popup->CityEdit->setText(QStringLiteral("Atlantis"));
    EXPECT_FALSE(popup->ChooseTyped());
    EXPECT_TRUE(popup->isVisible()) << "nothing found: the window stays with the text";
    EXPECT_EQ(QString::fromLatin1(form->SelectedCity->Name), "Bogota");
    popup->reject();

    // The notification-area menu has the same command.
    form->miFindCity->trigger();
    EXPECT_TRUE(popup->isVisible());
}

// A town of the index becomes one of the user's places: a city record after the shipped ones,
// with its own dot, its label in the tray menu, and still there after a restart.
TEST_F(MapKeyboardForm, FindCityAddsATownThatSurvivesARestart) {
    const size_t shipped = form->ShippedCities;
    ASSERT_EQ(CityList.size(), shipped);
    form->MapFocus->FindCity();
    TFindCityPopup* popup = form->MapFocus->FindCityPopup();
    QTest::keyClicks(popup->CityEdit, "koln");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->PlaceIndex() != nullptr; }, 20000));
    ASSERT_GE(popup->ResultList->count(), 1);
    EXPECT_EQ(popup->ResultList->item(0)->text(), QStringLiteral("K\u00F6ln, North Rhine-Westphalia, Germany"));
    ASSERT_TRUE(popup->AddButton->isEnabled());
    popup->AddButton->click();
    ASSERT_EQ(CityList.size(), shipped + 1);
    EXPECT_EQ(form->SelectedCity, CityList[shipped].get());
    EXPECT_EQ(Focused(), int(shipped));
    EXPECT_TRUE(CityBoxText().startsWith("K\u00F6ln time: "));
    // The dot of its own: gold where the picture has none.
    const TCity& koln = *CityList[shipped];
    const QImage shot = form->MapImage->grab().toImage();
    EXPECT_EQ(shot.pixelColor(koln.X + 2, koln.Y), QColor(255, 204, 0));
    // A screen reader finds it among the cities, by its own name.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(map);
    ASSERT_EQ(list->childCount(), int(shipped + 1));
    EXPECT_EQ(list->child(int(shipped))->text(QAccessible::Name), QStringLiteral("K\u00F6ln"));
    EXPECT_TRUE(list->child(int(shipped))->text(QAccessible::Description).endsWith(", my place"));
    // Pointing at it shows its hint, like a city.
    QTest::mouseMove(map, QPoint(koln.X + 2, koln.Y));
    EXPECT_EQ(form->HoverCity, &koln);
    // The notification-area menu lists it with its time.
    emit form->miMyPlaces->aboutToShow();
    ASSERT_EQ(form->miMyPlaces->actions().size(), 1);
    EXPECT_TRUE(form->miMyPlaces->actions()[0]->text().startsWith(QStringLiteral("K\u00F6ln\t")));

    // Renamed in Configure's page, then the program starts again.
    TMyPlaces renamed = form->MyPlaces;
    renamed.Rename(0, "Home");
    form->SetMyPlaces(renamed);
    form.reset();
    form = std::make_unique<TZonariaForm>(kDataDir);
    ASSERT_EQ(CityList.size(), shipped + 1);
    EXPECT_EQ(CityList[shipped]->Name, "Home");
    EXPECT_EQ(form->MyPlaces.Items()[0].Name, "K\xC3\xB6ln");
    EXPECT_TRUE(boxes.Messages.empty());
}

TEST_F(MapKeyboardForm, TheMapIsANamedListOfTheCities) {
    QAccessibleInterface* m = QAccessible::queryAccessibleInterface(map);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->role(), QAccessible::List);
    EXPECT_EQ(m->text(QAccessible::Name), "World map");
    EXPECT_TRUE(m->state().focusable);
    ASSERT_EQ(m->childCount(), int(CityList.size()));
    const int paris = IndexOfCity("Paris");
    QAccessibleInterface* c = m->child(paris);
    EXPECT_EQ(m->indexOfChild(c), paris);
    EXPECT_EQ(c->parent(), m);
    EXPECT_EQ(c->role(), QAccessible::ListItem);
    EXPECT_EQ(c->text(QAccessible::Name), "Paris");
    const std::string time = CityTimeText(*CityList[paris], ZonariaOptions().HintTimeFormat, UtcNow());
    EXPECT_EQ(c->text(QAccessible::Description).left(8), QString::fromLatin1(time).left(8));
    EXPECT_EQ(m->childAt(c->rect().center().x(), c->rect().center().y()), c);

    // Its press action selects, as Enter does.
    c->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form->SelectedCity, CityList[paris].get());
    EXPECT_TRUE(c->state().selected);
    EXPECT_TRUE(CityBoxText().startsWith("Paris time: "));
    EXPECT_TRUE(VelkaroBoxAccessible(form.get())->text(QAccessible::Name).startsWith("Velkaro: @"));
}

// Roles a person acts on; each needs a name a screen reader can say.
bool Interactive(QAccessible::Role r) {
    static const std::set<QAccessible::Role> roles = {
        QAccessible::PushButton, QAccessible::CheckBox,  QAccessible::RadioButton, QAccessible::ComboBox,
        QAccessible::EditableText, QAccessible::SpinBox, QAccessible::Slider,    QAccessible::List,
        QAccessible::ListItem,   QAccessible::PageTab,   QAccessible::Link,        QAccessible::ButtonMenu};
    return roles.count(r) > 0;
}

void Walk(QAccessibleInterface* iface, const QString& path, QStringList& unnamed, int& seen) {
    ++seen;
    const QString name = iface->text(QAccessible::Name);
    const QString here = path + "/" + (iface->object() ? iface->object()->objectName() : name);
    if (Interactive(iface->role()) && !iface->state().invisible && name.trimmed().isEmpty())
        unnamed << here + " (role " + QString::number(int(iface->role()), 16) + ")";
    // A combo's drop-down list items are its entries, named by their text already.
    if (iface->role() == QAccessible::ComboBox) return;
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* c = iface->child(i)) Walk(c, here, unnamed, seen);
}

TEST_F(MapKeyboardForm, EveryWindowNamesEveryInteractiveObject) {
    form->MapFocus->FindCity();
    TTimeConvForm conv;
    TTimeCalcForm calc;
    TTimeConfForm conf;
    TAboutForm about;
    TTimeSyncForm sync;
    QWidget* windows[] = {form->MapFocus->FindCityPopup(), form.get(), &conv, &calc, &conf, &about, &sync};
    for (QWidget* w : windows) {
        w->show();
        QStringList unnamed;
        int seen = 0;
        Walk(QAccessible::queryAccessibleInterface(w), w->metaObject()->className(), unnamed, seen);
        EXPECT_GE(seen, 3) << w->metaObject()->className();
        EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join("\n").toStdString();

        // Each label's mnemonic takes the keyboard to the control it names.
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        for (QLabel* label : w->findChildren<QLabel*>()) {
            const qsizetype amp = label->text().indexOf('&');
            if (label->window() != w || !label->buddy() || !label->isVisible() || amp < 0) continue;
            QTest::keyClick(w, label->text().at(amp + 1).toLower().toLatin1(), Qt::AltModifier);
            EXPECT_TRUE(label->buddy()->hasFocus()) << label->text().toStdString();
        }
        if (w != form.get()) w->hide();
    }
}

}  // namespace
}  // namespace velkaro

#include "zonaria_form_test.moc"
