// Speed of the report list on the benchmark data (bench/data, 100,000
// reports over ten years; build the target tqen_benchdata first):
//
//  - ReadList of one month and of one year (about 10,000 lines): the work
//    table emptied and refilled from the data file, and the grid's rows read;
//  - a scroll step of the year's grid, painted.
//
// ReadList is printed with the time of the bare SQLite statements it needs
// (delete, the insert-select across the two files, and reading the list back
// for the grid), measured in the same run, and their ratio. Medians over
// interleaved rounds.
//
//   QT_QPA_PLATFORM=offscreen tqen_bench_list
#include "bench/support/Timing.h"
#include "core/Globals.h"
#include "list/FrmNippoList.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Fonts.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using tqen::bench::median;
using tqen::bench::timeMs;

namespace {

// The list's statements straight on SQLite; with readBack, every column of
// every line is read as the grid does. Returns the number of lines.
int bare(const QString &work, const QString &data, const QDate &start, const QDate &end, bool readBack) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(work.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto exec = [db](const QString &sql) { sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr); };
    exec(QStringLiteral("ATTACH DATABASE '%1' AS d").arg(data));
    exec(QStringLiteral("DELETE FROM w日報一覧"));
    exec(QStringLiteral("INSERT INTO w日報一覧 (日付, 顧客名, タイトル, 担当) SELECT 日付, 顧客名, タイトル, 担当 FROM d.営業日報 "
                        "WHERE 日付 >= '%1' AND 日付 <= '%2' ORDER BY 日付 DESC, ふりがな")
             .arg(start.toString(Qt::ISODate), end.toString(Qt::ISODate)));
    exec(QStringLiteral("DETACH DATABASE d"));
    int lines = 0;
    if (readBack) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, * FROM w日報一覧", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++lines;
            for (int i = 0; i < sqlite3_column_count(st); ++i) sqlite3_column_text(st, i);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return lines;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    tqen::forms::InstallFontSubstitutions();
    const QString source = QStringLiteral(TQEN_BENCH_DATA_DIR "/TqenData.mdb");
    if (!QFile::exists(source)) {
        std::fprintf(stderr, "no benchmark data: build the target tqen_benchdata first\n");
        return 2;
    }
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("TqenData.mdb"));
    const QString work = tmp.filePath(QStringLiteral("TqenWork.mdb"));
    QFile::copy(source, data);
    QFile::copy(QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"), work);
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner);
    tqen::G().WorkDbPath = work;
    tqen::G().DataDbPath = data;
    tqen::G().Env.年号 = QStringLiteral("西暦");

    tqen::FrmNippoList form;
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    auto *start = form.findChild<tqen::forms::DateBox *>(QStringLiteral("txt開始"));
    auto *end = form.findChild<tqen::forms::DateBox *>(QStringLiteral("txt終了"));
    auto *grid = form.findChild<tqen::forms::DataGrid *>(QStringLiteral("Grid日報一覧"));

    // The last full year and its last month of the data.
    const QDate yearStart(2025, 1, 1), yearEnd(2025, 12, 31), monthStart(2025, 12, 1);
    std::printf("data: %s\n\n", qPrintable(source));
    const struct {
        const char *what;
        QDate from, to;
    } periods[] = {{"ReadList, one month", monthStart, yearEnd}, {"ReadList, one year", yearStart, yearEnd}};
    for (const auto &p : periods) {
        std::vector<double> ours, withRead, insertOnly;
        int lines = 0;
        for (int round = 0; round < 11; ++round) {
            ours.push_back(timeMs([&] {
                start->setValue(p.from);
                end->setValue(p.to);
                form.ReadList();
            }));
            withRead.push_back(timeMs([&] { lines = bare(work, data, p.from, p.to, true); }));
            insertOnly.push_back(timeMs([&] { bare(work, data, p.from, p.to, false); }));
        }
        std::printf("%-22s %6d lines   list %8.2f ms   bare statements + read %8.2f ms   ratio %5.2f   "
                    "(insert-select alone %8.2f ms, ratio %5.2f)\n",
                    p.what, grid->model()->rowCount(), median(ours), median(withRead), median(ours) / median(withRead),
                    median(insertOnly), median(ours) / median(insertOnly));
        if (lines != grid->model()->rowCount()) std::printf("  !! the grid shows %d lines, the statements %d\n", grid->model()->rowCount(), lines);
    }

    // The year stays in the grid: widgets under it, and a scroll step painted.
    const int widgets = int(grid->findChildren<QWidget *>().size());
    std::vector<double> steps;
    QScrollBar *bar = grid->verticalScrollBar();
    for (int i = 0; i < 41; ++i) {
        steps.push_back(timeMs([&] {
            bar->setValue((i * 997) % std::max(1, bar->maximum()));
            grid->viewport()->repaint();
        }));
    }
    std::printf("\nyear in the grid: %d lines, %d widgets under the grid; a scroll step painted in %.2f ms (median)\n",
                grid->model()->rowCount(), widgets, median(steps));
    return 0;
}
