// Working hours, the hour-by-hour plan against known offsets, and the shared slot's text and
// calendar file.
#include "planner/meeting_plan.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/error.h"

namespace velkaro {

void PrintTo(const TPlanNote& n, std::ostream* os) { *os << n.Hour << ": " << n.Text; }

namespace {

TEST(WorkingHours, ParsesOnlyWholeRangesOfOneDay) {
    struct Case {
        const char* text;
        int start, end;  // -1: refused
    } cases[] = {
        {"9-17", 540, 1020},   {"09:00-17:30", 540, 1050}, {"8:30-12", 510, 720}, {"0-24", 0, 1440},
        {"17-9", -1, -1},      {"9-9", -1, -1},            {"9-25", -1, -1},      {"9:5-17", -1, -1},
        {"9:60-17", -1, -1},   {"9-17x", -1, -1},          {"", -1, -1},          {"-17", -1, -1},
        {"9 - 17", -1, -1},    {"123-200", -1, -1},        {"9-", -1, -1},        {"24:01-24:02", -1, -1},
    };
    for (const Case& c : cases) {
        const auto h = ParseWorkingHours(c.text);
        ASSERT_EQ(h.has_value(), c.start >= 0) << c.text;
        if (h) {
            EXPECT_EQ(std::pair(h->StartMinute, h->EndMinute), std::pair(c.start, c.end)) << c.text;
        }
    }
}

TEST(WorkingHours, StoredFormRoundTripsAndRefusesDamage) {
    const TWorkingHours custom{480, 1230, 0x41};  // 08:00-20:30, Saturday and Sunday
    EXPECT_EQ(LoadWorkingHours(StoreWorkingHours(custom)), custom);
    EXPECT_EQ(LoadWorkingHours(StoreWorkingHours(TWorkingHours())), TWorkingHours());
    EXPECT_EQ(WorkingHoursText(TWorkingHours()), "09:00-17:00");
    EXPECT_EQ(WorkingHoursText(custom), "08:00-20:30 Sun,Sat");
    for (const char* bad : {"", "540,1020", "540,1020,62,1", "a,b,c", "600,500,62", "540,1441,62", "540,1020,128",
                            "-1,1020,62", "540,,62", "99999999999999,1020,62"})
        EXPECT_FALSE(LoadWorkingHours(bad).has_value()) << bad;
}

class MeetingPlanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLists(VELKARO_BIN_DIR "/"); }
    static void TearDownTestSuite() { ClearLists(); }
    static TPlanPlace Place(const std::string& name, TWorkingHours hours = {}) {
        for (const auto& c : CityList)
            if (c->Name == name) return {name, &ZoneOfCity(*c), hours};
        throw std::runtime_error("no city " + name);
    }
    static std::string Kinds(const TPlanRow& row) {
        std::string s;
        for (const TPlanCell& c : row.Cells) s += c.Kind == THourKind::hkWorking ? 'W' : c.Kind == THourKind::hkEarlyLate ? 'e' : '.';
        return s;
    }
    static std::vector<int> LocalHours(const TPlanRow& row) {
        std::vector<int> h;
        for (const TPlanCell& c : row.Cells) h.push_back(DecodeDateTime(c.Local).Hour);
        return h;
    }
};

