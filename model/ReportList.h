#pragma once
// The list of a period: the reports of a period, newest first, optionally
// of one staff member and one customer, copied into the work table
// w日報一覧 that the list's grid shows and ticks, and the print and CSV
// selections made from it.
#include "model/Confirmations.h"
#include "model/DeletedReports.h"
#include "model/Session.h"
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
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
// index, not the reports' rows. The lines are written to the work file
// without waiting for the disk (they are copied anew at every read; a stop
// halfway leaves the work file as it was).
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
// 担当, タイトル, メモ, 確認, 確認者, 確認日時, コメント, 次回予定), then each
// line of the list in its order, with the reading and memo of its report
// (matched on day, customer, staff member and title; lines alike take the
// reports in turn), its confirmation (the state, who confirmed last and
// when, and every comment, oldest first, one a line) and its next step.
QList<QStringList> csvRecords(const QString &workDbPath, const QString &dataDbPath, Error *error = nullptr);

// The confirmation of a line of the list.
struct LineConfirmation {
    ConfirmState state = ConfirmState::Unconfirmed;
    QString confirmer;   // of the newest confirmation
    QDateTime at;
    QString comments;    // every comment, oldest first, one a line (only when asked for)
    // "未確認", "確認済 山田", "確認後に変更 山田".
    QString text() const;
};

// The confirmations of the reports of a period (only the confirmed ones
// and those changed since: a report absent from the answer is 未確認).
// With comments the comments are read as well (the CSV and the printed list).
QHash<ReportKey, LineConfirmation> confirmations(const QString &dataDbPath, const Period &period, bool withComments,
                                                 Error *error = nullptr);

// Takes the lines whose report is confirmed as it is out of the list
// (the filter 未確認のみ): those of a period's reports. `removed` counts them.
Error dropConfirmed(const QString &workDbPath, const QString &dataDbPath, const Period &period,
                    qsizetype *removed = nullptr);

// Confirms the reports of the ticked lines as `confirmer`, all or none in one
// transaction, with an optional comment. `lines` counts the reports
// confirmed (0: nothing was done). A report deleted on another PC since the
// list was read, or a confirmer no longer on the staff list, confirms none
// and says so.
Error confirmTicked(const Session &session, const QString &confirmer, const QString &comment,
                    qsizetype *lines = nullptr);

}  // namespace tqen::model::ReportList
