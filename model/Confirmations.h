#pragma once
// Confirmations of reports: the superior reads a report, stamps it as seen
// (確認) and may write a comment back to its writer. They live in the table
// 日報確認 of the data database, beside the reports, whose rows stay as they
// are. A data database without the table reads as "nothing confirmed"; the
// first confirmation makes it (on a file and on a server).
//
// A row is one confirmation: the report's key (日付, 顧客名, 担当), who
// confirmed (確認者), when (確認日時, and 確認番号 that orders them), the
// comment (may be empty) and the fingerprint of the report's title and memo
// as confirmed (指紋). Confirming again adds a row: the comments of all rows
// are the report's conversation, oldest first, and the newest row decides the
// state. A report whose title or memo differs from the newest fingerprint
// reads 確認後に変更, never confirmed.
//
// The states of many reports (a month's marks, the list, who has reported)
// read the confirmations alone: each row keeps a marker (変更) of whether
// its report changed since, set by triggers on 営業日報 that every writer of
// the data runs (plain SQL on a file, a PL/pgSQL function on a server),
// made with the table. The marker is on the safe side: a report edited back
// to the text that was confirmed stays 確認後に変更 there, while the one
// report's view (stateOf) compares the fingerprints.
//
// A table from before the marker, and confirmations whose marker is not
// known (copied from such a table, written by an older program), get it
// behind the screen: the first read that meets them starts the fill on a
// thread with a connection of its own, in short transactions with room for
// the users' writes between them, the period read first; meanwhile the
// month's marks count those confirmations as not known yet (the calendar
// reads them again a moment later) and the other reads tell them by the
// fingerprints, so no read waits for the fill. A database that cannot be
// written (a file opened read-only) is read by the fingerprints throughout. A copy
// of the data carries the marker and its triggers (beforeCopyIn,
// afterCopyIn).
//
// Rows of a deleted report move into that deletion with the report
// (削除番号 set, see DeletedReports) and come back when the deletion is put
// back; they are gone when the deletion is purged.
//
// The calls:
//   confirm      — one report, in one transaction; checks the report is
//                  there and the confirmer is on the staff list.
//   confirmMany  — several reports in one transaction, all or none.
//   stateOf      — the state and comments of one report.
//   statesBetween— the newest state of every confirmed report of a period
//                  (a report absent from the answer is 未確認).
//   confirmedPerStaff — per staff member and day: reports confirmed.
//   month        — per day of a period: reports, confirmed, changed since
//                  (the calendar's marks).
//   confirmer / setConfirmer — the person who confirms on this PC, kept in
//                  the user's config file (not in the data).
#include "model/DeletedReports.h"
#include "model/Session.h"
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

