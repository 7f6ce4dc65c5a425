// Small pieces the tool dialogs share: fixed-size dialog setup, list filling, and the
// date-and-time question's six lists.
#pragma once

#include <string>
#include <vector>

#include "timemodel/date_time.h"
#include "tools/time_question.h"

class QComboBox;
class QDialog;
class QLabel;

namespace velkaro {

// A dialog of fixed size with only a close box.
void SetupFixedDialog(QDialog* dialog);
void FillCombo(QComboBox* combo, const std::vector<std::string>& items);
// Shrinks a label's font until its one line of text fits the label's width: the forms give
// exact widths that a wide desktop font would otherwise overrun.
void FitLabelText(QLabel* label);

struct TQuestionCombos {
    QComboBox* Hour;
    QComboBox* Minute;
    QComboBox* AmPm;
    QComboBox* Day;
    QComboBox* Month;
    QComboBox* Year;
};

// Fills the six lists and selects the given local date and time.
void FillQuestion(const TQuestionCombos& c, TDateTime local);
TTimeQuestion ReadQuestion(const TQuestionCombos& c);
// Refills the day list for the chosen month and year, keeping the day or taking the last one.
void RebuildDayList(const TQuestionCombos& c);
// Fills the city lists with the first city selected; with no cities they are disabled.
void FillCities(const std::vector<QComboBox*>& combos);

}  // namespace velkaro
