// The file-backed hive: persistence, the merge of two writers, a damaged file put aside, and a
// writer killed at random moments never leaving a torn file.
#include "platform/reg_file_hive.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/reg_file.h"
#include "tests/settings/temp_config.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

class RegFileHiveTest : public testing::Test {
protected:
    std::string ReadFile() const { return FConfig.Text(); }
    void WriteFile(const std::string& text) const {
        fs::create_directories(FZonaria);
        std::ofstream(FFile, std::ios::binary) << text;
    }
    std::vector<std::string> FilesInFolder() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(FZonaria)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The tree of the file as it is now; fails the test when it does not parse.
    TRegTree ParsedFile() const {
        TRegTree tree;
        TRegParseError error;
        EXPECT_TRUE(ParseRegFile(ReadFile(), tree, error)) << error.Line << ": " << error.Reason;
        return tree;
    }

    static void SetDword(TRegKey& key, const std::string& name, uint32_t v) {
        const uint8_t data[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        key.SetValue(name, rtDword, data, 4);
    }
    static void SetSz(TRegKey& key, const std::string& name, const std::string& s) {
        std::string z = s + std::string(1, '\0');
        key.SetValue(name, rtSz, reinterpret_cast<const uint8_t*>(z.data()), z.size());
    }
    static bool HasValue(const TRegTree& tree, const TRegPath& path, const std::string& name) {
        const TRegNode* node = tree.Find(rhCurrentUser, path);
        return node && node->FindValue(name);
    }

    TTempConfig FConfig;
    const std::string FFile = FConfig.File();
    const std::string FZonaria = fs::path(FFile).parent_path().string();
    const std::string FDir = fs::path(FZonaria).parent_path().string();
};

TEST_F(RegFileHiveTest, ValuesPersistAndNothingIsWrittenWithoutChanges) {
    {
        TFileRegistryHive hive(FFile);
        EXPECT_EQ(hive.OpenKey(rhCurrentUser, "SOFTWARE\\Zonaria", false), nullptr);
        EXPECT_TRUE(hive.Flush());
    }
    EXPECT_FALSE(fs::exists(FZonaria));
    {
        TFileRegistryHive hive(FFile);
        auto key = hive.OpenKey(rhCurrentUser, "\\SOFTWARE\\Zonaria\\Options\\", true);
        ASSERT_NE(key, nullptr);
        SetDword(*key, "Tag", 7);
    }
    TFileRegistryHive hive(FFile);
    auto key = hive.OpenKey(rhCurrentUser, "software\\zonaria\\OPTIONS", false);
    ASSERT_NE(key, nullptr);
    TRegValue v;
    ASSERT_TRUE(key->QueryValue("tag", v));
    EXPECT_EQ(v.Type, rtDword);
    EXPECT_EQ(v.Data, (std::vector<uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"registry.reg"});
    EXPECT_EQ(fs::status(FFile).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RegFileHiveTest, OpenKeyFailsOnceTheKeyIsDeleted) {
    TFileRegistryHive hive(FFile);
    auto key = hive.OpenKey(rhCurrentUser, "A\\B", true);
    SetDword(*key, "x", 1);
    EXPECT_TRUE(hive.DeleteKey(rhCurrentUser, "a"));
    TRegValue v;
    EXPECT_FALSE(key->QueryValue("x", v));
    EXPECT_FALSE(key->SetValue("x", rtDword, v.Data.data(), 0));
    EXPECT_FALSE(hive.DeleteKey(rhCurrentUser, "a"));
    EXPECT_EQ(hive.OpenKey(0x12345678u, "A", true), nullptr);  // no such root
    EXPECT_EQ(hive.OpenKey(rhCurrentUser, "bad\nname", true), nullptr);
    auto other = hive.OpenKey(rhCurrentUser, "C", true);
    EXPECT_FALSE(other->SetValue("two\nlines", rtBinary, nullptr, 0));
}

TEST_F(RegFileHiveTest, TwoWritersKeepEachOthersChanges) {
    {
        TFileRegistryHive seed(FFile);
        auto k = seed.OpenKey(rhCurrentUser, "Z\\Shared", true);
        SetDword(*k, "Old", 1);
        SetDword(*k, "Contested", 0);
        seed.OpenKey(rhCurrentUser, "Z\\Doomed", true);
    }
    TFileRegistryHive a(FFile), b(FFile);
    auto ka = a.OpenKey(rhCurrentUser, "Z\\Shared", false);
    auto kb = b.OpenKey(rhCurrentUser, "Z\\Shared", false);
    SetDword(*ka, "FromA", 1);
    SetDword(*ka, "Contested", 1);
    EXPECT_TRUE(a.DeleteKey(rhCurrentUser, "Z\\Doomed"));
    SetDword(*kb, "FromB", 2);
    EXPECT_TRUE(kb->DeleteValue("Old"));
    auto kbNew = b.OpenKey(rhCurrentUser, "Z\\OnlyB", true);
    ASSERT_TRUE(a.Flush());
    SetDword(*kb, "Contested", 2);  // the later writer of one value wins
    ASSERT_TRUE(b.Flush());

    TRegTree file = ParsedFile();
    EXPECT_TRUE(HasValue(file, {"Z", "Shared"}, "FromA"));
    EXPECT_TRUE(HasValue(file, {"Z", "Shared"}, "FromB"));
    EXPECT_FALSE(HasValue(file, {"Z", "Shared"}, "Old"));
    EXPECT_EQ(file.Find(rhCurrentUser, {"Z", "Doomed"}), nullptr);  // not brought back by b
    EXPECT_NE(file.Find(rhCurrentUser, {"Z", "OnlyB"}), nullptr);
    EXPECT_EQ(file.Find(rhCurrentUser, {"Z", "Shared"})->FindValue("Contested")->Data[0], 2);
    // After its flush b sees a's work too.
    TRegValue v;
    EXPECT_TRUE(kb->QueryValue("FromA", v));
}

TEST_F(RegFileHiveTest, DamagedFileIsPutAsideAndReportedOnceAtStartOrWhileRunning) {
    const std::string junk = "REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"broken\n";
    WriteFile(junk);
    {
        TFileRegistryHive hive(FFile);
        EXPECT_EQ(hive.OpenKey(rhCurrentUser, "X", false), nullptr);  // starts from nothing
        auto warnings = TakeRegistryWarnings();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(FFile), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("line 3"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(".bad-"), std::string::npos) << warnings[0];
        EXPECT_TRUE(TakeRegistryWarnings().empty());
        auto key = hive.OpenKey(rhCurrentUser, "Y", true);
        SetDword(*key, "v", 1);
    }
    auto files = FilesInFolder();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], "registry.reg");
    EXPECT_EQ(files[1].rfind("registry.reg.bad-", 0), 0u);
    std::ifstream aside(FZonaria + "/" + files[1], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), junk);  // untouched
    EXPECT_TRUE(HasValue(ParsedFile(), {"Y"}, "v"));
    TFileRegistryHive again(FFile);
    EXPECT_TRUE(TakeRegistryWarnings().empty());

    // Damaged while running (and within the same second): put aside beside the first, not
    // written over.
    auto key = again.OpenKey(rhCurrentUser, "Y", true);
    WriteFile("not a hive");
    SetDword(*key, "w", 1);
    ASSERT_TRUE(again.Flush());
    EXPECT_EQ(FilesInFolder().size(), 3u);
    EXPECT_TRUE(HasValue(ParsedFile(), {"Y"}, "w"));
    EXPECT_EQ(TakeRegistryWarnings().size(), 1u);
}

