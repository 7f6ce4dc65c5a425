// The program's one exception type: a failure that carries the message shown to the user.
#pragma once

#include <stdexcept>
#include <string>

namespace velkaro {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace velkaro
