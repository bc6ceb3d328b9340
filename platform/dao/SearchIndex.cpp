#include "platform/dao/Search.h"

#include "platform/dao/Dao.h"
#include "platform/dao/SearchImpl.h"
#include "platform/dao/Server.h"
#include "platform/text/Fold.h"

#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tqen::dao {

using namespace searchindex;

namespace {

// More waiting rows than this, and more than half of all, are indexed by
// making the index anew.
constexpr qlonglong kMostWaiting = 5000;
// FTS5 merges a level of this many segments whole, at once (otherwise a
// little with every write).
constexpr int kCrisisSegments = 64;
// A slice of merging after a long catch-up writes about this many pages.
constexpr int kMergePages = 400;
// The catch-up writes in slices of about this many milliseconds.
constexpr qlonglong kSliceMs = 200;
// The background catch-up does this many waiting rows (or makes the
// index for a file of this many) at once, without a thread.
constexpr qlonglong kQuickReports = 1000;
// The catch-up in the background leaves the file to other writers this long
// between slices: one waiting on the lock retries within it.
constexpr int kPauseMs = 30;

// Appends a code point as UTF-8 at `at`, which has room for four bytes;
// returns the end.
char *putUtf8(char *at, char32_t c) {
    if (c < 0x80) {
        *at++ = char(c);
    } else if (c < 0x800) {
        *at++ = char(0xC0 | c >> 6);
        *at++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *at++ = char(0xE0 | c >> 12);
        *at++ = char(0x80 | (c >> 6 & 0x3F));
        *at++ = char(0x80 | (c & 0x3F));
    } else {
        *at++ = char(0xF0 | c >> 18);
        *at++ = char(0x80 | (c >> 12 & 0x3F));
        *at++ = char(0x80 | (c >> 6 & 0x3F));
        *at++ = char(0x80 | (c & 0x3F));
    }
    return at;
}

// Which of the words of one row were written already: open addressing over
// keys + 1 (0 is an empty slot), where a character is its code point and a
// pair both code points and a bit no character has. Every row of a catch-up
// passes through here, so the table is kept from row to row on its thread
// and a slot counts only when its round is the row's.
class SeenWords {
public:
    static constexpr std::size_t kKeptWords = 1 << 16;
    void startRow(std::size_t characters) {
        std::size_t size = 64;
        while (size < characters * 4) size <<= 1;
        // A table grown for a very long row goes with the next short one.
        if (size > keys_.size() || (keys_.size() > kKeptWords && size * 8 < keys_.size())) {
            keys_.assign(size, 0);
            rounds_.assign(size, 0);
            round_ = 0;
        }
        mask_ = keys_.size() - 1;
        if (++round_ == 0) {  // the rounds wrapped: every slot is old
            std::fill(rounds_.begin(), rounds_.end(), 0);
            round_ = 1;
        }
    }
    bool firstTime(std::uint64_t key) {
        ++key;
        for (std::size_t at = std::size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & mask_;; at = (at + 1) & mask_) {
            if (rounds_[at] != round_) {
                rounds_[at] = round_;
                keys_[at] = key;
                return true;
            }
            if (keys_[at] == key) return false;
        }
    }

private:
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint32_t> rounds_;
    std::uint32_t round_ = 0;
    std::size_t mask_ = 0;
};

// What the two indexes are given for one row, as UTF-8.
struct IndexText {
    std::string text;   // the folded row, for the trigram index
    std::string grams;  // its words, for the character index
};

// A row's texts for the index (given as UTF-8): each folded, a line each,
// so that no trigram of a term spans two fields; and the words of the
// folded text, in the order they first occur, each followed by a blank.
IndexText foldForIndex(const std::vector<std::string> &texts) {
    thread_local QString folded;
    folded.resize(0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i) folded += u'\n';
        folded += text::fold(QString::fromUtf8(texts[i].data(), qsizetype(texts[i].size())));
    }
    thread_local std::vector<char32_t> cps;
    cps.clear();
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        if (c.isHighSurrogate() && i + 1 < folded.size() && folded.at(i + 1).isLowSurrogate()) {
            cps.push_back(QChar::surrogateToUcs4(c, folded.at(i + 1)));
            ++i;
        } else {
            cps.push_back(c.unicode());
        }
    }
    thread_local SeenWords seen;
    seen.startRow(cps.size());
    // Room enough: four bytes a character; a character and a pair of
    // eight, with two blanks, for the words. The room is kept on the
    // thread, and each row given only what it holds.
    thread_local std::string textRoom, gramRoom;
    const auto fit = [](std::string &room, std::size_t need) {
        if (need > room.size()) room.resize(need);
        else if (room.size() > (std::size_t(1) << 20) && need * 8 < room.size()) room = std::string(need, '\0');
    };
    fit(textRoom, cps.size() * 4);
    fit(gramRoom, cps.size() * 14);
    char *text = textRoom.data(), *grams = gramRoom.data();
    for (std::size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        text = putUtf8(text, c);
        if (!gramCharacter(c)) continue;
        if (seen.firstTime(c)) {
            grams = putUtf8(grams, c);
            *grams++ = ' ';
        }
        if (i + 1 < cps.size() && gramCharacter(cps[i + 1]) &&
            seen.firstTime(std::uint64_t(1) << 62 | std::uint64_t(c) << 21 | cps[i + 1])) {
            grams = putUtf8(putUtf8(grams, c), cps[i + 1]);
            *grams++ = ' ';
        }
    }
    IndexText out;
    out.text.assign(textRoom.data(), std::size_t(text - textRoom.data()));
    out.grams.assign(gramRoom.data(), std::size_t(grams - gramRoom.data()));
    return out;
}

