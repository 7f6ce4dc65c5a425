// Turning the program's colour values into Qt colours: plain 0x00BBGGRR values, and
// 0x80000000 + index values that follow the desktop palette.
#pragma once

#include <QColor>
#include <QPalette>

#include "settings/options.h"

namespace velkaro {

// "No colour": painting skips what is drawn in it.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor kSystemColorFlag = 0x80000000;

QColor ResolveColor(TColor color, const QPalette& palette);
QColor ResolveColor(TColor color);  // with the application's palette
TColor ToTColor(const QColor& color);  // a plain colour value
// The colour a box is filled with: "no colour" is the window's own background, so that the box
// has no colour of its own yet is cleared at every repaint.
QColor ResolveBoxColor(TColor color, const QPalette& palette);

}  // namespace velkaro
