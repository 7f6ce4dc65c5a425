// Root names, name folding and the pending warnings about the settings file: the parts of the
// registry seam that are the same on every system.
#include "platform/registry_hive.h"

#include <set>

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

namespace {

// Latin-1: a-z and the accented lower-case letters (not the division sign or y-diaeresis).
char FoldChar(char c) {
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 0x20);
    return c;
}

}  // namespace

std::string RegFoldName(const std::string& name) {
    std::string s = name;
    for (char& c : s) c = FoldChar(c);
    return s;
}

bool RegSameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

namespace {

struct TWarnings {
    std::vector<std::string> Pending;
    std::set<std::string> Told;  // each message once per run
};
TWarnings& Warnings() {
    static auto* w = new TWarnings;
    return *w;
}

}  // namespace

std::vector<std::string> TakeRegistryWarnings() {
    std::vector<std::string> out;
    out.swap(Warnings().Pending);
    return out;
}

void AddRegistryWarning(const std::string& message) {
    if (Warnings().Told.insert(message).second) Warnings().Pending.push_back(message);
}

}  // namespace velkaro
