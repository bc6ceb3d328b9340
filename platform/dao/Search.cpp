#include "platform/dao/Search.h"

#include "platform/dao/Connection.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/text/Fold.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace tqen::dao {

namespace {

const QString kIndex = QStringLiteral("営業日報_検索");
const QString kGrams = QStringLiteral("営業日報_検索字");
const QString kQueue = QStringLiteral("営業日報_検索待ち");
const QStringList kTriggers = {QStringLiteral("営業日報_検索_追加"), QStringLiteral("営業日報_検索_更新"),
                               QStringLiteral("営業日報_検索_削除")};

// A long term is looked up by at most this many of its trigrams (spread over
// it); the rows they propose are checked against the whole term anyway.
constexpr int kMostTrigrams = 16;
// More waiting reports than this are indexed by making the index anew.
constexpr qlonglong kMostWaiting = 5000;
// The index proposes at most this many rows for the search to read by rowid
// and sort; with more, the reports are walked newest first instead.
constexpr qlonglong kFewRows = 3000;

// A report's text for the index: title, memo and customer name, each folded,
// a line each, so that no trigram spans two fields.
QString foldReport(const QVariant &title, const QVariant &memo, const QVariant &customer) {
    return text::fold(title.toString()) + u'\n' + text::fold(memo.toString()) + u'\n' + text::fold(customer.toString());
}

// Whether any of the fields holds the folded term.
bool holds(const QString &foldedTerm, const QVariant &title, const QVariant &memo, const QVariant &customer) {
    for (const QVariant *field : {&title, &memo, &customer}) {
        const QString value = field->toString();
        if (!value.isEmpty() && text::fold(value).contains(foldedTerm)) return true;
    }
    return false;
}

// The character index's words: every character and every pair of
// neighbouring characters of a folded text, once each, as ASCII words
// ("u30ab", "u30abu30a4"), so that a term of one or two characters is a
// single word to look up. Line breaks (between the fields) take no part.
QString gramWord(uint c) { return u'u' + QString::number(c, 16); }

QString gramWord(const QString &term) {
    QString w;
    for (const uint c : term.toUcs4()) w += gramWord(c);
    return w;
}

QString searchGrams(const QString &folded) {
    const QList<uint> cps = folded.toUcs4();
    QSet<QString> seen;
    QString out;
    for (qsizetype i = 0; i < cps.size(); ++i) {
        if (cps[i] == u'\n') continue;
        const QString one = gramWord(cps[i]);
        const QString two = i + 1 < cps.size() && cps[i + 1] != u'\n' ? one + gramWord(cps[i + 1]) : QString();
        for (const QString &w : {one, two}) {
            if (w.isEmpty() || seen.contains(w)) continue;
            seen.insert(w);
            out += w;
            out += u' ';
        }
    }
    return out;
}

// One FTS5 string per trigram of the term, all required: whatever the term
// holds is matched as plain text.
QString trigramQuery(const QString &foldedTerm) {
    const QList<uint> cps = foldedTerm.toUcs4();
    QStringList grams;
    for (qsizetype i = 0; i + 3 <= cps.size(); ++i) {
        QString g = QString::fromUcs4(reinterpret_cast<const char32_t *>(cps.constData() + i), 3);
        if (!grams.contains(g)) grams << g;
    }
    QStringList picked;
    const qsizetype n = grams.size();
    for (qsizetype k = 0; k < std::min<qsizetype>(n, kMostTrigrams); ++k) {
        const qsizetype at = n <= kMostTrigrams ? k : k * (n - 1) / (kMostTrigrams - 1);
        picked << u'"' + grams[at].replace(u'"', QStringLiteral("\"\"")) + u'"';
    }
    return picked.join(QStringLiteral(" AND "));
}

struct Step {
    Connection *c;
    QString error;

