#pragma once
// The reports (営業日報 of the data database): one row per day, customer and
// staff member with its reading, title and memo. Reading a day, registering
// a report with what goes along with it, and the month's marks.
#include "model/NextSteps.h"
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace tqen::model {

struct Report {
    QDate day;         // invalid when stored Null
    QString customer;  // each text is a null QString when stored Null
    QString reading;
    QString title;
    QString staff;
    QString memo;
};

namespace Reports {

// The report of a day; an empty customer or staff member matches any. The
// first one found when several match.
std::optional<Report> read(const QString &dataDbPath, const QDate &day, const QString &customer, const QString &staff,
                           Error *error = nullptr);

// What a registration told besides its own success: the staff member's slot
// in the code table (AlreadyPresent is the usual case, NoFreeSlot when the
// class is full) and the settings that remember the entry for the next start.
struct Notes {
    Error codeName;
    Error remembered;
};

// Registers a report of the day, customer and staff member: a new row, or
// the row that exists updated (an empty memo leaves a stored memo as it
// was). With it, in the same transaction of the data file, the customer
// goes into the customer master and the staff member into the code table;
// then the session's settings remember staff, customer and reading (when
// the settings table holds a row), in one write of the work file. A failure
// of the data file's step leaves that file as it was.
// In the same transaction the open next steps of that customer and staff
// member planned on or before the report's day are closed, and, when a step
// is given, it becomes the report's own (an empty one clears it). A step
// with a problem (NextSteps::problem) refuses the registration.
Error enter(Session &session, const Report &report, Notes *notes = nullptr,
            const std::optional<PlannedStep> &next = std::nullopt);

// Reports per day between two days (both included), of one staff member
// and/or customer when given.
QMap<QDate, int> countsByDay(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                             const QString &customer, Error *error = nullptr);

// Whether the data database can be read: empty when its reports can be
// read, else the engine's reason.
QString unreadableReason(const QString &dataDbPath);

// What the printed daily reports hold: an invalid day or an empty text
// leaves its condition out.
struct PrintSelection {
    QDate start, end;
    QString customer, staff;
};
// The statement that copies the selected reports of the data database into
// the work database's w日報印刷, ordered by day, customer and staff member.
QString printTableStatement(const PrintSelection &selection, const QString &dataDbPath);
// Replaces w日報印刷 with the selected reports.
Error fillPrintTable(const QString &workDbPath, const QString &dataDbPath, const PrintSelection &selection);
// The first and last day of the reports in the print table; invalid dates
// when it holds none or cannot be read.
std::pair<QDate, QDate> printedDays(const QString &workDbPath);

// Called between the look-up of a registration and its write (tests widen
// that moment to race two programs).
void setLookupObserver(std::function<void()> observer);

}  // namespace Reports

}  // namespace tqen::model
