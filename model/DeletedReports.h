#pragma once
// Deleted reports kept for a while so that a deletion can be undone. Every
// deletion of reports (one on the main screen, the ticked lines of the list,
// all reports at once) moves the rows of 営業日報 into the table
// 削除済み営業日報 of the data database, marked with one deletion number,
// when and what was deleted. Entries older than KeepDays go at the next
// write. A data database without the table (older files, a fresh server) has
// no deletions to undo; the first deletion makes the table.
//
// Putting a deletion back never overwrites a report registered again since
// (same day, customer and staff member) unless asked to; then the report it
// replaces is kept as a deletion of its own, so it can be put back in turn.
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace tqen::dao {
class Database;
}

namespace tqen::model {

// A report is named by its day, customer and staff member.
struct ReportKey {
    QDate day;
    QString customer;
    QString staff;
    bool operator==(const ReportKey &) const = default;
};

class DeletedReports {
public:
    static constexpr int KeepDays = 30;
    static const QString Table;
    // The table's definition, for making it and for copies of the data.
    static const dao::AddedTable &definition();

    struct Deletion {
        qlonglong id = 0;
        QDateTime at;
        QString what;          // what the user deleted, in the program's words
        qlonglong reports = 0; // rows kept
        QDate first, last;     // the days they were of
        QString customer, staff;  // of one of them (of the one when it is one)
    };
    // How to put back reports whose day, customer and staff member the book
    // holds again.
    enum class Conflicts { Ask, Replace, KeepCurrent };
    struct Restored {
        qlonglong restored = 0;             // reports back in the book
        QList<ReportKey> conflicting;       // held again; with Ask nothing was written
        qlonglong left = 0;                 // kept in the deletion (KeepCurrent)
    };

    // The clock is the program's; tests give their own.
    explicit DeletedReports(const QString &dataDbPath, QDateTime now = QDateTime());

    // Deletes every report with one of these keys, keeping them as one
    // deletion, in one transaction. `removed` counts the rows deleted; none
    // deleted keeps nothing.
    Error remove(const QList<ReportKey> &keys, const QString &what, qlonglong *removed = nullptr) const;
    // The same for every report, inside the caller's open transaction (a bulk
    // deletion that writes other tables too).
    Error removeAllIn(dao::Database &db, const QString &what) const;

    // Deletions of the last KeepDays days, newest first.
    QList<Deletion> list(Error *error = nullptr) const;
    // The newest deletion, when there is one.
    std::optional<Deletion> last(Error *error = nullptr) const;

    // Puts a deletion back in one transaction. With Ask and reports held
    // again, writes nothing and names them in `out.conflicting`; Replace puts
    // the deleted ones in their place and keeps the replaced ones as a new
    // deletion; KeepCurrent leaves those in the deletion and puts the others
    // back.
    Error restore(qlonglong id, Conflicts how, Restored *out) const;

    // One line for a list: when, what and how many.
    static QString describe(const Deletion &d);

private:
    QDateTime now() const;
    qlonglong newId() const;
    QString stampOf(qlonglong id) const;
    Error purge(dao::Database &db) const;
    QList<Deletion> read(bool newestOnly, Error *error) const;
    // Moves the reports that `where` selects ("" for all) into the store.
    Error keep(dao::Database &db, const QString &where, qlonglong id, const QString &what, qlonglong *moved) const;

    QString path_;
    QDateTime now_;
};

}  // namespace tqen::model
