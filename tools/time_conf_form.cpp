#include "tools/time_conf_form.h"

#include "tools/form_support.h"
#include "ui_time_conf_form.h"

namespace velkaro {

namespace {

// The widgets of one page, so that the three pages are read and written alike.
struct TPageControls {
    TColorComboBox* Box;
    TColorComboBox* Text;
    QComboBox* Size;
    QCheckBox* Bold;
    QCheckBox* Italic;
    QCheckBox* Underline;
    QComboBox* Format;
};

TConfPage ReadPage(const TPageControls& c) {
    TConfPage p;
    p.BoxColor = c.Box->SelectedColor();
    p.TextColor = c.Text->SelectedColor();
    p.SizeIndex = c.Size->currentIndex();
    p.Bold = c.Bold->isChecked();
    p.Italic = c.Italic->isChecked();
    p.Underline = c.Underline->isChecked();
    p.FormatIndex = c.Format->currentIndex();
    return p;
}

void WritePage(const TPageControls& c, const TConfPage& p) {
    c.Box->SetSelectedColor(p.BoxColor);
    c.Text->SetSelectedColor(p.TextColor);
    c.Size->setCurrentIndex(p.SizeIndex);
    c.Bold->setChecked(p.Bold);
    c.Italic->setChecked(p.Italic);
    c.Underline->setChecked(p.Underline);
    c.Format->setCurrentIndex(p.FormatIndex);
}

TPageControls MVTControls(Ui::TTimeConfForm& ui) {
    return {ui.MVTBoxCC, ui.MVTTextCC, ui.MVTFontSizeCombo, ui.MVTBoldCB, ui.MVTItalicCB, ui.MVTUnderlineCB,
            ui.MVTFormatCombo};
}
TPageControls TZTControls(Ui::TTimeConfForm& ui) {
    return {ui.TZTBoxCC, ui.TZTTextCC, ui.TZTFontSizeCombo, ui.TZTBoldCB, ui.TZTItalicCB, ui.TZTUnderlineCB,
            ui.TZTFormatCombo};
}
TPageControls HintControls(Ui::TTimeConfForm& ui) {
    return {ui.HintBoxCC, ui.HintTextCC, ui.HintFontSizeCombo, ui.HintBoldCB, ui.HintItalicCB, ui.HintUnderlineCB,
            ui.HintFormatCombo};
}

}  // namespace

TTimeConfForm::TTimeConfForm(QWidget* parent) : TTimeConfForm(LocalNow(), parent) {}

TTimeConfForm::TTimeConfForm(TDateTime localNow, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TTimeConfForm>()) {
    ui->setupUi(this);
    SetupFixedDialog(this);
    move(329, 320);
    ui->Pages->setCurrentIndex(0);

    for (QComboBox* c : {ui->MVTFontSizeCombo, ui->TZTFontSizeCombo, ui->HintFontSizeCombo})
        FillCombo(c, FontSizeItems());
    FillCombo(ui->MVTFormatCombo, MVTFormatItems());
    // The examples are taken once: the lists show the moment the dialog opened.
    TConfState state;
    PresetPatternIndexes(state, ZonariaOptions(), localNow);
    tztPatterns_ = state.TZTPatterns;
    hintPatterns_ = state.HintPatterns;
    FillCombo(ui->TZTFormatCombo, PatternExamples(tztPatterns_, localNow));
    FillCombo(ui->HintFormatCombo, PatternExamples(hintPatterns_, localNow));
    ui->TZTFormatCombo->setCurrentIndex(state.TZT.FormatIndex);
    ui->HintFormatCombo->setCurrentIndex(state.Hint.FormatIndex);

    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->ApplyBtn, &QPushButton::clicked, this, &TTimeConfForm::ApplyBtnClick);
}

TTimeConfForm::~TTimeConfForm() = default;

TConfState TTimeConfForm::State() const {
    return {ReadPage(MVTControls(*ui)), ReadPage(TZTControls(*ui)), ReadPage(HintControls(*ui)), tztPatterns_,
            hintPatterns_, ui->ShowDaylightCB->isChecked()};
}

void TTimeConfForm::SetState(const TConfState& state) {
    WritePage(MVTControls(*ui), state.MVT);
    WritePage(TZTControls(*ui), state.TZT);
    WritePage(HintControls(*ui), state.Hint);
    ui->ShowDaylightCB->setChecked(state.ShowDaylight);
}

void TTimeConfForm::LoadFromOptions(const TZonariaOptions& options) {
    TConfState state = State();
    velkaro::LoadFromOptions(state, options);
    SetState(state);
}

void TTimeConfForm::StoreToOptions(TZonariaOptions& options) const { velkaro::StoreToOptions(State(), options); }

void TTimeConfForm::ApplyBtnClick() {
    StoreToOptions(ZonariaOptions());
    emit Applied();
}

void TTimeConfForm::AddPage(QWidget* page, const QString& title) { ui->Pages->addTab(page, title); }

}  // namespace velkaro
