// Making a table that the delivered schema lacks, on a file or a server.
#include "platform/dao/AddedTable.h"

#include "platform/dao/Connection.h"
#include "platform/dao/JetTranslator.h"
#include "platform/dao/ServerConnection.h"

namespace tqen::dao {

namespace {

QString fileType(AddedColumn::Kind kind) {
    switch (kind) {
    case AddedColumn::Kind::Date: return QStringLiteral("DATE");
    case AddedColumn::Kind::Integer: return QStringLiteral("INTEGER");
    case AddedColumn::Kind::Text: break;
    }
    return QStringLiteral("TEXT");
}

// The server's types for the data database: texts sort by code point, as in
// a file; numbers are 64 bits wide, as in a file.
QString serverType(AddedColumn::Kind kind) {
    switch (kind) {
    case AddedColumn::Kind::Date: return QStringLiteral("date");
    case AddedColumn::Kind::Integer: return QStringLiteral("bigint");
    case AddedColumn::Kind::Text: break;
    }
    return QStringLiteral("text COLLATE \"C\"");
}

// The statements that make the table; names on a server in lower case, as
// the server's statements fold theirs.
QStringList createStatements(const AddedTable &t, bool server) {
    const auto name = [server](const QString &n) { return quoteName(server ? n.toLower() : n); };
    QStringList cols;
    for (const AddedColumn &c : t.columns)
        cols << name(c.name) + u' ' + (server ? serverType(c.kind) : fileType(c.kind));
    QStringList out{QStringLiteral("CREATE TABLE %1 (%2)").arg(name(t.name), cols.join(QStringLiteral(", ")))};
    for (qsizetype i = 0; i < t.indexes.size(); ++i) {
        QStringList on;
        for (const QString &c : t.indexes[i]) on << name(c);
        out << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                   .arg(name(t.name + u'_' + QString::number(i + 1)), name(t.name), on.join(QStringLiteral(", ")));
    }
    return out;
}

bool fileExec(Connection &c, const QString &sql, QString *error) {
    const Statement st = c.prepare(sql, {}, error);
    if (!st) return false;
    if (sqlite3_step(st.get()) != SQLITE_DONE) {
        *error = c.lastError();
        return false;
    }
    return true;
}

const QString kServerPresent = QStringLiteral(
    "SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = $1");

}  // namespace

std::optional<bool> hasTable(Database &db, const QString &table, QString *error) {
    if (ServerConnection *s = serverConnectionOf(db)) {
        const Result r = s->run(kServerPresent, {table.toLower()}, error);
        if (!r) return std::nullopt;
        return QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0;
    }
    Connection *c = connectionOf(db);
    if (!c) {
        *error = db.error();
        return std::nullopt;
    }
    c->releaseReaders();
    const Statement st =
        c->prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1"), {table}, error);
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW) {
        if (st) *error = c->lastError();
        return std::nullopt;
    }
    return sqlite3_column_int(st.get(), 0) > 0;
}

Error ensureTable(Database &db, const AddedTable &table) {
    const QString text = QStringLiteral("表 %1 を作れませんでした。").arg(table.name);
    QString error;
    if (ServerConnection *s = serverConnectionOf(db)) {
        // Under the lock that the first tables were made under; in a
        // transaction of its own when the caller has none.
        const bool own = !s->inTransaction;
        const auto fail = [&] {
            if (own) {
                QString ignored;
                s->run(QStringLiteral("ROLLBACK"), {}, &ignored);
            }
            return Error(Error::Code::DatabaseFailed, text, error);
        };
        if (own && !s->run(QStringLiteral("BEGIN"), {}, &error)) return fail();
        if (!s->run(QStringLiteral("SELECT pg_advisory_xact_lock(7401, 1)"), {}, &error)) return fail();
        const std::optional<bool> present = hasTable(db, table.name, &error);
        if (!present) return fail();
        if (!*present)
            for (const QString &sql : createStatements(table, true))
                if (!s->run(sql, {}, &error)) return fail();
        if (own && !s->run(QStringLiteral("COMMIT"), {}, &error)) return fail();
        return {};
    }
    const std::optional<bool> present = hasTable(db, table.name, &error);
    if (!present) return Error(Error::Code::DatabaseFailed, text, error);
    if (*present) return {};
    Connection *c = connectionOf(db);
    // Without an open transaction the table and its indexes still come
    // together or not at all.
    const bool own = !c->inTransaction;
    if (own && !fileExec(*c, QStringLiteral("SAVEPOINT tqen_added_table"), &error))
        return Error(Error::Code::DatabaseFailed, text, error);
    for (const QString &sql : createStatements(table, false)) {
        if (!fileExec(*c, sql, &error)) {
            QString ignored;
            if (own) {
                fileExec(*c, QStringLiteral("ROLLBACK TO tqen_added_table"), &ignored);
                fileExec(*c, QStringLiteral("RELEASE tqen_added_table"), &ignored);
            }
            return Error(Error::Code::DatabaseFailed, text, error);
        }
    }
    if (own && !fileExec(*c, QStringLiteral("RELEASE tqen_added_table"), &error))
        return Error(Error::Code::DatabaseFailed, text, error);
    return {};
}

