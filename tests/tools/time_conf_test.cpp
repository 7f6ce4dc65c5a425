#include "tools/time_conf.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velkaro {
namespace {

const TDateTime kMoment = EncodeDateTime(2026, 12, 7, 17, 15, 1);

// What the dialog does with the options between opening and OK, without the widgets.
TZonariaOptions OpenAndAccept(const TZonariaOptions& before, void (*edit)(TConfState&) = nullptr) {
    TConfState state;
    PresetPatternIndexes(state, before, kMoment);
    LoadFromOptions(state, before);
    if (edit) edit(state);
    TZonariaOptions after = before;
    StoreToOptions(state, after);
    return after;
}

// A format of the user's own stays selected as itself and survives OK; picking a listed
// pattern replaces it.
TEST(TimeConfTest, FormatsInForceSurviveOkUnlessAnotherIsPicked) {
    struct Case {
        std::string status, hint;
        int pickStatus, pickHint;  // -1: leave the preselection
        std::string statusAfter, hintAfter;
    };
    const Case cases[] = {
        {"DD xx", "D x", -1, -1, "DD xx", "D x"},  // the defaults
        {TimeFormatPatterns[5], TimeFormatPatterns[2], -1, -1, TimeFormatPatterns[5], TimeFormatPatterns[2]},
        {"", "hh:MM", -1, -1, "", "hh:MM"},
        {"DD xx", "D x", 1, 7, TimeFormatPatterns[0], TimeFormatPatterns[7]},  // behind the own item
        {TimeFormatPatterns[3], "D x", 0, 0, TimeFormatPatterns[0], "D x"},
    };
    for (const Case& c : cases) {
        TZonariaOptions o;
        o.StatusTimeFormat = c.status;
        o.HintTimeFormat = c.hint;
        TConfState state;
        PresetPatternIndexes(state, o, kMoment);
        EXPECT_EQ(state.TZTPatterns[size_t(state.TZT.FormatIndex)], c.status);
        EXPECT_EQ(state.HintPatterns[size_t(state.Hint.FormatIndex)], c.hint);
        LoadFromOptions(state, o);
        if (c.pickStatus >= 0) state.TZT.FormatIndex = c.pickStatus;
        if (c.pickHint >= 0) state.Hint.FormatIndex = c.pickHint;
        TZonariaOptions after = o;
        StoreToOptions(state, after);
        EXPECT_EQ(after.StatusTimeFormat, c.statusAfter) << c.status;
        EXPECT_EQ(after.HintTimeFormat, c.hintAfter) << c.hint;
    }
}

// A format in force that reads like a listed one at the dialog's moment takes that one's place.
TEST(TimeConfTest, NoExampleIsShownTwice) {
    for (TDateTime local : {kMoment, EncodeDateTime(2026, 9, 30, 22, 58, 58)}) {
        TConfState state;
        PresetPatternIndexes(state, TZonariaOptions(), local);
        for (const std::vector<std::string>& patterns : {state.TZTPatterns, state.HintPatterns}) {
            std::vector<std::string> shown = PatternExamples(patterns, local);
            std::sort(shown.begin(), shown.end());
            EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end()) << shown.front();
        }
    }
}

TEST(TimeConfTest, SizeOutsideTheListSurvivesOk) {
    TZonariaOptions o;
    o.StatusFontSize = 13;
    o.HintFontSize = 0;
    o.MVTFontSize = 14;
    TConfState state;
    LoadFromOptions(state, o);
    EXPECT_EQ(state.TZT.SizeIndex, -1);
    TZonariaOptions after = OpenAndAccept(o);
    EXPECT_EQ(after.StatusFontSize, 13u);
    EXPECT_EQ(after.HintFontSize, 0u);
    EXPECT_EQ(after.MVTFontSize, 14u);
    after = OpenAndAccept(o, [](TConfState& s) { s.TZT.SizeIndex = 0; });
    EXPECT_EQ(after.StatusFontSize, 6u);
}

TEST(TimeConfTest, StyleFlagsMapToTheThreeBoxes) {
    for (int styles = 0; styles < 16; ++styles) {
        TZonariaOptions o;
        o.MVTFontStyle = TFontStyles(styles);
        o.StatusFontStyle = TFontStyles(styles);
        o.HintFontStyle = TFontStyles(styles);
        TConfState state;
        LoadFromOptions(state, o);
        for (const TConfPage* page : {&state.MVT, &state.TZT, &state.Hint}) {
            EXPECT_EQ(page->Bold, bool(styles & fsBold)) << styles;
            EXPECT_EQ(page->Italic, bool(styles & fsItalic)) << styles;
            EXPECT_EQ(page->Underline, bool(styles & fsUnderline)) << styles;
        }
        // Strike-out has no box and is dropped on the way back.
        TZonariaOptions after = OpenAndAccept(o);
        EXPECT_EQ(after.MVTFontStyle, styles & 7);
        EXPECT_EQ(after.StatusFontStyle, styles & 7);
        EXPECT_EQ(after.HintFontStyle, styles & 7);
    }
    TZonariaOptions after = OpenAndAccept(TZonariaOptions(), [](TConfState& s) {
        s.Hint.Italic = true;
        s.TZT.Underline = true;
    });
    EXPECT_EQ(after.HintFontStyle, fsItalic);
    EXPECT_EQ(after.StatusFontStyle, fsUnderline);
    EXPECT_EQ(after.MVTFontStyle, 0);
}

TEST(TimeConfTest, NotationIndexOutsideTheListBecomesMinusOne) {
    struct Case { int32_t stored, shown, after; };
    for (Case c : {Case{0, 0, 0}, Case{3, 3, 3}, Case{-1, -1, -1}, Case{4, -1, -1}, Case{7, -1, -1}}) {
        TZonariaOptions o;
        o.MVTFormat = c.stored;
        TConfState state;
        LoadFromOptions(state, o);
        EXPECT_EQ(state.MVT.FormatIndex, c.shown) << c.stored;
        EXPECT_EQ(OpenAndAccept(o).MVTFormat, c.after) << c.stored;
    }
}

TEST(TimeConfTest, ColoursGoToTheirOptions) {
    TZonariaOptions after = OpenAndAccept(TZonariaOptions(), [](TConfState& s) {
        s.MVT.BoxColor = 1;
        s.MVT.TextColor = 2;
        s.TZT.BoxColor = 3;
        s.TZT.TextColor = 4;
        s.Hint.BoxColor = 0x80000005;
        s.Hint.TextColor = 0x123456;
    });
    EXPECT_EQ((std::vector<TColor>{after.MVTColor, after.MVTFontColor, after.StatusColor, after.StatusFontColor,
                                   after.HintColor, after.HintFontColor}),
              (std::vector<TColor>{1, 2, 3, 4, 0x80000005, 0x123456}));
}

}  // namespace
}  // namespace velkaro
