#include "platform/jet/Jet.h"

#include <QDateTime>
#include <QFile>

#include <cstdlib>
#include <vector>

#ifdef TQEN_HAVE_MDBTOOLS
#include <mdbtools.h>
#endif

namespace tqen::jet {
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

struct Reader::Impl {
    MdbHandle *mdb = nullptr;
    QStringList tables;
    QList<MdbCatalogEntry *> entries;
    ~Impl() {
        if (mdb) mdb_close(mdb);
    }
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

}  // namespace

Reader::Reader() = default;
Reader::~Reader() = default;
Reader::Reader(Reader &&) noexcept = default;
Reader &Reader::operator=(Reader &&) noexcept = default;

Reader Reader::open(const QString &path, Error *error) {
    Reader r;
    auto fail = [&](const QString &text, const QString &detail = QString()) {
        if (error) *error = fileError(text, detail);
        return Reader();
    };
    if (!QFile::exists(path)) return fail(QStringLiteral("ファイルが見つかりません。\n%1").arg(path));
    if (!isJetFile(path)) return fail(QStringLiteral("Windows版のデータファイルではありません。\n%1").arg(path));
    // Jet 3 files hold texts in the Windows code page of the office: Japanese.
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET")) qputenv("MDB_JET3_CHARSET", "CP932");
    r.d = std::make_unique<Impl>();
    r.d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!r.d->mdb)
        return fail(QStringLiteral("Windows版のデータファイルを開けません。ファイルが壊れている可能性があります。\n%1").arg(path),
                    QStringLiteral("mdb_open failed"));
    mdb_set_date_fmt(r.d->mdb, kDateFormat);
    mdb_set_shortdate_fmt(r.d->mdb, kDateFormat);
    mdb_set_boolean_fmt_numbers(r.d->mdb);
    mdb_set_bind_size(r.d->mdb, kBindSize);
    if (!mdb_read_catalog(r.d->mdb, MDB_TABLE))
        return fail(QStringLiteral("Windows版のデータファイルの表の一覧を読めません。ファイルが壊れている可能性があります。\n%1").arg(path),
                    QStringLiteral("mdb_read_catalog failed"));
    for (unsigned i = 0; i < r.d->mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(r.d->mdb->catalog, i));
        if (!mdb_is_user_table(entry)) continue;
        r.d->entries.append(entry);
        r.d->tables.append(QString::fromUtf8(entry->object_name));
    }
    if (error) *error = Error();
    return r;
}

bool Reader::isOpen() const { return d && d->mdb; }

int Reader::version() const {
    if (!isOpen()) return 0;
    return d->mdb->f->jet_version == MDB_VER_JET3 ? 3 : 4;
}

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
    const qsizetype at = isOpen() ? d->tables.indexOf(name) : -1;
    if (at < 0) return Error(Error::Code::NotFound, QStringLiteral("Windows版のデータファイルに表「%1」がありません。").arg(name));
    MdbTableDef *table = mdb_read_table(d->entries[at]);
    if (!table)
        return fileError(QStringLiteral("Windows版のデータファイルの表「%1」の定義を読めません。ファイルが壊れている可能性があります。").arg(name),
                         QStringLiteral("mdb_read_table failed"));
    if (!mdb_read_columns(table) || table->num_cols == 0 || table->num_cols > MDB_MAX_COLS) {
        mdb_free_tabledef(table);
        return fileError(QStringLiteral("Windows版のデータファイルの表「%1」の列を読めません。ファイルが壊れている可能性があります。").arg(name),
                         QStringLiteral("mdb_read_columns failed"));
    }
    const unsigned columns = table->num_cols;
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(kBindSize + 1, '\0'));
    std::vector<int> lengths(columns, 0);
    for (unsigned i = 0; i < columns; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        result.columns.append({QString::fromUtf8(col->name), kindOf(col->col_type)});
        mdb_bind_column(table, int(i) + 1, buffers[i].data(), &lengths[i]);
    }
    mdb_rewind_table(table);
    QVariantList values;
    bool stopped = false;
    while (mdb_fetch_row(table)) {
        values.clear();
        bool ok = true;
        for (unsigned i = 0; i < columns && ok; ++i) {
            QVariant v;
            ok = decode(result.columns[int(i)].kind, buffers[i].data(), lengths[i], &v);
            values.append(v);
        }
        if (!ok) {
            ++result.rowsUnreadable;
            continue;
        }
        ++result.rowsRead;
        if (!row(values)) {
            stopped = true;
            break;
        }
    }
    // Rows the library passed over (a damaged row or page) are missing from
    // what it handed out.
    const qlonglong stored = qlonglong(table->num_rows);
    if (!stopped && stored > result.rowsRead + result.rowsUnreadable) result.rowsUnreadable = stored - result.rowsRead;
    mdb_free_tabledef(table);
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

}  // namespace tqen::jet
