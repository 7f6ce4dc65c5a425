#include "app/map_focus.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>

#include "map/find_city_popup.h"
#include "map/hint_window.h"
#include "app/map_accessible.h"
#include "map/map_panel.h"
#include "app/zonaria_form.h"

namespace velkaro {

namespace {

// The ring around a focused city's dot: far enough out to leave the dot visible.
constexpr int kRingRadius = 6;

int IndexOf(const TCity* city) {
    for (int i = 0; i < int(CityList.size()); ++i)
        if (CityList[i].get() == city) return i;
    return -1;
}

}  // namespace

TMapFocus::TMapFocus(TZonariaForm* form) : QObject(form), form_(form) {
    elapsed_.start();
    Clock = [this] { return int64_t(elapsed_.elapsed()); };
    form_->MapImage->setFocusPolicy(Qt::StrongFocus);
    form_->MapImage->installEventFilter(this);
    auto* find = new QShortcut(QKeySequence::Find, form_);
    connect(find, &QShortcut::activated, this, &TMapFocus::FindCity);
}

TMapFocus::~TMapFocus() { delete popup_; }

const TCity* TMapFocus::FocusCity() const {
    return focus_ >= 0 && focus_ < int(CityList.size()) ? CityList[focus_].get() : nullptr;
}

QRect TMapFocus::RingRect(int i) const {
    if (i < 0 || i >= int(CityList.size())) return {};
    const TCity& c = *CityList[i];
    const int r = kRingRadius + 2;
    return QRect(c.X + 2 - r, c.Y - r, 2 * r + 1, 2 * r + 1);
}

void TMapFocus::SetFocusIndex(int i) {
    if (i < 0 || i >= int(CityList.size())) return;
    if (i != focus_) {
        form_->MapImage->update(RingRect(focus_));
        focus_ = i;
        form_->MapImage->update(RingRect(focus_));
    }
    if (form_->MapImage->hasFocus()) {
        ShowHint();
        AnnounceCityFocus(form_->MapImage, focus_);
    }
}

void TMapFocus::ShowHint() {
    const TCity* c = FocusCity();
    if (!c) return;
    // As if the pointer stood on the city's pick point: same hint, same placement.
    if (form_->HoverCity == c) form_->HintWindow->show();
    else form_->MapImageMouseMove(c->X + 2, c->Y);
    keyboardHint_ = true;
}

void TMapFocus::HideKeyboardHint() {
    if (!keyboardHint_) return;
    keyboardHint_ = false;
    if (form_->HoverCity && form_->HoverCity == FocusCity()) form_->ForgetCityHint();
}

void TMapFocus::Select(int i) {
    const TCity* was = form_->SelectedCity;
    // By its position in the list, not its point: a place of one's own may share its point
    // with a city.
    form_->SelectedCity = i >= 0 && i < int(CityList.size()) ? CityList[i].get() : nullptr;
    form_->InvalidateStatusStrip();
    if (form_->SelectedCity != was) SelectionChanged();
}

void TMapFocus::SelectionChanged() {
    AnnounceSelection(form_, IndexOf(form_->SelectedCity));
    // The preview marker names the selected city; its same-time regions light up.
    form_->ShowScrubberState();
    form_->RefreshSameTime();
}

int TMapFocus::StartIndex() const {
    const int selected = IndexOf(form_->SelectedCity);
    return selected >= 0 ? selected : (CityList.empty() ? -1 : 0);
}

void TMapFocus::PaintRing(QPainter& panel) const {
    if (!form_->MapImage->hasFocus()) return;
    const TCity* c = FocusCity();
    if (!c) return;
    const QPointF centre(c->X + 2 + 0.5, c->Y + 0.5);
    panel.save();
    panel.setClipping(false);
    panel.setRenderHint(QPainter::Antialiasing);
    panel.setBrush(Qt::NoBrush);
    // Black inside white: visible on sea, land and border lines alike.
    panel.setPen(QPen(Qt::white, 3));
    panel.drawEllipse(centre, kRingRadius, kRingRadius);
    panel.setPen(QPen(Qt::black, 1.5));
    panel.drawEllipse(centre, kRingRadius, kRingRadius);
    panel.restore();
}

bool TMapFocus::KeyPress(QKeyEvent* event) {
    if (!form_->ListsLoaded || CityList.empty()) return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    auto move = [this](TMapDirection d) {
        if (focus_ < 0) SetFocusIndex(StartIndex());
        else if (const int next = NearestCityInDirection(CityList, focus_, d); next >= 0) SetFocusIndex(next);
        typeAhead_.Reset();
        return true;
    };
    if (mods == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Left: return move(TMapDirection::mdLeft);
            case Qt::Key_Right: return move(TMapDirection::mdRight);
            case Qt::Key_Up: return move(TMapDirection::mdUp);
            case Qt::Key_Down: return move(TMapDirection::mdDown);
            case Qt::Key_Home: typeAhead_.Reset(); SetFocusIndex(0); return true;
            case Qt::Key_End: typeAhead_.Reset(); SetFocusIndex(int(CityList.size()) - 1); return true;
            case Qt::Key_Escape:
                typeAhead_.Reset();
                // A preview goes first: Escape returns to the live clock, the next one clears.
                if (!form_->ShownTime.IsLive()) form_->ReturnToNow();
                else Select(-1);
                return true;
            case Qt::Key_PageUp: form_->ScrubBy(1, TScrubUnit::suDay); return true;
            case Qt::Key_PageDown: form_->ScrubBy(-1, TScrubUnit::suDay); return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                typeAhead_.Reset();
                if (focus_ >= 0) Select(focus_);
                return true;
            default: break;
        }
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = event->text();
    if (text.size() != 1 || !text[0].isPrint()) return false;
    const char ch = text[0].toLatin1();
    // A space inside a name being typed ("San J") belongs to it; otherwise it selects.
    const bool typing = !typeAhead_.Typed().empty() && Clock() - lastTyped_ <= kTypeAheadMs;
    if (ch == ' ' && !typing) {
        if (focus_ >= 0) Select(focus_);
        return true;
    }
    if (ch == 0) return true;
    lastTyped_ = Clock();
    const int next = typeAhead_.Type(CityList, focus_, ch, lastTyped_);
    if (next >= 0) SetFocusIndex(next);
    return true;
}

bool TMapFocus::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_->MapImage) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            return KeyPress(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // Reaching the map by Tab starts at the selected city; a window that merely
            // becomes active again shows what it showed.
            if (focus_ < 0 && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                               reason == Qt::ShortcutFocusReason))
                focus_ = StartIndex();
            if (focus_ >= 0 && reason != Qt::MouseFocusReason) SetFocusIndex(focus_);
            form_->MapImage->update(RingRect(focus_));
            break;
        }
        case QEvent::FocusOut:
            HideKeyboardHint();
            form_->MapImage->update(RingRect(focus_));
            break;
        case QEvent::MouseMove:
            // The pointer takes over the hint.
            keyboardHint_ = false;
            break;
        default:
            break;
    }
    return false;
}

