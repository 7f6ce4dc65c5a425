// Entry point of velkaro-time.
#include <iostream>

#include "cli/time_cli.h"
#include "platform/console.h"
#include "sync/sync_command.h"

int main(int argc, char** argv) {
    velkaro::UseBinaryStandardStreams();
    velkaro::SetSyncCommand(velkaro::RunSyncCommand);
    return velkaro::RunTimeCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
