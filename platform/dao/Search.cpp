#include "platform/dao/Search.h"

#include "platform/dao/Connection.h"
#include "platform/dao/Dao.h"
#include "platform/dao/JetTranslator.h"
#include "platform/text/Fold.h"

#include <QSet>

namespace tqen::dao {

namespace {

const QString kText = QStringLiteral("営業日報_検索本文");
const QString kIndex = QStringLiteral("営業日報_検索");
const QString kGrams = QStringLiteral("営業日報_検索字");
const QStringList kTriggers = {QStringLiteral("営業日報_検索_追加"), QStringLiteral("営業日報_検索_更新"),
                               QStringLiteral("営業日報_検索_削除")};

// Drops the index entries of the reports whose rowid the condition names
// (old.rowid, new.rowid or both).
QString forget(const QString &ids) {
    return QStringLiteral("INSERT INTO %2 (%2, rowid, 本文) SELECT 'delete', id, 本文 FROM %1 WHERE id IN (%3);\n"
                          "  INSERT INTO %4 (%4, rowid, 字) SELECT 'delete', id, tqen_grams(本文) FROM %1 WHERE id IN (%3);\n"
                          "  DELETE FROM %1 WHERE id IN (%3);\n")
        .arg(kText, kIndex, ids, kGrams);
}

// Indexes the report that has just been written. A stale entry under the
// same rowid is forgotten first, so an index that went wrong heals.
QString remember() {
    return forget(QStringLiteral("new.rowid")) +
           QStringLiteral("  INSERT INTO %1 (id, 本文) VALUES (new.rowid, tqen_fold(new.タイトル, new.メモ, new.顧客名));\n"
                          "  INSERT INTO %2 (rowid, 本文) SELECT id, 本文 FROM %1 WHERE id = new.rowid;\n"
                          "  INSERT INTO %3 (rowid, 字) SELECT id, tqen_grams(本文) FROM %1 WHERE id = new.rowid;\n")
               .arg(kText, kIndex, kGrams);
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
    qlonglong scalar(const QString &sql, bool *ok = nullptr) {
        const Statement st = c->prepare(sql, {}, &error);
        const bool row = st && sqlite3_step(st.get()) == SQLITE_ROW;
        if (ok) *ok = row;
        return row ? sqlite3_column_int64(st.get(), 0) : 0;
    }
};

bool indexPresent(Step &s) {
    QString names;
    for (const QString &n : QStringList{kText, kIndex, kGrams} + kTriggers) names += (names.isEmpty() ? "" : ",") + sqlText(n);
    return s.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN (%1)").arg(names)) == 6;
}

}  // namespace

// Every character and every pair of neighbouring characters of a folded
// text, once each, as ASCII words ("u30ab", "u30abu30a4"), so that a one- or
// two-character term is a single word to look up. Line breaks (between the
// fields) take no part.
namespace {

QString gramWord(uint c) { return u'u' + QString::number(c, 16); }

// The word of a term of one or two characters.
QString gramWord(const QString &term) {
    QString w;
    for (const uint c : term.toUcs4()) w += gramWord(c);
    return w;
}

}  // namespace

QString searchGrams(const QString &folded) {
    const QList<uint> cps = folded.toUcs4();
    QSet<QString> seen;
    QString out;
    const auto word = [](uint c) { return gramWord(c); };
    for (qsizetype i = 0; i < cps.size(); ++i) {
        if (cps[i] == u'\n') continue;
        const QString one = word(cps[i]);
        for (const QString &w : {one, i + 1 < cps.size() && cps[i + 1] != u'\n' ? one + word(cps[i + 1]) : QString()}) {
            if (w.isEmpty() || seen.contains(w)) continue;
            seen.insert(w);
            out += w;
            out += u' ';
        }
    }
    return out;
}

QStringList searchIndexSchema() {
    return {
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, 本文 TEXT)").arg(kText),
        QStringLiteral("CREATE VIRTUAL TABLE %2 USING fts5(本文, content='%1', content_rowid='id', "
                       "tokenize='trigram case_sensitive 1')")
            .arg(kText, kIndex),
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(字, content='', detail=none, tokenize='ascii')").arg(kGrams),
        QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON 営業日報 BEGIN\n%2END").arg(kTriggers[0], remember()),
        QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON 営業日報\n"
                       "WHEN old.rowid IS NOT new.rowid OR old.タイトル IS NOT new.タイトル OR old.メモ IS NOT new.メモ "
                       "OR old.顧客名 IS NOT new.顧客名\nBEGIN\n%2%3END")
            .arg(kTriggers[1], forget(QStringLiteral("old.rowid")), remember()),
        QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON 営業日報 BEGIN\n%2END").arg(kTriggers[2], forget(QStringLiteral("old.rowid"))),
    };
}

