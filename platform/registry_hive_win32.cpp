// The current user's hive on Windows: the registry itself, through the ANSI registry functions
// (the program's text is 8-bit in the system code page). Keys are opened afresh for each OpenKey
// below the predefined root, so a redirected root (as tests arrange) is honoured at once.
#include <windows.h>

#include <limits>

#include "platform/reg_file.h"
#include "platform/registry_hive.h"

namespace velkaro {

namespace {

HKEY RootKey(uint32_t root) {
    switch (root) {
        case rhClassesRoot: return HKEY_CLASSES_ROOT;
        case rhCurrentUser: return HKEY_CURRENT_USER;
        case rhLocalMachine: return HKEY_LOCAL_MACHINE;
        case rhUsers: return HKEY_USERS;
        case rhCurrentConfig: return HKEY_CURRENT_CONFIG;
        default: return nullptr;
    }
}

// The registry takes names the settings file cannot carry; refusing them here keeps a store
// behaving alike on every system, and the settings exportable.
bool JoinStorable(const TRegPath& parts, std::string& joined) {
    joined.clear();
    for (const std::string& part : parts) {
        if (!RegNameStorable(part)) return false;
        if (!joined.empty()) joined += '\\';
        joined += part;
    }
    return true;
}

class TWin32RegKey : public TRegKey {
public:
    explicit TWin32RegKey(HKEY key) : FKey(key) {}
    ~TWin32RegKey() override { RegCloseKey(FKey); }

    bool QueryValue(const std::string& name, TRegValue& value) override {
        DWORD type = 0, size = 0;
        LONG rc = RegQueryValueExA(FKey, name.c_str(), nullptr, &type, nullptr, &size);
        // The value may grow between asking its size and reading it; ask again then.
        for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 8; ++attempt) {
            std::vector<uint8_t> data(size);
            DWORD got = size;
            rc = RegQueryValueExA(FKey, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(),
                                  &got);
            if (rc == ERROR_SUCCESS) {
                data.resize(got);
                value.Type = type;
                value.Data = std::move(data);
                return true;
            }
            if (rc == ERROR_MORE_DATA) {
                size = got;
                rc = ERROR_SUCCESS;
            }
        }
        return false;
    }

    bool SetValue(const std::string& name, uint32_t type, const uint8_t* data, size_t size) override {
        if (!RegNameStorable(name) || size > std::numeric_limits<DWORD>::max()) return false;
        return RegSetValueExA(FKey, name.c_str(), 0, type, data, static_cast<DWORD>(size)) == ERROR_SUCCESS;
    }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(FKey, name.c_str()) == ERROR_SUCCESS;
    }

    bool EnumKeys(std::vector<std::string>& names) override { return Enum(names, true); }
    bool EnumValues(std::vector<std::string>& names) override { return Enum(names, false); }

    bool Flush() override { return RegFlushKey(FKey) == ERROR_SUCCESS; }

private:
    bool Enum(std::vector<std::string>& names, bool keys) {
        names.clear();
        DWORD maxKey = 0, maxValue = 0;
        if (RegQueryInfoKeyA(FKey, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, &maxValue,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        std::vector<char> buf((keys ? maxKey : maxValue) + 1);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            const LONG rc = keys ? RegEnumKeyExA(FKey, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                                 : RegEnumValueA(FKey, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) return true;
            if (rc == ERROR_MORE_DATA) {  // a longer name arrived meanwhile: start over, larger
                buf.resize(buf.size() * 2);
                names.clear();
                i = static_cast<DWORD>(-1);
                continue;
            }
            if (rc != ERROR_SUCCESS) return false;
            names.emplace_back(buf.data(), len);
        }
    }

    HKEY FKey;
};

class TWin32RegistryHive : public TRegistryHive {
public:
    std::unique_ptr<TRegKey> OpenKey(uint32_t root, const std::string& path, bool canCreate) override {
        HKEY base = RootKey(root);
        std::string joined;
        if (base == nullptr || !JoinStorable(SplitRegPath(path), joined)) return nullptr;
        HKEY key = nullptr;
        const LONG rc = canCreate ? RegCreateKeyExA(base, joined.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                    KEY_ALL_ACCESS, nullptr, &key, nullptr)
                                  : RegOpenKeyExA(base, joined.c_str(), 0, KEY_ALL_ACCESS, &key);
        if (rc != ERROR_SUCCESS) return nullptr;
        return std::make_unique<TWin32RegKey>(key);
    }

    // With everything below it, as the file hive does: RegDeleteKeyA alone refuses a key that
    // has subkeys.
    bool DeleteKey(uint32_t root, const std::string& path) override {
        HKEY base = RootKey(root);
        std::string joined;
        if (base == nullptr || !JoinStorable(SplitRegPath(path), joined) || joined.empty()) return false;
        return RegDeleteTreeA(base, joined.c_str()) == ERROR_SUCCESS;
    }

    bool Flush() override { return RegFlushKey(HKEY_CURRENT_USER) == ERROR_SUCCESS; }
};

}  // namespace

std::shared_ptr<TRegistryHive> UserRegistry() {
    static auto* slot = new std::weak_ptr<TRegistryHive>;  // leaked: reachable during exit
    if (auto hive = slot->lock()) return hive;
    auto hive = std::make_shared<TWin32RegistryHive>();
    *slot = hive;
    return hive;
}

}  // namespace velkaro
