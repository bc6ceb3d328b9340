#pragma once
// The data database on a PostgreSQL server, reached with libpq. Only the
// engine's own files include this header.
//
// A connection is taken from a small per-process pool when a database is
// opened and given back when it is closed, so opening a database for each
// operation costs no new login. A connection the server dropped is never
// given back; a pooled one found dead on its first statement is replaced and
// the statement sent again (nothing had run on it yet).
#include "platform/dao/Dao.h"
#include "platform/dao/JetTranslator.h"
#include "platform/dao/Server.h"

#include <libpq-fe.h>

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

namespace tqen::dao {

struct ResultClear {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

class ServerRecordset;

// The statements a connection has prepared on the server, by their text. The
// program sends few shapes of statement again and again (values and dates go
// as parameters), so a text seen a second time is prepared and from then on
// only bound and run: the server neither parses nor plans it again. The
// statements live as long as the server connection, in the pool too.
struct PreparedStatements {
    static constexpr int kMaxPrepared = 64;   // per connection
    static constexpr int kMaxKnown = 512;     // texts remembered, prepared or not
    QHash<QByteArray, QByteArray> names;      // text → statement name; empty: seen once
    int prepared = 0;
};

struct ServerConnection {
    PGconn *pg = nullptr;
    QString uri;
    bool pooled = false;   // came from the pool and has not run anything yet
    bool inTransaction = false;
    std::vector<ServerRecordset *> live;
    PreparedStatements statements;

    ~ServerConnection();
    // Rolls back, closes the recordsets, and gives the connection back to the
    // pool when it is sound.
    void close();

    // Runs one statement with parameters sent as text (a Null QVariant is
    // NULL, bytes go as a bytea's hex text).
    // Null result and error on failure; the error names a lost connection.
    Result run(const QString &sql, const QVector<QVariant> &params, QString *error);
    QString lastError() const;
    // Columns of the unique index that the schema made for writing a row by
    // its key (a report by day, customer and staff member; a customer by
    // name), asked once per server and table; empty for other tables. Other unique
    // indexes stay rules that a write may break.
    QStringList uniqueKey(const QString &quotedTable);
    // For a statement with a like, the collation under which like folds the
    // case of every letter, as Jet's does (full-width Ａ and ａ, É and é),
    // where the server has one (ICU's root collation); the tables' own
    // collation folds only ASCII letters. Asked once per server; empty when
    // there is none or the statement has no like.
    QString likeCollationFor(const JetTranslation &tr);

private:
    // Sends one statement: prepared when its text was seen before, else as
    // it stands. A failed preparation's result is the statement's failure.
    PGresult *send(const QByteArray &text, int count, const char *const *values, const int *lengths);
    // The prepared statement's name for the text; empty to send it plainly.
    // Null result when no preparation failed, else that failure.
    QByteArray preparedName(const QByteArray &text, int count, PGresult **failure);
};

// The server connection of an open database on a server; null otherwise.
ServerConnection *serverConnectionOf(const Database &db);

// Connects (or takes a pooled connection); null and error on failure.
std::shared_ptr<ServerConnection> connectServer(const QString &uri, QString *error);

// The statement as PostgreSQL SQL: names folded to lower case (the server's
// tables are made so), ?N as $N, Jet's like as a regular expression match on
// a pattern converted in its parameter, nz/ifnull as coalesce. Pieces stay one
// for one, so piece positions of the translation still hold. False and error
// when something cannot run on the server. likeCollation, when given, is
// the collation under which like matches (see ServerConnection::likeCollationFor).
bool serverPieces(const JetTranslation &tr, QStringList *pieces, QVector<QVariant> *params, QString *error,
                  const QString &likeCollation = QString());
// Jet's like pattern as a whole-value regular expression; empty when invalid.
QString likeToRegex(const QString &jetPattern);

// A value read from a result, by the column's type.
QVariant serverValue(const PGresult *r, int row, int col);
// A value for a column of the given type as a parameter; false and error on
// a value that the column cannot hold.
bool serverParam(unsigned typeOid, const QVariant &value, QVariant *param, QString *error);

// Creates the data database's tables (setServerSchema) in an empty database
// (once, under a lock, so two programs starting together agree).
bool ensureServerSchema(ServerConnection &c, QString *error);
// The schema given to setServerSchema.
ServerSchema serverSchema();
// A field's name as the data file declares it, for a name as the server
// folds it; the name itself when the schema declares no such field.
QString declaredName(const QString &serverName);

}  // namespace tqen::dao