// The file a path names now (device and inode); 0 when there is none.
std::uint64_t fileIdentity(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return std::uint64_t(st.st_dev) << 40 ^ std::uint64_t(st.st_ino);
}

// Adds a row's entries to both indexes (or only to the trigram index, when
// the grams index is made elsewhere), or takes them out again (which needs
// the very text they were made from).
class IndexWriter {
public:
    IndexWriter(Step &s, bool grams)
        : s_(s),
          grams_(grams),
          addTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 本文) VALUES (?, ?)").arg(s.n.trigrams))),
          addGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (rowid, 字) VALUES (?, ?)").arg(s.n.grams))),
          dropTrigrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 本文) VALUES ('delete', ?, ?)").arg(s.n.trigrams))),
          dropGrams_(s.prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 字) VALUES ('delete', ?, ?)").arg(s.n.grams))) {}

    bool ready() const { return addTrigrams_ && addGrams_ && dropTrigrams_ && dropGrams_; }
    bool add(qlonglong id, const IndexText &f) { return write(addTrigrams_, addGrams_, id, f); }
    bool drop(qlonglong id, const IndexText &f) { return write(dropTrigrams_, dropGrams_, id, f); }

private:
    bool write(const Statement &trigrams, const Statement &grams, qlonglong id, const IndexText &f) {
        return step(trigrams, id, f.text) && (!grams_ || step(grams, id, f.grams));
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
    bool grams_;
    Statement addTrigrams_, addGrams_, dropTrigrams_, dropGrams_;
};

bool dropIndex(Step &s) {
    for (const QString &t : s.n.triggers)
        if (!s.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(t))) return false;
    for (const QString &t : {s.n.trigrams, s.n.grams, s.n.waiting, s.n.gramsElsewhere})
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

}  // namespace

