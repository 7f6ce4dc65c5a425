#include "map/shown_time.h"

#include <algorithm>
#include <cmath>

#include "timemodel/time_format.h"

namespace velkaro {

namespace {

constexpr int64_t kQuarterMs = 15 * 60 * 1000;
constexpr int64_t kHourMs = 4 * kQuarterMs;
constexpr int64_t kDayMs = 24 * kHourMs;

int64_t UnitMs(TScrubUnit unit) {
    switch (unit) {
        case TScrubUnit::suHour: return kHourMs;
        case TScrubUnit::suDay: return kDayMs;
        default: return kQuarterMs;
    }
}

int64_t FloorTo(int64_t ms, int64_t unit) { return ms - ((ms % unit) + unit) % unit; }
int64_t CeilTo(int64_t ms, int64_t unit) { return -FloorTo(-ms, unit); }

// The zone tables and the calendar cover these years; a moment outside them could not be shown.
int64_t Clamped(int64_t ms) {
    static const int64_t lo = DateTimeToMs(EncodeDateTime(1901, 1, 1));
    static const int64_t hi = DateTimeToMs(EncodeDateTime(2199, 12, 31));
    return std::clamp(ms, lo, hi);
}

}  // namespace

TDateTime TShownTime::Shown(TDateTime now) const { return previewMs_ ? MsToDateTime(*previewMs_) : now; }

void TShownTime::Anchor(int64_t nowMs) {
    if (!previewMs_) anchorMs_ = FloorTo(nowMs, kQuarterMs);
}

void TShownTime::Step(TDateTime now, int count, TScrubUnit unit) {
    if (count == 0) return;
    const int64_t nowMs = DateTimeToMs(now);
    Anchor(nowMs);
    // The seconds stop: a preview begins on the quarter hour.
    const int64_t from = previewMs_ ? *previewMs_ : nowMs;
    const int64_t u = UnitMs(unit);
    int64_t to;
    if (unit == TScrubUnit::suDay)
        to = (previewMs_ ? from : FloorTo(from, kQuarterMs)) + count * u;
    else
        to = (count > 0 ? FloorTo(from, u) : CeilTo(from, u)) + count * u;
    previewMs_ = Clamped(to);
}

void TShownTime::PreviewAt(TDateTime utc) {
    const int64_t ms = DateTimeToMs(utc);
    if (!previewMs_) anchorMs_ = FloorTo(ms, kQuarterMs);
    previewMs_ = Clamped(ms);
}

int TShownTime::SliderValue() const {
    if (!previewMs_) return 0;
    const int64_t q = (FloorTo(*previewMs_, kQuarterMs) - anchorMs_) / kQuarterMs;
    return int(std::clamp<int64_t>(q, -10'000'000, 10'000'000));
}

TDateTime TShownTime::SliderMoment(TDateTime now, int value, TScrubUnit unit, TDateTime dayOrigin) const {
    const int64_t anchor = previewMs_ ? anchorMs_ : FloorTo(DateTimeToMs(now), kQuarterMs);
    int64_t ms = anchor + int64_t(value) * kQuarterMs;
    if (unit == TScrubUnit::suHour) {
        ms = FloorTo(ms + kHourMs / 2, kHourMs);
    } else if (unit == TScrubUnit::suDay) {
        const int64_t origin = DateTimeToMs(dayOrigin);
        const double days = std::round(double(ms - origin) / double(kDayMs));
        ms = origin + int64_t(days) * kDayMs;
    }
    return MsToDateTime(Clamped(ms));
}

std::string PreviewText(const TCity* city, TDateTime utc) {
    constexpr const char* kPattern = "ww d mmmm, HH:MM";
    if (!city) return "Preview: " + FormatTimePattern(kPattern, utc) + " UTC";
    return "Preview: " + CityTimeText(*city, kPattern, utc) + " in " + city->Name;
}

}  // namespace velkaro
