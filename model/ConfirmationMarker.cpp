// The kept marker of the confirmations: the triggers that keep it, its
// making in a table from before it (column, triggers, index), its fill
// behind the screen, and what copies of the data do with it.
#include "model/ConfirmationMarker.h"

#include "model/Values.h"
#include "platform/dao/Server.h"
#include "platform/files/Files.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <utility>

namespace tqen::model::Confirmations {

namespace detail {

const QStringList kFileTriggers{QStringLiteral("日報確認_変更_追加"), QStringLiteral("日報確認_変更_更新"),
                                QStringLiteral("日報確認_変更_削除")};
const QString kServerTrigger = QStringLiteral("日報確認_変更");

// Plain SQL pieces of the triggers: the live confirmations of a key.
const QString kLiveOfNew = QStringLiteral("削除番号 IS NULL AND 日付 = new.日付 AND 顧客名 = new.顧客名 AND 担当 = new.担当");
const QString kLiveOfOld = QStringLiteral("削除番号 IS NULL AND 日付 = old.日付 AND 顧客名 = old.顧客名 AND 担当 = old.担当");

QStringList fileTriggers() {
    const QString keyMoved =
        QStringLiteral("(old.日付 IS NOT new.日付 OR old.顧客名 IS NOT new.顧客名 OR old.担当 IS NOT new.担当)");
    const QString flagNew = QStringLiteral("  UPDATE 日報確認 SET 変更 = 1 WHERE ") + kLiveOfNew + QStringLiteral(" AND 変更 IS NOT 1;\n");
    const QString leaveOld =
        QStringLiteral("  UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE ") + kLiveOfOld + QStringLiteral(" AND 変更 IN (0, 1)");
    return {QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON 営業日報 BEGIN\n%2END").arg(kFileTriggers[0], flagNew),
            QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON 営業日報\n"
                           "WHEN %2 OR coalesce(old.タイトル, '') IS NOT coalesce(new.タイトル, '') "
                           "OR coalesce(old.メモ, '') IS NOT coalesce(new.メモ, '')\nBEGIN\n%3 AND %2;\n%4END")
                .arg(kFileTriggers[1], keyMoved, leaveOld, flagNew),
            QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON 営業日報 BEGIN\n%2;\nEND").arg(kFileTriggers[2], leaveOld)};
}

// `replace`: a trigger of the name may be there already (dropping it takes
// a lock that shuts the reports' readers out until the end of the
// transaction, so it is left out where the trigger is known to be absent).
QStringList serverTriggers(bool replace = true) {
    QStringList out{QStringLiteral(
                "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$\n"
                "BEGIN\n"
                "  IF TG_OP = 'DELETE' THEN\n"
                "    UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE %2 AND 変更 IN (0, 1);\n"
                "    RETURN NULL;\n"
                "  END IF;\n"
                "  IF TG_OP = 'UPDATE' THEN\n"
                "    IF old.日付 IS NOT DISTINCT FROM new.日付 AND old.顧客名 IS NOT DISTINCT FROM new.顧客名\n"
                "       AND old.担当 IS NOT DISTINCT FROM new.担当 THEN\n"
                "      IF coalesce(old.タイトル, '') = coalesce(new.タイトル, '') AND coalesce(old.メモ, '') = coalesce(new.メモ, '') THEN\n"
                "        RETURN NULL;\n"
                "      END IF;\n"
                "    ELSE\n"
                "      UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE %2 AND 変更 IN (0, 1);\n"
                "    END IF;\n"
                "  END IF;\n"
                "  UPDATE 日報確認 SET 変更 = 1 WHERE %3 AND 変更 IS DISTINCT FROM 1;\n"
                "  RETURN NULL;\n"
                "END $$")
                .arg(kServerTrigger, kLiveOfOld, kLiveOfNew)};
    if (replace) out << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON 営業日報").arg(kServerTrigger);
    out << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON 営業日報 FOR EACH ROW EXECUTE FUNCTION %1()")
               .arg(kServerTrigger);
    return out;
}


const QString kIndex = QStringLiteral("日報確認_1");
const QString kIndexColumns = QStringLiteral("(削除番号, 日付, 顧客名, 担当, 確認番号, 変更)");
// Two programs meeting the table or its marker missing on a server make it
// once: under the lock the added tables are made under, then asked again.
const QString kTablesLock = QStringLiteral("SELECT pg_advisory_xact_lock(7401, 1)");

// Asked of the catalogue's tables alone: a function such as
// pg_get_indexdef fails on an index that another program drops meanwhile.
std::optional<Kept> probe(dao::Database &db, QString *why) {
    const auto counts = dao::queryNative(
        db,
        QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '日報確認'), "
                       "(SELECT count(*) FROM pragma_table_info('日報確認') WHERE name = '変更'), "
                       "(SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = '営業日報' AND name IN "
                       "('%1', '%2', '%3')), "
                       "(SELECT count(*) FROM pragma_index_info('%4') WHERE name = '変更')")
            .arg(kFileTriggers[0], kFileTriggers[1], kFileTriggers[2], kIndex),
        QStringLiteral("SELECT (SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = '日報確認'), "
                       "(SELECT count(*) FROM information_schema.columns WHERE table_schema = current_schema() "
                       "AND table_name = '日報確認' AND column_name = '変更'), "
                       "(SELECT count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                       "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                       "AND c.relname = '営業日報' AND t.tgname = '%1') * 3, "
                       "(SELECT count(*) FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid "
                       "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_attribute a ON a.attrelid = i.indrelid "
                       "AND a.attnum = ANY (i.indkey) WHERE n.nspname = current_schema() AND c.relname = '%2' "
                       "AND a.attname = '変更')")
            .arg(kServerTrigger, kIndex),
        why);
    if (!counts || counts->size() < 4) return std::nullopt;
    return Kept{counts->at(0) > 0, counts->at(1) > 0, counts->at(2) == 3, counts->at(3) > 0};
}

