#include "platform/dao/Search.h"

#include "platform/dao/Dao.h"
#include "platform/dao/SearchImpl.h"
#include "platform/text/Fold.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tqen::dao {

using namespace searchindex;

namespace {

// A search indexes at most this many waiting rows itself before it reads;
// with more it reads them as they are (the catch-up indexes them).
constexpr qlonglong kSearchCatchUp = 500;
// A long term is looked up by at most this many of its trigrams (spread over
// it); the rows they propose are checked against the whole term anyway.
constexpr int kMostTrigrams = 16;
// The index proposes at most this many rows for the search to read by rowid
// and sort; with more, the rows are walked newest first instead.
constexpr qlonglong kFewRows = 3000;
// A common term is first looked for by reading the rows newest first;
// when this many rows are not likely to give a page of hits, the index's
// rows are taken instead.
constexpr qlonglong kWalkBudget = 4000;

// Whether any of the texts holds the folded term.
bool holds(const QString &foldedTerm, const QVariantList &texts) {
    for (const QVariant &field : texts) {
        const QString value = field.toString();
        if (!value.isEmpty() && text::fold(value).contains(foldedTerm)) return true;
    }
    return false;
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

// A database on a server: its rows, newest first, each checked against the
// folded term as it is read.
Error scanRows(const QString &path, const TextIndexNames &n, const QString &term, const TextSearch &request, int limit,
               TextSearchResult *result, const QString &text) {
    Database db = Database::open(path);
    if (!db.isOpen()) return failure(text, db);
    QStringList where;
    for (const auto &[column, value] : request.equal) where << QStringLiteral("%1 = %2").arg(column, sqlText(value));
    QString sql = QStringLiteral("select %1 from %2").arg((n.texts + request.columns).join(QStringLiteral(", ")), n.table);
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where.join(QStringLiteral(" and "));
    sql += QStringLiteral(" order by %1 desc").arg(n.dateColumn);
    Recordset rs = db.openRecordset(sql);
    if (!rs.isOpen()) return failure(text, db, rs);
    result->method = SearchMethod::Scan;
    for (; !rs.eof(); rs.moveNext()) {
        TextHit h;
        for (const QString &t : n.texts) h.texts << rs.field(t);
        if (!holds(term, h.texts)) continue;
        if (result->hits.size() == limit) {
            result->more = true;
            break;
        }
        for (const QString &c : request.columns) h.columns << rs.field(c);
        result->hits << std::move(h);
    }
    if (!rs.error().isEmpty()) {
        *result = TextSearchResult();
        return failure(text, db, rs);
    }
    return {};
}

}  // namespace

Error searchText(const QString &path, const TextIndexNames &names, const TextSearch &request, TextSearchResult *result,
                 const QString &text) {
    *result = TextSearchResult();
    const QString term = text::fold(request.text.trimmed());
    if (term.isEmpty()) return {};
    const int limit = std::max(1, request.limit);
    if (!textIndexApplies(path)) return scanRows(path, names, term, request, limit, result, text);
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}, names};
    const auto failed = [&] {
        *result = TextSearchResult();
        const QString why = s.error.isEmpty() ? c->lastError() : s.error;
        db.rollback();
        return Error(Error::Code::DatabaseFailed, text, why);
    };

    QString filter;
    QVector<QString> filterValues;
    for (const auto &[column, value] : request.equal) {
        filterValues << value;
        filter += QStringLiteral(" AND %1 = ?%2").arg(column).arg(filterValues.size());
    }
    const QString columns = (QStringList{QStringLiteral("rowid")} + names.texts + request.columns).join(QStringLiteral(", "));
    const QString newestFirst = QStringLiteral(" ORDER BY %1 DESC, rowid DESC").arg(names.dateColumn);
    const int textCount = int(names.texts.size());
    // Reads the row a statement stands on; true when it holds the term.
    const auto readHit = [&](sqlite3_stmt *st, TextHit *h) {
        for (int i = 0; i < textCount; ++i) h->texts << columnValue(st, 1 + i, ColumnKind::Plain);
        if (!holds(term, h->texts)) return false;
        h->row = sqlite3_column_int64(st, 0);
        for (int i = 0; i < int(request.columns.size()); ++i)
            h->columns << columnValue(st, 1 + textCount + i,
                                      request.columns[i] == names.dateColumn ? ColumnKind::Date : ColumnKind::Plain);
        return true;
    };
    // Keeps a hit unless the limit is reached; false when it was.
    const auto keep = [&](TextHit &&h) {
        if (result->hits.size() == limit) {
            result->more = true;
            return false;
        }
        result->hits << std::move(h);
        return true;
    };

    const bool trigram = text::codePoints(term) >= 3;
    const bool present = indexPresent(s);
    // While the grams index is made elsewhere it is empty, and nobody but
    // its maker writes the index.
    const bool gramsHere = present && gramsSearchable(s);
    if (!present || !(trigram || (gramsHere && gramTerm(term)))) {
        if (!s.error.isEmpty()) return failed();
        // Every row, newest first, each checked: in a file without the
        // index, or for a short term with a character no word holds.
        result->method = present ? SearchMethod::Grams : SearchMethod::Unindexed;
        const Statement all = c->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE 1%3%4").arg(columns, names.table, filter, newestFirst),
                                         filterValues, &s.error);
        if (!all) return failed();
        int rc;
        while ((rc = sqlite3_step(all.get())) == SQLITE_ROW) {
            TextHit h;
            if (readHit(all.get(), &h) && !keep(std::move(h))) break;
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failed();
        return {};
    }

    // A few rows written since the last catch-up are indexed now. More
    // (a catch-up under way, an import by another program), or a file that
    // cannot be written now, and the waiting rows are read as they are.
    if (const qlonglong queued = s.scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 LIMIT %2)").arg(names.waiting).arg(kSearchCatchUp + 1));
        gramsHere && queued > 0 && queued <= kSearchCatchUp) {
        // A catch-up on another connection holds the file for a slice at
        // most; beyond a short wait the search goes on without.
        sqlite3_busy_timeout(c->db.get(), 300);
        qlonglong done = 0;
        catchUpSlice(s, kSearchCatchUp, &done);
        sqlite3_busy_timeout(c->db.get(), 5000);
    }
    s.error.clear();
    // Everything below reads one state of the file, under one lock.
    if (!db.beginTrans()) return failed();
    result->method = trigram ? SearchMethod::Trigram : SearchMethod::Grams;
    // The rows the index proposes and the waiting ones; only the first of
    // them when there are more than a few.
    const Statement fromIndex = c->prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?1").arg(trigram ? names.trigrams : names.grams),
                                           {trigram ? trigramQuery(term) : u'"' + QString(term).replace(u'"', QStringLiteral("\"\"")) + u'"'}, &s.error);
    const Statement fromQueue = c->prepare(QStringLiteral("SELECT id FROM %1").arg(names.waiting), {}, &s.error);
    if (!fromIndex || !fromQueue) return failed();
    std::vector<qlonglong> proposed;
    const auto collect = [&](sqlite3_stmt *st, std::size_t most, bool *all) {
        int rc;
        while (proposed.size() < most && (rc = sqlite3_step(st)) == SQLITE_ROW) proposed.push_back(sqlite3_column_int64(st, 0));
        if (proposed.size() >= most) {
            *all = false;
            return true;
        }
        *all = true;
        return rc == SQLITE_DONE;
    };
    bool allProposed = false;
    if (!collect(fromIndex.get(), std::size_t(kFewRows) + 1, &allProposed)) return failed();
    if (allProposed && !collect(fromQueue.get(), std::size_t(kFewRows) + 1, &allProposed)) return failed();
    const auto settle = [&proposed] {
        std::sort(proposed.begin(), proposed.end());
        proposed.erase(std::unique(proposed.begin(), proposed.end()), proposed.end());
    };

    // Each proposed row is read by its rowid and checked.
    QVector<QString> pointValues = filterValues;
    pointValues.prepend(QString());  // ?1 is the rowid, bound below
    QString pointFilter = filter;
    for (int i = int(filterValues.size()); i >= 1; --i)
        pointFilter.replace(QStringLiteral("?%1").arg(i), QStringLiteral("?%1").arg(i + 1));
    const Statement point =
        c->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1%3").arg(columns, names.table, pointFilter), pointValues, &s.error);
    if (!point) return failed();
    const auto readRow = [&](qlonglong row, TextHit *h, bool *ok) {
        sqlite3_reset(point.get());
        sqlite3_bind_int64(point.get(), 1, row);
        const int rc = sqlite3_step(point.get());
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        return rc == SQLITE_ROW && readHit(point.get(), h);
    };

    if (allProposed) {
        settle();
        if (qlonglong(proposed.size()) <= kFewRows) {
            // A rare term: the days of its rows are read and put newest
            // first, then the rows themselves in that order until the page
            // is full.
            const Statement dayOf = c->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1%3").arg(names.dateColumn, names.table, pointFilter),
                                               pointValues, &s.error);
            if (!dayOf) return failed();
            std::vector<std::pair<QDate, qlonglong>> order;
            order.reserve(proposed.size());
            for (const qlonglong row : proposed) {
                sqlite3_reset(dayOf.get());
                sqlite3_bind_int64(dayOf.get(), 1, row);
                const int rc = sqlite3_step(dayOf.get());
                if (rc == SQLITE_ROW) order.emplace_back(columnValue(dayOf.get(), 0, ColumnKind::Date).toDate(), row);
                else if (rc != SQLITE_DONE) return failed();
            }
            std::sort(order.begin(), order.end(), [](const auto &a, const auto &b) {
                return a.first != b.first ? a.first > b.first : a.second > b.second;
            });
            for (const auto &[day, row] : order) {
                TextHit h;
                bool ok = true;
                if (readRow(row, &h, &ok) && !keep(std::move(h))) break;
                if (!ok) return failed();
            }
            db.rollback();
            return {};
        }
    }

    // A common term: the rows are read newest first and each checked,
    // as long as that is likely to fill the page soon; a term that turns
    // out rarer is then looked up by the index's rows, walking on by the
    // date index from where the reading stopped.
    qlonglong examined = 0;
    {
        const Statement walk = c->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE 1%3%4").arg(columns, names.table, filter, newestFirst),
                                          filterValues, &s.error);
        if (!walk) return failed();
        int rc;
        while ((rc = sqlite3_step(walk.get())) == SQLITE_ROW) {
            ++examined;
            TextHit h;
            if (readHit(walk.get(), &h) && !keep(std::move(h))) {
                db.rollback();
                return {};
            }
            // Hits at this pace would not fill the page within the budget.
            if (examined % 128 == 0 &&
                (examined >= kWalkBudget || qlonglong(result->hits.size() + 1) * kWalkBudget < qlonglong(limit + 1) * examined))
                break;
        }
        if (rc == SQLITE_DONE) {
            db.rollback();
            return {};
        }
        if (rc != SQLITE_ROW) return failed();
    }
    proposed.clear();
    sqlite3_reset(fromIndex.get());
    sqlite3_reset(fromQueue.get());
    if (!collect(fromIndex.get(), std::numeric_limits<std::size_t>::max(), &allProposed) ||
        !collect(fromQueue.get(), std::numeric_limits<std::size_t>::max(), &allProposed))
        return failed();
    settle();
    const Statement walk = c->prepare(QStringLiteral("SELECT rowid FROM %1 WHERE 1%2%3").arg(names.table, filter, newestFirst),
                                      filterValues, &s.error);
    if (!walk) return failed();
    int rc;
    qlonglong skipped = 0;
    while ((rc = sqlite3_step(walk.get())) == SQLITE_ROW) {
        if (skipped < examined) {
            ++skipped;
            continue;
        }
        const qlonglong row = sqlite3_column_int64(walk.get(), 0);
        if (!std::binary_search(proposed.begin(), proposed.end(), row)) continue;
        TextHit h;
        bool ok = true;
        if (readRow(row, &h, &ok) && !keep(std::move(h))) break;
        if (!ok) return failed();
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failed();
    db.rollback();
    return {};
}

}  // namespace tqen::dao
