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

bool TSystemClockSetter::SetSystemTimeUtc(const TPlatformTime& utc) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(utc.Year);
    st.wMonth = static_cast<WORD>(utc.Month);
    st.wDay = static_cast<WORD>(utc.Day);
    st.wHour = static_cast<WORD>(utc.Hour);
    st.wMinute = static_cast<WORD>(utc.Minute);
    st.wSecond = static_cast<WORD>(utc.Second);
    st.wMilliseconds = static_cast<WORD>(utc.Millisecond);
    if (!SetSystemTime(&st)) return false;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    return true;
}

}  // namespace velkaro