namespace {

// The statement that makes an index; names on a server in lower case.
QString createIndex(const AddedIndex &index, bool server) {
    const auto name = [server](const QString &n) { return quoteName(server ? n.toLower() : n); };
    QStringList columns;
    for (const QString &col : index.columns)
        columns << name(col) + (index.descending.contains(col) ? QStringLiteral(" DESC") : QString());
    // IF NOT EXISTS: another program may make it at the same time.
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
        .arg(name(index.name), name(index.table), columns.join(QStringLiteral(", ")));
}

const QString kServerIndexPresent = QStringLiteral(
    "SELECT (SELECT count(*) FROM pg_indexes WHERE schemaname = current_schema() AND indexname = $1),"
    " (SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = $2)");

// Whether the server's database still needs the index: it lacks it and has
// its table. Nullopt and error when it cannot be asked.
std::optional<bool> serverNeeds(ServerConnection &s, const AddedIndex &index, QString *error) {
    const Result r = s.run(kServerIndexPresent, {index.name.toLower(), index.table.toLower()}, error);
    if (!r) return std::nullopt;
    return QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() == 0 && QByteArray(PQgetvalue(r.get(), 0, 1)).toInt() > 0;
}

// On a server the index is made as the added tables are: under the lock
// that the first tables were made under, in a transaction of its own when
// the caller has none, so two programs meeting it missing make it once.
Error ensureServerIndex(ServerConnection &s, const AddedIndex &index, const QString &text) {
    QString error;
    std::optional<bool> needed = serverNeeds(s, index, &error);
    if (!needed) return Error(Error::Code::DatabaseFailed, text, error);
    if (!*needed) return {};
    const bool own = !s.inTransaction;
    const auto fail = [&] {
        if (own) {
            QString ignored;
            s.run(QStringLiteral("ROLLBACK"), {}, &ignored);
        }
        return Error(Error::Code::DatabaseFailed, text, error);
    };
    if (own && !s.run(QStringLiteral("BEGIN"), {}, &error)) return fail();
    if (!s.run(QStringLiteral("SELECT pg_advisory_xact_lock(7401, 1)"), {}, &error)) return fail();
    needed = serverNeeds(s, index, &error);
    if (!needed) return fail();
    if (*needed && !s.run(createIndex(index, true), {}, &error)) return fail();
    if (own && !s.run(QStringLiteral("COMMIT"), {}, &error)) return fail();
    return {};
}

}  // namespace

Error ensureIndex(Database &db, const AddedIndex &index) {
    const QString text = QStringLiteral("索引 %1 を作れませんでした。").arg(index.name);
    if (ServerConnection *s = serverConnectionOf(db)) return ensureServerIndex(*s, index, text);
    Connection *c = connectionOf(db);
    if (!c) return Error(Error::Code::DatabaseFailed, text, db.error());
    c->releaseReaders();
    QString error;
    const Statement st = c->prepare(
        QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = ?1),"
                       " (SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?2)"),
        {index.name, index.table}, &error);
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW) {
        if (st) error = c->lastError();
        return Error(Error::Code::DatabaseFailed, text, error);
    }
    if (sqlite3_column_int(st.get(), 0) > 0 || sqlite3_column_int(st.get(), 1) == 0) return {};
    if (!fileExec(*c, createIndex(index, false), &error)) return Error(Error::Code::DatabaseFailed, text, error);
    return {};
}

Error executeNative(Database &db, const QStringList &onFile, const QStringList &onServer) {
    const QString text = QStringLiteral("データベースに書き込めませんでした。");
    QString error;
    if (ServerConnection *s = serverConnectionOf(db)) {
        for (const QString &sql : onServer)
            if (!s->run(sql, {}, &error)) return Error(Error::Code::DatabaseFailed, text, error);
        return {};
    }
    Connection *c = connectionOf(db);
    if (!c) return Error(Error::Code::DatabaseFailed, text, db.error());
    c->releaseReaders();
    for (const QString &sql : onFile)
        if (!fileExec(*c, sql, &error)) return Error(Error::Code::DatabaseFailed, text, error);
    return {};
}

std::optional<QList<qlonglong>> queryNative(Database &db, const QString &onFile, const QString &onServer,
                                           QString *error) {
    QList<qlonglong> out;
    if (ServerConnection *s = serverConnectionOf(db)) {
        const Result r = s->run(onServer, {}, error);
        if (!r) return std::nullopt;
        if (PQntuples(r.get()) < 1) {
            *error = QStringLiteral("no row");
            return std::nullopt;
        }
        for (int i = 0; i < PQnfields(r.get()); ++i) out << QByteArray(PQgetvalue(r.get(), 0, i)).toLongLong();
        return out;
    }
    Connection *c = connectionOf(db);
    if (!c) {
        *error = db.error();
        return std::nullopt;
    }
    c->releaseReaders();
    const Statement st = c->prepare(onFile, {}, error);
    if (!st) return std::nullopt;
    if (sqlite3_step(st.get()) != SQLITE_ROW) {
        *error = c->lastError();
        if (error->isEmpty()) *error = QStringLiteral("no row");
        return std::nullopt;
    }
    for (int i = 0; i < sqlite3_column_count(st.get()); ++i) out << sqlite3_column_int64(st.get(), i);
    return out;
}

}  // namespace tqen::dao
