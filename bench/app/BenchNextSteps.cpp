// Speed of the next steps on every benchmark data set that exists
// (bench/data: 10,000, 100,000 and 1,000,000 reports; see
// bench/support/BenchData.h):
//
//  - the tab "予定": the open steps of the staff member who has the most,
//    read and shown in the tab's list (NextStepsTab::refresh);
//  - the month marks with planned days: the reports per day and the planned
//    days of one staff member and customer for a month (what SetMarkDate
//    reads), for the month of the file's newest report.
//
// Each data file is copied to a temporary folder and given next steps: every
// 20th report plans a visit 7 days later, closed by the day after unless it
// falls in the file's last three months. Each action is printed beside the bare
// SQLite statements that give the same rows, measured in the same run, and
// their ratio. Medians over interleaved rounds.
//
// With --server the 100,000 reports' copy, with its steps, is copied into a
// schema of its own on a PostgreSQL server (made afresh, dropped at the end)
// and the same actions are measured there, beside the same statements sent
// with bare libpq on one connection.
//
//   QT_QPA_PLATFORM=offscreen tqen_bench_next_steps [reports]
//   QT_QPA_PLATFORM=offscreen tqen_bench_next_steps --server [postgresql-uri]   (default TQEN_TEST_PG_URI)
#include "app/NextStepsTab.h"
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/ServerSchema.h"
#include "bench/support/Timing.h"
#include "model/DataCopy.h"
#include "model/NextSteps.h"
#include "model/Schema.h"
#include "model/Reports.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

using tqen::bench::scalar;

