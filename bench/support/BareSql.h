#pragma once
// The bare SQLite side of the benchmarks: what one statement gives, read
// without the program's engine.
#include <sqlite3.h>

#include <QString>

namespace tqen::bench {

// The first field of the first row of a statement on a file opened read-only;
// empty when there is none or the file cannot be read.
inline QString scalar(const QString &path, const char *sql) {
    sqlite3 *db = nullptr;
    QString out;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

}  // namespace tqen::bench
