// Speed of the report list on every benchmark data set that exists
// (bench/data: 10,000, 100,000 and 1,000,000 reports, random and
// chronological; see bench/support/BenchData.h):
//
//  - the first screen: ReadList returns with the grid's first lines shown;
//  - the whole period: ReadList, then every line fetched into the grid, as
//    when the user scrolls to the end;
//
// of the last full month and the last twelve full months of each file. Each
// is printed beside the bare SQLite statements that give the same, measured
// in the same run, and their ratio: for the first screen, the screen's lines
// selected in the list's order; for the whole period, the work table
// emptied and filled with one insert-select in one transaction (not waiting
// for the disk, as the list's copy) and read back.
// Medians over interleaved rounds; beside them the processor time the list
// took itself (on a shared machine the wall clock also holds others' work).
// The whole period counts what the form does once idle after the fetch (the
// 確認 column of the lines fetched). Then a scroll step of the year's grid,
// painted. Last, the month again with every other report of it confirmed:
// the 確認 column reads the confirmations of the fetched lines' days, beside
// the bare statements plus the bare join of those days' confirmations with
// their reports.
//
// The list runs on a copy of each data file in a temporary folder: a file
// that lacks the list's index gets it on the first read (timed and printed
// once, with what it adds to the file), and the data sets stay as they are.
//
//   QT_QPA_PLATFORM=offscreen tqen_bench_list
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "bench/support/GuiBench.h"
#include "bench/support/Confirming.h"
#include "bench/support/Timing.h"
#include "model/Session.h"
#include "list/FrmNippoList.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Fonts.h"

#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

using tqen::bench::median;
using tqen::bench::readAll;
using tqen::bench::scalar;
using tqen::bench::timeMs;

namespace {

const char *kColumns = "日付, 顧客名, タイトル, 担当";

// The list's statements straight on SQLite. With screen > 0, only the first
// `screen` lines of the period in the list's order are selected and read;
// otherwise the work table is refilled in one transaction and read back.
// Returns the number of lines read.
int bare(const QString &work, const QString &data, const QDate &start, const QDate &end, int screen) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(work.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto exec = [db](const QString &sql) { sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr); };
    exec(QStringLiteral("ATTACH DATABASE '%1' AS d").arg(data));
    const QString where = QStringLiteral(" FROM d.営業日報 WHERE 日付 >= '%1' AND 日付 <= '%2' ORDER BY 日付 DESC, ふりがな")
                              .arg(start.toString(Qt::ISODate), end.toString(Qt::ISODate));
    int lines = 0;
    if (screen > 0) {
        lines = readAll(db, QStringLiteral("SELECT %1%2 LIMIT %3").arg(QString::fromUtf8(kColumns), where).arg(screen));
    } else {
        // Written as the list writes its copy: without waiting for the disk.
        exec(QStringLiteral("PRAGMA main.synchronous = OFF"));
        exec(QStringLiteral("BEGIN"));
        exec(QStringLiteral("DELETE FROM w日報一覧"));
        exec(QStringLiteral("INSERT INTO w日報一覧 (%1) SELECT %1%2").arg(QString::fromUtf8(kColumns), where));
        exec(QStringLiteral("COMMIT"));
        lines = readAll(db, QStringLiteral("SELECT rowid, * FROM w日報一覧"));
    }
    exec(QStringLiteral("DETACH DATABASE d"));
    sqlite3_close(db);
    return lines;
}

