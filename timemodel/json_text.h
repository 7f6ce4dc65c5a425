// JSON output of the command-line tool: one string literal.
#pragma once

#include <string>

namespace velkaro {

// A JSON string: quotes, backslashes and control characters escaped; bytes beyond ASCII as
// \u00XX (the program's 8-bit text).
std::string JsonText(const std::string& s);

}  // namespace velkaro
