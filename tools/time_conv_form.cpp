#include "tools/time_conv_form.h"

#include <QSignalBlocker>

#include "settings/options.h"
#include "tools/time_conv.h"
#include "widgets/result_field.h"
#include "ui_time_conv_form.h"

namespace velkaro {

TTimeConvForm::TTimeConvForm(QWidget* parent) : TTimeConvForm(LocalNow(), UtcNow(), parent) {}

TTimeConvForm::TTimeConvForm(TDateTime localNow, TDateTime utcNow, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TTimeConvForm>()) {
    ui->setupUi(this);
    SetupFixedDialog(this);
    FitLabelText(ui->CorrespondsLabel);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate(localNow, utcNow);

    // Connected after the presets so that filling the lists runs no conversion half-way.
    for (QComboBox* c : {ui->hourCombo, ui->minCombo, ui->ampmCombo, ui->dayCombo, ui->cityCombo1})
        connect(c, &QComboBox::currentIndexChanged, this, &TTimeConvForm::hourComboChange);
    for (QComboBox* c : {ui->monthCombo, ui->yearCombo})
        connect(c, &QComboBox::currentIndexChanged, this, &TTimeConvForm::yearComboChange);
    for (QSpinBox* s : {ui->minSpin, ui->daySpin})
        connect(s, &QSpinBox::valueChanged, this, &TTimeConvForm::minSpinChange);
    connect(ui->cityCombo2, &QComboBox::currentIndexChanged, this, &TTimeConvForm::minSpinChange);
    connect(ui->yearSpin, &QSpinBox::valueChanged, this, &TTimeConvForm::yearSpinChange);
}

TTimeConvForm::~TTimeConvForm() = default;

TQuestionCombos TTimeConvForm::Question() const {
    return {ui->hourCombo, ui->minCombo, ui->ampmCombo, ui->dayCombo, ui->monthCombo, ui->yearCombo};
}

void TTimeConvForm::FormCreate(TDateTime localNow, TDateTime utcNow) {
    FillCities({ui->cityCombo1, ui->cityCombo2});
    FillQuestion(Question(), localNow);

    TVelkaroSpins spins = VelkaroSpinsAt(utcNow);
    ui->minSpin->setRange(0, kMinuteSpinMax);
    ui->yearSpin->setRange(kYearSpinMin, kYearSpinMax);
    ui->daySpin->setRange(1, spins.DayMax);
    ui->minSpin->setValue(spins.Minute);
    ui->yearSpin->setValue(spins.Year);
    ui->daySpin->setValue(spins.Day);

    ConvertToVelkaro();
    ConvertFromVelkaro();
}

void TTimeConvForm::hourComboChange() { ConvertToVelkaro(); }

void TTimeConvForm::yearComboChange() {
    RebuildDayList(Question());
    ConvertToVelkaro();
}

void TTimeConvForm::minSpinChange() { ConvertFromVelkaro(); }

void TTimeConvForm::yearSpinChange() {
    {
        // Lowering the maximum may lower the day; one conversion below covers both changes.
        QSignalBlocker block(ui->daySpin);
        ui->daySpin->setMaximum(VelkaroDaysInYear(ui->yearSpin->value()));
    }
    ConvertFromVelkaro();
}

void TTimeConvForm::ConvertToVelkaro() {
    ShowResultText(ui->resultEdit1, QString::fromLatin1(velkaro::ConvertToVelkaro(ReadQuestion(Question()),
                                                                               ui->cityCombo1->currentIndex())));
}

void TTimeConvForm::ConvertFromVelkaro() {
    std::optional<std::string> text =
        velkaro::ConvertFromVelkaro(ui->minSpin->value(), ui->daySpin->value(), ui->yearSpin->value(),
                                    ui->cityCombo2->currentIndex(), ZonariaOptions().HintTimeFormat);
    if (text) ShowResultText(ui->resultEdit2, QString::fromLatin1(*text));
}

}  // namespace velkaro
