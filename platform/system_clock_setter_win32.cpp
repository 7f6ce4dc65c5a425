// The clock setter of Windows: SeSystemtimePrivilege through the process token, SetSystemTime.
#include <windows.h>

#include "platform/process_privilege_win32.h"
#include "platform/system_clock_setter.h"

namespace velkaro {

bool SetProcessPrivilege(const char* name, bool enable) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    bool ok = false;
    TOKEN_PRIVILEGES privileges{};
    if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        // The call succeeds for a privilege the token lacks and says so only in the last error.
        SetLastError(ERROR_SUCCESS);
        ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
             GetLastError() != ERROR_NOT_ALL_ASSIGNED;
    }
    CloseHandle(token);
    return ok;
}

bool TSystemClockSetter::SetTimePrivilege(bool enable) {
    return SetProcessPrivilege(SE_SYSTEMTIME_NAME, enable);
}

bool TSystemClockSetter::SetLocalTime(const TPlatformTime& local) {
    SYSTEMTIME wall{};
    wall.wYear = static_cast<WORD>(local.Year);
    wall.wMonth = static_cast<WORD>(local.Month);
    wall.wDay = static_cast<WORD>(local.Day);
    wall.wHour = static_cast<WORD>(local.Hour);
    wall.wMinute = static_cast<WORD>(local.Minute);
    wall.wSecond = static_cast<WORD>(local.Second);
    wall.wMilliseconds = static_cast<WORD>(local.Millisecond);
    // Converting first and setting UTC avoids SetLocalTime's use of the summer-time state of
    // the moment before the change, which is off by an hour across a transition.
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &wall, &utc) || !SetSystemTime(&utc)) return false;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    return true;
}

}  // namespace velkaro
