// Speed of the engine on the data database on a PostgreSQL server (loopback)
// against the same statements sent with bare libpq, in the same run, on the
// 100,000 reports of the benchmark data (bench/data, target tqen_benchdata):
//
//  - the calendar's month query with customer and staff, as the main screen
//    builds it, walked to its end, with the database opened and closed
//    around it as the program does (a pooled connection);
//  - a registration as the main screen makes it: the day's report of the
//    customer and staff member looked up, then written (edited when it is
//    there, added otherwise).
//
// Each line prints the engine's median time per operation, bare libpq's, and
// their ratio (target: at most 1.5). The two sides alternate op by op. The
// engine prepares a statement text it sends a second time; bare libpq sends
// each statement as it stands (PQexecParams), as a hand-written client does.
// A second block compares the engine with bare libpq that prepares each
// statement once too, which leaves the engine's own cost.
//
//   tqen_bench_server [postgresql-uri] [data-folder]
// The URI defaults to TQEN_TEST_PG_URI; the reports are loaded into a schema
// of their own, "tqen_bench", made afresh and dropped at the end.
#include "bench/support/Timing.h"
#include "model/Schema.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <random>
#include <vector>

using tqen::dao::Database;
using tqen::dao::Recordset;
using tqen::dao::sqlDate;
using tqen::dao::sqlText;

namespace {

struct Report {
    QDate day;
    QString customer, staff;
};

long long sink = 0;

bool run(PGconn *c, const QByteArray &sql) {
    PGresult *r = PQexec(c, sql.constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok) std::fprintf(stderr, "%s\n", PQresultErrorMessage(r));
    PQclear(r);
    return ok;
}

// COPY text format: \ and the separators escaped.
QByteArray copyField(const unsigned char *text) {
    if (!text) return "\\N";
    QByteArray out;
    for (const unsigned char *p = text; *p; ++p) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += char(*p);
        }
    }
    return out;
}

// The reports of the benchmark file into the server's table.
long long load(PGconn *c, const QString &file, std::vector<Report> *sample) {
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return -1;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT 日付, 顧客名, ふりがな, タイトル, 担当, メモ FROM 営業日報", -1, &st, nullptr);
    // The generated file may hold a day's report of a customer and staff
    // member twice; the server keeps one: loaded beside, then moved over.
    run(c, "CREATE TEMP TABLE bench_load (LIKE 営業日報)");
    PGresult *r = PQexec(c, "COPY bench_load (日付, 顧客名, ふりがな, タイトル, 担当, メモ) FROM STDIN");
    PQclear(r);
    long long n = 0;
    std::mt19937 rng(11);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QByteArray line;
        for (int i = 0; i < 6; ++i) {
            if (i) line += '\t';
            line += copyField(sqlite3_column_text(st, i));
        }
        line += '\n';
        PQputCopyData(c, line.constData(), int(line.size()));
        if (std::uniform_int_distribution<int>(0, 499)(rng) == 0)
            sample->push_back({QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))), Qt::ISODate),
                               QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))),
                               QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 4)))});
        ++n;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    PQputCopyEnd(c, nullptr);
    while ((r = PQgetResult(c))) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "%s\n", PQresultErrorMessage(r));
            n = -1;
        }
        PQclear(r);
    }
    if (n < 0 || !run(c, "INSERT INTO 営業日報 SELECT * FROM bench_load ON CONFLICT DO NOTHING")) return -1;
    r = PQexec(c, "SELECT count(*) FROM 営業日報");
    n = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
    PQclear(r);
    run(c, "DROP TABLE bench_load");
    run(c, "ANALYZE");
    return n;
}

struct Params {
    std::vector<QByteArray> bytes;
    std::vector<const char *> values;
    explicit Params(const QStringList &texts) {
        for (const QString &t : texts) bytes.push_back(t.toUtf8());
        for (const QByteArray &b : bytes) values.push_back(b.constData());
    }
};

// Bare libpq's way of sending a statement: as it stands, or prepared once
// per connection (under its text) and then only bound and run.
bool preparedSide = false;
QHash<QByteArray, QByteArray> preparedNames;

