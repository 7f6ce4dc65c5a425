// The keyboard and screen-reader path of the main window: navigation rules on a small made-up
// map, then the real window on the offscreen platform (focus, arrows, type-ahead, Enter,
// Escape, "Find city"), and the accessible tree of every window.
#include "map/map_keyboard.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <set>

#include "map/find_city_popup.h"
#include "map/hint_window.h"
#include "app/map_accessible.h"
#include "app/map_focus.h"
#include "map/map_logic.h"
#include "map/map_panel.h"
#include "app/zonaria_form.h"
#include "settings/options.h"
#include "timemodel/time_format.h"
#include "sync/time_sync_form.h"
#include "tests/app/test_app.h"
#include "tests/settings/temp_config.h"
#include "tools/about_form.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"

namespace velkaro {
namespace {

TCityList MakeCities(std::initializer_list<std::tuple<const char*, int, int>> cities) {
    TCityList list;
    for (const auto& [name, x, y] : cities) {
        auto c = std::make_unique<TCity>(std::string());
        c->Name = name;
        c->X = x;
        c->Y = y;
        list.push_back(std::move(c));
    }
    return list;
}

TEST(MapKeyboard, ArrowsGoToTheNearestCityInTheirCone) {
    // Origin at (100, 100); "Edge" lies exactly 45 degrees off the right arrow, "Outside"
    // just beyond it, "Far" straight right but farther than "Edge".
    const TCityList cities = MakeCities({{"Origin", 100, 100}, {"Edge", 110, 90}, {"Outside", 109, 80},
                                         {"Far", 130, 100}, {"Below", 100, 140}, {"Twin", 100, 140}});
    struct Case {
        int from;
        TMapDirection d;
        int expected;
    } cases[] = {
        {0, TMapDirection::mdRight, 1},  // the edge of the cone counts and is nearest
        {0, TMapDirection::mdUp, 1},     // the same city is also 45 degrees off "up"
        {0, TMapDirection::mdLeft, -1},  // nothing to the left: stay
        {0, TMapDirection::mdDown, 4},   // two cities on one spot: the earlier one
        {2, TMapDirection::mdDown, 1},
        {4, TMapDirection::mdDown, -1},  // the twin on the same spot has no direction
        {3, TMapDirection::mdLeft, 1},
        {-1, TMapDirection::mdLeft, -1},
        {6, TMapDirection::mdLeft, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NearestCityInDirection(cities, c.from, c.d), c.expected) << "from " << c.from << " dir " << int(c.d);
}

TEST(MapKeyboard, TypeAheadFindsPrefixesWithinASecondAndCyclesOnARepeatedLetter) {
    const TCityList cities = MakeCities({{"Shanghai", 0, 0}, {"Sao Paulo", 0, 0}, {"Seoul", 0, 0},
                                         {"Santiago", 0, 0}, {"Tokyo", 0, 0}, {"San Jose", 0, 0},
                                         {"Z\xFCrich", 0, 0}});
    struct Step {
        char ch;
        int64_t at;
        int expected;
    };
    struct Case {
        const char* what;
        int start;
        std::vector<Step> steps;
    } cases[] = {
        {"prefix grows", -1, {{'s', 0, 0}, {'a', 300, 1}, {'n', 600, 3}, {' ', 900, 5}}},
        {"case ignored", -1, {{'S', 0, 0}, {'E', 100, 2}}},
        {"accents ignored", -1, {{'z', 0, 6}, {'u', 100, 6}, {'r', 200, 6}}},
        {"a pause starts over", -1, {{'s', 0, 0}, {'a', 1500, -1}}},
        {"repeated letter steps on and wraps", 3, {{'s', 0, 5}, {'s', 100, 0}, {'s', 200, 1}}},
        {"no match", 0, {{'x', 0, -1}}},
        {"a longer prefix keeps the current city", 1, {{'s', 0, 2}, {'a', 10, 3}}},
    };
    for (const Case& c : cases) {
        TTypeAhead t;
        int current = c.start;
        for (const Step& s : c.steps) {
            const int got = t.Type(cities, current, s.ch, s.at);
            EXPECT_EQ(got, s.expected) << c.what << " at '" << s.ch << "'";
            if (got >= 0) current = got;
        }
    }
}

const std::string kDataDir = std::string(VELKARO_BIN_DIR) + "/";

int IndexOfCity(const char* name) {
    for (int i = 0; i < int(CityList.size()); ++i)
        if (CityList[i]->Name == name) return i;
    return -1;
}

class MapKeyboardForm : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ZonariaOptions() = TZonariaOptions();
        form = std::make_unique<TZonariaForm>(kDataDir);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        map = form->MapImage;
        SetAnnouncementObserver([this](QAccessible::Event e, QAccessibleInterface* i) { events.emplace_back(e, i); });
    }
    void TearDown() override {
        SetAnnouncementObserver(nullptr);
        form.reset();
        ZonariaOptions() = TZonariaOptions();
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

    TTempConfig config;
    TBoxCapture boxes;
    std::unique_ptr<TZonariaForm> form;
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
    EXPECT_EQ(popup->Completer->completionCount(), 1);
    EXPECT_EQ(popup->Completer->currentCompletion(), "Sao Paulo");
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
