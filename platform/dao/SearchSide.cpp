// The grams index of a whole index made anew, made in a side file beside
// the data file while the catch-up writes the trigram index into the file
// (see GramsElsewhere in SearchImpl.h).
#include "platform/dao/Dao.h"
#include "platform/dao/SearchImpl.h"
#include "platform/dao/Statistics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

namespace tqen::dao::searchindex {

namespace {

// Rows handed over but not yet written: the catch-up waits beyond this many,
// so that words never pile up in memory.
constexpr std::size_t kMostBehind = 5000;
// The side file commits after this many rows (nobody else reads it), and
// FTS5 writes a segment whenever its words in memory reach this size: few
// and large segments, so that little has to be merged, and nothing whole
// (a level of 64 segments) at the end.
constexpr std::size_t kRowsPerCommit = 50000;
constexpr int kSideHashBytes = 8 << 20;
// Pages merged at once in the side file, and copied into the data file in
// one slice.
constexpr int kSideMergePages = 2000;
constexpr int kCopyPages = 2000;
// The side file's name in the data file's folder, which it is copied into.
const QString kAs = QStringLiteral("検索字側");

int run(sqlite3 *db, const QString &sql, QString *error) {
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK && error) *error = msg ? QString::fromUtf8(msg) : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_free(msg);
    return rc;
}

}  // namespace

struct GramsElsewhere::Impl {
    TextIndexNames names;
    QString dataPath;
    QTemporaryFile file;  // the side file's name, kept; the file goes with it
    ConnectionHandle db;
    Statement add, drop;
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    std::vector<GramsChange> queue;
    std::size_t behind = 0;
    bool finishing = false, quit = false, failed = false;
    std::atomic<bool> lost{false};
    std::atomic<bool> stopping{false};  // the program closes: no more writing
    QString error;

    explicit Impl(const QString &pattern) : file(pattern) {}
    ~Impl() {
        stopping = true;
        {
            std::lock_guard<std::mutex> hold(lock);
            quit = true;
        }
        wake.notify_all();
        if (thread.joinable()) thread.join();
        add.reset();
        drop.reset();
        db.reset();
    }

    QString name() const { return QFileInfo(file.fileName()).fileName(); }

    bool write(const GramsChange &c) {
        sqlite3_stmt *st = (c.drop ? drop : add).get();
        sqlite3_bind_int64(st, 1, c.id);
        sqlite3_bind_text64(st, 2, c.grams.data(), c.grams.size(), SQLITE_STATIC, SQLITE_UTF8);
        const bool ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
        return ok;
    }

