#include "platform/mdbreader/MdbReader.h"

#include <QDataStream>
#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#ifdef TQEN_HAVE_MDBTOOLS
#include <mdbtools.h>
#endif

namespace tqen::mdbreader {
namespace {

Error fileError(const QString &text, const QString &detail = QString()) {
    return Error(Error::Code::FileFailed, text, detail);
}

// Values as the library is told to print them.
constexpr const char *kDateFormat = "%Y-%m-%d %H:%M:%S";
// Room for one value, the longest memo included.
constexpr size_t kBindSize = 256 * 1024;

}  // namespace

bool isJetFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(19);
    if (head.size() < 19 || !head.startsWith(QByteArray("\x00\x01\x00\x00", 4))) return false;
    const QByteArray name = head.mid(4, 15);
    return name == "Standard Jet DB" || name == "Standard ACE DB";
}

#ifdef TQEN_HAVE_MDBTOOLS

bool readingAvailable() { return true; }

// mdbtools trusts the file: some damage makes it read through a null or
// wild pointer and the process dies. So the library only ever runs in a
// child process that hands its results over a pipe; when the child dies, the
// file is reported as damaged and the program goes on.
struct Reader::Impl {
    QString path;
    int version = 0;
    QStringList tables;
};

namespace {

Kind kindOf(int type) {
    switch (type) {
    case MDB_BOOL: return Kind::Boolean;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return Kind::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return Kind::Real;
    case MDB_DATETIME: return Kind::Date;
    case MDB_TEXT:
    case MDB_MEMO: return Kind::Text;
    default: return Kind::Other;
    }
}

// One bound value as the program's value; false when it cannot be decoded.
bool decode(Kind kind, const char *text, int length, QVariant *out) {
    if (kind == Kind::Boolean) {
        *out = length > 0 && text[0] == '1';
        return true;
    }
    if (length <= 0) {
        *out = QVariant();
        return true;
    }
    const QByteArray bytes(text, length);
    bool ok = true;
    switch (kind) {
    case Kind::Integer: *out = bytes.trimmed().toLongLong(&ok); break;
    case Kind::Real: *out = bytes.trimmed().toDouble(&ok); break;
    case Kind::Date: {
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(bytes), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ok = when.isValid();
        if (ok) *out = when.time() == QTime(0, 0) ? QVariant(when.date()) : QVariant(when);
        break;
    }
    case Kind::Text: {
        const QString s = QString::fromUtf8(bytes);
        // The library puts '?' for what it cannot decode; text that is not
        // UTF-8 at all means the decoding went wrong.
        ok = s.toUtf8() == bytes;
        *out = s;
        break;
    }
    default: *out = QVariant(); break;
    }
    return ok;
}

// Tags of what a child writes after its status.
enum : quint8 { kRow = 1, kUnreadableRow = 2, kEnd = 3 };
// A child's status: what failed, when something did.
enum : qint32 { kOk = 0, kOpenFailed, kCatalogFailed, kNoSuchTable, kTableFailed, kColumnsFailed };

void writeAll(int fd, const QByteArray &bytes) {
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ::_exit(3);  // the parent went away
        at += n;
        left -= n;
    }
}

// What work wrote to its descriptor in a child process, and whether the
// child ended normally.
struct ChildRun {
    QByteArray out;
    bool ended = false;
};

ChildRun runIsolated(const std::function<void(int fd)> &work) {
    ChildRun run;
    int fds[2];
    if (::pipe(fds) != 0) return run;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return run;
    }
    if (pid == 0) {
        ::close(fds[0]);
        work(fds[1]);
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.out.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// In the child: the file opened with the formats the decoding expects and
// its catalog read; null with the status on failure.
MdbHandle *openInChild(const QString &path, qint32 *status) {
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb) {
        *status = kOpenFailed;
        return nullptr;
    }
    mdb_set_date_fmt(mdb, kDateFormat);
    mdb_set_shortdate_fmt(mdb, kDateFormat);
    mdb_set_boolean_fmt_numbers(mdb);
    mdb_set_bind_size(mdb, kBindSize);
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        *status = kCatalogFailed;
        return nullptr;
    }
    *status = kOk;
    return mdb;
}

QList<MdbCatalogEntry *> userTables(MdbHandle *mdb) {
    QList<MdbCatalogEntry *> out;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (mdb_is_user_table(entry)) out.append(entry);
    }
    return out;
}