extern const QString kMarkText;
const QString kMarkText = QStringLiteral("営業日報の確認の状態を記録できませんでした。");

// Inside the caller's write transaction: makes the table with its marker
// (column, index, triggers) when the database lacks it, and tells what the
// database keeps. A table from before the marker is left as it is: its
// marker is made and filled behind the screen (fillBehind).
Error makeTableIn(dao::Database &db, Kept *kept) {
    QString why;
    std::optional<Kept> k = probe(db, &why);
    if (k && !k->table) {
        if (Error e = dao::executeNative(db, {}, {kTablesLock}); !e.ok()) return e;
        k = probe(db, &why);
        if (k && !k->table) {
            if (Error e = dao::ensureTable(db, definition()); !e.ok()) return e;
            if (Error e = dao::executeNative(db, fileTriggers(), serverTriggers()); !e.ok()) return e;
            k = Kept{true, true, true, true};
        }
    }
    if (!k) return Error(Error::Code::DatabaseFailed, kMarkText, why);
    *kept = *k;
    return {};
}

// The marker's index in place of the one the table has. On a file in one
// go (the file's readers go on reading the old one until the commit); on a
// server the new one is made beside the old one, then takes its name.
QStringList fileIndexStatements() {
    return {QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(kIndex),
            QStringLiteral("CREATE INDEX \"%1\" ON 日報確認 %2").arg(kIndex, kIndexColumns)};
}
const QString kMadeIndex = kIndex + QStringLiteral("_新");
QStringList serverIndexMade() {
    return {QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(kMadeIndex),
            QStringLiteral("CREATE INDEX \"%1\" ON 日報確認 %2").arg(kMadeIndex, kIndexColumns)};
}
QStringList serverIndexNamed() {
    return {QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(kIndex),
            QStringLiteral("ALTER INDEX \"%1\" RENAME TO \"%2\"").arg(kMadeIndex, kIndex)};
}
const QString kFileColumn = QStringLiteral("ALTER TABLE 日報確認 ADD COLUMN 変更 INTEGER");
const QString kServerColumn = QStringLiteral("ALTER TABLE 日報確認 ADD COLUMN 変更 bigint");

// A step of the upgrade that meets another program at work is tried again
// after this pause, this many times at most.
constexpr int kUpgradePauseMs = 100, kUpgradeTries = 50;

