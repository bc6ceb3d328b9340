// A database: what every database does, and the database on a file.
#include "platform/dao/Backend.h"
#include "platform/dao/Connection.h"
#include "platform/dao/JetLike.h"
#include "platform/dao/JetTranslator.h"
#include "platform/dao/RecordsetImpl.h"
#include "platform/dao/Server.h"
#include "platform/dao/ServerRecordset.h"
#include "platform/dao/Statistics.h"

#include <mutex>


namespace tqen::dao {

std::unique_ptr<Recordset::Impl> Database::Impl::select(const JetTranslation &, const QVariant *) {
    return failedRecordset(error.isEmpty() ? QStringLiteral("The database is not open.") : error);
}

bool Database::Impl::isBookmark(const QVariant &bookmark) const {
    bool number = false;
    bookmark.toLongLong(&number);
    return !bookmark.isNull() && number;
}

namespace {

// like(pattern, value): the "like" operator of every statement, with Jet's patterns.
void likeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto text = [](sqlite3_value *v) {
        const char *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
        return QString::fromUtf8(p, sqlite3_value_bytes(v));
    };
    const QString pattern = text(argv[0]);
    const QString value = text(argv[1]);
    switch (jetLike(value, pattern)) {
    case LikeResult::Match: sqlite3_result_int(ctx, 1); break;
    case LikeResult::NoMatch: sqlite3_result_int(ctx, 0); break;
    case LikeResult::BadPattern: sqlite3_result_error(ctx, "Invalid pattern string", -1); break;
    }
}

QStringList tableColumns(Connection &c, const QString &schema, const QString &table) {
    QStringList cols;
    const QString sql = QStringLiteral("PRAGMA %1table_info(%2)")
                            .arg(schema.isEmpty() ? QString() : quoteName(schema) + u'.', quoteName(table));
    QString err;
    const Statement st = c.prepare(sql, {}, &err);
    if (!st) return cols;
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        cols << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1)));
    return cols;
}

// A database file.
struct FileDatabase : Database::Impl {
    std::shared_ptr<Connection> conn;

    bool ok() const override { return conn && conn->db; }
    bool inTransaction() const override { return conn && conn->inTransaction; }
    bool execute(const JetTranslation &tr) override;
    std::unique_ptr<Recordset::Impl> select(const JetTranslation &tr, const QVariant *row) override;
    bool begin(bool immediate) override;
    bool commit() override;
    void rollback() override;
    void close() override {
        if (conn) conn->close();
        conn.reset();
    }
    bool byName(const JetTranslation &tr, const QStringList &aliases, QString *sql);
};

}  // namespace

// "insert into T select …" without a column list: Jet fills T's columns of
// the same names as the select's columns. Builds the statement with both
// column lists written out.
bool FileDatabase::byName(const JetTranslation &tr, const QStringList &aliases, QString *sql) {
    const QString schema = tr.targetAttach >= 0 ? aliases.value(tr.targetAttach) : QString();
    const QStringList target = tableColumns(*conn, schema, tr.target);
    if (target.isEmpty()) {
        error = QStringLiteral("The output table '%1' was not found.").arg(tr.target);
        return false;
    }
    QString err;
    QStringList source;
    {
        const Statement inner = conn->prepareWith(tr.innerSelectSql(aliases), tr.params, &err);
        if (!inner) { error = err; return false; }
        for (int i = 0; i < sqlite3_column_count(inner.get()); ++i)
            source << QString::fromUtf8(sqlite3_column_name(inner.get(), i));
    }

    const bool star = tr.starBegin >= 0;
    QStringList into, from;
    for (const QString &s : source) {
        const auto it = std::find_if(target.begin(), target.end(),
                                     [&](const QString &t) { return t.compare(s, Qt::CaseInsensitive) == 0; });
        if (it == target.end()) {
            if (star) continue;  // select *: T has no such field, it is left out
            error = QStringLiteral("Unknown field name: '%1' in table '%2'.").arg(s, tr.target);
            return false;
        }
        if (into.contains(quoteName(*it))) {
            error = QStringLiteral("Duplicate output destination '%1'.").arg(*it);
            return false;
        }
        into << quoteName(*it);
        from << quoteName(s);
    }
    if (into.isEmpty()) {
        error = QStringLiteral("No field of the select is a field of table '%1'.").arg(tr.target);
        return false;
    }
    QStringList p = tr.pieces;
    for (const JetTranslation::External &e : tr.externals) p[e.piece] = quoteName(aliases.value(e.attach)) + u'.' + p[e.piece];
    if (star) {
        p[tr.starBegin] = from.join(u',');
        for (int i = tr.starBegin + 1; i < tr.starEnd; ++i) p[i].clear();
    }
    p[tr.targetPiece] += QStringLiteral(" (") + into.join(u',') + u')';
    *sql = p.join(u' ');
    return true;
}

