#pragma once
// A recordset on a database file.
//
// A recordset over one table is a dynaset: its members are the rows (by
// rowid) that the select found when it was opened, in the select's order.
// While it is walked forward the select itself steps, and the current row is
// read straight from it, so a walk costs what the select costs. When anything
// writes on the connection, or the walk goes back to the first row, the select
// is stepped to its end collecting only the rowids of the remaining rows; from
// then on each row is read by its rowid. Rows deleted meanwhile are skipped;
// rows added meanwhile are not members.
//
// A select that is no single-table select (distinct, group by, join, union)
// is read whole when it is opened and cannot be updated.
#include "platform/dao/Backend.h"
#include "platform/dao/Connection.h"
#include "platform/dao/JetTranslator.h"

#include <memory>
#include <vector>

namespace tqen::dao {

struct FileRecordset : Recordset::Impl {
    std::shared_ptr<Connection> conn;
    bool open = false;

    QStringList names;
    QVector<ColumnKind> kinds;

    // Updatable dynaset.
    bool updatable = false;
    QString tableSql;               // schema-qualified, quoted table name
    QStringList selectList;         // pieces of the select list
    QString pointSql;               // the select list by rowid, made when first needed
    QVector<QVariant> params;
    Statement stepping;             // the running select: rowid, then the fields
    std::vector<sqlite3_int64> rowids;
    bool complete = false;          // all member rowids known
    size_t pos = 0;                 // current row in rowids; rowids.size() at the end
    QVector<QVariant> current;      // the current row when not read from `stepping`

    // Read-only: every row read at open.
    std::vector<QVector<QVariant>> rows;

    enum class Mode { None, Adding, Editing } mode = Mode::None;
    QVector<QVariant> buffer;
    QVector<bool> touched;

    ~FileRecordset() override;
    void fail(const QString &text);
    // Runs the select; with onlyRow, over that one row of its table only.
    bool start(const JetTranslation &tr, const QStringList &aliases, const sqlite3_int64 *onlyRow = nullptr);
    void shutDown(const QString &why);
    void finishReading();
    void stepNext();
    void loadFromPos();
    bool atEnd() const;
    int fieldIndex(const QString &name) const;
    QVariant value(int col) const;
    bool write();

    bool isOpen() const override { return open; }
    bool bof() const override;
    bool eof() const override { return atEnd(); }
    void moveFirst() override;
    void moveNext() override;
    QVariant field(const QString &name) const override { return value(fieldIndex(name)); }
    void setField(const QString &name, const QVariant &value) override;
    void addNew() override;
    void edit() override;
    bool update() override;
    void cancelUpdate() override { mode = Mode::None; }
    void close() override { shutDown(QString()); }
    QVariant bookmark() const override;
    QStringList fieldNames() const override { return names; }
    bool inTransaction() const override { return conn && conn->inTransaction; }
    QString databasePath() const override { return conn ? conn->path : QString(); }
};

}  // namespace tqen::dao
