// Every caption and list entry of every window fits its control. The program is registered
// twice, at 96 and at 144 dpi (see CMakeLists.txt), on the offscreen platform with the DejaVu
// fonts that fontconfig gives it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <sstream>

#include "app/zonaria_form.h"
#include "settings/options.h"
#include "sync/time_sync_form.h"
#include "tests/app/test_app.h"
#include "tests/settings/temp_config.h"
#include "timemodel/date_time.h"
#include "tools/about_form.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"

namespace velkaro {
namespace {

// The widest moment for the pattern lists: a Wednesday in September, two-digit day and hour.
const TDateTime kWidest = EncodeDateTime(2026, 9, 30, 22, 58, 58);

QString Plain(QString text) { return text.remove(QLatin1Char('&')); }

// One line per text wider than the room its control gives it.
std::string Clipped(QWidget& top) {
    std::ostringstream out;
    auto report = [&out](const QWidget* w, const QString& text, int need, int have) {
        if (need > have)
            out << w->objectName().toStdString() << " \"" << text.toStdString() << "\": needs " << need
                << ", has " << have << "\n";
    };
    for (QLabel* l : top.findChildren<QLabel*>()) {
        if (l->text().isEmpty() || l->wordWrap() || Qt::mightBeRichText(l->text())) continue;
        const QFontMetrics fm(l->font());
        const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        // A caption left of a control keeps a gap of kGap to it, so that it does not touch it.
        constexpr int kGap = 3;
        int toNext = INT_MAX;
        if (l->alignment() & Qt::AlignLeft || !(l->alignment() & (Qt::AlignRight | Qt::AlignHCenter))) {
            for (QWidget* s : l->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QRect g = s->geometry();
                if (s == l || g.left() <= l->x() || g.top() >= l->geometry().bottom() || g.bottom() <= l->y()) continue;
                toNext = std::min(toNext, g.left() - l->x() - room.left() - kGap);
            }
        }
        for (const QString& line : l->text().split(QLatin1Char('\n')))
            report(l, line, fm.horizontalAdvance(Plain(line)), std::min(room.width(), toNext));
    }
    for (QAbstractButton* b : top.findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || b->inherits("QTabBar")) continue;
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
            report(b, b->text(), b->sizeHint().width(), b->width());
        } else if (qobject_cast<QPushButton*>(b)) {
            // The label is drawn inside the frame and the style's button margin.
            QStyleOptionButton option;
            option.initFrom(b);
            const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
            report(b, b->text(), QFontMetrics(b->font()).horizontalAdvance(Plain(b->text())), room.width());
        }
    }
    for (QGroupBox* g : top.findChildren<QGroupBox*>()) {
        QStyleOptionGroupBox option;
        option.initFrom(g);
        option.text = g->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
        report(g, g->title(), label.right() + 1, g->width());
    }
    // A result field shows its first and its last character at once (the text may be shortened).
    for (QLineEdit* e : top.findChildren<QLineEdit*>()) {
        if (!e->isReadOnly() || e->text().isEmpty()) continue;
        e->grab();  // the scrolling is worked out when it paints
        const QRect r = e->contentsRect();
        const int first = e->cursorPositionAt(QPoint(r.left() + 1, r.center().y()));
        const int last = e->cursorPositionAt(QPoint(r.right() - 1, r.center().y()));
        if (first != 0 || last != e->text().size())
            out << e->objectName().toStdString() << " \"" << e->text().toStdString() << "\": shows " << first
                << " to " << last << "\n";
    }
    for (QComboBox* c : top.findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(c);
        option.editable = c->isEditable();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c);
        const QFontMetrics fm(c->font());
        // The widest entry stands for the list.
        int widest = -1, need = 0;
        for (int i = 0; i < c->count(); ++i) {
            const int icon = c->itemIcon(i).isNull() ? 0 : c->iconSize().width() + 4;
            const int w = icon + fm.horizontalAdvance(c->itemText(i));
            if (w > need) need = w, widest = i;
        }
        if (widest >= 0) report(c, c->itemText(widest), need, field.width());
    }
    return out.str();
}

class TextFitTest : public ::testing::Test {
protected:
    // The application comes from the test program's main.
    void SetUp() override { ZonariaOptions() = TZonariaOptions(); }
    void TearDown() override { ZonariaOptions() = TZonariaOptions(); }
    TTempConfig config;
    TBoxCapture boxes;
};

TEST_F(TextFitTest, EveryDialogsTextsFitTheirControls) {
    // A main window first: the converter and the calculator list its cities.
    TZonariaForm main(std::string(VELKARO_BIN_DIR) + "/");
    ASSERT_TRUE(main.ListsLoaded);
    // The configuration's pattern lists also carry a format of the user's own in front.
    ZonariaOptions().HintTimeFormat = "ww, dd mmmm, yy h:MM:SS TT";
    const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> windows[] = {
        {"main window", [] { return nullptr; }},
        {"configuration", [] { return std::make_unique<TTimeConfForm>(kWidest); }},
        {"converter", [] { return std::make_unique<TTimeConvForm>(kWidest, kWidest); }},
        {"calculator", [] { return std::make_unique<TTimeCalcForm>(kWidest); }},
        {"synchronizer", [] { return std::make_unique<TTimeSyncForm>(); }},
        {"about", [] { return std::make_unique<TAboutForm>(); }},
    };
    for (const auto& [name, make] : windows) {
        std::unique_ptr<QWidget> window = make();
        QWidget& w = window ? *window : main;
        w.show();
        // Every page of a page control is looked at, so each is laid out once.
        for (QTabWidget* pages : w.findChildren<QTabWidget*>())
            for (int i = 0; i < pages->count(); ++i) pages->setCurrentIndex(i);
        EXPECT_EQ(Clipped(w), "") << name;
        w.hide();
    }
}

}  // namespace
}  // namespace velkaro
