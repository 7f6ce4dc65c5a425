// The Windows clock and the right to set it. Only the privilege is enabled and disabled here:
// no test ever sets the clock (under Wine that could reach the real machine's clock).
#include <windows.h>

#include <ctime>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/process_privilege_win32.h"
#include "platform/system_clock_setter.h"

namespace velkaro {
namespace {

// The privilege as the token holds it now: absent, present, or present and enabled.
enum class THeld { No, Disabled, Enabled };
THeld Held(const char* name) {
    LUID luid{};
    HANDLE token = nullptr;
    if (!LookupPrivilegeValueA(nullptr, name, &luid) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return THeld::No;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<uint8_t> buf(size);
    THeld held = THeld::No;
    if (GetTokenInformation(token, TokenPrivileges, buf.data(), size, &size)) {
        const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buf.data());
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& p = list->Privileges[i];
            if (p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart)
                held = (p.Attributes & SE_PRIVILEGE_ENABLED) ? THeld::Enabled : THeld::Disabled;
        }
    }
    CloseHandle(token);
    return held;
}

TEST(ClockWin32, UtcAgreesWithTheCLibrary) {
    const std::time_t before = std::time(nullptr);
    const TPlatformTime utc = SystemTimeUtc();
    std::tm tm{};
    std::tm* parts = std::gmtime(&before);
    ASSERT_NE(parts, nullptr);
    tm = *parts;
    EXPECT_EQ(utc.Year, tm.tm_year + 1900);
    EXPECT_EQ(utc.Month, tm.tm_mon + 1);
    EXPECT_EQ(utc.Day, tm.tm_mday);
    const int seconds = utc.Hour * 3600 + utc.Minute * 60 + utc.Second;
    EXPECT_NEAR(seconds, tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec, 2);  // unless at midnight
    EXPECT_LT(SystemTimeLocal().Millisecond, 1000);
}

TEST(ClockWin32, TimePrivilegeFollowsTheToken) {
    const THeld before = Held(SE_SYSTEMTIME_NAME);
    TSystemClockSetter setter;
    EXPECT_EQ(setter.SetTimePrivilege(true), before != THeld::No);
    if (before != THeld::No) {
        EXPECT_EQ(Held(SE_SYSTEMTIME_NAME), THeld::Enabled);
    }
    EXPECT_EQ(setter.SetTimePrivilege(false), before != THeld::No);
    if (before != THeld::No) {
        EXPECT_EQ(Held(SE_SYSTEMTIME_NAME), THeld::Disabled);
    }
    if (before == THeld::Enabled) setter.SetTimePrivilege(true);
}

TEST(ClockWin32, APrivilegeTheAccountLacksIsAFailure) {
    // The adjustment call reports success for it; only its last error tells.
    ASSERT_EQ(Held(SE_CREATE_TOKEN_NAME), THeld::No);
    EXPECT_FALSE(SetProcessPrivilege(SE_CREATE_TOKEN_NAME, true));
    EXPECT_FALSE(SetProcessPrivilege("SeNoSuchPrivilege", true));
}

}  // namespace
}  // namespace velkaro
