#pragma once
// The database engine: the two data files are SQLite 3 files, reached with the
// Jet SQL that the forms write. A database is opened by its path for one
// operation; statements are executed on it and dynaset recordsets are walked
// and written, then both are closed.
//
// Failures never throw. A database or recordset that failed to open is in a
// failed state: every later operation on it does nothing, a failed recordset
// is at its end at once (bof() and eof() both true), field reads give Null,
// and the text of the failure stays readable through error().
//
// Jet SQL understood (translated on tokens, never on raw text):
//   - '…' and "…" string literals ('' / "" inside); they are bound as
//     parameters, so no typed text can change the statement;
//   - #yyyy/mm/dd# date literals (also #yyyy-mm-dd#, #m/d/yyyy#, with an
//     optional time); date columns hold "yyyy-mm-dd" text, so comparison and
//     ordering go by calendar date;
//   - True / False (stored as 1 / 0), isnull(x), & as text concatenation;
//   - like with Jet's patterns: * any run, ? one character, # one digit,
//     [abc] [a-z] [!abc] character lists; [*] [?] [#] [[] a literal character;
//     % and _ are ordinary characters; letters match regardless of case;
//   - delete * from T …; [bracketed names]; a trailing ";"; any blanks;
//   - T in 'full path' naming a table of another file (attached for the life
//     of the connection);
//   - insert into T select … without a column list: the columns are matched
//     by name, as Jet does; for select * only the columns T has are copied,
//     T's other columns take their defaults.
//   - ? marks, in a statement given with its values (execute and
//     openRecordset with a value list): each is bound as the next value, so
//     the statement's text is one shape for every value it is run with.
//
// A database is a file or a server behind one interface (Backend.h); what
// the engine does is counted for tests (statistics()).
//
// The tables themselves are the program's (model/Schema.h): the engine
// makes none but those it is given (the server's, setServerSchema; added
// tables, AddedTable.h; the search index, Search.h).
#include "platform/error/Error.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <mutex>

namespace tqen::dao {

class Database;
struct Connection;
struct JetTranslation;
struct ServerConnection;

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset &&other) noexcept;
    Recordset &operator=(Recordset &&other) noexcept;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // False when it failed to open or is closed.
    bool isOpen() const;
    // Text of the last failure, empty when none.
    QString error() const;

    // Both true for an empty, failed or closed recordset; eof() after moveNext
    // past the last row.
    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveNext();

    // Value of a field of the current row (names match regardless of case):
    // Null for NULL, an unknown field or no current row; dates as QDate, yes/no
    // as bool, numbers as int, qlonglong or double, text as QString.
    QVariant field(const QString &name) const;
    // Sets a field of the row begun by addNew() or edit(). A date field takes a
    // QDate or a text "yyyy/mm/dd"; a yes/no field a bool, a number or
    // "True"/"False"; an empty text or a Null QVariant writes Null.
    void setField(const QString &name, const QVariant &value);
    // Begins a new row / an edit of the current row.
    void addNew();
    void edit();
    // Writes the row begun by addNew() or edit(); false and error() on failure.
    // After an edit the current row shows the written values; after addNew
    // the current row is the one that was current before.
    bool update();
    // Drops a pending addNew() or edit().
    void cancelUpdate();
    void close();
    QStringList fieldNames() const;
    // True after update() failed because another connection changed or
    // deleted the row since it was read (only on a database server, where
    // such a write is refused instead of overwriting the other's).
    bool writeConflict() const;

    // The current row's bookmark. It names that row of the table for as long
    // as the row exists, also to Database::openRow on another connection.
    // Null without a current row or on a recordset that cannot be updated.
    QVariant bookmark() const;

    struct Impl;

