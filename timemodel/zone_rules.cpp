#include "timemodel/zone_rules.h"
