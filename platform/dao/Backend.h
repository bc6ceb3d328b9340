#pragma once
// What a database and a recordset do, apart from where the data lies. A
// database on a file (Database.cpp, Recordset.cpp) and one on a database
// server (ServerRecordset.cpp) each implement both. The bases themselves are
// a database or recordset that failed to open or was closed: they run
// nothing, and keep the text of their failure. Only the engine's own files
// include this header.
//
// Database and Recordset check what is common (the database is open, the
// statement translates and is of the right kind) before they hand a
// statement to its backend, and count what the engine does (Statistics).
#include "platform/dao/Dao.h"
#include "platform/dao/JetTranslator.h"

#include <memory>

namespace tqen::dao {

struct Recordset::Impl {
    QString error;

    virtual ~Impl() = default;
    virtual bool isOpen() const { return false; }
    virtual QString errorText() const { return error; }
    // Called only while open, but for close().
    virtual bool bof() const { return true; }
    virtual bool eof() const { return true; }
    virtual void moveFirst() {}
    virtual void moveNext() {}
    virtual QVariant field(const QString &) const { return {}; }
    virtual void setField(const QString &, const QVariant &) {}
    virtual void addNew() {}
    virtual void edit() {}
    virtual bool update() { return false; }
    virtual void cancelUpdate() {}
    virtual void close() {}
    virtual QVariant bookmark() const { return {}; }
    virtual QStringList fieldNames() const { return {}; }
    virtual bool writeConflict() const { return false; }
    // True when the recordset's connection has a transaction open (a write
    // then commits with it, not on its own).
    virtual bool inTransaction() const { return false; }
    // The path or URI of the recordset's database.
    virtual QString databasePath() const { return {}; }
};

struct Database::Impl {
    QString path;
    QString error;
    qlonglong affected = 0;

    virtual ~Impl() = default;
    virtual bool ok() const { return false; }
    virtual bool inTransaction() const { return false; }
    // A statement that is no select; error and affected are set.
    virtual bool execute(const JetTranslation &) { return false; }
    // A recordset over a select; with row (a value isBookmark accepted),
    // over that one row of the select's table.
    virtual std::unique_ptr<Recordset::Impl> select(const JetTranslation &tr, const QVariant *row);
    // Whether a value is a bookmark of this kind of database.
    virtual bool isBookmark(const QVariant &bookmark) const;
    virtual bool begin(bool /*immediate*/) { return false; }
    virtual bool commit() { return false; }
    virtual void rollback() {}
    virtual void close() {}
};

// A recordset that failed to open, with the text of its failure.
std::unique_ptr<Recordset::Impl> failedRecordset(const QString &error);

}  // namespace tqen::dao