bool FileDatabase::execute(const JetTranslation &tr) {
    conn->releaseReaders();
    if (std::any_of(tr.attachPaths.begin(), tr.attachPaths.end(), isServerUri))
        return copyFromServer(*conn, tr, &affected, &error);
    QStringList aliases;
    if (!conn->attach(tr.attachPaths, &aliases, &error)) return false;
    QString sql;
    if (tr.insertByName) {
        if (!byName(tr, aliases, &sql)) return false;
    } else {
        sql = tr.sql(aliases);
    }
    const Statement st = conn->prepareWith(sql, tr.params, &error);
    if (!st) return false;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {}
    if (rc != SQLITE_DONE) { error = conn->lastError(); return false; }
    affected = sqlite3_changes64(conn->db.get());
    error.clear();
    return true;
}

std::unique_ptr<Recordset::Impl> FileDatabase::select(const JetTranslation &tr, const QVariant *row) {
    auto impl = std::make_unique<FileRecordset>();
    impl->conn = conn;
    QStringList aliases;
    QString err;
    if (!conn->attach(tr.attachPaths, &aliases, &err)) {
        impl->fail(err);
        return impl;
    }
    const sqlite3_int64 rowid = row ? row->toLongLong() : 0;
    impl->start(tr, aliases, row ? &rowid : nullptr);
    return impl;
}

