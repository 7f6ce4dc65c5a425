// The moment every display of the main window shows: the live clock, or a moment the user
// moved to with the scrubber. Plain C++, so that the stepping rules are tested without a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

enum class TScrubUnit { suQuarter, suHour, suDay };

class TShownTime {
public:
    bool IsLive() const { return !previewMs_; }
    // The moment to show when the clock reads `now` (UTC).
    TDateTime Shown(TDateTime now) const;
    // Moves by `count` units. A quarter or an hour lands on that unit's boundary, so the first
    // step away from the live clock goes to the boundary next to now; a day keeps the time of day.
    void Step(TDateTime now, int count, TScrubUnit unit);
    // Shows exactly this moment (held inside the years the zone tables cover).
    void PreviewAt(TDateTime utc);
    void ReturnToNow() { previewMs_.reset(); }

    // The scrubber's scale: quarter hours from the quarter hour at or before the moment the
    // preview began; 0 while live.
    int SliderValue() const;
    // The moment of a slider position, snapped to the unit a modifier asks for: whole hours, or
    // whole days away from `dayOrigin` (the moment a drag began).
    TDateTime SliderMoment(TDateTime now, int value, TScrubUnit unit, TDateTime dayOrigin) const;

private:
    void Anchor(int64_t nowMs);
    std::optional<int64_t> previewMs_;  // milliseconds since 1899-12-30, UTC
    int64_t anchorMs_ = 0;
};

// The marker shown while previewing: "Preview: Tuesday 8 December, 15:30 in Paris" in the
// city's time; without a city, in UTC.
std::string PreviewText(const TCity* city, TDateTime utc);

}  // namespace velkaro
