#pragma once
// The question put when a Windows-era data file is chosen as the data file or
// read from another disk: convert it? On yes the file is converted beside
// itself, the summary is shown and the new file becomes the data file.
#include "model/Session.h"
#include <QString>

class QWidget;

namespace tqen::maintenance {

enum class Conversion {
    NotWindowsFile,  // not a Jet file: the caller goes on as before
    Declined,        // the user said no: nothing changed
    Failed,          // the user was told why; nothing changed
    Converted,       // the new file is the data file
};

// newPath receives the converted file's path on Converted.
Conversion OfferConversion(QWidget *parent, model::Session &session, const QString &path, QString *newPath = nullptr);

}  // namespace tqen::maintenance