// Offsets in December, from the system's zone database: Paris +1, New York -5, Tokyo +9.
TEST_F(MeetingPlanTest, ParisNewYorkTokyoInDecember) {
    const TMeetingPlan plan = PlanMeeting({Place("Paris"), Place("New York"), Place("Tokyo")}, 2026, 12, 8);
    ASSERT_EQ(plan.Rows.size(), 3u);
    // The day is Paris's: from its midnight, 23:00 UTC the day before.
    EXPECT_EQ(plan.Rows[0].Cells[0].UtcMs, DateTimeToMs(EncodeDateTime(2026, 12, 7, 23)));
    EXPECT_EQ(Kinds(plan.Rows[0]), ".......eeWWWWWWWWeeeee..");
    EXPECT_EQ(Kinds(plan.Rows[1]), "eeee.........eeWWWWWWWWe");  // 18:00 the day before onwards
    EXPECT_EQ(Kinds(plan.Rows[2]), "eWWWWWWWWeeeee.........e");  // 08:00 Tokyo onwards
    EXPECT_EQ(LocalHours(plan.Rows[1]).front(), 18);
    EXPECT_EQ(LocalHours(plan.Rows[2]).back(), 7);
    EXPECT_EQ(plan.FirstCommon(), -1);  // no hour suits all three
    EXPECT_EQ(plan.Rows[1].Notes, (std::vector<TPlanNote>{{0, "-1 day"}}));
    EXPECT_EQ(plan.Rows[2].Notes, (std::vector<TPlanNote>{{16, "+1 day"}}));

    const TMeetingPlan two = PlanMeeting({Place("Paris"), Place("New York")}, 2026, 12, 8);
    EXPECT_EQ(two.FirstCommon(), 15);
    EXPECT_TRUE(two.Common[16]);
    EXPECT_FALSE(two.Common[17]);
    EXPECT_EQ(SlotText(two, 15, 2), "Paris: Tuesday 8 December 2026, 15:00-17:00\r\n"
                                    "New York: Tuesday 8 December 2026, 09:00-11:00");
}

// 25 October 2026: Paris goes back from 03:00 to 02:00 (01:00 UTC), London from 02:00 to
// 01:00; New York stays on summer time until 1 November.
TEST_F(MeetingPlanTest, ClockChangesAndDatesShowWhereTheyFall) {
    const TMeetingPlan plan = PlanMeeting({Place("Paris"), Place("London"), Place("New York")}, 2026, 10, 25);
    const std::vector<int> paris = LocalHours(plan.Rows[0]);
    EXPECT_EQ(std::vector<int>(paris.begin(), paris.begin() + 5), (std::vector<int>{0, 1, 2, 2, 3}));
    EXPECT_EQ(paris.back(), 22);  // the day has 25 hours; 24 columns end at 23:00
    EXPECT_EQ(plan.Rows[0].Notes, (std::vector<TPlanNote>{{3, "clocks go back at 03:00"}}));
    EXPECT_EQ(plan.Rows[1].Notes, (std::vector<TPlanNote>{{0, "-1 day"}, {3, "clocks go back at 02:00"}}));
    EXPECT_EQ(plan.Rows[2].Notes, (std::vector<TPlanNote>{{0, "-1 day"}}));
    // Sunday: nobody works, and the London hours after the change are still whole hours.
    EXPECT_EQ(plan.FirstCommon(), -1);
    EXPECT_EQ(Kinds(plan.Rows[1]).find('W'), std::string::npos);

    // Spring: New York goes forward from 02:00 to 03:00 on 8 March 2026.
    const TMeetingPlan spring = PlanMeeting({Place("New York")}, 2026, 3, 8);
    // A 23-hour day: the last column is already the next day.
    EXPECT_EQ(spring.Rows[0].Notes, (std::vector<TPlanNote>{{2, "clocks go forward at 02:00"}, {23, "+1 day"}}));
    EXPECT_EQ(LocalHours(spring.Rows[0])[2], 3);
}

