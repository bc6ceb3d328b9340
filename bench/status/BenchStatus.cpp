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
#include "bench/support/Confirming.h"
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
using tqen::bench::readAll;
using tqen::bench::scalar;
using tqen::bench::timeMs;

namespace {

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
    const QString data = tqen::bench::copyInto(tmp, set.data());
    const QString work = tqen::bench::copyInto(tmp, QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"));

    const QDate newest = QDate::fromString(scalar(data, "SELECT max(日付) FROM 営業日報"), Qt::ISODate);
    const QDate first = QDate(newest.year(), newest.month(), 1).addMonths(-1);
    const QDate last = first.addMonths(1).addDays(-1);

    // Every other report of the month confirmed.
    tqen::model::Session session;
    session.dataDbPath = data;
    session.workDbPath = work;
    qlonglong confirmed = 0;
    if (tqen::Error e = tqen::bench::confirmEveryOther(session, first, last, &confirmed); !e.ok()) {
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
    // Both orders: an office writes in order, the random file is the worst case.
    const auto sets = tqen::bench::chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (sets.empty()) return 2;
    for (const auto &set : sets) runSet(set);
    return 0;
}