PGresult *exec(PGconn *c, const char *sql, const QStringList &texts) {
    Params p(texts);
    const int n = int(p.values.size());
    if (!preparedSide) return PQexecParams(c, sql, n, nullptr, p.values.data(), nullptr, nullptr, 0);
    QByteArray &name = preparedNames[sql];
    if (name.isEmpty()) {
        name = "bench_" + QByteArray::number(preparedNames.size());
        PQclear(PQprepare(c, name.constData(), sql, n, nullptr));
    }
    return PQexecPrepared(c, name.constData(), n, p.values.data(), nullptr, nullptr, 0);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    tqen::model::schema::useSchemaOnServers();  // as the program's start-up does
    const QString base = app.arguments().value(1, qEnvironmentVariable("TQEN_TEST_PG_URI"));
    const QString folder = app.arguments().value(2, QStringLiteral(TQEN_BENCH_DATA_DIR));
    const QString file = folder + QStringLiteral("/TqenData.mdb");
    if (base.isEmpty()) {
        std::fprintf(stderr, "no server: give a postgresql:// URI or set TQEN_TEST_PG_URI\n");
        return 1;
    }
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "no benchmark data in %s: build the target tqen_benchdata first\n", qPrintable(folder));
        return 1;
    }
    PGconn *admin = PQconnectdb(base.toUtf8().constData());
    if (PQstatus(admin) != CONNECTION_OK) {
        std::fprintf(stderr, "%s\n", PQerrorMessage(admin));
        return 1;
    }
    run(admin, "SET client_min_messages = warning");
    run(admin, "DROP SCHEMA IF EXISTS tqen_bench CASCADE");
    run(admin, "CREATE SCHEMA tqen_bench");
    const QString uri = base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("options=-csearch_path%3Dtqen_bench");
    int status = 0;
    {
        Database first = Database::open(uri);  // makes the tables
        if (!first.isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(first.error()));
            return 1;
        }
    }
    PGconn *bare = PQconnectdb(uri.toUtf8().constData());
    std::vector<Report> sample;
    const long long loaded = load(bare, file, &sample);
    std::printf("server: %s\nreports: %lld (%zu sample reports)\n\n", qPrintable(tqen::dao::serverHost(uri)), loaded,
                sample.size());
    if (loaded <= 0 || sample.empty()) return 1;
    const auto pick = [&](int i) -> const Report & { return sample[size_t(i) % sample.size()]; };

    struct Operation {
        const char *what;
        std::function<void(int)> engine, direct;
    };
    std::vector<Operation> operations;
    // The calendar's month of a customer and staff member.
    operations.push_back({
        "month query, customer+staff (open, walk, close)",
        [&](int i) {
            const Report &r = pick(i);
            const QDate first(r.day.year(), r.day.month(), 1);
            Database db = Database::open(uri);
            Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 >= ") + sqlDate(first) +
                                            QStringLiteral(" and 日付 <= ") + sqlDate(first.addMonths(1).addDays(-1)) +
                                            QStringLiteral(" and 担当 = ") + sqlText(r.staff) +
                                            QStringLiteral(" and 顧客名 = ") + sqlText(r.customer) +
                                            QStringLiteral("  order by 日付;"));
            for (; !rs.eof(); rs.moveNext()) sink += rs.field(QStringLiteral("日付")).toDate().day();
        },
        [&](int i) {
            const Report &r = pick(i);
            const QDate first(r.day.year(), r.day.month(), 1);
            PGresult *res = exec(bare,
                                 "SELECT * FROM 営業日報 WHERE 日付 >= $1 AND 日付 <= $2 AND 担当 = $3 AND 顧客名 = $4 "
                                 "ORDER BY 日付",
                                 {first.toString(Qt::ISODate), first.addMonths(1).addDays(-1).toString(Qt::ISODate), r.staff,
                                  r.customer});
            for (int k = 0; k < PQntuples(res); ++k)
                sink += QDate::fromString(QString::fromLatin1(PQgetvalue(res, k, 0)), Qt::ISODate).day();
            PQclear(res);
        }});

    // A registration: the report is looked up by day, customer and staff
    // member and written; on a sample report it is an edit.
    const auto engineRegister = [&](const Report &r, const QString &title) {
        Database db = Database::open(uri);
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 顧客名 = ") + sqlText(r.customer) +
                                        QStringLiteral(" and 担当 = ") + sqlText(r.staff) + QStringLiteral(" and 日付 = ") +
                                        sqlDate(r.day));
        if (rs.bof() && rs.eof()) rs.addNew();
        else rs.edit();
        rs.setField(QStringLiteral("顧客名"), r.customer);
        rs.setField(QStringLiteral("ふりがな"), QStringLiteral("べんち"));
        rs.setField(QStringLiteral("タイトル"), title);
        rs.setField(QStringLiteral("担当"), r.staff);
        rs.setField(QStringLiteral("メモ"), QStringLiteral("ベンチマークのメモ"));
        rs.setField(QStringLiteral("日付"), r.day);
        if (!rs.update()) {
            std::fprintf(stderr, "%s\n", qPrintable(rs.error()));
            status = 1;
        }
    };
    const auto bareRegister = [&](const Report &r, const QString &title) {
        const QStringList key{r.customer, r.staff, r.day.toString(Qt::ISODate)};
        PGresult *res = exec(bare, "SELECT * FROM 営業日報 WHERE 顧客名 = $1 AND 担当 = $2 AND 日付 = $3", key);
        const bool found = PQntuples(res) > 0;
        PQclear(res);
        const QStringList values{r.customer, QStringLiteral("べんち"), title, r.staff, QStringLiteral("ベンチマークのメモ"),
                                 r.day.toString(Qt::ISODate)};
        res = found ? exec(bare,
                           "UPDATE 営業日報 SET 顧客名 = $1, ふりがな = $2, タイトル = $3, 担当 = $4, メモ = $5, 日付 = $6 "
                           "WHERE 顧客名 = $1 AND 担当 = $4 AND 日付 = $6",
                           values)
                    : exec(bare,
                           "INSERT INTO 営業日報 (顧客名, ふりがな, タイトル, 担当, メモ, 日付) VALUES ($1, $2, $3, $4, $5, $6) "
                           "ON CONFLICT (日付, 顧客名, 担当) DO UPDATE SET タイトル = EXCLUDED.タイトル",
                           values);
        if (PQresultStatus(res) != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "%s\n", PQresultErrorMessage(res));
            status = 1;
        }
        PQclear(res);
    };
    operations.push_back({
        "registration over an existing report",
        [&](int i) { engineRegister(pick(i), QStringLiteral("engine %1").arg(i)); },
        [&](int i) { bareRegister(pick(i), QStringLiteral("libpq %1").arg(i)); }});
    // New reports: a day of the sample's customer in a year no report has
    // (another stretch of days for each block of the run).
    operations.push_back({
        "registration of a new report",
        [&](int i) {
            Report r = pick(i);
            r.day = QDate(2200, 1, 1).addDays(i + (preparedSide ? 2000 : 0));
            engineRegister(r, QStringLiteral("engine %1").arg(i));
        },
        [&](int i) {
            Report r = pick(i);
            r.day = QDate(2400, 1, 1).addDays(i + (preparedSide ? 2000 : 0));
            bareRegister(r, QStringLiteral("libpq %1").arg(i));
        }});

    std::vector<double> ratios;
    for (const Operation &op : operations)
        ratios.push_back(tqen::bench::compareMedians(op.what, 1000, 5, op.engine, op.direct, "libpq"));
    std::printf("\nthe same against bare libpq with each statement prepared once (the engine's own cost):\n");
    preparedSide = true;
    double worstPrepared = 0;
    for (const Operation &op : operations)
        worstPrepared = std::max(worstPrepared, tqen::bench::compareMedians(op.what, 1000, 5, op.engine, op.direct, "prep."));
    preparedSide = false;

    double worst = 0;
    for (double r : ratios) worst = std::max(worst, r);
    std::printf("\nworst ratio %.2f (target at most 1.5)%s; against prepared libpq %.2f\n", worst,
                worst <= 1.5 ? "" : "  ** over target **", worstPrepared);
    PQfinish(bare);
    tqen::dao::resetServerConnections();
    run(admin, "DROP SCHEMA IF EXISTS tqen_bench CASCADE");
    PQfinish(admin);
    return status;
}
