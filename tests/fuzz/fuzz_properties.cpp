// Two properties over inputs the fuzzer chooses: calendar fields to a date-time and back are the
// identity over the years 1..9999, and whatever the store writes to the registry file reads back
// to the same values after the file has been written and loaded again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/registry_hive.h"
#include "settings/ini_store.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

namespace {

void CalendarRoundTrip(FuzzedDataProvider& in) {
    TDateTimeFields f;
    f.Year = in.ConsumeIntegralInRange(1, 9999);
    f.Month = in.ConsumeIntegralInRange(1, 12);
    f.Day = in.ConsumeIntegralInRange(1, DaysInMonth(f.Month, f.Year));
    f.Hour = in.ConsumeIntegralInRange(0, 23);
    f.Minute = in.ConsumeIntegralInRange(0, 59);
    f.Second = in.ConsumeIntegralInRange(0, 59);
    f.Millisecond = in.ConsumeIntegralInRange(0, 999);
    const TDateTime t = EncodeDateTime(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.Millisecond);
    TDateTimeFields back = DecodeDateTime(t);
    fuzz::Check(back.DayOfWeek >= 0 && back.DayOfWeek <= 6, "a weekday is 0..6");
    back.DayOfWeek = 0;
    fuzz::Check(back == f, "fields to a date-time and back are the same fields");
    fuzz::Check(SystemTimeToDateTime(DateTimeToSystemTime(t)) == t, "the rule time carries a date-time exactly");
    fuzz::Check(MsToDateTime(DateTimeToMs(t)) == t, "the millisecond count carries a date-time exactly");
}

// What one value should read back as.
struct Expected {
    enum Kind { kInteger, kString, kBinary, kMulti } kind;
    std::string key, name;
    int32_t integer = 0;
    std::string text;
    TStringList lines;
};

std::string Text(FuzzedDataProvider& in, size_t max, bool zeros) {
    std::string s = in.ConsumeRandomLengthString(max);
    // A string value ends at its first zero, as the registry's do; the model asks no more.
    if (!zeros) std::erase(s, '\0');
    return s;
}

void StoreRoundTrip(FuzzedDataProvider& in) {
    static const std::string dir = [] {
        setenv("XDG_CONFIG_HOME", fuzz::ScratchDir().c_str(), 1);
        return fuzz::ScratchDir() + "Zonaria/";
    }();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);

    std::map<std::string, Expected> model;  // by folded key and name: the last write wins
    {
        TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
        const int writes = in.ConsumeIntegralInRange(1, 24);
        for (int i = 0; i < writes && in.remaining_bytes() > 0; ++i) {
            Expected e{static_cast<Expected::Kind>(in.ConsumeIntegralInRange(0, 3)), "", "", 0, "", {}};
            // Keys from a small alphabet so that writes meet again; names are any bytes.
            const int depth = in.ConsumeIntegralInRange(0, 2);
            for (int d = 0; d < depth; ++d) e.key += "\\" + std::string(1, in.PickValueInArray({'A', 'b', 'B', 'c'}));
            if (e.key.empty()) e.key = "\\";
            e.name = Text(in, 12, true);
            bool ok = false;
            switch (e.kind) {
                case Expected::kInteger:
                    e.integer = in.ConsumeIntegral<int32_t>();
                    ok = store.WriteInteger(e.key, e.name, e.integer);
                    break;
                case Expected::kString:
                    e.text = Text(in, 40, false);
                    ok = store.WriteString(e.key, e.name, e.text);
                    break;
                case Expected::kBinary:
                    e.text = Text(in, 300, true);
                    ok = store.WriteBinary(e.key, e.name, e.text.data(), e.text.size());
                    break;
                case Expected::kMulti:
                    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
                        if (std::string line = Text(in, 20, false); !line.empty()) e.lines.push_back(line);
                    ok = store.WriteMultiString(e.key, e.name, e.lines);
                    break;
            }
            const std::string slot = RegFoldName(e.key) + '\0' + RegFoldName(e.name);
            if (ok) model[slot] = e;
            else model.erase(slot);
        }
    }
    TakeRegistryWarnings();
    TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    for (const auto& [slot, e] : model) {
        switch (e.kind) {
            case Expected::kInteger: {
                int32_t v = 0;
                fuzz::Check(store.ReadInteger(e.key, e.name, 0, v) && v == e.integer, "an integer reads back");
                break;
            }
            case Expected::kString: {
                std::string v;
                fuzz::Check(store.ReadString(e.key, e.name, "", v) && v == e.text, "a string reads back");
                break;
            }
            case Expected::kBinary: {
                std::vector<char> v(e.text.size() + 1, '\x5a');
                fuzz::Check(store.ReadBinary(e.key, e.name, v.data(), e.text.size()) &&
                                std::string(v.data(), e.text.size()) == e.text,
                            "binary data reads back");
                break;
            }
            case Expected::kMulti: {
                TStringList v;
                fuzz::Check(store.ReadMultiString(e.key, e.name, v) && v == e.lines, "a list of lines reads back");
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) CalendarRoundTrip(in);
    else StoreRoundTrip(in);
    return 0;
}