    bool exec(const QString &sql) {
        char *msg = nullptr;
        if (sqlite3_exec(c->db.get(), sql.toUtf8().constData(), nullptr, nullptr, &msg) == SQLITE_OK) return true;
        error = msg ? QString::fromUtf8(msg) : c->lastError();
        sqlite3_free(msg);
        return false;
    }
    Statement prepare(const QString &sql) { return c->prepare(sql, {}, &error); }
    qlonglong scalar(const QString &sql, bool *ok = nullptr) {
        const Statement st = prepare(sql);
        const bool row = st && sqlite3_step(st.get()) == SQLITE_ROW;
        if (ok) *ok = row;
        return row ? sqlite3_column_int64(st.get(), 0) : 0;
    }
};

bool indexPresent(Step &s) {
    QString names;
    for (const QString &n : QStringList{kIndex, kGrams, kQueue} + kTriggers)
        names += (names.isEmpty() ? "" : ",") + sqlText(n);
    return s.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN (%1)").arg(names)) == 6;
}

// Adds a report's entries to both indexes, or takes them out again (which
// needs the very text they were made from).
class IndexWriter {
public:
    explicit IndexWriter(Step &s)
        : s_(s),
          addTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 本文) VALUES (?, ?)").arg(kIndex))),
          addGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 字) VALUES (?, ?)").arg(kGrams))),
          dropTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 本文) VALUES ('delete', ?, ?)").arg(kIndex))),
          dropGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 字) VALUES ('delete', ?, ?)").arg(kGrams))) {}

    bool ready() const { return addTrigrams_ && addGrams_ && dropTrigrams_ && dropGrams_; }
    bool add(qlonglong id, const QString &folded) { return write(addTrigrams_, addGrams_, id, folded); }
    bool drop(qlonglong id, const QString &folded) { return write(dropTrigrams_, dropGrams_, id, folded); }

private:
    bool write(const Statement &trigrams, const Statement &grams, qlonglong id, const QString &folded) {
        return step(trigrams, id, folded) && step(grams, id, searchGrams(folded));
    }
    bool step(const Statement &st, qlonglong id, const QString &value) {
        sqlite3_bind_int64(st.get(), 1, id);
        bindText(st.get(), 2, value);
        const bool ok = sqlite3_step(st.get()) == SQLITE_DONE;
        if (!ok) s_.error = s_.c->lastError();
        sqlite3_reset(st.get());
        return ok;
    }
    Step &s_;
    Statement addTrigrams_, addGrams_, dropTrigrams_, dropGrams_;
};

bool dropIndex(Step &s) {
    for (const QString &t : kTriggers)
        if (!s.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(t))) return false;
    for (const QString &t : {kIndex, kGrams, kQueue})
        if (!s.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(t))) return false;
    return true;
}

// Makes the index anew from every report, inside the caller's transaction.
bool makeIndex(Step &s, const std::function<void(qlonglong, qlonglong)> &progress) {
    if (!dropIndex(s)) return false;
    for (const QString &sql : searchIndexSchema())
        if (!s.exec(sql)) return false;
    const qlonglong total = s.scalar(QStringLiteral("SELECT count(*) FROM 営業日報"));
    const Statement read = s.prepare(QStringLiteral("SELECT rowid, タイトル, メモ, 顧客名 FROM 営業日報"));
    IndexWriter writer(s);
    if (!read || !writer.ready()) return false;
    const auto field = [&](int col) { return columnValue(read.get(), col, ColumnKind::Plain); };
    qlonglong done = 0;
    int rc;
    while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
        if (!writer.add(sqlite3_column_int64(read.get(), 0), foldReport(field(1), field(2), field(3)))) return false;
        if (++done % 2000 == 0 && progress) progress(done, total);
    }
    if (rc != SQLITE_DONE) {
        s.error = s.c->lastError();
        return false;
    }
    if (progress) progress(total, total);
    return true;
}

