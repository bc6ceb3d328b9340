// Speed of the figures of a period and of a customer's history on every
// benchmark data set that exists (bench/data: 10,000, 100,000 and 1,000,000
// reports; see bench/support/BenchData.h):
//
//  - each table of the figures for the last twelve full months (reports per
//    staff member and month, visits per customer, customers not visited for
//    90 days), through the model, and the whole count of the form (every
//    table filled and every chart drawn);
//  - the history of the file's busiest customer, read and shown in the form;
//  - the history of a customer with 5,000 reports, on a copy of the data file
//    with those reports added (the sets have about 500 per customer);
//
// each beside the same statements on bare SQLite, measured in the same run,
// and their ratio. Medians over interleaved rounds.
//
// The figures and the history make their indexes in the file they read
// (timed once, on the first use): they run on a copy of each set's data
// file, so the sets stay as they were made.
//
// With --server the history is measured on a PostgreSQL server instead: the
// 100,000 reports' copy with the customer of 5,000 reports is copied into a
// schema of its own (made afresh, dropped at the end), and each history is
// read and shown beside the same statement sent with bare libpq.
//
//   QT_QPA_PLATFORM=offscreen tqen_bench_overview [reports]
//   QT_QPA_PLATFORM=offscreen tqen_bench_overview --server [postgresql-uri]   (default TQEN_TEST_PG_URI)
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/ServerSchema.h"
#include "bench/support/Timing.h"
#include "model/Session.h"
#include "figures/FrmSyukei.h"
#include "history/FrmKarte.h"
#include "model/CustomerHistory.h"
#include "model/DataCopy.h"
#include "model/Schema.h"
#include "model/MonthFigures.h"
#include "platform/dao/Server.h"
#include "platform/forms/Fonts.h"

#include <libpq-fe.h>

#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using tqen::bench::compareMedians;
using tqen::bench::openBare;
using tqen::bench::readAll;
using tqen::bench::scalar;
using tqen::bench::timeMs;
namespace mf = tqen::model::MonthFigures;

