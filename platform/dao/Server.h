#pragma once
// The data database on a database server (shared office mode).
//
// Where a path is expected, a PostgreSQL connection URI
// ("postgresql://user@host[:port]/database") names a database on a server;
// Database::open connects to it and the same Jet SQL runs there. A first
// connection to an empty database creates the data database's tables as the
// program's schema gives them (setServerSchema). A statement on a local file may
// name a table on the server with "T in 'postgresql://…'" in the one case
// the program needs: "insert into W select … from T in '…'" copies the
// server's rows into the local table, matching columns by name.
//
// The password comes from the user's ~/.pgpass (libpq reads it) or from the
// password source installed here; it is kept in memory for the session only.
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QString>

#include <functional>
#include <optional>

namespace tqen::dao {

// True for "postgresql://…" and "postgres://…".
bool isServerUri(const QString &pathOrUri);
// The host a server URI names ("localhost" when it names none).
QString serverHost(const QString &uri);
// True for a server URI that carries a password in any form libpq reads
// (user:password@, a password= or sslpassword= parameter, also with the name
// percent-encoded); such an address is refused everywhere and never stored.
// A passfile= parameter is no password.
bool uriHoldsPassword(const QString &uri);
// The URI with every password in it written as "****".
QString withoutPassword(const QString &uri);
// A text (a message, a log line) with the passwords of every server URI in
// it written as "****".
QString maskPasswords(const QString &text);
// What the user is told about an address that holds a password.
QString passwordRefusal();

// The data database's tables on a server, as the program defines them: the
// engine makes them on the first connection to an empty database. Until a
// schema is given, an empty database cannot be prepared (an error says so);
// a database that holds the tables needs none.
struct ServerSchema {
    QStringList tables;        // the data database's tables (any of them present: the schema is made)
    QStringList statements;    // what makes them, run in order in one transaction
    // Unique indexes that name a row by its key: a new row with the key of
    // another, or an edit of a row that another program changed, is
    // written over that row (the last write wins).
    QStringList keyIndexes;
    // Field names as the data file declares them: a field reads back under
    // its declared name where a statement does not spell it.
    QStringList declaredNames;
};
void setServerSchema(const ServerSchema &schema);

// Asked for a password when the server wants one and ~/.pgpass has none;
// nullopt when the user declines. None installed: no password is asked.
using PasswordSource = std::function<std::optional<QString>(const QString &host, const QString &user)>;
void setPasswordSource(PasswordSource source);
// Forgets remembered passwords and closes pooled connections.
void resetServerConnections();

}  // namespace tqen::dao
