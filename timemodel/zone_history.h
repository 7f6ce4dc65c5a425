// A zone's past: the offsets it kept from 1970 until its yearly rule took over, read from the
// fields after the thirteenth of its zone line.
//
// Each field is "YYYYMMDDhhmm[ss]=offset": from that UTC instant on the zone is offset minutes
// east of UTC ("-44:30" for minutes and seconds). The last field is "YYYYMMDDhhmm[ss]=rule":
// from that instant on the yearly rule of the thirteen fields holds, as it does before the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkaro {

class TZoneHistory {
public:
    // Reads fields[first..]; all empty or none means no history. On damage leaves the history
    // empty and returns what is wrong, naming the 1-based field.
    std::string Read(const std::vector<std::string>& fields, size_t first);
    bool Empty() const { return Utc.empty(); }
    size_t Size() const { return Utc.size(); }
    int64_t EndUtcMs() const { return EndUtc; }

    // The offset in milliseconds the rule gives at the end of the history: where a local time
    // is handed over to the rule (the zone sets it once its rule is known).
    void SetRuleOffsetAtEnd(int64_t offsetMs);

    // Offset in milliseconds at a UTC instant, or at a wall-clock time of the zone (both in ms
    // since 1899-12-30); nullopt outside the history, where the yearly rule holds.
    std::optional<int64_t> OffsetAtUtc(int64_t utcMs) const;
    std::optional<int64_t> OffsetAtWall(int64_t wallMs) const;

private:
    // Parallel arrays, sorted: a change's UTC instant, the wall-clock time from which a local
    // time takes its offset, and the offset.
    std::vector<int64_t> Utc, Wall, Offset;
    int64_t EndUtc = 0, EndWall = 0;
};

}  // namespace velkaro
