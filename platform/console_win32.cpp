// The C library's text mode on Windows turns "\n" into CR LF; binary mode leaves it alone.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/console.h"

namespace velkaro {

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace velkaro
