#include "timemodel/date_time.h"
