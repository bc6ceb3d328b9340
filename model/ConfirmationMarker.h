#pragma once
// The kept marker of the confirmations (Confirmations.h), shared by the
// confirmation reads and writes (Confirmations.cpp) and the marker's own
// upkeep (ConfirmationMarker.cpp): what the database keeps of it, its
// making in a table from before it, and its fill behind the screen. Only
// those two files include this header.
#include "model/Confirmations.h"
#include "platform/dao/Dao.h"

#include <QDate>
#include <QString>

#include <optional>

namespace tqen::model::Confirmations::detail {

// The kept marker (column 変更) of a confirmation row: whether the report
// changed since that confirmation, so that many reports' states read from
// the confirmations alone, without their texts. Triggers on 営業日報, in
// plain SQL, keep it for every writer of the data (this program, an older
// one, the sqlite3 tool):
//   0  the report is as confirmed;
//   1  changed since: its title or memo was edited, it was moved to this
//      key from another, or a report was written anew on this key;
//   +2 (2, 3) the report left the key (deleted, or moved to another key);
//      the confirmations of a deletion that is put back lose the 2 again,
//      since the report comes back as it was deleted;
//   Null: not known (a row written by a program from before the marker, or
//      copied from a file without it): read by the fingerprint.
// An edit that brings the text back to the confirmed one stays 1: the
// marker is on the safe side; the one report's own view (stateOf) compares
// the fingerprints and reads it confirmed.
constexpr int kUnchanged = 0, kChanged = 1, kGone = 2;

// What the failures of the marker's upkeep say.
extern const QString kMarkText;

// What the database holds of the confirmations: the table, its marker
// column, the triggers that keep the marker, and the index that holds the
// marker too.
struct Kept {
    bool table = false, column = false, triggers = false, index = false;
    bool marker() const { return table && column && triggers; }
};

// What the database holds now; nothing (and why) when it cannot be asked.
std::optional<Kept> probe(dao::Database &db, QString *why);

// Inside the caller's write transaction: makes the table with its marker
// (column, index, triggers) when the database lacks it, and tells what the
// database keeps. A table from before the marker is left as it is: its
// marker is made and filled behind the screen (fillBehind).
Error makeTableIn(dao::Database &db, Kept *kept);

// Starts the fill of a database's unknown markers behind the screen, unless
// one runs there already; the period read (if given) is filled first.
// False when the last fill there failed: the markers stay unknown a while.
bool fillBehind(const dao::Database &db, const QDate &first = {}, const QDate &last = {});

}  // namespace tqen::model::Confirmations::detail
