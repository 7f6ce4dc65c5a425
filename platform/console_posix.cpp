// POSIX streams carry bytes unchanged already.
#include "platform/console.h"

namespace velkaro {

void UseBinaryStandardStreams() {}

}  // namespace velkaro
