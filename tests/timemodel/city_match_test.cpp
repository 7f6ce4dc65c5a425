#include "timemodel/city_match.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(FoldName, CaseAccentsAndSeparators) {
    struct Case { const char* name; const char* folded; } cases[] = {
        {"Z\xFCrich", "zurich"},              // Latin-1 u-diaeresis
        {"S\xC3O PAULO", "sao paulo"},        // upper-case a-tilde
        {"\xC6r\xF8", "aero"},
        {"Stra\xDF" "e", "strasse"},
        {"\x8A" "ibenik \x9E" "abljak", "sibenik zabljak"},  // Windows-1252 letters
        {"Port-au-Prince", "port au prince"},
        {"3 \xD7 4 \xF7 5", "3 \xD7 4 \xF7 5"},  // signs are not letters
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FoldName(c.name), c.folded) << c.name;
}

TEST(NameContains, FoldsBothSides) {
    EXPECT_TRUE(NameContains("Z\xFCrich", "\xDCRI"));
    EXPECT_TRUE(NameContains("New York", "york"));
    EXPECT_TRUE(NameContains("Paris", ""));
    EXPECT_FALSE(NameContains("Paris", "pariss"));
}

TEST(Latin1FromUtf8, ConvertsOnlyWhatHasAn8BitForm) {
    struct Case { const char* text; const char* latin1; } cases[] = {
        {"z\xC3\xBCrich", "z\xFCrich"},
        {"\xC5\xA0ibenik", "\x8A" "ibenik"},   // S-caron has a Windows-1252 form
        {"plain", "plain"},
        {"\xFCrich", "\xFCrich"},              // already 8-bit: not UTF-8, kept
        {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC"},  // no 8-bit form: kept
        {"trunc\xC3", "trunc\xC3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Latin1FromUtf8(c.text), c.latin1) << c.text;
}

TEST(Utf8FromLatin1, RoundTripsEvery8BitCharacter) {
    std::vector<int> bytes = {0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F};  // the Windows-1252 letters
    for (int c = 0x20; c < 0x100; ++c)
        if (c < 0x7F || c >= 0xA0) bytes.push_back(c);
    for (const int c : bytes) {
        const std::string latin1(1, static_cast<char>(c));
        EXPECT_EQ(Latin1FromUtf8(Utf8FromLatin1(latin1)), latin1) << c;
    }
    EXPECT_EQ(Utf8FromLatin1("Z\xFCrich"), "Z\xC3\xBCrich");
    EXPECT_EQ(Utf8FromLatin1("\x81"), "\xEF\xBF\xBD");  // a control code has no character
}

TEST(MatchCity, ExactFoldedPrefixSubstring) {
    const std::vector<std::string> names = {"Paris", "Z\xFCrich", "Sao Paulo", "San Jose", "San Juan",
                                            "Santiago", "New York", "York", "Paris", "C\xF3rdoba", "Cordoba"};
    using K = TCityMatch;
    struct Case { const char* query; K::TKind kind; int index; std::vector<int> candidates; } cases[] = {
        {"Paris", K::cmFound, 0, {}},            // the first of a name listed twice
        {"paris", K::cmFound, 0, {}},
        {"zurich", K::cmFound, 1, {}},
        {"Z\xDCRICH", K::cmFound, 1, {}},
        {"sao paulo", K::cmFound, 2, {}},
        {"sant", K::cmFound, 5, {}},             // unique prefix
        {"york", K::cmFound, 7, {}},             // a whole name beats a longer one containing it
        {"new", K::cmFound, 6, {}},
        {"aulo", K::cmFound, 2, {}},             // unique substring
        {"Cordoba", K::cmFound, 10, {}},         // exact spelling settles a folded tie
        {"cordoba", K::cmAmbiguous, -1, {9, 10}},
        {"san", K::cmAmbiguous, -1, {3, 4, 5}},  // closest first
        {"san j", K::cmAmbiguous, -1, {3, 4}},
        {"yo", K::cmAmbiguous, -1, {7, 6}},      // the start of one name, inside another
        {"PAUL", K::cmFound, 2, {}},
        {"parsi", K::cmUnknown, -1, {0, 7, 1}},
        {"", K::cmUnknown, -1, {7, 0, 1}},   // shortest names first
    };
    for (const auto& c : cases) {
        const TCityMatch m = MatchCity(names, c.query, 3);
        EXPECT_EQ(m.Kind, c.kind) << c.query;
        EXPECT_EQ(m.Index, c.index) << c.query;
        EXPECT_EQ(m.Candidates, c.candidates) << c.query;
    }
}

TEST(MatchCity, HugeQueryStaysCheap) {
    const TCityMatch m = MatchCity({"Paris", "Rome"}, std::string(1 << 20, 'x'));
    EXPECT_EQ(m.Kind, TCityMatch::cmUnknown);
    EXPECT_EQ(m.Candidates.size(), 2u);
}

}  // namespace
}  // namespace velkaro
