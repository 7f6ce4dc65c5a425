// The registry-backed settings store. Every keyed operation opens its key, works, and opens the
// key that was current before, so only OpenKey moves CurrentKey. Registry failures come back as
// false or as the caller's default, never as exceptions.
#include "settings/ini_store.h"

#include <cstring>
#include <set>

#include "platform/registry_hive.h"

namespace velkaro {

namespace {

constexpr char kDelim = '\\';

// Stores still alive. Leaked on purpose: options saved at program end may ask after static
// destructors have run.
std::set<const TIniStore*>& LiveStores() {
    static auto* stores = new std::set<const TIniStore*>;
    return *stores;
}

struct TRootMap {
    TRegRootType Type;
    uint32_t Handle;
};
constexpr TRootMap kRootMap[] = {
    {rrtHKEY_CLASSES_ROOT, rhClassesRoot}, {rrtHKEY_CURRENT_USER, rhCurrentUser},
    {rrtHKEY_LOCAL_MACHINE, rhLocalMachine}, {rrtHKEY_USERS, rhUsers},
    {rrtHKEY_CURRENT_CONFIG, rhCurrentConfig},
};

std::string StripLeadingDelim(const std::string& s) {
    return !s.empty() && s[0] == kDelim ? s.substr(1) : s;
}

std::string HexByte(uint8_t b) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

std::string HexNumber(size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[n & 15]);
        n >>= 4;
    } while (n != 0);
    return s;
}

// The strings of a multi-string value: each ends with a zero byte, one more zero ends the list.
TStringList SplitMultiSz(const std::vector<uint8_t>& data) {
    TStringList lines;
    size_t n = data.size();
    if (n >= 2 && data[n - 1] == 0 && data[n - 2] == 0) --n;  // the list's own terminator
    else if (n == 1 && data[0] == 0) n = 0;
    std::string cur;
    for (size_t i = 0; i < n; ++i) {
        if (data[i] == 0) {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(data[i]);
        }
    }
    if (!cur.empty()) lines.push_back(cur);  // a foreign value without its last terminator
    return lines;
}

std::string TextUpToZero(const std::vector<uint8_t>& data) {
    std::string s;
    for (uint8_t b : data) {
        if (b == 0) break;
        s += static_cast<char>(b);
    }
    return s;
}

bool DwordOf(const TRegValue& v, int32_t& out) {
    if (v.Type != rtDword || v.Data.size() != 4) return false;
    uint32_t u = uint32_t(v.Data[0]) | uint32_t(v.Data[1]) << 8 | uint32_t(v.Data[2]) << 16 |
                 uint32_t(v.Data[3]) << 24;
    out = static_cast<int32_t>(u);
    return true;
}

}  // namespace

TIniStore::TIniStore() : FRootHandle(rhCurrentUser) { LiveStores().insert(this); }

TIniStore::TIniStore(TRegRootType root, const std::string& path) : TIniStore() {
    SetDelimiter('\\');
    SetPath(path);
    SetRegRoot(root);
    SetUseRegistry(true);
}

TIniStore::~TIniStore() {
    LiveStores().erase(this);
    if (FKey) FKey->Flush();  // freeing the store writes what it changed
    else if (FHive) FHive->Flush();
    FKey.reset();
    FHive.reset();
}

bool TIniStore::IsLive(const TIniStore* store) { return LiveStores().count(store) != 0; }

// ---- settings ----

void TIniStore::SetUseRegistry(bool value) {
    if (value == FUseRegistry) return;
    FUseRegistry = value;
    if (value) {
        FHive = UserRegistry();
        if (FPath.empty()) FPath = "\\SOFTWARE";
        OpenFullPath(FPath + FCurrentKey, true);
    } else {
        CloseOpenKey();
        FHive.reset();
    }
}

