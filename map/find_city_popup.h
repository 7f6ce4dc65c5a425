// "Find city": a small window with a line edit and, below it, what the typed text finds: the
// map's cities, the user's own places and every town of the place index, best fits first, each
// town with its region and country. Case and accents do not matter ("sao" finds "São Paulo").
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "places/place_search.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velkaro {

class TFindCityPopup : public QDialog {
    Q_OBJECT
public:
    TFindCityPopup();

    // Where it searches. Cities: the shipped cities; Mine: the user's places (which follow the
    // cities in the city list); Index: the place index, null while it is still being read.
    std::function<TCitySpan()> Cities;
    std::function<const std::vector<TMyPlace>&()> Mine;
    std::function<const TPlaceIndex*()> Index;

    // Shows the window over `over` with an empty edit that has the focus.
    void Open(QWidget* over);
    // Chooses the highlighted result, or else the first. False (and the window stays) when
    // nothing is found.
    bool ChooseTyped();
    // Searches again: the index has arrived, or the user's places changed.
    void Refresh();

    QLabel* FindLabel = nullptr;
    QLineEdit* CityEdit = nullptr;
    QListWidget* ResultList = nullptr;
    QPushButton* AddButton = nullptr;
    QLabel* StatusLabel = nullptr;
    static constexpr int kMaxResults = 50;

signals:
    // The index into the city list of the chosen city or own place.
    void Chosen(int index);
    // A town of the place index, to be shown.
    void PlaceChosen(uint32_t place);
    // "Add to my places" for a town of the place index.
    void AddPlace(uint32_t place);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Search();
    void Choose(int row);
    void UpdateAddButton();
    std::vector<TFoundPlace> found_;
};

// The text cities are matched by: case folded, accents dropped (the command-line tool's folding).
QString FoldForMatch(const QString& text);

}  // namespace velkaro
