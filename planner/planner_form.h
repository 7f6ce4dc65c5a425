// "Plan a meeting": a thin window over the meeting plan. One row per chosen place, one column
// per hour of the chosen day (from the first place's midnight), each cell the place's own
// hour coloured by its working hours; the hours where everyone works are marked in the header.
// Choosing a cell moves the main window's scrubber there; "Copy" and "Save as calendar event"
// share the chosen hour.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "planner/meeting_plan.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velkaro {

class TIniStore;

class TPlannerForm : public QWidget {
    Q_OBJECT
public:
    explicit TPlannerForm(QWidget* parent = nullptr);

    QDateEdit* DateEdit = nullptr;
    QComboBox* cbPlace = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnRemove = nullptr;
    QTableWidget* PlanGrid = nullptr;
    QLabel* NotesLabel = nullptr;
    QLineEdit* edHours = nullptr;
    std::array<QCheckBox*, 7> cbDays{};
    QPushButton* btnCopy = nullptr;
    QPushButton* btnSaveEvent = nullptr;

    // The places in their rows; every change redraws the plan.
    const std::vector<TPlanPlace>& Places() const { return places_; }
    void SetPlaces(std::vector<TPlanPlace> places);
    void AddCity(const TCity& city);
    // What the place list offers: the map's cities by default; the main window puts the user's
    // own places first. Stored places are found among these by label.
    void SetCandidates(std::vector<TPlanPlace> candidates);
    void SetDate(int year, int month, int day);
    const TMeetingPlan& Plan() const { return plan_; }
    // The hour the buttons share: the chosen cell's column, else the first common hour, else -1.
    int ChosenHour() const;

    // Places and their working hours, kept with the settings (by label).
    void LoadFrom(TIniStore& store);
    void SaveTo(TIniStore& store) const;

    // A cell was chosen: the UTC start of its hour.
    std::function<void(TDateTime utc)> OnHourChosen;
    // Asks where to save the event; empty for cancel. Tests give their own.
    std::function<QString()> AskEventFile;
    // Reports a failure to the user; tests give their own.
    std::function<void(const QString&)> ShowFailure;

    void btnCopyClick();
    void btnSaveEventClick();

private:
    void Rebuild();
    void RowChosen();
    void HoursEdited();
    void AddPlace(const TPlanPlace& place);
    std::vector<TPlanPlace> places_;
    std::vector<TPlanPlace> candidates_;
    TMeetingPlan plan_;
    bool filling_ = false;
};

// Background colours of the three kinds of hour.
QColor HourKindColor(THourKind kind);

}  // namespace velkaro
