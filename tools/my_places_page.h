// The "My places" page of Configure: the user's own places in their order, to rename (edit
// the label in place, or F2), move up and down, and remove. It edits a copy; the window takes
// it when the dialog is applied or accepted.
#pragma once

#include <QWidget>

#include "places/my_places.h"

class QListWidget;
class QPushButton;

namespace velkaro {

class TMyPlacesPage : public QWidget {
    Q_OBJECT
public:
    explicit TMyPlacesPage(const TMyPlaces& places, QWidget* parent = nullptr);

    const TMyPlaces& Places() const { return places_; }

    QListWidget* PlaceList = nullptr;
    QPushButton* btnRename = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnDown = nullptr;
    QPushButton* btnRemove = nullptr;

    // The list row's text for a place: its label, and what it is when that differs.
    static QString RowText(const TMyPlace& place);

private:
    void Fill(int current);
    void Move(int by);
    void UpdateButtons();
    TMyPlaces places_;
    bool filling_ = false;
};

}  // namespace velkaro