namespace searchindex {

bool indexPresent(Step &s) {
    QString names;
    for (const QString &n : QStringList{s.n.trigrams, s.n.grams, s.n.waiting} + s.n.triggers)
        names += (names.isEmpty() ? "" : ",") + sqlText(n);
    return s.scalar(QStringLiteral("SELECT count(*) + (SELECT count(*) FROM sqlite_master WHERE name = %1 AND instr(sql, 'tokenchars') > 0) "
                                   "FROM sqlite_master WHERE name IN (%2)")
                        .arg(sqlText(s.n.grams), names)) == 7;
}

bool catchUpSlice(Step &s, qlonglong most, qlonglong *done, GramsElsewhere *side) {
    *done = 0;
    std::vector<GramsChange> changes;
    const bool ok = transaction(s, [&] {
        if (side && !side->stillOurs(s)) {
            if (s.error.isEmpty()) s.error = QStringLiteral("the index was made anew by another program");
            return false;
        }
        // A waiting row: the texts its index entry was made from (when it
        // has one) and the texts it holds now (when it is still there), as
        // the file holds them (UTF-8), and both folded for the index.
        struct Waiting {
            qlonglong id;
            bool indexed, present;
            std::vector<std::string> before, now;
            IndexText foldedBefore, foldedNow;
        };
        std::vector<Waiting> waiting;
        waiting.reserve(std::size_t(most));  // never moves while the helper folds
        const auto foldOne = [&waiting](std::size_t i) {
            Waiting &w = waiting[i];
            if (w.indexed) w.foldedBefore = foldForIndex(w.before);
            if (w.present) w.foldedNow = foldForIndex(w.now);
        };
        // Folding is most of the work outside the index: a second thread
        // folds the rows in order as they are read, while this one reads on
        // and then gives the index those folded already.
        // `read` counts the rows read; its top bit says that no more come.
        constexpr std::size_t kAllRead = std::size_t(1) << 63;
        std::atomic<std::size_t> read{0}, folded{0};
        std::atomic<bool> quit{false};
        std::thread helper;
        const auto startHelper = [&] {
            helper = std::thread([&] {
                for (std::size_t i = 0; !quit.load(std::memory_order_relaxed); ++i) {
                    for (std::size_t r; ((r = read.load(std::memory_order_acquire)) & ~kAllRead) <= i;) {
                        if (r & kAllRead) return;
                        read.wait(r, std::memory_order_acquire);
                    }
                    foldOne(i);
                    folded.store(i + 1, std::memory_order_release);
                    if (i % 16 == 15) folded.notify_one();
                }
            });
        };
        const auto readAll = [&read] {
            read.fetch_or(kAllRead, std::memory_order_acq_rel);
            read.notify_one();
        };
        // The helper goes before the rows it folds, however this ends.
        const std::unique_ptr<std::thread, std::function<void(std::thread *)>> joined(&helper, [&](std::thread *t) {
            quit = true;
            readAll();
            if (t->joinable()) t->join();
        });
        {
            QString fields;
            for (const QString &t : s.n.texts) fields += QStringLiteral(", q.%1").arg(t);
            fields += QStringLiteral(", r.rowid");
            for (const QString &t : s.n.texts) fields += QStringLiteral(", r.%1").arg(t);
            const Statement st = s.prepare(QStringLiteral("SELECT q.id, q.索引済%1 FROM %2 q LEFT JOIN %3 r ON r.rowid = q.id ORDER BY q.id LIMIT ?1")
                                               .arg(fields, s.n.waiting, s.n.table));
            if (!st) return false;
            sqlite3_bind_int64(st.get(), 1, most);
            // A text as the file holds it; a value of another kind as it
            // reads as text.
            const auto field = [&](int col) {
                if (sqlite3_column_type(st.get(), col) == SQLITE_TEXT)
                    return std::string(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), col)),
                                       std::size_t(sqlite3_column_bytes(st.get(), col)));
                return columnValue(st.get(), col, ColumnKind::Plain).toString().toStdString();
            };
            const int count = int(s.n.texts.size());
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
                Waiting w{sqlite3_column_int64(st.get(), 0), sqlite3_column_int(st.get(), 1) != 0,
                          sqlite3_column_type(st.get(), 2 + count) != SQLITE_NULL, {}, {}, {}, {}};
                for (int i = 0; i < count; ++i) {
                    if (w.indexed) w.before.push_back(field(2 + i));
                    if (w.present) w.now.push_back(field(3 + count + i));
                }
                waiting.push_back(std::move(w));
                read.store(waiting.size(), std::memory_order_release);
                if (waiting.size() == 64) startHelper();
                if (waiting.size() % 16 == 0) read.notify_one();
            }
            readAll();
            if (rc != SQLITE_DONE) {
                s.error = s.c->lastError();
                return false;
            }
        }
        if (waiting.empty()) return true;
        IndexWriter writer(s, !side);
        if (!writer.ready()) return false;
        if (side) changes.reserve(waiting.size());
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            if (helper.joinable()) {
                for (std::size_t f; (f = folded.load(std::memory_order_acquire)) <= i;) {
                    if (f + 16 > waiting.size()) std::this_thread::yield();  // the last few are not told
                    else folded.wait(f, std::memory_order_acquire);
                }
            } else {
                foldOne(i);
            }
            Waiting &w = waiting[i];
            if (w.indexed && !writer.drop(w.id, w.foldedBefore)) return false;
            if (w.present && !writer.add(w.id, w.foldedNow)) return false;
            if (side && w.indexed) changes.push_back({w.id, true, std::move(w.foldedBefore.grams)});
            if (side && w.present) changes.push_back({w.id, false, std::move(w.foldedNow.grams)});
            w = Waiting{w.id, false, false, {}, {}, {}, {}};  // its memory goes back at once
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
    if (ok && side && !side->give(std::move(changes))) {
        s.error = QStringLiteral("the side file of the grams index could not be written");
        return false;
    }
    return ok;
}

}  // namespace searchindex

