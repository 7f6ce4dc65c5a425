#include "tools/form_support.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QSignalBlocker>

#include "widgets/compact_style.h"

namespace velkaro {

namespace {
constexpr int kDialogFontPixels = 11;
}  // namespace

void SetupFixedDialog(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(dialog->size());
    // The forms are laid out in pixels for a small dialog font; a larger desktop font would
    // not fit the given widths.
    QFont font = dialog->font();
    font.setPixelSize(kDialogFontPixels);
    dialog->setFont(font);
    UseCompactStyle(dialog);
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
    QSignalBlocker block(combo);
    QStringList texts;
    texts.reserve(qsizetype(items.size()));
    for (const std::string& item : items) texts.append(QString::fromLatin1(item));
    combo->clear();
    combo->addItems(texts);
}

void FitLabelText(QLabel* label) {
    QFont font = label->font();
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > 7 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
        font.setPixelSize(--pixels);
    }
    label->setFont(font);
}

void FillQuestion(const TQuestionCombos& c, TDateTime local) {
    TTimeQuestion q = QuestionAt(local);
    FillCombo(c.Hour, HourItems());
    FillCombo(c.Minute, MinuteItems());
    FillCombo(c.AmPm, AmPmItems());
    FillCombo(c.Year, YearItems());
    FillCombo(c.Month, MonthItems());
    FillCombo(c.Day, DayItems(q.Month + 1, kFirstListYear + q.Year));
    for (auto [combo, index] : {std::pair{c.Hour, q.Hour}, {c.Minute, q.Minute}, {c.AmPm, q.AmPm},
                                {c.Year, q.Year}, {c.Month, q.Month}, {c.Day, q.Day}}) {
        QSignalBlocker block(combo);
        combo->setCurrentIndex(index);
    }
}

TTimeQuestion ReadQuestion(const TQuestionCombos& c) {
    TTimeQuestion q;
    q.Hour = c.Hour->currentIndex();
    q.Minute = c.Minute->currentIndex();
    q.AmPm = c.AmPm->currentIndex();
    q.Day = c.Day->currentIndex();
    q.Month = c.Month->currentIndex();
    q.Year = c.Year->currentIndex();
    return q;
}

void RebuildDayList(const TQuestionCombos& c) {
    int month = c.Month->currentIndex(), year = c.Year->currentIndex();
    if (month < 0 || year < 0) return;
    int dayIndex = c.Day->currentIndex();
    std::vector<std::string> days = DayItems(month + 1, kFirstListYear + year);
    FillCombo(c.Day, days);
    QSignalBlocker block(c.Day);
    c.Day->setCurrentIndex(RebuildDayIndex(dayIndex, int(days.size())));
}

void FillCities(const std::vector<QComboBox*>& combos) {
    std::vector<std::string> cities = CityItems();
    for (QComboBox* combo : combos) {
        FillCombo(combo, cities);
        QSignalBlocker block(combo);
        combo->setCurrentIndex(cities.empty() ? -1 : 0);
        combo->setEnabled(!cities.empty());
    }
}

}  // namespace velkaro
