// The standard streams of a command-line program.
#pragma once

namespace velkaro {

// Output goes out byte for byte, lines ending in a bare line feed on every system, so that the
// same command gives the same bytes everywhere (Windows would otherwise write CR LF).
void UseBinaryStandardStreams();

}  // namespace velkaro
