#include "platform/dao/ServerConnection.h"

#include "platform/dao/Server.h"
#include "platform/dao/ServerRecordset.h"
#include "platform/dao/JetValues.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace tqen::dao {

namespace {

constexpr int kPoolPerUri = 4;

// An idle connection keeps the statements it prepared.
struct Idle {
    PGconn *pg = nullptr;
    PreparedStatements statements;
};

struct Pool {
    std::mutex lock;
    QMultiHash<QString, Idle> idle;
    QHash<QString, QString> passwords;  // by URI, for this session only
    QHash<QString, QStringList> uniqueKeys;  // by URI and table
    QHash<QString, QString> likeCollations;  // by URI
    PasswordSource source;
    ServerSchema schema;
    // Idle connections end with the program.
    ~Pool() {
        for (const Idle &c : std::as_const(idle)) PQfinish(c.pg);
    }
};

Pool &pool() {
    static Pool p;
    return p;
}

// A name of ours as an SQL string literal.
QString sqlTextOf(const QString &name) {
    QString q = name;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QString pgError(const PGconn *c) {
    return c ? QString::fromUtf8(PQerrorMessage(c)).trimmed() : QStringLiteral("The database is not open.");
}

bool soundForPool(PGconn *c) {
    return c && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE;
}

std::optional<Idle> takeIdle(const QString &uri) {
    Pool &p = pool();
    std::lock_guard<std::mutex> g(p.lock);
    const auto it = p.idle.find(uri);
    if (it == p.idle.end()) return std::nullopt;
    Idle c = std::move(it.value());
    p.idle.erase(it);
    return c;
}

// One login. The URI's own settings win over the defaults given first.
PGconn *login(const QString &uri, const std::optional<QString> &password) {
    const QByteArray u = uri.toUtf8();
    const QByteArray pw = password ? password->toUtf8() : QByteArray();
    std::vector<const char *> keys{"connect_timeout", "application_name", "dbname"};
    std::vector<const char *> values{"5", "tqen", u.constData()};
    if (password) {
        keys.push_back("password");
        values.push_back(pw.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    return PQconnectdbParams(keys.data(), values.data(), 1);
}

QString userOf(const QString &uri) {
    const QUrl url(uri);
    return url.userName().isEmpty() ? qEnvironmentVariable("PGUSER", qEnvironmentVariable("USER")) : url.userName();
}

PGconn *freshConnection(const QString &uri, QString *error) {
    std::optional<QString> remembered;
    {
        Pool &p = pool();
        std::lock_guard<std::mutex> g(p.lock);
        if (p.passwords.contains(uri)) remembered = p.passwords.value(uri);
    }
    PGconn *c = login(uri, remembered);
    if (PQstatus(c) != CONNECTION_OK && PQconnectionNeedsPassword(c)) {
        PasswordSource source;
        {
            std::lock_guard<std::mutex> g(pool().lock);
            source = pool().source;
        }
        const std::optional<QString> typed = source ? source(serverHost(uri), userOf(uri)) : std::nullopt;
        if (typed) {
            PQfinish(c);
            c = login(uri, typed);
            if (PQstatus(c) == CONNECTION_OK) {
                std::lock_guard<std::mutex> g(pool().lock);
                pool().passwords.insert(uri, *typed);
            }
        }
    }
    if (PQstatus(c) != CONNECTION_OK) {
        *error = QStringLiteral("Could not connect to the database server %1: %2").arg(serverHost(uri), pgError(c));
        PQfinish(c);
        return nullptr;
    }
    PQsetClientEncoding(c, "UTF8");
    PGresult *r = PQexec(c, "SET DateStyle = ISO; SET standard_conforming_strings = on");
    PQclear(r);
    return c;
}

}  // namespace


void setServerSchema(const ServerSchema &schema) {
    std::lock_guard<std::mutex> g(pool().lock);
    pool().schema = schema;
    pool().uniqueKeys.clear();
}

ServerSchema serverSchema() {
    std::lock_guard<std::mutex> g(pool().lock);
    return pool().schema;
}

QString declaredName(const QString &serverName) {
    std::lock_guard<std::mutex> g(pool().lock);
    for (const QString &d : std::as_const(pool().schema.declaredNames))
        if (d.compare(serverName, Qt::CaseInsensitive) == 0) return d;
    return serverName;
}

void setPasswordSource(PasswordSource source) {
    std::lock_guard<std::mutex> g(pool().lock);
    pool().source = std::move(source);
}

void resetServerConnections() {
    Pool &p = pool();
    std::lock_guard<std::mutex> g(p.lock);
    for (const Idle &c : std::as_const(p.idle)) PQfinish(c.pg);
    p.idle.clear();
    p.uniqueKeys.clear();
    p.likeCollations.clear();
    p.passwords.clear();
}

std::shared_ptr<ServerConnection> connectServer(const QString &uri, QString *error) {
    // An address that carries a password is never used, wherever it came from.
    if (uriHoldsPassword(uri)) {
        *error = passwordRefusal();
        return nullptr;
    }
    auto conn = std::make_shared<ServerConnection>();
    conn->uri = uri;
    if (std::optional<Idle> c = takeIdle(uri)) {
        conn->pg = c->pg;
        conn->statements = std::move(c->statements);
        conn->pooled = true;
        return conn;
    }
    conn->pg = freshConnection(uri, error);
    if (!conn->pg) return nullptr;
    if (!ensureServerSchema(*conn, error)) {
        *error = QStringLiteral("Could not prepare the database on %1: %2").arg(serverHost(uri), *error);
        return nullptr;
    }
    return conn;
}

ServerConnection::~ServerConnection() { close(); }

void ServerConnection::close() {
    const auto readers = live;
    for (ServerRecordset *r : readers) r->shutDown(QStringLiteral("The database is closed."));
    live.clear();
    if (!pg) return;
    if (inTransaction && PQstatus(pg) == CONNECTION_OK) PQclear(PQexec(pg, "ROLLBACK"));
    inTransaction = false;
    if (soundForPool(pg)) {
        Pool &p = pool();
        std::lock_guard<std::mutex> g(p.lock);
        if (p.idle.count(uri) < kPoolPerUri) {
            p.idle.insert(uri, Idle{pg, std::move(statements)});
            pg = nullptr;
            statements = {};
            return;
        }
    }
    PQfinish(pg);
    pg = nullptr;
    statements = {};
}

QString ServerConnection::lastError() const { return pgError(pg); }

QByteArray ServerConnection::preparedName(const QByteArray &text, int count, PGresult **failure) {
    *failure = nullptr;
    // Transaction control costs the server nothing to parse.
    if (text == "BEGIN" || text == "COMMIT" || text == "ROLLBACK") return {};
    PreparedStatements &s = statements;
    auto it = s.names.find(text);
    if (it == s.names.end()) {
        if (s.names.size() >= PreparedStatements::kMaxKnown) {
            // Forget the texts seen once; the prepared ones stay.
            for (auto k = s.names.begin(); k != s.names.end();) k = k->isEmpty() ? s.names.erase(k) : std::next(k);
            if (s.names.size() >= PreparedStatements::kMaxKnown) return {};
        }
        s.names.insert(text, QByteArray());
        return {};
    }
    if (!it->isEmpty()) return *it;
    if (s.prepared >= PreparedStatements::kMaxPrepared) return {};
    // A name no other statement of this process or of another program has,
    // even where a pooler hands one server connection to several clients.
    static std::atomic<quint64> serial{0};
    const QByteArray name = "tqen_" + QByteArray::number(QCoreApplication::applicationPid()) + '_' +
                            QByteArray::number(++serial);
    PGresult *r = PQprepare(pg, name.constData(), text.constData(), count, nullptr);
    if (PQresultStatus(r) != PGRES_COMMAND_OK) {
        *failure = r;
        return {};
    }
    PQclear(r);
    *it = name;
    ++s.prepared;
    return name;
}

PGresult *ServerConnection::send(const QByteArray &text, int count, const char *const *values, const int *lengths) {
    PGresult *failure = nullptr;
    const QByteArray name = preparedName(text, count, &failure);
    if (failure) return failure;
    if (name.isEmpty()) return PQexecParams(pg, text.constData(), count, nullptr, values, lengths, nullptr, 0);
    PGresult *r = PQexecPrepared(pg, name.constData(), count, values, lengths, nullptr, 0);
    const char *state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    // A table's columns changed since the statement was prepared (0A000,
    // "cached plan must not change result type"), or the server no longer
    // knows it (26000): the text is sent as it stands from now on. The
    // statement did not run; outside a transaction it is sent again.
    if (state && (qstrcmp(state, "0A000") == 0 || qstrcmp(state, "26000") == 0)) {
        statements.names.remove(text);
        if (!inTransaction) {
            PQclear(r);
            r = PQexecParams(pg, text.constData(), count, nullptr, values, lengths, nullptr, 0);
        }
    }
    return r;
}

Result ServerConnection::run(const QString &sql, const QVector<QVariant> &params, QString *error) {
    if (!pg) {
        *error = QStringLiteral("The database is not open.");
        return nullptr;
    }
    const QByteArray text = sql.toUtf8();
    std::vector<QByteArray> bytes(params.size());
    std::vector<const char *> values(params.size(), nullptr);
    std::vector<int> lengths(params.size(), 0);
    for (int i = 0; i < params.size(); ++i) {
        if (params[i].isNull()) continue;
        if (params[i].typeId() == QMetaType::QByteArray) {
            bytes[i] = "\\x" + params[i].toByteArray().toHex();
            values[i] = bytes[i].constData();
            lengths[i] = int(bytes[i].size());
            continue;
        }
        const QString s = wellFormed(params[i].toString());
        if (s.contains(QChar(0))) {
            // libpq passes texts as C strings: the text would end there.
            *error = QStringLiteral("A text holds a NUL character, which the database server cannot store.");
            return nullptr;
        }
        bytes[i] = s.toUtf8();
        values[i] = bytes[i].constData();
        lengths[i] = int(bytes[i].size());
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        Result r(send(text, int(params.size()), values.data(), lengths.data()));
        const ExecStatusType st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) {
            pooled = false;
            return r;
        }
        if (PQstatus(pg) == CONNECTION_BAD && pooled && attempt == 0) {
            // The server dropped this pooled connection while it was idle:
            // nothing ran on it yet, so a new one may run the statement.
            pooled = false;
            QString err;
            PGconn *fresh = freshConnection(uri, &err);
            if (!fresh) {
                *error = err;
                return nullptr;
            }
            PQfinish(pg);
            pg = fresh;
            statements = {};
            continue;
        }
        pooled = false;
        *error = r ? QString::fromUtf8(PQresultErrorMessage(r.get())).trimmed() : lastError();
        if (error->isEmpty()) error->append(lastError());
        if (PQstatus(pg) == CONNECTION_BAD)
            *error = QStringLiteral("The connection to the database server %1 was lost: %2").arg(serverHost(uri), *error);
        return nullptr;
    }
    return nullptr;
}

QStringList ServerConnection::uniqueKey(const QString &quotedTable) {
    const QString cacheKey = uri + u'\n' + quotedTable;
    {
        std::lock_guard<std::mutex> g(pool().lock);
        const auto it = pool().uniqueKeys.constFind(cacheKey);
        if (it != pool().uniqueKeys.constEnd()) return *it;
    }
    QString err;
    QStringList keys;
    for (const QString &k : serverSchema().keyIndexes) keys << sqlTextOf(k);
    const Result r = keys.isEmpty()
                         ? nullptr
                         : run(QStringLiteral(
                                   "SELECT a.attname FROM pg_index i JOIN pg_class x ON x.oid = i.indexrelid "
                                   "CROSS JOIN LATERAL unnest(i.indkey::int2[]) WITH ORDINALITY AS k(attnum, ord) "
                                   "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.attnum "
                                   "WHERE i.indrelid = to_regclass($1) AND i.indisunique AND i.indpred IS NULL "
                                   "AND x.relname IN (%1) "
                                   "ORDER BY k.ord")
                                   .arg(keys.join(QStringLiteral(", "))),
                               {quotedTable}, &err);
    QStringList cols;
    if (r)
        for (int i = 0; i < PQntuples(r.get()); ++i) cols << QString::fromUtf8(PQgetvalue(r.get(), i, 0));
    if (r) {
        std::lock_guard<std::mutex> g(pool().lock);
        pool().uniqueKeys.insert(cacheKey, cols);
    }
    return cols;
}

QString ServerConnection::likeCollationFor(const JetTranslation &tr) {
    if (!tr.pieces.contains(QStringLiteral("LIKE"))) return {};
    {
        std::lock_guard<std::mutex> g(pool().lock);
        const auto it = pool().likeCollations.constFind(uri);
        if (it != pool().likeCollations.constEnd()) return *it;
    }
    QString err;
    const Result r = run(QStringLiteral("SELECT count(*) FROM pg_collation WHERE collname = 'und-x-icu'"), {}, &err);
    if (!r) return {};
    const QString collation =
        QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0 ? QStringLiteral("\"und-x-icu\"") : QString();
    std::lock_guard<std::mutex> g(pool().lock);
    pool().likeCollations.insert(uri, collation);
    return collation;
}


// ---------------------------------------------------------------------------

namespace {

QString presentQuery(const QStringList &tables) {
    QStringList names;
    for (const QString &t : tables) names << sqlTextOf(t.toLower());
    return QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename IN (%1)")
        .arg(names.join(QStringLiteral(", ")));
}

}  // namespace

bool ensureServerSchema(ServerConnection &c, QString *error) {
    const ServerSchema schema = serverSchema();
    if (schema.tables.isEmpty()) {
        // Nothing to make: a database that holds tables is taken as it is.
        Result r = c.run(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()"), {}, error);
        if (!r) return false;
        if (QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0) return true;
        *error = QStringLiteral("The database is empty and the program gave no tables to make in it.");
        return false;
    }
    const QString present = presentQuery(schema.tables);
    Result r = c.run(present, {}, error);
    if (!r) return false;
    if (QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0) return true;
    // Two programs meeting an empty database at once: the second waits for
    // the first and then finds its tables.
    if (!c.run(QStringLiteral("BEGIN"), {}, error)) return false;
    const auto fail = [&] {
        QString ignored;
        c.run(QStringLiteral("ROLLBACK"), {}, &ignored);
        return false;
    };
    if (!c.run(QStringLiteral("SELECT pg_advisory_xact_lock(7401, 1)"), {}, error)) return fail();
    r = c.run(present, {}, error);
    if (!r) return fail();
    if (QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() == 0)
        for (const QString &statement : schema.statements)
            if (!c.run(statement, {}, error)) return fail();
    return bool(c.run(QStringLiteral("COMMIT"), {}, error));
}

}  // namespace tqen::dao
