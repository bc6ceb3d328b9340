#pragma once
// The whole data database copied from one place to another: a data file to a
// database server (where an office starts sharing its book) or back.
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tqen::model {

// Copies every row of the data database's tables from one data database to
// another (a file or a server, either way) in one transaction: the target's
// tables are emptied and filled; on failure the target is left as it was.
// Tables added after the delivered schema (options.addedTables) come along:
// a source without one gives no rows, a target without one gets it made.
// The confirmations (日報確認) come with the marker of changed reports and
// the triggers that keep it; markers the source did not keep, or that may
// have changed while it was read, become unknown and are filled again.
struct TableCopy {
    QString table;
    qlonglong read = 0;     // rows read from the source
    qlonglong stored = 0;   // rows the target holds afterwards
};
// Reports of the source that share their day, customer and staff member.
struct ReportGroup {
    QVariant day, customer, staff;
    qlonglong count = 0;
};
struct CopyOptions {
    // A server keeps one report per day, customer and staff member. A source
    // holding more than one is refused and nothing is written, unless they
    // are merged: one row per group, its titles and memos those of all the
    // group's rows joined line by line (the same text once), the rest of the
    // last row.
    bool mergeDuplicates = false;
    QList<dao::AddedTable> addedTables;
};
struct CopyOutcome {
    QList<TableCopy> counts;
    QList<ReportGroup> duplicates;  // the groups found (refused or merged)
    qlonglong mergedRows = 0;       // rows the merge joined into others
};
Error copyData(const QString &from, const QString &to, const CopyOptions &options, CopyOutcome *outcome);
// Rows of the delivered tables only, refusing reports that share their key.
Error copyData(const QString &from, const QString &to, QList<TableCopy> *counts);

}  // namespace tqen::model
