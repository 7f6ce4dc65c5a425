// The private hive on Linux: XDG_CONFIG_HOME points at a fresh temporary folder.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/registry_hive.h"
#include "tests/settings/temp_config.h"

namespace velkaro {

TTempConfig::TTempConfig() {
    char tmpl[] = "/tmp/velkaro-settings-XXXXXX";
    FDir = mkdtemp(tmpl) ? tmpl : "";
    const char* old = getenv("XDG_CONFIG_HOME");
    FHadOld = old != nullptr;
    if (old) FOld = old;
    setenv("XDG_CONFIG_HOME", FDir.c_str(), 1);
    TakeRegistryWarnings();
}

TTempConfig::~TTempConfig() {
    if (FHadOld) setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(FDir);
}

std::string TTempConfig::File() const { return FDir + "/Zonaria/registry.reg"; }

std::string TTempConfig::Text() const {
    std::ifstream in(File(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TRegTree TTempConfig::Tree() const {
    TRegTree tree;
    TRegParseError error;
    ParseRegFile(Text(), tree, error);
    return tree;
}

bool TTempConfig::WritesWaitForFlush() { return true; }

}  // namespace velkaro
