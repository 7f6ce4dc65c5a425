// velkaro-time: the command-line companion of the map, for scripts and terminals.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace velkaro {

// Runs one command; args exclude the program name. Returns the exit status: 0 on success,
// 1 when a fetched server time failed, 2 for usage and data errors.
int RunTimeCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The "sync" command is provided by the synchronizer (it needs an event loop); unset, the
// command reports that it is not available.
using TSyncCommand =
    std::function<int(const std::string& host, int port, bool ntp, bool json, std::ostream& out, std::ostream& err)>;
void SetSyncCommand(TSyncCommand command);

}  // namespace velkaro
