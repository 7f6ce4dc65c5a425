// The registry-backed store: key paths and CurrentKey, read conversions and writes. Calls the
// program never makes are left to the store's fuzzed round trip.
#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include "platform/registry_hive.h"
#include "temp_config.h"

namespace velkaro {
namespace {

const std::string kBase = "SOFTWARE\\Zonaria";

class IniStoreTest : public testing::Test {
protected:
    TTempConfig FConfig;
    // Built the way the main window builds its store.
    std::unique_ptr<TIniStore> FStore = std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER,
                                                                    "\\SOFTWARE\\Zonaria");

    // Raw access to the same hive, below the base key.
    std::unique_ptr<TRegKey> Raw(const std::string& key, bool create = true) {
        return UserRegistry()->OpenKey(rhCurrentUser, kBase + "\\" + key, create);
    }
    void SetRaw(const std::string& key, const std::string& name, uint32_t type,
                const std::string& bytes) {
        Raw(key)->SetValue(name, type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    TRegValue GetRaw(const std::string& key, const std::string& name) {
        TRegValue v;
        if (auto k = Raw(key, false)) k->QueryValue(name, v);
        return v;
    }
};

TEST_F(IniStoreTest, OpenKeyResolvesAbsoluteAndRelativePaths) {
    struct TStep { std::string Key; bool Create; bool Result; std::string CurrentAfter; };
    const TStep steps[] = {
        {"Options", true, true, "\\Options"},         // relative from the base key
        {"\\OPTIONS", false, true, "\\Options"},       // same key in other case: nothing to do
        {"", false, true, "\\Options"},                // empty: the current key
        {"Sub\\", true, true, "\\Options\\Sub"},       // relative, trailing delimiter dropped
        {"\\Missing", false, false, "\\Options\\Sub"}, // failure keeps the current key
        {"\\", false, true, "\\"},                     // the base key itself
        {"\\Options\\Sub", false, true, "\\Options\\Sub"},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(FStore->OpenKey(s.Key, s.Create), s.Result) << s.Key;
        EXPECT_EQ(FStore->CurrentKey(), s.CurrentAfter) << s.Key;
    }
    // After the failed open the store still works on the key that was current.
    EXPECT_FALSE(FStore->OpenKey("\\Nowhere", false));
    EXPECT_TRUE(FStore->WriteInteger("", "Here", 1));
    EXPECT_EQ(GetRaw("Options\\Sub", "Here").Type, rtDword);
    EXPECT_FALSE(FStore->KeyExists("\\Nowhere"));
}

TEST_F(IniStoreTest, KeyedOperationsLeaveCurrentKeyAlone) {
    ASSERT_TRUE(FStore->OpenKey("\\ZonariaForm", true));
    int32_t v = 0;
    EXPECT_FALSE(FStore->ReadInteger("\\Options", "Tag", 9, v));  // key does not exist
    EXPECT_EQ(v, 9);
    EXPECT_EQ(FStore->CurrentKey(), "\\ZonariaForm");
    EXPECT_FALSE(FStore->KeyExists("\\Options"));  // reading did not create it
    EXPECT_TRUE(FStore->WriteString("\\Options", "Name", "n"));
    EXPECT_EQ(FStore->CurrentKey(), "\\ZonariaForm");
    EXPECT_EQ(FStore->ReadString("\\Options", "Name", "d"), "n");
    TStringList names;
    EXPECT_TRUE(FStore->EnumValues("\\Options", names));
    EXPECT_TRUE(FStore->DeleteEntry("\\Options", "Name"));
    EXPECT_EQ(FStore->CurrentKey(), "\\ZonariaForm");
    // Writing with an empty key argument writes into the current key.
    EXPECT_TRUE(FStore->WriteInteger("", "Width", 300));
    EXPECT_EQ(GetRaw("ZonariaForm", "Width").Data, (std::vector<uint8_t>{0x2C, 1, 0, 0}));
}

TEST_F(IniStoreTest, ReadStringConvertsEveryKind) {
    struct TCase { const char* Label; uint32_t Type; std::string Bytes; bool Ok; std::string Text; };
    const TCase cases[] = {
        {"sz", rtSz, std::string("D x\0", 4), true, "D x"},
        {"sz_only_terminator", rtSz, std::string(1, '\0'), true, ""},
        {"sz_stops_at_zero", rtSz, std::string("ab\0cd\0", 6), true, "ab"},
        {"expand_not_expanded", rtExpandSz, std::string("%HOME%\0", 7), true, "%HOME%"},
        {"dword", rtDword, std::string("\x2a\0\0\0", 4), true, "42"},
        {"dword_negative", rtDword, std::string("\xff\xff\xff\xff", 4), true, "-1"},
        {"multi", rtMultiSz, std::string("a\0bc\0\0", 6), true, "a\r\nbc"},
        {"multi_unterminated", rtMultiSz, std::string("a\0bc", 4), true, "a\r\nbc"},  // another program's
        {"multi_one_byte", rtMultiSz, std::string(1, '\0'), true, ""},
        {"binary", rtBinary, "\x01\x02\xff", true, "454C 3 01 02 FF "},
        {"binary_long", rtBinary, std::string(26, '\x0a'), true,
         "454C 1A " + [] { std::string s; for (int i = 0; i < 26; ++i) s += "0A "; return s; }()},
        {"binary_empty", rtBinary, "", true, "454C 0 "},
        {"other_type", 11, std::string(8, '\0'), false, "default"},
    };
    for (const auto& c : cases) {
        SetRaw("Options", "V", c.Type, c.Bytes);
        std::string text;
        EXPECT_EQ(FStore->ReadString("\\Options", "V", "default", text), c.Ok) << c.Label;
        EXPECT_EQ(text, c.Text) << c.Label;
    }
    std::string text;
    EXPECT_FALSE(FStore->ReadString("\\Options", "Missing", "default", text));
    EXPECT_EQ(text, "default");
}

TEST_F(IniStoreTest, ReadIntegerTakesOnlyFourByteDwords) {
    struct TCase { uint32_t Type; std::string Bytes; bool Ok; int32_t Value; };
    const TCase cases[] = {
        {rtDword, std::string("\x08\0\0\0", 4), true, 8}, {rtDword, std::string("\0\0\0\x80", 4), true, INT32_MIN},
        {rtDword, std::string("\x08\0", 2), false, -7}, {rtSz, std::string("8\0", 2), false, -7},
        {rtBinary, std::string("\x08\0\0\0", 4), false, -7},
    };
    for (const auto& c : cases) {
        SetRaw("Options", "N", c.Type, c.Bytes);
        int32_t v = 0;
        EXPECT_EQ(FStore->ReadInteger("\\Options", "N", -7, v), c.Ok);
        EXPECT_EQ(v, c.Value);
    }
    SetRaw("Options", "B", rtDword, std::string("\x02\0\0\0", 4));
    EXPECT_TRUE(FStore->ReadBool("\\Options", "B", false));
    SetRaw("Options", "B", rtSz, std::string("1\0", 2));
    EXPECT_FALSE(FStore->ReadBool("\\Options", "B", false));
}

TEST_F(IniStoreTest, WritesUseTheEncodingsAndReplaceOtherKinds) {
    ASSERT_TRUE(FStore->OpenKey("\\Options", true));
    EXPECT_TRUE(FStore->WriteString("", "Name", ""));
    EXPECT_EQ(GetRaw("Options", "Name"), (TRegValue{rtSz, {0}}));
    std::string s;
    EXPECT_TRUE(FStore->ReadString("", "Name", "default", s));
    EXPECT_EQ(s, "");  // the empty string, not the default

    EXPECT_TRUE(FStore->WriteInteger("", "name", -2));  // names compare without case
    EXPECT_EQ(GetRaw("Options", "Name"), (TRegValue{rtDword, {0xFE, 0xFF, 0xFF, 0xFF}}));
    TStringList values;
    FStore->EnumValues("", values);
    EXPECT_EQ(values, TStringList{"Name"});

    EXPECT_TRUE(FStore->WriteBool("", "Flag", true));
    EXPECT_EQ(GetRaw("Options", "Flag"), (TRegValue{rtDword, {1, 0, 0, 0}}));

    EXPECT_TRUE(FStore->WriteMultiString("", "List", {"a", "", "b"}));
    EXPECT_EQ(GetRaw("Options", "List").Data,
              (std::vector<uint8_t>{'a', 0, 0, 'b', 0, 0}));
    TStringList back{"old"};
    EXPECT_TRUE(FStore->ReadMultiString("", "List", back));
    EXPECT_EQ(back, (TStringList{"a", "", "b"}));
    EXPECT_TRUE(FStore->WriteMultiString("", "List", {}));
    EXPECT_TRUE(FStore->ReadMultiString("", "List", back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(FStore->ReadMultiString("", "Flag", back));
}

TEST_F(IniStoreTest, TwoStoresInOneProcessShareTheHive) {
    TIniStore second(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    FStore->WriteString("\\Options", "HintTimeFormat", "x");
    EXPECT_EQ(second.ReadString("\\Options", "HintTimeFormat", ""), "x");
}

}  // namespace
}  // namespace velkaro
