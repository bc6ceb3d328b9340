#pragma once
// A recordset on the database server, and the database operations that run
// there. The select's rows are read whole when it is opened (one round trip);
// a select over one table also reads each row's version (ctid), which is its
// bookmark and the condition of an edit: an edit writes the row only if it is
// the version that was read. An edit of a row that another program changed
// meanwhile is written as an upsert where the table has a unique index (the
// last write wins), and fails as a write conflict where it has none. A new
// row in a table with a unique index is an upsert too.
#include "platform/dao/ServerConnection.h"

namespace tqen::dao {

class ServerRecordset {
public:
    ServerRecordset(std::shared_ptr<ServerConnection> conn);
    ~ServerRecordset();

    // Runs the select; with onlyRow, over the row of that version only.
    bool start(const JetTranslation &tr, const QString *onlyRow);
    void shutDown(const QString &why);

    bool open = false;
    QString error;
    bool conflict = false;

    bool atEnd() const { return !open || pos >= rows.size(); }
    bool empty() const { return !open || rows.empty(); }
    void moveFirst() { mode = Mode::None; pos = 0; }
    void moveNext();
    QVariant field(const QString &name) const;
    void setField(const QString &name, const QVariant &value);
    void addNew();
    void edit();
    bool update();
    void cancelUpdate() { mode = Mode::None; }
    QStringList fieldNames() const { return open ? names : QStringList(); }
    QVariant bookmark() const;

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
    QVector<QString> listParams;

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

// The database-level operations on a server connection.
struct ServerDatabase {
    std::shared_ptr<ServerConnection> conn;
    bool execute(const QString &jetSql, qlonglong *affected, QString *error);
    std::unique_ptr<ServerRecordset> openRecordset(const QString &jetSql, const QString *onlyRow, QString *error);
    bool beginTrans(QString *error);
    bool commitTrans(QString *error);
    void rollback();
};

}  // namespace tqen::dao