private:
    friend class Database;
    explicit Recordset(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

class Database {
public:
    Database();
    ~Database();  // closes
    Database(Database &&other) noexcept;
    Database &operator=(Database &&other) noexcept;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens an existing database file for reading and writing. Never creates a
    // file: a missing, unreadable or non-database file gives a failed object.
    // A server URI opens the data database on a server (platform/dao/Server.h).
    static Database open(const QString &path);

    bool isOpen() const;
    QString error() const;
    QString path() const;

    // Runs a delete, insert (also insert-select) or update statement; false
    // and error() on failure, in which case the statement changed nothing.
    bool execute(const QString &jetSql);
    // A statement whose values are passed as values. Each ? of the Jet text
    // outside a literal takes the next value: a QString (stored as wellFormed
    // text), a QDate (a date column's value; compares by calendar date as
    // #…# literals do), a QDateTime, bool, int/qlonglong, double, a
    // QByteArray; a Null QVariant is Null. A count of ? that differs from the
    // values fails the statement (error(), nothing run). "T in ?" takes the
    // path of T's file as a QString. In "x like ?" the value is a Jet
    // pattern, as a literal would be (likeValue makes a typed text one).
    // A value of any other kind fails the statement too.
    bool execute(const QString &jetSql, const QVariantList &params);
    // Rows changed by the last successful execute().
    qlonglong recordsAffected() const;
    // A dynaset over a select. A select over one table is updatable.
    Recordset openRecordset(const QString &jetSql);
    Recordset openRecordset(const QString &jetSql, const QVariantList &params);
    // An updatable recordset over the one row of a table that a bookmark
    // names (the table as it follows "from": a name, [a name] or T in 'path').
    // It is at its end at once when that row is gone; it fails on a value
    // that is no bookmark.
    Recordset openRow(const QString &table, const QVariant &bookmark);
    // Closes the database and every recordset still open on it.
    void close();

    // All-or-nothing groups of writes. Every execute() and update() between
    // beginTrans() and commitTrans() is undone by rollback(); closing the
    // database with a transaction still open rolls it back.
    bool beginTrans();
    // A transaction that takes the file's write lock at once (waiting up to
    // the busy timeout), so that a read and the write it decides are one step
    // for every program on the file: two programs cannot both find a row
    // missing and both insert it. On a server a plain transaction.
    bool beginWriteTrans();
    bool commitTrans();
    void rollback();

    struct Impl;

private:
    bool begin(bool immediate);
    bool run(const std::shared_ptr<const JetTranslation> &tr);
    Recordset select(const std::shared_ptr<const JetTranslation> &tr);
    friend Connection *connectionOf(const Database &db);
    friend ServerConnection *serverConnectionOf(const Database &db);
    std::unique_ptr<Impl> d;
};

// A text with every lone UTF-16 surrogate (half of a character, as a paste
// or an input method can leave) replaced by U+FFFD. Quoting and binding use
// it, so such a text is stored and compared the same way every time instead
// of turning into "?" on the way to UTF-8. A form may show it to say what was
// stored.
QString wellFormed(const QString &typed);
// The one quoting helper: a typed text as a Jet string literal, quotes
// included: "'" + text with every ' doubled + "'".
QString sqlText(const QString &typed);
// A typed text for use INSIDE a like pattern literal that the caller wraps:
// "like '" + likeText(t) + "*'". The typed * ? # [ become [*] [?] [#] [[] and
// ' is doubled, so only the caller's own * stays a wildcard.
QString likeText(const QString &typed);
// A typed text as the value of "like ?" that matches that text only: the
// typed * ? # [ become [*] [?] [#] [[] (the quote stays as it is: the value
// is no literal). The caller adds its own wildcards: likeValue(t) + "*".
QString likeValue(const QString &typed);
// Jet date literal "#yyyy/mm/dd#".
QString sqlDate(const QDate &d);

// The text of a step that failed because another program or PC held the
// data file longer than the wait (the engine's "database is locked"): the
// file is sound and the step can be tried again. isInUseError tells such an
// error text (of a database, a recordset or an Error's detail) apart.
QString inUseText();
bool isInUseError(const QString &error);

// A failed database step as the program reports it: code DatabaseFailed, the
// given text for the user, and as detail the recordset's failure or, when the
// recordset has none, the database's.
Error failure(const QString &text, const Database &db, const Recordset &rs);
Error failure(const QString &text, const Database &db);

// A copy of a whole database file taken with the engine's online backup, so
// it is consistent even while another connection writes. The copy is written
// beside dstPath and renamed into place only when complete; a failure leaves
// dstPath as it was.
Error backupTo(const QString &srcPath, const QString &dstPath);

// A new database file made by running a schema script (several statements)
// on it. Fails, leaving no file, when the path exists already or a statement
// fails.
Error createDatabase(const QString &path, const QString &script);

// Checks that a file is a database of ours: it opens, holds every table named,
// and the engine's integrity check passes. A hot journal left beside it by a
// crashed writer is rolled back first.
Error checkDatabase(const QString &path, const QStringList &tables);
// The engine's quick check of a data file (every page and record readable,
// without the index comparison of checkDatabase), on the file read-only:
// BadInput with the engine's findings when it is damaged; a file in use
// gives an isInUseError detail; a server is not checked. A check given a
// CheckStop ends at once, finding nothing, when it is stopped from another
// thread.
class CheckStop {
public:
    void stop();
    bool stopped();

private:
    friend Error quickCheck(const QString &, CheckStop *);
    std::mutex mutex_;
    void *running_ = nullptr;  // the engine's connection while the check reads
    bool stopped_ = false;
};
Error quickCheck(const QString &path, CheckStop *stop = nullptr);

// Rows of each named table, in that order (-1 for a table that cannot be
// read). Also for a data database on a server.
QList<qlonglong> countRows(const QString &path, const QStringList &tables);

// What the engine has done in this process since the last reset, for tests
// that prove how many times an operation opens, writes and commits.
//   opens       databases opened (files and servers; a file attached by
//               "in 'path'" is no open of its own);
//   statements  statements run: execute(), openRecordset(), openRow() and
//               every Recordset::update();
//   commits     commitTrans(), and every execute() or update() that wrote
//               outside a transaction (it commits on its own).
//   gramsCopiedIn  grams indexes made beside a file and copied into it
//               (SearchSide.cpp), whole.
// Failed opens and commits are not counted; failed statements are.
struct Statistics {
    qlonglong opens = 0;
    qlonglong statements = 0;
    qlonglong commits = 0;
    qlonglong gramsCopiedIn = 0;
    QMap<QString, qlonglong> opensOf;    // by the path or URI as opened
    QMap<QString, qlonglong> commitsOf;
};
Statistics statistics();
void resetStatistics();

}  // namespace tqen::dao
