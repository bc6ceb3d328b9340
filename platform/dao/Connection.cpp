#include "platform/dao/Connection.h"

#include "platform/dao/Dao.h"
#include "platform/dao/RecordsetImpl.h"

#include <QFileInfo>
#include <QUrl>

namespace tqen::dao {

Connection::~Connection() { close(); }

void Connection::close() {
    const auto readers = live;
    for (FileRecordset *r : readers) r->shutDown(QStringLiteral("The database is closed."));
    live.clear();
    if (db && inTransaction) sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    db.reset();
    inTransaction = false;
    attached.clear();
}

void Connection::releaseReaders() {
    const auto readers = live;
    for (FileRecordset *r : readers) r->finishReading();
}

QString Connection::lastError() const {
    if (!db) return QStringLiteral("The database is not open.");
    const QString engine = QString::fromUtf8(sqlite3_errmsg(db.get()));
    // Another writer held the file beyond the busy timeout: the file is
    // sound, only in use.
    const int code = sqlite3_errcode(db.get()) & 0xff;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return inUseText() + QStringLiteral(" (") + engine + u')';
    return engine;
}

bool Connection::attach(const QStringList &paths, QStringList *aliases, QString *error) {
    aliases->clear();
    for (const QString &p : paths) {
        qsizetype at = attached.indexOf(p);
        if (at < 0) {
            const QFileInfo fi(p);
            if (!fi.isFile()) {
                *error = QStringLiteral("Could not find file '%1'.").arg(p);
                return false;
            }
            // mode=rw: attaching never creates a file.
            const QString uri = QStringLiteral("file:") +
                                QString::fromLatin1(QUrl::toPercentEncoding(fi.absoluteFilePath(), "/")) +
                                QStringLiteral("?mode=rw");
            const QString alias = QStringLiteral("jet_ext%1").arg(attached.size() + 1);
            QString err;
            const Statement st = prepare(QStringLiteral("ATTACH ?1 AS %1").arg(quoteName(alias)), {uri}, &err);
            if (!st || sqlite3_step(st.get()) != SQLITE_DONE) {
                *error = QStringLiteral("Could not open '%1': %2").arg(p, lastError());
                return false;
            }
            // A file that is no database only shows on first use.
            const QByteArray check = QStringLiteral("SELECT count(*) FROM %1.sqlite_master").arg(quoteName(alias)).toUtf8();
            if (sqlite3_exec(db.get(), check.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                const QString why = lastError();
                *error = isInUseError(why) ? why : QStringLiteral("Unrecognized database format '%1': %2").arg(p, why);
                const QByteArray detach = QStringLiteral("DETACH %1").arg(quoteName(alias)).toUtf8();
                sqlite3_exec(db.get(), detach.constData(), nullptr, nullptr, nullptr);
                return false;
            }
            attached << p;
            at = attached.size() - 1;
        }
        *aliases << QStringLiteral("jet_ext%1").arg(at + 1);
    }
    return true;
}

Statement Connection::prepare(const QString &sql, const QVector<QString> &params, QString *error) {
    const QByteArray utf8 = wellFormed(sql).toUtf8();
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db.get(), utf8.constData(), int(utf8.size()), &raw, nullptr);
    Statement st(raw);
    if (rc != SQLITE_OK || !st) {
        *error = lastError();
        return nullptr;
    }
    const int count = sqlite3_bind_parameter_count(raw);
    for (int i = 0; i < params.size() && i < count; ++i) bindText(raw, i + 1, params[i]);
    return st;
}

Statement Connection::prepareWith(const QString &sql, const QVector<QVariant> &params, QString *error) {
    Statement st = prepare(sql, {}, error);
    if (!st) return nullptr;
    const int count = sqlite3_bind_parameter_count(st.get());
    for (int i = 0; i < params.size() && i < count; ++i) bindStatementValue(st.get(), i + 1, params[i]);
    return st;
}

bool bindStatementValue(sqlite3_stmt *st, int index, const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return bindText(st, index, value.toString());
    case QMetaType::LongLong:
        return sqlite3_bind_int64(st, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
        return sqlite3_bind_double(st, index, value.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        return sqlite3_bind_blob64(st, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default:
        return sqlite3_bind_null(st, index) == SQLITE_OK;
    }
}

bool bindText(sqlite3_stmt *st, int index, const QString &text) {
    // A lone surrogate would become "?" in UTF-8: bound as U+FFFD instead.
    const QByteArray u = wellFormed(text).toUtf8();
    return sqlite3_bind_text64(st, index, u.constData(), sqlite3_uint64(u.size()), SQLITE_TRANSIENT, SQLITE_UTF8) ==
           SQLITE_OK;
}

QVariant columnValue(sqlite3_stmt *st, int col, ColumnKind kind) {
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(st, col);
        if (kind == ColumnKind::YesNo) return v != 0;
        if (v >= INT_MIN && v <= INT_MAX) return int(v);
        return qlonglong(v);
    }
    case SQLITE_FLOAT:
        if (kind == ColumnKind::YesNo) return sqlite3_column_double(st, col) != 0.0;
        return sqlite3_column_double(st, col);
    case SQLITE_BLOB: {
        const void *p = sqlite3_column_blob(st, col);
        return QByteArray(static_cast<const char *>(p), sqlite3_column_bytes(st, col));
    }
    default: {
        const char *p = reinterpret_cast<const char *>(sqlite3_column_text(st, col));
        const int bytes = sqlite3_column_bytes(st, col);
        if (kind == ColumnKind::Date && bytes == 10) {  // "yyyy-mm-dd", read for every row: no detour through QString
            int v[8];
            bool digits = p[4] == '-' && p[7] == '-';
            for (int i = 0, k = 0; i < 10 && digits; ++i) {
                if (i == 4 || i == 7) continue;
                digits = p[i] >= '0' && p[i] <= '9';
                v[k++] = p[i] - '0';
            }
            if (digits) {
                const QDate d(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]);
                if (d.isValid()) return d;
            }
        }
        const QString text = QString::fromUtf8(p, bytes);
        if (kind == ColumnKind::Date) {
            const QVariant d = dateFromStored(text);
            return d.isNull() ? QVariant(text) : d;
        }
        if (kind == ColumnKind::YesNo) {
            const QString l = text.trimmed().toLower();
            return !(l.isEmpty() || l == u"0" || l == u"false" || l == u"no");
        }
        return text;
    }
    }
}