bool hasSearchIndex(const QString &path) {
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return false;
    Step s{c, {}};
    if (!indexPresent(s)) return false;
    bool a = false, b = false;
    const qlonglong reports = s.scalar(QStringLiteral("SELECT count(*) FROM 営業日報"), &a);
    const qlonglong indexed = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(kText), &b);
    return a && b && reports == indexed;
}

Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress) {
    const QString text = QStringLiteral("検索用の索引を作れませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};
    const auto failed = [&] {
        db.rollback();
        return Error(Error::Code::DatabaseFailed, text, s.error);
    };
    if (!db.beginTrans()) return failure(text, db);
    for (const QString &t : kTriggers)
        if (!s.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(quoteName(t)))) return failed();
    if (!s.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kIndex)) ||
        !s.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kGrams)) ||
        !s.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kText)))
        return failed();
    for (const QString &sql : searchIndexSchema())
        if (!s.exec(sql)) return failed();

    // The folded text of every report, then the trigram index over it.
    const qlonglong total = s.scalar(QStringLiteral("SELECT count(*) FROM 営業日報"));
    {
        const Statement read = c->prepare(QStringLiteral("SELECT rowid, タイトル, メモ, 顧客名 FROM 営業日報"), {}, &s.error);
        const Statement write = c->prepare(QStringLiteral("INSERT INTO %1 (id, 本文) VALUES (?1, ?2)").arg(kText), {}, &s.error);
        if (!read || !write) return failed();
        const auto field = [&](int col) {
            return columnValue(read.get(), col, ColumnKind::Plain);
        };
        qlonglong done = 0;
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            sqlite3_bind_int64(write.get(), 1, sqlite3_column_int64(read.get(), 0));
            bindText(write.get(), 2, foldReport(field(1), field(2), field(3)));
            if (sqlite3_step(write.get()) != SQLITE_DONE) {
                s.error = c->lastError();
                return failed();
            }
            sqlite3_reset(write.get());
            if (++done % 2000 == 0 && progress) progress(done, total);
        }
        if (rc != SQLITE_DONE) {
            s.error = c->lastError();
            return failed();
        }
    }
    if (!s.exec(QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(kIndex)) ||
        !s.exec(QStringLiteral("INSERT INTO %1 (rowid, 字) SELECT id, tqen_grams(本文) FROM %2").arg(kGrams, kText)))
        return failed();
    if (!db.commitTrans()) return failure(text, db);
    if (progress) progress(total, total);
    return {};
}

Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result) {
    *result = SearchResult();
    const QString term = text::fold(request.text.trimmed());
    if (term.isEmpty()) return {};
    const QString text = QStringLiteral("営業日報を検索できませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}};

    QString from, where;
    QString bound = term;
    if (!indexPresent(s)) {
        result->method = SearchMethod::Unindexed;
        from = QStringLiteral("営業日報 r");
        where = QStringLiteral("instr(tqen_fold(r.タイトル, r.メモ, r.顧客名), ?1) > 0");
    } else {
        // The index gives the matching rowids; the reports are walked by
        // the date index, newest first, so a common term stops after the
        // first page of hits and a rare one reads only its own rows.
        const bool trigram = text::codePoints(term) >= 3;
        result->method = trigram ? SearchMethod::Trigram : SearchMethod::Grams;
        from = QStringLiteral("営業日報 r");
        where = QStringLiteral("+r.rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ?1)").arg(trigram ? kIndex : kGrams);
        // One FTS5 string: whatever the term holds is matched as plain text.
        bound = trigram ? u'"' + QString(term).replace(u'"', QStringLiteral("\"\"")) + u'"'
                        : u'"' + gramWord(term) + u'"';
    }
    QVector<QString> params{bound};
    if (!request.customer.isEmpty()) {
        params << request.customer;
        where += QStringLiteral(" AND r.顧客名 = ?%1").arg(params.size());
    }
    if (!request.staff.isEmpty()) {
        params << request.staff;
        where += QStringLiteral(" AND r.担当 = ?%1").arg(params.size());
    }
    const int limit = std::max(1, request.limit);
    const QString sql = QStringLiteral("SELECT r.rowid, r.日付, r.顧客名, r.担当, r.タイトル, r.メモ FROM %1 WHERE %2 "
                                       "ORDER BY r.日付 DESC, r.rowid DESC LIMIT %3")
                            .arg(from, where)
                            .arg(limit + 1);
    const Statement st = c->prepare(sql, params, &s.error);
    if (!st) return Error(Error::Code::DatabaseFailed, text, s.error);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        if (result->hits.size() == limit) {
            result->more = true;
            break;
        }
        SearchHit h;
        h.row = sqlite3_column_int64(st.get(), 0);
        h.day = columnValue(st.get(), 1, ColumnKind::Date).toDate();
        h.customer = columnValue(st.get(), 2, ColumnKind::Plain).toString();
        h.staff = columnValue(st.get(), 3, ColumnKind::Plain).toString();
        h.title = columnValue(st.get(), 4, ColumnKind::Plain).toString();
        h.memo = columnValue(st.get(), 5, ColumnKind::Plain).toString();
        result->hits << h;
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        const Error e(Error::Code::DatabaseFailed, text, c->lastError());
        *result = SearchResult();
        return e;
    }
    return {};
}

}  // namespace tqen::dao
