#include "planner/planner_form.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/ini_store.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {

constexpr const char* kPlannerKey = "\\Planner";
constexpr int kHourColumnWidth = 34;

// Model texts are 8-bit with CR LF line breaks.
QString ToQt(const std::string& text) {
    return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString KindText(THourKind kind) {
    switch (kind) {
        case THourKind::hkWorking: return QStringLiteral("working");
        case THourKind::hkEarlyLate: return QStringLiteral("early or late");
        default: return QStringLiteral("night");
    }
}

}  // namespace

QColor HourKindColor(THourKind kind) {
    switch (kind) {
        case THourKind::hkWorking: return QColor(0x9C, 0xD8, 0x8C);
        case THourKind::hkEarlyLate: return QColor(0xF3, 0xE3, 0xA6);
        default: return QColor(0x5A, 0x66, 0x84);
    }
}

TPlannerForm::TPlannerForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Plan a meeting"));
    setObjectName(QStringLiteral("PlannerForm"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* dayLabel = new QLabel(QStringLiteral("&Day:"), this);
    DateEdit = new QDateEdit(this);
    DateEdit->setCalendarPopup(true);
    DateEdit->setDisplayFormat(QStringLiteral("ddd d MMM yyyy"));
    DateEdit->setDateRange(QDate(1901, 1, 1), QDate(2199, 12, 30));
    dayLabel->setBuddy(DateEdit);
    cbPlace = new QComboBox(this);
    cbPlace->setAccessibleName(QStringLiteral("Place to add"));
    btnAdd = new QPushButton(QStringLiteral("&Add"), this);
    btnRemove = new QPushButton(QStringLiteral("&Remove"), this);
    top->addWidget(dayLabel);
    top->addWidget(DateEdit);
    top->addStretch(1);
    top->addWidget(cbPlace);
    top->addWidget(btnAdd);
    top->addWidget(btnRemove);
    layout->addLayout(top);

    PlanGrid = new QTableWidget(this);
    PlanGrid->setAccessibleName(QStringLiteral("Hours of the day in each place"));
    PlanGrid->setColumnCount(kPlanHours);
    PlanGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PlanGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    PlanGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    PlanGrid->horizontalHeader()->setDefaultSectionSize(kHourColumnWidth);
    PlanGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    PlanGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PlanGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(PlanGrid, 1);

    NotesLabel = new QLabel(this);
    NotesLabel->setWordWrap(true);
    layout->addWidget(NotesLabel);

    auto* hours = new QHBoxLayout;
    auto* hoursLabel = new QLabel(QStringLiteral("&Working hours:"), this);
    edHours = new QLineEdit(this);
    edHours->setPlaceholderText(QStringLiteral("09:00-17:00"));
    edHours->setMaximumWidth(100);
    hoursLabel->setBuddy(edHours);
    hours->addWidget(hoursLabel);
    hours->addWidget(edHours);
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    // Monday first, as working weeks are read.
    for (int i = 1; i <= 7; ++i) {
        const int d = i % 7;
        cbDays[d] = new QCheckBox(QString::fromLatin1(kDays[d]), this);
        hours->addWidget(cbDays[d]);
        connect(cbDays[d], &QCheckBox::toggled, this, &TPlannerForm::HoursEdited);
    }
    hours->addStretch(1);
    btnCopy = new QPushButton(QStringLiteral("&Copy"), this);
    btnSaveEvent = new QPushButton(QStringLiteral("&Save as calendar event"), this);
    hours->addWidget(btnCopy);
    hours->addWidget(btnSaveEvent);
    layout->addLayout(hours);

    AskEventFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save as calendar event"), QStringLiteral("meeting.ics"),
                                            QStringLiteral("Calendar files (*.ics)"));
    };
    ShowFailure = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    connect(DateEdit, &QDateEdit::dateChanged, this, [this] { Rebuild(); });
    connect(btnAdd, &QPushButton::clicked, this, [this] {
        const int i = cbPlace->currentIndex();
        if (i >= 0 && i < int(candidates_.size())) AddPlace(candidates_[i]);
    });
    connect(btnRemove, &QPushButton::clicked, this, [this] {
        const int row = PlanGrid->currentRow();
        if (row < 0 || row >= int(places_.size())) return;
        places_.erase(places_.begin() + row);
        Rebuild();
    });
    connect(edHours, &QLineEdit::editingFinished, this, &TPlannerForm::HoursEdited);
    connect(PlanGrid, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        RowChosen();
        if (filling_ || row < 0 || column < 0 || plan_.Rows.empty() || !OnHourChosen) return;
        OnHourChosen(MsToDateTime(plan_.Rows.front().Cells[column].UtcMs));
    });
    connect(btnCopy, &QPushButton::clicked, this, &TPlannerForm::btnCopyClick);
    connect(btnSaveEvent, &QPushButton::clicked, this, &TPlannerForm::btnSaveEventClick);

    std::vector<TPlanPlace> cities;
    for (const auto& c : CityList) cities.push_back({c->Name, &ZoneOfCity(*c), {}});
    std::sort(cities.begin(), cities.end(), [](const auto& a, const auto& b) { return a.Label < b.Label; });
    SetCandidates(std::move(cities));
    const TDateTimeFields today = DecodeDateTime(UtcNow());
    SetDate(today.Year, today.Month, today.Day);
}

