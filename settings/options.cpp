// The options object: its property table and how Load and Save walk it by name.
#include "settings/options.h"

#include <algorithm>
#include <memory>

#include "platform/registry_hive.h"
#include "settings/ini_store.h"

namespace velkaro {

namespace {

// Font style sets are stored too: values an older version never wrote, so its files load
// with no style, as it showed them.
bool IsOrdinalStored(TPropKind k) {
    return k == pkInteger || k == pkColor || k == pkEnumeration || k == pkBoolean || k == pkSet;
}

// What a stored number means for a property: a set keeps only the flags it has.
int64_t StoredOrdinal(TPropKind k, int32_t value) {
    if (k == pkBoolean) return value != 0;
    if (k == pkSet) return value & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
    return value;
}

// The stored entries of a table in alphabetical order of their names.
std::vector<const TPropInfo*> StoredInOrder(const TPropTable& table) {
    std::vector<const TPropInfo*> out;
    for (const auto& p : table)
        if (IsOrdinalStored(p.Kind) || p.Kind == pkString || p.Kind == pkStringList)
            out.push_back(&p);
    std::stable_sort(out.begin(), out.end(), [](const TPropInfo* a, const TPropInfo* b) {
        return RegFoldName(a->Name) < RegFoldName(b->Name);
    });
    return out;
}

// The store and section for one Load or Save. `owned` holds a store made just for the call.
struct TChosenStorage {
    std::unique_ptr<TIniStore> Owned;
    TIniStore* Store = nullptr;
    std::string Section;
};

TChosenStorage ChooseStorage(TStorageType kind, const TPersistentOptions& o) {
    TChosenStorage c;
    switch (kind) {
    case eosRegistry:
        c.Owned = std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER, o.IniName);
        c.Section = std::string(1, c.Owned->Delimiter()) + o.IniSection;
        break;
    case eosIni:
        // The file-backed store is not built: its reads give the defaults, its writes do nothing.
        c.Owned = std::make_unique<TIniStore>();
        c.Owned->SetPath(o.IniName);
        c.Section = o.IniSection;
        break;
    case eosStore:
        if (o.Storage) {
            c.Store = o.Storage;
        } else {
            c.Owned = std::make_unique<TIniStore>();
            c.Owned->SetPath(o.IniName);
        }
        break;
    default:
        return c;  // an unknown kind (a hand-edited value) reaches no storage
    }
    if (c.Owned) c.Store = c.Owned.get();
    if (kind == eosStore) c.Section = std::string(1, c.Store->Delimiter()) + o.IniSection;
    return c;
}

const TPropTable& BaseTable() {
    using B = TPersistentOptions;
    static const TPropTable table = {
        OrdinalProp<B>("AutoSave", pkBoolean, &B::AutoSave),
        StringProp<B>("IniName", &B::IniName),
        StringProp<B>("IniSection", &B::IniSection),
        ObjectProp<B>("Storage", pkObject, &B::Storage),
        OrdinalProp<B>("StorageType", pkEnumeration, &B::StorageType),
    };
    return table;
}

// Where the options live is the program's choice: a hand-edited value of these must not send
// later saves to another key, so they are written like the rest but never read back.
bool IsLocationEntry(const TPropInfo& p) { return p.Name == "StorageType" || p.Name == "IniSection"; }

struct TLoadingFlag {
    explicit TLoadingFlag(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TLoadingFlag() { FFlag = false; }
    bool& FFlag;
};

}  // namespace

// ---- the base ----

TPersistentOptions::~TPersistentOptions() { AutoSaveOnDestroy(); }

void TPersistentOptions::AutoSaveOnDestroy() {
    if (FAutoSaveDone) return;
    FAutoSaveDone = true;
    if (!AutoSave) return;
    // At program end the store this object points at may be gone already; it keeps no notice
    // of that, so ask whether the store still lives rather than touch it.
    if (StorageType == eosStore && Storage && !TIniStore::IsLive(Storage)) return;
    try {
        Save();
    } catch (...) {
        // A destructor must not throw; a failed late save is no worse than a skipped one.
    }
}

const TPropTable& TPersistentOptions::Properties() const { return BaseTable(); }

const TPropInfo* TPersistentOptions::FindProp(const std::string& name) const {
    for (const auto& p : Properties())
        if (RegSameName(p.Name, name)) return &p;
    return nullptr;
}

bool TPersistentOptions::GetOrdProp(const std::string& name, int64_t& value) const {
    const TPropInfo* p = FindProp(name);
    if (!p || !p->GetOrd) return false;
    value = p->GetOrd(*this);
    return true;
}

bool TPersistentOptions::SetOrdProp(const std::string& name, int64_t value) {
    const TPropInfo* p = FindProp(name);
    if (!p || !p->SetOrd) return false;
    p->SetOrd(*this, value);
    return true;
}

bool TPersistentOptions::GetStrProp(const std::string& name, std::string& value) const {
    const TPropInfo* p = FindProp(name);
    if (!p || !p->GetStr) return false;
    value = p->GetStr(*this);
    return true;
}

bool TPersistentOptions::SetStrProp(const std::string& name, const std::string& value) {
    const TPropInfo* p = FindProp(name);
    if (!p || !p->SetStr) return false;
    p->SetStr(*this, value);
    return true;
}

void* TPersistentOptions::GetObjectProp(const std::string& name) {
    const TPropInfo* p = FindProp(name);
    return p && p->GetObject ? p->GetObject(*this) : nullptr;
}

void TPersistentOptions::Load() {
    TLoadingFlag loading(Loading);
    const TStorageType kind = StorageType;
    TChosenStorage storage = ChooseStorage(kind, *this);
    if (storage.Store) {
        for (const TPropInfo* p : StoredInOrder(Properties())) {
            if (IsLocationEntry(*p)) continue;
            if (IsOrdinalStored(p->Kind)) {
                int32_t current = static_cast<int32_t>(p->GetOrd(*this));
                int32_t value;
                if (storage.Store->ReadInteger(storage.Section, p->Name, current, value))
                    p->SetOrd(*this, StoredOrdinal(p->Kind, value));
            } else if (p->Kind == pkString) {
                std::string value;
                if (storage.Store->ReadString(storage.Section, p->Name, p->GetStr(*this), value))
                    p->SetStr(*this, value);
            } else if (p->Kind == pkStringList && kind == eosStore) {
                if (auto* list = static_cast<std::vector<std::string>*>(p->GetObject(*this)))
                    storage.Store->ReadMultiString(storage.Section, p->Name, *list);
            }
        }
    }
    storage.Owned.reset();
    Loaded();
}

void TPersistentOptions::Save() {
    const TStorageType kind = StorageType;
    TChosenStorage storage = ChooseStorage(kind, *this);
    if (!storage.Store) return;
    // With the shared store the section becomes its current key and stays so; if it cannot be
    // opened, the values go into whatever key is current.
    std::string key = storage.Section;
    if (kind == eosStore) {
        storage.Store->OpenKey(storage.Section, true);
        key.clear();
    }
    for (const TPropInfo* p : StoredInOrder(Properties())) {
        if (IsOrdinalStored(p->Kind)) {
            storage.Store->WriteInteger(key, p->Name, static_cast<int32_t>(p->GetOrd(*this)));
        } else if (p->Kind == pkString) {
            storage.Store->WriteString(key, p->Name, p->GetStr(*this));
        } else if (p->Kind == pkStringList && kind == eosStore) {
            if (auto* list = static_cast<std::vector<std::string>*>(p->GetObject(*this)))
                storage.Store->WriteMultiString(key, p->Name, *list);
        }
    }
}

// ---- the program's options ----

TZonariaOptions::~TZonariaOptions() { AutoSaveOnDestroy(); }

const TPropTable& TZonariaOptions::Properties() const {
    using Z = TZonariaOptions;
    static const TPropTable table = [] {
        TPropTable t = BaseTable();
        TPropTable own = {
            StringProp<Z>("Name", &Z::Name),
            OrdinalProp<Z>("Tag", pkInteger, &Z::Tag),
            OrdinalProp<Z>("StatusColor", pkColor, &Z::StatusColor),
            OrdinalProp<Z>("StatusFontColor", pkColor, &Z::StatusFontColor),
            OrdinalProp<Z>("StatusFontStyle", pkSet, &Z::StatusFontStyle),
            OrdinalProp<Z>("StatusFontSize", pkInteger, &Z::StatusFontSize),
            OrdinalProp<Z>("MVTColor", pkColor, &Z::MVTColor),
            OrdinalProp<Z>("MVTFontColor", pkColor, &Z::MVTFontColor),
            OrdinalProp<Z>("HintColor", pkColor, &Z::HintColor),
            OrdinalProp<Z>("HintFontColor", pkColor, &Z::HintFontColor),
            OrdinalProp<Z>("MVTFontStyle", pkSet, &Z::MVTFontStyle),
            OrdinalProp<Z>("HintFontStyle", pkSet, &Z::HintFontStyle),
            OrdinalProp<Z>("MVTFontSize", pkInteger, &Z::MVTFontSize),
            OrdinalProp<Z>("HintFontSize", pkInteger, &Z::HintFontSize),
            OrdinalProp<Z>("MVTFormat", pkInteger, &Z::MVTFormat),
            StringProp<Z>("HintTimeFormat", &Z::HintTimeFormat),
            StringProp<Z>("StatusTimeFormat", &Z::StatusTimeFormat),
            OrdinalProp<Z>("ShowDaylight", pkBoolean, &Z::ShowDaylight),
            StringProp<Z>("TimeServer", &Z::TimeServer),
            StringProp<Z>("TimeProtocol", &Z::TimeProtocol),
            ObjectProp<Z>("TimeServers", pkStringList, &Z::TimeServers),
        };
        t.insert(t.end(), own.begin(), own.end());
        return t;
    }();
    return table;
}

TZonariaOptions& ZonariaOptions() {
    static TZonariaOptions options;
    return options;
}

}  // namespace velkaro