// Gives a table from before the marker its column and triggers in one short
// write transaction, and its index in another. A marker kept while no
// trigger watched the reports cannot be trusted: the live ones become
// unknown. *present is false when there is no table.
//
// On a server each step first takes every lock it needs, the reports'
// before the confirmations' as the users' writes take them, waiting a
// moment at most; so it never waits for a user while holding what the user
// waits for, and a user who meets it busy waits for that one step alone.
Error upgradeIn(dao::Database &db, bool *present) {
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kMarkText, why);
    *present = kept->table;
    const bool server = dao::isServerUri(db.path());
    const auto step = [&](const QStringList &locks, const std::function<Error()> &work) -> Error {
        Error e;
        for (int attempt = 0; attempt < kUpgradeTries; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kUpgradePauseMs));
            if (!db.beginWriteTrans()) return dao::failure(kMarkText, db);
            QStringList first{QStringLiteral("SET LOCAL lock_timeout = '200ms'")};
            first << locks << kTablesLock;
            e = dao::executeNative(db, {}, first);
            if (!e.ok()) {
                db.rollback();
                continue;  // another program at work
            }
            kept = probe(db, &why);
            if (!kept) e = Error(Error::Code::DatabaseFailed, kMarkText, why);
            if (e.ok()) e = work();
            if (e.ok() && !db.commitTrans()) e = dao::failure(kMarkText, db);
            if (e.ok()) return e;
            db.rollback();
            if (!server) return e;
        }
        return e;
    };
    if (kept->table && !kept->marker()) {
        const QStringList locks{QStringLiteral("LOCK TABLE 営業日報 IN SHARE ROW EXCLUSIVE MODE"),
                                kept->column ? QStringLiteral("LOCK TABLE 日報確認 IN EXCLUSIVE MODE")
                                             : QStringLiteral("LOCK TABLE 日報確認 IN ACCESS EXCLUSIVE MODE")};
        const Error e = step(locks, [&]() -> Error {
            if (kept->marker()) return {};
            if (!kept->column)
                if (Error e = dao::executeNative(db, {kFileColumn}, {kServerColumn}); !e.ok()) return e;
            if (!kept->triggers) {
                if (Error e = dao::executeNative(db, fileTriggers(), serverTriggers(false)); !e.ok()) return e;
                if (kept->column && !db.execute(QStringLiteral("update 日報確認 set 変更 = Null where 削除番号 is null")))
                    return dao::failure(kMarkText, db);
            }
            return {};
        });
        if (!e.ok()) return e;
    }
    if (!kept->table || kept->index) return {};
    if (!server) return step({}, [&]() -> Error { return kept->index ? Error() : dao::executeNative(db, fileIndexStatements(), {}); });
    if (Error e = step({QStringLiteral("LOCK TABLE 日報確認 IN SHARE MODE")},
                       [&]() -> Error { return kept->index ? Error() : dao::executeNative(db, {}, serverIndexMade()); });
        !e.ok())
        return e;
    return step({QStringLiteral("LOCK TABLE 日報確認 IN ACCESS EXCLUSIVE MODE")},
                [&]() -> Error { return kept->index ? Error() : dao::executeNative(db, {}, serverIndexNamed()); });
}

// What one slice of the fill writes: the markers of the live confirmations
// of the days from `from` to before `to` whose marker is unknown, from
// their fingerprints: 0 where the report is as confirmed, 1 where it
// differs, 2 where no report has the key. Rows are named by day and number,
// many to a statement; the rare number that two rows of a day share is
// written by its key and fingerprint as well.
struct SlicePlan {
    QDate from, to;
    std::map<std::pair<QDate, int>, QStringList> byDay;  // (day, marker): numbers
    struct Keyed {
        QDate day;
        qlonglong number;
        QString customer, staff, print;
        int marker;
    };
    QList<Keyed> keyed;
};

