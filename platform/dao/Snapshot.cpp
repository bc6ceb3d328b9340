// Whole-file work on a database: the online backup, the integrity check and
// row counts.
#include "platform/files/Temporaries.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

namespace tqen::dao {

namespace {

struct Handle {
    sqlite3 *db = nullptr;
    Handle() = default;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { close(); }
    void close() {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
    QString error() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"); }
};

int openFile(const QString &path, int flags, Handle *h) {
    return sqlite3_open_v2(path.toUtf8().constData(), &h->db, flags, nullptr);
}

// The first column of the first row of a statement as text; empty on failure.
QString scalar(sqlite3 *db, const QString &sql, int *rc) {
    sqlite3_stmt *st = nullptr;
    QString out;
    *rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    if (*rc == SQLITE_OK) {
        *rc = sqlite3_step(st);
        if (*rc == SQLITE_ROW) {
            out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            *rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(st);
    return out;
}

QString quoted(const QString &name) {
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

}  // namespace

Error createDatabase(const QString &path, const QString &script) {
    const auto failed = [&](const QString &detail) {
        return Error(Error::Code::FileFailed, QStringLiteral("データファイル %1 を作れませんでした。").arg(path), detail);
    };
    if (QFileInfo::exists(path)) return failed(QStringLiteral("the file exists already"));
    QString detail;
    {
        Handle h;
        if (openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &h) != SQLITE_OK) {
            detail = h.error();
        } else {
            char *message = nullptr;
            if (sqlite3_exec(h.db, script.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
                detail = message ? QString::fromUtf8(message) : h.error();
                sqlite3_free(message);
            }
        }
    }
    if (!detail.isEmpty()) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        return failed(detail);
    }
    return {};
}

Error backupTo(const QString &srcPath, const QString &dstPath) {
    const auto failed = [&](const QString &detail) {
        return Error(Error::Code::FileFailed,
                     QStringLiteral("データファイル %1 を %2 に写せませんでした。").arg(srcPath, dstPath), detail);
    };
    if (!QFileInfo(srcPath).isFile()) return failed(QStringLiteral("no such file"));
    Handle src;
    if (openFile(srcPath, SQLITE_OPEN_READONLY, &src) != SQLITE_OK) return failed(src.error());
    sqlite3_busy_timeout(src.db, 5000);
    // Named as this run's temporary: a copy cut short by a killed run is
    // removed at the next start.
    const QString part = files::temporaryFor(dstPath);
    QFile::remove(part);
    {
        Handle dst;
        if (openFile(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &dst) != SQLITE_OK) {
            const QString e = dst.error();
            QFile::remove(part);
            return failed(e);
        }
        sqlite3_backup *b = sqlite3_backup_init(dst.db, "main", src.db, "main");
        if (!b) {
            const QString e = dst.error();
            dst.close();
            QFile::remove(part);
            return failed(e);
        }
        int rc;
        do {
            rc = sqlite3_backup_step(b, 256);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(20);
        } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE) {
            const QString e = QString::fromUtf8(sqlite3_errstr(rc));
            dst.close();
            QFile::remove(part);
            return failed(e);
        }
    }
    // The finished copy is flushed to the medium before it takes the name.
    {
        QFile f(part);
        if (!f.open(QIODevice::ReadWrite)) {
            QFile::remove(part);
            return failed(f.errorString());
        }
        if (::fsync(f.handle()) != 0) {
            QFile::remove(part);
            return failed(f.errorString());
        }
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(dstPath).constData()) != 0) {
        QFile::remove(part);
        return failed(QStringLiteral("rename failed"));
    }
    return {};
}

Error checkDatabase(const QString &path, const QStringList &tables) {
    const auto bad = [&](const QString &detail) {
        return Error(Error::Code::BadInput, QStringLiteral("%1 は営業日報のデータファイルではないか、壊れています。").arg(path),
                     detail);
    };
    if (!QFileInfo(path).isFile()) return bad(QStringLiteral("no such file"));
    Handle h;
    if (openFile(path, SQLITE_OPEN_READWRITE, &h) != SQLITE_OK) return bad(h.error());
    sqlite3_busy_timeout(h.db, 5000);
    int rc = SQLITE_OK;
    const QString result = scalar(h.db, QStringLiteral("PRAGMA integrity_check"), &rc);
    if (rc != SQLITE_OK) return bad(h.error());
    if (result != QStringLiteral("ok")) return bad(result);
    for (const QString &t : tables) {
        const QString found = scalar(
            h.db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                      .arg(QString(t).replace(u'\'', QStringLiteral("''"))),
            &rc);
        if (rc != SQLITE_OK) return bad(h.error());
        if (found != QStringLiteral("1")) return bad(QStringLiteral("no table %1").arg(t));
    }
    return {};
}

void CheckStop::stop() {
    const std::lock_guard<std::mutex> hold(mutex_);
    stopped_ = true;
    if (running_) sqlite3_interrupt(static_cast<sqlite3 *>(running_));
}

bool CheckStop::stopped() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return stopped_;
}

Error quickCheck(const QString &path, CheckStop *stop) {
    if (isServerUri(path) || !QFileInfo(path).isFile()) return {};
    Handle h;
    if (openFile(path, SQLITE_OPEN_READONLY, &h) != SQLITE_OK) return {};
    sqlite3_busy_timeout(h.db, 5000);
    // The connection is handed to the stop while the check reads, and taken
    // back before it is closed.
    struct Running {
        CheckStop *stop;
        bool enter(sqlite3 *db) {
            if (!stop) return true;
            const std::lock_guard<std::mutex> hold(stop->mutex_);
            stop->running_ = db;
            return !stop->stopped_;
        }
        ~Running() {
            if (!stop) return;
            const std::lock_guard<std::mutex> hold(stop->mutex_);
            stop->running_ = nullptr;
        }
    } running{stop};
    if (!running.enter(h.db)) return {};
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(h.db, "PRAGMA quick_check(20)", -1, &st, nullptr) != SQLITE_OK) {
        const int code = sqlite3_errcode(h.db) & 0xff;
        const QString why = h.error();
        sqlite3_finalize(st);
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            return Error(Error::Code::DatabaseFailed, inUseText(), inUseText());
        return Error(Error::Code::BadInput, QStringLiteral("%1 は壊れています。").arg(path), why);
    }
    QStringList findings;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        findings << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (stop && stop->stopped()) return {};
    const int code = rc & 0xff;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return Error(Error::Code::DatabaseFailed, inUseText(), inUseText());
    if (rc != SQLITE_DONE) findings << h.error();
    if (findings == QStringList{QStringLiteral("ok")}) return {};
    return Error(Error::Code::BadInput, QStringLiteral("%1 は壊れています。").arg(path), findings.join(u'\n'));
}

QList<qlonglong> countRows(const QString &path, const QStringList &tables) {
    QList<qlonglong> out;
    if (isServerUri(path)) {
        Database db = Database::open(path);
        for (const QString &t : tables) {
            Recordset rs = db.openRecordset(QStringLiteral("select count(*) as n from [") + t + u']');
            out << (rs.isOpen() && !rs.eof() ? rs.field(QStringLiteral("n")).toLongLong() : -1);
        }
        return out;
    }
    Handle h;
    const bool open = QFileInfo(path).isFile() && openFile(path, SQLITE_OPEN_READONLY, &h) == SQLITE_OK;
    for (const QString &t : tables) {
        int rc = SQLITE_ERROR;
        const QString n = open ? scalar(h.db, QStringLiteral("SELECT count(*) FROM ") + quoted(t), &rc) : QString();
        out << (rc == SQLITE_OK ? n.toLongLong() : -1);
    }
    return out;
}

}  // namespace tqen::dao