namespace tqen::model {

inline size_t qHash(const ReportKey &k, size_t seed = 0) { return qHashMulti(seed, k.day, k.customer, k.staff); }

enum class ConfirmState { Unconfirmed, Confirmed, ChangedSince };

// One confirmation of a report.
struct Confirmation {
    QString confirmer;
    QDateTime at;
    QString comment;
    QByteArray fingerprint;
};

struct ReportConfirmation {
    ConfirmState state = ConfirmState::Unconfirmed;
    QString confirmer;          // of the newest confirmation
    QDateTime at;
    QList<Confirmation> history;  // oldest first; empty when never confirmed
};

// The marks of one day.
struct DayConfirmation {
    int reports = 0;    // reports of the day
    int confirmed = 0;  // of them confirmed as they are
    int changed = 0;    // of them changed since their confirmation
    // Confirmations of the day whose state is not known yet: an older table's
    // marker is being filled behind the screen (the day is read again
    // later; until then its reports count as neither confirmed nor changed).
    int unknown = 0;
    bool allConfirmed() const { return reports > 0 && confirmed == reports; }
};

namespace Confirmations {

extern const QString Table;
// A comment longer than this is refused (the dialog keeps the text).
constexpr int MaxComment = 1000;

// A comment the confirmations refuse (too long), with the message that
// says so; ok for any other. confirm and confirmMany check it first.
Error checkComment(const QString &comment);

// The table's definition, for making it and for copies of the data.
const dao::AddedTable &definition();

// The fingerprint of a report's title and memo as stored (a Null text and
// an empty one are the same: both are stored Null).
QByteArray fingerprint(const QString &title, const QString &memo);

// "未確認" / "確認済" / "確認後に変更".
QString stateText(ConfirmState state);
// One line: "確認済  山田  2024/05/01 09:30" (the state alone when unconfirmed).
QString describe(const ReportConfirmation &c);

// Confirms the report named by `key` as `confirmer` with an optional
// comment, in one transaction. `seen` is the fingerprint of what the
// confirmer read; when the stored report differs (changed on another PC in
// the meantime) the confirmation is recorded for what was seen, so the
// report reads 確認後に変更. Empty `seen` confirms what is stored. Errors
// (nothing written): NotFound when the report is gone, InvalidInput for an
// empty or unknown confirmer or an overlong comment. A NUL in the comment is
// stored as U+FFFD. `now` is for tests.
Error confirm(const Session &session, const ReportKey &key, const QString &confirmer, const QString &comment,
              const QByteArray &seen = {}, const QDateTime &now = {});
// The same for several reports at once, all or none; `confirmed` counts them.
Error confirmMany(const Session &session, const QList<ReportKey> &keys, const QString &confirmer,
                  const QString &comment, qlonglong *confirmed = nullptr, const QDateTime &now = {});

// The state and comments of one report (Unconfirmed when it is gone).
ReportConfirmation stateOf(const QString &dataDbPath, const ReportKey &key, Error *error = nullptr);

// The state of each confirmed report between two days (both included), of
// one staff member and/or customer when given; history left empty except
// for the newest confirmation.
QHash<ReportKey, ReportConfirmation> statesBetween(const QString &dataDbPath, const QDate &first, const QDate &last,
                                                   const QString &staff = {}, const QString &customer = {},
                                                   Error *error = nullptr);

// How many reports each staff member has confirmed as they are, per day
// between two days (days without one left out): what counting many reports
// needs, counted by the engine.
QHash<QString, QHash<QDate, int>> confirmedPerStaff(const QString &dataDbPath, const QDate &first, const QDate &last,
                                                     Error *error = nullptr);

// Per day with reports between two days: how many, confirmed, changed, and
// whether states are not known yet (never waiting for the marker's fill).
QMap<QDate, DayConfirmation> month(const QString &dataDbPath, const QDate &first, const QDate &last,
                                   const QString &staff = {}, const QString &customer = {}, Error *error = nullptr);
// The days between two days whose every report is confirmed as it stands
// (the calendar's stamps); pending is set when some states are not known
// yet (the caller reads again a moment later).
QSet<QDate> confirmedDays(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                          const QString &customer, bool *pending);

// Inside a caller's open transaction, for the deletions of reports: moves
// the confirmations held by deletion `from` (0: the live ones) into deletion
// `to` (0: back to live), only those of the reports that `keyWhere` selects
// on the key columns (" where 日付 = … and …"; "" for all); drops those of
// deletions numbered below `cutoff`. A database without the table has none.
Error moveIn(dao::Database &db, qlonglong from, qlonglong to, const QString &keyWhere = {});
Error purgeIn(dao::Database &db, qlonglong cutoff);

// The fill of the markers that are not known, in transactions of a few
// days of confirmations each.
struct MarkerFill {
    int sliceDays = 0;  // days per transaction; 0: as many as take about 50 ms
    int pauseMs = 20;   // between two transactions
    // Called before the table is given the marker, before each transaction
    // and before the last step (for tests: what a read or a write sees then).
    std::function<void()> beforeEachStep;
};
// Fills the markers on the calling thread: a fill behind the screen there is
// stopped first, and reads meanwhile start none.
Error fillMarkers(const QString &dataDbPath, const MarkerFill &how = {});
// Whether a fill runs on that database (behind the screen or fillMarkers).
bool fillingMarkers(const QString &dataDbPath);
// Waits until the fill on that database, if one runs, has ended; how the
// last one there ended (a stopped one ended well).
Error waitForMarkers(const QString &dataDbPath);
// Stops every fill behind the screen (the next read starts it again where
// it stopped). The program's end stops them too.
void stopFillingMarkers();

// Whether a database keeps the marker: the table, its column and the
// triggers. nullopt and why when that cannot be told.
std::optional<bool> keepsMarker(dao::Database &db, QString *why);
// For a copy of the data, inside its transaction on the target, around the
// copying of the rows: before, the target's table (made already) gets the
// marker's column and index and loses its triggers, which would run for
// every copied report; after, the triggers are made again, and the live
// markers become unknown (filled behind the screen at the first read)
// unless `markersKnown`: the source kept them and did not change while it
// was read.
Error beforeCopyIn(dao::Database &target);
Error afterCopyIn(dao::Database &target, bool markersKnown);

// The person who confirms on this PC (empty until chosen), kept in the
// user's config file TqenUser.ini.
QString confirmer();
Error setConfirmer(const QString &name);

}  // namespace Confirmations

}  // namespace tqen::model
