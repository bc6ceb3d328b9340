#include "platform/dao/Search.h"

#include "platform/dao/Connection.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/text/Fold.h"

#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tqen::dao {

namespace {

// A long term is looked up by at most this many of its trigrams (spread over
// it); the rows they propose are checked against the whole term anyway.
constexpr int kMostTrigrams = 16;
// More waiting rows than this, most of them indexed before (a mass
// update or deletion by another program), are indexed by making the index
// anew.
constexpr qlonglong kMostWaiting = 5000;
// The index proposes at most this many rows for the search to read by rowid
// and sort; with more, the rows are walked newest first instead.
constexpr qlonglong kFewRows = 3000;
// A search indexes at most this many waiting rows itself before it reads;
// with more it reads them as they are (the catch-up indexes them).
constexpr qlonglong kSearchCatchUp = 500;
// The catch-up writes in slices of about this many milliseconds.
constexpr qlonglong kSliceMs = 200;
// A common term is first looked for by reading the rows newest first;
// when this many rows are not likely to give a page of hits, the index's
// rows are taken instead.
constexpr qlonglong kWalkBudget = 4000;
// The background catch-up does this many waiting rows (or makes the
// index for a file of this many) at once, without a thread.
constexpr qlonglong kQuickReports = 1000;
// The catch-up in the background leaves the file to other writers this long
// between slices: one waiting on the lock retries within it.
constexpr int kPauseMs = 30;

// A row's text for the index: its texts, each folded, a line each, so that
// no trigram of a term spans two fields.
QString foldRow(const QStringList &texts) {
    QString out;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i) out += u'\n';
        out += text::fold(texts[i]);
    }
    return out;
}

// Whether any of the texts holds the folded term.
bool holds(const QString &foldedTerm, const QVariantList &texts) {
    for (const QVariant &field : texts) {
        const QString value = field.toString();
        if (!value.isEmpty() && text::fold(value).contains(foldedTerm)) return true;
    }
    return false;
}

// The character index's words: every character and every pair of
// neighbouring characters of a folded text, once each, written as they are
// (UTF-8) with a blank between, so that a term of one or two characters is a
// single word to look up. The index's tokenizer takes every character but
// blanks and control characters as part of a word; those take no part in
// the words (nor do the line breaks between the fields), and a short term
// holding one is looked for without the index.
bool gramCharacter(char32_t c) { return c > 0x20 && c != 0x7F; }

bool gramTerm(const QString &foldedTerm) {
    const QList<uint> cps = foldedTerm.toUcs4();
    return std::all_of(cps.begin(), cps.end(), [](uint c) { return gramCharacter(c); });
}

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The words of a folded text, in the order they first occur, each followed
// by a blank: the text the character index is given (as UTF-8). Each row
// passes through here when it is indexed, so the words are written straight
// into one buffer and told apart by a small table of numbers, not strings.
std::string searchGrams(const QString &folded) {
    std::vector<char32_t> cps;
    cps.reserve(std::size_t(folded.size()));
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        if (c.isHighSurrogate() && i + 1 < folded.size() && folded.at(i + 1).isLowSurrogate()) {
            cps.push_back(QChar::surrogateToUcs4(c, folded.at(i + 1)));
            ++i;
        } else {
            cps.push_back(c.unicode());
        }
    }
    // Open addressing over keys + 1 (0 is an empty slot): a character is its
    // code point, a pair both code points and a bit no character has.
    std::size_t size = 64;
    while (size < cps.size() * 4) size <<= 1;
    std::vector<std::uint64_t> seen(size, 0);
    const auto firstTime = [&](std::uint64_t key) {
        ++key;
        for (std::size_t at = std::size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & (size - 1);; at = (at + 1) & (size - 1)) {
            if (seen[at] == key) return false;
            if (seen[at] == 0) {
                seen[at] = key;
                return true;
            }
        }
    };
    std::string out;
    out.reserve(cps.size() * 8);
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (!gramCharacter(cps[i])) continue;
        if (firstTime(cps[i])) {
            appendUtf8(out, cps[i]);
            out += ' ';
        }
        if (i + 1 < cps.size() && gramCharacter(cps[i + 1]) &&
            firstTime(std::uint64_t(1) << 62 | std::uint64_t(cps[i]) << 21 | cps[i + 1])) {
            appendUtf8(out, cps[i]);
            appendUtf8(out, cps[i + 1]);
            out += ' ';
        }
    }
    return out;
}