Error planSlice(dao::Database &db, SlicePlan *plan) {
    const QVariantList span{plan->from, plan->to};
    std::set<std::pair<QDate, qlonglong>> shared;
    {
        auto rs = select(db,
                         QStringLiteral("select 日付, 確認番号 from 日報確認 where 削除番号 is null and 日付 >= ? and 日付 < ? "
                                        "and 変更 is null group by 日付, 確認番号 having count(*) > 1"),
                         span);
        if (!rs.isOpen()) return dao::failure(kMarkText, db, rs);
        for (; !rs.eof(); rs.moveNext())
            shared.insert({dateOf(rs.field(QStringLiteral("日付"))), rs.field(QStringLiteral("確認番号")).toLongLong()});
    }
    // Per confirmation row (a file may hold a report twice: each copy must
    // be as confirmed for a 0).
    std::map<std::tuple<QDate, qlonglong, QString, QString, QString>, bool> same;
    auto rs = select(db,
                     QStringLiteral("select 確認番号, 指紋, 日報確認.日付 as 日, 日報確認.顧客名 as 顧客, 日報確認.担当 as 担当者, "
                                    "タイトル, メモ from 日報確認, 営業日報 where 日報確認.削除番号 is null and "
                                    "日報確認.日付 >= ? and 日報確認.日付 < ? and 日報確認.変更 is null and "
                                    "営業日報.日付 = 日報確認.日付 and 営業日報.顧客名 = 日報確認.顧客名 and "
                                    "営業日報.担当 = 日報確認.担当"),
                     span);
    if (!rs.isOpen()) return dao::failure(kMarkText, db, rs);
    for (; !rs.eof(); rs.moveNext()) {
        const QString print = rs.field(QStringLiteral("指紋")).toString();
        const bool equal = print.toLatin1() == fingerprint(textOf(rs.field(QStringLiteral("タイトル"))),
                                                             textOf(rs.field(QStringLiteral("メモ"))));
        const auto row = std::make_tuple(dateOf(rs.field(QStringLiteral("日"))), rs.field(QStringLiteral("確認番号")).toLongLong(),
                                         textOf(rs.field(QStringLiteral("顧客"))), textOf(rs.field(QStringLiteral("担当者"))), print);
        const auto [it, added] = same.emplace(row, equal);
        if (!added) it->second = it->second && equal;
    }
    for (const auto &[row, equal] : same) {
        const auto &[day, number, customer, staff, print] = row;
        const int marker = equal ? kUnchanged : kChanged;
        if (shared.count({day, number})) plan->keyed.append({day, number, customer, staff, print, marker});
        else plan->byDay[{day, marker}] << QString::number(number);
    }
    return {};
}

// Inside the caller's write transaction.
Error applySlice(dao::Database &db, const SlicePlan &plan) {
    for (const SlicePlan::Keyed &k : plan.keyed)
        if (!run(db,
                 QStringLiteral("update 日報確認 set 変更 = ? where 削除番号 is null and 変更 is null and 日付 = ? and "
                                "顧客名 = ? and 担当 = ? and 確認番号 = ? and 指紋 = ?"),
                 {k.marker, k.day, k.customer, k.staff, k.number, k.print}))
            return dao::failure(kMarkText, db);
    for (const auto &[dayMarker, numbers] : plan.byDay)
        if (!run(db,
                 QStringLiteral("update 日報確認 set 変更 = %1 where 削除番号 is null and 日付 = ? and 変更 is null and "
                                "確認番号 in (%2)")
                     .arg(dayMarker.second)
                     .arg(numbers.join(u',')),
                 {dayMarker.first}))
            return dao::failure(kMarkText, db);
    // What is left has no report.
    if (!run(db, QStringLiteral("update 日報確認 set 変更 = 2 where 削除番号 is null and 日付 >= ? and 日付 < ? and 変更 is null"),
             {plan.from, plan.to}))
        return dao::failure(kMarkText, db);
    return {};
}

