#pragma once
// What the program gives the desktop it runs on: Qt's own texts in Japanese,
// its identity (desktop entry, window icon) and the places of its windows.
#include <QString>

class QIcon;
class QRect;
class QWidget;

namespace tqen::forms {

// Loads Qt's Japanese translation (qtbase_ja from Qt's translations folder)
// for Qt's own dialogs, buttons and context menus; false when it is not
// installed (the texts stay English).
bool installQtTranslation();

// The desktop entry the windows belong to ("tqen": the launcher's icon and
// grouping) and the icon of every window.
void setDesktopIdentity(const QString &desktopFileName, const QIcon &icon);
// The program's icon: the desktop theme's "tqen" when installed, else the
// one built into the program.
QIcon programIcon();

// Keeps each form's size and position in a file (one group per form) from
// now on: a form takes its stored place when first shown and stores it when
// hidden. An empty path stops it (the default: tests and screenshots place
// forms themselves).
void rememberWindowPlaces(const QString &file);
// The file the program keeps them in: windows.conf in the user's config
// folder for the program (~/.config/tqen), or $TQEN_WINDOWS.
QString windowPlacesFile();
// The file in use; empty while places are not kept.
QString placesFile();

// Fits a window into the free part of its screen (the desktop's panels
// left out): a larger window is made smaller, down to its minimum size, and
// moved so that it lies inside.
void fitIntoScreen(QWidget *window);
// The same for a given free rectangle.
void fitInto(QWidget *window, const QRect &room);

}  // namespace tqen::forms