// The file a path names now (device and inode); 0 when there is none.
std::uint64_t fileIdentity(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return std::uint64_t(st.st_dev) << 40 ^ std::uint64_t(st.st_ino);
}

// What the two indexes are given for one row, as UTF-8.
struct IndexText {
    std::string text;   // the folded row, for the trigram index
    std::string grams;  // its words, for the character index
};

IndexText foldForIndex(const QStringList &texts) {
    const QString folded = foldRow(texts);
    return {folded.toStdString(), searchGrams(folded)};
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
    const TextIndexNames &n;

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

// The whole index, as this program makes it: a character index from an
// older program (whose words were written otherwise) counts as none, and is
// made anew.
bool indexPresent(Step &s) {
    QString names;
    for (const QString &n : QStringList{s.n.trigrams, s.n.grams, s.n.waiting} + s.n.triggers)
        names += (names.isEmpty() ? "" : ",") + sqlText(n);
    return s.scalar(QStringLiteral("SELECT count(*) + (SELECT count(*) FROM sqlite_master WHERE name = %1 AND instr(sql, 'tokenchars') > 0) "
                                   "FROM sqlite_master WHERE name IN (%2)")
                        .arg(sqlText(s.n.grams), names)) == 7;
}

// Adds a row's entries to both indexes, or takes them out again (which
// needs the very text they were made from).
class IndexWriter {
public:
    explicit IndexWriter(Step &s)
        : s_(s),
          addTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 本文) VALUES (?, ?)").arg(s.n.trigrams))),
          addGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 字) VALUES (?, ?)").arg(s.n.grams))),
          dropTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 本文) VALUES ('delete', ?, ?)").arg(s.n.trigrams))),
          dropGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 字) VALUES ('delete', ?, ?)").arg(s.n.grams))) {}

    bool ready() const { return addTrigrams_ && addGrams_ && dropTrigrams_ && dropGrams_; }
    bool add(qlonglong id, const IndexText &f) { return write(addTrigrams_, addGrams_, id, f); }
    bool drop(qlonglong id, const IndexText &f) { return write(dropTrigrams_, dropGrams_, id, f); }

private:
    bool write(const Statement &trigrams, const Statement &grams, qlonglong id, const IndexText &f) {
        return step(trigrams, id, f.text) && step(grams, id, f.grams);
    }
    bool step(const Statement &st, qlonglong id, const std::string &value) {
        sqlite3_bind_int64(st.get(), 1, id);
        sqlite3_bind_text64(st.get(), 2, value.data(), value.size(), SQLITE_STATIC, SQLITE_UTF8);
        const bool ok = sqlite3_step(st.get()) == SQLITE_DONE;
        if (!ok) s_.error = s_.c->lastError();
        sqlite3_reset(st.get());
        return ok;
    }
    Step &s_;
    Statement addTrigrams_, addGrams_, dropTrigrams_, dropGrams_;
};

bool dropIndex(Step &s) {
    for (const QString &t : s.n.triggers)
        if (!s.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(t))) return false;
    for (const QString &t : {s.n.trigrams, s.n.grams, s.n.waiting})
        if (!s.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(t))) return false;
    return true;
}

// Makes the index anew and empty, with every row waiting in the queue,
// inside the caller's transaction: quick (a second or so for a million
// rows), and the catch-up then fills the index a slice at a time while
// searches see the queue.
bool remakeIndex(Step &s) {
    if (!dropIndex(s)) return false;
    for (const QString &sql : textIndexSchema(s.n))
        if (!s.exec(sql)) return false;
    return s.exec(QStringLiteral("INSERT INTO %1 (id, 索引済) SELECT rowid, 0 FROM %2").arg(s.n.waiting, s.n.table));
}

