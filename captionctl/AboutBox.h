#pragma once
// The About box of the caption control ("About MDCapt Custom Control").
#include <QDialog>

namespace tqen::captionctl {

// The dialog, not yet shown.
QDialog *createAboutBox(QWidget *parent);
// Shows it modally.
void showAboutBox(QWidget *parent);

}  // namespace tqen::captionctl
