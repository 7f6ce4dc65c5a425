// Reading a daytime server's reply: "05 DEC 2026 12:13:20 GMT" (day, month abbreviation,
// year, time, zone), and as a fallback the form the NIST servers send,
// "61380 26-12-06 06:12:03 00 0 0 123.4 UTC(NIST) *".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "timemodel/date_time.h"

namespace velkaro {

// The reply cut at blank, ",", ":", CR and LF. Adjacent separators give an empty token; a
// separator at the very end gives none.
std::vector<std::string> SplitReplyTokens(const std::string& reply);
// A 32-bit integer: leading blanks, optional sign, "$", "x" or "0x" for hexadecimal;
// anything else gives the default.
int ReadReplyNumber(const std::string& token, int defaultValue);
// "JAN".."DEC" in any case -> 1..12; anything else 0.
int MonthNameToNumber(const std::string& text);
// Minutes to add to a time of the zone to get UTC: military letters, +hhmm / -hhmm, hhmm, and
// the North American names; anything unknown is taken as UTC.
int ZoneNameToBias(const std::string& text);

// The server's time in UTC, or nothing when the reply does not form a valid date and time.
std::optional<TDateTime> ParseServerReply(const std::string& reply);
std::optional<TDateTime> ParseNistReply(const std::string& reply);

// The computer's UTC clock minus the server's UTC time, in days: positive when the computer
// is ahead.
inline TDateTime ClockOffset(TDateTime computerUtc, TDateTime serverUtc) { return computerUtc - serverUtc; }

}  // namespace velkaro
