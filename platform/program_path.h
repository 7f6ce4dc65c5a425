// Where the running program's file lies: its data files are looked up beside it.
#pragma once

#include <string>

namespace velkaro {

// The full file name of the running program, or "" when the system does not tell.
std::string ExecutablePath();

}  // namespace velkaro
