// The user's own places: towns picked from the place index, each under a label of the user's
// own, in the user's order. They live in the settings, one value per place under the key
// MyPlaces of the program's key, never in the shipped city list. Plain C++ for the windows,
// the planner and velkaro-time alike.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "timemodel/zone_list.h"

namespace velkaro {

class TIniStore;

struct TMyPlace {
    std::string Label;    // the user's name for it ("Home"); UTF-8
    std::string Name;     // the gazetteer's name
    std::string Region;   // first-level region, may be empty
    std::string Country;
    double Lat = 0, Lon = 0;  // degrees north, degrees east
    std::string Zone;     // IANA zone name, one of the zone list's
    bool operator==(const TMyPlace&) const = default;
};

// A label as stored: control characters become blanks, blanks at either end go, at most
// kMaxLabelBytes bytes (cut on a character boundary); empty when nothing is left.
std::string CleanLabel(const std::string& label);

// The 8-bit form the map's city records use: Latin-1 and Windows-1252 letters as they are,
// other Latin letters as their base letter ("Łódź" -> "Lodz"), anything else as "?".
std::string EightBitName(std::string_view utf8);

// The map's city record for a place: its label, the position of its zone in zones (-1 when the
// list has no such zone) and its map point in the city list's convention. Its name is the
// label in the 8-bit form.
TCity CityOfPlace(const TMyPlace& place, const TZoneList& zones);
int ZoneIndexOf(const TZoneList& zones, const std::string& name);

class TMyPlaces {
public:
    static constexpr const char* kKey = "\\MyPlaces";
    static constexpr size_t kMaxPlaces = 500;
    static constexpr size_t kMaxLabelBytes = 80;

    // Reads the places in their stored order. An entry that cannot be read (hand-edited, of
    // another kind, naming a zone the list lacks) is left out and described in the returned
    // texts, one per entry; it stays in the settings untouched.
    std::vector<std::string> Load(TIniStore& store, const TZoneList& zones);
    // Writes the places in their order, each as one value; left-out entries stay as they were.
    void Save(TIniStore& store);

    const std::vector<TMyPlace>& Items() const { return items_; }
    size_t size() const { return items_.size(); }
    // Appends a place (its label cleaned, the name when that leaves nothing); false when the
    // list is full or the label and zone are already there.
    bool Add(TMyPlace place);
    void Remove(size_t i);
    void Rename(size_t i, const std::string& label);
    // Moves the place at `from` to position `to`, the others keeping their order.
    void Move(size_t from, size_t to);

    // The stored text of one place, and its reading (false for damaged text).
    static std::string Encode(const TMyPlace& place);
    static bool Decode(const std::string& text, TMyPlace& place);

private:
    std::vector<TMyPlace> items_;
    std::set<std::string> owned_;     // value names this list wrote or read
    std::set<std::string> damaged_;   // value names left out at loading, never overwritten
};

}  // namespace velkaro
