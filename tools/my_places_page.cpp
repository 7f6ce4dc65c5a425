#include "tools/my_places_page.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkaro {

TMyPlacesPage::TMyPlacesPage(const TMyPlaces& places, QWidget* parent) : QWidget(parent), places_(places) {
    setObjectName(QStringLiteral("MyPlacesPage"));
    PlaceList = new QListWidget(this);
    PlaceList->setObjectName(QStringLiteral("PlaceList"));
    PlaceList->setAccessibleName(QStringLiteral("My places"));
    PlaceList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnRename = button(QStringLiteral("&Rename"), "btnRename");
    btnUp = button(QStringLiteral("Move &up"), "btnUp");
    btnDown = button(QStringLiteral("Move do&wn"), "btnDown");
    btnRemove = button(QStringLiteral("Re&move"), "btnRemove");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnRename, btnUp, btnDown, btnRemove}) buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PlaceList, 1);
    layout->addLayout(buttons);

    connect(btnRename, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = PlaceList->currentItem()) {
            // Edited as the bare label; the row shows what the place is again afterwards.
            filling_ = true;
            item->setText(QString::fromUtf8(places_.Items()[size_t(PlaceList->row(item))].Label));
            filling_ = false;
            PlaceList->editItem(item);
        }
    });
    connect(PlaceList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (filling_) return;
        const int row = PlaceList->row(item);
        places_.Rename(size_t(row), item->text().toStdString());
        Fill(row);
    });
    connect(btnUp, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { Move(+1); });
    connect(btnRemove, &QPushButton::clicked, this, [this] {
        const int row = PlaceList->currentRow();
        if (row < 0) return;
        places_.Remove(size_t(row));
        Fill(std::min(row, int(places_.size()) - 1));
    });
    connect(PlaceList, &QListWidget::currentRowChanged, this, &TMyPlacesPage::UpdateButtons);
    Fill(places_.size() ? 0 : -1);
}

QString TMyPlacesPage::RowText(const TMyPlace& p) {
    QString text = QString::fromUtf8(p.Label);
    QString what = QString::fromUtf8(p.Name);
    if (!p.Country.empty()) what += QStringLiteral(", ") + QString::fromUtf8(p.Country);
    if (what != text) text += QStringLiteral(" \u2014 ") + what;
    return text;
}

void TMyPlacesPage::Fill(int current) {
    filling_ = true;
    PlaceList->clear();
    for (const TMyPlace& p : places_.Items()) {
        auto* item = new QListWidgetItem(RowText(p), PlaceList);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    filling_ = false;
    PlaceList->setCurrentRow(current);
    UpdateButtons();
}

void TMyPlacesPage::Move(int by) {
    const int row = PlaceList->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= int(places_.size())) return;
    places_.Move(size_t(row), size_t(to));
    Fill(to);
}

void TMyPlacesPage::UpdateButtons() {
    const int row = PlaceList->currentRow();
    btnRename->setEnabled(row >= 0);
    btnRemove->setEnabled(row >= 0);
    btnUp->setEnabled(row > 0);
    btnDown->setEnabled(row >= 0 && row + 1 < int(places_.size()));
}

}  // namespace velkaro
