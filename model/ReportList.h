#pragma once
// The list of a period: the reports of a period, newest first, optionally
// of one staff member and one customer, copied into the work table
// w日報一覧 that the list's grid shows and ticks, and the print and CSV
// selections made from it.
#include "model/DeletedReports.h"
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tqen::model::ReportList {

// Empties the list.
Error clear(const QString &workDbPath);

// The conditions of a list: the reports between two days (both included),
// of one staff member and/or customer when given.
struct Period {
    QDate first, last;
    QString staff, customer;
};

// Replaces the list with the reports of a period, newest first and by
// reading within a day (then by customer, title and staff member, so the
// order is the same every time). A data file that cannot be read leaves the
// list empty.
Error read(const QString &workDbPath, const QString &dataDbPath, const QDate &first, const QDate &last,
           const QString &staff, const QString &customer);

// The list read in parts: the first screen of lines, then the rest. The
// day from which on to the period's last day the period holds at least
// `lines` lines (the newest); an invalid date when the whole period holds
// fewer, or it cannot be told.
QDate firstScreenStart(const QString &dataDbPath, const Period &period, int lines);

// Adds the lines of the period to the list in their order; `replace`
// empties the list first. A list read as readLines of the days from a
// period's split day to its last day, then of its first day to the day
// before, holds what read() gives. `added` counts the lines added; a part
// that fails empties the list, so it is never left short.
//
// A data file whose reports lack the list's index gets it on its first read
// (once, a few seconds for a million reports): the list then reads only the
// index, not the reports' rows.
Error readLines(const QString &workDbPath, const QString &dataDbPath, const Period &period, bool replace,
                qsizetype *added = nullptr);

// The list's index of the reports (day newest first, reading, customer,
// title, staff member): what the list reads, in its order.
const dao::AddedIndex &listIndex();

// The day, customer and staff member of each ticked line.
QList<ReportKey> ticked(const QString &workDbPath, Error *error = nullptr);

// Deletes every report of the ticked lines' day, customer and staff member,
// all or nothing, kept as one deletion that can be put back; then the ticked
// lines leave the list. `lines` counts the ticked lines (0: nothing was
// done). A failure after the reports went says so in its text.
Error deleteTicked(const QString &workDbPath, const QString &dataDbPath, qsizetype *lines = nullptr);

// The list as a CSV file holds it: a header line (日付, 顧客名, ふりがな,
// 担当, タイトル, メモ, 次回予定), then each line of the list in its order, with
// the reading and memo of its report (matched on day, customer, staff member
// and title; lines alike take the reports in turn) and its next step.
QList<QStringList> csvRecords(const QString &workDbPath, const QString &dataDbPath, Error *error = nullptr);

}  // namespace tqen::model::ReportList
