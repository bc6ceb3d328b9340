#pragma once
// The maker's picture (Image1) on the main screen and the maintenance form: a
// small logo that opens the maker's web page with the desktop's browser. The
// address is fixed when the program is built (TQEN_MAKER_URL).
#include <QString>

class QToolButton;
class QWidget;

namespace tqen {

// The maker's web page.
QString MakerWebPage();

// The picture as a flat button named "Image1": a click, Enter or Space asks
// the shell to open the maker's web page.
QToolButton *CreateMakerLink(QWidget *parent);

}  // namespace tqen