    // Writes what is handed over, in order, until told to finish or quit.
    void work() {
        bool ok = run(db.get(), QStringLiteral("BEGIN"), nullptr) == SQLITE_OK;
        std::size_t sinceCommit = 0;
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            wake.wait(hold, [this] { return quit || finishing || !queue.empty(); });
            if (quit || queue.empty()) break;
            std::vector<GramsChange> batch;
            batch.swap(queue);
            hold.unlock();
            for (const GramsChange &c : batch)
                if (ok && !stopping.load(std::memory_order_relaxed)) ok = write(c);
            sinceCommit += batch.size();
            if (ok && sinceCommit >= kRowsPerCommit) {
                ok = run(db.get(), QStringLiteral("COMMIT"), nullptr) == SQLITE_OK &&
                     run(db.get(), QStringLiteral("BEGIN"), nullptr) == SQLITE_OK;
                sinceCommit = 0;
            }
            const std::size_t written = batch.size();
            batch.clear();
            hold.lock();
            behind -= written;
            if (!ok && !failed) {
                failed = true;
                error = QString::fromUtf8(sqlite3_errmsg(db.get()));
            }
            wake.notify_all();
        }
        if (!quit && ok && run(db.get(), QStringLiteral("COMMIT"), &error) != SQLITE_OK) failed = true;
    }

    // Merges the side index's levels down as the catch-up does in the file
    // (no level of sixteen segments left), with nobody to wait for.
    bool mergeDown(const std::function<bool()> &goOn) {
        const QString g = names.grams;
        if (run(db.get(), QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('usermerge', 16)").arg(g), &error) != SQLITE_OK)
            return false;
        for (;;) {
            if (!goOn()) return false;
            const int before = sqlite3_total_changes(db.get());
            if (run(db.get(), QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('merge', %2)").arg(g).arg(kSideMergePages), &error) !=
                SQLITE_OK)
                return false;
            if (sqlite3_total_changes(db.get()) - before < 2) return true;
        }
    }

    // Copies the side index into the file's empty grams index: its pages in
    // slices, then (with what names the pages) its structure and averages
    // and the page index in the last, which also drops the table that names
    // the side file. Until then the file's grams index stays empty.
    bool copyIn(int pauseMs, const std::function<bool()> &goOn) {
        // The side file stays locked while the file reads it, but only
        // against writers: opened again, it holds a read transaction.
        add.reset();
        drop.reset();
        sqlite3 *raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(file.fileName()).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        db.reset(raw);
        if (rc != SQLITE_OK || run(db.get(), QStringLiteral("BEGIN"), &error) != SQLITE_OK ||
            run(db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master"), &error) != SQLITE_OK)
            return false;
        // A connection of its own: the catch-up's has read the file's (empty)
        // grams index and would keep what it read.
        Database main = Database::open(dataPath);
        Connection *c = connectionOf(main);
        if (!c) {
            error = main.error();
            return false;
        }
        sqlite3 *m = c->db.get();
        run(m, QStringLiteral("PRAGMA cache_size = -8192"), nullptr);
        {
            // Read only: a transaction that wrote it too would have to
            // lock it whole to commit.
            const QString uri = QUrl::fromLocalFile(file.fileName()).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro");
            const Statement attach = c->prepare(QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(kAs), {uri}, &error);
            if (!attach || sqlite3_step(attach.get()) != SQLITE_DONE) {
                if (attach) error = c->lastError();
                return false;
            }
        }
        const QString data = names.grams + QStringLiteral("_data"), idx = names.grams + QStringLiteral("_idx");
        qlonglong last = 10;  // the pages come after the averages (1) and the structure (10)
        for (bool whole = false; !whole;) {
            if (!goOn()) return false;
            if (run(m, QStringLiteral("BEGIN IMMEDIATE"), &error) != SQLITE_OK) return false;
            const auto slice = [&] {
                Step s{c, {}, names};
                if (!GramsElsewhere::stillOursIn(s, name())) {
                    if (s.error.isEmpty()) lost = true;
                    error = s.error.isEmpty() ? QStringLiteral("the index was made anew by another program") : s.error;
                    return false;
                }
                qlonglong upTo = std::numeric_limits<qlonglong>::max();
                {
                    const Statement next = s.prepare(QStringLiteral("SELECT id FROM %1.%2 WHERE id > ?1 ORDER BY id LIMIT 1 OFFSET %3")
                                                         .arg(kAs, data)
                                                         .arg(kCopyPages - 1));
                    if (!next) return false;
                    sqlite3_bind_int64(next.get(), 1, last);
                    const int rc = sqlite3_step(next.get());
                    if (rc == SQLITE_ROW) upTo = sqlite3_column_int64(next.get(), 0);
                    else if (rc != SQLITE_DONE) return false;
                    else whole = true;
                }
                const Statement copy =
                    s.prepare(QStringLiteral("INSERT INTO main.%1 (id, block) SELECT id, block FROM %2.%1 WHERE id > ?1 AND id <= ?2").arg(data, kAs));
                if (!copy) return false;
                sqlite3_bind_int64(copy.get(), 1, last);
                sqlite3_bind_int64(copy.get(), 2, upTo);
                if (sqlite3_step(copy.get()) != SQLITE_DONE) return false;
                last = upTo;
                if (!whole) return true;
                return s.exec(QStringLiteral("INSERT OR REPLACE INTO main.%1 (id, block) SELECT id, block FROM %2.%1 WHERE id <= 10").arg(data, kAs)) &&
                       s.exec(QStringLiteral("DELETE FROM main.%1").arg(idx)) &&
                       s.exec(QStringLiteral("INSERT INTO main.%1 SELECT * FROM %2.%1").arg(idx, kAs)) &&
                       s.exec(QStringLiteral("DROP TABLE main.%1").arg(names.gramsElsewhere));
            };
            if (!slice() || run(m, QStringLiteral("COMMIT"), &error) != SQLITE_OK) {
                if (error.isEmpty()) error = c->lastError();
                sqlite3_exec(m, "ROLLBACK", nullptr, nullptr, nullptr);
                return false;
            }
            if (!whole && pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        }
        run(m, QStringLiteral("DETACH DATABASE %1").arg(kAs), nullptr);
        countGramsCopiedIn();
        return true;
    }
};

GramsElsewhere::GramsElsewhere(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

GramsElsewhere::~GramsElsewhere() = default;

std::unique_ptr<GramsElsewhere> GramsElsewhere::start(const QString &dataPath, const TextIndexNames &names) {
    const QFileInfo info(dataPath);
    auto impl = std::make_unique<Impl>(info.absoluteDir().filePath(QStringLiteral(".%1.検索字-XXXXXX").arg(info.fileName())));
    impl->names = names;
    impl->dataPath = dataPath;
    if (!impl->file.open()) return nullptr;
    impl->file.close();
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(impl->file.fileName()).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    impl->db.reset(raw);
    if (rc != SQLITE_OK) return nullptr;
    // A throw-away file: no journal, no waiting for the disk. Its first
    // write locks it for as long as the connection lives.
    for (const QString &sql : {QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), QStringLiteral("PRAGMA journal_mode = OFF"),
                               QStringLiteral("PRAGMA synchronous = OFF"), QStringLiteral("PRAGMA cache_size = -8192"),
                               textIndexSchema(names).at(1),
                               QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('automerge', 16)").arg(names.grams),
                               QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('crisismerge', 64)").arg(names.grams),
                               QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('hashsize', %2)").arg(names.grams).arg(kSideHashBytes)})
        if (run(raw, sql, nullptr) != SQLITE_OK) return nullptr;
    const auto prepare = [raw](const QString &sql) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(raw, sql.toUtf8().constData(), -1, &st, nullptr);
        return Statement(st);
    };
    impl->add = prepare(QStringLiteral("INSERT INTO %1 (rowid, 字) VALUES (?, ?)").arg(names.grams));
    impl->drop = prepare(QStringLiteral("INSERT INTO %1 (%1, rowid, 字) VALUES ('delete', ?, ?)").arg(names.grams));
    if (!impl->add || !impl->drop) return nullptr;
    Impl *p = impl.get();
    p->thread = std::thread([p] { p->work(); });
    return std::unique_ptr<GramsElsewhere>(new GramsElsewhere(std::move(impl)));
}

bool GramsElsewhere::mark(Step &s) {
    if (!s.exec(QStringLiteral("CREATE TABLE %1 (ファイル TEXT NOT NULL)").arg(s.n.gramsElsewhere))) return false;
    const Statement st = s.c->prepare(QStringLiteral("INSERT INTO %1 (ファイル) VALUES (?1)").arg(s.n.gramsElsewhere), {d->name()}, &s.error);
    if (!st) return false;
    if (sqlite3_step(st.get()) != SQLITE_DONE) {
        s.error = s.c->lastError();
        return false;
    }
    return true;
}

bool GramsElsewhere::stillOursIn(Step &s, const QString &name) {
    const Statement st = s.c->prepare(QStringLiteral("SELECT count(*) FROM main.%1 WHERE ファイル = ?1").arg(s.n.gramsElsewhere), {name}, &s.error);
    return st && sqlite3_step(st.get()) == SQLITE_ROW && sqlite3_column_int64(st.get(), 0) == 1;
}

bool GramsElsewhere::stillOurs(Step &s) {
    if (stillOursIn(s, d->name())) return true;
    if (s.error.isEmpty()) d->lost = true;
    return false;
}

bool GramsElsewhere::lost() const { return d->lost; }

bool gramsSearchable(Step &s) {
    return s.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = %1").arg(sqlText(s.n.gramsElsewhere))) == 0;
}

bool GramsElsewhere::give(std::vector<GramsChange> changes) {
    std::unique_lock<std::mutex> hold(d->lock);
    d->wake.wait(hold, [this] { return d->failed || d->behind < kMostBehind; });
    if (d->failed) return false;
    d->behind += changes.size();
    if (d->queue.empty()) {
        d->queue = std::move(changes);
    } else {
        d->queue.insert(d->queue.end(), std::make_move_iterator(changes.begin()), std::make_move_iterator(changes.end()));
    }
    d->wake.notify_all();
    return true;
}

bool GramsElsewhere::finish(int pauseMs, const std::function<bool()> &goOn, QString *error) {
    {
        std::lock_guard<std::mutex> hold(d->lock);
        d->finishing = true;
    }
    d->wake.notify_all();
    if (d->thread.joinable()) d->thread.join();
    bool ok = !d->failed && d->mergeDown(goOn);
    ok = ok && d->copyIn(pauseMs, goOn);
    if (!ok) *error = d->error;
    return ok;
}

GramsMaking gramsMaking(Step &s) {
    if (gramsSearchable(s)) return GramsMaking::None;
    QString name;
    {
        const Statement st = s.prepare(QStringLiteral("SELECT ファイル FROM %1").arg(s.n.gramsElsewhere));
        if (st && sqlite3_step(st.get()) == SQLITE_ROW)
            name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
    }
    // Only a name in the data file's own folder is taken.
    if (name.isEmpty() || name.contains(u'/') || name == QStringLiteral("..")) return GramsMaking::Ended;
    const QString path = QFileInfo(s.c->path).absoluteDir().filePath(name);
    if (!QFileInfo::exists(path)) return GramsMaking::Ended;
    // Its maker holds a lock on it as long as it lives.
    sqlite3 *raw = nullptr;
    GramsMaking making = GramsMaking::Ended;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(raw, 0);
        const int rc = sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) making = GramsMaking::Going;
        else if (rc == SQLITE_OK) sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(raw);
    if (making == GramsMaking::Ended) QFile::remove(path);
    return making;
}

}  // namespace tqen::dao::searchindex