// One slice of the fill. A report that changed or left between the reading
// and the writing would leave a marker that says otherwise (one added or
// moved onto a key is marked by its trigger either way), so:
//   on a file the slice is read in a read transaction and written in a
//   write transaction only when no other program wrote in between (the
//   file's data version tells), so the file's write lock is held for the
//   few updates alone: a program that reads and then writes in a
//   transaction of its own is refused while another holds that lock;
//   on a server the slice's reports are held for the slice, without waiting
//   for a writer at work.
// *retry when another program was at work: nothing written, try again later.
Error fillSlice(dao::Database &db, const QDate &from, const QDate &to, bool *retry) {
    *retry = false;
    SlicePlan plan{from, to, {}, {}};
    const auto fail = [&db](const Error &e) {
        db.rollback();
        return e;
    };
    if (dao::isServerUri(db.path())) {
        if (!db.beginWriteTrans()) return dao::failure(kMarkText, db);
        const Error held = dao::executeNative(
            db, {},
            {QStringLiteral("SET LOCAL lock_timeout = '100ms'"),
             QStringLiteral("SELECT 1 FROM 営業日報 WHERE 日付 >= '%1' AND 日付 < '%2' FOR SHARE NOWAIT")
                 .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate))});
        if (!held.ok()) {
            *retry = true;
            return fail(held);
        }
        if (Error e = planSlice(db, &plan); !e.ok()) return fail(e);
        if (Error e = applySlice(db, plan); !e.ok()) return fail(e);
        if (!db.commitTrans()) return fail(dao::failure(kMarkText, db));
        return {};
    }
    const auto version = [&db](qlonglong *v) -> Error {
        QString why;
        const auto got = dao::queryNative(db, QStringLiteral("PRAGMA data_version"), {}, &why);
        if (!got || got->isEmpty()) return Error(Error::Code::DatabaseFailed, kMarkText, why);
        *v = got->first();
        return {};
    };
    qlonglong read = 0, now = 0;
    if (!db.beginTrans()) return dao::failure(kMarkText, db);
    if (Error e = planSlice(db, &plan); !e.ok()) return fail(e);
    if (Error e = version(&read); !e.ok()) return fail(e);
    db.rollback();
    if (!db.beginWriteTrans()) {
        *retry = true;
        return dao::failure(kMarkText, db);
    }
    if (Error e = version(&now); !e.ok()) return fail(e);
    if (now != read) {
        *retry = true;
        return fail(Error(Error::Code::DatabaseFailed, kMarkText, QStringLiteral("written meanwhile")));
    }
    if (Error e = applySlice(db, plan); !e.ok()) return fail(e);
    if (!db.commitTrans()) return fail(dao::failure(kMarkText, db));
    return {};
}

// A fill takes transactions of about this long, with a pause between two:
// a reader waits for the commit of one at most (a few tens of milliseconds
// where a slice's rows lie all over the file).
constexpr qint64 kSliceMs = 25;
// A slice that meets another program at work is tried again after a pause,
// this many times in a row at most.
constexpr int kMostBusy = 100;