// Indexes the waiting reports in one transaction: what the index holds for
// each is taken out, and what the report holds now (if it is still there)
// put in.
// A search that may not take long (mayRebuild false) leaves a mass import
// waiting and fails.
bool catchUp(Database &db, Step &s, const std::function<void(qlonglong, qlonglong)> &progress, bool mayRebuild) {
    if (s.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(kQueue)) == 0) return s.error.isEmpty();
    const qlonglong queued = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(kQueue));
    if (queued > kMostWaiting && !mayRebuild) {
        s.error = QStringLiteral("%1 reports wait to be indexed").arg(queued);
        return false;
    }
    if (!db.beginTrans()) {
        s.error = db.error();
        return false;
    }
    const auto failed = [&] {
        db.rollback();
        return false;
    };
    // After a mass import by another program the index is made anew: that
    // is quicker than taking the entries out and putting them back one by one.
    if (queued > kMostWaiting) {
        if (!makeIndex(s, progress)) return failed();
        if (!db.commitTrans()) {
            s.error = db.error();
            db.rollback();
            return false;
        }
        return true;
    }
    struct Waiting {
        qlonglong id;
        bool indexed, present;
        QString before, now;
    };
    std::vector<Waiting> waiting;
    {
        const Statement read = s.prepare(QStringLiteral("SELECT q.id, q.索引済, q.タイトル, q.メモ, q.顧客名, r.rowid, r.タイトル, r.メモ, r.顧客名 "
                                                        "FROM %1 q LEFT JOIN 営業日報 r ON r.rowid = q.id")
                                             .arg(kQueue));
        if (!read) return failed();
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            const auto field = [&](int col) { return columnValue(read.get(), col, ColumnKind::Plain); };
            Waiting w{sqlite3_column_int64(read.get(), 0), sqlite3_column_int(read.get(), 1) != 0,
                      sqlite3_column_type(read.get(), 5) != SQLITE_NULL, {}, {}};
            if (w.indexed) w.before = foldReport(field(2), field(3), field(4));
            if (w.present) w.now = foldReport(field(6), field(7), field(8));
            waiting.push_back(std::move(w));
        }
        if (rc != SQLITE_DONE) {
            s.error = s.c->lastError();
            return failed();
        }
    }
    IndexWriter writer(s);
    if (!writer.ready()) return failed();
    for (const Waiting &w : waiting) {
        if (w.indexed && !writer.drop(w.id, w.before)) return failed();
        if (w.present && !writer.add(w.id, w.now)) return failed();
    }
    if (!s.exec(QStringLiteral("DELETE FROM %1").arg(kQueue))) return failed();
    if (!db.commitTrans()) {
        s.error = db.error();
        db.rollback();
        return false;
    }
    return true;
}


// A data database on a server: its reports, newest first, each checked
// against the folded term as it is read.
Error scanReports(const QString &path, const QString &term, const SearchRequest &request, int limit,
                  SearchResult *result) {
    const QString text = QStringLiteral("営業日報を検索できませんでした。");
    Database db = Database::open(path);
    if (!db.isOpen()) return failure(text, db);
    QStringList where;
    if (!request.customer.isEmpty()) where << QStringLiteral("顧客名 = %1").arg(sqlText(request.customer));
    if (!request.staff.isEmpty()) where << QStringLiteral("担当 = %1").arg(sqlText(request.staff));
    QString sql = QStringLiteral("select 日付, 顧客名, 担当, タイトル, メモ from 営業日報");
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where.join(QStringLiteral(" and "));
    sql += QStringLiteral(" order by 日付 desc");
    Recordset rs = db.openRecordset(sql);
    if (!rs.isOpen()) return failure(text, db, rs);
    result->method = SearchMethod::Scan;
    for (; !rs.eof(); rs.moveNext()) {
        SearchHit h;
        h.customer = rs.field(QStringLiteral("顧客名")).toString();
        h.title = rs.field(QStringLiteral("タイトル")).toString();
        h.memo = rs.field(QStringLiteral("メモ")).toString();
        if (!holds(term, h.title, h.memo, h.customer)) continue;
        if (result->hits.size() == limit) {
            result->more = true;
            break;
        }
        h.day = rs.field(QStringLiteral("日付")).toDate();
        h.staff = rs.field(QStringLiteral("担当")).toString();
        result->hits << std::move(h);
    }
    if (!rs.error().isEmpty()) {
        *result = SearchResult();
        return failure(text, db, rs);
    }
    return {};
}

}  // namespace

