// Speed of the calendar's month marks with the confirmation state on every
// benchmark data set that exists (bench/data; see bench/support/BenchData.h).
//
// Each data file is copied into a temporary folder, where a third of its
// reports get a confirmation (one in ten of those for a text since changed,
// so it reads 確認後に変更), written as a program from before the kept
// marker wrote them: a table without the marker's column, triggers and
// index. The first month read of that older file tells the month by the
// fingerprints and starts the fill of the marker behind the screen; the
// month is read again and again while the fill runs (the slowest and the
// middle read printed, and how long the fill took). Then, for the last full
// month and a month five years back, the marks as the main screen reads
// them (Confirmations::month: reports per day, and the confirmed and
// changed ones among them) beside the same two statements on bare SQLite,
// reading every column of every row, measured in the same run; medians over
// interleaved rounds and their ratio. The target: every read under 16 ms
// at 1,000,000 reports, during the fill as after it.
//
//   tqen_bench_confirm [reports]
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/Timing.h"
#include "model/Confirmations.h"
#include "platform/dao/Dao.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using tqen::bench::exec;

namespace {

// A third of the reports confirmed, one in ten of those for another text,
// in 日報確認 as a program from before the marker made it.
bool confirmAThird(const QString &path) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    exec(db, "begin");
    exec(db, "create table 日報確認 (確認番号 INTEGER, 日付 DATE, 顧客名 TEXT, 担当 TEXT, 確認者 TEXT, 確認日時 TEXT, "
             "コメント TEXT, 指紋 TEXT, 削除番号 INTEGER)");
    exec(db, "create index \"日報確認_1\" on 日報確認 (削除番号, 日付, 顧客名, 担当)");
    sqlite3_stmt *read = nullptr, *write = nullptr;
    sqlite3_prepare_v2(db, "select 日付, 顧客名, 担当, タイトル, メモ from 営業日報 where rowid % 3 = 0", -1, &read, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 日報確認 (確認番号, 日付, 顧客名, 担当, 確認者, 確認日時, コメント, 指紋) "
                       "values (?, ?, ?, ?, '部長', '2024/01/01 09:00:00', null, ?)",
                       -1, &write, nullptr);
    const auto text = [](sqlite3_stmt *st, int i) {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
    };
    qlonglong n = 0;
    while (sqlite3_step(read) == SQLITE_ROW) {
        ++n;
        const QByteArray print = tqen::model::Confirmations::fingerprint(n % 10 ? text(read, 3) : QStringLiteral("前の題"), text(read, 4));
        sqlite3_bind_int64(write, 1, n);
        for (int i = 0; i < 3; ++i)
            sqlite3_bind_text(write, 2 + i, reinterpret_cast<const char *>(sqlite3_column_text(read, i)),
                              sqlite3_column_bytes(read, i), SQLITE_TRANSIENT);
        sqlite3_bind_text(write, 5, print.constData(), int(print.size()), SQLITE_TRANSIENT);
        sqlite3_step(write);
        sqlite3_reset(write);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    const bool ok = exec(db, "commit");
    sqlite3_close(db);
    std::printf("  %lld confirmations written\n", n);
    return ok;
}

// The same two statements on bare SQLite: the reports per day, and the
// newest live confirmations of the period counted per day and marker.
void bare(const QString &path, const QString &first, const QString &last) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QString statements[] = {
        QStringLiteral("select 日付, count(*) as 件数 from 営業日報 where 日付 >= '%1' and 日付 <= '%2' group by 日付"),
        QStringLiteral("select c.日付, c.変更, count(*) from 日報確認 as c where c.削除番号 is null and "
                       "c.日付 >= '%1' and c.日付 <= '%2' and not exists (select 確認番号 from 日報確認 as n where "
                       "n.削除番号 is null and n.日付 = c.日付 and n.顧客名 = c.顧客名 and n.担当 = c.担当 and "
                       "n.確認番号 > c.確認番号) group by c.日付, c.変更")};
    for (const QString &sql : statements) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql.arg(first, last).toUtf8().constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(st); ++i) sqlite3_column_text(st, i);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication qapp(argc, argv);
    const auto sets = tqen::bench::chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (sets.empty()) return 1;
    for (const tqen::bench::DataSet &set : sets) {
        std::printf("%s\n", qPrintable(set.label));
        QTemporaryDir dir;
        const QString path = tqen::bench::copyInto(dir, set.data());
        if (path.isEmpty() || !confirmAThird(path)) {
            std::fprintf(stderr, "cannot prepare a copy of %s\n", qPrintable(set.data()));
            return 1;
        }
        // The newest day of the file decides the months.
        QDate newest;
        {
            auto db = tqen::dao::Database::open(path);
            auto rs = db.openRecordset(QStringLiteral("select max(日付) as d from 営業日報"));
            newest = rs.field(QStringLiteral("d")).toDate();
        }
        const QDate lastMonth = QDate(newest.year(), newest.month(), 1).addMonths(-1);
        // The older file's first read, then reads while the fill runs behind.
        {
            const QDate first = lastMonth, last = lastMonth.addDays(lastMonth.daysInMonth() - 1);
            tqen::Error e;
            QElapsedTimer fill;
            fill.start();
            const double ms = tqen::bench::timeMs([&] { tqen::model::Confirmations::month(path, first, last, {}, {}, &e); });
            if (!e.ok()) {
                std::fprintf(stderr, "the first read failed: %s\n", qPrintable(e.message()));
                return 1;
            }
            std::printf("  first month read of the older file, the marker filled behind it: %.2f ms\n", ms);
            std::vector<double> during;
            for (int i = 0; tqen::model::Confirmations::fillingMarkers(path); ++i) {
                const QDate m = i % 2 ? lastMonth : lastMonth.addYears(-5);
                during.push_back(tqen::bench::timeMs(
                    [&] { tqen::model::Confirmations::month(path, m, m.addDays(m.daysInMonth() - 1)); }));
                QThread::msleep(50);
            }
            const tqen::Error filled = tqen::model::Confirmations::waitForMarkers(path);
            if (!filled.ok()) {
                std::fprintf(stderr, "the fill failed: %s %s\n", qPrintable(filled.message()), qPrintable(filled.detail()));
                return 1;
            }
            std::printf("  the fill behind the screen took %.1f s\n", fill.elapsed() / 1000.0);
            if (!during.empty())
                std::printf("  %zu month reads during the fill: middle %.2f ms, slowest %.2f ms\n", during.size(),
                            tqen::bench::median(during), *std::max_element(during.begin(), during.end()));
        }
        for (const QDate &month : {lastMonth, lastMonth.addYears(-5)}) {
            const QDate first = month, last = month.addDays(month.daysInMonth() - 1);
            const auto marks = tqen::model::Confirmations::month(path, first, last);
            int reports = 0, confirmed = 0, changed = 0;
            for (const auto &d : marks) reports += d.reports, confirmed += d.confirmed, changed += d.changed;
            std::printf("  %s: %d reports, %d confirmed, %d changed since\n", qPrintable(first.toString(QStringLiteral("yyyy/MM"))),
                        reports, confirmed, changed);
            const QString label = QStringLiteral("  month marks with confirmations %1").arg(first.toString(QStringLiteral("yyyy/MM")));
            tqen::bench::compareMedians(
                qPrintable(label), 15, 2, [&](int) { tqen::model::Confirmations::month(path, first, last); },
                [&](int) { bare(path, first.toString(Qt::ISODate), last.toString(Qt::ISODate)); }, "sqlite");
        }
    }
    return 0;
}
