#pragma once
// One class of the code table as the code table form edits it: its entries
// read from コードマスタ of the data database, the form's grid (the work
// table wコードマスタ of thirty numbered rows) and the class written back as
// a whole.
#include "platform/error/Error.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace tqen::model::CodeClass {

struct Slot {
    QString code;              // "01" … "30"
    QString name;              // null: a free slot
    std::optional<int> order;  // cnt; none when stored Null
    bool operator==(const Slot &) const = default;
};

// The entries of a class, ordered by cnt.
QList<Slot> load(const QString &dataDbPath, const QString &codeClass, Error *error = nullptr);

// Replaces every row of the class with these entries, in one transaction: the
// class is all old or all new, also when the program dies half-way. No entries
// (NotFound) and an empty class name (BadInput) change nothing.
Error registerClass(const QString &dataDbPath, const QString &codeClass, const QList<Slot> &entries);

// Called inside the registration's transaction after each of its
// statements, with the number run so far (tests stop a registration there).
void setRegistrationObserver(std::function<void(int)> observer);

// --- the grid's rows in the work database ---------------------------------

// `rows` blank rows "01", "02", … unticked, in one transaction.
Error blankGrid(const QString &workDbPath, int rows);
// Writes each slot's name and order into the grid row of its code; entries
// whose code has no row are left out.
Error fillGrid(const QString &workDbPath, const QList<Slot> &entries);
// The grid's rows in their order, up to the first row without a code.
QList<Slot> gridSlots(const QString &workDbPath, Error *error = nullptr);
// Frees the names of the ticked rows.
Error freeTicked(const QString &workDbPath);

}  // namespace tqen::model::CodeClass
