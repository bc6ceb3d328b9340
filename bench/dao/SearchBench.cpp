// Search of the reports on the benchmark data (bench/data, 100,000 reports;
// build the target tqen_benchdata first):
//
//  - terms of three and ten characters, looked up in the trigram index;
//  - terms of one and two characters, looked up in the character index;
//
// each as the whole search (open, query, read every hit, close) against a
// plain LIKE '%term%' scan of title, memo and customer name on SQLite
// itself, measured in the same run: medians over interleaved rounds and
// their ratio. Then the index's share of the data file and the time to build
// it for a file that has none.
//
//   tqen_bench_search [data file]
#include "bench/support/Timing.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Search.h"

#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tqen;

namespace {

using bench::median;
using bench::timeMs;

// The reference: SQLite's own LIKE over the three fields, newest first, the
// same number of rows read.
int plainLike(const QString &path, const QString &term, int limit) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid, 日付, 顧客名, 担当, タイトル, メモ FROM 営業日報 "
                       "WHERE タイトル LIKE ?1 OR メモ LIKE ?1 OR 顧客名 LIKE ?1 ORDER BY 日付 DESC, rowid DESC LIMIT ?2",
                       -1, &st, nullptr);
    const QByteArray pattern = (u'%' + term + u'%').toUtf8();
    sqlite3_bind_text(st, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, limit + 1);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < 6; ++i) sqlite3_column_text(st, i);
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

int search(const QString &path, const QString &term, int limit, dao::SearchMethod *method) {
    dao::SearchResult result;
    const Error e = dao::searchReports(path, dao::SearchRequest{term, {}, {}, limit}, &result);
    if (!e.ok()) std::fprintf(stderr, "search: %s\n", qPrintable(e.message()));
    *method = result.method;
    return int(result.hits.size());
}

const char *methodName(dao::SearchMethod m) {
    switch (m) {
    case dao::SearchMethod::Trigram: return "trigram index";
    case dao::SearchMethod::Grams: return "character index";
    case dao::SearchMethod::Unindexed: return "NO INDEX";
    default: return "nothing";
    }
}

// The size of a compacted copy of the data file, with or without the index.
qint64 compactedSize(const QString &from, const QString &to, bool dropIndex) {
    QFile::remove(to);
    QFile::copy(from, to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (dropIndex) {
        if (const Error e = dao::dropSearchIndex(to); !e.ok()) std::fprintf(stderr, "drop: %s\n", qPrintable(e.detail()));
    } else {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(to.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    return QFileInfo(to).size();
}

}  // namespace

int main(int argc, char **argv) {
    const QString data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TQEN_BENCH_DATA_DIR "/TqenData.mdb");
    if (!QFileInfo::exists(data)) {
        std::fprintf(stderr, "%s is missing: build the target tqen_benchdata first\n", qPrintable(data));
        return 1;
    }
    if (!dao::hasSearchIndex(data)) {
        std::fprintf(stderr, "%s has no search index: make it anew with tqen_datagen --force\n", qPrintable(data));
        return 1;
    }
    // Reports written since the index was last brought up to date (the
    // generator's, on a fresh file) are indexed first.
    const double caughtUp = timeMs([&] {
        if (const Error e = dao::catchUpSearchIndex(data); !e.ok()) std::fprintf(stderr, "catch-up: %s\n", qPrintable(e.detail()));
    });
    if (caughtUp > 100) std::printf("indexed the waiting reports first: %.1f s\n", caughtUp / 1000.0);
    const int limit = 500;
    struct Case {
        const char *what;
        QString term;
    } cases[] = {
        {"3 characters, common (見積書)", QStringLiteral("見積書")},
        {"3 characters, rare (製作所)", QStringLiteral("製作所")},
        {"3 characters, absent (鯨の肉)", QStringLiteral("鯨の肉")},
        {"1 character, common (の)", QStringLiteral("の")},
        {"1 character, rare (旭)", QStringLiteral("旭")},
        {"1 character, absent (鯨)", QStringLiteral("鯨")},
        {"2 characters, common (見積)", QStringLiteral("見積")},
        {"2 characters, rare (旭精)", QStringLiteral("旭精")},
        {"2 characters, absent (鯨肉)", QStringLiteral("鯨肉")},
        {"10 characters (見積書を提出した件の)", QStringLiteral("見積書を提出した件の")},
    };
    std::printf("search of %s (newest %d hits read)\n", qPrintable(data), limit);
    std::printf("%-34s %-18s %6s %10s %10s %7s\n", "term", "method", "hits", "search ms", "LIKE ms", "ratio");
    bool withinTarget = true;
    for (const Case &c : cases) {
        dao::SearchMethod method = dao::SearchMethod::Nothing;
        int hits = 0;
        for (int i = 0; i < 2; ++i) { search(data, c.term, limit, &method); plainLike(data, c.term, limit); }  // warm
        std::vector<double> ours, reference;
        for (int i = 0; i < 9; ++i) {
            ours.push_back(timeMs([&] { hits = search(data, c.term, limit, &method); }));
            reference.push_back(timeMs([&] { plainLike(data, c.term, limit); }));
        }
        const double a = median(ours), b = median(reference);
        std::printf("%-34s %-18s %6d %10.2f %10.2f %7.3f\n", c.what, methodName(method), hits, a, b, a / b);
        withinTarget = withinTarget && a < 50.0;
    }
    std::printf("every search under 50 ms: %s\n", withinTarget ? "yes" : "NO");

    QTemporaryDir tmp(QDir(QStringLiteral(TQEN_BENCH_DATA_DIR)).filePath(QStringLiteral("search-XXXXXX")));
    const qint64 with = compactedSize(data, tmp.filePath(QStringLiteral("with.mdb")), false);
    const qint64 without = compactedSize(data, tmp.filePath(QStringLiteral("without.mdb")), true);
    std::printf("data file %.1f MB, of it the search index (trigram and character indexes) %.1f MB: a share of %.3f of the file\n",
                double(with) / 1e6, double(with - without) / 1e6, double(with - without) / double(with));
    const QString older = tmp.filePath(QStringLiteral("without.mdb"));
    const double build = timeMs([&] {
        const Error e = dao::buildSearchIndex(older);
        if (!e.ok()) std::fprintf(stderr, "build: %s\n", qPrintable(e.detail()));
    });
    std::printf("building the index for a file without it: %.1f s\n", build / 1000.0);
    return 0;
}
