// The "Time Calculator" dialog: the time in one city when another shows a given time.
#pragma once

#include <QDialog>

#include <memory>

#include "timemodel/date_time.h"
#include "tools/form_support.h"

namespace Ui {
class TTimeCalcForm;
}

namespace velkaro {

class TTimeCalcForm : public QDialog {
    Q_OBJECT
public:
    explicit TTimeCalcForm(QWidget* parent = nullptr);
    // Starts from the given local clock reading instead of the computer's clock.
    TTimeCalcForm(TDateTime localNow, QWidget* parent = nullptr);
    ~TTimeCalcForm() override;

    Ui::TTimeCalcForm& Form() { return *ui; }

private:
    void FormCreate(TDateTime localNow);
    void hourComboChange();
    void yearComboChange();
    void ComputeAnswer();
    TQuestionCombos Question() const;

    std::unique_ptr<Ui::TTimeCalcForm> ui;
};

}  // namespace velkaro
