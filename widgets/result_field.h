// Read-only result fields that hold a date and time: a long date would otherwise scroll the
// start out at the left and leave only the end in view.
#pragma once

#include <QString>

class QLineEdit;

namespace velkaro {

// Shows the text whole, in a font made smaller down to a floor if need be; still too long, without
// its leading weekday, and only as a last resort shortened in the middle, so that its start and
// its time of day stay in view. The whole text goes into the tooltip.
void ShowResultText(QLineEdit* field, const QString& text);

}  // namespace velkaro
