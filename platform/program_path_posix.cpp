// The running program's file on Linux, from /proc.
#include <unistd.h>

#include "platform/program_path.h"

namespace velkaro {

std::string ExecutablePath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n <= 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

}  // namespace velkaro
