#pragma once
// Reading the Access/Jet data files of the Windows era (Jet 3 and Jet 4),
// table by table and row by row. Texts come out decoded: Jet 4 stores UTF-16
// (also in its compressed form), Jet 3 the Windows code page, here CP932.
// Only reading: a file is never changed. The reading library runs in a child
// process for each step, so a file damaged in a way that would crash it gives
// an error instead.
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace tqen::mdbreader {

// True when the file starts as an Access/Jet database does: 00 01 00 00 and
// "Standard Jet DB" or "Standard ACE DB". A missing or short file is no Jet
// file.
bool isJetFile(const QString &path);

// False when the program was built without the reading library; open() then
// fails with a text that says so.
bool readingAvailable();

enum class Kind { Boolean, Integer, Real, Date, Text, Other };

struct Column {
    QString name;
    Kind kind = Kind::Other;
};

// What reading one table gave.
struct TableRead {
    QList<Column> columns;
    // Rows handed to the callback.
    qlonglong rowsRead = 0;
    // Rows the table's definition says it holds that could not be read
    // (damaged pages or rows); never negative.
    qlonglong rowsUnreadable = 0;
};

class Reader {
public:
    Reader();
    ~Reader();
    Reader(Reader &&other) noexcept;
    Reader &operator=(Reader &&other) noexcept;

    // Opens a Jet file for reading. A file that is missing, not a Jet file or
    // too damaged to list its tables gives a failed reader and the error.
    static Reader open(const QString &path, Error *error);

    bool isOpen() const;
    // 3 or 4 (Access 2000 and later files count as 4); 0 when not open.
    int version() const;
    // The user tables, in the file's order.
    QStringList tables() const;
    bool hasTable(const QString &name) const;

    // The columns of a table, in column order.
    Error columns(const QString &name, QList<Column> *out);

    // Calls `row` for every readable row of the table, with one value per
    // column in column order: Null for Null, bool, qlonglong, double, QDate
    // (a date without a time), QDateTime, QString. A row whose values cannot
    // be decoded is counted as unreadable, not handed over. `row` returns
    // false to stop. Fails for an unknown table or one whose definition
    // cannot be read.
    Error readTable(const QString &name, const std::function<bool(const QVariantList &)> &row, TableRead *read);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tqen::mdbreader
