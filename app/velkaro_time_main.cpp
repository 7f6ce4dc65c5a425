// Entry point of velkaro-time.
#include <iostream>

#include "app/time_cli.h"

int main(int argc, char** argv) {
    return velkaro::RunTimeCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