namespace {

const char *kStaffSql = "SELECT 日付, 担当, count(*) FROM 営業日報 WHERE 日付 >= ?1 AND 日付 <= ?2 GROUP BY 日付, 担当";
const char *kVisitsSql =
    "SELECT 名称, (SELECT count(DISTINCT 日付) FROM 営業日報 WHERE 顧客名 = 名称 AND 日付 >= ?1 AND 日付 <= ?2),"
    " (SELECT count(*) FROM 営業日報 WHERE 顧客名 = 名称 AND 日付 >= ?1 AND 日付 <= ?2) FROM 顧客マスタ";
const char *kOtherVisitsSql =
    "SELECT 顧客名, count(DISTINCT 日付), count(*) FROM 営業日報 WHERE 日付 >= ?1 AND 日付 <= ?2 AND 顧客名 NOT IN"
    " (SELECT 名称 FROM 顧客マスタ WHERE 名称 IS NOT NULL) GROUP BY 顧客名";
const char *kDormantSql = "SELECT 名称, ふりがな, 担当, (SELECT max(日付) FROM 営業日報 WHERE 顧客名 = 名称 AND 日付 <= ?1)"
                          " FROM 顧客マスタ";
const char *kHistorySql = "SELECT 日付, 担当, タイトル, メモ, ふりがな FROM 営業日報 WHERE 顧客名 = ?1"
                          " ORDER BY 日付 DESC, 担当, タイトル";

// The history of one customer shown in the form against the bare statement.
void benchHistory(const QString &data, const QString &customer, const char *what, int rounds) {
    tqen::model::Session session;
    session.dataDbPath = data;
    session.env.年号 = QStringLiteral("西暦");
    tqen::FrmKarte form(session);
    form.resize(820, 560);
    form.show();
    QApplication::processEvents();
    const double first = timeMs([&] { form.ShowKarte(customer); });
    std::printf("%s: first read (makes the history's index when missing) %.2f ms\n", what, first);
    sqlite3 *bare = openBare(data);
    int rows = 0;
    const QString title = QStringLiteral("%1, %L2 reports, shown").arg(QString::fromUtf8(what)).arg(form.history().rows.size());
    compareMedians("  of which the model's read", rounds, 2,
                   [&](int) { tqen::model::CustomerHistory::read(data, customer); },
                   [&](int) { rows = readAll(bare, kHistorySql, {customer}); }, "bare");
    compareMedians(title.toUtf8().constData(), rounds, 2, [&](int) { form.ShowKarte(customer); },
                   [&](int) { rows = readAll(bare, kHistorySql, {customer}); }, "bare");
    // The program opens the data file for each read, so its page cache starts
    // empty every time; the bare side above keeps one connection (and its
    // cache) open. The same statement on a connection opened for it:
    compareMedians("  the model's read, bare opened each round", rounds, 2,
                   [&](int) { tqen::model::CustomerHistory::read(data, customer); },
                   [&](int) {
                       sqlite3 *fresh = openBare(data);
                       readAll(fresh, kHistorySql, {customer});
                       sqlite3_close(fresh);
                   },
                   "bare");
    if (rows != form.history().rows.size()) std::printf("  !! the form shows %lld reports, the statement %d\n",
                                                        qlonglong(form.history().rows.size()), rows);
    sqlite3_close(bare);
}

// A copy of a data file with `count` more reports of one customer, spread
// over the file's ten years, one a day and staff member.
QString withBusyCustomer(const QString &data, const QTemporaryDir &tmp, const QString &customer, int count) {
    const QString copy = tmp.filePath(QStringLiteral("TqenData-busy.mdb"));
    QFile::copy(data, copy);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(copy.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) VALUES (?1, ?2, 'かるて', ?3, ?4, ?5)",
                       -1, &st, nullptr);
    const QDate last(2026, 12, 7);
    const QString memo = QStringLiteral("商談の経過と次回の段取りを記す。").repeated(8);
    const QByteArray name = customer.toUtf8(), memoText = memo.toUtf8();
    for (int i = 0; i < count; ++i) {
        const QByteArray day = last.addDays(-(i * 7 % 3650)).toString(Qt::ISODate).toUtf8();
        const QByteArray title = QStringLiteral("訪問 %1").arg(i).toUtf8();
        const QByteArray staff = QStringLiteral("担当%1").arg(i % 30, 2, 10, QChar(u'0')).toUtf8();
        sqlite3_bind_text(st, 1, day.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, title.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, staff.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, memoText.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return copy;
}

void runSet(const tqen::bench::DataSet &set, bool busyCustomer) {
    QTemporaryDir tmp;
    const QString work = tqen::bench::copyInto(tmp, QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"));
    const QString data = tqen::bench::copyInto(tmp, set.data());
    if (work.isEmpty() || data.isEmpty()) {
        std::fprintf(stderr, "cannot copy %s into %s\n", qPrintable(set.data()), qPrintable(tmp.path()));
        return;
    }
    tqen::model::Session session;
    session.workDbPath = work;
    session.dataDbPath = data;
    session.env.年号 = QStringLiteral("西暦");
    const int rounds = set.reports >= 1000000 ? 7 : 11;

    const QDate newest = QDate::fromString(scalar(data, "SELECT max(日付) FROM 営業日報"), Qt::ISODate);
    const QDate last = QDate(newest.year(), newest.month(), 1).addDays(-1);
    const QDate first = QDate(last.year(), last.month(), 1).addMonths(-11);
    const QStringList period{first.toString(Qt::ISODate), last.toString(Qt::ISODate)};
    std::printf("== %s reports (%s, %.0f MB), figures of %s to %s\n", qPrintable(set.label), qPrintable(set.data()),
                QFileInfo(data).size() / 1e6, qPrintable(period[0]), qPrintable(period[1]));

    {
        const qint64 before = QFileInfo(data).size();
        const double ms = timeMs([&] {
            mf::reportsPerStaff(data, first, last);
            mf::dormantCustomers(data, last, 90);
        });
        std::printf("first use of the file (makes the indexes when missing) %8.2f ms   (file %+.1f %%)\n", ms,
                    100.0 * (QFileInfo(data).size() - before) / before);
    }
    sqlite3 *bare = openBare(data);
    compareMedians("reports per staff member and month, a year", rounds, 2,
                   [&](int) { mf::reportsPerStaff(data, first, last); },
                   [&](int) { readAll(bare, kStaffSql, period); }, "bare");
    compareMedians("visits per customer, a year", rounds, 2, [&](int) { mf::visitsPerCustomer(data, first, last); },
                   [&](int) {
                       readAll(bare, kVisitsSql, period);
                       readAll(bare, kOtherVisitsSql, period);
                   },
                   "bare");
    compareMedians("customers not visited for 90 days", rounds, 2, [&](int) { mf::dormantCustomers(data, last, 90); },
                   [&](int) { readAll(bare, kDormantSql, {period[1]}); }, "bare");
    {
        tqen::FrmSyukei form(session);
        form.resize(900, 680);
        form.show();
        form.setPeriod(first, last);
        form.setDormantDays(90);
        QApplication::processEvents();
        compareMedians("the form's whole count (tables and charts), a year", rounds, 1, [&](int) { form.Count(); },
                       [&](int) {
                           readAll(bare, kStaffSql, period);
                           readAll(bare, kVisitsSql, period);
                           readAll(bare, kOtherVisitsSql, period);
                           readAll(bare, kDormantSql, {period[1]});
                       },
                       "bare");
    }
    const QString busiest = scalar(data, "SELECT 顧客名 FROM 営業日報 GROUP BY 顧客名 ORDER BY count(*) DESC LIMIT 1");
    sqlite3_close(bare);
    benchHistory(data, busiest, "history of the busiest customer", rounds);
    if (busyCustomer) {
        const QString name = QStringLiteral("カルテ検証商事");
        const QString copy = withBusyCustomer(data, tmp, name, 5000);
        benchHistory(copy, name, "history of a customer with 5,000 reports", rounds);
    }
    std::printf("\n");
}

// The history of one customer on the server, read by the model and shown in
// the form, against the statement sent with bare libpq on one connection.
void benchServerHistory(const QString &uri, PGconn *bare, const QString &customer, const char *what, int rounds) {
    tqen::model::Session session;
    session.dataDbPath = uri;
    session.env.年号 = QStringLiteral("西暦");
    tqen::FrmKarte form(session);
    form.resize(820, 560);
    form.show();
    QApplication::processEvents();
    const QByteArray name = customer.toUtf8();
    const char *values[] = {name.constData()};
    int rows = 0;
    const auto direct = [&](int) {
        PGresult *r = PQexecParams(bare,
                                   "SELECT 日付, 担当, タイトル, メモ, ふりがな FROM 営業日報 WHERE 顧客名 = $1"
                                   " ORDER BY 日付 DESC, 担当, タイトル",
                                   1, nullptr, values, nullptr, nullptr, 0);
        rows = PQntuples(r);
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < PQnfields(r); ++col) PQgetvalue(r, row, col);
        PQclear(r);
    };
    // Without the history's index, as the server was before the first read.
    std::vector<double> unindexed;
    for (int i = 0; i < 5; ++i) unindexed.push_back(timeMs([&] { direct(i); }));
    std::printf("%s: libpq's statement before the history's index %.2f ms\n", what, tqen::bench::median(unindexed));
    const double first = timeMs([&] { form.ShowKarte(customer); });
    std::printf("%s: first read (makes the history's index when missing) %.2f ms\n", what, first);
    const QString title = QStringLiteral("%1, %L2 reports, shown").arg(QString::fromUtf8(what)).arg(form.history().rows.size());
    compareMedians("  of which the model's read", rounds, 2,
                   [&](int) { tqen::model::CustomerHistory::read(uri, customer); }, direct, "libpq");
    compareMedians(title.toUtf8().constData(), rounds, 2, [&](int) { form.ShowKarte(customer); }, direct, "libpq");
    if (rows != form.history().rows.size())
        std::printf("  !! the form shows %lld reports, the statement %d\n", qlonglong(form.history().rows.size()), rows);
}

int runServer(const QString &base) {
    const auto sets = tqen::bench::dataSets(QStringLiteral(TQEN_BENCH_DATA_DIR));
    const auto set = std::find_if(sets.begin(), sets.end(), [](const auto &s) { return s.reports == 100000 && !s.chronological; });
    if (set == sets.end()) {
        std::fprintf(stderr, "no benchmark data of 100,000 reports: build the target tqen_benchdata first\n");
        return 2;
    }
    const tqen::bench::ServerSchema schema(base, "tqen_bench_overview");
    if (!schema.ok()) return 1;
    const QString &uri = schema.uri();
    QTemporaryDir tmp;
    const QString name = QStringLiteral("カルテ検証商事");
    const QString data = withBusyCustomer(set->data(), tmp, name, 5000);
    tqen::model::schema::useSchemaOnServers();
    tqen::model::CopyOptions options;
    options.mergeDuplicates = true;
    tqen::model::CopyOutcome outcome;
    int status = 0;
    if (const tqen::Error e = tqen::model::copyData(data, uri, options, &outcome); !e.ok()) {
        std::fprintf(stderr, "copy to the server failed: %s %s\n", qPrintable(e.message()), qPrintable(e.detail()));
        status = 1;
    } else {
        PGconn *bare = PQconnectdb(uri.toUtf8().constData());
        PQclear(PQexec(bare, "ANALYZE"));
        std::printf("== on the server %s: %s reports\n", qPrintable(tqen::dao::serverHost(uri)), qPrintable(set->label));
        const QString busiest = scalar(data, "SELECT 顧客名 FROM 営業日報 WHERE 顧客名 <> 'カルテ検証商事' GROUP BY 顧客名 "
                                             "ORDER BY count(*) DESC LIMIT 1");
        benchServerHistory(uri, bare, busiest, "history of the busiest customer", 11);
        benchServerHistory(uri, bare, name, "history of a customer with 5,000 reports", 11);
        PQfinish(bare);
    }
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    tqen::forms::InstallFontSubstitutions();
    if (qapp.arguments().value(1) == QStringLiteral("--server")) {
        const QString uri = qapp.arguments().value(2, qEnvironmentVariable("TQEN_TEST_PG_URI"));
        if (uri.isEmpty()) {
            std::fprintf(stderr, "no server: give a postgresql:// URI or set TQEN_TEST_PG_URI\n");
            return 2;
        }
        return runServer(uri);
    }
    const auto sets = tqen::bench::chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (sets.empty()) return 2;
    // The history of 5,000 reports is measured on a copy of the 100,000
    // reports' file (a copy of a million reports' would take a gigabyte).
    for (const auto &set : sets) runSet(set, set.reports == 100000 && !set.chronological);
    return 0;
}