bool bindValue(sqlite3_stmt *st, int index, ColumnKind kind, const QVariant &value, QString *error) {
    const auto conversionError = [&] {
        *error = QStringLiteral("Data type conversion error.");
        return false;
    };
    const int type = value.typeId();
    if (value.isNull() || !value.isValid()) {
        if (kind == ColumnKind::YesNo) return sqlite3_bind_int(st, index, 0) == SQLITE_OK;
        return sqlite3_bind_null(st, index) == SQLITE_OK;
    }
    if (kind == ColumnKind::Date) {
        QString stored;
        if (type == QMetaType::QDate) stored = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
        else if (type == QMetaType::QDateTime) stored = storedDate(value.toDateTime());
        else if (type == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty()) return sqlite3_bind_null(st, index) == SQLITE_OK;
            stored = storedDateFromJet(s);
            if (stored.isEmpty() && s.size() == 8)  // yyyymmdd, as the date boxes hand it over
                stored = storedDate(QDateTime(QDate::fromString(s, QStringLiteral("yyyyMMdd")), QTime(0, 0)));
        }
        if (stored.isEmpty()) return conversionError();
        return bindText(st, index, stored);
    }
    if (kind == ColumnKind::YesNo) {
        const std::optional<bool> yes = yesNoValue(value);
        if (!yes) return conversionError();
        const bool on = *yes;
        return sqlite3_bind_int(st, index, on ? 1 : 0) == SQLITE_OK;
    }
    switch (type) {
    case QMetaType::Bool:
        return sqlite3_bind_int(st, index, value.toBool() ? 1 : 0) == SQLITE_OK;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sqlite3_bind_int64(st, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, index, value.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        return sqlite3_bind_blob64(st, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case QMetaType::QDate:
        return bindText(st, index, storedDate(QDateTime(value.toDate(), QTime(0, 0))));
    case QMetaType::QDateTime:
        return bindText(st, index, storedDate(value.toDateTime()));
    default:
        return bindText(st, index, value.toString());
    }
}

}  // namespace tqen::dao
