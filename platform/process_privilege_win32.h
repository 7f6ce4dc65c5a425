// Enabling and disabling one privilege of the running process's token (Windows only).
#pragma once

namespace velkaro {

// True only when the token now has the privilege enabled (or disabled). A privilege the account
// does not hold is a failure, although the adjustment call itself reports success for it.
bool SetProcessPrivilege(const char* name, bool enable);

}  // namespace velkaro
