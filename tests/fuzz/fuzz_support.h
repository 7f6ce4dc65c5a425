// Helpers the libFuzzer harnesses share: a scratch folder for files the real readers open,
// and a walk over loaded lists that drives every conversion and notation on them.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/error.h"
#include "timemodel/time_format.h"
#include "timemodel/zone_list.h"

namespace velkaro::fuzz {

// A fresh folder for this process, removed when it ends normally. Memory-backed where there is
// one: every run writes files, and the registry store syncs each one.
inline const std::string& ScratchDir() {
    // Kept on the heap: the clean-up at exit runs after static strings are gone.
    static const std::string* const dir = [] {
        const char* base = std::getenv("VELKARO_FUZZ_TMP");
        if ((!base || !*base) && std::filesystem::is_directory("/dev/shm")) base = "/dev/shm";
        if (!base || !*base) base = std::getenv("TMPDIR");
        if (!base || !*base) base = "/tmp";
        std::string pattern = std::string(base) + "/velkaro-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        auto* made = new std::string(pattern + "/");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        });
        return made;
    }();
    return *dir;
}

inline void WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A finding the sanitizers cannot see: a broken property. Aborting makes libFuzzer keep the input.
inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

// Instants around switches, in a zone's history, outside the zone's switch table, and at both
// ends of the calendar, where an offset may carry the time out of it.
inline void ExerciseLists(size_t maxZones, size_t maxCities) {
    static const TDateTime instants[] = {
        EncodeDateTime(2026, 3, 29, 1, 30), EncodeDateTime(2026, 10, 25, 0, 59, 59, 999),
        EncodeDateTime(1850, 6, 1),         EncodeDateTime(2400, 2, 29, 6),
        EncodeDateTime(1985, 6, 1, 12),     EncodeDateTime(2000, 4, 2, 6, 59, 59, 999),
        EncodeDateTime(1, 1, 1, 3),         EncodeDateTime(9999, 12, 31, 20),
    };
    // Only the program's one error may come out; anything else escapes and is a finding.
    auto guarded = [](auto&& work) {
        try {
            work();
        } catch (const Error&) {
        }
    };
    for (size_t i = 0; i < ZoneList.size() && i < maxZones; ++i) {
        const TZone& zone = *ZoneList[i];
        for (const TDateTime utc : instants)
            guarded([&] {
                const TDateTime back = ZoneLocalToUtc(zone, UtcToZoneLocal(zone, utc));
                if (zone.Rules.StandardDate.wMonth == 0 && zone.History.Empty())
                    Check(DateTimeToMs(back) == DateTimeToMs(utc), "a zone without daylight time converts back");
            });
        // The notations, at one instant each per zone, so that over the zones each meets every sort.
        const size_t n = std::size(instants);
        guarded([&] { FormatTimePattern("DD xx nn YY", UtcToZoneLocal(zone, instants[i % n])); });
        guarded([&] { VelkaroTimeText(zone, static_cast<int>(i), instants[(i + 3) % n]); });
    }
    for (size_t i = 0; i < CityList.size() && i < maxCities; ++i)
        guarded([&] { CityTimeText(*CityList[i], "w, dd mmm, yy HH:MM:SS", instants[i % std::size(instants)]); });
}

}  // namespace velkaro::fuzz