// The fill; `wanted` gives (and forgets) a period a read met unknown, which
// is filled next, before the sweep over all days goes on.
using Wanted = std::function<std::optional<std::pair<QDate, QDate>>()>;
Error fillOn(const QString &path, const MarkerFill &how, const std::atomic<bool> *stop, const Wanted &wanted = {}) {
    const auto stopped = [stop] { return stop && stop->load(); };
    if (how.beforeEachStep) how.beforeEachStep();
    auto db = dao::Database::open(path);
    if (!db.isOpen()) return dao::failure(kMarkText, db);
    // A file renamed over the path (a restore) is not this connection's:
    // its slices would be written to the old one, the journal beside the new.
    const bool server = dao::isServerUri(path);
    const quint64 identity = server ? 0 : files::fileIdentity(path);
    const auto replaced = [&] { return !server && files::fileIdentity(path) != identity; };
    // The new index stays in memory until it is written, so that readers
    // are not shut out of the file before then.
    if (!server) dao::executeNative(db, {QStringLiteral("PRAGMA cache_size = -131072")}, {});
    bool present = false;
    const Error upgraded = upgradeIn(db, &present);
    // A slice's changes stay in memory until it commits as well: written
    // out before, they would shut the readers out from then on.
    if (!server) dao::executeNative(db, {QStringLiteral("PRAGMA cache_size = -16384")}, {});
    if (!upgraded.ok() || !present) return upgraded;
    QDate day, last;
    {
        auto rs = db.openRecordset(QStringLiteral("select min(日付) as 最初, max(日付) as 最後 from 日報確認 "
                                                  "where 削除番号 is null and 変更 is null"));
        if (!rs.isOpen()) return dao::failure(kMarkText, db, rs);
        day = dateOf(rs.field(QStringLiteral("最初")));
        last = dateOf(rs.field(QStringLiteral("最後")));
    }
    qint64 days = how.sliceDays > 0 ? how.sliceDays : 7;
    int busy = 0;
    // One slice and the pause after it; *again when it is to be tried again.
    const auto slice = [&](const QDate &from, const QDate &to, bool *again) -> Error {
        if (how.beforeEachStep) how.beforeEachStep();
        QElapsedTimer timer;
        timer.start();
        bool retry = false;
        *again = false;
        if (Error e = fillSlice(db, from, to, &retry); !e.ok()) {
            if (!retry || ++busy > kMostBusy) return e;
            *again = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(std::max(how.pauseMs, 20) * 5));
            return {};
        }
        busy = 0;
        // A slice over days filled already (the month a read wanted) is
        // quick and says little of the next: the span at most doubles.
        if (how.sliceDays <= 0)
            days = std::clamp<qint64>(std::min(days * 2, days * kSliceMs / std::max<qint64>(1, timer.elapsed())), 1, 366);
        if (how.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(how.pauseMs));
        return {};
    };
    const auto span = [&](QDate from, const QDate &until) -> Error {
        while (from < until && !stopped() && !replaced()) {
            const QDate to = std::min(from.addDays(days), until);
            bool again = false;
            if (Error e = slice(from, to, &again); !e.ok()) return e;
            if (!again) from = to;
        }
        return {};
    };
    while (day.isValid() && day <= last) {
        if (stopped() || replaced()) return {};
        if (wanted)
            while (const auto w = wanted())
                if (Error e = span(w->first, w->second.addDays(1)); !e.ok()) return e;
        const QDate to = day.addDays(days);
        bool again = false;
        if (Error e = slice(day, to, &again); !e.ok()) return e;
        if (!again) day = to;
    }
    if (stopped() || replaced()) return {};
    if (how.beforeEachStep) how.beforeEachStep();
    // Rows without a day have no report.
    if (!db.execute(QStringLiteral("update 日報確認 set 変更 = 2 where 削除番号 is null and 日付 is null and 変更 is null")))
        return dao::failure(kMarkText, db);
    return {};
}

// The fills running, one per data database at most, and how the last one
// there ended: a database that could not be written is tried again a
// minute later at the earliest.
class Fills {
public:
    ~Fills() { stopAll(); }

    static Fills &instance() {
        static Fills fills;
        return fills;
    }

    void start(const QString &path, const QDate &first, const QDate &last) {
        std::lock_guard<std::mutex> hold(lock_);
        Fill &f = fills_[path];
        if (first.isValid()) f.wanted = std::make_pair(first, last);
        if (f.running || (f.failed && f.ended.isValid() && f.ended.elapsed() < kRetryMs)) return;
        if (f.worker.joinable()) f.worker.join();  // ended: nothing holds it
        f.running = true;
        f.stop = false;
        if (!exitHooked_) {
            // Stopped before the application's objects go, not after.
            exitHooked_ = true;
            qAddPostRoutine([] { instance().stopAll(); });
        }
        Fill *fill = &f;
        f.worker = std::thread([this, path, fill] {
            MarkerFill how;
            const Wanted wanted = [this, fill]() -> std::optional<std::pair<QDate, QDate>> {
                std::lock_guard<std::mutex> hold(lock_);
                return std::exchange(fill->wanted, std::nullopt);
            };
            finish(fill, fillOn(path, how, &fill->stop, wanted));
        });
    }