bool transaction(Step &s, const std::function<bool()> &work) {
    if (!s.exec(QStringLiteral("BEGIN IMMEDIATE"))) return false;
    if (work() && s.exec(QStringLiteral("COMMIT"))) return true;
    sqlite3_exec(s.c->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

// One slice of the catch-up, in one short transaction: the first `most`
// waiting rows (by rowid) are indexed — what the index holds for each is
// taken out, and what the row holds now (if it is still there) put in —
// and leave the queue. *done is how many there were (0: nothing waits).
bool catchUpSlice(Step &s, qlonglong most, qlonglong *done) {
    *done = 0;
    return transaction(s, [&] {
        struct Waiting {
            qlonglong id;
            bool indexed, present;
            QStringList before, now;
            IndexText foldedBefore, foldedNow;
        };
        std::vector<Waiting> waiting;
        {
            QString fields;
            for (const QString &t : s.n.texts) fields += QStringLiteral(", q.%1").arg(t);
            fields += QStringLiteral(", r.rowid");
            for (const QString &t : s.n.texts) fields += QStringLiteral(", r.%1").arg(t);
            const Statement read = s.prepare(QStringLiteral("SELECT q.id, q.索引済%1 FROM %2 q LEFT JOIN %3 r ON r.rowid = q.id ORDER BY q.id LIMIT ?1")
                                                 .arg(fields, s.n.waiting, s.n.table));
            if (!read) return false;
            sqlite3_bind_int64(read.get(), 1, most);
            int rc;
            while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
                const auto field = [&](int col) { return columnValue(read.get(), col, ColumnKind::Plain).toString(); };
                const int count = int(s.n.texts.size());
                Waiting w{sqlite3_column_int64(read.get(), 0), sqlite3_column_int(read.get(), 1) != 0,
                          sqlite3_column_type(read.get(), 2 + count) != SQLITE_NULL, {}, {}, {}, {}};
                for (int i = 0; i < count; ++i) {
                    if (w.indexed) w.before << field(2 + i);
                    if (w.present) w.now << field(3 + count + i);
                }
                waiting.push_back(std::move(w));
            }
            if (rc != SQLITE_DONE) {
                s.error = s.c->lastError();
                return false;
            }
        }
        if (waiting.empty()) return true;
        // Folding is a third of the work: a second thread folds the rows
        // in order while this one gives the index those folded already.
        const auto foldOne = [&waiting](std::size_t i) {
            Waiting &w = waiting[i];
            if (w.indexed) w.foldedBefore = foldForIndex(w.before);
            if (w.present) w.foldedNow = foldForIndex(w.now);
        };
        std::atomic<std::size_t> folded{0};
        std::atomic<bool> quit{false};
        std::thread helper;
        if (waiting.size() >= 64) {
            helper = std::thread([&] {
                for (std::size_t i = 0; i < waiting.size() && !quit.load(std::memory_order_relaxed); ++i) {
                    foldOne(i);
                    folded.store(i + 1, std::memory_order_release);
                    if (i % 16 == 15 || i + 1 == waiting.size()) folded.notify_one();
                }
            });
        }
        // The helper goes before the rows it folds, however this ends.
        const std::unique_ptr<std::thread, std::function<void(std::thread *)>> joined(&helper, [&quit](std::thread *t) {
            quit = true;
            if (t->joinable()) t->join();
        });
        IndexWriter writer(s);
        if (!writer.ready()) return false;
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            if (helper.joinable()) {
                for (std::size_t f; (f = folded.load(std::memory_order_acquire)) <= i;) folded.wait(f, std::memory_order_acquire);
            } else {
                foldOne(i);
            }
            const Waiting &w = waiting[i];
            if (w.indexed && !writer.drop(w.id, w.foldedBefore)) return false;
            if (w.present && !writer.add(w.id, w.foldedNow)) return false;
        }
        const Statement remove = s.prepare(QStringLiteral("DELETE FROM %1 WHERE id <= ?1").arg(s.n.waiting));
        if (!remove) return false;
        sqlite3_bind_int64(remove.get(), 1, waiting.back().id);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            s.error = s.c->lastError();
            return false;
        }
        *done = qlonglong(waiting.size());
        return true;
    });
}

