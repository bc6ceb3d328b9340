#pragma once
// The state one open database shares with its recordsets. Only the engine's
// own files include this header (and sqlite3.h).
#include "platform/dao/Dao.h"
#include "platform/dao/JetValues.h"

#include <sqlite3.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace tqen::dao {

struct JetTranslation;
struct FileRecordset;

// Owning handles: a prepared statement is finalized and a connection closed
// when its handle goes.
struct StatementFinalizer {
    void operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
struct ConnectionCloser {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionCloser>;

struct Connection {
    ConnectionHandle db;
    QString path;
    QStringList attached;  // full paths; attached as jet_ext1, jet_ext2, …
    std::vector<FileRecordset *> live;
    bool inTransaction = false;

    ~Connection();
    void close();

    // Before anything writes on this connection, every recordset that is still
    // stepping its select finishes reading its row list, so no write lands in
    // the middle of a running select.
    void releaseReaders();
    // Attaches the files a statement names with "in '…'"; the schema names
    // to use come back in aliases.
    bool attach(const QStringList &paths, QStringList *aliases, QString *error);
    // Prepares a translated statement with its string values bound; null and
    // error on failure.
    Statement prepare(const QString &sql, const QVector<QString> &params, QString *error);
    // The same with values of a translation (each a statementValue).
    Statement prepareWith(const QString &sql, const QVector<QVariant> &params, QString *error);
    QString lastError() const;
};

// The connection of an open database; null for a failed or closed one.
Connection *connectionOf(const Database &db);

// Reads column col of the statement's current row as the engine's value.
QVariant columnValue(sqlite3_stmt *st, int col, ColumnKind kind);
// Binds a value for a column of the given kind; false and error on a value
// that the column cannot hold.
bool bindValue(sqlite3_stmt *st, int index, ColumnKind kind, const QVariant &value, QString *error);
bool bindText(sqlite3_stmt *st, int index, const QString &text);
// Binds a statementValue (JetTranslator.h) as it is.
bool bindStatementValue(sqlite3_stmt *st, int index, const QVariant &value);

}  // namespace tqen::dao
