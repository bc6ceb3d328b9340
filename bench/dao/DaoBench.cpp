// Speed of the engine against SQLite itself, measured in the same run on
// every benchmark data set that exists (bench/data: 10,000, 100,000 and
// 1,000,000 reports, random and chronological; see bench/support/BenchData.h):
//
//  - the calendar's month query, as the main screen builds it, walked to its
//    end reading 日付, with the database opened and closed around it as the
//    program does, and also on a database held open, also with a customer
//    text that no earlier statement held;
//  - the list's one-month insert-select into w日報一覧 from the data file
//    named with "in '…'", run on a copy of the work file after emptying the
//    table (the data files are only read).
//
// Each line prints the engine's time per operation, the same statement run
// directly on SQLite, and their ratio (targets: ratio at most 1.5 and under
// 5 ms per month query). Timings are medians over interleaved rounds, so a
// busy machine slows both sides alike: each operation is timed on its own,
// the two sides alternating, and the medians compared.
//
//   tqen_bench_dao [reports]
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/Timing.h"
#include "platform/dao/Dao.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using tqen::dao::Database;
using tqen::dao::Recordset;
using tqen::dao::sqlDate;
using tqen::dao::sqlText;


namespace {

struct Month {
    QDate first, last;
    QString customer, staff;
};

// SQLite's own spelling of a text literal.
QString sqliteText(const QString &s) {
    QString t = s;
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}
QString sqliteDate(const QDate &d) { return u'\'' + d.toString(Qt::ISODate) + u'\''; }

// The calendar's statement, as the main screen writes it.
QString jetMonth(const Month &m, bool staff, bool customer) {
    QString sql = QStringLiteral("select * from 営業日報 where 日付 >= ") + sqlDate(m.first) + QStringLiteral(" and 日付 <= ") +
                  sqlDate(m.last);
    if (staff) sql += QStringLiteral(" and 担当 = ") + sqlText(m.staff);
    if (customer) sql += QStringLiteral(" and 顧客名 = ") + sqlText(m.customer);
    return sql + QStringLiteral("  order by 日付;");
}
QString sqliteMonth(const Month &m, bool staff, bool customer) {
    QString sql = QStringLiteral("SELECT * FROM 営業日報 WHERE 日付 >= ") + sqliteDate(m.first) + QStringLiteral(" AND 日付 <= ") +
                  sqliteDate(m.last);
    if (staff) sql += QStringLiteral(" AND 担当 = ") + sqliteText(m.staff);
    if (customer) sql += QStringLiteral(" AND 顧客名 = ") + sqliteText(m.customer);
    return sql + QStringLiteral(" ORDER BY 日付");
}

long long sink = 0;  // keeps the reads from being optimised away

long long walkEngine(Database &db, const QString &sql) {
    Recordset rs = db.openRecordset(sql);
    long long n = 0;
    for (; !rs.eof(); rs.moveNext()) n += rs.field(QStringLiteral("日付")).toDate().day();
    return n;
}

long long walkSqlite(sqlite3 *db, const QString &sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK) return -1;
    long long n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *d = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        n += QDate::fromString(QString::fromUtf8(d, sqlite3_column_bytes(st, 0)), Qt::ISODate).day();
    }
    sqlite3_finalize(st);
    return n;
}

sqlite3 *openSqlite(const QString &path) { return tqen::bench::openBare(path, SQLITE_OPEN_READWRITE); }

// The engine against the direct way, interleaved; prints and returns the ratio.
double compare(const char *what, int count, const std::function<void(int)> &engine,
               const std::function<void(int)> &direct) {
    return tqen::bench::compareMedians(what, count, 3, engine, direct, "sqlite");
}

