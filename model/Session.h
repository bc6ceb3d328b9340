#pragma once
// What one run of the program works on: the folders and files it found at
// start-up and the settings row it read. The main screen owns it and hands
// it to the forms and the model calls that need it; nothing else keeps a
// copy, so a changed data path or setting is seen by every form at once.
#include "model/Settings.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>

namespace tqen::model {

// A report one form hands to another (the main screen to the list, the list
// back): its day, staff member and customer. A Null customer hands over no
// report, only the day and staff member.
struct HandOver {
    QDate day;
    QString staff;
    QVariant customer;
};

struct Session {
    QString dataFolder;   // folder of both database files, ending in "/"
    QString helpFolder;   // folder of the HTML help pages, ending in "/"
    QString workDbPath;   // dataFolder + "TqenWork.mdb"
    QString dataDbPath;   // the data database in use (a file or a server URI)
    QString hintDbPath;   // the data database as fixed at start-up
    Settings env;         // the settings row of 管理
    // Hands a report to the main screen, which shows it when it is next
    // active; set by the main screen, empty without one (a form tested on
    // its own).
    std::function<void(const HandOver &)> handOver;
};


}  // namespace tqen::model