TRegRootType TIniStore::RegRoot() const {
    for (const auto& r : kRootMap)
        if (r.Handle == FRootHandle) return r.Type;
    return rrtHKEY_CURRENT_USER;
}

void TIniStore::SetRegRoot(TRegRootType value) {
    for (const auto& r : kRootMap) {
        if (r.Type != value) continue;
        FRootHandle = r.Handle;
        // Switching the root of the access object closes its key.
        if (FHive) CloseOpenKey();
        return;
    }
}

void TIniStore::SetPath(const std::string& value) {
    if (!FUseRegistry) {
        FPath = value;
        return;
    }
    std::string p = value;
    if (!p.empty() && p.back() == kDelim) p.pop_back();
    if (p.empty()) p = "\\";
    if (p[0] != kDelim) p.insert(p.begin(), kDelim);
    std::string previous = FKeyPath;
    if (OpenFullPath(p, true)) {
        FPath = p;
        FCurrentKey = "\\";
    } else {
        OpenFullPath(previous, true);
    }
}

void TIniStore::SetDelimiter(char value) {
    if (FUseRegistry && value != kDelim)
        throw EIniStoreError("Changing delimiter is not available when using registry.");
    FDelimiter = value;
}

void TIniStore::SetLazyWrite(bool value) { FLazyWrite = value; }

// ---- keys ----

void TIniStore::CloseOpenKey() {
    if (FKey && !FLazyWrite) FKey->Flush();
    FKey.reset();
}

bool TIniStore::OpenFullPath(const std::string& fullPath, bool canCreate) {
    CloseOpenKey();
    if (!FHive) return false;
    FKey = FHive->OpenKey(FRootHandle, fullPath, canCreate);
    if (!FKey) return false;
    FKeyPath = StripLeadingDelim(fullPath);
    return true;
}

// Steps 2 and 3 of opening: the key as a path below Path, with Path not yet in front.
std::string TIniStore::ResolveKey(const std::string& key) const {
    std::string k = key;
    if (k[0] != kDelim) {
        if (!FCurrentKey.empty() && FCurrentKey.back() == kDelim) k = FCurrentKey + k;
        else k = FCurrentKey + kDelim + k;
    }
    if (!k.empty() && k.back() == kDelim) k.pop_back();
    if (!FPath.empty() && FPath.back() == kDelim && !k.empty() && k[0] == kDelim) k.erase(0, 1);
    return k;
}

bool TIniStore::OpenKey(const std::string& key, bool canCreate) {
    if (key.empty() || RegFoldName(key) == RegFoldName(FCurrentKey)) return true;
    if (!FUseRegistry || !FHive) return false;
    std::string k = ResolveKey(key);
    std::string remembered = FKeyPath;
    if (!OpenFullPath(FPath + k, canCreate)) {
        OpenFullPath(remembered, true);
        return false;
    }
    std::string cur = FKeyPath;
    if (cur.empty() || cur[0] != kDelim) cur.insert(cur.begin(), kDelim);
    if (cur.compare(0, FPath.size(), FPath) == 0) cur.erase(0, FPath.size());
    FCurrentKey = cur.empty() ? std::string(1, kDelim) : cur;
    return true;
}

template <typename F>
bool TIniStore::WithKey(const std::string& key, bool canCreate, F&& work) {
    if (!FUseRegistry || !FHive) return false;
    if (key.empty()) return FKey ? work(*FKey) : false;
    std::string saved = FCurrentKey;
    bool ok = OpenKey(key, canCreate) && FKey && work(*FKey);
    OpenKey(saved, false);
    return ok;
}

bool TIniStore::KeyExists(const std::string& key) {
    return WithKey(key, false, [](TRegKey&) { return true; });
}

// ---- reads ----

bool TIniStore::ReadInteger(const std::string& key, const std::string& name, int32_t def,
                            int32_t& value) {
    value = def;
    return WithKey(key, false, [&](TRegKey& k) {
        TRegValue v;
        int32_t n;
        if (!k.QueryValue(name, v) || !DwordOf(v, n)) return false;
        value = n;
        return true;
    });
}