TEST_F(RegFileHiveTest, UnreadableFileIsNeverWrittenOver) {
    // A folder where the file should be cannot be read (as root too, unlike a mode of 000).
    fs::create_directories(FFile);
    std::ofstream(FFile + "/mine") << "keep";
    {
        TFileRegistryHive hive(FFile);
        auto key = hive.OpenKey(rhCurrentUser, "Y", true);
        EXPECT_FALSE(hive.Flush());
    }
    EXPECT_TRUE(fs::is_directory(FFile));
    EXPECT_TRUE(fs::exists(FFile + "/mine"));
    auto warnings = TakeRegistryWarnings();
    ASSERT_EQ(warnings.size(), 1u);  // the same trouble is told once
    EXPECT_NE(warnings[0].find("could not be opened"), std::string::npos) << warnings[0];
}

TEST_F(RegFileHiveTest, LinkedFileStaysLinked) {
    fs::create_directories(FZonaria);
    fs::create_directories(FDir + "/dotfiles");
    std::ofstream(FDir + "/dotfiles/registry.reg") << "REGEDIT4\n";
    fs::create_symlink(FDir + "/dotfiles/registry.reg", FFile);
    {
        TFileRegistryHive hive(FFile);
        hive.OpenKey(rhCurrentUser, "Y", true);
    }
    EXPECT_TRUE(fs::is_symlink(FFile));
    EXPECT_NE(ReadFile().find("[HKEY_CURRENT_USER\\Y]"), std::string::npos);
}