// In the child: the table's columns, then every row, then the rows its
// definition counts.
void streamTable(const QString &path, const QString &name, int fd) {
    QByteArray buffer;
    QDataStream out(&buffer, QIODevice::WriteOnly);
    auto flush = [&] {
        writeAll(fd, buffer);
        buffer.clear();
        out.device()->seek(0);
    };
    qint32 status = kOk;
    MdbHandle *mdb = openInChild(path, &status);
    MdbTableDef *table = nullptr;
    if (mdb) {
        for (MdbCatalogEntry *entry : userTables(mdb))
            if (QString::fromUtf8(entry->object_name) == name) table = mdb_read_table(entry);
        bool known = false;
        for (MdbCatalogEntry *entry : userTables(mdb)) known = known || QString::fromUtf8(entry->object_name) == name;
        if (!known) status = kNoSuchTable;
        else if (!table) status = kTableFailed;
        else if (!mdb_read_columns(table) || table->num_cols == 0 || table->num_cols > MDB_MAX_COLS) status = kColumnsFailed;
    }
    out << status;
    if (status != kOk) {
        flush();
        return;
    }
    const unsigned columns = table->num_cols;
    std::vector<std::vector<char>> values(columns, std::vector<char>(kBindSize + 1, '\0'));
    std::vector<int> lengths(columns, 0);
    QList<Kind> kinds;
    QStringList names;
    for (unsigned i = 0; i < columns; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        names.append(QString::fromUtf8(col->name));
        kinds.append(kindOf(col->col_type));
        mdb_bind_column(table, int(i) + 1, values[i].data(), &lengths[i]);
    }
    out << names;
    for (Kind k : kinds) out << qint32(k);
    mdb_rewind_table(table);
    QVariantList row;
    int pending = 0;
    while (mdb_fetch_row(table)) {
        row.clear();
        bool ok = true;
        for (unsigned i = 0; i < columns && ok; ++i) {
            QVariant v;
            ok = decode(kinds[int(i)], values[i].data(), lengths[i], &v);
            row.append(v);
        }
        if (ok)
            out << quint8(kRow) << row;
        else
            out << quint8(kUnreadableRow);
        if (++pending == 256) {
            flush();
            pending = 0;
        }
    }
    out << quint8(kEnd) << qint64(table->num_rows);
    flush();
}

}  // namespace

Reader::Reader() = default;
Reader::~Reader() = default;
Reader::Reader(Reader &&) noexcept = default;
Reader &Reader::operator=(Reader &&) noexcept = default;

Reader Reader::open(const QString &path, Error *error) {
    auto fail = [&](const QString &text, const QString &detail = QString()) {
        if (error) *error = fileError(text, detail);
        return Reader();
    };
    if (!QFile::exists(path)) return fail(QStringLiteral("ファイルが見つかりません。\n%1").arg(path));
    if (!isJetFile(path)) return fail(QStringLiteral("Windows版のデータファイルではありません。\n%1").arg(path));
    // Jet 3 files hold texts in the Windows code page of the office: Japanese.
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET")) qputenv("MDB_JET3_CHARSET", "CP932");
    const ChildRun run = runIsolated([&path](int fd) {
        QByteArray buffer;
        QDataStream out(&buffer, QIODevice::WriteOnly);
        qint32 status = kOk;
        MdbHandle *mdb = openInChild(path, &status);
        out << status;
        if (mdb) {
            QStringList names;
            for (MdbCatalogEntry *entry : userTables(mdb)) names.append(QString::fromUtf8(entry->object_name));
            out << qint32(mdb->f->jet_version == MDB_VER_JET3 ? 3 : 4) << names << quint8(kEnd);
        }
        writeAll(fd, buffer);
    });
    QDataStream in(run.out);
    qint32 status = -1, version = 0;
    QStringList names;
    quint8 end = 0;
    in >> status;
    if (status == kOk) in >> version >> names >> end;
    const QString damaged = QStringLiteral("ファイルが壊れている可能性があります。\n%1").arg(path);
    if (!run.ended || in.status() != QDataStream::Ok || status < 0)
        return fail(QStringLiteral("Windows版のデータファイルを読めません。") + damaged, QStringLiteral("the reader stopped"));
    if (status == kOpenFailed)
        return fail(QStringLiteral("Windows版のデータファイルを開けません。") + damaged, QStringLiteral("mdb_open failed"));
    if (status != kOk || end != kEnd)
        return fail(QStringLiteral("Windows版のデータファイルの表の一覧を読めません。") + damaged, QStringLiteral("mdb_read_catalog failed"));
    Reader r;
    r.d = std::make_unique<Impl>();
    r.d->path = path;
    r.d->version = version;
    r.d->tables = names;
    if (error) *error = Error();
    return r;
}