QStringList searchIndexSchema() {
    // The queue row of a report says that the index may not match it. 索引済
    // tells whether the index holds an entry for it, made from the title,
    // memo and customer kept beside; the first write after a catch-up
    // records that, later ones leave it as it is.
    const QString queueOld = QStringLiteral("  INSERT OR IGNORE INTO %1 (id, 索引済, タイトル, メモ, 顧客名) "
                                            "VALUES (old.rowid, 1, old.タイトル, old.メモ, old.顧客名);\n")
                                 .arg(kQueue);
    const QString queueNew = QStringLiteral("  INSERT OR IGNORE INTO %1 (id, 索引済) VALUES (new.rowid, 0);\n").arg(kQueue);
    return {
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(本文, content='', detail=none, columnsize=0, "
                       "tokenize='trigram case_sensitive 1')")
            .arg(kIndex),
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(字, content='', detail=none, columnsize=0, tokenize='ascii')")
            .arg(kGrams),
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, 索引済 INTEGER NOT NULL, タイトル TEXT, メモ TEXT, 顧客名 TEXT)")
            .arg(kQueue),
        QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON 営業日報 BEGIN\n%2END").arg(kTriggers[0], queueNew),
        QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON 営業日報\n"
                       "WHEN old.rowid IS NOT new.rowid OR old.タイトル IS NOT new.タイトル OR old.メモ IS NOT new.メモ "
                       "OR old.顧客名 IS NOT new.顧客名\nBEGIN\n%2%3END")
            .arg(kTriggers[1], queueOld, queueNew),
        QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON 営業日報 BEGIN\n%2END").arg(kTriggers[2], queueOld),
    };
}

bool searchIndexApplies(const QString &path) { return !isServerUri(path); }

bool hasSearchIndex(const QString &path) {
    if (!searchIndexApplies(path)) return false;
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return false;
    Step s{c, {}};
    return indexPresent(s);
}

