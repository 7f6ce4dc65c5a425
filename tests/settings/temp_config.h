// Points XDG_CONFIG_HOME at a fresh temporary folder for one test and removes it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/reg_file.h"
#include "platform/registry_hive.h"

namespace velkaro {

class TTempConfig {
public:
    TTempConfig() {
        char tmpl[] = "/tmp/velkaro-settings-XXXXXX";
        FDir = mkdtemp(tmpl) ? tmpl : "";
        const char* old = getenv("XDG_CONFIG_HOME");
        FHadOld = old != nullptr;
        if (old) FOld = old;
        setenv("XDG_CONFIG_HOME", FDir.c_str(), 1);
        TakeRegistryWarnings();
    }
    ~TTempConfig() {
        if (FHadOld) setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(FDir);
    }
    std::string File() const { return FDir + "/Zonaria/registry.reg"; }
    std::string Text() const {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // The hive as the file holds it now.
    TRegTree Tree() const {
        TRegTree tree;
        TRegParseError error;
        ParseRegFile(Text(), tree, error);
        return tree;
    }

private:
    std::string FDir, FOld;
    bool FHadOld = false;
};

}  // namespace velkaro
