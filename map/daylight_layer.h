// Night and civil twilight shaded over the map picture, in the picture's own projection.
#pragma once

#include <QImage>

#include "timemodel/date_time.h"

namespace velkaro {

// A copy of the picture (any device pixel ratio; its map rows in logical 0 .. 237) with the
// night side darkened and the civil twilight band (sun 0.833 to 6 degrees below the horizon)
// darkened less, for the sun at `utc`. The hour labels below the map stay as they are.
QImage ShadeDaylight(const QImage& picture, TDateTime utc);

}  // namespace velkaro
