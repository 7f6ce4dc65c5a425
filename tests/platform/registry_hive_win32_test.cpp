// The registry hive over the real registry (under Wine: Wine's registry), inside the private
// hive of TTempConfig so the user's own settings are never touched.
#include <gtest/gtest.h>

#include "platform/registry_hive.h"
#include "tests/settings/temp_config.h"

namespace velkaro {
namespace {

class RegistryHiveWin32Test : public testing::Test {
protected:
    TTempConfig FConfig;
    std::shared_ptr<TRegistryHive> FHive = UserRegistry();

    std::unique_ptr<TRegKey> Key(const std::string& path, bool create = true) {
        return FHive->OpenKey(rhCurrentUser, "SOFTWARE\\Zonaria\\" + path, create);
    }
};

TRegValue Bytes(uint32_t type, std::vector<uint8_t> data) { return {type, std::move(data)}; }

TEST_F(RegistryHiveWin32Test, EveryValueKindComesBackByteForByte) {
    const struct { const char* Name; TRegValue Value; } cases[] = {
        {"Sz", Bytes(rtSz, {'a', 'b', 0})},
        {"EmptySz", Bytes(rtSz, {0})},
        {"Unterminated", Bytes(rtSz, {'x', 'y'})},
        {"Latin1", Bytes(rtSz, {'M', 0xFC, 'n', 0})},
        {"Expand", Bytes(rtExpandSz, {'%', 'P', '%', 0})},  // never expanded
        {"Dword", Bytes(rtDword, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"Multi", Bytes(rtMultiSz, {'a', 0, 'b', 'c', 0, 0})},
        {"Binary", Bytes(rtBinary, {1, 2, 0xFF})},
        {"EmptyBinary", Bytes(rtBinary, {})},
        {"OtherType", Bytes(11, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"", Bytes(rtSz, {'d', 0})},  // the key's default value
    };
    auto key = Key("Options");
    ASSERT_NE(key, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(key->SetValue(c.Name, c.Value.Type, c.Value.Data.data(), c.Value.Data.size()));
    }
    key = Key("Options", false);  // read back through a fresh handle
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRegValue got;
        ASSERT_TRUE(key->QueryValue(c.Name, got));
        EXPECT_EQ(got, c.Value);
    }
    // The store finds it where the settings belong.
    const TRegTree tree = FConfig.Tree();
    const TRegNode* options = tree.Find(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"});
    ASSERT_NE(options, nullptr);
    ASSERT_NE(options->FindValue("Dword"), nullptr);
    EXPECT_EQ(*options->FindValue("Dword"), cases[5].Value);
}

TEST_F(RegistryHiveWin32Test, KeysOpenOnlyWhenAllowedAndNamesIgnoreCase) {
    EXPECT_EQ(Key("Options", false), nullptr);
    ASSERT_NE(Key("Options\\\\Sub\\"), nullptr);  // empty names between delimiters are ignored
    EXPECT_NE(Key("OPTIONS\\sub", false), nullptr);
    EXPECT_EQ(FHive->OpenKey(0x12345678u, "SOFTWARE", true), nullptr);

    auto key = Key("Options");
    const uint8_t one[] = {1, 0, 0, 0};
    ASSERT_TRUE(key->SetValue("Tag", rtDword, one, sizeof one));
    TRegValue got;
    EXPECT_TRUE(key->QueryValue("TAG", got));
    EXPECT_FALSE(key->QueryValue("Missing", got));
    // Names the settings file could not carry are refused here as well.
    EXPECT_FALSE(key->SetValue("two\nlines", rtDword, one, sizeof one));
    EXPECT_EQ(Key("Bad\nKey"), nullptr);
}

TEST_F(RegistryHiveWin32Test, ListsDeletesAndSeesItsKeyGo) {
    Key("Options\\A\\Deeper");
    Key("Options\\B");
    auto key = Key("Options");
    const uint8_t z[] = {0};
    key->SetValue("V1", rtSz, z, 1);
    key->SetValue("V2", rtSz, z, 1);

    std::vector<std::string> names;
    ASSERT_TRUE(key->EnumKeys(names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));
    ASSERT_TRUE(key->EnumValues(names));
    EXPECT_EQ(names, (std::vector<std::string>{"V1", "V2"}));

    EXPECT_TRUE(key->DeleteValue("v1"));
    EXPECT_FALSE(key->DeleteValue("v1"));
    EXPECT_TRUE(FHive->DeleteKey(rhCurrentUser, "SOFTWARE\\Zonaria\\Options\\A"));
    EXPECT_FALSE(FHive->DeleteKey(rhCurrentUser, "SOFTWARE\\Zonaria\\Options\\A"));
    EXPECT_FALSE(FHive->DeleteKey(rhCurrentUser, ""));  // never a root

    auto b = Key("Options\\B");
    ASSERT_TRUE(FHive->DeleteKey(rhCurrentUser, "SOFTWARE\\Zonaria\\Options\\B"));
    EXPECT_FALSE(b->SetValue("Late", rtSz, z, 1));
    EXPECT_TRUE(key->Flush());
}

}  // namespace
}  // namespace velkaro