// The confirmations of the days from `from` (or, with screen > 0, from the
// oldest day of the period's first `screen` lines) to `to`, joined with their
// reports, read on SQLite.
int bareConfirmations(const QString &data, const QDate &from, const QDate &to, int screen) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(data.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString first = from.toString(Qt::ISODate);
    if (screen > 0) {
        sqlite3_stmt *st = nullptr;
        const QString sql = QStringLiteral("SELECT min(日付) FROM (SELECT 日付 FROM 営業日報 WHERE 日付 >= '%1' AND 日付 <= '%2' "
                                           "ORDER BY 日付 DESC LIMIT %3)")
                                .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate))
                                .arg(screen);
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW) first = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    const int n = readAll(db, QStringLiteral("SELECT c.日付, c.顧客名, c.担当, c.確認番号, c.指紋, r.タイトル, r.メモ, c.確認者, c.確認日時 "
                                             "FROM 日報確認 c JOIN 営業日報 r ON r.日付 = c.日付 AND r.顧客名 = c.顧客名 AND r.担当 = c.担当 "
                                             "WHERE c.日付 >= '%1' AND c.日付 <= '%2' AND c.削除番号 IS NULL")
                                  .arg(first, to.toString(Qt::ISODate)));
    sqlite3_close(db);
    return n;
}

// Every line fetched into the grid, as a scroll to the end does, and what
// the form does once idle after it (the 確認 column of the lines fetched).
// Milliseconds of processor time this thread has used: on a machine that
// others share, what a step costs itself, beside the wall clock it took.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Times f on the wall clock (into wall) and in processor time (into cpu).
void timeBoth(const std::function<void()> &f, std::vector<double> &wall, std::vector<double> &cpu) {
    const double before = threadCpuMs();
    wall.push_back(timeMs(f));
    cpu.push_back(threadCpuMs() - before);
}

void fetchAll(QAbstractItemModel *model) {
    while (model->canFetchMore({})) model->fetchMore({});
    QApplication::processEvents();
}

