// The configuration dialog's content as plain data: its fixed lists, the state of its
// pages, and the copying between that state and the options object.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/options.h"
#include "timemodel/date_time.h"

namespace velkaro {

// The eight date/time patterns offered for the city box and the city hint, in list order.
extern const std::array<const char*, 8> TimeFormatPatterns;

std::vector<std::string> FontSizeItems();  // "6" .. "12", "14"
std::vector<std::string> MVTFormatItems();
// Each pattern applied to one local date and time, as the pattern lists show them.
std::vector<std::string> PatternExamples(TDateTime local);
std::vector<std::string> PatternExamples(const std::vector<std::string>& patterns, TDateTime local);
// The index of a pattern among the eight (exact, case-sensitive match); -1 when it is none of them.
int PatternIndex(const std::string& pattern);
// What a pattern list offers, in list order: the eight, with the pattern in force in front when
// it is none of them, so that it stays selected as itself and is stored back unchanged. When it
// reads at the moment shown like one of the eight, it takes that one's place instead, so that
// no example appears twice.
std::vector<std::string> PatternChoices(const std::string& inForce, TDateTime local);
// The size list's index of a font size; -1 when the list does not offer it.
int FontSizeIndex(uint32_t size);

// One page's controls. Indexes are list indexes, -1 for no selection.
struct TConfPage {
    TColor BoxColor = 0;
    TColor TextColor = 0;
    int SizeIndex = -1;
    bool Bold = false, Italic = false, Underline = false;
    int FormatIndex = -1;
    bool operator==(const TConfPage&) const = default;
};

struct TConfState {
    TConfPage MVT, TZT, Hint;
    // The patterns behind the two pattern lists (PatternChoices); a format index points here.
    std::vector<std::string> TZTPatterns, HintPatterns;
    // The "Map" page.
    bool ShowDaylight = false;
    bool operator==(const TConfState&) const = default;
};

// The pattern lists and their preselection when the dialog is created, from the options then in
// force, for examples taken at the local time given.
void PresetPatternIndexes(TConfState& state, const TZonariaOptions& options, TDateTime local);
// Options into controls. The pattern lists keep their indexes (their preselection stands).
void LoadFromOptions(TConfState& state, const TZonariaOptions& options);
// Controls into options.
void StoreToOptions(const TConfState& state, TZonariaOptions& options);

}  // namespace velkaro
