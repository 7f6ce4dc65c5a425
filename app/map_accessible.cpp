#include "app/map_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <vector>

#include "app/map_focus.h"
#include "map/map_logic.h"
#include "map/map_panel.h"
#include "app/zonaria_form.h"
#include "settings/options.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {

// Strip texts break their lines for the eye; a reader wants one line.
QString OneLine(const std::string& text) {
    return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String(" "));
}

TZonariaForm* FormOf(QWidget* w) { return w ? qobject_cast<TZonariaForm*>(w->window()) : nullptr; }
// The moment the window shows (a preview, or now).
TDateTime ShownOn(QWidget* w) {
    const TZonariaForm* form = FormOf(w);
    return form ? form->ShownMoment() : UtcNow();
}

int CityCount(TZonariaForm* form) { return form && form->ListsLoaded ? int(CityList.size()) : 0; }

// Virtual children are made once per parent and stay registered until the parent goes.
class TChildCache {
public:
    ~TChildCache() {
        for (QAccessible::Id id : ids_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }
    template <class Make>
    QAccessibleInterface* Get(int i, Make make) {
        if (i < 0) return nullptr;
        if (i >= int(ids_.size())) ids_.resize(i + 1, 0);
        if (!ids_[i]) ids_[i] = QAccessible::registerAccessibleInterface(make());
        return QAccessible::accessibleInterface(ids_[i]);
    }
    int IndexOf(const QAccessibleInterface* child) const {
        for (int i = 0; i < int(ids_.size()); ++i)
            if (ids_[i] && QAccessible::accessibleInterface(ids_[i]) == child) return i;
        return -1;
    }

private:
    std::vector<QAccessible::Id> ids_;
};

class TCityAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TCityAccessible(QWidget* map, int index) : map_(map), index_(index) {}