int32_t TIniStore::ReadInteger(const std::string& key, const std::string& name, int32_t def) {
    int32_t v;
    ReadInteger(key, name, def, v);
    return v;
}

bool TIniStore::ReadBool(const std::string& key, const std::string& name, bool def, bool& value) {
    int32_t n;
    bool ok = ReadInteger(key, name, def ? 1 : 0, n);
    value = n != 0;
    return ok;
}

bool TIniStore::ReadBool(const std::string& key, const std::string& name, bool def) {
    bool v;
    ReadBool(key, name, def, v);
    return v;
}

bool TIniStore::ReadString(const std::string& key, const std::string& name, const std::string& def,
                           std::string& value) {
    value = def;
    return WithKey(key, false, [&](TRegKey& k) {
        TRegValue v;
        if (!k.QueryValue(name, v)) return false;
        switch (v.Type) {
        case rtSz:
        case rtExpandSz:
            value = TextUpToZero(v.Data);
            return true;
        case rtDword: {
            int32_t n;
            if (!DwordOf(v, n)) return false;
            value = std::to_string(n);
            return true;
        }
        case rtMultiSz: {
            std::string joined;
            TStringList lines = SplitMultiSz(v.Data);
            for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "\r\n" : "") + lines[i];
            value = joined;
            return true;
        }
        case rtBinary: {
            std::string s = "454C " + HexNumber(v.Data.size()) + " ";
            for (uint8_t b : v.Data) s += HexByte(b) + " ";
            value = s;
            return true;
        }
        default:
            return false;
        }
    });
}

std::string TIniStore::ReadString(const std::string& key, const std::string& name,
                                  const std::string& def) {
    std::string v;
    ReadString(key, name, def, v);
    return v;
}

bool TIniStore::ReadBinary(const std::string& key, const std::string& name, void* buffer,
                           size_t size) {
    return WithKey(key, false, [&](TRegKey& k) {
        TRegValue v;
        if (!k.QueryValue(name, v) || v.Type != rtBinary || v.Data.size() > size) return false;
        if (!v.Data.empty()) std::memcpy(buffer, v.Data.data(), v.Data.size());
        return true;
    });
}

bool TIniStore::ReadMultiString(const std::string& key, const std::string& name,
                                TStringList& lines) {
    return WithKey(key, false, [&](TRegKey& k) {
        TRegValue v;
        if (!k.QueryValue(name, v) || v.Type != rtMultiSz) return false;
        lines = SplitMultiSz(v.Data);
        return true;
    });
}

// ---- writes ----