// A child that rewrites a large hive over and over, killed at random moments: the file on disk
// must always be a whole hive, the old one or the new one.
TEST_F(RegFileHiveTest, KilledWriterNeverLeavesATornFile) {
    constexpr int kValues = 400;
    {
        TFileRegistryHive seed(FFile);
        auto key = seed.OpenKey(rhCurrentUser, "Load", true);
        for (int i = 0; i < kValues; ++i) SetSz(*key, "V" + std::to_string(i), std::string(40, 'x'));
    }
    std::mt19937 rng(12345);
    // A flush takes tens of milliseconds (the fsync), so the kills land all over it.
    std::uniform_int_distribution<int> delayUs(0, 200000);
    int lastCounter = -1;
    for (int round = 0; round < 25; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TFileRegistryHive hive(FFile);
            auto key = hive.OpenKey(rhCurrentUser, "Load", true);
            for (uint32_t n = 0;; ++n) {
                SetDword(*key, "Counter", n);
                SetSz(*key, "V" + std::to_string(n % kValues), std::string(40, char('a' + n % 26)));
                hive.Flush();
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);

        TRegTree tree;
        TRegParseError error;
        ASSERT_TRUE(ParseRegFile(ReadFile(), tree, error)) << "round " << round;
        const TRegNode* node = tree.Find(rhCurrentUser, {"Load"});
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->Values().size(), size_t(kValues) + (node->FindValue("Counter") ? 1 : 0));
        if (const TRegValue* c = node->FindValue("Counter")) lastCounter = c->Data[0];
    }
    EXPECT_GE(lastCounter, 0) << "the writer never got a flush done";
    for (const auto& name : FilesInFolder())
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.tmp") << name;
    EXPECT_TRUE(TakeRegistryWarnings().empty());
}

// Two processes writing at the same time, each flushing after every change: all changes of
// both end up in the file.
TEST_F(RegFileHiveTest, ConcurrentProcessesLoseNothing) {
    constexpr int kEach = 40;
    pid_t pids[2];
    for (int w = 0; w < 2; ++w) {
        pids[w] = fork();
        ASSERT_GE(pids[w], 0);
        if (pids[w] == 0) {
            TFileRegistryHive hive(FFile);
            auto key = hive.OpenKey(rhCurrentUser, "Shared", true);
            for (int i = 0; i < kEach; ++i) {
                SetDword(*key, "W" + std::to_string(w) + "_" + std::to_string(i), uint32_t(i));
                if (!hive.Flush()) _exit(1);
            }
            _exit(0);
        }
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TRegTree tree = ParsedFile();
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kEach; ++i)
            EXPECT_TRUE(HasValue(tree, {"Shared"}, "W" + std::to_string(w) + "_" + std::to_string(i)));
}

// The settings' hive: freeing its last user writes the file.
TEST_F(RegFileHiveTest, UserRegistryFollowsXdgConfigHomeAndIsShared) {
    EXPECT_EQ(RegistryFilePath(), FFile);
    {
        auto h1 = UserRegistry();
        auto h2 = UserRegistry();
        EXPECT_EQ(h1, h2);
        h1->OpenKey(rhCurrentUser, "SOFTWARE\\Zonaria", true);
    }
    EXPECT_NE(ReadFile().find("[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria]"), std::string::npos);
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // ignored: only absolute paths count
    EXPECT_EQ(RegistryFilePath().rfind("/", 0), 0u);
}

}  // namespace
}  // namespace velkaro
