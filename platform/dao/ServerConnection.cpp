#include "platform/dao/ServerConnection.h"

#include "platform/dao/Server.h"
#include "platform/dao/ServerRecordset.h"
#include "platform/dao/JetValues.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace tqen::dao {

namespace {

// Type OIDs of the server's built-in types that the program reads.
constexpr unsigned kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700,
                   kDate = 1082, kTimestamp = 1114, kBytea = 17;

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

// ---------------------------------------------------------------------------

bool isServerUri(const QString &pathOrUri) {
    return pathOrUri.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           pathOrUri.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

QString serverHost(const QString &uri) {
    const QUrl url(uri);
    QString host = url.host();
    if (host.isEmpty()) {
        // A host may be given as a parameter: ?host=…
        const QRegularExpression re(QStringLiteral("[?&]host=([^&]+)"));
        const auto m = re.match(uri);
        host = m.hasMatch() ? QUrl::fromPercentEncoding(m.captured(1).toUtf8()) : QStringLiteral("localhost");
    }
    return url.port() > 0 ? host + u':' + QString::number(url.port()) : host;
}

namespace {

// Where libpq finds a password in a URI: the user information before '@'
// (user:password, the '@' looked for up to the first '/'), and the query
// parameters password and sslpassword (names percent-decoded, as libpq
// decodes them). passfile names a file and is no password.
struct PasswordPlaces {
    qsizetype userColon = -1, userEnd = -1;   // ':' and '@' of the user information
    QList<std::pair<qsizetype, qsizetype>> values;  // [from, to) of password values
};

PasswordPlaces passwordPlaces(const QString &uri) {
    PasswordPlaces out;
    if (!isServerUri(uri)) return out;
    const qsizetype start = uri.indexOf(QStringLiteral("://")) + 3;
    for (qsizetype i = start; i < uri.size() && uri[i] != u'/'; ++i)
        if (uri[i] == u'@') out.userEnd = i;
    if (out.userEnd >= 0) out.userColon = uri.indexOf(u':', start);
    if (out.userColon >= out.userEnd) out.userColon = -1;
    const qsizetype query = uri.indexOf(u'?', std::max(start, out.userEnd + 1));
    if (query < 0) return out;
    for (qsizetype from = query + 1; from <= uri.size();) {
        qsizetype to = uri.indexOf(u'&', from);
        if (to < 0) to = uri.size();
        const qsizetype eq = uri.indexOf(u'=', from);
        if (eq >= 0 && eq < to) {
            const QString key = QUrl::fromPercentEncoding(uri.mid(from, eq - from).toUtf8()).trimmed();
            if (key.compare(QStringLiteral("password"), Qt::CaseInsensitive) == 0 ||
                key.compare(QStringLiteral("sslpassword"), Qt::CaseInsensitive) == 0)
                out.values.push_back({eq + 1, to});
        }
        from = to + 1;
    }
    return out;
}

}  // namespace

bool uriHoldsPassword(const QString &uri) {
    const PasswordPlaces p = passwordPlaces(uri);
    return p.userColon >= 0 || !p.values.isEmpty();
}

QString withoutPassword(const QString &uri) {
    const PasswordPlaces p = passwordPlaces(uri);
    QString out = uri;
    // From the end, so that earlier places keep their offsets.
    for (auto it = p.values.crbegin(); it != p.values.crend(); ++it)
        out.replace(it->first, it->second - it->first, QStringLiteral("****"));
    if (p.userColon >= 0) out.replace(p.userColon + 1, p.userEnd - p.userColon - 1, QStringLiteral("****"));
    return out;
}

QString maskPasswords(const QString &text) {
    static const QRegularExpression uri(QStringLiteral("postgres(ql)?://[^\\s\"']*"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    for (auto it = uri.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(done, m.capturedStart() - done) + withoutPassword(m.captured());
        done = m.capturedEnd();
    }
    return out + text.mid(done);
}

QString passwordRefusal() {
    return QStringLiteral("データベースサーバーのアドレスにパスワードが含まれています。パスワードはアドレスに書かず、"
                          "接続のときに入力するか ~/.pgpass に書いてください。");
}

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

QString likeToRegex(const QString &jetPattern) {
    QString re = QStringLiteral("^(?:");
    const auto literal = [&re](QChar c) {
        if (c.unicode() < 128 && !c.isLetterOrNumber()) re += u'\\';
        re += c;
    };
    for (qsizetype i = 0; i < jetPattern.size(); ++i) {
        const QChar c = jetPattern[i];
        if (c == u'*') re += QStringLiteral(".*");
        else if (c == u'?') re += u'.';
        else if (c == u'#') re += QStringLiteral("[0-9]");
        else if (c == u'[') {
            const qsizetype close = jetPattern.indexOf(u']', i + 1);
            if (close < 0) return {};
            const QString inside = jetPattern.mid(i + 1, close - i - 1);
            i = close;
            if (inside.isEmpty()) return {};
            if (inside.size() == 1) {  // [*] [?] [#] [[]: the character itself
                literal(inside[0]);
                continue;
            }
            re += u'[';
            qsizetype k = 0;
            if (inside[0] == u'!') {
                re += u'^';
                k = 1;
            }
            for (; k < inside.size(); ++k) {
                const QChar m = inside[k];
                if (m == u'-' && k > 0 && k + 1 < inside.size() && !(k == 1 && inside[0] == u'!')) re += u'-';
                else if (m == u'\\' || m == u'^' || m == u'-' || m == u'[') { re += u'\\'; re += m; }
                else re += m;
            }
            re += u']';
        } else literal(c);
    }
    return re + QStringLiteral(")$");
}

namespace {

// N of a piece "?N"; 0 for any other piece.
int paramNumber(const QString &piece) {
    if (piece.size() < 2 || piece[0] != u'?') return 0;
    int n = 0;
    for (qsizetype i = 1; i < piece.size(); ++i) {
        if (!piece[i].isDigit()) return 0;
        n = n * 10 + piece[i].digitValue();
    }
    return n;
}

}  // namespace

bool serverPieces(const JetTranslation &tr, QStringList *pieces, QVector<QVariant> *params, QString *error,
                  const QString &likeCollation) {
    *pieces = tr.pieces;
    *params = tr.params;
    QStringList &p = *pieces;
    for (qsizetype i = 0; i < p.size(); ++i) {
        QString &s = p[i];
        if (s.startsWith(u'"')) {
            s = s.toLower();
        } else if (const int k = paramNumber(s); k > 0) {
            s = u'$' + QString::number(k);
            // A fraction given as a value is a number, as its literal would
            // be (a whole number is left for the server to take as the
            // column's type).
            if (params->value(k - 1).typeId() == QMetaType::Double) s += QStringLiteral("::numeric");
        } else if (s == u"LIKE") {
            const int n = i + 1 < p.size() ? paramNumber(p[i + 1]) : 0;
            if (n == 0) {
                *error = QStringLiteral("On the database server, like takes a text as its pattern.");
                return false;
            }
            const QString re = likeToRegex(params->value(n - 1).toString());
            if (re.isEmpty()) {
                *error = QStringLiteral("Invalid pattern string");
                return false;
            }
            (*params)[n - 1] = re;
            if (i > 0 && p[i - 1] == u"NOT") {
                p[i - 1].clear();
                s = QStringLiteral("!~*");
            } else {
                s = QStringLiteral("~*");
            }
            // The pattern's explicit collation decides how the match folds case.
            if (!likeCollation.isEmpty())
                p[i + 1] = QStringLiteral("( $%1 COLLATE %2 )").arg(n).arg(likeCollation);
        } else if ((s.compare(u"ifnull", Qt::CaseInsensitive) == 0 || s.compare(u"nz", Qt::CaseInsensitive) == 0) &&
                   i + 1 < p.size() && p[i + 1] == u"(") {
            s = QStringLiteral("coalesce");
        }
    }
    // Dates go as parameters too, so that the statement written again for
    // another day is the same text and its prepared form serves. Not in a
    // select's list, which an edited recordset sends again without the rest.
    int firstPiece = 0;
    if (tr.kind == JetTranslation::Kind::Select) firstPiece = tr.fromPiece >= 0 ? tr.fromPiece : int(p.size());
    else if (tr.insertByName) firstPiece = tr.selectPiece;
    for (const JetTranslation::DateSlot &slot : tr.dates) {
        QString &s = p[slot.piece];
        if (slot.piece < firstPiece || s.size() < 2 || !s.startsWith(u'\'') || !s.endsWith(u'\'')) continue;
        params->push_back(s.mid(1, s.size() - 2));
        s = u'$' + QString::number(params->size());
    }
    return true;
}

QVariant serverValue(const PGresult *r, int row, int col) {
    if (PQgetisnull(r, row, col)) return {};
    const char *v = PQgetvalue(r, row, col);
    const int n = PQgetlength(r, row, col);
    switch (PQftype(r, col)) {
    case kBool:
        return n > 0 && v[0] == 't';
    case kInt2:
    case kInt4:
    case kInt8: {
        const qlonglong x = QByteArray::fromRawData(v, n).toLongLong();
        if (x >= INT_MIN && x <= INT_MAX) return int(x);
        return x;
    }
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QByteArray::fromRawData(v, n).toDouble();
    case kDate:
        if (n == 10) {
            const QDate d = QDate::fromString(QString::fromLatin1(v, n), Qt::ISODate);
            if (d.isValid()) return d;
        }
        return QString::fromUtf8(v, n);
    case kTimestamp: {
        const QVariant d = dateFromStored(QString::fromLatin1(v, std::min(n, 19)));
        return d.isNull() ? QVariant(QString::fromUtf8(v, n)) : d;
    }
    case kBytea: {
        size_t len = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &len);
        QByteArray out(reinterpret_cast<const char *>(raw), qsizetype(len));
        PQfreemem(raw);
        return out;
    }
    default:
        return QString::fromUtf8(v, n);
    }
}

bool serverParam(unsigned typeOid, const QVariant &value, QVariant *param, QString *error) {
    const auto conversionError = [&] {
        *error = QStringLiteral("Data type conversion error.");
        return false;
    };
    const int type = value.typeId();
    *param = QVariant();
    if (value.isNull() || !value.isValid()) {
        if (typeOid == kBool) *param = QStringLiteral("f");
        return true;
    }
    if (typeOid == kDate || typeOid == kTimestamp) {
        QString stored;
        if (type == QMetaType::QDate) stored = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
        else if (type == QMetaType::QDateTime) stored = storedDate(value.toDateTime());
        else if (type == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty()) return true;
            stored = storedDateFromJet(s);
            if (stored.isEmpty() && s.size() == 8)
                stored = storedDate(QDateTime(QDate::fromString(s, QStringLiteral("yyyyMMdd")), QTime(0, 0)));
        }
        if (stored.isEmpty()) return conversionError();
        *param = typeOid == kDate ? stored.left(10) : stored;
        return true;
    }
    if (typeOid == kBool) {
        const std::optional<bool> yes = yesNoValue(value);
        if (!yes) return conversionError();
        const bool on = *yes;
        *param = on ? QStringLiteral("t") : QStringLiteral("f");
        return true;
    }
    if (typeOid == kInt2 || typeOid == kInt4 || typeOid == kInt8) {
        if (type == QMetaType::Bool) {
            *param = QString::number(value.toBool() ? 1 : 0);
            return true;
        }
        const QString s = value.toString().trimmed();
        if (s.isEmpty() && type == QMetaType::QString) return true;
        bool ok = false;
        const qlonglong whole = s.toLongLong(&ok);
        if (ok) {
            *param = QString::number(whole);
            return true;
        }
        const double d = s.toDouble(&ok);
        if (!ok) return conversionError();
        *param = QString::number(qlonglong(std::llround(d)));
        return true;
    }
    if (typeOid == kFloat4 || typeOid == kFloat8 || typeOid == kNumeric) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok) {
            if (type == QMetaType::QString && value.toString().trimmed().isEmpty()) return true;
            return conversionError();
        }
        *param = QString::number(d, 'g', 17);
        return true;
    }
    if (type == QMetaType::QDate) *param = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
    else if (type == QMetaType::QDateTime) *param = storedDate(value.toDateTime());
    else if (type == QMetaType::Bool) *param = QString::number(value.toBool() ? 1 : 0);
    else *param = value.toString();
    return true;
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
