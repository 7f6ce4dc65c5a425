// Root names, name folding, the shared user hive and the pending warnings about the settings file.
#include "platform/registry_hive.h"

namespace velkaro {

TRegKey::~TRegKey() = default;
TRegistryHive::~TRegistryHive() = default;

namespace {

struct TRootName {
    uint32_t Handle;
    const char* Name;
};
constexpr TRootName kRoots[] = {
    {rhClassesRoot, "HKEY_CLASSES_ROOT"}, {rhCurrentUser, "HKEY_CURRENT_USER"},
    {rhLocalMachine, "HKEY_LOCAL_MACHINE"}, {rhUsers, "HKEY_USERS"},
    {rhCurrentConfig, "HKEY_CURRENT_CONFIG"},
};

}  // namespace

std::string RegRootName(uint32_t root) {
    for (const auto& r : kRoots)
        if (r.Handle == root) return r.Name;
    return {};
}

uint32_t RegRootFromName(const std::string& name) {
    for (const auto& r : kRoots)
        if (RegSameName(name, r.Name)) return r.Handle;
    return 0;
}

std::string RegFoldName(const std::string& name) {
    std::string s = name;
    for (char& c : s) {
        auto u = static_cast<unsigned char>(c);
        // Latin-1: a-z and the accented lower-case letters (not the division sign or y-diaeresis).
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            c = static_cast<char>(u - 0x20);
    }
    return s;
}

bool RegSameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && RegFoldName(a) == RegFoldName(b);
}

std::shared_ptr<TRegistryHive> UserRegistry() { return nullptr; }

std::string RegistryFilePath() { return {}; }

std::vector<std::string> TakeRegistryWarnings() { return {}; }
void AddRegistryWarning(const std::string&) {}

}  // namespace velkaro