Error catchUpSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress) {
    if (!searchIndexApplies(path)) return {};
    const QString text = QStringLiteral("検索用の索引を更新できませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};
    if (!indexPresent(s)) return {};
    if (!catchUp(db, s, progress, true)) return Error(Error::Code::DatabaseFailed, text, s.error);
    return {};
}

Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress) {
    if (!searchIndexApplies(path)) return {};
    const QString text = QStringLiteral("検索用の索引を作れませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};
    if (!db.beginTrans()) return failure(text, db);
    if (!makeIndex(s, progress)) {
        db.rollback();
        return Error(Error::Code::DatabaseFailed, text, s.error);
    }
    if (!db.commitTrans()) return failure(text, db);
    return {};
}

Error dropSearchIndex(const QString &path) {
    if (!searchIndexApplies(path)) return {};
    const QString text = QStringLiteral("検索用の索引を外せませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};
    if (!db.beginTrans()) return failure(text, db);
    if (!dropIndex(s)) {
        db.rollback();
        return Error(Error::Code::DatabaseFailed, text, s.error);
    }
    if (!db.commitTrans()) return failure(text, db);
    if (!s.exec(QStringLiteral("VACUUM"))) return Error(Error::Code::DatabaseFailed, text, s.error);
    return {};
}

Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result) {
    *result = SearchResult();
    const QString term = text::fold(request.text.trimmed());
    if (term.isEmpty()) return {};
    const int limit = std::max(1, request.limit);
    if (!searchIndexApplies(path)) return scanReports(path, term, request, limit, result);
    const QString text = QStringLiteral("営業日報を検索できませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};
    const auto failed = [&] {
        *result = SearchResult();
        return Error(Error::Code::DatabaseFailed, text, s.error.isEmpty() ? c->lastError() : s.error);
    };

    QString filter;
    QVector<QString> filterValues;
    if (!request.customer.isEmpty()) {
        filterValues << request.customer;
        filter += QStringLiteral(" AND 顧客名 = ?%1").arg(filterValues.size());
    }
    if (!request.staff.isEmpty()) {
        filterValues << request.staff;
        filter += QStringLiteral(" AND 担当 = ?%1").arg(filterValues.size());
    }
    const QString columns = QStringLiteral("rowid, 日付, 顧客名, 担当, タイトル, メモ");
    // Reads the row a statement stands on; true when it holds the term.
    const auto readHit = [&](sqlite3_stmt *st, SearchHit *h) {
        h->customer = columnValue(st, 2, ColumnKind::Plain).toString();
        h->title = columnValue(st, 4, ColumnKind::Plain).toString();
        h->memo = columnValue(st, 5, ColumnKind::Plain).toString();
        if (!holds(term, h->title, h->memo, h->customer)) return false;
        h->row = sqlite3_column_int64(st, 0);
        h->day = columnValue(st, 1, ColumnKind::Date).toDate();
        h->staff = columnValue(st, 3, ColumnKind::Plain).toString();
        return true;
    };
    // Keeps a hit unless the limit is reached; false when it was.
    const auto keep = [&](SearchHit &&h) {
        if (result->hits.size() == limit) {
            result->more = true;
            return false;
        }
        result->hits << std::move(h);
        return true;
    };

    if (!indexPresent(s)) {
        if (!s.error.isEmpty()) return failed();
        // Every report, newest first, each checked.
        result->method = SearchMethod::Unindexed;
        const Statement all = c->prepare(QStringLiteral("SELECT %1 FROM 営業日報 WHERE 1%2 ORDER BY 日付 DESC, rowid DESC")
                                             .arg(columns, filter),
                                         filterValues, &s.error);
        if (!all) return failed();
        int rc;
        while ((rc = sqlite3_step(all.get())) == SQLITE_ROW) {
            SearchHit h;
            if (readHit(all.get(), &h) && !keep(std::move(h))) break;
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failed();
        return {};
    }

    // When the waiting reports cannot be indexed now (a read-only file,
    // another program writing, a mass import left for catchUpSearchIndex),
    // they are proposed as they are.
    const bool caughtUp = catchUp(db, s, {}, false);
    s.error.clear();
    const bool trigram = text::codePoints(term) >= 3;
    result->method = trigram ? SearchMethod::Trigram : SearchMethod::Grams;
    std::vector<qlonglong> proposed;
    {
        const QString query = trigram ? trigramQuery(term) : u'"' + gramWord(term) + u'"';
        QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?1").arg(trigram ? kIndex : kGrams);
        if (!caughtUp) sql += QStringLiteral(" UNION SELECT id FROM %1").arg(kQueue);
        const Statement st = c->prepare(sql, {query}, &s.error);
        if (!st) return failed();
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) proposed.push_back(sqlite3_column_int64(st.get(), 0));
        if (rc != SQLITE_DONE) return failed();
    }
    std::sort(proposed.begin(), proposed.end());
    proposed.erase(std::unique(proposed.begin(), proposed.end()), proposed.end());

    // Each proposed row is read by its rowid and checked.
    QVector<QString> pointValues = filterValues;
    pointValues.prepend(QString());  // ?1 is the rowid, bound below
    QString pointFilter = filter;
    for (int i = int(filterValues.size()); i >= 1; --i)
        pointFilter.replace(QStringLiteral("?%1").arg(i), QStringLiteral("?%1").arg(i + 1));
    const Statement point =
        c->prepare(QStringLiteral("SELECT %1 FROM 営業日報 WHERE rowid = ?1%2").arg(columns, pointFilter), pointValues, &s.error);
    if (!point) return failed();
    const auto readRow = [&](qlonglong row, SearchHit *h, bool *ok) {
        sqlite3_reset(point.get());
        sqlite3_bind_int64(point.get(), 1, row);
        const int rc = sqlite3_step(point.get());
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        return rc == SQLITE_ROW && readHit(point.get(), h);
    };

    if (qlonglong(proposed.size()) <= kFewRows) {
        // A rare term: its rows are read, then put newest first.
        QList<SearchHit> hits;
        for (const qlonglong row : proposed) {
            SearchHit h;
            bool ok = true;
            if (readRow(row, &h, &ok)) hits << std::move(h);
            if (!ok) return failed();
        }
        std::sort(hits.begin(), hits.end(), [](const SearchHit &a, const SearchHit &b) {
            return a.day != b.day ? a.day > b.day : a.row > b.row;
        });
        for (SearchHit &h : hits)
            if (!keep(std::move(h))) break;
        return {};
    }
    // A common term: the reports' rowids are walked newest first by the
    // date index and the proposed ones read, so the walk ends with the
    // first page of hits.
    const Statement walk = c->prepare(
        QStringLiteral("SELECT rowid FROM 営業日報 WHERE 1%1 ORDER BY 日付 DESC, rowid DESC").arg(filter), filterValues, &s.error);
    if (!walk) return failed();
    int rc;
    while ((rc = sqlite3_step(walk.get())) == SQLITE_ROW) {
        const qlonglong row = sqlite3_column_int64(walk.get(), 0);
        if (!std::binary_search(proposed.begin(), proposed.end(), row)) continue;
        SearchHit h;
        bool ok = true;
        if (readRow(row, &h, &ok) && !keep(std::move(h))) break;
        if (!ok) return failed();
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failed();
    return {};
}

}  // namespace tqen::dao
