#pragma once
// A recordset on the database server, and the database operations that run
// there. The select's rows are read whole when it is opened (one round trip);
// a select over one table also reads each row's version (ctid), which is its
// bookmark and the condition of an edit: an edit writes the row only if it is
// the version that was read. An edit of a row that another program changed
// meanwhile is written as an upsert where the table has a unique index (the
// last write wins), and fails as a write conflict where it has none. A new
// row in a table with a unique index is an upsert too.
#include "platform/dao/Backend.h"
#include "platform/dao/ServerConnection.h"

namespace tqen::dao {

class ServerRecordset : public Recordset::Impl {
public:
    ServerRecordset(std::shared_ptr<ServerConnection> conn);
    ~ServerRecordset() override;

    // Runs the select; with onlyRow, over the row of that version only.
    bool start(const JetTranslation &tr, const QString *onlyRow);
    void shutDown(const QString &why);

    bool open = false;
    bool conflict = false;

    bool atEnd() const { return !open || pos >= rows.size(); }
    bool empty() const { return !open || rows.empty(); }

    bool isOpen() const override { return open; }
    bool bof() const override { return empty(); }
    bool eof() const override { return atEnd(); }
    void moveFirst() override { mode = Mode::None; pos = 0; }
    void moveNext() override;
    QVariant field(const QString &name) const override;
    void setField(const QString &name, const QVariant &value) override;
    void addNew() override;
    void edit() override;
    bool update() override;
    void cancelUpdate() override { mode = Mode::None; }
    void close() override { shutDown(QString()); }
    QStringList fieldNames() const override { return open ? names : QStringList(); }
    QVariant bookmark() const override;
    bool writeConflict() const override { return conflict; }
    bool inTransaction() const override { return conn && conn->inTransaction; }
    QString databasePath() const override { return conn ? conn->uri : QString(); }

private:
    std::shared_ptr<ServerConnection> conn;
    QStringList names;
    QVector<unsigned> types;
    std::vector<QVector<QVariant>> rows;
    std::vector<QString> versions;  // ctid of each row (updatable only)
    size_t pos = 0;

    bool updatable = false;
    QString table;         // quoted, lower case
    QString returning;     // the select list, when it can follow RETURNING
    QStringList listPieces;
    QVector<QVariant> listParams;

    enum class Mode { None, Adding, Editing } mode = Mode::None;
    QVector<QVariant> buffer;
    QVector<bool> touched;

    int fieldIndex(const QString &name) const;
    bool takeRow(const PGresult *r, int row, int firstCol, QVector<QVariant> *out, QString *version) const;
    // With version, the written row's ctid comes back.
    bool upsert(const QVector<int> &which, const QVector<QVariant> &values, Result *out, bool version);
    bool reread(const QString &version);
};

struct Connection;
// "insert into W select … from T in 'server URI' …" run on a local file: the
// select runs on the server and its rows go into the local table W in one
// transaction (a savepoint inside an open one), columns matched by name.
bool copyFromServer(Connection &local, const JetTranslation &tr, qlonglong *affected, QString *error);

// A database on a server connection.
struct ServerDatabase : Database::Impl {
    std::shared_ptr<ServerConnection> conn;

    bool ok() const override { return conn && conn->pg && PQstatus(conn->pg) == CONNECTION_OK; }
    bool inTransaction() const override { return conn && conn->inTransaction; }
    bool execute(const JetTranslation &tr) override;
    std::unique_ptr<Recordset::Impl> select(const JetTranslation &tr, const QVariant *row) override;
    // A row's version, "(page,item)".
    bool isBookmark(const QVariant &bookmark) const override {
        return !bookmark.isNull() && bookmark.toString().startsWith(u'(');
    }
    bool begin(bool immediate) override;
    bool commit() override;
    void rollback() override;
    void close() override {
        if (conn) conn->close();
        conn.reset();
    }
};

}  // namespace tqen::dao
