#include "tools/time_calc_form.h"

#include "settings/options.h"
#include "tools/time_calc.h"
#include "widgets/result_field.h"
#include "ui_time_calc_form.h"

namespace velkaro {

TTimeCalcForm::TTimeCalcForm(QWidget* parent) : TTimeCalcForm(LocalNow(), parent) {}

TTimeCalcForm::TTimeCalcForm(TDateTime localNow, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TTimeCalcForm>()) {
    ui->setupUi(this);
    SetupFixedDialog(this);
    FitLabelText(ui->WhatLabel);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate(localNow);

    for (QComboBox* c : {ui->hourCombo, ui->minCombo, ui->ampmCombo, ui->dayCombo, ui->cityCombo1, ui->cityCombo2})
        connect(c, &QComboBox::currentIndexChanged, this, &TTimeCalcForm::hourComboChange);
    for (QComboBox* c : {ui->monthCombo, ui->yearCombo})
        connect(c, &QComboBox::currentIndexChanged, this, &TTimeCalcForm::yearComboChange);
}

TTimeCalcForm::~TTimeCalcForm() = default;

TQuestionCombos TTimeCalcForm::Question() const {
    return {ui->hourCombo, ui->minCombo, ui->ampmCombo, ui->dayCombo, ui->monthCombo, ui->yearCombo};
}

void TTimeCalcForm::FormCreate(TDateTime localNow) {
    FillCities({ui->cityCombo1, ui->cityCombo2});
    FillQuestion(Question(), localNow);
    ComputeAnswer();
}

void TTimeCalcForm::hourComboChange() { ComputeAnswer(); }

void TTimeCalcForm::yearComboChange() {
    RebuildDayList(Question());
    ComputeAnswer();
}

void TTimeCalcForm::ComputeAnswer() {
    ShowResultText(ui->resultEdit, QString::fromLatin1(velkaro::ComputeAnswer(
        ReadQuestion(Question()), ui->cityCombo1->currentIndex(), ui->cityCombo2->currentIndex(),
        ZonariaOptions().HintTimeFormat)));
}

}  // namespace velkaro
