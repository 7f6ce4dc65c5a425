// One fetch of a daytime server's time for the command line: the same socket, limits and
// reply reading as the dialog, printed instead of shown. Never sets the clock.
#pragma once

#include <ostream>
#include <string>

namespace velkaro {

// The fetch runs in an event loop of its own on the calling thread. On success prints the
// server's UTC time and the computer's offset from it (seconds, positive when the computer is
// ahead) to out and returns 0:
//   Server time (UTC): 2026-12-06T06:12:03.000Z
//   Clock offset: +0.412 s
// With json, one object instead:
//   {"server":"time.nist.gov","address":"132.163.97.1","layout":"nist",
//    "server_utc":"2026-12-06T06:12:03.000Z","offset_s":0.412,"round_trip_ms":38}
// On failure prints one line saying what went wrong to err (with json, also
// {"server":...,"error":"..."} to out) and returns 1.
int RunSyncCommand(const std::string& host, int port, bool json, std::ostream& out, std::ostream& err);

}  // namespace velkaro
