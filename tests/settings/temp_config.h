// Gives one test a fresh, private user hive and removes it afterwards: on Linux it points
// XDG_CONFIG_HOME at a temporary folder, on Windows it redirects HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE to a scratch key (temp_config_posix.cpp, temp_config_win32.cpp).
#pragma once

#include <string>

#include "platform/reg_file.h"

namespace velkaro {

class TTempConfig {
public:
    TTempConfig();
    ~TTempConfig();
    TTempConfig(const TTempConfig&) = delete;
    TTempConfig& operator=(const TTempConfig&) = delete;

    // The settings file inside the temporary folder (written only where the hive is a file).
    std::string File() const;
    // The hive as it is stored now, and as text in the settings file's format.
    TRegTree Tree() const;
    std::string Text() const;
    // Whether a write reaches the stored hive only when flushed (the file hive), not at once.
    static bool WritesWaitForFlush();

private:
    std::string FDir, FOld;
    bool FHadOld = false;
};

}  // namespace velkaro
