// The program's options: every setting of the displays, stored by name through a property table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace velkaro {

class TIniStore;

using TColor = uint32_t;       // 0x00BBGGRR, or 0x80000000 + system colour index
using TFontStyles = uint8_t;   // fsBold | fsItalic | fsUnderline | fsStrikeOut
constexpr TFontStyles fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;
constexpr TColor clInfoBk = 0x80000018;  // the desktop's tooltip background

enum TStorageType : int32_t { eosRegistry = 0, eosIni = 1, eosStore = 2 };

class TPersistentOptions;

// Kinds of property-table entries. Which of them are stored is decided by the kind alone:
// integers, colours, enumerations, booleans and sets as numbers, strings as text, string lists
// as multi-strings (only with eosStore); characters, floating point, callbacks and other object
// references are not stored.
enum TPropKind : int32_t {
    pkInteger, pkColor, pkEnumeration, pkBoolean, pkString, pkStringList, pkObject,
    pkSet, pkChar, pkFloat, pkCallback
};

// One property: its name, kind and access. Ordinal kinds use GetOrd/SetOrd, strings GetStr/SetStr,
// object references GetObject (a string list is a std::vector<std::string>).
struct TPropInfo {
    std::string Name;
    TPropKind Kind = pkInteger;
    std::function<int64_t(const TPersistentOptions&)> GetOrd;
    std::function<void(TPersistentOptions&, int64_t)> SetOrd;
    std::function<std::string(const TPersistentOptions&)> GetStr;
    std::function<void(TPersistentOptions&, const std::string&)> SetStr;
    std::function<void*(TPersistentOptions&)> GetObject;
};
using TPropTable = std::vector<TPropInfo>;

// Table entries over data members of a class derived from TPersistentOptions.
template <class C, class T>
TPropInfo OrdinalProp(const char* name, TPropKind kind, T C::*field) {
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.GetOrd = [field](const TPersistentOptions& o) {
        return static_cast<int64_t>(static_cast<const C&>(o).*field);
    };
    p.SetOrd = [field](TPersistentOptions& o, int64_t v) { static_cast<C&>(o).*field = static_cast<T>(v); };
    return p;
}

template <class C>
TPropInfo StringProp(const char* name, std::string C::*field) {
    TPropInfo p;
    p.Name = name;
    p.Kind = pkString;
    p.GetStr = [field](const TPersistentOptions& o) { return static_cast<const C&>(o).*field; };
    p.SetStr = [field](TPersistentOptions& o, const std::string& v) { static_cast<C&>(o).*field = v; };
    return p;
}

template <class C, class T>
TPropInfo ObjectProp(const char* name, TPropKind kind, T C::*field) {
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.GetObject = [field](TPersistentOptions& o) -> void* {
        if constexpr (std::is_pointer_v<T>) return static_cast<C&>(o).*field;
        else return &(static_cast<C&>(o).*field);
    };
    return p;
}

// Base: Load and Save work over the subclass's property table by name, in alphabetical order.
class TPersistentOptions {
public:
    TPersistentOptions() = default;
    TPersistentOptions(const TPersistentOptions&) = default;
    TPersistentOptions& operator=(const TPersistentOptions&) = default;
    virtual ~TPersistentOptions();
    void Load();
    void Save();

    // The property table; a subclass returns the base's entries followed by its own.
    virtual const TPropTable& Properties() const;

    // Property access by name; false (or none) for an unknown name or another kind.
    const TPropInfo* FindProp(const std::string& name) const;
    bool GetOrdProp(const std::string& name, int64_t& value) const;
    bool SetOrdProp(const std::string& name, int64_t value);
    bool GetStrProp(const std::string& name, std::string& value) const;
    bool SetStrProp(const std::string& name, const std::string& value);
    void* GetObjectProp(const std::string& name);

    bool AutoSave = false;
    std::string IniName;
    std::string IniSection = "Options";
    TIniStore* Storage = nullptr;
    TStorageType StorageType = eosRegistry;
    bool Loading = false;

protected:
    // Runs after Load has read everything.
    virtual void Loaded() {}
    // The save that AutoSave asks for at destruction; the most derived destructor calls it
    // while its own fields still exist. Skipped when the store it would use is gone.
    void AutoSaveOnDestroy();

private:
    bool FAutoSaveDone = false;
};

class TZonariaOptions : public TPersistentOptions {
public:
    TZonariaOptions() = default;
    TZonariaOptions(const TZonariaOptions&) = default;
    TZonariaOptions& operator=(const TZonariaOptions&) = default;
    ~TZonariaOptions() override;
    const TPropTable& Properties() const override;

    std::string Name;
    int32_t Tag = 0;
    TColor StatusColor = 0;
    TColor StatusFontColor = 0xFFFFFF;  // white on the box
    TFontStyles StatusFontStyle = 0;
    uint32_t StatusFontSize = 8;
    TColor MVTColor = 0xFF0000;      // blue, with
    TColor MVTFontColor = 0x00FFFF;  // yellow text
    TColor HintColor = clInfoBk;
    TColor HintFontColor = 0;
    TFontStyles MVTFontStyle = 0;
    TFontStyles HintFontStyle = 0;
    uint32_t MVTFontSize = 8;
    uint32_t HintFontSize = 8;
    int32_t MVTFormat = 0;
    std::string HintTimeFormat = "D x";
    std::string StatusTimeFormat = "DD xx";
    // Night and twilight shaded over the map; off by default, the map is then a still picture.
    bool ShowDaylight = false;
    // The synchronizer's server (empty: the default one) and the servers that answered it
    // lately, most recent first.
    std::string TimeServer;
    std::vector<std::string> TimeServers;
    // How that server is asked: "Daytime" or "NTP".
    std::string TimeProtocol = "Daytime";
};

// The one global options object, created with its defaults before any window.
TZonariaOptions& ZonariaOptions();

}  // namespace velkaro
