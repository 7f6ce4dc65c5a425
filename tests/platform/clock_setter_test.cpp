// The right to set the clock. Only the capability is raised and dropped here: no test ever
// calls SetSystemTimeUtc on the real clock.
#include "platform/system_clock_setter.h"

#include <sys/capability.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace velkaro {
namespace {

cap_flag_value_t Flag(cap_flag_t set) {
    cap_t caps = cap_get_proc();
    cap_flag_value_t value = CAP_CLEAR;
    cap_get_flag(caps, CAP_SYS_TIME, set, &value);
    cap_free(caps);
    return value;
}

TEST(UtcTimeToTimespec, IgnoresTheComputersZone) {
    // Summer time must play no part: the same fields give the same instant in any zone.
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    struct Case { TPlatformTime Utc; bool Valid; time_t Epoch; };
    const Case cases[] = {
        {{2026, 12, 6, 6, 12, 3, 250}, true, 1796537523},
        {{2026, 11, 1, 5, 30, 0, 0}, true, 1793511000},   // inside New York's autumn overlap
        {{1970, 1, 1, 0, 0, 0, 0}, true, 0},
        {{2024, 2, 29, 0, 0, 0, 0}, true, 1709164800},
        {{2026, 2, 29, 0, 0, 0, 0}, false, 0},
        {{2026, 12, 6, 24, 0, 0, 0}, false, 0},
        {{1969, 12, 31, 23, 59, 59, 0}, false, 0},
    };
    for (const Case& c : cases) {
        timespec ts{};
        ASSERT_EQ(UtcTimeToTimespec(c.Utc, ts), c.Valid) << c.Utc.Year << "-" << c.Utc.Month << "-" << c.Utc.Day;
        if (!c.Valid) continue;
        EXPECT_EQ(ts.tv_sec, c.Epoch);
        EXPECT_EQ(ts.tv_nsec, c.Utc.Millisecond * 1000000L);
    }
    if (old != nullptr) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(SystemClockSetter, PrivilegeCanBeRaisedOnlyWhenPermitted) {
    const bool permitted = Flag(CAP_PERMITTED) == CAP_SET;
    const bool wasEffective = Flag(CAP_EFFECTIVE) == CAP_SET;
    TSystemClockSetter setter;

    EXPECT_TRUE(setter.SetTimePrivilege(false));
    EXPECT_EQ(Flag(CAP_EFFECTIVE), CAP_CLEAR);
    EXPECT_EQ(setter.SetTimePrivilege(true), permitted);
    EXPECT_EQ(Flag(CAP_EFFECTIVE), permitted ? CAP_SET : CAP_CLEAR);

    setter.SetTimePrivilege(wasEffective);
}

TEST(SystemClockSetter, AccountWithoutTheRightCannotRaiseIt) {
    // A child process gives the capability up for good, as an ordinary account never had it.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        cap_t caps = cap_get_proc();
        cap_value_t which[] = {CAP_SYS_TIME};
        cap_set_flag(caps, CAP_EFFECTIVE, 1, which, CAP_CLEAR);
        cap_set_flag(caps, CAP_PERMITTED, 1, which, CAP_CLEAR);
        if (cap_set_proc(caps) != 0) _exit(2);
        TSystemClockSetter setter;
        _exit(setter.SetTimePrivilege(true) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: raised without the right; 2: could not give it up";
}

}  // namespace
}  // namespace velkaro
