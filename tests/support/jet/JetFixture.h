#pragma once
// Small Access/Jet 4 (and Jet 3) data files for the tests, written here from
// the file format as the mdbtools documentation (HACKING.md) describes it:
// 4,096-byte pages (2,048 in Jet 3); page 0 the database header, page 2 the table definition of the
// catalog (MSysObjects), one table-definition page per table, data pages
// filled from their end, long memos on LVAL pages. No indexes.
//
// mdb-export reading each written file back exactly as expectedExport() says
// is the proof that the writer is right (a CTest checks it).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace tqen::testing::jetfile {

enum class Type : unsigned char { Bool = 0x01, Short = 0x03, Long = 0x04, DateTime = 0x08, Text = 0x0A, Memo = 0x0C };

struct Column {
    QString name;
    Type type = Type::Text;
    int maxChars = 50;  // text columns
};

// A value: a Null QVariant is Null; QDate or QDateTime for a date, bool,
// int, QString for text and memo.
struct Table {
    QString name;
    QList<Column> columns;
    QList<QList<QVariant>> rows;
};

struct Options {
    // Texts of only Latin-1 characters stored in the compressed form.
    bool compressText = true;
    // The header's version byte: 1 = Jet 4 (UTF-16 texts, 4,096-byte pages),
    // 0 = Jet 3 (CP932 texts, 2,048-byte pages; rows must stay below 256
    // bytes).
    unsigned char version = 0x01;
};

// The whole file.
QByteArray jet4File(const QList<Table> &tables, const Options &options = {});
bool writeFile(const QString &path, const QByteArray &bytes);

// What `mdb-export -T "%Y-%m-%d %H:%M:%S" FILE TABLE` prints for the table.
QByteArray expectedExport(const Table &table);

// The four tables of a data file with a few rows each: Japanese text, a Null
// date, a 2,000-character memo, empty and Null fields.
QList<Table> sampleDataTables();
// 営業日報 with n rows (for the large file).
Table manyReports(int n);
// A table of every kind of column the writer knows, Booleans included.
Table allKinds();

}  // namespace tqen::testing::jetfile
