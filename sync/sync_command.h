// One fetch of a server's time (daytime or NTP) for the command line: the same socket, limits
// and reply reading as the dialog, printed instead of shown. Never sets the clock.
#pragma once

#include <ostream>
#include <string>

namespace velkaro {

// The fetch runs in an event loop of its own on the calling thread. On success prints the
// server's UTC time and the computer's offset from it (seconds, positive when the computer is
// ahead) with its uncertainty to out and returns 0:
//   Server time (UTC): 2026-12-06T06:12:03.000Z
//   Clock offset: +0.412 s
//   Your clock is 0.41 s fast (± 1.02 s)
// With json, one object instead ("layout" only for daytime):
//   {"server":"time.nist.gov","address":"132.163.97.1","protocol":"daytime","layout":"nist",
//    "server_utc":"2026-12-06T06:12:03.000Z","offset_s":0.412,"uncertainty_s":1.019,"round_trip_ms":38}
// On failure prints one line saying what went wrong to err (with json, also
// {"server":...,"error":"..."} to out) and returns 1.
int RunSyncCommand(const std::string& host, int port, bool ntp, bool json, std::ostream& out, std::ostream& err);

}  // namespace velkaro