void TPlannerForm::SetPlaces(std::vector<TPlanPlace> places) {
    places_ = std::move(places);
    Rebuild();
}

void TPlannerForm::SetCandidates(std::vector<TPlanPlace> candidates) {
    candidates_ = std::move(candidates);
    cbPlace->clear();
    for (const TPlanPlace& p : candidates_) cbPlace->addItem(QString::fromLatin1(p.Label));
}

void TPlannerForm::AddCity(const TCity& city) { AddPlace({city.Name, &ZoneOfCity(city), {}}); }

void TPlannerForm::AddPlace(const TPlanPlace& place) {
    for (const TPlanPlace& p : places_)
        if (p.Label == place.Label) return;
    places_.push_back(place);
    Rebuild();
}

void TPlannerForm::SetDate(int year, int month, int day) {
    const QDate date(year, month, day);
    if (DateEdit->date() == date) Rebuild();
    else DateEdit->setDate(date);
}

int TPlannerForm::ChosenHour() const {
    const int column = PlanGrid->currentColumn();
    return column >= 0 && !plan_.Rows.empty() ? column : plan_.FirstCommon();
}

void TPlannerForm::Rebuild() {
    filling_ = true;
    const int row = PlanGrid->currentRow(), column = PlanGrid->currentColumn();
    PlanGrid->clear();
    const QDate d = DateEdit->date();
    plan_ = places_.empty() ? TMeetingPlan() : PlanMeeting(places_, d.year(), d.month(), d.day());
    const int rows = int(plan_.Rows.size());
    PlanGrid->setRowCount(rows ? rows + 1 : 0);
    QStringList rowNames;
    QStringList notes;
    for (int r = 0; r < rows; ++r) {
        const TPlanRow& pr = plan_.Rows[r];
        rowNames << QString::fromLatin1(pr.Place.Label) + QStringLiteral("  ") + ToQt(WorkingHoursText(pr.Place.Hours));
        for (int h = 0; h < kPlanHours; ++h) {
            const TPlanCell& c = pr.Cells[h];
            const TDateTimeFields f = DecodeDateTime(c.Local);
            auto* item = new QTableWidgetItem(ToQt(FormatTimePattern(f.Minute ? "HH:MM" : "HH", c.Local)));
            item->setTextAlignment(Qt::AlignCenter);
            item->setBackground(HourKindColor(c.Kind));
            item->setForeground(c.Kind == THourKind::hkNight ? Qt::white : Qt::black);
            QString tip = ToQt(FormatTimePattern("ww d mmmm yy, HH:MM", c.Local)) + QStringLiteral(", ") + KindText(c.Kind);
            for (const TPlanNote& n : pr.Notes)
                if (n.Hour == h) {
                    tip += QStringLiteral("; ") + ToQt(n.Text);
                    QFont bold = item->font();
                    bold.setBold(true);
                    item->setFont(bold);
                }
            item->setToolTip(tip);
            item->setData(Qt::AccessibleTextRole, QString::fromLatin1(pr.Place.Label) + QStringLiteral(" ") + tip);
            PlanGrid->setItem(r, h, item);
        }
        for (const TPlanNote& n : pr.Notes)
            notes << QString::fromLatin1(pr.Place.Label) + QStringLiteral(" at ") +
                         ToQt(FormatTimePattern("HH:MM", pr.Cells[n.Hour].Local)) + QStringLiteral(": ") + ToQt(n.Text);
    }
    if (rows) {
        rowNames << QStringLiteral("Everyone works");
        for (int h = 0; h < kPlanHours; ++h) {
            auto* item = new QTableWidgetItem(plan_.Common[h] ? QStringLiteral("\u2713") : QString());
            item->setTextAlignment(Qt::AlignCenter);
            if (plan_.Common[h]) item->setBackground(HourKindColor(THourKind::hkWorking));
            item->setData(Qt::AccessibleTextRole, plan_.Common[h] ? QStringLiteral("everyone works") : QStringLiteral("not everyone works"));
            PlanGrid->setItem(rows, h, item);
        }
    }
    PlanGrid->setVerticalHeaderLabels(rowNames);
    // The columns are hours of UTC; each row reads them in its own time.
    QStringList hours;
    for (int h = 0; h < kPlanHours; ++h)
        hours << (rows ? ToQt(FormatTimePattern("HH", MsToDateTime(plan_.Rows.front().Cells[h].UtcMs))) : QString());
    PlanGrid->setHorizontalHeaderLabels(hours);
    for (int h = 0; h < kPlanHours; ++h)
        if (QTableWidgetItem* head = PlanGrid->horizontalHeaderItem(h)) head->setToolTip(QStringLiteral("Hour of UTC"));
    NotesLabel->setText(places_.empty() ? QStringLiteral("Add the places to plan for.")
                        : notes.isEmpty() ? QStringLiteral("No change of clocks or date inside the day.")
                                          : notes.join(QStringLiteral("; ")));
    // Tall enough for every row, so the table never scrolls.
    PlanGrid->setFixedHeight(PlanGrid->horizontalHeader()->height() +
                             PlanGrid->verticalHeader()->defaultSectionSize() * PlanGrid->rowCount() +
                             2 * PlanGrid->frameWidth());
    PlanGrid->setMinimumWidth(PlanGrid->verticalHeader()->sizeHint().width() + kPlanHours * kHourColumnWidth +
                              2 * PlanGrid->frameWidth());
    if (row >= 0 && row < PlanGrid->rowCount() && column >= 0) PlanGrid->setCurrentCell(row, column);
    filling_ = false;
    RowChosen();
    btnCopy->setEnabled(rows > 0);
    btnSaveEvent->setEnabled(rows > 0);
}

