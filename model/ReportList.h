#pragma once
// The list of a period: the reports of a period, newest first, optionally
// of one staff member and one customer, copied into the work table
// w日報一覧 that the list's grid shows and ticks, and the print and CSV
// selections made from it.
#include "model/DeletedReports.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tqen::model::ReportList {

// Empties the list.
Error clear(const QString &workDbPath);

// Replaces the list with the reports between two days (both included), of
// one staff member and/or customer when given, newest first and by reading
// within a day. A data file that cannot be read leaves the list empty.
Error read(const QString &workDbPath, const QString &dataDbPath, const QDate &first, const QDate &last,
           const QString &staff, const QString &customer);

// The day, customer and staff member of each ticked line.
QList<ReportKey> ticked(const QString &workDbPath, Error *error = nullptr);

// Deletes every report of the ticked lines' day, customer and staff member,
// all or nothing, kept as one deletion that can be put back; then the ticked
// lines leave the list. `lines` counts the ticked lines (0: nothing was
// done). A failure after the reports went says so in its text.
Error deleteTicked(const QString &workDbPath, const QString &dataDbPath, qsizetype *lines = nullptr);

// The list as a CSV file holds it: a header line (日付, 顧客名, ふりがな,
// 担当, タイトル, メモ), then each line of the list in its order, with the
// reading and memo of its report (matched on day, customer, staff member and
// title; lines alike take the reports in turn).
QList<QStringList> csvRecords(const QString &workDbPath, const QString &dataDbPath, Error *error = nullptr);

}  // namespace tqen::model::ReportList