bool FileDatabase::begin(bool immediate) {
    if (conn->inTransaction) { error = QStringLiteral("A transaction is already open."); return false; }
    if (sqlite3_exec(conn->db.get(), immediate ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = conn->lastError();
        return false;
    }
    conn->inTransaction = true;
    return true;
}

bool FileDatabase::commit() {
    if (!conn->inTransaction) { error = QStringLiteral("Commit without a transaction."); return false; }
    conn->releaseReaders();
    if (sqlite3_exec(conn->db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = conn->lastError();
        return false;
    }
    conn->inTransaction = false;
    return true;
}

void FileDatabase::rollback() {
    if (!conn->inTransaction) return;
    conn->releaseReaders();
    sqlite3_exec(conn->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    conn->inTransaction = false;
}

// ---------------------------------------------------------------------------

Database::Database() : d(std::make_unique<Impl>()) { d->error = QStringLiteral("The database is not open."); }
Database::~Database() { close(); }
Database::Database(Database &&other) noexcept = default;
Database &Database::operator=(Database &&other) noexcept {
    if (this != &other) {
        close();
        d = std::move(other.d);
    }
    return *this;
}

Database Database::open(const QString &path) {
    Database db;
    db.d->path = path;
    if (path.isEmpty()) {
        db.d->error = QStringLiteral("Could not find file ''.");
        return db;
    }
    if (isServerUri(path)) {
        auto server = connectServer(path, &db.d->error);
        if (server) {
            auto impl = std::make_unique<ServerDatabase>();
            impl->conn = std::move(server);
            impl->path = path;
            db.d = std::move(impl);
            countOpen(path);
        }
        return db;
    }
    auto conn = std::make_shared<Connection>();
    conn->path = path;
    // Without SQLITE_OPEN_CREATE a missing file stays missing. URIs are on for
    // ATTACH; a plain path that happens to begin with "file:" stays a path.
    const QByteArray name = (path.startsWith(QStringLiteral("file:")) ? QStringLiteral("./") + path : path).toUtf8();
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    conn->db.reset(raw);  // owned even when the open failed
    if (rc != SQLITE_OK) {
        db.d->error = QStringLiteral("Could not open '%1': %2").arg(path, conn->lastError());
        conn->close();
        return db;
    }
    sqlite3_busy_timeout(raw, 5000);
    // SQLite reads a file only when asked: make it show now whether it is a
    // database. An empty file (or one without a single table) would pass for
    // an empty database; it is none of the delivered files.
    int version = -1;
    {
        QString err;
        const Statement st = conn->prepare(QStringLiteral("PRAGMA schema_version"), {}, &err);
        if (st && sqlite3_step(st.get()) == SQLITE_ROW) version = sqlite3_column_int(st.get(), 0);
    }
    if (version < 0 && isInUseError(conn->lastError())) {
        db.d->error = conn->lastError();
        conn->close();
        return db;
    }
    if (version <= 0) {
        db.d->error = QStringLiteral("Unrecognized database format '%1'.").arg(path);
        if (version < 0) db.d->error += u' ' + conn->lastError();
        conn->close();
        return db;
    }
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(raw, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    auto impl = std::make_unique<FileDatabase>();
    impl->conn = std::move(conn);
    impl->path = path;
    db.d = std::move(impl);
    countOpen(path);
    return db;
}

Connection *connectionOf(const Database &db) {
    const auto *file = db.isOpen() ? dynamic_cast<const FileDatabase *>(db.d.get()) : nullptr;
    return file ? file->conn.get() : nullptr;
}

ServerConnection *serverConnectionOf(const Database &db) {
    const auto *server = db.isOpen() ? dynamic_cast<const ServerDatabase *>(db.d.get()) : nullptr;
    return server ? server->conn.get() : nullptr;
}

bool Database::isOpen() const { return d && d->ok(); }
QString Database::error() const { return d ? d->error : QStringLiteral("The database was moved from."); }
QString Database::path() const { return d ? d->path : QString(); }
qlonglong Database::recordsAffected() const { return d ? d->affected : 0; }

bool Database::execute(const QString &jetSql) {
    if (!isOpen()) return false;
    return run(translateJet(jetSql));
}

bool Database::execute(const QString &jetSql, const QVariantList &params) {
    if (!isOpen()) return false;
    return run(translateJet(jetSql, params));
}

bool Database::run(const std::shared_ptr<const JetTranslation> &tr) {
    d->affected = 0;
    if (!tr->error.isEmpty()) { d->error = tr->error; return false; }
    if (tr->kind == JetTranslation::Kind::Select) {
        d->error = QStringLiteral("Cannot execute a select query.");
        return false;
    }
    countStatement();
    const bool ok = d->execute(*tr);
    if (ok && !d->inTransaction()) countCommit(d->path);
    return ok;
}

namespace {

std::unique_ptr<Recordset::Impl> notOpen(const Database::Impl *d) {
    return failedRecordset(d && !d->error.isEmpty() ? d->error : QStringLiteral("The database is not open."));
}

}  // namespace

Recordset Database::openRecordset(const QString &jetSql) {
    if (!isOpen()) return Recordset(notOpen(d.get()));
    return select(translateJet(jetSql));
}

Recordset Database::openRecordset(const QString &jetSql, const QVariantList &params) {
    if (!isOpen()) return Recordset(notOpen(d.get()));
    return select(translateJet(jetSql, params));
}

Recordset Database::select(const std::shared_ptr<const JetTranslation> &tr) {
    if (!tr->error.isEmpty()) return Recordset(failedRecordset(tr->error));
    if (tr->kind != JetTranslation::Kind::Select)
        return Recordset(failedRecordset(QStringLiteral("Invalid SQL statement; expected 'SELECT'.")));
    countStatement();
    return Recordset(d->select(*tr, nullptr));
}

Recordset Database::openRow(const QString &table, const QVariant &bookmark) {
    if (!(d ? d->isBookmark(bookmark) : Impl().isBookmark(bookmark)))
        return Recordset(failedRecordset(QStringLiteral("Not a valid bookmark.")));
    if (!isOpen()) return Recordset(notOpen(d.get()));
    const QString jetSql = QStringLiteral("select * from ") + table;
    const auto tr = translateJet(jetSql);
    if (!tr->error.isEmpty()) return Recordset(failedRecordset(tr->error));
    if (tr->kind != JetTranslation::Kind::Select)
        return Recordset(failedRecordset(QStringLiteral("Invalid SQL statement; expected 'SELECT'.")));
    // One row by its bookmark: the select must name its table and nothing more.
    if (!tr->singleTable || tr->pieces.size() != tr->fromPiece + 2)
        return Recordset(failedRecordset(QStringLiteral("Not a table: '%1'.").arg(jetSql)));
    countStatement();
    return Recordset(d->select(*tr, &bookmark));
}

void Database::close() {
    if (d) d->close();
}

bool Database::beginTrans() { return begin(false); }

bool Database::beginWriteTrans() { return begin(true); }

bool Database::begin(bool immediate) { return isOpen() && d->begin(immediate); }

bool Database::commitTrans() {
    if (!isOpen()) return false;
    const bool ok = d->commit();
    if (ok) countCommit(d->path);
    return ok;
}

void Database::rollback() {
    if (isOpen()) d->rollback();
}

// ---------------------------------------------------------------------------

namespace {

struct Counts {
    std::mutex lock;
    Statistics now;
};

Counts &counts() {
    static Counts c;
    return c;
}

}  // namespace

void countOpen(const QString &path) {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    ++c.now.opens;
    ++c.now.opensOf[path];
}

void countStatement() {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    ++c.now.statements;
}

void countCommit(const QString &path) {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    ++c.now.commits;
    ++c.now.commitsOf[path];
}

void countGramsCopiedIn() {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    ++c.now.gramsCopiedIn;
}

Statistics statistics() {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    return c.now;
}

void resetStatistics() {
    Counts &c = counts();
    std::lock_guard<std::mutex> g(c.lock);
    c.now = Statistics();
}

// ---------------------------------------------------------------------------

QString wellFormed(const QString &typed) {
    QString out = typed;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            ++i;  // a whole character
        } else if (c.isSurrogate()) {
            out[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

QString sqlText(const QString &typed) {
    QString t = wellFormed(typed);
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

namespace {

QString escapedForLike(const QString &typed, bool doubleQuotes) {
    QString out;
    out.reserve(typed.size() + 8);
    for (QChar c : wellFormed(typed)) {
        switch (c.unicode()) {
        case u'*': out += QStringLiteral("[*]"); break;
        case u'?': out += QStringLiteral("[?]"); break;
        case u'#': out += QStringLiteral("[#]"); break;
        case u'[': out += QStringLiteral("[[]"); break;
        case u'\'':
            if (doubleQuotes) out += c;
            out += c;
            break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

QString likeText(const QString &typed) { return escapedForLike(typed, true); }

QString likeValue(const QString &typed) { return escapedForLike(typed, false); }

QString inUseText() {
    return QStringLiteral("データファイルは他のプログラムか別の PC が使用中です。しばらくしてから、もう一度お試しください。");
}

bool isInUseError(const QString &error) { return error.contains(inUseText()); }

QString sqlDate(const QDate &d) { return u'#' + d.toString(QStringLiteral("yyyy/MM/dd")) + u'#'; }

Error failure(const QString &text, const Database &db, const Recordset &rs) {
    return Error(Error::Code::DatabaseFailed, maskPasswords(text),
                 maskPasswords(rs.error().isEmpty() ? db.error() : rs.error()));
}

Error failure(const QString &text, const Database &db) {
    return Error(Error::Code::DatabaseFailed, maskPasswords(text), maskPasswords(db.error()));
}

}  // namespace tqen::dao
