#include "timemodel/time_format.h"
