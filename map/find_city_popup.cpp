#include "map/find_city_popup.h"

#include <QApplication>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>

#include "timemodel/city_match.h"
#include "timemodel/zone_list.h"

namespace velkaro {

namespace {

constexpr int kFoldedRole = Qt::UserRole + 1;
constexpr int kIndexRole = Qt::UserRole + 2;

// Matches the typed text, folded the same way, against the folded names while the list
// shows the names as they are.
class TCityCompleter : public QCompleter {
public:
    using QCompleter::QCompleter;
    QStringList splitPath(const QString& path) const override { return {FoldForMatch(path)}; }
    QString pathFromIndex(const QModelIndex& index) const override { return index.data(Qt::DisplayRole).toString(); }
};

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
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(FindLabel);
    layout->addWidget(CityEdit);

    model_ = new QStandardItemModel(this);
    for (int i = 0; i < int(CityList.size()); ++i) {
        auto* item = new QStandardItem(QString::fromLatin1(CityList[i]->Name));
        item->setData(FoldForMatch(item->text()), kFoldedRole);
        item->setData(i, kIndexRole);
        item->setEditable(false);
        model_->appendRow(item);
    }
    Completer = new TCityCompleter(model_, this);
    Completer->setCompletionRole(kFoldedRole);
    Completer->setFilterMode(Qt::MatchContains);
    Completer->setCaseSensitivity(Qt::CaseInsensitive);
    Completer->setMaxVisibleItems(12);
    CityEdit->setCompleter(Completer);

    connect(Completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { Choose(index.data(kIndexRole).toInt()); });
    connect(CityEdit, &QLineEdit::returnPressed, this, [this] {
        if (!ChooseTyped()) QApplication::beep();
    });
}

void TFindCityPopup::Open(QWidget* over) {
    CityEdit->clear();
    // Like the tool dialogs it has no owner window, and it comes up over the map.
    if (QWidget* p = over) {
        adjustSize();
        move(p->mapToGlobal(QPoint((p->width() - width()) / 2, p->height() / 3)));
    }
    show();
    raise();
    activateWindow();
    CityEdit->setFocus(Qt::OtherFocusReason);
}

bool TFindCityPopup::ChooseTyped() {
    if (!isVisible()) return false;
    const QString typed = FoldForMatch(CityEdit->text().trimmed());
    if (typed.isEmpty()) return false;
    int first = -1;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QString name = model_->item(row)->data(kFoldedRole).toString();
        if (name == typed) {
            Choose(row);
            return true;
        }
        if (first < 0 && name.contains(typed)) first = row;
    }
    if (first < 0) return false;
    Choose(first);
    return true;
}

void TFindCityPopup::Choose(int index) {
    // The completer and the edit's Return may both report one choice.
    if (!isVisible() || index < 0 || index >= int(CityList.size())) return;
    CityEdit->setText(QString::fromLatin1(CityList[index]->Name));
    accept();
    emit Chosen(index);
}

}  // namespace velkaro
