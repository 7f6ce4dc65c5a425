// The place index: every town of the gazetteer (places.tsv beside the lists), with its region,
// country, coordinates, population and zone, and the search over it that Find city and
// velkaro-time use. Plain C++: the reader runs off the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// The comparison form of a UTF-8 name: FoldName's case and accent folding for the Latin
// letters (the Latin-1 ones and Latin Extended-A: "Łódź" -> "lodz"); other characters stay.
std::string FoldUtf8Name(std::string_view name);

// How well a name fits a query, best first.
enum TPlaceMatch : int { pmExact, pmPrefix, pmWordPrefix, pmContains, pmNone };

// How a query fits a folded name: the query equals it, begins it, begins one of its words, or
// occurs in it. Both are folded.
TPlaceMatch MatchFolded(std::string_view foldedName, std::string_view foldedQuery);

struct TPlaceHit {
    uint32_t Place = 0;
    TPlaceMatch Match = pmNone;
};

class TPlaceIndex {
public:
    static constexpr const char* kFileName = "places.tsv";

    // Reads the index from text in the file's layout; throws velkaro::Error naming the first
    // damaged line (the file is generated, so damage means a broken copy, not a user's edit).
    static TPlaceIndex Parse(std::string_view text);
    // Reads dir + kFileName; throws velkaro::Error when it cannot be read.
    static TPlaceIndex Load(const std::string& dir);

    size_t size() const { return places_.size(); }
    std::string_view Name(uint32_t i) const { return Text(places_[i].Name); }
    std::string_view Region(uint32_t i) const { return Text(regions_[places_[i].Region].Name); }
    std::string_view Country(uint32_t i) const { return Text(countries_[regions_[places_[i].Region].Country].Name); }
    std::string_view CountryCode(uint32_t i) const { return Text(countries_[regions_[places_[i].Region].Country].Code); }
    double Lat(uint32_t i) const { return places_[i].Lat100 / 100.0; }
    double Lon(uint32_t i) const { return places_[i].Lon100 / 100.0; }
    uint32_t Population(uint32_t i) const { return places_[i].Population; }
    const std::string& ZoneName(uint32_t i) const { return zones_[places_[i].Zone]; }
    // "Springfield, Illinois, United States": what tells one place from its namesakes.
    std::string Describe(uint32_t i) const;

    // Places whose name (or ASCII spelling) fits the query, folded: exact names, then names
    // that begin with it, then names with a word that does, then any that contain it; within
    // each, the most populous first. At most `limit` hits.
    std::vector<TPlaceHit> Search(std::string_view query, size_t limit) const;

    // Bytes the index holds on the heap (its share of the program's memory).
    size_t MemoryBytes() const;

private:
    struct TSpan {
        uint32_t Offset = 0, Size = 0;
    };
    struct TPlace {
        TSpan Name;
        uint32_t Population = 0;
        int16_t Lat100 = 0, Lon100 = 0;
        uint16_t Region = 0, Zone = 0;
    };
    struct TRegion {
        TSpan Name;
        uint16_t Country = 0;
    };
    struct TCountry {
        TSpan Code, Name;
    };
    std::string_view Text(TSpan s) const { return std::string_view(text_).substr(s.Offset, s.Size); }
    TSpan Keep(std::string_view s);

    std::string text_;                 // names of places, regions and countries, end to end
    std::vector<TPlace> places_;       // most populous first
    std::vector<TRegion> regions_;
    std::vector<TCountry> countries_;
    std::vector<std::string> zones_;
    // Every place's folded name (and folded ASCII spelling where it differs), each preceded by
    // '\n' and the two separated by '\t': one buffer the query is searched in.
    std::string folded_;
    std::vector<uint32_t> foldedStart_;  // where place i's part of folded_ begins
};

}  // namespace velkaro