namespace {

// Runs one statement on SQLite with its texts bound, reading every column of
// every row.
void bare(const QString &path, const char *sql, const QStringList &texts) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    std::vector<QByteArray> held;
    for (int i = 0; i < texts.size(); ++i) {
        held.push_back(texts[i].toUtf8());
        sqlite3_bind_text(st, i + 1, held.back().constData(), int(held.back().size()), SQLITE_STATIC);
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c) sqlite3_column_text(st, c);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// The program makes the table (with its indexes) as on a first step; the
// rows come from the reports in one statement.
bool addSteps(const QString &path, const QDate &lastMonth) {
    {
        auto db = tqen::dao::Database::open(path);
        if (!db.beginTrans() || !tqen::dao::ensureTable(db, tqen::model::NextSteps::definition()).ok() || !db.commitTrans())
            return false;
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray sql =
        QStringLiteral("INSERT INTO 次回予定 (日付, 顧客名, 担当, 予定日, 内容, 完了日) "
                       "SELECT 日付, 顧客名, 担当, date(日付, '+7 days'), '次回訪問', "
                       "CASE WHEN date(日付, '+7 days') < '%1' THEN date(日付, '+8 days') END "
                       "FROM 営業日報 WHERE rowid % 20 = 0")
            .arg(lastMonth.toString(Qt::ISODate))
            .toUtf8();
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK &&
                    sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Runs one statement on the server with its texts as parameters, reading
// every value.
void bareServer(PGconn *c, const char *sql, const QStringList &texts) {
    std::vector<QByteArray> held;
    std::vector<const char *> values;
    for (const QString &t : texts) held.push_back(t.toUtf8());
    for (const QByteArray &h : held) values.push_back(h.constData());
    PGresult *r = PQexecParams(c, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    for (int row = 0; row < PQntuples(r); ++row)
        for (int col = 0; col < PQnfields(r); ++col) PQgetvalue(r, row, col);
    PQclear(r);
}

// The tab and the month marks on the server, the data copied from the file.
int onServer(const QString &base, const QString &data, const QString &staff, const QString &customer, const QDate &month) {
    const tqen::bench::ServerSchema schema(base, "tqen_bench_steps");
    if (!schema.ok()) return 1;
    const QString &uri = schema.uri();
    tqen::model::schema::useSchemaOnServers();
    tqen::model::CopyOptions options;
    options.mergeDuplicates = true;
    options.addedTables = {tqen::model::NextSteps::definition()};
    tqen::model::CopyOutcome outcome;
    const tqen::Error copied = tqen::model::copyData(data, uri, options, &outcome);
    int status = 0;
    if (!copied.ok()) {
        std::fprintf(stderr, "copy to the server failed: %s %s\n", qPrintable(copied.message()), qPrintable(copied.detail()));
        status = 1;
    } else {
        PGconn *bare = PQconnectdb(uri.toUtf8().constData());
        PQclear(PQexec(bare, "ANALYZE"));
        std::printf("on the server %s:\n", qPrintable(tqen::dao::serverHost(uri)));
        tqen::NextStepsTab tab([&] { return tqen::NextStepsTab::Context{uri, staff}; });
        tab.resize(600, 400);
        tqen::bench::compareMedians(
            "  the tab 予定 (open steps read and listed)", 41, 3, [&](int) { tab.refresh(); },
            [&](int) {
                bareServer(bare, "SELECT * FROM 次回予定 WHERE 完了日 IS NULL AND 担当 = $1 ORDER BY 予定日, 顧客名, 日付",
                           {staff});
            },
            "libpq");
        const QDate last = month.addDays(month.daysInMonth() - 1);
        tqen::bench::compareMedians(
            "  month marks with planned days (counts + planned)", 41, 3,
            [&](int) {
                tqen::model::Reports::countsByDay(uri, month, last, staff, customer);
                tqen::model::NextSteps::plannedDays(uri, month, last, staff, customer);
            },
            [&](int) {
                const QStringList values{month.toString(Qt::ISODate), last.toString(Qt::ISODate), staff, customer};
                bareServer(bare,
                           "SELECT 日付, count(*) FROM 営業日報 WHERE 日付 >= $1 AND 日付 <= $2 AND 担当 = $3 AND 顧客名 = $4 "
                           "GROUP BY 日付",
                           values);
                bareServer(bare,
                           "SELECT DISTINCT 予定日 FROM 次回予定 WHERE 完了日 IS NULL AND 担当 = $3 AND 顧客名 = $4 "
                           "AND 予定日 >= $1 AND 予定日 <= $2",
                           values);
            },
            "libpq");
        std::printf("  (listed %d open steps)\n\n", tab.list()->topLevelItemCount());
        PQfinish(bare);
    }
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const bool server = qapp.arguments().value(1) == QStringLiteral("--server");
    const QString uri = qapp.arguments().value(2, qEnvironmentVariable("TQEN_TEST_PG_URI"));
    auto sets = server ? tqen::bench::dataSets(QStringLiteral(TQEN_BENCH_DATA_DIR))
                       : tqen::bench::chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (server) {
        if (uri.isEmpty()) {
            std::fprintf(stderr, "no server: give a postgresql:// URI or set TQEN_TEST_PG_URI\n");
            return 2;
        }
        std::erase_if(sets, [](const tqen::bench::DataSet &s) { return s.reports != 100000 || s.chronological; });
    }
    if (sets.empty()) return 2;
    for (const tqen::bench::DataSet &set : sets) {
        QTemporaryDir tmp;
        const QString data = tqen::bench::copyInto(tmp, set.data());
        if (data.isEmpty()) return 1;
        const QDate newest = QDate::fromString(scalar(data, "SELECT max(日付) FROM 営業日報").left(10), Qt::ISODate);
        const QDate month(newest.year(), newest.month(), 1);
        if (!addSteps(data, month.addMonths(-2))) {
            std::fprintf(stderr, "%s: the next steps could not be added\n", qPrintable(set.label));
            return 1;
        }
        const QString staff = scalar(data, "SELECT 担当 FROM 次回予定 WHERE 完了日 IS NULL GROUP BY 担当 ORDER BY count(*) DESC");
        const QString customer = scalar(
            data, "SELECT 顧客名 FROM 営業日報 WHERE 日付 >= (SELECT date(max(日付), 'start of month') FROM 営業日報) "
                  "GROUP BY 顧客名 ORDER BY count(*) DESC");
        std::printf("%s: %s steps, %s open, most of them %s's\n", qPrintable(set.label),
                    qPrintable(scalar(data, "SELECT count(*) FROM 次回予定")),
                    qPrintable(scalar(data, "SELECT count(*) FROM 次回予定 WHERE 完了日 IS NULL")), qPrintable(staff));

        tqen::NextStepsTab tab([&] { return tqen::NextStepsTab::Context{data, staff}; });
        tab.resize(600, 400);
        tqen::bench::compareMedians(
            "  the tab 予定 (open steps read and listed)", 41, 3, [&](int) { tab.refresh(); },
            [&](int) {
                bare(data,
                     "SELECT * FROM 次回予定 WHERE 完了日 IS NULL AND 担当 = ?1 ORDER BY 予定日, 顧客名, 日付",
                     {staff});
            },
            "bare");
        const QDate last = month.addDays(month.daysInMonth() - 1);
        tqen::bench::compareMedians(
            "  month marks with planned days (counts + planned)", 41, 3,
            [&](int) {
                tqen::model::Reports::countsByDay(data, month, last, staff, customer);
                tqen::model::NextSteps::plannedDays(data, month, last, staff, customer);
            },
            [&](int) {
                const QStringList values{month.toString(Qt::ISODate), last.toString(Qt::ISODate), staff, customer};
                bare(data,
                     "SELECT 日付, count(*) FROM 営業日報 WHERE 日付 >= ?1 AND 日付 <= ?2 AND 担当 = ?3 AND 顧客名 = ?4 "
                     "GROUP BY 日付",
                     values);
                bare(data,
                     "SELECT DISTINCT 予定日 FROM 次回予定 WHERE 完了日 IS NULL AND 担当 = ?3 AND 顧客名 = ?4 "
                     "AND 予定日 >= ?1 AND 予定日 <= ?2",
                     values);
            },
            "bare");
        std::printf("  (listed %d open steps)\n\n", tab.list()->topLevelItemCount());
        if (server) return onServer(uri, data, staff, customer, month);
    }
    return 0;
}
