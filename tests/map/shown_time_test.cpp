// Stepping the shown moment, the scrubber's scale and the preview marker.
#include "map/shown_time.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0) { return EncodeDateTime(y, mo, d, h, mi, s); }
int64_t Ms(TDateTime t) { return DateTimeToMs(t); }

// The first step away from the clock lands on the neighbouring boundary; the seconds stop.
TEST(ShownTime, StepsLandOnTheirBoundaries) {
    const TDateTime now = At(2026, 12, 8, 10, 7, 30);
    struct Case {
        int count;
        TScrubUnit unit;
        TDateTime expected;
    } cases[] = {
        {1, TScrubUnit::suQuarter, At(2026, 12, 8, 10, 15)},  {-1, TScrubUnit::suQuarter, At(2026, 12, 8, 10, 0)},
        {3, TScrubUnit::suQuarter, At(2026, 12, 8, 10, 45)},  {1, TScrubUnit::suHour, At(2026, 12, 8, 11, 0)},
        {-2, TScrubUnit::suHour, At(2026, 12, 8, 9, 0)},      {1, TScrubUnit::suDay, At(2026, 12, 9, 10, 0)},
        {-1, TScrubUnit::suDay, At(2026, 12, 7, 10, 0)},      {-9, TScrubUnit::suQuarter, At(2026, 12, 8, 8, 0)},
    };
    for (const Case& c : cases) {
        TShownTime shown;
        shown.Step(now, c.count, c.unit);
        EXPECT_FALSE(shown.IsLive());
        EXPECT_EQ(Ms(shown.Shown(now + 1)), Ms(c.expected)) << c.count << " of " << int(c.unit);
    }
}

TEST(ShownTime, StepsFromAPreviewKeepItsGrid) {
    const TDateTime now = At(2026, 12, 8, 10, 7, 30);
    TShownTime shown;
    shown.PreviewAt(At(2026, 3, 29, 0, 30));
    shown.Step(now, 1, TScrubUnit::suHour);
    EXPECT_EQ(Ms(shown.Shown(now)), Ms(At(2026, 3, 29, 1, 0)));
    shown.Step(now, -1, TScrubUnit::suQuarter);
    EXPECT_EQ(Ms(shown.Shown(now)), Ms(At(2026, 3, 29, 0, 45)));
    shown.Step(now, 1, TScrubUnit::suDay);  // a day keeps the minutes
    EXPECT_EQ(Ms(shown.Shown(now)), Ms(At(2026, 3, 30, 0, 45)));
    shown.ReturnToNow();
    EXPECT_TRUE(shown.IsLive());
    EXPECT_EQ(shown.Shown(now), now);
}

// However far it is pushed, the moment stays inside the years the calendar can show.
TEST(ShownTime, HeldInsideTheCalendar) {
    const TDateTime now = At(2026, 12, 8, 10, 7, 30);
    TShownTime shown;
    shown.Step(now, -2'000'000'000, TScrubUnit::suDay);
    EXPECT_EQ(DecodeDateTime(shown.Shown(now)).Year, 1901);
    shown.Step(now, 2'000'000'000, TScrubUnit::suDay);
    shown.Step(now, 2'000'000'000, TScrubUnit::suDay);
    EXPECT_EQ(DecodeDateTime(shown.Shown(now)).Year, 2199);
    shown.PreviewAt(At(9000, 1, 1, 0, 0));
    EXPECT_EQ(DecodeDateTime(shown.Shown(now)).Year, 2199);
}

TEST(ShownTime, SliderScaleRoundTripsAndSnaps) {
    const TDateTime now = At(2026, 12, 8, 10, 7, 30);
    TShownTime shown;
    // While live, position 0 is the quarter hour of now.
    EXPECT_EQ(Ms(shown.SliderMoment(now, 0, TScrubUnit::suQuarter, 0)), Ms(At(2026, 12, 8, 10, 0)));
    shown.Step(now, 3, TScrubUnit::suQuarter);
    EXPECT_EQ(shown.SliderValue(), 3);
    // The anchor stays where the preview began, however the clock moves on.
    const TDateTime later = At(2026, 12, 8, 12, 0);
    EXPECT_EQ(Ms(shown.SliderMoment(later, 3, TScrubUnit::suQuarter, 0)), Ms(At(2026, 12, 8, 10, 45)));
    EXPECT_EQ(Ms(shown.SliderMoment(later, 3, TScrubUnit::suHour, 0)), Ms(At(2026, 12, 8, 11, 0)));
    EXPECT_EQ(Ms(shown.SliderMoment(later, -97, TScrubUnit::suHour, 0)), Ms(At(2026, 12, 7, 10, 0)));
    const TDateTime origin = At(2026, 12, 8, 10, 45);
    EXPECT_EQ(Ms(shown.SliderMoment(later, 3 + 212, TScrubUnit::suDay, origin)), Ms(At(2026, 12, 10, 10, 45)));
    EXPECT_EQ(Ms(shown.SliderMoment(later, 3 - 30, TScrubUnit::suDay, origin)), Ms(origin));
    shown.PreviewAt(At(2027, 1, 8, 10, 0));  // a month on: the scale reaches it
    EXPECT_EQ(shown.SliderValue(), 31 * 96);
}

TEST(ShownTime, PreviewMarkerInTheCityTimeOrUtc) {
    LoadLists(VELKARO_BIN_DIR "/");
    const TCity* paris = nullptr;
    for (const auto& c : CityList)
        if (c->Name == "Paris") paris = c.get();
    ASSERT_NE(paris, nullptr);
    // Paris keeps UTC+1 in winter and UTC+2 in summer.
    EXPECT_EQ(PreviewText(paris, At(2026, 12, 8, 14, 30)), "Preview: Tuesday 8 December, 15:30 in Paris");
    EXPECT_EQ(PreviewText(paris, At(2026, 7, 1, 22, 0)), "Preview: Thursday 2 July, 00:00 in Paris");
    EXPECT_EQ(PreviewText(nullptr, At(2026, 12, 8, 14, 30)), "Preview: Tuesday 8 December, 14:30 UTC");
    ClearLists();
}

}  // namespace
}  // namespace velkaro
