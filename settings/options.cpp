// The options object: its property table and how Load and Save walk it.
#include "settings/options.h"

#include "settings/ini_store.h"

namespace velkaro {

TPersistentOptions::~TPersistentOptions() = default;

void TPersistentOptions::Load() {}
void TPersistentOptions::Save() {}

TZonariaOptions& ZonariaOptions() {
    static TZonariaOptions options;
    return options;
}

}  // namespace velkaro
