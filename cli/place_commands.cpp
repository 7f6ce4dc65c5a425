#include "cli/place_commands.h"

#include <cstdio>

#include "places/place_index.h"
#include "places/place_search.h"
#include "platform/error.h"
#include "settings/ini_store.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {

constexpr size_t kMaxListed = 20;

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') (out += '\\') += ch;
        else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else out += ch;
    }
    return out + "\"";
}

std::string Degrees(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// The time a place shows now, in the tool's usual pattern; empty for a zone the list lacks.
std::string PlaceTime(const TMyPlace& place, double utc) {
    const TCity city = CityOfPlace(place, ZoneList);
    return city.ZoneIndex < 0 ? std::string() : CityTimeText(city, "D x", utc);
}

TMyPlace FromIndex(const TPlaceIndex& index, uint32_t i, const std::string& label) {
    return {label, std::string(index.Name(i)), std::string(index.Region(i)), std::string(index.Country(i)),
            index.Lat(i), index.Lon(i), index.ZoneName(i)};
}

void PrintPlaces(const std::vector<TMyPlace>& places, const std::vector<std::string>& labels, bool json, double utc,
                 std::ostream& out) {
    if (json) out << "[";
    for (size_t k = 0; k < places.size(); ++k) {
        const TMyPlace& p = places[k];
        if (json) {
            out << (k ? ",\n " : "") << "{";
            if (!labels[k].empty()) out << "\"label\": " << JsonString(labels[k]) << ", ";
            out << "\"name\": " << JsonString(p.Name) << ", \"region\": " << JsonString(p.Region)
                << ", \"country\": " << JsonString(p.Country) << ", \"lat\": " << Degrees(p.Lat)
                << ", \"lon\": " << Degrees(p.Lon) << ", \"zone\": " << JsonString(p.Zone)
                << ", \"time\": " << JsonString(PlaceTime(p, utc)) << "}";
        } else {
            if (!labels[k].empty()) out << labels[k] << "\t";
            out << p.Name << "\t" << p.Region << "\t" << p.Country << "\t" << p.Zone << "\t" << PlaceTime(p, utc) << "\n";
        }
    }
    if (json) out << "]\n";
}

}  // namespace

void AppendMyPlaces(TIniStore& store, std::ostream& err) {
    TMyPlaces mine;
    for (const std::string& problem : mine.Load(store, ZoneList)) err << "velkaro-time: " << problem << "\n";
    for (const TMyPlace& p : mine.Items()) CityList.push_back(std::make_unique<TCity>(CityOfPlace(p, ZoneList)));
}

int RunPlaceCommand(const TPlaceCommand& c, TIniStore& store, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& words = c.Positional;
    if (words[0] == "places") {
        if (words.size() != 2) throw Error("usage: velkaro-time places QUERY [--json]");
        const TPlaceIndex index = TPlaceIndex::Load(c.DataDir);
        std::vector<TMyPlace> found;
        for (const TPlaceHit& h : index.Search(words[1], kMaxListed)) found.push_back(FromIndex(index, h.Place, ""));
        if (found.empty() && !c.Json) {
            err << "velkaro-time: no place fits \"" << words[1] << "\"\n";
            return 2;
        }
        PrintPlaces(found, std::vector<std::string>(found.size()), c.Json, c.UtcNow, out);
        return 0;
    }
    const std::string usage = "usage: velkaro-time place add QUERY [--label LABEL] | place remove LABEL | place list [--json]";
    if (words.size() < 2) throw Error(usage);
    TMyPlaces mine;
    for (const std::string& problem : mine.Load(store, ZoneList)) err << "velkaro-time: " << problem << "\n";
    const std::string& verb = words[1];
    if (verb == "list" && words.size() == 2) {
        std::vector<std::string> labels;
        for (const TMyPlace& p : mine.Items()) labels.push_back(p.Label);
        PrintPlaces(mine.Items(), labels, c.Json, c.UtcNow, out);
        return 0;
    }
    if (verb == "add" && words.size() == 3) {
        const TPlaceIndex index = TPlaceIndex::Load(c.DataDir);
        const auto hits = index.Search(words[2], 1);
        if (hits.empty()) throw Error("no place fits \"" + words[2] + "\" (velkaro-time places QUERY lists them)");
        const TMyPlace place = FromIndex(index, hits[0].Place, c.Label);
        if (!mine.Add(place)) throw Error("\"" + index.Describe(hits[0].Place) + "\" is already one of your places, or the list is full");
        mine.Save(store);
        out << "added " << mine.Items().back().Label << ": " << index.Describe(hits[0].Place) << "\n";
        return 0;
    }
    if (verb == "remove" && words.size() == 3) {
        const std::string label = CleanLabel(words[2]);
        for (size_t k = 0; k < mine.size(); ++k) {
            if (mine.Items()[k].Label != label) continue;
            mine.Remove(k);
            mine.Save(store);
            out << "removed " << label << "\n";
            return 0;
        }
        throw Error("none of your places is labelled \"" + label + "\" (velkaro-time place list shows them)");
    }
    throw Error(usage);
}

}  // namespace velkaro
