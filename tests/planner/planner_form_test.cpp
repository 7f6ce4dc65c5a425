// The planner window over its model: a chosen cell moves the shown moment, the working hours
// edit refuses a bad range, the places keep across a restart, the event file is whole or absent.
#include "planner/planner_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableWidget>
#include <filesystem>
#include <fstream>

#include "settings/ini_store.h"
#include "tests/settings/temp_config.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class PlannerFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "planner-test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
        LoadLists(VELKARO_BIN_DIR "/");
    }
    static void TearDownTestSuite() { ClearLists(); }
    static const TCity& City(const std::string& name) {
        for (const auto& c : CityList)
            if (c->Name == name) return *c;
        throw std::runtime_error(name);
    }
    void SetUp() override {
        form.ShowFailure = [this](const QString& text) { failures << text; };
        form.AddCity(City("Paris"));
        form.AddCity(City("New York"));
        form.SetDate(2026, 12, 8);
    }
    TTempConfig config;
    TPlannerForm form;
    QStringList failures;
};

TEST_F(PlannerFormTest, CellsMoveTheShownMomentAndHoursAreEditedSafely) {
    ASSERT_EQ(form.PlanGrid->rowCount(), 3);  // two places and "Everyone works"
    TDateTime chosen = 0;
    form.OnHourChosen = [&](TDateTime utc) { chosen = utc; };
    form.PlanGrid->setCurrentCell(1, 15);
    EXPECT_EQ(DateTimeToMs(chosen), DateTimeToMs(EncodeDateTime(2026, 12, 8, 14)));
    EXPECT_EQ(form.ChosenHour(), 15);
    form.btnCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Paris: Tuesday 8 December 2026, 15:00-16:00\n"
                                                     "New York: Tuesday 8 December 2026, 09:00-10:00");

    // New York from 10:00: 15:00 in Paris is no longer common.
    form.edHours->setText("10-18");
    emit form.edHours->editingFinished();
    EXPECT_EQ(form.Places()[1].Hours.StartMinute, 600);
    EXPECT_FALSE(form.Plan().Common[15]);
    form.edHours->setText("18-10");
    emit form.edHours->editingFinished();
    EXPECT_EQ(form.Places()[1].Hours.StartMinute, 600);  // refused, kept
    form.cbDays[2]->setChecked(false);                 // no Tuesdays
    EXPECT_EQ(form.Plan().FirstCommon(), -1);
    form.PlanGrid->setCurrentCell(-1, -1);
    form.btnCopyClick();
    EXPECT_EQ(failures.size(), 1);

    // Kept with the settings, hours and all.
    TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    form.SaveTo(store);
    TPlannerForm again;
    again.LoadFrom(store);
    ASSERT_EQ(again.Places().size(), 2u);
    EXPECT_EQ(again.Places()[1].Label, "New York");
    EXPECT_EQ(again.Places()[1].Hours, form.Places()[1].Hours);
}

TEST_F(PlannerFormTest, EventFileIsWholeOrNotWritten) {
    const fs::path dir = fs::temp_directory_path() / ("velkaro-planner-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "meeting.ics";
    form.AskEventFile = [&] { return QString::fromStdString(file.string()); };
    form.btnSaveEventClick();  // the first common hour: 15:00 in Paris
    std::ifstream in(file, std::ios::binary);
    const std::string ics((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(ics.find("\r\nDTSTART:20261208T140000Z\r\n"), std::string::npos);
    EXPECT_TRUE(failures.isEmpty());

    form.AskEventFile = [&] { return QString::fromStdString((dir / "missing" / "x.ics").string()); };
    form.btnSaveEventClick();
    EXPECT_EQ(failures.size(), 1);
    form.AskEventFile = [] { return QString(); };  // cancelled: nothing happens
    form.btnSaveEventClick();
    EXPECT_EQ(failures.size(), 1);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace velkaro