    // Runs a fill on the calling thread (one behind the screen there is
    // stopped first); reads meanwhile start none.
    Error runHere(const QString &path, const MarkerFill &how) {
        std::thread old;
        Fill *fill = nullptr;
        {
            std::unique_lock<std::mutex> hold(lock_);
            fill = &fills_[path];
            fill->stop = true;
            ended_.wait(hold, [fill] { return !fill->running; });
            old = std::move(fill->worker);
            fill->running = true;
            fill->stop = false;
        }
        if (old.joinable()) old.join();
        const Error e = fillOn(path, how, nullptr);
        finish(fill, e);
        return e;
    }

    // Whether the last fill there failed (a file that cannot be written),
    // so that none runs for a while.
    bool failed(const QString &path) {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = fills_.find(path);
        return it != fills_.end() && !it->second.running && it->second.failed;
    }

    bool running(const QString &path) {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = fills_.find(path);
        return it != fills_.end() && it->second.running;
    }

    Error wait(const QString &path) {
        std::unique_lock<std::mutex> hold(lock_);
        const auto it = fills_.find(path);
        if (it == fills_.end()) return {};
        ended_.wait(hold, [&] { return !it->second.running; });
        return it->second.error;
    }

    void stopAll() {
        std::vector<std::thread> workers;
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (auto &[path, f] : fills_) {
                f.stop = true;
                if (f.worker.joinable()) workers.push_back(std::move(f.worker));
            }
        }
        for (std::thread &w : workers) w.join();
    }

private:
    static constexpr qint64 kRetryMs = 60000;
    struct Fill {
        std::atomic<bool> stop{false};
        bool running = false;
        bool failed = false;
        QElapsedTimer ended;
        Error error;
        std::optional<std::pair<QDate, QDate>> wanted;
        std::thread worker;
    };

    void finish(Fill *fill, const Error &e) {
        std::lock_guard<std::mutex> hold(lock_);
        fill->error = e;
        fill->failed = !e.ok();
        fill->ended.start();
        fill->running = false;
        ended_.notify_all();
    }

    std::mutex lock_;
    std::condition_variable ended_;
    std::map<QString, Fill> fills_;
    bool exitHooked_ = false;
};

// Starts the fill of a database's unknown markers behind the screen, unless
// one runs there already; the period read (if given) is filled first.
// False when the last fill there failed: the markers stay unknown a while.
bool fillBehind(const dao::Database &db, const QDate &first, const QDate &last) {
    Fills::instance().start(db.path(), first, last);
    return !Fills::instance().failed(db.path());
}

}  // namespace detail

using namespace detail;

Error fillMarkers(const QString &dataDbPath, const MarkerFill &how) { return Fills::instance().runHere(dataDbPath, how); }

bool fillingMarkers(const QString &dataDbPath) { return Fills::instance().running(dataDbPath); }

Error waitForMarkers(const QString &dataDbPath) { return Fills::instance().wait(dataDbPath); }

void stopFillingMarkers() { Fills::instance().stopAll(); }

std::optional<bool> keepsMarker(dao::Database &db, QString *why) {
    const std::optional<Kept> kept = probe(db, why);
    if (!kept) return std::nullopt;
    return kept->marker();
}

Error beforeCopyIn(dao::Database &target) {
    QString why;
    const std::optional<Kept> kept = probe(target, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kMarkText, why);
    if (!kept->table) return {};
    if (!kept->column)
        if (Error e = dao::executeNative(target, {kFileColumn}, {kServerColumn}); !e.ok()) return e;
    if (!kept->index)
        if (Error e = dao::executeNative(target, fileIndexStatements(), serverIndexMade() + serverIndexNamed()); !e.ok())
            return e;
    QStringList drop;
    for (const QString &t : kFileTriggers) drop << QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(t);
    return dao::executeNative(target, drop, {QStringLiteral("DROP TRIGGER IF EXISTS %1 ON 営業日報").arg(kServerTrigger)});
}

Error afterCopyIn(dao::Database &target, bool markersKnown) {
    QString why;
    const std::optional<Kept> kept = probe(target, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kMarkText, why);
    if (!kept->table) return {};
    if (!markersKnown && !target.execute(QStringLiteral("update 日報確認 set 変更 = Null where 削除番号 is null")))
        return dao::failure(kMarkText, target);
    return dao::executeNative(target, fileTriggers(), serverTriggers());
}

}  // namespace tqen::model::Confirmations
