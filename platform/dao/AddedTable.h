#pragma once
// Tables that later versions of the program add to the data database beside
// the delivered ones. A data file or a server database from before such a
// table reads as if the table were empty; the first write makes it, on a
// file as on a server, where it follows the server's rules for the data
// database's tables (names as written, texts sorted by code point, made under
// the same lock as the first tables, so two programs meeting it missing agree).
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tqen::dao {

class Database;

struct AddedColumn {
    enum class Kind { Text, Date, Integer };
    QString name;
    Kind kind = Kind::Text;
};

struct AddedTable {
    QString name;
    QList<AddedColumn> columns;
    QList<QStringList> indexes;  // the columns of each index, in order
};

// An index that a later version adds to a table of the data file.
struct AddedIndex {
    QString table;
    QString name;
    QStringList columns;     // in order
    QStringList descending;  // those of the columns kept newest (largest) first
};

// Whether the open database holds a table of that name; nullopt and error
// when it cannot be asked.
std::optional<bool> hasTable(Database &db, const QString &table, QString *error);

// Makes the table (and its indexes) when the open database lacks it. Inside
// the caller's transaction when one is open, so a rollback takes it back.
Error ensureTable(Database &db, const AddedTable &table);

// Makes the index when the open database lacks it (a table that is not
// there gets none), on a file as on a server, where it follows the rules of
// the added tables (names in lower case, made under the first tables' lock).
// Inside the caller's transaction when one is open.
Error ensureIndex(Database &db, const AddedIndex &index);

// Statements in the engine's own dialect, for what Jet SQL cannot say (a
// trigger and the function it runs, a column added to an added table):
// `onFile` on a data file, `onServer` on a server, run in order inside the
// caller's open transaction; the first failure is the error.
Error executeNative(Database &db, const QStringList &onFile, const QStringList &onServer);

// The first row of a query in the engine's own dialect, as numbers: for
// asking the engine's catalogue what a database holds. nullopt and error
// when it cannot be asked (or answers no row).
std::optional<QList<qlonglong>> queryNative(Database &db, const QString &onFile, const QString &onServer,
                                           QString *error);

}  // namespace tqen::dao
