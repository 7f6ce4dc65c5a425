#include "timemodel/zone_list.h"
