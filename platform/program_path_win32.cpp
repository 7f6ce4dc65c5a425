// The running program's file on Windows, from its module handle.
#include <windows.h>

#include <vector>

#include "platform/program_path.h"

namespace velkaro {

std::string ExecutablePath() {
    // The name is cut short without notice when the buffer is too small, so grow until it fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buf(size);
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), size);
        if (n == 0) return {};
        if (n < size) return std::string(buf.data(), n);
    }
    return {};
}

}  // namespace velkaro
