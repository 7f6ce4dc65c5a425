// Finding a city by what a person types: case and accents do not matter, and a name that
// fits no city, or several, comes back with the nearest names so the caller can suggest them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// The comparison form of an 8-bit (Latin-1, with the Windows-1252 letters) name: ASCII lower
// case, accents dropped ("Zürich" -> "zurich", "Ærø" -> "aero", "Straße" -> "strasse"), and
// "-" and "_" read as blanks. Other bytes stay as they are.
std::string FoldName(std::string_view name);

// True when needle occurs in name once both are folded; an empty needle occurs everywhere.
bool NameContains(std::string_view name, std::string_view needle);

// Typed text arrives as UTF-8 from terminals; names are 8-bit. Valid UTF-8 whose characters
// all have an 8-bit form is converted to it; anything else is returned unchanged.
std::string Latin1FromUtf8(std::string_view text);
// The other way, for names written to a terminal or a pipe.
std::string Utf8FromLatin1(std::string_view text);

struct TCityMatch {
    enum TKind { cmFound, cmAmbiguous, cmUnknown };
    TKind Kind = cmUnknown;
    int Index = -1;                // position in the name list when found
    std::vector<int> Candidates;  // when ambiguous: the names that fit; when unknown: the nearest
};

// Picks the city a query means, trying in turn: the name exactly as written, the folded name,
// a folded part of the name (its start or anywhere in it). A step that fits one name (a name
// listed twice counts once, the first one wins) settles it; a step that fits several makes the
// query ambiguous.
// Candidates are positions in names, at most maxCandidates of them, the closest first.
TCityMatch MatchCity(const std::vector<std::string>& names, std::string_view query, size_t maxCandidates = 5);

}  // namespace velkaro
