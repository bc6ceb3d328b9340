#pragma once
// The bare SQLite side of the benchmarks: a file opened, a statement run and
// every column of every row read, without the program's engine.
#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace tqen::bench {

// A connection to a file (read-only unless flags say otherwise); close it
// with sqlite3_close.
inline sqlite3 *openBare(const QString &path, int flags = SQLITE_OPEN_READONLY) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    return db;
}

// Runs a statement with texts bound to ?1, ?2 … in order and reads every
// column of every row; the rows read, or -1 (said on stderr) when the
// statement fails.
inline int readAll(sqlite3 *db, const char *sql, const QStringList &values = {}) {
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bare statement failed: %s\n", sqlite3_errmsg(db));
        return -1;
    }
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray v = values[i].toUtf8();
        sqlite3_bind_text(st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < sqlite3_column_count(st); ++c) sqlite3_column_text(st, c);
    }
    sqlite3_finalize(st);
    return rows;
}
inline int readAll(sqlite3 *db, const QString &sql, const QStringList &values = {}) {
    return readAll(db, sql.toUtf8().constData(), values);
}

// Runs statements without rows; false (the statement and why on stderr)
// when one fails.
inline bool exec(sqlite3 *db, const char *sql) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    std::fprintf(stderr, "%s: %s\n", sql, message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

// The first field of the first row of a statement on a file opened read-only;
// empty when there is none or the file cannot be read.
inline QString scalar(const QString &path, const char *sql) {
    sqlite3 *db = openBare(path);
    QString out;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

}  // namespace tqen::bench
