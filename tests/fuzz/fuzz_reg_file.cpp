// The registry file reader, the writer on what it read, and the INI store with the options on
// top of it, as at start-up and at the end of a run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/reg_file.h"
#include "platform/registry_hive.h"
#include "settings/ini_store.h"
#include "settings/options.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        setenv("XDG_CONFIG_HOME", fuzz::ScratchDir().c_str(), 1);
        return fuzz::ScratchDir() + "Zonaria/";
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);

    TRegTree tree;
    TRegParseError error;
    if (!ParseRegFile(text, tree, error)) {
        fuzz::Check(error.Line >= 1 && !error.Reason.empty(), "a refusal names a line and a reason");
        return 0;
    }
    const std::string written = FormatRegFile(tree);
    TRegTree again;
    fuzz::Check(ParseRegFile(written, again, error), "what the writer writes parses");
    fuzz::Check(FormatRegFile(again) == written, "a written file reads back to the same hive");

    // A file the reader takes goes through the store: every option read whatever its stored
    // kind, written back, and the file the store leaves must parse again.
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::filesystem::create_directories(dir);
    fuzz::WriteFile(dir + "registry.reg", data, size);
    {
        TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
        TZonariaOptions options;
        options.Storage = &store;
        options.Load();
        TStringList names;
        store.EnumSubKeys("\\", names);
        store.EnumValues("\\Options", names);
        for (const auto& name : names) {
            store.ReadString("\\Options", name, "");
            store.ReadInteger("\\Options", name, 0);
            TStringList lines;
            store.ReadMultiString("\\Options", name, lines);
        }
        options.Save();
    }
    TakeRegistryWarnings();
    TRegTree saved;
    fuzz::Check(ParseRegFile(ReadWhole(dir + "registry.reg"), saved, error), "the file the store saves parses");
    return 0;
}
