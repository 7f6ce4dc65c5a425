// Reading daytime replies: tokens, numbers, month and zone names, and the NIST form.
#include "sync/daytime_reply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkaro {
namespace {

constexpr double kMs = 1.0 / 86400000.0;

TEST(SplitReplyTokens, Table) {
    using V = std::vector<std::string>;
    struct Case { std::string Reply; V Tokens; };
    const Case cases[] = {
        {"05 DEC 2026 12:13:20 GMT\r\n", {"05", "DEC", "2026", "12", "13", "20", "GMT", ""}}, {"a b", {"a", "b"}},
        {"a b ", {"a", "b"}}, {" a", {"", "a"}}, {"a, b", {"a", "", "b"}}, {"", {}}, {"\n", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitReplyTokens(c.Reply), c.Tokens) << c.Reply;
}

TEST(ReadReplyNumber, Table) {
    struct Case { const char* Token; int Value; };
    const Case cases[] = {
        {"05", 5},       {"  12", 12},   {"+7", 7},          {"-7", -7},         {"$1F", 31},
        {"x10", 16},     {"0x10", 16},   {"0X1f", 31},       {"-$10", -16},      {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},      {"-2147483648", -2147483647 - 1},   {"2147483648", 99},
        {"", 99},        {"12a", 99},    {"DEC", 99},        {"1 ", 99},         {"-", 99},
        {"$", 99},       {"0x", 99},     {"$100000000", 99},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadReplyNumber(c.Token, 99), c.Value) << "'" << c.Token << "'";
}

TEST(MonthNameToNumber, Table) {
    const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(MonthNameToNumber(months[i]), i + 1);
    EXPECT_EQ(MonthNameToNumber("dec"), 12);
    EXPECT_EQ(MonthNameToNumber("Dec"), 12);
    EXPECT_EQ(MonthNameToNumber("December"), 0);
    EXPECT_EQ(MonthNameToNumber("DE"), 0);
    EXPECT_EQ(MonthNameToNumber(""), 0);
}

TEST(ZoneNameToBias, Table) {
    struct Case { const char* Zone; int Bias; };
    const Case cases[] = {
        {"", 0},      {"A", -60},    {"a", -60},   {"I", -540},  {"J", 0},      {"K", -600},   {"M", -720},
        {"N", 60},    {"Y", 720},    {"Z", 0},     {"1", 0},     {"+0100", -60}, {"-0500", 300}, {"+0530", -330},
        {"-03", 180}, {"0100", -60}, {"0930", -570}, {"+01xx", -60}, {"NST", 210},  {"AST", 240},  {"ADT", 180},
        {"EST", 300}, {"edt", 240},  {"CST", 360}, {"CDT", 300}, {"MST", 420},  {"MDT", 360},  {"PST", 480},
        {"PDT", 420}, {"YST", 540},  {"YDT", 480}, {"HST", 600}, {"HDT", 540},  {"BST", 660},  {"BDT", 600},
        {"GMT", 0},   {"UTC", 0},    {"UT", 0},    {"CET", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ZoneNameToBias(c.Zone), c.Bias) << "'" << c.Zone << "'";
}

TEST(ParseServerReply, Table) {
    const TDateTime base = EncodeDateTime(2026, 12, 5, 12, 13, 20);
    const double hour = 1.0 / 24;
    struct Case { std::string Reply; std::optional<TDateTime> Utc; };
    const Case cases[] = {
        {"05 DEC 2026 12:13:20 GMT\r\n", base}, {"05 DEC 2026 12:13:20 EST\r\n", base + 5 * hour},
        {"05 DEC 2026 12:13:20 +0100\r\n", base - hour}, {"05 DEC 2026 12:13:20 Z\r\n", base},
        {"05 DEC 2026 12:13:20 UTC\r\n", base}, {"05 dec 2026 12:13:20 GMT", base},
        {"05 DEC 2026 12:13:20", base},                       // six tokens: GMT
        {"05 DEC 2026 12:13:20 GMT extra tokens here", base},  // from the eighth on ignored
        {"05 DEC 2026", EncodeDateTime(2026, 12, 5)},          // missing time fields are 0
        {"xx DEC 2026 12:13:20 GMT", EncodeDateTime(2026, 12, 1, 12, 13, 20)},  // day defaults to 1
        {"05 DEC year 12:13:20 GMT", EncodeDateTime(2000, 12, 5, 12, 13, 20)},  // year defaults to 2000
        {"29 FEB 2024 00:00:00 GMT", EncodeDateTime(2024, 2, 29)},
        {"05 December 2026 12:13:20 GMT", std::nullopt},
        {"Sat, 05 DEC 2026 12:13:20 GMT", std::nullopt},  // a weekday in front
        {" 05 DEC 2026 12:13:20 GMT", std::nullopt},      // a leading separator shifts the fields
        {"05, DEC 2026 12:13:20 GMT", std::nullopt},      // so do two separators in a row
        {"05 DEC", std::nullopt}, {"05", std::nullopt}, {"", std::nullopt},
        {"29 FEB 2026 00:00:00 GMT", std::nullopt}, {"31 APR 2026 00:00:00 GMT", std::nullopt},
        {"05 DEC 2026 24:00:00 GMT", std::nullopt}, {"05 DEC 2026 12:60:00 GMT", std::nullopt},
        {"05 DEC 2026 12:13:60 GMT", std::nullopt}, {"05 DEC 0 12:13:20 GMT", std::nullopt},
        {"05 DEC 10000 12:13:20 GMT", std::nullopt}, {"00 DEC 2026 12:13:20 GMT", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<TDateTime> got = ParseServerReply(c.Reply);
        ASSERT_EQ(got.has_value(), c.Utc.has_value()) << "'" << c.Reply << "'";
        if (got) {
            EXPECT_NEAR(*got, *c.Utc, kMs) << "'" << c.Reply << "'";
        }
    }
}

TEST(ParseServerReply, NistForm) {
    const TDateTime expected = EncodeDateTime(2026, 12, 6, 6, 12, 3);
    struct Case { std::string Reply; bool Valid; };
    const Case cases[] = {
        {"61380 26-12-06 06:12:03 00 0 0 123.4 UTC(NIST) *\n", true},
        {"\n61380 26-12-06 06:12:03 00 0 0 123.4 UTC(NIST) *\n", true}, {"61380 26-12-06 06:12:03", true},
        {"61380 26-13-06 06:12:03 00 0 0 123.4 UTC(NIST) *\n", false},
        {"61380 26-12-06 25:12:03 00 0 0 123.4 UTC(NIST) *\n", false},
        {"61380 26/12/06 06:12:03 00 0 0 123.4 UTC(NIST) *\n", false}, {"61380 26-12-06 06:12:033", false},
        {"26-12-06 06:12:03", false},
    };
    for (const Case& c : cases) {
        std::optional<TDateTime> got = ParseServerReply(c.Reply);
        ASSERT_EQ(got.has_value(), c.Valid) << c.Reply;
        if (got) {
            EXPECT_NEAR(*got, expected, kMs);
        }
    }
    // Before 2000 the day number says the century.
    std::optional<TDateTime> old = ParseNistReply("51178 98-12-31 23:59:59 00 0 0 50.0 UTC(NIST) *");
    ASSERT_TRUE(old);
    EXPECT_NEAR(*old, EncodeDateTime(1998, 12, 31, 23, 59, 59), kMs);
}

TEST(ClockOffset, PositiveWhenTheComputerIsAhead) {
    const TDateTime server = EncodeDateTime(2026, 12, 5, 12, 13, 20);
    EXPECT_NEAR(ClockOffset(server + 2.5 / 86400, server) * 86400, 2.5, 1e-6);
    EXPECT_NEAR(ClockOffset(server - 1.0 / 86400, server) * 86400, -1.0, 1e-6);
}

}  // namespace
}  // namespace velkaro