void TMapFocus::FindCity() {
    if (!form_->ListsLoaded) return;
    if (!popup_) {
        popup_ = new TFindCityPopup;
        popup_->Cities = [this] { return TCitySpan(CityList).first(std::min(form_->ShippedCities, CityList.size())); };
        popup_->Mine = [this]() -> const std::vector<TMyPlace>& { return form_->MyPlaces.Items(); };
        popup_->Index = [this] { return form_->PlaceIndex(); };
        connect(form_, &TZonariaForm::PlaceIndexReady, popup_, &TFindCityPopup::Refresh);
        // However it closes (before it reports a choice), the keyboard goes back to the map. The
        // window is activated too: on a display without a window manager nothing else would give
        // it the focus back, and typing would reach nothing.
        connect(popup_, &QDialog::finished, this, [this] {
            form_->activateWindow();
            form_->MapImage->setFocus(Qt::OtherFocusReason);
        });
        connect(popup_, &TFindCityPopup::Chosen, this, [this](int i) {
            SetFocusIndex(i);
            Select(i);
        });
        connect(popup_, &TFindCityPopup::PlaceChosen, this, [this](uint32_t place) { form_->ShowFoundPlace(place); });
        connect(popup_, &TFindCityPopup::AddPlace, this, [this](uint32_t place) {
            form_->AddPlaceFromIndex(place);
            if (const int i = IndexOf(form_->SelectedCity); i >= 0) SetFocusIndex(i);
        });
    }
    popup_->Open(form_->MapImage);
}

}  // namespace velkaro