namespace {

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

// Sets one of FTS5's settings (automerge, crisismerge, usermerge) on both
// indexes; a setting that cannot be written leaves the index as it was.
bool configureIndexes(Step &s, const char *what, int value) {
    bool ok = true;
    for (const QString &t : {s.n.trigrams, s.n.grams})
        ok = s.exec(QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('%2', %3)").arg(t, QLatin1String(what)).arg(value)) && ok;
    return ok;
}

// After many slices a level of either index may hold sixteen segments or
// more; those are merged in slices of their own, so that a search reads few
// and no later write meets a whole level to merge. (Fewer at a level are
// left to the merging FTS5 does a little with every write.)
bool mergeDown(Step &s, const CatchUpRun &run) {
    if (!configureIndexes(s, "usermerge", 16)) return false;
    const auto restore = qScopeGuard([&s] { configureIndexes(s, "usermerge", 4); });
    for (bool merged = true; merged;) {
        if ((run.stop && run.stop->load()) || (run.stillThere && !run.stillThere())) return true;
        merged = false;
        const bool ok = transaction(s, [&] {
            // The command itself counts as a change: merging writes more.
            for (const QString &t : {s.n.trigrams, s.n.grams}) {
                const int before = sqlite3_total_changes(s.c->db.get());
                if (!s.exec(QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('merge', %2)").arg(t).arg(kMergePages))) return false;
                merged = merged || sqlite3_total_changes(s.c->db.get()) - before >= 2;
            }
            return true;
        });
        if (!ok) return false;
        if (merged && run.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(run.pauseMs));
    }
    return true;
}

bool runCatchUp(Step &s, const CatchUpRun &run) {
    bool ok = true;
    // A slice's pages stay in memory until it commits, so that readers are
    // not shut out before then.
    s.exec(QStringLiteral("PRAGMA cache_size = -8192"));
    const qlonglong total = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.table), &ok);
    if (!ok) return false;
    bool remake = run.remake;
    // A grams index made elsewhere by another connection: left to it while
    // its maker lives, made anew when it ended unfinished.
    switch (gramsMaking(s)) {
    case GramsMaking::Going:
        if (!remake) return true;
        break;
    case GramsMaking::Ended:
        remake = true;
        break;
    case GramsMaking::None:
        break;
    }
    if (!remake) {
        // Most of the rows waiting (a mass import, update or deletion by
        // another program): making the index anew is quicker than taking
        // each indexed one out and putting it back, and makes the grams
        // beside on a second thread.
        const qlonglong queued = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.waiting), &ok);
        if (!ok) return false;
        remake = queued > kMostWaiting && queued * 2 > total;
    }
    // A whole index of many rows: its grams index is made beside the file
    // on a second thread meanwhile (where no side file can be made, here).
    std::unique_ptr<GramsElsewhere> side;
    if (remake && total > kMostWaiting) side = GramsElsewhere::start(s.c->path, s.n);
    if (remake && !transaction(s, [&] { return remakeIndex(s) && (!side || side->mark(s)); })) return false;
    // Each slice leaves a small segment in both indexes, which FTS5 merges
    // as it goes, four at a time by default. Merging sixteen at a time while
    // many slices run rewrites the index fewer times (a quarter less work);
    // the default comes back at the end.
    const auto mergeBy = [&s](int segments) { configureIndexes(s, "automerge", segments); };
    qlonglong waiting = s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(s.n.waiting), &ok);
    if (!ok) return false;
    if (run.progress && waiting > 0) run.progress(std::max<qlonglong>(0, total - waiting), total);
    const bool many = waiting > kMostWaiting;
    if (many) {
        mergeBy(16);
        // A level of sixteen segments is merged a little with every slice;
        // only at many more than that would FTS5 merge it whole at once, in
        // one slice of seconds that a user's write would wait for. The
        // setting stays with the index, so that no later write meets such a
        // merge either.
        configureIndexes(s, "crisismerge", kCrisisSegments);
    }
    const auto goOn = [&run] { return !(run.stop && run.stop->load()) && (!run.stillThere || run.stillThere()); };
    // Slices until nothing waits (Done), the run is stopped or the file
    // replaced (Stopped), or a slice failed.
    enum class Sliced { Done, Stopped, Failed };
    const auto sliceAll = [&](GramsElsewhere *to) {
        qlonglong most = 500;
        for (;;) {
            if (!goOn()) return Sliced::Stopped;
            QElapsedTimer timer;
            timer.start();
            qlonglong done = 0;
            if (!catchUpSlice(s, most, &done, to)) return Sliced::Failed;
            if (done == 0) return Sliced::Done;
            // Slices of about a tenth of a second.
            const qlonglong ms = std::max<qlonglong>(1, timer.elapsed());
            most = std::clamp<qlonglong>(most * kSliceMs / ms, 100, 5000);
            waiting = std::max<qlonglong>(0, waiting - done);
            if (run.progress) run.progress(std::max<qlonglong>(0, total - waiting), total);
            if (run.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(run.pauseMs));
        }
    };
    Sliced sliced = sliceAll(side.get());
    if (side && sliced != Sliced::Stopped) {
        QString why;
        if (sliced == Sliced::Done && side->finish(run.pauseMs, goOn, &why)) {
            // The rows written meanwhile.
            side.reset();
            sliced = sliceAll(nullptr);
        } else if (!goOn() || side->lost()) {
            // Stopped, or another program makes the index now: the making
            // is left as it is (an ended one is started anew next time).
            sliced = Sliced::Stopped;
        } else {
            // The side file failed (a full disk, say): the whole index is
            // made here after all.
            side.reset();
            if (!transaction(s, [&] { return remakeIndex(s); })) return false;
            waiting = total;
            sliced = sliceAll(nullptr);
        }
    }
    if (sliced == Sliced::Failed) return false;
    if (many) mergeBy(4);
    if (sliced == Sliced::Stopped) return true;
    if (many && !mergeDown(s, run)) return false;
    if (run.progress) run.progress(total, total);
    return true;
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
            {base + QStringLiteral("_追加"), base + QStringLiteral("_更新"), base + QStringLiteral("_削除")},
            base + QStringLiteral("字作成中")};
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
    // The tables that have an index, or what is left of one, beside them.
    QStringList tables;
    {
        QString error;
        const Statement st = c->prepare(QStringLiteral("SELECT DISTINCT t.name FROM sqlite_master t JOIN sqlite_master i "
                                                       "ON i.name IN (t.name || '_検索', t.name || '_検索字', t.name || '_検索待ち', t.name || '_検索字作成中') "
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
                // A grams index that another connection makes is left to it;
                // one whose making ended unfinished is made anew, whole.
                const GramsMaking making = indexPresent(s) ? gramsMaking(s) : GramsMaking::Ended;
                const bool present = making == GramsMaking::None;
                // A few rows are indexed at once, here; more on the thread;
                // none, and there is nothing to do.
                qlonglong pending = making == GramsMaking::Going ? 0 : 1;
                if (decide && s.error.isEmpty() && making != GramsMaking::Going) {
                    pending = present ? s.scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 LIMIT %2)")
                                                     .arg(names.waiting)
                                                     .arg(kQuickReports + 1))
                                      : s.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(names.table));
                    later = pending > kQuickReports;
                }
                if (!s.error.isEmpty()) {
                    error = Error(Error::Code::DatabaseFailed, text, s.error);
                } else if (!later && making != GramsMaking::Going && (pending > 0 || !present)) {
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