// How the catch-up runs: progress(done, total) counts rows indexed of
// all; stop, when set, ends it between slices; pause leaves the file to
// other writers between slices (a writer waiting on the lock retries within
// a few tens of milliseconds, so a pause of that length lets it in).
struct CatchUpRun {
    std::function<void(qlonglong, qlonglong)> progress;
    const std::atomic<bool> *stop = nullptr;
    int pauseMs = 0;
    bool remake = false;  // make the index anew first
    std::function<bool()> stillThere;  // false when the file was replaced meanwhile
};

bool runCatchUp(Step &s, const CatchUpRun &run) {
    bool ok = true;
    // A slice's pages stay in memory until it commits, so that readers are
    // not shut out before then.
    s.exec(QStringLiteral("PRAGMA cache_size = -8192"));
    const qlonglong total = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.table), &ok);
    if (!ok) return false;
    bool remake = run.remake;
    if (!remake) {
        // Many indexed rows written again (a mass update or deletion by
        // another program): making the index anew is quicker than taking
        // each one out and putting it back.
        const qlonglong queued = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.waiting), &ok);
        if (!ok) return false;
        remake = queued > kMostWaiting && queued * 2 > total &&
                 s.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE 索引済)").arg(s.n.waiting)) != 0;
    }
    if (remake && !transaction(s, [&] { return remakeIndex(s); })) return false;
    // Each slice leaves a small segment in both indexes, which FTS5 merges
    // as it goes, four at a time by default. Merging sixteen at a time while
    // many slices run rewrites the index fewer times (a quarter less work);
    // the default comes back at the end.
    const auto mergeBy = [&s](int segments) {
        for (const QString &t : {s.n.trigrams, s.n.grams})
            s.exec(QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('automerge', %2)").arg(t).arg(segments));
    };
    qlonglong waiting = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.waiting), &ok);
    if (!ok) return false;
    if (run.progress && waiting > 0) run.progress(std::max<qlonglong>(0, total - waiting), total);
    qlonglong most = 500;
    const bool many = waiting > kMostWaiting;
    if (many) mergeBy(16);
    for (;;) {
        if (run.stop && run.stop->load()) {
            if (many) mergeBy(4);
            return true;
        }
        if (run.stillThere && !run.stillThere()) return true;
        QElapsedTimer timer;
        timer.start();
        qlonglong done = 0;
        if (!catchUpSlice(s, most, &done)) return false;
        if (done == 0) break;
        // Slices of about a tenth of a second.
        const qlonglong ms = std::max<qlonglong>(1, timer.elapsed());
        most = std::clamp<qlonglong>(most * kSliceMs / ms, 100, 5000);
        waiting = std::max<qlonglong>(0, waiting - done);
        if (run.progress) run.progress(std::max<qlonglong>(0, total - waiting), total);
        if (run.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(run.pauseMs));
    }
    if (many) mergeBy(4);
    if (run.progress) run.progress(total, total);
    return true;
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

QStringList textIndexSchema(const TextIndexNames &n) {
    // The waiting row of a row says that the index may not match it. 索引済
    // tells whether the index holds an entry for it, made from the texts
    // kept beside; the first write after a catch-up records that, later ones
    // leave it as it is.
    QStringList oldTexts, changed, columns;
    for (const QString &t : n.texts) {
        oldTexts << QStringLiteral("old.") + t;
        changed << QStringLiteral("old.%1 IS NOT new.%1").arg(t);
        columns << t + QStringLiteral(" TEXT");
    }
    const QString queueOld = QStringLiteral("  INSERT OR IGNORE INTO %1 (id, 索引済, %2) VALUES (old.rowid, 1, %3);\n")
                                 .arg(n.waiting, n.texts.join(QStringLiteral(", ")), oldTexts.join(QStringLiteral(", ")));
    const QString queueNew = QStringLiteral("  INSERT OR IGNORE INTO %1 (id, 索引済) VALUES (new.rowid, 0);\n").arg(n.waiting);
    return {
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(本文, content='', detail=none, columnsize=0, "
                       "tokenize='trigram case_sensitive 1')")
            .arg(n.trigrams),
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(字, content='', detail=none, columnsize=0, "
                       "tokenize=\"ascii tokenchars '!\"\"#$%&''()*+,-./:;<=>?@[\\]^_`{|}~'\")")
            .arg(n.grams),
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, 索引済 INTEGER NOT NULL, %2)")
            .arg(n.waiting, columns.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN\n%3END").arg(n.triggers[0], n.table, queueNew),
        QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON %2\n"
                       "WHEN old.rowid IS NOT new.rowid OR %3\nBEGIN\n%4%5END")
            .arg(n.triggers[1], n.table, changed.join(QStringLiteral(" OR ")), queueOld, queueNew),
        QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN\n%3END").arg(n.triggers[2], n.table, queueOld),
    };
}

