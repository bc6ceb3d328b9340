// Speed of who has reported (提出状況) on every benchmark data set that
// exists (bench/data: 10,000, 100,000 and 1,000,000 reports, in both orders:
// the chronological files hold the same months, laid out otherwise; see
// bench/support/BenchData.h): the last full month of the file for its 30
// staff members, read by the model (the staff list, the reports per staff
// member and day, the confirmed ones), on a copy of the file with every
// other report of that month confirmed. Printed beside the same statements
// on bare SQLite, measured in the same run, and their ratio; medians over
// interleaved rounds. The target: under 50 ms at 1,000,000 reports.
//
//   tqen_bench_status [N]
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/Timing.h"
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/SubmissionStatus.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using tqen::bench::median;
using tqen::bench::scalar;
using tqen::bench::timeMs;

namespace {

int readAll(sqlite3 *db, const QString &sql) {
    int rows = 0;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < sqlite3_column_count(st); ++i) sqlite3_column_text(st, i);
    }
    sqlite3_finalize(st);
    return rows;
}

// The model's statements for the month, straight on SQLite.
int bare(const QString &data, const QDate &first, const QDate &last) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(data.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QString a = first.toString(Qt::ISODate), b = last.toString(Qt::ISODate);
    int rows = readAll(db, QStringLiteral("SELECT sname FROM コードマスタ WHERE kcode = '担当' ORDER BY code"));
    rows += readAll(db, QStringLiteral("SELECT 担当, 日付, count(*) FROM 営業日報 WHERE 日付 >= '%1' AND 日付 <= '%2' "
                                       "GROUP BY 担当, 日付").arg(a, b));
    rows += readAll(db, QStringLiteral("SELECT c.日付, c.担当, c.変更, count(*) FROM 日報確認 AS c WHERE c.削除番号 IS NULL "
                                       "AND c.日付 >= '%1' AND c.日付 <= '%2' AND NOT EXISTS (SELECT 確認番号 FROM 日報確認 AS n "
                                       "WHERE n.削除番号 IS NULL AND n.日付 = c.日付 AND n.顧客名 = c.顧客名 AND n.担当 = c.担当 "
                                       "AND n.確認番号 > c.確認番号) GROUP BY c.日付, c.担当, c.変更").arg(a, b));
    sqlite3_close(db);
    return rows;
}

void runSet(const tqen::bench::DataSet &set) {
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("TqenData.mdb"));
    const QString work = tmp.filePath(QStringLiteral("TqenWork.mdb"));
    QFile::copy(set.data(), data);
    QFile::copy(QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"), work);
    for (const QString &f : {data, work}) QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner);

    const QDate newest = QDate::fromString(scalar(data, "SELECT max(日付) FROM 営業日報"), Qt::ISODate);
    const QDate first = QDate(newest.year(), newest.month(), 1).addMonths(-1);
    const QDate last = first.addMonths(1).addDays(-1);

    // Every other report of the month confirmed.
    QList<tqen::model::ReportKey> keys;
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(data.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        const QString sql = QStringLiteral("SELECT 日付, 顧客名, 担当 FROM 営業日報 WHERE 日付 >= '%1' AND 日付 <= '%2' ORDER BY rowid")
                                .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate));
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
        const auto text = [st](int i) { return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i))); };
        for (int i = 0; sqlite3_step(st) == SQLITE_ROW; ++i)
            if (i % 2 == 0) keys.append({QDate::fromString(text(0), Qt::ISODate), text(1), text(2)});
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    tqen::model::Session session;
    session.dataDbPath = data;
    session.workDbPath = work;
    const QString confirmer = tqen::model::CodeTable::names(data, QStringLiteral("担当")).value(0);
    qlonglong confirmed = 0;
    if (tqen::Error e = tqen::model::Confirmations::confirmMany(session, keys, confirmer, QString(), &confirmed); !e.ok()) {
        std::printf("!! confirming the month failed: %s\n", qPrintable(e.message()));
        return;
    }

    std::printf("== %s reports: %s, %lld of its reports confirmed\n", qPrintable(set.label),
                qPrintable(first.toString(QStringLiteral("yyyy-MM"))), confirmed);
    const int rounds = set.reports >= 1000000 ? 15 : 21;
    std::vector<double> ours, theirs;
    tqen::model::SubmissionStatus::Month month;
    int rows = 0;
    for (int round = 0; round < rounds; ++round) {
        ours.push_back(timeMs([&] { month = tqen::model::SubmissionStatus::read(data, first.year(), first.month()); }));
        theirs.push_back(timeMs([&] { rows = bare(data, first, last); }));
    }
    if (qEnvironmentVariableIsSet("TQEN_BENCH_PARTS")) {
        std::vector<double> a, b;
        for (int round = 0; round < rounds; ++round) {
            a.push_back(timeMs([&] { tqen::model::CodeTable::names(data, QStringLiteral("担当")); }));
            b.push_back(timeMs([&] { tqen::model::Confirmations::confirmedPerStaff(data, first, last); }));
        }
        std::printf("parts: code table %.2f ms, confirmed states %.2f ms\n", median(a), median(b));
    }
    int unconfirmed = 0;
    for (const auto &staff : month.cells)
        for (const auto &cell : staff) unconfirmed += cell.unconfirmed;
    std::printf("status month (%lld staff x %lld working days, %d missing, %d unconfirmed)  %8.2f ms   bare %7.2f ms (%d rows)   ratio %6.2f\n\n",
                qlonglong(month.staff.size()), qlonglong(month.days.size()), month.missing(), unconfirmed, median(ours),
                median(theirs), rows, median(ours) / median(theirs));
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication qapp(argc, argv);
    auto sets = tqen::bench::dataSets(QStringLiteral(TQEN_BENCH_DATA_DIR));
    if (argc > 1) {
        const int only = QString::fromLocal8Bit(argv[1]).toInt();
        std::erase_if(sets, [only](const tqen::bench::DataSet &s) { return s.reports != only; });
    }
    if (sets.empty()) {
        std::fprintf(stderr, "no benchmark data: build the target tqen_benchdata first\n");
        return 2;
    }
    for (const auto &set : sets) runSet(set);
    return 0;
}