void TPlannerForm::RowChosen() {
    const int row = PlanGrid->currentRow();
    const bool place = row >= 0 && row < int(places_.size());
    filling_ = true;
    const TWorkingHours h = place ? places_[row].Hours : TWorkingHours();
    edHours->setText(place ? ToQt(WorkingHoursText({h.StartMinute, h.EndMinute, TWorkingHours().Days})) : QString());
    edHours->setEnabled(place);
    for (int d = 0; d < 7; ++d) {
        cbDays[d]->setChecked(h.WorksOn(d));
        cbDays[d]->setEnabled(place);
    }
    filling_ = false;
}

void TPlannerForm::HoursEdited() {
    const int row = PlanGrid->currentRow();
    if (filling_ || row < 0 || row >= int(places_.size())) return;
    TWorkingHours& h = places_[row].Hours;
    const auto parsed = ParseWorkingHours(edHours->text().trimmed().toStdString());
    // A malformed range keeps the hours the place had, and says so by its colour.
    QPalette p = edHours->palette();
    p.setColor(QPalette::Base, parsed ? QPalette().color(QPalette::Base) : QColor(0xFF, 0xC0, 0xC0));
    edHours->setPalette(p);
    TWorkingHours next = parsed ? *parsed : h;
    next.Days = 0;
    for (int d = 0; d < 7; ++d)
        if (cbDays[d]->isChecked()) next.Days |= uint8_t(1 << d);
    if (next == h) return;
    h = next;
    Rebuild();
}

void TPlannerForm::btnCopyClick() {
    const int hour = ChosenHour();
    if (hour < 0) {
        ShowFailure(QStringLiteral("Choose an hour first: there is no hour where everyone works."));
        return;
    }
    QGuiApplication::clipboard()->setText(ToQt(SlotText(plan_, hour)));
}

void TPlannerForm::btnSaveEventClick() {
    const int hour = ChosenHour();
    if (hour < 0) {
        ShowFailure(QStringLiteral("Choose an hour first: there is no hour where everyone works."));
        return;
    }
    const QString name = AskEventFile();
    if (name.isEmpty()) return;
    const std::string ics = MeetingIcs(plan_, hour, 1, UtcNow());
    // Written whole or not at all: an existing file is replaced only by a complete one.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(ics.data(), qint64(ics.size())) != qint64(ics.size()) ||
        !file.commit())
        ShowFailure(QStringLiteral("The event could not be saved to %1: %2").arg(name, file.errorString()));
}

void TPlannerForm::LoadFrom(TIniStore& store) {
    TStringList names, hours;
    store.ReadMultiString(kPlannerKey, "Places", names);
    store.ReadMultiString(kPlannerKey, "Hours", hours);
    std::vector<TPlanPlace> places;
    // A place no longer offered (a removed place of the user's) is left out.
    for (size_t i = 0; i < names.size(); ++i)
        for (const TPlanPlace& c : candidates_)
            if (c.Label == names[i]) {
                const auto h = i < hours.size() ? LoadWorkingHours(hours[i]) : std::nullopt;
                places.push_back({c.Label, c.Zone, h.value_or(TWorkingHours())});
                break;
            }
    SetPlaces(std::move(places));
}

void TPlannerForm::SaveTo(TIniStore& store) const {
    TStringList names, hours;
    for (const TPlanPlace& p : places_) {
        names.push_back(p.Label);
        hours.push_back(StoreWorkingHours(p.Hours));
    }
    store.WriteMultiString(kPlannerKey, "Places", names);
    store.WriteMultiString(kPlannerKey, "Hours", hours);
}

}  // namespace velkaro
