// Entry point of velkaro-time.
#include <QCoreApplication>
#include <iostream>

#include "app/time_cli.h"
#include "sync/sync_command.h"

int main(int argc, char** argv) {
    // The daytime fetch runs its socket in an event loop.
    QCoreApplication app(argc, argv);
    velkaro::SetSyncCommand(velkaro::RunSyncCommand);
    return velkaro::RunTimeCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
