// The options object: the property table decides what is stored and how; Load and Save work by
// name through any store.
#include "settings/options.h"

#include <gtest/gtest.h>

#include "platform/registry_hive.h"
#include "settings/ini_store.h"
#include "temp_config.h"

namespace velkaro {
namespace {

class OptionsTest : public testing::Test {
protected:
    TTempConfig FConfig;
    std::unique_ptr<TIniStore> FStore = std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER,
                                                                    "\\SOFTWARE\\Zonaria");

    // As the main window points the options at its store.
    void Attach(TPersistentOptions& o) {
        o.StorageType = eosStore;
        o.Storage = FStore.get();
    }
    const TRegNode* OptionsKey() {
        // Flushes through a fresh hive reference, then reads what the file holds.
        UserRegistry()->Flush();
        FTree = FConfig.Tree();
        return FTree.Find(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"});
    }
    TRegTree FTree;
};

TRegValue Dword(uint32_t v) { return {rtDword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}}; }
TRegValue Sz(const std::string& s) {
    TRegValue v{rtSz, std::vector<uint8_t>(s.begin(), s.end())};
    v.Data.push_back(0);
    return v;
}

TEST_F(OptionsTest, FreshProfileLoadsDefaultsAndFirstSaveWritesEveryValue) {
    TZonariaOptions o;
    Attach(o);
    o.Load();
    EXPECT_FALSE(o.Loading);
    o.Save();
    EXPECT_EQ(FStore->CurrentKey(), "\\Options");  // the section stays current after saving

    const TRegNode* key = OptionsKey();
    ASSERT_NE(key, nullptr);
    const std::vector<std::pair<std::string, TRegValue>> expected = {
        {"AutoSave", Dword(0)},         {"HintColor", Dword(0x80000018)},
        {"HintFontColor", Dword(0)},    {"HintFontSize", Dword(8)},     {"HintFontStyle", Dword(0)},
        {"HintTimeFormat", Sz("D x")},  {"IniName", Sz("")}, {"IniSection", Sz("Options")},  {"MVTColor", Dword(0xFF0000)},
        {"MVTFontColor", Dword(0x00FFFF)}, {"MVTFontSize", Dword(8)}, {"MVTFontStyle", Dword(0)}, {"MVTFormat", Dword(0)},        {"Name", Sz("")},
        {"ShowDaylight", Dword(0)},
        {"StatusColor", Dword(0)},      {"StatusFontColor", Dword(0xFFFFFF)},
        {"StatusFontSize", Dword(8)},   {"StatusFontStyle", Dword(0)},  {"StatusTimeFormat", Sz("DD xx")},
        {"StorageType", Dword(2)},      {"Tag", Dword(0)},
        {"TimeProtocol", Sz("Daytime")}, {"TimeServer", Sz("")},         {"TimeServers", {rtMultiSz, {0}}},
    };
    EXPECT_EQ(key->Values(), expected);  // also written in alphabetical order
    EXPECT_TRUE(key->Keys.empty());
}

TEST_F(OptionsTest, SavedValuesComeBack) {
    TZonariaOptions a;
    Attach(a);
    a.StatusColor = 0x123456;
    a.HintFontColor = 0x80000005;
    a.HintFontSize = 0xFFFFFFFF;  // out of any sensible range: kept as stored
    a.MVTFontSize = 14;
    a.MVTFormat = 3;
    a.ShowDaylight = true;
    a.HintTimeFormat = "not a dialog pattern \xe9";
    a.Name = "Opts";
    a.Tag = -5;
    a.MVTFontStyle = fsBold | fsItalic;
    a.StatusFontStyle = fsUnderline;
    a.HintFontStyle = fsBold | fsUnderline;
    a.MVTColor = 0x010203;
    a.MVTFontColor = 0x040506;
    a.StatusFontColor = 0x070809;
    a.TimeServers = {"time.example", "", "127.0.0.1"};
    a.TimeProtocol = "NTP";
    a.Save();

    TZonariaOptions b;
    Attach(b);
    b.Load();
    const auto fields = [](const TZonariaOptions& o) {
        return std::tie(o.StatusColor, o.HintFontColor, o.HintFontSize, o.MVTFontSize, o.MVTFormat, o.ShowDaylight,
                        o.HintTimeFormat, o.Name, o.Tag, o.MVTFontStyle, o.StatusFontStyle, o.HintFontStyle, o.MVTColor,
                        o.MVTFontColor, o.StatusFontColor, o.TimeServers, o.TimeProtocol);
    };
    EXPECT_EQ(fields(b), fields(a));
}

TEST_F(OptionsTest, AnOlderFileLoadsWithTodaysDefaultsForWhatItLacks) {
    // As an older version wrote it: no font styles, no server; the styles' stray bits are no style.
    FStore->WriteInteger("\\Options", "StatusColor", 0x222222);
    FStore->WriteInteger("\\Options", "HintFontStyle", 0x7FFFFF00 | fsItalic);
    TZonariaOptions o;
    Attach(o);
    o.Load();
    EXPECT_EQ(o.StatusColor, 0x222222u);
    EXPECT_EQ(o.MVTColor, 0xFF0000u);
    EXPECT_EQ(o.StatusFontColor, 0xFFFFFFu);
    EXPECT_EQ(o.MVTFontStyle, 0);
    EXPECT_EQ(o.HintFontStyle, fsItalic);
    EXPECT_EQ(o.TimeServer, "");
    EXPECT_EQ(o.TimeProtocol, "Daytime");
}

TEST_F(OptionsTest, MissingOrMistypedValuesKeepTheCurrentSetting) {
    TZonariaOptions a;
    Attach(a);
    a.HintColor = 1;
    a.StatusTimeFormat = "x";
    a.MVTFontSize = 20;
    a.Save();
    FStore->DeleteEntry("\\Options", "HintColor");
    FStore->DeleteEntry("\\Options", "StatusTimeFormat");
    FStore->WriteString("\\Options", "MVTFontSize", "24");         // a string where a number goes
    FStore->WriteInteger("\\Options", "HintTimeFormat", 42);      // a number where a string goes
    FStore->WriteBinary("\\Options", "StatusFontSize", "\x09", 1);

    TZonariaOptions b;
    Attach(b);
    b.Load();
    EXPECT_EQ(b.HintColor, clInfoBk);
    EXPECT_EQ(b.StatusTimeFormat, "DD xx");
    EXPECT_EQ(b.MVTFontSize, 8u);
    EXPECT_EQ(b.HintTimeFormat, "42");  // other kinds read as text
    EXPECT_EQ(b.StatusFontSize, 8u);
}

TEST_F(OptionsTest, StoredStorageSettingsAreNeverObeyed) {
    // Hand-edited: another section and another storage kind.
    FStore->WriteString("\\Options", "IniSection", "Elsewhere");
    FStore->WriteInteger("\\Options", "StorageType", eosRegistry);
    FStore->WriteInteger("\\Options", "Tag", 11);
    FStore->WriteInteger("\\Elsewhere", "Tag", 99);
    FStore->OpenKey("\\ZonariaForm", true);

    TZonariaOptions o;
    Attach(o);
    o.Load();
    EXPECT_EQ(o.IniSection, "Options");
    EXPECT_EQ(o.StorageType, eosStore);
    EXPECT_EQ(o.Tag, 11);
    EXPECT_EQ(FStore->CurrentKey(), "\\ZonariaForm");

    // A later save keeps to the program's own key.
    o.Save();
    EXPECT_EQ(FStore->ReadInteger("\\Elsewhere", "Tag", 0), 99);
    EXPECT_EQ(FStore->ReadString("\\Options", "IniSection", ""), "Options");
    EXPECT_EQ(FStore->ReadInteger("\\Options", "StorageType", -1), eosStore);
}

TEST_F(OptionsTest, AutoSaveRunsOnlyWhileTheStoreLives) {
    {
        TZonariaOptions o;
        Attach(o);
        o.AutoSave = true;
        o.Tag = 77;
    }
    EXPECT_EQ(FStore->ReadInteger("\\Options", "Tag", 0), 77);
    {
        TZonariaOptions o;
        Attach(o);
        o.AutoSave = true;
        o.Tag = 78;
        FStore.reset();  // the store goes first, as at program end
    }
    FStore = std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    EXPECT_EQ(FStore->ReadInteger("\\Options", "Tag", 0), 77);
}

}  // namespace
}  // namespace velkaro
