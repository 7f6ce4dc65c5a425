// The current user's hive on POSIX systems: one REGEDIT4 file below the user's configuration
// folder, shared by everything in the process.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/reg_file_hive.h"
#include "platform/registry_hive.h"

namespace velkaro {

namespace {

// Process-wide state, leaked on purpose so that savers running during static destruction can
// still reach it.
struct TUserHiveSlot {
    std::weak_ptr<TRegistryHive> Hive;
    std::string File;
};
TUserHiveSlot& UserHiveSlot() {
    static auto* slot = new TUserHiveSlot;
    return *slot;
}

}  // namespace

std::shared_ptr<TRegistryHive> UserRegistry() {
    TUserHiveSlot& slot = UserHiveSlot();
    std::string file = RegistryFilePath();
    if (auto hive = slot.Hive.lock(); hive && slot.File == file) return hive;
    auto hive = std::make_shared<TFileRegistryHive>(file);
    static const bool flushAtExit = [] {
        // A hive still held at program end (a store that was never freed) is written then.
        return std::atexit([] {
            if (auto h = UserHiveSlot().Hive.lock()) h->Flush();
        }) == 0;
    }();
    (void)flushAtExit;
    slot.Hive = hive;
    slot.File = file;
    return hive;
}

std::string RegistryFilePath() {
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    const char* xdg = getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/Zonaria/registry.reg";
}

}  // namespace velkaro
