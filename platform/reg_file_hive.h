// The registry hive kept in one REGEDIT4 text file.
//
// The file is read once when the hive is made. Changes go to memory and into a list of this
// hive's own changes; a flush takes an advisory lock on the file's folder, reads the file as it
// is now (another copy of the program may have written it), applies the own changes onto it and
// writes the result to a temporary file that is synced and renamed over the old one. So a crash
// leaves the old or the new file, and two copies do not wipe out each other's changes.
// A file that cannot be parsed is renamed aside, never overwritten, and reported once.
#pragma once

#include <memory>
#include <string>

#include "platform/registry_hive.h"

namespace velkaro {

class TRegFileState;

class TFileRegistryHive : public TRegistryHive {
public:
    explicit TFileRegistryHive(const std::string& fileName);
    ~TFileRegistryHive() override;  // flushes

    std::unique_ptr<TRegKey> OpenKey(uint32_t root, const std::string& path,
                                     bool canCreate) override;
    bool DeleteKey(uint32_t root, const std::string& path) override;
    bool Flush() override;

    const std::string& FileName() const;

private:
    std::shared_ptr<TRegFileState> FState;  // shared with the open keys
};

}  // namespace velkaro
