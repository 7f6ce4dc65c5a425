// The private hive on Windows: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are redirected, for this
// process, to scratch keys below the real HKEY_CURRENT_USER, which are deleted afterwards.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <system_error>

#include "platform/registry_hive.h"
#include "tests/settings/temp_config.h"

namespace velkaro {

namespace {

const std::string kScratchBase = "Software\\VelkaroTests";

std::string ScratchKey(const char* root) {
    static std::atomic<int> counter{0};
    return kScratchBase + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + root;
}

// The scratch key names, kept while redirected: the redirection hides the real root.
struct TRedirect {
    HKEY Root;
    std::string Key;
};
TRedirect gRedirects[] = {{HKEY_CURRENT_USER, {}}, {HKEY_LOCAL_MACHINE, {}}};

void Walk(TRegistryHive& hive, uint32_t root, const std::string& path, TRegTree& tree) {
    auto key = hive.OpenKey(root, path, false);
    if (!key) return;
    TRegNode* node = tree.Create(root, SplitRegPath(path));
    std::vector<std::string> names;
    key->EnumValues(names);
    for (const std::string& name : names) {
        TRegValue value;
        if (key->QueryValue(name, value)) node->SetValue(name, value);
    }
    key->EnumKeys(names);
    for (const std::string& name : names) Walk(hive, root, path.empty() ? name : path + "\\" + name, tree);
}

}  // namespace

TTempConfig::TTempConfig() {
    std::error_code ec;
    const auto dir = std::filesystem::temp_directory_path(ec) /
                     ("velkaro-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(GetTickCount()));
    std::filesystem::create_directories(dir, ec);
    FDir = dir.string();
    for (TRedirect& r : gRedirects) {
        r.Key = ScratchKey(r.Root == HKEY_CURRENT_USER ? "user" : "machine");
        HKEY scratch = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, r.Key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &scratch, nullptr) == ERROR_SUCCESS) {
            RegOverridePredefKey(r.Root, scratch);
            RegCloseKey(scratch);
        }
    }
    TakeRegistryWarnings();
}

TTempConfig::~TTempConfig() {
    for (TRedirect& r : gRedirects) RegOverridePredefKey(r.Root, nullptr);
    for (TRedirect& r : gRedirects) RegDeleteTreeA(HKEY_CURRENT_USER, r.Key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchBase.c_str());  // only when no other test holds one
    std::error_code ec;
    std::filesystem::remove_all(FDir, ec);
}

std::string TTempConfig::File() const { return FDir + "\\Zonaria\\registry.reg"; }

TRegTree TTempConfig::Tree() const {
    TRegTree tree;
    auto hive = UserRegistry();
    hive->Flush();
    for (uint32_t root : {uint32_t{rhCurrentUser}, uint32_t{rhLocalMachine}}) Walk(*hive, root, "", tree);
    return tree;
}

std::string TTempConfig::Text() const { return FormatRegFile(Tree()); }

bool TTempConfig::WritesWaitForFlush() { return false; }

}  // namespace velkaro
