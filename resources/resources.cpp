#include "resources/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterVelkaroResources() { Q_INIT_RESOURCE(velkaro); }

namespace velkaro {

void InitResources() {
    static const bool done = (RegisterVelkaroResources(), true);
    (void)done;
}

}  // namespace velkaro
