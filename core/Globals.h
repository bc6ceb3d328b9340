#pragma once
// Process-wide values: set at start-up and by a few forms, read everywhere.
// None is saved on exit.
#include "model/Session.h"
#include "model/Settings.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace tqen {

struct Globals {
    QString DataFolder;        // folder of both database files, ending in "/"
    QString HelpFolder;        // folder of the HTML help pages, ending in "/"
    QString WorkDbPath;        // DataFolder + "TqenWork.mdb"
    QString DataDbPath;        // the data database in use
    QString HintDbPath;        // the data database as fixed at start-up
    Settings Env;              // the settings row of 管理, read at start-up
    QVariant JumpCustomer;     // hand-over of a report to the main screen; Null = none
    QString JumpStaff;
    QDate JumpDate;            // invalid = the zero date
    QDate CalendarDate;        // a day of the month the calendar shows
};

// The one set of process-wide values.
Globals &G();

// The paths and settings of the process-wide values, as the model takes
// them. A call that changes the settings hands them back with
// G().Env = session.env.
model::Session sessionFromGlobals();

// The two families of date formats; only the exact value "和暦" selects the
// era family.
bool IsEraMode(const QString &eraMode);
QString DayFormatFor(const QString &eraMode);     // "ggg ee年mm月dd日" / "yyyy年mm月dd日"
QString MonthFormatFor(const QString &eraMode);   // "ggg ee年mm月" / "yyyy年mm月"

}  // namespace tqen
