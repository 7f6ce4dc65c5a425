// "Find city": a small window with a line edit whose completer offers the cities whose names
// contain what was typed, ignoring case and accents ("sao" finds "Sao Paulo").
#pragma once

#include <QDialog>
#include <QString>

class QCompleter;
class QLabel;
class QLineEdit;
class QStandardItemModel;

namespace velkaro {

class TFindCityPopup : public QDialog {
    Q_OBJECT
public:
    TFindCityPopup();

    // Shows the window over `over` with an empty edit that has the focus.
    void Open(QWidget* over);
    // Chooses the city named in the edit: the one of that name, or else the first whose name
    // contains the text. False (and the window stays) when none does.
    bool ChooseTyped();

    QLabel* FindLabel = nullptr;
    QLineEdit* CityEdit = nullptr;
    QCompleter* Completer = nullptr;

signals:
    // The index into the city list of the chosen city.
    void Chosen(int index);

private:
    void Choose(int index);
    QStandardItemModel* model_ = nullptr;
};

// The text cities are matched by: case folded, accents dropped (the command-line tool's folding).
QString FoldForMatch(const QString& text);

}  // namespace velkaro
