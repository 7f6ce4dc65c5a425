// Reading a daytime server's reply. A reply counts as a time only when its whole text has one
// of the layouts real servers send; anything else is no time at all, never a guess:
//   day-month-year  05 DEC 2026 12:13:20 GMT                         (zone optional: GMT)
//   nist            61380 26-12-06 21:00:00 00 0 0 50.0 UTC(NIST) *   (modified Julian day first)
//   ctime           Sun Dec  6 06:08:19 2026                          (BSD inetd; UTC)
//   long            Sunday, December 6, 2026 06:08:19-UTC
// Line breaks before and blanks, tabs and line breaks after the reply are allowed.
#pragma once

#include <optional>
#include <string>

#include "timemodel/date_time.h"

namespace velkaro {

enum class TReplyLayout { None, DayMonthYear, Nist, Ctime, Long };

struct TDaytimeReply {
    TReplyLayout Layout = TReplyLayout::None;  // None: the reply is not a time
    TDateTime ServerUtc = 0;                    // the server's time in UTC, when a layout matched
    int Health = 0;                             // the NIST health digit: 0 healthy, 2 and above not
};

// Pure: depends on nothing but the text.
TDaytimeReply ReadDaytimeReply(const std::string& reply);

// A NIST server whose health digit is 2 or more says its own time is not to be trusted.
inline bool IsUnhealthy(const TDaytimeReply& r) { return r.Layout == TReplyLayout::Nist && r.Health >= 2; }

// The server's UTC time when the reply is a time from a healthy server.
std::optional<TDateTime> ParseServerReply(const std::string& reply);

// "day-month-year", "nist", "ctime", "long", or "none".
const char* ReplyLayoutName(TReplyLayout layout);

// "JAN".."DEC" in any case -> 1..12; anything else 0.
int MonthNameToNumber(const std::string& text);
// Minutes to add to a time of the zone to get UTC: military letters (not J), +hh[mm] / -hh[mm],
// hh[mm], the names of the table (North American ones, BST), GMT, UT and UTC. Nothing for anything
// else, nor for a name with more than one everyday meaning.
std::optional<int> ZoneNameToBias(const std::string& text);

// The first line of a reply, for a message: at most `limit` characters, every byte that is not
// printable ASCII shown as "?", "..." when cut.
std::string ReplyExcerpt(const std::string& reply, size_t limit = 60);

// The computer's UTC clock minus the server's UTC time, in days: positive when the computer
// is ahead.
inline TDateTime ClockOffset(TDateTime computerUtc, TDateTime serverUtc) { return computerUtc - serverUtc; }

}  // namespace velkaro
