// The "Time Converter" dialog: a city's civil time to Velkaro time on the left, a Velkaro
// time to a city's wall-clock time on the right.
#pragma once

#include <QDialog>

#include <memory>

#include "timemodel/date_time.h"
#include "tools/form_support.h"

namespace Ui {
class TTimeConvForm;
}

namespace velkaro {

class TTimeConvForm : public QDialog {
    Q_OBJECT
public:
    explicit TTimeConvForm(QWidget* parent = nullptr);
    // Starts from the given clock readings instead of the computer's clock.
    TTimeConvForm(TDateTime localNow, TDateTime utcNow, QWidget* parent = nullptr);
    ~TTimeConvForm() override;

    Ui::TTimeConvForm& Form() { return *ui; }

private:
    void FormCreate(TDateTime localNow, TDateTime utcNow);
    void hourComboChange();
    void yearComboChange();
    void minSpinChange();
    void yearSpinChange();
    void ConvertToVelkaro();
    void ConvertFromVelkaro();
    TQuestionCombos Question() const;

    std::unique_ptr<Ui::TTimeConvForm> ui;
};

}  // namespace velkaro