// Every comparison on one data set; the worst ratio.
double runSet(const tqen::bench::DataSet &set) {
    const QString data = set.data();
    QTemporaryDir tmp;
    const QString work = tqen::bench::copyInto(tmp, QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"));
    if (work.isEmpty()) {
        std::fprintf(stderr, "cannot copy the work file into %s\n", qPrintable(tmp.path()));
        return 0;
    }

    // Months to ask for: the month, customer and staff of reports picked at
    // random, so that most queries find a report or two, as on the screen.
    std::vector<Month> months;
    {
        sqlite3 *db = openSqlite(data);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT 日付, 顧客名, 担当 FROM 営業日報 WHERE rowid = ?1", -1, &st, nullptr);
        std::mt19937 rng(7);
        sqlite3_int64 count = 0;
        sqlite3_stmt *c = nullptr;
        sqlite3_prepare_v2(db, "SELECT max(rowid) FROM 営業日報", -1, &c, nullptr);
        if (sqlite3_step(c) == SQLITE_ROW) count = sqlite3_column_int64(c, 0);
        sqlite3_finalize(c);
        for (int i = 0; i < 200 && count > 0; ++i) {
            sqlite3_reset(st);
            sqlite3_bind_int64(st, 1, std::uniform_int_distribution<sqlite3_int64>(1, count)(rng));
            if (sqlite3_step(st) != SQLITE_ROW) continue;
            const QDate day = QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))), Qt::ISODate);
            const QDate first(day.year(), day.month(), 1);
            months.push_back({first, first.addMonths(1).addDays(-1),
                              QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))),
                              QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)))});
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    if (months.empty()) {
        std::fprintf(stderr, "%s holds no reports\n", qPrintable(data));
        return 0;
    }
    const auto month = [&](int i) -> const Month & { return months[size_t(i) % months.size()]; };
    std::printf("== %s reports (%s, %zu sample months)\n", qPrintable(set.label), qPrintable(data), months.size());

    std::vector<double> ratios;
    // The calendar, as the program runs it: open, query, walk, close.
    ratios.push_back(compare(
        "month query, customer+staff (open, walk, close)", 2000,
        [&](int i) {
            Database db = Database::open(data);
            sink += walkEngine(db, jetMonth(month(i), true, true));
        },
        [&](int i) {
            sqlite3 *db = openSqlite(data);
            sink += walkSqlite(db, sqliteMonth(month(i), true, true));
            sqlite3_close(db);
        }));
    {
        Database held = Database::open(data);
        sqlite3 *raw = openSqlite(data);
        ratios.push_back(compare(
            "month query, customer+staff (database held open)", 4000,
            [&](int i) { sink += walkEngine(held, jetMonth(month(i), true, true)); },
            [&](int i) { sink += walkSqlite(raw, sqliteMonth(month(i), true, true)); }));
        // A customer typed for the first time: every statement text is new,
        // only its shape repeats.
        const auto typedAnew = [&](int i) {
            Month m = month(i);
            m.customer += QString::number(i);
            return m;
        };
        ratios.push_back(compare(
            "month query, a customer typed anew (held open)", 4000,
            [&](int i) { sink += walkEngine(held, jetMonth(typedAnew(i), true, true)); },
            [&](int i) { sink += walkSqlite(raw, sqliteMonth(typedAnew(i), true, true)); }));
        ratios.push_back(compare(
            "month query, staff only (held open)", 1000,
            [&](int i) { sink += walkEngine(held, jetMonth(month(i), true, false)); },
            [&](int i) { sink += walkSqlite(raw, sqliteMonth(month(i), true, false)); }));
        ratios.push_back(compare(
            "month query, no filter (held open)", 200,
            [&](int i) { sink += walkEngine(held, jetMonth(month(i), false, false)); },
            [&](int i) { sink += walkSqlite(raw, sqliteMonth(month(i), false, false)); }));
        sqlite3_close(raw);
    }

    // The list: empty w日報一覧 and fill it with one month of reports.
    const auto jetList = [&](int i) {
        const Month &m = month(i);
        return QStringLiteral("insert into w日報一覧 select 日付,顧客名,タイトル,担当 from 営業日報 in '") + data +
               QStringLiteral("' where 日付 >= ") + sqlDate(m.first) + QStringLiteral(" and 日付 <= ") + sqlDate(m.last) +
               QStringLiteral(" order by 日付 DESC,ふりがな;");
    };
    const auto sqliteList = [&](int i) {
        const Month &m = month(i);
        return QStringLiteral("INSERT INTO w日報一覧 (日付, 顧客名, タイトル, 担当) SELECT 日付, 顧客名, タイトル, 担当 FROM ext.営業日報 "
                              "WHERE 日付 >= ") +
               sqliteDate(m.first) + QStringLiteral(" AND 日付 <= ") + sqliteDate(m.last) +
               QStringLiteral(" ORDER BY 日付 DESC, ふりがな");
    };
    ratios.push_back(compare(
        "list insert-select, one month (open, delete, insert, close)", 40,
        [&](int i) {
            Database db = Database::open(work);
            if (!db.execute(QStringLiteral("delete * from w日報一覧"))) std::fprintf(stderr, "engine: %s\n", qPrintable(db.error()));
            if (!db.execute(jetList(i))) std::fprintf(stderr, "engine: %s\n", qPrintable(db.error()));
            sink += db.recordsAffected();
        },
        [&](int i) {
            sqlite3 *db = openSqlite(work);
            if (sqlite3_exec(db, "DELETE FROM w日報一覧", nullptr, nullptr, nullptr) != SQLITE_OK)
                std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
            const QByteArray attach = (QStringLiteral("ATTACH ") + sqliteText(data) + QStringLiteral(" AS ext")).toUtf8();
            sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr);
            const QByteArray insert = sqliteList(i).toUtf8();
            if (sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
            sink += sqlite3_changes(db);
            sqlite3_close(db);
        }));

    const double worst = *std::max_element(ratios.begin(), ratios.end());
    std::printf("%s: worst ratio %.2f (target at most 1.50)\n\n", qPrintable(set.label), worst);
    return worst;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // A size may be chosen: tqen_bench_dao 1000000
    const auto sets = tqen::bench::chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (sets.empty()) return 2;
    double worst = 0;
    for (const auto &set : sets) worst = std::max(worst, runSet(set));
    std::printf("worst ratio over every set %.2f (target at most 1.50)   [%lld]\n", worst, sink % 10);
    return 0;
}
