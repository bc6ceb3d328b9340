#pragma once
// Who has reported: for a month, each staff member of the code table against
// each working day (Monday to Friday, national holidays left out), with the
// number of reports written that day and how many of them nobody has
// confirmed yet. Read with one grouped statement for the whole month.
#include "platform/error/Error.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tqen::model::SubmissionStatus {

struct Cell {
    int reports = 0;      // reports of the day by the staff member
    int unconfirmed = 0;  // of them, not confirmed (or changed since)
};

struct Month {
    int year = 0, month = 0;
    QList<QDate> days;     // the working days, in order
    QStringList staff;     // the code table's staff, in code order, then
                           // anyone else who reported that month
    int listedStaff = 0;   // how many of `staff` the code table lists
    // Cells with at least one report, by staff member and day; a missing
    // cell has no report.
    QHash<QString, QHash<QDate, Cell>> cells;

    Cell cell(const QString &staffMember, const QDate &day) const {
        return cells.value(staffMember).value(day);
    }
    // Working days without a report, over every staff member.
    int missing() const;
};

// The month's grid. An error leaves the month empty (no staff, no days) and
// says why; a code table without staff gives an empty staff list and no
// error (the caller says so).
Month read(const QString &dataDbPath, int year, int month, Error *error = nullptr);

}  // namespace tqen::model::SubmissionStatus
