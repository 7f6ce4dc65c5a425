// The settings store: keys holding named, typed values, addressed by key paths below a fixed
// registry root and base path. Only the registry-backed mode is built; the file-backed mode's
// settings exist so that callers can set them, but its operations do nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

namespace velkaro {

class TRegistryHive;
class TRegKey;

// Raised only by the operations that belong to the file-backed mode.
class EIniStoreError : public Error {
public:
    using Error::Error;
};

enum TRegRootType : int32_t {
    rrtUnknown,
    rrtHKEY_CLASSES_ROOT,
    rrtHKEY_CURRENT_USER,
    rrtHKEY_LOCAL_MACHINE,
    rrtHKEY_USERS,
    rrtHKEY_CURRENT_CONFIG
};

// Value kinds of the file-backed mode (kept for SetValueType's signature).
enum TIniValueType : int32_t { ivtString, ivtInteger, ivtBool, ivtBinary, ivtMultiString };

using TStringList = std::vector<std::string>;

class TIniStore {
public:
    using TNotifyEvent = std::function<void(TIniStore&)>;

    // A new store with the defaults: file mode, empty Path, root HKEY_CURRENT_USER.
    TIniStore();
    // A registry-mode store as the main window builds it: the settings are applied in the order
    // Delimiter, Path, RegRoot, UseRegistry, so the base key is created if it is missing.
    // Typical: TIniStore(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria").
    TIniStore(TRegRootType root, const std::string& path);
    virtual ~TIniStore();

    TIniStore(const TIniStore&) = delete;
    TIniStore& operator=(const TIniStore&) = delete;

    // Settings.
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool value);
    TRegRootType RegRoot() const;
    void SetRegRoot(TRegRootType value);
    const std::string& Path() const { return FPath; }
    void SetPath(const std::string& value);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char value);  // raises EIniStoreError in registry mode unless '\'
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool value);

    // File mode only: stored, never used.
    std::string Comment = ";";
    char DivChar = '=';
    bool BinaryMode = false;
    bool Simple = false;
    std::string WarningMessage = "Automatically generated file. DO NOT MODIFY!!!";
    TNotifyEvent OnBeforeLoad, OnAfterLoad, OnBeforeSave, OnAfterSave;

    // The key that operations with an empty key argument act on, relative to Path, always
    // beginning with the delimiter ("\" is the base key).
    const std::string& CurrentKey() const { return FCurrentKey; }

    // Key arguments: "" = CurrentKey; "\A\B" = absolute below Path; "A\B" = relative to CurrentKey.
    bool OpenKey(const std::string& key, bool canCreate);
    bool KeyExists(const std::string& key);

    // Reads: the result is the stored value, or `def` when it is missing or of another kind.
    // The four-argument forms also say whether the stored value was taken.
    bool ReadInteger(const std::string& key, const std::string& name, int32_t def, int32_t& value);
    int32_t ReadInteger(const std::string& key, const std::string& name, int32_t def);
    bool ReadBool(const std::string& key, const std::string& name, bool def, bool& value);
    bool ReadBool(const std::string& key, const std::string& name, bool def);
    bool ReadString(const std::string& key, const std::string& name, const std::string& def,
                    std::string& value);
    std::string ReadString(const std::string& key, const std::string& name, const std::string& def);
    bool ReadBinary(const std::string& key, const std::string& name, void* buffer, size_t size);
    bool ReadMultiString(const std::string& key, const std::string& name, TStringList& lines);

    // Writes replace any earlier value of that name, whatever its kind.
    bool WriteInteger(const std::string& key, const std::string& name, int32_t value);
    bool WriteBool(const std::string& key, const std::string& name, bool value);
    bool WriteString(const std::string& key, const std::string& name, const std::string& value);
    bool WriteBinary(const std::string& key, const std::string& name, const void* data, size_t size);
    bool WriteMultiString(const std::string& key, const std::string& name, const TStringList& lines);

    // With a name: deletes that value. With an empty name: deletes the key with everything below
    // it, and a value of the parent key that bears the key's name.
    bool DeleteEntry(const std::string& key, const std::string& name);
    bool EnumSubKeys(const std::string& key, TStringList& names);
    bool EnumValues(const std::string& key, TStringList& names);  // without names of subkeys

    virtual bool ClearKey(const std::string& key);
    virtual bool RenameKey(const std::string& oldKey, const std::string& newKey);
    virtual bool RenameValue(const std::string& key, const std::string& oldName,
                             const std::string& newName);
    virtual bool SetValueType(const std::string& key, const std::string& name, TIniValueType type);
    virtual bool GetValueEntry(const std::string& key, const std::string& name, std::string& entry);
    bool CreateValue(const std::string& key, const std::string& name);

    // Whether `store` is a store that has not been destroyed (lets late savers skip a dead one).
    static bool IsLive(const TIniStore* store);

private:
    std::string ResolveKey(const std::string& key) const;
    void CloseOpenKey();
    bool OpenFullPath(const std::string& fullPath, bool canCreate);
    template <typename F>
    bool WithKey(const std::string& key, bool canCreate, F&& work);

    bool FUseRegistry = false;
    uint32_t FRootHandle;
    std::string FPath;
    char FDelimiter = '\\';
    bool FLazyWrite = true;
    std::string FCurrentKey = "\\";

    std::shared_ptr<TRegistryHive> FHive;  // the registry access object; only in registry mode
    std::unique_ptr<TRegKey> FKey;         // the open key, or none
    std::string FKeyPath;                  // its path below the root
};

}  // namespace velkaro