TextIndexNames TextIndexNames::of(const QString &table, const QStringList &texts, const QString &dateColumn) {
    const QString base = table + QStringLiteral("_検索");
    return {table,
            texts,
            dateColumn,
            base,
            base + QStringLiteral("字"),
            base + QStringLiteral("待ち"),
            {base + QStringLiteral("_追加"), base + QStringLiteral("_更新"), base + QStringLiteral("_削除")}};
}

bool textIndexApplies(const QString &path) { return !isServerUri(path); }

bool hasTextIndex(const QString &path, const TextIndexNames &names) {
    if (!textIndexApplies(path)) return false;
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return false;
    Step s{c, {}, names};
    return indexPresent(s);
}

namespace {

// A catch-up on a connection of its own: of the rows waiting (a file
// without the index has nothing to catch up), or the whole index made anew.
Error runCatchUpOn(const QString &path, const TextIndexNames &names, const std::function<void(qlonglong, qlonglong)> &progress,
                   bool remake) {
    if (!textIndexApplies(path)) return {};
    const QString text = remake ? QStringLiteral("検索用の索引を作れませんでした。")
                                : QStringLiteral("検索用の索引を更新できませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}, names};
    if (!remake && !indexPresent(s)) return {};
    CatchUpRun run;
    run.progress = progress;
    run.remake = remake;
    if (!runCatchUp(s, run)) return Error(Error::Code::DatabaseFailed, text, s.error);
    return {};
}

}  // namespace

Error catchUpTextIndex(const QString &path, const TextIndexNames &names,
                       const std::function<void(qlonglong, qlonglong)> &progress) {
    return runCatchUpOn(path, names, progress, false);
}

Error buildTextIndex(const QString &path, const TextIndexNames &names, const std::function<void(qlonglong, qlonglong)> &progress) {
    return runCatchUpOn(path, names, progress, true);
}

Error beginTextIndex(const QString &path, const TextIndexNames &names) {
    if (!textIndexApplies(path)) return {};
    const QString text = QStringLiteral("検索用の索引を作れませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    Step s{c, {}, names};
    if (indexPresent(s)) return {};
    if (!s.error.isEmpty() || !transaction(s, [&] { return remakeIndex(s); }))
        return Error(Error::Code::DatabaseFailed, text, s.error);
    return {};
}

qlonglong textIndexWaiting(const QString &path, const TextIndexNames &names) {
    if (!textIndexApplies(path)) return 0;
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return 0;
    Step s{c, {}, names};
    if (!indexPresent(s)) return -1;
    return s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(names.waiting));
}

Error dropTextIndexes(const QString &path) {
    if (!textIndexApplies(path)) return {};
    const QString text = QStringLiteral("検索用の索引を外せませんでした。");
    Database db = Database::open(path);
    Connection *c = connectionOf(db);
    if (!c) return failure(text, db);
    // The tables that have a trigram index beside them.
    QStringList tables;
    {
        QString error;
        const Statement st = c->prepare(QStringLiteral("SELECT t.name FROM sqlite_master t JOIN sqlite_master i "
                                                       "ON i.name = t.name || '_検索' AND instr(i.sql, 'fts5') > 0 "
                                                       "WHERE t.type = 'table'"),
                                        {}, &error);
        if (!st) return Error(Error::Code::DatabaseFailed, text, error);
        while (sqlite3_step(st.get()) == SQLITE_ROW) tables << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
    }
    if (!db.beginTrans()) return failure(text, db);
    for (const QString &table : std::as_const(tables)) {
        const TextIndexNames names = TextIndexNames::of(table, {}, {});
        Step s{c, {}, names};
        if (!dropIndex(s)) {
            db.rollback();
            return Error(Error::Code::DatabaseFailed, text, s.error);
        }
    }
    if (!db.commitTrans()) return failure(text, db);
    const TextIndexNames none;
    Step s{c, {}, none};
    if (!s.exec(QStringLiteral("VACUUM"))) return Error(Error::Code::DatabaseFailed, text, s.error);
    return {};
}

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
    if (!present || !(trigram || gramTerm(term))) {
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
        queued > 0 && queued <= kSearchCatchUp) {
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

// ---------------------------------------------------------------------------
// The catch-up in the background.

struct TextIndexer::Shared {
    std::atomic<bool> stop{false}, running{false};
    std::atomic<qlonglong> done{0}, total{0};
    std::mutex lock;
    Error error;
};

TextIndexer::TextIndexer(TextIndexNames names) : names_(std::move(names)) {}

TextIndexer::~TextIndexer() { stop(); }

bool TextIndexer::start(const QString &path) {
    if (running() && path == path_) return true;
    stop();
    if (!textIndexApplies(path)) return false;
    path_ = path;
    shared_ = std::make_shared<Shared>();
    const QString text = QStringLiteral("検索用の索引を作れませんでした。");
    // Runs the catch-up (or the making) on a connection of its own.
    const auto work = [path, text, names = names_](Shared &shared, int pauseMs, bool decide) {
        Error error;
        bool later = false;
        {
            Database db = Database::open(path);
            Connection *c = connectionOf(db);
            if (!c) {
                error = failure(text, db);
            } else {
                Step s{c, {}, names};
                const bool present = indexPresent(s);
                // A few rows are indexed at once, here; more on the thread;
                // none, and there is nothing to do.
                qlonglong pending = 1;
                if (decide && s.error.isEmpty()) {
                    pending = present ? s.scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 LIMIT %2)")
                                                     .arg(names.waiting)
                                                     .arg(kQuickReports + 1))
                                      : s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(names.table));
                    later = pending > kQuickReports;
                }
                if (!s.error.isEmpty()) {
                    error = Error(Error::Code::DatabaseFailed, text, s.error);
                } else if (!later && (pending > 0 || !present)) {
                    CatchUpRun run;
                    run.progress = [&shared](qlonglong done, qlonglong total) {
                        shared.total = total;
                        shared.done = done;
                    };
                    run.stop = &shared.stop;
                    run.pauseMs = pauseMs;
                    // The file replaced meanwhile (a restore renames another
                    // over it): this connection would index the old one.
                    const std::uint64_t identity = fileIdentity(path);
                    run.stillThere = [path, identity] { return fileIdentity(path) == identity; };
                    run.remake = !present;
                    if (!runCatchUp(s, run)) error = Error(Error::Code::DatabaseFailed, text, s.error);
                }
            }
        }
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.error = error;
        return later;
    };
    if (!work(*shared_, 0, true)) return true;
    shared_->running = true;
    std::shared_ptr<Shared> shared = shared_;
    worker_ = std::thread([shared, work] {
        work(*shared, kPauseMs, false);
        shared->running = false;
    });
    return true;
}

void TextIndexer::stop() {
    if (shared_) shared_->stop = true;
    if (worker_.joinable()) worker_.join();
}

bool TextIndexer::running() const { return shared_ && shared_->running; }

qlonglong TextIndexer::done() const { return shared_ ? shared_->done.load() : 0; }

qlonglong TextIndexer::total() const { return shared_ ? shared_->total.load() : 0; }

Error TextIndexer::error() const {
    if (!shared_) return {};
    std::lock_guard<std::mutex> hold(shared_->lock);
    return shared_->error;
}

}  // namespace tqen::dao