bool TIniStore::WriteInteger(const std::string& key, const std::string& name, int32_t value) {
    auto u = static_cast<uint32_t>(value);
    const uint8_t data[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    return WithKey(key, true, [&](TRegKey& k) { return k.SetValue(name, rtDword, data, 4); });
}

bool TIniStore::WriteBool(const std::string& key, const std::string& name, bool value) {
    return WriteInteger(key, name, value ? 1 : 0);
}

bool TIniStore::WriteString(const std::string& key, const std::string& name,
                            const std::string& value) {
    std::vector<uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    return WithKey(key, true,
                   [&](TRegKey& k) { return k.SetValue(name, rtSz, data.data(), data.size()); });
}

bool TIniStore::WriteBinary(const std::string& key, const std::string& name, const void* data,
                            size_t size) {
    return WithKey(key, true, [&](TRegKey& k) {
        return k.SetValue(name, rtBinary, static_cast<const uint8_t*>(data), size);
    });
}

bool TIniStore::WriteMultiString(const std::string& key, const std::string& name,
                                 const TStringList& lines) {
    std::vector<uint8_t> data;
    for (const auto& line : lines) {
        data.insert(data.end(), line.begin(), line.end());
        data.push_back(0);
    }
    data.push_back(0);
    return WithKey(key, true,
                   [&](TRegKey& k) { return k.SetValue(name, rtMultiSz, data.data(), data.size()); });
}

// ---- deleting and listing ----

bool TIniStore::DeleteEntry(const std::string& key, const std::string& name) {
    if (!name.empty())
        return WithKey(key, false, [&](TRegKey& k) { return k.DeleteValue(name); });
    if (!FUseRegistry || !FHive) return false;
    std::string target = key.empty() ? FCurrentKey : key;
    std::string full = FPath + ResolveKey(target);
    ClearKey(target);
    if (!FHive->DeleteKey(FRootHandle, full)) return false;
    // A value of the parent that bears the deleted key's name goes too.
    size_t cut = full.find_last_of(kDelim);
    if (cut != std::string::npos) {
        std::string parent = full.substr(0, cut);
        std::string leaf = full.substr(cut + 1);
        if (auto p = FHive->OpenKey(FRootHandle, parent, false)) p->DeleteValue(leaf);
    }
    return true;
}

bool TIniStore::EnumSubKeys(const std::string& key, TStringList& names) {
    return WithKey(key, true, [&](TRegKey& k) { return k.EnumKeys(names); });
}

bool TIniStore::EnumValues(const std::string& key, TStringList& names) {
    return WithKey(key, true, [&](TRegKey& k) {
        TStringList values, keys;
        if (!k.EnumValues(values) || !k.EnumKeys(keys)) return false;
        std::set<std::string> keyNames;
        for (const auto& s : keys) keyNames.insert(RegFoldName(s));
        names.clear();
        for (const auto& v : values)
            if (!keyNames.count(RegFoldName(v))) names.push_back(v);
        return true;
    });
}

bool TIniStore::ClearKey(const std::string& key) {
    if (!FUseRegistry || !FHive) return false;
    std::string full = FPath + ResolveKey(key.empty() ? FCurrentKey : key);
    auto k = FHive->OpenKey(FRootHandle, full, false);
    if (!k) return false;
    TStringList keys, values;
    bool ok = k->EnumKeys(keys) && k->EnumValues(values);
    for (const auto& name : values) ok = k->DeleteValue(name) && ok;
    for (const auto& sub : keys) ok = FHive->DeleteKey(FRootHandle, full + kDelim + sub) && ok;
    return ok;
}

bool TIniStore::RenameValue(const std::string& key, const std::string& oldName,
                            const std::string& newName) {
    if (!FUseRegistry) return false;
    return WithKey(key, false, [&](TRegKey& k) {
        TRegValue v;
        if (!k.QueryValue(oldName, v)) return false;
        // A change of case only: the old entry must go first, or the set would keep its name.
        if (RegSameName(oldName, newName))
            return k.DeleteValue(oldName) &&
                   k.SetValue(newName, v.Type, v.Data.data(), v.Data.size());
        return k.SetValue(newName, v.Type, v.Data.data(), v.Data.size()) && k.DeleteValue(oldName);
    });
}

// ---- file mode only ----

bool TIniStore::RenameKey(const std::string&, const std::string&) {
    if (FUseRegistry) throw EIniStoreError("Key can not be renamed when using registry.");
    return false;
}

bool TIniStore::SetValueType(const std::string&, const std::string&, TIniValueType) {
    if (FUseRegistry)
        throw EIniStoreError("SetValueType method is not available when using registry.");
    return false;
}

bool TIniStore::GetValueEntry(const std::string&, const std::string&, std::string&) {
    if (FUseRegistry)
        throw EIniStoreError("GetValueEntry method is not available when using registry.");
    return false;
}

bool TIniStore::CreateValue(const std::string&, const std::string&) {
    if (FUseRegistry)
        throw EIniStoreError("CreateValue method is not available when using registry.");
    return false;
}

}  // namespace velkaro