bool Reader::isOpen() const { return d != nullptr; }

int Reader::version() const { return isOpen() ? d->version : 0; }

QStringList Reader::tables() const { return isOpen() ? d->tables : QStringList(); }

bool Reader::hasTable(const QString &name) const { return tables().contains(name); }

Error Reader::columns(const QString &name, QList<Column> *out) {
    TableRead read;
    Error e = readTable(name, [](const QVariantList &) { return false; }, &read);
    if (out) *out = read.columns;
    return e;
}

Error Reader::readTable(const QString &name, const std::function<bool(const QVariantList &)> &row, TableRead *read) {
    TableRead result;
    if (read) *read = result;
    if (!hasTable(name)) return Error(Error::Code::NotFound, QStringLiteral("Windows版のデータファイルに表「%1」がありません。").arg(name));
    const QString path = d->path;
    const ChildRun run = runIsolated([&path, &name](int fd) { streamTable(path, name, fd); });
    const QString damaged = QStringLiteral("Windows版のデータファイルの表「%1」を読めません。ファイルが壊れている可能性があります。").arg(name);
    QDataStream in(run.out);
    qint32 status = -1;
    in >> status;
    if (status == kTableFailed || status == kColumnsFailed || status == kOpenFailed || status == kCatalogFailed)
        return fileError(damaged, QStringLiteral("the table definition cannot be read"));
    if (status == kNoSuchTable)
        return Error(Error::Code::NotFound, QStringLiteral("Windows版のデータファイルに表「%1」がありません。").arg(name));
    if (status != kOk) return fileError(damaged, QStringLiteral("the reader stopped"));
    QStringList names;
    in >> names;
    for (const QString &n : names) {
        qint32 kind = 0;
        in >> kind;
        result.columns.append({n, Kind(kind)});
    }
    bool delivering = true, ended = false;
    qint64 stored = 0;
    QVariantList values;
    while (in.status() == QDataStream::Ok && !in.atEnd()) {
        quint8 tag = 0;
        in >> tag;
        if (tag == kEnd) {
            in >> stored;
            ended = in.status() == QDataStream::Ok;
            break;
        }
        if (tag == kUnreadableRow) {
            if (delivering) ++result.rowsUnreadable;
            continue;
        }
        if (tag != kRow) break;
        in >> values;
        if (in.status() != QDataStream::Ok) break;
        if (!delivering) continue;
        ++result.rowsRead;
        delivering = row(values);
    }
    // The reader died half-way through the table: what came before it is
    // good, but the table cannot be carried over whole.
    if (!ended || !run.ended) {
        if (read) *read = result;
        return fileError(damaged, QStringLiteral("the reader stopped after %1 rows").arg(result.rowsRead));
    }
    // Rows the library passed over (a damaged row or page) are missing from
    // what it handed out.
    if (delivering && stored > result.rowsRead + result.rowsUnreadable) result.rowsUnreadable = stored - result.rowsRead;
    if (read) *read = result;
    return {};
}

#else  // without mdbtools

bool readingAvailable() { return false; }

struct Reader::Impl {};

Reader::Reader() = default;
Reader::~Reader() = default;
Reader::Reader(Reader &&) noexcept = default;
Reader &Reader::operator=(Reader &&) noexcept = default;

Reader Reader::open(const QString &path, Error *error) {
    if (error)
        *error = fileError(QStringLiteral("Windows版のデータファイルを読む部品 (mdbtools) がインストールされていません。\n%1").arg(path));
    return Reader();
}
bool Reader::isOpen() const { return false; }
int Reader::version() const { return 0; }
QStringList Reader::tables() const { return {}; }
bool Reader::hasTable(const QString &) const { return false; }
Error Reader::columns(const QString &name, QList<Column> *out) {
    if (out) out->clear();
    return Error(Error::Code::NotFound, QStringLiteral("Windows版のデータファイルに表「%1」がありません。").arg(name));
}
Error Reader::readTable(const QString &name, const std::function<bool(const QVariantList &)> &, TableRead *read) {
    if (read) *read = TableRead();
    return Error(Error::Code::NotFound, QStringLiteral("Windows版のデータファイルに表「%1」がありません。").arg(name));
}

#endif

}  // namespace tqen::mdbreader