    bool isValid() const override { return map_ && index_ < CityCount(FormOf(map_)); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return map_ ? map_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(map_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const TCity& c = *CityList[index_];
        if (t == QAccessible::Name) return QString::fromLatin1(c.Name);
        // The hint's time, so that a reader says "Paris, 12/6/2026 10:32:34 PM".
        if (t == QAccessible::Description)
            return OneLine(CityTimeText(c, ZonariaOptions().HintTimeFormat, ShownOn(map_)));
        return {};
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const TCity& c = *CityList[index_];
        const QPoint centre = map_->mapToGlobal(QPoint(c.X + 2, c.Y));
        const int r = int(kPickRadius);
        return QRect(centre.x() - r, centre.y() - r, 2 * r + 1, 2 * r + 1);
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        TZonariaForm* form = FormOf(map_);
        s.focusable = true;
        s.selectable = true;
        s.invisible = !map_->isVisible();
        s.selected = form->SelectedCity == CityList[index_].get();
        s.focused = map_->hasFocus() && form->MapFocus && form->MapFocus->FocusIndex() == index_;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& name) override {
        TZonariaForm* form = FormOf(map_);
        if (!isValid() || !form->MapFocus) return;
        if (name == pressAction()) {
            form->MapFocus->Select(index_);
        } else if (name == setFocusAction()) {
            map_->setFocus(Qt::OtherFocusReason);
            form->MapFocus->SetFocusIndex(index_);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction() ? QStringList{QStringLiteral("Return")} : QStringList{};
    }

private:
    QPointer<QWidget> map_;
    int index_;
};

class TMapAccessible : public QAccessibleWidget {
public:
    explicit TMapAccessible(QWidget* map) : QAccessibleWidget(map, QAccessible::List, QStringLiteral("World map")) {}

    int childCount() const override { return CityCount(FormOf(widget())); }
    QAccessibleInterface* child(int i) const override {
        if (i < 0 || i >= childCount()) return nullptr;
        return cities_.Get(i, [&] { return new TCityAccessible(widget(), i); });
    }
    int indexOfChild(const QAccessibleInterface* c) const override { return cities_.IndexOf(c); }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
        const TCity* c = CityAt(CityList, p.x(), p.y());
        for (int i = 0; c && i < childCount(); ++i)
            if (CityList[i].get() == c) return child(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        TZonariaForm* form = FormOf(widget());
        if (!widget()->hasFocus() || !form || !form->MapFocus) return nullptr;
        return child(form->MapFocus->FocusIndex());
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QStringLiteral("World map");
        if (t == QAccessible::Description)
            return QStringLiteral("Arrow keys move between the cities, Enter shows the city's time below the map");
        return QAccessibleWidget::text(t);
    }

private:
    mutable TChildCache cities_;
};

// The city box and the Velkaro box: painted text, read live.
class TStripBoxAccessible : public QAccessibleInterface {
public:
    TStripBoxAccessible(TZonariaForm* form, bool velkaro) : form_(form), velkaro_(velkaro) {}

    bool isValid() const override { return bool(form_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return form_ ? form_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(form_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (!form_) return {};
        const TZonariaOptions& o = ZonariaOptions();
        if (t == QAccessible::Name) {
            if (velkaro_) return OneLine(VelkaroStripText(o.MVTFormat, form_->ShownMoment()));
            return OneLine(CityStripText(form_->SelectedCity, o.StatusTimeFormat, form_->ShownMoment()));
        }
        if (t == QAccessible::Description)
            return velkaro_ ? QStringLiteral("Velkaro time") : QStringLiteral("Time of the selected city");
        return {};
    }
    QRect rect() const override {
        if (!form_) return {};
        const TStripLayout l = LayoutStrip(form_->MapImage->width(), form_->MapImage->height(), form_->VelkaroTextWidth());
        const TStripRect& r = velkaro_ ? l.Velkaro : l.City;
        return QRect(form_->MapImage->mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Right - r.Left, r.Bottom - r.Top));
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !form_ || !form_->isVisible();
        return s;
    }

private:
    QPointer<TZonariaForm> form_;
    bool velkaro_;
};

// The main window: its widgets, then the strip's two boxes.
class TFormAccessible : public QAccessibleWidget {
public:
    explicit TFormAccessible(QWidget* form) : QAccessibleWidget(form, QAccessible::Window) {}

    int childCount() const override { return QAccessibleWidget::childCount() + 2; }
    QAccessibleInterface* child(int i) const override {
        const int own = QAccessibleWidget::childCount();
        if (i < own) return QAccessibleWidget::child(i);
        if (i >= own + 2) return nullptr;
        auto* form = static_cast<TZonariaForm*>(widget());
        return boxes_.Get(i - own, [&] { return new TStripBoxAccessible(form, i - own == 1); });
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        const int box = boxes_.IndexOf(c);
        return box >= 0 ? QAccessibleWidget::childCount() + box : QAccessibleWidget::indexOfChild(c);
    }

private:
    mutable TChildCache boxes_;
};

TAnnouncementObserver& Observer() {
    static TAnnouncementObserver observer;
    return observer;
}

void Announce(QAccessibleInterface* iface, QAccessible::Event type) {
    if (Observer()) Observer()(type, iface);
    QAccessibleEvent event(iface, type);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w) return nullptr;
    if (className == QLatin1String("velkaro::TMapPanel") && FormOf(w)) return new TMapAccessible(w);
    if (className == QLatin1String("velkaro::TZonariaForm")) return new TFormAccessible(w);
    return nullptr;
}

}  // namespace

void InstallMapAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* CityAccessible(QWidget* map, int index) {
    QAccessibleInterface* m = QAccessible::queryAccessibleInterface(map);
    return m ? m->child(index) : nullptr;
}

QAccessibleInterface* CityBoxAccessible(TZonariaForm* form) {
    QAccessibleInterface* f = QAccessible::queryAccessibleInterface(form);
    return f ? f->child(f->childCount() - 2) : nullptr;
}

QAccessibleInterface* VelkaroBoxAccessible(TZonariaForm* form) {
    QAccessibleInterface* f = QAccessible::queryAccessibleInterface(form);
    return f ? f->child(f->childCount() - 1) : nullptr;
}

void AnnounceCityFocus(QWidget* map, int index) {
    if (QAccessibleInterface* c = CityAccessible(map, index)) Announce(c, QAccessible::Focus);
}

void AnnounceSelection(TZonariaForm* form, int index) {
    if (QAccessibleInterface* c = CityAccessible(form->MapImage, index)) Announce(c, QAccessible::Selection);
    if (QAccessibleInterface* box = CityBoxAccessible(form)) Announce(box, QAccessible::NameChanged);
}

void SetAnnouncementObserver(TAnnouncementObserver observer) { Observer() = std::move(observer); }

}  // namespace velkaro
