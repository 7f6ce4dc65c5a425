// What assistive technology sees of the main window: the map is a focusable list whose items
// are the cities (name, and the city's time as description), and the status strip's city box
// and Velkaro box are text objects that carry what they show.
#pragma once

#include <QAccessible>
#include <functional>

class QAccessibleInterface;
class QWidget;

namespace velkaro {

class TZonariaForm;

// Registers the interfaces with Qt's accessibility; safe to call more than once.
void InstallMapAccessibility();

// The interface of city i on the map panel; null when there is no such city.
QAccessibleInterface* CityAccessible(QWidget* map, int index);
// The strip's two boxes on the main window.
QAccessibleInterface* CityBoxAccessible(TZonariaForm* form);
QAccessibleInterface* VelkaroBoxAccessible(TZonariaForm* form);

// Tells assistive technology that the keyboard moved to city i.
void AnnounceCityFocus(QWidget* map, int index);
// Tells it that city i (-1: none) is now the selected one and the city box shows it. Only a
// change of selection is announced: the clock's ticks would chatter.
void AnnounceSelection(TZonariaForm* form, int index);

// Sees every announcement as well; Qt passes them on only while assistive technology listens,
// so this is how the tests hear them.
using TAnnouncementObserver = std::function<void(QAccessible::Event, QAccessibleInterface*)>;
void SetAnnouncementObserver(TAnnouncementObserver observer);

}  // namespace velkaro
