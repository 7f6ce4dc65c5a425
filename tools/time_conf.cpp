#include "tools/time_conf.h"

#include <algorithm>
#include <cstdlib>

#include "timemodel/time_format.h"

namespace velkaro {

const std::array<const char*, 8> TimeFormatPatterns = {
    "m.d.yy h:MM:SS TT",       "d.m.yy h:MM:SS TT",       "mm.dd.yy h:MM:SS TT",
    "dd.mm.yy HH:MM:SS",       "w, mmm d, yy h:MM:SS TT", "w, dd mmm, yy HH:MM:SS",
    "ww, mmmm d, yy h:MM:SS TT", "ww, dd mmmm, yy h:MM:SS TT",
};

namespace {

void LoadPage(TConfPage& page, TColor box, TColor text, uint32_t size, TFontStyles styles) {
    page.BoxColor = box;
    page.TextColor = text;
    page.SizeIndex = FontSizeIndex(size);
    page.Bold = styles & fsBold;
    page.Italic = styles & fsItalic;
    page.Underline = styles & fsUnderline;
}

// Strike-out has no box, so storing clears it along with anything else unchecked.
void StorePage(const TConfPage& page, TColor& box, TColor& text, uint32_t& size, TFontStyles& styles) {
    box = page.BoxColor;
    text = page.TextColor;
    std::vector<std::string> sizes = FontSizeItems();
    if (page.SizeIndex >= 0 && page.SizeIndex < int(sizes.size())) {
        const std::string& item = sizes[size_t(page.SizeIndex)];
        char* end = nullptr;
        long n = std::strtol(item.c_str(), &end, 10);
        size = (end != item.c_str() && *end == '\0') ? uint32_t(n) : 12;
    }
    styles = TFontStyles((page.Bold ? fsBold : 0) | (page.Italic ? fsItalic : 0) |
                         (page.Underline ? fsUnderline : 0));
}

int ChoiceIndex(const std::vector<std::string>& choices, const std::string& pattern) {
    const auto it = std::find(choices.begin(), choices.end(), pattern);
    return it == choices.end() ? -1 : int(it - choices.begin());
}

void StorePattern(int index, const std::vector<std::string>& choices, std::string& pattern) {
    if (index >= 0 && index < int(choices.size())) pattern = choices[size_t(index)];
}

}  // namespace

std::vector<std::string> FontSizeItems() { return {"6", "7", "8", "9", "10", "11", "12", "14"}; }

std::vector<std::string> MVTFormatItems() {
    return {"@1234.56 d123 y000", "@1234.56 d123", "@1234 d123 y000", "@1234 d123"};
}

std::vector<std::string> PatternExamples(TDateTime local) {
    return PatternExamples(std::vector<std::string>(TimeFormatPatterns.begin(), TimeFormatPatterns.end()), local);
}

std::vector<std::string> PatternExamples(const std::vector<std::string>& patterns, TDateTime local) {
    std::vector<std::string> items;
    for (const std::string& pattern : patterns) items.push_back(FormatTimePattern(pattern, local));
    return items;
}

int PatternIndex(const std::string& pattern) {
    for (size_t i = 0; i < TimeFormatPatterns.size(); ++i)
        if (pattern == TimeFormatPatterns[i]) return int(i);
    return -1;
}

std::vector<std::string> PatternChoices(const std::string& inForce, TDateTime local) {
    std::vector<std::string> choices(TimeFormatPatterns.begin(), TimeFormatPatterns.end());
    if (PatternIndex(inForce) >= 0) return choices;
    const std::vector<std::string> shown = PatternExamples(local);
    const auto same = std::find(shown.begin(), shown.end(), FormatTimePattern(inForce, local));
    if (same != shown.end()) choices[size_t(same - shown.begin())] = inForce;
    else choices.insert(choices.begin(), inForce);
    return choices;
}

int FontSizeIndex(uint32_t size) {
    std::vector<std::string> sizes = FontSizeItems();
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] == std::to_string(size)) return int(i);
    return -1;
}

void PresetPatternIndexes(TConfState& state, const TZonariaOptions& options, TDateTime local) {
    state.TZTPatterns = PatternChoices(options.StatusTimeFormat, local);
    state.HintPatterns = PatternChoices(options.HintTimeFormat, local);
    // The pattern in force is always among the choices: a listed one where it stands, one of
    // the user's own in front.
    state.TZT.FormatIndex = ChoiceIndex(state.TZTPatterns, options.StatusTimeFormat);
    state.Hint.FormatIndex = ChoiceIndex(state.HintPatterns, options.HintTimeFormat);
}

void LoadFromOptions(TConfState& state, const TZonariaOptions& o) {
    LoadPage(state.MVT, o.MVTColor, o.MVTFontColor, o.MVTFontSize, o.MVTFontStyle);
    state.MVT.FormatIndex = o.MVTFormat >= 0 && o.MVTFormat < int(MVTFormatItems().size()) ? o.MVTFormat : -1;
    LoadPage(state.TZT, o.StatusColor, o.StatusFontColor, o.StatusFontSize, o.StatusFontStyle);
    LoadPage(state.Hint, o.HintColor, o.HintFontColor, o.HintFontSize, o.HintFontStyle);
    state.ShowDaylight = o.ShowDaylight;
}

void StoreToOptions(const TConfState& state, TZonariaOptions& o) {
    StorePage(state.MVT, o.MVTColor, o.MVTFontColor, o.MVTFontSize, o.MVTFontStyle);
    o.MVTFormat = state.MVT.FormatIndex;
    StorePage(state.TZT, o.StatusColor, o.StatusFontColor, o.StatusFontSize, o.StatusFontStyle);
    StorePattern(state.TZT.FormatIndex, state.TZTPatterns, o.StatusTimeFormat);
    StorePage(state.Hint, o.HintColor, o.HintFontColor, o.HintFontSize, o.HintFontStyle);
    StorePattern(state.Hint.FormatIndex, state.HintPatterns, o.HintTimeFormat);
    o.ShowDaylight = state.ShowDaylight;
}

}  // namespace velkaro
