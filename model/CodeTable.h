#pragma once
// The code table (コードマスタ of the data database): classes (kcode) of
// numbered slots (code) that hold a name (sname) or Null. The staff list is
// the class "担当".
#include "platform/error/Error.h"

#include <QString>
#include <QStringList>

namespace tqen::dao {
class Database;
}

namespace tqen::model::CodeTable {

// The names of a class in code order, empty slots left out.
QStringList names(const QString &dataDbPath, const QString &codeClass, Error *error = nullptr);
QStringList namesIn(dao::Database &db, const QString &codeClass, Error *error = nullptr);

// Puts a name into the first free slot (Null sname, lowest code) of a class.
// ok() when it was written; otherwise the code says why: AlreadyPresent (the
// name is in the class), NoFreeSlot (also for a class without slots) or
// DatabaseFailed. addNameIn works inside the caller's transaction and sets
// *conflict when another program took the slot since it was read (on a
// server), so the caller can try its whole transaction again.
Error addNameIn(dao::Database &db, const QString &codeClass, const QString &name, bool *conflict);
// The same in a transaction of its own, tried again after such a conflict.
Error addName(const QString &dataDbPath, const QString &codeClass, const QString &name);

}  // namespace tqen::model::CodeTable
