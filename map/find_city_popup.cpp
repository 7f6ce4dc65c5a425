#include "map/find_city_popup.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "timemodel/city_match.h"

namespace velkaro {

namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

QString FoldForMatch(const QString& text) {
    // Names are 8-bit; a typed character with no 8-bit form can match nothing anyway.
    return QString::fromLatin1(FoldName(text.toLatin1().toStdString()));
}

TFindCityPopup::TFindCityPopup() {
    setWindowTitle(QStringLiteral("Find city"));
    FindLabel = new QLabel(QStringLiteral("&Find city:"), this);
    CityEdit = new QLineEdit(this);
    CityEdit->setObjectName(QStringLiteral("CityEdit"));
    CityEdit->setMinimumWidth(180);
    FindLabel->setBuddy(CityEdit);
    ResultList = new QListWidget(this);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setAccessibleName(QStringLiteral("Places found"));
    ResultList->setMinimumSize(320, 180);
    AddButton = new QPushButton(QStringLiteral("&Add to my places"), this);
    AddButton->setObjectName(QStringLiteral("AddButton"));
    AddButton->setAutoDefault(false);
    StatusLabel = new QLabel(this);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(FindLabel, 0, 0);
    layout->addWidget(CityEdit, 0, 1);
    layout->addWidget(ResultList, 1, 0, 1, 2);
    layout->addWidget(StatusLabel, 2, 0, 1, 2);
    layout->addWidget(AddButton, 3, 1, Qt::AlignRight);
    // The arrows in the edit walk the results, so the keyboard never has to leave the edit.
    CityEdit->installEventFilter(this);

    connect(CityEdit, &QLineEdit::textChanged, this, &TFindCityPopup::Search);
    connect(CityEdit, &QLineEdit::returnPressed, this, [this] {
        if (!ChooseTyped()) QApplication::beep();
    });
    connect(ResultList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { Choose(ResultList->row(item)); });
    connect(ResultList, &QListWidget::currentRowChanged, this, &TFindCityPopup::UpdateAddButton);
    connect(AddButton, &QPushButton::clicked, this, [this] {
        const int row = ResultList->currentRow();
        if (row < 0 || row >= int(found_.size()) || found_[row].Kind != TFoundPlace::fkPlace) return;
        const uint32_t place = found_[row].Index;
        accept();
        emit AddPlace(place);
    });
    UpdateAddButton();
}

void TFindCityPopup::Open(QWidget* over) {
    CityEdit->clear();
    Search();
    // Like the tool dialogs it has no owner window, and it comes up over the map.
    if (QWidget* p = over) {
        adjustSize();
        move(p->mapToGlobal(QPoint((p->width() - width()) / 2, p->height() / 6)));
    }
    show();
    raise();
    activateWindow();
    CityEdit->setFocus(Qt::OtherFocusReason);
}

void TFindCityPopup::Refresh() {
    if (isVisible()) Search();
}

void TFindCityPopup::Search() {
    const std::string typed = CityEdit->text().trimmed().toStdString();
    const TPlaceIndex* index = Index ? Index() : nullptr;
    static const std::vector<TMyPlace> none;
    found_ = typed.empty() ? std::vector<TFoundPlace>{}
                           : FindPlaces(typed, Cities ? Cities() : TCitySpan{}, Mine ? Mine() : none, index, kMaxResults);
    ResultList->clear();
    const TCitySpan cities = Cities ? Cities() : TCitySpan{};
    for (const TFoundPlace& f : found_) {
        QString text;
        if (f.Kind == TFoundPlace::fkCity) {
            text = QString::fromLatin1(cities[f.Index]->Name);
            // The map's city, told apart by where the index puts it.
            if (index && f.Twin >= 0) text += QStringLiteral(" \u2014 ") + Utf8(index->Describe(uint32_t(f.Twin))).section(QStringLiteral(", "), 1);
        } else if (f.Kind == TFoundPlace::fkMyPlace) {
            const TMyPlace& p = Mine()[f.Index];
            text = Utf8(p.Label) + QStringLiteral(" \u2014 my place: ") + Utf8(p.Name);
            for (const std::string* part : {&p.Region, &p.Country})
                if (!part->empty() && *part != p.Name) text += QStringLiteral(", ") + Utf8(*part);
        } else {
            text = Utf8(index->Describe(f.Index));
        }
        ResultList->addItem(text);
    }
    if (!found_.empty()) ResultList->setCurrentRow(0);
    if (!typed.empty() && !index) StatusLabel->setText(QStringLiteral("Reading the towns of the world\u2026"));
    else if (!typed.empty() && found_.empty()) StatusLabel->setText(QStringLiteral("No place of that name."));
    else StatusLabel->clear();
    UpdateAddButton();
}

void TFindCityPopup::UpdateAddButton() {
    const int row = ResultList->currentRow();
    AddButton->setEnabled(row >= 0 && row < int(found_.size()) && found_[row].Kind == TFoundPlace::fkPlace);
}

bool TFindCityPopup::ChooseTyped() {
    if (!isVisible() || CityEdit->text().trimmed().isEmpty()) return false;
    // The text may have been set without an edit signal reaching the list yet.
    if (found_.empty()) Search();
    if (found_.empty()) return false;
    Choose(std::max(ResultList->currentRow(), 0));
    return true;
}

void TFindCityPopup::Choose(int row) {
    // The list's activation and the edit's Return may both report one choice.
    if (!isVisible() || row < 0 || row >= int(found_.size())) return;
    const TFoundPlace f = found_[row];
    const int shipped = int(Cities ? Cities().size() : 0);
    accept();
    if (f.Kind == TFoundPlace::fkPlace) emit PlaceChosen(f.Index);
    else emit Chosen(f.Kind == TFoundPlace::fkCity ? int(f.Index) : shipped + int(f.Index));
}

bool TFindCityPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CityEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            QApplication::sendEvent(ResultList, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velkaro
