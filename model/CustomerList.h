#pragma once
// The customer list of the maintenance form: a working copy of the customer
// master (名称 and ふりがな) in the work table w顧客マスタ that the form's
// grid edits and ticks, written back to 顧客マスタ as a whole.
#include "platform/error/Error.h"

#include <QList>
#include <QString>

namespace tqen::model::CustomerList {

struct Row {
    QString name;
    QString reading;  // null when stored Null
    bool operator==(const Row &) const = default;
};

// Replaces the working copy with the customer master, ordered by reading,
// in one transaction.
Error read(const QString &workDbPath, const QString &dataDbPath);
// Empties the working copy.
Error clear(const QString &workDbPath);
// The named rows of the working copy, ticked ones left out when asked.
QList<Row> rows(const QString &workDbPath, bool leaveOutTicked, Error *error = nullptr);
// Takes the ticked rows out of the working copy.
Error removeTicked(const QString &workDbPath);

// Replaces the rows of the customer master by these rows, in one
// transaction. The copy carries no staff member: each customer that stays
// keeps the staff member its row of the master had (matched by name; rows
// of one name take theirs in turn).
Error replaceMaster(const QString &dataDbPath, const QList<Row> &rows);

}  // namespace tqen::model::CustomerList