void runSet(const tqen::bench::DataSet &set) {
    QTemporaryDir tmp;
    const QString work = tqen::bench::copyInto(tmp, QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"));
    const QString data = tqen::bench::copyInto(tmp, set.data());
    if (work.isEmpty() || data.isEmpty()) {
        std::printf("!! cannot copy %s into %s\n\n", qPrintable(set.data()), qPrintable(tmp.path()));
        return;
    }
    tqen::model::Session session;
    session.workDbPath = work;
    session.dataDbPath = data;
    session.env.年号 = QStringLiteral("西暦");

    // The last full month of the data, and the twelve months up to it.
    const QDate newest = QDate::fromString(scalar(data, "SELECT max(日付) FROM 営業日報"), Qt::ISODate);
    const QDate monthStart = QDate(newest.year(), newest.month(), 1).addMonths(-1);
    const QDate monthEnd = monthStart.addMonths(1).addDays(-1);
    const QDate yearStart = monthStart.addMonths(-11);

    std::printf("== %s reports (%s, %.0f MB)\n", qPrintable(set.label), qPrintable(set.data()),
                QFileInfo(data).size() / 1e6);
    tqen::FrmNippoList form(session);
    form.resize(1024, 700);
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    auto *start = form.findChild<tqen::forms::DateBox *>(QStringLiteral("txt開始"));
    auto *end = form.findChild<tqen::forms::DateBox *>(QStringLiteral("txt終了"));
    auto *grid = form.findChild<tqen::forms::DataGrid *>(QStringLiteral("Grid日報一覧"));
    QAbstractItemModel *model = grid->model();
    const auto readList = [&](const QDate &from, const QDate &to) {
        start->setValue(from);
        end->setValue(to);
        form.ReadList();
        grid->viewport()->repaint();
    };
    {
        // The first read makes what the list needs of a file that lacks it.
        const qint64 before = QFileInfo(data).size();
        const double first = timeMs([&] { readList(monthStart, monthEnd); });
        std::printf("first read of the file %8.2f ms   (file %+.1f %%)\n", first,
                    100.0 * (QFileInfo(data).size() - before) / before);
    }

    const struct {
        const char *what;
        QDate from, to;
    } periods[] = {{"one month", monthStart, monthEnd}, {"twelve months", yearStart, monthEnd}};
    const int rounds = set.reports >= 1000000 ? 7 : 11;
    for (const auto &p : periods) {
        std::vector<double> screen, whole, bareScreen, bareWhole, screenCpu, wholeCpu;
        int screenLines = 0, shown = 0, lines = 0;
        for (int round = 0; round < rounds; ++round) {
            timeBoth([&] { readList(p.from, p.to); }, screen, screenCpu);
            screenLines = model->rowCount();
            timeBoth(
                [&] {
                    readList(p.from, p.to);
                    fetchAll(model);
                },
                whole, wholeCpu);
            shown = model->rowCount();
            bareScreen.push_back(timeMs([&] { bare(work, data, p.from, p.to, std::max(1, screenLines)); }));
            bareWhole.push_back(timeMs([&] { lines = bare(work, data, p.from, p.to, 0); }));
        }
        std::printf("%-14s first screen (%4d lines) %8.2f ms   bare %7.2f ms   ratio %6.2f   (processor %6.2f ms)\n",
                    p.what, screenLines, median(screen), median(bareScreen), median(screen) / median(bareScreen),
                    median(screenCpu));
        std::printf("%-14s whole period (%6d lines) %8.2f ms   bare %7.2f ms   ratio %6.2f   (processor %6.2f ms)\n",
                    p.what, shown, median(whole), median(bareWhole), median(whole) / median(bareWhole),
                    median(wholeCpu));
        if (lines != shown) std::printf("  !! the grid shows %d lines, the statements %d\n", shown, lines);
    }

    // The twelve months stay in the grid, all fetched: a scroll step painted.
    std::vector<double> steps;
    QScrollBar *bar = grid->verticalScrollBar();
    for (int i = 0; i < 41; ++i) {
        steps.push_back(timeMs([&] {
            bar->setValue((i * 997) % std::max(1, bar->maximum()));
            grid->viewport()->repaint();
        }));
    }
    std::printf("scroll step of the twelve months' grid, painted: %.2f ms (median)\n", median(steps));

    // The month with every other report of it confirmed.
    tqen::model::Session confirming;
    confirming.dataDbPath = data;
    confirming.workDbPath = work;
    qlonglong confirmed = 0;
    const tqen::Error e = tqen::bench::confirmEveryOther(confirming, monthStart, monthEnd, &confirmed);
    if (!e.ok()) {
        std::printf("!! confirming the month failed: %s\n\n", qPrintable(e.message()));
        return;
    }
    std::vector<double> screen, whole, bareScreen, bareWhole;
    int screenLines = 0, shown = 0;
    for (int round = 0; round < rounds; ++round) {
        screen.push_back(timeMs([&] { readList(monthStart, monthEnd); }));
        screenLines = model->rowCount();
        whole.push_back(timeMs([&] {
            readList(monthStart, monthEnd);
            fetchAll(model);
        }));
        shown = model->rowCount();
        bareScreen.push_back(timeMs([&] {
            bare(work, data, monthStart, monthEnd, std::max(1, screenLines));
            bareConfirmations(data, monthStart, monthEnd, std::max(1, screenLines));
        }));
        bareWhole.push_back(timeMs([&] {
            bare(work, data, monthStart, monthEnd, 0);
            bareConfirmations(data, monthStart, monthEnd, 0);
        }));
    }
    std::printf("one month, %lld of its reports confirmed:\n", confirmed);
    std::printf("%-14s first screen (%4d lines) %8.2f ms   bare %7.2f ms   ratio %6.2f\n", "one month", screenLines,
                median(screen), median(bareScreen), median(screen) / median(bareScreen));
    std::printf("%-14s whole period (%6d lines) %8.2f ms   bare %7.2f ms   ratio %6.2f\n\n", "one month", shown,
                median(whole), median(bareWhole), median(whole) / median(bareWhole));
}

}  // namespace

int main(int argc, char **argv) { return tqen::bench::runGuiBench(argc, argv, runSet); }