// Half-hour zones: only the hours wholly inside the working day count.
TEST_F(MeetingPlanTest, PartHoursAndOwnWorkingDays) {
    const TMeetingPlan india = PlanMeeting({Place("Delhi")}, 2026, 12, 8);
    EXPECT_EQ(Kinds(india.Rows[0]), ".......eeWWWWWWWWeeeee..");  // its own midnight: whole hours
    const TMeetingPlan both = PlanMeeting({Place("Paris"), Place("Delhi")}, 2026, 12, 8);
    // Delhi's 09:00-17:00 is Paris's 04:30-12:30: the whole Paris hours 5 to 11.
    EXPECT_EQ(Kinds(both.Rows[1]).substr(4, 9), "eWWWWWWWe");

    TWorkingHours weekend;
    weekend.Days = 0x41;
    const TMeetingPlan saturday = PlanMeeting({Place("Paris", weekend), Place("Paris")}, 2026, 12, 12);
    EXPECT_EQ(saturday.Rows[0].Cells[10].Kind, THourKind::hkWorking);
    EXPECT_EQ(saturday.Rows[1].Cells[10].Kind, THourKind::hkEarlyLate);

    EXPECT_THROW(PlanMeeting({}, 2026, 12, 8), Error);
    EXPECT_THROW(PlanMeeting({Place("Paris")}, 2026, 2, 29), Error);
    EXPECT_THROW(PlanMeeting({Place("Paris")}, 10000, 1, 1), Error);
    EXPECT_THROW(SlotText(india, 23, 2), Error);
}

// Unfolds content lines as RFC 5545 section 3.1 says: a CRLF followed by one blank is removed.
std::string Unfolded(const std::string& ics) {
    std::string out;
    for (size_t i = 0; i < ics.size(); ++i) {
        if (ics.compare(i, 3, "\r\n ") == 0) {
            i += 2;
            continue;
        }
        out += ics[i];
    }
    return out;
}

TEST_F(MeetingPlanTest, CalendarFileIsFoldedEscapedUtc) {
    TPlanPlace office = Place("Tokyo");
    office.Label = "Bureau \xC3\xA9t\xC3\xA9, 3; \"Shinjuku\" \\ Annex \xE2\x80\x94 floor 12 with a long name";
    const TMeetingPlan plan = PlanMeeting({Place("Paris"), office}, 2026, 12, 8);
    const std::string ics = MeetingIcs(plan, 8, 1, EncodeDateTime(2026, 12, 1, 12, 0, 5));
    // Every line ends in CR LF and is at most 75 octets; a fold never splits a UTF-8 character.
    std::istringstream in(ics);
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        EXPECT_LE(line.size() - 1, 75u) << line;
        EXPECT_NE(static_cast<unsigned char>(line[0]) & 0xC0, 0x80) << line;
    }
    const std::string flat = Unfolded(ics);
    EXPECT_NE(flat.find("\r\nDTSTART:20261208T070000Z\r\nDTEND:20261208T080000Z\r\n"), std::string::npos);
    EXPECT_NE(flat.find("\r\nDTSTAMP:20261201T120005Z\r\n"), std::string::npos);
    EXPECT_NE(flat.find("DESCRIPTION:Paris: Tuesday 8 December 2026\\, 08:00-09:00\\nBureau \xC3\xA9t\xC3\xA9\\, 3\\; "
                        "\"Shinjuku\" \\\\ Annex \xE2\x80\x94 floor 12 with a long name: Tuesday 8 December 2026\\, "
                        "16:00-17:00\r\n"),
              std::string::npos);
    EXPECT_EQ(flat.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_EQ(flat.substr(flat.size() - 27), "END:VEVENT\r\nEND:VCALENDAR\r\n");
    // The same slot keeps its identifier; another slot gets another.
    const auto uid = [](const std::string& s) { return s.substr(s.find("UID:"), s.find("\r\n", s.find("UID:")) - s.find("UID:")); };
    EXPECT_EQ(uid(flat), uid(Unfolded(MeetingIcs(plan, 8, 1, EncodeDateTime(2027, 1, 1)))));
    EXPECT_NE(uid(flat), uid(Unfolded(MeetingIcs(plan, 9, 1, EncodeDateTime(2026, 12, 1)))));
    // 8-bit text that is not UTF-8 is taken as Latin-1.
    office.Label = "S\xE3o Paulo";
    const std::string latin = Unfolded(MeetingIcs(PlanMeeting({office}, 2026, 12, 8), 0, 1, 0 + EncodeDateTime(2026, 1, 1)));
    EXPECT_NE(latin.find("S\xC3\xA3o Paulo: "), std::string::npos);
}

}  // namespace
}  // namespace velkaro
