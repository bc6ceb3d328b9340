#pragma once
// What one run of the program works on: the folders and files it found at
// start-up and the settings row it read. The main screen owns it and hands
// it to the forms and the model calls that need it; nothing else keeps a
// copy, so a changed data path or setting is seen by every form at once.
#include "model/Settings.h"

#include <QString>

namespace tqen::model {

struct Session {
    QString dataFolder;   // folder of both database files, ending in "/"
    QString helpFolder;   // folder of the HTML help pages, ending in "/"
    QString workDbPath;   // dataFolder + "TqenWork.mdb"
    QString dataDbPath;   // the data database in use (a file or a server URI)
    QString hintDbPath;   // the data database as fixed at start-up
    Settings env;         // the settings row of 管理
};

}  // namespace tqen::model
