// Reading daytime replies: each layout real servers send, and the replies that must not be
// taken for a time.
#include "sync/daytime_reply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkaro {
namespace {

constexpr double kMs = 1.0 / 86400000.0;
constexpr double kHour = 1.0 / 24;
using L = TReplyLayout;

TEST(ReadDaytimeReply, Layouts) {
    const TDateTime dec5 = EncodeDateTime(2026, 12, 5, 12, 13, 20);
    const TDateTime dec6 = EncodeDateTime(2026, 12, 6, 6, 8, 19);
    struct Case { std::string Reply; L Layout; TDateTime Utc; int Health; };
    const Case cases[] = {
        // xinetd and the like: strftime "%d %b %Y %H:%M:%S %Z" (the zones are ZoneNameToBias's)
        {"05 DEC 2026 12:13:20 GMT\r\n", L::DayMonthYear, dec5, 0},
        {"05 Dec 2026 12:13:20 EST\r\n", L::DayMonthYear, dec5 + 5 * kHour, 0},
        {"05 DEC 2026 12:13:20 +0100\r\n", L::DayMonthYear, dec5 - kHour, 0},
        {"05 DEC 2026 12:13:20", L::DayMonthYear, dec5, 0},  // no zone: GMT
        {"5 DEC 2026 12:13:20 GMT \t\r\n\r\n", L::DayMonthYear, dec5, 0},
        {"29 FEB 2000 00:00:00 GMT", L::DayMonthYear, EncodeDateTime(2000, 2, 29), 0},  // a leap century
        // NIST: the reply begins with a line break
        {"\n61380 26-12-06 21:00:00 00 0 0  50.0 UTC(NIST) * \n", L::Nist, EncodeDateTime(2026, 12, 6, 21, 0, 0), 0},
        {"\n61380 26-12-06 21:00:00 50 0 1 123.4 UTC(NIST) #\n", L::Nist, EncodeDateTime(2026, 12, 6, 21, 0, 0), 1},
        {"\n61380 26-12-06 21:00:00 00 0 2 50.0 UTC(NIST) *\n", L::Nist, EncodeDateTime(2026, 12, 6, 21, 0, 0), 2},
        {"51178 98-12-31 23:59:59 00 0 0 50.0 UTC(NIST) *", L::Nist, EncodeDateTime(1998, 12, 31, 23, 59, 59), 0},
        // BSD and macOS inetd: ctime, UTC
        {"Sun Dec  6 06:08:19 2026\r\n", L::Ctime, dec6, 0},
        {"Wed Dec 16 06:08:19 2026\r\n", L::Ctime, dec6 + 10, 0},
        // the long layout
        {"Sunday, December 6, 2026 06:08:19-UTC\r\n", L::Long, dec6, 0},
        {"Sunday, December 6, 2026 06:08:19-EST", L::Long, dec6 + 5 * kHour, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reply);
        TDaytimeReply r = ReadDaytimeReply(c.Reply);
        EXPECT_EQ(r.Layout, c.Layout);
        EXPECT_NEAR(r.ServerUtc, c.Utc, kMs);
        EXPECT_EQ(r.Health, c.Health);
        EXPECT_EQ(ParseServerReply(c.Reply).has_value(), c.Health < 2);
    }
}

TEST(ReadDaytimeReply, NotATime) {
    const std::string cases[] = {
        "", "\r\n", "hello\r\n", "HTTP/1.1 400 Bad Request\r\n",
        std::string("0\0 DEC 2026 12:13:20 GMT", 24),     // a NUL in the day
        "xx DEC 2026 12:13:20 GMT", "05 DEC year 12:13:20 GMT", "$5 DEC 2026 12:13:20 GMT", "+5 DEC 2026 12:13:20 GMT",
        "05 DEC 20262026202 12:13:20 GMT",                 // an 11-digit year
        "05 DEC 26 12:13:20 GMT", "05 DEC 0000 12:13:20 GMT",
        "05 DEC 2026 12:13:20 CET",                        // a zone the table lacks
        "05 DEC 2026 12:13:20 J", "05 DEC 2026 12:13:20 +01xx", "05 DEC 2026 12:13:20 +2400",
        "05 DEC 2026 12:13:20 GMT extra",                  // leftover text
        "05 DEC 2026 12:13:20 GMT\r\nsecond line", "05 December 2026 12:13:20 GMT", "Sat, 05 DEC 2026 12:13:20 GMT",
        " 05 DEC 2026 12:13:20 GMT", "05, DEC 2026 12:13:20 GMT", "05 DEC 2026", "05 DEC 2026 12:13",
        "29 FEB 2026 00:00:00 GMT", "31 APR 2026 00:00:00 GMT", "00 DEC 2026 12:13:20 GMT", "05 DEC 2026 24:00:00 GMT",
        "05 DEC 2026 12:60:00 GMT", "05 DEC 2026 12:13:60 GMT", "05 DEC 2026 012:13:20 GMT",
        "61381 26-12-06 21:00:00 00 0 0 50.0 UTC(NIST) *",  // day number and date disagree
        "61380 27-12-06 21:00:00 00 0 0 50.0 UTC(NIST) *",  // ... in the year only
        "61380 26-13-06 21:00:00 00 0 0 50.0 UTC(NIST) *", "61380 26/12/06 21:00:00 00 0 0 50.0 UTC(NIST) *",
        "61380 26-12-06 21:00:00", "61380 26-12-06 21:00:00 00 0 0 50.0 UTC(PTB) *",
        "61380 26-12-06 21:00:00 00 0 x 50.0 UTC(NIST) *", "61380 26-12-06 21:00:00 00 0 0 50.0 UTC(NIST) * junk",
        "Mon Dec  6 06:08:19 2026",                        // the weekday disagrees
        "Sun Dec 6 06:08:19 2026", "Sun Dec  6 06:08:19 2026 UTC", "Sun Xyz  6 06:08:19 2026", "Sun Dec  6 06:08:19 20x6",
        "Monday, December 6, 2026 06:08:19-UTC", "Sunday, December 6, 2026 06:08:19-CET",
        "Sunday, Dec 6, 2026 06:08:19-UTC", "Sunday, December 6, 2026 06:08:19",
        std::string(5000, '7'),
    };
    for (const std::string& reply : cases) {
        SCOPED_TRACE(ReplyExcerpt(reply));
        EXPECT_EQ(ReadDaytimeReply(reply).Layout, L::None);
        EXPECT_FALSE(ParseServerReply(reply));
    }
}

TEST(ZoneNameToBias, Table) {
    struct Case { const char* Zone; std::optional<int> Bias; };
    const Case cases[] = {
        // The letters at each end of their runs, the numeric forms, and a few names of the table.
        {"A", -60},   {"a", -60},    {"I", -540},   {"K", -600},   {"M", -720},   {"N", 60},     {"Y", 720},
        {"Z", 0},     {"+0100", -60}, {"-0500", 300}, {"+0530", -330}, {"-03", 180}, {"0100", -60}, {"0930", -570},
        {"NST", 210}, {"edt", 240},  {"BST", -60},  {"GMT", 0},    {"UTC", 0},    {"UT", 0},
        // Names that mean different offsets in everyday use are no zone rather than a guess.
        {"CST", std::nullopt}, {"CDT", std::nullopt}, {"PST", std::nullopt}, {"PDT", std::nullopt},
        {"BDT", std::nullopt},
        {"", std::nullopt},    {"J", std::nullopt},     {"1", std::nullopt},      {"CET", std::nullopt},
        {"+01xx", std::nullopt}, {"+010", std::nullopt}, {"+2500", std::nullopt}, {"-", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ZoneNameToBias(c.Zone), c.Bias) << "'" << c.Zone << "'";
}

TEST(ReplyExcerpt, FirstLineCutAndPrintable) {
    EXPECT_EQ(ReplyExcerpt("\r\nhello\r\nworld"), "hello");
    EXPECT_EQ(ReplyExcerpt(std::string("a\0b\x1b[2J\xff", 8)), "a?b?[2J?");
    EXPECT_EQ(ReplyExcerpt(std::string(100, 'x'), 10), "xxxxxxxxxx...");
}

}  // namespace
}  // namespace velkaro
