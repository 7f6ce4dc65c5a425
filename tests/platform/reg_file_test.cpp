// The REGEDIT4 text form: every value kind survives writing and reading byte for byte, and text
// that is not a hive is refused with the line that is wrong.
#include "platform/reg_file.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TRegValue Bytes(uint32_t type, std::string bytes) {
    return {type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

TRegValue Sz(const std::string& text) { return Bytes(rtSz, text + std::string(1, '\0')); }

TEST(RegFile, EveryKindSurvivesFormatAndParse) {
    const std::pair<std::string, TRegValue> cases[] = {
        {"HintTimeFormat", Sz("D x")}, {"IniName", Sz("")}, {"Q\"uote", Sz("say \"hi\"")},
        {"back\\slash", Sz("C:\\dir\\\\x\\")}, {"N\xe4me", Sz("Z\xfcrich \xe9t\xe9 \xff")},
        {"multi", Sz("one\r\ntwo\n")}, {"", Sz("the default")},
        {"embedded zero", Bytes(rtSz, std::string("a\0b\0", 4))}, {"no terminator", Bytes(rtSz, "abc")},
        {"zero bytes", Bytes(rtSz, "")}, {"Path", Bytes(rtExpandSz, std::string("%HOME%\\x\0", 9))},
        {"Tag", Bytes(rtDword, std::string("\xff\xff\xff\xff", 4))}, {"short dword", Bytes(rtDword, std::string("\x01\x02", 2))},
        {"List", Bytes(rtMultiSz, std::string("a\0\0b\0\xe4\0\0", 8))}, {"empty list", Bytes(rtMultiSz, std::string("\0", 1))},
        {"Blob", Bytes(rtBinary, std::string("\x00\x01\xfe\xff", 4))}, {"empty blob", Bytes(rtBinary, "")},
        {"long blob", Bytes(rtBinary, std::string(300, '\x5a'))},  // continued lines
        {"other type", Bytes(11, std::string("\x01\0\0\0\0\0\0\0", 8))},
    };
    for (const auto& [name, value] : cases) {
        TRegTree tree;
        tree.Create(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"})->SetValue(name, value);
        const std::string text = FormatRegFile(tree);
        SCOPED_TRACE(text);
        TRegTree back;
        TRegParseError error;
        ASSERT_TRUE(ParseRegFile(text, back, error)) << error.Line << ": " << error.Reason;
        const TRegNode* node = back.Find(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"});
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->Values().size(), 1u);
        EXPECT_EQ(node->Values()[0].first, name);
        EXPECT_EQ(node->Values()[0].second, value);
        EXPECT_EQ(FormatRegFile(back), text);
    }
}

TEST(RegFile, WritesTheReadableExportForm) {
    TRegTree tree;
    TRegNode* options = tree.Create(rhCurrentUser, {"SOFTWARE", "Zonaria", "Options"});
    options->SetValue("AutoSave", Bytes(rtDword, std::string(4, '\0')));
    options->SetValue("HintTimeFormat", Sz("D x"));
    EXPECT_EQ(FormatRegFile(tree),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria\\Options]\n"
              "\"AutoSave\"=dword:00000000\n"
              "\"HintTimeFormat\"=\"D x\"\n\n");
}

TEST(RegFile, ReadsHandWrittenVariants) {
    // CR LF line ends, comments, a hand-typed single backslash, continued hex, case-insensitive
    // names, deletion forms.
    const std::string text =
        "REGEDIT4\r\n"
        "; settings\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zonaria]\r\n"
        "\"Dir\"=\"C:\\temp\"\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "    03\r\n"
        "\"Gone\"=dword:1\r\n"
        "\"gone\"=-\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\ZONARIA\\Old]\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Zonaria\\old]\r\n";
    TRegTree tree;
    TRegParseError error;
    ASSERT_TRUE(ParseRegFile(text, tree, error)) << error.Line << ": " << error.Reason;
    const TRegNode* node = tree.Find(rhCurrentUser, {"software", "zonaria"});
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Name, "Zonaria");
    ASSERT_NE(node->FindValue("dir"), nullptr);
    EXPECT_EQ(*node->FindValue("dir"), Sz("C:\\temp"));
    EXPECT_EQ(*node->FindValue("BLOB"), Bytes(rtBinary, "\x01\x02\x03"));
    EXPECT_EQ(node->FindValue("Gone"), nullptr);
    EXPECT_EQ(node->FindKey("Old"), nullptr);
}

TEST(RegFile, RefusesTextThatIsNotAHive) {
    struct TCase { std::string Text; int Line; };
    const TCase cases[] = {
        {"garbage\n", 1},
        {"Windows Registry Editor Version 5.00\n", 1},
        {"REGEDIT4\n\"a\"=\"b\"\n", 2},                              // value outside a key
        {"REGEDIT4\n[HKEY_NOWHERE\\x]\n", 2},                         // unknown root
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x\n", 2},                     // unclosed key
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=\"b\n", 3},        // unterminated string
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\na=\"b\"\n", 3},           // unquoted name
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:xyz\n", 3},   // bad number
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:123456789\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:1,2\n", 3},     // one-digit bytes
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:0g\n", 3},      // a second digit that is none
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex(zz):00\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\" \"b\"\n", 3},       // no '='
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=what\n", 3},
        // A continued line followed by an empty one used to read past the empty string.
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\\\n\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,\\\n\n  02\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,\\\r\n \t\r\n", 3},
    };
    for (const auto& c : cases) {
        TRegTree tree;
        TRegParseError error;
        EXPECT_FALSE(ParseRegFile(c.Text, tree, error)) << c.Text;
        EXPECT_EQ(error.Line, c.Line) << c.Text;
        EXPECT_FALSE(error.Reason.empty());
    }
    TRegTree tree;
    TRegParseError error;
    EXPECT_TRUE(ParseRegFile("", tree, error));  // but no text is an empty hive
    EXPECT_TRUE(tree.Empty());
}

// Other spellings were tested with the text above; here, the Latin-1 letters fold too.
TEST(RegFile, KeysFoldLatin1CaseAndRootsStay) {
    TRegTree tree;
    tree.Create(rhCurrentUser, {"Software", "\xe4"});
    const TRegNode* node = tree.Find(rhCurrentUser, {"SOFTWARE", "\xc4"});  // a-umlaut
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Name, "\xe4");
    EXPECT_FALSE(tree.Delete(rhCurrentUser, {}));
    EXPECT_TRUE(tree.Delete(rhCurrentUser, {"software"}));
    EXPECT_TRUE(tree.Empty());
}

}  // namespace
}  // namespace velkaro
