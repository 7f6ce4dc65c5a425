// The registry as the settings store sees it: a hierarchy of keys holding typed values.
// This is the platform seam; on Linux the current user's hive is a text file (reg_file_hive.h),
// on Windows it is the real registry (registry_hive_win32.cpp).
// Key and value names are compared without regard to case; paths use '\' between key names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// The predefined root handles by their usual numbers.
enum TRegRootHandle : uint32_t {
    rhClassesRoot = 0x80000000u,
    rhCurrentUser = 0x80000001u,
    rhLocalMachine = 0x80000002u,
    rhUsers = 0x80000003u,
    rhCurrentConfig = 0x80000005u,
};

// Value types by their usual numbers. Other numbers are kept and written back unchanged.
enum TRegType : uint32_t {
    rtNone = 0,
    rtSz = 1,
    rtExpandSz = 2,
    rtBinary = 3,
    rtDword = 4,
    rtMultiSz = 7,
};

struct TRegValue {
    uint32_t Type = rtNone;
    std::vector<uint8_t> Data;
    bool operator==(const TRegValue&) const = default;
};

// An open key, like a key handle: closing is destroying it. Operations on a key that has been
// deleted meanwhile fail.
class TRegKey {
public:
    virtual ~TRegKey();
    virtual bool QueryValue(const std::string& name, TRegValue& value) = 0;
    virtual bool SetValue(const std::string& name, uint32_t type, const uint8_t* data,
                          size_t size) = 0;
    virtual bool DeleteValue(const std::string& name) = 0;
    virtual bool EnumKeys(std::vector<std::string>& names) = 0;
    virtual bool EnumValues(std::vector<std::string>& names) = 0;
    // Writes the hive to disk before returning.
    virtual bool Flush() = 0;
};

class TRegistryHive {
public:
    virtual ~TRegistryHive();
    // `path` is below `root`; empty names between delimiters are ignored. Returns none on failure.
    virtual std::unique_ptr<TRegKey> OpenKey(uint32_t root, const std::string& path,
                                             bool canCreate) = 0;
    // Deletes the key with its subkeys and values (an implementation may refuse keys that still
    // have subkeys, as some registries do; callers clear a key first).
    virtual bool DeleteKey(uint32_t root, const std::string& path) = 0;
    virtual bool Flush() = 0;
};

// The usual name of a root handle ("HKEY_CURRENT_USER"), or "" for an unknown handle.
std::string RegRootName(uint32_t root);
// The handle of a root name, or 0.
uint32_t RegRootFromName(const std::string& name);

// Names compare in Latin-1 upper case.
std::string RegFoldName(const std::string& name);
bool RegSameName(const std::string& a, const std::string& b);

// The current user's hive, shared by everything in the process while anything holds it;
// it is flushed when the last holder lets go. On Linux: the file RegistryFilePath(); on Windows
// the registry itself.
std::shared_ptr<TRegistryHive> UserRegistry();
// Linux only: $XDG_CONFIG_HOME/Zonaria/registry.reg, or ~/.config/Zonaria/registry.reg.
std::string RegistryFilePath();

// Messages about the settings file that the user must hear of once (a damaged file that was put
// aside). Taking them clears them; the main window shows them after start-up.
std::vector<std::string> TakeRegistryWarnings();
void AddRegistryWarning(const std::string& message);

}  // namespace velkaro
